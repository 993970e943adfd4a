// The program's settings and administrative records: the identity texts, the cfg.ini
// settings with the connection strings they give (TConfiger), and the company, operator,
// key-value and pick-list records over the database.
#pragma once

#include <memory>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class TIniFile;

// The program's identity texts, stored by the program entry before anything else runs.
extern AnsiString ProductTitle;
extern AnsiString ProductVersion;
extern AnsiString ProductCode;
extern AnsiString ProductBuild;
extern AnsiString ProductShortName;

// ---------------------------------------------------------------------------------------
// cfg.ini

// The entries of the configuration dialog as typed, the port still as text.
struct TConfigEntries {
  AnsiString MssqlServer;
  AnsiString MssqlPort;
  AnsiString MssqlDb;
  AnsiString MssqlUser;
  AnsiString MssqlPw;
  bool SmartConnect = false;
  AnsiString JetFile;
  AnsiString JetUser;
  AnsiString JetPw;
  AnsiString DipUrl;
  AnsiString DipUser;
  bool DefaultCon = true;
  Integer ProviderIdx = 0;
};

// The database settings kept in cfg.ini in the program's directory. Passwords, the Jet
// file and the last connection string are stored scrambled (ScrambleText).
class TConfiger : public TObject {
public:
  // Opens cfg.ini and reads every setting (defaults for a missing file or key).
  TConfiger();
  ~TConfiger() override;

  // "<program dir>/cfg.ini".
  static AnsiString ConfigFileName();

  // Provider choice: 0 SQL Server, 1 Jet file, 2 DIP lookup.
  Integer ProviderIdx = 0;
  // With provider 1: use the default database beside the program.
  bool DefaultCon = true;
  AnsiString MssqlServer;
  Integer MssqlPort = 1433;
  AnsiString MssqlDb;
  AnsiString MssqlUser;
  AnsiString MssqlPw;
  AnsiString JetFile;
  AnsiString JetUser;
  AnsiString JetPw;
  AnsiString DipUrl;
  AnsiString DipUser;
  // Not stored: with provider 0, saving deletes the client alias instead of writing it.
  bool SmartConnect = false;

  // Writes the settings and the connection string of the chosen provider.
  void SaveConfig();
  // Takes the dialog's entries and saves them. The port is converted first, so a port
  // that is not a number raises EConvertError before any setting changes or is saved.
  void SaveEntries(const TConfigEntries& Entries);
  // The connection string for the chosen provider.
  WideString GetConnectionString();
  // Writes (or, with Delete, removes) the client alias of Server in the machine's store:
  // "DBMSSOCN,<server>[,<port>]". A key that cannot be opened is silently left alone.
  void SetClientAlias(const AnsiString& Server, const AnsiString& Port, bool Delete);
  // Asks the DIP service for the server's connection data; empty when it gives no
  // usable answer (a failed request is reported with ShowInfo).
  WideString FetchDipConnection();

  AnsiString ReadLastLoginId();
  void WriteLastLoginId(const AnsiString& Id);

  TIniFile* IniFile() const { return FIni.get(); }

private:
  std::unique_ptr<TIniFile> FIni;
};

// The connection string templates filled in; values holding ';' or beginning with a quote
// are quoted.
AnsiString SqlServerConnectionString(const AnsiString& User, const AnsiString& Password,
                                     const AnsiString& Database, const AnsiString& Server);
AnsiString JetConnectionString(const AnsiString& Password, const AnsiString& FileName);
AnsiString DefaultJetConnectionString(const AnsiString& FileName);
AnsiString DipConnectionString(const AnsiString& Server, const AnsiString& User,
                               const AnsiString& Password, const AnsiString& Database);
// The default database: "<program dir>/<ProductShortName>.mdb", or the executable's path
// with ".mdb" when the short name is empty.
AnsiString DefaultDatabaseFileName();
