// Popup windows, the open-popup list and the popup hooks (see cxPopups.h).
#include "controls/cx/base/cxPopups.h"

#include <algorithm>
#include <map>

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"

namespace {

std::vector<TcxCustomPopupWindow*>* OpenedPopups = nullptr;
bool PopupOperation = false;
bool ClosingFromMouseHook = false;
HHOOK CallWndProcHook = 0;
HHOOK GetMessageHook = 0;
HHOOK MouseHook = 0;

std::vector<TcxCustomPopupWindow*>& Opened()
{
  static std::vector<TcxCustomPopupWindow*> none;
  return OpenedPopups ? *OpenedPopups : none;
}

bool InList(TcxCustomPopupWindow* APopup)
{
  auto& list = Opened();
  return std::find(list.begin(), list.end(), APopup) != list.end();
}

void RemoveFromList(TcxCustomPopupWindow* APopup)
{
  if (OpenedPopups)
    std::erase(*OpenedPopups, APopup);
}

bool Destroying(TComponent* AComponent)
{
  return !AComponent || AComponent->ComponentState().Contains(csDestroying);
}

HWND OwnerFormWindow(TcxCustomPopupWindow* APopup)
{
  TCustomForm* form = APopup->OwnerControl() ? GetParentForm(APopup->OwnerControl()) : nullptr;
  return form && form->HandleAllocated() ? form->Handle() : 0;
}

bool FormIsTopMost(TCustomForm* AForm)
{
  return AForm && AForm->HandleAllocated() &&
         (GetWindowLong(AForm->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

// One-message swallowing: the previous procedure of each window being swallowed.
std::map<HWND, LONG_PTR>& Swallowed()
{
  static std::map<HWND, LONG_PTR> procs;
  return procs;
}

LRESULT SwallowProc(HWND hwnd, UINT, WPARAM, LPARAM)
{
  auto it = Swallowed().find(hwnd);
  if (it != Swallowed().end()) {
    SetWindowLong(hwnd, GWL_WNDPROC, it->second);
    Swallowed().erase(it);
  }
  return 1;
}

} // namespace

Integer cxOpenedPopupCount()
{
  return static_cast<Integer>(Opened().size());
}

TcxCustomPopupWindow* cxOpenedPopup(Integer AIndex)
{
  return Opened()[AIndex];
}

void SwallowNextMessage(HWND AWnd)
{
  if (Swallowed().count(AWnd))
    return;
  Swallowed()[AWnd] = SetWindowLong(AWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SwallowProc));
}

// ---- TcxPopupWindow ----

TcxPopupWindow::TcxPopupWindow(TComponent* AOwner) : TForm(AOwner, 0)
{
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  FCanvas = std::make_unique<TcxCanvas>(Canvas());
}

TcxPopupWindow::~TcxPopupWindow() = default;

void TcxPopupWindow::SetPopupBorderStyle(TcxPopupBorderStyle Value)
{
  const Integer dx = BorderExtent(0);
  const Integer dy = BorderExtent(1);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() - dx, c->Top() - dy, c->Width(), c->Height());
  }
  FPopupBorderStyle = Value;
}

Integer TcxPopupWindow::PopupBorderWidth(Integer)
{
  static constexpr Integer widths[] = {0, 1, 1, 2};
  return widths[FPopupBorderStyle];
}

void TcxPopupWindow::PrepareToShow()
{
  if (AnchorParent)
    SetFont(AnchorParent->Font());
}

void TcxPopupWindow::CalculatePlacement(TPoint& APosition)
{
  TRect O = AnchorBounds;
  if (AnchorParent) {
    const TPoint a = AnchorParent->ClientToScreen(TPoint{O.Left, O.Top});
    O = Rect(a.X, a.Y, a.X + cxRectWidth(O), a.Y + cxRectHeight(O));
  }
  TcxPopupAlignHorz h = AlignHorz;
  TcxPopupAlignVert v = AlignVert;
  Integer X = 0, Y = 0;
  TPoint anchor;
  auto place = [&] {
    if (h == phaCenter) {
      X = (O.Left + O.Right - Width()) / 2;
      anchor.X = X;
    }
    if (v == pvaCenter) {
      Y = (O.Top + O.Bottom - Height()) / 2;
      anchor.Y = Y;
    }
    if (Direction == podVertical) {
      if (h == phaLeft) {
        X = O.Left;
        anchor.X = O.Left;
      } else if (h == phaRight) {
        X = O.Right - Width();
        anchor.X = O.Right;
      }
      if (v == pvaTop) {
        Y = O.Top - Height();
        anchor.Y = O.Top;
      } else if (v == pvaBottom) {
        Y = O.Bottom;
        anchor.Y = O.Bottom;
      }
    } else {
      if (h == phaLeft) {
        X = O.Left - Width();
        anchor.X = O.Left;
      } else if (h == phaRight) {
        X = O.Right;
        anchor.X = O.Right;
      }
      if (v == pvaTop) {
        Y = O.Top;
        anchor.Y = O.Top;
      } else if (v == pvaBottom) {
        Y = O.Bottom - Height();
        anchor.Y = O.Bottom;
      }
    }
  };
  place();
  TRect W;
  DesktopWorkAreaAt(Rect(anchor.X, anchor.Y, anchor.X, anchor.Y), W);
  if (Direction == podVertical) {
    const bool moreAbove = W.Bottom - O.Bottom < O.Top - W.Top;
    if (v == pvaBottom && W.Bottom < Y + Height() && moreAbove)
      v = pvaTop;
    else if (v == pvaTop && Y < W.Top && !moreAbove)
      v = pvaBottom;
  } else {
    const bool moreLeft = W.Right - O.Right < O.Left - W.Left;
    if (h == phaRight && W.Right < X + Width() && moreLeft)
      h = phaLeft;
    else if (h == phaLeft && X < W.Left && !moreLeft)
      h = phaRight;
  }
  place();
  if (Direction == podVertical || h == phaCenter) {
    if (X + Width() > W.Right)
      X = W.Right - Width();
    if (X < W.Left)
      X = W.Left;
  }
  if (Direction == podHorizontal || v == pvaCenter) {
    if (Y + Height() > W.Bottom)
      Y = W.Bottom - Height();
    if (Y < W.Top)
      Y = W.Top;
  }
  APosition = TPoint{X, Y};
}

void TcxPopupWindow::FitToChildren()
{
  if (!Adjustable)
    return;
  Integer right = 0;
  Integer bottom = 0;
  const Integer dx = BorderExtent(0);
  const Integer dy = BorderExtent(1);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
    c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  if (right > 0)
    SetWidth(dx + right + BorderExtent(2));
  if (bottom > 0)
    SetHeight(dy + bottom + BorderExtent(3));
}

void TcxPopupWindow::DrawFrame()
{
  const TRect r = Rect(0, 0, Width(), Height());
  switch (FPopupBorderStyle) {
  case pfsSingle:
    FCanvas->DrawFrameSides(r, FrameColor, 1, cxBordersAll);
    break;
  case pfsRaised:
    FCanvas->Draw3DEdge(r, false, true);
    break;
  case pfsDoubleRaised:
    FCanvas->Draw3DEdge(r, false, true);
    FCanvas->Draw3DEdge(cxRectInflate(r, -1, -1), false, false);
    break;
  default:
    break;
  }
}

void TcxPopupWindow::Popup()
{
  PrepareToShow();
  FitToChildren();
  TPoint p;
  CalculatePlacement(p);
  SetBounds(p.X, p.Y, Width(), Height());
  Show();
}

void TcxPopupWindow::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_ACTIVATE:
    TForm::Dispatch(Message);
    if (LOWORD(Message.WParam) != WA_INACTIVE) {
      FPrevActiveWindow = static_cast<HWND>(Message.LParam);
      if (FPrevActiveWindow)
        SendMessage(FPrevActiveWindow, WM_NCACTIVATE, 1, 0);
    }
    return;
  case WM_ACTIVATEAPP:
    Message.Result = DefWindowProc(Handle(), Message.Msg, Message.WParam, Message.LParam);
    if (Message.WParam == 0) {
      if (FPrevActiveWindow)
        SendMessage(FPrevActiveWindow, WM_NCACTIVATE, 0, 0);
      HidePopup();
    }
    return;
  case CM_VISIBLECHANGED:
    TForm::Dispatch(Message);
    VisibleChanged();
    return;
  default:
    TForm::Dispatch(Message);
  }
}

void TcxPopupWindow::Deactivate()
{
  TForm::Deactivate();
  HidePopup();
}

void TcxPopupWindow::Paint()
{
  TForm::Paint();
  DrawFrame();
}

// ---- TcxCustomPopupWindow ----

TcxCustomPopupWindow::TcxCustomPopupWindow(TWinControl* AOwnerControl)
    : TcxPopupWindow(AOwnerControl), FOwnerControl(AOwnerControl)
{
  SetFormStyle(fsNormal);
  SetVisible(false);
  FStyle = CreateStyle();
  FStyle->OnChanged = [this](TcxContainerStyle*) { StyleChanged(); };
  FViewInfo = CreateViewInfo();
  SetKeyPreview(true);
  if (FOwnerControl)
    FOwnerControl->FreeNotification(this);
}

TcxCustomPopupWindow::~TcxCustomPopupWindow()
{
  RemoveFromList(this);
  if (FStyle)
    FStyle->OnChanged = nullptr;
}

void TcxCustomPopupWindow::Notification(TComponent* AComponent, TOperation Operation)
{
  TcxPopupWindow::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FOwnerControl)
    FOwnerControl = nullptr;
  if (Operation == opRemove && AComponent == FFocusControl)
    FFocusControl = nullptr;
}

std::unique_ptr<TcxContainerStyle> TcxCustomPopupWindow::CreateStyle()
{
  return std::make_unique<TcxContainerStyle>(this, false);
}

std::unique_ptr<TcxContainerViewInfo> TcxCustomPopupWindow::CreateViewInfo()
{
  return std::make_unique<TcxContainerViewInfo>();
}

bool TcxCustomPopupWindow::AcceptsSysKey(Word AKey) const
{
  return (AKey >= VK_PRIOR && AKey <= VK_DOWN) || AKey == VK_F4;
}

bool TcxCustomPopupWindow::IsOpened() const
{
  return InList(const_cast<TcxCustomPopupWindow*>(this));
}

bool TcxCustomPopupWindow::PopupFocused() const
{
  if (!IsOpened() || !FTakesFocus || !HandleAllocated())
    return false;
  const HWND focus = GetFocus();
  return focus == const_cast<TcxCustomPopupWindow*>(this)->Handle() ||
         IsWindowInside(const_cast<TcxCustomPopupWindow*>(this), focus);
}

void TcxCustomPopupWindow::Reopen()
{
  const bool open = IsOpened();
  TWinControl* focus = FFocusControl;
  if (open)
    ClosePopup(false);
  if (HandleAllocated())
    RecreateWnd();
  if (open)
    ShowPopup(focus);
}

void TcxCustomPopupWindow::SetTakesFocus(bool Value)
{
  if (Value == FTakesFocus)
    return;
  FTakesFocus = Value;
  Reopen();
}

void TcxCustomPopupWindow::SetFollowsTopMost(bool Value)
{
  if (Value == FFollowsTopMost)
    return;
  FFollowsTopMost = Value;
  Reopen();
}

void TcxCustomPopupWindow::CreateParams(TCreateParams& Params)
{
  TcxPopupWindow::CreateParams(Params);
  TCustomForm* form = FOwnerControl ? GetParentForm(FOwnerControl) : nullptr;
  if (FTakesFocus) {
    if (form)
      Params.WndParent = form->Handle();
    Params.Style &= ~WS_CHILD;
    Params.Style |= WS_POPUP;
    if (FFollowsTopMost && (!form || FormIsTopMost(form)))
      Params.ExStyle |= WS_EX_TOPMOST;
  } else {
    // A captionless popup tool window owned by the owner control's window: a top-level
    // window that never activates.
    Params.Style = WS_POPUP;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (!Params.WndParent && FOwnerControl)
      Params.WndParent = FOwnerControl->Handle();
  }
  Params.Style |= WS_CLIPCHILDREN;
}

void TcxCustomPopupWindow::CreateWnd()
{
  // The hooks see the creation as part of an open popup.
  const bool added = !InList(this) && OpenedPopups;
  if (added)
    OpenedPopups->push_back(this);
  TScopeExit guard([&] {
    if (added)
      RemoveFromList(this);
  });
  TcxPopupWindow::CreateWnd();
}

void TcxCustomPopupWindow::ShowPopup(TWinControl* AFocusedControl)
{
  if (IsOpened())
    return;
  PrepareToShow();
  FitToChildren();
  TPoint p;
  CalculatePlacement(p);
  SetBounds(p.X, p.Y, Width(), Height());
  {
    PopupOperation = true;
    TScopeExit guard([] { PopupOperation = false; });
    if (OpenedPopups)
      OpenedPopups->push_back(this);
    FFocusControl = AFocusedControl;
    if (FTakesFocus) {
      if (!FFocusControl)
        FFocusControl = this;
      else if (!FFocusControl->CanFocus() || !FFocusControl->TabStop()) {
        TWinControl* first = FindNextControl(nullptr, true, true, false);
        FFocusControl = first ? first : this;
      }
    }
    if (FFocusControl && FFocusControl != this)
      FFocusControl->FreeNotification(this);
    OnBeforeShow(this);
    if (FTakesFocus) {
      Show();
      if (FFocusControl && FFocusControl->CanFocus())
        FFocusControl->SetFocus();
    } else {
      Show();
      // Without a control to focus there is nothing to hand the focus to.
      if (FFocusControl && FFocusControl->CanFocus())
        FFocusControl->SetFocus();
      TCustomForm* form = FOwnerControl ? GetParentForm(FOwnerControl) : nullptr;
      SetWindowPos(Handle(), !form || FormIsTopMost(form) ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
  }
  SetModalResult(0);
  NotifyShown();
  if (!FTakesFocus || !OwnMessageLoop)
    return;
  TcxCustomPopupWindow* self = this;
  TDestroyWatch watch(this);
  while (!watch.Destroyed() && self->Visible() && !Application()->Terminated()) {
    MSG m;
    if (PeekMessage(m, 0, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) &&
        (m.wParam == VK_RETURN || m.wParam == VK_MENU || m.wParam == VK_SPACE))
      PeekMessage(m, m.hwnd, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
    if (self->ModalResult() != 0)
      self->ClosePopup(true);
    if (watch.Destroyed() || !self->Visible())
      break;
    Application()->HandleMessage();
  }
}

void TcxCustomPopupWindow::ClosePopup(bool AQuery)
{
  if (!IsOpened())
    return;
  if (AQuery && !CloseQuery()) {
    SetModalResult(0);
    return;
  }
  RemoveFromList(this);
  TDestroyWatch watch(this);
  NotifyClosing();
  if (watch.Destroyed())
    return;
  {
    PopupOperation = true;
    TScopeExit guard([] { PopupOperation = false; });
    if (HandleAllocated())
      ShowWindow(Handle(), SW_HIDE);
    Hide();
  }
  NotifyClosed();
  if (watch.Destroyed())
    return;
  if (HandleAllocated() && GetCapture() == Handle())
    ReleaseCapture();
}

void TcxCustomPopupWindow::CMVisibleChanged(TMessage& Message)
{
  if (Visible() && !FTakesFocus) {
    HandleNeeded();
    DoShow();
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  } else
    TcxPopupWindow::CMVisibleChanged(Message);
  if (!Visible())
    HandleVisibleChanged();
}

void TcxCustomPopupWindow::HandleVisibleChanged()
{
  if (!HandleAllocated() || IsWindowVisible(Handle()) || !FOwnerControl)
    return;
  TCustomForm* form = GetParentForm(FOwnerControl);
  if (form && form->HandleAllocated() && GetFocus() == form->Handle() &&
      FOwnerControl->CanFocus() && !form->ComponentState().Contains(csDesigning))
    FOwnerControl->SetFocus();
}

void TcxCustomPopupWindow::Deactivate()
{
  TForm::Deactivate();
  if (FClosingByMessage)
    return;
  if (!Opened().empty()) {
    const HWND active = GetActiveWindow();
    std::vector<TcxCustomPopupWindow*> popups = Opened();
    for (auto it = popups.rbegin(); it != popups.rend(); ++it) {
      if (!InList(*it))
        continue;
      if ((*it)->HandleAllocated() && (*it)->Handle() == active)
        break;
      if ((*it)->HandleAllocated() && IsWindowEnabled((*it)->Handle()))
        (*it)->ClosePopup(false);
    }
  }
  if (!Opened().empty())
    ClosePopup(false);
}

void TcxCustomPopupWindow::Paint()
{
  FViewInfo->Bounds = Rect(0, 0, Width(), Height());
  FViewInfo->Paint(cxCanvas());
}

void TcxCustomPopupWindow::AdjustClientRect(TRect& Rect)
{
  if (!cxRectIsEmpty(FViewInfo->ClientRect))
    Rect = FViewInfo->ClientRect;
}

void TcxCustomPopupWindow::KeyDown(Word& Key, TShiftState Shift)
{
  if (Key == VK_ESCAPE && IsOpened() && HandleAllocated() && GetCapture() == Handle()) {
    ReleaseCapture();
    Key = 0;
    return;
  }
  TcxPopupWindow::KeyDown(Key, Shift);
}

void TcxCustomPopupWindow::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_ERASEBKGND:
    if (!ErasesBackground()) {
      Message.Result = 1;
      return;
    }
    break;
  case WM_ACTIVATEAPP:
    return; // the hooks close popups when the application is left
  case CXM_CLOSEPOPUP: {
    FClosingByMessage = true;
    TDestroyWatch watch(this);
    TScopeExit guard([&] {
      if (!watch.Destroyed())
        FClosingByMessage = false;
    });
    ClosePopup(false);
    if (!watch.Destroyed() && FOwnerControl && FOwnerControl->HandleAllocated())
      SendMessage(FOwnerControl->Handle(), WM_SETFOCUS, 0, 0);
    return;
  }
  case CXM_SHOWPOPUP:
    ShowPopup(reinterpret_cast<TWinControl*>(Message.WParam));
    return;
  case CM_MOUSEENTER:
    TcxPopupWindow::Dispatch(Message);
    MouseEnter();
    return;
  case CM_MOUSELEAVE:
    TcxPopupWindow::Dispatch(Message);
    MouseLeave();
    return;
  default:
    break;
  }
  TcxPopupWindow::Dispatch(Message);
}

void PostPopupCloseRequest(TcxCustomPopupWindow* APopup)
{
  if (APopup && APopup->HandleAllocated())
    PostMessage(APopup->Handle(), CXM_CLOSEPOPUP, 0, 0);
}

// ---- Window-tree helpers ----

bool ControlHasWindow(TWinControl* AControl, HWND AWnd)
{
  return AControl && AControl->Handle() == AWnd;
}

bool IsWindowInside(TWinControl* AControl, HWND AWnd)
{
  if (!AControl || !AWnd || !AControl->HandleAllocated() || AControl->Handle() == AWnd)
    return false;
  if (IsChild(AControl->Handle(), AWnd))
    return true;
  for (Integer i = 0; i < AControl->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(AControl->Controls(i)))
      if ((child->HandleAllocated() && child->Handle() == AWnd) || IsWindowInside(child, AWnd))
        return true;
  if (auto* popup = dynamic_cast<TcxCustomPopupWindow*>(AControl))
    for (TcxCustomPopupWindow* other : std::vector<TcxCustomPopupWindow*>(Opened()))
      if (other != popup && other->OwnerControl() &&
          GetParentForm(other->OwnerControl()) == popup &&
          ((other->HandleAllocated() && other->Handle() == AWnd) || IsWindowInside(other, AWnd)))
        return true;
  return false;
}

bool IsInOwnerForm(TWinControl* AControl, HWND AWnd)
{
  TCustomForm* form = AControl ? GetParentForm(AControl) : nullptr;
  if (!form || !form->HandleAllocated())
    return false;
  if (form->Handle() == AWnd || IsChild(form->Handle(), AWnd))
    return true;
  if (form->Parent())
    return false;
  // A form embedded in foreign windows: its top-most ancestor counts as the owner form.
  HWND top = form->Handle();
  for (HWND p = GetParent(top); p; p = GetParent(p))
    if (IsChild(p, top))
      top = p;
  return top != form->Handle() && (top == AWnd || IsChild(top, AWnd));
}

// ---- Hooks ----

namespace {

// The owner control (alive) of a popup, or null.
TWinControl* LiveOwner(TcxCustomPopupWindow* APopup)
{
  TWinControl* owner = APopup->OwnerControl();
  return owner && !Destroying(owner) ? owner : nullptr;
}

void CloseFrom(std::vector<TcxCustomPopupWindow*> APopups)
{
  for (auto it = APopups.rbegin(); it != APopups.rend(); ++it)
    if (InList(*it))
      (*it)->ClosePopup(false);
}

void CallWndProcAction(const CWPSTRUCT& c)
{
  switch (c.message) {
  case WM_DESTROY:
    for (TcxCustomPopupWindow* p : std::vector<TcxCustomPopupWindow*>(Opened()))
      if (!Destroying(p) && p->HandleAllocated() && p->Handle() == c.hwnd) {
        p->Close();
        break;
      }
    break;
  case WM_CLOSE:
    for (TcxCustomPopupWindow* p : std::vector<TcxCustomPopupWindow*>(Opened())) {
      if (Destroying(p))
        continue;
      if (p->HandleAllocated() && p->Handle() == c.hwnd) {
        TDestroyWatch watch(p);
        p->Close();
        if (!watch.Destroyed() && !InList(p) && p->TakesFocus() && LiveOwner(p))
          if (HWND form = OwnerFormWindow(p))
            SendMessage(form, WM_CLOSE, 0, 0);
        break;
      }
      if (!p->TakesFocus() && LiveOwner(p)) {
        const HWND form = OwnerFormWindow(p);
        if (!form || form == c.hwnd)
          p->ClosePopup(false);
        break;
      }
    }
    break;
  case WM_SHOWWINDOW:
    if (c.wParam != 0)
      break;
    {
      std::vector<TcxCustomPopupWindow*> popups = Opened();
      for (Integer i = static_cast<Integer>(popups.size()) - 1; i >= 0; --i) {
        TcxCustomPopupWindow* p = popups[i];
        if (Destroying(p))
          continue;
        TWinControl* owner = LiveOwner(p);
        if (owner && owner->HandleAllocated() && owner->Handle() == c.hwnd) {
          CloseFrom(std::vector<TcxCustomPopupWindow*>(popups.begin() + i, popups.end()));
          break;
        }
      }
    }
    break;
  case WM_ACTIVATEAPP:
    if (c.wParam != 0)
      break;
    for (size_t i = 0; i < Opened().size();) {
      TcxCustomPopupWindow* p = Opened()[i];
      if (HWND form = OwnerFormWindow(p))
        PostMessage(form, WM_NCACTIVATE, 0, 0);
      if (p->TakesFocus() && Screen()->ActiveForm() == p) {
        ++i;
        continue;
      }
      TWinControl* owner = p->OwnerControl();
      p->ClosePopup(false);
      if (auto* control = dynamic_cast<TcxControl*>(owner))
        control->FireFocusChanged();
      i = 0;
    }
    break;
  case WM_WINDOWPOSCHANGED:
    for (bool again = true; again;) {
      again = false;
      for (TcxCustomPopupWindow* p : std::vector<TcxCustomPopupWindow*>(Opened())) {
        TWinControl* owner = LiveOwner(p);
        if (p->HandleAllocated() && !Destroying(p) && owner && owner->HandleAllocated() &&
            owner->Handle() == c.hwnd && !IsWindowVisible(c.hwnd)) {
          p->ClosePopup(false);
          again = true;
          break;
        }
      }
    }
    break;
  case WM_NCACTIVATE:
    if (c.wParam != 0)
      break;
    if (ClosingFromMouseHook) {
      SwallowNextMessage(c.hwnd);
      break;
    }
    for (TcxCustomPopupWindow* p : Opened())
      if (!Destroying(p) && OwnerFormWindow(p) == c.hwnd) {
        SwallowNextMessage(c.hwnd);
        break;
      }
    break;
  default:
    break;
  }
}

LRESULT CALLBACK_CallWndProc(Integer code, WPARAM wParam, LPARAM lParam)
{
  if (code == HC_ACTION && !Opened().empty())
    CallWndProcAction(*reinterpret_cast<CWPSTRUCT*>(lParam));
  return CallNextHookEx(CallWndProcHook, code, wParam, lParam);
}

LRESULT CALLBACK_GetMessage(Integer code, WPARAM wParam, LPARAM lParam)
{
  if (code == HC_ACTION && !Opened().empty()) {
    MSG& m = *reinterpret_cast<MSG*>(lParam);
    TcxCustomPopupWindow* last = Opened().back();
    if (m.message == WM_SYSKEYDOWN && !(last->TakesFocus() && last->OwnMessageLoop) &&
        !last->AcceptsSysKey(static_cast<Word>(m.wParam)))
      m.message = WM_NULL;
  }
  return CallNextHookEx(GetMessageHook, code, wParam, lParam);
}

// False: the click is discarded.
bool MouseClickPasses(UINT AMessage, HWND AWnd, TPoint APoint)
{
  bool pass = true;
  for (size_t i = 0; i < Opened().size();) {
    TcxCustomPopupWindow* p = Opened()[i];
    const bool own = p->HandleAllocated() && (p->Handle() == AWnd || IsWindowInside(p, AWnd));
    if ((p->TakesFocus() && Screen()->ActiveForm() != p) || own) {
      ++i;
      continue;
    }
    TWinControl* owner = p->OwnerControl();
    if (owner && IsInOwnerForm(owner, AWnd)) {
      bool onOwner = false;
      if ((AMessage == WM_LBUTTONDOWN || AMessage == WM_LBUTTONDBLCLK) &&
          owner->HandleAllocated() && (owner->Handle() == AWnd || IsWindowInside(owner, AWnd))) {
        TRect anchor = p->AnchorBounds;
        if (p->AnchorParent) {
          const TPoint a = p->AnchorParent->ClientToScreen(TPoint{anchor.Left, anchor.Top});
          anchor = Rect(a.X, a.Y, a.X + cxRectWidth(anchor), a.Y + cxRectHeight(anchor));
        }
        onOwner = PtInRect(anchor, APoint);
      }
      TDestroyWatch watch(owner);
      {
        ClosingFromMouseHook = true;
        p->SetClosingByMessage(true);
        TDestroyWatch popupWatch(p);
        TScopeExit guard([&] {
          ClosingFromMouseHook = false;
          if (!popupWatch.Destroyed())
            p->SetClosingByMessage(false);
        });
        p->ClosePopup(false);
      }
      if (onOwner)
        pass = !watch.Destroyed() && owner->Visible();
      i = 0;
      continue;
    }
    ++i;
  }
  return pass;
}

LRESULT CALLBACK_Mouse(Integer code, WPARAM wParam, LPARAM lParam)
{
  if (code == HC_ACTION && !Opened().empty() &&
      (wParam == WM_NCLBUTTONDOWN || wParam == WM_NCLBUTTONDBLCLK || wParam == WM_LBUTTONDOWN ||
       wParam == WM_LBUTTONDBLCLK)) {
    const auto& h = *reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam);
    if (!MouseClickPasses(static_cast<UINT>(wParam), h.hwnd, h.pt))
      return 1;
  }
  return CallNextHookEx(MouseHook, code, wParam, lParam);
}

} // namespace

void cxInstallPopupHooks()
{
  if (!OpenedPopups)
    OpenedPopups = new std::vector<TcxCustomPopupWindow*>;
  CallWndProcHook = SetWindowsHookEx(WH_CALLWNDPROC, &CALLBACK_CallWndProc);
  GetMessageHook = SetWindowsHookEx(WH_GETMESSAGE, &CALLBACK_GetMessage);
  MouseHook = SetWindowsHookEx(WH_MOUSE, &CALLBACK_Mouse);
}

void cxRemovePopupHooks()
{
  UnhookWindowsHookEx(MouseHook);
  UnhookWindowsHookEx(GetMessageHook);
  UnhookWindowsHookEx(CallWndProcHook);
  MouseHook = GetMessageHook = CallWndProcHook = 0;
  delete OpenedPopups;
  OpenedPopups = nullptr;
}
