// The SQLite driver (DriverPrivate.h): the Jet provider's Data Source path opened
// read-write and never created, one-file rollback journal, values bound by index, column
// kinds from declared types, the online backup API and a validated atomic restore.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <sqlite3.h>

#include "platform/data/DriverPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"

namespace data_detail {

namespace {

[[noreturn]] void Fail(sqlite3* Db, const AnsiString& Context = AnsiString())
{
  AnsiString message = Utf8ToGbk(Db ? sqlite3_errmsg(Db) : "out of memory");
  throw EDatabaseError(Context.empty() ? message : Context + ": " + message);
}

// The field kind and character capacity of a declared column type.
void KindOfDeclaredType(const char* Declared, TFieldType& Type, Integer& Size)
{
  AnsiString t = UpperCase(Declared ? AnsiString(Declared) : AnsiString());
  Size = 0;
  auto has = [&](const char* part) { return t.find(part) != AnsiString::npos; };
  Integer length = 0;
  size_t open = t.find('(');
  if (open != AnsiString::npos)
    length = StrToIntDef(Trim(t.substr(open + 1, t.find_first_of(",)", open) - open - 1)), 0);
  if (has("BIGINT") || has("INT8"))
    Type = ftLargeint;
  else if (has("SMALLINT") || has("TINYINT"))
    Type = ftSmallint;
  else if (has("BOOL") || t == "BIT")
    Type = ftBoolean;
  else if (has("INT") || has("COUNTER") || has("AUTOINCREMENT"))
    Type = ftInteger;
  else if (has("CHAR") || has("STRING")) {
    Type = ftString;
    // The declared length in characters, as the program declares its columns.
    Size = length > 0 ? length : 255;
  } else if (has("TEXT") || has("CLOB") || has("MEMO"))
    Type = ftMemo;
  else if (has("GRAPHIC") || has("IMAGE"))
    Type = ftGraphic;
  else if (has("BLOB") || has("BINARY") || has("BYTEA"))
    Type = ftBlob;
  else if (has("REAL") || has("FLOA") || has("DOUB"))
    Type = ftFloat;
  else if (has("NUMERIC") || has("DECIMAL") || has("MONEY") || has("CURRENCY"))
    Type = ftBCD;
  else if (has("DATETIME") || has("TIMESTAMP"))
    Type = ftDateTime;
  else if (has("DATE"))
    Type = ftDate;
  else if (has("TIME"))
    Type = ftTime;
  else
    Type = ftUnknown; // decided by the values
}

Variant ReadValue(sqlite3_stmt* St, int Col, TFieldType Type)
{
  int storage = sqlite3_column_type(St, Col);
  if (storage == SQLITE_NULL)
    return ::Null();
  switch (Type) {
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftAutoInc:
    return Variant(static_cast<Integer>(sqlite3_column_int64(St, Col)));
  case ftLargeint:
    return Variant(static_cast<Int64>(sqlite3_column_int64(St, Col)));
  case ftFloat:
  case ftCurrency:
    return Variant(sqlite3_column_double(St, Col));
  case ftBCD:
  case ftFMTBcd:
    return Variant(Currency(sqlite3_column_double(St, Col)));
  case ftBoolean:
    if (storage == SQLITE_TEXT) {
      AnsiString t = UpperCase(reinterpret_cast<const char*>(sqlite3_column_text(St, Col)));
      return Variant(t == "T" || t == "TRUE" || t == "Y" || t == "YES" || StrToIntDef(t, 0) != 0);
    }
    return Variant(sqlite3_column_int64(St, Col) != 0);
  case ftDate:
  case ftTime:
  case ftDateTime: {
    if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
      return VarFromDateTime(sqlite3_column_double(St, Col));
    TDateTime value = 0;
    AnsiString text = reinterpret_cast<const char*>(sqlite3_column_text(St, Col));
    if (!SqlTextToDateTime(text, value))
      return Variant(Utf8ToGbk(text));
    return VarFromDateTime(value);
  }
  case ftBlob:
  case ftGraphic: {
    const void* data = sqlite3_column_blob(St, Col);
    int size = sqlite3_column_bytes(St, Col);
    return Variant(
        AnsiString(static_cast<const char*>(data ? data : ""), static_cast<size_t>(size)));
  }
  default: {
    if (storage == SQLITE_BLOB) {
      const void* data = sqlite3_column_blob(St, Col);
      return Variant(AnsiString(static_cast<const char*>(data ? data : ""),
                                static_cast<size_t>(sqlite3_column_bytes(St, Col))));
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(St, Col));
    return Variant(
        Utf8ToGbk(std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(St, Col)))));
  }
  }
}

// A value as read from a column without declared type, by its storage class.
Variant ReadUntyped(sqlite3_stmt* St, int Col)
{
  switch (sqlite3_column_type(St, Col)) {
  case SQLITE_NULL:
    return ::Null();
  case SQLITE_INTEGER:
    return Variant(static_cast<Int64>(sqlite3_column_int64(St, Col)));
  case SQLITE_FLOAT:
    return Variant(sqlite3_column_double(St, Col));
  case SQLITE_BLOB:
    return ReadValue(St, Col, ftBlob);
  default:
    return ReadValue(St, Col, ftString);
  }
}

class TStatement {
public:
  explicit TStatement(sqlite3_stmt* St) : FSt(St) {}
  ~TStatement() { sqlite3_finalize(FSt); }
  sqlite3_stmt* Get() const { return FSt; }

private:
  sqlite3_stmt* FSt;
};

void Bind(sqlite3* Db, sqlite3_stmt* St, int Index, const TBoundParam& P)
{
  const Variant& v = P.Value;
  int rc = SQLITE_OK;
  bool blob = P.DataType == ftBlob || P.DataType == ftGraphic || P.DataType == ftBytes ||
              P.DataType == ftVarBytes || P.DataType == ftTypedBinary;
  if (VarIsNull(v) || VarIsEmpty(v)) {
    rc = sqlite3_bind_null(St, Index);
  } else if (blob) {
    AnsiString bytes = v.Type() == varOleStr ? WideToGbk(v.AsWideString()) : VarToStr(v);
    // A non-null pointer keeps an empty value a zero-length blob instead of NULL.
    rc = sqlite3_bind_blob(St, Index, bytes.data(), static_cast<int>(bytes.size()),
                           SQLITE_TRANSIENT);
  } else {
    switch (v.Type()) {
    case varBoolean:
      rc = sqlite3_bind_int(St, Index, v.AsBoolean() ? 1 : 0);
      break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      rc = sqlite3_bind_int64(St, Index, v.AsInt64());
      break;
    case varSingle:
    case varDouble:
    case varCurrency:
      rc = sqlite3_bind_double(St, Index, v.AsDouble());
      break;
    case varDate: {
      UTF8String text = DateTimeToSqlText(v.AsDateTime());
      rc = sqlite3_bind_text(St, Index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    }
    case varOleStr: {
      UTF8String text = WideToUtf8(v.AsWideString());
      rc = sqlite3_bind_text(St, Index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    }
    default: {
      UTF8String text = GbkToUtf8(VarToStr(v));
      rc = sqlite3_bind_text(St, Index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    }
    }
  }
  if (rc != SQLITE_OK)
    Fail(Db);
}

// A column without a declared type (an expression) takes the kind of its first non-null
// value: integers (64-bit when a value needs it), floats, otherwise strings; all NULL
// gives a string. The values are converted to that kind.
void SettleUntypedColumn(TResultSet& Result, int Col)
{
  TColumn& col = Result.Columns[Col];
  col.DataType = ftString;
  Integer longest = 0;
  bool decided = false;
  bool wide = false;
  for (auto& row : Result.Rows) {
    const Variant& v = row[Col];
    if (VarIsNull(v))
      continue;
    if (!decided) {
      col.DataType = v.Type() == varInt64 ? ftInteger : v.Type() == varDouble ? ftFloat : ftString;
      decided = true;
    }
    if (v.Type() == varInt64 && (v.AsInt64() > MaxInt || v.AsInt64() < -MaxInt - 1))
      wide = true;
    if (VarIsStr(v))
      longest = std::max(longest, Length(v.AsString()));
  }
  if (col.DataType == ftInteger && wide)
    col.DataType = ftLargeint;
  if (col.DataType == ftString)
    col.Size = std::max(longest, 255);
  for (auto& row : Result.Rows) {
    Variant& v = row[Col];
    if (VarIsNull(v))
      continue;
    if (col.DataType == ftInteger && v.Type() == varInt64)
      v = Variant(static_cast<Integer>(v.AsInt64()));
    else if (col.DataType == ftString && !VarIsStr(v))
      v = Variant(VarToStr(v));
    else if (col.DataType == ftFloat && v.Type() != varDouble)
      v = VarIsStr(v) ? Variant(static_cast<Double>(StrToFloatDef(v.AsString(), 0)))
                      : Variant(v.AsDouble());
  }
}

class TSQLiteDriver : public TDriver {
public:
  TSQLiteDriver(const AnsiString& Path, Integer ConnectionTimeout)
      : FPath(Path), FTimeout(ConnectionTimeout)
  {
    Connect();
  }
  ~TSQLiteDriver() override { Disconnect(); }

  TSqlDialect Dialect() const override { return sdSQLite; }
  bool Alive() const override { return FDb && !FLost && FileStillThere(); }
  AnsiString DatabaseName() const override { return FPath; }

  TResultSet Execute(const AnsiString& Sql, const std::vector<TBoundParam>& Params, bool WantRows,
                     Integer TimeoutSeconds) override;
  void BeginTrans() override { Exec("BEGIN"); }
  void CommitTrans() override { Exec("COMMIT"); }
  void RollbackTrans() override { Exec("ROLLBACK"); }
  void Backup(const AnsiString& Path) override;
  void Restore(const AnsiString& Path, const std::vector<AnsiString>& RequiredTables) override;

private:
  void Connect();
  void Disconnect()
  {
    if (FDb)
      sqlite3_close_v2(FDb);
    FDb = nullptr;
  }
  void Exec(const char* Sql)
  {
    CheckFile();
    if (sqlite3_exec(FDb, Sql, nullptr, nullptr, nullptr) != SQLITE_OK)
      FailStatement();
  }
  // True while the open file is still the one at the database's path.
  bool FileStillThere() const
  {
    struct stat st;
    return ::stat(GbkToUtf8(FPath).c_str(), &st) == 0 && st.st_dev == FDevice &&
           st.st_ino == FInode;
  }
  // Raises when the file was removed or replaced under the open connection, which then
  // stays closed: reads would see the old file and writes fail as "readonly".
  void CheckFile()
  {
    if (!FileStillThere()) {
      FLost = true;
      throw EDatabaseError(Format(
          "The database file \"%s\" was removed or replaced; open the connection again", {FPath}));
    }
  }
  // Raises the error of the last statement; an I/O error closes the connection.
  [[noreturn]] void FailStatement()
  {
    int code = sqlite3_extended_errcode(FDb);
    if (code == SQLITE_READONLY_DBMOVED)
      CheckFile();
    if ((code & 0xff) == SQLITE_IOERR || (code & 0xff) == SQLITE_CORRUPT)
      FLost = true;
    Fail(FDb);
  }

  AnsiString FPath;
  Integer FTimeout;
  sqlite3* FDb = nullptr;
  bool FLost = false;
  dev_t FDevice = 0;
  ino_t FInode = 0;
};

void TSQLiteDriver::Connect()
{
  UTF8String path = GbkToUtf8(FPath);
  // Read-write without CREATE: a missing file fails, as the Jet provider does.
  int rc =
      sqlite3_open_v2(path.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    AnsiString message = Utf8ToGbk(FDb ? sqlite3_errmsg(FDb) : "out of memory");
    Disconnect();
    throw EDatabaseError(Format("Cannot open database \"%s\": %s", {FPath, message}));
  }
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    FDevice = st.st_dev;
    FInode = st.st_ino;
  }
  FLost = false;
  sqlite3_busy_timeout(FDb, FTimeout > 0 ? FTimeout * 1000 : 120000);
  sqlite3_extended_result_codes(FDb, 1);
  TUndoOnError close([this] { Disconnect(); });
  // A rollback journal keeps the database one copyable file; reading the schema here also
  // rejects a file that is no database.
  Exec("PRAGMA journal_mode=DELETE");
  close.Dismiss();
}

TResultSet TSQLiteDriver::Execute(const AnsiString& Sql, const std::vector<TBoundParam>& Params,
                                  bool WantRows, Integer)
{
  CheckFile();
  TResultSet result;
  UTF8String text = GbkToUtf8(Sql);
  const char* tail = text.c_str();
  const char* end = text.c_str() + text.size();
  bool first = true;
  // A text may hold several statements; rows come from the last one that returns any.
  while (tail < end) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(FDb, tail, static_cast<int>(end - tail), &raw, &tail) != SQLITE_OK)
      FailStatement();
    if (!raw)
      break; // only blanks or comments were left
    TStatement st(raw);
    int count = sqlite3_bind_parameter_count(raw);
    for (int i = 1; i <= count; ++i) {
      const char* name = sqlite3_bind_parameter_name(raw, i);
      int index = name && name[0] == '?' ? std::atoi(name + 1) : i;
      if (index >= 1 && index <= static_cast<int>(Params.size()))
        Bind(FDb, raw, i, Params[index - 1]);
    }
    int columns = sqlite3_column_count(raw);
    std::vector<TFieldType> kinds(columns);
    if (WantRows && columns > 0) {
      result.Columns.assign(columns, TColumn());
      result.Rows.clear();
      for (int c = 0; c < columns; ++c) {
        result.Columns[c].Name = Utf8ToGbk(sqlite3_column_name(raw, c));
        KindOfDeclaredType(sqlite3_column_decltype(raw, c), kinds[c], result.Columns[c].Size);
        result.Columns[c].DataType = kinds[c];
      }
    }
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
      if (!WantRows)
        continue;
      std::vector<Variant> row(columns);
      for (int c = 0; c < columns; ++c)
        row[c] = kinds[c] == ftUnknown ? ReadUntyped(raw, c) : ReadValue(raw, c, kinds[c]);
      result.Rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
      FailStatement();
    if (first || columns == 0)
      result.RowsAffected = sqlite3_changes(FDb);
    first = false;
    if (WantRows && columns > 0)
      for (int c = 0; c < columns; ++c)
        if (kinds[c] == ftUnknown)
          SettleUntypedColumn(result, c);
  }
  return result;
}

void TSQLiteDriver::Backup(const AnsiString& Path)
{
  AnsiString dir = ExtractFilePath(Path);
  AnsiString temp = GetTempFileName(dir, "bak");
  if (temp.empty())
    throw EDatabaseError(Format("Cannot create a file in \"%s\"", {dir}));
  sqlite3* target = nullptr;
  int rc = sqlite3_open_v2(GbkToUtf8(temp).c_str(), &target,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", FDb, "main");
    if (backup) {
      while ((rc = sqlite3_backup_step(backup, 256)) == SQLITE_OK || rc == SQLITE_BUSY ||
             rc == SQLITE_LOCKED)
        sqlite3_sleep(rc == SQLITE_OK ? 0 : 50);
      sqlite3_backup_finish(backup);
    }
    rc = sqlite3_errcode(target);
  }
  AnsiString message = Utf8ToGbk(target ? sqlite3_errmsg(target) : "out of memory");
  if (target)
    sqlite3_close_v2(target);
  if (rc != SQLITE_OK && rc != SQLITE_DONE) {
    DeleteFile(temp);
    throw EDatabaseError(message);
  }
  if (std::rename(GbkToUtf8(temp).c_str(), GbkToUtf8(Path).c_str()) != 0) {
    DeleteFile(temp);
    throw EDatabaseError(Format("Cannot write \"%s\"", {Path}));
  }
}

// Checks that Path is an SQLite 3 database in good order holding RequiredTables.
void ValidateDatabaseFile(const AnsiString& Path, const std::vector<AnsiString>& RequiredTables)
{
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(GbkToUtf8(Path).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    AnsiString message = Utf8ToGbk(db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close_v2(db);
    throw EDatabaseError(message);
  }
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> guard(db, sqlite3_close_v2);
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &raw, nullptr) != SQLITE_OK)
    Fail(db);
  {
    TStatement st(raw);
    if (sqlite3_step(raw) != SQLITE_ROW ||
        AnsiString(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0))) != "ok")
      throw EDatabaseError(Format("\"%s\" is damaged", {Path}));
  }
  for (const AnsiString& table : RequiredTables) {
    if (sqlite3_prepare_v2(
            db, "select 1 from sqlite_master where type='table' and name=?1 collate nocase", -1,
            &raw, nullptr) != SQLITE_OK)
      Fail(db);
    TStatement st(raw);
    UTF8String name = GbkToUtf8(table);
    sqlite3_bind_text(raw, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(raw) != SQLITE_ROW)
      throw EDatabaseError(Format("\"%s\" has no table %s", {Path, table}));
  }
}

void TSQLiteDriver::Restore(const AnsiString& Path, const std::vector<AnsiString>& RequiredTables)
{
  ValidateDatabaseFile(Path, RequiredTables);
  AnsiString dir = ExtractFilePath(FPath);
  AnsiString temp = GetTempFileName(dir, "rst");
  if (temp.empty() || !CopyFile(Path, temp, false)) {
    if (!temp.empty())
      DeleteFile(temp);
    throw EDatabaseError(Format("Cannot copy \"%s\" into \"%s\"", {Path, dir}));
  }
  Disconnect();
  if (std::rename(GbkToUtf8(temp).c_str(), GbkToUtf8(FPath).c_str()) != 0) {
    DeleteFile(temp);
    Connect();
    throw EDatabaseError(Format("Cannot replace \"%s\"", {FPath}));
  }
  // A journal left from the old file would be applied to the new one.
  ::unlink(GbkToUtf8(FPath + "-journal").c_str());
  Connect();
}

} // namespace

std::unique_ptr<TDriver> CreateSQLiteDriver(const std::vector<TConnectionItem>& Items,
                                            Integer ConnectionTimeout)
{
  AnsiString path = ConnectionItemValue(Items, "Data Source");
  if (path.empty())
    path = ProgramDir() + "qhwbp.mdb";
  return std::make_unique<TSQLiteDriver>(path, ConnectionTimeout);
}

} // namespace data_detail
