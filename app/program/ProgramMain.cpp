// The program qhwbp: starts the units, opens the desktop's display and runs the program's
// entry. Without a display it says how to run it and ends.
#include <cstdio>

#include "app/qhwbp.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Units.h"
#include "platform/ui/backend/gtk/GtkBackend.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterGtkBackendUnits();
void RegisterDataUnits();
void RegisterNetUnits();
void RegisterScriptUnits();
void RegisterScriptUiUnits();
void RegisterOleUnits();
void RegisterReportEngineUnits();
void RegisterReportOutputUnits();
void RegisterReportDesignerUnits();
void RegisterAppUnits();

int main(int argc, char** argv)
{
  SetCommandLine(argc, argv);
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterGtkBackendUnits();
  RegisterDataUnits();
  RegisterNetUnits();
  RegisterOleUnits();
  RegisterScriptUnits();
  RegisterScriptUiUnits();
  RegisterReportEngineUnits();
  RegisterReportOutputUnits();
  RegisterReportDesignerUnits();
  RegisterAppUnits();
  InitializeUnits();
  int result = 2;
  if (InstallGtkBackend())
    result = ProgramEntry();
  else
    std::fprintf(stderr,
                 "qhwbp: no display could be opened; run it on a desktop, or on a virtual "
                 "display: xvfb-run -a %s\n",
                 argv[0]);
  FinalizeUnits();
  return result;
}
