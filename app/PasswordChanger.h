// The password dialog "更改密码" and ChangePassword, its loop for the current operator: the
// current password must be right and the new one typed twice the same.
#pragma once

#include "app/Uis.h"
#include "app/aDlg.h"

class TPasswordChangerFrm : public TADlgFrm {
public:
  explicit TPasswordChangerFrm(TComponent* AOwner);

  app::TEdit* edtUserId1;      // 当前用户 (disabled)
  app::TEdit* edtPassword1;    // 当前密码
  app::TEdit* edtNewPassword1; // 新密码
  app::TEdit* edtNewPassword2; // 新密码验证

  AnsiString UserId() const;
  void SetUserId(const AnsiString& Value);
  AnsiString PrePasswd() const;
  AnsiString NewPasswd() const;

  // With OK: two new passwords that differ keep the dialog open (both emptied).
  bool CloseQuery() override;
};

// Changes the current operator's password: the dialog comes back while the current
// password typed is wrong or the store fails (each shown); Cancel ends without a change.
void ChangePassword();
