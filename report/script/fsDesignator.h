// Designators: every use of a name in a compiled script (x, s[i], a[1, 2], F(x), a.b[1].c)
// is a chain of elements read from left to right, each receiving the value of the one
// before as its parent value; writing assigns to the last element. Three fast forms skip
// the walk for a plain variable, a character of a string variable and an array element.
#pragma once

#include <memory>
#include <vector>

#include "report/script/fsScript.h"

class TfsExpression;
class TfsXMLItem;

// One step of a name path; its children are the argument expressions.
class TfsDesignatorItem : public TfsItemList {
public:
  TfsExpression* Args(Integer index) const;
  TfsCustomVariable* Ref() const { return FRef; }
  void SetRef(TfsCustomVariable* value)
  {
    FRef = value;
    FRefKind = rkUnknown;
  }
  // What the named item is, as the element walk needs it; worked out once.
  enum TRefKind { rkUnknown, rkDesignator, rkProc, rkHelper, rkOther };
  TRefKind RefKind() { return FRefKind != rkUnknown ? FRefKind : ComputeRefKind(); }
  // True when the named item has a var parameter (its arguments are written back).
  bool HasVarArgs()
  {
    RefKind();
    return FHasVarArgs;
  }
  // What one argument needs at run time, worked out with RefKind: what gives its value (the
  // expression's root, saving a step), and the parameter's stored value when it is a plain
  // parameter (set directly), else null.
  struct TArgument {
    TfsCustomVariable* Source;
    Variant* Storage;
  };
  const TArgument& Argument(Integer index) const { return FArguments[static_cast<size_t>(index)]; }
  bool Flag() const { return FFlag; } // reached with '[' (default or index property)
  void SetFlag(bool value) { FFlag = value; }
  const AnsiString& SourcePos() const { return FSourcePos; }
  void SetSourcePos(const AnsiString& value) { FSourcePos = value; }

private:
  TRefKind ComputeRefKind();

  bool FFlag = false;
  TfsCustomVariable* FRef = nullptr;
  TRefKind FRefKind = rkUnknown;
  bool FHasVarArgs = false;
  std::vector<TArgument> FArguments; // one per argument the call passes
  AnsiString FSourcePos;
};

// dkCall is the engine's own fast form of a call of a script routine by its name alone.
enum TfsDesignatorKind { dkOther, dkVariable, dkStringArray, dkArray, dkCall };

class TfsDesignator : public TfsCustomVariable {
public:
  explicit TfsDesignator(TfsScript* script);
  ~TfsDesignator() override;

  // Takes kind, types, target and read-only flag from the elements.
  void FinishDesignator();
  // Takes over the other's elements (the lists are exchanged) and its finished state.
  void AdoptFrom(TfsDesignator* other);
  TfsDesignatorItem* ElementAt(Integer index) const;

  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  TfsDesignatorKind Kind() const { return FKind; }
  TfsScript* Script() const { return FScript; }
  // A copy of the dsgn element built at first use (names that could not be resolved while
  // compiling).
  void SetLateBindingXML(std::unique_ptr<TfsXMLItem> value);
  // For s[i] the index expression, for a[i, j] the array's indexing helper.
  TfsCustomVariable* IndexSource() const { return FIndexSource; }

protected:
  // The element walk; writing assigns value to the last element.
  Variant Evaluate(bool writing, const Variant* value);
  void BuildLate();

  TfsDesignatorKind FKind = dkOther;
  TfsScript* FScript;
  TfsCustomVariable* FIndexSource = nullptr;
  TfsDesignatorItem* FIndexList = nullptr;
  std::unique_ptr<TfsXMLItem> FLateBindingXML;
};

// A plain variable.
class TfsVariableDesignator : public TfsDesignator {
public:
  using TfsDesignator::TfsDesignator;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// A character of a string variable: s[i]. An index outside 1..Length(s), or an empty text
// assigned to a character, raises a script error.
class TfsStringDesignator : public TfsDesignator {
public:
  using TfsDesignator::TfsDesignator;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// A call of a script routine by its name alone: F(x). Straight-line code for the commonest
// designator of a running program.
class TfsCallDesignator : public TfsDesignator {
public:
  using TfsDesignator::TfsDesignator;
  Variant GetValue() override;
};

// An element of an array variable: a[i, j, k].
class TfsArrayDesignator : public TfsDesignator {
public:
  using TfsDesignator::TfsDesignator;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};
