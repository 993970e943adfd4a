// The settings store: TRegistry over the root files and TRegistryIniFile over a key.
// Every call reads the root's file afresh and every change replaces it atomically, so
// several TRegistry objects (and programs) see each other's values.
#include "platform/rtl/Registry.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFilesPrivate.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterRegistryClasses()
{
  RegisterExceptionClass<ERegistryException, Exception>("ERegistryException");
  TClassRegistration<TRegistry>("TRegistry");
  TClassRegistration<TRegistryIniFile, TCustomIniFile>("TRegistryIniFile");
}

namespace {

constexpr const char* SRegCreateFailed = "Failed to create key %s";
constexpr const char* SRegSetDataFailed = "Failed to set data for '%s'";
constexpr const char* SRegGetDataFailed = "Failed to get data for '%s'";
constexpr const char* SInvalidRegType = "Invalid data type for '%s'";
constexpr const char* SIntegerPrefix = "dword:";
constexpr const char* SDefaultValueName = "@";

struct TRegistryRoots {
  AnsiString User;
  AnsiString Machine;
};

TRegistryRoots& Roots()
{
  static TRegistryRoots roots;
  return roots;
}

AnsiString DefaultUserFile()
{
  // XDG: a relative $XDG_CONFIG_HOME is ignored.
  AnsiString base = GetEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.empty() || base[0] != '/')
    base = IncludeTrailingPathDelimiter(GetEnvironmentVariable("HOME")) + ".config";
  return IncludeTrailingPathDelimiter(base) + "qhwbp/registry.ini";
}

AnsiString DefaultMachineFile()
{
  return IncludeTrailingPathDelimiter(ProgramDir()) + "registry-HKLM.ini";
}

// The parts of a key path; '\' is found only where it is a character of its own (never
// the trail byte of 乗), empty parts are dropped.
std::vector<AnsiString> SplitPath(const AnsiString& path)
{
  std::vector<AnsiString> parts;
  AnsiString part;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(path[i]) && i + 1 < path.size()) {
      part += path[i];
      part += path[++i];
    } else if (path[i] == '\\') {
      if (!part.empty())
        parts.push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  if (!part.empty())
    parts.push_back(part);
  return parts;
}

AnsiString JoinPath(const std::vector<AnsiString>& parts)
{
  AnsiString out;
  for (const AnsiString& p : parts) {
    if (!out.empty())
      out += '\\';
    out += p;
  }
  return out;
}

// Whether key is base or a key below it.
bool IsUnder(const std::vector<AnsiString>& key, const std::vector<AnsiString>& base)
{
  if (key.size() < base.size())
    return false;
  for (size_t i = 0; i < base.size(); ++i)
    if (!AnsiSameText(key[i], base[i]))
      return false;
  return true;
}

bool KeyExistsIn(const TIniDocument& doc, const AnsiString& path)
{
  const std::vector<AnsiString> base = SplitPath(path);
  if (base.empty())
    return true; // the root
  for (const AnsiString& section : doc.SectionNames())
    if (IsUnder(SplitPath(section), base))
      return true;
  return false;
}

// Whether the root's file can be replaced: the file (when present) is writable, and so is
// the nearest existing folder on its path, which must be a folder.
bool StoreWritable(const AnsiString& file)
{
  if (file.empty())
    return false;
  const std::string os = ToOsFileName(file);
  struct stat st;
  if (::stat(os.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || ::access(os.c_str(), W_OK) != 0))
    return false;
  std::filesystem::path dir = std::filesystem::path(os).parent_path();
  while (!dir.empty()) {
    if (::stat(dir.c_str(), &st) == 0)
      return S_ISDIR(st.st_mode) && ::access(dir.c_str(), W_OK) == 0;
    if (dir == dir.parent_path())
      break;
    dir = dir.parent_path();
  }
  return false;
}

TIniDocument LoadStore(const AnsiString& file)
{
  TIniDocument doc;
  std::string bytes;
  if (!file.empty() && ReadFileBytes(file, bytes))
    doc.SetBytes(bytes);
  return doc;
}

bool SaveStore(const AnsiString& file, const TIniDocument& doc)
{
  if (!ForceDirectories(ExcludeTrailingPathDelimiter(ExtractFilePath(file))))
    return false;
  return WriteFileAtomically(file, doc.Bytes());
}

AnsiString ValueKey(const AnsiString& name)
{
  return name.empty() ? AnsiString(SDefaultValueName) : name;
}

// Value names become ini keys: they must survive the line rules unchanged.
bool ValidValueName(const AnsiString& name)
{
  if (name.empty())
    return true;
  if (static_cast<unsigned char>(name.front()) <= ' ' ||
      static_cast<unsigned char>(name.back()) <= ' ')
    return false;
  if (name.front() == '[' || name.front() == ';' || name == SDefaultValueName)
    return false;
  return name.find_first_of("=\r\n") == AnsiString::npos; // none of these is ever a trail byte
}

AnsiString EncodeString(const AnsiString& value)
{
  if (value.size() >= 6 && SameText(value.substr(0, 6), SIntegerPrefix))
    return "\"" + value + "\"";
  return TIniDocument::Quote(value);
}

AnsiString EncodeInteger(Integer value)
{
  return SIntegerPrefix + LowerCase(IntToHex(static_cast<Cardinal>(value), 8));
}

bool DecodeInteger(const AnsiString& raw, Integer& value)
{
  if (raw.size() < 7 || raw.size() > 14 || !SameText(raw.substr(0, 6), SIntegerPrefix))
    return false;
  Cardinal v = 0;
  for (size_t i = 6; i < raw.size(); ++i) {
    const int digit = HexDigitValue(raw[i]);
    if (digit < 0)
      return false;
    v = v * 16 + static_cast<Cardinal>(digit);
  }
  value = static_cast<Integer>(v);
  return true;
}

[[noreturn]] void RaiseRegistry(const char* message, const AnsiString& arg)
{
  throw ERegistryException(Format(message, {arg}));
}

} // namespace

void SetRegistryRoots(const AnsiString& UserFile, const AnsiString& MachineFile)
{
  Roots().User = UserFile;
  Roots().Machine = MachineFile;
}

AnsiString RegistryFileName(HKEY RootKey)
{
  if (RootKey == HKEY_CURRENT_USER)
    return Roots().User.empty() ? DefaultUserFile() : Roots().User;
  if (RootKey == HKEY_LOCAL_MACHINE)
    return Roots().Machine.empty() ? DefaultMachineFile() : Roots().Machine;
  return AnsiString();
}

// ---- TRegistry ----

TRegistry::~TRegistry()
{
  CloseKey();
}

void TRegistry::SetRootKey(HKEY Value)
{
  if (FRootKey == Value)
    return;
  CloseKey();
  FRootKey = Value;
}

bool TRegistry::WantsWrite() const
{
  return (FAccess & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

AnsiString TRegistry::ResolvePath(const AnsiString& Key) const
{
  const bool absolute = !Key.empty() && Key[0] == '\\';
  if (!absolute && FOpen && !FCurrentPath.empty())
    return JoinPath(SplitPath(FCurrentPath + "\\" + Key));
  return JoinPath(SplitPath(Key));
}

bool TRegistry::OpenKey(const AnsiString& Key, bool CanCreate)
{
  const AnsiString file = RegistryFileName(FRootKey);
  const AnsiString path = ResolvePath(Key);
  const bool writable = StoreWritable(file);
  if (file.empty() || (WantsWrite() && !writable))
    return false;
  TIniDocument doc = LoadStore(file);
  if (!KeyExistsIn(doc, path)) {
    if (!CanCreate || !writable)
      return false;
    doc.AddSection(path);
    if (!SaveStore(file, doc))
      return false;
  }
  FCurrentPath = path;
  FOpen = true;
  FReadOnly = !WantsWrite();
  return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& Key)
{
  const AnsiString file = RegistryFileName(FRootKey);
  const AnsiString path = ResolvePath(Key);
  if (file.empty() || !KeyExistsIn(LoadStore(file), path))
    return false;
  FCurrentPath = path;
  FOpen = true;
  FReadOnly = true;
  return true;
}

void TRegistry::CloseKey()
{
  FOpen = false;
  FReadOnly = false;
  FCurrentPath.clear();
}

bool TRegistry::CreateKey(const AnsiString& Key)
{
  const AnsiString file = RegistryFileName(FRootKey);
  const AnsiString path = ResolvePath(Key);
  TIniDocument doc = LoadStore(file);
  if (!file.empty() && KeyExistsIn(doc, path))
    return true;
  if (!StoreWritable(file))
    RaiseRegistry(SRegCreateFailed, Key);
  doc.AddSection(path);
  if (!SaveStore(file, doc))
    RaiseRegistry(SRegCreateFailed, Key);
  return true;
}

bool TRegistry::DeleteKey(const AnsiString& Key)
{
  const AnsiString file = RegistryFileName(FRootKey);
  const std::vector<AnsiString> base = SplitPath(ResolvePath(Key));
  if (base.empty() || !StoreWritable(file))
    return false;
  TIniDocument doc = LoadStore(file);
  bool found = false;
  for (const AnsiString& section : doc.SectionNames())
    if (IsUnder(SplitPath(section), base)) {
      doc.EraseSection(section);
      found = true;
    }
  return found && SaveStore(file, doc);
}

bool TRegistry::KeyExists(const AnsiString& Key)
{
  const AnsiString file = RegistryFileName(FRootKey);
  return !file.empty() && KeyExistsIn(LoadStore(file), ResolvePath(Key));
}

bool TRegistry::HasSubKeys()
{
  TStringList names;
  GetKeyNames(&names);
  return names.Count() > 0;
}

void TRegistry::GetKeyNames(TStrings* Strings)
{
  std::vector<AnsiString> names;
  if (FOpen) {
    const std::vector<AnsiString> base = SplitPath(FCurrentPath);
    for (const AnsiString& section : LoadStore(RegistryFileName(FRootKey)).SectionNames()) {
      const std::vector<AnsiString> key = SplitPath(section);
      if (key.size() <= base.size() || !IsUnder(key, base))
        continue;
      const AnsiString& child = key[base.size()];
      if (std::none_of(names.begin(), names.end(),
                       [&](const AnsiString& n) { return AnsiSameText(n, child); }))
        names.push_back(child);
    }
    std::stable_sort(names.begin(), names.end(), [](const AnsiString& a, const AnsiString& b) {
      return AnsiCompareText(a, b) < 0;
    });
  }
  Strings->BeginUpdate();
  Strings->Clear();
  for (const AnsiString& n : names)
    Strings->Add(n);
  Strings->EndUpdate();
}

void TRegistry::GetValueNames(TStrings* Strings)
{
  std::vector<AnsiString> names;
  if (FOpen)
    names = LoadStore(RegistryFileName(FRootKey)).KeyNames(FCurrentPath);
  Strings->BeginUpdate();
  Strings->Clear();
  for (const AnsiString& n : names)
    Strings->Add(n == SDefaultValueName ? AnsiString() : n);
  Strings->EndUpdate();
}

bool TRegistry::FindRaw(const AnsiString& Name, AnsiString& Raw)
{
  if (!FOpen)
    return false;
  return LoadStore(RegistryFileName(FRootKey)).FindRaw(FCurrentPath, ValueKey(Name), Raw);
}

bool TRegistry::ValueExists(const AnsiString& Name)
{
  AnsiString raw;
  return FindRaw(Name, raw);
}

TRegDataType TRegistry::GetDataType(const AnsiString& Name)
{
  AnsiString raw;
  Integer value = 0;
  if (!FindRaw(Name, raw))
    return rdUnknown;
  return DecodeInteger(raw, value) ? rdInteger : rdString;
}

bool TRegistry::DeleteValue(const AnsiString& Name)
{
  const AnsiString file = RegistryFileName(FRootKey);
  if (!FOpen || FReadOnly || !StoreWritable(file))
    return false;
  TIniDocument doc = LoadStore(file);
  return doc.DeleteKey(FCurrentPath, ValueKey(Name)) && SaveStore(file, doc);
}

AnsiString TRegistry::ReadString(const AnsiString& Name)
{
  AnsiString raw;
  Integer value = 0;
  if (!FindRaw(Name, raw))
    return AnsiString();
  return DecodeInteger(raw, value) ? IntToStr(value) : TIniDocument::Unquote(raw);
}

Integer TRegistry::ReadInteger(const AnsiString& Name)
{
  AnsiString raw;
  Integer value = 0;
  if (!FindRaw(Name, raw))
    RaiseRegistry(SRegGetDataFailed, Name);
  if (DecodeInteger(raw, value) || TryStrToInt(TIniDocument::Unquote(raw), value))
    return value;
  RaiseRegistry(SInvalidRegType, Name);
}

bool TRegistry::ReadBool(const AnsiString& Name)
{
  return ReadInteger(Name) != 0;
}

void TRegistry::WriteRaw(const AnsiString& Name, const AnsiString& Raw)
{
  const AnsiString file = RegistryFileName(FRootKey);
  if (!FOpen || FReadOnly || !ValidValueName(Name) || !StoreWritable(file))
    RaiseRegistry(SRegSetDataFailed, Name);
  TIniDocument doc = LoadStore(file);
  if (doc.SetRaw(FCurrentPath, ValueKey(Name), Raw) && !SaveStore(file, doc))
    RaiseRegistry(SRegSetDataFailed, Name);
}

void TRegistry::WriteString(const AnsiString& Name, const AnsiString& Value)
{
  WriteRaw(Name, EncodeString(Value));
}

void TRegistry::WriteInteger(const AnsiString& Name, Integer Value)
{
  WriteRaw(Name, EncodeInteger(Value));
}

void TRegistry::WriteBool(const AnsiString& Name, bool Value)
{
  WriteInteger(Name, Value ? 1 : 0);
}

// ---- TRegistryIniFile ----

TRegistryIniFile::TRegistryIniFile(const AnsiString& FileName, LongWord AAccess)
    : TCustomIniFile(FileName), FAccess(AAccess)
{
}

AnsiString TRegistryIniFile::SectionPath(const AnsiString& Section) const
{
  AnsiString base = FileName();
  if (base.empty() || base[0] != '\\')
    base = "\\" + base;
  return Section.empty() ? base : base + "\\" + Section;
}

bool TRegistryIniFile::OpenForRead(TRegistry& Reg, const AnsiString& Section) const
{
  Reg.SetRootKey(HKEY_CURRENT_USER);
  return Reg.OpenKeyReadOnly(SectionPath(Section));
}

void TRegistryIniFile::OpenForWrite(TRegistry& Reg, const AnsiString& Section,
                                    const AnsiString& Ident) const
{
  Reg.SetRootKey(HKEY_CURRENT_USER);
  Reg.SetAccess(FAccess);
  if (!Reg.OpenKey(SectionPath(Section), true))
    RaiseRegistry(SRegSetDataFailed, Ident);
}

AnsiString TRegistryIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                        const AnsiString& Default)
{
  TRegistry reg;
  if (OpenForRead(reg, Section) && reg.ValueExists(Ident))
    return reg.ReadString(Ident);
  return Default;
}

void TRegistryIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Value)
{
  TRegistry reg;
  OpenForWrite(reg, Section, Ident);
  reg.WriteString(Ident, Value);
}

Integer TRegistryIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident,
                                      Integer Default)
{
  TRegistry reg;
  if (!OpenForRead(reg, Section))
    return Default;
  switch (reg.GetDataType(Ident)) {
  case rdInteger:
    return reg.ReadInteger(Ident);
  case rdString:
    return StrToIntDef(reg.ReadString(Ident), Default);
  default:
    return Default;
  }
}

void TRegistryIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident,
                                    Integer Value)
{
  TRegistry reg;
  OpenForWrite(reg, Section, Ident);
  if (reg.GetDataType(Ident) == rdString)
    reg.WriteString(Ident, IntToStr(Value));
  else
    reg.WriteInteger(Ident, Value);
}

void TRegistryIniFile::ReadSection(const AnsiString& Section, TStrings* Strings)
{
  TRegistry reg;
  OpenForRead(reg, Section);
  reg.GetValueNames(Strings);
}

void TRegistryIniFile::ReadSections(TStrings* Strings)
{
  TRegistry reg;
  OpenForRead(reg, AnsiString());
  reg.GetKeyNames(Strings);
}

void TRegistryIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings)
{
  TRegistry reg;
  TStringList names;
  if (OpenForRead(reg, Section))
    reg.GetValueNames(&names);
  Strings->BeginUpdate();
  Strings->Clear();
  for (Integer i = 0; i < names.Count(); ++i)
    Strings->Add(names.Strings(i) + "=" + reg.ReadString(names.Strings(i)));
  Strings->EndUpdate();
}

void TRegistryIniFile::EraseSection(const AnsiString& Section)
{
  TRegistry reg(FAccess);
  reg.DeleteKey(SectionPath(Section));
}

void TRegistryIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
  TRegistry reg(FAccess);
  if (reg.OpenKey(SectionPath(Section), false))
    reg.DeleteValue(Ident);
}

bool TRegistryIniFile::SectionExists(const AnsiString& Section)
{
  TRegistry reg;
  return reg.KeyExists(SectionPath(Section));
}

bool TRegistryIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident)
{
  TRegistry reg;
  return OpenForRead(reg, Section) && reg.ValueExists(Ident);
}
