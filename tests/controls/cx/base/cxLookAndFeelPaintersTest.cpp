#include "controls/cx/base/cxLookAndFeelPainters.h"

#include <gtest/gtest.h>

#include "controls/cx/base/cxLookAndFeels.h"
#include "platform/graphics/ImgList.h"
#include "tests/controls/cx/base/cxRecordingTheme.h"
#include "tests/controls/cx/base/cxTestSupport.h"

using namespace cxtest;

namespace {

TcxCustomLookAndFeelPainterClass Std()
{
  return TcxStandardLookAndFeelPainter::Class();
}
TcxCustomLookAndFeelPainterClass Flat()
{
  return TcxFlatLookAndFeelPainter::Class();
}
TcxCustomLookAndFeelPainterClass Ultra()
{
  return TcxUltraFlatLookAndFeelPainter::Class();
}
TcxCustomLookAndFeelPainterClass XP()
{
  return TcxWinXPLookAndFeelPainter::Class();
}
TcxCustomLookAndFeelPainterClass Base()
{
  return TcxCustomLookAndFeelPainter::Class();
}

} // namespace

TEST(cxPainters, ButtonRingsAndFacesByPainterAndState)
{
  TDiagnosticPalette palette;
  // Probes on a 20 x 20 button at (0, 0): the outer pixel (0, 5), the left pixel of the
  // second ring (1, 5), the bottom-right pixel (19, 19) and the face (10, 10).
  struct Case {
    const char* Name;
    TcxCustomLookAndFeelPainterClass Painter;
    TcxButtonState State;
    TColor Outer, Second, BottomRight, Face;
  } cases[] = {
      {"std normal", Std(), cxbsNormal, clBtnHighlight, cl3DLight, cl3DDkShadow, clBtnFace},
      {"std default", Std(), cxbsDefault, clBlack, clBtnHighlight, clBlack, clBtnFace},
      {"std pressed", Std(), cxbsPressed, clBlack, clBtnShadow, clBlack, clBtnFace},
      {"flat normal", Flat(), cxbsNormal, clBtnHighlight, clBtnFace, clBtnShadow, clBtnFace},
      {"flat default", Flat(), cxbsDefault, clBlack, clBtnHighlight, clBlack, clBtnFace},
      {"flat pressed", Flat(), cxbsPressed, clBtnShadow, clBtnFace, clBtnHighlight, clBtnFace},
      {"ultra normal", Ultra(), cxbsNormal, clBtnText, clBtnFace, clBtnText, clBtnFace},
      {"ultra default", Ultra(), cxbsDefault, clWindowFrame, clWindowFrame, clWindowFrame,
       clBtnFace},
      {"ultra disabled", Ultra(), cxbsDisabled, clHighlight, clBtnFace, clHighlight, clBtnFace},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPaintFixture f(20, 20);
    c.Painter->DrawButton(&f.Cx, Rect(0, 0, 20, 20), "", c.State);
    EXPECT_EQ(f.At(0, 5), Rgb(c.Outer));
    EXPECT_EQ(f.At(1, 5), Rgb(c.Second));
    EXPECT_EQ(f.At(19, 19), Rgb(c.BottomRight));
    EXPECT_EQ(f.At(10, 10), Rgb(c.Face));
  }
  // Ultra-flat hot and pressed faces are the highlight tints.
  TPaintFixture hot(20, 20);
  Ultra()->DrawButton(&hot.Cx, Rect(0, 0, 20, 20), "", cxbsHot);
  EXPECT_EQ(hot.At(10, 10), Rgb(HighlightTintLight()));
  EXPECT_EQ(hot.At(0, 5), Rgb(clHighlight));
  TPaintFixture pressed(20, 20);
  Ultra()->DrawButton(&pressed.Cx, Rect(0, 0, 20, 20), "", cxbsPressed);
  EXPECT_EQ(pressed.At(10, 10), Rgb(HighlightTintDark()));
}

TEST(cxPainters, ButtonCaptionShiftsOnlyWhereThePainterSaysSo)
{
  TDiagnosticPalette palette;
  // A one-byte caption "a" is a 5 x 10 box; find its left-top pixel in glyph colours.
  auto caption = [](TcxCustomLookAndFeelPainterClass p, TcxButtonState state, TColor& color) {
    TPaintFixture f(30, 30);
    p->DrawButton(&f.Cx, Rect(0, 0, 30, 30), "a", state);
    for (Integer y = 3; y < 27; ++y)
      for (Integer x = 3; x < 27; ++x)
        if (f.At(x, y) != Rgb(p->ButtonFaceColor(state))) {
          color = f.At(x, y);
          return TPoint{x, y};
        }
    return TPoint{-1, -1};
  };
  TColor color;
  const TPoint normal = caption(Std(), cxbsNormal, color);
  EXPECT_EQ(color, Rgb(clBtnText));
  const TPoint pressed = caption(Std(), cxbsPressed, color);
  EXPECT_EQ(pressed.X, normal.X + 1) << "standard: one pixel right and down";
  EXPECT_EQ(pressed.Y, normal.Y + 1);
  const TPoint ultraPressed = caption(Ultra(), cxbsPressed, color);
  EXPECT_EQ(ultraPressed.X, caption(Ultra(), cxbsNormal, color).X) << "ultra-flat: no shift";
  caption(Ultra(), cxbsPressed, color);
  EXPECT_EQ(color, Rgb(clHighlightText));
  caption(Std(), cxbsDisabled, color);
  EXPECT_EQ(color, Rgb(clBtnShadow)) << "embossed: the shadow copy is drawn over the highlight";
}

TEST(cxPainters, ArrowsInFourDirectionsOnOddAndEvenRects)
{
  // The filled triangle's rows (y, first x, last x).
  struct Row {
    Integer Y, X1, X2;
  };
  struct Case {
    const char* Name;
    TRect R;
    TcxArrowDirection Dir;
    std::vector<Row> Rows;
  } cases[] = {
      // 9 x 9: base (9 - 1) / 2 = 4 -> 5, depth 3, M = MulDiv(6, 1, 2) = 3.
      {"up 9", Rect(0, 0, 9, 9), dirUp, {{3, 4, 4}, {4, 3, 5}, {5, 2, 6}}},
      {"down 9", Rect(0, 0, 9, 9), dirDown, {{3, 2, 6}, {4, 3, 5}, {5, 4, 4}}},
      // 10 x 10: base 4 -> 5, depth 3, M = MulDiv(7, 1, 2) = 4 (half away from zero).
      {"up 10", Rect(0, 0, 10, 10), dirUp, {{4, 4, 4}, {5, 3, 5}, {6, 2, 6}}},
      // Left and right on 9 x 9: N = MulDiv(4, 1, 2) = 2, apex x = (9 - 3) / 2 = 3.
      {"left 9",
       Rect(0, 0, 9, 9),
       dirLeft,
       {{2, 5, 5}, {3, 4, 5}, {4, 3, 5}, {5, 4, 5}, {6, 5, 5}}},
      {"right 9",
       Rect(0, 0, 9, 9),
       dirRight,
       {{2, 3, 3}, {3, 3, 4}, {4, 3, 5}, {5, 3, 4}, {6, 3, 3}}},
      // A wide rectangle is squared first: 15 x 9 -> x 3..11.
      {"up 15x9", Rect(0, 0, 15, 9), dirUp, {{3, 7, 7}, {4, 6, 8}, {5, 5, 9}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPaintFixture f(16, 12);
    Std()->DrawArrow(&f.Cx, c.R, c.Dir, clBlack);
    Integer expected = 0;
    for (const Row& row : c.Rows) {
      expected += row.X2 - row.X1 + 1;
      EXPECT_EQ(f.At(row.X1, row.Y), clBlack) << "row " << row.Y;
      EXPECT_EQ(f.At(row.X2, row.Y), clBlack) << "row " << row.Y;
      EXPECT_EQ(f.At(row.X1 - 1, row.Y), clWhite) << "row " << row.Y;
      EXPECT_EQ(f.At(row.X2 + 1, row.Y), clWhite) << "row " << row.Y;
    }
    EXPECT_EQ(f.Count(clBlack), expected);
  }
}

TEST(cxPainters, CheckMarkIsThreeParallelStrokes)
{
  TDiagnosticPalette palette;
  TPaintFixture f(13, 13);
  Std()->DrawCheckButton(&f.Cx, Rect(0, 0, 13, 13), cxbsNormal, true);
  EXPECT_EQ(f.At(0, 0), Rgb(cl3DDkShadow));
  EXPECT_EQ(f.At(12, 12), Rgb(cl3DLight));
  EXPECT_EQ(f.At(1, 1), Rgb(clBtnShadow));
  EXPECT_EQ(f.At(11, 11), Rgb(clBtnHighlight));
  // Inner 9 x 9 at 2: W 7, H 5, X 5; strokes start at (3, Y - 2) with Y = 8, 9, 10... for
  // offset 0: Y = (2 + 11 + 5) / 2 - 2 = 7.
  EXPECT_EQ(f.At(3, 5), Rgb(clBtnText));
  EXPECT_EQ(f.At(5, 7), Rgb(clBtnFace) == f.At(5, 7) ? 0 : f.At(5, 7));
  EXPECT_EQ(f.At(5, 7), Rgb(clBtnText)) << "the bottom of the first stroke";
  EXPECT_EQ(f.At(5, 9), Rgb(clBtnText)) << "the bottom of the third stroke";
  EXPECT_EQ(f.At(5, 10), Rgb(clWindow));
  EXPECT_EQ(f.At(3, 9), Rgb(clWindow));
  TPaintFixture off(13, 13);
  Std()->DrawCheckButton(&off.Cx, Rect(0, 0, 13, 13), cxbsDisabled, false);
  EXPECT_EQ(off.Uniform(Rect(2, 2, 11, 11)), Rgb(clBtnFace));
}

TEST(cxPainters, SizesAndMeasuresByPainter)
{
  TPaintFixture f;
  struct Case {
    const char* Name;
    TcxCustomLookAndFeelPainterClass P;
    Integer HeaderHeight13, ExpandGlyph, ControlBorder, ButtonBorder, SortW, SortH;
  } cases[] = {
      {"base", Base(), 17, 0, 0, 0, 0, 0},
      {"standard", Std(), 19, 12, 2, 2, 8, 7},
      {"flat", Flat(), 19, 11, 1, 1, 8, 7},
      {"ultra-flat", Ultra(), 19, 11, 1, 1, 7, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.P->HeaderHeight(13), c.HeaderHeight13);
    EXPECT_EQ(c.P->ExpandGlyphSize(), c.ExpandGlyph);
    EXPECT_EQ(c.P->ControlBorderWidth(), c.ControlBorder);
    EXPECT_EQ(c.P->ButtonBorderWidth(cxbsNormal), c.ButtonBorder);
    TSize s;
    c.P->SortMarkSize(s);
    EXPECT_EQ(s, (TSize{c.SortW, c.SortH}));
    c.P->SortMarkAreaSize(s);
    EXPECT_EQ(s, (TSize{16, c.SortH}));
  }
  // "ab" is 12 wide: + 4, + 1 per side border.
  EXPECT_EQ(Std()->HeaderWidth(&f.Cx, TcxBorders{bLeft, bRight}, "ab", nullptr), 18);
  EXPECT_EQ(Std()->HeaderWidth(&f.Cx, TcxBorders{bTop}, "ab", nullptr), 16);
  EXPECT_EQ(Ultra()->HeaderBorderSides(TcxBorders{bLeft, bTop}), (TcxBorders{bRight, bBottom}));
  TRect b;
  Ultra()->HeaderBorderBounds(Rect(10, 10, 20, 20), TcxBorders{bLeft}, cxBordersAll, b);
  EXPECT_EQ(b, Rect(9, 10, 20, 20));
  TRect gw;
  Ultra()->ButtonGroupBorderWidths(3, 0, gw);
  EXPECT_EQ(gw, (TRect{2, 2, 1, 2}));
  Ultra()->ButtonGroupBorderWidths(3, 2, gw);
  EXPECT_EQ(gw, (TRect{1, 2, 2, 2}));
}

TEST(cxPainters, SortMarkPointsBothWays)
{
  TDiagnosticPalette palette;
  // Standard mark 8 x 7 in (0, 0, 16, 16): X = 7; the apex row is 4 ascending, 10
  // descending, so both marks take rows 4..10.
  TPaintFixture up(16, 16);
  Std()->DrawSortMark(&up.Cx, Rect(0, 0, 16, 16), true);
  TPaintFixture down(16, 16);
  Std()->DrawSortMark(&down.Cx, Rect(0, 0, 16, 16), false);
  auto rowsOf = [](const TPaintFixture& f) {
    Integer top = 99, bottom = -1;
    for (Integer y = 0; y < 16; ++y)
      for (Integer x = 0; x < 16; ++x)
        if (f.At(x, y) != clWhite) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    return std::pair{top, bottom};
  };
  EXPECT_EQ(rowsOf(up), (std::pair{4, 10}));
  EXPECT_EQ(rowsOf(down), (std::pair{4, 10}));
  // Ascending: the base (bottom row) light; descending: the base (top row) dark.
  EXPECT_EQ(up.At(7, 10), Rgb(clBtnHighlight));
  EXPECT_EQ(down.At(7, 4), Rgb(clBtnShadow));
  EXPECT_EQ(up.At(7, 4), Rgb(clBtnShadow)) << "the apex is on the dark side";
  EXPECT_EQ(up.Count(clBtnShadow) + up.Count(clBtnHighlight),
            down.Count(clBtnShadow) + down.Count(clBtnHighlight));
  TPaintFixture ultra(16, 16);
  Ultra()->DrawSortMark(&ultra.Cx, Rect(0, 0, 16, 16), true);
  EXPECT_EQ(ultra.Count(clBtnHighlight), 0) << "ultra-flat: shadow only";
  EXPECT_GT(ultra.Count(clBtnShadow), 0);
}

TEST(cxPainters, ScrollBarPartsByPainterAndState)
{
  TDiagnosticPalette palette;
  RepaintScrollBarPatterns();
  TPaintFixture page(16, 16);
  Std()->DrawScrollBarPart(&page.Cx, true, Rect(0, 0, 16, 16), sbpPageUp, cxbsNormal);
  EXPECT_EQ(page.At(0, 0), Rgb(clBtnFace));
  EXPECT_EQ(page.At(1, 0), Rgb(clBtnHighlight));
  EXPECT_EQ(page.At(9, 8), Rgb(clBtnHighlight)) << "anchored at the device origin";
  EXPECT_EQ(page.Cx.Brush()->Bitmap(), nullptr);
  TPaintFixture pressed(16, 16);
  Std()->DrawScrollBarPart(&pressed.Cx, true, Rect(0, 0, 16, 16), sbpPageDown, cxbsPressed);
  EXPECT_EQ(pressed.At(0, 0), clBlack);
  EXPECT_EQ(pressed.At(1, 0), Rgb(cl3DDkShadow));

  TPaintFixture thumb(17, 17);
  Std()->DrawScrollBarPart(&thumb.Cx, true, Rect(0, 0, 17, 17), sbpThumbnail, cxbsDisabled);
  EXPECT_EQ(thumb.Count(clWhite), 17 * 17) << "a disabled thumb is not drawn";
  for (auto p : {Std(), Flat()}) {
    TPaintFixture hot(17, 17), normal(17, 17);
    p->DrawScrollBarPart(&hot.Cx, false, Rect(0, 0, 17, 17), sbpLineUp, cxbsHot);
    p->DrawScrollBarPart(&normal.Cx, false, Rect(0, 0, 17, 17), sbpLineUp, cxbsNormal);
    EXPECT_TRUE(hot.Surface.GetPixel(8, 8) == normal.Surface.GetPixel(8, 8) &&
                hot.At(0, 0) == normal.At(0, 0))
        << p->ClassName() << ": hot drawn as normal";
  }
  TPaintFixture ultraHot(17, 17);
  Ultra()->DrawScrollBarPart(&ultraHot.Cx, false, Rect(0, 0, 17, 17), sbpThumbnail, cxbsHot);
  EXPECT_EQ(ultraHot.At(8, 8), Rgb(HighlightTintLight())) << "ultra-flat keeps hot";
  // Standard arrows: raised border unless pressed.
  TPaintFixture arrow(17, 17);
  Std()->DrawScrollBarPart(&arrow.Cx, true, Rect(0, 0, 17, 17), sbpLineDown, cxbsNormal);
  EXPECT_EQ(arrow.At(0, 8), Rgb(clBtnFace));
  EXPECT_EQ(arrow.At(16, 8), Rgb(cl3DDkShadow));
  EXPECT_EQ(arrow.At(1, 8), Rgb(clBtnHighlight));
}

TEST(cxPainters, HeaderFrameNeighbourPixelsAndUltraFlatLines)
{
  TDiagnosticPalette palette;
  TPaintFixture f(20, 20);
  Std()->DrawHeader(&f.Cx, Rect(0, 0, 20, 20), Rect(1, 1, 19, 19), TcxBorders{bLeft, bRight},
                    cxBordersAll, cxbsNormal, taLeftJustify, vaTop, false, false, "", nullptr,
                    clBlack, clLime);
  EXPECT_EQ(f.At(0, 5), Rgb(clBtnHighlight));
  EXPECT_EQ(f.At(0, 1), Rgb(clBtnFace)) << "left neighbour";
  EXPECT_EQ(f.At(0, 18), Rgb(clBtnFace));
  EXPECT_EQ(f.At(19, 0), Rgb(clBtnHighlight)) << "right neighbour";
  EXPECT_EQ(f.At(19, 5), Rgb(clBtnShadow));
  EXPECT_EQ(f.At(10, 10), clLime);
  TPaintFixture u(20, 20);
  Ultra()->DrawHeader(&u.Cx, Rect(0, 0, 20, 20), Rect(1, 1, 19, 19), TcxBorders{},
                      TcxBorders{bRight, bBottom}, cxbsNormal, taLeftJustify, vaTop, false, false,
                      "", nullptr, clBlack, clLime);
  EXPECT_EQ(u.At(0, 5), clLime) << "no left line unless asked";
  EXPECT_EQ(u.At(19, 5), Rgb(clBtnText));
  EXPECT_EQ(u.At(5, 19), Rgb(clBtnText));
  // Indicator of kind 0 is an empty header cell; kind 1 adds the arrow image.
  TPaintFixture i0(14, 18), i1(14, 18);
  Std()->DrawIndicatorItem(&i0.Cx, Rect(0, 0, 14, 18), ikNone, clBtnFace);
  Std()->DrawIndicatorItem(&i1.Cx, Rect(0, 0, 14, 18), ikArrow, clBtnFace);
  EXPECT_EQ(i0.Count(clBlack), 0);
  EXPECT_GT(i1.Count(clBlack), 10);
}

TEST(cxPainters, ExpandGlyphsExcludeThemselvesFromTheClip)
{
  TDiagnosticPalette palette;
  for (auto p : {Std(), Flat(), Ultra()}) {
    SCOPED_TRACE(p->ClassName());
    TPaintFixture f(20, 20);
    p->DrawExpandGlyph(&f.Cx, Rect(2, 2, 13, 13), false);
    // The plus: a horizontal and a vertical bar through the centre in clBtnText.
    EXPECT_GT(f.Count(clBtnText), 8);
    f.Cx.Brush()->SetColor(clRed);
    f.Cx.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(f.Count(clRed), 400 - 121) << "the glyph stays";
  }
  TPaintFixture minus(20, 20), plus(20, 20);
  Std()->DrawExpandGlyph(&minus.Cx, Rect(0, 0, 12, 12), true);
  Std()->DrawExpandGlyph(&plus.Cx, Rect(0, 0, 12, 12), false);
  EXPECT_LT(minus.Count(clBtnText), plus.Count(clBtnText));
}

TEST(cxPainters, RadioImagesFollowTheIndexAndTheSystemColours)
{
  TDiagnosticPalette palette;
  EXPECT_EQ(cxRadioButtonImageIndex(psStandard, cxbsDefault, true, false, false), 0 + 4 + 8);
  EXPECT_EQ(cxRadioButtonImageIndex(psUltraFlat, cxbsDisabled, true, true, true),
            3 + 4 + 16 + 24 + 48);
  TcxRadioButtonImageList* images = RadioButtonImages();
  TPaintFixture f(14, 14);
  Std()->DrawRadioButton(&f.Cx, 1, 1, cxbsNormal, true, false);
  EXPECT_EQ(images->Count(), 96);
  EXPECT_EQ(f.At(1, 1), clWhite) << "outside the round mask left alone";
  EXPECT_EQ(f.At(7, 7), Rgb(clBtnText)) << "the dot";
  const TSize size = images->ImageSize();
  Integer classes[7] = {};
  for (Integer y = 0; y < size.cy; ++y)
    for (Integer x = 0; x < size.cx; ++x)
      ++classes[images->PixelCode(x, y)];
  for (Integer c = 0; c < 7; ++c)
    EXPECT_GT(classes[c], 0) << "pixel class " << c;
  TPaintFixture g(14, 14);
  Std()->DrawRadioButton(&g.Cx, 1, 1, cxbsNormal, false, false, clLime);
  EXPECT_EQ(g.At(1, 1), clLime) << "a background colour fills the image rectangle";
  // A system colour change empties the list; the next use rebuilds with the new colours.
  SetSysColor(COLOR_BTNTEXT, RGB(1, 2, 3));
  EXPECT_EQ(images->Count(), 0);
  TPaintFixture h(14, 14);
  Std()->DrawRadioButton(&h.Cx, 1, 1, cxbsNormal, true, false);
  EXPECT_EQ(h.At(7, 7), RGB(1, 2, 3));
  EXPECT_EQ(images->Count(), 96);
}

TEST(cxThemedPainter, PartsAndStatesByOperation)
{
  TRecordingTheme theme;
  TPaintFixture f(40, 40);
  struct Case {
    const char* Name;
    std::function<void()> Draw;
    const char* Expected;
  } cases[] = {
      {"button pressed", [&] { XP()->DrawButton(&f.Cx, Rect(0, 0, 20, 20), "", cxbsPressed); },
       "draw Button 1 3"},
      {"button default", [&] { XP()->DrawButton(&f.Cx, Rect(0, 0, 20, 20), "", cxbsDefault); },
       "draw Button 1 5"},
      {"check hot checked",
       [&] { XP()->DrawCheckButton(&f.Cx, Rect(0, 0, 13, 13), cxbsHot, true); }, "draw Button 3 6"},
      {"header disabled",
       [&] {
         XP()->DrawHeader(&f.Cx, Rect(0, 0, 20, 20), Rect(0, 0, 20, 20), {}, cxBordersAll,
                          cxbsDisabled, taLeftJustify, vaTop, false, false, "", nullptr, 0, 0);
       },
       "draw Header 1 1"},
      {"page after pressed H",
       [&] { XP()->DrawScrollBarPart(&f.Cx, true, Rect(0, 0, 20, 17), sbpPageDown, cxbsPressed); },
       "draw ScrollBar 5 3"},
      {"page before hot V",
       [&] { XP()->DrawScrollBarPart(&f.Cx, false, Rect(0, 0, 17, 20), sbpPageUp, cxbsHot); },
       "draw ScrollBar 6 2"},
      {"arrow right pressed",
       [&] { XP()->DrawScrollBarPart(&f.Cx, true, Rect(0, 0, 17, 17), sbpLineDown, cxbsPressed); },
       "draw ScrollBar 1 15"},
      {"close button", [&] { XP()->DrawSmallCloseButton(&f.Cx, Rect(0, 0, 16, 14), cxbsHot); },
       "draw Window 19 2"},
      {"expand open", [&] { XP()->DrawExpandGlyph(&f.Cx, Rect(0, 0, 9, 9), true); },
       "draw TreeView 2 2"},
      {"chevron default",
       [&] { XP()->DrawGroupChevronButton(&f.Cx, Rect(0, 0, 20, 20), false, cxbsDefault); },
       "draw ExplorerBar 7 6"},
      {"footer", [&] { XP()->DrawFooterBorder(&f.Cx, Rect(0, 0, 20, 20)); }, "edge Edit 0 0 4 15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    theme.Log.clear();
    c.Draw();
    EXPECT_TRUE(theme.Logged(c.Expected)) << (theme.Log.empty() ? "" : theme.Log.back());
  }
  // The thumb draws the thumb part and then the gripper.
  theme.Log.clear();
  XP()->DrawScrollBarPart(&f.Cx, false, Rect(0, 0, 17, 30), sbpThumbnail, cxbsNormal);
  std::vector<std::string> draws;
  for (auto& l : theme.Log)
    if (l.rfind("draw", 0) == 0)
      draws.push_back(l);
  EXPECT_EQ(draws, (std::vector<std::string>{"draw ScrollBar 3 1", "draw ScrollBar 9 0"}));
}

TEST(cxThemedPainter, FallsBackPerClass)
{
  TDiagnosticPalette palette;
  TRecordingTheme theme;
  theme.Refused = {"Header"};
  theme.ContentInsets[{"Button", 1}] = TRect{3, 3, 3, 3};
  TPaintFixture f(20, 20);
  XP()->DrawHeader(&f.Cx, Rect(0, 0, 20, 20), Rect(1, 1, 19, 19), {}, cxBordersAll, cxbsNormal,
                   taLeftJustify, vaTop, false, false, "", nullptr, clBlack, clLime);
  EXPECT_EQ(f.At(0, 5), Rgb(clBtnHighlight)) << "standard header frame";
  EXPECT_EQ(f.At(10, 10), clLime);
  EXPECT_EQ(XP()->HeaderBorderWidth(), 1);
  EXPECT_EQ(XP()->ButtonBorderWidth(cxbsNormal), 3) << "button stays themed";
  theme.Log.clear();
  XP()->DrawButton(&f.Cx, Rect(0, 0, 20, 20), "OK", cxbsNormal);
  EXPECT_TRUE(theme.Logged("draw Button 1 1"));
  EXPECT_TRUE(theme.Logged("text Button 1 1 OK"));
}

TEST(cxThemedPainter, RadioButtonFallsBackToTheStandardImages)
{
  TDiagnosticPalette palette;
  TRecordingTheme theme;
  theme.Refused = {"Button"};
  TPaintFixture themed(14, 14), standard(14, 14);
  XP()->DrawRadioButton(&themed.Cx, 1, 1, cxbsNormal, true, true, clDefault, true);
  Std()->DrawRadioButton(&standard.Cx, 1, 1, cxbsNormal, true, true, clDefault, true);
  EXPECT_GT(themed.Count(clBtnText), 0) << "a radio button is drawn";
  for (Integer y = 0; y < 14; ++y)
    for (Integer x = 0; x < 14; ++x)
      ASSERT_EQ(themed.At(x, y), standard.At(x, y)) << x << "," << y;
}
