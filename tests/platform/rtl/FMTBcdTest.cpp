#include "platform/rtl/FMTBcd.h"

#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/Variants.h"

namespace {

TEST(FMTBcdTest, TextRoundTripsToTheGeneralForm)
{
  struct Case {
    const char* Text;
    const char* Shown;
  } cases[] = {
      {"0", "0"},
      {"-0", "0"},
      {"1.50", "1.5"},
      {"  00012.3400 ", "12.34"},
      {"+7", "7"},
      {".5", "0.5"},
      {"-0.001", "-0.001"},
      {"123456789012345678901234567890.12345", "123456789012345678901234567890.12345"},
      {"1E3", "1000"},
      {"2.5e-3", "0.0025"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(BcdToStr(StrToBcd(c.Text)), c.Shown);
  }
}

TEST(FMTBcdTest, BadTextIsRefused)
{
  for (const char* text : {"", "abc", "1.2.3", "1e", "--1", "1,5",
                           "12345678901234567890123456789012345678901234567890123456789012345"}) {
    SCOPED_TRACE(text);
    TBcd bcd;
    EXPECT_FALSE(TryStrToBcd(text, bcd));
  }
  try {
    StrToBcd("x1");
    FAIL() << "no error";
  } catch (const EBcdException& e) {
    EXPECT_EQ(e.Message(), "'x1' is not a valid BCD value");
  }
}

TEST(FMTBcdTest, RecordLayoutHoldsDigitsAsNibbles)
{
  TBcd bcd = StrToBcd("-12.345");
  EXPECT_EQ(bcd.Precision, 5);
  EXPECT_EQ(bcd.SignSpecialPlaces, 0x83);
  EXPECT_EQ(bcd.Fraction[0], 0x12);
  EXPECT_EQ(bcd.Fraction[1], 0x34);
  EXPECT_EQ(bcd.Fraction[2], 0x50);
}

TEST(FMTBcdTest, NumbersAndCurrency)
{
  EXPECT_EQ(BcdToStr(DoubleToBcd(0.1)), "0.1");
  EXPECT_EQ(BcdToStr(DoubleToBcd(1e20)), "100000000000000000000");
  EXPECT_EQ(BcdToStr(DoubleToBcd(-1e-5)), "-0.00001");
  EXPECT_DOUBLE_EQ(BcdToDouble(StrToBcd("1234.5")), 1234.5);
  EXPECT_THROW(DoubleToBcd(std::numeric_limits<double>::quiet_NaN()), EBcdException);

  EXPECT_EQ(BcdToStr(CurrToBcd(Currency::FromRaw(-12345))), "-1.2345");
  EXPECT_EQ(BcdToCurr(StrToBcd("1.23455")).Raw(), 12346); // half to even: up to the even 6
  EXPECT_EQ(BcdToCurr(StrToBcd("1.23465")).Raw(), 12346); // half to even: stays on 6
  EXPECT_EQ(BcdToCurr(StrToBcd("1.234651")).Raw(), 12347);
  EXPECT_EQ(BcdToCurr(StrToBcd("-922337203685477.5808")).Raw(), MinCurrency.Raw());
  EXPECT_THROW(BcdToCurr(StrToBcd("922337203685477.5808")), EBcdException);
  EXPECT_EQ(BcdToStr(IntegerToBcd(std::numeric_limits<Int64>::min())), "-9223372036854775808");
}

TEST(FMTBcdTest, CompareByValue)
{
  struct Case {
    const char* A;
    const char* B;
    Integer Expected;
  } cases[] = {
      {"1", "1.0", 0},    {"-0", "0", 0},
      {"0.5", "0.25", 1}, {"-2", "-10", 1},
      {"10", "9.99", 1},  {"0.001", "0.01", -1},
      {"-0.5", "0", -1},  {"123456789012345678901", "123456789012345678902", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.A) + " vs " + c.B);
    EXPECT_EQ(BcdCompare(StrToBcd(c.A), StrToBcd(c.B)), c.Expected);
    EXPECT_EQ(BcdCompare(StrToBcd(c.B), StrToBcd(c.A)), -c.Expected);
  }
}

TEST(FMTBcdTest, VariantKind)
{
  Variant v = VarFMTBcdCreate("12345678901234567890.5");
  EXPECT_EQ(VarType(v), varFMTBcd);
  EXPECT_EQ(VarType(v), VarFMTBcd());
  EXPECT_TRUE(VarIsFMTBcd(v));
  EXPECT_EQ(VarTypeAsText(VarType(v)), "FMTBcd");
  EXPECT_EQ(VarToStr(v), "12345678901234567890.5"); // exact digits, not a double's
  Variant copy = v;
  EXPECT_EQ(BcdCompare(VarToBcd(copy), VarToBcd(v)), 0);

  Variant small = VarFMTBcdCreate("2.5");
  EXPECT_DOUBLE_EQ(small.AsDouble(), 2.5);
  EXPECT_EQ(small.AsCurrency().Raw(), 25000);
  EXPECT_EQ(small.AsInteger(), 2); // half to even
  EXPECT_EQ(VarType(small + Variant(1)), varDouble);
  EXPECT_DOUBLE_EQ((small + Variant(1)).AsDouble(), 3.5);

  EXPECT_TRUE(VarFMTBcdCreate("12345678901234567890.1") <
              VarFMTBcdCreate("12345678901234567890.2"));
  EXPECT_TRUE(small == Variant(2.5));
  EXPECT_TRUE(small > Variant(2));
  EXPECT_TRUE(Null() < small);

  EXPECT_EQ(VarToStr(VarAsType(Variant("3.25"), varFMTBcd)), "3.25");
  EXPECT_EQ(VarType(VarAsType(Variant(Currency::FromRaw(15000)), varFMTBcd)), varFMTBcd);
  EXPECT_EQ(VarToStr(VarAsType(Variant(7), varFMTBcd)), "7");
  EXPECT_THROW(VarAsType(Variant("x"), varFMTBcd), EVariantTypeCastError);
  EXPECT_THROW(VarToBcd(Null()), EVariantTypeCastError);
}

TEST(SqlTimStTest, RecordAndDateTime)
{
  TDateTime dt = EncodeDateTime(2024, 1, 15, 9, 30, 5, 250);
  TSQLTimeStamp ts = DateTimeToSQLTimeStamp(dt);
  EXPECT_EQ(ts.Year, 2024);
  EXPECT_EQ(ts.Month, 1);
  EXPECT_EQ(ts.Day, 15);
  EXPECT_EQ(ts.Hour, 9);
  EXPECT_EQ(ts.Minute, 30);
  EXPECT_EQ(ts.Second, 5);
  EXPECT_EQ(ts.Fractions, 250u);
  EXPECT_DOUBLE_EQ(SQLTimeStampToDateTime(ts), dt);
  EXPECT_EQ(SQLTimeStampToDateTime(NullSQLTimeStamp), 0);

  TSQLTimeStamp later = ts;
  later.Fractions = 251;
  EXPECT_EQ(SQLTimeStampCompare(ts, later), -1);
  later = ts;
  later.Year = 2023;
  later.Month = 12;
  EXPECT_EQ(SQLTimeStampCompare(ts, later), 1);
  EXPECT_EQ(SQLTimeStampCompare(ts, ts), 0);

  TSQLTimeStamp bad = ts;
  bad.Month = 13;
  EXPECT_THROW(SQLTimeStampToDateTime(bad), EConvertError);
}

TEST(SqlTimStTest, VariantKind)
{
  TFormatSettings saved = FormatSettings;
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  TDateTime dt = EncodeDateTime(2024, 1, 15, 9, 30, 0, 0);
  Variant v = VarSQLTimeStampCreate(dt);
  EXPECT_EQ(VarType(v), varSQLTimeStamp);
  EXPECT_EQ(VarTypeAsText(VarType(v)), "SQLTimeStamp");
  EXPECT_DOUBLE_EQ(v.AsDateTime(), dt);
  EXPECT_EQ(VarToStr(v), "2024-01-15 09:30:00");
  EXPECT_TRUE(v == VarFromDateTime(dt));
  EXPECT_TRUE(v < VarFromDateTime(dt + 1));
  EXPECT_EQ(VarType(VarAsType(VarFromDateTime(dt), varSQLTimeStamp)), varSQLTimeStamp);
  EXPECT_THROW(VarAsType(Null(), varSQLTimeStamp), EVariantTypeCastError);

  TSQLTimeStamp bad = DateTimeToSQLTimeStamp(dt);
  bad.Day = 40;
  EXPECT_THROW(VarSQLTimeStampCreate(bad).AsDateTime(), EVariantTypeCastError);
  FormatSettings = saved;
}

} // namespace
