#include "app/BackupFrm.h"

#include <memory>
#include <sys/stat.h>

#include "app/Database.h"
#include "app/Facade.h"
#include "app/qhLib.h"
#include "platform/data/Schema.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/FileCtrl.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Windows.h"

namespace {

const char* const BackupCopyFailed =
    "备份时,复制文件失败,请检查备份路径是否正确,或者目标文件已存在.";
const char* const RestoreCopyFailed = "恢复时,复制文件失败,请检查数据文件是否正在使用.";

// Opens the connection again when it is closed; reports nothing.
void Reconnect()
{
  if (!Db->Connected())
    Db->SetConnected(true);
}

// Reads the program's tables once, so a restored database that opens but cannot be used
// counts as a failed restore.
void ProbeDatabase()
{
  for (const AnsiString& table : SchemaTables())
    Db->Connection()->Execute("select count(*) from " + table);
}

// The file's identity on its device, 0 when it cannot be read: a replaced file has a new one.
ino_t FileIdentity(const AnsiString& Path)
{
  struct stat st {};
  return ::stat(GbkToUtf8(Path).c_str(), &st) == 0 ? st.st_ino : 0;
}

void RestoreEmbedded(const AnsiString& FileName)
{
  const AnsiString live = WideToGbk(Db->DataSourceName());
  if (!FileExists(FileName))
    throw Exception(RestoreCopyFailed);
  // The live database as it is now, beside it, until the restored one proves usable.
  const AnsiString kept = GetTempFileName(ExtractFilePath(live), "keep");
  if (kept.empty())
    throw Exception(RestoreCopyFailed);
  try {
    Db->Connection()->BackupTo(kept);
  } catch (const Exception&) {
    DeleteFile(kept);
    throw Exception(RestoreCopyFailed);
  }
  const ino_t before = FileIdentity(live);
  try {
    Db->Connection()->RestoreFrom(FileName, SchemaTables());
    ProbeDatabase();
  } catch (const Exception& E) {
    const bool replaced = FileIdentity(live) != before;
    Db->SetConnected(false);
    if (replaced || !FileExists(live)) {
      RenameFile(kept, live);
      DeleteFile(live + "-journal");
    }
    DeleteFile(kept);
    Reconnect();
    if (!replaced)
      throw Exception("恢复文件不是本系统的有效备份,数据库未作任何改动:\r\n" + E.Message());
    throw Exception(AnsiString(RestoreCopyFailed) + "\r\n" + E.Message());
  }
  DeleteFile(kept);
}

void RestoreServer(const AnsiString& FileName)
{
  if (!FileExists(FileName))
    throw Exception("恢复文件不存在:\r\n" + FileName);
  try {
    Db->Connection()->RestoreFrom(FileName, SchemaTables());
  } catch (const Exception&) {
    Db->SetConnected(false);
    Reconnect();
    throw;
  }
  Db->SetConnected(false);
  Reconnect();
}

} // namespace

void TFrmBackup::BackupDatabase(const AnsiString& FileName)
{
  if (!Db->IsSqlServer()) {
    try {
      Db->Connection()->BackupTo(FileName);
    } catch (const Exception&) {
      throw Exception(BackupCopyFailed);
    }
    return;
  }
  Db->Connection()->BackupTo(FileName);
}

void TFrmBackup::RestoreDatabase(const AnsiString& FileName)
{
  SharedRecordSet->DataSet()->Close();
  if (Db->IsSqlServer())
    RestoreServer(FileName);
  else
    RestoreEmbedded(FileName);
}

TBackupSettings TFrmBackup::LoadSettings()
{
  TRecordSet set;
  set.Open(u"select * from [backup]");
  TBackupSettings result;
  TDataSet* data = set.DataSet();
  if (!data->IsEmpty()) {
    data->First();
    result.TypeId = data->FieldByName("TypeId")->AsInteger();
    result.BackDir = data->FieldByName("BackDir")->AsString();
  }
  return result;
}

void TFrmBackup::StoreSettings(Integer TypeId, const AnsiString& BackDir)
{
  const std::vector<TDBParameter> values{MakeParam("TypeId", TypeId),
                                         MakeParam("BackDir", StoredBackDir(BackDir))};
  if (Db->ExecSql(u"update [backup] set TypeId=:TypeId, BackDir=:BackDir", values) > 0)
    return;
  Db->ExecSql(u"insert into [backup](TypeId, BackDir) values (:TypeId, :BackDir)", values);
}

AnsiString TFrmBackup::StoredBackDir(const AnsiString& BackDir)
{
  if (!BackDir.empty() && (BackDir.back() == '/' || BackDir.back() == '\\'))
    return BackDir;
  return BackDir + "/";
}

AnsiString TFrmBackup::AutoBackupFileName(const AnsiString& BackDir, TDateTime Day)
{
  return BackDir + "bak" + FormatDateTime("yyyymmdd", Day) + ".bak";
}

bool TFrmBackup::AutoBackupDue(Integer TypeId, TDateTime Day)
{
  switch (TypeId) {
  case bpEveryExit:
    return true;
  case bpEveryMonday:
    return DayOfWeek(Day) == 2;
  case bpFirstOfMonth:
    return DayOf(Day) == 1;
  default:
    return false;
  }
}

void TFrmBackup::AutoBackup()
{
  try {
    const TBackupSettings settings = LoadSettings();
    const TDateTime today = Now();
    if (AutoBackupDue(settings.TypeId, today))
      BackupDatabase(AutoBackupFileName(settings.BackDir, today));
  } catch (const Exception& E) {
    ShowInfo(E.Message());
  }
}

// ---- TFrmBackup ----

namespace {

const char* const BackupFilter = "备份文件(*.bak)|*.bak|所有文件(*.*)|*.*";

TButton* PlainButton(TWinControl* Parent, TComponent* Owner, const char* Name, const char* Caption,
                     Integer Left, Integer Top, Integer Width)
{
  auto* button = new TButton(Owner);
  button->SetName(Name);
  button->SetCaption(Caption);
  button->SetBounds(Left, Top, Width, 25);
  button->SetParent(Parent);
  return button;
}

} // namespace

TFrmBackup::TFrmBackup(TComponent* AOwner) : TADlgFrm(AOwner, fbInherited)
{
  SetName("FrmBackup");
  SetCaption("备份设置与恢复");
  SetClientWidth(485);
  SetClientHeight(303);

  RadioGroup1 = new TRadioGroup(this);
  RadioGroup1->SetName("RadioGroup1");
  RadioGroup1->SetCaption("备份计划");
  RadioGroup1->SetBounds(12, 10, 190, 200);
  RadioGroup1->SetParent(this);
  for (const char* plan : {"不备份", "每次系统退出时备份", "每周星期一备份", "每月一号备份"})
    RadioGroup1->Items()->Add(plan);

  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetCaption("备份目录");
  GroupBox1->SetBounds(214, 10, 259, 150);
  GroupBox1->SetParent(this);
  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetBounds(12, 24, 235, 36);
  Label1->SetWordWrap(true);
  Label1->SetCaption("注意：这里指的是数据库所在机器的目录.");
  Label1->SetParent(GroupBox1);
  edtBackDir1 = new app::TEdit(this);
  edtBackDir1->SetName("edtBackDir1");
  edtBackDir1->SetBounds(12, 70, 200, 21);
  edtBackDir1->SetParent(GroupBox1);
  Button2 = PlainButton(GroupBox1, this, "Button2", "...", 218, 68, 29);
  Button2->OnClick = TNotifyEvent::Bind(this, &TFrmBackup::Button2Click);

  Button3 = PlainButton(this, this, "Button3", "备份", 214, 180, 75);
  Button3->OnClick = TNotifyEvent::Bind(this, &TFrmBackup::Button3Click);
  Button1 = PlainButton(this, this, "Button1", "恢复", 298, 180, 75);
  Button1->OnClick = TNotifyEvent::Bind(this, &TFrmBackup::Button1Click);
  EndLoading();
}

AnsiString TFrmBackup::InitialDir() const
{
  return edtBackDir1->Text();
}

void TFrmBackup::Button2Click(TObject*)
{
  edtBackDir1->SetText(PickDirectory(edtBackDir1->Text()));
}

void TFrmBackup::Button3Click(TObject*)
{
  TSaveDialog dialog(nullptr);
  dialog.SetInitialDir(InitialDir());
  dialog.SetFilter(BackupFilter);
  dialog.SetDefaultExt("bak");
  if (!dialog.Execute())
    return;
  try {
    BackupDatabase(dialog.FileName());
  } catch (const Exception& E) {
    ShowInfo(E.Message());
    return;
  }
  ShowInfo("备份操作执行成功!");
}

void TFrmBackup::Button1Click(TObject*)
{
  TOpenDialog dialog(nullptr);
  dialog.SetInitialDir(InitialDir());
  dialog.SetFilter(BackupFilter);
  if (!dialog.Execute())
    return;
  if (AppMessageBox("\r\n您确定要进行数据恢复操作吗?\t", "警告", MB_OKCANCEL | MB_ICONWARNING) !=
      IDOK)
    return;
  try {
    RestoreDatabase(dialog.FileName());
  } catch (const Exception& E) {
    ShowInfo(E.Message());
    return;
  }
  ShowInfo("恢复操作执行成功!");
}

void TFrmBackup::EditBackupSettings()
{
  std::unique_ptr<TFrmBackup> form(new TFrmBackup(Application()));
  const TBackupSettings settings = LoadSettings();
  form->RadioGroup1->SetItemIndex(settings.TypeId);
  form->edtBackDir1->SetText(settings.BackDir);
  while (form->ShowModal() == mrOk) {
    try {
      StoreSettings(form->RadioGroup1->ItemIndex() < 0 ? 0 : form->RadioGroup1->ItemIndex(),
                    form->edtBackDir1->Text());
      return;
    } catch (const Exception& E) {
      ShowInfo(E.Message());
    }
  }
}

AnsiString TFrmBackup::PickDirectory(const AnsiString& InitialDir)
{
  std::unique_ptr<TDirPickerFrm> form(new TDirPickerFrm(Application()));
  try {
    if (!InitialDir.empty())
      form->DirectoryListBox1->SetDirectory(InitialDir);
  } catch (const Exception&) {
    // A directory that is not there: the picker starts where it is.
  }
  if (form->ShowModal() != mrOk)
    return InitialDir;
  return form->Label2->Caption();
}

// ---- TDirPickerFrm ----

TDirPickerFrm::TDirPickerFrm(TComponent* AOwner) : TADlgFrm(AOwner, fbInherited)
{
  SetName("DirPickerFrm");
  SetCaption("选择目录");
  SetClientHeight(330);
  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetBounds(12, 12, 200, 12);
  Label1->SetCaption("请选择备份目录");
  Label1->SetParent(this);
  DriveComboBox1 = new TDriveComboBox(this);
  DriveComboBox1->SetName("DriveComboBox1");
  DriveComboBox1->SetBounds(12, 32, 445, 20);
  DriveComboBox1->SetParent(this);
  DirectoryListBox1 = new TDirectoryListBox(this);
  DirectoryListBox1->SetName("DirectoryListBox1");
  DirectoryListBox1->SetBounds(12, 58, 445, 200);
  DirectoryListBox1->SetParent(this);
  Label2 = new TLabel(this);
  Label2->SetName("Label2");
  Label2->SetBounds(12, 266, 445, 12);
  Label2->SetParent(this);
  DirectoryListBox1->SetDirLabel(Label2);
  DriveComboBox1->SetDirList(DirectoryListBox1);
  EndLoading();
}

void BackupFrmInitialization()
{
  ProgramDialogs().BackupSettings = [] { TFrmBackup::EditBackupSettings(); };
  ProgramDialogs().AutoBackup = [] { TFrmBackup::AutoBackup(); };
}
