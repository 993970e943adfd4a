// Fuzz target "ini": the input as an ini file (platform/rtl/IniFiles.h). Every section, key
// and value read is written into a new file with the ini writer; reading that file must
// give the same sections, keys and values. The typed readers run on every value too.
#include <map>
#include <unistd.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// Section name, then key and value, in the order of the file; names as first spelled.
using TIniContents =
    std::vector<std::pair<AnsiString, std::vector<std::pair<AnsiString, AnsiString>>>>;

TIniContents ReadContents(TCustomIniFile& Ini)
{
  TIniContents contents;
  TStringList sections;
  Ini.ReadSections(&sections);
  for (Integer s = 0; s < sections.Count(); ++s) {
    const AnsiString section = sections.Strings(s);
    TStringList keys;
    Ini.ReadSection(section, &keys);
    std::vector<std::pair<AnsiString, AnsiString>> values;
    for (Integer k = 0; k < keys.Count(); ++k) {
      const AnsiString key = keys.Strings(k);
      values.emplace_back(key, Ini.ReadString(section, key, "\x01missing"));
      // The typed readers fall back to the default on anything they cannot read.
      Ini.ReadInteger(section, key, 0);
      Ini.ReadBool(section, key, false);
      Ini.ReadFloat(section, key, 0);
      Ini.ReadDateTime(section, key, 0);
    }
    contents.emplace_back(section, std::move(values));
  }
  return contents;
}

std::string Describe(const TIniContents& Contents)
{
  std::string text;
  for (const auto& [section, values] : Contents) {
    text += "[" + section + "]\n";
    for (const auto& [key, value] : values)
      text += key + "=<" + value + ">\n";
  }
  return text;
}

// A file name of this process under the temporary folder.
AnsiString TempName(const char* Suffix)
{
  const char* dir = getenv("TMPDIR");
  return AnsiString(dir && *dir ? dir : "/tmp") + "/qh-fuzz-ini-" + std::to_string(getpid()) +
         Suffix;
}

void FuzzIni(const std::string& Input)
{
  const AnsiString source = TempName(".ini");
  const AnsiString copy = TempName("-never-written.ini");
  {
    TFileStream file(source, fmCreate);
    file.WriteBuffer(Input.data(), static_cast<Integer>(Input.size()));
  }
  TIniContents contents;
  {
    TMemIniFile ini(source);
    contents = ReadContents(ini);
  }
  DeleteFile(source);

  // The writer's text goes through lines rather than the file: replacing a file waits for
  // the disk, which would slow the fuzzer down for nothing the reader sees.
  TMemIniFile written(copy);
  for (const auto& [section, values] : contents)
    for (const auto& [key, value] : values)
      written.WriteString(section, key, value);
  TStringList lines;
  written.GetStrings(&lines);
  TMemIniFile reread(copy);
  reread.SetStrings(&lines);
  const TIniContents again = ReadContents(reread);
  // Sections without keys are not written, so compare only those that have some.
  TIniContents expected;
  for (const auto& entry : contents)
    if (!entry.second.empty())
      expected.push_back(entry);
  FuzzCheck(Describe(again) == Describe(expected), "ini written back reads differently:\n" +
                                                       Describe(expected) + "---- read back:\n" +
                                                       Describe(again));
}

} // namespace

QH_FUZZ_TARGET("ini", FuzzIni);
