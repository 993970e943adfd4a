// The dataset controller's filter criteria and summary item, and the unit start-up of
// cxDBData (cxDBData.h).
#include "controls/cx/data/cxDBData.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

// ---- TcxDBDataFilterCriteria ----

TcxDBDataFilterCriteria::TcxDBDataFilterCriteria(TcxCustomDataController* ADataController)
    : TcxDataFilterCriteria(ADataController)
{
  FIgnoreOrigin = true;
}

TcxDBDataController* TcxDBDataFilterCriteria::DBDataController() const
{
  return static_cast<TcxDBDataController*>(DataController());
}

void TcxDBDataFilterCriteria::Assign(TPersistent* ASource)
{
  auto* source = dynamic_cast<TcxDBDataFilterCriteria*>(ASource);
  if (!source) {
    TcxDataFilterCriteria::Assign(ASource);
    return;
  }
  TUpdateScope<TcxFilterCriteria> update(*this);
  TcxDataFilterCriteria::Assign(ASource);
  SetAutoDataSetFilter(source->FAutoDataSetFilter);
  SetIgnoreOrigin(source->FIgnoreOrigin);
}

void TcxDBDataFilterCriteria::AssignEvents(TPersistent* ASource)
{
  TcxDataFilterCriteria::AssignEvents(ASource);
  if (auto* source = dynamic_cast<TcxDBDataFilterCriteria*>(ASource)) {
    OnBeforeChange = source->OnBeforeChange;
    OnFormatFilterTextValue = source->OnFormatFilterTextValue;
  }
}

void TcxDBDataFilterCriteria::RestoreDefaults()
{
  TUpdateScope<TcxFilterCriteria> update(*this);
  TcxDataFilterCriteria::RestoreDefaults();
  SetAutoDataSetFilter(false);
  SetIgnoreOrigin(true);
}

void TcxDBDataFilterCriteria::FormatFilterTextValue(TcxFilterCriteriaItem* AItem,
                                                    const Variant& AValue, AnsiString& AText)
{
  if (OnFormatFilterTextValue)
    OnFormatFilterTextValue(this, AValue, AText);
}

TcxFilterCriteriaItem* TcxDBDataFilterCriteria::CreateItem(TcxFilterCriteriaItemList* AParent,
                                                           TObject* AItemLink,
                                                           TcxFilterOperatorKind AOperatorKind,
                                                           const Variant& AValue,
                                                           const AnsiString& ADisplayValue)
{
  return new TcxDBDataFilterCriteriaItem(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue);
}

void TcxDBDataFilterCriteria::SetAutoDataSetFilter(bool AValue)
{
  if (FAutoDataSetFilter == AValue)
    return;
  FAutoDataSetFilter = AValue;
  Changed();
}

void TcxDBDataFilterCriteria::SetIgnoreOrigin(bool AValue)
{
  if (FIgnoreOrigin == AValue)
    return;
  FIgnoreOrigin = AValue;
  Changed();
}

bool TcxDBDataFilterCriteria::IsDataSetFilterInEffect()
{
  return FAutoDataSetFilter && !DBDataController()->Provider()->IsSmartRefresh();
}

bool TcxDBDataFilterCriteria::IsFiltering()
{
  return TcxDataFilterCriteria::IsFiltering() && !OnBeforeChange && !IsDataSetFilterInEffect();
}

void TcxDBDataFilterCriteria::ApplyDataSetFilter()
{
  TDataSet* dataSet = DBDataController()->DataSet();
  if (!dataSet)
    return;
  AnsiString text = FilterText();
  TFilterOptions options = dataSet->FilterOptions();
  if (Options().Contains(fcoCaseInsensitive))
    options += TFilterOptions{foCaseInsensitive};
  else
    options -= TFilterOptions{foCaseInsensitive};
  bool filtered = Active() && !text.empty();
  if (dataSet->Filter() == text && dataSet->FilterOptions() == options &&
      dataSet->Filtered() == filtered)
    return;
  dataSet->DisableControls();
  TScopeExit enable([&] { dataSet->EnableControls(); });
  dataSet->SetFilter(text);
  dataSet->SetFilterOptions(options);
  dataSet->SetFiltered(filtered);
}

void TcxDBDataFilterCriteria::DoChanged()
{
  TcxDBDataController* dc = DBDataController();
  bool destroying = Destroying() || dc->IsDestroying();
  if (!destroying) {
    TDataSet* dataSet = dc->DataSet();
    if (dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert ||
                    dataSet->State() == dsSetKey)) {
      try {
        dc->CheckBrowseMode();
      } catch (...) {
        SetActive(false);
        throw;
      }
    }
    if (OnBeforeChange && !dc->IsLoading())
      OnBeforeChange(this, dataSet, FilterText());
    if (IsDataSetFilterInEffect())
      ApplyDataSetFilter();
  }
  TcxDataFilterCriteria::DoChanged();
  if (!destroying && dc->Provider()->IsSyncMode() && dc->FocusedRecordIndex() == -1)
    dc->UpdateFocused();
}

// ---- TcxDBDataFilterCriteriaItem ----

TcxFilterOperatorClass TcxDBDataFilterCriteriaItem::GetOperatorClass()
{
  TcxFilterOperatorClass cls = TcxDataFilterCriteriaItem::GetOperatorClass();
  TcxFilterCriteria* criteria = Criteria();
  auto* dbCriteria = dynamic_cast<TcxDBDataFilterCriteria*>(criteria);
  if (!dbCriteria)
    return cls;
  TDataSet* dataSet = dbCriteria->DBDataController()->DataSet();
  if (TcxDBFilterOperatorAdapter* adapter = GetFilterOperatorAdapter(dataSet))
    adapter->PrepareOperatorClass(this, dataSet, cls);
  return cls;
}

// ---- TcxDBDataSummaryItem ----

TcxDBDataSummaryItem::~TcxDBDataSummaryItem()
{
  TcxDBDataField* field = FDataField;
  FDataField = nullptr;
  if (field && Collection() && !DBDataController()->IsDestroying())
    delete field;
}

TcxDBDataController* TcxDBDataSummaryItem::DBDataController() const
{
  return As<TcxDBDataController>(GetDataController());
}

TcxCustomDataField* TcxDBDataSummaryItem::GetField() const
{
  return FDataField ? FDataField : TcxDataSummaryItem::GetField();
}

void TcxDBDataSummaryItem::SetFieldName(const AnsiString& AValue)
{
  if (FFieldName == AValue)
    return;
  FFieldName = AValue;
  TcxDBDataController* dc = DBDataController();
  TcxDBDataField* field = FDataField;
  dc->SetKeyField(FFieldName, field);
  FDataField = field;
  Changed(true);
}

void TcxDBDataSummaryItem::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxDBDataSummaryItem*>(Source);
  if (!source) {
    TcxDataSummaryItem::Assign(Source);
    return;
  }
  if (Collection())
    Collection()->BeginUpdate();
  TScopeExit end([&] {
    if (Collection())
      Collection()->EndUpdate();
  });
  TcxDataSummaryItem::Assign(Source);
  SetFieldName(source->FFieldName);
}

// ---- Unit start-up ----

void cxDBDataInitialization()
{
  TClassRegistration<TcxDBProviderDetailFilterAdapter, TcxDBAdapterItem>(
      "TcxDBProviderDetailFilterAdapter")
      .Abstract()
      .ClassOps<TcxDBAdapterItemOps<TcxDBProviderDetailFilterAdapter>>();

  RegisterEventType<TcxDBDataModeControllerDetailFirstEvent>(
      "TcxDBDataModeControllerDetailFirstEvent");
  RegisterEventType<TcxDBDataModeControllerDetailIsCurrentQueryEvent>(
      "TcxDBDataModeControllerDetailIsCurrentQueryEvent");
  RegisterEventType<TcxDBDataDetailHasChildrenEvent>("TcxDBDataDetailHasChildrenEvent");
  RegisterEventType<TcxDBDataFilterBeforeChangeEvent>("TcxDBDataFilterBeforeChangeEvent");
  RegisterEventType<TcxDBDataFilterFormatFilterTextValueEvent>(
      "TcxDBDataFilterFormatFilterTextValueEvent");

  TClassRegistration<TcxDBDataModeController, TPersistent>("TcxDBDataModeController")
      .Abstract()
      .Property("DetailInSQLMode", &TcxDBDataModeController::DetailInSQLMode,
                &TcxDBDataModeController::SetDetailInSQLMode)
      .Default(false)
      .Property("GridMode", &TcxDBDataModeController::GridMode,
                &TcxDBDataModeController::SetGridMode)
      .Default(false)
      .Property("GridModeBufferCount", &TcxDBDataModeController::GridModeBufferCount,
                &TcxDBDataModeController::SetGridModeBufferCount)
      .Default(0)
      .Property("SmartRefresh", &TcxDBDataModeController::SmartRefresh,
                &TcxDBDataModeController::SetSmartRefresh)
      .Default(false)
      .Property("SyncMode", &TcxDBDataModeController::SyncMode,
                &TcxDBDataModeController::SetSyncMode)
      .Default(true)
      .Property("OnDetailFirst", &TcxDBDataModeController::OnDetailFirst,
                &TcxDBDataModeController::OnDetailFirst)
      .Property("OnDetailIsCurrentQuery", &TcxDBDataModeController::OnDetailIsCurrentQuery,
                &TcxDBDataModeController::OnDetailIsCurrentQuery);

  TClassRegistration<TcxDBDataFilterCriteria, TcxDataFilterCriteria>("TcxDBDataFilterCriteria")
      .Abstract()
      .Property("AutoDataSetFilter", &TcxDBDataFilterCriteria::AutoDataSetFilter,
                &TcxDBDataFilterCriteria::SetAutoDataSetFilter)
      .Default(false)
      .Property("DateTimeFormat", &TcxDBDataFilterCriteria::DateTimeFormat,
                &TcxDBDataFilterCriteria::SetDateTimeFormat)
      .Property("IgnoreOrigin", &TcxDBDataFilterCriteria::IgnoreOrigin,
                &TcxDBDataFilterCriteria::SetIgnoreOrigin)
      .Default(true)
      .Property("SupportedLike", &TcxDBDataFilterCriteria::SupportedLike,
                &TcxDBDataFilterCriteria::SetSupportedLike)
      .Default(true)
      .Property("TranslateBetween", &TcxDBDataFilterCriteria::TranslateBetween,
                &TcxDBDataFilterCriteria::SetTranslateBetween)
      .Default(false)
      .Property("TranslateIn", &TcxDBDataFilterCriteria::TranslateIn,
                &TcxDBDataFilterCriteria::SetTranslateIn)
      .Default(false)
      .Property("OnBeforeChange", &TcxDBDataFilterCriteria::OnBeforeChange,
                &TcxDBDataFilterCriteria::OnBeforeChange)
      .Property("OnFormatFilterTextValue", &TcxDBDataFilterCriteria::OnFormatFilterTextValue,
                &TcxDBDataFilterCriteria::OnFormatFilterTextValue);

  TClassRegistration<TcxDBDataSummaryItem, TcxDataSummaryItem>("TcxDBDataSummaryItem")
      .Property("FieldName", &TcxDBDataSummaryItem::FieldName, &TcxDBDataSummaryItem::SetFieldName);

  TClassRegistration<TcxDBDataController, TcxCustomDataController>("TcxDBDataController")
      .Abstract()
      .Property("DataModeController", &TcxDBDataController::DataModeController,
                &TcxDBDataController::SetDataModeController)
      .Property("DataSource", &TcxDBDataController::DataSource, &TcxDBDataController::SetDataSource)
      .Property("DetailKeyFieldNames", &TcxDBDataController::DetailKeyFieldNames,
                &TcxDBDataController::SetDetailKeyFieldNames)
      .Property("KeyFieldNames", &TcxDBDataController::KeyFieldNames,
                &TcxDBDataController::SetKeyFieldNames)
      .Property("MasterKeyFieldNames", &TcxDBDataController::MasterKeyFieldNames,
                &TcxDBDataController::SetMasterKeyFieldNames)
      .Property("OnDetailHasChildren", &TcxDBDataController::OnDetailHasChildren,
                &TcxDBDataController::OnDetailHasChildren);

  cxDetailFilterControllersReset(true);
}

void cxDBDataFinalization()
{
  cxDetailFilterControllersReset(false);
}
