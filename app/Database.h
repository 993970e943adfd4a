// The program's database access layer: the one connection (Db), the shared record set for
// one-off reads (SharedRecordSet), statements with named parameters, and the
// connection-string helpers. Writes are explicit statements; reads open record sets whose
// local edits never reach the database.
#pragma once

#include <memory>
#include <vector>

#include "platform/data/ADODB.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

// One named value parameter of a statement.
struct TDBParameter {
  AnsiString Name;
  Variant Value;
};

// One named binary parameter, loaded from the stream (not owned) as a blob.
struct TxDBParameter {
  AnsiString Name;
  TStream* Stream = nullptr;
};
using TxDBParameters = std::vector<TxDBParameter>;

TDBParameter MakeParam(const AnsiString& Name, const Variant& Value);
TxDBParameter MakeStreamParam(const AnsiString& Name, TStream* Stream);
// Gives each named statement parameter its value, in order; a name the statement lacks
// raises the parameter error of the data layer.
void AssignParams(TParams* Parameters, const std::vector<TDBParameter>& Values);
// Loads each named statement parameter from its stream as a blob.
void AssignStreamParams(TParams* Parameters, const std::vector<TxDBParameter>& Blobs);

// The program's one connection.
class TDatabase : public TObject {
public:
  TDatabase();
  ~TDatabase() override;

  // Closes, takes the new connection string and opens. A failure is shown ("连接时失败,
  // 提示如下:" and the database's message) and gives false; nothing escapes.
  bool Connect(const WideString& ConnectionString);
  bool Connected() const;
  void SetConnected(bool Value);

  // A new command on the connection (time-out 300 s); the caller frees it.
  TADOCommand* CreateCommand(const WideString& Sql);
  // Runs a statement that returns no rows; returns the number of rows affected. A failure
  // raises EDatabaseError "<database message>\r\n<statement>".
  Integer ExecSql(const WideString& Sql, const std::vector<TDBParameter>& Values = {},
                  const std::vector<TxDBParameter>& Blobs = {});
  // The same through a command object, without a result.
  void Execute(const WideString& Sql, const std::vector<TDBParameter>& Values = {},
               const TxDBParameters& Blobs = {});

  // The value of one item of the current connection string (see ConnectionStringValue).
  WideString ConnectionValue(const AnsiString& Key) const;
  WideString DataSourceName() const { return ConnectionValue("Data Source"); }
  WideString ProviderName() const { return ConnectionValue("Provider"); }
  // Every provider but exactly "Microsoft.Jet.OLEDB.4.0" counts as the server database.
  bool IsSqlServer() const;

  void BeginTrans();
  void CommitTrans();
  void RollbackTrans();

  TADOConnection* Connection() const { return FConnection.get(); }

private:
  // Opens the connection when it is closed.
  void EnsureConnected();

  std::unique_ptr<TADOConnection> FConnection;
};

// A query over Db's connection.
class TQuerySet : public TComponent {
public:
  explicit TQuerySet(TComponent* AOwner);
  TQuerySet() : TQuerySet(nullptr) {}
  ~TQuerySet() override;

  TDataSet* DataSet() const { return FQuery; }
  TADOQuery* Query() const { return FQuery; }

  // Opens the statement with the given parameter values and returns the record count.
  // A failure is shown ("SQL语句错误,原文如下:" …) and leaves the set closed, so asking
  // for the count then raises the closed-set error, which ends the caller.
  Integer Open(const WideString& Sql, const std::vector<TDBParameter>& Values = {});

private:
  TADOQuery* FQuery;
};

// A data set over Db's connection whose local edits (append, edit, delete) stay local.
// Record-set classes derive from it and declare persistent fields with AddField in their
// constructors. An owner passed in is dropped: the creator frees the set.
class TRecordSet : public TComponent {
public:
  explicit TRecordSet(TComponent* AOwner = nullptr);
  ~TRecordSet() override;

  TDataSet* DataSet() const { return FDataSet; }
  TADODataSet* ADODataSet() const { return FDataSet; }
  // The current statement.
  WideString SqlText() const;

  // As TQuerySet::Open, with the statement as the data set's command text.
  Integer Open(const WideString& Sql, const std::vector<TDBParameter>& Values = {});
  // Deletes the current record locally when the set has any.
  virtual void DeleteCurrent();
  // Deletes every record locally.
  virtual void DeleteAll();

  // Creates a persistent field of class F owned by the data set, named Name with the
  // display label, attached to the set, visible or not; Size applies when 0 or more.
  template <class F>
  F* AddField(const AnsiString& Name, Integer Size, bool Visible, const AnsiString& DisplayLabel)
  {
    F* field = new F(FDataSet);
    SetUpField(field, Name, Size, Visible, DisplayLabel);
    return field;
  }

  // The field's text of every record, joined by Separator; "" for a closed or empty set.
  // Leaves the set after its last record.
  WideString JoinFieldValues(TField* Field, const AnsiString& Separator);

private:
  void SetUpField(TField* Field, const AnsiString& Name, Integer Size, bool Visible,
                  const AnsiString& DisplayLabel);

  TADODataSet* FDataSet;
};

// The program-wide connection and shared record set, from the unit's initialization to
// its finalization.
extern TDatabase* Db;
extern TRecordSet* SharedRecordSet;

// Unit start-up and shut-down (registered by RegisterAppUnits).
void DatabaseInitialization();
void DatabaseFinalization();

// Connection strings are "Key=Value" items separated by ';'. A value holding ';', beginning
// with a quote, or with a blank or control character at either end is written inside double
// quotes with inner double quotes doubled; other values are written as they are.
AnsiString QuoteConnectionValue(const AnsiString& Value);

// The value of the first item whose key is Key (exact, case-sensitive), with its quotes
// removed. The value ends at the next ';' outside quotes; an item not followed by ';' (the
// last one, usually) has no value, as the program has always read it.
AnsiString ConnectionStringValue(const AnsiString& ConnectionString, const AnsiString& Key);
