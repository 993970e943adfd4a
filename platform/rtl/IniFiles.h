// Ini files: TCustomIniFile and its forms over a file (TIniFile, write-through) and over
// lines in memory (TMemIniFile). The settings store standing for the registry is in
// Registry.h; see Classes.h for the bigger picture.
#pragma once

#include <memory>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class TStrings;
class TIniDocument;

QH_DECLARE_EXCEPTION(EIniFileException, Exception);

// Reading never raises: a missing file, section or key, or a value that is not a valid
// number, Boolean or date, gives the caller's default.
class TCustomIniFile : public TObject {
public:
  explicit TCustomIniFile(const AnsiString& FileName) : FFileName(FileName) {}

  const AnsiString& FileName() const { return FFileName; }

  virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                                const AnsiString& Default) = 0;
  virtual void WriteString(const AnsiString& Section, const AnsiString& Ident,
                           const AnsiString& Value) = 0;
  // Decimal, or hexadecimal written "$1F" or "0x1F".
  virtual Integer ReadInteger(const AnsiString& Section, const AnsiString& Ident, Integer Default);
  virtual void WriteInteger(const AnsiString& Section, const AnsiString& Ident, Integer Value);
  // An integer: 0 is false, anything else true.
  virtual bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
  // Writes "1" or "0".
  virtual void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  virtual double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default);
  virtual void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);
  // Dates and times in the current format settings' short forms.
  virtual TDateTime ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  virtual TDateTime ReadDateTime(const AnsiString& Section, const AnsiString& Ident,
                                 TDateTime Default);
  virtual TDateTime ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  virtual void WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  virtual void WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  virtual void WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);

  // Key names of a section / section names / name=value items of a section, replacing
  // what Strings held.
  virtual void ReadSection(const AnsiString& Section, TStrings* Strings) = 0;
  virtual void ReadSections(TStrings* Strings) = 0;
  virtual void ReadSectionValues(const AnsiString& Section, TStrings* Strings) = 0;
  virtual void EraseSection(const AnsiString& Section) = 0;
  virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
  virtual void UpdateFile() = 0;
  // Whether the section holds at least one key.
  virtual bool SectionExists(const AnsiString& Section);
  virtual bool ValueExists(const AnsiString& Section, const AnsiString& Ident);

protected:
  void SetFileName(const AnsiString& Value) { FFileName = Value; }

private:
  AnsiString FFileName;
};

// An ini file read and written through on every call, so several objects (and programs)
// may hold the same file open. Reading follows the platform's profile rules: sections and
// keys found ignoring case, the value is the rest of the line with blanks trimmed and one
// surrounding pair of quotes removed; ';' inside a value is data; CR LF or LF line ends;
// bytes are never converted. Writing rewrites only the lines it changes (new keys at the
// end of their section, new sections at the end of the file, CR LF), replacing the file
// atomically; a failure raises EIniFileException "Unable to write to <file>".
class TIniFile : public TCustomIniFile {
public:
  explicit TIniFile(const AnsiString& FileName) : TCustomIniFile(FileName) {}

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                        const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident,
                   const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  // Every write is on disk already.
  void UpdateFile() override {}

private:
  TIniDocument Load() const;
  void Save(const TIniDocument& Doc) const;
};

// An ini text held in memory, read from the file at creation (when it exists) or from
// lines, and written to the file only by UpdateFile. Same reading and writing rules as
// TIniFile.
class TMemIniFile : public TCustomIniFile {
public:
  explicit TMemIniFile(const AnsiString& FileName);
  ~TMemIniFile() override;

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                        const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident,
                   const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  // Writes the text to FileName (atomically); raises EIniFileException on failure.
  void UpdateFile() override;

  void Clear();
  // The text as lines / replaces the text with lines.
  void GetStrings(TStrings* List) const;
  void SetStrings(const TStrings* List);
  // Takes another file name; with Reload, the text is read from it.
  void Rename(const AnsiString& FileName, bool Reload);

private:
  std::unique_ptr<TIniDocument> FDoc;
};
