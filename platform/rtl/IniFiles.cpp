// Ini files: the line model (IniFilesPrivate.h), TCustomIniFile's typed reads and writes,
// TIniFile over a file and TMemIniFile in memory.
#include "platform/rtl/IniFiles.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFilesPrivate.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterIniFilesClasses()
{
  RegisterExceptionClass<EIniFileException, Exception>("EIniFileException");
  TClassRegistration<TCustomIniFile>("TCustomIniFile");
  TClassRegistration<TIniFile, TCustomIniFile>("TIniFile");
  TClassRegistration<TMemIniFile, TCustomIniFile>("TMemIniFile");
}

namespace {

constexpr const char* SIniFileWriteError = "Unable to write to %s";

bool IsBlankByte(char c)
{
  return static_cast<unsigned char>(c) <= ' ';
}

// Trim for names and values: blank and control bytes go from both ends, but never the trail
// byte of a double-byte character (a lead byte takes any next byte), so that a name or value
// written back ends the same way and its '=' or ']' is not taken as a trail byte.
AnsiString TrimText(const AnsiString& s)
{
  size_t start = 0;
  while (start < s.size() && IsBlankByte(s[start]))
    ++start;
  AnsiString text = s.substr(start);
  size_t end = text.size();
  while (end > 0 && IsBlankByte(text[end - 1]) &&
         ByteType(text, static_cast<Integer>(end)) != mbTrailByte)
    --end;
  text.resize(end);
  return text;
}

bool IsQuoteChar(char c)
{
  return c == '"' || c == '\'';
}

bool WriteAll(int fd, const std::string& bytes)
{
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void FillStrings(TStrings* strings, const std::vector<AnsiString>& items)
{
  TUpdateScope update(strings);
  strings->Clear();
  for (const AnsiString& s : items)
    strings->Add(s);
}

// The value text parses to, or Default when text is empty or does not parse: a malformed
// entry reads as the caller's default, never as an error.
template <class T, class Parse> T ParsedOr(const AnsiString& text, T Default, Parse parse)
{
  T value{};
  return !text.empty() && parse(text, value) ? value : Default;
}

} // namespace

// ---- Files ----

bool ReadFileBytes(const AnsiString& fileName, std::string& bytes)
{
  bytes.clear();
  const int fd = ::open(ToOsFileName(fileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  char buffer[16384];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      ok = false;
    if (n <= 0)
      break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok)
    bytes.clear();
  return ok;
}

bool WriteFileAtomically(const AnsiString& fileName, const std::string& bytes)
{
  static std::atomic<unsigned> serial{0};
  const std::string target = ToOsFileName(fileName);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      return false;
  }
  if (fd < 0)
    return false;
  struct stat st;
  bool ok = WriteAll(fd, bytes);
  if (ok && ::stat(target.c_str(), &st) == 0)
    ::fchmod(fd, st.st_mode & 07777);
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok)
    ::unlink(temp.c_str());
  return ok;
}

// ---- TIniDocument ----

void TIniDocument::SetBytes(const std::string& bytes)
{
  FLines.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos) {
      FLines.push_back({bytes.substr(start), AnsiString()});
      break;
    }
    size_t end = lf;
    AnsiString ending = "\n";
    if (end > start && bytes[end - 1] == '\r') {
      --end;
      ending = "\r\n";
    }
    FLines.push_back({bytes.substr(start, end - start), ending});
    start = lf + 1;
  }
}

std::string TIniDocument::Bytes() const
{
  std::string out;
  for (const TLine& line : FLines) {
    out += line.Text;
    out += line.Ending;
  }
  return out;
}

void TIniDocument::SetLines(const std::vector<AnsiString>& lines)
{
  FLines.clear();
  for (const AnsiString& s : lines)
    FLines.push_back({s, "\r\n"});
}

std::vector<AnsiString> TIniDocument::Lines() const
{
  std::vector<AnsiString> out;
  for (const TLine& line : FLines)
    out.push_back(line.Text);
  return out;
}

void TIniDocument::Clear()
{
  FLines.clear();
}

TIniDocument::TLineKind TIniDocument::Parse(const AnsiString& text, AnsiString& name,
                                            AnsiString& value)
{
  size_t start = 0;
  while (start < text.size() && IsBlankByte(text[start]))
    ++start;
  if (start == text.size() || text[start] == ';')
    return lkOther;
  const AnsiString line = text.substr(start);
  if (line[0] == '[') {
    // The header runs to the last ']' that is a character of its own, not a trail byte.
    const Integer close = LastDelimiter("]", line);
    if (close < 2)
      return lkOther;
    name = TrimText(line.substr(1, static_cast<size_t>(close) - 2));
    return lkSection;
  }
  const Integer eq = AnsiScanChar(line, '=');
  if (eq == 0)
    return lkOther;
  name = TrimText(line.substr(0, static_cast<size_t>(eq) - 1));
  value = TrimText(line.substr(static_cast<size_t>(eq)));
  return lkKey;
}

Integer TIniDocument::FindSection(const AnsiString& section) const
{
  AnsiString name, value;
  for (size_t i = 0; i < FLines.size(); ++i)
    if (Parse(FLines[i].Text, name, value) == lkSection && AnsiSameText(name, section))
      return static_cast<Integer>(i);
  return -1;
}

Integer TIniDocument::SectionEnd(Integer header) const
{
  AnsiString name, value;
  size_t i = static_cast<size_t>(header) + 1;
  while (i < FLines.size() && Parse(FLines[i].Text, name, value) != lkSection)
    ++i;
  return static_cast<Integer>(i);
}

Integer TIniDocument::FindKey(Integer header, const AnsiString& key) const
{
  AnsiString name, value;
  const Integer end = SectionEnd(header);
  for (Integer i = header + 1; i < end; ++i)
    if (Parse(FLines[i].Text, name, value) == lkKey && AnsiSameText(name, key))
      return i;
  return -1;
}

void TIniDocument::InsertLine(Integer at, const AnsiString& text)
{
  if (at > 0 && FLines[at - 1].Ending.empty())
    FLines[at - 1].Ending = "\r\n";
  FLines.insert(FLines.begin() + at, TLine{text, "\r\n"});
}

bool TIniDocument::FindRaw(const AnsiString& section, const AnsiString& key, AnsiString& raw) const
{
  const Integer header = FindSection(section);
  if (header < 0)
    return false;
  const Integer line = FindKey(header, key);
  if (line < 0)
    return false;
  AnsiString name;
  Parse(FLines[line].Text, name, raw);
  return true;
}

bool TIniDocument::SectionExists(const AnsiString& section) const
{
  return FindSection(section) >= 0;
}

std::vector<AnsiString> TIniDocument::SectionNames() const
{
  std::vector<AnsiString> out;
  AnsiString name, value;
  for (const TLine& line : FLines) {
    if (Parse(line.Text, name, value) != lkSection)
      continue;
    bool seen = false;
    for (const AnsiString& s : out)
      seen = seen || AnsiSameText(s, name);
    if (!seen)
      out.push_back(name);
  }
  return out;
}

std::vector<AnsiString> TIniDocument::KeyNames(const AnsiString& section) const
{
  std::vector<AnsiString> out;
  const Integer header = FindSection(section);
  if (header < 0)
    return out;
  AnsiString name, value;
  const Integer end = SectionEnd(header);
  for (Integer i = header + 1; i < end; ++i) {
    if (Parse(FLines[i].Text, name, value) != lkKey)
      continue;
    bool seen = false;
    for (const AnsiString& s : out)
      seen = seen || AnsiSameText(s, name);
    if (!seen)
      out.push_back(name);
  }
  return out;
}

bool TIniDocument::AddSection(const AnsiString& section)
{
  if (FindSection(section) >= 0)
    return false;
  // A new section goes to the end, after a blank line when the text has any.
  if (!FLines.empty()) {
    if (FLines.back().Ending.empty())
      FLines.back().Ending = "\r\n";
    if (!Trim(FLines.back().Text).empty())
      FLines.push_back({AnsiString(), "\r\n"});
  }
  FLines.push_back({"[" + section + "]", "\r\n"});
  return true;
}

bool TIniDocument::SetRaw(const AnsiString& section, const AnsiString& key, const AnsiString& raw)
{
  AddSection(section);
  const Integer header = FindSection(section);
  const Integer line = FindKey(header, key);
  AnsiString name, value;
  if (line >= 0) {
    Parse(FLines[line].Text, name, value);
    if (value == raw)
      return false;
    FLines[line].Text = name + "=" + raw;
    return true;
  }
  // After the section's last non-blank line, so blank lines before the next section stay.
  Integer at = header + 1;
  const Integer end = SectionEnd(header);
  for (Integer i = header + 1; i < end; ++i)
    if (!Trim(FLines[i].Text).empty())
      at = i + 1;
  InsertLine(at, key + "=" + raw);
  return true;
}

bool TIniDocument::EraseSection(const AnsiString& section)
{
  bool changed = false;
  for (Integer header = FindSection(section); header >= 0; header = FindSection(section)) {
    FLines.erase(FLines.begin() + header, FLines.begin() + SectionEnd(header));
    changed = true;
  }
  return changed;
}

bool TIniDocument::DeleteKey(const AnsiString& section, const AnsiString& key)
{
  bool changed = false;
  const Integer header = FindSection(section);
  if (header < 0)
    return false;
  for (Integer line = FindKey(header, key); line >= 0; line = FindKey(header, key)) {
    FLines.erase(FLines.begin() + line);
    changed = true;
  }
  return changed;
}

AnsiString TIniDocument::Unquote(const AnsiString& raw)
{
  if (raw.size() >= 2 && IsQuoteChar(raw.front()) && raw.back() == raw.front())
    return raw.substr(1, raw.size() - 2);
  return raw;
}

AnsiString TIniDocument::Quote(const AnsiString& value)
{
  if (value.empty())
    return value;
  const bool needed =
      IsBlankByte(value.front()) || IsBlankByte(value.back()) ||
      (value.size() >= 2 && IsQuoteChar(value.front()) && value.back() == value.front());
  return needed ? "\"" + value + "\"" : value;
}

// ---- TCustomIniFile ----

Integer TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident,
                                    Integer Default)
{
  AnsiString s = ReadString(Section, Ident, AnsiString());
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    s = "$" + s.substr(2);
  return StrToIntDef(s, Default);
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, Integer Value)
{
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default)
{
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value)
{
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default)
{
  return ParsedOr(ReadString(Section, Ident, AnsiString()), Default,
                  [](const AnsiString& s, double& v) { return TryStrToFloat(s, v); });
}

void TCustomIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value)
{
  WriteString(Section, Ident, FloatToStr(Value));
}

TDateTime TCustomIniFile::ReadDate(const AnsiString& Section, const AnsiString& Ident,
                                   TDateTime Default)
{
  return ParsedOr(ReadString(Section, Ident, AnsiString()), Default,
                  [](const AnsiString& s, TDateTime& v) { return TryStrToDate(s, v); });
}

TDateTime TCustomIniFile::ReadDateTime(const AnsiString& Section, const AnsiString& Ident,
                                       TDateTime Default)
{
  return ParsedOr(ReadString(Section, Ident, AnsiString()), Default,
                  [](const AnsiString& s, TDateTime& v) { return TryStrToDateTime(s, v); });
}

TDateTime TCustomIniFile::ReadTime(const AnsiString& Section, const AnsiString& Ident,
                                   TDateTime Default)
{
  return ParsedOr(ReadString(Section, Ident, AnsiString()), Default,
                  [](const AnsiString& s, TDateTime& v) { return TryStrToTime(s, v); });
}

void TCustomIniFile::WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
  WriteString(Section, Ident, DateToStr(Value));
}

void TCustomIniFile::WriteDateTime(const AnsiString& Section, const AnsiString& Ident,
                                   TDateTime Value)
{
  WriteString(Section, Ident, DateTimeToStr(Value));
}

void TCustomIniFile::WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
  WriteString(Section, Ident, TimeToStr(Value));
}

bool TCustomIniFile::SectionExists(const AnsiString& Section)
{
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident)
{
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.IndexOf(Ident) >= 0;
}

// ---- TIniFile ----

TIniDocument TIniFile::Load() const
{
  TIniDocument doc;
  std::string bytes;
  if (ReadFileBytes(FileName(), bytes))
    doc.SetBytes(bytes);
  return doc;
}

void TIniFile::Save(const TIniDocument& Doc) const
{
  if (!WriteFileAtomically(FileName(), Doc.Bytes()))
    throw EIniFileException(Format(SIniFileWriteError, {FileName()}));
}

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                const AnsiString& Default)
{
  AnsiString raw;
  return Load().FindRaw(Section, Ident, raw) ? TIniDocument::Unquote(raw) : Default;
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident,
                           const AnsiString& Value)
{
  TIniDocument doc = Load();
  // A value that reads back the same already is left as it is written.
  AnsiString raw;
  if (doc.FindRaw(Section, Ident, raw) && TIniDocument::Unquote(raw) == Value)
    return;
  if (doc.SetRaw(Section, Ident, TIniDocument::Quote(Value)))
    Save(doc);
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings)
{
  FillStrings(Strings, Load().KeyNames(Section));
}

void TIniFile::ReadSections(TStrings* Strings)
{
  FillStrings(Strings, Load().SectionNames());
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings)
{
  const TIniDocument doc = Load();
  std::vector<AnsiString> items;
  AnsiString raw;
  for (const AnsiString& key : doc.KeyNames(Section)) {
    doc.FindRaw(Section, key, raw);
    items.push_back(key + "=" + TIniDocument::Unquote(raw));
  }
  FillStrings(Strings, items);
}

void TIniFile::EraseSection(const AnsiString& Section)
{
  TIniDocument doc = Load();
  if (doc.EraseSection(Section))
    Save(doc);
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
  TIniDocument doc = Load();
  if (doc.DeleteKey(Section, Ident))
    Save(doc);
}

// ---- TMemIniFile ----

TMemIniFile::TMemIniFile(const AnsiString& FileName)
    : TCustomIniFile(FileName), FDoc(std::make_unique<TIniDocument>())
{
  Rename(FileName, true);
}

TMemIniFile::~TMemIniFile() = default;

AnsiString TMemIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Default)
{
  AnsiString raw;
  return FDoc->FindRaw(Section, Ident, raw) ? TIniDocument::Unquote(raw) : Default;
}

void TMemIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident,
                              const AnsiString& Value)
{
  AnsiString raw;
  if (FDoc->FindRaw(Section, Ident, raw) && TIniDocument::Unquote(raw) == Value)
    return;
  FDoc->SetRaw(Section, Ident, TIniDocument::Quote(Value));
}

void TMemIniFile::ReadSection(const AnsiString& Section, TStrings* Strings)
{
  FillStrings(Strings, FDoc->KeyNames(Section));
}

void TMemIniFile::ReadSections(TStrings* Strings)
{
  FillStrings(Strings, FDoc->SectionNames());
}

void TMemIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings)
{
  std::vector<AnsiString> items;
  AnsiString raw;
  for (const AnsiString& key : FDoc->KeyNames(Section)) {
    FDoc->FindRaw(Section, key, raw);
    items.push_back(key + "=" + TIniDocument::Unquote(raw));
  }
  FillStrings(Strings, items);
}

void TMemIniFile::EraseSection(const AnsiString& Section)
{
  FDoc->EraseSection(Section);
}

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
  FDoc->DeleteKey(Section, Ident);
}

void TMemIniFile::UpdateFile()
{
  if (!WriteFileAtomically(FileName(), FDoc->Bytes()))
    throw EIniFileException(Format(SIniFileWriteError, {FileName()}));
}

void TMemIniFile::Clear()
{
  FDoc->Clear();
}

void TMemIniFile::GetStrings(TStrings* List) const
{
  FillStrings(List, FDoc->Lines());
}

void TMemIniFile::SetStrings(const TStrings* List)
{
  std::vector<AnsiString> lines;
  for (Integer i = 0; i < List->Count(); ++i)
    lines.push_back(List->Strings(i));
  FDoc->SetLines(lines);
}

void TMemIniFile::Rename(const AnsiString& FileName, bool Reload)
{
  SetFileName(FileName);
  if (!Reload)
    return;
  std::string bytes;
  FDoc->Clear();
  if (!FileName.empty() && ReadFileBytes(FileName, bytes))
    FDoc->SetBytes(bytes);
}
