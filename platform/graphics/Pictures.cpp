// TGraphic, TBitmap with the BMP file format, and TPicture. JPEG and PNG are in
// JpegImage.cpp and PngImage.cpp. See Pictures.h.
#include "platform/graphics/Pictures.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PicturesPrivate.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterPictureClasses()
{
  RegisterEnumType<TPixelFormat>("TPixelFormat",
                                 {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit",
                                  "pf24bit", "pf32bit", "pfCustom"});
  RegisterEnumType<TTransparentMode>("TTransparentMode", {"tmAuto", "tmFixed"});
  TClassRegistration<TGraphic, TPersistent>("TGraphic");
  TClassRegistration<TBitmap, TGraphic>("TBitmap");
  TClassRegistration<TPicture, TPersistent>("TPicture");
}

namespace {

using namespace pictures;

constexpr const char* SInvalidBitmap = "Bitmap image is not valid";
constexpr const char* SUnknownPictureFormat = "Unknown picture format";

// A run-length code of two bytes paints at most 255 pixels, but the end-of-line, delta and
// end-of-bitmap codes skip any number; a picture whose pixels would mostly be skipped is
// refused before anything is allocated for it.
constexpr Int64 kMaxRlePixelsPerByte = 1024;

[[noreturn]] void InvalidBitmap()
{
  throw EInvalidGraphic(SInvalidBitmap);
}

// The bytes from the stream's position to its end.
std::string ReadRest(TStream* stream)
{
  Int64 n = stream->Size() - stream->Position();
  if (n <= 0)
    return std::string();
  if (n > 0x7FFFFFFF)
    throw EInvalidGraphic("Picture too large");
  std::string bytes(static_cast<size_t>(n), '\0');
  stream->ReadBuffer(bytes.data(), static_cast<Integer>(n));
  return bytes;
}

void PutU16(std::string& s, std::uint16_t v)
{
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

void PutU32(std::string& s, std::uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Position of the lowest set bit and the width of a colour mask, for 16/32-bit fields.
struct TMask {
  std::uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;
  explicit TMask(std::uint32_t m = 0) : Mask(m)
  {
    if (!m)
      return;
    while (!((m >> Shift) & 1))
      ++Shift;
    while (Bits + Shift < 32 && ((m >> (Shift + Bits)) & 1))
      ++Bits;
  }
  unsigned Extract(std::uint32_t v) const
  {
    if (!Mask || !Bits)
      return 0;
    std::uint32_t x = (v & Mask) >> Shift;
    std::uint32_t max = Bits >= 32 ? 0xFFFFFFFFu : ((1u << Bits) - 1);
    return static_cast<unsigned>((Int64(x) * 255 + max / 2) / max);
  }
};

// BMP file layout (little-endian):
//   offset size  field
//   0      2     "BM"
//   2      4     file size
//   6      4     reserved
//   10     4     offset of the pixel data
//   14     ...   the DIB header, then the palette
//
// DIB header layout, offsets from its start (14 in a BMP file; an icon entry's offset in an
// icon file, whose DIBs carry their AND mask after the pixels, counted in the height):
//   0      4     header size: 12 (core), 40 (info), 52/56/108/124 (later versions)
//   core:  4 u16 width, 6 i16 height, 8 u16 planes, 10 u16 bits per pixel
//   info:  4 i32 width, 8 i32 height (negative: top-down), 12 u16 planes, 14 u16 bits,
//          16 u32 compression (0 RGB, 1 RLE8, 2 RLE4, 3 bit fields), 20 image size,
//          24/28 resolution, 32 colours used, 36 important colours;
//          bit-field masks follow a 40-byte header or sit inside longer ones at 40.
//   palette: 4-byte B G R 0 entries (3-byte B G R for core headers) after the header.
//   rows: bottom-up unless the height is negative, each padded to 4 bytes.
//   icon mask: 1 bit per pixel (set: transparent), rows as above, after the pixel rows.
struct TBmpInfo {
  Integer Width = 0;
  Integer Height = 0; // without an icon's mask
  bool TopDown = false;
  Integer Bits = 0;
  std::uint32_t Compression = 0;
  std::vector<std::uint32_t> Palette;
  TMask Red, Green, Blue;
  size_t PixelOffset = 0;
};

size_t RowStride(Integer width, Integer bits)
{
  return ((size_t(width) * bits + 31) / 32) * 4;
}

TBmpInfo ReadDibHeader(const TBytes& b, size_t at, size_t pixelOffset, TDibPlace place)
{
  TBmpInfo info;
  std::uint32_t headerSize = b.U32(at);
  size_t paletteAt = at + headerSize;
  size_t entrySize = 4;
  std::uint32_t colorsUsed = 0;
  if (headerSize == 12) {
    info.Width = b.U16(at + 4);
    info.Height = static_cast<std::int16_t>(b.U16(at + 6));
    info.Bits = b.U16(at + 10);
    entrySize = 3;
  } else if (headerSize >= 40 && headerSize <= 1024) {
    info.Width = b.I32(at + 4);
    info.Height = b.I32(at + 8);
    info.Bits = b.U16(at + 14);
    info.Compression = b.U32(at + 16);
    colorsUsed = b.U32(at + 32);
    if (info.Compression == 3) {
      size_t masksAt = at + 40;
      if (headerSize == 40)
        paletteAt += 12;
      info.Red = TMask(b.U32(masksAt));
      info.Green = TMask(b.U32(masksAt + 4));
      info.Blue = TMask(b.U32(masksAt + 8));
    }
  } else {
    b.Fail();
  }
  // Checked before negating: the most negative height has no positive counterpart.
  if (info.Height < -kMaxSide || (place == dpIcon && info.Height < 0))
    b.Fail();
  if (info.Height < 0) {
    info.TopDown = true;
    info.Height = -info.Height;
  }
  if (place == dpIcon)
    info.Height /= 2; // the mask's rows
  if (info.Width <= 0 || info.Height <= 0 || info.Width > kMaxSide || info.Height > kMaxSide ||
      Int64(info.Width) * info.Height > kMaxPixels)
    b.Fail();
  bool ok = false;
  switch (info.Compression) {
  case 0:
    ok = info.Bits == 1 || info.Bits == 4 || info.Bits == 8 || info.Bits == 16 || info.Bits == 24 ||
         info.Bits == 32;
    break;
  case 1:
    ok = info.Bits == 8 && !info.TopDown && place == dpBmpFile;
    break;
  case 2:
    ok = info.Bits == 4 && !info.TopDown && place == dpBmpFile;
    break;
  case 3:
    ok = info.Bits == 16 || info.Bits == 32;
    break;
  }
  if (!ok)
    b.Fail();
  if (info.Compression == 0 && info.Bits == 16) {
    info.Red = TMask(0x7C00);
    info.Green = TMask(0x03E0);
    info.Blue = TMask(0x001F);
  }
  if (info.Bits <= 8) {
    std::uint32_t count = colorsUsed ? colorsUsed : (1u << info.Bits);
    if (count > 256)
      b.Fail();
    for (std::uint32_t i = 0; i < count; ++i) {
      const unsigned char* e = b.At(paletteAt + i * entrySize, entrySize);
      info.Palette.push_back(Rgb(e[2], e[1], e[0]));
    }
  }
  info.PixelOffset = place == dpIcon ? paletteAt + info.Palette.size() * entrySize : pixelOffset;
  return info;
}

// Palette indexes of an RLE8/RLE4 picture, bottom row first.
std::vector<Byte> DecodeRle(const TBytes& b, const TBmpInfo& info)
{
  std::vector<Byte> index(static_cast<size_t>(info.Width) * info.Height, 0);
  size_t at = info.PixelOffset;
  Integer x = 0, y = 0;
  bool four = info.Bits == 4;
  auto put = [&](Byte v) {
    if (x < info.Width && y < info.Height)
      index[static_cast<size_t>(y) * info.Width + x] = v;
    ++x;
  };
  while (y < info.Height) {
    const unsigned char* p = b.At(at, 2);
    at += 2;
    if (p[0] > 0) {
      for (Integer i = 0; i < p[0]; ++i)
        put(four ? ((i & 1) ? (p[1] & 0x0F) : (p[1] >> 4)) : p[1]);
      continue;
    }
    if (p[1] == 0) { // end of line
      x = 0;
      ++y;
    } else if (p[1] == 1) { // end of bitmap
      break;
    } else if (p[1] == 2) { // delta
      const unsigned char* d = b.At(at, 2);
      at += 2;
      x += d[0];
      y += d[1];
    } else { // absolute run, padded to a word
      Integer n = p[1];
      size_t bytes = four ? (n + 1) / 2 : n;
      const unsigned char* data = b.At(at, bytes);
      for (Integer i = 0; i < n; ++i)
        put(four ? ((i & 1) ? (data[i / 2] & 0x0F) : (data[i / 2] >> 4)) : data[i]);
      at += (bytes + 1) & ~size_t(1);
    }
  }
  return index;
}

// One row of uncompressed pixels as 0xAARRGGBB; alpha is 0xFF unless keepAlpha.
void DecodeRow(const TBmpInfo& info, const unsigned char* row, std::uint32_t* out, bool keepAlpha)
{
  auto color = [&](std::uint32_t i) {
    return i < info.Palette.size() ? info.Palette[i] : Rgb(0, 0, 0);
  };
  for (Integer x = 0; x < info.Width; ++x) {
    switch (info.Bits) {
    case 1:
      out[x] = color((row[x / 8] >> (7 - x % 8)) & 1);
      break;
    case 4:
      out[x] = color((x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4));
      break;
    case 8:
      out[x] = color(row[x]);
      break;
    case 16: {
      std::uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
      out[x] = Rgb(info.Red.Extract(v), info.Green.Extract(v), info.Blue.Extract(v));
      break;
    }
    case 24:
      out[x] = Rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      break;
    case 32: {
      const unsigned char* p = row + 4 * x;
      if (info.Compression == 3) {
        std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
        out[x] = Rgb(info.Red.Extract(v), info.Green.Extract(v), info.Blue.Extract(v));
      } else {
        out[x] = Rgb(p[2], p[1], p[0]);
        if (keepAlpha)
          out[x] = (out[x] & 0xFFFFFF) | (std::uint32_t(p[3]) << 24);
      }
      break;
    }
    }
  }
}

TPixelFormat FormatOfBits(Integer bits)
{
  switch (bits) {
  case 1:
    return pf1bit;
  case 4:
    return pf4bit;
  case 8:
    return pf8bit;
  case 16:
    return pf16bit;
  case 24:
    return pf24bit;
  default:
    return pf32bit;
  }
}

} // namespace

namespace pictures {

TDib ReadDib(const TBytes& b, size_t headerAt, size_t pixelOffset, TDibPlace place)
{
  TBmpInfo info = ReadDibHeader(b, headerAt, pixelOffset, place);
  bool rle = info.Compression == 1 || info.Compression == 2;
  size_t stride = RowStride(info.Width, info.Bits);
  size_t maskStride = RowStride(info.Width, 1);
  size_t rows = static_cast<size_t>(info.Height);
  // Rows the file claims must be there before anything is allocated for them.
  if (rle) {
    if (!b.Has(info.PixelOffset, 2))
      b.Fail();
    Int64 codeBytes = Int64(b.Size() - info.PixelOffset);
    if (Int64(info.Width) * info.Height >
        std::max<Int64>(kAlwaysAllowed, codeBytes * kMaxRlePixelsPerByte))
      b.Fail();
  } else if (!b.Has(info.PixelOffset, stride * rows)) {
    b.Fail();
  }
  size_t maskAt = info.PixelOffset + stride * rows;
  bool hasMask = place == dpIcon && b.Has(maskAt, maskStride * rows);
  TDib dib;
  dib.Width = info.Width;
  dib.Height = info.Height;
  dib.Bits = info.Bits;
  dib.Format = FormatOfBits(info.Bits);
  dib.Pixels.resize(static_cast<size_t>(info.Width) * info.Height);
  std::uint32_t* bits = dib.Pixels.data();
  if (rle) {
    std::vector<Byte> index = DecodeRle(b, info);
    for (Integer r = 0; r < info.Height; ++r)
      for (Integer x = 0; x < info.Width; ++x) {
        Byte i = index[static_cast<size_t>(r) * info.Width + x];
        bits[static_cast<size_t>(info.Height - 1 - r) * info.Width + x] =
            i < info.Palette.size() ? info.Palette[i] : Rgb(0, 0, 0);
      }
    return dib;
  }
  bool keepAlpha = place == dpIcon && info.Bits == 32 && info.Compression == 0;
  for (Integer r = 0; r < info.Height; ++r) {
    Integer y = info.TopDown ? r : info.Height - 1 - r;
    DecodeRow(info, b.At(info.PixelOffset + stride * r, stride),
              bits + static_cast<size_t>(y) * info.Width, keepAlpha);
  }
  if (keepAlpha)
    for (std::uint32_t p : dib.Pixels)
      if (p >> 24) {
        dib.HasAlpha = true;
        break;
      }
  if (place != dpIcon || dib.HasAlpha) {
    if (keepAlpha && !dib.HasAlpha) // a 32-bit picture without alpha: opaque
      for (std::uint32_t& p : dib.Pixels)
        p |= 0xFF000000u;
    return dib;
  }
  // An icon without alpha: its AND mask says which pixels are transparent.
  if (!hasMask)
    b.Fail();
  for (Integer r = 0; r < info.Height; ++r) {
    const unsigned char* row = b.At(maskAt + maskStride * r, maskStride);
    std::uint32_t* out = bits + static_cast<size_t>(info.Height - 1 - r) * info.Width;
    for (Integer x = 0; x < info.Width; ++x)
      out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? out[x] & 0xFFFFFF : out[x] | 0xFF000000u;
  }
  return dib;
}

void DrawCoveredImage(TCanvas* canvas, const TRect& rect, const TImageSurface& image,
                      const std::vector<Byte>& coverage)
{
  TRect r = {std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom),
             std::max(rect.Left, rect.Right), std::max(rect.Top, rect.Bottom)};
  Integer w = r.Width(), h = r.Height(), iw = image.Width(), ih = image.Height();
  if (w == 0 || h == 0 || iw == 0 || ih == 0)
    return;
  bool flipX = rect.Right < rect.Left, flipY = rect.Bottom < rect.Top;
  // What the canvas shows under the picture, where its surface can be read.
  TSurface* target = canvas->Surface();
  bool readable = target && target->Kind() == skRaster;
  TImageSurface composed(w, h, 0);
  if (readable) {
    TCanvas under(&composed);
    under.CopyRect(Rect(0, 0, w, h), canvas, r);
  }
  std::uint32_t* out = composed.Bits();
  const std::uint32_t* in = image.Bits();
  std::vector<bool> hole(static_cast<size_t>(w) * h, false);
  bool anyHole = false;
  for (Integer y = 0; y < h; ++y) {
    Integer v = static_cast<Integer>(Int64(y) * ih / h);
    Integer sy = flipY ? ih - 1 - v : v;
    for (Integer x = 0; x < w; ++x) {
      Integer u = static_cast<Integer>(Int64(x) * iw / w);
      size_t s = static_cast<size_t>(sy) * iw + (flipX ? iw - 1 - u : u);
      size_t d = static_cast<size_t>(y) * w + x;
      unsigned a = coverage[s];
      if (a == 255 || (!readable && a >= 128)) {
        out[d] = in[s];
      } else if (a == 0 || !readable) {
        hole[d] = anyHole = true;
      } else {
        auto mix = [a](std::uint32_t p, std::uint32_t q, int shift) {
          unsigned c = ((p >> shift) & 0xFF) * a + ((q >> shift) & 0xFF) * (255 - a);
          return ((c + 127) / 255) << shift;
        };
        out[d] =
            0xFF000000u | mix(in[s], out[d], 16) | mix(in[s], out[d], 8) | mix(in[s], out[d], 0);
      }
    }
  }
  // The holes take a colour no painted pixel has, which the copy leaves out.
  TColor key = clNone;
  if (anyHole) {
    std::vector<std::uint32_t> used;
    for (size_t d = 0; d < hole.size(); ++d)
      if (!hole[d])
        used.push_back(out[d] & 0xFFFFFF);
    std::sort(used.begin(), used.end());
    std::uint32_t free = 0;
    for (std::uint32_t c : used) {
      if (c > free)
        break;
      if (c == free)
        ++free;
    }
    for (size_t d = 0; d < hole.size(); ++d)
      if (hole[d])
        out[d] = 0xFF000000u | free;
    key = RGB((free >> 16) & 0xFF, (free >> 8) & 0xFF, free & 0xFF);
  }
  canvas->CopyImage(r, composed, Rect(0, 0, w, h), cmSrcCopy, key);
}

} // namespace pictures

namespace {

void DecodeBmp(const std::string& data, TImageSurface& surface, TPixelFormat& format)
{
  TBytes b(data, SInvalidBitmap);
  if (b.Size() < 26 || b.U8(0) != 'B' || b.U8(1) != 'M')
    b.Fail();
  TDib dib = ReadDib(b, 14, b.U32(10), dpBmpFile);
  surface.Resize(0, 0, 0);
  surface.Resize(dib.Width, dib.Height, 0);
  std::copy(dib.Pixels.begin(), dib.Pixels.end(), surface.Bits());
  format = dib.Format;
}

// The two palette entries of a 1-bit bitmap: the (at most two) colours its pixels hold,
// darker first, so a two-colour picture keeps its colours; a picture with more colours is
// written black and white by brightness.
struct TMonoPalette {
  std::uint32_t Colors[2] = {0x000000, 0xFFFFFF};
  bool Threshold = true; // pixels are split by brightness, not matched to the entries
};

unsigned Brightness(std::uint32_t c)
{
  return ((c >> 16) & 0xFF) * 30 + ((c >> 8) & 0xFF) * 59 + (c & 0xFF) * 11;
}

TMonoPalette MonoPaletteOf(const TImageSurface& surface)
{
  TMonoPalette p;
  std::uint32_t found[2] = {0, 0};
  int count = 0;
  const std::uint32_t* bits = surface.Bits();
  size_t n = static_cast<size_t>(surface.Width()) * surface.Height();
  for (size_t i = 0; i < n; ++i) {
    std::uint32_t c = bits[i] & 0xFFFFFF;
    if ((count > 0 && c == found[0]) || (count > 1 && c == found[1]))
      continue;
    if (count == 2)
      return p;
    found[count++] = c;
  }
  if (count == 0)
    return p;
  if (count == 1) // a one-colour picture gets black or white as its other entry
    found[1] = found[0] == 0xFFFFFF ? 0x000000 : 0xFFFFFF;
  if (Brightness(found[0]) > Brightness(found[1]))
    std::swap(found[0], found[1]);
  p.Colors[0] = found[0];
  p.Colors[1] = found[1];
  p.Threshold = false;
  return p;
}

// Writes 1-bit (monochrome), 32-bit (pf32bit) or 24-bit (everything else) bottom-up rows.
std::string EncodeBmp(const TImageSurface& surface, TPixelFormat format)
{
  Integer w = surface.Width(), h = surface.Height();
  Integer bitsPerPixel = format == pf1bit ? 1 : format == pf32bit ? 32 : 24;
  size_t stride = ((size_t(w) * bitsPerPixel + 31) / 32) * 4;
  std::uint32_t paletteSize = bitsPerPixel == 1 ? 8 : 0;
  std::uint32_t offset = 14 + 40 + paletteSize;
  std::uint32_t imageSize = static_cast<std::uint32_t>(stride * h);
  TMonoPalette mono;
  if (bitsPerPixel == 1)
    mono = MonoPaletteOf(surface);
  std::string s;
  s.reserve(offset + imageSize);
  s += "BM";
  PutU32(s, offset + imageSize);
  PutU32(s, 0);
  PutU32(s, offset);
  PutU32(s, 40);
  PutU32(s, static_cast<std::uint32_t>(w));
  PutU32(s, static_cast<std::uint32_t>(h));
  PutU16(s, 1);
  PutU16(s, static_cast<std::uint16_t>(bitsPerPixel));
  PutU32(s, 0);
  PutU32(s, imageSize);
  PutU32(s, 0);
  PutU32(s, 0);
  PutU32(s, bitsPerPixel == 1 ? 2 : 0);
  PutU32(s, 0);
  if (bitsPerPixel == 1) {
    PutU32(s, mono.Colors[0]);
    PutU32(s, mono.Colors[1]);
  }
  const std::uint32_t* bits = surface.Bits();
  std::string row(stride, '\0');
  for (Integer r = h - 1; r >= 0; --r) {
    std::fill(row.begin(), row.end(), '\0');
    const std::uint32_t* in = bits + static_cast<size_t>(r) * w;
    for (Integer x = 0; x < w; ++x) {
      unsigned red = (in[x] >> 16) & 0xFF, green = (in[x] >> 8) & 0xFF, blue = in[x] & 0xFF;
      if (bitsPerPixel == 1) {
        bool second =
            mono.Threshold ? Brightness(in[x]) >= 128 * 100 : (in[x] & 0xFFFFFF) == mono.Colors[1];
        if (second)
          row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
      } else {
        char* p = &row[static_cast<size_t>(x) * (bitsPerPixel / 8)];
        p[0] = static_cast<char>(blue);
        p[1] = static_cast<char>(green);
        p[2] = static_cast<char>(red);
      }
    }
    s += row;
  }
  return s;
}

} // namespace

// ---------------------------------------------------------------------------------------
// TGraphic

void TGraphic::SetTransparent(bool value)
{
  if (FTransparent == value)
    return;
  FTransparent = value;
  Changed();
}

void TGraphic::SetModified(bool value)
{
  if (value)
    Changed();
  else
    FModified = false;
}

void TGraphic::Changed()
{
  FModified = true;
  if (OnChange)
    OnChange(this);
}

void TGraphic::LoadFromFile(const AnsiString& fileName)
{
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& fileName)
{
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

// ---------------------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() : FSurface(std::make_shared<TImageSurface>(0, 0)) {}

TBitmap::TBitmap(Integer width, Integer height) : TBitmap()
{
  SetSize(width, height);
}

TBitmap::~TBitmap() = default;

bool TBitmap::Empty() const
{
  return FSurface->Width() == 0 || FSurface->Height() == 0;
}
Integer TBitmap::Width() const
{
  return FSurface->Width();
}
Integer TBitmap::Height() const
{
  return FSurface->Height();
}
void TBitmap::SetWidth(Integer value)
{
  SetSize(value, Height());
}
void TBitmap::SetHeight(Integer value)
{
  SetSize(Width(), value);
}

void TBitmap::SetSize(Integer width, Integer height)
{
  width = std::max<Integer>(0, width);
  height = std::max<Integer>(0, height);
  if (width == Width() && height == Height())
    return;
  // Programs may make bigger bitmaps than files may bring (a page at printer resolution),
  // but not unbounded ones.
  if (Int64(width) * height > 2 * kMaxPixels)
    throw EOutOfMemory("Out of memory");
  TColor fill = FCanvas ? ColorToRGB(FCanvas->Brush()->Color()) : clWhite;
  OwnSurface(true).Resize(width, height, fill);
  FOriginal.reset();
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value)
{
  if (FPixelFormat == value)
    return;
  FPixelFormat = value;
  FOriginal.reset();
  Changed();
}

void TBitmap::SetMonochrome(bool value)
{
  if (value == Monochrome())
    return;
  SetPixelFormat(value ? pf1bit : pfDevice);
}

TColor TBitmap::TransparentColor() const
{
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault)
    return FTransparentColor;
  return Empty() ? clNone : FSurface->Pixel(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor value)
{
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value)
{
  if (FTransparentMode == value)
    return;
  FTransparentMode = value;
  Changed();
}

TCanvas* TBitmap::Canvas()
{
  // Whoever takes the canvas may draw: the bitmap no longer matches the bytes it was read
  // from.
  FOriginal.reset();
  if (!FCanvas)
    FCanvas = std::make_unique<TCanvas>(&OwnSurface(true));
  return FCanvas.get();
}

TImageSurface& TBitmap::Surface()
{
  FOriginal.reset();
  TImageSurface& surface = OwnSurface(true);
  FSurfaceLent = true;
  return surface;
}

TImageSurface& TBitmap::OwnSurface(bool keepPixels)
{
  if (FSurface.use_count() > 1) {
    const Integer w = keepPixels ? FSurface->Width() : 0, h = keepPixels ? FSurface->Height() : 0;
    auto own = std::make_shared<TImageSurface>(w, h, 0);
    std::copy_n(FSurface->Bits(), static_cast<size_t>(w) * h, own->Bits());
    FSurface = std::move(own);
  }
  return *FSurface;
}

TColor TBitmap::Pixel(Integer x, Integer y) const
{
  return FSurface->Pixel(x, y);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect)
{
  if (Empty())
    return;
  canvas->CopyImage(rect, *FSurface, Rect(0, 0, Width(), Height()), canvas->CopyMode(),
                    Transparent() ? TransparentColor() : clNone);
}

void TBitmap::LoadFromBytes(const std::string& bytes)
{
  auto surface = std::make_unique<TImageSurface>(0, 0);
  TPixelFormat format = pfDevice;
  try {
    DecodeBmp(bytes, *surface, format);
  } catch (const std::bad_alloc&) {
    // A picture that does not fit in memory is as unreadable as a damaged one.
    InvalidBitmap();
  }
  TImageSurface& own = OwnSurface(false);
  own.Resize(0, 0, 0);
  own.Resize(surface->Width(), surface->Height(), 0);
  std::copy_n(surface->Bits(), static_cast<size_t>(surface->Width()) * surface->Height(),
              own.Bits());
  FPixelFormat = format;
  Changed();
  SetModified(false);
  FOriginal = std::make_shared<const std::string>(bytes);
}

std::string TBitmap::SaveToBytes()
{
  if (FOriginal && !FOriginal->empty())
    return *FOriginal;
  return EncodeBmp(*FSurface, FPixelFormat);
}

void TBitmap::LoadFromStream(TStream* stream)
{
  LoadFromBytes(ReadRest(stream));
}

void TBitmap::LoadFromResourceName(NativeUInt instance, const AnsiString& name)
{
  TResourceStream stream(instance, name, "BITMAP");
  LoadFromStream(&stream);
}

void TBitmap::SaveToStream(TStream* stream)
{
  std::string bytes = SaveToBytes();
  stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TBitmap::Assign(TPersistent* Source)
{
  if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
    if (bmp == this)
      return;
    if (!FCanvas && !FSurfaceLent && !bmp->FCanvas && !bmp->FSurfaceLent) {
      FSurface = bmp->FSurface;
    } else {
      TImageSurface& own = OwnSurface(false);
      own.Resize(0, 0, 0);
      own.Resize(bmp->Width(), bmp->Height(), 0);
      std::copy_n(bmp->FSurface->Bits(), static_cast<size_t>(bmp->Width()) * bmp->Height(),
                  own.Bits());
    }
    FPixelFormat = bmp->FPixelFormat;
    FTransparentMode = bmp->FTransparentMode;
    FTransparentColor = bmp->FTransparentColor;
    SetTransparent(bmp->Transparent());
    Changed();
    FOriginal = bmp->FOriginal;
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    SetSize(0, 0);
    SetSize(graphic->Width(), graphic->Height());
    graphic->Draw(Canvas(), Rect(0, 0, Width(), Height()));
    Changed();
    return;
  }
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    if (picture->Graphic())
      Assign(picture->Graphic());
    else
      SetSize(0, 0);
    return;
  }
  TGraphic::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// TPicture

namespace {

// A new, empty graphic of the same class as g.
std::unique_ptr<TGraphic> NewOfClass(const TGraphic* g)
{
  if (dynamic_cast<const TJPEGImage*>(g))
    return std::make_unique<TJPEGImage>();
  if (dynamic_cast<const TPngImage*>(g))
    return std::make_unique<TPngImage>();
  if (dynamic_cast<const TMetafile*>(g))
    return std::make_unique<TMetafile>();
  if (dynamic_cast<const TIcon*>(g))
    return std::make_unique<TIcon>();
  if (dynamic_cast<const TGIFImage*>(g))
    return std::make_unique<TGIFImage>();
  return std::make_unique<TBitmap>();
}

// A graphic of the named class read from bytes; null when the name is unknown or the
// bytes are not of that kind.
std::unique_ptr<TGraphic> GraphicOfClass(const AnsiString& name, const std::string& bytes)
{
  std::unique_ptr<TGraphic> g;
  if (name == "TBitmap")
    g = std::make_unique<TBitmap>();
  else if (name == "TJPEGImage")
    g = std::make_unique<TJPEGImage>();
  else if (name == "TPngImage")
    g = std::make_unique<TPngImage>();
  else if (name == "TIcon")
    g = std::make_unique<TIcon>();
  else if (name == "TGIFImage")
    g = std::make_unique<TGIFImage>();
  if (!g)
    return nullptr;
  try {
    TReadOnlyMemoryStream in(bytes);
    g->LoadFromStream(&in);
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
  return g;
}

std::unique_ptr<TGraphic> GraphicFromBytes(const std::string& bytes)
{
  auto starts = [&](const char* sig, size_t n) {
    return bytes.size() >= n && std::memcmp(bytes.data(), sig, n) == 0;
  };
  if (starts("BM", 2)) {
    auto g = std::make_unique<TBitmap>();
    g->LoadFromBytes(bytes);
    return g;
  }
  if (starts("\xFF\xD8\xFF", 3)) {
    auto g = std::make_unique<TJPEGImage>();
    g->LoadFromBytes(bytes);
    return g;
  }
  if (starts("\x89PNG\r\n\x1A\n", 8)) {
    auto g = std::make_unique<TPngImage>();
    g->LoadFromBytes(bytes);
    return g;
  }
  if (starts("\0\0\1\0", 4)) {
    auto g = std::make_unique<TIcon>();
    g->LoadFromBytes(bytes);
    return g;
  }
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) {
    auto g = std::make_unique<TGIFImage>();
    g->LoadFromBytes(bytes);
    return g;
  }
  // Metafile files (placeable WMF, EMF) are kept as bytes.
  if (starts("\xD7\xCD\xC6\x9A", 4) || (bytes.size() >= 44 && bytes.compare(40, 4, " EMF") == 0)) {
    auto g = std::make_unique<TMetafile>();
    TReadOnlyMemoryStream in(bytes);
    g->LoadFromStream(&in);
    return g;
  }
  throw EInvalidGraphic(SUnknownPictureFormat);
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed()
{
  if (OnChange)
    OnChange(this);
}

void TPicture::GraphicChanged(TObject*)
{
  Changed();
}

void TPicture::SetGraphic(TGraphic* value)
{
  if (!value) {
    FGraphic.reset();
    Changed();
    return;
  }
  std::unique_ptr<TGraphic> copy = NewOfClass(value);
  copy->Assign(value);
  copy->OnChange = TNotifyEvent::Bind(this, &TPicture::GraphicChanged);
  FGraphic = std::move(copy);
  Changed();
}

TBitmap* TPicture::Bitmap()
{
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) {
    FGraphic = std::make_unique<TBitmap>();
    FGraphic->OnChange = TNotifyEvent::Bind(this, &TPicture::GraphicChanged);
    Changed();
  }
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromStream(TStream* stream)
{
  std::string bytes = ReadRest(stream);
  // Stored pictures may carry an 8-byte prefix: 01 00 00 01 and the data's length.
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), "\x01\x00\x00\x01", 4) == 0)
    bytes.erase(0, 8);
  std::unique_ptr<TGraphic> g = GraphicFromBytes(bytes);
  g->OnChange = TNotifyEvent::Bind(this, &TPicture::GraphicChanged);
  FGraphic = std::move(g);
  Changed();
}

void TPicture::SaveToStream(TStream* stream)
{
  if (FGraphic)
    FGraphic->SaveToStream(stream);
}

void TPicture::LoadFromFile(const AnsiString& fileName)
{
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TPicture::SaveToFile(const AnsiString& fileName)
{
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TPicture::ReadData(TStream* stream)
{
  Byte length = 0;
  stream->ReadBuffer(&length, 1);
  AnsiString name(length, '\0');
  if (length)
    stream->ReadBuffer(name.data(), length);
  if (name.empty()) {
    SetGraphic(nullptr);
    return;
  }
  std::int32_t size = 0;
  stream->ReadBuffer(&size, 4);
  if (size < 0 || size > stream->Size() - stream->Position())
    throw EInvalidGraphic("Picture data is not valid");
  std::string bytes(static_cast<size_t>(size), '\0');
  if (size)
    stream->ReadBuffer(bytes.data(), size);
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), "\x01\x00\x00\x01", 4) == 0)
    bytes.erase(0, 8);
  std::unique_ptr<TGraphic> g = GraphicOfClass(name, bytes);
  if (!g)
    g = GraphicFromBytes(bytes);
  g->OnChange = TNotifyEvent::Bind(this, &TPicture::GraphicChanged);
  FGraphic = std::move(g);
  Changed();
}

void TPicture::WriteData(TStream* stream)
{
  AnsiString name = FGraphic ? FGraphic->ClassName() : AnsiString();
  Byte length = static_cast<Byte>(name.size());
  stream->WriteBuffer(&length, 1);
  if (!FGraphic)
    return;
  stream->WriteBuffer(name.data(), length);
  TMemoryStream image;
  FGraphic->SaveToStream(&image);
  std::int32_t size = static_cast<std::int32_t>(image.Size());
  stream->WriteBuffer(&size, 4);
  if (size)
    stream->WriteBuffer(image.Memory(), size);
}

namespace {

struct TGraphicKind {
  const char* ClassName;
  const char* Description;
  const char* Extensions; // the first is the default extension
};

// ORDER: the registration order of the picture classes.
const TGraphicKind kGraphicKinds[] = {
    {"TBitmap", "Bitmaps", "bmp"},
    {"TIcon", "Icons", "ico"},
    {"TMetafile", "Metafiles", "emf;wmf"},
    {"TJPEGImage", "JPEG Image File", "jpg;jpeg"},
    {"TPngImage", "Portable Network Graphics", "png"},
    {"TGIFImage", "GIF Image", "gif"},
};

AnsiString Patterns(const AnsiString& extensions)
{
  AnsiString out;
  size_t start = 0;
  while (start <= extensions.size()) {
    size_t end = extensions.find(';', start);
    if (end == AnsiString::npos)
      end = extensions.size();
    if (!out.empty())
      out += ';';
    out += "*." + extensions.substr(start, end - start);
    start = end + 1;
  }
  return out;
}

bool KindBelongs(const TGraphicKind& kind, TClass graphicClass)
{
  for (TClass c = graphicClass; c; c = c->Parent)
    if (c->Name == kind.ClassName)
      return true;
  return false;
}

} // namespace

AnsiString GraphicFilter(TClass graphicClass)
{
  AnsiString all, entries;
  Integer count = 0;
  for (const TGraphicKind& kind : kGraphicKinds) {
    bool any = graphicClass && graphicClass->Name == "TGraphic";
    if (!any && !KindBelongs(kind, graphicClass))
      continue;
    AnsiString patterns = Patterns(kind.Extensions);
    all += (all.empty() ? "" : ";") + patterns;
    entries += (entries.empty() ? "" : "|") + AnsiString(kind.Description) + " (" + patterns +
               ")|" + patterns;
    ++count;
  }
  if (count > 1)
    return "All (" + all + ")|" + all + "|" + entries;
  return entries;
}

AnsiString GraphicExtension(TClass graphicClass)
{
  for (const TGraphicKind& kind : kGraphicKinds)
    if (KindBelongs(kind, graphicClass)) {
      AnsiString ext = kind.Extensions;
      return ext.substr(0, ext.find(';'));
    }
  return AnsiString();
}

void TPicture::Assign(TPersistent* Source)
{
  if (!Source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(picture->Graphic());
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(graphic);
    return;
  }
  TPersistent::Assign(Source);
}
