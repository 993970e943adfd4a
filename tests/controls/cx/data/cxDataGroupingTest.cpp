#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

TEST(cxDataGroupingTest, OneLevelRowsAndExpansion)
{
  auto c = NewController();
  c->AddColumn("G", TcxStringValueType::Class());
  c->AddColumn("V", TcxIntegerValueType::Class());
  c->Fill({{"A", 1}, {"A", 2}, {"B", 3}});
  c->Groups()->ChangeGrouping(0, 0);
  EXPECT_EQ(c->RowCount(), 2);
  EXPECT_EQ(c->RowTexts(1), "[A],[B]");
  TcxDataRowInfo info = c->GetRowInfo(1);
  EXPECT_FALSE(info.Expanded);
  EXPECT_EQ(info.Level, 0);
  EXPECT_EQ(info.RecordIndex, 2);
  c->Groups()->ChangeExpanding(0, true, false);
  EXPECT_EQ(c->RowTexts(1), "[A],1,2,[B]");
  info = c->GetRowInfo(2);
  EXPECT_EQ(info.Level, 1);
  EXPECT_EQ(info.RecordIndex, 1);
  EXPECT_EQ(c->Groups()->ChildCount(-1), 2);
  EXPECT_EQ(c->Groups()->ChildCount(0), 2);
  EXPECT_EQ(c->Groups()->ChildRecordIndex(1, 0), 2);
  EXPECT_EQ(c->Groups()->ChildRecordIndex(1, 1), -1);
  EXPECT_EQ(c->GetRowIndexByRecordIndex(2, false), -1); // B is collapsed
  EXPECT_EQ(c->GetRowIndexByRecordIndex(2, true), 4);   // expanding B
  EXPECT_EQ(c->RowCount(), 5);
  EXPECT_EQ(cxtest::ErrorOf([&] { c->Groups()->ChangeExpanding(5, true, false); }),
            "EcxInvalidDataControllerOperation: RowIndex out of range");
}

TEST(cxDataGroupingTest, TwoLevels)
{
  auto goods = NewGoods();
  goods->Groups()->ChangeGrouping(gcCat, 0);
  goods->Groups()->ChangeGrouping(gcFlag, 1);
  TcxDataControllerGroups* groups = goods->Groups();
  EXPECT_EQ(groups->GroupingItemCount(), 2);
  EXPECT_EQ(groups->GroupingItemIndex(1), gcFlag);
  EXPECT_EQ(goods->RowTexts(gcId), "[A],[B],[C]");
  // Collapsed: every level-1 group carries the row of its level-0 group.
  TcxDataGroups* tree = goods->DataControllerInfo()->DataGroups();
  EXPECT_EQ(tree->ItemCount(), 8);
  EXPECT_EQ(tree->Items(2)->Level, 1);
  EXPECT_EQ(tree->Items(2)->RowIndex, 0);
  TcxDataGroupInfo* group = nullptr;
  EXPECT_EQ(tree->FindGroupByRowIndex(1, group), 3);
  EXPECT_EQ(group->Level, 0);
  EXPECT_EQ(groups->ChildCount(-1), 3);
  EXPECT_EQ(groups->ChildCount(0), 2);
  EXPECT_EQ(tree->ChildRecordListIndex(0, 0), -1); // not a deepest group
  EXPECT_EQ(groups->Level(groups->ChildDataGroupIndex(0, 1)), 1);

  groups->ChangeExpanding(0, true, false);
  EXPECT_EQ(goods->RowTexts(gcId), "[A],[False],[True],[B],[C]");
  groups->ChangeExpanding(2, true, false);
  EXPECT_EQ(goods->RowTexts(gcId), "[A],[False],[True],1,6,10,[B],[C]");
  groups->ChangeExpanding(6, true, true);
  EXPECT_EQ(goods->RowTexts(gcId), "[A],[False],[True],1,6,10,[B],[],4,[True],3,8,9,[C]");
  EXPECT_EQ(goods->GetRowInfo(8).Level, 2);
  std::vector<Integer> records;
  groups->LoadRecordIndexesByRowIndex(records, 6);
  EXPECT_EQ(records, (std::vector<Integer>{3, 2, 7, 8}));
  groups->FullCollapse();
  EXPECT_EQ(goods->RowCount(), 3);
}

TEST(cxDataGroupingTest, ExpansionSurvivesARegroupByValue)
{
  auto goods = NewGoods();
  goods->Groups()->ChangeGrouping(gcCat, 0);
  goods->Groups()->ChangeExpanding(2, true, false); // C
  goods->Groups()->ChangeExpanding(0, true, false); // A
  EXPECT_EQ(goods->RowTexts(gcId), "[A],1,2,6,10,[B],[C],5,7");
  goods->SetValue(1, gcCat, "B"); // the groups are built again
  EXPECT_EQ(goods->RowTexts(gcId), "[A],1,6,10,[B],[C],5,7");
  // A group keeps its state under the value its first record has when the groups are built
  // again: its records moved to Z, so Z is expanded.
  goods->BeginUpdate();
  goods->SetValue(4, gcCat, "Z");
  goods->SetValue(6, gcCat, "Z");
  goods->EndUpdate();
  EXPECT_EQ(goods->RowTexts(gcId), "[A],1,6,10,[B],[Z],5,7");
  // Z vanishes behind a filter, and when it comes back it is collapsed.
  goods->Filter()->AddItem(nullptr, goods->Columns[gcCat].get(), foNotEqual, "Z", "Z");
  goods->Filter()->SetActive(true);
  EXPECT_EQ(goods->RowTexts(gcId), "[A],1,6,10,[B]");
  goods->Filter()->SetActive(false);
  EXPECT_EQ(goods->RowTexts(gcId), "[A],1,6,10,[B],[Z]");
}

TEST(cxDataGroupingTest, CollapsingMovesTheFocusToTheGroupRow)
{
  auto goods = NewGoods();
  goods->Groups()->ChangeGrouping(gcCat, 0);
  goods->Groups()->ChangeExpanding(0, true, false);
  goods->SetFocusedRecordIndex(5); // Id 6, row 3
  EXPECT_EQ(goods->FocusedRowIndex(), 3);
  goods->Log.clear();
  goods->Groups()->ChangeExpanding(0, false, false);
  EXPECT_EQ(goods->FocusedRowIndex(), 0);
  EXPECT_EQ(goods->FocusedRecordIndex(), 0); // the group row's first record
  // The previous row lies beyond the rows that remain, so it is reported as none.
  EXPECT_EQ(goods->TakeLog(),
            "Data k=4 i=-1 r=-1 | FocusedRow 0<--1 | FocusedRecord r 0<-5 row 0<--1 chg=0");
}

TEST(cxDataGroupingTest, GroupsAlwaysExpanded)
{
  auto goods = NewGoods();
  goods->SetOptions(cxDataControllerDefaultOptions +
                    TcxDataControllerOptions{dcoGroupsAlwaysExpanded});
  goods->Groups()->ChangeGrouping(gcCat, 0);
  EXPECT_EQ(goods->RowCount(), 13);
  goods->Groups()->ChangeExpanding(0, false, false);
  EXPECT_EQ(goods->RowCount(), 13);
}

TEST(cxDataGroupingTest, ExpandingInfoFieldsAreUnique)
{
  TcxDataExpandingInfos infos;
  auto goods = NewGoods();
  infos.AddField(goods->GetField(gcCat));
  EXPECT_EQ(cxtest::ErrorOf([&] { infos.AddField(goods->GetField(gcCat)); }),
            "EcxInvalidDataControllerOperation: Item already exists");
}

TEST(cxDataGroupingTest, UngroupingAndSortedGroups)
{
  auto goods = NewGoods();
  goods->Groups()->ChangeGrouping(gcCat, 0);
  goods->ChangeSortOrder(gcCat, soDescending);
  EXPECT_EQ(goods->RowTexts(gcId), "[C],[B],[A]");
  goods->ChangeSortOrder(gcId, soDescending);
  goods->Groups()->ChangeExpanding(0, true, false);
  EXPECT_EQ(goods->RowTexts(gcId), "[C],7,5,[B],[A]");
  goods->Groups()->ChangeGrouping(gcCat, -1);
  EXPECT_EQ(goods->Groups()->GroupingItemCount(), 0);
  EXPECT_EQ(goods->RowTexts(gcId), "7,5,9,8,4,3,10,6,2,1");
}

TEST(cxDataGroupingTest, NewRecordTakesItsGroupsValues)
{
  auto goods = NewGoods();
  goods->Groups()->ChangeGrouping(gcCat, 0);
  goods->Groups()->ChangeExpanding(1, true, false); // B
  goods->ChangeFocusedRowIndex(2);                  // a record of B
  Variant catAtNewRecord;
  goods->OnNewRecord = [&](TcxCustomDataController* dc, Integer r) {
    catAtNewRecord = dc->GetValue(r, gcCat);
  };
  goods->Insert();
  EXPECT_EQ(VarToStr(catAtNewRecord), "B");
  goods->SetEditValue(gcId, 11, evsValue);
  goods->Post();
  EXPECT_EQ(goods->DisplayText(goods->FocusedRecordIndex(), gcCat), "B");
}

} // namespace
