// The popup data grid under an edit that keeps the focus: the choice follows the pointer, a
// release ends it (accepting over a row, cancelling outside), column sizing inside neither
// closes it nor takes the focus, keys come from the owner, and its size limits and grip.
#include "controls/eh/DBLookupGridsEh.h"
#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class PopupDataGridEhTest : public GridEhTest {
protected:
  TEdit* Edit = nullptr;
  TPopupDataGridEh* Popup = nullptr;
  TDataSource* ListSrc = nullptr;
  struct TCloseUp {
    Integer Count = 0;
    bool Accept = false;
  } Closed;
  Integer UserChanges = 0;

  void SetUp() override
  {
    GridEhTest::SetUp();
    Form = new TForm(nullptr);
    Form->SetBounds(20, 20, 420, 300);
    Edit = new TEdit(Form);
    Edit->SetBounds(10, 10, 150, 21);
    Edit->SetParent(Form);
    Form->Show();
    Headless().ProcessMessages();
    Edit->SetFocus();
    ListSrc = new TDataSource();
    ListSrc->SetDataSet(Countries.get());
    Popup = new TPopupDataGridEh(Form);
    Popup->SetListSource(ListSrc);
    Popup->SetKeyField("ID");
    Popup->SetListField("Name");
    Popup->SetShowTitles(true);
    Popup->SetLookupOptions({dlgColLinesEh, dlgColumnResizeEh});
    Popup->OnMouseCloseUp = [this](TObject*, bool Accept) {
      ++Closed.Count;
      Closed.Accept = Accept;
    };
    Popup->OnUserKeyValueChanged = [this](TObject*) { ++UserChanges; };
    // Shown as its owner shows it: at screen coordinates, without activation.
    HWND popup = Popup->Handle();
    Popup->SetBounds(40, 60, 200, 100);
    Popup->SetListRowCount(4);
    SetWindowPos(popup, HWND_TOPMOST, 40, 60, Popup->Width(), Popup->Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Headless().ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    delete ListSrc;
    GridEhTest::TearDown();
  }
  TPoint RowPoint(Integer DataRow)
  {
    TRect r = Popup->CellRect(0, Popup->HeaderRowCount() + DataRow);
    return Popup->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  void Pause() { Headless().Advance(1000); }
  bool EditHasFocus() { return GetFocus() == Edit->Handle(); }
  AnsiString Key() { return VarToStr(Popup->KeyValue()); }
};

} // namespace

TEST_F(PopupDataGridEhTest, AReleaseEndsTheChoiceOnlyAfterAPressInside)
{
  ASSERT_TRUE(EditHasFocus());
  // Press and release on a row: accepted, with that row chosen.
  Pause();
  Headless().Click(RowPoint(2));
  Headless().ProcessMessages();
  EXPECT_EQ(Closed.Count, 1);
  EXPECT_TRUE(Closed.Accept);
  EXPECT_EQ(Key(), "3");
  EXPECT_TRUE(EditHasFocus()) << "the popup never takes the focus";
  // Press inside, release outside the window: cancelled.
  Pause();
  Headless().Press(hbLeft, RowPoint(0));
  Headless().ProcessMessages();
  Headless().Release(hbLeft, {300, 400});
  Headless().ProcessMessages();
  EXPECT_EQ(Closed.Count, 2);
  EXPECT_FALSE(Closed.Accept);
  // Press inside, release over the titles: nothing.
  Pause();
  TRect title = Popup->CellRect(0, 0);
  Headless().Press(hbLeft, RowPoint(1));
  Headless().ProcessMessages();
  Headless().Release(hbLeft, Popup->ClientToScreen({title.Left + 5, title.Top + 3}));
  Headless().ProcessMessages();
  EXPECT_EQ(Closed.Count, 2);
  // A press outside (on the form) never reaches the popup.
  Pause();
  TPoint outside = Form->ClientToScreen({300, 250});
  Headless().Press(hbLeft, outside);
  Headless().ProcessMessages();
  Headless().Release(hbLeft, outside);
  Headless().ProcessMessages();
  EXPECT_EQ(Closed.Count, 2);
}

TEST_F(PopupDataGridEhTest, SizingAColumnInsideNeitherClosesNorTakesTheFocus)
{
  Popup->SetListField("ID;Name");
  Headless().ProcessMessages();
  ASSERT_EQ(Popup->Columns()->Count(), 2);
  Integer width = Popup->Columns()->Items(0)->Width();
  TRect title = Popup->CellRect(Popup->DataToRawColumn(0), 0);
  TPoint border = Popup->ClientToScreen({title.Right, title.Top + 3});
  Pause();
  Headless().Drag(border, {border.X + 12, border.Y});
  Headless().ProcessMessages();
  EXPECT_EQ(Closed.Count, 0);
  EXPECT_EQ(Popup->Columns()->Items(0)->Width(), width + 12);
  EXPECT_TRUE(EditHasFocus());
}

TEST_F(PopupDataGridEhTest, HoveringChoosesUnlessReadOnly)
{
  Pause();
  Headless().Move(RowPoint(3));
  Headless().ProcessMessages();
  EXPECT_EQ(Key(), "4");
  EXPECT_EQ(Popup->Text(), "West");
  EXPECT_EQ(UserChanges, 1);
  Headless().Move(RowPoint(1));
  Headless().ProcessMessages();
  EXPECT_EQ(Key(), "2");
  EXPECT_EQ(UserChanges, 2);
  // A key set by the program is no user action.
  Popup->SetKeyValue(Variant(3));
  EXPECT_EQ(UserChanges, 2);
  Popup->SetReadOnly(true);
  Headless().Move(RowPoint(0));
  Headless().ProcessMessages();
  EXPECT_EQ(Key(), "3");
  EXPECT_EQ(Closed.Count, 0);
}

TEST_F(PopupDataGridEhTest, TheOwnersKeysMoveTheChoice)
{
  Popup->SetKeyValue(Variant(1));
  Word key = VK_DOWN;
  Popup->HandleOwnerKey(key, {});
  EXPECT_EQ(Key(), "2");
  EXPECT_EQ(UserChanges, 1);
  key = VK_END;
  Popup->HandleOwnerKey(key, {});
  EXPECT_EQ(Key(), "4");
  EXPECT_TRUE(EditHasFocus());
}

TEST_F(PopupDataGridEhTest, SizeLimitsAndTheGrip)
{
  Popup->SetSizeGripResized(false);
  Popup->SetBounds(40, 60, 2, 2);
  EXPECT_EQ(Popup->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_GE(Popup->Height(), GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_TRUE(Popup->SizeGripResized());
  EXPECT_EQ(Popup->ListRowCount(), 1);
  // The grip sits in its corner and follows the drop-down's placement.
  Popup->SetBounds(40, 60, 200, 100);
  Headless().ProcessMessages();
  TSizeGripEh* grip = Popup->SizeGrip();
  EXPECT_EQ(grip->Corner(), gcBottomRight);
  EXPECT_EQ(grip->Left() + grip->Width(), Popup->ClientWidth());
  EXPECT_EQ(grip->Top() + grip->Height(), Popup->ClientHeight());
  SendMessage(Popup->Handle(), CM_GRIPMOVEEH, gmToTop, 0);
  EXPECT_EQ(grip->Corner(), gcTopRight);
  EXPECT_EQ(grip->Top(), 0);
  // The popup answers a mouse activation with "no activate".
  EXPECT_EQ(SendMessage(Popup->Handle(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
}

namespace {

class CellEditorDataList : public GridEhTest {
protected:
  TDBGridInplaceEdit* OpenCountryEditor(Integer RecNo)
  {
    MakeGrid();
    Grid->SetFocus();
    Orders->SetRecNo(RecNo);
    Grid->SelectDataColumn(Col("Country")->Index());
    Grid->ShowEditor();
    Headless().ProcessMessages();
    return Grid->CellEditor();
  }
  void Key(Word Vk, bool Alt = false, bool Ctrl = false)
  {
    Headless().Key(Vk, false, Ctrl, Alt);
    Headless().ProcessMessages();
  }
};

} // namespace

TEST_F(CellEditorDataList, ALookupColumnDropsDownItsListAndStoresTheChosenKey)
{
  TDBGridInplaceEdit* editor = OpenCountryEditor(1);
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(editor->EditStyle(), cesDataList);
  Key(VK_F4);
  TPopupDataGridEh* list = editor->DataList();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(VarToStr(list->KeyValue()), "1") << "the cell's key is the list's choice";
  EXPECT_EQ(list->ListRowCount(), 4) << "a short list shows all its records";
  EXPECT_EQ(GetFocus(), editor->Handle()) << "the editor keeps the focus";
  // Keys go to the list; the editor shows the chosen text.
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(VarToStr(list->KeyValue()), "3");
  EXPECT_EQ(editor->Text(), "East");
  Key(VK_RETURN);
  EXPECT_FALSE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(editor->Text(), "East");
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 3);
  EXPECT_EQ(Orders->FieldByName("Country")->AsString(), "East");
}

TEST_F(CellEditorDataList, EscapeLeavesTheCellAndAClickTakesTheRow)
{
  TDBGridInplaceEdit* editor = OpenCountryEditor(2);
  Key(VK_DOWN, true);
  TPopupDataGridEh* list = editor->DataList();
  ASSERT_TRUE(list && IsWindowVisible(list->Handle()));
  Key(VK_END, false, true);
  EXPECT_EQ(VarToStr(list->KeyValue()), "4") << "Ctrl+End goes to the list";
  Key(VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(editor->Text(), "South");
  EXPECT_EQ(Orders->State(), dsBrowse);
  // A click on the last row chooses it and closes the list.
  Key(VK_F4);
  ASSERT_TRUE(IsWindowVisible(list->Handle()));
  TRect r = list->CellRect(0, list->HeaderRowCount() + 3);
  Headless().Advance(1000);
  Headless().Click(list->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}));
  Headless().ProcessMessages();
  EXPECT_FALSE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(editor->Text(), "West");
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 4);
}

TEST_F(CellEditorDataList, TheListIsAsWideAsItsColumnsOrTheCellAndKeepsAUsersSize)
{
  TDBGridInplaceEdit* editor = OpenCountryEditor(1);
  TColumnEh* country = Col("Country");
  country->SetLookupDisplayFields("Name;ID");
  country->SetDropDownWidth(-1);
  Key(VK_F4);
  TPopupDataGridEh* list = editor->DataList();
  ASSERT_TRUE(list && IsWindowVisible(list->Handle()));
  ASSERT_EQ(list->Columns()->Count(), 2);
  Integer frame = list->Width() - list->ClientWidth();
  EXPECT_EQ(list->Width(), std::max(list->TotalColumnsWidth() + frame, editor->Width()));
  Key(VK_ESCAPE);
  // A width of 0 is the editor's; a user's resize is kept in the column.
  country->SetDropDownWidth(0);
  Key(VK_F4);
  EXPECT_EQ(list->Width(), editor->Width());
  list->SetBounds(list->Left(), list->Top(), editor->Width() + 40, list->Height());
  Key(VK_ESCAPE);
  EXPECT_EQ(country->DropDownWidth(), editor->Width() + 40);
}

TEST_F(CellEditorDataList, AnEditorFreedBeforeItsGridIsForgotten)
{
  TDBGridInplaceEdit* editor = OpenCountryEditor(1);
  Key(VK_F4);
  ASSERT_TRUE(editor->DataList() && IsWindowVisible(editor->DataList()->Handle()));
  // A window's children go before the window: the grid then still gets focus messages.
  delete editor;
  EXPECT_EQ(Grid->InplaceEditor(), nullptr);
  Grid->SetFocus();
  Headless().ProcessMessages();
  EXPECT_TRUE(Grid->Focused());
  EXPECT_TRUE(Grid->SelectionActive()) << "asked without reaching the freed editor";
}

TEST_F(CellEditorDataList, TypingCompletesToAListRecordAndTheOpenListFollows)
{
  TDBGridInplaceEdit* editor = OpenCountryEditor(1);
  ASSERT_EQ(editor->Text(), "North");
  Headless().Type("e");
  Headless().ProcessMessages();
  EXPECT_EQ(editor->Text(), "East");
  EXPECT_EQ(editor->SelStart(), 1);
  EXPECT_EQ(editor->SelText(), "ast") << "the completed rest is selected";
  EXPECT_EQ(VarToStr(Grid->EditValue()), "3");
  // A character no record continues with is not typed.
  Headless().Type("x");
  Headless().ProcessMessages();
  EXPECT_EQ(editor->Text(), "East");
  EXPECT_EQ(editor->SelText(), "ast");
  // Backspace moves left only; the text stays a list text.
  Headless().Key(VK_BACK);
  Headless().ProcessMessages();
  EXPECT_EQ(editor->Text(), "East");
  // With the list open its choice follows the typing.
  Key(VK_F4);
  TPopupDataGridEh* list = editor->DataList();
  ASSERT_TRUE(list && IsWindowVisible(list->Handle()));
  editor->SelectAll();
  Headless().Type("w");
  Headless().ProcessMessages();
  EXPECT_EQ(editor->Text(), "West");
  EXPECT_EQ(VarToStr(list->KeyValue()), "4");
  Key(VK_RETURN); // closes the list, taking West
  Key(VK_RETURN); // stores the cell
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 4);
}

TEST_F(CellEditorDataList, DeletingTheWholeTextClearsTheKey)
{
  TDBGridInplaceEdit* editor = OpenCountryEditor(2);
  editor->SelectAll();
  Key(VK_DELETE);
  EXPECT_EQ(editor->Text(), "");
  EXPECT_TRUE(VarIsNull(Grid->EditValue()));
  Key(VK_RETURN);
  EXPECT_TRUE(Orders->FieldByName("CountryID")->IsNull());
  EXPECT_EQ(Orders->FieldByName("Country")->AsString(), "");
}
