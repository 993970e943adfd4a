// The units of the preview, printing and export library in the system's unit order.
#include "platform/rtl/Units.h"
#include "report/engine/frxRes.h"
#include "report/output/frxBarcod.h"
#include "report/output/frxBarcode.h"
#include "report/output/frxExportDialogs.h"
#include "report/output/frxExportImage.h"
#include "report/output/frxExportPDF.h"
#include "report/output/frxExportRTF.h"
#include "report/output/frxExportRes.h"
#include "report/output/frxExportXLS.h"
#include "report/output/frxPreview.h"
#include "report/output/frxPrintDialog.h"

namespace {

void BarcodInitialization()
{
  RegisterBarcodeEncoderClasses();
}

// The export texts enter the library's text table before any filter exists.
void ExportResInitialization()
{
  AddExportResources(ReportResources());
  AddBarcodeResources(ReportResources());
}

void BarcodeInitialization()
{
  RegisterBarcodeClasses();
}

void ExportPDFInitialization()
{
  RegisterExportDialogClasses();
  RegisterPDFExportClasses();
}

void ExportRTFInitialization()
{
  RegisterRTFExportClasses();
}

void ExportImageInitialization()
{
  RegisterImageExportClasses();
}

void ExportXLSInitialization()
{
  RegisterXLSExportClasses();
}

} // namespace

void RegisterReportOutputUnits()
{
  RegisterUnit("frxrcExports", ExportResInitialization, nullptr);
  RegisterUnit("frxBarcod", BarcodInitialization, nullptr);
  RegisterUnit("frxBarcode", BarcodeInitialization, nullptr);
  RegisterUnit("frxExportPDF", ExportPDFInitialization, nullptr);
  RegisterUnit("frxExportRTF", ExportRTFInitialization, nullptr);
  RegisterUnit("frxExportImage", ExportImageInitialization, nullptr);
  RegisterUnit("frxExportXLS", ExportXLSInitialization, nullptr);
  RegisterUnit("frxPrintDialog", RegisterPrintDialog, UnregisterPrintDialog);
  RegisterUnit("frxPreview", RegisterPreviewUnit, UnregisterPreviewUnit);
}
