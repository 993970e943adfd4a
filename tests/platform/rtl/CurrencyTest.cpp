// Currency: construction rounding, exact arithmetic, range errors and the report units.
#include "platform/rtl/Currency.h"

#include <limits>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

TEST(CurrencyValue, FromDoubleRoundsHalfToEven)
{
  struct Case {
    double value;
    Int64 raw;
  } cases[] = {
      // 0.03125 and 0.09375 are exact binary values whose scaled value is a tie.
      {1.5, 15000},     {0.03125, 312},    {0.09375, 938},
      {-0.03125, -312}, {-0.09375, -938},  {0.00005, 1}, // the double lies just above 0.00005
      {0.000049, 0},    {3.7795, 37795},   {1e14, 1000000000000000000LL},
      {-2.5, -25000},   {0.1 + 0.2, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(Currency(c.value).Raw(), c.raw);
  }
  EXPECT_THROW(Currency(1e15), EOverflow);
  EXPECT_THROW(Currency(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
  EXPECT_EQ(Currency(7).Raw(), 70000);
  EXPECT_THROW(Currency{MaxInt64}, EOverflow);
}

TEST(CurrencyValue, ArithmeticRoundsExactResult)
{
  Currency a = Currency::FromRaw(15);               // 0.0015
  Currency b = Currency::FromRaw(5000);             // 0.5
  EXPECT_EQ((a * b).Raw(), 8);                      // 0.00075 -> 0.0008 (tie to even)
  EXPECT_EQ((Currency::FromRaw(25) * b).Raw(), 12); // 0.00125 -> 0.0012
  EXPECT_EQ((Currency(1) / Currency(3)).Raw(), 3333);
  EXPECT_EQ((Currency(2) / Currency(3)).Raw(), 6667);
  EXPECT_EQ((Currency(-2) / Currency(3)).Raw(), -6667);
  EXPECT_EQ((Currency(10) + Currency(0.25)).Raw(), 102500);
  EXPECT_EQ((Currency(10) - Currency(0.25)).Raw(), 97500);
  EXPECT_EQ(Currency(1.23) * 3, Currency(3.69));
  // A product far beyond 64 bits before scaling stays exact.
  EXPECT_EQ((Currency(100000000) * Currency(9000)).Raw(), 900000000000LL * 10000);
  Currency c = Currency(5);
  c += Currency(1);
  c *= Currency(2);
  EXPECT_EQ(c, Currency(12));
  EXPECT_EQ(-Currency(3), Currency(-3));
}

TEST(CurrencyValue, RangeAndZeroDivision)
{
  EXPECT_THROW(MaxCurrency + Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(MinCurrency - Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(-MinCurrency, EOverflow);
  EXPECT_THROW(MaxCurrency * Currency(2), EOverflow);
  EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
  EXPECT_THROW(Currency() / Currency(), EInvalidOp);
}

TEST(CurrencyValue, ConversionsAndComparison)
{
  EXPECT_EQ(Currency(2.5).ToInt64(), 2);
  EXPECT_EQ(Currency(3.5).ToInt64(), 4);
  EXPECT_EQ(Currency(-2.75).ToInt64(), -3);
  EXPECT_EQ(Currency(-2.75).Truncated(), -2);
  EXPECT_EQ(static_cast<double>(Currency(1.2345)), 1.2345);
  EXPECT_EQ(Currency(0.5).ToExtended(), 0.5L);
  EXPECT_LT(Currency(-1), Currency(0.0001));
  EXPECT_GT(MaxCurrency, Currency(0));
}

TEST(CurrencyValue, ReportUnits)
{
  EXPECT_EQ(fr01cm.Raw(), 37795);
  EXPECT_EQ(fr1cm.Raw(), 377953);
  EXPECT_EQ(fr01in, Currency(9.6));
  EXPECT_EQ(fr1in, Currency(96));
  EXPECT_EQ(fr1CharX, Currency(9.6));
  EXPECT_EQ(fr1CharY, Currency(17));
  static_assert(fr1in.Raw() == 960000);
}
