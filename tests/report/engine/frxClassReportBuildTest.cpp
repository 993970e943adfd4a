// Building, showing and designing a report: GenerateReport's checks and errors, the
// definition restored after a build, ShowReport through the build timer and a preview
// window, old-style progress with its Cancel, and the designer's nested loop.
#include <gtest/gtest.h>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxProgress.h"
#include "tests/report/engine/ReportFixtures.h"

namespace {

std::vector<AnsiString> GErrorBoxes;

class frxBuildTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    GErrorBoxes.clear();
    SetErrorMessageBox(
        [](const AnsiString& Text, const AnsiString&) { GErrorBoxes.push_back(Text); });
    data = std::make_unique<TListData>(NumberedRows(3));
    report = std::make_unique<TfrxReport>(nullptr);
    BuildListReport(report.get(), data.get());
  }
  void TearDown() override
  {
    report.reset();
    SetErrorMessageBox(nullptr);
    SetPreviewFormFactory(nullptr);
    Headless().Reset();
  }

  std::unique_ptr<TListData> data;
  std::unique_ptr<TfrxReport> report;
};

} // namespace

TEST_F(frxBuildTest, MissingDataSetsStopTheBuildWithOneBox)
{
  TfrxUserDataSet gone(nullptr);
  gone.SetUserName("Gone");
  report->DataSets()->Add(&gone)->SetDataSetName("Customers");
  report->DataSets()->Items(1)->SetDataSet(nullptr);
  report->DataSets()->Items(1)->SetDataSetName("Customers");
  EXPECT_FALSE(report->GenerateReport());
  EXPECT_EQ(report->Errors()->Text(), "数据集 \"Customers\" 不存在\r\n");
  EXPECT_EQ(report->PreviewPages()->PageCount(), 0);
  ASSERT_EQ(GErrorBoxes.size(), 1u);
  EXPECT_EQ(GErrorBoxes[0], "发生下列的错误:\r\n数据集 \"Customers\" 不存在\r\n");
}

TEST_F(frxBuildTest, ExpressionErrorsEndTheBuildAndTheDefinitionComesBack)
{
  TDestroyWatch memo2(report->FindObject("Memo2"));
  // The host changes an object while it prints; after the build the definition is back.
  report->OnBeforePrint = [](TfrxReportComponent* Sender) {
    if (auto* memo = dynamic_cast<TfrxMemoView*>(Sender); memo && memo->Name() == "Memo1")
      memo->SetText("Changed [Data.\"Name\"]");
  };
  ASSERT_TRUE(report->GenerateReport());
  EXPECT_EQ(dynamic_cast<TfrxMemoView*>(report->FindObject("Memo1"))->Text(), "Orders\r\n");
  EXPECT_TRUE(memo2.Destroyed()); // read back: new objects (a new one may reuse the address)

  report->EngineOptions()->SetSilentMode(true);
  dynamic_cast<TfrxMemoView*>(report->FindObject("Memo3"))->SetText("[1 +]");
  EXPECT_FALSE(report->GenerateReport());
  ASSERT_EQ(report->Errors()->Count(), 1) << report->Errors()->Text();
  EXPECT_EQ(report->Errors()->Strings(0).find("Memo3: 表达式错误 '1 +'"), 0u);
  EXPECT_TRUE(GErrorBoxes.empty());
  EXPECT_EQ(dynamic_cast<TfrxMemoView*>(report->FindObject("Memo3"))->Text(), "[1 +]\r\n");

  report->ScriptText()->SetText("begin\r\n  x := ;\r\nend.");
  EXPECT_FALSE(report->GenerateReport());
  EXPECT_EQ(report->Errors()->Strings(0).find("脚本发生错误在"), 0u);
  EXPECT_EQ(report->PreviewPages()->PageCount(), 0);
}

namespace {

// A preview control that records what the report tells it and closes its window once a
// build has ended.
class TFakePreview : public TfrxCustomPreview {
public:
  using TfrxCustomPreview::TfrxCustomPreview;
  std::vector<AnsiString> Calls;
  void ResetFromReport() override { Calls.push_back("reset"); }
  void Freeze() override {}
  void Thaw() override {}
  void BeginProgress(TfrxReport*, Integer, Integer) override { Calls.push_back("begin"); }
  void StepProgress(TfrxReport*, Integer, Integer Value) override
  {
    Calls.push_back("step " + IntToStr(Value));
  }
  void EndProgress(TfrxReport*, Integer, Integer) override
  {
    Calls.push_back("end");
    if (auto* form = dynamic_cast<TCustomForm*>(Owner()))
      form->SetModalResult(mrOk);
  }
};

class TFakePreviewForm : public TForm, public TfrxPreviewWindow {
public:
  explicit TFakePreviewForm(TComponent* AOwner) : TForm(AOwner), Control(new TFakePreview(this))
  {
    SetCaption("预览");
    Last = this;
  }
  ~TFakePreviewForm() override { Last = nullptr; }
  TfrxCustomPreview* PreviewControl() override { return Control; }
  void ApplyPreviewOptions() override { ++Applied; }
  void ShowStatusMessage(const AnsiString& Text) override { Status = Text; }

  TFakePreview* Control;
  Integer Applied = 0;
  AnsiString Status;
  static inline TFakePreviewForm* Last = nullptr;
};

} // namespace

// Without old-style progress the preview shows first and the build runs on the timer's
// tick inside it; ShowReport returns when the (modal) preview closes.
TEST_F(frxBuildTest, ShowReportBuildsWhileThePreviewShows)
{
  SetPreviewFormFactory([](TComponent* AOwner) -> TForm* { return new TFakePreviewForm(AOwner); });
  std::vector<AnsiString> calls;
  report->OnProgressStop = [&](TfrxReport*, TfrxProgressType, Integer) {
    calls = TFakePreviewForm::Last->Control->Calls;
  };
  report->ShowReport();
  EXPECT_EQ(TFakePreviewForm::Last, nullptr); // the window went with the modal loop
  EXPECT_EQ(report->Preview(), nullptr);
  EXPECT_EQ(report->PreviewForm(), nullptr);
  EXPECT_EQ(report->PreviewPages()->PageCount(), 1);
  const std::vector<AnsiString> expected = {"reset", "begin", "step 0"};
  EXPECT_EQ(calls, expected);
}

// With old-style progress a build that fails shows its errors and no preview.
TEST_F(frxBuildTest, OldStyleProgressShowsNoPreviewAfterAFailedBuild)
{
  Integer made = 0;
  static Integer* counter = nullptr;
  counter = &made;
  SetPreviewFormFactory([](TComponent* AOwner) -> TForm* {
    ++*counter;
    return new TFakePreviewForm(AOwner);
  });
  report->SetOldStyleProgress(true);
  report->SetShowProgress(false);
  report->ScriptText()->SetText("begin x := ; end.");
  report->ShowReport();
  EXPECT_EQ(made, 0);
  ASSERT_EQ(GErrorBoxes.size(), 1u);
  EXPECT_NE(GErrorBoxes[0].find("脚本发生错误在"), AnsiString::npos);
}

// Cancel in the old-style progress window stops the build at its next step; the stopped
// build still counts as built.
TEST_F(frxBuildTest, ProgressWindowCancelStopsTheBuild)
{
  data = std::make_unique<TListData>(NumberedRows(400));
  report = std::make_unique<TfrxReport>(nullptr);
  BuildListReport(report.get(), data.get());
  report->SetOldStyleProgress(true);
  report->OnProgress = [this](TfrxReport*, TfrxProgressType, Integer Progress) {
    if (Progress != 2)
      return;
    TfrxProgress* progress = report->ProgressForm();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->Message(), "正准备第 1 页");
    Headless().Click(THeadlessBackend::ScreenPoint(progress->CancelB->Handle(), {5, 5}));
  };
  EXPECT_TRUE(report->GenerateReport());
  EXPECT_TRUE(report->Terminated());
  EXPECT_EQ(report->PreviewPages()->PageCount(), 2);
  EXPECT_EQ(report->ProgressForm(), nullptr);
}

TEST(frxProgress, MessageMovesWithTheBar)
{
  Headless().Reset();
  TfrxProgress progress(nullptr);
  progress.Start(10, "正在输出", false, true);
  EXPECT_EQ(progress.LMessage->Top(), 35);
  EXPECT_FALSE(progress.Bar->Visible());
  EXPECT_EQ(progress.LMessage->Caption(), "正在输出");
  EXPECT_EQ(progress.Position(), 0);
  EXPECT_EQ(progress.Max(), 10);
  progress.SetShowProgressBar(true);
  EXPECT_EQ(progress.LMessage->Top(), 15);
  EXPECT_TRUE(progress.Bar->Visible());
  progress.Advance();
  progress.Advance();
  EXPECT_EQ(progress.Bar->Position(), 2);
  // The borderless window is centred on the screen.
  EXPECT_EQ(progress.Left(), (Screen()->Width() - progress.Width()) / 2);
  EXPECT_FALSE(progress.Terminated());
  Headless().Reset();
}

// The progress window disables the form that was active while it shows; when it is freed
// (also while still shown, as the print and export walks free it) that form is enabled
// again before the window goes, so it gets the activation back and the keyboard with it.
TEST(frxProgress, TheActiveFormIsActiveAgainWhenTheWindowGoes)
{
  Headless().Reset();
  for (const bool hideFirst : {false, true}) {
    SCOPED_TRACE(hideFirst ? "hidden, then freed" : "freed while shown");
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    form.Show();
    Headless().ProcessMessages();
    ASSERT_EQ(GetActiveWindow(), form.Handle());
    auto* progress = new TfrxProgress(nullptr);
    progress->Start(0, "正在打印", false, true);
    EXPECT_FALSE(form.Enabled());
    EXPECT_EQ(GetActiveWindow(), progress->Handle());
    if (hideFirst)
      progress->Hide();
    delete progress;
    Headless().ProcessMessages();
    EXPECT_TRUE(form.Enabled());
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    EXPECT_EQ(GetActiveWindow(), form.Handle());
    EXPECT_EQ(Screen()->ActiveForm(), &form);
  }
  Headless().Reset();
}

namespace {

class TFakeDesigner : public TfrxCustomDesigner {
public:
  using TfrxCustomDesigner::TfrxCustomDesigner;
  TStrings* ScriptLines() override { return nullptr; }
  AnsiString EditExpression(const AnsiString&) override { return AnsiString(); }
  void ClearSelection() override {}
  void ReloadPageTabs(Integer) override {}
  void ReloadReport() override {}
  void UpdateDataTree() override { ++DataTreeUpdates; }
  void RepaintWorkspace() override {}
  Integer DataTreeUpdates = 0;
};

} // namespace

// The designer runs in a nested loop until it says it is closed; a report without pages
// gets Page1 first. Without a designer class nothing happens.
TEST_F(frxBuildTest, OpenDesignerRunsANestedLoop)
{
  TfrxReport bare(nullptr);
  bare.OpenDesigner();
  EXPECT_EQ(bare.PageCount(), 0);

  TClassRegistration<TFakeDesigner, TfrxCustomDesigner>("TFakeDesigner");
  ReportDesignerClass = ClassInfoOf<TFakeDesigner>();
  SetReportDesignerFactory(
      [](TComponent* AOwner, bool APreview, TfrxReport* AReport) -> TfrxCustomDesigner* {
        return new TFakeDesigner(AOwner, APreview, AReport);
      });
  bool sawDesigner = false;
  Headless().QueueStep([&] {
    TfrxCustomDesigner* designer = bare.DesignerForm();
    ASSERT_NE(designer, nullptr);
    sawDesigner = !designer->IsPreviewDesigner() && designer->Report() == &bare;
    designer->MarkModified(true);
    designer->SetClosed(true);
    PostMessage(designer->Handle(), WM_NULL, 0, 0);
  });
  bare.OpenDesigner();
  EXPECT_TRUE(sawDesigner);
  EXPECT_EQ(bare.DesignerForm(), nullptr);
  ASSERT_EQ(bare.PageCount(), 1);
  EXPECT_EQ(bare.Pages(0)->Name(), "Page1");
  EXPECT_TRUE(bare.Modified());

  Headless().QueueStep([&] {
    TfrxCustomDesigner* designer = bare.DesignerForm();
    designer->MarkModified(true);
    designer->SetClosed(true);
    PostMessage(designer->Handle(), WM_NULL, 0, 0);
  });
  EXPECT_TRUE(bare.OpenDesignerOnPreparedPage());

  ReportDesignerClass = nullptr;
  SetReportDesignerFactory(nullptr);
}
