// Surfaces: what a canvas draws on. The canvas front end (Graphics.h) validates calls,
// maps logical to device coordinates and resolves pens, brushes and colours; a surface
// backend implements the few primitives below in device pixels. TImageSurface is the
// raster backend: 32-bit pixels and our own integer rasteriser with the platform's rules.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/TextEngine.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

// A brush resolved to pixels: one colour, or an 8x8 pattern anchored at the device
// origin (pixel (x, y) takes entry (y mod 8) * 8 + (x mod 8)). Entries whose Mask bit is
// clear are left alone (hatch gaps on a transparent background).
struct TFill {
  bool Patterned = false;
  TColor Color = 0; // 0x00BBGGRR
  std::array<TColor, 64> Pattern{};
  std::uint64_t Mask = ~std::uint64_t(0);

  static TFill Solid(TColor rgb)
  {
    TFill f;
    f.Color = rgb;
    return f;
  }
  TColor At(Integer x, Integer y) const
  {
    return Patterned ? Pattern[(y & 7) * 8 + (x & 7)] : Color;
  }
  bool Paints(Integer x, Integer y) const { return (Mask >> ((y & 7) * 8 + (x & 7))) & 1u; }
};

// A pen resolved for the device: Width in device pixels (0 and 1 are one-pixel pens).
struct TStroke {
  TColor Color = 0;
  Integer Width = 1;
  TPenStyle Style = psSolid;
};

// Drawing state every primitive needs. Clip is in device pixels; null means the whole
// surface.
struct TGc {
  const TRegion* Clip = nullptr;
  Integer Rop2 = R2_COPYPEN;
  Integer BkMode = OPAQUE;
  TColor BkColor = 0xFFFFFF;
};

// Closed shapes and arcs, in device pixels. Box excludes its right and bottom edge.
struct TSurfaceShape {
  enum TKind { skRect, skRoundRect, skEllipse, skArc, skPie, skChord, skPolygon };
  TKind Kind = skRect;
  TRect Box;
  TPoint P1, P2; // corner ellipse size (round rectangles); radial points (arcs)
  std::vector<TPoint> Points;
  std::vector<Integer> Counts; // polygons of a poly-polygon; empty means one polygon
  Integer FillMode = ALTERNATE;
};

// A rectangle and the solid colour (RGB) it is filled with.
struct TColoredRect {
  TRect Rect;
  TColor Color = 0;
};

enum TSurfaceKind { skRaster, skVector, skRecording };

// A run of text as the canvas laid it out, in device pixels: the cell's top-left at (X, Y),
// character i at X + Offsets[i] (per byte, trail bytes repeat their lead's).
struct TTextRun {
  TFontSpec Font;
  double X = 0;
  double Y = 0;
  AnsiString Text;
  std::vector<double> Offsets;
  double Width = 0;
  Integer Height = 0;
  TColor Color = 0;
};

// A printer's page in device pixels at the printer's resolution: the whole sheet and the
// printable area inside it. Device coordinates start at the printable area's top-left, as
// they do on the platform's printers; a landscape page is given with its sides swapped.
struct TPageMedia {
  Integer PhysicalWidth = 0;   // PHYSICALWIDTH
  Integer PhysicalHeight = 0;  // PHYSICALHEIGHT
  Integer OffsetX = 0;         // PHYSICALOFFSETX: left margin
  Integer OffsetY = 0;         // PHYSICALOFFSETY: top margin
  Integer PrintableWidth = 0;  // HORZRES
  Integer PrintableHeight = 0; // VERTRES

  // A sheet printable to its edges.
  static TPageMedia Sheet(Integer width, Integer height)
  {
    return {width, height, 0, 0, width, height};
  }
  // The same sheet turned a quarter (portrait to landscape): sides and margins swap.
  TPageMedia Turned() const
  {
    return {PhysicalHeight, PhysicalWidth, OffsetY, OffsetX, PrintableHeight, PrintableWidth};
  }
  friend bool operator==(const TPageMedia&, const TPageMedia&) = default;
};

class TImageSurface;

class TSurface {
public:
  virtual ~TSurface() = default;
  virtual TSurfaceKind Kind() const = 0;
  virtual Integer Width() const = 0;
  virtual Integer Height() const = 0;
  virtual Integer PixelsPerInch() const { return ScreenPixelsPerInch; }
  // Printer pages (and information contexts of printers) answer their media; null for
  // screens and bitmaps.
  virtual const TPageMedia* Media() const { return nullptr; }
  virtual bool IsPrinter() const { return false; }

  // Connected lines through the points; the last point is not painted.
  virtual void StrokeLines(const TPoint* points, Integer count, const TStroke& pen,
                           const TGc& gc) = 0;
  virtual void FillShape(const TSurfaceShape& shape, const TFill& fill, const TGc& gc) = 0;
  // The outline of a closed shape, or an arc.
  virtual void StrokeShape(const TSurfaceShape& shape, const TStroke& pen, const TGc& gc) = 0;
  // Shape fill without the pixels the pen outline will paint.
  virtual void FillShapeInside(const TSurfaceShape& shape, const TStroke& pen, const TFill& fill,
                               const TGc& gc) = 0;
  virtual void FillArea(const TRegion& area, const TFill& fill, const TGc& gc) = 0;
  // Solid rectangles filled one after the other, each as FillArea fills it (barcode bars).
  virtual void FillRects(const std::vector<TColoredRect>& rects, const TGc& gc)
  {
    for (const TColoredRect& r : rects)
      FillArea(TRegion(r.Rect), TFill::Solid(r.Color), gc);
  }
  // Block copy with a ternary raster operation; source extents differing from dest
  // stretch (nearest pixel), negative extents mirror. source may be null for operations
  // that do not read it.
  virtual void CopyBits(const TRect& dest, const TImageSurface* source, const TRect& sourceRect,
                        const TFill& pattern, TCopyMode rop, const TGc& gc) = 0;
  // A copy (stretched as CopyBits) that leaves out the source pixels of colour transparent
  // (0x00BBGGRR). Surfaces that mask images themselves do it and return true; for the
  // others (false) the canvas clips the copy to the pixels to paint.
  virtual bool CopyBitsTransparent(const TRect& dest, const TImageSurface& source,
                                   const TRect& sourceRect, TColor transparent, const TGc& gc)
  {
    return false;
  }
  virtual TColor GetPixel(Integer x, Integer y) const = 0; // -1 (clNone-like) outside
  virtual void SetPixel(Integer x, Integer y, TColor rgb, const TGc& gc) = 0;
  // Surfaces that keep text as text (recordings) take the run here and return true;
  // the others return false and the text engine draws the glyphs.
  virtual bool ShowText(const TTextRun& run, const TRegion* clip) { return false; }
  // The surface's cairo context, whose user space is the device pixels, for drawing glyphs;
  // null when the backend has none. The surface keeps it from one use to the next: each use
  // is bracketed by BeginCairo, which saves the context's state, and EndCairo, which
  // restores it and hands the pixels back to the surface's own drawing.
  virtual cairo_t* BeginCairo() { return nullptr; }
  virtual void EndCairo() {}
};

// 32-bit pixels 0x00RRGGBB, rows of Width() pixels, top row first.
class TImageSurface final : public TSurface {
public:
  TImageSurface(Integer width, Integer height, TColor fill = 0xFFFFFF);
  ~TImageSurface() override;
  // An information context of a printer: a small surface that measures text and answers
  // device capabilities at the printer's resolution and page, outside a print job.
  static std::unique_ptr<TImageSurface> CreateInformationContext(const TPageMedia& media,
                                                                 Integer dpi);
  TImageSurface(const TImageSurface&) = delete;
  TImageSurface& operator=(const TImageSurface&) = delete;

  TSurfaceKind Kind() const override { return skRaster; }
  Integer Width() const override { return FWidth; }
  Integer Height() const override { return FHeight; }
  Integer PixelsPerInch() const override { return FDpi; }
  const TPageMedia* Media() const override { return FPrinter ? &FMedia : nullptr; }
  bool IsPrinter() const override { return FPrinter; }

  // Resizing keeps the overlapping pixels and fills the new area.
  void Resize(Integer width, Integer height, TColor fill);
  std::uint32_t* Bits() { return FBits.data(); }
  const std::uint32_t* Bits() const { return FBits.data(); }
  // A pixel's colour as 0x00BBGGRR without bounds check.
  TColor Pixel(Integer x, Integer y) const;

  void StrokeLines(const TPoint* points, Integer count, const TStroke& pen, const TGc& gc) override;
  void FillShape(const TSurfaceShape& shape, const TFill& fill, const TGc& gc) override;
  void StrokeShape(const TSurfaceShape& shape, const TStroke& pen, const TGc& gc) override;
  void FillShapeInside(const TSurfaceShape& shape, const TStroke& pen, const TFill& fill,
                       const TGc& gc) override;
  void FillArea(const TRegion& area, const TFill& fill, const TGc& gc) override;
  // Rows that the same rectangles cover come out alike: the first of them is filled and
  // the others copied from it.
  void FillRects(const std::vector<TColoredRect>& rects, const TGc& gc) override;
  void CopyBits(const TRect& dest, const TImageSurface* source, const TRect& sourceRect,
                const TFill& pattern, TCopyMode rop, const TGc& gc) override;
  TColor GetPixel(Integer x, Integer y) const override;
  void SetPixel(Integer x, Integer y, TColor rgb, const TGc& gc) override;
  cairo_t* BeginCairo() override;
  void EndCairo() override;
  cairo_surface_t* CairoSurface();

  // Writes the pixels as a PNG file (screenshots of tests); false on failure.
  bool WritePng(const AnsiString& fileName);

private:
  TRegion ClipArea(const TGc& gc) const;
  void ReleaseCairo();
  // The surface with a margin: geometry outside it is never computed.
  TRect Limit() const { return Rect(-2, -2, FWidth + 2, FHeight + 2); }
  void Paint(const TRegion& area, const TFill& fill, Integer rop2);

  Integer FWidth = 0;
  Integer FHeight = 0;
  std::vector<std::uint32_t> FBits;
  cairo_surface_t* FCairo = nullptr; // over FBits; made again when they move
  cairo_t* FCairoContext = nullptr;  // on FCairo, kept between uses
  Integer FDpi = ScreenPixelsPerInch;
  bool FPrinter = false;
  TPageMedia FMedia;
};

// Geometry shared by the raster backend and tests.
namespace raster {
// The pixels of a one-pixel line from a towards b, b excluded. With a limit, only the
// pixels inside it, and in steps their step numbers counted from a.
std::vector<TPoint> LinePixels(TPoint a, TPoint b, const TRect* limit = nullptr,
                               std::vector<Int64>* steps = nullptr);
// The region a shape fills (only its part inside limit, when given).
TRegion ShapeArea(const TSurfaceShape& shape, const TRect* limit = nullptr);
// Dash pattern of a pen style in device pixels (on, off, on, ...); empty for solid.
std::vector<Integer> DashPattern(TPenStyle style);
} // namespace raster

// Vector output through cairo: PDF files for printer jobs and print-to-file. The user space
// is device pixels at PixelsPerInch(), starting at the printable area of the page's media
// (Width() and Height() are the printable size); lines, shapes and text stay vectors (no
// raster rules, no XOR: raster operations other than copies paint as copies).
class TVectorSurface final : public TSurface {
public:
  // A PDF file whose pages are width x height device pixels at dpi.
  static std::unique_ptr<TVectorSurface> CreatePdf(const AnsiString& fileName, Integer width,
                                                   Integer height, Integer dpi);
  // A PDF file whose first page is the given media at dpi.
  static std::unique_ptr<TVectorSurface> CreatePdf(const AnsiString& fileName,
                                                   const TPageMedia& media, Integer dpi);
  ~TVectorSurface() override;
  TVectorSurface(const TVectorSurface&) = delete;
  TVectorSurface& operator=(const TVectorSurface&) = delete;

  TSurfaceKind Kind() const override { return skVector; }
  Integer Width() const override { return FWidth; }
  Integer Height() const override { return FHeight; }
  Integer PixelsPerInch() const override { return FDpi; }
  const TPageMedia* Media() const override { return &FMedia; }
  bool IsPrinter() const override { return true; }

  // Ends the current page; the next one has the given size (0: unchanged).
  void NewPage(Integer width = 0, Integer height = 0);
  // Ends the current page; the next one is printed on media (paper size, orientation and
  // margins may change from page to page).
  void NewPage(const TPageMedia& media);
  // Writes the file; drawing afterwards does nothing.
  void Finish();

  void StrokeLines(const TPoint* points, Integer count, const TStroke& pen, const TGc& gc) override;
  void FillShape(const TSurfaceShape& shape, const TFill& fill, const TGc& gc) override;
  void StrokeShape(const TSurfaceShape& shape, const TStroke& pen, const TGc& gc) override;
  void FillShapeInside(const TSurfaceShape& shape, const TStroke& pen, const TFill& fill,
                       const TGc& gc) override;
  void FillArea(const TRegion& area, const TFill& fill, const TGc& gc) override;
  void CopyBits(const TRect& dest, const TImageSurface* source, const TRect& sourceRect,
                const TFill& pattern, TCopyMode rop, const TGc& gc) override;
  // The image goes to paper once, with a mask of its transparent pixels.
  bool CopyBitsTransparent(const TRect& dest, const TImageSurface& source, const TRect& sourceRect,
                           TColor transparent, const TGc& gc) override;
  TColor GetPixel(Integer, Integer) const override { return -1; }
  void SetPixel(Integer x, Integer y, TColor rgb, const TGc& gc) override;
  cairo_t* BeginCairo() override;
  void EndCairo() override;

private:
  TVectorSurface() = default;
  void SetPageMatrix(cairo_t* cr) const;
  bool Begin(const TGc& gc);
  void End();
  void SetSource(const TFill& fill);
  void PaintImage(const TRect& dest, const TImageSurface& source, const TRect& sourceRect,
                  TColor transparent);

  cairo_surface_t* FSurface = nullptr;
  cairo_t* FCr = nullptr;
  Integer FWidth = 0;
  Integer FHeight = 0;
  Integer FDpi = 600;
  TPageMedia FMedia;
  bool FFinished = false;
};
