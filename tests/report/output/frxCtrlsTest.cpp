// The report library's small controls: the font combo's recently used fonts kept in the
// settings store, the flat combo's list (size, opening upward near the bottom of the
// screen, the font sample beside it), and the edit with a button.
#include "report/output/frxCtrls.h"

#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/support/ControlsGallery.h"

namespace {

class frxCtrlsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    dir = testing::TempDir() + "qhctrls-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    SetRegistryRoots((dir + "/user.ini").c_str(), (dir + "/machine.ini").c_str());
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 400, 300);
  }
  void TearDown() override
  {
    form.reset();
    SetRegistryRoots("", "");
    std::filesystem::remove_all(dir);
    Headless().Reset();
  }
  // A new control of class T owned by and placed on the form.
  template <class T> T* Place(Integer x, Integer y, Integer w, Integer h)
  {
    return gallery::Put<T>(form.get(), x, y, w, h);
  }
  // The five slots as the store holds them: "name/type" each.
  std::vector<AnsiString> Slots(const AnsiString& Key)
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    std::vector<AnsiString> slots;
    if (!reg.OpenKey(Key, false))
      return slots;
    for (Integer n = 0; n < 5; ++n)
      slots.push_back(reg.ReadString("Font" + IntToStr(n)) + "/" +
                      IntToStr(reg.ReadInteger("FontType" + IntToStr(n))));
    return slots;
  }
  std::vector<AnsiString> Top(TfrxFontComboBox& combo, Integer Count)
  {
    std::vector<AnsiString> top;
    for (Integer i = 0; i < Count; ++i)
      top.push_back(combo.Items()->Strings(i));
    return top;
  }

  std::string dir;
  std::unique_ptr<TForm> form;
};

const char* const kKey = "\\Software\\ZuzuDorova\\MRUFont";

} // namespace

TEST_F(frxCtrlsTest, FontComboKeepsFiveRecentFontsInTheStore)
{
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    const char* names[] = {"Arial", "NoSuchFont", "", "Tahoma", "宋体"};
    for (Integer n = 0; n < 5; ++n) {
      reg.WriteString("Font" + IntToStr(n), names[n]);
      reg.WriteInteger("FontType" + IntToStr(n), 4);
    }
  }
  auto* combo = new TfrxFontComboBox(form.get());
  combo->SetParent(form.get());
  combo->PopulateList();
  // Slots in order at the top; a font that is not installed is cleared from its slot.
  ASSERT_EQ(combo->RecentCount(), 3);
  EXPECT_EQ(Top(*combo, 3), (std::vector<AnsiString>{"Arial", "Tahoma", "宋体"}));
  EXPECT_EQ(Slots(kKey)[1], "/0");
  EXPECT_GT(combo->Items()->IndexOf("Courier New"), 2);
  EXPECT_EQ(combo->ItemIndex(), 0);

  combo->ChooseItem(combo->Items()->IndexOf("Courier New"));
  EXPECT_EQ(combo->RecentCount(), 4);
  EXPECT_EQ(combo->Text(), "Courier New");
  EXPECT_EQ(Slots(kKey),
            (std::vector<AnsiString>{"Courier New/4", "Arial/4", "Tahoma/4", "宋体/4", "/0"}));
  // A recent entry chosen again moves to the top; the first item changes nothing.
  combo->ChooseItem(2);
  EXPECT_EQ(Top(*combo, 4), (std::vector<AnsiString>{"Tahoma", "Courier New", "Arial", "宋体"}));
  combo->ChooseItem(0);
  EXPECT_EQ(combo->RecentCount(), 4);
  // A fifth and a sixth distinct font: five stay, the oldest goes.
  for (const char* name : {"Times New Roman", "黑体"})
    combo->ChooseItem(combo->Items()->IndexOf(name));
  EXPECT_EQ(combo->RecentCount(), 5);
  EXPECT_EQ(Slots(kKey), (std::vector<AnsiString>{"黑体/4", "Times New Roman/4", "Tahoma/4",
                                                  "Courier New/4", "Arial/4"}));
  // The next fill reads them back.
  auto* again = new TfrxFontComboBox(form.get());
  again->SetParent(form.get());
  again->PopulateList();
  EXPECT_EQ(Top(*again, 5),
            (std::vector<AnsiString>{"黑体", "Times New Roman", "Tahoma", "Courier New", "Arial"}));
  // Without ShowMRU nothing is read or written.
  auto* plain = new TfrxFontComboBox(form.get());
  plain->SetShowMRU(false);
  plain->SetMRURegKey("\\Software\\Other");
  plain->SetParent(form.get());
  plain->PopulateList();
  EXPECT_EQ(plain->RecentCount(), 0);
  EXPECT_TRUE(Slots("\\Software\\Other").empty());
}

TEST_F(frxCtrlsTest, FlatComboListSizeAndOpeningUpwardNearTheBottom)
{
  auto* combo = Place<TfrxComboBox>(10, 10, 120, 21);
  for (Integer i = 0; i < 20; ++i)
    combo->Items()->Add(IntToStr(i));
  form->Show();
  combo->SetDroppedDown(true);
  TRect list = combo->DropDownList()->BoundsRect();
  const TPoint origin = combo->ClientToScreen({0, 0});
  EXPECT_EQ(list.Width(), 119) << "one pixel narrower than the combo";
  EXPECT_EQ(list.Height(), combo->ItemHeight() * 8 + 4);
  EXPECT_EQ(list.Top, origin.Y + combo->Height());
  combo->SetDroppedDown(false);

  // Near the bottom of the screen the list opens above, two pixels higher.
  form->SetTop(Headless().ScreenSize().cy - 80);
  combo->SetListWidth(200);
  combo->SetDropDownCount(5);
  combo->SetDroppedDown(true);
  list = combo->DropDownList()->BoundsRect();
  const TPoint up = combo->ClientToScreen({0, 0});
  EXPECT_EQ(list.Width(), 200);
  EXPECT_EQ(list.Bottom, up.Y - 2);
  combo->SetDroppedDown(false);
  Headless().ProcessMessages();
}

TEST_F(frxCtrlsTest, FontSampleShowsBesideTheListAndAboveWhenTheListOpensUpward)
{
  auto* combo = Place<TfrxFontComboBox>(10, 10, 150, 21);
  form->Show();
  combo->SetDroppedDown(true);
  TfrxFontPreview* sample = combo->Preview();
  ASSERT_NE(sample, nullptr);
  EXPECT_TRUE(sample->Visible());
  const TPoint corner = combo->ClientToScreen({combo->Width(), combo->Height()});
  EXPECT_EQ(sample->BoundsRect(), Bounds(corner.X, corner.Y, 200, 50));
  EXPECT_EQ(sample->Panel()->Caption(), combo->Text());
  combo->SetDroppedDown(false);
  EXPECT_FALSE(sample->Visible());

  form->SetTop(Headless().ScreenSize().cy - 80);
  combo->SetDroppedDown(true);
  const TPoint top = combo->ClientToScreen({0, 0});
  EXPECT_EQ(sample->Top(), top.Y - 50);
  combo->SetDroppedDown(false);
  Headless().ProcessMessages();
}

TEST_F(frxCtrlsTest, ComboEditButtonFocusesTheEditAndFires)
{
  auto* edit = Place<TfrxComboEdit>(10, 10, 200, 21);
  auto* other = Place<TEdit>(10, 50, 100, 21);
  form->Show();
  other->SetFocus();
  Integer clicks = 0;
  edit->OnButtonClick = [&](TObject* Sender) {
    ++clicks;
    EXPECT_EQ(Sender, edit);
  };
  EXPECT_EQ(edit->Button()->Parent()->BoundsRect(), Bounds(200 - 21 + 2, 2, 17, 17));
  Headless().Click(edit->Button()->ClientToScreen({5, 5}));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(edit->Focused());
  edit->SetButtonEnabled(false);
  Headless().Click(edit->Button()->ClientToScreen({5, 5}));
  EXPECT_EQ(clicks, 1);
  // Enter in the edit reaches the form's default button.
  auto* ok = Place<TButton>(10, 90, 75, 25);
  ok->SetDefault(true);
  Integer defaults = 0;
  ok->OnClick = [&](TObject*) { ++defaults; };
  edit->SetFocus();
  Headless().Key(VK_RETURN);
  EXPECT_EQ(defaults, 1);
}
