// Database fixtures for the program's tests: the program-wide connection (Db) opened on a
// fresh SQLite file or on a throw-away PostgreSQL server started for the test binary,
// with the program's tables.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/Database.h"
#include "platform/data/Schema.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ProgramTestSupport.h"
#include "tests/support/TestDatabases.h"

namespace app_test {

using ::BackendName;
using ::bePostgreSQL;
using ::beSQLite;
using ::TBackend;

// Connects Db to a new database of the test's backend made by the set-up's schema code
// (the program's tables with their seed rows: operator "sa", the backup plan).
class TAppDatabaseTest : public testing::TestWithParam<TBackend> {
protected:
  void SetUp() override
  {
    if (GetParam() == beSQLite) {
      FFile = GetTempFileName("", "qhapp");
      ASSERT_FALSE(FFile.empty());
      DeleteFile(FFile);
      CreateDatabaseFile(FFile);
      ConnectionString = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + FFile +
                         ";Jet OLEDB:Database Password=tinfoxes;Persist Security Info=True";
    } else {
      std::string socketDir, error;
      ASSERT_TRUE(PostgreSQLTestServer(socketDir, error))
          << "the PostgreSQL test server did not start: " << error;
      ConnectionString =
          "Provider=SQLOLEDB.1;Data Source=" + socketDir +
          ";User ID=postgres;Password=;Initial Catalog=postgres;Persist Security Info=True";
    }
    TMessageBoxRecorder boxes;
    ASSERT_TRUE(Db->Connect(GbkToWide(ConnectionString)))
        << (boxes.Boxes.empty() ? "" : boxes.Boxes[0].Text);
    if (GetParam() == bePostgreSQL) {
      for (const AnsiString& table : SchemaTables())
        Db->Connection()->Execute("drop table if exists " + table);
      CreateSchema(Db->Connection());
    }
  }

  void TearDown() override
  {
    SharedRecordSet->DataSet()->Close();
    Db->SetConnected(false);
    if (!FFile.empty())
      DeleteFile(FFile);
  }

  AnsiString ConnectionString;

private:
  AnsiString FFile;
};

// A database test of the program's windows: a program directory of its own, and a fresh
// headless screen and application before and after the test.
class TAppWindowsTest : public TAppDatabaseTest {
protected:
  void SetUp() override
  {
    TAppDatabaseTest::SetUp();
    FDir = std::make_unique<TTempProgramDir>();
    ResetWindows();
  }
  void TearDown() override
  {
    ResetWindows();
    FDir.reset();
    TAppDatabaseTest::TearDown();
  }

  std::unique_ptr<TTempProgramDir> FDir;
};

} // namespace app_test
