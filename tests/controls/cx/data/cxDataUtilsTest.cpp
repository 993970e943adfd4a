#include "controls/cx/data/cxDataUtils.h"

#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "tests/controls/cx/data/support/TestSupport.h"

namespace {

TEST(cxDataUtilsTest, SearchTextMatches)
{
  struct Case {
    const char* Text;
    const char* Search;
    bool Partial;
    bool Matches;
  } cases[] = {
      {"Apple", "ap", true, true},   {"Apple", "apx", true, false}, {"ap", "Apple", true, false},
      {"", "", true, true},          {"abc", "", true, false},      {"ABC", "abc", false, true},
      {"ABCD", "abc", false, false}, {"张三", "张", true, true},    {"亂碼", "亂", true, true},
      {"俠客", "俠", true, true}, // 俠 = 82 62: the trail byte must not be upper-cased
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Text) + "/" + c.Search);
    EXPECT_EQ(SearchTextMatches(c.Text, c.Search, c.Partial), c.Matches);
  }
}

TEST(cxDataUtilsTest, CurrencyDisplayFormat)
{
  cxtest::TTestEnvironment env;
  EXPECT_EQ(CurrencyDisplayFormat(), "￥,0.00");
  EXPECT_EQ(FormatFloat(CurrencyDisplayFormat(), 1234.5), "￥1,234.50");
  FormatSettings.CurrencyDecimals = 0;
  EXPECT_EQ(CurrencyDisplayFormat(), "￥,0.");
  EXPECT_EQ(FormatFloat(CurrencyDisplayFormat(), 1234.5), "￥1,235");
  FormatSettings.CurrencyString = "S.Fr";
  FormatSettings.CurrencyDecimals = 2;
  struct Case {
    Byte Position;
    const char* Format;
  } cases[] = {{0, "S'.'Fr,0.00"}, {1, ",0.00S'.'Fr"}, {2, "S'.'Fr ,0.00"}, {3, ",0.00 S'.'Fr"}};
  for (const auto& c : cases) {
    FormatSettings.CurrencyFormat = c.Position;
    EXPECT_EQ(CurrencyDisplayFormat(), c.Format);
  }
  FormatSettings.CurrencyString = "";
  EXPECT_EQ(CurrencyDisplayFormat(), ",0.00");
}

TEST(cxDataUtilsTest, DatePartsAndWeeks)
{
  cxtest::TTestEnvironment env;
  EXPECT_EQ(DatePartOf(0.75), 0);
  EXPECT_EQ(TimePartOf(45306.0), 0);
  EXPECT_EQ(DatePartOf(45306.25), 45306);
  EXPECT_EQ(DatePartOf(-1.25), -1); // toward zero
  EXPECT_DOUBLE_EQ(TimePartOf(45306.25), 0.25);

  TDateTime sunday = EncodeDate(2024, 1, 14), monday = EncodeDate(2024, 1, 15);
  EXPECT_EQ(LocaleFirstDayOfWeek(), 1);
  EXPECT_EQ(StartOfWeekDate(sunday + 0.5), EncodeDate(2024, 1, 8));
  EXPECT_EQ(StartOfWeekDate(monday), monday);
  cxtest::TTestEnvironment::SetFirstDayOfWeek(6); // Sunday
  EXPECT_EQ(LocaleFirstDayOfWeek(), 0);
  EXPECT_EQ(StartOfWeekDate(sunday), sunday);
  EXPECT_EQ(StartOfWeekDate(monday), sunday);
  cxtest::TTestEnvironment::SetFirstDayOfWeek(5); // Saturday
  EXPECT_EQ(LocaleFirstDayOfWeek(), 6);
  EXPECT_EQ(StartOfWeekDate(monday), EncodeDate(2024, 1, 13));
}

TEST(cxDataUtilsTest, DataBindingFiresItsCallbacks)
{
  TcxCustomDataBinding binding(nullptr, nullptr);
  int data = 0, state = 0, update = 0;
  binding.NotifyDataChanged(); // unassigned callbacks do nothing
  binding.OnDataChange = [&] { ++data; };
  binding.OnStateChange = [&] { ++state; };
  binding.OnUpdateData = [&] { ++update; };
  binding.NotifyDataChanged();
  binding.StateChanged();
  binding.UpdateData();
  binding.UpdateData();
  EXPECT_EQ(data, 1);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(update, 2);
  Variant v = 5;
  binding.GetStoredValue(evsValue, false, v);
  EXPECT_TRUE(VarIsNull(v));
}

} // namespace
