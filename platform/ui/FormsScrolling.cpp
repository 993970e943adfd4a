// TControlScrollBar and TScrollingWinControl: a windowed control whose children scroll
// under its scroll bars, and TScrollBox, the plain one. Forms.h describes them.
#include <algorithm>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/FormsPrivate.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterScrollingClasses()
{
  RegisterEnumType<TScrollBarKind>("TScrollBarKind", {"sbHorizontal", "sbVertical"});
  TClassRegistration<TControlScrollBar, TPersistent>("TControlScrollBar")
      .Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement)
      .Default(8)
      .Property("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin)
      .Default(0)
      .Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition)
      .Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange)
      .Default(0)
      .Property("Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking)
      .Default(false)
      .Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible)
      .Default(true);
  TClassRegistration<TScrollingWinControl, TWinControl>("TScrollingWinControl")
      .Property("AutoScroll", &TScrollingWinControl::AutoScroll,
                &TScrollingWinControl::SetAutoScroll)
      .Default(true)
      .Property("HorzScrollBar", &TScrollingWinControl::HorzScrollBar)
      .Property("VertScrollBar", &TScrollingWinControl::VertScrollBar);
  TClass scrollBox = TClassRegistration<TScrollBox, TScrollingWinControl>("TScrollBox");
  RegisterClass(scrollBox);
}

// ---- TControlScrollBar -----------------------------------------------------------------------

Integer TControlScrollBar::ClientSize() const
{
  return FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
}

Integer TControlScrollBar::MaxPosition() const
{
  return std::max(FRange - ClientSize(), 0);
}

bool TControlScrollBar::IsScrollBarVisible() const
{
  return FVisible && FRange > ClientSize();
}

void TControlScrollBar::SetPosition(Integer Value)
{
  Value = std::clamp(Value, 0, MaxPosition());
  if (Value == FPosition)
    return;
  Integer delta = FPosition - Value;
  FPosition = Value;
  if (FKind == sbHorizontal)
    FControl->ScrollBy(delta, 0);
  else
    FControl->ScrollBy(0, delta);
  Update();
}

void TControlScrollBar::SetRange(Integer Value)
{
  FAutoRange = false;
  Value = std::max(Value, 0);
  if (Value == FRange)
    return;
  FRange = Value;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetMargin(Integer Value)
{
  FMargin = std::max(Value, 0);
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::Assign(TPersistent* Source)
{
  auto* other = dynamic_cast<TControlScrollBar*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  FIncrement = other->FIncrement;
  FTracking = other->FTracking;
  FMargin = other->FMargin;
  FVisible = other->FVisible;
  SetRange(other->FRange);
  SetPosition(other->FPosition);
}

// Puts range, page and position into the window's scroll bar.
void TControlScrollBar::Update()
{
  if (!FControl->HandleAllocated())
    return;
  Integer bar = FKind == sbHorizontal ? SB_HORZ : SB_VERT;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = FVisible ? std::max(FRange - 1, 0) : 0;
  si.nPage = FVisible ? static_cast<UINT>(ClientSize() + 1) : 0;
  si.nPos = FPosition;
  if (FVisible && FRange > ClientSize())
    si.nPage = static_cast<UINT>(ClientSize());
  SetScrollInfo(FControl->Handle(), bar, si, true);
}

void TControlScrollBar::ScrollMessage(TMessage& Message)
{
  Integer page = std::max(ClientSize() * 9 / 10, 1);
  Integer pos = FPosition;
  switch (LOWORD(static_cast<NativeInt>(Message.WParam))) {
  case SB_LINEUP:
    pos -= FIncrement;
    break;
  case SB_LINEDOWN:
    pos += FIncrement;
    break;
  case SB_PAGEUP:
    pos -= page;
    break;
  case SB_PAGEDOWN:
    pos += page;
    break;
  case SB_THUMBPOSITION:
    pos = HIWORD(static_cast<NativeInt>(Message.WParam));
    break;
  case SB_THUMBTRACK:
    if (FTracking)
      pos = HIWORD(static_cast<NativeInt>(Message.WParam));
    break;
  case SB_TOP:
    pos = 0;
    break;
  case SB_BOTTOM:
    pos = MaxPosition();
    break;
  default:
    return;
  }
  SetPosition(pos);
}

// ---- TScrollingWinControl ----------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FHorzScrollBar = std::make_unique<TControlScrollBar>(this, sbHorizontal);
  FVertScrollBar = std::make_unique<TControlScrollBar>(this, sbVertical);
  FControlStyle.Include(csAcceptsControls);
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TScrollingWinControl::CreateWnd()
{
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollingWinControl::SetAutoScroll(bool Value)
{
  if (Value == FAutoScroll)
    return;
  FAutoScroll = Value;
  if (!Value) {
    FHorzScrollBar->SetRange(0);
    FVertScrollBar->SetRange(0);
  }
  UpdateScrollBars();
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY)
{
  if (DeltaX == 0 && DeltaY == 0)
    return;
  DisableAlign();
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->FAnchoring = true; // scrolling moves the view, not the anchored layout
    c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    c->FAnchoring = false;
  }
  --FAlignLevel;
  Invalidate();
}

void TScrollingWinControl::UpdateScrollBars()
{
  if (FUpdatingBars)
    return;
  FUpdatingBars = true;
  if (FAutoScroll) {
    // The extent of the children in unscrolled coordinates.
    Integer right = 0, bottom = 0;
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (!c->Visible() || c->Align() != alNone)
        continue;
      right = std::max(right, c->Left() + c->Width() + FHorzScrollBar->FPosition);
      bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar->FPosition);
    }
    FHorzScrollBar->FRange = right > 0 ? right + FHorzScrollBar->FMargin : 0;
    FVertScrollBar->FRange = bottom > 0 ? bottom + FVertScrollBar->FMargin : 0;
    FHorzScrollBar->FAutoRange = FVertScrollBar->FAutoRange = true;
  }
  // Showing one bar shrinks the client area, which may call for the other: two rounds.
  for (int round = 0; round < 2; ++round) {
    FHorzScrollBar->Update();
    FVertScrollBar->Update();
  }
  for (TControlScrollBar* bar : {FHorzScrollBar.get(), FVertScrollBar.get()})
    if (bar->FPosition > bar->MaxPosition())
      bar->SetPosition(bar->MaxPosition());
  FUpdatingBars = false;
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
  TWinControl::AlignControls(AControl, Rect);
  UpdateScrollBars();
}

void TScrollingWinControl::ScrollInView(TControl* AControl)
{
  if (!AControl || !ContainsControl(AControl))
    return;
  TPoint origin = ScreenToClient(AControl->ClientToScreen({0, 0}));
  TRect r = Bounds(origin.X, origin.Y, AControl->Width(), AControl->Height());
  if (r.Left < 0)
    FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + r.Left);
  else if (r.Right > ClientWidth())
    FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition +
                                std::min(r.Right - ClientWidth(), r.Left));
  if (r.Top < 0)
    FVertScrollBar->SetPosition(FVertScrollBar->FPosition + r.Top);
  else if (r.Bottom > ClientHeight())
    FVertScrollBar->SetPosition(FVertScrollBar->FPosition +
                                std::min(r.Bottom - ClientHeight(), r.Top));
}

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  TControlScrollBar* bar =
      FVertScrollBar->IsScrollBarVisible() ? FVertScrollBar.get() : FHorzScrollBar.get();
  if (!bar->IsScrollBarVisible())
    return false;
  Integer lines = Mouse()->WheelScrollLines() * WheelDelta / WHEEL_DELTA;
  bar->SetPosition(bar->Position() - lines * bar->Increment());
  return true;
}

void TScrollingWinControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_HSCROLL:
    WMHScroll(Message);
    break;
  case WM_VSCROLL:
    WMVScroll(Message);
    break;
  default:
    TWinControl::Dispatch(Message);
    break;
  }
}

void TScrollingWinControl::WMHScroll(TMessage& Message)
{
  if (Message.LParam == 0)
    FHorzScrollBar->ScrollMessage(Message);
  else
    WMScroll(Message);
}

void TScrollingWinControl::WMVScroll(TMessage& Message)
{
  if (Message.LParam == 0)
    FVertScrollBar->ScrollMessage(Message);
  else
    WMScroll(Message);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
  SetBounds(0, 0, 185, 41);
  SetTabStop(false);
}

void TScrollBox::CreateParams(TCreateParams& Params)
{
  TScrollingWinControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
    return;
  }
  TScrollingWinControl::Dispatch(Message);
}
