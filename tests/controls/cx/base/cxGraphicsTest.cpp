#include "controls/cx/base/cxGraphics.h"

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "tests/controls/cx/base/cxTestSupport.h"

using namespace cxtest;

TEST(cxGraphics, TextFlagsTranslateByTable)
{
  struct Case {
    Integer Flags;
    Cardinal Expected;
  } cases[] = {
      {0, DT_NOPREFIX},
      {ctfPrefix, 0},
      {ctfWordWrap, DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL},
      {ctfLeft | ctfTop, DT_NOPREFIX},
      {ctfRight | ctfBottom | ctfSingleLine, DT_NOPREFIX | DT_RIGHT | DT_BOTTOM | DT_SINGLELINE},
      {ctfHCenter | ctfVCenter | ctfNoClip, DT_NOPREFIX | DT_CENTER | DT_VCENTER | DT_NOCLIP},
      {ctfExpandTabs | ctfEndEllipsis | ctfMeasureOnly | ctfPathEllipsis | ctfPrefix,
       DT_EXPANDTABS | DT_END_ELLIPSIS | DT_CALCRECT | DT_PATH_ELLIPSIS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Flags);
    EXPECT_EQ(TextFlagsToDrawTextFlags(c.Flags), c.Expected);
  }
}

TEST(cxGraphics, InflateSidesMovesOnlyTheNamedSides)
{
  struct Case {
    const char* Name;
    TcxBorders Sides;
    Integer Width;
    TRect Expected;
  } cases[] = {
      {"all outward", cxBordersAll, 2, Rect(8, 18, 42, 62)},
      {"all inward", cxBordersAll, -3, Rect(13, 23, 37, 57)},
      {"left and bottom", TcxBorders{bLeft, bBottom}, 1, Rect(9, 20, 40, 61)},
      {"top and right inward", TcxBorders{bTop, bRight}, -1, Rect(10, 21, 39, 60)},
      {"no sides", TcxBorders{}, 5, Rect(10, 20, 40, 60)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(cxRectInflateSides(Rect(10, 20, 40, 60), c.Sides, c.Width), c.Expected);
  }
}

TEST(cxGraphics, FillRectWithBitmapTilesFromTheOrigin)
{
  // Pixel (x, y) of the tile is RGB(x, y, 7), so every painted pixel tells its source.
  TBitmap tile(16, 16);
  for (Integer y = 0; y < 16; ++y)
    for (Integer x = 0; x < 16; ++x)
      tile.Canvas()->SetPixels(x, y, RGB(x, y, 7));
  TPaintFixture f;
  f.Cx.FillRectWithBitmap(Rect(10, 10, 30, 30), &tile);
  for (Integer y = 8; y < 32; ++y)
    for (Integer x = 8; x < 32; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 10 && y < 30;
      ASSERT_EQ(f.At(x, y), inside ? RGB(x % 16, y % 16, 7) : clWhite) << x << "," << y;
    }
  // Negative coordinates tile on the same grid (floor division).
  TPaintFixture g;
  g.Canvas.SetWindowOrg(TPoint{-20, -20});
  g.Cx.FillRectWithBitmap(Rect(-5, -3, 2, 2), &tile);
  EXPECT_EQ(g.At(15, 17), RGB(11, 13, 7));
  EXPECT_EQ(g.At(21, 21), RGB(1, 1, 7));
  // No bitmap: the brush.
  TPaintFixture h;
  h.Cx.Brush()->SetColor(clRed);
  h.Cx.FillRectWithBitmap(Rect(1, 1, 3, 3), nullptr);
  EXPECT_EQ(h.Uniform(Rect(1, 1, 3, 3)), clRed);
}

TEST(cxGraphics, FramesAndEdgesPaintTheirSides)
{
  TDiagnosticPalette palette;
  TPaintFixture f(20, 20);
  f.Cx.Brush()->SetColor(clLime);
  f.Cx.DrawFrameSides(Rect(2, 2, 18, 18), clDefault, 2, TcxBorders{bLeft, bBottom});
  EXPECT_EQ(f.Uniform(Rect(2, 2, 4, 18)), clLime);
  EXPECT_EQ(f.Uniform(Rect(2, 16, 18, 18)), clLime);
  EXPECT_EQ(f.At(16, 4), clWhite) << "right side not asked for";
  EXPECT_EQ(f.At(5, 2), clWhite) << "top side not asked for";

  struct Case {
    bool Sunken, Outer;
    TColor LeftTop, RightBottom;
  } cases[] = {
      {false, true, cl3DLight, cl3DDkShadow},
      {false, false, clBtnHighlight, clBtnShadow},
      {true, true, clBtnShadow, clBtnHighlight},
      {true, false, cl3DDkShadow, cl3DLight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Sunken << c.Outer);
    TPaintFixture e(10, 10);
    e.Cx.Draw3DEdge(Rect(1, 1, 9, 9), c.Sunken, c.Outer);
    EXPECT_EQ(e.At(1, 5), Rgb(c.LeftTop));
    EXPECT_EQ(e.At(5, 1), Rgb(c.LeftTop));
    EXPECT_EQ(e.At(8, 5), Rgb(c.RightBottom));
    EXPECT_EQ(e.At(5, 8), Rgb(c.RightBottom));
    EXPECT_EQ(e.At(8, 1), Rgb(c.RightBottom)) << "right side drawn after the top";
    EXPECT_EQ(e.At(5, 5), clWhite);
  }
}

TEST(cxGraphics, DisabledTextIsEmbossed)
{
  TDiagnosticPalette palette;
  TPaintFixture f(40, 20);
  f.Cx.Brush()->SetColor(clWhite);
  f.Cx.Font()->SetColor(clRed);
  f.Cx.DrawTextInState("ab", Rect(2, 2, 38, 18), ctfSingleLine, false);
  // Fixed glyphs are boxes: columns [x, x + 5), rows [y, y + 10).
  EXPECT_EQ(f.At(2, 2), Rgb(clBtnShadow)) << "shadow where an enabled text would be";
  EXPECT_EQ(f.At(7, 12), Rgb(clBtnHighlight)) << "highlight one pixel right and down";
  EXPECT_EQ(f.Count(clRed), 0);
  EXPECT_EQ(f.Cx.Font()->Color(), clRed) << "font colour restored";
  EXPECT_EQ(f.Cx.Brush()->Style(), bsSolid) << "brush style restored";
}

TEST(cxGraphics, SingleLineTextAlignsOrClips)
{
  TPaintFixture f(60, 20);
  f.Cx.Font()->SetColor(clBlack);
  f.Cx.Brush()->SetStyle(bsClear);
  f.Cx.DrawTextInState("abc", Rect(0, 0, 30, 20), ctfSingleLine | ctfRight | ctfVCenter);
  // 18 px wide, 13 high: left 12, top (20 - 13) / 2 = 3.
  EXPECT_EQ(f.At(12, 3), clBlack);
  EXPECT_EQ(f.At(11, 3), clWhite);
  EXPECT_EQ(f.At(12, 2), clWhite);
  // Wider than R: R.Left kept, clipped at R.Right.
  TPaintFixture g(60, 20);
  g.Cx.Font()->SetColor(clBlack);
  g.Cx.Brush()->SetStyle(bsClear);
  g.Cx.DrawTextInState("abcdefgh", Rect(4, 0, 20, 20), ctfSingleLine | ctfRight);
  EXPECT_EQ(g.At(4, 1), clBlack);
  EXPECT_EQ(g.At(19, 1), clBlack);
  EXPECT_EQ(g.At(20, 1), clWhite);
}

TEST(cxGraphics, CalcTextRectPlacesTheMeasuredBox)
{
  TPaintFixture f;
  TRect r = Rect(10, 10, 50, 40);
  f.Cx.CalcTextRect("ab", r, ctfSingleLine | ctfHCenter | ctfVCenter);
  EXPECT_EQ(r, Rect(24, 18, 36, 31));
  r = Rect(10, 10, 50, 40);
  f.Cx.CalcTextRect("ab", r, ctfSingleLine | ctfRight | ctfBottom);
  EXPECT_EQ(r, Rect(38, 27, 50, 40));
  EXPECT_EQ(f.Cx.FontLineHeight(f.Cx.Font()), 13);
  TSize s;
  f.Cx.MeasureText("", s);
  EXPECT_EQ(s, (TSize{0, 0}));
}

TEST(cxGraphics, ClipRegionRoundTripsInDevicePixels)
{
  TPaintFixture f(40, 40);
  std::unique_ptr<TcxRegion> all(f.Cx.CopyClipRegion());
  EXPECT_EQ(all->Handle().Bounds(), Rect(0, 0, 107374182, 107374182));
  f.Canvas.SetWindowOrg(TPoint{5, 5});
  f.Cx.ClipToRect(Rect(10, 10, 20, 20)); // device 5..15
  TcxRegion* saved = f.Cx.CopyClipRegion();
  EXPECT_EQ(saved->Handle().Bounds(), Rect(5, 5, 15, 15));
  f.Cx.ExcludeFromClip(Rect(10, 10, 20, 20));
  EXPECT_FALSE(f.Cx.IsRectVisible(Rect(12, 12, 14, 14)));
  f.Cx.SetClipRegion(saved, roCopy);
  EXPECT_TRUE(f.Cx.IsRectVisible(Rect(12, 12, 14, 14)));
  // Union takes a region in logical units, moved by the window origin.
  f.Cx.SetClipRegion(new TcxRegion(Rect(30, 30, 35, 35)), roUnion);
  std::unique_ptr<TcxRegion> now(f.Cx.CopyClipRegion());
  EXPECT_TRUE(now->Handle().Contains(25, 25));
  EXPECT_TRUE(now->Handle().Contains(6, 6));
  EXPECT_FALSE(now->Handle().Contains(20, 20));

  TcxRegion a(Rect(0, 0, 10, 10));
  a.Combine(new TcxRegion(Rect(5, 0, 10, 10)), roDifference);
  EXPECT_EQ(a.Handle().Bounds(), Rect(0, 0, 5, 10));
  a.Combine(new TcxRegion(Rect(20, 20, 21, 21)), roIntersection);
  EXPECT_TRUE(a.IsNullRegion());
}

TEST(cxGraphics, MixSystemColorsBlendsOrGivesTheHighlight)
{
  SetSysColor(COLOR_BTNFACE, RGB(212, 208, 200));
  SetSysColor(COLOR_HIGHLIGHT, RGB(10, 36, 106));
  SetSysColor(COLOR_WINDOW, RGB(255, 255, 255));
  // Each channel: MulDiv(face, 14, 100) + MulDiv(highlight, 44, 100) + MulDiv(window, 40, 100).
  EXPECT_EQ(MixSystemColors(14, 44, 40), RGB(30 + 4 + 102, 29 + 16 + 102, 28 + 47 + 102));
  EXPECT_EQ(HighlightTintDark(), MixSystemColors(14, 44, 40));
  EXPECT_EQ(MixSystemColors(0, 0, 200), RGB(255, 255, 255)) << "clamped";
  EXPECT_EQ(MixSystemColors(-100, 0, 0), RGB(0, 0, 0)) << "clamped";
  SetSysColor(COLOR_BTNFACE, clWhite);
  EXPECT_EQ(MixSystemColors(14, 44, 40), RGB(10, 36, 106));
  ResetSysColors();
}

TEST(cxGraphics, FocusFrameAndInvertAreUndoneByRepeating)
{
  TPaintFixture f(20, 20);
  f.Cx.Brush()->SetColor(clRed);
  f.Cx.FillRect(Rect(0, 0, 20, 20));
  f.Cx.InvertArea(Rect(2, 2, 6, 6));
  EXPECT_EQ(f.At(3, 3), 0xFFFF00);
  EXPECT_EQ(f.Canvas.CopyMode(), cmSrcCopy);
  f.Cx.InvertArea(Rect(2, 2, 6, 6));
  f.Cx.DrawFocusFrame(Rect(8, 8, 18, 18));
  EXPECT_NE(f.Count(clRed), 400);
  f.Cx.DrawFocusFrame(Rect(8, 8, 18, 18));
  EXPECT_EQ(f.Count(clRed), 400);
}

TEST(cxGraphics, GlyphBitmapReplacesTransparentPixels)
{
  TBitmap glyph(4, 4);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(Rect(0, 0, 4, 4));
  glyph.Canvas()->SetPixels(1, 1, clBlack);
  glyph.SetTransparentColor(clFuchsia);
  TPaintFixture f(10, 10);
  f.Cx.DrawGlyphBitmap(2, 2, &glyph, true, clLime);
  EXPECT_EQ(f.At(3, 3), clBlack);
  EXPECT_EQ(f.At(2, 2), clLime);
  EXPECT_EQ(f.Cx.Brush()->Color(), clLime) << "the brush colour stays changed";
  TPaintFixture g(10, 10);
  g.Cx.DrawGlyphBitmap(2, 2, &glyph, true, clNone);
  EXPECT_EQ(g.At(2, 2), clWhite) << "clNone leaves the background";
  EXPECT_EQ(g.At(3, 3), clBlack);
  TPaintFixture d(10, 10);
  d.Cx.DrawGlyphBitmap(2, 2, &glyph, false, clLime);
  EXPECT_EQ(d.At(2, 2), clLime);
  EXPECT_NE(d.At(3, 3), clBlack) << "greyed";
  EXPECT_NE(d.At(3, 3), clLime);
}
