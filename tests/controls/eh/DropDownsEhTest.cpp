// Drop-downs: placement in the work area, the size grip's corners and dragging, the popup
// list's whole rows, incremental search, hot tracking and focus, the recent-text list's
// rules and list box, the special row's cell texts and inherited look.
#include "controls/eh/DropDownsEh.h"

#include "controls/eh/CalculatorEh.h"
#include "controls/eh/EditButtonsEh.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

// A drop-down stand-in that records the grip moves it is told.
class TRecordingDropDown : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  std::vector<TGripMoveEh> Moves;

protected:
  void Dispatch(TMessage& Message) override
  {
    if (Message.Msg == CM_GRIPMOVEEH) {
      Moves.push_back(static_cast<TGripMoveEh>(Message.WParam));
      return;
    }
    TCustomControl::Dispatch(Message);
  }
};

TPopupListboxEh* MakeList(TComponent* owner, std::initializer_list<const char*> items)
{
  auto* list = new TPopupListboxEh(owner);
  list->SetItemHeight(16);
  for (const char* item : items)
    list->Items()->Add(item);
  list->SetBounds(300, 200, 120, 4 + 4 * 16);
  return list;
}

void ShowPopup(TWinControl* popup)
{
  SetWindowPos(popup->Handle(), HWND_TOPMOST, popup->Left(), popup->Top(), popup->Width(),
               popup->Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Headless().ProcessMessages();
}

} // namespace

class DropDownsEh : public UiTest {
protected:
  void SetUp() override
  {
    UiTest::SetUp();
    Headless().SetScreenSize({1024, 768});
    SetWorkArea(Rect(0, 0, 1024, 768));
  }
};

TEST_F(DropDownsEh, PlacementInTheWorkArea)
{
  struct {
    const char* Name;
    TRect Owner;
    Integer Width, Height, Align;
    TPoint Pos;
    TSize Size;
    std::vector<TGripMoveEh> Moves;
  } cases[] = {
      {"no room below",
       Rect(100, 700, 300, 721),
       150,
       100,
       0,
       {100, 600},
       {150, 100},
       {gmToTop, gmToRight}},
      {"below",
       Rect(100, 100, 300, 121),
       150,
       100,
       0,
       {100, 121},
       {150, 100},
       {gmToBottom, gmToRight}},
      {"past the right edge",
       Rect(900, 300, 1000, 321),
       200,
       100,
       0,
       {824, 321},
       {200, 100},
       {gmToBottom, gmToLeft}},
      {"right aligned past the left",
       Rect(10, 300, 110, 321),
       200,
       100,
       1,
       {0, 321},
       {200, 100},
       {gmToBottom, gmToRight}},
      {"right aligned",
       Rect(400, 300, 500, 321),
       200,
       100,
       1,
       {300, 321},
       {200, 100},
       {gmToBottom, gmToLeft}},
      {"centred",
       Rect(400, 300, 500, 321),
       200,
       100,
       2,
       {350, 321},
       {200, 100},
       {gmToBottom, gmToRight}},
      {"fits neither way, more room below",
       Rect(100, 300, 300, 321),
       150,
       500,
       0,
       {100, 321},
       {150, 447},
       {gmToBottom, gmToRight}},
      {"fits neither way, more room above",
       Rect(100, 450, 300, 471),
       150,
       500,
       0,
       {100, 0},
       {150, 450},
       {gmToTop, gmToRight}},
      {"wider than the screen",
       Rect(100, 100, 300, 121),
       1200,
       100,
       0,
       {0, 121},
       {1024, 100},
       {gmToBottom, gmToLeft}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRecordingDropDown drop(nullptr);
    drop.SetBounds(0, 0, c.Width, c.Height);
    EXPECT_EQ(FitDropDownToScreen(c.Owner, &drop, c.Align), c.Pos);
    EXPECT_EQ(drop.Width(), c.Size.cx);
    EXPECT_EQ(drop.Height(), c.Size.cy);
    EXPECT_EQ(drop.Moves, c.Moves);
  }
}

TEST_F(DropDownsEh, GripMovesToTheCornerTheDropDownOpenedTowards)
{
  struct {
    TGripCornerEh From;
    TGripMoveEh Move;
    TGripCornerEh To;
  } cases[] = {
      {gcTopRight, gmToLeft, gcTopLeft},        {gcBottomRight, gmToLeft, gcBottomLeft},
      {gcBottomLeft, gmToLeft, gcBottomLeft},   {gcTopLeft, gmToRight, gcTopRight},
      {gcBottomLeft, gmToRight, gcBottomRight}, {gcBottomRight, gmToTop, gcTopRight},
      {gcBottomLeft, gmToTop, gcTopLeft},       {gcTopLeft, gmToTop, gcTopLeft},
      {gcTopRight, gmToBottom, gcBottomRight},  {gcTopLeft, gmToBottom, gcBottomLeft},
  };
  TSizeGripEh grip(nullptr);
  for (auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.From) * 10 + c.Move);
    grip.SetCorner(c.From);
    grip.MoveTo(c.Move);
    EXPECT_EQ(grip.Corner(), c.To);
  }
  grip.SetCorner(gcBottomRight);
  EXPECT_EQ(grip.Cursor(), crSizeNWSE);
  grip.SetCorner(gcTopRight);
  EXPECT_EQ(grip.Cursor(), crSizeNESW);
}

TEST_F(DropDownsEh, DraggingTheGripResizesTheParentWithinTheWorkArea)
{
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(600, 300, 200, 150);
  auto* grip = new TSizeGripEh(form);
  grip->SetParent(form);
  Integer notified = 0;
  grip->OnParentSizeChanged = [&](TObject*) { ++notified; };
  form->Show();
  Headless().ProcessMessages();
  grip->SnapToCorner();
  EXPECT_EQ(grip->Left(), 200 - grip->Width());
  EXPECT_EQ(grip->Top(), 150 - grip->Height());

  // Inside the triangle that fills the bottom-right corner.
  TPoint start = grip->ClientToScreen({grip->Width() - 3, grip->Height() - 3});
  Headless().Drag(start, {start.X + 30, start.Y + 20});
  EXPECT_EQ(form->BoundsRect(), Bounds(600, 300, 230, 170));
  EXPECT_GT(notified, 0);
  EXPECT_EQ(grip->Left(), 230 - grip->Width()) << "the grip follows its corner";

  start = grip->ClientToScreen({grip->Width() - 3, grip->Height() - 3});
  Headless().Drag(start, {start.X + 500, start.Y + 10});
  EXPECT_EQ(form->BoundsRect().Right, 1024) << "stopped at the work area's edge";

  grip->SetCorner(gcTopLeft);
  EXPECT_EQ(grip->Left(), 0);
  EXPECT_EQ(grip->Top(), 0);
  TRect before = form->BoundsRect();
  start = grip->ClientToScreen({2, 2});
  Headless().Drag(start, {start.X - 10, start.Y - 15});
  EXPECT_EQ(form->BoundsRect(),
            Rect(before.Left - 10, before.Top - 15, before.Right, before.Bottom))
      << "the left and top edges move, the others stay";
  delete form;
}

TEST_F(DropDownsEh, PopupListHeightIsWholeRows)
{
  TForm owner(nullptr);
  TPopupListboxEh* list = MakeList(&owner, {"a"});
  Integer border = list->BorderHeight();
  EXPECT_EQ(border, 4) << "a Ctl3D list has a 2-pixel frame";
  list->SetHeight(border + 16 * 5 / 2);
  EXPECT_EQ(list->RowCount(), 2);
  EXPECT_EQ(list->Height(), border + 32);
  list->SetHeight(border + 3);
  EXPECT_EQ(list->RowCount(), 1);
  EXPECT_EQ(list->Height(), std::max(border + 16, GetSystemMetrics(SM_CYVSCROLL)));
  list->SetRowCount(0);
  EXPECT_EQ(list->RowCount(), 1);
  list->SetRowCount(7);
  EXPECT_EQ(list->Height(), border + 7 * 16);
  list->SetWidth(3);
  EXPECT_EQ(list->Width(), GetSystemMetrics(SM_CXVSCROLL));
  ShowPopup(list);
  EXPECT_EQ(list->ClientHeight(), 7 * 16) << "the frame is non-client";
}

TEST_F(DropDownsEh, PopupFramesArePaintedAroundTheClientArea)
{
  TForm owner(nullptr);
  TPopupListboxEh* list = MakeList(&owner, {"a", "b"});
  auto* calculator = new TPopupCalculatorEh(&owner);
  calculator->SetLeft(500);
  calculator->SetTop(100);
  struct {
    TWinControl* Popup;
    TColor OuterTopLeft;
  } cases[] = {{list, cl3DLight}, {calculator, cl3DDkShadow}};
  for (auto& c : cases) {
    ShowPopup(c.Popup);
    TRect r = c.Popup->BoundsRect();
    auto at = [](Integer x, Integer y) { return Headless().ScreenPixel({x, y}); };
    EXPECT_EQ(at(r.Left, r.Top), ColorToRGB(c.OuterTopLeft));
    EXPECT_EQ(at(r.Right - 1, r.Bottom - 1), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(at(r.Left + 1, r.Top + 1), ColorToRGB(clBtnHighlight)) << "the raised inner edge";
    EXPECT_EQ(at(r.Right - 2, r.Bottom - 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c.Popup->ClientWidth(), r.Width() - 4);
    EXPECT_EQ(c.Popup->ClientToScreen({0, 0}), TPoint(r.Left + 2, r.Top + 2));
  }
}

TEST_F(DropDownsEh, IncrementalSearchWithinTwoSecondsAndAtMost32Characters)
{
  TForm owner(nullptr);
  TPopupListboxEh* list = MakeList(&owner, {"Abc", "Abd", "Bcd", "张三", "Xy"});
  auto type = [&](char c) { list->Perform(WM_CHAR, static_cast<unsigned char>(c), 0); };
  type('a');
  EXPECT_EQ(list->ItemIndex(), 0);
  type('b');
  type('d');
  EXPECT_EQ(list->ItemIndex(), 1) << "\"abd\" within the pause";
  Headless().Advance(2001);
  type('b');
  EXPECT_EQ(list->SearchText(), "b");
  EXPECT_EQ(list->ItemIndex(), 2) << "a new search after more than 2 seconds";
  for (char c : AnsiString("张三"))
    type(c);
  EXPECT_EQ(list->ItemIndex(), 2) << "\"b张三\" matches nothing";
  list->Perform(WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(list->SearchText(), "");
  for (char c : AnsiString("张三"))
    type(c);
  EXPECT_EQ(list->ItemIndex(), 3) << "a double-byte search text";
  list->Perform(WM_CHAR, VK_ESCAPE, 0);
  for (Integer i = 0; i < 40; ++i)
    type('x');
  EXPECT_EQ(list->SearchText().size(), 32u) << "the 33rd character is ignored";
}

TEST_F(DropDownsEh, PopupTracksTheMouseAndNeverTakesTheFocus)
{
  auto* form = new TForm(nullptr);
  form->SetBounds(100, 100, 300, 200);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 150, 21);
  form->Show();
  edit->SetFocus();
  Headless().ProcessMessages();
  TPopupListboxEh* list = MakeList(edit, {"一", "二", "三", "四"});
  list->SetBounds(110, 141, 150, list->BorderHeight() + 4 * 16);
  ShowPopup(list);
  Headless().Move(list->ClientToScreen({20, 2 * 16 + 5}));
  EXPECT_EQ(list->ItemIndex(), 2) << "hot tracking";
  Headless().Click(list->ClientToScreen({20, 16 + 5}));
  EXPECT_EQ(GetFocus(), edit->Handle()) << "the owner keeps the focus";
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  Headless().Wheel(-1, list->ClientToScreen({20, 5}));
  delete form;
}

TEST_F(DropDownsEh, RecentTextsAreRememberedAsTyped)
{
  TMRUListEh mru;
  EXPECT_EQ(mru.Limit(), 100);
  EXPECT_EQ(mru.Rows(), 7);
  mru.SetLimit(3);
  for (const char* t : {"A", "B", "C", "D"})
    mru.Remember(t);
  auto items = [&] { return mru.Items()->CommaText(); };
  EXPECT_EQ(items(), "B,C,D");
  mru.Remember("  ");
  EXPECT_EQ(items(), "B,C,D") << "blanks are not remembered";
  mru.Remember("b");
  EXPECT_EQ(items(), "C,D,B") << "moved to the end, stored text kept";
  mru.SetCaseSensitive(true);
  mru.Remember("c");
  EXPECT_EQ(items(), "D,B,c");
  mru.Remember("\x81\x61"); // 乤 must not match 丄 (81 41) or anything else
  mru.SetCaseSensitive(false);
  mru.Remember("\x81\x41");
  EXPECT_EQ(mru.Items()->Count(), 3);
  EXPECT_EQ(mru.Items()->Strings(1), "\x81\x61");
  EXPECT_EQ(mru.Items()->Strings(2), "\x81\x41");
  mru.SetLimit(-5);
  EXPECT_EQ(mru.Limit(), 0) << "a negative limit counts as none";
  EXPECT_EQ(mru.Items()->Count(), 0);

  Integer activeChanges = 0;
  mru.OnActiveChange = [&](TObject*) { ++activeChanges; };
  mru.SetActive(true);
  mru.SetActive(true);
  EXPECT_EQ(activeChanges, 1);
}

TEST_F(DropDownsEh, CopyMatchingFiltersAndStopsOnAWaitingKey)
{
  TMRUListEh mru;
  for (const char* t : {"Apple", "apricot", "Banana", "C"})
    mru.Remember(t);
  TStringList target;
  mru.OnItemFilter = [](TObject*, const AnsiString& item, bool& accept) {
    if (item == "C")
      accept = false;
  };
  EXPECT_TRUE(mru.CopyMatchingTo(&target, ""));
  EXPECT_EQ(target.CommaText(), "Apple,apricot,Banana");
  EXPECT_TRUE(mru.CopyMatchingTo(&target, "AP"));
  EXPECT_EQ(target.CommaText(), "Apple,apricot");

  mru.OnItemFilter = nullptr;
  mru.Items()->Clear();
  for (Integer i = 0; i < 250; ++i)
    mru.Items()->Add("x" + IntToStr(i));
  HWND w = Top(0, 0, 10, 10);
  EXPECT_TRUE(mru.CopyMatchingTo(&target, "x"));
  EXPECT_EQ(target.Count(), 250);

  PostMessage(w, WM_KEYDOWN, 'A', 0);
  EXPECT_FALSE(mru.CopyMatchingTo(&target, "x"));
  EXPECT_EQ(target.Count(), 1) << "stopped after item 0";
  MSG msg;
  while (PeekMessage(msg, 0, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
  }

  mru.OnItemFilter = [&](TObject*, const AnsiString& item, bool&) {
    if (item == "x50")
      PostMessage(w, WM_KEYDOWN, 'A', 0);
  };
  EXPECT_FALSE(mru.CopyMatchingTo(&target, "x"));
  EXPECT_EQ(target.Count(), 101) << "stopped at the check after item 100";
  mru.SetStopOnPendingKey(false);
  EXPECT_TRUE(mru.CopyMatchingTo(&target, "x"));
  EXPECT_EQ(target.Count(), 250);
}

TEST_F(DropDownsEh, RecentListShowsItsBarOnlyWithMoreItemsThanRows)
{
  TForm owner(nullptr);
  auto* list = new TMRUListboxEh(&owner);
  list->SetItemHeight(16);
  list->SetBounds(100, 100, 150, list->BorderHeight() + 3 * 16);
  ShowPopup(list);
  for (const char* t : {"a", "b"})
    list->Items()->Add(t);
  list->UpdateScrollBar();
  EXPECT_FALSE(list->ScrollBar()->Visible());
  EXPECT_TRUE(list->SizeGrip()->Triangle());
  for (const char* t : {"c", "d", "e"})
    list->Items()->Add(t);
  list->UpdateScrollBar();
  EXPECT_TRUE(list->ScrollBar()->Visible());
  EXPECT_FALSE(list->SizeGrip()->Triangle()) << "a square grip under the bar";
  EXPECT_EQ(list->ScrollBar()->Left(), list->ClientWidth() - list->ScrollBar()->Width());
  EXPECT_EQ(list->ScrollBar()->Height(), list->ClientHeight() - list->SizeGrip()->Height());
  EXPECT_EQ(list->ScrollBar()->Max(), 4);
  EXPECT_EQ(list->ScrollBar()->PageSize(), 3);
  list->Perform(CM_GRIPMOVEEH, gmToLeft, 0);
  EXPECT_TRUE(list->SizeGrip()->Triangle()) << "the grip left the bar's side";
  EXPECT_EQ(list->ScrollBar()->Height(), list->ClientHeight());
}

TEST_F(DropDownsEh, CellsTextSplitsQuotedParts)
{
  struct {
    const char* Text;
    const char* Cells;
  } cases[] = {
      {"\"a;b\";c", "a;b|c"},
      {"x;;y", "x||y"},
      {"\x01\x02one;\ttwo", "one|two"},
      {"\"say \"\"hi\"\"\";z", "say \"hi\"|z"},
      {"(无)", "(无)"},
      {"", ""},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TStringList cells;
    SplitCellsTextEh(c.Text, &cells);
    AnsiString joined;
    for (Integer i = 0; i < cells.Count(); ++i)
      joined += (i ? "|" : "") + cells.Strings(i);
    EXPECT_EQ(joined, c.Cells);
  }
  TSpecRowEh row(nullptr);
  row.SetCellsText("\"a;b\";c");
  EXPECT_EQ(row.TextOfCell(0), "a;b");
  EXPECT_EQ(row.TextOfCell(1), "c");
  EXPECT_EQ(row.TextOfCell(2), "");
  EXPECT_EQ(row.TextOfCell(-1), "");
}

TEST_F(DropDownsEh, SpecialRowFollowsItsOwnerUntilAssignedAndBatchesChanges)
{
  TForm owner(nullptr);
  owner.SetColor(clRed);
  owner.Font()->SetName("宋体");
  TSpecRowEh row(&owner);
  EXPECT_EQ(row.Value(), Null());
  EXPECT_EQ(row.ShortCut(), ShortCutAltDelEh);
  EXPECT_TRUE(row.ShowIfNotInKeyList());
  Integer changes = 0;
  row.OnChanged = [&](TObject*) { ++changes; };
  EXPECT_EQ(row.Color(), clRed);
  EXPECT_EQ(row.Font()->Name(), "宋体");
  EXPECT_FALSE(row.FontAssigned()) << "refreshing from the owner is no assignment";
  owner.SetColor(clLime);
  EXPECT_EQ(row.Color(), clLime);
  EXPECT_EQ(changes, 0);
  row.SetColor(clBlue);
  owner.SetColor(clRed);
  EXPECT_EQ(row.Color(), clBlue);
  row.Font()->SetSize(14);
  EXPECT_TRUE(row.FontAssigned());
  owner.Font()->SetName("黑体");
  EXPECT_EQ(row.Font()->Name(), "宋体");
  EXPECT_EQ(changes, 2);

  row.BeginUpdate();
  row.SetVisible(true);
  row.SetValue(Variant(0));
  row.SetCellsText("(无)");
  EXPECT_EQ(changes, 2);
  row.EndUpdate();
  EXPECT_EQ(changes, 3);

  TSpecRowEh copy(&owner);
  Integer copyChanges = 0;
  copy.OnChanged = [&](TObject*) { ++copyChanges; };
  copy.Assign(&row);
  EXPECT_EQ(copyChanges, 1);
  EXPECT_TRUE(copy.Visible());
  EXPECT_EQ(copy.Color(), clBlue);
  EXPECT_EQ(copy.Font()->Size(), 14);
  EXPECT_EQ(copy.TextOfCell(0), "(无)");
}
