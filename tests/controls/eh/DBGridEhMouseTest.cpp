// The grid's mouse and its cell editor, driven by scripted clicks and keys: clicks that move
// the dataset and open the editor, title buttons that cycle sort markers and apply sorting,
// check-box clicks, the pick list of pick-list and key-list columns; and the screenshot of a
// grid over Chinese data with every part shown (grid_core.png in the build folder).
#include <filesystem>

#include "controls/eh/DropDownsEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/StdCtrls.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhMouse : public GridEhTest {
protected:
  void Focused()
  {
    MakeGrid();
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  TPoint Centre(Integer Col, Integer Row)
  {
    TRect r = Grid->CellRect(Col, Row);
    return Grid->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  // Clicks far enough apart in time not to make double clicks.
  void Click(TPoint P, bool Ctrl = false)
  {
    Headless().Advance(1000);
    if (Ctrl)
      Headless().KeyDown(VK_CONTROL);
    Headless().Click(P);
    Headless().ProcessMessages();
    if (Ctrl) {
      Headless().KeyUp(VK_CONTROL);
      Headless().ProcessMessages();
    }
  }
  Integer CurrentId() { return Orders->FieldByName("ID")->AsInteger(); }
  Integer RawOf(const char* Name) { return Grid->DataToRawColumn(Col(Name)->Index()); }
};

} // namespace

TEST_F(GridEhMouse, AClickMovesToTheRecordAndASecondOneEdits)
{
  Focused();
  Integer h = Grid->HeaderRowCount();
  Click(Centre(RawOf("City"), h + 3));
  EXPECT_EQ(CurrentId(), 4);
  EXPECT_EQ(Grid->SelectedIndex(), Col("City")->Index());
  EXPECT_FALSE(Grid->EditorMode());
  Click(Centre(RawOf("City"), h + 3));
  EXPECT_TRUE(Grid->EditorMode()) << "a second click on the current cell opens the editor";
  EXPECT_EQ(Grid->InplaceEditor()->Text(), "Harbin");
  // A click elsewhere closes the editor and moves on.
  Click(Centre(RawOf("Name"), h + 1));
  EXPECT_EQ(CurrentId(), 2);
  EXPECT_FALSE(Grid->EditorMode());
  // The click reports the cell's column.
  TColumnEh* clicked = nullptr;
  Grid->OnCellClick = [&](TColumnEh* c) { clicked = c; };
  Click(Centre(RawOf("Name"), h));
  EXPECT_EQ(clicked, Col("Name"));
  EXPECT_EQ(CurrentId(), 1);
}

TEST_F(GridEhMouse, TitleButtonsCycleSortMarkersAndApplySorting)
{
  Focused();
  Grid->SetExtOptions(Grid->ExtOptions() +
                      TDBGridEhExtOptions{dgxAutoSortMarkingEh, dgxMultiSortMarkingEh});
  Grid->ColumnDefValues()->Title()->SetTitleButton(true);
  Integer applied = 0;
  SharedGridDataService()->OnApplyGridSorting = [&](TCustomDBGridEh*) { ++applied; };
  TScopeExit reset([] { SharedGridDataService()->OnApplyGridSorting = nullptr; });
  Click(Centre(RawOf("Name"), 0));
  EXPECT_EQ(Col("Name")->Title()->SortMarker(), smDownEh);
  EXPECT_EQ(applied, 1) << "applied at once";
  Click(Centre(RawOf("Name"), 0));
  EXPECT_EQ(Col("Name")->Title()->SortMarker(), smUpEh);
  EXPECT_EQ(applied, 2);
  // Ctrl+click keeps the other markers and applies when Ctrl is released.
  Headless().KeyDown(VK_CONTROL);
  Headless().Advance(1000);
  Headless().Click(Centre(RawOf("City"), 0));
  Headless().ProcessMessages();
  EXPECT_EQ(applied, 2);
  EXPECT_EQ(Col("City")->Title()->SortIndex(), 2);
  Headless().KeyUp(VK_CONTROL);
  Headless().ProcessMessages();
  EXPECT_EQ(applied, 3);
  EXPECT_EQ(Col("Name")->Title()->SortMarker(), smUpEh);
  // A sort waiting for Ctrl also runs when the focus leaves the grid, and only once.
  auto* other = new TEdit(Form);
  other->SetBounds(0, 205, 100, 20);
  other->SetParent(Form);
  Headless().KeyDown(VK_CONTROL);
  Headless().Advance(1000);
  Headless().Click(Centre(RawOf("City"), 0));
  Headless().ProcessMessages();
  EXPECT_EQ(applied, 3);
  other->SetFocus();
  Headless().ProcessMessages();
  EXPECT_EQ(applied, 4);
  Headless().KeyUp(VK_CONTROL);
  Headless().ProcessMessages();
  EXPECT_EQ(applied, 4);
  Grid->SetFocus();
  Headless().ProcessMessages();
  // Without the title button a title press starts moving the column instead.
  Grid->ColumnDefValues()->Title()->SetTitleButton(false);
  TPoint from = Centre(RawOf("City"), 0);
  Headless().Drag(from, {from.X + 80, from.Y});
  Headless().ProcessMessages();
  EXPECT_EQ(applied, 4);
  EXPECT_NE(Grid->Columns()->Items(2)->FieldName(), "City") << "dragged to the right";
}

TEST_F(GridEhMouse, ACheckBoxClickTogglesTheValue)
{
  Focused();
  Col("Paid")->SetIndex(1);
  Integer h = Grid->HeaderRowCount();
  Click(Centre(RawOf("Paid"), h + 1));
  EXPECT_EQ(CurrentId(), 2);
  EXPECT_TRUE(Orders->FieldByName("Paid")->AsBoolean()) << "the press on the box toggles";
  Click(Centre(RawOf("Paid"), h + 1));
  EXPECT_FALSE(Orders->FieldByName("Paid")->AsBoolean());
  EXPECT_FALSE(Grid->EditorMode());
}

TEST_F(GridEhMouse, PickListsDropDownAndTakeTheChosenItem)
{
  Focused();
  TColumnEh* city = Col("City");
  city->PickList()->SetText("Harbin\r\nDalian\r\nXian\r\nWuhan");
  TColumnEh* flag = Col("Flag");
  flag->KeyList()->SetText("Y\r\nN");
  flag->PickList()->SetText("Yes\r\nNo\r\nMaybe");
  Integer h = Grid->HeaderRowCount();
  // A click on the button opens the list; its items are the column's pick list.
  TRect cell = Grid->CellRect(RawOf("City"), h);
  Click(Grid->ClientToScreen({cell.Right - 3, cell.Top + 5}));
  TDBGridInplaceEdit* editor = Grid->CellEditor();
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->PickList()->Items()->Count(), 4);
  EXPECT_EQ(editor->PickList()->ItemIndex(), 0) << "the current text is chosen";
  Headless().Key(VK_DOWN);
  Headless().Key(VK_DOWN);
  Headless().Key(VK_RETURN);
  Headless().ProcessMessages();
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "Xian");
  Headless().Key(VK_RETURN);
  Headless().ProcessMessages();
  EXPECT_EQ(Orders->FieldByName("City")->AsString(), "Xian");

  // A key list offers only the texts that have keys; Esc closes without taking one.
  Grid->SelectDataColumn(flag->Index());
  Grid->ShowEditor();
  Headless().Key(VK_DOWN, false, false, true);
  Headless().ProcessMessages();
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->PickList()->Items()->Count(), 2);
  Headless().Key(VK_DOWN);
  Headless().Key(VK_ESCAPE);
  Headless().ProcessMessages();
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->Text(), "Yes");
  // F4 opens it again; Enter takes the item under the selection and stores its key.
  Headless().Key(VK_F4);
  Headless().ProcessMessages();
  ASSERT_TRUE(editor->ListVisible());
  Headless().Key(VK_DOWN);
  Headless().Key(VK_RETURN);
  Headless().ProcessMessages();
  EXPECT_EQ(editor->Text(), "No");
  Headless().Key(VK_RETURN);
  Headless().ProcessMessages();
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "N");
}

TEST_F(GridEhMouse, ScreenshotOfAGridOverChineseData)
{
  // Real fonts for the picture.
  SetDefaultTextEngine(nullptr);
  Headless().SetScreenSize({720, 420});
  Form = new TForm(nullptr);
  Form->SetCaption("运单列表");
  Form->SetBounds(10, 10, 660, 330);
  Grid = new TDBGridEh(Form);
  Grid->SetBounds(4, 4, 640, 290);
  Grid->SetParent(Form);
  Grid->Font()->SetName("宋体");
  Grid->Font()->SetHeight(-12);
  Grid->TitleFont()->Assign(Grid->Font());
  Grid->FooterFont()->Assign(Grid->Font());
  Grid->FooterFont()->SetStyle({fsBold});
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  // Selections stay while the editor is open.
  Grid->SetExtOptions(Grid->ExtOptions() - TDBGridEhExtOptions{dgxClearSelectionEh});
  Grid->SetUseMultiTitle(true);
  Grid->SetFooterRowCount(1);
  Grid->SetSTFilterVisible(true);
  Source = new TDataSource();
  Source->SetDataSet(Orders.get());
  Grid->SetDataSource(Source);
  struct {
    const char* Field;
    const char* Caption;
    Integer Width;
  } columns[] = {{"ID", "订单|编号", 44},     {"Name", "订单|收件人", 70},
                 {"City", "地址|城市", 80},   {"Country", "地址|国家", 60},
                 {"Qty", "数量", 50},         {"Price", "价格|单价", 60},
                 {"Amount", "价格|金额", 70}, {"Paid", "已付", 40}};
  for (auto& c : columns) {
    TColumnEh* col = Grid->Columns()->Add();
    col->SetFieldName(c.Field);
    col->Title()->SetCaption(c.Caption);
    col->SetWidth(c.Width);
  }
  Grid->Columns()->Items(0)->Footer()->SetValueType(fvtStaticText);
  Grid->Columns()->Items(0)->Footer()->SetValue("合计");
  Grid->Columns()->Items(4)->Footer()->SetValueType(fvtSum);
  Grid->Columns()->Items(6)->Footer()->SetValueType(fvtSum);
  Grid->SumList()->SetActive(true);
  Grid->Columns()->Items(2)->STFilter()->SetFilterText("Harbin,Xian");
  Grid->Columns()->Items(4)->STFilter()->SetFilterText(">= 2");
  Grid->Columns()->Items(2)->PickList()->SetText("哈尔滨\r\n大连\r\n西安\r\n武汉\r\n苏州");
  Orders->Locate("ID", Variant(6), {});
  Orders->Edit();
  Orders->FieldByName("City")->SetAsString("苏州");
  Orders->Post();
  Form->Show();
  Grid->SetFocus();
  Headless().ProcessMessages();
  // A selected rectangle over three columns and three records.
  Orders->Locate("ID", Variant(2), {});
  Grid->Selection()->Rect()->SelectCell(1, Orders->Bookmark(), false);
  Orders->Locate("ID", Variant(4), {});
  Grid->Selection()->Rect()->SelectCell(3, Orders->Bookmark(), true);
  // The pick list open on the current record's city.
  Orders->Locate("ID", Variant(6), {});
  Grid->SelectDataColumn(2);
  Grid->ShowEditor();
  ASSERT_NE(Grid->CellEditor(), nullptr);
  Grid->CellEditor()->OpenDropDown();
  Headless().ProcessMessages();
  ASSERT_TRUE(Grid->CellEditor()->ListVisible());
  EXPECT_EQ(Grid->CellEditor()->PickList()->ItemIndex(), 4);
  EXPECT_EQ(Grid->FooterCellText(0, Grid->Columns()->Items(4)), "44");
  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  AnsiString file = (dir / "grid_core.png").string();
  ASSERT_TRUE(Headless().SaveScreenshot(file));
  EXPECT_GT(std::filesystem::file_size(file), 2000u);
}

TEST_F(GridEhMouse, LiveSizingFollowsThePointer)
{
  Focused();
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxLiveColSizingEh});
  Integer raw = RawOf("Name");
  std::vector<Integer> widths;
  Grid->OnColWidthsChanged = [&](TObject*) { widths.push_back(Col("Name")->Width()); };
  TRect title = Grid->CellRect(raw, 0);
  Integer before = Col("Name")->Width();
  TPoint border = Grid->ClientToScreen({title.Right, title.Top + 5});
  Headless().Advance(1000);
  Headless().Drag(border, {border.X - 40, border.Y}, 4);
  Headless().ProcessMessages();
  EXPECT_EQ(Col("Name")->Width(), before - 40);
  ASSERT_GE(widths.size(), 4u) << "the width followed every step of the drag";
  EXPECT_EQ(widths.front(), before - 10);
  // Without live sizing the width changes once, at the release.
  Grid->SetExtOptions(Grid->ExtOptions() - TDBGridEhExtOptions{dgxLiveColSizingEh});
  widths.clear();
  title = Grid->CellRect(raw, 0);
  border = Grid->ClientToScreen({title.Right, title.Top + 5});
  Headless().Advance(1000);
  Headless().Drag(border, {border.X + 20, border.Y}, 4);
  Headless().ProcessMessages();
  EXPECT_EQ(Col("Name")->Width(), before - 20);
  EXPECT_EQ(widths.size(), 1u);
}

TEST_F(GridEhMouse, TheIndicatorSelectsRecordsAndTitlesSelectColumns)
{
  Focused();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Integer h = Grid->HeaderRowCount();
  auto ids = [&] {
    std::vector<Integer> out;
    AnsiString saved = Orders->Bookmark();
    for (Integer i = 0; i < Grid->SelectedRows()->Count(); ++i) {
      Orders->SetBookmark(Grid->SelectedRows()->Items(i));
      out.push_back(CurrentId());
    }
    Orders->SetBookmark(saved);
    return out;
  };
  Click(Centre(0, h + 2));
  EXPECT_EQ(ids(), (std::vector<Integer>{3}));
  Click(Centre(0, h + 4), true);
  EXPECT_EQ(ids(), (std::vector<Integer>{3, 5}));
  Headless().KeyDown(VK_SHIFT);
  Click(Centre(0, h + 6));
  Headless().KeyUp(VK_SHIFT);
  Headless().ProcessMessages();
  EXPECT_EQ(ids(), (std::vector<Integer>{3, 5, 6, 7}));
  // A plain click selects that record alone (the window may have scrolled: read its id).
  Integer saved = Grid->DataLink()->ActiveRecord();
  Grid->DataLink()->SetActiveRecord(1);
  Integer second = CurrentId();
  Grid->DataLink()->SetActiveRecord(saved);
  Click(Centre(0, h + 1));
  EXPECT_EQ(ids(), (std::vector<Integer>{second}));
  // The title's indicator cell empties a selection there is, else selects everything.
  Click(Centre(0, 0));
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);
  Click(Centre(0, 0));
  EXPECT_EQ(Grid->Selection()->Kind(), selAllEh);
  Click(Centre(0, 0));
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);

  // The lowest pixels of a title select columns: Ctrl toggles, Shift extends.
  auto zone = [&](Integer dataCol) {
    TRect r = Grid->CellRect(Grid->DataToRawColumn(dataCol), 0);
    return Grid->ClientToScreen({(r.Left + r.Right) / 2, r.Bottom - 3});
  };
  auto cols = [&] {
    std::vector<Integer> out;
    for (Integer i = 0; i < Grid->Selection()->Columns()->Count(); ++i)
      out.push_back(Grid->Selection()->Columns()->Items(i)->Index());
    return out;
  };
  Click(zone(0));
  EXPECT_EQ(Grid->Selection()->Kind(), selColumnsEh);
  Click(zone(2), true);
  EXPECT_EQ(cols(), (std::vector<Integer>{0, 2}));
  Headless().KeyDown(VK_SHIFT);
  Click(zone(1));
  Headless().KeyUp(VK_SHIFT);
  Headless().ProcessMessages();
  EXPECT_EQ(cols(), (std::vector<Integer>{0, 1, 2}));
  EXPECT_EQ(CurrentId(), second) << "selecting columns moves no record";
}
