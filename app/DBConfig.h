// The database configuration dialog (TDBConfigFrm), shown after a failed connection: the
// provider (SQL Server, Jet file, DIP lookup) and its settings, read from cfg.ini when the
// dialog is made and written back by OK.
#pragma once

#include <memory>

#include "platform/ui/Forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TConfiger;
class TEdit;
class TLabel;
class TNotebook;
struct TConfigEntries;

class TDBConfigFrm : public TForm {
public:
  explicit TDBConfigFrm(TComponent* AOwner);
  ~TDBConfigFrm() override;

  // The settings as read at creation and as saved by OK.
  TConfiger* Configer() const { return FConfiger.get(); }
  // The entries as the controls hold them.
  TConfigEntries Entries() const;

  // With OK: the entries are saved; a port that is not a number or a cfg.ini that cannot
  // be written shows its error and keeps the dialog open with the entries as typed.
  bool CloseQuery() override;

  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label3;
  TLabel* Label4;
  TComboBox* ComboBox1;
  TNotebook* Notebook1;
  // "mssql"
  TEdit* mssqlServerEdit1;
  TEdit* mssqlPortEdit1;
  TEdit* mssqlDbEdit1;
  TEdit* mssqlUserEdit1;
  TEdit* mssqlPwEdit1;
  TCheckBox* CheckBox1;
  // "jet4"
  TEdit* jetfileEdit1;
  TButton* jetFileButton1;
  TEdit* jetUserEdit1;
  TEdit* jetPwEdit1;
  TCheckBox* jetDefaultCheckBox1;
  // "qhdip"
  TEdit* edtDipUrl1;
  TEdit* edtDipUser1;
  TButton* Button1; // "确定(&Y)"
  TButton* Button2; // "取消"

protected:
  void KeyPress(char& Key) override;

private:
  void ComboBox1Change(TObject* Sender);
  void jetDefaultCheckBox1Click(TObject* Sender);
  void jetFileButton1Click(TObject* Sender);
  // Enables the Jet fields unless the default database is chosen.
  void ApplyJetDefault();

  std::unique_ptr<TConfiger> FConfiger;
};
