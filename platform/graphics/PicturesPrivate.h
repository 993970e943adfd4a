// Shared by the picture readers of the graphics library (Pictures.cpp, IconImage.cpp,
// GifImage.cpp, PngImage.cpp); not part of its interface. Pictures.h holds the classes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Pictures.h"

// Limits for pictures read from untrusted bytes.
namespace pictures {

constexpr Integer kMaxSide = 16384;
constexpr Int64 kMaxPixels = 64 * 1024 * 1024; // 256 MB at 4 bytes per pixel
// Pictures up to this many pixels pass the per-byte caps of the compressed formats,
// whatever their size.
constexpr Int64 kAlwaysAllowed = 64 * 1024;

// A bounded cursor over a file's bytes: little-endian fields read at absolute offsets, every
// read checked against the size. Any read past the end raises EInvalidGraphic with the
// reader's one message.
class TBytes {
public:
  TBytes(const std::string& data, const char* error)
      : FData(reinterpret_cast<const unsigned char*>(data.data())), FSize(data.size()),
        FError(error)
  {
  }
  size_t Size() const { return FSize; }
  bool Has(size_t at, size_t count) const { return at <= FSize && count <= FSize - at; }
  const unsigned char* At(size_t at, size_t count) const
  {
    if (!Has(at, count))
      Fail();
    return FData + at;
  }
  Byte U8(size_t at) const { return *At(at, 1); }
  std::uint16_t U16(size_t at) const
  {
    const unsigned char* p = At(at, 2);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  std::uint32_t U32(size_t at) const
  {
    const unsigned char* p = At(at, 4);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
  }
  std::int32_t I32(size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  [[noreturn]] void Fail() const { throw EInvalidGraphic(FError); }

private:
  const unsigned char* FData;
  size_t FSize;
  const char* FError;
};

// 0xFFRRGGBB, the pixel layout of image surfaces.
inline std::uint32_t Rgb(unsigned r, unsigned g, unsigned b)
{
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// A device-independent bitmap (the BMP format without its file header) read from bytes.
// Where it sits: in a BMP file after the 14-byte file header, with the pixels at the offset
// the file header gives; in an icon file at its entry's offset, with the pixels right after
// the palette and an AND mask after them (the header's height counts both).
enum TDibPlace { dpBmpFile, dpIcon };

struct TDib {
  Integer Width = 0;
  Integer Height = 0;    // of the picture (an icon's without its mask)
  Integer Bits = 0;      // 1, 4, 8, 16, 24 or 32
  bool HasAlpha = false; // 32 bits per pixel with any alpha other than 0
  TPixelFormat Format = pfDevice;
  std::vector<std::uint32_t> Pixels; // 0xAARRGGBB, top row first; alpha 0xFF unless HasAlpha
};

// Reads the DIB at headerAt (its pixels at pixelOffset for dpBmpFile). Raises the cursor's
// error for every fault.
TDib ReadDib(const TBytes& b, size_t headerAt, size_t pixelOffset, TDibPlace place);

// Decodes a PNG file to 0xAARRGGBB pixels, top row first; raises EInvalidGraphic.
void DecodePng(const std::string& bytes, Integer& width, Integer& height,
               std::vector<std::uint32_t>& pixels);

// Draws an image with per-pixel coverage (0 transparent .. 255 opaque) into rect, stretched
// to it (nearest pixel). Partly covered pixels blend with what the canvas shows when its
// surface can be read back; elsewhere (vector surfaces) they count as covered from half on.
void DrawCoveredImage(TCanvas* canvas, const TRect& rect, const TImageSurface& image,
                      const std::vector<Byte>& coverage);

} // namespace pictures
