// The application's schema on both databases, exercised with the program's own statement
// forms, a new default database file, and backups.
#include <gtest/gtest.h>

#include <memory>

#include "platform/data/ADODB.h"
#include "platform/data/Schema.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "tests/platform/data/TestDatabases.h"

namespace {

enum TBackend { beSQLite, bePostgreSQL };

AnsiString BackendName(const testing::TestParamInfo<TBackend>& Info)
{
  return Info.param == beSQLite ? "SQLite" : "PostgreSQL";
}

class SchemaSuite : public testing::TestWithParam<TBackend> {
protected:
  void SetUp() override
  {
    if (GetParam() == beSQLite) {
      Conn.SetConnectionString(NewSQLiteDatabase(FFile));
    } else {
      AnsiString connection;
      std::string error;
      ASSERT_TRUE(PostgreSQLTestDatabase(connection, error)) << "the PostgreSQL test server did not start: " << error;
      Conn.SetConnectionString(connection);
      Conn.Open();
      for (const AnsiString& table : SchemaTables())
        Conn.Execute("drop table if exists " + table);
    }
    CreateSchema(&Conn);
  }

  void TearDown() override
  {
    Conn.Close();
    if (!FFile.empty())
      DeleteFile(FFile);
  }

  Integer Exec(const AnsiString& Sql, std::vector<std::pair<AnsiString, Variant>> Values = {})
  {
    TADOQuery q;
    q.SetConnection(&Conn);
    q.SQL()->SetText(Sql);
    q.SetExecuteOptions({eoExecuteNoRecords});
    for (auto& [name, value] : Values)
      q.ParamByName(name)->SetValue(value);
    return q.ExecSQL();
  }

  std::unique_ptr<TADOQuery> Open(const AnsiString& Sql, std::vector<std::pair<AnsiString, Variant>> Values = {})
  {
    auto q = std::make_unique<TADOQuery>();
    q->SetConnection(&Conn);
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

TEST_P(SchemaSuite, SeedRowsAndLoginIdsIgnoringCase)
{
  auto op = Open("select LoginId,Password,Name,Contact,[Note],Rights from operator where LoginId=:LoginId",
                 {{"LoginId", Variant("SA")}});
  ASSERT_EQ(op->RecordCount(), 1);
  EXPECT_EQ(op->Fields()->Fields(0)->AsString(), "sa");
  EXPECT_EQ(op->FieldByName("password")->AsString(), "");
  EXPECT_FALSE(op->FieldByName("Password")->IsNull());
  auto backup = Open("select * from [backup]");
  ASSERT_EQ(backup->RecordCount(), 1);
  EXPECT_EQ(backup->FieldByName("TypeId")->AsInteger(), 0);
  // A second "Sa" is the same login.
  EXPECT_THROW(Exec("insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)values"
                    "(:LoginId,:Password,:Name,:Contact,:Note,:Rights)",
                    {{"LoginId", Variant("Sa")}, {"Password", Variant("")}, {"Name", Variant("")},
                     {"Contact", Variant("")}, {"Note", Variant("")}, {"Rights", Variant("")}}),
               EDatabaseError);
}

TEST_P(SchemaSuite, ProgramStatementsRun)
{
  // Company: update-else-insert by rows affected.
  std::vector<std::pair<AnsiString, Variant>> company{
      {"CompanyName", Variant("青禾快递")}, {"Manager", Variant("张三")}, {"Tel", Variant("010")},
      {"Fax", Variant("")},                 {"Address", Variant("北京")}, {"Zip", Variant("100000")},
      {"Profile", Variant("简介")},         {"Id", Variant(1)},           {"Updated", Variant(false)}};
  EXPECT_EQ(Exec("update Company set CompanyName=:CompanyName,Manager=:Manager,Tel=:Tel,Fax=:Fax,Address=:Address,"
                 "Zip=:Zip,Profile=:Profile,Updated=:Updated where Id=:Id",
                 company),
            0);
  EXPECT_EQ(Exec("insert into Company(Id,CompanyName,Manager,Tel,Fax,Address,Zip,Profile,Updated)values"
                 "(:Id,:CompanyName,:Manager,:Tel,:Fax,:Address,:Zip,:Profile,:Updated)",
                 company),
            1);
  auto c = Open("select * from Company");
  EXPECT_EQ(c->FieldByName("CompanyName")->AsString(), "青禾快递");
  EXPECT_EQ(c->FieldByName("Profile")->DataType(), ftMemo);
  EXPECT_FALSE(c->FieldByName("Updated")->AsBoolean());
  // Options: max of an empty table, then rows with Null lists.
  auto max = Open("select max([Key]) from options");
  EXPECT_TRUE(max->Fields()->Fields(0)->IsNull());
  EXPECT_EQ(Exec("insert into options([Key], List) values (:Key, :List)", {{"Key", Variant(1)}, {"List", ::Null()}}), 1);
  EXPECT_EQ(Open("select * from options order by [Key]")->RecordCount(), 1);
  // Templates: blob picture and the layout named TemData in one statement, Temdata in another.
  AnsiString picture("\xFF\xD8\xFF\x00jpeg", 8);
  TADOQuery ins;
  ins.SetConnection(&Conn);
  ins.SQL()->SetText("insert into templates(Id,BillName,AddTime,ImgName,ImgData,Billman,Temdata)values"
                     "(:Id,:BillName,:AddTime,:ImgName,:ImgData,:Billman,:TemData)");
  ins.ParamByName("Id")->SetValue(Variant(1));
  ins.ParamByName("BillName")->SetValue(Variant("顺丰"));
  ins.ParamByName("AddTime")->SetValue(VarFromDateTime(EncodeDateTime(2026, 12, 10, 9, 30, 0, 0)));
  ins.ParamByName("ImgName")->SetValue(Variant("/pics/sf.jpg"));
  TMemoryStream stream;
  stream.WriteBuffer(picture.data(), 8);
  ins.ParamByName("ImgData")->LoadFromStream(&stream, ftBlob);
  ins.ParamByName("Billman")->SetValue(Variant("sa"));
  ins.ParamByName("Temdata")->SetValue(Variant("Label1=a,b"));
  EXPECT_EQ(ins.ExecSQL(), 1);
  auto list = Open("select Id, ImgName, AddTime, Billman, Temdata, BillName from templates where 1=1");
  ASSERT_EQ(list->RecordCount(), 1);
  EXPECT_EQ(list->Fields()->Fields(5)->AsString(), "顺丰");
  EXPECT_EQ(list->FieldByName("Temdata")->AsString(), "Label1=a,b");
  auto img = Open("select top 1 ImgData from templates where Id=:Id", {{"Id", Variant(1)}});
  EXPECT_EQ(img->FieldByName("ImgData")->AsString(), picture);
  // Report definitions and the backup plan.
  EXPECT_EQ(Exec("update [backup] set TypeId=:TypeId, BackDir=:BackDir", {{"TypeId", Variant(2)}, {"BackDir", Variant("/var/bak/")}}), 1);
  EXPECT_EQ(Exec("insert into report(Id,GrpId,Title)values(:Id,:GrpId,:Title)",
                 {{"Id", Variant(1)}, {"GrpId", Variant(1001)}, {"Title", Variant("月报")}}),
            1);
  EXPECT_EQ(Open("select Id, Title from report where GrpId=:GrpId", {{"GrpId", Variant(1001)}})->RecordCount(), 1);
}

TEST_P(SchemaSuite, BackupAndRestore)
{
  AnsiString file = GetTempFileName("", "qhbak");
  DeleteFile(file);
  Exec("insert into keyvalue(KeyId, Vint) values (1, 10)");
  Conn.BackupTo(file);
  ASSERT_TRUE(FileExists(file));
  Exec("delete from keyvalue");
  Conn.RestoreFrom(file, SchemaTables());
  Conn.Open();
  EXPECT_EQ(Open("select Vint from keyvalue where KeyId = 1")->FieldByName("Vint")->AsInteger(), 10);
  DeleteFile(file);
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaSuite, testing::Values(beSQLite, bePostgreSQL), BackendName);

TEST(SchemaFile, CreatesTheDefaultDatabaseOnceAndCompletely)
{
  AnsiString dir = GetTempFileName("", "qhdir");
  DeleteFile(dir);
  ASSERT_TRUE(CreateDir(dir));
  AnsiString path = dir + "/qhwbp.mdb";
  CreateDatabaseFile(path);
  ASSERT_TRUE(FileExists(path));
  EXPECT_THROW(CreateDatabaseFile(path), EDatabaseError); // never overwrites
  TADOConnection conn;
  conn.SetConnectionString(AnsiString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path);
  conn.Open();
  for (const AnsiString& table : SchemaTables()) {
    SCOPED_TRACE(table);
    TADOQuery q;
    q.SetConnection(&conn);
    q.SQL()->SetText("select count(*) as n from [" + table + "]");
    q.Open();
    EXPECT_GE(q.FieldByName("n")->AsInteger(), 0);
  }
  conn.Close();
  DeleteFile(path);
  RemoveDir(dir);
}
