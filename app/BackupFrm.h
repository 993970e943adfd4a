// Backup and restore of the program's database, the backup plan kept in the one-row table
// [backup], and the automatic backup the plan asks for when the program ends. The embedded
// database is copied through SQLite's online backup and restored only from a file that
// checks out; the server database goes through pg_dump and pg_restore.
#pragma once

#include "app/Uis.h"
#include "app/aDlg.h"
#include "platform/rtl/Types.h"

class TButton;
class TDirectoryListBox;
class TDriveComboBox;
class TGroupBox;
class TLabel;
class TRadioGroup;

// The plans of [backup].TypeId.
enum TBackupPlan : Integer {
  bpNever = 0,       // "不备份"
  bpEveryExit = 1,   // "每次系统退出时备份"
  bpEveryMonday = 2, // "每周星期一备份"
  bpFirstOfMonth = 3 // "每月一号备份"
};

// The plan and directory as stored.
struct TBackupSettings {
  Integer TypeId = bpNever;
  AnsiString BackDir;
};

// The settings dialog "备份设置与恢复": the plan, the directory (with the directory picker),
// and backup and restore by hand.
class TFrmBackup : public TADlgFrm {
public:
  explicit TFrmBackup(TComponent* AOwner);

  TRadioGroup* RadioGroup1; // "备份计划"
  TGroupBox* GroupBox1;     // "备份目录"
  TLabel* Label1;           // the note on whose machine the directory is
  app::TEdit* edtBackDir1;
  TButton* Button2; // "...": the directory picker
  TButton* Button3; // "备份"
  TButton* Button1; // "恢复"

  // Shows the dialog with the stored settings until it is cancelled or OK stores them; a
  // failed store shows its error and shows the dialog again.
  static void EditBackupSettings();
  // The directory picker starting at InitialDir; InitialDir unless it ends with OK.
  static AnsiString PickDirectory(const AnsiString& InitialDir);

  // Writes a backup of the connected database to FileName, replacing an existing file.
  // The embedded database: a consistent copy through the online backup; a failure raises
  // "备份时,复制文件失败,…". The server database: pg_dump; its message is raised.
  static void BackupDatabase(const AnsiString& FileName);

  // Replaces the connected database with the backup in FileName. A file that is not a
  // backup of this program (not a database, damaged, or lacking the program's tables)
  // raises an error saying why and leaves the database untouched. The embedded database
  // keeps a copy of the live file until the restored one is connected and readable, and
  // puts it back otherwise. The connection is open again afterwards in every case.
  static void RestoreDatabase(const AnsiString& FileName);

  // The plan and directory of [backup]; a missing row reads as "不备份" and "".
  static TBackupSettings LoadSettings();
  // Stores the plan and the directory (given a trailing '/' when it lacks one); inserts
  // the row when the table has none. Raises the database's error.
  static void StoreSettings(Integer TypeId, const AnsiString& BackDir);

  // The directory as stored: with a trailing separator ('/' added unless it ends in '/'
  // or '\'); an empty directory gives "/".
  static AnsiString StoredBackDir(const AnsiString& BackDir);
  // BackDir + "bak" + the date as yyyymmdd + ".bak".
  static AnsiString AutoBackupFileName(const AnsiString& BackDir, TDateTime Day);
  // Whether the plan asks for a backup at the end of Day.
  static bool AutoBackupDue(Integer TypeId, TDateTime Day);

  // At program end: backs up to the plan's file when the plan asks for it today (by the
  // runtime's clock). Any error is shown in an information box; nothing escapes.
  static void AutoBackup();

private:
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button1Click(TObject* Sender);
  // The directory of the field for the file dialogs.
  AnsiString InitialDir() const;
};

// The directory picker "选择目录".
class TDirPickerFrm : public TADlgFrm {
public:
  explicit TDirPickerFrm(TComponent* AOwner);

  TLabel* Label1; // "请选择备份目录"
  TDriveComboBox* DriveComboBox1;
  TDirectoryListBox* DirectoryListBox1;
  TLabel* Label2; // the current directory
};

// The settings dialog, the directory picker and the automatic backup installed as the
// program's windows (unit start-up).
void BackupFrmInitialization();
