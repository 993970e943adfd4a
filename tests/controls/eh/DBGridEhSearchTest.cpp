// Incremental search in the current column (typed prefixes that keep the cell's own
// letters, characters that find nothing dropped, next and previous matches, the time-out)
// and keeping the view's position around walks through the dataset.
#include "platform/rtl/Consts.h"
#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhSearch : public GridEhTest {
protected:
  void Focused()
  {
    MakeGrid();
    Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxTypeToSearchEh});
    Grid->SelectDataColumn(Col("Name")->Index());
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  void Type(const char* Text)
  {
    Headless().Type(Text);
    Headless().ProcessMessages();
  }
  Integer Id() { return Orders->FieldByName("ID")->AsInteger(); }
};

} // namespace

TEST_F(GridEhSearch, TypedPrefixesFindRecordsAndKeepTheirOwnLetters)
{
  Focused();
  ASSERT_EQ(Id(), 1); // "Cab"
  Type("a");
  EXPECT_EQ(Id(), 2) << "Abc";
  EXPECT_TRUE(Grid->IncSearchActive());
  EXPECT_EQ(Grid->IncSearchText(), "A");
  Type("b");
  EXPECT_EQ(Id(), 2);
  EXPECT_EQ(Grid->IncSearchText(), "Ab");
  Type("x");
  EXPECT_EQ(Id(), 2) << "a character that finds nothing is dropped";
  EXPECT_EQ(Grid->IncSearchText(), "Ab");
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Orders->State(), dsBrowse);

  // Backspace shortens; Ctrl+Enter finds the next match, Ctrl+Shift+Enter the previous one.
  Headless().Key(VK_BACK);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->IncSearchText(), "A");
  Headless().Key(VK_RETURN, false, true);
  Headless().ProcessMessages();
  EXPECT_EQ(Id(), 3) << "aBd";
  Headless().Key(VK_RETURN, true, true);
  Headless().ProcessMessages();
  EXPECT_EQ(Id(), 2);
  // The search ends after 1.5 s without typing.
  Headless().AdvanceAndProcess(1400);
  EXPECT_TRUE(Grid->IncSearchActive());
  Headless().AdvanceAndProcess(200);
  EXPECT_FALSE(Grid->IncSearchActive());
  EXPECT_EQ(Grid->IncSearchText(), "");
}

TEST_F(GridEhSearch, CtrlFSearchesWithoutTimeOutAndEscEndsIt)
{
  Focused();
  Grid->SetExtOptions(Grid->ExtOptions() - TDBGridEhExtOptions{dgxTypeToSearchEh} +
                      TDBGridEhExtOptions{dgxIncSearchEh});
  Headless().Key('F', false, true);
  Headless().ProcessMessages();
  ASSERT_TRUE(Grid->IncSearchActive());
  Type("张");
  EXPECT_EQ(Id(), 6);
  EXPECT_EQ(Grid->IncSearchText(), "张");
  Headless().AdvanceAndProcess(5000);
  EXPECT_TRUE(Grid->IncSearchActive()) << "no time-out";
  Headless().Key(VK_BACK);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->IncSearchText(), "") << "both bytes of the character go";
  Headless().Key(VK_ESCAPE);
  Headless().ProcessMessages();
  EXPECT_FALSE(Grid->IncSearchActive());
  // A move of the current column ends a search too.
  Headless().Key('F', false, true);
  Headless().ProcessMessages();
  Grid->SelectDataColumn(Col("City")->Index());
  EXPECT_FALSE(Grid->IncSearchActive());
}

TEST_F(GridEhSearch, APositionSavedOnAnEmptyDatasetIsNotRestored)
{
  MakeGrid();
  Orders->Locate("ID", Variant(5), {});
  Integer row = Grid->Row();
  Grid->SaveGridPosition();
  Orders->Last();
  Grid->RestoreGridPosition();
  EXPECT_EQ(Orders->FieldByName("ID")->AsInteger(), 5);
  EXPECT_EQ(Grid->Row(), row) << "on the same row of the view";

  // Saved on an empty dataset: nothing to go back to, and no error.
  Orders->EmptyDataSet();
  Grid->SaveGridPosition();
  Orders->AppendRecord({Variant(1), Variant("a")});
  Orders->AppendRecord({Variant(2), Variant("b")});
  EXPECT_NO_THROW(Grid->RestoreGridPosition());
  EXPECT_EQ(Orders->FieldByName("ID")->AsInteger(), 2);
  // Saved on a record deleted since: also left alone.
  Orders->First();
  Grid->SaveGridPosition();
  Orders->Delete();
  EXPECT_NO_THROW(Grid->RestoreGridPosition());
}

// ---- Fitting widths ----

TEST_F(GridEhSearch, WidthsFitTitlesDataAndFooters)
{
  MakeGrid();
  Orders->Locate("ID", Variant(5), {});
  Integer row = Grid->Row();
  struct {
    const char* Column;
    const char* Footer;
    Integer Width;
  } cases[] = {
      {"Name", "", 4 + 6 * 7},          // "Juliet" is the longest
      {"Paid", "", 4 + 4 * 7},          // the title is wider than a check box
      {"City", "合计金额", 5 + 4 * 13}, // the footer text
      {"Qty", "", 4 + 3 * 7},           // the title "Qty" over one- and two-digit data
  };
  Grid->SetFooterRowCount(1);
  for (auto& c : cases) {
    SCOPED_TRACE(c.Column);
    TColumnEh* col = Col(c.Column);
    if (*c.Footer) {
      col->Footer()->SetValueType(fvtStaticText);
      col->Footer()->SetValue(c.Footer);
    }
    col->FitWidthToData();
    EXPECT_EQ(col->Width(), c.Width);
  }
  // A sort marker widens the title's margin to the marker plus 2.
  Col("Qty")->Title()->SetSortMarker(smDownEh);
  Col("Qty")->FitWidthToData();
  EXPECT_EQ(Col("Qty")->Width(), 16 + 2 + 3 * 7);
  EXPECT_EQ(Orders->FieldByName("ID")->AsInteger(), 5) << "the walk leaves the record";
  EXPECT_EQ(Grid->Row(), row);
}

TEST_F(GridEhSearch, ADoubleClickOnABorderFitsTheColumn)
{
  MakeGrid();
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxDblClickFitColWidthEh});
  Headless().ProcessMessages();
  Col("Name")->SetWidth(150);
  Headless().ProcessMessages();
  TRect title = Grid->CellRect(Grid->DataToRawColumn(Col("Name")->Index()), 0);
  Headless().DoubleClick(Grid->ClientToScreen({title.Right, title.Top + 5}));
  Headless().ProcessMessages();
  EXPECT_EQ(Col("Name")->Width(), 4 + 6 * 7);
}

TEST_F(GridEhSearch, CtrlFMakesASearchWithoutTimeOutAndASecondOneOpensTheFindDialog)
{
  Focused();
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxIncSearchEh} -
                      TDBGridEhExtOptions{dgxFindDialogEh});
  static Integer opened = 0;
  static bool modal = false;
  opened = 0;
  // The find dialog's own hook comes back afterwards (other tests open the dialog).
  static TExecuteDBGridEhFindDialogProc savedHook = nullptr;
  savedHook = ExecuteDBGridEhFindDialogProc;
  ExecuteDBGridEhFindDialogProc = [](TCustomDBGridEh*, const AnsiString&, bool Modal) {
    ++opened;
    modal = Modal;
  };
  struct TReset {
    ~TReset() { ExecuteDBGridEhFindDialogProc = savedHook; }
  } reset;
  Type("a");
  ASSERT_TRUE(Grid->IncSearchActive());
  Headless().Key('F', false, true);
  Headless().ProcessMessages();
  Headless().AdvanceAndProcess(5000);
  EXPECT_TRUE(Grid->IncSearchActive()) << "no time-out after Ctrl+F";
  EXPECT_EQ(Grid->IncSearchText(), "A");
  EXPECT_EQ(opened, 0) << "without the find-dialog option";
  // With it, Ctrl+F during a search ends the search and opens the dialog, modally.
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxFindDialogEh});
  Type("a");
  ASSERT_TRUE(Grid->IncSearchActive());
  Headless().Key('F', false, true);
  Headless().ProcessMessages();
  EXPECT_FALSE(Grid->IncSearchActive());
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(modal);
  // The search keys are the program's to change.
  TShortCut saved = SearchNextShortCut;
  SearchNextShortCut = ShortCut(VK_F3, {});
  Type("a");
  Headless().Key(VK_F3);
  Headless().ProcessMessages();
  SearchNextShortCut = saved;
  EXPECT_EQ(Id(), 3) << "F3 found the next \"a\"";
}

TEST_F(GridEhSearch, SmallOperationsOtherUnitsUse)
{
  Focused();
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxMultiSortMarkingEh});
  // The sort-marked list comes back in SortIndex order.
  Col("City")->Title()->SetSortMarker(smDownEh);
  Col("ID")->Title()->SetSortMarker(smUpEh);
  Col("Qty")->Title()->SetSortMarker(smDownEh);
  ASSERT_EQ(Grid->SortMarkedColumns()->Count(), 3);
  Grid->SortMarkedColumns()->Clear();
  Grid->RebuildSortMarkedColumns();
  ASSERT_EQ(Grid->SortMarkedColumns()->Count(), 3);
  EXPECT_EQ(Grid->SortMarkedColumns()->Items(0), Col("City"));
  EXPECT_EQ(Grid->SortMarkedColumns()->Items(1), Col("ID"));
  EXPECT_EQ(Grid->SortMarkedColumns()->Items(2), Col("Qty"));
  // Moving to a raw column makes its column current.
  Grid->MoveToRawColumn(Grid->DataToRawColumn(Col("City")->Index()));
  EXPECT_EQ(Grid->CurrentColumn(), Col("City"));
  EXPECT_FALSE(Grid->CellEditorShown());
  Grid->ShowEditor();
  EXPECT_TRUE(Grid->CellEditorShown());
}
