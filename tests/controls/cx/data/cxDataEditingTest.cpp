#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

// Records the edit events as short names.
struct TEventLog {
  void Attach(TcxCustomDataController& C)
  {
    C.OnBeforeInsert = [this](TcxCustomDataController*) { Events.push_back("BeforeInsert"); };
    C.OnAfterInsert = [this](TcxCustomDataController*) { Events.push_back("AfterInsert"); };
    C.OnNewRecord = [this](TcxCustomDataController*, Integer r) {
      Events.push_back("New " + std::to_string(r));
    };
    C.OnBeforePost = [this](TcxCustomDataController*) { Events.push_back("BeforePost"); };
    C.OnAfterPost = [this](TcxCustomDataController* dc) {
      Events.push_back("AfterPost " + std::to_string(dc->Provider()->InsertedRecordIndex()));
    };
    C.OnBeforeCancel = [this](TcxCustomDataController*) { Events.push_back("BeforeCancel"); };
    C.OnAfterCancel = [this](TcxCustomDataController*) { Events.push_back("AfterCancel"); };
    C.OnBeforeDelete = [this](TcxCustomDataController*, Integer r) {
      Events.push_back("BeforeDelete " + std::to_string(r));
    };
    C.OnAfterDelete = [this](TcxCustomDataController*) { Events.push_back("AfterDelete"); };
  }
  std::string Take()
  {
    std::string out;
    for (const auto& e : Events)
      out += (out.empty() ? "" : ",") + e;
    Events.clear();
    return out;
  }
  std::vector<std::string> Events;
};

TEST(cxDataEditingTest, EditCancelRestoresAndMovingPosts)
{
  auto goods = NewGoods();
  TEventLog log;
  log.Attach(*goods);
  goods->ChangeFocusedRowIndex(1);
  goods->Edit();
  EXPECT_EQ(goods->GetEditState(), TcxDataEditState({dceEdit}));
  EXPECT_TRUE(goods->IsEditing());
  EXPECT_EQ(goods->GetEditingRecordIndex(), 1);
  goods->SetEditValue(gcName, "Plum", evsValue);
  EXPECT_EQ(goods->GetEditState(), TcxDataEditState({dceEdit, dceChanging, dceModified}));
  EXPECT_EQ(goods->GetEditValue(gcName, evsValue).AsString(), "Plum");
  goods->Cancel();
  EXPECT_EQ(goods->DisplayText(1, gcName), "Banana");
  EXPECT_FALSE(goods->IsEditing());
  EXPECT_EQ(log.Take(), "BeforeCancel,AfterCancel");

  goods->Edit();
  goods->SetEditValue(gcName, "Plum", evsValue);
  goods->ChangeFocusedRowIndex(2); // leaving the record posts it
  EXPECT_EQ(goods->DisplayText(1, gcName), "Plum");
  EXPECT_FALSE(goods->IsEditing());
  EXPECT_EQ(log.Take(), "BeforePost,AfterPost -1");
  // An empty text given as text is stored as Null.
  goods->SetEditValue(gcName, "", evsText);
  goods->Post();
  EXPECT_TRUE(VarIsNull(goods->GetValue(2, gcName)));
}

TEST(cxDataEditingTest, InsertAndAppend)
{
  auto c = NewController();
  c->AddColumn("A", TcxIntegerValueType::Class());
  TEventLog log;
  log.Attach(*c);
  c->Insert(); // an empty controller: record 0, focused
  EXPECT_EQ(c->RecordCount(), 1);
  EXPECT_EQ(c->FocusedRecordIndex(), 0);
  EXPECT_EQ(c->GetEditState(), TcxDataEditState({dceInsert}));
  c->Insert(); // an untouched inserted record stays: nothing happens
  EXPECT_EQ(c->RecordCount(), 1);
  EXPECT_EQ(log.Take(), "BeforeInsert,New 0,AfterInsert");
  c->Log.clear();
  c->Post(); // nothing written: the insert is cancelled
  EXPECT_EQ(c->RecordCount(), 0);
  EXPECT_EQ(log.Take(), "BeforeCancel,AfterCancel");
  EXPECT_NE(c->TakeLog().find("Data k=4 i=-1 r=-1"), std::string::npos);

  c->Append();
  EXPECT_EQ(c->RecordCount(), 1);
  c->SetEditValue(0, 5, evsValue);
  c->Post();
  c->Append();
  c->SetEditValue(0, 6, evsValue);
  c->Post();
  c->ChangeFocusedRowIndex(0);
  c->Insert(); // before the focused record
  c->SetEditValue(0, 4, evsValue);
  c->Post();
  EXPECT_EQ(c->RowTexts(0), "4,5,6");
}

TEST(cxDataEditingTest, NewItemRow)
{
  auto c = NewController();
  c->AddColumn("A", TcxIntegerValueType::Class());
  c->AddColumn("B", TcxStringValueType::Class());
  c->Fill({{1, "x"}});
  TEventLog log;
  log.Attach(*c);
  c->SetNewItemRowVisible(true);
  c->SetNewItemRowFocused(true);
  EXPECT_TRUE(c->IsNewItemRowFocused());
  EXPECT_TRUE(VarIsNull(c->GetEditValue(0, evsValue)));
  Integer newItem = c->NewItemRecordIndex();
  EXPECT_LT(newItem, 0);
  // Values of the new-item record can be read before anything is written.
  EXPECT_TRUE(VarIsNull(c->GetValue(newItem, 0)));
  c->SetEditValue(0, 2, evsValue);
  c->SetEditValue(1, "y", evsValue);
  EXPECT_EQ(c->RecordCount(), 1); // the values live in the internal record
  EXPECT_EQ(c->GetValue(c->GetEditingRecordIndex(), 0).AsInteger(), 2);
  log.Take();
  c->Post();
  EXPECT_EQ(c->RecordCount(), 2);
  EXPECT_EQ(c->GetValue(1, 0).AsInteger(), 2);
  EXPECT_EQ(c->DisplayText(1, 1), "y");
  EXPECT_EQ(log.Take(), "BeforePost,AfterPost 1");
  EXPECT_EQ(c->Provider()->InsertedRecordIndex(), -1);
  // A fresh, empty new-item record.
  EXPECT_TRUE(VarIsNull(c->GetValue(c->NewItemRecordIndex(), 0)));
}

TEST(cxDataEditingTest, DeletingTheEditedRecordEndsTheEdit)
{
  auto goods = NewGoods();
  goods->ChangeFocusedRowIndex(3);
  goods->Edit();
  goods->SetEditValue(gcName, "x", evsValue);
  goods->DeleteRecord(3);
  EXPECT_EQ(goods->Provider()->EditingRecordIndex(), cxNullEditingRecordIndex);
  EXPECT_TRUE(goods->GetEditState().Empty());
  EXPECT_EQ(cxtest::ErrorOf([&] {
              goods->ChangeFocusedRowIndex(-1);
              goods->GetEditValue(gcName, evsValue);
            }),
            "EcxInvalidDataControllerOperation: RecordIndex out of range");
}

TEST(cxDataEditingTest, DeleteFocusedSelectionAndGroups)
{
  auto goods = NewGoods();
  TEventLog log;
  log.Attach(*goods);
  goods->ChangeFocusedRowIndex(9);
  goods->DeleteFocused();
  EXPECT_EQ(goods->RecordCount(), 9);
  EXPECT_EQ(goods->FocusedRowIndex(), 8); // the last row
  EXPECT_EQ(log.Take(), "BeforeDelete 9,AfterDelete");

  // A selected group row and one of its own data rows: each record goes once.
  goods->ChangeMultiSelect(true);
  goods->ChangeFocusedRowIndex(-1); // a focused record would be made visible by grouping
  goods->Groups()->ChangeGrouping(gcCat, 0);
  goods->Groups()->ChangeExpanding(2, true, false); // C: rows 2, 3, 4
  goods->ChangeRowSelection(2, true);
  goods->ChangeRowSelection(3, true);
  goods->DeleteSelection();
  EXPECT_EQ(goods->RecordCount(), 7);
  EXPECT_EQ(log.Take(), "BeforeDelete 6,AfterDelete,BeforeDelete 4,AfterDelete");
  EXPECT_EQ(goods->GetSelectedCount(), 0);

  goods->ChangeFocusedRowIndex(0); // group A
  goods->DeleteFocused();
  EXPECT_EQ(goods->RecordCount(), 4);
  // The last row is focused afterwards, which shows its record.
  EXPECT_EQ(goods->RowTexts(gcId), "[B],3,4,8,9");
}

TEST(cxDataEditingTest, EditOperations)
{
  auto c = NewController();
  c->AddColumn("A", TcxIntegerValueType::Class());
  EXPECT_EQ(c->GetEditOperations(),
            TcxDataControllerEditOperations({dceoAppend, dceoEdit, dceoInsert, dceoShowEdit}));
  c->SetRecordCount(1);
  EXPECT_TRUE(c->GetEditOperations().Contains(dceoDelete));
  EXPECT_EQ(c->GetEditOperations().Raw(), 31u);
}

} // namespace
