// The grid's memory-table view: over a dataset that offers IMemTableEh every record is a
// row, rows are read through short instant reads, the scroll bar and the wheel move only
// the view, a lazily loading table is asked for the records the client area needs, and a
// table that is a tree gets its tree area in the first column (DBGridEh.h describes the
// unit; IMemTableEh.h the interface).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/IMemTableEh.h"
#include "platform/graphics/Region.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"

namespace {

constexpr Integer kTreeSlot = 18; // pixels per tree level

// The number of rows the view shows for the records: none without an active link.
Integer MemRows(IMemTableEh* Table, TDataLink* Link)
{
  return Table && Link->Active() ? std::max<Integer>(Table->MemRecordCount(), 0) : 0;
}

} // namespace

// ---- Rows ----

Integer TCustomDBGridEh::DataRowCount() const
{
  Integer n = RowCount() - HeaderRowCount();
  if (FFooterRowCount > 0)
    n -= FFooterRowCount + 1;
  return n;
}

bool TCustomDBGridEh::RowHasRecord(Integer ADataRow)
{
  if (ADataRow < 0 || !FDataLink->Active())
    return false;
  if (MemTableViewActive())
    return ADataRow < MemRows(FMemTable, FDataLink.get());
  return ADataRow < FDataLink->RecordCount();
}

void TCustomDBGridEh::BeginRowRead(Integer ADataRow)
{
  FRowReading = true;
  FRowReadMem = MemTableViewActive();
  if (FRowReadMem) {
    FMemTable->BeginInstantRead(ADataRow);
    return;
  }
  FRowReadSaved = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(ADataRow);
}

void TCustomDBGridEh::EndRowRead()
{
  if (!FRowReading)
    return;
  FRowReading = false;
  if (FRowReadMem) {
    // The table may have gone with its dataset while the row was read.
    if (FMemTable)
      FMemTable->EndInstantRead();
    return;
  }
  FDataLink->SetActiveRecord(FRowReadSaved);
}

bool TCustomDBGridEh::RowIsCurrent(Integer ADataRow)
{
  if (MemTableViewActive())
    return ADataRow == FMemTable->CurrentIndex();
  return ADataRow == FDataLink->ActiveRecord();
}

void TCustomDBGridEh::MemMoveCurrentRow(Integer ATarget)
{
  ATarget = std::clamp(ATarget, FixedRows(), RowCount() - 1);
  InvalidateRow(Row());
  bool moveAnchor = !FKeepSelAnchor;
  Integer col = Col();
  if (col < FixedCols()) {
    // The base grid keeps its current cell in the scrollable columns: the row moves there
    // first and the column comes back afterwards.
    MoveColRow(FixedCols(), ATarget, moveAnchor, false);
    FCurrent.X = col;
    if (moveAnchor)
      FAnchor.X = col;
  } else
    MoveColRow(col, ATarget, moveAnchor, false);
  InvalidateRow(Row());
}

void TCustomDBGridEh::MemShowRow(Integer ARow)
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  if (ARow < TopRow())
    ClampedSetTopRow(ARow);
  else if (ARow > info.Vert.LastFullVisibleCell)
    ClampedSetTopRow(TopRow() + ARow - std::max(info.Vert.LastFullVisibleCell, TopRow() - 1));
}

void TCustomDBGridEh::MemRecalcRowCount()
{
  if (!FDataLink)
    return;
  Integer n = MemRows(FMemTable, FDataLink.get());
  Integer rows = std::max<Integer>(n, 1) + HeaderRowCount();
  if (Row() >= rows)
    MoveColRow(Col(), rows - 1, false, false);
  if (RowCount() != rows)
    SetRowCount(rows);
  if (!HandleAllocated())
    return;
  MemClampTopRow();
  if (FMemTable && FDataLink->Active()) {
    Integer index = FMemTable->CurrentIndex();
    if (Row() - HeaderRowCount() != index)
      MemMoveCurrentRow(index < 0 ? FixedRows() : HeaderRowCount() + index);
  }
  RequestRecordsForView();
  Invalidate();
}

void TCustomDBGridEh::MemSyncCurrentRow()
{
  if (FIncSearchActive && !FIncSearchMoving)
    StopIncrementalSearch();
  if (!FDataLink)
    return;
  Integer rows = std::max<Integer>(MemRows(FMemTable, FDataLink.get()), 1) + HeaderRowCount();
  if (Row() >= rows)
    MoveColRow(Col(), rows - 1, false, false);
  if (RowCount() != rows)
    SetRowCount(rows);
  if (FMemTable && FDataLink->Active()) {
    InvalidateRow(Row());
    if (HandleAllocated() && !ComponentState().Contains(csLoading)) {
      Integer index = FMemTable->CurrentIndex();
      Integer target = index < 0 ? FixedRows() : index + HeaderRowCount();
      if (target != Row()) {
        if (!FOptions.Contains(dgAlwaysShowEditor))
          HideEditor();
        MemMoveCurrentRow(target);
        InvalidateEditor();
      }
      // The view follows the current record when the record moved; scrolling the view
      // alone leaves the current row where it is, also off screen.
      if (index != FMemLastIndex) {
        FMemLastIndex = index;
        MemShowRow(Row());
      }
      TField* f = SelectedField();
      if (f && InplaceEditor() && EditorMode() && f->Text() != InplaceEditor()->Text())
        InvalidateEditor();
    }
  }
  UpdateVertScrollBar();
}

void TCustomDBGridEh::RequestRecordsForView()
{
  if (FInRequestRecords || !FMemTable || !FDataLink->Active() || !HandleAllocated())
    return;
  FInRequestRecords = true;
  TScopeExit done([&] { FInRequestRecords = false; });
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const TGridAxisDrawInfo& v = info.Vert;
  if (v.GridBoundary < v.GridExtent)
    FMemTable->FetchRecords(
        (v.GridExtent - v.GridBoundary) / std::max<Integer>(DefaultRowHeight(), 1) + 1);
  else if (v.LastFullVisibleCell == RowCount() - 1)
    FMemTable->FetchRecords(1);
}

// ---- Scrolling ----

void TCustomDBGridEh::ClampedSetTopRow(Integer ATop)
{
  Integer t = std::clamp(ATop, FixedRows(), RowCount() - 1);
  SetTopRow(std::min(t, CalcMaxTopLeft().Y));
  MemUpdateVertScrollBar();
}

void TCustomDBGridEh::MemClampTopRow()
{
  Integer top = CalcMaxTopLeft().Y;
  if (TopRow() > top)
    SetTopRow(top);
}

void TCustomDBGridEh::MemUpdateVertScrollBar()
{
  if (!FDataLink || !HandleAllocated())
    return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  SCROLLINFO old = VertScrollInfo();
  SCROLLINFO si;
  si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  si.nMin = 1;
  si.nPage = static_cast<UINT>(std::max<Integer>(info.Vert.LastFullVisibleCell - TopRow() + 1, 0));
  si.nMax = RowCount() - FixedRows();
  si.nPos = TopRow() - FixedRows() + 1;
  if (TScrollBar* bar = FVertScrollBar->ExtScrollBar())
    SetExternalBarValues(bar, si);
  if (!FVertScrollBar->IsScrollBarShowing())
    si.nMax = si.nMin;
  TScrollBarVisibleModeEh mode = FVertScrollBar->VisibleMode();
  bool changed = old.nMin != si.nMin || old.nMax != si.nMax || old.nPage != si.nPage ||
                 old.nPos != si.nPos || mode != FLastVertBarMode;
  if (!changed)
    return;
  bool nothing = si.nMin >= si.nMax || static_cast<Integer>(si.nPage) >= si.nMax - si.nMin;
  if (mode == sbAlwaysShowEh && !FVertScrollBar->HasExternalBar()) {
    ShowScrollBar(Handle(), SB_VERT, true);
    EnableScrollBar(Handle(), SB_VERT, nothing ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
  } else if (mode != FLastVertBarMode) {
    EnableScrollBar(Handle(), SB_VERT, ESB_ENABLE_BOTH);
    if (nothing)
      ShowScrollBar(Handle(), SB_VERT, false);
  }
  SetScrollInfo(Handle(), SB_VERT, si, true);
  FLastVertBarMode = mode;
}

void TCustomDBGridEh::MemVertScroll(TMessage& Message)
{
  Message.Result = 0;
  TScopeExit bar([&] { MemUpdateVertScrollBar(); });
  if (!FDataLink->Active())
    return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  Integer top = TopRow();
  switch (LOWORD(Message.WParam)) {
  case SB_LINEUP:
    ClampedSetTopRow(top - 1);
    break;
  case SB_LINEDOWN:
    ClampedSetTopRow(top + 1);
    break;
  case SB_PAGEUP: {
    // The page above ends with the present top row as its last full row.
    Integer room = info.Vert.GridExtent - info.Vert.FixedBoundary, used = 0, first = top;
    for (Integer r = top; r >= FixedRows(); --r) {
      Integer h = RowHeights(r);
      used += h < 0 ? 0 : h + info.Vert.EffectiveLineWidth;
      if (used > room)
        break;
      first = r;
    }
    ClampedSetTopRow(top - std::max<Integer>(top - first, 1));
    break;
  }
  case SB_PAGEDOWN:
    ClampedSetTopRow(top + std::max<Integer>(info.Vert.LastFullVisibleCell - top, 1));
    break;
  case SB_TOP:
    ClampedSetTopRow(FixedRows());
    break;
  case SB_BOTTOM:
    ClampedSetTopRow(RowCount());
    break;
  case SB_THUMBTRACK:
    if (!FVertScrollBar->Tracking())
      break;
    [[fallthrough]];
  case SB_THUMBPOSITION: {
    SCROLLINFO si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(Handle(), SB_VERT, si);
    ClampedSetTopRow(FixedRows() + si.nTrackPos - 1);
    break;
  }
  default:
    break;
  }
}

// ---- The wheel ----

bool TCustomDBGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (!FDataLink->Active())
    return true;
  TDataSet* ds = FDataLink->DataSet();
  if (!MemTableViewActive()) {
    ds->MoveBy(1);
    return true;
  }
  bool handled = false;
  if (OnMouseWheelDown) {
    TDestroyWatch watch(this);
    OnMouseWheelDown(this, Shift, MousePos, handled);
    if (handled || watch.Destroyed())
      return true;
  }
  Integer page = VisibleRowCount();
  if (Shift.Contains(ssShift) && Shift.Contains(ssCtrl))
    ds->MoveBy(page);
  else if (Shift.Contains(ssShift))
    ds->Next();
  else if (Shift.Contains(ssCtrl)) {
    if (RowCount() - TopRow() - page < page)
      FMemTable->FetchRecords(page + TopRow() + page - RowCount());
    ClampedSetTopRow(TopRow() + page);
  } else
    ClampedSetTopRow(TopRow() + 1);
  return true;
}

bool TCustomDBGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (!FDataLink->Active())
    return true;
  TDataSet* ds = FDataLink->DataSet();
  if (!MemTableViewActive()) {
    ds->MoveBy(-1);
    return true;
  }
  bool handled = false;
  if (OnMouseWheelUp) {
    TDestroyWatch watch(this);
    OnMouseWheelUp(this, Shift, MousePos, handled);
    if (handled || watch.Destroyed())
      return true;
  }
  Integer page = VisibleRowCount();
  if (Shift.Contains(ssShift) && Shift.Contains(ssCtrl))
    ds->MoveBy(-page);
  else if (Shift.Contains(ssShift))
    ds->Prior();
  else if (Shift.Contains(ssCtrl))
    ClampedSetTopRow(TopRow() - page);
  else
    ClampedSetTopRow(TopRow() - 1);
  return true;
}

// ---- The tree ----

Integer TCustomDBGridEh::MemTreeIndent()
{
  if (!FMemTable || !FMemTable->IsTreeView())
    return 0;
  return kTreeSlot * FMemTable->NodeLevel();
}

namespace {

// Dotted lines in the button-shadow colour: one pixel on, one off. Phase shifts vertical
// dots by a pixel so that they line up from row to row.
void DotsDown(TCanvas* Canvas, Integer X, Integer Y1, Integer Y2, Integer Phase, TColor Color)
{
  for (Integer y = Y1; y < Y2; ++y)
    if (((y + Phase) & 1) == 0)
      Canvas->SetPixels(X, y, Color);
}

void DotsRight(TCanvas* Canvas, Integer X1, Integer X2, Integer Y, TColor Color)
{
  for (Integer x = X1; x < X2; ++x)
    if ((x & 1) == 0)
      Canvas->SetPixels(x, Y, Color);
}

} // namespace

void TCustomDBGridEh::DrawMemTreeArea(Integer ACol, Integer ARow, const TRect& ARect,
                                      TGridDrawState AState)
{
  if (!FMemTable || !FMemTable->IsTreeView())
    return;
  TCanvas* canvas = Canvas();
  Integer dataCol = RawToDataColumn(ACol), dataRow = ARow - HeaderRowCount();
  TColumnEh* column = FColumns->Items(dataCol);
  TColor bg = column->Color();
  if (FStyle) {
    // The selected-cell colours of the style, without touching the cell's own font.
    TFont font;
    font.Assign(column->Font());
    TGridDrawState state = AState;
    FStyle->HighlightDataCell(this, ACol, ARow, dataCol, dataRow, state, bg, &font);
  }
  Integer level = FMemTable->NodeLevel();
  if (level <= 0)
    return;
  TColor line = clBtnShadow;
  Integer phase = (DefaultRowHeight() & 1) && (TopRow() & 1) ? 1 : 0;
  TRegion clipSaved;
  bool hadClip = canvas->GetClipRegion(clipSaved);
  TScopeExit restoreClip([&] { canvas->SelectClipRegion(hadClip ? &clipSaved : nullptr); });
  canvas->IntersectClipRect(ARect);
  canvas->Brush()->SetStyle(bsSolid);
  for (Integer slot = 0; slot < level; ++slot) {
    TRect r(ARect.Left + slot * kTreeSlot, ARect.Top, ARect.Left + (slot + 1) * kTreeSlot,
            ARect.Bottom);
    canvas->Brush()->SetColor(bg);
    canvas->FillRect(r);
    Integer cx = r.Left + kTreeSlot / 2, cy = (r.Top + r.Bottom) / 2;
    if (slot < level - 1) {
      // An ancestor's level: the line goes on when that ancestor has a later sibling.
      if (FMemTable->NodeHasNextSibling(slot + 1))
        DotsDown(canvas, cx, r.Top, r.Bottom, phase, line);
      continue;
    }
    bool next = FMemTable->NodeHasNextSibling(level);
    if (!FMemTable->NodeHasChildren()) {
      // Glyphs 6 and 7: a line from the top (through the slot with a later sibling) and a
      // branch to the right.
      DotsDown(canvas, cx, r.Top, next ? r.Bottom : cy + 1, phase, line);
      DotsRight(canvas, cx, r.Right, cy, line);
      continue;
    }
    // Glyphs 0, 1, 3 and 4: a box with minus (expanded) or plus (collapsed).
    TRect box(cx - 4, cy - 4, cx + 5, cy + 5);
    DotsDown(canvas, cx, r.Top, box.Top, phase, line);
    if (next)
      DotsDown(canvas, cx, box.Bottom, r.Bottom, phase, line);
    DotsRight(canvas, box.Right, r.Right, cy, line);
    canvas->Brush()->SetColor(clWindow);
    canvas->FillRect(box);
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->FrameRect(box);
    canvas->Brush()->SetColor(clWindowText);
    canvas->FillRect(TRect(cx - 2, cy, cx + 3, cy + 1));
    if (!FMemTable->NodeExpanded())
      canvas->FillRect(TRect(cx, cy - 2, cx + 1, cy + 3));
  }
}

bool TCustomDBGridEh::MemTreeMouseDown(Integer X, Integer Y, bool ACheckOnly)
{
  if (!MemTableViewActive() || !FMemTable->IsTreeView() || FVisibleColumns->Count() == 0)
    return false;
  TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < 0 || cell.Y < 0)
    return false;
  TCellTypeEh type = GetCellType(cell.X, cell.Y);
  if (type.Area != caDataEh || !RowHasRecord(type.AreaRow) ||
      cell.X != DataToRawColumn(FVisibleColumns->Items(0)->Index()))
    return false;
  Integer indent = 0;
  bool expanded = false;
  {
    BeginRowRead(type.AreaRow);
    TScopeExit end([&] { EndRowRead(); });
    indent = MemTreeIndent();
    expanded = FMemTable->NodeExpanded();
  }
  TRect r = CellRect(cell.X, cell.Y);
  if (X < r.Left || X >= r.Left + indent)
    return false;
  if (!ACheckOnly && X >= r.Left + indent - kTreeSlot)
    MemSetNodeExpanded(type.AreaRow, !expanded);
  return true;
}

void TCustomDBGridEh::MemSetNodeExpanded(Integer AIndex, bool AExpanded)
{
  TDataSet* ds = FDataLink->DataSet();
  Integer top = TopRow();
  TBookmarkStr before = ds->Bookmark();
  Integer recNo = ds->RecNo();
  {
    ds->DisableControls();
    TScopeExit enable([&] { ds->EnableControls(); });
    Integer target = FMemTable->SetNodeExpanded(AIndex, AExpanded);
    BeginUpdate();
    FKeepSelAnchor = true;
    TScopeExit resume([&] {
      FKeepSelAnchor = false;
      EndUpdate();
    });
    if (target > 0 && target != recNo)
      ds->SetRecNo(target);
    else if (!before.empty() && ds->BookmarkValid(before))
      ds->SetBookmark(before);
  }
  if (!FMemTable)
    return;
  // The view stays where it was; the record stays current, so the view need not follow it.
  FMemLastIndex = FMemTable->CurrentIndex();
  ClampedSetTopRow(top);
  Invalidate();
  UpdateVertScrollBar();
}

bool TCustomDBGridEh::MemTreeKey(Word Key)
{
  if (!MemTableViewActive() || !FMemTable->IsTreeView() || !FDataLink->Active())
    return false;
  if (Key != VK_MULTIPLY && Key != VK_ADD && Key != VK_SUBTRACT)
    return false;
  Integer index = FMemTable->CurrentIndex();
  if (index < 0 || !FMemTable->NodeHasChildren())
    return true;
  bool expanded = FMemTable->NodeExpanded();
  bool wanted = Key == VK_MULTIPLY ? !expanded : Key == VK_ADD;
  if (wanted != expanded)
    MemSetNodeExpanded(index, wanted);
  return true;
}
