// The combo box (TCustomComboBox/TComboBox): its edit part (TComboEdit), its list
// (TComboListBox, dropped down as a popup in one tracking loop, or shown below the edit in
// the simple style), the CB_ messages and the CBN_ notifications. StdCtrls.h describes it.
#include <algorithm>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void stdctrls::RegisterComboBoxClasses()
{
  RegisterEnumType<TComboBoxStyle>("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList",
                                                      "csOwnerDrawFixed", "csOwnerDrawVariable"});
  TClassRegistration<TCustomComboBox, TWinControl>("TCustomComboBox");
  TClassRegistration<TComboBox, TCustomComboBox>("TComboBox")
      .Property("AutoComplete", &TComboBox::AutoComplete, &TComboBox::SetAutoComplete)
      .Default(true)
      .Property("AutoDropDown", &TComboBox::AutoDropDown, &TComboBox::SetAutoDropDown)
      .Default(false)
      .Property("CharCase", &TComboBox::CharCase, &TComboBox::SetCharCase)
      .Default(ecNormal)
      .Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount)
      .Default(8)
      .Property("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight)
      .Property("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex)
      .Default(-1)
      .Property("Items", &TComboBox::Items, &TComboBox::SetItems)
      .Property("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength)
      .Default(0)
      .Property("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted)
      .Default(false)
      .Property("Style", &TComboBox::Style, &TComboBox::SetStyle)
      .Default(csDropDown)
      .Property("Text", &TComboBox::Text, &TComboBox::SetText)
      .Property("OnChange", &TComboBox::OnChange, &TComboBox::OnChange)
      .Property("OnCloseUp", &TComboBox::OnCloseUp, &TComboBox::OnCloseUp)
      .Property("OnDrawItem", &TComboBox::OnDrawItem, &TComboBox::OnDrawItem)
      .Property("OnDropDown", &TComboBox::OnDropDown, &TComboBox::OnDropDown)
      .Property("OnMeasureItem", &TComboBox::OnMeasureItem, &TComboBox::OnMeasureItem)
      .Property("OnSelect", &TComboBox::OnSelect, &TComboBox::OnSelect);
}

namespace {

constexpr Integer kButtonWidth = 17;
constexpr DWORD kSearchPause = 1000;

} // namespace

// ---- The edit part ----

// The edit of the edit styles: a borderless edit inside the combo. The combo is the control
// that has the focus as far as the form knows; its key events come first.
class TComboEdit : public TCustomEdit {
public:
  explicit TComboEdit(TCustomComboBox* Combo) : TCustomEdit(Combo), FCombo(Combo)
  {
    FTabStop = false;
    SetBorderStyle(bsNone);
    SetAutoSelect(false);
    SetParent(Combo);
  }

  void SetFocus() override { FCombo->SetFocus(); }

  void WndProc(TMessage& Message) override
  {
    switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(FCombo);
      if (form && !form->SetFocusedControl(FCombo))
        return;
      TControl::WndProc(Message);
      FCombo->NotifyParent(CBN_SETFOCUS);
      FCombo->Invalidate();
      return;
    }
    case WM_KILLFOCUS: {
      TCustomEdit::WndProc(Message);
      HWND next = static_cast<HWND>(Message.WParam);
      if (next != FCombo->FHandle) {
        if (FCombo->FDroppedDown)
          FCombo->CloseDropDown(false);
        FCombo->NotifyParent(CBN_KILLFOCUS);
      }
      FCombo->Invalidate();
      return;
    }
    }
    TCustomEdit::WndProc(Message);
  }

protected:
  void KeyDown(Word& Key, TShiftState Shift) override
  {
    TDestroyWatch watch(this);
    FCombo->KeyDown(Key, Shift);
    if (watch.Destroyed() || Key == 0)
      return;
    TCustomEdit::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override
  {
    TDestroyWatch watch(this);
    FCombo->KeyPress(Key);
    if (watch.Destroyed() || Key == 0)
      return;
    TCustomEdit::KeyPress(Key);
  }
  void Change() override { FCombo->EditChanged(); }

private:
  TCustomComboBox* FCombo;
};

// ---- The list ----

// The combo's list: a popup that the combo's tracking loop drives (the drop-down styles), or a
// child below the edit (csSimple). Its items are the combo's items.
class TComboListBox : public TCustomListBox {
public:
  explicit TComboListBox(TCustomComboBox* Combo) : TCustomListBox(Combo), FCombo(Combo)
  {
    FTabStop = false;
    FVisible = false;
  }
  bool Popup() const { return FCombo->FStyle != csSimple; }
  void SetComboStyle(TListBoxStyle Style) { SetStyle(Style); }

protected:
  void CreateParams(TCreateParams& Params) override
  {
    TCustomListBox::CreateParams(Params);
    Params.Style &= ~DWORD(WS_HSCROLL);
    if (!Popup())
      return;
    Params.Style &= ~DWORD(WS_CHILD | WS_VISIBLE);
    Params.Style |= WS_POPUP | WS_BORDER;
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = FCombo->HandleAllocated() ? GetAncestor(FCombo->Handle(), GA_ROOT) : 0;
  }
  // The popup list is driven by the combo's loop; the simple list tracks as a list does.
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override
  {
    if (Popup()) {
      TControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    TCustomListBox::MouseDown(Button, Shift, X, Y);
  }
  void CNCommand(TMessage& Message) override
  {
    switch (HIWORD(Message.WParam)) {
    case LBN_SELCHANGE:
      if (!Popup() && ItemIndex() != FCombo->FItemIndex)
        FCombo->SelectByUser(ItemIndex());
      break;
    case LBN_DBLCLK:
      FCombo->NotifyParent(CBN_DBLCLK);
      break;
    }
  }
  void RequestDrawItem(DRAWITEMSTRUCT& Item) override
  {
    Item.CtlType = ODT_COMBOBOX;
    Item.hwndItem = FCombo->Handle();
    Item.CtlID = static_cast<UINT>(GetWindowLong(Item.hwndItem, GWL_ID));
    LPARAM l = reinterpret_cast<LPARAM>(&Item);
    HWND parent = GetParent(Item.hwndItem);
    LRESULT drawn = parent ? SendMessage(parent, WM_DRAWITEM, Item.CtlID, l) : 0;
    if (!drawn && !FindControl(parent))
      FCombo->Perform(CN_DRAWITEM, Item.CtlID, l);
  }
  void MeasureItem(Integer Index, Integer& Height) override { FCombo->MeasureItem(Index, Height); }
  void Dispatch(TMessage& Message) override
  {
    // Hovering over the dropped list moves its highlight.
    if (Message.Msg == WM_MOUSEMOVE && Popup() && FCombo->FDroppedDown) {
      Integer i = ItemAtPos(MessagePoint(Message), true);
      if (i >= 0 && i != ItemIndex())
        SetItemIndex(i);
    }
    TCustomListBox::Dispatch(Message);
  }

private:
  TCustomComboBox* FCombo;
};

// ---- TCustomComboBox ----

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FList = new TComboListBox(this);
  FListProc = FList->WindowProc;
  FList->WindowProc = TWndMethod::Bind(this, &TCustomComboBox::ListWndProc);
  FEdit = new TComboEdit(this);
}

TCustomComboBox::~TCustomComboBox()
{
  if (FList)
    FList->WindowProc = FListProc;
}

// The list of the simple style is a child, which the base frees with the other children: it
// gets its own procedure back first, and the combo forgets it once it is gone.
void TCustomComboBox::BeforeDestruction()
{
  const bool childList = FList && FList->Parent() == this;
  if (FList)
    FList->WindowProc = FListProc;
  TWinControl::BeforeDestruction();
  if (childList)
    FList = nullptr;
}

TStrings* TCustomComboBox::Items() const
{
  return FList->Items();
}

void TCustomComboBox::SetItems(TStrings* Value)
{
  FList->Items()->Assign(Value);
  FItemIndex = -1;
  if (IsListStyle())
    Invalidate();
}

TCustomEdit* TCustomComboBox::EditPart() const
{
  return FEdit;
}

TCustomListBox* TCustomComboBox::DropDownList() const
{
  return FList;
}

HWND TCustomComboBox::EditHandle() const
{
  return FEdit && FEdit->HandleAllocated() ? FEdit->Handle() : 0;
}

HWND TCustomComboBox::ListHandle() const
{
  return FList && FList->HandleAllocated() ? FList->Handle() : 0;
}

bool TCustomComboBox::Focused() const
{
  HWND focus = GetFocus();
  return focus &&
         (focus == FHandle || (FEdit && FEdit->HandleAllocated() && focus == EditHandle()));
}

void TCustomComboBox::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  Params.Style |= styles[FStyle] | CBS_HASSTRINGS | WS_CLIPCHILDREN;
  if (FSorted)
    Params.Style |= CBS_SORT;
  if (FStyle != csSimple)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomComboBox::CreateWnd()
{
  TWinControl::CreateWnd();
  LayoutParts();
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value)
{
  if (Value == FStyle)
    return;
  if (FDroppedDown)
    CloseDropDown(false);
  AnsiString text = Text();
  FStyle = Value;
  static const TListBoxStyle listStyles[] = {lbStandard, lbStandard, lbStandard, lbOwnerDrawFixed,
                                             lbOwnerDrawVariable};
  static_cast<TComboListBox*>(FList)->SetComboStyle(listStyles[Value]);
  bool edit = Value == csDropDown || Value == csSimple;
  if (edit && !FEdit)
    FEdit = new TComboEdit(this);
  if (!edit && FEdit) {
    delete FEdit;
    FEdit = nullptr;
  }
  FList->SetParent(Value == csSimple ? this : nullptr);
  FList->SetVisible(Value == csSimple);
  if (FList->HandleAllocated())
    FList->RecreateWnd();
  stdctrls::RecreateKeepingFocus(this);
  LayoutParts();
  if (FEdit) {
    FSettingText = true;
    FEdit->SetText(text);
    FSettingText = false;
  }
  Invalidate();
}

void TCustomComboBox::SetItemHeight(Integer Value)
{
  if (Value == FItemHeight || Value < 1)
    return;
  FItemHeight = Value;
  FList->SetItemHeight(Value);
}

void TCustomComboBox::SetSorted(bool Value)
{
  if (Value == FSorted)
    return;
  FSorted = Value;
  AnsiString current = FItemIndex >= 0 ? Items()->Strings(FItemIndex) : AnsiString();
  FList->SetSorted(Value);
  if (FItemIndex >= 0)
    FItemIndex = Items()->IndexOf(current);
}

void TCustomComboBox::SetMaxLength(Integer Value)
{
  FMaxLength = std::max(Value, 0);
  if (FEdit)
    FEdit->SetMaxLength(FMaxLength);
}

void TCustomComboBox::SetCharCase(TEditCharCase Value)
{
  FCharCase = Value;
  if (FEdit)
    FEdit->SetCharCase(Value);
}

Integer TCustomComboBox::SelStart() const
{
  return FEdit ? FEdit->SelStart() : 0;
}
void TCustomComboBox::SetSelStart(Integer Value)
{
  if (FEdit)
    FEdit->SetSelStart(Value);
}
Integer TCustomComboBox::SelLength() const
{
  return FEdit ? FEdit->SelLength() : 0;
}
void TCustomComboBox::SetSelLength(Integer Value)
{
  if (FEdit)
    FEdit->SetSelLength(Value);
}
AnsiString TCustomComboBox::SelText() const
{
  return FEdit ? FEdit->SelText() : AnsiString();
}
void TCustomComboBox::SetSelText(const AnsiString& Value)
{
  if (FEdit)
    FEdit->SetSelText(Value);
}
void TCustomComboBox::SelectAll()
{
  if (FEdit)
    FEdit->SelectAll();
}

void TCustomComboBox::Clear()
{
  SetText("");
  Items()->Clear();
  FItemIndex = -1;
  Invalidate();
}

// ---- Text and selection ----

AnsiString TCustomComboBox::GetText() const
{
  if (FEdit)
    return FEdit->Text();
  return FItemIndex >= 0 && FItemIndex < Items()->Count() ? Items()->Strings(FItemIndex) : FText;
}

// The edit styles show the text and select an item that matches it; the list styles select
// the item that matches (or none).
void TCustomComboBox::SetTextInternal(const AnsiString& Value)
{
  Integer match = Items()->IndexOf(Value);
  if (FEdit) {
    FSettingText = true;
    FEdit->SetText(Value);
    FSettingText = false;
    FItemIndex = match;
  } else {
    FItemIndex = match;
    FText = match >= 0 ? AnsiString() : AnsiString();
  }
  FList->SetItemIndex(FItemIndex);
  Invalidate();
}

void TCustomComboBox::SetTextFromItem()
{
  if (!FEdit) {
    Invalidate();
    return;
  }
  FSettingText = true;
  FEdit->SetText(FItemIndex >= 0 ? Items()->Strings(FItemIndex) : AnsiString());
  FSettingText = false;
  if (FEdit->Focused())
    FEdit->SelectAll();
}

void TCustomComboBox::SetItemIndex(Integer Value)
{
  Value = std::clamp(Value, -1, Items()->Count() - 1);
  if (Value == FItemIndex)
    return;
  FItemIndex = Value;
  FList->SetItemIndex(Value);
  SetTextFromItem();
  Invalidate();
}

// The user picked an item: the text follows and the parent hears CBN_SELCHANGE.
void TCustomComboBox::SelectByUser(Integer Index)
{
  if (Index < 0 || Index >= Items()->Count())
    return;
  FItemIndex = Index;
  FList->SetItemIndex(Index);
  SetTextFromItem();
  Invalidate();
  NotifyParent(CBN_SELCHANGE);
}

// The user typed into the edit: an item with exactly that text becomes the selection.
void TCustomComboBox::EditChanged()
{
  if (FSettingText)
    return;
  FItemIndex = Items()->IndexOf(FEdit->Text());
  if (FDroppedDown && FItemIndex >= 0)
    FList->SetItemIndex(FItemIndex);
  NotifyParent(CBN_EDITCHANGE);
}

// ---- Notifications ----

void TCustomComboBox::NotifyParent(Word Code)
{
  stdctrls::NotifyParent(this, Code);
}

void TCustomComboBox::CNCommand(TMessage& Message)
{
  switch (HIWORD(Message.WParam)) {
  case CBN_DBLCLK:
    DblClick();
    break;
  case CBN_EDITCHANGE:
    Change();
    break;
  case CBN_DROPDOWN:
    DropDown();
    break;
  case CBN_CLOSEUP:
    CloseUp();
    break;
  case CBN_SELCHANGE: {
    TDestroyWatch watch(this);
    Click();
    if (!watch.Destroyed())
      Select();
    break;
  }
  }
}

void TCustomComboBox::Change()
{
  OnChange(this);
}

void TCustomComboBox::Select()
{
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::DropDown()
{
  OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
  OnCloseUp(this);
}

// ---- Drawing ----

void TCustomComboBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
  if (OnDrawItem && IsOwnerDraw()) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < 0 || Index >= Items()->Count())
    return;
  TRect r = Rect;
  r.Left += 2;
  FCanvas->Brush()->SetStyle(bsClear);
  FCanvas->DrawText(Items()->Strings(Index), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height)
{
  Height = FItemHeight;
  OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::CNMeasureItem(TMessage& Message)
{
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  Integer height = FItemHeight;
  MeasureItem(static_cast<Integer>(mis->itemID), height);
  mis->itemHeight = static_cast<UINT>(std::max(height, 1));
  Message.Result = 1;
}

void TCustomComboBox::CNDrawItem(TMessage& Message)
{
  const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
  TOwnerDrawState state = OwnerDrawState(dis->itemState);
  BindCanvasToDC(*FCanvas, dis->hDC);
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetStyle(bsSolid);
  FCanvas->Brush()->SetColor(FColor);
  Integer index = static_cast<Integer>(dis->itemID);
  if (index >= 0 && state.Contains(odSelected)) {
    FCanvas->Brush()->SetColor(clHighlight);
    FCanvas->Font()->SetColor(clHighlightText);
  }
  TDestroyWatch watch(this);
  if (index >= 0)
    DrawItem(index, dis->rcItem, state);
  else
    FCanvas->FillRect(dis->rcItem);
  if (watch.Destroyed())
    return;
  if (state.Contains(odFocused)) {
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->DrawFocusRect(dis->rcItem);
  }
  BindCanvasToDC(*FCanvas, 0);
  Message.Result = 1;
}

TRect TCustomComboBox::ButtonRect() const
{
  if (FStyle == csSimple)
    return TRect();
  TRect c = ClientRect();
  return Rect(c.Right - kButtonWidth, c.Top, c.Right, c.Bottom);
}

Integer TCustomComboBox::FaceHeight()
{
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont.get());
  Integer h = c->TextHeight("0");
  ReleaseDC(0, dc);
  return h + 6;
}

TRect TCustomComboBox::EditRect() const
{
  TRect c = ClientRect();
  if (FStyle == csSimple)
    return Rect(0, 0, c.Right,
                std::min(c.Bottom, const_cast<TCustomComboBox*>(this)->FaceHeight()));
  return Rect(1, 1, c.Right - kButtonWidth - 1, c.Bottom - 1);
}

void TCustomComboBox::LayoutParts()
{
  TRect edit = EditRect();
  if (FEdit) {
    FEdit->SetBorderStyle(FStyle == csSimple ? bsSingle : bsNone);
    FEdit->SetBoundsRect(edit);
  }
  if (FStyle == csSimple)
    FList->SetBoundsRect(Rect(0, edit.Bottom, ClientWidth(), ClientHeight()));
}

// The list styles show the chosen item on the face (highlighted while focused); every
// drop-down style has its button.
void TCustomComboBox::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FEnabled ? FColor : clBtnFace);
  c->FillRect(client);
  if (FStyle != csSimple) {
    TPaintState state;
    if (FDroppedDown)
      state.Include(psPushed);
    if (!FEnabled)
      state.Include(psDisabled);
    PaintArrowButton(c, ButtonRect(), adDown, state);
  }
  BindCanvasToDC(*FCanvas, 0);
  if (!IsListStyle())
    return;
  TRect face = EditRect();
  bool focused = Focused() && !FDroppedDown;
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_COMBOBOX;
  dis.CtlID = static_cast<UINT>(GetWindowLong(FHandle, GWL_ID));
  dis.itemID = static_cast<UINT>(FItemIndex);
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = ODS_COMBOBOXEDIT | (focused ? UINT(ODS_SELECTED | ODS_FOCUS) : 0u) |
                  (FEnabled ? 0u : UINT(ODS_DISABLED));
  dis.hwndItem = FHandle;
  dis.hDC = DC;
  dis.rcItem = face;
  LPARAM l = reinterpret_cast<LPARAM>(&dis);
  if (!IsOwnerDraw()) {
    Perform(CN_DRAWITEM, dis.CtlID, l);
    return;
  }
  HWND parent = GetParent(FHandle);
  LRESULT drawn = parent ? SendMessage(parent, WM_DRAWITEM, dis.CtlID, l) : 0;
  if (!drawn && !FindControl(parent))
    Perform(CN_DRAWITEM, dis.CtlID, l);
}

// ---- The drop-down ----

void TCustomComboBox::ListWndProc(TMessage& Message)
{
  ListDefaultProc(Message);
}

void TCustomComboBox::ListDefaultProc(TMessage& Message)
{
  FListProc(Message);
}

void TCustomComboBox::AdjustDropDown(TRect&) {}

void TCustomComboBox::SetDroppedDown(bool Value)
{
  if (Value == FDroppedDown)
    return;
  if (!Value) {
    CloseDropDown(false);
    return;
  }
  if (FStyle == csSimple || !HandleAllocated() || !Showing())
    return;
  TDestroyWatch watch(this);
  NotifyParent(CBN_DROPDOWN);
  if (watch.Destroyed())
    return;
  // The list is as wide as the combo (or DroppedWidth) and shows up to DropDownCount items.
  Integer count = Items()->Count();
  Integer rows = std::max(std::min(count, FDropDownCount), 1);
  Integer height = 0;
  for (Integer i = 0; i < rows; ++i)
    height += i < count ? FList->ItemRect(i).Height() : FList->ItemRect(0).Height();
  height = std::max(height, 1) + 2;
  Integer width = std::max(FDroppedWidth, FWidth);
  TPoint origin = ClientToScreen({0, 0});
  TRect anchor = Rect(origin.X - (FWidth - ClientWidth()) / 2,
                      origin.Y - (FHeight - ClientHeight()) / 2, 0, 0);
  anchor.Right = anchor.Left + FWidth;
  anchor.Bottom = anchor.Top + FHeight;
  TPoint at = PopupPosition(anchor, {width, height});
  FDroppedUp = at.Y < anchor.Top;
  TRect bounds = Bounds(at.X, at.Y, width, height);
  AdjustDropDown(bounds);
  FList->HandleNeeded();
  FList->SetBoundsRect(bounds);
  FList->SetItemIndex(FItemIndex);
  if (FItemIndex >= 0)
    FList->MakeVisible(FItemIndex);
  FDroppedDown = true;
  FDropIndex = FItemIndex;
  FCloseRequested = false;
  SetWindowPos(FList->Handle(), HWND_TOPMOST, bounds.Left, bounds.Top, bounds.Width(),
               bounds.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
  // The loop that follows the mouse and keys runs once this message is done.
  PostMessage(FHandle, CM_DROPDOWNLOOP, 0, 0);
}

void TCustomComboBox::CloseDropDown(bool Accept)
{
  if (!FDroppedDown)
    return;
  FDroppedDown = false;
  FCloseRequested = true;
  Integer chosen = FList->ItemIndex();
  if (FList->HandleAllocated())
    ShowWindow(FList->Handle(), SW_HIDE);
  Invalidate();
  TDestroyWatch watch(this);
  NotifyParent(CBN_CLOSEUP);
  if (watch.Destroyed())
    return;
  if (Accept && chosen >= 0 && chosen != FItemIndex)
    SelectByUser(chosen);
  else
    FList->SetItemIndex(FItemIndex);
}

// While the list shows: the mouse moves its highlight, a release over an item (after the
// pointer went into the list, or a press there) chooses it, a press outside closes it; Enter,
// F4 and Alt+Up accept, Esc cancels, the arrows move the choice; the wheel scrolls. Losing
// the capture to another window (a menu, another application) cancels, except to the list's
// own scroll bar, after which the loop goes on.
void TCustomComboBox::RunDropDown()
{
  if (!FDroppedDown || !FList->HandleAllocated())
    return;
  TDestroyWatch watch(this);
  HWND list = FList->Handle();
  bool intoList = false;
  bool firstRelease = GetKeyState(VK_LBUTTON) < 0;
  TTrackLoop loop;
  loop.CaptureWindow = list;
  loop.FilterCode = MSGF_USER;
  loop.Name = "the combo box's list";
  loop.Running = [&] { return !watch.Destroyed() && FDroppedDown && !FCloseRequested; };
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    bool inside = false;
    TPoint p{0, 0};
    if (IsMouseMessage(m.message)) {
      p = m.pt;
      ::ScreenToClient(list, p);
      inside = PtInRect(FList->ClientRect(), p);
    }
    switch (m.message) {
    case WM_MOUSEMOVE:
      if (inside)
        intoList = true;
      return trPass; // the list's own handling moves the highlight
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (inside) {
        intoList = true;
        Integer i = FList->ItemAtPos(p, true);
        if (i >= 0)
          FList->SetItemIndex(i);
        return trHandled;
      }
      TPoint screen = m.pt;
      TRect listRect;
      GetWindowRect(list, listRect);
      if (PtInRect(listRect, screen)) {
        // The list's scroll bar: its own tracking takes the capture for a while.
        SendMessage(list, WM_NCLBUTTONDOWN,
                    SendMessage(list, WM_NCHITTEST, 0, PointToLParam(screen)),
                    PointToLParam(screen));
        return trHandled;
      }
      CloseDropDown(false);
      return trHandled;
    }
    case WM_LBUTTONUP:
      if (inside && intoList && FList->ItemAtPos(p, true) >= 0) {
        FList->SetItemIndex(FList->ItemAtPos(p, true));
        CloseDropDown(true);
      }
      firstRelease = false;
      return trHandled;
    case WM_MOUSEWHEEL: {
      Integer notches = GET_WHEEL_DELTA_WPARAM(m.wParam) / WHEEL_DELTA;
      FList->SetTopIndex(FList->TopIndex() - notches * Mouse()->WheelScrollLines());
      return trHandled;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      Word key = static_cast<Word>(m.wParam);
      bool alt = GetKeyState(VK_MENU) < 0;
      Integer count = Items()->Count();
      Integer current = FList->ItemIndex();
      Integer page = std::max(FDropDownCount - 1, 1);
      Integer target = -2;
      switch (key) {
      case VK_ESCAPE:
        CloseDropDown(false);
        return trHandled;
      case VK_RETURN:
        CloseDropDown(true);
        return trHandled;
      case VK_F4:
        CloseDropDown(true);
        return trHandled;
      case VK_TAB:
        CloseDropDown(true);
        return trPass;
      case VK_UP:
      case VK_DOWN:
        if (alt) {
          CloseDropDown(true);
          return trHandled;
        }
        target = current + (key == VK_UP ? -1 : 1);
        break;
      case VK_PRIOR:
        target = current - page;
        break;
      case VK_NEXT:
        target = current + page;
        break;
      case VK_HOME:
      case VK_END:
        if (FEdit)
          return trPass;
        target = key == VK_HOME ? 0 : count - 1;
        break;
      case VK_LEFT:
      case VK_RIGHT:
        if (FEdit)
          return trPass;
        target = current + (key == VK_LEFT ? -1 : 1);
        break;
      default:
        return trPass;
      }
      if (count > 0) {
        target = std::clamp(current < 0 ? 0 : target, 0, count - 1);
        if (target != FItemIndex)
          SelectByUser(target);
        FList->SetItemIndex(target);
        FList->MakeVisible(target);
      }
      return trHandled;
    }
    }
    (void)firstRelease;
    return trPass;
  };
  while (!watch.Destroyed() && FDroppedDown && !FCloseRequested) {
    TTrackEnd how = TrackModal(loop);
    if (watch.Destroyed())
      return;
    // Back from the list's scroll bar: follow the mouse again.
    if (how == teCaptureLost && FDroppedDown && GetCapture() == 0 && GetKeyState(VK_LBUTTON) >= 0 &&
        IsWindowVisible(list))
      continue;
    break;
  }
  if (!watch.Destroyed() && FDroppedDown)
    CloseDropDown(false);
}

// ---- Keys and mouse ----

void TCustomComboBox::KeyDown(Word& Key, TShiftState Shift)
{
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0)
    return;
  bool alt = Shift.Contains(ssAlt);
  Integer count = Items()->Count();
  if ((Key == VK_F4 && !alt) || (alt && (Key == VK_DOWN || Key == VK_UP))) {
    SetDroppedDown(!FDroppedDown);
    Key = 0;
    return;
  }
  if (count == 0)
    return;
  Integer target = -2;
  switch (Key) {
  case VK_UP:
    target = FItemIndex - 1;
    break;
  case VK_DOWN:
    target = FItemIndex + 1;
    break;
  case VK_PRIOR:
    target = FItemIndex - std::max(FDropDownCount - 1, 1);
    break;
  case VK_NEXT:
    target = FItemIndex + std::max(FDropDownCount - 1, 1);
    break;
  case VK_HOME:
  case VK_END:
  case VK_LEFT:
  case VK_RIGHT:
    if (FEdit)
      return;
    target = Key == VK_HOME  ? 0
             : Key == VK_END ? count - 1
                             : FItemIndex + (Key == VK_LEFT ? -1 : 1);
    break;
  default:
    return;
  }
  Key = 0;
  target = std::clamp(FItemIndex < 0 ? 0 : target, 0, count - 1);
  if (target != FItemIndex)
    SelectByUser(target);
}

// In the list styles typing chooses the next item that starts with what was typed; in the
// edit styles AutoComplete fills in the rest of the first matching item, selected.
void TCustomComboBox::KeyPress(char& Key)
{
  TWinControl::KeyPress(Key);
  unsigned char ch = static_cast<unsigned char>(Key);
  if (Key == 0 || ch < 0x20 || !FAutoComplete)
    return;
  if (FAutoDropDown && !FDroppedDown)
    SetDroppedDown(true);
  // A double-byte character is looked for whole: its lead byte waits for the trail byte.
  if (FAutoLead < 0 && stdctrls::IsLead(ch)) {
    FAutoLead = ch;
    return;
  }
  AnsiString typedChar =
      FAutoLead >= 0 ? AnsiString{static_cast<char>(FAutoLead), Key} : AnsiString(1, Key);
  FAutoLead = -1;
  if (FEdit) {
    if (FEdit->SelStart() + FEdit->SelLength() != static_cast<Integer>(FEdit->Text().size()))
      return;
    AnsiString typed =
        FEdit->Text().substr(0, static_cast<std::size_t>(FEdit->SelStart())) + typedChar;
    Integer found = -1;
    for (Integer i = 0; i < Items()->Count() && found < 0; ++i)
      if (AnsiCompareText(Items()->Strings(i).substr(0, typed.size()), typed) == 0)
        found = i;
    if (found < 0)
      return;
    Key = 0;
    FItemIndex = found;
    FList->SetItemIndex(found);
    FSettingText = true;
    FEdit->SetText(Items()->Strings(found));
    FSettingText = false;
    FEdit->SetSelStart(static_cast<Integer>(typed.size()));
    FEdit->SetSelLength(static_cast<Integer>(Items()->Strings(found).size() - typed.size()));
    NotifyParent(CBN_EDITCHANGE);
    return;
  }
  DWORD now = GetTickCount();
  if (now - FSearchTime > kSearchPause)
    FSearch.clear();
  FSearchTime = now;
  bool first = FSearch.empty();
  FSearch += typedChar;
  Key = 0;
  Integer count = Items()->Count();
  Integer start = first ? FItemIndex : FItemIndex - 1;
  for (Integer step = 1; step <= count; ++step) {
    Integer i = (std::max(start, -1) + step) % count;
    const AnsiString item = Items()->Strings(i);
    if (AnsiCompareText(item.substr(0, FSearch.size()), FSearch) == 0) {
      if (i != FItemIndex)
        SelectByUser(i);
      if (FDroppedDown)
        FList->MakeVisible(i);
      return;
    }
  }
}

// A press on the button (or anywhere on a list style's face) drops the list down.
void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TWinControl::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft || FStyle == csSimple)
    return;
  if (!IsListStyle() && !PtInRect(ButtonRect(), Point(X, Y)))
    return;
  if (!Focused() && CanFocus())
    SetFocus();
  if (!watch.Destroyed())
    SetDroppedDown(!FDroppedDown);
}

bool TCustomComboBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  Integer count = Items()->Count();
  if (count == 0 || FStyle == csSimple)
    return false;
  Integer target = std::clamp(FItemIndex - WheelDelta / WHEEL_DELTA, 0, count - 1);
  if (target != FItemIndex)
    SelectByUser(target);
  return true;
}

// ---- Messages ----

void TCustomComboBox::CBMessage(TMessage& Message)
{
  Integer w = static_cast<Integer>(static_cast<NativeInt>(Message.WParam));
  const char* text = reinterpret_cast<const char*>(Message.LParam);
  Integer count = Items()->Count();
  LRESULT& r = Message.Result;
  auto valid = [&](Integer i) { return i >= 0 && i < count; };
  switch (Message.Msg) {
  case CB_ADDSTRING:
    r = FList->Perform(LB_ADDSTRING, 0, Message.LParam);
    return;
  case CB_INSERTSTRING:
    r = FList->Perform(LB_INSERTSTRING, Message.WParam, Message.LParam);
    return;
  case CB_DELETESTRING:
    if (!valid(w)) {
      r = CB_ERR;
      return;
    }
    Items()->Delete(w);
    if (FItemIndex == w)
      FItemIndex = -1;
    else if (FItemIndex > w)
      --FItemIndex;
    r = Items()->Count();
    return;
  case CB_RESETCONTENT:
    Items()->Clear();
    FItemIndex = -1;
    Invalidate();
    return;
  case CB_GETCOUNT:
    r = count;
    return;
  case CB_GETCURSEL:
    r = FItemIndex;
    return;
  case CB_SETCURSEL:
    SetItemIndex(w);
    r = valid(w) ? w : CB_ERR;
    return;
  case CB_GETLBTEXT:
    r = FList->Perform(LB_GETTEXT, Message.WParam, Message.LParam);
    return;
  case CB_GETLBTEXTLEN:
    r = FList->Perform(LB_GETTEXTLEN, Message.WParam, 0);
    return;
  case CB_GETITEMDATA:
    r = FList->Perform(LB_GETITEMDATA, Message.WParam, 0);
    return;
  case CB_SETITEMDATA:
    r = FList->Perform(LB_SETITEMDATA, Message.WParam, Message.LParam);
    return;
  case CB_FINDSTRING:
  case CB_FINDSTRINGEXACT:
    r = FList->Perform(Message.Msg == CB_FINDSTRING ? LB_FINDSTRING : LB_FINDSTRINGEXACT,
                       Message.WParam, Message.LParam);
    return;
  case CB_SELECTSTRING: {
    Integer found =
        static_cast<Integer>(FList->Perform(LB_FINDSTRING, Message.WParam, Message.LParam));
    if (found >= 0)
      SetItemIndex(found);
    r = found;
    return;
  }
  case CB_SHOWDROPDOWN:
    SetDroppedDown(w != 0);
    r = 1;
    return;
  case CB_GETDROPPEDSTATE:
    r = FDroppedDown;
    return;
  case CB_GETDROPPEDCONTROLRECT:
    if (Message.LParam) {
      TRect listRect;
      if (FList->HandleAllocated())
        GetWindowRect(FList->Handle(), listRect);
      *reinterpret_cast<TRect*>(Message.LParam) = listRect;
    }
    r = 1;
    return;
  case CB_SETITEMHEIGHT:
    if (w >= 0)
      SetItemHeight(static_cast<Integer>(Message.LParam));
    return;
  case CB_GETITEMHEIGHT:
    r = w < 0 ? EditRect().Height() : FList->ItemRect(std::max(w, 0)).Height();
    return;
  case CB_LIMITTEXT:
    SetMaxLength(w);
    r = 1;
    return;
  case CB_GETEDITSEL:
    if (FEdit)
      r = FEdit->Perform(EM_GETSEL, Message.WParam, Message.LParam);
    else
      r = CB_ERR;
    return;
  case CB_SETEDITSEL:
    if (FEdit)
      FEdit->Perform(EM_SETSEL, static_cast<SmallInt>(LOWORD(Message.LParam)),
                     static_cast<SmallInt>(HIWORD(Message.LParam)));
    r = FEdit ? 1 : CB_ERR;
    return;
  case CB_GETTOPINDEX:
    r = FList->TopIndex();
    return;
  case CB_SETTOPINDEX:
    FList->Perform(LB_SETTOPINDEX, Message.WParam, 0);
    return;
  case CB_SETDROPPEDWIDTH:
    SetDroppedWidth(w);
    r = FDroppedWidth;
    return;
  case CB_GETDROPPEDWIDTH:
    r = std::max(FDroppedWidth, FWidth);
    return;
  case CB_SETEXTENDEDUI:
  case CB_GETEXTENDEDUI:
    return;
  }
  (void)text;
}

void TCustomComboBox::Dispatch(TMessage& Message)
{
  if (Message.Msg >= CB_GETEDITSEL && Message.Msg <= CB_INITSTORAGE) {
    CBMessage(Message);
    return;
  }
  switch (Message.Msg) {
  case CN_COMMAND:
    CNCommand(Message);
    return;
  case CN_DRAWITEM:
    CNDrawItem(Message);
    return;
  case CN_MEASUREITEM:
    CNMeasureItem(Message);
    return;
  case CM_DROPDOWNLOOP:
    RunDropDown();
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  case WM_SETFOCUS:
    TWinControl::Dispatch(Message);
    // The edit part takes the focus of an edit style; entered by the keyboard, its text is
    // selected.
    if (FEdit && FEdit->HandleAllocated()) {
      ::SetFocus(FEdit->Handle());
      if (GetKeyState(VK_LBUTTON) >= 0)
        FEdit->SelectAll();
    } else {
      NotifyParent(CBN_SETFOCUS);
    }
    Invalidate();
    return;
  case WM_KILLFOCUS:
    TWinControl::Dispatch(Message);
    if (!FEdit || static_cast<HWND>(Message.WParam) != EditHandle()) {
      if (FDroppedDown)
        CloseDropDown(false);
      if (!FEdit)
        NotifyParent(CBN_KILLFOCUS);
    }
    Invalidate();
    return;
  case WM_SIZE:
    TWinControl::Dispatch(Message);
    LayoutParts();
    Invalidate();
    return;
  case WM_CANCELMODE:
    if (FDroppedDown)
      CloseDropDown(false);
    break;
  case CM_FONTCHANGED:
  case CM_COLORCHANGED:
  case CM_ENABLEDCHANGED:
    TWinControl::Dispatch(Message);
    if (Message.Msg == CM_FONTCHANGED) {
      FList->SetFont(FFont.get());
      if (FEdit)
        FEdit->SetFont(FFont.get());
    }
    if (Message.Msg == CM_ENABLEDCHANGED && FEdit)
      FEdit->SetEnabled(FEnabled);
    LayoutParts();
    Invalidate();
    return;
  }
  TWinControl::Dispatch(Message);
}
