// Message dialogs: MessageDlg (a kind of message with its caption and a set of buttons,
// answered with a modal result) and ShowMessage (one OK button under the application's
// title). Both run the message box of Forms.h.
#pragma once

#include "platform/ui/Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Shows Msg with the caption of its kind ("警告", "错误", "信息", "确认"; mtCustom: the
// application's title) and the buttons asked for, in the set's order; the first button is
// the default one. Returns the modal result of the button pressed (mrCancel when the box is
// closed without one). HelpCtx is kept for callers that pass it; there is no help viewer.
Integer MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                   NativeInt HelpCtx);
// Msg with one "确定" button under the application's title.
void ShowMessage(const AnsiString& Msg);

void RegisterDialogsClasses();
