// Database fixtures for the program's tests: the program-wide connection (Db) opened on a
// fresh SQLite file or on a throw-away PostgreSQL server started for the test binary,
// with the program's tables.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/Database.h"
#include "platform/data/Schema.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "tests/app/AppTestSupport.h"

namespace app_test {

inline int RunQuiet(const std::vector<std::string>& args, const std::string& log = "/dev/null")
{
  const pid_t pid = ::fork();
  if (pid < 0)
    return -1;
  if (pid == 0) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    std::vector<char*> argv;
    for (const auto& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// One PostgreSQL cluster for the whole test binary on a Unix socket in a temporary folder:
// started by the first test that needs it, stopped when the tests end.
class TPgTestServer {
public:
  static TPgTestServer& Instance()
  {
    static TPgTestServer server;
    return server;
  }

  bool Running() const { return FRunning; }
  const std::string& Error() const { return FError; }
  const std::string& SocketDir() const { return FDir; }

  void Stop()
  {
    if (FRunning)
      RunQuiet(AsPostgres({Bin("pg_ctl"), "-D", FDir + "/data", "-m", "immediate", "-w", "stop"}));
    FRunning = false;
    if (!FDir.empty())
      RunQuiet({"rm", "-rf", FDir});
    FDir.clear();
  }

private:
  TPgTestServer() { Start(); }

  static std::string Bin(const char* name) { return std::string("/usr/lib/postgresql/15/bin/") + name; }

  // The server refuses to run as root: then its commands run as the postgres user.
  static std::vector<std::string> AsPostgres(std::vector<std::string> args)
  {
    if (::geteuid() != 0)
      return args;
    std::vector<std::string> full{"runuser", "-u", "postgres", "--"};
    full.insert(full.end(), args.begin(), args.end());
    return full;
  }

  void Start()
  {
    char templ[] = "/tmp/qhapppgXXXXXX";
    if (!::mkdtemp(templ)) {
      FError = "cannot create a temporary folder";
      return;
    }
    FDir = templ;
    if (::geteuid() == 0) {
      passwd* pw = ::getpwnam("postgres");
      if (!pw || ::chown(FDir.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
        FError = "running as root, but there is no postgres user to run the server as";
        return;
      }
    }
    const std::string log = FDir + "/server.log";
    if (RunQuiet(AsPostgres({Bin("initdb"), "-D", FDir + "/data", "-U", "postgres", "-A", "trust", "-E",
                             "UTF8", "--locale=C", "--no-sync"})) != 0) {
      FError = "initdb failed in " + FDir;
      return;
    }
    const std::string options = "-k " + FDir + " -c listen_addresses= -c fsync=off";
    if (RunQuiet(AsPostgres({Bin("pg_ctl"), "-D", FDir + "/data", "-l", log, "-o", options, "-w", "-t",
                             "60", "start"})) != 0) {
      FError = "pg_ctl could not start the server (see " + log + ")";
      return;
    }
    FRunning = true;
  }

  bool FRunning = false;
  std::string FDir;
  std::string FError;
};

class TPgTestServerEnvironment : public testing::Environment {
public:
  void TearDown() override
  {
    if (Used)
      TPgTestServer::Instance().Stop();
  }
  static inline bool Used = false;
};

inline testing::Environment* const PgEnvironment =
    testing::AddGlobalTestEnvironment(new TPgTestServerEnvironment);

enum TBackend { beSQLite, bePostgreSQL };

inline std::string BackendName(const testing::TestParamInfo<TBackend>& info)
{
  return info.param == beSQLite ? "SQLite" : "PostgreSQL";
}

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
      TPgTestServerEnvironment::Used = true;
      TPgTestServer& server = TPgTestServer::Instance();
      ASSERT_TRUE(server.Running()) << "the PostgreSQL test server did not start: " << server.Error();
      ConnectionString = "Provider=SQLOLEDB.1;Data Source=" + server.SocketDir() +
                         ";User ID=postgres;Password=;Initial Catalog=postgres;Persist Security Info=True";
    }
    TMessageBoxRecorder boxes;
    ASSERT_TRUE(Db->Connect(GbkToWide(ConnectionString))) << (boxes.Boxes.empty() ? "" : boxes.Boxes[0].Text);
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

} // namespace app_test
