#include <cmath>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"

namespace {

// Fixed metrics: single-byte 7 px, double-byte 14 px, ascent 11, descent 2.
struct TFixedText : ::testing::Test {
  std::unique_ptr<TTextEngine> Engine = CreateFixedTextEngine(TFixedMetrics{});
  TImageSurface Surface{120, 60, clWhite};
  TCanvas Canvas{&Surface};
  TFixedText()
  {
    Canvas.SetTextEngine(Engine.get());
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.Font()->SetColor(clBlack);
  }
  TColor At(Integer x, Integer y) const { return Surface.GetPixel(x, y); }
  // The x of the first and one past the last inked column of row y.
  std::pair<Integer, Integer> InkSpan(Integer y) const
  {
    Integer first = -1, last = -1;
    for (Integer x = 0; x < Surface.Width(); ++x)
      if (At(x, y) != clWhite) {
        if (first < 0)
          first = x;
        last = x + 1;
      }
    return {first, last};
  }
};

} // namespace

TEST_F(TFixedText, MeasuringIsExactAndInBytes)
{
  EXPECT_EQ(Canvas.TextWidth("ab国"), 28);
  EXPECT_EQ(Canvas.TextHeight("ab国"), 13);
  EXPECT_EQ(Canvas.TextExtent(""), (TSize{0, 13}));
  Integer fit = -1;
  std::vector<Integer> extents;
  TSize size = Canvas.GetTextExtentExPoint("a国b", 20, &fit, &extents);
  EXPECT_EQ(size.cx, 28);
  EXPECT_EQ(extents, (std::vector<Integer>{7, 21, 21, 28}));
  EXPECT_EQ(fit, 1); // the double-byte character does not fit whole, so it is out
  Canvas.GetTextExtentExPoint("a国b", 21, &fit, nullptr);
  EXPECT_EQ(fit, 3);
  TTextMetric m = Canvas.GetTextMetrics();
  EXPECT_EQ(m.tmAscent, 11);
  EXPECT_EQ(m.tmDescent, 2);
  EXPECT_EQ(m.tmHeight, 13);
  EXPECT_EQ(m.tmAveCharWidth, 7);
}

TEST_F(TFixedText, ExplicitAdvancesPlaceEachCharacter)
{
  // "a国b" with advances per byte; the double-byte character advances by both entries.
  Integer dx[] = {10, 12, 8, 5};
  Canvas.ExtTextOut(4, 2, 0, nullptr, "a国b", dx);
  // Glyph boxes: columns [x, x + font advance - 1) from x = 4, 14, 34.
  EXPECT_EQ(At(4, 5), clBlack);
  EXPECT_EQ(At(9, 5), clBlack); // a glyph keeps its own width, whatever its advance
  EXPECT_EQ(At(10, 5), clWhite);
  EXPECT_EQ(At(14, 5), clBlack);
  EXPECT_EQ(At(26, 5), clBlack);
  EXPECT_EQ(At(27, 5), clWhite);
  EXPECT_EQ(At(34, 5), clBlack);
  EXPECT_EQ(At(33, 5), clWhite);
  EXPECT_EQ(At(4, 1), clWhite);  // cell top is y
  EXPECT_EQ(At(4, 12), clBlack); // ascent 11: rows 2..12
  EXPECT_EQ(At(4, 13), clWhite);
}

TEST_F(TFixedText, OpaqueAndClippedOutput)
{
  Canvas.Brush()->SetColor(clYellow);
  TRect r = Rect(10, 10, 30, 20);
  Canvas.ExtTextOut(5, 10, ETO_OPAQUE | ETO_CLIPPED, &r, "abcdef");
  EXPECT_EQ(At(11, 19), clYellow);
  EXPECT_EQ(At(29, 10), clBlack);
  EXPECT_EQ(At(30, 12), clWhite); // clipped away
  EXPECT_EQ(At(7, 12), clWhite);

  // TextOut with a solid brush fills the character cells and moves the pen.
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.TextOut(40, 30, "ab");
  EXPECT_EQ(At(46, 30), clYellow); // the gap column of the first box
  EXPECT_EQ(At(53, 42), clYellow); // descent row
  EXPECT_EQ(At(54, 42), clWhite);
  EXPECT_EQ(Canvas.PenPos(), Point(54, 30));
}

TEST_F(TFixedText, DrawTextCalcRectEqualsTheDrawnExtent)
{
  struct Case {
    const char* Name;
    const char* Text;
    Cardinal Format;
    Integer Width, Height;
  } cases[] = {
      {"single", "abc", DT_SINGLELINE, 21, 13},
      {"word break", "aaa bbb ccc", DT_WORDBREAK, 49, 26},
      {"hard breaks", "a\r\nbb\ncc c", 0, 28, 39},
      {"cjk breaks between characters", "国国国国国", DT_WORDBREAK, 42, 26},
      {"prefix", "&Open", DT_SINGLELINE, 28, 13},
      {"double ampersand", "a&&b", DT_SINGLELINE, 21, 13},
      {"no prefix", "a&b", DT_SINGLELINE | DT_NOPREFIX, 21, 13},
      {"tabs", "a\tb", DT_SINGLELINE | DT_EXPANDTABS, 63, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRect calc = Rect(0, 0, 50, 0);
    Integer h = Canvas.DrawText(c.Text, calc, c.Format | DT_CALCRECT);
    EXPECT_EQ(h, c.Height);
    EXPECT_EQ(calc, Rect(0, 0, c.Width, c.Height));

    // Drawn in a fresh area, the ink stays inside the calculated rectangle and reaches
    // its last line.
    Surface.Resize(0, 0, clWhite);
    Surface.Resize(120, 60, clWhite);
    TRect draw = Rect(0, 0, 50, 60);
    Canvas.DrawText(c.Text, draw, c.Format);
    for (Integer y = 0; y < 60; ++y) {
      auto [first, last] = InkSpan(y);
      if (first < 0)
        continue;
      EXPECT_LE(last, c.Width) << y;
      EXPECT_LT(y, c.Height);
    }
    EXPECT_NE(InkSpan(c.Height - 3).first, -1);
  }
}

// Word breaking in an 80 px box (Latin 7 px, Chinese 14 px): a word longer than the line
// runs over only up to its next break opportunity, and Chinese characters are one.
TEST_F(TFixedText, WordBreakAtBlanksAndAroundChineseCharacters)
{
  struct Case {
    const char* Name;
    const char* Text;
    std::vector<AnsiString> Lines;
  } cases[] = {
      {"tracking number glued to a name", "SF1234567890123张三", {"SF1234567890123", "张三"}},
      {"name glued to a tracking number", "张三SF1234567890123", {"张三", "SF1234567890123"}},
      {"Chinese between Latin runs",
       "ABCDEFGHIJKLM国NOPQRSTUVWXYZ",
       {"ABCDEFGHIJKLM", "国", "NOPQRSTUVWXYZ"}},
      {"a blank ends a long word", "ABCDEFGHIJKL MN", {"ABCDEFGHIJKL", "MN"}},
      {"Chinese runs break anywhere", "北京市海淀区中关村大街", {"北京市海淀", "区中关村大", "街"}},
      {"no opportunity at all", "ABCDEFGHIJKLMNOP", {"ABCDEFGHIJKLMNOP"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Integer widest = 0;
    for (const AnsiString& line : c.Lines)
      widest = std::max(widest, Canvas.TextWidth(line));
    TRect calc = Rect(0, 0, 80, 0);
    Canvas.DrawText(c.Text, calc, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(calc, Rect(0, 0, widest, 13 * static_cast<Integer>(c.Lines.size())));

    // Each line starts at the left edge of its own row; glyph boxes end one column before
    // their advance.
    Surface.Resize(0, 0, clWhite);
    Surface.Resize(240, 60, clWhite);
    TRect r = Rect(0, 0, 80, 60);
    Canvas.DrawText(c.Text, r, DT_WORDBREAK | DT_NOCLIP);
    for (size_t k = 0; k < c.Lines.size(); ++k) {
      Integer row = 13 * static_cast<Integer>(k) + 5;
      EXPECT_EQ(InkSpan(row), std::make_pair(0, Canvas.TextWidth(c.Lines[k]) - 1)) << k;
    }
    EXPECT_EQ(InkSpan(13 * static_cast<Integer>(c.Lines.size()) + 5).first, -1);
  }
  // The rule itself, byte by byte.
  AnsiString s = "ab 国c";
  EXPECT_FALSE(CanBreakLineBefore(s, 1, 0));
  EXPECT_TRUE(CanBreakLineBefore(s, 2, 1)); // before the blank
  EXPECT_TRUE(CanBreakLineBefore(s, 3, 2)); // after it
  EXPECT_TRUE(CanBreakLineBefore(s, 5, 3)); // after the double-byte character
  EXPECT_FALSE(CanBreakLineBefore(s, 0, 0));
  EXPECT_FALSE(CanBreakLineBefore(s, 6, 5)); // the end
}

TEST_F(TFixedText, DrawTextAlignmentEllipsisAndPrefixUnderline)
{
  TRect r = Rect(0, 0, 100, 40);
  Canvas.DrawText("ab", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  // 14 px wide in 100: starts at 43; 13 high in 40: top at 13.
  EXPECT_EQ(InkSpan(20).first, 43);
  EXPECT_EQ(At(43, 13), clBlack);
  EXPECT_EQ(At(43, 12), clWhite);

  Surface.Resize(0, 0, clWhite);
  Surface.Resize(120, 60, clWhite);
  r = Rect(0, 0, 100, 40);
  Canvas.DrawText("ab", r, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  EXPECT_EQ(InkSpan(30).second, 99); // the last box leaves its gap column
  EXPECT_EQ(At(98, 27), clBlack);
  EXPECT_EQ(At(98, 26), clWhite);

  // End ellipsis: "abcdefghij" (70 px) in 50 px keeps "abcd" + "..." (49 px).
  TRect calc = Rect(0, 0, 50, 0);
  Canvas.DrawText("abcdefghij", calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_EQ(calc.Right, 49);
  TRect path = Rect(0, 0, 70, 0);
  Canvas.DrawText("c:\\dir\\sub\\file", path, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_CALCRECT);
  EXPECT_EQ(path.Right, 70); // "c:\...\file" is 11 characters

  // '&' underlines the next character one row below the baseline.
  Surface.Resize(0, 0, clWhite);
  Surface.Resize(120, 60, clWhite);
  r = Rect(0, 0, 100, 40);
  Canvas.DrawText("a&bc", r, DT_SINGLELINE);
  EXPECT_EQ(At(7, 12), clBlack); // underline of "b" spans columns 7..13
  EXPECT_EQ(At(13, 12), clBlack);
  EXPECT_EQ(At(14, 12), clWhite);
  EXPECT_EQ(At(3, 12), clWhite);
}

TEST_F(TFixedText, DrawTextExMargins)
{
  TDrawTextParams params;
  params.iLeftMargin = 5;
  params.iRightMargin = 3;
  params.iTabLength = 2;
  TRect calc = Rect(0, 0, 100, 0);
  Canvas.DrawTextEx("a\tb", calc, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT, &params);
  EXPECT_EQ(calc, Rect(0, 0, 5 + 21 + 3, 13)); // "a", one blank to column 2, "b"
  EXPECT_EQ(params.uiLengthDrawn, 3);
  TRect r = Rect(0, 0, 100, 20);
  Canvas.DrawTextEx("ab", r, DT_SINGLELINE | DT_RIGHT, &params);
  EXPECT_EQ(InkSpan(5).second, 100 - 3 - 1);
}

TEST_F(TFixedText, TabsAndJustification)
{
  EXPECT_EQ(Canvas.GetTabbedTextExtent("a\tb", {}).cx, 63); // default stops every 56 px
  EXPECT_EQ(Canvas.GetTabbedTextExtent("a\tb", {20}).cx, 27);
  EXPECT_EQ(Canvas.GetTabbedTextExtent("a\tb\tc", {10, 30}).cx, 37);
  EXPECT_EQ(Canvas.GetTabbedTextExtent("\t\t\t", {10, 30}).cx, 56); // past the last stop
  // Stops count from the tab origin: "b" lands on 20.
  TSize drawn = Canvas.TabbedTextOut(5, 0, "a\tb", {20}, 0);
  EXPECT_EQ(drawn.cx, 22);
  EXPECT_EQ(At(19, 5), clWhite);
  EXPECT_EQ(At(20, 5), clBlack);

  // 5 extra pixels over 2 blanks: the first gets 3, the second 2.
  Canvas.SetTextJustification(5, 2);
  Canvas.ExtTextOut(0, 20, 0, nullptr, "a b c");
  EXPECT_EQ(At(16, 25), clWhite);
  EXPECT_EQ(At(17, 25), clBlack); // "b" at 7 + 7 + 3
  EXPECT_EQ(At(32, 25), clWhite);
  EXPECT_EQ(At(33, 25), clBlack); // "c" at 17 + 7 + 7 + 2
  Canvas.SetTextJustification(0, 0);
  EXPECT_EQ(Canvas.TextWidth("a b c"), 35);
}

// ---------------------------------------------------------------------------------------
// Real fonts

namespace {

AnsiString BuildDir()
{
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0)
    return ".";
  exe[n] = 0;
  AnsiString path = exe;
  return path.substr(0, path.rfind('/'));
}

Integer InkCount(const TImageSurface& s, const TRect& r)
{
  Integer n = 0;
  for (Integer y = std::max(0, r.Top); y < std::min(s.Height(), r.Bottom); ++y)
    for (Integer x = std::max(0, r.Left); x < std::min(s.Width(), r.Right); ++x)
      n += s.GetPixel(x, y) != clWhite;
  return n;
}

} // namespace

TEST(PangoText, SubstitutionTable)
{
  EXPECT_EQ(SubstituteFontName("宋体"), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(SubstituteFontName("simsun"), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(SubstituteFontName("黑体"), "WenQuanYi Zen Hei");
  EXPECT_EQ(SubstituteFontName("Arial"), "Liberation Sans");
  EXPECT_EQ(SubstituteFontName("Times New Roman"), "Liberation Serif");
  EXPECT_EQ(SubstituteFontName("Courier New"), "Liberation Mono");
  EXPECT_EQ(SubstituteFontName("MS Sans Serif"), "DejaVu Sans");
  EXPECT_EQ(SubstituteFontName("Default"), "WenQuanYi Zen Hei");
  EXPECT_EQ(SubstituteFontName("Foo"), "Foo");
  EXPECT_FALSE(ShippedFontConfigFile().empty());
}

TEST(PangoText, ScreenFontsOfferInstalledAndPlatformNames)
{
  std::vector<AnsiString> fonts = ScreenFonts();
  auto has = [&](const AnsiString& name) {
    return std::find(fonts.begin(), fonts.end(), name) != fonts.end();
  };
  EXPECT_TRUE(has("宋体"));
  EXPECT_TRUE(has("Arial"));
  EXPECT_TRUE(has("WenQuanYi Zen Hei"));
  EXPECT_TRUE(has("DejaVu Sans"));
  EXPECT_TRUE(has("文泉驿正黑")); // a localised family name GBK can hold
  for (size_t i = 1; i < fonts.size(); ++i)
    EXPECT_LT(AnsiCompareText(fonts[i - 1], fonts[i]), 0) << fonts[i - 1] << " / " << fonts[i];
  // The enumeration offers the same names, every one scalable.
  std::vector<TFontFamilyInfo> families = EnumFontFamilies();
  ASSERT_EQ(families.size(), fonts.size());
  for (size_t i = 0; i < families.size(); ++i) {
    EXPECT_EQ(families[i].Name, fonts[i]);
    EXPECT_EQ(families[i].FontType & TRUETYPE_FONTTYPE, TRUETYPE_FONTTYPE);
  }
}

TEST_F(TFixedText, UnderlineAndStrikeOutFollowTheOutlineMetricsAlsoWhenTurned)
{
  Canvas.Font()->SetHeight(-12);
  TOutlineTextMetric o = Canvas.GetOutlineTextMetrics();
  EXPECT_EQ(o.otmAscent, 11);
  EXPECT_EQ(o.otmDescent, -2);
  EXPECT_EQ(o.otmsUnderscorePosition, -1);
  EXPECT_EQ(o.otmsStrikeoutPosition, 3);
  EXPECT_EQ(o.otmsUnderscoreSize, 1);
  Canvas.Font()->SetStyle(TFontStyles{fsUnderline, fsStrikeOut});
  Canvas.TextOut(10, 10, "ab");   // cell rows 10..22, baseline 21
  EXPECT_EQ(At(20, 22), clBlack); // underline: the row below the baseline's
  EXPECT_EQ(At(23, 22), clBlack);
  EXPECT_EQ(At(24, 22), clWhite); // ends with the text (14 px)
  EXPECT_EQ(At(13, 23), clWhite);
  EXPECT_EQ(At(16, 18), clBlack); // strike-out, 3 rows above the baseline, in a glyph gap
  EXPECT_EQ(At(16, 17), clWhite);
  // Turned a quarter: the text reads upward from (60, 50) and its underline is a column
  // right of the glyphs, 12 pixels from the start point, rows 36..49. (This engine draws
  // its glyph boxes unturned, below y = 50.)
  Canvas.Font()->SetStyle(TFontStyles{fsUnderline});
  Canvas.Font()->SetOrientation(900);
  Canvas.TextOut(60, 50, "ab");
  EXPECT_EQ(At(72, 45), clBlack);
  EXPECT_EQ(At(72, 37), clBlack);
  EXPECT_EQ(At(72, 35), clWhite);
  EXPECT_EQ(At(73, 45), clWhite);
  // An opaque background is the text's cell, turned with it: columns 90..102, rows 36..49.
  Canvas.Font()->SetStyle(TFontStyles{});
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.Brush()->SetColor(clYellow);
  Canvas.TextOut(90, 50, "ab");
  EXPECT_EQ(At(90, 36), clYellow);
  EXPECT_EQ(At(102, 49), clYellow);
  EXPECT_EQ(At(103, 40), clWhite);
  EXPECT_EQ(At(95, 35), clWhite);
}

TEST(PangoText, OutlineMetricsComeFromTheFace)
{
  std::unique_ptr<TTextEngine> engine = CreatePangoTextEngine();
  TFontSpec font;
  font.Name = "Arial";
  font.EmHeight = 1000;
  TOutlineTextMetric o = engine->OutlineMetrics(font);
  EXPECT_GT(o.otmsCapEmHeight, 600);
  EXPECT_LT(o.otmsCapEmHeight, 800);
  EXPECT_GT(o.otmsXHeight, 400);
  EXPECT_LT(o.otmsXHeight, o.otmsCapEmHeight);
  EXPECT_LT(o.otmsUnderscorePosition, 0);
  EXPECT_GT(o.otmsUnderscorePosition, o.otmDescent);
  EXPECT_GT(o.otmsStrikeoutPosition, 0);
  EXPECT_LT(o.otmsStrikeoutPosition, o.otmsCapEmHeight);
  EXPECT_GT(o.otmsUnderscoreSize, 20);
  EXPECT_LT(o.otmsUnderscoreSize, 150);
  EXPECT_EQ(o.otmsCharSlopeRun, 0);
  font.Style = TFontStyles{fsItalic};
  EXPECT_GT(engine->OutlineMetrics(font).otmsCharSlopeRun, 0);
}

TEST(PangoText, WidthsAddUpAndScaleWithTheFont)
{
  std::unique_ptr<TTextEngine> engine = CreatePangoTextEngine();
  TImageSurface surface(10, 10);
  TCanvas c(&surface);
  c.SetTextEngine(engine.get());
  c.Font()->SetName("宋体");
  c.Font()->SetHeight(-12);
  AnsiString text = "AVAWa国b测试To";
  std::vector<Integer> extents;
  TSize whole = c.GetTextExtentExPoint(text, MaxInt, nullptr, &extents);
  EXPECT_EQ(extents.back(), whole.cx);
  // Context-free: the text's width is the sum of its parts' (within rounding).
  Integer parts = c.TextWidth("AVAWa") + c.TextWidth("国b测试") + c.TextWidth("To");
  EXPECT_NEAR(whole.cx, parts, 2);
  // The mono face: half-width Latin, full-width CJK.
  EXPECT_NEAR(c.TextWidth("国"), 2 * c.TextWidth("a"), 1);
  EXPECT_EQ(c.TextWidth("国"), 12);

  // Twice the em gives twice the extents (up to rounding), at every position.
  c.Font()->SetHeight(-24);
  std::vector<Integer> doubled;
  c.GetTextExtentExPoint(text, MaxInt, nullptr, &doubled);
  ASSERT_EQ(doubled.size(), extents.size());
  for (size_t i = 0; i < extents.size(); ++i)
    EXPECT_NEAR(doubled[i], 2 * extents[i], 1) << i;

  TTextMetric m = c.GetTextMetrics();
  EXPECT_EQ(m.tmHeight, m.tmAscent + m.tmDescent);
  EXPECT_GE(m.tmHeight, 24);
  EXPECT_TRUE(m.tmPitchAndFamily & TMPF_TRUETYPE);
}

TEST(PangoText, TextDrawnWithExplicitAdvancesLandsWhereMeasured)
{
  std::unique_ptr<TTextEngine> engine = CreatePangoTextEngine();
  TImageSurface surface(200, 40, clWhite);
  TCanvas c(&surface);
  c.SetTextEngine(engine.get());
  c.Brush()->SetStyle(bsClear);
  c.Font()->SetName("黑体");
  c.Font()->SetHeight(-20);
  c.Font()->SetColor(clBlack);
  // Three characters spread 50 px apart: ink only within each character's own slot.
  Integer dx[] = {50, 0, 50, 0, 50, 0};
  c.ExtTextOut(10, 5, 0, nullptr, "国国国", dx);
  for (Integer i = 0; i < 3; ++i) {
    Integer left = 10 + 50 * i;
    EXPECT_GT(InkCount(surface, Rect(left, 0, left + 20, 40)), 20) << i;
    EXPECT_EQ(InkCount(surface, Rect(left + 22, 0, left + 50, 40)), 0) << i;
  }
  EXPECT_EQ(InkCount(surface, Rect(0, 0, 10, 40)), 0);
}

namespace {

// The character cells of a run drawn at (x, y) on c, from the canvas's own measuring: one
// cell per character (start extent to end extent, the font's cell height), with whether
// the character is a blank. For a font turned a quarter, the run reads upward from (x, y).
struct TCell {
  TRect Box;
  bool Blank = false;
};
std::vector<TCell> GlyphCells(TCanvas& c, Integer x, Integer y, const AnsiString& text)
{
  std::vector<Integer> extents;
  c.GetTextExtentExPoint(text, MaxInt, nullptr, &extents);
  Integer height = c.GetTextMetrics().tmHeight;
  bool turned = c.Font()->Orientation() == 900;
  std::vector<TCell> cells;
  Integer start = 0;
  for (size_t i = 0; i < text.size();) {
    size_t n = static_cast<unsigned char>(text[i]) >= 0x81 ? 2 : 1;
    Integer end = extents[i + n - 1];
    TCell cell;
    cell.Box =
        turned ? Rect(x, y - end, x + height, y - start) : Rect(x + start, y, x + end, y + height);
    cell.Blank = text[i] == ' ';
    cells.push_back(cell);
    start = end;
    i += n;
  }
  return cells;
}

// Each character's cell holds ink and each blank's none; the cell after the run is empty.
void ExpectInkInCells(const TImageSurface& s, const std::vector<TCell>& cells)
{
  for (size_t k = 0; k < cells.size(); ++k) {
    // Antialiased edges may spill a pixel into a neighbour: blanks are probed inside.
    TRect inner = cells[k].Box;
    InflateRect(inner, -1, 0);
    if (cells[k].Blank)
      EXPECT_EQ(InkCount(s, inner), 0) << "blank " << k;
    else
      EXPECT_GT(InkCount(s, cells[k].Box), 0) << "character " << k;
  }
}

} // namespace

TEST(PangoText, ScreenshotWithChineseText)
{
  TImageSurface surface(360, 120, clWhite);
  TCanvas c(&surface);
  c.Font()->SetName("宋体");
  c.Font()->SetSize(16);
  c.Font()->SetColor(clBlack);
  c.Brush()->SetStyle(bsClear);
  AnsiString first = "快递运单打印 ABC 123";
  c.TextOut(8, 8, first);
  std::vector<TCell> firstCells = GlyphCells(c, 8, 8, first);
  c.Font()->SetName("黑体");
  c.Font()->SetColor(clNavy);
  c.Font()->SetStyle({fsBold, fsUnderline});
  AnsiString second = "收件人：张三 北京市";
  c.TextOut(8, 44, second);
  std::vector<TCell> secondCells = GlyphCells(c, 8, 44, second);
  Integer secondAscent = c.GetTextMetrics().tmAscent;
  c.Font()->SetStyle({});
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-14);
  c.Font()->SetOrientation(900);
  AnsiString turned = "Arial 90";
  c.TextOut(340, 112, turned);
  std::vector<TCell> turnedCells = GlyphCells(c, 340, 112, turned);
  c.Pen()->SetColor(clRed);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(2, 2, 300, 40);

  ExpectInkInCells(surface, firstCells);
  // The underline runs through the blank's cell: only the glyph cells are probed.
  for (TCell& cell : secondCells)
    if (cell.Blank)
      cell.Box.Bottom = cell.Box.Top + secondAscent - 2;
  ExpectInkInCells(surface, secondCells);
  ExpectInkInCells(surface, turnedCells); // reads upward from (340, 112)
  // Nothing right of the horizontal runs, nor above the turned one.
  TRect afterFirst = firstCells.back().Box;
  EXPECT_EQ(InkCount(surface, Rect(afterFirst.Right + 1, 8, 298, afterFirst.Bottom)), 0);
  EXPECT_EQ(InkCount(surface, Rect(320, 0, 360, turnedCells.back().Box.Top - 1)), 0);
  EXPECT_TRUE(surface.WritePng(BuildDir() + "/graphics-text-screenshot.png"));
}

// A string is shaped once and drawn whole, but each character still lands at its own
// measured start: the pixels equal those of the characters drawn one by one there. The
// user-defined character (no font has it) is drawn as a box, in its own slot too.
TEST(PangoText, WholeStringsDrawLikeTheirCharactersOneByOne)
{
  struct Case {
    const char* Name;
    AnsiString Font;
    AnsiString Text;
    Integer Orientation;
  } cases[] = {
      {"mixed", "宋体", "单号SF12：张三 a", 0},
      {"proportional", "Arial", "AVAWa To", 0},
      {"turned", "黑体", "北京 W", 900},
      {"no font has it", "宋体", "a\xAA\xA1国", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TImageSurface whole(220, 220, clWhite), single(220, 220, clWhite);
    auto prepare = [&](TCanvas& canvas) {
      canvas.Brush()->SetStyle(bsClear);
      canvas.Font()->SetName(c.Font);
      canvas.Font()->SetHeight(-16);
      canvas.Font()->SetOrientation(c.Orientation);
    };
    TCanvas w(&whole), s(&single);
    prepare(w);
    prepare(s);
    // Characters 20 px apart, so no two glyphs touch.
    std::vector<Integer> dx(c.Text.size(), 0);
    for (size_t i = 0; i < c.Text.size();) {
      size_t n = static_cast<unsigned char>(c.Text[i]) >= 0x81 ? 2 : 1;
      dx[i] = 20;
      i += n;
    }
    TPoint origin = c.Orientation ? Point(100, 210) : Point(5, 100);
    w.ExtTextOut(origin.X, origin.Y, 0, nullptr, c.Text, dx.data());
    Integer at = 0;
    for (size_t i = 0; i < c.Text.size();) {
      size_t n = static_cast<unsigned char>(c.Text[i]) >= 0x81 ? 2 : 1;
      TPoint p = c.Orientation ? Point(origin.X, origin.Y - at) : Point(origin.X + at, origin.Y);
      s.TextOut(p.X, p.Y, c.Text.substr(i, n));
      at += 20;
      i += n;
    }
    Integer differing = 0, inked = 0;
    for (Integer y = 0; y < 220; ++y)
      for (Integer x = 0; x < 220; ++x) {
        differing += whole.GetPixel(x, y) != single.GetPixel(x, y);
        inked += whole.GetPixel(x, y) != clWhite;
      }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inked, 50);
  }
}

TEST(PangoText, MeasuredAt600DpiDrawnAtZoomOneAndTwoIsProportional)
{
  TFont font;
  font.SetName("黑体");
  font.SetSize(12);
  TFontSpec layout = LayoutFontSpec(font);
  EXPECT_EQ(layout.EmHeight, 100);
  AnsiString text = "国a国W";
  std::vector<double> adv;
  DefaultTextEngine().Advances(layout, text, adv);

  // Character starts at zoom z: the 600-dpi offsets scaled to 96 dpi times z.
  auto draw = [&](Integer zoom, TImageSurface& surface) {
    TCanvas c(&surface);
    c.Brush()->SetStyle(bsClear);
    c.Font()->Assign(&font);
    c.Font()->SetHeight(-16 * zoom);
    std::vector<Integer> dx(text.size(), 0);
    double x = 0;
    Integer placed = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      x += adv[i] * 96.0 / 600.0 * zoom;
      Integer next = static_cast<Integer>(std::floor(x + 0.5));
      dx[i] = next - placed;
      placed = next;
    }
    c.ExtTextOut(0, 0, 0, nullptr, text, dx.data());
  };
  TImageSurface one(100, 30, clWhite), two(200, 60, clWhite);
  draw(1, one);
  draw(2, two);
  // The leftmost ink of each character's slot doubles with the zoom.
  double start = 0;
  for (size_t i = 0; i < text.size();) {
    size_t n = static_cast<unsigned char>(text[i]) >= 0x81 ? 2 : 1;
    double end = start + adv[i] * 96.0 / 600.0;
    auto firstInk = [](const TImageSurface& s, Integer from, Integer to) {
      for (Integer x = from; x < to; ++x)
        for (Integer y = 0; y < s.Height(); ++y)
          if (s.GetPixel(x, y) != clWhite)
            return x;
      return -1;
    };
    Integer a = firstInk(one, static_cast<Integer>(start), static_cast<Integer>(end));
    Integer b = firstInk(two, static_cast<Integer>(2 * start), static_cast<Integer>(2 * end));
    ASSERT_GE(a, 0) << i;
    EXPECT_NEAR(b, 2 * a, 2) << i;
    start = end;
    i += n;
  }
}
