// The drawing surface of the layered suite: TcxCanvas wraps a platform canvas with the
// helpers every painter and view needs (frames of chosen sides, 3-D edges, the focus frame,
// glyphs drawn enabled or greyed, text by the canvas text flags, tiled bitmap fills,
// measuring and clip regions), TcxRegion owns a region, TcxScreenCanvas measures where no
// window exists, and two blends of the system colours serve the ultra-flat look. The
// painters (cxLookAndFeelPainters.h) draw only through this unit.
#pragma once

#include <memory>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Region.h"
#include "platform/rtl/Sets.h"

class TBitmap;
class TGraphic;
class TImageSurface;

enum TcxBorder { bLeft, bTop, bRight, bBottom };
using TcxBorders = TSet<TcxBorder>;
inline const TcxBorders cxBordersAll{bLeft, bTop, bRight, bBottom};

enum TcxGridLines { glBoth, glNone, glVertical, glHorizontal };

// Canvas text flags: the layout request of every text the canvas draws or measures.
enum : Integer {
  ctfLeft = 0x0001,
  ctfRight = 0x0002,
  ctfHCenter = 0x0004,
  ctfTop = 0x0008,
  ctfBottom = 0x0010,
  ctfVCenter = 0x0020,
  ctfSingleLine = 0x0040,
  ctfNoClip = 0x0080,
  ctfExpandTabs = 0x0100,
  ctfPrefix = 0x0200,
  ctfWordWrap = 0x0400,
  ctfEndEllipsis = 0x0800,
  ctfMeasureOnly = 0x1000,
  ctfPathEllipsis = 0x2000,
  ctfHorzMask = 0x7,
  ctfVertMask = 0x38
};

// The platform's DrawText flags for canvas text flags (DT_NOPREFIX unless ctfPrefix).
Cardinal TextFlagsToDrawTextFlags(Integer AFlags);

enum TcxRegionOperation { roCopy, roUnion, roDifference, roIntersection };

// A region owned by this object, in device pixels where it clips.
class TcxRegion : public TObject {
public:
  TcxRegion() = default; // the empty rectangle 0,0,0,0
  explicit TcxRegion(const TRegion& ARegion) : FRegion(ARegion) {}
  explicit TcxRegion(const TRect& R) : FRegion(R) {}
  TcxRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
      : FRegion(TRect{ALeft, ATop, ARight, ABottom})
  {
  }

  const TRegion& Handle() const { return FRegion; }
  TRegion& Handle() { return FRegion; }
  bool IsNullRegion() const { return FRegion.IsEmpty(); }
  // roCopy replaces this region by ARegion; the others combine it into this one. ARegion
  // is freed afterwards when AFreeRegion.
  void Combine(TcxRegion* ARegion, TcxRegionOperation AOperation, bool AFreeRegion = true);
  void Offset(Integer DX, Integer DY) { FRegion.Offset(DX, DY); }

private:
  TRegion FRegion;
};

// The platform's combine mode of a region operation.
Integer cxRegionOperationToCombineMode(TcxRegionOperation AOperation);

class TcxCanvas : public TObject {
public:
  explicit TcxCanvas(TCanvas* ACanvas) : FCanvas(ACanvas) {}

  TCanvas* Canvas() const { return FCanvas; }
  void SetCanvas(TCanvas* ACanvas) { FCanvas = ACanvas; }
  TBrush* Brush() const { return FCanvas->Brush(); }
  TFont* Font() const { return FCanvas->Font(); }
  TPen* Pen() const { return FCanvas->Pen(); }
  // The device context: the canvas itself on this platform.
  TCanvas* Handle() const { return FCanvas; }
  void AssignFont(TFont* AFont) { FCanvas->Font()->Assign(AFont); }
  void SetPixelColor(Integer X, Integer Y, TColor AColor) { FCanvas->SetPixels(X, Y, AColor); }
  void CopyRectFrom(const TRect& ADestRect, TCanvas* ASourceCanvas, const TRect& ASourceRect)
  {
    FCanvas->CopyRect(ADestRect, ASourceCanvas, ASourceRect);
  }
  void DrawGraphic(Integer X, Integer Y, TGraphic* AGraphic) { FCanvas->Draw(X, Y, AGraphic); }
  void MoveTo(Integer X, Integer Y) { FCanvas->MoveTo(X, Y); }
  void LineTo(Integer X, Integer Y) { FCanvas->LineTo(X, Y); }
  void Polygon(const TPoint* APoints, Integer AHighIndex)
  {
    FCanvas->Polygon(APoints, AHighIndex + 1);
  }
  void Polyline(const TPoint* APoints, Integer AHighIndex)
  {
    FCanvas->Polyline(APoints, AHighIndex + 1);
  }
  void FillRect(const TRect& R) { FCanvas->FillRect(R); }
  void FillRect(const TRect& R, TColor AColor);
  void WindowOrg(TPoint& APoint) const { APoint = FCanvas->WindowOrg(); }

  // Changes the brush colour only when it differs.
  void SetBrushColor(TColor AColor);
  // Fills R with the brush, or tiles a non-empty bitmap over R on a grid anchored at 0,0.
  void FillRectWithBitmap(const TRect& R, TBitmap* ABitmap);
  // Strips AWidth wide inside R, left, right, top, bottom (top and bottom span the whole
  // width); clDefault keeps the current brush colour.
  void DrawFrameSides(const TRect& R, TColor AColor, Integer AWidth, TcxBorders ABorders);
  void DrawTwoColorFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor,
                         TcxBorders ABorders, Integer ALineWidth = 1);
  // The one-colour frame.
  void FrameRect(const TRect& R, TColor AColor, Integer ALineWidth = 1,
                 TcxBorders ABorders = cxBordersAll)
  {
    DrawTwoColorFrame(R, AColor, AColor, ABorders, ALineWidth);
  }
  void Draw3DEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ABorders = cxBordersAll);
  void DrawFocusFrame(const TRect& R);
  void InvertArea(const TRect& R);
  // Leaves the brush colour changed (callers rely on it).
  void DrawGlyphBitmap(Integer X, Integer Y, TBitmap* ABitmap, bool AEnabled,
                       TColor ABackgroundColor);
  void DrawTextInState(const AnsiString& AText, TRect R, Integer AFlags, bool AEnabled = true);

  void MeasureText(const AnsiString& AText, TSize& ASize);
  Integer TextWidth(const AnsiString& AText);
  Integer TextHeight(const AnsiString& AText);
  Integer FontLineHeight(TFont* AFont);
  // The text's rectangle placed inside R by the alignment flags.
  void CalcTextRect(const AnsiString& AText, TRect& R, Integer AFlags);

  void ExcludeFromClip(const TRect& R) { FCanvas->ExcludeClipRect(R); }
  void ClipToRect(const TRect& R) { FCanvas->IntersectClipRect(R); }
  // A copy of the clip region in device pixels (the caller frees it); a canvas without
  // clip gives the square 0..107374182 for "everything".
  TcxRegion* CopyClipRegion() const;
  // roCopy selects ARegion (device pixels, as CopyClipRegion gives it); the others move it
  // by minus the window origin and combine it with the current clip.
  void SetClipRegion(TcxRegion* ARegion, TcxRegionOperation AOperation, bool AFreeRegion = true);
  bool IsRectVisible(const TRect& R) const { return FCanvas->RectVisible(R); }

private:
  TCanvas* FCanvas;
};

// A canvas of the screen device: it measures, nothing it draws is seen.
class TScreenCanvas : public TCanvas {
public:
  TScreenCanvas();
  ~TScreenCanvas() override;
  void ReleaseHandle();

private:
  std::unique_ptr<TImageSurface> FScreen;
};

class TcxScreenCanvas : public TcxCanvas {
public:
  TcxScreenCanvas();
  ~TcxScreenCanvas() override;
};

TColor NearestScreenColor(TColor AColor);
// Signed percentages of the face, highlight and window colours, each channel clamped to
// 0..255; a black or white face gives the highlight colour unchanged.
TColor MixSystemColors(Integer AFacePercent, Integer AHighlightPercent, Integer AWindowPercent);
TColor HighlightTintDark();
TColor HighlightTintLight();

// Told when a font it listens to changes (controls tell their styles objects).
class IcxFontListener {
public:
  virtual ~IcxFontListener() = default;
  virtual void FontChanged(TFont* AFont) = 0;
};

// Small rectangle helpers.
inline TRect cxRectInflate(TRect R, Integer DX, Integer DY)
{
  return TRect{R.Left - DX, R.Top - DY, R.Right + DX, R.Bottom + DY};
}
// R moved outward by AWidth on each side in ASides (inward for a negative AWidth).
inline TRect cxRectInflateSides(TRect R, TcxBorders ASides, Integer AWidth)
{
  if (ASides.Contains(bLeft))
    R.Left -= AWidth;
  if (ASides.Contains(bTop))
    R.Top -= AWidth;
  if (ASides.Contains(bRight))
    R.Right += AWidth;
  if (ASides.Contains(bBottom))
    R.Bottom += AWidth;
  return R;
}
inline TRect cxRectOffset(TRect R, Integer DX, Integer DY)
{
  return TRect{R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY};
}
inline bool cxRectIsEmpty(const TRect& R)
{
  return R.Right <= R.Left || R.Bottom <= R.Top;
}
inline Integer cxRectWidth(const TRect& R)
{
  return R.Right - R.Left;
}
inline Integer cxRectHeight(const TRect& R)
{
  return R.Bottom - R.Top;
}
