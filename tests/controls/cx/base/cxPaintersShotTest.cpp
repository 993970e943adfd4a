// The painters side by side: the same parts drawn by the standard, flat, ultra-flat and
// themed painters (the themed one over the platform's classic theme), written to
// cx_painters.png beside the test program.
#include <filesystem>

#include <gtest/gtest.h>

#include "controls/cx/base/cxLookAndFeelPainters.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr Integer ColumnWidth = 250;
constexpr Integer Height = 520;

void DrawColumn(TcxCanvas* C, TcxCustomLookAndFeelPainterClass P, Integer X0)
{
  C->Font()->SetName("宋体");
  C->Font()->SetHeight(-12);
  C->Font()->SetColor(clBlack);
  C->Brush()->SetStyle(bsClear);
  TRect title = Rect(X0 + 4, 4, X0 + ColumnWidth - 4, 20);
  C->DrawTextInState(P->ClassName() + 3, title, ctfSingleLine | ctfLeft);
  C->Brush()->SetStyle(bsSolid);
  Integer y = 26;
  // Buttons in every state.
  const TcxButtonState states[] = {cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled, cxbsDefault};
  const char* names[] = {"普通", "热点", "按下", "禁用", "默认"};
  for (Integer i = 0; i < 5; ++i)
    P->DrawButton(C, Bounds(X0 + 4 + i * 46, y, 44, 24), names[i], states[i]);
  y += 32;
  // Check boxes and radio buttons.
  for (Integer i = 0; i < 4; ++i) {
    P->DrawCheckButton(C, Bounds(X0 + 4 + i * 22, y, 13, 13), states[i], i % 2 == 0);
    P->DrawRadioButton(C, X0 + 100 + i * 22, y, states[i], i % 2 == 0, false, clBtnFace);
  }
  P->DrawFilterDropDownButton(C, Bounds(X0 + 190, y - 2, 15, 17), cxbsNormal, true);
  P->DrawSmallCloseButton(C, Bounds(X0 + 210, y - 2, 16, 14), cxbsNormal);
  y += 24;
  // Headers: two neighbours with sort marks, one pressed.
  TFont* font = C->Font();
  for (Integer i = 0; i < 3; ++i) {
    const TRect r = Bounds(X0 + 4 + i * 78, y, 78, 22);
    TcxBorders neighbors;
    if (i > 0)
      neighbors.Include(bLeft);
    if (i < 2)
      neighbors.Include(bRight);
    const TcxButtonState s = i == 1 ? cxbsPressed : cxbsNormal;
    TRect content;
    P->HeaderContentBounds(r, cxBordersAll, content);
    P->DrawHeader(C, r, cxRectInflate(content, -2, 0), neighbors, cxBordersAll, s, taLeftJustify,
                  vaCenter, false, true, i == 0 ? "运单号" : (i == 1 ? "收件人" : "Weight"), font,
                  clBtnText, clBtnFace);
    TSize mark;
    P->SortMarkSize(mark);
    P->DrawSortMark(C, Rect(r.Right - 18, r.Top, r.Right - 4, r.Bottom), i != 1);
  }
  y += 30;
  // Indicator cells and expand glyphs.
  for (Integer k = 0; k <= 5; ++k)
    P->DrawIndicatorItem(C, Bounds(X0 + 4 + k * 16, y, 14, 20), static_cast<TcxIndicatorKind>(k),
                         clBtnFace);
  const Integer g = std::max(P->ExpandGlyphSize(), 9);
  P->DrawExpandGlyph(C, Bounds(X0 + 110, y + 4, g, g), false);
  P->DrawExpandGlyph(C, Bounds(X0 + 130, y + 4, g, g), true);
  P->DrawGroupChevronButton(C, Bounds(X0 + 150, y, 20, 20), true, cxbsNormal);
  P->DrawGroupChevronButton(C, Bounds(X0 + 174, y, 20, 20), false, cxbsHot);
  y += 28;
  // Footer cells.
  P->DrawFooterCell(C, Bounds(X0 + 4, y, 110, 20), taRightJustify, vaCenter, false, "合计 12", font,
                    clBtnText, clBtnFace);
  P->DrawFooterCell(C, Bounds(X0 + 118, y, 110, 20), taLeftJustify, vaCenter, false, "MAX=9.5",
                    font, clBtnText, clBtnFace);
  y += 28;
  // A horizontal scroll bar built of its parts, hot thumb; and one pressed page.
  const Integer sb = 17;
  P->DrawScrollBarPart(C, true, Bounds(X0 + 4, y, sb, sb), sbpLineUp, cxbsNormal);
  P->DrawScrollBarPart(C, true, Bounds(X0 + 4 + sb, y, 60, sb), sbpPageUp, cxbsNormal);
  P->DrawScrollBarPart(C, true, Bounds(X0 + 4 + sb + 60, y, 40, sb), sbpThumbnail, cxbsHot);
  P->DrawScrollBarPart(C, true, Bounds(X0 + 4 + sb + 100, y, 60, sb), sbpPageDown, cxbsPressed);
  P->DrawScrollBarPart(C, true, Bounds(X0 + 4 + sb + 160, y, sb, sb), sbpLineDown, cxbsPressed);
  y += sb + 8;
  // A vertical bar.
  P->DrawScrollBarPart(C, false, Bounds(X0 + 4, y, sb, sb), sbpLineUp, cxbsNormal);
  P->DrawScrollBarPart(C, false, Bounds(X0 + 4, y + sb, sb, 30), sbpPageUp, cxbsNormal);
  P->DrawScrollBarPart(C, false, Bounds(X0 + 4, y + sb + 30, sb, 30), sbpThumbnail, cxbsNormal);
  P->DrawScrollBarPart(C, false, Bounds(X0 + 4, y + sb + 60, sb, 20), sbpPageDown, cxbsNormal);
  P->DrawScrollBarPart(C, false, Bounds(X0 + 4, y + sb + 80, sb, sb), sbpLineDown, cxbsDisabled);
  // Control borders and arrows beside it.
  TRect border = Bounds(X0 + 30, y, 90, 50);
  P->DrawControlBorder(C, border);
  C->FillRect(cxRectInflate(border, -P->ControlBorderWidth(), -P->ControlBorderWidth()), clWindow);
  const TcxArrowDirection dirs[] = {dirUp, dirDown, dirLeft, dirRight};
  for (Integer i = 0; i < 4; ++i)
    P->DrawButtonArrow(C, Bounds(X0 + 130 + i * 24, y, 20, 20), i == 3 ? cxbsDisabled : cxbsNormal,
                       dirs[i]);
  P->DrawDropDownArrow(C, Bounds(X0 + 130, y + 26, 20, 20), clBtnText);
  y += 120;
  // Tabs: an area with a frame on three sides of a tab.
  P->DrawTabsArea(C, Bounds(X0 + 4, y + 22, 230, 30), TcxBorders{bTop}, false);
  if (P->TabsPaintedByPainter()) {
    P->DrawTabItem(C, Bounds(X0 + 4, y, 70, 23), cxBordersAll, "标签一", cxbsPressed, false, font,
                   clBtnText);
    P->DrawTabItem(C, Bounds(X0 + 74, y + 2, 70, 20), cxBordersAll, "标签二", cxbsNormal, false,
                   font, clBtnText);
  } else {
    const TRect tab = Bounds(X0 + 4, y, 70, 23);
    C->FillRect(tab, clBtnFace);
    const Integer w = P->TabFrameWidth(false);
    if (w > 0) {
      const TcxBorders sides{bLeft, bTop, bRight};
      P->DrawTabFrame(C, Rect(tab.Left, tab.Top, tab.Left + w, tab.Bottom), bLeft, sides, false);
      P->DrawTabFrame(C, Rect(tab.Left, tab.Top, tab.Right, tab.Top + w), bTop, sides, false);
      P->DrawTabFrame(C, Rect(tab.Right - w, tab.Top, tab.Right, tab.Bottom), bRight, sides, false);
    }
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetColor(clBtnText);
    C->DrawTextInState("标签一", tab, ctfSingleLine | ctfHCenter | ctfVCenter);
    C->Brush()->SetStyle(bsSolid);
  }
}

} // namespace

TEST(cxPaintersShot, EveryPainterDrawsTheSamePartsSideBySide)
{
  ResetSysColors();
  TcxCustomLookAndFeelPainterClass painters[] = {
      TcxStandardLookAndFeelPainter::Class(), TcxFlatLookAndFeelPainter::Class(),
      TcxUltraFlatLookAndFeelPainter::Class(), TcxWinXPLookAndFeelPainter::Class()};
  TImageSurface surface(ColumnWidth * 4, Height, ColorToRGB(clBtnFace));
  TCanvas canvas(&surface);
  TcxCanvas cx(&canvas);
  for (Integer i = 0; i < 4; ++i) {
    TCanvasSaver saver(canvas);
    canvas.IntersectClipRect(Bounds(i * ColumnWidth, 0, ColumnWidth, Height));
    DrawColumn(&cx, painters[i], i * ColumnWidth);
  }
  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  const AnsiString file = (dir / "cx_painters.png").string();
  ASSERT_TRUE(surface.WritePng(file));
  // The columns differ where the looks differ: the normal button's outer ring.
  const TColor std = surface.GetPixel(4, 26) & 0xFFFFFF;
  const TColor ultra = surface.GetPixel(2 * ColumnWidth + 4, 26) & 0xFFFFFF;
  EXPECT_EQ(std, ColorToRGB(clBtnHighlight) & 0xFFFFFF);
  EXPECT_EQ(ultra, ColorToRGB(clBtnText) & 0xFFFFFF);
}
