// TPngImage over libpng: decodes PNG files into a bitmap (transparent pixels composed on
// white), keeps the file bytes for saving an unchanged picture and encodes the bitmap
// (8-bit RGB) otherwise. See Pictures.h.
#include <cstring>
#include <new>
#include <utility>

#include <png.h>

#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/PicturesPrivate.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterPngImageClass()
{
  TClassRegistration<TPngImage, TGraphic>("TPngImage");
}

namespace {

using namespace pictures;

// Deflate expands a byte to at most about 1032 bytes and a byte holds up to 8 pixels: a
// file claiming more pixels than that cannot hold them, whatever its header says.
constexpr Int64 kMaxInflation = 1032 * 8;

} // namespace

TPngImage::TPngImage() = default;
TPngImage::~TPngImage() = default;

Integer TPngImage::Width() const
{
  return FBitmap ? FBitmap->Width() : 0;
}
Integer TPngImage::Height() const
{
  return FBitmap ? FBitmap->Height() : 0;
}

namespace pictures {

void DecodePng(const std::string& bytes, Integer& width, Integer& height,
               std::vector<std::uint32_t>& pixels)
{
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    throw EInvalidGraphic(AnsiString("PNG: ") + image.message);
  if (image.width == 0 || image.height == 0 || Int64(image.width) > kMaxSide ||
      Int64(image.height) > kMaxSide || Int64(image.width) * image.height > kMaxPixels ||
      Int64(image.width) * image.height > Int64(bytes.size()) * kMaxInflation) {
    png_image_free(&image);
    throw EInvalidGraphic("PNG image too large");
  }
  image.format = PNG_FORMAT_BGRA; // little-endian 0xAARRGGBB
  try {
    pixels.assign(size_t(image.width) * image.height, 0);
  } catch (const std::bad_alloc&) {
    // A picture that does not fit in memory is as unreadable as a damaged one.
    png_image_free(&image);
    throw EInvalidGraphic("PNG image too large");
  }
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    AnsiString message = image.message;
    png_image_free(&image);
    throw EInvalidGraphic("PNG: " + message);
  }
  for (std::uint32_t& p : pixels) { // byte order B G R A
    const auto* b = reinterpret_cast<const png_byte*>(&p);
    p = (std::uint32_t(b[3]) << 24) | (b[2] << 16) | (b[1] << 8) | b[0];
  }
  width = static_cast<Integer>(image.width);
  height = static_cast<Integer>(image.height);
}

} // namespace pictures

void TPngImage::LoadFromBytes(const std::string& bytes)
{
  Integer width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  pictures::DecodePng(bytes, width, height, pixels);
  std::unique_ptr<TBitmap> bitmap;
  try {
    bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
  } catch (const std::bad_alloc&) {
    throw EInvalidGraphic("PNG image too large");
  }
  // Transparent pixels are composed on white.
  std::uint32_t* bits = bitmap->Surface().Bits();
  for (size_t i = 0; i < pixels.size(); ++i) {
    std::uint32_t p = pixels[i];
    unsigned a = p >> 24;
    auto over = [a](unsigned c) { return (c * a + 255 * (255 - a) + 127) / 255; };
    bits[i] = 0xFF000000u | (over((p >> 16) & 0xFF) << 16) | (over((p >> 8) & 0xFF) << 8) |
              over(p & 0xFF);
  }
  FBitmap = std::move(bitmap);
  FData = bytes;
  FDataHash = PixelHash();
  Changed();
  SetModified(false);
}

std::string TPngImage::SaveToBytes()
{
  if (!FData.empty() && PixelHash() == FDataHash)
    return FData;
  if (!FBitmap || FBitmap->Empty())
    throw EInvalidGraphicOperation("Cannot save an empty PNG image");
  Integer w = FBitmap->Width(), h = FBitmap->Height();
  std::vector<png_byte> rgb(static_cast<size_t>(w) * h * 3);
  const std::uint32_t* bits = FBitmap->Surface().Bits();
  for (size_t i = 0; i < size_t(w) * h; ++i) {
    rgb[3 * i] = static_cast<png_byte>(bits[i] >> 16);
    rgb[3 * i + 1] = static_cast<png_byte>(bits[i] >> 8);
    rgb[3 * i + 2] = static_cast<png_byte>(bits[i]);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr))
    throw EInvalidGraphic(AnsiString("PNG: ") + image.message);
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr))
    throw EInvalidGraphic(AnsiString("PNG: ") + image.message);
  out.resize(size);
  return out;
}

// FNV-1a over the size and the colour bytes of every pixel.
std::uint64_t TPngImage::PixelHash() const
{
  if (!FBitmap)
    return 0;
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  };
  mix(static_cast<std::uint32_t>(FBitmap->Width()));
  mix(static_cast<std::uint32_t>(FBitmap->Height()));
  const TImageSurface& surface = std::as_const(*FBitmap).Surface();
  const std::uint32_t* bits = surface.Bits();
  for (size_t i = 0; i < size_t(surface.Width()) * surface.Height(); ++i)
    mix(bits[i] & 0xFFFFFF);
  return h;
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
  std::string bytes = SaveToBytes();
  stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TPngImage::Assign(TPersistent* Source)
{
  if (auto* png = dynamic_cast<TPngImage*>(Source)) {
    FData = png->FData;
    FDataHash = png->FDataHash;
    FBitmap.reset();
    if (png->FBitmap) {
      FBitmap = std::make_unique<TBitmap>();
      FBitmap->Assign(png->FBitmap.get());
    }
    Changed();
    if (!png->Modified())
      SetModified(false);
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    // A new picture, encoded when saved.
    FData.clear();
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(graphic);
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}
