// TRegion: band lists of spans, shape rasterisation by pixel centres and the set
// operations. See Region.h.
#include "platform/graphics/Region.h"

#include <algorithm>
#include <cmath>

namespace {

using TSpan = TRegion::TSpan;
using TSpanList = std::vector<TSpan>;

constexpr double kEps = 1e-9;

// Sorts spans and merges those that overlap or touch.
void Normalize(TSpanList& spans)
{
  std::sort(spans.begin(), spans.end(),
            [](const TSpan& a, const TSpan& b) { return a.Left < b.Left; });
  TSpanList out;
  for (const TSpan& s : spans) {
    if (s.Left >= s.Right)
      continue;
    if (!out.empty() && s.Left <= out.back().Right)
      out.back().Right = std::max(out.back().Right, s.Right);
    else
      out.push_back(s);
  }
  spans.swap(out);
}

bool InSpans(const TSpanList& spans, Integer x)
{
  auto it = std::upper_bound(spans.begin(), spans.end(), x,
                             [](Integer v, const TSpan& s) { return v < s.Right; });
  return it != spans.end() && it->Left <= x;
}

bool Apply(Integer mode, bool a, bool b)
{
  switch (mode) {
  case RGN_AND:
    return a && b;
  case RGN_OR:
    return a || b;
  case RGN_XOR:
    return a != b;
  case RGN_DIFF:
    return a && !b;
  default:
    return a;
  }
}

TSpanList CombineSpans(const TSpanList& a, const TSpanList& b, Integer mode)
{
  std::vector<Integer> xs;
  xs.reserve(2 * (a.size() + b.size()));
  for (const TSpan& s : a) {
    xs.push_back(s.Left);
    xs.push_back(s.Right);
  }
  for (const TSpan& s : b) {
    xs.push_back(s.Left);
    xs.push_back(s.Right);
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  TSpanList out;
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    if (!Apply(mode, InSpans(a, xs[i]), InSpans(b, xs[i])))
      continue;
    if (!out.empty() && out.back().Right == xs[i])
      out.back().Right = xs[i + 1];
    else
      out.push_back({xs[i], xs[i + 1]});
  }
  return out;
}

// The spans of the band containing row y, or an empty list.
const TSpanList& SpansAt(const std::vector<TRegion::TBand>& bands, Integer y)
{
  static const TSpanList kNone;
  auto it = std::upper_bound(bands.begin(), bands.end(), y,
                             [](Integer v, const TRegion::TBand& b) { return v < b.Bottom; });
  if (it == bands.end() || it->Top > y)
    return kNone;
  return it->Spans;
}

// Pixels whose centres x + 0.5 lie in [from, to] (both ends included).
TSpan CentreSpan(double from, double to)
{
  Integer l = static_cast<Integer>(std::ceil(from - 0.5 - kEps));
  Integer r = static_cast<Integer>(std::floor(to - 0.5 + kEps)) + 1;
  return {l, std::max(l, r)};
}

// The rows [top, bottom) of box that lie in limit, and the columns to keep.
struct TWindow {
  Integer Top, Bottom, Left, Right;
  TWindow(const TRect& box, const TRect* limit)
      : Top(box.Top), Bottom(box.Bottom), Left(-MaxInt), Right(MaxInt)
  {
    if (!limit)
      return;
    Top = std::max(Top, limit->Top);
    Bottom = std::max(Top, std::min(Bottom, limit->Bottom));
    Left = limit->Left;
    Right = limit->Right;
  }
  Integer Rows() const { return Bottom - Top; }
  // Appends span clipped to the columns, if anything is left.
  void Add(std::vector<TSpan>& row, TSpan span) const
  {
    span.Left = std::max(span.Left, Left);
    span.Right = std::min(span.Right, Right);
    if (span.Right > span.Left)
      row.push_back(span);
  }
};

// Half the chord of an ellipse with radii rx, ry at vertical distance dy from its centre.
double HalfChord(double rx, double ry, double dy)
{
  if (ry <= 0)
    return -1;
  double t = dy / ry;
  double q = 1.0 - t * t;
  if (q < -kEps)
    return -1;
  return rx * std::sqrt(std::max(0.0, q));
}

// Angle of a direction in mathematical orientation (y up), in [0, 2 pi).
double AngleOf(double dx, double dyDown)
{
  double a = std::atan2(-dyDown, dx);
  return a < 0 ? a + 2 * M_PI : a;
}

// Keeps the pixels of region for which keep(x + 0.5, y + 0.5) is true.
template <class F> TRegion Filter(const TRegion& region, F keep)
{
  TRect b = region.Bounds();
  std::vector<TSpanList> rows(static_cast<size_t>(std::max(0, b.Height())));
  for (const TRegion::TBand& band : region.Bands())
    for (Integer y = band.Top; y < band.Bottom; ++y)
      for (const TSpan& s : band.Spans)
        for (Integer x = s.Left; x < s.Right; ++x)
          if (keep(x + 0.5, y + 0.5)) {
            TSpanList& row = rows[y - b.Top];
            if (!row.empty() && row.back().Right == x)
              row.back().Right = x + 1;
            else
              row.push_back({x, x + 1});
          }
  return TRegion::FromRows(b.Top, rows);
}

} // namespace

TRegion::TRegion(const TRect& rect)
{
  if (rect.Right > rect.Left && rect.Bottom > rect.Top)
    FBands.push_back({rect.Top, rect.Bottom, {{rect.Left, rect.Right}}});
}

void TRegion::AppendBand(Integer top, Integer bottom, std::vector<TSpan>&& spans)
{
  if (spans.empty() || top >= bottom)
    return;
  if (!FBands.empty() && FBands.back().Bottom == top && FBands.back().Spans == spans) {
    FBands.back().Bottom = bottom;
    return;
  }
  FBands.push_back({top, bottom, std::move(spans)});
}

TRegion TRegion::FromRows(Integer top, std::vector<std::vector<TSpan>>& rows)
{
  TRegion r;
  for (size_t i = 0; i < rows.size(); ++i) {
    Normalize(rows[i]);
    Integer y = top + static_cast<Integer>(i);
    r.AppendBand(y, y + 1, std::move(rows[i]));
  }
  return r;
}

TRegion TRegion::FromBands(std::vector<TBand>& bands)
{
  TRegion r;
  for (TBand& band : bands) {
    Normalize(band.Spans);
    r.AppendBand(band.Top, band.Bottom, std::move(band.Spans));
  }
  return r;
}

TRegion TRegion::Ellipse(const TRect& box, const TRect* limit)
{
  double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
  double rx = (box.Right - box.Left) / 2.0, ry = (box.Bottom - box.Top) / 2.0;
  TWindow w(box, limit);
  std::vector<TSpanList> rows(static_cast<size_t>(std::max(0, w.Rows())));
  for (Integer y = w.Top; y < w.Bottom; ++y) {
    double hw = HalfChord(rx, ry, y + 0.5 - cy);
    if (hw >= 0)
      w.Add(rows[y - w.Top], CentreSpan(cx - hw, cx + hw));
  }
  return FromRows(w.Top, rows);
}

TRegion TRegion::RoundRect(const TRect& box, Integer ellipseWidth, Integer ellipseHeight,
                           const TRect* limit)
{
  double rx = std::min(std::abs(ellipseWidth), box.Width()) / 2.0;
  double ry = std::min(std::abs(ellipseHeight), box.Height()) / 2.0;
  if (rx <= 0 || ry <= 0)
    return limit ? TRegion(box).Intersect(*limit) : TRegion(box);
  TWindow w(box, limit);
  std::vector<TSpanList> rows(static_cast<size_t>(std::max(0, w.Rows())));
  for (Integer y = w.Top; y < w.Bottom; ++y) {
    double yc = y + 0.5;
    double inset = 0;
    if (yc < box.Top + ry)
      inset = rx - HalfChord(rx, ry, yc - (box.Top + ry));
    else if (yc > box.Bottom - ry)
      inset = rx - HalfChord(rx, ry, yc - (box.Bottom - ry));
    if (inset > rx)
      continue;
    w.Add(rows[y - w.Top], CentreSpan(box.Left + inset, box.Right - inset));
  }
  return FromRows(w.Top, rows);
}

TRegion TRegion::Polygon(const TPoint* points, Integer count, Integer fillMode, const TRect* limit)
{
  return PolyPolygon(points, &count, 1, fillMode, limit);
}

TRegion TRegion::PolyPolygon(const TPoint* points, const Integer* counts, Integer polygons,
                             Integer fillMode, const TRect* limit)
{
  struct TEdge {
    double X0, Y0, X1, Y1;
    int Dir;
  };
  std::vector<TEdge> edges;
  Integer top = MaxInt, bottom = -MaxInt;
  const TPoint* p = points;
  for (Integer k = 0; k < polygons; ++k) {
    Integer n = counts[k];
    for (Integer i = 0; i < n; ++i) {
      TPoint a = p[i], b = p[(i + 1) % n];
      top = std::min(top, a.Y);
      bottom = std::max(bottom, a.Y);
      if (a.Y == b.Y)
        continue;
      if (a.Y < b.Y)
        edges.push_back({double(a.X), double(a.Y), double(b.X), double(b.Y), 1});
      else
        edges.push_back({double(b.X), double(b.Y), double(a.X), double(a.Y), -1});
    }
    p += n;
  }
  if (edges.empty())
    return TRegion();
  TWindow w(Rect(0, top, 0, bottom), limit);
  std::vector<TSpanList> rows(static_cast<size_t>(std::max(0, w.Rows())));
  std::vector<std::pair<double, int>> xs;
  for (Integer y = w.Top; y < w.Bottom; ++y) {
    double yc = y + 0.5;
    xs.clear();
    for (const TEdge& e : edges)
      if (yc >= e.Y0 && yc < e.Y1)
        xs.push_back({e.X0 + (yc - e.Y0) * (e.X1 - e.X0) / (e.Y1 - e.Y0), e.Dir});
    std::sort(xs.begin(), xs.end());
    int winding = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].second;
      bool inside = fillMode == WINDING ? winding != 0 : (i % 2) == 0;
      if (!inside)
        continue;
      // Centres in [xa, xb): the right edge belongs to the next pixel.
      Integer l = static_cast<Integer>(std::ceil(xs[i].first - 0.5 - kEps));
      Integer r = static_cast<Integer>(std::ceil(xs[i + 1].first - 0.5 - kEps));
      if (r > l)
        w.Add(rows[y - w.Top], {l, r});
    }
  }
  return FromRows(w.Top, rows);
}

TRegion TRegion::Pie(const TRect& box, TPoint start, TPoint end, const TRect* limit)
{
  double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
  double a0 = AngleOf(start.X - cx, start.Y - cy);
  double sweep = AngleOf(end.X - cx, end.Y - cy) - a0;
  if (sweep <= kEps)
    sweep += 2 * M_PI;
  return Filter(Ellipse(box, limit), [=](double x, double y) {
    double a = AngleOf(x - cx, y - cy) - a0;
    if (a < 0)
      a += 2 * M_PI;
    return a <= sweep + kEps;
  });
}

TRegion TRegion::Chord(const TRect& box, TPoint start, TPoint end, const TRect* limit)
{
  double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
  double rx = box.Width() / 2.0, ry = box.Height() / 2.0;
  if (rx <= 0 || ry <= 0)
    return TRegion();
  // The radials' points on the ellipse, in mathematical orientation (y up).
  auto onEllipse = [&](TPoint p, double& ex, double& ey) {
    double dx = p.X - cx, dy = -(p.Y - cy);
    double len = std::sqrt((dx / rx) * (dx / rx) + (dy / ry) * (dy / ry));
    if (len <= 0) {
      dx = 1;
      dy = 0;
      len = 1 / rx;
    }
    ex = dx / len;
    ey = dy / len;
  };
  double sx, sy, ex, ey;
  onEllipse(start, sx, sy);
  onEllipse(end, ex, ey);
  return Filter(Ellipse(box, limit), [=](double x, double y) {
    double px = x - cx, py = -(y - cy);
    return (ex - sx) * (py - sy) - (ey - sy) * (px - sx) <= kEps;
  });
}

Integer TRegion::Kind() const
{
  if (FBands.empty())
    return NULLREGION;
  return FBands.size() == 1 && FBands[0].Spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

TRect TRegion::Bounds() const
{
  if (FBands.empty())
    return TRect();
  TRect r{MaxInt, FBands.front().Top, -MaxInt, FBands.back().Bottom};
  for (const TBand& b : FBands) {
    r.Left = std::min(r.Left, b.Spans.front().Left);
    r.Right = std::max(r.Right, b.Spans.back().Right);
  }
  return r;
}

bool TRegion::Contains(Integer x, Integer y) const
{
  return InSpans(SpansAt(FBands, y), x);
}

bool TRegion::Intersects(const TRect& rect) const
{
  return !Intersect(rect).IsEmpty();
}

void TRegion::Offset(Integer dx, Integer dy)
{
  for (TBand& b : FBands) {
    b.Top += dy;
    b.Bottom += dy;
    for (TSpan& s : b.Spans) {
      s.Left += dx;
      s.Right += dx;
    }
  }
}

TRegion TRegion::Combine(const TRegion& other, Integer mode) const
{
  if (mode == RGN_COPY)
    return *this;
  std::vector<Integer> ys;
  for (const TBand& b : FBands) {
    ys.push_back(b.Top);
    ys.push_back(b.Bottom);
  }
  for (const TBand& b : other.FBands) {
    ys.push_back(b.Top);
    ys.push_back(b.Bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  TRegion out;
  for (size_t i = 0; i + 1 < ys.size(); ++i)
    out.AppendBand(ys[i], ys[i + 1],
                   CombineSpans(SpansAt(FBands, ys[i]), SpansAt(other.FBands, ys[i]), mode));
  return out;
}

Integer TRegion::PixelCount() const
{
  Integer n = 0;
  for (const TBand& b : FBands)
    for (const TSpan& s : b.Spans)
      n += (s.Right - s.Left) * (b.Bottom - b.Top);
  return n;
}
