// The application's schema on both databases, exercised with the program's own statement
// forms, a new default database file, and backups.
#include "platform/data/Schema.h"

#include <memory>

#include <gtest/gtest.h>

#include "platform/data/ADODB.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/TestDatabases.h"

namespace {

class SchemaSuite : public testing::TestWithParam<TBackend> {
protected:
  void SetUp() override
  {
    if (GetParam() == beSQLite) {
      Conn.SetConnectionString(NewSQLiteDatabase(FFile));
    } else {
      AnsiString connection;
      std::string error;
      ASSERT_TRUE(PostgreSQLTestDatabase(connection, error))
          << "the PostgreSQL test server did not start: " << error;
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

  std::unique_ptr<TADOQuery> Open(const AnsiString& Sql,
                                  std::vector<std::pair<AnsiString, Variant>> Values = {})
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
  auto op = Open(
      "select LoginId,Password,Name,Contact,[Note],Rights from operator where LoginId=:LoginId",
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
                    {{"LoginId", Variant("Sa")},
                     {"Password", Variant("")},
                     {"Name", Variant("")},
                     {"Contact", Variant("")},
                     {"Note", Variant("")},
                     {"Rights", Variant("")}}),
               EDatabaseError);
}

TEST_P(SchemaSuite, ProgramStatementsRun)
{
  // Company: update-else-insert by rows affected.
  std::vector<std::pair<AnsiString, Variant>> company{{"CompanyName", Variant("青禾快递")},
                                                      {"Manager", Variant("张三")},
                                                      {"Tel", Variant("010")},
                                                      {"Fax", Variant("")},
                                                      {"Address", Variant("北京")},
                                                      {"Zip", Variant("100000")},
                                                      {"Profile", Variant("简介")},
                                                      {"Id", Variant(1)},
                                                      {"Updated", Variant(false)}};
  EXPECT_EQ(Exec("update Company set "
                 "CompanyName=:CompanyName,Manager=:Manager,Tel=:Tel,Fax=:Fax,Address=:Address,"
                 "Zip=:Zip,Profile=:Profile,Updated=:Updated where Id=:Id",
                 company),
            0);
  EXPECT_EQ(
      Exec("insert into Company(Id,CompanyName,Manager,Tel,Fax,Address,Zip,Profile,Updated)values"
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
  EXPECT_EQ(Exec("insert into options([Key], List) values (:Key, :List)",
                 {{"Key", Variant(1)}, {"List", ::Null()}}),
            1);
  EXPECT_EQ(Open("select * from options order by [Key]")->RecordCount(), 1);
  // Templates: blob picture and the layout named TemData in one statement, Temdata in another.
  AnsiString picture("\xFF\xD8\xFF\x00jpeg", 8);
  TADOQuery ins;
  ins.SetConnection(&Conn);
  ins.SQL()->SetText(
      "insert into templates(Id,BillName,AddTime,ImgName,ImgData,Billman,Temdata)values"
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
  auto list =
      Open("select Id, ImgName, AddTime, Billman, Temdata, BillName from templates where 1=1");
  ASSERT_EQ(list->RecordCount(), 1);
  EXPECT_EQ(list->Fields()->Fields(5)->AsString(), "顺丰");
  EXPECT_EQ(list->FieldByName("Temdata")->AsString(), "Label1=a,b");
  auto img = Open("select top 1 ImgData from templates where Id=:Id", {{"Id", Variant(1)}});
  EXPECT_EQ(img->FieldByName("ImgData")->AsString(), picture);
  // Report definitions and the backup plan.
  EXPECT_EQ(Exec("update [backup] set TypeId=:TypeId, BackDir=:BackDir",
                 {{"TypeId", Variant(2)}, {"BackDir", Variant("/var/bak/")}}),
            1);
  EXPECT_EQ(Exec("insert into report(Id,GrpId,Title)values(:Id,:GrpId,:Title)",
                 {{"Id", Variant(1)}, {"GrpId", Variant(1001)}, {"Title", Variant("月报")}}),
            1);
  EXPECT_EQ(Open("select Id, Title from report where GrpId=:GrpId", {{"GrpId", Variant(1001)}})
                ->RecordCount(),
            1);
}

// Every statement form the program runs, in an order that gives each something to do.
TEST_P(SchemaSuite, EveryProgramStatementRuns)
{
  const char* const statements[] = {
      "select * from Company",
      "select 1 from Company where Id=:Id",
      "insert into Company(Id,CompanyName,Manager,Tel,Fax,Address,Zip,Profile,Updated)values"
      "(:Id,:CompanyName,:Manager,:Tel,:Fax,:Address,:Zip,:Profile,:Updated)",
      "update Company set "
      "CompanyName=:CompanyName,Manager=:Manager,Tel=:Tel,Fax=:Fax,Address=:Address,Zip=:Zip,"
      "Profile=:Profile,Updated=:Updated where Id=:Id",
      "update Company set UseCount=:q1 where Id=:Id",
      "select * from [backup]",
      "update [backup] set TypeId=:TypeId, BackDir=:BackDir",
      "insert into keyvalue(KeyId) values (:KeyId)",
      "update keyvalue set Vstr=:Vstr, Vint=:Vint, Vfloat=:Vfloat, Vbool=:Vbool where KeyId=:KeyId",
      "insert into keyvalue(Vstr, Vint, Vfloat, Vbool, KeyId)values(:Vstr, :Vint, :Vfloat, :Vbool, "
      ":KeyId2)",
      "select * from keyvalue",
      "insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)values"
      "(:LoginId,:Password,:Name,:Contact,:Note,:Rights)",
      "update operator set [Password]=:Password where LoginId=:LoginId",
      "update operator set "
      "[Password]=:Password,Name=:Name,Contact=:Contact,[Note]=:Note,Rights=:Rights "
      "where LoginId=:LoginId",
      "select * from operator where LoginId<>'sa'",
      "select LoginId,Password,Name,Contact,[Note],Rights from operator where LoginId=:LoginId",
      "insert into options([Key], List) values (:Key, :List)",
      "select * from options order by [Key]",
      "select max([Key]) from options",
      "select max(Id) from templates",
      "insert into templates(BillName, AddTime, ImgName, ImgData, Billman, Temdata, Id)values"
      "(:BillName,:AddTime,:ImgName,:ImgData,:Billman,:Temdata,:Id)",
      "update templates set BillName=:BillName where Id=:Id",
      "update templates set "
      "BillName=:BillName,AddTime=:AddTime,ImgName=:ImgName,Billman=:Billman,TemData=:TemData "
      "where Id=:Id",
      "select Id, ImgName, AddTime, Billman, Temdata, BillName from templates where 1=1",
      "select ImgData from templates where Id=:Id",
      "insert into report(Id,GrpId,Title)values(:Id,:GroupId,:Title)",
      "update report set Title=:Title where Id=:Id",
      "update report set Va3File=:Va3File where Id=:Id",
      "insert into report (Va3File,Id)values(:Va3File,:Id2)",
      "select 1 from report where Id=:Id",
      "select * from report where Id=:Id",
      "select Id,Title from report where GrpId=:GroupId order by Title",
      "select top 1 Id from report order by Id desc",
      "delete from report where Id=:Id",
      "delete from templates where Id=:Id",
      "delete from operator where LoginId=:LoginId",
  };
  AnsiString xml = "<?xml version=\"1.0\" encoding=\"gb2312\"?><报表/>";
  auto valueOf = [&](const AnsiString& name) -> Variant {
    static const char* const texts[] = {"CompanyName", "Manager", "Tel",      "Fax",     "Address",
                                        "Zip",         "Profile", "Vstr",     "Name",    "Contact",
                                        "Note",        "Rights",  "BillName", "ImgName", "Billman",
                                        "Temdata",     "Title"};
    for (const char* t : texts)
      if (SameText(name, t))
        return Variant("值" + name);
    if (SameText(name, "Updated") || SameText(name, "Vbool"))
      return Variant(true);
    if (SameText(name, "Vfloat"))
      return Variant(2.5);
    if (SameText(name, "AddTime"))
      return VarFromDateTime(EncodeDateTime(2026, 12, 10, 8, 0, 0, 0));
    if (SameText(name, "LoginId"))
      return Variant("clerk");
    if (SameText(name, "Password") || SameText(name, "BackDir"))
      return Variant("");
    if (SameText(name, "List"))
      return ::Null();
    if (SameText(name, "GroupId"))
      return Variant(1001);
    if (SameText(name, "KeyId2") || SameText(name, "Id2"))
      return Variant(2);
    return Variant(1); // Id, KeyId, Key, Vint, q1, TypeId
  };
  for (const char* sql : statements) {
    SCOPED_TRACE(sql);
    TADOQuery q;
    q.SetConnection(&Conn);
    q.SQL()->SetText(sql);
    for (Integer i = 0; i < q.Params()->Count(); ++i) {
      TParam* p = q.Params()->Items(i);
      if (SameText(p->Name(), "ImgData") || SameText(p->Name(), "Va3File")) {
        TMemoryStream bytes;
        bytes.WriteBuffer(xml.data(), Length(xml));
        p->LoadFromStream(&bytes, ftBlob);
      } else {
        p->SetValue(valueOf(p->Name()));
      }
    }
    try {
      if (AnsiString(sql).rfind("select", 0) == 0)
        q.Open();
      else
        q.ExecSQL();
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message();
    }
  }
  auto report = Open("select Va3File from report where Id=:Id", {{"Id", Variant(2)}});
  EXPECT_EQ(report->FieldByName("Va3File")->AsString(), xml);
  // Clearing: every table emptied.
  for (const AnsiString& table : SchemaTables())
    EXPECT_NO_THROW(Exec("delete from [" + table + "]")) << table;
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
  EXPECT_EQ(Open("select Vint from keyvalue where KeyId = 1")->FieldByName("Vint")->AsInteger(),
            10);
  DeleteFile(file);
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaSuite, testing::Values(beSQLite, bePostgreSQL),
                         BackendName);

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
