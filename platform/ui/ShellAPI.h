// Opening documents, folders and links with the desktop's own handler (xdg-open), the
// service a program uses to show a text file, a help page, a web site or a new mail.
// The handler is started detached with an argument vector, never through a shell, and
// only for the kinds of target the caller allows.
#pragma once

#include <functional>

#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"

enum TShellTargetKind {
  stFile,   // an existing file
  stFolder, // an existing folder
  stWeb,    // an http:// or https:// address
  stMail    // a mailto: link
};
using TShellTargetKinds = TSet<TShellTargetKind>;

// The kind of a target as ShellOpen sees it: the link schemes by their prefix (case
// ignored), anything else by what exists under that name. False when it is none of them.
bool ShellTargetKind(const AnsiString& Target, TShellTargetKind& Kind);

// Opens Target (a GBK file name or link) with the desktop's handler, without waiting for
// it. False when the target is not of an allowed kind or the handler cannot be started;
// what the handler does then is the desktop's business.
bool ShellOpen(const AnsiString& Target, TShellTargetKinds Allowed);

// Tests see the targets instead of starting the desktop's handler: the hook gets every
// target that passed the kind check and answers for ShellOpen. An empty hook restores the
// handler. Returns the previous hook.
using TShellOpenHook = std::function<bool(const AnsiString& Target)>;
TShellOpenHook SetShellOpenHook(TShellOpenHook Hook);
