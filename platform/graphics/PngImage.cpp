// TPngImage over libpng: decodes PNG files into a bitmap (transparent pixels composed on
// white) and keeps the file bytes for saving. See Pictures.h.
#include <cstring>

#include <png.h>

#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"

namespace {

constexpr png_uint_32 kMaxSide = 16384;
constexpr Int64 kMaxPixels = 64 * 1024 * 1024;

} // namespace

TPngImage::TPngImage() = default;
TPngImage::~TPngImage() = default;

Integer TPngImage::Width() const { return FBitmap ? FBitmap->Width() : 0; }
Integer TPngImage::Height() const { return FBitmap ? FBitmap->Height() : 0; }

void TPngImage::LoadFromBytes(const std::string& bytes)
{
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    throw EInvalidGraphic(AnsiString("PNG: ") + image.message);
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide ||
      Int64(image.width) * image.height > kMaxPixels) {
    png_image_free(&image);
    throw EInvalidGraphic("PNG image too large");
  }
  image.format = PNG_FORMAT_BGRA;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    AnsiString message = image.message;
    png_image_free(&image);
    throw EInvalidGraphic("PNG: " + message);
  }
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(static_cast<Integer>(image.width), static_cast<Integer>(image.height));
  std::uint32_t* bits = bitmap->Surface().Bits();
  for (size_t i = 0; i < size_t(image.width) * image.height; ++i) {
    const png_byte* p = &pixels[i * 4];
    unsigned a = p[3];
    auto over = [a](unsigned c) { return (c * a + 255 * (255 - a) + 127) / 255; };
    bits[i] = 0xFF000000u | (over(p[2]) << 16) | (over(p[1]) << 8) | over(p[0]);
  }
  FBitmap = std::move(bitmap);
  FData = bytes;
  Changed();
  SetModified(false);
}

void TPngImage::Draw(TCanvas* canvas, const TRect& rect)
{
  if (FBitmap)
    FBitmap->Draw(canvas, rect);
}

void TPngImage::LoadFromStream(TStream* stream)
{
  Int64 n = stream->Size() - stream->Position();
  std::string bytes(static_cast<size_t>(std::max<Int64>(0, n)), '\0');
  if (n > 0)
    stream->ReadBuffer(bytes.data(), static_cast<Integer>(n));
  LoadFromBytes(bytes);
}

void TPngImage::SaveToStream(TStream* stream)
{
  if (FData.empty())
    throw EInvalidGraphicOperation("Cannot save a PNG image that was not read from a file");
  stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

void TPngImage::Assign(TPersistent* Source)
{
  auto* png = dynamic_cast<TPngImage*>(Source);
  if (!png) {
    TGraphic::Assign(Source);
    return;
  }
  FData = png->FData;
  FBitmap.reset();
  if (png->FBitmap) {
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(png->FBitmap.get());
  }
  Changed();
}
