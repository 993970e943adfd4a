// The list box: items and the LB_ messages, mouse tracking and keys in each selection mode,
// owner drawing of fixed and variable items, virtual lists and columns.
#include "platform/rtl/SysUtils.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

struct TListForm {
  TForm* Form;
  TListBox* List;
  Integer Clicks = 0;
  explicit TListForm(TListBoxStyle style = lbStandard)
  {
    Form = new TForm(nullptr);
    Form->SetCaption("列表");
    Form->SetBounds(50, 50, 400, 300);
    List = new TListBox(Form);
    List->SetBounds(10, 10, 150, 100);
    List->SetStyle(style);
    List->SetParent(Form);
    List->OnClick = [this](TObject*) { ++Clicks; };
  }
  ~TListForm() { delete Form; }
  void Fill(Integer n)
  {
    List->Items()->BeginUpdate();
    for (Integer i = 0; i < n; ++i)
      List->Items()->Add("项目" + IntToStr(i));
    List->Items()->EndUpdate();
  }
  void Show()
  {
    Form->Show();
    Headless().ProcessMessages();
  }
  TPoint ItemPoint(Integer index)
  {
    TRect r = List->ItemRect(index);
    return List->ClientToScreen({r.Left + 5, r.Top + r.Height() / 2});
  }
};

} // namespace

using ListBoxControl = UiTest;

TEST_F(ListBoxControl, ItemsAndListBoxMessages)
{
  TListForm f;
  f.Show();
  HWND h = f.List->Handle();
  EXPECT_EQ(SendMessage(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("顺丰")), 0);
  EXPECT_EQ(SendMessage(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("EMS")), 1);
  EXPECT_EQ(SendMessage(h, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("圆通")), 0);
  EXPECT_EQ(f.List->Items()->Count(), 3);
  EXPECT_EQ(f.List->Items()->Strings(2), "EMS");
  char buffer[32];
  EXPECT_EQ(SendMessage(h, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 4);
  EXPECT_STREQ(buffer, "顺丰");
  EXPECT_EQ(SendMessage(h, LB_FINDSTRING, -1, reinterpret_cast<LPARAM>("em")), 2)
      << "a prefix, case ignored";
  EXPECT_EQ(SendMessage(h, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("E")), LB_ERR);
  EXPECT_EQ(SendMessage(h, LB_GETTEXTLEN, 7, 0), LB_ERR);

  TObject marker;
  f.List->Items()->SetObjects(1, &marker);
  EXPECT_EQ(SendMessage(h, LB_GETITEMDATA, 1, 0), reinterpret_cast<LRESULT>(&marker));
  SendMessage(h, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(f.List->ItemIndex(), 1);
  f.List->Items()->Delete(0);
  EXPECT_EQ(f.List->ItemIndex(), 0) << "the selection moves with its item";
  EXPECT_EQ(f.List->Items()->Objects(0), &marker);
  EXPECT_EQ(f.Clicks, 0) << "code changes are not clicks";

  f.List->SetSorted(true);
  f.List->Items()->Add("AAA");
  EXPECT_EQ(f.List->Items()->Strings(0), "AAA");
  EXPECT_THROW(f.List->Items()->Strings(9), EStringListError);
  EXPECT_EQ(f.List->ItemAtPos({5, 200}, true), -1);
  EXPECT_EQ(f.List->ItemAtPos({5, 200}, false), 3);
}

TEST_F(ListBoxControl, MouseSelectionFollowsThePointerAndScrolls)
{
  TListForm f;
  f.Fill(30);
  f.Show();
  Headless().Click(f.ItemPoint(2));
  EXPECT_EQ(f.List->ItemIndex(), 2);
  EXPECT_EQ(f.Clicks, 1);
  Headless().Drag(f.ItemPoint(1), f.ItemPoint(4));
  EXPECT_EQ(f.List->ItemIndex(), 4) << "the selection followed the drag";
  EXPECT_EQ(f.Clicks, 2) << "one click when the button is released";

  // Held below the list, it scrolls on, one item a tick.
  TPoint below = f.List->ClientToScreen({20, f.List->ClientHeight() + 10});
  Headless().QueueStep([&] {
    Headless().Move(below);
    Headless().AdvanceAndProcess(500);
    Headless().Release(hbLeft, below);
  });
  Headless().Press(hbLeft, f.ItemPoint(3));
  EXPECT_GT(f.List->TopIndex(), 3);
  EXPECT_EQ(f.List->ItemIndex(),
            f.List->TopIndex() + f.List->ClientHeight() / f.List->ItemRect(0).Height() - 1)
      << "the last item in view";
  bool released = false;
  f.List->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) {
    released = true;
  };
  Headless().Click(f.ItemPoint(f.List->TopIndex()));
  EXPECT_TRUE(released) << "the control still hears the release";

  Integer doubles = 0;
  f.List->OnDblClick = [&](TObject*) { ++doubles; };
  Headless().Advance(1000);
  Headless().DoubleClick(f.ItemPoint(f.List->TopIndex() + 1));
  EXPECT_EQ(doubles, 1);
}

TEST_F(ListBoxControl, ExtendedAndMultipleSelection)
{
  TListForm f;
  f.Fill(10);
  f.List->SetMultiSelect(true);
  f.Show();
  Headless().Click(f.ItemPoint(1));
  Headless().KeyDown(VK_SHIFT);
  Headless().Click(f.ItemPoint(3));
  Headless().KeyUp(VK_SHIFT);
  EXPECT_EQ(f.List->SelCount(), 3);
  Headless().KeyDown(VK_CONTROL);
  Headless().Click(f.ItemPoint(2));
  Headless().KeyUp(VK_CONTROL);
  EXPECT_FALSE(f.List->Selected(2)) << "Ctrl toggles one item";
  EXPECT_EQ(f.List->SelCount(), 2);
  Headless().Key(VK_DOWN, true);
  Headless().Key(VK_DOWN, true);
  EXPECT_EQ(f.List->ItemIndex(), 4);
  EXPECT_EQ(f.List->SelCount(), 3) << "Shift+Down selects from the anchor (2) alone";
  Integer items[10];
  EXPECT_EQ(SendMessage(f.List->Handle(), LB_GETSELITEMS, 10, reinterpret_cast<LPARAM>(items)), 3);
  EXPECT_EQ(items[0], 2);

  f.List->SetExtendedSelect(false);
  f.List->ClearSelection();
  Headless().Click(f.ItemPoint(3));
  Headless().Click(f.ItemPoint(5));
  EXPECT_EQ(f.List->SelCount(), 2) << "simple multiple selection: each click toggles";
  Headless().Key(VK_SPACE);
  EXPECT_EQ(f.List->SelCount(), 1);
}

TEST_F(ListBoxControl, KeysAndIncrementalSearch)
{
  TListForm f;
  f.List->Items()->SetText("apple\r\napricot\r\nbanana\r\nblueberry\r\ncherry");
  f.Show();
  f.List->SetFocus();
  Headless().Key(VK_DOWN);
  EXPECT_EQ(f.List->ItemIndex(), 0);
  Headless().Key(VK_END);
  EXPECT_EQ(f.List->ItemIndex(), 4);
  Headless().Type("b");
  EXPECT_EQ(f.List->ItemIndex(), 2);
  Headless().Type("l");
  EXPECT_EQ(f.List->ItemIndex(), 3) << "\"bl\" within the pause";
  Headless().Advance(1500);
  Headless().Type("a");
  EXPECT_EQ(f.List->ItemIndex(), 0);
  Headless().Type("a");
  EXPECT_EQ(f.List->ItemIndex(), 1) << "the same letter again steps to the next";
  EXPECT_EQ(f.Clicks, 6);
}

TEST_F(ListBoxControl, OwnerDrawnItemsOfTheirOwnHeights)
{
  TListForm f(lbOwnerDrawVariable);
  f.List->OnMeasureItem = [](TWinControl*, Integer index, Integer& height) {
    height = index % 2 ? 30 : 18;
  };
  std::vector<std::pair<Integer, bool>> drawn;
  f.List->OnDrawItem = [&](TWinControl* c, Integer index, TRect r, TOwnerDrawState state) {
    drawn.push_back({index, state.Contains(odSelected)});
    auto* list = static_cast<TListBox*>(c);
    list->Canvas()->FillRect(r);
    list->Canvas()->TextOut(r.Left + 2, r.Top + 2, list->Items()->Strings(index));
  };
  Integer parentDrawItems = 0;
  TWndMethod old = f.Form->WindowProc;
  f.Form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_DRAWITEM)
      ++parentDrawItems;
    old(m);
  };
  f.Fill(6);
  f.List->SetItemIndex(1);
  f.Show();
  EXPECT_EQ(f.List->ItemRect(2).Top, 48);
  EXPECT_EQ(f.List->ItemRect(3).Height(), 30);
  EXPECT_EQ(f.List->ItemAtPos({5, 50}, true), 2);
  ASSERT_FALSE(drawn.empty());
  EXPECT_GT(parentDrawItems, 0) << "through the parent's WM_DRAWITEM";
  bool selectedSeen = false;
  for (auto [index, selected] : drawn)
    if (index == 1)
      selectedSeen = selected;
  EXPECT_TRUE(selectedSeen);
  EXPECT_EQ(Headless().ScreenPixel(f.List->ClientToScreen({100, 25})), ColorToRGB(clHighlight))
      << "a selected item's brush is the highlight";
  f.Form->WindowProc = old;
}

TEST_F(ListBoxControl, VirtualListsAndColumns)
{
  TListForm f(lbVirtual);
  Integer asked = 0;
  f.List->OnData = [&](TWinControl*, Integer index, AnsiString& data) {
    ++asked;
    data = "第" + IntToStr(index) + "行";
  };
  f.List->SetCount(10000);
  f.Show();
  EXPECT_EQ(f.List->Items()->Count(), 10000);
  EXPECT_LT(asked, 20) << "only the items shown are asked for";
  f.List->SetTopIndex(9000);
  EXPECT_EQ(f.List->ItemAtPos({5, 1}, true), 9000);
  EXPECT_EQ(f.List->Items()->Strings(9001), "第9001行");
  f.List->SetTopIndex(20000);
  EXPECT_LT(f.List->TopIndex(), 10000) << "kept so the last item ends the view";

  TListForm g;
  g.Fill(20);
  g.List->SetColumns(2);
  g.Show();
  Integer rows = g.List->ClientHeight() / g.List->ItemRect(0).Height();
  EXPECT_EQ(g.List->ItemRect(rows).Left, g.List->ClientWidth() / 2) << "the second column";
  g.List->SetFocus();
  Headless().Key(VK_DOWN);
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(g.List->ItemIndex(), rows) << "Right goes a column on";
}

TEST_F(ListBoxControl, CheckListBoxItemsAreCheckedByClickAndSpace)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(50, 50, 400, 300);
  auto* list = new TCheckListBox(form);
  list->SetBounds(10, 10, 300, 100);
  list->SetColumns(2);
  list->SetParent(form);
  list->Items()->SetText("收件人\r\n寄件人\r\n电话\r\n地址\r\n备注");
  list->SetChecked(3, true);
  list->SetItemEnabled(4, false);
  Integer checks = 0;
  list->OnClickCheck = [&](TObject*) { ++checks; };
  form->Show();
  Headless().ProcessMessages();
  EXPECT_EQ(list->ItemRect(0).Height(), 20);
  Integer rows = list->ClientHeight() / 20;
  EXPECT_EQ(list->ItemRect(rows).Left, list->ClientWidth() / 2) << "two columns";

  // The box of a checked item shows the mark.
  TRect r3 = list->ItemRect(3);
  TPoint mark = list->ClientToScreen({r3.Left + 2 + 4, r3.Top + (20 - 13) / 2 + 7});
  EXPECT_EQ(Headless().ScreenPixel(mark), ColorToRGB(clWindowText));

  TRect r1 = list->ItemRect(1);
  Headless().Click(list->ClientToScreen({r1.Left + 6, r1.Top + 10}));
  EXPECT_TRUE(list->Checked(1)) << "a click on the box checks";
  EXPECT_EQ(list->ItemIndex(), 1);
  Headless().Click(list->ClientToScreen({r1.Left + 60, r1.Top + 10}));
  EXPECT_TRUE(list->Checked(1)) << "a click on the text only selects";
  Headless().Key(VK_SPACE);
  EXPECT_FALSE(list->Checked(1)) << "Space toggles the focused item";
  TRect r4 = list->ItemRect(4);
  Headless().Click(list->ClientToScreen({r4.Left + 6, r4.Top + 10}));
  EXPECT_FALSE(list->Checked(4)) << "a disabled item keeps its state";
  list->SetAllowGrayed(true);
  Headless().Key(VK_UP);
  Headless().Key(VK_SPACE);
  EXPECT_EQ(list->State(3), cbGrayed) << "checked, then grayed";
  EXPECT_EQ(checks, 3);
  EXPECT_THROW(list->Checked(9), EListError);
  delete form;
}
