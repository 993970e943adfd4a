// The filter criteria model (see cxFilter.h): operators, tree nodes, the criteria with its
// change reports, evaluation and texts. The stream is in cxFilterStream.cpp, the value list
// in cxFilterValueList.cpp.
#include "controls/cx/data/cxFilter.h"

#include <algorithm>

#include "controls/cx/data/cxDataUtils.h"
#include "controls/cx/data/cxFilterConsts.h"
#include "controls/cx/data/cxLike.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

TcxFilterResourceStringHook FilterResourceStringHook = nullptr;

AnsiString GetFilterResourceString(PResStringRec AResString)
{
  if (FilterResourceStringHook)
    return FilterResourceStringHook(AResString);
  return LoadResString(AResString);
}

namespace {

[[noreturn]] void AbstractError()
{
  throw EAbstractError(SAbstractError);
}

AnsiString Res(const TResStringRec& AResString)
{
  return GetFilterResourceString(&AResString);
}

// A text inside single quotes, its own quotes doubled, so the filter text reads it back
// as one value whatever it holds.
AnsiString Quoted(const AnsiString& AText)
{
  AnsiString result = "'";
  for (char c : AText) {
    result += c;
    if (c == '\'')
      result += '\'';
  }
  return result + "'";
}

Variant Element(const Variant& AArray, Integer AIndex)
{
  return VarArrayGet(AArray, {VarArrayLowBound(AArray, 1) + AIndex});
}

Integer ElementCount(const Variant& AArray)
{
  return VarArrayHighBound(AArray, 1) - VarArrayLowBound(AArray, 1) + 1;
}

AnsiString FieldNameOf(TcxFilterOperator* AOperator)
{
  return AOperator->CriteriaItem()->FieldName();
}

AnsiString ValueTextOf(TcxFilterOperator* AOperator, const Variant& AValue)
{
  AnsiString text;
  AOperator->GetValueText(AValue, text);
  return text;
}

} // namespace

// ---- TcxFilterOperator ----

TcxFilterCriteria* TcxFilterOperator::Criteria() const
{
  return FCriteriaItem->Criteria();
}

void TcxFilterOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  GetValueText(AValue, AText);
}

void TcxFilterOperator::GetValueText(const Variant& AValue, AnsiString& AText)
{
  if (GetListValueText(AValue, AText))
    return;
  TcxFilterCriteria* criteria = Criteria();
  if (VarIsStr(AValue)) {
    AText = Quoted(VarToStr(AValue));
  } else if (IsDateVariant(AValue)) {
    AnsiString date;
    criteria->DateValueToText(AValue, date);
    AText = Quoted(date);
  } else if (VarType(AValue) == varBoolean) {
    criteria->BooleanValueToText(AValue, AText);
  } else if (VarIsNull(AValue)) {
    AText = "NULL";
  } else {
    AText = VarToStr(AValue);
  }
  criteria->FormatFilterTextValue(FCriteriaItem, AValue, AText);
}

bool TcxFilterOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  AbstractError();
}

void TcxFilterOperator::GetDisplayText(AnsiString& AText)
{
  GetExpressionOperator(AText);
}

void TcxFilterOperator::GetExpressionOperator(AnsiString& AText)
{
  AbstractError();
}

AnsiString TcxFilterOperator::ExpressionOperator()
{
  AnsiString text;
  GetExpressionOperator(text);
  return text;
}

AnsiString TcxFilterOperator::DisplayText()
{
  AnsiString text;
  GetDisplayText(text);
  return text;
}

// Equality. With an array value the condition compares several fields at once: the field
// name is then a ';'-separated list, one name per element.
void TcxFilterEqualOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  AnsiString names = FieldNameOf(this);
  Integer pos = 1;
  AText.clear();
  for (Integer i = 0; i < ElementCount(AValue); ++i) {
    AnsiString name;
    NextListToken(names, pos, name);
    if (i > 0)
      AText += " AND ";
    AText += "(" + name + " = " + ValueTextOf(this, Element(AValue, i)) + ")";
  }
}

bool TcxFilterEqualOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return VariantCompare(AValue, AConditionValue) == 0;
}

void TcxFilterEqualOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorEqual);
}

bool TcxFilterEqualOperator::UsesExpression()
{
  return VarIsArray(CriteriaItem()->Value());
}

void TcxFilterNotEqualOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  TcxFilterEqualOperator::GetExpression(AValue, AText);
  AText = "NOT (" + AText + ")";
}

bool TcxFilterNotEqualOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return !TcxFilterEqualOperator::Matches(AValue, AConditionValue);
}

void TcxFilterNotEqualOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorNotEqual);
}

void TcxFilterNullOperator::PrepareDisplayValue(AnsiString& AText)
{
  if (Criteria()->Options().Contains(fcoShowOperatorDescription))
    AText.clear();
}

bool TcxFilterNullOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return CriteriaItem()->IsValueNull(AValue);
}

void TcxFilterNullOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorIsNull);
}

bool TcxFilterNotNullOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return !CriteriaItem()->IsValueNull(AValue);
}

void TcxFilterNotNullOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorIsNotNull);
}

bool TcxFilterLessOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return VariantCompare(AValue, AConditionValue) < 0;
}

void TcxFilterLessOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorLess);
}

bool TcxFilterLessEqualOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return VariantCompare(AValue, AConditionValue) <= 0;
}

void TcxFilterLessEqualOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorLessEqual);
}

bool TcxFilterGreaterOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return VariantCompare(AValue, AConditionValue) > 0;
}

void TcxFilterGreaterOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorGreater);
}

bool TcxFilterGreaterEqualOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return VariantCompare(AValue, AConditionValue) >= 0;
}

void TcxFilterGreaterEqualOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorGreaterEqual);
}

void TcxFilterLikeOperator::PrepareDisplayValue(AnsiString& AText)
{
  if (Criteria()->Options().Contains(fcoShowOperatorDescription))
    StripLikeWildcards(AText, Criteria()->PercentWildcard());
}

bool TcxFilterLikeOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  TcxFilterCriteria* criteria = Criteria();
  return MatchesLikePattern(VarToStr(AValue), VarToStr(AConditionValue),
                            criteria->PercentWildcard(), criteria->UnderscoreWildcard());
}

Byte TcxFilterLikeOperator::WildcardPositions()
{
  AnsiString text;
  try {
    text = VarToStr(CriteriaItem()->Value());
  } catch (const EVariantError&) {
    return 0;
  }
  return StripLikeWildcards(text, Criteria()->PercentWildcard());
}

void TcxFilterLikeOperator::GetDisplayText(AnsiString& AText)
{
  switch (WildcardPositions()) {
  case 1:
    AText = Res(cxSFilterOperatorBeginsWith);
    break;
  case 2:
    AText = Res(cxSFilterOperatorEndsWith);
    break;
  case 3:
    AText = Res(cxSFilterOperatorContains);
    break;
  default:
    AText = Res(cxSFilterOperatorLike);
    break;
  }
}

bool TcxFilterNotLikeOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return !TcxFilterLikeOperator::Matches(AValue, AConditionValue);
}

void TcxFilterNotLikeOperator::GetDisplayText(AnsiString& AText)
{
  switch (WildcardPositions()) {
  case 1:
    AText = Res(cxSFilterOperatorDoesNotBeginWith);
    break;
  case 2:
    AText = Res(cxSFilterOperatorDoesNotEndWith);
    break;
  case 3:
    AText = Res(cxSFilterOperatorDoesNotContain);
    break;
  default:
    AText = Res(cxSFilterOperatorNotLike);
    break;
  }
}

void TcxFilterBetweenOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  AnsiString field = FieldNameOf(this);
  AText = "(" + ValueTextOf(this, Element(AValue, 0)) + " <= " + field + ") AND (" + field +
          " <= " + ValueTextOf(this, Element(AValue, 1)) + ")";
}

void TcxFilterBetweenOperator::PrepareDisplayValue(AnsiString& AText)
{
  Variant value;
  TextToBetweenValue(AText, value);
  BetweenValueToDisplayText(value, AText);
}

bool TcxFilterBetweenOperator::GetListValueText(const Variant& AValue, AnsiString& AText)
{
  if (!VarIsArray(AValue))
    return false;
  AText = ValueTextOf(this, Element(AValue, 0)) + " AND " + ValueTextOf(this, Element(AValue, 1));
  return true;
}

bool TcxFilterBetweenOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  Variant low = VarArrayGet(AConditionValue, {0}), high = VarArrayGet(AConditionValue, {1});
  return VariantCompare(low, AValue) <= 0 && VariantCompare(AValue, high) <= 0;
}

void TcxFilterBetweenOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorBetween);
}

bool TcxFilterBetweenOperator::UsesExpression()
{
  return Criteria()->TranslateBetween();
}

void TcxFilterNotBetweenOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  TcxFilterBetweenOperator::GetExpression(AValue, AText);
  AText = "NOT (" + AText + ")";
}

bool TcxFilterNotBetweenOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return !TcxFilterBetweenOperator::Matches(AValue, AConditionValue);
}

void TcxFilterNotBetweenOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorNotBetween);
}

void TcxFilterInListOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  AnsiString field = FieldNameOf(this);
  AText.clear();
  for (Integer i = 0; i < ElementCount(AValue); ++i) {
    if (i > 0)
      AText += " OR ";
    AText += "(" + field + " = " + ValueTextOf(this, Element(AValue, i)) + ")";
  }
}

void TcxFilterInListOperator::PrepareDisplayValue(AnsiString& AText)
{
  Variant value;
  TextToInListValue(AText, value);
  InListValueToDisplayText(value, AText);
}

bool TcxFilterInListOperator::GetListValueText(const Variant& AValue, AnsiString& AText)
{
  if (!VarIsArray(AValue))
    return false;
  AText = "(";
  for (Integer i = 0; i < ElementCount(AValue); ++i) {
    if (i > 0)
      AText += ", ";
    AText += ValueTextOf(this, Element(AValue, i));
  }
  AText += ")";
  return true;
}

bool TcxFilterInListOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  Integer low = VarArrayLowBound(AConditionValue, 1), high = VarArrayHighBound(AConditionValue, 1);
  for (Integer i = low; i <= high; ++i)
    if (AValue == VarArrayGet(AConditionValue, {i}))
      return true;
  return false;
}

void TcxFilterInListOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorInList);
}

bool TcxFilterInListOperator::UsesExpression()
{
  return Criteria()->TranslateIn();
}

void TcxFilterNotInListOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  TcxFilterInListOperator::GetExpression(AValue, AText);
  AText = "NOT (" + AText + ")";
}

bool TcxFilterNotInListOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  return !TcxFilterInListOperator::Matches(AValue, AConditionValue);
}

void TcxFilterNotInListOperator::GetDisplayText(AnsiString& AText)
{
  AText = Res(cxSFilterOperatorNotInList);
}

// ---- Date operators ----

void TcxFilterDateOperator::GetExpression(const Variant& AValue, AnsiString& AText)
{
  AnsiString field = FieldNameOf(this);
  AText = "(" + ValueTextOf(this, VarFromDateTime(FFromDate)) + " <= " + field + ") AND (" + field +
          " < " + ValueTextOf(this, VarFromDateTime(FToDate)) + ")";
}

void TcxFilterDateOperator::Prepare()
{
  CalculateRange(DateOf(Now()), FFromDate, FToDate);
}

bool TcxFilterDateOperator::Matches(const Variant& AValue, const Variant& AConditionValue)
{
  if (CriteriaItem()->IsValueNull(AValue))
    return false;
  return VarFromDateTime(FFromDate) <= AValue && AValue < VarFromDateTime(FToDate);
}

namespace {

TDateTime FirstOfMonth(TDateTime ADate, Integer AMonthsAhead)
{
  Word year, month, day;
  DecodeDate(ADate, year, month, day);
  Integer m = month - 1 + AMonthsAhead;
  Integer y = year + (m >= 0 ? m / 12 : -((11 - m) / 12));
  m = ((m % 12) + 12) % 12;
  return EncodeDate(y, m + 1, 1);
}

TDateTime FirstOfYear(TDateTime ADate, Integer AYearsAhead)
{
  return EncodeDate(YearOf(ADate) + AYearsAhead, 1, 1);
}

} // namespace

#define CX_DATE_RANGE(Name, Text, From, To)                                                        \
  void Name::GetDisplayText(AnsiString& AText)                                                     \
  {                                                                                                \
    AText = Res(Text);                                                                             \
  }                                                                                                \
  void Name::CalculateRange(TDateTime ADate, TDateTime& AFrom, TDateTime& ATo)                     \
  {                                                                                                \
    [[maybe_unused]] TDateTime week = StartOfWeekDate(ADate);                                      \
    AFrom = (From);                                                                                \
    ATo = (To);                                                                                    \
  }

CX_DATE_RANGE(TcxFilterYesterdayOperator, cxSFilterOperatorYesterday, ADate - 1, ADate)
CX_DATE_RANGE(TcxFilterTodayOperator, cxSFilterOperatorToday, ADate, ADate + 1)
CX_DATE_RANGE(TcxFilterTomorrowOperator, cxSFilterOperatorTomorrow, ADate + 1, ADate + 2)
CX_DATE_RANGE(TcxFilterLastWeekOperator, cxSFilterOperatorLastWeek, week - 7, week)
CX_DATE_RANGE(TcxFilterThisWeekOperator, cxSFilterOperatorThisWeek, week, week + 7)
CX_DATE_RANGE(TcxFilterNextWeekOperator, cxSFilterOperatorNextWeek, week + 7, week + 14)
CX_DATE_RANGE(TcxFilterLastMonthOperator, cxSFilterOperatorLastMonth, FirstOfMonth(ADate, -1),
              FirstOfMonth(ADate, 0))
CX_DATE_RANGE(TcxFilterThisMonthOperator, cxSFilterOperatorThisMonth, FirstOfMonth(ADate, 0),
              FirstOfMonth(ADate, 1))
CX_DATE_RANGE(TcxFilterNextMonthOperator, cxSFilterOperatorNextMonth, FirstOfMonth(ADate, 1),
              FirstOfMonth(ADate, 2))
CX_DATE_RANGE(TcxFilterLastYearOperator, cxSFilterOperatorLastYear, FirstOfYear(ADate, -1),
              FirstOfYear(ADate, 0))
CX_DATE_RANGE(TcxFilterThisYearOperator, cxSFilterOperatorThisYear, FirstOfYear(ADate, 0),
              FirstOfYear(ADate, 1))
CX_DATE_RANGE(TcxFilterNextYearOperator, cxSFilterOperatorNextYear, FirstOfYear(ADate, 1),
              FirstOfYear(ADate, 2))

#undef CX_DATE_RANGE

// ---- Operator classes ----

TcxFilterOperatorClass cxFilterOperatorClassOfKind(Byte AKind)
{
  const TcxFilterOperatorClass classes[cxFilterOperatorKindCount] = {
      ClassInfoOf<TcxFilterEqualOperator>(),     ClassInfoOf<TcxFilterNotEqualOperator>(),
      ClassInfoOf<TcxFilterLessOperator>(),      ClassInfoOf<TcxFilterLessEqualOperator>(),
      ClassInfoOf<TcxFilterGreaterOperator>(),   ClassInfoOf<TcxFilterGreaterEqualOperator>(),
      ClassInfoOf<TcxFilterLikeOperator>(),      ClassInfoOf<TcxFilterNotLikeOperator>(),
      ClassInfoOf<TcxFilterBetweenOperator>(),   ClassInfoOf<TcxFilterNotBetweenOperator>(),
      ClassInfoOf<TcxFilterInListOperator>(),    ClassInfoOf<TcxFilterNotInListOperator>(),
      ClassInfoOf<TcxFilterYesterdayOperator>(), ClassInfoOf<TcxFilterTodayOperator>(),
      ClassInfoOf<TcxFilterTomorrowOperator>(),  ClassInfoOf<TcxFilterLastWeekOperator>(),
      ClassInfoOf<TcxFilterLastMonthOperator>(), ClassInfoOf<TcxFilterLastYearOperator>(),
      ClassInfoOf<TcxFilterThisWeekOperator>(),  ClassInfoOf<TcxFilterThisMonthOperator>(),
      ClassInfoOf<TcxFilterThisYearOperator>(),  ClassInfoOf<TcxFilterNextWeekOperator>(),
      ClassInfoOf<TcxFilterNextMonthOperator>(), ClassInfoOf<TcxFilterNextYearOperator>()};
  if (AKind >= cxFilterOperatorKindCount)
    throw EListError(Format(SListIndexError, {Integer(AKind)}));
  return classes[AKind];
}

TcxFilterOperator* cxCreateFilterOperator(TcxFilterOperatorClass AClass,
                                          TcxFilterCriteriaItem* AItem)
{
  auto* ops = ClassOps<TcxFilterOperatorClassOps>(AClass);
  if (!ops)
    throw EAbstractError(SAbstractError);
  return ops->Create(AItem);
}

// ---- Tree nodes ----

TcxCustomFilterCriteriaItem::~TcxCustomFilterCriteriaItem()
{
  if (FParent)
    FParent->RemoveItem(this);
}

void TcxCustomFilterCriteriaItem::Changed()
{
  if (TcxFilterCriteria* criteria = Criteria())
    criteria->Changed();
}

TcxFilterCriteria* TcxCustomFilterCriteriaItem::Criteria() const
{
  return FParent ? FParent->Criteria() : nullptr;
}

TcxFilterCriteriaItemList::TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent,
                                                     TcxFilterBoolOperatorKind ABoolOperatorKind)
    : TcxCustomFilterCriteriaItem(AParent), FBoolOperatorKind(ABoolOperatorKind)
{
}

TcxFilterCriteriaItemList::~TcxFilterCriteriaItemList()
{
  while (!FItems.empty())
    delete FItems.back();
}

TcxFilterCriteria* TcxFilterCriteriaItemList::Criteria() const
{
  return Parent() ? Parent()->Criteria() : FCriteria;
}

void TcxFilterCriteriaItemList::RemoveItem(TcxCustomFilterCriteriaItem* AItem)
{
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it == FItems.end())
    return;
  FItems.erase(it);
  Changed();
}

TcxCustomFilterCriteriaItem* TcxFilterCriteriaItemList::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    return nullptr;
  return FItems[AIndex];
}

void TcxFilterCriteriaItemList::SetBoolOperatorKind(TcxFilterBoolOperatorKind AValue)
{
  if (FBoolOperatorKind == AValue)
    return;
  FBoolOperatorKind = AValue;
  Changed();
}

TcxFilterCriteriaItem* TcxFilterCriteriaItemList::AddCondition(TObject* AItemLink,
                                                               TcxFilterOperatorKind AOperatorKind,
                                                               const Variant& AValue,
                                                               const AnsiString& ADisplayValue)
{
  return Criteria()->AddItem(this, AItemLink, AOperatorKind, AValue, ADisplayValue);
}

TcxFilterCriteriaItemList*
TcxFilterCriteriaItemList::AddGroup(TcxFilterBoolOperatorKind ABoolOperatorKind)
{
  auto* group = new TcxFilterCriteriaItemList(this, ABoolOperatorKind);
  FItems.push_back(group);
  Changed();
  return group;
}

void TcxFilterCriteriaItemList::Clear()
{
  TcxFilterCriteria* criteria = Criteria();
  if (criteria)
    criteria->BeginUpdate();
  TScopeExit end([&] {
    if (criteria)
      criteria->EndUpdate();
  });
  while (!FItems.empty())
    delete FItems.back();
}

TcxFilterCriteriaItem::TcxFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                             TcxFilterOperatorKind AOperatorKind,
                                             const Variant& AValue, const AnsiString& ADisplayValue)
    : TcxCustomFilterCriteriaItem(AParent), FDisplayValue(ADisplayValue), FItemLink(AItemLink),
      FOperatorKind(AOperatorKind), FValue(AValue)
{
}

TcxFilterCriteriaItem::~TcxFilterCriteriaItem() = default;

void TcxFilterCriteriaItem::GetDataValue(NativeInt AData, Variant& AValue)
{
  AbstractError();
}

void TcxFilterCriteriaItem::GetDisplayValueText(AnsiString& AText)
{
  AText = FDisplayValue;
  if (FOperator)
    FOperator->PrepareDisplayValue(AText);
}

void TcxFilterCriteriaItem::GetValueText(bool ADisplay, AnsiString& AText)
{
  if (ADisplay)
    GetDisplayValueText(AText);
  else
    FOperator->GetValueText(FValue, AText);
}

void TcxFilterCriteriaItem::GetFieldCaption(AnsiString& AText)
{
  AbstractError();
}

void TcxFilterCriteriaItem::GetFieldName(AnsiString& AText)
{
  AbstractError();
}

TcxFilterOperatorClass TcxFilterCriteriaItem::GetOperatorClass()
{
  switch (FOperatorKind) {
  case foEqual:
  case foLike:
    if (IsValueNull(FValue))
      return ClassInfoOf<TcxFilterNullOperator>();
    break;
  case foNotEqual:
  case foNotLike:
    if (IsValueNull(FValue))
      return ClassInfoOf<TcxFilterNotNullOperator>();
    break;
  default:
    break;
  }
  return cxFilterOperatorClassOfKind(FOperatorKind);
}

void TcxFilterCriteriaItem::RecreateOperator()
{
  TcxFilterOperatorClass cls = GetOperatorClass();
  FOperator.reset();
  FOperator.reset(cxCreateFilterOperator(cls, this));
  FPreparedValid = false;
  Changed();
}

bool TcxFilterCriteriaItem::IsValueNull(const Variant& AValue)
{
  TcxFilterCriteria* criteria = Criteria();
  return criteria ? criteria->IsNullValue(AValue) : VarIsNull(AValue);
}

void TcxFilterCriteriaItem::SetOperatorKind(TcxFilterOperatorKind AValue)
{
  FOperatorKind = AValue;
  RecreateOperator();
}

void TcxFilterCriteriaItem::SetValue(const Variant& AValue)
{
  FValue = AValue;
  RecreateOperator();
}

AnsiString TcxFilterCriteriaItem::FieldCaption()
{
  AnsiString text;
  GetFieldCaption(text);
  return text;
}

AnsiString TcxFilterCriteriaItem::FieldName()
{
  AnsiString text;
  GetFieldName(text);
  return text;
}

const Variant& TcxFilterCriteriaItem::PreparedValue()
{
  TcxFilterCriteria* criteria = Criteria();
  if (!FPreparedValid || FPreparedOptions != criteria->Options()) {
    criteria->PrepareValue(FValue, FPreparedValue);
    FPreparedOptions = criteria->Options();
    FPreparedValid = true;
  }
  return FPreparedValue;
}

// ---- TcxFilterCriteria ----

TcxFilterCriteria::TcxFilterCriteria()
    : FRoot(std::make_unique<TcxFilterCriteriaItemList>(nullptr, fboAnd))
{
  FRoot->FCriteria = this;
}

TcxFilterCriteria::~TcxFilterCriteria()
{
  // The tree goes without change reports.
  ++FLockCount;
  FRoot.reset();
}

void TcxFilterCriteria::Assign(TPersistent* ASource)
{
  auto* source = dynamic_cast<TcxFilterCriteria*>(ASource);
  if (!source) {
    TPersistent::Assign(ASource);
    return;
  }
  TUpdateScope<TcxFilterCriteria> update(*this);
  SetDateTimeFormat(source->DateTimeFormat());
  SetMaxValueListCount(source->MaxValueListCount());
  SetOptions(source->Options());
  SetPercentWildcard(source->PercentWildcard());
  SetTranslateBetween(source->TranslateBetween());
  SetTranslateIn(source->TranslateIn());
  SetSupportedLike(source->SupportedLike());
  SetUnderscoreWildcard(source->UnderscoreWildcard());
  AssignItems(source);
  AssignEvents(source);
}

void TcxFilterCriteria::Changed()
{
  FChanged = true;
  CheckChanges();
}

void TcxFilterCriteria::CheckChanges()
{
  if (!FChanged || FLockCount != 0)
    return;
  FChanged = false;
  DoChanged();
}

void TcxFilterCriteria::EndUpdate()
{
  --FLockCount;
  CheckChanges();
}

void TcxFilterCriteria::BooleanValueToText(const Variant& AValue, AnsiString& AText)
{
  AText = VarToStr(AValue);
}

void TcxFilterCriteria::DateValueToText(const Variant& AValue, AnsiString& AText)
{
  if (!FDateTimeFormat.empty())
    AText = FormatDateTime(FDateTimeFormat, AValue.AsDateTime());
  else
    AText = VarToStr(AValue);
}

void TcxFilterCriteria::GetFilterCaption(AnsiString& AText)
{
  BuildFilterText(true, AText);
}

void TcxFilterCriteria::GetFilterText(AnsiString& AText)
{
  BuildFilterText(false, AText);
}

AnsiString TcxFilterCriteria::FilterText()
{
  AnsiString text;
  GetFilterText(text);
  return text;
}

AnsiString TcxFilterCriteria::FilterCaption()
{
  AnsiString text;
  GetFilterCaption(text);
  return text;
}

void TcxFilterCriteria::BuildFilterText(bool ADisplay, AnsiString& AText)
{
  BuildGroupText(FRoot.get(), ADisplay, AText);
}

void TcxFilterCriteria::BuildGroupText(TcxFilterCriteriaItemList* AGroup, bool ADisplay,
                                       AnsiString& AText)
{
  bool isOr = AGroup->BoolOperatorKind() == fboOr || AGroup->BoolOperatorKind() == fboNotOr;
  AnsiString word = ADisplay ? Res(isOr ? cxSFilterOrCaption : cxSFilterAndCaption)
                             : AnsiString(isOr ? "OR" : "AND");
  AText.clear();
  for (Integer i = 0; i < AGroup->Count(); ++i) {
    TcxCustomFilterCriteriaItem* child = AGroup->Items(i);
    AnsiString childText;
    if (child->IsItemList())
      BuildGroupText(static_cast<TcxFilterCriteriaItemList*>(child), ADisplay, childText);
    else
      GetConditionText(static_cast<TcxFilterCriteriaItem*>(child), ADisplay, childText);
    if (i > 0)
      AText += " " + word + " ";
    AText += "(" + childText + ")";
  }
  if (AGroup->BoolOperatorKind() == fboNotAnd || AGroup->BoolOperatorKind() == fboNotOr)
    AText = (ADisplay ? Res(cxSFilterNotCaption) : AnsiString("NOT")) + " (" + AText + ")";
}

Integer TcxFilterCriteria::ItemLinkToID(TObject* AItemLink)
{
  AbstractError();
}

TObject* TcxFilterCriteria::IDToItemLink(Integer AID)
{
  AbstractError();
}

TcxFilterCriteriaItem* TcxFilterCriteria::CreateItem(TcxFilterCriteriaItemList* AParent,
                                                     TObject* AItemLink,
                                                     TcxFilterOperatorKind AOperatorKind,
                                                     const Variant& AValue,
                                                     const AnsiString& ADisplayValue)
{
  return new TcxFilterCriteriaItem(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue);
}

void TcxFilterCriteria::GetConditionText(TcxFilterCriteriaItem* AItem, bool ADisplay,
                                         AnsiString& AText)
{
  if (!ADisplay && AItem->Operator()->UsesExpression()) {
    AItem->Operator()->GetExpression(AItem->Value(), AText);
    return;
  }
  AnsiString field, op, value;
  GetConditionItemText(AItem, ADisplay, field);
  GetConditionOperatorText(AItem, ADisplay, op);
  GetConditionValueText(AItem, ADisplay, value);
  AText = field + " " + op;
  if (!value.empty())
    AText += " " + value;
}

void TcxFilterCriteria::GetConditionItemText(TcxFilterCriteriaItem* AItem, bool ADisplay,
                                             AnsiString& AText)
{
  if (ADisplay)
    AItem->GetFieldCaption(AText);
  else
    AItem->GetFieldName(AText);
}

void TcxFilterCriteria::GetConditionOperatorText(TcxFilterCriteriaItem* AItem, bool ADisplay,
                                                 AnsiString& AText)
{
  TcxFilterOperator* op = AItem->Operator();
  if (ADisplay && (op->AlwaysDescribed() || FOptions.Contains(fcoShowOperatorDescription)))
    op->GetDisplayText(AText);
  else
    op->GetExpressionOperator(AText);
}

void TcxFilterCriteria::GetConditionValueText(TcxFilterCriteriaItem* AItem, bool ADisplay,
                                              AnsiString& AText)
{
  AItem->GetValueText(ADisplay, AText);
}

TcxFilterValueList* TcxFilterCriteria::CreateValueList()
{
  return new TcxFilterValueList(this);
}

void TcxFilterCriteria::PrepareConditions()
{
  PrepareGroup(FRoot.get());
}

void TcxFilterCriteria::PrepareGroup(TcxFilterCriteriaItemList* AGroup)
{
  for (Integer i = 0; i < AGroup->Count(); ++i) {
    TcxCustomFilterCriteriaItem* child = AGroup->Items(i);
    if (child->IsItemList()) {
      PrepareGroup(static_cast<TcxFilterCriteriaItemList*>(child));
    } else {
      auto* item = static_cast<TcxFilterCriteriaItem*>(child);
      item->FPreparedValid = false;
      if (item->Operator())
        item->Operator()->Prepare();
    }
  }
}

void TcxFilterCriteria::PrepareValue(const Variant& AValue, Variant& AResult)
{
  switch (VarType(AValue)) {
  case varCurrency:
    AResult = Variant(AValue.AsDouble());
    break;
  case varString:
  case varOleStr:
    if (FOptions.Contains(fcoCaseInsensitive))
      AResult = Variant(AnsiUpperCase(AValue.AsString()));
    else
      AResult = AValue;
    break;
  default:
    AResult = AValue;
    break;
  }
}

void TcxFilterCriteria::DoChanged()
{
  PrepareConditions();
  if (OnChanged)
    OnChanged(this);
}

void TcxFilterCriteria::AssignEvents(TPersistent* ASource)
{
  if (auto* source = dynamic_cast<TcxFilterCriteria*>(ASource))
    OnChanged = source->OnChanged;
}

void TcxFilterCriteria::AssignItems(TcxFilterCriteria* ASource)
{
  TUpdateScope<TcxFilterCriteria> update(*this);
  RemoveAllItems();
  TMemoryStream stream;
  ASource->WriteData(&stream);
  stream.SetPosition(0);
  ReadData(&stream);
}

TcxFilterCriteriaItem* TcxFilterCriteria::AddItem(TcxFilterCriteriaItemList* AParent,
                                                  TObject* AItemLink,
                                                  TcxFilterOperatorKind AOperatorKind,
                                                  const Variant& AValue,
                                                  const AnsiString& ADisplayValue)
{
  TUpdateScope<TcxFilterCriteria> update(*this);
  if (!AParent)
    AParent = FRoot.get();
  TcxFilterCriteriaItem* item =
      CreateItem(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue);
  AParent->FItems.push_back(item);
  TUndoOnError undo([&] { delete item; });
  item->RecreateOperator();
  if (item->Operator()->InheritsFrom(ClassInfoOf<TcxFilterNullOperator>()) &&
      item->DisplayValue().empty())
    item->SetDisplayValue(Res(cxSFilterBlankCaption));
  undo.Dismiss();
  return item;
}

TcxFilterCriteriaItem* TcxFilterCriteria::FindItemByItemLink(TObject* AItemLink)
{
  return FindInGroup(FRoot.get(), AItemLink);
}

TcxFilterCriteriaItem* TcxFilterCriteria::FindInGroup(TcxFilterCriteriaItemList* AGroup,
                                                      TObject* AItemLink)
{
  for (Integer i = 0; i < AGroup->Count(); ++i) {
    TcxCustomFilterCriteriaItem* child = AGroup->Items(i);
    if (child->IsItemList()) {
      if (auto* found = FindInGroup(static_cast<TcxFilterCriteriaItemList*>(child), AItemLink))
        return found;
    } else if (static_cast<TcxFilterCriteriaItem*>(child)->StoredItemLink() == AItemLink) {
      return static_cast<TcxFilterCriteriaItem*>(child);
    }
  }
  return nullptr;
}

void TcxFilterCriteria::RestoreDefaults()
{
  TUpdateScope<TcxFilterCriteria> update(*this);
  SetOptions({});
  SetPercentWildcard('%');
  SetSupportedLike(true);
  SetTranslateBetween(false);
  SetTranslateIn(false);
  SetUnderscoreWildcard('_');
}

bool TcxFilterCriteria::IsNullValue(const Variant& AValue)
{
  if (FOptions.Contains(fcoSoftNull))
    return IsSoftNullVariant(AValue);
  return VarIsNull(AValue);
}

void TcxFilterCriteria::RemoveAllItems()
{
  TUpdateScope<TcxFilterCriteria> update(*this);
  FRoot->Clear();
  FRoot->SetBoolOperatorKind(fboAnd);
}

void TcxFilterCriteria::RemoveItemsByItemLink(TObject* AItemLink)
{
  BeginUpdate();
  bool removed = false;
  TScopeExit end([&] {
    if (removed)
      EndUpdate();
    else
      CancelUpdate();
  });
  while (TcxFilterCriteriaItem* item = FindItemByItemLink(AItemLink)) {
    removed = true;
    TcxFilterCriteriaItemList* group = item->Parent();
    delete item;
    if (group == FRoot.get())
      continue;
    if (group->Count() == 0) {
      delete group;
    } else if (group->Count() == 1) {
      // The last child takes the group's place at the end of the group's parent.
      TcxCustomFilterCriteriaItem* child = group->FItems[0];
      TcxFilterCriteriaItemList* parent = group->Parent();
      parent->RemoveItem(group);
      parent->FItems.push_back(child);
      child->FParent = parent;
      group->FItems.clear();
      group->FParent = nullptr;
      delete group;
    }
  }
}

bool TcxFilterCriteria::DoFilterData(NativeInt AData)
{
  return EvaluateGroup(FRoot.get(), AData);
}

bool TcxFilterCriteria::EvaluateGroup(TcxFilterCriteriaItemList* AGroup, NativeInt AData)
{
  TcxFilterBoolOperatorKind kind = AGroup->BoolOperatorKind();
  bool result = true;
  for (Integer i = 0; i < AGroup->Count(); ++i) {
    TcxCustomFilterCriteriaItem* child = AGroup->Items(i);
    bool c = child->IsItemList()
                 ? EvaluateGroup(static_cast<TcxFilterCriteriaItemList*>(child), AData)
                 : EvaluateCondition(static_cast<TcxFilterCriteriaItem*>(child), AData);
    if (i == 0) {
      result = (kind == fboNotAnd || kind == fboNotOr) ? !c : c;
      continue;
    }
    switch (kind) {
    case fboAnd:
      result = result && c;
      break;
    case fboOr:
      result = result || c;
      break;
    case fboNotAnd:
      result = result || !c;
      break;
    case fboNotOr:
      result = result && !c;
      break;
    }
  }
  return result;
}

bool TcxFilterCriteria::EvaluateCondition(TcxFilterCriteriaItem* AItem, NativeInt AData)
{
  try {
    Variant value, prepared;
    AItem->GetDataValue(AData, value);
    PrepareValue(value, prepared);
    return AItem->Operator()->Matches(prepared, AItem->PreparedValue());
  } catch (const EVariantError&) {
    if (FOptions.Contains(fcoSoftCompare))
      return false;
    throw;
  }
}

void TcxFilterCriteria::SetOptions(TcxFilterCriteriaOptions AValue)
{
  if (FOptions == AValue)
    return;
  FOptions = AValue;
  Changed();
}

void TcxFilterCriteria::SetPercentWildcard(char AValue)
{
  if (FPercentWildcard == AValue)
    return;
  FPercentWildcard = AValue;
  Changed();
}

void TcxFilterCriteria::SetUnderscoreWildcard(char AValue)
{
  if (FUnderscoreWildcard == AValue)
    return;
  FUnderscoreWildcard = AValue;
  Changed();
}

void TcxFilterCriteria::SetDateTimeFormat(const AnsiString& AValue)
{
  if (FDateTimeFormat == AValue)
    return;
  FDateTimeFormat = AValue;
  Changed();
}

// ---- Helpers ----

void FilterValueToText(const Variant& AValue, AnsiString& AText)
{
  if (VarIsNull(AValue))
    AText = Res(cxSFilterBlankCaption);
  else
    AText = VarToStr(AValue);
}

void NextListToken(const AnsiString& AText, Integer& APos, AnsiString& AToken)
{
  Integer start = APos;
  Integer end = start;
  Integer length = Length(AText);
  while (end <= length && AText[end - 1] != ';')
    ++end;
  AToken = Trim(Copy(AText, start, end - start));
  APos = end + 1;
}

void TextToBetweenValue(const AnsiString& AText, Variant& AValue)
{
  Integer pos = 1;
  AnsiString first, second;
  NextListToken(AText, pos, first);
  if (pos <= Length(AText))
    NextListToken(AText, pos, second);
  AValue = CreateVariantPair(first, second);
}

void TextToInListValue(const AnsiString& AText, Variant& AValue)
{
  AValue = "";
  Integer pos = 1;
  bool first = true;
  while (pos <= Length(AText)) {
    AnsiString token;
    NextListToken(AText, pos, token);
    if (first)
      AValue = CreateSingleVariantArray(token);
    else
      AppendVariantArrayElement(AValue, token);
    first = false;
  }
}

void BetweenValueToDisplayText(const Variant& AValue, AnsiString& AText)
{
  AnsiString low, high;
  FilterValueToText(Element(AValue, 0), low);
  FilterValueToText(Element(AValue, 1), high);
  AText = low + " " + Res(cxSFilterAndCaption) + " " + high;
}

void InListValueToDisplayText(const Variant& AValue, AnsiString& AText)
{
  AText = "(";
  for (Integer i = 0; i < ElementCount(AValue); ++i) {
    AnsiString text;
    FilterValueToText(Element(AValue, i), text);
    if (i > 0)
      AText += ", ";
    AText += text;
  }
  AText += ")";
}

bool MatchesLikePattern(const AnsiString& AValue, const AnsiString& APattern, char AAnyChar,
                        char ASingleChar)
{
  return LikeMatch(AValue, APattern, AAnyChar, ASingleChar);
}

Byte StripLikeWildcards(AnsiString& AText, char AWildcard)
{
  AnsiString doubled(2, AWildcard);
  for (size_t at = AText.find(doubled); at != AnsiString::npos; at = AText.find(doubled))
    AText.erase(at, 1);
  if (AText.size() < 2)
    return 0;
  Byte result = 0;
  bool leading = AText.front() == AWildcard, trailing = AText.back() == AWildcard;
  if (leading) {
    result |= 2;
    AText.erase(0, 1);
  }
  if (trailing) {
    result |= 1;
    AText.pop_back();
  }
  return result;
}

// ---- Unit ----

void cxFilterInitialization()
{
  TClassRegistration<TcxFilterOperator>("TcxFilterOperator").Abstract();
  TClassRegistration<TcxFilterEqualOperator, TcxFilterOperator>("TcxFilterEqualOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterEqualOperator>>();
  TClassRegistration<TcxFilterNotEqualOperator, TcxFilterEqualOperator>("TcxFilterNotEqualOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterNotEqualOperator>>();
  TClassRegistration<TcxFilterNullOperator, TcxFilterEqualOperator>("TcxFilterNullOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterNullOperator>>();
  TClassRegistration<TcxFilterNotNullOperator, TcxFilterNullOperator>("TcxFilterNotNullOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterNotNullOperator>>();
  TClassRegistration<TcxFilterLessOperator, TcxFilterOperator>("TcxFilterLessOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterLessOperator>>();
  TClassRegistration<TcxFilterLessEqualOperator, TcxFilterOperator>("TcxFilterLessEqualOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterLessEqualOperator>>();
  TClassRegistration<TcxFilterGreaterOperator, TcxFilterOperator>("TcxFilterGreaterOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterGreaterOperator>>();
  TClassRegistration<TcxFilterGreaterEqualOperator, TcxFilterOperator>(
      "TcxFilterGreaterEqualOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterGreaterEqualOperator>>();
  TClassRegistration<TcxFilterLikeOperator, TcxFilterOperator>("TcxFilterLikeOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterLikeOperator>>();
  TClassRegistration<TcxFilterNotLikeOperator, TcxFilterLikeOperator>("TcxFilterNotLikeOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterNotLikeOperator>>();
  TClassRegistration<TcxFilterBetweenOperator, TcxFilterOperator>("TcxFilterBetweenOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterBetweenOperator>>();
  TClassRegistration<TcxFilterNotBetweenOperator, TcxFilterBetweenOperator>(
      "TcxFilterNotBetweenOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterNotBetweenOperator>>();
  TClassRegistration<TcxFilterInListOperator, TcxFilterOperator>("TcxFilterInListOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterInListOperator>>();
  TClassRegistration<TcxFilterNotInListOperator, TcxFilterInListOperator>(
      "TcxFilterNotInListOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterNotInListOperator>>();
  TClassRegistration<TcxFilterDateOperator, TcxFilterOperator>("TcxFilterDateOperator").Abstract();
#define CX_REGISTER_DATE(Name)                                                                     \
  TClassRegistration<Name, TcxFilterDateOperator>(#Name)                                           \
      .Abstract()                                                                                  \
      .ClassOps<TcxFilterOperatorOps<Name>>()
  CX_REGISTER_DATE(TcxFilterYesterdayOperator);
  CX_REGISTER_DATE(TcxFilterTodayOperator);
  CX_REGISTER_DATE(TcxFilterTomorrowOperator);
  CX_REGISTER_DATE(TcxFilterLastWeekOperator);
  CX_REGISTER_DATE(TcxFilterLastMonthOperator);
  CX_REGISTER_DATE(TcxFilterLastYearOperator);
  CX_REGISTER_DATE(TcxFilterThisWeekOperator);
  CX_REGISTER_DATE(TcxFilterThisMonthOperator);
  CX_REGISTER_DATE(TcxFilterThisYearOperator);
  CX_REGISTER_DATE(TcxFilterNextWeekOperator);
  CX_REGISTER_DATE(TcxFilterNextMonthOperator);
  CX_REGISTER_DATE(TcxFilterNextYearOperator);
#undef CX_REGISTER_DATE

  RegisterEnumType<TcxFilterCriteriaOption>(
      "TcxFilterCriteriaOption",
      {"fcoCaseInsensitive", "fcoShowOperatorDescription", "fcoSoftNull", "fcoSoftCompare"});
  RegisterSetType<TcxFilterCriteriaOptions>("TcxFilterCriteriaOptions");
  TClassRegistration<TcxFilterCriteria, TPersistent>("TcxFilterCriteria")
      .Property("Options", &TcxFilterCriteria::Options, &TcxFilterCriteria::SetOptions)
      .Default(TcxFilterCriteriaOptions())
      .Property("MaxValueListCount", &TcxFilterCriteria::MaxValueListCount,
                &TcxFilterCriteria::SetMaxValueListCount)
      .Default(0)
      .Property("PercentWildcard", &TcxFilterCriteria::PercentWildcard,
                &TcxFilterCriteria::SetPercentWildcard)
      .Default('%')
      .Property("UnderscoreWildcard", &TcxFilterCriteria::UnderscoreWildcard,
                &TcxFilterCriteria::SetUnderscoreWildcard)
      .Default('_');
  TClassRegistration<TFilterWrapper, TComponent>("TFilterWrapper")
      .Property("Filter", &TFilterWrapper::Filter, &TFilterWrapper::SetFilter);
}

void cxFilterFinalization()
{
  FilterResourceStringHook = nullptr;
}
