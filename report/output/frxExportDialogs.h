// The options dialogs of the export filters: the page range (all, the current page, or
// page numbers), each filter's settings, and then the save dialog that names the file.
// Their captions come from the localized form texts.
#pragma once

#include <functional>

#include "platform/ui/Forms.h"

class TLabel;
class TEdit;
class TGroupBox;
class TCheckBox;
class TRadioButton;
class TButton;
class TSaveDialog;
class TfrxCustomExportFilter;

// What the four dialogs share: the page range group, the settings group, OK and Cancel.
class TfrxExportDialog : public TForm {
public:
  TGroupBox* GroupPageRange;
  TRadioButton* AllRB;
  TRadioButton* CurPageRB;
  TRadioButton* PageNumbersRB;
  TEdit* PageNumbersE;
  TLabel* DescrL;
  TGroupBox* GroupQuality;
  TButton* OkB;
  TButton* CancelB;
  TSaveDialog* SaveDialog1;

  // Shows the dialog. On OK the page range goes to the filter, Apply copies the dialog's
  // settings back, and the save dialog runs: its file name goes to FileName, or the result
  // becomes Cancel. Returns the result.
  Integer Execute(TfrxCustomExportFilter* Filter, AnsiString& FileName,
                  const std::function<void()>& Apply);

protected:
  TfrxExportDialog(TComponent* AOwner, const char* Name, const char* Caption, Integer Width,
                   Integer Height, const char* OkName = "OkB", const char* CancelName = "CancelB");
  // Adds a check box to the settings group (or, with Group null, below it).
  TCheckBox* Check(const char* Name, const char* Caption, Integer Top, bool InGroup = true);
  // Applies the localized texts; the constructors of the dialogs call it last.
  void Localize();

private:
  Integer FClientWidth, FClientHeight;
};

class TfrxPDFExportDialog : public TfrxExportDialog {
public:
  explicit TfrxPDFExportDialog(TComponent* AOwner);
  TCheckBox* CompressedCB;
  TCheckBox* EmbeddedCB;
  TCheckBox* OpenCB;
};

class TfrxRTFExportDialog : public TfrxExportDialog {
public:
  explicit TfrxRTFExportDialog(TComponent* AOwner);
  TCheckBox* PicturesCB;
  TCheckBox* PageBreaksCB;
  TCheckBox* WCB;
  TCheckBox* OpenCB;
};

class TfrxXLSExportDialog : public TfrxExportDialog {
public:
  explicit TfrxXLSExportDialog(TComponent* AOwner);
  TCheckBox* StylesCB;
  TCheckBox* PicturesCB;
  TCheckBox* MergeCB;
  TCheckBox* WCB;
  TCheckBox* OpenExcelCB;
};

class TfrxIMGExportDialog : public TfrxExportDialog {
public:
  explicit TfrxIMGExportDialog(TComponent* AOwner);
  TCheckBox* Mono;
  TCheckBox* CropPage;
  TLabel* Label2;
  TEdit* Quality;
};

void RegisterExportDialogClasses();
