#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

std::unique_ptr<TTestDataController> NewFruits()
{
  auto c = NewController();
  c->AddColumn("Name", TcxStringValueType::Class());
  c->Fill({{"Apple"}, {"Banana"}, {"apricot"}});
  c->Log.clear();
  return c;
}

TEST(cxDataSearchTest, StartSearchBeginsAtTheFocusedRowAndWrapsOnce)
{
  struct Case {
    Integer Focused;
    const char* Text;
    bool Found;
    Integer Expected;
  } cases[] = {
      {1, "ap", true, 2},    // below the focus
      {2, "ap", true, 2},    // the focused row is tried first
      {2, "AP", true, 2},    // case-insensitive
      {2, "b", true, 1},     // nothing below: wraps to the top
      {1, "apple", true, 0}, // only above
      {0, "cherry", false, 0},
  };
  for (const Case& c : cases) {
    auto fruits = NewFruits();
    fruits->ChangeFocusedRowIndex(c.Focused);
    EXPECT_EQ(fruits->Search()->StartSearch(0, c.Text), c.Found) << c.Focused << c.Text;
    EXPECT_EQ(fruits->FocusedRecordIndex(), c.Expected) << c.Focused << c.Text;
    EXPECT_EQ(fruits->Search()->Searching(), c.Found);
  }
}

TEST(cxDataSearchTest, StartSearchStateAndReports)
{
  auto fruits = NewFruits();
  fruits->ChangeFocusedRowIndex(1);
  fruits->Log.clear();
  EXPECT_FALSE(fruits->Search()->StartSearch(0, ""));
  EXPECT_EQ(fruits->Search()->ItemIndex(), -1); // an empty text changes nothing
  EXPECT_EQ(fruits->TakeLog(), "");

  ASSERT_TRUE(fruits->Search()->StartSearch(0, "ap"));
  EXPECT_EQ(fruits->Search()->SearchText(), "ap");
  EXPECT_EQ(fruits->Search()->ItemIndex(), 0);
  std::string log = fruits->TakeLog();
  EXPECT_NE(log.find("FocusedRecord r 2<-1"), std::string::npos) << log;
  EXPECT_NE(log.find("Search"), std::string::npos) << log;

  // A failed search keeps the text and the searching flag.
  EXPECT_FALSE(fruits->Search()->StartSearch(0, "zz"));
  EXPECT_TRUE(fruits->Search()->Searching());
  EXPECT_EQ(fruits->Search()->SearchText(), "ap");
  EXPECT_EQ(fruits->FocusedRecordIndex(), 2);

  EXPECT_THROW(fruits->Search()->StartSearch(5, "a"), EcxInvalidDataControllerOperation);
}

TEST(cxDataSearchTest, SearchNextHasNoWrap)
{
  auto c = NewController();
  c->AddColumn("Name", TcxStringValueType::Class());
  c->Fill({{"ab"}, {"x"}, {"ac"}, {"ad"}, {"y"}});
  c->ChangeFocusedRowIndex(0);
  ASSERT_TRUE(c->Search()->StartSearch(0, "a"));
  EXPECT_EQ(c->FocusedRecordIndex(), 0);
  EXPECT_TRUE(c->Search()->SearchNext(true));
  EXPECT_EQ(c->FocusedRecordIndex(), 2);
  EXPECT_TRUE(c->Search()->SearchNext(true));
  EXPECT_EQ(c->FocusedRecordIndex(), 3);
  EXPECT_FALSE(c->Search()->SearchNext(true)); // the last match: no wrap, focus kept
  EXPECT_EQ(c->FocusedRecordIndex(), 3);
  EXPECT_TRUE(c->Search()->SearchNext(false));
  EXPECT_EQ(c->FocusedRecordIndex(), 2);
  EXPECT_TRUE(c->Search()->Searching()); // the search's own moves do not end it
}

TEST(cxDataSearchTest, OtherFocusMovesEndTheSearch)
{
  auto fruits = NewFruits();
  ASSERT_TRUE(fruits->Search()->StartSearch(0, "ap"));
  fruits->Log.clear();
  fruits->ChangeFocusedRowIndex(1);
  EXPECT_FALSE(fruits->Search()->Searching());
  EXPECT_EQ(fruits->Search()->SearchText(), "");
  EXPECT_NE(fruits->TakeLog().find("Search"), std::string::npos);
  EXPECT_FALSE(fruits->Search()->SearchNext(true)); // no longer searching
}

TEST(cxDataSearchTest, SearchFollowsTheSortedRowsAndSkipsFilteredRecords)
{
  auto fruits = NewFruits();
  fruits->ChangeSortOrder(0, soDescending); // apricot, Banana, Apple
  fruits->ChangeFocusedRowIndex(0);
  ASSERT_TRUE(fruits->Search()->StartSearch(0, "ap"));
  EXPECT_EQ(fruits->FocusedRecordIndex(), 2);
  EXPECT_TRUE(fruits->Search()->SearchNext(true));
  EXPECT_EQ(fruits->FocusedRecordIndex(), 0);
}

TEST(cxDataSearchTest, KeyLocateObject)
{
  auto goods = NewGoods();
  TcxDataControllerKeyLocateObject locate(goods.get());
  locate.KeyFields().push_back(goods->GetField(gcId));
  EXPECT_EQ(locate.Locate(), -1); // never filled
  TcxValueDefUnboundReader reader;
  reader.SetValue(goods->GetField(gcId)->ValueDef(), 7);
  locate.ReadFrom(&reader);
  EXPECT_LT(locate.RecordIndex(), 0);
  EXPECT_EQ(locate.Locate(), 6);
  reader.SetValue(goods->GetField(gcId)->ValueDef(), 70);
  locate.ReadFrom(&reader);
  EXPECT_EQ(locate.Locate(), -1);
  locate.ReleaseRecord();
  EXPECT_EQ(locate.RecordIndex(), 0);
  EXPECT_EQ(locate.Locate(), -1);
}

} // namespace
