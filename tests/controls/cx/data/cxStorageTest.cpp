#include "controls/cx/data/cxStorage.h"

#include <gtest/gtest.h>

#include "tests/controls/cx/data/support/TestSupport.h"

using cxtest::ErrorOf;

namespace {

const std::vector<AnsiString> OptionNames = {"fcoCaseInsensitive", "fcoShowOperatorDescription",
                                             "fcoSoftNull", "fcoSoftCompare"};

TEST(cxStorageTest, HexTexts)
{
  EXPECT_EQ(EncodeHexText("abc"), "616263");
  EXPECT_EQ(EncodeHexText(AnsiString("\x00\xFF", 2)), "00FF");
  EXPECT_EQ(EncodeHexText(""), "");
  EXPECT_EQ(DecodeHexText("616263"), "abc");
  EXPECT_EQ(DecodeHexText("6a6B"), "jk");
  EXPECT_EQ(DecodeHexText("616"), "a");
  EXPECT_EQ(DecodeHexText(EncodeHexText(AnsiString("\x00\x81\x79", 3))),
            AnsiString("\x00\x81\x79", 3));
  EXPECT_EQ(ErrorOf([] { DecodeHexText("6G"); }), "EcxHexStringConvertError: ");
  EXPECT_EQ(ErrorOf([] { DecodeHexText("61 2"); }), "EcxHexStringConvertError: ");
}

TEST(cxStorageTest, BooleanWords)
{
  EXPECT_TRUE(PropertyTextToBoolean("true"));
  EXPECT_TRUE(PropertyTextToBoolean("True"));
  EXPECT_TRUE(PropertyTextToBoolean("TRUE"));
  EXPECT_FALSE(PropertyTextToBoolean("fAlSe"));
  EXPECT_EQ(ErrorOf([] { PropertyTextToBoolean("yes"); }), "EPropertyConvertError: ");
  EXPECT_EQ(ErrorOf([] { PropertyTextToBoolean(" true"); }), "EPropertyConvertError: ");
}

TEST(cxStorageTest, SetTexts)
{
  Byte set = 0x05; // fcoCaseInsensitive, fcoSoftNull
  EXPECT_EQ(SetToPropertyText(&set, 1, OptionNames), "[fcoCaseInsensitive,fcoSoftNull]");
  Byte none = 0;
  EXPECT_EQ(SetToPropertyText(&none, 1, OptionNames), "[]");
  Byte beyond = 0x10;
  EXPECT_EQ(ErrorOf([&] { SetToPropertyText(&beyond, 1, OptionNames); }),
            "EPropertyConvertError: ");

  struct Case {
    const char* Text;
    Byte Bits;
  } cases[] = {
      {"[fcoCaseInsensitive,fcoSoftNull]", 0x05},
      {"[FCOSOFTNULL,fcocaseinsensitive]", 0x05},
      {"[fcoCaseInsensitive, fcoSoftNull]", 0x01}, // the blank makes the piece unknown
      {"[]", 0x00},
      {"[unknown]", 0x00},
      {"[,fcoSoftCompare,]", 0x08},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    Byte bits = 0xFF; // every bit is replaced
    PropertyTextToSet(c.Text, &bits, 1, OptionNames);
    EXPECT_EQ(bits, c.Bits);
  }
  for (const char* bad : {"fcoCaseInsensitive", "", "[", "]", "[fcoSoftNull"}) {
    SCOPED_TRACE(bad);
    Byte bits = 0;
    EXPECT_EQ(ErrorOf([&] { PropertyTextToSet(bad, &bits, 1, OptionNames); }),
              "EPropertyConvertError: ");
  }
}

TEST(cxStorageTest, WiderSetsUseTheirBytesLittleEndian)
{
  std::vector<AnsiString> names;
  for (int i = 0; i < 20; ++i)
    names.push_back("e" + std::to_string(i));
  Byte set[4] = {0x00, 0x01, 0x08, 0x00};
  EXPECT_EQ(SetToPropertyText(set, 3, names), "[e8,e19]");
  Byte back[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  PropertyTextToSet("[e19,e8]", back, 3, names);
  EXPECT_EQ(back[0], 0x00);
  EXPECT_EQ(back[1], 0x01);
  EXPECT_EQ(back[2], 0x08);
  EXPECT_EQ(back[3], 0xAA); // beyond ASize: untouched
}

} // namespace
