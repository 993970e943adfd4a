#include "app/qhProj.h"

#include <vector>

#include "app/Database.h"
#include "app/qhLib.h"
#include "platform/net/HttpClient.h"
#include "platform/net/UrlUtils.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/Variants.h"

AnsiString ProductTitle;
AnsiString ProductVersion;
AnsiString ProductCode;
AnsiString ProductBuild;
AnsiString ProductShortName;

TCompany* CurrentCompany = nullptr;
TOperator* CurrentOperator = nullptr;
TKeyValue2* KeyValues = nullptr;
TPickListSet* PickLists = nullptr;

namespace {

constexpr char DbSection[] = "db";
constexpr char LoginSection[] = "Login";
constexpr char ClientAliasKey[] = "\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";
// The workstation name the SQL Server connection string carries.
constexpr char WorkstationId[] = "QHWBP";
// The password of the default database.
constexpr char DefaultJetPassword[] = "tinfoxes";

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

// Format borrows its text arguments, so the quoted values are named locals.
AnsiString SqlServerConnectionString(const AnsiString& User, const AnsiString& Password,
                                     const AnsiString& Database, const AnsiString& Server)
{
  const AnsiString user = QuoteConnectionValue(User);
  const AnsiString password = QuoteConnectionValue(Password);
  const AnsiString database = QuoteConnectionValue(Database);
  const AnsiString server = QuoteConnectionValue(Server);
  return Format("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=%s;Password=%s;"
                "Initial Catalog=%s;Data Source=%s;Use Procedure for Prepare=1;"
                "Auto Translate=True;Packet Size=4096;Workstation ID=%s;"
                "Use Encryption for Data=False;Tag with column collation when possible=False",
                {user, password, database, server, WorkstationId});
}

AnsiString JetConnectionString(const AnsiString& Password, const AnsiString& FileName)
{
  const AnsiString password = QuoteConnectionValue(Password);
  const AnsiString file = QuoteConnectionValue(FileName);
  return Format("Provider=Microsoft.Jet.OLEDB.4.0;Mode = ReadWrite;"
                "Jet OLEDB:Database Password=%s;Data Source=%s;Persist Security Info=True",
                {password, file});
}

AnsiString DefaultJetConnectionString(const AnsiString& FileName)
{
  const AnsiString file = QuoteConnectionValue(FileName);
  return Format("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;"
                "Jet OLEDB:Database Password=%s;Persist Security Info=True",
                {file, DefaultJetPassword});
}

AnsiString DipConnectionString(const AnsiString& Server, const AnsiString& User,
                               const AnsiString& Password, const AnsiString& Database)
{
  const AnsiString server = QuoteConnectionValue(Server);
  const AnsiString user = QuoteConnectionValue(User);
  const AnsiString password = QuoteConnectionValue(Password);
  const AnsiString database = QuoteConnectionValue(Database);
  return Format("Provider=SQLOLEDB.1;Data Source=%s;User ID=%s;Password=%s;"
                "Initial Catalog=%s;Persist Security Info=True",
                {server, user, password, database});
}

bool ParseDipReply(const AnsiString& Reply, TDipReply& Result)
{
  const std::vector<AnsiString> lines = SplitLines(Reply);
  if (lines.size() != 5)
    return false;
  Result = {lines[0], lines[1], lines[2], lines[3], lines[4]};
  return true;
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
  // Every key goes into one new text of the file, which replaces the file at once: a
  // write that fails raises EIniFileException and leaves the previous file as it was.
  TMemIniFile ini(ConfigFileName());
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
  if (ProviderIdx == 0)
    connection = SqlServerConnectionString(MssqlUser, MssqlPw, MssqlDb, MssqlServer);
  else if (ProviderIdx == 1)
    connection = JetConnectionString(JetPw, JetFile);
  ini.WriteString(DbSection, "ConnStr", ScrambleText(connection));
  ini.UpdateFile();
  if (ProviderIdx == 0)
    SetClientAlias(MssqlServer, IntToStr(MssqlPort), SmartConnect);
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
  TDipReply dip;
  if (!ParseDipReply(reply, dip))
    return WideString();
  SetClientAlias(dip.Server, dip.Alias, false);
  return GbkToWide(DipConnectionString(dip.Server, dip.User, dip.Password, dip.Database));
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

// ---- TCompany ----

void TCompany::LoadCompany()
{
  SharedRecordSet->Open(u"select * from Company");
  TDataSet* set = SharedRecordSet->DataSet();
  // With no row every field reads as Null: 0, an empty text, false.
  set->First();
  Id = set->FieldByName("Id")->AsInteger();
  CompanyName = set->FieldByName("CompanyName")->AsString();
  Manager = set->FieldByName("Manager")->AsString();
  Tel = set->FieldByName("Tel")->AsString();
  Fax = set->FieldByName("Fax")->AsString();
  Address = set->FieldByName("Address")->AsString();
  Zip = set->FieldByName("Zip")->AsString();
  Profile = set->FieldByName("Profile")->AsWideString();
  UseCount = set->FieldByName("UseCount")->AsInteger();
  Updated = set->FieldByName("Updated")->AsBoolean();
}

void TCompany::SaveCompany()
{
  const std::vector<TDBParameter> values{MakeParam("CompanyName", CompanyName),
                                         MakeParam("Manager", Manager),
                                         MakeParam("Tel", Tel),
                                         MakeParam("Fax", Fax),
                                         MakeParam("Address", Address),
                                         MakeParam("Zip", Zip),
                                         MakeParam("Profile", Profile),
                                         MakeParam("Id", Id),
                                         MakeParam("Updated", Updated)};
  if (CompanyExists())
    Db->Execute(u"update Company set CompanyName=:CompanyName,Manager=:Manager,Tel=:Tel,Fax=:Fax,"
                u"Address=:Address,Zip=:Zip,Profile=:Profile,Updated=:Updated where Id=:Id",
                values);
  else
    Db->Execute(u"insert into Company(Id,CompanyName,Manager,Tel,Fax,Address,Zip,Profile,Updated)"
                u"values(:Id,:CompanyName,:Manager,:Tel,:Fax,:Address,:Zip,:Profile,:Updated)",
                values);
}

bool TCompany::CompanyExists()
{
  return SharedRecordSet->Open(u"select 1 from Company where Id=:Id", {MakeParam("Id", Id)}) == 1;
}

void TCompany::SetUseCount(Integer N)
{
  Db->ExecSql(u"update Company set UseCount=:q1 where Id=:Id",
              {MakeParam("q1", N), MakeParam("Id", Id)});
  UseCount = N;
}

bool TCompany::IsCompanyFilled() const
{
  return CompanyName.size() > 7;
}

WideString TCompany::CompanyText() const
{
  WideString text;
  for (const AnsiString* field : {&CompanyName, &Manager, &Tel, &Fax, &Address, &Zip})
    text += GbkToWide(*field) + u"\r\n";
  text += Profile + u"\r\n";
  text += GbkToWide(IntToStr(UseCount)) + u"\r\n";
  return text;
}

// ---- TOperator ----

void TOperator::Clear()
{
  LoginId.clear();
  Password.clear();
  Name.clear();
  Contact.clear();
  Note.clear();
  Rights.clear();
}

void TOperator::LoadOperator(const AnsiString& ALoginId)
{
  Clear();
  const Integer count = SharedRecordSet->Open(
      u"select LoginId,Password,Name,Contact,[Note],Rights from operator where LoginId=:LoginId",
      {MakeParam("LoginId", ALoginId)});
  if (count == 1) {
    TFields* fields = SharedRecordSet->DataSet()->Fields();
    LoginId = fields->Fields(0)->AsString();
    Password = fields->Fields(1)->AsString();
    Name = fields->Fields(2)->AsString();
    Contact = fields->Fields(3)->AsString();
    Note = fields->Fields(4)->AsString();
    Rights = fields->Fields(5)->AsWideString();
  }
  SharedRecordSet->DataSet()->Close();
}

bool TOperator::CheckPassword(const AnsiString& APassword) const
{
  return !LoginId.empty() && Password == APassword;
}

bool TOperator::HasRight(Integer Code) const
{
  if (LoginId == "sa")
    return true;
  return Rights.find(GbkToWide("," + IntToStr(Code) + ",")) != WideString::npos;
}

bool TOperator::CheckRight(Integer Code, bool Abort)
{
  if (HasRight(Code))
    return true;
  ShowInfo(Format("对不起,您没有该功能的操作权限,请与管理员联系(%d).", {Code}));
  if (Abort)
    ::Abort();
  return false;
}

void TOperator::SavePassword(const AnsiString& NewPassword)
{
  Db->Execute(u"update operator set [Password]=:Password where LoginId=:LoginId",
              {MakeParam("Password", NewPassword), MakeParam("LoginId", LoginId)});
}

// ---- TOperatorSet ----

TOperatorSet::TOperatorSet()
{
  FUserIdField = AddField<TStringField>("LoginId", -1, true, "登陆名");
  FPasswdField = AddField<TStringField>("Password", -1, true, "密码");
  FNameField = AddField<TStringField>("Name", -1, true, "姓名");
  FContactField = AddField<TStringField>("Contact", -1, true, "联系方式");
  FNoteField = AddField<TStringField>("Note", -1, true, "备注");
  FRightsField = AddField<TMemoField>("Rights", -1, true, "权限");
  Open(u"select * from operator where LoginId<>'sa'");
}

void TOperatorSet::SetValues(const AnsiString& LoginId, const AnsiString& Password,
                             const WideString& Rights, const AnsiString& Note,
                             const AnsiString& Contact, const AnsiString& Name)
{
  FUserIdField->SetAsString(LoginId);
  FPasswdField->SetAsString(Password);
  FNameField->SetAsString(Name);
  FContactField->SetAsString(Contact);
  FNoteField->SetAsString(Note);
  FRightsField->SetAsWideString(Rights);
}

void TOperatorSet::AddOperator(const AnsiString& LoginId, const AnsiString& Password,
                               const WideString& Rights, const AnsiString& Note,
                               const AnsiString& Contact, const AnsiString& Name)
{
  Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)"
              u"values(:LoginId,:Password,:Name,:Contact,:Note,:Rights)",
              {MakeParam("LoginId", LoginId), MakeParam("Password", Password),
               MakeParam("Name", Name), MakeParam("Contact", Contact), MakeParam("Note", Note),
               MakeParam("Rights", Rights)});
  DataSet()->Append();
  SetValues(LoginId, Password, Rights, Note, Contact, Name);
  DataSet()->Post();
}

void TOperatorSet::UpdateOperator(const AnsiString& LoginId, const AnsiString& Password,
                                  const WideString& Rights, const AnsiString& Note,
                                  const AnsiString& Contact, const AnsiString& Name)
{
  Db->Execute(u"update operator set [Password]=:Password,Name=:Name,Contact=:Contact,[Note]=:Note,"
              u"Rights=:Rights where LoginId=:LoginId",
              {MakeParam("Password", Password), MakeParam("Name", Name),
               MakeParam("Contact", Contact), MakeParam("Note", Note), MakeParam("Rights", Rights),
               MakeParam("LoginId", LoginId)});
  if (!DataSet()->Locate("LoginId", LoginId, TLocateOptions()))
    return;
  DataSet()->Edit();
  SetValues(LoginId, Password, Rights, Note, Contact, Name);
  DataSet()->Post();
}

void TOperatorSet::DeleteOperator(const AnsiString& LoginId)
{
  Db->Execute(u"delete from operator where LoginId=:LoginId", {MakeParam("LoginId", LoginId)});
  if (DataSet()->Locate("LoginId", LoginId, TLocateOptions()))
    DataSet()->Delete();
}

// ---- TKeyValue2 ----

TKeyValue2::TKeyValue2()
{
  FKeyId = AddField<TIntegerField>("KeyId", -1, true, "");
  FVint = AddField<TIntegerField>("Vint", -1, true, "");
  FVstr = AddField<TMemoField>("Vstr", -1, true, "");
  FVfloat = AddField<TFloatField>("Vfloat", -1, true, "");
  FVbool = AddField<TBooleanField>("Vbool", -1, true, "");
}

void TKeyValue2::EnsureOpen()
{
  if (!DataSet()->Active())
    Open(u"select * from keyvalue");
}

void TKeyValue2::SeekKey(Integer Key)
{
  EnsureOpen();
  if (DataSet()->Locate("KeyId", Key, TLocateOptions()))
    return;
  // The set stays open for the program's life, so the row may have been stored since it
  // was read (StoreKeyValue): read the table again before inserting the row.
  DataSet()->Close();
  EnsureOpen();
  if (DataSet()->Locate("KeyId", Key, TLocateOptions()))
    return;
  DataSet()->Close();
  Db->Execute(u"insert into keyvalue(KeyId) values (:KeyId)", {MakeParam("KeyId", Key)});
  EnsureOpen();
  // The row was just inserted; not finding it means the table does not keep its keys.
  if (!DataSet()->Locate("KeyId", Key, TLocateOptions()))
    DatabaseError(SRecordNotFound, DataSet());
}

bool TKeyValue2::StoreKeyValue(Integer Key, const AnsiString& Vstr, bool Vbool, Double Vfloat,
                               Integer Vint)
{
  const std::vector<TDBParameter> values{MakeParam("Vstr", Vstr), MakeParam("Vint", Vint),
                                         MakeParam("Vfloat", Vfloat), MakeParam("Vbool", Vbool),
                                         MakeParam("KeyId", Key)};
  if (Db->ExecSql(u"update keyvalue set Vstr=:Vstr, Vint=:Vint, Vfloat=:Vfloat, Vbool=:Vbool where "
                  u"KeyId=:KeyId",
                  values) == 1)
    return true;
  return Db->ExecSql(u"insert into keyvalue(Vstr, Vint, Vfloat, Vbool, KeyId)"
                     u"values(:Vstr, :Vint, :Vfloat, :Vbool, :KeyId)",
                     values) == 1;
}

bool TKeyValue2::StoreValues(Integer Key, const AnsiString& Vstr, bool Vbool, Double Vfloat,
                             Integer Vint)
{
  if (!StoreKeyValue(Key, Vstr, Vbool, Vfloat, Vint))
    return false;
  DataSet()->Edit();
  FVstr->SetAsString(Vstr);
  FVbool->SetAsBoolean(Vbool);
  FVfloat->SetAsFloat(Vfloat);
  FVint->SetAsInteger(Vint);
  DataSet()->Post();
  return true;
}

bool TKeyValue2::GetFlag(Integer Key)
{
  SeekKey(Key);
  return FVbool->AsBoolean();
}

void TKeyValue2::SetFlag(Integer Key, bool Value)
{
  SeekKey(Key);
  StoreValues(Key, "", Value, 0, 0);
}

// ---- TPickListSet ----

TPickListSet::TPickListSet()
{
  FKey = AddField<TIntegerField>("Key", -1, true, "");
  FLabel = AddField<TWideStringField>("Label", -1, true, "");
  FList = AddField<TMemoField>("List", -1, true, "");
}

void TPickListSet::EnsureOpen(bool Force)
{
  if (Force || !DataSet()->Active())
    Open(u"select * from options order by [Key]");
}

Integer TPickListSet::Count()
{
  EnsureOpen(false);
  return DataSet()->RecordCount();
}

void TPickListSet::SetCount(Integer N)
{
  EnsureOpen(false);
  if (DataSet()->RecordCount() >= N)
    return;
  SharedRecordSet->Open(u"select max([Key]) from options");
  Integer key = SharedRecordSet->DataSet()->Fields()->Fields(0)->AsInteger();
  while (DataSet()->RecordCount() < N) {
    ++key;
    Db->Execute(u"insert into options([Key], List) values (:Key, :List)",
                {MakeParam("Key", key), MakeParam("List", Null())});
    DataSet()->Append();
    FKey->SetAsInteger(key);
    FList->SetAsString("");
    DataSet()->Post();
  }
}

// ---- Unit ----

void qhProjInitialization()
{
  FormatSettings.DateSeparator = '-';
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  FormatSettings.TimeSeparator = ':';
  FormatSettings.LongDateFormat = "yyyy-mm-dd hh:nn:ss";
  NullStrictConvert = false;
  CurrentCompany = new TCompany();
  KeyValues = new TKeyValue2();
  PickLists = new TPickListSet();
  CurrentOperator = new TOperator();
}

void qhProjFinalization()
{
  delete CurrentCompany;
  CurrentCompany = nullptr;
  delete KeyValues;
  KeyValues = nullptr;
  delete PickLists;
  PickLists = nullptr;
  delete CurrentOperator;
  CurrentOperator = nullptr;
  ProductTitle.clear();
  ProductVersion.clear();
  ProductCode.clear();
  ProductBuild.clear();
  ProductShortName.clear();
}
