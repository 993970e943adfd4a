// Metafiles: TMetafileCanvas records canvas drawing as a list of device-level records
// (lines, shapes, fills, copies, pixels and text runs kept as text); TMetafile replays them
// onto any canvas at any scale and lets callers walk the records. See Graphics.h for the
// canvas and Surface.h for the primitives recorded.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/Pictures.h"

class TRecordingSurface;
struct TMetaRecord;

// Record types, numbered as the platform's enhanced metafile records.
enum : Integer {
  EMR_POLYGON = 3,
  EMR_POLYLINE = 4,
  EMR_POLYPOLYGON = 8,
  EMR_SETPIXELV = 15,
  EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43,
  EMR_ROUNDRECT = 44,
  EMR_ARC = 45,
  EMR_CHORD = 46,
  EMR_PIE = 47,
  EMR_FILLRGN = 71,
  EMR_STRETCHBLT = 77,
  EMR_EXTTEXTOUTA = 83,
  EMR_EXTTEXTOUTW = 84
};

// What EnumRecords shows of a record. Coordinates are the recording's device pixels.
struct TMetaRecordInfo {
  Integer Index = 0; // running number from 1, in drawing order
  Integer Type = 0;  // EMR_*
  TRect Bounds;      // inclusive: right and bottom are the last pixels covered
  AnsiString Text;   // text records: the GBK text as drawn
  Integer CharCount = 0;
  std::vector<TPoint> Points; // lines and polygons: the points as recorded
};
using TMetaRecordProc = std::function<bool(const TMetaRecordInfo& record)>; // false stops

class TMetafile : public TGraphic {
public:
  TMetafile();
  ~TMetafile() override;

  bool Empty() const override;
  // The recording's size in device pixels; playing into a rectangle scales it to fit.
  Integer Width() const override { return FWidth; }
  Integer Height() const override { return FHeight; }
  void SetWidth(Integer value) override;
  void SetHeight(Integer value) override;
  Integer RecordCount() const;
  void Clear();

  // Replays the records into dest (logical coordinates of the target canvas).
  void Play(TCanvas* target, const TRect& dest);
  void Draw(TCanvas* canvas, const TRect& rect) override { Play(canvas, rect); }
  // Calls proc for each record in drawing order until it returns false.
  void EnumRecords(const TMetaRecordProc& proc) const;

  // Metafile files are kept as bytes (and written back unchanged) but not drawn.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void Assign(TPersistent* Source) override;

private:
  friend class TMetafileCanvas;
  void SetRecords(std::vector<TMetaRecord>&& records, const TRect& bounds);

  std::shared_ptr<const std::vector<TMetaRecord>> FRecords;
  Integer FWidth = 0;
  Integer FHeight = 0;
  std::string FFileData;
};

// A canvas whose drawing goes into a metafile; the records are handed over when the
// canvas is freed. ReferenceDevice 0 stands for the screen.
class TMetafileCanvas : public TCanvas {
public:
  TMetafileCanvas(TMetafile* metafile, Integer referenceDevice);
  ~TMetafileCanvas() override;

private:
  std::unique_ptr<TRecordingSurface> FRecorder;
  TMetafile* FMetafile;
};
