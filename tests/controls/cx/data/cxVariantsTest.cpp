#include "controls/cx/data/cxVariants.h"

#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FMTBcd.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using cxtest::BytesOf;
using cxtest::ErrorOf;
using cxtest::HexOf;

namespace {

std::string Written(const Variant& v)
{
  TMemoryStream stream;
  WriteStreamVariant(&stream, v);
  return HexOf(stream);
}

Variant ReadBack(const std::string& hex)
{
  TReadOnlyMemoryStream stream(BytesOf(hex));
  return ReadStreamVariantValue(&stream);
}

Variant Arr(std::initializer_list<Variant> items)
{
  return VarArrayOf(std::vector<Variant>(items));
}

const std::string ReadErr = "EReadError: Stream read error";
const std::string WriteErr = "EWriteError: Stream write error";

TEST(cxVariantsTest, StreamEncodingByteTable)
{
  struct Case {
    const char* Name;
    Variant Value;
    std::string Bytes;
  } cases[] = {
      {"Null", Null(), "00"},
      {"Empty", Variant(), "0D"},
      {"True", Variant(true), "09"},
      {"False", Variant(false), "08"},
      {"Integer 100", Variant(100), "02 64"},
      {"Integer -128", Variant(-128), "02 80"},
      {"Integer 128", Variant(128), "03 80 00"},
      {"Integer -129", Variant(-129), "03 7F FF"},
      {"Integer 32768", Variant(32768), "04 00 80 00 00"},
      {"Integer 40000", Variant(40000), "04 40 9C 00 00"},
      {"Byte 200", Variant(Byte(200)), "03 C8 00"},
      {"Smallint -3", Variant(SmallInt(-3)), "02 FD"},
      {"Single 1", Variant(1.0f), "0F 00 00 80 3F"},
      {"Double 1", Variant(1.0), "05 00 00 00 00 00 00 00 80 FF 3F"},
      {"Double 1234.5", Variant(1234.5), "05 00 00 00 00 00 00 50 9A 09 40"},
      {"Double -2.5", Variant(-2.5), "05 00 00 00 00 00 00 00 A0 00 C0"},
      {"Double 0.1", Variant(0.1), "05 00 D0 CC CC CC CC CC CC FB 3F"},
      {"Currency 1.5", Variant(Currency::FromRaw(15000)), "10 98 3A 00 00 00 00 00 00"},
      {"Date 2000-01-01", VarFromDateTime(36526.0), "11 00 00 00 00 C0 D5 E1 40"},
      {"Date 2024-01-15", VarFromDateTime(45306.0), "11 00 00 00 00 40 1F E6 40"},
      {"wide ab", Variant(WideString(u"ab")), "12 02 00 00 00 61 00 62 00"},
      {"abc", Variant("abc"), "06 03 61 62 63"},
      {"Int64 as text", Variant(Int64(5000000000)), "06 0A 35 30 30 30 30 30 30 30 30 30"},
      {"Word as text", Variant(Word(7)), "06 01 37"},
      {"BCD as text", VarFMTBcdCreate("1.25"), "06 04 31 2E 32 35"},
      {"array", Arr({1, "a"}), "01 02 02 02 01 06 01 61"},
      {"empty array", VarArrayCreate({0, -1}, varVariant), "01 02 00"},
      {"nested array", Arr({Arr({1}), 2}), "01 02 02 01 02 01 02 01 02 02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Written(c.Value), c.Bytes);
  }
}

TEST(cxVariantsTest, LongTextsSwitchToTheFourByteLength)
{
  EXPECT_EQ(Written(Variant(AnsiString(255, 'x'))).substr(0, 5), "06 FF");
  EXPECT_EQ(Written(Variant(AnsiString(256, 'x'))).substr(0, 14), "0C 00 01 00 00");
  EXPECT_EQ(ReadBack(Written(Variant(AnsiString(256, 'x')))).AsString(), AnsiString(256, 'x'));
}

TEST(cxVariantsTest, ReadingGivesTheStreamKinds)
{
  struct Case {
    const char* Bytes;
    TVarType Type;
    const char* Text;
  } cases[] = {
      {"02 80", varShortInt, "-128"},
      {"03 7F FF", varSmallint, "-129"},
      {"04 40 9C 00 00", varInteger, "40000"},
      {"05 00 D0 CC CC CC CC CC CC FB 3F", varDouble, "0.1"},
      {"06 0A 35 30 30 30 30 30 30 30 30 30", varString, "5000000000"},
      {"0C 02 00 00 00 68 69", varString, "hi"},
      {"08", varBoolean, "False"},
      {"0D", varEmpty, ""},
      {"00", varNull, ""},
      {"0F 00 00 80 3F", varSingle, "1"},
      {"10 98 3A 00 00 00 00 00 00", varCurrency, "1.5"},
      {"12 02 00 00 00 61 00 62 00", varOleStr, "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Bytes);
    Variant v = ReadBack(c.Bytes);
    EXPECT_EQ(VarType(v), c.Type);
    EXPECT_EQ(VarToStr(v), c.Text);
  }
  EXPECT_EQ(ReadBack("05 00 D0 CC CC CC CC CC CC FB 3F").AsDouble(), 0.1);
  EXPECT_EQ(ReadBack("11 00 00 00 00 40 1F E6 40").AsDateTime(), 45306.0);

  Variant nested = ReadBack("01 02 02 01 02 01 02 01 02 02");
  ASSERT_TRUE(VarIsArray(nested));
  EXPECT_EQ(VarArrayHighBound(nested, 1), 1);
  EXPECT_TRUE(VarIsArray(VarArrayGet(nested, {0})));
  EXPECT_EQ(VarArrayGet(nested, {1}).AsInteger(), 2);
  Variant empty = ReadBack("01 02 00");
  EXPECT_TRUE(VarIsArray(empty));
  EXPECT_EQ(VarArrayLowBound(empty, 1), 0);
  EXPECT_EQ(VarArrayHighBound(empty, 1), -1);
}

TEST(cxVariantsTest, BadStreamsRaiseTheStreamErrors)
{
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"code 7", "07"},
      {"code 10", "0A"},
      {"code 11", "0B"},
      {"code 14", "0E"},
      {"code 19", "13"},
      {"code 255", "FF"},
      {"nothing", ""},
      {"cut integer", "04 01 02"},
      {"cut extended", "05 00 00"},
      {"text longer than the stream", "06 05 61 62"},
      {"negative long text", "0C FF FF FF FF"},
      {"huge array", "01 04 FF FF FF 7F"},
      {"negative array", "01 02 FF 00"},
      {"cut wide text", "12 03 00 00 00 61 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ErrorOf([&] { ReadBack(c.Bytes); }), ReadErr);
  }
  // Arrays nested deeper than the limit fail instead of exhausting the stack.
  std::string deep;
  for (int i = 0; i < 10000; ++i)
    deep += "01 02 01 ";
  deep += "00";
  EXPECT_EQ(ErrorOf([&] { ReadBack(deep); }), ReadErr);
}

TEST(cxVariantsTest, WriterRefusals)
{
  Variant twoD = VarArrayCreate({0, 1, 0, 1}, varVariant);
  EXPECT_EQ(ErrorOf([&] { Written(twoD); }), WriteErr);
  EXPECT_EQ(ErrorOf([&] { Written(VarAsError(5)); }), WriteErr);
}

TEST(cxVariantsTest, CompareTable)
{
  struct Case {
    const char* Name;
    Variant A, B;
    Integer Sign;
  } cases[] = {
      {"Null Null", Null(), Null(), 0},
      {"Null 5", Null(), 5, -1},
      {"5 Null", 5, Null(), 1},
      {"x 5", "x", 5, -1},
      {"5 x", 5, "x", -1},
      {"[1,2] [1,2,3]", Arr({1, 2}), Arr({1, 2, 3}), -1},
      {"[1,3] [1,2]", Arr({1, 3}), Arr({1, 2}), 1},
      {"[1,2] [1,2]", Arr({1, 2}), Arr({1, 2}), 0},
      {"array scalar", Arr({1}), 1, 1},
      {"scalar array", 1, Arr({1}), -1},
      {"[] []", VarArrayCreate({0, -1}, varVariant), VarArrayCreate({0, -1}, varVariant), 0},
      {"[Null] [1]", Arr({Null()}), Arr({1}), -1},
      {"2 10", 2, 10, -1},
      {"abc abd", "abc", "abd", -1},
      {"Currency Double", Variant(Currency::FromRaw(15000)), 1.5, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Integer r = VariantCompare(c.A, c.B);
    EXPECT_EQ(r < 0 ? -1 : r > 0 ? 1 : 0, c.Sign);
  }
  // The difference of the high bounds is returned as it is.
  EXPECT_EQ(VariantArrayCompare(Arr({1}), Arr({1, 2, 3})), -2);
}

TEST(cxVariantsTest, EqualsAndTests)
{
  EXPECT_TRUE(VariantEquals(Null(), Null()));
  EXPECT_FALSE(VariantEquals(Null(), false));
  EXPECT_FALSE(VariantEquals(true, 1));
  EXPECT_FALSE(VariantEquals(true, -1));
  EXPECT_TRUE(VariantEquals(true, "True"));
  EXPECT_FALSE(VariantEquals(true, "true"));
  EXPECT_TRUE(VariantEquals(false, false));
  EXPECT_TRUE(VariantEquals(2, 2.0));
  EXPECT_FALSE(VariantEquals("x", 2));

  EXPECT_TRUE(IsSoftNullVariant(Null()));
  EXPECT_TRUE(IsSoftNullVariant(""));
  EXPECT_TRUE(IsSoftNullVariant(WideString()));
  EXPECT_FALSE(IsSoftNullVariant(" "));
  EXPECT_FALSE(IsSoftNullVariant(0));
  EXPECT_FALSE(IsSoftNullVariant(Variant()));

  EXPECT_TRUE(IsDateVariant(VarFromDateTime(1)));
  EXPECT_TRUE(IsDateVarType(varSQLTimeStamp));
  EXPECT_FALSE(IsDateVariant(1.0));
  EXPECT_TRUE(IsNumericVariant(VarFMTBcdCreate("1")));
  EXPECT_TRUE(IsNumericVariant(Variant(true)));
  EXPECT_FALSE(IsNumericVariant("1"));
}

TEST(cxVariantsTest, ArrayHelpers)
{
  Variant pair = CreateVariantPair(1, "b");
  EXPECT_EQ(VarArrayLowBound(pair, 1), 0);
  EXPECT_EQ(VarArrayHighBound(pair, 1), 1);
  EXPECT_EQ(VarToStr(VarArrayGet(pair, {1})), "b");

  Variant list = CreateSingleVariantArray(7);
  AppendVariantArrayElement(list, 8);
  AppendVariantArrayElement(list, Null());
  ASSERT_EQ(VarArrayHighBound(list, 1), 2);
  EXPECT_EQ(VarArrayGet(list, {0}).AsInteger(), 7);
  EXPECT_EQ(VarArrayGet(list, {1}).AsInteger(), 8);
  EXPECT_TRUE(VarIsNull(VarArrayGet(list, {2})));

  // A source with another low bound is rebased to 0.
  Variant shifted = VarArrayCreate({5, 6}, varVariant);
  VarArrayPut(shifted, 1, {5});
  VarArrayPut(shifted, 2, {6});
  AppendVariantArrayElement(shifted, 3);
  EXPECT_EQ(VarArrayLowBound(shifted, 1), 0);
  EXPECT_EQ(VarArrayGet(shifted, {2}).AsInteger(), 3);
}

TEST(cxVariantsTest, TypedHelpersRoundTrip)
{
  TMemoryStream s;
  WriteStreamString(&s, "ab");
  WriteStreamWideString(&s, u"z");
  WriteStreamBoolean(&s, true);
  WriteStreamSmallint(&s, -2);
  WriteStreamWord(&s, 65535);
  WriteStreamInteger(&s, -3);
  WriteStreamLargeInt(&s, 4294967296LL);
  WriteStreamCurrency(&s, Currency::FromRaw(-15000));
  WriteStreamDateTime(&s, 45306.5);
  WriteStreamFloat(&s, 1.0);
  EXPECT_EQ(HexOf(s), "02 00 00 00 61 62 01 00 00 00 7A 00 01 FE FF FF FF FD FF FF FF 00 00 00 "
                      "00 01 00 00 00 68 C5 FF FF FF FF FF FF 00 00 00 00 50 1F E6 40 00 00 00 "
                      "00 00 00 00 80 FF 3F");
  s.SetPosition(0);
  EXPECT_EQ(ReadStreamStringValue(&s), "ab");
  EXPECT_EQ(ReadStreamWideStringValue(&s), u"z");
  EXPECT_TRUE(ReadStreamBooleanValue(&s));
  EXPECT_EQ(ReadStreamSmallintValue(&s), -2);
  EXPECT_EQ(ReadStreamWordValue(&s), 65535);
  EXPECT_EQ(ReadStreamIntegerValue(&s), -3);
  EXPECT_EQ(ReadStreamLargeIntValue(&s), 4294967296LL);
  EXPECT_EQ(ReadStreamCurrencyValue(&s).Raw(), -15000);
  EXPECT_EQ(ReadStreamDateTimeValue(&s), 45306.5);

  TReadOnlyMemoryStream bool2(BytesOf("02"));
  EXPECT_TRUE(ReadStreamBooleanValue(&bool2)); // any non-zero byte
  TReadOnlyMemoryStream shortText(BytesOf("05 00 00 00 61"));
  EXPECT_EQ(ErrorOf([&] { ReadStreamStringValue(&shortText); }), ReadErr);
}

} // namespace
