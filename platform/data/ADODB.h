// The database connection classes: connection, query, data set and command over the
// program's ADO connection strings. Provider "Microsoft.Jet.OLEDB.4.0" opens the Data Source
// path as an SQLite file; any other provider connects to PostgreSQL. Statements keep
// ":Name" parameters (our own parser) and pass a small dialect layer; text is GBK here and
// UTF-8 in the database. Datasets fetch the whole result: local edits never reach the
// database. DB.h has the dataset model; the drivers live in DriverPrivate.h.
#pragma once

#include <memory>
#include <vector>

#include "platform/data/DB.h"

namespace data_detail {
class TDriver;
}

enum TExecuteOption { eoAsyncExecute, eoAsyncFetch, eoAsyncFetchNonBlocking, eoExecuteNoRecords };
using TExecuteOptions = TSet<TExecuteOption>;

enum TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };

// The provider that selects the SQLite driver; every other provider means PostgreSQL.
inline constexpr const char* JetProvider = "Microsoft.Jet.OLEDB.4.0";

// One key=value item of a connection string.
struct TConnectionItem {
  AnsiString Key;
  AnsiString Value;
};

// Splits an OLE DB connection string: items separated by ';', blanks around keys and '='
// trimmed, values optionally quoted with '"' or '\'' (a doubled quote inside is one quote),
// so a quoted value may hold ';' and '='.
std::vector<TConnectionItem> ParseConnectionString(const AnsiString& ConnectionString);
// The value of Key (ignoring case) in a parsed connection string; "" when absent.
AnsiString ConnectionItemValue(const std::vector<TConnectionItem>& Items, const AnsiString& Key);

class TCustomADODataSet;

class TADOConnection : public TComponent {
public:
  explicit TADOConnection(TComponent* AOwner = nullptr);
  ~TADOConnection() override;

  AnsiString ConnectionString() const { return FConnectionString; }
  // Closes an open connection first.
  void SetConnectionString(const AnsiString& Value);
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool Value) { FLoginPrompt = Value; }
  // Seconds; 0 waits without limit.
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value) { FCommandTimeout = Value; }
  Integer ConnectionTimeout() const { return FConnectionTimeout; }
  void SetConnectionTimeout(Integer Value) { FConnectionTimeout = Value; }

  // Failures raise EDatabaseError with the database's own message.
  void Open();
  void Close();
  bool Connected() const;
  void SetConnected(bool Value);

  // Transactions; BeginTrans returns the nesting level (1).
  Integer BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return FInTransaction; }

  // The database (PostgreSQL catalog, or the SQLite file's path).
  AnsiString DefaultDatabase() const;
  void SetDefaultDatabase(const AnsiString& Value);
  // Whether this connection goes to SQLite (Jet provider).
  bool IsSQLite() const;

  // Runs a statement without parameters and returns the number of rows affected.
  Integer Execute(const AnsiString& CommandText);

  // Backups. SQLite: the online backup API writes a consistent copy to Path (replaced
  // atomically). PostgreSQL: pg_dump --format=custom into Path.
  void BackupTo(const AnsiString& Path);
  // SQLite: checks Path (an SQLite 3 file passing quick_check and holding the tables
  // named), then replaces the database file atomically and reconnects; on any failure the
  // old database stays. PostgreSQL: pg_restore --clean --if-exists --single-transaction.
  void RestoreFrom(const AnsiString& Path, const std::vector<AnsiString>& RequiredTables = {});

  TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

  // The driver of the open connection (library use).
  data_detail::TDriver* Driver() const { return FDriver.get(); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TCustomADODataSet;
  void CheckConnected();
  void AddDataSet(TCustomADODataSet* DataSet);
  void RemoveDataSet(TCustomADODataSet* DataSet);

  std::unique_ptr<data_detail::TDriver> FDriver;
  AnsiString FConnectionString;
  AnsiString FDefaultDatabase;
  bool FLoginPrompt = true;
  bool FInTransaction = false;
  Integer FCommandTimeout = 30;
  Integer FConnectionTimeout = 15;
  std::vector<TCustomADODataSet*> FDataSets;
};

// A statement with ":Name" parameters over a connection. Opening fetches the whole
// result; RecordCount is exact; edits stay local.
class TCustomADODataSet : public TDataSet {
public:
  explicit TCustomADODataSet(TComponent* AOwner = nullptr);
  ~TCustomADODataSet() override;

  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* Value);
  AnsiString CommandText() const { return FCommandText; }
  // Parses the parameters again, keeping the values of names still present.
  void SetCommandText(const AnsiString& Value);
  TParams* Params() const { return FParams.get(); }
  TParams* Parameters() const { return FParams.get(); }
  TParam* ParamByName(const AnsiString& Name) const { return FParams->ParamByName(Name); }
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool Value) { FParamCheck = Value; }
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value) { FCommandTimeout = Value; }
  TADOLockType LockType() const { return FLockType; }
  void SetLockType(TADOLockType Value) { FLockType = Value; }
  TExecuteOptions ExecuteOptions() const { return FExecuteOptions; }
  void SetExecuteOptions(TExecuteOptions Value) { FExecuteOptions = Value; }
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool Value) { FPrepared = Value; }
  // The master whose fields fill parameters of the same names; the set re-opens when the
  // master moves.
  void SetDataSource(TDataSource* Value);
  // Rows affected by the last ExecSQL.
  Integer RowsAffected() const { return FRowsAffected; }

protected:
  void InternalOpen() override;
  void InternalClose() override;
  void InternalRefresh() override;
  void InternalInitFieldDefs() override;
  TMasterDataLink* MasterLink() const override { return FMasterLink.get(); }
  void MasterChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Runs the statement without rows; returns rows affected.
  Integer ExecStatement();

private:
  friend class TADOConnection;
  void FetchResult(bool DefinitionsOnly);

  TADOConnection* FConnection = nullptr;
  AnsiString FCommandText;
  std::unique_ptr<TParams> FParams;
  std::unique_ptr<TMasterDataLink> FMasterLink;
  Integer FCommandTimeout = 30;
  TADOLockType FLockType = ltOptimistic;
  TExecuteOptions FExecuteOptions;
  bool FParamCheck = true;
  bool FPrepared = false;
  Integer FRowsAffected = 0;
};

class TADOQuery : public TCustomADODataSet {
public:
  explicit TADOQuery(TComponent* AOwner = nullptr);
  ~TADOQuery() override;
  // The statement's lines; a change re-parses the parameters.
  TStrings* SQL() const { return FSQL.get(); }
  void SetSQL(TStrings* Value) { FSQL->Assign(Value); }
  // Runs the statement; returns the number of rows affected.
  Integer ExecSQL() { return ExecStatement(); }

private:
  void SQLChanged(TObject* Sender);
  std::unique_ptr<TStringList> FSQL;
};

class TADODataSet : public TCustomADODataSet {
public:
  explicit TADODataSet(TComponent* AOwner = nullptr) : TCustomADODataSet(AOwner) {}
};

// A statement that returns no records.
class TADOCommand : public TComponent {
public:
  explicit TADOCommand(TComponent* AOwner = nullptr);
  ~TADOCommand() override;

  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* Value);
  AnsiString CommandText() const { return FCommandText; }
  void SetCommandText(const AnsiString& Value);
  TParams* Params() const { return FParams.get(); }
  TParams* Parameters() const { return FParams.get(); }
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value) { FCommandTimeout = Value; }
  TExecuteOptions ExecuteOptions() const { return FExecuteOptions; }
  void SetExecuteOptions(TExecuteOptions Value) { FExecuteOptions = Value; }
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool Value) { FPrepared = Value; }
  // Runs the statement; returns the number of rows affected.
  Integer Execute();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TADOConnection* FConnection = nullptr;
  AnsiString FCommandText;
  std::unique_ptr<TParams> FParams;
  Integer FCommandTimeout = 30;
  TExecuteOptions FExecuteOptions;
  bool FPrepared = false;
};

// The ":Name" parameters of a statement in order of first appearance, each name once
// (compared ignoring case). Quoted literals ('…', "…", […]) and comments (-- …, /* … */)
// are skipped; "::" is not a parameter.
std::vector<AnsiString> ParseSqlParamNames(const AnsiString& Sql);
