// Docks and tool bars: rows packed and emptied, moves along a dock pushed clear of other
// bars or floating off its start, refused docks, dragging by the grip, and the layout of
// tool bars and forms kept in a settings store.
#include "report/output/frxDock.h"

#include <gtest/gtest.h>

#include "platform/rtl/IniFiles.h"
#include "platform/ui/backend/headless/Headless.h"

namespace {

class frxDockTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    form = new TForm(nullptr);
    form->SetName("DesignerForm");
    form->SetBounds(50, 50, 800, 600);
    top = new TfrxDock(form);
    top->SetName("TopDock");
    top->SetParent(form);
    bottom = new TfrxDock(form);
    bottom->SetName("BottomDock");
    bottom->SetParent(form);
    bottom->SetAlign(alBottom);
    bottom->ArrangeToolbars();
    form->Show();
  }
  void TearDown() override
  {
    delete form;
    Headless().Reset();
  }
  // A bar of Buttons 23-pixel buttons docked as a new row of Dock.
  TfrxToolBar* Bar(const char* Name, TfrxDock* Dock, Integer Buttons = 3)
  {
    auto* bar = new TfrxToolBar(form);
    bar->SetName(Name);
    bar->SetCaption(Name);
    bar->SetParent(Dock);
    for (Integer i = 0; i < Buttons; ++i) {
      auto* b = new TSpeedButton(form);
      b->SetParent(bar);
      b->SetBounds(8 + i * 23, 0, 23, 22);
    }
    bar->DockTo(Dock);
    return bar;
  }

  // A dock site on the form, named as the designer's left one.
  TfrxDockSite* LeftSite()
  {
    auto* site = new TfrxDockSite(form);
    site->SetName("LeftDockSite");
    site->SetParent(form);
    return site;
  }

  TForm* form = nullptr;
  TfrxDock* top = nullptr;
  TfrxDock* bottom = nullptr;
};

} // namespace

TEST_F(frxDockTest, RowsArePackedAndAnEmptyRowGoes)
{
  top->ArrangeToolbars();
  EXPECT_EQ(top->Height(), 1) << "a dock without bars is one pixel thick";
  TfrxToolBar* a = Bar("StdTB", top);
  EXPECT_EQ(a->Top(), 0);
  EXPECT_EQ(a->Width(), 8 + 3 * 23 + 4) << "grip, buttons and 4";
  EXPECT_EQ(top->Height(), 27);
  TfrxToolBar* b = Bar("TextTB", top);
  EXPECT_EQ(b->Top(), 26);
  EXPECT_EQ(top->Height(), 53);
  // The first row emptied: the second moves up and the dock loses a row.
  a->SetVisible(false);
  top->ArrangeToolbars();
  EXPECT_EQ(b->Top(), 0);
  EXPECT_EQ(top->Height(), 27);

  // A bottom dock grows away from the form's border and shrinks when its row empties.
  TfrxToolBar* c = Bar("AlignTB", bottom);
  TfrxToolBar* d = Bar("FrameTB", bottom);
  EXPECT_EQ(bottom->Height(), 53);
  EXPECT_EQ(bottom->Top() + bottom->Height(), form->ClientHeight());
  d->SetVisible(false);
  bottom->ArrangeToolbars();
  EXPECT_EQ(bottom->Height(), 27);
  EXPECT_EQ(c->Top() + c->Height(), bottom->Height());
}

TEST_F(frxDockTest, MovesArePushedClearOfOtherBarsOrRefused)
{
  TfrxToolBar* a = Bar("A", top);
  TfrxToolBar* b = Bar("B", top);
  // Both in the first row: B placed beyond A.
  ASSERT_TRUE(b->MoveTo(300, 0));
  ASSERT_EQ(b->Top(), 0);
  // Onto A: pushed to A's right edge.
  EXPECT_TRUE(b->MoveTo(a->Left() + 10, 0));
  EXPECT_EQ(b->Left(), a->Left() + a->Width());
  // Past the dock's end: back to end at it.
  EXPECT_TRUE(b->MoveTo(top->Width(), 0));
  EXPECT_EQ(b->Left() + b->Width(), top->Width());
  // Squeezed between A and C with no room: refused, nothing moves.
  TfrxToolBar* c = Bar("C", top);
  ASSERT_TRUE(c->MoveTo(a->Width() + 20, 0));
  ASSERT_EQ(c->Top(), 0);
  const TRect before = b->BoundsRect();
  EXPECT_FALSE(b->MoveTo(a->Width() - 10, 0));
  EXPECT_EQ(b->BoundsRect(), before);
}

TEST_F(frxDockTest, PastTheDockStartABarFloatsUnlessItMayNot)
{
  TfrxToolBar* fixed = Bar("Fixed", top);
  fixed->SetCanFloat(false);
  EXPECT_TRUE(fixed->MoveTo(-21, 0));
  EXPECT_FALSE(fixed->Floating());
  EXPECT_EQ(fixed->Left(), 0);
  EXPECT_EQ(fixed->Parent(), top);

  TfrxToolBar* bar = Bar("Loose", top);
  EXPECT_TRUE(bar->MoveTo(-20, 26));
  EXPECT_FALSE(bar->Floating()) << "20 pixels do not float it";
  Headless().Move({300, 300});
  EXPECT_TRUE(bar->MoveTo(-21, 26));
  ASSERT_TRUE(bar->Floating());
  TfrxFloatWindow* window = bar->FloatWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(bar->Parent(), window);
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->BoundsRect().TopLeft(), Point(300, 300));
  EXPECT_EQ(window->ClientWidth(), bar->Width() + 6);
  EXPECT_EQ(bar->BoundsRect().TopLeft(), Point(3, 18));
  EXPECT_EQ(top->Height(), 27) << "the dock lost the floated bar's row";
  // Back onto a dock over one of the form's docks; a bar for vertical docks only refuses.
  bar->SetOrientation(toVertOnly);
  EXPECT_FALSE(bar->FindDockAt(form, Point(100, 5)));
  EXPECT_TRUE(bar->Floating());
  bar->SetOrientation(toAny);
  EXPECT_TRUE(bar->FindDockAt(form, Point(100, 5)));
  EXPECT_FALSE(bar->Floating());
  EXPECT_EQ(bar->Parent(), top);
  EXPECT_EQ(bar->FloatWindow(), nullptr);
  EXPECT_TRUE(bar->DragBox()->Visible());
  bar->DragMouseUp();
}

TEST_F(frxDockTest, DraggingTheGripMovesTheBarAlongAndIntoRows)
{
  TfrxToolBar* a = Bar("A", top);
  TfrxToolBar* b = Bar("B", top);
  ASSERT_EQ(b->Top(), 26);
  const TPoint grip = b->DragBox()->ClientToScreen({3, 3});
  // Along the dock by the pointer's offset.
  Headless().Drag(grip, {grip.X + 200, grip.Y}, 4);
  EXPECT_EQ(b->Left(), 200);
  EXPECT_EQ(b->Top(), 26);
  // Up by a whole row (less than a row's offset does not count): into A's row, beside A.
  const TPoint g2 = b->DragBox()->ClientToScreen({3, 3});
  Headless().Drag(g2, {g2.X, g2.Y - 30}, 1);
  EXPECT_EQ(b->Top(), 0);
  EXPECT_GE(b->Left(), a->Left() + a->Width());
  EXPECT_EQ(top->Height(), 27);
  EXPECT_EQ(GetCapture(), HWND(0));
}

TEST_F(frxDockTest, ToolbarLayoutRoundTripsFloatingAndDocked)
{
  TMemIniFile store("");
  TfrxToolBar* docked = Bar("StdTB", top);
  TfrxToolBar* floating = Bar("TextTB", top);
  Headless().Move({420, 310});
  floating->StartFloating();
  floating->DragMouseUp();
  ASSERT_TRUE(floating->Floating());
  const TRect window = floating->FloatWindow()->BoundsRect();
  const TSize size{floating->Width(), floating->Height()};
  docked->MoveTo(150, 0);
  SaveToolbarLayout(&store, docked);
  SaveToolbarLayout(&store, floating);
  EXPECT_TRUE(store.ReadBool("ToolBar.TextTB", "Float", false));
  EXPECT_EQ(store.ReadString("ToolBar.StdTB", "Dock", ""), "TopDock");
  EXPECT_EQ(store.ReadString("ToolBar.TextTB", "Dock", "none"), "none");

  // The bars are put elsewhere, then restored.
  floating->DockTo(bottom);
  docked->DockTo(bottom);
  RestoreToolbarLayout(&store, docked);
  RestoreToolbarLayout(&store, floating);
  EXPECT_EQ(docked->Parent(), top);
  EXPECT_EQ(docked->Left(), 150);
  ASSERT_TRUE(floating->Floating());
  EXPECT_EQ(floating->FloatWindow()->BoundsRect().TopLeft(), window.TopLeft());
  EXPECT_EQ(floating->Width(), size.cx);
  EXPECT_EQ(floating->Height(), size.cy);
  EXPECT_TRUE(floating->IsShown());
  // A dock name that does not exist leaves the bar in its dock at the saved place.
  store.WriteString("ToolBar.StdTB", "Dock", "NoSuchDock");
  docked->DockTo(bottom);
  RestoreToolbarLayout(&store, docked);
  EXPECT_EQ(docked->Parent(), bottom);
  // Hidden is restored hidden.
  store.WriteBool("ToolBar.StdTB", "Visible", false);
  RestoreToolbarLayout(&store, docked);
  EXPECT_FALSE(docked->IsShown());
}

TEST_F(frxDockTest, FormLayoutRoundTripsAndDocksIntoANamedControl)
{
  TMemIniFile store("");
  auto* site = new TPanel(form);
  site->SetName("LeftDockSite");
  site->SetParent(form);
  site->SetAlign(alLeft);
  TForm inspector(form);
  inspector.SetBounds(10, 20, 200, 400);
  inspector.Show();
  SaveFormLayout(&store, &inspector);
  EXPECT_EQ(store.ReadInteger("Form.TForm", "Left", 0), 10);
  EXPECT_EQ(store.ReadInteger("Form.TForm", "Height", 0), 400);
  EXPECT_FALSE(store.ReadBool("Form.TForm", "Maximized", true));
  EXPECT_EQ(store.ReadString("Form.TForm", "Dock", "x"), "");

  inspector.SetBounds(300, 300, 100, 100);
  store.WriteString("Form.TForm", "Dock", "NoSuchSite");
  RestoreFormLayout(&store, &inspector);
  EXPECT_EQ(inspector.BoundsRect(), Bounds(10, 20, 200, 400));
  EXPECT_EQ(inspector.Parent(), nullptr) << "an unknown dock leaves the form undocked";
  store.WriteString("Form.TForm", "Dock", "LeftDockSite");
  RestoreFormLayout(&store, &inspector);
  EXPECT_EQ(inspector.Parent(), site);
  EXPECT_TRUE(inspector.Visible());
  inspector.SetParent(nullptr);
}

// ---- Dock sites ----

namespace {

// A form that can be docked: named, owned by the designer form.
TForm* Dockable(TComponent* Owner, const char* Name, Integer Width, Integer Height)
{
  auto* f = new TForm(Owner);
  f->SetName(Name);
  f->SetBounds(600, 100, Width, Height);
  return f;
}

} // namespace

TEST_F(frxDockTest, DockSiteTakesTheWidestFormAndShowsItsGripWhileDocked)
{
  auto* site = LeftSite();
  EXPECT_EQ(site->Width(), 10);
  EXPECT_FALSE(site->Grip()->Visible());
  TForm* inspector = Dockable(form, "ObjectInspector", 180, 300);
  TForm* tree = Dockable(form, "DataTree", 150, 200);
  site->DockForm(inspector);
  EXPECT_EQ(site->Width(), 180) << "a narrower site takes the dropped form's width";
  EXPECT_TRUE(site->Grip()->Visible());
  EXPECT_EQ(site->Grip()->Left(), site->Left() + site->Width());
  site->DockForm(tree);
  EXPECT_EQ(site->Width(), 180) << "a wider site keeps its width";
  EXPECT_EQ(tree->Top(), inspector->Height()) << "docked forms are stacked";
  site->UndockForm(inspector);
  EXPECT_TRUE(site->Grip()->Visible());
  site->UndockForm(tree);
  EXPECT_FALSE(site->Grip()->Visible()) << "the last form out hides the grip";
  EXPECT_EQ(tree->Parent(), nullptr);

  // Dragging the grip widens a left site.
  site->DockForm(tree);
  const Integer width = site->Width();
  const TPoint grip = site->Grip()->ClientToScreen({1, 50});
  Headless().Drag(grip, {grip.X + 40, grip.Y}, 4);
  EXPECT_EQ(site->Width(), width + 40);
  EXPECT_EQ(GetCapture(), HWND(0));
}

TEST_F(frxDockTest, DockSiteLayoutRoundTripsAndDamagedDataChangesNothing)
{
  TMemIniFile store("");
  auto* site = LeftSite();
  TForm* inspector = Dockable(form, "ObjectInspector", 180, 300);
  TForm* tree = Dockable(form, "DataTree", 150, 200);
  site->DockForm(tree);
  site->DockForm(inspector);
  tree->SetHeight(220);
  SaveDockSiteLayout(&store, site);
  const AnsiString data = store.ReadString("Dock.LeftDockSite", "Data", "");
  EXPECT_EQ(data.substr(0, 8), "46525844") << "upper-case hex of the tree";

  site->UndockForm(tree);
  site->UndockForm(inspector);
  RestoreDockSiteLayout(&store, site);
  ASSERT_EQ(site->DockClientCount(), 2);
  EXPECT_EQ(site->DockClients(0), tree);
  EXPECT_EQ(site->DockClients(1), inspector);
  EXPECT_EQ(tree->Height(), 220);
  EXPECT_EQ(inspector->Top(), 220);

  // Empty, not hexadecimal, truncated, or a count beyond the bytes: nothing changes.
  site->UndockForm(inspector);
  struct {
    const char* Name;
    AnsiString Data;
  } bad[] = {
      {"empty", ""},
      {"not hex", "ZZ"},
      {"truncated", data.substr(0, data.size() - 6)},
      {"wrong magic", "00" + data.substr(2)},
      {"count too big", data.substr(0, 10) + "FF00" + data.substr(14)},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.Name);
    store.WriteString("Dock.LeftDockSite", "Data", b.Data);
    RestoreDockSiteLayout(&store, site);
    EXPECT_EQ(site->DockClientCount(), 1);
    EXPECT_EQ(inspector->Parent(), nullptr);
  }
  // A saved name no longer found is skipped.
  inspector->SetName("Renamed");
  store.WriteString("Dock.LeftDockSite", "Data", data);
  site->UndockForm(tree);
  RestoreDockSiteLayout(&store, site);
  EXPECT_EQ(site->DockClientCount(), 1);
  EXPECT_EQ(site->DockClients(0), tree);
}

TEST_F(frxDockTest, AFormLayoutNamingADockSiteDocksIntoIt)
{
  TMemIniFile store("");
  auto* site = LeftSite();
  TForm* inspector = Dockable(form, "ObjectInspector", 180, 300);
  site->DockForm(inspector);
  SaveFormLayout(&store, inspector);
  EXPECT_EQ(store.ReadString("Form.TForm", "Dock", ""), "LeftDockSite");
  site->UndockForm(inspector);
  RestoreFormLayout(&store, inspector);
  EXPECT_EQ(site->DockClientCount(), 1);
  EXPECT_EQ(inspector->Parent(), site);
}
