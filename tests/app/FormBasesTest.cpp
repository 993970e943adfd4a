// The window bases and the input controls: placement at the pointer, sizing handles of
// borderless windows, help topics, typed edits (key filtering, values, focus colours) and
// Enter moving to the next control.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/a.h"
#include "app/aDlg.h"
#include "app/qhCtrls.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/ui/ShellAPI.h"
#include "platform/ui/StdCtrls.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

TEST(FormBases, PlacementAtThePointerKeepsClearOfTheEdges)
{
  struct TCase {
    TPoint Pointer;
    TSize Window;
    TPoint Expected;
  };
  const TSize screen{1024, 768};
  const TCase cases[] = {
      {{512, 384}, {300, 200}, {362, 284}}, // centred on the pointer
      {{10, 10}, {300, 200}, {20, 20}},     // off the left and top edges
      {{1000, 700}, {300, 200}, {704, 518}},
      {{1000, 90}, {300, 200}, {704, 20}},  // right edge: 20 pixels from it
      {{512, 740}, {300, 200}, {362, 518}}, // bottom: 50 pixels above it
  };
  for (const TCase& c : cases) {
    const TPoint at = PointerPlacement(c.Pointer, c.Window, screen);
    EXPECT_EQ(at.X, c.Expected.X) << c.Pointer.X << "," << c.Pointer.Y;
    EXPECT_EQ(at.Y, c.Expected.Y) << c.Pointer.X << "," << c.Pointer.Y;
  }
}

TEST(FormBases, BorderlessSizingHandles)
{
  const TSize window{200, 100};
  struct TCase {
    TPoint At;
    LRESULT Expected;
  };
  const TCase cases[] = {
      {{0, 0}, HTTOPLEFT},        {{9, 9}, HTTOPLEFT},     {{191, 5}, HTTOPRIGHT},
      {{195, 95}, HTBOTTOMRIGHT}, {{5, 95}, HTBOTTOMLEFT}, {{4, 50}, HTLEFT},
      {{100, 4}, HTTOP},          {{196, 50}, HTRIGHT},    {{100, 96}, HTBOTTOM},
      {{5, 50}, HTNOWHERE},       {{100, 50}, HTNOWHERE},  {{10, 4}, HTTOP},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(BorderlessHitTest(c.At, window), c.Expected) << c.At.X << "," << c.At.Y;
}

TEST(FormBases, HelpTopicIsTheWindowNameWithoutFrm)
{
  EXPECT_EQ(HelpTopic("ReporterFrm", ""), "Reporter");
  EXPECT_EQ(HelpTopic("OperatorEditorFrm", ""), "OperatorEditor");
  EXPECT_EQ(HelpTopic("mainFrm", ""), "main");
  EXPECT_EQ(HelpTopic("mainFrm", "Backup"), "Backup");
  const AnsiString page = HelpPageFileName("main");
  EXPECT_EQ(page.substr(page.size() - 13), "help/main.htm");
}

TEST(FormBases, KeysTakenByEditType)
{
  struct TCase {
    TEditType Type;
    const char* Text;
    char Key;
    bool Accepted;
  };
  const TCase cases[] = {
      {etNumber, "", '.', false},   {etNumber, "0", '0', false},   {etNumber, "0.5", '0', true},
      {etNumber, "12", 'a', false}, {etNumber, "1.2", '.', false}, {etNumber, "12", '.', true},
      {etNumber, "", '\b', true},   {etNumber, "", '\r', true},    {etInteger, "1", '.', false},
      {etInteger, "1", '7', true},  {etInteger, "1", '-', false},  {etFree, "", 'x', true},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(EditTypeAccepts(c.Type, c.Text, c.Key), c.Accepted)
        << c.Type << " \"" << c.Text << "\" + '" << c.Key << "'";
}

class InputControls : public testing::Test {
protected:
  void SetUp() override
  {
    app_test::ResetWindows();
    Form = new TaFrm(Application());
    Form->SetName("EditorFrm");
    First = new TqhEdit(Form);
    First->SetBounds(10, 10, 100, 21);
    First->SetParent(Form);
    Second = new TqhEdit(Form);
    Second->SetBounds(10, 40, 100, 21);
    Second->SetParent(Form);
    Form->Show();
    Headless().ProcessMessages();
  }
  void TearDown() override { app_test::ResetWindows(); }

  TaFrm* Form = nullptr;
  TqhEdit* First = nullptr;
  TqhEdit* Second = nullptr;
};

TEST_F(InputControls, ValuesReadAndWrittenAsText)
{
  EXPECT_EQ(First->AsInteger(), 0);
  First->SetAsInteger(0);
  EXPECT_EQ(First->Text(), "");
  First->SetAsInteger(42);
  EXPECT_EQ(First->Text(), "42");
  First->SetText("4x");
  try {
    First->AsInteger();
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "\"4x\" 不是有效的整数.");
  }
  First->SetText("2.5");
  EXPECT_DOUBLE_EQ(First->AsDouble(), 2.5);
  First->SetAsDouble(0);
  EXPECT_EQ(First->Text(), "");
  EXPECT_TRUE(VarIsNull(First->AsDate()));
  First->SetText("2013-12-05");
  EXPECT_DOUBLE_EQ(First->AsDate().AsDouble(), EncodeDate(2013, 12, 5));
  First->SetText("2013-13-05");
  EXPECT_THROW(First->AsDate(), EConvertError);
}

TEST_F(InputControls, TypingIsFilteredAndEnterMovesOn)
{
  First->SetEditType(etNumber);
  First->SetFocus();
  Headless().ProcessMessages();
  EXPECT_EQ(First->Color(), static_cast<TColor>(0xFFFF00)); // focused
  Headless().Type(".0.5a0");
  EXPECT_EQ(First->Text(), "0.50");
  Headless().Key(VK_RETURN);
  Headless().ProcessMessages();
  EXPECT_TRUE(Second->Focused());
  EXPECT_EQ(First->Color(), clWindow); // its colour back
  Headless().Key(VK_RETURN, /*shift=*/true);
  Headless().ProcessMessages();
  EXPECT_TRUE(First->Focused());
}

TEST_F(InputControls, F1OpensTheHelpPageOfTheWindow)
{
  std::vector<AnsiString> opened;
  TShellOpenHook previous = SetShellOpenHook([&](const AnsiString& Target) {
    opened.push_back(Target);
    return true;
  });
  TTempProgramDir dir; // the program directory the help folder is in
  const AnsiString inDir = HelpPageFileName("Editor");
  mkdir((dir.Dir + "help").c_str(), 0755);
  WriteFileBytes(GbkToUtf8(inDir), "<html></html>");
  First->SetFocus();
  Headless().Key(VK_F1);
  SetShellOpenHook(previous);
  EXPECT_EQ(opened, std::vector<AnsiString>{inDir});
  unlink(GbkToUtf8(inDir).c_str());
  rmdir((dir.Dir + "help").c_str());
}

} // namespace
