// The operator list; see OperatorList.h.
#include "app/OperatorList.h"

#include "app/OperatorEditor.h"
#include "app/aDlgPrivate.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/ComCtrls.h"

TOperatorsFrm::TOperatorsFrm(TComponent* AOwner)
    : TAInfoDlgFrm(AOwner, fbInherited), FOperators(std::make_unique<TOperatorSet>())
{
  SetName("OperatorsFrm");
  SetCaption("操作员及权限");
  SetClientWidth(620);
  SetClientHeight(431);
  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetBounds(12, 12, 100, 12);
  Label1->SetCaption("用户列表");
  Label1->SetParent(this);
  ListView1 = new TListView(this);
  ListView1->SetName("ListView1");
  ListView1->SetBounds(12, 30, 500, 350);
  ListView1->SetViewStyle(vsIcon);
  ListView1->OnSelectItem = TLVSelectItemEvent::Bind(this, &TOperatorsFrm::ListView1SelectItem);
  ListView1->OnDblClick = TNotifyEvent::Bind(this, &TOperatorsFrm::btnProp1Click);
  ListView1->SetParent(this);
  Button2 = DialogButton(this, "Button2", "添加", 528, 30);
  Button2->SetAnchors({akTop, akRight});
  Button2->OnClick = TNotifyEvent::Bind(this, &TOperatorsFrm::Button2Click);
  btnProp1 = DialogButton(this, "btnProp1", "属性", 528, 62);
  btnProp1->SetAnchors({akTop, akRight});
  btnProp1->SetEnabled(false);
  btnProp1->OnClick = TNotifyEvent::Bind(this, &TOperatorsFrm::btnProp1Click);
  btnDelete1 = DialogButton(this, "btnDelete1", "删除", 528, 94);
  btnDelete1->SetAnchors({akTop, akRight});
  btnDelete1->SetEnabled(false);
  btnDelete1->OnClick = TNotifyEvent::Bind(this, &TOperatorsFrm::btnDelete1Click);
  EndLoading();

  FEditorFrm = new TOperatorEditorFrm(this);
  TDataSet* data = FOperators->DataSet();
  for (data->First(); !data->Eof(); data->Next())
    ListView1->Items()->Add()->SetCaption(FOperators->UserIdField()->AsString());
}

TOperatorsFrm::~TOperatorsFrm() = default;

TModalResult TOperatorsFrm::Execute()
{
  for (const auto& [caption, code] : std::initializer_list<std::pair<const char*, Integer>>{
           {"公司信息设置", RightCompanyInfo},
           {"操作员及权限管理", RightOperators},
           {"打印", RightPrint},
           {"打印设计", RightPrintDesign},
           {"数据导出", RightDataExport},
           {"列选择", RightColumnSelect},
           {"列样式保存", RightColumnStyleSave},
           {"备份设置", RightBackupSettings},
           {"工具菜单设置", RightToolMenuSettings}})
    FEditorFrm->AddRight(caption, code);
  return ShowModal();
}

void TOperatorsFrm::ListView1SelectItem(TObject*, TListItem*, bool Selected)
{
  btnProp1->SetEnabled(Selected);
  btnDelete1->SetEnabled(Selected);
}

bool TOperatorsFrm::EditLoop(const std::function<void()>& Write)
{
  while (FEditorFrm->ShowModal() == mrOk) {
    try {
      Write();
      return true;
    } catch (const Exception& E) {
      ShowInfo(E.Message());
    }
  }
  return false;
}

void TOperatorsFrm::Button2Click(TObject*)
{
  FEditorFrm->ClearEditor();
  TOperatorEditorFrm* e = FEditorFrm;
  if (!EditLoop([&] {
        FOperators->AddOperator(e->UserId(), e->Passwd(), e->Rights(), e->EmpNote(), e->EmpTel(),
                                e->EmpName());
      }))
    return;
  ListView1->Items()->Add()->SetCaption(e->UserId());
}

void TOperatorsFrm::btnProp1Click(TObject*)
{
  TListItem* item = ListView1->Selected();
  if (!item || !FOperators->DataSet()->Locate("LoginId", item->Caption(), TLocateOptions()))
    return;
  TOperatorEditorFrm* e = FEditorFrm;
  e->ClearEditor();
  e->SetUserId(FOperators->UserIdField()->AsString());
  e->SetPasswd(FOperators->PasswdField()->AsString());
  e->SetEmpName(FOperators->NameField()->AsString());
  e->SetEmpTel(FOperators->ContactField()->AsString());
  e->SetEmpNote(FOperators->NoteField()->AsString());
  e->SetRights(FOperators->RightsField()->AsWideString());
  EditLoop([&] {
    FOperators->UpdateOperator(e->UserId(), e->Passwd(), e->Rights(), e->EmpNote(), e->EmpTel(),
                               e->EmpName());
  });
}

void TOperatorsFrm::btnDelete1Click(TObject*)
{
  TListItem* item = ListView1->Selected();
  if (!item || !FOperators->DataSet()->Locate("LoginId", item->Caption(), TLocateOptions()))
    return;
  if (!ConfirmDelete(item->Caption()))
    return;
  FOperators->DeleteOperator(item->Caption());
  item->Delete();
}

void ShowOperators()
{
  std::unique_ptr<TOperatorsFrm> form(new TOperatorsFrm(Application()));
  form->EditorFrm()->AddRight("清除数据", RightClearData);
  form->Execute();
}
