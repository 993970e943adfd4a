// TWinControl, a control with a window of the window manager behind it: the window created
// on demand, children, alignment, focus and tab order, keys, the dispatch of window
// messages to handlers, painting. Controls.h describes the class.
#include <algorithm>
#include <type_traits>

#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ControlsPrivate.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

// ---- Registration ------------------------------------------------------------------------------

void RegisterWinControlClass()
{
  TClassRegistration<TWinControl, TControl>("TWinControl")
      .Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth)
      .Default(0)
      .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Stored(false)
      .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
      .Default(false)
      .Property("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter)
      .Property("OnExit", &TWinControl::OnExit, &TWinControl::OnExit)
      .Property("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::OnKeyDown)
      .Property("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::OnKeyPress)
      .Property("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::OnKeyUp)
      .Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Stored([](TWinControl* c) { return !c->ParentCtl3D(); })
      .Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D)
      .Default(true)
      .Property("ParentBackground", &TWinControl::ParentBackground,
                &TWinControl::SetParentBackground)
      .Default(true)
      .Property("ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode)
      .Default(imDontCare)
      .Property("ImeName", &TWinControl::ImeName, &TWinControl::SetImeName);
}

// The window procedure of every control's window: hands the message to the control.
LRESULT ControlWindowProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  TWinControl* c = dynamic_cast<TWinControl*>(GetWindowObject(h));
  if (!c && ControlsState().Creating) {
    c = ControlsState().Creating;
    ControlsState().Creating = nullptr;
    c->FHandle = h;
    SetWindowObject(h, c);
    // The control's window id is its handle: owner-draw requests name a control by id.
    SetWindowLong(h, GWL_ID, static_cast<LONG_PTR>(h));
  }
  if (!c)
    return DefWindowProc(h, m, w, l);
  TMessage msg{m, w, l, 0};
  c->WindowProc(msg); // the control may be gone afterwards
  return msg.Result;
}

// ---- TWinControl -----------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner)
{
  FBrush = std::make_unique<TBrush>();
  FBrush->SetColor(FColor);
  FBrush->OnChange = TNotifyEvent::Bind(this, &TWinControl::BrushChanged);
}

TWinControl::~TWinControl()
{
  // Normally done in BeforeDestruction; objects not deleted through delete end here.
  while (!FControls.empty())
    RemoveControl(FControls.back());
  if (FHandle) {
    SetWindowObject(FHandle, nullptr);
    SetWindowLong(FHandle, GWL_WNDPROC, 0);
    ::DestroyWindow(FHandle);
    FHandle = 0;
  }
}

void TWinControl::BeforeDestruction()
{
  TControl::BeforeDestruction();
  if (TCustomForm* form = GetParentForm(this); form && form != this)
    form->DefocusControl(this, true);
  // Children go first (whoever owns them), then the window.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
  DestroyHandle();
}

void TWinControl::BrushChanged(TObject*)
{
  Invalidate();
}

void TWinControl::SetParent(TWinControl* AParent)
{
  if (AParent == FParent)
    return;
  TControl::SetParent(AParent);
  if (!FHandle) {
    if (FParent && FParent->HandleAllocated())
      CreateHandle();
    return;
  }
  if (FParent && FParent->HandleAllocated()) {
    ::SetParent(FHandle, FParent->FHandle);
    SetWindowPos(FHandle, HWND_TOP, FLeft, FTop, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    DestroyHandle();
  }
}

HWND TWinControl::Handle()
{
  if (!FHandle)
    CreateHandle();
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& Params)
{
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls))
    Params.Style |= WS_CLIPCHILDREN;
  if (FVisible)
    Params.Style |= WS_VISIBLE;
  if (FTabStop)
    Params.Style |= WS_TABSTOP;
  if (!FEnabled)
    Params.Style |= WS_DISABLED;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->Handle() : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (FControlStyle.Contains(csDoubleClicks))
    Params.WindowClass.style |= CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = &ControlWindowProc;
  Params.WinClassName = ClassName();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params)
{
  HWND h =
      CreateWindowEx(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style, Params.X,
                     Params.Y, Params.Width, Params.Height, Params.WndParent, Params.Param);
  if (h)
    FHandle = h;
}

void TWinControl::CreateWnd()
{
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  WNDCLASS existing;
  if (!GetClassInfo(params.WinClassName, existing)) {
    params.WindowClass.lpszClassName = params.WinClassName;
    RegisterClass(params.WindowClass);
  }
  {
    // The window procedure binds the first window made meanwhile to this control.
    ControlsState().Creating = this;
    TScopeExit created([] { ControlsState().Creating = nullptr; });
    CreateWindowHandle(params);
  }
  if (!FHandle)
    throw EOSError("Error creating window");
}

void TWinControl::SetClientWidth(Integer Value)
{
  TControl::SetClientWidth(Value);
  FPendingClientWidth = FHandle ? TPendingClientSize() : TPendingClientSize{Value, FWidth};
}

void TWinControl::SetClientHeight(Integer Value)
{
  TControl::SetClientHeight(Value);
  FPendingClientHeight = FHandle ? TPendingClientSize() : TPendingClientSize{Value, FHeight};
}

void TWinControl::ApplyPendingClientSize()
{
  const TPendingClientSize w = FPendingClientWidth, h = FPendingClientHeight;
  FPendingClientWidth = FPendingClientHeight = TPendingClientSize();
  const bool width = w.Client >= 0 && FWidth == w.SizeThen;
  const bool height = h.Client >= 0 && FHeight == h.SizeThen;
  if (!width && !height)
    return;
  const TRect client = ClientRect();
  SetBounds(FLeft, FTop, width ? FWidth - client.Width() + w.Client : FWidth,
            height ? FHeight - client.Height() + h.Client : FHeight);
}

void TWinControl::CreateHandle()
{
  if (FHandle)
    return;
  CreateWnd();
  ApplyPendingClientSize();
  // Children's windows follow, each placed in front of the ones before it.
  std::vector<TWinControl*> children;
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c))
      children.push_back(w);
  for (TWinControl* w : children) {
    w->CreateHandle();
    if (w->FHandle)
      SetWindowPos(w->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Realign();
}

void TWinControl::DestroyWnd()
{
  FText = GetWindowText(FHandle);
  ::DestroyWindow(FHandle);
}

void TWinControl::DestroyHandle()
{
  if (!FHandle)
    return;
  FControlState.Include(csDestroyingHandle);
  DestroyWnd();
  FControlState.Exclude(csDestroyingHandle);
  FHandle = 0;
}

void TWinControl::RecreateWnd()
{
  if (!FHandle)
    return;
  // A top-level window comes back as it was: shown and active if it was. A window that
  // had the focus (itself or a child) gets it back: its form still names it the active
  // control, so focusing it later through the form would do nothing.
  bool wasShown = !FParent && IsWindowVisible(FHandle);
  bool wasActive = wasShown && GetActiveWindow() == FHandle;
  HWND focus = GetFocus();
  bool wasFocused = focus && (focus == FHandle || IsChild(FHandle, focus));
  DestroyHandle();
  CreateHandle();
  if (wasShown)
    ShowWindow(FHandle, wasActive ? SW_SHOW : SW_SHOWNA);
  if (wasFocused && FHandle && IsWindowVisible(FHandle))
    ::SetFocus(FHandle);
}

AnsiString TWinControl::GetText() const
{
  return FHandle ? GetWindowText(FHandle) : FText;
}

void TWinControl::SetTextInternal(const AnsiString& Value)
{
  FText = Value;
  if (FHandle)
    SetWindowText(FHandle, Value);
}

TControl* TWinControl::Controls(Integer Index) const
{
  if (Index < 0 || Index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FControls[static_cast<std::size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl)
{
  AControl->FParent = this;
  FControls.push_back(AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl))
    FTabList.push_back(w);
  AControl->ParentColorChanged();
  AControl->ParentFontChanged();
  if (AControl->FParentShowHint)
    AControl->FShowHint = FShowHint;
  AControl->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && FHandle && !w->FHandle)
    w->CreateHandle();
  AControl->Invalidate();
  Realign();
}

void TWinControl::RemoveControl(TControl* AControl)
{
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end())
    return;
  AControl->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(AControl))
    if (TCustomForm* form = GetParentForm(this))
      form->DefocusControl(w, true);
  // By address: a control being destroyed no longer answers dynamic_cast as what it was.
  FTabList.erase(
      std::remove_if(FTabList.begin(), FTabList.end(),
                     [AControl](TWinControl* w) { return static_cast<TControl*>(w) == AControl; }),
      FTabList.end());
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  AControl->FParent = nullptr;
  Realign();
}

bool TWinControl::ContainsControl(const TControl* Control) const
{
  for (const TControl* c = Control; c; c = c->FParent)
    if (c == this)
      return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const
{
  auto hit = [&](TControl* c) {
    return c->FVisible && (AllowDisabled || c->FEnabled) && PtInRect(c->BoundsRect(), Pos) &&
           c->Perform(CM_HITTEST, 0, PointToLParam({Pos.X - c->FLeft, Pos.Y - c->FTop})) != 0;
  };
  if (AllowWinControls)
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
      if (dynamic_cast<TWinControl*>(*it) && hit(*it))
        return *it;
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (!dynamic_cast<TWinControl*>(*it) && hit(*it))
      return *it;
  return nullptr;
}

// ---- Alignment ------------------------------------------------------------------------------

void TWinControl::EnableAlign()
{
  if (FAlignLevel > 0 && --FAlignLevel == 0)
    Realign();
}

void TWinControl::Realign()
{
  if (FAlignLevel > 0)
    return;
  ++FAlignLevel;
  TRect r = ClientRect();
  AdjustClientRect(r);
  AlignControls(nullptr, r);
  ApplyAnchors();
  if (FAutoSize)
    AdjustSize();
  --FAlignLevel;
}

void TWinControl::AdjustSize()
{
  if (ComponentState().Contains(csLoading))
    return;
  Integer right = 0, bottom = 0;
  bool any = false;
  for (TControl* c : FControls) {
    if (!c->Visible() || c->Align() == alClient)
      continue;
    any = true;
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
  }
  if (!any)
    return;
  ++FAlignLevel;
  SetBounds(FLeft, FTop, FWidth - ClientWidth() + right, FHeight - ClientHeight() + bottom);
  --FAlignLevel;
}

void TWinControl::DoAlign(TAlign AAlign, TRect& R)
{
  std::vector<TControl*> list;
  for (TControl* c : FControls)
    if (c->FAlign == AAlign && c->FVisible)
      list.push_back(c);
  // Controls of one alignment keep their order on the side they stick to.
  auto key = [AAlign](const TControl* c) {
    switch (AAlign) {
    case alTop:
      return c->FTop;
    case alBottom:
      return -(c->FTop + c->FHeight);
    case alLeft:
      return c->FLeft;
    case alRight:
      return -(c->FLeft + c->FWidth);
    default:
      return 0;
    }
  };
  std::stable_sort(list.begin(), list.end(),
                   [&](TControl* a, TControl* b) { return key(a) < key(b); });
  for (TControl* c : list) {
    Integer w = c->FWidth, h = c->FHeight;
    switch (AAlign) {
    case alTop:
      c->SetBounds(R.Left, R.Top, R.Width(), h);
      R.Top += c->FHeight;
      break;
    case alBottom:
      c->SetBounds(R.Left, R.Bottom - h, R.Width(), h);
      R.Bottom -= c->FHeight;
      break;
    case alLeft:
      c->SetBounds(R.Left, R.Top, w, R.Height());
      R.Left += c->FWidth;
      break;
    case alRight:
      c->SetBounds(R.Right - w, R.Top, w, R.Height());
      R.Right -= c->FWidth;
      break;
    case alClient:
      c->SetBounds(R.Left, R.Top, R.Width(), R.Height());
      break;
    default:
      break;
    }
  }
}

void TWinControl::AlignControls(TControl*, TRect& Rect)
{
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient})
    DoAlign(a, Rect);
}

// Children that are not aligned keep their distance to the anchored sides.
void TWinControl::ApplyAnchors()
{
  TSize client{ClientWidth(), ClientHeight()};
  for (TControl* c : FControls) {
    if (c->FAlign != alNone || (c->FAnchors.Contains(akLeft) && c->FAnchors.Contains(akTop) &&
                                !c->FAnchors.Contains(akRight) && !c->FAnchors.Contains(akBottom)))
      continue;
    if (c->FAnchorClient.cx == 0 && c->FAnchorClient.cy == 0)
      continue;
    Integer dx = client.cx - c->FAnchorClient.cx, dy = client.cy - c->FAnchorClient.cy;
    TRect b = c->FAnchorBounds;
    if (c->FAnchors.Contains(akRight)) {
      if (c->FAnchors.Contains(akLeft))
        b.Right += dx;
      else
        OffsetRect(b, dx, 0);
    } else if (!c->FAnchors.Contains(akLeft)) {
      OffsetRect(b, dx / 2, 0);
    }
    if (c->FAnchors.Contains(akBottom)) {
      if (c->FAnchors.Contains(akTop))
        b.Bottom += dy;
      else
        OffsetRect(b, 0, dy);
    } else if (!c->FAnchors.Contains(akTop)) {
      OffsetRect(b, 0, dy / 2);
    }
    c->FAnchoring = true;
    c->SetBounds(b.Left, b.Top, b.Width(), b.Height());
    c->FAnchoring = false;
  }
}

// ---- Geometry ---------------------------------------------------------------------------------

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  ConstrainSize(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
    return;
  if ((AWidth != FWidth || AHeight != FHeight) && !CanResize(AWidth, AHeight))
    return;
  if (FHandle) {
    // The window's answer (WMWindowPosChanged) updates the fields.
    SetWindowPos(FHandle, 0, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (sized) {
      Realign();
      Resize();
    }
  }
  UpdateAnchorRules();
  if (FParent && (FAlign != alNone || FParent->AutoSize()))
    FParent->Realign();
}

TPoint TWinControl::ClientOrigin() const
{
  if (FHandle) {
    TPoint p{0, 0};
    ::ClientToScreen(FHandle, p);
    return p;
  }
  return TControl::ClientOrigin();
}

TRect TWinControl::ClientRect() const
{
  if (FHandle) {
    TRect r;
    GetClientRect(FHandle, r);
    return r;
  }
  return TControl::ClientRect();
}

bool TWinControl::Showing() const
{
  if (!FVisible)
    return false;
  if (FParent)
    return FParent->Showing();
  return FHandle && IsWindowVisible(FHandle);
}

void TWinControl::UpdateShowing()
{
  if (!FHandle || !FParent)
    return;
  ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetZOrder(bool TopMost)
{
  TControl::SetZOrder(TopMost);
  if (FHandle)
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::Invalidate()
{
  if (FHandle)
    InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update()
{
  if (FHandle)
    UpdateWindow(FHandle);
}

// ---- Focus -------------------------------------------------------------------------------------

bool TWinControl::CanFocus() const
{
  TCustomForm* form = GetParentForm(const_cast<TWinControl*>(this));
  if (!form)
    return FVisible && FEnabled;
  for (const TWinControl* c = this; c; c = c->FParent) {
    if (!c->FVisible || !c->FEnabled)
      return false;
    if (c == form)
      break;
  }
  return true;
}

bool TWinControl::Focused() const
{
  return FHandle != 0 && FHandle == GetFocus();
}

void TWinControl::SetFocus()
{
  if (TCustomForm* form = GetParentForm(this)) {
    form->FocusControl(this);
    return;
  }
  ::SetFocus(Handle());
}

void TWinControl::SetTabStop(bool Value)
{
  if (Value == FTabStop)
    return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLong(FHandle, GWL_STYLE);
    SetWindowLong(FHandle, GWL_STYLE,
                  Value ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP)));
  }
}

Integer TWinControl::TabOrder() const
{
  if (!FParent)
    return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TWinControl::SetTabOrder(Integer Value)
{
  if (!FParent)
    return;
  auto& list = FParent->FTabList;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(list.size()));
  list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const
{
  for (TWinControl* c : FTabList) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) const
{
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty())
    return nullptr;
  Integer n = static_cast<Integer>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  Integer start =
      it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<Integer>(it - list.begin());
  Integer i = start;
  for (Integer step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* w = list[static_cast<std::size_t>(i)];
    if (w == CurControl)
      break;
    if ((!CheckTabStop || w->FTabStop) && (!CheckParent || w->FParent == this) && w->CanFocus())
      return w;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
    next->SetFocus();
}

void TWinControl::SelectFirst()
{
  if (TWinControl* first = FindNextControl(nullptr, true, true, false))
    first->SetFocus();
}

void TWinControl::DoEnter()
{
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit()
{
  if (OnExit)
    OnExit(this);
}

// ---- Keys ---------------------------------------------------------------------------------------

void TWinControl::KeyDown(Word& Key, TShiftState Shift)
{
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift)
{
  if (OnKeyUp)
    OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
  if (OnKeyPress)
    OnKeyPress(this, Key);
}

// Offers a key first to the parent form when it previews keys, then to this control.
// True when the key was eaten (cleared to 0) or the control is gone; otherwise the
// possibly changed key goes back into the message.
template <class TKey, class THandler>
bool TWinControl::DeliverKey(TMessage& Message, TKey key, THandler handler)
{
  TDestroyWatch watch(this);
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    handler(static_cast<TWinControl*>(form), key);
    if (key == 0 || watch.Destroyed())
      return true;
  }
  handler(this, key);
  if (watch.Destroyed())
    return true;
  Message.WParam = static_cast<std::make_unsigned_t<TKey>>(key);
  return key == 0;
}

bool TWinControl::DoKeyDown(TMessage& Message)
{
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  return DeliverKey(Message, static_cast<Word>(Message.WParam),
                    [shift](TWinControl* control, Word& key) { control->KeyDown(key, shift); });
}

bool TWinControl::DoKeyUp(TMessage& Message)
{
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  return DeliverKey(Message, static_cast<Word>(Message.WParam),
                    [shift](TWinControl* control, Word& key) { control->KeyUp(key, shift); });
}

bool TWinControl::DoKeyPress(TMessage& Message)
{
  return DeliverKey(Message, static_cast<char>(Message.WParam),
                    [](TWinControl* control, char& key) { control->KeyPress(key); });
}

// ---- Dispatch -------------------------------------------------------------------------------

// Mouse input over a windowless child (or held by one through capture) goes to it, in its
// own coordinates.
bool TWinControl::IsControlMouseMsg(TMessage& Message)
{
  TControl* target = nullptr;
  if (GetCapture() == FHandle && FHandle) {
    if (ControlsState().CaptureControl && ControlsState().CaptureControl->FParent == this)
      target = ControlsState().CaptureControl;
  } else {
    target = ControlAtPos(MessagePoint(Message), false);
  }
  if (!target || dynamic_cast<TWinControl*>(target))
    return false;
  TPoint p = MessagePoint(Message);
  TMessage sub = Message;
  sub.LParam = PointToLParam({p.X - target->FLeft, p.Y - target->FTop});
  TDestroyWatch watch(this);
  target->WindowProc(sub);
  Message.Result = sub.Result;
  // The window's default handling still follows a right button release, so the
  // context menu (WM_CONTEXTMENU) comes for the windowless child too.
  if (Message.Msg == WM_RBUTTONUP && Message.Result == 0 && !watch.Destroyed() && FHandle)
    DefWindowProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
  return true;
}

void TWinControl::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SETFOCUS:
    if (TCustomForm* form = GetParentForm(this); form && !form->SetFocusedControl(this))
      return;
    break;
  case WM_KILLFOCUS:
    if (FControlState.Contains(csFocusing))
      return;
    break;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  case WM_MBUTTONUP:
  case WM_RBUTTONDBLCLK:
  case WM_MOUSEMOVE:
    if (IsControlMouseMsg(Message))
      return;
    // A control that takes the focus takes it when pressed.
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && FTabStop &&
        !Focused() && CanFocus()) {
      TDestroyWatch watch(this);
      SetFocus();
      if (watch.Destroyed())
        return;
    }
    break;
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_PAINT:
    WMPaint(Message);
    break;
  case WM_ERASEBKGND:
    WMEraseBkgnd(Message);
    break;
  case WM_SETFOCUS:
    WMSetFocus(Message);
    break;
  case WM_KILLFOCUS:
    WMKillFocus(Message);
    break;
  case WM_WINDOWPOSCHANGED:
    WMWindowPosChanged(Message);
    break;
  case WM_SIZE:
    WMSize(Message);
    break;
  case WM_KEYDOWN:
    WMKeyDown(Message);
    break;
  case WM_SYSKEYDOWN:
    WMSysKeyDown(Message);
    break;
  case WM_KEYUP:
    WMKeyUp(Message);
    break;
  case WM_SYSKEYUP:
    WMSysKeyUp(Message);
    break;
  case WM_CHAR:
    WMChar(Message);
    break;
  case WM_DRAWITEM:
    WMDrawItem(Message);
    break;
  case WM_MEASUREITEM:
    WMMeasureItem(Message);
    break;
  case WM_COMMAND:
    WMCommand(Message);
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
    WMScroll(Message);
    break;
  case WM_PRINTCLIENT:
    PaintHandler(Message);
    break;
  case WM_SETCURSOR:
    WMSetCursor(Message);
    break;
  case WM_NCDESTROY:
    WMNCDestroy(Message);
    break;
  case WM_CAPTURECHANGED:
    WMCaptureChanged(Message);
    break;
  case WM_NCCALCSIZE:
    WMNCCalcSize(Message);
    break;
  case WM_NCPAINT:
    WMNCPaint(Message);
    break;
  case CN_KEYDOWN:
  case CN_SYSKEYDOWN:
    CNKeyDown(Message);
    break;
  case CN_KEYUP:
    CNKeyUp(Message);
    break;
  case CN_CHAR:
  case CN_SYSCHAR:
    CNChar(Message);
    break;
  case CM_ENTER:
    CMEnter(Message);
    break;
  case CM_EXIT:
    CMExit(Message);
    break;
  case CM_DIALOGKEY:
    CMDialogKey(Message);
    break;
  case CM_DIALOGCHAR:
    CMDialogChar(Message);
    break;
  case CM_CHILDKEY:
    CMChildKey(Message);
    break;
  case CM_FOCUSCHANGED:
    CMFocusChanged(Message);
    break;
  case CM_SHOWINGCHANGED:
    CMShowingChanged(Message);
    break;
  default:
    TControl::Dispatch(Message);
    break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message)
{
  if (!FHandle)
    return;
  Message.Result = DefWindowProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::Broadcast(TMessage& Message)
{
  std::vector<TControl*> list = FControls;
  for (TControl* c : list) {
    if (std::find(FControls.begin(), FControls.end(), c) == FControls.end())
      continue;
    c->WindowProc(Message);
    if (Message.Result != 0)
      return;
  }
}

// ---- Painting -------------------------------------------------------------------------------

// A plain windowed control draws nothing beyond its background.
void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
  TCanvas* canvas = CanvasFromDC(DC);
  if (!canvas)
    return;
  auto it = FControls.begin();
  if (First) {
    it = std::find(FControls.begin(), FControls.end(), First);
    if (it == FControls.end())
      it = FControls.begin();
  }
  std::vector<TControl*> list(it, FControls.end());
  for (TControl* c : list) {
    if (dynamic_cast<TWinControl*>(c) || !c->FVisible)
      continue;
    if (!canvas->RectVisible(c->BoundsRect()))
      continue;
    Integer saved = canvas->SaveDC();
    TPoint org = canvas->WindowOrg();
    canvas->SetWindowOrg({org.X - c->FLeft, org.Y - c->FTop});
    canvas->IntersectClipRect(Rect(0, 0, c->FWidth, c->FHeight));
    c->Perform(WM_PAINT, static_cast<WPARAM>(DC), 0);
    canvas->RestoreDC(saved);
  }
}

void TWinControl::PaintHandler(TMessage& Message)
{
  if (Message.WParam) {
    PaintWindow(static_cast<HDC>(Message.WParam));
    PaintControls(static_cast<HDC>(Message.WParam), nullptr);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, ps);
  HWND h = FHandle;
  TDestroyWatch watch(this);
  PaintWindow(dc);
  if (!watch.Destroyed())
    PaintControls(dc, nullptr);
  EndPaint(h, ps);
}

// Double-buffered controls paint into a memory surface first (background with
// WParam = LParam = the memory context, then the painting) and copy it to the window at once.
void TWinControl::WMPaint(TMessage& Message)
{
  if (!FDoubleBuffered || Message.WParam) {
    PaintHandler(Message);
    return;
  }
  PAINTSTRUCT ps;
  HWND h = FHandle;
  HDC dc = BeginPaint(h, ps);
  TRect client = ClientRect();
  TImageSurface memory(std::max(client.Width(), 1), std::max(client.Height(), 1), 0xFFFFFF);
  TCanvas memoryCanvas(&memory);
  HDC mem = CreateCanvasDC(&memoryCanvas);
  TDestroyWatch watch(this);
  Perform(WM_ERASEBKGND, static_cast<WPARAM>(mem), static_cast<LPARAM>(mem));
  if (!watch.Destroyed()) {
    TMessage paint{WM_PAINT, static_cast<WPARAM>(mem), 0, 0};
    PaintHandler(paint);
  }
  DeleteDC(mem);
  if (TCanvas* c = CanvasFromDC(dc))
    c->CopyImage(client, memory, client, cmSrcCopy);
  EndPaint(h, ps);
}

void TWinControl::PaintTo(TCanvas* Canvas, Integer X, Integer Y)
{
  HDC dc = CreateCanvasDC(Canvas);
  TCanvas* c = CanvasFromDC(dc);
  if (!c)
    return;
  TPoint org = c->WindowOrg();
  c->SetWindowOrg({org.X - X, org.Y - Y});
  c->IntersectClipRect(ClientRect());
  Perform(WM_ERASEBKGND, static_cast<WPARAM>(dc), static_cast<LPARAM>(dc));
  Perform(WM_PAINT, static_cast<WPARAM>(dc), 0);
  DeleteDC(dc);
  for (TControl* child : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(child); w && w->FVisible)
      w->PaintTo(Canvas, X + w->FLeft, Y + w->FTop);
}

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
  // A double-buffered control erases in its memory surface only.
  if (FDoubleBuffered && Message.WParam != static_cast<WPARAM>(Message.LParam)) {
    Message.Result = 1;
    return;
  }
  TCanvas* canvas = CanvasFromDC(static_cast<HDC>(Message.WParam));
  if (!canvas) {
    Message.Result = 0;
    return;
  }
  canvas->Brush()->SetColor(FColor);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(ClientRect());
  Message.Result = 1;
}

// ---- Message handlers -----------------------------------------------------------------------

void TWinControl::WMSetFocus(TMessage& Message)
{
  DefaultHandler(Message);
}
void TWinControl::WMKillFocus(TMessage& Message)
{
  DefaultHandler(Message);
}

void TWinControl::WMWindowPosChanged(TMessage& Message)
{
  auto* wp = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
  bool sized = false;
  if (wp) {
    if (!(wp->flags & SWP_NOMOVE)) {
      FLeft = wp->x;
      FTop = wp->y;
    }
    if (!(wp->flags & SWP_NOSIZE)) {
      sized = wp->cx != FWidth || wp->cy != FHeight;
      FWidth = wp->cx;
      FHeight = wp->cy;
    }
  }
  TDestroyWatch watch(this);
  DefaultHandler(Message);
  if (watch.Destroyed())
    return;
  if (sized) {
    Realign();
    Resize();
  }
}

void TWinControl::WMSize(TMessage& Message)
{
  DefaultHandler(Message);
}

void TWinControl::WMKeyDown(TMessage& Message)
{
  if (!DoKeyDown(Message))
    DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message)
{
  if (!DoKeyDown(Message))
    DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message)
{
  if (!DoKeyUp(Message))
    DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message)
{
  if (!DoKeyUp(Message))
    DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message)
{
  if (!DoKeyPress(Message))
    DefaultHandler(Message);
}

// Notifications from child windows go back to the child as CN_COMMAND.
void TWinControl::WMCommand(TMessage& Message)
{
  if (Message.LParam) {
    if (TWinControl* child = FindControl(static_cast<HWND>(Message.LParam))) {
      Message.Result = child->Perform(CN_COMMAND, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMDrawItem(TMessage& Message)
{
  const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
  if (dis && dis->CtlType != ODT_MENU) {
    if (TWinControl* child = FindControl(dis->hwndItem)) {
      Message.Result = child->Perform(CN_DRAWITEM, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

// The record names the control by its window id, which is its handle (ControlWindowProc).
void TWinControl::WMMeasureItem(TMessage& Message)
{
  const auto* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(Message.LParam);
  if (mis && mis->CtlType != ODT_MENU && FHandle) {
    HWND item = static_cast<HWND>(mis->CtlID);
    TWinControl* child = GetParent(item) == FHandle ? FindControl(item) : nullptr;
    if (child && static_cast<UINT>(GetWindowLong(item, GWL_ID)) == mis->CtlID) {
      Message.Result = child->Perform(CN_MEASUREITEM, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

// A scroll bar control's notifications go back to it as CN_HSCROLL/CN_VSCROLL.
void TWinControl::WMScroll(TMessage& Message)
{
  if (Message.LParam) {
    if (TWinControl* bar = FindControl(static_cast<HWND>(Message.LParam))) {
      Message.Result = bar->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

// The screen's cursor overrides everything; otherwise the control under the pointer
// (a windowless child, or this control) picks its own, and crDefault asks the parent.
void TWinControl::WMSetCursor(TMessage& Message)
{
  if (static_cast<SmallInt>(LOWORD(Message.LParam)) == HTCLIENT) {
    TCursor cursor = Screen() ? Screen()->Cursor() : crDefault;
    if (cursor == crDefault) {
      TPoint p;
      GetCursorPos(p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      if (c && !dynamic_cast<TWinControl*>(c))
        cursor = c->Cursor();
      if (cursor == crDefault)
        cursor = FCursor;
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen() ? Screen()->Cursors(cursor) : cursor);
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message)
{
  DefaultHandler(Message);
  if (FHandle)
    SetWindowObject(FHandle, nullptr);
  FHandle = 0;
}

void TWinControl::SetBorderWidth(Integer Value)
{
  Value = std::max(Value, 0);
  if (Value == FBorderWidth)
    return;
  FBorderWidth = Value;
  if (FHandle)
    SetWindowPos(FHandle, 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Realign();
}

void TWinControl::WMNCCalcSize(TMessage& Message)
{
  DefaultHandler(Message);
  if (FBorderWidth > 0 && Message.LParam) {
    TRect& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0];
    InflateRect(r, -FBorderWidth, -FBorderWidth);
  }
}

void TWinControl::WMNCPaint(TMessage& Message)
{
  DefaultHandler(Message);
  if (FBorderWidth <= 0 || !FHandle)
    return;
  // The border band: inside the window's own frame, around the client area.
  HDC dc = GetWindowDC(FHandle);
  if (TCanvas* c = CanvasFromDC(dc)) {
    TRect window;
    GetWindowRect(FHandle, window);
    TPoint origin{0, 0};
    ::ClientToScreen(FHandle, origin);
    TRect client = ClientRect();
    OffsetRect(client, origin.X - window.Left, origin.Y - window.Top);
    TRect band = client;
    InflateRect(band, FBorderWidth, FBorderWidth);
    TRegion area = TRegion(band).Combine(TRegion(client), RGN_DIFF);
    c->Brush()->SetColor(FColor);
    c->FillRegion(area);
  }
  ReleaseDC(FHandle, dc);
}

void TWinControl::WMCaptureChanged(TMessage& Message)
{
  if (ControlsState().CaptureControl && ControlsState().CaptureControl->FParent == this &&
      static_cast<HWND>(Message.LParam) != FHandle)
    ControlsState().CaptureControl = nullptr;
  DefaultHandler(Message);
}

// A key pressed on the focused control: its parents may take it first (CM_CHILDKEY), then
// Tab, arrows, Enter and Esc go to the form as dialog keys unless the control wants them.
void TWinControl::CNKeyDown(TMessage& Message)
{
  Message.Result = 1;
  Word key = static_cast<Word>(Message.WParam);
  TDestroyWatch watch(this);
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  // Shortcuts of the popup menus of this control and its parents, nearest first, then
  // those of the form (its main menu and action lists).
  for (TControl* c = this; c; c = c->Parent()) {
    TPopupMenu* popup = c->PopupMenu();
    if (popup && popup->IsShortCut(key, shift))
      return;
    if (watch.Destroyed())
      return;
  }
  if (TCustomForm* form = GetParentForm(this)) {
    TDestroyWatch formWatch(form);
    if (form->IsShortCut(key, KeyDataToShiftState(Message.LParam)) || watch.Destroyed())
      return;
  }
  if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0 || watch.Destroyed())
    return;
  UINT mask = 0;
  switch (key) {
  case VK_TAB:
    mask = DLGC_WANTTAB;
    break;
  case VK_LEFT:
  case VK_RIGHT:
  case VK_UP:
  case VK_DOWN:
    mask = DLGC_WANTARROWS;
    break;
  case VK_RETURN:
  case VK_EXECUTE:
  case VK_ESCAPE:
  case VK_CANCEL:
    mask = DLGC_WANTALLKEYS;
    break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, Message.LParam) == 0 && !watch.Destroyed() &&
      (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 && !watch.Destroyed()) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0)
      return;
    if (watch.Destroyed())
      return;
  }
  Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message)
{
  Message.Result = 0;
}

// A character the control does not take may be a dialog accelerator; with Alt held
// (CN_SYSCHAR) it always is one, even from a control that takes characters.
void TWinControl::CNChar(TMessage& Message)
{
  Message.Result = 1;
  TDestroyWatch watch(this);
  if ((Message.Msg == CN_SYSCHAR || (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) &&
      !watch.Destroyed()) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
      return;
  }
  Message.Result = 0;
}

void TWinControl::CMEnter(TMessage&)
{
  DoEnter();
}
void TWinControl::CMExit(TMessage&)
{
  DoExit();
}
void TWinControl::CMDialogKey(TMessage& Message)
{
  Broadcast(Message);
}
void TWinControl::CMDialogChar(TMessage& Message)
{
  Broadcast(Message);
}

void TWinControl::CMChildKey(TMessage& Message)
{
  if (FParent)
    Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMFocusChanged(TMessage& Message)
{
  Broadcast(Message);
}

void TWinControl::CMEnabledChanged(TMessage& Message)
{
  if (FHandle)
    EnableWindow(FHandle, FEnabled);
  TControl::CMEnabledChanged(Message);
}

void TWinControl::CMVisibleChanged(TMessage&)
{
  UpdateShowing();
}

void TWinControl::CMColorChanged(TMessage& Message)
{
  FBrush->SetColor(FColor);
  TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(FControls))
    c->WindowProc(m);
  TControl::CMColorChanged(Message);
}

void TWinControl::CMFontChanged(TMessage& Message)
{
  TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(FControls))
    c->WindowProc(m);
  TControl::CMFontChanged(Message);
}

void TWinControl::CMShowingChanged(TMessage&)
{
  UpdateShowing();
}
