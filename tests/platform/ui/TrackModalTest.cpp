// The one modal loop every interaction runs on: its callback, the capture it takes and gives
// back on every way out (an exception included), WM_QUIT, the message-filter hooks, and the
// loops of the platform built on it (moving, scroll bars, menus, modal forms, dragging).
#include <string>

#include "platform/ui/Menus.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

using TrackModal_ = UiTest;

// A WH_MSGFILTER hook recording the codes and messages it is offered; it takes messages
// of the number in Eat.
struct TFilterLog {
  static inline std::vector<std::pair<Integer, UINT>> Seen;
  static inline UINT Eat = 0;
  static inline HHOOK Hook = 0;
  static LRESULT Proc(Integer code, WPARAM w, LPARAM l)
  {
    auto* m = reinterpret_cast<MSG*>(l);
    Seen.push_back({code, m->message});
    if (Eat && m->message == Eat)
      return 1;
    return CallNextHookEx(Hook, code, w, l);
  }
  TFilterLog()
  {
    Seen.clear();
    Eat = 0;
    Hook = SetWindowsHookEx(WH_MSGFILTER, &Proc);
  }
  ~TFilterLog() { UnhookWindowsHookEx(Hook); }
  static bool Saw(Integer code, UINT msg)
  {
    for (const auto& s : Seen)
      if (s.first == code && s.second == msg)
        return true;
    return false;
  }
};

TEST_F(TrackModal_, FollowsTheCallbackWithTheCaptureAndGivesItBack)
{
  HWND top = Top(100, 100, 300, 200);
  HWND other = Top(500, 100, 100, 100);
  Headless().ProcessMessages();
  // The whole gesture is queued before the loop starts, the release over another window.
  InputMouseMove({150, 150});
  InputMouseMove({550, 150});
  InputMouseButton(mbkLeft, true, {550, 150});
  InputMouseButton(mbkLeft, false, {560, 160});
  PostMessage(top, WM_USER, 7, 0);
  std::vector<TPoint> moves;
  WPARAM posted = 0;
  TTrackLoop loop;
  loop.CaptureWindow = top;
  loop.OnMessage = [&](MSG& m) {
    if (m.message == WM_MOUSEMOVE) {
      EXPECT_EQ(m.hwnd, top);
      moves.push_back(PointFromLParam(m.lParam));
      return trHandled;
    }
    if (m.message == WM_LBUTTONUP)
      return trEnd;
    return IsMouseMessage(m.message) ? trHandled : trPass;
  };
  Handlers[top] = [&posted](UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_USER)
      posted = w;
    return false;
  };
  Log.clear();
  EXPECT_EQ(TrackModal(loop), teEnded);
  EXPECT_EQ(moves, (std::vector<TPoint>{{50, 50}, {450, 50}})) << "in the captured window's terms";
  EXPECT_EQ(posted, 7u) << "what the loop lets pass is dispatched";
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_EQ(Only({WM_CAPTURECHANGED}).size(), 1u);
  for (const TLoggedMsg& m : Log)
    EXPECT_NE(m.Hwnd, other) << "message " << m.Msg;
}

TEST_F(TrackModal_, AnExceptionFromAHandlerEndsTheLoopAndGivesTheCaptureBack)
{
  HWND top = Top(100, 100, 300, 200);
  Headless().ProcessMessages();
  Handlers[top] = [](UINT m, WPARAM, LPARAM, LRESULT&) -> bool {
    if (m == WM_USER)
      throw EInvalidOperation("handler failed");
    return false;
  };
  PostMessage(top, WM_USER, 0, 0);
  TTrackLoop loop;
  loop.CaptureWindow = top;
  loop.Name = "the failing loop";
  EXPECT_THROW(TrackModal(loop), EInvalidOperation);
  EXPECT_EQ(GetCapture(), 0u);
  // The outer name is back: an outer wait names itself, not the loop that failed.
  MSG m;
  try {
    GetMessage(m, 0, 0, 0);
    ADD_FAILURE() << "nothing was queued";
  } catch (EInputBlocked& e) {
    EXPECT_EQ(e.Message().find("the failing loop"), AnsiString::npos) << e.Message();
  }

  // With OnError the loop decides: this one swallows the error and goes on.
  PostMessage(top, WM_USER, 0, 0);
  PostMessage(top, WM_USER + 1, 0, 0);
  Integer errors = 0;
  loop.OnError = [&errors] {
    try {
      throw;
    } catch (EInvalidOperation&) {
      ++errors;
    }
  };
  loop.OnMessage = [](MSG& m) { return m.message == WM_USER + 1 ? trEnd : trPass; };
  EXPECT_EQ(TrackModal(loop), teEnded);
  EXPECT_EQ(errors, 1);
}

TEST_F(TrackModal_, EndsWhenItsWindowLosesTheCaptureOrRunningSaysSo)
{
  HWND top = Top(100, 100, 300, 200);
  HWND other = Top(500, 100, 100, 100);
  Headless().ProcessMessages();
  Handlers[top] = [other](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_USER)
      SetCapture(other); // a handler takes the capture elsewhere
    return false;
  };
  PostMessage(top, WM_USER, 0, 0);
  TTrackLoop loop;
  loop.CaptureWindow = top;
  EXPECT_EQ(TrackModal(loop), teCaptureLost);
  EXPECT_EQ(GetCapture(), other) << "the capture someone else took stays theirs";
  ReleaseCapture();

  // Running is asked before each message; a timer ends this loop after three ticks.
  SetTimer(top, 1, 100);
  Integer ticks = 0;
  TTrackLoop timed;
  timed.Running = [&ticks] { return ticks < 3; };
  timed.OnMessage = [&ticks](MSG& m) {
    if (m.message == WM_TIMER)
      ++ticks;
    return trPass;
  };
  EXPECT_EQ(TrackModal(timed), teEnded);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(Headless().ElapsedMs(), 300);
  KillTimer(top, 1);
}

TEST_F(TrackModal_, WmQuitEndsANestedLoopAndStaysForTheOneThatOwnsIt)
{
  HWND top = Top(0, 0, 100, 100);
  Headless().ProcessMessages();
  Integer inner = -1, outer = -1;
  TTrackLoop innerLoop;
  innerLoop.CaptureWindow = top;
  TTrackLoop outerLoop;
  outerLoop.TakesQuit = true;
  outerLoop.OnMessage = [&](MSG& m) {
    if (m.message == WM_USER) {
      PostQuitMessage(5);
      inner = TrackModal(innerLoop);
      return trHandled;
    }
    return trPass;
  };
  PostMessage(top, WM_USER, 0, 0);
  outer = TrackModal(outerLoop);
  EXPECT_EQ(inner, teQuit);
  EXPECT_EQ(outer, teQuit);
  EXPECT_EQ(GetCapture(), 0u);
  MSG m;
  EXPECT_FALSE(PeekMessage(m, 0, 0, 0, PM_NOREMOVE)) << "the owner took the quit";
}

TEST_F(TrackModal_, IdleWorkRunsBeforeTheLoopWaits)
{
  HWND top = Top(0, 0, 100, 100);
  Headless().ProcessMessages();
  Integer idles = 0;
  TTrackLoop loop;
  loop.OnIdle = [&idles, top] {
    if (++idles == 2)
      PostMessage(top, WM_USER, 0, 0);
    return idles != 1; // the first call asks to be called again at once
  };
  loop.OnMessage = [](MSG& m) { return m.message == WM_USER ? trEnd : trPass; };
  EXPECT_EQ(TrackModal(loop), teEnded);
  EXPECT_EQ(idles, 2);
  // A loop nobody feeds fails by its name instead of hanging.
  loop.OnIdle = nullptr;
  loop.Name = "the test's own loop";
  try {
    TrackModal(loop);
    ADD_FAILURE() << "returned";
  } catch (EInputBlocked& e) {
    EXPECT_NE(e.Message().find("the test's own loop"), AnsiString::npos) << e.Message();
  }
}

TEST_F(TrackModal_, MessageFilterHooksSeeTheLoopsCodeAndMayTakeAMessage)
{
  HWND top = Top(0, 0, 100, 100);
  Headless().ProcessMessages();
  TFilterLog filter;
  filter.Eat = WM_USER + 1;
  PostMessage(top, WM_USER + 1, 0, 0);
  PostMessage(top, WM_USER + 2, 0, 0);
  std::vector<UINT> offered;
  TTrackLoop loop;
  loop.FilterCode = MSGF_USER + 3;
  loop.OnMessage = [&offered](MSG& m) {
    offered.push_back(m.message);
    return m.message == WM_USER + 2 ? trEnd : trPass;
  };
  TrackModal(loop);
  EXPECT_EQ(offered, std::vector<UINT>{WM_USER + 2}) << "the hook took the first";
  EXPECT_TRUE(TFilterLog::Saw(MSGF_USER + 3, WM_USER + 1));
  EXPECT_TRUE(TFilterLog::Saw(MSGF_USER + 3, WM_USER + 2));
}

// Each modal loop of the platform offers its messages to the hooks with its own code.
TEST_F(TrackModal_, ThePlatformsLoopsRunOnIt)
{
  TFilterLog filter;
  // Moving a window by its caption.
  HWND top = Top(100, 100, 300, 200, WS_POPUP | WS_CAPTION | WS_VSCROLL | WS_VISIBLE);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMax = 99;
  si.nPage = 10;
  SetScrollInfo(top, SB_VERT, si, true);
  Headless().ProcessMessages();
  Headless().Drag({200, 110}, {210, 120}, 1);
  EXPECT_TRUE(TFilterLog::Saw(MSGF_MOVE, WM_MOUSEMOVE));
  // Holding a scroll bar arrow.
  SCROLLBARINFO sbi;
  GetScrollBarInfo(top, OBJID_VSCROLL, sbi);
  Headless().Advance(1000);
  Headless().Click({sbi.rcScrollBar.Left + 3, sbi.rcScrollBar.Top + 3});
  EXPECT_TRUE(TFilterLog::Saw(MSGF_SCROLLBAR, WM_LBUTTONUP));
  // A popup menu, closed by a press outside it.
  auto* menu = new TPopupMenu(nullptr);
  auto* item = new TMenuItem(menu);
  item->SetCaption("项");
  menu->Items()->Add(item);
  Headless().QueueStep([] { Headless().Click({900, 700}); });
  menu->Popup(400, 400);
  EXPECT_TRUE(TFilterLog::Saw(MSGF_MENU, WM_LBUTTONDOWN));
  delete menu;
  // A modal form, closed by a posted message.
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 200, 100);
  Headless().QueueStep([form] { PostMessage(form->Handle(), WM_CLOSE, 0, 0); });
  form->ShowModal();
  EXPECT_TRUE(TFilterLog::Saw(MSGF_DIALOGBOX, WM_CLOSE));
  delete form;
  EXPECT_EQ(GetCapture(), 0u);
}

// A drag whose target's handler fails: the loop is gone, the capture and drag state with it.
TEST_F(TrackModal_, AFailingDragHandlerLeavesNoDragBehind)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 400, 300);
  auto* source = new TCustomControl(form);
  source->SetBounds(10, 10, 80, 40);
  source->SetParent(form);
  auto* target = new TCustomControl(form);
  target->SetBounds(200, 10, 100, 100);
  target->SetParent(form);
  target->OnDragOver = [](TObject*, TObject*, Integer, Integer, TDragState, bool&) {
    throw EInvalidOperation("drag over failed");
  };
  form->Show();
  Headless().ProcessMessages();
  Headless().QueueStep([target] { Headless().Move(target->ClientToScreen({5, 5})); });
  EXPECT_THROW(source->BeginDrag(true), EInvalidOperation);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(DragObject(), nullptr);
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_EQ(GetCursor(), crArrow);
  delete form;
}

} // namespace
