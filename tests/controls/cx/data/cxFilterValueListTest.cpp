#include <gtest/gtest.h>

#include "controls/cx/data/cxFilter.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestCriteria.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using cxtest::TTestCriteria;

namespace {

// "kind:text" of every entry.
std::string Show(TcxFilterValueList& list)
{
  std::string out;
  for (Integer i = 0; i < list.Count(); ++i) {
    if (!out.empty())
      out += ' ';
    out += std::to_string(list.Items(i).Kind) + ":" + list.Items(i).DisplayText;
  }
  return out;
}

void AddValue(TcxFilterValueList& list, const Variant& v, bool atEnd = false)
{
  list.Add(fviValue, v, VarToStr(v), atEnd);
}

TEST(cxFilterValueListTest, SpecialEntriesFirstThenSortedDistinctValues)
{
  TTestCriteria criteria;
  std::unique_ptr<TcxFilterValueList> list(criteria.CreateValueList());
  list->Add(fviAll, Null(), "(All)");
  list->Add(fviCustom, Null(), "(Custom...)");
  for (Integer v : {3, 1, 2, 2})
    AddValue(*list, v);
  EXPECT_EQ(Show(*list), "0:(All) 1:(Custom...) 5:1 5:2 5:3");
  AddValue(*list, 2, true); // at the end: no duplicate test
  EXPECT_EQ(Show(*list), "0:(All) 1:(Custom...) 5:1 5:2 5:3 5:2");
  list->Add(fviBlanks, Null(), "(Blanks)"); // specials go before the values
  EXPECT_EQ(Show(*list), "0:(All) 1:(Custom...) 2:(Blanks) 5:1 5:2 5:3 5:2");
  EXPECT_EQ(list->FirstValueIndex(), 3);
  EXPECT_EQ(list->IndexOfKind(fviNonBlanks), -1);
  EXPECT_THROW(list->Items(99), EListError);
}

TEST(cxFilterValueListTest, LeadingEntriesAndTheirSeparator)
{
  TTestCriteria criteria;
  TcxFilterValueList list(&criteria);
  AddValue(list, 5);
  list.Add(fviUserEx, 1, "first");
  EXPECT_EQ(Show(list), "6:first 7: 5:5");
  EXPECT_EQ(list.LeadingSeparatorIndex(), 1);
  list.Add(fviUserEx, 2, "second");
  EXPECT_EQ(Show(list), "6:first 6:second 7: 5:5");
  list.Add(fviAll, Null(), "(All)");
  EXPECT_EQ(Show(list), "6:first 6:second 7: 0:(All) 5:5");
  Integer index = -1;
  EXPECT_TRUE(list.Find(2, "second", index)); // leading entries are searched first
  EXPECT_EQ(index, 1);
}

TEST(cxFilterValueListTest, MaxCountCountsEveryEntry)
{
  TTestCriteria criteria;
  criteria.SetMaxValueListCount(3);
  TcxFilterValueList list(&criteria);
  list.Add(fviAll, Null(), "(All)");
  list.Add(fviCustom, Null(), "(Custom...)");
  AddValue(list, 9);
  AddValue(list, 1);
  EXPECT_EQ(Show(list), "0:(All) 1:(Custom...) 5:9");
}

TEST(cxFilterValueListTest, OrderingOptions)
{
  TTestCriteria criteria;
  TcxFilterValueList list(&criteria);
  list.SetSortByDisplayText(true);
  list.Add(fviValue, 1, "apple");
  list.Add(fviValue, 2, "Apple");
  EXPECT_EQ(list.Count(), 2);
  criteria.SetOptions({fcoCaseInsensitive});
  list.Clear();
  list.Add(fviValue, 1, "apple");
  list.Add(fviValue, 2, "Apple");
  EXPECT_EQ(Show(list), "5:apple");

  // By value: Currency compares as a Double, texts fold case under fcoCaseInsensitive.
  TcxFilterValueList values(&criteria);
  values.Add(fviValue, Currency::FromRaw(15000), "1.5");
  values.Add(fviValue, 1.5, "1.50");
  values.Add(fviValue, "b", "b");
  values.Add(fviValue, "B", "B");
  EXPECT_EQ(Show(values), "5:1.5 5:b");
}

TEST(cxFilterValueListTest, IndexByCriteriaItem)
{
  TTestCriteria criteria({"Name"});
  TcxFilterValueList list(&criteria);
  list.Add(fviAll, Null(), "(All)");
  list.Add(fviCustom, Null(), "(Custom...)");
  list.Add(fviBlanks, Null(), "(Blanks)");
  list.Add(fviNonBlanks, Null(), "(NonBlanks)");
  AddValue(list, "a");
  AddValue(list, "b");
  EXPECT_EQ(list.GetIndexByCriteriaItem(nullptr), -1);
  struct Case {
    const char* Name;
    TcxFilterOperatorKind Kind;
    Variant Value;
    bool InGroup;
    Integer Expected;
  } cases[] = {
      {"= NULL", foEqual, Null(), false, 2}, {"<> NULL", foNotEqual, Null(), false, 3},
      {"> 5", foGreater, 5, false, 1},       {"= b", foEqual, "b", false, 5},
      {"= x", foEqual, "x", false, 0},       {"= b in a group", foEqual, "b", true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    criteria.RemoveAllItems();
    TcxFilterCriteriaItemList* parent = c.InGroup ? criteria.Root()->AddGroup(fboOr) : nullptr;
    auto* item =
        criteria.AddItem(parent, criteria.Item("Name"), c.Kind, c.Value, VarToStr(c.Value));
    EXPECT_EQ(list.GetIndexByCriteriaItem(item), c.Expected);
  }
}

} // namespace
