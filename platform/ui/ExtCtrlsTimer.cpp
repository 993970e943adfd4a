// The timer (TTimer): WM_TIMER messages of a hidden window call OnTimer. ExtCtrls.h
// describes it.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ExtCtrlsPrivate.h"

void extctrls::RegisterTimerClasses()
{
  TClassRegistration<TTimer, TComponent>("TTimer");
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
  FWindow = AllocateHWnd(TWndMethod::Bind(this, &TTimer::WndProc));
}

TTimer::~TTimer()
{
  FEnabled = false;
  UpdateTimer();
  DeallocateHWnd(FWindow);
}

void TTimer::UpdateTimer()
{
  KillTimer(FWindow, 1);
  if (FEnabled && FInterval != 0 && FOnTimer)
    SetTimer(FWindow, 1, FInterval);
}

void TTimer::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value)
{
  if (Value == FInterval)
    return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& Value)
{
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Timer()
{
  // The handler may free the timer: nothing is touched after it.
  if (FEnabled && FOnTimer) {
    TNotifyEvent handler = FOnTimer;
    handler(this);
  }
}

void TTimer::WndProc(TMessage& Message)
{
  if (Message.Msg != WM_TIMER) {
    Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  Timer();
}
