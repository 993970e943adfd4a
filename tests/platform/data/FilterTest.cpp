// Filters: the expression parser over the texts the libraries generate, OnFilterRecord,
// and LIKE over GBK text by whole characters.
#include <vector>

#include <gtest/gtest.h>

#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/DateUtils.h"

namespace {

class FilterTest : public testing::Test {
protected:
  void SetUp() override
  {
    Set.SetName("Waybills");
    Set.FieldDefs()->Add("N", ftInteger);
    Set.FieldDefs()->Add("Name", ftString, 30);
    Set.FieldDefs()->Add("Order Date", ftDate);
    Set.FieldDefs()->Add("Paid", ftBoolean);
    Set.CreateDataSet();
    Add(1, "O'Brien", "2026-1-5", true);
    Add(2, "北京", "2026-2-1", false);
    Add(3, "北京市海淀", "2026-3-1", true);
    Add(4, "abc", "2026-3-15", false);
    Add(5, "ABD", "", false);
    Set.AppendRecord({Variant(6), ::Null(), ::Null(), ::Null()});
  }

  void Add(Integer N, const char* Name, const char* Date, bool Paid)
  {
    Set.AppendRecord({Variant(N), Variant(AnsiString(Name)),
                      *Date ? VarFromDateTime(StrToDate(Date)) : ::Null(), Variant(Paid)});
  }

  std::vector<Integer> Visible()
  {
    std::vector<Integer> ns;
    for (Set.First(); !Set.Eof(); Set.Next())
      ns.push_back(Set.FieldByName("N")->AsInteger());
    return ns;
  }

  TMemDataSet Set;
};

} // namespace

TEST_F(FilterTest, ExpressionsTable)
{
  struct Case {
    const char* Filter;
    std::vector<Integer> Expected;
    TFilterOptions Options;
  };
  const Case cases[] = {
      {"N > 3", {4, 5, 6}},
      {"(N >= 2) AND (N <= 3)", {2, 3}},
      {"(N = 1) OR (N = 5)", {1, 5}},
      {"NOT (N < 5)", {5, 6}},
      {"Name = 'O''Brien'", {1}},           // a doubled quote is one quote
      {"Name <> 'O''Brien'", {2, 3, 4, 5}}, // null is neither equal nor unequal
      {"Name = NULL", {6}},
      {"Name <> NULL", {1, 2, 3, 4, 5}},
      {"Name IS NULL", {6}},
      {"[Order Date] IS NOT NULL AND Paid = FALSE", {2, 4}},
      {"[Order Date] >= '2026-3-1'", {3, 4}},
      {"[Order Date] BETWEEN '2026-2-1' AND '2026-3-1'", {2, 3}},
      {"N IN (2, 4, 9)", {2, 4}},
      {"N NOT IN (2, 4)", {1, 3, 5, 6}},
      {"Name LIKE 'a%'", {4}},
      {"Name LIKE 'a%'", {4, 5}, {foCaseInsensitive}},
      {"Name NOT LIKE '%e%'", {2, 3, 4, 5}},
      {"Name = 'ab*'", {4}},                      // trailing '*': prefix compare
      {"Name = 'ab*'", {}, {foNoPartialCompare}}, // ... unless switched off
      {"name = 'abd'", {5}, {foCaseInsensitive}}, // field names ignore case
      {"Name = '北京*'", {2, 3}},
      {"Paid", {1, 3}},
      {"N > -1 AND N < 2.5", {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Filter);
    Set.SetFiltered(false);
    Set.SetFilterOptions(c.Options);
    Set.SetFilter(c.Filter);
    Set.SetFiltered(true);
    EXPECT_EQ(Visible(), c.Expected);
    EXPECT_EQ(Set.RecordCount(), static_cast<Integer>(c.Expected.size()));
  }
}

TEST_F(FilterTest, LikeMatchesWholeGbkCharacters)
{
  // "北" is B1 B1, "京" is BE A9: the byte pair "B1 BE" spans two characters and must not
  // match a pattern of one character; '_' takes one whole character.
  using data_detail::LikeMatch;
  EXPECT_TRUE(LikeMatch("北京", "北_", false));
  EXPECT_TRUE(LikeMatch("北京", "__", false));
  EXPECT_FALSE(LikeMatch("北京", "___", false));
  EXPECT_FALSE(LikeMatch("北京", "_", false));
  AnsiString straddling = AnsiString("北京").substr(1, 2); // trail of 北 + lead of 京
  EXPECT_FALSE(LikeMatch("北京", "%" + straddling + "%", false));
  EXPECT_TRUE(LikeMatch("北京市海淀", "%市%", false));
  EXPECT_TRUE(LikeMatch("", "%", false));
  EXPECT_FALSE(LikeMatch("", "_", false));
  // Long runs of '%' stay fast (no exponential backtracking).
  EXPECT_FALSE(LikeMatch(AnsiString(2000, 'a'), "%a%a%a%a%a%a%a%a%a%a%b", false));
  Set.SetFilter("Name LIKE '%" + straddling + "%'");
  Set.SetFiltered(true);
  EXPECT_TRUE(Visible().empty());
}

TEST_F(FilterTest, OnFilterRecordAndErrors)
{
  Set.OnFilterRecord = [](TDataSet* d, bool& accept) {
    accept = d->FieldByName("N")->AsInteger() % 2 == 0;
  };
  Set.SetFilter("N > 2");
  Set.SetFiltered(true);
  EXPECT_EQ(Visible(), (std::vector<Integer>{4, 6}));
  Set.SetFiltered(false);
  EXPECT_EQ(Visible().size(), 6u);
  Set.OnFilterRecord = nullptr;
  Set.SetFiltered(true);
  struct Bad {
    const char* Filter;
    const char* Message;
  };
  const Bad bad[] = {
      {"Nope = 1", "Waybills: Field 'Nope' not found"},
      {"Name = 'open", "Invalid filter expression: unterminated string in \"Name = 'open\""},
      {"(N = 1", "Invalid filter expression: ')' expected in \"(N = 1\""},
      {"N =", "Invalid filter expression: unexpected end in \"N =\""},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.Filter);
    try {
      Set.SetFilter(b.Filter);
      FAIL();
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), b.Message);
    }
  }
}
