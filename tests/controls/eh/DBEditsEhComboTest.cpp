// The data-aware combo box: keyed mapping between stored values and shown items, only items
// with a key offered, stepping, the keyed item search, completion of free text, OnNotInList,
// the data-independent keyed pattern of dialogs, and the drop-down list (opening, keys,
// closing, width, resizing, mouse).
#include "controls/eh/DBCtrlsEh.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/DataModule.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Clipbrd.h"
#include "tests/controls/eh/EhEditorTestKit.h"
#include "tests/platform/ui/UiTestKit.h"
#include "tests/support/ControlsGallery.h"

namespace {

// A root that streams every component it owns (forms here do not stream their controls).
class TComboRoot : public TDataModule {
public:
  using TDataModule::TDataModule;
  void GetChildren(TGetChildProc Proc, TComponent*) override
  {
    for (Integer i = 0; i < ComponentCount(); ++i)
      Proc(Components(i));
  }
};

} // namespace

class DBComboBoxEh : public EhEditorTest {
protected:
  TDBComboBoxEh* Combo = nullptr;

  void SetUp() override
  {
    UiTest::SetUp();
    MakeData({{"Code", ftString, 10}, {"Fruit", ftString, 20}},
             {{Variant("2"), Variant("Banana")}, {Variant("9"), Variant("")}});
    MakeForm(400, 300);
    Combo = gallery::Put<TDBComboBoxEh>(Form, 10, 10, 150, 21);
    PlaceOther(250);
    ShowForm(Other);
  }
  void Keyed(std::initializer_list<const char*> items, std::initializer_list<const char*> keys)
  {
    for (const char* s : items)
      Combo->Items()->Add(s);
    for (const char* s : keys)
      Combo->KeyItems()->Add(s);
  }
  void Bind(const char* field)
  {
    Combo->SetDataSource(Source);
    Combo->SetDataField(field);
  }
  bool ListShowing()
  {
    TPopupListboxEh* l = Combo->PopupList();
    return Combo->ListVisible() && l->HandleAllocated() && IsWindowVisible(l->Handle());
  }
  TPoint TextPoint() { return Combo->ClientToScreen(TPoint(10, Combo->ClientHeight() / 2)); }
  TPoint ButtonPoint()
  {
    TEditButtonControlEh* b = Combo->ButtonControl(0);
    return b->ClientToScreen(TPoint(b->Width() / 2, b->Height() / 2));
  }
  TPoint RowPoint(Integer Row)
  {
    TPopupListboxEh* l = Combo->PopupList();
    TRect r = l->ItemRect(Row);
    return l->ClientToScreen(TPoint(r.Left + 5, (r.Top + r.Bottom) / 2));
  }
};

TEST_F(DBComboBoxEh, KeyedValuesShowTheirItemsAndOnlyItemsWithAKeyAreOffered)
{
  Keyed({"A", "B", "C"}, {"1", "2"});
  EXPECT_TRUE(Combo->Keyed());
  EXPECT_EQ(Combo->ItemCount(), 2);
  EXPECT_TRUE(Combo->ButtonControl(0)->Visible()) << "the combo box's main button shows";
  Bind("Code");
  EXPECT_EQ(Combo->Text(), "B");
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(VarToStr(Combo->Value()), "2");
  Data->Next();
  EXPECT_EQ(Combo->Text(), "") << "9 is no key";
  EXPECT_EQ(Combo->ItemIndex(), -1);
  EXPECT_EQ(VarToStr(Combo->Value()), "9") << "the key value stays";

  // The list shows A and B only: C has no key and could not be stored.
  Combo->SetFocus();
  Headless().Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(ListShowing());
  EXPECT_EQ(Combo->PopupList()->Count(), 2);
  Headless().Key(VK_DOWN);
  Headless().Key(VK_DOWN);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(Combo->PopupList()->ItemIndex(), 1) << "the list ends at B";
  Headless().Key(VK_RETURN);
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Combo->Text(), "B");
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "9") << "stored when left";
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "2");

  // Delete clears a keyed value (stored on leaving); the typed text cannot be free.
  Combo->SetFocus();
  Headless().Key(VK_DELETE);
  EXPECT_EQ(Combo->Text(), "");
  EXPECT_TRUE(VarIsNull(Combo->Value()));
  Other->SetFocus();
  EXPECT_TRUE(Data->FieldByName("Code")->IsNull());
}

TEST_F(DBComboBoxEh, KeyedTypingSearchesTheItemsAndBackspaceWidensTheSelection)
{
  Keyed({"Apple", "Banana", "Blueberry", "李四", "张三"}, {"a", "b", "bb", "l", "z"});
  Bind("Code");
  Combo->SetFocus();
  Headless().Type("b");
  EXPECT_EQ(Combo->Text(), "Banana");
  EXPECT_EQ(Combo->SelStart(), 1);
  EXPECT_EQ(Combo->SelLength(), 5) << "the completed part is selected";
  Headless().Type("l");
  EXPECT_EQ(Combo->Text(), "Blueberry");
  Headless().Type("x");
  EXPECT_EQ(Combo->Text(), "Blueberry") << "no item starts with blx";
  EXPECT_EQ(VarToStr(Combo->Value()), "bb");
  Headless().Key(VK_BACK);
  EXPECT_EQ(Combo->SelStart(), 1) << "the prefix lost one character";
  EXPECT_EQ(Combo->Text(), "Blueberry");
  Headless().Type("a");
  EXPECT_EQ(Combo->Text(), "Banana");
  // A double-byte character is searched whole.
  Combo->SelectAll();
  Headless().Type("张");
  EXPECT_EQ(Combo->Text(), "张三");
  EXPECT_EQ(VarToStr(Combo->Value()), "z");
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "z");
}

TEST_F(DBComboBoxEh, FreeTextCompletesFromTheItemsAndOnNotInListAsksOnlyForOtherText)
{
  for (const char* s : {"Apple", "Apricot", "Banana"})
    Combo->Items()->Add(s);
  Bind("Fruit");
  std::vector<AnsiString> notInList;
  Combo->OnNotInList = [&](TObject*, const AnsiString& text, bool&) { notInList.push_back(text); };
  Combo->SetFocus();
  Combo->SelectAll();
  Headless().Type("a");
  EXPECT_EQ(Combo->Text(), "Apple");
  Headless().Type("p");
  EXPECT_EQ(Combo->Text(), "Apple");
  EXPECT_EQ(Combo->SelStart(), 2);
  EXPECT_EQ(Combo->SelLength(), 3) << "ple is selected";
  Headless().Type("r");
  EXPECT_EQ(Combo->Text(), "Apricot");
  EXPECT_EQ(Combo->SelLength(), 4);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Fruit")->AsString(), "Apricot");
  EXPECT_TRUE(notInList.empty()) << "the text was an item";

  Combo->SetFocus();
  Combo->SelectAll();
  Headless().Type("Cherry");
  EXPECT_EQ(Combo->Text(), "Cherry");
  EXPECT_EQ(Combo->ItemIndex(), -1);
  Other->SetFocus();
  EXPECT_EQ(notInList, (std::vector<AnsiString>{"Cherry"}));
  EXPECT_EQ(Data->FieldByName("Fruit")->AsString(), "Cherry") << "stored whatever it says";
}

TEST_F(DBComboBoxEh, UpAndDownStepThroughTheItemsAndStopAtTheEnds)
{
  Keyed({"A", "B", "C"}, {"1", "2", "3"});
  Bind("Code");
  Data->Next(); // 9: no item
  Combo->SetFocus();
  struct Step {
    Word Key;
    Integer Index;
  };
  for (Step s : {Step{VK_UP, 2}, Step{VK_DOWN, 2}, Step{VK_UP, 1}, Step{VK_UP, 0}, Step{VK_UP, 0},
                 Step{VK_DOWN, 1}}) {
    Headless().Key(s.Key);
    EXPECT_EQ(Combo->ItemIndex(), s.Index);
  }
  EXPECT_EQ(Combo->Text(), "B");
  EXPECT_EQ(Combo->SelLength(), 1) << "a step selects the text";
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "9") << "stored later, like typing";
  // The wheel steps as well.
  Headless().Wheel(-1, TextPoint());
  EXPECT_EQ(Combo->ItemIndex(), 2);
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "3");
  // Nothing changes a read-only combo box.
  Combo->SetReadOnly(true);
  Combo->SetFocus();
  Headless().Key(VK_UP);
  Headless().Wheel(1, TextPoint());
  EXPECT_EQ(Combo->ItemIndex(), 2);
}

TEST_F(DBComboBoxEh, ADataIndependentKeyedComboComesUpWithTheItemOfItsText)
{
  // Written and read back as a dialog's form description: Items, KeyItems, then Text.
  TComboRoot source(nullptr);
  auto* written = new TDBComboBoxEh(&source);
  written->SetName("Match");
  for (const char* s : {"Any part", "Whole", "Beginning"})
    written->Items()->Add(s);
  for (const char* s : {"0", "1", "2"})
    written->KeyItems()->Add(s);
  written->SetTextEh("Whole");
  auto* masked = new TDBComboBoxEh(&source);
  masked->SetName("Masked");
  masked->SetEditMask("999;0;_");
  masked->SetAlignment(taCenter);
  (new TDBComboBoxEh(&source))->SetName("Plain");
  EXPECT_EQ(written->ItemIndex(), 1);
  EXPECT_EQ(VarToStr(written->Value()), "1");
  TMemoryStream stream;
  {
    TWriter writer(&stream);
    writer.WriteRootComponent(&source);
  }
  stream.SetPosition(0);
  TComboRoot form(nullptr);
  TReader reader(&stream);
  reader.ReadRootComponent(&form);
  auto* read = dynamic_cast<TDBComboBoxEh*>(form.FindComponent("Match"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Text(), "Whole");
  EXPECT_EQ(read->ItemIndex(), 1);
  EXPECT_EQ(VarToStr(read->Value()), "1");
  auto* maskedRead = dynamic_cast<TDBComboBoxEh*>(form.FindComponent("Masked"));
  ASSERT_NE(maskedRead, nullptr);
  EXPECT_EQ(maskedRead->EditMask(), "999;0;_");
  EXPECT_TRUE(maskedRead->EditMaskSet());
  EXPECT_EQ(maskedRead->Alignment(), taCenter);
  auto* plainRead = dynamic_cast<TDBComboBoxEh*>(form.FindComponent("Plain"));
  ASSERT_NE(plainRead, nullptr);
  EXPECT_FALSE(plainRead->EditMaskSet()) << "an unset mask still follows the field";
  EXPECT_FALSE(plainRead->AlignmentSet());
  // Changing the choice changes the value at once.
  read->SetItemIndex(2);
  EXPECT_EQ(VarToStr(read->Value()), "2");
  EXPECT_EQ(read->Text(), "Beginning");
}

TEST_F(DBComboBoxEh, TheListOpensClosesAndRemembersItsSize)
{
  Keyed({"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"},
        {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
  Bind("Code");
  Combo->DropDownBox()->SetRows(4);
  Combo->DropDownBox()->SetSizable(true);
  std::vector<AnsiString> log;
  Combo->OnDropDown = [&](TObject*) { log.push_back("drop"); };
  Combo->OnClosingUp = [&](TObject*, bool& accept) {
    log.push_back(accept ? "closing accept" : "closing");
  };
  Combo->OnCloseUp = [&](TObject*, bool accept) {
    log.push_back(accept ? "closed accept" : "closed");
  };
  // A click on the main button opens the list, the next click closes it without accepting.
  Headless().Click(ButtonPoint());
  ASSERT_TRUE(ListShowing());
  EXPECT_TRUE(Combo->Focused());
  EXPECT_TRUE(Combo->ButtonControl(0)->HeldDown());
  TPopupListboxEh* list = Combo->PopupList();
  EXPECT_EQ(list->RowCount(), 4);
  EXPECT_EQ(list->Width(), Combo->Width()) << "never narrower than the control";
  EXPECT_EQ(list->ItemIndex(), 1) << "the current item";
  Headless().Key(VK_DOWN);
  Headless().Click(ButtonPoint());
  EXPECT_FALSE(ListShowing());
  EXPECT_FALSE(Combo->ButtonControl(0)->HeldDown());
  EXPECT_EQ(Combo->Text(), "乙") << "closed without accepting";
  EXPECT_EQ(log, (std::vector<AnsiString>{"drop", "closing", "closed"}));

  // A click on a row accepts it; a press elsewhere in the form cancels.
  Headless().Click(ButtonPoint());
  ASSERT_TRUE(ListShowing());
  Headless().Click(RowPoint(3));
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Combo->Text(), "丁");
  Headless().Click(ButtonPoint());
  ASSERT_TRUE(ListShowing());
  Headless().Click(Other->ClientToScreen(TPoint(3, 3)));
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Combo->Text(), "丁");
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "4");

  // Resizing with the grip is kept for the next opening.
  Combo->SetFocus();
  Headless().Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(ListShowing());
  TSizeGripEh* grip = list->SizeGrip();
  ASSERT_TRUE(grip->Visible());
  Integer itemHeight = list->ItemRect(0).Height();
  TPoint from = grip->ClientToScreen(TPoint(grip->Width() - 3, grip->Height() - 3));
  Headless().Drag(from, TPoint(from.X + 30, from.Y + 2 * itemHeight));
  Integer width = list->Width();
  EXPECT_EQ(list->RowCount(), 6);
  Headless().Key(VK_ESCAPE);
  EXPECT_FALSE(ListShowing());
  EXPECT_TRUE(Combo->Focused()) << "Esc closed the list only";
  EXPECT_EQ(Combo->DropDownBox()->Rows(), 6);
  EXPECT_EQ(Combo->DropDownBox()->Width(), width);
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_EQ(list->RowCount(), 6);
  EXPECT_EQ(list->Width(), width);
  Headless().Key(VK_ESCAPE);
}

TEST_F(DBComboBoxEh, AKeyedComboOpensFromItsTextAndADragIntoTheListChooses)
{
  Keyed({"A", "B", "C", "D"}, {"1", "2", "3", "4"});
  Bind("Code");
  Combo->SetFocus();
  // A click on the text opens; the next click on the text closes without accepting.
  Headless().Click(TextPoint());
  ASSERT_TRUE(ListShowing());
  Headless().Click(TextPoint());
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Combo->Text(), "B");
  // Pressing the text and releasing over a row takes that row.
  Headless().Drag(TextPoint(), RowPoint(3));
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Combo->Text(), "D");
  // The same from the main button.
  Headless().Drag(ButtonPoint(), RowPoint(0));
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Combo->Text(), "A");
  // A click on a further button never closes the list.
  TEditButtonEh* extra = Combo->EditButtons()->Add();
  extra->SetStyle(ebsEllipsisEh);
  Integer extraClicks = 0;
  extra->OnClick = [&](TObject*, bool&) { ++extraClicks; };
  Headless().Click(ButtonPoint());
  ASSERT_TRUE(ListShowing());
  TEditButtonControlEh* b = Combo->ButtonControl(1);
  Headless().Click(b->ClientToScreen(TPoint(3, 3)));
  EXPECT_EQ(extraClicks, 1);
  EXPECT_TRUE(ListShowing());
  Headless().Key(VK_ESCAPE);
}

TEST_F(DBComboBoxEh, AListFittedToItsItemsMakesRoomForTheImages)
{
  for (const char* s : {"短", "一个很长很长的名字", "中等长度"})
    Combo->Items()->Add(s);
  auto* images = gallery::Images(Form, 16);
  Combo->SetImages(images);
  EXPECT_TRUE(Combo->EditImage()->Visible());
  Combo->DropDownBox()->SetWidth(-1);
  Combo->SetWidth(60);
  Combo->SetFocus();
  Headless().Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(ListShowing());
  TPopupListboxEh* list = Combo->PopupList();
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Combo->Font());
  Integer widest = probe.Canvas()->TextWidth("一个很长很长的名字");
  EXPECT_EQ(list->ClientWidth(), widest + 5 + 16 + 4);
  EXPECT_GE(list->ItemRect(0).Height(), 17) << "rows as high as the images";
  Headless().Key(VK_ESCAPE);
  // Never narrower than the control.
  Combo->SetWidth(300);
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_EQ(list->Width(), 300);
  Headless().Key(VK_ESCAPE);
}

TEST_F(DBComboBoxEh, AFormGoesWhileTheComboHasTheFocusAndItsListIsOpen)
{
  Keyed({"A", "B"}, {"1", "2"});
  Combo->EditButtons()->Add();
  Integer closeUps = 0;
  Combo->OnCloseUp = [&](TObject*, bool) { ++closeUps; };
  Combo->SetFocus();
  Headless().Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(ListShowing());
  // The buttons go with the other children before the window: nothing may reach them.
  delete Form;
  Form = nullptr;
  EXPECT_EQ(closeUps, 0) << "no events from a control that is going away";
  Headless().ProcessMessages();
}

TEST_F(DBComboBoxEh, PastingSearchesAKeyedComboAndAutoDropOpensOnTyping)
{
  Combo->OnGetItemsList = [&](TObject*) { Keyed({"Apple", "Banana", "Cherry"}, {"a", "b", "c"}); };
  Bind("Code");
  EXPECT_EQ(Combo->Text(), "2") << "no key items yet: a plain text";
  Combo->DropDownBox()->SetAutoDrop(true);
  Combo->SetFocus();
  Headless().Type("c");
  EXPECT_TRUE(ListShowing()) << "typing opened the list";
  EXPECT_EQ(Combo->Text(), "Cherry") << "the items were asked for when needed";
  Headless().Key(VK_ESCAPE);
  Clipboard()->SetAsText("Ban");
  Combo->SelectAll();
  Headless().Key('V', false, true);
  EXPECT_EQ(Combo->Text(), "Banana") << "pasted text searches the items";
  Clipboard()->SetAsText("Kiwi");
  Combo->SelectAll();
  Headless().Key('V', false, true);
  EXPECT_EQ(Combo->Text(), "Banana") << "no item: nothing changes";
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "b");

  // Bound to a field name without a data source: a choice is shown, nothing is stored.
  Combo->SetDataSource(nullptr);
  EXPECT_FALSE(Combo->IsDataIndependent());
  Combo->SetItemIndex(2);
  EXPECT_EQ(Combo->Text(), "Cherry");
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "b");
}

TEST_F(DBComboBoxEh, KeyItemsAddedToABoundComboShowLongItemsWhole)
{
  Bind("Code");
  EXPECT_EQ(Combo->MaxLength(), 10) << "a plain combo takes the string field's size";
  Keyed({"甲", "一个很长很长的名字"}, {"1", "2"});
  EXPECT_EQ(Combo->MaxLength(), 0);
  EXPECT_EQ(Combo->Text(), "一个很长很长的名字") << "the item of key 2, not cut to 10 bytes";
  EXPECT_EQ(Combo->Perform(CM_GETDATALINK, 0, 0),
            reinterpret_cast<LRESULT>(static_cast<TDataLink*>(Combo->DataLink())));
}

TEST_F(DBComboBoxEh, TheRecentTextListAndTheItemListNeverShowTogether)
{
  for (const char* s : {"Apple", "Apricot", "Banana"})
    Combo->Items()->Add(s);
  Combo->MRUList()->Items()->Add("Avocado");
  Combo->MRUList()->SetActive(true);
  Bind("Fruit");
  Combo->SetFocus();
  Combo->SelectAll();
  Headless().Type("x");
  Headless().Key(VK_BACK);
  Headless().Type("a");
  ASSERT_TRUE(Combo->MruListOpen());
  // Opening the item list closes the recent texts; typing while it is open leaves them shut.
  Headless().Key(VK_DOWN, false, false, true);
  EXPECT_TRUE(ListShowing());
  EXPECT_FALSE(Combo->MruListOpen());
  Headless().Type("v");
  EXPECT_FALSE(Combo->MruListOpen());
  Headless().Key(VK_ESCAPE);
  EXPECT_FALSE(ListShowing());
}

TEST_F(DBComboBoxEh, ACloseUpHandlerThatMovesTheFocusStillGetsTheChoiceStored)
{
  Keyed({"A", "B", "C"}, {"1", "2", "3"});
  Bind("Code");
  Combo->OnCloseUp = [&](TObject*, bool accept) {
    if (accept)
      Other->SetFocus();
  };
  Combo->SetFocus();
  Headless().Key(VK_DOWN, false, false, true);
  Headless().Key(VK_DOWN);
  Headless().Key(VK_RETURN);
  EXPECT_FALSE(ListShowing());
  EXPECT_TRUE(Other->Focused());
  EXPECT_EQ(Combo->Text(), "C");
  EXPECT_EQ(Data->FieldByName("Code")->AsString(), "3") << "left in the handler: stored";
  // A drop-down handler that takes the mouse away does not keep the list from working.
  Combo->OnDropDown = [&](TObject*) { SetCapture(Other->Handle()); };
  Combo->OnCloseUp = nullptr;
  Headless().Click(ButtonPoint());
  ASSERT_TRUE(ListShowing());
  Headless().Click(RowPoint(0));
  EXPECT_FALSE(ListShowing());
  EXPECT_EQ(Combo->Text(), "A");
}

TEST_F(DBComboBoxEh, TheListsScrollBarShowsItsArrowsAndLeavesTheCornerToTheGrip)
{
  Keyed({"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"},
        {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
  Bind("Code");
  Combo->DropDownBox()->SetRows(4);
  Combo->DropDownBox()->SetSizable(true);
  Combo->SetFocus();
  Headless().Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(ListShowing());
  TPopupListboxEh* list = Combo->PopupList();
  TScrollBar* bar = list->ScrollBar();
  TSizeGripEh* grip = list->SizeGrip();
  TRect client = list->ClientRect();
  EXPECT_EQ(GetWindowLong(list->Handle(), GWL_STYLE) & WS_VSCROLL, 0) << "no bar of its own";
  ASSERT_TRUE(bar->Visible());
  EXPECT_EQ(bar->BoundsRect(), Rect(client.Right - bar->Width(), 0, client.Right, grip->Top()));
  EXPECT_EQ(grip->BoundsRect(), Rect(client.Right - grip->Width(), client.Bottom - grip->Height(),
                                     client.Right, client.Bottom))
      << "the grip in the corner under the bar";
  EXPECT_FALSE(grip->Triangle()) << "a full square beside the bar";
  // The arrow buttons carry their arrows.
  auto darkIn = [](TRect r) {
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x)
        if (Headless().ScreenPixel({x, y}) == ColorToRGB(clBtnText))
          return true;
    return false;
  };
  TPoint origin = bar->ClientToScreen({0, 0});
  EXPECT_TRUE(darkIn(Bounds(origin.X + 2, origin.Y + 2, bar->Width() - 4, bar->Width() - 4)));
  EXPECT_TRUE(darkIn(Bounds(origin.X + 2, origin.Y + bar->Height() - bar->Width() + 2,
                            bar->Width() - 4, bar->Width() - 4)));

  // Keys that scroll the rows move the bar; a click on its arrow scrolls the rows and leaves
  // the focus and the open list with the combo box.
  for (int i = 0; i < 5; ++i)
    Headless().Key(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 6);
  EXPECT_EQ(list->TopIndex(), 3);
  EXPECT_EQ(bar->Position(), 3);
  Headless().Click(bar->ClientToScreen({bar->Width() / 2, bar->Height() - 4}));
  EXPECT_EQ(list->TopIndex(), 4);
  EXPECT_EQ(bar->Position(), 4);
  EXPECT_TRUE(Combo->Focused());
  EXPECT_TRUE(ListShowing());
  Headless().Key(VK_ESCAPE);

  // Without the grip the bar runs the whole height; with all items shown there is none.
  Combo->DropDownBox()->SetSizable(false);
  Headless().Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(ListShowing());
  EXPECT_FALSE(grip->Visible());
  EXPECT_EQ(bar->BoundsRect(), Rect(client.Right - bar->Width(), 0, client.Right, client.Bottom));
  Headless().Key(VK_ESCAPE);
  Combo->DropDownBox()->SetRows(12);
  Headless().Key(VK_DOWN, false, false, true);
  ASSERT_TRUE(ListShowing());
  EXPECT_FALSE(bar->Visible());
  Headless().Key(VK_ESCAPE);
}
