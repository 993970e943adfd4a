// Pictures that once crashed a reader or made it allocate without bound, kept as files under
// tests/fixtures/fuzz/pictures and replayed here: each raises its exact error.
#include <dirent.h>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"

namespace {

AnsiString FuzzDir()
{
  return AnsiString(QH_FIXTURES) + "/fuzz/pictures";
}

std::string ReadFile(const AnsiString& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<AnsiString> FixtureNames()
{
  std::vector<AnsiString> names;
  if (DIR* dir = opendir(FuzzDir().c_str())) {
    while (dirent* e = readdir(dir))
      if (e->d_name[0] != '.')
        names.push_back(e->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace

TEST(PictureFuzzFixtures, EachRaisesItsErrorBeforeAllocating)
{
  // The exact error of each known file; the reader must refuse it from its header, before
  // allocating the pixels it claims.
  const std::map<AnsiString, AnsiString> expected = {
      // 16384 x 4096 pixels claimed by 144 bytes.
      {"jpeg-16384x4096-bomb.jpg", "JPEG image too large"},
      // 16384 x 4096 RLE8 pixels claimed by 1 KB of end-of-line codes.
      {"bmp-rle8-16384x4096-bomb.bmp", "Bitmap image is not valid"},
      // A height of 0x80000000, which cannot be negated.
      {"bmp-height-min-int.bmp", "Bitmap image is not valid"},
  };
  std::vector<AnsiString> names = FixtureNames();
  for (const auto& [name, message] : expected)
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name << " is missing";
  for (const AnsiString& name : names) {
    SCOPED_TRACE(name);
    std::string bytes = ReadFile(FuzzDir() + "/" + name);
    TPicture picture;
    TReadOnlyMemoryStream in(bytes);
    auto known = expected.find(name);
    try {
      picture.LoadFromStream(&in);
      // A file found later may be readable after its fix; it must then be sane.
      if (known != expected.end()) {
        ADD_FAILURE() << "loaded instead of raising " << known->second;
      }
      EXPECT_LE(Int64(picture.Width()) * picture.Height(), Int64(64) * 1024 * 1024);
    } catch (const EInvalidGraphic& e) {
      if (known != expected.end()) {
        EXPECT_EQ(e.Message(), known->second);
      }
    }
  }
}

// The per-byte caps leave ordinary pictures alone: a plain colour compresses best, and an
// encoder's output of a large plain picture still reads.
TEST(PictureFuzzFixtures, PlainLargePicturesStayReadable)
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
