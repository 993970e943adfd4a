// The theme functions and the classic theme service: each part drawn with DrawFrameControl
// and DrawEdge in the system colours, so that themed and unthemed drawing look alike. See
// Themes.h.
#include "platform/graphics/Themes.h"

#include <algorithm>
#include <map>

#include "platform/graphics/Pictures.h"
#include "platform/graphics/Region.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"

namespace {

// ORDER: kClassNames.
enum TThemeClass {
  tcButton,
  tcScrollBar,
  tcHeader,
  tcTab,
  tcEdit,
  tcComboBox,
  tcSpin,
  tcWindow,
  tcTreeView,
  tcTrackBar
};
const char* const kClassNames[] = {"Button",   "ScrollBar", "Header", "Tab",      "Edit",
                                   "ComboBox", "Spin",      "Window", "TreeView", "TrackBar"};

// What a state number says, the same for every part: 0 normal, hot, pressed, disabled.
enum TLook { lkNormal, lkHot, lkPressed, lkDisabled };

void Fill(TCanvas& c, const TRect& r, TColor color)
{
  if (IsRectEmpty(r))
    return;
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(color);
  c.FillRect(r);
}

// Fills r with the half-tone of two colours, as the pixels of a checkerboard anchored at
// the device origin (the track of a scroll bar).
void FillDither(TCanvas& c, const TRect& r, TColor light, TColor dark)
{
  TBitmap pattern(8, 8);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      pattern.Canvas()->SetPixels(x, y, ColorToRGB((x + y) & 1 ? dark : light));
  c.Brush()->SetBitmap(&pattern);
  c.FillRect(r);
  c.Brush()->SetBitmap(nullptr);
}

class TClassicThemeService final : public TThemeService {
public:
  bool IsThemeActive() override { return true; }
  HTHEME OpenThemeData(const WideString& classList) override;
  HRESULT CloseThemeData(HTHEME theme) override;
  HRESULT DrawThemeBackground(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                              const TRect& rect, const TRect* clip) override;
  HRESULT DrawThemeText(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                        const WideString& text, Cardinal flags, Cardinal flags2,
                        const TRect& rect) override;
  HRESULT DrawThemeEdge(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                        const TRect& dest, Cardinal edge, Cardinal flags, TRect* content) override;
  HRESULT GetThemeBackgroundContentRect(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                                        const TRect& bounds, TRect& content) override;
  HRESULT GetThemeBackgroundRegion(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                                   const TRect& rect, TRegion& region) override;
  HRESULT GetThemePartSize(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                           const TRect* rect, THEMESIZE kind, TSize& size) override;
  HRESULT GetThemeColor(HTHEME theme, Integer part, Integer state, Integer property,
                        TColor& color) override;
  bool IsThemeBackgroundPartiallyTransparent(HTHEME theme, Integer part, Integer state) override;

private:
  // The class of an open handle; false for a handle that is not (or no longer) open.
  bool ClassOf(HTHEME theme, TThemeClass& c) const
  {
    auto it = FOpen.find(theme);
    if (it == FOpen.end())
      return false;
    c = it->second;
    return true;
  }
  bool DrawPart(TThemeClass c, TCanvas& canvas, Integer part, Integer state, const TRect& rect);
  bool DrawButton(TCanvas& canvas, Integer part, Integer state, const TRect& rect);
  bool DrawScrollBar(TCanvas& canvas, Integer part, Integer state, const TRect& rect);
  bool DrawTab(TCanvas& canvas, Integer part, Integer state, const TRect& rect);

  std::map<HTHEME, TThemeClass> FOpen;
  HTHEME FNext = 1;
};

// The part exists in the class; its states are not checked here.
bool KnownPart(TThemeClass c, Integer part)
{
  switch (c) {
  case tcButton:
    return part >= BP_PUSHBUTTON && part <= BP_GROUPBOX;
  case tcScrollBar:
    return part >= SBP_ARROWBTN && part <= SBP_SIZEBOX;
  case tcHeader:
    return part >= HP_HEADERITEM && part <= HP_HEADERSORTARROW;
  case tcTab:
    return part >= TABP_TABITEM && part <= TABP_BODY;
  case tcEdit:
    return part == EP_EDITTEXT || part == 0;
  case tcComboBox:
    return part == CP_DROPDOWNBUTTON;
  case tcSpin:
    return part >= SPNP_UP && part <= SPNP_DOWNHORZ;
  case tcWindow:
    return part == WP_CLOSEBUTTON || part == WP_SMALLCLOSEBUTTON;
  case tcTreeView:
    return part == TVP_GLYPH;
  case tcTrackBar:
    return part == TKP_TRACK || part == TKP_TRACKVERT;
  }
  return false;
}

// Normal, hot, pressed or disabled, from a part's state number.
TLook LookOf(TThemeClass c, Integer part, Integer state)
{
  switch (c) {
  case tcButton:
    if (part == BP_RADIOBUTTON || part == BP_CHECKBOX)
      return static_cast<TLook>((std::max<Integer>(1, state) - 1) % 4);
    if (part == BP_GROUPBOX)
      return state == GBS_DISABLED ? lkDisabled : lkNormal;
    return state >= PBS_NORMAL && state <= PBS_DISABLED ? static_cast<TLook>(state - 1) : lkNormal;
  case tcScrollBar:
    if (part == SBP_ARROWBTN)
      return static_cast<TLook>((std::max<Integer>(1, state) - 1) % 4);
    return state >= 1 && state <= 4 ? static_cast<TLook>(state - 1) : lkNormal;
  case tcHeader:
    return state == HIS_HOT ? lkHot : state == HIS_PRESSED ? lkPressed : lkNormal;
  case tcTreeView:
  case tcTrackBar:
    return lkNormal;
  case tcTab:
    return state == TIS_HOT ? lkHot : state == TIS_DISABLED ? lkDisabled : lkNormal;
  case tcEdit:
    return state == ETS_DISABLED ? lkDisabled : state == ETS_HOT ? lkHot : lkNormal;
  case tcComboBox:
  case tcSpin:
  case tcWindow:
    return state >= 1 && state <= 4 ? static_cast<TLook>(state - 1) : lkNormal;
  }
  return lkNormal;
}

// DrawFrameControl's flags for a look.
Cardinal FrameFlags(TLook look)
{
  if (look == lkPressed)
    return DFCS_PUSHED;
  return look == lkDisabled ? Cardinal(DFCS_INACTIVE) : 0u;
}

HTHEME TClassicThemeService::OpenThemeData(const WideString& classList)
{
  AnsiString list = WideToGbk(classList);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = std::min(list.find(';', start), list.size());
    AnsiString name = Trim(list.substr(start, end - start));
    for (size_t i = 0; i < std::size(kClassNames); ++i)
      if (SameText(name, kClassNames[i])) {
        HTHEME handle = FNext++;
        FOpen.emplace(handle, static_cast<TThemeClass>(i));
        return handle;
      }
    start = end + 1;
  }
  return 0;
}

HRESULT TClassicThemeService::CloseThemeData(HTHEME theme)
{
  return FOpen.erase(theme) ? S_OK : E_HANDLE;
}

bool TClassicThemeService::DrawButton(TCanvas& canvas, Integer part, Integer state,
                                      const TRect& rect)
{
  TLook look = LookOf(tcButton, part, state);
  TRect r = rect;
  switch (part) {
  case BP_PUSHBUTTON:
    if (state == PBS_DEFAULTED) { // framed in the window-frame colour
      canvas.Brush()->SetStyle(bsSolid);
      canvas.Brush()->SetColor(clWindowFrame);
      canvas.FrameRect(r);
      InflateRect(r, -1, -1);
    }
    return DrawFrameControl(&canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH | FrameFlags(look));
  case BP_RADIOBUTTON:
    return DrawFrameControl(&canvas, r, DFC_BUTTON,
                            DFCS_BUTTONRADIO | FrameFlags(look) |
                                (state >= RBS_CHECKEDNORMAL ? Cardinal(DFCS_CHECKED) : 0u));
  case BP_CHECKBOX: {
    Cardinal mark = 0;
    if (state >= CBS_MIXEDNORMAL)
      mark = DFCS_BUTTON3STATE | DFCS_CHECKED;
    else if (state >= CBS_CHECKEDNORMAL)
      mark = DFCS_CHECKED;
    return DrawFrameControl(&canvas, r, DFC_BUTTON, DFCS_BUTTONCHECK | FrameFlags(look) | mark);
  }
  case BP_GROUPBOX:
    return DrawEdge(&canvas, r, EDGE_ETCHED, BF_RECT);
  }
  return false;
}

bool TClassicThemeService::DrawScrollBar(TCanvas& canvas, Integer part, Integer state,
                                         const TRect& rect)
{
  TLook look = LookOf(tcScrollBar, part, state);
  TRect r = rect;
  switch (part) {
  case SBP_ARROWBTN: {
    static const Cardinal kDirections[] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT,
                                           DFCS_SCROLLRIGHT};
    Integer direction = std::clamp<Integer>((state - 1) / 4, 0, 3);
    return DrawFrameControl(&canvas, r, DFC_SCROLL, kDirections[direction] | FrameFlags(look));
  }
  case SBP_THUMBBTNHORZ:
  case SBP_THUMBBTNVERT:
    return DrawFrameControl(&canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH);
  case SBP_LOWERTRACKHORZ:
  case SBP_UPPERTRACKHORZ:
  case SBP_LOWERTRACKVERT:
  case SBP_UPPERTRACKVERT:
    if (look == lkPressed)
      FillDither(canvas, r, cl3DDkShadow, clBlack);
    else
      FillDither(canvas, r, clBtnHighlight, clBtnFace);
    return true;
  case SBP_GRIPPERHORZ:
  case SBP_GRIPPERVERT:
    return true; // classic thumbs have no gripper
  case SBP_SIZEBOX:
    return DrawFrameControl(&canvas, r, DFC_SCROLL,
                            state == SZB_LEFTALIGN ? DFCS_SCROLLSIZEGRIPRIGHT
                                                   : DFCS_SCROLLSIZEGRIP);
  }
  return false;
}

// A tab: raised on the left, top and right with cut top corners, open at the bottom where
// it meets the pane; the pane a raised frame around the pages.
bool TClassicThemeService::DrawTab(TCanvas& canvas, Integer part, Integer state, const TRect& r)
{
  if (part == TABP_BODY) {
    Fill(canvas, r, clBtnFace);
    return true;
  }
  if (part == TABP_PANE) {
    TRect pane = r;
    return DrawEdge(&canvas, pane, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  if (r.Width() < 4 || r.Height() < 2)
    return true;
  Fill(canvas, Rect(r.Left + 2, r.Top, r.Right - 2, r.Top + 2), clBtnFace);
  Fill(canvas, Rect(r.Left, r.Top + 2, r.Right, r.Bottom), clBtnFace);
  Fill(canvas, Rect(r.Left, r.Top + 2, r.Left + 1, r.Bottom), clBtnHighlight);
  Fill(canvas, Rect(r.Left + 1, r.Top + 1, r.Left + 2, r.Top + 2), clBtnHighlight);
  Fill(canvas, Rect(r.Left + 2, r.Top, r.Right - 2, r.Top + 1), clBtnHighlight);
  Fill(canvas, Rect(r.Right - 2, r.Top + 1, r.Right - 1, r.Top + 2), cl3DDkShadow);
  Fill(canvas, Rect(r.Right - 1, r.Top + 2, r.Right, r.Bottom), cl3DDkShadow);
  Fill(canvas, Rect(r.Right - 2, r.Top + 2, r.Right - 1, r.Bottom), clBtnShadow);
  return true;
}

bool TClassicThemeService::DrawPart(TThemeClass c, TCanvas& canvas, Integer part, Integer state,
                                    const TRect& rect)
{
  TLook look = LookOf(c, part, state);
  TRect r = rect;
  switch (c) {
  case tcButton:
    return DrawButton(canvas, part, state, rect);
  case tcScrollBar:
    return DrawScrollBar(canvas, part, state, rect);
  case tcTab:
    return DrawTab(canvas, part, state, rect);
  case tcHeader:
    if (part == HP_HEADERSORTARROW) {
      // A small triangle in the shadow colour: up for ascending, down for descending.
      Integer w = std::min<Integer>(8, r.Width()), h = (w + 1) / 2;
      Integer left = r.Left + (r.Width() - w) / 2, top = r.Top + (r.Height() - h) / 2;
      TPoint up[] = {Point(left, top + h - 1), Point(left + w - 1, top + h - 1),
                     Point(left + (w - 1) / 2, top)};
      TPoint down[] = {Point(left, top), Point(left + w - 1, top),
                       Point(left + (w - 1) / 2, top + h - 1)};
      canvas.Pen()->SetColor(clBtnShadow);
      canvas.Brush()->SetStyle(bsSolid);
      canvas.Brush()->SetColor(clBtnShadow);
      canvas.Polygon(state == HSAS_SORTEDDOWN ? down : up, 3);
      return true;
    }
    if (look == lkPressed)
      return DrawEdge(&canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE);
    return DrawEdge(&canvas, r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  case tcEdit:
    DrawEdge(&canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    Fill(canvas, r, look == lkDisabled || state == ETS_READONLY ? clBtnFace : clWindow);
    return true;
  case tcComboBox:
    return DrawFrameControl(&canvas, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | FrameFlags(look));
  case tcSpin: {
    static const Cardinal kArrows[] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLRIGHT,
                                       DFCS_SCROLLLEFT};
    return DrawFrameControl(&canvas, r, DFC_SCROLL, kArrows[part - 1] | FrameFlags(look));
  }
  case tcWindow:
    return DrawFrameControl(&canvas, r, DFC_CAPTION, DFCS_CAPTIONCLOSE | FrameFlags(look));
  case tcTreeView: {
    // A 9 x 9 box in the window colour, framed in the shadow colour, with a minus, and a
    // plus while closed.
    Integer cx = r.Left + (r.Width() - 1) / 2, cy = r.Top + (r.Height() - 1) / 2;
    TRect box = Rect(cx - 4, cy - 4, cx + 5, cy + 5);
    Fill(canvas, box, clWindow);
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(box);
    Fill(canvas, Rect(cx - 2, cy, cx + 3, cy + 1), clWindowText);
    if (state != GLPS_OPENED)
      Fill(canvas, Rect(cx, cy - 2, cx + 1, cy + 3), clWindowText);
    return true;
  }
  case tcTrackBar:
    return DrawEdge(&canvas, r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  }
  return false;
}

HRESULT TClassicThemeService::DrawThemeBackground(HTHEME theme, TCanvas& canvas, Integer part,
                                                  Integer state, const TRect& rect,
                                                  const TRect* clip)
{
  TThemeClass c;
  if (!ClassOf(theme, c))
    return E_HANDLE;
  if (!KnownPart(c, part))
    return E_INVALIDARG;
  TCanvasSaver saver(canvas);
  if (clip)
    canvas.IntersectClipRect(*clip);
  return DrawPart(c, canvas, part, state, rect) ? S_OK : E_FAIL;
}

HRESULT TClassicThemeService::DrawThemeText(HTHEME theme, TCanvas& canvas, Integer part,
                                            Integer state, const WideString& text, Cardinal flags,
                                            Cardinal flags2, const TRect& rect)
{
  TThemeClass c;
  if (!ClassOf(theme, c))
    return E_HANDLE;
  TColor color = clBtnText;
  if (GetThemeColor(theme, part, state, TMT_TEXTCOLOR, color) != S_OK)
    return E_INVALIDARG;
  TCanvasSaver saver(canvas);
  canvas.Brush()->SetStyle(bsClear);
  AnsiString gbk = WideToGbk(text);
  TRect r = rect;
  if ((flags2 & DTT_GRAYED) || LookOf(c, part, state) == lkDisabled) {
    // Disabled text is embossed: the highlight one pixel down-right under the shadow.
    TRect shifted = r;
    OffsetRect(shifted, 1, 1);
    canvas.Font()->SetColor(clBtnHighlight);
    canvas.DrawText(gbk, shifted, flags & ~DT_CALCRECT);
    canvas.Font()->SetColor(clBtnShadow);
  } else {
    canvas.Font()->SetColor(color);
  }
  canvas.DrawText(gbk, r, flags & ~DT_CALCRECT);
  return S_OK;
}

HRESULT TClassicThemeService::DrawThemeEdge(HTHEME theme, TCanvas& canvas, Integer part,
                                            Integer state, const TRect& dest, Cardinal edge,
                                            Cardinal flags, TRect* content)
{
  TThemeClass c;
  if (!ClassOf(theme, c))
    return E_HANDLE;
  TRect r = dest;
  DrawEdge(&canvas, r, edge, flags | BF_ADJUST);
  if (content)
    *content = r;
  return S_OK;
}

// How far the part's borders reach into its rectangle.
Integer BorderInset(TThemeClass c, Integer part)
{
  switch (c) {
  case tcButton:
    return part == BP_PUSHBUTTON || part == BP_GROUPBOX ? 2 : 0;
  case tcHeader:
    return part == HP_HEADERSORTARROW ? 0 : 2;
  case tcTab:
    return part == TABP_BODY ? 0 : 2;
  case tcEdit:
  case tcTrackBar:
    return 2;
  case tcScrollBar:
    return part == SBP_THUMBBTNHORZ || part == SBP_THUMBBTNVERT ? 2 : 0;
  case tcComboBox:
  case tcSpin:
  case tcWindow:
    return 2;
  case tcTreeView:
    return 0;
  }
  return 0;
}

HRESULT TClassicThemeService::GetThemeBackgroundContentRect(HTHEME theme, TCanvas*, Integer part,
                                                            Integer, const TRect& bounds,
                                                            TRect& content)
{
  TThemeClass c;
  if (!ClassOf(theme, c))
    return E_HANDLE;
  if (!KnownPart(c, part))
    return E_INVALIDARG;
  content = bounds;
  Integer inset = BorderInset(c, part);
  InflateRect(content, -inset, -inset);
  if (c == tcTab && part != TABP_PANE && part != TABP_BODY)
    content.Bottom += inset; // tabs are open at the bottom
  return S_OK;
}

HRESULT TClassicThemeService::GetThemeBackgroundRegion(HTHEME theme, TCanvas*, Integer part,
                                                       Integer, const TRect& rect, TRegion& region)
{
  TThemeClass c;
  if (!ClassOf(theme, c))
    return E_HANDLE;
  if (!KnownPart(c, part))
    return E_INVALIDARG;
  if (c == tcButton && part == BP_RADIOBUTTON) {
    Integer side = std::min(rect.Width(), rect.Height());
    Integer left = rect.Left + (rect.Width() - side) / 2,
            top = rect.Top + (rect.Height() - side) / 2;
    region = TRegion::Ellipse(Rect(left, top, left + side, top + side));
    return S_OK;
  }
  if (c == tcButton && part == BP_GROUPBOX) {
    TRect inner = rect;
    InflateRect(inner, -2, -2);
    region = TRegion(rect).Combine(TRegion(inner), RGN_DIFF);
    return S_OK;
  }
  if (c == tcTreeView) {
    Integer cx = rect.Left + (rect.Width() - 1) / 2, cy = rect.Top + (rect.Height() - 1) / 2;
    region = TRegion(Rect(cx - 4, cy - 4, cx + 5, cy + 5));
    return S_OK;
  }
  region = TRegion(rect);
  if (c == tcTab && part < TABP_PANE && rect.Width() >= 4) { // the cut top corners
    region =
        region.Combine(TRegion(Rect(rect.Left, rect.Top, rect.Left + 2, rect.Top + 1)), RGN_DIFF)
            .Combine(TRegion(Rect(rect.Left, rect.Top, rect.Left + 1, rect.Top + 2)), RGN_DIFF)
            .Combine(TRegion(Rect(rect.Right - 2, rect.Top, rect.Right, rect.Top + 1)), RGN_DIFF)
            .Combine(TRegion(Rect(rect.Right - 1, rect.Top, rect.Right, rect.Top + 2)), RGN_DIFF);
  }
  return S_OK;
}

HRESULT TClassicThemeService::GetThemePartSize(HTHEME theme, TCanvas*, Integer part, Integer state,
                                               const TRect* rect, THEMESIZE kind, TSize& size)
{
  TThemeClass c;
  if (!ClassOf(theme, c))
    return E_HANDLE;
  if (!KnownPart(c, part))
    return E_INVALIDARG;
  // The natural size of parts that have one; the others stretch over what they are given
  // and are at least their borders.
  TSize natural = {-1, -1};
  switch (c) {
  case tcButton:
    if (part == BP_RADIOBUTTON || part == BP_CHECKBOX)
      natural = {13, 13};
    break;
  case tcScrollBar:
    if (part == SBP_ARROWBTN)
      natural = state <= ABS_DOWNDISABLED
                    ? TSize{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL)}
                    : TSize{GetSystemMetrics(SM_CXHSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
    else if (part == SBP_SIZEBOX)
      natural = {GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
    else if (part == SBP_GRIPPERHORZ || part == SBP_GRIPPERVERT)
      natural = {0, 0};
    break;
  case tcHeader:
    if (part == HP_HEADERSORTARROW)
      natural = {8, 4};
    break;
  case tcComboBox:
    natural = {GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL)};
    break;
  case tcWindow:
    natural = part == WP_SMALLCLOSEBUTTON
                  ? TSize{14, 14}
                  : TSize{GetSystemMetrics(SM_CXSIZE), GetSystemMetrics(SM_CYSIZE)};
    break;
  case tcTreeView:
    natural = {9, 9};
    break;
  default:
    break;
  }
  Integer border = 2 * BorderInset(c, part);
  if (natural.cx < 0) {
    size = kind == TS_DRAW && rect ? TSize{rect->Width(), rect->Height()} : TSize{border, border};
    return S_OK;
  }
  size = natural;
  if (kind == TS_DRAW && rect)
    size = {std::min(natural.cx, rect->Width()), std::min(natural.cy, rect->Height())};
  return S_OK;
}

HRESULT TClassicThemeService::GetThemeColor(HTHEME theme, Integer part, Integer state,
                                            Integer property, TColor& color)
{
  TThemeClass c;
  if (!ClassOf(theme, c))
    return E_HANDLE;
  if (!KnownPart(c, part))
    return E_INVALIDARG;
  TLook look = LookOf(c, part, state);
  bool disabled = look == lkDisabled;
  // Boxes the user types or ticks into are window-coloured; everything else is a face.
  bool field = (c == tcButton && (part == BP_RADIOBUTTON || part == BP_CHECKBOX)) || c == tcEdit ||
               c == tcTreeView;
  TColor fill = clBtnFace, text = disabled ? clGrayText : clBtnText, border = cl3DDkShadow;
  if (field) {
    bool face = disabled || look == lkPressed || (c == tcEdit && state == ETS_READONLY);
    fill = face ? clBtnFace : clWindow;
    text = disabled ? clGrayText : clWindowText;
    border = clBtnShadow;
  } else if (c == tcScrollBar && part != SBP_ARROWBTN && part != SBP_THUMBBTNHORZ &&
             part != SBP_THUMBBTNVERT) {
    fill = clScrollBar;
  }
  switch (property) {
  case TMT_FILLCOLOR:
    color = ColorToRGB(fill);
    return S_OK;
  case TMT_TEXTCOLOR:
    color = ColorToRGB(text);
    return S_OK;
  case TMT_BORDERCOLOR:
    color = ColorToRGB(border);
    return S_OK;
  default:
    return E_FAIL;
  }
}

bool TClassicThemeService::IsThemeBackgroundPartiallyTransparent(HTHEME theme, Integer part,
                                                                 Integer)
{
  TThemeClass c;
  if (!ClassOf(theme, c) || !KnownPart(c, part))
    return false;
  switch (c) {
  case tcButton:
    return part == BP_RADIOBUTTON || part == BP_GROUPBOX;
  case tcTab:
    return part < TABP_PANE;
  case tcHeader:
    return part == HP_HEADERSORTARROW;
  case tcScrollBar:
    return part == SBP_GRIPPERHORZ || part == SBP_GRIPPERVERT;
  case tcTreeView:
    return true;
  default:
    return false;
  }
}

std::unique_ptr<TThemeService>& ClassicService()
{
  static std::unique_ptr<TThemeService> service = CreateClassicThemeService();
  return service;
}

TThemeService* gInstalled = nullptr;

// A canvas the service can draw on.
bool Drawable(const TCanvas* canvas)
{
  return canvas && canvas->HandleAllocated();
}

} // namespace

std::unique_ptr<TThemeService> CreateClassicThemeService()
{
  return std::make_unique<TClassicThemeService>();
}

TThemeService& ThemeServices()
{
  return gInstalled ? *gInstalled : *ClassicService();
}

void SetThemeServices(TThemeService* service)
{
  gInstalled = service;
}

bool IsThemeActive()
{
  return ThemeServices().IsThemeActive();
}

HTHEME OpenThemeData(NativeUInt, const WideString& classList)
{
  return ThemeServices().OpenThemeData(classList);
}

HRESULT CloseThemeData(HTHEME theme)
{
  return theme ? ThemeServices().CloseThemeData(theme) : E_HANDLE;
}

HRESULT DrawThemeBackground(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                            const TRect& rect, const TRect* clip)
{
  if (!theme)
    return E_HANDLE;
  if (!Drawable(canvas))
    return E_INVALIDARG;
  return ThemeServices().DrawThemeBackground(theme, *canvas, part, state, rect, clip);
}

HRESULT DrawThemeText(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                      const WideString& text, Integer count, Cardinal flags, Cardinal flags2,
                      const TRect& rect)
{
  if (!theme)
    return E_HANDLE;
  if (!Drawable(canvas))
    return E_INVALIDARG;
  WideString shown = count < 0 ? text : text.substr(0, static_cast<size_t>(count));
  return ThemeServices().DrawThemeText(theme, *canvas, part, state, shown, flags, flags2, rect);
}

HRESULT DrawThemeEdge(HTHEME theme, TCanvas* canvas, Integer part, Integer state, const TRect& dest,
                      Cardinal edge, Cardinal flags, TRect* content)
{
  if (!theme)
    return E_HANDLE;
  if (!Drawable(canvas))
    return E_INVALIDARG;
  return ThemeServices().DrawThemeEdge(theme, *canvas, part, state, dest, edge, flags, content);
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                                      const TRect& bounds, TRect& content)
{
  if (!theme)
    return E_HANDLE;
  return ThemeServices().GetThemeBackgroundContentRect(theme, canvas, part, state, bounds, content);
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                                 const TRect& rect, TRegion& region)
{
  if (!theme)
    return E_HANDLE;
  return ThemeServices().GetThemeBackgroundRegion(theme, canvas, part, state, rect, region);
}

HRESULT GetThemePartSize(HTHEME theme, TCanvas* canvas, Integer part, Integer state,
                         const TRect* rect, THEMESIZE kind, TSize& size)
{
  if (!theme)
    return E_HANDLE;
  return ThemeServices().GetThemePartSize(theme, canvas, part, state, rect, kind, size);
}

HRESULT GetThemeColor(HTHEME theme, Integer part, Integer state, Integer property, TColor& color)
{
  if (!theme)
    return E_HANDLE;
  return ThemeServices().GetThemeColor(theme, part, state, property, color);
}

bool IsThemeBackgroundPartiallyTransparent(HTHEME theme, Integer part, Integer state)
{
  return theme && ThemeServices().IsThemeBackgroundPartiallyTransparent(theme, part, state);
}
