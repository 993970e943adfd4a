// Rows from the client height (header, data, filler and footer rows), the current row kept
// on the dataset's active record, scrolling when the dataset scrolls, the vertical scroll
// bar driven from the dataset, and the extended draw information (DBGridEh.h describes the
// unit).
#include <algorithm>
#include <cstdlib>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

Integer LineWidthOf(const TCustomDBGridEh* Grid)
{
  return Grid->Options().Contains(dgRowLines) ? Grid->GridLineWidth() : 0;
}

} // namespace

Integer TCustomDBGridEh::PageRowCount()
{
  return VisibleDataRowCount();
}

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
  SCROLLINFO real = si;
  if (!FVertScrollBar->IsScrollBarShowing()) {
    si.nMax = si.nMin;
    si.nPage = 0;
  }
  if (TScrollBar* bar = FVertScrollBar->ExtScrollBar())
    SetExternalBarValues(bar, real);
  bool changed = old.nMin != si.nMin || old.nMax != si.nMax || old.nPage != si.nPage ||
                 old.nPos != si.nPos || mode != FLastVertBarMode;
  if (!changed)
    return;
  if (mode == sbAlwaysShowEh && !FVertScrollBar->HasExternalBar()) {
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

TDBGridEhScrollBar::~TDBGridEhScrollBar()
{
  if (FExtScrollBar && FExtScrollBar->HasNotificationHook())
    FExtScrollBar->SetNotificationHook(TWndMethod());
}

void TDBGridEhScrollBar::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TDBGridEhScrollBar*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetVisible(src->Visible());
  SetTracking(src->Tracking());
  SetExtScrollBar(src->ExtScrollBar());
}

void TDBGridEhScrollBar::SetVisible(bool Value)
{
  SetVisibleMode(Value ? sbAutoShowEh : sbNeverShowEh);
  SyncExternalBar();
}

void TDBGridEhScrollBar::SetVisibleMode(TScrollBarVisibleModeEh Value)
{
  if (Value == FVisibleMode)
    return;
  FVisibleMode = Value;
  if (!FGrid)
    return;
  if (FKind == sbVertical)
    FGrid->UpdateVertScrollBar();
  FGrid->LayoutChanged();
}

bool TDBGridEhScrollBar::IsScrollBarVisible() const
{
  if (FExtScrollBar)
    return FExtScrollBar->Visible();
  if (!Visible() || !FGrid->HandleAllocated())
    return false;
  LONG_PTR style = GetWindowLong(FGrid->Handle(), GWL_STYLE);
  return (style & (FKind == sbHorizontal ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

void TDBGridEhScrollBar::SetExtScrollBar(TScrollBar* AScrollBar)
{
  if (AScrollBar == FExtScrollBar)
    return;
  bool designing = FGrid->ComponentState().Contains(csDesigning);
  if (!designing && AScrollBar && AScrollBar->HasNotificationHook())
    throw Exception("Possible " + AScrollBar->Name() + " already attached to the other control.");
  if (!designing && FExtScrollBar)
    FExtScrollBar->SetNotificationHook(TWndMethod());
  if (FExtScrollBar)
    FExtScrollBar->RemoveFreeNotification(FGrid);
  FExtScrollBar = AScrollBar;
  if (AScrollBar) {
    AScrollBar->FreeNotification(FGrid);
    if (!designing)
      AScrollBar->SetNotificationHook([this](TMessage& Message) { ExternalBarProc(Message); });
  }
  SyncExternalBar();
  if (FGrid->ComponentState().Contains(csDestroying) || !FGrid->HandleAllocated())
    return;
  if (FKind == sbVertical)
    FGrid->UpdateVertScrollBar();
  FGrid->LayoutChanged();
}

void TDBGridEhScrollBar::SyncExternalBar()
{
  if (FExtScrollBar)
    FExtScrollBar->SetVisible(Visible());
}

bool TDBGridEhScrollBar::ReadScrollInfo(SCROLLINFO& AInfo) const
{
  if (FExtScrollBar)
    return FExtScrollBar->HandleAllocated() &&
           GetScrollInfo(FExtScrollBar->Handle(), SB_CTL, AInfo);
  if (!FGrid->HandleAllocated())
    return false;
  return GetScrollInfo(FGrid->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, AInfo);
}

void TDBGridEhScrollBar::ExternalBarProc(TMessage& Message)
{
  // The bar's notifications drive the grid through its ordinary scroll handling; the bar
  // handles them afterwards as it always does.
  if ((Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL) && FGrid->HandleAllocated())
    SendMessage(FGrid->Handle(), FKind == sbHorizontal ? WM_HSCROLL : WM_VSCROLL, Message.WParam,
                Message.LParam);
}

void TCustomDBGridEh::SetExternalBarValues(TScrollBar* Bar, const SCROLLINFO& Info)
{
  Bar->SetPageSize(0);
  Integer mn = std::min<Integer>(Info.nMin, Info.nMax);
  Bar->SetParams(Info.nPos, mn, Info.nMax);
  Bar->SetPageSize(static_cast<Integer>(Info.nPage));
}

void TCustomDBGridEh::UpdateHorzExtScrollBar()
{
  TScrollBar* bar = FHorzScrollBar ? FHorzScrollBar->ExtScrollBar() : nullptr;
  if (!bar || !HandleAllocated())
    return;
  Integer visible = VisibleColCount();
  SCROLLINFO si;
  si.nMin = 0;
  si.nPage = static_cast<UINT>(visible);
  si.nMax = visible + FixedCols() >= ColCount() ? 0 : 127;
  // The largest useful left column: from it on every column fits into the visible width.
  TGridDrawInfo info;
  CalcDrawInfo(info);
  Integer room = info.Horz.GridExtent - info.Horz.FixedBoundary, used = 0;
  Integer last = ColCount() - 1;
  for (Integer c = ColCount() - 1; c >= FixedCols(); --c) {
    Integer w = ColWidths(c);
    if (w <= 0)
      continue;
    used += w + info.Horz.EffectiveLineWidth;
    if (used > room)
      break;
    last = c;
  }
  Integer span = last - FixedCols();
  si.nPos = span > 0 ? MulDiv(LeftCol() - FixedCols(), 127, span) : 0;
  if (bar->Min() == si.nMin && bar->Max() == si.nMax && bar->Position() == si.nPos)
    return;
  // The positions are a scale of 127 over the columns: the bar has no page.
  si.nPage = 0;
  SetExternalBarValues(bar, si);
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

void TCustomDBGridEh::WMHScroll(TMessage& Message)
{
  if (FHorzScrollBar->Tracking() && LOWORD(Message.WParam) == SB_THUMBTRACK) {
    SendMessage(Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, HIWORD(Message.WParam)),
                Message.LParam);
    return;
  }
  // An external bar names a position out of 127 over the scrollable columns.
  if (FHorzScrollBar->HasExternalBar()) {
    Integer code = LOWORD(Message.WParam);
    Integer left = LeftCol();
    switch (code) {
    case SB_LINELEFT:
      left -= 1;
      break;
    case SB_LINERIGHT:
      left += 1;
      break;
    case SB_PAGELEFT:
      left -= std::max<Integer>(VisibleColCount(), 1);
      break;
    case SB_PAGERIGHT:
      left += std::max<Integer>(VisibleColCount(), 1);
      break;
    case SB_LEFT:
      left = FixedCols();
      break;
    case SB_RIGHT:
      left = ColCount() - 1;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      Integer maxLeft = CalcMaxTopLeft().X;
      Integer pos = static_cast<Integer>(static_cast<SmallInt>(HIWORD(Message.WParam)));
      left = FixedCols() + MulDiv(pos, maxLeft - FixedCols(), 127);
      break;
    }
    default:
      break;
    }
    SetLeftCol(std::clamp(left, FixedCols(), std::max(CalcMaxTopLeft().X, FixedCols())));
  } else
    TCustomGrid::Dispatch(Message);
  UpdateHorzExtScrollBar();
}
