// Internal state of the window manager, shared by WinTree.cpp, WinMessages.cpp,
// WinInput.cpp and WinPaint.cpp. Not part of the library's interface: only those files and
// the backends include it. Windows.h is the public side.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Windows.h"

namespace wm {

// One window. Geometry: Rect is the whole window in the parent's client coordinates (the
// screen for top-level windows); Client is the client area in window coordinates (0,0 =
// the window's top-left), as WM_NCCALCSIZE answered.
struct TWnd {
  HWND Handle = 0;
  AnsiString ClassName;
  UINT ClassStyle = 0;
  Integer Background = 0; // class brush: TColor + 1, 0 = none
  WNDPROC Proc = nullptr;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  TWnd* Parent = nullptr;      // child windows only
  TWnd* Owner = nullptr;       // top-level windows only
  std::vector<TWnd*> Children; // z-order, topmost first
  bool MessageOnly = false;
  TRect Rect;
  TRect Client;
  AnsiString Text;
  LONG_PTR Id = 0;
  LONG_PTR UserData = 0;
  TObject* Object = nullptr;
  std::unique_ptr<TRegion> WindowRgn; // window coordinates
  TRegion Update;                     // client coordinates
  bool EraseNeeded = false;
  bool FrameNeeded = false; // WM_NCPAINT pending
  bool InPaint = false;
  UINT BeginPaints = 0; // BeginPaint calls so far (a WM_PAINT that made none is validated)
  SCROLLINFO Scroll[2];
  UINT ScrollArrowsDisabled[2] = {0, 0};
  std::unique_ptr<TImageSurface> Surface; // top-level windows: the backing pixels
  bool Destroying = false;
  bool Created = false;
  Integer ShowState = SW_SHOWNORMAL; // SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED
  TRect NormalRect;
};

// Input a backend fed, waiting in the input queue. It is routed (target window, message
// number, hit-test code, double click) when a retrieval first reaches it, with the capture,
// focus and activation of that moment, and delivered (hooks, click activation, cursor) when
// it is taken off the queue. Keys and characters know their message from the start.
enum TInputKind { ikMouseMove, ikMouseButton, ikWheel, ikKey, ikChar };
struct TInputEvent {
  UINT Id = 0; // finds the event again after a message was sent
  TInputKind Kind = ikMouseMove;
  Integer Button = 0; // ikMouseButton: 0 left, 1 right, 2 middle
  bool Down = false;  // ikMouseButton
  TPoint Pt;          // the pointer, screen coordinates
  UINT Message = 0;   // ikWheel, ikKey, ikChar
  WPARAM WParam = 0;  // mouse: MK_ flags; wheel: flags and delta; key: the key; char: the code
  LPARAM LParam = 0;  // key: the key data
  DWORD Time = 0;
  // Set when routed.
  bool Routed = false;
  bool Captured = false; // routed to the capture window
  LRESULT Hit = HTCLIENT;
  MSG Msg;
};

struct TTimerRec {
  HWND Window = 0;
  UINT_PTR Id = 0;
  UINT Elapse = 0;
  TIMERPROC Proc = nullptr;
  Cardinal Due = 0;
};

struct THookRec {
  HHOOK Handle = 0;
  Integer Kind = 0;
  HOOKPROC Proc = nullptr;
};

// A device context: a canvas on a window's backing surface, clipped to what the window
// may paint, its origin at the window's client (or window, for GetWindowDC) top-left.
struct TDc {
  HDC Handle = 0;
  HWND Window = 0;
  std::unique_ptr<TCanvas> Canvas;
  std::unique_ptr<TImageSurface> Own; // the 1x1 screen context of GetDC(0)
};

struct TOverlayItem {
  HOVERLAY Handle = 0;
  TRect Rect; // screen coordinates
  TOverlayMode Mode = omCopy;
  Integer Transparent = -1;
  std::unique_ptr<TImageSurface> Surface;
  std::unique_ptr<TCanvas> Canvas;
};

struct TState {
  struct TSlot {
    std::unique_ptr<TWnd> Wnd;
    Word Generation = 0;
  };
  std::vector<TSlot> Slots; // slot 0 is never used
  std::vector<WNDCLASS> Classes;
  std::vector<TWnd*> TopLevels; // z-order, front first
  std::vector<TWnd*> MessageOnly;
  std::deque<MSG> Queue;         // posted messages
  std::deque<TInputEvent> Input; // input not yet taken (see TInputEvent)
  UINT NextInputId = 1;
  bool QuitPending = false;
  Integer QuitCode = 0;
  std::vector<TTimerRec> Timers;
  UINT_PTR NextThreadTimer = 0x7F00;
  std::vector<THookRec> Hooks; // newest first
  HHOOK NextHook = 1;
  HWND Capture = 0;
  HWND Focus = 0;
  HWND Active = 0;
  bool AppActive = false;
  Byte Keys[256] = {};     // as the input arrived (GetAsyncKeyState)
  Byte SyncKeys[256] = {}; // as of the last input message taken from the queue (GetKeyState)
  bool AltAlone = false;   // Alt went down and nothing else was pressed since (menu key)
  TPoint Cursor;
  HWND CursorWindow = 0; // the window the pointer is over (for WM_SETCURSOR, leave)
  MSG Current;           // the message last taken from the queue
  Integer SendDepth = 0;
  // Double-click detection: the last button press.
  UINT LastDownMsg = 0;
  HWND LastDownWnd = 0;
  DWORD LastDownTime = 0;
  TPoint LastDownPos;
  bool LastWasDouble = false;
  Integer WheelRemainder = 0;
  std::vector<std::unique_ptr<TDc>> Dcs;
  HDC NextDc = 1;
  Integer Beeps = 0;
  HCURSOR Cursor_ = -2; // the cursor shown (crArrow)
  HWND CaretWnd = 0;
  TRect CaretRect;            // client coordinates of CaretWnd
  Integer CaretHidden = 1;    // shown when 0
  bool CaretDrawn = false;    // currently inverted into the surface
  bool CaretBlinkOff = false; // in the "off" half of its blink
  DWORD CaretNextBlink = 0;   // when the caret blinks next (GetTickCount)
  // Desktop settings (a backend's; ResetState keeps them).
  UINT CaretBlinkTime = 530; // INFINITE: no blinking
  UINT DoubleClickTime = 500;
  std::vector<TOverlayItem> Overlays;
  HOVERLAY NextOverlay = 1;
  TRect WorkArea; // the backend's (ResetState keeps it); empty: the whole screen
};

TState& State();
TWnd* FromHandle(HWND hwnd); // null for 0 and stale handles
HWND HandleOf(const TWnd* w);

// Geometry helpers.
TPoint ClientOrigin(const TWnd* w); // screen position of the client area's top-left
TPoint WindowOrigin(const TWnd* w); // screen position of the window's top-left
TRect ScreenRect(const TWnd* w);
TWnd* TopLevelOf(TWnd* w);
bool VisibleChain(const TWnd* w);
bool EnabledChain(const TWnd* w);
std::vector<TWnd*>& SiblingList(TWnd* w);
// The part of the screen the window may paint, in client coordinates of the window (or
// window coordinates with IncludeFrame): window ∩ ancestors' clients ∩ window regions,
// minus higher siblings (of the window and every ancestor) and, with WS_CLIPCHILDREN,
// visible children.
TRegion VisibleRegion(const TWnd* w, bool includeFrame);

LRESULT Send(TWnd* w, UINT msg, WPARAM wParam, LPARAM lParam);
// Runs the WH_CALLWNDPROC hooks, then the window procedure.
LRESULT CallProc(TWnd* w, UINT msg, WPARAM wParam, LPARAM lParam);
// Runs the newest hook of a kind (it chains to older ones with CallNextHookEx).
LRESULT RunHooks(Integer kind, Integer code, WPARAM wParam, LPARAM lParam);
// Asks the WH_CBT hooks; true when one of them vetoes what code announces.
bool CbtVeto(Integer code, WPARAM wParam, LPARAM lParam);

// Painting and compositing.
void Invalidate(TWnd* w, const TRegion& clientArea, bool erase);
void InvalidateAll(TWnd* w, bool erase);
// A window's former area (parent client coordinates) needs repainting: the parent's, or
// for top-level windows whatever lies below on the screen.
void ExposeArea(TWnd* parent, const TRect& area);
void ResizeSurface(TWnd* w);
bool AnyPaintPending();
TWnd* NextPaintWindow();
void DrawFrame(TWnd* w);
// The non-client parts a window's styles ask for, in pixels.
struct TFrameMetrics {
  Integer Border = 0;  // each side
  Integer Caption = 0; // below the top border
  Integer Edge = 0;    // client edge inside the border
  Integer VScroll = 0; // width of the vertical bar
  Integer HScroll = 0; // height of the horizontal bar
};
TFrameMetrics FrameMetrics(const TWnd* w);
LRESULT DefNcHitTest(TWnd* w, TPoint screen);
// Runs the interaction of a press on a window scroll bar (SB_HORZ or SB_VERT).
void ScrollBarTrack(HWND hwnd, Integer bar, TPoint screen);
// Runs a press on a caption button (HTCLOSE, HTMAXBUTTON, HTMINBUTTON).
void CaptionButtonTrack(HWND hwnd, LRESULT hit);
// A message a loop took and does not handle itself: the application's message filter, then
// TranslateMessage and DispatchMessage.
void FilterAndDispatch(MSG& msg);
// A message as PostMessage queues it: stamped with the clock and the pointer's position.
MSG PostedMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Inserts a message at the front of the queue (characters made from a key stroke go
// ahead of later input).
void PostFront(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool InSubtree(const TWnd* w, const TWnd* root);
// Brings the key state GetKeyState reports up to date with an input message being taken.
void SyncKeyState(const MSG& msg);
void ReleaseDcsOf(HWND hwnd);
// The caret's blink: milliseconds to its next toggle (-1: it does not blink now), and the
// toggle itself when due (PeekMessage calls it as it looks for paints and timers).
Integer CaretBlinkDue();
void BlinkCaretIfDue();

// Input and focus side effects of tree changes.
void WindowGoingAway(TWnd* w); // clears capture, focus, activation; kills its timers
// Input routing (WinInput.cpp), used by PeekMessage: whether an event may yield a message
// in [first, last] (without routing it); routing it (false: it has nowhere to go and is
// dropped); telling the hooks of a peek that leaves it queued; delivering it as it is
// taken off the queue (false: a hook or the click activation ate it).
bool InputMayMatch(const TInputEvent& e, UINT first, UINT last);
bool RouteInput(TInputEvent& e);
void PeekInput(const TInputEvent& e);
bool DeliverInput(TInputEvent& e);
void ActivateTopLevel(TWnd* w, Integer how);
// Moves (hit = HTCAPTION) or sizes (an edge's hit code) the window with the pointer.
void MoveSizeLoop(HWND hwnd, LRESULT hit);
void CancelModeOnDisable(TWnd* w);

void ResetState();

} // namespace wm
