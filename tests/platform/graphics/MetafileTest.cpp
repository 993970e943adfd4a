#include "platform/graphics/Metafile.h"

#include <gtest/gtest.h>

#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"

namespace {

void DrawSample(TCanvas& c)
{
  c.Pen()->SetColor(clBlack);
  c.Brush()->SetColor(clRed);
  c.Rectangle(2, 2, 10, 8);
  c.MoveTo(1, 12);
  c.LineTo(15, 12);
  c.Brush()->SetColor(clBlue);
  c.FillRect(Rect(12, 1, 15, 4));
}

bool Same(const TImageSurface& a, const TImageSurface& b)
{
  for (Integer y = 0; y < a.Height(); ++y)
    for (Integer x = 0; x < a.Width(); ++x)
      if (a.GetPixel(x, y) != b.GetPixel(x, y))
        return false;
  return true;
}

} // namespace

TEST(Metafile, RecordsWithExactArgumentsAndReplaysTheSame)
{
  TMetafile mf;
  mf.SetWidth(16);
  mf.SetHeight(16);
  {
    TMetafileCanvas mc(&mf, 0);
    DrawSample(mc);
  }
  EXPECT_EQ(mf.RecordCount(), 4); // rectangle fill, outline, line, fill
  std::vector<Integer> types;
  std::vector<TPoint> linePoints;
  mf.EnumRecords([&](const TMetaRecordInfo& r) {
    types.push_back(r.Type);
    if (r.Type == EMR_POLYLINE)
      linePoints = r.Points;
    EXPECT_EQ(r.Index, static_cast<Integer>(types.size()));
    return true;
  });
  EXPECT_EQ(types, (std::vector<Integer>{EMR_RECTANGLE, EMR_RECTANGLE, EMR_POLYLINE, EMR_FILLRGN}));
  EXPECT_EQ(linePoints, (std::vector<TPoint>{{1, 12}, {15, 12}}));

  TImageSurface direct(16, 16, clWhite), played(16, 16, clWhite);
  TCanvas dc(&direct), pc(&played);
  DrawSample(dc);
  pc.Draw(0, 0, &mf);
  EXPECT_TRUE(Same(direct, played));
}

TEST(Metafile, ReplayedAtTwiceTheSizeDoublesTheCoordinates)
{
  TMetafile mf;
  mf.SetWidth(16);
  mf.SetHeight(16);
  {
    TMetafileCanvas mc(&mf, 0);
    DrawSample(mc);
  }
  TMetafile copy;
  copy.SetWidth(32);
  copy.SetHeight(32);
  {
    TMetafileCanvas mc(&copy, 0);
    mc.StretchDraw(Rect(0, 0, 32, 32), &mf); // playing into a recording flattens
  }
  std::vector<TPoint> linePoints;
  TRect fill;
  copy.EnumRecords([&](const TMetaRecordInfo& r) {
    if (r.Type == EMR_POLYLINE)
      linePoints = r.Points;
    if (r.Type == EMR_FILLRGN)
      fill = r.Bounds;
    return true;
  });
  EXPECT_EQ(linePoints, (std::vector<TPoint>{{2, 24}, {30, 24}}));
  EXPECT_EQ(fill, Rect(24, 2, 29, 7)); // inclusive bounds of 12..15 x 1..4 doubled

  TImageSurface big(40, 40, clWhite);
  TCanvas c(&big);
  c.StretchDraw(Rect(4, 4, 36, 36), &mf);
  EXPECT_EQ(big.GetPixel(4 + 4, 4 + 4), clBlack); // rectangle corner (2,2) doubled
  EXPECT_EQ(big.GetPixel(4 + 8, 4 + 8), clRed);   // inside
  EXPECT_EQ(big.GetPixel(4 + 24, 4 + 2), clBlue); // fill (12,1)
  EXPECT_EQ(big.GetPixel(4 + 29, 4 + 7), clBlue);
  EXPECT_EQ(big.GetPixel(4 + 30, 4 + 8), clWhite);
}

TEST(Metafile, TextRecordsKeepTextAndBounds)
{
  std::unique_ptr<TTextEngine> engine = CreateFixedTextEngine(TFixedMetrics{});
  TMetafile mf;
  {
    TMetafileCanvas mc(&mf, 0);
    mc.SetTextEngine(engine.get());
    mc.Brush()->SetStyle(bsClear);
    mc.TextOut(10, 20, "ab国");
  }
  std::vector<TMetaRecordInfo> texts;
  mf.EnumRecords([&](const TMetaRecordInfo& r) {
    if (r.Type == EMR_EXTTEXTOUTA)
      texts.push_back(r);
    return true;
  });
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].Text, "ab国");
  EXPECT_EQ(texts[0].CharCount, 3);
  EXPECT_EQ(texts[0].Bounds, Rect(10, 20, 10 + 28 - 1, 20 + 13 - 1));
  EXPECT_EQ(mf.Width(), 38);
  EXPECT_EQ(mf.Height(), 33);

  // Replayed at twice the size with the same engine, the glyph boxes double.
  TImageSurface target(100, 80, clWhite);
  TCanvas c(&target);
  c.SetTextEngine(engine.get());
  c.StretchDraw(Rect(0, 0, 76, 66), &mf);
  EXPECT_EQ(target.GetPixel(20, 40), clBlack);
  EXPECT_EQ(target.GetPixel(19, 40), clWhite);
  EXPECT_EQ(target.GetPixel(48, 41), clBlack); // the double-byte box starts at 10 + 14 doubled
}

TEST(Metafile, CanvasesTellWhatTheyDrawOn)
{
  TMetafile mf;
  TMetafileCanvas mc(&mf, 0);
  EXPECT_EQ(GetObjectType(&mc), OBJ_ENHMETADC);
  EXPECT_EQ(mc.GetDeviceCaps(TECHNOLOGY), DT_METAFILE);
  TImageSurface screen(4, 4);
  TCanvas sc(&screen);
  EXPECT_EQ(GetObjectType(&sc), OBJ_DC);
  TCanvas none;
  EXPECT_EQ(GetObjectType(&none), 0);
}

// A recorded area of several bands, replayed at different scales across and down: every
// band lands on the rows and columns its edges map to.
TEST(Metafile, AreasReplayBandByBandAtAnyScale)
{
  TMetafile mf;
  mf.SetWidth(8);
  mf.SetHeight(8);
  {
    TMetafileCanvas mc(&mf, 0);
    // Rows 0..3: columns 0..1 and 4..5; rows 4..5: columns 0..5; row 7: column 7.
    TRegion area = TRegion(Rect(0, 0, 2, 4))
                       .Combine(TRegion(Rect(4, 0, 6, 4)), RGN_OR)
                       .Combine(TRegion(Rect(0, 4, 6, 6)), RGN_OR)
                       .Combine(TRegion(Rect(7, 7, 8, 8)), RGN_OR);
    TGc gc;
    mc.Surface()->FillArea(area, TFill::Solid(clRed), gc);
  }
  struct Case {
    const char* Name;
    TRect Dest;
    std::vector<TPoint> Red, White;
  } cases[] = {
      // x 3, y 1.5: columns 0..5 and 12..17 for rows 0..5, columns 0..17 for rows 6..8,
      // columns 21..23 for row 11 (row 7 maps to 10.5 + 0.5 rounded down, row 8 to 12).
      {"3 x 1.5",
       Rect(0, 0, 24, 12),
       {{0, 0}, {5, 5}, {12, 0}, {17, 5}, {0, 6}, {17, 8}, {21, 11}, {23, 11}},
       {{6, 0}, {11, 5}, {18, 0}, {18, 6}, {0, 9}, {20, 11}, {17, 10}}},
      // x 0.5, y 0.5, moved to (10, 20): columns 10 and 12 for rows 20..21, columns 10..12
      // for row 22; the last pixel shrinks to nothing (rows and columns 7 and 8 both map to 4).
      {"0.5 x 0.5",
       Rect(10, 20, 14, 24),
       {{10, 20}, {12, 21}, {10, 22}, {12, 22}},
       {{11, 20}, {13, 21}, {13, 22}, {12, 23}, {13, 23}, {14, 24}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TImageSurface target(40, 40, clWhite);
    TCanvas canvas(&target);
    canvas.StretchDraw(c.Dest, &mf);
    for (TPoint p : c.Red)
      EXPECT_EQ(target.GetPixel(p.X, p.Y), clRed) << p.X << "," << p.Y;
    for (TPoint p : c.White)
      EXPECT_EQ(target.GetPixel(p.X, p.Y), clWhite) << p.X << "," << p.Y;
  }
}
