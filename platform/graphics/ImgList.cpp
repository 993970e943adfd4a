// TCustomImageList and TChangeLink: images kept as 32-bit pixels with a transparency mask,
// drawn through the canvas (a clip region of the pixels to paint, then a block copy), so
// they land the same on raster and vector surfaces. See ImgList.h.
#include "platform/graphics/ImgList.h"

#include <algorithm>

#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterImageListClasses()
{
  RegisterEnumType<TDrawingStyle>("TDrawingStyle",
                                  {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"});
  RegisterEnumType<TImageType>("TImageType", {"itImage", "itMask"});
  TClassRegistration<TCustomImageList, TComponent>("TCustomImageList")
      .Property("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("BlendColor", &TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("DrawingStyle", &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle)
      .Default(dsNormal)
      .Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight)
      .Default(16)
      .Property("ImageType", &TCustomImageList::ImageType, &TCustomImageList::SetImageType)
      .Default(itImage)
      .Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked)
      .Default(true)
      .Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth)
      .Default(16);
  TClassRegistration<TImageList, TCustomImageList>("TImageList");
}

namespace {

constexpr const char* SInvalidImageSize = "Invalid image size";
constexpr const char* SImageIndexError = "Invalid ImageList Index";

// The pixels whose flag is set, as a region in device pixels with its top-left at origin.
TRegion FlaggedArea(const std::vector<Byte>& flags, Integer width, Integer height, TPoint origin)
{
  std::vector<std::vector<TRegion::TSpan>> rows(static_cast<size_t>(height));
  for (Integer y = 0; y < height; ++y) {
    const Byte* row = flags.data() + static_cast<size_t>(y) * width;
    for (Integer x = 0; x < width;) {
      if (!row[x]) {
        ++x;
        continue;
      }
      Integer start = x;
      while (x < width && row[x])
        ++x;
      rows[y].push_back({origin.X + start, origin.X + x});
    }
  }
  return TRegion::FromRows(origin.Y, rows);
}

// Paints the pixels of image whose flag is set at logical (x, y), inside the canvas's clip.
void PaintFlagged(TCanvas* canvas, Integer x, Integer y, const TImageSurface& image,
                  const std::vector<Byte>& flags)
{
  TRegion area = FlaggedArea(flags, image.Width(), image.Height(), canvas->ToDevice(Point(x, y)));
  if (area.IsEmpty())
    return;
  TCanvasSaver saver(*canvas);
  TRegion clip;
  if (canvas->GetClipRegion(clip))
    area = area.Combine(clip, RGN_AND);
  canvas->SelectClipRegion(&area);
  canvas->CopyImage(Rect(x, y, x + image.Width(), y + image.Height()), image,
                    Rect(0, 0, image.Width(), image.Height()), cmSrcCopy);
}

// Fills the pixels whose flag is set with one colour.
void FillFlagged(TCanvas* canvas, Integer x, Integer y, Integer width, Integer height,
                 const std::vector<Byte>& flags, TColor color)
{
  TRegion area = FlaggedArea(flags, width, height, Point(x, y));
  if (area.IsEmpty())
    return;
  TCanvasSaver saver(*canvas);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FillRegion(area);
}

std::uint32_t Blend(std::uint32_t pixel, TColor with, Integer percent)
{
  auto mix = [percent](unsigned a, unsigned b) {
    return (a * (100 - percent) + b * percent + 50) / 100;
  };
  unsigned r = mix((pixel >> 16) & 0xFF, GetRValue(with));
  unsigned g = mix((pixel >> 8) & 0xFF, GetGValue(with));
  unsigned b = mix(pixel & 0xFF, GetBValue(with));
  return (r << 16) | (g << 8) | b;
}

} // namespace

// ---------------------------------------------------------------------------------------
// TChangeLink

TChangeLink::~TChangeLink()
{
  if (FSender)
    FSender->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
  if (FSender)
    OnChange(FSender);
}

// ---------------------------------------------------------------------------------------
// TCustomImageList

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(Integer width, Integer height, TComponent* AOwner)
    : TComponent(AOwner)
{
  SetSize(width, height);
}

TCustomImageList::~TCustomImageList()
{
  for (TChangeLink* link : FLinks)
    link->SetSender(nullptr);
}

void TCustomImageList::SetSize(Integer width, Integer height)
{
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
    throw EInvalidOperation(SInvalidImageSize);
  if (width == FWidth && height == FHeight)
    return;
  FWidth = width;
  FHeight = height;
  FImages.clear();
  Change();
}

void TCustomImageList::SetWidth(Integer value)
{
  SetSize(value, FHeight);
}
void TCustomImageList::SetHeight(Integer value)
{
  SetSize(FWidth, value);
}

void TCustomImageList::SetBkColor(TColor value)
{
  if (FBkColor == value)
    return;
  FBkColor = value;
  Change();
}

void TCustomImageList::SetBlendColor(TColor value)
{
  if (FBlendColor == value)
    return;
  FBlendColor = value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value)
{
  if (FDrawingStyle == value)
    return;
  FDrawingStyle = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value)
{
  if (FImageType == value)
    return;
  FImageType = value;
  Change();
}

void TCustomImageList::SetMasked(bool value)
{
  if (FMasked == value)
    return;
  FMasked = value;
  Change();
}

void TCustomImageList::CheckIndex(Integer index) const
{
  if (index < 0 || index >= Count())
    throw EInvalidOperation(SImageIndexError);
}

// One tile of image starting at column left. Rows and columns the bitmap lacks are
// transparent; with masks off every pixel the bitmap has is opaque.
TCustomImageList::TImage TCustomImageList::Cut(TBitmap* image, Integer left, TBitmap* mask,
                                               TColor maskColor) const
{
  TImage tile;
  size_t n = static_cast<size_t>(FWidth) * FHeight;
  tile.Pixels.assign(n, 0);
  tile.Transparent.assign(n, 1);
  TColor key = maskColor == clNone ? clNone : ColorToRGB(maskColor);
  for (Integer y = 0; y < FHeight && y < image->Height(); ++y)
    for (Integer x = 0; x < FWidth && left + x < image->Width(); ++x) {
      TColor c = image->Pixel(left + x, y);
      size_t at = static_cast<size_t>(y) * FWidth + x;
      tile.Pixels[at] =
          (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      bool clear = key != clNone && c == key;
      if (mask && left + x < mask->Width() && y < mask->Height())
        clear = clear || mask->Pixel(left + x, y) == clWhite;
      tile.Transparent[at] = FMasked && clear;
    }
  return tile;
}

Integer TCustomImageList::AddTiles(TBitmap* image, TBitmap* mask, TColor maskColor)
{
  if (!image || image->Empty())
    return -1;
  Integer first = Count();
  Integer tiles = std::max<Integer>(1, image->Width() / FWidth);
  for (Integer i = 0; i < tiles; ++i)
    FImages.push_back(Cut(image, i * FWidth, mask, maskColor));
  Change();
  return first;
}

Integer TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
  return AddTiles(image, mask, clNone);
}

Integer TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
  if (image && !image->Empty() && maskColor == clDefault)
    maskColor = image->Pixel(0, image->Height() - 1);
  return AddTiles(image, nullptr, maskColor);
}

void TCustomImageList::Replace(Integer index, TBitmap* image, TBitmap* mask)
{
  CheckIndex(index);
  if (!image || image->Empty())
    return;
  FImages[index] = Cut(image, 0, mask, clNone);
  Change();
}

void TCustomImageList::Delete(Integer index)
{
  if (index == -1) {
    Clear();
    return;
  }
  CheckIndex(index);
  FImages.erase(FImages.begin() + index);
  Change();
}

void TCustomImageList::Clear()
{
  if (FImages.empty())
    return;
  FImages.clear();
  Change();
}

void TCustomImageList::GetBitmap(Integer index, TBitmap* image)
{
  if (!image || index < 0 || index >= Count())
    return;
  image->SetSize(FWidth, FHeight);
  Draw(image->Canvas(), 0, 0, index, true);
}

void TCustomImageList::GetMask(Integer index, TBitmap* mask)
{
  if (!mask || index < 0 || index >= Count())
    return;
  mask->SetSize(FWidth, FHeight);
  Draw(mask->Canvas(), 0, 0, index, dsNormal, itMask, true);
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled)
{
  Draw(canvas, x, y, index, FDrawingStyle, FImageType, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index,
                            TDrawingStyle style, TImageType type, bool enabled)
{
  if (!canvas || index < 0 || index >= Count())
    return;
  const TImage& image = FImages[index];
  size_t n = image.Pixels.size();
  std::vector<Byte> opaque(n), transparent(n);
  for (size_t i = 0; i < n; ++i) {
    opaque[i] = !image.Transparent[i];
    transparent[i] = image.Transparent[i];
  }
  if (type == itMask) {
    FillFlagged(canvas, x, y, FWidth, FHeight, opaque, clBlack);
    FillFlagged(canvas, x, y, FWidth, FHeight, transparent, clWhite);
    return;
  }
  if (!enabled) {
    // The shape of the image: its opaque pixels that are not white.
    std::vector<Byte> shape(n);
    for (size_t i = 0; i < n; ++i)
      shape[i] = opaque[i] && (image.Pixels[i] & 0xFFFFFF) != 0xFFFFFF;
    FillFlagged(canvas, x + 1, y + 1, FWidth, FHeight, shape, clBtnHighlight);
    FillFlagged(canvas, x, y, FWidth, FHeight, shape, clBtnShadow);
    return;
  }
  TImageSurface pixels(FWidth, FHeight);
  std::copy(image.Pixels.begin(), image.Pixels.end(), pixels.Bits());
  Integer percent = style == dsSelected ? 50 : style == dsFocus ? 25 : 0;
  if (percent) {
    TColor with =
        ColorToRGB(FBlendColor == clNone || FBlendColor == clDefault ? clHighlight : FBlendColor);
    for (size_t i = 0; i < n; ++i)
      pixels.Bits()[i] = Blend(image.Pixels[i], with, percent);
  }
  if (style != dsTransparent && FBkColor != clNone)
    FillFlagged(canvas, x, y, FWidth, FHeight, transparent, FBkColor);
  PaintFlagged(canvas, x, y, pixels, opaque);
}

void TCustomImageList::Assign(TPersistent* Source)
{
  auto* list = dynamic_cast<TCustomImageList*>(Source);
  if (!list) {
    TComponent::Assign(Source);
    return;
  }
  if (list == this)
    return;
  FWidth = list->FWidth;
  FHeight = list->FHeight;
  FImages = list->FImages;
  FBkColor = list->FBkColor;
  FBlendColor = list->FBlendColor;
  FDrawingStyle = list->FDrawingStyle;
  FImageType = list->FImageType;
  FMasked = list->FMasked;
  Change();
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
  if (!link || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
    return;
  if (link->Sender() && link->Sender() != this)
    link->Sender()->UnRegisterChanges(link);
  link->SetSender(this);
  FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
  auto it = std::find(FLinks.begin(), FLinks.end(), link);
  if (it == FLinks.end())
    return;
  FLinks.erase(it);
  link->SetSender(nullptr);
}

void TCustomImageList::Change()
{
  // A link's handler may unregister links: walk a copy and skip those gone meanwhile.
  std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
      link->Change();
  OnChange(this);
}
