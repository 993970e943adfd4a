// Conversions between GBK, UTF-8 and UTF-16: round trips, the euro byte, unmappable
// characters under both fallbacks, and broken input that must neither crash nor loop.
#include "platform/rtl/Codec.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string U8(const char8_t* s)
{
  return std::string(reinterpret_cast<const char*>(s));
}

TEST(Codec, RoundTrips)
{
  struct Case {
    const char* gbk; // a narrow literal is GBK
    const char8_t* utf8;
    const char16_t* wide;
  } cases[] = {
      {"", u8"", u""},
      {"plain ASCII ~\x7F", u8"plain ASCII ~\x7F", u"plain ASCII ~\x7F"},
      {"确定", u8"确定", u"确定"},
      {"运单号: A-123", u8"运单号: A-123", u"运单号: A-123"},
      {"乤丩乗癬亅", u8"乤丩乗癬亅", u"乤丩乗癬亅"},
      {"宋体 ￥12", u8"宋体 ￥12", u"宋体 ￥12"},
      {"\x80", u8"\u20AC", u"\u20AC"}, // the euro sign is the single byte 0x80
      {"\xAA\xA1\xFE\xFE", u8"\uE000\uE4C5", u"\uE000\uE4C5"}, // user-defined characters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gbk);
    const std::string utf8 = U8(c.utf8);
    Integer lost = -1;
    EXPECT_EQ(GbkToUtf8(c.gbk, cfQuestionMark, &lost), utf8);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(Utf8ToGbk(utf8, cfQuestionMark, &lost), c.gbk);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(GbkToWide(c.gbk), c.wide);
    EXPECT_EQ(WideToGbk(c.wide), c.gbk);
    EXPECT_EQ(Utf8ToWide(utf8), c.wide);
    EXPECT_EQ(WideToUtf8(c.wide), utf8);
  }
  // Outside GBK, UTF-8 and UTF-16 still carry everything, surrogate pairs included.
  EXPECT_EQ(Utf8ToWide(U8(u8"a\U0001F600é")), u"a\U0001F600é");
  EXPECT_EQ(WideToUtf8(u"a\U0001F600é"), U8(u8"a\U0001F600é"));
}

TEST(Codec, UnmappableCharactersFollowTheFallback)
{
  struct Case {
    std::u16string wide;
    const char* question;
    const char* dropped;
    Integer lost;
  } cases[] = {
      {u"a\U0001F600b", "a?b", "ab", 1}, // outside the BMP: one character, one '?'
      {u"\u0E01\u0E02", "??", "", 2},    // Thai letters are not in GBK
      {u"x\u20ACy", "x\x80y", "x\x80y", 0},
      {u"确" + std::u16string(1, 0xD800) + u"定", "确?定", "确定", 1}, // an unpaired surrogate
      {std::u16string(1, 0xDC00), "?", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.question);
    Integer lost = -1;
    EXPECT_EQ(WideToGbk(c.wide, cfQuestionMark, &lost), c.question);
    EXPECT_EQ(lost, c.lost);
    EXPECT_EQ(WideToGbk(c.wide, cfDrop, &lost), c.dropped);
    EXPECT_EQ(lost, c.lost);
    const std::string utf8 = WideToUtf8(c.wide, cfDrop);
    EXPECT_EQ(Utf8ToGbk(utf8, cfDrop), c.dropped);
  }
}

TEST(Codec, BrokenInputBecomesQuestionMarks)
{
  struct Case {
    std::string gbk;
    const char8_t* utf8;
    Integer lost;
  } cases[] = {
      {"a\x81", u8"a?", 1},       // lone lead byte at the end
      {"\x81 b", u8"? b", 1},     // lead byte followed by a byte that is no trail
      {"\x81\x7F", u8"?\x7F", 1}, // 0x7F is never a trail byte
      {"\xFF"
       "a",
       u8"?a", 1}, // 0xFF is neither lead nor character
      {"\xA2\xE3"
       "a",
       u8"?a", 1},                      // a well-formed pair with no character: one '?'
      {"\x81\x81\x81", u8"\u4E96?", 1}, // a pair, then a lone lead byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lost);
    Integer lost = -1;
    EXPECT_EQ(GbkToUtf8(c.gbk, cfQuestionMark, &lost), U8(c.utf8));
    EXPECT_EQ(lost, c.lost);
    EXPECT_EQ(GbkToWide(c.gbk, cfQuestionMark).size(), Utf8ToWide(U8(c.utf8)).size());
  }
  // A NUL after a lead byte is a character of its own, not the end of the text.
  EXPECT_EQ(GbkToUtf8(std::string("\x81\0b", 3)), std::string("?\0b", 3));
  EXPECT_EQ(GbkToUtf8("a\x81 \xFF", cfDrop), "a ");

  struct Utf8Case {
    std::string utf8;
    const char* gbk;
  } utf8Cases[] = {
      {"\xC3", "?"},     // truncated two-byte sequence
      {"\xE4\xB8", "?"}, // truncated three-byte sequence: one '?'
      {"\xE4\xB8"
       "a",
       "?a"},
      {"\xC0\xAF", "??"},           // overlong '/'
      {"\xED\xA0\x80", "???"},      // an encoded surrogate
      {"\xF4\x90\x80\x80", "????"}, // above U+10FFFF
      {"\x80"
       "a",
       "?a"}, // stray continuation byte
      {"\xE7\xA1\xAE\xFF", "确?"},
  };
  for (const Utf8Case& c : utf8Cases) {
    SCOPED_TRACE(c.gbk);
    EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk);
  }
  EXPECT_EQ(Utf8ToWide("\xE4\xB8"
                       "a"),
            u"?a");
}

TEST(Codec, EveryGbkCodeRoundTrips)
{
  // Every well-formed double-byte code that decodes comes back as itself, so stored GBK
  // text survives a trip through pango, a database or the clipboard. Only these decode
  // to nothing: A2E3 (the euro sign has the single byte 0x80) and six codes whose
  // characters lie outside the BMP.
  std::vector<std::string> undecoded;
  Integer mismatched = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F)
        continue;
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      Integer lost = 0;
      const WideString w = GbkToWide(code, cfQuestionMark, &lost);
      if (lost) {
        undecoded.push_back(code);
        continue;
      }
      ASSERT_EQ(w.size(), 1u);
      if (WideToGbk(w) != code || Utf8ToGbk(GbkToUtf8(code)) != code)
        ++mismatched;
    }
  }
  EXPECT_EQ(undecoded, (std::vector<std::string>{"\xA2\xE3", "\xFE\x51", "\xFE\x52", "\xFE\x53",
                                                 "\xFE\x6C", "\xFE\x76", "\xFE\x91"}));
  EXPECT_EQ(mismatched, 0);
}

TEST(Codec, ConcurrentUse)
{
  const std::string utf8 = U8(u8"运单号 确定 乤丩乗癬亅 \u20AC");
  const AnsiString gbk = "运单号 确定 乤丩乗癬亅 \x80";
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        if (Utf8ToGbk(utf8) != gbk || GbkToUtf8(gbk) != utf8)
          ++failures[t];
      }
    });
  }
  for (std::thread& th : threads)
    th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
