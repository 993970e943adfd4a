// The test databases shared by the test binaries (TestDatabases.h).
#include "tests/support/TestDatabases.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/FileUtils.h"

namespace {

// Runs argv with its output appended to Log (discarded by default); returns the exit code.
int RunQuiet(const std::vector<std::string>& Args, const std::string& Log = "/dev/null")
{
  TProcessOptions options;
  options.OutputFile = Log;
  return ExecuteProcess(Args[0], std::vector<AnsiString>(Args.begin() + 1, Args.end()), options);
}

class TPgServer {
public:
  static TPgServer& Instance()
  {
    static TPgServer server;
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
  TPgServer() { Start(); }

  static std::string Bin(const char* Name)
  {
    return std::string("/usr/lib/postgresql/15/bin/") + Name;
  }

  // Run as the postgres user when the tests run as root: the server refuses root.
  static std::vector<std::string> AsPostgres(std::vector<std::string> Args)
  {
    if (::geteuid() != 0)
      return Args;
    std::vector<std::string> full{"runuser", "-u", "postgres", "--"};
    full.insert(full.end(), Args.begin(), Args.end());
    return full;
  }

  void Start()
  {
    char templ[] = "/tmp/qhpgXXXXXX";
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
    std::string log = FDir + "/server.log";
    if (RunQuiet(AsPostgres({Bin("initdb"), "-D", FDir + "/data", "-U", "postgres", "-A", "trust",
                             "-E", "UTF8", "--locale=C", "--no-sync"})) != 0) {
      FError = "initdb (" + Bin("initdb") + ") failed in " + FDir;
      return;
    }
    std::string options = "-k " + FDir + " -c listen_addresses= -c fsync=off";
    if (RunQuiet(AsPostgres({Bin("pg_ctl"), "-D", FDir + "/data", "-l", log, "-o", options, "-w",
                             "-t", "60", "start"})) != 0) {
      FError = "pg_ctl could not start the server (see " + log + ")";
      return;
    }
    FRunning = true;
  }

  bool FRunning = false;
  std::string FDir;
  std::string FError;
};

bool ServerUsed = false;

class TPgServerEnvironment : public testing::Environment {
public:
  void TearDown() override
  {
    if (ServerUsed)
      TPgServer::Instance().Stop();
  }
};

[[maybe_unused]] testing::Environment* const PgEnvironment =
    testing::AddGlobalTestEnvironment(new TPgServerEnvironment);

} // namespace

std::string BackendName(const testing::TestParamInfo<TBackend>& Info)
{
  return Info.param == beSQLite ? "SQLite" : "PostgreSQL";
}

AnsiString NewSQLiteDatabase(AnsiString& File)
{
  File = GetTempFileName("", "qhdb"); // an empty file is an empty SQLite database
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + File +
         ";Persist Security Info=False;Jet OLEDB:Database Password=x";
}

bool PostgreSQLTestServer(std::string& SocketDir, std::string& Error)
{
  ServerUsed = true;
  TPgServer& server = TPgServer::Instance();
  if (!server.Running()) {
    Error = server.Error();
    return false;
  }
  SocketDir = server.SocketDir();
  return true;
}

bool PostgreSQLTestDatabase(AnsiString& ConnectionString, std::string& Error)
{
  std::string socketDir;
  if (!PostgreSQLTestServer(socketDir, Error))
    return false;
  ConnectionString = "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=postgres;Password=;"
                     "Initial Catalog=postgres;Data Source=" +
                     socketDir + ";Use Procedure for Prepare=1;Auto Translate=True";
  return true;
}
