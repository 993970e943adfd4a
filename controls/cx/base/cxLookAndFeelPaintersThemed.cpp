// The themed painter: each part through the theme functions, with the theme class's cached
// handle (dxThemeManager.h); without a handle the standard painter's drawing (see
// cxLookAndFeelPainters.h).
#include <memory>

#include "controls/cx/base/cxLookAndFeelPainters.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Codec.h"

namespace {

using TStd = TcxStandardLookAndFeelPainter;

TdxTheme Theme(TdxThemeClass AClass)
{
  return OpenThemeHandle(AClass);
}

// Part states indexed by TcxButtonState (default, normal, hot, pressed, disabled).
constexpr Integer CheckStates[2][5] = {{1, 1, 2, 3, 4}, {5, 5, 6, 7, 8}};
constexpr Integer HeaderStates[5] = {1, 1, 2, 3, 1};
constexpr Integer PlainStates[5] = {1, 1, 2, 3, 4}; // small close, combo button, tab item
constexpr Integer ExplorerBarStates[5] = {6, 1, 2, 3, 1};

Integer TrackState(TcxButtonState AState)
{
  switch (AState) {
  case cxbsHot:
    return 2;
  case cxbsPressed:
    return 3;
  case cxbsDisabled:
    return 4;
  default:
    return 1;
  }
}

Integer ScrollArrowState(TcxArrowDirection ADirection, TcxButtonState AState)
{
  Integer s = 1;
  if (AState == cxbsHot)
    s = 2;
  else if (AState == cxbsPressed)
    s = 3;
  else if (AState == cxbsDisabled)
    s = 4;
  return ADirection * 4 + s;
}

// The content rectangle of a part on (0, 0, 100, 100); false when the call fails.
bool ContentInsets(TdxTheme ATheme, Integer APart, Integer AState, TRect& AContent)
{
  return GetThemeBackgroundContentRect(ATheme, nullptr, APart, AState, Rect(0, 0, 100, 100),
                                       AContent) == S_OK;
}

WideString ToWide(const AnsiString& s)
{
  return GbkToWide(s);
}

} // namespace

Integer ThemeButtonState(TcxButtonState AState)
{
  static constexpr Integer states[5] = {5, 1, 2, 3, 4};
  return states[AState];
}

void TcxWinXPLookAndFeelPainter::DrawThemedText(TcxCanvas* C, TdxTheme ATheme, Integer APartId,
                                                Integer AStateId, const TRect&,
                                                const TRect& ATextRect, TAlignment AAlignHorz,
                                                TcxAlignmentVert AAlignVert, bool AMultiLine,
                                                bool AShowEndEllipsis, const AnsiString& AText,
                                                TFont* AFont, TColor ATextColor, bool) const
{
  if (AText.empty())
    return;
  if (AFont)
    C->AssignFont(AFont);
  C->Font()->SetColor(ATextColor);
  static constexpr Cardinal horz[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  static constexpr Cardinal vert[] = {DT_TOP, DT_BOTTOM, DT_VCENTER};
  const Cardinal flags = DT_NOPREFIX | DT_EDITCONTROL | horz[AAlignHorz] | vert[AAlignVert] |
                         (AMultiLine ? Cardinal(DT_WORDBREAK) : Cardinal(DT_SINGLELINE)) |
                         (AShowEndEllipsis ? Cardinal(DT_END_ELLIPSIS) : 0u);
  DrawThemeText(ATheme, C->Canvas(), APartId, AStateId, ToWide(AText), -1, flags, 0, ATextRect);
}

void TcxWinXPLookAndFeelPainter::DrawArrow(TcxCanvas* C, const TRect& R,
                                           TcxArrowDirection ADirection, TColor AColor) const
{
  TcxCustomLookAndFeelPainter::DrawArrow(C, R, ADirection, AColor);
}

void TcxWinXPLookAndFeelPainter::DrawScrollArrowButton(TcxCanvas* C, const TRect& R,
                                                       TcxButtonState AState,
                                                       TcxArrowDirection ADirection,
                                                       bool ADrawButton) const
{
  if (TdxTheme t = Theme(tcScrollBar))
    DrawThemeBackground(t, C->Canvas(), SBP_ARROWBTN, ScrollArrowState(ADirection, AState), R,
                        nullptr);
  else
    TStd::DrawScrollArrowButton(C, R, AState, ADirection, ADrawButton);
}

void TcxWinXPLookAndFeelPainter::DrawScrollArrowButtonFace(TcxCanvas* C, const TRect& R,
                                                           TcxButtonState AState) const
{
  if (TdxTheme t = Theme(tcButton))
    DrawThemeBackground(t, C->Canvas(), BP_PUSHBUTTON, ThemeButtonState(AState), R, nullptr);
  else
    TStd::DrawScrollArrowButtonFace(C, R, AState);
}

Integer TcxWinXPLookAndFeelPainter::ControlBorderWidth() const
{
  return ThemesAvailable(ThemeClassBit(tcListView)) ? 1 : TStd::ControlBorderWidth();
}

void TcxWinXPLookAndFeelPainter::DrawControlBorder(TcxCanvas* C, const TRect& R) const
{
  TdxTheme t = Theme(tcListView);
  if (!t) {
    TStd::DrawControlBorder(C, R);
    return;
  }
  TCanvasSaver saver(*C->Canvas());
  C->ExcludeFromClip(cxRectInflate(R, -1, -1));
  DrawThemeBackground(t, C->Canvas(), 5, 0, R, nullptr);
}

Integer TcxWinXPLookAndFeelPainter::ButtonBorderWidth(TcxButtonState AState) const
{
  TdxTheme t = Theme(tcButton);
  TRect content;
  if (t && ContentInsets(t, BP_PUSHBUTTON, ThemeButtonState(AState), content))
    return content.Left;
  return TStd::ButtonBorderWidth(cxbsNormal);
}

TColor TcxWinXPLookAndFeelPainter::ButtonFaceColor(TcxButtonState AState) const
{
  // Property 204 is not a colour this platform's themes know: the fill colour of the part
  // stands for it, and the base face colour when the theme gives none.
  TColor color;
  if (TdxTheme t = Theme(tcButton))
    if (GetThemeColor(t, BP_PUSHBUTTON, ThemeButtonState(AState), TMT_FILLCOLOR, color) == S_OK)
      return color;
  return TcxCustomLookAndFeelPainter::ButtonFaceColor(AState);
}

void TcxWinXPLookAndFeelPainter::ButtonFocusRectBounds(TcxCanvas* C, const TRect& R,
                                                       TRect& AFocusRect) const
{
  TdxTheme t = Theme(tcButton);
  if (t && GetThemeBackgroundContentRect(t, C ? C->Canvas() : nullptr, BP_PUSHBUTTON, 1, R,
                                         AFocusRect) == S_OK)
    return;
  TcxCustomLookAndFeelPainter::ButtonFocusRectBounds(C, R, AFocusRect);
}

void TcxWinXPLookAndFeelPainter::ButtonGroupBorderWidths(Integer ACount, Integer AIndex,
                                                         TRect& ARect) const
{
  TdxTheme t = Theme(tcButton);
  TRect content;
  if (!t || !ContentInsets(t, BP_PUSHBUTTON, 1, content)) {
    TStd::ButtonGroupBorderWidths(ACount, AIndex, ARect);
    return;
  }
  ARect = TRect{content.Left, content.Top, 100 - content.Right, 100 - content.Bottom};
  if (IsThemeBackgroundPartiallyTransparent(t, BP_PUSHBUTTON, 1))
    ARect = TRect{ARect.Left + 1, ARect.Top + 1, ARect.Right + 1, ARect.Bottom + 1};
}

TColor TcxWinXPLookAndFeelPainter::ButtonGlyphColor(TcxButtonState AState) const
{
  TColor color;
  if (TdxTheme t = Theme(tcButton))
    if (GetThemeColor(t, BP_PUSHBUTTON, ThemeButtonState(AState), TMT_TEXTCOLOR, color) == S_OK)
      return color;
  return TStd::ButtonGlyphColor(AState);
}

void TcxWinXPLookAndFeelPainter::DrawButton(TcxCanvas* C, const TRect& R,
                                            const AnsiString& ACaption, TcxButtonState AState,
                                            bool ADrawBorder, TColor AColor,
                                            TColor ATextColor) const
{
  TdxTheme t = Theme(tcButton);
  if (!t) {
    TStd::DrawButton(C, R, ACaption, AState, ADrawBorder, AColor, ATextColor);
    return;
  }
  const Integer state = ThemeButtonState(AState);
  DrawThemeBackground(t, C->Canvas(), BP_PUSHBUTTON, state, R, nullptr);
  if (!ACaption.empty())
    DrawThemeText(t, C->Canvas(), BP_PUSHBUTTON, state, ToWide(ACaption), -1,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, R);
}

void TcxWinXPLookAndFeelPainter::DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                                                 TColor AColor) const
{
  TdxTheme t = Theme(tcTreeView);
  if (!t) {
    TStd::DrawExpandGlyph(C, R, AExpanded, AColor);
    return;
  }
  DrawThemeBackground(t, C->Canvas(), TVP_GLYPH, AExpanded ? GLPS_OPENED : GLPS_CLOSED, R, nullptr);
  C->ExcludeFromClip(R);
}

void TcxWinXPLookAndFeelPainter::DrawGroupChevronButton(TcxCanvas* C, const TRect& R,
                                                        bool AExpanded, TcxButtonState AState) const
{
  if (TdxTheme t = Theme(tcExplorerBar))
    DrawThemeBackground(t, C->Canvas(), AExpanded ? 6 : 7, ExplorerBarStates[AState], R, nullptr);
  else
    TStd::DrawGroupChevronButton(C, R, AExpanded, AState);
}

void TcxWinXPLookAndFeelPainter::DrawSmallExpandButton(TcxCanvas* C, const TRect& R, bool AExpanded,
                                                       TColor ABorderColor, TColor AColor) const
{
  if (ThemesAvailable(ThemeClassBit(tcTreeView)))
    DrawExpandGlyph(C, R, AExpanded, clDefault);
  else
    TcxCustomLookAndFeelPainter::DrawSmallExpandButton(C, R, AExpanded, AColor, clDefault);
}

Integer TcxWinXPLookAndFeelPainter::ExpandGlyphSize() const
{
  TSize size;
  if (TdxTheme t = Theme(tcTreeView))
    if (GetThemePartSize(t, nullptr, TVP_GLYPH, GLPS_OPENED, nullptr, TS_TRUE, size) == S_OK)
      return size.cx;
  return TStd::ExpandGlyphSize();
}

Integer TcxWinXPLookAndFeelPainter::SmallExpandButtonSize() const
{
  TSize size;
  if (TdxTheme t = Theme(tcExplorerBar))
    if (GetThemePartSize(t, nullptr, 7, 1, nullptr, TS_TRUE, size) == S_OK)
      return size.cx;
  return TStd::SmallExpandButtonSize();
}

bool TcxWinXPLookAndFeelPainter::IsPointInGroupExpandButton(const TRect& R, TPoint P) const
{
  TdxTheme t = Theme(tcExplorerBar);
  TRegion region;
  if (t && GetThemeBackgroundRegion(t, nullptr, 7, 1, R, region) == S_OK)
    return region.Contains(P);
  return TStd::IsPointInGroupExpandButton(R, P);
}

Integer TcxWinXPLookAndFeelPainter::GroupExpandButtonSize() const
{
  return ThemesAvailable(ThemeClassBit(tcTreeView)) ? ExpandGlyphSize()
                                                    : TStd::GroupExpandButtonSize();
}

Integer TcxWinXPLookAndFeelPainter::CheckBorderWidth() const
{
  return ThemesAvailable(ThemeClassBit(tcButton)) ? 0 : TStd::CheckBorderWidth();
}

void TcxWinXPLookAndFeelPainter::DrawCheckMark(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                               bool AChecked, TColor AMarkColor) const
{
  if (TdxTheme t = Theme(tcButton))
    DrawThemeBackground(t, C->Canvas(), BP_CHECKBOX, CheckStates[AChecked][AState], R, nullptr);
  else
    TStd::DrawCheckMark(C, R, AState, AChecked, AMarkColor);
}

void TcxWinXPLookAndFeelPainter::DrawCheckFrame(TcxCanvas* C, const TRect& R,
                                                TcxButtonState AState) const
{
  if (!ThemesAvailable(ThemeClassBit(tcButton)))
    TStd::DrawCheckFrame(C, R, AState);
}

void TcxWinXPLookAndFeelPainter::DrawRadioButton(TcxCanvas* C, Integer X, Integer Y,
                                                 TcxButtonState AState, bool AChecked,
                                                 bool AHighlighted, TColor ABackgroundColor,
                                                 bool AFocused) const
{
  TdxTheme t = Theme(tcButton);
  if (!t) {
    // Without the theme the radio button comes from the image list in the standard look:
    // this painter's own style would address the focus images (and beyond the list).
    RadioButtonImages()->PaintImage(
        C, cxRadioButtonImageIndex(psStandard, AState, AChecked, AFocused, AHighlighted), X, Y,
        ABackgroundColor);
    return;
  }
  const Integer state = CheckStates[AChecked][AState];
  TSize size;
  if (GetThemePartSize(t, C->Canvas(), BP_RADIOBUTTON, state, nullptr, TS_TRUE, size) != S_OK)
    size = TSize{13, 13};
  DrawThemeBackground(t, C->Canvas(), BP_RADIOBUTTON, state, Bounds(X, Y, size.cx, size.cy),
                      nullptr);
}

void TcxWinXPLookAndFeelPainter::DrawHeader(
    TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds, TcxBorders ANeighbors,
    TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignHorz, TcxAlignmentVert AAlignVert,
    bool AMultiLine, bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont,
    TColor ATextColor, TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  TdxTheme t = Theme(tcHeader);
  if (!t) {
    TcxCustomLookAndFeelPainter::DrawHeader(C, R, ATextAreaBounds, ANeighbors, ABorders, AState,
                                            AAlignHorz, AAlignVert, AMultiLine, AShowEndEllipsis,
                                            AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
    return;
  }
  const Integer state = HeaderStates[AState];
  DrawThemeBackground(t, C->Canvas(), HP_HEADERITEM, state, R, nullptr);
  const TRect text = AState == cxbsPressed ? cxRectOffset(ATextAreaBounds, 1, 1) : ATextAreaBounds;
  DrawThemedText(C, t, HP_HEADERITEM, state, R, text, AAlignHorz, AAlignVert, AMultiLine,
                 AShowEndEllipsis, AText, AFont, ATextColor);
}

void TcxWinXPLookAndFeelPainter::DrawSortMark(TcxCanvas* C, const TRect& R, bool AAscending) const
{
  DrawSortMarkOutline(C, R, AAscending, clBtnShadow, clBtnShadow);
}

Integer TcxWinXPLookAndFeelPainter::HeaderBorderWidth() const
{
  TdxTheme t = Theme(tcHeader);
  TRect content;
  if (t && ContentInsets(t, HP_HEADERITEM, 1, content))
    return (content.Left + content.Top) / 2;
  return 1;
}

void TcxWinXPLookAndFeelPainter::DrawFooterCell(
    TcxCanvas* C, const TRect& R, TAlignment AAlignHorz, TcxAlignmentVert AAlignVert,
    bool AMultiLine, const AnsiString& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
    const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  TdxTheme t = Theme(tcTrackBar);
  if (!t) {
    TStd::DrawFooterCell(C, R, AAlignHorz, AAlignVert, AMultiLine, AText, AFont, ATextColor,
                         ABkColor, AOnDrawBackground);
    return;
  }
  DrawThemeBackground(t, C->Canvas(), TKP_TRACK, TRS_NORMAL, R, nullptr);
  TRect text;
  FooterCellTextBounds(R, text);
  DrawThemedText(C, t, TKP_TRACK, TRS_NORMAL, R, text, AAlignHorz, AAlignVert, AMultiLine, false,
                 AText, AFont, ATextColor);
}

Integer TcxWinXPLookAndFeelPainter::FooterCellFrameWidth() const
{
  TdxTheme t = Theme(tcTrackBar);
  TRect content;
  if (t && ContentInsets(t, TKP_TRACK, TRS_NORMAL, content))
    return content.Left;
  return 1;
}

void TcxWinXPLookAndFeelPainter::DrawFooterBorder(TcxCanvas* C, const TRect& R) const
{
  if (TdxTheme t = Theme(tcEdit))
    DrawThemeEdge(t, C->Canvas(), 0, 0, R, BDR_RAISEDINNER, BF_RECT, nullptr);
  else
    TStd::DrawFooterBorder(C, R);
}

void TcxWinXPLookAndFeelPainter::DrawSmallCloseButton(TcxCanvas* C, TRect R,
                                                      TcxButtonState AState) const
{
  if (TdxTheme t = Theme(tcWindow))
    DrawThemeBackground(t, C->Canvas(), WP_SMALLCLOSEBUTTON, PlainStates[AState], R, nullptr);
  else
    TStd::DrawSmallCloseButton(C, R, AState);
}

void TcxWinXPLookAndFeelPainter::DrawFilterDropDownButton(TcxCanvas* C, const TRect& R,
                                                          TcxButtonState AState, bool AActive) const
{
  if (TdxTheme t = Theme(tcComboBox))
    DrawThemeBackground(t, C->Canvas(), CP_DROPDOWNBUTTON, PlainStates[AState], R, nullptr);
  else
    TStd::DrawFilterDropDownButton(C, R, AState, AActive);
}

TSize TcxWinXPLookAndFeelPainter::FilterActivateButtonSize() const
{
  TSize size;
  if (TdxTheme t = Theme(tcButton))
    if (GetThemePartSize(t, nullptr, BP_CHECKBOX, CBS_CHECKEDNORMAL, nullptr, TS_TRUE, size) ==
        S_OK)
      return size;
  return TStd::FilterActivateButtonSize();
}

TSize TcxWinXPLookAndFeelPainter::FilterCloseButtonSize() const
{
  TSize size;
  if (TdxTheme t = Theme(tcWindow))
    if (GetThemePartSize(t, nullptr, WP_SMALLCLOSEBUTTON, 1, nullptr, TS_TRUE, size) == S_OK)
      return TSize{size.cx + 4, size.cy + 4};
  return TStd::FilterCloseButtonSize();
}

bool TcxWinXPLookAndFeelPainter::TabsPaintedByPainter() const
{
  return ThemesAvailable(ThemeClassBit(tcTab));
}

void TcxWinXPLookAndFeelPainter::DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide,
                                              TcxBorders ABorders, bool AVertical) const
{
  if (!ThemesAvailable(ThemeClassBit(tcTab)))
    TStd::DrawTabFrame(C, R, ASide, ABorders, AVertical);
}

void TcxWinXPLookAndFeelPainter::DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                                              bool AVertical) const
{
  TdxTheme t = Theme(tcTab);
  TRect content;
  if (!t || GetThemeBackgroundContentRect(t, C->Canvas(), TABP_PANE, 0, R, content) != S_OK) {
    TStd::DrawTabsArea(C, R, ABorders, AVertical);
    return;
  }
  TRect r = R;
  if (AVertical) {
    r.Bottom = R.Bottom + (R.Bottom - content.Bottom) - (content.Top - R.Top);
    r.Right = R.Right + 10;
  } else {
    r.Right = R.Right + (R.Right - content.Right) - (content.Left - R.Left);
    r.Bottom = R.Bottom + 10;
  }
  DrawThemeBackground(t, C->Canvas(), TABP_PANE, 0, r, &R);
}

void TcxWinXPLookAndFeelPainter::DrawTabItem(TcxCanvas* C, const TRect& R, TcxBorders ASides,
                                             const AnsiString& AText, TcxButtonState AState,
                                             bool AVertical, TFont* AFont, TColor ATextColor,
                                             bool AExtra) const
{
  TdxTheme t = Theme(tcTab);
  if (!t)
    return;
  const Integer state = PlainStates[AState];
  // A vertical row is drawn lying on its side into a bitmap and turned into place.
  TRect r = R;
  std::unique_ptr<TBitmap> turned;
  TCanvas* target = C->Canvas();
  if (AVertical) {
    r = Rect(0, 0, cxRectHeight(R), cxRectWidth(R));
    turned = std::make_unique<TBitmap>(r.Right, r.Bottom);
    target = turned->Canvas();
  }
  TRect d = r;
  const TcxBorder first = AVertical ? bTop : bLeft;
  const TcxBorder last = AVertical ? bBottom : bRight;
  if (!ASides.Contains(first))
    d.Left -= 2;
  if (!ASides.Contains(last))
    d.Right += 2;
  if (AState == cxbsPressed)
    d.Bottom += 1;
  else
    r.Bottom -= 1;
  DrawThemeBackground(t, target, TABP_TABITEM, state, d, &r);
  if (AVertical) {
    // Pixel (x, y) of the lying picture goes to (y, x).
    const Integer w = turned->Width();
    const Integer h = turned->Height();
    TBitmap upright(h, w);
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < w; ++x)
        upright.Canvas()->SetPixels(y, x, turned->Canvas()->Pixels(x, y));
    r = Rect(r.Top, r.Left, r.Bottom, r.Right);
    d = Rect(d.Top, d.Left, d.Bottom, d.Right);
    C->Canvas()->CopyRect(cxRectOffset(r, R.Left, R.Top), upright.Canvas(), r);
    r = cxRectOffset(r, R.Left, R.Top);
    d = cxRectOffset(d, R.Left, R.Top);
  }
  if (AState == cxbsPressed) {
    if (AVertical)
      d.Right -= 2;
    else
      d.Bottom -= 2;
  }
  DrawThemedText(C, t, TABP_TABITEM, state, r, d, taCenter, vaCenter, false, false, AText, AFont,
                 ATextColor, AExtra);
}

void TcxWinXPLookAndFeelPainter::DrawIndicatorItem(
    TcxCanvas* C, const TRect& R, TcxIndicatorKind AKind, TColor ABkColor,
    const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  TcxFlatLookAndFeelPainter::Class()->DrawIndicatorItem(C, R, AKind, ABkColor, AOnDrawBackground);
}

void TcxWinXPLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R,
                                                   TcxScrollBarPart APart,
                                                   TcxButtonState AState) const
{
  TdxTheme t = Theme(tcScrollBar);
  if (!t) {
    TStd::DrawScrollBarPart(C, AHorizontal, R, APart, AState);
    return;
  }
  if (cxRectIsEmpty(R))
    return;
  switch (APart) {
  case sbpLineUp:
  case sbpLineDown: {
    const TcxArrowDirection dir = AHorizontal ? (APart == sbpLineUp ? dirLeft : dirRight)
                                              : (APart == sbpLineUp ? dirUp : dirDown);
    DrawScrollArrowButton(C, R, AState, dir, true);
    break;
  }
  case sbpThumbnail:
    DrawThemeBackground(t, C->Canvas(), AHorizontal ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT,
                        TrackState(AState), R, nullptr);
    DrawThemeBackground(t, C->Canvas(), AHorizontal ? SBP_GRIPPERHORZ : SBP_GRIPPERVERT, 0, R,
                        nullptr);
    break;
  case sbpPageUp:
    DrawThemeBackground(t, C->Canvas(), AHorizontal ? SBP_LOWERTRACKHORZ : SBP_LOWERTRACKVERT,
                        TrackState(AState), R, nullptr);
    break;
  case sbpPageDown:
    DrawThemeBackground(t, C->Canvas(), AHorizontal ? SBP_UPPERTRACKHORZ : SBP_UPPERTRACKVERT,
                        TrackState(AState), R, nullptr);
    break;
  default:
    break;
  }
}
