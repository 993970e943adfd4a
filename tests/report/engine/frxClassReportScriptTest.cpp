// How a report evaluates expressions and prepares its script: the look-up order, the
// expression cache, errors, variables that refer to themselves, macro functions and the
// script binding across builds.
#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxVariables.h"
#include "report/script/fsScript.h"

namespace {

// A report with a user dataset "Data" (fields Name, Amount, Paid) of one record.
class frxCalcTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    data = std::make_unique<TfrxUserDataSet>(nullptr);
    data->SetUserName("Data");
    data->Fields()->SetText("Name\r\nAmount\r\nPaid");
    data->OnGetValue = [this](const Variant& Name, Variant& Value) {
      const AnsiString field = VarToStr(Name);
      if (field == "Name")
        Value = Name_;
      else if (field == "Amount")
        Value = Amount;
      else if (field == "Paid")
        Value = Paid;
    };
    report = std::make_unique<TfrxReport>(nullptr);
    report->DataSets()->Add(data.get());
    report->EngineOptions()->SetSilentMode(true);
  }

  Variant Calc(const AnsiString& Expr) { return report->Calc(Expr); }

  std::unique_ptr<TfrxUserDataSet> data;
  std::unique_ptr<TfrxReport> report;
  Variant Name_ = Variant(AnsiString("Alice"));
  Variant Amount = Variant(12.5);
  Variant Paid = Variant(true);
};

} // namespace

// The look-up order: dataset field, system value, host value, report variable, script
// variable, and only then a compiled expression.
TEST_F(frxCalcTest, LookupOrder)
{
  ASSERT_TRUE(report->BindReportScript());
  report->Variables()->SetVariables("Data.\"Name\"", Variant(AnsiString("'variable'")));
  report->Variables()->SetVariables("Page#", Variant(99));
  report->Variables()->SetVariables("Host", Variant(AnsiString("'variable'")));
  report->Variables()->SetVariables("Sum", Variant(AnsiString("2+3")));
  report->Variables()->SetVariables("Seven", Variant(7));
  report->Variables()->SetVariables("Rate", Variant(AnsiString("<Seven>*2")));
  report->OnGetValue = [](const AnsiString& Name, Variant& Value) {
    if (Name == "Host" || Name == "HostOnly")
      Value = Variant(AnsiString("host"));
  };
  report->Script()->RegisterScriptVariable("ScriptVar", "Integer", Variant(41));
  report->Engine()->SetStartDate(EncodeDate(2026, 1, 5));
  report->Engine()->SetTotalPages(9);
  report->Engine()->SetCurLine(3);
  report->Engine()->SetCurLineThrough(8);
  report->PreviewPages()->SetCurPage(4);
  report->PreviewPages()->SetFirstPage(2);

  struct TCase {
    const char* Expr;
    Variant Expected;
  } cases[] = {
      {"Data.\"Name\"", Variant(AnsiString("Alice"))},
      {"data.\"Amount\"", Variant(12.5)},
      {"Page#", Variant(5)},
      {"page", Variant(3)},
      {"TotalPages", Variant(7)},
      {"TotalPages#", Variant(9)},
      {"Line", Variant(3)},
      {"Line#", Variant(8)},
      {"Host", Variant(AnsiString("host"))},
      {"HostOnly", Variant(AnsiString("host"))},
      {"Sum", Variant(5)},
      {"Seven", Variant(7)},
      {"Rate", Variant(14)},
      {"ScriptVar", Variant(41)},
      {"ScriptVar + 1", Variant(42)},
      {"<Data.\"Amount\"> * 2", Variant(25.0)},
      {"IIF(<Data.\"Paid\">, 'yes', 1/0)", Variant(AnsiString("yes"))},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Expr);
    const Variant value = Calc(c.Expr);
    EXPECT_EQ(VarToStr(value), VarToStr(c.Expected));
  }
  EXPECT_EQ(VarToDateTime(Calc("Date")), EncodeDate(2026, 1, 5));
  EXPECT_EQ(report->Errors()->Count(), 0) << report->Errors()->Text();
}

TEST_F(frxCalcTest, NullFieldsFollowConvertNulls)
{
  ASSERT_TRUE(report->BindReportScript());
  Name_ = Null();
  Amount = Null();
  Paid = Null();
  data->OnGetValue = [](const Variant&, Variant& Value) { Value = Null(); };
  class TTypedData : public TfrxUserDataSet {
  public:
    using TfrxUserDataSet::TfrxUserDataSet;
    TfrxFieldType FieldType(const AnsiString& Index) override
    {
      return Index == "Name" ? fftString : Index == "Paid" ? fftBoolean : fftNumeric;
    }
  };
  TTypedData typed(nullptr);
  typed.SetUserName("Typed");
  report->DataSets()->Add(&typed);
  EXPECT_EQ(VarType(Calc("Typed.\"Amount\"")), varInteger);
  EXPECT_EQ(Calc("Typed.\"Amount\"").AsInteger(), 0);
  EXPECT_EQ(VarToStr(Calc("Typed.\"Name\"")), "");
  EXPECT_TRUE(VarIsStr(Calc("Typed.\"Name\"")));
  EXPECT_FALSE(Calc("Typed.\"Paid\"").AsBoolean());
  report->EngineOptions()->SetConvertNulls(false);
  EXPECT_TRUE(VarIsNull(Calc("Typed.\"Amount\"")));
}

// Each distinct text compiles once; texts differing only in a literal's case are distinct.
TEST_F(frxCalcTest, ExpressionCacheKeysTheExactText)
{
  ASSERT_TRUE(report->BindReportScript());
  TfrxExpressionCache* cache = report->ExpressionCache();
  EXPECT_EQ(VarToStr(Calc("IIF(1 > 0, 'YES', 'NO')")), "YES");
  EXPECT_EQ(VarToStr(Calc("IIF(1 > 0, 'yes', 'no')")), "yes");
  const Integer compiled = cache->Count();
  EXPECT_EQ(VarToStr(Calc("IIF(1 > 0, 'yes', 'no')")), "yes");
  EXPECT_EQ(cache->Count(), compiled);
  cache->Clear();
  EXPECT_EQ(cache->Count(), 0);
  EXPECT_EQ(VarToStr(Calc("IIF(1 > 0, 'yes', 'no')")), "yes");
}

// A failing expression: one error line prefixed by the current object, a raise, nothing
// cached, and the next new expression still compiles.
TEST_F(frxCalcTest, CompileErrorsAreReportedAndForgotten)
{
  ASSERT_TRUE(report->BindReportScript());
  report->SetCurrentObjectName("Memo1");
  try {
    Calc("1 +");
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message().find("Memo1: 表达式错误 '1 +': "), 0u) << e.Message();
  }
  ASSERT_EQ(report->Errors()->Count(), 1);
  EXPECT_EQ(report->Errors()->Strings(0).find("Memo1: "), 0u);
  EXPECT_EQ(report->ExpressionCache()->Count(), 0);
  EXPECT_EQ(Calc("2 * 21").AsInteger(), 42);
  EXPECT_EQ(Calc("2 * 22").AsInteger(), 44);
  EXPECT_THROW(Calc("1 +"), Exception);
}

// A variable whose text refers back to itself, directly or through another, is an error
// naming the variable instead of an endless recursion.
TEST_F(frxCalcTest, VariablesThatReferToThemselves)
{
  ASSERT_TRUE(report->BindReportScript());
  report->Variables()->SetVariables("Self", Variant(AnsiString("<Self> + 1")));
  report->Variables()->SetVariables("A", Variant(AnsiString("<B> + 1")));
  report->Variables()->SetVariables("B", Variant(AnsiString("<A>")));
  report->SetCurrentObjectName("Memo2");
  for (const char* name : {"Self", "A"}) {
    SCOPED_TRACE(name);
    report->Errors()->Clear();
    EXPECT_THROW(Calc(name), Exception);
    bool named = false;
    for (Integer i = 0; i < report->Errors()->Count(); ++i)
      named = named || report->Errors()->Strings(i).find("Memo2: 表达式错误 '") == 0;
    EXPECT_TRUE(named) << report->Errors()->Text();
  }
  // Evaluation works again afterwards.
  report->Variables()->SetVariables("B", Variant(2));
  EXPECT_EQ(Calc("A").AsInteger(), 3);
}

// Get and Set from a script, unknown names, and a report script that declares things being
// prepared for a second build.
TEST_F(frxCalcTest, ScriptBindingAcrossBuilds)
{
  report->ScriptText()->SetText("var Counter: Integer;\r\n"
                                "procedure Bump(Sender: Variant);\r\n"
                                "begin\r\n"
                                "  Counter := Counter + 1;\r\n"
                                "  Set('Seen', Counter);\r\n"
                                "end;\r\n"
                                "begin\r\n"
                                "end.");
  report->RegisterUserFunction("function Twice(X: Integer): Integer", "ctOther", "");
  report->OnUserFunction = [](const AnsiString& Name, Variant& Params) -> Variant {
    return Name == "TWICE" ? Variant(VarArrayGet(Params, {0}).AsInteger() * 2) : Null();
  };
  for (Integer build = 1; build <= 2; ++build) {
    SCOPED_TRACE(build);
    ASSERT_TRUE(report->BindReportScript()) << report->Script()->ErrorMsg();
    report->RunScriptEvent(report.get(), "Bump", true);
    EXPECT_EQ(VarToStr(report->Variables()->Variables("Seen")), "1");
    EXPECT_EQ(Calc("Twice(<Seen> + 1)").AsInteger(), 4);
    EXPECT_EQ(VarToStr(Calc("Get('Seen')")), "1");
  }
  // Without force and outside a build, script events do not run.
  report->RunScriptEvent(report.get(), "Bump");
  EXPECT_EQ(VarToStr(report->Variables()->Variables("Seen")), "1");

  report->Errors()->Clear();
  EXPECT_TRUE(VarIsNull(Calc("Get('Nowhere')")));
  EXPECT_EQ(report->Errors()->Text(), "未知的变量或数据库字段: Nowhere\r\n");

  report->ScriptText()->SetText("begin\r\n  x := ;\r\nend.");
  report->Errors()->Clear();
  EXPECT_FALSE(report->BindReportScript());
  ASSERT_EQ(report->Errors()->Count(), 1);
  EXPECT_EQ(report->Errors()->Strings(0).find("脚本发生错误在 2:"), 0u) << report->Errors()->Text();
}
