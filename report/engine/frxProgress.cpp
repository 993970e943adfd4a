// The progress window; see frxProgress.h.
#include "report/engine/frxProgress.h"

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxRes.h"

void RegisterProgressForm()
{
  TClassRegistration<TfrxProgress, TForm>("TfrxProgress");
}

TfrxProgress::TfrxProgress(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetBorderStyle(bsNone);
  TForm::SetPosition(poScreenCenter); // the window's place; SetPosition below is the bar's
  SetClientWidth(271);
  SetClientHeight(101);
  Panel = new TPanel(this);
  Panel->SetName("Panel");
  Panel->SetAlign(alClient);
  Panel->SetBevelWidth(2);
  Panel->SetCaption("");
  Panel->SetParent(this);
  LMessage = new TLabel(this);
  LMessage->SetName("LMessage");
  LMessage->SetBounds(16, 11, 237, 20);
  LMessage->SetAlignment(taCenter);
  LMessage->SetAutoSize(false);
  LMessage->Font()->SetName("Tahoma");
  LMessage->SetParentFont(false);
  LMessage->SetParent(Panel);
  Bar = new TProgressBar(this);
  Bar->SetName("Bar");
  Bar->SetBounds(16, 37, 237, 17);
  Bar->SetMin(0);
  Bar->SetMax(100);
  Bar->SetStep(1);
  Bar->SetParent(Panel);
  CancelB = new TButton(this);
  CancelB->SetName("CancelB");
  CancelB->SetBounds(100, 64, 75, 25);
  CancelB->SetCaption("Cancel");
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  CancelB->OnClick = TNotifyEvent::Bind(this, &TfrxProgress::CancelBClick);
  CancelB->SetParent(Panel);
  EndLoading();
  ReportResources()->LocalizeForm(this);
  FActiveForm = Screen() ? Screen()->ActiveForm() : nullptr;
  if (FActiveForm) {
    FActiveForm->FreeNotification(this);
    FActiveForm->SetEnabled(false);
    FActiveFormDisabled = true;
  }
  Bar->SetPosition(0);
}

TfrxProgress::~TfrxProgress()
{
  EnableActiveForm();
  if (FActiveForm)
    FActiveForm->RemoveFreeNotification(this);
}

void TfrxProgress::Notification(TComponent* AComponent, TOperation Operation)
{
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActiveForm)
    FActiveForm = nullptr;
}

void TfrxProgress::EnableActiveForm()
{
  if (FActiveForm && FActiveFormDisabled) {
    FActiveForm->SetEnabled(true);
    FActiveFormDisabled = false;
  }
}

void TfrxProgress::DoHide()
{
  TForm::DoHide();
  EnableActiveForm();
}

void TfrxProgress::BeforeDestruction()
{
  // The window is destroyed on the way (before the destructors run); the activation can
  // only go back to a form that is enabled by then.
  EnableActiveForm();
  TForm::BeforeDestruction();
}

void TfrxProgress::WMNCHitTest(TMessage& Message)
{
  TForm::WMNCHitTest(Message);
  // The borderless window is moved by its body.
  if (Message.Result == HTCLIENT)
    Message.Result = HTCAPTION;
}

void TfrxProgress::Start(Integer Max, const AnsiString& AMessage, bool ShowBar, bool ShowCancel)
{
  FTerminated = false;
  CancelB->SetVisible(ShowCancel);
  SetShowProgressBar(ShowBar);
  Reset();
  Bar->SetMax(Max);
  SetMessage(AMessage);
  Show();
  Application()->ProcessMessages();
}

Integer TfrxProgress::Position() const
{
  return Bar->Position();
}

Integer TfrxProgress::Max() const
{
  return Bar->Max();
}

void TfrxProgress::SetPosition(Integer Value)
{
  Bar->SetPosition(Value);
  BringToFront();
  Application()->ProcessMessages();
}

void TfrxProgress::SetMessage(const AnsiString& Value)
{
  FMessage = Value;
  LMessage->SetCaption(Value);
  LMessage->Repaint();
}

void TfrxProgress::SetShowProgressBar(bool Value)
{
  FShowProgressBar = Value;
  Bar->SetVisible(Value);
  LMessage->SetTop(Value ? 15 : 35);
}

void TfrxProgress::SetTerminated(bool Value)
{
  FTerminated = Value;
  if (Value)
    Close();
}

void TfrxProgress::CancelBClick(TObject*)
{
  SetTerminated(true);
}
