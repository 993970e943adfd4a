#include "app/Database.h"

#include "app/qhLib.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"

TDatabase* Db = nullptr;
TRecordSet* SharedRecordSet = nullptr;

namespace {

// Time-outs in seconds: statements run by the connection itself and by its commands, and
// those of the record sets.
constexpr Integer ConnectionCommandTimeout = 300;
constexpr Integer ConnectionTimeout = 120;
constexpr Integer SetCommandTimeout = 120;

// Sets the statement and its values on a data set and opens it. A failing statement is
// shown and leaves the set closed; the record count of a closed set raises, which ends
// the caller there.
Integer OpenDataSet(TCustomADODataSet* Set, const WideString& Sql,
                    const std::vector<TDBParameter>& Values)
{
  Db->Connection()->Open();
  const AnsiString text = WideToGbk(Sql);
  Set->Close();
  Set->SetCommandText(text);
  AssignParams(Set->Parameters(), Values);
  try {
    Set->Open();
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    ShowInfo("SQL语句错误,原文如下:\r\n" + text + "\r\n\r\n错误提示:\r\n" + e.Message());
  }
  return Set->RecordCount();
}

bool IsQuote(char c)
{
  return c == '"' || c == '\'';
}

AnsiString Trimmed(const AnsiString& s)
{
  size_t b = 0;
  size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return s.substr(b, e - b);
}

// One "Key=Value" item read from Pos on; Pos ends after the item's ';' (or at the end).
struct TItemRead {
  AnsiString Key;
  AnsiString Value;
  bool Terminated = false; // a ';' ended the item
};

// Reads a quoted value starting at the quote at Pos: the quote character doubled inside
// stands for itself. Pos ends after the closing quote (or at the end when none).
AnsiString ReadQuoted(const AnsiString& s, size_t& pos)
{
  const char quote = s[pos++];
  AnsiString value;
  while (pos < s.size()) {
    const char c = s[pos++];
    if (c != quote) {
      value += c;
      continue;
    }
    if (pos < s.size() && s[pos] == quote) {
      value += quote;
      ++pos;
      continue;
    }
    break;
  }
  return value;
}

TItemRead ReadItem(const AnsiString& s, size_t& pos)
{
  TItemRead item;
  const size_t eq = s.find_first_of("=;", pos);
  if (eq == AnsiString::npos || s[eq] == ';') {
    item.Key = Trimmed(s.substr(pos, eq == AnsiString::npos ? AnsiString::npos : eq - pos));
    item.Terminated = eq != AnsiString::npos;
    pos = eq == AnsiString::npos ? s.size() : eq + 1;
    return item;
  }
  item.Key = Trimmed(s.substr(pos, eq - pos));
  pos = eq + 1;
  size_t first = pos; // blanks before a quoted value are not part of it
  while (first < s.size() && (s[first] == ' ' || s[first] == '\t'))
    ++first;
  if (first < s.size() && IsQuote(s[first])) {
    pos = first;
    item.Value = ReadQuoted(s, pos);
    // Anything between the closing quote and the ';' is not part of the value.
    const size_t semi = s.find(';', pos);
    item.Terminated = semi != AnsiString::npos;
    pos = semi == AnsiString::npos ? s.size() : semi + 1;
    return item;
  }
  const size_t semi = s.find(';', pos);
  item.Value = s.substr(pos, semi == AnsiString::npos ? AnsiString::npos : semi - pos);
  item.Terminated = semi != AnsiString::npos;
  pos = semi == AnsiString::npos ? s.size() : semi + 1;
  return item;
}

} // namespace

AnsiString QuoteConnectionValue(const AnsiString& Value)
{
  // The driver trims blanks and control characters around an unquoted value (as Trim does),
  // so a value with one at either end (a password, say) is quoted to reach it whole.
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  const bool plain =
      Value.empty() || (Value.find(';') == AnsiString::npos && !IsQuote(Value.front()) &&
                        !blank(Value.front()) && !blank(Value.back()));
  if (plain)
    return Value;
  AnsiString result = "\"";
  for (char c : Value) {
    result += c;
    if (c == '"')
      result += '"';
  }
  return result + '"';
}

AnsiString ConnectionStringValue(const AnsiString& ConnectionString, const AnsiString& Key)
{
  size_t pos = 0;
  while (pos < ConnectionString.size()) {
    const TItemRead item = ReadItem(ConnectionString, pos);
    if (item.Key == Key)
      return item.Terminated ? item.Value : AnsiString();
  }
  return AnsiString();
}

// ---- Parameters ----

TDBParameter MakeParam(const AnsiString& Name, const Variant& Value)
{
  return {Name, Value};
}

TxDBParameter MakeStreamParam(const AnsiString& Name, TStream* Stream)
{
  return {Name, Stream};
}

void AssignParams(TParams* Parameters, const std::vector<TDBParameter>& Values)
{
  for (const TDBParameter& p : Values)
    Parameters->ParamByName(p.Name)->SetValue(p.Value);
}

void AssignStreamParams(TParams* Parameters, const std::vector<TxDBParameter>& Blobs)
{
  for (const TxDBParameter& p : Blobs)
    Parameters->ParamByName(p.Name)->LoadFromStream(p.Stream, ftBlob);
}

// ---- TDatabase ----

TDatabase::TDatabase() : FConnection(std::make_unique<TADOConnection>())
{
  FConnection->SetLoginPrompt(false);
  FConnection->SetCommandTimeout(ConnectionCommandTimeout);
  FConnection->SetConnectionTimeout(ConnectionTimeout);
}

TDatabase::~TDatabase() = default;

bool TDatabase::Connect(const WideString& ConnectionString)
{
  try {
    FConnection->Close();
    FConnection->SetConnectionString(WideToGbk(ConnectionString));
    FConnection->Open();
  } catch (const Exception& e) {
    ShowInfo(Format("连接时失败,提示如下:\r\n%s", {e.Message()}));
  }
  return FConnection->Connected();
}

bool TDatabase::Connected() const
{
  return FConnection->Connected();
}

void TDatabase::SetConnected(bool Value)
{
  FConnection->SetConnected(Value);
}

void TDatabase::EnsureConnected()
{
  if (!FConnection->Connected())
    FConnection->Open();
}

TADOCommand* TDatabase::CreateCommand(const WideString& Sql)
{
  auto* command = new TADOCommand(nullptr);
  command->SetConnection(FConnection.get());
  command->SetCommandTimeout(ConnectionCommandTimeout);
  command->SetCommandText(WideToGbk(Sql));
  return command;
}

Integer TDatabase::ExecSql(const WideString& Sql, const std::vector<TDBParameter>& Values,
                           const std::vector<TxDBParameter>& Blobs)
{
  const AnsiString text = WideToGbk(Sql);
  try {
    EnsureConnected();
    TADOQuery query(nullptr);
    query.SetConnection(FConnection.get());
    query.SetCommandText(text);
    query.SetExecuteOptions(TExecuteOptions{eoExecuteNoRecords});
    query.SetCommandTimeout(ConnectionCommandTimeout);
    AssignParams(query.Parameters(), Values);
    AssignStreamParams(query.Parameters(), Blobs);
    query.SetPrepared(true);
    return query.ExecSQL();
  } catch (const Exception& e) {
    throw EDatabaseError(e.Message() + "\r\n" + text);
  }
}

void TDatabase::Execute(const WideString& Sql, const std::vector<TDBParameter>& Values,
                        const TxDBParameters& Blobs)
{
  try {
    EnsureConnected();
    std::unique_ptr<TADOCommand> command(CreateCommand(Sql));
    command->SetExecuteOptions(TExecuteOptions{eoExecuteNoRecords});
    AssignParams(command->Parameters(), Values);
    AssignStreamParams(command->Parameters(), Blobs);
    command->SetPrepared(true);
    command->Execute();
  } catch (const Exception& e) {
    throw EDatabaseError(e.Message() + "\r\n" + WideToGbk(Sql));
  }
}

WideString TDatabase::ConnectionValue(const AnsiString& Key) const
{
  return GbkToWide(ConnectionStringValue(FConnection->ConnectionString(), Key));
}

bool TDatabase::IsSqlServer() const
{
  return ProviderName() != u"Microsoft.Jet.OLEDB.4.0";
}

void TDatabase::BeginTrans()
{
  FConnection->BeginTrans();
}

void TDatabase::CommitTrans()
{
  FConnection->CommitTrans();
}

void TDatabase::RollbackTrans()
{
  FConnection->RollbackTrans();
}

// ---- TQuerySet ----

TQuerySet::TQuerySet(TComponent* AOwner) : TComponent(AOwner), FQuery(new TADOQuery(this))
{
  FQuery->SetConnection(Db->Connection());
  FQuery->SetCommandTimeout(SetCommandTimeout);
  FQuery->SetLockType(ltBatchOptimistic);
}

TQuerySet::~TQuerySet() = default;

Integer TQuerySet::Open(const WideString& Sql, const std::vector<TDBParameter>& Values)
{
  return OpenDataSet(FQuery, Sql, Values);
}

// ---- TRecordSet ----

TRecordSet::TRecordSet(TComponent*) : TComponent(nullptr), FDataSet(new TADODataSet(this))
{
  FDataSet->SetConnection(Db->Connection());
  FDataSet->SetCommandTimeout(SetCommandTimeout);
  FDataSet->SetLockType(ltBatchOptimistic);
}

TRecordSet::~TRecordSet() = default;

WideString TRecordSet::SqlText() const
{
  return GbkToWide(FDataSet->CommandText());
}

Integer TRecordSet::Open(const WideString& Sql, const std::vector<TDBParameter>& Values)
{
  return OpenDataSet(FDataSet, Sql, Values);
}

void TRecordSet::DeleteCurrent()
{
  if (!FDataSet->IsEmpty())
    FDataSet->Delete();
}

void TRecordSet::DeleteAll()
{
  while (FDataSet->RecordCount() > 0) {
    FDataSet->First();
    FDataSet->Delete();
  }
}

void TRecordSet::SetUpField(TField* Field, const AnsiString& Name, Integer Size, bool Visible,
                            const AnsiString& DisplayLabel)
{
  Field->SetFieldName(Name);
  Field->SetDisplayLabel(DisplayLabel);
  Field->SetDataSet(FDataSet);
  Field->SetVisible(Visible);
  if (Size >= 0)
    Field->SetSize(Size);
}

WideString TRecordSet::JoinFieldValues(TField* Field, const AnsiString& Separator)
{
  if (!FDataSet->Active() || FDataSet->IsEmpty())
    return WideString();
  const WideString separator = GbkToWide(Separator);
  WideString result;
  FDataSet->First();
  for (bool first = true; !FDataSet->Eof(); first = false) {
    if (!first)
      result += separator;
    result += Field->AsWideString();
    FDataSet->Next();
  }
  return result;
}

// ---- Unit ----

void DatabaseInitialization()
{
  Db = new TDatabase();
  SharedRecordSet = new TRecordSet();
}

void DatabaseFinalization()
{
  delete Db;
  Db = nullptr;
  delete SharedRecordSet;
  SharedRecordSet = nullptr;
}
