// Colours, the system colour and metrics tables, pens, brushes, fonts and the canvas front
// end. Surfaces (Surface.h), regions (Region.h), the text engines (TextEngine.h) and the
// picture classes (Pictures.h) are the other units of the graphics library.
#pragma once

#include <functional>

#include "platform/rtl/Types.h"

// ---------------------------------------------------------------------------------------
// Colours

// 0x00BBGGRR for plain colours; 0xFF000000 + index for system colours.
using TColor = Integer;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

// System colour indexes (COLOR_*), the positions in the system colour table.
enum : Integer {
  COLOR_SCROLLBAR = 0,
  COLOR_BACKGROUND = 1,
  COLOR_ACTIVECAPTION = 2,
  COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4,
  COLOR_WINDOW = 5,
  COLOR_WINDOWFRAME = 6,
  COLOR_MENUTEXT = 7,
  COLOR_WINDOWTEXT = 8,
  COLOR_CAPTIONTEXT = 9,
  COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11,
  COLOR_APPWORKSPACE = 12,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_BTNSHADOW = 16,
  COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18,
  COLOR_INACTIVECAPTIONTEXT = 19,
  COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21,
  COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23,
  COLOR_INFOBK = 24,
  COLOR_HOTLIGHT = 26,
  COLOR_GRADIENTACTIVECAPTION = 27,
  COLOR_GRADIENTINACTIVECAPTION = 28,
  COLOR_MENUHILIGHT = 29,
  COLOR_MENUBAR = 30,
  COLOR_ENDCOLORS = COLOR_MENUBAR
};

constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor RGB(Byte r, Byte g, Byte b)
{
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr Byte GetRValue(TColor c) { return static_cast<Byte>(c & 0xFF); }
constexpr Byte GetGValue(TColor c) { return static_cast<Byte>((c >> 8) & 0xFF); }
constexpr Byte GetBValue(TColor c) { return static_cast<Byte>((c >> 16) & 0xFF); }

// A plain 0x00BBGGRR colour: system colours through the current table, others masked to
// their low 24 bits (clNone and clDefault included, as the platform does).
TColor ColorToRGB(TColor color);

// The named-colour table: 52 entries "clBlack" .. "clWindowText" in the platform's order.
struct TIdentMapEntry {
  TColor Value;
  const char* Name;
};
Integer ColorIdentCount();
const TIdentMapEntry& ColorIdent(Integer index);

// Name ("clRed", case ignored) to colour and back; false when there is no such name.
bool IdentToColor(const AnsiString& ident, TColor& color);
bool ColorToIdent(TColor color, AnsiString& ident);
// A colour's name, or "$00BBGGRR" when it has none.
AnsiString ColorToString(TColor color);
// A name or a number ("255", "$FF", "-16777201"); EConvertError otherwise.
TColor StringToColor(const AnsiString& text);

// ---------------------------------------------------------------------------------------
// System colours and metrics: one mutable table for the whole program. The window manager
// broadcasts changes to windows; anyone may listen.

TColor GetSysColor(Integer index); // 0x00BBGGRR; 0 for an unknown index
void SetSysColor(Integer index, TColor rgb);
// Restores the built-in scheme (used by tests after installing their own).
void ResetSysColors();

// System metric numbers (SM_*).
enum : Integer {
  SM_CXSCREEN = 0,
  SM_CYSCREEN = 1,
  SM_CXVSCROLL = 2,
  SM_CYHSCROLL = 3,
  SM_CYCAPTION = 4,
  SM_CXBORDER = 5,
  SM_CYBORDER = 6,
  SM_CXDLGFRAME = 7,
  SM_CYDLGFRAME = 8,
  SM_CYVTHUMB = 9,
  SM_CXHTHUMB = 10,
  SM_CXICON = 11,
  SM_CYICON = 12,
  SM_CXCURSOR = 13,
  SM_CYCURSOR = 14,
  SM_CYMENU = 15,
  SM_CXFULLSCREEN = 16,
  SM_CYFULLSCREEN = 17,
  SM_CYVSCROLL = 20,
  SM_CXHSCROLL = 21,
  SM_SWAPBUTTON = 23,
  SM_CXMIN = 28,
  SM_CYMIN = 29,
  SM_CXSIZE = 30,
  SM_CYSIZE = 31,
  SM_CXFRAME = 32,
  SM_CYFRAME = 33,
  SM_CXMINTRACK = 34,
  SM_CYMINTRACK = 35,
  SM_CXDOUBLECLK = 36,
  SM_CYDOUBLECLK = 37,
  SM_CXICONSPACING = 38,
  SM_CYICONSPACING = 39,
  SM_MENUDROPALIGNMENT = 40,
  SM_CXEDGE = 45,
  SM_CYEDGE = 46,
  SM_CXSMICON = 49,
  SM_CYSMICON = 50,
  SM_CYSMCAPTION = 51,
  SM_CXSMSIZE = 52,
  SM_CYSMSIZE = 53,
  SM_CXMENUSIZE = 54,
  SM_CYMENUSIZE = 55,
  SM_CXMAXIMIZED = 61,
  SM_CYMAXIMIZED = 62,
  SM_CXDRAG = 68,
  SM_CYDRAG = 69,
  SM_CXMENUCHECK = 71,
  SM_CYMENUCHECK = 72,
  SM_XVIRTUALSCREEN = 76,
  SM_YVIRTUALSCREEN = 77,
  SM_CXVIRTUALSCREEN = 78,
  SM_CYVIRTUALSCREEN = 79,
  SM_CMONITORS = 80,
  SM_CXFOCUSBORDER = 83,
  SM_CYFOCUSBORDER = 84,
  SM_CMETRICS = 100
};

Integer GetSystemMetrics(Integer index); // 0 for an unknown index
void SetSystemMetrics(Integer index, Integer value);
void ResetSystemMetrics();

// Pixels per inch of the screen.
constexpr Integer ScreenPixelsPerInch = 96;

// Change notification: handlers run after each change of a system colour or metric, with
// what changed. The window manager hooks in here to broadcast WM_SYSCOLORCHANGE and
// WM_SETTINGCHANGE.
enum TSystemChange { scColors, scMetrics };
using TSystemChangeHandler = std::function<void(TSystemChange change)>;
// Returns a cookie for RemoveSystemChangeHandler.
Integer AddSystemChangeHandler(TSystemChangeHandler handler);
void RemoveSystemChangeHandler(Integer cookie);

// ---------------------------------------------------------------------------------------
// Pen, brush and font kinds (ORDER: the platform's ordinal values).

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// Binary raster operations (R2_*): how a pen or brush colour P combines with the pixel D.
enum : Integer {
  R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
  R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
  R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16
};
Integer PenModeToRop2(TPenMode mode);

// Ternary raster operations of block copies: bits 16..23 are the truth table over
// pattern (0xF0), source (0xCC) and destination (0xAA).
using TCopyMode = Cardinal;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;
constexpr TCopyMode SRCCOPY = cmSrcCopy;
constexpr TCopyMode SRCPAINT = cmSrcPaint;
constexpr TCopyMode SRCAND = cmSrcAnd;
constexpr TCopyMode SRCINVERT = cmSrcInvert;
constexpr TCopyMode SRCERASE = cmSrcErase;
constexpr TCopyMode NOTSRCCOPY = cmNotSrcCopy;
constexpr TCopyMode DSTINVERT = cmDstInvert;
constexpr TCopyMode PATCOPY = cmPatCopy;
constexpr TCopyMode PATINVERT = cmPatInvert;
constexpr TCopyMode BLACKNESS = cmBlackness;
constexpr TCopyMode WHITENESS = cmWhiteness;

// Background modes.
enum : Integer { TRANSPARENT = 1, OPAQUE = 2 };
