// The program's settings and administrative records: the identity texts, the cfg.ini
// settings with the connection strings they give (TConfiger), and the company, operator,
// key-value and pick-list records over the database.
#pragma once

#include <memory>

#include "app/Database.h"
#include "app/qhRep.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class TIniFile;

// The program's identity texts, stored by the program entry before anything else runs.
extern AnsiString ProductTitle;
extern AnsiString ProductVersion;
extern AnsiString ProductCode;
extern AnsiString ProductBuild;
extern AnsiString ProductShortName;

// ---------------------------------------------------------------------------------------
// cfg.ini

// The entries of the configuration dialog as typed, the port still as text.
struct TConfigEntries {
  AnsiString MssqlServer;
  AnsiString MssqlPort;
  AnsiString MssqlDb;
  AnsiString MssqlUser;
  AnsiString MssqlPw;
  bool SmartConnect = false;
  AnsiString JetFile;
  AnsiString JetUser;
  AnsiString JetPw;
  AnsiString DipUrl;
  AnsiString DipUser;
  bool DefaultCon = true;
  Integer ProviderIdx = 0;
};

// The database settings kept in cfg.ini in the program's directory. Passwords, the Jet
// file and the last connection string are stored scrambled (ScrambleText).
class TConfiger : public TObject {
public:
  // Opens cfg.ini and reads every setting (defaults for a missing file or key).
  TConfiger();
  ~TConfiger() override;

  // "<program dir>/cfg.ini".
  static AnsiString ConfigFileName();

  // Provider choice: 0 SQL Server, 1 Jet file, 2 DIP lookup.
  Integer ProviderIdx = 0;
  // With provider 1: use the default database beside the program.
  bool DefaultCon = true;
  AnsiString MssqlServer;
  Integer MssqlPort = 1433;
  AnsiString MssqlDb;
  AnsiString MssqlUser;
  AnsiString MssqlPw;
  AnsiString JetFile;
  AnsiString JetUser;
  AnsiString JetPw;
  AnsiString DipUrl;
  AnsiString DipUser;
  // Not stored: with provider 0, saving deletes the client alias instead of writing it.
  bool SmartConnect = false;

  // Writes the settings and the connection string of the chosen provider, all in one
  // replacement of the file: when cfg.ini cannot be written, EIniFileException is raised
  // and the previous file stays as it was.
  void SaveConfig();
  // Takes the dialog's entries and saves them. The port is converted first, so a port
  // that is not a number raises EConvertError before any setting changes or is saved.
  void SaveEntries(const TConfigEntries& Entries);
  // The connection string for the chosen provider.
  WideString GetConnectionString();
  // Writes (or, with Delete, removes) the client alias of Server in the machine's store:
  // "DBMSSOCN,<server>[,<port>]". A key that cannot be opened is silently left alone.
  void SetClientAlias(const AnsiString& Server, const AnsiString& Port, bool Delete);
  // Asks the DIP service for the server's connection data; empty when it gives no
  // usable answer (a failed request is reported with ShowInfo).
  WideString FetchDipConnection();

  AnsiString ReadLastLoginId();
  void WriteLastLoginId(const AnsiString& Id);

  TIniFile* IniFile() const { return FIni.get(); }

private:
  std::unique_ptr<TIniFile> FIni;
};

// The connection string templates filled in; values holding ';' or beginning with a quote
// are quoted.
AnsiString SqlServerConnectionString(const AnsiString& User, const AnsiString& Password,
                                     const AnsiString& Database, const AnsiString& Server);
AnsiString JetConnectionString(const AnsiString& Password, const AnsiString& FileName);
AnsiString DefaultJetConnectionString(const AnsiString& FileName);
AnsiString DipConnectionString(const AnsiString& Server, const AnsiString& User,
                               const AnsiString& Password, const AnsiString& Database);

// What the DIP server answers: five lines (CR LF, CR or LF) naming the server, its client
// alias, the user, the password and the database.
struct TDipReply {
  AnsiString Server;
  AnsiString Alias;
  AnsiString User;
  AnsiString Password;
  AnsiString Database;
};
// Reads a reply into Result; false, leaving Result alone, unless it has exactly five lines.
bool ParseDipReply(const AnsiString& Reply, TDipReply& Result);
// The default database: "<program dir>/<ProductShortName>.mdb", or the executable's path
// with ".mdb" when the short name is empty.
AnsiString DefaultDatabaseFileName();

// ---------------------------------------------------------------------------------------
// Records

// Right codes (see TOperator::HasRight).
constexpr Integer RightClearData = 100;
constexpr Integer RightCompanyInfo = 10000;
constexpr Integer RightOperators = 100001;
constexpr Integer RightPrint = 10002;
constexpr Integer RightPrintDesign = 10003;
constexpr Integer RightDataExport = 10004;
constexpr Integer RightBackupSettings = 10005;
constexpr Integer RightColumnStyleSave = 10006;
constexpr Integer RightToolMenuSettings = 10007;
constexpr Integer RightColumnSelect = 10008;

// The one company row.
class TCompany : public TObject {
public:
  Integer Id = 0;
  AnsiString CompanyName;
  AnsiString Manager;
  AnsiString Tel;
  AnsiString Fax;
  AnsiString Address;
  AnsiString Zip;
  WideString Profile;
  Integer UseCount = 0;
  // Read from the row and written back unchanged.
  bool Updated = false;

  // Reads the first row of Company (no row: zeros, empty texts, false).
  void LoadCompany();
  // Updates the row of Id, or inserts it when there is none.
  void SaveCompany();
  bool CompanyExists();
  // Stores N as the row's use count and keeps it.
  void SetUseCount(Integer N);
  // The name is longer than 7 bytes (at least four Chinese characters).
  bool IsCompanyFilled() const;
  // Every field and the use count, each followed by CR LF.
  WideString CompanyText() const;
};

// An operator and the rights model: Rights holds ",code," for every granted right; the
// login id "sa" (exactly) has every right.
class TOperator : public TObject {
public:
  AnsiString LoginId;
  AnsiString Password;
  AnsiString Name;
  AnsiString Contact;
  AnsiString Note;
  WideString Rights;

  // Empties every field.
  void Clear();
  // Loads the operator of that id. The fields are emptied first, so an id that does not
  // exist leaves an operator whose password check fails.
  void LoadOperator(const AnsiString& ALoginId);
  // True when an operator is loaded and the password matches exactly.
  bool CheckPassword(const AnsiString& APassword) const;
  bool HasRight(Integer Code) const;
  // HasRight; otherwise shows the refusal and, with Abort, ends the command silently
  // (EAbort), else returns false.
  bool CheckRight(Integer Code, bool Abort);
  // Stores a new password for this operator.
  void SavePassword(const AnsiString& NewPassword);
};

// The operator list (without "sa"), kept in step with the table by its own methods.
class TOperatorSet : public TRecordSet {
public:
  TOperatorSet();

  TStringField* UserIdField() const { return FUserIdField; }
  TStringField* PasswdField() const { return FPasswdField; }
  TStringField* NameField() const { return FNameField; }
  TStringField* ContactField() const { return FContactField; }
  TStringField* NoteField() const { return FNoteField; }
  TMemoField* RightsField() const { return FRightsField; }

  void AddOperator(const AnsiString& LoginId, const AnsiString& Password, const WideString& Rights,
                   const AnsiString& Note, const AnsiString& Contact, const AnsiString& Name);
  void UpdateOperator(const AnsiString& LoginId, const AnsiString& Password,
                      const WideString& Rights, const AnsiString& Note, const AnsiString& Contact,
                      const AnsiString& Name);
  void DeleteOperator(const AnsiString& LoginId);

private:
  void SetValues(const AnsiString& LoginId, const AnsiString& Password, const WideString& Rights,
                 const AnsiString& Note, const AnsiString& Contact, const AnsiString& Name);

  TStringField* FUserIdField;
  TStringField* FPasswdField;
  TStringField* FNameField;
  TStringField* FContactField;
  TStringField* FNoteField;
  TMemoField* FRightsField;
};

// Per-key settings: one keyvalue row per key, the set opened on first use and kept open.
class TKeyValue2 : public TRecordSet {
public:
  TKeyValue2();

  // Key 0: show the feedback form at exit; 1: the tip of the day at start; 2: unused.
  bool FeedbackPrompt() { return GetFlag(0); }
  void SetFeedbackPrompt(bool Value) { SetFlag(0, Value); }
  bool DailyTipPrompt() { return GetFlag(1); }
  void SetDailyTipPrompt(bool Value) { SetFlag(1, Value); }
  bool GetStartPrompt() { return GetFlag(2); }
  void SetGetStartPrompt(bool Value) { SetFlag(2, Value); }

  void EnsureOpen();
  // Makes the key's row current, inserting the row first when it is missing.
  void SeekKey(Integer Key);
  // Updates the key's row, or inserts it when the update touched none; true when one row
  // was written.
  static bool StoreKeyValue(Integer Key, const AnsiString& Vstr, bool Vbool, Double Vfloat,
                            Integer Vint);
  // StoreKeyValue, then the same values in the current row of the set.
  bool StoreValues(Integer Key, const AnsiString& Vstr, bool Vbool, Double Vfloat, Integer Vint);

  TIntegerField* KeyIdField() const { return FKeyId; }
  TIntegerField* VintField() const { return FVint; }
  TMemoField* VstrField() const { return FVstr; }
  TFloatField* VfloatField() const { return FVfloat; }
  TBooleanField* VboolField() const { return FVbool; }

private:
  bool GetFlag(Integer Key);
  void SetFlag(Integer Key, bool Value);

  TIntegerField* FKeyId;
  TIntegerField* FVint;
  TMemoField* FVstr;
  TFloatField* FVfloat;
  TBooleanField* FVbool;
};

// The pick lists: one options row per list, keys counting up from 1.
class TPickListSet : public TRecordSet {
public:
  TPickListSet();

  void EnsureOpen(bool Force);
  Integer Count();
  // Adds empty lists until there are N; never removes any.
  void SetCount(Integer N);

  TIntegerField* KeyField() const { return FKey; }
  TWideStringField* LabelField() const { return FLabel; }
  TMemoField* ListField() const { return FList; }

private:
  TIntegerField* FKey;
  TWideStringField* FLabel;
  TMemoField* FList;
};

// ---------------------------------------------------------------------------------------
// Reports

// The report wrapper with the company and operator values as report variables: u_Company,
// u_Tel, u_Fax, u_Address, u_Zip and u_Operator (the login id).
class TProjRep : public TRep {
public:
  TProjRep();
};

// The user reports of the report table.
class TRepSet : public TRecordSet {
public:
  TRepSet();

  TIntegerField* IdField() const { return FIdField; }
  TWideStringField* TitleField() const { return FTitleField; }

  // Opens the reports of a group ordered by title; returns their count.
  Integer OpenGroup(Integer GroupId);

private:
  TIntegerField* FIdField;
  TWideStringField* FTitleField;
};

// The report catalogue of a group (Reporter.h), after the print right's check (a refusal
// ends the command silently): the reports may be previewed, and with the print-design right
// added, renamed, deleted and designed. DataSets are offered to the reports as "d0", "d1", ...
void ShowReports(const std::vector<TDataSet*>& DataSets, Integer GroupId);

// The program-wide records, from the unit's initialization to its finalization.
extern TCompany* CurrentCompany;
extern TOperator* CurrentOperator;
extern TKeyValue2* KeyValues;
extern TPickListSet* PickLists;

// Unit start-up: the date formats, Null read as 0 or empty, the program-wide records.
void qhProjInitialization();
// Frees the program-wide records and clears the identity texts.
void qhProjFinalization();
