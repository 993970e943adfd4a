// The up-down arrows (TCustomUpDown/TUpDown) and their associated control. ComCtrls.h
// describes them.
#include <algorithm>

#include "platform/rtl/NumFormat.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void comctrls::RegisterUpDownClasses()
{
  RegisterEnumType<TUDAlignButton>("TUDAlignButton", {"udLeft", "udRight"});
  RegisterEnumType<TUDOrientation>("TUDOrientation", {"udHorizontal", "udVertical"});
  RegisterEnumType<TUDBtnType>("TUDBtnType", {"btNext", "btPrev"});
  RegisterEventType<TUDClickEvent>("TUDClickEvent");
  RegisterEventType<TUDChangingEvent>("TUDChangingEvent");
  TClassRegistration<TCustomUpDown, TWinControl>("TCustomUpDown");
  TClassRegistration<TUpDown, TCustomUpDown>("TUpDown")
      .Property("AlignButton", &TUpDown::AlignButton, &TUpDown::SetAlignButton)
      .Default(udRight)
      .Property("ArrowKeys", &TUpDown::ArrowKeys, &TUpDown::SetArrowKeys)
      .Default(true)
      .Property("Associate", &TUpDown::Associate, &TUpDown::SetAssociate)
      .Property("Increment", &TUpDown::Increment, &TUpDown::SetIncrement)
      .Default(1)
      .Property("Max", &TUpDown::Max, &TUpDown::SetMax)
      .Default(100)
      .Property("Min", &TUpDown::Min, &TUpDown::SetMin)
      .Default(0)
      .Property("Orientation", &TUpDown::Orientation, &TUpDown::SetOrientation)
      .Default(udVertical)
      .Property("Position", &TUpDown::Position, &TUpDown::SetPosition)
      .Default(0)
      .Property("Thousands", &TUpDown::Thousands, &TUpDown::SetThousands)
      .Default(true)
      .Property("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap)
      .Default(false)
      .Property("OnChanging", &TUpDown::OnChanging, &TUpDown::OnChanging)
      .Property("OnClick", &TUpDown::OnClick, &TUpDown::OnClick);
}

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 400;
constexpr UINT kRepeatInterval = 100;

} // namespace

TCustomUpDown::TCustomUpDown(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
  FWidth = 17;
  FHeight = 25;
  FColor = clBtnFace;
  FParentColor = false;
}

TCustomUpDown::~TCustomUpDown()
{
  SetAssociate(nullptr);
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation)
{
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAssociate) {
    FAssociate = nullptr;
    FAssociateProc = nullptr;
  }
}

// The associate sits beside the arrows, shows the position and takes Up and Down as steps.
void TCustomUpDown::SetAssociate(TWinControl* Value)
{
  if (Value == FAssociate)
    return;
  if (FAssociate && FAssociateProc) {
    FAssociate->WindowProc = FAssociateProc;
    FAssociateProc = nullptr;
  }
  ReplaceComponentReference(this, Value, FAssociate);
  if (!FAssociate)
    return;
  FAssociateProc = FAssociate->WindowProc;
  FAssociate->WindowProc = TWndMethod::Bind(this, &TCustomUpDown::AssociateWndProc);
  PlaceBesideAssociate();
  UpdateAssociate();
}

void TCustomUpDown::PlaceBesideAssociate()
{
  if (!FAssociate || FAssociate->Parent() != FParent)
    return;
  TRect a = FAssociate->BoundsRect();
  Integer w = FWidth;
  if (FAlignButton == udRight) {
    FAssociate->SetBounds(a.Left, a.Top, std::max(a.Width() - w, 0), a.Height());
    SetBounds(a.Right - w, a.Top, w, a.Height());
  } else {
    FAssociate->SetBounds(a.Left + w, a.Top, std::max(a.Width() - w, 0), a.Height());
    SetBounds(a.Left, a.Top, w, a.Height());
  }
}

void TCustomUpDown::AssociateWndProc(TMessage& Message)
{
  if (Message.Msg == WM_KEYDOWN && FArrowKeys &&
      (Message.WParam == VK_UP || Message.WParam == VK_DOWN) && FEnabled) {
    Step(Message.WParam == VK_UP ? btNext : btPrev);
    Message.Result = 0;
    return;
  }
  FAssociateProc(Message);
}

void TCustomUpDown::UpdateAssociate()
{
  if (!FAssociate)
    return;
  AnsiString text = FThousands ? FormatFloat("#,##0", FPosition) : IntToStr(FPosition);
  FAssociate->SetText(text);
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value)
{
  if (Value == FAlignButton)
    return;
  FAlignButton = Value;
  PlaceBesideAssociate();
}

void TCustomUpDown::SetMin(Integer Value)
{
  if (Value == FMin)
    return;
  FMin = Value;
  SetPosition(FPosition);
}

void TCustomUpDown::SetMax(Integer Value)
{
  if (Value == FMax)
    return;
  FMax = Value;
  SetPosition(FPosition);
}

void TCustomUpDown::SetThousands(bool Value)
{
  if (Value == FThousands)
    return;
  FThousands = Value;
  UpdateAssociate();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value)
{
  if (Value == FOrientation)
    return;
  FOrientation = Value;
  Invalidate();
}

// A number the user typed into the associate counts, kept in range; other text is ignored.
Integer TCustomUpDown::Position()
{
  if (FAssociate) {
    AnsiString text = FAssociate->Text();
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());
    Integer value = 0;
    if (!text.empty() && TryStrToInt(text, value))
      FPosition = std::clamp(value, std::min(FMin, FMax), std::max(FMin, FMax));
  }
  return FPosition;
}

void TCustomUpDown::SetPosition(Integer Value)
{
  Value = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
  FPosition = Value;
  UpdateAssociate();
}

bool TCustomUpDown::CanChange()
{
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

// Next goes towards Max, Prev towards Min; at the end the position stays there, or with Wrap
// starts over at the other end.
void TCustomUpDown::Step(TUDBtnType Button)
{
  Integer current = Position();
  Integer lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
  Integer delta = (Button == btNext) == (FMin <= FMax) ? FIncrement : -FIncrement;
  Integer next = current + delta;
  if (next > hi)
    next = FWrap && current == hi ? lo : hi;
  else if (next < lo)
    next = FWrap && current == lo ? hi : lo;
  TDestroyWatch watch(this);
  if (!CanChange() || watch.Destroyed())
    return;
  FPosition = next;
  UpdateAssociate();
  OnClick(this, Button);
}

TUDBtnType TCustomUpDown::ButtonAt(Integer X, Integer Y) const
{
  if (FOrientation == udVertical)
    return Y < FHeight / 2 ? btNext : btPrev;
  return X >= FWidth / 2 ? btNext : btPrev;
}

// An arrow held down steps again after a pause and then steadily (WM_TIMER), while the
// pointer stays on it; the loop ends with the release.
void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TWinControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !FEnabled || !HandleAllocated())
    return;
  TUDBtnType held = ButtonAt(X, Y);
  FHeld = held;
  FPressed = held;
  Invalidate();
  TDestroyWatch watch(this);
  Step(held);
  if (watch.Destroyed())
    return;
  HWND h = FHandle;
  SetTimer(h, kRepeatTimer, kRepeatDelay);
  struct TStop {
    TCustomUpDown* Self;
    TDestroyWatch& Watch;
    HWND Window;
    ~TStop()
    {
      KillTimer(Window, kRepeatTimer);
      if (!Watch.Destroyed()) {
        Self->FHeld = -1;
        Self->FPressed = -1;
        Self->Invalidate();
      }
    }
  } stop{this, watch, h};
  TTrackLoop loop;
  loop.CaptureWindow = h;
  loop.FilterCode = MSGF_USER;
  loop.Name = "the up-down arrows";
  // The arrows' own handling follows the pointer and the ticks (WM_MOUSEMOVE and WM_TIMER
  // while an arrow is held).
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    return m.message == WM_LBUTTONUP ? trEnd : trPass;
  };
  TrackModal(loop);
}

void TCustomUpDown::WMTimer(TMessage& Message)
{
  if (Message.WParam != kRepeatTimer || FHeld < 0)
    return;
  SetTimer(FHandle, kRepeatTimer, kRepeatInterval);
  if (FPressed == FHeld)
    Step(static_cast<TUDBtnType>(FHeld));
}

void TCustomUpDown::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  TRect r = ClientRect();
  bool vertical = FOrientation == udVertical;
  TRect next = vertical ? Rect(r.Left, r.Top, r.Right, r.Top + r.Height() / 2)
                        : Rect(r.Left + r.Width() / 2, r.Top, r.Right, r.Bottom);
  TRect prev = vertical ? Rect(r.Left, next.Bottom, r.Right, r.Bottom)
                        : Rect(r.Left, r.Top, next.Left, r.Bottom);
  auto state = [&](TUDBtnType b) {
    TPaintState s;
    if (FPressed == b)
      s.Include(psPushed);
    if (!FEnabled)
      s.Include(psDisabled);
    return s;
  };
  PaintArrowButton(c, next, vertical ? adUp : adRight, state(btNext));
  PaintArrowButton(c, prev, vertical ? adDown : adLeft, state(btPrev));
  BindCanvasToDC(*FCanvas, 0);
}

void TCustomUpDown::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case UDM_SETRANGE:
    FMax = static_cast<SmallInt>(LOWORD(Message.LParam));
    FMin = static_cast<SmallInt>(HIWORD(Message.LParam));
    SetPosition(FPosition);
    return;
  case UDM_GETRANGE:
    Message.Result = MAKELPARAM(FMax, FMin);
    return;
  case UDM_SETPOS: {
    Integer old = FPosition;
    SetPosition(static_cast<SmallInt>(LOWORD(Message.LParam)));
    Message.Result = old;
    return;
  }
  case UDM_GETPOS:
    Message.Result = Position();
    return;
  case UDM_SETBUDDY: {
    TWinControl* old = FAssociate;
    SetAssociate(FindControl(static_cast<HWND>(Message.WParam)));
    Message.Result = old && old->HandleAllocated() ? static_cast<LRESULT>(old->Handle()) : 0;
    return;
  }
  case UDM_GETBUDDY:
    Message.Result = FAssociate && FAssociate->HandleAllocated()
                         ? static_cast<LRESULT>(FAssociate->Handle())
                         : 0;
    return;
  case WM_TIMER:
    WMTimer(Message);
    return;
  case WM_MOUSEMOVE:
    if (FHeld >= 0) {
      TPoint p = MessagePoint(Message);
      bool over = PtInRect(ClientRect(), p) && ButtonAt(p.X, p.Y) == FHeld;
      Integer look = over ? FHeld : -1;
      if (look != FPressed) {
        FPressed = look;
        Invalidate();
      }
    }
    break;
  case CM_ENABLEDCHANGED:
    Invalidate();
    break;
  }
  TWinControl::Dispatch(Message);
}
