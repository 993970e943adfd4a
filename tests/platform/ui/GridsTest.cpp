// The base grid and its in-place editor, and the masked edit under it: geometry with hidden
// and empty columns, fixed counts, keys, sizing and moving columns with the mouse, the
// timed scroll of a drag, and editing cells through the editor.
#include "platform/ui/Grids.h"

#include "platform/rtl/SysUtils.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

struct TGridForm {
  TForm* Form;
  TStringGrid* Grid;
  TGridForm(Integer cols = 6, Integer rows = 30)
  {
    Form = new TForm(nullptr);
    Form->SetBounds(40, 40, 500, 360);
    Grid = new TStringGrid(Form);
    Grid->SetBounds(10, 10, 400, 200);
    Grid->SetColCount(cols);
    Grid->SetRowCount(rows);
    Grid->SetParent(Form);
    for (Integer c = 0; c < cols; ++c)
      Grid->SetCells(c, 0, "列" + IntToStr(c));
    for (Integer r = 1; r < rows; ++r)
      Grid->SetCells(0, r, IntToStr(r));
    Form->Show();
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  ~TGridForm() { delete Form; }
  TPoint At(Integer x, Integer y) const { return Grid->ClientToScreen({x, y}); }
  TPoint CellCenter(Integer c, Integer r) const
  {
    TRect rc = Grid->CellRect(c, r);
    return At((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
  }
};

} // namespace

using GridControl = UiTest;

TEST_F(GridControl, GeometryWithHiddenAndEmptyColumns)
{
  TGridForm f;
  TStringGrid* g = f.Grid;
  // Default sizes: 64 x 24 with one-pixel lines.
  EXPECT_EQ(g->CellRect(0, 0), Rect(0, 0, 64, 24));
  EXPECT_EQ(g->CellRect(2, 1), Rect(130, 25, 194, 49));
  g->SetColWidths(1, -1); // hidden with its line
  EXPECT_EQ(g->CellRect(2, 1), Rect(65, 25, 129, 49));
  EXPECT_EQ(g->CellRect(1, 1).Width(), 0);
  g->SetColWidths(1, 0); // nothing but its line
  EXPECT_EQ(g->CellRect(2, 1), Rect(66, 25, 130, 49));
  g->SetColWidths(1, 64);

  struct {
    Integer X, Y, Col, Row;
  } hits[] = {{5, 5, 0, 0},    {70, 30, 1, 1}, {129, 48, 1, 1},
              {130, 50, 2, 2}, {60, 49, 0, 1}, {399, 10, -1, -1}};
  for (auto& h : hits) {
    TGridCoord c = g->MouseCoord(h.X, h.Y);
    EXPECT_EQ(c.X, h.Col) << h.X << "," << h.Y;
    EXPECT_EQ(c.Y, h.Row) << h.X << "," << h.Y;
  }

  // Scrolled: the scrolling cells move, the fixed ones stay.
  g->SetTopRow(5);
  EXPECT_EQ(g->TopRow(), 5);
  EXPECT_EQ(g->CellRect(1, 5).Top, 25);
  EXPECT_TRUE(IsRectEmpty(g->CellRect(1, 2))) << "scrolled off";
  EXPECT_EQ(g->CellRect(0, 0).Top, 0);
  g->SetTopRow(1000);
  EXPECT_EQ(g->TopRow(), g->CalcMaxTopLeft().Y) << "clamped to the last page";
  EXPECT_EQ(g->TopRow() + g->VisibleRowCount(), g->RowCount());

  // Fixed counts are clamped below the counts and never raise them.
  g->SetFixedCols(10);
  EXPECT_EQ(g->FixedCols(), 5);
  EXPECT_EQ(g->ColCount(), 6);
  EXPECT_EQ(g->Col(), 5) << "the current cell left the fixed part";
  g->SetFixedCols(1);
  g->SetCol(4);
  g->SetRow(20);
  g->SetColCount(3);
  g->SetRowCount(10);
  EXPECT_EQ(g->Col(), 2) << "shrinking moves the current cell";
  EXPECT_EQ(g->Row(), 9);
  EXPECT_THROW(g->SetColWidths(3, 10), EInvalidGridOperation);
  g->SetDefaultRowHeight(30);
  EXPECT_EQ(g->RowHeights(4), 30);
}

TEST_F(GridControl, KeysMoveTheCurrentCellAndExtendTheSelection)
{
  TGridForm f;
  TStringGrid* g = f.Grid;
  g->SetOptions(g->Options() + TGridOptions{goTabs});
  g->SetTabStops(3, false);
  Integer topLeftChanges = 0;
  g->OnTopLeftChanged = [&](TObject*) { ++topLeftChanges; };
  bool refuse = false;
  g->OnSelectCell = [&](TObject*, Integer c, Integer, bool& can) { can = !(refuse && c == 5); };

  struct {
    Word Key;
    bool Shift, Ctrl;
    Integer Col, Row;
  } steps[] = {
      {VK_RIGHT, false, false, 2, 1}, {VK_DOWN, false, false, 2, 2}, {VK_END, false, false, 5, 2},
      {VK_HOME, false, false, 1, 2},  {VK_TAB, false, false, 2, 2},  {VK_TAB, false, false, 4, 2},
      {VK_TAB, true, false, 2, 2},    {VK_END, false, true, 5, 29},  {VK_HOME, false, true, 1, 1},
      {VK_LEFT, false, false, 1, 1},  {VK_UP, false, false, 1, 1},
  };
  for (auto& s : steps) {
    Headless().Key(s.Key, s.Shift, s.Ctrl);
    EXPECT_EQ(g->Col(), s.Col) << "key " << s.Key;
    EXPECT_EQ(g->Row(), s.Row) << "key " << s.Key;
  }
  EXPECT_EQ(topLeftChanges, 4) << "End and Ctrl+End scroll, Home and Ctrl+Home scroll back";

  Headless().Key(VK_RIGHT, true);
  Headless().Key(VK_DOWN, true);
  Headless().Key(VK_DOWN, true);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 3}));
  Headless().Key(VK_NEXT);
  EXPECT_GT(g->Row(), 3);
  EXPECT_GE(g->Row(), g->TopRow());
  EXPECT_LT(g->Row(), g->TopRow() + g->VisibleRowCount()) << "the current row stays in view";
  EXPECT_EQ(g->Selection(), (TGridRect{2, g->Row(), 2, g->Row()}));

  refuse = true;
  Headless().Key(VK_END);
  EXPECT_EQ(g->Col(), 2) << "OnSelectCell refused the move";

  // A hidden column is stepped over.
  refuse = false;
  g->SetColWidths(3, -1);
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(g->Col(), 4);
}

TEST_F(GridControl, ColumnsAreSizedAndMovedWithTheMouse)
{
  TGridForm f;
  TStringGrid* g = f.Grid;
  g->SetOptions(g->Options() + TGridOptions{goColSizing, goColMoving, goRowSizing});
  g->SetCells(2, 3, "甲");
  g->SetCells(4, 3, "乙");
  Integer moves = 0;
  g->OnColumnMoved = [&](TObject*, Integer from, Integer to) {
    ++moves;
    EXPECT_EQ(from, 2);
    EXPECT_EQ(to, 4);
  };

  // The line after column 1 sits at x = 129; drag it 30 pixels right.
  Headless().Drag(f.At(129, 10), f.At(159, 10));
  EXPECT_EQ(g->ColWidths(1), 94);
  EXPECT_EQ(g->GridState(), gsNormal);
  // Narrowed to nothing, then grown again from the same line.
  Headless().Drag(f.At(159, 10), f.At(40, 10));
  EXPECT_EQ(g->ColWidths(1), 0);
  Headless().Drag(f.At(66, 10), f.At(100, 10));
  EXPECT_EQ(g->ColWidths(1), 34);
  // A row from the fixed column.
  Headless().Drag(f.At(20, 49), f.At(20, 60));
  EXPECT_EQ(g->RowHeights(1), 35);

  // Esc gives a sizing up.
  TPoint grip = f.At(g->CellRect(2, 0).Right, 10);
  Headless().QueueStep([&] {
    Headless().Move({grip.X + 40, grip.Y});
    Headless().Key(VK_ESCAPE);
    Headless().Release(hbLeft, {grip.X + 40, grip.Y});
  });
  Headless().Press(hbLeft, grip);
  EXPECT_EQ(g->ColWidths(2), 64);

  // Column 2 dragged by its title onto column 4: the cells go with it.
  Headless().Drag(f.CellCenter(2, 0), f.CellCenter(4, 0));
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(g->Cells(4, 3), "甲");
  EXPECT_EQ(g->Cells(3, 3), "乙");
  EXPECT_EQ(g->Cells(4, 0), "列2");
  // A click on a title without moving moves nothing.
  Headless().Click(f.CellCenter(3, 0));
  EXPECT_EQ(moves, 1);
}

TEST_F(GridControl, DraggingASelectionBelowTheGridScrollsOnATimer)
{
  TGridForm f;
  TStringGrid* g = f.Grid;
  TPoint start = f.CellCenter(2, 2);
  TPoint below = f.At(100, g->ClientHeight() + 20);
  Integer ticks = 0;
  Headless().QueueStep([&] {
    Headless().Move(below);
    Headless().AdvanceAndProcess(60);
    Headless().AdvanceAndProcess(60);
    Headless().AdvanceAndProcess(60);
    ticks = g->TopRow();
    Headless().Release(hbLeft, below);
  });
  Headless().Press(hbLeft, start);
  EXPECT_EQ(ticks, 4) << "one row per tick";
  EXPECT_EQ(g->TopRow(), 4);
  TGridRect sel = g->Selection();
  EXPECT_EQ(sel.Top, 2);
  EXPECT_EQ(sel.Bottom, g->TopRow() + g->VisibleRowCount() - 1) << "the selection follows";
  EXPECT_EQ(g->GridState(), gsNormal);
}

TEST_F(GridControl, CellsAreEditedThroughTheInplaceEditor)
{
  TGridForm f;
  TStringGrid* g = f.Grid;
  g->SetOptions(g->Options() + TGridOptions{goEditing});
  g->SetCells(1, 1, "旧值");
  std::vector<AnsiString> written;
  g->OnSetEditText = [&](TObject*, Integer, Integer, const AnsiString& v) { written.push_back(v); };

  // Typing opens the editor with the character replacing the text.
  Headless().Type("A");
  ASSERT_TRUE(g->EditorMode());
  TInplaceEdit* edit = g->InplaceEditor();
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->BoundsRect(), g->CellRect(1, 1));
  Headless().Type("收件");
  EXPECT_EQ(g->Cells(1, 1), "A收件") << "written as typed";
  Headless().Key(VK_BACK);
  EXPECT_EQ(g->Cells(1, 1), "A收") << "Backspace takes the whole character";
  // Left inside the text stays in the editor; Down goes to the grid.
  Headless().Key(VK_LEFT);
  EXPECT_EQ(g->Col(), 1);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(g->Row(), 2);
  EXPECT_TRUE(g->EditorMode());
  EXPECT_EQ(edit->Text(), "");
  // Esc puts the cell's text back and closes the editor.
  g->SetCells(1, 2, "王");
  Headless().Key(VK_UP);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(edit->Text(), "王");
  Headless().Type("李");
  EXPECT_EQ(g->Cells(1, 2), "李");
  Headless().Key(VK_ESCAPE);
  EXPECT_EQ(g->Cells(1, 2), "王");
  EXPECT_FALSE(g->EditorMode());
  EXPECT_TRUE(g->Focused());
  // F2 opens the editor on the text, Enter closes it.
  Headless().Key(VK_F2);
  EXPECT_TRUE(g->EditorMode());
  EXPECT_EQ(edit->SelStart(), 2) << "F2 puts the caret at the end";
  Headless().Key(VK_RETURN);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_FALSE(edit->Visible());

  // A grid that refuses changes keeps the cell as it is.
  g->SetOptions(g->Options() + TGridOptions{goAlwaysShowEditor});
  struct TReadOnlyGrid : TStringGrid {
    using TStringGrid::TStringGrid;
    bool CanEditModify() override { return false; }
  };
  auto* ro = new TReadOnlyGrid(f.Form);
  ro->SetBounds(10, 220, 300, 100);
  ro->SetOptions(ro->Options() + TGridOptions{goEditing, goAlwaysShowEditor});
  ro->SetParent(f.Form);
  ro->SetCells(1, 1, "定");
  ro->SetFocus();
  Headless().ProcessMessages();
  ASSERT_NE(ro->InplaceEditor(), nullptr);
  Headless().Type("X");
  Headless().Key(VK_DELETE);
  EXPECT_EQ(ro->Cells(1, 1), "定");
}

// An editor freed before its grid (the grid's children go before the grid's window, whose
// going moves the focus and reaches the grid) is forgotten by the grid: the grid answers
// focus messages without it and opens a new one when typed into again.
TEST_F(GridControl, AFreedEditorIsForgottenByItsGrid)
{
  TGridForm f;
  TStringGrid* g = f.Grid;
  g->SetOptions(g->Options() + TGridOptions{goEditing});
  Headless().Type("A");
  ASSERT_NE(g->InplaceEditor(), nullptr);
  ASSERT_TRUE(g->InplaceEditor()->Focused());

  delete g->InplaceEditor();
  EXPECT_EQ(g->InplaceEditor(), nullptr);
  g->SetFocus();
  Headless().ProcessMessages();
  Headless().Type("B");
  ASSERT_NE(g->InplaceEditor(), nullptr);
  EXPECT_EQ(g->Cells(1, 1), "B");
}

TEST_F(GridControl, MaskedCellKeepsItsCellUntilComplete)
{
  TGridForm f;
  TStringGrid* g = f.Grid;
  g->SetOptions(g->Options() + TGridOptions{goEditing});
  g->OnGetEditMask = [](TObject*, Integer c, Integer, AnsiString& mask) {
    if (c == 2)
      mask = "!0000-00-00;1;_";
  };
  g->SetCol(2);
  Headless().Key(VK_F2);
  TInplaceEdit* edit = g->InplaceEditor();
  ASSERT_TRUE(edit && edit->IsMasked());
  EXPECT_EQ(edit->EditText(), "____-__-__");
  edit->SetSelStart(0);
  Headless().Type("2026x12");
  EXPECT_EQ(edit->EditText(), "2026-12-__") << "the letter is refused, literals stepped over";
  EXPECT_GT(Headless().Beeps(), 0);
  EXPECT_THROW(Headless().Key(VK_DOWN), EDBEditError);
  EXPECT_EQ(g->Row(), 1) << "the incomplete date keeps its cell";
  EXPECT_EQ(edit->SelStart(), 8) << "the caret is on the missing day";
  Headless().Type("10");
  Headless().Key(VK_DOWN);
  EXPECT_EQ(g->Row(), 2);
  EXPECT_EQ(g->Cells(2, 1), "2026-12-10");
}

using MaskEditControl = UiTest;

TEST_F(MaskEditControl, EditTextTextAndValidation)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(40, 40, 300, 200);
  auto* e = new TMaskEdit(form);
  e->SetBounds(10, 10, 150, 24);
  e->SetParent(form);
  auto* other = new TEdit(form);
  other->SetBounds(10, 50, 150, 24);
  other->SetParent(form);
  form->Show();
  e->SetFocus();

  struct {
    const char* Mask;
    const char* Value;
    const char* EditText;
    const char* Text;
  } cases[] = {
      {"!9999-99-99;1;_", "2026-3-4", "2026-_3-_4", "2026- 3- 4"},
      {"000-0000;0;*", "1234567", "123-4567", "1234567"},
      {">LL-00;1;_", "AB-12", "AB-12", "AB-12"},
      {"(999)000;0;_", "", "(___)___", ""},
  };
  for (auto& c : cases) {
    e->SetEditMask(c.Mask);
    e->SetText(c.Value);
    EXPECT_EQ(e->EditText(), c.EditText) << c.Mask;
    EXPECT_EQ(e->Text(), c.Text) << c.Mask;
  }

  e->SetEditMask("!0000-00-00;1;_");
  e->SetText("");
  e->SetSelStart(0);
  Headless().Type("202");
  EXPECT_EQ(e->EditText(), "202_-__-__");
  Headless().Key(VK_BACK);
  Headless().Key(VK_BACK);
  EXPECT_EQ(e->EditText(), "2___-__-__") << "Backspace blanks, the text does not close up";
  Headless().Type("0261");
  EXPECT_EQ(e->EditText(), "2026-1_-__");
  e->SetSelStart(0);
  Headless().Key(VK_DELETE);
  EXPECT_EQ(e->EditText(), "_026-1_-__");
  Headless().Type("2");
  EXPECT_EQ(e->SelStart(), 1);
  // Leaving an incomplete date raises the mask error and keeps the caret on the gap.
  EXPECT_THROW(other->SetFocus(), EDBEditError);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->SelStart(), 6);
  try {
    e->ValidateEdit();
  } catch (const EDBEditError& err) {
    EXPECT_EQ(err.Message(), SMaskEditErr);
  }
  Headless().Type("2");
  Headless().Type("31");
  EXPECT_NO_THROW(e->ValidateEdit());
  EXPECT_EQ(e->Text(), "2026-12-31");
  e->SetText("");
  EXPECT_NO_THROW(e->ValidateEdit()) << "an empty date passes";
  delete form;
}
