// The grid's cell editor: the base in-place edit with room for the cell's edit button, the
// pick-list drop-down of pick-list and key-list columns and the drop-down data grid of lookup
// columns (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/DBLookupGridsEh.h"
#include "controls/eh/DropDownsEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/VirtualKeys.h"

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {}

TDBGridInplaceEdit::~TDBGridInplaceEdit()
{
  delete FPickList;
  delete FDataList;
}

TCustomDBGridEh* TDBGridInplaceEdit::DBGrid() const
{
  return dynamic_cast<TCustomDBGridEh*>(Grid());
}

void TDBGridInplaceEdit::UpdateContents()
{
  CloseDropDown(false);
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  FEditStyle = c ? c->ColumnEditStyle() : cesPlain;
  FButtonWidth = FEditStyle == cesPlain || !g ? 0 : g->EditButtonWidth();
  TInplaceEdit::UpdateContents();
}

void TDBGridInplaceEdit::UpdateLoc(const TRect& Loc)
{
  // The edit leaves the cell's right end to the button the grid draws there.
  TRect r = Loc;
  r.Right = std::max(r.Left + 1, r.Right - FButtonWidth);
  TInplaceEdit::UpdateLoc(r);
}

TStrings* TDBGridInplaceEdit::ListItems(TColumnEh* Column, Integer& Count) const
{
  TStrings* pick = Column->PickList();
  Count = pick->Count();
  // A key list offers only the texts that have a key.
  if (Column->HasKeyList())
    Count = std::min(Count, Column->KeyList()->Count());
  return pick;
}

void TDBGridInplaceEdit::OpenDropDown()
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (c && FEditStyle == cesDataList) {
    OpenDataList(c);
    return;
  }
  if (!c || FListVisible || (FEditStyle != cesPickList && !c->HasKeyList()))
    return;
  Integer count = 0;
  TStrings* items = ListItems(c, count);
  if (!FPickList) {
    FPickList = new TPopupListboxEh(nullptr);
    FPickList->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X,
                                  Integer Y) {
      if (Button != mbLeft)
        return;
      Integer index = FPickList->ItemAtPos({X, Y}, true);
      if (index >= 0)
        FPickList->SetItemIndex(index);
      CloseDropDown(index >= 0);
    };
  }
  FPickList->Font()->Assign(Font());
  FPickList->Items()->Clear();
  for (Integer i = 0; i < count; ++i)
    FPickList->Items()->Add(items->Strings(i));
  Integer index = -1;
  for (Integer i = 0; i < count; ++i)
    if (AnsiSameText(items->Strings(i), Text()))
      index = i;
  FPickList->SetItemIndex(index);
  TRect cell = CellRect();
  Integer width = c->DropDownWidth() > 0 ? c->DropDownWidth() : cell.Width();
  FPickList->SetWidth(width);
  FPickList->SetRowCount(std::clamp<Integer>(count, 1, static_cast<Integer>(c->DropDownRows())));
  TPoint at = FitDropDownToControl(this, FPickList, 0);
  SetWindowPos(FPickList->Handle(), HWND_TOPMOST, at.X, at.Y, FPickList->Width(),
               FPickList->Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FListVisible = true;
}

void TDBGridInplaceEdit::OpenDataList(TColumnEh* Column)
{
  TCustomDBGridEh* g = DBGrid();
  TField* f = Column->Field();
  if (FDataListVisible || !g || !f || f->FieldKind() != fkLookup)
    return;
  TDataSet* list = f->LookupDataSet();
  if (!list || !list->Active())
    return;
  if (!FDataList) {
    FDataList = new TPopupDataGridEh(nullptr);
    FDataList->OnMouseCloseUp = [this](TObject*, bool Accept) { CloseDropDown(Accept); };
    FLookupSource = std::make_unique<TDataSource>();
  }
  FDataList->SetColor(Color());
  FDataList->Font()->Assign(Font());
  // A short sequenced list shows all its records and no empty rows.
  Integer rows = static_cast<Integer>(Column->DropDownRows());
  if (list->IsSequenced() && list->RecordCount() >= 1 && list->RecordCount() < rows)
    rows = list->RecordCount();
  FDataList->SetShowTitles(Column->DropDownShowTitles());
  FDataList->SetAutoFitColWidths(false);
  FLookupSource->SetDataSet(list);
  FDataList->SetListSource(FLookupSource.get());
  FDataList->SetListFieldIndex(0);
  AnsiString display = Column->LookupDisplayFields();
  FDataList->SetListField(display.empty() ? f->LookupResultField() : display);
  FDataList->SetKeyField(f->LookupKeyFields());
  HWND window = FDataList->Handle();
  FDataList->SetListRowCount(rows);
  Integer width = Column->DropDownWidth();
  if (width == -1)
    width = FDataList->TotalColumnsWidth() + FDataList->Width() - FDataList->ClientWidth();
  else if (width <= 0)
    width = Width();
  FDataList->SetWidth(std::max(width, Width()));
  FDataList->SetKeyValue(g->EditValue());
  TPoint at = FitDropDownToControl(this, FDataList, 0);
  FDataList->SetSizeGripResized(false);
  SetWindowPos(window, HWND_TOPMOST, at.X, at.Y, FDataList->Width(), FDataList->Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FDataListVisible = true;
}

void TDBGridInplaceEdit::CloseDataList(bool Accept)
{
  FDataListVisible = false;
  ShowWindow(FDataList->Handle(), SW_HIDE);
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c)
    return;
  // A size the user gave the list is kept for the next opening.
  if (FDataList->SizeGripResized()) {
    c->SetDropDownRows(static_cast<Cardinal>(FDataList->ListRowCount()));
    c->SetDropDownWidth(FDataList->Width());
  }
  if (!Accept) {
    // The text the keys showed while the list was open goes back to the cell's.
    SetText(g->EditText());
    SelectAll();
    return;
  }
  if (!g->PrepareCellEdit())
    return;
  AnsiString text = FDataList->Text();
  SetText(text);
  SelectAll();
  g->SetEditValue(FDataList->KeyValue());
  g->SetEditText(g->Col(), g->Row(), text);
  g->DataLink()->MarkModified();
}

void TDBGridInplaceEdit::CloseDropDown(bool Accept)
{
  if (FDataListVisible) {
    CloseDataList(Accept);
    return;
  }
  if (!FListVisible)
    return;
  FListVisible = false;
  ShowWindow(FPickList->Handle(), SW_HIDE);
  TCustomDBGridEh* g = DBGrid();
  Integer index = FPickList->ItemIndex();
  if (!Accept || index < 0 || !g)
    return;
  TColumnEh* c = g->CurrentColumn();
  if (!c || !g->PrepareCellEdit())
    return;
  AnsiString text = FPickList->Items()->Strings(index);
  SetText(text);
  SelectAll();
  if (c->HasKeyList() && index < c->KeyList()->Count())
    g->SetEditValue(Variant(c->KeyList()->Strings(index)));
  g->SetEditText(g->Col(), g->Row(), text);
  g->DataLink()->MarkModified();
}

void TDBGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
  bool alt = Shift.Contains(ssAlt);
  if ((Key == VK_DOWN && alt) || (Key == VK_F4 && Shift.Empty())) {
    FListVisible || FDataListVisible ? CloseDropDown(true) : OpenDropDown();
    Key = 0;
    return;
  }
  if (FEditStyle == cesDataList && Shift.Empty() && (Key == VK_BACK || Key == VK_DELETE)) {
    TCustomDBGridEh* g = DBGrid();
    TColumnEh* c = g ? g->CurrentColumn() : nullptr;
    if (c && c->CanEditValue(false)) {
      // The whole text deleted clears the key; otherwise a lookup cell holds only list
      // texts, so Backspace just moves left and Delete does nothing.
      if (Key == VK_DELETE && SelStart() == 0 && SelLength() == Length(Text()) &&
          c->CanEditValue(true) && g->PrepareCellEdit()) {
        SetText(AnsiString());
        g->SetEditValue(Null());
        g->SetEditText(g->Col(), g->Row(), AnsiString());
        DataListFollows(Null());
        Key = 0;
        return;
      }
      if (Key == VK_BACK)
        Key = VK_LEFT;
      else {
        Key = 0;
        return;
      }
    }
  }
  if (FDataListVisible) {
    bool ctrl = Shift.Contains(ssCtrl);
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END: {
      if ((Key == VK_HOME || Key == VK_END) && !ctrl)
        break;
      // The list moves its choice; the editor shows the chosen text.
      Word listKey = Key;
      FDataList->HandleOwnerKey(listKey, TShiftState{});
      SetText(FDataList->Text());
      SelectAll();
      Key = 0;
      return;
    }
    case VK_RETURN:
      CloseDropDown(true);
      Key = 0;
      return;
    case VK_ESCAPE:
      CloseDropDown(false);
      Key = 0;
      return;
    }
  }
  if (FListVisible) {
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      Integer n = FPickList->Items()->Count();
      Integer step = Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : Key == VK_PRIOR ? -7 : 7;
      FPickList->SetItemIndex(std::clamp<Integer>(FPickList->ItemIndex() + step, 0, n - 1));
      Key = 0;
      return;
    }
    case VK_RETURN:
      CloseDropDown(true);
      Key = 0;
      return;
    case VK_ESCAPE:
      CloseDropDown(false);
      Key = 0;
      return;
    }
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TDBGridInplaceEdit::DataListFollows(const Variant& Key)
{
  if (FDataListVisible)
    FDataList->SetKeyValue(Key);
}

bool TDBGridInplaceEdit::AcceptDataListText(const AnsiString& Typed)
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  TField* f = c ? c->Field() : nullptr;
  TDataSet* list = f && f->FieldKind() == fkLookup ? f->LookupDataSet() : nullptr;
  if (!list || !list->Active() || !c->CanEditValue(false) || !g->PrepareCellEdit())
    return false;
  if (Typed == "\b")
    return true; // Backspace already acted as a key (see KeyDown)
  AnsiString prefix = Text().substr(0, static_cast<std::size_t>(SelStart())) + Typed;
  bool found = false;
  try {
    found =
        list->Locate(f->LookupResultField(), Variant(prefix), {loCaseInsensitive, loPartialKey});
  } catch (Exception&) {
    found = false; // a list that cannot search finds nothing
  }
  if (found) {
    // The record's text, its untyped rest selected for the next character to replace.
    AnsiString text = list->FieldByName(f->LookupResultField())->AsString();
    Variant key = list->FieldValues(f->LookupKeyFields());
    SetText(text);
    SetSelStart(Length(prefix));
    SetSelLength(std::max<Integer>(Length(text) - Length(prefix), 0));
    g->SetEditValue(key);
    g->SetEditText(g->Col(), g->Row(), text);
    DataListFollows(key);
    return true;
  }
  if (!c->OnNotInList)
    return true; // text no record begins is not typed
  SetText(prefix);
  SetSelStart(Length(prefix));
  g->SetEditValue(Null());
  g->SetEditText(g->Col(), g->Row(), prefix);
  DataListFollows(Null());
  return true;
}

void TDBGridInplaceEdit::KeyPress(char& Key)
{
  if (FEditStyle != cesDataList) {
    TInplaceEdit::KeyPress(Key);
    return;
  }
  unsigned char c = static_cast<unsigned char>(Key);
  if (c < 32 && c != VK_BACK) {
    TInplaceEdit::KeyPress(Key);
    return;
  }
  // A double-byte character is typed whole: its trail byte is the next character message.
  AnsiString typed(1, Key);
  MSG next;
  if (c >= 0x81 && HandleAllocated() && PeekMessage(next, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
    typed += static_cast<char>(next.wParam);
  if (AcceptDataListText(typed)) {
    Key = 0;
    return;
  }
  TInplaceEdit::KeyPress(Key);
}

void TDBGridInplaceEdit::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_KILLFOCUS)
    CloseDropDown(false);
  TInplaceEdit::Dispatch(Message);
}

TInplaceEdit* TCustomDBGridEh::CreateEditor()
{
  auto* editor = new TDBGridInplaceEdit(this);
  editor->SetGrid(this);
  return editor;
}

TDBGridInplaceEdit* TCustomDBGridEh::CellEditor() const
{
  return dynamic_cast<TDBGridInplaceEdit*>(InplaceEditor());
}
