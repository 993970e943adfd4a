// The program's one gateway to the report library (TRep): a report with the program's user
// variables and user function, the designer settings whose load and save hooks keep user
// reports in the report table, the four export filters of the preview, and the preview of
// waybills (WaybillReport.h builds their report text) and of stored reports. qhProj.h holds
// the wrapper with the company and operator values (TProjRep) and the report catalogue's
// record set.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

class TDataSet;
class TStream;
class TStringList;
class TfrxBarCodeObject;
class TfrxDBDataset;
class TfrxDesigner;
class TfrxJPEGExport;
class TfrxPDFExport;
class TfrxRTFExport;
class TfrxReport;
class TfrxUserDataSet;
class TfrxXLSExport;

class TRep : public TObject {
public:
  // Builds the report (with the user function Show1), its designer settings, the export
  // filters, the user dataset "u" and the barcode component.
  TRep();
  // Frees the added datasets (last first), then the designer settings, the report, the
  // filters, "u", the barcode component and the text list.
  ~TRep() override;

  // Loads the definition stored in row Id of the report table and shows the preview.
  virtual void Preview(Integer Id);
  // Loads row Id and opens the report designer on it; returns when the designer closes.
  // Does nothing but load while no designer is linked into the program.
  virtual void Design(Integer Id);

  // A report variable: an empty name is ignored, an empty value is stored as " ".
  void AddVariable(const AnsiString& Name, const WideString& Value);
  // AddDataSet for each dataset, named "d0", "d1", ...
  void AddDataSets(const std::vector<TDataSet*>& DataSets);
  // A report dataset named Name over DataSet, in the report's dataset list; freed with the
  // wrapper.
  void AddDataSet(const AnsiString& Name, TDataSet* DataSet);

  // Clears the report and loads the definition of row Id (an empty or missing definition
  // leaves it empty); the report's Tag names the row a later save writes to.
  void LoadFromTable(Integer Id);
  // Loads the definition in Stream (read from its start); with a picture stream, a JPEG
  // picture becomes the first page's background. Then shows the preview.
  void PreviewStream(TStream* Stream, TStream* Picture);

  // A new row of Group titled Title, with the next free Id (the highest + 1; 1 for an empty
  // table) and no definition. Statement errors are raised.
  static void AddReport(const AnsiString& Title, Integer GroupId);
  static void DeleteReport(Integer Id);
  static void RenameReport(Integer Id, const AnsiString& Title);
  // Writes Report's definition into the row its Tag names (updated, or inserted when the
  // row is missing).
  static void StoreReportToTable(TfrxReport* Report);

  // The designer's hooks. Loading opens a ".va3" file chosen in the open dialog, keeping
  // the report's Tag; true when a file was chosen. Saving stores the definition in the
  // table, or with SaveAs in a file chosen in the save dialog; true only when it was
  // stored: a cancelled dialog or a failed write (shown) gives false, so the designer keeps
  // the edits as unsaved.
  bool LoadReport(TfrxReport* Report);
  bool SaveReport(TfrxReport* Report, bool SaveAs);

  // The value of Show1(FieldName, L1): the wrapper's list item named FieldName followed by
  // L1 in decimal, as an integer; 1 when the list has no such item.
  Integer Show1Value(const AnsiString& FieldName, Integer L1);

  TfrxReport* Report() const { return FReport; }
  TfrxDesigner* Designer() const { return FDesigner; }
  TfrxUserDataSet* UserDataSet() const { return FUserDataSet.get(); }
  TfrxXLSExport* XLSExport() const { return FXLSExport.get(); }
  TfrxJPEGExport* JPEGExport() const { return FJPEGExport.get(); }
  TfrxRTFExport* RTFExport() const { return FRTFExport.get(); }
  TfrxPDFExport* PDFExport() const { return FPDFExport.get(); }
  // The name=value list Show1 consults (empty in this program).
  TStringList* Show1List() const { return FShow1List.get(); }

private:
  // Report value event: the stored text of a user variable; other names are left alone.
  void ReportGetValue(const AnsiString& VarName, Variant& Value);
  // Value event of "u": the stored text of a known name, else the name itself.
  void UserDataSetGetValue(const Variant& VarName, Variant& Value);
  Variant ReportUserFunction(const AnsiString& MethodName, Variant& Params);
  // The index of Name in the user variables (ignoring case), -1 when none.
  Integer VariableIndex(const AnsiString& Name) const;
  // What every loaded definition gets: no edit button in the preview, and a modal preview,
  // since the wrapper (and the report) goes once ShowReport returns.
  void PrepareLoadedReport();

  TfrxReport* FReport;     // owned
  TfrxDesigner* FDesigner; // owned by the report
  std::unique_ptr<TfrxXLSExport> FXLSExport;
  std::unique_ptr<TfrxJPEGExport> FJPEGExport;
  std::unique_ptr<TfrxRTFExport> FRTFExport;
  std::unique_ptr<TfrxPDFExport> FPDFExport;
  std::unique_ptr<TfrxUserDataSet> FUserDataSet;
  std::unique_ptr<TfrxBarCodeObject> FBarCodeObject;
  std::vector<WideString> FValues; // parallel to the fields of "u"
  std::vector<TfrxDBDataset*> FDataSets;
  std::unique_ptr<TStringList> FShow1List;
};

// Unit start-up: the designer window's "预览" previews waybills through a TProjRep, and
// its "设计" opens the report catalogue.
void qhRepInitialization();
