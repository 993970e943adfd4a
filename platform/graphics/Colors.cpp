// Colours: the named-colour table, conversions, and the program-wide system colour and
// metrics tables with their change notification. See Graphics.h.
#include <cstdio>
#include <map>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"

namespace {

// The platform's named colours, in its table order (ORDER COLORS: keep in step with the
// constants in Graphics.h).
const TIdentMapEntry kColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};
static_assert(sizeof(kColors) / sizeof(kColors[0]) == 52, "the named-colour table has 52 entries");

// The built-in scheme: classic grey 3-D colours.
constexpr TColor kDefaultSysColors[COLOR_ENDCOLORS + 1] = {
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // background
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlight text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3-D dark shadow
    RGB(212, 208, 200), // 3-D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(181, 181, 181), // (unused index 25)
    RGB(0, 0, 128),     // hot light
    RGB(166, 202, 240), // gradient active caption
    RGB(192, 192, 192), // gradient inactive caption
    RGB(49, 106, 197),  // menu highlight
    RGB(212, 208, 200), // menu bar
};

struct TDefaultMetric {
  Integer Index;
  Integer Value;
};

// The headless screen is 1024x768 at 96 pixels per inch.
constexpr TDefaultMetric kDefaultMetrics[] = {
    {SM_CXSCREEN, 1024},
    {SM_CYSCREEN, 768},
    {SM_CXVSCROLL, 17},
    {SM_CYHSCROLL, 17},
    {SM_CYCAPTION, 19},
    {SM_CXBORDER, 1},
    {SM_CYBORDER, 1},
    {SM_CXDLGFRAME, 3},
    {SM_CYDLGFRAME, 3},
    {SM_CYVTHUMB, 17},
    {SM_CXHTHUMB, 17},
    {SM_CXICON, 32},
    {SM_CYICON, 32},
    {SM_CXCURSOR, 32},
    {SM_CYCURSOR, 32},
    {SM_CYMENU, 19},
    {SM_CXFULLSCREEN, 1024},
    {SM_CYFULLSCREEN, 749},
    {SM_CYVSCROLL, 17},
    {SM_CXHSCROLL, 17},
    {SM_CXMIN, 112},
    {SM_CYMIN, 27},
    {SM_CXSIZE, 18},
    {SM_CYSIZE, 18},
    {SM_CXFRAME, 4},
    {SM_CYFRAME, 4},
    {SM_CXMINTRACK, 112},
    {SM_CYMINTRACK, 27},
    {SM_CXDOUBLECLK, 4},
    {SM_CYDOUBLECLK, 4},
    {SM_CXICONSPACING, 75},
    {SM_CYICONSPACING, 75},
    {SM_CXEDGE, 2},
    {SM_CYEDGE, 2},
    {SM_CXSMICON, 16},
    {SM_CYSMICON, 16},
    {SM_CYSMCAPTION, 15},
    {SM_CXSMSIZE, 12},
    {SM_CYSMSIZE, 15},
    {SM_CXMENUSIZE, 18},
    {SM_CYMENUSIZE, 18},
    {SM_CXMAXIMIZED, 1032},
    {SM_CYMAXIMIZED, 776},
    {SM_CXDRAG, 4},
    {SM_CYDRAG, 4},
    {SM_CXMENUCHECK, 13},
    {SM_CYMENUCHECK, 13},
    {SM_CXVIRTUALSCREEN, 1024},
    {SM_CYVIRTUALSCREEN, 768},
    {SM_CMONITORS, 1},
    {SM_CXFOCUSBORDER, 1},
    {SM_CYFOCUSBORDER, 1},
};

struct TSystemTables {
  TColor Colors[COLOR_ENDCOLORS + 1];
  Integer Metrics[SM_CMETRICS];
  Integer ColorDepth = 32; // bits per pixel of the screen
  std::map<Integer, TSystemChangeHandler> Handlers;
  Integer NextCookie = 1;

  TSystemTables()
  {
    ResetColors();
    ResetMetrics();
  }
  void ResetColors()
  {
    for (int i = 0; i <= COLOR_ENDCOLORS; ++i)
      Colors[i] = kDefaultSysColors[i];
  }
  void ResetMetrics()
  {
    for (Integer& m : Metrics)
      m = 0;
    for (const TDefaultMetric& m : kDefaultMetrics)
      Metrics[m.Index] = m.Value;
    ColorDepth = 32;
  }
};

TSystemTables& Tables()
{
  static TSystemTables tables;
  return tables;
}

void Broadcast(TSystemChange change)
{
  // Copy first: a handler may add or remove handlers.
  std::vector<TSystemChangeHandler> handlers;
  for (auto& [cookie, handler] : Tables().Handlers)
    handlers.push_back(handler);
  for (auto& handler : handlers)
    handler(change);
}

} // namespace

TColor ColorToRGB(TColor color)
{
  if (color < 0)
    return GetSysColor(color & 0xFF);
  return color;
}

Integer ColorIdentCount()
{
  return static_cast<Integer>(sizeof(kColors) / sizeof(kColors[0]));
}

const TIdentMapEntry& ColorIdent(Integer index)
{
  return kColors[index];
}

bool IdentToColor(const AnsiString& ident, TColor& color)
{
  for (const TIdentMapEntry& e : kColors)
    if (SameText(ident, e.Name)) {
      color = e.Value;
      return true;
    }
  return false;
}

bool ColorToIdent(TColor color, AnsiString& ident)
{
  for (const TIdentMapEntry& e : kColors)
    if (e.Value == color) {
      ident = e.Name;
      return true;
    }
  return false;
}

AnsiString ColorToString(TColor color)
{
  AnsiString ident;
  if (ColorToIdent(color, ident))
    return ident;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(color));
  return buf;
}

TColor StringToColor(const AnsiString& text)
{
  TColor color;
  if (IdentToColor(text, color))
    return color;
  return StrToInt(text);
}

TColor GetSysColor(Integer index)
{
  if (index < 0 || index > COLOR_ENDCOLORS)
    return 0;
  return Tables().Colors[index];
}

void SetSysColor(Integer index, TColor rgb)
{
  if (index < 0 || index > COLOR_ENDCOLORS)
    return;
  Tables().Colors[index] = rgb & 0xFFFFFF;
  Broadcast(scColors);
}

void ResetSysColors()
{
  Tables().ResetColors();
  Broadcast(scColors);
}

Integer GetSystemMetrics(Integer index)
{
  if (index < 0 || index >= SM_CMETRICS)
    return 0;
  return Tables().Metrics[index];
}

void SetSystemMetrics(Integer index, Integer value)
{
  if (index < 0 || index >= SM_CMETRICS)
    return;
  Tables().Metrics[index] = value;
  Broadcast(scMetrics);
}

void ResetSystemMetrics()
{
  Tables().ResetMetrics();
  Broadcast(scMetrics);
}

Integer ScreenColorDepth()
{
  return Tables().ColorDepth;
}

void SetScreenColorDepth(Integer bitsPerPixel)
{
  if (bitsPerPixel != 8 && bitsPerPixel != 32)
    throw EInvalidOperation("Unsupported screen colour depth: " + IntToStr(bitsPerPixel));
  if (Tables().ColorDepth == bitsPerPixel)
    return;
  Tables().ColorDepth = bitsPerPixel;
  Broadcast(scColors);
}

namespace {

// The palette of an 8-bit screen keeps its first and last ten entries for these colours,
// which every window can count on.
const TColor kStaticColors[20] = {
    clBlack,  clMaroon,     clGreen,   clOlive,   clNavy,    clPurple, clTeal,
    clSilver, clMoneyGreen, clSkyBlue, clCream,   clMedGray, clGray,   clRed,
    clLime,   clYellow,     clBlue,    clFuchsia, clAqua,    clWhite,
};

} // namespace

TColor GetNearestColor(const TCanvas* canvas, TColor color)
{
  if (!canvas || !canvas->HandleAllocated())
    return CLR_INVALID;
  TColor rgb = ColorToRGB(color) & 0xFFFFFF;
  if (canvas->GetDeviceCaps(BITSPIXEL) > 8)
    return rgb;
  TColor best = clBlack;
  Integer bestDistance = -1;
  for (TColor c : kStaticColors) {
    Integer dr = GetRValue(c) - GetRValue(rgb), dg = GetGValue(c) - GetGValue(rgb),
            db = GetBValue(c) - GetBValue(rgb);
    Integer distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = c;
      bestDistance = distance;
    }
  }
  return best;
}

Integer AddSystemChangeHandler(TSystemChangeHandler handler)
{
  Integer cookie = Tables().NextCookie++;
  Tables().Handlers.emplace(cookie, std::move(handler));
  return cookie;
}

void RemoveSystemChangeHandler(Integer cookie)
{
  Tables().Handlers.erase(cookie);
}
