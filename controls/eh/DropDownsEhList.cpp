// The popup list box and the recent-text list box (see DropDownsEh.h).
#include "controls/eh/DropDownsEh.h"
#include "controls/eh/DropDownsEhPrivate.h"
#include "controls/eh/EhHelpers.h"
#include "controls/eh/EhWrappers.h"
#include "platform/graphics/ImgList.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Windows.h"

namespace {

constexpr Cardinal SearchPauseMs = 2000;
constexpr Integer SearchMaxLength = 32;

} // namespace

bool DropDownFrameMessage(TWinControl* Control, TMessage& Message, TDropDownFrameEh Kind)
{
  if (Message.Msg == WM_NCCALCSIZE) {
    if (Control->Ctl3D() && Message.LParam) {
      TRect& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0];
      InflateRect(r, -2, -2);
    }
    return true;
  }
  if (Message.Msg != WM_NCPAINT)
    return false;
  if (!Control->Ctl3D() || !Control->HandleAllocated())
    return true;
  HWND wnd = Control->Handle();
  HDC dc = GetWindowDC(wnd);
  if (TCanvas* c = CanvasFromDC(dc)) {
    TRect window;
    GetWindowRect(wnd, window);
    TRect r(0, 0, window.Width(), window.Height());
    if (Kind == TDropDownFrameEh::DarkShadow) {
      c->Brush()->SetColor(cl3DDkShadow);
      c->FrameRect(r);
    } else
      DrawEdge(c, r, BDR_RAISEDOUTER, BF_RECT);
    InflateRect(r, -1, -1);
    DrawEdge(c, r, BDR_RAISEDINNER, BF_RECT);
  }
  ReleaseDC(wnd, dc);
  return true;
}

// ---- TPopupListboxEh ----

TPopupListboxEh::TPopupListboxEh(TComponent* AOwner) : TCustomListBox(AOwner)
{
  SetStyle(lbOwnerDrawFixed);
  FTabStop = false;
  FVisible = false;
  FSizeGrip = new TSizeGripEh(this);
  FSizeGrip->SetParent(this);
  FSizeGrip->OnParentSizeChanged =
      TNotifyEvent::Bind(this, &TPopupListboxEh::GripParentSizeChanged);
  FScrollBar = new TScrollBar(this);
  FScrollBar->SetKind(sbVertical);
  FScrollBar->SetTabStop(false);
  FScrollBar->SetVisible(false);
  FScrollBar->SetWidth(GetSystemMetrics(SM_CXVSCROLL));
  FScrollBar->SetControlStyle(FScrollBar->ControlStyle() + TControlStyle{csReplicatable});
  FScrollBar->SetParent(this);
  FScrollBar->SetNotificationHook(TWndMethod::Bind(this, &TPopupListboxEh::ScrollBarNotification));
}

TPopupListboxEh::~TPopupListboxEh()
{
  if (FImages)
    FImages->RemoveFreeNotification(this);
}

void TPopupListboxEh::CreateParams(TCreateParams& Params)
{
  TCustomListBox::CreateParams(Params);
  Params.Style &= ~DWORD(WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | WS_BORDER);
  Params.Style |= WS_POPUP | WS_CLIPCHILDREN;
  if (!Ctl3D())
    Params.Style |= WS_BORDER;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = 0;
}

void TPopupListboxEh::CreateWnd()
{
  TCustomListBox::CreateWnd();
  FSizeGrip->SnapToCorner();
  UpdateScrollBar();
}

Integer TPopupListboxEh::BorderHeight() const
{
  Integer frame = Ctl3D() ? 0 : 2 * GetSystemMetrics(SM_CYBORDER);
  return frame + 2 * BorderWidthEh();
}

Integer TPopupListboxEh::EffectiveItemHeightEh()
{
  if (ItemHeight() > 0)
    return ItemHeight();
  Canvas()->SetFont(Font());
  return std::max(1, Canvas()->TextHeight("0"));
}

void TPopupListboxEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  // Whole rows only, and never smaller than a scroll bar's width and arrow.
  Integer itemHeight = EffectiveItemHeightEh();
  Integer rows = std::max(1, (AHeight - BorderHeight()) / itemHeight);
  FRowCount = rows;
  AHeight = BorderHeight() + rows * itemHeight;
  AWidth = std::max(AWidth, GetSystemMetrics(SM_CXVSCROLL));
  AHeight = std::max(AHeight, GetSystemMetrics(SM_CYVSCROLL));
  TCustomListBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FSizeGrip)
    FSizeGrip->SnapToCorner();
}

void TPopupListboxEh::SetRowCount(Integer Value)
{
  SetHeight(std::max(Value, 1) * EffectiveItemHeightEh() + BorderHeight());
}

void TPopupListboxEh::SetImages(TCustomImageList* Value)
{
  if (Value == FImages)
    return;
  if (FImages)
    FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages)
    FImages->FreeNotification(this);
  Invalidate();
}

void TPopupListboxEh::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomListBox::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FImages)
    FImages = nullptr;
  // The grip and the bar go with the list's other children, before its window: messages the
  // window still gets then must not reach them.
  if (AComponent == FSizeGrip)
    FSizeGrip = nullptr;
  if (AComponent == FScrollBar)
    FScrollBar = nullptr;
}

void TPopupListboxEh::UseExternalItems(TStrings* Items)
{
  FExternalItems = Items;
  if (Items) {
    SetStyle(lbVirtualOwnerDraw);
    SetCount(Items->Count());
  } else {
    SetStyle(lbOwnerDrawFixed);
  }
  Invalidate();
}

AnsiString TPopupListboxEh::DoGetData(Integer Index)
{
  if (FExternalItems)
    return Index >= 0 && Index < FExternalItems->Count() ? FExternalItems->Strings(Index) : "";
  return TCustomListBox::DoGetData(Index);
}

void TPopupListboxEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_MOUSEACTIVATE:
    Message.Result = MA_NOACTIVATE;
    return;
  case WM_NCCALCSIZE:
  case WM_NCPAINT:
    TCustomListBox::Dispatch(Message);
    DropDownFrameMessage(this, Message, TDropDownFrameEh::Raised);
    return;
  case CM_GRIPMOVEEH:
    if (FSizeGrip)
      FSizeGrip->MoveTo(static_cast<TGripMoveEh>(Message.WParam & 0xFF));
    UpdateScrollBar();
    return;
  }
  TCustomListBox::Dispatch(Message);
  HideOwnBar();
  // Whatever moved the rows (keys, the selection, the wheel, new items, a resize) moves
  // the bar with them.
  if (!FScrollBarLock && FScrollBar && FSizeGrip && HandleAllocated() && ScrollBarOutdated())
    UpdateScrollBar();
}

void TPopupListboxEh::GripParentSizeChanged(TObject*)
{
  FSizeGripResized = true;
  UpdateScrollBar();
}

bool TPopupListboxEh::ScrollBarOutdated()
{
  FScrollBarLock = true;
  TRect client = ClientRect();
  std::vector<Integer> state = {Count(),
                                TopIndex(),
                                EffectiveItemHeightEh(),
                                client.Width(),
                                client.Height(),
                                static_cast<Integer>(FSizeGrip->Corner()),
                                FSizeGrip->Visible() ? 1 : 0};
  FScrollBarLock = false;
  return state != FScrollBarState;
}

void TPopupListboxEh::UpdateScrollBar()
{
  if (FScrollBarLock || !FScrollBar || !FSizeGrip)
    return;
  FScrollBarLock = true;
  TScopeExit unlock([this] { FScrollBarLock = false; });
  HideOwnBar();
  TRect client = ClientRect();
  Integer itemHeight = EffectiveItemHeightEh();
  Integer visible = std::max(1, client.Height() / itemHeight);
  Integer count = Count();
  Integer top = TopIndex();
  FScrollBarState = {count,
                     top,
                     itemHeight,
                     client.Width(),
                     client.Height(),
                     static_cast<Integer>(FSizeGrip->Corner()),
                     FSizeGrip->Visible() ? 1 : 0};
  bool gripRight = FSizeGrip->Visible() &&
                   (FSizeGrip->Corner() == gcTopRight || FSizeGrip->Corner() == gcBottomRight);
  Integer barW = FScrollBar->Width();
  Integer barTop = 0, barBottom = client.Height();
  if (gripRight && FSizeGrip->Corner() == gcBottomRight)
    barBottom -= FSizeGrip->Height();
  else if (gripRight)
    barTop += FSizeGrip->Height();
  if (count > visible) {
    FScrollBar->SetBounds(client.Width() - barW, barTop, barW, std::max(0, barBottom - barTop));
    FScrollBar->SetParams(top, 0, std::max(0, count - 1));
    FScrollBar->SetPageSize(visible);
    FScrollBar->SetVisible(true);
    FSizeGrip->SetTriangle(!gripRight);
  } else {
    FScrollBar->SetVisible(false);
    FSizeGrip->SetTriangle(true);
  }
}

void TPopupListboxEh::ScrollBarNotification(TMessage& Message)
{
  if (Message.Msg != CN_VSCROLL)
    return;
  // The bar's scrolling becomes the list's own.
  Perform(WM_VSCROLL, Message.WParam, 0);
  UpdateScrollBar();
}

// The list box shows a bar of its own whenever its range passes a page; the list uses the
// bar beside the grip instead.
void TPopupListboxEh::HideOwnBar()
{
  if (HandleAllocated() && (GetWindowLong(FHandle, GWL_STYLE) & WS_VSCROLL))
    ShowScrollBar(FHandle, SB_VERT, false);
}

void TPopupListboxEh::KeyDown(Word& Key, TShiftState Shift)
{
  if (Key == VK_BACK || Key == VK_ESCAPE)
    FSearchText.clear();
  TCustomListBox::KeyDown(Key, Shift);
}

void TPopupListboxEh::KeyPress(char& Key)
{
  unsigned char c = static_cast<unsigned char>(Key);
  if (c == VK_BACK || c == VK_ESCAPE) {
    FSearchText.clear();
    return;
  }
  if (c < 32)
    return;
  Cardinal now = GetTickCount();
  if (now - FSearchTickCount > SearchPauseMs)
    FSearchText.clear();
  FSearchTickCount = now;
  if (static_cast<Integer>(FSearchText.size()) < SearchMaxLength) {
    FSearchText += Key;
    // The first item starting with the text, from the top, in own or external items.
    for (Integer i = 0; i < Count(); ++i)
      if (CompareTextNoCase(ItemText(i).substr(0, FSearchText.size()), FSearchText) == 0) {
        SetItemIndex(i);
        break;
      }
  }
  Key = 0;
}

void TPopupListboxEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TCustomListBox::MouseMove(Shift, X, Y);
  TPoint p{X, Y};
  bool buttonDown = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
  if (p == FMousePos || buttonDown)
    return;
  FMousePos = p;
  Integer index = ItemAtPos(p, true);
  if (index >= 0 && index != ItemIndex())
    SetItemIndex(index);
}

bool TPopupListboxEh::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  SetTopIndex(std::max(0, TopIndex() + (WheelDelta > 0 ? -1 : 1)));
  UpdateScrollBar();
  return true;
}

void TPopupListboxEh::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
  if (!FImages) {
    TCustomListBox::DrawItem(Index, Rect, State);
    return;
  }
  TCanvas* c = Canvas();
  bool selected = State.Contains(odSelected);
  Integer column = FImages->Width() + 4;
  TRect imageRect(Rect.Left, Rect.Top, Rect.Left + column, Rect.Bottom);
  TRect textRect(Rect.Left + column, Rect.Top, Rect.Right, Rect.Bottom);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(imageRect);
  Integer image = Index;
  if (OnGetImageIndex)
    OnGetImageIndex(Owner(), Index, image);
  if (image >= 0 && image < FImages->Count())
    DrawImageInRect(c, imageRect, FImages, selected, image);
  c->Brush()->SetColor(selected ? clHighlight : Color());
  c->Font()->SetColor(selected ? clHighlightText : Font()->Color());
  AnsiString text = Index < Count() ? ItemText(Index) : "";
  c->ExtTextOut(Rect.Left + FImages->Width() + 5,
                Rect.Top + (Rect.Height() - c->TextHeight("0")) / 2, ETO_OPAQUE | ETO_CLIPPED,
                &textRect, text);
  if (State.Contains(odFocused))
    c->DrawFocusRect(textRect);
}

// ---- TMRUListboxEh ----

TMRUListboxEh::TMRUListboxEh(TComponent* AOwner) : TPopupListboxEh(AOwner)
{
  SetSorted(true);
}

bool TPopupListboxEh::ChooseItemAt(TPoint P)
{
  if (!PtInRect(ClientRect(), P))
    return false;
  Integer index = ItemAtPos(P, true);
  if (index >= 0)
    SetItemIndex(index);
  return true;
}
