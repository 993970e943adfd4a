// The login dialog; see Login.h.
#include "app/Login.h"

#include "app/AppImages.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/ExtCtrls.h"

TLoginFrm::TLoginFrm(TComponent* AOwner) : TADlgFrm(AOwner, fbInherited)
{
  SetName("LoginFrm");
  SetCaption("登陆");
  SetBorderIcons({});
  SetClientWidth(351);
  SetClientHeight(226);
  SetPosition(poScreenCenter);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetBounds(0, 0, 351, 60);
  Panel1->SetAlign(alTop);
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetColor(clWhite);
  Panel1->SetCaption("");
  Panel1->SetParent(this);
  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetBounds(8, 6, 48, 48);
  DrawLoginOperatorPicture(Image1->Picture()->Bitmap());
  Image1->SetParent(Panel1);
  Image2 = new TImage(this);
  Image2->SetName("Image2");
  Image2->SetBounds(279, 6, 64, 48);
  Image2->SetAnchors({akTop, akRight});
  DrawLoginProductPicture(Image2->Picture()->Bitmap());
  Image2->SetParent(Panel1);
  Label3 = new TLabel(this);
  Label3->SetName("Label3");
  Label3->SetBounds(66, 24, 150, 12);
  Label3->SetCaption("请输入您的用户名和密码:");
  Label3->SetTransparent(true);
  Label3->SetParent(Panel1);

  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetBounds(44, 88, 60, 12);
  Label1->SetCaption("用户名(&U)");
  Label1->SetParent(this);
  edtLoginId1 = new app::TComboBox(this);
  edtLoginId1->SetName("edtLoginId1");
  edtLoginId1->SetBounds(112, 84, 190, 20);
  edtLoginId1->SetParent(this);
  Label1->SetFocusControl(edtLoginId1);
  Label2 = new TLabel(this);
  Label2->SetName("Label2");
  Label2->SetBounds(44, 124, 60, 12);
  Label2->SetCaption("密码(&P)");
  Label2->SetParent(this);
  edtPassword1 = new app::TEdit(this);
  edtPassword1->SetName("edtPassword1");
  edtPassword1->SetBounds(112, 120, 190, 21);
  edtPassword1->SetPasswordChar('*');
  edtPassword1->OnKeyPress = TKeyPressEvent::Bind(this, &TLoginFrm::edtPassword1KeyPress);
  edtPassword1->SetParent(this);
  SetActiveControl(edtPassword1);
  EndLoading();

  TOperatorSet operators;
  edtLoginId1->Items()->SetText(
      WideToGbk(operators.JoinFieldValues(operators.UserIdField(), "\r\n")));
  FOperator = std::make_unique<TOperator>();
  TConfiger config;
  const AnsiString last = config.ReadLastLoginId();
  edtLoginId1->SetText(last.empty() ? AnsiString("sa") : last);
}

TLoginFrm::~TLoginFrm() = default;

void TLoginFrm::edtPassword1KeyPress(TObject*, char& Key)
{
  if (Key != VK_RETURN)
    return;
  Key = 0;
  OkBtn1->Click();
}

bool TLoginFrm::CloseQuery()
{
  if (!TADlgFrm::CloseQuery())
    return false;
  if (ModalResult() != mrOk)
    return true;
  // A fresh load each time: an id that does not exist leaves an empty operator, whose
  // password check fails, never the operator tried before.
  FOperator->LoadOperator(edtLoginId1->Text());
  if (FOperator->CheckPassword(edtPassword1->Text())) {
    CurrentOperator->LoadOperator(FOperator->LoginId);
    TConfiger config;
    config.WriteLastLoginId(CurrentOperator->LoginId);
    return true;
  }
  edtPassword1->SetFocus();
  edtPassword1->SelectAll();
  return false;
}

bool ShowLoginDialog()
{
  // Freed once it has closed, so that the next login can make its own at once.
  std::unique_ptr<TLoginFrm> form(new TLoginFrm(Application()));
  return form->ShowModal() == mrOk;
}
