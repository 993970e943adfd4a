// Choosing a folder: the directory list shows the path from the root and the folders
// inside, opens a line by double click or Enter, refuses a missing folder, keeps its label
// up to date, and the drive box takes it back to the root.
#include "platform/ui/FileCtrl.h"

#include <filesystem>

#include "tests/platform/ui/UiTestKit.h"

using FileCtrlControls = UiTest;

TEST_F(FileCtrlControls, DirectoryListOpensFoldersAndFollowsTheDriveBox)
{
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "qh_filectrl";
  std::filesystem::remove_all(dir);
  for (const char* sub : {"backup", "archive", ".hidden"})
    std::filesystem::create_directories(dir / sub);
  TForm* form = new TForm(nullptr);
  form->SetBounds(40, 40, 400, 300);
  auto* label = new TLabel(form);
  label->SetParent(form);
  auto* list = new TDirectoryListBox(form);
  list->SetBounds(10, 40, 250, 200);
  list->SetParent(form);
  list->SetDirLabel(label);
  auto* drive = new TDriveComboBox(form);
  drive->SetBounds(10, 10, 250, 22);
  drive->SetParent(form);
  drive->SetDirList(list);
  Integer changes = 0;
  list->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  Headless().ProcessMessages();

  AnsiString base = dir.string();
  list->SetDirectory(base);
  Integer pathLines = static_cast<Integer>(std::count(base.begin(), base.end(), '/')) + 1;
  ASSERT_EQ(list->Items()->Count(), pathLines + 2) << "hidden folders are left out";
  EXPECT_EQ(list->Items()->Strings(0), "/");
  EXPECT_EQ(list->Items()->Strings(pathLines - 1), "qh_filectrl");
  EXPECT_EQ(list->Items()->Strings(pathLines), "archive") << "in name order";
  EXPECT_EQ(list->ItemIndex(), pathLines - 1) << "the current folder is selected";
  EXPECT_EQ(label->Caption(), base);

  TRect backup = list->ItemRect(pathLines + 1);
  Headless().DoubleClick(list->ClientToScreen({backup.Left + 40, backup.Top + 5}));
  EXPECT_EQ(list->Directory(), base + "/backup");
  EXPECT_EQ(label->Caption(), base + "/backup");
  EXPECT_EQ(list->Items()->Count(), pathLines + 1);
  // Enter on a line of the path goes up to it.
  list->SetFocus();
  list->SetItemIndex(pathLines - 1);
  Headless().Key(VK_RETURN);
  EXPECT_EQ(list->Directory(), base);
  EXPECT_EQ(changes, 3);

  EXPECT_THROW(list->SetDirectory(base + "/nowhere"), EInOutError);
  EXPECT_EQ(list->Directory(), base);
  EXPECT_EQ(drive->Text(), "/");
  drive->SetFocus();
  drive->SetItemIndex(-1);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(list->Directory(), "/") << "choosing the drive goes to its root";
  delete form;
  std::filesystem::remove_all(dir);
}
