// Report scripts and the report classes: units, enumerations and sets, the objects of the
// report with their published and hand-added members, the report, engine and outline, and
// an OnBeforePrint handler in each language changing what a build prints.
#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxVariables.h"
#include "report/script/fsScript.h"
#include "tests/report/engine/ReportFixtures.h"

namespace {

class frxScriptBindingTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    data = std::make_unique<TListData>(NumberedRows(3));
    report = std::make_unique<TfrxReport>(nullptr);
    report->EngineOptions()->SetSilentMode(true);
    BuildListReport(report.get(), data.get());
    auto* shape = new TfrxShapeView(report->FindObject("ReportTitle1"));
    shape->SetName("Shape1");
  }
  void TearDown() override { Headless().Reset(); }

  // Compiles Script as the report script and runs its main block; '' or the error.
  AnsiString Run(const AnsiString& Script, const AnsiString& Language = "PascalScript")
  {
    report->ScriptText()->SetText(Script);
    report->SetScriptLanguage(Language);
    if (!report->BindReportScript())
      return report->Script()->ErrorMsg();
    try {
      report->Script()->RunScript();
    } catch (const Exception& e) {
      return e.Message();
    }
    return AnsiString();
  }

  std::unique_ptr<TListData> data;
  std::unique_ptr<TfrxReport> report;
};

} // namespace

TEST_F(frxScriptBindingTest, UnitsEnumerationsAndObjects)
{
  EXPECT_EQ(VarToStr(report->Calc("fr1cm * 2")), "75.5906");
  EXPECT_EQ(report->Calc("fr1in").AsInteger(), 96);
  EXPECT_EQ(report->Calc("clTransparent").AsInteger(), 536870911);
  EXPECT_EQ(report->Calc("YearOf(Date)").AsInteger(), YearOf(Date()));

  EXPECT_EQ(Run("begin\r\n"
                "  Memo1.Frame.Typ := ftLeft + ftTop;\r\n"
                "  Shape1.Shape := skDiagonal1;\r\n"
                "  Memo2.Text := 'from script';\r\n"
                "  Memo3.SetBounds(1, 2, 30, 40);\r\n"
                "  Report.Variables['Title'] := 'T' + FloatToStr(Memo3.Height);\r\n"
                "  Set('Anchor', Engine.GetAnchorPage('x'));\r\n"
                "  Set('Overflow', MasterData1.Overflow);\r\n"
                "  Set('Found', Report.FindObject('memo5').Name);\r\n"
                "  Set('Alias', Report.GetDataset('Data').UserName);\r\n"
                "end."),
            "");
  auto* memo1 = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo1"));
  EXPECT_EQ(memo1->Frame()->Typ().Raw(), 5u);
  EXPECT_EQ(dynamic_cast<TfrxShapeView*>(report->FindObject("Shape1"))->Shape(), skDiagonal1);
  EXPECT_EQ(dynamic_cast<TfrxMemoView*>(report->FindObject("Memo2"))->Text(), "from script\r\n");
  EXPECT_EQ(report->FindObject("Memo3")->Top(), 2);
  TfrxVariables* variables = report->Variables();
  EXPECT_EQ(VarToStr(variables->Variables("Title")), "T40");
  EXPECT_EQ(VarToStr(variables->Variables("Anchor")), "1");
  EXPECT_EQ(VarToStr(variables->Variables("Overflow")), "False");
  EXPECT_EQ(VarToStr(variables->Variables("Found")), "Memo5");
  EXPECT_EQ(VarToStr(variables->Variables("Alias")), "Data");

  // Read-only members refuse assignment when compiling.
  EXPECT_NE(Run("begin MasterData1.Overflow := True; end.").find("Left side cannot be assigned to"),
            AnsiString::npos);
}

// The same OnBeforePrint handler in each language changes the text a build prints; the
// definition reads back unchanged afterwards.
TEST_F(frxScriptBindingTest, OnBeforePrintInEachLanguage)
{
  struct TCase {
    const char* Language;
    const char* Script;
  } cases[] = {
      {"PascalScript", "procedure Memo2OnBeforePrint(Sender: TfrxComponent);\r\n"
                       "begin\r\n"
                       "  Memo2.Text := 'P' + <Data.\"Name\">;\r\n"
                       "end;\r\n"
                       "begin\r\n"
                       "end."},
      {"C++Script", "void Memo2OnBeforePrint(TfrxComponent Sender)\r\n"
                    "{\r\n"
                    "  Memo2.Text = \"P\" + <Data.\"Name\">;\r\n"
                    "}\r\n"
                    "{\r\n"
                    "}"},
      {"BasicScript", "sub Memo2OnBeforePrint(Sender)\r\n"
                      "  Memo2.Text = \"P\" + <Data.\"Name\">\r\n"
                      "end sub\r\n"},
      {"JScript", "function Memo2OnBeforePrint(Sender)\r\n"
                  "{\r\n"
                  "  Memo2.Text = \"P\" + <Data.\"Name\">;\r\n"
                  "}\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Language);
    report->ScriptText()->SetText(c.Script);
    report->SetScriptLanguage(c.Language);
    report->FindObject("Memo2")->SetName("Memo2");
    static_cast<TfrxMemoView*>(report->FindObject("Memo2"))->OnBeforePrint = "Memo2OnBeforePrint";
    ASSERT_TRUE(report->GenerateReport()) << report->Errors()->Text();
    TfrxComponent* page = report->PreviewPages()->BuildPage(0);
    auto texts = [page] {
      AnsiString result;
      TList* all = page->AllObjects();
      for (Integer i = 0; i < all->Count(); ++i)
        if (auto* memo = dynamic_cast<TfrxMemoView*>(static_cast<TfrxComponent*>(all->Items(i)));
            memo && memo->Name() == "Memo2")
          result += memo->Text();
      return result;
    };
    EXPECT_EQ(texts(), "PN1\r\nPN2\r\nPN3\r\n");
    EXPECT_EQ(static_cast<TfrxMemoView*>(report->FindObject("Memo2"))->Text(),
              "[Data.\"Name\"]\r\n");
  }
}

// A build stopped from outside stops the running script; the next build runs it again.
TEST_F(frxScriptBindingTest, AStoppedBuildLeavesTheScriptWorking)
{
  report->ScriptText()->SetText("procedure Memo2OnBeforePrint(Sender: TfrxComponent);\r\n"
                                "begin\r\n"
                                "  Memo2.Text := 'P' + <Data.\"Name\">;\r\n"
                                "end;\r\n"
                                "begin\r\n"
                                "end.");
  static_cast<TfrxMemoView*>(report->FindObject("Memo2"))->OnBeforePrint = "Memo2OnBeforePrint";
  report->OnBeforePrint = [this](TfrxReportComponent* Sender) {
    if (Sender->Name() == "Memo3")
      report->SetTerminated(true);
  };
  ASSERT_TRUE(report->GenerateReport());
  report->OnBeforePrint = nullptr;
  ASSERT_TRUE(report->GenerateReport());
  TfrxComponent* page = report->PreviewPages()->BuildPage(0);
  EXPECT_EQ(static_cast<TfrxMemoView*>(page->FindObject("Memo2"))->Text(), "PN1\r\n");
}
