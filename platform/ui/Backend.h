// The window manager's side of a display backend: what a backend is told (top-level
// windows appearing, moving, repainted) and what it feeds (input in screen coordinates).
// The headless backend (backend/headless/Headless.h) keeps the screen in memory for tests;
// a display backend shows each top-level window natively and blits its surface. Drawing,
// messages and controls are the same in both.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/ui/Windows.h"

class TImageSurface;
class TRegion;

// Raised by a backend when a loop waits for input that can never come; message loops let
// it through instead of reporting it as an error of the program.
QH_DECLARE_EXCEPTION(EInputBlocked, Exception);

// The clipboard's content: the bytes of each format it holds, in the order they were set.
using TClipboardContent = std::vector<std::pair<UINT, std::string>>;

class TWindowBackend {
public:
  virtual ~TWindowBackend() = default;

  // The virtual screen's size in pixels.
  virtual TSize ScreenSize() const = 0;

  // A top-level window was shown, hidden, moved or sized, or is being destroyed.
  virtual void WindowShown(HWND hwnd) {}
  virtual void WindowHidden(HWND hwnd) {}
  virtual void WindowMoved(HWND hwnd) {}
  virtual void WindowDestroyed(HWND hwnd) {}
  // Pixels of a top-level window's surface changed (window coordinates).
  virtual void SurfaceChanged(HWND hwnd, const TRect& area) {}
  // An overlay item appeared, changed, moved or went away (screen coordinates).
  virtual void OverlayChanged(const TRect& screenArea) {}
  virtual void CaptureChanged(HWND hwnd) {}
  // A part of a window's client area was invalidated (client coordinates).
  virtual void Invalidated(HWND hwnd, const TRegion& area) {}
  virtual void CursorChanged(HCURSOR cursor) {}
  // The caret moved, appeared or went away (an input method places its window there).
  virtual void CaretChanged(HWND owner, const TRect& screenRect, bool visible) {}
  virtual void Beep() {}

  // The system clipboard. The default keeps it inside the program (headless); a display
  // backend bridges it to the desktop's clipboard.
  virtual void SetClipboardContent(const TClipboardContent& content);
  virtual TClipboardContent ClipboardContent() const;

  // A message loop found nothing to do: no message, no paint, no due timer. The backend
  // waits until input arrives or the next timer is due (timeoutMs milliseconds away; -1 when
  // no timer is set) and returns; it may instead raise an exception when nothing can ever
  // come (the headless backend does, so a test cannot hang). waiter names the loop.
  virtual void WaitForInput(Integer timeoutMs, const char* waiter) = 0;
};

// The active backend; the window manager starts with none and then refuses to wait.
TWindowBackend* WindowBackend();
void SetWindowBackend(TWindowBackend* backend);

// Input fed by a backend, in screen coordinates. Each call does what the platform's input
// processing does: hit testing, capture, activation on click, double-click detection, then
// posts the message to the window's queue.
enum TMouseButtonKind { mbkLeft, mbkRight, mbkMiddle };
void InputMouseMove(TPoint screen);
void InputMouseButton(TMouseButtonKind button, bool down, TPoint screen);
// Delta in the platform's units (120 = one notch); smaller deltas add up.
void InputMouseWheel(Integer delta, TPoint screen);
void InputKey(Word vk, bool down);
// A character committed by an input method, as its GBK code (lead byte high for a
// double-byte character).
void InputImeChar(Word gbk);
// The whole application was activated or deactivated (another program came to the front).
void InputActivateApp(bool active);

// The application's own pre-processing of a message taken from the queue (keyboard
// interface, dialog keys, hints); returns true when it handled the message, which then is
// neither translated nor dispatched. Loops outside the application (the headless pump)
// call it through ProcessQueuedMessage.
using TMessageFilter = bool (*)(MSG& msg);
void SetMessageFilter(TMessageFilter filter);
// Takes one message (paints and due timers included) and processes it as the
// application's loop would; false when there was none, or a WM_QUIT (left queued).
bool ProcessQueuedMessage();

// Work done when a loop runs out of messages (the application tracks the control under
// the mouse there); loops outside the application call RunIdleHook.
void SetIdleHook(void (*hook)());
void RunIdleHook();

// What the innermost loop is (a modal form, the application's loop ...), named in the
// headless backend's "would block forever" failure. Returns the previous name.
AnsiString SetWaiterName(const AnsiString& name);

// A cursor the platform draws (see CreateCursorFromArt): its pixels row by row.
enum TCursorPixel : Byte { cpTransparent, cpBlack, cpWhite, cpInvert };
struct TCursorPicture {
  Integer Width = 0, Height = 0;
  TPoint HotSpot;
  std::vector<TCursorPixel> Pixels;
};
// The picture of a cursor the platform draws; null for those the desktop draws.
const TCursorPicture* CursorPicture(HCURSOR cursor);

// The backing surface of a top-level window (window coordinates); null for others.
TImageSurface* WindowSurface(HWND hwnd);
// Paints the screen: the desktop colour, then every visible top-level window bottom to
// top, clipped to its window region.
void ComposeScreen(TImageSurface& screen);
// Top-level windows in z-order, front first (hidden ones included).
void EnumTopLevelWindows(std::vector<HWND>& result);
// The number of MessageBeep calls since the window manager was reset.
Integer BeepCount();
// Destroys every window and forgets timers, hooks, queued messages and input state.
void ResetWindowManager();
// The next timer due, in milliseconds from now (0 when one is due; -1 when none is set).
Integer NextTimerDue();
