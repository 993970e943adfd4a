#include <gtest/gtest.h>

#include "app/Database.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Variants.h"
#include "tests/app/AppDbSupport.h"

namespace {

using app_test::TAppDatabaseTest;

class Records : public TAppDatabaseTest {
protected:
  // A scalar read through a query of its own.
  Variant Scalar(const WideString& sql, const std::vector<TDBParameter>& values = {})
  {
    TQuerySet q;
    if (q.Open(sql, values) == 0)
      return Unassigned();
    return q.DataSet()->Fields()->Fields(0)->Value();
  }

  void InsertOperator(const AnsiString& id, const AnsiString& password, const WideString& rights)
  {
    Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)"
                u"values(:LoginId,:Password,:Name,:Contact,:Note,:Rights)",
                {MakeParam("LoginId", id), MakeParam("Password", password),
                 MakeParam("Name", "名" + id), MakeParam("Contact", "tel"),
                 MakeParam("Note", "备注"), MakeParam("Rights", rights)});
  }
};

} // namespace

TEST_P(Records, CompanyInsertThenUpdate)
{
  TCompany company;
  company.LoadCompany(); // no row yet
  EXPECT_EQ(company.Id, 0);
  EXPECT_EQ(company.CompanyName, "");
  EXPECT_EQ(company.UseCount, 0);
  EXPECT_FALSE(company.Updated);
  EXPECT_FALSE(company.CompanyExists());

  company.Id = 1;
  company.CompanyName = "青禾快递有限公司";
  company.Manager = "张三";
  company.Tel = "010-1234";
  company.Profile = u"简介\u00e9\u0101"; // a wide text
  company.SaveCompany();
  EXPECT_TRUE(company.CompanyExists());
  EXPECT_EQ(Scalar(u"select count(*) from Company").AsInteger(), 1);

  company.CompanyName = "青禾";
  company.Zip = "100000";
  company.SaveCompany(); // updates the row
  EXPECT_EQ(Scalar(u"select count(*) from Company").AsInteger(), 1);
  company.SetUseCount(5);
  EXPECT_EQ(company.UseCount, 5);

  TCompany loaded;
  loaded.LoadCompany();
  EXPECT_EQ(loaded.Id, 1);
  EXPECT_EQ(loaded.CompanyName, "青禾");
  EXPECT_EQ(loaded.Manager, "张三");
  EXPECT_EQ(loaded.Tel, "010-1234");
  EXPECT_EQ(loaded.Fax, "");
  EXPECT_EQ(loaded.Zip, "100000");
  EXPECT_EQ(loaded.Profile, u"简介\u00e9\u0101");
  EXPECT_EQ(loaded.UseCount, 5);
  EXPECT_FALSE(loaded.Updated);
  EXPECT_EQ(loaded.CompanyText(),
            u"青禾\r\n张三\r\n010-1234\r\n\r\n\r\n100000\r\n简介\u00e9\u0101\r\n5\r\n");
}

TEST_P(Records, OperatorsRightsAndPasswords)
{
  InsertOperator("op1", "Pw", u",10000,,100,");
  InsertOperator("op2", "x", u",1000,");
  TOperator op;
  op.LoadOperator("op1");
  EXPECT_EQ(op.LoginId, "op1");
  EXPECT_EQ(op.Name, "名op1");
  EXPECT_EQ(op.Note, "备注");
  EXPECT_EQ(op.Rights, u",10000,,100,");
  EXPECT_FALSE(SharedRecordSet->DataSet()->Active());
  EXPECT_TRUE(op.CheckPassword("Pw"));
  EXPECT_FALSE(op.CheckPassword("pw"));
  EXPECT_TRUE(op.HasRight(100));
  EXPECT_TRUE(op.HasRight(10000));
  EXPECT_FALSE(op.HasRight(1000));

  // An id that does not exist must not keep the previous operator's values.
  op.LoadOperator("nobody");
  EXPECT_EQ(op.LoginId, "");
  EXPECT_EQ(op.Rights, u"");
  EXPECT_FALSE(op.CheckPassword("Pw"));
  EXPECT_FALSE(op.CheckPassword(""));

  op.LoadOperator("op2");
  EXPECT_FALSE(op.HasRight(100)); // ",1000," holds no ",100,"
  op.SavePassword("新密码");
  op.LoadOperator("op2");
  EXPECT_TRUE(op.CheckPassword("新密码"));
}

TEST_P(Records, CheckRightShowsTheRefusalAndAborts)
{
  TOperator op;
  op.LoginId = "op";
  op.Rights = u",10002,";
  TMessageBoxRecorder boxes;
  EXPECT_TRUE(op.CheckRight(10002, true));
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_FALSE(op.CheckRight(100001, false));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "\r\n对不起,您没有该功能的操作权限,请与管理员联系(100001).\t");
  EXPECT_THROW(op.CheckRight(100, true), EAbort);
  EXPECT_EQ(boxes.Boxes.size(), 2u);

  op.LoginId = "sa";
  op.Rights = u"";
  for (Integer code : {100, 10000, 100001, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 1})
    EXPECT_TRUE(op.HasRight(code)) << code;
  op.LoginId = "SA";
  EXPECT_FALSE(op.HasRight(100));
}

TEST_P(Records, OperatorSetKeepsItsListInStep)
{
  InsertOperator("op1", "a", u",10002,");
  TOperatorSet set;
  EXPECT_EQ(set.DataSet()->RecordCount(), 1); // "sa", seeded by the set-up, is never listed
  EXPECT_EQ(set.UserIdField()->DisplayLabel(), "登陆名");
  EXPECT_EQ(set.RightsField()->DisplayLabel(), "权限");

  set.AddOperator("op2", "pw2", u",100,", "note2", "contact2", "王五");
  EXPECT_EQ(set.DataSet()->RecordCount(), 2);
  EXPECT_EQ(set.NameField()->AsString(), "王五");
  set.UpdateOperator("op1", "new", u",10003,", "n", "c", "李四");
  EXPECT_EQ(set.UserIdField()->AsString(), "op1");
  EXPECT_EQ(set.NameField()->AsString(), "李四");
  EXPECT_EQ(set.RightsField()->AsWideString(), u",10003,");

  TOperator op;
  op.LoadOperator("op2");
  EXPECT_EQ(op.Contact, "contact2");
  EXPECT_EQ(op.Rights, u",100,");
  op.LoadOperator("op1");
  EXPECT_EQ(op.Password, "new");
  EXPECT_EQ(op.Note, "n");

  set.DeleteOperator("op2");
  EXPECT_EQ(set.DataSet()->RecordCount(), 1);
  EXPECT_EQ(Scalar(u"select count(*) from operator where LoginId=:id", {MakeParam("id", "op2")})
                .AsInteger(),
            0);
  set.DeleteOperator("nobody"); // nothing to delete anywhere
  EXPECT_EQ(set.DataSet()->RecordCount(), 1);
}

TEST_P(Records, KeyValueFlagsAndStoredValues)
{
  TKeyValue2 values;
  // A missing flag row is inserted and reads false.
  EXPECT_FALSE(values.DailyTipPrompt());
  values.SetDailyTipPrompt(true);
  EXPECT_TRUE(values.DailyTipPrompt());
  EXPECT_FALSE(values.FeedbackPrompt());
  EXPECT_TRUE(Scalar(u"select Vbool from keyvalue where KeyId=1").AsBoolean());

  // StoreKeyValue updates an existing row and inserts a missing one.
  EXPECT_TRUE(TKeyValue2::StoreKeyValue(7, "路径", true, 2.5, 42));
  EXPECT_EQ(Scalar(u"select count(*) from keyvalue").AsInteger(), 3);
  EXPECT_TRUE(TKeyValue2::StoreKeyValue(7, "x", false, 0, 1));
  EXPECT_EQ(Scalar(u"select count(*) from keyvalue").AsInteger(), 3);
  EXPECT_EQ(Scalar(u"select Vstr from keyvalue where KeyId=7").AsString(), "x");

  // Writing a flag zeroes the other columns of its row. The row is stored behind the open
  // set's back: seeking it must find it rather than insert it a second time.
  EXPECT_TRUE(TKeyValue2::StoreKeyValue(2, "keep?", false, 9.5, 9));
  values.SetGetStartPrompt(true);
  EXPECT_EQ(Scalar(u"select Vstr from keyvalue where KeyId=2").AsString(), "");
  EXPECT_EQ(Scalar(u"select Vint from keyvalue where KeyId=2").AsInteger(), 0);
  EXPECT_EQ(Scalar(u"select Vfloat from keyvalue where KeyId=2").AsDouble(), 0.0);
  EXPECT_TRUE(values.GetStartPrompt());

  values.SeekKey(7);
  EXPECT_TRUE(values.StoreValues(7, "本地", true, 1.25, 3));
  EXPECT_EQ(values.VstrField()->AsString(), "本地");
  EXPECT_EQ(values.VfloatField()->AsFloat(), 1.25);
  EXPECT_EQ(Scalar(u"select Vint from keyvalue where KeyId=7").AsInteger(), 3);
}

TEST_P(Records, PickListsGrowAndNeverShrink)
{
  TPickListSet lists;
  EXPECT_EQ(lists.Count(), 0);
  lists.SetCount(3);
  EXPECT_EQ(lists.Count(), 3);
  EXPECT_EQ(Scalar(u"select max([Key]) from options").AsInteger(), 3);
  EXPECT_TRUE(VarIsNull(Scalar(u"select List from options where [Key]=2")));
  lists.SetCount(2); // fewer: nothing
  EXPECT_EQ(Scalar(u"select count(*) from options").AsInteger(), 3);

  Db->ExecSql(u"insert into options([Key], List) values (10, 'x')");
  lists.EnsureOpen(true);
  EXPECT_EQ(lists.Count(), 4);
  lists.SetCount(6); // keys continue after the largest one
  EXPECT_EQ(Scalar(u"select max([Key]) from options").AsInteger(), 12);
  lists.EnsureOpen(true);
  lists.DataSet()->Last();
  EXPECT_EQ(lists.KeyField()->AsInteger(), 12);
}

TEST_P(Records, ProgramWideRecordsExist)
{
  ASSERT_NE(CurrentCompany, nullptr);
  ASSERT_NE(CurrentOperator, nullptr);
  ASSERT_NE(KeyValues, nullptr);
  ASSERT_NE(PickLists, nullptr);
  EXPECT_FALSE(KeyValues->FeedbackPrompt());
  EXPECT_EQ(PickLists->Count(), 0);
  KeyValues->DataSet()->Close();
  PickLists->DataSet()->Close();
}

INSTANTIATE_TEST_SUITE_P(Backends, Records,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

TEST(RecordsUnit, InitializationSetsDateFormatsAndNullReading)
{
  // Run the unit's start-up again over the runtime's own settings.
  qhProjFinalization();
  GetFormatSettings();
  NullStrictConvert = true;
  qhProjInitialization();
  EXPECT_EQ(FormatSettings.DateSeparator, '-');
  EXPECT_EQ(FormatSettings.ShortDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(FormatSettings.TimeSeparator, ':');
  EXPECT_EQ(FormatSettings.LongDateFormat, "yyyy-mm-dd hh:nn:ss");
  EXPECT_EQ(DateToStr(EncodeDate(2013, 12, 5)), "2013-12-05");
  EXPECT_FALSE(NullStrictConvert);
  EXPECT_EQ(Null().AsInteger(), 0);
  EXPECT_EQ(Null().AsString(), "");
}

TEST(RecordsUnit, FinalizationClearsTheIdentityTexts)
{
  ProductTitle = "青禾快递单打印管理系统";
  ProductShortName = "qhwbp";
  qhProjFinalization();
  EXPECT_EQ(CurrentCompany, nullptr);
  EXPECT_EQ(KeyValues, nullptr);
  EXPECT_EQ(ProductTitle, "");
  EXPECT_EQ(ProductShortName, "");
  qhProjInitialization();
  EXPECT_NE(CurrentOperator, nullptr);
}

TEST(RecordsUnit, CompanyFilledCountsBytes)
{
  struct {
    AnsiString Name;
    bool Filled;
  } cases[] = {{"", false},        {"1234567", false}, {"12345678", true}, {"青禾快", false},
               {"青禾快递", true}, {"青禾快x", false}, {"青禾快xy", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TCompany company;
    company.CompanyName = c.Name;
    EXPECT_EQ(company.IsCompanyFilled(), c.Filled);
  }
}
