// The connection classes: connection strings, the ":Name" parameter parser, the dialect
// rewrite, and one statement suite run against an SQLite file and against a PostgreSQL
// server that the suite starts on a Unix socket in a temporary folder.
#include "platform/data/ADODB.h"

#include <memory>

#include <gtest/gtest.h>

#include "platform/data/DriverPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "tests/support/TestDatabases.h"

using data_detail::RewriteSql;
using data_detail::sdPostgreSQL;
using data_detail::sdSQLite;

// ---- Text layer ----

TEST(ConnectionString, ItemsTable)
{
  struct Case {
    const char* Text;
    const char* Key;
    const char* Value;
  };
  const Case cases[] = {
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a/b.mdb", "data source", "/a/b.mdb"},
      {"Provider=X; Mode = ReadWrite ;User ID=sa", "mode", "ReadWrite"},
      {"Password=\"a;b=c\";User ID=sa", "Password", "a;b=c"},
      {"Password='it''s';User ID=sa", "password", "it's"},
      {"Password=\"say \"\"hi\"\"\"", "Password", "say \"hi\""},
      {"Data Source=srv", "Provider", ""},
      {"Data Source=srv;", "Data Source", "srv"},
      {";;Data Source = 数据库 ;", "DATA SOURCE", "数据库"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ConnectionItemValue(ParseConnectionString(c.Text), c.Key), c.Value);
  }
}

TEST(SqlParams, ParserTable)
{
  struct Case {
    const char* Sql;
    std::vector<AnsiString> Names;
  };
  const Case cases[] = {
      {"select * from t where a=:A and b = :b_2", {"A", "b_2"}},
      {"update t set x=:TemData where y=:temdata", {"TemData"}},             // one value for both
      {"select ':no', \":no\", [a:b] from t -- :no\nwhere c=:yes", {"yes"}}, // literals, comments
      {"select 1::integer /* :no */", {}},                                   // '::' is a cast
      {"insert into t values (:a,:b,:a)", {"a", "b"}},
      {"select 'it''s :no' || :x", {"x"}},
      {"select * from t where name = '北京:市' and x = :中文", {"中文"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Sql);
    EXPECT_EQ(ParseSqlParamNames(c.Sql), c.Names);
  }
}

TEST(SqlParams, DialectRewriteTable)
{
  struct Case {
    const char* Sql;
    const char* SQLite;
    const char* PostgreSQL;
  };
  const Case cases[] = {
      {"select top 1 * from t where a=:a and b=:B or c=:A",
       "select * from t where a=?1 and b=?2 or c=?1 limit 1",
       "select * from t where a=$1 and b=$2 or c=$1 limit 1"},
      {"SELECT DISTINCT TOP 5 [Name] FROM [Company];",
       "SELECT DISTINCT [Name] FROM [Company] limit 5;",
       "SELECT DISTINCT Name FROM Company limit 5;"},
      {"select [Order Date] from t", "select [Order Date] from t", "select \"Order Date\" from t"},
      {"select 'top 1 [x] :y' from t", "select 'top 1 [x] :y' from t",
       "select 'top 1 [x] :y' from t"},
      {"select topx from t", "select topx from t", "select topx from t"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Sql);
    std::vector<AnsiString> names = ParseSqlParamNames(c.Sql);
    EXPECT_EQ(RewriteSql(c.Sql, sdSQLite, names), c.SQLite);
    EXPECT_EQ(RewriteSql(c.Sql, sdPostgreSQL, names), c.PostgreSQL);
  }
}

TEST(SqlParams, StatementCountTable)
{
  struct Case {
    const char* Sql;
    Integer Count;
  };
  const Case cases[] = {
      {"select 1", 1},
      {"select 1;", 1},
      {"select 1; ;  -- trailing note; not a statement\n", 1},
      {"select ';' as a, \"x;y\" from t -- ; \n/* ; */", 1},
      {"insert into t values (1); insert into t values (2)", 2},
      {"update t set a = :a;\nselect [a;b] from t;", 2},
      {"", 0},
      {"  /* only a comment; */  ", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(data_detail::CountSqlStatements(c.Sql), c.Count) << c.Sql;
}

TEST(SqlParams, QueryParamsFollowTheSqlAndKeepValues)
{
  TADOQuery q;
  q.SetName("Q");
  q.SQL()->SetText("select * from t where a = :Alpha and b = :beta");
  ASSERT_EQ(q.Params()->Count(), 2);
  q.ParamByName("ALPHA")->SetValue(Variant(5));
  q.SQL()->SetText("select * from t where a = :alpha");
  ASSERT_EQ(q.Params()->Count(), 1);
  EXPECT_EQ(q.Params()->Items(0)->Value().AsInteger(), 5);
  try {
    q.ParamByName("beta");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Q: Parameter 'beta' not found");
  }
  EXPECT_NE(q.ClassName().find("Query"), AnsiString::npos);
}

namespace {

// ---- The statement suite ----

class StatementSuite : public testing::TestWithParam<TBackend> {
protected:
  void SetUp() override
  {
    Conn.SetName("Conn");
    Conn.SetLoginPrompt(false);
    Conn.SetCommandTimeout(300);
    Conn.SetConnectionTimeout(120);
    if (GetParam() == beSQLite) {
      Conn.SetConnectionString(NewSQLiteDatabase(FFile));
    } else {
      AnsiString connection;
      std::string error;
      ASSERT_TRUE(PostgreSQLTestDatabase(connection, error))
          << "the PostgreSQL test server did not start: " << error;
      Conn.SetConnectionString(connection);
    }
    Conn.Open();
    Exec("drop table if exists t");
    if (GetParam() == beSQLite) {
      Exec("create table t (id integer primary key, name varchar(50), login varchar(20) collate "
           "nocase, "
           "flag boolean, stamp datetime, data blob, amount real, memo text)");
    } else {
      Exec("create extension if not exists citext");
      Exec("create table t (id integer primary key, name varchar(50), login citext, flag boolean, "
           "stamp timestamp, data bytea, amount double precision, memo text)");
    }
    Exec("insert into t (id, name, login, flag, amount) values (1, 'one', 'Admin', 1=1, 1.5)");
    Exec("insert into t (id, name, login, flag, amount) values (2, '二', 'sa', 1=0, 2.5)");
  }

  void TearDown() override
  {
    Conn.Close();
    if (!FFile.empty())
      DeleteFile(FFile);
  }

  Integer Exec(const AnsiString& Sql) { return Conn.Execute(Sql); }

  // Runs a statement with named values the way the application does.
  Integer ExecSql(const AnsiString& Sql, std::vector<std::pair<AnsiString, Variant>> Values)
  {
    TADOQuery q;
    q.SetConnection(&Conn);
    q.SQL()->SetText(Sql);
    q.SetExecuteOptions({eoExecuteNoRecords});
    for (auto& [name, value] : Values)
      q.ParamByName(name)->SetValue(value);
    q.SetPrepared(true);
    return q.ExecSQL();
  }

  std::unique_ptr<TADOQuery> Open(const AnsiString& Sql,
                                  std::vector<std::pair<AnsiString, Variant>> Values = {})
  {
    auto q = std::make_unique<TADOQuery>();
    q->SetConnection(&Conn);
    q->SetLockType(ltBatchOptimistic);
    q->SQL()->SetText(Sql);
    for (auto& [name, value] : Values)
      q->ParamByName(name)->SetValue(value);
    q->Open();
    return q;
  }

  TADOConnection Conn;
  AnsiString FFile;
};

} // namespace

TEST_P(StatementSuite, RowsAffected)
{
  EXPECT_EQ(
      ExecSql("update t set name = :n where id = :id", {{"n", Variant("x")}, {"id", Variant(99)}}),
      0);
  EXPECT_EQ(
      ExecSql("update t set name = :n where id > :id", {{"n", Variant("x")}, {"id", Variant(0)}}),
      2);
  EXPECT_EQ(ExecSql("delete from t where id = :id", {{"id", Variant(2)}}), 1);
}

TEST_P(StatementSuite, ParametersByNameIgnoringCaseAndRepeated)
{
  EXPECT_EQ(ExecSql("insert into t (id, name, memo) values (:ID, :TemData, :temdata)",
                    {{"id", Variant(3)}, {"Temdata", Variant("same")}}),
            1);
  auto q = Open("select name, memo from t where id = :Id", {{"ID", Variant(3)}});
  EXPECT_EQ(q->FieldByName("name")->AsString(), "same");
  EXPECT_EQ(q->FieldByName("MEMO")->AsString(), "same");
  TADOQuery bad;
  bad.SetConnection(&Conn);
  bad.SQL()->SetText("select * from t where id = :id");
  EXPECT_THROW(bad.ParamByName("nope"), EDatabaseError);
}

TEST_P(StatementSuite, BlobsIncludingAnEmptyOne)
{
  AnsiString bytes("\x00\x01\xFF<xml>中</xml>", 16);
  TADOQuery q;
  q.SetConnection(&Conn);
  q.SQL()->SetText("update t set data = :d where id = :id");
  TMemoryStream full;
  full.WriteBuffer(bytes.data(), Length(bytes));
  q.ParamByName("d")->LoadFromStream(&full, ftBlob);
  q.ParamByName("id")->SetValue(Variant(1));
  EXPECT_EQ(q.ExecSQL(), 1);
  TMemoryStream empty;
  q.ParamByName("d")->LoadFromStream(&empty, ftBlob);
  q.ParamByName("id")->SetValue(Variant(2));
  EXPECT_EQ(q.ExecSQL(), 1);
  auto r = Open("select id, data from t order by id");
  TField* data = r->FieldByName("data");
  EXPECT_TRUE(data->IsBlob());
  EXPECT_EQ(data->AsString(), bytes);
  r->Next();
  EXPECT_FALSE(data->IsNull());
  EXPECT_EQ(static_cast<TBlobField*>(data)->BlobSize(), 0);
  auto n = Open("select count(*) as c from t where data is null");
  EXPECT_EQ(n->FieldByName("c")->AsInteger(), 0);
}

TEST_P(StatementSuite, GbkTextRoundTripAndTypes)
{
  AnsiString text = "北京市海淀区 Ω€";
  TDateTime stamp = EncodeDateTime(2026, 12, 10, 13, 45, 30, 0);
  EXPECT_EQ(ExecSql("insert into t (id, name, flag, stamp, amount) values (:id, :n, :f, :s, :a)",
                    {{"id", Variant(7)},
                     {"n", Variant(text)},
                     {"f", Variant(true)},
                     {"s", VarFromDateTime(stamp)},
                     {"a", Variant(12.25)}}),
            1);
  auto q = Open("select * from t where name = :n", {{"n", Variant(text)}});
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_EQ(q->FieldByName("NAME")->AsString(), text);
  EXPECT_TRUE(q->FieldByName("flag")->AsBoolean());
  EXPECT_EQ(q->FieldByName("stamp")->AsDateTime(), stamp);
  EXPECT_DOUBLE_EQ(q->FieldByName("amount")->AsFloat(), 12.25);
  EXPECT_TRUE(q->FieldByName("memo")->IsNull());
  EXPECT_EQ(q->FieldByName("id")->DataType(), ftInteger);
  EXPECT_EQ(q->FieldByName("name")->DataType(), ftString);
  EXPECT_EQ(q->FieldByName("memo")->DataType(), ftMemo);
  EXPECT_EQ(q->FieldByName("flag")->DataType(), ftBoolean);
  EXPECT_EQ(q->FieldByName("stamp")->DataType(), ftDateTime);
  auto f = Open("select flag from t where id = 2");
  EXPECT_FALSE(f->FieldByName("flag")->AsBoolean());
}

TEST_P(StatementSuite, FailingStatementCarriesTheDatabaseMessage)
{
  try {
    Exec("select * from missing_table");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("missing_table"), AnsiString::npos) << e.Message();
  }
  TADOQuery q;
  q.SetConnection(&Conn);
  q.SQL()->SetText("select nothing from t");
  EXPECT_THROW(q.Open(), EDatabaseError);
  EXPECT_FALSE(q.Active());
  EXPECT_THROW(q.RecordCount(), EDatabaseError); // the closed-set error after a failed open
}

TEST_P(StatementSuite, Transactions)
{
  Conn.BeginTrans();
  EXPECT_TRUE(Conn.InTransaction());
  ExecSql("insert into t (id, name) values (:id, 'tx')", {{"id", Variant(10)}});
  Conn.RollbackTrans();
  EXPECT_EQ(Open("select * from t where id = 10")->RecordCount(), 0);
  Conn.BeginTrans();
  ExecSql("insert into t (id, name) values (:id, 'tx')", {{"id", Variant(11)}});
  Conn.CommitTrans();
  EXPECT_EQ(Open("select * from t where id = 11")->RecordCount(), 1);
  // After a failure inside a transaction, rolling back clears it.
  Conn.BeginTrans();
  EXPECT_THROW(Exec("insert into t (id) values (1)"), EDatabaseError); // duplicate key
  Conn.RollbackTrans();
  EXPECT_EQ(ExecSql("update t set name = 'ok' where id = :id", {{"id", Variant(1)}}), 1);
}

TEST_P(StatementSuite, TopBracketsAndCaseInsensitiveLogins)
{
  auto top = Open("select top 1 [id], [name] from t order by [id] desc");
  ASSERT_EQ(top->RecordCount(), 1);
  EXPECT_EQ(top->FieldByName("ID")->AsInteger(), 2);
  EXPECT_EQ(Open("select * from t where login = :l", {{"l", Variant("ADMIN")}})->RecordCount(), 1);
  EXPECT_EQ(Open("select * from t where login = :l", {{"l", Variant("SA")}})
                ->FieldByName("id")
                ->AsInteger(),
            2);
}

TEST_P(StatementSuite, LocalEditsNeverReachTheDatabase)
{
  auto q = Open("select id, name from t order by id");
  EXPECT_EQ(q->RecordCount(), 2);
  q->Edit();
  q->FieldByName("name")->SetAsString("local");
  q->Post();
  q->AppendRecord({Variant(50), Variant("new")});
  q->First();
  q->Delete();
  EXPECT_EQ(q->RecordCount(), 2);
  // Bookmarks and Prior work on the fetched result.
  q->Last();
  TBookmark b = q->Bookmark();
  q->Prior();
  EXPECT_EQ(q->FieldByName("name")->AsString(), "二"); // the edited first record was deleted
  q->GotoBookmark(b);
  EXPECT_EQ(q->FieldByName("id")->AsInteger(), 50);
  auto check = Open("select name from t order by id");
  EXPECT_EQ(check->RecordCount(), 2);
  EXPECT_EQ(check->FieldByName("name")->AsString(), "one");
}

TEST_P(StatementSuite, DataSetCommandAndExpressionColumns)
{
  TADODataSet ds;
  ds.SetConnection(&Conn);
  ds.SetCommandText("select count(*) as n, max(name) as m, null as z from t where id < :lim");
  ds.Params()->ParamByName("lim")->SetValue(Variant(100));
  ds.Open();
  EXPECT_EQ(ds.FieldByName("n")->AsInteger(), 2);
  EXPECT_EQ(ds.FieldByName("m")->AsString(), "二"); // compared as UTF-8 bytes by both databases
  EXPECT_TRUE(ds.FieldByName("z")->IsNull());
  TADOCommand cmd;
  cmd.SetConnection(&Conn);
  cmd.SetCommandText("delete from t where id = :id");
  cmd.Params()->ParamByName("id")->SetValue(Variant(1));
  cmd.SetExecuteOptions({eoExecuteNoRecords});
  EXPECT_EQ(cmd.Execute(), 1);
}

TEST_P(StatementSuite, DetailQueryRefreshAndFieldDefs)
{
  auto master = Open("select id from t order by id");
  TDataSource source;
  source.SetDataSet(master.get());
  TADOQuery detail;
  detail.SetConnection(&Conn);
  detail.SQL()->SetText("select name from t where id = :id");
  detail.SetDataSource(&source);
  detail.Open();
  EXPECT_EQ(detail.FieldByName("name")->AsString(), "one");
  master->Next();
  EXPECT_EQ(detail.FieldByName("name")->AsString(), "二");
  EXPECT_EQ(detail.DataSource(), &source);

  auto all = Open("select id from t order by id");
  ExecSql("insert into t (id) values (:id)", {{"id", Variant(3)}});
  EXPECT_EQ(all->RecordCount(), 2);
  all->Refresh();
  EXPECT_EQ(all->RecordCount(), 3);

  TADOQuery closed;
  closed.SetConnection(&Conn);
  closed.SQL()->SetText("select * from t");
  closed.FieldDefs()->Update();
  EXPECT_FALSE(closed.Active());
  ASSERT_EQ(closed.FieldDefs()->Count(), 8);
  EXPECT_EQ(closed.FieldDefs()->Items(1)->DataType(), ftString);
  EXPECT_EQ(closed.FieldDefs()->Items(1)->Size(), 50);
}

// A varchar(n) column is n characters wide on both databases, and a field holds n Chinese
// characters (2n GBK bytes) without cutting them; only a longer value is cut, at a character.
TEST_P(StatementSuite, VarcharSizeCountsCharacters)
{
  AnsiString chinese;
  for (int i = 0; i < 50; ++i)
    chinese += "二";
  ExecSql("update t set name = :n where id = 1", {{"n", Variant(chinese)}});
  auto q = Open("select id, name from t order by id");
  TField* name = q->FieldByName("name");
  EXPECT_EQ(name->Size(), 50);
  EXPECT_EQ(name->AsString(), chinese);
  q->Edit();
  name->SetAsString(chinese + "三a");
  EXPECT_EQ(name->AsString(), chinese);
  name->SetAsString("a" + chinese);
  EXPECT_EQ(name->AsString(), "a" + chinese.substr(0, 98));
}

// Several statements in one command run in order on both databases when the command has
// no parameters; rows come from the last statement that returns any. With parameters the
// command is refused on both before anything runs.
TEST_P(StatementSuite, SeveralStatementsInOneCommand)
{
  Exec("insert into t (id, name) values (20, 'a'); insert into t (id, name) values (21, 'b;c');\n"
       "-- done;\n");
  auto q = Open("update t set name = 'x' where id = 20; select name from t where id >= 20 "
                "order by id");
  ASSERT_EQ(q->RecordCount(), 2);
  EXPECT_EQ(q->FieldByName("name")->AsString(), "x");
  q->Next();
  EXPECT_EQ(q->FieldByName("name")->AsString(), "b;c");
  try {
    ExecSql("delete from t where id = :id; delete from t", {{"id", Variant(20)}});
    FAIL() << "several statements with parameters ran";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("only one statement"), AnsiString::npos) << e.Message();
  }
  EXPECT_EQ(Open("select id from t")->RecordCount(), 4);
  // A failing statement stops the command with its message; the connection stays usable.
  EXPECT_THROW(Exec("delete from t where id = 21; select * from missing_table; delete from t"),
               EDatabaseError);
  EXPECT_GE(Open("select id from t")->RecordCount(), 3);
  EXPECT_EQ(Exec("update t set name = 'y' where id = 1"), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, StatementSuite, testing::Values(beSQLite, bePostgreSQL),
                         BackendName);

// ---- SQLite specifics ----

TEST(SQLiteConnection, MissingFileFailsAndIsNotCreated)
{
  AnsiString path = GetTempPath() + "qh-no-such-db.mdb";
  DeleteFile(path);
  TADOConnection conn;
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + path +
                           "\";Mode=Share Deny None");
  EXPECT_THROW(conn.Open(), EDatabaseError);
  EXPECT_FALSE(conn.Connected());
  EXPECT_FALSE(FileExists(path));
}

// A database file removed under an open connection closes it with a message that says so;
// once the file is back, Open connects again.
TEST(SQLiteConnection, RemovedFileClosesTheConnection)
{
  AnsiString db = GetTempFileName("", "qhdb");
  AnsiString copy = db + ".copy";
  TADOConnection conn;
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db);
  conn.Open();
  conn.Execute("create table kept (id integer)");
  conn.Execute("insert into kept values (1)");
  conn.BackupTo(copy);
  ASSERT_TRUE(DeleteFile(db));
  EXPECT_FALSE(conn.Connected());
  for (const char* sql : {"insert into kept values (2)", "select * from kept"}) {
    try {
      conn.Execute(sql);
      ADD_FAILURE() << sql << " ran on a removed file";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(e.Message().find("was removed"), AnsiString::npos) << e.Message();
      EXPECT_EQ(e.Message().find("readonly"), AnsiString::npos) << e.Message();
    }
  }
  try {
    conn.Open();
    FAIL() << "opened a removed file";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(db), AnsiString::npos) << e.Message();
  }
  ASSERT_TRUE(CopyFile(copy, db, false));
  conn.Open();
  EXPECT_TRUE(conn.Connected());
  EXPECT_EQ(conn.Execute("insert into kept values (3)"), 1);
  conn.Close();
  DeleteFile(db);
  DeleteFile(copy);
}

TEST(SQLiteConnection, OnlineBackupAndValidatedRestore)
{
  AnsiString db = GetTempFileName("", "qhdb");
  AnsiString backup = db + ".bak";
  TADOConnection conn;
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db);
  conn.Open();
  conn.Execute("create table backup (id integer)");
  conn.Execute("insert into backup values (1)");
  conn.BackupTo(backup);
  conn.Execute("delete from backup");
  // A file that is no database is refused and the database stays as it was.
  AnsiString junk = db + ".junk";
  {
    TFileStream f(junk, fmCreate);
    f.WriteBuffer("not a database at all, just text......", 38);
  }
  EXPECT_THROW(conn.RestoreFrom(junk, {"backup"}), EDatabaseError);
  EXPECT_THROW(conn.RestoreFrom(backup, {"backup", "templates"}), EDatabaseError);
  TADOQuery q;
  q.SetConnection(&conn);
  q.SQL()->SetText("select count(*) as c from backup");
  q.Open();
  EXPECT_EQ(q.FieldByName("c")->AsInteger(), 0);
  conn.RestoreFrom(backup, {"backup"});
  EXPECT_TRUE(conn.Connected());
  q.Open();
  EXPECT_EQ(q.FieldByName("c")->AsInteger(), 1);
  conn.Close();
  for (const AnsiString& f : {db, backup, junk})
    DeleteFile(f);
}

// ---- PostgreSQL specifics ----

TEST(PostgreSQLConnection, ServerThroughTheClientAliasOrHostAndPort)
{
  AnsiString connection;
  std::string error;
  ASSERT_TRUE(PostgreSQLTestDatabase(connection, error))
      << "the PostgreSQL test server did not start: " << error;
  std::vector<TConnectionItem> items = ParseConnectionString(connection);
  AnsiString socketDir = ConnectionItemValue(items, "Data Source");
  AnsiString machine = GetTempFileName("", "qhreg");
  AnsiString user = GetTempFileName("", "qhreg");
  SetRegistryRoots(user, machine);
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo", true));
    reg.WriteString("QHSERVER", "DBMSSOCN," + socketDir + ",5432");
    reg.WriteString("WRONGPORT", "DBMSSOCN," + socketDir + ",5999");
  }
  struct Case {
    AnsiString DataSource;
    bool Connects;
  };
  const Case cases[] = {
      {"QHSERVER", true},          // alias with host and port
      {socketDir + ",5432", true}, // host and port without alias
      {"WRONGPORT", false},        // the alias wins over the name
      {socketDir + ",5999", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.DataSource);
    TADOConnection conn;
    conn.SetConnectionString(
        "Provider=SQLOLEDB.1;User ID=postgres;Password=;Initial Catalog=postgres;"
        "Data Source=" +
        c.DataSource + ";Workstation ID=qh;Packet Size=4096");
    if (c.Connects) {
      EXPECT_NO_THROW(conn.Open());
      EXPECT_EQ(conn.DefaultDatabase(), "postgres");
    } else {
      EXPECT_THROW(conn.Open(), EDatabaseError);
    }
  }
  SetRegistryRoots("", "");
  DeleteFile(machine);
  DeleteFile(user);
}

// A commit after a failed statement reports the rollback the server made instead of passing
// as a commit; nothing of the transaction is stored.
TEST(PostgreSQLConnection, CommitAfterAFailedStatementRaisesRolledBack)
{
  AnsiString connection;
  std::string error;
  ASSERT_TRUE(PostgreSQLTestDatabase(connection, error))
      << "the PostgreSQL test server did not start: " << error;
  TADOConnection conn;
  conn.SetConnectionString(connection);
  conn.Open();
  conn.Execute("drop table if exists committed");
  conn.Execute("create table committed (id integer primary key)");
  conn.BeginTrans();
  conn.Execute("insert into committed values (1)");
  EXPECT_THROW(conn.Execute("insert into committed values (1)"), EDatabaseError);
  try {
    conn.CommitTrans();
    FAIL() << "the commit of an aborted transaction passed";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("rolled back"), AnsiString::npos) << e.Message();
  }
  EXPECT_FALSE(conn.InTransaction());
  TADOQuery q;
  q.SetConnection(&conn);
  q.SQL()->SetText("select count(*) as c from committed");
  q.Open();
  EXPECT_EQ(q.FieldByName("c")->AsInteger(), 0);
  // A transaction without failures still commits.
  conn.BeginTrans();
  conn.Execute("insert into committed values (2)");
  EXPECT_NO_THROW(conn.CommitTrans());
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName("c")->AsInteger(), 1);
  conn.Execute("drop table committed");
}

// A connection the server ends is reported lost and counts as closed; Open connects again.
TEST(PostgreSQLConnection, LostConnectionIsClosedAndReopens)
{
  AnsiString connection;
  std::string error;
  ASSERT_TRUE(PostgreSQLTestDatabase(connection, error))
      << "the PostgreSQL test server did not start: " << error;
  TADOConnection conn, admin;
  conn.SetConnectionString(connection);
  admin.SetConnectionString(connection);
  conn.Open();
  admin.Open();
  TADOQuery pid;
  pid.SetConnection(&conn);
  pid.SQL()->SetText("select pg_backend_pid() as p");
  pid.Open();
  const Integer backend = pid.FieldByName("p")->AsInteger();
  pid.Close();
  admin.Execute("select pg_terminate_backend(" + IntToStr(backend) + ")");
  EXPECT_TRUE(conn.Connected()); // nothing has gone over the wire yet
  try {
    conn.Execute("select 1");
    FAIL() << "a statement ran on a terminated connection";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("connection to the database server was lost"), AnsiString::npos)
        << e.Message();
  }
  EXPECT_FALSE(conn.Connected());
  EXPECT_THROW(conn.Execute("select 1"), EDatabaseError);
  conn.Close();
  conn.Open();
  EXPECT_TRUE(conn.Connected());
  EXPECT_NO_THROW(conn.Execute("select 1"));
  // A dataset opened on a lost connection connects again by itself.
  pid.Open();
  admin.Execute("select pg_terminate_backend(" + IntToStr(pid.FieldByName("p")->AsInteger()) + ")");
  pid.Close();
  EXPECT_THROW(conn.Execute("select 1"), EDatabaseError);
  pid.Open();
  EXPECT_TRUE(conn.Connected());
  EXPECT_NE(pid.FieldByName("p")->AsInteger(), backend);
}

TEST(PostgreSQLConnection, AbortedTransactionNeedsRollback)
{
  AnsiString connection;
  std::string error;
  ASSERT_TRUE(PostgreSQLTestDatabase(connection, error))
      << "the PostgreSQL test server did not start: " << error;
  TADOConnection conn;
  conn.SetConnectionString(connection);
  conn.Open();
  conn.BeginTrans();
  EXPECT_THROW(conn.Execute("select * from no_such_table"), EDatabaseError);
  try {
    conn.Execute("select 1");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("aborted"), AnsiString::npos) << e.Message();
  }
  conn.RollbackTrans();
  EXPECT_NO_THROW(conn.Execute("select 1"));
}
