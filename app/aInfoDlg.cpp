// The program's Close/Help information dialog; see aInfoDlg.h.
#include "app/aInfoDlg.h"

#include "app/aDlgPrivate.h"

TAInfoDlgFrm::TAInfoDlgFrm(TComponent* AOwner, TFormBuild Build) : TaFrm(AOwner, fbInherited)
{
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(469);
  SetClientHeight(265);
  BgBevel1 = BottomLine(this, 221);
  CloseBtn1 = DialogButton(this, "CloseBtn1", "关闭", 297, 231);
  CloseBtn1->SetCancel(true);
  CloseBtn1->SetModalResult(mrCancel);
  CloseBtn1->OnClick = TNotifyEvent::Bind(this, &TAInfoDlgFrm::CloseBtn1Click);
  HelpBtn1 = DialogButton(this, "HelpBtn1", "帮助", 378, 231);
  HelpBtn1->OnClick = TNotifyEvent::Bind(this, &TAInfoDlgFrm::HelpBtn1Click);
  if (Build == fbComplete)
    EndLoading();
}

void TAInfoDlgFrm::CloseBtn1Click(TObject*)
{
  Close();
}

void TAInfoDlgFrm::HelpBtn1Click(TObject*)
{
  ShowHelp("");
}
