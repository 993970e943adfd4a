#include "controls/cx/data/cxFilter.h"

#include <gtest/gtest.h>

#include "controls/cx/data/cxFilterConsts.h"
#include "controls/cx/data/cxLike.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/TypInfo.h"
#include "tests/controls/cx/data/support/TestCriteria.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using cxtest::ErrorOf;
using cxtest::RowData;
using cxtest::TTestCriteria;
using cxtest::TTestRow;

namespace {

Variant Arr(std::initializer_list<Variant> items)
{
  return VarArrayOf(std::vector<Variant>(items));
}

TEST(cxFilterTest, NewCriteria)
{
  TTestCriteria criteria;
  EXPECT_EQ(criteria.FilterText(), "");
  EXPECT_TRUE(criteria.IsEmpty());
  EXPECT_FALSE(criteria.HasData());
  TTestRow row;
  EXPECT_TRUE(criteria.DoFilterData(RowData(row)));
  EXPECT_EQ(criteria.PercentWildcard(), '%');
  EXPECT_EQ(criteria.UnderscoreWildcard(), '_');
  EXPECT_TRUE(criteria.SupportedLike());

  criteria.Root()->SetBoolOperatorKind(fboNotAnd);
  EXPECT_EQ(criteria.FilterText(), "NOT ()");
  EXPECT_TRUE(criteria.HasData());
  EXPECT_TRUE(criteria.DoFilterData(RowData(row)));
}

// Conditions "Ci = True" over rows of Booleans: every group kind against the truth table,
// without short-circuit (both children are always asked).
TEST(cxFilterTest, EvaluationTruthTable)
{
  struct Case {
    TcxFilterBoolOperatorKind Kind;
    bool A, B, Expected;
  } cases[] = {
      {fboAnd, true, true, true},     {fboAnd, true, false, false},
      {fboOr, false, false, false},   {fboOr, false, true, true},
      {fboNotAnd, true, true, false}, {fboNotAnd, true, false, true},
      {fboNotOr, true, false, false}, {fboNotOr, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Kind) + (c.A ? " T" : " F") + (c.B ? "T" : "F"));
    TTestCriteria criteria({"A", "B"});
    criteria.Root()->SetBoolOperatorKind(c.Kind);
    criteria.Add("A", foEqual, true);
    criteria.Add("B", foEqual, true);
    TTestRow row{c.A, c.B};
    EXPECT_EQ(criteria.DoFilterData(RowData(row)), c.Expected);
  }
  // An empty AND group inside an OR still counts as True.
  TTestCriteria criteria({"A"});
  criteria.Root()->SetBoolOperatorKind(fboOr);
  criteria.Add("A", foEqual, true);
  criteria.Root()->AddGroup(fboAnd);
  TTestRow row{false};
  EXPECT_TRUE(criteria.DoFilterData(RowData(row)));
}

TEST(cxFilterTest, OperatorsAgainstValues)
{
  struct Case {
    const char* Name;
    TcxFilterOperatorKind Kind;
    Variant Condition;
    Variant Value;
    bool Expected;
  } cases[] = {
      {"equal", foEqual, 5, 5.0, true},
      {"equal Null", foEqual, Null(), Null(), true},
      {"equal Null vs value", foEqual, Null(), 1, false},
      {"not equal", foNotEqual, 5, 6, true},
      {"not null", foNotEqual, Null(), 1, true},
      {"less", foLess, 5, 4, true},
      {"less Null", foLess, 5, Null(), true},
      {"less equal", foLessEqual, 5, 5, true},
      {"greater", foGreater, 5, 5, false},
      {"greater equal", foGreaterEqual, 5, 6, true},
      {"between", foBetween, Arr({1, 5}), 5, true},
      {"between below", foBetween, Arr({1, 5}), 0, false},
      {"not between", foNotBetween, Arr({1, 5}), 6, true},
      {"in", foInList, Arr({1, 2, 3}), 2, true},
      {"in no", foInList, Arr({1, 2, 3}), 4, false},
      {"not in", foNotInList, Arr({1, 2, 3}), 4, true},
      {"like", foLike, "ab%", "abc", true},
      {"not like", foNotLike, "ab%", "abc", false},
      {"multi-field equal", foEqual, Arr({1, 2}), Arr({1, 2}), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestCriteria criteria({"F"});
    criteria.Add("F", c.Kind, c.Condition);
    TTestRow row{c.Value};
    EXPECT_EQ(criteria.DoFilterData(RowData(row)), c.Expected);
  }
}

TEST(cxFilterTest, ConversionErrorsAndSoftCompare)
{
  TTestCriteria criteria({"F"});
  criteria.Add("F", foInList, Arr({1, 2}));
  TTestRow text{"x"};
  EXPECT_THROW(criteria.DoFilterData(RowData(text)), EVariantError);
  criteria.SetOptions({fcoSoftCompare});
  EXPECT_FALSE(criteria.DoFilterData(RowData(text)));

  // A BETWEEN whose value is no array fails the same way.
  TTestCriteria between({"F"});
  between.Add("F", foBetween, 3);
  TTestRow row{3};
  EXPECT_THROW(between.DoFilterData(RowData(row)), EVariantError);
  between.SetOptions({fcoSoftCompare});
  EXPECT_FALSE(between.DoFilterData(RowData(row)));
}

TEST(cxFilterTest, CaseInsensitiveAndSoftNull)
{
  TTestCriteria criteria({"Name"});
  criteria.Add("Name", foEqual, "abc");
  TTestRow upper{"ABC"};
  EXPECT_FALSE(criteria.DoFilterData(RowData(upper)));
  criteria.SetOptions({fcoCaseInsensitive});
  EXPECT_TRUE(criteria.DoFilterData(RowData(upper)));

  TTestCriteria nulls({"Name"});
  TcxFilterCriteriaItem* item = nulls.Add("Name", foEqual, "");
  EXPECT_FALSE(item->Operator()->InheritsFrom(ClassInfoOf<TcxFilterNullOperator>()));
  nulls.SetOptions({fcoSoftNull});
  item->RecreateOperator();
  EXPECT_TRUE(item->Operator()->ClassNameIs("TcxFilterNullOperator"));
  TTestRow empty{""}, null{Null()}, blank{" "};
  EXPECT_TRUE(nulls.DoFilterData(RowData(empty)));
  EXPECT_TRUE(nulls.DoFilterData(RowData(null)));
  EXPECT_FALSE(nulls.DoFilterData(RowData(blank)));
}

TEST(cxFilterTest, LikeTable)
{
  struct Case {
    const char* Pattern;
    const char* Value;
    bool Expected;
  } cases[] = {
      {"abc%", "abcd", true},
      {"abc%", "abc", true},
      {"%", "", true},
      {"a_", "a", false},
      {"a%%", "a", false},
      {"a%", "a", true},
      {"%a", "ba", true},
      {"_b_", "abc", true},
      {"a%c", "ac", true},
      {"a%c", "abbc", true},
      {"a%c", "abcd", false},
      {"%a%", "亂碼", false}, // 碼 ends in the byte 'a', which is no character of its own
      {"_", "张", true},
      {"__", "张", false},
      {"张%", "张三", true},
      {"%三", "张三", true},
      {"%y%", "亂碼", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Pattern) + " / " + c.Value);
    EXPECT_EQ(LikeMatch(c.Value, c.Pattern, '%', '_'), c.Expected);
  }
  // A GBK character whose trail byte is '_' (0x5F) is a literal, not the wildcard.
  AnsiString withUnderscoreTrail("\x81\x5F", 2);
  EXPECT_FALSE(LikeMatch("ab", "a" + withUnderscoreTrail, '%', '_'));
  EXPECT_TRUE(LikeMatch("a" + withUnderscoreTrail, "a" + withUnderscoreTrail, '%', '_'));
}

TEST(cxFilterTest, LikeThroughTheCriteria)
{
  TTestCriteria criteria({"Name"});
  criteria.Add("Name", foLike, "AB%");
  TTestRow row{"abc"};
  EXPECT_FALSE(criteria.DoFilterData(RowData(row)));
  criteria.SetOptions({fcoCaseInsensitive});
  EXPECT_TRUE(criteria.DoFilterData(RowData(row)));

  TTestCriteria hash({"Name"});
  hash.SetPercentWildcard('#');
  hash.Add("Name", foLike, "ab#");
  TTestRow abc{"abcdef"}, percent{"ab%"};
  EXPECT_TRUE(hash.DoFilterData(RowData(abc)));
  hash.Root()->Clear();
  hash.Add("Name", foLike, "ab%");
  EXPECT_FALSE(hash.DoFilterData(RowData(abc)));
  EXPECT_TRUE(hash.DoFilterData(RowData(percent)));
}

// Patterns that make a backtracking matcher try every way to split the value (about
// 2000^12 here) are answered in one pass over a table; this test would not end otherwise.
TEST(cxFilterTest, LikePathologicalPatternsEnd)
{
  AnsiString value(2000, 'a');
  EXPECT_FALSE(LikeMatch(value, "%a%a%a%a%a%a%a%a%a%a%a%a%b", '%', '_'));
  EXPECT_TRUE(LikeMatch(value + "b", "%a%a%a%a%a%a%a%a%a%a%a%a%b", '%', '_'));
  EXPECT_FALSE(LikeMatch(AnsiString(40, 'a'), "%a%a%a%a%a%a%a%b", '%', '_'));
}

TEST(cxFilterTest, StripLikeWildcards)
{
  struct Case {
    const char* Text;
    Byte Result;
    const char* Stripped;
  } cases[] = {{"abc%", 1, "abc"}, {"%abc", 2, "abc"}, {"%abc%", 3, "abc"}, {"%%abc%%", 3, "abc"},
               {"%", 0, "%"},      {"abc", 0, "abc"},  {"a%b", 0, "a%b"},   {"%%", 0, "%"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    AnsiString text = c.Text;
    EXPECT_EQ(StripLikeWildcards(text, '%'), c.Result);
    EXPECT_EQ(text, c.Stripped);
  }
}

struct TextCase {
  const char* Name;
  std::function<void(TTestCriteria&)> Build;
  const char* Expression;
  const char* Display;
};

void RunTextCases(const std::vector<TextCase>& cases, TcxFilterCriteriaOptions options = {})
{
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestCriteria criteria({"Id", "Name", "Price", "Qty", "Sold", "A", "B", "C"});
    criteria.SetOptions(options);
    c.Build(criteria);
    EXPECT_EQ(criteria.FilterText(), c.Expression);
    EXPECT_EQ(criteria.FilterCaption(), c.Display);
  }
}

TEST(cxFilterTest, FilterTexts)
{
  cxtest::TTestEnvironment env;
  RunTextCases({
      {"and",
       [](TTestCriteria& c) {
         c.Add("Name", foEqual, "abc", "abc");
         c.Add("Price", foGreater, 5, "5");
       },
       "(Name = 'abc') AND (Price > 5)", "(Name = abc) and (Price > 5)"},
      {"nested or",
       [](TTestCriteria& c) {
         auto* group = c.Root()->AddGroup(fboOr);
         group->AddCondition(c.Item("A"), foEqual, 1, "1");
         group->AddCondition(c.Item("B"), foEqual, 2, "2");
       },
       "((A = 1) OR (B = 2))", "((A = 1) or (B = 2))"},
      {"negated group",
       [](TTestCriteria& c) {
         auto* group = c.Root()->AddGroup(fboNotOr);
         group->AddCondition(c.Item("A"), foEqual, 1, "1");
         group->AddCondition(c.Item("B"), foLess, 2, "2");
       },
       "(NOT ((A = 1) OR (B < 2)))", "(not ((A = 1) or (B < 2)))"},
      {"quote doubled", [](TTestCriteria& c) { c.Add("Name", foEqual, "O'Brien", "O'Brien"); },
       "(Name = 'O''Brien')", "(Name = O'Brien)"},
      {"null", [](TTestCriteria& c) { c.Add("Name", foEqual, Null()); }, "(Name = NULL)",
       "(Name = blank)"},
      {"not null", [](TTestCriteria& c) { c.Add("Name", foNotEqual, Null()); }, "(Name <> NULL)",
       "(Name <> blank)"},
      {"between",
       [](TTestCriteria& c) {
         c.Add("Price", foBetween, Arr({1, 5}), "1;5");
       },
       "(Price BETWEEN 1 AND 5)", "(Price between 1 and 5)"},
      {"in",
       [](TTestCriteria& c) {
         c.Add("Id", foInList, Arr({1, 2, 3}), "1;2;3");
       },
       "(Id IN (1, 2, 3))", "(Id in (1, 2, 3))"},
      {"multi-field equal",
       [](TTestCriteria& c) {
         auto* item = c.Item("A");
         item->Name = "A;B";
         c.AddItem(nullptr, item, foEqual, Arr({1, 2}), "");
       },
       "((A = 1) AND (B = 2))", "(A =)"},
      {"like", [](TTestCriteria& c) { c.Add("Name", foLike, "abc%", "abc%"); },
       "(Name LIKE 'abc%')", "(Name LIKE abc%)"},
      {"date",
       [](TTestCriteria& c) { c.Add("Sold", foEqual, VarFromDateTime(45306), "2024-01-15"); },
       "(Sold = '2024-01-15')", "(Sold = 2024-01-15)"},
      {"boolean and float",
       [](TTestCriteria& c) {
         c.Add("A", foEqual, true, "True");
         c.Add("B", foLess, 1.5, "1.5");
       },
       "(A = True) AND (B < 1.5)", "(A = True) and (B < 1.5)"},
  });
}

TEST(cxFilterTest, DescribedTexts)
{
  cxtest::TTestEnvironment env;
  RunTextCases(
      {
          {"null", [](TTestCriteria& c) { c.Add("Name", foEqual, Null()); }, "(Name = NULL)",
           "(Name is blank)"},
          {"not null", [](TTestCriteria& c) { c.Add("Name", foNotEqual, Null()); },
           "(Name <> NULL)", "(Name is not blank)"},
          {"begins", [](TTestCriteria& c) { c.Add("Name", foLike, "abc%", "abc%"); },
           "(Name LIKE 'abc%')", "(Name begins with abc)"},
          {"ends", [](TTestCriteria& c) { c.Add("Name", foLike, "%abc", "%abc"); },
           "(Name LIKE '%abc')", "(Name ends with abc)"},
          {"contains", [](TTestCriteria& c) { c.Add("Name", foLike, "%%abc%%", "%%abc%%"); },
           "(Name LIKE '%%abc%%')", "(Name contains abc)"},
          {"like", [](TTestCriteria& c) { c.Add("Name", foLike, "%", "%"); }, "(Name LIKE '%')",
           "(Name like %)"},
          {"not contains", [](TTestCriteria& c) { c.Add("Name", foNotLike, "%abc%", "%abc%"); },
           "(Name NOT LIKE '%abc%')", "(Name does not contain abc)"},
          {"greater", [](TTestCriteria& c) { c.Add("Qty", foGreater, 5, "5"); }, "(Qty > 5)",
           "(Qty is greater than 5)"},
      },
      {fcoShowOperatorDescription});
}

TEST(cxFilterTest, TranslatedExpressions)
{
  cxtest::TTestEnvironment env;
  struct Case {
    const char* Name;
    bool TranslateBetween, TranslateIn;
    TcxFilterOperatorKind Kind;
    Variant Value;
    const char* Expected;
  } cases[] = {
      {"between", false, false, foBetween, Arr({1, 5}), "Price BETWEEN 1 AND 5"},
      {"between translated", true, false, foBetween, Arr({1, 5}), "(1 <= Price) AND (Price <= 5)"},
      {"not between translated", true, false, foNotBetween, Arr({1, 5}),
       "NOT ((1 <= Price) AND (Price <= 5))"},
      {"in", false, false, foInList, Arr({1, 2, 3}), "Price IN (1, 2, 3)"},
      {"in translated", false, true, foInList, Arr({1, 2, 3}),
       "(Price = 1) OR (Price = 2) OR (Price = 3)"},
      {"not in translated", false, true, foNotInList, Arr({1, 2, 3}),
       "NOT ((Price = 1) OR (Price = 2) OR (Price = 3))"},
      {"not in", false, false, foNotInList, Arr({"a", "b"}), "Price NOT IN ('a', 'b')"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestCriteria criteria({"Price"});
    criteria.SetTranslateBetween(c.TranslateBetween);
    criteria.SetTranslateIn(c.TranslateIn);
    auto* item = criteria.Add("Price", c.Kind, c.Value);
    AnsiString text;
    criteria.GetConditionText(item, false, text);
    EXPECT_EQ(text, c.Expected);
    EXPECT_EQ(criteria.FilterText(), "(" + text + ")");
  }
}

TEST(cxFilterTest, DateRanges)
{
  cxtest::TTestEnvironment env; // today 2024-01-15 (a Monday), Monday first
  struct Case {
    const char* Name;
    TcxFilterOperatorKind Kind;
    TDateTime From, To;
  } cases[] = {
      {"yesterday", foYesterday, EncodeDate(2024, 1, 14), EncodeDate(2024, 1, 15)},
      {"today", foToday, EncodeDate(2024, 1, 15), EncodeDate(2024, 1, 16)},
      {"tomorrow", foTomorrow, EncodeDate(2024, 1, 16), EncodeDate(2024, 1, 17)},
      {"last week", foLastWeek, EncodeDate(2024, 1, 8), EncodeDate(2024, 1, 15)},
      {"this week", foThisWeek, EncodeDate(2024, 1, 15), EncodeDate(2024, 1, 22)},
      {"next week", foNextWeek, EncodeDate(2024, 1, 22), EncodeDate(2024, 1, 29)},
      {"last month", foLastMonth, EncodeDate(2023, 12, 1), EncodeDate(2024, 1, 1)},
      {"this month", foThisMonth, EncodeDate(2024, 1, 1), EncodeDate(2024, 2, 1)},
      {"next month", foNextMonth, EncodeDate(2024, 2, 1), EncodeDate(2024, 3, 1)},
      {"last year", foLastYear, EncodeDate(2023, 1, 1), EncodeDate(2024, 1, 1)},
      {"this year", foThisYear, EncodeDate(2024, 1, 1), EncodeDate(2025, 1, 1)},
      {"next year", foNextYear, EncodeDate(2025, 1, 1), EncodeDate(2026, 1, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestCriteria criteria({"Sold"});
    auto* item = criteria.Add("Sold", c.Kind, Null());
    auto* op = static_cast<TcxFilterDateOperator*>(item->Operator());
    EXPECT_EQ(op->FromDate(), c.From);
    EXPECT_EQ(op->ToDate(), c.To);
    TTestRow inside{VarFromDateTime(c.To - 0.001)}, before{VarFromDateTime(c.From - 0.001)},
        end{VarFromDateTime(c.To)}, none{Null()};
    EXPECT_TRUE(criteria.DoFilterData(RowData(inside)));
    EXPECT_FALSE(criteria.DoFilterData(RowData(before)));
    EXPECT_FALSE(criteria.DoFilterData(RowData(end)));
    EXPECT_FALSE(criteria.DoFilterData(RowData(none)));
  }

  // Sunday first: this week starts on Sunday the 14th.
  cxtest::TTestEnvironment::SetFirstDayOfWeek(6);
  TTestCriteria sunday({"Sold"});
  auto* week =
      static_cast<TcxFilterDateOperator*>(sunday.Add("Sold", foThisWeek, Null())->Operator());
  EXPECT_EQ(week->FromDate(), EncodeDate(2024, 1, 14));

  // December: next month is January of the next year.
  cxtest::TTestEnvironment::SetToday(EncodeDateTime(2023, 12, 20, 8, 0, 0, 0));
  TTestCriteria december({"Sold"});
  auto* next =
      static_cast<TcxFilterDateOperator*>(december.Add("Sold", foNextMonth, Null())->Operator());
  EXPECT_EQ(next->FromDate(), EncodeDate(2024, 1, 1));
  EXPECT_EQ(next->ToDate(), EncodeDate(2024, 2, 1));
  cxtest::TTestEnvironment::SetToday(EncodeDateTime(2023, 11, 20, 8, 0, 0, 0));
  TTestCriteria november({"Sold"});
  auto* nov =
      static_cast<TcxFilterDateOperator*>(november.Add("Sold", foNextMonth, Null())->Operator());
  EXPECT_EQ(nov->FromDate(), EncodeDate(2023, 12, 1));
  EXPECT_EQ(nov->ToDate(), EncodeDate(2024, 1, 1));
}

TEST(cxFilterTest, DateOperatorTexts)
{
  cxtest::TTestEnvironment env;
  TTestCriteria criteria({"Sold"});
  criteria.SetDateTimeFormat("yyyy-mm-dd");
  criteria.Add("Sold", foToday, Null());
  EXPECT_EQ(criteria.FilterText(), "(('2024-01-15' <= Sold) AND (Sold < '2024-01-16'))");
  EXPECT_EQ(criteria.FilterCaption(), "(Sold is today)");
}

TEST(cxFilterTest, RemoveItemsByItemLink)
{
  TTestCriteria criteria({"A", "B", "C"});
  auto* group = criteria.Root()->AddGroup(fboOr);
  group->AddCondition(criteria.Item("B"), foEqual, 2, "2");
  group->AddCondition(criteria.Item("C"), foEqual, 3, "3");
  criteria.Add("A", foEqual, 1, "1");
  EXPECT_EQ(criteria.FilterText(), "((B = 2) OR (C = 3)) AND (A = 1)");
  Integer before = criteria.ChangeCount;
  criteria.RemoveItemsByItemLink(criteria.Item("B"));
  EXPECT_EQ(criteria.FilterText(), "(A = 1) AND (C = 3)");
  EXPECT_EQ(criteria.Root()->Items(1)->Parent(), criteria.Root());
  EXPECT_EQ(criteria.ChangeCount, before + 1);
  criteria.RemoveItemsByItemLink(criteria.Item("B")); // nothing uses it: no report
  EXPECT_EQ(criteria.ChangeCount, before + 1);

  // An emptied group goes.
  TTestCriteria empty({"A", "B"});
  empty.Root()->AddGroup(fboAnd)->AddCondition(empty.Item("B"), foEqual, 1, "1");
  empty.Add("A", foEqual, 1, "1");
  empty.RemoveItemsByItemLink(empty.Item("B"));
  EXPECT_EQ(empty.FilterText(), "(A = 1)");
}

TEST(cxFilterTest, ChangeReports)
{
  TTestCriteria criteria({"A"});
  int reports = 0;
  criteria.OnChanged = [&](TObject*) { ++reports; };
  criteria.Add("A", foEqual, 1);
  EXPECT_EQ(reports, 1);
  criteria.SetOptions({});
  criteria.SetMaxValueListCount(10);
  criteria.SetTranslateIn(true);
  EXPECT_EQ(reports, 1);
  criteria.BeginUpdate();
  criteria.Add("A", foEqual, 2);
  criteria.SetOptions({fcoCaseInsensitive});
  criteria.Root()->SetBoolOperatorKind(fboOr);
  EXPECT_EQ(reports, 1);
  criteria.EndUpdate();
  EXPECT_EQ(reports, 2);
  criteria.RemoveAllItems();
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(criteria.Root()->BoolOperatorKind(), fboAnd);
  EXPECT_TRUE(criteria.IsEmpty());
  criteria.RestoreDefaults();
  EXPECT_TRUE(criteria.Options().Empty());
  EXPECT_EQ(reports, 4);
}

TEST(cxFilterTest, AssignCopiesSettingsTreeAndEvents)
{
  TTestCriteria source({"A", "B"}), target({"A", "B"});
  source.SetOptions({fcoSoftNull});
  source.SetDateTimeFormat("yyyymmdd");
  source.SetTranslateBetween(true);
  source.SetPercentWildcard('*');
  int sourceReports = 0;
  source.OnChanged = [&](TObject*) { ++sourceReports; };
  auto* group = source.Root()->AddGroup(fboNotOr);
  group->AddCondition(source.Item("A"), foLike, "x*", "x*");
  source.Add("B", foBetween, Arr({1, 2}), "1;2");

  Integer before = target.ChangeCount;
  target.Assign(&source);
  EXPECT_EQ(target.ChangeCount, before + 1);
  EXPECT_EQ(target.Options(), TcxFilterCriteriaOptions({fcoSoftNull}));
  EXPECT_EQ(target.DateTimeFormat(), "yyyymmdd");
  EXPECT_TRUE(target.TranslateBetween());
  EXPECT_EQ(target.PercentWildcard(), '*');
  EXPECT_EQ(target.FilterText(), source.FilterText());
  EXPECT_EQ(target.FilterCaption(), source.FilterCaption());
  EXPECT_TRUE(target.OnChanged == source.OnChanged);

  TPersistent other;
  EXPECT_THROW(target.Assign(&other), EConvertError);
}

TEST(cxFilterTest, AbstractOperationsRaise)
{
  TcxFilterCriteria criteria;
  EXPECT_THROW(criteria.ItemLinkToID(nullptr), EAbstractError);
  EXPECT_THROW(criteria.IDToItemLink(0), EAbstractError);
  TcxFilterCriteriaItem* item = criteria.AddItem(nullptr, nullptr, foEqual, 1, "1");
  Variant v;
  EXPECT_THROW(item->GetDataValue(0, v), EAbstractError);
  EXPECT_THROW(criteria.FilterText(), EAbstractError); // field names are abstract here
  EXPECT_EQ(criteria.FindItemByItemLink(nullptr), item);
}

TEST(cxFilterTest, ResourceHookReplacesTheWords)
{
  TTestCriteria criteria({"Name"});
  criteria.Add("Name", foEqual, Null());
  EXPECT_EQ(criteria.FilterCaption(), "(Name = blank)");
  FilterResourceStringHook = [](PResStringRec rec) -> AnsiString {
    return rec == &cxSFilterBlankCaption ? AnsiString("空") : LoadResString(rec);
  };
  TTestCriteria localized({"Name"});
  localized.Add("Name", foEqual, Null());
  FilterResourceStringHook = nullptr;
  EXPECT_EQ(localized.FilterCaption(), "(Name = 空)");
}

TEST(cxFilterTest, ListHelpers)
{
  Integer pos = 1;
  AnsiString token;
  NextListToken(" a ; b;", pos, token);
  EXPECT_EQ(token, "a");
  NextListToken(" a ; b;", pos, token);
  EXPECT_EQ(token, "b");
  EXPECT_EQ(pos, 8);

  Variant between;
  TextToBetweenValue("1;5", between);
  EXPECT_EQ(VarToStr(VarArrayGet(between, {1})), "5");
  TextToBetweenValue("1", between);
  EXPECT_EQ(VarToStr(VarArrayGet(between, {1})), "");
  AnsiString text;
  BetweenValueToDisplayText(CreateVariantPair(1, Null()), text);
  EXPECT_EQ(text, "1 and blank");

  Variant list;
  TextToInListValue("a;b;c", list);
  InListValueToDisplayText(list, text);
  EXPECT_EQ(text, "(a, b, c)");
  TextToInListValue("", list);
  EXPECT_FALSE(VarIsArray(list));
  EXPECT_EQ(VarToStr(list), "");
}

} // namespace
