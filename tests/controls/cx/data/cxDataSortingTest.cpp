#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

TEST(cxDataSortingTest, OptionMatrixForTexts)
{
  struct Case {
    const char* Name;
    TcxDataControllerOptions Options;
    const char* Ids;
  } cases[] = {
      {"stored bytes", {}, "5,6,1,2,4,7,10,3,9,8"},
      {"case-insensitive", {dcoCaseInsensitive}, "5,6,1,10,3,2,4,7,9,8"},
      {"ansi", {dcoAnsiSort}, "5,6,10,1,3,2,4,7,9,8"},
      {"ansi case-insensitive", {dcoAnsiSort, dcoCaseInsensitive}, "5,6,1,10,3,2,4,7,9,8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto goods = NewGoods();
    goods->SetOptions(c.Options);
    goods->ChangeSortOrder(gcName, soAscending);
    EXPECT_EQ(goods->RowTexts(gcId), c.Ids);
  }
}

TEST(cxDataSortingTest, CompareStringsMatrix)
{
  struct Case {
    TcxDataControllerOptions Options;
    const char* A;
    const char* B;
    Integer Sign;
  } cases[] = {
      {{}, "abc", "ABC", 1},
      {{dcoCaseInsensitive}, "abc", "ABC", 0},
      {{dcoAnsiSort}, "abc", "ABC", -1},
      {{dcoAnsiSort, dcoCaseInsensitive}, "abc", "ABC", 0},
      {{dcoAnsiSort}, "b", "ABC", 1},
      {{}, "b", "ABC", 1},
      {{dcoCaseInsensitive}, "ABC", "b", -1},
  };
  for (const auto& c : cases) {
    auto dc = NewController();
    dc->SetOptions(c.Options);
    Integer r = dc->CompareStrings(c.A, c.B);
    EXPECT_EQ(r < 0 ? -1 : r > 0 ? 1 : 0, c.Sign) << c.A << " " << c.B;
  }
}

TEST(cxDataSortingTest, EqualValuesKeepRecordOrderAndDescendingReverses)
{
  auto goods = NewGoods();
  goods->ChangeSortOrder(gcCat, soAscending);
  EXPECT_EQ(goods->RowTexts(gcId), "1,2,6,10,3,4,8,9,5,7");
  goods->ChangeSortOrder(gcCat, soDescending);
  EXPECT_EQ(goods->RowTexts(gcId), "5,7,3,4,8,9,1,2,6,10");
  // Two sorting fields: Cat, then Price descending.
  goods->ChangeSortOrder(gcCat, soAscending);
  goods->ChangeSortOrder(gcPrice, soDescending);
  EXPECT_EQ(goods->RowTexts(gcId), "1,6,10,2,4,8,9,3,7,5");
  EXPECT_EQ(goods->GetItemSortIndex(gcPrice), 1);
  goods->MoveSortingItem(gcPrice, 99); // clamped to the last place: already there
  EXPECT_EQ(goods->GetItemSortIndex(gcPrice), 1);
  goods->MoveSortingItem(gcPrice, 0);
  EXPECT_EQ(goods->GetItemSortIndex(gcPrice), 0);
  EXPECT_EQ(goods->RowTexts(gcId), "7,4,8,9,5,3,1,6,10,2");
  goods->ClearSorting(false);
  EXPECT_EQ(goods->RowTexts(gcId), "1,2,3,4,5,6,7,8,9,10");
}

TEST(cxDataSortingTest, OnCompareDecidesForItemsOnly)
{
  auto goods = NewGoods();
  int calls = 0;
  goods->OnCompare = [&](TcxCustomDataController*, Integer, Integer, Integer item,
                         const Variant& v1, const Variant& v2, Integer& compare) {
    ++calls;
    EXPECT_EQ(item, gcQty);
    // Nulls last, then descending.
    if (VarIsNull(v1) || VarIsNull(v2))
      compare = VarIsNull(v1) - VarIsNull(v2);
    else
      compare = v2.AsInteger() - v1.AsInteger();
  };
  goods->ChangeSortOrder(gcQty, soAscending);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(goods->RowTexts(gcQty), "10,10,7,5,3,2,2,1,0,");
  // An internal field compares its stored data: the handler is not asked.
  TcxCustomDataField* internal = goods->AddInternalField();
  internal->ChangeValueType(TcxIntegerValueType::Class());
  calls = 0;
  EXPECT_EQ(goods->CompareByField(0, 1, internal), 0);
  EXPECT_EQ(calls, 0);
}

TEST(cxDataSortingTest, SortStateAndErrors)
{
  auto goods = NewGoods();
  goods->Groups()->ChangeGrouping(gcCat, 0);
  EXPECT_EQ(goods->GetItemSortOrder(gcCat), soAscending); // grouped: sorted too
  goods->ChangeSortOrder(gcCat, soNone);
  EXPECT_EQ(goods->GetItemSortOrder(gcCat), soAscending);
  EXPECT_EQ(goods->Groups()->ItemGroupIndex(gcCat), 0);
  EXPECT_EQ(cxtest::ErrorOf([&] { goods->GetRowInfo(goods->RowCount()); }),
            "EcxInvalidDataControllerOperation: RowIndex out of range");
  int sortingEvents = 0;
  goods->OnSortingChanged = [&](TObject*) { ++sortingEvents; };
  goods->ChangeSortOrder(gcId, soDescending);
  goods->ChangeSortOrder(gcId, soDescending);
  EXPECT_EQ(sortingEvents, 1);
}

TEST(cxDataSortingTest, EditedRecordKeepsItsRowUntilPosted)
{
  auto goods = NewGoods();
  goods->ChangeSortOrder(gcId, soAscending);
  goods->SetFocusedRecordIndex(2); // Id 3
  goods->Edit();
  goods->SetEditValue(gcId, 100, evsValue);
  EXPECT_EQ(goods->RowTexts(gcId), "1,2,100,4,5,6,7,8,9,10");
  goods->Post();
  EXPECT_EQ(goods->RowTexts(gcId), "1,2,4,5,6,7,8,9,10,100");
  EXPECT_EQ(goods->FocusedRecordIndex(), 2);
  EXPECT_EQ(goods->FocusedRowIndex(), 9);

  // An appended record sorts last until it is posted.
  goods->Append();
  Integer appended = goods->FocusedRecordIndex();
  EXPECT_EQ(appended, 10);
  goods->SetEditValue(gcId, 0, evsValue);
  EXPECT_EQ(goods->FocusedRowIndex(), 10);
  goods->Post();
  EXPECT_EQ(goods->FocusedRowIndex(), 0);
}

TEST(cxDataSortingTest, FilteringKeepsTheEditedRecord)
{
  auto goods = NewGoods();
  goods->Filter()->AddItem(nullptr, goods->Columns[gcCat].get(), foEqual, "A", "A");
  goods->Filter()->SetActive(true);
  EXPECT_EQ(goods->RowTexts(gcId), "1,2,6,10");
  goods->SetFocusedRecordIndex(1);
  goods->Edit();
  goods->SetEditValue(gcCat, "Z", evsValue);
  EXPECT_EQ(goods->RowTexts(gcId), "1,2,6,10"); // still shown while edited
  goods->Post();
  EXPECT_EQ(goods->RowTexts(gcId), "1,6,10");
}

TEST(cxDataSortingTest, FindFilterAndTextSearch)
{
  auto goods = NewGoods();
  EXPECT_EQ(goods->SetFindFilter(gcName, "AP"), 0);
  EXPECT_EQ(goods->RowTexts(gcId), "1,3,10");
  EXPECT_EQ(goods->SetFindFilter(gcName, "zz"), -1);
  EXPECT_EQ(goods->RowCount(), 0);
  goods->ResetFindFilter();
  EXPECT_EQ(goods->RowCount(), 10);
  EXPECT_FALSE(goods->ChangeFindFilterText("x")); // no find field
  goods->SetFindFilter(gcName, "b");
  EXPECT_TRUE(goods->ChangeFindFilterText("ch"));
  EXPECT_EQ(goods->RowTexts(gcId), "4");
  goods->ResetFindFilter();

  // From position 5 forward: 5..9 only, or with the cycle 5..9 then 0..4.
  EXPECT_EQ(goods->FindRecordIndexByText(5, gcName, "ap", true, false, true), 9);
  EXPECT_EQ(goods->FindRecordIndexByText(5, gcName, "ban", true, false, true), -1);
  EXPECT_EQ(goods->FindRecordIndexByText(5, gcName, "ban", true, true, true), 1);
  EXPECT_EQ(goods->FindRecordIndexByText(5, gcName, "apple", false, true, false), 0);
  EXPECT_EQ(goods->FindRecordIndexByText(10, gcName, "ap", true, true, true), -1);
  EXPECT_EQ(goods->SearchRecordByText(0, gcName, true, false, true, "APRICOT"), 2);
}

TEST(cxDataSortingTest, FocusMovesAndClamps)
{
  auto goods = NewGoods();
  EXPECT_EQ(goods->FocusedRowIndex(), -1);
  EXPECT_FALSE(goods->IsBOF());
  EXPECT_FALSE(goods->IsEOF());
  goods->ChangeFocusedRowIndex(goods->RowCount() + 10);
  EXPECT_EQ(goods->FocusedRowIndex(), 9);
  EXPECT_TRUE(goods->IsEOF());
  goods->GotoNext();
  EXPECT_EQ(goods->FocusedRowIndex(), 9);
  goods->ChangeFocusedRowIndex(5);
  goods->MoveBy(-100);
  EXPECT_EQ(goods->FocusedRowIndex(), 0);
  goods->GotoPrev();
  EXPECT_EQ(goods->FocusedRowIndex(), 0);
  EXPECT_TRUE(goods->IsBOF());
  goods->ChangeFocusedRowIndex(-5);
  EXPECT_EQ(goods->FocusedRowIndex(), -1);
  goods->Log.clear();
  goods->BeginUpdate();
  goods->ChangeFocusedRowIndex(3);
  goods->ChangeFocusedRowIndex(6);
  goods->EndUpdate();
  // The previous focus reported is the one before the first move.
  EXPECT_EQ(goods->TakeLog(), "FocusedRow 6<--1 | FocusedRecord r 6<--1 row 6<--1 chg=0");
}

TEST(cxDataSortingTest, RefusedFocusStays)
{
  struct TRefusing : TTestDataController {
    using TTestDataController::TTestDataController;
    bool CanFocusRecord(Integer ARecordIndex) override { return ARecordIndex != 4; }
  };
  std::unique_ptr<TRefusing> c(TcxCustomDataController::Create<TRefusing>(nullptr));
  AddGoodsColumns(*c);
  c->Fill(GoodsRows());
  c->ChangeFocusedRowIndex(2);
  c->ChangeFocusedRowIndex(4);
  EXPECT_EQ(c->FocusedRowIndex(), 2);
  c->ChangeFocusedRowIndex(5);
  EXPECT_EQ(c->FocusedRowIndex(), 5);
}

} // namespace
