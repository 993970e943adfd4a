// String functions over GBK text. Narrow literals are GBK: "乤" is 81 61, "丩" 81 4C,
// "乗" 81 5C, "癬" B0 5F, "亅" 81 7C: trail bytes that look like ASCII letters or like
// '\', '_' and '|' must never be taken for them.
#include "platform/rtl/AnsiStrings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(AnsiStrings, ByteCountingBasics)
{
  const AnsiString s = "ab乤cd"; // 6 bytes
  EXPECT_EQ(Length(s), 6);
  struct Case {
    Integer index, count;
    const char* expected;
  } copies[] = {
      {1, 2, "ab"}, {3, 2, "乤"}, {0, 2, "ab"}, {-5, 1, "a"}, {5, 100, "cd"},
      {6, 1, "d"},  {7, 1, ""},   {2, 0, ""},   {2, -1, ""},
  };
  for (const Case& c : copies) {
    SCOPED_TRACE(testing::Message() << "Copy " << c.index << "," << c.count);
    EXPECT_EQ(Copy(s, c.index, c.count), c.expected);
  }

  EXPECT_EQ(Pos("cd", s), 5);
  EXPECT_EQ(Pos("a", s), 1);
  EXPECT_EQ(Pos("", s), 0);
  EXPECT_EQ(Pos("x", s), 0);
  EXPECT_EQ(Pos("abc", "ab"), 0);
  EXPECT_EQ(PosEx("a", "aXa", 2), 3);
  EXPECT_EQ(PosEx("a", "aXa", 4), 0);

  AnsiString d = "abcdef";
  Delete(d, 2, 2);
  EXPECT_EQ(d, "adef");
  Delete(d, 3, 100);
  EXPECT_EQ(d, "ad");
  Delete(d, 0, 1);
  Delete(d, 3, 1);
  EXPECT_EQ(d, "ad");

  AnsiString i = "ad";
  Insert("bc", i, 2);
  EXPECT_EQ(i, "abcd");
  Insert("<", i, -3);
  Insert(">", i, 99);
  EXPECT_EQ(i, "<abcd>");

  AnsiString l = "abc";
  SetLength(l, 1);
  EXPECT_EQ(l, "a");
  SetLength(l, 3);
  EXPECT_EQ(l, AnsiString("a\0\0", 3));

  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('-', -1), "");
  EXPECT_EQ(DupeString("ab", 3), "ababab");
  EXPECT_EQ(LeftStr("abc", 2), "ab");
  EXPECT_EQ(RightStr("abc", 2), "bc");
  EXPECT_EQ(RightStr("abc", 9), "abc");
}

TEST(AnsiStrings, ByteTypeFollowsCharacterBoundaries)
{
  // a 乤 乤 b 亅 and a lone lead byte at the end.
  const AnsiString s = "a乤乤b亅\xB0";
  const TMbcsByteType expected[] = {mbSingleByte, mbLeadByte, mbTrailByte, mbLeadByte, mbTrailByte,
                                    mbSingleByte, mbLeadByte, mbTrailByte, mbLeadByte};
  ASSERT_EQ(Length(s), 9);
  for (Integer i = 1; i <= 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ByteType(s, i), expected[i - 1]);
  }
  EXPECT_EQ(ByteType(s, 0), mbSingleByte);
  EXPECT_EQ(ByteType(s, 10), mbSingleByte);

  // A run of lead-range bytes pairs up from its start: 癬 = B0 5F, then 宋体 = CB CE CC E5.
  const AnsiString run = "癬宋体";
  EXPECT_EQ(ByteType(run, 2), mbTrailByte);
  EXPECT_EQ(ByteType(run, 3), mbLeadByte);
  EXPECT_EQ(ByteType(run, 4), mbTrailByte);
  EXPECT_EQ(ByteType(run, 5), mbLeadByte);
  EXPECT_EQ(ByteType(run, 6), mbTrailByte);
  EXPECT_TRUE(IsDBCSLeadByte('\x81'));
  EXPECT_TRUE(IsDBCSLeadByte('\xFE'));
  EXPECT_FALSE(IsDBCSLeadByte('\x80'));
  EXPECT_FALSE(IsDBCSLeadByte('\xFF'));
}

TEST(AnsiStrings, CharacterStepping)
{
  const AnsiString s = "a乤b乗"; // a 81 61 b 81 5C
  EXPECT_EQ(NextCharIndex(s, 1), 2);
  EXPECT_EQ(NextCharIndex(s, 2), 4);
  EXPECT_EQ(NextCharIndex(s, 3), 4); // from the trail byte
  EXPECT_EQ(NextCharIndex(s, 5), 7);
  EXPECT_EQ(PrevCharIndex(s, 7), 5);
  EXPECT_EQ(PrevCharIndex(s, 5), 4);
  EXPECT_EQ(PrevCharIndex(s, 4), 2);
  EXPECT_EQ(PrevCharIndex(s, 3), 1); // the trail's character starts at 2; before it is 1
  EXPECT_EQ(PrevCharIndex(s, 1), 0);
  EXPECT_EQ(CharLength(s, 2), 2);
  EXPECT_EQ(CharLength(s, 4), 1);
  EXPECT_EQ(CharCount(s), 4);
  EXPECT_EQ(ByteToCharLen(s, 2), 2); // the cut character counts
  EXPECT_EQ(CharToByteLen(s, 2), 3);
  EXPECT_EQ(ByteToCharIndex(s, 6), 4);
  EXPECT_EQ(CharToByteIndex(s, 4), 5);
  EXPECT_EQ(CharToByteIndex(s, 5), 0);

  struct Cut {
    Integer n;
    const char* expected;
  } cuts[] = {{0, ""},     {1, "a"},    {2, "a"},      {3, "a乤"},
              {4, "a乤b"}, {5, "a乤b"}, {6, "a乤b乗"}, {60, "a乤b乗"}};
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(CutToBytes(s, c.n), c.expected);
  }

  EXPECT_EQ(AnsiLastChar(s), "乗");
  EXPECT_EQ(AnsiLastChar("ab"), "b");
  EXPECT_EQ(AnsiLastChar(""), "");
  EXPECT_EQ(WideCharLength(s), 4);
  EXPECT_EQ(WideCharLength("\x81 x"), 3); // a broken lead byte is a unit of its own
}

TEST(AnsiStrings, ScanningSkipsTrailBytes)
{
  // '|' is 7C, the trail of 亅; '\' is 5C, the trail of 乗; '_' is 5F, the trail of 癬.
  EXPECT_EQ(AnsiScanChar("亅|", '|'), 3);
  EXPECT_EQ(AnsiScanChar("亅", '|'), 0);
  EXPECT_EQ(AnsiScanChar("癬_癬_", '_', 4), 6);
  EXPECT_EQ(LastDelimiter("\\/", "dir\\乗"), 4);
  EXPECT_EQ(LastDelimiter("\\", "乗"), 0);
  EXPECT_TRUE(IsDelimiter("\\", "乗\\", 3));
  EXPECT_FALSE(IsDelimiter("\\", "乗\\", 2));
}

TEST(AnsiStrings, CaseFoldingLeavesTrailBytesAlone)
{
  struct Case {
    const char* in;
    const char* ansiUpper;
    const char* ansiLower;
  } cases[] = {
      {"\x81\x61"
       "abc",
       "\x81\x61"
       "ABC",
       "\x81\x61"
       "abc"},
      {"乤丩乗癬亅", "乤丩乗癬亅", "乤丩乗癬亅"},
      {"俠碼Mix", "俠碼MIX", "俠碼mix"},
      {"a乤B", "A乤B", "a乤b"},
      {"\xB0", "\xB0", "\xB0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(AnsiUpperCase(c.in), c.ansiUpper);
    EXPECT_EQ(AnsiLowerCase(c.in), c.ansiLower);
  }
  // The plain conversions change ASCII letters on every byte, as the runtime's do.
  EXPECT_EQ(UpperCase("\x81\x61"
                      "b"),
            "\x81\x41"
            "B");
  EXPECT_EQ(LowerCase("\x81\x4C"
                      "B"),
            "\x81\x6C"
            "b");
}

TEST(AnsiStrings, PlainComparisons)
{
  EXPECT_LT(CompareStr("a", "b"), 0);
  EXPECT_LT(CompareStr("z", "\x81\x40"), 0); // bytes compare unsigned
  EXPECT_LT(CompareStr("ab", "abc"), 0);
  EXPECT_EQ(CompareStr("ab", "ab"), 0);
  EXPECT_GT(CompareStr("B", "A"), 0);

  EXPECT_EQ(CompareText("Hello", "hELLO"), 0);
  EXPECT_TRUE(SameText("Ini.Key", "ini.KEY"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_LT(CompareText("ab", "ABC"), 0);
  // 乤 (81 61) and 丂 (81 40), 丩 (81 4C) and 81 6C: trail bytes differ, no folding.
  EXPECT_FALSE(SameText("乤", "\x81\x41"));
  EXPECT_FALSE(SameText("丩", "\x81\x6C"));
  EXPECT_TRUE(SameText("乤x", "乤X"));
}

TEST(AnsiStrings, CollationOrder)
{
  const std::vector<std::vector<AnsiString>> sortedRuns = {
      {"Restrictions", "Rotation", "RTLReading"},
      {"b1", "b10", "b2", "m1"},
      {"_x", "a", "B", "c"}, // folding to lower case puts '_' before letters
      {"z", "啊", "吧"},     // GB2312 level 1 in pinyin order: a, ba
      {"", "a", "ab", "abc"},
  };
  for (const auto& run : sortedRuns) {
    SCOPED_TRACE(run.front() + " .. " + run.back());
    for (size_t i = 0; i + 1 < run.size(); ++i) {
      EXPECT_LT(AnsiCompareText(run[i], run[i + 1]), 0) << run[i] << " < " << run[i + 1];
      EXPECT_GT(AnsiCompareText(run[i + 1], run[i]), 0);
      EXPECT_LT(AnsiCompareStr(run[i], run[i + 1]), 0);
    }
  }
  EXPECT_EQ(AnsiCompareText("ABC", "abc"), 0);
  EXPECT_TRUE(AnsiSameText("Rotation", "ROTATION"));
  EXPECT_FALSE(AnsiSameStr("Rotation", "ROTATION"));
  // Case-sensitive order: the letters decide first, case only breaks ties, lower first.
  EXPECT_LT(AnsiCompareStr("a", "A"), 0);
  EXPECT_LT(AnsiCompareStr("ab", "Ab"), 0);
  EXPECT_LT(AnsiCompareStr("Ab", "ac"), 0);
  EXPECT_LT(AnsiCompareStr("A", "ab"), 0);
  EXPECT_EQ(AnsiCompareStr("乤", "乤"), 0);
  // Trail bytes are not folded: 乤 (81 61) differs from 81 41.
  EXPECT_NE(AnsiCompareText("乤", "\x81\x41"), 0);
  EXPECT_TRUE(AnsiTextsEqual("Ab", "aB", true));
  EXPECT_FALSE(AnsiTextsEqual("Ab", "aB", false));
}

Integer ReverseCollation(std::string_view a, std::string_view b, TCollationCase mode)
{
  return -DefaultAnsiCollation(a, b, mode);
}

TEST(AnsiStrings, CollationHookIsReplaceable)
{
  const TAnsiCollation previous = SetAnsiCollation(&ReverseCollation);
  EXPECT_GT(AnsiCompareText("a", "b"), 0);
  EXPECT_GT(AnsiCompareStr("a", "b"), 0);
  SetAnsiCollation(previous);
  EXPECT_LT(AnsiCompareText("a", "b"), 0);
  SetAnsiCollation(nullptr);
  EXPECT_LT(AnsiCompareText("a", "b"), 0);
}

TEST(AnsiStrings, SearchMatchesOnlyOnCharacterBoundaries)
{
  struct Case {
    const char* sub;
    const char* s;
    Integer pos, ansiPos, ansiPosText;
  } cases[] = {
      {"a", "乤", 2, 0, 0},
      {"a", "乤a", 2, 3, 3},
      {"A", "乤a", 0, 0, 3},
      {"\\", "乗\\", 2, 3, 3},
      {"_", "癬_", 2, 3, 3},
      {"|", "亅|", 2, 3, 3},
      {"L", "丩l", 2, 0, 3},
      {"乤", "x乤", 2, 2, 2},
      {"\x61\x81", "乤\x81", 2, 0, 0}, // starts on a trail byte
      {"", "abc", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sub << " in " << c.s);
    EXPECT_EQ(Pos(c.sub, c.s), c.pos);
    EXPECT_EQ(AnsiPos(c.sub, c.s), c.ansiPos);
    EXPECT_EQ(AnsiPosText(c.sub, c.s), c.ansiPosText);
  }
  EXPECT_EQ(AnsiPosText("B", "ab乤b", 3), 5);
  EXPECT_TRUE(AnsiContainsText("Hello 乤World", "WORLD"));
  EXPECT_FALSE(AnsiContainsText("乤", "A"));
}

TEST(AnsiStrings, StringReplace)
{
  struct Case {
    const char* s;
    const char* from;
    const char* to;
    TReplaceFlags flags;
    const char* expected;
  } cases[] = {
      {"a-a-a", "a", "b", {}, "b-a-a"},
      {"a-a-a", "a", "b", {rfReplaceAll}, "b-b-b"},
      {"A-a-A", "a", "b", {rfReplaceAll}, "A-b-A"},
      {"A-a-A", "a", "b", {rfReplaceAll, rfIgnoreCase}, "b-b-b"},
      {"A-a-A", "a", "b", {rfIgnoreCase}, "b-a-A"},
      {"乤A乤a", "a", "x", {rfReplaceAll, rfIgnoreCase}, "乤x乤x"},
      {"乤A乤a", "A", "x", {rfReplaceAll}, "乤x乤a"},
      {"乗\\乗", "\\", "/", {rfReplaceAll}, "乗/乗"},
      {"丩l", "L", "_", {rfReplaceAll, rfIgnoreCase}, "丩_"},
      {"aaa", "aa", "a", {rfReplaceAll}, "aa"},
      {"abc", "", "x", {rfReplaceAll}, "abc"},
      {"确定确定", "确定", "OK", {rfReplaceAll}, "OKOK"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.s << " / " << c.from);
    EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.expected);
  }
}

TEST(AnsiStrings, TrimHexIdent)
{
  EXPECT_EQ(Trim(" \t\x01 a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a \x1F"), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(" 乤 "), "乤");

  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(-1), 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(0x123456789A), 12), "00123456789A");

  struct Ident {
    const char* s;
    bool plain, dotted;
  } idents[] = {
      {"Edit1", true, true},  {"_x", true, true},   {"1a", false, false},  {"", false, false},
      {"a b", false, false},  {"a.b", false, true}, {"a.", false, false},  {".a", false, false},
      {"a..b", false, false}, {"乤", false, false}, {"a-b", false, false},
  };
  for (const Ident& c : idents) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(IsValidIdent(c.s), c.plain);
    EXPECT_EQ(IsValidIdent(c.s, true), c.dotted);
  }
}

TEST(AnsiStrings, FieldNamesAndHints)
{
  const AnsiString fields = " Name ;乤;; 运单号";
  Integer pos = 1;
  std::vector<AnsiString> got;
  while (pos <= Length(fields))
    got.push_back(ExtractFieldName(fields, pos));
  EXPECT_EQ(got, (std::vector<AnsiString>{"Name", "乤", "", "运单号"}));
  EXPECT_EQ(pos, Length(fields) + 1);

  struct Hint {
    const char* hint;
    const char* shortHint;
    const char* longHint;
  } hints[] = {
      {"Open|Open a file", "Open", "Open a file"},
      {"Open", "Open", "Open"},
      {"亅|长提示", "亅", "长提示"},
      {"亅亅", "亅亅", "亅亅"},
      {"|long", "", "long"},
      {"a|b|c", "a", "b|c"},
  };
  for (const Hint& h : hints) {
    SCOPED_TRACE(h.hint);
    EXPECT_EQ(GetShortHint(h.hint), h.shortHint);
    EXPECT_EQ(GetLongHint(h.hint), h.longHint);
  }
}

TEST(AnsiStrings, Quoting)
{
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
  // A trail byte equal to the quote character is not doubled.
  EXPECT_EQ(AnsiQuotedStr("乗\\", '\\'), "\\乗\\\\\\");
  EXPECT_EQ(AnsiQuotedStr("亅", '|'), "|亅|");

  struct Extract {
    const char* src;
    char quote;
    const char* value;
    const char* rest;
  } extracts[] = {
      {"'abc' tail", '\'', "abc", " tail"},
      {"'it''s'", '\'', "it's", ""},
      {"''", '\'', "", ""},
      {"'open", '\'', "open", ""},
      {"abc", '\'', "", "abc"},
      {"|亅x|y", '|', "亅x", "y"},
  };
  for (const Extract& c : extracts) {
    SCOPED_TRACE(c.src);
    const char* p = c.src;
    EXPECT_EQ(AnsiExtractQuotedStr(p, c.quote), c.value);
    EXPECT_STREQ(p, c.rest);
  }

  struct Dequote {
    const char* s;
    const char* expected;
  } dequotes[] = {
      {"\"abc\"", "abc"}, {"\"a\"\"b\"", "a\"b"}, {"abc", "abc"}, {"\"abc", "\"abc"}, {"\"\"", ""},
      {"", ""},           {"\"ab\" c", "ab"},
  };
  for (const Dequote& c : dequotes) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(AnsiDequotedStr(c.s, '"'), c.expected);
  }
}

TEST(AnsiStrings, ByteSets)
{
  constexpr TSysCharSet digits = TSysCharSet::Range('0', '9');
  constexpr TSysCharSet high = TSysCharSet::Range(0x80, 0xFF);
  EXPECT_TRUE(CharInSet('5', digits));
  EXPECT_FALSE(CharInSet('a', digits));
  EXPECT_TRUE(CharInSet('\xFF', high));
  EXPECT_TRUE(CharInSet('\x80', high));
  EXPECT_FALSE(CharInSet('\x7F', high));
  TSysCharSet s{'a', 'b'};
  s.Include('\xC8').Exclude('a');
  EXPECT_TRUE(s.Contains('\xC8'));
  EXPECT_FALSE(s.Contains('a'));
  EXPECT_EQ(s + TSysCharSet{'a'}, (TSysCharSet{'a', 'b', '\xC8'}));
  EXPECT_EQ(s * TSysCharSet({'b', 'z'}), TSysCharSet({'b'}));
  EXPECT_TRUE((s - s).Empty());
}

} // namespace

TEST(AnsiStrings, HexDigitValueOfEveryByte)
{
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char c = static_cast<char>(b);
    const char text[2] = {c, 0};
    const int expected = std::isxdigit(b) ? static_cast<int>(std::strtol(text, nullptr, 16)) : -1;
    EXPECT_EQ(HexDigitValue(c), expected);
  }
}
