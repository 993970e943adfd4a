// Statements of compiled scripts, the same objects for all four languages. A TfsStatement is
// a statement list; every other statement is a TfsStatement subclass whose own list is its
// body. Control flow (break, continue, exit, stop) runs through flags on the statement's
// program, so a break inside a routine acts on the routine's local script.
#pragma once

#include <memory>

#include "report/script/fsDesignator.h"
#include "report/script/fsExpression.h"
#include "report/script/fsScript.h"

class TfsStatement : public TfsItemList {
public:
  TfsStatement(TfsScript* program, const AnsiString& unitName, const AnsiString& sourcePos);
  // Runs the children in order; stops at a break, continue, exit or stop.
  virtual void Execute();

  TfsStatement* Statements(Integer index) const
  {
    return static_cast<TfsStatement*>(FItems[static_cast<size_t>(index)].get());
  }
  TfsScript* Prog() const { return FProgram; }
  const AnsiString& SourcePos() const { return FSourcePos; }
  const AnsiString& UnitName() const { return FUnitName; }

protected:
  // The line hook; false when the script was stopped and the statement must not run. The
  // hook is the nearest one up the script chain; without any, this is a few loads.
  bool RunLine()
  {
    for (TfsScript* s = FProgram; s; s = s->Parent())
      if (s->OnRunLine) {
        FProgram->RunLine(FUnitName, FSourcePos);
        break;
      }
    return !FProgram->Terminated;
  }
  void RunList(TfsStatement* list) { list->Execute(); }

  TfsScript* FProgram;
  AnsiString FSourcePos;
  AnsiString FUnitName;
};

class TfsAssignmentStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsAssignmentStmt() override;
  void Execute() override;
  // Chooses the direct source and target once the compiler has set both.
  void PrepareAssignment();
  void SetDesignator(std::unique_ptr<TfsDesignator> value) { FDesignator = std::move(value); }
  void SetExpression(std::unique_ptr<TfsExpression> value) { FExpression = std::move(value); }
  TfsDesignator* Designator() const { return FDesignator.get(); }
  TfsExpression* Expression() const { return FExpression.get(); }

protected:
  // target := target op value, on a plain variable in place (an 8-bit text appended to
  // grows where it is); the target is read before the value, as written.
  void Combine(TVarOp op);
  void Store(TVarOp op, const Variant& left, const Variant& right);

  std::unique_ptr<TfsDesignator> FDesignator;
  std::unique_ptr<TfsExpression> FExpression;
  TfsCustomVariable* FVar = nullptr;
  TfsCustomVariable* FExpr = nullptr;
  // The target's stored value when it is a plain variable; a text variable still converts
  // what it is given (FTextTarget).
  Variant* FStorage = nullptr;
  bool FTextTarget = false;
  // The value's stored value when it is a plain variable.
  Variant* FValueStorage = nullptr;
};

// x += e, x -= e, x *= e, x /= e (also x := x + e, folded by the compiler).
class TfsAssignPlusStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignMinusStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignMulStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignDivStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};

// A call (or any designator read for its effect); with modifier "+" or "-", x++ / x--.
class TfsCallStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsCallStmt() override;
  void Execute() override;
  void SetDesignator(std::unique_ptr<TfsDesignator> value) { FDesignator = std::move(value); }
  void SetModificator(const AnsiString& value) { FModificator = value; }

private:
  std::unique_ptr<TfsDesignator> FDesignator;
  AnsiString FModificator;
};

class TfsIfStmt : public TfsStatement {
public:
  TfsIfStmt(TfsScript* program, const AnsiString& unitName, const AnsiString& sourcePos);
  ~TfsIfStmt() override;
  void Execute() override;
  void SetCondition(std::unique_ptr<TfsExpression> value)
  {
    FCondition = std::move(value);
    FTest = FCondition->Evaluator();
  }
  TfsStatement* ElseStmt() const { return FElseStmt.get(); }

private:
  std::unique_ptr<TfsExpression> FCondition;
  TfsCustomVariable* FTest = nullptr; // what gives the condition\'s value
  std::unique_ptr<TfsStatement> FElseStmt;
};

class TfsCaseSelector : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsCaseSelector() override;
  bool Check(const Variant& value);
  void SetSetExpression(std::unique_ptr<TfsSetExpression> value)
  {
    FSetExpression = std::move(value);
  }

private:
  std::unique_ptr<TfsSetExpression> FSetExpression;
};

class TfsCaseStmt : public TfsStatement {
public:
  TfsCaseStmt(TfsScript* program, const AnsiString& unitName, const AnsiString& sourcePos);
  ~TfsCaseStmt() override;
  void Execute() override;
  void SetCondition(std::unique_ptr<TfsExpression> value)
  {
    FCondition = std::move(value);
    FTest = FCondition->Evaluator();
  }
  TfsStatement* ElseStmt() const { return FElseStmt.get(); }

private:
  std::unique_ptr<TfsExpression> FCondition;
  TfsCustomVariable* FTest = nullptr; // what gives the condition\'s value
  std::unique_ptr<TfsStatement> FElseStmt;
};

// repeat ... until (inverse clear) and do ... while (inverse set).
class TfsRepeatStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsRepeatStmt() override;
  void Execute() override;
  void SetCondition(std::unique_ptr<TfsExpression> value)
  {
    FCondition = std::move(value);
    FTest = FCondition->Evaluator();
  }
  void SetInverseCondition(bool value) { FInverseCondition = value; }

private:
  std::unique_ptr<TfsExpression> FCondition;
  TfsCustomVariable* FTest = nullptr; // what gives the condition\'s value
  bool FInverseCondition = false;
};

class TfsWhileStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsWhileStmt() override;
  void Execute() override;
  void SetCondition(std::unique_ptr<TfsExpression> value)
  {
    FCondition = std::move(value);
    FTest = FCondition->Evaluator();
  }

private:
  std::unique_ptr<TfsExpression> FCondition;
  TfsCustomVariable* FTest = nullptr; // what gives the condition\'s value
};

class TfsForStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsForStmt() override;
  void Execute() override;
  void SetBeginValue(std::unique_ptr<TfsExpression> value) { FBeginValue = std::move(value); }
  void SetEndValue(std::unique_ptr<TfsExpression> value) { FEndValue = std::move(value); }
  TfsExpression* BeginValue() const { return FBeginValue.get(); }
  TfsExpression* EndValue() const { return FEndValue.get(); }
  void SetDown(bool value) { FDown = value; }
  void SetVariable(TfsCustomVariable* value) { FVariable = value; }

private:
  std::unique_ptr<TfsExpression> FBeginValue;
  bool FDown = false;
  std::unique_ptr<TfsExpression> FEndValue;
  TfsCustomVariable* FVariable = nullptr;
};

class TfsVbForStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsVbForStmt() override;
  void Execute() override;
  void SetBeginValue(std::unique_ptr<TfsExpression> value) { FBeginValue = std::move(value); }
  void SetEndValue(std::unique_ptr<TfsExpression> value) { FEndValue = std::move(value); }
  void SetStep(std::unique_ptr<TfsExpression> value) { FStep = std::move(value); }
  TfsExpression* BeginValue() const { return FBeginValue.get(); }
  TfsExpression* EndValue() const { return FEndValue.get(); }
  TfsExpression* Step() const { return FStep.get(); }
  void SetVariable(TfsCustomVariable* value) { FVariable = value; }

private:
  std::unique_ptr<TfsExpression> FBeginValue;
  std::unique_ptr<TfsExpression> FEndValue;
  std::unique_ptr<TfsExpression> FStep;
  TfsCustomVariable* FVariable = nullptr;
};

class TfsCppForStmt : public TfsStatement {
public:
  TfsCppForStmt(TfsScript* program, const AnsiString& unitName, const AnsiString& sourcePos);
  ~TfsCppForStmt() override;
  void Execute() override;
  void SetCondition(std::unique_ptr<TfsExpression> value)
  {
    FExpression = std::move(value);
    FTest = FExpression->Evaluator();
  }
  TfsStatement* FirstStmt() const { return FFirstStmt.get(); }
  TfsStatement* SecondStmt() const { return FSecondStmt.get(); }

private:
  std::unique_ptr<TfsStatement> FFirstStmt;
  std::unique_ptr<TfsExpression> FExpression;
  TfsCustomVariable* FTest = nullptr;
  std::unique_ptr<TfsStatement> FSecondStmt;
};

// try ... except (except flag set) or try ... finally; the handler is ExceptStmt.
class TfsTryStmt : public TfsStatement {
public:
  TfsTryStmt(TfsScript* program, const AnsiString& unitName, const AnsiString& sourcePos);
  void Execute() override;
  void SetIsExcept(bool value) { FIsExcept = value; }
  TfsStatement* ExceptStmt() const { return FExceptStmt.get(); }

private:
  bool FIsExcept = false;
  std::unique_ptr<TfsStatement> FExceptStmt;
};

class TfsBreakStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};

class TfsContinueStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};

class TfsExitStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};

// Stores the object of a with-designator into the hidden variable the body reads.
class TfsWithStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsWithStmt() override;
  void Execute() override;
  void SetDesignator(std::unique_ptr<TfsDesignator> value) { FDesignator = std::move(value); }
  void SetVariable(TfsCustomVariable* value) { FVariable = value; }

private:
  std::unique_ptr<TfsDesignator> FDesignator;
  TfsCustomVariable* FVariable = nullptr;
};
