// Selection colours shared by the grids (TDBGridEhStyle, the shared default style and the
// lightened blend of a cell colour with the highlight) (DBGridEh.h describes the unit).
#include <algorithm>
#include <cmath>

#include "controls/eh/DBGridEh.h"
#include "platform/ui/Forms.h"

namespace {

TDBGridEhStyle* GDefaultStyle = nullptr;
Integer GScreenColorCountOverride = -1;

} // namespace

TDBGridEhStyle* DefaultGridStyle()
{
  return GDefaultStyle;
}

void SetDefaultGridStyle(TDBGridEhStyle* Value)
{
  GDefaultStyle = Value;
}

void SetScreenColorCountForTests(Integer Value)
{
  GScreenColorCountOverride = Value;
  if (GDefaultStyle)
    GDefaultStyle->ScreenColorsChanged();
}

Integer ScreenColorCountNow()
{
  // True-colour displays report -1; a test may ask for a 256-colour display.
  return GScreenColorCountOverride;
}

TColor MixLightColor(TColor AColor, TColor AGlassColor, bool AUngray)
{
  TColor a = ColorToRGB(AColor), g = ColorToRGB(AGlassColor);
  auto mix = [&](Byte ca, Byte cg) {
    double v = ca + (cg - static_cast<double>(ca)) * 0.5;
    v = v + (225 - v) * 0.6;
    if (AUngray)
      v = v - (122 - v) * 0.25;
    double r = std::nearbyint(v); // halves to even in the default rounding mode
    return static_cast<Byte>(std::clamp(r, 0.0, 255.0));
  };
  return RGB(mix(GetRValue(a), GetRValue(g)), mix(GetGValue(a), GetGValue(g)),
             mix(GetBValue(a), GetBValue(g)));
}

TDBGridEhStyle::TDBGridEhStyle()
{
  FWindow = AllocateHWnd([this](TMessage& Message) {
    Message.Result = ColorWatchProc(Message.Msg, Message.WParam, Message.LParam);
  });
  FLightenSelection = true;
  FShowFocusRect = true;
  ScreenColorsChanged();
}

TDBGridEhStyle::~TDBGridEhStyle()
{
  if (FWindow)
    DeallocateHWnd(FWindow);
  if (GDefaultStyle == this)
    GDefaultStyle = nullptr;
  // Each grid falls back to the shared style.
  while (!FGrids.empty()) {
    TCustomDBGridEh* g = FGrids.back();
    FGrids.pop_back();
    g->FStyle = nullptr;
    g->ResetStyle();
  }
}

void TDBGridEhStyle::AddGrid(TCustomDBGridEh* Grid)
{
  if (!HasGrid(Grid))
    FGrids.push_back(Grid);
}

bool TDBGridEhStyle::HasGrid(TCustomDBGridEh* Grid) const
{
  return std::find(FGrids.begin(), FGrids.end(), Grid) != FGrids.end();
}

void TDBGridEhStyle::RemoveGrid(TCustomDBGridEh* Grid)
{
  FGrids.erase(std::remove(FGrids.begin(), FGrids.end(), Grid), FGrids.end());
}

void TDBGridEhStyle::ScreenColorsChanged()
{
  FScreenColorCount = ScreenColorCountNow();
}

LRESULT TDBGridEhStyle::ColorWatchProc(UINT Msg, WPARAM WParam, LPARAM LParam)
{
  if (Msg == WM_SYSCOLORCHANGE) {
    try {
      ScreenColorsChanged();
    } catch (Exception& E) {
      Application()->HandleException(this);
    }
    return 0;
  }
  return DefWindowProc(FWindow, Msg, WParam, LParam);
}

bool TDBGridEhStyle::HighlightDataCell(TCustomDBGridEh* Grid, Integer ACol, Integer ARow,
                                       Integer DataCol, Integer DataRow, TGridDrawState& State,
                                       TColor& Background, TFont* Font)
{
  bool selected = false;
  if (Grid->DataLink()->Active())
    selected = Grid->Selection()->ContainsCell(DataCol, Grid->DataLink()->DataSet()->Bookmark());
  TDBGridEhOptions options = Grid->Options();
  bool fullRow = options.Contains(dgFullRowSelect);
  bool focusHighlight = false;
  if (!selected) {
    focusHighlight = Grid->HasActiveFocus() && Grid->ExtOptions().Contains(dgxHighlightFocusEh);
    if (Grid->ExtOptions().Contains(dgxRowHighlightEh) &&
        DataRow + Grid->TitleRowCount() + Grid->SubTitleRowCount() == Grid->Row() &&
        Grid->Selection()->Kind() == selNoneEh &&
        DataCol + Grid->IndicatorColCount() != Grid->Col()) {
      focusHighlight = true;
      State.Include(gdSelected);
    }
    selected = (State.Contains(gdSelected) || (ARow == Grid->Row() && fullRow)) &&
               (options.Contains(dgKeepSelectionVisible) || focusHighlight) &&
               (Grid->UpdateLock() == 0 || fullRow);
  }
  if (!selected)
    return false;
  bool current = ARow == Grid->Row() && (ACol == Grid->Col() || fullRow);
  if (Grid->SelectionActive()) {
    if (FLightenSelection && FScreenColorCount == -1 && !current)
      Background = MixLightColor(Background, clHighlight, true);
    else {
      Background = clHighlight;
      Font->SetColor(clHighlightText);
    }
  } else if (current) {
    if (options.Contains(dgKeepSelectionVisible) || focusHighlight) {
      Background = clBtnShadow;
      Font->SetColor(clHighlightText);
    }
  } else
    Background =
        FScreenColorCount == -1 ? MixLightColor(Background, clBtnShadow, false) : clBtnFace;
  return true;
}

bool TDBGridEhStyle::HighlightOtherCell(TCustomDBGridEh* Grid, Integer ACol, Integer ARow,
                                        Integer DataCol, Integer DataRow, bool Highlight,
                                        const TCellTypeEh& CellType, TColor& Background,
                                        TFont* Font)
{
  if (!Highlight)
    return false;
  bool fixedLook =
      (CellType.HorzPart == 0 && CellType.Area != caFillerEh) ||
      (CellType.HorzPart == 1 && (CellType.Area == caTitleEh || CellType.Area == caFilterEh));
  if (fixedLook) {
    Background = RGB(64, 64, 64);
    Font->SetColor(clWhite);
    return true;
  }
  if (Grid->SelectionActive()) {
    if (FLightenSelection && FScreenColorCount == -1)
      Background = MixLightColor(Background, clHighlight, true);
    else {
      Background = clHighlight;
      Font->SetColor(clHighlightText);
    }
  } else
    Background =
        FScreenColorCount == -1 ? MixLightColor(Background, clBtnShadow, false) : clBtnFace;
  return true;
}

namespace {
bool GridThemes = false;
} // namespace

bool GridThemesEnabled()
{
  return GridThemes;
}

void SetGridThemesEnabled(bool Value)
{
  GridThemes = Value;
}
