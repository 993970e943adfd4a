#include "platform/graphics/Region.h"

#include <gtest/gtest.h>

TEST(Region, RectangleExcludesRightAndBottom)
{
  TRegion r(Rect(2, 3, 5, 7));
  EXPECT_EQ(r.Kind(), SIMPLEREGION);
  EXPECT_EQ(r.Bounds(), Rect(2, 3, 5, 7));
  EXPECT_TRUE(r.Contains(2, 3));
  EXPECT_TRUE(r.Contains(4, 6));
  EXPECT_FALSE(r.Contains(5, 6));
  EXPECT_FALSE(r.Contains(4, 7));
  EXPECT_EQ(r.PixelCount(), 12);
  EXPECT_EQ(TRegion(Rect(5, 5, 5, 9)).Kind(), NULLREGION);
}

TEST(Region, CombineModes)
{
  TRegion a(Rect(0, 0, 10, 10)), b(Rect(5, 5, 15, 15));
  struct Case {
    Integer Mode;
    Integer Pixels;
    TPoint In, Out;
  } cases[] = {
      {RGN_AND, 25, {7, 7}, {2, 2}},     {RGN_OR, 175, {12, 12}, {12, 2}},
      {RGN_XOR, 150, {2, 2}, {7, 7}},    {RGN_DIFF, 75, {2, 7}, {7, 7}},
      {RGN_COPY, 100, {2, 2}, {12, 12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Mode);
    TRegion r = a.Combine(b, c.Mode);
    EXPECT_EQ(r.PixelCount(), c.Pixels);
    EXPECT_TRUE(r.Contains(c.In));
    EXPECT_FALSE(r.Contains(c.Out));
  }
  // Bands merge back: the union of two halves is the simple rectangle.
  TRegion halves = TRegion(Rect(0, 0, 4, 4)).Combine(TRegion(Rect(4, 0, 8, 4)), RGN_OR);
  EXPECT_EQ(halves, TRegion(Rect(0, 0, 8, 4)));
  EXPECT_EQ(a.Combine(b, RGN_XOR).Kind(), COMPLEXREGION);
  EXPECT_EQ(a.Combine(b, RGN_OR).Bounds(), Rect(0, 0, 15, 15));
}

TEST(Region, OffsetMovesEveryBand)
{
  TRegion r = TRegion(Rect(0, 0, 2, 2)).Combine(TRegion(Rect(3, 3, 5, 5)), RGN_OR);
  r.Offset(10, -1);
  EXPECT_TRUE(r.Contains(10, -1));
  EXPECT_TRUE(r.Contains(14, 3));
  EXPECT_FALSE(r.Contains(0, 0));
  EXPECT_EQ(r.Bounds(), Rect(10, -1, 15, 4));
}

TEST(Region, EllipseIsSymmetricAndInsideItsBox)
{
  TRegion e = TRegion::Ellipse(Rect(0, 0, 11, 7));
  EXPECT_EQ(e.Bounds(), Rect(0, 0, 11, 7));
  for (Integer y = 0; y < 7; ++y)
    for (Integer x = 0; x < 11; ++x) {
      EXPECT_EQ(e.Contains(x, y), e.Contains(10 - x, y)) << x << "," << y;
      EXPECT_EQ(e.Contains(x, y), e.Contains(x, 6 - y)) << x << "," << y;
    }
  EXPECT_FALSE(e.Contains(0, 0));
  EXPECT_TRUE(e.Contains(0, 3));
  EXPECT_TRUE(e.Contains(5, 0));
}

TEST(Region, PolygonFillModes)
{
  // A square covering x 0..9, and the same square traced twice: alternate cancels the
  // double cover, winding keeps it.
  TPoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  TRegion r = TRegion::Polygon(square, 4);
  EXPECT_EQ(r, TRegion(Rect(0, 0, 10, 10)));

  TPoint twice[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 10}, {0, 10}};
  Integer counts[] = {4, 4};
  EXPECT_TRUE(TRegion::PolyPolygon(twice, counts, 2, ALTERNATE).IsEmpty());
  EXPECT_EQ(TRegion::PolyPolygon(twice, counts, 2, WINDING), TRegion(Rect(0, 0, 10, 10)));

  // A 3-point arrow pointing right.
  TPoint arrow[] = {{0, 0}, {6, 6}, {0, 12}};
  TRegion a = TRegion::Polygon(arrow, 3);
  EXPECT_TRUE(a.Contains(0, 6));
  EXPECT_TRUE(a.Contains(4, 6));
  EXPECT_FALSE(a.Contains(5, 6)); // the outline, not the fill, reaches the tip
  EXPECT_FALSE(a.Contains(3, 1));
}

TEST(Region, RoundRectCutsOnlyTheCorners)
{
  TRegion r = TRegion::RoundRect(Rect(0, 0, 20, 10), 6, 6);
  EXPECT_FALSE(r.Contains(0, 0));
  EXPECT_FALSE(r.Contains(19, 9));
  EXPECT_TRUE(r.Contains(10, 0));
  EXPECT_TRUE(r.Contains(0, 5));
  EXPECT_TRUE(r.Contains(19, 5));
  EXPECT_EQ(r.Bounds(), Rect(0, 0, 20, 10));
}

TEST(Region, PieAndChordKeepTheirSide)
{
  // Quarter from the right (3 o'clock) counter-clockwise to the top (12 o'clock).
  TRect box = Rect(0, 0, 20, 20);
  TRegion pie = TRegion::Pie(box, Point(20, 10), Point(10, 0));
  EXPECT_TRUE(pie.Contains(14, 5));
  EXPECT_FALSE(pie.Contains(5, 5));
  EXPECT_FALSE(pie.Contains(14, 14));
  TRegion chord = TRegion::Chord(box, Point(20, 10), Point(10, 0));
  EXPECT_TRUE(chord.Contains(16, 3));
  EXPECT_FALSE(chord.Contains(12, 8));
  EXPECT_LT(chord.PixelCount(), pie.PixelCount());
}

// FromBands builds band by band what FromRows builds row by row.
TEST(Region, FromBandsMakesWhatFromRowsMakesOfTheSameRows)
{
  using TBands = std::vector<TRegion::TBand>;
  struct Case {
    const char* Name;
    TBands Bands;
    size_t BandsMade;
  } cases[] = {
      {"unsorted, overlapping, touching and empty spans",
       {{2, 5, {{8, 12}, {0, 3}, {2, 6}, {12, 14}, {20, 20}, {30, 25}}}},
       1},
      {"equal neighbours merge", {{0, 3, {{1, 4}}}, {3, 7, {{3, 4}, {1, 3}}}}, 1},
      {"a gap keeps two bands", {{0, 3, {{1, 4}}}, {4, 7, {{1, 4}}}}, 2},
      {"a band of empty spans gives nothing", {{0, 3, {{5, 5}}}, {3, 4, {{1, 2}}}}, 1},
      {"negative rows and columns", {{-9, -4, {{-7, -2}}}, {-4, 2, {{-7, -3}, {-1, 0}}}}, 2},
      {"no bands", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Integer top = c.Bands.empty() ? 0 : c.Bands.front().Top;
    const Integer bottom = c.Bands.empty() ? 0 : c.Bands.back().Bottom;
    std::vector<std::vector<TRegion::TSpan>> rows(static_cast<size_t>(bottom - top));
    for (const TRegion::TBand& band : c.Bands)
      for (Integer y = band.Top; y < band.Bottom; ++y)
        rows[static_cast<size_t>(y - top)] = band.Spans;
    TBands bands = c.Bands;
    const TRegion made = TRegion::FromBands(bands);
    EXPECT_EQ(made, TRegion::FromRows(top, rows));
    EXPECT_EQ(made.Bands().size(), c.BandsMade);
  }
}
