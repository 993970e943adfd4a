// The splitter (TSplitter): a bar that sizes the control aligned beside it, dragged in one
// tracking loop. ExtCtrls.h describes it.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ExtCtrlsPrivate.h"

void extctrls::RegisterSplitterClasses()
{
  RegisterEnumType<TResizeStyle>("TResizeStyle", {"rsNone", "rsLine", "rsUpdate", "rsPattern"});
  RegisterEventType<TCanResizeSplitterEvent>("TSplitterCanResizeEvent");
  TClassRegistration<TSplitter, TGraphicControl>("TSplitter")
      .Property("AutoSnap", &TSplitter::AutoSnap, &TSplitter::SetAutoSnap)
      .Default(true)
      .Property("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled)
      .Default(false)
      .Property("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize)
      .Default(30)
      .Property("ResizeStyle", &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle)
      .Default(rsPattern)
      .Property("OnCanResize", &TSplitter::OnCanResize, &TSplitter::OnCanResize)
      .Property("OnMoved", &TSplitter::OnMoved, &TSplitter::OnMoved)
      .Property("OnPaint", &TSplitter::OnPaint, &TSplitter::OnPaint);
}

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FAlign = alLeft;
  FWidth = 3;
  FHeight = 100;
  FCursor = crHSplit;
}

TSplitter::~TSplitter()
{
  HideLine();
}

void TSplitter::Notification(TComponent* AComponent, TOperation Operation)
{
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FControl)
    FControl = nullptr;
}

// The cursor follows the side the splitter is aligned to.
void TSplitter::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (FCursor == crHSplit || FCursor == crVSplit)
    FCursor = Horizontal() ? crVSplit : crHSplit;
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TSplitter::SetBeveled(bool Value)
{
  if (Value == FBeveled)
    return;
  FBeveled = Value;
  Invalidate();
}

void TSplitter::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  if (FBeveled) {
    TRect edge = r;
    if (Horizontal())
      InflateRect(edge, 2, 0);
    else
      InflateRect(edge, 0, 2);
    DrawEdge(c, edge, EDGE_RAISED, BF_RECT);
  }
  OnPaint(this);
}

// The control whose edge touches the splitter on the side it is aligned to.
TControl* TSplitter::FindControl() const
{
  if (!FParent)
    return nullptr;
  TPoint p{FLeft, FTop};
  switch (FAlign) {
  case alLeft:
    --p.X;
    break;
  case alRight:
    p.X += FWidth;
    break;
  case alTop:
    --p.Y;
    break;
  case alBottom:
    p.Y += FHeight;
    break;
  default:
    return nullptr;
  }
  for (Integer i = 0; i < FParent->ControlCount(); ++i) {
    TControl* c = FParent->Controls(i);
    if (c == this || !c->Visible() || !c->Enabled())
      continue;
    TRect r = c->BoundsRect();
    bool leading = FAlign == alLeft || FAlign == alTop;
    if (r.Width() == 0)
      (leading ? r.Left : r.Right) += leading ? -1 : 1;
    if (r.Height() == 0)
      (leading ? r.Top : r.Bottom) += leading ? -1 : 1;
    if (PtInRect(r, p))
      return c;
  }
  return nullptr;
}

bool TSplitter::CanResize(Integer& NewSize)
{
  bool accept = true;
  OnCanResize(this, NewSize, accept);
  return accept;
}

Integer TSplitter::NewSizeFor(Integer Offset) const
{
  Integer size = 0;
  switch (FAlign) {
  case alLeft:
  case alTop:
    size = FStartSize + Offset;
    break;
  default:
    size = FStartSize - Offset;
    break;
  }
  return std::clamp(size, std::min(FMinSize, FMaxSize), FMaxSize);
}

// Where the splitter would stand with the control at Size, in parent client coordinates.
void TSplitter::ShowLine(Integer Size)
{
  if (!FParent || !FControl || FResizeStyle == rsNone || FResizeStyle == rsUpdate)
    return;
  TRect bar = BoundsRect();
  Integer delta = Size - FStartSize;
  switch (FAlign) {
  case alLeft:
    OffsetRect(bar, delta, 0);
    break;
  case alRight:
    OffsetRect(bar, -delta, 0);
    break;
  case alTop:
    OffsetRect(bar, 0, delta);
    break;
  default:
    OffsetRect(bar, 0, -delta);
    break;
  }
  TPoint origin = FParent->ClientToScreen({bar.Left, bar.Top});
  if (FResizeStyle == rsLine) {
    if (Horizontal())
      bar.Bottom = bar.Top + 1;
    else
      bar.Right = bar.Left + 1;
  }
  TRect screen = Bounds(origin.X, origin.Y, bar.Width(), bar.Height());
  if (!FLine) {
    FLine = CreateOverlay(screen, omXor);
    TCanvas* c = OverlayCanvas(FLine);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, screen.Width(), screen.Height()));
    OverlayChanged(FLine);
    return;
  }
  MoveOverlay(FLine, screen.TopLeft());
}

void TSplitter::HideLine()
{
  if (FLine) {
    DestroyOverlay(FLine);
    FLine = 0;
  }
}

void TSplitter::ApplySize(Integer Size)
{
  if (!FControl || !FParent)
    return;
  switch (FAlign) {
  case alLeft:
    FControl->SetWidth(Size);
    break;
  case alTop:
    FControl->SetHeight(Size);
    break;
  case alRight:
    FParent->DisableAlign();
    FControl->SetBounds(FControl->Left() + FControl->Width() - Size, FControl->Top(), Size,
                        FControl->Height());
    FParent->EnableAlign();
    break;
  case alBottom:
    FParent->DisableAlign();
    FControl->SetBounds(FControl->Left(), FControl->Top() + FControl->Height() - Size,
                        FControl->Width(), Size);
    FParent->EnableAlign();
    break;
  default:
    break;
  }
}

void TSplitter::StopSizing()
{
  FSizing = false;
  HideLine();
}

// The drag: the control may take what the other controls aligned the same way and MinSize
// for the rest leave; Esc gives up. The size lands when the button is released.
void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft || !FParent || !FParent->HandleAllocated())
    return;
  TControl* control = FindControl();
  ReplaceComponentReference(this, control, FControl);
  if (!FControl)
    return;
  bool horizontal = Horizontal();
  FStartSize = horizontal ? FControl->Height() : FControl->Width();
  FMaxSize = (horizontal ? FParent->ClientHeight() : FParent->ClientWidth()) - FMinSize;
  for (Integer i = 0; i < FParent->ControlCount(); ++i) {
    TControl* c = FParent->Controls(i);
    // The splitter itself takes its room too.
    if (!c->Visible() || c == FControl)
      continue;
    bool sameAxis = horizontal ? (c->Align() == alTop || c->Align() == alBottom)
                               : (c->Align() == alLeft || c->Align() == alRight);
    if (sameAxis)
      FMaxSize -= horizontal ? c->Height() : c->Width();
  }
  FMaxSize = std::max(FMaxSize, 0);
  FDownPos = ClientToScreen({X, Y});
  FNewSize = FStartSize;
  FSizing = true;
  ShowLine(FNewSize);
  HWND h = FParent->Handle();
  bool released = false, cancelled = false;
  TTrackLoop loop;
  loop.CaptureWindow = h;
  loop.FilterCode = MSGF_USER;
  loop.Name = "the splitter";
  loop.Running = [&] { return !released && !cancelled && !watch.Destroyed(); };
  // The splitter's own mouse handling follows the pointer (it has the capture).
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
      cancelled = true;
      return trHandled;
    }
    if (m.message == WM_LBUTTONUP)
      released = true;
    return IsMouseMessage(m.message) || m.message == WM_TIMER || m.message == WM_PAINT ? trPass
                                                                                       : trHandled;
  };
  SetCaptureControl(this);
  TTrackEnd how = TrackModal(loop);
  if (watch.Destroyed())
    return;
  StopSizing();
  if (cancelled || how != teEnded) {
    if (FResizeStyle == rsUpdate)
      ApplySize(FStartSize);
    return;
  }
  Integer size = FNewSize;
  if (size == FStartSize)
    return;
  if (!CanResize(size) || watch.Destroyed())
    return;
  if (FAutoSnap && size <= FMinSize)
    size = 0;
  ApplySize(size);
  FParent->Update();
  OnMoved(this);
}

void TSplitter::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_MOUSEMOVE && FSizing && FControl) {
    TPoint p = ClientToScreen(MessagePoint(Message));
    Integer offset = Horizontal() ? p.Y - FDownPos.Y : p.X - FDownPos.X;
    Integer size = NewSizeFor(offset);
    if (size != FNewSize) {
      FNewSize = size;
      if (FResizeStyle == rsUpdate)
        ApplySize(size);
      else
        ShowLine(size);
    }
  }
  TGraphicControl::Dispatch(Message);
}
