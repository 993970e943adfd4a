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

bool TfsDesignatorItem::HasVarArgs()
{
  RefKind();
  return FHasVarArgs;
}

TfsDesignatorItem::TRefKind TfsDesignatorItem::RefKind()
{
  if (FRefKind != rkUnknown)
    return FRefKind;
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
  if (FRefKind != rkDesignator)
    for (Integer a = 0; a < FRef->Count(); ++a)
      FHasVarArgs = FHasVarArgs || FRef->Params(a)->IsVarParam();
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
    if (FTop == FValues.size())
      FValues.emplace_back();
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
  std::vector<Variant> FValues;
  size_t FTop = 0;
};

thread_local TValueStack ValueStack;

// One element's call: the argument values and a recursive routine's saved locals on the value
// stack. The locals go back before the var arguments are written, so an inner call's change
// to a var argument that names the caller's own local survives; when the call fails they go
// back all the same.
class TCallFrame {
public:
  explicit TCallFrame(TfsProcVariable* recursive) : FBase(ValueStack.Top())
  {
    if (!recursive)
      return;
    FLocals = &recursive->FrameItems();
    for (TfsCustomVariable* local : *FLocals)
      ValueStack.Push(local->GetValue());
    FArgs = ValueStack.Top();
  }
  ~TCallFrame()
  {
    RestoreLocals();
    ValueStack.PopTo(FBase);
  }
  size_t Args() const { return FArgs; }
  void RestoreLocals()
  {
    if (!FLocals)
      return;
    const std::vector<TfsCustomVariable*>* locals = FLocals;
    FLocals = nullptr;
    for (size_t i = 0; i < locals->size(); ++i)
      (*locals)[i]->SetValue(ValueStack.At(FBase + i));
  }

private:
  size_t FBase;
  size_t FArgs = FBase;
  const std::vector<TfsCustomVariable*>* FLocals = nullptr;
};

} // namespace

Variant TfsDesignator::Evaluate(bool writing, const Variant& value)
{
  TfsStackGuard::CheckStack();
  if (FLateBindingXML)
    BuildLate();
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
    TCallFrame frame(recursive);

    // All arguments are evaluated before any parameter changes: an argument may read the
    // parameters of the routine it calls (a recursive call).
    const Integer argCount = std::min(item->Count(), element->Count());
    const size_t args = frame.Args();
    for (Integer a = 0; a < argCount; ++a) {
      TfsExpression* arg = element->Args(a);
      ValueStack.Push(item->IsMacro() ? Variant(arg->Source()) : arg->GetValue());
    }
    for (Integer a = 0; a < argCount; ++a)
      item->Params(a)->SetValue(ValueStack.At(args + static_cast<size_t>(a)));

    if (kind == TfsDesignatorItem::rkHelper) {
      auto* helper = static_cast<TfsCustomHelper*>(item);
      helper->SetParentRef(previous);
      helper->SetParentValue(running);
      helper->SetProg(FScript);
    }
    previous = item;

    const bool last = i == count - 1;
    if (last && writing) {
      item->SetValue(value);
    } else {
      item->SetNeedResult(!last || FNeedResult);
      running = item->GetValue();
    }

    if (!element->HasVarArgs())
      continue;
    for (Integer a = 0; a < argCount; ++a)
      if (item->Params(a)->IsVarParam())
        ValueStack.At(args + static_cast<size_t>(a)) = item->Params(a)->GetValue();
    frame.RestoreLocals();
    for (Integer a = 0; a < argCount; ++a)
      if (item->Params(a)->IsVarParam())
        element->Args(a)->SetValue(ValueStack.At(args + static_cast<size_t>(a)));
  }
  return running;
}

Variant TfsDesignator::GetValue()
{
  return Evaluate(false, Variant());
}

void TfsDesignator::SetValue(const Variant& value)
{
  Evaluate(true, value);
}

// ---- fast forms ----

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

Variant TfsStringDesignator::GetValue()
{
  const AnsiString& text = static_cast<TfsStringVariable*>(FRefItem)->Str();
  const size_t at = CheckedIndex(text, FIndexSource->GetValue());
  return Variant(AnsiString(1, text[at]));
}

void TfsStringDesignator::SetValue(const Variant& value)
{
  AnsiString& text = static_cast<TfsStringVariable*>(FRefItem)->Str();
  const size_t at = CheckedIndex(text, FIndexSource->GetValue());
  const AnsiString ch = VarToStr(value);
  if (ch.empty())
    throw ERangeError(SRangeError);
  text[at] = ch[0];
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
