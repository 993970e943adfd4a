// Execution of the statement objects (fsStatement.h). Each statement but lists, case
// selectors, break, continue, exit and with passes the line hook first.
#include "report/script/fsStatement.h"

#include "platform/rtl/Exceptions.h"
#include "report/script/fsDesignator.h"
#include "report/script/fsExpression.h"
#include "report/script/fsExpressionPrivate.h"

namespace {

// Saves and clears the break, continue and exit flags around a finally handler, so that a
// jump out of the protected part neither cuts the handler short nor is lost; a jump made by
// the handler itself stays in force.
struct TFlagScope {
  TfsScript* Prog;
  bool Break, Continue, Exit;
  explicit TFlagScope(TfsScript* prog)
      : Prog(prog), Break(prog->BreakCalled), Continue(prog->ContinueCalled), Exit(prog->ExitCalled)
  {
    Prog->BreakCalled = Prog->ContinueCalled = Prog->ExitCalled = false;
  }
  ~TFlagScope()
  {
    Prog->BreakCalled = Prog->BreakCalled || Break;
    Prog->ContinueCalled = Prog->ContinueCalled || Continue;
    Prog->ExitCalled = Prog->ExitCalled || Exit;
  }
};

bool IsTrue(TfsCustomVariable* test)
{
  return fsfast::IsTrue(test->GetValue());
}

} // namespace

TfsStatement::TfsStatement(TfsScript* program, const AnsiString& unitName,
                           const AnsiString& sourcePos)
    : FProgram(program), FSourcePos(sourcePos), FUnitName(unitName)
{
}

void TfsStatement::Execute()
{
  TfsScript* prog = FProgram;
  for (const auto& item : FItems) {
    if (prog->Terminated)
      break;
    static_cast<TfsStatement*>(item.get())->Execute();
    if (prog->BreakCalled || prog->ContinueCalled || prog->ExitCalled)
      break;
  }
}

// ---- assignments ----

TfsAssignmentStmt::~TfsAssignmentStmt() = default;

void TfsAssignmentStmt::PrepareAssignment()
{
  FVar = FDesignator.get();
  if (FDesignator->Kind() == dkVariable && FDesignator->RefItem())
    FVar = FDesignator->RefItem();
  FExpr = FExpression->SingleItem();
  if (!FExpr)
    FExpr = FExpression->Evaluator();
  FStorage = FVar->PlainStorage();
  FTextTarget = FStorage && dynamic_cast<TfsStringVariable*>(FVar) != nullptr;
  FValueStorage = FExpr->PlainStorage();
}

void TfsAssignmentStmt::Execute()
{
  if (!RunLine())
    return;
  if (FStorage && !FTextTarget)
    *FStorage = FExpr->GetValue();
  else
    FVar->SetValue(FExpr->GetValue());
}

void TfsAssignmentStmt::Combine(TVarOp op)
{
  if (!FStorage) {
    const Variant left = FVar->GetValue();
    FVar->SetValue(VarOp(left, FExpr->GetValue(), op));
    return;
  }
  if (FValueStorage) {
    // Both sides are plain variables: nothing runs between reading them.
    const Variant& right = *FValueStorage;
    if (op == opAdd && FStorage->Type() == varString && right.Type() == varString &&
        FValueStorage != FStorage) {
      VarStrAppend(*FStorage, right.StringRef());
      return;
    }
    Store(op, *FStorage, right);
    return;
  }
  // Holding the old value keeps its text shared while the right side runs, so any change the
  // right side makes to the variable replaces the text rather than growing it; when the
  // variable still holds that very text afterwards, it is unchanged and may grow in place.
  Variant left = *FStorage;
  const Variant right = FExpr->GetValue();
  if (op == opAdd && left.Type() == varString && right.Type() == varString &&
      FStorage->Type() == varString && &FStorage->StringRef() == &left.StringRef()) {
    left.Clear();
    VarStrAppend(*FStorage, right.StringRef());
    return;
  }
  Store(op, left, right);
}

void TfsAssignmentStmt::Store(TVarOp op, const Variant& left, const Variant& right)
{
  Variant result;
  if (!fsfast::Arith(op, left, right, result))
    result = VarOp(left, right, op);
  if (FTextTarget)
    FVar->SetValue(result);
  else
    *FStorage = std::move(result);
}

void TfsAssignPlusStmt::Execute()
{
  if (RunLine())
    Combine(opAdd);
}

void TfsAssignMinusStmt::Execute()
{
  if (RunLine())
    Combine(opSubtract);
}

void TfsAssignMulStmt::Execute()
{
  if (RunLine())
    Combine(opMultiply);
}

void TfsAssignDivStmt::Execute()
{
  if (RunLine())
    Combine(opDivide);
}

// ---- calls ----

TfsCallStmt::~TfsCallStmt() = default;

void TfsCallStmt::Execute()
{
  if (!RunLine())
    return;
  if (FModificator.empty()) {
    FDesignator->SetNeedResult(false);
    FDesignator->GetValue();
  } else if (FModificator == "+") {
    FDesignator->SetValue(VarOp(FDesignator->GetValue(), Variant(1), opAdd));
  } else {
    FDesignator->SetValue(VarOp(FDesignator->GetValue(), Variant(1), opSubtract));
  }
}

// ---- if, case ----

TfsIfStmt::TfsIfStmt(TfsScript* program, const AnsiString& unitName, const AnsiString& sourcePos)
    : TfsStatement(program, unitName, sourcePos),
      FElseStmt(std::make_unique<TfsStatement>(program, unitName, sourcePos))
{
}

TfsIfStmt::~TfsIfStmt() = default;

void TfsIfStmt::Execute()
{
  if (!RunLine())
    return;
  if (IsTrue(FTest))
    TfsStatement::Execute();
  else
    FElseStmt->Execute();
}

TfsCaseSelector::~TfsCaseSelector() = default;

bool TfsCaseSelector::Check(const Variant& value)
{
  return FSetExpression->Contains(value);
}

TfsCaseStmt::TfsCaseStmt(TfsScript* program, const AnsiString& unitName,
                         const AnsiString& sourcePos)
    : TfsStatement(program, unitName, sourcePos),
      FElseStmt(std::make_unique<TfsStatement>(program, unitName, sourcePos))
{
}

TfsCaseStmt::~TfsCaseStmt() = default;

void TfsCaseStmt::Execute()
{
  const Variant value = FCondition->GetValue();
  if (!RunLine())
    return;
  for (const auto& item : FItems) {
    auto* selector = static_cast<TfsCaseSelector*>(item.get());
    if (selector->Check(value)) {
      selector->TfsStatement::Execute();
      return;
    }
  }
  FElseStmt->Execute();
}

// ---- loops ----

TfsRepeatStmt::~TfsRepeatStmt() = default;

void TfsRepeatStmt::Execute()
{
  if (!RunLine())
    return;
  TfsScript* prog = FProgram;
  for (;;) {
    TfsStatement::Execute();
    if (prog->BreakCalled || prog->ExitCalled)
      break;
    prog->ContinueCalled = false;
    if (IsTrue(FTest) != FInverseCondition)
      break;
  }
  prog->BreakCalled = false;
}

TfsWhileStmt::~TfsWhileStmt() = default;

void TfsWhileStmt::Execute()
{
  if (!RunLine())
    return;
  TfsScript* prog = FProgram;
  while (IsTrue(FTest)) {
    TfsStatement::Execute();
    if (prog->BreakCalled || prog->ExitCalled)
      break;
    prog->ContinueCalled = false;
  }
  prog->BreakCalled = false;
}

TfsForStmt::~TfsForStmt() = default;

// The counter runs over a range fixed before the first round; the variable receives each
// value directly (not through its SetValue), so assignments in the body do not change the
// number of rounds.
void TfsForStmt::Execute()
{
  const Integer first = FBeginValue->GetValue().AsInteger();
  const Integer last = FEndValue->GetValue().AsInteger();
  if (!RunLine())
    return;
  TfsScript* prog = FProgram;
  if (FDown ? first < last : first > last)
    return;
  Variant& counter = FVariable->StoredValue();
  Int64 i = first;
  for (;;) {
    counter = Variant(static_cast<Integer>(i));
    TfsStatement::Execute();
    if (prog->BreakCalled || prog->ExitCalled)
      break;
    prog->ContinueCalled = false;
    if (i == last)
      break;
    i += FDown ? -1 : 1;
  }
  prog->BreakCalled = false;
}

TfsVbForStmt::~TfsVbForStmt() = default;

void TfsVbForStmt::Execute()
{
  Variant current = FBeginValue->GetValue();
  const Variant last = FEndValue->GetValue();
  const Variant step = FStep ? FStep->GetValue() : Variant(1);
  if (!RunLine())
    return;
  TfsScript* prog = FProgram;
  const bool down = step < Variant(0);
  while (down ? current >= last : current <= last) {
    FVariable->StoredValue() = current;
    TfsStatement::Execute();
    if (prog->BreakCalled || prog->ExitCalled)
      break;
    prog->ContinueCalled = false;
    current = VarOp(current, step, opAdd);
  }
  prog->BreakCalled = false;
}

TfsCppForStmt::TfsCppForStmt(TfsScript* program, const AnsiString& unitName,
                             const AnsiString& sourcePos)
    : TfsStatement(program, unitName, sourcePos),
      FFirstStmt(std::make_unique<TfsStatement>(program, unitName, sourcePos)),
      FSecondStmt(std::make_unique<TfsStatement>(program, unitName, sourcePos))
{
}

TfsCppForStmt::~TfsCppForStmt() = default;

void TfsCppForStmt::Execute()
{
  if (!RunLine())
    return;
  TfsScript* prog = FProgram;
  FFirstStmt->Execute();
  if (prog->Terminated)
    return;
  while (!FExpression || IsTrue(FTest)) {
    TfsStatement::Execute();
    if (prog->BreakCalled || prog->ExitCalled)
      break;
    prog->ContinueCalled = false;
    FSecondStmt->Execute();
  }
  prog->BreakCalled = false;
}

// ---- try ----

TfsTryStmt::TfsTryStmt(TfsScript* program, const AnsiString& unitName, const AnsiString& sourcePos)
    : TfsStatement(program, unitName, sourcePos),
      FExceptStmt(std::make_unique<TfsStatement>(program, unitName, sourcePos))
{
}

// Any failure of the protected part (platform exceptions included) is consumed by an
// except handler, and passed on after a finally handler has run.
void TfsTryStmt::Execute()
{
  if (!RunLine())
    return;
  if (FIsExcept) {
    try {
      TfsStatement::Execute();
    } catch (const std::exception&) {
      FExceptStmt->Execute();
    }
    return;
  }
  try {
    TfsStatement::Execute();
  } catch (...) {
    {
      TFlagScope flags(FProgram);
      FExceptStmt->Execute();
    }
    throw;
  }
  TFlagScope flags(FProgram);
  FExceptStmt->Execute();
}

// ---- jumps ----

void TfsBreakStmt::Execute()
{
  FProgram->BreakCalled = true;
}

void TfsContinueStmt::Execute()
{
  FProgram->ContinueCalled = true;
}

void TfsExitStmt::Execute()
{
  FProgram->ExitCalled = true;
}

// ---- with ----

TfsWithStmt::~TfsWithStmt() = default;

void TfsWithStmt::Execute()
{
  TfsStatement::Execute();
  FVariable->SetValue(FDesignator->GetValue());
}
