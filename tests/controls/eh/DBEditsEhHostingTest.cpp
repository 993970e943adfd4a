// The edit box's recent-text list (opening as the user types, keys while open, accepting,
// closing on focus loss and on presses elsewhere, resizing) and its hosting in another
// control (the holder's hooks, double clicks, read-only, placing and hiding).
#include "controls/eh/DBCtrlsEh.h"
#include "platform/data/MemDataSet.h"
#include "tests/controls/eh/EhEditorTestKit.h"
#include "tests/platform/ui/UiTestKit.h"
#include "tests/support/ControlsGallery.h"

namespace {

std::vector<AnsiString> ItemsOf(TStrings* S)
{
  std::vector<AnsiString> v;
  for (Integer i = 0; i < S->Count(); ++i)
    v.push_back(S->Strings(i));
  return v;
}

} // namespace

class DBEditEhMru : public EhEditorTest {
protected:
  TDBEditEh* Edit = nullptr;

  void SetUp() override
  {
    UiTest::SetUp();
    MakeData({{"Name", ftString, 20}}, {{Variant("张三")}});
    MakeForm(400, 300);
    Edit = gallery::Put<TDBEditEh>(Form, 10, 10, 200, 21);
    PlaceOther(200);
    Edit->SetDataSource(Source);
    Edit->SetDataField("Name");
    for (const char* s : {"Banana", "apricot", "Apple"})
      Edit->MRUList()->Items()->Add(s);
    Edit->MRUList()->SetActive(true);
    ShowForm(Edit);
    Edit->SelectAll();
    Headless().ProcessMessages();
  }
  bool ListShowing()
  {
    TMRUListboxEh* l = Edit->MruListBox();
    return Edit->MruListOpen() && l->HandleAllocated() && IsWindowVisible(l->Handle());
  }
};

TEST_F(DBEditEhMru, TypingOpensTheMatchingTextsSortedAndEmptyingTheTextClosesThem)
{
  Headless().Type("a");
  ASSERT_TRUE(ListShowing());
  TMRUListboxEh* list = Edit->MruListBox();
  EXPECT_EQ(ItemsOf(list->Items()), (std::vector<AnsiString>{"Apple", "apricot"}));
  EXPECT_EQ(list->ItemIndex(), -1) << "nothing chosen yet";
  EXPECT_EQ(list->RowCount(), 2);
  TPoint listAt = list->ClientToScreen(TPoint(0, 0));
  TPoint editBottom = Edit->ClientToScreen(TPoint(0, Edit->ClientHeight()));
  EXPECT_GE(listAt.Y, editBottom.Y) << "below the edit";
  EXPECT_TRUE(Edit->Focused()) << "the list never takes the focus";
  Headless().Type("pr");
  EXPECT_EQ(ItemsOf(list->Items()), (std::vector<AnsiString>{"apricot"}));
  Headless().Type("x");
  EXPECT_FALSE(ListShowing()) << "no text matches any longer";
  Headless().Key(VK_BACK);
  EXPECT_TRUE(ListShowing()) << "apr matches again";
  for (int i = 0; i < 3; ++i)
    Headless().Key(VK_BACK);
  EXPECT_EQ(Edit->Text(), "");
  EXPECT_FALSE(ListShowing()) << "the blank text closes the list";
  // An inactive list never opens.
  Edit->MRUList()->SetActive(false);
  Headless().Type("a");
  EXPECT_FALSE(ListShowing());
}

TEST_F(DBEditEhMru, EnterTakesTheChosenTextWhichIsStoredOnlyWhenTheEditIsLeft)
{
  Headless().Type("a");
  ASSERT_TRUE(ListShowing());
  Headless().Key(VK_DOWN);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(Edit->MruListBox()->ItemIndex(), 1) << "Down moves in the list, not the edit";
  Headless().Key(VK_RETURN);
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Edit->Text(), "apricot");
  EXPECT_EQ(Edit->SelLength(), 7) << "the taken text is selected";
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "张三") << "not stored yet";
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "apricot");
  EXPECT_EQ(ItemsOf(Edit->MRUList()->Items()).back(), "apricot") << "stored texts are remembered";

  // Esc closes the list and keeps the typed text (the edit is not reset by the same key).
  Edit->SetFocus();
  Edit->SelectAll();
  Headless().Type("Ba");
  ASSERT_TRUE(ListShowing());
  Headless().Key(VK_DOWN);
  Headless().Key(VK_ESCAPE);
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Edit->Text(), "Ba");
}

TEST_F(DBEditEhMru, FocusElsewhereAndPressesOutsideCloseWithoutAcceptingAClickInsideAccepts)
{
  Headless().Type("a");
  Headless().Key(VK_DOWN);
  ASSERT_TRUE(ListShowing());
  Other->SetFocus();
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "a") << "the typed text, not the entry";

  Edit->SetFocus();
  Edit->SelectAll();
  Headless().Type("a");
  ASSERT_TRUE(ListShowing());
  // A press on another control of the form (the cancel-mode notification).
  Edit->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(Other)));
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Edit->Text(), "a");

  Headless().Type("p");
  ASSERT_TRUE(ListShowing());
  // The list's own notification leaves it open; a click on its second row accepts it.
  Edit->Perform(CM_CANCELMODE, 0,
                reinterpret_cast<LPARAM>(static_cast<TControl*>(Edit->MruListBox())));
  ASSERT_TRUE(ListShowing());
  TMRUListboxEh* list = Edit->MruListBox();
  TRect row = list->ItemRect(1);
  Headless().Click(list->ClientToScreen(TPoint(row.Left + 5, (row.Top + row.Bottom) / 2)));
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Edit->Text(), "apricot");
  EXPECT_TRUE(Edit->Focused());
}

TEST_F(DBEditEhMru, ResizingTheListWithItsGripIsKeptForTheNextOpening)
{
  for (const char* s : {"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9"})
    Edit->MRUList()->Items()->Add(s);
  Edit->MRUList()->SetRows(3);
  Headless().Type("a");
  ASSERT_TRUE(ListShowing());
  TMRUListboxEh* list = Edit->MruListBox();
  EXPECT_EQ(list->RowCount(), 3);
  Integer itemHeight = list->ItemRect(0).Height();
  TSizeGripEh* grip = list->SizeGrip();
  ASSERT_TRUE(grip->Visible());
  TPoint from = grip->ClientToScreen(TPoint(grip->Width() - 3, grip->Height() - 3));
  TPoint to(from.X + 40, from.Y + 2 * itemHeight);
  Headless().Drag(from, to);
  EXPECT_EQ(Edit->MRUList()->Rows(), 5);
  EXPECT_EQ(Edit->MRUList()->ListWidth(), list->Width());
  Integer width = list->Width();
  Headless().Key(VK_ESCAPE);
  ASSERT_FALSE(ListShowing());
  Headless().Type("1");
  Headless().Key(VK_BACK);
  ASSERT_TRUE(ListShowing());
  EXPECT_EQ(list->RowCount(), 5);
  EXPECT_EQ(list->Width(), width);
}

// ---- In-place hosting ----

namespace {

class THolder : public TCustomControl, public IInplaceEditHolderEh {
public:
  using TCustomControl::TCustomControl;
  bool CanModify = true;
  TPoint DownPoint;
  Cardinal DownTime = 0;
  std::vector<UINT> Seen;
  Word ZeroKey = 0;
  Integer KeyDowns = 0;

  bool InplaceEditCanModify(TControl*) override { return CanModify; }
  bool GetMouseDownInfo(TPoint& Pt, Cardinal& Time) override
  {
    Pt = DownPoint;
    Time = DownTime;
    return false;
  }
  void InplaceEditWndProc(TControl*, TMessage& Message) override
  {
    if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK)
      Seen.push_back(Message.Msg);
  }
  void InplaceEditKeyDown(TControl*, Word& Key, TShiftState) override
  {
    ++KeyDowns;
    if (Key == ZeroKey)
      Key = 0;
  }
  AnsiString Chars; // the characters the editor passed on
  void InplaceEditKeyPress(TControl*, char& Key) override { Chars += Key; }
  void InplaceEditKeyUp(TControl*, Word&, TShiftState) override {}
};

} // namespace

class DBEditEhInplace : public UiTest {
protected:
  TForm* Form = nullptr;
  THolder* Host = nullptr;
  TDBEditEh* Edit = nullptr;

  void SetUp() override
  {
    UiTest::SetUp();
    Form = new TForm(nullptr);
    Form->SetBounds(50, 50, 400, 300);
    Host = gallery::Put<THolder>(Form, 10, 10, 300, 200);
    Host->SetTabStop(true);
    Edit = new TDBEditEh(Form);
    Edit->SetAutoSize(false);
    Edit->SetParent(Host);
    Form->Show();
    Headless().ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    UiTest::TearDown();
  }
};

TEST_F(DBEditEhInplace, AHolderMustOfferItsInterfaceAndSeesKeysFirst)
{
  auto* plain = gallery::Put<TPanel>(Form, 0, 250, 50, 20);
  IInplaceEditorEh* editor = Edit;
  try {
    editor->SetInplaceEditHolder(plain);
    FAIL() << "a holder without the interface is refused";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(AnsiString(e.Message()),
              "InplaceEditHolder have to support IInplaceEditHolderEh interface");
  }
  EXPECT_EQ(Edit->InplaceEditHolder(), nullptr);

  editor->SetInplaceEditHolder(Host);
  editor->SetBorderStyle(bsNone);
  EXPECT_EQ(Edit->BorderStyle(), bsNone);
  Edit->PlaceAt(Rect(20, 30, 120, 50));
  Host->SetFocus();
  Edit->SetFocus();
  ASSERT_TRUE(Edit->Focused());
  EXPECT_EQ(Form->ActiveControl(), Host) << "the holder is the form's focused control";
  Edit->SetTextEh("abc");
  Edit->SetSelStart(3);
  // A key the holder zeroes goes no further (Left would move the caret).
  Host->ZeroKey = VK_LEFT;
  Headless().Key(VK_LEFT);
  EXPECT_EQ(Host->KeyDowns, 1);
  EXPECT_EQ(Edit->SelStart(), 3);
  Host->ZeroKey = 0;
  Headless().Key(VK_LEFT);
  EXPECT_EQ(Edit->SelStart(), 2);

  // The holder forbids changes: the edit turns read-only.
  Host->CanModify = false;
  Edit->SetReadOnly(false);
  Headless().Type("x");
  EXPECT_EQ(Edit->Text(), "abc");
}

TEST_F(DBEditEhInplace, APressRightAfterTheHoldersClickIsADoubleClick)
{
  static_cast<IInplaceEditorEh*>(Edit)->SetInplaceEditHolder(Host);
  Edit->PlaceAt(Rect(20, 30, 120, 50));
  Integer doubles = 0;
  Edit->OnDblClick = [&](TObject*) { ++doubles; };
  TPoint at = Edit->ClientToScreen(TPoint(10, 5));
  Host->DownPoint = at;
  Host->DownTime = GetTickCount();
  Headless().Click(at);
  EXPECT_EQ(doubles, 1) << "within the double-click time and distance";
  ASSERT_FALSE(Host->Seen.empty());
  EXPECT_EQ(Host->Seen.front(), static_cast<UINT>(WM_LBUTTONDOWN)) << "the holder saw it first";

  // Too late, or too far: a plain press.
  Headless().Advance(2000);
  Host->DownTime = GetTickCount();
  Host->DownPoint = TPoint(at.X + 20, at.Y);
  Headless().Advance(1000);
  Headless().Click(at);
  EXPECT_EQ(doubles, 1);
}

TEST_F(DBEditEhInplace, PlacingShowsAtTheRectangleAndAnEmptyOneHides)
{
  static_cast<IInplaceEditorEh*>(Edit)->SetInplaceEditHolder(Host);
  Host->SetFocus();
  Edit->PlaceAt(Rect(20, 30, 120, 52));
  ASSERT_TRUE(IsWindowVisible(Edit->Handle()));
  EXPECT_EQ(Edit->BoundsRect(), Rect(20, 30, 120, 52));
  EXPECT_TRUE(Edit->Focused()) << "the holder had the focus: the editor takes it";
  Edit->PlaceAt(TRect(0, 0, 0, 0));
  EXPECT_FALSE(IsWindowVisible(Edit->Handle()));
  EXPECT_TRUE(Host->Focused()) << "the holder gets the focus back";
  // A hidden hosted edit does not take the focus.
  Edit->SetFocus();
  EXPECT_TRUE(Host->Focused());
  // Without a holder PlaceAt only sets the bounds.
  static_cast<IInplaceEditorEh*>(Edit)->SetInplaceEditHolder(nullptr);
  Edit->PlaceAt(Rect(5, 6, 105, 27));
  EXPECT_EQ(Edit->BoundsRect(), Rect(5, 6, 105, 27));
  // A freed holder is let go.
  static_cast<IInplaceEditorEh*>(Edit)->SetInplaceEditHolder(Host);
  Edit->SetParent(Form);
  delete Host;
  EXPECT_EQ(Edit->InplaceEditHolder(), nullptr);
}

TEST_F(DBEditEhInplace, TheEnterOrEscThatClosesAHostedCombosListStaysWithTheCombo)
{
  auto* combo = new TDBComboBoxEh(Form);
  combo->SetAutoSize(false);
  combo->SetParent(Host);
  for (const char* s : {"North", "South"})
    combo->Items()->Add(s);
  static_cast<IInplaceEditorEh*>(combo)->SetInplaceEditHolder(Host);
  Host->SetFocus();
  combo->PlaceAt(Rect(20, 30, 160, 52));
  ASSERT_TRUE(combo->Focused());
  AnsiString pressed;
  combo->OnKeyPress = [&](TObject*, char& Key) { pressed += Key; };
  for (Word closer : {Word(VK_RETURN), Word(VK_ESCAPE)}) {
    Headless().Key(VK_DOWN, false, false, true);
    ASSERT_TRUE(combo->ListVisible());
    Headless().Key(VK_DOWN);
    Headless().Key(closer);
    Headless().ProcessMessages();
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(Host->Chars, "") << "the closing key's character is the list's";
    EXPECT_EQ(pressed, "");
  }
  EXPECT_EQ(combo->Text(), "North") << "Enter took the row, Esc kept the text";
  // With the list closed Enter is the holder's again.
  Headless().Key(VK_RETURN);
  Headless().ProcessMessages();
  EXPECT_EQ(Host->Chars, "\r");
}
