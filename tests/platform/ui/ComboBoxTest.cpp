// The combo box in each style, picked from with the mouse and the keyboard; its events, its
// edit part and focus, owner drawing, and the hooks that place and watch its list.
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

struct TComboForm {
  TForm* Form;
  TComboBox* Combo;
  TEdit* Other;
  std::vector<AnsiString> Events;
  explicit TComboForm(TComboBoxStyle style, TRect bounds = Bounds(10, 10, 150, 21))
  {
    Form = new TForm(nullptr);
    Form->SetCaption("组合框");
    Form->SetBounds(100, 100, 400, 300);
    Combo = new TComboBox(Form);
    Combo->SetBoundsRect(bounds);
    Combo->SetStyle(style);
    Combo->SetParent(Form);
    Combo->Items()->SetText("北京\r\n上海\r\n广州\r\n深圳\r\n杭州");
    Other = new TEdit(Form);
    Other->SetBounds(200, 10, 100, 21);
    Other->SetParent(Form);
    Combo->OnChange = [this](TObject*) { Events.push_back("change:" + Combo->Text()); };
    Combo->OnClick = [this](TObject*) { Events.push_back("click"); };
    Combo->OnDropDown = [this](TObject*) { Events.push_back("drop"); };
    Combo->OnCloseUp = [this](TObject*) { Events.push_back("close"); };
    Form->Show();
    Headless().ProcessMessages();
  }
  ~TComboForm() { delete Form; }
  TPoint Button() { return Combo->ClientToScreen({Combo->ClientWidth() - 5, 8}); }
  TPoint ListItem(Integer index)
  {
    TCustomListBox* list = Combo->DropDownList();
    TRect r = list->ItemRect(index);
    return list->ClientToScreen({r.Left + 10, r.Top + r.Height() / 2});
  }
};

using TEvents = std::vector<AnsiString>;

} // namespace

using ComboBoxControl = UiTest;

TEST_F(ComboBoxControl, DropDownListPickedWithTheMouse)
{
  TComboForm f(csDropDownList);
  bool listShown = false;
  Headless().QueueStep([&] {
    listShown = f.Combo->DroppedDown() && IsWindowVisible(f.Combo->ListHandle());
    Headless().Click(f.ListItem(2));
  });
  Headless().Click(f.Button());
  EXPECT_TRUE(listShown) << "the press dropped the list and its release kept it open";
  EXPECT_FALSE(f.Combo->DroppedDown());
  EXPECT_EQ(f.Combo->ItemIndex(), 2);
  EXPECT_EQ(f.Combo->Text(), "广州");
  EXPECT_EQ(f.Events, (TEvents{"drop", "close", "click", "change:广州"}));
  EXPECT_TRUE(f.Combo->Focused());
  EXPECT_EQ(f.Form->ActiveControl(), f.Combo);

  // A press outside closes it without a choice.
  f.Events.clear();
  Headless().QueueStep([&] { Headless().Click(f.Form->ClientToScreen({300, 200})); });
  Headless().Click(f.Combo->ClientToScreen({10, 8}));
  EXPECT_EQ(f.Combo->ItemIndex(), 2);
  EXPECT_EQ(f.Events, (TEvents{"drop", "close"}));

  // Pressed on the button, dragged into the list and released there: chosen at once.
  f.Events.clear();
  Headless().QueueStep([&] {
    Headless().Move(f.ListItem(4));
    Headless().Release(hbLeft, f.ListItem(4));
  });
  Headless().Press(hbLeft, f.Button());
  EXPECT_EQ(f.Combo->Text(), "杭州");
}

TEST_F(ComboBoxControl, DropDownListWithTheKeyboard)
{
  TComboForm f(csDropDownList);
  f.Combo->SetFocus();
  Headless().Key(VK_DOWN);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(f.Combo->Text(), "上海");
  Headless().Key(VK_END);
  EXPECT_EQ(f.Combo->ItemIndex(), 4);
  Headless().Type("s");
  EXPECT_EQ(f.Combo->ItemIndex(), 4) << "no item starts with s";
  EXPECT_EQ(f.Events,
            (TEvents{"click", "change:北京", "click", "change:上海", "click", "change:杭州"}));
}

TEST_F(ComboBoxControl, KeysInTheDroppedList)
{
  TComboForm f(csDropDownList);
  f.Combo->Items()->SetText("apple\r\nbanana\r\ncherry\r\nblueberry");
  f.Combo->SetFocus();
  f.Events.clear();
  Headless().QueueStep([] {
    Headless().Key(VK_DOWN);
    Headless().Key(VK_DOWN);
    Headless().Key(VK_RETURN);
  });
  Headless().Key(VK_F4);
  EXPECT_EQ(f.Combo->Text(), "banana");
  EXPECT_FALSE(f.Combo->DroppedDown());
  Headless().QueueStep([] { Headless().Key(VK_ESCAPE); });
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_FALSE(f.Combo->DroppedDown()) << "Alt+Down opened it, Esc closed it";
  Headless().Type("b");
  EXPECT_EQ(f.Combo->Text(), "blueberry") << "the next item starting with b";
  Headless().Type("a");
  EXPECT_EQ(f.Combo->Text(), "banana") << "\"ba\" typed within the pause";
  Headless().Key(VK_DELETE);
  EXPECT_EQ(f.Combo->Text(), "banana") << "Delete changes nothing by itself";
}

TEST_F(ComboBoxControl, DropDownStyleEditsAndPassesEnterToTheForm)
{
  TComboForm f(csDropDown);
  TButton* ok = new TButton(f.Form);
  ok->SetBounds(10, 100, 75, 25);
  ok->SetDefault(true);
  Integer okClicks = 0;
  ok->OnClick = [&](TObject*) { ++okClicks; };
  ok->SetParent(f.Form);
  f.Combo->SetFocus();
  EXPECT_TRUE(f.Combo->Focused());
  EXPECT_NE(GetFocus(), f.Combo->Handle()) << "the edit part has the focus";
  Headless().Type("上海");
  EXPECT_EQ(f.Combo->Text(), "上海");
  EXPECT_EQ(f.Combo->ItemIndex(), 1) << "the typed text is an item";
  EXPECT_EQ(f.Events.back(), "change:上海");
  Headless().Key(VK_DOWN);
  EXPECT_EQ(f.Combo->Text(), "广州");
  Headless().Key(VK_RETURN);
  EXPECT_EQ(okClicks, 1) << "Enter goes to the form's default button";
  Headless().QueueStep([] { Headless().Key(VK_RETURN); });
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_EQ(okClicks, 1) << "while the list is open Enter only closes it";

  // AutoComplete fills in the rest of a matching item.
  f.Combo->SetText("");
  Headless().Type("深");
  EXPECT_EQ(f.Combo->Text(), "深圳");
  EXPECT_EQ(f.Combo->SelText(), "圳");
  f.Combo->SetAutoComplete(false);
  f.Combo->SetText("");
  Headless().Type("深");
  EXPECT_EQ(f.Combo->Text(), "深");
  Headless().Key(VK_TAB);
  EXPECT_TRUE(f.Other->Focused());
  EXPECT_FALSE(f.Combo->Focused());
}

TEST_F(ComboBoxControl, SimpleStyleShowsItsList)
{
  TComboForm f(csSimple, Bounds(10, 10, 150, 120));
  TCustomListBox* list = f.Combo->DropDownList();
  EXPECT_TRUE(IsWindowVisible(f.Combo->ListHandle()));
  EXPECT_GT(list->Top(), f.Combo->EditPart()->Top());
  Headless().Click(list->ClientToScreen({10, list->ItemRect(3).Top + 3}));
  EXPECT_EQ(f.Combo->Text(), "深圳");
  EXPECT_EQ(f.Events, (TEvents{"click", "change:深圳"}));
}

namespace {

// A combo that places and frames its list as a library's flat combo does.
class THookedCombo : public TComboBox {
public:
  using TComboBox::TComboBox;
  Integer NcPaints = 0;
  Integer TopIndexRequests = 0;
  bool WentUp = false;

protected:
  void AdjustDropDown(TRect& Bounds) override
  {
    Bounds.Right = Bounds.Left + 300;
    WentUp = DroppedUp();
  }
  void ListWndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_NCPAINT)
      ++NcPaints;
    if (Message.Msg == LB_SETTOPINDEX) {
      ++TopIndexRequests;
      return;
    }
    TComboBox::ListWndProc(Message);
  }
};

} // namespace

TEST_F(ComboBoxControl, HooksPlaceAndWatchTheList)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 600, 400, 160);
  auto* combo = new THookedCombo(form);
  combo->SetBounds(10, 100, 150, 21);
  combo->SetParent(form);
  for (Integer i = 0; i < 20; ++i)
    combo->Items()->Add("第" + std::to_string(i) + "项");
  form->Show();
  TRect listRect;
  bool up = false;
  Headless().QueueStep([&] {
    GetWindowRect(combo->ListHandle(), listRect);
    up = combo->WentUp;
    SendMessage(combo->ListHandle(), LB_SETTOPINDEX, 5, 0);
    Headless().Key(VK_ESCAPE);
  });
  combo->SetDroppedDown(true);
  Headless().ProcessMessages();
  EXPECT_TRUE(up) << "near the bottom of the screen the list opens above";
  EXPECT_EQ(listRect.Width(), 300);
  EXPECT_LE(listRect.Bottom, combo->ClientToScreen({0, 0}).Y);
  EXPECT_GT(combo->NcPaints, 0) << "the list's frame painting passes the hook";
  EXPECT_EQ(combo->TopIndexRequests, 1);
  EXPECT_EQ(combo->DropDownList()->TopIndex(), 0) << "the hook refused it";
  delete form;
}

TEST_F(ComboBoxControl, OwnerDrawnItemsAndFace)
{
  TComboForm f(csOwnerDrawVariable);
  std::vector<std::pair<Integer, bool>> drawn;
  f.Combo->OnMeasureItem = [](TWinControl*, Integer index, Integer& h) { h = 20 + index; };
  f.Combo->OnDrawItem = [&](TWinControl* c, Integer index, TRect r, TOwnerDrawState state) {
    EXPECT_EQ(c, f.Combo);
    drawn.push_back({index, state.Contains(odComboBoxEdit)});
    f.Combo->Canvas()->Brush()->SetColor(clLime);
    f.Combo->Canvas()->FillRect(r);
  };
  f.Combo->Items()->SetText("甲\r\n乙\r\n丙");
  f.Combo->SetItemIndex(1);
  f.Combo->Invalidate();
  Headless().ProcessMessages();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), std::make_pair(1, true)) << "the face shows the chosen item";
  EXPECT_EQ(Headless().ScreenPixel(f.Combo->ClientToScreen({20, 8})), ColorToRGB(clLime));
  drawn.clear();
  Headless().QueueStep([&] {
    Headless().ProcessMessages();
    EXPECT_EQ(f.Combo->DropDownList()->ItemRect(2).Height(), 22);
    Headless().Key(VK_ESCAPE);
  });
  Headless().Click(f.Button());
  bool listItem = false;
  for (auto [index, face] : drawn)
    listItem |= !face;
  EXPECT_TRUE(listItem) << "the list's items are drawn by the combo's OnDrawItem";
}
