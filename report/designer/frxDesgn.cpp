// The designer settings component and the program-wide reference to the current one; see
// frxDesgn.h.
#include "report/designer/frxDesgn.h"

#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"

namespace {

TfrxDesigner* GCurrent = nullptr;

} // namespace

void RegisterDesignerSettingsClasses()
{
  RegisterEnumType<TfrxDesignerRestriction>(
      "TfrxDesignerRestriction",
      {"drDontInsertObject", "drDontDeletePage", "drDontCreatePage", "drDontChangePageOptions",
       "drDontCreateReport", "drDontLoadReport", "drDontSaveReport", "drDontPreviewReport",
       "drDontEditVariables", "drDontChangeReportOptions", "drDontEditReportData"});
  RegisterSetType<TfrxDesignerRestrictions>("TfrxDesignerRestrictions");
  RegisterEventType<TfrxLoadReportEvent>("TfrxLoadReportEvent");
  RegisterEventType<TfrxSaveReportEvent>("TfrxSaveReportEvent");

  using D = TfrxDesigner;
  TClassRegistration<D, TComponent>("TfrxDesigner")
      .Property("CloseQuery", &D::CloseQuery, &D::SetCloseQuery)
      .Default(true)
      .Property("OpenDir", &D::OpenDir, &D::SetOpenDir)
      .Property("SaveDir", &D::SaveDir, &D::SetSaveDir)
      .Property("Restrictions", &D::Restrictions, &D::SetRestrictions)
      .Default(TfrxDesignerRestrictions());
}

TfrxDesigner::TfrxDesigner(TComponent* AOwner) : TComponent(AOwner)
{
  GCurrent = this;
}

TfrxDesigner::~TfrxDesigner()
{
  // A component freed after a newer one was made leaves the newer one current.
  if (GCurrent == this)
    GCurrent = nullptr;
}

TfrxDesigner* DesignerSettings()
{
  return GCurrent;
}

bool IsDesignerCommandAllowed(TfrxDesignerRestriction Restriction)
{
  return !GCurrent || !GCurrent->Restrictions().Contains(Restriction);
}

bool DesignerLoadHook(TfrxReport* Report, bool& Handled)
{
  Handled = GCurrent && GCurrent->OnLoadReport;
  if (!Handled)
    return false;
  return GCurrent->OnLoadReport(Report);
}

bool DesignerSaveHook(TfrxReport* Report, bool SaveAs, bool& Handled)
{
  Handled = GCurrent && GCurrent->OnSaveReport;
  if (!Handled)
    return false;
  return GCurrent->OnSaveReport(Report, SaveAs);
}
