// The published side of the data controller's parts: summaries, the filter and the
// controller's own settings, for the form descriptions the views are stored in.
#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxData.h"
#include "platform/rtl/TypInfo.h"

namespace {

template <class Owner, class Items> auto AssignTo(Items* (Owner::*AGetter)() const)
{
  return [AGetter](Owner* AOwner, Items* AValue) { (AOwner->*AGetter)()->Assign(AValue); };
}

} // namespace

void cxCustomDataInitialization()
{
  RegisterEnumType<TcxSummaryKind>("TcxSummaryKind",
                                   {"skNone", "skSum", "skMin", "skMax", "skCount", "skAverage"});
  RegisterEnumType<TcxSummaryPosition>("TcxSummaryPosition", {"spGroup", "spFooter"});
  RegisterEnumType<TcxSummaryOption>("TcxSummaryOption", {"soNullIgnore", "soSelectedRecords"});
  RegisterSetType<TcxSummaryOptions>("TcxSummaryOptions");
  RegisterEnumType<TcxDataControllerOption>(
      "TcxDataControllerOption",
      {"dcoAnsiSort", "dcoCaseInsensitive", "dcoAssignGroupingValues", "dcoAssignMasterDetailKeys",
       "dcoSaveExpanding", "dcoSortByDisplayText", "dcoFocusTopRowAfterSorting",
       "dcoGroupsAlwaysExpanded"});
  RegisterSetType<TcxDataControllerOptions>("TcxDataControllerOptions");

  RegisterEventType<TcxSummaryEvent>("TcxSummaryEvent");
  RegisterEventType<TcxDataSummaryItemGetTextEvent>("TcxDataSummaryItemGetTextEvent");
  RegisterEventType<TcxAfterSummaryEvent>("TcxAfterSummaryEvent");
  RegisterEventType<TcxDataFilterGetValueListEvent>("TcxDataFilterGetValueListEvent");
  RegisterEventType<TcxDataControllerCompareEvent>("TcxDataControllerCompareEvent");
  RegisterEventType<TcxDataRecordChangedEvent>("TcxDataRecordChangedEvent");

  TClassRegistration<TcxCustomDataSummaryItem, TCollectionItem>("TcxCustomDataSummaryItem")
      .Abstract();
  TClassRegistration<TcxDataSummaryItem, TcxCustomDataSummaryItem>("TcxDataSummaryItem")
      .Property("Format", &TcxDataSummaryItem::Format, &TcxDataSummaryItem::SetFormat)
      .Property("Kind", &TcxDataSummaryItem::Kind, &TcxDataSummaryItem::SetKind)
      .Default(skNone)
      .Property("Position", &TcxDataSummaryItem::Position, &TcxDataSummaryItem::SetPosition)
      .Stored(&TcxDataSummaryItem::IsPositionStored)
      .Property("OnGetText", &TcxDataSummaryItem::OnGetText, &TcxDataSummaryItem::OnGetText);
  TClassRegistration<TcxDataSummaryGroupItemLink, TcxCustomDataSummaryItem>(
      "TcxDataSummaryGroupItemLink");

  TClassRegistration<TcxDataSummaryItems, TCollection>("TcxDataSummaryItems")
      .Abstract()
      .Property("OnSummary", &TcxDataSummaryItems::OnSummary, &TcxDataSummaryItems::OnSummary);
  TClassRegistration<TcxDataFooterSummaryItems, TcxDataSummaryItems>("TcxDataFooterSummaryItems")
      .Abstract();
  TClassRegistration<TcxDataGroupSummaryItems, TcxDataSummaryItems>("TcxDataGroupSummaryItems")
      .Abstract()
      .Property("BeginText", &TcxDataGroupSummaryItems::BeginText,
                &TcxDataGroupSummaryItems::SetBeginText)
      .Stored([](TcxDataGroupSummaryItems* AItems) { return AItems->BeginText() != "("; })
      .Property("EndText", &TcxDataGroupSummaryItems::EndText,
                &TcxDataGroupSummaryItems::SetEndText)
      .Stored([](TcxDataGroupSummaryItems* AItems) { return AItems->EndText() != ")"; })
      .Property("Separator", &TcxDataGroupSummaryItems::Separator,
                &TcxDataGroupSummaryItems::SetSeparator)
      .Stored([](TcxDataGroupSummaryItems* AItems) { return AItems->Separator() != ","; });
  TClassRegistration<TcxDataSummaryGroupItemLinks, TCollection>("TcxDataSummaryGroupItemLinks")
      .Abstract();
  TClassRegistration<TcxDataSummaryGroup, TCollectionItem>("TcxDataSummaryGroup")
      .Property("Links", &TcxDataSummaryGroup::Links, AssignTo(&TcxDataSummaryGroup::Links))
      .Property("SummaryItems", &TcxDataSummaryGroup::SummaryItems,
                AssignTo(&TcxDataSummaryGroup::SummaryItems));
  TClassRegistration<TcxDataSummaryGroups, TCollection>("TcxDataSummaryGroups").Abstract();

  TClassRegistration<TcxDataSummary, TPersistent>("TcxDataSummary")
      .Abstract()
      .Property("DefaultGroupSummaryItems", &TcxDataSummary::DefaultGroupSummaryItems,
                AssignTo(&TcxDataSummary::DefaultGroupSummaryItems))
      .Property("FooterSummaryItems", &TcxDataSummary::FooterSummaryItems,
                AssignTo(&TcxDataSummary::FooterSummaryItems))
      .Property("SummaryGroups", &TcxDataSummary::SummaryGroups,
                AssignTo(&TcxDataSummary::SummaryGroups))
      .Property("Options", &TcxDataSummary::Options, &TcxDataSummary::SetOptions)
      .Default(TcxSummaryOptions())
      .Property("OnAfterSummary", &TcxDataSummary::OnAfterSummary, &TcxDataSummary::OnAfterSummary);

  TClassRegistration<TcxDataFilterCriteria, TcxFilterCriteria>("TcxDataFilterCriteria")
      .Abstract()
      .Property("Active", &TcxDataFilterCriteria::Active, &TcxDataFilterCriteria::SetActive)
      .Default(false)
      .Property("OnChanged", &TcxDataFilterCriteria::OnChanged, &TcxDataFilterCriteria::OnChanged)
      .Property("OnGetValueList", &TcxDataFilterCriteria::OnGetValueList,
                &TcxDataFilterCriteria::OnGetValueList);

  TClassRegistration<TcxCustomDataController, TPersistent>("TcxCustomDataController")
      .Abstract()
      .Property("Filter", &TcxCustomDataController::Filter, &TcxCustomDataController::SetFilter)
      .Property("Options", &TcxCustomDataController::Options, &TcxCustomDataController::SetOptions)
      .Default(cxDataControllerDefaultOptions)
      .Property("Summary", &TcxCustomDataController::Summary, &TcxCustomDataController::SetSummary)
      .Property("OnCompare", &TcxCustomDataController::OnCompare,
                &TcxCustomDataController::OnCompare)
      .Property("OnDataChanged", &TcxCustomDataController::OnDataChanged,
                &TcxCustomDataController::OnDataChanged)
      .Property("OnGroupingChanged", &TcxCustomDataController::OnGroupingChanged,
                &TcxCustomDataController::OnGroupingChanged)
      .Property("OnRecordChanged", &TcxCustomDataController::OnRecordChanged,
                &TcxCustomDataController::OnRecordChanged)
      .Property("OnSortingChanged", &TcxCustomDataController::OnSortingChanged,
                &TcxCustomDataController::OnSortingChanged);
  TClassRegistration<TcxDataController, TcxCustomDataController>("TcxDataController").Abstract();
}

void cxCustomDataFinalization() {}
