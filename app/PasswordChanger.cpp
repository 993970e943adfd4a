// The password dialog; see PasswordChanger.h.
#include "app/PasswordChanger.h"

#include <memory>

#include "app/aDlgPrivate.h"
#include "app/qhLib.h"
#include "app/qhProj.h"

TPasswordChangerFrm::TPasswordChangerFrm(TComponent* AOwner) : TADlgFrm(AOwner, fbInherited)
{
  SetName("PasswordChangerFrm");
  SetCaption("更改密码");
  edtUserId1 = CaptionedEdit(this, "edtUserId1", "当前用户", 60, 28, 200);
  edtUserId1->SetEnabled(false);
  edtUserId1->SetParentColor(true);
  edtPassword1 = CaptionedEdit(this, "edtPassword1", "当前密码", 60, 68, 200);
  edtNewPassword1 = CaptionedEdit(this, "edtNewPassword1", "新密码", 60, 108, 200);
  edtNewPassword2 = CaptionedEdit(this, "edtNewPassword2", "新密码验证", 60, 148, 200);
  for (app::TEdit* edit : {edtPassword1, edtNewPassword1, edtNewPassword2})
    edit->SetPasswordChar('*');
  SetActiveControl(edtPassword1);
  EndLoading();
}

AnsiString TPasswordChangerFrm::UserId() const
{
  return edtUserId1->Text();
}
void TPasswordChangerFrm::SetUserId(const AnsiString& Value)
{
  edtUserId1->SetText(Value);
}
AnsiString TPasswordChangerFrm::PrePasswd() const
{
  return edtPassword1->Text();
}
AnsiString TPasswordChangerFrm::NewPasswd() const
{
  return edtNewPassword1->Text();
}

bool TPasswordChangerFrm::CloseQuery()
{
  if (!TADlgFrm::CloseQuery())
    return false;
  if (ModalResult() != mrOk || edtNewPassword1->Text() == edtNewPassword2->Text())
    return true;
  AppMessageBox("两次输入的新密码不一样,请确认并重新输入.", Application()->Title(), MB_OK);
  edtNewPassword1->SetText(AnsiString());
  edtNewPassword2->SetText(AnsiString());
  edtNewPassword1->SetFocus();
  return false;
}

void ChangePassword()
{
  std::unique_ptr<TPasswordChangerFrm> form(new TPasswordChangerFrm(Application()));
  form->SetUserId(CurrentOperator->LoginId);
  while (form->ShowModal() == mrOk) {
    if (form->PrePasswd() != CurrentOperator->Password) {
      ShowInfo("当前密码验证失败,请确认并重新输入.");
      continue;
    }
    try {
      CurrentOperator->SavePassword(form->NewPasswd());
    } catch (const Exception& E) {
      ShowInfo(E.Message());
      continue;
    }
    CurrentOperator->Password = form->NewPasswd();
    ShowInfo("密码更改成功! 下次登陆时请使用新密码.");
    return;
  }
}
