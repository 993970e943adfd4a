// The program's facade: the hooks the program runs at start and exit (Tmall; the one
// instance, MallFacade, is a TmallX, whose hooks do nothing) and the menu's actions that
// are guarded by a right. The windows those actions open come from their own units,
// which install them in ProgramDialogs(); an action whose window is not installed does
// nothing after its right check.
#pragma once

#include <functional>

#include "platform/rtl/Classes.h"

class Tmall : public TComponent {
public:
  using TComponent::TComponent;

  // Hooks, called on MallFacade. They use no state of the instance.
  // At exit: counts the start in the company record and, for a filled-in company,
  // posts the product and company texts to the feedback endpoint.
  virtual void ExitReportHook();
  // After the login: the company dialog when the operator may edit the company and it is
  // not filled in, then the tip of the day when the settings ask for it.
  virtual void StartupHook();
  // At exit: the feedback form when Force or the settings ask for it.
  virtual void ExitFeedbackHook(bool Force);

  // Menu actions. Each checks its right first: a refusal shows its message and ends the
  // command silently (EAbort).
  static void DoCompanyInfo();    // right 10000: the company dialog, editable
  static void DoOperators();      // right 100001: the operator list
  static void DoClearData();      // right 100: data clearing
  static void DoBackupSettings(); // right 10005: the backup settings
  // The automatic backup by the stored plan (no right).
  static void RunAutoBackup();
};

class TmallX : public Tmall {
public:
  using Tmall::Tmall;
  void ExitReportHook() override {}
  void StartupHook() override {}
  void ExitFeedbackHook(bool) override {}
};

// The program's facade, owned by the application object (set by the program entry).
extern Tmall* MallFacade;

// The windows and steps that other units of the program provide. Each is empty until its
// unit installs it; calling an empty one does nothing.
struct TProgramDialogs {
  std::function<void(bool ReadOnly)> EditCompany; // company information
  std::function<void()> Operators;                // operators and their rights
  std::function<void()> ClearData;                // data clearing
  std::function<void()> BackupSettings;           // backup plan, backup and restore
  std::function<void()> AutoBackup;               // the backup the plan asks for at exit
  std::function<void()> ChangePassword;           // the current operator's password
  std::function<void()> Tips;                     // tip of the day
  std::function<void()> Feedback;                 // online feedback form
  std::function<void()> About;                    // about box
  // The report catalogue of a group (the designer's "打印(&P)" > "设计").
  std::function<void(Integer GroupId)> Reports;
};
TProgramDialogs& ProgramDialogs();
// Installs every window of the program's units into ProgramDialogs() (unit start-up).
void InstallProgramWindows();
