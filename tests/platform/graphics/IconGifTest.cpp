// Icons and GIF pictures. The fixture files under tests/fixtures/pictures were written by
// a small generator and read back by an independent decoder before being kept; the
// patterns they hold are recomputed here.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"

namespace {

std::string Fixture(const char* name)
{
  std::ifstream in(std::string(QH_FIXTURES) + "/pictures/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_FALSE(s.str().empty()) << name;
  return s.str();
}

std::string StreamBytes(TMemoryStream& m)
{
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

TColor Rgb(int r, int g, int b)
{
  return RGB(static_cast<Byte>(r), static_cast<Byte>(g), static_cast<Byte>(b));
}

// One draw of a picture over a grey canvas, read back.
std::unique_ptr<TImageSurface> DrawnOverGrey(TGraphic& graphic, const TRect& rect, Integer size)
{
  auto surface = std::make_unique<TImageSurface>(size, size, Rgb(100, 100, 100));
  TCanvas canvas(surface.get());
  canvas.StretchDraw(rect, &graphic);
  return surface;
}

} // namespace

TEST(Icon, ChoosesTheImageNearestTheSystemIconSizeAndKeepsItsMask)
{
  // 16 x 16 at 4 bits, 32 x 32 at 24 bits and 48 x 48 at 8 bits: the 32 x 32 one is taken.
  std::string bytes = Fixture("icon-three-sizes.ico");
  TIcon icon;
  icon.LoadFromBytes(bytes);
  ASSERT_EQ(icon.Width(), 32);
  ASSERT_EQ(icon.Height(), 32);
  EXPECT_TRUE(icon.Transparent());
  for (Integer y = 0; y < 32; y += 3)
    for (Integer x = 0; x < 32; x += 5) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      bool masked = (x + y) % 5 == 0;
      EXPECT_EQ(icon.Coverage(x, y), masked ? 0 : 255);
      EXPECT_EQ(icon.Pixel(x, y), Rgb(x * 8, y * 8, 128));
    }
  // Unchanged, it saves the file it was read from.
  TMemoryStream out;
  icon.SaveToStream(&out);
  EXPECT_EQ(StreamBytes(out), bytes);
  EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
  icon.SetWidth(32); // its own size is no change
}

TEST(Icon, AlphaAndPngImagesKeepTheirCoverage)
{
  // A 256 x 256 PNG entry and a 32 x 32 one with alpha 8x + 7 in its upper half.
  TIcon icon;
  icon.LoadFromBytes(Fixture("icon-alpha-and-png.ico"));
  ASSERT_EQ(icon.Width(), 32);
  EXPECT_EQ(icon.Coverage(0, 0), 7);
  EXPECT_EQ(icon.Coverage(31, 15), 255);
  EXPECT_EQ(icon.Coverage(3, 20), 255);
  EXPECT_EQ(icon.Pixel(4, 2), Rgb(200, 40, 16));

  // A PNG-only icon: 24 x 24, transparent left half.
  TIcon png;
  png.LoadFromBytes(Fixture("icon-png.ico"));
  ASSERT_EQ(png.Width(), 24);
  EXPECT_EQ(png.Coverage(11, 5), 0);
  EXPECT_EQ(png.Coverage(12, 5), 255);
  EXPECT_EQ(png.Pixel(13, 7), Rgb(130, 255, 70));
}

TEST(Icon, DrawsOverTheCanvasWithItsCoverage)
{
  TIcon icon;
  icon.LoadFromBytes(Fixture("icon-alpha-and-png.ico"));
  // Drawn at twice its size: pixel (x, y) of the icon covers (2x, 2y) .. (2x + 1, 2y + 1).
  auto s = DrawnOverGrey(icon, Rect(10, 10, 74, 74), 80);
  EXPECT_EQ(s->GetPixel(9, 9), Rgb(100, 100, 100)); // outside
  // Alpha 255 (lower half): the icon's own colour.
  EXPECT_EQ(s->GetPixel(10 + 2 * 3, 10 + 2 * 20), Rgb(200, 40, 160));
  // Alpha 8 * 15 + 7 = 127 at x = 15, row 1: halfway between the icon and the grey.
  TColor mixed = s->GetPixel(10 + 2 * 15, 10 + 2 * 1);
  auto mix = [](int icon, int under) { return (icon * 127 + under * 128 + 127) / 255; };
  EXPECT_EQ(mixed, Rgb(mix(200, 100), mix(40, 100), mix(8, 100)));
  // Alpha 7: almost all grey.
  TColor faint = s->GetPixel(10, 10);
  EXPECT_EQ(faint, Rgb((200 * 7 + 100 * 248 + 127) / 255, (40 * 7 + 100 * 248 + 127) / 255,
                       (0 * 7 + 100 * 248 + 127) / 255));

  // A masked icon: the masked pixels keep the canvas, mirrored drawing mirrors the icon.
  TIcon masked;
  masked.LoadFromBytes(Fixture("icon-three-sizes.ico"));
  auto m = DrawnOverGrey(masked, Rect(0, 0, 32, 32), 40);
  EXPECT_EQ(m->GetPixel(0, 0), Rgb(100, 100, 100));
  EXPECT_EQ(m->GetPixel(1, 0), Rgb(8, 0, 128));
  auto mirrored = DrawnOverGrey(masked, Rect(32, 0, 0, 32), 40);
  EXPECT_EQ(mirrored->GetPixel(30, 0), Rgb(8, 0, 128));
  EXPECT_EQ(mirrored->GetPixel(31, 0), Rgb(100, 100, 100));
}

TEST(Icon, DamagedFilesGiveOneError)
{
  std::string good = Fixture("icon-three-sizes.ico");
  auto patched = [&](size_t at, std::string bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"empty", ""},
      {"a cursor file", patched(2, std::string("\2\0", 2))},
      {"no images", patched(4, std::string("\0\0", 2))},
      {"directory cut", good.substr(0, 6 + 16 + 5)},
      {"image beyond the file", patched(6 + 16 + 12, "\xF0\xFF\x00\x00")},
      {"chosen image cut", good.substr(0, 2000)},
      {"bad depth", patched(good.find(std::string("\x28\0\0\0\x20\0\0\0", 8)) + 14, "\x07")},
      {"PNG entry damaged",
       [] {
         std::string s = Fixture("icon-png.ico");
         s[6 + 16 + 20] ^= 0x55; // inside the PNG header
         return s;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TIcon icon;
    try {
      icon.LoadFromBytes(c.Bytes);
      FAIL();
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "Icon image is not valid");
    }
    EXPECT_TRUE(icon.Empty());
  }
}

TEST(Gif, DecodesTheFirstImageWithItsTable)
{
  // 40 x 30, colour index (x / 5 + y / 3) mod 4 of red, green, blue, white.
  TGIFImage gif;
  gif.LoadFromBytes(Fixture("gif-stripes-40x30.gif"));
  ASSERT_EQ(gif.Width(), 40);
  ASSERT_EQ(gif.Height(), 30);
  EXPECT_FALSE(gif.Transparent());
  const TColor colours[] = {clRed, clLime, clBlue, clWhite};
  for (Integer y = 0; y < 30; ++y)
    for (Integer x = 0; x < 40; ++x)
      ASSERT_EQ(gif.Pixel(x, y), colours[(x / 5 + y / 3) % 4]) << x << "," << y;

  // 160 x 100 of pseudo-random indexes: the code table fills and stays full (no clear code).
  TGIFImage full;
  full.LoadFromBytes(Fixture("gif-full-table-160x100.gif"));
  std::uint32_t seed = 7;
  Integer wrong = 0;
  for (Integer y = 0; y < 100; ++y)
    for (Integer x = 0; x < 160; ++x) {
      seed = (seed * 1103515245u + 12345u) & 0x7FFFFFFF;
      Integer i = (x * 7 + y * 3) % 5 ? static_cast<Integer>((seed >> 16) % 16) : (x + y) % 16;
      wrong += full.Pixel(x, y) != Rgb(i * 16, 255 - i * 16, (i * 37) % 256);
    }
  EXPECT_EQ(wrong, 0);
}

TEST(Gif, InterlacedImageOnALargerScreenWithATransparentColour)
{
  // A 20 x 17 interlaced image at (2, 3) on a 24 x 24 screen, local table of 8 colours;
  // index 0 (where (x + y) mod 7 is 0) is transparent, the others are 1 + y mod 7.
  TGIFImage gif;
  gif.LoadFromBytes(Fixture("gif-interlaced-transparent.gif"));
  ASSERT_EQ(gif.Width(), 24);
  ASSERT_EQ(gif.Height(), 24);
  EXPECT_TRUE(gif.Transparent());
  const TColor table[] = {clBlack, clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, clGray};
  for (Integer y = 0; y < 24; ++y)
    for (Integer x = 0; x < 24; ++x) {
      Integer fx = x - 2, fy = y - 3;
      bool inside = fx >= 0 && fx < 20 && fy >= 0 && fy < 17;
      bool transparent = !inside || (fx + fy) % 7 == 0;
      ASSERT_EQ(gif.Coverage(x, y), transparent ? 0 : 255) << x << "," << y;
      if (!transparent) {
        ASSERT_EQ(gif.Pixel(x, y), table[1 + fy % 7]) << x << "," << y;
      }
    }
  auto s = DrawnOverGrey(gif, Rect(0, 0, 24, 24), 24);
  EXPECT_EQ(s->GetPixel(0, 0), Rgb(100, 100, 100));
  EXPECT_EQ(s->GetPixel(3, 3), clRed);
}

TEST(Gif, DamagedFilesGiveOneError)
{
  std::string good = Fixture("gif-stripes-40x30.gif");
  auto patched = [&](size_t at, std::string bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  // The image descriptor follows the header and the 4-entry table: 13 + 12.
  size_t image = 13 + 12;
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"header only", good.substr(0, 13)},
      {"zero screen", patched(6, std::string("\0\0", 2))},
      {"screen far larger than the file", patched(6, "\xFF\x3F\xFF\x3F")},
      {"no image before the trailer", good.substr(0, image) + "\x3B"},
      {"unknown block", patched(image, "\x99")},
      {"code size 12", patched(image + 10, "\x0C")},
      {"data cut", good.substr(0, good.size() - 30)},
      {"code beyond the table", patched(image + 12, "\xFF\xFF\xFF")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TGIFImage gif;
    try {
      gif.LoadFromBytes(c.Bytes);
      FAIL();
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "GIF image is not valid");
    }
    EXPECT_TRUE(gif.Empty());
  }
}

TEST(Picture, LoadsIconsAndGifsBySignatureAndKeepsTheirBytes)
{
  struct Case {
    const char* File;
    const char* ClassName;
    Integer Width;
  } cases[] = {
      {"icon-three-sizes.ico", "TIcon", 32},
      {"gif-stripes-40x30.gif", "TGIFImage", 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    std::string bytes = Fixture(c.File);
    TPicture picture;
    TReadOnlyMemoryStream in(bytes);
    picture.LoadFromStream(&in);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), c.ClassName);
    EXPECT_EQ(picture.Width(), c.Width);
    // Stored and read back as report files keep pictures, and copied through SetGraphic.
    TMemoryStream data;
    picture.WriteData(&data);
    data.SetPosition(0);
    TPicture back;
    back.ReadData(&data);
    EXPECT_EQ(back.Graphic()->ClassName(), c.ClassName);
    TPicture copy;
    copy.SetGraphic(back.Graphic());
    TMemoryStream out;
    copy.SaveToStream(&out);
    EXPECT_EQ(StreamBytes(out), bytes);
  }
  // Only their own kind can be assigned to them.
  TBitmap bitmap(2, 2);
  TIcon icon;
  EXPECT_THROW(icon.Assign(&bitmap), EConvertError);
  TGIFImage gif;
  EXPECT_THROW(gif.Assign(&bitmap), EConvertError);
  // A bitmap takes an icon's picture over its own white.
  icon.LoadFromBytes(Fixture("icon-three-sizes.ico"));
  bitmap.Assign(&icon);
  EXPECT_EQ(bitmap.Width(), 32);
  EXPECT_EQ(bitmap.Pixel(0, 0), clWhite);
  EXPECT_EQ(bitmap.Pixel(1, 0), Rgb(8, 0, 128));
}
