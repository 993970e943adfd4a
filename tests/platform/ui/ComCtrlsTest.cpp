// The common controls through the headless backend: progress and status bars, tool bars
// with every button style, tab and page controls, and up-down arrows with their edit.
#include "platform/ui/ComCtrls.h"

#include "platform/graphics/Pictures.h"
#include "platform/ui/Menus.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

template <class T> T* Make(TWinControl* parent, TRect bounds, const AnsiString& caption = "")
{
  T* c = new T(parent);
  c->SetBoundsRect(bounds);
  c->SetParent(parent);
  if (!caption.empty())
    c->SetCaption(caption);
  return c;
}

struct TTestForm {
  TForm* Form;
  TTestForm()
  {
    Form = new TForm(nullptr);
    Form->SetCaption("通用控件");
    Form->SetBounds(50, 50, 500, 400);
  }
  ~TTestForm() { delete Form; }
  void Show()
  {
    Form->Show();
    Headless().ProcessMessages();
  }
};

TColor Pixel(TControl* c, Integer x, Integer y)
{
  return Headless().ScreenPixel(c->ClientToScreen({x, y}));
}

// An image list of solid squares, one colour per image.
TImageList* SolidImages(TComponent* owner, Integer size, std::initializer_list<TColor> colors)
{
  auto* list = new TImageList(owner);
  list->SetWidth(size);
  list->SetHeight(size);
  for (TColor c : colors) {
    TBitmap b(size, size);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(Rect(0, 0, size, size));
    list->Add(&b, nullptr);
  }
  return list;
}

} // namespace

using CommonControls = UiTest;

TEST_F(CommonControls, ProgressBarFillsItsShare)
{
  TTestForm f;
  auto* bar = Make<TProgressBar>(f.Form, Bounds(10, 10, 204, 20));
  bar->SetSmooth(true);
  bar->SetPosition(50);
  f.Show();
  EXPECT_EQ(Pixel(bar, 30, 10), ColorToRGB(clHighlight));
  EXPECT_EQ(Pixel(bar, 170, 10), ColorToRGB(clBtnFace));
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100) << "kept at Max";
  bar->SetStep(30);
  bar->SetPosition(90);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 20) << "past Max it starts over";
  EXPECT_EQ(SendMessage(bar->Handle(), PBM_SETPOS, 5, 0), 20);
  EXPECT_EQ(bar->Position(), 5);
}

TEST_F(CommonControls, StatusBarPanelsOwnerDrawingAndGrip)
{
  TTestForm f;
  auto* bar = Make<TStatusBar>(f.Form, Bounds(0, 0, 100, 19));
  TStatusPanel* first = bar->Panels()->Add();
  first->SetWidth(150);
  first->SetText("第 1 页 共 3 页");
  TStatusPanel* second = bar->Panels()->Add();
  second->SetStyle(psOwnerDraw);
  TRect drawnAt;
  bar->OnDrawPanel = [&](TStatusBar* sb, TStatusPanel* panel, const TRect& r) {
    EXPECT_EQ(panel, second);
    drawnAt = r;
    sb->Canvas()->Brush()->SetColor(clRed);
    sb->Canvas()->FillRect(r);
  };
  f.Show();
  EXPECT_EQ(bar->Align(), alBottom);
  EXPECT_EQ(bar->Top() + bar->Height(), f.Form->ClientHeight());
  TRect r0 = bar->PanelRect(0), r1 = bar->PanelRect(1);
  EXPECT_EQ(r0.Width(), 150);
  EXPECT_EQ(r1.Left, 152);
  EXPECT_GT(r1.Right, bar->ClientWidth() - 20) << "the last panel takes the rest";
  EXPECT_LT(r1.Right, bar->ClientWidth()) << "short of the grip";
  EXPECT_FALSE(IsRectEmpty(drawnAt));
  EXPECT_EQ(Pixel(bar, r1.Left + 10, 10), ColorToRGB(clRed));
  EXPECT_EQ(bar->PanelAt({r1.Left + 5, 5}), 1);

  // The grip sizes the form.
  TPoint grip = bar->ClientToScreen({bar->Width() - 3, bar->Height() - 3});
  EXPECT_EQ(SendMessage(bar->Handle(), WM_NCHITTEST, 0, PointToLParam(grip)), HTBOTTOMRIGHT);
  Integer width = f.Form->Width();
  Headless().Drag(grip, {grip.X + 40, grip.Y + 30});
  EXPECT_EQ(f.Form->Width(), width + 40);

  bar->SetSimplePanel(true);
  bar->SetSimpleText("正在打印");
  EXPECT_EQ(bar->PanelAt({r1.Left + 5, 5}), 0);
}

TEST_F(CommonControls, ToolBarButtonsOfEveryStyle)
{
  TTestForm f;
  auto* bar = Make<TToolBar>(f.Form, Bounds(0, 0, 500, 29));
  bar->SetAlign(alNone);
  bar->Font()->SetName("宋体");
  bar->Font()->SetHeight(-12);
  bar->SetImages(SolidImages(f.Form, 32, {clRed, clGreen, clBlue}));
  bar->SetButtonWidth(55);
  bar->SetButtonHeight(51);
  bar->SetShowCaptions(true);
  bar->SetAutoSize(true);
  std::vector<AnsiString> clicks;
  auto add = [&](TToolButtonStyle style, const AnsiString& caption, Integer image) {
    auto* b = new TToolButton(bar);
    b->SetParent(bar);
    b->SetStyle(style);
    b->SetCaption(caption);
    b->SetImageIndex(image);
    b->OnClick = [&clicks, caption](TObject*) { clicks.push_back(caption); };
    return b;
  };
  TToolButton* add1 = add(tbsButton, "新建", 0);
  TToolButton* sep = add(tbsSeparator, "", -1);
  TToolButton* outline = add(tbsCheck, "大纲", 1);
  TToolButton* hand = add(tbsCheck, "拖放", 2);
  TToolButton* zoom = add(tbsCheck, "缩放", 2);
  hand->SetGrouped(true);
  zoom->SetGrouped(true);
  TToolButton* exportB = add(tbsDropDown, "导出", 0);
  auto* menu = new TPopupMenu(f.Form);
  auto* pdf = new TMenuItem(menu);
  pdf->SetCaption("PDF 文件(&P)...");
  pdf->OnClick = [&](TObject*) { clicks.push_back("pdf"); };
  menu->Items()->Add(pdf);
  exportB->SetDropdownMenu(menu);
  f.Show();

  EXPECT_EQ(bar->ButtonCount(), 6);
  EXPECT_EQ(bar->Buttons(0), add1) << "buttons made at run time are appended";
  EXPECT_EQ(add1->Width(), 55);
  EXPECT_EQ(add1->Height(), 51);
  EXPECT_EQ(bar->ClientHeight(), 51) << "AutoSize fits the row";
  EXPECT_EQ(sep->Left(), 55);
  EXPECT_EQ(outline->Left(), 63);
  EXPECT_EQ(Pixel(add1, 27, 15), ColorToRGB(clRed)) << "the picture above the caption";

  Headless().Click(add1->ClientToScreen({20, 20}));
  Headless().Click(outline->ClientToScreen({20, 20}));
  EXPECT_TRUE(outline->Down()) << "a check button stays down";
  Headless().Click(hand->ClientToScreen({20, 20}));
  Headless().Click(zoom->ClientToScreen({20, 20}));
  EXPECT_TRUE(zoom->Down());
  EXPECT_FALSE(hand->Down()) << "grouped: the other one came up";
  Headless().Click(zoom->ClientToScreen({20, 20}));
  EXPECT_TRUE(zoom->Down()) << "a group keeps one down";
  Headless().Click(exportB->ClientToScreen({20, 20}));
  Headless().QueueStep([] { Headless().Key('P'); });
  Headless().Click(exportB->ClientToScreen({exportB->Width() - 5, 20}));
  EXPECT_EQ(clicks,
            (std::vector<AnsiString>{"新建", "大纲", "拖放", "缩放", "缩放", "导出", "pdf"}));

  // The right button reaches OnMouseUp.
  bool rightUp = false;
  add1->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, Integer, Integer) {
    rightUp = b == mbRight;
  };
  Headless().Click(add1->ClientToScreen({20, 20}), hbRight);
  EXPECT_TRUE(rightUp);

  // Removing the separator closes the gap.
  delete sep;
  EXPECT_EQ(bar->ButtonCount(), 5);
  EXPECT_EQ(outline->Left(), 55);
  // A narrow bar wraps into rows and grows.
  bar->SetWidth(200);
  EXPECT_EQ(bar->ClientHeight(), 51 * 2);
  EXPECT_EQ(zoom->Left(), 0);
  EXPECT_EQ(zoom->Top(), 51);
}

TEST_F(CommonControls, TabControlAsksBeforeItChanges)
{
  TTestForm f;
  auto* tabs = Make<TTabControl>(f.Form, Bounds(10, 10, 300, 150));
  tabs->Tabs()->SetText("寄件人\r\n收件人\r\n物品");
  std::vector<Integer> changes;
  bool allow = true;
  tabs->OnChanging = [&](TObject*, bool& a) { a = allow; };
  tabs->OnChange = [&](TObject*) { changes.push_back(tabs->TabIndex()); };
  f.Show();
  EXPECT_EQ(tabs->TabIndex(), 0);
  TRect second = tabs->TabRect(1);
  EXPECT_EQ(tabs->IndexOfTabAt(second.Left + 5, second.Top + 5), 1);
  Headless().Click(tabs->ClientToScreen({second.Left + 5, second.Top + 5}));
  EXPECT_EQ(tabs->TabIndex(), 1);
  allow = false;
  TRect third = tabs->TabRect(2);
  Headless().Click(tabs->ClientToScreen({third.Left + 5, third.Top + 5}));
  EXPECT_EQ(tabs->TabIndex(), 1) << "OnChanging refused";
  allow = true;
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(tabs->TabIndex(), 2) << "the focused control takes the arrows";
  tabs->SetTabIndex(0);
  EXPECT_EQ(changes, (std::vector<Integer>{1, 2})) << "setting it from code is not a change";

  // Tabs that do not fit go to a second row; the selected row sits by the display area.
  tabs->SetWidth(120);
  tabs->SetMultiLine(true);
  EXPECT_EQ(tabs->TabRect(0).Top, tabs->TabRect(1).Top);
  EXPECT_GT(tabs->TabRect(0).Top, tabs->TabRect(2).Top) << "tab 2 went to a row above";
  EXPECT_GE(tabs->DisplayRect().Top, tabs->TabRect(0).Bottom);
}

TEST_F(CommonControls, PageControlShowsTheActiveSheet)
{
  TTestForm f;
  auto* pages = Make<TPageControl>(f.Form, Bounds(10, 10, 300, 200));
  auto sheet = [&](const AnsiString& caption) {
    auto* s = new TTabSheet(f.Form);
    s->SetCaption(caption);
    s->SetPageControl(pages);
    return s;
  };
  TTabSheet* a = sheet("常规");
  TTabSheet* b = sheet("页面");
  TTabSheet* c = sheet("高级");
  auto* edit = Make<TEdit>(b, Bounds(5, 5, 100, 21));
  Integer changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  f.Show();
  EXPECT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), a) << "the first page is active";
  EXPECT_TRUE(a->Visible());
  EXPECT_FALSE(b->Visible());
  EXPECT_EQ(a->BoundsRect(), pages->DisplayRect());

  TRect tab = pages->TabRect(1);
  Headless().Click(pages->ClientToScreen({tab.Left + 5, tab.Top + 5}));
  EXPECT_EQ(pages->ActivePage(), b);
  EXPECT_TRUE(b->Visible());
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(changes, 1);

  edit->SetFocus();
  Headless().Key(VK_TAB, false, true);
  EXPECT_EQ(pages->ActivePage(), c) << "Ctrl+Tab from a control on the page";
  EXPECT_FALSE(edit->Focused()) << "the focus left the hidden page";
  b->SetTabVisible(false);
  pages->SelectNextPage(false);
  EXPECT_EQ(pages->ActivePage(), a) << "a page without a tab is passed over";
  EXPECT_EQ(c->PageIndex(), 2);
  EXPECT_EQ(c->TabIndex(), 1);

  delete a;
  EXPECT_EQ(pages->ActivePage(), c) << "the next page takes over";
  EXPECT_EQ(pages->PageCount(), 2);
  pages->SetActivePage(b);
  EXPECT_EQ(pages->ActivePageIndex(), 0);
}

TEST_F(CommonControls, UpDownStepsItsEdit)
{
  TTestForm f;
  auto* edit = Make<TEdit>(f.Form, Bounds(10, 10, 80, 21));
  auto* ud = Make<TUpDown>(f.Form, Bounds(0, 0, 17, 25));
  ud->SetMin(5);
  ud->SetMax(72);
  ud->SetPosition(9);
  ud->SetAssociate(edit);
  std::vector<Integer> clicks;
  ud->OnClick = [&](TObject*, TUDBtnType) { clicks.push_back(ud->Position()); };
  f.Show();
  EXPECT_EQ(edit->Text(), "9");
  EXPECT_EQ(ud->Left(), edit->Left() + edit->Width()) << "the arrows sit at the edit's right";
  EXPECT_EQ(ud->Height(), edit->Height());

  Headless().Click(ud->ClientToScreen({8, 3}));
  EXPECT_EQ(edit->Text(), "10");
  Headless().Click(ud->ClientToScreen({8, ud->Height() - 3}));
  EXPECT_EQ(edit->Text(), "9");
  edit->SetFocus();
  Headless().Key(VK_UP);
  Headless().Key(VK_UP);
  EXPECT_EQ(edit->Text(), "11") << "Up in the edit steps";

  // A typed number counts; held down, the arrow repeats after a pause.
  edit->SetText("70");
  TPoint arrow = ud->ClientToScreen({8, 3});
  Headless().QueueStep([arrow] {
    Headless().AdvanceAndProcess(400 + 100 * 3);
    Headless().Release(hbLeft, arrow);
  });
  Headless().Press(hbLeft, arrow);
  EXPECT_EQ(ud->Position(), 72) << "stopped at Max";
  ud->SetWrap(true);
  ud->Step(btNext);
  EXPECT_EQ(ud->Position(), 5) << "with Wrap it starts over";

  bool allow = false;
  ud->OnChanging = [&](TObject*, bool& a) { a = allow; };
  ud->Step(btNext);
  EXPECT_EQ(ud->Position(), 5) << "OnChanging refused";
  EXPECT_EQ(clicks, (std::vector<Integer>{10, 9, 10, 11, 71, 72, 72, 72, 72, 5}))
      << "held: at once, then at 400, 500, 600 and 700 ms";
  delete edit;
  EXPECT_EQ(ud->Associate(), nullptr);
}
