// The popup calendar of date editors (see DropDownsEh.h).
#include "controls/eh/DropDownsEh.h"
#include "controls/eh/DropDownsEhPrivate.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Windows.h"

TPopupMonthCalendarEh::TPopupMonthCalendarEh(TComponent* AOwner) : TMonthCalendar(AOwner)
{
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetCtl3D(true);
  SetParentCtl3D(false);
  FTabStop = false;
  FVisible = false;
  FitSize();
}

void TPopupMonthCalendarEh::FitSize()
{
  TRect r = MinimalRect();
  Integer border = 2 * BorderWidthEh() + (Ctl3D() ? 0 : 2 * GetSystemMetrics(SM_CXBORDER));
  SetBounds(Left(), Top(), r.Width() + border, r.Height() + border);
}

bool TPopupMonthCalendarEh::HitAccepts(UINT Code)
{
  // The date area (dates, grey dates, background, week numbers, today link, month name)
  // accepts; the day names and the month buttons do not.
  if (Code == MCHT_CALENDARDAY || Code == MCHT_TITLEBTNNEXT || Code == MCHT_TITLEBTNPREV)
    return false;
  return (Code & MCHT_CALENDARDATE) != 0;
}

void TPopupMonthCalendarEh::CreateParams(TCreateParams& Params)
{
  TMonthCalendar::CreateParams(Params);
  Params.Style &= ~DWORD(WS_CHILD | WS_VISIBLE | WS_BORDER);
  Params.Style |= WS_POPUP | WS_CLIPCHILDREN;
  if (!Ctl3D())
    Params.Style |= WS_BORDER;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = 0;
}

void TPopupMonthCalendarEh::CloseUp(bool Accept)
{
  if (auto* owner = dynamic_cast<IDropDownOwnerEh*>(Owner()))
    owner->CloseDropDown(Accept);
}

void TPopupMonthCalendarEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_MOUSEACTIVATE:
    Message.Result = MA_NOACTIVATE;
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
    return;
  case WM_NCCALCSIZE:
  case WM_NCPAINT:
    TMonthCalendar::Dispatch(Message);
    DropDownFrameMessage(this, Message, TDropDownFrameEh::Raised);
    return;
  case WM_KILLFOCUS: {
    TMonthCalendar::Dispatch(Message);
    HWND to = reinterpret_cast<HWND>(Message.WParam);
    if (!to || (to != FHandle && !IsChild(FHandle, to)))
      PostMessage(FHandle, CM_CALENDARCLOSEEH, 0, 0);
    return;
  }
  case CM_CALENDARCLOSEEH:
    CloseUp(false);
    return;
  case CM_WANTSPECIALKEY:
    if (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) {
      Message.Result = 1;
      return;
    }
    break;
  }
  TMonthCalendar::Dispatch(Message);
}

void TPopupMonthCalendarEh::KeyDown(Word& Key, TShiftState Shift)
{
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    bool accept = Key == VK_RETURN;
    Key = 0;
    CloseUp(accept);
    return;
  }
  TMonthCalendar::KeyDown(Key, Shift);
}

void TPopupMonthCalendarEh::KeyPress(char& Key)
{
  if (Key == '\r' || Key == 27) {
    bool accept = Key == '\r';
    Key = 0;
    CloseUp(accept);
    return;
  }
  TMonthCalendar::KeyPress(Key);
}

void TPopupMonthCalendarEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (!PtInRect(ClientRect(), Point(X, Y))) {
    CloseUp(false);
    return;
  }
  TMonthCalendar::MouseDown(Button, Shift, X, Y);
}

void TPopupMonthCalendarEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TMonthCalendar::MouseUp(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft || !PtInRect(ClientRect(), Point(X, Y)))
    return;
  if (HitAccepts(HitTest({X, Y})))
    CloseUp(true);
}

bool TPopupMonthCalendarEh::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  SetDate(Date() + (WheelDelta < 0 ? 1 : -1));
  return true;
}
