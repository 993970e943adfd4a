// Messages: sending (synchronous, re-entrant), the posted queue, PeekMessage/GetMessage
// with paint and timer messages made up when the queue is empty, key translation, the
// default window procedure, timers on the runtime clock, and hooks. Windows.h describes
// the interface.
#include <algorithm>
#include <cstring>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/WindowsPrivate.h"

namespace {

TWindowBackend* gBackend = nullptr;
TMessageFilter gFilter = nullptr;
AnsiString gWaiter;
void (*gIdleHook)() = nullptr;

bool InRange(UINT m, UINT first, UINT last)
{
  if (first == 0 && last == 0)
    return true;
  return m >= first && m <= last;
}

bool WindowMatches(HWND filter, HWND hwnd)
{
  if (filter == 0)
    return true;
  return hwnd == filter || IsChild(filter, hwnd);
}

// Signed distance from now to a tick count, wrap-safe.
Integer TicksUntil(Cardinal due, Cardinal now)
{
  return static_cast<Integer>(due - now);
}

wm::TTimerRec* DueTimer(HWND filter)
{
  wm::TState& s = wm::State();
  Cardinal now = GetTickCount();
  wm::TTimerRec* best = nullptr;
  for (wm::TTimerRec& t : s.Timers) {
    if (TicksUntil(t.Due, now) > 0)
      continue;
    if (filter && !WindowMatches(filter, t.Window))
      continue;
    if (!best || TicksUntil(t.Due, best->Due) < 0)
      best = &t;
  }
  return best;
}

} // namespace

namespace wm {

bool InSubtree(const TWnd* w, const TWnd* root)
{
  for (; w; w = w->Parent)
    if (w == root)
      return true;
  return false;
}

LRESULT RunHooks(Integer kind, Integer code, WPARAM wParam, LPARAM lParam)
{
  for (const THookRec& h : State().Hooks)
    if (h.Kind == kind)
      return h.Proc(code, wParam, lParam);
  return 0;
}

bool CbtVeto(Integer code, WPARAM wParam, LPARAM lParam)
{
  return !State().Hooks.empty() && RunHooks(WH_CBT, code, wParam, lParam) != 0;
}

LRESULT CallProc(TWnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  HWND h = w->Handle;
  const WPARAM sent = State().SendDepth > 0 ? 1 : 0;
  if (!State().Hooks.empty()) {
    CWPSTRUCT cwp;
    cwp.hwnd = h;
    cwp.message = msg;
    cwp.wParam = wParam;
    cwp.lParam = lParam;
    RunHooks(WH_CALLWNDPROC, HC_ACTION, sent, reinterpret_cast<LPARAM>(&cwp));
    if (!(w = FromHandle(h)))
      return 0;
  }
  LRESULT result = w->Proc(h, msg, wParam, lParam);
  if (!State().Hooks.empty()) {
    CWPRETSTRUCT ret;
    ret.lResult = result;
    ret.hwnd = h;
    ret.message = msg;
    ret.wParam = wParam;
    ret.lParam = lParam;
    RunHooks(WH_CALLWNDPROCRET, HC_ACTION, sent, reinterpret_cast<LPARAM>(&ret));
  }
  return result;
}

LRESULT Send(TWnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  TState& s = State();
  ++s.SendDepth;
  struct TDepth {
    ~TDepth() { --State().SendDepth; }
  } depth;
  return CallProc(w, msg, wParam, lParam);
}

MSG PostedMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = GetTickCount();
  m.pt = State().Cursor;
  return m;
}

void PostFront(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  State().Queue.push_front(PostedMessage(hwnd, msg, wParam, lParam));
}

void ResetState()
{
  TState& s = State();
  s.TopLevels.clear();
  s.MessageOnly.clear();
  s.Queue.clear();
  s.Input.clear();
  s.QuitPending = false;
  s.QuitCode = 0;
  s.Timers.clear();
  s.Hooks.clear();
  s.Capture = s.Focus = s.Active = 0;
  s.AppActive = false;
  std::memset(s.Keys, 0, sizeof s.Keys);
  std::memset(s.SyncKeys, 0, sizeof s.SyncKeys);
  s.Cursor = {};
  s.CursorWindow = 0;
  s.Current = MSG();
  s.LastDownMsg = 0;
  s.LastDownWnd = 0;
  s.LastDownTime = 0;
  s.LastWasDouble = false;
  s.WheelRemainder = 0;
  s.Dcs.clear();
  s.Beeps = 0;
  s.Cursor_ = -2;
  s.CaretWnd = 0;
  s.CaretRect = TRect();
  s.CaretHidden = 1;
  s.CaretDrawn = false;
  s.Overlays.clear();
}

} // namespace wm

using namespace wm;

TWindowBackend* WindowBackend()
{
  return gBackend;
}
void SetWindowBackend(TWindowBackend* backend)
{
  gBackend = backend;
}

void SetMessageFilter(TMessageFilter filter)
{
  gFilter = filter;
}

AnsiString SetWaiterName(const AnsiString& name)
{
  AnsiString old = gWaiter;
  gWaiter = name;
  return old;
}
void SetIdleHook(void (*hook)())
{
  gIdleHook = hook;
}

void RunIdleHook()
{
  if (gIdleHook)
    gIdleHook();
}

namespace wm {

void FilterAndDispatch(MSG& msg)
{
  if (gFilter && gFilter(msg))
    return;
  TranslateMessage(msg);
  DispatchMessage(msg);
}

} // namespace wm

bool ProcessQueuedMessage()
{
  MSG msg;
  if (!PeekMessage(msg, 0, 0, 0, PM_NOREMOVE) || msg.message == WM_QUIT)
    return false;
  if (!PeekMessage(msg, 0, 0, 0, PM_REMOVE))
    return false;
  FilterAndDispatch(msg);
  return true;
}

Integer BeepCount()
{
  return State().Beeps;
}

bool MessageBeep(UINT)
{
  ++State().Beeps;
  if (gBackend)
    gBackend->Beep();
  return true;
}

// ---- Sending and posting -------------------------------------------------------------------

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0;
  return Send(w, msg, wParam, lParam);
}

bool SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  Send(w, msg, wParam, lParam);
  return true;
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (hwnd && !FromHandle(hwnd))
    return false;
  if (msg == WM_QUIT && hwnd == 0) {
    PostQuitMessage(static_cast<Integer>(wParam));
    return true;
  }
  State().Queue.push_back(PostedMessage(hwnd, msg, wParam, lParam));
  return true;
}

bool PostThreadMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
  return PostMessage(0, msg, wParam, lParam);
}

void PostQuitMessage(Integer exitCode)
{
  State().QuitPending = true;
  State().QuitCode = exitCode;
}

bool InSendMessage()
{
  return State().SendDepth > 0;
}

void BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
  std::vector<HWND> targets;
  EnumTopLevelWindows(targets);
  for (TWnd* w : State().MessageOnly)
    targets.push_back(w->Handle);
  for (HWND h : targets)
    SendMessage(h, msg, wParam, lParam);
}

// ---- Retrieval ---------------------------------------------------------------------------------

namespace {

// The input queue's part of a peek: the first event that yields a matching message, routed
// as it is reached; events whose kind cannot match the filter are passed over unrouted.
// Routing and delivery send messages, which may take events off the queue themselves: an
// event is looked up again by its id after each.
bool PeekInputQueue(MSG& msg, HWND hwnd, UINT first, UINT last, bool remove)
{
  TState& s = State();
  auto find = [&s](UINT id) {
    for (std::size_t i = 0; i < s.Input.size(); ++i)
      if (s.Input[i].Id == id)
        return i;
    return s.Input.size();
  };
  for (std::size_t i = 0; i < s.Input.size();) {
    if (!s.Input[i].Routed) {
      if (!InputMayMatch(s.Input[i], first, last)) {
        ++i;
        continue;
      }
      TInputEvent e = s.Input[i];
      bool routed = RouteInput(e);
      i = find(e.Id);
      if (i == s.Input.size()) {
        i = 0; // taken meanwhile: look again from the start
        continue;
      }
      if (!routed) {
        s.Input.erase(s.Input.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
      s.Input[i] = e;
    }
    TInputEvent& e = s.Input[i];
    if (!FromHandle(e.Msg.hwnd)) {
      s.Input.erase(s.Input.begin() + static_cast<std::ptrdiff_t>(i));
      continue; // its window is gone
    }
    if (!WindowMatches(hwnd, e.Msg.hwnd) || !InRange(e.Msg.message, first, last)) {
      ++i;
      continue;
    }
    if (!remove) {
      TInputEvent copy = e;
      PeekInput(copy);
      msg = copy.Msg;
      return true;
    }
    TInputEvent taken = e;
    s.Input.erase(s.Input.begin() + static_cast<std::ptrdiff_t>(i));
    if (!DeliverInput(taken)) {
      i = 0;
      continue;
    }
    msg = taken.Msg;
    SyncKeyState(msg);
    return true;
  }
  return false;
}

} // namespace

// The order a window of ours sees things in: posted messages, a quit request, input, then
// paints and due timers.
bool PeekMessage(MSG& msg, HWND hwnd, UINT first, UINT last, UINT flags)
{
  TState& s = State();
  bool remove = (flags & PM_REMOVE) != 0;
  for (std::size_t i = 0; i < s.Queue.size();) {
    MSG m = s.Queue[i];
    if (!WindowMatches(hwnd, m.hwnd) || !InRange(m.message, first, last)) {
      ++i;
      continue;
    }
    if (remove)
      s.Queue.erase(s.Queue.begin() + static_cast<std::ptrdiff_t>(i));
    if (m.hwnd && !FromHandle(m.hwnd)) {
      if (!remove)
        ++i;
      continue; // its window is gone
    }
    if (remove) {
      if (!s.Hooks.empty())
        RunHooks(WH_GETMESSAGE, HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&m));
      s.Current = m;
    }
    msg = m;
    return true;
  }
  if (s.QuitPending) {
    // Returned whatever the filters say, and taken off when removed: a loop that gets it
    // and is not the one to end puts it back (PostQuitMessage).
    msg = MSG();
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(s.QuitCode);
    msg.time = GetTickCount();
    if (remove)
      s.QuitPending = false;
    return true;
  }
  if (PeekInputQueue(msg, hwnd, first, last, remove)) {
    if (remove) {
      if (!s.Hooks.empty())
        RunHooks(WH_GETMESSAGE, HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
      s.Current = msg;
    }
    return true;
  }
  BlinkCaretIfDue();
  if (InRange(WM_PAINT, first, last)) {
    for (;;) {
      TWnd* w = NextPaintWindow();
      if (!w)
        break;
      if (hwnd && !WindowMatches(hwnd, w->Handle))
        break;
      if (w->Update.IsEmpty() && w->FrameNeeded) {
        // Only the frame is out of date: paint it here and look again.
        w->FrameNeeded = false;
        HWND h = w->Handle;
        Send(w, WM_NCPAINT, 1, 0);
        (void)h;
        continue;
      }
      msg = MSG();
      msg.hwnd = w->Handle;
      msg.message = WM_PAINT;
      msg.time = GetTickCount();
      msg.pt = s.Cursor;
      if (remove)
        s.Current = msg;
      return true;
    }
  }
  if (InRange(WM_TIMER, first, last)) {
    if (TTimerRec* t = DueTimer(hwnd)) {
      msg = MSG();
      msg.hwnd = t->Window;
      msg.message = WM_TIMER;
      msg.wParam = t->Id;
      msg.lParam = reinterpret_cast<LPARAM>(t->Proc);
      msg.time = GetTickCount();
      msg.pt = s.Cursor;
      if (remove) {
        t->Due = msg.time + t->Elapse;
        s.Current = msg;
      }
      return true;
    }
  }
  return false;
}

Integer NextTimerDue()
{
  TState& s = State();
  Integer best = CaretBlinkDue(); // the caret's blink wakes a waiting loop too
  Cardinal now = GetTickCount();
  for (const TTimerRec& t : s.Timers) {
    Integer due = std::max(TicksUntil(t.Due, now), 0);
    best = best < 0 ? due : std::min(best, due);
  }
  return best;
}

bool WaitMessage()
{
  MSG m;
  while (!PeekMessage(m, 0, 0, 0, PM_NOREMOVE)) {
    if (!gBackend)
      throw EInvalidOperation("WaitMessage would block: no window backend is installed");
    gBackend->WaitForInput(NextTimerDue(), gWaiter.empty() ? "WaitMessage" : gWaiter.c_str());
  }
  return true;
}

bool GetMessage(MSG& msg, HWND hwnd, UINT first, UINT last)
{
  while (!PeekMessage(msg, hwnd, first, last, PM_REMOVE)) {
    if (!gBackend)
      throw EInvalidOperation("GetMessage would block: no window backend is installed");
    gBackend->WaitForInput(NextTimerDue(), gWaiter.empty() ? "GetMessage" : gWaiter.c_str());
  }
  return msg.message != WM_QUIT;
}

DWORD GetMessageTime()
{
  return State().Current.time;
}
TPoint GetMessagePos()
{
  return State().Current.pt;
}

namespace {

// The character a key stroke types (US layout), 0 for none.
Integer KeyToChar(Word vk, bool shift, bool ctrl, bool caps)
{
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl)
      return vk - 'A' + 1;
    bool upper = shift != caps;
    return upper ? vk : vk + 32;
  }
  if (ctrl) {
    switch (vk) {
    case VK_BACK:
      return 127;
    case VK_RETURN:
      return 10;
    case VK_ESCAPE:
      return 27;
    case VK_OEM_4:
      return 27;
    case VK_OEM_5:
      return 28;
    case VK_OEM_6:
      return 29;
    }
    return 0;
  }
  if (vk >= '0' && vk <= '9') {
    static const char shifted[] = ")!@#$%^&*(";
    return shift ? shifted[vk - '0'] : vk;
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
    return '0' + (vk - VK_NUMPAD0);
  struct TOem {
    Word Vk;
    char Plain, Shifted;
  };
  static const TOem oem[] = {
      {VK_SPACE, ' ', ' '},     {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},
      {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'},
      {VK_OEM_2, '/', '?'},     {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
      {VK_OEM_5, '\\', '|'},    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
      {VK_MULTIPLY, '*', '*'},  {VK_ADD, '+', '+'},       {VK_SUBTRACT, '-', '-'},
      {VK_DECIMAL, '.', '.'},   {VK_DIVIDE, '/', '/'},    {VK_BACK, 8, 8},
      {VK_TAB, 9, 9},           {VK_RETURN, 13, 13},      {VK_ESCAPE, 27, 27},
  };
  for (const TOem& o : oem)
    if (o.Vk == vk)
      return shift ? o.Shifted : o.Plain;
  return 0;
}

} // namespace

bool TranslateMessage(const MSG& msg)
{
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
    return false;
  const Byte* keys = State().SyncKeys;
  bool shift = keys[VK_SHIFT] & 0x80;
  bool ctrl = keys[VK_CONTROL] & 0x80;
  bool alt = keys[VK_MENU] & 0x80;
  bool caps = keys[VK_CAPITAL] & 0x01;
  Word vk = static_cast<Word>(msg.wParam);
  if (vk == VK_PROCESSKEY)
    return false;
  Integer ch = KeyToChar(vk, shift, ctrl && !alt, caps);
  if (ch == 0)
    return false;
  PostFront(msg.hwnd, msg.message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(ch),
            msg.lParam);
  return true;
}

LRESULT DispatchMessage(const MSG& msg)
{
  if (msg.message == WM_TIMER && msg.lParam != 0) {
    reinterpret_cast<TIMERPROC>(msg.lParam)(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
    return 0;
  }
  TWnd* w = FromHandle(msg.hwnd);
  if (!w)
    return 0;
  const UINT paints = w->BeginPaints;
  LRESULT result = CallProc(w, msg.message, msg.wParam, msg.lParam);
  // A procedure that ignored WM_PAINT would otherwise be asked forever; one that painted
  // keeps what it invalidated again after BeginPaint.
  if (msg.message == WM_PAINT && (w = FromHandle(msg.hwnd)) && w->BeginPaints == paints) {
    w->Update = TRegion();
    w->EraseNeeded = false;
  }
  return result;
}

// ---- Default processing --------------------------------------------------------------------

namespace {

void CopyText(const AnsiString& text, WPARAM size, LPARAM buffer, LRESULT& result)
{
  if (size == 0 || buffer == 0) {
    result = 0;
    return;
  }
  std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  char* out = reinterpret_cast<char*>(buffer);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  result = static_cast<LRESULT>(n);
}

} // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0;
  switch (msg) {
  case WM_NCCREATE:
    return 1;
  case WM_NCCALCSIZE: {
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    TFrameMetrics f = FrameMetrics(w);
    TRect& r = params->rgrc[0];
    r.Left += f.Border + f.Edge;
    r.Right -= f.Border + f.Edge + f.VScroll;
    r.Top += f.Border + f.Caption + f.Edge;
    r.Bottom -= f.Border + f.Edge + f.HScroll;
    return 0;
  }
  case WM_NCHITTEST:
    return DefNcHitTest(w, PointFromLParam(lParam));
  case WM_SETTEXT:
    w->Text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    if ((w->Style & WS_CAPTION) == WS_CAPTION && (w->Style & WS_VISIBLE)) {
      w->FrameNeeded = true;
      Send(w, WM_NCPAINT, 1, 0);
    }
    return 1;
  case WM_GETTEXT: {
    LRESULT result = 0;
    CopyText(w->Text, wParam, lParam, result);
    return result;
  }
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(w->Text.size());
  case WM_ERASEBKGND: {
    if (w->Background == 0)
      return 0;
    TCanvas* canvas = CanvasFromDC(static_cast<HDC>(wParam));
    if (!canvas)
      return 0;
    canvas->Brush()->SetColor(static_cast<TColor>(w->Background - 1));
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(Rect(0, 0, w->Client.Width(), w->Client.Height()));
    return 1;
  }
  case WM_PAINT: {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, ps);
    EndPaint(hwnd, ps);
    return 0;
  }
  case WM_NCPAINT:
    DrawFrame(w);
    return 0;
  case WM_NCACTIVATE:
    // The whole frame is painted again through WM_NCPAINT, so that what the window draws
    // there itself (a menu bar, a border band) is drawn along with the caption.
    if ((w->Style & WS_CAPTION) == WS_CAPTION)
      Send(w, WM_NCPAINT, 1, 0);
    return 1;
  case WM_ACTIVATE:
    if (LOWORD(wParam) != WA_INACTIVE && !(w->Style & WS_MINIMIZE))
      SetFocus(hwnd);
    return 0;
  case WM_MOUSEACTIVATE:
    if (w->Parent) {
      LRESULT r = Send(w->Parent, WM_MOUSEACTIVATE, wParam, lParam);
      if (r)
        return r;
    }
    return MA_ACTIVATE;
  case WM_SETCURSOR: {
    if (w->Parent) {
      LRESULT r = Send(w->Parent, WM_SETCURSOR, wParam, lParam);
      if (r)
        return r;
    }
    // Edges show the sizing cursors; everything else the arrow.
    constexpr HCURSOR arrow = -2, sizeNESW = -6, sizeNS = -7, sizeNWSE = -8, sizeWE = -9;
    switch (static_cast<SmallInt>(LOWORD(lParam))) {
    case HTLEFT:
    case HTRIGHT:
      SetCursor(sizeWE);
      break;
    case HTTOP:
    case HTBOTTOM:
      SetCursor(sizeNS);
      break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
      SetCursor(sizeNWSE);
      break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
      SetCursor(sizeNESW);
      break;
    default:
      SetCursor(arrow);
      break;
    }
    return 0;
  }
  case WM_SYSCOLORCHANGE:
  case WM_THEMECHANGED:
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    return 0;
  case WM_CONTEXTMENU:
  case WM_MOUSEWHEEL:
    if (w->Parent)
      return Send(w->Parent, msg, wParam, lParam);
    return 0;
  case WM_WINDOWPOSCHANGED: {
    auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (!(wp->flags & SWP_NOMOVE))
      Send(w, WM_MOVE, 0, MAKELPARAM(w->Rect.Left + w->Client.Left, w->Rect.Top + w->Client.Top));
    if ((w = FromHandle(hwnd)) && !(wp->flags & SWP_NOSIZE))
      Send(w, WM_SIZE,
           static_cast<WPARAM>((w->Style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED),
           MAKELPARAM(w->Client.Width(), w->Client.Height()));
    return 0;
  }
  case WM_CLOSE:
    DestroyWindow(hwnd);
    return 0;
  case WM_SYSCOMMAND: {
    if (CbtVeto(HCBT_SYSCOMMAND, wParam, lParam))
      return 0;
    if (!FromHandle(hwnd))
      return 0;
    UINT cmd = static_cast<UINT>(wParam & 0xFFF0);
    // 0xF009 moves a window (a child control too) by the pointer, as SC_MOVE does.
    if (wParam == SC_DRAGMOVE_CONTROL || cmd == SC_MOVE)
      MoveSizeLoop(hwnd, HTCAPTION);
    else if (cmd == SC_SIZE && (wParam & 0x0F) >= 1 && (wParam & 0x0F) <= 8)
      MoveSizeLoop(hwnd, static_cast<LRESULT>(HTLEFT + (wParam & 0x0F) - 1));
    else if (cmd == SC_CLOSE)
      Send(w, WM_CLOSE, 0, 0);
    else if (cmd == SC_MAXIMIZE)
      ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    else if (cmd == SC_RESTORE)
      ShowWindow(hwnd, SW_RESTORE);
    else if (cmd == SC_MINIMIZE)
      ShowWindow(hwnd, SW_MINIMIZE);
    return 0;
  }
  case WM_NCLBUTTONDOWN:
    if (wParam == HTVSCROLL || wParam == HTHSCROLL)
      ScrollBarTrack(hwnd, wParam == HTVSCROLL ? SB_VERT : SB_HORZ, PointFromLParam(lParam));
    else if (wParam == HTCLOSE || wParam == HTMAXBUTTON || wParam == HTMINBUTTON)
      CaptionButtonTrack(hwnd, static_cast<LRESULT>(wParam));
    else if (wParam == HTCAPTION)
      Send(w, WM_SYSCOMMAND, static_cast<WPARAM>(SC_MOVE) + HTCAPTION, lParam);
    else if (wParam >= HTLEFT && wParam <= HTBOTTOMRIGHT)
      Send(w, WM_SYSCOMMAND, SC_SIZE + (wParam - HTLEFT + 1), lParam);
    return 0;
  case WM_NCLBUTTONDBLCLK:
    // WS_MAXIMIZEBOX shares its bit with WS_TABSTOP: it counts for top-level windows and
    // MDI children only.
    if (wParam == HTCAPTION && (w->Style & WS_MAXIMIZEBOX) &&
        (!w->Parent || (w->ExStyle & WS_EX_MDICHILD)))
      Send(w, WM_SYSCOMMAND, (w->Style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
    return 0;
  case WM_KEYUP:
  case WM_SYSKEYDOWN:
    // The menu key and Shift+F10 ask for a context menu at the focus (-1, -1); F10 alone
    // enters the menu bar of the top-level window.
    if ((msg == WM_KEYUP && wParam == VK_APPS) ||
        (msg == WM_SYSKEYDOWN && wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0))
      Send(w, WM_CONTEXTMENU, hwnd, MAKELPARAM(-1, -1));
    else if (msg == WM_SYSKEYDOWN && wParam == VK_F10 && GetKeyState(VK_CONTROL) >= 0)
      Send(TopLevelOf(w), WM_SYSCOMMAND, SC_KEYMENU, 0);
    return 0;
  case WM_SYSKEYUP:
    // Alt pressed and released on its own enters the menu bar.
    if ((wParam == VK_MENU || wParam == VK_LMENU || wParam == VK_RMENU) && State().AltAlone) {
      State().AltAlone = false;
      Send(TopLevelOf(w), WM_SYSCOMMAND, SC_KEYMENU, 0);
    }
    return 0;
  case WM_SYSCHAR:
    // Alt+letter: the top-level window's menu bar looks for the letter's item.
    if (wParam != VK_SPACE)
      Send(TopLevelOf(w), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam & 0xFF));
    return 0;
  case WM_RBUTTONUP: {
    TPoint p = PointFromLParam(lParam);
    ClientToScreen(hwnd, p);
    Send(w, WM_CONTEXTMENU, hwnd, PointToLParam(p));
    return 0;
  }
  case WM_IME_CHAR: {
    // Lead then trail byte, ahead of anything queued later.
    Word code = static_cast<Word>(wParam);
    if (code > 0xFF) {
      PostFront(hwnd, WM_CHAR, code & 0xFF, 1);
      PostFront(hwnd, WM_CHAR, code >> 8, 1);
    } else {
      PostFront(hwnd, WM_CHAR, code, 1);
    }
    return 0;
  }
  case WM_CANCELMODE:
    if (State().Capture == hwnd)
      ReleaseCapture();
    return 0;
  }
  return 0;
}

// ---- Timers ---------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
  if (hwnd && !FromHandle(hwnd))
    return 0;
  TState& s = State();
  elapse = std::max<UINT>(elapse, 10);
  Cardinal due = GetTickCount() + elapse;
  if (hwnd) {
    for (TTimerRec& t : s.Timers)
      if (t.Window == hwnd && t.Id == id) {
        t.Elapse = elapse;
        t.Proc = proc;
        t.Due = due;
        return id;
      }
  } else {
    id = ++s.NextThreadTimer;
  }
  TTimerRec t;
  t.Window = hwnd;
  t.Id = id;
  t.Elapse = elapse;
  t.Proc = proc;
  t.Due = due;
  s.Timers.push_back(t);
  return hwnd ? (id ? id : 1) : id;
}

bool KillTimer(HWND hwnd, UINT_PTR id)
{
  auto& timers = State().Timers;
  for (auto it = timers.begin(); it != timers.end(); ++it)
    if (it->Window == hwnd && it->Id == id) {
      timers.erase(it);
      return true;
    }
  return false;
}

// ---- Hooks ------------------------------------------------------------------------------------

HHOOK SetWindowsHookEx(Integer idHook, HOOKPROC proc)
{
  if (!proc)
    return 0;
  TState& s = State();
  THookRec h;
  h.Handle = s.NextHook++;
  h.Kind = idHook;
  h.Proc = proc;
  s.Hooks.insert(s.Hooks.begin(), h);
  return h.Handle;
}

bool UnhookWindowsHookEx(HHOOK hook)
{
  auto& hooks = State().Hooks;
  for (auto it = hooks.begin(); it != hooks.end(); ++it)
    if (it->Handle == hook) {
      hooks.erase(it);
      return true;
    }
  return false;
}

LRESULT CallNextHookEx(HHOOK hook, Integer code, WPARAM wParam, LPARAM lParam)
{
  auto& hooks = State().Hooks;
  auto it =
      std::find_if(hooks.begin(), hooks.end(), [&](const THookRec& h) { return h.Handle == hook; });
  if (it == hooks.end())
    return 0;
  Integer kind = it->Kind;
  for (++it; it != hooks.end(); ++it)
    if (it->Kind == kind)
      return it->Proc(code, wParam, lParam);
  return 0;
}
