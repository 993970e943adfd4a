// The solid brush cache (see cxSolidBrushCache.h).
#include "controls/cx/base/cxSolidBrushCache.h"

#include <algorithm>

#include "controls/cx/base/cxLookAndFeels.h"

namespace {

TcxSolidBrushCache* Cache = nullptr;
bool SystemBrushes = false;

constexpr Cardinal FirstSystemColor = 0xFF000000u;
constexpr Cardinal LastSystemColor = 0xFF00001Eu;

} // namespace

TcxSolidBrushCache::TcxSolidBrushCache(Integer AMaxDepth) : FMaxDepth(AMaxDepth)
{
  FNotifier = std::make_unique<TcxSystemPaletteChangedNotifier>(true);
  FNotifier->OnPaletteChange = [this](TObject*) { SystemPaletteChanged(); };
}

TcxSolidBrushCache::~TcxSolidBrushCache()
{
  FNotifier.reset();
  Clear();
}

void TcxSolidBrushCache::Clear()
{
  FColors.clear();
  FBrushes.clear();
  FUseCounts.clear();
}

TcxBrushHandle TcxSolidBrushCache::GetBrush(TColor AColor)
{
  const Cardinal color = static_cast<Cardinal>(AColor);
  if (SystemBrushes && color >= FirstSystemColor && color <= LastSystemColor)
    // The platform owns its system brushes: the handle shares nothing and frees nothing.
    return TcxBrushHandle(GetSysColorBrush(static_cast<Integer>(color & 0x00FFFFFF)),
                          [](TBrush*) {});
  Integer index = static_cast<Integer>(std::lower_bound(FColors.begin(), FColors.end(), color) -
                                       FColors.begin());
  if (index < Depth() && FColors[index] == color) {
    ++FUseCounts[index];
    return FBrushes[index];
  }
  if (Depth() >= FMaxDepth && FMaxDepth > 0) {
    const Integer victim = static_cast<Integer>(
        std::min_element(FUseCounts.begin(), FUseCounts.end()) - FUseCounts.begin());
    FColors.erase(FColors.begin() + victim);
    FBrushes.erase(FBrushes.begin() + victim);
    FUseCounts.erase(FUseCounts.begin() + victim);
    if (victim < index)
      --index;
  }
  auto brush = std::make_shared<TBrush>();
  brush->SetColor(ColorToRGB(AColor));
  FColors.insert(FColors.begin() + index, color);
  FBrushes.insert(FBrushes.begin() + index, brush);
  FUseCounts.insert(FUseCounts.begin() + index, 0);
  return brush;
}

TcxSolidBrushCache* cxSolidBrushCache()
{
  return Cache;
}

TcxBrushHandle SolidBrushForColor(TColor AColor)
{
  return Cache->GetBrush(AColor);
}

TcxBrushHandle SolidBrushForCanvasColor(TCanvas*, TColor AColor)
{
  return SolidBrushForColor(AColor);
}

TcxBrushHandle SolidBrushForCxCanvasColor(TcxCanvas*, TColor AColor)
{
  return SolidBrushForColor(AColor);
}

void cxSolidBrushCacheInitialization()
{
  SystemBrushes = true;
  Cache = new TcxSolidBrushCache(128);
}

void cxSolidBrushCacheFinalization()
{
  delete Cache;
  Cache = nullptr;
  SystemBrushes = false;
}
