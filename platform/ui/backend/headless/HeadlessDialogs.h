// The headless dialog service: common dialogs answered from what a test queued. Each
// answer names the dialog class it is for; a dialog shown with no answer queued for it
// (or another class's answer next) raises EHeadlessDialog naming the class, so the test
// fails instead of hanging. Every request shown is recorded.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/ui/Dialogs.h"

QH_DECLARE_EXCEPTION(EHeadlessDialog, Exception);

class THeadlessDialogs : public TDialogService {
public:
  // The next dialog of class ClassName is answered by Answer (which may change the
  // request and returns whether the dialog was accepted).
  using TAnswer = std::function<bool(TDialogRequest& Request)>;
  void Queue(const AnsiString& ClassName, TAnswer Answer);
  // Shorthands: accepted with a file name (and filter index), accepted with a colour,
  // cancelled.
  void AcceptFile(const AnsiString& ClassName, const AnsiString& FileName, Integer FilterIndex = 0);
  void AcceptColor(const AnsiString& ClassName, TColor Color);
  void Cancel(const AnsiString& ClassName);

  Integer Pending() const { return static_cast<Integer>(FQueue.size()); }
  const std::vector<TDialogRequest>& Shown() const { return FShown; }
  void Reset();

  bool Execute(TDialogRequest& Request) override;

private:
  struct TEntry {
    AnsiString ClassName;
    TAnswer Answer;
  };
  std::deque<TEntry> FQueue;
  std::vector<TDialogRequest> FShown;
};

THeadlessDialogs& HeadlessDialogs();
