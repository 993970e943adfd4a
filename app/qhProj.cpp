#include "app/qhProj.h"

#include "app/Database.h"
#include "app/qhLib.h"
#include "platform/net/HttpClient.h"
#include "platform/net/UrlUtils.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"

AnsiString ProductTitle;
AnsiString ProductVersion;
AnsiString ProductCode;
AnsiString ProductBuild;
AnsiString ProductShortName;

namespace {

constexpr char DbSection[] = "db";
constexpr char LoginSection[] = "Login";
constexpr char ClientAliasKey[] = "\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";
// The workstation name the SQL Server connection string carries.
constexpr char WorkstationId[] = "QHWBP";
// The password of the default database.
constexpr char DefaultJetPassword[] = "tinfoxes";

const AnsiString& Q(const AnsiString& value, AnsiString& store)
{
  store = QuoteConnectionValue(value);
  return store;
}

// Splits a reply into lines at CR LF, CR or LF; a final line break starts no new line.
std::vector<AnsiString> SplitLines(const AnsiString& text)
{
  std::vector<AnsiString> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.push_back(text.substr(start, i - start));
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size())
    lines.push_back(text.substr(start));
  return lines;
}

} // namespace

AnsiString SqlServerConnectionString(const AnsiString& User, const AnsiString& Password,
                                     const AnsiString& Database, const AnsiString& Server)
{
  AnsiString u, p, d, s;
  return Format("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=%s;Password=%s;"
                "Initial Catalog=%s;Data Source=%s;Use Procedure for Prepare=1;"
                "Auto Translate=True;Packet Size=4096;Workstation ID=%s;"
                "Use Encryption for Data=False;Tag with column collation when possible=False",
                {Q(User, u), Q(Password, p), Q(Database, d), Q(Server, s), WorkstationId});
}

AnsiString JetConnectionString(const AnsiString& Password, const AnsiString& FileName)
{
  AnsiString p, f;
  return Format("Provider=Microsoft.Jet.OLEDB.4.0;Mode = ReadWrite;"
                "Jet OLEDB:Database Password=%s;Data Source=%s;Persist Security Info=True",
                {Q(Password, p), Q(FileName, f)});
}

AnsiString DefaultJetConnectionString(const AnsiString& FileName)
{
  AnsiString f;
  return Format("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;"
                "Jet OLEDB:Database Password=%s;Persist Security Info=True",
                {Q(FileName, f), DefaultJetPassword});
}

AnsiString DipConnectionString(const AnsiString& Server, const AnsiString& User,
                               const AnsiString& Password, const AnsiString& Database)
{
  AnsiString s, u, p, d;
  return Format("Provider=SQLOLEDB.1;Data Source=%s;User ID=%s;Password=%s;"
                "Initial Catalog=%s;Persist Security Info=True",
                {Q(Server, s), Q(User, u), Q(Password, p), Q(Database, d)});
}

AnsiString DefaultDatabaseFileName()
{
  if (ProductShortName.empty())
    return ChangeFileExt(ParamStr(0), ".mdb");
  return ProgramDir() + ProductShortName + ".mdb";
}

// ---- TConfiger ----

AnsiString TConfiger::ConfigFileName()
{
  return ProgramDir() + "cfg.ini";
}

TConfiger::TConfiger() : FIni(std::make_unique<TIniFile>(ConfigFileName()))
{
  TIniFile& ini = *FIni;
  ProviderIdx = ini.ReadInteger(DbSection, "providerIdx", 0);
  DefaultCon = ini.ReadBool(DbSection, "defaultCon", true);
  MssqlServer = ini.ReadString(DbSection, "mssqlServer", "");
  MssqlPort = ini.ReadInteger(DbSection, "mssqlPort", 1433);
  MssqlDb = ini.ReadString(DbSection, "mssqlDb", "");
  MssqlUser = ini.ReadString(DbSection, "mssqlUser", "");
  MssqlPw = ScrambleText(ini.ReadString(DbSection, "mssqlPw", ""));
  JetFile = ScrambleText(ini.ReadString(DbSection, "jetfile", ""));
  JetUser = ini.ReadString(DbSection, "jetUser", "");
  JetPw = ScrambleText(ini.ReadString(DbSection, "jetPw", ""));
  DipUrl = ini.ReadString(DbSection, "dipUrl", "");
  DipUser = ini.ReadString(DbSection, "dipUser", "");
}

TConfiger::~TConfiger() = default;

void TConfiger::SaveConfig()
{
  TIniFile& ini = *FIni;
  ini.WriteString(DbSection, "mssqlServer", MssqlServer);
  ini.WriteInteger(DbSection, "mssqlPort", MssqlPort);
  ini.WriteString(DbSection, "mssqlDb", MssqlDb);
  ini.WriteString(DbSection, "mssqlUser", MssqlUser);
  ini.WriteString(DbSection, "mssqlPw", ScrambleText(MssqlPw));
  ini.WriteString(DbSection, "jetfile", ScrambleText(JetFile));
  ini.WriteString(DbSection, "jetUser", JetUser);
  ini.WriteString(DbSection, "jetPw", ScrambleText(JetPw));
  ini.WriteString(DbSection, "dipUrl", DipUrl);
  ini.WriteString(DbSection, "dipUser", DipUser);
  ini.WriteInteger(DbSection, "providerIdx", ProviderIdx);
  ini.WriteBool(DbSection, "defaultCon", DefaultCon);

  AnsiString connection;
  if (ProviderIdx == 0) {
    connection = SqlServerConnectionString(MssqlUser, MssqlPw, MssqlDb, MssqlServer);
    SetClientAlias(MssqlServer, IntToStr(MssqlPort), SmartConnect);
  } else if (ProviderIdx == 1) {
    connection = JetConnectionString(JetPw, JetFile);
  }
  ini.WriteString(DbSection, "ConnStr", ScrambleText(connection));
}

void TConfiger::SaveEntries(const TConfigEntries& Entries)
{
  const Integer port = StrToInt(Entries.MssqlPort);
  MssqlServer = Entries.MssqlServer;
  MssqlPort = port;
  MssqlDb = Entries.MssqlDb;
  MssqlUser = Entries.MssqlUser;
  MssqlPw = Entries.MssqlPw;
  SmartConnect = Entries.SmartConnect;
  JetFile = Entries.JetFile;
  JetUser = Entries.JetUser;
  JetPw = Entries.JetPw;
  DipUrl = Entries.DipUrl;
  DipUser = Entries.DipUser;
  DefaultCon = Entries.DefaultCon;
  ProviderIdx = Entries.ProviderIdx;
  SaveConfig();
}

WideString TConfiger::GetConnectionString()
{
  if (ProviderIdx == 1 && DefaultCon)
    return GbkToWide(DefaultJetConnectionString(DefaultDatabaseFileName()));
  if (ProviderIdx == 2)
    return FetchDipConnection();
  return GbkToWide(ScrambleText(FIni->ReadString(DbSection, "ConnStr", "")));
}

void TConfiger::SetClientAlias(const AnsiString& Server, const AnsiString& Port, bool Delete)
{
  const AnsiString alias = Port.empty() ? Server : Server + "," + Port;
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  try {
    if (!reg.OpenKey(ClientAliasKey, true))
      return;
    if (Delete)
      reg.DeleteValue(Server);
    else
      reg.WriteString(Server, "DBMSSOCN," + alias);
  } catch (const ERegistryException&) {
    // A store that cannot be written leaves the alias as it was, without a message.
  }
  reg.CloseKey();
}

WideString TConfiger::FetchDipConnection()
{
  AnsiString reply;
  try {
    THttpClient client;
    reply = client.Get(DipUrl + "?user=" + UrlEncode(DipUser));
  } catch (const Exception&) {
    ShowInfo("无法获得DIP连接信息,请检查网络是否畅通.");
    return WideString();
  }
  const std::vector<AnsiString> lines = SplitLines(reply);
  if (lines.size() != 5)
    return WideString();
  SetClientAlias(lines[0], lines[1], false);
  return GbkToWide(DipConnectionString(lines[0], lines[2], lines[3], lines[4]));
}

AnsiString TConfiger::ReadLastLoginId()
{
  TIniFile ini(ConfigFileName());
  return ini.ReadString(LoginSection, "LastLoginId", "");
}

void TConfiger::WriteLastLoginId(const AnsiString& Id)
{
  TIniFile ini(ConfigFileName());
  ini.WriteString(LoginSection, "LastLoginId", Id);
}
