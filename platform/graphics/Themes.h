// Visual styles: a theme service draws control parts by theme class, part and state, with
// the numbers of the platform's theme schema (below), so that controls and painters ask for
// "the pressed push button" or "the hot upper track of a vertical scroll bar" instead of
// drawing bevels themselves. The classic service draws the classic look with
// DrawFrameControl and DrawEdge (Graphics.h); tests may install their own service. The
// functions at the end are the platform's theme functions, checked and forwarded to the
// current service. Drawing a window's parent background (DrawThemeParentBackground) needs
// windows and belongs to the window layer.
#pragma once

#include <memory>

#include "platform/graphics/Graphics.h"

class TRegion;

using HTHEME = NativeUInt;
// Results of the theme functions: S_OK, or a negative error code.
using HRESULT = Integer;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

// What GetThemePartSize measures.
enum THEMESIZE { TS_MIN, TS_TRUE, TS_DRAW };
// Colour properties of GetThemeColor.
enum : Integer { TMT_BORDERCOLOR = 3801, TMT_FILLCOLOR = 3802, TMT_TEXTCOLOR = 3803 };
// DrawThemeText: the second flags word.
enum : Cardinal { DTT_GRAYED = 1 };

// Parts and states of the theme classes the classic service draws (ORDER: the schema's
// numbers). "Button":
enum : Integer { BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3, BP_GROUPBOX = 4 };
enum : Integer { PBS_NORMAL = 1, PBS_HOT, PBS_PRESSED, PBS_DISABLED, PBS_DEFAULTED };
enum : Integer {
  RBS_UNCHECKEDNORMAL = 1,
  RBS_UNCHECKEDHOT,
  RBS_UNCHECKEDPRESSED,
  RBS_UNCHECKEDDISABLED,
  RBS_CHECKEDNORMAL,
  RBS_CHECKEDHOT,
  RBS_CHECKEDPRESSED,
  RBS_CHECKEDDISABLED
};
enum : Integer {
  CBS_UNCHECKEDNORMAL = 1,
  CBS_UNCHECKEDHOT,
  CBS_UNCHECKEDPRESSED,
  CBS_UNCHECKEDDISABLED,
  CBS_CHECKEDNORMAL,
  CBS_CHECKEDHOT,
  CBS_CHECKEDPRESSED,
  CBS_CHECKEDDISABLED,
  CBS_MIXEDNORMAL,
  CBS_MIXEDHOT,
  CBS_MIXEDPRESSED,
  CBS_MIXEDDISABLED
};
enum : Integer { GBS_NORMAL = 1, GBS_DISABLED };
// "ScrollBar":
enum : Integer {
  SBP_ARROWBTN = 1,
  SBP_THUMBBTNHORZ,
  SBP_THUMBBTNVERT,
  SBP_LOWERTRACKHORZ,
  SBP_UPPERTRACKHORZ,
  SBP_LOWERTRACKVERT,
  SBP_UPPERTRACKVERT,
  SBP_GRIPPERHORZ,
  SBP_GRIPPERVERT,
  SBP_SIZEBOX
};
// Arrow buttons: direction (up, down, left, right) times 4 plus normal, hot, pressed,
// disabled.
enum : Integer {
  ABS_UPNORMAL = 1,
  ABS_UPHOT,
  ABS_UPPRESSED,
  ABS_UPDISABLED,
  ABS_DOWNNORMAL,
  ABS_DOWNHOT,
  ABS_DOWNPRESSED,
  ABS_DOWNDISABLED,
  ABS_LEFTNORMAL,
  ABS_LEFTHOT,
  ABS_LEFTPRESSED,
  ABS_LEFTDISABLED,
  ABS_RIGHTNORMAL,
  ABS_RIGHTHOT,
  ABS_RIGHTPRESSED,
  ABS_RIGHTDISABLED
};
enum : Integer { SCRBS_NORMAL = 1, SCRBS_HOT, SCRBS_PRESSED, SCRBS_DISABLED };
enum : Integer { SZB_RIGHTALIGN = 1, SZB_LEFTALIGN };
// "Header":
enum : Integer { HP_HEADERITEM = 1, HP_HEADERITEMLEFT, HP_HEADERITEMRIGHT, HP_HEADERSORTARROW };
enum : Integer { HIS_NORMAL = 1, HIS_HOT, HIS_PRESSED };
enum : Integer { HSAS_SORTEDUP = 1, HSAS_SORTEDDOWN };
// "Tab": items (parts 1 to 8 differ only where they touch their neighbours), the pane
// around the pages and the page body.
enum : Integer {
  TABP_TABITEM = 1,
  TABP_TABITEMLEFTEDGE,
  TABP_TABITEMRIGHTEDGE,
  TABP_TABITEMBOTHEDGE,
  TABP_TOPTABITEM,
  TABP_TOPTABITEMLEFTEDGE,
  TABP_TOPTABITEMRIGHTEDGE,
  TABP_TOPTABITEMBOTHEDGE,
  TABP_PANE,
  TABP_BODY
};
enum : Integer { TIS_NORMAL = 1, TIS_HOT, TIS_SELECTED, TIS_DISABLED, TIS_FOCUSED };
// "Edit": the border and background of edits.
enum : Integer { EP_EDITTEXT = 1 };
enum : Integer { ETS_NORMAL = 1, ETS_HOT, ETS_SELECTED, ETS_DISABLED, ETS_FOCUSED, ETS_READONLY };
// "ComboBox":
enum : Integer { CP_DROPDOWNBUTTON = 1 };
enum : Integer { CBXS_NORMAL = 1, CBXS_HOT, CBXS_PRESSED, CBXS_DISABLED };
// "Spin": the buttons of up-down controls, each with normal, hot, pressed, disabled.
enum : Integer { SPNP_UP = 1, SPNP_DOWN, SPNP_UPHORZ, SPNP_DOWNHORZ };
// "Window": the caption buttons.
enum : Integer { WP_CLOSEBUTTON = 18, WP_SMALLCLOSEBUTTON = 19 };
enum : Integer { CBS_NORMAL = 1, CBS_HOT, CBS_PUSHED, CBS_DISABLED };
// "TreeView": the expand button.
enum : Integer { TVP_GLYPH = 2 };
enum : Integer { GLPS_CLOSED = 1, GLPS_OPENED };
// "TrackBar": the track a slider runs in.
enum : Integer { TKP_TRACK = 1, TKP_TRACKVERT };
enum : Integer { TRS_NORMAL = 1 };

// A theme service. Handles come from OpenThemeData and stay valid until CloseThemeData;
// every other call names one. The front-end functions below have already checked the
// handle's kind of argument (canvas with a surface, rectangles) when they call in.
class TThemeService {
public:
  virtual ~TThemeService() = default;

  virtual bool IsThemeActive() = 0;
  // The first class of a ';'-separated list (case ignored) the service draws; 0 when it
  // draws none of them.
  virtual HTHEME OpenThemeData(const WideString& classList) = 0;
  virtual HRESULT CloseThemeData(HTHEME theme) = 0;
  // Paints the part over rect, nothing outside clip (when given).
  virtual HRESULT DrawThemeBackground(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                                      const TRect& rect, const TRect* clip) = 0;
  // DrawText of the text in rect with the part's text colour; DTT_GRAYED (or a disabled
  // state) draws it as disabled text.
  virtual HRESULT DrawThemeText(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                                const WideString& text, Cardinal flags, Cardinal flags2,
                                const TRect& rect) = 0;
  // DrawEdge in the part's colours; content receives the rectangle inside the edges.
  virtual HRESULT DrawThemeEdge(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                                const TRect& dest, Cardinal edge, Cardinal flags,
                                TRect* content) = 0;
  // The rectangle inside the part's borders when it is drawn over bounds.
  virtual HRESULT GetThemeBackgroundContentRect(HTHEME theme, TCanvas* canvas, Integer part,
                                                Integer state, const TRect& bounds,
                                                TRect& content) = 0;
  // The pixels the part paints when drawn over rect.
  virtual HRESULT GetThemeBackgroundRegion(HTHEME theme, TCanvas* canvas, Integer part,
                                           Integer state, const TRect& rect, TRegion& region) = 0;
  // The part's size: its smallest, its natural (TS_TRUE), or as drawn into rect (TS_DRAW).
  virtual HRESULT GetThemePartSize(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                                   const TRect* rect, THEMESIZE kind, TSize& size) = 0;
  // A colour property (TMT_*) as 0x00BBGGRR.
  virtual HRESULT GetThemeColor(HTHEME theme, Integer part, Integer state, Integer property,
                                TColor& color) = 0;
  // Whether drawing the part leaves pixels of its rectangle unpainted.
  virtual bool IsThemeBackgroundPartiallyTransparent(HTHEME theme, Integer part, Integer state) = 0;
};

// The service the theme functions use: the classic one unless another is installed (the
// caller keeps it; null brings the classic one back).
TThemeService& ThemeServices();
void SetThemeServices(TThemeService* service);
// The classic look: classes "Button", "ScrollBar", "Header", "Tab", "Edit", "ComboBox",
// "Spin", "Window", "TreeView" and "TrackBar", with the parts and states above.
std::unique_ptr<TThemeService> CreateClassicThemeService();

// The platform's theme functions over the current service. A null handle gives E_HANDLE, a
// canvas without a surface E_INVALIDARG; the rest is the service's answer. window is the
// window the theme is for (unused: every window gets the same theme).
bool IsThemeActive();
HTHEME OpenThemeData(NativeUInt window, const WideString& classList);
HRESULT CloseThemeData(HTHEME theme);
HRESULT DrawThemeBackground(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                            const TRect& rect, const TRect* clip);
// count is the number of characters of text to draw, -1 for all of it.
HRESULT DrawThemeText(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                      const WideString& text, Integer count, Cardinal flags, Cardinal flags2,
                      const TRect& rect);
HRESULT DrawThemeEdge(HTHEME theme, TCanvas* canvas, Integer part, Integer state, const TRect& dest,
                      Cardinal edge, Cardinal flags, TRect* content);
HRESULT GetThemeBackgroundContentRect(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                                      const TRect& bounds, TRect& content);
HRESULT GetThemeBackgroundRegion(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                                 const TRect& rect, TRegion& region);
// canvas may be null (the screen's measures).
HRESULT GetThemePartSize(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                         const TRect* rect, THEMESIZE kind, TSize& size);
HRESULT GetThemeColor(HTHEME theme, Integer part, Integer state, Integer property, TColor& color);
bool IsThemeBackgroundPartiallyTransparent(HTHEME theme, Integer part, Integer state);
