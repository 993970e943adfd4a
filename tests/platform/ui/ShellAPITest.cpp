// Opening files and links with the desktop's handler: which targets pass, and that the
// handler sees them unchanged.
#include "platform/ui/ShellAPI.h"

#include <gtest/gtest.h>

#include "platform/rtl/FileUtils.h"

namespace {

struct THookRecorder {
  THookRecorder()
  {
    Previous = SetShellOpenHook([this](const AnsiString& target) {
      Opened.push_back(target);
      return true;
    });
  }
  ~THookRecorder() { SetShellOpenHook(Previous); }
  std::vector<AnsiString> Opened;
  TShellOpenHook Previous;
};

} // namespace

TEST(ShellOpen, OpensOnlyTheAllowedKindsOfTarget)
{
  const AnsiString file = GetTempFileName("", "shell");
  ASSERT_FALSE(file.empty());
  const AnsiString folder = ExtractFileDir(file);
  struct TCase {
    AnsiString Target;
    TShellTargetKinds Allowed;
    bool Opens;
  } cases[] = {
      {file, {stFile}, true},
      {file, {stWeb, stMail}, false},
      {folder, {stFolder}, true},
      {folder, {stFile}, false},
      {"HTTPS://www.example.com/a?b=1", {stWeb}, true},
      {"http://www.example.com", {stFile}, false},
      {"mailto:sales@example.com?subject=%E4%BD%A0", {stMail}, true},
      {"javascript:alert(1)", {stFile, stFolder, stWeb, stMail}, false},
      {file + ".missing", {stFile}, false},
      {"", {stFile}, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Target);
    THookRecorder hook;
    EXPECT_EQ(ShellOpen(c.Target, c.Allowed), c.Opens);
    EXPECT_EQ(hook.Opened.size(), c.Opens ? 1u : 0u);
    if (c.Opens) {
      EXPECT_EQ(hook.Opened[0], c.Target);
    }
  }
  DeleteFile(file);
}
