#include <gtest/gtest.h>

#include "controls/cx/data/cxDBData.h"
#include "tests/controls/cx/data/support/TestDataSets.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

struct TNumbersView {
  explicit TNumbersView(Integer ACount = 1000)
  {
    FillNumbers(DataSet, ACount);
    Source.SetDataSet(&DataSet);
    View = NewDBController();
    Id = View->AddFieldColumn("Id", "Id");
    View->DataModeController()->SetGridMode(true);
    View->DataModeController()->SetGridModeBufferCount(10);
    View->SetDataSource(&Source);
    View->Log.clear();
  }
  Integer IdOfRow(Integer ARow) { return View->GetValue(ARow, Id).AsInteger(); }
  TMemDataSet DataSet;
  TDataSource Source;
  std::unique_ptr<TTestDBController> View;
  Integer Id;
};

TEST(cxDBGridModeTest, TheStorageHoldsTheLinksWindow)
{
  TNumbersView v;
  ASSERT_TRUE(v.View->IsGridMode());
  EXPECT_EQ(v.View->RecordCount(), 10);
  EXPECT_EQ(v.IdOfRow(0), 1);
  EXPECT_EQ(v.IdOfRow(9), 10);
  EXPECT_EQ(v.View->FocusedRowIndex(), 0);

  v.View->GotoLast();
  EXPECT_EQ(v.DataSet.RecNo(), 1000);
  EXPECT_EQ(v.IdOfRow(9), 1000);
  EXPECT_EQ(v.View->FocusedRowIndex(), 9);
  EXPECT_TRUE(v.View->IsEOF());
  v.View->GotoPrev();
  EXPECT_EQ(v.DataSet.FieldByName("Id")->AsInteger(), 999);
  EXPECT_EQ(v.View->FocusedRowIndex(), 8);

  // The buffer count: 0 uses the default of 100, negative counts are stored as 0.
  v.View->DataModeController()->SetGridModeBufferCount(0);
  EXPECT_EQ(v.View->RecordCount(), 100);
  v.View->DataModeController()->SetGridModeBufferCount(-5);
  EXPECT_EQ(v.View->DataModeController()->GridModeBufferCount(), 0);

  // Grouping leaves grid mode; ungrouping returns to it.
  v.View->Groups()->ChangeGrouping(v.Id, 0);
  EXPECT_FALSE(v.View->IsGridMode());
  EXPECT_EQ(v.View->RecordCount(), 1000);
  v.View->Groups()->ClearGrouping();
  EXPECT_TRUE(v.View->IsGridMode());
  EXPECT_EQ(v.View->RecordCount(), 100);
}

TEST(cxDBGridModeTest, UnidirectionalDataSetsStayOutOfGridMode)
{
  struct TForwardOnly : TMemDataSet {
    bool IsUnidirectional() const override { return true; }
  } ds;
  FillNumbers(ds, 20);
  TDataSource source;
  source.SetDataSet(&ds);
  auto view = NewDBController();
  view->AddFieldColumn("Id", "Id");
  view->DataModeController()->SetGridMode(true);
  view->SetDataSource(&source);
  EXPECT_FALSE(view->IsGridMode());
}

TEST(cxDBGridModeTest, SelectAllAndShiftSelection)
{
  TNumbersView v;
  v.View->ChangeMultiSelect(true);
  v.View->SelectAll();
  const auto& bookmarks = v.View->DBSelection()->Bookmarks();
  ASSERT_EQ(bookmarks.size(), 1000u);
  EXPECT_EQ(v.View->GetSelectedCount(), 1000);
  for (size_t i = 1; i < bookmarks.size(); ++i)
    ASSERT_LT(v.DataSet.CompareBookmarks(bookmarks[i - 1], bookmarks[i]), 0) << i;
  EXPECT_EQ(v.DataSet.RecNo(), 1); // the walk put the dataset back

  // Shift selection from an anchor, one row further, one row back.
  v.View->ClearRowSelection();
  v.View->SetSelectionAnchor(2);
  EXPECT_TRUE(v.View->IsSelectionAnchorExist());
  EXPECT_EQ(v.View->GetSelectionAnchorRowIndex(), -1);
  v.View->SelectFromAnchor(5, false);
  EXPECT_EQ(v.View->GetSelectedCount(), 4);
  v.View->SelectFromAnchor(6, false);
  EXPECT_EQ(v.View->GetSelectedCount(), 5);
  v.View->SelectFromAnchor(5, false);
  EXPECT_EQ(v.View->GetSelectedCount(), 4);
  EXPECT_EQ(v.View->GetSelectedRowIndex(0), 2);
  EXPECT_EQ(v.View->GetSelectedRowIndex(3), 5);
  TBookmarkStr first;
  v.View->GetSelectedBookmark(0, first);
  EXPECT_EQ(first, v.View->DBSelection()->BookmarkOfRow(2));

  // A deleted record's bookmark goes at the next dataset change.
  v.DataSet.Locate("Id", 4, {});
  v.DataSet.Delete();
  EXPECT_EQ(v.View->GetSelectedCount(), 3);
}

TEST(cxDBGridModeTest, BookmarkSelectionNeedsGridMode)
{
  TNumbersView v;
  v.View->DataModeController()->SetGridMode(false);
  TBookmarkStr bookmark;
  EXPECT_EQ(ErrorOf([&] { v.View->GetSelectedBookmark(0, bookmark); }),
            "EcxInvalidDataControllerOperation: DataController not in GridMode");
}

TEST(cxDBGridModeTest, LocateByKeyOutsideTheWindow)
{
  TNumbersView v;
  v.View->SetKeyFieldNames("Id");
  EXPECT_FALSE(v.View->HasRecordKeys()); // grid mode keeps no record keys
  EXPECT_TRUE(v.View->LocateByKey(500));
  EXPECT_EQ(v.DataSet.FieldByName("Id")->AsInteger(), 500);
  EXPECT_EQ(v.IdOfRow(v.View->FocusedRowIndex()), 500);
  EXPECT_FALSE(v.View->LocateByKey(5000));
}

TEST(cxDBGridModeTest, BookmarkSavedTwiceReportsOnce)
{
  TNumbersView v;
  v.View->ChangeFocusedRowIndex(3);
  v.View->SaveBookmark();
  EXPECT_TRUE(v.View->IsBookmarkAvailable());
  EXPECT_TRUE(v.View->IsBookmarkRow(3));
  std::string log = v.View->TakeLog();
  EXPECT_NE(log.find("Bookmark"), std::string::npos) << log;
  v.View->SaveBookmark();
  EXPECT_EQ(v.View->TakeLog().find("Bookmark"), std::string::npos);
  v.View->GotoLast();
  v.View->GotoBookmark();
  EXPECT_EQ(v.DataSet.FieldByName("Id")->AsInteger(), 4);
}

TEST(cxDBGridModeTest, IncrementalSearchWalksTheDataSet)
{
  TMemDataSet ds;
  ds.FieldDefs()->Add("Name", ftString, 10);
  ds.CreateDataSet();
  for (const char* name : {"pear", "apple", "plum", "apricot", "fig", "peach"})
    ds.AppendRecord({name});
  ds.First();
  TDataSource source;
  source.SetDataSet(&ds);
  auto view = NewDBController();
  view->AddFieldColumn("Name", "Name");
  view->DataModeController()->SetGridMode(true);
  view->DataModeController()->SetGridModeBufferCount(3);
  view->SetDataSource(&source);

  ASSERT_TRUE(view->Search()->StartSearch(0, "AP"));
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "apple");
  ASSERT_TRUE(view->Search()->SearchNext(true));
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "apricot");
  EXPECT_FALSE(view->Search()->SearchNext(true)); // no wrap when continuing
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "apricot");
  ASSERT_TRUE(view->Search()->SearchNext(false));
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "apple");
  view->Search()->StopSearch();
  // A new search from the last record wraps to the first.
  ds.Last();
  ASSERT_TRUE(view->Search()->StartSearch(0, "pe"));
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "peach");
  ds.Locate("Name", "fig", {});
  view->Search()->StopSearch();
  ASSERT_TRUE(view->Search()->StartSearch(0, "pea"));
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "peach");
  EXPECT_FALSE(view->Search()->StartSearch(0, "kiwi"));
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "peach"); // put back
}

} // namespace
