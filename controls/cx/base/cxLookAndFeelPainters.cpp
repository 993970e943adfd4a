// The painter interface with its defaults and the standard (3-D) painter (see
// cxLookAndFeelPainters.h). The flat and ultra-flat painters are in
// cxLookAndFeelPaintersFlat.cpp, the themed one in cxLookAndFeelPaintersThemed.cpp, the
// shared images in cxLookAndFeelPaintersImages.cpp.
#include "controls/cx/base/cxLookAndFeelPainters.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Math.h"

// The painter classes: one constant object each.
struct TcxPainterInstances {
  static const TcxStandardLookAndFeelPainter Standard;
  static const TcxFlatLookAndFeelPainter Flat;
  static const TcxUltraFlatLookAndFeelPainter UltraFlat;
  static const TcxWinXPLookAndFeelPainter WinXP;
};
namespace {
struct TCustomPainter : TcxCustomLookAndFeelPainter {};
const TCustomPainter CustomPainter;
} // namespace
const TcxStandardLookAndFeelPainter TcxPainterInstances::Standard;
const TcxFlatLookAndFeelPainter TcxPainterInstances::Flat;
const TcxUltraFlatLookAndFeelPainter TcxPainterInstances::UltraFlat;
const TcxWinXPLookAndFeelPainter TcxPainterInstances::WinXP;

TcxCustomLookAndFeelPainterClass TcxCustomLookAndFeelPainter::Class()
{
  return &CustomPainter;
}
TcxCustomLookAndFeelPainterClass TcxStandardLookAndFeelPainter::Class()
{
  return &TcxPainterInstances::Standard;
}
TcxCustomLookAndFeelPainterClass TcxFlatLookAndFeelPainter::Class()
{
  return &TcxPainterInstances::Flat;
}
TcxCustomLookAndFeelPainterClass TcxUltraFlatLookAndFeelPainter::Class()
{
  return &TcxPainterInstances::UltraFlat;
}
TcxCustomLookAndFeelPainterClass TcxWinXPLookAndFeelPainter::Class()
{
  return &TcxPainterInstances::WinXP;
}

namespace {

TRect Shrink(const TRect& R, Integer D)
{
  return cxRectInflate(R, -D, -D);
}

Integer TextFlagsOf(TAlignment AAlignHorz, TcxAlignmentVert AAlignVert, bool AMultiLine,
                    bool AShowEndEllipsis)
{
  static constexpr Integer horz[] = {ctfLeft, ctfRight, ctfHCenter};
  static constexpr Integer vert[] = {ctfTop, ctfBottom, ctfVCenter};
  return horz[AAlignHorz] | vert[AAlignVert] | (AMultiLine ? ctfWordWrap : ctfSingleLine) |
         (AShowEndEllipsis ? ctfEndEllipsis : 0);
}

void Line(TcxCanvas* C, Integer X1, Integer Y1, Integer X2, Integer Y2)
{
  C->MoveTo(X1, Y1);
  C->LineTo(X2, Y2);
}

// A triangle filled and outlined in the current brush colour, its corners at pixel centres:
// each row gets the pixels from the left edge to the right edge inclusive, as a polygon
// filled and outlined with a one-pixel pen in the same colour covers them.
void FillTriangle(TcxCanvas* C, const TPoint (&P)[3])
{
  Integer top = std::min({P[0].Y, P[1].Y, P[2].Y});
  Integer bottom = std::max({P[0].Y, P[1].Y, P[2].Y});
  for (Integer y = top; y <= bottom; ++y) {
    double lo = 1e9;
    double hi = -1e9;
    for (Integer i = 0; i < 3; ++i) {
      const TPoint a = P[i];
      const TPoint b = P[(i + 1) % 3];
      if (y < std::min(a.Y, b.Y) || y > std::max(a.Y, b.Y))
        continue;
      if (a.Y == b.Y) {
        lo = std::min({lo, double(a.X), double(b.X)});
        hi = std::max({hi, double(a.X), double(b.X)});
        continue;
      }
      const double x = a.X + double(b.X - a.X) * (y - a.Y) / (b.Y - a.Y);
      lo = std::min(lo, x);
      hi = std::max(hi, x);
    }
    const Integer x1 = static_cast<Integer>(std::ceil(lo - 1e-9));
    const Integer x2 = static_cast<Integer>(std::floor(hi + 1e-9));
    if (x1 <= x2)
      C->FillRect(Rect(x1, y, x2 + 1, y + 1));
  }
}

// A square of the shorter side, centred in R.
TRect MakeSquare(TRect R)
{
  const Integer w = cxRectWidth(R);
  const Integer h = cxRectHeight(R);
  if (w > h) {
    R.Left += (w - h) / 2;
    R.Right = R.Left + h;
  } else if (h > w) {
    R.Top += (h - w) / 2;
    R.Bottom = R.Top + w;
  }
  return R;
}

} // namespace

// ---- Shared routines ----

void TcxCustomLookAndFeelPainter::DrawArrowTriangle(TcxCanvas* C, TRect R,
                                                    TcxArrowDirection ADirection, TColor AColor,
                                                    bool AMakeSquare) const
{
  if (AMakeSquare)
    R = MakeSquare(R);
  const bool vertical = ADirection == dirUp || ADirection == dirDown;
  Integer b = ((vertical ? cxRectWidth(R) : cxRectHeight(R)) - 1) / 2;
  if (b % 2 == 0)
    ++b;
  const Integer h = b / 2 + 1;
  const Integer M = MulDiv(R.Top + R.Bottom - h, 1, 2);
  const Integer N = MulDiv(R.Top + R.Bottom - b, 1, 2);
  TPoint p[3] = {};
  switch (ADirection) {
  case dirUp: {
    const Integer x = (R.Left + R.Right - b) / 2;
    p[0] = {(R.Left + R.Right - 1) / 2, M};
    p[1] = {x, M + h - 1};
    p[2] = {x + b - 1, M + h - 1};
    break;
  }
  case dirDown: {
    const Integer x = (R.Left + R.Right - b) / 2;
    p[0] = {x, M};
    p[1] = {x + b - 1, M};
    p[2] = {(R.Left + R.Right - 1) / 2, M + h - 1};
    break;
  }
  case dirLeft: {
    const Integer x = (R.Left + R.Right - h) / 2;
    p[0] = {x, (R.Top + R.Bottom) / 2};
    p[1] = {x + h - 1, N};
    p[2] = {x + h - 1, N + b - 1};
    break;
  }
  case dirRight: {
    const Integer x = (R.Left + R.Right - h) / 2;
    p[0] = {x, N};
    p[1] = {x, N + b - 1};
    p[2] = {x + h - 1, (R.Top + R.Bottom) / 2};
    break;
  }
  }
  C->Pen()->SetColor(AColor);
  C->SetBrushColor(AColor);
  FillTriangle(C, p);
}

void TcxCustomLookAndFeelPainter::DrawExpandSign(TcxCanvas* C, const TRect& B, bool AExpanded) const
{
  const Integer cx = (B.Left + B.Right) / 2;
  const Integer cy = (B.Top + B.Bottom) / 2;
  const Integer h = (cxRectWidth(B) - 4) / 2;
  C->SetBrushColor(clBtnText);
  C->FillRect(Rect(cx - h, cy, cx + h + 1, cy + 1));
  if (!AExpanded)
    C->FillRect(Rect(cx, cy - h, cx + 1, cy + h + 1));
}

void TcxCustomLookAndFeelPainter::DrawSortMarkOutline(TcxCanvas* C, const TRect& R, bool AAscending,
                                                      TColor ALight, TColor ADark) const
{
  TSize size;
  SortMarkSize(size);
  const Integer W = size.cx;
  const Integer H = size.cy;
  const Integer d = AAscending ? 1 : -1;
  Integer X = (R.Left + R.Right) / 2;
  if (W % 2 == 0)
    --X;
  const Integer Y = AAscending ? (R.Top + R.Bottom - H) / 2 : (R.Top + R.Bottom + H) / 2 - 1;
  const Integer A = W / 2;
  const Integer B = W % 2 == 0 ? W / 2 - 1 : W / 2;
  C->Pen()->SetColor(ALight);
  C->MoveTo(X + A, Y + (H - 2) * d);
  C->LineTo(X + A - B, Y);
  C->LineTo(X + A, Y + (H - 1) * d);
  if (!AAscending)
    C->Pen()->SetColor(ADark);
  C->LineTo(X - B, Y + (H - 1) * d);
  if (AAscending)
    C->Pen()->SetColor(ADark);
  C->LineTo(X, Y);
  C->LineTo(X - B, Y + (H - W % 2) * d);
}

void TcxCustomLookAndFeelPainter::DrawPatternPage(TcxCanvas* C, const TRect& R, bool APressed) const
{
  C->Brush()->SetBitmap(cxScrollBarPattern(APressed));
  C->FillRect(R);
  C->Brush()->SetBitmap(nullptr);
  C->Brush()->SetStyle(bsSolid);
}

void TcxCustomLookAndFeelPainter::DrawIndicatorImage(TcxCanvas* C, const TRect& R,
                                                     TcxIndicatorKind AKind) const
{
  TCustomImageList* images = cxIndicatorImages();
  if (AKind == ikNone || !images || AKind > images->Count())
    return;
  images->Draw(C->Canvas(), (R.Left + R.Right - images->Width()) / 2,
               (R.Top + R.Bottom - images->Height()) / 2, AKind - 1);
}

// ---- Base operations ----

void TcxCustomLookAndFeelPainter::DrawDropDownArrow(TcxCanvas* C, const TRect& R,
                                                    TColor AColor) const
{
  Integer w = cxRectWidth(R) / 2;
  if (w % 2 == 0)
    ++w;
  const Integer h = w / 2 + 1;
  const Integer top = MulDiv(R.Top + R.Bottom - h, 1, 2);
  const Integer left = (R.Left + R.Right - w) / 2;
  const TPoint p[3] = {{left, top}, {left + w - 1, top}, {left + w / 2, top + h - 1}};
  C->Pen()->SetColor(AColor);
  C->SetBrushColor(AColor);
  FillTriangle(C, p);
}

void TcxCustomLookAndFeelPainter::DrawContent(TcxCanvas* C, const TRect& R, const TRect& ATextRect,
                                              TAlignment AAlignHorz, TcxAlignmentVert AAlignVert,
                                              bool AMultiLine, bool AShowEndEllipsis,
                                              const AnsiString& AText, TFont* AFont,
                                              TColor ATextColor, TColor AColor,
                                              const TcxDrawBackgroundEvent& AOnDrawBackground,
                                              bool) const
{
  if (!AOnDrawBackground || !AOnDrawBackground(C, R)) {
    C->SetBrushColor(AColor);
    C->FillRect(R);
  }
  if (AText.empty())
    return;
  C->Brush()->SetStyle(bsClear);
  if (AFont)
    C->AssignFont(AFont);
  C->Font()->SetColor(ATextColor);
  C->DrawTextInState(AText, ATextRect,
                     TextFlagsOf(AAlignHorz, AAlignVert, AMultiLine, AShowEndEllipsis), true);
  C->Brush()->SetStyle(bsSolid);
}

void TcxCustomLookAndFeelPainter::FooterCellContentBounds(const TRect& R, TRect& AContent) const
{
  AContent = Shrink(R, FooterCellFrameWidth());
}

void TcxCustomLookAndFeelPainter::FooterCellTextBounds(const TRect& R, TRect& AText) const
{
  FooterCellContentBounds(R, AText);
  AText = Shrink(AText, 2);
}

void TcxCustomLookAndFeelPainter::DrawArrow(TcxCanvas* C, const TRect& R,
                                            TcxArrowDirection ADirection, TColor AColor) const
{
  DrawArrowTriangle(C, R, ADirection, AColor, true);
}

void TcxCustomLookAndFeelPainter::DrawScrollArrowButton(TcxCanvas* C, const TRect& R,
                                                        TcxButtonState AState,
                                                        TcxArrowDirection ADirection,
                                                        bool ADrawButton) const
{
  if (ADrawButton)
    DrawScrollArrowButtonFace(C, R, AState);
  else {
    C->SetBrushColor(ButtonFaceColor(AState));
    C->FillRect(R);
  }
  DrawArrowTriangle(C, R, ADirection, ButtonGlyphColor(AState), false);
}

void TcxCustomLookAndFeelPainter::DrawScrollArrowButtonFace(TcxCanvas* C, const TRect& R,
                                                            TcxButtonState AState) const
{
  C->SetBrushColor(ButtonFaceColor(AState));
  C->FillRect(R);
  DrawButtonBorder(C, R, AState);
}

void TcxCustomLookAndFeelPainter::DrawButtonArrow(TcxCanvas* C, const TRect& R,
                                                  TcxButtonState AState,
                                                  TcxArrowDirection ADirection) const
{
  TRect r = MakeSquare(R);
  if (AState == cxbsPressed)
    r = cxRectOffset(r, ButtonPressedShift(), ButtonPressedShift());
  if (AState == cxbsDisabled) {
    DrawArrowTriangle(C, cxRectOffset(r, 1, 1), ADirection, clBtnHighlight, false);
    DrawArrowTriangle(C, r, ADirection, clBtnShadow, false);
  } else
    DrawArrowTriangle(C, r, ADirection, ButtonGlyphColor(AState), false);
}

void TcxCustomLookAndFeelPainter::ButtonFocusRectBounds(TcxCanvas*, const TRect& R,
                                                        TRect& AFocusRect) const
{
  AFocusRect = Shrink(R, 4);
  if (cxRectIsEmpty(AFocusRect))
    AFocusRect = R;
}

void TcxCustomLookAndFeelPainter::ButtonGroupBorderWidths(Integer, Integer, TRect& ARect) const
{
  const Integer w = ButtonBorderWidth(cxbsNormal);
  ARect = TRect{w, w, w, w};
}

TColor TcxCustomLookAndFeelPainter::ButtonGlyphColor(TcxButtonState AState) const
{
  return AState == cxbsDisabled ? clBtnShadow : clBtnText;
}

void TcxCustomLookAndFeelPainter::DrawButton(TcxCanvas* C, const TRect& R,
                                             const AnsiString& ACaption, TcxButtonState AState,
                                             bool ADrawBorder, TColor AColor,
                                             TColor ATextColor) const
{
  TRect B = R;
  if (ADrawBorder) {
    DrawButtonBorder(C, B, AState);
    B = Shrink(B, ButtonBorderWidth(AState));
  }
  C->SetBrushColor(AColor == clDefault ? ButtonFaceColor(AState) : AColor);
  C->FillRect(B);
  C->Font()->SetColor(ATextColor == clDefault ? ButtonGlyphColor(AState) : ATextColor);
  C->Brush()->SetStyle(bsClear);
  if (cxRectHeight(B) % 2 != 0)
    --B.Bottom;
  if (cxRectHeight(B) < 18)
    --B.Top;
  if (AState == cxbsPressed)
    B = cxRectOffset(B, ButtonPressedShift(), ButtonPressedShift());
  if (!ACaption.empty())
    C->DrawTextInState(ACaption, B, ctfHCenter | ctfVCenter | ctfSingleLine | ctfPrefix,
                       AState != cxbsDisabled);
  C->Brush()->SetStyle(bsSolid);
}

void TcxCustomLookAndFeelPainter::DrawPlainButton(TcxCanvas* C, const TRect& R,
                                                  TcxButtonState AState, Integer, Integer,
                                                  TColor) const
{
  DrawButton(C, R, "", AState, true, clDefault, clDefault);
}

void TcxCustomLookAndFeelPainter::DrawGroupChevronButton(TcxCanvas* C, const TRect& R,
                                                         bool AExpanded,
                                                         TcxButtonState AState) const
{
  DrawButton(C, R, "", AState, true, clDefault, clDefault);
  constexpr Integer S = 3;
  const Integer X0 = (R.Left + R.Right - (2 * S + 1)) / 2;
  const Integer Y0 = (R.Top + R.Bottom - 2 * (S + 1)) / 2;
  const Integer d = AExpanded ? 1 : -1;
  C->Pen()->SetColor(ButtonGlyphColor(AState));
  for (Integer row : {0, 1, 4, 5}) {
    Integer k = (row == 0 || row == 4) ? 0 : 1;
    if (!AExpanded)
      k = 1 - k;
    const Integer y = Y0 + row + (AExpanded ? S : 0);
    C->MoveTo(X0 + k, y - d * k);
    C->LineTo(X0 + S, y - d * S);
    C->LineTo(X0 + 2 * S + 1 - k, y + d * (1 - k));
  }
}

void TcxCustomLookAndFeelPainter::DrawSmallExpandButton(TcxCanvas* C, const TRect& R,
                                                        bool AExpanded, TColor ABorderColor,
                                                        TColor AColor) const
{
  C->FrameRect(R, ABorderColor);
  const TRect inside = Shrink(R, 1);
  if (AColor != clDefault) {
    C->SetBrushColor(AColor);
    C->FillRect(inside);
  }
  DrawExpandSign(C, inside, AExpanded);
}

bool TcxCustomLookAndFeelPainter::IsPointInGroupExpandButton(const TRect& R, TPoint P) const
{
  return PtInRect(R, P);
}

TColor TcxCustomLookAndFeelPainter::CheckButtonColor(TcxButtonState AState) const
{
  return AState == cxbsPressed || AState == cxbsDisabled ? clBtnFace : clWindow;
}

void TcxCustomLookAndFeelPainter::DrawCheckMark(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                                bool AChecked, TColor AMarkColor) const
{
  C->SetBrushColor(CheckButtonColor(AState));
  C->FillRect(R);
  if (!AChecked)
    return;
  const Integer W = cxRectWidth(R) - 2;
  const Integer H = cxRectHeight(R) - 4;
  const Integer X = (R.Left + R.Right) / 2 - 1;
  C->Pen()->SetColor(AMarkColor);
  for (Integer offset = 0; offset < 3; ++offset) {
    const Integer Y = (R.Top + R.Bottom + H) / 2 - 2 + offset;
    C->MoveTo(X - W / 2 + 1, Y - H / 2);
    C->LineTo(X, Y);
    C->LineTo(X + W / 2 + 2, Y - H);
  }
}

void TcxCustomLookAndFeelPainter::DrawCheckButton(TcxCanvas* C, TRect R, TcxButtonState AState,
                                                  bool AChecked) const
{
  DrawCheckFrame(C, R, AState);
  R = Shrink(R, CheckBorderWidth());
  DrawCheckMark(C, R, AState, AChecked, AState == cxbsDisabled ? clGrayText : clBtnText);
}

void TcxCustomLookAndFeelPainter::DrawRadioButton(TcxCanvas* C, Integer X, Integer Y,
                                                  TcxButtonState AState, bool AChecked,
                                                  bool AHighlighted, TColor ABackgroundColor,
                                                  bool AFocused) const
{
  RadioButtonImages()->PaintImage(
      C, cxRadioButtonImageIndex(PainterStyle(), AState, AChecked, AFocused, AHighlighted), X, Y,
      ABackgroundColor);
}

void TcxCustomLookAndFeelPainter::DrawHeader(
    TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds, TcxBorders ANeighbors,
    TcxBorders ABorders, TcxButtonState, TAlignment AAlignHorz, TcxAlignmentVert AAlignVert,
    bool AMultiLine, bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont,
    TColor ATextColor, TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  DrawHeaderFrame(C, R, ANeighbors, ABorders);
  TRect content;
  HeaderContentBounds(R, ABorders, content);
  DrawContent(C, content, ATextAreaBounds, AAlignHorz, AAlignVert, AMultiLine, AShowEndEllipsis,
              AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
}

void TcxCustomLookAndFeelPainter::DrawHeaderEx(
    TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds, TcxBorders ANeighbors,
    TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignHorz, TcxAlignmentVert AAlignVert,
    bool AMultiLine, bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont,
    TColor ATextColor, TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  DrawHeader(C, R, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignHorz, AAlignVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
}

void TcxCustomLookAndFeelPainter::HeaderBorderBounds(const TRect& R, TcxBorders ANeighbors,
                                                     TcxBorders ABorders, TRect& ABounds) const
{
  ABounds = cxRectInflateSides(R, ABorders - HeaderBorderSides(ANeighbors), HeaderBorderWidth());
}

void TcxCustomLookAndFeelPainter::HeaderContentBounds(const TRect& R, TcxBorders ABorders,
                                                      TRect& AContent) const
{
  AContent = cxRectInflateSides(R, ABorders, -HeaderBorderWidth());
}

Integer TcxCustomLookAndFeelPainter::HeaderHeight(Integer AFontHeight) const
{
  return AFontHeight + 2 * HeaderBorderWidth() + 4;
}

Integer TcxCustomLookAndFeelPainter::HeaderWidth(TcxCanvas* C, TcxBorders ABorders,
                                                 const AnsiString& AText, TFont* AFont) const
{
  if (AFont)
    C->AssignFont(AFont);
  Integer result = C->TextWidth(AText) + 4;
  if (ABorders.Contains(bLeft))
    result += HeaderBorderWidth();
  if (ABorders.Contains(bRight))
    result += HeaderBorderWidth();
  return result;
}

void TcxCustomLookAndFeelPainter::SortMarkAreaSize(TSize& ASize) const
{
  TSize mark;
  SortMarkSize(mark);
  ASize = TSize{16, mark.cy};
}

void TcxCustomLookAndFeelPainter::DrawFooterCell(
    TcxCanvas* C, const TRect& R, TAlignment AAlignHorz, TcxAlignmentVert AAlignVert,
    bool AMultiLine, const AnsiString& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
    const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  DrawFooterCellBorder(C, R);
  TRect content;
  TRect text;
  FooterCellContentBounds(R, content);
  FooterCellTextBounds(R, text);
  DrawContent(C, content, text, AAlignHorz, AAlignVert, AMultiLine, false, AText, AFont, ATextColor,
              ABkColor, AOnDrawBackground, true);
}

void TcxCustomLookAndFeelPainter::DrawFooterSeparator(TcxCanvas* C, const TRect& R) const
{
  C->SetBrushColor(DefaultFooterSeparatorColor());
  C->FillRect(R);
}

void TcxCustomLookAndFeelPainter::DrawSmallCloseButton(TcxCanvas* C, TRect R,
                                                       TcxButtonState AState) const
{
  DrawButtonBorder(C, R, AState);
  R = Shrink(R, ButtonBorderWidth(cxbsNormal));
  C->SetBrushColor(ButtonFaceColor(AState));
  C->FillRect(R);
  Integer S = FilterCloseButtonSize().cx / 2;
  if (S % 2 == 0)
    --S;
  Integer x = (R.Left + R.Right - S) / 2;
  Integer y = (R.Top + R.Bottom - S) / 2;
  if (ButtonGlyphState(AState) == cxbsPressed) {
    ++x;
    ++y;
  }
  C->Pen()->SetColor(ButtonGlyphColor(AState));
  for (Integer dx = 0; dx < 2; ++dx) {
    Line(C, x + dx, y, x + dx + S, y + S);
    Line(C, x + dx + S - 1, y, x + dx - 1, y + S);
  }
}

void TcxCustomLookAndFeelPainter::DrawIndicatorItem(
    TcxCanvas* C, const TRect& R, TcxIndicatorKind AKind, TColor ABkColor,
    const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  DrawHeader(C, R, R, TcxBorders{}, HeaderBorderSides(TcxBorders{bTop, bBottom}), cxbsNormal,
             taLeftJustify, vaTop, false, false, "", nullptr, clNone, ABkColor, AOnDrawBackground);
  DrawIndicatorImage(C, R, AKind);
}

void TcxCustomLookAndFeelPainter::DrawIndicatorItemEx(
    TcxCanvas* C, const TRect& R, TcxIndicatorKind AKind, TColor ABkColor,
    const TcxDrawBackgroundEvent& AOnDrawBackground) const
{
  DrawHeaderEx(C, R, R, TcxBorders{}, cxBordersAll, cxbsNormal, taLeftJustify, vaTop, false, false,
               "", nullptr, clNone, ABkColor, AOnDrawBackground);
  DrawIndicatorImage(C, R, AKind);
}

// ---- Standard painter ----

void TcxStandardLookAndFeelPainter::DrawControlBorder(TcxCanvas* C, const TRect& R) const
{
  C->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight, cxBordersAll);
  C->DrawTwoColorFrame(Shrink(R, 1), cl3DDkShadow, cl3DLight, cxBordersAll);
}

void TcxStandardLookAndFeelPainter::DrawButtonBorder(TcxCanvas* C, const TRect& R,
                                                     TcxButtonState AState) const
{
  TRect r = R;
  if (AState == cxbsPressed) {
    C->FrameRect(r, clBlack);
    C->FrameRect(Shrink(r, 1), clBtnShadow);
    return;
  }
  if (AState == cxbsDefault) {
    C->FrameRect(r, clBlack);
    r = Shrink(r, 1);
  }
  C->DrawTwoColorFrame(r, clBtnHighlight, cl3DDkShadow, cxBordersAll);
  C->DrawTwoColorFrame(Shrink(r, 1), cl3DLight, clBtnShadow, cxBordersAll);
}

void TcxStandardLookAndFeelPainter::DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                                                    TColor AColor) const
{
  TRect B = R;
  C->DrawTwoColorFrame(B, clBtnHighlight, cl3DDkShadow, cxBordersAll);
  B = Shrink(B, 1);
  C->DrawTwoColorFrame(B, clBtnShadow, clBtnShadow, TcxBorders{bRight, bBottom});
  B.Right -= 1;
  B.Bottom -= 1;
  C->SetBrushColor(AColor == clDefault ? clBtnFace : AColor);
  C->FillRect(B);
  DrawExpandSign(C, B, AExpanded);
  C->ExcludeFromClip(R);
}

void TcxStandardLookAndFeelPainter::DrawGroupChevronButton(TcxCanvas* C, const TRect& R,
                                                           bool AExpanded,
                                                           TcxButtonState AState) const
{
  TcxFlatLookAndFeelPainter::Class()->DrawGroupChevronButton(C, R, AExpanded, AState);
}

void TcxStandardLookAndFeelPainter::DrawCheckFrame(TcxCanvas* C, const TRect& R,
                                                   TcxButtonState) const
{
  C->DrawTwoColorFrame(R, cl3DDkShadow, cl3DLight, cxBordersAll);
  C->DrawTwoColorFrame(Shrink(R, 1), clBtnShadow, clBtnHighlight, cxBordersAll);
}

void TcxStandardLookAndFeelPainter::DrawHeaderFrame(TcxCanvas* C, const TRect& R,
                                                    TcxBorders ANeighbors, TcxBorders) const
{
  C->DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow, cxBordersAll);
  if (ANeighbors.Contains(bLeft)) {
    C->SetPixelColor(R.Left, R.Top + 1, clBtnFace);
    C->SetPixelColor(R.Left, R.Bottom - 2, clBtnFace);
  }
  if (ANeighbors.Contains(bRight)) {
    C->SetPixelColor(R.Right - 1, R.Top, clBtnHighlight);
    C->SetPixelColor(R.Right - 1, R.Top + 1, clBtnFace);
    C->SetPixelColor(R.Right - 1, R.Bottom - 2, clBtnFace);
  }
}

void TcxStandardLookAndFeelPainter::DrawSortMark(TcxCanvas* C, const TRect& R,
                                                 bool AAscending) const
{
  DrawSortMarkOutline(C, R, AAscending, clBtnHighlight, clBtnShadow);
}

void TcxStandardLookAndFeelPainter::DrawFooterBorder(TcxCanvas* C, const TRect& R) const
{
  C->DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow, cxBordersAll);
}

void TcxStandardLookAndFeelPainter::DrawFooterCellBorder(TcxCanvas* C, const TRect& R) const
{
  C->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight, cxBordersAll);
}

void TcxStandardLookAndFeelPainter::DrawFilterDropDownButton(TcxCanvas* C, const TRect& R,
                                                             TcxButtonState AState,
                                                             bool AActive) const
{
  if (AState == cxbsPressed)
    C->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight, cxBordersAll);
  else
    C->DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow, cxBordersAll);
  const TRect inside = Shrink(R, 1);
  C->SetBrushColor(clBtnFace);
  C->FillRect(inside);
  DrawDropDownArrow(C, inside, AActive ? clBlue : clBtnText);
}

void TcxStandardLookAndFeelPainter::DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide,
                                                 TcxBorders ABorders, bool AVertical) const
{
  TRect r = R;
  TColor color = clBtnHighlight;
  if (AVertical) {
    if (ASide == bLeft) {
      r.Top += ABorders.Contains(bTop) ? 2 : 1;
      r.Bottom -= ABorders.Contains(bBottom) ? 2 : 1;
      C->SetPixelColor(r.Left + 1, r.Top - 1, clBtnHighlight);
      C->SetPixelColor(r.Left + 1, r.Bottom, clBtnHighlight);
    } else if ((ASide == bTop || ASide == bBottom) && ABorders.Contains(bLeft))
      r.Left += 1;
    if (ASide == bBottom)
      color = clBtnShadow;
  } else {
    if (ASide == bLeft || ASide == bRight) {
      if (ABorders.Contains(bTop))
        r.Top += 2;
      if (ABorders.Contains(bBottom))
        r.Bottom -= 1;
    } else if (ASide == bTop) {
      r.Left += 1;
      r.Right -= 1;
      C->SetPixelColor(r.Left - 1, r.Top + 1, clBtnHighlight);
      C->SetPixelColor(r.Right, r.Top + 1, clBtnHighlight);
    }
    if (ASide == bRight)
      color = clBtnShadow;
  }
  C->SetBrushColor(color);
  C->FillRect(r);
}

void TcxStandardLookAndFeelPainter::DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                                                 bool) const
{
  C->DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow, ABorders);
}

void TcxStandardLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* C, bool AHorizontal,
                                                      const TRect& R, TcxScrollBarPart APart,
                                                      TcxButtonState AState) const
{
  if (cxRectIsEmpty(R) || (APart == sbpThumbnail && AState == cxbsDisabled))
    return;
  if (AState == cxbsHot)
    AState = cxbsNormal;
  switch (APart) {
  case sbpLineUp:
  case sbpLineDown: {
    const bool pressed = AState == cxbsPressed;
    TRect glyph = pressed ? cxRectOffset(R, 1, 1) : R;
    Cardinal state = APart == sbpLineUp ? (AHorizontal ? DFCS_SCROLLLEFT : DFCS_SCROLLUP)
                                        : (AHorizontal ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN);
    if (AState == cxbsDisabled)
      state |= DFCS_INACTIVE;
    if (pressed)
      state |= DFCS_FLAT;
    DrawFrameControl(C->Canvas(), glyph, DFC_SCROLL, state);
    if (pressed) {
      C->FrameRect(R, clBtnShadow);
      C->FrameRect(Shrink(R, 1), clBtnFace);
    } else {
      C->DrawTwoColorFrame(R, clBtnFace, cl3DDkShadow, cxBordersAll);
      C->DrawTwoColorFrame(Shrink(R, 1), clBtnHighlight, clBtnShadow, cxBordersAll);
    }
    break;
  }
  case sbpThumbnail:
    DrawButtonBorder(C, R, cxbsNormal);
    C->SetBrushColor(clBtnFace);
    C->FillRect(Shrink(R, ButtonBorderWidth(cxbsNormal)));
    break;
  case sbpPageUp:
  case sbpPageDown:
    DrawPatternPage(C, R, AState == cxbsPressed);
    break;
  default:
    break;
  }
}
