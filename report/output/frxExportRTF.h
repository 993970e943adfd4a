// The RTF export filter: the whole report as one RTF table laid out on the export matrix
// (frxExportMatrix.h). Every matrix row is a table row, every object a cell over its
// columns, merged down over its rows; pictures are metafile-wrapped bitmaps; each page end
// is a section break with the page's size and margins. The document declares code page
// 936, and every byte of a double-byte character is written as a \'hh escape, so readers
// decode the Chinese text whatever their locale. Creating one enters it in the export
// filter registry.
#pragma once

#include <memory>
#include <string>

#include "report/engine/frxClass.h"

class TfrxIEMatrix;
class TfrxIEMObject;
class TfrxIEMStyle;
class TfrxProgress;
class TStringList;

class TfrxRTFExport : public TfrxCustomExportFilter {
public:
  explicit TfrxRTFExport(TComponent* AOwner);
  ~TfrxRTFExport() override;

  AnsiString FilterCaption() override;
  Integer ShowOptionsDialog() override;
  // False without a file name.
  bool BeginExport() override;
  void WriteObject(TfrxComponent* Obj) override;
  void EndPage(TfrxComponent* Page, Integer Index) override;
  // Writes the file (replacing one that exists) and opens it when asked.
  void EndExport() override;

  bool ExportPageBreaks() const { return FExportPageBreaks; }
  void SetExportPageBreaks(bool Value) { FExportPageBreaks = Value; }
  bool ExportPictures() const { return FExportPictures; }
  void SetExportPictures(bool Value) { FExportPictures = Value; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  bool OpenAfterExport() const { return FOpenAfterExport; }
  void SetOpenAfterExport(bool Value) { FOpenAfterExport = Value; }
  bool ShowProgress() const { return FShowProgress; }
  void SetShowProgress(bool Value) { FShowProgress = Value; }
  bool Wysiwyg() const { return FWysiwyg; }
  void SetWysiwyg(bool Value) { FWysiwyg = Value; }

  // The document for the matrix as it stands (prepared); EndExport writes this.
  std::string Document();

private:
  Integer FontNumber(const AnsiString& Name);
  Integer ColorNumber(TColor Color);
  void PrepareTables();
  std::string BorderText(const TfrxIEMStyle* Style);
  std::string SectionSettings(Integer Page);
  std::string PictureCell(TfrxIEMObject* Obj);

  bool FExportPageBreaks = true;
  bool FExportPictures = true;
  AnsiString FFileName;
  bool FOpenAfterExport = false;
  bool FShowProgress = true;
  bool FWysiwyg = true;
  std::unique_ptr<TfrxIEMatrix> FMatrix;
  std::unique_ptr<TStringList> FFonts;
  std::unique_ptr<TStringList> FColors;
};

// Text for an RTF document: "\", "{" and "}" escaped, CR LF as \line, and bytes of
// double-byte characters (and any other byte above 127) as \'hh.
std::string frxRTFEscape(const AnsiString& Text);

void RegisterRTFExportClasses();
