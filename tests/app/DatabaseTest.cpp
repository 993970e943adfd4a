#include "app/Database.h"

#include <gtest/gtest.h>

#include "platform/data/ADODB.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Streams.h"
#include "tests/app/AppDbSupport.h"

TEST(ConnectionString, ValueOfKey)
{
  struct {
    const char* Name;
    AnsiString Text;
    AnsiString Key;
    AnsiString Value;
  } cases[] = {
      {"middle item", "Provider=P;Data Source=/a/b.mdb;X=1", "Data Source", "/a/b.mdb"},
      {"first item", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x;", "Provider",
       "Microsoft.Jet.OLEDB.4.0"},
      {"last item without ';'", "Provider=P;Data Source=x", "Data Source", ""},
      {"missing key", "Provider=P;", "Data Source", ""},
      {"case matters", "provider=P;", "Provider", ""},
      {"empty value", "Provider=;X=1", "Provider", ""},
      {"quoted ';'", "Password=\"a;b\";Data Source=s;", "Password", "a;b"},
      {"doubled quotes", "Password=\"say \"\"hi\"\"\";X=1", "Password", "say \"hi\""},
      {"single quotes", "Password='it''s';X=1", "Password", "it's"},
      {"key inside a quoted value", "Password=\"Data Source=evil;\";Data Source=good;",
       "Data Source", "good"},
      {"quoted last item", "Data Source=\"x;y\"", "Data Source", ""},
      {"GBK value", "Data Source=快递.mdb;", "Data Source", "快递.mdb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ConnectionStringValue(c.Text, c.Key), c.Value);
  }
}

TEST(ConnectionString, QuoteOnlyWhatNeedsIt)
{
  struct {
    AnsiString Value;
    AnsiString Quoted;
  } cases[] = {
      {"", ""},
      {"plain value", "plain value"},
      {"a\"b", "a\"b"}, // an inner quote alone does not break the string
      {"a;b", "\"a;b\""},
      {"\"ab", "\"\"\"ab\""},
      {"'ab", "\"'ab\""},
      {"x;\"y\"", "\"x;\"\"y\"\"\""},
      // The driver trims what stands unquoted at either end: a password " pw\t" stays whole.
      {" pw", "\" pw\""},
      {"pw\t", "\"pw\t\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EQ(QuoteConnectionValue(c.Value), c.Quoted);
    const AnsiString connection = "K=" + QuoteConnectionValue(c.Value) + ";";
    EXPECT_EQ(ConnectionStringValue(connection, "K"), c.Value);
    EXPECT_EQ(ConnectionItemValue(ParseConnectionString(connection), "K"), c.Value);
  }
}

// ---- The database unit against both databases ----

namespace {

using app_test::TAppDatabaseTest;

class DatabaseUnit : public TAppDatabaseTest {
protected:
  void AddOperator(const AnsiString& id, const AnsiString& name)
  {
    Db->ExecSql(u"insert into operator(LoginId,[Password],Name)values(:LoginId,:Password,:Name)",
                {MakeParam("LoginId", id), MakeParam("Password", "pw"), MakeParam("Name", name)});
  }
};

} // namespace

TEST_P(DatabaseUnit, ExecSqlCountsRowsAndReportsFailuresWithTheStatement)
{
  AddOperator("a", "甲");
  AddOperator("b", "乙");
  EXPECT_EQ(Db->ExecSql(u"update operator set Name=:Name where LoginId=:LoginId",
                        {MakeParam("Name", "丙"), MakeParam("LoginId", "a")}),
            1);
  EXPECT_EQ(Db->ExecSql(u"update operator set Name=:Name where LoginId=:LoginId",
                        {MakeParam("Name", "x"), MakeParam("LoginId", "nobody")}),
            0);
  EXPECT_EQ(Db->ExecSql(u"delete from operator where LoginId<>'sa'"), 2);

  try {
    Db->ExecSql(u"update nosuchtable set x=1");
    ADD_FAILURE() << "no exception";
  } catch (const EDatabaseError& e) {
    // The database's own message, then the statement.
    const AnsiString& m = e.Message();
    const auto br = m.find("\r\n");
    ASSERT_NE(br, AnsiString::npos) << m;
    EXPECT_NE(m.substr(0, br).find("nosuchtable"), AnsiString::npos) << m;
    EXPECT_EQ(m.substr(br), "\r\nupdate nosuchtable set x=1");
  }
  // A name the statement lacks is the parameter error, with the statement.
  try {
    Db->Execute(u"delete from operator where LoginId=:LoginId", {MakeParam("Login", "a")});
    ADD_FAILURE() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(),
              "Parameter 'Login' not found\r\ndelete from operator where LoginId=:LoginId");
  }
}

TEST_P(DatabaseUnit, ExecuteWritesBlobsIncludingAnEmptyOne)
{
  TMemoryStream data;
  data.WriteBuffer("\x00\xff\r\n", 4);
  TMemoryStream empty;
  Db->Execute(u"insert into templates(Id, ImgData) values (:Id, :ImgData)", {MakeParam("Id", 1)},
              {MakeStreamParam("ImgData", &empty)});
  Db->ExecSql(u"insert into templates(Id, ImgData) values (:Id, :ImgData)", {MakeParam("Id", 2)},
              {MakeStreamParam("ImgData", &data)});
  TQuerySet q;
  ASSERT_EQ(q.Open(u"select ImgData from templates order by Id"), 2);
  EXPECT_FALSE(q.DataSet()->Fields()->Fields(0)->IsNull());
  EXPECT_EQ(q.DataSet()->Fields()->Fields(0)->AsString(), "");
  q.DataSet()->Next();
  EXPECT_EQ(q.DataSet()->Fields()->Fields(0)->AsString(), AnsiString("\x00\xff\r\n", 4));
}

TEST_P(DatabaseUnit, FailedOpenShowsTheStatementThenTheClosedSetError)
{
  TMessageBoxRecorder boxes;
  TRecordSet set;
  EXPECT_THROW(set.Open(u"select * from nosuchtable"), EDatabaseError);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  const AnsiString& text = boxes.Boxes[0].Text;
  EXPECT_EQ(
      text.rfind("\r\nSQL语句错误,原文如下:\r\nselect * from nosuchtable\r\n\r\n错误提示:\r\n", 0),
      0u)
      << text;
  EXPECT_FALSE(set.DataSet()->Active());
  try {
    set.Open(u"select * from nosuchtable");
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("Cannot perform this operation on a closed dataset"),
              AnsiString::npos);
  }
}

TEST_P(DatabaseUnit, RecordSetsFieldsAndLocalEdits)
{
  AddOperator("a", "甲");
  AddOperator("b", "乙");
  AddOperator("c", "丙");
  TRecordSet set;
  TStringField* id = set.AddField<TStringField>("LoginId", -1, true, "登陆名");
  TStringField* name = set.AddField<TStringField>("Name", 30, false, "姓名");
  EXPECT_EQ(id->DisplayLabel(), "登陆名");
  EXPECT_EQ(id->DataSet(), set.DataSet());
  EXPECT_FALSE(name->Visible());
  EXPECT_EQ(name->Size(), 30);
  EXPECT_EQ(set.JoinFieldValues(name, ","), u""); // closed

  EXPECT_EQ(set.Open(u"select LoginId, Name from operator where LoginId<>'sa' order by LoginId"),
            3);
  EXPECT_EQ(set.SqlText(),
            u"select LoginId, Name from operator where LoginId<>'sa' order by LoginId");
  EXPECT_EQ(WideToGbk(set.JoinFieldValues(name, "、")), "甲、乙、丙");
  EXPECT_TRUE(set.DataSet()->Eof());

  set.DataSet()->First();
  set.DeleteCurrent();
  EXPECT_EQ(set.DataSet()->RecordCount(), 2);
  set.DeleteAll();
  EXPECT_EQ(set.DataSet()->RecordCount(), 0);
  set.DeleteCurrent(); // nothing left: no error
  EXPECT_EQ(WideToGbk(set.JoinFieldValues(name, ",")), "");

  TQuerySet count;
  ASSERT_EQ(count.Open(u"select count(*) from operator where LoginId<>'sa'"), 1);
  EXPECT_EQ(count.DataSet()->Fields()->Fields(0)->AsInteger(), 3); // the table kept its rows
}

TEST_P(DatabaseUnit, ConnectionValuesAndProvider)
{
  EXPECT_EQ(Db->IsSqlServer(), GetParam() == app_test::bePostgreSQL);
  EXPECT_EQ(WideToGbk(Db->ProviderName()),
            GetParam() == app_test::beSQLite ? "Microsoft.Jet.OLEDB.4.0" : "SQLOLEDB.1");
  EXPECT_EQ(WideToGbk(Db->DataSourceName()),
            ConnectionStringValue(ConnectionString, "Data Source"));
  EXPECT_FALSE(WideToGbk(Db->DataSourceName()).empty());

  Db->SetConnected(false);
  EXPECT_FALSE(Db->Connected());
  EXPECT_EQ(Db->ExecSql(u"delete from operator where LoginId='nobody'"),
            0); // statements reopen the connection
  EXPECT_TRUE(Db->Connected());
}

TEST_P(DatabaseUnit, Transactions)
{
  Db->BeginTrans();
  AddOperator("a", "甲");
  Db->RollbackTrans();
  Db->BeginTrans();
  AddOperator("b", "乙");
  Db->CommitTrans();
  TQuerySet q;
  ASSERT_EQ(q.Open(u"select LoginId from operator where LoginId<>'sa'"), 1);
  EXPECT_EQ(q.DataSet()->Fields()->Fields(0)->AsString(), "b");
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseUnit,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

TEST(DatabaseConnect, FailureIsShownAndGivesFalse)
{
  TMessageBoxRecorder boxes;
  EXPECT_FALSE(
      Db->Connect(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/nonexistent/dir/x.mdb;"));
  EXPECT_FALSE(Db->Connected());
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text.rfind("\r\n连接时失败,提示如下:\r\n", 0), 0u)
      << boxes.Boxes[0].Text;
  EXPECT_FALSE(Db->IsSqlServer());
  Db->Connect(u"Provider=Other;");
  EXPECT_TRUE(Db->IsSqlServer());
  Db->Connect(u"Provider=microsoft.jet.oledb.4.0;");
  EXPECT_TRUE(Db->IsSqlServer()); // compared exactly
}
