#include <cmath>

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Exceptions.h"

namespace {

// A small white surface with a canvas: black pen, white solid brush.
struct TFixture {
  TImageSurface Surface;
  TCanvas Canvas;
  explicit TFixture(Integer w = 20, Integer h = 20) : Surface(w, h, clWhite), Canvas(&Surface) {}
  TColor At(Integer x, Integer y) const { return Surface.GetPixel(x, y); }
  Integer Count(TColor c) const
  {
    Integer n = 0;
    for (Integer y = 0; y < Surface.Height(); ++y)
      for (Integer x = 0; x < Surface.Width(); ++x)
        n += Surface.GetPixel(x, y) == c;
    return n;
  }
  bool SameAs(const TFixture& other) const
  {
    for (Integer y = 0; y < Surface.Height(); ++y)
      for (Integer x = 0; x < Surface.Width(); ++x)
        if (Surface.GetPixel(x, y) != other.Surface.GetPixel(x, y))
          return false;
    return true;
  }
};

// Something to draw over in XOR tests.
void Scribble(TCanvas& c)
{
  c.Brush()->SetColor(clRed);
  c.FillRect(Rect(2, 2, 12, 9));
  c.Brush()->SetColor(clBlue);
  c.FillRect(Rect(7, 6, 18, 17));
}

} // namespace

TEST(Canvas, LineEndPointIsNotPaintedInAnyOctant)
{
  struct Case {
    const char* Name;
    Integer Dx, Dy;
  } cases[] = {
      {"E", 6, 0},     {"ENE", 6, 2}, {"NNE", 2, -6}, {"N", 0, -6},         {"NNW", -2, -6},
      {"WNW", -6, -2}, {"W", -6, 0},  {"WSW", -6, 2}, {"SSW", -2, 6},       {"S", 0, 6},
      {"SSE", 2, 6},   {"ESE", 6, 2}, {"diag", 5, 5}, {"antidiag", -5, -5}, {"ENE3", 6, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFixture f;
    f.Canvas.MoveTo(10, 10);
    f.Canvas.LineTo(10 + c.Dx, 10 + c.Dy);
    EXPECT_EQ(f.At(10, 10), clBlack);
    EXPECT_EQ(f.At(10 + c.Dx, 10 + c.Dy), clWhite);
    EXPECT_EQ(f.Count(clBlack), std::max(std::abs(c.Dx), std::abs(c.Dy)));
    EXPECT_EQ(f.Canvas.PenPos(), Point(10 + c.Dx, 10 + c.Dy));
    // Every painted pixel lies within half a pixel of the ideal line (minor axis).
    for (Integer y = 0; y < 20; ++y)
      for (Integer x = 0; x < 20; ++x) {
        if (f.At(x, y) != clBlack)
          continue;
        if (std::abs(c.Dx) >= std::abs(c.Dy)) {
          double ideal = 10 + double(x - 10) * c.Dy / c.Dx;
          EXPECT_LE(std::abs(y - ideal), 0.5) << x << "," << y;
        } else {
          double ideal = 10 + double(y - 10) * c.Dx / c.Dy;
          EXPECT_LE(std::abs(x - ideal), 0.5) << x << "," << y;
        }
      }
  }
}

TEST(Canvas, PolylineJoinsWithoutGapsOrDoublePaint)
{
  TFixture f;
  f.Canvas.Pen()->SetMode(pmXor);
  f.Canvas.Pen()->SetColor(clWhite);
  TPoint pts[] = {{2, 2}, {12, 2}, {12, 9}, {2, 9}, {2, 2}};
  f.Canvas.Polyline(pts, 5);
  // A closed outline of a 11x8 box: every pixel inverted exactly once.
  EXPECT_EQ(f.Count(clBlack), 2 * 10 + 2 * 7);
  EXPECT_EQ(f.At(12, 2), clBlack);
  EXPECT_EQ(f.At(2, 9), clBlack);
}

TEST(Canvas, RectangleExcludesRightAndBottomEdge)
{
  TFixture f;
  f.Canvas.Brush()->SetColor(clRed);
  f.Canvas.Rectangle(2, 3, 8, 7);
  EXPECT_EQ(f.At(2, 3), clBlack);
  EXPECT_EQ(f.At(7, 6), clBlack);
  EXPECT_EQ(f.At(7, 3), clBlack);
  EXPECT_EQ(f.At(8, 6), clWhite);
  EXPECT_EQ(f.At(7, 7), clWhite);
  EXPECT_EQ(f.At(3, 4), clRed);
  EXPECT_EQ(f.At(6, 5), clRed);
  EXPECT_EQ(f.Count(clRed), 4 * 2);

  // FillRect and FrameRect use the brush only.
  TFixture g;
  g.Canvas.Brush()->SetColor(clBlue);
  g.Canvas.FillRect(Rect(1, 1, 4, 3));
  EXPECT_EQ(g.Count(clBlue), 6);
  g.Canvas.Brush()->SetColor(clGreen);
  g.Canvas.FrameRect(Rect(10, 10, 15, 14));
  EXPECT_EQ(g.Count(clGreen), 2 * 5 + 2 * 2);
  EXPECT_EQ(g.At(14, 13), clGreen);
  EXPECT_EQ(g.At(15, 13), clWhite);
}

TEST(Canvas, PatternBrushContinuesAcrossAdjacentFills)
{
  for (TBrushStyle style : {bsHorizontal, bsFDiagonal, bsBDiagonal, bsDiagCross}) {
    SCOPED_TRACE(style);
    TFixture whole(24, 16), halves(24, 16), shifted(24, 16);
    for (TFixture* f : {&whole, &halves, &shifted}) {
      f->Canvas.Brush()->SetColor(clNavy);
      f->Canvas.Brush()->SetStyle(style);
    }
    whole.Canvas.FillRect(Rect(0, 0, 24, 16));
    halves.Canvas.FillRect(Rect(0, 0, 11, 16));
    halves.Canvas.FillRect(Rect(11, 0, 24, 16));
    // The pattern follows the device, not the logical origin.
    shifted.Canvas.SetWindowOrg(Point(3, 5));
    shifted.Canvas.FillRect(Rect(3, 5, 27, 21));
    EXPECT_TRUE(whole.SameAs(halves));
    EXPECT_TRUE(whole.SameAs(shifted));
    EXPECT_GT(whole.Count(clNavy), 0);
    EXPECT_GT(whole.Count(clWhite), 0); // hatch gaps stay transparent
  }
}

TEST(Canvas, XorDrawnTwiceRestores)
{
  TFixture f, reference;
  Scribble(f.Canvas);
  Scribble(reference.Canvas);
  for (int pass = 0; pass < 2; ++pass) {
    f.Canvas.Pen()->SetMode(pmXor);
    f.Canvas.Pen()->SetColor(clLime);
    f.Canvas.MoveTo(0, 0);
    f.Canvas.LineTo(19, 13);
    f.Canvas.Brush()->SetStyle(bsClear);
    f.Canvas.Rectangle(3, 3, 17, 15);
    f.Canvas.Ellipse(1, 4, 18, 19);
    f.Canvas.DrawFocusRect(Rect(5, 1, 16, 12));
    f.Canvas.InvertRect(Rect(0, 0, 4, 4));
    if (pass == 0) {
      EXPECT_FALSE(f.SameAs(reference));
    }
  }
  EXPECT_TRUE(f.SameAs(reference));
}

TEST(Canvas, FocusRectInvertsEveryOtherPixelFromTheDeviceOrigin)
{
  TFixture f;
  f.Canvas.DrawFocusRect(Rect(2, 2, 8, 6));
  EXPECT_EQ(f.At(2, 2), clBlack); // (2 + 2) even
  EXPECT_EQ(f.At(3, 2), clWhite);
  EXPECT_EQ(f.At(4, 2), clBlack);
  EXPECT_EQ(f.At(7, 4), clWhite);
  EXPECT_EQ(f.At(4, 4), clWhite); // inside is untouched
}

TEST(Canvas, PenModes)
{
  struct Case {
    TPenMode Mode;
    TColor Pen, Before, After;
  } cases[] = {
      {pmCopy, clRed, clWhite, clRed},        {pmNot, clRed, clWhite, clBlack},
      {pmXor, clRed, clWhite, clAqua},        {pmNotXor, clRed, clWhite, clRed},
      {pmMask, clRed, clYellow, clRed},       {pmMerge, clRed, clBlue, clFuchsia},
      {pmBlack, clRed, clWhite, clBlack},     {pmWhite, clRed, clBlack, clWhite},
      {pmNop, clRed, clGreen, clGreen},       {pmNotCopy, clRed, clWhite, clAqua},
      {pmMaskNotPen, clRed, clWhite, clAqua}, {pmMergePenNot, clBlack, clWhite, clBlack},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Mode);
    TFixture f;
    f.Canvas.Brush()->SetColor(c.Before);
    f.Canvas.FillRect(Rect(0, 0, 20, 20));
    f.Canvas.Pen()->SetColor(c.Pen);
    f.Canvas.Pen()->SetMode(c.Mode);
    f.Canvas.MoveTo(1, 1);
    f.Canvas.LineTo(5, 1);
    EXPECT_EQ(f.At(2, 1), c.After);
  }
}

TEST(Canvas, PenStylesAndWidths)
{
  TFixture f(40, 20);
  f.Canvas.Pen()->SetStyle(psDot);
  f.Canvas.Brush()->SetColor(clYellow); // gaps take the background colour
  f.Canvas.MoveTo(0, 2);
  f.Canvas.LineTo(40, 2);
  for (Integer x : {0, 1, 2, 6, 7, 8})
    EXPECT_EQ(f.At(x, 2), clBlack) << x;
  for (Integer x : {3, 4, 5, 9})
    EXPECT_EQ(f.At(x, 2), clYellow) << x;

  f.Canvas.Pen()->SetStyle(psDash);
  f.Canvas.Brush()->SetStyle(bsClear); // transparent gaps
  f.Canvas.MoveTo(0, 5);
  f.Canvas.LineTo(40, 5);
  EXPECT_EQ(f.At(17, 5), clBlack);
  EXPECT_EQ(f.At(18, 5), clWhite);
  EXPECT_EQ(f.At(24, 5), clBlack);

  f.Canvas.Pen()->SetStyle(psSolid);
  f.Canvas.Pen()->SetWidth(3);
  f.Canvas.MoveTo(10, 12);
  f.Canvas.LineTo(30, 12);
  for (Integer y : {11, 12, 13})
    EXPECT_EQ(f.At(20, y), clBlack) << y;
  EXPECT_EQ(f.At(20, 10), clWhite);
  EXPECT_EQ(f.At(20, 14), clWhite);

  f.Canvas.Pen()->SetStyle(psClear);
  f.Canvas.MoveTo(0, 18);
  f.Canvas.LineTo(40, 18);
  EXPECT_EQ(f.At(5, 18), clWhite);
}

TEST(Canvas, ClippingByRegionAndSaveRestore)
{
  TFixture f;
  f.Canvas.Brush()->SetColor(clRed);
  TRegion clip =
      TRegion::Ellipse(Rect(0, 0, 20, 20)).Combine(TRegion(Rect(8, 8, 12, 12)), RGN_DIFF);
  {
    TCanvasSaver saver(f.Canvas);
    f.Canvas.SelectClipRegion(&clip);
    EXPECT_EQ(f.Canvas.ClipRect(), Rect(0, 0, 20, 20));
    f.Canvas.FillRect(Rect(0, 0, 20, 20));
    f.Canvas.ExcludeClipRect(Rect(0, 9, 20, 11));
    EXPECT_FALSE(f.Canvas.RectVisible(Rect(9, 9, 11, 11)));
    f.Canvas.Brush()->SetColor(clBlue);
    f.Canvas.FillRect(Rect(0, 0, 20, 20));
  }
  EXPECT_EQ(f.At(0, 0), clWhite);   // outside the ellipse
  EXPECT_EQ(f.At(10, 10), clWhite); // the hole
  EXPECT_EQ(f.At(3, 10), clRed);    // excluded from the second fill
  EXPECT_EQ(f.At(10, 3), clBlue);
  EXPECT_EQ(f.Count(clRed) + f.Count(clBlue), clip.PixelCount());
  // The saver restored the unclipped state and the brush.
  TRegion none;
  EXPECT_FALSE(f.Canvas.GetClipRegion(none));
  EXPECT_EQ(f.Canvas.Brush()->Color(), clRed);
  f.Canvas.FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(f.At(0, 0), clRed);

  // Clip rectangles are logical: they move with the window origin.
  TFixture g;
  g.Canvas.SetWindowOrg(Point(5, 5));
  g.Canvas.IntersectClipRect(Rect(5, 5, 10, 10));
  g.Canvas.Brush()->SetColor(clRed);
  g.Canvas.FillRect(Rect(0, 0, 40, 40));
  EXPECT_EQ(g.Count(clRed), 25);
  EXPECT_EQ(g.At(4, 4), clRed);
  EXPECT_EQ(g.Canvas.ClipRect(), Rect(5, 5, 10, 10));

  // The viewport origin moves the other way; both are saved and restored.
  TFixture v;
  {
    TCanvasSaver saver(v.Canvas);
    v.Canvas.SetWindowOrg(Point(2, 0));
    v.Canvas.SetViewportOrg(Point(10, 3));
    v.Canvas.SetPixels(2, 0, clRed);
    EXPECT_EQ(v.At(10, 3), clRed);
    EXPECT_EQ(v.Canvas.ClipRect(), Rect(-8, -3, 12, 17));
  }
  EXPECT_EQ(v.Canvas.ViewportOrg(), Point(0, 0));
  EXPECT_EQ(v.Canvas.WindowOrg(), Point(0, 0));
}

TEST(Canvas, CurvedShapes)
{
  TFixture f;
  f.Canvas.Brush()->SetColor(clRed);
  f.Canvas.Ellipse(0, 0, 11, 11);
  EXPECT_EQ(f.At(5, 0), clBlack);
  EXPECT_EQ(f.At(0, 5), clBlack);
  EXPECT_EQ(f.At(10, 5), clBlack);
  EXPECT_EQ(f.At(0, 0), clWhite);
  EXPECT_EQ(f.At(5, 5), clRed);
  EXPECT_EQ(f.At(11, 5), clWhite);

  TFixture r;
  r.Canvas.Brush()->SetColor(clRed);
  r.Canvas.RoundRect(0, 0, 20, 12, 8, 8);
  EXPECT_EQ(r.At(0, 0), clWhite);
  EXPECT_EQ(r.At(10, 0), clBlack);
  EXPECT_EQ(r.At(0, 6), clBlack);
  EXPECT_EQ(r.At(10, 6), clRed);

  // A quarter pie from 3 o'clock to 12 o'clock: the upper right part only.
  TFixture p;
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.Pie(0, 0, 20, 20, 20, 10, 10, 0);
  EXPECT_EQ(p.At(14, 5), clRed);
  EXPECT_EQ(p.At(5, 5), clWhite);
  EXPECT_EQ(p.At(14, 15), clWhite);
  EXPECT_EQ(p.At(10, 5), clBlack); // the vertical radius

  TFixture a;
  a.Canvas.Arc(0, 0, 20, 20, 20, 10, 10, 0);
  EXPECT_EQ(a.Count(clRed), 0);
  EXPECT_GT(a.Count(clBlack), 10);
  EXPECT_EQ(a.At(10, 10), clWhite);
}

TEST(Canvas, PolygonFillAndOutline)
{
  TFixture f;
  f.Canvas.Brush()->SetColor(clRed);
  TPoint arrow[] = {{2, 2}, {8, 8}, {2, 14}};
  f.Canvas.Polygon(arrow, 3);
  EXPECT_EQ(f.At(2, 2), clBlack);
  EXPECT_EQ(f.At(8, 8), clBlack); // the outline closes through every vertex
  EXPECT_EQ(f.At(2, 14), clBlack);
  EXPECT_EQ(f.At(4, 8), clRed);
  EXPECT_EQ(f.At(9, 8), clWhite);
}

TEST(Canvas, BlockCopiesWithRasterOperations)
{
  TImageSurface src(4, 1, clWhite);
  TCanvas srcCanvas(&src);
  for (Integer x = 0; x < 4; ++x)
    srcCanvas.SetPixels(x, 0, (TColor[]){clRed, clGreen, clBlue, clBlack}[x]);
  struct Case {
    const char* Name;
    TCopyMode Rop;
    TColor Dest, Expected[4];
  } cases[] = {
      {"copy", SRCCOPY, clWhite, {clRed, clGreen, clBlue, clBlack}},
      {"xor", SRCINVERT, clYellow, {clLime, RGB(255, 127, 0), clWhite, clYellow}},
      {"and", SRCAND, clYellow, {clRed, clGreen, clBlack, clBlack}},
      {"paint", SRCPAINT, clBlue, {clFuchsia, RGB(0, 128, 255), clBlue, clBlue}},
      {"dstinvert", DSTINVERT, clYellow, {clBlue, clBlue, clBlue, clBlue}},
      {"patcopy", PATCOPY, clYellow, {clNavy, clNavy, clNavy, clNavy}},
      {"patinvert",
       PATINVERT,
       clWhite,
       {RGB(255, 255, 127), RGB(255, 255, 127), RGB(255, 255, 127), RGB(255, 255, 127)}},
      // (S & (D ^ P)) ^ P: white source bits keep the destination, black ones take the brush.
      {"mask through brush",
       0x00B8074A,
       clYellow,
       {RGB(255, 0, 128), RGB(0, 128, 128), clBlack, clNavy}},
      // (S & P) | (~S & D): white source bits take the brush, black ones keep the destination.
      {"masked recolouring",
       0x00E20746,
       clYellow,
       {clLime, RGB(255, 127, 0), RGB(255, 255, 128), clYellow}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFixture f(4, 1);
    f.Canvas.Brush()->SetColor(c.Dest);
    f.Canvas.FillRect(Rect(0, 0, 4, 1));
    f.Canvas.Brush()->SetColor(clNavy);
    f.Canvas.BitBlt(0, 0, 4, 1, &srcCanvas, 0, 0, c.Rop);
    for (Integer x = 0; x < 4; ++x)
      EXPECT_EQ(f.At(x, 0), c.Expected[x]) << x;
  }

  // Stretching by two and mirroring with a negative width.
  TFixture s(8, 2);
  s.Canvas.StretchBlt(Rect(0, 0, 8, 2), &srcCanvas, Rect(0, 0, 4, 1), SRCCOPY);
  EXPECT_EQ(s.At(0, 1), clRed);
  EXPECT_EQ(s.At(1, 0), clRed);
  EXPECT_EQ(s.At(2, 0), clGreen);
  EXPECT_EQ(s.At(7, 1), clBlack);
  TFixture m(4, 1);
  m.Canvas.StretchBlt(Rect(4, 0, 0, 1), &srcCanvas, Rect(0, 0, 4, 1), SRCCOPY);
  EXPECT_EQ(m.At(0, 0), clBlack);
  EXPECT_EQ(m.At(3, 0), clRed);
}

// Plain copies, whole or in part, into a clip: every destination pixel takes the source
// pixel its position maps to (rows and columns scaled by source size over destination
// size, mirrored when one of the two rectangles is), black where that lies outside the
// source, and pixels outside the clip keep their colour.
TEST(Canvas, CopiesTakeTheMappedSourcePixels)
{
  TImageSurface src(5, 4, clBlack);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 5; ++x)
      src.SetPixel(x, y, RGB(static_cast<Byte>(40 * x + 1), static_cast<Byte>(50 * y + 1), 7),
                   TGc());
  TCanvas srcCanvas(&src);
  struct Case {
    const char* Name;
    TRect Dest, Source;
  };
  const Case cases[] = {
      {"same size", Rect(3, 2, 8, 6), Rect(0, 0, 5, 4)},
      {"part of the source", Rect(1, 1, 4, 3), Rect(2, 1, 5, 3)},
      {"reaching past the source on both sides", Rect(0, 0, 9, 4), Rect(-2, -1, 7, 3)},
      {"mirrored", Rect(8, 1, 3, 5), Rect(0, 0, 5, 4)},
      {"mirrored upside down", Rect(3, 9, 8, 5), Rect(0, 0, 5, 4)},
      {"stretched", Rect(0, 0, 12, 9), Rect(0, 0, 5, 4)},
      {"shrunk", Rect(2, 2, 5, 4), Rect(0, 0, 5, 4)},
      {"past the destination's edges", Rect(-2, -1, 11, 9), Rect(0, 0, 5, 4)},
  };
  TRegion clip = TRegion(Rect(0, 0, 12, 10)).Combine(TRegion(Rect(4, 3, 6, 5)), RGN_DIFF);
  for (bool clipped : {false, true})
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (clipped ? ", clipped" : ""));
      TFixture f(12, 10);
      if (clipped)
        f.Canvas.SelectClipRegion(&clip);
      f.Canvas.StretchBlt(c.Dest, &srcCanvas, c.Source, SRCCOPY);
      const TRect d = {std::min(c.Dest.Left, c.Dest.Right), std::min(c.Dest.Top, c.Dest.Bottom),
                       std::max(c.Dest.Left, c.Dest.Right), std::max(c.Dest.Top, c.Dest.Bottom)};
      const Integer sw = c.Source.Width(), sh = c.Source.Height();
      const bool flipX = c.Dest.Right < c.Dest.Left, flipY = c.Dest.Bottom < c.Dest.Top;
      for (Integer y = 0; y < 10; ++y)
        for (Integer x = 0; x < 12; ++x) {
          TColor expected = clWhite;
          if (PtInRect(d, Point(x, y)) && (!clipped || clip.Contains(x, y))) {
            const Integer u = (x - d.Left) * sw / d.Width(), v = (y - d.Top) * sh / d.Height();
            const Integer sx = c.Source.Left + (flipX ? sw - 1 - u : u);
            const Integer sy = c.Source.Top + (flipY ? sh - 1 - v : v);
            expected = sx >= 0 && sy >= 0 && sx < 5 && sy < 4 ? src.Pixel(sx, sy) : clBlack;
          }
          ASSERT_EQ(f.At(x, y), expected) << x << "," << y;
        }
    }
}

// Solid fills through a rectangular clip, a clip of several pieces, an empty clip and the
// surface's edges give the pixels of the rectangle inside all of them, in every raster
// mode's own way.
TEST(Canvas, FilledRectanglesStayInsideTheClipAndTheSurface)
{
  const TRegion pieces = TRegion(Rect(0, 0, 4, 20)).Combine(TRegion(Rect(8, 5, 20, 9)), RGN_OR);
  const TRegion clips[] = {TRegion(Rect(3, 4, 15, 30)), pieces, TRegion()};
  for (Integer rop2 : {R2_COPYPEN, R2_NOT})
    for (Integer i = -1; i < 3; ++i) {
      SCOPED_TRACE(std::to_string(rop2) + " clip " + std::to_string(i));
      TFixture f(20, 20);
      TGc gc;
      gc.Rop2 = rop2;
      gc.Clip = i >= 0 ? &clips[i] : nullptr;
      f.Surface.FillArea(TRegion(Rect(-5, 2, 10, 25)), TFill::Solid(clRed), gc);
      for (Integer y = 0; y < 20; ++y)
        for (Integer x = 0; x < 20; ++x) {
          const bool inside = x < 10 && y >= 2 && (i < 0 || clips[i].Contains(x, y));
          ASSERT_EQ(f.At(x, y), !inside              ? clWhite
                                : rop2 == R2_COPYPEN ? clRed
                                                     : clBlack)
              << x << "," << y;
        }
    }
}

// Solid runs of any width paint exactly their own pixels, in colours whose four bytes differ
// and in white.
TEST(Canvas, WideSolidFillsAndNewSurfacesCoverExactlyTheirPixels)
{
  for (TColor colour : {clRed, clWhite, TColor(0x123456)})
    for (Integer width : {1, 31, 32, 33, 47, 64, 100, 257}) {
      SCOPED_TRACE(std::to_string(colour) + " width " + std::to_string(width));
      TImageSurface surface(width + 6, 3, colour == clWhite ? clBlack : clWhite);
      surface.FillArea(TRegion(Rect(3, 1, 3 + width, 2)), TFill::Solid(colour), TGc());
      for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < width + 6; ++x) {
          const bool inside = y == 1 && x >= 3 && x < 3 + width;
          ASSERT_EQ(surface.GetPixel(x, y) == colour, inside) << x << "," << y;
        }
      // A surface made larger keeps its pixels and grounds the new ones in the colour given.
      surface.Resize(width + 40, 4, colour);
      for (Integer y = 0; y < 4; ++y)
        for (Integer x = 0; x < width + 40; ++x) {
          const bool ground = x >= width + 6 || y == 3;
          if (ground || (y == 1 && x >= 3 && x < 3 + width))
            ASSERT_EQ(surface.GetPixel(x, y), colour) << x << "," << y;
          else
            ASSERT_NE(surface.GetPixel(x, y), colour) << x << "," << y;
        }
    }
}

// Surfaces made one after another on a thread take over the pixel memory of surfaces gone:
// a new one shows its ground colour alone, never what the memory held before.
TEST(Canvas, NewSurfacesNeverShowOldPixels)
{
  for (int round = 0; round < 3; ++round) {
    for (Integer size : {90, 60, 30}) {
      TImageSurface old(size, size, clRed);
      old.FillArea(TRegion(Rect(0, 0, size, size / 2)), TFill::Solid(clBlue), TGc());
    }
    TImageSurface fresh(70 - 20 * round, 40, clWhite);
    TImageSurface grown(10, 10, clGreen);
    grown.Resize(80, 50, clYellow);
    for (Integer y = 0; y < 50; ++y)
      for (Integer x = 0; x < 80; ++x) {
        if (x < fresh.Width() && y < fresh.Height()) {
          ASSERT_EQ(fresh.GetPixel(x, y), clWhite) << round << " " << x << "," << y;
        }
        ASSERT_EQ(grown.GetPixel(x, y), x < 10 && y < 10 ? clGreen : clYellow) << x << "," << y;
      }
  }
}

// Rectangles filled together (barcode bars: rows covered alike are filled once and copied)
// give the pixels of filling them one by one: over a ground that differs in every pixel, with
// bars of two heights and gaps between them, overlaps, an inverted and an outside rectangle,
// under no clip, a rectangular clip, a clip of two pieces and another raster operation.
TEST(Canvas, RectanglesFilledTogetherMatchFillingThemOneByOne)
{
  const std::vector<TColoredRect> bars = {
      {Rect(2, 1, 4, 30), clBlack},  {Rect(4, 1, 5, 30), clWhite},
      {Rect(5, 1, 8, 12), clRed},    {Rect(10, 1, 11, 30), clBlack},
      {Rect(7, 5, 12, 9), clBlue},   {Rect(20, 3, 16, 9), clRed},
      {Rect(-5, -5, 3, 2), clGreen}, {Rect(30, 1, 50, 5), clBlack},
      {Rect(13, 40, 15, 50), clRed}, {Rect(13, 25, 36, 27), TColor(0x123456)}};
  const TRegion twoPieces =
      TRegion(Rect(0, 0, 6, 40)).Combine(TRegion(Rect(9, 10, 40, 20)), RGN_OR);
  const TRegion rectClip(Rect(3, 2, 33, 28));
  const TRegion* clips[] = {nullptr, &rectClip, &twoPieces};
  for (Integer rop2 : {R2_COPYPEN, R2_NOT})
    for (Integer i = 0; i < 3; ++i) {
      SCOPED_TRACE(std::to_string(rop2) + " clip " + std::to_string(i));
      TImageSurface together(34, 32), oneByOne(34, 32);
      for (Integer y = 0; y < 32; ++y)
        for (Integer x = 0; x < 34; ++x) {
          together.SetPixel(x, y, TColor(x * 7 + y * 0x0500), TGc());
          oneByOne.SetPixel(x, y, TColor(x * 7 + y * 0x0500), TGc());
        }
      TGc gc;
      gc.Rop2 = rop2;
      gc.Clip = clips[i];
      together.FillRects(bars, gc);
      for (const TColoredRect& b : bars)
        oneByOne.FillArea(TRegion(b.Rect), TFill::Solid(b.Color), gc);
      for (Integer y = 0; y < 32; ++y)
        for (Integer x = 0; x < 34; ++x)
          ASSERT_EQ(together.GetPixel(x, y), oneByOne.GetPixel(x, y)) << x << "," << y;
      if (rop2 == R2_COPYPEN && i == 0) { // a tall bar, and the ground in the gap beside it
        EXPECT_EQ(together.GetPixel(3, 20), clBlack);
        EXPECT_EQ(together.GetPixel(8, 20), TColor(8 * 7 + 20 * 0x0500));
      }
    }
}

TEST(Canvas, DrawEdgeUsesTheSystemColoursPerSide)
{
  // A diagnostic palette: each index its own colour.
  for (Integer i = 0; i <= COLOR_ENDCOLORS; ++i)
    SetSysColor(i, RGB(static_cast<Byte>(i), 0x10, 0x20));
  TFixture f;
  TRect r = Rect(2, 2, 12, 10);
  DrawEdge(&f.Canvas, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  EXPECT_EQ(r, Rect(4, 4, 10, 8));
  EXPECT_EQ(f.At(2, 2), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(f.At(11, 9), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(f.At(11, 2), GetSysColor(COLOR_3DDKSHADOW)); // bottom/right own the shared corners
  EXPECT_EQ(f.At(3, 3), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(f.At(10, 8), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(f.At(5, 5), clWhite);

  TFixture g;
  TRect s = Rect(2, 2, 12, 10);
  DrawEdge(&g.Canvas, s, EDGE_SUNKEN, BF_TOP | BF_LEFT);
  EXPECT_EQ(g.At(5, 2), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(g.At(5, 3), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(g.At(11, 9), clWhite);
  EXPECT_EQ(s, Rect(2, 2, 12, 10));              // no BF_ADJUST
  EXPECT_EQ(g.Canvas.Brush()->Color(), clWhite); // the canvas state is restored

  // Each edge kind: outer top-left, outer bottom-right, inner top-left, inner bottom-right.
  struct Case {
    const char* Name;
    Cardinal Edge, Flags;
    Integer OuterTL, OuterBR, InnerTL, InnerBR;
  } cases[] = {
      {"etched", EDGE_ETCHED, BF_RECT, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT,
       COLOR_BTNSHADOW},
      {"bump", EDGE_BUMP, BF_RECT, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW,
       COLOR_3DLIGHT},
      {"soft raised", EDGE_RAISED, BF_RECT | BF_SOFT, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW,
       COLOR_3DLIGHT, COLOR_BTNSHADOW},
      {"flat", EDGE_SUNKEN, BF_RECT | BF_FLAT, COLOR_BTNSHADOW, COLOR_BTNSHADOW, COLOR_BTNFACE,
       COLOR_BTNFACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFixture h;
    TRect e = Rect(2, 2, 12, 10);
    DrawEdge(&h.Canvas, e, c.Edge, c.Flags);
    EXPECT_EQ(h.At(2, 5), GetSysColor(c.OuterTL));
    EXPECT_EQ(h.At(11, 5), GetSysColor(c.OuterBR));
    EXPECT_EQ(h.At(3, 5), GetSysColor(c.InnerTL));
    EXPECT_EQ(h.At(10, 5), GetSysColor(c.InnerBR));
  }
  ResetSysColors();
}

TEST(Canvas, MonochromePatternTakesTextAndBackgroundColours)
{
  TBitmap pattern(8, 8);
  pattern.SetMonochrome(true);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      pattern.Canvas()->SetPixels(x, y, (x + y) % 2 ? clWhite : clBlack);
  TFixture f;
  f.Canvas.Font()->SetColor(clRed);
  f.Canvas.Brush()->SetColor(clYellow);
  f.Canvas.Brush()->SetBitmap(&pattern);
  f.Canvas.FillRect(Rect(3, 3, 11, 11));
  EXPECT_EQ(f.At(3, 3), clRed);
  EXPECT_EQ(f.At(4, 3), clYellow);
  EXPECT_EQ(f.At(10, 10), clRed);
  EXPECT_EQ(f.Count(clRed), 32);
}

TEST(Canvas, DeviceCaps)
{
  TFixture f(40, 30);
  EXPECT_EQ(f.Canvas.GetDeviceCaps(LOGPIXELSY), 96);
  EXPECT_EQ(f.Canvas.GetDeviceCaps(HORZRES), 40);
  EXPECT_EQ(f.Canvas.GetDeviceCaps(VERTRES), 30);
  EXPECT_EQ(f.Canvas.GetDeviceCaps(NUMCOLORS), -1);
  EXPECT_EQ(f.Canvas.GetDeviceCaps(TECHNOLOGY), DT_RASDISPLAY);
}

TEST(Canvas, HugeGeometryCostsOnlyWhatIsVisible)
{
  TFixture f;
  f.Canvas.Brush()->SetColor(clRed);
  f.Canvas.Ellipse(-100000000, -100000000, 100000000, 100000000);
  EXPECT_EQ(f.Count(clRed), 400);
  f.Canvas.MoveTo(-200000000, 10);
  f.Canvas.LineTo(200000000, 10);
  EXPECT_EQ(f.Count(clBlack), 20);
  TPoint big[] = {{-90000000, 0}, {90000000, 0}, {0, 90000000}};
  f.Canvas.Brush()->SetColor(clBlue);
  f.Canvas.Polygon(big, 3);
  EXPECT_EQ(f.At(10, 15), clBlue);

  // Clipped dashes keep the phase of the whole line: x = 0 is step 100 of a dotted line
  // starting at -100 (100 mod 6 = 4: a gap), x = 2 starts a dot.
  TFixture d;
  d.Canvas.Pen()->SetStyle(psDot);
  d.Canvas.Brush()->SetStyle(bsClear);
  d.Canvas.MoveTo(-100, 5);
  d.Canvas.LineTo(100, 5);
  EXPECT_EQ(d.At(0, 5), clWhite);
  EXPECT_EQ(d.At(1, 5), clWhite);
  EXPECT_EQ(d.At(2, 5), clBlack);
  EXPECT_EQ(d.At(4, 5), clBlack);
  EXPECT_EQ(d.At(5, 5), clWhite);
}

TEST(Canvas, WithoutSurfaceRefusesToDraw)
{
  TCanvas c;
  EXPECT_THROW(c.LineTo(1, 1), EInvalidOperation);
  EXPECT_EQ(c.ClipRect(), TRect());
}
