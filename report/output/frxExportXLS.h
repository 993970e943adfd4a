// The spreadsheet export filter: all objects of the exported pages laid on the export
// matrix (frxExportMatrix.h) and driven into a workbook through the "Excel.Application"
// automation object: matrix rows and columns become worksheet rows and columns of the same
// size, distinct looks become styles, each text one (optionally merged) block of cells,
// pictures are pasted through the clipboard, page ends become manual page breaks, and the
// workbook is saved under the chosen name (an .xlsx workbook here). Creating one enters it
// in the export filter registry.
#pragma once

#include <memory>

#include "platform/rtl/Variants.h"
#include "report/engine/frxClass.h"

class TfrxIEMatrix;
class TfrxProgress;

// The automation calls of the export, by their member names.
class TfrxExcel {
public:
  // Starts the server hidden, with events, auto-complete, animations, screen updates,
  // interaction and alerts off, and opens a workbook with one sheet; any failure leaves
  // Opened false.
  void OpenExcel();
  void SetVisible(bool On);
  void SetRange(Integer Column, Integer Row, Integer Rows, Integer Columns);
  void SetColumnWidth(Integer N, Extended Width);
  void SetRowHeight(Integer N, Extended Height); // at most 409 points
  void MergeRange();
  void SetBorders(TfrxFrameTypes Sides);
  // Margins in millimetres (converted to points); orientation 1 is landscape.
  void SetPageSetup(Integer Orientation, Extended Left, Extended Top, Extended Right,
                    Extended Bottom);

  static AnsiString ColumnLetters(Integer N); // 1 A, 27 AA, 702 ZZ
  static AnsiString CellName(Integer Column, Integer Row);

  Variant Excel, WorkBook, WorkSheet, Range;
  bool Opened = false;
};

class TfrxXLSExport : public TfrxCustomExportFilter {
public:
  explicit TfrxXLSExport(TComponent* AOwner);
  ~TfrxXLSExport() override;

  AnsiString FilterCaption() override;
  Integer ShowOptionsDialog() override;
  // False without a file name; starts the automation server.
  bool BeginExport() override;
  void BeginPage(TfrxComponent* Page, Integer Index) override;
  void WriteObject(TfrxComponent* Obj) override;
  void EndPage(TfrxComponent* Page, Integer Index) override;
  // Fills and saves the workbook. A failed save raises; an existing file then stays.
  void EndExport() override;

  bool ExportStyles() const { return FExportStyles; }
  void SetExportStyles(bool Value) { FExportStyles = Value; }
  bool ExportPictures() const { return FExportPictures; }
  void SetExportPictures(bool Value) { FExportPictures = Value; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  bool MergeCells() const { return FMergeCells; }
  void SetMergeCells(bool Value) { FMergeCells = Value; }
  bool OpenExcelAfterExport() const { return FOpenExcelAfterExport; }
  void SetOpenExcelAfterExport(bool Value) { FOpenExcelAfterExport = Value; }
  bool ShowProgress() const { return FShowProgress; }
  void SetShowProgress(bool Value) { FShowProgress = Value; }
  bool Wysiwyg() const { return FWysiwyg; }
  void SetWysiwyg(bool Value) { FWysiwyg = Value; }

private:
  void ExportWorkbook(TfrxProgress* Progress);

  bool FExportStyles = true;
  bool FExportPictures = true;
  AnsiString FFileName;
  bool FMergeCells = true;
  bool FOpenExcelAfterExport = false;
  bool FShowProgress = true;
  bool FWysiwyg = true;
  std::unique_ptr<TfrxIEMatrix> FMatrix;
  std::unique_ptr<TfrxExcel> FExcel;
  bool FFirstPage = true;
  Extended FLeftMargin = 0, FTopMargin = 0, FRightMargin = 0, FBottomMargin = 0;
  Integer FOrientation = 0;
};

void RegisterXLSExportClasses();
