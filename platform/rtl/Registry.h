// The settings store that stands for the registry: TRegistry over two ini-format files,
// one per root, and TRegistryIniFile, the ini-file face of a key. See IniFiles.h for the
// file rules and Classes.h for the bigger picture.
//
// Each root key is one file; a key is the section named after its path from the root
// ("[Software\Ridu Zirezod\Form.TMainForm]"); a key exists when its section or the section
// of any key below it does. A value is one line of its key's section: a string as an ini
// value (quoted when it needs it, always when it begins with "dword:"), an integer as
// "dword:" and eight hexadecimal digits; the default (unnamed) value is named "@".
//   HKEY_CURRENT_USER   $XDG_CONFIG_HOME/qhwbp/registry.ini (else ~/.config/qhwbp/...)
//   HKEY_LOCAL_MACHINE  registry-HKLM.ini in the program's directory
#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class TStrings;

using HKEY = NativeUInt;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

// Access rights: a TRegistry whose access includes setting values or creating keys opens
// keys only where the store can be written.
constexpr LongWord KEY_QUERY_VALUE = 0x0001;
constexpr LongWord KEY_SET_VALUE = 0x0002;
constexpr LongWord KEY_CREATE_SUB_KEY = 0x0004;
constexpr LongWord KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr LongWord KEY_READ = 0x20019;
constexpr LongWord KEY_WRITE = 0x20006;
constexpr LongWord KEY_ALL_ACCESS = 0xF003F;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

QH_DECLARE_EXCEPTION(ERegistryException, Exception);

// The files behind HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE (tests point them at a
// temporary folder); an empty name restores that root's default place.
void SetRegistryRoots(const AnsiString& UserFile, const AnsiString& MachineFile);
// The file behind a root key; "" for roots the store does not keep.
AnsiString RegistryFileName(HKEY RootKey);

// Key paths are '\'-separated and compared ignoring case. A path that starts with '\' is
// absolute; any other path is relative to the open key, or to the root when none is open.
class TRegistry : public TObject {
public:
  TRegistry() = default;
  explicit TRegistry(LongWord AAccess) : FAccess(AAccess) {}
  ~TRegistry() override;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key.
  void SetRootKey(HKEY Value);
  LongWord Access() const { return FAccess; }
  void SetAccess(LongWord Value) { FAccess = Value; }
  // Non-zero while a key is open.
  HKEY CurrentKey() const { return FOpen ? FRootKey : 0; }
  // The open key's path without a leading '\'.
  const AnsiString& CurrentPath() const { return FCurrentPath; }

  // Opens a key, creating it (and the keys above it) when CanCreate. False, silently,
  // when the key does not exist and may not be created, or when Access asks for writing
  // and the store cannot be written.
  bool OpenKey(const AnsiString& Key, bool CanCreate);
  // Opens an existing key for reading only.
  bool OpenKeyReadOnly(const AnsiString& Key);
  void CloseKey();
  // Raises ERegistryException "Failed to create key %s" when the key cannot be created.
  bool CreateKey(const AnsiString& Key);
  // Deletes a key with every key below it; false when there was none or the store
  // cannot be written.
  bool DeleteKey(const AnsiString& Key);
  bool KeyExists(const AnsiString& Key);
  bool HasSubKeys();
  // Names of the keys directly below the open key, in order ignoring case.
  void GetKeyNames(TStrings* Strings);
  // Names of the open key's values, in the order they were first written.
  void GetValueNames(TStrings* Strings);

  bool ValueExists(const AnsiString& Name);
  TRegDataType GetDataType(const AnsiString& Name);
  bool DeleteValue(const AnsiString& Name);
  // Reading a value of the other kind converts it: an integer reads as its decimal text,
  // a string holding an integer as that integer. A missing value reads "" as a string and
  // raises "Failed to get data for '%s'" as an integer; a string that is no integer
  // raises "Invalid data type for '%s'".
  AnsiString ReadString(const AnsiString& Name);
  Integer ReadInteger(const AnsiString& Name);
  bool ReadBool(const AnsiString& Name);
  // Writing without an open writable key raises "Failed to set data for '%s'".
  void WriteString(const AnsiString& Name, const AnsiString& Value);
  void WriteInteger(const AnsiString& Name, Integer Value);
  void WriteBool(const AnsiString& Name, bool Value);

private:
  AnsiString ResolvePath(const AnsiString& Key) const;
  bool WantsWrite() const;
  void WriteRaw(const AnsiString& Name, const AnsiString& Raw);
  bool FindRaw(const AnsiString& Name, AnsiString& Raw);

  HKEY FRootKey = HKEY_CURRENT_USER;
  LongWord FAccess = KEY_ALL_ACCESS;
  AnsiString FCurrentPath;
  bool FOpen = false;
  bool FReadOnly = false;
};

// An ini-file view of a key under HKEY_CURRENT_USER: FileName is the key's path
// ("\Software\Ridu Zirezod"), sections are the keys below it, idents their values.
class TRegistryIniFile : public TCustomIniFile {
public:
  explicit TRegistryIniFile(const AnsiString& FileName, LongWord AAccess = KEY_ALL_ACCESS);

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                        const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident,
                   const AnsiString& Value) override;
  // Integers keep their kind: an existing string value stays a string.
  Integer ReadInteger(const AnsiString& Section, const AnsiString& Ident, Integer Default) override;
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, Integer Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  void UpdateFile() override {}
  bool SectionExists(const AnsiString& Section) override;
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident) override;

private:
  AnsiString SectionPath(const AnsiString& Section) const;
  bool OpenForRead(TRegistry& Reg, const AnsiString& Section) const;
  void OpenForWrite(TRegistry& Reg, const AnsiString& Section, const AnsiString& Ident) const;

  LongWord FAccess;
};
