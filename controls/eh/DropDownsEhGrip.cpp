// The size grip of drop-down windows and the placement of drop-downs (see DropDownsEh.h).
#include "controls/eh/DropDownsEh.h"
#include "platform/graphics/Region.h"

namespace {

TRect WorkAreaNear(const TRect& R)
{
  MONITORINFO info;
  HMONITOR monitor =
      MonitorFromPoint({(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}, MONITOR_DEFAULTTONEAREST);
  if (!GetMonitorInfo(monitor, info))
    SystemParametersInfo(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  return info.rcWork;
}

void SendGripMove(TWinControl* DropDown, TGripMoveEh Move)
{
  DropDown->Perform(CM_GRIPMOVEEH, static_cast<WPARAM>(Move), 0);
}

} // namespace

TPoint FitDropDownToScreen(const TRect& Owner, TWinControl* DropDown, Integer Align)
{
  TRect work = WorkAreaNear(Owner);
  Integer h = DropDown->Height();
  bool fitsBelow = Owner.Bottom + h <= work.Bottom;
  bool fitsAbove = Owner.Top - h >= work.Top;
  bool above = !fitsBelow && (fitsAbove || Owner.Top - work.Top > work.Bottom - Owner.Bottom);
  TPoint pos;
  if (above) {
    if (!fitsAbove)
      DropDown->SetHeight(Owner.Top - work.Top);
    pos.Y = Owner.Top - DropDown->Height();
    SendGripMove(DropDown, gmToTop);
  } else {
    if (!fitsBelow)
      DropDown->SetHeight(work.Bottom - Owner.Bottom);
    pos.Y = Owner.Bottom;
    SendGripMove(DropDown, gmToBottom);
  }
  if (DropDown->Width() > work.Width())
    DropDown->SetWidth(work.Width());
  Integer w = DropDown->Width();
  if (Align == 1)
    pos.X = Owner.Right - w;
  else if (Align == 2)
    pos.X = Owner.Left - (w - Owner.Width()) / 2;
  else
    pos.X = Owner.Left;
  TGripMoveEh horizontal = Align == 1 ? gmToLeft : gmToRight;
  if (pos.X + w > work.Right) {
    pos.X = work.Right - w;
    horizontal = gmToLeft;
  } else if (pos.X < work.Left) {
    pos.X = work.Left;
    horizontal = gmToRight;
  }
  SendGripMove(DropDown, horizontal);
  return pos;
}

TPoint FitDropDownToControl(TControl* Owner, TWinControl* DropDown, Integer Align)
{
  TRect r = Owner->BoundsRect();
  if (Owner->Parent()) {
    TPoint topLeft = Owner->Parent()->ClientToScreen({r.Left, r.Top});
    r = Bounds(topLeft.X, topLeft.Y, r.Width(), r.Height());
  }
  return FitDropDownToScreen(r, DropDown, Align);
}

// ---- TSizeGripEh ----

TSizeGripEh::TSizeGripEh(TComponent* AOwner) : TCustomControl(AOwner)
{
  FWidth = GetSystemMetrics(SM_CXVSCROLL);
  FHeight = GetSystemMetrics(SM_CYVSCROLL);
  FColor = clBtnFace;
  FParentColor = false;
  FControlStyle = TControlStyle{csCaptureMouse, csReplicatable};
  FCursor = crSizeNWSE;
}

void TSizeGripEh::CreateWnd()
{
  TCustomControl::CreateWnd();
  UpdateShape();
}

void TSizeGripEh::SetCorner(TGripCornerEh Value)
{
  if (Value == FCorner)
    return;
  FCorner = Value;
  if (HandleAllocated())
    RecreateWnd();
  UpdateShape();
}

void TSizeGripEh::SetTriangle(bool Value)
{
  if (Value == FTriangle)
    return;
  FTriangle = Value;
  UpdateShape();
  Invalidate();
}

void TSizeGripEh::MoveTo(TGripMoveEh Move)
{
  TGripCornerEh c = FCorner;
  switch (Move) {
  case gmToLeft:
    c = c == gcTopRight ? gcTopLeft : c == gcBottomRight ? gcBottomLeft : c;
    break;
  case gmToRight:
    c = c == gcTopLeft ? gcTopRight : c == gcBottomLeft ? gcBottomRight : c;
    break;
  case gmToTop:
    c = c == gcBottomRight ? gcTopRight : c == gcBottomLeft ? gcTopLeft : c;
    break;
  case gmToBottom:
    c = c == gcTopRight ? gcBottomRight : c == gcTopLeft ? gcBottomLeft : c;
    break;
  }
  SetCorner(c);
}

// The window's shape (a triangle filling the outer corner), position and cursor.
void TSizeGripEh::UpdateShape()
{
  SetCursor(FCorner == gcTopLeft || FCorner == gcBottomRight ? crSizeNWSE : crSizeNESW);
  SnapToCorner();
  if (!HandleAllocated())
    return;
  if (!FTriangle) {
    SetWindowRgn(FHandle, nullptr, true);
    return;
  }
  Integer w = FWidth, h = FHeight;
  TPoint p[3];
  switch (FCorner) {
  case gcBottomRight:
    p[0] = {0, h}, p[1] = {w, h}, p[2] = {w, 0};
    break;
  case gcBottomLeft:
    p[0] = {w, h}, p[1] = {0, h}, p[2] = {0, 0};
    break;
  case gcTopLeft:
    p[0] = {w - 1, 0}, p[1] = {0, 0}, p[2] = {0, h - 1};
    break;
  case gcTopRight:
    p[0] = {w, h - 1}, p[1] = {w, 0}, p[2] = {1, 0};
    break;
  }
  TRegion region = TRegion::Polygon(p, 3);
  SetWindowRgn(FHandle, &region, true);
}

void TSizeGripEh::SnapToCorner()
{
  if (!FParent)
    return;
  TRect client = FParent->ClientRect();
  TPoint pos;
  switch (FCorner) {
  case gcTopLeft:
    pos = {0, 0};
    break;
  case gcTopRight:
    pos = {client.Width() - FWidth, 0};
    break;
  case gcBottomRight:
    pos = {client.Width() - FWidth, client.Height() - FHeight};
    break;
  case gcBottomLeft:
    pos = {0, client.Height() - FHeight};
    break;
  }
  if (pos.X == FLeft && pos.Y == FTop)
    return;
  FInternalMove = true;
  SetBounds(pos.X, pos.Y, FWidth, FHeight);
  FInternalMove = false;
}

void TSizeGripEh::SetGripVisible(bool Value)
{
  SetVisible(Value);
  if (HandleAllocated())
    ShowWindow(FHandle, Value ? SW_SHOWNA : SW_HIDE);
}

void TSizeGripEh::WMWindowPosChanged(TMessage& Message)
{
  TCustomControl::WMWindowPosChanged(Message);
  // A move from outside snaps the grip back to its corner.
  if (!FInternalMove)
    SnapToCorner();
}

void TSizeGripEh::Paint()
{
  TCanvas* c = Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(ClientRect());
  Integer w = FWidth, h = FHeight;
  // Stripes parallel to the corner's diagonal, in groups of four every 4 pixels: light,
  // two shadows, face; each one pixel nearer the corner.
  static const TColor colors[4] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
  for (Integer d = 1; d < w; ++d) {
    c->Pen()->SetColor(colors[(d - 1) % 4]);
    Integer k = w - d; // distance from the corner along the edges
    switch (FCorner) {
    case gcBottomRight:
      c->MoveTo(w - k, h);
      c->LineTo(w, h - k - 1);
      break;
    case gcBottomLeft:
      c->MoveTo(k - 1, h);
      c->LineTo(-1, h - k - 1);
      break;
    case gcTopLeft:
      c->MoveTo(k - 1, -1);
      c->LineTo(-1, k - 1);
      break;
    case gcTopRight:
      c->MoveTo(w - k, -1);
      c->LineTo(w, k);
      break;
    }
  }
}

void TSizeGripEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !FParent)
    return;
  FDragging = true;
  FStartMouse = ClientToScreen({X, Y});
  FLastMouse = FStartMouse;
  FStartClient = {FParent->ClientWidth(), FParent->ClientHeight()};
  FStartSize = {FParent->Width(), FParent->Height()};
  FStartBounds = FParent->BoundsRect();
}

void TSizeGripEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FDragging || FInternalMove || !FParent || !Shift.Contains(ssLeft))
    return;
  TPoint mouse = ClientToScreen({X, Y});
  if (mouse == FLastMouse)
    return;
  FLastMouse = mouse;
  TRect work;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  TRect b = FStartBounds; // the parent's bounds (screen coordinates for a drop-down)
  Integer frameW = FStartSize.cx - FStartClient.cx, frameH = FStartSize.cy - FStartClient.cy;
  if (RightSide()) {
    Integer width = FStartClient.cx + (mouse.X - FStartMouse.X) + frameW;
    b.Right = std::min(b.Left + width, work.Right);
  } else {
    Integer width = FStartSize.cx + (FStartMouse.X - mouse.X);
    b.Left = std::max(b.Right - width, work.Left);
  }
  if (BottomSide()) {
    Integer height = FStartClient.cy + (mouse.Y - FStartMouse.Y) + frameH;
    b.Bottom = std::min(b.Top + height, work.Bottom);
  } else {
    Integer height = FStartSize.cy + (FStartMouse.Y - mouse.Y);
    b.Top = std::max(b.Bottom - height, work.Top);
  }
  TSize oldClient{FParent->ClientWidth(), FParent->ClientHeight()};
  FParent->SetBounds(b.Left, b.Top, b.Width(), b.Height());
  // A parent that snaps its size (whole rows) keeps the edge opposite the grip in place.
  if (!RightSide() && FParent->BoundsRect().Right != FStartBounds.Right)
    FParent->SetLeft(FStartBounds.Right - FParent->Width());
  if (!BottomSide() && FParent->BoundsRect().Bottom != FStartBounds.Bottom)
    FParent->SetTop(FStartBounds.Bottom - FParent->Height());
  if (oldClient != TSize{FParent->ClientWidth(), FParent->ClientHeight()} && OnParentSizeChanged)
    OnParentSizeChanged(this);
  SnapToCorner();
}

void TSizeGripEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft)
    FDragging = false;
}
