// The report catalogue over SQLite and PostgreSQL, driven as a user drives it: the print
// right opens it, the design right enables its tool buttons, reports listed by title, a
// double-click previews, and new, rename and delete through their boxes. Its placement
// near the pointer as a table.
#include "app/Reporter.h"

#include <gtest/gtest.h>

#include "app/Facade.h"
#include "app/main1.h"
#include "app/qhProj.h"
#include "app/qhRep.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/app/AdminTestSupport.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/PreviewTestSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

using app_test::EndModal;
using app_test::TTestPreviewForm;
using app_test::TTestPreviewScope;

// Answers the input box on screen: types Text and presses OK, or presses Cancel.
void AnswerInputBox(const AnsiString& Text, bool Ok, AnsiString* Shown = nullptr)
{
  TCustomForm* box = Screen()->ActiveForm();
  ASSERT_NE(box, nullptr);
  for (Integer i = 0; i < box->ComponentCount(); ++i) {
    if (auto* edit = dynamic_cast<TEdit*>(box->Components(i))) {
      if (Shown)
        *Shown = edit->Text();
      edit->SetText(Text);
    }
  }
  EndModal(box, Ok ? mrOk : mrCancel);
}

class Catalogue : public app_test::TAppWindowsTest {
protected:
  void SetUp() override
  {
    TAppWindowsTest::SetUp();
    Preview = std::make_unique<TTestPreviewScope>();
    CurrentCompany->LoadCompany();
    // Ids in another order than the titles.
    for (const char* title : {"Gamma", "Alpha", "Beta"})
      TRep::AddReport(title, 1001);
    TRep::AddReport("Other group", 1002);
  }
  void TearDown() override
  {
    Preview.reset();
    TAppWindowsTest::TearDown();
  }

  void LogInWithRights(const char* Rights)
  {
    Db->Execute(u"delete from operator where LoginId='op'");
    Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)"
                u"values('op','','','','',:Rights)",
                {MakeParam("Rights", AnsiString(Rights))});
    CurrentOperator->LoadOperator("op");
  }

  static TReporterFrm* Shown() { return dynamic_cast<TReporterFrm*>(Screen()->ActiveForm()); }

  static std::vector<AnsiString> Listed(TReporterFrm* Form)
  {
    std::vector<AnsiString> titles;
    for (Integer i = 0; i < Form->ListBox1->Items()->Count(); ++i)
      titles.push_back(Form->ListBox1->Items()->Strings(i));
    return titles;
  }

  std::unique_ptr<TTestPreviewScope> Preview;
};

TEST_P(Catalogue, WithoutThePrintRightItDoesNotOpen)
{
  LogInWithRights(",10003,");
  TMessageBoxRecorder boxes;
  bool opened = false;
  Headless().QueueStep([&] { opened = Shown() != nullptr; });
  EXPECT_THROW(ShowReports({}, 1001), EAbort);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_NE(boxes.Boxes[0].Text.find("(10002)"), AnsiString::npos);
  EXPECT_FALSE(opened);
}

// With the print right alone the reports of the group are listed by title (the first
// selected) and a double-click previews the selected one and closes the catalogue; the
// tool buttons are disabled.
TEST_P(Catalogue, ThePrintRightListsByTitleAndPreviews)
{
  LogInWithRights(",10002,");
  bool checked = false;
  Headless().QueueStep([&] {
    TReporterFrm* form = Shown();
    ASSERT_NE(form, nullptr);
    checked = true;
    EXPECT_EQ(form->Caption(), "打印");
    EXPECT_EQ(form->ClientWidth(), 326);
    EXPECT_EQ(form->ClientHeight(), 324);
    const std::vector<AnsiString> expected{"Alpha", "Beta", "Gamma"};
    EXPECT_EQ(Listed(form), expected);
    EXPECT_EQ(form->ListBox1->ItemIndex(), 0);
    for (TToolButton* b : {form->tbNew1, form->tbDelete1, form->tbRename1, form->tbDesign1})
      EXPECT_FALSE(b->Enabled()) << b->Name();
    EXPECT_TRUE(form->Button4->Enabled());
    EXPECT_FALSE(form->Button1->Visible());
    form->ListBox1->SetItemIndex(1);
    const TRect item = form->ListBox1->ItemRect(1);
    Headless().DoubleClick(THeadlessBackend::ScreenPoint(form->ListBox1->Handle(),
                                                         TPoint(item.Left + 5, item.Top + 5)));
  });
  AnsiString previewedTitle;
  TTestPreviewForm::OnShown = [&](TfrxReport* Report) {
    previewedTitle = IntToStr(static_cast<Integer>(Report->Tag()));
  };
  ShowReports({}, 1001);
  EXPECT_TRUE(checked);
  EXPECT_EQ(TTestPreviewForm::Shown, 1);
  EXPECT_EQ(previewedTitle, "3"); // Beta
  EXPECT_EQ(Shown(), nullptr);    // closed after the preview
}

// With the design right: new (also with an empty name), rename, delete with its question,
// and design, which does nothing while no report designer is linked in.
TEST_P(Catalogue, TheDesignRightAddsRenamesAndDeletes)
{
  LogInWithRights(",10002,,10003,");
  TMessageBoxRecorder boxes;
  AnsiString renameShown;
  // Each input box is answered by the one step queued while it shows.
  auto answer = [](const AnsiString& Text, AnsiString* Shown = nullptr) {
    Headless().QueueStep([Text, Shown] { AnswerInputBox(Text, true, Shown); });
  };
  Headless().QueueStep([&] {
    TReporterFrm* f = Shown();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->tbNew1->Enabled());
    EXPECT_TRUE(f->tbDesign1->Enabled());
    answer("Delta");
    f->tbNew1->Click();
    const std::vector<AnsiString> added{"Alpha", "Beta", "Delta", "Gamma"};
    EXPECT_EQ(Listed(f), added);
    answer("");
    f->tbNew1->Click();
    ASSERT_EQ(Listed(f).size(), 5u);
    EXPECT_EQ(Listed(f)[0], "");  // an empty title sorts first
    f->ListBox1->SetItemIndex(2); // Beta
    answer("Zeta", &renameShown);
    f->tbRename1->Click();
    const std::vector<AnsiString> renamed{"", "Alpha", "Delta", "Gamma", "Zeta"};
    EXPECT_EQ(Listed(f), renamed);
    f->ListBox1->SetItemIndex(1); // Alpha
    f->tbDelete1->Click();        // answered OK by the recorder
    f->tbDesign1->Click();        // no designer: nothing opens
    f->ListBox1->SetItemIndex(-1);
    f->tbRename1->Click(); // nothing selected: the message
    EndModal(f, mrCancel);
  });
  ShowReports({}, 1001);
  EXPECT_EQ(renameShown, "Beta");
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[0].Text, "确定要删除Alpha吗?");
  EXPECT_EQ(boxes.Boxes[1].Text, "请先从左框列表中选中您要操作的项目.");
  TRepSet set;
  EXPECT_EQ(set.OpenGroup(1001), 4);
  EXPECT_EQ(set.OpenGroup(1002), 1);
}

// An empty group lists nothing; every command that needs a report says so.
TEST_P(Catalogue, AnEmptyGroupAsksForASelection)
{
  LogInWithRights(",10002,,10003,");
  TMessageBoxRecorder boxes;
  Headless().QueueStep([] {
    TReporterFrm* f = Shown();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->ListBox1->Items()->Count(), 0);
    f->Button4->Click();
    f->tbDesign1->Click();
    f->tbRename1->Click();
    f->tbDelete1->Click();
    EndModal(f, mrCancel);
  });
  ShowReports({}, 555);
  ASSERT_EQ(boxes.Boxes.size(), 4u);
  for (const auto& box : boxes.Boxes)
    EXPECT_EQ(box.Text, "请先从左框列表中选中您要操作的项目.");
  EXPECT_EQ(TTestPreviewForm::Shown, 0);
}

// The designer window's "打印(&P)" > "设计" opens the catalogue of group 1001.
TEST_P(Catalogue, TheDesignersMenuOpensGroup1001)
{
  LogInWithRights(",10002,");
  qhRepInitialization();
  Application()->CreateForm(mainFrm);
  mainFrm->Show();
  auto* designer = new Tmain1Frm(mainFrm);
  designer->Show();
  std::vector<AnsiString> listed;
  Headless().QueueStep([&] {
    TReporterFrm* f = Shown();
    ASSERT_NE(f, nullptr);
    listed = Listed(f);
    EndModal(f, mrCancel);
  });
  designer->N2->Click();
  EXPECT_EQ(listed.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Backends, Catalogue,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

TEST(CataloguePlacement, NearThePointerOrCentredAndOnTheScreen)
{
  const TSize window{330, 360}, screen{1024, 768};
  const struct {
    TPoint Pointer;
    TPoint At;
  } cases[] = {
      {{500, 300}, {335, 210}}, // a quarter of its height above the pointer, centred on it
      {{100, 50}, {10, 10}},    // would leave the top left: 10 from the edges
      {{800, 300}, {347, 204}}, // runs over the right edge: centred on the screen
      {{500, 500}, {347, 204}}, // runs over the bottom
      {{1000, 760}, {347, 204}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Pointer.X << "," << c.Pointer.Y);
    const TPoint at = ReporterPlacement(c.Pointer, window, screen);
    EXPECT_EQ(at.X, c.At.X);
    EXPECT_EQ(at.Y, c.At.Y);
  }
}

} // namespace
