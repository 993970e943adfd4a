#include "app/qhLib.h"

#include "platform/net/UrlUtils.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Windows.h"

namespace {

TAppMessageBox& MessageBoxHandler()
{
  static TAppMessageBox handler;
  return handler;
}

// The key's letters give the XOR values (their codes modulo 10); byte I (counted from 1)
// uses the letter at 1-based position (I mod 10) + 1, i.e. index I mod 10, so the first
// byte takes the second letter and the tenth byte the first.
constexpr char ScrambleKey[] = "bluepencil";
constexpr size_t ScrambleKeyLength = sizeof ScrambleKey - 1;

} // namespace

TAppMessageBox SetAppMessageBox(TAppMessageBox Handler)
{
  TAppMessageBox previous = std::move(MessageBoxHandler());
  MessageBoxHandler() = std::move(Handler);
  return previous;
}

Integer AppMessageBox(const AnsiString& Text, const AnsiString& Caption, Cardinal Flags)
{
  if (MessageBoxHandler())
    return MessageBoxHandler()(Text, Caption, Flags);
  if (TApplication* application = Application())
    return application->MessageBox(Text, Caption, Flags);
  return (Flags & 0x0F) == MB_OK ? IDOK : IDCANCEL;
}

void ShowInfo(const AnsiString& Text)
{
  AppMessageBox("\r\n" + Text + "\t", "信息", MB_OK | MB_ICONINFORMATION);
}

bool ConfirmDelete(const AnsiString& Subject)
{
  const AnsiString what = Subject.empty() ? AnsiString("当前记录") : Subject;
  return AppMessageBox(Format("\r您确定要删除 %s 吗?\t\t", {what}), "警告",
                       MB_OKCANCEL | MB_ICONWARNING) == IDOK;
}

AnsiString ScrambleText(const AnsiString& Text)
{
  AnsiString result = Text;
  for (size_t i = 1; i <= result.size(); ++i) {
    const auto key = static_cast<unsigned char>(ScrambleKey[i % ScrambleKeyLength]);
    result[i - 1] = static_cast<char>(static_cast<unsigned char>(result[i - 1]) ^ (key % 10));
  }
  return result;
}

void ShowAppException(const Exception& E)
{
  AnsiString text = E.Message();
  if (!text.empty() && text.back() != '.')
    text += '.';
  const AnsiString title = Application() ? Application()->Title() : AnsiString();
  AppMessageBox(text, title, MB_OK | MB_ICONERROR);
}

AnsiString MailLink(const AnsiString& Address, const AnsiString& Subject)
{
  return "mailto:" + Address + "?subject=" + UrlEncode(GbkToUtf8(Subject));
}
