// The month calendar (TMonthCalendar): layout from the font, painting, hit testing, keys and
// clicks. ComCtrls.h describes it.
#include "platform/graphics/Pictures.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"

void comctrls::RegisterCalendarClasses()
{
  TClassRegistration<TMonthCalendar, TCustomControl>("TMonthCalendar")
      .Property("Date", &TMonthCalendar::Date, &TMonthCalendar::SetDate)
      .Property("FirstDayOfWeek", &TMonthCalendar::FirstDayOfWeek,
                &TMonthCalendar::SetFirstDayOfWeek)
      .Default(0)
      .Property("ShowToday", &TMonthCalendar::ShowToday, &TMonthCalendar::SetShowToday)
      .Default(true)
      .Property("WeekNumbers", &TMonthCalendar::WeekNumbers, &TMonthCalendar::SetWeekNumbers)
      .Default(false);
}

namespace {

const char* DayNames[7] = {"日", "一", "二", "三", "四", "五", "六"};

TDateTime DateOnly(TDateTime Value)
{
  return static_cast<TDateTime>(static_cast<Int64>(Value));
}

} // namespace

TMonthCalendar::TMonthCalendar(TComponent* AOwner) : TCustomControl(AOwner), FDate(::Date())
{
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  TRect r = MinimalRect();
  FWidth = r.Width();
  FHeight = r.Height();
}

TDateTime TMonthCalendar::Today() const
{
  return FToday != 0 ? FToday : DateOnly(::Date());
}

void TMonthCalendar::SetDate(TDateTime Value)
{
  Value = DateOnly(Value);
  if (Value == FDate)
    return;
  FDate = Value;
  Invalidate();
}

void TMonthCalendar::ChangeDate(TDateTime Value)
{
  Value = DateOnly(Value);
  if (Value == FDate)
    return;
  FDate = Value;
  Invalidate();
  if (OnChange)
    OnChange(this);
}

void TMonthCalendar::SetFirstDayOfWeek(Integer Value)
{
  Value = ((Value % 7) + 7) % 7;
  if (Value == FFirstDayOfWeek)
    return;
  FFirstDayOfWeek = Value;
  Invalidate();
}

void TMonthCalendar::SetWeekNumbers(bool Value)
{
  if (Value == FWeekNumbers)
    return;
  FWeekNumbers = Value;
  Invalidate();
}

void TMonthCalendar::SetShowToday(bool Value)
{
  if (Value == FShowToday)
    return;
  FShowToday = Value;
  Invalidate();
}

// Everything is measured from the font: a cell holds two digits or a day name with room.
TMonthCalendar::TLayout TMonthCalendar::Layout()
{
  TLayout l;
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Font());
  TSize digits = probe.Canvas()->TextExtent("00");
  TSize name = probe.Canvas()->TextExtent(DayNames[3]);
  l.CellW = std::max(digits.cx, name.cx) + 8;
  l.RowH = std::max(digits.cy, name.cy) + 3;
  l.TitleH = l.RowH + 6;
  l.HeaderH = l.RowH + 2;
  l.TodayH = FShowToday ? l.RowH + 4 : 0;
  l.WeekW = FWeekNumbers ? l.CellW : 0;
  Integer width = 2 * l.Margin + l.WeekW + 7 * l.CellW;
  l.Title = TRect(l.Margin, l.Margin, width - l.Margin, l.Margin + l.TitleH);
  l.Prev = TRect(l.Title.Left, l.Title.Top, l.Title.Left + l.TitleH, l.Title.Bottom);
  l.Next = TRect(l.Title.Right - l.TitleH, l.Title.Top, l.Title.Right, l.Title.Bottom);
  Word y, m, d;
  DecodeDate(FDate, y, m, d);
  TSize yearSize = probe.Canvas()->TextExtent(IntToStr(y) + "年");
  TSize monthSize = probe.Canvas()->TextExtent(IntToStr(m) + "月");
  Integer textLeft = (l.Title.Left + l.Title.Right - yearSize.cx - monthSize.cx - 4) / 2;
  Integer textTop = l.Title.Top + (l.TitleH - yearSize.cy) / 2;
  l.YearText = Bounds(textLeft, textTop, yearSize.cx, yearSize.cy);
  l.MonthText = Bounds(textLeft + yearSize.cx + 4, textTop, monthSize.cx, monthSize.cy);
  l.Header =
      TRect(l.Margin + l.WeekW, l.Title.Bottom, width - l.Margin, l.Title.Bottom + l.HeaderH);
  l.Days = TRect(l.Header.Left, l.Header.Bottom, l.Header.Right, l.Header.Bottom + 6 * l.RowH);
  l.TodayLink = TRect(l.Margin, l.Days.Bottom, width - l.Margin, l.Days.Bottom + l.TodayH);
  return l;
}

TRect TMonthCalendar::MinimalRect()
{
  TLayout l = Layout();
  return TRect(0, 0, l.Title.Right + l.Margin, l.TodayLink.Bottom + l.Margin);
}

TDateTime TMonthCalendar::FirstShownDay() const
{
  Word y, m, d;
  DecodeDate(FDate, y, m, d);
  TDateTime first = EncodeDate(y, m, 1);
  Integer dow = DayOfWeek(first) - 1; // 0 Sunday
  return first - ((dow - FFirstDayOfWeek + 7) % 7);
}

UINT TMonthCalendar::HitTest(TPoint P, TDateTime* Date)
{
  TLayout l = Layout();
  if (PtInRect(l.Prev, P))
    return MCHT_TITLEBTNPREV;
  if (PtInRect(l.Next, P))
    return MCHT_TITLEBTNNEXT;
  if (PtInRect(l.MonthText, P))
    return MCHT_TITLEMONTH;
  if (PtInRect(l.YearText, P))
    return MCHT_TITLEYEAR;
  if (PtInRect(l.Title, P))
    return MCHT_TITLEBK;
  if (PtInRect(l.Header, P))
    return MCHT_CALENDARDAY;
  if (FWeekNumbers && P.X >= l.Margin && P.X < l.Days.Left && P.Y >= l.Days.Top &&
      P.Y < l.Days.Bottom)
    return MCHT_CALENDARWEEKNUM;
  if (PtInRect(l.Days, P)) {
    Integer col = (P.X - l.Days.Left) / l.CellW, row = (P.Y - l.Days.Top) / l.RowH;
    if (col > 6)
      return MCHT_CALENDARBK;
    TDateTime day = FirstShownDay() + row * 7 + col;
    if (Date)
      *Date = day;
    Word y, m, d, dy, dm, dd;
    DecodeDate(FDate, y, m, d);
    DecodeDate(day, dy, dm, dd);
    if (dy * 12 + dm < y * 12 + m)
      return MCHT_CALENDARDATEPREV;
    if (dy * 12 + dm > y * 12 + m)
      return MCHT_CALENDARDATENEXT;
    return MCHT_CALENDARDATE;
  }
  if (FShowToday && PtInRect(l.TodayLink, P))
    return MCHT_TODAYLINK;
  TRect calendar(l.Margin, l.Title.Bottom, l.Title.Right, l.Days.Bottom);
  return PtInRect(calendar, P) ? MCHT_CALENDARBK : MCHT_NOWHERE;
}

void TMonthCalendar::ShowMonth(Integer Delta)
{
  ChangeDate(IncMonth(FDate, Delta));
}

void TMonthCalendar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft)
    return;
  TDateTime day = 0;
  switch (HitTest({X, Y}, &day)) {
  case MCHT_TITLEBTNPREV:
    ShowMonth(-1);
    break;
  case MCHT_TITLEBTNNEXT:
    ShowMonth(1);
    break;
  case MCHT_CALENDARDATE:
  case MCHT_CALENDARDATEPREV:
  case MCHT_CALENDARDATENEXT:
    ChangeDate(day);
    break;
  case MCHT_TODAYLINK:
    ChangeDate(Today());
    break;
  }
}

void TMonthCalendar::KeyDown(Word& Key, TShiftState Shift)
{
  TCustomControl::KeyDown(Key, Shift);
  Word y, m, d;
  DecodeDate(FDate, y, m, d);
  switch (Key) {
  case VK_LEFT:
    ChangeDate(FDate - 1);
    break;
  case VK_RIGHT:
    ChangeDate(FDate + 1);
    break;
  case VK_UP:
    ChangeDate(FDate - 7);
    break;
  case VK_DOWN:
    ChangeDate(FDate + 7);
    break;
  case VK_PRIOR:
    ShowMonth(-1);
    break;
  case VK_NEXT:
    ShowMonth(1);
    break;
  case VK_HOME:
    ChangeDate(EncodeDate(y, m, 1));
    break;
  case VK_END:
    ChangeDate(EncodeDate(y, m, DaysInAMonth(y, m)));
    break;
  default:
    return;
  }
  Key = 0;
}

void TMonthCalendar::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS;
    return;
  case MCM_GETMINREQRECT:
    if (Message.LParam)
      *reinterpret_cast<TRect*>(Message.LParam) = MinimalRect();
    Message.Result = 1;
    return;
  case MCM_HITTEST:
    if (auto* info = reinterpret_cast<MCHITTESTINFO*>(Message.LParam)) {
      TDateTime day = 0;
      info->uHit = HitTest(info->pt, &day);
      if (day != 0)
        DateTimeToSystemTime(day, info->st);
      Message.Result = static_cast<LRESULT>(info->uHit);
    }
    return;
  case MCM_GETCURSEL:
    if (Message.LParam)
      DateTimeToSystemTime(FDate, *reinterpret_cast<TSystemTime*>(Message.LParam));
    Message.Result = 1;
    return;
  case MCM_SETCURSEL:
    if (Message.LParam) {
      const auto& st = *reinterpret_cast<const TSystemTime*>(Message.LParam);
      SetDate(EncodeDate(st.wYear, st.wMonth, st.wDay));
    }
    Message.Result = 1;
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TMonthCalendar::Paint()
{
  TCanvas* c = Canvas();
  TLayout l = Layout();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->SetFont(Font());
  // Title: caption colours, arrows to the neighbouring months, year and month.
  c->Brush()->SetColor(clActiveCaption);
  c->FillRect(l.Title);
  c->Font()->SetColor(clCaptionText);
  c->Brush()->SetStyle(bsClear);
  Word y, m, d;
  DecodeDate(FDate, y, m, d);
  c->TextOut(l.YearText.Left, l.YearText.Top, IntToStr(y) + "年");
  c->TextOut(l.MonthText.Left, l.MonthText.Top, IntToStr(m) + "月");
  for (bool next : {false, true}) {
    TRect b = next ? l.Next : l.Prev;
    Integer cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2, s = l.TitleH / 4;
    TPoint arrow[3] = {{next ? cx - s / 2 : cx + s / 2, cy - s},
                       {next ? cx - s / 2 : cx + s / 2, cy + s},
                       {next ? cx + s / 2 + 1 : cx - s / 2 - 1, cy}};
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clCaptionText);
    c->Pen()->SetColor(clCaptionText);
    c->Polygon(arrow, 3);
  }
  // Day names and a line under them.
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(clActiveCaption);
  for (Integer i = 0; i < 7; ++i) {
    TRect cell = Bounds(l.Header.Left + i * l.CellW, l.Header.Top, l.CellW, l.RowH);
    c->DrawText(DayNames[(i + FFirstDayOfWeek) % 7], cell,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  c->Pen()->SetColor(clBtnShadow);
  c->MoveTo(l.Header.Left, l.Header.Bottom - 1);
  c->LineTo(l.Header.Right, l.Header.Bottom - 1);
  // The six weeks.
  TDateTime first = FirstShownDay(), today = Today();
  for (Integer i = 0; i < 42; ++i) {
    TDateTime day = first + i;
    TRect cell =
        Bounds(l.Days.Left + (i % 7) * l.CellW, l.Days.Top + (i / 7) * l.RowH, l.CellW, l.RowH);
    Word dy, dm, dd;
    DecodeDate(day, dy, dm, dd);
    bool selected = day == FDate;
    if (selected) {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(Focused() ? clHighlight : clBtnFace);
      c->FillRect(cell);
      c->Brush()->SetStyle(bsClear);
    }
    if (day == today) {
      c->Brush()->SetColor(clRed);
      c->FrameRect(cell);
      c->Brush()->SetStyle(bsClear);
    }
    c->Font()->SetColor(selected && Focused() ? clHighlightText
                        : dm != m             ? clGrayText
                                              : clWindowText);
    c->DrawText(IntToStr(dd), cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (FWeekNumbers && i % 7 == 0) {
      TRect week = Bounds(l.Margin, cell.Top, l.WeekW, l.RowH);
      c->Font()->SetColor(clGrayText);
      Integer number = static_cast<Integer>((day + 3 - EncodeDate(dy, 1, 1)) / 7) + 1;
      c->DrawText(IntToStr(number), week, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
  if (FShowToday) {
    c->Font()->SetColor(clWindowText);
    c->Font()->SetStyle({fsBold});
    TRect link = l.TodayLink;
    c->DrawText("今天: " + FormatDateTime("yyyy-mm-dd", today), link,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    c->Font()->SetStyle({});
  }
}
