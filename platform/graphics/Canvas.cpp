// TCanvas: the drawing front end. It checks arguments, drops calls that draw nothing,
// maps logical to device coordinates (ToDevice), resolves pens, brushes and colours and
// hands the rest to its surface (Surface.h) and text engine (TextEngine.h). Text layout
// (DrawText) lives in CanvasText.cpp.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterCanvasClass()
{
  TClassRegistration<TCanvas, TPersistent>("TCanvas")
      .Property("Brush", &TCanvas::Brush, &TCanvas::SetBrush)
      .Property(
          "CopyMode", [](TCanvas* c) { return static_cast<Integer>(c->CopyMode()); },
          [](TCanvas* c, Integer v) { c->SetCopyMode(static_cast<TCopyMode>(v)); })
      .Default(static_cast<Integer>(cmSrcCopy))
      .Property("Font", &TCanvas::Font, &TCanvas::SetFont)
      .Property("Pen", &TCanvas::Pen, &TCanvas::SetPen);
}

namespace {

TRect NormalizedRect(Integer x1, Integer y1, Integer x2, Integer y2)
{
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

// An 8x8 hatch: true where the hatch line is.
bool HatchBit(TBrushStyle style, Integer x, Integer y)
{
  switch (style) {
  case bsHorizontal:
    return y == 0;
  case bsVertical:
    return x == 0;
  case bsFDiagonal:
    return x == y;
  case bsBDiagonal:
    return x + y == 7;
  case bsCross:
    return x == 0 || y == 0;
  case bsDiagCross:
    return x == y || x + y == 7;
  default:
    return true;
  }
}

} // namespace

struct TCanvas::TState {
  std::unique_ptr<TPen> Pen = std::make_unique<TPen>();
  std::unique_ptr<TBrush> Brush = std::make_unique<TBrush>();
  std::unique_ptr<TFont> Font = std::make_unique<TFont>();
  TCopyMode CopyMode = cmSrcCopy;
  TPoint WindowOrg;
  TPoint ViewportOrg;
  TPoint PenPos;
  Integer BkModeOverride = 0;
  TColor BkColorOverride = clNone;
  bool HasClip = false;
  TRegion Clip;
};

TCanvas::TCanvas()
    : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()),
      FFont(std::make_unique<TFont>())
{
}

TCanvas::TCanvas(TSurface* surface) : TCanvas()
{
  SetSurface(surface);
}

TCanvas::~TCanvas() = default;

void TCanvas::SetSurface(TSurface* surface)
{
  FSurface = surface;
  if (surface)
    FFont->SetPixelsPerInch(surface->PixelsPerInch());
}

TTextEngine& TCanvas::TextEngine() const
{
  return FTextEngine ? *FTextEngine : DefaultTextEngine();
}

TSurface& TCanvas::RequireSurface() const
{
  if (!FSurface)
    throw EInvalidOperation("Canvas does not allow drawing");
  return *FSurface;
}

Integer TCanvas::BkMode() const
{
  if (FBkModeOverride)
    return FBkModeOverride;
  return FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT;
}

TColor TCanvas::BkColor() const
{
  if (FBkColorOverride != clNone)
    return ColorToRGB(FBkColorOverride);
  TColor brush = ColorToRGB(FBrush->Color());
  return FBrush->Style() == bsSolid ? brush : ~brush & 0xFFFFFF;
}

TRect TCanvas::ToDevice(const TRect& r) const
{
  TPoint a = ToDevice(r.TopLeft()), b = ToDevice(r.BottomRight());
  return {a.X, a.Y, b.X, b.Y};
}

TGc TCanvas::MakeGc(Integer rop2) const
{
  TGc gc;
  gc.Clip = FClip.get();
  gc.Rop2 = rop2;
  gc.BkMode = BkMode();
  gc.BkColor = BkColor();
  return gc;
}

TFill TCanvas::BrushFill() const
{
  TFill fill;
  if (TBitmap* bmp = FBrush->Bitmap(); bmp && !bmp->Empty()) {
    fill.Patterned = true;
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 8; ++x) {
        TColor c = bmp->Pixel(x % bmp->Width(), y % bmp->Height());
        // A monochrome pattern takes the text colour for black and the background
        // colour for white.
        if (bmp->Monochrome())
          c = c == 0 ? ColorToRGB(FFont->Color()) : ColorToRGB(FBrush->Color());
        fill.Pattern[y * 8 + x] = c;
      }
    return fill;
  }
  TColor color = ColorToRGB(FBrush->Color());
  if (FBrush->Style() == bsSolid || FBrush->Style() == bsClear)
    return TFill::Solid(color);
  fill.Patterned = true;
  fill.Mask = 0;
  bool opaque = BkMode() == OPAQUE;
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) {
      bool line = HatchBit(FBrush->Style(), x, y);
      fill.Pattern[y * 8 + x] = line ? color : BkColor();
      if (line || opaque)
        fill.Mask |= std::uint64_t(1) << (y * 8 + x);
    }
  return fill;
}

// ---------------------------------------------------------------------------------------
// Lines and shapes

void TCanvas::MoveTo(Integer x, Integer y)
{
  FPenPos = {x, y};
}

void TCanvas::LineTo(Integer x, Integer y)
{
  RequireSurface();
  StrokePath({ToDevice(FPenPos), ToDevice(Point(x, y))});
  FPenPos = {x, y};
}

void TCanvas::StrokePath(const std::vector<TPoint>& devicePoints)
{
  if (FPen->Style() == psClear || devicePoints.size() < 2)
    return;
  TStroke pen{ColorToRGB(FPen->Color()), FPen->Width(), FPen->Style()};
  RequireSurface().StrokeLines(devicePoints.data(), static_cast<Integer>(devicePoints.size()), pen,
                               MakeGc(PenModeToRop2(FPen->Mode())));
}

void TCanvas::Polyline(const TPoint* points, Integer count)
{
  RequireSurface();
  std::vector<TPoint> d;
  for (Integer i = 0; i < count; ++i)
    d.push_back(ToDevice(points[i]));
  StrokePath(d);
}

void TCanvas::PolyPolyline(const TPoint* points, const Integer* counts, Integer lines)
{
  for (Integer i = 0; i < lines; ++i) {
    Polyline(points, counts[i]);
    points += counts[i];
  }
}

void TCanvas::DrawShape(TSurfaceShape& shape)
{
  TSurface& surface = RequireSurface();
  shape.Box = ToDevice(shape.Box);
  for (TPoint& p : shape.Points)
    p = ToDevice(p);
  if (shape.Kind == TSurfaceShape::skArc || shape.Kind == TSurfaceShape::skPie ||
      shape.Kind == TSurfaceShape::skChord) {
    shape.P1 = ToDevice(shape.P1);
    shape.P2 = ToDevice(shape.P2);
  }
  TStroke pen{ColorToRGB(FPen->Color()), FPen->Width(), FPen->Style()};
  TGc gc = MakeGc(PenModeToRop2(FPen->Mode()));
  if (shape.Kind != TSurfaceShape::skArc && FBrush->Style() != bsClear)
    surface.FillShapeInside(shape, pen, BrushFill(), gc);
  surface.StrokeShape(shape, pen, gc);
}

void TCanvas::Polygon(const TPoint* points, Integer count)
{
  if (count < 2)
    return;
  TSurfaceShape s;
  s.Kind = TSurfaceShape::skPolygon;
  s.Points.assign(points, points + count);
  DrawShape(s);
}

void TCanvas::PolyPolygon(const TPoint* points, const Integer* counts, Integer polygons)
{
  TSurfaceShape s;
  s.Kind = TSurfaceShape::skPolygon;
  Integer total = 0;
  for (Integer i = 0; i < polygons; ++i) {
    s.Counts.push_back(counts[i]);
    total += counts[i];
  }
  if (total < 2)
    return;
  s.Points.assign(points, points + total);
  DrawShape(s);
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2)
{
  TSurfaceShape s;
  s.Kind = TSurfaceShape::skRect;
  s.Box = NormalizedRect(x1, y1, x2, y2);
  if (IsRectEmpty(s.Box))
    return;
  DrawShape(s);
}

void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3)
{
  TSurfaceShape s;
  s.Kind = TSurfaceShape::skRoundRect;
  s.Box = NormalizedRect(x1, y1, x2, y2);
  s.P1 = {x3, y3};
  if (IsRectEmpty(s.Box))
    return;
  DrawShape(s);
}

void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2)
{
  TSurfaceShape s;
  s.Kind = TSurfaceShape::skEllipse;
  s.Box = NormalizedRect(x1, y1, x2, y2);
  if (IsRectEmpty(s.Box))
    return;
  DrawShape(s);
}

namespace {

// An arc, pie or chord: the ellipse in box, cut along the rays towards p1 and p2.
TSurfaceShape CurvedShape(TSurfaceShape::TKind kind, const TRect& box, TPoint p1, TPoint p2)
{
  TSurfaceShape s;
  s.Kind = kind;
  s.Box = box;
  s.P1 = p1;
  s.P2 = p2;
  return s;
}

} // namespace

void TCanvas::Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3,
                  Integer x4, Integer y4)
{
  TSurfaceShape s =
      CurvedShape(TSurfaceShape::skArc, NormalizedRect(x1, y1, x2, y2), {x3, y3}, {x4, y4});
  if (!IsRectEmpty(s.Box))
    DrawShape(s);
}

void TCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3,
                  Integer x4, Integer y4)
{
  TSurfaceShape s =
      CurvedShape(TSurfaceShape::skPie, NormalizedRect(x1, y1, x2, y2), {x3, y3}, {x4, y4});
  if (!IsRectEmpty(s.Box))
    DrawShape(s);
}

void TCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3,
                    Integer x4, Integer y4)
{
  TSurfaceShape s =
      CurvedShape(TSurfaceShape::skChord, NormalizedRect(x1, y1, x2, y2), {x3, y3}, {x4, y4});
  if (!IsRectEmpty(s.Box))
    DrawShape(s);
}

void TCanvas::FillRect(const TRect& rect)
{
  TSurface& surface = RequireSurface();
  if (IsRectEmpty(rect) || FBrush->Style() == bsClear)
    return;
  surface.FillArea(TRegion(ToDevice(rect)), BrushFill(), MakeGc(R2_COPYPEN));
}

void TCanvas::FrameRect(const TRect& rect)
{
  TSurface& surface = RequireSurface();
  if (IsRectEmpty(rect) || FBrush->Style() == bsClear)
    return;
  TRect d = ToDevice(rect), inner = d;
  InflateRect(inner, -1, -1);
  TRegion frame = TRegion(d).Combine(TRegion(inner), RGN_DIFF);
  surface.FillArea(frame, BrushFill(), MakeGc(R2_COPYPEN));
}

void TCanvas::FillRegion(const TRegion& region)
{
  TSurface& surface = RequireSurface();
  if (region.IsEmpty() || FBrush->Style() == bsClear)
    return;
  TRegion d = region;
  d.Offset(FViewportOrg.X - FWindowOrg.X, FViewportOrg.Y - FWindowOrg.Y);
  surface.FillArea(d, BrushFill(), MakeGc(R2_COPYPEN));
}

void TCanvas::FrameRegion(const TRegion& region, Integer width, Integer height)
{
  TSurface& surface = RequireSurface();
  if (region.IsEmpty() || width <= 0 || height <= 0)
    return;
  TRegion d = region;
  d.Offset(FViewportOrg.X - FWindowOrg.X, FViewportOrg.Y - FWindowOrg.Y);
  // The inside is what stays in the region when it is shifted by up to the frame size in
  // each direction.
  TRegion inside = d;
  for (auto [dx, dy] : {std::pair{width, 0}, {-width, 0}, {0, height}, {0, -height}}) {
    TRegion moved = d;
    moved.Offset(dx, dy);
    inside = inside.Combine(moved, RGN_AND);
  }
  surface.FillArea(d.Combine(inside, RGN_DIFF), BrushFill(), MakeGc(R2_COPYPEN));
}

void TCanvas::InvertRect(const TRect& rect)
{
  TSurface& surface = RequireSurface();
  if (IsRectEmpty(rect))
    return;
  surface.FillArea(TRegion(ToDevice(rect)), TFill::Solid(0), MakeGc(R2_NOT));
}

void TCanvas::DrawFocusRect(const TRect& rect)
{
  TSurface& surface = RequireSurface();
  if (IsRectEmpty(rect))
    return;
  TRect d = ToDevice(rect), inner = d;
  InflateRect(inner, -1, -1);
  TRegion frame = TRegion(d).Combine(TRegion(inner), RGN_DIFF);
  // Every other pixel, counted from the device origin, is inverted.
  TFill dots;
  dots.Patterned = true;
  for (Integer i = 0; i < 64; ++i)
    dots.Pattern[i] = ((i / 8 + i % 8) % 2 == 0) ? 0xFFFFFF : 0;
  surface.FillArea(frame, dots, MakeGc(R2_XORPEN));
}

TColor TCanvas::Pixels(Integer x, Integer y) const
{
  TPoint d = ToDevice(Point(x, y));
  return RequireSurface().GetPixel(d.X, d.Y);
}

void TCanvas::SetPixels(Integer x, Integer y, TColor color)
{
  TPoint d = ToDevice(Point(x, y));
  RequireSurface().SetPixel(d.X, d.Y, ColorToRGB(color), MakeGc(R2_COPYPEN));
}

// ---------------------------------------------------------------------------------------
// Pictures and block copies

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic)
{
  if (!graphic || graphic->Empty())
    return;
  graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
  if (!graphic || graphic->Empty())
    return;
  graphic->Draw(this, rect);
}

void TCanvas::StretchBlt(const TRect& dest, TCanvas* source, const TRect& sourceRect, TCopyMode rop)
{
  TSurface& surface = RequireSurface();
  const TImageSurface* src = nullptr;
  if (source) {
    src = dynamic_cast<const TImageSurface*>(source->FSurface);
    if (!src)
      return;
  }
  if (dest.Width() == 0 || dest.Height() == 0)
    return;
  surface.CopyBits(ToDevice(dest), src, source ? source->ToDevice(sourceRect) : sourceRect,
                   BrushFill(), rop, MakeGc(R2_COPYPEN));
}

void TCanvas::CopyImage(const TRect& dest, const TImageSurface& image, const TRect& sourceRect,
                        TCopyMode rop, TColor transparent)
{
  TSurface& surface = RequireSurface();
  if (dest.Width() == 0 || dest.Height() == 0 || sourceRect.Width() == 0 ||
      sourceRect.Height() == 0)
    return;
  TRect d = ToDevice(dest);
  TGc gc = MakeGc(R2_COPYPEN);
  if (transparent != clNone && (rop == cmSrcCopy) &&
      surface.CopyBitsTransparent(d, image, sourceRect, transparent, gc))
    return;
  TRegion visible;
  if (transparent != clNone) {
    // The destination pixels whose source pixel is not the transparent colour.
    TRect n = {std::min(d.Left, d.Right), std::min(d.Top, d.Bottom), std::max(d.Left, d.Right),
               std::max(d.Top, d.Bottom)};
    TRect s = {
        std::min(sourceRect.Left, sourceRect.Right), std::min(sourceRect.Top, sourceRect.Bottom),
        std::max(sourceRect.Left, sourceRect.Right), std::max(sourceRect.Top, sourceRect.Bottom)};
    bool flipX = (d.Right < d.Left) != (sourceRect.Right < sourceRect.Left);
    bool flipY = (d.Bottom < d.Top) != (sourceRect.Bottom < sourceRect.Top);
    std::vector<std::vector<TRegion::TSpan>> rows(static_cast<size_t>(n.Height()));
    for (Integer y = n.Top; y < n.Bottom; ++y) {
      Integer v = static_cast<Integer>(Int64(y - n.Top) * s.Height() / n.Height());
      Integer sy = s.Top + (flipY ? s.Height() - 1 - v : v);
      for (Integer x = n.Left; x < n.Right; ++x) {
        Integer u = static_cast<Integer>(Int64(x - n.Left) * s.Width() / n.Width());
        Integer sx = s.Left + (flipX ? s.Width() - 1 - u : u);
        if (sx < 0 || sy < 0 || sx >= image.Width() || sy >= image.Height() ||
            image.Pixel(sx, sy) != transparent)
          rows[y - n.Top].push_back({x, x + 1});
      }
    }
    visible = TRegion::FromRows(n.Top, rows);
    if (FClip)
      visible = visible.Combine(*FClip, RGN_AND);
    gc.Clip = &visible;
  }
  surface.CopyBits(d, &image, sourceRect, BrushFill(), rop, gc);
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color)
{
  RequireSurface();
  if (!bitmap || bitmap->Empty())
    return;
  FillRect(dest);
  CopyImage(dest, static_cast<const TBitmap*>(bitmap)->Surface(), source, SRCCOPY,
            ColorToRGB(color));
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
  StretchBlt(dest, source, sourceRect, FCopyMode);
}

void TCanvas::BitBlt(Integer x, Integer y, Integer width, Integer height, TCanvas* source,
                     Integer sx, Integer sy, TCopyMode rop)
{
  StretchBlt(Bounds(x, y, width, height), source, Bounds(sx, sy, width, height), rop);
}

// ---------------------------------------------------------------------------------------
// Clipping and state

TRect TCanvas::ClipRect() const
{
  if (!FSurface)
    return TRect();
  TRegion bounds(Rect(0, 0, FSurface->Width(), FSurface->Height()));
  TRect r = (FClip ? FClip->Combine(bounds, RGN_AND) : bounds).Bounds();
  OffsetRect(r, FWindowOrg.X - FViewportOrg.X, FWindowOrg.Y - FViewportOrg.Y);
  return r;
}

bool TCanvas::GetClipRegion(TRegion& region) const
{
  if (!FClip)
    return false;
  region = *FClip;
  return true;
}

void TCanvas::SelectClipRegion(const TRegion* region)
{
  FClip = region ? std::make_unique<TRegion>(*region) : nullptr;
}

void TCanvas::IntersectClipRect(const TRect& rect)
{
  TRegion r(ToDevice(rect));
  if (FClip)
    *FClip = FClip->Combine(r, RGN_AND);
  else
    FClip = std::make_unique<TRegion>(r);
}

void TCanvas::ExcludeClipRect(const TRect& rect)
{
  TSurface& surface = RequireSurface();
  TRegion base = FClip ? *FClip : TRegion(Rect(0, 0, surface.Width(), surface.Height()));
  FClip = std::make_unique<TRegion>(base.Combine(TRegion(ToDevice(rect)), RGN_DIFF));
}

bool TCanvas::RectVisible(const TRect& rect) const
{
  if (!FSurface)
    return false;
  TRegion bounds(Rect(0, 0, FSurface->Width(), FSurface->Height()));
  const TRegion area = FClip ? FClip->Combine(bounds, RGN_AND) : bounds;
  return area.Intersects(ToDevice(rect));
}

// Screens and the bitmaps made for them: raster surfaces that are not printers.
bool TCanvas::ScreenDevice() const
{
  return FSurface && FSurface->Kind() == skRaster && !FSurface->IsPrinter();
}

Integer TCanvas::GetDeviceCaps(Integer index) const
{
  if (!FSurface)
    return 0;
  Integer ppi = FSurface->PixelsPerInch();
  const TPageMedia* media = FSurface->Media();
  Integer width = media ? media->PrintableWidth : FSurface->Width();
  Integer height = media ? media->PrintableHeight : FSurface->Height();
  switch (index) {
  case TECHNOLOGY:
    if (FSurface->IsPrinter())
      return DT_RASPRINTER;
    return FSurface->Kind() == skRecording ? DT_METAFILE : DT_RASDISPLAY;
  case HORZSIZE:
    return MulDiv(width, 254, ppi * 10);
  case VERTSIZE:
    return MulDiv(height, 254, ppi * 10);
  case HORZRES:
    return width;
  case VERTRES:
    return height;
  case PHYSICALWIDTH:
    return media ? media->PhysicalWidth : width;
  case PHYSICALHEIGHT:
    return media ? media->PhysicalHeight : height;
  case PHYSICALOFFSETX:
    return media ? media->OffsetX : 0;
  case PHYSICALOFFSETY:
    return media ? media->OffsetY : 0;
  case BITSPIXEL:
    return ScreenDevice() ? ScreenColorDepth() : 32;
  case PLANES:
    return 1;
  case NUMCOLORS:
    return ScreenDevice() && ScreenColorDepth() <= 8 ? 20 : -1;
  case LOGPIXELSX:
  case LOGPIXELSY:
    return ppi;
  default:
    return 0;
  }
}

Integer GetObjectType(const TCanvas* canvas)
{
  if (!canvas || !canvas->Surface())
    return 0;
  return canvas->Surface()->Kind() == skRecording ? OBJ_ENHMETADC : OBJ_DC;
}

Integer TCanvas::SaveDC()
{
  TState s;
  s.Pen->Assign(FPen.get());
  s.Brush->Assign(FBrush.get());
  s.Font->SetPixelsPerInch(FFont->PixelsPerInch());
  s.Font->Assign(FFont.get());
  s.CopyMode = FCopyMode;
  s.WindowOrg = FWindowOrg;
  s.ViewportOrg = FViewportOrg;
  s.PenPos = FPenPos;
  s.BkModeOverride = FBkModeOverride;
  s.BkColorOverride = FBkColorOverride;
  s.HasClip = FClip != nullptr;
  if (FClip)
    s.Clip = *FClip;
  FSaved.push_back(std::move(s));
  return static_cast<Integer>(FSaved.size());
}

bool TCanvas::RestoreDC(Integer id)
{
  if (FSaved.empty())
    return false;
  size_t index = id < 0 ? FSaved.size() - 1 : static_cast<size_t>(id - 1);
  if (id == 0 || index >= FSaved.size())
    return false;
  TState& s = FSaved[index];
  FPen->Assign(s.Pen.get());
  FBrush->Assign(s.Brush.get());
  FFont->Assign(s.Font.get());
  FCopyMode = s.CopyMode;
  FWindowOrg = s.WindowOrg;
  FViewportOrg = s.ViewportOrg;
  FPenPos = s.PenPos;
  FBkModeOverride = s.BkModeOverride;
  FBkColorOverride = s.BkColorOverride;
  SelectClipRegion(s.HasClip ? &s.Clip : nullptr);
  FSaved.resize(index);
  return true;
}

void TCanvas::Assign(TPersistent* Source)
{
  auto* canvas = dynamic_cast<TCanvas*>(Source);
  if (!canvas) {
    TPersistent::Assign(Source);
    return;
  }
  FPen->Assign(canvas->FPen.get());
  FBrush->Assign(canvas->FBrush.get());
  FFont->Assign(canvas->FFont.get());
  FCopyMode = canvas->FCopyMode;
}

// ---------------------------------------------------------------------------------------
// Edges

namespace {

void EdgeLine(TCanvas* canvas, const TRect& r, TColor color)
{
  if (IsRectEmpty(r))
    return;
  canvas->Brush()->SetColor(color);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(r);
}

// One ring of an edge: top and left first, then right and bottom, which own the corners
// they share with them.
void EdgeRing(TCanvas* canvas, TRect& r, Cardinal flags, TColor topLeft, TColor bottomRight)
{
  if (flags & BF_LEFT)
    EdgeLine(canvas, Rect(r.Left, r.Top, r.Left + 1, r.Bottom), topLeft);
  if (flags & BF_TOP)
    EdgeLine(canvas, Rect(r.Left, r.Top, r.Right, r.Top + 1), topLeft);
  if (flags & BF_RIGHT)
    EdgeLine(canvas, Rect(r.Right - 1, r.Top, r.Right, r.Bottom), bottomRight);
  if (flags & BF_BOTTOM)
    EdgeLine(canvas, Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), bottomRight);
  if (flags & BF_LEFT)
    ++r.Left;
  if (flags & BF_TOP)
    ++r.Top;
  if (flags & BF_RIGHT)
    --r.Right;
  if (flags & BF_BOTTOM)
    --r.Bottom;
}

} // namespace

bool DrawEdge(TCanvas* canvas, TRect& rect, Cardinal edge, Cardinal flags)
{
  if (!canvas)
    return false;
  TCanvasSaver saver(*canvas);
  TRect r = rect;
  Cardinal outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
  Cardinal inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
  bool soft = flags & BF_SOFT;
  if (flags & BF_MONO) {
    if (outer)
      EdgeRing(canvas, r, flags, clWindowFrame, clWindowFrame);
    if (inner)
      EdgeRing(canvas, r, flags, clWindow, clWindow);
  } else if (flags & BF_FLAT) {
    if (outer)
      EdgeRing(canvas, r, flags, clBtnShadow, clBtnShadow);
    if (inner)
      EdgeRing(canvas, r, flags, clBtnFace, clBtnFace);
  } else {
    if (outer == BDR_RAISEDOUTER)
      EdgeRing(canvas, r, flags, soft ? clBtnHighlight : cl3DLight, cl3DDkShadow);
    else if (outer == BDR_SUNKENOUTER)
      EdgeRing(canvas, r, flags, clBtnShadow, clBtnHighlight);
    if (inner == BDR_RAISEDINNER)
      EdgeRing(canvas, r, flags, soft ? cl3DLight : clBtnHighlight, clBtnShadow);
    else if (inner == BDR_SUNKENINNER)
      EdgeRing(canvas, r, flags, soft ? clBtnShadow : cl3DDkShadow, cl3DLight);
  }
  if (flags & BF_MIDDLE)
    EdgeLine(canvas, r, (flags & BF_MONO) ? clWindow : clBtnFace);
  if (flags & BF_ADJUST)
    rect = r;
  return true;
}

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width)
{
  TCanvasSaver saver(*canvas);
  for (Integer i = 0; i < width; ++i)
    EdgeRing(canvas, rect, BF_RECT, topColor, bottomColor);
}
