// Menus driven through the real dispatch path: the menu bar by mouse and keyboard,
// shortcuts from a focused edit (popup menus before the main menu), popup menus opened by
// right click and by code, disabled items, automatic hot keys, MDI menu merging and a
// screenshot of an open menu.
#include "platform/ui/Menus.h"

#include <filesystem>
#include <string>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

using Menus = UiTest;
using TTrace = std::vector<std::string>;

TPoint Center(const TRect& r)
{
  return Point(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
}

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const AnsiString& caption,
                   TTrace* trace = nullptr, const char* name = nullptr, TShortCut shortCut = 0)
{
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  if (trace && name)
    item->OnClick = [trace, name](TObject*) { trace->push_back(name); };
  parent->Add(item);
  return item;
}

// A shown form with a main menu 文件(&F) { 保存(&S) Ctrl+S, 打开(&O), -, 退出 (disabled) },
// 编辑(&E) { 复制(&C) } and a focused edit.
struct TMenuForm {
  TTrace Trace;
  TForm* Form;
  TMainMenu* Menu;
  TMenuItem* File;
  TMenuItem* Save;
  TMenuItem* Open;
  TMenuItem* Exit;
  TMenuItem* Edit;
  TEdit* Editor;

  TMenuForm()
  {
    Form = new TForm(nullptr);
    Form->SetCaption("菜单");
    Form->SetBounds(100, 100, 400, 300);
    Menu = new TMainMenu(Form);
    File = AddItem(Form, Menu->Items(), "文件(&F)", &Trace, "file");
    Save = AddItem(Form, File, "保存(&S)", &Trace, "save", ShortCut('S', {ssCtrl}));
    Open = AddItem(Form, File, "打开(&O)", &Trace, "open");
    AddItem(Form, File, cLineCaption);
    Exit = AddItem(Form, File, "退出(&X)", &Trace, "exit", ShortCut('Q', {ssCtrl}));
    Exit->SetEnabled(false);
    Edit = AddItem(Form, Menu->Items(), "编辑(&E)", &Trace, "edit");
    AddItem(Form, Edit, "复制(&C)", &Trace, "copy");
    Form->SetMenu(Menu);
    Editor = new TEdit(Form);
    Editor->SetParent(Form);
    Editor->SetBounds(10, 10, 200, 21);
    Form->Show();
    Editor->SetFocus();
    Headless().ProcessMessages();
  }
};

} // namespace

TEST_F(Menus, TheBarTakesABandAboveTheClientArea)
{
  TMenuForm f;
  TRect window;
  GetWindowRect(f.Form->Handle(), window);
  TPoint client = f.Form->ClientToScreen({0, 0});
  TRect file = MenuItemScreenRect(f.File);
  TRect edit = MenuItemScreenRect(f.Edit);
  EXPECT_EQ(file.Bottom, client.Y) << "the bar ends where the client area starts";
  EXPECT_EQ(file.Height(), GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(file.Left, client.X);
  EXPECT_EQ(edit.Left, file.Right) << "bar items side by side";
  EXPECT_GT(file.Top, window.Top) << "below the caption";

  // Taking the menu away gives the band back to the client area.
  f.Form->SetMenu(nullptr);
  EXPECT_EQ(f.Form->ClientToScreen({0, 0}).Y, file.Top);
  f.Form->SetMenu(f.Menu);
  delete f.Menu;
  EXPECT_EQ(f.Form->Menu(), nullptr) << "a freed menu leaves the form";
  delete f.Form;
}

TEST_F(Menus, AMainMenuItemClickedWithTheMouseRunsItsOnClick)
{
  TMenuForm f;
  bool openWhileChoosing = false;
  Headless().QueueStep([&] {
    openWhileChoosing = MenuTracking();
    Headless().Click(Center(MenuItemScreenRect(f.Open)));
  });
  Headless().Click(Center(MenuItemScreenRect(f.File)));
  EXPECT_TRUE(openWhileChoosing)
      << "the press on the bar opened the menu and its release kept it open";
  EXPECT_EQ(f.Trace, (TTrace{"file", "open"})) << "the submenu-open event, then the item";
  EXPECT_FALSE(MenuTracking());
  EXPECT_TRUE(MenuItemScreenRect(f.Open).Right == 0) << "the menu window is gone";
  EXPECT_EQ(GetActiveWindow(), f.Form->Handle()) << "the open menu never took the activation";
  EXPECT_EQ(GetFocus(), f.Editor->Handle());
  delete f.Form;
}

TEST_F(Menus, TheKeyboardEntersTheBar)
{
  struct TCase {
    const char* Name;
    std::function<void()> Enter; // the key that enters the menu
    std::vector<Word> Then;      // keys fed to the open menu, one per wait
    TTrace Expected;
  };
  const std::vector<TCase> cases = {
      {"Alt+F, Enter runs the first item",
       [] { Headless().Key('F', false, false, true); },
       {VK_RETURN},
       {"file", "save"}},
      {"Alt+F, Down, Enter",
       [] { Headless().Key('F', false, false, true); },
       {VK_DOWN, VK_RETURN},
       {"file", "open"}},
      {"Alt+F, letter O", [] { Headless().Key('F', false, false, true); }, {'O'}, {"file", "open"}},
      {"F10, Enter opens, Enter runs",
       [] { Headless().Key(VK_F10); },
       {VK_RETURN, VK_RETURN},
       {"file", "save"}},
      {"Alt alone, Right, Down opens Edit",
       [] { Headless().Key(VK_MENU); },
       {VK_RIGHT, VK_DOWN, VK_RETURN},
       {"edit", "copy"}},
      {"Alt+F, Up wraps to the disabled item, Up skips the separator",
       [] { Headless().Key('F', false, false, true); },
       {VK_UP, VK_UP, VK_RETURN},
       {"file", "open"}},
      {"Alt+F, Esc closes the menu, Esc leaves the bar",
       [] { Headless().Key('F', false, false, true); },
       {VK_ESCAPE, VK_ESCAPE},
       {"file"}},
      {"a disabled bar item does not open: Esc leaves the bar",
       [] { Headless().Key('E', false, false, true); },
       {VK_DOWN, VK_ESCAPE},
       {}},
      {"Alt+F, Left moves to the last bar item",
       [] { Headless().Key('F', false, false, true); },
       {VK_LEFT, VK_RETURN},
       {"file", "edit", "copy"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMenuForm f;
    if (c.Expected.empty())
      f.Edit->SetEnabled(false);
    for (Word key : c.Then)
      Headless().QueueStep([key] {
        if (key >= 'A' && key <= 'Z')
          Headless().Type(AnsiString(1, static_cast<char>(key + 32)));
        else
          Headless().Key(key);
      });
    c.Enter();
    EXPECT_EQ(f.Trace, c.Expected);
    EXPECT_FALSE(MenuTracking());
    EXPECT_EQ(f.Editor->Text(), "") << "no key reached the edit";
    delete f.Form;
    Headless().ProcessMessages();
  }
}

TEST_F(Menus, ShortcutsRunFromAFocusedEditPopupMenusFirst)
{
  TMenuForm f;
  Headless().Key('S', false, true);
  EXPECT_EQ(f.Trace, (TTrace{"save"}));

  // A disabled item does not take its key.
  f.Trace.clear();
  Headless().Key('Q', false, true);
  EXPECT_TRUE(f.Trace.empty());

  // The edit's popup menu has Ctrl+S too: the focused control's popup menu comes first.
  auto* popup = new TPopupMenu(f.Form);
  AddItem(f.Form, popup->Items(), "保存副本", &f.Trace, "popup save", ShortCut('S', {ssCtrl}));
  f.Editor->SetPopupMenu(popup);
  Headless().Key('S', false, true);
  EXPECT_EQ(f.Trace, (TTrace{"popup save"}));

  // A parent's popup menu counts as well; freeing the menu clears the control's reference.
  f.Editor->SetPopupMenu(nullptr);
  f.Form->SetPopupMenu(popup);
  f.Trace.clear();
  Headless().Key('S', false, true);
  EXPECT_EQ(f.Trace, (TTrace{"popup save"}));
  delete popup;
  EXPECT_EQ(f.Form->PopupMenu(), nullptr);
  f.Trace.clear();
  Headless().Key('S', false, true);
  EXPECT_EQ(f.Trace, (TTrace{"save"}));
  delete f.Form;
}

TEST_F(Menus, APopupMenuOpenedByRightClickReturnsAfterTheChoice)
{
  TMenuForm f;
  auto* popup = new TPopupMenu(f.Form);
  TTrace trace;
  TMenuItem* cut = AddItem(f.Form, popup->Items(), "剪切(&T)", &trace, "cut");
  TMenuItem* disabled = AddItem(f.Form, popup->Items(), "粘贴(&P)", &trace, "paste");
  disabled->SetEnabled(false);
  Integer popups = 0;
  popup->OnPopup = [&](TObject*) { ++popups; };
  f.Editor->SetPopupMenu(popup);
  TPoint at = f.Editor->ClientToScreen({20, 10});

  // Chosen with the mouse: the item ran before the click returned.
  Headless().QueueStep([&] {
    TRect r = MenuItemScreenRect(cut);
    EXPECT_EQ(r.Left - 2, at.X) << "the menu's left edge at the point";
    Headless().Click(Center(r));
  });
  Headless().Click(at, hbRight);
  EXPECT_EQ(trace, (TTrace{"cut"}));
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(popup->PopupComponent(), f.Editor);
  EXPECT_FALSE(MenuTracking());

  // Esc closes it with nothing chosen; a click on a disabled item neither runs it nor closes the
  // menu.
  trace.clear();
  bool stillOpen = false;
  Headless().QueueStep([&] { Headless().Click(Center(MenuItemScreenRect(disabled))); });
  Headless().QueueStep([&] {
    stillOpen = MenuTracking();
    Headless().Key(VK_ESCAPE);
  });
  Headless().Click(at, hbRight);
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(trace.empty());

  // A press outside the menu closes it too.
  Headless().QueueStep([&] { Headless().Click(f.Form->ClientToScreen({300, 200})); });
  Headless().Click(at, hbRight);
  EXPECT_TRUE(trace.empty());
  EXPECT_FALSE(MenuTracking());

  // The menu key opens it at the control's middle.
  trace.clear();
  Headless().QueueStep([&] {
    TPoint middle = f.Editor->ClientToScreen({f.Editor->Width() / 2, f.Editor->Height() / 2});
    EXPECT_EQ(MenuItemScreenRect(cut).Left - 2, middle.X);
    Headless().Key(VK_ESCAPE);
  });
  Headless().Key(VK_APPS);
  EXPECT_EQ(popups, 4);

  // A windowless control's own menu opens over it; the form's answers elsewhere.
  auto* label = new TLabel(f.Form);
  label->SetParent(f.Form);
  label->SetBounds(10, 100, 80, 20);
  label->SetCaption("标签");
  auto* labelMenu = new TPopupMenu(f.Form);
  AddItem(f.Form, labelMenu->Items(), "标签项(&L)", &trace, "label item");
  label->SetPopupMenu(labelMenu);
  f.Form->SetPopupMenu(popup);
  trace.clear();
  Headless().QueueStep([&] { Headless().Type("l"); });
  Headless().Click(label->ClientToScreen({5, 5}), hbRight);
  EXPECT_EQ(trace, (TTrace{"label item"}));
  EXPECT_EQ(labelMenu->PopupComponent(), label);
  Headless().QueueStep([&] { Headless().Key(VK_ESCAPE); });
  Headless().Click(f.Form->ClientToScreen({300, 200}), hbRight);
  EXPECT_EQ(popup->PopupComponent(), f.Form);
  trace.clear();

  // Popup called by code is modal as well; paRight puts the menu's right edge at the point.
  popup->SetAlignment(paRight);
  Headless().QueueStep([&] {
    EXPECT_EQ(MenuItemScreenRect(cut).Right + 2, 300);
    Headless().Type("t");
  });
  popup->Popup(300, 200);
  EXPECT_EQ(trace, (TTrace{"cut"})) << "the hot key chose the item before Popup returned";
  delete f.Form;
}

TEST_F(Menus, SubmenusOpenByPointerAndArrowKeys)
{
  TMenuForm f;
  auto* popup = new TPopupMenu(f.Form);
  TTrace trace;
  AddItem(f.Form, popup->Items(), "刷新(&R)", &trace, "refresh");
  TMenuItem* more = AddItem(f.Form, popup->Items(), "更多(&M)", &trace, "more");
  TMenuItem* first = AddItem(f.Form, more, "第一(&1)", &trace, "first");
  AddItem(f.Form, more, "第二(&2)", &trace, "second");
  // The submenu-open event may fill the submenu.
  more->OnClick = [&](TObject*) {
    trace.push_back("more");
    if (more->Count() == 2)
      AddItem(f.Form, more, "第三(&3)", &trace, "third");
  };

  // Pointer: resting on the item opens its submenu to the right; a click there chooses.
  Headless().QueueStep([&] { Headless().Move(Center(MenuItemScreenRect(more))); });
  Headless().QueueStep([&] {
    TRect r = MenuItemScreenRect(first);
    EXPECT_GT(r.Left, MenuItemScreenRect(more).Right - 8) << "beside its parent item";
    Headless().Click(Center(r));
  });
  popup->Popup(100, 100);
  EXPECT_EQ(trace, (TTrace{"more", "first"}));
  EXPECT_EQ(more->Count(), 3);

  // Keys: Down, Right opens with its first item selected, Down, Left closes, Right, Up wraps.
  trace.clear();
  for (Word key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_LEFT, VK_RIGHT, VK_UP, VK_RETURN})
    Headless().QueueStep([key] { Headless().Key(key); });
  popup->Popup(100, 100);
  EXPECT_EQ(trace, (TTrace{"more", "more", "third"}));
  delete f.Form;
}

TEST_F(Menus, ItemsShowTheirImageListPicture)
{
  TMenuForm f;
  auto* images = new TImageList(f.Form);
  TBitmap picture;
  picture.SetSize(16, 16);
  picture.Canvas()->Brush()->SetColor(clLime);
  picture.Canvas()->FillRect(Rect(0, 0, 16, 16));
  images->Add(&picture, nullptr);
  f.Menu->SetImages(images);
  f.Open->SetImageIndex(0);
  TColor gutter = 0, other = 0;
  Headless().QueueStep([&] {
    TRect r = MenuItemScreenRect(f.Open);
    gutter = Headless().ScreenPixel(Point(r.Left + 11, r.Top + r.Height() / 2));
    TRect s = MenuItemScreenRect(f.Save);
    other = Headless().ScreenPixel(Point(s.Left + 4, s.Top + s.Height() / 2));
    Headless().Key(VK_ESCAPE);
    Headless().Key(VK_ESCAPE);
  });
  Headless().Key('F', false, false, true);
  EXPECT_EQ(gutter, ColorToRGB(clLime));
  EXPECT_NE(other, ColorToRGB(clLime));
  delete images;
  EXPECT_EQ(f.Menu->Images(), nullptr) << "a freed image list leaves the menu";
  delete f.Form;
}

TEST_F(Menus, OwnerDrawnItemsAreMeasuredAndDrawnByTheirEvents)
{
  TMenuForm f;
  auto* popup = new TPopupMenu(f.Form);
  popup->SetOwnerDraw(true);
  TTrace trace;
  TMenuItem* tall = AddItem(f.Form, popup->Items(), "高", &trace, "tall");
  TMenuItem* plain = AddItem(f.Form, popup->Items(), "普通", &trace, "plain");
  tall->OnMeasureItem = [](TObject*, TCanvas*, Integer& Width, Integer& Height) {
    Width = 150;
    Height = 30;
  };
  std::vector<bool> drawnSelected;
  tall->OnDrawItem = [&](TObject*, TCanvas* c, TRect r, bool selected) {
    drawnSelected.push_back(selected);
    c->Brush()->SetColor(clRed);
    c->FillRect(r);
  };
  TColor drawn = 0;
  Headless().QueueStep([&] {
    TRect r = MenuItemScreenRect(tall);
    EXPECT_EQ(r.Height(), 30);
    EXPECT_GE(r.Width(), 150);
    EXPECT_EQ(MenuItemScreenRect(plain).Height(), GetSystemMetrics(SM_CYMENU))
        << "measured by default";
    drawn = Headless().ScreenPixel(Center(r));
    Headless().Move(Center(r));
  });
  Headless().QueueStep([&] {
    Headless().ScreenPixel(Point(0, 0)); // paints what the move invalidated
    Headless().Key(VK_ESCAPE);
  });
  popup->Popup(50, 50);
  EXPECT_EQ(drawn, ColorToRGB(clRed));
  ASSERT_FALSE(drawnSelected.empty());
  EXPECT_FALSE(drawnSelected.front());
  EXPECT_TRUE(drawnSelected.back()) << "redrawn selected under the pointer";
  EXPECT_TRUE(trace.empty());
  delete f.Form;
}

TEST_F(Menus, AutomaticHotKeysAndCaptionHelpers)
{
  EXPECT_EQ(StripHotkey("打印(&P)"), "打印(P)");
  EXPECT_EQ(StripHotkey("A&&B"), "A&B");
  EXPECT_EQ(GetHotkey("打印(&p)"), 'P');
  EXPECT_EQ(GetHotkey("A&&B"), 0);
  EXPECT_EQ(GetHotkey("无"), 0);

  TMenuForm f;
  auto* popup = new TPopupMenu(f.Form);
  TTrace trace;
  AddItem(f.Form, popup->Items(), "Copy", &trace, "copy");
  AddItem(f.Form, popup->Items(), "Cut", &trace, "cut");    // C is taken: U
  AddItem(f.Form, popup->Items(), "&Undo", &trace, "undo"); // its own U wins over Cut's
  AddItem(f.Form, popup->Items(), "Paste", &trace, "paste");
  Headless().QueueStep([] { Headless().Type("t"); }); // Cut got the next free letter
  popup->Popup(200, 200);
  EXPECT_EQ(trace, (TTrace{"cut"}));

  popup->SetAutoHotkeys(maManual);
  trace.clear();
  Headless().QueueStep([] { Headless().Type("p"); });
  Headless().QueueStep([] { Headless().Key(VK_ESCAPE); });
  popup->Popup(200, 200);
  EXPECT_TRUE(trace.empty()) << "no automatic hot keys when manual";
  delete f.Form;
}

TEST_F(Menus, ItemsTreeAndRadioGroups)
{
  TMenuItem root(nullptr);
  auto* a = new TMenuItem(nullptr);
  auto* b = new TMenuItem(nullptr);
  auto* c = new TMenuItem(nullptr);
  root.Add(a);
  root.Add(c);
  root.Insert(1, b);
  EXPECT_EQ(root.Count(), 3);
  EXPECT_EQ(root.IndexOf(b), 1);
  EXPECT_EQ(c->MenuIndex(), 2);
  EXPECT_THROW(root.Add(b), EMenuError) << "an item has one parent";
  for (TMenuItem* i : {a, b, c})
    i->SetRadioItem(true);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked()) << "one checked radio item per group";
  c->SetGroupIndex(1);
  c->SetChecked(true);
  EXPECT_TRUE(b->Checked()) << "other groups are left alone";
  root.Remove(b);
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(root.Count(), 2);
  delete b;
  delete a; // leaves its parent
  EXPECT_EQ(root.Count(), 1);
  root.Clear();
  EXPECT_EQ(root.Count(), 0);
  EXPECT_THROW(root.Items(0), EListError);

  // Published for the streaming and the designer.
  EXPECT_NE(GetPropInfo(&root, "ShortCut"), nullptr);
  EXPECT_NE(GetPropInfo(&root, "GroupIndex"), nullptr);
  auto* form = new TForm(nullptr);
  EXPECT_NE(GetPropInfo(form, "PopupMenu"), nullptr);
  EXPECT_NE(GetPropInfo(form, "Menu"), nullptr);
  delete form;
}

// ---- MDI
// ------------------------------------------------------------------------------------------

namespace {

class TMdiFrame : public TForm {
public:
  explicit TMdiFrame(TComponent* AOwner) : TForm(AOwner)
  {
    SetFormStyle(fsMDIForm);
    SetCaption("运单管理");
    SetBounds(0, 0, 600, 400);
  }
};

class TMdiChild : public TForm {
public:
  explicit TMdiChild(TComponent* AOwner) : TForm(AOwner)
  {
    SetFormStyle(fsMDIChild);
    SetBounds(10, 10, 200, 150);
  }
};

std::vector<std::string> BarCaptions(TMainMenu* menu)
{
  std::vector<std::string> out;
  for (TMenuItem* item : menu->BarItems())
    out.push_back(item->Caption());
  return out;
}

} // namespace

TEST_F(Menus, AnMdiChildsMenuMergesIntoTheFramesBarByGroupIndex)
{
  TTrace trace;
  TMdiFrame* frame = nullptr;
  Application()->CreateForm(frame);
  auto* frameMenu = new TMainMenu(frame);
  AddItem(frame, frameMenu->Items(), "文件(&F)", &trace, "file")->SetGroupIndex(0);
  AddItem(frame, frameMenu->Items(), "窗口(&W)", &trace, "window")->SetGroupIndex(2);
  frame->SetMenu(frameMenu);
  frame->Show();

  TMdiChild* child = nullptr;
  Application()->CreateForm(child);
  auto* childMenu = new TMainMenu(child);
  TMenuItem* print =
      AddItem(child, childMenu->Items(), "打印(&P)", &trace, "print", ShortCut('P', {ssCtrl}));
  print->SetGroupIndex(1);
  child->SetMenu(childMenu);
  TMdiChild* other = nullptr;
  Application()->CreateForm(other);
  auto* otherMenu = new TMainMenu(other);
  AddItem(other, otherMenu->Items(), "预览文件(&F)", &trace, "preview file")->SetGroupIndex(0);
  other->SetMenu(otherMenu);
  other->SetBounds(250, 10, 200, 150);
  Headless().ProcessMessages();

  EXPECT_EQ(MenuBarHeight(child), 0) << "a child shows no bar of its own";
  EXPECT_EQ(frame->ActiveMDIChild(), other);
  EXPECT_EQ(BarCaptions(frameMenu), (std::vector<std::string>{"预览文件(&F)", "窗口(&W)"}))
      << "the child's group 0 replaces the frame's";

  Headless().Click(child->ClientToScreen({20, 20}));
  ASSERT_EQ(frame->ActiveMDIChild(), child);
  EXPECT_EQ(BarCaptions(frameMenu), (std::vector<std::string>{"文件(&F)", "打印(&P)", "窗口(&W)"}))
      << "group 1 between the frame's groups 0 and 2";

  // The merged item is on the bar: a click runs it, and its shortcut works from the child.
  Headless().Click(Center(MenuItemScreenRect(print)));
  EXPECT_EQ(trace, (TTrace{"print"}));
  trace.clear();
  child->SetFocus();
  Headless().Key('P', false, true);
  EXPECT_EQ(trace, (TTrace{"print"}));

  delete child;
  Headless().ProcessMessages();
  EXPECT_EQ(BarCaptions(frameMenu), (std::vector<std::string>{"文件(&F)", "窗口(&W)"}))
      << "a closed child takes its items with it";
}

namespace {

// Pixels of the colour c in the screen rectangle r: the ink of a bar item's caption.
Integer InkIn(const TRect& r, TColor c)
{
  Headless().ProcessMessages();
  std::unique_ptr<TImageSurface> screen = Headless().Screenshot();
  Integer n = 0;
  for (Integer y = r.Top; y < r.Bottom; ++y)
    for (Integer x = r.Left; x < r.Right; ++x)
      n += screen->Pixel(x, y) == ColorToRGB(c);
  return n;
}

} // namespace

// The bar is part of the frame: drawn when the form first shows and again whenever the
// caption is, as on activation.
TEST_F(Menus, TheBarIsDrawnWhenTheFormShowsAndWhenItsActivationChanges)
{
  TMenuForm f;
  const TRect file = MenuItemScreenRect(f.File);
  EXPECT_GT(InkIn(file, clMenuText), 0) << "shown";
  TForm* other = new TForm(nullptr);
  other->SetBounds(600, 100, 200, 200);
  other->Show();
  EXPECT_EQ(GetActiveWindow(), other->Handle());
  EXPECT_GT(InkIn(file, clMenuText), 0) << "deactivated";
  f.Form->SetFocus();
  EXPECT_GT(InkIn(file, clMenuText), 0) << "activated again";
  delete other;
  delete f.Form;
}

// The program's start: the frame is made hidden and maximized, its maximized child with a
// menu of its own is made before the frame shows.
TEST_F(Menus, AFrameShownAfterItsMaximizedChildShowsTheMergedBarAndFitsTheChild)
{
  TTrace trace;
  TMdiFrame* frame = nullptr;
  Application()->CreateForm(frame);
  auto* frameMenu = new TMainMenu(frame);
  TMenuItem* file = AddItem(frame, frameMenu->Items(), "文件(&F)", &trace, "file");
  frame->SetMenu(frameMenu);
  frame->SetWindowState(wsMaximized);
  TMdiChild* child = nullptr;
  Application()->CreateForm(child);
  auto* childMenu = new TMainMenu(child);
  TMenuItem* design = AddItem(child, childMenu->Items(), "设计(&D)", &trace, "design");
  design->SetGroupIndex(1);
  child->SetMenu(childMenu);
  child->SetWindowState(wsMaximized);
  ASSERT_FALSE(frame->Visible());

  frame->Show();
  Headless().ProcessMessages();
  auto fills = [&] {
    TRect client = frame->ClientWindow()->ClientRect();
    return child->BoundsRect() == Rect(0, 0, client.Width(), client.Height());
  };
  EXPECT_EQ(frame->Width(), Screen()->Width());
  EXPECT_TRUE(fills()) << "the child fills the maximized frame";
  EXPECT_GT(InkIn(MenuItemScreenRect(file), clMenuText), 0);
  EXPECT_GT(InkIn(MenuItemScreenRect(design), clMenuText), 0) << "the child's merged item";

  frame->SetWindowState(wsNormal);
  EXPECT_LT(frame->Width(), Screen()->Width());
  EXPECT_TRUE(fills()) << "and follows it when it is restored";
  frame->SetBounds(10, 10, 500, 300);
  EXPECT_TRUE(fills()) << "or sized";
  EXPECT_TRUE(IsZoomed(child->Handle()));
}

TEST_F(Menus, ScreenshotOfAnOpenMenu)
{
  TMenuForm f;
  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  AnsiString file = (dir / "ui_menu_screenshot.png").string();
  TColor selected = 0, plain = 0, bar = 0, barOpen = 0;
  Headless().QueueStep([&] {
    EXPECT_TRUE(Headless().SaveScreenshot(file));
    TRect save = MenuItemScreenRect(f.Save);
    TRect open = MenuItemScreenRect(f.Open);
    TRect edit = MenuItemScreenRect(f.Edit);
    TRect file = MenuItemScreenRect(f.File);
    barOpen = Headless().ScreenPixel(Point(file.Left + 1, file.Top + 2));
    selected = Headless().ScreenPixel(Point(save.Right - 4, save.Top + 2));
    plain = Headless().ScreenPixel(Point(open.Right - 4, open.Top + 2));
    bar = Headless().ScreenPixel(Point(edit.Right - 2, edit.Top + 2));
    Headless().Key(VK_ESCAPE); // closes the menu
    Headless().Key(VK_ESCAPE); // leaves the bar
  });
  Headless().Key('F', false, false, true);
  EXPECT_GT(std::filesystem::file_size(file), 1000u);
  EXPECT_EQ(selected, ColorToRGB(clHighlight)) << "the first item is selected";
  EXPECT_EQ(plain, ColorToRGB(clMenu));
  EXPECT_EQ(bar, ColorToRGB(clMenu));
  EXPECT_EQ(barOpen, ColorToRGB(clHighlight)) << "the bar item whose menu is open";
  delete f.Form;
}
