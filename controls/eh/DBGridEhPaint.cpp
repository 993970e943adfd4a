// Painting: grid lines per region in their colours, the cells region by region, and the
// drawing of indicator, title, data, filler and footer cells with selection colours, 3-D
// frames, sort markers and check boxes (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"

namespace {

// One visible cell along an axis: its index and where it starts and ends.
struct TAxisCell {
  Integer Index, Start, End;
};

// The visible cells of one axis from the draw information: the fixed cells, then the
// scrolling ones from the first shown to the grid boundary.
std::vector<TAxisCell> AxisCells(const TGridAxisDrawInfo& Axis)
{
  std::vector<TAxisCell> cells;
  Integer pos = 0;
  for (Integer i = 0; i < Axis.FixedCellCount; ++i) {
    Integer e = Axis.GetExtent(i);
    if (e < 0)
      continue;
    cells.push_back({i, pos, pos + e});
    pos += e + Axis.EffectiveLineWidth;
  }
  pos = Axis.FixedBoundary;
  for (Integer i = Axis.FirstGridCell; i < Axis.GridCellCount && pos < Axis.GridBoundary; ++i) {
    Integer e = Axis.GetExtent(i);
    if (e < 0)
      continue;
    cells.push_back({i, pos, pos + e});
    pos += e + Axis.EffectiveLineWidth;
  }
  return cells;
}

// The lines after each cell of [from, to) along an axis, spanning [spanStart, spanEnd) on the
// other axis; drawn in one poly-polyline.
void DrawRegionLines(TCanvas* Canvas, const std::vector<TAxisCell>& Cols,
                     const std::vector<TAxisCell>& Rows, Integer ColFrom, Integer ColTo,
                     Integer RowFrom, Integer RowTo, bool Vert, bool Horz, TColor Background,
                     TColor LineColor, Integer LineWidth, Integer BottomLimit)
{
  if (LineWidth <= 0)
    return;
  Integer x0 = -1, x1 = -1, y0 = -1, y1 = -1;
  for (const TAxisCell& c : Cols)
    if (c.Index >= ColFrom && c.Index < ColTo) {
      if (x0 < 0)
        x0 = c.Start;
      x1 = c.End + LineWidth;
    }
  for (const TAxisCell& r : Rows)
    if (r.Index >= RowFrom && r.Index < RowTo && r.Start < BottomLimit) {
      if (y0 < 0)
        y0 = r.Start;
      y1 = std::min(r.End + LineWidth, BottomLimit);
    }
  if (x0 < 0 || y0 < 0)
    return;
  auto draw = [&](bool vertical, bool on) {
    std::vector<TPoint> points;
    std::vector<Integer> counts;
    if (vertical) {
      for (const TAxisCell& c : Cols)
        if (c.Index >= ColFrom && c.Index < ColTo) {
          Integer x = c.End + LineWidth / 2;
          points.push_back({x, y0});
          points.push_back({x, y1});
          counts.push_back(2);
        }
    } else {
      for (const TAxisCell& r : Rows)
        if (r.Index >= RowFrom && r.Index < RowTo && r.End < BottomLimit) {
          Integer y = r.End + LineWidth / 2;
          points.push_back({x0, y});
          points.push_back({x1, y});
          counts.push_back(2);
        }
    }
    if (counts.empty())
      return;
    Canvas->Pen()->SetColor(on ? LineColor : Background);
    Canvas->Pen()->SetWidth(LineWidth);
    Canvas->PolyPolyline(points.data(), counts.data(), static_cast<Integer>(counts.size()));
  };
  draw(true, Vert);
  draw(false, Horz);
}

} // namespace

void TCustomDBGridEh::Paint()
{
  if (FLayoutInProgress || FFiltering)
    return;
  TCanvas* canvas = Canvas();
  TGridDrawInfo info;
  Integer frozenExtent = 0, footerExtent = 0;
  CalcDrawInfoExt(info, frozenExtent, footerExtent);
  PaintLines(info, frozenExtent, footerExtent);
  PaintCells(info);
  if (FUseMultiTitle && FOptions.Contains(dgTitles))
    FTitleRoot->ForEachNode([](THeadTreeNode* n) { n->Painted = false; });
  // The area right of the last column and below the last row.
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  TRect client = ClientRect();
  if (info.Horz.GridBoundary < client.Right)
    canvas->FillRect(TRect(info.Horz.GridBoundary, 0, client.Right, client.Bottom));
  if (info.Vert.GridBoundary < client.Bottom)
    canvas->FillRect(TRect(0, info.Vert.GridBoundary, info.Horz.GridBoundary, client.Bottom));
  if (RowFocusRectNeeded() && FStyle && FStyle->ShowFocusRect()) {
    TRect r = BoxRect(FixedCols() - FFrozenColCount, Row(), ColCount() - 1, Row());
    canvas->Font()->SetColor(clWindowText);
    canvas->Brush()->SetColor(clWindow);
    canvas->DrawFocusRect(r);
  }
}

void TCustomDBGridEh::PaintLines(TGridDrawInfo& DrawInfo, Integer FrozenExtent,
                                 Integer FooterExtent)
{
  TCanvas* canvas = Canvas();
  TGridOptions go = TCustomGrid::Options();
  Integer lw = GridLineWidth();
  TColor fixedLine = FFlat ? clBtnShadow : clBlack;
  TColor dataLine = Color() == clSilver ? clGray : clSilver;
  std::vector<TAxisCell> cols = AxisCells(DrawInfo.Horz), rows = AxisCells(DrawInfo.Vert);
  Integer fixedCols = FixedCols(), fixedRows = FixedRows();
  Integer lastCol = ColCount(), lastRow = RowCount();
  bool fixedV = go.Contains(goFixedVertLine), fixedH = go.Contains(goFixedHorzLine);
  bool dataV = go.Contains(goVertLine), dataH = go.Contains(goHorzLine);
  bool footerRegion =
      FFooterRowCount > 0 && (FExtOptions.Contains(dgxFooter3DEh) || FFooterColor == clBtnFace);
  Integer footerTop = DrawInfo.Vert.GridBoundary - FooterExtent;
  Integer dataBottom = footerRegion ? footerTop : DrawInfo.Vert.GridBoundary;
  Integer unfrozen = fixedCols - FFrozenColCount;
  bool frozenDataLook = FFrozenColCount > 0 && !FExtOptions.Contains(dgxFrozen3DEh);
  Integer big = DrawInfo.Vert.GridBoundary + 1;
  // Fixed corner, header rows, fixed columns.
  DrawRegionLines(canvas, cols, rows, 0, fixedCols, 0, fixedRows, fixedV, fixedH, FixedColor(),
                  fixedLine, lw, big);
  DrawRegionLines(canvas, cols, rows, fixedCols, lastCol, 0, fixedRows, fixedV, fixedH,
                  FixedColor(), fixedLine, lw, big);
  DrawRegionLines(canvas, cols, rows, 0, frozenDataLook ? unfrozen : fixedCols, fixedRows, lastRow,
                  fixedV, fixedH, FixedColor(), fixedLine, lw, big);
  if (frozenDataLook)
    DrawRegionLines(canvas, cols, rows, unfrozen, fixedCols, fixedRows, lastRow, fixedV, fixedH,
                    Color(), dataLine, lw, dataBottom);
  DrawRegionLines(canvas, cols, rows, fixedCols, lastCol, fixedRows, lastRow, dataV, dataH, Color(),
                  dataLine, lw, dataBottom);
  if (footerRegion) {
    std::vector<TAxisCell> footerRows;
    for (const TAxisCell& r : rows)
      if (r.Start >= footerTop)
        footerRows.push_back(r);
    DrawRegionLines(canvas, cols, footerRows, fixedCols - FFrozenColCount, lastCol, 0, lastRow,
                    dataV, dataH, FixedColor(), fixedLine, lw, big);
    if (dataH) {
      Integer x0 = 0;
      for (const TAxisCell& c : cols)
        if (c.Index == unfrozen) {
          x0 = c.Start;
          break;
        }
      canvas->MoveTo(x0, footerTop - 1);
      canvas->LineTo(DrawInfo.Horz.GridBoundary, footerTop - 1);
    }
  }
}

void TCustomDBGridEh::PaintCells(TGridDrawInfo& DrawInfo)
{
  TCanvas* canvas = Canvas();
  std::vector<TAxisCell> cols = AxisCells(DrawInfo.Horz), rows = AxisCells(DrawInfo.Vert);
  TRect clip = canvas->ClipRect();
  TGridRect sel = TCustomGrid::Selection();
  bool focused = HasActiveFocus();
  for (const TAxisCell& r : rows)
    for (const TAxisCell& c : cols) {
      TRect cell(c.Start, r.Start, c.End, r.End);
      TRect bigger(cell.Left, cell.Top, cell.Right + 1, cell.Bottom + 1);
      TRect dummy;
      if (!IntersectRect(dummy, bigger, clip))
        continue;
      // The cell under the editor is drawn too: the editor leaves its button to the cell.
      TGridDrawState state;
      if (c.Index < FixedCols() || r.Index < FixedRows())
        state.Include(gdFixed);
      if (focused && c.Index == Col() && r.Index == Row())
        state.Include(gdFocused);
      if (PointInGridRect(c.Index, r.Index, sel))
        state.Include(gdSelected);
      TCanvasSaver saver(*canvas);
      DrawCell(c.Index, r.Index, cell, state);
    }
}

bool TCustomDBGridEh::CellHas3DFrame(Integer ACol, Integer ARow, TGridDrawState AState,
                                     const TRect& ARect)
{
  Integer dataCol = ACol - FIndicatorColCount, dataRow = ARow - HeaderRowCount();
  Integer filler = RowCount() - FFooterRowCount - 1 - HeaderRowCount();
  bool footers = FFooterRowCount > 0;
  bool fixed = AState.Contains(gdFixed);
  bool result = false;
  if (fixed && FExtOptions.Contains(dgxFixed3DEh) && (dataCol < 0 || dataRow < 0) &&
      !(footers && dataRow == filler))
    result = true;
  else if (FExtOptions.Contains(dgxFooter3DEh) && footers && dataRow > filler)
    result = true;
  else if (FExtOptions.Contains(dgxData3DEh) && !fixed && (!footers || dataRow <= filler))
    result = true;
  else if (FExtOptions.Contains(dgxFixed3DEh) &&
           (FExtOptions.Contains(dgxData3DEh) || FExtOptions.Contains(dgxFrozen3DEh)) &&
           dataCol < 0 && footers && dataRow == filler)
    result = true;
  else if (FExtOptions.Contains(dgxFrozen3DEh) && fixed && dataCol >= 0 && dataRow >= 0)
    result = true;
  return result;
}

bool TCustomDBGridEh::DataCellHighlightColors(Integer ACol, Integer ARow, Integer DataCol,
                                              Integer DataRow, TGridDrawState& State,
                                              TColor& Background, TFont* AFont)
{
  return FStyle ? FStyle->HighlightDataCell(this, ACol, ARow, DataCol, DataRow, State, Background,
                                            AFont)
                : false;
}

void TCustomDBGridEh::Draw3DFrame(TRect& ARect, bool Sunken)
{
  TRect r = ARect;
  if (FFlat) {
    TCanvas* c = Canvas();
    c->Pen()->SetColor(c->Brush()->Color());
    c->MoveTo(r.Left, r.Bottom - 1);
    c->LineTo(r.Right, r.Bottom - 1);
    c->MoveTo(r.Right - 1, r.Top);
    c->LineTo(r.Right - 1, r.Bottom);
    DrawEdge(c, r, Sunken ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_TOPLEFT);
    return;
  }
  DrawEdge(Canvas(), r, Sunken ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT);
}

bool TCustomDBGridEh::CellInSelection(Integer ACol, Integer ARow, const AnsiString& Bookmark,
                                      Integer DataCol)
{
  TGridSelectionKindEh kind = FSelection->Kind();
  if (kind == selAllEh)
    return true;
  TCellTypeEh type = GetCellType(ACol, ARow);
  if (type.HorzPart == 0)
    return type.Area == caDataEh && kind == selRowsEh &&
           FSelectedRows->BookmarkIndex(Bookmark) >= 0;
  if (type.Area != caDataEh)
    return kind == selColumnsEh && DataCol >= 0 && DataCol < FColumns->Count() &&
           FSelection->Columns()->IndexOf(FColumns->Items(DataCol)) >= 0;
  return FDataLink->Active() && FSelection->ContainsCell(DataCol, Bookmark);
}

void TCustomDBGridEh::DrawCell(Integer ACol, Integer ARow, const TRect& ARect,
                               TGridDrawState AState)
{
  FCellParams->Col = ACol;
  FCellParams->Row = ARow;
  if (ARect.Left >= ARect.Right)
    return;
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  if (ComponentState().Contains(csLoading)) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ARect);
    return;
  }
  TRect rect = ARect;
  bool is3D = CellHas3DFrame(ACol, ARow, AState, ARect);
  TCellTypeEh type = GetCellType(ACol, ARow);
  Integer dataCol = ACol - FIndicatorColCount, dataRow = ARow - HeaderRowCount();
  if (is3D)
    InflateRect(rect, -1, -1);
  bool highlighted = false;
  if (AState.Contains(gdFixed) && dataCol < 0)
    DrawIndicatorCell(ACol, ARow, rect, AState);
  else if (dataCol < FColumns->Count()) {
    TColumnEh* column = FColumns->Items(dataCol);
    if (type.Area == caTitleEh) {
      DrawTitleCell(dataCol, ARow, rect, AState);
    } else if (type.Area == caFilterEh) {
      // A filter cell: its text in blue on the brightened fixed colour; hidden filters show
      // the title colour.
      bool shown = FilterCellVisible(dataCol);
      TColor bg = shown ? BrightenColor(FixedColor(), 8) : column->Title()->Color();
      canvas->Font()->Assign(Font());
      if (shown)
        canvas->Font()->SetColor(clBlue);
      highlighted = CellInSelection(ACol, ARow, AnsiString(), dataCol) &&
                    FStyle->HighlightOtherCell(this, ACol, ARow, dataCol, dataRow, true, type, bg,
                                               canvas->Font());
      canvas->Brush()->SetColor(bg);
      if (shown)
        DrawCellText(canvas, rect, true, 1, 1, FilterCellText(dataCol), taLeftJustify,
                     column->Layout(), false, false, 0, 0, false);
      else
        canvas->FillRect(rect);
    } else if (type.Area == caDataEh && RowHasRecord(dataRow)) {
      DrawDataCellEh(ACol, ARow, dataCol, dataRow, rect, AState);
      highlighted = FCellParams->State.Contains(gdSelected);
    } else if (type.Area == caFooterEh && FDataLink->Active())
      DrawFooterCell(dataCol, type.AreaRow, rect, AState);
    else {
      canvas->Brush()->SetColor(AState.Contains(gdFixed) && dataRow < 0 ? FixedColor()
                                                                        : column->Color());
      TColor bg = canvas->Brush()->Color();
      if (CellInSelection(ACol, ARow, AnsiString(), dataCol))
        FStyle->HighlightOtherCell(this, ACol, ARow, dataCol, dataRow, true, type, bg,
                                   canvas->Font());
      canvas->Brush()->SetColor(bg);
      canvas->FillRect(rect);
    }
  } else {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
  }
  bool bands = type.Area == caTitleEh && FUseMultiTitle && FOptions.Contains(dgTitles) &&
               dataCol >= 0 && dataCol < FColumns->Count();
  bool themedCell = is3D && ThemedFixedCells();
  if (is3D && !themedCell) {
    InflateRect(rect, 1, 1);
    // Under upper titles the leaf's frame surrounds only the leaf's own part of the cell.
    if (bands)
      if (THeadTreeNode* leaf = LeafOf(dataCol))
        rect.Top = std::max<Integer>(rect.Top, rect.Bottom - leaf->NodeHeight + 3);
    Draw3DFrame(rect, highlighted);
  }
  if (bands)
    DrawTitleBands(dataCol, ARect);
}

bool TCustomDBGridEh::ThemedFixedCells() const
{
  return !FFlat && GridThemesEnabled() && IsThemeActive() && FExtOptions.Contains(dgxFixed3DEh) &&
         FOptions.Contains(dgColLines) && FOptions.Contains(dgRowLines);
}

// A header item of the theme over the cell grown by 2 pixels on every side (so its own edges
// fall on the grid lines), clipped to Clip unless that is empty; without a theme the cell is
// filled with the brush.
void TCustomDBGridEh::DrawThemedFixedCell(const TRect& ARect, bool Hot, const TRect& Clip)
{
  TCanvas* canvas = Canvas();
  HTHEME theme = OpenThemeData(HandleAllocated() ? Handle() : 0, u"Header");
  if (!theme) {
    canvas->FillRect(ARect);
    return;
  }
  TScopeExit close([&] { CloseThemeData(theme); });
  TRect r = ARect;
  InflateRect(r, 2, 2);
  TRect clip = IsRectEmpty(Clip) ? ARect : Clip;
  DrawThemeBackground(theme, canvas, HP_HEADERITEM, Hot ? HIS_HOT : HIS_NORMAL, r, &clip);
}

void TCustomDBGridEh::DrawIndicatorCell(Integer ACol, Integer ARow, const TRect& ARect,
                                        TGridDrawState AState)
{
  TCanvas* canvas = Canvas();
  TCellTypeEh type = GetCellType(ACol, ARow);
  Integer dataRow = ARow - HeaderRowCount();
  TColor bg = FixedColor();
  if (type.Area == caFillerEh && !FExtOptions.Contains(dgxFrozen3DEh))
    bg = Color();
  canvas->Brush()->SetColor(bg);
  if (!FDataLink->Active()) {
    canvas->FillRect(ARect);
    return;
  }
  TDataSet* ds = FDataLink->DataSet();
  bool hasRecord = type.Area == caDataEh && RowHasRecord(dataRow);
  bool selected = FSelection->Kind() == selAllEh;
  bool current = false;
  if (hasRecord) {
    current = RowIsCurrent(dataRow);
    BeginRowRead(dataRow);
    TScopeExit end([&] { EndRowRead(); });
    if (FOptions.Contains(dgMultiSelect) && FSelection->ContainsCell(-1, ds->Bookmark()))
      selected = true;
  }
  if (selected)
    FStyle->HighlightOtherCell(this, ACol, ARow, -1, dataRow, true, type, bg, canvas->Font());
  canvas->Brush()->SetColor(bg);
  if (ThemedFixedCells() && CellHas3DFrame(ACol, ARow, AState, ARect)) {
    TRect cell = ARect;
    InflateRect(cell, 1, 1);
    DrawThemedFixedCell(cell, selected, TRect());
  } else
    canvas->FillRect(ARect);
  if (!hasRecord || (!current && !selected))
    return;
  if (current)
    FIndicatorRow = ARow;
  // The pictures are drawn in code: an arrow for the current record, a pencil bar while
  // editing, a star while inserting, a dot for other selected records.
  Integer cx = ARect.Right - 3 - 3, cy = (ARect.Top + ARect.Bottom) / 2;
  TColor ink = selected ? clWhite : clBlack;
  canvas->Brush()->SetColor(ink);
  canvas->Pen()->SetColor(ink);
  canvas->Pen()->SetWidth(1);
  if (!current) {
    canvas->FillRect(TRect(cx - 1, cy - 1, cx + 2, cy + 2));
    return;
  }
  switch (ds->State()) {
  case dsEdit:
    canvas->FillRect(TRect(cx, cy - 5, cx + 2, cy + 5));
    break;
  case dsInsert:
    canvas->MoveTo(cx - 2, cy);
    canvas->LineTo(cx + 3, cy);
    canvas->MoveTo(cx, cy - 2);
    canvas->LineTo(cx, cy + 3);
    break;
  default: {
    TPoint arrow[3] = {{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
    canvas->Polygon(arrow, 3);
  }
  }
}

void TCustomDBGridEh::DrawTitleCell(Integer DataCol, Integer ARow, const TRect& ARect,
                                    TGridDrawState AState)
{
  TCanvas* canvas = Canvas();
  TColumnEh* column = FColumns->Items(DataCol);
  TColumnTitleEh* title = column->Title();
  canvas->Font()->Assign(title->Font());
  TColor bg = title->Color();
  TSortMarkerEh marker = title->SortMarker();
  if (OnGetTitleParams && column->Field())
    OnGetTitleParams(this, column, false, marker, bg, canvas->Font());
  TRect textRect = ARect;
  AnsiString caption = title->Caption();
  if (FUseMultiTitle) {
    // The upper part of the cell belongs to the bands of the upper titles.
    if (THeadTreeNode* leaf = LeafOf(DataCol)) {
      caption = leaf->Caption;
      textRect.Top = std::max<Integer>(ARect.Top, ARect.Bottom - leaf->NodeHeight + 3);
    }
  }
  // A title image takes the caption's place.
  Integer imageIndex = FTitleImages ? title->ImageIndex() : -1;
  Integer imageOffset = 0;
  if (imageIndex != -1) {
    caption.clear();
    imageOffset = FTitleImages->Width();
  }
  Integer numberWidth = 0;
  bool drawMarker = marker != smNoneEh, drawNumber = false;
  if (drawMarker) {
    textRect.Right -= 16;
    if (FSortMarkedColumns->Count() >= 2) {
      TFont saved;
      saved.Assign(canvas->Font());
      canvas->Font()->SetName("Arial");
      canvas->Font()->SetHeight(-8);
      numberWidth = canvas->TextWidth(IntToStr(title->SortIndex()));
      canvas->Font()->Assign(&saved);
      drawNumber = true;
      textRect.Right -= numberWidth;
    }
    if (textRect.Width() < imageOffset) {
      textRect.Right += 14;
      drawMarker = false;
      if (textRect.Width() < imageOffset) {
        textRect.Right += numberWidth + 2;
        drawNumber = false;
      }
    }
  }
  bool selected = CellInSelection(DataToRawColumn(DataCol), ARow, AnsiString(), DataCol);
  TCellTypeEh type = GetCellType(DataToRawColumn(DataCol), ARow);
  if (selected)
    FStyle->HighlightOtherCell(this, DataToRawColumn(DataCol), ARow, DataCol, -1, true, type, bg,
                               canvas->Font());
  canvas->Brush()->SetColor(bg);
  bool is3D = CellHas3DFrame(DataToRawColumn(DataCol), ARow, AState, ARect);
  bool themed = ThemedFixedCells();
  if (themed) {
    TRect cell = ARect;
    if (is3D)
      InflateRect(cell, 1, 1);
    DrawThemedFixedCell(cell, DataToRawColumn(DataCol) == FPressedTitleCol || selected, TRect());
  } else
    canvas->FillRect(TRect(textRect.Right, textRect.Top, ARect.Right, ARect.Bottom));
  Integer m = is3D ? 1 : 2;
  Integer v = FFlat ? m - 1 : m;
  bool multi = FTitleHeight > 0 || FTitleLines > 0 || FUseMultiTitle;
  TAlignment align = FUseMultiTitle ? taCenter : title->Alignment();
  if (themed)
    canvas->Brush()->SetStyle(bsClear);
  DrawCellText(canvas, textRect, !themed, m, v, caption, align, multi ? tlCenter : tlTop, multi,
               title->EndEllipsis(), 0, 0, false);
  canvas->Brush()->SetStyle(bsSolid);
  if (imageIndex != -1)
    DrawImageClipped(FTitleImages, nullptr, canvas, align, 0, imageIndex, textRect);
  if (drawMarker) {
    // The marker: a small triangle, pointing down for descending and up for ascending.
    Integer x = ARect.Right - 10 - numberWidth - 2, y = (ARect.Top + ARect.Bottom - 9) / 2;
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->Brush()->SetColor(clBtnShadow);
    TPoint down[3] = {{x, y + 2}, {x + 8, y + 2}, {x + 4, y + 7}};
    TPoint up[3] = {{x, y + 7}, {x + 8, y + 7}, {x + 4, y + 2}};
    canvas->Polygon(marker == smDownEh ? down : up, 3);
    if (drawNumber) {
      canvas->Font()->SetName("Arial");
      canvas->Font()->SetHeight(-8);
      canvas->Brush()->SetStyle(bsClear);
      canvas->TextOut(ARect.Right - numberWidth - 2, y - 1, IntToStr(title->SortIndex()));
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Font()->Assign(FTitleFont.get());
    }
  }
}

void TCustomDBGridEh::DrawDataCellEh(Integer ACol, Integer ARow, Integer DataCol, Integer DataRow,
                                     const TRect& ARect, TGridDrawState AState)
{
  TCanvas* canvas = Canvas();
  TColumnEh* column = FColumns->Items(DataCol);
  BeginRowRead(DataRow);
  TScopeExit end([&] { EndRowRead(); });
  canvas->Font()->Assign(column->Font());
  TColCellParamsEh* p = FCellParams.get();
  p->Text = column->CellText();
  p->State = AState;
  p->Font = canvas->Font();
  p->Alignment = column->Alignment();
  p->Background = column->Color();
  p->ImageIndex = column->ImageIndexOfValue();
  p->CheckMark = column->ValueCheckState();
  p->ReadOnly = column->ReadOnly();
  GetCellParams(column, p->Font, p->Background, p->State);
  column->DoGetCellParams(false, p);
  TGridDrawState state = p->State;
  TColor bg = p->Background;
  bool highlighted = DataCellHighlightColors(ACol, ARow, DataCol, DataRow, state, bg, p->Font);
  if (highlighted)
    p->State.Include(gdSelected);
  p->Background = bg;
  if (column->HideDuplicates() && DataRow > 0 && !MemTableViewActive()) {
    FDataLink->SetActiveRecord(DataRow - 1);
    AnsiString previous = column->CellText();
    FDataLink->SetActiveRecord(DataRow);
    if (previous == p->Text) {
      p->Text.clear();
      p->ImageIndex = -1;
    }
  }
  canvas->Brush()->SetColor(p->Background);
  Integer m = CellHas3DFrame(ACol, ARow, AState, ARect) ? 1 : 2;
  Integer v = FFlat ? m - 1 : m;
  TRect textRect = ARect;
  // The memory table's tree takes the left of the first column; the cell starts after it.
  TRect cellRect = ARect;
  if (DataCol == 0 && MemTableViewActive()) {
    Integer indent = std::min<Integer>(MemTreeIndent(), ARect.Width());
    if (indent > 0) {
      DrawMemTreeArea(ACol, ARow, TRect(ARect.Left, ARect.Top, ARect.Left + indent, ARect.Bottom),
                      AState);
      cellRect.Left += indent;
      textRect.Left = cellRect.Left;
      canvas->Brush()->SetColor(p->Background);
    }
  }
  bool editorHere = EditorMode() && ACol == Col() && ARow == Row();
  if (column->AlwaysShowEditButton() || editorHere)
    textRect.Right -= column->EditButtonsWidth();
  if (FDefaultDrawing) {
    TColumnKindEh kind = column->Kind();
    if (kind == ckCheckboxes) {
      canvas->FillRect(cellRect);
      Integer size = 13;
      TRect box(cellRect.Left + (cellRect.Width() - size) / 2,
                cellRect.Top + (cellRect.Height() - size) / 2, 0, 0);
      box.Left = std::max(box.Left, cellRect.Left);
      box.Right = box.Left + size;
      box.Bottom = box.Top + size;
      TRegion clipSaved;
      bool hadClip = canvas->GetClipRegion(clipSaved);
      TScopeExit restoreClip([&] { canvas->SelectClipRegion(hadClip ? &clipSaved : nullptr); });
      canvas->IntersectClipRect(cellRect);
      Cardinal st = DFCS_BUTTONCHECK;
      if (p->CheckMark == cbChecked)
        st |= DFCS_CHECKED;
      else if (p->CheckMark == cbGrayed)
        st |= DFCS_BUTTON3STATE | DFCS_CHECKED;
      if (FFlat)
        st |= DFCS_FLAT;
      DrawFrameControl(canvas, box, DFC_BUTTON, st);
    } else if (kind == ckImageList && column->ImageList()) {
      canvas->FillRect(cellRect);
      DrawImageClipped(column->ImageList(), nullptr, canvas, taCenter, 0, p->ImageIndex, cellRect);
    } else {
      if (column->ImageList() && column->ShowImageAndText()) {
        Integer band = column->ImageList()->Width() + 4;
        canvas->FillRect(TRect(cellRect.Left, ARect.Top, cellRect.Left + band, ARect.Bottom));
        DrawImageClipped(column->ImageList(), nullptr, canvas, taCenter, 0, p->ImageIndex,
                         TRect(cellRect.Left, ARect.Top, cellRect.Left + band, ARect.Bottom));
        textRect.Left += band + 1;
      }
      bool multi = column->WordWrap() && FMultiLineRows;
      DrawCellText(canvas, textRect, true, m, v, p->Text, p->Alignment, column->Layout(), multi,
                   column->EndEllipsis(), 0, 0, false);
    }
    if (textRect.Right < ARect.Right) {
      canvas->Brush()->SetColor(clBtnFace);
      TRect button(textRect.Right, ARect.Top, ARect.Right,
                   std::min(ARect.Bottom, ARect.Top + FEditButtonHeight));
      DrawFrameControl(canvas, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    }
  }
  // A running incremental search shows the matched prefix in black on yellow.
  if (FIncSearchActive && !FIncSearchText.empty() && ACol == Col() && ARow == Row() &&
      FDefaultDrawing) {
    AnsiString prefix = CurrentCellPrefix(FIncSearchText);
    TRect mark(textRect.Left + m, textRect.Top + v,
               std::min<Integer>(textRect.Left + m + canvas->TextWidth(prefix), textRect.Right),
               textRect.Bottom - v);
    canvas->Brush()->SetColor(SearchBackgroundColor);
    canvas->Font()->SetColor(SearchTextColor);
    canvas->ExtTextOut(mark.Left, mark.Top, ETO_CLIPPED | ETO_OPAQUE, &mark, prefix);
  }
  // The required mark: a red dotted line under an empty required cell of a new record.
  TField* f = column->Field();
  if (column->HighlightRequired() && ARow == Row() && FDataLink->DataSet()->State() == dsInsert &&
      f && f->Required() && f->IsNull()) {
    bool drawState = true;
    if (column->OnCheckDrawRequiredState)
      column->OnCheckDrawRequiredState(column, p->Text, drawState);
    if (drawState) {
      canvas->Pen()->SetColor(clRed);
      canvas->Pen()->SetStyle(psDot);
      canvas->MoveTo(ARect.Left + 2, ARect.Bottom - 1);
      canvas->LineTo(ARect.Right - 3, ARect.Bottom - 1);
      canvas->Pen()->SetStyle(psSolid);
    }
  }
  if (!FColumns->IsCustomized())
    DrawDataCell(ARect, f, p->State);
  DrawColumnCell(ARect, DataCol, column, p->State);
  if (FDefaultDrawing && AState.Contains(gdFocused) && Focused() &&
      !FOptions.Contains(dgFullRowSelect) && FUpdateLock == 0 && FStyle && FStyle->ShowFocusRect())
    canvas->DrawFocusRect(ARect);
}

void TCustomDBGridEh::DrawFooterCell(Integer DataCol, Integer FooterRow, const TRect& ARect,
                                     TGridDrawState AState)
{
  TCanvas* canvas = Canvas();
  TColumnEh* column = FColumns->Items(DataCol);
  TColumnFooterEh* footer = column->FooterAt(FooterRow);
  canvas->Font()->Assign(footer->Font());
  TColor bg = footer->Color();
  TAlignment align = footer->Alignment();
  AnsiString text;
  if (FDefaultDrawing) {
    text = FooterCellText(FooterRow, column);
    GetFooterParams(DataCol, FooterRow, column, canvas->Font(), bg, align, AState, text);
    canvas->Brush()->SetColor(bg);
    bool is3D = CellHas3DFrame(DataToRawColumn(DataCol), Row(), AState, ARect);
    bool themed = is3D && ThemedFixedCells();
    if (themed) {
      TRect cell = ARect;
      InflateRect(cell, 1, 1);
      DrawThemedFixedCell(cell, false, TRect());
    }
    // On a themed cell the button face is the theme's: the text is written over it.
    bool fill = !(themed && bg == clBtnFace);
    if (!fill)
      canvas->Brush()->SetStyle(bsClear);
    Integer m = is3D ? 1 : 2;
    DrawCellText(canvas, ARect, fill, m, FFlat ? m - 1 : m, text, align, column->Layout(),
                 footer->WordWrap() && FMultiLineRows, footer->EndEllipsis(), 0, 0, false);
    canvas->Brush()->SetStyle(bsSolid);
  }
  if (OnDrawFooterCell)
    OnDrawFooterCell(this, DataCol, FooterRow, column, ARect, AState);
}
