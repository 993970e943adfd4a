// Reading and writing designators: the general element walk (with the argument passing of
// routine calls and the save of a recursive routine's locals) and the three fast forms.
// fsDesignator.h describes them.
#include "report/script/fsDesignator.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/RtlConsts.h"
#include "report/script/fsExpression.h"
#include "report/script/fsXMLDocument.h"

TfsExpression* TfsDesignatorItem::Args(Integer index) const
{
  return static_cast<TfsExpression*>(Items(index));
}

TfsDesignatorItem::TRefKind TfsDesignatorItem::ComputeRefKind()
{
  if (dynamic_cast<TfsDesignator*>(FRef))
    FRefKind = rkDesignator;
  else if (dynamic_cast<TfsProcVariable*>(FRef))
    FRefKind = rkProc;
  else if (dynamic_cast<TfsCustomHelper*>(FRef))
    FRefKind = rkHelper;
  else
    FRefKind = rkOther;
  // A designator's children are its elements; everything else has parameters.
  FHasVarArgs = false;
  FArguments.clear();
  if (FRefKind == rkDesignator)
    return FRefKind;
  for (Integer a = 0; a < FRef->Count(); ++a)
    FHasVarArgs = FHasVarArgs || FRef->Params(a)->IsVarParam();
  const Integer argCount = std::min(FRef->Count(), Count());
  for (Integer a = 0; a < argCount; ++a)
    FArguments.push_back({Args(a)->Evaluator(), FRef->Params(a)->PlainStorage()});
  return FRefKind;
}

TfsDesignator::TfsDesignator(TfsScript* script)
    : TfsCustomVariable("", fvtVariant, ""), FScript(script)
{
}

TfsDesignator::~TfsDesignator() = default;

TfsDesignatorItem* TfsDesignator::ElementAt(Integer index) const
{
  return static_cast<TfsDesignatorItem*>(Items(index));
}

void TfsDesignator::SetLateBindingXML(std::unique_ptr<TfsXMLItem> value)
{
  FLateBindingXML = std::move(value);
}

void TfsDesignator::FinishDesignator()
{
  const Integer count = Count();
  if (count == 0)
    return;
  TfsCustomVariable* last = ElementAt(count - 1)->Ref();
  FTyp = last->Typ();
  FTypeName = last->TypeName();
  if (FTyp == fvtConstructor) {
    FTyp = fvtClass;
    if (count > 1)
      FTypeName = ElementAt(count - 2)->Ref()->TypeName();
  }
  FIsReadOnly = last->IsReadOnly();

  FKind = dkOther;
  if (FLateBindingXML) {
    // Built at first use: nothing is known about the path yet.
    FTyp = fvtVariant;
    FTypeName.clear();
    FIsReadOnly = false;
    return;
  }
  TfsCustomVariable* first = ElementAt(0)->Ref();
  // A parameter is read and written like a variable, so it takes the fast form too.
  const bool isVariable = dynamic_cast<TfsVariable*>(first) || dynamic_cast<TfsParamItem*>(first);
  if (count == 1 && isVariable) {
    FKind = dkVariable;
    FRefItem = first;
  } else if (count == 2 && dynamic_cast<TfsStringVariable*>(first) &&
             dynamic_cast<TfsStringHelper*>(ElementAt(1)->Ref()) && ElementAt(1)->Count() > 0) {
    FKind = dkStringArray;
    FRefItem = first;
    FIndexSource = ElementAt(1)->Args(0);
  } else if (count == 2 && dynamic_cast<TfsVariable*>(first) && first->Typ() == fvtArray &&
             dynamic_cast<TfsArrayHelper*>(first->RefItem())) {
    FKind = dkArray;
    FRefItem = first;
    FIndexSource = first->RefItem();
    FIndexList = ElementAt(1);
  } else if (count == 1 && dynamic_cast<TfsProcVariable*>(first)) {
    FKind = dkCall;
    FRefItem = first;
  }
}

void TfsDesignator::AdoptFrom(TfsDesignator* other)
{
  std::swap(FItems, other->FItems);
  FKind = other->FKind;
  FIndexSource = other->FIndexSource;
  FIndexList = other->FIndexList;
  FTyp = other->FTyp;
  FTypeName = other->FTypeName;
  FIsReadOnly = other->FIsReadOnly;
  FRefItem = other->FRefItem;
}

// Builds the elements of a designator that could not be resolved while compiling.
void TfsDesignator::BuildLate()
{
  std::unique_ptr<TfsXMLItem> xml = std::move(FLateBindingXML);
  TfsILParser parser(FScript);
  std::unique_ptr<TfsDesignator> built(parser.BuildLateDesignator(xml.get(), FScript));
  AdoptFrom(built.get());
}

namespace {

// The values calls keep while they run: evaluated arguments and the saved locals of a
// recursive call. The stack grows once and is reused, so a call allocates nothing. Entries
// are reached by index only: a nested call may grow (and move) the storage.
class TValueStack {
public:
  size_t Top() const { return FTop; }
  void Push(Variant value)
  {
    if (FTop == FCapacity)
      Grow();
    FValues[FTop++] = std::move(value);
  }
  Variant& At(size_t index) { return FValues[index]; }
  // Drops the entries from top on, releasing their payloads now.
  void PopTo(size_t top)
  {
    while (FTop > top)
      FValues[--FTop].Clear();
  }

private:
  void Grow()
  {
    const size_t capacity = FCapacity ? FCapacity * 2 : 256;
    auto values = std::make_unique<Variant[]>(capacity);
    for (size_t i = 0; i < FTop; ++i)
      values[i] = std::move(FValues[i]);
    FValues = std::move(values);
    FCapacity = capacity;
  }

  std::unique_ptr<Variant[]> FValues;
  size_t FCapacity = 0;
  size_t FTop = 0;
};

// One stack per thread, made on first use; a plain thread-local pointer needs no
// initialization check on each access.
thread_local TValueStack* TheValueStack = nullptr;

TValueStack& Stack()
{
  if (!TheValueStack)
    TheValueStack = new TValueStack();
  return *TheValueStack;
}

// One element's call: the argument values and a recursive routine's saved locals on the value
// stack. The locals go back before the var arguments are written, so an inner call's change
// to a var argument that names the caller's own local survives; when the call fails they go
// back all the same.
class TCallFrame {
public:
  TCallFrame(TValueStack& stack, TfsProcVariable* recursive) : FStack(stack), FBase(stack.Top())
  {
    if (!recursive)
      return;
    FLocals = &recursive->FrameItems();
    for (const TfsProcVariable::TFrameItem& local : *FLocals)
      FStack.Push(local.Storage ? *local.Storage : local.Item->GetValue());
    FArgs = FStack.Top();
  }
  ~TCallFrame()
  {
    RestoreLocals();
    FStack.PopTo(FBase);
  }
  size_t Args() const { return FArgs; }
  void RestoreLocals()
  {
    if (!FLocals)
      return;
    const std::vector<TfsProcVariable::TFrameItem>* locals = FLocals;
    FLocals = nullptr;
    for (size_t i = 0; i < locals->size(); ++i) {
      const TfsProcVariable::TFrameItem& local = (*locals)[i];
      if (local.Storage)
        *local.Storage = std::move(FStack.At(FBase + i));
      else
        local.Item->SetValue(FStack.At(FBase + i));
    }
  }

private:
  TValueStack& FStack;
  size_t FBase;
  size_t FArgs = FBase;
  const std::vector<TfsProcVariable::TFrameItem>* FLocals = nullptr;
};

} // namespace

Variant TfsDesignator::Evaluate(bool writing, const Variant* value)
{
  // Deep recursion passes through routine calls, which guard the stack themselves.
  if (FLateBindingXML)
    BuildLate();
  TValueStack& stack = Stack();
  Variant running = Null();
  TfsCustomVariable* previous = nullptr;
  const Integer count = Count();
  for (Integer i = 0; i < count; ++i) {
    TfsDesignatorItem* element = ElementAt(i);
    TfsCustomVariable* item = element->Ref();
    const TfsDesignatorItem::TRefKind kind = element->RefKind();
    if (kind == TfsDesignatorItem::rkDesignator) {
      running = item->GetValue();
      previous = item;
      continue;
    }

    TfsProcVariable* recursive = nullptr;
    if (kind == TfsDesignatorItem::rkProc && static_cast<TfsProcVariable*>(item)->Executing())
      recursive = static_cast<TfsProcVariable*>(item);
    TCallFrame frame(stack, recursive);

    // All arguments are evaluated before any parameter changes: an argument may read the
    // parameters of the routine it calls (a recursive call).
    const Integer argCount = std::min(item->Count(), element->Count());
    const size_t args = frame.Args();
    if (item->IsMacro()) {
      for (Integer a = 0; a < argCount; ++a)
        stack.Push(Variant(element->Args(a)->Source()));
    } else {
      for (Integer a = 0; a < argCount; ++a)
        stack.Push(element->Argument(a).Source->GetValue());
    }
    for (Integer a = 0; a < argCount; ++a) {
      Variant& argValue = stack.At(args + static_cast<size_t>(a));
      if (Variant* storage = element->Argument(a).Storage)
        *storage = std::move(argValue);
      else
        item->Params(a)->SetValue(argValue);
    }

    if (kind == TfsDesignatorItem::rkHelper) {
      auto* helper = static_cast<TfsCustomHelper*>(item);
      helper->SetParentRef(previous);
      helper->SetParentValue(running);
      helper->SetProg(FScript);
    }
    previous = item;

    const bool last = i == count - 1;
    if (last && writing) {
      item->SetValue(*value);
    } else {
      item->SetNeedResult(!last || FNeedResult);
      running = item->GetValue();
    }

    if (!element->HasVarArgs())
      continue;
    for (Integer a = 0; a < argCount; ++a)
      if (item->Params(a)->IsVarParam())
        stack.At(args + static_cast<size_t>(a)) = item->Params(a)->GetValue();
    frame.RestoreLocals();
    for (Integer a = 0; a < argCount; ++a)
      if (item->Params(a)->IsVarParam())
        element->Args(a)->SetValue(stack.At(args + static_cast<size_t>(a)));
  }
  return running;
}

Variant TfsDesignator::GetValue()
{
  return Evaluate(false, nullptr);
}

void TfsDesignator::SetValue(const Variant& value)
{
  Evaluate(true, &value);
}

// ---- fast forms ----

// The element walk for one element naming a routine, without the walk.
Variant TfsCallDesignator::GetValue()
{
  TfsDesignatorItem* element = ElementAt(0);
  auto* proc = static_cast<TfsProcVariable*>(FRefItem);
  element->RefKind();
  TValueStack& stack = Stack();
  TCallFrame frame(stack, proc->Executing() ? proc : nullptr);
  const Integer argCount = std::min(proc->Count(), element->Count());
  const size_t args = frame.Args();
  for (Integer a = 0; a < argCount; ++a)
    stack.Push(element->Argument(a).Source->GetValue());
  for (Integer a = 0; a < argCount; ++a) {
    Variant& argValue = stack.At(args + static_cast<size_t>(a));
    if (Variant* storage = element->Argument(a).Storage)
      *storage = std::move(argValue);
    else
      proc->Params(a)->SetValue(argValue);
  }
  Variant result = proc->GetValue();
  if (element->HasVarArgs()) {
    for (Integer a = 0; a < argCount; ++a)
      if (proc->Params(a)->IsVarParam())
        stack.At(args + static_cast<size_t>(a)) = proc->Params(a)->GetValue();
    frame.RestoreLocals();
    for (Integer a = 0; a < argCount; ++a)
      if (proc->Params(a)->IsVarParam())
        element->Args(a)->SetValue(stack.At(args + static_cast<size_t>(a)));
  }
  return result;
}

Variant TfsVariableDesignator::GetValue()
{
  return FRefItem->GetValue();
}

void TfsVariableDesignator::SetValue(const Variant& value)
{
  FRefItem->SetValue(value);
}

namespace {

size_t CheckedIndex(const AnsiString& text, const Variant& index)
{
  const Integer i = index.AsInteger();
  if (i < 1 || static_cast<size_t>(i) > text.size())
    throw ERangeError(SRangeError);
  return static_cast<size_t>(i - 1);
}

} // namespace

// The index is read first: the expression may change the variable.
Variant TfsStringDesignator::GetValue()
{
  const Variant index = FIndexSource->GetValue();
  const AnsiString& text = static_cast<TfsStringVariable*>(FRefItem)->Text();
  return Variant(AnsiString(1, text[CheckedIndex(text, index)]));
}

void TfsStringDesignator::SetValue(const Variant& value)
{
  const Variant index = FIndexSource->GetValue();
  const AnsiString ch = VarToStr(value);
  auto* variable = static_cast<TfsStringVariable*>(FRefItem);
  const size_t at = CheckedIndex(variable->Text(), index);
  if (ch.empty())
    throw ERangeError(SRangeError);
  variable->MutableText()[at] = ch[0];
}

namespace {

void SetArrayIndices(TfsCustomVariable* helper, TfsDesignatorItem* indexList,
                     TfsCustomVariable* array)
{
  static_cast<TfsCustomHelper*>(helper)->SetParentRef(array);
  const Integer count = std::min(helper->Count(), indexList->Count());
  for (Integer i = 0; i < count; ++i)
    helper->Params(i)->SetValue(indexList->Args(i)->GetValue());
}

} // namespace

Variant TfsArrayDesignator::GetValue()
{
  SetArrayIndices(FIndexSource, FIndexList, FRefItem);
  return FIndexSource->GetValue();
}

void TfsArrayDesignator::SetValue(const Variant& value)
{
  SetArrayIndices(FIndexSource, FIndexList, FRefItem);
  FIndexSource->SetValue(value);
}
