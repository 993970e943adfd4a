// Message dialogs over the message box of Forms.cpp. Dialogs.h describes them.
#include "platform/ui/Dialogs.h"

#include "platform/rtl/TypInfo.h"

namespace {

// Button texts and results in the order the buttons stand.
struct TButtonText {
  const char* Caption;
  TModalResult Result;
};
const TButtonText kButtons[] = {
    {"是(&Y)", mrYes},   {"否(&N)", mrNo},     {"确定", mrOk},     {"取消", mrCancel},
    {"中止", mrAbort},   {"重试", mrRetry},    {"忽略", mrIgnore}, {"全部", mrAll},
    {"全否", mrNoToAll}, {"全是", mrYesToAll}, {"帮助", mrNone},
};
static_assert(sizeof(kButtons) / sizeof(kButtons[0]) == mbHelp + 1, "one text per TMsgDlgBtn");

AnsiString DialogCaption(TMsgDlgType DlgType)
{
  switch (DlgType) {
  case mtWarning:
    return "警告";
  case mtError:
    return "错误";
  case mtInformation:
    return "信息";
  case mtConfirmation:
    return "确认";
  case mtCustom:
    break;
  }
  return Application() ? Application()->Title() : AnsiString();
}

} // namespace

Integer MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, NativeInt)
{
  std::vector<TMessageBoxButton> buttons;
  for (Integer b = mbYes; b <= mbHelp; ++b)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(b)))
      buttons.push_back({kButtons[b].Caption, kButtons[b].Result});
  if (buttons.empty())
    buttons.push_back({kButtons[mbOK].Caption, mrOk});
  return ShowMessageBox(Msg, DialogCaption(DlgType), buttons, 0);
}

void ShowMessage(const AnsiString& Msg)
{
  ShowMessageBox(Msg, Application() ? Application()->Title() : AnsiString(), {{"确定", mrOk}}, 0);
}

void RegisterDialogsClasses()
{
  RegisterEnumType<TMsgDlgType>(
      "TMsgDlgType", {"mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom"});
  RegisterEnumType<TMsgDlgBtn>("TMsgDlgBtn",
                               {"mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry",
                                "mbIgnore", "mbAll", "mbNoToAll", "mbYesToAll", "mbHelp"});
  RegisterSetType<TMsgDlgButtons>("TMsgDlgButtons");
}
