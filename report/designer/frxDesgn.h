// The report designer's settings component (TfrxDesigner): the one program-wide object
// through which a host program configures every designer window it opens: the commands it
// switches off, whether closing asks about unsaved changes, the folders of the file
// dialogs, and the hooks that replace opening and saving report files. The designer window
// itself reads these settings; frxClass.h holds the report and the designer window's base.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Events.h"

class TfrxReport;

// The commands a host can switch off, in their stored order (bit n is restriction n).
enum TfrxDesignerRestriction {
  drDontInsertObject,
  drDontDeletePage,
  drDontCreatePage,
  drDontChangePageOptions,
  drDontCreateReport,
  drDontLoadReport,
  drDontSaveReport,
  drDontPreviewReport,
  drDontEditVariables,
  drDontChangeReportOptions,
  drDontEditReportData
};
using TfrxDesignerRestrictions = TSet<TfrxDesignerRestriction>;

// Replaces the designer's open dialog: true when the hook put a new definition into Report
// (the designer then reloads all its views), false when nothing was loaded.
using TfrxLoadReportEvent = TEvent<bool(TfrxReport* Report)>;
// Replaces the designer's saving (SaveAs for the save-as command): true when the hook stored
// the definition, so the designer counts it as saved; false leaves the designer as it was.
using TfrxSaveReportEvent = TEvent<bool(TfrxReport* Report, bool SaveAs)>;

class TfrxDesigner : public TComponent {
public:
  // The new component becomes the current settings object (the last one created wins).
  explicit TfrxDesigner(TComponent* AOwner);
  // Clears the current settings object when it is this one.
  ~TfrxDesigner() override;

  // Ask whether to save unsaved changes when a designer window closes (default true).
  bool CloseQuery() const { return FCloseQuery; }
  void SetCloseQuery(bool Value) { FCloseQuery = Value; }
  const AnsiString& OpenDir() const { return FOpenDir; }
  void SetOpenDir(const AnsiString& Value) { FOpenDir = Value; }
  const AnsiString& SaveDir() const { return FSaveDir; }
  void SetSaveDir(const AnsiString& Value) { FSaveDir = Value; }
  TfrxDesignerRestrictions Restrictions() const { return FRestrictions; }
  void SetRestrictions(TfrxDesignerRestrictions Value) { FRestrictions = Value; }

  TfrxLoadReportEvent OnLoadReport;
  TfrxSaveReportEvent OnSaveReport;
  // Called at the end of a designer window's creation with the window as Sender.
  TNotifyEvent OnShow;

private:
  bool FCloseQuery = true;
  AnsiString FOpenDir;
  AnsiString FSaveDir;
  TfrxDesignerRestrictions FRestrictions;
};

// The current settings object; null when none exists. Designer windows read it whenever they
// need a setting, so a component created or freed while a window is open takes effect at once.
TfrxDesigner* DesignerSettings();

// Whether a designer window may offer the command: true without a settings object or when
// Restriction is not in its Restrictions.
bool IsDesignerCommandAllowed(TfrxDesignerRestriction Restriction);

// What a designer window asks of the host when the user opens a report: the settings
// object's OnLoadReport when it is assigned. Handled is false when no hook is installed
// (the window then uses its own open dialog); otherwise the result is the hook's.
bool DesignerLoadHook(TfrxReport* Report, bool& Handled);
// The same for saving, with OnSaveReport.
bool DesignerSaveHook(TfrxReport* Report, bool SaveAs, bool& Handled);

// Registers the class, its published properties and their types (unit start-up).
void RegisterDesignerSettingsClasses();
