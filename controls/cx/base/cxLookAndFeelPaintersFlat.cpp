// The flat (single-pixel bevels) and ultra-flat (one-pixel frames, highlight-tinted hot and
// pressed faces, hot tracking) painters (see cxLookAndFeelPainters.h).
#include "controls/cx/base/cxLookAndFeelPainters.h"

namespace {

TRect Shrink(const TRect& R, Integer D)
{
  return cxRectInflate(R, -D, -D);
}

TcxArrowDirection ScrollArrowDirection(bool AHorizontal, TcxScrollBarPart APart)
{
  if (AHorizontal)
    return APart == sbpLineUp ? dirLeft : dirRight;
  return APart == sbpLineUp ? dirUp : dirDown;
}

} // namespace

void TcxCustomLookAndFeelPainter::DrawButtonScrollBarPart(TcxCanvas* C, bool AHorizontal,
                                                          const TRect& R, TcxScrollBarPart APart,
                                                          TcxButtonState AState,
                                                          Integer AArrowInset) const
{
  if (cxRectIsEmpty(R) || (APart == sbpThumbnail && AState == cxbsDisabled))
    return;
  switch (APart) {
  case sbpLineUp:
  case sbpLineDown:
    DrawButton(C, R, "", AState, true, clDefault, clDefault);
    DrawButtonArrow(C, Shrink(R, AArrowInset), AState, ScrollArrowDirection(AHorizontal, APart));
    break;
  case sbpThumbnail:
    DrawButton(C, R, "", AState, true, clDefault, clDefault);
    break;
  case sbpPageUp:
  case sbpPageDown:
    DrawPatternPage(C, R, AState == cxbsPressed);
    break;
  default:
    break;
  }
}

// ---- Flat painter ----

void TcxFlatLookAndFeelPainter::DrawControlBorder(TcxCanvas* C, const TRect& R) const
{
  C->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight, cxBordersAll);
}

void TcxFlatLookAndFeelPainter::DrawButtonBorder(TcxCanvas* C, const TRect& R,
                                                 TcxButtonState AState) const
{
  if (AState == cxbsPressed) {
    C->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight, cxBordersAll);
    return;
  }
  TRect r = R;
  if (AState == cxbsDefault) {
    C->FrameRect(r, clBlack);
    r = Shrink(r, 1);
  }
  C->DrawTwoColorFrame(r, clBtnHighlight, clBtnShadow, cxBordersAll);
}

void TcxFlatLookAndFeelPainter::DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                                                TColor AColor) const
{
  DrawButton(C, R, "", cxbsNormal, true, AColor, clDefault);
  DrawExpandSign(C, Shrink(R, 1), AExpanded);
  C->ExcludeFromClip(R);
}

void TcxFlatLookAndFeelPainter::DrawCheckFrame(TcxCanvas* C, const TRect& R,
                                               TcxButtonState AState) const
{
  C->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight, cxBordersAll);
  C->FrameRect(Shrink(R, 1), CheckButtonColor(AState));
}

void TcxFlatLookAndFeelPainter::DrawHeaderFrame(TcxCanvas* C, const TRect& R, TcxBorders ANeighbors,
                                                TcxBorders ABorders) const
{
  TcxStandardLookAndFeelPainter::Class()->DrawHeaderFrame(C, R, ANeighbors, ABorders);
}

void TcxFlatLookAndFeelPainter::DrawSortMark(TcxCanvas* C, const TRect& R, bool AAscending) const
{
  TcxStandardLookAndFeelPainter::Class()->DrawSortMark(C, R, AAscending);
}

void TcxFlatLookAndFeelPainter::DrawFooterBorder(TcxCanvas* C, const TRect& R) const
{
  TcxStandardLookAndFeelPainter::Class()->DrawFooterBorder(C, R);
}

void TcxFlatLookAndFeelPainter::DrawFooterCellBorder(TcxCanvas* C, const TRect& R) const
{
  TcxStandardLookAndFeelPainter::Class()->DrawFooterCellBorder(C, R);
}

void TcxFlatLookAndFeelPainter::DrawFilterDropDownButton(TcxCanvas* C, const TRect& R,
                                                         TcxButtonState AState, bool AActive) const
{
  TcxStandardLookAndFeelPainter::Class()->DrawFilterDropDownButton(C, R, AState, AActive);
}

void TcxFlatLookAndFeelPainter::DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide,
                                             TcxBorders ABorders, bool AVertical) const
{
  TcxStandardLookAndFeelPainter::Class()->DrawTabFrame(C, R, ASide, ABorders, AVertical);
}

void TcxFlatLookAndFeelPainter::DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                                             bool AVertical) const
{
  C->DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow, ABorders);
}

void TcxFlatLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R,
                                                  TcxScrollBarPart APart,
                                                  TcxButtonState AState) const
{
  // The flat bars do not track the pointer.
  if (AState == cxbsHot)
    AState = cxbsNormal;
  DrawButtonScrollBarPart(C, AHorizontal, R, APart, AState, ButtonBorderWidth(cxbsNormal));
}

// ---- Ultra-flat painter ----

void TcxUltraFlatLookAndFeelPainter::DrawControlBorder(TcxCanvas* C, const TRect& R) const
{
  C->FrameRect(R, clBtnShadow);
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonFaceColor(TcxButtonState AState) const
{
  switch (AState) {
  case cxbsHot:
    return HighlightTintLight();
  case cxbsPressed:
    return HighlightTintDark();
  default:
    return clBtnFace;
  }
}

void TcxUltraFlatLookAndFeelPainter::ButtonFocusRectBounds(TcxCanvas*, const TRect& R,
                                                           TRect& AFocusRect) const
{
  AFocusRect = Shrink(R, 3);
  if (cxRectIsEmpty(AFocusRect))
    AFocusRect = R;
}

void TcxUltraFlatLookAndFeelPainter::ButtonGroupBorderWidths(Integer ACount, Integer AIndex,
                                                             TRect& ARect) const
{
  ARect = TRect{1, 2, 1, 2};
  if (AIndex == 0)
    ARect.Left = 2;
  if (AIndex == ACount - 1)
    ARect.Right = 2;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonGlyphColor(TcxButtonState AState) const
{
  if (AState == cxbsPressed)
    return clHighlightText;
  return TcxCustomLookAndFeelPainter::ButtonGlyphColor(AState);
}

void TcxUltraFlatLookAndFeelPainter::DrawPlainButton(TcxCanvas* C, const TRect& R,
                                                     TcxButtonState AState, Integer ACount,
                                                     Integer AIndex, TColor AColor) const
{
  TRect r = R;
  ++r.Top;
  --r.Bottom;
  if (AIndex == 0)
    ++r.Left;
  if (AIndex + 1 == ACount)
    --r.Right;
  if (AState == cxbsNormal || AState == cxbsDisabled) {
    C->FrameRect(r, AColor);
    r = Shrink(r, 1);
  } else {
    C->SetBrushColor(UltraFlatHotColor());
    if (AIndex > 0) {
      C->FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom));
      ++r.Left;
    }
    if (AIndex < ACount - 1) {
      C->FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
      --r.Right;
    }
  }
  C->SetBrushColor(ButtonFaceColor(AState));
  C->FillRect(r);
}

void TcxUltraFlatLookAndFeelPainter::DrawButtonBorder(TcxCanvas* C, const TRect& R,
                                                      TcxButtonState AState) const
{
  if (AState == cxbsDefault) {
    C->FrameRect(R, clWindowFrame);
    C->FrameRect(Shrink(R, 1), clWindowFrame);
    return;
  }
  C->FrameRect(R, AState == cxbsNormal ? clBtnText : clHighlight);
}

void TcxUltraFlatLookAndFeelPainter::DrawHotButtonFrame(TcxCanvas* C, const TRect& R, bool APressed,
                                                        bool AHot) const
{
  C->FrameRect(R, APressed ? clBtnText : (AHot ? UltraFlatHotColor() : clBtnShadow));
}

void TcxUltraFlatLookAndFeelPainter::DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                                                     TColor AColor) const
{
  C->FrameRect(R, clBtnShadow);
  const TRect inside = Shrink(R, 1);
  C->SetBrushColor(AColor == clDefault ? clBtnFace : AColor);
  C->FillRect(inside);
  DrawExpandSign(C, inside, AExpanded);
  C->ExcludeFromClip(R);
}

void TcxUltraFlatLookAndFeelPainter::DrawCheckFrame(TcxCanvas* C, const TRect& R,
                                                    TcxButtonState AState) const
{
  C->FrameRect(R, clBtnText);
  C->FrameRect(Shrink(R, 1), CheckButtonColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::DrawHeaderFrame(TcxCanvas* C, const TRect& R, TcxBorders,
                                                     TcxBorders ABorders) const
{
  C->SetBrushColor(clBtnText);
  if (ABorders.Contains(bLeft))
    C->FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom));
  if (ABorders.Contains(bTop))
    C->FillRect(Rect(R.Left, R.Top, R.Right, R.Top + 1));
  C->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
  C->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
}

void TcxUltraFlatLookAndFeelPainter::DrawHeaderEx(
    TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds, TcxBorders ANeighbors,
    TcxBorders ABorders, TcxButtonState, TAlignment AAlignHorz, TcxAlignmentVert AAlignVert,
    bool AMultiLine, bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont,
    TColor ATextColor, TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  DrawContent(C, R, Shrink(ATextAreaBounds, 1), AAlignHorz, AAlignVert, AMultiLine,
              AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
  DrawHeaderFrame(C, Shrink(R, 1), ANeighbors, ABorders);
}

void TcxUltraFlatLookAndFeelPainter::DrawSortMark(TcxCanvas* C, const TRect& R,
                                                  bool AAscending) const
{
  DrawSortMarkOutline(C, R, AAscending, clBtnShadow, clBtnShadow);
}

TcxBorders TcxUltraFlatLookAndFeelPainter::HeaderBorderSides(TcxBorders ANeighbors) const
{
  TcxBorders result = cxBordersAll;
  if (ANeighbors.Contains(bLeft))
    result.Exclude(bLeft);
  if (ANeighbors.Contains(bTop))
    result.Exclude(bTop);
  return result;
}

void TcxUltraFlatLookAndFeelPainter::DrawFooterBorder(TcxCanvas* C, const TRect& R) const
{
  C->SetBrushColor(DefaultFooterSeparatorColor());
  C->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
  C->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
}

void TcxUltraFlatLookAndFeelPainter::DrawFooterCellBorder(TcxCanvas* C, const TRect& R) const
{
  C->FrameRect(R, DefaultFooterSeparatorColor());
}

void TcxUltraFlatLookAndFeelPainter::DrawFilterDropDownButton(TcxCanvas* C, const TRect& R,
                                                              TcxButtonState AState,
                                                              bool AActive) const
{
  C->FrameRect(R, UltraFlatButtonBorderColor(AState));
  const TRect inside = Shrink(R, 1);
  C->SetBrushColor(ButtonFaceColor(AState));
  C->FillRect(inside);
  DrawDropDownArrow(C, inside, AActive ? clBlue : ButtonGlyphColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide,
                                                  TcxBorders, bool AVertical) const
{
  TRect r = R;
  const bool shadow = AVertical ? ASide == bBottom : ASide == bRight;
  if (!AVertical)
    r.Bottom -= TabFrameWidth(AVertical);
  C->SetBrushColor(shadow ? UltraFlatTabShadowColor() : UltraFlatTabBorderColor());
  C->FillRect(r);
}

void TcxUltraFlatLookAndFeelPainter::DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                                                  bool AVertical) const
{
  C->DrawTwoColorFrame(R, UltraFlatTabBorderColor(), UltraFlatTabBorderColor(), ABorders,
                       TabFrameWidth(AVertical));
}

void TcxUltraFlatLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* C, bool AHorizontal,
                                                       const TRect& R, TcxScrollBarPart APart,
                                                       TcxButtonState AState) const
{
  DrawButtonScrollBarPart(C, AHorizontal, R, APart, AState, 0);
}
