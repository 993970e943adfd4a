// The edit box's list of recently used texts and its hosting as another control's in-place
// editor (see DBCtrlsEh.h).
#include <algorithm>

#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/EhHelpers.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Windows.h"

namespace {

const char* const SInplaceEditHolderIntfEh =
    "InplaceEditHolder have to support IInplaceEditHolderEh interface";

// The recent-text list box of an edit box: a resize through its grip goes to the edit.
class TEditMRUListboxEh : public TMRUListboxEh {
public:
  TEditMRUListboxEh(TCustomDBEditEh* Edit, std::function<void()> Resized)
      : TMRUListboxEh(Edit), FResized(std::move(Resized))
  {
  }

protected:
  void GripParentSizeChanged(TObject* Sender) override
  {
    TMRUListboxEh::GripParentSizeChanged(Sender);
    if (FResized)
      FResized();
  }

private:
  std::function<void()> FResized;
};

bool IsPartOf(TControl* Part, TWinControl* Whole)
{
  for (TControl* c = Part; c; c = c->Parent())
    if (c == Whole)
      return true;
  return false;
}

} // namespace

// ---- The recent-text list ----

TMRUListboxEh* TCustomDBEditEh::CreateMruListBox()
{
  return new TEditMRUListboxEh(this, [this] { MruListResized(); });
}

TMRUListboxEh* TCustomDBEditEh::MruListBox()
{
  if (!FMruListBox) {
    FMruListBox = CreateMruListBox();
    FMruListBox->SetCtl3D(false);
    FMruListBox->FreeNotification(this);
    FMruListBox->OnMouseUp = TMouseEvent::Bind(this, &TCustomDBEditEh::MruListMouseUp);
  }
  return FMruListBox;
}

void TCustomDBEditEh::MruItemMatches(const AnsiString& Item, bool& Accept)
{
  AnsiString text = Text();
  AnsiString head = Item.substr(0, text.size());
  Accept = FMRUList->CaseSensitive() ? head == text : CompareTextNoCase(head, text) == 0;
  if (FMRUList->OnItemFilter)
    FMRUList->OnItemFilter(FMRUList.get(), Item, Accept);
}

void TCustomDBEditEh::TextChangedByUser()
{
  AnsiString blank = IsMasked() ? FormatMaskText(EditMask(), "") : AnsiString();
  AnsiString text = EditText();
  if (FMruOpen && text == blank) {
    FMRUList->NotifyCloseUp(false);
    return;
  }
  if (FMRUList->Active() && Showing() && !FDroppedDown && text != blank)
    FMRUList->NotifyDropDown();
}

// The MRU settings' drop-down request: the matching texts, below the text (or above it),
// never taking the focus.
void TCustomDBEditEh::MruDropDown(TObject*)
{
  TMRUListboxEh* list = MruListBox();
  TDestroyWatch watch(this);
  bool complete = FMRUList->CopyMatchingTo(list->Items(), Text());
  if (watch.Destroyed())
    return;
  Integer count = list->Items()->Count();
  if (!complete || count == 0) {
    // A key press is waiting, or nothing matches: the list closes (or stays closed).
    FMRUList->NotifyCloseUp(false);
    return;
  }
  TRect format;
  SendMessage(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  TPoint topLeft = ClientToScreen(TPoint(format.Left, 0));
  TPoint bottomRight = ClientToScreen(TPoint(format.Right, ClientHeight()));
  TRect owner(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y);
  if (!FMruOpen) {
    list->SetColor(Color());
    list->Font()->Assign(Font());
    list->SetItemHeight(0);
    list->SetItemIndex(-1);
    list->SetWidth(FMRUList->ListWidth() > 0 ? FMRUList->ListWidth() : format.Width());
  }
  list->SetRowCount(std::min(count, std::max(FMRUList->Rows(), 1)));
  TPoint at = FitDropDownToScreen(owner, list, 0);
  SetWindowPos(list->Handle(), HWND_TOPMOST, at.X, at.Y, list->Width(), list->Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  list->SizeGrip()->SetGripVisible(true);
  list->UpdateScrollBar();
  list->SetSizeGripResized(false);
  FMruOpen = true;
}

void TCustomDBEditEh::MruCloseUp(TObject*, bool Accept)
{
  CloseMruList(Accept);
}

void TCustomDBEditEh::CloseMruList(bool Accept)
{
  if (!FMruOpen) {
    if (FMRUList->IsDroppedDown())
      FMRUList->NotifyCloseUp(Accept);
    return;
  }
  FMruOpen = false;
  if (FMRUList->IsDroppedDown())
    FMRUList->NotifyCloseUp(Accept); // comes back here, closed already
  TMRUListboxEh* list = FMruListBox;
  if (!list)
    return;
  if (HWND capture = GetCapture(); capture && list->HandleAllocated() &&
                                   (capture == list->Handle() || IsChild(list->Handle(), capture)))
    ReleaseCapture();
  bool listHadFocus = list->HandleAllocated() && GetFocus() == list->Handle();
  if (list->HandleAllocated())
    ShowWindow(list->Handle(), SW_HIDE);
  if (listHadFocus && CanFocus())
    SetFocus();
  if (!Accept || FReadOnlyEh || !FDataLink->StartEdit())
    return;
  Integer index = list->ItemIndex();
  if (index >= 0 && index < list->Items()->Count()) {
    AssignText(list->Items()->Strings(index));
    FDataLink->MarkModified(); // stored when the edit is left or the record posted
    SetModified(true);
  }
  if (FFocused)
    SelectAll();
}

void TCustomDBEditEh::MruListMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X,
                                     Integer Y)
{
  if (Button != mbLeft || !FMruOpen || !FMruListBox)
    return;
  FMRUList->NotifyCloseUp(FMruListBox->ChooseItemAt(TPoint(X, Y)));
}

void TCustomDBEditEh::MruListResized()
{
  if (!FMruOpen || !FMruListBox)
    return;
  FMRUList->SetRows(FMruListBox->RowCount());
  FMRUList->SetListWidth(FMruListBox->Width());
}

bool TCustomDBEditEh::IsOwnPart(TControl* Sender)
{
  return !Sender || IsPartOf(Sender, this) || (FMruListBox && IsPartOf(Sender, FMruListBox));
}

bool TCustomDBEditEh::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (FMruOpen && FMruListBox && FMruListBox->HandleAllocated()) {
    SendMessage(FMruListBox->Handle(), WM_MOUSEWHEEL,
                MAKEWPARAM(0, static_cast<Word>(static_cast<short>(WheelDelta))),
                PointToLParam(MousePos));
    return true;
  }
  return TCustomMaskEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}

// ---- In-place hosting ----

void TCustomDBEditEh::SetInplaceEditHolder(TWinControl* AInplaceEditHolder)
{
  if (AInplaceEditHolder == FHolder)
    return;
  if (FHolder)
    FHolder->RemoveFreeNotification(this);
  FHolder = nullptr;
  FHolderIntf = nullptr;
  if (!AInplaceEditHolder)
    return;
  auto* intf = dynamic_cast<IInplaceEditHolderEh*>(AInplaceEditHolder);
  if (!intf)
    throw EInvalidOperation(SInplaceEditHolderIntfEh);
  FHolder = AInplaceEditHolder;
  FHolderIntf = intf;
  FHolder->FreeNotification(this);
  ApplyReadOnlyState();
}

// The holder sees every message first. The holder, not the edit, becomes the form's
// focused control; a press right after the holder's click is a double click.
bool TCustomDBEditEh::HolderWndProc(TMessage& Message)
{
  TDestroyWatch watch(this);
  FHolderIntf->InplaceEditWndProc(this, Message);
  if (watch.Destroyed() || Message.Result != 0)
    return true;
  switch (Message.Msg) {
  case WM_SETFOCUS: {
    TCustomForm* form = GetParentForm(this);
    if (form && !form->SetFocusedControl(FHolder))
      return true;
    if (!watch.Destroyed())
      Dispatch(Message);
    return true;
  }
  case WM_LBUTTONDOWN: {
    TPoint point;
    Cardinal time = 0;
    FHolderIntf->GetMouseDownInfo(point, time);
    if (watch.Destroyed())
      return true;
    TPoint here = ClientToScreen(MessagePoint(Message));
    if (time != 0 && IsSecondClick(point, here, GetMessageTime() - time))
      Message.Msg = WM_LBUTTONDBLCLK;
    return false;
  }
  }
  return false;
}

void TCustomDBEditEh::PlaceAt(const TRect& Rect)
{
  if (!FHolder) {
    SetBoundsRect(Rect);
    return;
  }
  if (IsRectEmpty(Rect)) {
    HideInPlace();
    return;
  }
  HWND wnd = Handle();
  bool wasVisible = IsWindowVisible(wnd);
  Invalidate();
  // Open lists of the edit close: the holder is the sender.
  Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(FHolder)));
  SetWindowPos(wnd, HWND_TOP, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
               SWP_SHOWWINDOW | SWP_NOREDRAW);
  FLeft = Rect.Left;
  FTop = Rect.Top;
  FWidth = Rect.Width();
  FHeight = Rect.Height();
  if (!wasVisible)
    Invalidate();
  if (FHolder->Focused())
    ::SetFocus(wnd);
}

void TCustomDBEditEh::HideInPlace()
{
  if (!FHolder) {
    SetVisible(false);
    return;
  }
  if (!HandleAllocated() || !IsWindowVisible(FHandle))
    return;
  Invalidate();
  bool hadFocus = GetFocus() == FHandle;
  SetWindowPos(FHandle, 0, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE);
  if (hadFocus && FHolder->HandleAllocated())
    ::SetFocus(FHolder->Handle());
}

void TCustomDBEditEh::SetFocus()
{
  if (!FHolder) {
    TCustomMaskEdit::SetFocus();
    return;
  }
  if (HandleAllocated() && IsWindowVisible(FHandle))
    ::SetFocus(FHandle);
}

void TCustomDBEditEh::CMShowingChanged(TMessage& Message)
{
  // A hosted edit is shown and hidden by its holder alone.
  if (!FHolder)
    TCustomMaskEdit::CMShowingChanged(Message);
}

void TCustomDBEditEh::KeyUp(Word& Key, TShiftState Shift)
{
  if (FHolderIntf) {
    FHolderIntf->InplaceEditKeyUp(this, Key, Shift);
    if (Key == 0)
      return;
  }
  TCustomMaskEdit::KeyUp(Key, Shift);
}
