// Footer and group summaries: the collections designers edit, the calculation over the
// record list and the group tree, and the texts shown in footers and group rows (see
// cxCustomData.h).
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// Default formats by kind (skSum .. skAverage): numbers group/footer, dates group/footer,
// currency group/footer ("%s" is the currency display format).
struct TDefaultFormats {
  const char* NumberGroup;
  const char* NumberFooter;
  const char* DateGroup;
  const char* DateFooter;
  const char* CurrencyGroup;
  const char* CurrencyFooter;
};

const TDefaultFormats DefaultFormats[] = {
    {"SUM=0.00;SUM=-0.00", "0.00;-0.00", "SUM=", "", "SUM=%s;SUM=-%s", "%s;-%s"},
    {"MIN=0.00;MIN=-0.00", "MIN=0.00;MIN=-0.00", "MIN=", "MIN=", "MIN=%s;MIN=-%s",
     "MIN=%s;MIN=-%s"},
    {"MAX=0.00;MAX=-0.00", "MAX=0.00;MAX=-0.00", "MAX=", "MAX=", "MAX=%s;MAX=-%s",
     "MAX=%s;MAX=-%s"},
    {"COUNT=0", "0", "COUNT=0", "0", "COUNT=0", "0"},
    {"AVG=0.00;AVG=-0.00", "AVG=0.00;AVG=-0.00", "AVG=", "AVG=", "AVG=%s;AVG=-%s",
     "AVG=%s;AVG=-%s"},
};

AnsiString ReplaceAll(AnsiString AText, const AnsiString& AWhat, const AnsiString& AWith)
{
  for (size_t at = AText.find(AWhat); at != AnsiString::npos;
       at = AText.find(AWhat, at + AWith.size()))
    AText.replace(at, AWhat.size(), AWith);
  return AText;
}

// A date value as the date branch of FormatValue shows it.
AnsiString DateValueText(const Variant& AValue)
{
  TDateTime value = AValue.AsDateTime();
  TDateTime time = value - static_cast<Int64>(value);
  if (time != 0)
    return static_cast<Int64>(value) == 0 ? TimeToStr(value) : DateTimeToStr(value);
  return DateToStr(value);
}

Variant ValueAt(const Variant& AValues, Integer AIndex)
{
  return VarArrayGet(AValues, {VarArrayLowBound(AValues, 1) + AIndex});
}

} // namespace

// ---- Items ----

TObject* TcxCustomDataSummaryItem::ItemLink() const
{
  return FField ? FField->Item() : nullptr;
}

void TcxCustomDataSummaryItem::SetField(TcxCustomDataField* AField)
{
  FField = AField;
}

void TcxCustomDataSummaryItem::SetItemLink(TObject* AItemLink)
{
  TcxCustomDataController* dc = GetDataController();
  TcxCustomDataField* field = AItemLink ? dc->Fields()->FindByItem(AItemLink) : nullptr;
  if (field == FField)
    return;
  TUpdateScope<TCollection> update(*Collection());
  FieldChanged(field);
  FField = field;
  Changed(true);
}

void TcxCustomDataSummaryItem::Assign(TPersistent* Source)
{
  if (auto* source = dynamic_cast<TcxCustomDataSummaryItem*>(Source)) {
    TObject* link = source->ItemLink();
    SetItemLink(link ? GetDataController()->FindItemByItemID(link) : nullptr);
    return;
  }
  TCollectionItem::Assign(Source);
}

TcxDataSummaryItems* TcxDataSummaryItem::SummaryItems() const
{
  return static_cast<TcxDataSummaryItems*>(Collection());
}

TcxCustomDataController* TcxDataSummaryItem::GetDataController() const
{
  return SummaryItems()->DataController();
}

void TcxDataSummaryItem::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxDataSummaryItem*>(Source);
  if (!source) {
    TcxCustomDataSummaryItem::Assign(Source);
    return;
  }
  TUpdateScope<TCollection> update(*Collection());
  TcxCustomDataSummaryItem::Assign(Source);
  SetFormat(source->Format());
  SetKind(source->Kind());
  SetPosition(source->Position());
  OnGetText = source->OnGetText;
}

bool TcxDataSummaryItem::IsPositionStored() const
{
  return SummaryItems()->IsItemPositionStored(this);
}

TcxSummaryPosition TcxDataSummaryItem::Position() const
{
  return SummaryItems()->GetItemPosition(this);
}

void TcxDataSummaryItem::SetFormat(const AnsiString& AValue)
{
  if (FFormat == AValue)
    return;
  FFormat = AValue;
  Changed(false);
}

void TcxDataSummaryItem::SetKind(TcxSummaryKind AValue)
{
  if (FKind == AValue)
    return;
  FKind = AValue;
  Changed(true);
}

void TcxDataSummaryItem::SetPosition(TcxSummaryPosition AValue)
{
  if (FPosition == AValue)
    return;
  FPosition = AValue;
  Changed(false);
}

void TcxDataSummaryItem::FormatValue(const Variant& AValue, bool AIsFooter, AnsiString& AText)
{
  AText.clear();
  if (VarIsNull(AValue)) {
    // nothing to show
  } else if (FKind == skNone) {
    AText = VarToStr(AValue);
  } else {
    AnsiString format = FFormat;
    if (format.empty())
      SummaryItems()->GetDefaultFormat(VarType(AValue), FKind, format, AIsFooter);
    if (!IsDateVariant(AValue) || FKind == skCount) {
      try {
        if (VarType(AValue) == varCurrency)
          AText = FormatCurr(format, AValue.AsCurrency());
        else
          AText = FormatFloat(format, AValue.AsDouble());
      } catch (const EVariantError&) {
        // A value that is no number (the minimum of texts, a sum that joined texts) is
        // shown like a date: the prefix, then its text.
        AnsiString prefix = FFormat;
        if (prefix.empty())
          SummaryItems()->GetDefaultFormat(varDate, FKind, prefix, AIsFooter);
        AText = prefix + VarToStr(AValue);
      }
    } else {
      AText = format + DateValueText(AValue);
    }
  }
  if (OnGetText)
    OnGetText(this, AValue, AIsFooter, AText);
}

AnsiString TcxDataSummaryItem::FormatValue(const Variant& AValue, bool AIsFooter)
{
  AnsiString text;
  FormatValue(AValue, AIsFooter, text);
  return text;
}

TcxCustomDataController* TcxDataSummaryGroupItemLink::GetDataController() const
{
  return SummaryGroup()->Summary()->DataController();
}

TcxDataSummaryGroup* TcxDataSummaryGroupItemLink::SummaryGroup() const
{
  return static_cast<TcxDataSummaryGroupItemLinks*>(Collection())->SummaryGroup();
}

void TcxDataSummaryGroupItemLink::FieldChanged(TcxCustomDataField* AField)
{
  if (!AField)
    return;
  // A grid item belongs to one summary group at most.
  TcxDataSummaryGroups* groups = SummaryGroup()->Summary()->SummaryGroups();
  for (Integer g = 0; g < groups->Count(); ++g) {
    TcxDataSummaryGroupItemLinks* links = groups->Items(g)->Links();
    for (Integer i = 0; i < links->Count(); ++i) {
      TcxDataSummaryGroupItemLink* link = links->Items(i);
      if (link != this && link->Field() == AField) {
        link->ForgetField();
        links->BeginUpdate();
        links->EndUpdate();
      }
    }
  }
}

// ---- Collections ----

TcxDataSummaryItems::TcxDataSummaryItems(TcxDataSummary* ASummary, TCollectionItemClass AItemClass)
    : TCollection(AItemClass), FSummary(ASummary)
{
}

TcxCustomDataController* TcxDataSummaryItems::DataController() const
{
  return FSummary->DataController();
}

TPersistent* TcxDataSummaryItems::GetOwner()
{
  return FSummary;
}

void TcxDataSummaryItems::Update(TCollectionItem* Item)
{
  FSummary->Changed(Item != nullptr);
}

void TcxDataSummaryItems::Assign(TPersistent* Source)
{
  TCollection::Assign(Source);
  if (auto* source = dynamic_cast<TcxDataSummaryItems*>(Source))
    AssignEvents(source);
}

TcxSummaryPosition TcxDataSummaryItems::GetItemPosition(const TcxDataSummaryItem* AItem) const
{
  return AItem->StoredPosition();
}

bool TcxDataSummaryItems::IsItemPositionStored(const TcxDataSummaryItem* AItem) const
{
  return GetItemPosition(AItem) != spGroup;
}

void TcxDataSummaryItems::AssignEvents(TcxDataSummaryItems* ASource)
{
  OnSummary = ASource->OnSummary;
}

void TcxDataSummaryItems::GetDefaultFormat(TVarType AVarType, TcxSummaryKind AKind,
                                           AnsiString& AFormat, bool AIsFooter)
{
  AFormat.clear();
  if (AKind == skNone)
    return;
  const TDefaultFormats& f = DefaultFormats[AKind - skSum];
  if (AVarType == varCurrency) {
    AFormat =
        ReplaceAll(AIsFooter ? f.CurrencyFooter : f.CurrencyGroup, "%s", CurrencyDisplayFormat());
  } else if (IsDateVarType(AVarType)) {
    AFormat = AIsFooter ? f.DateFooter : f.DateGroup;
  } else {
    AFormat = AIsFooter ? f.NumberFooter : f.NumberGroup;
  }
}

Integer TcxDataSummaryItems::IndexOfItemLink(TObject* AItemLink) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink)
      return i;
  return -1;
}

Integer TcxDataSummaryItems::IndexOfField(const TcxCustomDataField* AField) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Field() == AField)
      return i;
  return -1;
}

TcxDataSummaryItem* TcxDataSummaryItems::ItemOfField(const TcxCustomDataField* AField) const
{
  Integer index = IndexOfField(AField);
  return index == -1 ? nullptr : Items(index);
}

void TcxDataGroupSummaryItems::Assign(TPersistent* Source)
{
  TcxDataSummaryItems::Assign(Source);
  if (auto* source = dynamic_cast<TcxDataGroupSummaryItems*>(Source)) {
    SetBeginText(source->BeginText());
    SetEndText(source->EndText());
    SetSeparator(source->Separator());
  }
}

TPersistent* TcxDataGroupSummaryItems::GetOwner()
{
  return FSummaryGroup ? static_cast<TPersistent*>(FSummaryGroup) : Summary();
}

void TcxDataGroupSummaryItems::TextChanged()
{
  // A repaint only.
  Summary()->Changed(true);
}

void TcxDataGroupSummaryItems::SetBeginText(const AnsiString& AValue)
{
  if (FBeginText == AValue)
    return;
  FBeginText = AValue;
  TextChanged();
}

void TcxDataGroupSummaryItems::SetEndText(const AnsiString& AValue)
{
  if (FEndText == AValue)
    return;
  FEndText = AValue;
  TextChanged();
}

void TcxDataGroupSummaryItems::SetSeparator(const AnsiString& AValue)
{
  if (FSeparator == AValue)
    return;
  FSeparator = AValue;
  TextChanged();
}

void TcxDataGroupSummaryItems::GroupRowText(const Variant& AValues, AnsiString& AText)
{
  AText.clear();
  bool first = true;
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->Position() != spGroup)
      continue;
    Variant value = Summary()->HasValueIndex(AValues, i) ? ValueAt(AValues, i) : Null();
    AnsiString text = item->FormatValue(value, false);
    if (first)
      AText = text;
    else
      AText += FSeparator + " " + text;
    first = false;
  }
  if (AText.empty())
    return;
  AText = FBeginText + AText + FEndText;
}

void TcxDataSummaryGroupItemLinks::Update(TCollectionItem* Item)
{
  FSummaryGroup->Summary()->Changed(false);
}

TPersistent* TcxDataSummaryGroupItemLinks::GetOwner()
{
  return FSummaryGroup;
}

Integer TcxDataSummaryGroupItemLinks::IndexOfItemLink(TObject* AItemLink) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink)
      return i;
  return -1;
}

Integer TcxDataSummaryGroupItemLinks::IndexOfField(const TcxCustomDataField* AField) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Field() == AField)
      return i;
  return -1;
}

TcxDataSummaryGroupItemLink*
TcxDataSummaryGroupItemLinks::ItemOfField(const TcxCustomDataField* AField) const
{
  Integer index = IndexOfField(AField);
  return index == -1 ? nullptr : Items(index);
}

TcxDataSummaryGroup::TcxDataSummaryGroup(TCollection* ACollection) : TCollectionItem(ACollection)
{
  TcxDataSummary* summary = Summary();
  TcxCustomDataController* dc = summary->DataController();
  FLinks = std::make_unique<TcxDataSummaryGroupItemLinks>(this, dc->GetSummaryGroupItemLinkClass());
  FSummaryItems =
      std::make_unique<TcxDataGroupSummaryItems>(summary, this, dc->GetSummaryItemClass());
}

TcxDataSummaryGroup::~TcxDataSummaryGroup() = default;

TcxDataSummary* TcxDataSummaryGroup::Summary() const
{
  return static_cast<TcxDataSummaryGroups*>(Collection())->Summary();
}

void TcxDataSummaryGroup::Assign(TPersistent* Source)
{
  if (auto* source = dynamic_cast<TcxDataSummaryGroup*>(Source)) {
    FLinks->Assign(source->Links());
    FSummaryItems->Assign(source->SummaryItems());
    return;
  }
  TCollectionItem::Assign(Source);
}

TcxDataSummaryGroups::TcxDataSummaryGroups(TcxDataSummary* ASummary)
    : TCollection(cxCollectionItemClass<TcxDataSummaryGroup>()), FSummary(ASummary)
{
}

void TcxDataSummaryGroups::Update(TCollectionItem* Item)
{
  FSummary->Changed(false);
}

TPersistent* TcxDataSummaryGroups::GetOwner()
{
  return FSummary;
}

TcxDataSummaryGroup* TcxDataSummaryGroups::FindByItemLink(TObject* AItemLink) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Links()->IndexOfItemLink(AItemLink) != -1)
      return Items(i);
  return nullptr;
}

// ---- TcxDataSummary ----

TcxDataSummary::TcxDataSummary(TcxCustomDataController* ADataController)
    : FDataController(ADataController)
{
  FDefaultGroupSummaryItems = std::make_unique<TcxDataGroupSummaryItems>(
      this, nullptr, ADataController->GetSummaryItemClass());
  FFooterSummaryItems =
      std::make_unique<TcxDataFooterSummaryItems>(this, ADataController->GetSummaryItemClass());
  FSummaryGroups = std::make_unique<TcxDataSummaryGroups>(this);
}

TcxDataSummary::~TcxDataSummary()
{
  FDestroying = true;
  FSummaryGroups.reset();
  FFooterSummaryItems.reset();
  FDefaultGroupSummaryItems.reset();
}

void TcxDataSummary::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxDataSummary*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  TScopeExit end([&] { EndUpdate(); });
  FDefaultGroupSummaryItems->Assign(source->DefaultGroupSummaryItems());
  FFooterSummaryItems->Assign(source->FooterSummaryItems());
  FSummaryGroups->Assign(source->SummaryGroups());
  SetOptions(source->Options());
  AssignEvents(source);
}

void TcxDataSummary::AssignEvents(TcxDataSummary* ASource)
{
  OnAfterSummary = ASource->OnAfterSummary;
}

void TcxDataSummary::BeginUpdate()
{
  FDataController->BeginUpdate();
  ++FLockCount;
}

void TcxDataSummary::EndUpdate()
{
  --FLockCount;
  Changed(false);
  FDataController->EndUpdate();
}

void TcxDataSummary::CancelUpdate()
{
  --FLockCount;
  FDataController->EndUpdate();
}

void TcxDataSummary::Changed(bool ALayout)
{
  if (FInAfterSummary || FLockCount != 0)
    return;
  DoChanged(ALayout);
}

void TcxDataSummary::DoChanged(bool ALayout)
{
  if (FDestroying || FDataController->IsDestroying() || !FDataController->DataControllerInfo())
    return;
  FDataController->StructureChanged(ALayout);
}

void TcxDataSummary::SetOptions(TcxSummaryOptions AValue)
{
  if (FOptions == AValue)
    return;
  FOptions = AValue;
  Changed(false);
}

void TcxDataSummary::FieldRemoved(TcxCustomDataField* AField)
{
  BeginUpdate();
  bool any = false;
  TScopeExit end([&] {
    if (any)
      EndUpdate();
    else
      CancelUpdate();
  });
  auto forget = [&](TCollection* items) {
    for (Integer i = 0; i < items->Count(); ++i) {
      auto* item = static_cast<TcxCustomDataSummaryItem*>(items->Items(i));
      if (item->Field() == AField) {
        item->ForgetField();
        any = true;
      }
    }
  };
  forget(FFooterSummaryItems.get());
  forget(FDefaultGroupSummaryItems.get());
  for (Integer g = 0; g < FSummaryGroups->Count(); ++g) {
    forget(FSummaryGroups->Items(g)->SummaryItems());
    forget(FSummaryGroups->Items(g)->Links());
  }
}

void TcxDataSummary::InitValues(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts,
                                TcxDataSummaryValues& AValues)
{
  size_t count = AItems ? static_cast<size_t>(AItems->Count()) : 0;
  ACounts.assign(count, 0);
  AValues.assign(count, Variant());
}

Integer TcxDataSummary::RecordIndexForSummary(Integer ARecordListIndex)
{
  Integer record = FDataController->DataControllerInfo()->RecordListItem(ARecordListIndex);
  if (!FSelectedOnly)
    return record;
  return record >= 0 && record < static_cast<Integer>(FSelectedRecords.size()) &&
                 FSelectedRecords[record]
             ? record
             : -1;
}

void TcxDataSummary::CalculateRange(TcxDataSummaryItems* AItems, Integer AFrom, Integer ATo,
                                    TcxDataSummaryCountValues& ACounts,
                                    TcxDataSummaryValues& AValues)
{
  if (!AItems || AItems->Count() == 0)
    return;
  for (Integer a = AFrom; a <= ATo; ++a) {
    Integer record = RecordIndexForSummary(a);
    if (record == -1)
      continue;
    for (Integer i = 0; i < AItems->Count(); ++i)
      CalculateItem(AItems->Items(i), record, ACounts[i], AValues[i]);
  }
}

void TcxDataSummary::CalculateItem(TcxDataSummaryItem* AItem, Integer ARecordIndex, Integer& ACount,
                                   Variant& AValue)
{
  TcxCustomDataField* field = AItem->GetField();
  if (!field)
    return;
  TcxSummaryEventOutArguments out;
  FDataController->GetInternalValue(ARecordIndex, field, out.Value);
  TcxDataSummaryItems* items = AItem->SummaryItems();
  if (items->OnSummary) {
    TcxSummaryEventArguments arguments{ARecordIndex, AItem};
    out.SummaryValue = AValue;
    out.CountValue = ACount;
    items->OnSummary(items, arguments, out);
    AValue = out.SummaryValue;
    ACount = out.CountValue;
  }
  TcxSummaryKind kind = AItem->Kind();
  if (out.Done || kind == skNone)
    return;
  const Variant& value = out.Value;
  if (FOptions.Contains(soNullIgnore) && VarIsNull(value))
    return;
  try {
    if (VarIsEmpty(AValue)) {
      if (kind == skMin || kind == skMax) {
        if (!VarIsNull(value))
          AValue = value;
      } else if (kind != skCount) {
        AValue = VarIsNull(value) ? Variant(0) : value;
      }
    } else if (!VarIsNull(value) && !VarIsNull(AValue)) {
      switch (kind) {
      case skSum:
      case skAverage:
        AValue = AValue + value;
        break;
      case skMin:
        if (value < AValue)
          AValue = value;
        break;
      case skMax:
        if (value > AValue)
          AValue = value;
        break;
      default:
        break;
      }
    }
  } catch (const EVariantError&) {
    // A value that cannot take part (a text among numbers) is left out of the running
    // value; it still counts.
  }
  ++ACount;
}

void TcxDataSummary::FinalizeItem(TcxDataSummaryItem* AItem, Variant& AValue, Integer ACount)
{
  if (!AItem->GetField())
    return;
  bool wasEmpty = VarIsEmpty(AValue);
  if (wasEmpty)
    AValue = Null();
  switch (AItem->Kind()) {
  case skCount:
    AValue = ACount;
    break;
  case skAverage:
    if (ACount > 0 && !wasEmpty) {
      bool date = IsDateVariant(AValue);
      try {
        AValue = AValue / Variant(ACount);
        if (date)
          AValue = VarAsType(AValue, varDate);
      } catch (const EVariantError&) {
        AValue = Null();
      }
    }
    break;
  default:
    break;
  }
}

void TcxDataSummary::StoreValues(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts,
                                 Variant& ATarget, TcxDataSummaryValues& AValues)
{
  for (Integer i = 0; AItems && i < AItems->Count(); ++i)
    FinalizeItem(AItems->Items(i), AValues[i], ACounts[i]);
  ATarget = VarArrayOf(AValues);
}

bool TcxDataSummary::HasValueIndex(const Variant& AValues, Integer AIndex) const
{
  return VarIsArray(AValues) && AIndex >= VarArrayLowBound(AValues, 1) &&
         AIndex <= VarArrayHighBound(AValues, 1);
}

void TcxDataSummary::Calculate()
{
  if (SuspendCalculation)
    return;
  FSelectedOnly = FOptions.Contains(soSelectedRecords);
  FSelectedRecords.clear();
  if (FSelectedOnly) {
    // Selected records looked up once per calculation instead of once per record.
    FSelectedRecords.assign(static_cast<size_t>(FDataController->RecordCount()), 0);
    TcxDataSelection* selection = FDataController->Selection();
    if (FDataController->IsSingleSelection()) {
      Integer record =
          FDataController->GetSelectedCount() > 0 ? FDataController->FocusedRecordIndex() : -1;
      if (record >= 0 && record < static_cast<Integer>(FSelectedRecords.size()))
        FSelectedRecords[record] = 1;
    } else {
      for (Integer i = 0; i < selection->Count(); ++i) {
        const TcxDataSelectionInfo& entry = selection->Items(i);
        if (entry.Level != -1 && entry.RecordIndex >= 0 &&
            entry.RecordIndex < static_cast<Integer>(FSelectedRecords.size()))
          FSelectedRecords[entry.RecordIndex] = 1;
      }
    }
  }
  CalculateFooter();
  CalculateGroups();
  DoAfterSummary();
}

void TcxDataSummary::CalculateFooter()
{
  TcxDataSummaryCountValues counts;
  TcxDataSummaryValues values;
  InitValues(FFooterSummaryItems.get(), counts, values);
  if (!FDataController->IsGridMode())
    CalculateRange(FFooterSummaryItems.get(), 0,
                   FDataController->DataControllerInfo()->RecordListCount() - 1, counts, values);
  StoreValues(FFooterSummaryItems.get(), counts, FFooterValues, values);
}

void TcxDataSummary::CalculateGroups()
{
  TcxDataGroups* tree = FDataController->DataControllerInfo()->DataGroups();
  Integer deepest = tree->LevelCount() - 1;
  for (Integer level = 0; level <= deepest; ++level) {
    TcxDataSummaryItems* items = GroupSummaryItemsOfLevel(level);
    TcxDataSummaryCountValues counts;
    TcxDataSummaryValues values;
    TcxDataGroupInfo* current = nullptr;
    for (Integer i = 0; i < tree->ItemCount(); ++i) {
      TcxDataGroupInfo* group = tree->Items(i);
      if (group->Level == level) {
        if (current)
          StoreValues(items, counts, current->SummaryValues, values);
        InitValues(items, counts, values);
        current = group;
      }
      if (group->Level == deepest && current)
        CalculateRange(items, group->FirstIndex, group->LastIndex, counts, values);
    }
    if (current)
      StoreValues(items, counts, current->SummaryValues, values);
  }
}

void TcxDataSummary::DoAfterSummary()
{
  if (!OnAfterSummary)
    return;
  if (FDataController->IsLoading()) {
    FDataController->FAfterSummaryFlag = true;
    return;
  }
  FDataController->FAfterSummaryFlag = false;
  FInAfterSummary = true;
  TScopeExit end([&] { FInAfterSummary = false; });
  if (!FDataController->IsPattern() && !FDataController->IsGridModeUpdatePending())
    OnAfterSummary(this);
}

// ---- Texts ----

void TcxDataSummary::GetFooterSummaryValue(Integer AIndex, Variant& V) const
{
  V = HasValueIndex(FFooterValues, AIndex) ? VarArrayGet(FFooterValues, {AIndex}) : Null();
}

Variant TcxDataSummary::FooterSummaryValues(Integer AIndex) const
{
  Variant v;
  GetFooterSummaryValue(AIndex, v);
  return v;
}

void TcxDataSummary::FooterSummaryText(Integer AIndex, AnsiString& AText)
{
  FFooterSummaryItems->Items(AIndex)->FormatValue(FooterSummaryValues(AIndex), true, AText);
}

AnsiString TcxDataSummary::FooterSummaryText(Integer AIndex)
{
  AnsiString text;
  FooterSummaryText(AIndex, text);
  return text;
}

TcxDataSummaryItems* TcxDataSummary::GroupSummaryItemsOfLevel(Integer ALevel)
{
  TcxGroupingFieldList* grouping = FDataController->DataControllerInfo()->GroupingFieldList();
  if (ALevel < 0 || ALevel >= grouping->Count())
    return nullptr;
  TcxCustomDataField* field = grouping->Fields(ALevel);
  for (Integer g = 0; g < FSummaryGroups->Count(); ++g)
    if (FSummaryGroups->Items(g)->Links()->IndexOfField(field) != -1)
      return FSummaryGroups->Items(g)->SummaryItems();
  return FDefaultGroupSummaryItems.get();
}

void TcxDataSummary::GroupSummaryText(Integer ARowIndex, AnsiString& AText)
{
  AText.clear();
  TcxDataGroups* tree = FDataController->DataControllerInfo()->DataGroups();
  if (tree->ItemCount() == 0 || ARowIndex < 0 || ARowIndex >= FDataController->RowCount())
    return;
  Integer group = tree->DataGroupIndexByRowIndex(ARowIndex);
  if (group == -1)
    return;
  TcxDataGroupInfo* info = tree->Items(group);
  TcxDataSummaryItems* items = GroupSummaryItemsOfLevel(info->Level);
  if (items && !VarIsEmpty(info->SummaryValues))
    items->GroupRowText(info->SummaryValues, AText);
}

AnsiString TcxDataSummary::GroupSummaryText(Integer ARowIndex)
{
  AnsiString text;
  GroupSummaryText(ARowIndex, text);
  return text;
}

Integer TcxDataSummary::GroupFooterItemIndex(Integer ALevel, TObject* AItemLink)
{
  TcxDataSummaryItems* items = GroupSummaryItemsOfLevel(ALevel);
  if (!items)
    return -1;
  for (Integer i = 0; i < items->Count(); ++i)
    if (items->Items(i)->Position() == spFooter && items->Items(i)->ItemLink() == AItemLink)
      return i;
  return -1;
}

void TcxDataSummary::GroupFooterSummaryText(Integer ARowIndex, Integer ALevel, AnsiString& AText,
                                            Integer AItemIndex)
{
  AText.clear();
  TcxDataGroups* tree = FDataController->DataControllerInfo()->DataGroups();
  if (tree->ItemCount() == 0 || ARowIndex < 0 || ARowIndex >= FDataController->RowCount())
    return;
  Integer group = tree->DataGroupIndexByRowIndex(ARowIndex, ALevel);
  if (group == -1)
    return;
  TcxDataSummaryItems* items = GroupSummaryItemsOfLevel(ALevel);
  const Variant& values = tree->Items(group)->SummaryValues;
  if (items && HasValueIndex(values, AItemIndex) && AItemIndex < items->Count())
    items->Items(AItemIndex)->FormatValue(VarArrayGet(values, {AItemIndex}), true, AText);
}
