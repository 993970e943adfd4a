// The report engine's units in the system's unit order.
#include "platform/rtl/Units.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxDBDataset.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxDialogForm.h"
#include "report/engine/frxDrawText.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxPasswordForm.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxPrinter.h"
#include "report/engine/frxProgress.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxScriptBinding.h"
#include "report/engine/frxXMLSerializer.h"

namespace {

void DsgnIntfInitialization()
{
  CreateDesignerRegistries();
}
void DsgnIntfFinalization()
{
  FreeDesignerRegistries();
}

void ResInitialization()
{
  ReportResources();
}
void ResFinalization()
{
  FreeReportResources();
}

void ClassInitialization()
{
  RegisterSerializedPlatformClasses();
  RegisterReportClasses();
  RegisterDBDatasetClass();
}
// The shared text layout is made on first use; it goes with the report classes.
void ClassFinalization()
{
  FreeGlobalDrawText();
}

void DMPClassInitialization()
{
  RegisterDMPClasses();
}

void PreviewPagesInitialization()
{
  RegisterPreviewPagesClasses();
}

void ProgressInitialization()
{
  RegisterProgressForm();
}

void PasswordFormInitialization()
{
  RegisterPasswordForm();
}

void DialogFormInitialization()
{
  RegisterDialogForm();
}

} // namespace

void RegisterDataUnits();

void RegisterReportEngineUnits()
{
  // The database dataset's properties name the data library's classes.
  RegisterDataUnits();
  RegisterUnit("frxDsgnIntf", DsgnIntfInitialization, DsgnIntfFinalization);
  RegisterUnit("frxRes", ResInitialization, ResFinalization);
  RegisterUnit("frxPrinter", nullptr, PrinterFinalization);
  RegisterUnit("frxClass", ClassInitialization, ClassFinalization);
  RegisterUnit("frxDMPClass", DMPClassInitialization, nullptr);
  RegisterUnit("frxPreviewPages", PreviewPagesInitialization, nullptr);
  RegisterUnit("frxProgress", ProgressInitialization, nullptr);
  RegisterUnit("frxPasswordForm", PasswordFormInitialization, nullptr);
  RegisterUnit("frxDialogForm", DialogFormInitialization, nullptr);
  RegisterUnit("frxScriptBinding", InitializeReportScriptBinding, FinalizeReportScriptBinding);
}
