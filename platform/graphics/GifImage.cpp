// TGIFImage: the first image of a GIF file, decoded by our own LZW reader over the shared
// bounded byte cursor (PicturesPrivate.h), drawn with its coverage. See Pictures.h.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/PicturesPrivate.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterGifImageClass()
{
  TClassRegistration<TGIFImage, TGraphic>("TGIFImage");
}

namespace {

using namespace pictures;

constexpr const char* SInvalidGif = "GIF image is not valid";

// LZW codes of 12 bits at most turn one byte into at most about 1400 pixels; the screen may
// be larger than its image, but a file claiming over 4096 pixels per byte is refused before
// anything is allocated for it.
constexpr Int64 kMaxPixelsPerByte = 4096;
constexpr Integer kMaxCodes = 4096;

// GIF file layout (little-endian):
//   offset size  field
//   0      6     "GIF87a" or "GIF89a"
//   6      2     screen width
//   8      2     screen height
//   10     1     flags: 0x80 a global colour table follows, 0x07 its size (2^(n+1) entries)
//   11     1     background colour index
//   12     1     pixel aspect ratio
//   13     3n    the global colour table: R G B per entry
//   then blocks, up to the trailer 0x3B:
//     0x21 label sub-blocks        an extension; label 0xF9 (graphic control) holds one
//                                  sub-block of 4: flags (0x01: the transparent index is
//                                  given), u16 delay, transparent index
//     0x2C descriptor              an image: u16 left, top, width, height; flags (0x80 a
//                                  local colour table follows, 0x40 interlaced, 0x07 its
//                                  size); the table; the LZW minimum code size (1..8);
//                                  sub-blocks of LZW codes
//   sub-blocks: a length byte (0 ends them) and that many bytes.
struct TGifImageInfo {
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  bool Interlaced = false;
  std::vector<std::uint32_t> Palette; // 0xFFRRGGBB
  Integer Transparent = -1;
  Integer MinCodeSize = 0;
  std::string Codes; // the sub-blocks' bytes joined
};

std::vector<std::uint32_t> ReadColorTable(const TBytes& b, size_t& at, Byte flags)
{
  std::vector<std::uint32_t> table;
  if (!(flags & 0x80))
    return table;
  size_t count = size_t(2) << (flags & 0x07);
  const unsigned char* p = b.At(at, 3 * count);
  for (size_t i = 0; i < count; ++i)
    table.push_back(Rgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]));
  at += 3 * count;
  return table;
}

// Joins the sub-blocks from at (a length byte, 0 ends them) into out; at moves past them.
void ReadSubBlocks(const TBytes& b, size_t& at, std::string* out)
{
  while (true) {
    Byte n = b.U8(at++);
    if (n == 0)
      return;
    const unsigned char* p = b.At(at, n);
    if (out)
      out->append(reinterpret_cast<const char*>(p), n);
    at += n;
  }
}

// Walks the blocks to the first image, taking the graphic control extension before it.
TGifImageInfo ReadFirstImage(const TBytes& b, size_t at, const std::vector<std::uint32_t>& global)
{
  TGifImageInfo info;
  while (true) {
    Byte kind = b.U8(at++);
    if (kind == 0x21) {
      Byte label = b.U8(at++);
      if (label == 0xF9 && b.U8(at) == 4) {
        const unsigned char* p = b.At(at + 1, 4);
        info.Transparent = (p[0] & 0x01) ? p[3] : -1;
      }
      ReadSubBlocks(b, at, nullptr);
    } else if (kind == 0x2C) {
      info.Left = b.U16(at);
      info.Top = b.U16(at + 2);
      info.Width = b.U16(at + 4);
      info.Height = b.U16(at + 6);
      Byte flags = b.U8(at + 8);
      at += 9;
      info.Interlaced = flags & 0x40;
      info.Palette = ReadColorTable(b, at, flags);
      if (info.Palette.empty())
        info.Palette = global;
      info.MinCodeSize = b.U8(at++);
      if (info.MinCodeSize < 1 || info.MinCodeSize > 8)
        b.Fail();
      ReadSubBlocks(b, at, &info.Codes);
      return info;
    } else {
      b.Fail(); // the trailer or anything else before an image: no picture
    }
  }
}

// The rows of an interlaced image in the order they are stored: every 8th from 0, every
// 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<Integer> RowOrder(Integer height, bool interlaced)
{
  std::vector<Integer> rows;
  if (!interlaced) {
    for (Integer y = 0; y < height; ++y)
      rows.push_back(y);
    return rows;
  }
  const Integer starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (Integer y = starts[pass]; y < height; y += steps[pass])
      rows.push_back(y);
  return rows;
}

// Decodes the LZW codes into palette indexes, calling put for each pixel in stored order
// until the image is full or the codes end. A code the table does not hold yet (other
// than the next one) is a fault.
template <typename TPut>
void DecodeLzw(const TBytes& b, const TGifImageInfo& info, Int64 pixels, TPut put)
{
  const Integer clear = 1 << info.MinCodeSize, end = clear + 1;
  std::vector<std::uint16_t> prefix(kMaxCodes);
  std::vector<Byte> suffix(kMaxCodes), stack(kMaxCodes + 1);
  for (Integer i = 0; i < clear; ++i)
    suffix[i] = static_cast<Byte>(i);
  Integer codeSize = info.MinCodeSize + 1, next = clear + 2, previous = -1;
  Byte first = 0;
  size_t bit = 0, totalBits = info.Codes.size() * 8;
  const auto* data = reinterpret_cast<const unsigned char*>(info.Codes.data());
  Int64 written = 0;
  while (written < pixels && bit + codeSize <= totalBits) {
    Integer code = 0;
    for (Integer k = 0; k < codeSize; ++k, ++bit)
      code |= ((data[bit / 8] >> (bit % 8)) & 1) << k;
    if (code == clear) {
      codeSize = info.MinCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end)
      return;
    Integer top = 0, c = code;
    if (previous < 0) {
      if (code >= clear)
        b.Fail();
      first = static_cast<Byte>(code);
      put(first);
      ++written;
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes))
      b.Fail();
    if (code == next) { // the string about to be added: the previous one and its first byte
      stack[top++] = first;
      c = previous;
    }
    while (c >= clear) { // prefix chains always end in a literal: entries only point back
      stack[top++] = suffix[c];
      c = prefix[c];
    }
    stack[top++] = static_cast<Byte>(c);
    first = static_cast<Byte>(c);
    while (top > 0 && written < pixels) {
      put(stack[--top]);
      ++written;
    }
    if (next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = first;
      ++next;
      if (next == (1 << codeSize) && codeSize < 12)
        ++codeSize;
    }
    previous = code;
  }
}

} // namespace

TGIFImage::TGIFImage() = default;
TGIFImage::~TGIFImage() = default;

Integer TGIFImage::Width() const
{
  return FImage ? FImage->Width() : 0;
}

Integer TGIFImage::Height() const
{
  return FImage ? FImage->Height() : 0;
}

TColor TGIFImage::Pixel(Integer x, Integer y) const
{
  if (!FImage || x < 0 || y < 0 || x >= Width() || y >= Height())
    return 0;
  return FImage->Pixel(x, y);
}

Byte TGIFImage::Coverage(Integer x, Integer y) const
{
  if (!FImage || x < 0 || y < 0 || x >= Width() || y >= Height())
    return 0;
  return FCoverage[static_cast<size_t>(y) * Width() + x];
}

void TGIFImage::LoadFromBytes(const std::string& bytes)
{
  TBytes b(bytes, SInvalidGif);
  if (b.Size() < 13 ||
      (std::memcmp(b.At(0, 6), "GIF87a", 6) != 0 && std::memcmp(b.At(0, 6), "GIF89a", 6) != 0))
    b.Fail();
  Integer width = b.U16(6), height = b.U16(8);
  Int64 screen = Int64(width) * height;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || screen > kMaxPixels ||
      screen > std::max<Int64>(kAlwaysAllowed, Int64(b.Size()) * kMaxPixelsPerByte))
    b.Fail();
  size_t at = 13;
  std::vector<std::uint32_t> global = ReadColorTable(b, at, b.U8(10));
  TGifImageInfo info = ReadFirstImage(b, at, global);

  std::unique_ptr<TImageSurface> image;
  std::vector<Byte> coverage;
  try {
    image = std::make_unique<TImageSurface>(width, height, 0);
    coverage.assign(static_cast<size_t>(screen), 0);
  } catch (const std::bad_alloc&) {
    b.Fail();
  }
  // Pixels in stored order; those outside the screen are decoded and dropped.
  std::vector<Integer> rows = RowOrder(info.Height, info.Interlaced);
  std::uint32_t* bits = image->Bits();
  Int64 index = 0;
  DecodeLzw(b, info, Int64(info.Width) * info.Height, [&](Byte colour) {
    Integer x = info.Left + static_cast<Integer>(index % info.Width);
    Integer y = info.Top + rows[static_cast<size_t>(index / info.Width)];
    ++index;
    if (x >= width || y >= height || colour == info.Transparent)
      return;
    size_t at = static_cast<size_t>(y) * width + x;
    bits[at] = colour < info.Palette.size() ? info.Palette[colour] : Rgb(0, 0, 0);
    coverage[at] = 255;
  });
  FImage = std::move(image);
  FCoverage = std::move(coverage);
  FData = bytes;
  SetTransparent(std::find(FCoverage.begin(), FCoverage.end(), 0) != FCoverage.end());
  Changed();
  SetModified(false);
}

void TGIFImage::LoadFromStream(TStream* stream)
{
  Int64 n = stream->Size() - stream->Position();
  if (n > 0x7FFFFFFF)
    throw EInvalidGraphic(SInvalidGif);
  std::string bytes(static_cast<size_t>(std::max<Int64>(0, n)), '\0');
  if (n > 0)
    stream->ReadBuffer(bytes.data(), static_cast<Integer>(n));
  LoadFromBytes(bytes);
}

void TGIFImage::SaveToStream(TStream* stream)
{
  if (!FData.empty())
    stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

void TGIFImage::Draw(TCanvas* canvas, const TRect& rect)
{
  if (FImage)
    DrawCoveredImage(canvas, rect, *FImage, FCoverage);
}

void TGIFImage::Assign(TPersistent* Source)
{
  auto* gif = dynamic_cast<TGIFImage*>(Source);
  if (!gif) {
    TGraphic::Assign(Source);
    return;
  }
  if (gif == this)
    return;
  FData = gif->FData;
  FCoverage = gif->FCoverage;
  FImage.reset();
  if (gif->FImage) {
    FImage = std::make_unique<TImageSurface>(gif->Width(), gif->Height(), 0);
    std::copy_n(gif->FImage->Bits(), static_cast<size_t>(Width()) * Height(), FImage->Bits());
  }
  SetTransparent(gif->Transparent());
  Changed();
}
