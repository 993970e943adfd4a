// A screenshot of the editors' pieces with Chinese data: edit buttons of every kind, check
// box faces in their three states, data-aware check boxes, the open list of a keyed combo box
// with a further button, an edit box with buttons and the recent-text list with its own scroll
// bar, the popup calendar, the popup calculator and an open lookup grid with its special row;
// written to grid_editors.png beside the test binary.
#include <filesystem>

#include "controls/eh/CalculatorEh.h"
#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/DBLookupGridsEh.h"
#include "controls/eh/DropDownsEh.h"
#include "controls/eh/EditButtonsEh.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

void ShowPopup(TWinControl* popup, TPoint at)
{
  SetWindowPos(popup->Handle(), HWND_TOPMOST, at.X, at.Y, popup->Width(), popup->Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

} // namespace

using GridEditorsScreenshot = UiTest;

TEST_F(GridEditorsScreenshot, EditorsWithChineseData)
{
  auto* form = new TForm(nullptr);
  form->SetCaption("数据编辑控件");
  form->SetBounds(20, 20, 560, 360);
  form->SetColor(clBtnFace);

  // Edit buttons: drop-down, ellipsis, spin, plus, minus; raised, then flat, then pressed.
  TEditButtonStyleEh styles[] = {ebsDropDownEh, ebsEllipsisEh, ebsUpDownEh, ebsPlusEh, ebsMinusEh};
  for (Integer row = 0; row < 3; ++row)
    for (Integer i = 0; i < 5; ++i) {
      auto* b = new TEditButtonControlEh(form);
      b->SetParent(form);
      b->SetBounds(16 + i * 22, 16 + row * 28, 17, 21);
      b->SetStyle(styles[i]);
      b->SetFlat(row == 1);
      b->SetActive(row == 1 && i % 2 == 0);
      if (row == 2)
        b->SetHeldDown(true);
    }
  // Check box faces: unchecked, checked, grayed; classic above, flat below.
  auto* boxes = new TPaintBox(form);
  boxes->SetParent(form);
  boxes->SetBounds(140, 16, 200, 60);
  boxes->OnPaint = [boxes](TObject*) {
    TCanvas* c = boxes->Canvas();
    const char* captions[] = {"未选", "选中", "不定"};
    for (Integer flat = 0; flat < 2; ++flat)
      for (Integer state = 0; state < 3; ++state) {
        TRect box = Bounds(state * 64, flat * 28, 13, 13);
        PaintButtonFace(c, box, clBtnFace, bpkCheckBox, 0, flat == 1, false, true, state);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(box.Right + 4, box.Top, captions[state]);
      }
  };

  // Data-aware check boxes: checked, and grayed in the flat look.
  const char* captions[] = {"已付款", "代收货款"};
  for (Integer i = 0; i < 2; ++i) {
    auto* check = new TDBCheckBoxEh(form);
    check->SetParent(form);
    check->SetBounds(200, 250 + i * 24, 120, 17);
    check->SetCaption(captions[i]);
    check->SetFlat(i == 1);
    check->SetState(i == 0 ? cbChecked : cbGrayed);
  }

  // A keyed combo box with a further button, its list open on the current city.
  auto* edit = new TDBComboBoxEh(form);
  edit->SetParent(form);
  edit->SetBounds(16, 110, 150, 21);
  Integer key = 1;
  for (const char* city : {"北京", "上海", "广州", "深圳", "杭州", "南京"}) {
    edit->Items()->Add(city);
    edit->KeyItems()->Add(IntToStr(key++));
  }
  edit->DropDownBox()->SetRows(4);
  edit->DropDownBox()->SetSizable(true);
  edit->EditButtons()->Add()->SetStyle(ebsEllipsisEh);
  edit->SetTextEh("上海");
  // An edit box with a spin and a plus button in the flat look.
  auto* historyEdit = new TDBEditEh(form);
  historyEdit->SetParent(form);
  historyEdit->SetBounds(190, 110, 150, 21);
  historyEdit->SetFlat(true);
  historyEdit->SetAlwaysShowBorder(true);
  historyEdit->EditButtons()->Add()->SetStyle(ebsUpDownEh);
  historyEdit->EditButtons()->Add()->SetStyle(ebsPlusEh);
  historyEdit->SetTextEh("张");
  form->Show();
  edit->SetFocus();
  Headless().ProcessMessages();
  Headless().Key(VK_DOWN, false, false, true);
  TPopupListboxEh* list = edit->PopupList();
  ASSERT_TRUE(edit->ListVisible());
  TPoint at;

  auto* history = new TMRUListboxEh(historyEdit);
  history->SetItemHeight(18);
  for (const char* name : {"张三", "张三丰", "张无忌", "张飞", "张良", "张衡"})
    history->Items()->Add(name);
  history->SetBounds(0, 0, 150, history->BorderHeight() + 4 * 18);
  at = FitDropDownToControl(historyEdit, history, 0);
  history->SetBounds(at.X, at.Y, history->Width(), history->Height());
  ShowPopup(history, at);
  history->UpdateScrollBar();

  auto* calc = new TPopupCalculatorEh(historyEdit);
  for (char k : AnsiString("12+3"))
    calc->HandleKey(k);
  ShowPopup(calc, historyEdit->ClientToScreen({160, -100}));
  auto* calendar = new TPopupMonthCalendarEh(edit);
  calendar->SetDate(EncodeDate(2026, 1, 15));
  calendar->SetToday(EncodeDate(2026, 1, 5));
  calendar->FitSize();
  ShowPopup(calendar, form->ClientToScreen({380, 180}));

  // A lookup grid over cities with the special row "(无)"; 上海 is the choice.
  TMemDataSet cities;
  cities.FieldDefs()->Add("ID", ftInteger);
  cities.FieldDefs()->Add("Name", ftString, 20);
  cities.CreateDataSet();
  Integer id = 0;
  for (const char* city : {"北京", "上海", "广州", "深圳", "杭州", "苏州"})
    cities.AppendRecord({Variant(++id), Variant(city)});
  cities.First();
  TDataSource citySource;
  citySource.SetDataSet(&cities);
  auto* lookup = new TDBLookupGridEh(form);
  lookup->SetParent(form);
  lookup->SetBounds(16, 210, 170, 100);
  lookup->SetAutoFitColWidths(true);
  lookup->SetShowTitles(true);
  lookup->SpecRow()->SetCellsText("0;(无)");
  lookup->SpecRow()->SetVisible(true);
  lookup->SetListSource(&citySource);
  lookup->SetKeyField("ID");
  lookup->SetListField("ID;Name");
  lookup->SetListFieldIndex(1);
  lookup->Columns()->Items(0)->Title()->SetCaption("编号");
  lookup->Columns()->Items(1)->Title()->SetCaption("城市");
  lookup->SetListRowCount(4);
  lookup->SetKeyValue(Variant(2));
  Headless().ProcessMessages();

  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  AnsiString file = (dir / "grid_editors.png").string();
  ASSERT_TRUE(Headless().SaveScreenshot(file));
  EXPECT_GT(std::filesystem::file_size(file), 2000u);

  auto shot = Headless().Screenshot();
  auto pixel = [&](TPoint p) { return shot->GetPixel(p.X, p.Y); };
  TRect chosen = list->ItemRect(1);
  EXPECT_EQ(pixel(list->ClientToScreen({100, (chosen.Top + chosen.Bottom) / 2})),
            ColorToRGB(clHighlight))
      << "the chosen city is highlighted";
  EXPECT_TRUE(history->ScrollBar()->Visible());
  EXPECT_FALSE(GetWindowLong(history->Handle(), GWL_STYLE) & WS_VSCROLL) << "one bar only";
  EXPECT_EQ(calc->EqualButton()->Caption(), "=");
  EXPECT_EQ(GetFocus(), edit->Handle()) << "no popup took the focus";
  TRect choice = lookup->CellRect(1, lookup->HeaderRowCount() + 1);
  EXPECT_EQ(pixel(lookup->ClientToScreen({choice.Right - 3, choice.Top + 2})),
            ColorToRGB(clHighlight))
      << "the lookup grid's choice is highlighted";
  EXPECT_EQ(lookup->Text(), "上海");
  delete form;
}
