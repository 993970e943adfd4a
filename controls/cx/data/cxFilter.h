// cxFilter: the filter criteria model behind every filter of the data layer: a tree of
// conditions (item, operator, value) joined by AND/OR groups with optional negation, its
// options and change reports, evaluation against one piece of data, the two texts built
// from it (the expression form a dataset understands and the display form shown to users),
// its byte stream (cxFilterStream.cpp) and the value lists of filter drop-downs
// (cxFilterValueList.cpp). The data controller's criteria that binds it to records is in
// cxCustomData.h, the dataset criteria in cxDBData.h.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/ResStrings.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

class TcxFilterCriteria;
class TcxFilterCriteriaItem;
class TcxFilterCriteriaItemList;
class TcxFilterValueList;

// One byte in the tree and in the stream.
enum TcxFilterOperatorKind : Byte {
  foEqual,
  foNotEqual,
  foLess,
  foLessEqual,
  foGreater,
  foGreaterEqual,
  foLike,
  foNotLike,
  foBetween,
  foNotBetween,
  foInList,
  foNotInList,
  foYesterday,
  foToday,
  foTomorrow,
  foLastWeek,
  foLastMonth,
  foLastYear,
  foThisWeek,
  foThisMonth,
  foThisYear,
  foNextWeek,
  foNextMonth,
  foNextYear
};
inline constexpr Integer cxFilterOperatorKindCount = 24;

enum TcxFilterBoolOperatorKind : Byte { fboAnd, fboOr, fboNotAnd, fboNotOr };
inline constexpr Integer cxFilterBoolOperatorKindCount = 4;

enum TcxFilterCriteriaOption {
  fcoCaseInsensitive,         // strings compare upper-cased
  fcoShowOperatorDescription, // display texts use descriptions and tidy display values
  fcoSoftNull,                // an empty string counts as null
  fcoSoftCompare              // a conversion error while evaluating makes a condition False
};
using TcxFilterCriteriaOptions = TSet<TcxFilterCriteriaOption>;

// ---- Operators ----

// The operator of one condition, created by the condition and freed with it. Operator
// classes are class references (TClass) whose class-side operations create instances.
class TcxFilterOperator : public TObject {
public:
  explicit TcxFilterOperator(TcxFilterCriteriaItem* ACriteriaItem) : FCriteriaItem(ACriteriaItem) {}

  // The whole condition as the expression text writes it when UsesExpression holds.
  virtual void GetExpression(const Variant& AValue, AnsiString& AText);
  // A value as the expression text writes it (quoted texts and dates, NULL ...).
  virtual void GetValueText(const Variant& AValue, AnsiString& AText);
  virtual void PrepareDisplayValue(AnsiString& AText) {}
  virtual void Prepare() {}
  // Formats an array value itself and returns True.
  virtual bool GetListValueText(const Variant& AValue, AnsiString& AText) { return false; }
  // Record value against condition value (both prepared). Raises EAbstractError here.
  virtual bool Matches(const Variant& AValue, const Variant& AConditionValue);
  // The description (display texts).
  virtual void GetDisplayText(AnsiString& AText);
  // The word (expression texts). Raises EAbstractError here.
  virtual void GetExpressionOperator(AnsiString& AText);
  virtual bool AlwaysDescribed() { return false; }
  virtual bool UsesExpression() { return false; }

  TcxFilterCriteriaItem* CriteriaItem() const { return FCriteriaItem; }
  TcxFilterCriteria* Criteria() const;
  AnsiString ExpressionOperator();
  AnsiString DisplayText();

private:
  TcxFilterCriteriaItem* FCriteriaItem;
};

using TcxFilterOperatorClass = TClass;

class TcxFilterEqualOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  void GetExpression(const Variant& AValue, AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "="; }
  bool UsesExpression() override;
};

class TcxFilterNotEqualOperator : public TcxFilterEqualOperator {
public:
  using TcxFilterEqualOperator::TcxFilterEqualOperator;
  void GetExpression(const Variant& AValue, AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "<>"; }
};

class TcxFilterNullOperator : public TcxFilterEqualOperator {
public:
  using TcxFilterEqualOperator::TcxFilterEqualOperator;
  void PrepareDisplayValue(AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
};

class TcxFilterNotNullOperator : public TcxFilterNullOperator {
public:
  using TcxFilterNullOperator::TcxFilterNullOperator;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "<>"; }
};

class TcxFilterLessOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "<"; }
};

class TcxFilterLessEqualOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "<="; }
};

class TcxFilterGreaterOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = ">"; }
};

class TcxFilterGreaterEqualOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = ">="; }
};

class TcxFilterLikeOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  void PrepareDisplayValue(AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "LIKE"; }

protected:
  // 1 trailing wildcard only, 2 leading only, 3 both, 0 otherwise.
  Byte WildcardPositions();
};

class TcxFilterNotLikeOperator : public TcxFilterLikeOperator {
public:
  using TcxFilterLikeOperator::TcxFilterLikeOperator;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "NOT LIKE"; }
};

class TcxFilterBetweenOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  void GetExpression(const Variant& AValue, AnsiString& AText) override;
  void PrepareDisplayValue(AnsiString& AText) override;
  bool GetListValueText(const Variant& AValue, AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "BETWEEN"; }
  bool AlwaysDescribed() override { return true; }
  bool UsesExpression() override;
};

class TcxFilterNotBetweenOperator : public TcxFilterBetweenOperator {
public:
  using TcxFilterBetweenOperator::TcxFilterBetweenOperator;
  void GetExpression(const Variant& AValue, AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "NOT BETWEEN"; }
};

class TcxFilterInListOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  void GetExpression(const Variant& AValue, AnsiString& AText) override;
  void PrepareDisplayValue(AnsiString& AText) override;
  bool GetListValueText(const Variant& AValue, AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "IN"; }
  bool AlwaysDescribed() override { return true; }
  bool UsesExpression() override;
};

class TcxFilterNotInListOperator : public TcxFilterInListOperator {
public:
  using TcxFilterInListOperator::TcxFilterInListOperator;
  void GetExpression(const Variant& AValue, AnsiString& AText) override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetDisplayText(AnsiString& AText) override;
  void GetExpressionOperator(AnsiString& AText) override { AText = "NOT IN"; }
};

// The date operators: a half-open range [FromDate, ToDate) computed by Prepare from
// today's date (the runtime's clock) and the locale's first day of the week.
class TcxFilterDateOperator : public TcxFilterOperator {
public:
  using TcxFilterOperator::TcxFilterOperator;
  void GetExpression(const Variant& AValue, AnsiString& AText) override;
  void PrepareDisplayValue(AnsiString& AText) override { AText.clear(); }
  void Prepare() override;
  bool Matches(const Variant& AValue, const Variant& AConditionValue) override;
  void GetExpressionOperator(AnsiString& AText) override { GetDisplayText(AText); }
  bool UsesExpression() override { return true; }

  TDateTime FromDate() const { return FFromDate; }
  TDateTime ToDate() const { return FToDate; }

protected:
  virtual void CalculateRange(TDateTime ADate, TDateTime& AFrom, TDateTime& ATo) = 0;

private:
  TDateTime FFromDate = 0;
  TDateTime FToDate = 0;
};

#define CX_DATE_OPERATOR(Name)                                                                     \
  class Name : public TcxFilterDateOperator {                                                      \
  public:                                                                                          \
    using TcxFilterDateOperator::TcxFilterDateOperator;                                            \
    void GetDisplayText(AnsiString& AText) override;                                               \
                                                                                                   \
  protected:                                                                                       \
    void CalculateRange(TDateTime ADate, TDateTime& AFrom, TDateTime& ATo) override;               \
  }

CX_DATE_OPERATOR(TcxFilterYesterdayOperator);
CX_DATE_OPERATOR(TcxFilterTodayOperator);
CX_DATE_OPERATOR(TcxFilterTomorrowOperator);
CX_DATE_OPERATOR(TcxFilterLastWeekOperator);
CX_DATE_OPERATOR(TcxFilterLastMonthOperator);
CX_DATE_OPERATOR(TcxFilterLastYearOperator);
CX_DATE_OPERATOR(TcxFilterThisWeekOperator);
CX_DATE_OPERATOR(TcxFilterThisMonthOperator);
CX_DATE_OPERATOR(TcxFilterThisYearOperator);
CX_DATE_OPERATOR(TcxFilterNextWeekOperator);
CX_DATE_OPERATOR(TcxFilterNextMonthOperator);
CX_DATE_OPERATOR(TcxFilterNextYearOperator);

#undef CX_DATE_OPERATOR

// The class of an operator kind (0-23); a kind outside raises EListError.
TcxFilterOperatorClass cxFilterOperatorClassOfKind(Byte AKind);
// Creates an operator of a registered operator class for a condition.
TcxFilterOperator* cxCreateFilterOperator(TcxFilterOperatorClass AClass,
                                          TcxFilterCriteriaItem* AItem);

// ---- Tree nodes ----

class TcxCustomFilterCriteriaItem : public TObject {
public:
  explicit TcxCustomFilterCriteriaItem(TcxFilterCriteriaItemList* AParent) : FParent(AParent) {}
  // Leaves the parent's child list.
  ~TcxCustomFilterCriteriaItem() override;

  virtual void Changed();
  virtual TcxFilterCriteria* Criteria() const;
  virtual bool IsItemList() const { return false; }
  // Called after the node was read from a stream; reads nothing.
  virtual void ReadData(TStream* AStream) {}
  // Writes the node (cxFilterStream.cpp).
  virtual void WriteData(TStream* AStream);

  TcxFilterCriteriaItemList* Parent() const { return FParent; }

private:
  friend class TcxFilterCriteria;
  friend class TcxFilterCriteriaItemList;
  TcxFilterCriteriaItemList* FParent;
};

class TcxFilterCriteriaItemList : public TcxCustomFilterCriteriaItem {
public:
  TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent,
                            TcxFilterBoolOperatorKind ABoolOperatorKind);
  // Frees the children first.
  ~TcxFilterCriteriaItemList() override;

  TcxFilterCriteria* Criteria() const override;
  bool IsItemList() const override { return true; }
  void WriteData(TStream* AStream) override;
  // Takes AItem out of the children without freeing it; Changed when it was there.
  virtual void RemoveItem(TcxCustomFilterCriteriaItem* AItem);

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // Null outside 0..Count-1.
  TcxCustomFilterCriteriaItem* Items(Integer AIndex) const;
  TcxFilterBoolOperatorKind BoolOperatorKind() const { return FBoolOperatorKind; }
  void SetBoolOperatorKind(TcxFilterBoolOperatorKind AValue);
  TcxFilterCriteriaItem* AddCondition(TObject* AItemLink, TcxFilterOperatorKind AOperatorKind,
                                      const Variant& AValue, const AnsiString& ADisplayValue);
  TcxFilterCriteriaItemList* AddGroup(TcxFilterBoolOperatorKind ABoolOperatorKind);
  // Frees every child, last first, in one change report.
  void Clear();

private:
  friend class TcxFilterCriteria;
  std::vector<TcxCustomFilterCriteriaItem*> FItems;
  TcxFilterBoolOperatorKind FBoolOperatorKind;
  TcxFilterCriteria* FCriteria = nullptr; // the root only
};

class TcxFilterCriteriaItem : public TcxCustomFilterCriteriaItem {
public:
  // Stores the fields; the criteria's AddItem then makes the operator (RecreateOperator),
  // which a constructor cannot do for descendants that choose other operator classes.
  TcxFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                        TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                        const AnsiString& ADisplayValue);
  ~TcxFilterCriteriaItem() override;

  void WriteData(TStream* AStream) override;

  // The linked item's value for the data being filtered. Raises EAbstractError here.
  virtual void GetDataValue(NativeInt AData, Variant& AValue);
  // DisplayValue through the operator's PrepareDisplayValue.
  virtual void GetDisplayValueText(AnsiString& AText);
  // ADisplay: GetDisplayValueText; else the operator's value text of Value.
  virtual void GetValueText(bool ADisplay, AnsiString& AText);
  // Raise EAbstractError here.
  virtual void GetFieldCaption(AnsiString& AText);
  virtual void GetFieldName(AnsiString& AText);
  // Kinds 0 and 6 with a null value give the null class, 1 and 7 the not-null class; else
  // the class of the kind.
  virtual TcxFilterOperatorClass GetOperatorClass();
  virtual TObject* ItemLink() const { return FItemLink; }
  // Frees the operator, makes one of GetOperatorClass, reports the change.
  virtual void RecreateOperator();
  virtual bool IsValueNull(const Variant& AValue);

  const AnsiString& DisplayValue() const { return FDisplayValue; }
  void SetDisplayValue(const AnsiString& AValue) { FDisplayValue = AValue; }
  TcxFilterOperator* Operator() const { return FOperator.get(); }
  TcxFilterOperatorKind OperatorKind() const { return FOperatorKind; }
  // Setting the kind or the value recreates the operator.
  void SetOperatorKind(TcxFilterOperatorKind AValue);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& AValue);
  void SetItemLink(TObject* AValue) { FItemLink = AValue; }
  // The link as the condition holds it (a descendant may show another object as ItemLink).
  TObject* StoredItemLink() const { return FItemLink; }

  AnsiString FieldCaption();
  AnsiString FieldName();
  // Value through the criteria's PrepareValue, kept until Value or the options change.
  const Variant& PreparedValue();

private:
  friend class TcxFilterCriteria;
  AnsiString FDisplayValue;
  TObject* FItemLink;
  std::unique_ptr<TcxFilterOperator> FOperator;
  TcxFilterOperatorKind FOperatorKind;
  Variant FValue;
  Variant FPreparedValue;
  bool FPreparedValid = false;
  TcxFilterCriteriaOptions FPreparedOptions;
};

// ---- Criteria ----

using TcxFilterResourceStringHook = AnsiString (*)(PResStringRec AResString);
// Unset at start-up; the editor framework installs its localized-text loader.
extern TcxFilterResourceStringHook FilterResourceStringHook;
AnsiString GetFilterResourceString(PResStringRec AResString);

class TcxFilterCriteria : public TPersistent {
public:
  TcxFilterCriteria();
  ~TcxFilterCriteria() override;

  void Assign(TPersistent* ASource) override;

  virtual void Changed();
  virtual void CheckChanges();
  virtual void BooleanValueToText(const Variant& AValue, AnsiString& AText);
  virtual void DateValueToText(const Variant& AValue, AnsiString& AText);
  virtual void FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const Variant& AValue,
                                     AnsiString& AText)
  {
  }
  virtual void GetFilterCaption(AnsiString& AText);
  virtual void BuildFilterText(bool ADisplay, AnsiString& AText);
  virtual void GetFilterText(AnsiString& AText);
  // Raise EAbstractError here.
  virtual Integer ItemLinkToID(TObject* AItemLink);
  virtual TObject* IDToItemLink(Integer AID);
  // The condition class: a new condition of it.
  virtual TcxFilterCriteriaItem* CreateItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                            TcxFilterOperatorKind AOperatorKind,
                                            const Variant& AValue, const AnsiString& ADisplayValue);
  virtual void GetConditionText(TcxFilterCriteriaItem* AItem, bool ADisplay, AnsiString& AText);
  virtual void GetConditionItemText(TcxFilterCriteriaItem* AItem, bool ADisplay, AnsiString& AText);
  virtual void GetConditionOperatorText(TcxFilterCriteriaItem* AItem, bool ADisplay,
                                        AnsiString& AText);
  virtual void GetConditionValueText(TcxFilterCriteriaItem* AItem, bool ADisplay,
                                     AnsiString& AText);
  // A new, empty value list of the criteria's value-list class (the caller owns it).
  virtual TcxFilterValueList* CreateValueList();
  virtual void PrepareConditions();
  // Currency becomes Double; texts are upper-cased under fcoCaseInsensitive.
  virtual void PrepareValue(const Variant& AValue, Variant& AResult);
  // Replaces the tree by the stream's (cxFilterStream.cpp). On a damaged stream the tree
  // stays as it was and EReadError "Stream read error" propagates.
  virtual void ReadData(TStream* AStream);
  virtual void DoChanged();
  virtual void WriteData(TStream* AStream);
  virtual void AssignEvents(TPersistent* ASource);
  // Copies ASource's tree through the stream (item links through the id conversions).
  virtual void AssignItems(TcxFilterCriteria* ASource);
  // Appends a condition to AParent (the root when null) in one change report.
  virtual TcxFilterCriteriaItem* AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                         TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                         const AnsiString& ADisplayValue);
  // The first condition, depth first, whose stored link is AItemLink.
  virtual TcxFilterCriteriaItem* FindItemByItemLink(TObject* AItemLink);
  virtual bool IsEmpty() { return FRoot->Count() == 0; }
  // The component-streamed form of the published settings (cxFilterStream.cpp).
  virtual void LoadFromStream(TStream* AStream);
  virtual void RestoreDefaults();
  virtual void SaveToStream(TStream* AStream);
  virtual bool IsNullValue(const Variant& AValue);

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void CancelUpdate() { --FLockCount; }
  Integer LockCount() const { return FLockCount; }
  void RemoveAllItems();
  // Removes every condition on AItemLink; an emptied group goes, a group left with one
  // child hands it to its parent. One change report when something was removed.
  void RemoveItemsByItemLink(TObject* AItemLink);
  bool HasData() const { return FRoot->BoolOperatorKind() != fboAnd || FRoot->Count() > 0; }
  // Evaluates the tree for AData (handed to every condition's GetDataValue), without
  // short-circuit.
  bool DoFilterData(NativeInt AData);

  // Names the grid views use.
  AnsiString FilterText();
  AnsiString FilterCaption();
  void ReadFromStream(TStream* AStream) { ReadData(AStream); }
  void WriteToStream(TStream* AStream) { WriteData(AStream); }

  TcxFilterCriteriaItemList* Root() const { return FRoot.get(); }
  TcxFilterCriteriaOptions Options() const { return FOptions; }
  void SetOptions(TcxFilterCriteriaOptions AValue);
  Integer MaxValueListCount() const { return FMaxValueListCount; }
  void SetMaxValueListCount(Integer AValue) { FMaxValueListCount = AValue; }
  char PercentWildcard() const { return FPercentWildcard; }
  void SetPercentWildcard(char AValue);
  char UnderscoreWildcard() const { return FUnderscoreWildcard; }
  void SetUnderscoreWildcard(char AValue);
  const AnsiString& DateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const AnsiString& AValue);
  bool SupportedLike() const { return FSupportedLike; }
  void SetSupportedLike(bool AValue) { FSupportedLike = AValue; }
  bool TranslateBetween() const { return FTranslateBetween; }
  void SetTranslateBetween(bool AValue) { FTranslateBetween = AValue; }
  bool TranslateIn() const { return FTranslateIn; }
  void SetTranslateIn(bool AValue) { FTranslateIn = AValue; }

  TNotifyEvent OnChanged;

protected:
  // Reads one node into AParent (cxFilterStream.cpp); ADepth bounds the nesting.
  void ReadItem(TStream* AStream, TcxFilterCriteriaItemList* AParent, Integer ADepth);

private:
  friend class TcxFilterCriteriaItemList;
  void BuildGroupText(TcxFilterCriteriaItemList* AGroup, bool ADisplay, AnsiString& AText);
  bool EvaluateGroup(TcxFilterCriteriaItemList* AGroup, NativeInt AData);
  bool EvaluateCondition(TcxFilterCriteriaItem* AItem, NativeInt AData);
  TcxFilterCriteriaItem* FindInGroup(TcxFilterCriteriaItemList* AGroup, TObject* AItemLink);
  void PrepareGroup(TcxFilterCriteriaItemList* AGroup);

  std::unique_ptr<TcxFilterCriteriaItemList> FRoot;
  TcxFilterCriteriaOptions FOptions;
  Integer FMaxValueListCount = 0;
  char FPercentWildcard = '%';
  char FUnderscoreWildcard = '_';
  AnsiString FDateTimeFormat;
  bool FSupportedLike = true;
  bool FTranslateBetween = false;
  bool FTranslateIn = false;
  Integer FLockCount = 0;
  bool FChanged = false;
};

// ---- Helpers ----

// Null gives the word "blank", anything else the variant's text.
void FilterValueToText(const Variant& AValue, AnsiString& AText);
// From the 1-based position APos up to the next ';' or the end, trimmed; APos moves past
// the ';'.
void NextListToken(const AnsiString& AText, Integer& APos, AnsiString& AToken);
// "a;b" as the pair [a, b] of texts (a missing second token is '').
void TextToBetweenValue(const AnsiString& AText, Variant& AValue);
// "a;b;c" as the array [a, b, c] of texts; an empty text gives '' (not an array).
void TextToInListValue(const AnsiString& AText, Variant& AValue);
void BetweenValueToDisplayText(const Variant& AValue, AnsiString& AText);
void InListValueToDisplayText(const Variant& AValue, AnsiString& AText);
bool MatchesLikePattern(const AnsiString& AValue, const AnsiString& APattern, char AAnyChar,
                        char ASingleChar);
// Collapses runs of AWildcard, then strips a leading (bit 2) and a trailing (bit 1)
// wildcard from a text of at least two characters; returns the bits.
Byte StripLikeWildcards(AnsiString& AText, char AWildcard);

// ---- Value list ----

// What an entry of a filter drop-down stands for.
enum TcxFilterValueItemKind : Byte {
  fviAll,       // no filter on the item: "(All)"
  fviCustom,    // open the custom filter dialog: "(Custom...)"
  fviBlanks,    // the item is blank: "(Blanks)"
  fviNonBlanks, // the item is not blank: "(NonBlanks)"
  fviUser,      // an entry the item defines
  fviValue,     // a value of the item
  fviUserEx,    // a leading entry, above everything else
  fviSpecial    // the separator below the leading entries
};

struct TcxFilterValueItem {
  TcxFilterValueItemKind Kind = fviValue;
  Variant Value;
  AnsiString DisplayText;
};

// Entries in this order: leading entries (kind 6) and one separator (kind 7) below them;
// the other special entries in the order added; then the values (kind 5), ascending by
// Compare and without duplicates unless added at the end.
class TcxFilterValueList : public TObject {
public:
  explicit TcxFilterValueList(TcxFilterCriteria* ACriteria) : FCriteria(ACriteria) {}
  ~TcxFilterValueList() override;

  // An entry against a value: by display text (AnsiCompareStr, upper-cased under
  // fcoCaseInsensitive) with SortByDisplayText, else VariantCompare of prepared values.
  virtual Integer Compare(Integer AIndex, const Variant& AValue, const AnsiString& ADisplayText);
  virtual void Add(TcxFilterValueItemKind AKind, const Variant& AValue,
                   const AnsiString& ADisplayText, bool AAddAtEnd = false);
  virtual void Clear();
  // The first equal entry (True), or the insertion position (False).
  virtual bool Find(const Variant& AValue, const AnsiString& ADisplayText, Integer& AIndex);
  // The entry that stands for an existing condition of the item (preselection).
  virtual Integer GetIndexByCriteriaItem(TcxFilterCriteriaItem* AItem);

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TcxFilterValueItem& Items(Integer AIndex) const;
  Integer IndexOfKind(TcxFilterValueItemKind AKind) const;
  Integer LeadingSeparatorIndex() const;
  Integer FirstValueIndex() const;
  Integer MaxCount() const;
  TcxFilterCriteria* Criteria() const { return FCriteria; }
  bool SortByDisplayText() const { return FSortByDisplayText; }
  void SetSortByDisplayText(bool AValue) { FSortByDisplayText = AValue; }

protected:
  // The ordering of Compare over an entry not (yet) in the list.
  Integer CompareItem(const TcxFilterValueItem& AItem, const Variant& AValue,
                      const AnsiString& ADisplayText);
  void InsertItem(Integer AIndex, TcxFilterValueItemKind AKind, const Variant& AValue,
                  const AnsiString& ADisplayText);
  // Appends the value entries of AValues (each as Add of kind 5, not at the end, in order)
  // in about n log n steps instead of one list insertion each.
  void AddValues(const std::vector<TcxFilterValueItem>& AValues);

private:
  TcxFilterCriteria* FCriteria;
  std::vector<TcxFilterValueItem> FItems;
  bool FSortByDisplayText = false;
};

void cxFilterInitialization();
void cxFilterFinalization();

// ---- Component form ----

// The component that carries a criteria's published settings through component streaming
// (SaveToStream / LoadFromStream). It neither creates nor frees the criteria.
class TFilterWrapper : public TComponent {
public:
  explicit TFilterWrapper(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  TcxFilterCriteria* Filter() const { return FFilter; }
  void SetFilter(TcxFilterCriteria* AValue) { FFilter = AValue; }

private:
  TcxFilterCriteria* FFilter = nullptr;
};

// ---- Operator class registration ----

// The class-side operations of operator classes: their factory. Register a class with
//   TClassRegistration<TMyOperator, TcxFilterEqualOperator>("TMyOperator")
//       .Abstract().ClassOps<TcxFilterOperatorOps<TMyOperator>>();
class TcxFilterOperatorClassOps : public TClassOps {
public:
  virtual TcxFilterOperator* Create(TcxFilterCriteriaItem* AItem) const = 0;
};

template <class T> class TcxFilterOperatorOps : public TcxFilterOperatorClassOps {
public:
  TcxFilterOperator* Create(TcxFilterCriteriaItem* AItem) const override { return new T(AItem); }
};
