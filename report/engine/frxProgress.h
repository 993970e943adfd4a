// The progress window of old-style progress and of the print and export walks: a borderless
// window centred on the screen with a message, a bar and a Cancel button. It can be dragged
// by its body. While it shows, the form that was active is disabled.
#pragma once

#include "platform/ui/Forms.h"

class TButton;
class TLabel;
class TPanel;
class TProgressBar;

class TfrxProgress : public TForm {
public:
  explicit TfrxProgress(TComponent* AOwner);
  ~TfrxProgress() override;

  // Shows the window: Terminated false, Cancel and the bar shown as asked, position 0 of
  // Max, the message.
  void Start(Integer Max, const AnsiString& AMessage, bool ShowBar, bool ShowCancel);
  void Reset() { SetPosition(0); }
  void Advance() { SetPosition(Position() + 1); }

  Integer Position() const;
  // Moves the bar, brings the window to the front and processes pending messages.
  void SetPosition(Integer Value);
  Integer Max() const;
  const AnsiString& Message() const { return FMessage; }
  // Shows the text at once.
  void SetMessage(const AnsiString& Value);
  bool ShowProgressBar() const { return FShowProgressBar; }
  // The message moves up (top 15) above the bar, or down (top 35) without it.
  void SetShowProgressBar(bool Value);
  bool Terminated() const { return FTerminated; }
  // True also closes the window; Cancel sets it.
  void SetTerminated(bool Value);

  TPanel* Panel;
  TLabel* LMessage;
  TProgressBar* Bar;
  TButton* CancelB;

  // Gives the form that was active its input back before the window goes, so that the
  // activation returns to that form.
  void BeforeDestruction() override;

protected:
  // Gives the form that was active its input back.
  void DoHide() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMNCHitTest(TMessage& Message) override;

private:
  void CancelBClick(TObject* Sender);
  void EnableActiveForm();

  AnsiString FMessage;
  bool FShowProgressBar = true;
  bool FTerminated = false;
  TCustomForm* FActiveForm = nullptr;
  bool FActiveFormDisabled = false;
};

// The class record of the window (the frxProgress unit's start-up).
void RegisterProgressForm();
