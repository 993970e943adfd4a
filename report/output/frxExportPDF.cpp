// The PDF export filter; see frxExportPDF.h.
#include "report/output/frxExportPDF.h"

#include "platform/rtl/TypInfo.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxRes.h"
#include "report/output/frxExportDialogs.h"
#include "report/output/frxExportUtils.h"
#include "report/output/frxPDFFile.h"

void RegisterPDFExportClasses()
{
  using P = TfrxPDFExport;
  TClassRegistration<TfrxPDFExport, TfrxCustomExportFilter>("TfrxPDFExport")
      .Property("Compressed", &P::Compressed, &P::SetCompressed)
      .Default(true)
      .Property("EmbeddedFonts", &P::EmbeddedFonts, &P::SetEmbeddedFonts)
      .Default(false)
      .Property("FileName", &P::FileName, &P::SetFileName)
      .Property("OpenAfterExport", &P::OpenAfterExport, &P::SetOpenAfterExport)
      .Default(false);
}

TfrxPDFExport::TfrxPDFExport(TComponent* AOwner) : TfrxCustomExportFilter(AOwner) {}

TfrxPDFExport::~TfrxPDFExport() = default;

AnsiString TfrxPDFExport::FilterCaption()
{
  return ReportResources()->Lookup("PDFexport");
}

Integer TfrxPDFExport::ShowOptionsDialog()
{
  TfrxPDFExportDialog dialog(nullptr);
  dialog.OpenCB->SetChecked(FOpenAfterExport);
  dialog.CompressedCB->SetChecked(FCompressed);
  dialog.EmbeddedCB->SetChecked(FEmbeddedFonts);
  return dialog.Execute(this, FFileName, [&] {
    FOpenAfterExport = dialog.OpenCB->Checked();
    FCompressed = dialog.CompressedCB->Checked();
    FEmbeddedFonts = dialog.EmbeddedCB->Checked();
  });
}

bool TfrxPDFExport::BeginExport()
{
  if (FFileName.empty())
    return false;
  FPDF = std::make_unique<TfrxPDFFile>();
  FPDF->Compressed = FCompressed;
  FPDF->EmbeddedFonts = FEmbeddedFonts;
  FPage = nullptr;
  return true;
}

void TfrxPDFExport::BeginPage(TfrxComponent* Page, Integer)
{
  if (FPDF)
    FPage = FPDF->AddPage(Page);
}

void TfrxPDFExport::WriteObject(TfrxComponent* Obj)
{
  auto* view = dynamic_cast<TfrxView*>(Obj);
  if (view && FPage && view->Name() != "_pagebackground")
    FPage->AddObject(view);
}

void TfrxPDFExport::EndExport()
{
  if (!FPDF)
    return;
  std::unique_ptr<TfrxPDFFile> pdf = std::move(FPDF);
  FPage = nullptr;
  if (Report())
    pdf->Title = Report()->ReportOptions()->Name();
  if (Application())
    pdf->Creator = Application()->Title();
  // Written to the file as it is made: the whole file is not held in memory once more.
  frxWriteFileReplacing(FFileName, [&](TStream* File) { pdf->WriteTo(File); });
  if (FOpenAfterExport)
    frxOpenExportedFile(FFileName);
}
