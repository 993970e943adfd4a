#include "platform/graphics/ImgList.h"

#include <memory>

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/TypInfo.h"

namespace {

// A strip of `tiles` 4x3 tiles: each tile has a clFuchsia background, its own colour in
// column 1 and a white pixel at (2, 1).
std::unique_ptr<TBitmap> Strip(Integer tiles)
{
  static const TColor colours[] = {clRed, clBlue, clGreen, clNavy};
  auto b = std::make_unique<TBitmap>(4 * tiles, 3);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(Rect(0, 0, 4 * tiles, 3));
  for (Integer t = 0; t < tiles; ++t) {
    for (Integer y = 0; y < 3; ++y)
      c->SetPixels(4 * t + 1, y, colours[t % 4]);
    c->SetPixels(4 * t + 2, 1, clWhite);
  }
  return b;
}

struct Target {
  TImageSurface Surface{12, 8, 0x00AA00}; // 0x00RRGGBB: a green that no image uses
  TCanvas Canvas{&Surface};
  TColor At(Integer x, Integer y) const { return Surface.Pixel(x, y); }
};
constexpr TColor kBackground = RGB(0, 0xAA, 0);

} // namespace

TEST(ImageList, AddMaskedCutsAStripIntoTilesAndDropsTheMaskColour)
{
  TImageList list(4, 3, nullptr);
  auto strip = Strip(3);
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.AddMasked(strip.get(), clDefault), 3); // bottom-left pixel: clFuchsia
  EXPECT_EQ(list.Count(), 6);

  for (Integer index : {1, 4}) {
    SCOPED_TRACE(index);
    Target t;
    list.Draw(&t.Canvas, 5, 2, index);
    EXPECT_EQ(t.At(5, 2), kBackground); // transparent corner
    EXPECT_EQ(t.At(6, 2), clBlue);      // the tile's own colour
    EXPECT_EQ(t.At(6, 4), clBlue);
    EXPECT_EQ(t.At(7, 3), clWhite); // white stays opaque
    EXPECT_EQ(t.At(8, 3), kBackground);
    EXPECT_EQ(t.At(6, 5), kBackground); // below the image
  }
}

TEST(ImageList, AddTakesWhiteMaskPixelsAsTransparent)
{
  TImageList list(4, 3, nullptr);
  auto image = Strip(1);
  TBitmap mask(4, 3);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, 4, 3));
  mask.Canvas()->SetPixels(1, 0, clWhite);
  EXPECT_EQ(list.Add(image.get(), &mask), 0);
  EXPECT_EQ(list.Add(image.get(), nullptr), 1);

  Target t;
  list.Draw(&t.Canvas, 0, 0, 0);
  EXPECT_EQ(t.At(1, 0), kBackground);
  EXPECT_EQ(t.At(1, 1), clRed);
  EXPECT_EQ(t.At(0, 0), clFuchsia); // not masked: drawn

  TBitmap got;
  list.GetMask(0, &got);
  EXPECT_EQ(got.Pixel(1, 0), clWhite);
  EXPECT_EQ(got.Pixel(0, 0), clBlack);
  list.GetBitmap(1, &got);
  ASSERT_EQ(got.Width(), 4);
  EXPECT_EQ(got.Pixel(1, 2), clRed);
  EXPECT_EQ(got.Pixel(0, 0), clFuchsia);

  TImageList copy(nullptr); // 16 x 16 until assigned
  copy.Assign(&list);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Width(), 4);
  Target t2;
  copy.Draw(&t2.Canvas, 0, 0, 0);
  EXPECT_EQ(t2.At(1, 0), kBackground);
  EXPECT_EQ(t2.At(1, 1), clRed);
}

TEST(ImageList, DisabledImagesAreDrawnAsAnEmbossedShape)
{
  SetSysColor(COLOR_BTNHIGHLIGHT, RGB(1, 2, 3));
  SetSysColor(COLOR_BTNSHADOW, RGB(4, 5, 6));
  TImageList list(4, 3, nullptr);
  list.AddMasked(Strip(1).get(), clFuchsia);
  Target t;
  list.Draw(&t.Canvas, 2, 2, 0, false);
  ResetSysColors();
  // Column 1 is the shape: shadow at its place, highlight one pixel right and down.
  EXPECT_EQ(t.At(3, 2), RGB(4, 5, 6));
  EXPECT_EQ(t.At(3, 4), RGB(4, 5, 6));
  EXPECT_EQ(t.At(4, 5), RGB(1, 2, 3));
  EXPECT_EQ(t.At(4, 3), RGB(1, 2, 3)); // the white pixel (4, 3) is not part of the shape:
  EXPECT_EQ(t.At(5, 4), kBackground);  // no shadow on it, no highlight beside it
  EXPECT_EQ(t.At(2, 2), kBackground);
}

TEST(ImageList, BackgroundBlendAndMaskStyles)
{
  TImageList list(4, 3, nullptr);
  list.AddMasked(Strip(1).get(), clFuchsia);
  struct Case {
    const char* Name;
    TDrawingStyle Style;
    TImageType Type;
    TColor Corner; // pixel (0, 0): transparent
    TColor Shape;  // pixel (1, 0): clRed
  };
  const Case cases[] = {
      {"background", dsNormal, itImage, clYellow, clRed},
      {"transparent ignores background", dsTransparent, itImage, kBackground, clRed},
      {"selected blends half", dsSelected, itImage, clYellow, RGB(0x80, 0, 0x80)},
      {"focus blends a quarter", dsFocus, itImage, clYellow, RGB(0xBF, 0, 0x40)},
      {"mask", dsNormal, itMask, clWhite, clBlack},
  };
  list.SetBkColor(clYellow);
  list.SetBlendColor(clBlue);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Target t;
    list.Draw(&t.Canvas, 0, 0, 0, c.Style, c.Type);
    EXPECT_EQ(t.At(0, 0), c.Corner);
    EXPECT_EQ(t.At(1, 0), c.Shape);
  }
}

TEST(ImageList, DrawingKeepsToTheCanvasClipAndOrigin)
{
  TImageList list(4, 3, nullptr);
  list.AddMasked(Strip(1).get(), clFuchsia);
  Target t;
  t.Canvas.SetWindowOrg(Point(-3, 0)); // logical 0 is device 3
  t.Canvas.IntersectClipRect(Rect(0, 0, 12, 1));
  list.Draw(&t.Canvas, 0, 0, 0);
  EXPECT_EQ(t.At(4, 0), clRed);
  EXPECT_EQ(t.At(4, 1), kBackground); // clipped
  t.Canvas.SelectClipRegion(nullptr);
  list.Draw(&t.Canvas, 0, 2, 0);
  EXPECT_EQ(t.At(4, 3), clRed); // the clip of the first draw is gone
}

TEST(ImageList, ChangeLinksFollowTheListAndEndWithEitherSide)
{
  auto list = std::make_unique<TImageList>(4, 3, nullptr);
  Integer calls = 0;
  TChangeLink a;
  auto b = std::make_unique<TChangeLink>();
  a.OnChange = [&calls](TObject*) { ++calls; };
  b->OnChange = [&calls](TObject*) { calls += 100; };
  list->RegisterChanges(&a);
  list->RegisterChanges(b.get());
  list->RegisterChanges(&a); // once only
  EXPECT_EQ(a.Sender(), list.get());

  auto strip = Strip(2);
  list->AddMasked(strip.get(), clFuchsia);
  EXPECT_EQ(calls, 101);
  b.reset(); // unregisters itself
  list->Delete(0);
  EXPECT_EQ(calls, 102);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_THROW(list->Delete(5), EInvalidOperation);
  list->SetWidth(8); // a new size empties the list
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(calls, 103);
  list.reset();
  EXPECT_EQ(a.Sender(), nullptr);
  a.Change(); // nothing to tell
  EXPECT_EQ(calls, 103);
}

TEST(ImageList, IsRegisteredWithItsPublishedProperties)
{
  TClass c = ClassInfoOf<TImageList>();
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->InheritsFrom(ClassInfoOf<TCustomImageList>()));
  std::unique_ptr<TObject> made(c->Factory(nullptr));
  auto* list = dynamic_cast<TImageList*>(made.get());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Width(), 16);
  EXPECT_EQ(list->Height(), 16);
  EXPECT_TRUE(list->HandleAllocated());
}
