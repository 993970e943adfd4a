// From cfg.ini to an open database and the records read through it, on both databases.
#include <gtest/gtest.h>

#include "app/Database.h"
#include "app/qhProj.h"
#include "platform/data/Schema.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/AppTestSupport.h"

namespace {

class SettingsToDatabase : public testing::TestWithParam<app_test::TBackend> {
protected:
  void TearDown() override
  {
    SharedRecordSet->DataSet()->Close();
    Db->SetConnected(false);
  }

  TTempProgramDir Home;
};

} // namespace

TEST_P(SettingsToDatabase, ConnectsWithTheSavedSettings)
{
  TConfigEntries entries;
  entries.MssqlPort = "5432";
  if (GetParam() == app_test::beSQLite) {
    // The default database beside the program, made by the set-up.
    CreateDatabaseFile(Home.Dir + "qhwbp.mdb");
    entries.ProviderIdx = 1;
    entries.DefaultCon = true;
  } else {
    std::string socketDir, error;
    ASSERT_TRUE(PostgreSQLTestServer(socketDir, error))
        << "the PostgreSQL test server did not start: " << error;
    // A database of its own, so that the schema can be created afresh.
    TADOConnection admin;
    admin.SetConnectionString("Provider=SQLOLEDB.1;Data Source=" + socketDir +
                              ";User ID=postgres;Password=;Initial Catalog=postgres;");
    admin.Open();
    admin.Execute("drop database if exists qhwbp_settings");
    admin.Execute("create database qhwbp_settings");
    admin.Close();
    entries.ProviderIdx = 0;
    entries.MssqlServer = socketDir;
    entries.MssqlDb = "qhwbp_settings";
    entries.MssqlUser = "postgres";
    entries.MssqlPw = "ignored;\"quoted\""; // trust authentication: only the quoting matters
  }
  {
    TConfiger cfg;
    cfg.SaveEntries(entries);
  }
  TConfiger cfg; // as the next start reads it
  TMessageBoxRecorder boxes;
  ASSERT_TRUE(Db->Connect(cfg.GetConnectionString()))
      << (boxes.Boxes.empty() ? "" : boxes.Boxes[0].Text);
  EXPECT_EQ(Db->IsSqlServer(), GetParam() == app_test::bePostgreSQL);
  if (GetParam() == app_test::bePostgreSQL) {
    EXPECT_EQ(WideToGbk(Db->ConnectionValue("Password")), "ignored;\"quoted\"");
    CreateSchema(Db->Connection());
  }

  TOperator op;
  op.LoadOperator("sa");
  EXPECT_TRUE(op.CheckPassword(""));
  EXPECT_TRUE(op.HasRight(RightOperators));
  TCompany company;
  company.LoadCompany();
  company.Id = 1;
  company.CompanyName = "青禾快递有限公司";
  company.SaveCompany();
  company.SetUseCount(0);
  TCompany again;
  again.LoadCompany();
  EXPECT_TRUE(again.IsCompanyFilled());
  EXPECT_TRUE(boxes.Boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsToDatabase,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);
