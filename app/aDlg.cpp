// The program's OK/Cancel/Help dialog; see aDlg.h.
#include "app/aDlg.h"

#include "app/aDlgPrivate.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

// ---- TADlgFrm ----

TADlgFrm::TADlgFrm(TComponent* AOwner, TFormBuild Build) : TaFrm(AOwner, fbInherited)
{
  SetBorderStyle(bsDialog);
  SetPosition(poOwnerFormCenter);
  SetClientWidth(469);
  SetClientHeight(270);
  BgBevel1 = BottomLine(this, 226);
  OkBtn1 = DialogButton(this, "OkBtn1", "确定(&O)", 216, 236);
  OkBtn1->SetModalResult(mrOk);
  OkBtn1->OnClick = TNotifyEvent::Bind(this, &TADlgFrm::OkBtn1Click);
  CancelBtn1 = DialogButton(this, "CancelBtn1", "取消", 297, 236);
  CancelBtn1->SetCancel(true);
  CancelBtn1->SetModalResult(mrCancel);
  CancelBtn1->OnClick = TNotifyEvent::Bind(this, &TADlgFrm::CancelBtn1Click);
  HelpBtn1 = DialogButton(this, "HelpBtn1", "帮助", 378, 236);
  HelpBtn1->OnClick = TNotifyEvent::Bind(this, &TADlgFrm::HelpBtn1Click);
  if (Build == fbComplete)
    EndLoading();
}

void TADlgFrm::OkBtn1Click(TObject*)
{
  SetModalResult(mrOk);
}

void TADlgFrm::CancelBtn1Click(TObject*)
{
  SetModalResult(mrCancel);
}

void TADlgFrm::HelpBtn1Click(TObject*)
{
  ShowHelp("");
}
