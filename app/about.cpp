// The about box; see about.h.
#include "app/about.h"

#include <memory>

#include "app/CompanyInfo.h"
#include "app/Database.h"
#include "app/Maker.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/ShellAPI.h"
#include "platform/ui/StdCtrls.h"

namespace {

// One row: its caption at the left, its value beside it.
TLabel* Row(TaboutFrm* Form, const char* Name, const char* Caption, const AnsiString& Value,
            Integer Top)
{
  auto* caption = new TLabel(Form);
  caption->SetBounds(40, Top, 70, 12);
  caption->SetCaption(Caption);
  caption->SetParent(Form);
  auto* value = new TLabel(Form);
  value->SetName(Name);
  value->SetBounds(116, Top, 300, 12);
  value->SetCaption(Value);
  value->SetParent(Form);
  return value;
}

// A value that opens something when clicked.
void MakeLink(TLabel* Label, void (TaboutFrm::*Handler)(TObject*), TaboutFrm* Form)
{
  Label->SetCursor(crHandPoint);
  Label->Font()->SetColor(clBlue);
  Label->OnClick = TNotifyEvent::Bind(Form, Handler);
}

} // namespace

TaboutFrm::TaboutFrm(TComponent* AOwner) : TaFrm(AOwner, fbInherited)
{
  SetName("aboutFrm");
  SetCaption("关于...");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(444);
  SetClientHeight(281);
  LblProductName1 = Row(this, "LblProductName1", "产品名称:", ProductTitle, 24);
  LblVersion1 =
      Row(this, "LblVersion1", "产品版本:", Format("%s %s", {ProductVersion, ProductBuild}), 48);
  LblProductCode1 = Row(this, "LblProductCode1", "产品代码:", ProductCode, 72);
  Label7 = Row(this, "Label7", "官方网站:", MakerWebAddress, 96);
  MakeLink(Label7, &TaboutFrm::Label7Click, this);
  Label10 = Row(this, "Label10", "技术支持:", MakerSupportMail, 120);
  MakeLink(Label10, &TaboutFrm::Label10Click, this);
  Label12 = Row(this, "Label12", "购买咨询:", MakerSalesMail, 144);
  MakeLink(Label12, &TaboutFrm::Label12Click, this);
  lblExePath1 = Row(this, "lblExePath1", "安装路径:", ProgramDir(), 168);
  MakeLink(lblExePath1, &TaboutFrm::lblExePath1Click, this);
  lblDatabase1 = Row(this, "lblDatabase1", "数据地址:", WideToGbk(Db->DataSourceName()), 192);

  Button1 = new TButton(this);
  Button1->SetName("Button1");
  Button1->SetCaption("用户信息");
  Button1->SetBounds(264, 240, 75, 25);
  Button1->OnClick = TNotifyEvent::Bind(this, &TaboutFrm::Button1Click);
  Button1->SetParent(this);
  Button2 = new TButton(this);
  Button2->SetName("Button2");
  Button2->SetCaption("确定");
  Button2->SetBounds(352, 240, 75, 25);
  Button2->SetModalResult(mrOk);
  Button2->SetDefault(true);
  Button2->SetCancel(true);
  Button2->SetParent(this);
  EndLoading();
}

void TaboutFrm::Label7Click(TObject*)
{
  ShellOpen(MakerWebAddress, {stWeb});
}

void TaboutFrm::Label10Click(TObject*)
{
  ShellOpen(MailLink(MakerSupportMail, "关于技术问题"), {stMail});
}

void TaboutFrm::Label12Click(TObject*)
{
  ShellOpen(MailLink(MakerSalesMail, "关于销售"), {stMail});
}

void TaboutFrm::lblExePath1Click(TObject*)
{
  ShellOpen(ProgramDir(), {stFolder});
}

void TaboutFrm::Button1Click(TObject*)
{
  EditCompany(true);
}

void ShowAbout()
{
  std::unique_ptr<TaboutFrm> form(new TaboutFrm(Application()));
  form->ShowModal();
}
