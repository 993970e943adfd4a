// Private to the runtime: the line model behind the ini files (IniFiles.h) and the settings
// store (Registry.h). Not for use outside platform/rtl.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/Types.h"

// An ini text kept as its lines, so that a change rewrites only the lines it touches and
// every other byte stays as it was.
//
// Reading rules: a line whose first non-blank byte is '[' and that has a later ']' is a
// section header (name = text between '[' and the last ']', trimmed); a line holding '='
// is a key (name = text before the first '=', value = text after it, both trimmed); any
// other line (blank, ';' comment, stray text) is kept and ignored. Sections and keys are
// found ignoring case (ASCII letters of single-byte characters); the first section and
// the first key of a name count. A line ends at LF, a CR before the LF belongs to the
// line end; every other byte is data.
class TIniDocument {
public:
  void SetBytes(const std::string& bytes);
  std::string Bytes() const;
  // One line per item, without line ends (SetLines gives each line CR LF).
  void SetLines(const std::vector<AnsiString>& lines);
  std::vector<AnsiString> Lines() const;
  void Clear();

  // The trimmed value text as written (quotes not removed); false when the key is absent.
  bool FindRaw(const AnsiString& section, const AnsiString& key, AnsiString& raw) const;
  bool SectionExists(const AnsiString& section) const;
  // Section names in file order, each name once (the first spelling).
  std::vector<AnsiString> SectionNames() const;
  // Key names of the section in file order, each once (the first spelling).
  std::vector<AnsiString> KeyNames(const AnsiString& section) const;

  // Writes key=raw: replaces the key's line, or adds a line after the last non-blank line
  // of the section, or adds the section at the end. Returns false when nothing changed.
  bool SetRaw(const AnsiString& section, const AnsiString& key, const AnsiString& raw);
  // Adds an empty section at the end unless it exists.
  bool AddSection(const AnsiString& section);
  // Removes every line of every section of that name.
  bool EraseSection(const AnsiString& section);
  // Removes every line of the key in the section.
  bool DeleteKey(const AnsiString& section, const AnsiString& key);

  // A stored value's text: one pair of surrounding '"' or '\'' removed.
  static AnsiString Unquote(const AnsiString& raw);
  // How a value is written so that it reads back unchanged: inside "…" when it begins or
  // ends with a blank or control byte, or begins and ends with the same quote character.
  static AnsiString Quote(const AnsiString& value);

private:
  struct TLine {
    AnsiString Text;
    AnsiString Ending; // "\r\n", "\n" or "" (a last line without a line end)
  };
  enum TLineKind { lkOther, lkSection, lkKey };
  static TLineKind Parse(const AnsiString& text, AnsiString& name, AnsiString& value);
  Integer FindSection(const AnsiString& section) const;
  Integer SectionEnd(Integer header) const;
  Integer FindKey(Integer header, const AnsiString& key) const;
  void InsertLine(Integer at, const AnsiString& text);

  std::vector<TLine> FLines;
};

// The bytes of a file; false (and "") when it does not exist or cannot be read.
bool ReadFileBytes(const AnsiString& fileName, std::string& bytes);
// Replaces a file atomically: writes a temporary file beside it, then renames it over the
// old one (whose permissions it keeps). False when that fails; the old file is untouched.
bool WriteFileAtomically(const AnsiString& fileName, const std::string& bytes);
