// The edit box's button strip and surroundings: where the buttons go (plain and flat, a
// hidden button), shortcuts, a button's drop-down menu, presses over the strip, the fixed
// height, the text painted right-aligned while unfocused and the required-field mark.
#include "controls/eh/DBCtrlsEh.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/TextEngine.h"
#include "platform/ui/Menus.h"
#include "tests/controls/eh/EhEditorTestKit.h"
#include "tests/platform/ui/UiTestKit.h"
#include "tests/support/ControlsGallery.h"

class DBEditEhLayout : public EhEditorTest {
protected:
  TDBEditEh* Edit = nullptr;

  void SetUp() override
  {
    UiTest::SetUp();
    MakeData({{"Name", ftString, 20}, {"Price", ftFloat}}, {{Variant("张三"), Variant(1.5)}});
    MakeForm(400, 200);
    Edit = gallery::Put<TDBEditEh>(Form, 10, 10, 204, 25);
    PlaceOther(100);
    ShowForm(Other);
  }
  // A client area of exactly W x H.
  void ClientSize(Integer W, Integer H)
  {
    Edit->SetAutoSize(false);
    Edit->SetClientWidth(W);
    Edit->SetClientHeight(H);
    ASSERT_EQ(Edit->ClientWidth(), W);
    ASSERT_EQ(Edit->ClientHeight(), H);
  }
  TPoint ScreenOf(TControl* C, Integer X, Integer Y) { return C->ClientToScreen(TPoint(X, Y)); }
  std::unique_ptr<TBitmap> Shot()
  {
    auto bmp = std::make_unique<TBitmap>(Edit->ClientWidth(), Edit->ClientHeight());
    Edit->PaintTo(bmp->Canvas(), 0, 0);
    return bmp;
  }
};

TEST_F(DBEditEhLayout, ButtonsLineUpFromTheRightEdgeWithTheMainButtonNextToTheText)
{
  ASSERT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  ASSERT_EQ(FlatButtonWidthDefault, 11);
  Edit->EditButton()->SetVisible(true);
  Edit->EditButtons()->Add();
  Edit->EditButtons()->Add();
  struct Case {
    bool Flat;
    Integer ClientHeight;
    Integer X[3];
    Integer Separator[3];
    Integer Width, Height, Total;
  };
  const Case cases[] = {
      {false, 21, {149, 166, 183}, {149, 166, 183}, 17, 21, 51},
      {true, 17, {165, 177, 189}, {164, 176, 188}, 11, 16, 36},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Flat ? "flat" : "plain");
    Edit->SetFlat(c.Flat);
    ClientSize(200, c.ClientHeight);
    ASSERT_EQ(Edit->ButtonControlCount(), 3);
    for (Integer i = 0; i < 3; ++i) {
      TEditButtonControlEh* b = Edit->ButtonControl(i);
      EXPECT_EQ(b->Left(), c.X[i]) << "button " << i;
      EXPECT_EQ(b->Width(), c.Width);
      EXPECT_EQ(b->Height(), c.Height);
      EXPECT_EQ(b->Tag(), i);
      TShape* s = Edit->ButtonSeparator(i);
      EXPECT_EQ(s->Visible(), c.Flat);
      if (c.Flat) {
        EXPECT_EQ(s->Left(), c.Separator[i]);
        EXPECT_EQ(s->Width(), 1);
      }
    }
    EXPECT_EQ(Edit->ButtonsWidth(), c.Total);
    EXPECT_EQ(Edit->ComputeEditRect().Right, 200 - c.Total);
    TRect native;
    SendMessage(Edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&native));
    EXPECT_LE(native.Right, 200 - c.Total) << "the text stays left of the buttons";
  }

  // A hidden button takes no room and hides its separator.
  Edit->EditButtons()->Items(0)->SetVisible(false);
  EXPECT_EQ(Edit->ButtonControl(1)->Width(), 0);
  EXPECT_FALSE(Edit->ButtonSeparator(1)->Visible());
  EXPECT_EQ(Edit->ButtonsWidth(), 24);
  // Removing a button removes its control.
  delete Edit->EditButtons()->Items(1);
  EXPECT_EQ(Edit->ButtonControlCount(), 2);
  EXPECT_EQ(Edit->ButtonsWidth(), 12);
}

TEST_F(DBEditEhLayout, ShortcutsPressTheMainButtonFirstThenTheCollectionInOrder)
{
  Edit->EditButton()->SetVisible(true);
  Edit->EditButton()->SetShortCut(ShortCutAltDownEh);
  TEditButtonEh* first = Edit->EditButtons()->Add();
  TEditButtonEh* second = Edit->EditButtons()->Add();
  std::vector<AnsiString> log;
  Edit->OnButtonDown = [&](TObject*, bool top, bool&, bool&) {
    log.push_back(top ? "main down top" : "main down");
  };
  Edit->OnButtonClick = [&](TObject*, bool&) { log.push_back("main click"); };
  first->OnClick = [&](TObject*, bool&) { log.push_back("first click"); };
  second->OnClick = [&](TObject*, bool&) { log.push_back("second click"); };
  Edit->SetFocus();
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_EQ(log, (std::vector<AnsiString>{"main down", "main click"}));
  EXPECT_FALSE(Edit->DroppedDown()) << "the base edit has nothing to drop down";

  log.clear();
  Edit->EditButton()->SetVisible(false);
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_EQ(log, (std::vector<AnsiString>{"first click"}));

  log.clear();
  first->SetShortCut(0);
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_EQ(log, (std::vector<AnsiString>{"second click"}));

  // An edit whose link is not active has no working buttons.
  log.clear();
  Edit->SetDataSource(Source);
  Edit->SetDataField("Name");
  Data->Close();
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(Edit->ButtonControl(2)->Enabled());
}

TEST_F(DBEditEhLayout, APressThatClosesAButtonsMenuDoesNotOpenItAgain)
{
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(menu);
  item->SetCaption("复制");
  menu->Items()->Add(item);
  Integer popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  TEditButtonEh* button = Edit->EditButtons()->Add();
  button->SetDropdownMenu(menu);
  Integer clicks = 0;
  button->OnClick = [&](TObject*, bool&) { ++clicks; };
  TEditButtonControlEh* control = Edit->ButtonControl(1);
  TPoint center = ScreenOf(control, control->Width() / 2, control->Height() / 2);
  bool menuWasOpen = false;
  Headless().QueueStep([&] {
    menuWasOpen = true;
    Headless().Click(center); // closes the menu
  });
  Headless().Click(center);
  Headless().ProcessMessages();
  EXPECT_TRUE(menuWasOpen);
  EXPECT_EQ(popups, 1) << "the press that closed the menu did not open it again";
  EXPECT_TRUE(Edit->Focused()) << "the press focused the edit";
  EXPECT_EQ(control->State(), bsUp) << "the button was let go";
  EXPECT_EQ(clicks, 0) << "a press that opens a menu is no click";

  // The next press opens it again; the menu's pop-up component is the button.
  Headless().QueueStep([&] { Headless().Key(VK_ESCAPE); });
  Headless().Click(center);
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(menu->PopupComponent(), control);

  // A freed menu is dropped from the button.
  delete menu;
  EXPECT_EQ(button->DropdownMenu(), nullptr);
}

TEST_F(DBEditEhLayout, PressesOverTheStripNeverReachTheText)
{
  Edit->SetTextEh("abcdef");
  TEditButtonEh* button = Edit->EditButtons()->Add();
  button->SetStyle(ebsEllipsisEh);
  Integer clicks = 0;
  button->OnClick = [&](TObject*, bool&) { ++clicks; };
  Edit->SetFocus();
  Edit->SetSelStart(2);
  Edit->SetSelLength(0);
  TEditButtonControlEh* control = Edit->ButtonControl(1);
  // The ellipsis button is clicked; the caret stays where it was.
  Headless().Click(ScreenOf(control, 3, 3));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Edit->SelStart(), 2);
  // A separator pixel of a flat edit is part of the strip too.
  Edit->SetFlat(true);
  TShape* separator = Edit->ButtonSeparator(1);
  Headless().Click(ScreenOf(Edit, separator->Left(), 2));
  EXPECT_EQ(Edit->SelStart(), 2);
  EXPECT_EQ(clicks, 1);
  // The text still takes clicks.
  Headless().Click(ScreenOf(Edit, 2, Edit->ClientHeight() / 2));
  EXPECT_EQ(Edit->SelStart(), 0);
}

TEST_F(DBEditEhLayout, FixedHeightFollowsTheFontTheBorderAndTheFlatLook)
{
  Edit->Font()->SetName("宋体");
  Edit->Font()->SetHeight(-15);
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Edit->Font());
  Integer text = probe.Canvas()->GetTextMetrics().tmHeight;
  struct Case {
    bool Ctl3D, Flat;
    Integer Extra;
  };
  for (Case c :
       {Case{true, false, 8}, Case{false, false, 6}, Case{true, true, 6}, Case{false, true, 4}}) {
    Edit->SetCtl3D(c.Ctl3D);
    Edit->SetFlat(c.Flat);
    Edit->SetHeight(100);
    EXPECT_EQ(Edit->Height(), text + c.Extra) << "Ctl3D " << c.Ctl3D << " flat " << c.Flat;
  }
  // A taller image list raises it; without AutoSize the height is free.
  auto* images = gallery::Images(Form, 32);
  Edit->EditImage()->SetImages(images);
  Edit->EditImage()->SetVisible(true);
  Edit->SetHeight(5);
  EXPECT_EQ(Edit->Height(), 32 + 4);
  EXPECT_EQ(Edit->ImageWidth(), 36);
  EXPECT_EQ(Edit->ComputeEditRect().Left, 36);
  Edit->SetAutoSize(false);
  Edit->SetHeight(50);
  EXPECT_EQ(Edit->Height(), 50);
}

TEST_F(DBEditEhLayout, ARightAlignedFieldIsPaintedRightAlignedOnlyWhileUnfocused)
{
  Edit->SetDataSource(Source);
  Edit->SetDataField("Price");
  ASSERT_EQ(Edit->Alignment(), taRightJustify) << "the numeric field's alignment";
  Edit->EditButtons()->Add();
  Integer stripLeft = Edit->ClientWidth() - Edit->ButtonsWidth();
  // The leftmost and rightmost columns holding (anti-aliased) text ink, left of the buttons.
  auto inkSpan = [&](Integer& first, Integer& last) {
    auto bmp = Shot();
    first = -1;
    last = -1;
    for (Integer x = 0; x < stripLeft; ++x)
      for (Integer y = 2; y < Edit->ClientHeight() - 2; ++y)
        if ((bmp->Canvas()->Pixels(x, y) & 0xFF) < 0x60) { // dark text ink
          if (first < 0)
            first = x;
          last = x;
          break;
        }
  };
  Integer first, last;
  inkSpan(first, last);
  ASSERT_GE(first, 0);
  EXPECT_GT(first, stripLeft / 2) << "unfocused: right-aligned";
  EXPECT_GE(last, stripLeft - 6) << "up to the buttons";
  EXPECT_LT(last, stripLeft);
  Edit->SetFocus();
  Edit->SetSelLength(0); // no highlighted selection
  inkSpan(first, last);
  ASSERT_GE(first, 0);
  EXPECT_LT(first, 6) << "focused: the native edit's left-aligned edit text";
  // An alignment set on the edit holds over the field's.
  Other->SetFocus();
  Edit->SetAlignment(taLeftJustify);
  inkSpan(first, last);
  EXPECT_LT(first, 6);
}

TEST_F(DBEditEhLayout, TheRequiredMarkShowsOnlyWhileInsertingAnEmptyRequiredField)
{
  Data->FieldByName("Name")->SetRequired(true);
  Edit->SetDataSource(Source);
  Edit->SetDataField("Name");
  Edit->SetHighlightRequired(true);
  TRect edit = Edit->ComputeEditRect();
  Integer row = Edit->ClientHeight() - 1;
  auto redOnRow = [&](Integer& first, Integer& last) {
    auto bmp = Shot();
    Integer count = 0;
    first = last = -1;
    for (Integer x = 0; x < Edit->ClientWidth(); ++x)
      if (bmp->Canvas()->Pixels(x, row) == clRed) {
        ++count;
        if (first < 0)
          first = x;
        last = x;
      }
    return count;
  };
  Integer first, last;
  Data->Edit();
  Data->FieldByName("Name")->Clear();
  EXPECT_EQ(redOnRow(first, last), 0) << "editing an existing record: no mark";
  Data->Cancel();
  Data->Append();
  Integer count = redOnRow(first, last);
  EXPECT_GT(count, 10);
  EXPECT_GE(first, edit.Left + 2);
  EXPECT_LE(first, edit.Left + 3) << "dotted: every other pixel";
  EXPECT_LE(last, edit.Right - 4);
  EXPECT_GE(last, edit.Right - 5);
  EXPECT_LE(count, (last - first) / 2 + 1) << "a dotted line, not a solid one";
  Data->FieldByName("Name")->SetAsString("李四");
  EXPECT_EQ(redOnRow(first, last), 0) << "filled: no mark";
  Data->FieldByName("Name")->Clear();
  bool asked = false;
  Edit->OnCheckDrawRequiredState = [&](TObject*, bool& draw) {
    asked = draw;
    draw = false;
  };
  EXPECT_EQ(redOnRow(first, last), 0) << "the handler took the mark away";
  EXPECT_TRUE(asked);
}

TEST_F(DBEditEhLayout, TheNativeAlignmentIsLeftUnlessTheTextWraps)
{
  Edit->SetAlignment(taRightJustify);
  auto style = [&] { return static_cast<DWORD>(GetWindowLong(Edit->Handle(), GWL_STYLE)); };
  EXPECT_EQ(style() & (ES_RIGHT | ES_CENTER), 0u) << "unfocused right text is painted by the edit";
  EXPECT_FALSE(style() & ES_MULTILINE);
  Edit->SetWordWrap(true);
  EXPECT_TRUE(style() & ES_RIGHT);
  EXPECT_TRUE(style() & ES_MULTILINE);
  EXPECT_FALSE(style() & ES_AUTOHSCROLL);
  Edit->SetAlignment(taCenter);
  EXPECT_TRUE(style() & ES_CENTER);
  // Enter still never goes into the text.
  Edit->SetFocus();
  Edit->SelectAll();
  Headless().Type("ab");
  Headless().Key(VK_RETURN);
  EXPECT_EQ(Edit->Text(), "ab");
}
