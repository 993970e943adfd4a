// Dragging: the drag object, the drag loop that follows the pointer and asks the controls
// under it, drop and cancel. Controls.h describes the interface.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/rtl/ScopeGuard.h"
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
// so a press without a drag stays a click. It starts where the press being handled was.
struct TDragLoop {
  TControl* Source;
  TDestroyWatch SourceWatch;
  TDragObject* Object = nullptr;
  bool OwnObject = false;
  TControl* Target = nullptr;
  std::unique_ptr<TDestroyWatch> TargetWatch; // a target may go away while dragged over
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

  TControl* LiveTarget() const
  {
    return TargetWatch && !TargetWatch->Destroyed() ? Target : nullptr;
  }

  void SetTarget(TControl* t)
  {
    Target = t;
    TargetWatch = t ? std::make_unique<TDestroyWatch>(t) : nullptr;
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
    if (t != LiveTarget()) {
      if (TControl* old = LiveTarget()) {
        bool ignored = false;
        TPoint lp = old->ScreenToClient(p);
        old->DragOver(SourceObject(), lp.X, lp.Y, dsDragLeave, ignored);
      }
      SetTarget(t);
      state = dsDragEnter;
    }
    Accepted = false;
    if (TControl* target = LiveTarget()) {
      TPoint lp = target->ScreenToClient(p);
      Accepted = static_cast<bool>(target->OnDragOver);
      target->DragOver(SourceObject(), lp.X, lp.Y, state, Accepted);
    }
    Object->FDragTarget = LiveTarget();
    Object->FDragPos = p;
    ::SetCursor(Object->GetDragCursor(Accepted, p.X, p.Y));
  }

  // The drag is over: the state goes, the cursor comes back (nothing here calls out).
  void Forget()
  {
    if (ControlsState().DragControl == Source || ControlsState().DragObject == Object) {
      ControlsState().DragObject = nullptr;
      ControlsState().DragControl = nullptr;
      ::SetCursor(crArrow);
    }
  }

  void Run(bool immediate, Integer threshold)
  {
    const TPoint start = GetMessagePos();
    Pos = start;
    SetCaptureControl(Source);
    const HWND captureWindow = GetCapture();
    ControlsState().DragCancelled = false;
    TScopeExit cleanup([this] {
      Forget();
      if (OwnObject || (Object && Object->FreedAfterDrag()))
        delete Object;
    });
    bool started = false;
    if (immediate) {
      Start();
      started = true;
      Over(start);
    }
    if (!captureWindow)
      return;
    bool drop = false;
    MSG replay;
    bool hasReplay = false;
    TTrackLoop loop;
    loop.CaptureWindow = captureWindow;
    loop.Name = "the drag loop";
    loop.Running = [this] { return !ControlsState().DragCancelled && !SourceWatch.Destroyed(); };
    loop.OnMessage = [&](MSG& m) {
      switch (m.message) {
      case WM_MOUSEMOVE:
        if (!started) {
          if (std::abs(m.pt.X - start.X) < threshold && std::abs(m.pt.Y - start.Y) < threshold)
            return trHandled;
          Start();
          started = true;
        }
        Over(m.pt);
        return trHandled;
      case WM_LBUTTONUP:
        if (!started) {
          replay = m;
          hasReplay = true;
        } else {
          Over(m.pt);
          drop = Accepted;
        }
        return trEnd;
      case WM_KEYDOWN:
        return m.wParam == VK_ESCAPE ? trEnd : trPass;
      }
      return IsMouseMessage(m.message) ? trHandled : trPass;
    };
    TrackModal(loop);
    if (!SourceWatch.Destroyed() && Source->MouseCapture())
      SetCaptureControl(nullptr);
    if (started)
      Finish(drop && !ControlsState().DragCancelled);
    if (hasReplay)
      DispatchMessage(replay);
  }

  void Finish(bool drop)
  {
    TControl* target = LiveTarget();
    TControl* dropTarget = drop ? target : nullptr;
    if (target && !dropTarget) {
      bool ignored = false;
      TPoint lp = target->ScreenToClient(Pos);
      target->DragOver(SourceObject(), lp.X, lp.Y, dsDragLeave, ignored);
    }
    Object->FFinished = true;
    TPoint lp = Pos;
    if (dropTarget && LiveTarget()) {
      lp = dropTarget->ScreenToClient(Pos);
      dropTarget->DragDrop(SourceObject(), lp.X, lp.Y);
    }
    Forget();
    if (!SourceWatch.Destroyed())
      Source->DoEndDrag(dropTarget && LiveTarget() ? dropTarget : nullptr, lp.X, lp.Y);
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
