// The list view in icon view: cells wrap at the client's width, a click or the arrow keys
// select (OnSelectItem tells of the old item and the new), a double click reaches
// OnDblClick, and deleting the selected item leaves nothing selected.
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

using ListViewControl = UiTest;

TEST_F(ListViewControl, IconsWrapAndAreSelected)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(40, 40, 400, 300);
  auto* view = new TListView(form);
  view->SetBounds(10, 10, 250 + 4 + GetSystemMetrics(SM_CXVSCROLL), 200);
  view->SetParent(form);
  for (Integer i = 0; i < 7; ++i) {
    TListItem* item = view->Items()->Add();
    item->SetCaption("模板" + IntToStr(i));
    item->SetData(reinterpret_cast<void*>(static_cast<NativeInt>(i + 100)));
  }
  std::vector<AnsiString> events;
  view->OnSelectItem = [&](TObject*, TListItem* item, bool selected) {
    events.push_back(item->Caption() + (selected ? "+" : "-"));
  };
  Integer dbl = 0;
  view->OnDblClick = [&](TObject*) { ++dbl; };
  form->Show();
  Headless().ProcessMessages();

  // 250 pixels hold three 75-pixel cells; the fourth item starts the second row.
  EXPECT_EQ(view->ItemRect(3).Left, 0);
  EXPECT_EQ(view->ItemRect(3).Top, view->ItemRect(0).Bottom);
  EXPECT_EQ(view->ItemRect(2).Left, 150);
  TRect r4 = view->ItemRect(4);
  EXPECT_EQ(view->GetItemAt(r4.Left + 5, r4.Top + 5), view->Items()->Item(4));

  Headless().Click(view->ClientToScreen({r4.Left + 37, r4.Top + 20}));
  EXPECT_EQ(view->ItemIndex(), 4);
  Headless().Key(VK_UP);
  EXPECT_EQ(view->ItemIndex(), 1) << "Up goes a row of icons back";
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(view->Selected()->Data(), reinterpret_cast<void*>(102));
  Headless().Key(VK_END);
  EXPECT_EQ(view->ItemIndex(), 6);
  Headless().DoubleClick(view->ClientToScreen({r4.Left + 37, r4.Top + 20}));
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(view->ItemIndex(), 4);
  EXPECT_EQ(events, (std::vector<AnsiString>{"模板4+", "模板4-", "模板1+", "模板1-", "模板2+",
                                             "模板2-", "模板6+", "模板6-", "模板4+"}));
  view->Selected()->Delete();
  EXPECT_EQ(view->Selected(), nullptr);
  EXPECT_EQ(events.back(), "模板4-");
  EXPECT_EQ(view->Items()->Count(), 6);
  EXPECT_THROW(view->Items()->Item(6), EListError);
  delete form;
}
