#include <gtest/gtest.h>

#include "controls/cx/data/cxDBData.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestDataSets.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

struct TCustomersView {
  TCustomersView()
  {
    FillCustomers(DataSet);
    Source.SetDataSet(&DataSet);
    View = NewDBController();
    Id = View->AddFieldColumn("Id", "CustId");
    Name = View->AddFieldColumn("Name", "name"); // names match without case
    City = View->AddFieldColumn("City", "City");
    View->SetKeyFieldNames("CustId");
    View->SetDataSource(&Source);
    View->Log.clear();
  }
  TMemDataSet DataSet;
  TDataSource Source;
  std::unique_ptr<TTestDBController> View;
  Integer Id, Name, City;
};

TEST(cxDBDataControllerTest, LoadsTheDataSetThroughFieldsBoundByName)
{
  TCustomersView v;
  ASSERT_EQ(v.View->RecordCount(), 10);
  EXPECT_EQ(v.View->RowTexts(v.Name), "Ann,Bob,Cid,Dee,Eve,Fay,Gus,Hal,Ida,Jon");
  EXPECT_EQ(v.View->GetItemField(v.Name), v.DataSet.FieldByName("Name"));
  EXPECT_EQ(v.View->GetItemValueTypeClass(v.Id), TcxIntegerValueType::Class());
  EXPECT_TRUE(VarIsNull(v.View->GetValue(3, v.City)));
  EXPECT_TRUE(v.View->HasRecordKeys());
  EXPECT_EQ(v.View->FindRecordIndexByKey(7), 6);
  EXPECT_EQ(v.View->FindRecordIndexByKey(70), -1);

  // A second item on the same field shares its values.
  Integer again = v.View->AddFieldColumn("Again", "NAME");
  EXPECT_EQ(v.View->GetField(again)->ReferenceField(), v.View->GetField(v.Name));
  EXPECT_EQ(v.View->DisplayText(4, again), "Eve");
}

TEST(cxDBDataControllerTest, ValueTypesFollowTheFieldTypes)
{
  struct Case {
    TFieldType Type;
    TcxValueTypeClass Expected;
  } cases[] = {
      {ftString, TcxStringValueType::Class()},     {ftWideString, TcxWideStringValueType::Class()},
      {ftSmallint, TcxSmallintValueType::Class()}, {ftInteger, TcxIntegerValueType::Class()},
      {ftAutoInc, TcxIntegerValueType::Class()},   {ftWord, TcxWordValueType::Class()},
      {ftBoolean, TcxBooleanValueType::Class()},   {ftFloat, TcxFloatValueType::Class()},
      {ftCurrency, TcxCurrencyValueType::Class()}, {ftBCD, TcxCurrencyValueType::Class()},
      {ftDate, TcxDateTimeValueType::Class()},     {ftDateTime, TcxDateTimeValueType::Class()},
      {ftLargeint, TcxLargeIntValueType::Class()}, {ftFMTBcd, TcxFMTBcdValueType::Class()},
      {ftMemo, TcxVariantValueType::Class()},      {ftBlob, TcxVariantValueType::Class()},
  };
  TMemDataSet ds;
  for (const Case& c : cases)
    ds.FieldDefs()->Add("F" + std::to_string(c.Type), c.Type, c.Type == ftString ? 10 : 0);
  ds.CreateDataSet();
  for (const Case& c : cases)
    EXPECT_EQ(ValueTypeClassOfField(ds.FieldByName("F" + std::to_string(c.Type))), c.Expected)
        << c.Type;
  EXPECT_EQ(ValueTypeClassOfField(nullptr), TcxStringValueType::Class());
}

TEST(cxDBDataControllerTest, FocusFollowsTheDataSetAndTheDataSetFollowsTheFocus)
{
  TCustomersView v;
  v.DataSet.Locate("CustId", 5, {});
  EXPECT_EQ(v.View->FocusedRecordIndex(), 4);
  v.View->ChangeFocusedRowIndex(7);
  EXPECT_EQ(v.DataSet.FieldByName("CustId")->AsInteger(), 8);
  v.View->ChangeSortOrder(v.Name, soDescending); // Jon first
  v.View->ChangeFocusedRowIndex(0);
  EXPECT_EQ(v.DataSet.FieldByName("Name")->AsString(), "Jon");
  v.DataSet.First();
  EXPECT_EQ(v.View->FocusedRowIndex(), 9);
}

TEST(cxDBDataControllerTest, EditingGoesThroughTheDataSet)
{
  TCustomersView v;
  v.View->ChangeFocusedRowIndex(1);
  ASSERT_TRUE(v.View->SetEditValue(v.City, "Nanjing", evsValue));
  EXPECT_EQ(v.DataSet.State(), dsEdit);
  EXPECT_TRUE(v.View->IsEditing());
  v.View->Post();
  EXPECT_EQ(v.DataSet.State(), dsBrowse);
  EXPECT_EQ(v.DataSet.FieldByName("City")->AsString(), "Nanjing");
  EXPECT_EQ(v.View->DisplayText(1, v.City), "Nanjing");
  EXPECT_EQ(v.View->FocusedRecordIndex(), 1);

  // An edit made in the dataset shows in the view.
  v.DataSet.Locate("CustId", 3, {});
  v.DataSet.Edit();
  v.DataSet.FieldByName("Name")->SetAsString("Cyd");
  v.DataSet.Post();
  EXPECT_EQ(v.View->DisplayText(2, v.Name), "Cyd");

  // Cancelling restores.
  v.View->ChangeFocusedRowIndex(0);
  v.View->SetEditValue(v.Name, "Zed", evsValue);
  v.View->Cancel();
  EXPECT_EQ(v.DataSet.FieldByName("Name")->AsString(), "Ann");
  EXPECT_EQ(v.View->DisplayText(0, v.Name), "Ann");
}

TEST(cxDBDataControllerTest, AppendingInTheDataSetAppendsInTheView)
{
  TCustomersView v;
  v.DataSet.Append();
  EXPECT_EQ(v.View->RecordCount(), 11);
  EXPECT_TRUE(v.View->IsEditing());
  v.DataSet.FieldByName("CustId")->SetAsInteger(11);
  v.DataSet.FieldByName("Name")->SetAsString("Kim");
  v.DataSet.Post();
  EXPECT_EQ(v.View->RecordCount(), 11);
  EXPECT_EQ(v.View->FindRecordIndexByKey(11), 10);
  EXPECT_EQ(v.View->DisplayText(10, v.Name), "Kim");

  // Deleting through the view.
  v.View->ChangeFocusedRowIndex(10);
  v.View->DeleteFocused();
  EXPECT_EQ(v.DataSet.RecordCount(), 10);
  EXPECT_EQ(v.View->RecordCount(), 10);
}

TEST(cxDBDataControllerTest, LocatingByKey)
{
  TCustomersView v;
  EXPECT_TRUE(v.View->LocateByKey(6));
  EXPECT_EQ(v.View->FocusedRecordIndex(), 5);
  EXPECT_EQ(v.DataSet.FieldByName("CustId")->AsInteger(), 6);
  // A key that is loaded but filtered out.
  v.View->Filter()->Root()->AddCondition(v.View->Columns[v.City].get(), foEqual, "Xian", "Xian");
  v.View->Filter()->SetActive(true);
  EXPECT_FALSE(v.View->LocateByKey(2));
  EXPECT_EQ(v.View->FocusedRowIndex(), -1);
  EXPECT_FALSE(v.View->LocateByKey(Null()));

  // Several key fields need a Variant array.
  v.View->SetKeyFieldNames("CustId;Name");
  EXPECT_EQ(v.View->FindRecordIndexByKey(3), -1);
  Variant key = VarArrayCreate({0, 1}, varVariant);
  VarArrayPut(key, 3, {0});
  VarArrayPut(key, "Cid", {1});
  EXPECT_EQ(v.View->FindRecordIndexByKey(key), 2);

  // No key fields: no keyed save.
  v.View->SetKeyFieldNames("");
  EXPECT_EQ(v.View->KeyField(), nullptr);
  EXPECT_FALSE(v.View->HasRecordKeys());
}

TEST(cxDBDataControllerTest, KeyedReloadKeepsTheSelection)
{
  TCustomersView v;
  v.View->ChangeMultiSelect(true);
  v.View->ChangeRowSelection(2, true);
  v.View->ChangeRowSelection(6, true);
  // The dataset loses a record in front of them and the view reloads.
  v.DataSet.First();
  v.DataSet.Delete();
  ASSERT_EQ(v.View->RecordCount(), 9);
  ASSERT_EQ(v.View->GetSelectedCount(), 2);
  EXPECT_EQ(v.View->GetSelectedRowIndex(0), 1);
  EXPECT_EQ(v.View->GetValue(v.View->GetRowInfo(v.View->GetSelectedRowIndex(0)).RecordIndex, v.Id)
                .AsInteger(),
            3);
  EXPECT_EQ(v.View->GetValue(v.View->GetRowInfo(v.View->GetSelectedRowIndex(1)).RecordIndex, v.Id)
                .AsInteger(),
            7);
}

TEST(cxDBDataControllerTest, ClosingAndOpeningTheDataSet)
{
  TCustomersView v;
  v.DataSet.Close();
  EXPECT_EQ(v.View->RecordCount(), 0);
  EXPECT_EQ(v.View->GetItemField(v.Name), nullptr); // default fields went with the dataset
  v.DataSet.Open();                                 // an in-memory dataset opens empty
  EXPECT_EQ(v.View->GetItemField(v.Name), v.DataSet.FieldByName("Name"));
  v.DataSet.AppendRecord({1, "Ann"});
  EXPECT_EQ(v.View->RowTexts(v.Name), "Ann");
  v.View->SetDataSource(nullptr);
  EXPECT_EQ(v.View->RecordCount(), 0);
}

TEST(cxDBDataControllerTest, DeletingSelectedRecordsWithoutKeys)
{
  TMemDataSet ds;
  FillNumbers(ds, 10);
  TDataSource source;
  source.SetDataSet(&ds);
  auto view = NewDBController(&source);
  Integer id = view->AddFieldColumn("Id", "Id");
  ASSERT_FALSE(view->HasRecordKeys());
  view->ChangeMultiSelect(true);
  for (Integer row : {1, 4, 5, 9})
    view->ChangeRowSelection(row, true);
  view->DeleteSelection();
  EXPECT_EQ(view->RowTexts(id), "1,3,4,7,8,9");
  EXPECT_EQ(ds.RecordCount(), 6);
}

TEST(cxDBDataControllerTest, SmartRefreshRereadsOnlyTheEditedRecord)
{
  TCustomersView v;
  v.View->DataModeController()->SetSmartRefresh(true);
  Integer loads = 0;
  v.View->OnDataChanged = [&](TObject*) { ++loads; };
  v.View->ChangeFocusedRowIndex(4);
  ASSERT_TRUE(v.View->SetEditValue(v.City, "Suzhou", evsValue));
  v.View->Post();
  EXPECT_EQ(v.View->DisplayText(4, v.City), "Suzhou");
  EXPECT_EQ(v.View->FocusedRecordIndex(), 4);
  // The edited record was read again; the others stayed loaded (no reload of the storage).
  EXPECT_EQ(v.View->RecordCount(), 10);
  EXPECT_EQ(v.DataSet.FieldByName("City")->AsString(), "Suzhou");
  // A record deleted in the dataset leaves the view too.
  v.View->ChangeFocusedRowIndex(2);
  v.View->DeleteFocused();
  EXPECT_EQ(v.View->RecordCount(), 9);
  EXPECT_EQ(v.View->FindRecordIndexByKey(3), -1);
}

TEST(cxDBDataControllerTest, AnotherViewsReloadCancelsAnEdit)
{
  TCustomersView a;
  auto b = NewDBController(&a.Source);
  Integer name = b->AddFieldColumn("Name", "Name");
  ASSERT_EQ(b->RecordCount(), 10);
  a.View->ChangeFocusedRowIndex(1);
  a.View->SetEditValue(a.Name, "Bo", evsValue);
  ASSERT_EQ(a.DataSet.State(), dsEdit);
  b->ReloadData(); // freezes its provider while it loads: the shared edit is cancelled
  EXPECT_EQ(a.DataSet.State(), dsBrowse);
  EXPECT_EQ(a.DataSet.FieldByName("Name")->AsString(), "Bob");
  // The first view handled the change it missed in full once the other had loaded.
  EXPECT_FALSE(a.View->IsEditing());
  EXPECT_FALSE(a.View->Provider()->EditCancelled());
  EXPECT_EQ(a.View->DisplayText(1, a.Name), "Bob");
  EXPECT_EQ(b->DisplayText(1, name), "Bob");
}

} // namespace
