// Metafiles: a recording surface that keeps every primitive with its exact device
// arguments, and playback that maps them into a target rectangle. See Metafile.h.
#include "platform/graphics/Metafile.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterMetafileClasses()
{
  TClassRegistration<TMetafile, TGraphic>("TMetafile");
  TClassRegistration<TMetafileCanvas, TCanvas>("TMetafileCanvas").Factory(nullptr);
}

// One recorded primitive with its arguments.
struct TMetaRecord {
  enum TKind {
    rkLines,
    rkFillShape,
    rkStrokeShape,
    rkFillShapeInside,
    rkFillArea,
    rkCopyBits,
    rkSetPixel,
    rkText
  };
  TKind Kind = rkLines;
  std::vector<TPoint> Points;
  TSurfaceShape Shape;
  TStroke Pen;
  TFill Fill;
  TGc Gc; // Gc.Clip is not used: the clip is kept in Clip
  bool HasClip = false;
  TRegion Clip;
  TRegion Area;
  TRect Dest, Source;
  std::shared_ptr<TImageSurface> Image;
  TCopyMode Rop = 0;
  TPoint Pixel;
  TColor Color = 0;
  TTextRun Run;
};

// A surface that draws nothing and records everything.
class TRecordingSurface final : public TSurface {
public:
  TRecordingSurface(Integer width, Integer height) : FWidth(width), FHeight(height) {}

  TSurfaceKind Kind() const override { return skRecording; }
  Integer Width() const override { return FWidth; }
  Integer Height() const override { return FHeight; }

  void StrokeLines(const TPoint* points, Integer count, const TStroke& pen, const TGc& gc) override
  {
    TMetaRecord& r = Add(TMetaRecord::rkLines, gc);
    r.Points.assign(points, points + count);
    r.Pen = pen;
  }
  void FillShape(const TSurfaceShape& shape, const TFill& fill, const TGc& gc) override
  {
    TMetaRecord& r = Add(TMetaRecord::rkFillShape, gc);
    r.Shape = shape;
    r.Fill = fill;
  }
  void StrokeShape(const TSurfaceShape& shape, const TStroke& pen, const TGc& gc) override
  {
    TMetaRecord& r = Add(TMetaRecord::rkStrokeShape, gc);
    r.Shape = shape;
    r.Pen = pen;
  }
  void FillShapeInside(const TSurfaceShape& shape, const TStroke& pen, const TFill& fill,
                       const TGc& gc) override
  {
    TMetaRecord& r = Add(TMetaRecord::rkFillShapeInside, gc);
    r.Shape = shape;
    r.Pen = pen;
    r.Fill = fill;
  }
  void FillArea(const TRegion& area, const TFill& fill, const TGc& gc) override
  {
    TMetaRecord& r = Add(TMetaRecord::rkFillArea, gc);
    r.Area = area;
    r.Fill = fill;
  }
  void CopyBits(const TRect& dest, const TImageSurface* source, const TRect& sourceRect,
                const TFill& pattern, TCopyMode rop, const TGc& gc) override
  {
    TMetaRecord& r = Add(TMetaRecord::rkCopyBits, gc);
    r.Dest = dest;
    r.Source = sourceRect;
    r.Fill = pattern;
    r.Rop = rop;
    if (!source)
      return;
    // Keep a copy of the pixels the copy reads, with the source rectangle moved onto it.
    TRect s = {
        std::min(sourceRect.Left, sourceRect.Right), std::min(sourceRect.Top, sourceRect.Bottom),
        std::max(sourceRect.Left, sourceRect.Right), std::max(sourceRect.Top, sourceRect.Bottom)};
    r.Image = std::make_shared<TImageSurface>(s.Width(), s.Height(), 0);
    TGc copy;
    r.Image->CopyBits(Rect(0, 0, s.Width(), s.Height()), source, s, TFill(), SRCCOPY, copy);
    OffsetRect(r.Source, -s.Left, -s.Top);
  }
  TColor GetPixel(Integer, Integer) const override { return -1; }
  void SetPixel(Integer x, Integer y, TColor rgb, const TGc& gc) override
  {
    TMetaRecord& r = Add(TMetaRecord::rkSetPixel, gc);
    r.Pixel = {x, y};
    r.Color = rgb;
  }
  bool ShowText(const TTextRun& run, const TRegion* clip) override
  {
    TGc gc;
    gc.Clip = clip;
    TMetaRecord& r = Add(TMetaRecord::rkText, gc);
    r.Run = run;
    return true;
  }

  std::vector<TMetaRecord> Records;

private:
  TMetaRecord& Add(TMetaRecord::TKind kind, const TGc& gc)
  {
    Records.emplace_back();
    TMetaRecord& r = Records.back();
    r.Kind = kind;
    r.Gc = gc;
    r.Gc.Clip = nullptr;
    if (gc.Clip) {
      r.HasClip = true;
      r.Clip = *gc.Clip;
    }
    return r;
  }

  Integer FWidth;
  Integer FHeight;
};

namespace {

Integer ShapeType(const TSurfaceShape& s)
{
  switch (s.Kind) {
  case TSurfaceShape::skRect:
    return EMR_RECTANGLE;
  case TSurfaceShape::skRoundRect:
    return EMR_ROUNDRECT;
  case TSurfaceShape::skEllipse:
    return EMR_ELLIPSE;
  case TSurfaceShape::skArc:
    return EMR_ARC;
  case TSurfaceShape::skPie:
    return EMR_PIE;
  case TSurfaceShape::skChord:
    return EMR_CHORD;
  case TSurfaceShape::skPolygon:
    return s.Counts.size() > 1 ? EMR_POLYPOLYGON : EMR_POLYGON;
  }
  return 0;
}

TRect PointsBounds(const std::vector<TPoint>& points)
{
  if (points.empty())
    return TRect();
  TRect r{MaxInt, MaxInt, -MaxInt, -MaxInt};
  for (TPoint p : points) {
    r.Left = std::min(r.Left, p.X);
    r.Top = std::min(r.Top, p.Y);
    r.Right = std::max(r.Right, p.X);
    r.Bottom = std::max(r.Bottom, p.Y);
  }
  return r;
}

// Inclusive bounds of a record in the recording's pixels.
TRect RecordBounds(const TMetaRecord& r)
{
  switch (r.Kind) {
  case TMetaRecord::rkLines:
    return PointsBounds(r.Points);
  case TMetaRecord::rkFillShape:
  case TMetaRecord::rkStrokeShape:
  case TMetaRecord::rkFillShapeInside:
    if (r.Shape.Kind == TSurfaceShape::skPolygon)
      return PointsBounds(r.Shape.Points);
    return {r.Shape.Box.Left, r.Shape.Box.Top, r.Shape.Box.Right - 1, r.Shape.Box.Bottom - 1};
  case TMetaRecord::rkFillArea: {
    TRect b = r.Area.Bounds();
    return {b.Left, b.Top, b.Right - 1, b.Bottom - 1};
  }
  case TMetaRecord::rkCopyBits:
    return {std::min(r.Dest.Left, r.Dest.Right), std::min(r.Dest.Top, r.Dest.Bottom),
            std::max(r.Dest.Left, r.Dest.Right) - 1, std::max(r.Dest.Top, r.Dest.Bottom) - 1};
  case TMetaRecord::rkSetPixel:
    return {r.Pixel.X, r.Pixel.Y, r.Pixel.X, r.Pixel.Y};
  case TMetaRecord::rkText: {
    Integer x = static_cast<Integer>(std::floor(r.Run.X + 0.5)),
            y = static_cast<Integer>(std::floor(r.Run.Y + 0.5));
    return {x, y, x + static_cast<Integer>(std::floor(r.Run.Width + 0.5)) - 1,
            y + r.Run.Height - 1};
  }
  }
  return TRect();
}

// Maps recording pixels into the target's device pixels.
class TMapping {
public:
  TMapping(TPoint origin, double sx, double sy) : FOrigin(origin), FSx(sx), FSy(sy) {}
  Integer X(Integer x) const { return FOrigin.X + static_cast<Integer>(std::floor(x * FSx + 0.5)); }
  Integer Y(Integer y) const { return FOrigin.Y + static_cast<Integer>(std::floor(y * FSy + 0.5)); }
  double Sx() const { return FSx; }
  double Sy() const { return FSy; }
  TPoint Map(TPoint p) const { return {X(p.X), Y(p.Y)}; }
  TRect Map(const TRect& r) const { return {X(r.Left), Y(r.Top), X(r.Right), Y(r.Bottom)}; }
  // A band's rows all map to the same spans, so the region is mapped band by band. Bands
  // whose rows map to none (squeezed, or a mirrored mapping) give nothing.
  TRegion Map(const TRegion& region) const
  {
    std::vector<TRegion::TBand> bands;
    bands.reserve(region.Bands().size());
    for (const TRegion::TBand& band : region.Bands()) {
      const Integer top = Y(band.Top), bottom = Y(band.Bottom);
      if (top >= bottom)
        continue;
      TRegion::TBand& mapped = bands.emplace_back();
      mapped.Top = top;
      mapped.Bottom = bottom;
      mapped.Spans.reserve(band.Spans.size());
      for (const TRegion::TSpan& s : band.Spans)
        mapped.Spans.push_back({X(s.Left), X(s.Right)});
    }
    return TRegion::FromBands(bands);
  }
  TSurfaceShape Map(const TSurfaceShape& s) const
  {
    TSurfaceShape m = s;
    m.Box = Map(s.Box);
    for (TPoint& p : m.Points)
      p = Map(p);
    if (s.Kind == TSurfaceShape::skRoundRect)
      m.P1 = {static_cast<Integer>(std::lround(s.P1.X * FSx)),
              static_cast<Integer>(std::lround(s.P1.Y * FSy))};
    else if (s.Kind != TSurfaceShape::skRect)
      m.P1 = Map(s.P1);
    m.P2 = Map(s.P2);
    return m;
  }
  TStroke Map(const TStroke& pen) const
  {
    TStroke p = pen;
    if (pen.Width > 1)
      p.Width =
          std::max<Integer>(1, static_cast<Integer>(std::lround(pen.Width * (FSx + FSy) / 2)));
    return p;
  }

private:
  TPoint FOrigin;
  double FSx, FSy;
};

void PlayRecord(const TMetaRecord& r, const TMapping& map, TSurface& surface, TCanvas& target,
                const TRegion* targetClip)
{
  TRegion clip;
  const TRegion* clipPtr = targetClip;
  if (r.HasClip) {
    clip = map.Map(r.Clip);
    if (targetClip)
      clip = clip.Combine(*targetClip, RGN_AND);
    clipPtr = &clip;
  }
  TGc gc = r.Gc;
  gc.Clip = clipPtr;
  switch (r.Kind) {
  case TMetaRecord::rkLines: {
    std::vector<TPoint> pts;
    for (TPoint p : r.Points)
      pts.push_back(map.Map(p));
    surface.StrokeLines(pts.data(), static_cast<Integer>(pts.size()), map.Map(r.Pen), gc);
    break;
  }
  case TMetaRecord::rkFillShape:
    surface.FillShape(map.Map(r.Shape), r.Fill, gc);
    break;
  case TMetaRecord::rkStrokeShape:
    surface.StrokeShape(map.Map(r.Shape), map.Map(r.Pen), gc);
    break;
  case TMetaRecord::rkFillShapeInside:
    surface.FillShapeInside(map.Map(r.Shape), map.Map(r.Pen), r.Fill, gc);
    break;
  case TMetaRecord::rkFillArea:
    surface.FillArea(map.Map(r.Area), r.Fill, gc);
    break;
  case TMetaRecord::rkCopyBits:
    surface.CopyBits(map.Map(r.Dest), r.Image.get(), r.Source, r.Fill, r.Rop, gc);
    break;
  case TMetaRecord::rkSetPixel: {
    // A pixel becomes the block it covers at the playing scale.
    TRect px = map.Map(Rect(r.Pixel.X, r.Pixel.Y, r.Pixel.X + 1, r.Pixel.Y + 1));
    surface.FillArea(TRegion(px), TFill::Solid(r.Color), gc);
    break;
  }
  case TMetaRecord::rkText: {
    TTextRun run = r.Run;
    run.Font.EmHeight *= map.Sy();
    run.X = map.X(0) + r.Run.X * map.Sx();
    run.Y = map.Y(0) + r.Run.Y * map.Sy();
    for (double& o : run.Offsets)
      o *= map.Sx();
    run.Width *= map.Sx();
    run.Height = static_cast<Integer>(std::lround(r.Run.Height * map.Sy()));
    if (!surface.ShowText(run, clipPtr))
      target.TextEngine().Draw(surface, run.Font, run.X, run.Y, run.Text, run.Offsets, run.Color,
                               clipPtr);
    break;
  }
  }
}

} // namespace

// ---------------------------------------------------------------------------------------
// TMetafile

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

bool TMetafile::Empty() const
{
  return (!FRecords || FRecords->empty()) && FFileData.empty();
}

void TMetafile::SetWidth(Integer value)
{
  if (FWidth == value)
    return;
  FWidth = std::max<Integer>(0, value);
  Changed();
}

void TMetafile::SetHeight(Integer value)
{
  if (FHeight == value)
    return;
  FHeight = std::max<Integer>(0, value);
  Changed();
}

Integer TMetafile::RecordCount() const
{
  return FRecords ? static_cast<Integer>(FRecords->size()) : 0;
}

void TMetafile::Clear()
{
  FRecords.reset();
  FFileData.clear();
  Changed();
}

void TMetafile::SetRecords(std::vector<TMetaRecord>&& records, const TRect& bounds)
{
  FRecords = std::make_shared<const std::vector<TMetaRecord>>(std::move(records));
  FFileData.clear();
  if (FWidth == 0)
    FWidth = std::max<Integer>(0, bounds.Right);
  if (FHeight == 0)
    FHeight = std::max<Integer>(0, bounds.Bottom);
  Changed();
}

void TMetafile::Play(TCanvas* target, const TRect& dest)
{
  if (!target || !FRecords || FRecords->empty() || FWidth <= 0 || FHeight <= 0)
    return;
  TSurface* surface = target->Surface();
  if (!surface)
    throw EInvalidOperation("Canvas does not allow drawing");
  // Keep the records alive while playing: a handler may replace them.
  std::shared_ptr<const std::vector<TMetaRecord>> records = FRecords;
  TMapping map(target->ToDevice(dest.TopLeft()), double(dest.Width()) / FWidth,
               double(dest.Height()) / FHeight);
  TRegion clip;
  bool clipped = target->GetClipRegion(clip);
  for (const TMetaRecord& r : *records)
    PlayRecord(r, map, *surface, *target, clipped ? &clip : nullptr);
}

void TMetafile::EnumRecords(const TMetaRecordProc& proc) const
{
  if (!FRecords)
    return;
  std::shared_ptr<const std::vector<TMetaRecord>> records = FRecords;
  Integer index = 0;
  for (const TMetaRecord& r : *records) {
    TMetaRecordInfo info;
    info.Index = ++index;
    info.Bounds = RecordBounds(r);
    switch (r.Kind) {
    case TMetaRecord::rkLines:
      info.Type = EMR_POLYLINE;
      info.Points = r.Points;
      break;
    case TMetaRecord::rkFillShape:
    case TMetaRecord::rkStrokeShape:
    case TMetaRecord::rkFillShapeInside:
      info.Type = ShapeType(r.Shape);
      info.Points = r.Shape.Points;
      break;
    case TMetaRecord::rkFillArea:
      info.Type = EMR_FILLRGN;
      break;
    case TMetaRecord::rkCopyBits:
      info.Type = EMR_STRETCHBLT;
      break;
    case TMetaRecord::rkSetPixel:
      info.Type = EMR_SETPIXELV;
      break;
    case TMetaRecord::rkText: {
      info.Type = EMR_EXTTEXTOUTA;
      info.Text = r.Run.Text;
      for (size_t i = 0; i < r.Run.Text.size(); ++info.CharCount) {
        unsigned char b = static_cast<unsigned char>(r.Run.Text[i]);
        i += (b >= 0x81 && b != 0xFF && i + 1 < r.Run.Text.size()) ? 2 : 1;
      }
      break;
    }
    }
    if (!proc(info))
      return;
  }
}

void TMetafile::LoadFromStream(TStream* stream)
{
  Int64 n = stream->Size() - stream->Position();
  std::string bytes(static_cast<size_t>(std::max<Int64>(0, n)), '\0');
  if (n > 0)
    stream->ReadBuffer(bytes.data(), static_cast<Integer>(n));
  FRecords.reset();
  FFileData = std::move(bytes);
  Changed();
}

void TMetafile::SaveToStream(TStream* stream)
{
  if (!FFileData.empty())
    stream->WriteBuffer(FFileData.data(), static_cast<Integer>(FFileData.size()));
}

void TMetafile::Assign(TPersistent* Source)
{
  if (auto* m = dynamic_cast<TMetafile*>(Source)) {
    FRecords = m->FRecords; // records never change once recorded, so they are shared
    FWidth = m->FWidth;
    FHeight = m->FHeight;
    FFileData = m->FFileData;
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// TMetafileCanvas

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, Integer referenceDevice)
    : FRecorder(std::make_unique<TRecordingSurface>(
          metafile && metafile->Width() > 0 ? metafile->Width() : 32767,
          metafile && metafile->Height() > 0 ? metafile->Height() : 32767)),
      FMetafile(metafile)
{
  SetSurface(FRecorder.get());
}

TMetafileCanvas::~TMetafileCanvas()
{
  SetSurface(nullptr);
  if (!FMetafile)
    return;
  TRect bounds;
  for (const TMetaRecord& r : FRecorder->Records) {
    TRect b = RecordBounds(r);
    bounds.Right = std::max(bounds.Right, b.Right + 1);
    bounds.Bottom = std::max(bounds.Bottom, b.Bottom + 1);
  }
  FMetafile->SetRecords(std::move(FRecorder->Records), bounds);
}
