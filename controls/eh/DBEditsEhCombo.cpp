// The data-aware combo box (see DBCtrlsEh.h): items and key items, the mapping between
// shown texts and stored values, stepping, the item search as the user types, completion,
// and the drop-down list box.
#include <algorithm>

#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/EhWrappers.h"
#include "platform/graphics/ImgList.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Windows.h"

// ---- TDropDownBoxEh ----

void TDropDownBoxEh::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TDropDownBoxEh*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FAlign = source->FAlign;
  FRows = source->FRows;
  FWidth = source->FWidth;
  FSizable = source->FSizable;
}

// ---- TCustomDBComboBoxEh ----

TCustomDBComboBoxEh::TCustomDBComboBoxEh(TComponent* AOwner)
    : TCustomDBEditEh(AOwner), FItems(std::make_unique<TStringList>()),
      FKeyItems(std::make_unique<TStringList>()),
      FDropDownBox(std::make_unique<TDropDownBoxEh>(this)), FKeyValue(Null())
{
  ReplaceMainEditButton();
  FItems->OnChange = TNotifyEvent::Bind(this, &TCustomDBComboBoxEh::ItemsChanged);
  FKeyItems->OnChange = TNotifyEvent::Bind(this, &TCustomDBComboBoxEh::KeyItemsChanged);
}

TCustomDBComboBoxEh::~TCustomDBComboBoxEh()
{
  FItems->OnChange = nullptr;
  FKeyItems->OnChange = nullptr;
}

TEditButtonEh* TCustomDBComboBoxEh::CreateMainEditButton()
{
  return new TVisibleEditButtonEh(static_cast<TWinControl*>(this));
}

void TCustomDBComboBoxEh::SetImages(TCustomImageList* Value)
{
  EditImage()->SetImages(Value);
  if (Value)
    EditImage()->SetVisible(true);
}

TPopupListboxEh* TCustomDBComboBoxEh::PopupList()
{
  if (!FPopupList) {
    FPopupList = new TPopupListboxEh(this);
    FPopupList->OnMouseUp = TMouseEvent::Bind(this, &TCustomDBComboBoxEh::ListMouseUp);
    FPopupList->OnGetImageIndex =
        TListGetImageIndexEventEh::Bind(this, &TCustomDBComboBoxEh::ListGetImageIndex);
  }
  return FPopupList;
}

// ---- Items and keys ----

void TCustomDBComboBoxEh::UpdateItemCount()
{
  FKeyed = FKeyItems->Count() > 0;
  FItemCount = FKeyed ? std::min(FItems->Count(), FKeyItems->Count()) : FItems->Count();
  // The shown texts are items, not the field's text: the field's size does not limit them.
  if (FKeyed && MaxLength() > 0)
    SetMaxLength(0);
  if (FListVisible && FPopupList)
    FPopupList->SetCount(FItemCount);
  ApplyReadOnlyState();
}

void TCustomDBComboBoxEh::ItemsChanged(TObject*)
{
  UpdateItemCount();
  if (FKeyed)
    AssignValue(FKeyValue); // the key's text may have changed
  else
    FItemIndex = IndexOfText(FItems.get(), Text(), FItemCount);
  RefreshImageIndex();
}

void TCustomDBComboBoxEh::KeyItemsChanged(TObject*)
{
  bool wasKeyed = FKeyed;
  UpdateItemCount();
  if (FKeyed != wasKeyed)
    FKeyValue = Null();
  LinkDataChanged(nullptr);
}

Integer TCustomDBComboBoxEh::IndexOfText(TStrings* List, const AnsiString& Text,
                                         Integer Count) const
{
  for (Integer i = 0; i < std::min(Count, List->Count()); ++i)
    if (CompareTextNoCase(List->Strings(i), Text) == 0)
      return i;
  return -1;
}

Integer TCustomDBComboBoxEh::EnsureItems()
{
  if (FItems->Count() == 0 && OnGetItemsList)
    OnGetItemsList(this);
  return FItemCount;
}

void TCustomDBComboBoxEh::SelectItem(Integer Index, bool Force)
{
  if (Index == FItemIndex && !Force)
    return;
  Integer count = EnsureItems();
  if (Index < 0 || Index >= count) {
    FItemIndex = -1;
    FKeyValue = Null();
  } else {
    FItemIndex = Index;
    if (FKeyed)
      FKeyValue = Variant(FKeyItems->Strings(Index));
  }
  RefreshImageIndex();
  if (FListVisible && FPopupList)
    FPopupList->SetItemIndex(FItemIndex);
  TCustomDBEditEh::AssignText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : AnsiString());
}

// A choice of the user: shown now, stored like typed text when the edit is left or the
// record posted.
void TCustomDBComboBoxEh::UserChoseItem(Integer Index)
{
  SelectItem(Index, true);
  DataLink()->MarkModified();
  SetModified(true);
}

void TCustomDBComboBoxEh::SetItemIndex(Integer Value)
{
  WriteAndStore([&] { SelectItem(Value); });
}

void TCustomDBComboBoxEh::AssignText(const AnsiString& Text)
{
  if (FKeyed) {
    // Only an item's text can be shown; any other text changes nothing.
    Integer index = IndexOfText(FItems.get(), Text, FItemCount);
    if (index < 0)
      return;
    FItemIndex = index;
    FKeyValue = Variant(FKeyItems->Strings(index));
    RefreshImageIndex();
    if (FListVisible && FPopupList)
      FPopupList->SetItemIndex(index);
    TCustomDBEditEh::AssignText(FItems->Strings(index));
    return;
  }
  TCustomDBEditEh::AssignText(Text);
  FItemIndex = IndexOfText(FItems.get(), this->Text(), FItemCount);
  RefreshImageIndex();
}

void TCustomDBComboBoxEh::AssignValue(const Variant& Value)
{
  if (!FKeyed) {
    TCustomDBEditEh::AssignValue(Value);
    return;
  }
  FKeyValue = Value;
  Integer index = -1;
  if (!VarIsNull(Value) && !VarIsEmpty(Value)) {
    AnsiString key;
    try {
      key = VarIsArray(Value) ? AnsiString() : VarToStr(Value);
    } catch (const Exception&) {
    }
    index = IndexOfText(FKeyItems.get(), key, FItemCount);
  }
  FItemIndex = index;
  RefreshImageIndex();
  if (FListVisible && FPopupList)
    FPopupList->SetItemIndex(index);
  TCustomDBEditEh::AssignText(index >= 0 ? FItems->Strings(index) : AnsiString());
}

void TCustomDBComboBoxEh::ReadFieldValue(TField* Field)
{
  if (FKeyed || (EditFocused() && Field->CanModify()))
    AssignValue(Variant(Field->DataType() == ftMemo ? Field->AsString() : Field->Text()));
  else
    TCustomDBEditEh::AssignText(Field->DataType() == ftMemo ? Field->AsString()
                                                            : Field->DisplayText());
  if (!FKeyed)
    FItemIndex = IndexOfText(FItems.get(), Text(), FItemCount);
}

void TCustomDBComboBoxEh::ReadIndependentValue(const Variant& Value)
{
  if (FKeyed)
    AssignValue(Value);
  else
    TCustomDBEditEh::ReadIndependentValue(Value);
}

Variant TCustomDBComboBoxEh::ReadValue() const
{
  return FKeyed ? FKeyValue : TCustomDBEditEh::ReadValue();
}

void TCustomDBComboBoxEh::PostValue()
{
  if (FKeyed) {
    // No key stores Null (the text '' would store an empty string in a string field).
    if (VarIsNull(FKeyValue) || VarIsEmpty(FKeyValue)) {
      DataLink()->WriteVariant(Null());
      return;
    }
    AnsiString key;
    try {
      key = VarToStr(FKeyValue);
    } catch (const Exception&) {
    }
    DataLink()->WriteText(key);
  } else {
    TCustomDBEditEh::PostValue();
  }
}

bool TCustomDBComboBoxEh::AcceptsChar(char Ch)
{
  return FKeyed || TCustomDBEditEh::AcceptsChar(Ch);
}

TAlignment TCustomDBComboBoxEh::DefAlignment()
{
  return FKeyed ? taLeftJustify : TCustomDBEditEh::DefAlignment();
}

void TCustomDBComboBoxEh::ApplyReadOnlyState()
{
  TCustomDBEditEh::ApplyReadOnlyState();
  // A keyed combo box takes its text from the items only.
  if (FKeyed)
    TCustomMaskEdit::SetReadOnly(true);
}

void TCustomDBComboBoxEh::RefreshImageIndex()
{
  Integer index = FItemIndex;
  if (OnGetItemImageIndex)
    OnGetItemImageIndex(this, FItemIndex, index);
  FItemImageIndex = index;
  TCustomDBEditEh::RefreshImageIndex();
}

void TCustomDBComboBoxEh::StoreValue()
{
  if (OnNotInList && FItemIndex == -1) {
    bool recheck = false;
    OnNotInList(this, EditText(), recheck);
  }
  TCustomDBEditEh::StoreValue();
}

void TCustomDBComboBoxEh::Clear()
{
  if (FKeyed)
    SetValue(Null());
  else
    TCustomDBEditEh::Clear();
}

// ---- Stepping, searching, completing ----

void TCustomDBComboBoxEh::Step(bool Up)
{
  if (!DataLink()->StartEdit())
    return;
  Integer count = EnsureItems();
  if (count == 0)
    return;
  Integer index = FItemIndex;
  if (Up)
    index = index < 0 ? count - 1 : std::max(index - 1, 0);
  else
    index = index < 0 ? 0 : std::min(index + 1, count - 1);
  if (index == FItemIndex)
    return;
  UserChoseItem(index);
  SelectAll();
}

bool TCustomDBComboBoxEh::LocateItem(const AnsiString& Text, bool Partial)
{
  if (!DataLink()->StartEdit())
    return false;
  Integer old = FItemIndex;
  Integer count = EnsureItems();
  Integer length = static_cast<Integer>(Text.size());
  for (Integer i = 0; i < count; ++i) {
    AnsiString item = FItems->Strings(i);
    if (Partial)
      item = item.substr(0, Text.size());
    if (CompareTextNoCase(item, Text) != 0)
      continue;
    try {
      UserChoseItem(i);
    } catch (const Exception&) {
      // A failed choice keeps the previous item and is not passed on.
      try {
        SelectItem(old, true);
      } catch (const Exception&) {
      }
      return false;
    }
    // The completed part after the searched text is selected.
    Integer end = static_cast<Integer>(EditText().size());
    SetSelStart(std::min(length, end));
    SetSelLength(std::max(end - length, 0));
    return FItemIndex != old;
  }
  if (!FKeyed) {
    FItemIndex = -1;
    RefreshImageIndex();
  }
  return FItemIndex != old;
}

bool TCustomDBComboBoxEh::TypeAhead(const AnsiString& Text)
{
  if ((!Field() && !IsDataIndependent()) || !DataLink()->StartEdit())
    return false;
  AnsiString text = EditText();
  Integer length = static_cast<Integer>(text.size());
  if (Text == "\b") {
    // The searched prefix loses its last character: the selection grows backwards by one
    // (a double-byte character whole).
    Integer start = SelLength() >= length ? length : SelStart();
    Integer newStart = 0;
    if (start > 0)
      newStart = ByteType(text, start) == mbTrailByte ? start - 2 : start - 1;
    newStart = std::max(newStart, 0);
    SetSelStart(newStart);
    SetSelLength(length - newStart);
    return false;
  }
  AnsiString prefix = text.substr(0, static_cast<size_t>(std::clamp(SelStart(), 0, length))) + Text;
  EnsureItems();
  return LocateItem(prefix, true);
}

// ---- Keys ----

void TCustomDBComboBoxEh::EditKeyDown(Word& Key, TShiftState Shift)
{
  // While the list is open its keys are the list's (the buttons' shortcuts came first).
  if (FListVisible && FPopupList &&
      (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN ||
       ((Key == VK_HOME || Key == VK_END) && Shift.Contains(ssCtrl)))) {
    FPopupList->Perform(WM_KEYDOWN, Key, 0);
    Key = 0;
    return;
  }
  if (Key == VK_UP || Key == VK_DOWN) {
    bool wholeSelected = SelLength() >= static_cast<Integer>(EditText().size());
    if (!FListVisible && !ReadOnly() && (!WordWrap() || wholeSelected) && DataLink()->StartEdit())
      Step(Key == VK_UP);
    Key = 0;
    return;
  }
  if (Key == VK_DELETE && FKeyed && !ReadOnly() &&
      (IsDataIndependent() || !Field() || !Field()->Required()) && DataLink()->CanChange() &&
      DataLink()->StartEdit()) {
    AssignValue(Null());
    DataLink()->MarkModified();
    SetModified(true);
    Key = 0;
    return;
  }
  TCustomDBEditEh::EditKeyDown(Key, Shift);
}

void TCustomDBComboBoxEh::KeyPress(char& Key)
{
  FCharConsumed = false;
  if (FListVisible && (Key == '\r' || Key == VK_ESCAPE)) {
    CloseDropDown(Key == '\r');
    Key = 0;
    FCharConsumed = true;
    return;
  }
  TCustomDBEditEh::KeyPress(Key);
  unsigned char c = static_cast<unsigned char>(Key);
  if (c == 0) {
    FCharConsumed = true;
    return;
  }
  if (c == VK_BACK) {
    if (FKeyed && !ReadOnly()) {
      TypeAhead("\b");
      Key = 0;
      FCharConsumed = true;
    }
    return;
  }
  if (c < 32)
    return;
  if (DropDownBox()->AutoDrop() && !FListVisible)
    OpenDropDown();
  if (FKeyed && !ReadOnly()) {
    // The whole character: a lead byte takes its queued trail byte with it.
    AnsiString typed(1, Key);
    MSG trail;
    if (IsDBCSLeadByte(c) && HandleAllocated() &&
        PeekMessage(trail, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
      typed += static_cast<char>(trail.wParam);
    TypeAhead(typed);
    Key = 0;
    FCharConsumed = true;
  }
}

void TCustomDBComboBoxEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_CHAR: {
    char ch = static_cast<char>(Message.WParam);
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    Integer caretBefore = SelStart();
    TDestroyWatch watch(this);
    FCharConsumed = false;
    TCustomDBEditEh::Dispatch(Message);
    if (watch.Destroyed() || FCharConsumed || FKeyed || ch == '.' || ctrl ||
        (static_cast<unsigned char>(ch) < 32 && ch != '\b') || ReadOnly())
      return;
    // Completion from the items: typing at the end completes, anything else only keeps
    // the current item in line with the text.
    Integer length = static_cast<Integer>(EditText().size());
    if (SelStart() != length || SelLength() > 0 || ch == '\b') {
      if (LocateItem(Text(), false)) {
        SetSelStart(caretBefore);
        SetSelLength(static_cast<Integer>(EditText().size()) - caretBefore);
      }
    } else {
      TypeAhead("");
    }
    return;
  }
  case WM_PASTE:
    if (FKeyed) {
      if (Clipboard()->HasFormat(CF_TEXT) && !ReadOnly())
        TypeAhead(Clipboard()->AsText());
      return;
    }
    break;
  case WM_KILLFOCUS:
    if (!ComponentState().Contains(csDestroying))
      CloseDropDown(false);
    break;
  case CM_CANCELMODE:
    if (FListVisible && !IsOwnPart(reinterpret_cast<TControl*>(Message.LParam)))
      CloseDropDown(false);
    break;
  case CM_WANTSPECIALKEY:
    if (FListVisible && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
      Message.Result = 1;
      return;
    }
    break;
  }
  TCustomDBEditEh::Dispatch(Message);
}

bool TCustomDBComboBoxEh::IsOwnPart(TControl* Sender)
{
  if (TCustomDBEditEh::IsOwnPart(Sender))
    return true;
  for (TControl* c = Sender; c; c = c->Parent())
    if (c == FPopupList)
      return true;
  return false;
}

// ---- The list ----

void TCustomDBComboBoxEh::ButtonDropDown(bool Down)
{
  if (EditButton()->Style() == ebsUpDownEh) {
    if (DataLink()->StartEdit())
      Step(!Down);
    return;
  }
  TCustomDBEditEh::ButtonDropDown(Down);
}

void TCustomDBComboBoxEh::OpenDropDown()
{
  if (FListVisible)
    return;
  TCustomDBEditEh::OpenDropDown();
  TDestroyWatch watch(this);
  if (OnDropDown)
    OnDropDown(this);
  if (watch.Destroyed())
    return;
  Integer count = EnsureItems();
  TPopupListboxEh* list = PopupList();
  list->SetColor(Color());
  list->Font()->Assign(Font());
  TCustomImageList* images = EditImage()->Images();
  list->SetImages(images);
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Font());
  Integer itemHeight = probe.Canvas()->TextHeight("0");
  if (images && EditImage()->UseImageHeight() && itemHeight < images->Height() + 1)
    itemHeight = images->Height() + 1;
  list->SetItemHeight(itemHeight);
  // Only the items that can be chosen (with key items: those that have a key).
  list->UseExternalItems(FItems.get());
  list->SetCount(count);
  list->SetItemIndex(FItemIndex);
  Integer rows = std::max(DropDownBox()->Rows(), 1);
  if (count < rows)
    rows = std::max(count, 1);
  Integer width;
  if (DropDownBox()->Width() == -1) {
    Integer widest = 0;
    for (Integer i = 0; i < count; ++i)
      widest = std::max(widest, probe.Canvas()->TextWidth(FItems->Strings(i)));
    width = widest + 5 + (images ? images->Width() + 4 : 0) + 2 * list->BorderWidthEh();
    if (count > rows)
      width += GetSystemMetrics(SM_CXVSCROLL);
  } else {
    width = DropDownBox()->Width() >= 1 ? DropDownBox()->Width() : Width();
  }
  list->SetWidth(std::max(width, Width()));
  list->SetRowCount(rows);
  TPoint at = FitDropDownToControl(this, list, static_cast<Integer>(DropDownBox()->Align()));
  SetWindowPos(list->Handle(), HWND_TOPMOST, at.X, at.Y, list->Width(), list->Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  list->SizeGrip()->SetGripVisible(DropDownBox()->Sizable());
  list->UpdateScrollBar();
  list->SetSizeGripResized(false);
  FListVisible = true;
  FDroppedDown = true;
}

void TCustomDBComboBoxEh::CloseDropDown(bool Accept)
{
  if (!FListVisible)
    return;
  TPopupListboxEh* list = FPopupList;
  if (HWND capture = GetCapture(); capture && list && list->HandleAllocated() &&
                                   (capture == list->Handle() || IsChild(list->Handle(), capture)))
    ReleaseCapture();
  bool listHadFocus = list && list->HandleAllocated() && GetFocus() == list->Handle();
  if (list && list->HandleAllocated())
    ShowWindow(list->Handle(), SW_HIDE);
  if (list && list->SizeGripResized()) {
    DropDownBox()->SetRows(list->RowCount());
    DropDownBox()->SetWidth(list->Width());
  }
  if (listHadFocus && CanFocus())
    SetFocus();
  FListVisible = false;
  TCustomDBEditEh::CloseDropDown(Accept);
  FDroppedDown = false;
  TDestroyWatch watch(this);
  if (OnClosingUp)
    OnClosingUp(this, Accept);
  if (watch.Destroyed())
    return;
  if (Accept && list && !ReadOnly() && DataLink()->StartEdit()) {
    Integer index = list->ItemIndex();
    if (index >= 0 && index < FItemCount) {
      UserChoseItem(index);
      if (EditFocused())
        SelectAll();
    }
  }
  if (!watch.Destroyed() && OnCloseUp)
    OnCloseUp(this, Accept);
}

void TCustomDBComboBoxEh::ListMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X,
                                      Integer Y)
{
  if (Button != mbLeft || !FListVisible || !FPopupList)
    return;
  CloseDropDown(FPopupList->ChooseItemAt(TPoint(X, Y)));
}

void TCustomDBComboBoxEh::ListGetImageIndex(TObject*, Integer ItemIndex, Integer& ImageIndex)
{
  if (OnGetItemImageIndex)
    OnGetItemImageIndex(this, ItemIndex, ImageIndex);
}

// A drag from the main button into the open list chooses in the list: the list takes over
// the mouse at the point it entered.
void TCustomDBComboBoxEh::ButtonMouseMoved(TObject* Sender, TShiftState Shift, Integer X, Integer Y)
{
  if (!FListVisible || !FPopupList || !FPopupList->HandleAllocated() || !Shift.Contains(ssLeft))
    return;
  auto* control = static_cast<TControl*>(Sender);
  TPoint p = FPopupList->ScreenToClient(control->ClientToScreen(TPoint(X, Y)));
  if (!PtInRect(FPopupList->ClientRect(), p))
    return;
  control->Perform(CM_CANCELMODE, 0, 0);
  ReleaseCapture();
  SendMessage(FPopupList->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(p));
}

// ---- Mouse ----

void TCustomDBComboBoxEh::WndProc(TMessage& Message)
{
  if (FKeyed && HandleAllocated()) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP: {
      TPoint p = MessagePoint(Message);
      bool overText = !PtInRect(ButtonsRect(), p) && !PtInRect(ImageRect(), p);
      if (!overText) {
        TCustomDBEditEh::WndProc(Message);
        return;
      }
      // The text part of a keyed combo box is one big button: a press opens the list, a
      // click while it is open (not opened by this press) closes it.
      if (Message.Msg == WM_LBUTTONDOWN) {
        TDestroyWatch watch(this);
        if (CanFocus() && !Focused())
          SetFocus();
        if (watch.Destroyed())
          return;
        if (ButtonsActive() && !FListVisible) {
          FDroppedByThisClick = true;
          OpenDropDown();
        }
        if (!watch.Destroyed() && HandleAllocated())
          SetCapture(Handle());
      } else if (Message.Msg == WM_LBUTTONUP) {
        if (GetCapture() == Handle())
          ReleaseCapture();
        if (FListVisible && FPopupList) {
          TPoint inList = FPopupList->ScreenToClient(ClientToScreen(p));
          if (PtInRect(FPopupList->ClientRect(), inList)) {
            // Dragged from the text into the list: the row under the pointer is taken.
            Integer index = FPopupList->ItemAtPos(inList, true);
            if (index >= 0)
              FPopupList->SetItemIndex(index);
            CloseDropDown(true);
          } else if (!FDroppedByThisClick && PtInRect(ClientRect(), p)) {
            CloseDropDown(false);
          }
        }
        FDroppedByThisClick = false;
      } else if (Message.Msg == WM_RBUTTONUP) {
        TPoint screen = ClientToScreen(p);
        SendMessage(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()),
                    PointToLParam(screen));
      }
      return;
    }
    case WM_MOUSEMOVE:
      if (FListVisible && FPopupList && GetCapture() == Handle()) {
        TPoint inList = FPopupList->ScreenToClient(ClientToScreen(MessagePoint(Message)));
        if (PtInRect(FPopupList->ClientRect(), inList)) {
          Integer index = FPopupList->ItemAtPos(inList, true);
          if (index >= 0)
            FPopupList->SetItemIndex(index);
        }
        return;
      }
      break;
    case WM_SETCURSOR:
      ::SetCursor(Screen()->Cursors(crArrow));
      Message.Result = 1;
      return;
    }
  }
  TCustomDBEditEh::WndProc(Message);
}

bool TCustomDBComboBoxEh::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (FListVisible && FPopupList && FPopupList->HandleAllocated()) {
    SendMessage(FPopupList->Handle(), WM_MOUSEWHEEL,
                MAKEWPARAM(0, static_cast<Word>(static_cast<short>(WheelDelta))),
                PointToLParam(MousePos));
    return true;
  }
  if (TCustomDBEditEh::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  if (!Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) &&
      !ReadOnly() && DataLink()->StartEdit()) {
    Step(WheelDelta > 0);
    return true;
  }
  return false;
}
