// Input: mouse capture, keyboard focus and activation in the platform's message order, key
// state, and the processing of raw input a backend feeds (hit testing, activation on click,
// double clicks, wheel notches, key messages, input-method characters). Backend.h and
// Windows.h describe the interface.
#include <algorithm>
#include <cstdlib>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/WindowsPrivate.h"

using namespace wm;

namespace {

bool NoActivate(const TWnd* top)
{
  if (top->ExStyle & WS_EX_NOACTIVATE)
    return true;
  return (top->ExStyle & WS_EX_TOOLWINDOW) && (top->Style & WS_POPUP) &&
         (top->Style & WS_CAPTION) != WS_CAPTION;
}

bool Activatable(const TWnd* top)
{
  return top && !top->Parent && !top->MessageOnly && !top->Destroying &&
         (top->Style & WS_VISIBLE) && !(top->Style & WS_DISABLED) && !NoActivate(top);
}

UINT MouseKeyFlags()
{
  const Byte* k = State().Keys;
  UINT f = 0;
  if (k[VK_LBUTTON] & 0x80)
    f |= MK_LBUTTON;
  if (k[VK_RBUTTON] & 0x80)
    f |= MK_RBUTTON;
  if (k[VK_MBUTTON] & 0x80)
    f |= MK_MBUTTON;
  if (k[VK_SHIFT] & 0x80)
    f |= MK_SHIFT;
  if (k[VK_CONTROL] & 0x80)
    f |= MK_CONTROL;
  return f;
}

void Deactivate(TWnd* w, HWND next)
{
  HWND h = w->Handle;
  Send(w, WM_NCACTIVATE, 0, static_cast<LPARAM>(next));
  if ((w = FromHandle(h)))
    Send(w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, (w->Style & WS_MINIMIZE) ? 1 : 0),
         static_cast<LPARAM>(next));
}

// The window that takes over when top goes away: its owner, else the front-most other window.
TWnd* NextActive(TWnd* top)
{
  if (top->Owner && Activatable(top->Owner) && !InSubtree(top->Owner, top))
    return top->Owner;
  for (TWnd* w : State().TopLevels)
    if (w != top && Activatable(w) && w->Owner != top)
      return w;
  return nullptr;
}

// The window mouse input at a screen point goes to, and its hit-test code.
HWND MouseTarget(TPoint screen, LRESULT& hit)
{
  TState& s = State();
  hit = HTCLIENT;
  if (TWnd* c = FromHandle(s.Capture))
    return c->Handle;
  HWND h = WindowFromPoint(screen);
  TWnd* w = FromHandle(h);
  if (!w)
    return 0;
  hit = Send(w, WM_NCHITTEST, 0, PointToLParam(screen));
  return FromHandle(h) ? h : 0;
}

} // namespace

namespace wm {

// The interactive move/size loop: the window follows the pointer (moving, or dragging the
// edges hit names) until the left button is released; Esc puts it back. It starts from the
// press being handled (the button down as of that message, the point where it was) and runs
// on the one queue, so timers and posted messages keep being dispatched meanwhile.
void MoveSizeLoop(HWND hwnd, LRESULT hit)
{
  TWnd* w = FromHandle(hwnd);
  if (!w || GetKeyState(VK_LBUTTON) >= 0)
    return;
  const TPoint start = GetMessagePos();
  const TRect startRect = w->Rect;
  auto place = [hwnd](const TRect& r) {
    SetWindowPos(hwnd, 0, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  };
  auto follow = [&](TPoint p) {
    Integer dx = p.X - start.X, dy = p.Y - start.Y;
    TRect r = startRect;
    if (hit == HTCAPTION) {
      OffsetRect(r, dx, dy);
    } else {
      if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT)
        r.Left = std::min(r.Left + dx, r.Right - 1);
      if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT)
        r.Right = std::max(r.Right + dx, r.Left + 1);
      if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT)
        r.Top = std::min(r.Top + dy, r.Bottom - 1);
      if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT)
        r.Bottom = std::max(r.Bottom + dy, r.Top + 1);
    }
    place(r);
  };
  SendMessage(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  TScopeExit unwinding([hwnd] {
    try {
      SendMessage(hwnd, WM_EXITSIZEMOVE, 0, 0);
    } catch (...) {
    }
  });
  TTrackLoop loop;
  loop.CaptureWindow = hwnd;
  loop.FilterCode = hit == HTCAPTION ? MSGF_MOVE : MSGF_SIZE;
  loop.Name = "the move/size loop";
  loop.OnMessage = [&](MSG& m) {
    switch (m.message) {
    case WM_MOUSEMOVE:
      follow(m.pt);
      return trHandled;
    case WM_LBUTTONUP: {
      follow(m.pt);
      // A WH_CBT hook may refuse the new place: the window goes back.
      TWnd* moved = FromHandle(hwnd);
      TRect now = moved ? moved->Rect : startRect;
      if (CbtVeto(HCBT_MOVESIZE, hwnd, reinterpret_cast<LPARAM>(&now)))
        place(startRect);
      return trEnd;
    }
    case WM_KEYDOWN:
      if (m.wParam != VK_ESCAPE)
        return trPass;
      place(startRect);
      return trEnd;
    }
    // Other buttons do nothing while moving.
    return IsMouseMessage(m.message) ? trHandled : trPass;
  };
  TrackModal(loop);
  unwinding.Dismiss();
  SendMessage(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

void ActivateTopLevel(TWnd* w, Integer how)
{
  TState& s = State();
  w = TopLevelOf(w);
  if (!w || w->MessageOnly)
    return;
  HWND h = w->Handle;
  HWND old = s.Active;
  if (old == h)
    return;
  CBTACTIVATESTRUCT cbt;
  cbt.fMouse = how == WA_CLICKACTIVE;
  cbt.hWndActive = old;
  if (CbtVeto(HCBT_ACTIVATE, h, reinterpret_cast<LPARAM>(&cbt)) || !(w = FromHandle(h)))
    return;
  if (!s.AppActive) {
    s.AppActive = true;
    BroadcastMessage(WM_ACTIVATEAPP, 1, 0);
    if (!(w = FromHandle(h)))
      return;
  }
  // A capture held elsewhere ends when another window takes the activation.
  if (TWnd* c = FromHandle(s.Capture); c && TopLevelOf(c) != w) {
    Send(c, WM_CANCELMODE, 0, 0);
    if (!(w = FromHandle(h)))
      return;
  }
  if (TWnd* o = FromHandle(old))
    Deactivate(o, h);
  if (!(w = FromHandle(h)))
    return;
  s.Active = h;
  SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!(w = FromHandle(h)))
    return;
  Send(w, WM_NCACTIVATE, 1, static_cast<LPARAM>(old));
  if (!(w = FromHandle(h)))
    return;
  Send(w, WM_ACTIVATE, MAKEWPARAM(how, (w->Style & WS_MINIMIZE) ? 1 : 0), static_cast<LPARAM>(old));
  // Focus left behind in the window that lost activation goes away.
  TWnd* f = FromHandle(s.Focus);
  TWnd* oldTop = FromHandle(old);
  if (f && oldTop && TopLevelOf(f) == oldTop && s.Active == h)
    SetFocus(0);
}

void WindowGoingAway(TWnd* w)
{
  TState& s = State();
  HWND h = w->Handle;
  if (TWnd* c = FromHandle(s.Capture); c && InSubtree(c, w))
    ReleaseCapture();
  if (!(w = FromHandle(h)))
    return;
  if (TWnd* f = FromHandle(s.Focus); f && InSubtree(f, w)) {
    TWnd* top = TopLevelOf(w);
    if (w->Parent && !w->Destroying && VisibleChain(top) && top != w)
      SetFocus(top->Handle);
    else
      SetFocus(0);
  }
  if (!(w = FromHandle(h)))
    return;
  if (!w->Parent && s.Active == h) {
    if (TWnd* next = NextActive(w))
      ActivateTopLevel(next, WA_ACTIVE);
    // Nothing takes over (or a WH_CBT hook kept the next one from it).
    if ((w = FromHandle(h)) && s.Active == h) {
      Deactivate(w, 0);
      s.Active = 0;
    }
  }
  if (!(w = FromHandle(h)) || !w->Destroying)
    return;
  auto& timers = s.Timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [h](const TTimerRec& t) { return t.Window == h; }),
               timers.end());
  auto& q = s.Queue;
  q.erase(std::remove_if(q.begin(), q.end(), [h](const MSG& m) { return m.hwnd == h; }), q.end());
  if (s.CursorWindow == h)
    s.CursorWindow = 0;
  if (s.CaretWnd == h) {
    s.CaretWnd = 0;
    s.CaretDrawn = false;
    s.CaretHidden = 1;
  }
}

void CancelModeOnDisable(TWnd* w)
{
  TState& s = State();
  HWND h = w->Handle;
  if (TWnd* c = FromHandle(s.Capture); c && InSubtree(c, w))
    Send(c, WM_CANCELMODE, 0, 0);
  if (!(w = FromHandle(h)))
    return;
  if (TWnd* f = FromHandle(s.Focus); f && InSubtree(f, w))
    SetFocus(0);
}

} // namespace wm

// ---- Capture -----------------------------------------------------------------------------------

HWND SetCapture(HWND hwnd)
{
  TState& s = State();
  HWND old = s.Capture;
  if (hwnd && !FromHandle(hwnd))
    return old;
  if (old == hwnd)
    return old;
  s.Capture = hwnd;
  if (TWnd* o = FromHandle(old))
    Send(o, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(hwnd));
  if (TWindowBackend* b = WindowBackend())
    b->CaptureChanged(s.Capture);
  return old;
}

bool ReleaseCapture()
{
  TState& s = State();
  HWND old = s.Capture;
  if (!old)
    return true;
  s.Capture = 0;
  if (TWnd* o = FromHandle(old))
    Send(o, WM_CAPTURECHANGED, 0, 0);
  if (TWindowBackend* b = WindowBackend())
    b->CaptureChanged(0);
  return true;
}

HWND GetCapture()
{
  return FromHandle(State().Capture) ? State().Capture : 0;
}

// ---- Focus and activation ------------------------------------------------------------------

HWND SetFocus(HWND hwnd)
{
  TState& s = State();
  HWND old = FromHandle(s.Focus) ? s.Focus : 0;
  TWnd* w = FromHandle(hwnd);
  if (hwnd && !w)
    return 0;
  if (w) {
    TWnd* top = TopLevelOf(w);
    if (!NoActivate(top) && s.Active != top->Handle) {
      ActivateTopLevel(top, WA_ACTIVE);
      old = FromHandle(s.Focus) ? s.Focus : 0;
      if (!FromHandle(hwnd))
        return old;
    }
  }
  if (old == hwnd)
    return old;
  if (CbtVeto(HCBT_SETFOCUS, hwnd, static_cast<LPARAM>(old)))
    return 0;
  if (TWnd* o = FromHandle(old)) {
    s.Focus = 0;
    Send(o, WM_KILLFOCUS, static_cast<WPARAM>(hwnd), 0);
  }
  if (!(w = FromHandle(hwnd))) {
    s.Focus = 0;
    return old;
  }
  s.Focus = hwnd;
  Send(w, WM_SETFOCUS, static_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus()
{
  return FromHandle(State().Focus) ? State().Focus : 0;
}

HWND SetActiveWindow(HWND hwnd)
{
  HWND old = GetActiveWindow();
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return old;
  ActivateTopLevel(TopLevelOf(w), WA_ACTIVE);
  return old;
}

HWND GetActiveWindow()
{
  return FromHandle(State().Active) ? State().Active : 0;
}

bool SetForegroundWindow(HWND hwnd)
{
  if (!FromHandle(hwnd))
    return false;
  SetActiveWindow(hwnd);
  return true;
}

HWND GetForegroundWindow()
{
  return State().AppActive ? GetActiveWindow() : 0;
}

// ---- Key and pointer state -----------------------------------------------------------------

namespace wm {

void SyncKeyState(const MSG& msg)
{
  Byte* keys = State().SyncKeys;
  auto set = [keys](Integer vk, bool down) {
    if (down) {
      if (!(keys[vk] & 0x80))
        keys[vk] ^= 0x01;
      keys[vk] |= 0x80;
    } else {
      keys[vk] &= ~0x80;
    }
  };
  switch (msg.message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_KEYUP:
  case WM_SYSKEYUP: {
    bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    Integer vk = static_cast<Integer>(msg.wParam & 0xFF);
    set(vk, down);
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
      set(VK_SHIFT, down);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL)
      set(VK_CONTROL, down);
    if (vk == VK_LMENU || vk == VK_RMENU)
      set(VK_MENU, down);
    bool altKey = vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU;
    if (down)
      State().AltAlone = altKey && !(msg.lParam & 0x40000000); // a repeat is not a new press
    break;
  }
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_NCLBUTTONDOWN:
  case WM_NCLBUTTONDBLCLK:
    State().AltAlone = false;
    set(VK_LBUTTON, true);
    break;
  case WM_LBUTTONUP:
  case WM_NCLBUTTONUP:
    set(VK_LBUTTON, false);
    break;
  case WM_RBUTTONDOWN:
  case WM_RBUTTONDBLCLK:
  case WM_NCRBUTTONDOWN:
  case WM_NCRBUTTONDBLCLK:
    set(VK_RBUTTON, true);
    break;
  case WM_RBUTTONUP:
  case WM_NCRBUTTONUP:
    set(VK_RBUTTON, false);
    break;
  case WM_MBUTTONDOWN:
  case WM_MBUTTONDBLCLK:
  case WM_NCMBUTTONDOWN:
  case WM_NCMBUTTONDBLCLK:
    set(VK_MBUTTON, true);
    break;
  case WM_MBUTTONUP:
  case WM_NCMBUTTONUP:
    set(VK_MBUTTON, false);
    break;
  }
}

} // namespace wm

SmallInt GetKeyState(Integer vk)
{
  if (vk < 0 || vk > 255)
    return 0;
  Byte k = State().SyncKeys[vk];
  return static_cast<SmallInt>(((k & 0x80) ? 0x8000 : 0) | (k & 1));
}

SmallInt GetAsyncKeyState(Integer vk)
{
  if (vk < 0 || vk > 255)
    return 0;
  return (State().Keys[vk] & 0x80) ? static_cast<SmallInt>(0x8000) : 0;
}

bool GetKeyboardState(Byte state[256])
{
  std::copy(State().SyncKeys, State().SyncKeys + 256, state);
  return true;
}

bool GetCursorPos(TPoint& point)
{
  point = State().Cursor;
  return true;
}

bool SetCursorPos(Integer x, Integer y)
{
  InputMouseMove({x, y});
  return true;
}

UINT GetDoubleClickTime()
{
  return State().DoubleClickTime;
}

bool SetDoubleClickTime(UINT ms)
{
  State().DoubleClickTime = ms == 0 ? 500 : ms;
  return true;
}

// ---- Monitors -----------------------------------------------------------------------------------

namespace {

constexpr HMONITOR PrimaryMonitor = 1;

TRect ScreenBounds()
{
  return Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

} // namespace

void SetWorkArea(const TRect& area)
{
  State().WorkArea = area;
}

HMONITOR MonitorFromPoint(TPoint point, DWORD flags)
{
  if (flags == MONITOR_DEFAULTTONULL && !PtInRect(ScreenBounds(), point))
    return 0;
  return PrimaryMonitor;
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags)
{
  TRect r;
  if (!GetWindowRect(hwnd, r))
    return flags == MONITOR_DEFAULTTONULL ? 0 : PrimaryMonitor;
  TRect common;
  if (flags == MONITOR_DEFAULTTONULL && !IntersectRect(common, r, ScreenBounds()))
    return 0;
  return PrimaryMonitor;
}

bool GetMonitorInfo(HMONITOR monitor, MONITORINFO& info)
{
  if (monitor != PrimaryMonitor)
    return false;
  info.rcMonitor = ScreenBounds();
  info.rcWork = IsRectEmpty(State().WorkArea) ? info.rcMonitor : State().WorkArea;
  info.dwFlags = MONITORINFOF_PRIMARY;
  return true;
}

bool GetVersionEx(OSVERSIONINFO& info)
{
  info.dwMajorVersion = static_cast<DWORD>(Win32MajorVersion);
  info.dwMinorVersion = static_cast<DWORD>(Win32MinorVersion);
  info.dwBuildNumber = 2600;
  info.dwPlatformId = static_cast<DWORD>(Win32Platform);
  info.szCSDVersion = "Service Pack 3";
  return true;
}

bool SystemParametersInfo(UINT action, UINT, void* data, UINT)
{
  switch (action) {
  case SPI_GETWORKAREA: {
    MONITORINFO mi;
    GetMonitorInfo(PrimaryMonitor, mi);
    *static_cast<TRect*>(data) = mi.rcWork;
    return true;
  }
  case SPI_GETWHEELSCROLLLINES:
    *static_cast<UINT*>(data) = 3;
    return true;
  }
  return false;
}

// ---- Raw input ------------------------------------------------------------------------------
//
// A backend's input goes into the input queue as it arrives; only the key and button state
// (GetAsyncKeyState) and the pointer (GetCursorPos) change at once. PeekMessage routes each
// event when it reaches it and delivers it when it takes it off (RouteInput, DeliverInput).

namespace {

void QueueInput(TInputEvent e)
{
  TState& s = State();
  e.Id = s.NextInputId++;
  if (s.NextInputId == 0)
    s.NextInputId = 1;
  e.Time = GetTickCount();
  s.Input.push_back(e);
}

void SetAsyncKey(Word vk, bool down)
{
  Byte& k = State().Keys[vk];
  if (down) {
    if (!(k & 0x80))
      k ^= 0x01; // the toggle state flips on each press
    k |= 0x80;
  } else {
    k &= ~0x80;
  }
}

// A press at the same place soon enough after the last one on the same window is a double
// click (of a client area only for a class that wants them).
bool IsDoubleClick(const TInputEvent& e, TWnd* w, UINT msg, bool client)
{
  TState& s = State();
  bool sameSpot = std::abs(e.Pt.X - s.LastDownPos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                  std::abs(e.Pt.Y - s.LastDownPos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  bool dbl = !s.LastWasDouble && s.LastDownMsg == msg && s.LastDownWnd == w->Handle && sameSpot &&
             e.Time - s.LastDownTime <= GetDoubleClickTime() &&
             (!client || (w->ClassStyle & CS_DBLCLKS));
  s.LastDownMsg = msg;
  s.LastDownWnd = w->Handle;
  s.LastDownTime = e.Time;
  s.LastDownPos = e.Pt;
  s.LastWasDouble = dbl;
  return dbl;
}

bool RouteMouse(TInputEvent& e)
{
  static const UINT clientBase[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const UINT ncBase[] = {WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN};
  TState& s = State();
  LRESULT hit = HTCLIENT;
  HWND target = MouseTarget(e.Pt, hit);
  TWnd* w = FromHandle(target);
  if (!w)
    return false;
  e.Captured = target == s.Capture;
  e.Hit = hit;
  bool press = e.Kind == ikMouseButton && e.Down;
  if (!e.Captured && !EnabledChain(w)) {
    if (press)
      MessageBeep(0);
    return false;
  }
  bool client = hit == HTCLIENT;
  UINT msg = client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
  if (e.Kind == ikMouseButton) {
    msg = (client ? clientBase[e.Button] : ncBase[e.Button]) + (e.Down ? 0 : 1);
    if (press && IsDoubleClick(e, w, msg, client))
      msg += 2;
  }
  MSG& m = e.Msg;
  m.hwnd = target;
  m.message = msg;
  if (client) {
    TPoint p = e.Pt;
    ScreenToClient(target, p);
    m.wParam = e.WParam;
    m.lParam = PointToLParam(p);
  } else {
    m.wParam = static_cast<WPARAM>(hit);
    m.lParam = PointToLParam(e.Pt);
  }
  return true;
}

// Every press asks the window (and through it its parents, where MDI children take the
// activation among themselves); the top-level window activates when it is not active.
// False when the answer eats the click.
bool ClickActivate(const TInputEvent& e)
{
  TState& s = State();
  HWND target = e.Msg.hwnd;
  TWnd* w = FromHandle(target);
  TWnd* top = TopLevelOf(w);
  HWND topHandle = top->Handle;
  static const UINT clientBase[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  UINT button = clientBase[e.Button]; // named as a client press, whatever the hit
  LRESULT answer =
      Send(w, WM_MOUSEACTIVATE, topHandle, MAKELPARAM(static_cast<Integer>(e.Hit), button));
  if (!(w = FromHandle(target)) || !(top = FromHandle(topHandle)))
    return false;
  if (s.Active != topHandle && Activatable(top) &&
      (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT))
    ActivateTopLevel(top, WA_CLICKACTIVE);
  if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT)
    return false;
  if (!(w = FromHandle(target)))
    return false;
  Send(w, WM_SETCURSOR, target, MAKELPARAM(static_cast<Integer>(e.Hit), button));
  return FromHandle(target) != nullptr;
}

// Offers mouse input to the WH_MOUSE hooks; true when one of them took it.
bool MouseHooked(const TInputEvent& e, Integer code)
{
  if (State().Hooks.empty())
    return false;
  MOUSEHOOKSTRUCT mh;
  mh.pt = e.Pt;
  mh.hwnd = e.Msg.hwnd;
  mh.wHitTestCode = static_cast<UINT>(e.Hit);
  if (RunHooks(WH_MOUSE, code, e.Msg.message, reinterpret_cast<LPARAM>(&mh)) == 0)
    return false;
  if (code == HC_ACTION)
    RunHooks(WH_CBT, HCBT_CLICKSKIPPED, e.Msg.message, reinterpret_cast<LPARAM>(&mh));
  return true;
}

// Offers a key to the WH_KEYBOARD hooks; true when one of them took it.
bool KeyHooked(const TInputEvent& e, Integer code)
{
  if (State().Hooks.empty() || RunHooks(WH_KEYBOARD, code, e.Msg.wParam, e.Msg.lParam) == 0)
    return false;
  if (code == HC_ACTION)
    RunHooks(WH_CBT, HCBT_KEYSKIPPED, e.Msg.wParam, e.Msg.lParam);
  return true;
}

bool RangeOverlaps(UINT first, UINT last, UINT a, UINT b)
{
  return (first == 0 && last == 0) || (first <= b && a <= last);
}

} // namespace

namespace wm {

bool InputMayMatch(const TInputEvent& e, UINT first, UINT last)
{
  switch (e.Kind) {
  case ikMouseMove:
  case ikMouseButton:
    return RangeOverlaps(first, last, WM_MOUSEFIRST, WM_MOUSELAST) ||
           RangeOverlaps(first, last, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK);
  default:
    return RangeOverlaps(first, last, e.Message, e.Message);
  }
}

bool RouteInput(TInputEvent& e)
{
  e.Routed = true;
  e.Msg = MSG();
  e.Msg.time = e.Time;
  e.Msg.pt = e.Pt;
  if (e.Kind == ikMouseMove || e.Kind == ikMouseButton)
    return RouteMouse(e);
  // Keys, characters and the wheel go to the focus, or to the active window.
  HWND target = GetFocus() ? GetFocus() : GetActiveWindow();
  if (!target)
    return false;
  e.Msg.hwnd = target;
  e.Msg.message = e.Message;
  e.Msg.wParam = e.WParam;
  e.Msg.lParam = e.LParam;
  return true;
}

void PeekInput(const TInputEvent& e)
{
  if (e.Kind == ikMouseMove || e.Kind == ikMouseButton || e.Kind == ikWheel)
    MouseHooked(e, HC_NOREMOVE);
  else if (e.Kind == ikKey)
    KeyHooked(e, HC_NOREMOVE);
}

bool DeliverInput(TInputEvent& e)
{
  TState& s = State();
  HWND target = e.Msg.hwnd;
  switch (e.Kind) {
  case ikKey:
    return !KeyHooked(e, HC_ACTION);
  case ikChar:
    return true;
  case ikWheel:
    return !MouseHooked(e, HC_ACTION);
  case ikMouseMove:
  case ikMouseButton:
    break;
  }
  // The hooks come first: one that drops a click keeps it from activating a window.
  if (MouseHooked(e, HC_ACTION))
    return false;
  if (!e.Captured) {
    if (e.Kind == ikMouseButton && e.Down) {
      if (!ClickActivate(e))
        return false;
    } else if (e.Kind == ikMouseMove) {
      TWnd* w = FromHandle(target);
      if (!w)
        return false;
      Send(w, WM_SETCURSOR, target, MAKELPARAM(static_cast<Integer>(e.Hit), WM_MOUSEMOVE));
    }
  }
  if (!FromHandle(target))
    return false;
  s.CursorWindow = target;
  return true;
}

} // namespace wm

void InputMouseMove(TPoint screen)
{
  State().Cursor = screen;
  TInputEvent e;
  e.Kind = ikMouseMove;
  e.Pt = screen;
  e.WParam = MouseKeyFlags();
  QueueInput(e);
}

void InputMouseButton(TMouseButtonKind button, bool down, TPoint screen)
{
  static const Word vks[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  State().Cursor = screen;
  SetAsyncKey(vks[button], down);
  TInputEvent e;
  e.Kind = ikMouseButton;
  e.Button = button;
  e.Down = down;
  e.Pt = screen;
  e.WParam = MouseKeyFlags();
  QueueInput(e);
}

void InputMouseWheel(Integer delta, TPoint screen)
{
  TState& s = State();
  s.Cursor = screen;
  s.WheelRemainder += delta;
  Integer notches = s.WheelRemainder / WHEEL_DELTA;
  if (notches == 0)
    return;
  s.WheelRemainder -= notches * WHEEL_DELTA;
  TInputEvent e;
  e.Kind = ikWheel;
  e.Pt = screen;
  e.Message = WM_MOUSEWHEEL;
  e.WParam = MAKEWPARAM(static_cast<Integer>(MouseKeyFlags()), notches * WHEEL_DELTA);
  e.LParam = PointToLParam(screen);
  QueueInput(e);
}

void InputKey(Word vk, bool down)
{
  TState& s = State();
  SetAsyncKey(vk, down);
  if (vk == VK_LSHIFT || vk == VK_RSHIFT)
    SetAsyncKey(VK_SHIFT, down);
  if (vk == VK_LCONTROL || vk == VK_RCONTROL)
    SetAsyncKey(VK_CONTROL, down);
  if (vk == VK_LMENU || vk == VK_RMENU)
    SetAsyncKey(VK_MENU, down);
  // Whether it is a system key is a matter of the modifiers as the key arrived.
  bool alt = (s.Keys[VK_MENU] & 0x80) || (vk == VK_MENU && !down);
  bool ctrl = s.Keys[VK_CONTROL] & 0x80;
  bool sys = (alt && !ctrl) || vk == VK_F10;
  TInputEvent e;
  e.Kind = ikKey;
  e.Pt = s.Cursor;
  e.Message = sys ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  e.WParam = vk;
  e.LParam = 1 | (alt ? (1 << 29) : 0) | (down ? 0 : static_cast<LPARAM>(0xC0000000u));
  QueueInput(e);
}

void InputImeChar(Word gbk)
{
  TInputEvent e;
  e.Kind = ikChar;
  e.Pt = State().Cursor;
  e.Message = gbk > 0xFF ? WM_IME_CHAR : WM_CHAR;
  e.WParam = gbk;
  e.LParam = 1;
  QueueInput(e);
}

void InputActivateApp(bool active)
{
  TState& s = State();
  if (active == s.AppActive)
    return;
  if (!active) {
    HWND old = GetActiveWindow();
    if (TWnd* w = FromHandle(old))
      Deactivate(w, 0);
    s.AppActive = false;
    BroadcastMessage(WM_ACTIVATEAPP, 0, 0);
    // The active window is remembered: activation comes back to it.
    return;
  }
  s.AppActive = true;
  BroadcastMessage(WM_ACTIVATEAPP, 1, 0);
  HWND h = GetActiveWindow();
  if (TWnd* w = FromHandle(h)) {
    Send(w, WM_NCACTIVATE, 1, 0);
    if ((w = FromHandle(h)))
      Send(w, WM_ACTIVATE, WA_ACTIVE, 0);
  }
}
