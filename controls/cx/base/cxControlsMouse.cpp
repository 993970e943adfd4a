// The mouse services of the base control: the internal drag-and-drop object, the drag
// object of the platform's drag and drop, the drag-detection loop, mouse-leave tracking and
// middle-button scrolling (see cxControls.h).
#include <algorithm>
#include <cstdlib>

#include "controls/cx/base/cxControls.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"

// ---- TcxDragAndDropObject ----

TcxDragAndDropObject::TcxDragAndDropObject(TcxControl* AControl)
    : FControl(AControl), FCanvas(AControl->cxCanvas())
{
}

void TcxDragAndDropObject::SetDirty(bool Value)
{
  if (Value == FDirty)
    return;
  FDirty = Value;
  DirtyChanged();
}

TCursor TcxDragAndDropObject::DragCursor(bool AAccepted) const
{
  return AAccepted ? crDrag : crNoDrop;
}

void TcxDragAndDropObject::MouseMoved(TPoint, bool& AAccepted)
{
  SetDirty(false);
  Screen()->SetCursor(DragCursor(AAccepted));
}

void TcxDragAndDropObject::Init()
{
  TPoint p;
  GetCursorPos(p);
  p = FControl->ScreenToClient(p);
  FCurMousePos = p;
  FPrevMousePos = p;
  BeginOperation();
}

void TcxDragAndDropObject::DoMouseMove(TPoint P, bool& AAccepted)
{
  FPrevMousePos = FCurMousePos;
  FCurMousePos = P;
  MouseMoved(P, AAccepted);
}

void TcxDragAndDropObject::DoEnd(bool AAccepted)
{
  BeforeEndOperation(AAccepted);
  EndOperation(AAccepted);
}

TCursor TcxDragControlObject::GetDragCursor(bool Accepted, Integer X, Integer Y)
{
  if (Accepted && GetAsyncKeyState(VK_CONTROL) < 0)
    return crDragCopy;
  return TDragControlObject::GetDragCursor(Accepted, X, Y);
}

// ---- Drag detection ----

Integer cxDragDetect(HWND AWindow)
{
  TPoint start;
  GetCursorPos(start);
  const Integer t = Mouse()->DragThreshold();
  const TRect square = Rect(start.X - t, start.Y - t, start.X + t, start.Y + t);
  Integer result = 2;
  TTrackLoop loop;
  loop.CaptureWindow = AWindow;
  loop.Name = "the drag detection";
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    switch (m.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (m.wParam == VK_ESCAPE) {
        result = 2;
        return trEnd;
      }
      return trPass;
    case WM_MOUSEMOVE: {
      TPoint p = PointFromLParam(m.lParam);
      ClientToScreen(m.hwnd, p);
      if (!PtInRect(square, p)) {
        result = 1;
        return trEnd;
      }
      return trPass;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      result = 0;
      TranslateMessage(m);
      DispatchMessage(m);
      return trEnd;
    default:
      return trPass;
    }
  };
  TrackModal(loop);
  return result;
}

// ---- Mouse-leave tracking ----

namespace {

class TMouseTrackingTimer;
std::vector<TMouseTrackingTimer*>* TrackingList = nullptr;
// Timers whose control went away: out of the list at once, freed at the next tracking
// call (not from inside the control's destruction, which is still walking its watchers).
std::vector<TMouseTrackingTimer*> StoppedTimers;
void FreeStopped();

// Polls the pointer every 10 ms and reports when it left the bounds. The control is
// watched: a control destroyed while tracked stops the timer instead of being touched.
class TMouseTrackingTimer : public TTimer {
public:
  TMouseTrackingTimer(TControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller)
      : TTimer(nullptr), Caller(ACaller), Control(AControl), Bounds(ABounds)
  {
    if (Control)
      Control->FreeNotification(this);
    SetInterval(10);
    SetOnTimer(TNotifyEvent::Bind(this, &TMouseTrackingTimer::Tick));
  }
  ~TMouseTrackingTimer() override
  {
    if (Control)
      Control->RemoveFreeNotification(this);
  }

  IcxMouseTrackingCaller* Caller;
  TControl* Control;
  TRect Bounds;
  bool InTick = false;
  bool Stopped = false;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TTimer::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Control) {
      Control = nullptr;
      SetEnabled(false);
      if (TrackingList)
        std::erase(*TrackingList, this);
      StoppedTimers.push_back(this);
    }
  }

private:
  void Tick(TObject*)
  {
    TPoint p;
    GetCursorPos(p);
    if (PtInRect(Bounds, p))
      return;
    InTick = true;
    IcxMouseTrackingCaller* caller = Caller;
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (win && win->HandleAllocated() && !PtInRect(win->ClientRect(), win->ScreenToClient(p)))
      SendMessage(win->Handle(), CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Control));
    caller->MouseLeave();
    StopMouseTracking(caller);
    InTick = false;
    // Stopped inside its own tick: freed now that the tick is over.
    if (Stopped)
      delete this;
  }
};

TMouseTrackingTimer* FindTimer(IcxMouseTrackingCaller* ACaller)
{
  if (!TrackingList)
    return nullptr;
  for (TMouseTrackingTimer* t : *TrackingList)
    if (t->Caller == ACaller)
      return t;
  return nullptr;
}

void FreeStopped()
{
  std::vector<TMouseTrackingTimer*> stopped;
  stopped.swap(StoppedTimers);
  for (TMouseTrackingTimer* t : stopped)
    delete t;
}

} // namespace

void StartMouseTracking(TControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller)
{
  FreeStopped();
  if (!ACaller || FindTimer(ACaller))
    return;
  TRect bounds = ABounds;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    TPoint a = win->ClientToScreen(TPoint{bounds.Left, bounds.Top});
    bounds = Rect(a.X, a.Y, a.X + cxRectWidth(bounds), a.Y + cxRectHeight(bounds));
  } else if (AControl) {
    TPoint a = AControl->ClientToScreen(TPoint{bounds.Left, bounds.Top});
    bounds = Rect(a.X, a.Y, a.X + cxRectWidth(bounds), a.Y + cxRectHeight(bounds));
  }
  if (!TrackingList)
    TrackingList = new std::vector<TMouseTrackingTimer*>;
  TrackingList->push_back(new TMouseTrackingTimer(AControl, bounds, ACaller));
}

void StopMouseTracking(IcxMouseTrackingCaller* ACaller)
{
  FreeStopped();
  TMouseTrackingTimer* timer = FindTimer(ACaller);
  if (!timer)
    return;
  std::erase(*TrackingList, timer);
  if (timer->InTick) {
    timer->Stopped = true;
    timer->SetEnabled(false);
  } else
    delete timer;
}

bool IsMouseTracked(IcxMouseTrackingCaller* ACaller)
{
  FreeStopped();
  return FindTimer(ACaller) != nullptr;
}

Integer MouseTrackingCount()
{
  return TrackingList ? static_cast<Integer>(TrackingList->size()) : 0;
}

// Leftover timers at shutdown are stopped and freed: a tracker a control forgot to stop
// must not turn program exit into an error.
void cxFreeMouseTracking()
{
  FreeStopped();
  if (!TrackingList)
    return;
  for (TMouseTrackingTimer* t : *TrackingList)
    delete t;
  delete TrackingList;
  TrackingList = nullptr;
}

// ---- Middle-button scrolling ----

namespace {

const char* const AnchorClass = "cxScrollAnchor";

// The anchor window shows the anchor bitmap it was given at creation.
LRESULT AnchorWndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, ps);
    auto* bitmap = reinterpret_cast<TBitmap*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (bitmap) {
      TCanvas canvas;
      BindCanvasToDC(canvas, dc);
      canvas.Draw(0, 0, bitmap);
      canvas.Brush()->SetColor(clWindowText);
      canvas.FrameRegion(TRegion::Ellipse(Rect(0, 0, bitmap->Width() + 1, bitmap->Height() + 1)), 1,
                         1);
      BindCanvasToDC(canvas, 0);
    }
    EndPaint(hwnd, ps);
    return 0;
  }
  return DefWindowProc(hwnd, msg, w, l);
}

TCursor ScrollCursor(Integer ADirection, bool AHorz, bool AVert)
{
  switch (ADirection) {
  case 1:
    return crLeftScroll;
  case 2:
    return crRightScroll;
  case 3:
    return crUpScroll;
  case 4:
    return crDownScroll;
  default:
    return AHorz && AVert ? crFullScroll : (AHorz ? crHorScroll : crVerScroll);
  }
}

} // namespace

// Direction (0 none, 1 left, 2 right, 3 up, 4 down) and speed (1..12) of the pointer P
// for an anchor of width W at A.
void cxMiddleButtonDirection(TPoint P, TPoint A, Integer W, bool AHorz, bool AVert,
                             Integer& ADirection, Integer& ASpeed)
{
  TRect zone = Rect(A.X - W / 2, A.Y - W / 2, A.X - W / 2 + W, A.Y - W / 2 + W);
  if (!AHorz) {
    zone.Left = 0;
    zone.Right = Screen()->Width();
  }
  if (!AVert) {
    zone.Top = 0;
    zone.Bottom = Screen()->Height();
  }
  if (PtInRect(zone, P)) {
    ADirection = 0;
    ASpeed = 0;
    return;
  }
  const Integer dy = std::abs(P.Y - A.Y);
  const Integer dx = std::abs(P.X - A.X);
  Integer distance;
  if (!AHorz || (AVert && dy >= dx)) {
    ADirection = P.Y < A.Y ? 3 : 4;
    distance = dy;
  } else {
    ADirection = P.X < A.X ? 1 : 2;
    distance = dx;
  }
  ASpeed = std::min((distance - W / 2) / 5 + 1, 12);
}

TBitmap* cxScrollAnchorBitmap(bool AHorz, bool AVert);

void TcxControl::MiddleButtonScroll()
{
  const bool horz = HScrollBarVisible();
  const bool vert = VScrollBarVisible();
  if (!horz && !vert)
    return;
  FMiddleButtonScrolling = true;
  TBitmap* bitmap = cxScrollAnchorBitmap(horz, vert);
  const Integer w = bitmap->Width();
  TPoint anchor;
  GetCursorPos(anchor);
  WNDCLASS wc;
  wc.lpszClassName = AnchorClass;
  wc.lpfnWndProc = &AnchorWndProc;
  RegisterClass(wc);
  HWND window =
      CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AnchorClass, "", WS_POPUP, anchor.X - w / 2,
                     anchor.Y - bitmap->Height() / 2, w, bitmap->Height(), Handle());
  SetWindowLong(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
  TRegion ellipse = TRegion::Ellipse(Rect(0, 0, w + 1, bitmap->Height() + 1));
  SetWindowRgn(window, &ellipse, false);
  SetWindowPos(window, 0, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Integer direction = 0;
  Integer speed = 1;
  Integer ticks = 0;
  bool leftZone = false;
  TPoint last = anchor;
  ::SetCursor(Screen()->Cursors(ScrollCursor(0, horz, vert)));
  const UINT_PTR timer = SetTimer(0, 0, 20);
  TcxControl* self = this;
  AddDestroyWatch(reinterpret_cast<TComponent**>(&self));
  struct TCleanUp {
    TcxControl*& Self;
    HWND Window;
    UINT_PTR Timer;
    ~TCleanUp()
    {
      KillTimer(0, Timer);
      DestroyWindow(Window);
      if (Self) {
        Self->RemoveDestroyWatch(reinterpret_cast<TComponent**>(&Self));
        Self->FMiddleButtonScrolling = false;
      }
    }
  } cleanUp{self, window, timer};
  TTrackLoop loop;
  loop.CaptureWindow = Handle();
  loop.Name = "the middle-button scrolling";
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    if (m.message == WM_PAINT && m.hwnd == window) {
      ValidateRect(window, nullptr);
      return trHandled;
    }
    if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSEWHEEL && m.message != WM_MOUSEMOVE &&
        m.message != WM_MBUTTONUP)
      return trEnd;
    if ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.wParam == VK_ESCAPE)
      return trEnd;
    if (m.message == WM_TIMER && m.hwnd == 0 && m.wParam == timer) {
      ++ticks;
      if (direction != 0 && ticks % (13 - speed) == 0 && self)
        ScrollInDirection(direction);
      return trHandled;
    }
    if (m.message == WM_MOUSEMOVE) {
      TPoint p = PointFromLParam(m.lParam);
      ::ClientToScreen(m.hwnd, p);
      if (p.X != last.X || p.Y != last.Y) {
        Integer s = 0;
        cxMiddleButtonDirection(p, anchor, w, horz, vert, direction, s);
        if (direction != 0) {
          leftZone = true;
          speed = s;
        }
        ::SetCursor(Screen()->Cursors(ScrollCursor(direction, horz, vert)));
        last = p;
      }
      return trHandled;
    }
    if (m.message == WM_MBUTTONUP)
      return leftZone ? trEnd : trHandled;
    return trPass;
  };
  TrackModal(loop);
}
