// TADOConnection, the ADO-like datasets and TADOCommand (ADODB.h) over the drivers of
// DriverPrivate.h.
#include "platform/data/ADODB.h"

#include <algorithm>

#include "platform/data/DataUnitsPrivate.h"
#include "platform/data/DriverPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"

using data_detail::TBoundParam;
using data_detail::TResultSet;

// ---- Class registration ----

void RegisterADODBClasses()
{
  RegisterEnumType<TADOLockType>("TADOLockType", {"ltUnspecified", "ltReadOnly", "ltPessimistic",
                                                  "ltOptimistic", "ltBatchOptimistic"});
  RegisterEnumType<TExecuteOption>(
      "TExecuteOption",
      {"eoAsyncExecute", "eoAsyncFetch", "eoAsyncFetchNonBlocking", "eoExecuteNoRecords"});
  RegisterSetType<TExecuteOptions>("TExecuteOptions");
  using C = TADOConnection;
  // Connected is not stored: a stream that opened connections while it is read would
  // reach for a database before the program has chosen one.
  TClassRegistration<C, TComponent>("TADOConnection")
      .Property("ConnectionString", &C::ConnectionString, &C::SetConnectionString)
      .Property("LoginPrompt", &C::LoginPrompt, &C::SetLoginPrompt)
      .Default(true)
      .Property("CommandTimeout", &C::CommandTimeout, &C::SetCommandTimeout)
      .Default(30)
      .Property("ConnectionTimeout", &C::ConnectionTimeout, &C::SetConnectionTimeout)
      .Default(15)
      .Property("Connected", &C::Connected, &C::SetConnected)
      .Stored(false)
      .Property("BeforeConnect", &C::BeforeConnect, &C::BeforeConnect)
      .Property("AfterConnect", &C::AfterConnect, &C::AfterConnect)
      .Property("BeforeDisconnect", &C::BeforeDisconnect, &C::BeforeDisconnect)
      .Property("AfterDisconnect", &C::AfterDisconnect, &C::AfterDisconnect);
  using D = TCustomADODataSet;
  TClassRegistration<D, TDataSet>("TCustomADODataSet")
      .Property("Connection", &D::Connection, &D::SetConnection)
      .Property("CommandTimeout", &D::CommandTimeout, &D::SetCommandTimeout)
      .Default(30)
      .Property("Params", &D::Params)
      .Property("LockType", &D::LockType, &D::SetLockType)
      .Default(ltOptimistic)
      .Property("ExecuteOptions", &D::ExecuteOptions, &D::SetExecuteOptions)
      .Property("ParamCheck", &D::ParamCheck, &D::SetParamCheck)
      .Default(true)
      .Property("Prepared", &D::Prepared, &D::SetPrepared)
      .Default(false);
  TClassRegistration<TADOQuery, D>("TADOQuery")
      .Property("DataSource", &D::DataSource, &D::SetDataSource)
      .Property("SQL", &TADOQuery::SQL, &TADOQuery::SetSQL);
  TClassRegistration<TADODataSet, D>("TADODataSet")
      .Property("CommandText", &D::CommandText, &D::SetCommandText)
      .Property("DataSource", &D::DataSource, &D::SetDataSource);
  TClassRegistration<TADOCommand, TComponent>("TADOCommand")
      .Property("Connection", &TADOCommand::Connection, &TADOCommand::SetConnection)
      .Property("CommandText", &TADOCommand::CommandText, &TADOCommand::SetCommandText)
      .Property("CommandTimeout", &TADOCommand::CommandTimeout, &TADOCommand::SetCommandTimeout)
      .Default(30)
      .Property("ExecuteOptions", &TADOCommand::ExecuteOptions, &TADOCommand::SetExecuteOptions)
      .Property("Params", &TADOCommand::Params)
      .Property("Prepared", &TADOCommand::Prepared, &TADOCommand::SetPrepared)
      .Default(false);
  RegisterClasses({ClassInfoOf<TADOConnection>(), ClassInfoOf<TADOQuery>(),
                   ClassInfoOf<TADODataSet>(), ClassInfoOf<TADOCommand>()});
}

namespace {

constexpr const char* SConnectionClosed = "Operation is not allowed when the object is closed";
constexpr const char* SMissingConnection = "Missing Connection or ConnectionString";
constexpr const char* SNoResultSet = "CommandText does not return a result set";
constexpr const char* SSeveralStatementsWithParams =
    "A command with parameters can hold only one statement";

// Keeps Params in step with the statement's ":Name" markers, keeping the values of names
// that stay.
void UpdateParams(TParams* Params, const AnsiString& Sql)
{
  TParams old;
  old.Assign(Params);
  Params->Clear();
  for (const AnsiString& name : ParseSqlParamNames(Sql))
    Params->AddParam(name);
  Params->AssignValues(&old);
}

// Runs Sql with the values of Params on the connection's driver.
TResultSet RunStatement(TADOConnection* Connection, const AnsiString& Sql, TParams* Params,
                        bool WantRows, Integer Timeout, TComponent* Owner)
{
  std::vector<AnsiString> names = ParseSqlParamNames(Sql);
  if (!names.empty() && data_detail::CountSqlStatements(Sql) > 1)
    DatabaseError(SSeveralStatementsWithParams, Owner);
  std::vector<TBoundParam> bound;
  bound.reserve(names.size());
  for (const AnsiString& name : names) {
    TParam* p = Params->FindParam(name);
    if (!p)
      DatabaseErrorFmt(SParameterNotFound, name, Owner);
    bound.push_back({p->Value(), p->DataType()});
  }
  data_detail::TDriver* driver = Connection->Driver();
  AnsiString text = data_detail::RewriteSql(Sql, driver->Dialect(), names);
  return driver->Execute(text, bound, WantRows, Timeout);
}

} // namespace

// ---- TADOConnection ----

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner) {}

TADOConnection::~TADOConnection()
{
  try {
    Close();
  } catch (...) {
  }
  for (TCustomADODataSet* ds : FDataSets)
    ds->FConnection = nullptr;
}

void TADOConnection::SetConnectionString(const AnsiString& Value)
{
  if (Value == FConnectionString)
    return;
  Close();
  FConnectionString = Value;
}

bool TADOConnection::Connected() const
{
  return FDriver && FDriver->Alive();
}

void TADOConnection::SetConnected(bool Value)
{
  if (Value)
    Open();
  else
    Close();
}

bool TADOConnection::IsSQLite() const
{
  return Trim(ConnectionItemValue(ParseConnectionString(FConnectionString), "Provider")) ==
         JetProvider;
}

void TADOConnection::Open()
{
  if (Connected())
    return;
  // A connection the server or the file system took away is closed before it reconnects.
  Close();
  if (BeforeConnect)
    BeforeConnect(this);
  std::vector<TConnectionItem> items = ParseConnectionString(FConnectionString);
  if (IsSQLite()) {
    FDriver = data_detail::CreateSQLiteDriver(items, FConnectionTimeout);
  } else {
    if (ConnectionItemValue(items, "Initial Catalog").empty() && !FDefaultDatabase.empty())
      items.push_back({"Initial Catalog", FDefaultDatabase});
    FDriver = data_detail::CreatePostgreSQLDriver(items, FConnectionTimeout, FCommandTimeout);
  }
  FInTransaction = false;
  if (AfterConnect)
    AfterConnect(this);
}

void TADOConnection::Close()
{
  if (!FDriver)
    return;
  if (BeforeDisconnect)
    BeforeDisconnect(this);
  auto sets = FDataSets;
  for (TCustomADODataSet* ds : sets)
    ds->Close();
  FDriver.reset();
  FInTransaction = false;
  if (AfterDisconnect)
    AfterDisconnect(this);
}

void TADOConnection::CheckConnected()
{
  // A connection that was lost still has its driver, which tells why it cannot run.
  if (!FDriver)
    DatabaseError(SConnectionClosed, this);
}

Integer TADOConnection::BeginTrans()
{
  CheckConnected();
  FDriver->BeginTrans();
  FInTransaction = true;
  return 1;
}

void TADOConnection::CommitTrans()
{
  CheckConnected();
  FInTransaction = false;
  FDriver->CommitTrans();
}

void TADOConnection::RollbackTrans()
{
  CheckConnected();
  FInTransaction = false;
  FDriver->RollbackTrans();
}

AnsiString TADOConnection::DefaultDatabase() const
{
  return FDriver ? FDriver->DatabaseName() : FDefaultDatabase;
}

void TADOConnection::SetDefaultDatabase(const AnsiString& Value)
{
  FDefaultDatabase = Value;
}

Integer TADOConnection::Execute(const AnsiString& CommandText)
{
  CheckConnected();
  TParams none;
  return RunStatement(this, CommandText, &none, false, FCommandTimeout, this).RowsAffected;
}

void TADOConnection::BackupTo(const AnsiString& Path)
{
  CheckConnected();
  FDriver->Backup(Path);
}

void TADOConnection::RestoreFrom(const AnsiString& Path,
                                 const std::vector<AnsiString>& RequiredTables)
{
  CheckConnected();
  auto sets = FDataSets;
  for (TCustomADODataSet* ds : sets)
    ds->Close();
  FDriver->Restore(Path, RequiredTables);
}

void TADOConnection::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
}

void TADOConnection::AddDataSet(TCustomADODataSet* DataSet)
{
  FDataSets.push_back(DataSet);
}

void TADOConnection::RemoveDataSet(TCustomADODataSet* DataSet)
{
  FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), DataSet), FDataSets.end());
}

// ---- TCustomADODataSet ----

TCustomADODataSet::TCustomADODataSet(TComponent* AOwner)
    : TDataSet(AOwner), FParams(std::make_unique<TParams>(this)),
      FMasterLink(std::make_unique<TMasterDataLink>(this))
{
}

TCustomADODataSet::~TCustomADODataSet()
{
  try {
    Close();
  } catch (...) {
  }
  FMasterLink->SetDataSource(nullptr);
  if (FConnection) {
    FConnection->RemoveDataSet(this);
    FConnection->RemoveFreeNotification(this);
  }
}

void TCustomADODataSet::SetConnection(TADOConnection* Value)
{
  if (Value == FConnection)
    return;
  Close();
  if (FConnection) {
    FConnection->RemoveDataSet(this);
    FConnection->RemoveFreeNotification(this);
  }
  FConnection = Value;
  if (Value) {
    Value->AddDataSet(this);
    Value->FreeNotification(this);
  }
}

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation)
{
  TDataSet::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FConnection) {
    Close();
    FConnection->RemoveDataSet(this);
    FConnection = nullptr;
  }
  if (AComponent == FMasterLink->DataSource())
    FMasterLink->SetDataSource(nullptr);
}

void TCustomADODataSet::SetCommandText(const AnsiString& Value)
{
  Close();
  FCommandText = Value;
  if (FParamCheck)
    UpdateParams(FParams.get(), Value);
}

void TCustomADODataSet::SetDataSource(TDataSource* Value)
{
  if (Value == FMasterLink->DataSource())
    return;
  if (Value && Value->IsLinkedTo(this))
    DatabaseError(SCircularDataLink, this);
  if (Value && Value->DataSet() == this)
    DatabaseError(SCircularDataLink, this);
  if (TDataSource* old = FMasterLink->DataSource())
    old->RemoveFreeNotification(this);
  FMasterLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
}

void TCustomADODataSet::MasterChanged()
{
  if (!Active())
    return;
  Close();
  Open();
}

void TCustomADODataSet::FetchResult(bool DefinitionsOnly)
{
  if (!FConnection)
    DatabaseError(SMissingConnection, this);
  FConnection->Open();
  // Parameters named like a master field take its value.
  if (FMasterLink->Active())
    if (TDataSet* master = FMasterLink->DataSet())
      for (Integer i = 0; i < FParams->Count(); ++i)
        if (TField* f = master->FindField(FParams->Items(i)->Name()))
          FParams->Items(i)->SetValue(f->AsVariant());
  TResultSet result =
      RunStatement(FConnection, FCommandText, FParams.get(), true, FCommandTimeout, this);
  if (result.Columns.empty())
    DatabaseError(SNoResultSet, this);
  FieldDefs()->Clear();
  for (const auto& col : result.Columns) {
    AnsiString name = col.Name;
    // A repeated column name gets a number ("ID_1"), as the ADO providers name it.
    for (Integer n = 1; FieldDefs()->IndexOf(name) >= 0; ++n)
      name = col.Name + "_" + IntToStr(n);
    FieldDefs()->Add(name, col.DataType == ftUnknown ? ftString : col.DataType, col.Size);
  }
  if (DefinitionsOnly)
    return;
  for (auto& row : result.Rows)
    AddStoredRecord(std::move(row));
}

void TCustomADODataSet::InternalOpen()
{
  FetchResult(false);
}

void TCustomADODataSet::InternalClose() {}

void TCustomADODataSet::InternalInitFieldDefs()
{
  FetchResult(true);
}

void TCustomADODataSet::InternalRefresh()
{
  ClearStoredRecords();
  FetchResult(false);
}

Integer TCustomADODataSet::ExecStatement()
{
  if (!FConnection)
    DatabaseError(SMissingConnection, this);
  FConnection->Open();
  FRowsAffected =
      RunStatement(FConnection, FCommandText, FParams.get(), false, FCommandTimeout, this)
          .RowsAffected;
  return FRowsAffected;
}

// ---- TADOQuery ----

TADOQuery::TADOQuery(TComponent* AOwner)
    : TCustomADODataSet(AOwner), FSQL(std::make_unique<TStringList>())
{
  FSQL->OnChange = TNotifyEvent::Bind(this, &TADOQuery::SQLChanged);
}

TADOQuery::~TADOQuery()
{
  FSQL->OnChange = nullptr;
}

void TADOQuery::SQLChanged(TObject*)
{
  SetCommandText(FSQL->Text());
}

// ---- TADOCommand ----

TADOCommand::TADOCommand(TComponent* AOwner)
    : TComponent(AOwner), FParams(std::make_unique<TParams>(this))
{
}

TADOCommand::~TADOCommand()
{
  if (FConnection)
    FConnection->RemoveFreeNotification(this);
}

void TADOCommand::SetConnection(TADOConnection* Value)
{
  if (Value == FConnection)
    return;
  if (FConnection)
    FConnection->RemoveFreeNotification(this);
  FConnection = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TADOCommand::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FConnection)
    FConnection = nullptr;
}

void TADOCommand::SetCommandText(const AnsiString& Value)
{
  FCommandText = Value;
  UpdateParams(FParams.get(), Value);
}

Integer TADOCommand::Execute()
{
  if (!FConnection)
    DatabaseError(SMissingConnection, this);
  FConnection->Open();
  return RunStatement(FConnection, FCommandText, FParams.get(), false, FCommandTimeout, this)
      .RowsAffected;
}
