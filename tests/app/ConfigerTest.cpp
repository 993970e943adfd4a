#include <gtest/gtest.h>

#include "app/Database.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/net/UrlUtils.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Registry.h"
#include "tests/app/AppTestSupport.h"
#include "tests/platform/net/LoopbackServer.h"

namespace {

const AnsiString AliasKey = "\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";

AnsiString SqlServerString(const AnsiString& user, const AnsiString& pw, const AnsiString& db,
                           const AnsiString& server)
{
  return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=" + user + ";Password=" + pw +
         ";Initial Catalog=" + db + ";Data Source=" + server +
         ";Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;Workstation ID=QHWBP;"
         "Use Encryption for Data=False;Tag with column collation when possible=False";
}

// The alias value stored for Server, or "<none>".
AnsiString ClientAlias(const AnsiString& server)
{
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKeyReadOnly(AliasKey) || !reg.ValueExists(server))
    return "<none>";
  return reg.ReadString(server);
}

} // namespace

using ConfigerTest = TProgramDirTest;

TEST_F(ConfigerTest, WithoutConfigFileEverySettingHasItsDefault)
{
  TConfiger cfg;
  EXPECT_EQ(cfg.ProviderIdx, 0);
  EXPECT_TRUE(cfg.DefaultCon);
  EXPECT_EQ(cfg.MssqlPort, 1433);
  EXPECT_EQ(cfg.MssqlServer, "");
  EXPECT_EQ(cfg.MssqlPw, "");
  EXPECT_EQ(cfg.JetFile, "");
  EXPECT_FALSE(cfg.SmartConnect);
  EXPECT_EQ(cfg.GetConnectionString(), u"");
  EXPECT_EQ(cfg.ReadLastLoginId(), "");
  EXPECT_FALSE(FileExists(TConfiger::ConfigFileName())); // reading creates nothing
}

TEST_F(ConfigerTest, JetDefaultIgnoresTheStoredFile)
{
  UseConfig("cfg-jet-default.ini");
  TConfiger cfg;
  EXPECT_EQ(cfg.ProviderIdx, 1);
  EXPECT_EQ(cfg.JetFile, "D:\\old\\other.mdb");
  EXPECT_EQ(cfg.JetPw, "pw");
  EXPECT_EQ(WideToGbk(cfg.GetConnectionString()),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Dir +
                "qhwbp.mdb;Jet OLEDB:Database Password=tinfoxes;Persist Security Info=True");
  ProductShortName = "";
  EXPECT_EQ(ConnectionStringValue(WideToGbk(cfg.GetConnectionString()), "Data Source"),
            ChangeFileExt(ParamStr(0), ".mdb"));
}

TEST_F(ConfigerTest, ServerSettingsUnscrambleThePassword)
{
  UseConfig("cfg-server.ini");
  TConfiger cfg;
  EXPECT_EQ(cfg.MssqlServer, "db.example");
  EXPECT_EQ(cfg.MssqlPort, 1533);
  EXPECT_EQ(cfg.MssqlDb, "waybill");
  EXPECT_EQ(cfg.MssqlUser, "sa");
  EXPECT_EQ(cfg.MssqlPw, "secret");
  EXPECT_FALSE(cfg.DefaultCon);
  EXPECT_EQ(WideToGbk(cfg.GetConnectionString()),
            SqlServerString("sa", "secret", "waybill", "db.example"));
  // Provider 1 without the default connection also takes the stored string.
  cfg.ProviderIdx = 1;
  EXPECT_EQ(WideToGbk(cfg.GetConnectionString()),
            SqlServerString("sa", "secret", "waybill", "db.example"));
}

TEST_F(ConfigerTest, GbkValuesReadBackAndSaveByteIdentical)
{
  UseConfig("cfg-gbk.ini");
  const std::string before = ConfigText();
  {
    TConfiger cfg;
    EXPECT_EQ(cfg.MssqlUser, "\xbf\xec\xb5\xdd");
    EXPECT_EQ(cfg.MssqlPw, "快递");
    EXPECT_EQ(cfg.DipUser, "快递");
    EXPECT_EQ(cfg.ReadLastLoginId(), "快递");
    cfg.SaveConfig();
  }
  EXPECT_EQ(ConfigText(), before);
}

TEST_F(ConfigerTest, SaveConfigWritesTheKeysInOrder)
{
  TConfiger cfg;
  cfg.MssqlServer = "srv";
  cfg.MssqlPort = 1533;
  cfg.MssqlDb = "wb";
  cfg.MssqlUser = "u";
  cfg.MssqlPw = "secret";
  cfg.JetFile = "c:\\a.mdb";
  cfg.JetUser = "admin";
  cfg.JetPw = "pw";
  cfg.DipUrl = "http://dip";
  cfg.DipUser = "me";
  cfg.SaveConfig();
  const AnsiString conn = SqlServerString("u", "secret", "wb", "srv");
  EXPECT_EQ(ConfigText(),
            "[db]\r\nmssqlServer=srv\r\nmssqlPort=1533\r\nmssqlDb=wb\r\nmssqlUser=u\r\n"
            "mssqlPw=" +
                ScrambleText("secret") + "\r\njetfile=" + ScrambleText("c:\\a.mdb") +
                "\r\njetUser=admin\r\njetPw=" + ScrambleText("pw") +
                "\r\ndipUrl=http://dip\r\ndipUser=me\r\nproviderIdx=0\r\ndefaultCon=1\r\n"
                "ConnStr=" +
                ScrambleText(conn) + "\r\n");
  EXPECT_EQ(ClientAlias("srv"), "DBMSSOCN,srv,1533");

  cfg.SmartConnect = true; // smart connection removes the alias
  cfg.SaveConfig();
  EXPECT_EQ(ClientAlias("srv"), "<none>");

  cfg.ProviderIdx = 1;
  cfg.SaveConfig();
  TConfiger jet;
  jet.DefaultCon = false;
  EXPECT_EQ(WideToGbk(jet.GetConnectionString()),
            "Provider=Microsoft.Jet.OLEDB.4.0;Mode = ReadWrite;Jet OLEDB:Database Password=pw;"
            "Data Source=c:\\a.mdb;Persist Security Info=True");

  cfg.ProviderIdx = 2;
  cfg.SaveConfig();
  EXPECT_NE(ConfigText().find("\r\nConnStr=\r\n"), std::string::npos);
}

// A scrambled value that begins or ends with a blank or is enclosed in quotes is stored
// inside quotes, so it reads back unchanged; other values are stored bare.
TEST_F(ConfigerTest, ScrambledValuesNeedingQuotesRoundTrip)
{
  UseConfig("cfg-quoted.ini");
  {
    TConfiger cfg;
    EXPECT_EQ(cfg.JetPw, "(abc");
  }
  struct {
    const char* Name;
    AnsiString Password;
    AnsiString Stored;
  } cases[] = {
      {"leading blank", "(abc", "\" fca\""},
      {"trailing blank", ScrambleText("ab "), "\"ab \""},
      {"double quotes", ScrambleText("\"ab\""), "\"\"ab\"\""},
      {"single quotes", ScrambleText("'ab'"), "\"'ab'\""},
      {"one quote only", ScrambleText("\"ab"), "\"ab"},
      {"plain", "secret", ScrambleText("secret")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    {
      TConfiger cfg;
      cfg.MssqlPw = c.Password;
      cfg.SaveConfig();
    }
    EXPECT_NE(ConfigText().find("\r\nmssqlPw=" + c.Stored + "\r\n"), std::string::npos);
    TConfiger again;
    EXPECT_EQ(again.MssqlPw, c.Password);
  }
}

TEST_F(ConfigerTest, NonNumericPortRaisesBeforeAnythingChanges)
{
  UseConfig("cfg-server.ini");
  const std::string before = ConfigText();
  TConfiger cfg;
  TConfigEntries entries;
  entries.MssqlServer = "other";
  entries.MssqlPort = "14x33";
  entries.ProviderIdx = 0;
  EXPECT_THROW(cfg.SaveEntries(entries), EConvertError);
  EXPECT_EQ(cfg.MssqlServer, "db.example");
  EXPECT_EQ(cfg.MssqlPort, 1533);
  EXPECT_EQ(ConfigText(), before);
  EXPECT_EQ(ClientAlias("other"), "<none>");

  entries.MssqlPort = "1444";
  entries.MssqlPw = "x";
  cfg.SaveEntries(entries);
  TConfiger again;
  EXPECT_EQ(again.MssqlServer, "other");
  EXPECT_EQ(again.MssqlPort, 1444);
  EXPECT_EQ(again.MssqlPw, "x");
  EXPECT_EQ(ClientAlias("other"), "DBMSSOCN,other,1444");
}

TEST_F(ConfigerTest, ClientAliasWithAndWithoutPort)
{
  TConfiger cfg;
  cfg.SetClientAlias("db1", "", false);
  cfg.SetClientAlias("db2", "1500", false);
  EXPECT_EQ(ClientAlias("db1"), "DBMSSOCN,db1");
  EXPECT_EQ(ClientAlias("db2"), "DBMSSOCN,db2,1500");
  cfg.SetClientAlias("db1", "", true);
  EXPECT_EQ(ClientAlias("db1"), "<none>");
  EXPECT_EQ(ClientAlias("db2"), "DBMSSOCN,db2,1500");
}

TEST_F(ConfigerTest, UnwritableStoreLeavesTheAliasSilently)
{
  // The machine store's folder is a file: nothing can be written there, even by root.
  WriteFile(Dir + "blocked", "");
  SetRegistryRoots(Dir + "registry.ini", Dir + "blocked/registry-HKLM.ini");
  TMessageBoxRecorder boxes;
  TConfiger cfg;
  EXPECT_NO_THROW(cfg.SetClientAlias("db1", "1500", false));
  EXPECT_NO_THROW(cfg.SetClientAlias("db1", "", true));
  EXPECT_EQ(ClientAlias("db1"), "<none>");
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(ConfigerTest, LastLoginIdRoundTrips)
{
  UseConfig("cfg-server.ini");
  TConfiger cfg;
  cfg.WriteLastLoginId("操作员1");
  EXPECT_EQ(cfg.ReadLastLoginId(), "操作员1");
  EXPECT_NE(ConfigText().find("\r\n\r\n[Login]\r\nLastLoginId=操作员1\r\n"), std::string::npos);
}

TEST_F(ConfigerTest, ConnectionStringsQuoteValuesThatWouldBreakThem)
{
  const AnsiString s = SqlServerConnectionString("u;1", "\"p\"w", "db", "srv");
  EXPECT_EQ(s, SqlServerString("\"u;1\"", "\"\"\"p\"\"w\"", "db", "srv"));
  EXPECT_EQ(ConnectionStringValue(s, "User ID"), "u;1");
  EXPECT_EQ(ConnectionStringValue(s, "Password"), "\"p\"w");
  EXPECT_EQ(ConnectionStringValue(s, "Data Source"), "srv");
  const AnsiString jet = JetConnectionString("'pw", "/data/a;b.mdb");
  EXPECT_EQ(jet,
            "Provider=Microsoft.Jet.OLEDB.4.0;Mode = ReadWrite;Jet OLEDB:Database Password=\"'pw\";"
            "Data Source=\"/data/a;b.mdb\";Persist Security Info=True");
  EXPECT_EQ(ConnectionStringValue(jet, "Data Source"), "/data/a;b.mdb");
  EXPECT_EQ(ConnectionStringValue(jet, "Jet OLEDB:Database Password"), "'pw");
}

// The DIP service answers server, port, user, password and database on five lines.
TEST_F(ConfigerTest, DipLookupTakesExactlyFiveLines)
{
  const AnsiString dip = "Provider=SQLOLEDB.1;Data Source=dbhost;User ID=dbuser;Password=pw;"
                         "Initial Catalog=wb;Persist Security Info=True";
  struct {
    const char* Name;
    std::string Reply;
    AnsiString Expected;
  } cases[] = {
      {"five lines", "dbhost\r\n1444\r\ndbuser\r\npw\r\nwb", dip},
      {"five lines and a break", "dbhost\r\n1444\r\ndbuser\r\npw\r\nwb\r\n", dip},
      {"LF only", "dbhost\n1444\ndbuser\npw\nwb\n", dip},
      {"CR only", "dbhost\r1444\rdbuser\rpw\rwb", dip},
      {"an extra empty line", "dbhost\r\n1444\r\ndbuser\r\npw\r\nwb\r\n\r\n", ""},
      {"four lines", "dbhost\r\n1444\r\ndbuser\r\npw\r\n", ""},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TLoopbackServer server(1, TLoopbackServer::Answer(c.Reply));
    TMessageBoxRecorder boxes;
    TConfiger cfg;
    cfg.ProviderIdx = 2;
    cfg.DipUrl = server.Url("/dip.asp");
    cfg.DipUser = "快递 a&b";
    EXPECT_EQ(WideToGbk(cfg.GetConnectionString()), c.Expected);
    EXPECT_TRUE(boxes.Boxes.empty());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Target, "/dip.asp?user=%BF%EC%B5%DD%20a%26b");
    EXPECT_EQ(ClientAlias("dbhost"), c.Expected.empty() ? "<none>" : "DBMSSOCN,dbhost,1444");
    TConfiger().SetClientAlias("dbhost", "", true);
  }
}

TEST_F(ConfigerTest, DipLookupPlainUserKeepsItsUrl)
{
  TLoopbackServer server(1, TLoopbackServer::Answer(""));
  TConfiger cfg;
  cfg.DipUrl = server.Url("/dip.asp");
  cfg.DipUser = "Shop-01_a.b~c";
  EXPECT_EQ(cfg.FetchDipConnection(), u"");
  EXPECT_EQ(server.Requests().at(0).Target, "/dip.asp?user=Shop-01_a.b~c");
}

TEST_F(ConfigerTest, DipLookupFailureIsReported)
{
  TLoopbackServer server(1, [](const TLoopbackServer::TRequest&) {
    return std::optional<std::string>(TLoopbackServer::Reply(500, "Internal Server Error", "x"));
  });
  TMessageBoxRecorder boxes;
  TConfiger cfg;
  cfg.DipUrl = server.Url("/dip.asp");
  EXPECT_EQ(cfg.FetchDipConnection(), u"");
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "\r\n无法获得DIP连接信息,请检查网络是否畅通.\t");
}
