// TRegion: a set of pixels kept as a sorted list of horizontal bands, each band a sorted
// list of disjoint spans. Used for clipping and by the raster surface, which turns every
// shape into a region before painting it. See Graphics.h for the canvas that uses it.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

// Region kinds returned by Kind() and combine modes.
enum : Integer { NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum : Integer { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
// Polygon fill modes.
enum : Integer { ALTERNATE = 1, WINDING = 2 };

class TRegion {
public:
  // Pixels Left <= x < Right of the rows Top <= y < Bottom.
  struct TSpan {
    Integer Left;
    Integer Right;
    friend bool operator==(const TSpan&, const TSpan&) = default;
  };
  struct TBand {
    Integer Top;
    Integer Bottom;
    std::vector<TSpan> Spans;
    friend bool operator==(const TBand&, const TBand&) = default;
  };

  TRegion() = default;
  explicit TRegion(const TRect& rect);

  // Shapes rasterised by pixel centres: a pixel belongs to the shape when its centre
  // (x + 0.5, y + 0.5) lies inside. Bounding boxes exclude their right and bottom edge.
  // With a limit, only the part of the shape inside it is made (the cost follows the
  // limit, not the shape).
  static TRegion Ellipse(const TRect& box, const TRect* limit = nullptr);
  static TRegion RoundRect(const TRect& box, Integer ellipseWidth, Integer ellipseHeight,
                           const TRect* limit = nullptr);
  static TRegion Polygon(const TPoint* points, Integer count, Integer fillMode = ALTERNATE,
                         const TRect* limit = nullptr);
  static TRegion PolyPolygon(const TPoint* points, const Integer* counts, Integer polygons,
                             Integer fillMode = ALTERNATE, const TRect* limit = nullptr);
  // The part of the ellipse in box whose pixel centres lie counter-clockwise from the
  // radial through start to the radial through end (a pie slice).
  static TRegion Pie(const TRect& box, TPoint start, TPoint end, const TRect* limit = nullptr);
  // The part of the ellipse on the left of the chord from start to end (as seen walking
  // from the start radial's point to the end radial's point counter-clockwise).
  static TRegion Chord(const TRect& box, TPoint start, TPoint end, const TRect* limit = nullptr);
  // Rows of spans: row r of rows holds the spans of y = top + r; spans may overlap and
  // come in any order.
  static TRegion FromRows(Integer top, std::vector<std::vector<TSpan>>& rows);
  // Bands given top to bottom and apart from each other, each with spans in any order that
  // may overlap: the region FromRows makes of the rows they cover, without a list per row.
  static TRegion FromBands(std::vector<TBand>& bands);

  bool IsEmpty() const { return FBands.empty(); }
  Integer Kind() const;
  TRect Bounds() const;
  bool Contains(Integer x, Integer y) const;
  bool Contains(TPoint p) const { return Contains(p.X, p.Y); }
  // True when some pixel of rect is in the region.
  bool Intersects(const TRect& rect) const;
  void Offset(Integer dx, Integer dy);
  TRegion Combine(const TRegion& other, Integer mode) const;
  TRegion Intersect(const TRect& rect) const { return Combine(TRegion(rect), RGN_AND); }
  Integer PixelCount() const;

  const std::vector<TBand>& Bands() const { return FBands; }
  friend bool operator==(const TRegion&, const TRegion&) = default;

private:
  void AppendBand(Integer top, Integer bottom, std::vector<TSpan>&& spans);
  std::vector<TBand> FBands;
};
