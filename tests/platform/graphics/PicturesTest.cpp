#include "platform/graphics/Pictures.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"

namespace {

// Temporary files carry the process id, so that test runs of several builds at once never
// share a file.
std::string PrivateTempDir()
{
  return testing::TempDir() + std::to_string(getpid()) + "-";
}

// A 5x3 bitmap with a distinct colour per pixel.
std::unique_ptr<TBitmap> Sample(TPixelFormat format = pf24bit)
{
  auto b = std::make_unique<TBitmap>(5, 3);
  b->SetPixelFormat(format);
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 5; ++x)
      b->Canvas()->SetPixels(x, y, RGB(static_cast<Byte>(40 * x), static_cast<Byte>(80 * y), 200));
  return b;
}

std::string Bytes(std::initializer_list<int> values)
{
  std::string s;
  for (int v : values)
    s += static_cast<char>(v);
  return s;
}

// 4x2, 8 bits per pixel, 2-entry palette (blue, red), bottom-up; hand-made.
std::string PaletteBmp()
{
  std::string s =
      Bytes({'B',  'M', 70, 0, 0, 0, 0,    0, 0, 0, 62, 0, 0, 0,       // file header
             40,   0,   0,  0, 4, 0, 0,    0, 2, 0, 0,  0, 1, 0, 8, 0, // size, w, h, planes, bits
             0,    0,   0,  0, 8, 0, 0,    0, 0, 0, 0,  0, 0, 0, 0, 0, // compression, image size
             2,    0,   0,  0, 0, 0, 0,    0,                          // colours used
             0xFF, 0,   0,  0, 0, 0, 0xFF, 0,                          // palette: blue, red
             0,    1,   1,  0,                                         // bottom row
             1,    0,   0,  1});                                       // top row
  return s;
}

std::string StreamBytes(TMemoryStream& m)
{
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

} // namespace

TEST(Bitmap, NewAreaTakesTheBrushColour)
{
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(3, 2);
  EXPECT_EQ(b.Pixel(2, 1), clWhite);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->SetPixels(0, 0, clBlue);
  b.SetSize(5, 2);
  EXPECT_EQ(b.Pixel(0, 0), clBlue); // kept
  EXPECT_EQ(b.Pixel(4, 0), clRed);  // new
}

TEST(Bitmap, BmpRoundTripInEachWrittenFormat)
{
  for (TPixelFormat format : {pf24bit, pf32bit, pfDevice}) {
    SCOPED_TRACE(format);
    auto b = Sample(format);
    std::string bytes = b->SaveToBytes();
    Integer bits = format == pf32bit ? 32 : 24;
    size_t stride = ((5 * bits + 31) / 32) * 4;
    ASSERT_EQ(bytes.size(), 54 + 3 * stride);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), bits);
    TBitmap c;
    c.LoadFromBytes(bytes);
    ASSERT_EQ(c.Width(), 5);
    ASSERT_EQ(c.Height(), 3);
    for (Integer y = 0; y < 3; ++y)
      for (Integer x = 0; x < 5; ++x)
        EXPECT_EQ(c.Pixel(x, y), b->Pixel(x, y)) << x << "," << y;
  }
  // Monochrome: 1 bit per pixel with a black and white palette.
  TBitmap mono;
  mono.SetSize(10, 2);
  mono.SetMonochrome(true);
  mono.Canvas()->SetPixels(3, 1, clBlack);
  TBitmap back;
  back.LoadFromBytes(mono.SaveToBytes());
  EXPECT_TRUE(back.Monochrome());
  EXPECT_EQ(back.Pixel(3, 1), clBlack);
  EXPECT_EQ(back.Pixel(4, 1), clWhite);
}

// A 1-bit bitmap whose palette holds two colours keeps them when it is saved after a
// change; with more than two colours the pixels are split into black and white.
TEST(Bitmap, OneBitBitmapsKeepTheirTwoColours)
{
  std::string bytes =
      Bytes({'B',  'M', 66,   0, 0,    0, 0, 0, 0, 0, 62, 0, 0, 0,       // file header
             40,   0,   0,    0, 2,    0, 0, 0, 1, 0, 0,  0, 1, 0, 1, 0, // size, w, h, planes, bits
             0,    0,   0,    0, 4,    0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, // compression, image size
             2,    0,   0,    0, 0,    0, 0, 0,                          // colours used
             0,    0,   0xFF, 0, 0xFF, 0, 0, 0,                          // palette: red, blue
             0x40, 0,   0,    0});                                       // red, blue
  TBitmap b;
  b.LoadFromBytes(bytes);
  ASSERT_EQ(b.Pixel(0, 0), clRed);
  ASSERT_EQ(b.Pixel(1, 0), clBlue);
  b.Canvas()->SetPixels(0, 0, clBlue); // a change: saving encodes the pixels
  b.Canvas()->SetPixels(1, 0, clRed);
  TBitmap back;
  back.LoadFromBytes(b.SaveToBytes());
  EXPECT_TRUE(back.Monochrome());
  EXPECT_EQ(back.Pixel(0, 0), clBlue);
  EXPECT_EQ(back.Pixel(1, 0), clRed);

  b.SetSize(3, 1);
  b.Canvas()->SetPixels(0, 0, clYellow);
  b.Canvas()->SetPixels(1, 0, clNavy);
  b.Canvas()->SetPixels(2, 0, clRed);
  back.LoadFromBytes(b.SaveToBytes());
  EXPECT_EQ(back.Pixel(0, 0), clWhite);
  EXPECT_EQ(back.Pixel(1, 0), clBlack);
}

TEST(Bitmap, LoadedAndUnchangedSavesTheSameBytes)
{
  std::string original = PaletteBmp();
  TBitmap b;
  b.LoadFromBytes(original);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(b.Pixel(0, 0), clRed); // top row first index 1
  EXPECT_EQ(b.Pixel(1, 0), clBlue);
  EXPECT_EQ(b.Pixel(1, 1), clRed);
  TMemoryStream out;
  b.SaveToStream(&out);
  EXPECT_EQ(StreamBytes(out), original);
  // Drawing makes it a new picture, written in 24 bits.
  b.Canvas()->SetPixels(0, 0, clLime);
  std::string changed = b.SaveToBytes();
  EXPECT_NE(changed, original);
  EXPECT_EQ(static_cast<unsigned char>(changed[28]), 24);
}

// Copies of a bitmap read from a file share its pixels until one of them changes: drawing
// on any of them, resizing one, reading a file into one or changing its pixels through the
// surface leaves the others as they were; a bitmap drawn on is copied, not shared, so its
// later drawing reaches no copy.
TEST(Bitmap, CopiesKeepTheirPixelsWhenAnotherChanges)
{
  using TChange = void (*)(TBitmap&);
  const std::pair<const char*, TChange> changes[] = {
      {"canvas", [](TBitmap& b) { b.Canvas()->SetPixels(1, 1, clLime); }},
      {"size", [](TBitmap& b) { b.SetSize(2, 1); }},
      {"file", [](TBitmap& b) { b.LoadFromBytes(Sample()->SaveToBytes()); }},
      {"surface", [](TBitmap& b) { b.Surface().SetPixel(1, 1, clLime, TGc()); }},
  };
  for (const auto& [name, change] : changes)
    for (Integer changed = 0; changed < 3; ++changed) {
      SCOPED_TRACE(std::string(name) + " of bitmap " + std::to_string(changed));
      TBitmap bmps[3];
      bmps[0].LoadFromBytes(PaletteBmp());
      bmps[1].Assign(&bmps[0]);
      bmps[2].Assign(&bmps[1]);
      change(bmps[changed]);
      for (Integer i = 0; i < 3; ++i) {
        if (i == changed)
          continue;
        ASSERT_EQ(bmps[i].Width(), 4);
        EXPECT_EQ(bmps[i].Pixel(0, 0), clRed);
        EXPECT_EQ(bmps[i].Pixel(1, 1), clRed);
        EXPECT_EQ(bmps[i].SaveToBytes(), PaletteBmp());
      }
      EXPECT_NE(bmps[changed].SaveToBytes(), PaletteBmp());
    }

  // A bitmap whose canvas or surface is held by someone is copied, in both directions.
  TBitmap drawn, lent, copies[4];
  drawn.LoadFromBytes(PaletteBmp());
  lent.LoadFromBytes(PaletteBmp());
  TCanvas* canvas = drawn.Canvas();
  TImageSurface& surface = lent.Surface();
  copies[0].Assign(&drawn);
  copies[1].Assign(&lent);
  copies[2].Canvas();
  copies[2].Assign(&drawn);
  copies[3].Surface();
  copies[3].Assign(&lent);
  canvas->SetPixels(0, 0, clLime);
  surface.SetPixel(0, 0, clLime, TGc());
  EXPECT_EQ(drawn.Pixel(0, 0), clLime);
  EXPECT_EQ(lent.Pixel(0, 0), clLime);
  for (TBitmap& copy : copies)
    EXPECT_EQ(copy.Pixel(0, 0), clRed);

  // And a bitmap whose canvas is held takes a copy of a plain one: its canvas draws on it.
  TBitmap plain, target;
  plain.LoadFromBytes(PaletteBmp());
  TCanvas* targetCanvas = target.Canvas();
  target.Assign(&plain);
  targetCanvas->SetPixels(0, 0, clLime);
  EXPECT_EQ(target.Pixel(0, 0), clLime);
  EXPECT_EQ(plain.Pixel(0, 0), clRed);
}

TEST(Bitmap, MalformedFilesAreRefused)
{
  std::string good = PaletteBmp();
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"empty", ""},
      {"not a bitmap", "GIF89a" + good.substr(6)},
      {"truncated pixels", good.substr(0, good.size() - 3)},
      {"truncated header", good.substr(0, 20)},
      {"huge", good.substr(0, 18) + Bytes({0, 0, 1, 0}) + good.substr(22)},
      {"zero width", good.substr(0, 18) + Bytes({0, 0, 0, 0}) + good.substr(22)},
      // 8000 x 8000 is within the limits, but its 64 MB of rows are not in the file.
      {"rows missing",
       good.substr(0, 18) + Bytes({0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0}) + good.substr(26)},
      {"bad depth", good.substr(0, 28) + Bytes({7, 0}) + good.substr(30)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TBitmap b;
    try {
      b.LoadFromBytes(c.Bytes);
      FAIL();
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "Bitmap image is not valid");
    }
  }
}

TEST(Bitmap, ReadsRle8)
{
  // 4x2 RLE8: bottom row "1 1 1 0", top row absolute "0 1 0 1".
  std::string s = PaletteBmp().substr(0, 62);
  s[30] = 1; // compression RLE8
  s += Bytes({3, 1, 1, 0, 0, 0, 0, 4, 0, 1, 0, 1, 0, 1});
  TBitmap b;
  b.LoadFromBytes(s);
  EXPECT_EQ(b.Pixel(0, 1), clRed);
  EXPECT_EQ(b.Pixel(3, 1), clBlue);
  EXPECT_EQ(b.Pixel(0, 0), clBlue);
  EXPECT_EQ(b.Pixel(3, 0), clRed);
}

TEST(Bitmap, ReadsBitFieldsAndTopDownRows)
{
  // 2x2, 16 bits with 5-6-5 masks, top-down: red, green / blue, white.
  std::string s =
      Bytes({'B', 'M', 74,   0,    0, 0, 0,    0,    0,    0,    66,   0,    0,    0,    40,
             0,   0,   0,    2,    0, 0, 0,    0xFE, 0xFF, 0xFF, 0xFF, 1,    0,    16,   0,
             3,   0,   0,    0,    8, 0, 0,    0,    0,    0,    0,    0,    0,    0,    0,
             0,   0,   0,    0,    0, 0, 0,    0,    0,    0x00, 0xF8, 0,    0,    0xE0, 0x07,
             0,   0,   0x1F, 0x00, 0, 0, 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF});
  TBitmap b;
  b.LoadFromBytes(s);
  EXPECT_FALSE(b.Modified());
  EXPECT_EQ(b.PixelFormat(), pf16bit);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.Pixel(1, 0), clLime);
  EXPECT_EQ(b.Pixel(0, 1), clBlue);
  EXPECT_EQ(b.Pixel(1, 1), clWhite);
  EXPECT_EQ(b.SaveToBytes(), s);
}

TEST(Bitmap, DrawsTransparentAndStretched)
{
  auto b = std::make_unique<TBitmap>(2, 2);
  b->Canvas()->Brush()->SetColor(clFuchsia);
  b->Canvas()->FillRect(Rect(0, 0, 2, 2));
  b->Canvas()->SetPixels(0, 0, clBlue);
  b->SetTransparent(true); // the bottom-left pixel names the transparent colour
  TImageSurface target(8, 8, clWhite);
  TCanvas c(&target);
  c.StretchDraw(Rect(0, 0, 8, 8), b.get());
  EXPECT_EQ(target.GetPixel(0, 0), clBlue);
  EXPECT_EQ(target.GetPixel(3, 3), clBlue);
  EXPECT_EQ(target.GetPixel(4, 4), clWhite);
  EXPECT_EQ(target.GetPixel(7, 0), clWhite);
}

TEST(Jpeg, RoundTripAtAQuality)
{
  auto b = std::make_unique<TBitmap>(32, 16);
  b->Canvas()->Brush()->SetColor(RGB(200, 30, 30));
  b->Canvas()->FillRect(Rect(0, 0, 16, 16));
  b->Canvas()->Brush()->SetColor(RGB(20, 40, 220));
  b->Canvas()->FillRect(Rect(16, 0, 32, 16));
  TJPEGImage jpeg;
  jpeg.Assign(b.get());
  jpeg.SetCompressionQuality(95);
  jpeg.Compress();
  std::string bytes = jpeg.Data();
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF");

  TJPEGImage back;
  back.LoadFromBytes(bytes);
  EXPECT_EQ(back.Width(), 32);
  EXPECT_EQ(back.Height(), 16);
  TColor left = back.Bitmap()->Pixel(4, 8), right = back.Bitmap()->Pixel(28, 8);
  EXPECT_NEAR(GetRValue(left), 200, 8);
  EXPECT_NEAR(GetBValue(left), 30, 8);
  EXPECT_NEAR(GetBValue(right), 220, 8);

  // A lower quality makes a smaller file; greyscale drops the colour.
  jpeg.SetCompressionQuality(20);
  jpeg.Compress();
  EXPECT_LT(jpeg.Data().size(), bytes.size());
  jpeg.SetGrayscale(true);
  jpeg.Compress();
  TJPEGImage gray;
  gray.LoadFromBytes(jpeg.Data());
  TColor g = gray.Bitmap()->Pixel(4, 8);
  EXPECT_EQ(GetRValue(g), GetBValue(g));
}

TEST(Jpeg, TruncatedFileRaisesTheDecodersMessage)
{
  auto b = std::make_unique<TBitmap>(64, 64);
  b->Canvas()->Ellipse(0, 0, 64, 64);
  TJPEGImage jpeg;
  jpeg.Assign(b.get());
  std::string bytes = jpeg.Data();
  TJPEGImage cut;
  try {
    cut.LoadFromBytes(bytes.substr(0, bytes.size() / 2));
    FAIL();
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.Message(), "Premature end of JPEG file");
  }
  try {
    cut.LoadFromBytes(bytes.substr(0, 40));
    FAIL();
  } catch (const EJPEG& e) {
    EXPECT_FALSE(e.Message().empty());
  }
}

TEST(Picture, ChoosesTheDecoderFromTheSignature)
{
  auto b = Sample();
  std::string bmp = b->SaveToBytes();
  TJPEGImage jpegImage;
  jpegImage.Assign(b.get());
  std::string jpeg = jpegImage.Data();
  TImageSurface pngSource(3, 2, clRed);
  AnsiString pngFile = PrivateTempDir() + "graphics-picture-test.png";
  ASSERT_TRUE(pngSource.WritePng(pngFile));
  TMemoryStream pngStream;
  pngStream.LoadFromFile(pngFile);
  std::string png = StreamBytes(pngStream);
  std::remove(pngFile.c_str());

  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Kind;
    Integer Width;
  } cases[] = {
      {"bmp", bmp, "bmp", 5},
      {"jpeg", jpeg, "jpeg", 5},
      {"png", png, "png", 3},
      {"prefixed bmp", Bytes({1, 0, 0, 1}) + Bytes({static_cast<int>(bmp.size()), 0, 0, 0}) + bmp,
       "bmp", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    TReadOnlyMemoryStream in(c.Bytes);
    picture.LoadFromStream(&in);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picture.Width(), c.Width);
    AnsiString kind = dynamic_cast<TBitmap*>(picture.Graphic())      ? "bmp"
                      : dynamic_cast<TJPEGImage*>(picture.Graphic()) ? "jpeg"
                      : dynamic_cast<TPngImage*>(picture.Graphic())  ? "png"
                                                                     : "?";
    EXPECT_EQ(kind, c.Kind);
  }
  // An EMF is recognised by " EMF" at byte 40 and kept byte for byte.
  std::string emf(48, '\0');
  emf[0] = 1;
  emf.replace(40, 4, " EMF");
  TPicture meta;
  TReadOnlyMemoryStream emfIn(emf);
  meta.LoadFromStream(&emfIn);
  EXPECT_EQ(meta.Graphic()->ClassName(), "TMetafile");
  TMemoryStream emfOut;
  meta.SaveToStream(&emfOut);
  EXPECT_EQ(StreamBytes(emfOut), emf);

  TPicture png2;
  TReadOnlyMemoryStream pngIn(png);
  png2.LoadFromStream(&pngIn);
  EXPECT_EQ(static_cast<TPngImage*>(png2.Graphic())->Bitmap()->Pixel(1, 1), clRed);
  TPicture copy;
  copy.Assign(&png2); // copies of every kind keep their class and bytes
  TMemoryStream copyOut;
  copy.SaveToStream(&copyOut);
  EXPECT_EQ(StreamBytes(copyOut), png);
}

TEST(Picture, UnknownAndTruncatedFilesGiveClearErrors)
{
  TPicture picture;
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Message;
  } cases[] = {
      {"WebP", std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), "Unknown picture format"},
      {"cut GIF", std::string("GIF89a\x01\x00\x01\x00", 10), "GIF image is not valid"},
      {"cut icon", std::string("\0\0\1\0\1\0", 6), "Icon image is not valid"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TReadOnlyMemoryStream in(c.Bytes);
    try {
      picture.LoadFromStream(&in);
      FAIL();
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
  auto b = Sample();
  TJPEGImage jpegImage;
  jpegImage.Assign(b.get());
  std::string jpeg = jpegImage.Data();
  TReadOnlyMemoryStream cut(jpeg.substr(0, jpeg.size() - 20));
  EXPECT_THROW(picture.LoadFromStream(&cut), EJPEG);
  EXPECT_TRUE(picture.Empty());
  TReadOnlyMemoryStream cutPng(std::string("\x89PNG\r\n\x1A\n\0\0", 10));
  EXPECT_THROW(picture.LoadFromStream(&cutPng), EInvalidGraphic);
}

TEST(Picture, StoredDataRoundTripsAndTrustsTheBytesOverTheName)
{
  TPicture picture;
  picture.SetGraphic(Sample().get());
  TMemoryStream data;
  picture.WriteData(&data);
  std::string bytes = StreamBytes(data);
  EXPECT_EQ(bytes.substr(0, 8), "\x07TBitmap");
  TPicture back;
  data.SetPosition(0);
  back.ReadData(&data);
  ASSERT_NE(dynamic_cast<TBitmap*>(back.Graphic()), nullptr);
  EXPECT_EQ(back.Bitmap()->Pixel(4, 2), Sample()->Pixel(4, 2));

  // A JPEG stored under the bitmap's name is still read as a JPEG.
  TJPEGImage jpeg;
  jpeg.Assign(Sample().get());
  std::string image = jpeg.Data();
  std::string mislabelled = "\x07TBitmap";
  std::int32_t size = static_cast<std::int32_t>(image.size());
  mislabelled.append(reinterpret_cast<const char*>(&size), 4);
  mislabelled += image;
  TReadOnlyMemoryStream in(mislabelled);
  back.ReadData(&in);
  EXPECT_EQ(back.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(back.Width(), 5);

  // An empty picture stores only an empty class name.
  TPicture empty;
  TMemoryStream none;
  empty.WriteData(&none);
  EXPECT_EQ(StreamBytes(none), std::string(1, '\0'));

  // A size beyond the stream is refused.
  std::string bad = "\x07TBitmap" + Bytes({0x10, 0, 0, 0x10}) + "BM";
  TReadOnlyMemoryStream badIn(bad);
  EXPECT_THROW(back.ReadData(&badIn), EInvalidGraphic);
}

TEST(Picture, FiltersAndExtensions)
{
  TBitmap bmp;
  TJPEGImage jpeg;
  EXPECT_EQ(GraphicFilter(bmp.ClassType()), "Bitmaps (*.bmp)|*.bmp");
  EXPECT_EQ(GraphicExtension(jpeg.ClassType()), "jpg");
  EXPECT_EQ(GraphicFilter(bmp.ClassParent()),
            "All (*.bmp;*.ico;*.emf;*.wmf;*.jpg;*.jpeg;*.png;*.gif)|"
            "*.bmp;*.ico;*.emf;*.wmf;*.jpg;*.jpeg;*.png;*.gif|"
            "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Metafiles (*.emf;*.wmf)|*.emf;*.wmf|"
            "JPEG Image File (*.jpg;*.jpeg)|*.jpg;*.jpeg|Portable Network Graphics (*.png)|*.png|"
            "GIF Image (*.gif)|*.gif");
  EXPECT_EQ(GraphicExtension(TIcon().ClassType()), "ico");
  EXPECT_EQ(GraphicExtension(TGIFImage().ClassType()), "gif");
}

TEST(Bitmap, BrushCopyShowsTheBrushForOneColour)
{
  TBitmap b(2, 1);
  b.Canvas()->SetPixels(0, 0, clRed);
  b.Canvas()->SetPixels(1, 0, clFuchsia);
  TImageSurface target(4, 1, clWhite);
  TCanvas c(&target);
  c.Brush()->SetColor(clYellow);
  c.BrushCopy(Rect(0, 0, 4, 1), &b, Rect(0, 0, 2, 1), clFuchsia);
  EXPECT_EQ(target.GetPixel(1, 0), clRed);
  EXPECT_EQ(target.GetPixel(2, 0), clYellow);
  EXPECT_EQ(target.GetPixel(3, 0), clYellow);
}

TEST(PngImage, WritesPicturesMadeHereAndKeepsTheBytesOfUnchangedOnes)
{
  auto source = Sample(pf32bit);
  TPngImage png;
  png.Assign(source.get());
  EXPECT_EQ(png.Width(), 5);
  std::string encoded = png.SaveToBytes();
  ASSERT_EQ(encoded.compare(0, 8, "\x89PNG\r\n\x1A\n"), 0);

  TPngImage back;
  back.LoadFromBytes(encoded);
  ASSERT_EQ(back.Width(), 5);
  ASSERT_EQ(back.Height(), 3);
  TMemoryStream saved;
  back.SaveToStream(&saved);
  EXPECT_EQ(StreamBytes(saved), encoded); // unchanged: the same bytes
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 5; ++x)
      EXPECT_EQ(back.Bitmap()->Pixel(x, y), source->Pixel(x, y)) << x << "," << y;

  back.Bitmap()->Canvas()->SetPixels(0, 0, clLime);
  TPngImage changed;
  changed.LoadFromBytes(back.SaveToBytes());
  EXPECT_EQ(changed.Bitmap()->Pixel(0, 0), clLime);

  // Through a picture and its stored form.
  TPicture picture;
  picture.SetGraphic(&png);
  TMemoryStream data;
  picture.WriteData(&data);
  data.SetPosition(0);
  TPicture read;
  read.ReadData(&data);
  ASSERT_NE(dynamic_cast<TPngImage*>(read.Graphic()), nullptr);
  EXPECT_EQ(static_cast<TPngImage*>(read.Graphic())->Bitmap()->Pixel(4, 2), source->Pixel(4, 2));

  TPngImage empty;
  EXPECT_THROW(empty.SaveToBytes(), EInvalidGraphicOperation);

  // A header claiming 16000 x 4000 pixels in a file of a few bytes is refused before any
  // allocation, and the picture keeps what it had.
  std::string hostile = encoded;
  const unsigned char size[] = {0, 0, 0x3E, 0x80, 0, 0, 0x0F, 0xA0};
  hostile.replace(16, 8, reinterpret_cast<const char*>(size), 8);
  std::uint32_t crc = 0xFFFFFFFFu; // over the chunk type and data, bytes 12..28
  for (size_t i = 12; i < 29; ++i) {
    crc ^= static_cast<unsigned char>(hostile[i]);
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc = ~crc;
  for (int i = 0; i < 4; ++i)
    hostile[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  try {
    back.LoadFromBytes(hostile);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "PNG image too large");
  }
  EXPECT_EQ(back.Width(), 5);
}

TEST(Bitmap, BuiltInBitmapsLoadByName)
{
  struct Case {
    const char* Name;
    Integer Width, Height;
  } cases[] = {{"frxBUTTONS", 16 * 2 * 96, 16},
               {"frxOBJECTS", 22 * 40, 22},
               {"frxEMPTY", 16, 16},
               {"frxBAND", 16, 12},
               {"FRXTRUETYPE_FNT", 16, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TBitmap b;
    b.LoadFromResourceName(0, c.Name);
    EXPECT_EQ(b.Width(), c.Width);
    EXPECT_EQ(b.Height(), c.Height);
    EXPECT_EQ(b.Pixel(0, c.Height - 1), clFuchsia); // the transparent colour of the strips
  }
  // Every button tile differs from the others, so the lists show distinct glyphs.
  TBitmap strip;
  strip.LoadFromResourceName(0, "frxbuttons"); // names ignore case
  std::set<std::string> tiles;
  for (Integer t = 0; t < 2 * 96; t += 2) {
    std::string tile;
    for (Integer y = 0; y < 16; ++y)
      for (Integer x = 0; x < 16; ++x)
        tile += std::to_string(strip.Pixel(16 * t + x, y)) + ",";
    tiles.insert(tile);
  }
  EXPECT_EQ(tiles.size(), 96u);

  TBitmap none;
  try {
    none.LoadFromResourceName(0, "frxNOSUCH");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource frxNOSUCH not found");
  }
}

// Untrusted bytes: every cut and a run of damaged bytes in each format either decode or give
// EInvalidGraphic; nothing crashes, hangs or raises anything else.
TEST(Picture, DamagedFilesOfEveryFormatAreRefusedCleanly)
{
  auto source = Sample(pf24bit);
  source->SetSize(24, 16);
  std::vector<std::pair<const char*, std::string>> files;
  files.emplace_back("bmp", source->SaveToBytes());
  TJPEGImage jpeg;
  jpeg.Assign(source.get());
  jpeg.Compress();
  files.emplace_back("jpeg", jpeg.Data());
  TPngImage png;
  png.Assign(source.get());
  files.emplace_back("png", png.SaveToBytes());
  for (const char* name : {"icon-three-sizes.ico", "icon-png.ico", "gif-stripes-40x30.gif",
                           "gif-interlaced-transparent.gif"}) {
    std::ifstream in(std::string(QH_FIXTURES) + "/pictures/" + name, std::ios::binary);
    files.emplace_back(name, std::string(std::istreambuf_iterator<char>(in), {}));
  }
  std::uint32_t seed = 12345;
  auto next = [&seed]() { return seed = seed * 134775813u + 1u; };
  for (const auto& [name, good] : files) {
    SCOPED_TRACE(name);
    std::vector<std::string> damaged;
    for (size_t n = 0; n < good.size(); n += 3)
      damaged.push_back(good.substr(0, n));
    for (int k = 0; k < 300; ++k) {
      std::string bytes = good;
      for (int flips = 0; flips < 3; ++flips)
        bytes[next() % bytes.size()] = static_cast<char>(next() >> 24);
      damaged.push_back(bytes);
    }
    Integer refused = 0;
    for (const std::string& bytes : damaged) {
      TPicture picture;
      TReadOnlyMemoryStream in(bytes);
      try {
        picture.LoadFromStream(&in);
        EXPECT_LE(picture.Width(), 16384);
      } catch (const EInvalidGraphic&) {
        ++refused;
      }
    }
    EXPECT_GT(refused, 0);
  }
}

// The per-byte caps leave ordinary pictures alone: a plain colour compresses best, and an
// encoder's output of a large plain picture still reads.
TEST(Picture, PerByteCapsLeaveOrdinaryLargePicturesReadable)
{
  TBitmap plain(1600, 1200);
  plain.Canvas()->Brush()->SetColor(clWhite);
  plain.Canvas()->FillRect(Rect(0, 0, 1600, 1200));
  TJPEGImage jpeg;
  jpeg.Assign(&plain);
  jpeg.SetCompressionQuality(75);
  jpeg.Compress();
  TJPEGImage back;
  back.LoadFromBytes(jpeg.Data());
  EXPECT_EQ(back.Width(), 1600);
  EXPECT_EQ(back.Height(), 1200);

  // RLE8, 4000 x 100 of palette entry 1 in runs of 255 and one run of the rest per row: the
  // densest coding a writer produces (about 127 pixels per byte).
  std::string s;
  auto u16 = [&](unsigned v) { s += char(v & 0xFF), s += char(v >> 8); };
  auto u32 = [&](unsigned v) { u16(v & 0xFFFF), u16(v >> 16); };
  std::string rows;
  for (int y = 0; y < 100; ++y) {
    for (int left = 4000; left > 0; left -= 255)
      rows += char(std::min(left, 255)), rows += char(1);
    rows += std::string("\0\0", 2);
  }
  rows += std::string("\0\1", 2);
  s += "BM";
  u32(14 + 40 + 8 + static_cast<unsigned>(rows.size()));
  u32(0);
  u32(14 + 40 + 8);
  u32(40), u32(4000), u32(100), u16(1), u16(8), u32(1), u32(static_cast<unsigned>(rows.size()));
  u32(0), u32(0), u32(2), u32(0);
  u32(0x000000), u32(0xFF0000); // black, red (B G R 0)
  s += rows;
  TBitmap rle;
  rle.LoadFromBytes(s);
  EXPECT_EQ(rle.Width(), 4000);
  EXPECT_EQ(rle.Pixel(3999, 99), clRed);
}
