// The PostgreSQL driver (DriverPrivate.h): connection items mapped to libpq keywords (the
// server through the client alias of the settings store), typed parameters ($1..$n),
// column kinds from type OIDs, text as UTF-8 on the wire, and backups through pg_dump and
// pg_restore run as child processes.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <signal.h>
#include <string>
#include <unistd.h>

#include <libpq-fe.h>

#include "platform/data/DriverPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"

namespace data_detail {

namespace {

// Type OIDs of the built-in types the driver maps.
constexpr Oid BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, TextOid = 25,
              Float4Oid = 700, Float8Oid = 701, BpcharOid = 1042, VarcharOid = 1043, DateOid = 1082,
              TimeOid = 1083, TimestampOid = 1114, TimestampTzOid = 1184, NumericOid = 1700,
              NameOid = 19;

AnsiString TrimMessage(const char* Text)
{
  return Trim(Utf8ToGbk(Text ? Text : ""));
}

struct TResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using TResultPtr = std::unique_ptr<PGresult, TResultDeleter>;

// The server's host and port: the client alias named after Data Source in the machine
// settings ("DBMSSOCN,host[,port]") wins; otherwise Data Source itself, "host[,port]".
void ResolveServer(const AnsiString& DataSource, AnsiString& Host, AnsiString& Port)
{
  AnsiString spec = DataSource;
  try {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo") &&
        reg.ValueExists(DataSource)) {
      AnsiString alias = reg.ReadString(DataSource);
      size_t comma = alias.find(',');
      spec = comma == AnsiString::npos ? alias : alias.substr(comma + 1);
    }
  } catch (const Exception&) {
    // No readable settings store: the Data Source names the server itself.
  }
  size_t comma = spec.find(',');
  Host = Trim(comma == AnsiString::npos ? spec : spec.substr(0, comma));
  Port = comma == AnsiString::npos ? AnsiString("5432") : Trim(spec.substr(comma + 1));
  if (Port.empty())
    Port = "5432";
}

// Runs program with args; Password goes into the child's environment only. Raises with
// the program's error output when it fails.
void RunClientTool(const AnsiString& Program, const std::vector<AnsiString>& Args,
                   const AnsiString& Password)
{
  TProcessOptions options;
  options.Environment.push_back({"PGPASSWORD", Password});
  std::string errors;
  options.ErrorOutput = &errors;
  const Integer code = ExecuteProcess(Program, Args, options);
  if (code < 0)
    throw EDatabaseError("Cannot start " + Program);
  if (code != 0)
    throw EDatabaseError(Program + ": " + TrimMessage(errors.c_str()));
}

// How often "$n" stands in a statement.
Integer Occurrences(const UTF8String& Sql, size_t N)
{
  std::string marker = "$" + std::to_string(N);
  Integer count = 0;
  for (size_t p = Sql.find(marker); p != std::string::npos; p = Sql.find(marker, p + 1)) {
    size_t end = p + marker.size();
    if (end >= Sql.size() || Sql[end] < '0' || Sql[end] > '9')
      ++count;
  }
  return count;
}

AnsiString NumberText(const Variant& V)
{
  return FloatToStr(V.AsDouble(), InvariantFormatSettings());
}

// The parameters of one statement in libpq's form: texts (UTF-8) and numbers in text form
// with the type left to the server, Booleans and date-times typed, blobs as binary bytea.
struct TWireParams {
  std::vector<UTF8String> Values;
  std::vector<const char*> Pointers;
  std::vector<int> Lengths, Formats;
  std::vector<Oid> Types;

  TWireParams(const UTF8String& Sql, const std::vector<TBoundParam>& Params)
      : Values(Params.size()), Pointers(Params.size(), nullptr), Lengths(Params.size(), 0),
        Formats(Params.size(), 0), Types(Params.size(), 0)
  {
    for (size_t i = 0; i < Params.size(); ++i) {
      const Variant& v = Params[i].Value;
      if (VarIsNull(v) || VarIsEmpty(v))
        continue; // a null pointer is SQL NULL
      Encode(i, Params[i]);
      // A text used at several places must have one type for all of them.
      if (Types[i] == 0 && (v.Type() == varString || v.Type() == varOleStr) &&
          Occurrences(Sql, i + 1) > 1)
        Types[i] = TextOid;
      Pointers[i] = Values[i].data();
      Lengths[i] = static_cast<int>(Values[i].size());
    }
  }

  void Encode(size_t i, const TBoundParam& P)
  {
    const Variant& v = P.Value;
    TFieldType t = P.DataType;
    if (t == ftBlob || t == ftGraphic || t == ftBytes || t == ftVarBytes || t == ftTypedBinary) {
      Values[i] = v.Type() == varOleStr ? WideToGbk(v.AsWideString()) : VarToStr(v);
      Types[i] = ByteaOid;
      Formats[i] = 1; // binary: the bytes as they are, an empty value stays empty
      return;
    }
    switch (v.Type()) {
    case varBoolean:
      Values[i] = v.AsBoolean() ? "t" : "f";
      Types[i] = BoolOid;
      break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      Values[i] = IntToStr(v.AsInt64());
      break;
    case varSingle:
    case varDouble:
      Values[i] = NumberText(v);
      break;
    case varCurrency:
      Values[i] = CurrToStr(v.AsCurrency(), InvariantFormatSettings());
      break;
    case varDate:
      Values[i] = DateTimeToSqlText(v.AsDateTime());
      Types[i] = TimestampOid;
      break;
    case varOleStr:
      Values[i] = WideToUtf8(v.AsWideString());
      break;
    default:
      Values[i] = GbkToUtf8(VarToStr(v));
      break;
    }
  }
};

class TPostgreSQLDriver : public TDriver {
public:
  TPostgreSQLDriver(const std::vector<TConnectionItem>& Items, Integer ConnectionTimeout,
                    Integer CommandTimeout);
  ~TPostgreSQLDriver() override
  {
    if (FConn)
      PQfinish(FConn);
  }

  TSqlDialect Dialect() const override { return sdPostgreSQL; }
  bool Alive() const override { return FConn && PQstatus(FConn) == CONNECTION_OK; }
  AnsiString DatabaseName() const override { return FDatabase; }
  TResultSet Execute(const AnsiString& Sql, const std::vector<TBoundParam>& Params, bool WantRows,
                     Integer TimeoutSeconds) override;
  void BeginTrans() override { Simple("BEGIN"); }
  void CommitTrans() override;
  void RollbackTrans() override { Simple("ROLLBACK"); }
  void Backup(const AnsiString& Path) override;
  void Restore(const AnsiString& Path, const std::vector<AnsiString>& RequiredTables) override;

private:
  [[noreturn]] void Fail(PGresult* Res) const
  {
    const char* primary = Res ? PQresultErrorField(Res, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    AnsiString message = TrimMessage(primary ? primary : PQerrorMessage(FConn));
    if (!Alive())
      message = "The connection to the database server was lost: " + message;
    throw EDatabaseError(message);
  }
  TResultPtr Simple(const char* Sql)
  {
    TResultPtr res(PQexec(FConn, Sql));
    ExecStatusType st = PQresultStatus(res.get());
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
      Fail(res.get());
    return res;
  }
  TResultSet ExecuteSeveral(const UTF8String& Sql, bool WantRows);
  void ReadRows(const PGresult* Res, TResultSet& Result);
  void SetTimeout(Integer Seconds);
  void DescribeColumn(const PGresult* Res, int Col, TColumn& Column, Oid& Type);
  Variant ReadValue(const PGresult* Res, int Row, int Col, Oid Type, TFieldType Kind) const;
  std::vector<AnsiString> ToolArgs() const;

  PGconn* FConn = nullptr;
  AnsiString FHost, FPort, FDatabase, FUser, FPassword;
  Integer FTimeout = -1;
  std::map<Oid, AnsiString> FTypeNames; // names of types without a fixed OID (citext ...)
};

TPostgreSQLDriver::TPostgreSQLDriver(const std::vector<TConnectionItem>& Items,
                                     Integer ConnectionTimeout, Integer CommandTimeout)
{
  ResolveServer(ConnectionItemValue(Items, "Data Source"), FHost, FPort);
  FDatabase = ConnectionItemValue(Items, "Initial Catalog");
  FUser = ConnectionItemValue(Items, "User ID");
  FPassword = ConnectionItemValue(Items, "Password");
  AnsiString application = ConnectionItemValue(Items, "Workstation ID");
  std::vector<std::pair<const char*, UTF8String>> params{
      {"host", GbkToUtf8(FHost)},
      {"port", GbkToUtf8(FPort)},
      {"connect_timeout", IntToStr(ConnectionTimeout > 0 ? ConnectionTimeout : 120)},
      {"client_encoding", "UTF8"}};
  if (!FDatabase.empty())
    params.push_back({"dbname", GbkToUtf8(FDatabase)});
  if (!FUser.empty())
    params.push_back({"user", GbkToUtf8(FUser)});
  if (!FPassword.empty())
    params.push_back({"password", GbkToUtf8(FPassword)});
  if (!application.empty())
    params.push_back({"application_name", GbkToUtf8(application)});
  std::vector<const char*> keys, values;
  for (auto& p : params) {
    keys.push_back(p.first);
    values.push_back(p.second.c_str());
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  FConn = PQconnectdbParams(keys.data(), values.data(), 0);
  if (!FConn || PQstatus(FConn) != CONNECTION_OK) {
    AnsiString message = FConn ? TrimMessage(PQerrorMessage(FConn)) : AnsiString("out of memory");
    if (FConn)
      PQfinish(FConn);
    FConn = nullptr;
    throw EDatabaseError(message);
  }
  // Server notices ("table does not exist, skipping") are not errors; nobody reads them.
  PQsetNoticeProcessor(
      FConn, [](void*, const char*) {}, nullptr);
  if (FDatabase.empty())
    FDatabase = Utf8ToGbk(PQdb(FConn));
  SetTimeout(CommandTimeout);
}

void TPostgreSQLDriver::SetTimeout(Integer Seconds)
{
  if (Seconds == FTimeout)
    return;
  AnsiString sql = "SET statement_timeout = '" + IntToStr(Seconds > 0 ? Seconds : 0) + "s'";
  Simple(sql.c_str());
  FTimeout = Seconds;
}

void TPostgreSQLDriver::DescribeColumn(const PGresult* Res, int Col, TColumn& Column, Oid& Type)
{
  Column.Name = Utf8ToGbk(PQfname(Res, Col));
  Type = PQftype(Res, Col);
  int mod = PQfmod(Res, Col);
  Column.Size = 0;
  switch (Type) {
  case BoolOid:
    Column.DataType = ftBoolean;
    break;
  case ByteaOid:
    Column.DataType = ftBlob;
    break;
  case Int8Oid:
    Column.DataType = ftLargeint;
    break;
  case Int2Oid:
    Column.DataType = ftSmallint;
    break;
  case Int4Oid:
    Column.DataType = ftInteger;
    break;
  case Float4Oid:
  case Float8Oid:
    Column.DataType = ftFloat;
    break;
  case NumericOid:
    Column.DataType = (mod >= 4 && ((mod - 4) >> 16) > 18) ? ftFMTBcd : ftBCD;
    break;
  case DateOid:
    Column.DataType = ftDate;
    break;
  case TimeOid:
    Column.DataType = ftTime;
    break;
  case TimestampOid:
  case TimestampTzOid:
    Column.DataType = ftDateTime;
    break;
  case BpcharOid:
  case VarcharOid:
  case NameOid:
    Column.DataType = ftString;
    // The declared length in characters, as the program declares its columns.
    Column.Size = mod >= 4 ? mod - 4 : 255;
    break;
  case TextOid:
    Column.DataType = ftMemo;
    break;
  default: {
    auto it = FTypeNames.find(Type);
    if (it == FTypeNames.end()) {
      AnsiString sql =
          "select typname from pg_type where oid = " + IntToStr(static_cast<Int64>(Type));
      TResultPtr res(PQexec(FConn, sql.c_str()));
      AnsiString name = PQresultStatus(res.get()) == PGRES_TUPLES_OK && PQntuples(res.get()) == 1
                            ? AnsiString(PQgetvalue(res.get(), 0, 0))
                            : AnsiString();
      it = FTypeNames.emplace(Type, name).first;
    }
    // Case-insensitive text (login ids) reads like a string; other types as text.
    Column.DataType = it->second == "citext" ? ftString : ftMemo;
    if (Column.DataType == ftString)
      Column.Size = 255;
  }
  }
}

Variant TPostgreSQLDriver::ReadValue(const PGresult* Res, int Row, int Col, Oid Type,
                                     TFieldType Kind) const
{
  if (PQgetisnull(Res, Row, Col))
    return ::Null();
  const char* text = PQgetvalue(Res, Row, Col);
  switch (Kind) {
  case ftBoolean:
    return Variant(text[0] == 't');
  case ftSmallint:
  case ftInteger:
    return Variant(static_cast<Integer>(std::strtol(text, nullptr, 10)));
  case ftLargeint:
    return Variant(static_cast<Int64>(std::strtoll(text, nullptr, 10)));
  case ftFloat:
    return Variant(std::strtod(text, nullptr));
  case ftBCD:
  case ftFMTBcd: {
    ::Currency value;
    if (TryStrToCurr(text, value, InvariantFormatSettings()))
      return Variant(value);
    return Variant(std::strtod(text, nullptr));
  }
  case ftDate:
  case ftTime:
  case ftDateTime: {
    TDateTime value = 0;
    if (SqlTextToDateTime(text, value))
      return VarFromDateTime(value);
    return Variant(Utf8ToGbk(text));
  }
  case ftBlob: {
    size_t length = 0;
    unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
    AnsiString value(
        reinterpret_cast<const char*>(bytes ? bytes : reinterpret_cast<const unsigned char*>("")),
        length);
    PQfreemem(bytes);
    return Variant(std::move(value));
  }
  default:
    (void)Type;
    return Variant(
        Utf8ToGbk(std::string_view(text, static_cast<size_t>(PQgetlength(Res, Row, Col)))));
  }
}

void TPostgreSQLDriver::CommitTrans()
{
  TResultPtr res = Simple("COMMIT");
  // After a failed statement the server ends the transaction with a rollback and reports
  // it only in the command status.
  if (std::strcmp(PQcmdStatus(res.get()), "ROLLBACK") == 0)
    throw EDatabaseError("The transaction was rolled back because a statement in it failed; "
                         "nothing of it was stored");
}

void TPostgreSQLDriver::ReadRows(const PGresult* Res, TResultSet& Result)
{
  int columns = PQnfields(Res);
  int rows = PQntuples(Res);
  Result.Columns.assign(columns, TColumn());
  Result.Rows.clear();
  std::vector<Oid> oids(columns);
  for (int c = 0; c < columns; ++c)
    DescribeColumn(Res, c, Result.Columns[c], oids[c]);
  Result.Rows.reserve(rows);
  for (int r = 0; r < rows; ++r) {
    std::vector<Variant> row(columns);
    for (int c = 0; c < columns; ++c)
      row[c] = ReadValue(Res, r, c, oids[c], Result.Columns[c].DataType);
    Result.Rows.push_back(std::move(row));
  }
}

TResultSet TPostgreSQLDriver::Execute(const AnsiString& Sql, const std::vector<TBoundParam>& Params,
                                      bool WantRows, Integer TimeoutSeconds)
{
  SetTimeout(TimeoutSeconds);
  UTF8String text = GbkToUtf8(Sql);
  if (Params.empty() && CountSqlStatements(Sql) > 1)
    return ExecuteSeveral(text, WantRows);
  TWireParams wire(text, Params);
  TResultPtr res(PQexecParams(FConn, text.c_str(), static_cast<int>(wire.Types.size()),
                              wire.Types.data(), wire.Pointers.data(), wire.Lengths.data(),
                              wire.Formats.data(), 0));
  ExecStatusType st = PQresultStatus(res.get());
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
    Fail(res.get());
  TResultSet result;
  result.RowsAffected = std::atoi(PQcmdTuples(res.get()));
  if (WantRows && st == PGRES_TUPLES_OK)
    ReadRows(res.get(), result);
  return result;
}

// Several statements without parameters go through the simple protocol, which runs them in
// order and stops at the first failure. Every result is taken off the connection before a
// failure is raised, so the connection stays usable.
TResultSet TPostgreSQLDriver::ExecuteSeveral(const UTF8String& Sql, bool WantRows)
{
  if (!PQsendQuery(FConn, Sql.c_str()))
    Fail(nullptr);
  TResultSet result;
  TResultPtr failure;
  bool first = true;
  while (PGresult* raw = PQgetResult(FConn)) {
    TResultPtr res(raw);
    ExecStatusType st = PQresultStatus(raw);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
      if (!failure)
        failure = std::move(res);
      continue;
    }
    if (failure)
      continue;
    if (first || st == PGRES_COMMAND_OK)
      result.RowsAffected = std::atoi(PQcmdTuples(raw));
    first = false;
    if (WantRows && st == PGRES_TUPLES_OK)
      ReadRows(raw, result);
  }
  if (failure)
    Fail(failure.get());
  return result;
}

std::vector<AnsiString> TPostgreSQLDriver::ToolArgs() const
{
  std::vector<AnsiString> args{"--host=" + FHost, "--port=" + FPort, "--no-password"};
  if (!FUser.empty())
    args.push_back("--username=" + FUser);
  return args;
}

void TPostgreSQLDriver::Backup(const AnsiString& Path)
{
  std::vector<AnsiString> args = ToolArgs();
  args.push_back("--format=custom");
  args.push_back("--file=" + Path);
  args.push_back("--dbname=" + FDatabase);
  RunClientTool("pg_dump", args, FPassword);
}

void TPostgreSQLDriver::Restore(const AnsiString& Path, const std::vector<AnsiString>&)
{
  std::vector<AnsiString> args = ToolArgs();
  for (const char* a : {"--clean", "--if-exists", "--single-transaction", "--no-owner"})
    args.push_back(a);
  args.push_back("--dbname=" + FDatabase);
  args.push_back(Path);
  RunClientTool("pg_restore", args, FPassword);
}

} // namespace

std::unique_ptr<TDriver> CreatePostgreSQLDriver(const std::vector<TConnectionItem>& Items,
                                                Integer ConnectionTimeout, Integer CommandTimeout)
{
  return std::make_unique<TPostgreSQLDriver>(Items, ConnectionTimeout, CommandTimeout);
}

} // namespace data_detail
