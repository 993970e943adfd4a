// The raster backend: an integer rasteriser over 32-bit pixels with the platform's rules
// (line end points excluded, right/bottom edges excluded, brushes anchored at the device
// origin, raster operations on the pixel bits). cairo only owns the pixels for glyph
// drawing and PNG output. See Surface.h.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <cairo.h>

#include "platform/graphics/Surface.h"

namespace {

using TSpan = TRegion::TSpan;

// 0x00BBGGRR <-> 0x00RRGGBB.
inline std::uint32_t SwapRB(std::uint32_t c)
{
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A binary raster operation over the colour bits: R2 code c - 1 is the truth table
// indexed by pen bit * 2 + pixel bit.
inline std::uint32_t Rop2(Integer code, std::uint32_t p, std::uint32_t d)
{
  unsigned t = static_cast<unsigned>(code - 1) & 15;
  std::uint32_t r = 0;
  if (t & 1)
    r |= ~p & ~d;
  if (t & 2)
    r |= ~p & d;
  if (t & 4)
    r |= p & ~d;
  if (t & 8)
    r |= p & d;
  return r & 0xFFFFFF;
}

// A ternary raster operation: truth-table bit (P << 2 | S << 1 | D) of the index byte.
inline std::uint32_t Rop3(unsigned index, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
  std::uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!((index >> i) & 1))
      continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0xFFFFFF;
}

// The rectangle of a region that is one, or false.
bool SingleRect(const TRegion& region, TRect& rect)
{
  const std::vector<TRegion::TBand>& bands = region.Bands();
  if (bands.size() != 1 || bands[0].Spans.size() != 1)
    return false;
  rect = {bands[0].Spans[0].Left, bands[0].Top, bands[0].Spans[0].Right, bands[0].Bottom};
  return true;
}

TRect Normalized(TRect r)
{
  if (r.Right < r.Left)
    std::swap(r.Left, r.Right);
  if (r.Bottom < r.Top)
    std::swap(r.Top, r.Bottom);
  return r;
}

TRect Deflated(TRect r, Integer d)
{
  r.Left += d;
  r.Top += d;
  r.Right -= d;
  r.Bottom -= d;
  return r;
}

// Collects pixels into rows of spans for TRegion::FromRows.
class TPixelSet {
public:
  void Add(Integer x, Integer y) { AddSpan(y, x, x + 1); }
  void AddSpan(Integer y, Integer left, Integer right)
  {
    FItems.push_back({y, {left, right}});
    FTop = std::min(FTop, y);
    FBottom = std::max(FBottom, y + 1);
  }
  TRegion ToRegion() const
  {
    if (FItems.empty())
      return TRegion();
    std::vector<std::vector<TSpan>> rows(static_cast<size_t>(FBottom - FTop));
    for (const auto& [y, span] : FItems)
      rows[y - FTop].push_back(span);
    return TRegion::FromRows(FTop, rows);
  }

private:
  std::vector<std::pair<Integer, TSpan>> FItems;
  Integer FTop = MaxInt;
  Integer FBottom = -MaxInt;
};

// The point where the ray from the centre of box through p meets the ellipse in box.
TPoint RadialPoint(const TRect& box, TPoint p)
{
  double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
  double rx = std::max(0.5, box.Width() / 2.0 - 0.5), ry = std::max(0.5, box.Height() / 2.0 - 0.5);
  double dx = p.X - cx, dy = p.Y - cy;
  double len = std::sqrt((dx / rx) * (dx / rx) + (dy / ry) * (dy / ry));
  if (len <= 0)
    return {static_cast<Integer>(std::lround(cx + rx)), static_cast<Integer>(std::lround(cy))};
  return {static_cast<Integer>(std::floor(cx + dx / len)),
          static_cast<Integer>(std::floor(cy + dy / len))};
}

// Pixels of a disc of the given diameter centred on a pixel, as row offsets.
std::vector<std::pair<Integer, TSpan>> DiscSpans(Integer width)
{
  Integer h = width / 2;
  TRegion disc = TRegion::Ellipse(Rect(-h, -h, width - h, width - h));
  std::vector<std::pair<Integer, TSpan>> out;
  for (const TRegion::TBand& b : disc.Bands())
    for (Integer y = b.Top; y < b.Bottom; ++y)
      for (const TSpan& s : b.Spans)
        out.push_back({y, s});
  return out;
}

void AddWideLine(TPixelSet& set, TPoint a, TPoint b, Integer width, const TRect* limit)
{
  static thread_local Integer cachedWidth = -1;
  static thread_local std::vector<std::pair<Integer, TSpan>> disc;
  if (cachedWidth != width) {
    disc = DiscSpans(width);
    cachedWidth = width;
  }
  TRect near;
  if (limit) {
    near = *limit;
    InflateRect(near, width, width);
  }
  std::vector<TPoint> pts = raster::LinePixels(a, b, limit ? &near : nullptr);
  pts.push_back(b); // wide lines end in round caps on both ends
  for (TPoint p : pts)
    for (const auto& [dy, s] : disc)
      set.AddSpan(p.Y + dy, p.X + s.Left, p.X + s.Right);
}

// The closed outline a one-pixel pen paints around a rectangle, as a polyline.
std::vector<TPoint> RectOutline(const TRect& r)
{
  return {{r.Left, r.Top},
          {r.Right - 1, r.Top},
          {r.Right - 1, r.Bottom - 1},
          {r.Left, r.Bottom - 1},
          {r.Left, r.Top}};
}

// The closed polylines of a shape drawn with lines (rectangles and polygons).
std::vector<std::vector<TPoint>> OutlinePaths(const TSurfaceShape& shape)
{
  std::vector<std::vector<TPoint>> paths;
  if (shape.Kind == TSurfaceShape::skRect) {
    paths.push_back(RectOutline(shape.Box));
    return paths;
  }
  std::vector<Integer> counts = shape.Counts;
  if (counts.empty())
    counts.push_back(static_cast<Integer>(shape.Points.size()));
  size_t at = 0;
  for (Integer n : counts) {
    std::vector<TPoint> path(shape.Points.begin() + at, shape.Points.begin() + at + n);
    if (!path.empty())
      path.push_back(path.front());
    paths.push_back(std::move(path));
    at += n;
  }
  return paths;
}

TSurfaceShape WithBox(const TSurfaceShape& shape, const TRect& box)
{
  TSurfaceShape s = shape;
  s.Box = box;
  return s;
}

void AddLine(TPixelSet& set, TPoint a, TPoint b, Integer width, bool withEnd, const TRect* limit)
{
  if (width > 1) {
    AddWideLine(set, a, b, width, limit);
    return;
  }
  for (TPoint p : raster::LinePixels(a, b, limit))
    set.Add(p.X, p.Y);
  if (withEnd)
    set.Add(b.X, b.Y);
}

// Outlines drawn as lines: rectangles and polygons. An inside-frame pen on a rectangle
// keeps within the rectangle.
TRegion LinedOutline(const TSurfaceShape& shape, const TStroke& pen, Integer width,
                     const TRect* limit)
{
  bool inside = pen.Style == psInsideFrame && shape.Kind == TSurfaceShape::skRect && width > 1;
  TPixelSet lines;
  for (const auto& path :
       OutlinePaths(WithBox(shape, inside ? Deflated(shape.Box, width / 2) : shape.Box)))
    for (size_t i = 0; i + 1 < path.size(); ++i)
      AddLine(lines, path[i], path[i + 1], width, false, limit);
  TRegion area = lines.ToRegion();
  return inside ? area.Intersect(shape.Box) : area;
}

// Curved outlines: the ring between the shape and the shape shrunk by the pen width (a
// centred pen grows the shape by half its width first). Arcs, pies and chords keep the
// part of the ellipse's ring inside their sector and add their straight edges.
TRegion CurvedOutline(const TSurfaceShape& shape, const TStroke& pen, Integer width,
                      const TRect* limit)
{
  TRect outer = shape.Box;
  if (width > 1 && pen.Style != psInsideFrame)
    outer = Deflated(outer, -(width / 2));
  TSurfaceShape outerShape = WithBox(shape, outer);
  TSurfaceShape innerShape = WithBox(shape, Deflated(outer, width));
  if (shape.Kind == TSurfaceShape::skRoundRect) {
    innerShape.P1 = {shape.P1.X - 2 * width, shape.P1.Y - 2 * width};
  } else {
    outerShape.Kind = TSurfaceShape::skEllipse;
    innerShape.Kind = TSurfaceShape::skEllipse;
  }
  TRegion ring =
      raster::ShapeArea(outerShape, limit).Combine(raster::ShapeArea(innerShape, limit), RGN_DIFF);
  if (shape.Kind == TSurfaceShape::skRoundRect || shape.Kind == TSurfaceShape::skEllipse)
    return ring;
  ring = ring.Combine(TRegion::Pie(outer, shape.P1, shape.P2, limit), RGN_AND);
  TPoint a = RadialPoint(shape.Box, shape.P1), b = RadialPoint(shape.Box, shape.P2);
  TPoint c = {(shape.Box.Left + shape.Box.Right) / 2, (shape.Box.Top + shape.Box.Bottom) / 2};
  TPixelSet edges;
  if (shape.Kind == TSurfaceShape::skPie) {
    AddLine(edges, a, c, width, true, limit);
    AddLine(edges, c, b, width, true, limit);
  } else if (shape.Kind == TSurfaceShape::skChord) {
    AddLine(edges, a, b, width, true, limit);
  }
  return ring.Combine(edges.ToRegion(), RGN_OR);
}

// The pixels a solid pen paints for a shape's outline.
TRegion OutlineArea(const TSurfaceShape& shape, const TStroke& pen, const TRect* limit)
{
  Integer width = std::max<Integer>(1, pen.Width);
  if (shape.Kind == TSurfaceShape::skRect || shape.Kind == TSurfaceShape::skPolygon)
    return LinedOutline(shape, pen, width, limit);
  return CurvedOutline(shape, pen, width, limit);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Geometry

namespace raster {

std::vector<TPoint> LinePixels(TPoint a, TPoint b, const TRect* limit, std::vector<Int64>* steps)
{
  std::vector<TPoint> out;
  if (steps)
    steps->clear();
  Int64 dx = std::abs(Int64(b.X) - a.X), dy = std::abs(Int64(b.Y) - a.Y);
  Int64 sx = b.X >= a.X ? 1 : -1, sy = b.Y >= a.Y ? 1 : -1;
  bool xMajor = dx >= dy;
  Int64 count = std::max(dx, dy);
  // Only the steps whose major coordinate falls inside the limit are walked; the minor
  // coordinate is checked per pixel. Pixels stay where the whole line puts them.
  Int64 first = 0, last = count - 1;
  if (limit) {
    Int64 start = xMajor ? a.X : a.Y, sign = xMajor ? sx : sy;
    Int64 lo = xMajor ? limit->Left : limit->Top, hi = (xMajor ? limit->Right : limit->Bottom) - 1;
    Int64 i0 = sign > 0 ? lo - start : start - hi, i1 = sign > 0 ? hi - start : start - lo;
    first = std::max<Int64>(first, i0);
    last = std::min<Int64>(last, i1);
  }
  // The minor coordinate of step i is the nearest integer to i * minor / major; exact
  // halves go away from the start point.
  for (Int64 i = first; i <= last; ++i) {
    TPoint p;
    if (xMajor) {
      Int64 off = (2 * i * dy + dx) / (2 * dx);
      p = {static_cast<Integer>(a.X + sx * i), static_cast<Integer>(a.Y + sy * off)};
    } else {
      Int64 off = (2 * i * dx + dy) / (2 * dy);
      p = {static_cast<Integer>(a.X + sx * off), static_cast<Integer>(a.Y + sy * i)};
    }
    if (limit && !PtInRect(*limit, p))
      continue;
    out.push_back(p);
    if (steps)
      steps->push_back(i);
  }
  return out;
}

TRegion ShapeArea(const TSurfaceShape& shape, const TRect* limit)
{
  TRect box = Normalized(shape.Box);
  switch (shape.Kind) {
  case TSurfaceShape::skRect:
    return limit ? TRegion(box).Intersect(*limit) : TRegion(box);
  case TSurfaceShape::skRoundRect:
    return TRegion::RoundRect(box, shape.P1.X, shape.P1.Y, limit);
  case TSurfaceShape::skEllipse:
    return TRegion::Ellipse(box, limit);
  case TSurfaceShape::skArc:
    return TRegion();
  case TSurfaceShape::skPie:
    return TRegion::Pie(box, shape.P1, shape.P2, limit);
  case TSurfaceShape::skChord:
    return TRegion::Chord(box, shape.P1, shape.P2, limit);
  case TSurfaceShape::skPolygon:
    if (shape.Counts.empty())
      return TRegion::Polygon(shape.Points.data(), static_cast<Integer>(shape.Points.size()),
                              shape.FillMode, limit);
    return TRegion::PolyPolygon(shape.Points.data(), shape.Counts.data(),
                                static_cast<Integer>(shape.Counts.size()), shape.FillMode, limit);
  }
  return TRegion();
}

std::vector<Integer> DashPattern(TPenStyle style)
{
  switch (style) {
  case psDash:
    return {18, 6};
  case psDot:
    return {3, 3};
  case psDashDot:
    return {9, 6, 3, 6};
  case psDashDotDot:
    return {9, 3, 3, 3, 3, 3};
  default:
    return {};
  }
}

} // namespace raster

// ---------------------------------------------------------------------------------------
// TImageSurface

namespace {

// Pixel buffers of surfaces gone, kept for the surfaces made next on the same thread: pages
// drawn one after another make and drop bitmaps of the same few sizes, and fresh memory
// costs a page fault per 4 KB touched. A few buffers of up to 1 MB each.
struct TPixelPool {
  static constexpr size_t MaxBuffers = 4;
  static constexpr size_t MaxPixels = size_t(1) << 18;
  std::vector<std::vector<std::uint32_t>> Free;
  ~TPixelPool();
};

thread_local bool tPixelPoolGone = false; // surfaces freed after the thread's pool
thread_local TPixelPool tPixelPool;

TPixelPool::~TPixelPool()
{
  tPixelPoolGone = true;
}

// Count pixels of the value, in the smallest kept buffer that holds them when there is one.
std::vector<std::uint32_t> TakePixels(size_t count, std::uint32_t value)
{
  if (!tPixelPoolGone && count > 0) {
    auto& free = tPixelPool.Free;
    size_t best = free.size();
    for (size_t i = 0; i < free.size(); ++i)
      if (free[i].capacity() >= count &&
          (best == free.size() || free[i].capacity() < free[best].capacity()))
        best = i;
    if (best < free.size()) {
      std::vector<std::uint32_t> bits = std::move(free[best]);
      free.erase(free.begin() + static_cast<std::ptrdiff_t>(best));
      bits.assign(count, value);
      return bits;
    }
  }
  return std::vector<std::uint32_t>(count, value);
}

void GivePixels(std::vector<std::uint32_t>&& bits)
{
  if (tPixelPoolGone || bits.capacity() == 0 || bits.capacity() > TPixelPool::MaxPixels)
    return;
  auto& free = tPixelPool.Free;
  if (free.size() == TPixelPool::MaxBuffers)
    free.erase(free.begin()); // the longest kept goes
  free.push_back(std::move(bits));
}

} // namespace

TImageSurface::TImageSurface(Integer width, Integer height, TColor fill)
{
  Resize(width, height, fill);
}

std::unique_ptr<TImageSurface> TImageSurface::CreateInformationContext(const TPageMedia& media,
                                                                       Integer dpi)
{
  auto s = std::make_unique<TImageSurface>(16, 16);
  s->FDpi = dpi > 0 ? dpi : ScreenPixelsPerInch;
  s->FPrinter = true;
  s->FMedia = media;
  return s;
}

TImageSurface::~TImageSurface()
{
  ReleaseCairo();
  GivePixels(std::move(FBits));
}

void TImageSurface::ReleaseCairo()
{
  if (FCairoContext)
    cairo_destroy(FCairoContext);
  FCairoContext = nullptr;
  if (FCairo)
    cairo_surface_destroy(FCairo);
  FCairo = nullptr;
}

void TImageSurface::Resize(Integer width, Integer height, TColor fill)
{
  width = std::max<Integer>(0, width);
  height = std::max<Integer>(0, height);
  ReleaseCairo(); // the pixels move
  std::vector<std::uint32_t> bits =
      TakePixels(static_cast<size_t>(width) * height,
                 0xFF000000u | SwapRB(static_cast<std::uint32_t>(fill) & 0xFFFFFF));
  Integer cw = std::min(width, FWidth), ch = std::min(height, FHeight);
  for (Integer y = 0; y < ch; ++y)
    std::copy_n(&FBits[static_cast<size_t>(y) * FWidth], cw, &bits[static_cast<size_t>(y) * width]);
  FBits.swap(bits);
  GivePixels(std::move(bits));
  FWidth = width;
  FHeight = height;
}

TColor TImageSurface::Pixel(Integer x, Integer y) const
{
  return static_cast<TColor>(SwapRB(FBits[static_cast<size_t>(y) * FWidth + x] & 0xFFFFFF));
}

TColor TImageSurface::GetPixel(Integer x, Integer y) const
{
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
    return -1;
  return Pixel(x, y);
}

void TImageSurface::SetPixel(Integer x, Integer y, TColor rgb, const TGc& gc)
{
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
    return;
  if (gc.Clip && !gc.Clip->Contains(x, y))
    return;
  FBits[static_cast<size_t>(y) * FWidth + x] =
      0xFF000000u | SwapRB(static_cast<std::uint32_t>(rgb) & 0xFFFFFF);
}

TRegion TImageSurface::ClipArea(const TGc& gc) const
{
  TRegion bounds(Rect(0, 0, FWidth, FHeight));
  return gc.Clip ? gc.Clip->Combine(bounds, RGN_AND) : bounds;
}

void TImageSurface::Paint(const TRegion& area, const TFill& fill, Integer rop2)
{
  if (rop2 == R2_NOP)
    return;
  std::uint32_t solid = SwapRB(static_cast<std::uint32_t>(fill.Color) & 0xFFFFFF);
  if (!fill.Patterned && rop2 == R2_COPYPEN) {
    // The common case, a plain fill, is a run of equal pixels per span.
    const std::uint32_t pixel = 0xFF000000u | solid;
    for (const TRegion::TBand& band : area.Bands())
      for (Integer y = band.Top; y < band.Bottom; ++y) {
        std::uint32_t* row = &FBits[static_cast<size_t>(y) * FWidth];
        for (const TSpan& s : band.Spans)
          std::fill(row + s.Left, row + s.Right, pixel);
      }
    return;
  }
  for (const TRegion::TBand& band : area.Bands())
    for (Integer y = band.Top; y < band.Bottom; ++y) {
      std::uint32_t* row = &FBits[static_cast<size_t>(y) * FWidth];
      for (const TSpan& s : band.Spans)
        for (Integer x = s.Left; x < s.Right; ++x) {
          if (fill.Patterned && !fill.Paints(x, y))
            continue;
          std::uint32_t p =
              fill.Patterned ? SwapRB(static_cast<std::uint32_t>(fill.At(x, y)) & 0xFFFFFF) : solid;
          row[x] = 0xFF000000u | (rop2 == R2_COPYPEN ? p : Rop2(rop2, p, row[x] & 0xFFFFFF));
        }
    }
}

void TImageSurface::StrokeLines(const TPoint* points, Integer count, const TStroke& pen,
                                const TGc& gc)
{
  if (pen.Style == psClear || count < 2)
    return;
  Integer w = std::max<Integer>(1, pen.Width);
  TRect limit = Limit();
  TPixelSet on, off;
  if (w > 1) {
    for (Integer i = 0; i + 1 < count; ++i)
      AddWideLine(on, points[i], points[i + 1], w, &limit);
  } else {
    // The dash pattern runs on along the whole polyline.
    std::vector<Integer> dashes = raster::DashPattern(pen.Style);
    Int64 period = 0;
    for (Integer d : dashes)
      period += d;
    Int64 walked = 0;
    std::vector<Int64> steps;
    for (Integer i = 0; i + 1 < count; ++i) {
      std::vector<TPoint> pixels = raster::LinePixels(points[i], points[i + 1], &limit, &steps);
      for (size_t k = 0; k < pixels.size(); ++k) {
        bool dashOn = true;
        if (period > 0) {
          Int64 at = (walked + steps[k]) % period;
          size_t dash = 0;
          while (at >= dashes[dash])
            at -= dashes[dash++];
          dashOn = dash % 2 == 0;
        }
        (dashOn ? on : off).Add(pixels[k].X, pixels[k].Y);
      }
      walked += std::max(std::abs(Int64(points[i + 1].X) - points[i].X),
                         std::abs(Int64(points[i + 1].Y) - points[i].Y));
    }
  }
  TRegion clip = ClipArea(gc);
  if (gc.BkMode == OPAQUE)
    Paint(off.ToRegion().Combine(clip, RGN_AND), TFill::Solid(gc.BkColor), gc.Rop2);
  Paint(on.ToRegion().Combine(clip, RGN_AND), TFill::Solid(pen.Color), gc.Rop2);
}

void TImageSurface::FillShape(const TSurfaceShape& shape, const TFill& fill, const TGc& gc)
{
  TRect limit = Limit();
  Paint(raster::ShapeArea(shape, &limit).Combine(ClipArea(gc), RGN_AND), fill, gc.Rop2);
}

void TImageSurface::StrokeShape(const TSurfaceShape& shape, const TStroke& pen, const TGc& gc)
{
  if (pen.Style == psClear)
    return;
  bool lined = shape.Kind == TSurfaceShape::skRect || shape.Kind == TSurfaceShape::skPolygon;
  if (lined && pen.Width <= 1 && !raster::DashPattern(pen.Style).empty()) {
    for (const auto& path : OutlinePaths(shape))
      StrokeLines(path.data(), static_cast<Integer>(path.size()), pen, gc);
    return;
  }
  TRect limit = Limit();
  Paint(OutlineArea(shape, pen, &limit).Combine(ClipArea(gc), RGN_AND), TFill::Solid(pen.Color),
        gc.Rop2);
}

void TImageSurface::FillShapeInside(const TSurfaceShape& shape, const TStroke& pen,
                                    const TFill& fill, const TGc& gc)
{
  TRect limit = Limit();
  TRegion area = raster::ShapeArea(shape, &limit);
  if (pen.Style != psClear)
    area = area.Combine(OutlineArea(shape, pen, &limit), RGN_DIFF);
  Paint(area.Combine(ClipArea(gc), RGN_AND), fill, gc.Rop2);
}

void TImageSurface::FillArea(const TRegion& area, const TFill& fill, const TGc& gc)
{
  // A rectangle clipped by a rectangle (or by the surface alone) is their intersection:
  // most fills are, and the general region combination costs more than the filling.
  TRect r;
  if (SingleRect(area, r)) {
    TRect c = Rect(0, 0, FWidth, FHeight);
    if (!gc.Clip || SingleRect(*gc.Clip, c)) {
      r = {std::max({r.Left, c.Left, 0}), std::max({r.Top, c.Top, 0}),
           std::min({r.Right, c.Right, FWidth}), std::min({r.Bottom, c.Bottom, FHeight})};
      if (r.Left < r.Right && r.Top < r.Bottom)
        Paint(TRegion(r), fill, gc.Rop2);
      return;
    }
  }
  Paint(area.Combine(ClipArea(gc), RGN_AND), fill, gc.Rop2);
}

void TImageSurface::FillRects(const std::vector<TColoredRect>& rects, const TGc& gc)
{
  TRect c = Rect(0, 0, FWidth, FHeight);
  if (gc.Rop2 != R2_COPYPEN || (gc.Clip && !SingleRect(*gc.Clip, c))) {
    TSurface::FillRects(rects, gc);
    return;
  }
  // Each rectangle inside the clip and the surface, as FillArea takes it.
  struct TPiece {
    TRect R;
    std::uint32_t Pixel;
  };
  std::vector<TPiece> pieces;
  std::vector<Integer> edges; // the rows where the set of rectangles covering a row changes
  pieces.reserve(rects.size());
  edges.reserve(2 * rects.size());
  for (const TColoredRect& cr : rects) {
    const TRect& r = cr.Rect; // an inverted rectangle is empty, as its region is
    const TRect x = {std::max({r.Left, c.Left, 0}), std::max({r.Top, c.Top, 0}),
                     std::min({r.Right, c.Right, FWidth}), std::min({r.Bottom, c.Bottom, FHeight})};
    if (x.Left >= x.Right || x.Top >= x.Bottom)
      continue;
    pieces.push_back({x, 0xFF000000u | SwapRB(static_cast<std::uint32_t>(cr.Color) & 0xFFFFFF)});
    edges.push_back(x.Top);
    edges.push_back(x.Bottom);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<std::pair<Integer, Integer>> runs;
  for (size_t k = 0; k + 1 < edges.size(); ++k) {
    const Integer top = edges[k], bottom = edges[k + 1];
    std::uint32_t* first = &FBits[static_cast<size_t>(top) * FWidth];
    runs.clear();
    for (const TPiece& p : pieces)
      if (p.R.Top <= top && p.R.Bottom >= bottom) {
        std::fill(first + p.R.Left, first + p.R.Right, p.Pixel);
        runs.emplace_back(p.R.Left, p.R.Right);
      }
    if (runs.empty() || bottom - top == 1)
      continue;
    // The columns painted in the first row, joined where they touch, go down to the others.
    std::sort(runs.begin(), runs.end());
    size_t n = 0;
    for (size_t i = 1; i < runs.size(); ++i)
      if (runs[i].first <= runs[n].second)
        runs[n].second = std::max(runs[n].second, runs[i].second);
      else
        runs[++n] = runs[i];
    runs.resize(n + 1);
    for (Integer y = top + 1; y < bottom; ++y) {
      std::uint32_t* row = &FBits[static_cast<size_t>(y) * FWidth];
      for (const auto& [l, r] : runs)
        std::memcpy(row + l, first + l, static_cast<size_t>(r - l) * sizeof(std::uint32_t));
    }
  }
}

void TImageSurface::CopyBits(const TRect& dest, const TImageSurface* source,
                             const TRect& sourceRect, const TFill& pattern, TCopyMode rop,
                             const TGc& gc)
{
  TRect d = Normalized(dest), s = Normalized(sourceRect);
  Integer dw = d.Width(), dh = d.Height(), sw = s.Width(), sh = s.Height();
  if (dw == 0 || dh == 0)
    return;
  unsigned index = (rop >> 16) & 0xFF;
  bool usesSource = ((index >> 2) ^ index) & 0x33;
  if (usesSource && (!source || sw == 0 || sh == 0))
    return;
  bool flipX = (dest.Right < dest.Left) != (sourceRect.Right < sourceRect.Left);
  bool flipY = (dest.Bottom < dest.Top) != (sourceRect.Bottom < sourceRect.Top);
  // Copying within one surface reads a snapshot, so overlapping areas copy correctly.
  std::vector<std::uint32_t> snapshot;
  const std::uint32_t* src = nullptr;
  Integer srcWidth = 0, srcHeight = 0;
  if (usesSource) {
    if (source == this) {
      snapshot = FBits;
      src = snapshot.data();
    } else {
      src = source->FBits.data();
    }
    srcWidth = source->FWidth;
    srcHeight = source->FHeight;
  }
  TRegion area = TRegion(d).Combine(ClipArea(gc), RGN_AND);
  if (index == 0xCC) {
    // A plain copy reads no pattern and no destination. The source column of each
    // destination column is worked out once, and an unscaled, unmirrored row is copied
    // whole.
    std::vector<Integer> columns(static_cast<size_t>(dw));
    for (Integer u = 0; u < dw; ++u) {
      const Integer c = static_cast<Integer>((Int64(u) * sw) / dw);
      columns[static_cast<size_t>(u)] = s.Left + (flipX ? sw - 1 - c : c);
    }
    const bool straight = sw == dw && !flipX;
    for (const TRegion::TBand& band : area.Bands())
      for (Integer y = band.Top; y < band.Bottom; ++y) {
        std::uint32_t* row = &FBits[static_cast<size_t>(y) * FWidth];
        const Integer v = static_cast<Integer>((Int64(y - d.Top) * sh) / dh);
        const Integer sy = s.Top + (flipY ? sh - 1 - v : v);
        const bool rowInside = sy >= 0 && sy < srcHeight;
        const std::uint32_t* srcRow =
            rowInside ? src + static_cast<size_t>(sy) * srcWidth : nullptr;
        for (const TSpan& span : band.Spans) {
          Integer x = span.Left;
          if (straight && rowInside) {
            // Columns inside the source are copied as a run; the rest read as black.
            const Integer first = std::max(x, d.Left - s.Left);
            const Integer last = std::min(span.Right, d.Left - s.Left + srcWidth);
            for (; x < std::min(first, span.Right); ++x)
              row[x] = 0xFF000000u;
            for (; x < last; ++x)
              row[x] = 0xFF000000u | (srcRow[x - d.Left + s.Left] & 0xFFFFFF);
          }
          for (; x < span.Right; ++x) {
            const Integer sx = columns[static_cast<size_t>(x - d.Left)];
            row[x] =
                0xFF000000u | (rowInside && sx >= 0 && sx < srcWidth ? srcRow[sx] & 0xFFFFFF : 0u);
          }
        }
      }
    return;
  }
  for (const TRegion::TBand& band : area.Bands())
    for (Integer y = band.Top; y < band.Bottom; ++y) {
      std::uint32_t* row = &FBits[static_cast<size_t>(y) * FWidth];
      Integer v = static_cast<Integer>((Int64(y - d.Top) * sh) / dh);
      Integer sy = s.Top + (flipY ? sh - 1 - v : v);
      for (const TSpan& span : band.Spans)
        for (Integer x = span.Left; x < span.Right; ++x) {
          std::uint32_t sp = 0;
          if (usesSource) {
            Integer u = static_cast<Integer>((Int64(x - d.Left) * sw) / dw);
            Integer sx = s.Left + (flipX ? sw - 1 - u : u);
            if (sx >= 0 && sy >= 0 && sx < srcWidth && sy < srcHeight)
              sp = src[static_cast<size_t>(sy) * srcWidth + sx] & 0xFFFFFF;
          }
          std::uint32_t pp = SwapRB(static_cast<std::uint32_t>(pattern.At(x, y)) & 0xFFFFFF);
          row[x] = 0xFF000000u | (index == 0xCC ? sp : Rop3(index, pp, sp, row[x] & 0xFFFFFF));
        }
    }
}

cairo_surface_t* TImageSurface::CairoSurface()
{
  if (FWidth == 0 || FHeight == 0)
    return nullptr;
  if (!FCairo)
    FCairo = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(FBits.data()),
                                                 CAIRO_FORMAT_RGB24, FWidth, FHeight, FWidth * 4);
  cairo_surface_mark_dirty(FCairo);
  return FCairo;
}

cairo_t* TImageSurface::BeginCairo()
{
  cairo_surface_t* s = CairoSurface();
  if (!s)
    return nullptr;
  // A context that failed once stays failed: it is made again.
  if (FCairoContext && cairo_status(FCairoContext) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(FCairoContext);
    FCairoContext = nullptr;
  }
  if (!FCairoContext)
    FCairoContext = cairo_create(s);
  cairo_save(FCairoContext);
  return FCairoContext;
}

void TImageSurface::EndCairo()
{
  if (!FCairoContext)
    return;
  cairo_restore(FCairoContext);
  cairo_surface_flush(FCairo);
}

bool TImageSurface::WritePng(const AnsiString& fileName)
{
  cairo_surface_t* s = CairoSurface();
  if (!s)
    return false;
  return cairo_surface_write_to_png(s, fileName.c_str()) == CAIRO_STATUS_SUCCESS;
}
