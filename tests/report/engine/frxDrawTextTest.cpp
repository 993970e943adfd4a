#include "report/engine/frxDrawText.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"

namespace {

// A device that keeps every text run it is given (with its exact character offsets) and
// draws nothing else. It can pose as a printer of any resolution.
class TRunLog : public TSurface {
public:
  TRunLog(Integer width, Integer height, Integer dpi = 96, bool printer = false)
      : FWidth(width), FHeight(height), FDpi(dpi), FPrinter(printer)
  {
  }
  TSurfaceKind Kind() const override { return skRecording; }
  Integer Width() const override { return FWidth; }
  Integer Height() const override { return FHeight; }
  Integer PixelsPerInch() const override { return FDpi; }
  bool IsPrinter() const override { return FPrinter; }
  void StrokeLines(const TPoint*, Integer, const TStroke&, const TGc&) override {}
  void FillShape(const TSurfaceShape&, const TFill&, const TGc&) override {}
  void StrokeShape(const TSurfaceShape&, const TStroke&, const TGc&) override {}
  void FillShapeInside(const TSurfaceShape&, const TStroke&, const TFill&, const TGc&) override {}
  void FillArea(const TRegion&, const TFill&, const TGc&) override {}
  void CopyBits(const TRect&, const TImageSurface*, const TRect&, const TFill&, TCopyMode,
                const TGc&) override
  {
  }
  TColor GetPixel(Integer, Integer) const override { return -1; }
  void SetPixel(Integer, Integer, TColor, const TGc&) override {}
  bool ShowText(const TTextRun& run, const TRegion*) override
  {
    Runs.push_back(run);
    return true;
  }

  std::vector<TTextRun> Runs;

  // Every drawn character's device x (or y for vertical text) in drawing order.
  std::vector<Integer> CharX() const
  {
    std::vector<Integer> xs;
    for (const TTextRun& r : Runs)
      for (size_t i = 0; i < r.Text.size();
           i += IsDBCSLeadByte(static_cast<unsigned char>(r.Text[i])) ? 2 : 1)
        xs.push_back(static_cast<Integer>(std::lround(r.X + r.Offsets[i])));
    return xs;
  }

private:
  Integer FWidth, FHeight, FDpi;
  bool FPrinter;
};

std::vector<AnsiString> LinesOf(TfrxDrawText& d)
{
  std::vector<AnsiString> out;
  for (Integer i = 0; i < d.LineCount(); ++i)
    out.push_back(d.Lines(i));
  return out;
}

// Exact metrics scaled with the em: at the 600-dpi layout a 12-point font has an em of 100
// and advances of 50 (single-byte) and 100 (double-byte); on the screen at zoom 1 it has an
// em of 16 and advances of 8 and 16.
class DrawTextTest : public testing::Test {
protected:
  void SetUp() override
  {
    TFixedMetrics m;
    m.SingleAdvance = 50;
    m.DoubleAdvance = 100;
    m.Ascent = 75;
    m.Descent = 25;
    m.ReferenceEmHeight = 100;
    FEngine = CreateFixedTextEngine(m);
    SetDefaultTextEngine(FEngine.get());
    FFont.SetName("Fixed");
    FFont.SetSize(12);
    FFont.SetColor(clBlack);
  }
  void TearDown() override { SetDefaultTextEngine(nullptr); }

  // Lays text out in a rectangle of width x height report pixels.
  void Layout(const std::vector<AnsiString>& lines, Integer width, Integer height = 1000,
              bool wordWrap = true, bool tags = true, bool wordBreak = false, Integer rotation = 0,
              Extended lineSpacing = 0, Extended charSpacing = 0, Extended gap = 0)
  {
    FDraw.Acquire();
    FDraw.SelectFont(&FFont);
    FDraw.SetOptions(wordWrap, tags, rotation, wordBreak, false);
    FDraw.SetSpacing(lineSpacing, charSpacing, gap);
    FDraw.SetDimensions(Rect(0, 0, width, height - 1), Rect(0, 0, width, height - 1), 1, 1);
    TStringList list;
    for (const AnsiString& l : lines)
      list.Add(l);
    FDraw.WrapText(&list);
    FDraw.Release();
  }

  // Draws the current layout at a zoom into the device rectangle clip.
  void Draw(TRunLog& log, const TRect& clip, Extended zoom, TfrxHAlign h = haLeft,
            TfrxVAlign v = vaTop)
  {
    TCanvas canvas(&log);
    FDraw.SetDimensions(Rect(0, 0, 0, 0), clip, zoom,
                        zoom); // the text rectangle only matters for wrapping
    FDraw.DrawText(&canvas, h, v);
  }

  std::unique_ptr<TTextEngine> FEngine;
  TFont FFont;
  TfrxDrawText FDraw;
};

} // namespace

// ---- Tags ----

TEST_F(DrawTextTest, TagsLeaveVisibleTextAndFormatEachByte)
{
  struct TCase {
    const char* Source;
    const char* Visible;
  };
  const TCase cases[] = {
      {"a<b>b</b>c", "abc"},
      {"<i>x</i><u>y</u><strike>z</strike>", "xyz"},
      {"<B>x</B>", "x"},
      {"x<sub>2</sub>", "x2"},
      {"x<sup>2</sup>", "x2"},
      {"<abc>d", "d"},  // any five-character tag goes
      {"<x>d", "<x>d"}, // three characters that are no tag stay
      {"a<s>b", "a<s>b"},
      {"a</q>b", "a</q>b"},
      {"1 < 2", "1 < 2"},
      {"<font color=\"#FF0000\">r</font>g", "rg"},
      {"<font color=Red>r", "r"},
      {"<font color=\"Red\">r", "<font color=\"Red\">r"},
      {"<font color=Nothing>r", "<font color=Nothing>r"},
      {"<font color=\"#GG0000\">r", "<font color=\"#GG0000\">r"},
      {"快<b>递</b>单", "快递单"},
  };
  for (const TCase& c : cases) {
    AnsiString s = c.Source;
    TfrxHTMLTagsList tags;
    tags.Reset(clBlack, 10, TFontStyles());
    tags.ParseTags(s);
    EXPECT_EQ(s, c.Visible) << c.Source;
    ASSERT_EQ(tags.Count(), 1) << c.Source;
    EXPECT_EQ(tags.Items(0).Count(), static_cast<Integer>(s.size())) << c.Source;
  }
}

TEST_F(DrawTextTest, TagRecordsCarryPositionStyleSizeAndColour)
{
  TfrxHTMLTagsList tags;
  tags.Reset(clBlack, 12, TFontStyles());
  AnsiString s = "a<b>b</b>c";
  tags.ParseTags(s);
  const TfrxHTMLTags& t = tags.Items(0);
  EXPECT_EQ(t.Items(0).Position, 1);
  EXPECT_EQ(t.Items(1).Position, 5);
  EXPECT_EQ(t.Items(2).Position, 10);
  EXPECT_FALSE(t.Items(0).Style.Contains(fsBold));
  EXPECT_TRUE(t.Items(1).Style.Contains(fsBold));
  EXPECT_FALSE(t.Items(2).Style.Contains(fsBold));
  EXPECT_TRUE(t.Items(0).Default);
  EXPECT_FALSE(t.Items(1).Default);
  EXPECT_FALSE(t.Items(2).Default);

  tags.Reset(clBlack, 12, TFontStyles());
  s = "x<sub>2</sub>y<sup>3</sup>";
  tags.ParseTags(s);
  const TfrxHTMLTags& u = tags.Items(0);
  EXPECT_EQ(u.Items(1).Size, 8); // 12 / 1.5
  EXPECT_EQ(u.Items(1).AddY, 1);
  EXPECT_TRUE(u.Items(1).Small);
  EXPECT_EQ(u.Items(2).Size, 12);
  EXPECT_FALSE(u.Items(2).Small);
  EXPECT_EQ(u.Items(3).Size, 8);
  EXPECT_EQ(u.Items(3).AddY, 0);

  tags.Reset(clBlack, 12, TFontStyles());
  s = "<font color=\"#FF8000\">a</font>b<font color=Red>c";
  tags.ParseTags(s);
  EXPECT_EQ(tags.Items(0).Items(0).Color, RGB(0xFF, 0x80, 0x00));
  EXPECT_EQ(tags.Items(0).Items(1).Color, clBlack);
  EXPECT_EQ(tags.Items(0).Items(2).Color, clRed);

  // A double-byte character has a record per byte, both formatted alike.
  tags.Reset(clBlack, 12, TFontStyles());
  s = "快<b>递</b>";
  tags.ParseTags(s);
  const TfrxHTMLTags& g = tags.Items(0);
  ASSERT_EQ(g.Count(), 4);
  EXPECT_EQ(g.Items(2).Position, 6);
  EXPECT_EQ(g.Items(3).Position, 7);
  EXPECT_TRUE(g.Items(2).Style.Contains(fsBold) && g.Items(3).Style.Contains(fsBold));
  EXPECT_TRUE(g.Items(3).Default);
}

TEST_F(DrawTextTest, TagsOffKeepTextAndBadHexRaises)
{
  TfrxHTMLTagsList tags;
  tags.SetTagsEnabled(false);
  tags.Reset(clBlack, 10, TFontStyles());
  AnsiString s = "<b>x</b>";
  tags.ParseTags(s);
  EXPECT_EQ(s, "<b>x</b>");
  EXPECT_TRUE(tags.Items(0).Items(1).Default);

  TfrxHTMLTagsList on;
  on.Reset(clBlack, 10, TFontStyles());
  // A colour that is not hexadecimal leaves the tag as text, as an unknown name does.
  AnsiString bad = "<font color=\"#GG0000\">x";
  on.ParseTags(bad);
  EXPECT_EQ(bad, "<font color=\"#GG0000\">x");
  EXPECT_EQ(FDraw.StripTags("<b>bold</b> <font color=Blue>blue</font>"), "bold blue");
}

// ---- Wrapping ----

TEST_F(DrawTextTest, WrapsAtBlanksAndBetweenDoubleByteCharacters)
{
  struct TCase {
    std::vector<AnsiString> Input;
    Integer Width; // report pixels; 8 per single-byte character
    bool WordWrap;
    std::vector<AnsiString> Lines;
  };
  const TCase cases[] = {
      {{"hello world foo"}, 80, true, {"hello", "world foo"}},
      {{"abcdefghij"}, 80, true, {"abcdefghij"}}, // exactly the width
      {{"abcdefghijklmn"}, 80, true, {"abcdefghij", "klmn"}},
      {{"ab"}, 4, true, {"a", "b"}}, // not even one character fits
      {{"快递"}, 4, true, {"快", "递"}},
      {{"快递单号码查询系统服务"}, 80, true, {"快递单号码", "查询系统服", "务"}},
      {{"abc 快递单号码"}, 80, true, {"abc 快递单", "号码"}},
      {{"ab快递单号码x"}, 80, true, {"ab快递单号", "码x"}},
      {{"abcdefghi快"}, 80, true, {"abcdefghi", "快"}},
      {{"one", "", "two"}, 80, true, {"one", " ", "two"}},
      {{"hello world foo"}, 80, false, {"hello world foo"}},
  };
  for (const TCase& c : cases) {
    Layout(c.Input, c.Width, 1000, c.WordWrap);
    EXPECT_EQ(LinesOf(FDraw), c.Lines) << c.Input[0];
  }
}

TEST_F(DrawTextTest, ParagraphFlagsAndTagLinesFollowTheBreaks)
{
  Layout({"aaaa bbbb cccc", "dd"}, 40);
  ASSERT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"aaaa", "bbbb", "cccc", "dd"}));
  EXPECT_EQ(FDraw.LineFlags(0), lfFirst);
  EXPECT_EQ(FDraw.LineFlags(1), 0);
  EXPECT_EQ(FDraw.LineFlags(2), lfLast);
  EXPECT_EQ(FDraw.LineFlags(3), lfFirst | lfLast);
  EXPECT_EQ(FDraw.GetText(), "aaaa bbbb cccc\r\ndd\r\n");
  // The dropped blank stays with the line before; positions run on across line ends.
  EXPECT_EQ(FDraw.Tags().Items(0).Count(), 5);
  EXPECT_EQ(FDraw.Tags().Items(1).Items(0).Position, 6);
  EXPECT_EQ(FDraw.Tags().Items(3).Items(0).Position, 17);
}

TEST_F(DrawTextTest, ParagraphGapShortensOnlyTheFirstLine)
{
  Layout({"aaaa bbbb cccc"}, 80, 1000, true, true, false, 0, 0, 0, 16);
  EXPECT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"aaaa", "bbbb cccc"}));
  EXPECT_DOUBLE_EQ(FDraw.TextWidth(), 72 + 0.0); // 9 characters on the second line
  Layout({"aaaa bbb"}, 80, 1000, true, true, false, 0, 0, 0, 16);
  EXPECT_EQ(FDraw.LineCount(), 1);
  EXPECT_DOUBLE_EQ(FDraw.TextWidth(), 64 + 16.0);
}

TEST_F(DrawTextTest, CharSpacingCountsOncePerCharacter)
{
  // 1 report pixel is 6 layout units more per character: nine characters take 504 > 500.
  Layout({"abcdefghij"}, 80, 1000, true, true, false, 0, 0, 1);
  EXPECT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"abcdefgh", "ij"}));
  Layout({"快递单号码"}, 85, 1000, true, true, false, 0, 0, 1);
  EXPECT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"快递单号码"}));
  EXPECT_DOUBLE_EQ(FDraw.TextWidth(), (500 + 31) / 6.25);
}

TEST_F(DrawTextTest, WordBreakPositionsNeverSplitADoubleByteCharacter)
{
  EXPECT_TRUE(TfrxDrawText::WordBreakPositions("ABC").empty());
  EXPECT_TRUE(TfrxDrawText::WordBreakPositions("WAYBILL").empty());
  EXPECT_EQ(TfrxDrawText::WordBreakPositions("\xC0\xC0\xC0\xC0"), std::vector<Integer>{2});
  EXPECT_EQ(TfrxDrawText::WordBreakPositions("\xC1\xC0\xC1\xC0\xC1\xC0"),
            (std::vector<Integer>{2, 4}));
  // A word without permitted positions is cut where it stops fitting, without a hyphen.
  Layout({"abcdefghijklmn"}, 80, 1000, true, true, true);
  EXPECT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"abcdefghij", "klmn"}));
}

TEST_F(DrawTextTest, WrappingHasNoLengthLimit)
{
  AnsiString longLine;
  for (int i = 0; i < 3000; ++i)
    longLine += "快递 ";
  Layout({longLine}, 80);
  EXPECT_EQ(FDraw.LineCount(), 1500); // two "快递" (with blank) per line
  for (Integer i = 0; i < FDraw.LineCount(); ++i)
    ASSERT_EQ(FDraw.Lines(i).substr(0, 4), "快递") << i;
  Layout({AnsiString(40000, 'a')}, 80000);
  EXPECT_EQ(FDraw.LineCount(), 4); // 10,000 characters per line
}

// ---- Measures ----

TEST_F(DrawTextTest, MeasuresInReportUnits)
{
  Layout({"hello world foo"}, 80, 48);
  EXPECT_DOUBLE_EQ(FDraw.LineHeight(), 16);
  EXPECT_DOUBLE_EQ(FDraw.TextHeight(), 32);
  EXPECT_DOUBLE_EQ(FDraw.TextWidth(), 72);
  EXPECT_DOUBLE_EQ(FDraw.UnusedHeight(), 0.0001); // 3 lines fill 48 exactly
  Layout({"hello world foo"}, 80, 50, true, true, false, 0, 2);
  EXPECT_DOUBLE_EQ(FDraw.LineHeight(), 18);
  EXPECT_DOUBLE_EQ(FDraw.TextHeight(), 36);
  EXPECT_DOUBLE_EQ(FDraw.UnusedHeight(), 14);
  EXPECT_EQ(FDraw.FittingLineCount(), 2);
  Layout({"x"}, 80, 10);
  EXPECT_DOUBLE_EQ(FDraw.UnusedHeight(), 0);
  Layout({}, 80, 10);
  EXPECT_DOUBLE_EQ(FDraw.TextHeight(), 0);
  EXPECT_DOUBLE_EQ(FDraw.TextWidth(), 0);
}

TEST_F(DrawTextTest, SplitAtHeightReopensTheFormatting)
{
  Layout({"<font color=\"#FF0000\"><b>aaaa bbbb cccc</b></font>", "next"}, 40, 32);
  AnsiString rest = FDraw.SplitAtHeight();
  EXPECT_EQ(rest, "<font color=\"#FF0000\"><b>cccc</b></font>\r\nnext\r\n");
  EXPECT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"aaaa", "bbbb"}));
  EXPECT_EQ(FDraw.GetText(), "<font color=\"#FF0000\"><b>aaaa bbbb ");

  Layout({"<i><u>aaaa bbbb</u></i>"}, 40, 16);
  EXPECT_EQ(FDraw.SplitAtHeight(), "<font color=\"#000000\"><u><i>bbbb</u></i>\r\n");

  Layout({"aaaa bbbb"}, 40, 16, true, false);
  EXPECT_EQ(FDraw.SplitAtHeight(), "bbbb\r\n");
  Layout({"aaaa"}, 40, 16);
  EXPECT_EQ(FDraw.SplitAtHeight(), "");
  EXPECT_EQ(FDraw.LineCount(), 1);
}

// ---- Drawing ----

TEST_F(DrawTextTest, SpreadUnitsHalvesTheRange)
{
  struct TCase {
    Integer Size, First, Last, Unit, Count;
    std::vector<Integer> Result;
  };
  const TCase cases[] = {
      {5, 1, 5, 1, 1, {0, 1, 0, 0, 0}},
      {5, 1, 5, 1, 2, {1, 0, 1, 0, 0}},
      {5, 1, 5, 1, 3, {1, 0, 1, 1, 0}},
      {4, 1, 4, -1, 2, {-1, 0, -1, 0}},
      {6, 2, 6, 1, 2, {0, 1, 0, 1, 0, 0}},
      {8, 1, 8, 1, 4, {1, 0, 1, 0, 1, 0, 1, 0}},
      {1, 1, 1, 1, 3, {3}}, // more units than elements still land
  };
  for (const TCase& c : cases) {
    std::vector<Integer> v(c.Size, 0);
    TfrxDrawText::SpreadUnits(v, c.First, c.Last, c.Unit, c.Count);
    EXPECT_EQ(v, c.Result) << c.Size << " " << c.Count;
  }
}

TEST_F(DrawTextTest, DrawsLinesAtLayoutPositionsAtZoomOneAndTwo)
{
  Layout({"hello world foo"}, 80);
  TRunLog one(400, 400), two(400, 400);
  Draw(one, Rect(10, 20, 90, 120), 1);
  ASSERT_EQ(one.Runs.size(), 2u);
  EXPECT_EQ(one.Runs[0].Text, "hello");
  EXPECT_DOUBLE_EQ(one.Runs[0].X, 10);
  EXPECT_DOUBLE_EQ(one.Runs[0].Y, 20);
  EXPECT_EQ(one.Runs[0].Offsets, (std::vector<double>{0, 8, 16, 24, 32}));
  EXPECT_DOUBLE_EQ(one.Runs[1].Y, 36);
  EXPECT_DOUBLE_EQ(one.Runs[0].Font.EmHeight, 16);

  Draw(two, Rect(20, 40, 180, 240), 2);
  ASSERT_EQ(two.Runs.size(), 2u);
  EXPECT_DOUBLE_EQ(two.Runs[1].Y, 72);
  std::vector<Integer> x1 = one.CharX(), x2 = two.CharX();
  ASSERT_EQ(x1.size(), x2.size());
  for (size_t i = 0; i < x1.size(); ++i)
    EXPECT_EQ(x2[i], 2 * x1[i]) << i;
}

TEST_F(DrawTextTest, DeviceAdvancesAddUpToTheLayout)
{
  // 10 points: 41.5 layout units and 6.5 screen pixels per character, so the device's own
  // advances drift from the layout and are corrected to its rounded width.
  FFont.SetSize(10);
  Layout({"abcdefghijklmnopqrstuvwxyz"}, 1000);
  for (Extended zoom : {1.0, 1.5, 2.0, 3.0}) {
    TRunLog log(4000, 400);
    Draw(log, Rect(0, 0, 3000, 300), zoom);
    ASSERT_EQ(log.Runs.size(), 1u);
    const TTextRun& r = log.Runs[0];
    Integer layoutWidth = FDraw.LayoutCanvas()->TextWidth("abcdefghijklmnopqrstuvwxyz");
    EXPECT_NEAR(r.Width, std::round(layoutWidth / 6.25 * zoom), 0.001) << zoom;
    // Corrections are spread: the rounded advances and one correction unit at most.
    double lo = 1e9, hi = -1e9;
    for (size_t i = 1; i < r.Offsets.size(); ++i) {
      lo = std::min(lo, r.Offsets[i] - r.Offsets[i - 1]);
      hi = std::max(hi, r.Offsets[i] - r.Offsets[i - 1]);
    }
    EXPECT_LE(hi - lo, 2.0) << zoom;
  }
  // Three lines of 83 layout units are 40 screen pixels, not 3 x 13: the extra pixel goes
  // to the first advance.
  Layout({"a", "b", "c"}, 1000);
  TRunLog lines(400, 400);
  Draw(lines, Rect(0, 0, 300, 300), 1);
  ASSERT_EQ(lines.Runs.size(), 3u);
  EXPECT_DOUBLE_EQ(lines.Runs[1].Y, 14);
  EXPECT_DOUBLE_EQ(lines.Runs[2].Y, 27);
  // With a line spacing of 1: 3 x 14.28 = 43 pixels for advances of 14.
  Layout({"a", "b", "c"}, 1000, 1000, true, true, false, 0, 1);
  TRunLog spaced(400, 400);
  Draw(spaced, Rect(0, 0, 300, 300), 1);
  ASSERT_EQ(spaced.Runs.size(), 3u);
  EXPECT_DOUBLE_EQ(spaced.Runs[1].Y, 15);
  EXPECT_DOUBLE_EQ(spaced.Runs[2].Y, 29);
}

TEST_F(DrawTextTest, AlignsAndJustifies)
{
  Layout({"hello"}, 80);
  TRunLog right(400, 400), center(400, 400);
  Draw(right, Rect(10, 0, 90, 100), 1, haRight);
  EXPECT_DOUBLE_EQ(right.Runs[0].X, 10 + 80 - 40 + 1); // one pixel beyond the width
  Draw(center, Rect(10, 0, 90, 100), 1, haCenter);
  EXPECT_DOUBLE_EQ(center.Runs[0].X, 30);

  Layout({"aa bb cc dd"}, 80);
  ASSERT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"aa bb cc", "dd"}));
  TRunLog block(400, 400);
  Draw(block, Rect(0, 0, 80, 100), 1, haBlock);
  ASSERT_EQ(block.Runs.size(), 2u);
  // 16 free pixels over two blanks, and the first blank one more.
  EXPECT_EQ(block.Runs[0].Offsets, (std::vector<double>{0, 8, 16, 33, 41, 49, 65, 73}));
  EXPECT_EQ(block.Runs[1].Offsets, (std::vector<double>{0, 8})); // the last line is not stretched

  // Right to left, the last line of a justified paragraph goes to the right.
  FDraw.SetOptions(true, true, 0, false, true);
  TRunLog rtl(400, 400);
  Draw(rtl, Rect(0, 0, 80, 100), 1, haBlock);
  EXPECT_DOUBLE_EQ(rtl.Runs[1].X, 80 - 16 + 1);
  EXPECT_DOUBLE_EQ(rtl.Runs[0].X, 0);

  Layout({"abcdefghijkl"}, 80);
  TRunLog noBlanks(400, 400);
  Draw(noBlanks, Rect(0, 0, 80, 100), 1, haBlock);
  EXPECT_EQ(noBlanks.Runs[0].Offsets.back(), 72); // drawn left-aligned at its own width
}

TEST_F(DrawTextTest, VerticalAlignmentAndRotation)
{
  Layout({"hello"}, 80, 100);
  TRunLog bottom(400, 400), middle(400, 400);
  Draw(bottom, Rect(0, 0, 80, 100), 1, haLeft, vaBottom);
  EXPECT_DOUBLE_EQ(bottom.Runs[0].Y, 100 - 16);
  Draw(middle, Rect(0, 0, 80, 100), 1, haLeft, vaCenter);
  EXPECT_DOUBLE_EQ(middle.Runs[0].Y, 42);

  // At 90 degrees the lines start at the bottom left and run upwards; vaBottom moves the
  // block to the right.
  Layout({"hello", "world"}, 80, 100, true, true, false, 90);
  TRunLog up(400, 400), upBottom(400, 400);
  Draw(up, Rect(10, 20, 90, 120), 1);
  ASSERT_EQ(up.Runs.size(), 2u);
  EXPECT_DOUBLE_EQ(up.Runs[0].X, 10);
  EXPECT_DOUBLE_EQ(up.Runs[0].Y, 120);
  EXPECT_EQ(up.Runs[0].Font.Orientation, 900);
  EXPECT_DOUBLE_EQ(up.Runs[1].X, 26);
  EXPECT_DOUBLE_EQ(up.Runs[1].Y, 120);
  Draw(upBottom, Rect(10, 20, 90, 120), 1, haLeft, vaBottom);
  EXPECT_DOUBLE_EQ(upBottom.Runs[0].X, 10 + 80 - 32);

  // Turned a quarter, the lines are as long as the rectangle is high.
  Layout({"hello world foo"}, 200, 81, true, true, false, 90);
  EXPECT_EQ(LinesOf(FDraw), (std::vector<AnsiString>{"hello", "world foo"}));
  Layout({"hello world foo"}, 200, 81, true, true, false, 45);
  EXPECT_EQ(FDraw.LineCount(), 1);

  Layout({"hello"}, 80, 100, true, true, false, 180);
  TRunLog down(400, 400);
  Draw(down, Rect(10, 20, 90, 120), 1);
  EXPECT_DOUBLE_EQ(down.Runs[0].X, 90);
  EXPECT_DOUBLE_EQ(down.Runs[0].Y, 120);
}

TEST_F(DrawTextTest, TurnedBlocksStartAtTheirCorner)
{
  // One line, 16 pixels high, in the device rectangle (10, 20, 90, 120); oblique lines are
  // as long as the width allows after the block's own extent.
  struct TCase {
    Integer Rotation;
    double X, Y;
  };
  const TCase cases[] = {
      {0, 10, 20},    {45, 10, 89},  {90, 10, 120}, {135, 79, 120},
      {180, 90, 120}, {225, 90, 51}, {270, 90, 20}, {315, 21, 20},
  };
  for (const TCase& c : cases) {
    Layout({"hello"}, 80, 100, false, true, false, c.Rotation);
    TRunLog log(400, 400);
    Draw(log, Rect(10, 20, 90, 120), 1);
    ASSERT_EQ(log.Runs.size(), 1u) << c.Rotation;
    EXPECT_DOUBLE_EQ(log.Runs[0].X, c.X) << c.Rotation;
    EXPECT_DOUBLE_EQ(log.Runs[0].Y, c.Y) << c.Rotation;
    EXPECT_EQ(log.Runs[0].Font.Orientation, c.Rotation * 10) << c.Rotation;
  }
}

TEST_F(DrawTextTest, RunsCarryTheirFormatting)
{
  Layout({"H<sub>2</sub>O x<sup>2</sup> <b><font color=Red>bold</font></b>"}, 400);
  TRunLog log(600, 400);
  Draw(log, Rect(0, 0, 400, 100), 1);
  ASSERT_EQ(log.Runs.size(), 6u);
  EXPECT_EQ(log.Runs[0].Text, "H");
  EXPECT_EQ(log.Runs[1].Text, "2");
  EXPECT_DOUBLE_EQ(log.Runs[1].Y, 8); // subscript: lower by its size
  EXPECT_DOUBLE_EQ(log.Runs[1].Font.EmHeight, 11);
  EXPECT_DOUBLE_EQ(log.Runs[1].X, 8);
  EXPECT_EQ(log.Runs[2].Text, "O x");
  EXPECT_DOUBLE_EQ(log.Runs[2].Y, 0);
  EXPECT_DOUBLE_EQ(log.Runs[2].X, 8 + 5); // a small character is two thirds as wide
  EXPECT_EQ(log.Runs[3].Text, "2");
  EXPECT_DOUBLE_EQ(log.Runs[3].Y, 0); // superscript keeps the line's top
  EXPECT_EQ(log.Runs[5].Text, "bold");
  EXPECT_TRUE(log.Runs[5].Font.Style.Contains(fsBold));
  EXPECT_EQ(log.Runs[5].Color, ColorToRGB(clRed));
  EXPECT_FALSE(log.Runs[0].Font.Style.Contains(fsBold));
  EXPECT_EQ(log.Runs[0].Color, ColorToRGB(clBlack));
}

TEST_F(DrawTextTest, GlyphsLandOnAnImageSurfaceWhereLaidOut)
{
  // Fixed-metric glyphs are solid boxes: columns [x, x + advance - 1), rows [y, y + ascent).
  Layout({"a<font color=Red>b</font>", "c"}, 80);
  TImageSurface image(100, 60);
  TCanvas canvas(&image);
  FDraw.SetDimensions(Rect(0, 0, 0, 0), Rect(10, 20, 90, 60), 1, 1);
  FDraw.DrawText(&canvas, haLeft, vaTop);
  EXPECT_EQ(image.Pixel(10, 20), clBlack);
  EXPECT_EQ(image.Pixel(16, 31), clBlack);
  EXPECT_EQ(image.Pixel(17, 20), clWhite);
  EXPECT_EQ(image.Pixel(10, 32), clWhite);
  EXPECT_EQ(image.Pixel(18, 25), clRed);
  EXPECT_EQ(image.Pixel(24, 25), clRed);
  EXPECT_EQ(image.Pixel(10, 36), clBlack); // the second line, 16 pixels lower
  EXPECT_EQ(image.Pixel(9, 36), clWhite);
}

TEST_F(DrawTextTest, PrinterRunsUseThePrinterResolution)
{
  Layout({"hello world foo"}, 80);
  TRunLog printer(6000, 6000, 600, true);
  TCanvas canvas(&printer);
  FDraw.SetDimensions(Rect(0, 0, 80, 999), Rect(0, 0, 500, 6000), 6.25, 6.25);
  FDraw.DrawText(&canvas, haLeft, vaTop);
  ASSERT_EQ(printer.Runs.size(), 2u);
  EXPECT_DOUBLE_EQ(printer.Runs[0].Font.EmHeight, 100);
  EXPECT_EQ(printer.Runs[0].Offsets, (std::vector<double>{0, 50, 100, 150, 200}));
  EXPECT_DOUBLE_EQ(printer.Runs[1].Y, 100);
}

// ---- Real fonts ----

namespace {

class PangoDrawTextTest : public testing::Test {
protected:
  void SetUp() override { SetDefaultTextEngine(nullptr); }

  void Layout(TfrxDrawText& d, const AnsiString& fontName, const std::vector<AnsiString>& lines,
              Integer width)
  {
    TFont font;
    font.SetName(fontName);
    font.SetSize(10);
    font.SetColor(clBlack);
    d.Acquire();
    d.SelectFont(&font);
    d.SetOptions(true, true, 0, false, false);
    d.SetSpacing(0, 0, 0);
    d.SetDimensions(Rect(0, 0, width, 999), Rect(0, 0, width, 999), 1, 1);
    TStringList list;
    for (const AnsiString& l : lines)
      list.Add(l);
    d.WrapText(&list);
    d.Release();
  }
};

std::string RunCommand(const std::string& command)
{
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p)
    return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0)
    out.append(buf, n);
  pclose(p);
  return out;
}

} // namespace

TEST_F(PangoDrawTextTest, ProportionalPositionsAtZoomOneAndTwo)
{
  TfrxDrawText d;
  Layout(d, "Arial", {"Wide Waybill iiii 快递单号 MMMM, lllll and more text"}, 150);
  ASSERT_GT(d.LineCount(), 1);
  TRunLog one(1000, 1000), two(1000, 1000), printer(8000, 8000, 600, true);
  {
    TCanvas c(&one);
    d.SetDimensions(Rect(0, 0, 150, 999), Rect(0, 0, 150, 999), 1, 1);
    d.DrawText(&c, haLeft, vaTop);
    TCanvas c2(&two);
    d.SetDimensions(Rect(0, 0, 150, 999), Rect(0, 0, 300, 1998), 2, 2);
    d.DrawText(&c2, haLeft, vaTop);
    TCanvas c3(&printer);
    d.SetDimensions(Rect(0, 0, 150, 999), Rect(0, 0, 938, 6244), 6.25, 6.25);
    d.DrawText(&c3, haLeft, vaTop);
  }
  std::vector<Integer> x1 = one.CharX(), x2 = two.CharX(), x3 = printer.CharX();
  ASSERT_EQ(x1.size(), x2.size());
  ASSERT_EQ(x1.size(), x3.size());
  for (size_t i = 0; i < x1.size(); ++i) {
    // Inside a line the device's own proportions show by a few pixels; the corrections
    // pull every line end back to the layout's.
    EXPECT_NEAR(x2[i], 2 * x1[i], 4) << i;
    EXPECT_NEAR(x3[i], 6.25 * x1[i], 12.5) << i;
  }
  // Each line ends where the layout says, on every device.
  for (size_t k = 0; k < one.Runs.size(); ++k) {
    EXPECT_NEAR(two.Runs[k].Width, 2 * one.Runs[k].Width, 1.001) << k;
    EXPECT_NEAR(printer.Runs[k].Width, 6.25 * one.Runs[k].Width, 3.2) << k;
  }
}

TEST_F(PangoDrawTextTest, PdfThroughTheVectorSurfaceReadsBack)
{
  ASSERT_EQ(system("command -v pdftotext > /dev/null 2>&1"), 0)
      << "pdftotext is missing (scripts/setup installs poppler-utils)";
  std::string file = "/tmp/frxDrawTextTest-" + std::to_string(getpid()) + ".pdf";
  {
    TfrxDrawText d;
    Layout(d, "宋体", {"<b>快递单</b> Waybill 12345", "收件人 Receiver"}, 300);
    auto pdf = TVectorSurface::CreatePdf(file, 2000, 1000, 600);
    TCanvas canvas(pdf.get());
    d.SetDimensions(Rect(0, 0, 300, 999), Rect(100, 100, 1975, 900), 6.25, 6.25);
    d.DrawText(&canvas, haLeft, vaTop);
    pdf->Finish();
  }
  std::string text = RunCommand("pdftotext -layout " + file + " -");
  unlink(file.c_str());
  EXPECT_NE(text.find(reinterpret_cast<const char*>(u8"快递单 Waybill 12345")), std::string::npos)
      << text;
  EXPECT_NE(text.find(reinterpret_cast<const char*>(u8"收件人 Receiver")), std::string::npos)
      << text;
}

// ---- Sharing ----

namespace {
Integer GProcessed = 0;
void ReleaseSharedLayout()
{
  ++GProcessed;
  frxDrawText()->Release();
}
} // namespace

TEST(DrawTextSharing, AcquireProcessesMessagesWhileBusy)
{
  TfrxDrawText* shared = frxDrawText();
  EXPECT_EQ(frxDrawText(), shared);
  shared->Acquire();
  EXPECT_TRUE(shared->Busy());
  // A second user waits, processing messages, until the first one releases.
  SetDrawTextMessageProcessor(ReleaseSharedLayout);
  GProcessed = 0;
  shared->Acquire();
  EXPECT_EQ(GProcessed, 1);
  EXPECT_TRUE(shared->Busy());
  shared->Release();
  SetDrawTextMessageProcessor(nullptr);
  FreeGlobalDrawText();
  EXPECT_FALSE(frxDrawText()->Busy());
  FreeGlobalDrawText();
}
