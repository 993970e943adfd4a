// The vector backend: the canvas primitives as cairo paths on a PDF surface whose user space
// is device pixels at the printer's resolution. See Surface.h.
#include <cmath>

#include <cairo-pdf.h>
#include <cairo.h>

#include "platform/graphics/Surface.h"

namespace {

void SetColor(cairo_t* cr, TColor c)
{
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry, double from, double to,
                 bool negative)
{
  if (rx <= 0 || ry <= 0)
    return;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  if (negative)
    cairo_arc_negative(cr, 0, 0, 1, from, to);
  else
    cairo_arc(cr, 0, 0, 1, from, to);
  cairo_restore(cr);
}

// The angle of p seen from the centre of box, in cairo's orientation (y down).
double RadialAngle(const TRect& box, TPoint p)
{
  double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
  double rx = std::max(1e-9, box.Width() / 2.0), ry = std::max(1e-9, box.Height() / 2.0);
  return std::atan2((p.Y - cy) / ry, (p.X - cx) / rx);
}

// The path of a shape whose edges lie inset pixels inside box (half a pixel puts a
// one-pixel outline on the pixels the raster rules paint).
void ShapePath(cairo_t* cr, const TSurfaceShape& s, double inset)
{
  cairo_new_path(cr);
  double l = s.Box.Left + inset, t = s.Box.Top + inset, r = s.Box.Right - inset,
         b = s.Box.Bottom - inset;
  double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
  switch (s.Kind) {
  case TSurfaceShape::skRect:
    cairo_rectangle(cr, l, t, r - l, b - t);
    break;
  case TSurfaceShape::skEllipse:
    EllipsePath(cr, cx, cy, rx, ry, 0, 2 * M_PI, false);
    break;
  case TSurfaceShape::skRoundRect: {
    double ex = std::min(std::abs(s.P1.X) / 2.0, rx), ey = std::min(std::abs(s.P1.Y) / 2.0, ry);
    cairo_new_sub_path(cr);
    EllipsePath(cr, r - ex, t + ey, ex, ey, -M_PI / 2, 0, false);
    EllipsePath(cr, r - ex, b - ey, ex, ey, 0, M_PI / 2, false);
    EllipsePath(cr, l + ex, b - ey, ex, ey, M_PI / 2, M_PI, false);
    EllipsePath(cr, l + ex, t + ey, ex, ey, M_PI, 3 * M_PI / 2, false);
    cairo_close_path(cr);
    break;
  }
  case TSurfaceShape::skArc:
  case TSurfaceShape::skPie:
  case TSurfaceShape::skChord: {
    // Counter-clockwise on the screen is decreasing angles in cairo's y-down space.
    double a0 = RadialAngle(s.Box, s.P1), a1 = RadialAngle(s.Box, s.P2);
    if (a1 >= a0)
      a1 -= 2 * M_PI;
    if (s.Kind == TSurfaceShape::skPie)
      cairo_move_to(cr, cx, cy);
    EllipsePath(cr, cx, cy, rx, ry, a0, a1, true);
    if (s.Kind != TSurfaceShape::skArc)
      cairo_close_path(cr);
    break;
  }
  case TSurfaceShape::skPolygon: {
    std::vector<Integer> counts = s.Counts;
    if (counts.empty())
      counts.push_back(static_cast<Integer>(s.Points.size()));
    size_t at = 0;
    for (Integer n : counts) {
      for (Integer i = 0; i < n; ++i)
        if (i == 0)
          cairo_move_to(cr, s.Points[at].X + inset, s.Points[at].Y + inset);
        else
          cairo_line_to(cr, s.Points[at + i].X + inset, s.Points[at + i].Y + inset);
      cairo_close_path(cr);
      at += n;
    }
    cairo_set_fill_rule(cr,
                        s.FillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    break;
  }
  }
}

void SetPen(cairo_t* cr, const TStroke& pen)
{
  double w = std::max<Integer>(1, pen.Width);
  cairo_set_line_width(cr, w);
  SetColor(cr, pen.Color);
  std::vector<Integer> dashes =
      pen.Width <= 1 ? raster::DashPattern(pen.Style) : std::vector<Integer>{};
  std::vector<double> d(dashes.begin(), dashes.end());
  cairo_set_dash(cr, d.data(), static_cast<int>(d.size()), 0);
  cairo_set_line_cap(cr, w > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, w > 1 ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
}

} // namespace

std::unique_ptr<TVectorSurface> TVectorSurface::CreatePdf(const AnsiString& fileName, Integer width,
                                                          Integer height, Integer dpi)
{
  return CreatePdf(fileName, TPageMedia::Sheet(width, height), dpi);
}

std::unique_ptr<TVectorSurface> TVectorSurface::CreatePdf(const AnsiString& fileName,
                                                          const TPageMedia& media, Integer dpi)
{
  std::unique_ptr<TVectorSurface> s(new TVectorSurface());
  s->FDpi = dpi > 0 ? dpi : 600;
  s->FMedia = media;
  s->FWidth = media.PrintableWidth;
  s->FHeight = media.PrintableHeight;
  double scale = 72.0 / s->FDpi;
  s->FSurface = cairo_pdf_surface_create(fileName.c_str(), std::max(1, media.PhysicalWidth) * scale,
                                         std::max(1, media.PhysicalHeight) * scale);
  s->FCr = cairo_create(s->FSurface);
  s->SetPageMatrix(s->FCr);
  return s;
}

// Device pixels at the printer's resolution, from the printable area's top-left.
void TVectorSurface::SetPageMatrix(cairo_t* cr) const
{
  cairo_identity_matrix(cr);
  cairo_scale(cr, 72.0 / FDpi, 72.0 / FDpi);
  cairo_translate(cr, FMedia.OffsetX, FMedia.OffsetY);
}

TVectorSurface::~TVectorSurface()
{
  Finish();
  cairo_destroy(FCr);
  cairo_surface_destroy(FSurface);
}

void TVectorSurface::NewPage(Integer width, Integer height)
{
  if (width > 0 && height > 0)
    NewPage(TPageMedia::Sheet(width, height));
  else
    NewPage(FMedia);
}

void TVectorSurface::NewPage(const TPageMedia& media)
{
  if (FFinished)
    return;
  cairo_show_page(FCr);
  if (media.PhysicalWidth > 0 && media.PhysicalHeight > 0 && !(media == FMedia)) {
    if (media.PhysicalWidth != FMedia.PhysicalWidth ||
        media.PhysicalHeight != FMedia.PhysicalHeight)
      cairo_pdf_surface_set_size(FSurface, media.PhysicalWidth * 72.0 / FDpi,
                                 media.PhysicalHeight * 72.0 / FDpi);
    FMedia = media;
    FWidth = media.PrintableWidth;
    FHeight = media.PrintableHeight;
    SetPageMatrix(FCr);
  }
}

void TVectorSurface::Finish()
{
  if (FFinished)
    return;
  FFinished = true;
  cairo_surface_finish(FSurface);
}

bool TVectorSurface::Begin(const TGc& gc)
{
  if (FFinished || gc.Rop2 == R2_NOP || (gc.Clip && gc.Clip->IsEmpty()))
    return false;
  cairo_save(FCr);
  if (gc.Clip) {
    cairo_new_path(FCr);
    for (const TRegion::TBand& band : gc.Clip->Bands())
      for (const TRegion::TSpan& s : band.Spans)
        cairo_rectangle(FCr, s.Left, band.Top, s.Right - s.Left, band.Bottom - band.Top);
    cairo_clip(FCr);
  }
  return true;
}

void TVectorSurface::End()
{
  cairo_restore(FCr);
}

void TVectorSurface::SetSource(const TFill& fill)
{
  if (!fill.Patterned) {
    SetColor(FCr, fill.Color);
    return;
  }
  // An 8x8 tile repeated from the device origin, gaps transparent.
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(tile));
  int stride = cairo_image_surface_get_stride(tile) / 4;
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) {
      TColor c = fill.At(x, y);
      data[y * stride + x] = fill.Paints(x, y) ? 0xFF000000u | (GetRValue(c) << 16) |
                                                     (GetGValue(c) << 8) | GetBValue(c)
                                               : 0;
    }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  cairo_set_source(FCr, pattern);
  cairo_pattern_destroy(pattern);
  cairo_surface_destroy(tile);
}

void TVectorSurface::StrokeLines(const TPoint* points, Integer count, const TStroke& pen,
                                 const TGc& gc)
{
  if (pen.Style == psClear || count < 2 || !Begin(gc))
    return;
  SetPen(FCr, pen);
  cairo_new_path(FCr);
  cairo_move_to(FCr, points[0].X + 0.5, points[0].Y + 0.5);
  for (Integer i = 1; i < count; ++i)
    cairo_line_to(FCr, points[i].X + 0.5, points[i].Y + 0.5);
  cairo_stroke(FCr);
  End();
}

void TVectorSurface::FillShape(const TSurfaceShape& shape, const TFill& fill, const TGc& gc)
{
  if (!Begin(gc))
    return;
  ShapePath(FCr, shape, 0);
  SetSource(fill);
  cairo_fill(FCr);
  End();
}

void TVectorSurface::FillShapeInside(const TSurfaceShape& shape, const TStroke& pen,
                                     const TFill& fill, const TGc& gc)
{
  FillShape(shape, fill, gc);
}

void TVectorSurface::StrokeShape(const TSurfaceShape& shape, const TStroke& pen, const TGc& gc)
{
  if (pen.Style == psClear || !Begin(gc))
    return;
  double w = std::max<Integer>(1, pen.Width);
  double inset = w > 1 && pen.Style != psInsideFrame ? 0.5 : w / 2;
  ShapePath(FCr, shape, inset);
  SetPen(FCr, pen);
  cairo_stroke(FCr);
  End();
}

void TVectorSurface::FillArea(const TRegion& area, const TFill& fill, const TGc& gc)
{
  if (area.IsEmpty() || !Begin(gc))
    return;
  cairo_new_path(FCr);
  for (const TRegion::TBand& band : area.Bands())
    for (const TRegion::TSpan& s : band.Spans)
      cairo_rectangle(FCr, s.Left, band.Top, s.Right - s.Left, band.Bottom - band.Top);
  SetSource(fill);
  cairo_fill(FCr);
  End();
}

void TVectorSurface::CopyBits(const TRect& dest, const TImageSurface* source,
                              const TRect& sourceRect, const TFill& pattern, TCopyMode rop,
                              const TGc& gc)
{
  unsigned index = (rop >> 16) & 0xFF;
  bool usesSource = ((index >> 2) ^ index) & 0x33;
  if (!usesSource) {
    // Pattern and constant fills; inversions cannot be shown on paper and are dropped.
    TFill fill = index == 0x00   ? TFill::Solid(clBlack)
                 : index == 0xFF ? TFill::Solid(clWhite)
                                 : pattern;
    if (index == 0xF0 || index == 0x00 || index == 0xFF) {
      TRect d = {std::min(dest.Left, dest.Right), std::min(dest.Top, dest.Bottom),
                 std::max(dest.Left, dest.Right), std::max(dest.Top, dest.Bottom)};
      FillArea(TRegion(d), fill, gc);
    }
    return;
  }
  if (!source || sourceRect.Width() == 0 || sourceRect.Height() == 0 || dest.Width() == 0 ||
      dest.Height() == 0 || !Begin(gc))
    return;
  PaintImage(dest, *source, sourceRect, clNone);
  End();
}

bool TVectorSurface::CopyBitsTransparent(const TRect& dest, const TImageSurface& source,
                                         const TRect& sourceRect, TColor transparent, const TGc& gc)
{
  if (sourceRect.Width() == 0 || sourceRect.Height() == 0 || dest.Width() == 0 ||
      dest.Height() == 0 || !Begin(gc))
    return true;
  PaintImage(dest, source, sourceRect, transparent);
  End();
  return true;
}

// The source pixels as an image, stretched (nearest pixel) onto the destination; pixels of
// colour transparent (clNone: none) are left out through the image's alpha.
void TVectorSurface::PaintImage(const TRect& dest, const TImageSurface& source,
                                const TRect& sourceRect, TColor transparent)
{
  TRect s = {
      std::min(sourceRect.Left, sourceRect.Right), std::min(sourceRect.Top, sourceRect.Bottom),
      std::max(sourceRect.Left, sourceRect.Right), std::max(sourceRect.Top, sourceRect.Bottom)};
  bool masked = transparent != clNone;
  std::uint32_t key = masked ? (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) |
                                   GetBValue(transparent)
                             : 0;
  cairo_surface_t* image = cairo_image_surface_create(
      masked ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, s.Width(), s.Height());
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image));
  int stride = cairo_image_surface_get_stride(image) / 4;
  for (Integer y = 0; y < s.Height(); ++y)
    for (Integer x = 0; x < s.Width(); ++x) {
      Integer sx = s.Left + x, sy = s.Top + y;
      bool inside = sx >= 0 && sy >= 0 && sx < source.Width() && sy < source.Height();
      std::uint32_t rgb =
          inside ? source.Bits()[static_cast<size_t>(sy) * source.Width() + sx] & 0xFFFFFF : 0;
      // Pixels outside the source paint black, as the raster copy does.
      data[y * stride + x] = masked && inside && rgb == key ? 0 : 0xFF000000u | rgb;
    }
  cairo_surface_mark_dirty(image);
  cairo_translate(FCr, dest.Left, dest.Top);
  cairo_scale(FCr, double(dest.Width()) / sourceRect.Width(),
              double(dest.Height()) / sourceRect.Height());
  cairo_translate(FCr, -(sourceRect.Left - s.Left), -(sourceRect.Top - s.Top));
  cairo_set_source_surface(FCr, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(FCr), CAIRO_FILTER_NEAREST);
  cairo_rectangle(FCr, 0, 0, s.Width(), s.Height());
  cairo_fill(FCr);
  cairo_surface_destroy(image);
}

void TVectorSurface::SetPixel(Integer x, Integer y, TColor rgb, const TGc& gc)
{
  FillArea(TRegion(Rect(x, y, x + 1, y + 1)), TFill::Solid(rgb), gc);
}

cairo_t* TVectorSurface::BeginCairo()
{
  if (FFinished)
    return nullptr;
  cairo_save(FCr);
  return FCr;
}

void TVectorSurface::EndCairo()
{
  if (!FFinished)
    cairo_restore(FCr);
}
