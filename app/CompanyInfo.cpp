// The company information dialog; see CompanyInfo.h.
#include "app/CompanyInfo.h"

#include <memory>

#include "app/aDlgPrivate.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"

TCompanyInfoFrm::TCompanyInfoFrm(TComponent* AOwner) : TADlgFrm(AOwner, fbInherited)
{
  SetName("CompanyInfoFrm");
  SetCaption("公司信息");
  SetClientWidth(602);
  SetClientHeight(432);
  EdtCompany1 = CaptionedEdit(this, "EdtCompany1", "企业名称", 20, 20, 490);
  EdtLawMan1 = CaptionedEdit(this, "EdtLawMan1", "负责人", 20, 52, 190);
  EdtTel1 = CaptionedEdit(this, "EdtTel1", "联系电话", 300, 52, 190);
  EdtAddress1 = CaptionedEdit(this, "EdtAddress1", "地址", 20, 84, 490);
  edtZip1 = CaptionedEdit(this, "edtZip1", "邮编", 20, 116, 190);
  EdtFax1 = CaptionedEdit(this, "EdtFax1", "传真号码", 300, 116, 190);
  MemIntrol1 = CaptionedControl<TMemo>(this, this, "MemIntrol1", "公司简介", 20, 148, 490, 220);
  MemIntrol1->SetScrollBars(ssVertical);
  EndLoading();
}

AnsiString TCompanyInfoFrm::CompanyName() const
{
  return EdtCompany1->Text();
}
void TCompanyInfoFrm::SetCompanyName(const AnsiString& Value)
{
  EdtCompany1->SetText(Value);
}
AnsiString TCompanyInfoFrm::Lawman() const
{
  return EdtLawMan1->Text();
}
void TCompanyInfoFrm::SetLawman(const AnsiString& Value)
{
  EdtLawMan1->SetText(Value);
}
AnsiString TCompanyInfoFrm::Tel() const
{
  return EdtTel1->Text();
}
void TCompanyInfoFrm::SetTel(const AnsiString& Value)
{
  EdtTel1->SetText(Value);
}
AnsiString TCompanyInfoFrm::Address() const
{
  return EdtAddress1->Text();
}
void TCompanyInfoFrm::SetAddress(const AnsiString& Value)
{
  EdtAddress1->SetText(Value);
}
AnsiString TCompanyInfoFrm::Zip() const
{
  return edtZip1->Text();
}
void TCompanyInfoFrm::SetZip(const AnsiString& Value)
{
  edtZip1->SetText(Value);
}
AnsiString TCompanyInfoFrm::Fax() const
{
  return EdtFax1->Text();
}
void TCompanyInfoFrm::SetFax(const AnsiString& Value)
{
  EdtFax1->SetText(Value);
}
WideString TCompanyInfoFrm::Profile() const
{
  return GbkToWide(MemIntrol1->Text());
}
void TCompanyInfoFrm::SetProfile(const WideString& Value)
{
  MemIntrol1->SetText(WideToGbk(Value));
}

void EditCompany(bool ReadOnly)
{
  std::unique_ptr<TCompanyInfoFrm> form(new TCompanyInfoFrm(Application()));
  form->OkBtn1->SetEnabled(!ReadOnly);
  TCompany* c = CurrentCompany;
  form->SetCompanyName(c->CompanyName);
  form->SetLawman(c->Manager);
  form->SetTel(c->Tel);
  form->SetAddress(c->Address);
  form->SetZip(c->Zip);
  form->SetFax(c->Fax);
  form->SetProfile(c->Profile);
  while (form->ShowModal() == mrOk) {
    c->CompanyName = form->CompanyName();
    c->Manager = form->Lawman();
    c->Tel = form->Tel();
    c->Address = form->Address();
    c->Zip = form->Zip();
    c->Fax = form->Fax();
    c->Profile = form->Profile();
    try {
      c->SaveCompany();
      return;
    } catch (const Exception& E) {
      ShowInfo(E.Message());
      // The record goes back to what the table holds; when the table cannot be read either
      // (its error has been shown), the dialog still comes back with what was typed.
      try {
        c->LoadCompany();
      } catch (const Exception&) {
      }
    }
  }
}
