// Non-visual and simple extra components of the window layer: TTimer. Controls.h holds the
// control base; the timer runs on the window manager's timers (Windows.h).
#pragma once

#include "platform/ui/Controls.h"

// Fires OnTimer every Interval milliseconds while Enabled, as WM_TIMER messages of a
// hidden window (so it runs in every message loop, nested ones included). A handler may
// disable or delete the timer it is called from.
class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  // Assigning a handler (re)starts the timer, as the platform's timer does.
  void SetOnTimer(const TNotifyEvent& Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindow = 0;
};

void RegisterExtCtrlsClasses();
