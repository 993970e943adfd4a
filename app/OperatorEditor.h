// The operator property dialog "操作员属性": login id (fixed for an existing operator), name,
// contact, note, the password typed twice, and the rights ticked in a check list whose
// items carry their right codes. OK closes only with a login id and matching passwords.
#pragma once

#include "app/Uis.h"
#include "app/aDlg.h"

class TCheckListBox;

class TOperatorEditorFrm : public TADlgFrm {
public:
  explicit TOperatorEditorFrm(TComponent* AOwner);

  app::TEdit* edtUserId1;   // 登陆名
  app::TEdit* edtName1;     // 姓名
  app::TEdit* edtContact1;  // 联系方式
  app::TEdit* edtNote1;     // 备注
  app::TEdit* edtPassword1; // 密码
  app::TEdit* edtPassword2; // 验证密码
  TCheckListBox* CheckListBox1;

  // Appends a right with its code.
  void AddRight(const AnsiString& Caption, Integer Code);
  // Empties the six fields, unticks every right and makes the login id editable again.
  void ClearEditor();

  AnsiString UserId() const;
  // A non-empty id cannot be changed: the field is disabled.
  void SetUserId(const AnsiString& Value);
  AnsiString Passwd() const;
  // Sets both password fields.
  void SetPasswd(const AnsiString& Value);
  // ",code," for every ticked right, in list order.
  WideString Rights() const;
  // Ticks exactly the rights whose ",code," occurs in Value.
  void SetRights(const WideString& Value);
  AnsiString EmpName() const;
  void SetEmpName(const AnsiString& Value);
  AnsiString EmpTel() const;
  void SetEmpTel(const AnsiString& Value);
  AnsiString EmpNote() const;
  void SetEmpNote(const AnsiString& Value);

  // With OK: an empty id, or two passwords that differ, keep the dialog open (the
  // passwords emptied) after saying so.
  bool CloseQuery() override;

private:
  void CheckListBox1DblClick(TObject* Sender);
};
