// The cell editor's drop-downs driven by keys, the wheel and the focus: the month calendar
// of date columns, the calculator of number columns with a drop-down button, and the list
// of recently entered texts that drops down while the user types.
#include <cmath>

#include "controls/eh/CalculatorEh.h"
#include "controls/eh/DBLookupGridsEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhDropDowns : public GridEhTest {
protected:
  void SetUp() override
  {
    GridEhTest::SetUp();
    MakeGrid();
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  // Opens the editor on a column of the current record.
  TDBGridInplaceEdit* Edit(const char* Column)
  {
    Grid->SelectDataColumn(Col(Column)->Index());
    Grid->ShowEditor();
    Headless().ProcessMessages();
    return Grid->CellEditor();
  }
  void Key(Word Vk, bool Shift = false, bool Ctrl = false, bool Alt = false)
  {
    Headless().Key(Vk, Shift, Ctrl, Alt);
    Headless().ProcessMessages();
  }
  TDateTime Born() { return Orders->FieldByName("Born")->AsDateTime(); }
};

} // namespace

TEST_F(GridEhDropDowns, TheCalendarPicksADateWithKeysAndTheWheel)
{
  TDBGridInplaceEdit* editor = Edit("Born");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->EditStyle(), cesDate);
  Key(VK_F4);
  ASSERT_TRUE(editor->ListVisible());
  TPopupMonthCalendarEh* calendar = editor->Calendar();
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(editor->ActiveList(), calendar);
  EXPECT_TRUE(IsWindowVisible(calendar->Handle()));
  EXPECT_EQ(calendar->Date(), EncodeDate(1980, 1, 2)) << "opens on the cell's date";
  EXPECT_EQ(GetFocus(), editor->Handle()) << "the editor keeps the focus";
  TRect e, c;
  GetWindowRect(editor->Handle(), e);
  GetWindowRect(calendar->Handle(), c);
  EXPECT_EQ(c.Top, e.Bottom) << "under the editor";
  // Arrows go to the calendar; the wheel over the grid too.
  Key(VK_RIGHT);
  Key(VK_DOWN);
  EXPECT_EQ(calendar->Date(), EncodeDate(1980, 1, 10));
  Headless().Wheel(-1, Grid->ClientToScreen({50, 50}));
  Headless().ProcessMessages();
  EXPECT_EQ(calendar->Date(), EncodeDate(1980, 1, 11));
  EXPECT_TRUE(editor->ListVisible());
  // Enter takes it: the field holds the date, the editor shows it.
  Key(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_FALSE(IsWindowVisible(calendar->Handle()));
  EXPECT_EQ(Orders->State(), dsEdit);
  EXPECT_EQ(Born(), EncodeDate(1980, 1, 11));
  EXPECT_EQ(editor->Text(), DateToStr(EncodeDate(1980, 1, 11)));

  // Esc leaves the date as it was; Alt+Down opens as F4 does.
  EXPECT_TRUE(Grid->EditorMode()) << "the Enter that closed the calendar stays there";
  Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(editor->ListVisible());
  Key(VK_RIGHT);
  Key(VK_ESCAPE);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(Born(), EncodeDate(1980, 1, 11));
}

TEST_F(GridEhDropDowns, TheCalendarOpensOnTodayOrTheFieldsDateForTextsThatAreNoDates)
{
  struct TCase {
    const char* Name;
    const char* Text;
    TDateTime Expected;
  };
  const TCase cases[] = {
      {"a date", "2001-02-03", EncodeDate(2001, 2, 3)},
      {"empty", "", std::floor(Date())},
      {"no date", "abc", EncodeDate(1980, 1, 2)},
  };
  TDBGridInplaceEdit* editor = Edit("Born");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    editor->SetText(c.Text);
    editor->OpenDropDown();
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(editor->Calendar()->Date(), c.Expected);
    editor->CloseDropDown(false);
  }
}

TEST_F(GridEhDropDowns, TheCalendarClosesWhenTheFocusLeaves)
{
  auto* other = new TEdit(Form);
  other->SetBounds(0, 205, 100, 20);
  other->SetParent(Form);
  TDBGridInplaceEdit* editor = Edit("Born");
  Key(VK_F4);
  ASSERT_TRUE(editor->ListVisible());
  Key(VK_RIGHT);
  other->SetFocus();
  Headless().ProcessMessages();
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_FALSE(IsWindowVisible(editor->Calendar()->Handle()));
  EXPECT_EQ(Born(), EncodeDate(1980, 1, 2)) << "closed without taking the date";
}

TEST_F(GridEhDropDowns, TheCalculatorComputesAndHandsOverItsResult)
{
  Col("Qty")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* editor = Edit("Qty");
  EXPECT_EQ(editor->EditStyle(), cesDropDown);
  Key(VK_F4);
  ASSERT_TRUE(editor->ListVisible());
  TPopupCalculatorEh* calc = editor->Calculator();
  ASSERT_NE(calc, nullptr);
  EXPECT_EQ(editor->ActiveList(), calc);
  EXPECT_EQ(calc->DisplayNumber(), 5) << "starts from the cell's number";
  Headless().Type("*3");
  Headless().ProcessMessages();
  EXPECT_EQ(editor->Text(), "5") << "typed characters go to the calculator";
  // The first Enter computes, the second hands the result over.
  Key(VK_RETURN);
  EXPECT_TRUE(editor->ListVisible());
  EXPECT_EQ(calc->DisplayNumber(), 15);
  Key(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "15");
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("Qty")->AsInteger(), 15);

  // Esc closes without a value; a read-only column opens but never writes.
  Key(VK_F4);
  Headless().Type("+1");
  Key(VK_ESCAPE);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "15");
}

TEST_F(GridEhDropDowns, RecentTextsDropDownWhileTyping)
{
  TMRUListEh* mru = Col("City")->MRUList();
  mru->SetActive(true);
  mru->Items()->SetText("Harbin\nHangzhou\nBeijing");
  TDBGridInplaceEdit* editor = Edit("City");
  editor->SelectAll();
  Headless().Type("H");
  Headless().ProcessMessages();
  ASSERT_TRUE(editor->MruListVisible());
  TMRUListboxEh* list = editor->MruListBox();
  ASSERT_EQ(list->Items()->Count(), 2);
  EXPECT_GE(list->Items()->IndexOf("Hangzhou"), 0);
  EXPECT_GE(list->Items()->IndexOf("Harbin"), 0);
  EXPECT_TRUE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(GetFocus(), editor->Handle());
  Headless().Type("an");
  Headless().ProcessMessages();
  ASSERT_TRUE(editor->MruListVisible());
  EXPECT_EQ(list->Items()->Count(), 1);
  // Down chooses in the list, Enter takes the text.
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(editor->MruListVisible());
  EXPECT_EQ(editor->Text(), "Hangzhou");
  EXPECT_EQ(Orders->State(), dsEdit);
  // Storing the cell remembers its text (newest last).
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("City")->AsString(), "Hangzhou");
  EXPECT_EQ(mru->Items()->Strings(mru->Items()->Count() - 1), "Hangzhou");

  // Emptying the text closes the list; texts nothing matches close it too.
  editor = Edit("City");
  editor->SelectAll();
  Headless().Type("B");
  Headless().ProcessMessages();
  ASSERT_TRUE(editor->MruListVisible());
  Key(VK_BACK);
  EXPECT_EQ(editor->Text(), "");
  EXPECT_FALSE(editor->MruListVisible());
  Headless().Type("Q");
  Headless().ProcessMessages();
  EXPECT_FALSE(editor->MruListVisible());
}

TEST_F(GridEhDropDowns, ALookupCellChoosesFromItsListDataset)
{
  TDBGridInplaceEdit* editor = Edit("Country");
  ASSERT_EQ(editor->EditStyle(), cesDataList);
  EXPECT_EQ(editor->Text(), "North");
  Key(VK_F4);
  ASSERT_TRUE(editor->ListVisible());
  TPopupDataGridEh* list = editor->DataList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list, Col("Country")->DropDownGrid()) << "the column's list";
  EXPECT_TRUE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(VarToStr(list->KeyValue()), "1") << "on the cell's key";
  EXPECT_EQ(list->ListRowCount(), 4) << "as many rows as the list has records";
  // Keys choose in the list while the editor keeps the focus; Esc puts the text back.
  Key(VK_DOWN);
  EXPECT_EQ(VarToStr(list->KeyValue()), "2");
  EXPECT_EQ(editor->Text(), "South");
  EXPECT_EQ(GetFocus(), editor->Handle());
  Key(VK_ESCAPE);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "North");
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 1);
  // Enter takes the chosen record's key; posting stores it.
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "East");
  EXPECT_TRUE(Grid->EditorMode());
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 3);
  EXPECT_EQ(Orders->FieldByName("Country")->AsString(), "East");

  // A click on a row takes that row.
  editor = Edit("Country");
  Key(VK_F4);
  ASSERT_TRUE(editor->ListVisible());
  TRect r = list->CellRect(list->DataToRawColumn(0), list->HeaderRowCount() + 3);
  Headless().Advance(1000);
  Headless().Click(list->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}));
  Headless().ProcessMessages();
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "West");
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 4);
}

// ---- Completion of typed and pasted texts ----

namespace {

class GridEhCompletion : public GridEhDropDowns {
protected:
  void SetUp() override
  {
    GridEhDropDowns::SetUp();
    TColumnEh* flag = Col("Flag");
    flag->PickList()->SetText("Yes\nNo\nMaybe");
    flag->KeyList()->SetText("Y\nN"); // "Maybe" has no key
    Col("City")->PickList()->SetText("Harbin\nHangzhou\nBeijing");
  }
  void Paste(TDBGridInplaceEdit* Editor, const char* Text)
  {
    Clipboard()->SetAsText(Text);
    Key('V', false, true);
    (void)Editor;
  }
  std::pair<Integer, Integer> Selection(TDBGridInplaceEdit* Editor)
  {
    return {Editor->SelStart(), Editor->SelLength()};
  }
};

} // namespace

TEST_F(GridEhCompletion, AKeyListCellTakesOnlyTextsOfItsKeyedEntries)
{
  ASSERT_EQ(Col("Flag")->Kind(), ckKeyList);
  TDBGridInplaceEdit* editor = Edit("Flag");
  EXPECT_EQ(editor->Text(), "Yes");
  editor->SelectAll();
  Headless().Type("n");
  EXPECT_EQ(editor->Text(), "No");
  EXPECT_EQ(Selection(editor), std::make_pair(1, 1)) << "the completed rest selected";
  Headless().Type("x");
  EXPECT_EQ(editor->Text(), "No") << "a character no entry continues with is swallowed";
  editor->SelectAll();
  Headless().Type("m");
  EXPECT_EQ(editor->Text(), "No") << "an entry without a key is never completed";
  // Backspace only moves left: the cell never holds a part of an entry.
  editor->SetSelStart(2);
  Key(VK_BACK);
  EXPECT_EQ(editor->Text(), "No");
  EXPECT_EQ(Selection(editor), std::make_pair(1, 0));
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "N") << "the entry's key is stored";

  // The whole text deleted clears the key; a partial Delete does nothing.
  editor = Edit("Flag");
  editor->SetSelStart(1);
  Key(VK_DELETE);
  EXPECT_EQ(editor->Text(), "No");
  editor->SelectAll();
  Key(VK_DELETE);
  EXPECT_EQ(editor->Text(), "");
  Key(VK_RETURN);
  EXPECT_TRUE(Orders->FieldByName("Flag")->IsNull());

  // An open list follows the typed text.
  editor = Edit("Flag");
  Key(VK_F4);
  ASSERT_TRUE(editor->ListVisible());
  Headless().Type("y");
  EXPECT_EQ(editor->Text(), "Yes");
  EXPECT_EQ(editor->PickList()->ItemIndex(), 0);
  Key(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "Y");
}

TEST_F(GridEhCompletion, APickListCellCompletesButTakesFreeText)
{
  TDBGridInplaceEdit* editor = Edit("City");
  editor->SelectAll();
  Headless().Type("ha");
  EXPECT_EQ(editor->Text(), "Harbin");
  EXPECT_EQ(Selection(editor), std::make_pair(2, 4));
  Headless().Type("n");
  EXPECT_EQ(editor->Text(), "Hangzhou") << "the next entry the longer prefix begins";
  Headless().Type("q");
  EXPECT_EQ(editor->Text(), "Hanq") << "free text replaces the completed rest";
  Key(VK_BACK);
  EXPECT_EQ(editor->Text(), "Han");
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("City")->AsString(), "Han");
}

TEST_F(GridEhCompletion, NotInListTextsGoIntoAKeyListCellWithoutAKey)
{
  Integer asked = 0;
  Col("Flag")->OnNotInList = [&](TObject*, AnsiString, bool& Recheck) {
    ++asked;
    Recheck = false;
  };
  TDBGridInplaceEdit* editor = Edit("Flag");
  editor->SelectAll();
  Headless().Type("q");
  EXPECT_EQ(editor->Text(), "q");
  EXPECT_EQ(Selection(editor), std::make_pair(1, 0));
  Key(VK_RETURN);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(Orders->FieldByName("Flag")->IsNull()) << "no key names the text";
}

TEST_F(GridEhCompletion, PastedTextCompletesInListCellsAndPastesNormallyElsewhere)
{
  // Key list: the pasted text completes; a text no entry begins changes nothing.
  TDBGridInplaceEdit* editor = Edit("Flag");
  editor->SelectAll();
  Paste(editor, "n");
  EXPECT_EQ(editor->Text(), "No");
  EXPECT_EQ(Selection(editor), std::make_pair(1, 1));
  editor->SelectAll();
  Paste(editor, "zz");
  EXPECT_EQ(editor->Text(), "No");
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "N");

  // Lookup: the record's text and key; the text before the selection counts.
  editor = Edit("Country");
  editor->SelectAll();
  Paste(editor, "we");
  EXPECT_EQ(editor->Text(), "West");
  EXPECT_EQ(Selection(editor), std::make_pair(2, 2));
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 4);

  // A plain pick-list cell pastes as any edit does.
  editor = Edit("City");
  editor->SelectAll();
  Paste(editor, "Ha");
  EXPECT_EQ(editor->Text(), "Ha");
}

TEST_F(GridEhDropDowns, CtrlFInTheCellEditorSearchesAsInTheGrid)
{
  static Integer opened = 0;
  static AnsiString text;
  opened = 0;
  TExecuteDBGridEhFindDialogProc saved = ExecuteDBGridEhFindDialogProc;
  ExecuteDBGridEhFindDialogProc = [](TCustomDBGridEh*, const AnsiString& Text, bool) {
    ++opened;
    text = Text;
  };
  TScopeExit reset([&] { ExecuteDBGridEhFindDialogProc = saved; });
  // The find dialog opens with the cell's text.
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxFindDialogEh} -
                      TDBGridEhExtOptions{dgxIncSearchEh});
  TDBGridInplaceEdit* editor = Edit("Name");
  ASSERT_EQ(editor->Text(), "Cab");
  Key('F', false, true);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(text, "Cab");
  EXPECT_EQ(editor->Text(), "Cab") << "the key is not the edit's";

  // With the incremental search, Ctrl+F leaves the cell for a search the grid's keys drive.
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxIncSearchEh});
  editor = Edit("Name");
  Key('F', false, true);
  EXPECT_TRUE(Grid->IncSearchActive());
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(GetFocus(), Grid->Handle());
  Headless().Type("de");
  Headless().ProcessMessages();
  EXPECT_EQ(Orders->FieldByName("Name")->AsString(), "Delta");
  EXPECT_EQ(opened, 1);
  // A second Ctrl+F turns the search into the find dialog.
  Key('F', false, true);
  EXPECT_FALSE(Grid->IncSearchActive());
  EXPECT_EQ(opened, 2);
}

TEST_F(GridEhDropDowns, TheUpDownButtonStepsTheCellsValue)
{
  Col("Qty")->SetButtonStyle(cbsUpDown);
  Col("Flag")->SetButtonStyle(cbsUpDown);
  Col("Flag")->PickList()->SetText("Yes\nNo");
  Col("Flag")->KeyList()->SetText("Y\nN");
  auto press = [&](const char* Column, bool Lower) {
    TRect r = Grid->CellRect(Grid->DataToRawColumn(Col(Column)->Index()), Grid->Row());
    Integer y = Lower ? r.Bottom - 3 : r.Top + 3;
    Headless().Advance(1000);
    Headless().Click(Grid->ClientToScreen({r.Right - 3, y}));
    Headless().ProcessMessages();
  };
  Grid->SelectDataColumn(Col("Qty")->Index());
  press("Qty", false);
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_EQ(Grid->CellEditor()->EditStyle(), cesUpDown);
  EXPECT_EQ(Orders->FieldByName("Qty")->AsInteger(), 6) << "the top half counts up";
  EXPECT_EQ(Grid->CellEditor()->Text(), "6");
  press("Qty", true);
  press("Qty", true);
  EXPECT_EQ(Orders->FieldByName("Qty")->AsInteger(), 4);
  // A typed text is stored before the step.
  TDBGridInplaceEdit* editor = Grid->CellEditor();
  editor->SelectAll();
  Headless().Type("20");
  press("Qty", false);
  EXPECT_EQ(Orders->FieldByName("Qty")->AsInteger(), 21);
  EXPECT_EQ(editor->Text(), "21");
  // A number column steps by its Increment.
  Col("Price")->SetButtonStyle(cbsUpDown);
  Col("Price")->SetIncrement(0.25);
  Grid->SelectDataColumn(Col("Price")->Index());
  press("Price", false);
  EXPECT_DOUBLE_EQ(Orders->FieldByName("Price")->AsFloat(), 1.75);
  press("Price", true);
  press("Price", true);
  EXPECT_DOUBLE_EQ(Orders->FieldByName("Price")->AsFloat(), 1.25);
  // In a key-list cell the top half goes to the previous entry.
  Grid->SelectDataColumn(Col("Flag")->Index());
  press("Flag", true);
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "N");
  press("Flag", false);
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "Y");
}

TEST_F(GridEhDropDowns, TheColumnsEditButtonsSitInTheCellEditor)
{
  TColumnEh* name = Col("Name");
  Integer plainWidth = name->EditButtonsWidth();
  TEditButtonEh* first = name->EditButtons()->Add();
  first->SetStyle(ebsEllipsisEh);
  first->SetShortCut(ShortCut(VK_F8, {}));
  Integer clicks = 0;
  first->OnClick = [&](TObject*, bool&) { ++clicks; };
  TEditButtonEh* hidden = name->EditButtons()->Add();
  hidden->SetVisible(false);
  TEditButtonEh* last = name->EditButtons()->Add();
  last->SetWidth(20);
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(menu);
  item->SetCaption("复制");
  menu->Items()->Add(item);
  Integer popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  last->SetDropdownMenu(menu);
  EXPECT_EQ(name->EditButtonsWidth(), plainWidth + Grid->EditButtonWidth() + 20)
      << "the cell's text leaves room for the visible buttons";

  TDBGridInplaceEdit* editor = Edit("Name");
  ASSERT_EQ(editor->ExtraButtonCount(), 2) << "only the visible buttons";
  TEditButtonControlEh* b1 = editor->ExtraButton(0);
  TEditButtonControlEh* b2 = editor->ExtraButton(1);
  EXPECT_EQ(b2->Left(), editor->ClientWidth() - 20) << "the last button outermost";
  EXPECT_EQ(b1->Left(), b2->Left() - Grid->EditButtonWidth());
  EXPECT_EQ(b1->Style(), ebsEllipsisEh);
  TRect format;
  SendMessage(editor->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_LE(format.Right, b1->Left()) << "the text ends before the buttons";

  // A click fires the button's OnClick; the editor keeps the focus and its text.
  auto centre = [](TControl* c) { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); };
  Headless().Advance(1000);
  Headless().Click(centre(b1));
  Headless().ProcessMessages();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetFocus(), editor->Handle());
  EXPECT_TRUE(Grid->EditorMode());
  // Its shortcut presses and clicks it.
  Key(VK_F8);
  EXPECT_EQ(clicks, 2);

  // A press opens the menu; the press that closes it does not open it again.
  TPoint at = centre(b2);
  Headless().QueueStep([&] { Headless().Click(at); });
  Headless().Advance(1000);
  Headless().Click(at);
  Headless().ProcessMessages();
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu->PopupComponent(), b2);
  EXPECT_EQ(b2->State(), bsUp) << "the button was let go";
  Headless().QueueStep([&] { Headless().Key(VK_ESCAPE); });
  Headless().Advance(1000);
  Headless().Click(at);
  Headless().ProcessMessages();
  EXPECT_EQ(popups, 2);

  // Another cell without buttons has none.
  editor = Edit("City");
  EXPECT_EQ(editor->ExtraButtonCount(), 0);
}

TEST_F(GridEhDropDowns, TheMainButtonsPressAndClickReachTheGridAndTheColumn)
{
  TColumnEh* city = Col("City");
  city->SetButtonStyle(cbsEllipsis);
  Integer gridClicks = 0, columnClicks = 0, downs = 0;
  bool handleDown = false;
  Grid->OnEditButtonClick = [&](TObject*) { ++gridClicks; };
  city->OnEditButtonClick = [&](TObject*, bool&) { ++columnClicks; };
  city->OnEditButtonDown = [&](TObject*, bool, bool&, bool& Handled) {
    ++downs;
    Handled = handleDown;
  };
  auto pressButton = [&](const char* Column) {
    TRect r = Grid->CellRect(Grid->DataToRawColumn(Col(Column)->Index()), Grid->Row());
    Headless().Advance(1000);
    Headless().Click(Grid->ClientToScreen({r.Right - 3, (r.Top + r.Bottom) / 2}));
    Headless().ProcessMessages();
  };
  Grid->SelectDataColumn(city->Index());
  pressButton("City");
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(gridClicks, 1);
  EXPECT_EQ(columnClicks, 1);
  // Ctrl+Enter clicks it from the keyboard; its line feed does not go into the text.
  TDBGridInplaceEdit* editor = Grid->CellEditor();
  ASSERT_NE(editor, nullptr);
  AnsiString text = editor->Text();
  Key(VK_RETURN, false, true);
  EXPECT_EQ(gridClicks, 2);
  EXPECT_EQ(columnClicks, 2);
  EXPECT_EQ(editor->Text(), text);

  // A pick list opens with the press; its click does not close it, the next one does.
  city->SetButtonStyle(cbsAuto);
  city->PickList()->SetText("Harbin\nBeijing");
  Edit("Name");
  editor = Edit("City");
  pressButton("City");
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(editor->EditStyle(), cesPickList);
  EXPECT_TRUE(editor->ListVisible());
  EXPECT_EQ(columnClicks, 3);
  EXPECT_EQ(gridClicks, 2) << "only ellipsis and drop-down buttons click the grid";
  pressButton("City");
  EXPECT_EQ(downs, 3);
  EXPECT_EQ(columnClicks, 4);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), text) << "closed without taking an entry";
  // A handled press opens nothing.
  handleDown = true;
  pressButton("City");
  EXPECT_FALSE(editor->ListVisible());
}
