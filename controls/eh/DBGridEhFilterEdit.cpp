// Editing the grid's filter row: the combo box placed over a filter cell, its keys, its list
// of distinct values with the special entries, moving between filter cells and applying
// (DBGridEh.h describes the unit; the filter language is in DBGridEhFilter.cpp).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/EhHelpers.h"
#include "controls/eh/IMemTableEh.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Forms.h"

namespace {

// The special entries of a filter list, by the code each carries as its item's object.
enum TFilterListCode : NativeInt {
  flcValue = 0,
  flcEmpty = 1,
  flcNotEmpty = 2,
  flcAll = 3,
  flcClearFilter = 4,
  flcLine = 5,
  flcOrderAscending = 6,
  flcOrderDescending = 7
};

const char* const kSpecialEntries[] = {
    nullptr,          "(Empty)", "(Not empty)",          "(All)",
    "(Clear filter)", "-",       "(Order by ascending)", "(Order by descending)"};

} // namespace

void TInplaceFilterEditEh::ShowKeyText(const Variant& Value, const AnsiString& Text)
{
  SetValue(Value);
  SetText(Text);
}

// ---- Opening, placing, closing ----

TInplaceFilterEditEh* TCustomDBGridEh::CreateFilterEdit()
{
  return new TInplaceFilterEditEh(this);
}

bool TCustomDBGridEh::FilterEditActive()
{
  return FFilterEditing && FSelection->Kind() == selNoneEh;
}

bool TCustomDBGridEh::IsFilterRow(Integer ACol, Integer ARow) const
{
  return STFilterVisible() && ACol >= FIndicatorColCount && ARow == HeaderRowCount() - 1;
}

void TCustomDBGridEh::StartFilterEdit(Integer ADataCol)
{
  if (!STFilterVisible() || !FilterCellVisible(ADataCol))
    return;
  if (FDataLink->Active())
    FDataLink->DataSet()->CheckBrowseMode();
  if (!FFilterEdit) {
    FFilterEdit = CreateFilterEdit();
    FFilterEdit->SetVisible(false);
    FFilterEdit->SetParent(this);
    FFilterEdit->SetInplaceEditHolder(this);
    FFilterEdit->SetBorderStyle(bsNone);
    FFilterEdit->Font()->Assign(Font());
    FFilterEdit->Font()->SetColor(clBlue);
    FFilterEdit->SetColor(BrightenColor(FixedColor(), 8));
    FFilterEdit->SetFlat(FFlat);
  }
  Integer previous = FFilterEditing && FFilterCol != ADataCol ? FFilterCol : -1;
  if (previous >= 0)
    HideFilterEdit();
  FFilterCol = ADataCol;
  FFilterEditing = true;
  HideEditor();
  {
    BeginLayout();
    TScopeExit end([&] { EndLayout(); });
    Integer raw = DataToRawColumn(ADataCol);
    if (raw >= FixedCols()) {
      if (FOptions.Contains(dgFullRowSelect)) {
        if (raw < LeftCol())
          SetLeftCol(raw);
        else
          while (raw > LeftCol() && IsRectEmpty(CellRect(raw, 0)))
            SetLeftCol(LeftCol() + 1);
      } else if (raw != Col())
        SelectDataColumn(ADataCol);
    }
    Integer row = HeaderRowCount() - 1;
    InvalidateCell(raw, row);
    if (previous >= 0)
      InvalidateCell(DataToRawColumn(previous), row);
  }
  UpdateFilterEdit(true);
}

void TCustomDBGridEh::UpdateFilterEdit(bool AReinit)
{
  if (FSTFilter->UpdateCount() > 0)
    return;
  if (!STFilterVisible() || !FilterCellVisible(FFilterCol) || !FFilterEditing) {
    EndFilterEdit();
    return;
  }
  TRect r = CellRect(DataToRawColumn(FFilterCol), HeaderRowCount() - 1);
  r.Left += 1;
  if (!FilterEditActive() || !FFilterEdit) {
    HideFilterEdit();
    return;
  }
  if (AReinit)
    FFilterEdit->PlaceAt(TRect());
  if (FFilterEdit->HandleAllocated() && IsWindowVisible(FFilterEdit->Handle()))
    FFilterEdit->SetFocus();
  if (AReinit) {
    PrepareFilterEdit(FFilterCol);
    FFilterEdit->SelectAll();
  }
  FFilterEdit->PlaceAt(r);
  if (Focused() || (FFilterEdit->HandleAllocated() && GetFocus() == Handle()))
    ::SetFocus(FFilterEdit->Handle());
  SendMessage(FFilterEdit->Handle(), EM_SCROLLCARET, 0, 0);
}

void TCustomDBGridEh::PrepareFilterEdit(Integer ADataCol)
{
  TColumnEh* column = FColumns->Items(ADataCol);
  TSTColumnFilterEh* filter = column->STFilter();
  FFilterEdit->Items()->Clear();
  FFilterEdit->KeyItems()->Clear();
  if (filter->HasDropDownButton()) {
    FFilterEdit->OnCloseUp = TCloseUpEventEh::Bind(this, &TCustomDBGridEh::FilterEditCloseUp);
    FFilterEdit->OnClosingUp = TClosingUpEventEh::Bind(this, &TCustomDBGridEh::FilterListChoosing);
    FFilterEdit->OnGetItemsList = TNotifyEvent::Bind(this, &TCustomDBGridEh::FillFilterList);
    FFilterEdit->SetText("");
    FFilterEdit->SetValue(Null());
    FFilterEdit->EditButton()->SetVisible(true);
    FFilterEdit->DropDownBox()->SetSizable(true);
    if (!filter->LookupKeyFieldName().empty())
      FFilterEdit->ShowKeyText(filter->MatchedKeys(), filter->FilterText());
    else
      FFilterEdit->SetText(filter->FilterText());
    FFilterEdit->DropDownBox()->SetWidth(filter->ListWidth() > 0 ? filter->ListWidth() : 100);
    FFilterEdit->DropDownBox()->SetRows(filter->ListRows() > 0 ? filter->ListRows() : 17);
    return;
  }
  FFilterEdit->SetValue(Null());
  FFilterEdit->OnGetItemsList = nullptr;
  FFilterEdit->EditButton()->SetVisible(false);
  FFilterEdit->SetText(FilterCellText(ADataCol));
}

void TCustomDBGridEh::StoreFilterEditText(Integer ADataCol)
{
  if (ADataCol < 0 || ADataCol >= FColumns->Count() || !FFilterEdit)
    return;
  // A text that does not parse leaves the column's filter as it was and raises.
  FColumns->Items(ADataCol)->STFilter()->InternalSetFilterText(FFilterEdit->Text());
}

void TCustomDBGridEh::HideFilterEdit()
{
  if (!FFilterEdit || !FFilterEdit->HandleAllocated() || !IsWindowVisible(FFilterEdit->Handle()))
    return;
  if (Visible() && CanFocus() && GetFocus() == FFilterEdit->Handle())
    ::SetFocus(Handle());
  FFilterEdit->HideInPlace();
  if (FFilterCol < 0 || FFilterCol >= FColumns->Count())
    return;
  InvalidateCell(DataToRawColumn(FFilterCol), HeaderRowCount() - 1);
  StoreFilterEditText(FFilterCol);
}

void TCustomDBGridEh::EndFilterEdit()
{
  if (FSTFilter->UpdateCount() > 0)
    return;
  bool was = FFilterEditing;
  FFilterEditing = false;
  HideFilterEdit();
  if (!was)
    return;
  if (FOptions.Contains(dgAlwaysShowEditor))
    ShowEditor();
  else
    HideEditor();
}

void TCustomDBGridEh::SetFilterEditing(bool AActive)
{
  if (AActive)
    StartFilterEdit(SelectedIndex());
  else
    EndFilterEdit();
}

void TCustomDBGridEh::MoveFilterEdit(bool AForward, bool AToEnd)
{
  Integer first = FIndicatorColCount, last = ColCount() - 1;
  Integer start = DataToRawColumn(FFilterCol);
  if (AToEnd)
    start = AForward ? last + 1 : first - 1;
  Integer step = AForward ? 1 : -1;
  // With AToEnd the search runs back from the far end.
  if (AToEnd)
    step = -step;
  Integer candidate = start + step;
  if (candidate > last)
    candidate = first;
  if (candidate < first)
    candidate = last;
  if (candidate == start)
    return;
  for (Integer c = candidate; c >= first && c <= last; c += step)
    if (c != start && FilterCellVisible(RawToDataColumn(c))) {
      StartFilterEdit(RawToDataColumn(c));
      return;
    }
}

// ---- The editor's holder ----

bool TCustomDBGridEh::GetMouseDownInfo(TPoint& Pt, Cardinal& Time)
{
  Pt = ClientToScreen(FFilterMouseDownPos);
  Time = FFilterMouseDownTime;
  FFilterMouseDownTime = 0;
  return false;
}

void TCustomDBGridEh::InplaceEditKeyDown(TControl* Editor, Word& Key, TShiftState Shift)
{
  if (Editor == FFilterEdit)
    FilterEditKeyDown(Key, Shift);
}

void TCustomDBGridEh::InplaceEditKeyPress(TControl* Editor, char& Key)
{
  if (Editor != FFilterEdit || Key != '\r')
    return;
  Key = 0;
  ApplyFilterNow();
}

void TCustomDBGridEh::FilterEditKeyDown(Word& Key, TShiftState Shift)
{
  // While the list is open its keys are the combo box's (it keeps the character of the Enter
  // that closes it, so a choice applies nothing).
  if (!FFilterEdit || FFilterEdit->ListVisible())
    return;
  AnsiString text = FFilterEdit->Text();
  Integer selStart = FFilterEdit->SelStart(), selLength = FFilterEdit->SelLength();
  bool all = selLength == Length(text);
  bool atStart = selStart == 0 && (selLength == 0 || all);
  bool atEnd = (selStart == Length(text) && selLength == 0) || (selStart == 0 && all);
  bool ctrl = Shift.Contains(ssCtrl);
  auto move = [&](bool forward, bool toEnd) {
    Key = 0;
    MoveFilterEdit(forward, toEnd);
  };
  switch (Key) {
  case VK_LEFT:
    if (ctrl || atStart)
      move(false, ctrl);
    return;
  case VK_RIGHT:
    if (ctrl || atEnd)
      move(true, ctrl);
    return;
  case VK_HOME:
    if (ctrl || atStart)
      move(false, true);
    return;
  case VK_END:
    if (ctrl || atEnd)
      move(true, true);
    return;
  case VK_TAB:
    if (FOptions.Contains(dgTabs))
      move(!Shift.Contains(ssShift), false);
    return;
  case VK_DOWN:
    if ((Shift.Empty() || Shift == TShiftState{ssCtrl}) && FDataLink->Active()) {
      Key = 0;
      SelectDataColumn(FFilterCol);
      if (!ctrl)
        FDataLink->DataSet()->MoveBy(-FDataLink->ActiveRecord());
      EndFilterEdit();
    }
    return;
  case VK_UP:
    if (Shift.Empty())
      Key = 0;
    return;
  case VK_F2:
    Key = 0;
    FFilterEdit->SetSelStart(Length(text));
    FFilterEdit->SetSelLength(0);
    return;
  }
}

// ---- The list ----

void TCustomDBGridEh::FillFilterList(TObject*)
{
  if (FFilterCol < 0 || FFilterCol >= FColumns->Count())
    return;
  TColumnEh* column = FColumns->Items(FFilterCol);
  TSTColumnFilterEh* filter = column->STFilter();
  if (!column->FilterValueList()) {
    if (filter->ListSource()) {
      TDataSet* list = filter->ListSource()->DataSet();
      if (FDataLink->Active() && list && list->Active()) {
        AnsiString name = filter->ListField().empty() ? column->FieldName() : filter->ListField();
        if (list->FindField(name)) {
          auto values = std::make_shared<TDatasetFieldValueListEh>();
          values->SetSourceDataSet(list);
          values->SetValueFieldName(name);
          column->SetFilterValueList(values);
        }
      }
    } else if (FMemTable)
      column->SetFilterValueList(FMemTable->FieldValueList(column->FieldName()));
  }
  TStrings* items = FFilterEdit->Items();
  TStrings* keys = FFilterEdit->KeyItems();
  items->Clear();
  keys->Clear();
  if (const auto& values = column->FilterValueList())
    if (TStrings* v = values->GetValues())
      for (Integer i = 0; i < v->Count(); ++i) {
        items->Add(v->Strings(i));
        keys->Add(v->Strings(i));
      }
  auto special = [&](TFilterListCode code) {
    items->InsertObject(0, kSpecialEntries[code], reinterpret_cast<TObject*>(code));
    keys->Insert(0, kSpecialEntries[code]);
  };
  for (TFilterListCode code : {flcEmpty, flcNotEmpty, flcAll, flcClearFilter})
    special(code);
  if (FExtOptions.Contains(dgxAutoSortMarkingEh) && column->Title()->TitleButton())
    for (TFilterListCode code : {flcLine, flcOrderAscending, flcOrderDescending})
      special(code);
}

void TCustomDBGridEh::FilterListChoosing(TObject*, bool& Accept)
{
  if (!Accept || !FFilterEdit)
    return;
  TSTColumnFilterEh* filter = FFilterCol >= 0 && FFilterCol < FColumns->Count()
                                  ? FColumns->Items(FFilterCol)->STFilter()
                                  : nullptr;
  if (filter && FFilterEditing && FFilterEdit->Visible()) {
    TPopupListboxEh* list = FFilterEdit->PopupList();
    filter->SetListWidth(list->Width());
    filter->SetListRows(list->RowCount());
  }
  TPopupListboxEh* list = FFilterEdit->PopupList();
  Integer index = list->ItemIndex();
  if (index < 0 || index >= FFilterEdit->Items()->Count())
    return;
  auto code = static_cast<TFilterListCode>(
      reinterpret_cast<NativeInt>(FFilterEdit->Items()->Objects(index)));
  if (code == flcValue)
    return;
  Accept = false; // the entry's text never reaches the editor
  if (code == flcOrderAscending || code == flcOrderDescending) {
    for (Integer i = 0; i < FColumns->Count(); ++i)
      FColumns->Items(i)->Title()->SetSortMarker(smNoneEh);
    FSortMarkedColumns->Clear();
  }
  bool applyOnSelect = FStyle && FStyle->ApplyFilterOnSelect();
  switch (code) {
  case flcEmpty:
    FFilterEdit->SetText("=Null");
    break;
  case flcNotEmpty:
    FFilterEdit->SetText("<>Null");
    break;
  case flcAll:
    FFilterEdit->SetText("");
    break;
  case flcClearFilter:
    ClearFilter();
    ApplyFilterNow();
    return;
  case flcOrderAscending:
  case flcOrderDescending:
    FColumns->Items(FFilterCol)
        ->Title()
        ->SetSortMarker(code == flcOrderAscending ? smDownEh : smUpEh);
    SortMarkingChanged();
    return;
  default:
    return;
  }
  if (applyOnSelect)
    ApplyFilterNow();
}

void TCustomDBGridEh::FilterEditCloseUp(TObject*, bool Accept)
{
  if (Accept && FStyle && FStyle->ApplyFilterOnSelect())
    ApplyFilterNow();
}

// ---- The mouse ----

bool TCustomDBGridEh::FilterRowMouseDown(TMessage& Message)
{
  if (!STFilterVisible())
    return false;
  TPoint p(static_cast<SmallInt>(LOWORD(Message.LParam)),
           static_cast<SmallInt>(HIWORD(Message.LParam)));
  TGridCoord cell = MouseCoord(p.X, p.Y);
  if (!IsFilterRow(cell.X, cell.Y) || !FilterCellVisible(RawToDataColumn(cell.X))) {
    // Any other press ends filter editing.
    if (FFilterEditing)
      EndFilterEdit();
    return false;
  }
  TDestroyWatch watch(this);
  if (CanFocus() && !Focused())
    SetFocus();
  if (watch.Destroyed())
    return true;
  StartFilterEdit(RawToDataColumn(cell.X));
  FFilterMouseDownPos = p;
  FFilterMouseDownTime = static_cast<Cardinal>(GetMessageTime());
  if (Message.Msg == WM_LBUTTONDOWN && FFilterEdit && FFilterEdit->HandleAllocated() &&
      IsWindowVisible(FFilterEdit->Handle())) {
    TPoint q = FFilterEdit->ScreenToClient(ClientToScreen(p));
    SendMessage(FFilterEdit->Handle(), WM_LBUTTONDOWN, Message.WParam, MAKELPARAM(q.X, q.Y));
  }
  return true;
}
