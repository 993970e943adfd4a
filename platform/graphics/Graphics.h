// Colours, the system colour and metrics tables, pens, brushes, fonts and the canvas front
// end. Surfaces (Surface.h), regions (Region.h), the text engines (TextEngine.h) and the
// picture classes (Pictures.h) are the other units of the graphics library.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Consts.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Sets.h"
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
constexpr Byte GetRValue(TColor c)
{
  return static_cast<Byte>(c & 0xFF);
}
constexpr Byte GetGValue(TColor c)
{
  return static_cast<Byte>((c >> 8) & 0xFF);
}
constexpr Byte GetBValue(TColor c)
{
  return static_cast<Byte>((c >> 16) & 0xFF);
}

// A plain colour: system colours resolve through the current table; every other value
// comes back unchanged (clNone and clDefault too: callers test for them first; drawing
// uses the low 24 bits).
TColor ColorToRGB(TColor color);

// The named-colour table: 52 entries "clBlack" .. "clWindowText" in the platform's order
// (TIdentMapEntry is the runtime's identifier-table record, Consts.h).
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

// The screen's colour depth in bits per pixel: 32 (true colour, the default) or 8 (a
// 256-colour palette whose 20 static colours are fixed), for trying what programs do on
// such a screen. Raster surfaces other than printers answer it in GetDeviceCaps (BITSPIXEL,
// and NUMCOLORS: -1 for true colour, 20 for 8 bits); drawing itself stays true colour.
// Another depth raises EInvalidOperation; a change notifies the handlers below (scColors).
Integer ScreenColorDepth();
void SetScreenColorDepth(Integer bitsPerPixel);

// What GetNearestColor answers for a canvas it cannot ask.
constexpr TColor CLR_INVALID = static_cast<TColor>(0xFFFFFFFF);

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
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontStyles = TSet<TFontStyle>;

// Binary raster operations (R2_*): how a pen or brush colour P combines with the pixel D.
enum : Integer {
  R2_BLACK = 1,
  R2_NOTMERGEPEN = 2,
  R2_MASKNOTPEN = 3,
  R2_NOTCOPYPEN = 4,
  R2_MASKPENNOT = 5,
  R2_NOT = 6,
  R2_XORPEN = 7,
  R2_NOTMASKPEN = 8,
  R2_MASKPEN = 9,
  R2_NOTXORPEN = 10,
  R2_NOP = 11,
  R2_MERGENOTPEN = 12,
  R2_COPYPEN = 13,
  R2_MERGEPENNOT = 14,
  R2_MERGEPEN = 15,
  R2_WHITE = 16
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

// Font character sets (stored integers).
enum : Integer {
  ANSI_CHARSET = 0,
  DEFAULT_CHARSET = 1,
  SYMBOL_CHARSET = 2,
  GB2312_CHARSET = 134,
  CHINESEBIG5_CHARSET = 136
};

// Font weights and pitches of a logical font.
enum : Integer { FW_DONTCARE = 0, FW_NORMAL = 400, FW_SEMIBOLD = 600, FW_BOLD = 700 };
enum : Byte { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };

// A font described as the platform describes it to a device: heights in device pixels
// (negative: the em), escapement and orientation in tenths of a degree, counter-clockwise.
struct TLogFont {
  Integer lfHeight = 0;
  Integer lfWidth = 0;
  Integer lfEscapement = 0;
  Integer lfOrientation = 0;
  Integer lfWeight = FW_NORMAL;
  Byte lfItalic = 0;
  Byte lfUnderline = 0;
  Byte lfStrikeOut = 0;
  Byte lfCharSet = 1;
  Byte lfOutPrecision = 0;
  Byte lfClipPrecision = 0;
  Byte lfQuality = 0;
  Byte lfPitchAndFamily = DEFAULT_PITCH;
  AnsiString lfFaceName;
  friend bool operator==(const TLogFont&, const TLogFont&) = default;
};

// ---------------------------------------------------------------------------------------
// Pens, brushes and fonts. Setters compare, store and fire OnChange.

class TBitmap;
class TGraphic;
class TSurface;
class TImageSurface;
class TRegion;
class TTextEngine;
struct TFontSpec;
struct TTextMetric;
struct TOutlineTextMetric;
struct TSurfaceShape;
struct TFill;
struct TGc;

class TGraphicsObject : public TPersistent {
public:
  TNotifyEvent OnChange;

protected:
  virtual void Changed();
};

class TPen : public TGraphicsObject {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value);
  void Assign(TPersistent* Source) override;

private:
  TColor FColor = clBlack;
  Integer FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

class TBrush : public TGraphicsObject {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);
  // An 8x8 pattern anchored at the device origin; the bitmap stays the caller's.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* value);
  void Assign(TPersistent* Source) override;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
};

// A program-wide solid brush of system colour index (0..30), following changes of the
// colour table; null for other indexes. The brush belongs to the table: callers assign it,
// never change or free it.
TBrush* GetSysColorBrush(Integer index);

class TFont : public TGraphicsObject {
public:
  TFont();

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& value);
  // Points: Size = -MulDiv(Height, 72, PixelsPerInch).
  Integer Size() const;
  void SetSize(Integer value);
  // Negative: the em height in pixels; positive: the cell height (em + internal leading).
  Integer Height() const { return FHeight; }
  void SetHeight(Integer value);
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  Integer Charset() const { return FCharset; }
  void SetCharset(Integer value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch value);
  // Tenths of a degree, counter-clockwise.
  Integer Orientation() const { return FOrientation; }
  void SetOrientation(Integer value);

  // The font as a logical-font record, and back: setting a record takes its face, height,
  // weight (FW_BOLD and above is bold), italic, underline, strike-out, charset, pitch and
  // escapement (as the orientation) and fires OnChange once. The colour stays.
  TLogFont Handle() const;
  void SetHandle(const TLogFont& value);

  void Assign(TPersistent* Source) override;

private:
  AnsiString FName;
  Integer FHeight = 0;
  Integer FPixelsPerInch = ScreenPixelsPerInch;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  Integer FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  Integer FOrientation = 0;
};

// ---------------------------------------------------------------------------------------
// TCanvas: the drawing front end. Coordinates are logical (device = logical - window
// origin); the canvas checks its arguments, drops calls that draw nothing and hands the
// rest to its surface (Surface.h) and text engine (TextEngine.h).

// ExtTextOut options.
enum : Cardinal { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_RTLREADING = 128 };
// DrawText flags.
enum : Cardinal {
  DT_LEFT = 0,
  DT_CENTER = 1,
  DT_RIGHT = 2,
  DT_TOP = 0,
  DT_VCENTER = 4,
  DT_BOTTOM = 8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_EXPANDTABS = 0x40,
  DT_NOCLIP = 0x100,
  DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800,
  DT_EDITCONTROL = 0x2000,
  DT_PATH_ELLIPSIS = 0x4000,
  DT_END_ELLIPSIS = 0x8000,
  DT_RTLREADING = 0x20000
};
// DrawEdge edges and flags.
enum : Cardinal {
  BDR_RAISEDOUTER = 1,
  BDR_SUNKENOUTER = 2,
  BDR_RAISEDINNER = 4,
  BDR_SUNKENINNER = 8,
  EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
  EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
  EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
  EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER
};
enum : Cardinal {
  BF_LEFT = 1,
  BF_TOP = 2,
  BF_RIGHT = 4,
  BF_BOTTOM = 8,
  BF_TOPLEFT = BF_LEFT | BF_TOP,
  BF_BOTTOMRIGHT = BF_RIGHT | BF_BOTTOM,
  BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
  BF_MIDDLE = 0x800,
  BF_SOFT = 0x1000,
  BF_ADJUST = 0x2000,
  BF_FLAT = 0x4000,
  BF_MONO = 0x8000
};

// The line-break rule of GBK text, shared by DrawText and the report's text layout: a line
// may break before byte p (a character start; prevStart is the start of the character
// before it) when a blank stands on either side, or when either character is a double-byte
// one, so a Latin run glued to Chinese text ("SF1234567890张三") breaks where the Chinese
// begins. False at the ends of the text.
bool CanBreakLineBefore(const AnsiString& text, size_t p, size_t prevStart);

// Margins and tab length of DrawTextEx.
struct TDrawTextParams {
  Integer iTabLength = 0; // 0: 8
  Integer iLeftMargin = 0;
  Integer iRightMargin = 0;
  Integer uiLengthDrawn = 0;
};

class TCanvas : public TPersistent {
public:
  TCanvas();
  explicit TCanvas(TSurface* surface);
  ~TCanvas() override;

  // The surface stays its owner's; a canvas without one raises EInvalidOperation
  // "Canvas does not allow drawing" when asked to draw.
  TSurface* Surface() const { return FSurface; }
  void SetSurface(TSurface* surface);
  bool HandleAllocated() const { return FSurface != nullptr; }

  TPen* Pen() const { return FPen.get(); }
  TBrush* Brush() const { return FBrush.get(); }
  TFont* Font() const { return FFont.get(); }
  void SetPen(TPen* value) { FPen->Assign(value); }
  void SetBrush(TBrush* value) { FBrush->Assign(value); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TTextEngine& TextEngine() const;
  void SetTextEngine(TTextEngine* engine) { FTextEngine = engine; }

  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(TPoint value) { FPenPos = value; }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode value) { FCopyMode = value; }
  // Logical point p lands on device pixel p - WindowOrg + ViewportOrg.
  TPoint WindowOrg() const { return FWindowOrg; }
  void SetWindowOrg(TPoint value) { FWindowOrg = value; }
  TPoint ViewportOrg() const { return FViewportOrg; }
  void SetViewportOrg(TPoint value) { FViewportOrg = value; }
  // Text background: follows the brush (a solid brush paints behind text) unless set.
  Integer BkMode() const;
  void SetBkMode(Integer mode) { FBkModeOverride = mode; }
  // Colour behind text and in the gaps of hatches when the background is opaque: the brush
  // colour for a solid brush, its inverse for the others, unless set (clNone: follow the
  // brush again).
  TColor BkColor() const;
  void SetBkColor(TColor color) { FBkColorOverride = color; }

  // Lines and shapes.
  void MoveTo(Integer x, Integer y);
  void LineTo(Integer x, Integer y);
  void Polyline(const TPoint* points, Integer count);
  void PolyPolyline(const TPoint* points, const Integer* counts, Integer lines);
  void Polygon(const TPoint* points, Integer count);
  void PolyPolygon(const TPoint* points, const Integer* counts, Integer polygons);
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3);
  void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
           Integer y4);
  void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
           Integer y4);
  void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
             Integer y4);
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void FillRegion(const TRegion& region); // logical coordinates
  void FrameRegion(const TRegion& region, Integer width, Integer height);
  void InvertRect(const TRect& rect);
  void DrawFocusRect(const TRect& rect);
  TColor Pixels(Integer x, Integer y) const;
  void SetPixels(Integer x, Integer y, TColor color);

  // Pictures and block copies.
  void Draw(Integer x, Integer y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
  void BitBlt(Integer x, Integer y, Integer width, Integer height, TCanvas* source, Integer sx,
              Integer sy, TCopyMode rop);
  void StretchBlt(const TRect& dest, TCanvas* source, const TRect& sourceRect, TCopyMode rop);
  // Copies part of a bitmap, the pixels of colour showing the brush instead.
  void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);
  // Copies pixels of an image (stretched to dest, nearest pixel); source pixels of the
  // colour transparent (0x00BBGGRR; clNone for none) are left out.
  void CopyImage(const TRect& dest, const TImageSurface& image, const TRect& sourceRect,
                 TCopyMode rop, TColor transparent = clNone);

  // Clipping. Regions are in device pixels; rectangles in logical coordinates.
  TRect ClipRect() const; // logical bounds of what may be painted
  // Copies the clip region into region; false when there is none (everything paints).
  bool GetClipRegion(TRegion& region) const;
  void SelectClipRegion(const TRegion* region); // null removes the clip
  void IntersectClipRect(const TRect& rect);
  void ExcludeClipRect(const TRect& rect);
  bool RectVisible(const TRect& rect) const;

  // What the device is: resolution, size in pixels and millimetres, colours (true colour:
  // NUMCOLORS is -1), technology (DT_RASPRINTER for printer pages and printer information
  // contexts). Printers answer the sheet size, margins and printable area of their page's
  // media (Surface.h); other devices have no margins.
  Integer GetDeviceCaps(Integer index) const;
  // Drops cached drawing objects so the next call picks up the pen, brush and font anew;
  // nothing is cached here, so it does nothing.
  void Refresh() {}
  // Lock/Unlock bracket drawing from another thread; the canvas only counts them.
  void Lock() { ++FLockCount; }
  void Unlock() { --FLockCount; }
  Integer LockCount() const { return FLockCount; }

  // State: pen, brush, font, copy mode, origin, clip, pen position and background mode.
  Integer SaveDC();
  // A positive id restores that level; -1 the last one. False when there is none.
  bool RestoreDC(Integer id = -1);

  // Text. Positions are the top-left of the character cell.
  void TextOut(Integer x, Integer y, const AnsiString& text);
  void TextRect(const TRect& rect, Integer x, Integer y, const AnsiString& text);
  TSize TextExtent(const AnsiString& text);
  Integer TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  Integer TextHeight(const AnsiString& text) { return TextExtent(text).cy; }
  // dx: one advance per byte (a double-byte character advances by the sum of its two
  // entries); null uses the font's own advances.
  void ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect, const AnsiString& text,
                  const Integer* dx = nullptr);
  // Cumulative extents per byte (a trail byte repeats its lead byte's extent) and the
  // number of bytes that fit in maxExtent (whole characters only). Returns the extent.
  TSize GetTextExtentExPoint(const AnsiString& text, Integer maxExtent, Integer* fit,
                             std::vector<Integer>* extents);
  TTextMetric GetTextMetrics();
  TOutlineTextMetric GetOutlineTextMetrics();
  // Text with tabs: a tab moves to the next stop. One stop is an interval repeated from the
  // origin; several are positions, after the last of which tabs use the default interval
  // (8 average character widths), as they do when there are none. Stops count from
  // tabOrigin in TabbedTextOut and from 0 in GetTabbedTextExtent. Both return the extent.
  TSize GetTabbedTextExtent(const AnsiString& text, const std::vector<Integer>& tabStops);
  TSize TabbedTextOut(Integer x, Integer y, const AnsiString& text,
                      const std::vector<Integer>& tabStops, Integer tabOrigin);
  // Spreads extra pixels over the break characters (blanks) of the next outputs whose
  // advances come from the font: each blank gets extra / breaks, the first extra mod
  // breaks blanks one more. (0, 0) ends it.
  void SetTextJustification(Integer extra, Integer breaks);
  // Returns the height of the text; DT_CALCRECT only measures and sets rect's right and
  // bottom to the drawn extent.
  Integer DrawText(const AnsiString& text, TRect& rect, Cardinal format);
  // DrawText with margins inside rect and tab stops every iTabLength average character
  // widths (with DT_EXPANDTABS); uiLengthDrawn receives the bytes processed.
  Integer DrawTextEx(const AnsiString& text, TRect& rect, Cardinal format, TDrawTextParams* params);

  // The font as the current device sees it.
  TFontSpec DeviceFont() const;
  // Logical point to device pixel: the one place coordinates are mapped.
  TPoint ToDevice(TPoint p) const
  {
    return {p.X - FWindowOrg.X + FViewportOrg.X, p.Y - FWindowOrg.Y + FViewportOrg.Y};
  }
  TRect ToDevice(const TRect& r) const;

  void Assign(TPersistent* Source) override;

private:
  struct TState;
  TSurface& RequireSurface() const;
  bool ScreenDevice() const;
  void StrokePath(const std::vector<TPoint>& devicePoints);
  void DrawShape(TSurfaceShape& shape);
  TFill BrushFill() const;
  TGc MakeGc(Integer rop2) const;
  Integer LayoutText(const AnsiString& text, TRect& rect, Cardinal format, Integer tabColumns);
  double TabbedAdvances(const AnsiString& text, const std::vector<Integer>& tabStops,
                        Integer startX, std::vector<double>& advances);
  // What an opaque rectangle behind a text run is: a rectangle of the device, or the text's
  // own cell, which turns with a turned font.
  enum TTextBackground { tbRect, tbTextCell };
  void DrawTextRun(Integer x, Integer y, const AnsiString& text, const std::vector<double>& offsets,
                   double width, const TRect* opaque, const TRect* clip,
                   TTextBackground background = tbRect);

  TSurface* FSurface = nullptr;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  TTextEngine* FTextEngine = nullptr;
  TPoint FPenPos;
  TCopyMode FCopyMode = cmSrcCopy;
  TPoint FWindowOrg;
  TPoint FViewportOrg;
  Integer FBkModeOverride = 0;
  TColor FBkColorOverride = clNone;
  std::unique_ptr<TRegion> FClip; // device pixels; null: no clip
  Integer FLockCount = 0;
  Integer FJustifyExtra = 0;
  Integer FJustifyBreaks = 0;
  std::vector<TState> FSaved;
};

// Device capability indexes for TCanvas::GetDeviceCaps.
enum : Integer {
  TECHNOLOGY = 2,
  HORZSIZE = 4,
  VERTSIZE = 6,
  HORZRES = 8,
  VERTRES = 10,
  BITSPIXEL = 12,
  PLANES = 14,
  NUMCOLORS = 24,
  LOGPIXELSX = 88,
  LOGPIXELSY = 90,
  PHYSICALWIDTH = 110,
  PHYSICALHEIGHT = 111,
  PHYSICALOFFSETX = 112,
  PHYSICALOFFSETY = 113
};
// TECHNOLOGY values.
enum : Integer { DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_METAFILE = 5 };

// What kind of device a canvas draws on: OBJ_ENHMETADC for metafile canvases, OBJ_DC for
// the others (screens, bitmaps, printers; GetDeviceCaps(TECHNOLOGY) tells printers apart);
// 0 for a canvas without a surface.
enum : Integer { OBJ_DC = 3, OBJ_METADC = 4, OBJ_MEMDC = 10, OBJ_ENHMETADC = 12 };
Integer GetObjectType(const TCanvas* canvas);

// Saves a canvas's state and restores it when it goes out of scope.
class TCanvasSaver {
public:
  explicit TCanvasSaver(TCanvas& canvas) : FCanvas(canvas), FId(canvas.SaveDC()) {}
  ~TCanvasSaver() { FCanvas.RestoreDC(FId); }
  TCanvasSaver(const TCanvasSaver&) = delete;
  TCanvasSaver& operator=(const TCanvasSaver&) = delete;

private:
  TCanvas& FCanvas;
  Integer FId;
};

// DrawFrameControl kinds and states.
enum : Cardinal {
  DFC_CAPTION = 1,
  DFC_MENU = 2,
  DFC_SCROLL = 3,
  DFC_BUTTON = 4,
  DFC_POPUPMENU = 5
};
enum : Cardinal {
  DFCS_CAPTIONCLOSE = 0,
  DFCS_CAPTIONMIN = 1,
  DFCS_CAPTIONMAX = 2,
  DFCS_CAPTIONRESTORE = 3,
  DFCS_CAPTIONHELP = 4,
  DFCS_MENUARROW = 0,
  DFCS_MENUCHECK = 1,
  DFCS_MENUBULLET = 2,
  DFCS_MENUARROWRIGHT = 4,
  DFCS_SCROLLUP = 0,
  DFCS_SCROLLDOWN = 1,
  DFCS_SCROLLLEFT = 2,
  DFCS_SCROLLRIGHT = 3,
  DFCS_SCROLLCOMBOBOX = 5,
  DFCS_SCROLLSIZEGRIP = 8,
  DFCS_SCROLLSIZEGRIPRIGHT = 0x10,
  DFCS_BUTTONCHECK = 0,
  DFCS_BUTTONRADIOIMAGE = 1,
  DFCS_BUTTONRADIOMASK = 2,
  DFCS_BUTTONRADIO = 4,
  DFCS_BUTTON3STATE = 8,
  DFCS_BUTTONPUSH = 0x10,
  DFCS_INACTIVE = 0x100,
  DFCS_PUSHED = 0x200,
  DFCS_CHECKED = 0x400,
  DFCS_TRANSPARENT = 0x800,
  DFCS_HOT = 0x1000,
  DFCS_ADJUSTRECT = 0x2000,
  DFCS_FLAT = 0x4000,
  DFCS_MONO = 0x8000
};

// A control part in its classic look, fitted to rect, in the system colours: check boxes
// (on the square centred in rect; the third state and inactive ones in the face colour with
// a grey mark), radio buttons (images, and masks: the circle black on white), push buttons
// (raised, sunken when pushed, dithered when checked), scroll arrows and the combo box's
// (a flat frame when pushed, an embossed arrow when inactive), size grips (the lower-right
// corner, or the lower-left one with DFCS_SCROLLSIZEGRIPRIGHT), caption buttons and menu
// glyphs (black on white). DFCS_FLAT and DFCS_MONO draw one-line frames, DFCS_TRANSPARENT
// leaves the background, DFCS_ADJUSTRECT returns the inside of frames in rect. False for an
// unknown kind or an empty rect; the canvas's pen and brush are left as they were.
bool DrawFrameControl(TCanvas* canvas, TRect& rect, Cardinal type, Cardinal state);

// The nearest colour the canvas's device shows (0x00BBGGRR; system colours resolved): the
// colour itself on true-colour devices, the nearest static palette colour on an 8-bit
// screen; CLR_INVALID for a canvas without a device.
TColor GetNearestColor(const TCanvas* canvas, TColor color);

// Bevels drawn with the system colours; rect shrinks by the drawn edges with BF_ADJUST.
bool DrawEdge(TCanvas* canvas, TRect& rect, Cardinal edge, Cardinal flags);
// Two-colour frame of the given width; rect shrinks by it.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width);
