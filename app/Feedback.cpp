// The feedback form; see Feedback.h.
#include "app/Feedback.h"

#include <memory>

#include "app/Http.h"
#include "app/Maker.h"
#include "app/aDlgPrivate.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/StdCtrls.h"

namespace {

TLabel* StaticText(TFeedbackFrm* Form, const char* Caption, Integer Left, Integer Top,
                   Integer Width, Integer Height = 12)
{
  auto* label = new TLabel(Form);
  label->SetBounds(Left, Top, Width, Height);
  label->SetWordWrap(Height > 12);
  label->SetCaption(Caption);
  label->SetParent(Form);
  return label;
}

} // namespace

TFeedbackFrm::TFeedbackFrm(TComponent* AOwner) : TADlgFrm(AOwner, fbInherited)
{
  SetName("FeedbackFrm");
  SetCaption("用户反馈表");
  SetPosition(poScreenCenter);
  SetClientWidth(677);
  SetClientHeight(564);
  StaticText(this, "感谢", 16, 12, 60)->Font()->SetStyle({fsBold});
  StaticText(this, "您安装使用青禾软件，希望本软件能满足您的要求，并给您的工作带来一份轻松愉快。",
             32, 32, 620);
  StaticText(this,
             "为进一步改进和提高本公司产品的质量和售后服务工作，我们殷切期望您对本公司产品的使用"
             "情况提出宝贵意见和建议。",
             32, 50, 620, 30);
  StaticText(this, "请参考以下几个主题发表您的看法或意见：", 32, 84, 620);
  const char* topics[] = {"1.您希望添加哪些新功能",
                          "2.现有功能哪些是做得不够好，需要改进或是无用的，可以删除",
                          "3.与您曾经用过的软件相比较，哪些是值得借鉴的",
                          "4.您希望本公司将来研制哪一类软件",
                          "5.本类软件，您的心理价位是多少",
                          "6.您的需求及其他值得反馈的内容"};
  for (Integer i = 0; i < 6; ++i)
    StaticText(this, topics[i], 48, 102 + i * 16, 600);
  MmNote1 = new TMemo(this);
  MmNote1->SetName("MmNote1");
  MmNote1->SetBounds(32, 202, 612, 130);
  MmNote1->SetScrollBars(ssVertical);
  MmNote1->SetParent(this);
  StaticText(this, "请留下您的联系方式(不是必须)", 32, 342, 300);
  edtCompany1 = CaptionedEdit(this, "edtCompany1", "用户名称：", 32, 362, 230);
  edtAddress1 = CaptionedEdit(this, "edtAddress1", "通信地址：", 342, 362, 230);
  edtZip1 = CaptionedEdit(this, "edtZip1", "邮政编码：", 32, 390, 230);
  edtLinkman1 = CaptionedEdit(this, "edtLinkman1", "联系人：", 342, 390, 230);
  edtLinkTel1 = CaptionedEdit(this, "edtLinkTel1", "联系电话：", 32, 418, 230);
  edtEmail1 = CaptionedEdit(this, "edtEmail1", "E-mail：", 342, 418, 230);
  StaticText(this,
             "我们在今后的工作中会充分参考您所给予的宝贵资料，不断地改进我们的产品和服务质量。", 32,
             452, 620);
  StaticText(this, "如果您对我们的产品感到满意，请向您的朋友推荐。", 32, 470, 620);
  StaticText(this, "再次表达我们的谢意！", 32, 488, 620);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetName("CheckBox1");
  CheckBox1->SetCaption("退出系统时请显示此反馈表单");
  CheckBox1->SetBounds(16, 532, 190, 17);
  CheckBox1->SetParent(this);
  OkBtn1->SetCaption("提交(&S)");
  OkBtn1->SetModalResult(mrNone);
  OkBtn1->OnClick = TNotifyEvent::Bind(this, &TFeedbackFrm::OkBtn1Click);
  EndLoading();

  CheckBox1->SetChecked(KeyValues->FeedbackPrompt());
  CheckBox1->OnClick = TNotifyEvent::Bind(this, &TFeedbackFrm::CheckBox1Click);
  MmNote1->SetText(AnsiString());
  edtCompany1->SetText(CurrentCompany->CompanyName);
  edtAddress1->SetText(CurrentCompany->Address);
  edtZip1->SetText(CurrentCompany->Zip);
  edtLinkman1->SetText(CurrentCompany->Manager);
  edtLinkTel1->SetText(CurrentCompany->Tel);
  edtEmail1->SetText(AnsiString());
}

void TFeedbackFrm::CheckBox1Click(TObject*)
{
  KeyValues->SetFeedbackPrompt(CheckBox1->Checked());
}

WideString TFeedbackFrm::Body() const
{
  const AnsiString rule(45, '-');
  const std::pair<const char*, app::TEdit*> fields[] = {
      {"      Company: ", edtCompany1}, {"      Address: ", edtAddress1},
      {"          Zip: ", edtZip1},     {"      Linkman: ", edtLinkman1},
      {"      LinkTel: ", edtLinkTel1}, {"        Email: ", edtEmail1}};
  AnsiString body;
  for (const auto& [caption, edit] : fields)
    body += caption + edit->Text() + "\r\n";
  body += "         Note: \r\n" + rule + "\r\n" + MmNote1->Text() + "\r\n" + rule + "\r\n";
  return GbkToWide(body);
}

void TFeedbackFrm::OkBtn1Click(TObject*)
{
  const TCursor saved = Screen()->Cursor();
  Screen()->SetCursor(crHourGlass);
  TScopeExit restore([saved] { Screen()->SetCursor(saved); });
  THttper http;
  http.Params()->Add("Data=");
  http.Params()->SetValues("Data", WideToGbk(Body()));
  WideString reply;
  if (http.Post(reply, u""))
    AppMessageBox(":) 反馈成功！谢谢您的支持！", Application()->Title(), MB_OK);
  else if (!reply.empty())
    AppMessageBox(WideToGbk(reply), Application()->Title(), MB_OK);
  else
    AppMessageBox(AnsiString("对不起,发送失败,请检查网络后重试,如果仍不成功请与我们QQ联系") +
                      MakerContactNumber + ".",
                  Application()->Title(), MB_OK);
  SetModalResult(mrOk);
}

void ShowFeedback()
{
  std::unique_ptr<TFeedbackFrm> form(new TFeedbackFrm(Application()));
  form->ShowModal();
}
