// The popup calendar's closing rules: which releases accept, what cancels, the wheel.
#include <map>

#include "controls/eh/DropDownsEh.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

class TOwnerEdit : public TEdit, public IDropDownOwnerEh {
public:
  using TEdit::TEdit;
  std::vector<bool> Closes;
  void CloseDropDown(bool Accept) override { Closes.push_back(Accept); }
};

} // namespace

using PopupCalendarEh = UiTest;

TEST_F(PopupCalendarEh, ClosingRules)
{
  struct {
    UINT Code;
    bool Accepts;
  } codes[] = {
      {MCHT_CALENDARDATE, true},  {MCHT_CALENDARDATEPREV, true}, {MCHT_CALENDARDATENEXT, true},
      {MCHT_CALENDARBK, true},    {MCHT_CALENDARWEEKNUM, true},  {MCHT_TODAYLINK, true},
      {MCHT_TITLEMONTH, true},    {MCHT_CALENDARDAY, false},     {MCHT_TITLEBTNNEXT, false},
      {MCHT_TITLEBTNPREV, false}, {MCHT_TITLEBK, false},         {MCHT_TITLEYEAR, false},
      {MCHT_NOWHERE, false},
  };
  for (auto& c : codes)
    EXPECT_EQ(TPopupMonthCalendarEh::HitAccepts(c.Code), c.Accepts) << std::hex << c.Code;

  auto* form = new TForm(nullptr);
  form->SetBounds(50, 50, 400, 300);
  auto* edit = new TOwnerEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 120, 21);
  form->Show();
  edit->SetFocus();
  Headless().ProcessMessages();
  auto* cal = new TPopupMonthCalendarEh(edit);
  cal->SetDate(EncodeDate(2026, 1, 15));
  cal->FitSize();
  EXPECT_EQ(cal->Width(), cal->MinimalRect().Width() + 4) << "the 2-pixel frame on each side";
  SetWindowPos(cal->Handle(), HWND_TOPMOST, 60, 90, cal->Width(), cal->Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Headless().ProcessMessages();
  std::map<UINT, TPoint> found;
  for (Integer y = 0; y < cal->ClientHeight(); ++y)
    for (Integer x = 0; x < cal->ClientWidth(); ++x)
      found.emplace(cal->HitTest({x, y}), TPoint{x, y});

  Headless().Click(cal->ClientToScreen(found[MCHT_TITLEBTNNEXT]));
  Headless().Click(cal->ClientToScreen(found[MCHT_CALENDARDAY]));
  EXPECT_TRUE(edit->Closes.empty()) << "the month buttons and day names do not close";
  EXPECT_EQ(GetFocus(), edit->Handle()) << "clicks leave the focus with the owner";
  Headless().Click(cal->ClientToScreen(found[MCHT_CALENDARDATE]));
  EXPECT_EQ(edit->Closes, std::vector<bool>{true});
  Word y, m, d;
  DecodeDate(cal->Date(), y, m, d);
  EXPECT_EQ(m, 2) << "the date clicked in the next month";

  TDateTime before = cal->Date();
  // The owner hands the wheel on, as it does keys.
  cal->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(cal->Date(), before + 1) << "wheel down: a day later";
  cal->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(cal->Date(), before);

  cal->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  cal->Perform(WM_KEYDOWN, VK_RETURN, 0);
  cal->Perform(CM_CALENDARCLOSEEH, 0, 0);
  EXPECT_EQ(edit->Closes, (std::vector<bool>{true, false, true, false}));
  delete form;
}
