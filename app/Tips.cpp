// The tip of the day; see Tips.h.
#include "app/Tips.h"

#include "app/AppImages.h"
#include "app/qhProj.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Math.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

TButton* Button(TTipsFrm* Form, const char* Name, const char* Caption, Integer Left)
{
  auto* button = new TButton(Form);
  button->SetName(Name);
  button->SetCaption(Caption);
  button->SetBounds(Left, 264, 75, 25);
  button->SetParent(Form);
  return button;
}

} // namespace

TTipsFrm::TTipsFrm(TComponent* AOwner)
    : TaFrm(AOwner, fbInherited), FTips(std::make_unique<TStringList>())
{
  SetName("TipsFrm");
  SetCaption("每日一贴");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(477);
  SetClientHeight(301);
  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetBounds(12, 12, 64, 48);
  DrawLoginProductPicture(Image1->Picture()->Bitmap());
  Image1->SetParent(this);
  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetBounds(88, 20, 200, 16);
  Label1->SetCaption("您知道吗？");
  Label1->Font()->SetStyle({fsBold});
  Label1->SetParent(this);
  Memo1 = new TMemo(this);
  Memo1->SetName("Memo1");
  Memo1->SetBounds(88, 44, 377, 204);
  Memo1->SetScrollBars(ssVertical);
  Memo1->SetReadOnly(true);
  Memo1->SetParent(this);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetName("CheckBox1");
  CheckBox1->SetCaption("启动时显示每日一贴");
  CheckBox1->SetBounds(12, 230, 72, 34);
  CheckBox1->SetParent(this);
  Button1 = Button(this, "Button1", "前一贴", 130);
  Button2 = Button(this, "Button2", "后一贴", 214);
  CloseBtn1 = Button(this, "CloseBtn1", "关闭", 298);
  CloseBtn1->SetModalResult(mrOk);
  CloseBtn1->SetCancel(true);
  HelpBtn1 = Button(this, "HelpBtn1", "帮助", 382);
  HelpBtn1->OnClick = TNotifyEvent::Bind(this, &TTipsFrm::HelpBtn1Click);
  EndLoading();

  CheckBox1->SetChecked(KeyValues->DailyTipPrompt());
  CheckBox1->OnClick = TNotifyEvent::Bind(this, &TTipsFrm::CheckBox1Click);
  Button1->OnClick = TNotifyEvent::Bind(this, &TTipsFrm::Button1Click);
  Button2->OnClick = TNotifyEvent::Bind(this, &TTipsFrm::Button1Click);
}

TTipsFrm::~TTipsFrm() = default;

void TTipsFrm::CheckBox1Click(TObject*)
{
  KeyValues->SetDailyTipPrompt(CheckBox1->Checked());
}

void TTipsFrm::HelpBtn1Click(TObject*)
{
  ShowHelp("");
}

void TTipsFrm::Button1Click(TObject*)
{
  if (FTips->Count() == 0)
    return;
  Randomize();
  Memo1->SetText("\r\n\r\n" + FTips->Strings(Random(FTips->Count())));
}

void ShowTips()
{
  std::unique_ptr<TTipsFrm> form(new TTipsFrm(Application()));
  form->ShowModal();
}
