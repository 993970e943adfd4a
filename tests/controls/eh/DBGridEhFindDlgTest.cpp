// The grid's find dialog: columns to search, the walk from the top and onwards with "Find
// next", the match kinds, case and format, the reversed direction with Ctrl, the message
// when nothing is found, a closed dataset, and Ctrl+F opening it through the hook.
#include "controls/eh/DBGridEhFindDlg.h"

#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhFindDlg : public GridEhTest {
protected:
  TDBGridEhFindDlg* Dlg = nullptr;
  AnsiString Message; // the caption of the message box shown, if any

  void SetUp() override
  {
    GridEhTest::SetUp();
    MakeGrid(false);
    for (const char* name : {"Name", "City", "Price"}) {
      TColumnEh* c = Grid->Columns()->Add();
      c->SetFieldName(name);
    }
    Source->SetDataSet(Orders.get());
    Grid->SetDataSource(Source);
    Grid->SelectDataColumn(0);
    Grid->SetFocus();
    Headless().ProcessMessages();
    Application()->SetTitle("Orders");
    ExecuteDBGridEhFindDialog(Grid, "", false);
    Dlg = DBGridEhFindDlg();
    Headless().ProcessMessages();
  }
  void TearDown() override
  {
    delete Dlg;
    GridEhTest::TearDown();
  }
  // Chooses an entry of one of the dialog's lists as a user would.
  static void Choose(TDBComboBoxEh* Box, const AnsiString& Text)
  {
    Box->SetItemIndex(Box->Items()->IndexOf(Text));
  }
  void FindNext(bool Ctrl = false)
  {
    Message.clear();
    // The message box draws its text itself: a box with the program's title is the message.
    Headless().OnWindow(Application()->Title(), [this](HWND h) {
      Message = GetWindowText(h);
      HWND ok = THeadlessBackend::FindChildByText(h, "确定");
      TRect r;
      GetClientRect(ok, r);
      Headless().Click(THeadlessBackend::ScreenPoint(ok, {r.Width() / 2, r.Height() / 2}));
    });
    if (Ctrl)
      Headless().KeyDown(VK_CONTROL);
    Dlg->bFind->Click();
    if (Ctrl)
      Headless().KeyUp(VK_CONTROL);
    Headless().ProcessMessages();
  }
  Integer Id() { return Orders->FieldByName("ID")->AsInteger(); }
  AnsiString CurrentField() { return Grid->CurrentColumn()->FieldName(); }
};

} // namespace

TEST_F(GridEhFindDlg, TheFormAndItsColumnsToSearch)
{
  ASSERT_NE(Dlg, nullptr);
  EXPECT_EQ(Dlg->Caption(), "Find text");
  EXPECT_EQ(Dlg->ClientWidth(), 505);
  EXPECT_EQ(Dlg->ClientHeight(), 124);
  EXPECT_TRUE(Dlg->Visible());
  EXPECT_EQ(Dlg->cbFindIn->Items()->CommaText(), "Name,City,Price,<All>");
  EXPECT_EQ(Dlg->cbFindIn->ItemIndex(), 0) << "the grid's current column";
  ASSERT_EQ(Dlg->SearchColumns()->Count(), 1);
  EXPECT_EQ(Dlg->SearchColumns()->Items(0)->FieldName(), "Name");
  Choose(Dlg->cbFindIn, "<All>");
  EXPECT_EQ(Dlg->SearchColumns()->Count(), 3);
  Choose(Dlg->cbFindIn, "City");
  ASSERT_EQ(Dlg->SearchColumns()->Count(), 1);
  EXPECT_EQ(Dlg->SearchColumns()->Items(0)->FieldName(), "City");
  EXPECT_EQ(Dlg->cbMatchinType->Text(), "From any part of field");
  EXPECT_EQ(Dlg->cbFindDirection->Text(), "All");
  EXPECT_FALSE(Dlg->cbCharCase->Checked());
  EXPECT_TRUE(Dlg->cbUseFormat->Checked());
}

TEST_F(GridEhFindDlg, FindNextWalksFromTheTopAndSaysWhenNothingIsLeft)
{
  Choose(Dlg->cbFindIn, "<All>");
  Dlg->cbText->SetText("harbin");
  Orders->Locate("ID", Variant(5), {});
  FindNext();
  EXPECT_EQ(Id(), 1) << "All starts at the top";
  EXPECT_EQ(CurrentField(), "City");
  FindNext();
  EXPECT_EQ(Id(), 4);
  FindNext();
  EXPECT_EQ(Id(), 8);
  FindNext();
  EXPECT_EQ(Message, "Orders") << "String \"harbin\" not found.";
  EXPECT_EQ(Id(), 8) << "the position comes back";
  EXPECT_EQ(Dlg->cbText->Items()->IndexOf("harbin"), 0) << "the text is remembered";
  // Ctrl turns the direction round: up from 8 to 4.
  Choose(Dlg->cbFindDirection, "Down");
  Orders->Locate("ID", Variant(8), {});
  FindNext(true);
  EXPECT_EQ(Id(), 4);
}

TEST_F(GridEhFindDlg, MatchKindsCaseAndFormat)
{
  Choose(Dlg->cbFindIn, "<All>");
  struct TCase {
    const char* Name;
    const char* Text;
    const char* Match;
    bool Case, Format;
    Integer Id; // 0: not found
  };
  const TCase cases[] = {
      {"any part", "elt", "From any part of field", false, true, 4},
      {"whole field", "delta", "Whole field", false, true, 4},
      {"whole field, part only", "elt", "Whole field", false, true, 0},
      {"beginning", "HAR", "From beging of field", false, true, 1},
      {"beginning, longer than the text", "Harbinx", "From beging of field", false, true, 0},
      {"case", "harbin", "From any part of field", true, true, 0},
      {"case, same letters", "Harbin", "From any part of field", true, true, 1},
      {"shown value", "1.50", "Whole field", false, true, 1},
      {"stored value, not as shown", "1.50", "Whole field", false, false, 0},
      {"stored value", "1.5", "Whole field", false, false, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Orders->Locate("ID", Variant(10), {});
    Dlg->cbCharCase->SetChecked(c.Case);
    Dlg->cbUseFormat->SetChecked(c.Format);
    Choose(Dlg->cbMatchinType, c.Match);
    Dlg->cbText->SetText(c.Text);
    FindNext();
    if (c.Id == 0) {
      EXPECT_FALSE(Message.empty());
      EXPECT_EQ(Id(), 10);
    } else {
      EXPECT_TRUE(Message.empty());
      EXPECT_EQ(Id(), c.Id);
    }
  }
}

TEST_F(GridEhFindDlg, AClosedDatasetOrAGoneGridSearchesNothing)
{
  Dlg->cbText->SetText("Harbin");
  Orders->Close();
  FindNext();
  EXPECT_TRUE(Message.empty()) << "no search, no message";
  Orders->Open();
  delete Form;
  Form = nullptr;
  Grid = nullptr;
  EXPECT_EQ(Dlg->Grid(), nullptr);
  FindNext();
  EXPECT_TRUE(Message.empty());
}

TEST_F(GridEhFindDlg, CtrlFOpensTheDialogModally)
{
  Dlg->Close();
  Headless().ProcessMessages();
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxFindDialogEh});
  Grid->SelectDataColumn(1);
  Grid->SetFocus();
  Headless().ProcessMessages();
  bool shown = false;
  AnsiString findIn;
  Headless().OnWindow("Find text", [&](HWND h) {
    shown = true;
    findIn = Dlg->cbFindIn->Text();
    Headless().Key(VK_ESCAPE);
  });
  Headless().Key('F', false, true);
  Headless().ProcessMessages();
  EXPECT_TRUE(shown);
  EXPECT_EQ(findIn, "City");
  EXPECT_FALSE(Dlg->Visible()) << "Esc closed it";
  EXPECT_EQ(DBGridEhFindDlg(), Dlg) << "one dialog, used again";
}
