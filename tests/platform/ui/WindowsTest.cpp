// Window manager: handles, tree and z-order, geometry, visibility, messages, timers, hooks.
#include <algorithm>

#include "platform/graphics/Region.h"
#include "platform/rtl/DateUtils.h"
#include "tests/platform/ui/UiTestKit.h"

using WindowTree = UiTest;

TEST_F(WindowTree, StaleHandlesFailSafely)
{
  HWND a = Top(0, 0, 50, 50);
  ASSERT_TRUE(IsWindow(a));
  ASSERT_TRUE(DestroyWindow(a));
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(SendMessage(a, WM_USER, 1, 2), 0);
  EXPECT_FALSE(PostMessage(a, WM_USER, 0, 0));
  EXPECT_FALSE(DestroyWindow(a));
  HWND b = Top(0, 0, 50, 50);
  EXPECT_NE(a, b) << "a reused slot gets a new generation";
  EXPECT_EQ(a & 0xFFFF, b & 0xFFFF);
  EXPECT_FALSE(IsWindow(a));
}

TEST_F(WindowTree, UnknownClassRaises)
{
  EXPECT_THROW(CreateWindowEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, 0), EOSError);
}

TEST_F(WindowTree, DestroyOrderAndOwnedWindows)
{
  HWND top = Top(0, 0, 100, 100);
  HWND child = Child(top, 0, 0, 10, 10);
  HWND grand = Child(child, 0, 0, 5, 5);
  HWND owned = Top(10, 10, 20, 20, WS_POPUP | WS_VISIBLE, 0, grand);
  EXPECT_EQ(GetParent(owned), top) << "a popup owned by a child belongs to its top-level ancestor";
  Log.clear();
  DestroyWindow(top);
  auto d = Only({WM_DESTROY, WM_NCDESTROY});
  ASSERT_EQ(d.size(), 8u);
  EXPECT_EQ(d[0].Hwnd, owned);
  EXPECT_EQ(d[2].Hwnd, top);
  EXPECT_EQ(d[3].Hwnd, child);
  EXPECT_EQ(d[4].Hwnd, grand);
  EXPECT_EQ(d[5].Msg, WM_NCDESTROY);
  EXPECT_EQ(d[5].Hwnd, grand);
  EXPECT_EQ(d[7].Hwnd, top);
  for (HWND h : {top, child, grand, owned})
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowTree, ChildrenZOrderAndReparenting)
{
  HWND a = Top(100, 100, 200, 200);
  HWND b = Top(400, 100, 200, 200);
  HWND c1 = Child(a, 10, 10, 20, 20);
  HWND c2 = Child(a, 40, 10, 20, 20);
  EXPECT_EQ(GetWindow(a, GW_CHILD), c1) << "new children go below their siblings";
  EXPECT_EQ(GetWindow(c1, GW_HWNDNEXT), c2);
  SetWindowPos(c2, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(a, GW_CHILD), c2);
  EXPECT_TRUE(IsChild(a, c1));

  EXPECT_EQ(SetParent(c1, b), a);
  EXPECT_TRUE(IsChild(b, c1));
  EXPECT_FALSE(IsChild(a, c1));
  TRect r;
  GetWindowRect(c1, r);
  EXPECT_EQ(r, Bounds(410, 110, 20, 20)) << "coordinates stay relative to the new parent";

  EXPECT_EQ(SetParent(c1, 0), b);
  EXPECT_EQ(GetAncestor(c1, GA_ROOT), c1);
  EXPECT_FALSE(GetWindowLong(c1, GWL_STYLE) & WS_CHILD);
  GetWindowRect(c1, r);
  EXPECT_EQ(r, Bounds(10, 10, 20, 20)) << "a top-level window's position is on the screen";
  EXPECT_NE(WindowSurface(c1), nullptr);
  EXPECT_EQ(SetParent(c1, a), 0u);
  EXPECT_EQ(WindowSurface(c1), nullptr);
  EXPECT_EQ(SetParent(a, c1), 0u) << "a window cannot move into its own child";
}

TEST_F(WindowTree, TopmostBandAndOwnedWindowsAboveOwners)
{
  HWND owner = Top(0, 0, 100, 100);
  HWND owned = Top(0, 0, 50, 50, WS_POPUP | WS_VISIBLE, 0, owner);
  HWND topmost = Top(0, 0, 10, 10, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  HWND other = Top(0, 0, 100, 100);
  std::vector<HWND> order;
  EnumTopLevelWindows(order);
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[0], topmost) << "topmost windows stay in front of normal ones";
  EXPECT_EQ(order[1], other);
  BringWindowToTop(owner);
  EnumTopLevelWindows(order);
  EXPECT_EQ(order[0], topmost);
  EXPECT_EQ(order[1], owned) << "owned windows stay above their owner";
  EXPECT_EQ(order[2], owner);
}

TEST_F(WindowTree, ClientAreaThroughNonClientCalculation)
{
  struct TCase {
    const char* Name;
    DWORD Style;
    DWORD ExStyle;
    TRect Client; // window coordinates of a 200x100 window
  };
  const TCase cases[] = {
      {"plain popup", WS_POPUP, 0, Rect(0, 0, 200, 100)},
      {"border", WS_POPUP | WS_BORDER, 0, Rect(1, 1, 199, 99)},
      {"caption + dialog frame", WS_POPUP | WS_CAPTION, 0, Rect(3, 3 + 19, 197, 97)},
      {"sizeable caption", WS_OVERLAPPEDWINDOW, 0, Rect(4, 4 + 19, 196, 96)},
      {"client edge + bars", WS_POPUP | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE,
       Rect(2, 2, 200 - 2 - 17, 100 - 2 - 17)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND h = Top(50, 60, 200, 100, c.Style | WS_VISIBLE, c.ExStyle);
    TRect client;
    GetClientRect(h, client);
    EXPECT_EQ(client, Rect(0, 0, c.Client.Width(), c.Client.Height()));
    TPoint p{0, 0};
    ClientToScreen(h, p);
    EXPECT_EQ(p, Point(50 + c.Client.Left, 60 + c.Client.Top));
    ScreenToClient(h, p);
    EXPECT_EQ(p, Point(0, 0));
    DestroyWindow(h);
  }
}

TEST_F(WindowTree, MapWindowPointsAndPackedCoordinates)
{
  HWND top = Top(100, 50, 300, 300, WS_POPUP | WS_BORDER | WS_VISIBLE);
  HWND a = Child(top, 10, 20, 100, 100);
  HWND b = Child(a, 5, 5, 50, 50);
  TPoint pts[2] = {{0, 0}, {-3, 7}};
  Integer packed = MapWindowPoints(b, top, pts, 2);
  EXPECT_EQ(pts[0], Point(15, 25));
  EXPECT_EQ(pts[1], Point(12, 32));
  EXPECT_EQ(GET_X_LPARAM(packed), 15);
  EXPECT_EQ(GET_Y_LPARAM(packed), 25);
  TPoint s{0, 0};
  MapWindowPoints(b, 0, &s, 1);
  EXPECT_EQ(s, Point(101 + 15, 51 + 25));
  EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(-5, 30000)), -5) << "points are signed 16-bit";
  EXPECT_EQ(GET_Y_LPARAM(MAKELPARAM(-5, -2)), -2);
  // Children may be parked far outside.
  SetWindowPos(a, 0, 30000, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  TRect r;
  GetWindowRect(a, r);
  EXPECT_EQ(r.Left, 101 + 30000);
}

TEST_F(WindowTree, WindowFromPointSkipsHiddenDisabledAndTransparent)
{
  HWND top = Top(0, 0, 300, 300);
  HWND hidden = Child(top, 0, 0, 100, 100, WS_CHILD);
  HWND disabled = Child(top, 100, 0, 100, 100, WS_CHILD | WS_VISIBLE | WS_DISABLED);
  HWND transparent = Child(top, 200, 0, 100, 100);
  HWND under = Child(top, 200, 0, 100, 100);
  HWND inner = Child(under, 10, 10, 20, 20);
  Handlers[transparent] = [](UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_NCHITTEST)
      return false;
    r = HTTRANSPARENT;
    return true;
  };
  EXPECT_EQ(WindowFromPoint({50, 50}), top) << "hidden child";
  EXPECT_EQ(WindowFromPoint({150, 50}), top) << "disabled child";
  EXPECT_EQ(WindowFromPoint({250, 50}), under) << "a transparent sibling lets the point through";
  EXPECT_EQ(WindowFromPoint({215, 15}), inner);
  EXPECT_EQ(WindowFromPoint({500, 500}), 0u);
  (void)hidden;
  (void)disabled;
  TRegion round = TRegion::Ellipse(Rect(0, 0, 300, 300));
  SetWindowRgn(top, &round, false);
  EXPECT_EQ(WindowFromPoint({2, 2}), 0u) << "outside the window region";
}

TEST_F(WindowTree, VisibilityAndEnabledCascade)
{
  HWND top = Top(0, 0, 100, 100, WS_POPUP);
  HWND child = Child(top, 0, 0, 10, 10);
  EXPECT_FALSE(IsWindowVisible(child)) << "visible only when its parents are";
  Log.clear();
  ShowWindow(top, SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(GetActiveWindow(), 0u) << "SW_SHOWNA does not activate";
  Log.clear();
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  auto sw = Only({WM_SHOWWINDOW});
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(EnableWindow(top, false)) << "it was enabled";
  EXPECT_TRUE(EnableWindow(top, false)) << "it was disabled already";
  EXPECT_TRUE(IsWindowEnabled(child)) << "a window's own state";
  EXPECT_FALSE(IsWindowEnabled(top));
  auto en = Only({WM_ENABLE});
  ASSERT_EQ(en.size(), 1u);
  EXPECT_EQ(en[0].WParam, 0u);
}

TEST_F(WindowTree, ShowWindowMessagesAndActivation)
{
  HWND a = Top(0, 0, 100, 100, WS_POPUP);
  Handlers[a] = [](UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_SHOWWINDOW)
      Log.push_back({0, 0xFFFF, w, 0});
    return false;
  };
  ShowWindow(a, SW_SHOW);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a) << "the default activation handler focuses the window";
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), 0u);
  auto shows = Only({0xFFFF});
  ASSERT_EQ(shows.size(), 2u);
  EXPECT_EQ(shows[0].WParam, 1u);
  EXPECT_EQ(shows[1].WParam, 0u) << "WParam 0 = hiding";
}

TEST_F(WindowTree, TextStylesAndWindowProcReplacement)
{
  HWND h = Top(0, 0, 10, 10);
  SetWindowText(h, "标题");
  EXPECT_EQ(GetWindowText(h), "标题");
  EXPECT_EQ(FindWindow("", "标题"), h);
  EXPECT_EQ(FindWindow("SciCalc", ""), 0u);
  static WNDPROC previous = nullptr;
  static int seen = 0;
  seen = 0;
  WNDPROC mine = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER + 7) {
      ++seen;
      return 42;
    }
    return CallWindowProc(previous, hw, m, w, l);
  };
  previous =
      reinterpret_cast<WNDPROC>(SetWindowLong(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(mine)));
  EXPECT_EQ(SendMessage(h, WM_USER + 7, 0, 0), 42);
  EXPECT_EQ(GetWindowText(h), "标题") << "other messages reach the old procedure";
  SetWindowLong(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  EXPECT_EQ(SendMessage(h, WM_USER + 7, 0, 0), 0);
  EXPECT_EQ(seen, 1);
  Log.clear();
  SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) | WS_TABSTOP);
  EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_TABSTOP);
}

// ---- Messages -------------------------------------------------------------------------------

using Messages = UiTest;

TEST_F(Messages, SendIsSynchronousAndReentrant)
{
  HWND h = Top(0, 0, 10, 10);
  Handlers[h] = [h](UINT m, WPARAM w, LPARAM, LRESULT& r) {
    if (m != WM_USER)
      return false;
    r = w == 0 ? 1 : SendMessage(h, WM_USER, w - 1, 0) + 1;
    return true;
  };
  EXPECT_EQ(SendMessage(h, WM_USER, 5, 0), 6);
  EXPECT_FALSE(InSendMessage());
}

TEST_F(Messages, PostedQueueFiltersAndRemoval)
{
  HWND a = Top(0, 0, 10, 10);
  HWND b = Top(0, 0, 10, 10);
  Headless().ProcessMessages();
  PostMessage(a, WM_USER + 1, 1, 0);
  PostMessage(b, WM_USER + 2, 2, 0);
  PostMessage(a, WM_USER + 1, 3, 0);
  PostMessage(0, WM_USER + 3, 4, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 2u);
  ASSERT_TRUE(PeekMessage(m, 0, WM_USER + 1, WM_USER + 1, PM_REMOVE));
  EXPECT_EQ(m.wParam, 1u);
  // Removing duplicates of one message, as a "run later" request does.
  while (PeekMessage(m, a, WM_USER + 1, WM_USER + 1, PM_REMOVE)) {
  }
  std::vector<WPARAM> rest;
  while (PeekMessage(m, 0, 0, 0, PM_REMOVE))
    rest.push_back(m.wParam);
  EXPECT_EQ(rest, (std::vector<WPARAM>{2, 4}));
}

TEST_F(Messages, QuitIsReturnedWhateverTheFilterAndTakenOffWhenRemoved)
{
  HWND a = Top(0, 0, 10, 10);
  Headless().ProcessMessages();
  PostMessage(a, WM_USER, 0, 0);
  PostMessage(a, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  MSG m;
  ASSERT_TRUE(GetMessage(m, 0, 0, 0));
  EXPECT_EQ(m.message, WM_USER);
  ASSERT_TRUE(PeekMessage(m, a, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_QUIT) << "returned whatever the filter";
  // A loop draining one message number ends: the quit is taken off with the last one.
  std::vector<UINT> drained;
  while (drained.size() < 10 && PeekMessage(m, a, WM_USER + 1, WM_USER + 1, PM_REMOVE))
    drained.push_back(m.message);
  EXPECT_EQ(drained, (std::vector<UINT>{WM_USER + 1, WM_QUIT}));
  EXPECT_FALSE(PeekMessage(m, 0, 0, 0, PM_NOREMOVE));
  // Whoever took it and does not end puts it back for the loop that does.
  PostQuitMessage(3);
  EXPECT_FALSE(GetMessage(m, 0, 0, 0));
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(Messages, PaintAndTimerOnlyWhenQueueEmpty)
{
  HWND a = Top(0, 0, 10, 10);
  Headless().ProcessMessages();
  SetTimer(a, 1, 100);
  Headless().Advance(150);
  InvalidateRect(a, nullptr, true);
  PostMessage(a, WM_USER, 0, 0);
  std::vector<UINT> order;
  MSG m;
  while (PeekMessage(m, 0, 0, 0, PM_REMOVE)) {
    order.push_back(m.message);
    DispatchMessage(m);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_PAINT, WM_TIMER}));
  EXPECT_EQ(GetMessageTime(), GetTickCount());
}

TEST_F(Messages, KeyTranslationAndImeCharacters)
{
  Top(0, 0, 10, 10);
  Headless().ProcessMessages();
  struct TCase {
    const char* Name;
    Word Vk;
    bool Shift, Ctrl;
    WPARAM Char;
  };
  const TCase cases[] = {
      {"letter", 'A', false, false, 'a'},
      {"shifted letter", 'A', true, false, 'A'},
      {"ctrl+C", 'C', false, true, 3},
      {"ctrl+V", 'V', false, true, 22},
      {"digit", '7', false, false, '7'},
      {"shifted digit", '1', true, false, '!'},
      {"enter", VK_RETURN, false, false, 13},
      {"ctrl+enter", VK_RETURN, false, true, 10},
      {"escape", VK_ESCAPE, false, false, 27},
      {"ctrl+backspace", VK_BACK, false, true, 127},
      {"numpad plus", VK_ADD, false, false, '+'},
      {"apostrophe", VK_OEM_7, false, false, '\''},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Log.clear();
    Headless().Key(c.Vk, c.Shift, c.Ctrl);
    auto chars = Only({WM_CHAR});
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].WParam, c.Char);
  }
  Log.clear();
  Headless().Key(VK_F5);
  EXPECT_TRUE(Only({WM_CHAR}).empty());

  // A double-byte character: WM_IME_CHAR, then lead and trail as WM_CHAR before later input.
  Log.clear();
  Headless().Type("中x");
  auto seen = Only({WM_IME_CHAR, WM_CHAR, WM_KEYDOWN});
  const AnsiString zhong = "中";
  ASSERT_GE(seen.size(), 6u);
  EXPECT_EQ(seen[0].Msg, WM_KEYDOWN);
  EXPECT_EQ(seen[0].WParam, VK_PROCESSKEY);
  EXPECT_EQ(seen[1].Msg, WM_IME_CHAR);
  EXPECT_EQ(seen[2].Msg, WM_CHAR);
  EXPECT_EQ(seen[2].WParam, static_cast<unsigned char>(zhong[0]));
  EXPECT_EQ(seen[3].Msg, WM_CHAR);
  EXPECT_EQ(seen[3].WParam, static_cast<unsigned char>(zhong[1]));
  EXPECT_EQ(seen[4].WParam, WPARAM('X'));
  EXPECT_EQ(seen[5].WParam, WPARAM('x'));
}

// ---- Timers -------------------------------------------------------------------------------------

using Timers = UiTest;

TEST_F(Timers, FireOnTheVirtualClock)
{
  HWND a = Top(0, 0, 10, 10);
  Headless().ProcessMessages();
  TDateTime before = Now();
  Cardinal ticks = GetTickCount();
  SetTimer(a, 1, 100);
  SetTimer(a, 2, 250);
  Headless().AdvanceAndProcess(550);
  auto t = Only({WM_TIMER});
  int ones = 0, twos = 0;
  for (auto& m : t)
    (m.WParam == 1 ? ones : twos)++;
  EXPECT_EQ(ones, 5);
  EXPECT_EQ(twos, 2);
  EXPECT_EQ(GetTickCount() - ticks, 550u);
  EXPECT_NEAR((Now() - before) * MSecsPerDay, 550.0, 0.5) << "Now reads the same clock";

  // One pending WM_TIMER per timer, however late the loop looks.
  Log.clear();
  Headless().Advance(1000);
  Headless().ProcessMessages();
  EXPECT_EQ(Only({WM_TIMER}).size(), 2u);
  EXPECT_TRUE(KillTimer(a, 1));
  EXPECT_FALSE(KillTimer(a, 1));
  DestroyWindow(a);
  EXPECT_EQ(NextTimerDue(), -1) << "a destroyed window's timers go with it";
}

// A test that set a clock of its own (or the machine's) leaves the next test, after the reset,
// on the virtual clock: timers are due by virtual time again.
TEST_F(Timers, ResetPutsTheVirtualClockBack)
{
  SetClock(nullptr);
  Headless().Reset();
  HWND a = Top(0, 0, 10, 10);
  const Cardinal ticks = GetTickCount();
  SetTimer(a, 1, 100);
  Headless().AdvanceAndProcess(150);
  EXPECT_EQ(Only({WM_TIMER}).size(), 1u);
  EXPECT_EQ(GetTickCount() - ticks, 150u);
  DestroyWindow(a);
}

TEST_F(Timers, ThreadTimerCallsItsProcedure)
{
  Top(0, 0, 10, 10);
  static int calls = 0;
  calls = 0;
  UINT_PTR id = SetTimer(0, 0, 40, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  ASSERT_NE(id, 0u);
  Headless().AdvanceAndProcess(200);
  EXPECT_EQ(calls, 5);
  KillTimer(0, id);
}

TEST_F(Timers, WaitingLoopSkipsToTheNextTimerButNeverHangs)
{
  HWND a = Top(0, 0, 10, 10);
  Headless().ProcessMessages();
  SetTimer(a, 9, 3000);
  MSG m;
  ASSERT_TRUE(GetMessage(m, 0, 0, 0));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(Headless().ElapsedMs(), 3000);
  KillTimer(a, 9);
  EXPECT_THROW(GetMessage(m, 0, 0, 0), EHeadlessBlocked);
  // A repeating timer cannot hide a missing script beyond the time budget.
  SetTimer(a, 1, 1000);
  Headless().SetTimeBudget(5000);
  int timers = 0;
  EXPECT_THROW(
      {
        while (GetMessage(m, 0, 0, 0))
          ++timers;
      },
      EHeadlessBlocked);
  EXPECT_EQ(timers, 2);
}

// ---- Hooks ------------------------------------------------------------------------------------

using Hooks = UiTest;

TEST_F(Hooks, MouseHookSeesEveryMouseMessageAndADroppedClickActivatesNothing)
{
  HWND active = Top(0, 0, 100, 100);
  HWND other = Top(200, 0, 100, 100);
  SetActiveWindow(active);
  Headless().ProcessMessages();
  ASSERT_EQ(GetActiveWindow(), active);
  static HHOOK hook = 0;
  static std::vector<std::pair<UINT, HWND>> seen;
  static std::vector<Integer> cbt;
  seen.clear();
  cbt.clear();
  hook = SetWindowsHookEx(WH_MOUSE, [](Integer code, WPARAM w, LPARAM l) -> LRESULT {
    if (code == HC_ACTION)
      seen.push_back({static_cast<UINT>(w), reinterpret_cast<MOUSEHOOKSTRUCT*>(l)->hwnd});
    if (code == HC_ACTION && w == WM_LBUTTONDOWN)
      return 1;
    return CallNextHookEx(hook, code, w, l);
  });
  HHOOK cbtHook = SetWindowsHookEx(WH_CBT, [](Integer code, WPARAM, LPARAM) -> LRESULT {
    cbt.push_back(code);
    return 0;
  });
  Log.clear();
  Headless().Click(At(other, 10, 10));
  EXPECT_EQ(GetActiveWindow(), active) << "the hook ran before the click could activate";
  EXPECT_TRUE(Only({WM_LBUTTONDOWN, WM_MOUSEACTIVATE, WM_ACTIVATE}).empty());
  EXPECT_EQ(Only({WM_LBUTTONUP}).size(), 1u);
  const std::vector<std::pair<UINT, HWND>> expected = {
      {WM_MOUSEMOVE, other}, {WM_LBUTTONDOWN, other}, {WM_LBUTTONUP, other}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(cbt, std::vector<Integer>{HCBT_CLICKSKIPPED});
  UnhookWindowsHookEx(hook);
  UnhookWindowsHookEx(cbtHook);
  Log.clear();
  Headless().Advance(1000); // not a double click
  Headless().Click(At(other, 10, 10));
  EXPECT_EQ(Only({WM_LBUTTONDOWN}).size(), 1u);
  EXPECT_EQ(GetActiveWindow(), other);
}

TEST_F(Hooks, GetMessageHookRewritesAndCallWndProcSeesSentMessages)
{
  HWND a = Top(0, 0, 100, 100);
  Headless().ProcessMessages();
  static std::vector<UINT> called;
  called.clear();
  HHOOK get = SetWindowsHookEx(WH_GETMESSAGE, [](Integer, WPARAM, LPARAM l) -> LRESULT {
    auto* m = reinterpret_cast<MSG*>(l);
    if (m->message == WM_SYSKEYDOWN)
      m->message = WM_NULL;
    return 0;
  });
  HHOOK call = SetWindowsHookEx(WH_CALLWNDPROC, [](Integer, WPARAM, LPARAM l) -> LRESULT {
    called.push_back(reinterpret_cast<CWPSTRUCT*>(l)->message);
    return 0;
  });
  Log.clear();
  Headless().Key(VK_F4, false, false, true);
  EXPECT_TRUE(Only({WM_SYSKEYDOWN}).empty());
  EXPECT_EQ(Only({WM_SYSKEYUP}).size(), 2u);
  SendMessage(a, WM_USER + 5, 0, 0);
  EXPECT_EQ(called.back(), WM_USER + 5u);
  UnhookWindowsHookEx(get);
  UnhookWindowsHookEx(call);
}

TEST_F(Hooks, KeyboardHookDropsAKeyBeforeItIsTranslated)
{
  HWND a = Top(0, 0, 100, 100);
  Headless().ProcessMessages();
  ASSERT_EQ(GetFocus(), a);
  static HHOOK hook = 0;
  static std::vector<std::pair<Integer, WPARAM>> seen;
  static std::vector<Integer> cbt;
  seen.clear();
  cbt.clear();
  hook = SetWindowsHookEx(WH_KEYBOARD, [](Integer code, WPARAM w, LPARAM l) -> LRESULT {
    seen.push_back({code, w});
    if (code == HC_ACTION && w == 'A')
      return 1;
    return CallNextHookEx(hook, code, w, l);
  });
  HHOOK cbtHook = SetWindowsHookEx(WH_CBT, [](Integer code, WPARAM, LPARAM) -> LRESULT {
    cbt.push_back(code);
    return 0;
  });
  Log.clear();
  Headless().Type("ab");
  auto chars = Only({WM_CHAR});
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].WParam, WPARAM('b'));
  EXPECT_EQ(Only({WM_KEYDOWN, WM_KEYUP}).size(), 2u) << "only B's down and up";
  std::vector<WPARAM> taken;
  Integer peeked = 0;
  for (const auto& [code, key] : seen)
    code == HC_ACTION ? taken.push_back(key) : void(++peeked);
  EXPECT_EQ(taken, (std::vector<WPARAM>{'A', 'A', 'B', 'B'})) << "each key as it is taken";
  EXPECT_GT(peeked, 0) << "a peek that leaves a key queued says so (HC_NOREMOVE)";
  EXPECT_EQ(std::count(cbt.begin(), cbt.end(), HCBT_KEYSKIPPED), 2);
  UnhookWindowsHookEx(hook);
  UnhookWindowsHookEx(cbtHook);
}

// Each announcement of the computer-based-training hook, and what a veto keeps from
// happening.
TEST_F(Hooks, CbtHookIsAskedAndMayRefuse)
{
  static Integer veto = -1;
  static std::vector<Integer> asked;
  HHOOK hook = SetWindowsHookEx(WH_CBT, [](Integer code, WPARAM, LPARAM) -> LRESULT {
    asked.push_back(code);
    return code == veto ? 1 : 0;
  });
  struct TCase {
    const char* Name;
    Integer Code;
    std::function<bool()> Happened; // runs the action; true when it took place
  };
  const TCase cases[] = {
      {"creation", HCBT_CREATEWND, [] { return Top(0, 0, 50, 50) != 0; }},
      {"destruction", HCBT_DESTROYWND,
       [] {
         HWND h = Top(0, 0, 50, 50);
         DestroyWindow(h);
         return !IsWindow(h);
       }},
      {"activation", HCBT_ACTIVATE,
       [] {
         HWND a = Top(0, 0, 50, 50), b = Top(100, 0, 50, 50);
         SetActiveWindow(a);
         return GetActiveWindow() == a && b != a;
       }},
      {"focus", HCBT_SETFOCUS,
       [] {
         HWND top = Top(0, 0, 50, 50);
         HWND child = Child(top, 0, 0, 10, 10);
         SetFocus(child);
         return GetFocus() == child;
       }},
      {"maximize", HCBT_MINMAX,
       [] {
         HWND h = Top(0, 0, 50, 50, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
         ShowWindow(h, SW_MAXIMIZE);
         return IsZoomed(h) != 0;
       }},
      {"system command", HCBT_SYSCOMMAND,
       [] {
         HWND h = Top(0, 0, 50, 50, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
         SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
         return !IsWindow(h);
       }},
      {"moving by the caption", HCBT_MOVESIZE,
       [] {
         HWND h = Top(100, 100, 200, 100, WS_POPUP | WS_CAPTION | WS_VISIBLE);
         Headless().ProcessMessages();
         Headless().Advance(1000);
         Headless().Drag({200, 110}, {230, 140}, 2);
         TRect r;
         GetWindowRect(h, r);
         return r.TopLeft() == Point(130, 130);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    veto = -1;
    asked.clear();
    EXPECT_TRUE(c.Happened());
    EXPECT_NE(std::find(asked.begin(), asked.end(), c.Code), asked.end()) << "asked";
    veto = c.Code;
    EXPECT_FALSE(c.Happened()) << "refused";
  }
  UnhookWindowsHookEx(hook);
}

TEST_F(Hooks, CallWndProcRetSeesWhatTheProcedureAnswered)
{
  HWND a = Top(0, 0, 100, 100);
  Handlers[a] = [](UINT m, WPARAM, LPARAM, LRESULT& r) {
    r = 42;
    return m == WM_USER + 5;
  };
  static std::vector<std::pair<UINT, LRESULT>> seen;
  seen.clear();
  HHOOK hook = SetWindowsHookEx(WH_CALLWNDPROCRET, [](Integer, WPARAM, LPARAM l) -> LRESULT {
    auto* r = reinterpret_cast<CWPRETSTRUCT*>(l);
    seen.push_back({r->message, r->lResult});
    return 0;
  });
  EXPECT_EQ(SendMessage(a, WM_USER + 5, 0, 0), 42);
  UnhookWindowsHookEx(hook);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().first, WM_USER + 5u);
  EXPECT_EQ(seen.back().second, 42);
}
