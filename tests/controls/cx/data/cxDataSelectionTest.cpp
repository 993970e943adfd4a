#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/FakeRecordSource.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

TEST(cxDataSelectionTest, SingleSelectionFollowsTheFocus)
{
  auto goods = NewGoods();
  EXPECT_EQ(goods->GetSelectedCount(), 0);
  goods->ChangeFocusedRowIndex(2);
  EXPECT_EQ(goods->GetSelectedCount(), 1);
  EXPECT_EQ(goods->GetSelectedRowIndex(0), 2);
  EXPECT_TRUE(goods->IsRowSelected(2));
  goods->Log.clear();
  goods->SetFocusedRowSelected(false);
  EXPECT_EQ(goods->GetSelectedCount(), 0);
  EXPECT_EQ(goods->TakeLog(), "Selection [2]");
  goods->SetFocusedRowSelected(true);
  EXPECT_EQ(goods->TakeLog(), "Selection [2]");
  goods->ChangeRowSelection(5, true); // single selection: nothing
  EXPECT_FALSE(goods->IsRowSelected(5));
}

TEST(cxDataSelectionTest, MultiSelection)
{
  auto goods = NewGoods();
  goods->ChangeMultiSelect(true);
  goods->Log.clear();
  goods->ChangeRowSelection(1, true);
  EXPECT_EQ(goods->TakeLog(), "Selection [1]");
  goods->ChangeRowSelection(1, false);
  goods->ChangeRowSelection(4, true);
  goods->Log.clear();
  goods->SelectRows(7, 3);
  EXPECT_EQ(goods->GetSelectedCount(), 5);
  for (Integer r = 3; r <= 7; ++r)
    EXPECT_TRUE(goods->IsRowSelected(r));
  EXPECT_EQ(goods->TakeLog(), "Selection []"); // one row to many: the whole selection
  goods->SetSelectionAnchor(5);
  EXPECT_TRUE(goods->IsSelectionAnchorExist());
  goods->ChangeRowSelection(5, false); // deleting the anchor's entry clears the anchor
  EXPECT_FALSE(goods->IsSelectionAnchorExist());
  goods->SetSelectionAnchor(2);
  goods->SelectFromAnchor(4, false);
  EXPECT_EQ(goods->GetSelectedCount(), 3);
  goods->SelectFromAnchor(6, true);
  EXPECT_EQ(goods->GetSelectedCount(), 5);
  EXPECT_EQ(ErrorOf([&] { goods->SetSelectionAnchor(10); }),
            "EcxInvalidDataControllerOperation: RowIndex out of range");
  goods->SelectAll();
  EXPECT_EQ(goods->GetSelectedCount(), 10);
  goods->ClearRowSelection();
  EXPECT_EQ(goods->GetSelectedCount(), 0);
  goods->SelectRows(1, 2);
  goods->ChangeMultiSelect(false);
  EXPECT_EQ(goods->Selection()->Count(), 0);
}

TEST(cxDataSelectionTest, SelectionFollowsRecordsThroughSortingAndDeletion)
{
  auto goods = NewGoods();
  goods->ChangeMultiSelect(true);
  goods->ChangeRowSelection(0, true); // Id 1
  goods->ChangeRowSelection(8, true); // Id 9
  goods->ChangeSortOrder(gcId, soDescending);
  EXPECT_TRUE(goods->IsRowSelected(9));
  EXPECT_TRUE(goods->IsRowSelected(1));
  goods->DeleteRecord(3); // Id 4 goes; Id 9 is now record 7
  EXPECT_EQ(goods->GetSelectedCount(), 2);
  EXPECT_TRUE(goods->IsRowSelected(1));
  EXPECT_EQ(goods->GetRowInfo(1).RecordIndex, 7);
  goods->DeleteRecord(7); // a selected record goes: its entry goes with it
  EXPECT_EQ(goods->GetSelectedCount(), 1);
}

TEST(cxDataSelectionTest, Bookmark)
{
  auto goods = NewGoods();
  goods->ChangeFocusedRowIndex(4);
  goods->Log.clear();
  goods->SaveBookmark();
  goods->SaveBookmark();
  EXPECT_EQ(goods->TakeLog(), "Bookmark");
  EXPECT_TRUE(goods->IsBookmarkRow(4));
  goods->ChangeFocusedRowIndex(0);
  goods->GotoBookmark();
  EXPECT_EQ(goods->FocusedRowIndex(), 4);
  goods->DeleteRecord(1); // an earlier record: the bookmark follows its record
  EXPECT_EQ(goods->BookmarkRecordIndex(), 3);
  EXPECT_TRUE(goods->IsBookmarkAvailable());
  goods->Log.clear();
  goods->DeleteRecord(3);
  EXPECT_FALSE(goods->IsBookmarkAvailable());
  EXPECT_NE(goods->TakeLog().find("Bookmark"), std::string::npos);
  goods->ChangeFocusedRowIndex(0);
  goods->SaveBookmark();
  goods->Filter()->AddItem(nullptr, goods->Columns[gcId].get(), foGreater, 5, "5");
  goods->Filter()->SetActive(true); // the bookmarked record is filtered out
  EXPECT_FALSE(goods->IsBookmarkAvailable());
}

// Selected rows are kept by record key across a reload in which one record vanished.
TEST(cxDataSelectionTest, SelectedKeysSurviveAReload)
{
  auto c = NewController();
  c->AddColumn("Name", TcxStringValueType::Class());
  TFakeRecordSource source;
  for (const char* name : {"a", "b", "c", "d"})
    source.Add({name});
  c->SetRecordSource(&source);
  EXPECT_EQ(c->RecordCount(), 4);
  EXPECT_EQ(c->DisplayText(2, 0), "c");
  EXPECT_TRUE(c->HasRecordKeys());
  c->ChangeMultiSelect(true);
  c->ChangeRowSelection(1, true); // b
  c->ChangeRowSelection(3, true); // d
  c->SaveKeys();
  source.Rows.erase(source.Rows.begin());    // a goes: b and d move up
  std::swap(source.Rows[0], source.Rows[2]); // d, c, b
  c->LoadStorage();                          // the reload that the keys bracket
  c->RestoreKeys();
  EXPECT_EQ(c->GetSelectedCount(), 2);
  EXPECT_TRUE(c->IsRowSelected(0)); // d
  EXPECT_TRUE(c->IsRowSelected(2)); // b
  // b vanishes: exactly its entry goes.
  c->SaveKeys();
  source.Rows.pop_back();
  c->LoadStorage(); // the reload that the keys bracket
  c->RestoreKeys();
  EXPECT_EQ(c->GetSelectedCount(), 1);
  EXPECT_EQ(c->DisplayText(c->GetRowInfo(c->GetSelectedRowIndex(0)).RecordIndex, 0), "d");
  c->SetRecordSource(nullptr);
}

TEST(cxDataSelectionTest, CustomSourceRecords)
{
  auto c = NewController();
  c->AddColumn("Name", TcxStringValueType::Class());
  c->AddColumn("Qty", TcxIntegerValueType::Class());
  TFakeRecordSource source;
  source.Add({"x", 3});
  source.Add({"y", 1});
  c->SetRecordSource(&source);
  c->ChangeSortOrder(1, soAscending);
  EXPECT_EQ(c->RowTexts(0), "y,x");
  c->SetValue(0, 1, 0); // written to the source
  EXPECT_EQ(source.Rows[0].Values[1].AsInteger(), 0);
  EXPECT_EQ(c->RowTexts(0), "x,y");
  Integer appended = c->AppendRecord();
  EXPECT_EQ(appended, 2);
  source.RegisterAppends = false;
  EXPECT_EQ(c->AppendRecord(), -1); // the source did not register it
  c->DeleteRecord(0);
  EXPECT_EQ(source.Rows.size(), 3u);
  c->SetRecordSource(nullptr);
  EXPECT_EQ(c->RecordCount(), 0);
}

} // namespace
