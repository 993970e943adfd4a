// Page ranges, the bracket scanner, hex streams and lenient numbers.
#include "report/engine/frxUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"

namespace {

AnsiString Joined(TStrings* list)
{
  AnsiString s;
  for (Integer i = 0; i < list->Count(); ++i)
    s += (i ? "," : "") + list->Strings(i);
  return s;
}

TEST(frxUtils, ParsePageNumbers)
{
  struct Case {
    const char* text;
    Integer pages;
    const char* expected;
  } cases[] = {
      {"1,3,5-12", 20, "1,3,5,6,7,8,9,10,11,12"},
      {"5-", 7, "5,6,7"},
      {" 2 - 4 ", 9, "2,3,4"},
      {"4-2", 9, ""},
      {"", 9, ""},
      {"3,3,30", 5, "3,3,30"},      // single numbers are kept as written
      {"1-2000000000", 3, "1,2,3"}, // a range never runs past the page count
      {"4-9,1", 5, "4,5,1"},
  };
  TStringList list;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ParsePageNumbers(c.text, &list, c.pages);
    EXPECT_EQ(Joined(&list), c.expected);
  }
  EXPECT_THROW(ParsePageNumbers("1,x", &list, 5), EConvertError);
  EXPECT_THROW(ParsePageNumbers("-3", &list, 5), EConvertError);
}

TEST(frxUtils, ExtractBracketed)
{
  struct Case {
    const char* name;
    AnsiString text;
    Integer start;
    const char* result;
    Integer endPos;
    Integer startAfter;
  } cases[] = {
      {"nested", "[a[b]c]", 1, "a[b]c", 7, 1},
      {"later start", "xy[ab]", 3, "ab", 6, 3},
      {"no open at start", "abc[d]", 1, "", 1, 1},
      {"unclosed", "[abc", 1, "ab", 4, 1},
      {"quoted close", "[a']'b]", 1, "a']'b", 7, 1},
      {"double quoted close", "[\"]\"]", 1, "\"]\"", 5, 1},
      // 乚 is 81 5D: its trail byte has the value of ']' and must not close the bracket.
      {"GBK trail ]",
       "[\x81\x5D"
       "x]",
       1,
       "\x81\x5D"
       "x",
       5, 1},
      // A trail byte equal to a lead byte value does not start a character either.
      {"GBK trail lead", "[\xB0\xA1\xB0\xA1]z", 1, "\xB0\xA1\xB0\xA1", 6, 1},
      {"unclosed ending in GBK", "[a\xB0\xA1", 1, "a", 3, 1},
      {"start past end", "[a]", 9, "", 9, 9},
      {"multi-char delimiters", "<%a<%b%>%>", 1, "a<%b%>", 10, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool twoChar = AnsiString(c.name) == "multi-char delimiters";
    AnsiString result = "junk";
    Integer endPos = -1, startPos = c.start;
    ExtractBracketed(c.text, twoChar ? "<%" : "[", twoChar ? "%>" : "]", result, endPos, startPos);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(endPos, c.endPos);
    EXPECT_EQ(startPos, c.startAfter);
  }
}

TEST(frxUtils, HexStreamsRoundTripAndReplaceOldContent)
{
  TMemoryStream source;
  const unsigned char bytes[] = {0x00, 0x7F, 0x80, 0xAB, 0xFF, 0x0A};
  source.WriteBuffer(bytes, sizeof bytes);
  const AnsiString hex = StreamToHex(&source);
  EXPECT_EQ(hex, "007F80ABFF0A");

  // The target holds a longer, older content: none of it may survive the decode.
  TMemoryStream target;
  const AnsiString old(64, 'Z');
  target.WriteBuffer(old.data(), static_cast<Integer>(old.size()));
  HexToStream(hex, &target);
  ASSERT_EQ(target.Size(), 6);
  EXPECT_EQ(StreamToHex(&target), hex);

  HexToStream("abc", &target); // lower case accepted, an odd last digit ignored
  EXPECT_EQ(StreamToHex(&target), "AB");
  HexToStream("", &target);
  EXPECT_EQ(target.Size(), 0);
  EXPECT_THROW(HexToStream("0G", &target), EConvertError);
}

// Plain numbers are read by a short way; every value must be the very Extended the general
// parser gives (bit for bit, signs of zero included), and what is not plain still goes the
// general way, errors and all.
TEST(frxUtils, PlainNumbersReadAsTheGeneralParserReadsThem)
{
  std::vector<AnsiString> texts = {"0",
                                   "-0",
                                   "-0.000",
                                   "0.1",
                                   "320",
                                   "-12.5",
                                   "0,25",
                                   "94.48825",
                                   "3.77953",
                                   "1234567890123456789",
                                   "0.0000000000000000001",
                                   "12345678901234567890",
                                   "1e3",
                                   " 7",
                                   "+7",
                                   "-.5",
                                   ".5",
                                   "5.",
                                   "1.2.3",
                                   "",
                                   "-"};
  std::uint64_t x = 88172645463325252ull;
  for (int i = 0; i < 2000; ++i) { // random decimals of up to 19 digits
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    const std::string digits = std::to_string(x % 10000000000000000000ull);
    const size_t point = (x >> 40) % (digits.size() + 1);
    AnsiString t = (x & 1 ? "-" : "") + digits;
    if (point > 0 && point < digits.size())
      t.insert(t.size() - digits.size() + point, 1, x & 2 ? '.' : ',');
    texts.push_back(t);
  }
  for (const AnsiString& t : texts) {
    SCOPED_TRACE(t);
    AnsiString general = t;
    for (char& c : general)
      if (c == ',' || c == '.')
        c = FormatSettings.DecimalSeparator;
    general.erase(std::remove(general.begin(), general.end(), ' '), general.end());
    Extended expected = 0;
    bool valid = true;
    try {
      expected = StrToFloat(general);
    } catch (const EConvertError&) {
      valid = false;
    }
    if (!valid) {
      EXPECT_THROW(ParseFloatLenient(t), EConvertError);
      continue;
    }
    const Extended got = ParseFloatLenient(t);
    EXPECT_EQ(std::memcmp(&got, &expected, 10), 0) << static_cast<double>(got);
  }
}

TEST(frxUtils, NumbersAndPieces)
{
  const char separator = FormatSettings.DecimalSeparator;
  for (char s : {'.', ','}) {
    FormatSettings.DecimalSeparator = s;
    EXPECT_DOUBLE_EQ(static_cast<double>(ParseFloatLenient("1 234,5")), 1234.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(ParseFloatLenient("94.48825")), 94.48825);
  }
  FormatSettings.DecimalSeparator = separator;
  EXPECT_THROW(ParseFloatLenient("1.2.3x"), EConvertError);

  EXPECT_EQ(FloatToDisplayText(2.5), "2.50");
  EXPECT_EQ(FloatToDisplayText(3), "3");

  TStringList list;
  SplitTextByChar("a,,b,", &list, ',');
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(1), "");
  EXPECT_EQ(list.Strings(2), "b");
  // 0x7C is '|' and also a trail byte: it does not split the character.
  SplitTextByChar("\x81\x7C|b", &list, '|');
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), "\x81\x7C");
  SplitTextByChar(",", &list, ',');
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Strings(0), "");
}

TEST(frxUtils, LocateComponentAndReferenceNames)
{
  TComponent owner(nullptr);
  auto* table = new TComponent(&owner);
  table->SetName("Table1");
  EXPECT_EQ(LocateComponent(&owner, "table1"), table);
  EXPECT_EQ(LocateComponent(&owner, "Missing1"), nullptr);

  static TComponent* module = nullptr;
  module = &owner;
  owner.SetName("Module1");
  SetGlobalModules([] { return std::vector<TComponent*>{module}; });
  EXPECT_EQ(LocateComponent(nullptr, "module1.Table1"), table);
  EXPECT_EQ(LocateComponent(nullptr, "Nowhere.Table1"), nullptr);
  EXPECT_EQ(ComponentReferenceName(nullptr, table), "Module1.Table1");
  EXPECT_EQ(ComponentReferenceName(nullptr, nullptr), "");

  TfrxReport report(nullptr);
  auto* mine = new TComponent(&report);
  mine->SetName("Mine");
  auto* excluded = new TComponent(&report);
  excluded->SetName("Excluded");
  TStringList list;
  ListComponentsOfClass(&report, ClassInfoOf<TComponent>(), &list, excluded);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), "Mine");
  EXPECT_EQ(list.Objects(0), mine);
  EXPECT_EQ(list.Strings(1), "Module1.Table1");
  ListComponentsOfClass(&report, ClassInfoOf<TfrxReport>(), &list, nullptr);
  EXPECT_EQ(list.Count(), 0);
  SetGlobalModules(nullptr);
}

TEST(frxUtils, ErrorMessageBox)
{
  static AnsiString shown, caption;
  ShowErrorMessage("nobody listens"); // without a message box nothing happens
  SetErrorMessageBox([](const AnsiString& text, const AnsiString& title) {
    shown = text;
    caption = title;
  });
  ShowErrorMessage("坏了");
  SetErrorMessageBox(nullptr);
  EXPECT_EQ(shown, "坏了");
  EXPECT_EQ(caption, "错误");
}

TEST(frxUtils, DrawGraphicStretches)
{
  TBitmap target(20, 20);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(Rect(0, 0, 20, 20));
  TBitmap picture(2, 2);
  picture.Canvas()->Brush()->SetColor(clRed);
  picture.Canvas()->FillRect(Rect(0, 0, 2, 2));

  DrawGraphic(target.Canvas(), Rect(5, 5, 15, 15), &picture);
  EXPECT_EQ(target.Pixel(5, 5), clRed);
  EXPECT_EQ(target.Pixel(14, 14), clRed);
  EXPECT_EQ(target.Pixel(15, 15), clWhite);
  EXPECT_EQ(target.Pixel(4, 10), clWhite);

  TBitmap empty;
  DrawGraphic(target.Canvas(), Rect(0, 0, 20, 20), &empty); // draws nothing
  EXPECT_EQ(target.Pixel(0, 0), clWhite);
}

// A strip of 2x2 tiles, each a coloured pixel on a fuchsia ground (the bottom-left pixel,
// so the tile's transparent colour).
void PaintTile(TBitmap& strip, Integer index, TColor color)
{
  const Integer left = index * 2;
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(Rect(left, 0, left + 2, 2));
  strip.Canvas()->SetPixels(left + 1, 0, color);
}

TEST(frxUtils, SplitBitmapToImageListCutsTilesAndPairs)
{
  TBitmap strip(8, 2);
  PaintTile(strip, 0, clRed);
  PaintTile(strip, 1, clWhite);
  PaintTile(strip, 2, clBlue);
  PaintTile(strip, 3, clWhite);

  TCustomImageList single(2, 2, nullptr);
  SplitBitmapToImageList(&strip, 2, 2, nullptr, &single);
  EXPECT_EQ(single.Count(), 4);

  TCustomImageList normal(2, 2, nullptr), alternative(2, 2, nullptr);
  SplitBitmapToImageList(&strip, 2, 2, &alternative, &normal);
  ASSERT_EQ(normal.Count(), 2);
  ASSERT_EQ(alternative.Count(), 2);
  TBitmap image;
  normal.GetBitmap(1, &image);
  EXPECT_EQ(image.Pixel(1, 0), clBlue);
  alternative.GetBitmap(0, &image);
  EXPECT_EQ(image.Pixel(1, 0), TColor(0xE0E0E0)); // pure white turned light grey
}

TEST(frxUtils, DrawTransparentBitmapLeavesTheTransparentColourOut)
{
  TBitmap target(4, 4);
  target.Canvas()->Brush()->SetColor(clLime);
  target.Canvas()->FillRect(Rect(0, 0, 4, 4));
  TBitmap tile(2, 2);
  PaintTile(tile, 0, clRed);

  DrawTransparentBitmap(target.Canvas(), 1, 1, &tile);
  EXPECT_EQ(target.Pixel(2, 1), clRed);
  EXPECT_EQ(target.Pixel(1, 1), clLime);
  EXPECT_EQ(target.Pixel(1, 2), clLime);
}

} // namespace
