// The data controller's filter: the criteria model bound to the controller's records and
// fields, stored as the binary property "Criteria", and the value list of one item (see
// cxCustomData.h).
#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxFilterConsts.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/ScopeGuard.h"

TcxDataFilterCriteria::TcxDataFilterCriteria(TcxCustomDataController* ADataController)
    : FDataController(ADataController)
{
}

TcxDataFilterCriteria::~TcxDataFilterCriteria()
{
  FDestroying = true;
  SetActive(false);
}

void TcxDataFilterCriteria::SetActive(bool AValue)
{
  if (FActive == AValue)
    return;
  FActive = AValue;
  Changed();
}

bool TcxDataFilterCriteria::IsFiltering()
{
  return FActive && !IsEmpty() && !FDataController->IsGridMode();
}

TcxCustomDataField* TcxDataFilterCriteria::FieldOf(TObject* AItemLink)
{
  if (!AItemLink)
    return nullptr;
  if (auto* field = dynamic_cast<TcxCustomDataField*>(AItemLink))
    if (field->FieldList() == FDataController->Fields())
      return field;
  return FDataController->Fields()->FindByItem(AItemLink);
}

Integer TcxDataFilterCriteria::ItemLinkToID(TObject* AItemLink)
{
  return FDataController->GetItemID(AItemLink);
}

TObject* TcxDataFilterCriteria::IDToItemLink(Integer AID)
{
  return FDataController->FindItemByID(AID);
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::CreateItem(TcxFilterCriteriaItemList* AParent,
                                                         TObject* AItemLink,
                                                         TcxFilterOperatorKind AOperatorKind,
                                                         const Variant& AValue,
                                                         const AnsiString& ADisplayValue)
{
  return new TcxDataFilterCriteriaItem(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue);
}

TcxFilterValueList* TcxDataFilterCriteria::CreateValueList()
{
  return new TcxDataFilterValueList(this);
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::AddItem(TcxFilterCriteriaItemList* AParent,
                                                      TObject* AItemLink,
                                                      TcxFilterOperatorKind AOperatorKind,
                                                      const Variant& AValue,
                                                      const AnsiString& ADisplayValue)
{
  return TcxFilterCriteria::AddItem(AParent, FieldOf(AItemLink), AOperatorKind, AValue,
                                    ADisplayValue);
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::FindItemByItemLink(TObject* AItemLink)
{
  return TcxFilterCriteria::FindItemByItemLink(FieldOf(AItemLink));
}

void TcxDataFilterCriteria::DefineProperties(TFiler* Filer)
{
  TcxFilterCriteria::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Criteria", TStreamProc::Bind(this, &TcxDataFilterCriteria::ReadCriteria),
      TStreamProc::Bind(this, &TcxDataFilterCriteria::WriteCriteria), HasData());
}

void TcxDataFilterCriteria::Assign(TPersistent* ASource)
{
  auto* source = dynamic_cast<TcxDataFilterCriteria*>(ASource);
  if (!source) {
    TcxFilterCriteria::Assign(ASource);
    return;
  }
  TUpdateScope<TcxDataFilterCriteria> update(*this);
  TcxFilterCriteria::Assign(ASource);
  SetActive(source->Active());
}

void TcxDataFilterCriteria::AssignEvents(TPersistent* ASource)
{
  TcxFilterCriteria::AssignEvents(ASource);
  if (auto* source = dynamic_cast<TcxDataFilterCriteria*>(ASource))
    OnGetValueList = source->OnGetValueList;
}

void TcxDataFilterCriteria::DoChanged()
{
  if (FDestroying || FDataController->IsDestroying() || FDataController->IsLoading())
    return;
  if (!FDataController->Provider()->IsActiveDataSet())
    FDataController->Post();
  PrepareConditions();
  FDataController->FilterChanged();
  if (OnChanged)
    OnChanged(this);
}

// ---- Conditions ----

TcxCustomDataController* TcxDataFilterCriteriaItem::DataController() const
{
  return static_cast<TcxDataFilterCriteria*>(Criteria())->DataController();
}

void TcxDataFilterCriteriaItem::GetDataValue(NativeInt AData, Variant& AValue)
{
  if (TcxCustomDataField* field = Field())
    DataController()->GetFilterDataValue(static_cast<Integer>(AData), field, AValue);
  else
    AValue = Null();
}

void TcxDataFilterCriteriaItem::GetFieldCaption(AnsiString& AText)
{
  AText.clear();
  if (TcxCustomDataField* field = Field(); field && field->Item())
    DataController()->GetItemDisplayName(field->Item(), AText);
}

void TcxDataFilterCriteriaItem::GetFieldName(AnsiString& AText)
{
  AText.clear();
  if (TcxCustomDataField* field = Field(); field && field->Item())
    DataController()->GetFilterItemFieldName(field->Item(), AText);
}

TObject* TcxDataFilterCriteriaItem::ItemLink() const
{
  TcxCustomDataField* field = Field();
  return field ? field->Item() : nullptr;
}

// ---- Value list ----

void TcxDataFilterValueList::Load(Integer AItemIndex)
{
  TcxDataFilterCriteria* criteria = DataCriteria();
  TcxCustomDataController* dc = criteria->DataController();
  TcxCustomDataField* field = dc->Fields()->Items(AItemIndex);
  Clear();
  SetSortByDisplayText(dc->IsStringSorting(AItemIndex));
  Add(fviAll, Null(), GetFilterResourceString(&cxSFilterBoxAllCaption));
  Add(fviCustom, Null(), GetFilterResourceString(&cxSFilterBoxCustomCaption));
  bool blanks = false;
  if (dc->IsGridMode()) {
    blanks = true;
  } else {
    // Every record counts, also those the filter hides now.
    std::vector<TcxFilterValueItem> values;
    values.reserve(static_cast<size_t>(dc->RecordCount()));
    for (Integer r = 0; r < dc->RecordCount(); ++r) {
      Variant value;
      dc->GetFilterDataValue(r, field, value);
      if (criteria->IsNullValue(value)) {
        blanks = true;
        continue;
      }
      AnsiString text;
      dc->GetFilterDisplayText(r, AItemIndex, text);
      values.push_back({fviValue, value, text});
    }
    AddValues(values);
  }
  if (blanks) {
    Add(fviBlanks, Null(), GetFilterResourceString(&cxSFilterBoxBlanksCaption));
    Add(fviNonBlanks, Null(), GetFilterResourceString(&cxSFilterBoxNonBlanksCaption));
  }
  if (criteria->OnGetValueList)
    criteria->OnGetValueList(criteria, AItemIndex, this);
}
