// The suite's canvas, regions and colour blends (see cxGraphics.h).
#include "controls/cx/base/cxGraphics.h"

#include <algorithm>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Math.h"

namespace {

// Floor division, so tiles of negative coordinates start at the right column.
Integer FloorDiv(Integer a, Integer b)
{
  Integer q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// "Everything" when a canvas has no clip region.
constexpr Integer cxMaxRegionSize = 107374182;

} // namespace

Cardinal TextFlagsToDrawTextFlags(Integer AFlags)
{
  struct Entry {
    Integer Flag;
    Cardinal Dt;
  };
  static constexpr Entry table[] = {
      {ctfRight, DT_RIGHT},
      {ctfHCenter, DT_CENTER},
      {ctfBottom, DT_BOTTOM},
      {ctfVCenter, DT_VCENTER},
      {ctfSingleLine, DT_SINGLELINE},
      {ctfNoClip, DT_NOCLIP},
      {ctfExpandTabs, DT_EXPANDTABS},
      {ctfWordWrap, DT_WORDBREAK | DT_EDITCONTROL},
      {ctfEndEllipsis, DT_END_ELLIPSIS},
      {ctfMeasureOnly, DT_CALCRECT},
      {ctfPathEllipsis, DT_PATH_ELLIPSIS},
  };
  Cardinal result = DT_NOPREFIX;
  for (const Entry& e : table)
    if (AFlags & e.Flag)
      result |= e.Dt;
  if (AFlags & ctfPrefix)
    result &= ~static_cast<Cardinal>(DT_NOPREFIX);
  return result;
}

Integer cxRegionOperationToCombineMode(TcxRegionOperation AOperation)
{
  static constexpr Integer modes[] = {RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND};
  return modes[AOperation];
}

// ---- TcxRegion ----

void TcxRegion::Combine(TcxRegion* ARegion, TcxRegionOperation AOperation, bool AFreeRegion)
{
  if (AOperation == roCopy)
    FRegion = ARegion->FRegion;
  else
    FRegion = FRegion.Combine(ARegion->FRegion, cxRegionOperationToCombineMode(AOperation));
  if (AFreeRegion)
    delete ARegion;
}

// ---- TcxCanvas: drawing ----

void TcxCanvas::FillRect(const TRect& R, TColor AColor)
{
  SetBrushColor(AColor);
  FCanvas->FillRect(R);
}

void TcxCanvas::SetBrushColor(TColor AColor)
{
  if (Brush()->Color() != AColor)
    Brush()->SetColor(AColor);
}

void TcxCanvas::FillRectWithBitmap(const TRect& R, TBitmap* ABitmap)
{
  if (!ABitmap || ABitmap->Empty()) {
    FCanvas->FillRect(R);
    return;
  }
  const Integer w = ABitmap->Width();
  const Integer h = ABitmap->Height();
  for (Integer col = FloorDiv(R.Left, w); col <= FloorDiv(R.Right - 1, w); ++col)
    for (Integer row = FloorDiv(R.Top, h); row <= FloorDiv(R.Bottom - 1, h); ++row) {
      TRect dest;
      if (!IntersectRect(dest, Bounds(col * w, row * h, w, h), R))
        continue;
      CopyRectFrom(dest, ABitmap->Canvas(), cxRectOffset(dest, -col * w, -row * h));
    }
}

void TcxCanvas::DrawFrameSides(const TRect& R, TColor AColor, Integer AWidth, TcxBorders ABorders)
{
  if (AColor != clDefault)
    SetBrushColor(AColor);
  if (ABorders.Contains(bLeft))
    FillRect(Rect(R.Left, R.Top, R.Left + AWidth, R.Bottom));
  if (ABorders.Contains(bRight))
    FillRect(Rect(R.Right - AWidth, R.Top, R.Right, R.Bottom));
  if (ABorders.Contains(bTop))
    FillRect(Rect(R.Left, R.Top, R.Right, R.Top + AWidth));
  if (ABorders.Contains(bBottom))
    FillRect(Rect(R.Left, R.Bottom - AWidth, R.Right, R.Bottom));
}

void TcxCanvas::DrawTwoColorFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor,
                                  TcxBorders ABorders, Integer ALineWidth)
{
  if (ABorders.Contains(bLeft))
    FillRect(Rect(R.Left, R.Top, R.Left + ALineWidth, R.Bottom), ALeftTopColor);
  if (ABorders.Contains(bTop))
    FillRect(Rect(R.Left, R.Top, R.Right, R.Top + ALineWidth), ALeftTopColor);
  if (ABorders.Contains(bRight))
    FillRect(Rect(R.Right - ALineWidth, R.Top, R.Right, R.Bottom), ARightBottomColor);
  if (ABorders.Contains(bBottom))
    FillRect(Rect(R.Left, R.Bottom - ALineWidth, R.Right, R.Bottom), ARightBottomColor);
}

void TcxCanvas::Draw3DEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ABorders)
{
  static constexpr TColor colors[2][2][2] = {
      // raised: inner, outer
      {{clBtnHighlight, clBtnShadow}, {cl3DLight, cl3DDkShadow}},
      // sunken: inner, outer
      {{cl3DDkShadow, cl3DLight}, {clBtnShadow, clBtnHighlight}}};
  const TColor* c = colors[ASunken][AOuter];
  DrawTwoColorFrame(R, c[0], c[1], ABorders, 1);
}

void TcxCanvas::DrawFocusFrame(const TRect& R)
{
  SetBrushColor(clWhite);
  Font()->SetColor(clBlack);
  FCanvas->DrawFocusRect(R);
}

void TcxCanvas::InvertArea(const TRect& R)
{
  FCanvas->SetCopyMode(cmDstInvert);
  FCanvas->CopyRect(R, FCanvas, R);
  FCanvas->SetCopyMode(cmSrcCopy);
}

void TcxCanvas::DrawGlyphBitmap(Integer X, Integer Y, TBitmap* ABitmap, bool AEnabled,
                                TColor ABackgroundColor)
{
  const Integer w = ABitmap->Width();
  const Integer h = ABitmap->Height();
  if (AEnabled) {
    const TBrushStyle style = Brush()->Style();
    if (ABackgroundColor == clNone)
      Brush()->SetStyle(bsClear);
    else
      SetBrushColor(ABackgroundColor);
    FCanvas->BrushCopy(Bounds(X, Y, w, h), ABitmap, Rect(0, 0, w, h), ABitmap->TransparentColor());
    Brush()->SetStyle(style);
    return;
  }
  TImageList images(w, h, nullptr);
  std::unique_ptr<TBitmap> background;
  if (ABackgroundColor != clNone) {
    background = std::make_unique<TBitmap>(w, h);
    background->Canvas()->Brush()->SetColor(ABackgroundColor);
    background->Canvas()->FillRect(Rect(0, 0, w, h));
  }
  images.AddMasked(ABitmap,
                   ABitmap->TransparentMode() == tmFixed ? ABitmap->TransparentColor() : clDefault);
  if (background) {
    images.Draw(background->Canvas(), 0, 0, 0, false);
    FCanvas->Draw(X, Y, background.get());
  } else
    images.Draw(FCanvas, X, Y, 0, false);
}

void TcxCanvas::DrawTextInState(const AnsiString& AText, TRect R, Integer AFlags, bool AEnabled)
{
  if (AText.empty())
    return;
  const bool extTextOut =
      (AFlags & ctfSingleLine) && !(AFlags & (ctfPrefix | ctfEndEllipsis | ctfPathEllipsis));
  TSize size;
  MeasureText(AText, size);
  const bool narrower = size.cx < cxRectWidth(R);
  const bool lower = size.cy < cxRectHeight(R);
  if (narrower && lower)
    AFlags |= ctfNoClip;
  const Integer d = AEnabled ? 0 : 1;
  Cardinal dtFlags = 0;
  Cardinal etoOptions = 0;
  if (!extTextOut) {
    if (!(AFlags & ctfSingleLine) && (AFlags & (ctfBottom | ctfVCenter))) {
      TRect calc = Rect(0, 0, cxRectWidth(R) - d, 0);
      CalcTextRect(AText, calc, AFlags);
      const Integer height = cxRectHeight(calc);
      if (AFlags & ctfBottom)
        R.Top = R.Bottom - (height + d);
      else
        R.Top = (R.Top + R.Bottom - height) / 2;
    }
    dtFlags = TextFlagsToDrawTextFlags(AFlags);
  } else {
    if (narrower) {
      if (AFlags & ctfRight)
        R.Left = R.Right - size.cx - d;
      else if (AFlags & ctfHCenter)
        R.Left = (R.Left + R.Right - size.cx) / 2;
    }
    if (lower) {
      if (AFlags & ctfBottom)
        R.Top = R.Bottom - size.cy - d;
      else if (AFlags & ctfVCenter)
        R.Top = (R.Top + R.Bottom - size.cy) / 2;
    }
    etoOptions = (AFlags & ctfNoClip) ? 0u : Cardinal(ETO_CLIPPED);
  }
  auto output = [&](const TRect& at) {
    if (extTextOut)
      FCanvas->ExtTextOut(at.Left, at.Top, etoOptions, &at, AText);
    else {
      TRect r = at;
      FCanvas->DrawText(AText, r, dtFlags);
    }
  };
  const TBrushStyle brushStyle = Brush()->Style();
  const TColor fontColor = Font()->Color();
  if (!AEnabled) {
    R = cxRectOffset(R, 1, 1);
    Brush()->SetStyle(bsClear);
    Font()->SetColor(clBtnHighlight);
    output(R);
    R = cxRectOffset(R, -1, -1);
    Font()->SetColor(clBtnShadow);
  }
  output(R);
  if (Brush()->Style() != brushStyle)
    Brush()->SetStyle(brushStyle);
  Font()->SetColor(fontColor);
}

// ---- TcxCanvas: measuring ----

void TcxCanvas::MeasureText(const AnsiString& AText, TSize& ASize)
{
  ASize = TSize{};
  if (!AText.empty())
    ASize = FCanvas->TextExtent(AText);
}

Integer TcxCanvas::TextWidth(const AnsiString& AText)
{
  TSize size;
  MeasureText(AText, size);
  return size.cx;
}

Integer TcxCanvas::TextHeight(const AnsiString& AText)
{
  TSize size;
  MeasureText(AText, size);
  return size.cy;
}

Integer TcxCanvas::FontLineHeight(TFont* AFont)
{
  AssignFont(AFont);
  return TextHeight("Qq");
}

void TcxCanvas::CalcTextRect(const AnsiString& AText, TRect& R, Integer AFlags)
{
  const Integer oldWidth = cxRectWidth(R);
  const Integer oldHeight = cxRectHeight(R);
  const Cardinal flags = TextFlagsToDrawTextFlags(AFlags);
  FCanvas->DrawText(AText, R, (flags & ~static_cast<Cardinal>(DT_VCENTER)) | DT_CALCRECT);
  Integer dx = 0;
  Integer dy = 0;
  if (flags & DT_CENTER)
    dx = (oldWidth - cxRectWidth(R)) / 2;
  else if (flags & DT_RIGHT)
    dx = oldWidth - cxRectWidth(R);
  if (flags & DT_VCENTER)
    dy = (oldHeight - cxRectHeight(R)) / 2;
  else if (flags & DT_BOTTOM)
    dy = oldHeight - cxRectHeight(R);
  OffsetRect(R, dx, dy);
}

// ---- TcxCanvas: clipping ----

TcxRegion* TcxCanvas::CopyClipRegion() const
{
  auto* result = new TcxRegion(0, 0, cxMaxRegionSize, cxMaxRegionSize);
  TRegion clip;
  if (FCanvas->GetClipRegion(clip))
    result->Handle() = clip;
  return result;
}

void TcxCanvas::SetClipRegion(TcxRegion* ARegion, TcxRegionOperation AOperation, bool AFreeRegion)
{
  if (AOperation == roCopy)
    FCanvas->SelectClipRegion(&ARegion->Handle());
  else {
    TRegion moved = ARegion->Handle();
    const TPoint origin = FCanvas->WindowOrg();
    moved.Offset(-origin.X, -origin.Y);
    std::unique_ptr<TcxRegion> clip(CopyClipRegion());
    TRegion combined = clip->Handle().Combine(moved, cxRegionOperationToCombineMode(AOperation));
    FCanvas->SelectClipRegion(&combined);
  }
  if (AFreeRegion)
    delete ARegion;
}

// ---- Screen canvases ----

TScreenCanvas::TScreenCanvas() : FScreen(std::make_unique<TImageSurface>(1, 1))
{
  SetSurface(FScreen.get());
}

TScreenCanvas::~TScreenCanvas()
{
  ReleaseHandle();
}

void TScreenCanvas::ReleaseHandle()
{
  SetSurface(nullptr);
}

TcxScreenCanvas::TcxScreenCanvas() : TcxCanvas(new TScreenCanvas) {}

TcxScreenCanvas::~TcxScreenCanvas()
{
  delete Canvas();
}

// ---- Colours ----

TColor NearestScreenColor(TColor AColor)
{
  TScreenCanvas screen;
  return GetNearestColor(&screen, AColor);
}

TColor MixSystemColors(Integer AFacePercent, Integer AHighlightPercent, Integer AWindowPercent)
{
  const TColor face = ColorToRGB(clBtnFace);
  const TColor highlight = ColorToRGB(clHighlight);
  const TColor window = ColorToRGB(clWindow);
  if (face == 0 || face == 0xFFFFFF)
    return highlight;
  auto channel = [&](Integer shift) {
    const Integer v = MulDiv((face >> shift) & 0xFF, AFacePercent, 100) +
                      MulDiv((highlight >> shift) & 0xFF, AHighlightPercent, 100) +
                      MulDiv((window >> shift) & 0xFF, AWindowPercent, 100);
    return std::clamp(v, 0, 255);
  };
  return RGB(static_cast<Byte>(channel(0)), static_cast<Byte>(channel(8)),
             static_cast<Byte>(channel(16)));
}

TColor HighlightTintDark()
{
  return NearestScreenColor(MixSystemColors(14, 44, 40));
}

TColor HighlightTintLight()
{
  return NearestScreenColor(MixSystemColors(-2, 30, 72));
}
