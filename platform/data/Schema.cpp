// The application's tables and seed rows for both databases (Schema.h).
//
// Column kinds follow what the program reads and writes: short texts are varchar(n)
// (string fields, n characters), long texts are text (memo fields), pictures and report
// definitions are blobs. PostgreSQL folds the unquoted names to lower case; field lookup
// ignores case, so the program's names still find them.
#include "platform/data/Schema.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

struct TTableText {
  const char* Name;
  const char* Columns; // with the placeholders below, replaced per dialect
};

// Placeholders: {login} login-id type, {bool} Boolean, {float} double, {stamp} date-time,
// {blob} binary.
const TTableText Tables[] = {
    {"Company",
     "Id integer primary key, CompanyName varchar(100), Manager varchar(50), Tel varchar(50), "
     "Fax varchar(50), Address varchar(200), Zip varchar(20), Profile text, UseCount integer, "
     "Updated {bool}"},
    {"operator",
     "LoginId {login} primary key, Password varchar(50), Name varchar(50), Contact varchar(100), "
     "Note varchar(255), Rights text"},
    {"keyvalue",
     "KeyId integer primary key, Vint integer, Vstr text, Vfloat {float}, Vbool {bool}"},
    {"options", "Key integer primary key, Label varchar(255), List text"},
    {"templates",
     "Id integer primary key, BillName varchar(100), AddTime {stamp}, ImgName varchar(255), "
     "ImgData {blob}, Billman varchar(50), Temdata text"},
    {"report", "Id integer primary key, GrpId integer, Title varchar(100), Va3File {blob}"},
    {"backup", "TypeId integer, BackDir varchar(255)"},
};

AnsiString Expand(const char* Columns, TSchemaDialect Dialect)
{
  bool pg = Dialect == sdSchemaPostgreSQL;
  AnsiString s = Columns;
  s = StringReplace(s, "{login}", pg ? "citext" : "varchar(50) collate nocase", {rfReplaceAll});
  s = StringReplace(s, "{bool}", "boolean", {rfReplaceAll});
  s = StringReplace(s, "{float}", pg ? "double precision" : "double", {rfReplaceAll});
  s = StringReplace(s, "{stamp}", pg ? "timestamp" : "datetime", {rfReplaceAll});
  s = StringReplace(s, "{blob}", pg ? "bytea" : "blob", {rfReplaceAll});
  return s;
}

} // namespace

const std::vector<AnsiString>& SchemaTables()
{
  static const std::vector<AnsiString> names = [] {
    std::vector<AnsiString> n;
    for (const TTableText& t : Tables)
      n.push_back(t.Name);
    return n;
  }();
  return names;
}

std::vector<AnsiString> SchemaStatements(TSchemaDialect Dialect)
{
  std::vector<AnsiString> statements;
  if (Dialect == sdSchemaPostgreSQL)
    statements.push_back("create extension if not exists citext");
  for (const TTableText& t : Tables)
    statements.push_back(AnsiString("create table ") + t.Name + " (" + Expand(t.Columns, Dialect) +
                         ")");
  statements.push_back("insert into backup (TypeId, BackDir) values (0, '')");
  statements.push_back("insert into operator (LoginId, Password, Name, Contact, Note, Rights) "
                       "values ('sa', '', 'sa', '', '', '')");
  return statements;
}

void CreateSchema(TADOConnection* Connection)
{
  Connection->Open();
  TSchemaDialect dialect = Connection->IsSQLite() ? sdSchemaSQLite : sdSchemaPostgreSQL;
  Connection->BeginTrans();
  TUndoOnError rollback([Connection] { Connection->RollbackTrans(); });
  for (const AnsiString& sql : SchemaStatements(dialect))
    Connection->Execute(sql);
  Connection->CommitTrans();
}

void CreateDatabaseFile(const AnsiString& Path)
{
  if (FileExists(Path) || DirectoryExists(Path))
    throw EDatabaseError(Format("\"%s\" already exists", {Path}));
  AnsiString dir = ExtractFilePath(Path);
  if (dir.empty())
    dir = "./";
  // An empty file is an empty SQLite database; it gets its name once the schema is in.
  AnsiString temp = GetTempFileName(dir, "new");
  if (temp.empty())
    throw EDatabaseError(Format("Cannot create a file in \"%s\"", {dir}));
  TUndoOnError removeTemp([&temp] { DeleteFile(temp); });
  { // the connection lets go of the file before a failure removes it
    TADOConnection conn;
    conn.SetConnectionString(AnsiString("Provider=") + JetProvider + ";Data Source=\"" +
                             StringReplace(temp, "\"", "\"\"", {rfReplaceAll}) + "\"");
    CreateSchema(&conn);
    conn.Close();
    if (FileExists(Path) || !RenameFile(temp, Path))
      throw EDatabaseError(Format("Cannot create \"%s\"", {Path}));
  }
}
