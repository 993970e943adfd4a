// Editing the filter row: a press or Up from the first record opens the editor over a filter
// cell, Enter applies, keys move between filter cells and back to the data, the list of a
// column with a list source offers its values below the special entries, which put their
// texts or clear or sort, and a text that does not parse leaves the column's filter as it was.
#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhFilterEdit : public GridEhTest {
protected:
  Integer Applied = 0;
  TDataSource* CountrySource = nullptr;

  void SetUp() override
  {
    GridEhTest::SetUp();
    MakeGrid(false);
    for (const char* name : {"ID", "Name", "City", "Country"}) {
      TColumnEh* c = Grid->Columns()->Add();
      c->SetFieldName(name);
      c->SetWidth(70);
    }
    Grid->SetSTFilterVisible(true);
    Source->SetDataSet(Orders.get());
    Grid->SetDataSource(Source);
    Grid->OnApplyFilter = [this](TObject*) { ++Applied; };
    CountrySource = new TDataSource(Form);
    CountrySource->SetDataSet(Countries.get());
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  Integer FilterRow() { return Grid->HeaderRowCount() - 1; }
  TPoint FilterCell(Integer DataCol)
  {
    TRect r = Grid->CellRect(Grid->DataToRawColumn(DataCol), FilterRow());
    return Grid->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  void Key(Word Vk, bool Shift = false, bool Ctrl = false, bool Alt = false)
  {
    Headless().Key(Vk, Shift, Ctrl, Alt);
    Headless().ProcessMessages();
  }
  bool EditorShown()
  {
    TInplaceFilterEditEh* e = Grid->FilterEdit();
    return e && e->HandleAllocated() && IsWindowVisible(e->Handle());
  }
  Integer Id() { return Orders->FieldByName("ID")->AsInteger(); }
};

} // namespace

TEST_F(GridEhFilterEdit, APressOpensTheEditorAndEnterApplies)
{
  Headless().Click(FilterCell(2));
  Headless().ProcessMessages();
  ASSERT_TRUE(Grid->FilterEditing());
  EXPECT_EQ(Grid->FilterCol(), 2);
  ASSERT_TRUE(EditorShown());
  TInplaceFilterEditEh* editor = Grid->FilterEdit();
  EXPECT_EQ(GetFocus(), editor->Handle());
  TRect cell = Grid->CellRect(Grid->DataToRawColumn(2), FilterRow());
  TRect placed;
  GetWindowRect(editor->Handle(), placed);
  EXPECT_EQ(placed.TopLeft(), Grid->ClientToScreen({cell.Left + 1, cell.Top}));
  Headless().Type("Harbin");
  Key(VK_RETURN);
  EXPECT_EQ(Applied, 1);
  EXPECT_EQ(Grid->Columns()->Items(2)->STFilter()->FilterText(), "Harbin");
  EXPECT_TRUE(EditorShown()) << "the editor stays on its cell";
  // A press on a data cell ends editing; the text stays the column's.
  TRect data = Grid->CellRect(Grid->DataToRawColumn(1), Grid->HeaderRowCount() + 2);
  Headless().Advance(1000);
  Headless().Click(Grid->ClientToScreen({data.Left + 5, data.Top + 5}));
  Headless().ProcessMessages();
  EXPECT_FALSE(Grid->FilterEditing());
  EXPECT_FALSE(EditorShown());
  EXPECT_EQ(Grid->Columns()->Items(2)->STFilter()->FilterText(), "Harbin");
  EXPECT_EQ(Id(), 3);
}

TEST_F(GridEhFilterEdit, KeysMoveBetweenFilterCellsAndBackToTheData)
{
  Orders->First();
  Key(VK_UP);
  ASSERT_TRUE(Grid->FilterEditing()) << "Up from the first record";
  Integer start = Grid->FilterCol();
  // Left at the start goes to the previous cell; from the first it wraps to the last.
  Grid->StartFilterEdit(0);
  Key(VK_LEFT);
  EXPECT_EQ(Grid->FilterCol(), 3);
  Key(VK_RIGHT);
  EXPECT_EQ(Grid->FilterCol(), 0) << "Right at the end of the last wraps";
  // Typed text keeps the caret inside: Left moves in the text.
  Headless().Type("12");
  Key(VK_LEFT);
  EXPECT_EQ(Grid->FilterCol(), 0);
  Key(VK_END, false, true);
  EXPECT_EQ(Grid->FilterCol(), 3) << "Ctrl+End to the last cell";
  EXPECT_EQ(Grid->Columns()->Items(0)->STFilter()->FilterText(), "12") << "stored on leaving";
  // A hidden filter cell is skipped.
  Grid->Columns()->Items(1)->STFilter()->SetVisible(false);
  Grid->StartFilterEdit(0);
  Key(VK_RIGHT, false, true);
  EXPECT_EQ(Grid->FilterCol(), 3);
  Grid->StartFilterEdit(0);
  Key(VK_RIGHT);
  EXPECT_EQ(Grid->FilterCol(), 2) << "the whole text selected counts as the end";
  // Down goes back to the first record shown, in the filter's column.
  Orders->Locate("ID", Variant(5), {});
  Integer firstShown = Id() - Grid->DataLink()->ActiveRecord();
  Grid->StartFilterEdit(2);
  Key(VK_DOWN);
  EXPECT_FALSE(Grid->FilterEditing());
  EXPECT_EQ(Grid->SelectedIndex(), 2);
  EXPECT_EQ(Id(), firstShown);
  EXPECT_EQ(GetFocus(), Grid->Handle());
  (void)start;
}

TEST_F(GridEhFilterEdit, TheListOffersSpecialEntriesAboveTheValues)
{
  TColumnEh* name = Grid->Columns()->Items(3);
  name->STFilter()->SetListSource(CountrySource);
  name->STFilter()->SetListField("Name");
  Grid->StartFilterEdit(3);
  TInplaceFilterEditEh* editor = Grid->FilterEdit();
  ASSERT_TRUE(editor->EditButton()->Visible());
  Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->Items()->CommaText(),
            "\"(Clear filter)\",(All),\"(Not empty)\",(Empty),East,North,South,West");
  // "(Empty)" puts its text in the editor; it applies only with the style's flag.
  Key(VK_HOME, false, true);
  for (Integer i = 0; i < 3; ++i)
    Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "=Null");
  EXPECT_EQ(Applied, 0);
  Grid->Style()->SetApplyFilterOnSelect(true);
  Key(VK_DOWN, false, false, true);
  Key(VK_HOME, false, true);
  Key(VK_DOWN);
  Key(VK_RETURN);
  Grid->Style()->SetApplyFilterOnSelect(false);
  EXPECT_EQ(editor->Text(), "");
  EXPECT_EQ(Applied, 1) << "(All) applied with the flag";
  // With sort marking and a title button the sort entries come first.
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxAutoSortMarkingEh});
  name->Title()->SetTitleButton(true);
  Grid->StartFilterEdit(3);
  editor->Items()->Clear();
  Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->Items()->Strings(0), "(Order by descending)");
  EXPECT_EQ(editor->Items()->Strings(1), "(Order by ascending)");
  EXPECT_EQ(editor->Items()->Strings(2), "-");
  Grid->Columns()->Items(0)->Title()->SetSortMarker(smUpEh);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(name->Title()->SortMarker(), smDownEh);
  EXPECT_EQ(Grid->Columns()->Items(0)->Title()->SortMarker(), smNoneEh) << "only this column";
}

TEST_F(GridEhFilterEdit, ATextThatDoesNotParseLeavesTheFilterAsItWas)
{
  Grid->Columns()->Items(0)->STFilter()->SetFilterText(">5");
  Grid->StartFilterEdit(0);
  TInplaceFilterEditEh* editor = Grid->FilterEdit();
  EXPECT_EQ(editor->Text(), ">5");
  editor->SelectAll();
  Headless().Type("'abc");
  AnsiString error;
  try {
    Grid->EndFilterEdit();
  } catch (const Exception& e) {
    error = e.Message();
  }
  EXPECT_EQ(error, "Quote is absent: 'abc");
  EXPECT_EQ(Grid->Columns()->Items(0)->STFilter()->FilterText(), ">5");
  EXPECT_EQ(Grid->Columns()->Items(0)->STFilter()->CopyParsedExpression().FirstOperator,
            fopGreaterEh);
}
