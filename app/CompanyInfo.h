// The company information dialog "公司信息" and EditCompany, its edit loop over the company
// record: the dialog shows the record, and OK stores what was typed; a store that fails is
// shown and the dialog comes back with the values typed.
#pragma once

#include "app/Uis.h"
#include "app/aDlg.h"

class TMemo;

class TCompanyInfoFrm : public TADlgFrm {
public:
  explicit TCompanyInfoFrm(TComponent* AOwner);

  app::TEdit* EdtCompany1; // 企业名称
  app::TEdit* EdtLawMan1;  // 负责人
  app::TEdit* EdtTel1;     // 联系电话
  app::TEdit* EdtAddress1; // 地址
  app::TEdit* edtZip1;     // 邮编
  app::TEdit* EdtFax1;     // 传真号码
  TMemo* MemIntrol1;       // 公司简介

  AnsiString CompanyName() const;
  void SetCompanyName(const AnsiString& Value);
  AnsiString Lawman() const;
  void SetLawman(const AnsiString& Value);
  AnsiString Tel() const;
  void SetTel(const AnsiString& Value);
  AnsiString Address() const;
  void SetAddress(const AnsiString& Value);
  AnsiString Zip() const;
  void SetZip(const AnsiString& Value);
  AnsiString Fax() const;
  void SetFax(const AnsiString& Value);
  // The memo's 8-bit text as wide text.
  WideString Profile() const;
  void SetProfile(const WideString& Value);
};

// Shows the company dialog over CurrentCompany (OK disabled when ReadOnly) until it is
// cancelled or what was typed is stored. A failed store is shown, the record is read again
// from the table, and the dialog comes back with the values typed.
void EditCompany(bool ReadOnly);
