// The program-wide cache of solid brushes: system colours answer the platform's system
// colour brushes, other colours cached brushes kept sorted by colour (a binary search), the
// least-used one evicted when the cache is full; the cache empties on a system colour
// change. Brushes are shared: one evicted while a caller still holds it stays alive until
// the caller lets it go.
#pragma once

#include <memory>
#include <vector>

#include "controls/cx/base/cxGraphics.h"

class TcxSystemPaletteChangedNotifier;

using TcxBrushHandle = std::shared_ptr<TBrush>;

class TcxSolidBrushCache : public TObject {
public:
  explicit TcxSolidBrushCache(Integer AMaxDepth = 128);
  ~TcxSolidBrushCache() override;

  TcxBrushHandle GetBrush(TColor AColor);
  void Clear();
  virtual void SystemPaletteChanged() { Clear(); }

  Integer Depth() const { return static_cast<Integer>(FColors.size()); }
  Cardinal ColorAt(Integer AIndex) const { return FColors[AIndex]; }
  Cardinal UseCountAt(Integer AIndex) const { return FUseCounts[AIndex]; }

private:
  Integer FMaxDepth;
  std::vector<Cardinal> FColors;
  std::vector<TcxBrushHandle> FBrushes;
  std::vector<Cardinal> FUseCounts;
  std::unique_ptr<TcxSystemPaletteChangedNotifier> FNotifier;
};

TcxSolidBrushCache* cxSolidBrushCache();
TcxBrushHandle SolidBrushForColor(TColor AColor);
TcxBrushHandle SolidBrushForCanvasColor(TCanvas* ACanvas, TColor AColor);
TcxBrushHandle SolidBrushForCxCanvasColor(TcxCanvas* ACanvas, TColor AColor);

void cxSolidBrushCacheInitialization();
void cxSolidBrushCacheFinalization();
