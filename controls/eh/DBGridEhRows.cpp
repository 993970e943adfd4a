// Rows from the client height (header, data, filler and footer rows), the current row kept
// on the dataset's active record, scrolling when the dataset scrolls, the vertical scroll
// bar driven from the dataset, and the extended draw information (DBGridEh.h describes the
// unit).
#include <algorithm>
#include <cstdlib>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

Integer LineWidthOf(const TCustomDBGridEh* Grid)
{
  return Grid->Options().Contains(dgRowLines) ? Grid->GridLineWidth() : 0;
}

} // namespace

Integer TCustomDBGridEh::VisibleDataRowCount()
{
  Integer n = VisibleRowCount();
  if (FFooterRowCount > 0)
    n -= FFooterRowCount + 1;
  return std::max<Integer>(n, 1);
}

void TCustomDBGridEh::RecalcRowCount()
{
  if (!FDataLink)
    return;
  Integer headers = HeaderRowCount();
  if (RowCount() <= headers)
    SetRowCount(headers + 1);
  SetFixedRows(headers);
  Integer line = LineWidthOf(this);
  Integer lineHeight = DefaultRowHeight() + line;
  Integer used = 0;
  if (FOptions.Contains(dgTitles))
    used += RowHeights(0) + line;
  used += (headers - TitleRowCount()) * lineHeight;
  used += FFooterRowCount * lineHeight;
  if (FFooterRowCount > 0)
    used += line;
  Integer titleHeight = RowHeights(0);
  SetDefaultRowHeight(DefaultRowHeight());
  if (FOptions.Contains(dgTitles))
    SetRowHeights(0, titleHeight);
  if (MemTableViewActive()) {
    MemRecalcRowCount();
    return;
  }
  Integer oldRowCount = RowCount();
  SetTopRow(FixedRows());
  auto setRows = [&](Integer rows) {
    // The current row moves into range first.
    if (Row() >= rows)
      MoveColRow(Col(), rows - 1, false, false);
    SetRowCount(rows);
  };
  TDataSet* ds = FDataLink->DataSet();
  if (FDataLink->Active() && ds && !ds->IsEmpty() && HandleAllocated()) {
    FDataLink->SetBufferCount(std::max<Integer>(1, (ClientHeight() - used) / lineHeight));
    Integer records = FDataLink->RecordCount();
    used += records * lineHeight;
    if (FFooterRowCount > 0) {
      setRows(records + headers + FFooterRowCount + 1);
      SetRowHeights(records + headers, std::max<Integer>(0, ClientHeight() - used));
    } else
      setRows(records + headers);
    SyncCurrentRow();
  } else {
    used += lineHeight;
    if (HandleAllocated() && FFooterRowCount > 0) {
      setRows(headers + 1 + FFooterRowCount + 1);
      SetRowHeights(headers + 1, std::max<Integer>(0, ClientHeight() - used));
    } else
      setRows(headers + 1);
  }
  if (RowCount() != oldRowCount)
    Invalidate();
}

void TCustomDBGridEh::SyncCurrentRow()
{
  if (MemTableViewActive()) {
    MemSyncCurrentRow();
    return;
  }
  if (FIncSearchActive && !FIncSearchMoving)
    StopIncrementalSearch();
  if (!FDataLink->Active() || !HandleAllocated() || ComponentState().Contains(csLoading))
    return;
  Integer row = FDataLink->ActiveRecord() + HeaderRowCount();
  if (row != Row() && row < RowCount()) {
    if (!FOptions.Contains(dgAlwaysShowEditor))
      HideEditor();
    MoveColRow(Col(), row, false, false);
    InvalidateEditor();
  }
  TField* f = SelectedField();
  if (f && InplaceEditor() && EditorMode() && f->Text() != InplaceEditor()->Text())
    InvalidateEditor();
}

void TCustomDBGridEh::Scroll(Integer Distance)
{
  if (MemTableViewActive()) {
    MemSyncCurrentRow();
    return;
  }
  if (!HandleAllocated())
    return;
  TRect oldRow = CellRect(0, Row());
  oldRow.Right = ClientWidth();
  oldRow.Left = 0;
  if (FDataLink->ActiveRecord() >= RowCount() - HeaderRowCount())
    RecalcRowCount();
  bool wasVisible = (GetWindowLong(Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
  UpdateVertScrollBar();
  bool isVisible = (GetWindowLong(Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
  if (wasVisible != isVisible && FAutoFitColWidths && !ComponentState().Contains(csDesigning)) {
    BeginLayout();
    DeferLayout();
  }
  SyncCurrentRow();
  ::InvalidateRect(Handle(), &oldRow, false);
  InvalidateRow(Row());
  if (Distance != 0) {
    bool showAgain = FOptions.Contains(dgAlwaysShowEditor);
    HideEditor();
    TScopeExit show([&] {
      if (showAgain)
        ShowEditor();
    });
    if (std::abs(Distance) > VisibleDataRowCount()) {
      Invalidate();
    } else {
      Integer lineHeight = DefaultRowHeight() + LineWidthOf(this);
      TRect area = ClientRect();
      TRect first = CellRect(0, HeaderRowCount());
      area.Top = first.Top;
      if (FFooterRowCount > 0) {
        Integer lastData = RowCount() - FFooterRowCount - 2;
        TRect last = CellRect(0, lastData);
        if (!IsRectEmpty(last))
          area.Bottom = last.Bottom + LineWidthOf(this);
      }
      ScrollWindowEx(Handle(), 0, -Distance * lineHeight, &area, &area, nullptr, nullptr,
                     SW_INVALIDATE);
      if (FOptions.Contains(dgIndicator))
        InvalidateCell(0, Row());
      for (Integer i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->HideDuplicates()) {
          InvalidateRow(HeaderRowCount());
          break;
        }
    }
  }
  InvalidateFooter();
  if (FUpdateLock == 0)
    Update();
}

SCROLLINFO TCustomDBGridEh::VertScrollInfo()
{
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  if (HandleAllocated())
    GetScrollInfo(Handle(), SB_VERT, si);
  return si;
}

void TCustomDBGridEh::UpdateVertScrollBar()
{
  if (!FDataLink || !HandleAllocated())
    return;
  if (MemTableViewActive()) {
    MemUpdateVertScrollBar();
    return;
  }
  SCROLLINFO old = VertScrollInfo();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds) {
    si.nMin = 0;
    si.nMax = 1;
    si.nPage = 2;
    si.nPos = 0;
  } else if (CanNumberRecords()) {
    // Records are numbered (by the dataset or the sum list's bookmarks): the thumb shows
    // the record number, the page the visible rows.
    Integer count = ds->IsSequenced() ? ds->RecordCount() : FSumList->ViewRecordCount();
    si.nMin = 1;
    si.nPage = static_cast<UINT>(VisibleDataRowCount());
    si.nMax = std::max<Integer>(count, 0) + static_cast<Integer>(si.nPage) - 1;
    si.nPos = ds->State() > dsEdit ? old.nPos : std::max<Integer>(CurrentRecordNumber(), 1);
  } else {
    si.nMin = 0;
    si.nPage = 0;
    si.nMax = 4;
    si.nPos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
  }
  TScrollBarVisibleModeEh mode = FVertScrollBar->VisibleMode();
  if (!FVertScrollBar->IsScrollBarShowing()) {
    si.nMax = si.nMin;
    si.nPage = 0;
  }
  bool changed = old.nMin != si.nMin || old.nMax != si.nMax || old.nPage != si.nPage ||
                 old.nPos != si.nPos || mode != FLastVertBarMode;
  if (!changed)
    return;
  if (mode == sbAlwaysShowEh) {
    si.fMask |= SIF_DISABLENOSCROLL;
    ShowScrollBar(Handle(), SB_VERT, true);
  }
  SetScrollInfo(Handle(), SB_VERT, si, true);
  if (mode == sbAlwaysShowEh) {
    bool scrollable = si.nMin < si.nMax && static_cast<Integer>(si.nPage) < si.nMax - si.nMin;
    EnableScrollBar(Handle(), SB_VERT, scrollable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
  }
  FLastVertBarMode = mode;
}

void TCustomDBGridEh::CalcDrawInfoExt(TGridDrawInfo& Info, Integer& FrozenExtent,
                                      Integer& FooterExtent)
{
  CalcDrawInfo(Info);
  FrozenExtent = 0;
  Integer line = Info.Horz.EffectiveLineWidth;
  for (Integer c = std::max<Integer>(FixedCols() - FFrozenColCount, 0); c < FixedCols(); ++c) {
    Integer w = ColWidths(c);
    if (w >= 0)
      FrozenExtent += w + line;
  }
  FooterExtent = 0;
  if (FFooterRowCount <= 0)
    return;
  Integer rowLine = Info.Vert.EffectiveLineWidth;
  Integer firstFooter = RowCount() - FFooterRowCount;
  TRect r = CellRect(0, firstFooter);
  if (!IsRectEmpty(r) || r.Top > 0)
    FooterExtent = Info.Vert.GridBoundary - r.Top;
  else
    for (Integer i = firstFooter; i < RowCount(); ++i)
      FooterExtent += RowHeights(i) + rowLine;
}

void TCustomDBGridEh::TopLeftChanged()
{
  bool leftEdge = LeftCol() == FixedCols();
  if (leftEdge != FLeftEdge) {
    FLeftEdge = leftEdge;
    for (Integer r = 0; r < HeaderRowCount(); ++r)
      InvalidateRow(r);
  }
  TCustomGrid::TopLeftChanged();
  UpdateHorzExtScrollBar();
  if (MemTableViewActive())
    RequestRecordsForView();
}

// ---- Scroll-bar settings ----

void TDBGridEhScrollBar::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  if (!FGrid)
    return;
  if (FKind == sbHorizontal)
    FGrid->LayoutChanged();
  else
    FGrid->UpdateVertScrollBar();
}

void TVertDBGridEhScrollBar::SetVisibleMode(TScrollBarVisibleModeEh Value)
{
  if (Value == FVisibleMode)
    return;
  FVisibleMode = Value;
  if (FGrid)
    FGrid->UpdateVertScrollBar();
}

// ---- Scroll messages ----

bool TCustomDBGridEh::CanNumberRecords()
{
  TDataSet* ds = FDataLink->DataSet();
  if (!ds)
    return false;
  if (ds->IsSequenced())
    return true;
  return FSumList->Active() && FSumList->VirtualRecords() && FSumList->SequencedView();
}

Integer TCustomDBGridEh::CurrentRecordNumber()
{
  TDataSet* ds = FDataLink->DataSet();
  return ds->IsSequenced() ? ds->RecNo() : FSumList->VirtualRecNo();
}

void TCustomDBGridEh::WMVScroll(TMessage& Message)
{
  if (!AcquireFocus())
    return;
  if (MemTableViewActive()) {
    MemVertScroll(Message);
    return;
  }
  if (!FDataLink->Active())
    return;
  TDataSet* ds = FDataLink->DataSet();
  Integer code = LOWORD(Message.WParam);
  switch (code) {
  case SB_LINEUP:
    ds->MoveBy(-(FDataLink->ActiveRecord() + 1));
    break;
  case SB_LINEDOWN:
    ds->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
    break;
  case SB_PAGEUP:
    ds->MoveBy(-VisibleDataRowCount());
    break;
  case SB_PAGEDOWN:
    ds->MoveBy(VisibleDataRowCount());
    break;
  case SB_TOP:
    ds->First();
    break;
  case SB_BOTTOM:
    ds->Last();
    break;
  case SB_THUMBTRACK:
    // The three-position bar has no record numbers to track: its thumb moves the records
    // only when it is let go.
    if (FVertScrollBar->Tracking() && CanNumberRecords()) {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_VERT, si);
      ds->MoveBy(si.nTrackPos - CurrentRecordNumber());
      FSkipThumbPosition = true;
    }
    break;
  case SB_THUMBPOSITION: {
    if (FSkipThumbPosition) {
      FSkipThumbPosition = false;
      break;
    }
    Integer pos = static_cast<Integer>(static_cast<SmallInt>(HIWORD(Message.WParam)));
    if (CanNumberRecords()) {
      if (pos <= 1)
        ds->First();
      else if (pos >= ds->RecordCount())
        ds->Last();
      else if (ds->IsSequenced())
        ds->SetRecNo(pos);
      else
        FSumList->SetVirtualRecNo(pos);
    } else {
      switch (pos) {
      case 0:
        ds->First();
        break;
      case 1:
        ds->MoveBy(-VisibleDataRowCount());
        break;
      case 3:
        ds->MoveBy(VisibleDataRowCount());
        break;
      case 4:
        ds->Last();
        break;
      default:
        break;
      }
    }
    break;
  }
  default:
    break;
  }
  Message.Result = 0;
}
