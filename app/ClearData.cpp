// Data clearing; see ClearData.h.
#include "app/ClearData.h"

#include <memory>

#include "app/AppImages.h"
#include "app/Database.h"
#include "app/qhLib.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

TRestartProgram& Restarter()
{
  static TRestartProgram restart;
  return restart;
}

void RestartProgram()
{
  if (Restarter()) {
    Restarter()();
    return;
  }
  ExecuteProcess(Application()->ExeName(), {}, pwNoWait);
}

TLabel* StaticText(TClearDataFrm* Form, const char* Name, const char* Caption, Integer Left,
                   Integer Top, Integer Width, Integer Height = 12)
{
  auto* label = new TLabel(Form);
  label->SetName(Name);
  label->SetBounds(Left, Top, Width, Height);
  label->SetWordWrap(Height > 12);
  label->SetCaption(Caption);
  label->SetParent(Form);
  return label;
}

TRadioButton* Choice(TClearDataFrm* Form, const char* Name, const char* Caption, Integer Top)
{
  auto* button = new TRadioButton(Form);
  button->SetName(Name);
  button->SetBounds(150, Top, 360, 17);
  button->SetCaption(Caption);
  button->SetParent(Form);
  return button;
}

} // namespace

TRestartProgram SetRestartProgram(TRestartProgram Restart)
{
  TRestartProgram previous = std::move(Restarter());
  Restarter() = std::move(Restart);
  return previous;
}

TClearDataFrm::TClearDataFrm(TComponent* AOwner) : TaFrm(AOwner, fbInherited)
{
  SetName("ClearDataFrm");
  SetCaption("数据清理");
  SetBorderStyle(bsDialog);
  SetWidth(546);
  SetHeight(361);
  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetBounds(16, 20, 110, 260);
  Image1->SetCenter(true);
  DrawLoginProductPicture(Image1->Picture()->Bitmap());
  Image1->SetParent(this);
  Label1 = StaticText(this, "Label1", "请选择清除范围:", 150, 20, 200);
  RadioButton1 = Choice(this, "RadioButton1", "仅明细数据，包括：", 48);
  Label2 = StaticText(this, "Label2", "调职记录、休假记录等", 168, 70, 340);
  RadioButton2 = Choice(this, "RadioButton2", "所有数据，包括职员记录部份", 98);
  Label3 = StaticText(this, "Label3",
                      "除以上的各类明细数据外，还包括清除职员记录，部门设置等所有用户数据", 168,
                      120, 340, 36);
  Label4 = StaticText(this, "Label4", "警告：", 150, 180, 60);
  Label4->Font()->SetColor(clRed);
  Label5 = StaticText(this, "Label5", "数据清除之后将不可恢复！", 190, 180, 300);
  Label5->Font()->SetColor(clRed);
  OkBtn1 = new TButton(this);
  OkBtn1->SetName("OkBtn1");
  OkBtn1->SetCaption("确定");
  OkBtn1->SetBounds(340, 288, 75, 25);
  OkBtn1->SetModalResult(mrOk);
  OkBtn1->SetParent(this);
  CancelBtn1 = new TButton(this);
  CancelBtn1->SetName("CancelBtn1");
  CancelBtn1->SetCaption("取消");
  CancelBtn1->SetBounds(428, 288, 75, 25);
  CancelBtn1->SetModalResult(mrCancel);
  CancelBtn1->SetCancel(true);
  CancelBtn1->SetParent(this);
  // A radio button that takes the focus becomes checked; neither range is chosen at first.
  SetActiveControl(CancelBtn1);
  EndLoading();
}

bool TClearDataFrm::CloseQuery()
{
  if (!TaFrm::CloseQuery())
    return false;
  if (ModalResult() != mrOk)
    return true;
  if (!RadioButton1->Checked() && !RadioButton2->Checked()) {
    ShowInfo("必须选择要清除的数据范围!");
    return false;
  }
  if (!ConfirmDelete("所选中的数据"))
    return false;
  // A failed clearing has changed nothing; it is shown and the window closes. Raised from
  // here it would reach the modal loop, which would ask to close (and clear) again.
  try {
    ClearTables(RadioButton2->Checked());
  } catch (const Exception& E) {
    ShowAppException(E);
    SetModalResult(mrAbort);
    return true;
  }
  ShowInfo("操作已完成,软件将需要重新启动!");
  if (TCustomForm* main = Application()->MainForm())
    main->Close();
  RestartProgram();
  return true;
}

std::vector<AnsiString> TClearDataFrm::ClearedTables(bool AllData)
{
  std::vector<AnsiString> tables{"gz_accountemp", "certificates", "tests",        "Zpapply",
                                 "Zpjobs",        "Trains",       "TrainCourses", "TrainOrgans",
                                 "contracts",     "postmove",     "rewards",      "vacation",
                                 "emptrials"};
  if (AllData)
    for (const char* table :
         {"empback", "empjout", "empjoin", "photo", "empimages", "employee", "department"})
      tables.push_back(table);
  return tables;
}

void TClearDataFrm::ClearTables(bool AllData)
{
  Db->BeginTrans();
  try {
    for (const AnsiString& table : ClearedTables(AllData))
      Db->Execute(GbkToWide("delete from " + table));
  } catch (...) {
    Db->RollbackTrans();
    throw;
  }
  Db->CommitTrans();
}

void ShowClearData()
{
  std::unique_ptr<TClearDataFrm> form(new TClearDataFrm(Application()));
  form->ShowModal();
}
