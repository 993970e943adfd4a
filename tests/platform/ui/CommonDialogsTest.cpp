// The common dialogs over the headless dialog service: the answer a test queued comes back
// through Execute, the default extension is applied before the overwrite question, names
// that must exist are checked, colours travel as "ColorA=RRGGBB", and a dialog nobody
// scripted fails with its class name. InputQuery is a form of ours.
#include <filesystem>
#include <fstream>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

class CommonDialogs : public UiTest {
protected:
  void SetUp() override
  {
    UiTest::SetUp();
    HeadlessDialogs().Reset();
    Dir = std::filesystem::temp_directory_path() /
          ("qh_dialogs_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override
  {
    EXPECT_EQ(HeadlessDialogs().Pending(), 0) << "every queued answer was used";
    HeadlessDialogs().Reset();
    std::filesystem::remove_all(Dir);
    UiTest::TearDown();
  }
  AnsiString Path(const char* name) const { return (Dir / name).string(); }
  void Touch(const char* name) const { std::ofstream(Dir / name) << "x"; }
  std::filesystem::path Dir;
};

} // namespace

TEST_F(CommonDialogs, OpenDialogTakesTheAnswerAndChecksTheName)
{
  TOpenDialog dlg(nullptr);
  dlg.SetTitle("打开运单模板");
  dlg.SetFilter("运单模板 (*.qhw)|*.qhw|所有文件 (*.*)|*.*");
  dlg.SetDefaultExt(".qhw");
  dlg.SetOptions(dlg.Options() + TOpenOptions{ofFileMustExist});
  Touch("sf.qhw");

  // A name without extension gets the default one; the filter index comes back.
  HeadlessDialogs().AcceptFile("TOpenDialog", Path("sf"), 2);
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName(), Path("sf.qhw"));
  EXPECT_EQ(dlg.FilterIndex(), 2);
  EXPECT_EQ(dlg.Files()->Count(), 1);
  const TDialogRequest& shown = HeadlessDialogs().Shown().back();
  EXPECT_EQ(shown.Kind, dkOpen);
  EXPECT_EQ(shown.Title, "打开运单模板");
  EXPECT_EQ(shown.Filter, dlg.Filter());
  EXPECT_EQ(shown.DefaultExt, "qhw");

  // A missing file is refused with a message, and the dialog comes back.
  HeadlessDialogs().AcceptFile("TOpenDialog", Path("yto.qhw"));
  Headless().AnswerModal("警告", "确定");
  HeadlessDialogs().Cancel("TOpenDialog");
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.FileName(), Path("sf.qhw")) << "a cancelled dialog keeps the old name";
  EXPECT_EQ(HeadlessDialogs().Shown().back().FileName, Path("yto.qhw"))
      << "shown again on the refused name";
}

TEST_F(CommonDialogs, SaveDialogAsksBeforeReplacingTheNameWithItsExtension)
{
  TSaveDialog dlg(nullptr);
  dlg.SetDefaultExt("qhw");
  dlg.SetOptions(dlg.Options() + TOpenOptions{ofOverwritePrompt});
  Touch("yunda.qhw");

  // "yunda" becomes "yunda.qhw", which exists: No brings the dialog back, Yes takes it.
  HeadlessDialogs().AcceptFile("TSaveDialog", Path("yunda"));
  Headless().AnswerModal("警告", "否(&N)");
  HeadlessDialogs().AcceptFile("TSaveDialog", Path("yunda"));
  Headless().AnswerModal("警告", "是(&Y)");
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName(), Path("yunda.qhw"));
  EXPECT_EQ(HeadlessDialogs().Shown().size(), 2u);
  EXPECT_EQ(Headless().PendingResponders(), 0) << "the question was asked twice";

  // A new name is taken without a question.
  HeadlessDialogs().AcceptFile("TSaveDialog", Path("zto"));
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName(), Path("zto.qhw"));

  // A dialog nobody scripted fails with its class name.
  try {
    TOpenPictureDialog picture(nullptr);
    picture.Execute();
    ADD_FAILURE() << "an unscripted dialog must fail";
  } catch (const EHeadlessDialog& e) {
    EXPECT_NE(e.Message().find("TOpenPictureDialog"), AnsiString::npos) << e.Message();
  }
  HeadlessDialogs().Reset();
}

TEST_F(CommonDialogs, ColorFontAndPrintDialogsCarryTheirValues)
{
  TColorDialog color(nullptr);
  color.SetColor(clRed);
  color.CustomColors()->Add("ColorB=0080FF");
  color.CustomColors()->Add("ColorZ=123456"); // no such slot
  HeadlessDialogs().Queue("TColorDialog", [](TDialogRequest& r) {
    EXPECT_EQ(r.Color, clRed);
    EXPECT_EQ(r.CustomColors.at(1), RGB(0x00, 0x80, 0xFF));
    r.CustomColors[0] = RGB(0x11, 0x22, 0x33);
    r.Color = clNavy;
    return true;
  });
  ASSERT_TRUE(color.Execute());
  EXPECT_EQ(color.Color(), clNavy);
  EXPECT_EQ(color.CustomColors()->Strings(0), "ColorA=112233");
  EXPECT_EQ(color.CustomColors()->Strings(1), "ColorB=0080FF");
  HeadlessDialogs().Cancel("TColorDialog");
  EXPECT_FALSE(color.Execute());
  EXPECT_EQ(color.Color(), clNavy);

  TFontDialog font(nullptr);
  font.Font()->SetName("宋体");
  HeadlessDialogs().Queue("TFontDialog", [](TDialogRequest& r) {
    EXPECT_EQ(r.FontName, "宋体");
    r.FontName = "黑体";
    r.FontSize = 14;
    r.FontStyle = TFontStyles{fsBold};
    r.FontColor = clMaroon;
    return true;
  });
  ASSERT_TRUE(font.Execute());
  EXPECT_EQ(font.Font()->Name(), "黑体");
  EXPECT_EQ(font.Font()->Size(), 14);
  EXPECT_TRUE(font.Font()->Style().Contains(fsBold));
  EXPECT_EQ(font.Font()->Color(), clMaroon);

  TPrintDialog print(nullptr);
  print.SetMinPage(1);
  print.SetMaxPage(5);
  print.SetOptions(TPrintDialogOptions{poPageNums, poDisablePrintToFile});
  HeadlessDialogs().Queue("TPrintDialog", [](TDialogRequest& r) {
    r.Copies = 0;
    r.PageNumbers = true;
    r.FromPage = 9;
    r.ToPage = 2;
    r.PrintToFile = true;
    return true;
  });
  ASSERT_TRUE(print.Execute());
  EXPECT_EQ(print.Copies(), 1);
  EXPECT_EQ(print.PrintRange(), prPageNums);
  EXPECT_EQ(print.FromPage(), 2) << "a reversed range is put in order and inside the pages";
  EXPECT_EQ(print.ToPage(), 5);
  EXPECT_FALSE(print.PrintToFile());
}

TEST_F(CommonDialogs, InputQueryReturnsTheTypedText)
{
  Headless().OnWindow("新建模板", [](HWND) {
    Headless().Type("申通");
    Headless().Key(VK_RETURN);
  });
  AnsiString value = "默认";
  EXPECT_TRUE(InputQuery("新建模板", "模板名称：", value));
  EXPECT_EQ(value, "申通") << "the default was selected and replaced";
  Headless().OnWindow("新建模板", [](HWND) {
    Headless().Type("x");
    Headless().Key(VK_ESCAPE);
  });
  EXPECT_EQ(InputBox("新建模板", "模板名称：", "默认"), "默认");
}

TEST_F(CommonDialogs, PrintFormTakesARangeAndRefusesBadCopies)
{
  // Client points of the form's boxes: the range's "from" and "to", and the copies.
  auto fill = [](HWND h, TPoint p, const char* text) {
    Headless().Click(THeadlessBackend::ScreenPoint(h, p));
    Headless().Key('A', false, true);
    Headless().Type(text);
  };
  Headless().OnWindow("打印", [&](HWND h) {
    fill(h, {100, 63}, "2");
    fill(h, {160, 63}, "9");
    fill(h, {296, 23}, "3");
    Headless().Key(VK_RETURN);
  });
  TDialogRequest r;
  r.MinPage = 1;
  r.MaxPage = 12;
  ASSERT_TRUE(RunPrintForm(r));
  EXPECT_TRUE(r.PageNumbers) << "typing a range chooses it";
  EXPECT_EQ(r.FromPage, 2);
  EXPECT_EQ(r.ToPage, 9);
  EXPECT_EQ(r.Copies, 3);
  EXPECT_FALSE(r.Selection);

  // No copies at all is refused with a message; the form stays until cancelled.
  Headless().OnWindow("打印", [&](HWND h) {
    fill(h, {296, 23}, "0");
    Headless().Key(VK_RETURN);
  });
  Headless().AnswerModal("警告", "确定");
  Headless().OnWindow("打印", [](HWND) { Headless().Key(VK_ESCAPE); });
  TDialogRequest again;
  EXPECT_FALSE(RunPrintForm(again));
  EXPECT_EQ(again.Copies, 1);
}
