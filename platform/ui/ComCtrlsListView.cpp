// The list view (TListView) with its items: icon cells that wrap at the client's width or
// rows of small icons, one selected item, keys, mouse and scrolling. ComCtrls.h
// describes it.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"

void comctrls::RegisterListViewClasses()
{
  RegisterEnumType<TViewStyle>("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  RegisterEventType<TLVSelectItemEvent>("TLVSelectItemEvent");
  TClassRegistration<TListView, TWinControl>("TListView")
      .Property("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle)
      .Default(vsIcon)
      .Property("OnSelectItem", &TListView::OnSelectItem, &TListView::OnSelectItem);
}

// ---- Items ----

void TListItem::SetCaption(const AnsiString& Value)
{
  FCaption = Value;
  FOwner->Changed();
}

void TListItem::SetImageIndex(Integer Value)
{
  FImageIndex = Value;
  FOwner->Changed();
}

Integer TListItem::Index() const
{
  auto& items = FOwner->FItems;
  return static_cast<Integer>(std::find(items.begin(), items.end(), this) - items.begin());
}

bool TListItem::Selected() const
{
  return FOwner->Owner() && FOwner->Owner()->Selected() == this;
}

void TListItem::SetSelected(bool Value)
{
  TCustomListView* view = FOwner->Owner();
  if (!view)
    return;
  if (Value)
    view->SetSelected(this);
  else if (view->Selected() == this)
    view->SetSelected(nullptr);
}

void TListItem::Delete()
{
  FOwner->Delete(Index());
}

TListItems::~TListItems()
{
  for (TListItem* i : FItems)
    delete i;
}

TListItem* TListItems::Add()
{
  FItems.push_back(new TListItem(this));
  Changed();
  return FItems.back();
}

TListItem* TListItems::Item(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[Index];
}

void TListItems::Delete(Integer Index)
{
  TListItem* item = Item(Index);
  if (FOwner)
    FOwner->ItemDeleting(item);
  FItems.erase(FItems.begin() + Index);
  delete item;
  Changed();
}

void TListItems::Clear()
{
  BeginUpdate();
  while (!FItems.empty())
    Delete(Count() - 1);
  EndUpdate();
}

void TListItems::EndUpdate()
{
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    Changed();
}

void TListItems::Changed()
{
  if (FUpdateCount == 0 && FOwner)
    FOwner->ItemsChanged();
}

// ---- TCustomListView ----

TCustomListView::TCustomListView(TComponent* AOwner)
    : TCustomControl(AOwner), FItems(std::make_unique<TListItems>(this))
{
  FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csClickEvents};
  FWidth = 250;
  FHeight = 150;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
}

TCustomListView::~TCustomListView()
{
  FSelected = nullptr;
  FItems.reset();
}

void TCustomListView::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_VSCROLL;
  if (FBorderStyle == bsSingle)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FLargeImages)
      FLargeImages = nullptr;
    if (AComponent == FSmallImages)
      FSmallImages = nullptr;
  }
}

void TCustomListView::SetLargeImages(TCustomImageList* Value)
{
  FLargeImages = Value;
  if (Value)
    Value->FreeNotification(this);
  ItemsChanged();
}

void TCustomListView::SetSmallImages(TCustomImageList* Value)
{
  FSmallImages = Value;
  if (Value)
    Value->FreeNotification(this);
  ItemsChanged();
}

void TCustomListView::SetViewStyle(TViewStyle Value)
{
  FViewStyle = Value;
  ItemsChanged();
}

void TCustomListView::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  if (HandleAllocated())
    RecreateWnd();
}

TSize TCustomListView::CellSize()
{
  Canvas()->SetFont(Font());
  Integer text = Canvas()->TextHeight("国");
  if (FViewStyle == vsIcon) {
    Integer image = FLargeImages ? FLargeImages->Height() : 32;
    Integer w = std::max<Integer>(75, (FLargeImages ? FLargeImages->Width() : 32) + 16);
    return {w, image + text + 14};
  }
  Integer image = FSmallImages ? FSmallImages->Height() : 0;
  return {std::max<Integer>(ClientWidth(), 1), std::max<Integer>(image, text) + 4};
}

Integer TCustomListView::Columns()
{
  if (FViewStyle != vsIcon)
    return 1;
  return std::max<Integer>(ClientWidth() / CellSize().cx, 1);
}

Integer TCustomListView::ContentHeight()
{
  Integer cols = Columns();
  return (FItems->Count() + cols - 1) / cols * CellSize().cy;
}

TRect TCustomListView::ItemRect(Integer Index)
{
  TSize cell = CellSize();
  Integer cols = Columns();
  Integer x = Index % cols * cell.cx, y = Index / cols * cell.cy - FScrollY;
  return TRect(x, y, x + cell.cx, y + cell.cy);
}

TListItem* TCustomListView::GetItemAt(Integer X, Integer Y)
{
  TSize cell = CellSize();
  Integer col = X / cell.cx, row = (Y + FScrollY) / cell.cy;
  if (X < 0 || Y < 0 || col >= Columns())
    return nullptr;
  Integer index = row * Columns() + col;
  return index < FItems->Count() ? FItems->Item(index) : nullptr;
}

void TCustomListView::ItemsChanged()
{
  if (!HandleAllocated())
    return;
  FScrollY =
      std::clamp<Integer>(FScrollY, 0, std::max<Integer>(ContentHeight() - ClientHeight(), 0));
  UpdateScrollBars();
  Invalidate();
}

void TCustomListView::ItemDeleting(TListItem* Item)
{
  if (Item != FSelected)
    return;
  FSelected = nullptr;
  if (OnSelectItem)
    OnSelectItem(this, Item, false);
}

void TCustomListView::SetSelected(TListItem* Value)
{
  if (Value == FSelected)
    return;
  TDestroyWatch watch(this);
  TListItem* old = FSelected;
  FSelected = Value;
  Invalidate();
  if (old && OnSelectItem)
    OnSelectItem(this, old, false);
  if (watch.Destroyed() || !Value || FSelected != Value)
    return;
  // Brought into view.
  TRect r = ItemRect(Value->Index());
  if (r.Top < 0)
    ScrollTo(FScrollY + r.Top);
  else if (r.Bottom > ClientHeight())
    ScrollTo(FScrollY + r.Bottom - ClientHeight());
  if (OnSelectItem)
    OnSelectItem(this, Value, true);
}

void TCustomListView::SetItemIndex(Integer Value)
{
  SetSelected(Value >= 0 && Value < FItems->Count() ? FItems->Item(Value) : nullptr);
}

void TCustomListView::ScrollTo(Integer Y)
{
  Y = std::clamp<Integer>(Y, 0, std::max<Integer>(ContentHeight() - ClientHeight(), 0));
  if (Y == FScrollY)
    return;
  FScrollY = Y;
  UpdateScrollBars();
  Invalidate();
}

void TCustomListView::UpdateScrollBars()
{
  if (!HandleAllocated())
    return;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = std::max<Integer>(ContentHeight() - 1, 0);
  si.nPage = static_cast<UINT>(std::max<Integer>(ClientHeight(), 1));
  si.nPos = FScrollY;
  SetScrollInfo(Handle(), SB_VERT, si, true);
}

void TCustomListView::Paint()
{
  TCanvas* c = Canvas();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(ClientRect());
  bool focused = Focused();
  Integer textH = c->TextHeight("国");
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TRect cell = ItemRect(i);
    if (cell.Bottom <= 0 || cell.Top >= ClientHeight())
      continue;
    TListItem* item = FItems->Item(i);
    bool selected = item == FSelected;
    AnsiString caption = item->Caption();
    Integer w = c->TextWidth(caption);
    TRect text;
    if (FViewStyle == vsIcon) {
      Integer iw = FLargeImages ? FLargeImages->Width() : 32;
      Integer ih = FLargeImages ? FLargeImages->Height() : 32;
      if (FLargeImages && item->ImageIndex() >= 0 && item->ImageIndex() < FLargeImages->Count())
        FLargeImages->Draw(c, cell.Left + (cell.Width() - iw) / 2, cell.Top + 4, item->ImageIndex(),
                           FEnabled);
      Integer tw = std::min<Integer>(w + 4, cell.Width() - 2);
      Integer left = cell.Left + (cell.Width() - tw) / 2;
      text = TRect(left, cell.Top + ih + 8, left + tw, cell.Top + ih + 8 + textH + 2);
    } else {
      Integer x = cell.Left + 2;
      if (FSmallImages) {
        if (item->ImageIndex() >= 0 && item->ImageIndex() < FSmallImages->Count())
          FSmallImages->Draw(c, x, cell.Top + 2, item->ImageIndex(), FEnabled);
        x += FSmallImages->Width() + 4;
      }
      text = TRect(x, cell.Top + 1, x + w + 4, cell.Bottom - 1);
    }
    if (selected) {
      c->Brush()->SetColor(focused ? clHighlight : clBtnFace);
      c->FillRect(text);
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(!FEnabled             ? clGrayText
                        : selected && focused ? clHighlightText
                                              : Font()->Color());
    c->TextRect(text, text.Left + 2, text.Top + 1, caption);
    c->Brush()->SetStyle(bsSolid);
    if (selected && focused) {
      c->Brush()->SetColor(FColor);
      c->DrawFocusRect(text);
    }
  }
}

void TCustomListView::KeyDown(Word& Key, TShiftState Shift)
{
  TDestroyWatch watch(this);
  TCustomControl::KeyDown(Key, Shift);
  if (watch.Destroyed() || Key == 0 || FItems->Count() == 0)
    return;
  Integer i = ItemIndex(), cols = Columns(), last = FItems->Count() - 1;
  Integer target = i;
  switch (Key) {
  case VK_LEFT:
    target = i < 0 ? 0 : i - 1;
    break;
  case VK_RIGHT:
    target = i + 1;
    break;
  case VK_UP:
    target = i < 0 ? 0 : i - cols;
    break;
  case VK_DOWN:
    target = i < 0 ? 0 : i + cols;
    break;
  case VK_HOME:
    target = 0;
    break;
  case VK_END:
    target = last;
    break;
  default:
    return;
  }
  Key = 0;
  SetItemIndex(std::clamp<Integer>(target, 0, last));
}

void TCustomListView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (!Focused() && CanFocus()) {
    SetFocus();
    if (watch.Destroyed())
      return;
  }
  if (Button == mbLeft || Button == mbRight) {
    TListItem* item = GetItemAt(X, Y);
    // A click on empty space keeps the selection (right click included).
    if (item)
      SetSelected(item);
    if (watch.Destroyed())
      return;
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

bool TCustomListView::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  ScrollTo(FScrollY - WheelDelta / 120 * CellSize().cy);
  return true;
}

void TCustomListView::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS;
    return;
  case WM_VSCROLL:
    if (Message.LParam == 0) {
      Integer line = CellSize().cy, page = std::max<Integer>(ClientHeight() - line, line);
      switch (LOWORD(Message.WParam)) {
      case SB_LINEUP:
        ScrollTo(FScrollY - line);
        break;
      case SB_LINEDOWN:
        ScrollTo(FScrollY + line);
        break;
      case SB_PAGEUP:
        ScrollTo(FScrollY - page);
        break;
      case SB_PAGEDOWN:
        ScrollTo(FScrollY + page);
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), SB_VERT, si);
        ScrollTo(si.nTrackPos);
        break;
      }
      }
      return;
    }
    break;
  case WM_SIZE:
    TCustomControl::Dispatch(Message);
    ItemsChanged();
    return;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    Invalidate();
    break;
  }
  TCustomControl::Dispatch(Message);
}
