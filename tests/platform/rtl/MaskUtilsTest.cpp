// Edit masks: classification of mask characters, the suffix, offsets and text layout.
#include "platform/rtl/MaskUtils.h"

#include <gtest/gtest.h>

namespace {

TFormatSettings MaskTestSettings()
{
  TFormatSettings s = DefaultFormatSettings();
  s.DateSeparator = '-';
  s.TimeSeparator = '.';
  return s;
}

} // namespace

TEST(MaskParse, CharTypesOfADateMask)
{
  const AnsiString mask = "!99/99/0000;1;_";
  const TMaskCharType expected[] = {mcDirective, mcMaskOpt,        mcMaskOpt,     mcIntlLiteral,
                                    mcMaskOpt,   mcMaskOpt,        mcIntlLiteral, mcMask,
                                    mcMask,      mcMask,           mcMask,        mcFieldSeparator,
                                    mcField,     mcFieldSeparator, mcField};
  for (Integer i = 1; i <= 15; ++i)
    EXPECT_EQ(MaskGetCharType(mask, i), expected[i - 1]) << i;
  EXPECT_EQ(MaskGetCharType(mask, 0), mcNone);
  EXPECT_EQ(MaskGetCharType(mask, 16), mcNone);
  EXPECT_EQ(MaskGetCharType("LlAaCc#x :", 1), mcMask);
  const AnsiString all = "LlAaCc0#9x :<>\\";
  const TMaskCharType types[] = {mcMask,    mcMaskOpt,     mcMask,      mcMaskOpt,   mcMask,
                                 mcMaskOpt, mcMask,        mcMaskOpt,   mcMaskOpt,   mcLiteral,
                                 mcLiteral, mcIntlLiteral, mcDirective, mcDirective, mcDirective};
  for (Integer i = 1; i <= static_cast<Integer>(all.size()); ++i)
    EXPECT_EQ(MaskGetCharType(all, i), types[i - 1]) << i;
}

TEST(MaskParse, SuffixTable)
{
  struct Case {
    const char* mask;
    Integer separator;
    bool save;
    char blank;
  } cases[] = {
      {"!99/99/0000;1;_", 12, true, '_'},
      {"(999)000-0000;0;*", 14, false, '*'},
      {"(999);0", 6, false, '_'},
      {"(999);1", 6, true, '_'},
      {"(999)", -1, true, '_'},
      {"99;0; ", 3, false, ' '},
      {"9;x;_", 2, true, '_'},   // any flag but '0' saves literals
      {"99\\;0", -1, true, '_'}, // an escaped ';' is a literal
      {"99;", -1, true, '_'},
      {"", -1, true, '_'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(MaskGetFldSeparator(c.mask), c.separator);
    EXPECT_EQ(MaskGetMaskSave(c.mask), c.save);
    EXPECT_EQ(MaskGetMaskBlank(c.mask), c.blank);
  }
}

TEST(MaskParse, EscapesAndDirectives)
{
  EXPECT_EQ(MaskGetCharType("\\L0", 1), mcDirective);
  EXPECT_EQ(MaskGetCharType("\\L0", 2), mcLiteral);
  EXPECT_EQ(MaskGetCharType("\\L0", 3), mcMask);
  EXPECT_TRUE(MaskGetCurrentDirectives("\\L0", 2).Contains(mdLiteralChar));
  EXPECT_EQ(MaskGetCharType("\\\\0", 2), mcLiteral); // an escaped backslash
  EXPECT_EQ(MaskGetCharType("\\\\0", 3), mcMask);

  EXPECT_EQ(MaskGetCurrentDirectives(">LL<ll", 2), TMaskDirectives{mdUpperCase});
  EXPECT_EQ(MaskGetCurrentDirectives(">LL<ll", 5), TMaskDirectives{mdLowerCase});
  EXPECT_EQ(MaskGetCurrentDirectives(">L<>l", 5), TMaskDirectives{});
  EXPECT_EQ(MaskGetCurrentDirectives("!99", 2), TMaskDirectives{mdReverseDir});
}

TEST(MaskParse, DoubleByteCharactersAreTwoLiterals)
{
  // 0x81 0x5C has '\' as trail byte, 0x81 0x61 has 'a', 0xB0 0x5F '_': none of them is a
  // directive or a mask character.
  const AnsiString mask = "\x81\x5C"
                          "0\x81\x61"
                          "9\xB0\x5F";
  const TMaskCharType expected[] = {mcLiteral, mcLiteral, mcMask,    mcLiteral,
                                    mcLiteral, mcMaskOpt, mcLiteral, mcLiteral};
  for (Integer i = 1; i <= 8; ++i)
    EXPECT_EQ(MaskGetCharType(mask, i), expected[i - 1]) << i;
  EXPECT_EQ(MaskDoFormatText(mask, "12", '_'), "\x81\x5C"
                                               "1\x81\x61"
                                               "2\xB0\x5F");
  EXPECT_EQ(MaskOffsetToOffset(mask, 8), 8);
  EXPECT_TRUE(IsLiteralChar(mask, 0));
  EXPECT_TRUE(IsLiteralChar(mask, 1));
  EXPECT_FALSE(IsLiteralChar(mask, 2));
}

TEST(MaskOffsets, TextAndMaskPositions)
{
  const AnsiString mask = "!99/99;1;_";
  EXPECT_EQ(MaskOffsetToOffset(mask, 1), 0); // the directive takes no position
  EXPECT_EQ(MaskOffsetToOffset(mask, 4), 3);
  EXPECT_EQ(MaskOffsetToOffset(mask, 10), 5); // the suffix takes none either
  EXPECT_EQ(OffsetToMaskOffset(mask, 0), 2);
  EXPECT_EQ(OffsetToMaskOffset(mask, 2), 4);
  EXPECT_EQ(OffsetToMaskOffset(mask, 4), 6);
  EXPECT_EQ(OffsetToMaskOffset(mask, 5), -1);
  EXPECT_EQ(OffsetToMaskOffset(mask, -1), -1);
  EXPECT_TRUE(IsLiteralChar(mask, 2));
  EXPECT_FALSE(IsLiteralChar(mask, 0));
  EXPECT_FALSE(IsLiteralChar(mask, 5));
}

TEST(MaskChars, ValidityAndCase)
{
  struct Case {
    const char* mask;
    Integer offset;
    char in;
    bool ok;
    char out;
  } cases[] = {
      {"L", 1, 'a', true, 'a'},  {">L", 2, 'a', true, 'A'},      {"<l", 2, 'Q', true, 'q'},
      {"L", 1, '1', false, '1'}, {"A", 1, '7', true, '7'},       {"a", 1, '-', false, '-'},
      {"0", 1, 'x', false, 'x'}, {"9", 1, '5', true, '5'},       {"#", 1, '-', true, '-'},
      {"#", 1, '+', true, '+'},  {"C", 1, '\xB0', true, '\xB0'}, {"L", 1, '\xB0', false, '\xB0'},
      {"(", 1, '(', true, '('},  {"(", 1, 'x', false, 'x'},      {"/", 1, '-', true, '-'},
      {"!", 1, 'x', false, 'x'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mask << " " << c.in);
    char ch = c.in;
    EXPECT_EQ(MaskCharIsValid(c.mask, c.offset, ch, MaskTestSettings()), c.ok);
    EXPECT_EQ(ch, c.out);
  }
}

TEST(MaskFormat, DoFormatTextTable)
{
  struct Case {
    const char* mask;
    const char* value;
    const char* expected;
  } cases[] = {
      {"(999)000-0000", "5551234567", "(555)123-4567"},
      {"(999)000-0000", "555", "(555)___-____"},
      {"!999", "12", "_12"},
      {"!(999)", "12", "(_12)"},
      {"99/99/0000", "12312024", "12-31-2024"}, // the settings' date separator
      {"00:00", "1230", "12.30"},               // and time separator
      {"99\\;0", "12", "12;_"},
      {"CC-C", "\xD4\xCBx", "\xD4\xCB-x"}, // a double-byte character fills two positions
      {"C-CC", "\xD4\xCB", "_-__"},        // no room for both bytes: dropped
      {">LL", "ab", "ab"},                 // the value is laid out, not converted
      {"", "abc", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(MaskDoFormatText(c.mask, c.value, '_', MaskTestSettings()), c.expected);
  }
}

TEST(MaskFormat, FormatMaskTextTable)
{
  struct Case {
    const char* mask;
    const char* value;
    const char* expected;
  } cases[] = {
      {"(999)000-0000;0;_", "5551234567", "(555)123-4567"},
      {"(999)000-0000;0;_", "12", "(12 )   -    "}, // blanks show as spaces
      {"(999)000-0000;1;_", "(555)123-4567", "(555)123-4567"},
      {"(999)000-0000;1;_", "5551234567", "(555)123-4567"}, // missing literals are supplied
      {"99/99/0000;1;_", "1-2-2024", "1 -2 -2024"},
      {"!99/99/0000;1;_", "1-2-2024", " 1- 2-2024"},
      {"!99/99/0000;1;_", "123-4-2024", "12- 4-2024"}, // a long field is cut
      {"000", "12345", "123"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(FormatMaskText(c.mask, c.value, MaskTestSettings()), c.expected);
  }
  EXPECT_EQ(MaskIntlLiteralToChar('/', MaskTestSettings()), '-');
  EXPECT_EQ(MaskIntlLiteralToChar(':', MaskTestSettings()), '.');
  EXPECT_EQ(MaskIntlLiteralToChar('x', MaskTestSettings()), 'x');
}
