// The month calendar: the parts its hit test names, keys and clicks that choose a date, and
// a smallest size that does not move.
#include "platform/ui/ComCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

using MonthCalendar = UiTest;

TEST_F(MonthCalendar, HitTestNamesEveryPart)
{
  auto* form = new TForm(nullptr);
  form->SetBounds(50, 50, 400, 300);
  auto* cal = new TMonthCalendar(form);
  cal->SetParent(form);
  cal->SetDate(EncodeDate(2026, 1, 15)); // a Thursday; January 1st is a Thursday too
  cal->SetToday(EncodeDate(2026, 1, 5));
  form->Show();
  Headless().ProcessMessages();
  TRect min = cal->MinimalRect();
  EXPECT_EQ(cal->ClientWidth(), min.Width());
  EXPECT_EQ(cal->MinimalRect(), min) << "asking again changes nothing";

  // Find each part by scanning the client area.
  std::map<UINT, TPoint> found;
  for (Integer y = 0; y < cal->ClientHeight(); ++y)
    for (Integer x = 0; x < cal->ClientWidth(); ++x)
      found.emplace(cal->HitTest({x, y}), TPoint{x, y});
  for (UINT code :
       {UINT(MCHT_TITLEBTNPREV), UINT(MCHT_TITLEBTNNEXT), UINT(MCHT_TITLEMONTH),
        UINT(MCHT_TITLEYEAR), UINT(MCHT_TITLEBK), UINT(MCHT_CALENDARDAY), UINT(MCHT_CALENDARDATE),
        UINT(MCHT_CALENDARDATEPREV), UINT(MCHT_CALENDARDATENEXT), UINT(MCHT_TODAYLINK)})
    EXPECT_TRUE(found.count(code)) << std::hex << code;

  // The first date cell is December 28 (a Sunday-first week), a grey day of December.
  TDateTime day = 0;
  EXPECT_EQ(cal->HitTest(found[MCHT_CALENDARDATEPREV], &day), MCHT_CALENDARDATEPREV);
  Word y, m, d;
  DecodeDate(day, y, m, d);
  EXPECT_EQ(m, 12);
  MCHITTESTINFO info;
  info.pt = found[MCHT_CALENDARDATE];
  EXPECT_EQ(cal->Perform(MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)),
            LRESULT(MCHT_CALENDARDATE));
  EXPECT_EQ(info.st.wMonth, 1);

  // Keys and clicks.
  cal->SetFocus();
  std::vector<TDateTime> changes;
  cal->OnChange = [&](TObject*) { changes.push_back(cal->Date()); };
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 1, 16));
  Headless().Key(VK_DOWN);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 1, 23));
  Headless().Key(VK_NEXT);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 2, 23));
  Headless().Key(VK_END);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 2, 28));
  Headless().Click(cal->ClientToScreen(found[MCHT_TODAYLINK]));
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 1, 5));
  Headless().Click(cal->ClientToScreen(found[MCHT_TITLEBTNPREV]));
  EXPECT_EQ(cal->Date(), EncodeDate(2025, 12, 5));
  EXPECT_EQ(changes.size(), 6u);
  delete form;
}
