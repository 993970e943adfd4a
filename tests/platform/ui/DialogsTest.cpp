// Message dialogs answered through the headless backend's modal responders.
#include "platform/ui/Dialogs.h"

#include "tests/platform/ui/UiTestKit.h"

using MessageDialogs = UiTest;

TEST_F(MessageDialogs, ButtonsCaptionsAndResults)
{
  struct TCase {
    const char* Name;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
    const char* Caption;
    const char* Press; // button text without its '&', or "" for Esc
    Integer Expected;
  } cases[] = {
      {"yes/no/cancel: no", mtConfirmation, mbYesNoCancel, "确认", "否(N)", mrNo},
      {"yes/no/cancel: Esc", mtConfirmation, mbYesNoCancel, "确认", "", mrCancel},
      {"replace all", mtWarning, mbYesAllNoAllCancel, "警告", "全是", mrYesToAll},
      {"error ok", mtError, TMsgDlgButtons{mbOK}, "错误", "确定", mrOk},
      {"custom: the title", mtCustom, mbOKCancel, "运单打印", "取消", mrCancel},
  };
  Application()->SetTitle("运单打印");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    AnsiString seenCaption;
    Headless().QueueStep([&] {
      HWND box = GetActiveWindow();
      seenCaption = GetWindowText(box);
      if (*c.Press)
        Headless().Click(
            THeadlessBackend::ScreenPoint(THeadlessBackend::FindChildByText(box, c.Press), {5, 5}));
      else
        Headless().Key(VK_ESCAPE);
    });
    EXPECT_EQ(MessageDlg("文件已存在, 是否替换?", c.Type, c.Buttons, 0), c.Expected);
    EXPECT_EQ(seenCaption, c.Caption);
  }

  // The first button is the default one: Enter takes it.
  Headless().QueueStep([] { Headless().Key(VK_RETURN); });
  EXPECT_EQ(MessageDlg("继续?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0), mrYes);

  Headless().AnswerModal("运单打印", "确定");
  ShowMessage("保存完毕");
  EXPECT_EQ(Headless().PendingResponders(), 0);
}
