// Late-bound calls on automation objects from scripts: what reaches the dispatch interface,
// the errors, and a workbook written through the spreadsheet object.
#include <string>
#include <vector>

#include "platform/ole/ComObj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "tests/report/output/OutputTestSupport.h"
#include "tests/report/script/ScriptTestHelpers.h"

namespace {

struct TDispatchCall {
  std::string Name;
  Integer Flags;
  std::string Args; // the arguments' texts, comma-separated
};

// Records every call; "Version" answers a text, "Child" another recorder, and "Nope" is
// unknown.
class TRecorder : public TAutoDispatch {
public:
  explicit TRecorder(std::vector<TDispatchCall>& calls) : FCalls(calls)
  {
    for (const char* name : {"Visible", "Quit", "Cells", "Version", "Many"})
      Member(name, [this, name](Integer flags, const std::vector<Variant>& args) {
        Record(name, flags, args);
        return Variant(std::string(name) == "Version" ? "12.0" : "");
      });
    Member("Child", [this](Integer flags, const std::vector<Variant>& args) {
      Record("Child", flags, args);
      return VarFromDispatch(new TRecorder(FCalls));
    });
  }

private:
  void Record(const char* name, Integer flags, const std::vector<Variant>& args)
  {
    std::string text;
    for (const Variant& a : args)
      text += (text.empty() ? "" : ",") + VarToStr(a);
    FCalls.push_back({name, flags, text});
  }
  std::vector<TDispatchCall>& FCalls;
};

class fsOLEHelper : public testing::Test {
protected:
  void SetUp() override
  {
    FOld = RegisterOleClass("Test.Recorder", [this] { return new TRecorder(Calls); });
  }
  void TearDown() override { RegisterOleClass("Test.Recorder", FOld); }

  std::vector<TDispatchCall> Calls;

private:
  TOleClassFactory FOld;
};

constexpr Integer MethodOrGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

} // namespace

TEST_F(fsOLEHelper, CallsReachTheDispatchInterface)
{
  TTestScript t;
  EXPECT_EQ(t.Run("var x, c: Variant;\r\n"
                  "begin\r\n"
                  "  x := CreateOleObject('test.recorder');\r\n"
                  "  x.Visible := True;\r\n"
                  "  Log(x.Version);\r\n"
                  "  x.Quit;\r\n"
                  "  x.Cells(1, 2) := 5;\r\n"
                  "  x.Child.Visible := False;\r\n"
                  "  c := x.Child; c.Cells(3, 4) := 'z'\r\n"
                  "end."),
            "12.0");
  const std::vector<TDispatchCall> expected = {{"Visible", DISPATCH_PROPERTYPUT, "True"},
                                               {"Version", MethodOrGet, ""},
                                               {"Quit", DISPATCH_METHOD, ""},
                                               {"Cells", DISPATCH_PROPERTYPUT, "1,2,5"},
                                               {"Child", MethodOrGet, ""},
                                               {"Visible", DISPATCH_PROPERTYPUT, "False"},
                                               {"Child", MethodOrGet, ""},
                                               {"Cells", DISPATCH_PROPERTYPUT, "3,4,z"}};
  ASSERT_EQ(Calls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Calls[i].Name, expected[i].Name);
    EXPECT_EQ(Calls[i].Flags, expected[i].Flags);
    EXPECT_EQ(Calls[i].Args, expected[i].Args);
  }
}

TEST_F(fsOLEHelper, Errors)
{
  std::string many;
  for (Integer i = 0; i < 65; ++i)
    many += (i ? ", " : "") + std::to_string(i);
  struct {
    const char* Name;
    std::string Text;
    const char* Log;
  } cases[] = {
      {"unknown member", "var x: Variant; begin x := CreateOleObject('Test.Recorder'); x.Nope end.",
       "run: OLE error 80020006: Nope"},
      {"caught by the script",
       "var x: Variant; begin x := CreateOleObject('Test.Recorder');\r\n"
       "try Log(x.Nope(1)) except Log('caught') end end.",
       "caught"},
      {"unknown class string", "var x: Variant; begin x := CreateOleObject('No.Such') end.",
       "run: Invalid class string"},
      {"64 arguments pass",
       "var x: Variant; begin x := CreateOleObject('Test.Recorder'); x.Many(" +
           many.substr(0, many.rfind(',')) + "); Log('ok') end.",
       "ok"},
      {"more than 64 arguments",
       "var x: Variant; begin x := CreateOleObject('Test.Recorder'); x.Many(" + many + ") end.",
       "run: OLE error 8002000E: Many"},
      {"a put with 64 arguments and its value",
       "var x: Variant; begin x := CreateOleObject('Test.Recorder'); x.Many(" +
           many.substr(0, many.rfind(',')) + ") := 1 end.",
       "run: OLE error 8002000E: Many"},
      {"no automation object any more",
       "var x: Variant; i: Integer; begin x := CreateOleObject('Test.Recorder');\r\n"
       "for i := 1 to 2 do begin x.Visible := 1; x := 5 end end.",
       "run: Could not convert variant of type (Int64) into type (Dispatch)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestScript t;
    EXPECT_EQ(t.Run(c.Text), c.Log);
  }
}

TEST_F(fsOLEHelper, OtherLanguages)
{
  TTestScript basic("BasicScript");
  EXPECT_EQ(basic.Run("x = CreateOleObject(\"Test.Recorder\")\r\nx.Cells(1, 2) = 5\r\n"
                      "Log(x.Version)\r\n"),
            "12.0");
  TTestScript js("JScript");
  EXPECT_EQ(js.Run("var x = CreateOleObject(\"Test.Recorder\"); x.Visible = true; x.Quit();"), "");
  ASSERT_EQ(Calls.size(), 4u);
  EXPECT_EQ(Calls[0].Args, "1,2,5");
  EXPECT_EQ(Calls[2].Flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(Calls[3].Flags, DISPATCH_METHOD);
}

// A workbook written by a script through the spreadsheet object reads back with its cells.
TEST(fsOLEWorkbook, ScriptWritesAWorkbook)
{
  if (!ProgramAvailable("unzip"))
    GTEST_SKIP() << "unzip is not installed";
  const std::string file = OutputPath("script_workbook.xlsx");
  DeleteFile(file);
  TTestScript t;
  EXPECT_EQ(t.Run("var app, book, sheet: Variant;\r\n"
                  "begin\r\n"
                  "  app := CreateOleObject('Excel.Application');\r\n"
                  "  book := app.Workbooks.Add;\r\n"
                  "  sheet := book.WorkSheets(1);\r\n"
                  "  sheet.Range('A1', 'A1').Value := '快递单';\r\n"
                  "  sheet.Range('B2', 'B2').Value := 42;\r\n"
                  "  book.SaveAs('" +
                  file +
                  "', -4143);\r\n"
                  "  Log('saved')\r\n"
                  "end."),
            "saved");
  const std::string sheet =
      RunProgram("unzip -p '" + file + "' xl/worksheets/sheet1.xml 2>/dev/null");
  EXPECT_NE(sheet.find("<c r=\"A1\""), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("<c r=\"B2\""), std::string::npos) << sheet;
  const std::string strings =
      RunProgram("unzip -p '" + file + "' xl/sharedStrings.xml 2>/dev/null");
  EXPECT_NE(strings.find(GbkToUtf8("快递单")), std::string::npos) << strings;
  EXPECT_NE(strings.find(">42<"), std::string::npos) << strings;
}
