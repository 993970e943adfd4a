// Number formatting and parsing: the runtime's outputs as tables of cases.
#include "platform/rtl/NumFormat.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

TFormatSettings NumTestSettings()
{
  TFormatSettings s = DefaultFormatSettings();
  s.CurrencyString = "$";
  return s;
}

template <class Fn> AnsiString ConvertErrorOf(Fn fn)
{
  try {
    fn();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "<no EConvertError>";
}

} // namespace

TEST(FloatToStr, GeneralFormTable)
{
  struct Case {
    long double value;
    const char* expected;
  } cases[] = {
      {28.8, "28.8"},
      {30.6, "30.6"},
      {36, "36"},
      {94.48825, "94.48825"},
      {0.1 + 0.2, "0.3"},
      {2.0 / 3.0, "0.666666666666667"},
      {-0.0, "0"},
      {1e20, "1E20"},
      {0.000001, "1E-6"},
      {1.5e-7, "1.5E-7"},
      {123456789012345678.0, "1.23456789012346E17"},
      {123456789012345.0, "123456789012345"}, // 15 integer digits stay fixed
      {1e15, "1E15"},
      {0.00001, "1E-5"},
      {0.0000099, "9.9E-6"},
      {0.0001, "0.0001"},
      {-1234.5, "-1234.5"},
      {0.1L, "0.1"},
      {1.0 / 3.0 * 3.0, "1"},
      {9.9999999999999999e22, "1E23"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(FloatToStr(c.value, NumTestSettings()), c.expected);
  }
}

TEST(FloatToStr, NonFiniteAndSeparator)
{
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
  TFormatSettings s = NumTestSettings();
  s.DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(1.25, s), "1,25");
  EXPECT_EQ(FloatToStr(1.5e-7, s), "1,5E-7");
}

TEST(FloatToStrF, FormatsTable)
{
  struct Case {
    long double value;
    TFloatFormat format;
    int precision, digits;
    const char* expected;
  } cases[] = {
      {1234.5, ffFixed, 15, 2, "1234.50"},
      {1234.5, ffNumber, 15, 2, "1,234.50"},
      {1234567.891, ffNumber, 15, 0, "1,234,568"},
      {-1234.5, ffNumber, 15, 1, "-1,234.5"},
      {1234.5, ffCurrency, 15, 2, "$1,234.50"},
      {-1234.5, ffCurrency, 15, 2, "$-1,234.50"}, // NegCurrFormat 2
      {1234.5, ffExponent, 15, 3, "1.23450000000000E+003"},
      {0.00012345, ffExponent, 4, 2, "1.235E-04"},
      {0, ffExponent, 3, 0, "0.00E+0"},
      {1e20, ffGeneral, 15, 0, "1E20"},
      {1e20, ffGeneral, 15, 3, "1E020"},
      {2.5, ffGeneral, 1, 0, "3"},        // half away from zero
      {0.125, ffFixed, 15, 2, "0.13"},    // decimal expansion 0.125 rounds up
      {123.456, ffFixed, 4, 2, "123.50"}, // precision limits the digits first
      {1e17, ffFixed, 15, 2, "1E17"},     // more integer digits than precision
      {-0.001, ffFixed, 15, 2, "0.00"},   // rounds to zero: no minus sign
      {1.005, ffFixed, 15, 2, "1.01"},    // 15-digit expansion is 1.005
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits, NumTestSettings()), c.expected);
  }
}

TEST(FloatToStrF, NegativeCurrencyFormats)
{
  TFormatSettings s = NumTestSettings();
  const char* expected[16] = {"($1.50)", "-$1.50",  "$-1.50",   "$1.50-",  "(1.50$)", "-1.50$",
                              "1.50-$",  "1.50$-",  "-1.50 $",  "-$ 1.50", "1.50 $-", "$ 1.50-",
                              "$ -1.50", "1.50- $", "($ 1.50)", "(1.50 $)"};
  for (int f = 0; f < 16; ++f) {
    s.NegCurrFormat = static_cast<Byte>(f);
    EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 2, s), expected[f]) << f;
  }
  const char* positive[4] = {"$1.50", "1.50$", "$ 1.50", "1.50 $"};
  for (int f = 0; f < 4; ++f) {
    s.CurrencyFormat = static_cast<Byte>(f);
    EXPECT_EQ(FloatToStrF(1.5, ffCurrency, 15, 2, s), positive[f]) << f;
  }
}

TEST(FormatFloat, PicturesTable)
{
  struct Case {
    const char* picture;
    long double value;
    const char* expected;
  } cases[] = {
      {"#,##0.00", 1234.5, "1,234.50"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0.00", 0.5, "0.50"},
      {"0.00", 0.125, "0.13"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0", 3.5, "4"},
      {"0.##", 1, "1"},
      {"0.##", 1.5, "1.5"},
      {"#.##", 0.5, ".5"},
      {"000", 7, "007"},
      {"#", 1234, "1234"},
      {"00", 12345, "12345"},
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.00E-00", 1234.5, "1.23E03"},
      {"0.00e-0", 0.00012345, "1.23e-4"},
      {"0.0E+0", 0, "0.0E+0"},
      {"##0.0E+0", 0, "0.0E+0"},
      {"##0.0E+0", 0.000123, "123.0E-6"},
      {"0.00 'kg'", 12.345, "12.35 kg"},
      {"\"#\"0", 5, "#5"},
      {"0.00;(0.00)", -12.5, "(12.50)"},
      {"0.00;(0.00);'zero'", 0, "zero"},
      {"0.00;(0.00);'zero'", 0.001, "zero"}, // rounds to zero: third section
      {"0.00;;'zero'", -3, "-3.00"},         // empty negative section: first one with sign
      {"", 1.5, "1.5"},
      {"", 1e20, "1E20"},
      {"x0x", 5, "x5x"},
      {"0.00", -0.001, "0.00"},
      {"#,##0", 999999.5, "1,000,000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.picture) + " -> " + c.expected);
    EXPECT_EQ(FormatFloat(c.picture, c.value, NumTestSettings()), c.expected);
  }
}

TEST(FormatFloat, SeparatorsFromSettings)
{
  TFormatSettings s = NumTestSettings();
  s.DecimalSeparator = ',';
  s.ThousandSeparator = '.';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, s), "1.234,50");
}

// Pictures are analysed once and kept; the separators still come from each call's settings.
TEST(FormatFloat, KeptPicturesFollowTheSettingsOfEachCall)
{
  TFormatSettings dot = NumTestSettings();
  TFormatSettings comma = NumTestSettings();
  comma.DecimalSeparator = ',';
  comma.ThousandSeparator = ' ';
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(FormatFloat("#,##0.00;(#,##0.00)", -1234.5, dot), "(1,234.50)");
    EXPECT_EQ(FormatFloat("#,##0.00;(#,##0.00)", -1234.5, comma), "(1 234,50)");
    EXPECT_EQ(FormatCurr("#,##0.00", Currency(1234.5), comma), "1 234,50");
  }
  dot.ThousandSeparator = '\'';
  EXPECT_EQ(FormatFloat("#,##0.00;(#,##0.00)", 1234567.5, dot), "1'234'567.50");
  // More distinct pictures than are kept, then the first ones again; a picture too long to
  // keep.
  for (int round = 0; round < 2; ++round)
    for (int n = 1; n <= 40; ++n)
      EXPECT_EQ(FormatFloat("'" + std::to_string(n) + "' 0.0", 2.25, dot),
                std::to_string(n) + " 2.3");
  const std::string longPicture = std::string(300, '#') + "0.00;" + std::string(300, 'x') + "0";
  EXPECT_EQ(FormatFloat(longPicture, 1234.5, dot), "1234.50");
  EXPECT_EQ(FormatFloat(longPicture, -2, dot), std::string(300, 'x') + "2");
}

TEST(Format, DirectivesInUse)
{
  struct Case {
    const char* format;
    std::initializer_list<TVarRec> args;
    const char* expected;
  };
  // Texts are borrowed by the argument records, so they live in variables here.
  AnsiString name = "运单";
  WideString wide = u"ab";
  AnsiString longText(300, 'z');
  const Case cases[] = {
      {"%s", {name}, "运单"},
      {"%d", {5}, "5"},
      {"%f", {1.0 / 3}, "0.33"},
      {"%.2f", {2.345}, "2.35"},
      {"%2.2f", {3.14159}, "3.14"},
      {"%9.2f", {-3.14159}, "    -3.14"},
      {"%.4f", {0.5}, "0.5000"},
      {"%.2g", {1.0 / 255}, "0.0039"},
      {"%g", {1e20}, "1E20"},
      {"%4.4d", {12}, "0012"},
      {"%4.4d", {-12}, "-0012"},
      {"%5d%5d", {1, 22}, "    1   22"},
      {"%3d%3d%3d", {1, 2, 3}, "  1  2  3"},
      {"%x", {255}, "FF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%d%%", {50}, "50%"},
      {"%d", {Int64(1) << 40}, "1099511627776"},
      {"%u", {-1}, "4294967295"},
      {"%-5d|", {7}, "7    |"},
      {"%*d", {4, 7}, "   7"},
      {"%*d|", {-4, 7}, "7   |"},
      {"[%s]", {""}, "[]"},
      {"%p", {nullptr}, "0000000000000000"},
      {"%.*f", {1, 2.25}, "2.3"},
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%e", {1234.5}, "1.23450000000000E+003"},
      {"%n", {1234567.5}, "1,234,567.50"},
      {"%m", {1234.5}, "$1,234.50"},
      {"%m", {Currency(-5)}, "$-5.00"},
      {"%.1f", {Currency::FromRaw(12345)}, "1.2"},
      {"%.3s", {"abcdef"}, "abc"},
      {"%.3s", {"a运单"}, "a运"},
      {"%.2s", {"a运单"}, "a"}, // never splits a double-byte character
      {"%s", {'x'}, "x"},
      {"%s", {wide}, "ab"},
      {"%s", {longText}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    AnsiString result = Format(c.format, c.args, NumTestSettings());
    if (c.expected)
      EXPECT_EQ(result, c.expected);
    else
      EXPECT_EQ(result.size(), 300u); // texts are never cut at 255
  }
}

TEST(Format, ErrorsCarryTheFormat)
{
  struct Case {
    const char* format;
    std::initializer_list<TVarRec> args;
    const char* message;
  };
  const Case cases[] = {
      {"%d", {"x"}, "Format '%d' invalid or incompatible with argument"},
      {"%d", {1.5}, "Format '%d' invalid or incompatible with argument"},
      {"%f", {1}, "Format '%f' invalid or incompatible with argument"},
      {"%s", {1}, "Format '%s' invalid or incompatible with argument"},
      {"%d", {true}, "Format '%d' invalid or incompatible with argument"},
      {"abc %", {1}, "Format 'abc %' invalid or incompatible with argument"},
      {"%q", {1}, "Format '%q' invalid or incompatible with argument"},
      {"%d %d", {1}, "No argument for format '%d %d'"},
      {"%5:d", {1}, "No argument for format '%5:d'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(ConvertErrorOf([&] { Format(c.format, c.args); }), c.message);
  }
}

TEST(IntConversions, StrToIntTable)
{
  struct Case {
    const char* text;
    bool ok;
    Integer value;
  } cases[] = {
      {"123", true, 123},
      {"  -45", true, -45},
      {"+7", true, 7},
      {"$FF", true, 255},
      {"0x1f", true, 31},
      {"$FFFFFFFF", true, -1},
      {"-$10", true, -16},
      {"2147483647", true, MaxInt},
      {"-2147483648", true, -MaxInt - 1},
      {"2147483648", false, 0},
      {"12 ", false, 0},
      {"", false, 0},
      {"1.5", false, 0},
      {"$", false, 0},
      {"$100000000", false, 0},
      {"abc", false, 0},
      {"-", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Integer v = -999;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
    EXPECT_EQ(StrToIntDef(c.text, -999), c.ok ? c.value : -999);
  }
  EXPECT_EQ(ConvertErrorOf([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
}

TEST(IntConversions, Int64)
{
  EXPECT_EQ(StrToInt64("9223372036854775807"), MaxInt64);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), -MaxInt64 - 1);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 3), 3);
  EXPECT_EQ(ConvertErrorOf([] { StrToInt64("x"); }), "'x' is not a valid integer value");
  EXPECT_EQ(IntToStr(-MaxInt - 1), "-2147483648");
  EXPECT_EQ(IntToStr(-MaxInt64 - 1), "-9223372036854775808");
}

TEST(FloatParsing, StrToFloatTable)
{
  struct Case {
    const char* text;
    bool ok;
    long double value;
  } cases[] = {
      {"1.5", true, 1.5L}, {"  -2.25  ", true, -2.25L},
      {".5", true, 0.5L},  {"5.", true, 5},
      {"1e3", true, 1000}, {"1.5E-2", true, 0.015L},
      {"+3", true, 3},     {"1e-5000", true, 0},
      {"0.1", true, 0.1L}, {"1e5000", false, 0},
      {"1,5", false, 0},   {"", false, 0},
      {"e5", false, 0},    {"1e", false, 0},
      {"NAN", false, 0},   {"INF", false, 0},
      {"1.2.3", false, 0}, {"0x10", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Extended v = -999;
    EXPECT_EQ(TryStrToFloat(c.text, v, NumTestSettings()), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
  }
  EXPECT_EQ(ConvertErrorOf([] { StrToFloat("abc"); }), "'abc' is not a valid floating point value");
  EXPECT_EQ(StrToFloatDef("x", 7.5), 7.5L);
}

TEST(FloatParsing, SeparatorFromSettingsAndRoundTrip)
{
  TFormatSettings s = NumTestSettings();
  s.DecimalSeparator = ',';
  EXPECT_EQ(StrToFloat("1,5", s), 1.5L);
  EXPECT_THROW(StrToFloat("1.5", s), EConvertError);
  const double values[] = {28.8, 94.48825, 1e-7, 123456.789, 2.0 / 3.0};
  for (double v : values) {
    double back = 0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(v), back));
    EXPECT_EQ(FloatToStr(back), FloatToStr(v));
  }
  double tooBigForDouble = 0;
  EXPECT_FALSE(TryStrToFloat("1e400", tooBigForDouble));
}

TEST(CurrencyText, ConversionsTable)
{
  struct Case {
    const char* text;
    bool ok;
    Int64 raw;
  } cases[] = {
      {"1.5", true, 15000},
      {"-0.00005", true, 0}, // tie to even
      {"0.00015", true, 2},  // tie to even
      {"0.000151", true, 2},
      {"1.23456", true, 12346},
      {"922337203685477.5807", true, MaxInt64},
      {"-922337203685477.5808", true, -MaxInt64 - 1},
      {"922337203685477.5808", false, 0},
      {"1e3", true, 10000000},
      {"12x", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Currency v;
    EXPECT_EQ(TryStrToCurr(c.text, v, NumTestSettings()), c.ok);
    if (c.ok) {
      EXPECT_EQ(v.Raw(), c.raw);
    }
  }
  EXPECT_EQ(ConvertErrorOf([] { StrToCurr("x"); }), "'x' is not a valid floating point value");
  EXPECT_EQ(StrToCurrDef("x", Currency(3)), Currency(3));
}

TEST(CurrencyText, Formatting)
{
  TFormatSettings s = NumTestSettings();
  EXPECT_EQ(CurrToStr(Currency::FromRaw(15000), s), "1.5");
  EXPECT_EQ(CurrToStr(Currency::FromRaw(-1), s), "-0.0001");
  EXPECT_EQ(CurrToStr(MaxCurrency, s), "922337203685477.5807");
  EXPECT_EQ(CurrToStr(MinCurrency, s), "-922337203685477.5808");
  EXPECT_EQ(CurrToStrF(Currency::FromRaw(12345678), ffNumber, 2, s), "1,234.57");
  EXPECT_EQ(CurrToStrF(Currency::FromRaw(-12345678), ffCurrency, 2, s), "$-1,234.57");
  EXPECT_EQ(CurrToStrF(MaxCurrency, ffFixed, 4, s), "922337203685477.5807");
  EXPECT_EQ(FormatCurr("#,##0.00", Currency::FromRaw(12345000), s), "1,234.50");
  EXPECT_EQ(FormatCurr("0.00", Currency::FromRaw(1250), s), "0.13");
}

TEST(BoolText, ConversionsTable)
{
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_EQ(BoolToStr(false, true), "False");
  struct Case {
    const char* text;
    bool ok, value;
  } cases[] = {
      {"0", true, false},   {"1", true, true},      {"-1", true, true},   {"42", true, true},
      {"true", true, true}, {"FALSE", true, false}, {"TrUe", true, true}, {"yes", false, false},
      {"", false, false},   {"1.5", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    bool v = !c.value;
    EXPECT_EQ(TryStrToBool(c.text, v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
  }
  EXPECT_EQ(ConvertErrorOf([] { StrToBool("yes"); }), "'yes' is not a valid boolean value");
  EXPECT_TRUE(StrToBoolDef("yes", true));
}

TEST(NumFormat, BooleanTextsComeFromTheBoolStrLists)
{
  const auto savedTrue = TrueBoolStrs;
  const auto savedFalse = FalseBoolStrs;
  TrueBoolStrs = {"Yes", "是"};
  FalseBoolStrs = {"No", "否"};
  EXPECT_EQ(BoolToStr(true, true), "Yes");
  EXPECT_EQ(BoolToStr(false, true), "No");
  EXPECT_EQ(BoolToStr(true), "-1"); // the numeric form does not change
  struct Case {
    const char* text;
    bool ok;
    bool value;
  } cases[] = {{"yes", true, true}, {"是", true, true},     {"NO", true, false},
               {"否", true, false}, {"True", false, false}, {"7", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    bool v = !c.value;
    EXPECT_EQ(TryStrToBool(c.text, v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
  }
  // Emptied lists fall back to "True" and "False".
  TrueBoolStrs.clear();
  FalseBoolStrs.clear();
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_FALSE(StrToBool("false"));
  TrueBoolStrs = savedTrue;
  FalseBoolStrs = savedFalse;
}

TEST(Format, ArgumentKindsOfEveryIntegerType)
{
  EXPECT_EQ(TVarRec(short(-3)).VType(), TVarRec::vtInteger);
  EXPECT_EQ(TVarRec(4294967295u).VType(), TVarRec::vtInt64);
  EXPECT_EQ(TVarRec('a').VType(), TVarRec::vtChar);
  EXPECT_EQ(TVarRec(true).VType(), TVarRec::vtBoolean);
  EXPECT_EQ(TVarRec(1.5f).VType(), TVarRec::vtExtended);
  int object = 0;
  EXPECT_EQ(TVarRec(&object).VType(), TVarRec::vtPointer);
  EXPECT_EQ(Format("%d", {4294967295u}), "4294967295");
  EXPECT_EQ(Format("%d", {-MaxInt64 - 1}), "-9223372036854775808");
  EXPECT_EQ(Format("%u", {~0ull}), "18446744073709551615");
  EXPECT_EQ(Format("%x", {Int64(-1)}), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("%d %d", {static_cast<unsigned char>(200), static_cast<signed char>(-5)}),
            "200 -5");
}
