// Multi-level titles (the tree built from "|" paths, word splitting, group widths, the title
// height from the tree) and footers (aggregates of the sum list, texts by field type, field
// values, static texts, several footer rows).
#include "platform/rtl/SysUtils.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

// The tree as text: "A{X{1,2},Y{1}}" style, children in ring order.
AnsiString TreeText(THeadTreeNode* Node)
{
  AnsiString s;
  std::vector<THeadTreeNode*> children = Node->Children();
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (i > 0)
      s += ",";
    s += children[i]->Caption;
    if (children[i]->FirstChild)
      s += "{" + TreeText(children[i]) + "}";
  }
  return s;
}

} // namespace

TEST(GridEhTitleWords, PathsSplitOnRunsOfBars)
{
  struct {
    const char* Text;
    Integer N;
    const char* Word;
    Integer Pos;
  } cases[] = {{"A|X|1", 2, "X", 3}, {"|A", 1, "A", 2},   {"|A", 2, "", 0},
               {"A|", 2, "", 0},     {"A||B", 2, "B", 4}, {"地址|城市", 2, "城市", 6}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(NthWord(c.N, c.Text), c.Word);
    EXPECT_EQ(NthWordPosition(c.N, c.Text), c.Pos);
  }
}

TEST(GridEhTitleTree, TreeOperationsCheckTheirNodes)
{
  THeadTreeNode root("Root", 0, 10);
  THeadTreeNode* a = root.AppendChild(&root, "a", 10, 20);
  THeadTreeNode* b = root.AppendChild(&root, "b", 20, 20);
  THeadTreeNode* c = root.InsertAfter(b, "c", 30, 20);
  EXPECT_EQ(TreeText(&root), "a,b,c");
  EXPECT_EQ(c->NextSibling, a) << "the ring closes";
  THeadTreeNode stranger;
  try {
    root.AppendChild(&stranger, "x", 1, 1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Node not in Tree");
  }
  try {
    root.GroupSiblings(c, a, 5, "g");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "ATo not in level");
  }
  a->LineWidth = b->LineWidth = c->LineWidth = 1;
  THeadTreeNode* g = root.GroupSiblings(a, b, 5, "g");
  EXPECT_EQ(TreeText(&root), "g{a,b},c");
  EXPECT_EQ(g->NodeWidth, 10 + 1 + 20) << "children and the line between them";
  EXPECT_EQ(a->NodeHeight, 15);
  EXPECT_EQ(a->Depth(), 2);
  EXPECT_TRUE(root.Contains(b));
}

using GridEhMultiTitle = GridEhTest;

TEST_F(GridEhMultiTitle, CaptionsGroupNeighboursAndKeepEveryWord)
{
  MakeGrid(false);
  Grid->SetUseMultiTitle(true);
  struct {
    std::vector<const char*> Captions;
    const char* Tree;
  } cases[] = {
      {{"A|X|1", "A|X|2", "A|Y|1"}, "A{X{1,2},Y{1}}"},
      {{"A|1", "B|1", "A|2"}, "A{1},B{1},A{2}"},
      {{"Plain"}, "Plain"},
      {{"X|A|1", "A|2"}, "X{A{1}},A{2}"},
      {{"A||1", "A|2"}, "A{1,2}"},
      {{"|A", "A|"}, "|A,A|"},
      {{"地址|城市", "地址|街道", "电话"}, "地址{城市,街道},电话"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Tree);
    Grid->Columns()->Clear();
    for (const char* caption : c.Captions)
      Grid->Columns()->Add()->Title()->SetCaption(caption);
    Grid->LayoutChanged();
    EXPECT_EQ(TreeText(Grid->TitleRoot()), c.Tree);
  }
  // The captions of the columns themselves stay whole.
  EXPECT_EQ(Grid->Columns()->Items(0)->Title()->Caption(), "地址|城市");
  EXPECT_EQ(Grid->LeafOf(1)->Caption, "街道");
  // The upper title spans both columns and the line between them.
  THeadTreeNode* group = Grid->LeafOf(0)->ParentNode;
  EXPECT_EQ(group->NodeWidth,
            Grid->Columns()->Items(0)->Width() + 1 + Grid->Columns()->Items(1)->Width());
  // The title row holds two lines of text: the band above and the leaf below.
  Integer single = 13 + Grid->TitleTextSpacing();
  EXPECT_EQ(Grid->RowHeights(0), 2 * single - 1);
  EXPECT_EQ(Grid->Columns()->Items(0)->Title()->Alignment(), taCenter);
}

TEST_F(GridEhMultiTitle, TheBandIsDrawnOnceAcrossItsColumns)
{
  MakeGrid(false);
  Grid->SetUseMultiTitle(true);
  for (const char* caption : {"地址|城市", "地址|街道", "电话"})
    Grid->Columns()->Add()->Title()->SetCaption(caption);
  Headless().ProcessMessages();
  auto at = [&](Integer x, Integer y) {
    return Headless().ScreenPixel(Grid->ClientToScreen({x, y}));
  };
  TRect c0 = Grid->CellRect(1, 0), c1 = Grid->CellRect(2, 0), c2 = Grid->CellRect(3, 0);
  Integer bandY = c0.Top + 3;
  // No column line inside the band between its two columns; a line under the band.
  EXPECT_NE(at(c0.Right, bandY), RGB(0, 0, 0)) << "the band runs over the column line";
  EXPECT_EQ(at(c0.Right, c0.Bottom - 4), RGB(0, 0, 0)) << "the leaves are separated";
  Integer lineY = -1;
  for (Integer y = c0.Top + 1; y < c0.Bottom; ++y)
    if (at(c0.Left + 5, y) == RGB(0, 0, 0) && at(c1.Left + 5, y) == RGB(0, 0, 0)) {
      lineY = y;
      break;
    }
  EXPECT_GT(lineY, c0.Top) << "a line under the band";
  EXPECT_NE(at(c2.Left + 5, lineY), RGB(0, 0, 0)) << "the single-level title has no band line";
}

using GridEhFooters = GridEhTest;

TEST_F(GridEhFooters, FooterTextsByValueType)
{
  MakeGrid();
  Grid->SetFooterRowCount(1);
  Grid->SumList()->SetActive(true);
  struct {
    const char* Column;
    TFooterValueType Type;
    const char* FieldName;
    const char* Format;
    const char* Text;
  } cases[] = {
      {"Qty", fvtSum, "", "", "44"},
      {"Qty", fvtAvg, "", "", "5"}, // 44 / 9 = 4.8889, shown rounded
      {"Qty", fvtAvg, "", "0.00", "4.89"},
      {"Price", fvtSum, "", "", "120.59"}, // the field's own format "0.00"
      {"Amount", fvtSum, "", "", "197.87"},
      {"Amount", fvtSum, "", "#,##0.0", "197.9"},
      {"ID", fvtCount, "", "", "10"},
      {"City", fvtStaticText, "", "", "合计"},
      {"City", fvtFieldValue, "City", "", "Harbin"},
      {"City", fvtFieldValue, "NoSuchField", "", ""},
      {"Born", fvtFieldValue, "Born", "yyyy", "1980"},
      {"Notes", fvtNon, "", "", ""},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Column << " " << c.Type << " " << c.Format);
    TColumnFooterEh* f = Col(c.Column)->Footer();
    f->SetFieldName(c.FieldName);
    f->SetValueType(c.Type);
    f->SetDisplayFormat(c.Format);
    if (c.Type == fvtStaticText)
      f->SetValue("合计");
    Grid->SumList()->RecalculateAll();
    Orders->First();
    EXPECT_EQ(Grid->FooterCellText(0, Col(c.Column)), c.Text);
  }
  // Painting a footer whose field is unknown raises nothing.
  Col("City")->Footer()->SetValueType(fvtFieldValue);
  Col("City")->Footer()->SetFieldName("NoSuchField");
  Grid->Invalidate();
  EXPECT_NO_THROW(Headless().ProcessMessages());
}

TEST_F(GridEhFooters, CountFootersShareOneAggregateAndSumsFollowEdits)
{
  MakeGrid();
  Grid->SetFooterRowCount(2);
  Grid->SumList()->SetActive(true);
  Col("ID")->Footer()->SetValueType(fvtCount);
  Col("Name")->Footer()->SetValueType(fvtCount);
  EXPECT_NE(Col("ID")->Footer()->Sum(), Col("Name")->Footer()->Sum()) << "one item each";
  Integer counts = 0;
  TDBSumCollection* sums = Grid->SumList()->SumCollection();
  for (Integer i = 0; i < sums->Count(); ++i)
    counts += sums->Items(i)->GroupOperation() == goCount ? 1 : 0;
  EXPECT_EQ(counts, 2);
  Grid->SumList()->RecalculateAll();
  EXPECT_EQ(Grid->FooterCellText(0, Col("ID")), "10");
  EXPECT_EQ(Grid->FooterCellText(0, Col("Name")), "10");

  // Averages of 10, null, 20 follow the edits.
  TColumnFooterEh* avg = Col("Qty")->Footers()->Add();
  avg->SetValueType(fvtAvg);
  EXPECT_EQ(Col("Qty")->FooterAt(0), avg);
  EXPECT_EQ(Col("Qty")->FooterAt(1), Col("Qty")->Footer()) << "row 1 uses the single footer";
  Grid->SumList()->RecalculateAll();
  EXPECT_EQ(Grid->FooterCellText(0, Col("Qty")), "5");
  Orders->Locate("ID", Variant(2), {});
  Orders->Edit();
  Orders->FieldByName("Qty")->SetAsInteger(30);
  Orders->Post();
  EXPECT_EQ(Grid->FooterCellText(0, Col("Qty")), "7") << "74 / 10";
  // Freeing a column gives its sums back.
  Integer before = sums->Count();
  delete Col("Qty");
  EXPECT_EQ(sums->Count(), before - 1);
}
