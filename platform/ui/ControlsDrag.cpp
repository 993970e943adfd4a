// Dragging: the drag object, the drag loop that follows the pointer and asks the controls
// under it, drop and cancel. Controls.h describes the interface.
#include <algorithm>
#include <cstdlib>

#include "platform/ui/ControlsPrivate.h"

// ---- Dragging ------------------------------------------------------------------------------

TCursor TDragObject::GetDragCursor(bool Accepted, Integer, Integer)
{
  return Accepted ? crDrag : crNoDrop;
}

bool TControl::Dragging() const
{
  return ControlsState().DragControl == this;
}

void TControl::DoStartDrag(TDragObject*& DragObject)
{
  if (OnStartDrag)
    OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y)
{
  if (OnEndDrag)
    OnEndDrag(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)
{
  if (OnDragOver)
    OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y)
{
  if (OnDragDrop)
    OnDragDrop(this, Source, X, Y);
}

// The drag loop: waits for the threshold (unless immediate), then follows the pointer,
// asking the control under it whether it accepts, until the button is released (a drop
// on an accepting target) or Esc is pressed. A release before the drag began is handed on,
// so a press without a drag stays a click.
struct TDragLoop {
  TControl* Source;
  TDestroyWatch SourceWatch;
  TDragObject* Object = nullptr;
  bool OwnObject = false;
  TControl* Target = nullptr;
  bool Accepted = false;
  TPoint Pos;

  explicit TDragLoop(TControl* source) : Source(source), SourceWatch(source) {}

  // What handlers see as the source: the control itself for a control dragging itself.
  TObject* SourceObject() const
  {
    if (auto* c = dynamic_cast<TDragControlObject*>(Object))
      return c->Control();
    return Object;
  }

  void Start()
  {
    Source->DoStartDrag(Object);
    if (!Object) {
      Object = new TDragControlObject(Source);
      OwnObject = true;
    }
    ControlsState().DragObject = Object;
    ControlsState().DragControl = Source;
  }

  void Over(TPoint p)
  {
    Pos = p;
    TControl* t = FindDragTarget(p, false);
    TDragState state = dsDragMove;
    if (t != Target) {
      if (Target) {
        bool ignored = false;
        TPoint lp = Target->ScreenToClient(p);
        Target->DragOver(SourceObject(), lp.X, lp.Y, dsDragLeave, ignored);
      }
      Target = t;
      state = dsDragEnter;
    }
    Accepted = false;
    if (Target) {
      TPoint lp = Target->ScreenToClient(p);
      Accepted = static_cast<bool>(Target->OnDragOver);
      Target->DragOver(SourceObject(), lp.X, lp.Y, state, Accepted);
    }
    Object->FDragTarget = Target;
    Object->FDragPos = p;
    ::SetCursor(Object->GetDragCursor(Accepted, p.X, p.Y));
  }

  void Run(bool immediate, Integer threshold)
  {
    TPoint start;
    GetCursorPos(start);
    Pos = start;
    SetCaptureControl(Source);
    HWND captureWindow = GetCapture();
    ControlsState().DragCancelled = false;
    bool started = false;
    if (immediate) {
      Start();
      started = true;
      Over(start);
    }
    bool drop = false;
    MSG replay;
    bool hasReplay = false;
    while (GetCapture() == captureWindow && captureWindow && !ControlsState().DragCancelled &&
           !SourceWatch.Destroyed()) {
      MSG m;
      if (!GetMessage(m, 0, 0, 0)) {
        PostQuitMessage(static_cast<Integer>(m.wParam));
        break;
      }
      bool move = m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE;
      bool up = m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP;
      if (move) {
        if (!started) {
          if (std::abs(m.pt.X - start.X) < threshold && std::abs(m.pt.Y - start.Y) < threshold)
            continue;
          Start();
          started = true;
        }
        Over(m.pt);
        continue;
      }
      if (up) {
        if (!started) {
          replay = m;
          hasReplay = true;
        } else {
          Over(m.pt);
          drop = Accepted;
        }
        break;
      }
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE)
        break;
      if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
          (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK))
        continue;
      TranslateMessage(m);
      DispatchMessage(m);
    }
    if (!SourceWatch.Destroyed() && Source->MouseCapture())
      SetCaptureControl(nullptr);
    else if (GetCapture() == captureWindow)
      ReleaseCapture();
    if (started)
      Finish(drop && !ControlsState().DragCancelled);
    if (hasReplay)
      DispatchMessage(replay);
  }

  void Finish(bool drop)
  {
    TControl* dropTarget = drop ? Target : nullptr;
    TDestroyWatch targetWatch(Target);
    if (Target && !dropTarget) {
      bool ignored = false;
      TPoint lp = Target->ScreenToClient(Pos);
      Target->DragOver(SourceObject(), lp.X, lp.Y, dsDragLeave, ignored);
    }
    Object->FFinished = true;
    TPoint lp = Pos;
    if (dropTarget && !targetWatch.Destroyed()) {
      lp = dropTarget->ScreenToClient(Pos);
      dropTarget->DragDrop(SourceObject(), lp.X, lp.Y);
    }
    ControlsState().DragObject = nullptr;
    ControlsState().DragControl = nullptr;
    ::SetCursor(crArrow);
    if (!SourceWatch.Destroyed())
      Source->DoEndDrag(dropTarget && !targetWatch.Destroyed() ? dropTarget : nullptr, lp.X, lp.Y);
    if (OwnObject)
      delete Object;
  }
};

void TControl::BeginDrag(bool Immediate, Integer Threshold)
{
  if (ControlsState().DragControl)
    return;
  if (Threshold < 0)
    Threshold = Mouse()->DragThreshold();
  TDragLoop loop(this);
  loop.Run(Immediate, std::max<Integer>(Threshold, 1));
}

void CancelDrag()
{
  if (!ControlsState().DragControl)
    return;
  ControlsState().DragCancelled = true;
  PostMessage(0, WM_NULL, 0, 0); // wakes the loop
}

TDragObject* DragObject()
{
  return ControlsState().DragObject;
}
