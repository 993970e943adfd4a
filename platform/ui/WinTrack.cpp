// Modal loops: TrackModal, the one loop every modal interaction runs on (the application's
// loop, modal forms, moving and sizing, dragging, menus, scroll bars, buttons held down),
// and the message-filter hooks it offers each message to. Windows.h describes the
// interface; WinMessages.cpp holds the queue it takes from.
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/WindowsPrivate.h"

using namespace wm;

namespace {

// The loop itself; TrackModal around it takes and gives back the capture and the name.
TTrackEnd RunTrackLoop(const TTrackLoop& loop)
{
  const HWND capture = loop.CaptureWindow;
  bool idled = false; // OnIdle ran since the last message: the next empty look waits
  for (;;) {
    try {
      if (loop.Running && !loop.Running())
        return teEnded;
      if (capture && GetCapture() != capture)
        return teCaptureLost;
      MSG m;
      if (!PeekMessage(m, 0, 0, 0, PM_REMOVE)) {
        if (!idled) {
          // Idle work first; the conditions and the queue are looked at again before waiting.
          idled = !loop.OnIdle || loop.OnIdle();
          continue;
        }
        idled = false;
        WaitMessage();
        continue;
      }
      idled = false;
      if (m.message == WM_QUIT) {
        if (!loop.TakesQuit)
          PostQuitMessage(static_cast<Integer>(m.wParam)); // for the loop that owns it
        return teQuit;
      }
      if (loop.FilterCode >= 0 && CallMsgFilter(m, loop.FilterCode))
        continue;
      TTrackReply reply = loop.OnMessage ? loop.OnMessage(m) : trPass;
      if (reply == trEnd)
        return teEnded;
      if (reply == trPass)
        FilterAndDispatch(m);
    } catch (...) {
      if (!loop.OnError)
        throw;
      loop.OnError(); // may rethrow, which ends the loop
    }
  }
}

} // namespace

bool CallMsgFilter(MSG& msg, Integer code)
{
  return !State().Hooks.empty() &&
         RunHooks(WH_MSGFILTER, code, 0, reinterpret_cast<LPARAM>(&msg)) != 0;
}

TTrackEnd TrackModal(const TTrackLoop& loop)
{
  const HWND capture = loop.CaptureWindow;
  AnsiString outer = SetWaiterName(loop.Name.empty() ? AnsiString("a modal loop") : loop.Name);
  // Giving back what the loop took sends WM_CAPTURECHANGED: on the way out by an exception
  // a second one from there cannot go anywhere and is dropped.
  auto finish = [&] {
    SetWaiterName(outer);
    if (capture && GetCapture() == capture)
      ReleaseCapture();
  };
  TScopeExit unwinding([&] {
    try {
      finish();
    } catch (...) {
    }
  });
  if (capture)
    SetCapture(capture);
  TTrackEnd end = RunTrackLoop(loop);
  unwinding.Dismiss();
  finish();
  return end;
}
