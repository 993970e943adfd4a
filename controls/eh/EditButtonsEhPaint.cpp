// Painting of edit buttons and check boxes in the classic look, the cache of painted faces
// and the sizes of flat buttons (see EditButtonsEh.h).
#include <algorithm>

#include "controls/eh/EditButtonsEh.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Math.h"

bool PaintButtonsThroughCache = true;
Integer FlatButtonWidthDefault = 11;
Integer SystemCheckBoxWidth = 13;
Integer SystemCheckBoxHeight = 13;

namespace {

std::unique_ptr<TButtonsBitmapCache> SharedCache;

TRect Shrunk(const TRect& r, Integer d)
{
  return TRect(r.Left + d, r.Top + d, r.Right - d, r.Bottom - d);
}

void FillArea(TCanvas* Canvas, const TRect& R, TColor Color)
{
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(R);
}

// Paints a symbol made of rectangles (each at Offset) in the button-text colour, or
// embossed when disabled.
void PaintSymbol(TCanvas* Canvas, const std::vector<TRect>& Parts, bool Enabled)
{
  auto paint = [&](TColor color, Integer offset) {
    for (const TRect& r : Parts)
      FillArea(Canvas, Rect(r.Left + offset, r.Top + offset, r.Right + offset, r.Bottom + offset),
               color);
  };
  if (Enabled) {
    paint(clBtnText, 0);
    return;
  }
  paint(clBtnHighlight, 1);
  paint(clBtnShadow, 0);
}

void PaintEllipsis(TCanvas* Canvas, const TRect& Inner, bool Pressed, bool Enabled)
{
  Integer w = Inner.Width(), h = Inner.Height();
  Integer side = w <= 7 ? 1 : 2;
  Integer gap = w < 12 ? 1 : 2;
  Integer x = Inner.Left + w / 2 - side / 2;
  Integer y = Inner.Top + h / 2 - side / 2;
  if (Pressed) {
    ++x;
    ++y;
  }
  PaintSymbol(Canvas,
              {Bounds(x - gap - side, y, side, side), Bounds(x, y, side, side),
               Bounds(x + side + gap, y, side, side)},
              Enabled);
}

void PaintPlusMinus(TCanvas* Canvas, const TRect& Inner, bool Plus, bool Flat, bool Pressed,
                    bool Enabled)
{
  TSize bar = PlusMinusBarSize(std::min(Inner.Width(), Inner.Height()), Plus, Flat);
  Integer w = bar.cx, h = bar.cy;
  Integer x = Inner.Left + (Inner.Width() - w) / 2;
  Integer y = Inner.Top + (Inner.Height() - h) / 2;
  if (Pressed) {
    ++x;
    ++y;
  }
  std::vector<TRect> parts{Bounds(x, y, w, h)};
  if (Plus) {
    Integer d = w / 2 - h / 2;
    parts.push_back(Bounds(x + d, y - d, h, w));
  }
  PaintSymbol(Canvas, parts, Enabled);
}

// Draws a face through the cache or directly.
void DrawFace(TCanvas* Canvas, const TRect& R, const TButtonBitmapDescriptionEh& D)
{
  if (R.Width() <= 0 || R.Height() <= 0)
    return;
  if (PaintButtonsThroughCache) {
    TButtonBitmapDescriptionEh sized = D;
    sized.Width = R.Width();
    sized.Height = R.Height();
    Canvas->Draw(R.Left, R.Top, SharedButtonBitmaps()->BitmapFor(sized));
    return;
  }
  if (D.Kind == bpkCheckBox)
    DrawCheckBoxFace(Canvas, R, D.CheckState, D.Active, D.Pressed, D.Flat, D.Enabled);
  else
    DrawButtonOfKind(Canvas, R, D.Kind, D.Enabled, D.Flat, D.Active, D.Pressed, D.LowerHalf);
}

} // namespace

TSize PlusMinusBarSize(Integer M, bool Plus, bool Flat)
{
  Integer w = std::max(1, M * 4 / 7);
  Integer h = std::max(1, w / 3);
  if (Flat)
    --w;
  if ((w & 1) != (M & 1))
    ++w;
  if (Plus && (w & 1) != (h & 1))
    w += M < 12 ? 1 : -1;
  return {w, h};
}

void DrawButtonOfKind(TCanvas* Canvas, const TRect& Rect, TButtonPaintKindEh Kind, bool Enabled,
                      bool Flat, bool Active, bool Pressed, bool LowerHalf)
{
  {
    TCanvasSaver saver(*Canvas);
    TRect r = Rect;
    if (Flat) {
      // The frame control's own border falls outside and is clipped away.
      Canvas->IntersectClipRect(Active ? Shrunk(Rect, 1) : Rect);
      r = Shrunk(Rect, Active ? -1 : -2);
    }
    Cardinal flags = 0;
    if (Pressed)
      flags |= DFCS_PUSHED;
    if (Flat)
      flags |= DFCS_FLAT;
    if (!Enabled)
      flags |= DFCS_INACTIVE;
    switch (Kind) {
    case bpkDropDown:
      DrawFrameControl(Canvas, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | flags);
      break;
    case bpkUpDown:
      flags |= LowerHalf ? Cardinal(DFCS_SCROLLDOWN) : Cardinal(DFCS_SCROLLUP);
      DrawFrameControl(Canvas, r, DFC_SCROLL, flags);
      break;
    case bpkEllipsis:
    case bpkPlus:
    case bpkMinus:
      if (Flat) {
        FillArea(Canvas, r, clBtnFace);
        r = Shrunk(r, 1);
      } else {
        DrawEdge(Canvas, r, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
        r = Shrunk(r, 2);
      }
      if (Kind == bpkEllipsis)
        PaintEllipsis(Canvas, r, Pressed, Enabled);
      else
        PaintPlusMinus(Canvas, r, Kind == bpkPlus, Flat, Pressed, Enabled);
      break;
    case bpkCheckBox:
      break;
    }
  }
  if (Flat && Active) {
    TRect r = Rect;
    DrawEdge(Canvas, r, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
}

void DrawCheckBoxFace(TCanvas* Canvas, const TRect& Rect, Integer CheckState, bool Active,
                      bool Pressed, bool Flat, bool Enabled)
{
  Integer side = std::min(Rect.Width(), Rect.Height());
  if (side <= 0)
    return;
  // An odd difference leaves the extra pixel after the square.
  TRect square = Bounds(Rect.Left + (Rect.Width() - side) / 2,
                        Rect.Top + (Rect.Height() - side) / 2, side, side);
  Cardinal flags = DFCS_BUTTONCHECK;
  if (CheckState == 1)
    flags |= DFCS_CHECKED;
  else if (CheckState == 2)
    flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
  if (!Enabled)
    flags |= DFCS_INACTIVE;
  if (Pressed)
    flags |= DFCS_PUSHED;
  if (!Flat) {
    DrawFrameControl(Canvas, square, DFC_BUTTON, flags);
    return;
  }
  {
    TCanvasSaver saver(*Canvas);
    Canvas->IntersectClipRect(Shrunk(square, 1));
    TRect larger = Shrunk(square, -1);
    DrawFrameControl(Canvas, larger, DFC_BUTTON, flags);
  }
  Canvas->Brush()->SetColor(Active ? clBtnFace : clBtnShadow);
  Canvas->FrameRect(square);
}

TRect FitCheckBoxRect(const TRect& Cell, TAlignment Alignment, TTextLayout Layout)
{
  Integer w = std::min(SystemCheckBoxWidth, Cell.Width());
  Integer h = std::min(SystemCheckBoxHeight, Cell.Height());
  Integer x = Cell.Left, y = Cell.Top;
  if (Cell.Width() > SystemCheckBoxWidth) {
    if (Alignment == taRightJustify)
      x = Cell.Right - w;
    else if (Alignment == taCenter)
      x = Cell.Left + (Cell.Width() - w) / 2;
  }
  if (Cell.Height() > SystemCheckBoxHeight) {
    if (Layout == tlBottom)
      y = Cell.Bottom - h;
    else if (Layout == tlCenter)
      y = Cell.Top + (Cell.Height() - h) / 2;
  }
  return Bounds(x, y, w, h);
}

void PaintButtonFace(TCanvas* Canvas, const TRect& Rect, TColor ParentColor,
                     TButtonPaintKindEh Kind, Integer PressedPart, bool Flat, bool Active,
                     bool Enabled, Integer CheckState)
{
  TButtonBitmapDescriptionEh d;
  d.Kind = Kind;
  d.Flat = Flat;
  d.Active = Active;
  d.Enabled = Enabled;
  d.CheckState = CheckState;
  if (Kind == bpkCheckBox) {
    Integer side = std::min(Rect.Width(), Rect.Height());
    TRect box = Bounds(Rect.Left + (Rect.Width() - side) / 2, Rect.Top + (Rect.Height() - side) / 2,
                       side, side);
    d.Pressed = PressedPart != 0;
    DrawFace(Canvas, Flat ? Shrunk(box, 1) : box, d);
    if (!Flat)
      return;
    if (Active) {
      DrawEdge(Canvas, box, BDR_SUNKENOUTER, BF_RECT);
    } else {
      Canvas->Brush()->SetColor(ParentColor);
      Canvas->FrameRect(box);
    }
    return;
  }
  // A flat button without the mouse is painted one pixel inside, in a ring of the parent's
  // colour.
  bool ring = Flat && !Active;
  TRect r = ring ? Shrunk(Rect, 1) : Rect;
  {
    TCanvasSaver saver(*Canvas);
    if (ring)
      Canvas->IntersectClipRect(r);
    if (Kind == bpkUpDown) {
      Integer half = r.Height() / 2;
      TRect upper(r.Left, r.Top, r.Right, r.Top + half);
      TRect lower(r.Left, r.Bottom - half, r.Right, r.Bottom);
      d.Pressed = PressedPart == 1;
      DrawFace(Canvas, upper, d);
      d.Pressed = PressedPart == 2;
      d.LowerHalf = true;
      DrawFace(Canvas, lower, d);
      if (upper.Bottom < lower.Top)
        FillArea(Canvas, TRect(r.Left, upper.Bottom, r.Right, lower.Top), ParentColor);
    } else {
      d.Pressed = PressedPart != 0;
      DrawFace(Canvas, r, d);
    }
  }
  if (ring) {
    Canvas->Brush()->SetColor(ParentColor);
    Canvas->FrameRect(Rect);
  }
}

// ---- The cache ----

TBitmap* TButtonsBitmapCache::BitmapFor(TButtonBitmapDescriptionEh Description)
{
  Description.Width = std::max(0, Description.Width);
  Description.Height = std::max(0, Description.Height);
  for (const auto& entry : FEntries)
    if (entry->Description == Description)
      return entry->Bitmap.get();
  if (Count() >= MaxEntries)
    Clear();
  auto entry = std::make_unique<TButtonBitmapInfoBitmapEh>();
  entry->Description = Description;
  entry->Bitmap = std::make_unique<TBitmap>(Description.Width, Description.Height);
  TCanvas* canvas = entry->Bitmap->Canvas();
  TRect r(0, 0, Description.Width, Description.Height);
  const TButtonBitmapDescriptionEh& d = Description;
  if (d.Width > 0 && d.Height > 0) {
    if (d.Kind == bpkCheckBox)
      DrawCheckBoxFace(canvas, r, d.CheckState, d.Active, d.Pressed, d.Flat, d.Enabled);
    else
      DrawButtonOfKind(canvas, r, d.Kind, d.Enabled, d.Flat, d.Active, d.Pressed, d.LowerHalf);
  }
  FEntries.push_back(std::move(entry));
  return FEntries.back()->Bitmap.get();
}

TButtonsBitmapCache* SharedButtonBitmaps()
{
  if (!SharedCache)
    SharedCache = std::make_unique<TButtonsBitmapCache>();
  return SharedCache.get();
}

void FlushButtonBitmaps()
{
  if (SharedCache)
    SharedCache->Clear();
}

// ---- Sizes ----

Integer FlatEditButtonWidthFor(Integer CharHeight)
{
  Integer w = static_cast<Integer>(Round(CharHeight * 2 / 3.0L));
  if (w % 2 == 0)
    ++w;
  return std::min(w, GetSystemMetrics(SM_CXVSCROLL));
}

Integer FlatEditButtonWidth()
{
  // The system font as a fresh screen device context holds it: the default font.
  TBitmap probe(1, 1);
  return FlatEditButtonWidthFor(probe.Canvas()->GetTextMetrics().tmHeight);
}

Integer EditButtonHeightFor(Integer Width, bool Flat)
{
  if (!Flat)
    return Width;
  return static_cast<Integer>(Round(Width * 3 / 2.0L));
}
