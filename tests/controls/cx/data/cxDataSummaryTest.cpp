#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

TcxDataSummaryItem* AddFooter(TcxCustomDataController& C, TObject* AItem, TcxSummaryKind AKind)
{
  TcxDataSummaryItem* item = C.Summary()->FooterSummaryItems()->Add();
  item->SetItemLink(AItem);
  item->SetKind(AKind);
  return item;
}

// Values 1, Null, 2 in one column.
std::unique_ptr<TTestDataController> OneNullTwo()
{
  auto c = NewController();
  c->AddColumn("V", TcxFloatValueType::Class());
  c->Fill({{1.0}, {Null()}, {2.0}});
  return c;
}

TEST(cxDataSummaryTest, NullsCountUnlessIgnored)
{
  struct Case {
    TcxSummaryKind Kind;
    bool IgnoreNulls;
    const char* Value;
  } cases[] = {
      {skSum, false, "3"},  {skCount, false, "3"},    {skAverage, false, "1"}, {skSum, true, "3"},
      {skCount, true, "2"}, {skAverage, true, "1.5"}, {skMin, false, "1"},     {skMax, false, "2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Kind) + (c.IgnoreNulls ? " ignoring" : ""));
    auto dc = OneNullTwo();
    if (c.IgnoreNulls)
      dc->Summary()->SetOptions({soNullIgnore});
    AddFooter(*dc, dc->Columns[0].get(), c.Kind);
    EXPECT_EQ(VarToStr(dc->Summary()->FooterSummaryValues(0)), c.Value);
  }
}

TEST(cxDataSummaryTest, OnlyNulls)
{
  auto c = NewController();
  c->AddColumn("V", TcxFloatValueType::Class());
  c->Fill({{Null()}, {Null()}});
  AddFooter(*c, c->Columns[0].get(), skMin);
  AddFooter(*c, c->Columns[0].get(), skSum);
  EXPECT_TRUE(VarIsNull(c->Summary()->FooterSummaryValues(0)));
  EXPECT_EQ(c->Summary()->FooterSummaryText(0), "");
  EXPECT_EQ(VarToStr(c->Summary()->FooterSummaryValues(1)), "0");
  c->Summary()->SetOptions({soNullIgnore});
  EXPECT_TRUE(VarIsNull(c->Summary()->FooterSummaryValues(1)));
  EXPECT_TRUE(VarIsNull(c->Summary()->FooterSummaryValues(5))); // outside the values
}

TEST(cxDataSummaryTest, DefaultFormats)
{
  cxtest::TTestEnvironment env;
  struct Case {
    const char* Name;
    TcxSummaryKind Kind;
    Variant Value;
    const char* Footer;
    const char* Group;
  } cases[] = {
      {"float sum", skSum, 1234.5, "1234.50", "SUM=1234.50"},
      {"negative sum", skSum, -3.0, "-3.00", "SUM=-3.00"},
      {"count", skCount, 3, "3", "COUNT=3"},
      {"currency sum", skSum, Money("1234.5"), "￥1,234.50", "SUM=￥1,234.50"},
      {"date max", skMax, Day(2024, 1, 15), "MAX=2024-01-15", "MAX=2024-01-15"},
      {"date-time max", skMax, Day(2024, 1, 15, 9, 30), "MAX=2024-01-15 09:30:00",
       "MAX=2024-01-15 09:30:00"},
      {"min of texts", skMin, "A", "MIN=A", "MIN=A"},
      {"none", skNone, 1.5, "1.5", "1.5"},
      {"null", skSum, Null(), "", ""},
  };
  auto dc = NewController();
  dc->AddColumn("V", TcxVariantValueType::Class());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TcxDataSummaryItem* item = AddFooter(*dc, dc->Columns[0].get(), c.Kind);
    EXPECT_EQ(item->FormatValue(c.Value, true), c.Footer);
    TcxDataSummaryItem* group = dc->Summary()->DefaultGroupSummaryItems()->Add();
    group->SetKind(c.Kind);
    EXPECT_EQ(group->FormatValue(c.Value, false), c.Group);
  }
  TcxDataSummaryItem* item = AddFooter(*dc, dc->Columns[0].get(), skSum);
  item->SetFormat("Total 0.0");
  EXPECT_EQ(item->FormatValue(2.25, true), "Total 2.3");
  item->OnGetText = [](TcxDataSummaryItem*, const Variant&, bool, AnsiString& text) {
    text = "[" + text + "]";
  };
  EXPECT_EQ(item->FormatValue(2.25, true), "[Total 2.3]");
}

TEST(cxDataSummaryTest, GroupRowsAndFooters)
{
  cxtest::TTestEnvironment env;
  auto goods = NewGoods();
  TcxDataSummaryItems* groupItems = goods->Summary()->DefaultGroupSummaryItems();
  TcxDataSummaryItem* sum = groupItems->Add();
  sum->SetItemLink(goods->Columns[gcQty].get());
  sum->SetKind(skSum);
  TcxDataSummaryItem* count = groupItems->Add();
  count->SetItemLink(goods->Columns[gcQty].get());
  count->SetKind(skCount);
  TcxDataSummaryItem* minPrice = groupItems->Add();
  minPrice->SetItemLink(goods->Columns[gcPrice].get());
  minPrice->SetKind(skMin);
  minPrice->SetPosition(spFooter);
  goods->Groups()->ChangeGrouping(gcCat, 0);
  // A: Qty 10, Null, 3, 10; B: 5, 0, 2, 2; C: 7, 1.
  EXPECT_EQ(goods->Summary()->GroupSummaryText(0), "(SUM=23.00, COUNT=4)");
  EXPECT_EQ(goods->Summary()->GroupSummaryText(2), "(SUM=8.00, COUNT=2)");
  EXPECT_EQ(goods->Summary()->GroupFooterItemIndex(0, goods->Columns[gcPrice].get()), 2);
  AnsiString text;
  goods->Summary()->GroupFooterSummaryText(1, 0, text, 2);
  EXPECT_EQ(text, "MIN=￥2.00");
  goods->Summary()->GroupFooterSummaryText(1, 0, text, 7);
  EXPECT_EQ(text, "");
  auto* groupTexts = static_cast<TcxDataGroupSummaryItems*>(groupItems);
  groupTexts->SetBeginText("[");
  groupTexts->SetEndText("]");
  groupTexts->SetSeparator(";");
  EXPECT_EQ(goods->Summary()->GroupSummaryText(1), "[SUM=9.00; COUNT=4]");

  // A summary group chooses other items for the level of its linked item.
  TcxDataSummaryGroup* summaryGroup = goods->Summary()->SummaryGroups()->Add();
  summaryGroup->Links()->Add()->SetItemLink(goods->Columns[gcCat].get());
  TcxDataSummaryItem* average = summaryGroup->SummaryItems()->Add();
  average->SetItemLink(goods->Columns[gcPrice].get());
  average->SetKind(skAverage);
  EXPECT_EQ(goods->Summary()->GroupSummaryText(2), "(AVG=￥6.50)");
  // Linking the item in a second summary group removes it from the first.
  TcxDataSummaryGroup* second = goods->Summary()->SummaryGroups()->Add();
  second->Links()->Add()->SetItemLink(goods->Columns[gcCat].get());
  EXPECT_EQ(summaryGroup->Links()->Items(0)->ItemLink(), nullptr);
  EXPECT_EQ(goods->Summary()->SummaryGroups()->FindByItemLink(goods->Columns[gcCat].get()), second);
}

TEST(cxDataSummaryTest, DateAverageStaysADate)
{
  auto c = NewController();
  c->AddColumn("D", TcxDateTimeValueType::Class());
  c->Fill({{Day(2024, 1, 1)}, {Day(2024, 1, 3)}});
  AddFooter(*c, c->Columns[0].get(), skAverage);
  Variant average = c->Summary()->FooterSummaryValues(0);
  EXPECT_EQ(VarType(average), varDate);
  EXPECT_EQ(average.AsDateTime(), EncodeDate(2024, 1, 2));
}

TEST(cxDataSummaryTest, SelectedRecordsOnly)
{
  auto goods = NewGoods();
  AddFooter(*goods, goods->Columns[gcQty].get(), skSum);
  goods->Summary()->SetOptions({soSelectedRecords});
  goods->ChangeMultiSelect(true);
  // Nothing selected: a sum over no records.
  EXPECT_TRUE(VarIsNull(goods->Summary()->FooterSummaryValues(0)));
  goods->ChangeRowSelection(0, true);
  goods->ChangeRowSelection(2, true);
  EXPECT_EQ(goods->Summary()->FooterSummaryValues(0).AsInteger(), 15);
  goods->ChangeRowSelection(0, false);
  EXPECT_EQ(goods->Summary()->FooterSummaryValues(0).AsInteger(), 5);
}

TEST(cxDataSummaryTest, OnSummaryAndAfterSummary)
{
  auto goods = NewGoods();
  TcxDataSummaryItem* item = AddFooter(*goods, goods->Columns[gcQty].get(), skSum);
  // Only even quantities count.
  goods->Summary()->FooterSummaryItems()->OnSummary =
      [](TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments& out) {
        if (!VarIsNull(out.Value) && out.Value.AsInteger() % 2 != 0)
          out.Done = true;
      };
  int after = 0;
  goods->Summary()->OnAfterSummary = [&](TcxDataSummary*) { ++after; };
  goods->Refresh();
  EXPECT_EQ(goods->Summary()->FooterSummaryValues(0).AsInteger(), 24);
  EXPECT_EQ(after, 1);
  (void)item;
}

TEST(cxDataSummaryTest, RemovedFieldLeavesItemsUnlinked)
{
  auto goods = NewGoods();
  TcxDataSummaryItem* item = AddFooter(*goods, goods->Columns[gcQty].get(), skSum);
  goods->RemoveItem(goods->Columns[gcQty].get());
  EXPECT_EQ(item->Field(), nullptr);
  // An item with no field is not finalised: its value stays Empty, not Null.
  EXPECT_TRUE(VarIsEmpty(goods->Summary()->FooterSummaryValues(0)));
}

} // namespace
