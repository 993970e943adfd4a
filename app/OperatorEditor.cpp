// The operator property dialog; see OperatorEditor.h.
#include "app/OperatorEditor.h"

#include "app/aDlgPrivate.h"
#include "app/qhLib.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/CheckLst.h"

TOperatorEditorFrm::TOperatorEditorFrm(TComponent* AOwner) : TADlgFrm(AOwner, fbInherited)
{
  SetName("OperatorEditorFrm");
  SetCaption("操作员属性");
  SetClientWidth(520);
  SetClientHeight(381);
  edtUserId1 = CaptionedEdit(this, "edtUserId1", "登陆名", 16, 16, 150);
  edtName1 = CaptionedEdit(this, "edtName1", "姓名", 16, 48, 150);
  edtContact1 = CaptionedEdit(this, "edtContact1", "联系方式", 16, 80, 150);
  edtNote1 = CaptionedEdit(this, "edtNote1", "备注", 16, 112, 150);
  edtPassword1 = CaptionedEdit(this, "edtPassword1", "密码", 16, 144, 150);
  edtPassword1->SetPasswordChar('*');
  edtPassword2 = CaptionedEdit(this, "edtPassword2", "验证密码", 16, 176, 150);
  edtPassword2->SetPasswordChar('*');
  CheckListBox1 =
      CaptionedControl<TCheckListBox>(this, this, "CheckListBox1", "权限", 252, 16, 180, 300);
  CheckListBox1->SetColumns(2);
  CheckListBox1->SetStyle(lbOwnerDrawFixed);
  CheckListBox1->SetItemHeight(20);
  CheckListBox1->OnDblClick = TNotifyEvent::Bind(this, &TOperatorEditorFrm::CheckListBox1DblClick);
  EndLoading();
  CheckListBox1->Items()->Clear();
  ClearEditor();
}

void TOperatorEditorFrm::AddRight(const AnsiString& Caption, Integer Code)
{
  CheckListBox1->Items()->AddObject(Caption,
                                    reinterpret_cast<TObject*>(static_cast<NativeInt>(Code)));
}

void TOperatorEditorFrm::ClearEditor()
{
  for (app::TEdit* edit : {edtUserId1, edtName1, edtContact1, edtNote1, edtPassword1, edtPassword2})
    edit->SetText(AnsiString());
  for (Integer i = 0; i < CheckListBox1->Items()->Count(); ++i)
    CheckListBox1->SetChecked(i, false);
  edtUserId1->SetEnabled(true);
  edtUserId1->SetColor(clWindow);
}

AnsiString TOperatorEditorFrm::UserId() const
{
  return edtUserId1->Text();
}

void TOperatorEditorFrm::SetUserId(const AnsiString& Value)
{
  edtUserId1->SetText(Value);
  if (Value.empty())
    return;
  edtUserId1->SetEnabled(false);
  edtUserId1->SetColor(Color());
}

AnsiString TOperatorEditorFrm::Passwd() const
{
  return edtPassword1->Text();
}

void TOperatorEditorFrm::SetPasswd(const AnsiString& Value)
{
  edtPassword1->SetText(Value);
  edtPassword2->SetText(Value);
}

namespace {

Integer RightCode(TCheckListBox* List, Integer Index)
{
  return static_cast<Integer>(reinterpret_cast<NativeInt>(List->Items()->Objects(Index)));
}

} // namespace

WideString TOperatorEditorFrm::Rights() const
{
  AnsiString rights;
  for (Integer i = 0; i < CheckListBox1->Items()->Count(); ++i)
    if (CheckListBox1->Checked(i))
      rights += "," + IntToStr(RightCode(CheckListBox1, i)) + ",";
  return GbkToWide(rights);
}

void TOperatorEditorFrm::SetRights(const WideString& Value)
{
  const AnsiString rights = WideToGbk(Value);
  for (Integer i = 0; i < CheckListBox1->Items()->Count(); ++i)
    CheckListBox1->SetChecked(i, rights.find("," + IntToStr(RightCode(CheckListBox1, i)) + ",") !=
                                     AnsiString::npos);
}

AnsiString TOperatorEditorFrm::EmpName() const
{
  return edtName1->Text();
}
void TOperatorEditorFrm::SetEmpName(const AnsiString& Value)
{
  edtName1->SetText(Value);
}
AnsiString TOperatorEditorFrm::EmpTel() const
{
  return edtContact1->Text();
}
void TOperatorEditorFrm::SetEmpTel(const AnsiString& Value)
{
  edtContact1->SetText(Value);
}
AnsiString TOperatorEditorFrm::EmpNote() const
{
  return edtNote1->Text();
}
void TOperatorEditorFrm::SetEmpNote(const AnsiString& Value)
{
  edtNote1->SetText(Value);
}

void TOperatorEditorFrm::CheckListBox1DblClick(TObject*)
{
  const Integer index = CheckListBox1->ItemIndex();
  if (index >= 0)
    CheckListBox1->SetChecked(index, !CheckListBox1->Checked(index));
}

bool TOperatorEditorFrm::CloseQuery()
{
  if (!TADlgFrm::CloseQuery())
    return false;
  if (ModalResult() != mrOk)
    return true;
  if (edtUserId1->Text().empty()) {
    ShowInfo("必须填写登陆名.");
    edtUserId1->SetFocus();
    return false;
  }
  if (edtPassword1->Text() != edtPassword2->Text()) {
    ShowInfo("两次输入的密码不一样,请重新输入.");
    edtPassword1->SetText(AnsiString());
    edtPassword2->SetText(AnsiString());
    edtPassword1->SetFocus();
    return false;
  }
  return true;
}
