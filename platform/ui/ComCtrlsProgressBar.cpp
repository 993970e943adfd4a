// The progress bar (TProgressBar). ComCtrls.h describes it.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"

void comctrls::RegisterProgressBarClasses()
{
  RegisterEnumType<TProgressBarOrientation>("TProgressBarOrientation",
                                            {"pbHorizontal", "pbVertical"});
  TClassRegistration<TProgressBar, TWinControl>("TProgressBar")
      .Property("Max", &TProgressBar::Max, &TProgressBar::SetMax)
      .Default(100)
      .Property("Min", &TProgressBar::Min, &TProgressBar::SetMin)
      .Default(0)
      .Property("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation)
      .Default(pbHorizontal)
      .Property("Position", &TProgressBar::Position, &TProgressBar::SetPosition)
      .Default(0)
      .Property("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth)
      .Default(false)
      .Property("Step", &TProgressBar::Step, &TProgressBar::SetStep)
      .Default(10);
}

TProgressBar::TProgressBar(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  FWidth = 150;
  FHeight = 16;
  FColor = clBtnFace;
  FParentColor = false;
}

void TProgressBar::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TProgressBar::SetMin(Integer Value)
{
  if (Value == FMin)
    return;
  FMin = Value;
  FMax = std::max(FMax, FMin);
  FPosition = std::clamp(FPosition, FMin, FMax);
  Invalidate();
}

void TProgressBar::SetMax(Integer Value)
{
  if (Value == FMax)
    return;
  FMax = Value;
  FMin = std::min(FMin, FMax);
  FPosition = std::clamp(FPosition, FMin, FMax);
  Invalidate();
}

void TProgressBar::SetPosition(Integer Value)
{
  Value = std::clamp(Value, FMin, FMax);
  if (Value == FPosition)
    return;
  FPosition = Value;
  Invalidate();
}

void TProgressBar::StepBy(Integer Delta)
{
  Integer next = FPosition + Delta;
  if (next > FMax)
    next = FMin + (next - FMax) % std::max(FMax - FMin, 1);
  SetPosition(next);
}

void TProgressBar::StepIt()
{
  StepBy(FStep);
}

void TProgressBar::SetSmooth(bool Value)
{
  if (Value == FSmooth)
    return;
  FSmooth = Value;
  Invalidate();
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value)
{
  if (Value == FOrientation)
    return;
  FOrientation = Value;
  Invalidate();
}

void TProgressBar::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case PBM_SETPOS: {
    Integer old = FPosition;
    SetPosition(static_cast<Integer>(Message.WParam));
    Message.Result = old;
    return;
  }
  case PBM_GETPOS:
    Message.Result = FPosition;
    return;
  case PBM_DELTAPOS: {
    Integer old = FPosition;
    SetPosition(FPosition + static_cast<Integer>(Message.WParam));
    Message.Result = old;
    return;
  }
  case PBM_SETSTEP:
    Message.Result = FStep;
    FStep = static_cast<Integer>(Message.WParam);
    return;
  case PBM_STEPIT:
    Message.Result = FPosition;
    StepIt();
    return;
  case PBM_SETRANGE:
    Message.Result = MAKELPARAM(FMin, FMax);
    SetMin(LOWORD(Message.LParam));
    SetMax(HIWORD(Message.LParam));
    return;
  }
  TWinControl::Dispatch(Message);
}

// Blocks of two-thirds of the bar's thickness with a 2-pixel gap, as many as the position
// fills (a partly filled block is drawn whole); Smooth fills exactly.
void TProgressBar::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  InflateRect(r, -1, -1);
  bool vertical = FOrientation == pbVertical;
  Integer length = vertical ? r.Height() : r.Width();
  Integer span = std::max(FMax - FMin, 1);
  Integer filled = static_cast<Integer>(Int64(length) * (FPosition - FMin) / span);
  c->Brush()->SetColor(clHighlight);
  if (FSmooth) {
    c->FillRect(vertical ? Rect(r.Left, r.Bottom - filled, r.Right, r.Bottom)
                         : Rect(r.Left, r.Top, r.Left + filled, r.Bottom));
  } else {
    Integer block = std::max((vertical ? r.Width() : r.Height()) * 2 / 3, 2);
    for (Integer at = 0; at < filled; at += block + 2) {
      Integer end = std::min(at + block, length);
      c->FillRect(vertical ? Rect(r.Left, r.Bottom - end, r.Right, r.Bottom - at)
                           : Rect(r.Left + at, r.Top, r.Left + end, r.Bottom));
    }
  }
  BindCanvasToDC(*FCanvas, 0);
}
