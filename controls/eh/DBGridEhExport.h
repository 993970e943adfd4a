// The grid's export and import formats. An exporter walks the records the grid's selection
// covers (or all of them) in the order of the export columns and writes a title row, one
// row per record and the footer rows into a stream: plain text (TAB and CR LF), CSV (";",
// every text quoted) and the binary "VCLDBIF" interchange format. An importer reads rows
// from a stream (text or "VCLDBIF") and stores their values through the grid's columns,
// overwriting the selected records or inserting new ones. The RTF exporter and the
// clipboard commands build on these. DBGridEhExport.cpp holds the exporters,
// DBGridEhExportImport.cpp the importers.
//
// The "VCLDBIF" stream (all integers little-endian, no padding):
//
//   offset  size  content
//   0       7     "VCLDBIF"
//   7       1     version, written as 1 (readers take any value)
//   8       4     column count n, signed
//   12      ...   n times: visibility byte (1 visible, 0 not), name bytes, one 0 byte (the
//                 writer writes an empty name)
//   ...     ...   one tagged value per column per record, records and columns in export order
//   last    1     tag 0, end of data
//
//   tag  payload                       written for
//   0    -                             the end of data
//   1    -                             no field; field types not listed here (unassigned)
//   2    -                             a null value
//   3    int32                         smallint, integer, word, auto-increment
//   4    IEEE double                   float, currency, BCD, FMT BCD, date, time, date-time,
//                                      time stamp (dates as days since 1899-12-30)
//   5    int32 count + count bytes     string, fixed char, memo, boolean, large integer, GUID,
//                                      Oracle CLOB: the field's text value
//   6    int32 count + count bytes     bytes, var bytes, BLOB, graphic, formatted memo, OLE,
//                                      typed binary, wide string, Oracle BLOB: the value as text
//   any other tag reads as unassigned, without payload.
//
// Readers treat the stream as outside input: the whole stream is checked (head, counts
// against the bytes present, every payload, the end tag) before anything is stored, so a
// damaged stream raises "TDBGridEhImportAsVCLDBIF.ReadPrefix: Invalid VCLDBIF format" (the
// text reader: "TDBGridEhImportAsText.CheckState: Invalid text format") and changes nothing.
#pragma once

#include <memory>
#include <vector>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"

// The separator the CSV exporter starts with.
extern char DBGridEhCSVSeparator;

class TDBGridEhExport : public TObject {
public:
  TDBGridEhExport();
  ~TDBGridEhExport() override;

  TCustomDBGridEh* DBGridEh() const { return FDBGridEh; }
  void SetDBGridEh(TCustomDBGridEh* Value) { FDBGridEh = Value; }
  TColumnsEhList* ExpCols() const { return FExpCols; }
  TStream* Stream() const { return FStream; }

  // Writes what the selection covers (all: every record with the visible columns).
  virtual void Execute(TStream* AStream, bool All);
  // Creates (or replaces) the file and writes into it.
  virtual void ExecuteToFile(const AnsiString& FileName, bool All);

protected:
  virtual void EmitPrefix() {}
  virtual void EmitSuffix() {}
  virtual void EmitTitle(TColumnsEhList* Columns) {}
  virtual void EmitRecord(TColumnsEhList* Columns);
  virtual void EmitDataCell(TColumnEh* Column, TColCellParamsEh* Params) {}
  virtual void EmitFooter(TColumnsEhList* Columns, Integer FooterNo);
  virtual void EmitFooterCell(Integer Position, Integer FooterNo, const AnsiString& Text,
                              TAlignment Alignment, TColor Background, TFont* Font,
                              TColumnEh* Column)
  {
  }
  void AccumulateFooters();
  AnsiString FooterSumText(Integer FooterNo, Integer Position);
  void WriteBytes(const AnsiString& Bytes);
  TColCellParamsEh* CellParams() const { return FColCellParams.get(); }

private:
  void ExportSelection(TGridSelectionKindEh Kind);
  void StartRows(TColumnsEhList* Columns);
  TField* FooterField(Integer FooterNo, Integer Position);

  std::unique_ptr<TColCellParamsEh> FColCellParams;
  TCustomDBGridEh* FDBGridEh = nullptr;
  TColumnsEhList* FExpCols = nullptr;
  TColumnsEhList FOwnCols; // the export columns when they are not a grid list
  TStream* FStream = nullptr;
  std::vector<Currency> FFooterValues;
};

class TDBGridEhExportAsText : public TDBGridEhExport {
public:
  void Execute(TStream* AStream, bool All) override;

protected:
  virtual void SeparateRecord();
  virtual void SeparateCell();
  void EmitTitle(TColumnsEhList* Columns) override;
  void EmitRecord(TColumnsEhList* Columns) override;
  void EmitFooter(TColumnsEhList* Columns, Integer FooterNo) override;
  void EmitDataCell(TColumnEh* Column, TColCellParamsEh* Params) override;
  void EmitFooterCell(Integer Position, Integer FooterNo, const AnsiString& Text,
                      TAlignment Alignment, TColor Background, TFont* Font,
                      TColumnEh* Column) override;
  virtual AnsiString CellOut(const AnsiString& Text) { return Text; }
  virtual char CellSeparator() const { return '\t'; }

  bool FFirstRec = true;
  bool FFirstCell = true;
};

class TDBGridEhExportAsCSV : public TDBGridEhExportAsText {
public:
  TDBGridEhExportAsCSV();
  char Separator() const { return FSeparator; }
  void SetSeparator(char Value) { FSeparator = Value; }

protected:
  AnsiString CellOut(const AnsiString& Text) override;
  char CellSeparator() const override { return FSeparator; }

private:
  char FSeparator;
};

class TDBGridEhExportAsVCLDBIF : public TDBGridEhExport {
protected:
  void EmitPrefix() override;
  void EmitSuffix() override;
  void EmitDataCell(TColumnEh* Column, TColCellParamsEh* Params) override;
};

// One RTF table: a title row, one row per record, one per footer row, with the grid's
// fonts, colours, alignments and column widths. The header names code page 936 and the
// fonts' GB2312 character set, and every byte of a double-byte character goes out as a
// \'hh escape, so Chinese text and font names read back intact; "\", "{" and "}" are
// escaped as single-byte characters only. Titles are written on one level.
class TDBGridEhExportAsRTF : public TDBGridEhExport {
public:
  void Execute(TStream* AStream, bool All) override;

protected:
  void EmitSuffix() override;
  void EmitTitle(TColumnsEhList* Columns) override;
  void EmitRecord(TColumnsEhList* Columns) override;
  void EmitDataCell(TColumnEh* Column, TColCellParamsEh* Params) override;
  void EmitFooter(TColumnsEhList* Columns, Integer FooterNo) override;
  void EmitFooterCell(Integer Position, Integer FooterNo, const AnsiString& Text,
                      TAlignment Alignment, TColor Background, TFont* Font,
                      TColumnEh* Column) override;

  void Out(const AnsiString& Text) { WriteBytes(Text); }
  void OutLine(const AnsiString& Text) { WriteBytes(Text + "\r\n"); }
  void OutText(TFont* Font, const AnsiString& Text, TColor Background);
  static AnsiString AlignmentWord(TAlignment Alignment);
  Integer FontNumber(const AnsiString& Name);
  Integer ColorNumber(TColor Color);
  void OutCellBorders(bool Left, bool Top, bool Bottom, bool Right);
  TColor DataCellShade(TColumnsEhList* Columns, Integer Position);
  TColor FooterCellShade(TColumnsEhList* Columns, Integer Position, Integer FooterNo);

  // ---- Multi-level titles ----
  // One entry per export column while the levels are built: the height accumulated from the
  // leaf up to the current node, and that node.
  struct TTitleExpRec {
    Integer Height = 0;
    THeadTreeNode* Node = nullptr;
  };
  using TTitleExpArr = std::vector<TTitleExpRec>;
  // The cells a title node covers: columns FirstCol..LastCol, levels BottomLevel..TopLevel.
  struct TTitleSpan {
    Integer FirstCol, LastCol, BottomLevel, TopLevel;
  };
  // Fills the title levels (level 0 holds the leaves); false when a column has no leaf.
  bool BuildTitleMatrix(TColumnsEhList* Columns);
  // The span of the cell's node; clears the other cells the node covers.
  TTitleSpan SpanOfTitleCell(Integer Level, Integer Col);
  void MarkInnerBorders(const TTitleSpan& Span);
  // Bits of the borders written for a title cell: 1 left, 2 top, 4 bottom, 8 right.
  unsigned CellBorderFlags(Integer Level, Integer Col) const;
  void EmitMultiTitle(TColumnsEhList* Columns);

private:
  static constexpr unsigned AllBorders = 15;
  // The row's cell definitions: borders, shade and right edge of each column.
  template <class Shade, class Borders>
  void OutRowDefinitions(TColumnsEhList* Columns, Shade ShadeOf, Borders BordersOf);
  template <class Shade> void OutRowDefinitions(TColumnsEhList* Columns, Shade ShadeOf)
  {
    OutRowDefinitions(Columns, ShadeOf, [](Integer) { return AllBorders; });
  }
  void OutCellContent(TAlignment Alignment, TFont* Font, const AnsiString& Text, TColor Background);
  AnsiString Spacing() const;

  // levels[q][c]: the node of column c at level q, null once a span above has covered it.
  std::vector<std::vector<THeadTreeNode*>> FTitleLevels;
  // The inner-border bits (as CellBorderFlags) of every title cell.
  std::vector<std::vector<unsigned>> FInnerBorders;

  std::unique_ptr<TStringList> FColorTable;
  std::unique_ptr<TStringList> FFontTable;
};

// Escapes a text for RTF: "\", "{" and "}" get a backslash, every byte of 0x80 and above
// (both bytes of a double-byte character) becomes \'hh, and a line end (CR LF, CR or LF)
// becomes \line, so the lines of a memo text stay apart.
AnsiString RtfEscapedText(const AnsiString& Text);

// ---- Importers ----

class TDBGridEhImport : public TObject {
public:
  TCustomDBGridEh* DBGridEh() const { return FDBGridEh; }
  void SetDBGridEh(TCustomDBGridEh* Value) { FDBGridEh = Value; }
  bool Eos() const { return FEos; }

  // Stores the rows of the stream (all: from the first record and the first visible
  // column). The stream is read and checked whole before anything is stored.
  virtual void Execute(TStream* AStream, bool All);
  virtual void ExecuteFromFile(const AnsiString& FileName, bool All);

protected:
  // Reads the rest of the stream and checks it; raises the format's error when it is
  // damaged.
  virtual void LoadAndCheck(const AnsiString& Bytes) = 0;
  virtual void ReadPrefix() {}
  virtual void FinishRead() {}
  virtual void ReadRow(TColumnsEhList* Columns);
  virtual void ReadCell(TColumnEh* Column) {}
  // The field a column's value goes to: its own field, or the key field of a lookup field
  // (null when there is none).
  TField* TargetField(TColumnEh* Column);
  // Puts the target's dataset into edit; false when it cannot be modified.
  bool StartStore(TField* Target);
  // Runs Store; a failure asks "Error during insert value: ... Ignore error?" (Yes skips,
  // No ends the import silently, All skips this and later failures).
  template <class F> void Guarded(F Store);

  bool FEos = false;
  bool FIgnoreAll = false;

private:
  void InsertRows(bool AppendMode);
  void VisibleColumnsBetween(TGridSelectionKindEh Kind);
  void ImportSelection(TGridSelectionKindEh Kind, bool Inserting, const AnsiString& Start);

  TCustomDBGridEh* FDBGridEh = nullptr;
  TColumnsEhList* FImpCols = nullptr;
  TColumnsEhList FOwnCols;
};

class TDBGridEhImportAsText : public TDBGridEhImport {
public:
  void Execute(TStream* AStream, bool All) override;

protected:
  void LoadAndCheck(const AnsiString& Bytes) override;
  void ReadPrefix() override;
  void ReadRow(TColumnsEhList* Columns) override;
  void ReadCell(TColumnEh* Column) override;

private:
  // Reads one byte: 0 a character, 1 a TAB, 2 a line end (CR LF), 3 the end of the stream.
  Integer CheckState();
  void ReadCellText();

  AnsiString FBytes;
  size_t FPos = 0;
  char FLastChar = 0;
  Integer FLastState = 3;
  AnsiString FCurText;
};

class TDBGridEhImportAsVCLDBIF : public TDBGridEhImport {
public:
  void Execute(TStream* AStream, bool All) override;
  // The names and visibility bytes of the stream's columns, as read.
  const std::vector<std::pair<AnsiString, Byte>>& FieldNames() const { return FFieldNames; }

protected:
  void LoadAndCheck(const AnsiString& Bytes) override;
  void ReadPrefix() override;
  void ReadRow(TColumnsEhList* Columns) override;
  void ReadCell(TColumnEh* Column) override;

private:
  void ReadNextValue();

  std::vector<std::pair<AnsiString, Byte>> FFieldNames;
  std::vector<Variant> FValues; // every value of the stream, checked
  size_t FNext = 0;
  Variant FCurValue;
};

// Class references of the exporters and importers.
using TDBGridEhExportClass = TDBGridEhExport* (*)();
using TDBGridEhImportClass = TDBGridEhImport* (*)();
template <class T> TDBGridEhExportClass ExportClassOf()
{
  return []() -> TDBGridEhExport* { return new T(); };
}
template <class T> TDBGridEhImportClass ImportClassOf()
{
  return []() -> TDBGridEhImport* { return new T(); };
}

// Makes an exporter of the class for the grid, runs it on the stream and frees it.
void RunGridExport(TDBGridEhExportClass ExportClass, TCustomDBGridEh* Grid, TStream* Stream,
                   bool All);
void RunGridImport(TDBGridEhImportClass ImportClass, TCustomDBGridEh* Grid, TStream* Stream,
                   bool All);
