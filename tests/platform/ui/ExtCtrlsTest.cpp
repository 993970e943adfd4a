// Panels, bevels, shapes, images, radio groups and notebooks: their drawing by pixel
// probes, their layout and their behaviour through the headless backend.
#include "platform/ui/ExtCtrls.h"

#include "tests/platform/ui/UiTestKit.h"

namespace {

template <class T> T* Make(TWinControl* parent, TRect bounds)
{
  T* c = new T(parent);
  c->SetBoundsRect(bounds);
  c->SetParent(parent);
  return c;
}

struct TShownForm {
  TForm* Form;
  TShownForm()
  {
    Form = new TForm(nullptr);
    Form->SetCaption("扩展控件");
    Form->SetBounds(50, 50, 500, 400);
    Form->SetColor(clWhite);
  }
  void Show()
  {
    Form->Show();
    Headless().ProcessMessages();
  }
  ~TShownForm() { delete Form; }
  TColor Pixel(TControl* c, Integer x, Integer y) const
  {
    return Headless().ScreenPixel(c->ClientToScreen({x, y}));
  }
};

} // namespace

using ExtControls = UiTest;

TEST_F(ExtControls, PanelBevelsFrameItsChildrenAndCaption)
{
  TShownForm f;
  auto* panel = Make<TPanel>(f.Form, Bounds(10, 10, 200, 100));
  panel->SetBevelInner(bvLowered);
  panel->SetBevelWidth(2);
  panel->SetCaption("面板");
  f.Show();
  EXPECT_EQ(f.Pixel(panel, 0, 0), ColorToRGB(clBtnHighlight)) << "raised outer bevel";
  EXPECT_EQ(f.Pixel(panel, 199, 99), ColorToRGB(clBtnShadow));
  EXPECT_EQ(f.Pixel(panel, 2, 2), ColorToRGB(clBtnShadow)) << "lowered inner bevel";
  // Somewhere in the middle the caption shows on the face.
  bool ink = false;
  for (Integer x = 80; x < 120 && !ink; ++x)
    for (Integer y = 40; y < 60 && !ink; ++y)
      ink = f.Pixel(panel, x, y) != ColorToRGB(clBtnFace);
  EXPECT_TRUE(ink) << "the caption is drawn in the middle";
  auto* child = Make<TPanel>(panel, Bounds(0, 0, 10, 10));
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(4, 4, 196, 96)) << "aligned inside both bevels";

  panel->SetBevelOuter(bvNone);
  panel->SetBevelInner(bvNone);
  EXPECT_EQ(child->BoundsRect(), Rect(0, 0, 200, 100));
}

TEST_F(ExtControls, BevelShapes)
{
  struct TCase {
    const char* Name;
    TBevelShape Shape;
    TBevelStyle Style;
    TPoint Probe;
    TColor Expected;
  } cases[] = {
      {"lowered box, top edge", bsBox, bsLowered, {10, 0}, clBtnShadow},
      {"lowered box, bottom edge", bsBox, bsLowered, {10, 39}, clBtnHighlight},
      {"raised box, left edge", bsBox, bsRaised, {0, 10}, clBtnHighlight},
      {"top line", bsTopLine, bsLowered, {10, 1}, clBtnHighlight},
      {"bottom line", bsBottomLine, bsLowered, {10, 38}, clBtnShadow},
      {"right line", bsRightLine, bsRaised, {59, 10}, clBtnShadow},
      {"spacer draws nothing", bsSpacer, bsLowered, {0, 0}, clWhite},
  };
  TShownForm f;
  auto* bevel = Make<TBevel>(f.Form, Bounds(20, 20, 60, 40));
  f.Show();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    bevel->SetShape(c.Shape);
    bevel->SetStyle(c.Style);
    EXPECT_EQ(f.Pixel(bevel, c.Probe.X, c.Probe.Y), ColorToRGB(c.Expected));
  }
}

TEST_F(ExtControls, ShapesAndPaintBoxes)
{
  TShownForm f;
  auto* shape = Make<TShape>(f.Form, Bounds(10, 10, 80, 40));
  shape->SetShape(stCircle);
  shape->Brush()->SetColor(clRed);
  auto* box = Make<TPaintBox>(f.Form, Bounds(100, 10, 50, 50));
  Integer paints = 0;
  box->OnPaint = [&](TObject*) {
    ++paints;
    box->Canvas()->Brush()->SetColor(clBlue);
    box->Canvas()->FillRect(Rect(0, 0, 50, 50));
  };
  f.Show();
  EXPECT_EQ(f.Pixel(shape, 40, 20), ColorToRGB(clRed)) << "the circle's middle";
  EXPECT_EQ(f.Pixel(shape, 5, 20), ColorToRGB(clWhite)) << "a circle takes the shorter side";
  shape->SetShape(stRectangle);
  EXPECT_EQ(f.Pixel(shape, 5, 20), ColorToRGB(clRed));
  shape->Pen()->SetColor(clLime);
  EXPECT_EQ(f.Pixel(shape, 0, 20), ColorToRGB(clLime)) << "a pen change repaints";
  EXPECT_GT(paints, 0);
  EXPECT_EQ(f.Pixel(box, 25, 25), ColorToRGB(clBlue));
}

TEST_F(ExtControls, ImagePlacesItsPicture)
{
  TShownForm f;
  auto* image = Make<TImage>(f.Form, Bounds(10, 10, 100, 50));
  TBitmap bitmap(40, 20);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(Rect(0, 0, 40, 20));
  image->Picture()->SetGraphic(&bitmap);
  struct TCase {
    const char* Name;
    bool Stretch, Proportional, Center;
    TRect Expected;
  } cases[] = {
      {"own size", false, false, false, Rect(0, 0, 40, 20)},
      {"centred", false, false, true, Rect(30, 15, 70, 35)},
      {"stretched", true, false, false, Rect(0, 0, 100, 50)},
      {"stretched keeping proportions", true, true, true, Rect(0, 0, 100, 50)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    image->SetStretch(c.Stretch);
    image->SetProportional(c.Proportional);
    image->SetCenter(c.Center);
    EXPECT_EQ(image->DestRect(), c.Expected);
  }
  image->SetWidth(120);
  EXPECT_EQ(image->DestRect(), Rect(10, 0, 110, 50)) << "proportional in a wider box";
  f.Show();
  EXPECT_EQ(f.Pixel(image, 60, 25), ColorToRGB(clRed));
  EXPECT_EQ(f.Pixel(image, 5, 25), ColorToRGB(clWhite));

  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 40);
  EXPECT_EQ(image->Height(), 20);

  // Drawing on the canvas draws on the bitmap.
  auto* blank = Make<TImage>(f.Form, Bounds(200, 10, 30, 30));
  blank->Canvas()->Brush()->SetColor(clBlue);
  blank->Canvas()->FillRect(Rect(0, 0, 30, 30));
  blank->Invalidate();
  EXPECT_EQ(f.Pixel(blank, 15, 15), ColorToRGB(clBlue));
}

TEST_F(ExtControls, RadioGroupItemsColumnsAndClicks)
{
  TShownForm f;
  auto* first = Make<TEdit>(f.Form, Bounds(300, 10, 100, 21));
  auto* group = Make<TRadioGroup>(f.Form, Bounds(10, 10, 200, 100));
  group->SetCaption("快递公司");
  std::vector<Integer> clicks;
  group->OnClick = [&](TObject*) { clicks.push_back(group->ItemIndex()); };
  group->Items()->Add("顺丰");
  group->Items()->Add("圆通");
  group->Items()->Add("中通");
  f.Show();
  EXPECT_TRUE(first->Focused());
  EXPECT_EQ(group->Buttons(1)->Caption(), "圆通");
  EXPECT_EQ(group->ItemIndex(), -1);

  Headless().Click(group->Buttons(2)->ClientToScreen({5, 5}));
  group->SetItemIndex(0);
  group->SetItemIndex(0);
  EXPECT_EQ(clicks, (std::vector<Integer>{2, 0})) << "by hand and by code, once each";
  EXPECT_TRUE(group->Buttons(0)->Checked());
  EXPECT_FALSE(group->Buttons(2)->Checked());

  group->SetColumns(2);
  EXPECT_EQ(group->Buttons(2)->Left(), group->Buttons(0)->Left() + 95) << "second column";
  EXPECT_EQ(group->Buttons(1)->Top(), group->Buttons(0)->Top() + group->Buttons(0)->Height());

  group->Items()->Delete(2);
  EXPECT_THROW(group->Buttons(2), EListError);
  EXPECT_EQ(group->ItemIndex(), 0);
  group->Items()->Clear();
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_TRUE(first->Focused() || !group->Focused());
}

TEST_F(ExtControls, NotebookShowsOnePageByName)
{
  TShownForm f;
  auto* book = Make<TNotebook>(f.Form, Bounds(10, 10, 200, 150));
  book->Pages()->SetText("寄件\r\n收件\r\n费用");
  f.Show();
  ASSERT_EQ(book->Pages()->Count(), 3);
  TPage* send = book->PageByName("寄件");
  TPage* fee = book->PageByName("费用");
  ASSERT_NE(send, nullptr);
  EXPECT_EQ(send->BoundsRect(), book->ClientRect()) << "a page fills the notebook";
  Integer changes = 0;
  book->OnPageChanged = [&](TObject*) { ++changes; };
  book->SetActivePage("费用");
  EXPECT_EQ(book->PageIndex(), 2);
  EXPECT_TRUE(fee->Visible());
  EXPECT_FALSE(send->Visible());
  book->SetActivePage("无此页");
  EXPECT_EQ(book->ActivePage(), "费用");
  EXPECT_EQ(changes, 1);

  // A page goes with its name; the page showing stays the same page.
  TDestroyWatch watch(send);
  book->Pages()->Delete(0);
  EXPECT_TRUE(watch.Destroyed());
  EXPECT_EQ(book->ActivePage(), "费用");
  EXPECT_EQ(book->PageIndex(), 1);
}

TEST_F(ExtControls, SplitterSizesItsNeighbour)
{
  TShownForm f;
  auto* tree = Make<TPanel>(f.Form, Bounds(0, 0, 141, 100));
  tree->SetAlign(alLeft);
  auto* splitter = Make<TSplitter>(f.Form, Bounds(141, 0, 3, 100));
  splitter->SetAlign(alLeft);
  auto* rest = Make<TPanel>(f.Form, Bounds(200, 0, 100, 100));
  rest->SetAlign(alClient);
  Integer moved = 0;
  splitter->OnMoved = [&](TObject*) { ++moved; };
  f.Show();
  ASSERT_EQ(splitter->Left(), 141);
  EXPECT_EQ(splitter->Cursor(), crHSplit);

  TPoint grip = splitter->ClientToScreen({1, 50});
  Headless().Drag(grip, {grip.X + 60, grip.Y});
  EXPECT_EQ(tree->Width(), 201);
  EXPECT_EQ(splitter->Left(), 201);
  EXPECT_EQ(rest->Left(), 204);
  EXPECT_EQ(moved, 1);

  // Not past what the rest needs, and snapped shut below the minimum.
  Integer limit = f.Form->ClientWidth() - splitter->MinSize() - splitter->Width();
  grip = splitter->ClientToScreen({1, 50});
  Headless().Drag(grip, {grip.X + 2000, grip.Y});
  EXPECT_EQ(tree->Width(), limit);
  grip = splitter->ClientToScreen({1, 50});
  Headless().Drag(grip, {grip.X - tree->Width() + 10, grip.Y});
  EXPECT_EQ(tree->Width(), 0) << "AutoSnap";

  // OnCanResize may refuse; Esc gives the drag up.
  tree->SetWidth(100);
  splitter->OnCanResize = [](TObject*, Integer& size, bool& accept) { accept = size < 150; };
  grip = splitter->ClientToScreen({1, 50});
  Headless().Drag(grip, {grip.X + 80, grip.Y});
  EXPECT_EQ(tree->Width(), 100);
  grip = splitter->ClientToScreen({1, 50});
  Headless().QueueStep([&] {
    Headless().Move({grip.X + 20, grip.Y});
    Headless().Key(VK_ESCAPE);
    Headless().Release(hbLeft, {grip.X + 20, grip.Y});
  });
  Headless().Press(hbLeft, grip);
  EXPECT_EQ(tree->Width(), 100);
}
