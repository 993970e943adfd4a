// The online feedback form "用户反馈表": the user's note and contact data (filled from the
// company record) posted to the maker's feedback address; the result is told in a message
// and the form closes either way.
#pragma once

#include "app/Uis.h"
#include "app/aDlg.h"

class TCheckBox;
class TMemo;

class TFeedbackFrm : public TADlgFrm {
public:
  explicit TFeedbackFrm(TComponent* AOwner);

  TMemo* MmNote1;
  app::TEdit* edtCompany1; // 用户名称
  app::TEdit* edtAddress1; // 通信地址
  app::TEdit* edtZip1;     // 邮政编码
  app::TEdit* edtLinkman1; // 联系人
  app::TEdit* edtLinkTel1; // 联系电话
  app::TEdit* edtEmail1;   // E-mail
  TCheckBox* CheckBox1;    // "退出系统时请显示此反馈表单": stored at once

  // The text posted: each contact field after its right-aligned caption, the note between
  // two rules, every line ended by CR LF.
  WideString Body() const;

  // "提交(&S)": posts the body as the form field Data, tells the result and closes with OK.
  void OkBtn1Click(TObject* Sender);

private:
  void CheckBox1Click(TObject* Sender);
};

// Creates the feedback form, shows it modally and releases it.
void ShowFeedback();
