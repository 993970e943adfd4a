// The base of the program's windows; see a.h.
#include "app/a.h"

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ShellAPI.h"

TaFrm::TaFrm(TComponent* AOwner, TFormBuild Build) : TForm(AOwner)
{
  BeginLoading();
  SetKeyPreview(true);
  SetColor(clBtnFace);
  Font()->SetName("宋体");
  Font()->SetHeight(-12);
  Font()->SetCharset(GB2312_CHARSET);
  if (Build == fbComplete)
    EndLoading();
}

AnsiString HelpTopic(const AnsiString& FormName, const AnsiString& Topic)
{
  if (!Topic.empty())
    return Topic;
  return FormName.size() > 3 ? FormName.substr(0, FormName.size() - 3) : AnsiString();
}

AnsiString HelpPageFileName(const AnsiString& Topic)
{
  return ProgramDir() + "help/" + Topic + ".htm";
}

void TaFrm::ShowHelp(const AnsiString& Topic)
{
  ShellOpen(HelpPageFileName(HelpTopic(Name(), Topic)), {stFile});
}

void TaFrm::KeyDown(Word& Key, TShiftState Shift)
{
  TForm::KeyDown(Key, Shift);
  if (Key == VK_F1)
    ShowHelp("");
}

TPoint PointerPlacement(TPoint Pointer, TSize Window, TSize Screen)
{
  Integer left = Pointer.X - Window.cx / 2;
  Integer top = Pointer.Y - Window.cy / 2;
  if (left < 0)
    left = 20;
  if (left > Screen.cx - Window.cx - 20)
    left = Screen.cx - Window.cx - 20;
  if (top < 0)
    top = 20;
  if (top + Window.cy > Screen.cy - 50)
    top = Screen.cy - Window.cy - 50;
  return {left, top};
}

// Windows of the normal bands open at the pointer; the first showing then applies the
// window's own position setting, so windows that are centred on the screen, the main
// form or their owner still end up centred.
void TaFrm::DoShow()
{
  if (FFormStyle == fsNormal || FFormStyle == fsStayOnTop) {
    TPoint pointer = Mouse()->CursorPos();
    TPoint at =
        PointerPlacement(pointer, {Width(), Height()}, {Screen()->Width(), Screen()->Height()});
    SetBounds(at.X, at.Y, Width(), Height());
    if (!FShownOnce)
      ApplyPosition();
  }
  TForm::DoShow();
}

LRESULT BorderlessHitTest(TPoint Point, TSize Window)
{
  const Integer x = Point.X, y = Point.Y, w = Window.cx, h = Window.cy;
  if (x <= 9 && y <= 9)
    return HTTOPLEFT;
  if (x > w - 10 && y < 10)
    return HTTOPRIGHT;
  if (x > w - 10 && y > h - 10)
    return HTBOTTOMRIGHT;
  if (x < 10 && y > h - 10)
    return HTBOTTOMLEFT;
  if (x <= 4)
    return HTLEFT;
  if (y <= 4)
    return HTTOP;
  if (x > w - 5)
    return HTRIGHT;
  if (y > h - 5)
    return HTBOTTOM;
  return HTNOWHERE;
}

void TaFrm::WMNCHitTest(TMessage& Message)
{
  TForm::WMNCHitTest(Message);
  if (FBorderStyle != bsNone || !HandleAllocated())
    return;
  TRect r;
  GetWindowRect(Handle(), r);
  TPoint p = PointFromLParam(Message.LParam);
  LRESULT edge = BorderlessHitTest({p.X - r.Left, p.Y - r.Top}, {r.Width(), r.Height()});
  if (edge != HTNOWHERE)
    Message.Result = edge;
}
