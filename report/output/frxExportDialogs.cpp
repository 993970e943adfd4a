// The options dialogs of the export filters; see frxExportDialogs.h.
#include "report/output/frxExportDialogs.h"

#include "platform/rtl/TypInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxRes.h"
#include "report/output/frxFormsPrivate.h"

namespace {

using frxforms::Place;

} // namespace

void RegisterExportDialogClasses()
{
  TClassRegistration<TfrxPDFExportDialog, TForm>("TfrxPDFExportDialog");
  TClassRegistration<TfrxRTFExportDialog, TForm>("TfrxRTFExportDialog");
  TClassRegistration<TfrxXLSExportDialog, TForm>("TfrxXLSExportDialog");
  TClassRegistration<TfrxIMGExportDialog, TForm>("TfrxIMGExportDialog");
}

// ---------------------------------------------------------------------------------------
// TfrxExportDialog

TfrxExportDialog::TfrxExportDialog(TComponent* AOwner, const char* Name, const char* Caption,
                                   Integer Width, Integer Height, const char* OkName,
                                   const char* CancelName)
    : TForm(AOwner), FClientWidth(Width), FClientHeight(Height)
{
  BeginLoading();
  SetName(Name);
  SetCaption(Caption);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(Width);
  SetClientHeight(Height);
  Font()->SetName("Tahoma");
  Font()->SetHeight(-11);

  GroupPageRange =
      Place<TGroupBox>(this, this, "GroupPageRange", 4, 4, Width - 8, 105, " Page range  ");
  AllRB = Place<TRadioButton>(GroupPageRange, this, "AllRB", 12, 20, 153, 17, "All");
  AllRB->SetChecked(true);
  CurPageRB =
      Place<TRadioButton>(GroupPageRange, this, "CurPageRB", 12, 40, 153, 17, "Current page");
  PageNumbersRB =
      Place<TRadioButton>(GroupPageRange, this, "PageNumbersRB", 12, 60, 77, 17, "Pages:");
  PageNumbersE = Place<TEdit>(GroupPageRange, this, "PageNumbersE", 92, 58, Width - 112, 21);
  DescrL = Place<TLabel>(GroupPageRange, this, "DescrL", 12, 80, Width - 32, 26,
                         "Enter page numbers and/or page ranges, separated by commas. For "
                         "example, 1,3,5-12");
  DescrL->SetWordWrap(true);
  GroupQuality = Place<TGroupBox>(this, this, "GroupQuality", 4, 112, Width - 8, Height - 112 - 60,
                                  " Export settings ");
  OkB = Place<TButton>(this, this, OkName, Width - 166, Height - 31, 75, 25, "OK");
  OkB->SetDefault(true);
  OkB->SetModalResult(mrOk);
  CancelB = Place<TButton>(this, this, CancelName, Width - 83, Height - 31, 75, 25, "Cancel");
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->SetName("SaveDialog1");
}

TCheckBox* TfrxExportDialog::Check(const char* Name, const char* Caption, Integer Top, bool InGroup)
{
  if (InGroup)
    return Place<TCheckBox>(GroupQuality, this, Name, 12, Top, GroupQuality->Width() - 24, 17,
                            Caption);
  return Place<TCheckBox>(this, this, Name, 16, Top, ClientWidth() - 32, 17, Caption);
}

void TfrxExportDialog::Localize()
{
  EndLoading();
  // The frame is known once the window exists; the client area keeps its size then.
  Handle();
  SetClientWidth(FClientWidth);
  SetClientHeight(FClientHeight);
  ReportResources()->LocalizeForm(this);
}

Integer TfrxExportDialog::Execute(TfrxCustomExportFilter* Filter, AnsiString& FileName,
                                  const std::function<void()>& Apply)
{
  const Integer result = ShowModal();
  if (result != mrOk)
    return result;
  Filter->SetPageNumbers("");
  Filter->SetCurPage(false);
  if (CurPageRB->Checked())
    Filter->SetCurPage(true);
  else if (PageNumbersRB->Checked())
    Filter->SetPageNumbers(PageNumbersE->Text());
  if (Apply)
    Apply();
  SaveDialog1->SetFileName(FileName);
  if (!SaveDialog1->Execute())
    return mrCancel;
  FileName = SaveDialog1->FileName();
  return mrOk;
}

// ---------------------------------------------------------------------------------------
// The dialogs

TfrxPDFExportDialog::TfrxPDFExportDialog(TComponent* AOwner)
    : TfrxExportDialog(AOwner, "frxPDFExportDialog", "Export to PDF", 278, 262)
{
  CompressedCB = Check("CompressedCB", "Compressed", 20);
  EmbeddedCB = Check("EmbeddedCB", "Embedded fonts", 40);
  OpenCB = Check("OpenCB", "Open after export", 208, false);
  Localize();
}

TfrxRTFExportDialog::TfrxRTFExportDialog(TComponent* AOwner)
    : TfrxExportDialog(AOwner, "frxRTFExportDialog", "Export to RTF", 277, 261)
{
  PicturesCB = Check("PicturesCB", "Pictures", 20);
  PageBreaksCB = Check("PageBreaksCB", "Page breaks", 40);
  WCB = Check("WCB", "WYSIWYG", 60);
  OpenCB = Check("OpenCB", "Open after export", 208, false);
  Localize();
}

TfrxXLSExportDialog::TfrxXLSExportDialog(TComponent* AOwner)
    : TfrxExportDialog(AOwner, "frxXLSExportDialog", "Export to Excel", 277, 263)
{
  GroupQuality->SetHeight(GroupQuality->Height() + 8);
  StylesCB = Check("StylesCB", "Styles", 18);
  PicturesCB = Check("PicturesCB", "Pictures", 36);
  MergeCB = Check("MergeCB", "Merge cells", 54);
  WCB = Check("WCB", "WYSIWYG", 72);
  OpenExcelCB = Check("OpenExcelCB", "Open Excel after export", 212, false);
  SetActiveControl(OkB);
  Localize();
}

TfrxIMGExportDialog::TfrxIMGExportDialog(TComponent* AOwner)
    : TfrxExportDialog(AOwner, "frxIMGExportDialog", "Export to Images", 277, 245, "OK", "Cancel")
{
  GroupQuality->SetName("GroupBox1");
  GroupQuality->SetCaption("Image settings");
  Mono = Check("Mono", "Monochrome", 20);
  CropPage = Check("CropPage", "Crop pages", 40);
  Label2 = Place<TLabel>(GroupQuality, this, "Label2", 12, 62, 90, 13, "JPEG Quality");
  Quality = Place<TEdit>(GroupQuality, this, "Quality", 110, 58, 50, 21);
  Quality->SetText("100");
  SetActiveControl(OkB);
  Localize();
}
