// TIcon: icon files read with the shared DIB and PNG readers (PicturesPrivate.h), the image
// nearest the system's icon size chosen, drawn with its coverage. See Pictures.h.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/PicturesPrivate.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterIconClass()
{
  TClassRegistration<TIcon, TGraphic>("TIcon");
}

namespace {

using namespace pictures;

constexpr const char* SInvalidIcon = "Icon image is not valid";

// Icon file layout (little-endian):
//   offset size  field
//   0      2     reserved, 0
//   2      2     type: 1 (2 is a cursor file)
//   4      2     number of images, at least 1
//   6      16    per image: 0 u8 width (0: 256), 1 u8 height (0: 256), 2 u8 colours,
//                3 u8 reserved, 4 u16 planes, 6 u16 bits per pixel, 8 u32 size in bytes,
//                12 u32 offset of the image in the file
//   images: a DIB with its AND mask (PicturesPrivate.h), or a whole PNG file.
struct TIconEntry {
  Integer Width = 0;
  Integer Height = 0;
  Integer Bits = 0;
  size_t Size = 0;
  size_t Offset = 0;
};

// The entry nearest size x size, the deepest among equally near ones.
TIconEntry ChooseEntry(const TBytes& b, Integer size)
{
  if (b.U16(0) != 0 || b.U16(2) != 1)
    b.Fail();
  Integer count = b.U16(4);
  if (count == 0)
    b.Fail();
  b.At(6, size_t(16) * count); // the whole directory is there
  TIconEntry best;
  Integer bestDistance = -1;
  for (Integer i = 0; i < count; ++i) {
    size_t at = 6 + size_t(16) * i;
    TIconEntry e;
    e.Width = b.U8(at) ? b.U8(at) : 256;
    e.Height = b.U8(at + 1) ? b.U8(at + 1) : 256;
    e.Bits = b.U16(at + 6);
    e.Size = b.U32(at + 8);
    e.Offset = b.U32(at + 12);
    Integer distance = std::abs(e.Width - size) + std::abs(e.Height - size);
    if (bestDistance < 0 || distance < bestDistance ||
        (distance == bestDistance && e.Bits > best.Bits)) {
      best = e;
      bestDistance = distance;
    }
  }
  if (!b.Has(best.Offset, best.Size) || best.Size == 0)
    b.Fail();
  return best;
}

// The colours of pixels (0xAARRGGBB) into an image and their alpha into coverage.
void Split(const std::vector<std::uint32_t>& pixels, Integer width, Integer height,
           std::unique_ptr<TImageSurface>& image, std::vector<Byte>& coverage)
{
  image = std::make_unique<TImageSurface>(width, height, 0);
  coverage.resize(pixels.size());
  std::uint32_t* bits = image->Bits();
  for (size_t i = 0; i < pixels.size(); ++i) {
    bits[i] = 0xFF000000u | (pixels[i] & 0xFFFFFF);
    coverage[i] = static_cast<Byte>(pixels[i] >> 24);
  }
}

// The pixel of a decoded image as 0x00BBGGRR; 0 outside.
TColor PixelOf(const std::unique_ptr<TImageSurface>& image, Integer x, Integer y)
{
  if (!image || x < 0 || y < 0 || x >= image->Width() || y >= image->Height())
    return 0;
  return image->Pixel(x, y);
}

} // namespace

TIcon::TIcon()
{
  SetTransparent(true);
  SetModified(false);
}

TIcon::~TIcon() = default;

Integer TIcon::Width() const
{
  return FImage ? FImage->Width() : 0;
}

Integer TIcon::Height() const
{
  return FImage ? FImage->Height() : 0;
}

void TIcon::SetWidth(Integer value)
{
  if (value != Width())
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(Integer value)
{
  if (value != Height())
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

TColor TIcon::Pixel(Integer x, Integer y) const
{
  return PixelOf(FImage, x, y);
}

Byte TIcon::Coverage(Integer x, Integer y) const
{
  if (!FImage || x < 0 || y < 0 || x >= Width() || y >= Height())
    return 0;
  return FCoverage[static_cast<size_t>(y) * Width() + x];
}

void TIcon::LoadFromBytes(const std::string& bytes)
{
  TBytes b(bytes, SInvalidIcon);
  std::unique_ptr<TImageSurface> image;
  std::vector<Byte> coverage;
  try {
    TIconEntry entry = ChooseEntry(b, GetSystemMetrics(SM_CXICON));
    if (b.Has(entry.Offset, 8) && std::memcmp(b.At(entry.Offset, 8), "\x89PNG\r\n\x1A\n", 8) == 0) {
      Integer width = 0, height = 0;
      std::vector<std::uint32_t> pixels;
      DecodePng(bytes.substr(entry.Offset, entry.Size), width, height, pixels);
      Split(pixels, width, height, image, coverage);
    } else {
      TDib dib = ReadDib(b, entry.Offset, 0, dpIcon);
      Split(dib.Pixels, dib.Width, dib.Height, image, coverage);
    }
  } catch (const EInvalidGraphic&) {
    b.Fail(); // one message for every fault, the embedded PNG's included
  } catch (const std::bad_alloc&) {
    b.Fail();
  }
  FImage = std::move(image);
  FCoverage = std::move(coverage);
  FData = bytes;
  Changed();
  SetModified(false);
}

void TIcon::LoadFromStream(TStream* stream)
{
  Int64 n = stream->Size() - stream->Position();
  if (n > 0x7FFFFFFF)
    throw EInvalidGraphic(SInvalidIcon);
  std::string bytes(static_cast<size_t>(std::max<Int64>(0, n)), '\0');
  if (n > 0)
    stream->ReadBuffer(bytes.data(), static_cast<Integer>(n));
  LoadFromBytes(bytes);
}

void TIcon::SaveToStream(TStream* stream)
{
  if (!FData.empty())
    stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect)
{
  if (FImage)
    DrawCoveredImage(canvas, rect, *FImage, FCoverage);
}

void TIcon::Assign(TPersistent* Source)
{
  auto* icon = dynamic_cast<TIcon*>(Source);
  if (!icon) {
    TGraphic::Assign(Source);
    return;
  }
  if (icon == this)
    return;
  FData = icon->FData;
  FCoverage = icon->FCoverage;
  FImage.reset();
  if (icon->FImage) {
    FImage = std::make_unique<TImageSurface>(icon->Width(), icon->Height(), 0);
    std::copy_n(icon->FImage->Bits(), static_cast<size_t>(Width()) * Height(), FImage->Bits());
  }
  Changed();
}
