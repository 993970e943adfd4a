// The export matrix: grid lines, tolerance merge and row limits, cells, pieces cut from
// covered objects, rectangles and lines, inherited fills, shared borders and pages.
#include "report/output/frxExportMatrix.h"

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/ui/backend/headless/Headless.h"

namespace {

class frxExportMatrixTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    m.ShowProgress = false;
  }
  void TearDown() override { Headless().Reset(); }

  TfrxMemoView* Memo(Extended L, Extended T, Extended W, Extended H, const AnsiString& Text = "")
  {
    auto* memo = new TfrxMemoView(nullptr);
    memo->SetBounds(L, T, W, H);
    memo->SetText(Text);
    owned.emplace_back(memo);
    return memo;
  }

  std::vector<Integer> Row(Integer R)
  {
    std::vector<Integer> cells;
    for (Integer c = 0; c < m.ColumnCount(); ++c)
      cells.push_back(m.Cell(c, R));
    return cells;
  }

  std::vector<Extended> Columns()
  {
    std::vector<Extended> p;
    for (Integer i = 0; i < m.ColumnCount(); ++i)
      p.push_back(m.ColumnPosition(i));
    return p;
  }
  std::vector<Extended> Rows()
  {
    std::vector<Extended> p;
    for (Integer i = 0; i < m.RowCount(); ++i)
      p.push_back(m.RowPosition(i));
    return p;
  }

  TfrxIEMatrix m;
  std::vector<std::unique_ptr<TfrxComponent>> owned;
};

} // namespace

// Two overlapping texts: the grid, the cells, and the covered one cut into two pieces, the
// first taking its text and its outer frame sides.
TEST_F(frxExportMatrixTest, OverlapCutsTheCoveredObject)
{
  TfrxMemoView* t1 = Memo(10, 10, 100, 20, "one");
  t1->Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
  m.AddObject(t1);
  m.AddObject(Memo(60, 20, 100, 20, "two"));
  m.Prepare();
  EXPECT_EQ(Columns(), (std::vector<Extended>{10, 60, 110, 160}));
  EXPECT_EQ(Rows(), (std::vector<Extended>{10, 20, 30, 40}));
  ASSERT_EQ(m.ObjectCount(), 4);
  EXPECT_EQ(Row(0), (std::vector<Integer>{2, 2, -1, -1}));
  EXPECT_EQ(Row(1), (std::vector<Integer>{3, 1, 1, -1}));
  EXPECT_EQ(Row(2), (std::vector<Integer>{-1, 1, 1, -1}));
  EXPECT_EQ(Row(3), (std::vector<Integer>{-1, -1, -1, -1}));

  TfrxIEMObject* p1 = m.ObjectByIndex(2);
  EXPECT_EQ(p1->Left, 10);
  EXPECT_EQ(p1->Top, 10);
  EXPECT_EQ(p1->Width, 100);
  EXPECT_EQ(p1->Height, 10);
  EXPECT_EQ(p1->Lines->Text(), "one\r\n");
  EXPECT_EQ(p1->Style->FrameTyp, (TfrxFrameTypes{ftTop, ftLeft, ftRight}));
  TfrxIEMObject* p2 = m.ObjectByIndex(3);
  EXPECT_EQ(p2->Left, 10);
  EXPECT_EQ(p2->Top, 20);
  EXPECT_EQ(p2->Width, 50);
  EXPECT_EQ(p2->Lines->Count(), 0);
  EXPECT_EQ(p2->Style->FrameTyp, (TfrxFrameTypes{ftLeft, ftBottom}));
  Integer c, r, cs, rs;
  m.ObjectBounds(1, c, r, cs, rs);
  EXPECT_EQ(std::vector<Integer>({c, r, cs, rs}), std::vector<Integer>({1, 1, 2, 2}));
  EXPECT_EQ(m.ObjectByIndex(0)->Lines->Count(), 0);
  EXPECT_EQ(m.ObjectByIndex(4), nullptr);
  EXPECT_EQ(m.ObjectAt(-1, 0), nullptr);
}

// Lines nearer than the tolerance merge into the later one; gaps above the row limit get
// extra lines; exact duplicates leave no empty rows.
TEST_F(frxExportMatrixTest, ToleranceAndRowLimit)
{
  m.Tolerance = 0.5;
  m.MaxRowHeight = 535.79L;
  m.AddObject(Memo(0, 0, 10, 1200));
  m.AddObject(Memo(0.3L, 0, 10, 1200));
  m.Prepare();
  EXPECT_EQ(Columns(), (std::vector<Extended>{0.3L, 10.3L}));
  const std::vector<Extended> rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], 0);
  EXPECT_NEAR(static_cast<double>(rows[1]), 535.79, 1e-9);
  EXPECT_NEAR(static_cast<double>(rows[2]), 1071.58, 1e-9);
  EXPECT_EQ(rows[3], 1200);
  // Both objects cover every row; the later one covers the earlier.
  EXPECT_EQ(Row(2), (std::vector<Integer>{1, -1}));
}

// A transparent rectangle becomes four border lines, a filled one an empty cell with its
// fill and all four borders; lines are one pixel thick.
TEST_F(frxExportMatrixTest, RectanglesAndLines)
{
  TfrxShapeView clear(nullptr), filled(nullptr);
  clear.SetBounds(0, 120, 100, 40);
  clear.Frame()->SetColor(clRed);
  filled.SetBounds(150, 120, 100, 40);
  filled.SetColor(clSilver);
  m.AddObject(&clear);
  m.AddObject(&filled);
  m.Prepare();
  // The left line covers a corner of the top line, which is cut into pieces after them.
  ASSERT_GE(m.ObjectCount(), 5);
  const TfrxFrameTypes expected[4] = {{ftTop}, {ftLeft}, {ftTop}, {ftLeft}};
  for (Integer i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    TfrxIEMObject* line = m.ObjectByIndex(i);
    EXPECT_EQ(line->Style->FrameTyp, expected[i]);
    EXPECT_EQ(line->Style->FrameColor, clRed);
    EXPECT_TRUE(line->Width == 1 || line->Height == 1);
  }
  EXPECT_EQ(m.ObjectByIndex(2)->Top, 160); // the bottom line
  EXPECT_EQ(m.ObjectByIndex(3)->Left, 100);
  TfrxIEMObject* cell = m.ObjectByIndex(4);
  EXPECT_TRUE(cell->HoldsText);
  EXPECT_EQ(cell->Lines->Count(), 0);
  EXPECT_EQ(cell->Style->Color, clSilver);
  EXPECT_EQ(cell->Style->FrameTyp, (TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom}));
  EXPECT_EQ(cell->Style->Font->Size(), 1);
}

// A transparent text on a filled object takes the fill, unless it is its own text colour;
// equal attributes share one style.
TEST_F(frxExportMatrixTest, TransparentTextTakesTheFillUnderIt)
{
  TfrxMemoView* under = Memo(0, 0, 200, 100);
  under->SetColor(clYellow);
  m.AddObject(under);
  TfrxMemoView* a = Memo(10, 10, 50, 20, "a");
  a->Font()->SetColor(clBlack);
  m.AddObject(a);
  TfrxMemoView* b = Memo(10, 50, 50, 20, "b");
  b->Font()->SetColor(clYellow);
  m.AddObject(b);
  TfrxMemoView* c = Memo(100, 10, 50, 20, "c");
  c->Font()->SetColor(clBlack);
  m.AddObject(c);
  m.Prepare();
  auto find = [&](const AnsiString& text) -> TfrxIEMObject* {
    for (Integer i = 0; i < m.ObjectCount(); ++i)
      if (m.ObjectByIndex(i)->Lines->Text() == text + "\r\n")
        return m.ObjectByIndex(i);
    return nullptr;
  };
  ASSERT_TRUE(find("a") && find("b") && find("c"));
  EXPECT_EQ(find("a")->Style->Color, clYellow);
  EXPECT_EQ(find("b")->Style->Color, clNone);
  EXPECT_EQ(find("a")->Style, find("c")->Style);
}

// Objects of the second page start below the first page's lowest object; the pages keep
// their bottoms, sizes and margins.
TEST_F(frxExportMatrixTest, PagesStack)
{
  m.AddObject(Memo(10, 50, 100, 30));
  m.AddPage(0, 794, 1123, 10, 11, 12, 13);
  m.AddObject(Memo(10, 5, 100, 20));
  m.AddPage(1, 1123, 794, 5, 5, 5, 5);
  m.Prepare();
  EXPECT_EQ(m.ObjectByIndex(1)->Top, 85);
  EXPECT_EQ(m.PageCount(), 2);
  EXPECT_EQ(m.PageBottom(0), 80);
  EXPECT_EQ(m.PageBottom(1), 105);
  EXPECT_EQ(m.PageBottom(2), 0);
  EXPECT_EQ(m.PageTopMargin(0), 11);
  EXPECT_EQ(m.PageBottomMargin(0), 13);
  EXPECT_FALSE(m.PageOrientation(0));
  EXPECT_TRUE(m.PageOrientation(1));
  EXPECT_EQ(m.PageWidth(1), 1123);
}

// With DropSharedBorders a side that repeats the neighbour's border goes.
TEST_F(frxExportMatrixTest, SharedBordersDrop)
{
  m.DropSharedBorders = true;
  TfrxMemoView* a = Memo(0, 0, 50, 20, "a");
  TfrxMemoView* b = Memo(50, 0, 50, 20, "b");
  TfrxMemoView* c = Memo(0, 20, 50, 20, "c");
  for (TfrxMemoView* v : {a, b, c}) {
    v->Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
    m.AddObject(v);
  }
  m.Prepare();
  EXPECT_EQ(m.ObjectByIndex(0)->Style->FrameTyp,
            (TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom}));
  EXPECT_EQ(m.ObjectByIndex(1)->Style->FrameTyp, (TfrxFrameTypes{ftRight, ftTop, ftBottom}));
  EXPECT_EQ(m.ObjectByIndex(2)->Style->FrameTyp, (TfrxFrameTypes{ftLeft, ftRight, ftBottom}));
}

// Pictures are drawn into a bitmap one pixel in from the corner; the background object
// goes first and covers the content.
TEST_F(frxExportMatrixTest, PicturesAndBackground)
{
  m.AddBackground = true;
  TfrxPictureView pic(nullptr);
  pic.SetBounds(20, 30, 10, 10);
  auto bmp = std::make_unique<TBitmap>(10, 10);
  bmp->Canvas()->Brush()->SetColor(clRed);
  bmp->Canvas()->FillRect(TRect{0, 0, 10, 10});
  pic.Picture()->SetGraphic(bmp.get());
  m.AddObject(&pic);
  m.Prepare();
  // The background is cut around the picture; it stays first in the list.
  TfrxIEMObject* bg = m.ObjectByIndex(0);
  EXPECT_EQ(bg->Style->Color, clWhite);
  EXPECT_EQ(bg->Width, 31);
  TfrxIEMObject* p = m.ObjectByIndex(1);
  EXPECT_FALSE(p->HoldsText);
  EXPECT_EQ(p->Width, 11);
  ASSERT_TRUE(p->Bitmap);
  EXPECT_EQ(p->Bitmap->Width(), 12);
  EXPECT_EQ(p->Bitmap->Pixel(0, 0), clWhite);
  EXPECT_EQ(p->Bitmap->Pixel(1, 1), clRed);
  EXPECT_EQ(p->Bitmap->Pixel(10, 10), clRed);
  EXPECT_EQ(m.ObjectAt(1, 1), p);
  EXPECT_EQ(m.ObjectAt(0, 0)->Style->Color, clWhite); // a piece of the background
}
