// Rounding, checked arithmetic with the runtime's exceptions, MulDiv, the random
// generator and the 80-bit extended byte format.
#include "platform/rtl/Math.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

const Extended MathNaN = std::numeric_limits<Extended>::quiet_NaN();
const Extended MathInf = std::numeric_limits<Extended>::infinity();

// The message of the exception fn raises, checked to be of type E.
template <class E, class Fn> AnsiString MathErrorOf(Fn fn)
{
  try {
    fn();
  } catch (const E& e) {
    return e.Message();
  } catch (const Exception& e) {
    return "<other exception: " + e.Message() + ">";
  }
  return "<no exception>";
}

} // namespace

TEST(MathRounding, RoundHalfToEven)
{
  struct Case {
    Extended value;
    Int64 expected;
  } cases[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {-3.5, -4},
      {0.5, 0},
      {1.5, 2},
      {2.4999, 2},
      {2.5001, 3},
      {1123.0 / 5, 225},
      {-0.4, 0},
      {1e15 + 0.5, 1000000000000000},
      {4e18, 4000000000000000000}, // beyond 32 bits
      {-1.5, -2},
      {-0.5, 0},
      {7.5, 8},
      {4503599627370495.5, 4503599627370496}, // the largest doubles with a fraction
      {-4503599627370494.5, -4503599627370494},
      {0.5L + 1e-19L, 1}, // finer than a double: decided in full precision
      {-2.5L - 1e-18L, -3},
      {9007199254740993.0L, 9007199254740993}, // 2^53 + 1, no double
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.value));
    EXPECT_EQ(Round(c.value), c.expected);
  }
}

TEST(MathRounding, TruncIntFracCeilFloor)
{
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Trunc(5e9), 5000000000LL);
  EXPECT_EQ(Int(-2.75L), -2.0L);
  EXPECT_EQ(Frac(-2.75L), -0.75L);
  EXPECT_EQ(Ceil(1.1), 2);
  EXPECT_EQ(Ceil(-1.1), -1);
  EXPECT_EQ(Floor(-1.1), -2);
  EXPECT_EQ(Floor(1.9), 1);
}

TEST(MathRounding, NonFiniteAndOutOfRangeRaise)
{
  const char* invalid = "Invalid floating point operation";
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Round(MathNaN); }), invalid);
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Round(MathInf); }), invalid);
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Trunc(-MathInf); }), invalid);
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Round(1e19); }), invalid);
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Trunc(MathNaN); }), invalid);
}

TEST(MathFunctions, DomainAndOverflowErrors)
{
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Sqrt(-1); }), "Invalid floating point operation");
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Ln(-1); }), "Invalid floating point operation");
  EXPECT_EQ(MathErrorOf<EZeroDivide>([] { Ln(0); }), "Floating point division by zero");
  EXPECT_EQ(MathErrorOf<EOverflow>([] { Exp(100000); }), "Floating point overflow");
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Sin(MathInf); }), "Invalid floating point operation");
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { Power(-8, 1.0 / 3); }),
            "Invalid floating point operation");
  EXPECT_EQ(MathErrorOf<EZeroDivide>([] { Power(0, -1); }), "Floating point division by zero");
  EXPECT_EQ(Sqrt(16), 4);
  EXPECT_EQ(Exp(0), 1);
  EXPECT_NEAR(static_cast<double>(Ln(Exp(2))), 2, 1e-15);
  EXPECT_NEAR(static_cast<double>(ArcTan(1) * 4), static_cast<double>(Pi()), 1e-15);
  EXPECT_NEAR(static_cast<double>(Sin(Pi() / 2)), 1, 1e-15);
  EXPECT_NEAR(static_cast<double>(Cos(0)), 1, 1e-15);
  EXPECT_NEAR(static_cast<double>(Tan(Pi() / 4)), 1, 1e-15);
}

TEST(MathFunctions, PowerAndIntPower)
{
  struct Case {
    Extended base, exponent, expected;
  } cases[] = {
      {2, 10, 1024}, {2, -2, 0.25}, {-2, 3, -8}, {0, 0, 1}, {0, 5, 0}, {9, 0.5, 3}, {-3, 2, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.base));
    EXPECT_NEAR(static_cast<double>(Power(c.base, c.exponent)), static_cast<double>(c.expected),
                1e-15);
  }
  EXPECT_EQ(IntPower(10, 18), 1e18L);
  EXPECT_EQ(IntPower(2, -MaxInt - 1), 0); // underflows quietly
}

TEST(MathFunctions, SignMinMaxSameValue)
{
  EXPECT_EQ(Sign(-5), -1);
  EXPECT_EQ(Sign(0), 0);
  EXPECT_EQ(Sign(Int64(7)), 1);
  EXPECT_EQ(Sign(-0.5), -1);
  EXPECT_EQ(Min(3, -4), -4);
  EXPECT_EQ(Max(Int64(3), Int64(1) << 40), Int64(1) << 40);
  EXPECT_EQ(Max(1.5, 2.5), 2.5);
  EXPECT_EQ(Abs(-MaxInt), MaxInt);
  EXPECT_TRUE(SameValue(0.1 + 0.2, 0.3));
  EXPECT_FALSE(SameValue(0.3, 0.3001));
  EXPECT_TRUE(SameValue(1.0, 1.05, 0.1));
  EXPECT_TRUE(IsZero(1e-13));
  EXPECT_FALSE(IsZero(1e-11));
}

TEST(MathMulDiv, FontSizesAndRounding)
{
  struct Case {
    Integer a, b, c, expected;
  } cases[] = {
      {10, 96, 72, 13},
      {12, 96, 72, 16},
      {9, 96, 72, 12},
      {-13, 72, 96, -10},
      {-16, 72, 96, -12},
      {1, 1, 2, 1},
      {-1, 1, 2, -1},
      {3, 1, 2, 2},
      {5, 1, 0, -1},
      {0, 5, 0, -1},
      {MaxInt, MaxInt, MaxInt, MaxInt},
      {MaxInt, 2, 1, -1}, // does not fit 32 bits
      {7, -1, 2, -4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << "*" << c.b << "/" << c.c);
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected);
  }
  EXPECT_EQ(-MulDiv(10, 96, 72), -13); // Height of a 10 pt font at 96 dpi
}

TEST(MathChecked, FloatDivisionAndResults)
{
  EXPECT_EQ(FloatDivide(1, 4), 0.25L);
  EXPECT_EQ(MathErrorOf<EZeroDivide>([] { FloatDivide(1, 0); }), "Floating point division by zero");
  EXPECT_EQ(MathErrorOf<EZeroDivide>([] { FloatDivide(-1, 0); }),
            "Floating point division by zero");
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { FloatDivide(0, 0); }), "Invalid floating point operation");
  EXPECT_EQ(MathErrorOf<EOverflow>([] { FloatDivide(1e4000L, 1e-4000L); }),
            "Floating point overflow");
  EXPECT_EQ(MathErrorOf<EOverflow>([] { CheckFloat(MathInf); }), "Floating point overflow");
  EXPECT_EQ(MathErrorOf<EInvalidOp>([] { CheckFloat(MathNaN); }),
            "Invalid floating point operation");
  EXPECT_EQ(CheckFloat(2.5), 2.5L);
}

TEST(MathChecked, IntegerDivision)
{
  EXPECT_EQ(IntDivide(7, -2), -3);
  EXPECT_EQ(IntModulo(-7, 2), -1);
  EXPECT_EQ(IntModulo(-MaxInt - 1, -1), 0);
  EXPECT_EQ(IntDivide(Int64(-7), Int64(2)), -3);
  EXPECT_EQ(FloorDivide(-7, 2), -4);
  EXPECT_EQ(FloorModulo(-7, 2), 1);
  EXPECT_EQ(FloorModulo(7, -2), -1);
  EXPECT_EQ(MathErrorOf<EDivByZero>([] { IntDivide(1, 0); }), "Division by zero");
  EXPECT_EQ(MathErrorOf<EDivByZero>([] { IntModulo(1, 0); }), "Division by zero");
  EXPECT_EQ(MathErrorOf<EDivByZero>([] { IntDivide(Int64(1), Int64(0)); }), "Division by zero");
  EXPECT_EQ(MathErrorOf<EIntOverflow>([] { IntDivide(-MaxInt - 1, -1); }), "Integer overflow");
  EXPECT_EQ(MathErrorOf<EIntOverflow>([] { IntDivide(-MaxInt64 - 1, Int64(-1)); }),
            "Integer overflow");
}

TEST(MathRandom, SeededSequenceRepeatsAndStaysInRange)
{
  RandSeed = 0;
  // x' = x * 134775813 + 1: from seed 0 the states are 1, 134775814, ...
  EXPECT_EQ(Random(), 1.0L / 4294967296.0L);
  EXPECT_EQ(RandSeed, 1);
  EXPECT_EQ(Random(100), static_cast<Integer>((134775814ull * 100) >> 32));

  RandSeed = 12345;
  Integer first[20];
  for (Integer& v : first)
    v = Random(10);
  RandSeed = 12345;
  for (Integer v : first)
    EXPECT_EQ(Random(10), v);

  int seen[6] = {};
  for (int i = 0; i < 6000; ++i) {
    Integer v = Random(6);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 6);
    ++seen[v];
    Extended f = Random();
    ASSERT_GE(f, 0);
    ASSERT_LT(f, 1);
  }
  for (int count : seen)
    EXPECT_GT(count, 800);
  EXPECT_EQ(Random(0), 0);
}

TEST(ExtendedBytes, KnownEncodings)
{
  struct Case {
    double value;
    Byte bytes[10];
  } cases[] = {
      {1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
      {-2.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
      {0.5, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F}},
      {3.0, {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40}},
      {0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {std::numeric_limits<double>::infinity(), {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
      // Smallest double denormal 2^-1074: normalised in the wider format.
      {4.9406564584124654e-324, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Byte out[10];
    DoubleToExtendedBytes(c.value, out);
    EXPECT_EQ(std::memcmp(out, c.bytes, 10), 0);
    EXPECT_EQ(ExtendedBytesToDouble(c.bytes), c.value);
  }
}

TEST(ExtendedBytes, NarrowingRoundsAndSaturates)
{
  // 1 + 2^-53 exactly halfway between 1 and the next double: ties to even (1).
  Byte tie[10] = {0, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(ExtendedBytesToDouble(tie), 1.0);
  // Just above the tie rounds up.
  Byte above[10] = {1, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(ExtendedBytesToDouble(above), 1.0 + std::ldexp(1.0, -52));
  // 1 + 3 * 2^-53 is a tie between odd and even neighbours: rounds to the even one above.
  Byte oddTie[10] = {0, 0x0C, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(ExtendedBytesToDouble(oddTie), 1.0 + std::ldexp(1.0, -51));
  // 2^16383 overflows double.
  Byte huge[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
  EXPECT_EQ(ExtendedBytesToDouble(huge), std::numeric_limits<double>::infinity());
  Byte hugeNegative[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0xFF};
  EXPECT_EQ(ExtendedBytesToDouble(hugeNegative), -std::numeric_limits<double>::infinity());
  // 2^-1080 is below half the smallest denormal: zero. 2^-1075 * 1.5 rounds up to it.
  Byte tiny[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xC7, 0x3B};
  EXPECT_EQ(ExtendedBytesToDouble(tiny), 0.0);
  Byte halfAndMore[10] = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xCC, 0x3B};
  EXPECT_EQ(ExtendedBytesToDouble(halfAndMore), 4.9406564584124654e-324);
  // A NaN stays a NaN.
  Byte nan[10] = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F};
  EXPECT_TRUE(std::isnan(ExtendedBytesToDouble(nan)));
}

TEST(ExtendedBytes, MatchesTheMachineFormatAndRoundTrips)
{
  const double values[] = {1.0 / 3, -123456.789, 1e300, -1e-300, 2.2250738585072014e-308,
                           1e-310,  94.48825};
  for (double v : values) {
    SCOPED_TRACE(v);
    Byte bytes[10];
    DoubleToExtendedBytes(v, bytes);
    EXPECT_EQ(ExtendedBytesToDouble(bytes), v);
    if constexpr (std::numeric_limits<long double>::digits == 64) {
      long double native = v;
      EXPECT_EQ(std::memcmp(&native, bytes, 10), 0);
    }
  }
  if constexpr (std::numeric_limits<long double>::digits == 64) {
    // A long double value between two doubles narrows like the hardware conversion.
    long double third = 1.0L / 3.0L;
    Byte bytes[10];
    std::memcpy(bytes, &third, 10);
    EXPECT_EQ(ExtendedBytesToDouble(bytes), static_cast<double>(third));
  }
}
