// The lookup grid's keys, incremental search, mouse tracking with auto-scroll, the wheel,
// its own vertical scrolling of the list window, sizing to whole rows and column changes
// (see DBLookupGridsEh.h).
#include <algorithm>

#include "controls/eh/DBLookupGridsEh.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"

namespace {

constexpr Cardinal SearchPauseMs = 2000;
constexpr Integer SearchMaxLength = 32;
constexpr Integer MaxListRows = 100;
// The timer of the auto-scroll while the mouse is held outside the list.
constexpr UINT_PTR ListAutoScrollTimer = 3;

// The time of the last character typed into any lookup grid: one search pause for all.
Cardinal LastSearchTick = 0;

// Joins cell texts with ';', quoting a text that holds ';' or '"' (quotes doubled), so that
// SplitCellsTextEh gives the same texts back.
AnsiString JoinCellsText(const std::vector<AnsiString>& Cells)
{
  AnsiString result;
  for (std::size_t i = 0; i < Cells.size(); ++i) {
    if (i > 0)
      result += ';';
    const AnsiString& c = Cells[i];
    if (c.find(';') == AnsiString::npos && c.find('"') == AnsiString::npos) {
      result += c;
      continue;
    }
    result += '"';
    for (char ch : c) {
      result += ch;
      if (ch == '"')
        result += '"';
    }
    result += '"';
  }
  return result;
}

} // namespace

// ---- Sizing ----

Integer TDBLookupGridEh::BorderHeight()
{
  return HandleAllocated() ? Height() - ClientHeight() : 0;
}

Integer TDBLookupGridEh::DataRowHeight()
{
  return DefaultRowHeight() + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

Integer TDBLookupGridEh::SpecRowHeight()
{
  return DataRowHeight();
}

Integer TDBLookupGridEh::TitleHeightNow()
{
  return Options().Contains(dgTitles) && RowCount() > 0 ? RowHeights(0) : 0;
}

Integer TDBLookupGridEh::HeightForRows(Integer Rows)
{
  Integer rowLine = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
  return TitleHeightNow() + BorderHeight() + Rows * DataRowHeight() + FSpecRowHeight + rowLine;
}

void TDBLookupGridEh::SetListRowCount(Integer Value)
{
  Value = std::clamp<Integer>(Value, 1, MaxListRows);
  FRowCount = Value;
  FSpecRowHeight = SpecRowShowing() ? SpecRowHeight() : 0;
  SetHeight(HeightForRows(Value));
}

void TDBLookupGridEh::ApplyRowCount()
{
  if (HandleAllocated() && !FSizing)
    SetListRowCount(FRowCount);
}

void TDBLookupGridEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (FSizing || !HandleAllocated() || ComponentState().Contains(csLoading) ||
      ComponentState().Contains(csDestroying)) {
    TCustomDBGridEh::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  FSizing = true;
  TScopeExit done([this] { FSizing = false; });
  // Whole rows only: the height is snapped to the rows that fit.
  FSpecRowHeight = SpecRowShowing() ? SpecRowHeight() : 0;
  Integer rows = (AHeight - BorderHeight() - TitleHeightNow() - FSpecRowHeight) / DataRowHeight();
  FRowCount = std::max<Integer>(rows, 1);
  AHeight = HeightForRows(FRowCount);
  TCustomDBGridEh::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FAutoFitColWidths && VisibleColumns()->Count() > 0)
    ApplyAutoFit();
}

void TDBLookupGridEh::CreateWnd()
{
  TCustomDBGridEh::CreateWnd();
  ApplyRowCount();
}

void TDBLookupGridEh::SetShowTitles(bool Value)
{
  if (Value == ShowTitles())
    return;
  TDBGridEhOptions o = Options();
  if (Value)
    o.Include(dgTitles);
  else
    o.Exclude(dgTitles);
  SetOptions(o);
  ApplyRowCount();
}

void TDBLookupGridEh::SetUseMultiTitle(bool Value)
{
  TCustomDBGridEh::SetUseMultiTitle(Value);
  ApplyRowCount();
}

void TDBLookupGridEh::SetAutoFitColWidths(bool Value)
{
  if (Value == FAutoFitColWidths)
    return;
  FAutoFitColWidths = Value;
  // The layout keeps the bar as its setting says.
  HorzScrollBar()->SetVisible(!Value);
  SetScrollBars(Value ? ssNone : ssHorizontal);
  ApplyRowCount();
  UpdateVertScrollBar();
  FitToColumns();
}

void TDBLookupGridEh::FitToColumns()
{
  if (FFitting)
    return;
  FFitting = true;
  TScopeExit done([this] { FFitting = false; });
  if (FAutoFitColWidths && VisibleColumns()->Count() > 0) {
    for (Integer i = 0; i < Columns()->Count(); ++i)
      if (Columns()->Items(i)->AutoFitBaseWidth() <= 0)
        Columns()->Items(i)->SetAutoFitBaseWidth(Columns()->Items(i)->Width());
    ApplyAutoFit();
  }
  for (Integer i = 0; i < Columns()->Count(); ++i)
    Columns()->Items(i)->SetAutoFitBaseWidth(Columns()->Items(i)->Width());
  ApplyRowCount();
}

Integer TDBLookupGridEh::TotalColumnsWidth()
{
  Integer line = Options().Contains(dgColLines) ? GridLineWidth() : 0;
  Integer total = 0;
  for (Integer i = 0; i < Columns()->Count(); ++i) {
    TColumnEh* c = Columns()->Items(i);
    if (c->Visible())
      total += FAutoFitColWidths ? c->AutoFitBaseWidth() : c->Width();
    total += line;
  }
  return total;
}

void TDBLookupGridEh::ColWidthsChanged()
{
  bool sizing = GridState() == gsColSizing;
  bool generated = !Columns()->IsCustomized();
  // A generated column being resized counts as the program's own during the change.
  std::vector<TColumnEh*> marked;
  if (sizing && generated)
    for (Integer i = 0; i < Columns()->Count(); ++i) {
      Columns()->Items(i)->SetStored(true);
      marked.push_back(Columns()->Items(i));
    }
  TScopeExit unmark([&] {
    for (TColumnEh* c : marked)
      c->SetStored(false);
  });
  TCustomDBGridEh::ColWidthsChanged();
  if (!sizing || !FAutoFitColWidths)
    return;
  // The user sized a column of a fitted list: the window takes the columns' width.
  Integer line = Options().Contains(dgColLines) ? GridLineWidth() : 0;
  Integer width = 0;
  for (Integer i = 0; i < Columns()->Count(); ++i) {
    TColumnEh* c = Columns()->Items(i);
    if (c->Visible())
      width += c->Width() + line;
    c->SetAutoFitBaseWidth(c->Width());
  }
  SetClientWidth(width);
}

void TDBLookupGridEh::ReorderSpecCells(Integer From, Integer To)
{
  Integer count = std::max({FSpecRow->CellCount(), From + 1, To + 1});
  std::vector<AnsiString> cells;
  for (Integer i = 0; i < count; ++i)
    cells.push_back(FSpecRow->TextOfCell(i));
  AnsiString moved = cells[static_cast<std::size_t>(From)];
  cells.erase(cells.begin() + From);
  cells.insert(cells.begin() + To, moved);
  while (!cells.empty() && cells.back().empty() &&
         static_cast<Integer>(cells.size()) > FSpecRow->CellCount())
    cells.pop_back();
  FSpecRow->BeginUpdate();
  TScopeExit done([this] { FSpecRow->EndUpdate(); });
  FSpecRow->SetCellsText(JoinCellsText(cells));
}

void TDBLookupGridEh::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
  Integer from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
  if (from < 0 || to < 0 || from >= Columns()->Count() || to >= Columns()->Count()) {
    TCustomDBGridEh::ColumnMoved(FromIndex, ToIndex);
    return;
  }
  ReorderSpecCells(from, to);
  if (Columns()->IsCustomized() || !FListActive) {
    TCustomDBGridEh::ColumnMoved(FromIndex, ToIndex);
    return;
  }
  // A generated column: the list field index follows, and ListField takes the new order.
  BeginLayout();
  TScopeExit release([this] { CancelLayout(); });
  if (FListFieldIndex == from)
    FListFieldIndex = to;
  else if (from < FListFieldIndex && FListFieldIndex <= to)
    --FListFieldIndex;
  else if (to <= FListFieldIndex && FListFieldIndex < from)
    ++FListFieldIndex;
  for (Integer i = 0; i < Columns()->Count(); ++i)
    Columns()->Items(i)->SetStored(true);
  TCustomDBGridEh::ColumnMoved(FromIndex, ToIndex);
  AnsiString names;
  for (Integer i = 0; i < Columns()->Count(); ++i) {
    Columns()->Items(i)->SetStored(false);
    if (!names.empty())
      names += ';';
    names += Columns()->Items(i)->FieldName();
  }
  FListFieldName = names;
  ListLinkChanged();
}

// ---- The list window and the scroll bar ----

void TDBLookupGridEh::ListWindowChanged()
{
  TGridDataLinkEh* link = DataLink();
  if (link && link->Active()) {
    FRecordCount = link->RecordCount();
    FRecordIndex = link->ActiveRecord();
  } else {
    FRecordCount = 0;
    FRecordIndex = 0;
  }
  UpdateVertScrollBar();
}

void TDBLookupGridEh::UpdateVertScrollBar()
{
  if (!HandleAllocated() || !DataLink())
    return;
  if (MemTableViewActive()) {
    TCustomDBGridEh::UpdateVertScrollBar();
    return;
  }
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nPage = 0;
  si.nPos = 0;
  TDataSet* list = ListDataSet();
  if (!list)
    si.nMax = 2;
  else if (list->IsSequenced()) {
    si.nPage = static_cast<UINT>(VisibleDataRowCount());
    si.nMax = std::max<Integer>(list->RecordCount() - 1, 0);
    TDataSetState state = list->State();
    if (state == dsBrowse || state == dsEdit)
      si.nPos = std::max<Integer>(list->RecNo() - DataLink()->ActiveRecord() - 1, 0);
  } else if (DataLink()->RecordCount() < DataLink()->BufferCount()) {
    // Every record is in the window: nothing to scroll.
    si.nMax = 0;
  } else {
    si.nMax = 4;
    si.nPos = list->Bof() ? 0 : list->Eof() ? 4 : 2;
  }
  if (!VertScrollBar()->IsScrollBarShowing()) {
    si.nMax = si.nMin;
    si.nPage = 0;
  }
  SCROLLINFO old = VertScrollInfo();
  if (old.nMin == si.nMin && old.nMax == si.nMax && old.nPage == si.nPage && old.nPos == si.nPos)
    return;
  SetScrollInfo(Handle(), SB_VERT, si, true);
}

void TDBLookupGridEh::VertScrollList(TMessage& Message)
{
  TDataSet* list = ListDataSet();
  if (!list)
    return;
  FSearchText.clear();
  Integer count = FRecordCount, index = FRecordIndex;
  switch (LOWORD(Message.WParam)) {
  case SB_LINEUP:
    list->MoveBy(-index - 1);
    break;
  case SB_LINEDOWN:
    list->MoveBy(count - index);
    break;
  case SB_PAGEUP:
    list->MoveBy(1 - index - count);
    break;
  case SB_PAGEDOWN:
    list->MoveBy(2 * count - index - 2);
    break;
  case SB_TOP:
    list->First();
    break;
  case SB_BOTTOM:
    list->Last();
    break;
  case SB_THUMBPOSITION:
    if (list->IsSequenced())
      break;
    switch (static_cast<SmallInt>(HIWORD(Message.WParam))) {
    case 0:
      list->First();
      break;
    case 1:
      list->MoveBy(1 - index - count);
      break;
    case 3:
      list->MoveBy(2 * count - index - 2);
      break;
    case 4:
      list->Last();
      break;
    default:
      break;
    }
    break;
  case SB_THUMBTRACK:
    if (list->IsSequenced()) {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_VERT, si);
      // The window's first record takes the tracked record number.
      Integer first = list->RecNo() - index;
      list->MoveBy(si.nTrackPos + 1 - first);
    }
    break;
  default:
    break;
  }
  ListWindowChanged();
  Message.Result = 0;
}

void TDBLookupGridEh::Scroll(Integer Distance)
{
  {
    BeginLayout();
    TScopeExit release([this] { CancelLayout(); });
    TCustomDBGridEh::Scroll(Distance);
  }
  ListWindowChanged();
}

void TDBLookupGridEh::DataChanged()
{
  TCustomDBGridEh::DataChanged();
  ListWindowChanged();
}

void TDBLookupGridEh::LayoutChanged()
{
  if (LayoutLock() != 0 || UpdateLock() != 0)
    return;
  TCustomDBGridEh::LayoutChanged();
}

void TDBLookupGridEh::RecalcRowCount()
{
  if (FRowCounting)
    return;
  {
    FRowCounting = true;
    TScopeExit done([this] { FRowCounting = false; });
    TCustomDBGridEh::RecalcRowCount();
  }
  ListWindowChanged();
}

// ---- Focus and messages ----

bool TDBLookupGridEh::AcquireFocus()
{
  // A drop-down keeps the focus with its owner.
  if (FPopupMode)
    return true;
  return TCustomDBGridEh::AcquireFocus();
}

void TDBLookupGridEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  case WM_SETFOCUS:
    FSearchText.clear();
    FFocused = true;
    TCustomDBGridEh::Dispatch(Message);
    Invalidate();
    return;
  case WM_KILLFOCUS:
    FFocused = false;
    TCustomDBGridEh::Dispatch(Message);
    Invalidate();
    return;
  case WM_VSCROLL:
    if (!MemTableViewActive()) {
      VertScrollList(Message);
      return;
    }
    FSearchText.clear();
    break;
  case WM_TIMER:
    if (Message.WParam == ListAutoScrollTimer) {
      DragAutoScroll();
      return;
    }
    break;
  case WM_CANCELMODE:
    FTracking = false;
    StopListAutoScroll();
    break;
  case WM_SETCURSOR:
    // The special row is no title: its column borders do not size columns.
    if (LOWORD(Message.LParam) == HTCLIENT && InSpecRow(ScreenToClient(Mouse()->CursorPos()).Y)) {
      TCustomControl::Dispatch(Message);
      return;
    }
    break;
  }
  TCustomDBGridEh::Dispatch(Message);
}

// ---- Keys ----

bool TDBLookupGridEh::ListAtBeginning()
{
  TDataSet* list = ListDataSet();
  if (!list)
    return false;
  return list->Bof() || (list->IsSequenced() && list->RecNo() <= 1);
}

void TDBLookupGridEh::KeyDown(Word& Key, TShiftState Shift)
{
  TDataSet* list = ListDataSet();
  if (!CanChangeKey() || !list) {
    TCustomDBGridEh::KeyDown(Key, Shift);
    return;
  }
  enum { byDelta, toFirst, toLast, none } move = byDelta;
  Integer delta = 0;
  bool horzHidden = ScrollBars() == ssNone || ScrollBars() == ssVertical;
  switch (Key) {
  case VK_PRIOR:
    delta = 1 - VisibleDataRowCount();
    break;
  case VK_NEXT:
    delta = VisibleDataRowCount() - 1;
    break;
  case VK_HOME:
    move = toFirst;
    break;
  case VK_END:
    move = toLast;
    break;
  case VK_LEFT:
    delta = -1;
    move = horzHidden ? byDelta : none;
    break;
  case VK_RIGHT:
    delta = 1;
    move = horzHidden ? byDelta : none;
    break;
  case VK_UP:
    delta = -1;
    break;
  case VK_DOWN:
    delta = 1;
    break;
  default:
    move = none;
    break;
  }
  if (move == none) {
    TCustomDBGridEh::KeyDown(Key, Shift);
    return;
  }
  Key = 0;
  FSearchText.clear();
  bool spec = SpecRowShowing();
  if (move == byDelta && delta < 0 && spec && (ListAtBeginning() || FSpecRow->IsCurrent())) {
    list->First();
    SelectSpecRow();
    return;
  }
  if (move == toFirst)
    list->First();
  else if (move == toLast)
    list->Last();
  else if (spec && FSpecRow->IsCurrent())
    list->First(); // moving down from the special row starts at the first record
  else if (!MemTableViewActive()) {
    Integer index = KeyBufferIndex();
    if (index < 0) {
      KeyValueChanged();
      delta = 0;
    } else
      list->MoveBy(index - DataLink()->ActiveRecord());
    if (delta != 0)
      list->MoveBy(delta);
  } else
    list->MoveBy(delta);
  SelectCurrentRecord();
}

void TDBLookupGridEh::KeyPress(char& Key)
{
  bool searchable =
      FListField &&
      (FListField->FieldKind() == fkData || FListField->FieldKind() == fkInternalCalc) &&
      (FListField->DataType() == ftString || FListField->DataType() == ftFixedChar ||
       FListField->DataType() == ftWideString);
  if (!searchable) {
    TCustomDBGridEh::KeyPress(Key);
    return;
  }
  SearchKey(Key);
  Key = 0;
}

void TDBLookupGridEh::SearchKey(char Key)
{
  unsigned char c = static_cast<unsigned char>(Key);
  if (c == VK_BACK || c == VK_ESCAPE) {
    FSearchText.clear();
    return;
  }
  if (c < 32 || !CanChangeKey())
    return;
  Cardinal now = GetTickCount();
  if (now - LastSearchTick > SearchPauseMs)
    FSearchText.clear();
  LastSearchTick = now;
  AnsiString typed(1, Key);
  // A double-byte character's trail byte is the next character message.
  MSG next;
  if (c >= 0x81 && HandleAllocated() && PeekMessage(next, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
    typed += static_cast<char>(next.wParam);
  if (Length(FSearchText) >= SearchMaxLength)
    return;
  AnsiString text = FSearchText + typed;
  try {
    TDataSet* list = ListDataSet();
    if (list &&
        list->Locate(FListField->FieldName(), Variant(text), {loCaseInsensitive, loPartialKey}))
      SelectCurrentRecord();
  } catch (Exception&) {
    // A search that cannot run finds nothing.
  }
  FSearchText = text;
}

// ---- Mouse ----

bool TDBLookupGridEh::InSpecRow(Integer Y)
{
  Integer row = SpecRowGridRow();
  if (row < 0)
    return false;
  TRect r = CellRect(IndicatorColCount(), row);
  return Y >= r.Top && Y < r.Bottom;
}

bool TDBLookupGridEh::InDataCells(Integer X, Integer Y)
{
  TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < IndicatorColCount() || cell.Y < HeaderRowCount())
    return false;
  TCellTypeEh type = GetCellType(cell.X, cell.Y);
  return type.Area == caDataEh && RowHasRecord(type.AreaRow);
}

void TDBLookupGridEh::SelectAtPoint(Integer Y)
{
  if (InSpecRow(Y)) {
    SelectSpecRow();
    return;
  }
  TDataSet* list = ListDataSet();
  if (!list || list->IsEmpty())
    return;
  Integer y = std::min<Integer>(Y, ClientHeight() - 1);
  TRect first = CellRect(IndicatorColCount(), HeaderRowCount());
  if (y < first.Top)
    return;
  Integer x = first.Left + 1;
  TGridCoord cell = MouseCoord(x, y);
  if (cell.Y < HeaderRowCount())
    return;
  Integer dataRow = cell.Y - HeaderRowCount();
  if (MemTableViewActive()) {
    Integer current = Row() - HeaderRowCount();
    for (Integer r = 0; r < DataRowCount(); ++r)
      if (RowIsCurrent(r)) {
        current = r;
        break;
      }
    if (RowHasRecord(dataRow))
      list->MoveBy(dataRow - current);
  } else {
    Integer records = DataLink()->RecordCount();
    if (records <= 0)
      return;
    dataRow = std::min(dataRow, records - 1);
    list->MoveBy(dataRow - DataLink()->ActiveRecord());
  }
  SelectCurrentRecord();
}

void TDBLookupGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  bool spec = InSpecRow(Y);
  if (!spec && (MemTreeMouseDown(X, Y, true) || !InDataCells(X, Y))) {
    TCustomDBGridEh::MouseDown(Button, Shift, X, Y);
    return;
  }
  TDestroyWatch watch(this);
  TControl::MouseDown(Button, Shift, X, Y); // OnMouseDown
  if (watch.Destroyed() || Button != mbLeft)
    return;
  FSearchText.clear();
  if (!FPopupMode) {
    if (CanFocus())
      SetFocus();
    if (watch.Destroyed() || !Focused())
      return;
  }
  if (!CanChangeKey())
    return;
  if (Shift.Contains(ssDouble)) {
    if (!spec && FKeyRowIsCurrent && MouseCoord(X, Y).Y == Row())
      DblClick();
    return;
  }
  if (GetCapture() != Handle())
    return;
  FTracking = true;
  FMouseY = Y;
  if (Y >= TitleHeightNow())
    SelectAtPoint(Y);
}

void TDBLookupGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (!FTracking) {
    TCustomDBGridEh::MouseMove(Shift, X, Y);
    return;
  }
  FMouseY = Y;
  if (Y >= TitleHeightNow())
    SelectAtPoint(Y);
  Integer distance = Y < 0 ? -Y : Y >= ClientHeight() ? Y - ClientHeight() + 1 : 0;
  if (distance == 0)
    StopListAutoScroll();
  else
    StartListAutoScroll(std::max<Integer>(0, 200 - 15 * distance));
  TControl::MouseMove(Shift, X, Y); // OnMouseMove
}

void TDBLookupGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (!FTracking) {
    TCustomDBGridEh::MouseUp(Button, Shift, X, Y);
    return;
  }
  FTracking = false;
  StopListAutoScroll();
  if (Y >= TitleHeightNow())
    SelectAtPoint(Y);
  TControl::MouseUp(Button, Shift, X, Y); // OnMouseUp
}

void TDBLookupGridEh::StartListAutoScroll(Integer Interval)
{
  if (!HandleAllocated())
    return;
  SetTimer(Handle(), ListAutoScrollTimer, static_cast<UINT>(Interval));
  FListAutoScrollRunning = true;
}

void TDBLookupGridEh::StopListAutoScroll()
{
  if (FListAutoScrollRunning && HandleAllocated())
    KillTimer(Handle(), ListAutoScrollTimer);
  FListAutoScrollRunning = false;
}

void TDBLookupGridEh::DragAutoScroll()
{
  if (!FTracking) {
    TCustomDBGridEh::DragAutoScroll();
    return;
  }
  TDataSet* list = ListDataSet();
  Integer direction = FMouseY < 0 ? -1 : FMouseY >= ClientHeight() ? 1 : 0;
  if (direction == 0 || !list) {
    StopListAutoScroll();
    return;
  }
  if (direction < 0 && SpecRowShowing() && ListAtBeginning()) {
    SelectSpecRow();
    return;
  }
  if (list->MoveBy(direction) != 0)
    SelectCurrentRecord();
}

bool TDBLookupGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  TDataSet* list = ListDataSet();
  if (!list)
    return false;
  TShiftState keys = Shift * TShiftState{ssShift, ssCtrl, ssAlt};
  if (MemTableViewActive() && keys.Empty())
    return TCustomDBGridEh::DoMouseWheelDown(Shift, MousePos);
  FSearchText.clear();
  // One record past the window: the list scrolls, the choice stays.
  list->MoveBy(FRecordCount - FRecordIndex);
  ListWindowChanged();
  return true;
}

bool TDBLookupGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  TDataSet* list = ListDataSet();
  if (!list)
    return false;
  TShiftState keys = Shift * TShiftState{ssShift, ssCtrl, ssAlt};
  if (MemTableViewActive() && keys.Empty())
    return TCustomDBGridEh::DoMouseWheelUp(Shift, MousePos);
  FSearchText.clear();
  list->MoveBy(-FRecordIndex - 1);
  ListWindowChanged();
  return true;
}
