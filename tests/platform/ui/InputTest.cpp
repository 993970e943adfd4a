// Input through the real path: hit testing, capture, double clicks, wheel, key state,
// focus and activation order.
#include <algorithm>

#include "tests/platform/ui/UiTestKit.h"

using Input = UiTest;

TEST_F(Input, CapturedWindowGetsTheReleaseOutside)
{
  HWND top = Top(100, 100, 300, 200);
  HWND child = Child(top, 10, 10, 50, 50);
  Handlers[child] = [child](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_LBUTTONDOWN)
      SetCapture(child);
    if (m == WM_LBUTTONUP)
      ReleaseCapture();
    return false;
  };
  Headless().ProcessMessages();
  Log.clear();
  Headless().Press(hbLeft, At(child, 20, 20));
  EXPECT_EQ(GetCapture(), child);
  Headless().Release(hbLeft, {700, 600}); // outside the child and its top-level window
  auto ups = Only({WM_LBUTTONUP, WM_CAPTURECHANGED});
  ASSERT_EQ(ups.size(), 2u);
  EXPECT_EQ(ups[0].Hwnd, child);
  EXPECT_EQ(PointFromLParam(ups[0].LParam), Point(700 - 110, 600 - 110))
      << "in the captured window's coordinates";
  EXPECT_EQ(ups[1].Msg, WM_CAPTURECHANGED);
  EXPECT_EQ(GetCapture(), 0u);

  // Without capture, the release goes to the window under the pointer.
  Handlers.clear();
  Log.clear();
  Headless().Advance(1000);
  Headless().Press(hbLeft, At(child, 20, 20));
  Headless().Release(hbLeft, At(top, 200, 100));
  auto plain = Only({WM_LBUTTONUP});
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].Hwnd, top);
}

TEST_F(Input, HitTestRoutesNonClientClicks)
{
  HWND top = Top(100, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE);
  // Taken here, so the default move/size loop does not start.
  Handlers[top] = [](UINT m, WPARAM, LPARAM, LRESULT&) { return m == WM_NCLBUTTONDOWN; };
  Headless().ProcessMessages();
  struct TCase {
    const char* Name;
    TPoint Screen;
    UINT Msg;
    WPARAM Hit;
  };
  const TCase cases[] = {
      {"caption", {200, 110}, WM_NCLBUTTONDOWN, HTCAPTION},
      {"left border", {101, 200}, WM_NCLBUTTONDOWN, HTLEFT},
      {"bottom-right corner", {398, 298}, WM_NCLBUTTONDOWN, HTBOTTOMRIGHT},
      {"client", {200, 200}, WM_LBUTTONDOWN, MK_LBUTTON},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Log.clear();
    Headless().Advance(1000);
    Headless().Click(c.Screen);
    auto downs = Only({WM_LBUTTONDOWN, WM_NCLBUTTONDOWN});
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].Msg, c.Msg);
    EXPECT_EQ(downs[0].WParam, c.Hit);
  }
}

TEST_F(Input, DoubleClicksByClassTimeAndDistance)
{
  HWND top = Top(0, 0, 300, 200);
  HWND dbl = Child(top, 0, 0, 100, 100);
  HWND plain = Child(top, 150, 0, 100, 100, WS_CHILD | WS_VISIBLE, "UiTestPlain");
  Headless().ProcessMessages();
  struct TCase {
    const char* Name;
    HWND Target;
    Int64 Gap;
    Integer Dx;
    bool Double;
  };
  const TCase cases[] = {
      {"quick, same spot", dbl, 100, 0, true},
      {"too slow", dbl, 600, 0, false},
      {"too far", dbl, 100, 5, false},
      {"class without double clicks", plain, 100, 0, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Headless().Advance(5000);
    Log.clear();
    Headless().Click(At(c.Target, 20, 20));
    Headless().Advance(c.Gap);
    Headless().Click(At(c.Target, 20 + c.Dx, 20));
    EXPECT_EQ(Only({WM_LBUTTONDBLCLK}).size(), c.Double ? 1u : 0u);
    EXPECT_EQ(Only({WM_LBUTTONDOWN}).size(), c.Double ? 1u : 2u);
  }
}

TEST_F(Input, WheelNotchesAddUpAndKeyStateFollowsTheQueue)
{
  HWND top = Top(0, 0, 100, 100);
  Headless().ProcessMessages();
  ASSERT_EQ(GetFocus(), top);
  Log.clear();
  InputMouseWheel(60, {10, 10});
  Headless().ProcessMessages();
  EXPECT_TRUE(Only({WM_MOUSEWHEEL}).empty()) << "half a notch sends nothing yet";
  InputMouseWheel(-300, {10, 10});
  Headless().ProcessMessages();
  auto wheel = Only({WM_MOUSEWHEEL});
  ASSERT_EQ(wheel.size(), 1u);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].WParam), -240);

  static SmallInt shiftDuringKey = 0;
  Handlers[top] = [](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_KEYDOWN)
      shiftDuringKey = GetKeyState(VK_SHIFT);
    return false;
  };
  Headless().Key('A', true);
  EXPECT_LT(shiftDuringKey, 0) << "the state as of the message, though Shift is up by now";
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(Input, FocusMessagesNameEachOther)
{
  HWND top = Top(0, 0, 300, 200);
  HWND a = Child(top, 0, 0, 50, 50);
  HWND b = Child(top, 60, 0, 50, 50);
  Headless().ProcessMessages();
  SetFocus(a);
  Log.clear();
  EXPECT_EQ(SetFocus(b), a);
  auto f = Only({WM_KILLFOCUS, WM_SETFOCUS});
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].Msg, WM_KILLFOCUS);
  EXPECT_EQ(f[0].Hwnd, a);
  EXPECT_EQ(f[0].WParam, b);
  EXPECT_EQ(f[1].Msg, WM_SETFOCUS);
  EXPECT_EQ(f[1].Hwnd, b);
  EXPECT_EQ(f[1].WParam, a);
  // Hiding or disabling the focus window takes the focus away.
  ShowWindow(b, SW_HIDE);
  EXPECT_EQ(GetFocus(), top);
  SetFocus(a);
  EnableWindow(a, false);
  EXPECT_EQ(GetFocus(), 0u);
}

TEST_F(Input, ClickActivationOrder)
{
  HWND first = Top(0, 0, 200, 200);
  HWND second = Top(300, 0, 200, 200);
  SetActiveWindow(first);
  Headless().ProcessMessages();
  ASSERT_EQ(GetActiveWindow(), first);
  ASSERT_EQ(GetFocus(), first);
  Log.clear();
  Headless().Click(At(second, 10, 10));
  auto a = Only({WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS, WM_LBUTTONDOWN});
  struct TExpected {
    HWND Hwnd;
    UINT Msg;
    WPARAM WParam;
  };
  const TExpected expected[] = {
      {first, WM_NCACTIVATE, 0},
      {first, WM_ACTIVATE, WA_INACTIVE},
      {second, WM_NCACTIVATE, 1},
      {second, WM_ACTIVATE, WA_CLICKACTIVE},
      {first, WM_KILLFOCUS, second},
      {second, WM_SETFOCUS, first},
      {second, WM_LBUTTONDOWN, MK_LBUTTON},
  };
  ASSERT_EQ(a.size(), std::size(expected));
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a[i].Hwnd, expected[i].Hwnd);
    EXPECT_EQ(a[i].Msg, expected[i].Msg);
    EXPECT_EQ(a[i].WParam, expected[i].WParam);
  }
  EXPECT_EQ(static_cast<HWND>(a[1].LParam), second)
      << "the window losing activation names the other";
  EXPECT_EQ(static_cast<HWND>(a[3].LParam), first);
}

TEST_F(Input, PopupsAndDisabledWindowsDoNotActivate)
{
  HWND main = Top(0, 0, 200, 200);
  HWND popup = Top(300, 0, 100, 100, WS_POPUP | WS_VISIBLE, WS_EX_NOACTIVATE, main);
  SetActiveWindow(main);
  Headless().ProcessMessages();
  Log.clear();
  Headless().Click(At(popup, 5, 5));
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(Only({WM_LBUTTONDOWN}).size(), 1u) << "the popup still gets the click";

  HWND other = Top(600, 0, 100, 100);
  SetActiveWindow(main);
  EnableWindow(other, false);
  Log.clear();
  Integer beeps = BeepCount();
  Headless().Click(At(other, 5, 5));
  EXPECT_TRUE(Only({WM_LBUTTONDOWN}).empty());
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(BeepCount(), beeps + 1);

  Log.clear();
  Headless().ActivateOtherApplication();
  EXPECT_EQ(GetForegroundWindow(), 0u);
  auto app = Only({WM_ACTIVATE});
  ASSERT_FALSE(app.empty());
  EXPECT_EQ(app[0].WParam, WPARAM(WA_INACTIVE));
  Headless().ActivateOtherApplication(true);
  EXPECT_EQ(GetForegroundWindow(), main);
}

TEST_F(Input, CaptionDragMovesAndEdgeDragSizesTopLevelWindows)
{
  HWND top = Top(100, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE);
  Headless().ProcessMessages();
  Log.clear();
  Headless().QueueStep([] { Headless().Move({250, 130}); });
  Headless().QueueStep([] { Headless().Release(hbLeft, {250, 130}); });
  Headless().Press(hbLeft, {200, 110}); // on the caption
  TRect r;
  GetWindowRect(top, r);
  EXPECT_EQ(r, Bounds(150, 120, 300, 200));
  auto loop = Only({WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE});
  ASSERT_EQ(loop.size(), 2u);
  EXPECT_EQ(loop[1].Msg, WM_EXITSIZEMOVE);

  Headless().Advance(1000);
  Headless().QueueStep([] { Headless().Move({460, 330}); });
  Headless().QueueStep([] { Headless().Release(hbLeft, {460, 330}); });
  Headless().Press(hbLeft, {448, 318}); // the bottom-right corner
  GetWindowRect(top, r);
  EXPECT_EQ(r, Bounds(150, 120, 312, 212));

  // Esc puts the window back.
  Headless().Advance(1000);
  Headless().QueueStep([] { Headless().Move({400, 300}); });
  Headless().QueueStep([] { Headless().Key(VK_ESCAPE); });
  Headless().Press(hbLeft, {250, 130});
  GetWindowRect(top, r);
  EXPECT_EQ(r, Bounds(150, 120, 312, 212));
  Headless().Release(hbLeft, {400, 300});
}

TEST_F(Input, DragFeedsCapturedWindowsAndTrackingLoops)
{
  HWND top = Top(100, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_VISIBLE);
  HWND child = Child(top, 10, 10, 100, 100);
  std::vector<TPoint> moves;
  Handlers[child] = [child, &moves](UINT m, WPARAM, LPARAM l, LRESULT&) {
    if (m == WM_LBUTTONDOWN)
      SetCapture(child);
    if (m == WM_MOUSEMOVE && GetCapture() == child)
      moves.push_back(PointFromLParam(l));
    if (m == WM_LBUTTONUP)
      ReleaseCapture();
    return false;
  };
  Headless().ProcessMessages();
  TPoint from = At(child, 10, 10);
  Headless().Drag(from, {from.X + 200, from.Y + 40}, 2);
  ASSERT_GE(moves.size(), 2u);
  EXPECT_NE(std::find(moves.begin(), moves.end(), Point(110, 30)), moves.end())
      << "the step half way";
  EXPECT_EQ(moves.back(), Point(210, 50)) << "outside the child, still its coordinates";
  EXPECT_EQ(GetCapture(), 0u);

  Headless().Advance(1000);
  Headless().Drag({200, 110}, {260, 150}); // the caption: the move loop takes the moves
  TRect r;
  GetWindowRect(top, r);
  EXPECT_EQ(r.TopLeft(), Point(160, 140));
}

// ---- Input in one burst: routed when taken, not when it arrived ---------------------------

TEST_F(Input, AReleaseInThePressesBurstGoesToTheWindowThePressCaptured)
{
  HWND top = Top(100, 100, 300, 200);
  HWND child = Child(top, 10, 10, 50, 50);
  HWND other = Top(500, 100, 100, 100);
  Handlers[child] = [child](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_LBUTTONDOWN)
      SetCapture(child);
    if (m == WM_LBUTTONUP)
      ReleaseCapture();
    return false;
  };
  Headless().ProcessMessages();
  Log.clear();
  // The display delivers press, moves and release before anything is processed.
  TPoint press = At(child, 20, 20);
  InputMouseMove(press);
  InputMouseButton(mbkLeft, true, press);
  InputMouseMove(At(other, 30, 30));
  InputMouseButton(mbkLeft, false, At(other, 30, 30));
  Headless().ProcessMessages();
  auto seen = Only({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_CAPTURECHANGED});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].Msg, WM_LBUTTONUP);
  EXPECT_EQ(seen[1].Hwnd, child) << "the release follows the capture the press took";
  EXPECT_EQ(PointFromLParam(seen[1].LParam), Point(530 - 110, 130 - 110));
  EXPECT_EQ(GetCapture(), 0u) << "and the capture ends with it";
  for (const TLoggedMsg& m : Log) {
    if (IsMouseMessage(m.Msg)) {
      EXPECT_NE(m.Hwnd, other) << "message " << m.Msg;
    }
  }
}

TEST_F(Input, KeysTypedAheadGoToTheFocusAHandlerMovedTo)
{
  HWND top = Top(0, 0, 300, 200);
  HWND grid = Child(top, 0, 0, 100, 100);
  HWND editor = Child(top, 0, 0, 50, 20);
  Handlers[grid] = [editor](UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_KEYDOWN && w == VK_F2)
      SetFocus(editor); // a grid opening its in-place editor
    return false;
  };
  SetFocus(grid);
  Headless().ProcessMessages();
  Log.clear();
  InputKey(VK_F2, true);
  InputKey(VK_F2, false);
  InputKey('A', true);
  InputKey('A', false);
  Headless().ProcessMessages();
  auto chars = Only({WM_CHAR});
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].Hwnd, editor);
  EXPECT_EQ(chars[0].WParam, WPARAM('a'));
  auto keys = Only({WM_KEYDOWN, WM_KEYUP});
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].Hwnd, grid);
  for (std::size_t i = 1; i < keys.size(); ++i)
    EXPECT_EQ(keys[i].Hwnd, editor) << "the F2 release and the A after it";
}

TEST_F(Input, KeysAfterAClickInTheSameBurstGoToTheWindowTheClickActivated)
{
  HWND first = Top(0, 0, 200, 200);
  HWND second = Top(300, 0, 200, 200);
  SetActiveWindow(first);
  Headless().ProcessMessages();
  Log.clear();
  TPoint p = At(second, 10, 10);
  InputMouseMove(p);
  InputMouseButton(mbkLeft, true, p);
  InputMouseButton(mbkLeft, false, p);
  InputKey('Q', true);
  InputKey('Q', false);
  Headless().ProcessMessages();
  EXPECT_EQ(GetActiveWindow(), second);
  auto keys = Only({WM_KEYDOWN, WM_CHAR});
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].Hwnd, second);
  EXPECT_EQ(keys[1].Hwnd, second);
}

TEST_F(Input, ACaptionDragDeliveredInOneBurstMovesTheWindow)
{
  HWND top = Top(100, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_VISIBLE);
  Headless().ProcessMessages();
  Log.clear();
  InputMouseMove({200, 110});
  InputMouseButton(mbkLeft, true, {200, 110});
  InputMouseMove({230, 130});
  InputMouseMove({260, 150});
  InputMouseButton(mbkLeft, false, {260, 150});
  Headless().ProcessMessages();
  TRect r;
  GetWindowRect(top, r);
  EXPECT_EQ(r.TopLeft(), Point(160, 140)) << "the move loop took the moves queued behind the press";
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_EQ(Only({WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}).size(), 2u);
}

// ---- Cursors ----------------------------------------------------------------------------------

TEST_F(Input, ThePlatformsOwnCursorsAreDrawnFromOurPictures)
{
  for (HCURSOR id : {crDrag, crNoDrop, crHSplit, crVSplit, crMultiDrag, crSQLWait}) {
    SCOPED_TRACE(id);
    const TCursorPicture* p = CursorPicture(id);
    ASSERT_NE(p, nullptr);
    EXPECT_GT(p->Width, 8);
    EXPECT_LE(p->Width, 32);
    EXPECT_LE(p->Height, 32);
    ASSERT_EQ(p->Pixels.size(), std::size_t(p->Width * p->Height));
    EXPECT_NE(p->Pixels[std::size_t(p->HotSpot.Y * p->Width + p->HotSpot.X)], cpTransparent)
        << "the hot spot is on the picture";
  }
  EXPECT_EQ(CursorPicture(crArrow), nullptr) << "the desktop draws the arrow";
  EXPECT_EQ(CursorPicture(crIBeam), nullptr);
}

TEST_F(Input, CursorsFromPicturesAndNamedResourcesShowUnderTheirNumbers)
{
  struct TCase {
    const char* Name;
    std::vector<AnsiString> Rows;
    TPoint HotSpot;
  };
  const TCase bad[] = {
      {"empty", {}, {0, 0}},
      {"ragged", {"##", "#"}, {0, 0}},
      {"unknown character", {"#x"}, {0, 0}},
      {"hot spot outside", {"##"}, {2, 0}},
      {"too wide", {AnsiString(33, '#')}, {0, 0}},
  };
  for (const TCase& c : bad) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(CreateCursorFromArt(c.Rows, c.HotSpot), 0);
    EXPECT_FALSE(RegisterCursorResource("BAD", c.Rows, c.HotSpot));
  }
  ASSERT_TRUE(RegisterCursorResource("TESTHAND", {" # ", "#.#", "~ #"}, {1, 0}));
  EXPECT_EQ(LoadCursor(0, "NOSUCHCURSOR"), 0);
  HCURSOR hand = LoadCursor(0, "TESTHAND");
  ASSERT_NE(hand, 0);
  const TCursorPicture* p = CursorPicture(hand);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->HotSpot, Point(1, 0));
  EXPECT_EQ(p->Pixels,
            (std::vector<TCursorPixel>{cpTransparent, cpBlack, cpTransparent, cpBlack, cpWhite,
                                       cpBlack, cpInvert, cpTransparent, cpBlack}));

  // A library numbers it in the screen's table; a control showing that number shows it.
  Screen()->SetCursors(50, hand);
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 200, 150);
  auto* tool = new TCustomControl(form);
  tool->SetBounds(10, 10, 100, 100);
  tool->SetCursor(50);
  tool->SetParent(form);
  form->Show();
  Headless().ProcessMessages();
  Headless().Move(tool->ClientToScreen({20, 20}));
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_TRUE(DestroyCursor(hand));
  EXPECT_EQ(GetCursor(), crArrow) << "a destroyed cursor is not shown on";
  EXPECT_EQ(CursorPicture(hand), nullptr);
  delete form;
}
