// The password prompt; see frxPasswordForm.h.
#include "report/engine/frxPasswordForm.h"

#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxRes.h"

void RegisterPasswordForm()
{
  TClassRegistration<TfrxPasswordForm, TForm>("TfrxPasswordForm");
}

TfrxPasswordForm::TfrxPasswordForm(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetCaption("Password");
  Font()->SetName("Tahoma");
  SetClientWidth(249);
  SetClientHeight(99);
  PasswordL = new TLabel(this);
  PasswordL->SetName("PasswordL");
  PasswordL->SetBounds(4, 8, 241, 13);
  PasswordL->SetCaption("Enter the password:");
  PasswordL->SetParent(this);
  PasswordE = new TEdit(this);
  PasswordE->SetName("PasswordE");
  PasswordE->SetBounds(4, 28, 241, 21);
  PasswordE->SetPasswordChar('*');
  PasswordE->SetParent(this);
  OkB = new TButton(this);
  OkB->SetName("OkB");
  OkB->SetBounds(88, 68, 75, 25);
  OkB->SetCaption("OK");
  OkB->SetDefault(true);
  OkB->SetModalResult(mrOk);
  OkB->SetParent(this);
  CancelB = new TButton(this);
  CancelB->SetName("CancelB");
  CancelB->SetBounds(168, 68, 75, 25);
  CancelB->SetCaption("Cancel");
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  CancelB->SetParent(this);
  SetActiveControl(PasswordE);
  EndLoading();
  ReportResources()->LocalizeForm(this);
}
