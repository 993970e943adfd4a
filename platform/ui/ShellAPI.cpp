// Opening documents and links with the desktop's handler; see ShellAPI.h.
#include "platform/ui/ShellAPI.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"

namespace {

TShellOpenHook& Hook()
{
  static TShellOpenHook hook;
  return hook;
}

bool HasPrefix(const AnsiString& s, const char* prefix)
{
  const AnsiString p = prefix;
  return s.size() >= p.size() && SameText(s.substr(0, p.size()), p);
}

} // namespace

bool ShellTargetKind(const AnsiString& Target, TShellTargetKind& Kind)
{
  if (HasPrefix(Target, "http://") || HasPrefix(Target, "https://")) {
    Kind = stWeb;
    return true;
  }
  if (HasPrefix(Target, "mailto:")) {
    Kind = stMail;
    return true;
  }
  if (DirectoryExists(Target)) {
    Kind = stFolder;
    return true;
  }
  if (FileExists(Target)) {
    Kind = stFile;
    return true;
  }
  return false;
}

bool ShellOpen(const AnsiString& Target, TShellTargetKinds Allowed)
{
  TShellTargetKind kind;
  if (Target.empty() || !ShellTargetKind(Target, kind) || !Allowed.Contains(kind))
    return false;
  if (Hook())
    return Hook()(Target);
  // A name that begins with '-' would read as an option; its absolute form does not.
  AnsiString argument = Target;
  if (kind == stFile || kind == stFolder)
    argument = ExpandFileName(Target);
  return ExecuteProcess("xdg-open", {argument}, pwNoWait) == 0;
}

TShellOpenHook SetShellOpenHook(TShellOpenHook Hook_)
{
  TShellOpenHook previous = std::move(Hook());
  Hook() = std::move(Hook_);
  return previous;
}
