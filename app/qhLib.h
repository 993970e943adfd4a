// Small helpers used all over the program: the information box, the delete confirmation
// and the byte scrambling of stored settings.
#pragma once

#include <functional>

#include "platform/rtl/Types.h"

// Shows a message box (Text, Caption, MB_* flags) and returns the ID* of the button
// pressed: the application's message box, unless a handler is installed (tests install
// one that records the box and answers it). Without an application object, nothing is
// shown and the cautious answer is returned: IDOK for a box with only OK, else IDCANCEL.
using TAppMessageBox =
    std::function<Integer(const AnsiString& Text, const AnsiString& Caption, Cardinal Flags)>;
// Installs Handler (an empty one restores the default) and returns the previous one.
TAppMessageBox SetAppMessageBox(TAppMessageBox Handler);
Integer AppMessageBox(const AnsiString& Text, const AnsiString& Caption, Cardinal Flags);

// An information box with one OK button showing CR LF, Text and a TAB.
void ShowInfo(const AnsiString& Text);

// A warning box with OK and Cancel asking whether Subject ("当前记录" when empty) should be
// deleted; true when OK is pressed.
bool ConfirmDelete(const AnsiString& Subject);

// XORs every byte with a digit taken from a fixed key; applying it twice gives the text
// back. This is the format stored settings are kept in, not a protection of them.
AnsiString ScrambleText(const AnsiString& Text);

class Exception;
// Shows an exception as the application shows one it caught (its message, ending with a
// full stop, under the application's title), through AppMessageBox.
void ShowAppException(const Exception& E);

// A mail link to Address with Subject (sent as percent-encoded UTF-8).
AnsiString MailLink(const AnsiString& Address, const AnsiString& Subject);
