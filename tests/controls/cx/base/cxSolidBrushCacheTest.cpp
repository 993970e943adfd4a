#include "controls/cx/base/cxSolidBrushCache.h"

#include <gtest/gtest.h>

TEST(cxSolidBrushCache, EvictsTheLeastUsedAndStaysSorted)
{
  TcxSolidBrushCache cache(128);
  for (TColor c = 0x80; c >= 1; --c)
    cache.GetBrush(c);
  ASSERT_EQ(cache.Depth(), 128);
  EXPECT_EQ(cache.ColorAt(0), 1u);
  TcxBrushHandle five = cache.GetBrush(5);
  EXPECT_EQ(cache.UseCountAt(4), 1u);
  TcxBrushHandle first = cache.GetBrush(1);
  const TBrush* firstBrush = first.get();
  // 0xFF evicts colour 2 now (1 was used again): the first of the least used.
  cache.GetBrush(0xFF);
  EXPECT_EQ(cache.Depth(), 128);
  EXPECT_EQ(cache.ColorAt(0), 1u);
  EXPECT_EQ(cache.ColorAt(1), 3u);
  EXPECT_EQ(cache.ColorAt(127), 0xFFu);
  for (Integer i = 1; i < cache.Depth(); ++i)
    ASSERT_LT(cache.ColorAt(i - 1), cache.ColorAt(i));
  TcxBrushHandle two = cache.GetBrush(2);
  EXPECT_EQ(two->Color(), 2);
  EXPECT_EQ(cache.UseCountAt(1), 0u) << "a new entry starts unused";
  EXPECT_EQ(cache.GetBrush(1).get(), firstBrush);
  // A handle outlives its eviction.
  cache.Clear();
  EXPECT_EQ(five->Color(), 5);
}

TEST(cxSolidBrushCache, SystemColoursUseTheSystemBrushesAndPaletteChangesEmptyTheCache)
{
  TcxSolidBrushCache* cache = cxSolidBrushCache();
  ASSERT_NE(cache, nullptr);
  cache->Clear();
  TcxBrushHandle face = SolidBrushForColor(clBtnFace);
  EXPECT_EQ(face.get(), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(cache->Depth(), 0);
  TcxBrushHandle red = SolidBrushForColor(clRed);
  EXPECT_EQ(cache->Depth(), 1);
  SetSysColor(COLOR_WINDOW, RGB(9, 9, 9));
  ResetSysColors();
  EXPECT_EQ(cache->Depth(), 0);
  EXPECT_NE(SolidBrushForColor(clRed).get(), red.get()) << "a new brush after the change";
}
