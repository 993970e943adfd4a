// Whole programs through the compiler and the interpreter: the same program in the four
// languages, statements, routines, recursion, control flow and the faults that once broke
// them.
#include "tests/report/script/ScriptTestHelpers.h"

#include "report/script/fsScript.h"

namespace {

struct TLanguageCase {
  const char* Language;
  const char* Text;
};

} // namespace

// A counted loop, a recursive function, a function returning text and a var argument of a
// built-in procedure, in every language.
TEST(fsScript, SampleProgramInEveryLanguage)
{
  const TLanguageCase cases[] = {
      {"PascalScript",
       "var i, s: Integer; t: String;\r\n"
       "function Fact(n: Integer): Integer;\r\n"
       "begin\r\n"
       "  if n <= 1 then Result := 1 else Result := n * Fact(n - 1);\r\n"
       "end;\r\n"
       "function Wrap(s: String): String;\r\n"
       "begin\r\n"
       "  Result := '[' + s + ']';\r\n"
       "end;\r\n"
       "begin\r\n"
       "  s := 0;\r\n"
       "  for i := 1 to 10 do s := s + i;\r\n"
       "  t := 'cd';\r\n"
       "  Insert('x', t, 2);\r\n"
       "  Log(IntToStr(s) + ',' + IntToStr(Fact(5)) + ',' + Wrap(t));\r\n"
       "end."},
      {"C++Script",
       "int i, s; String t;\r\n"
       "int Fact(int n) { if (n <= 1) return 1; else return n * Fact(n - 1); }\r\n"
       "String Wrap(String s) { return \"[\" + s + \"]\"; }\r\n"
       "{\r\n"
       "  s = 0;\r\n"
       "  for (i = 1; i <= 10; i++) s = s + i;\r\n"
       "  t = \"cd\";\r\n"
       "  Insert(\"x\", t, 2);\r\n"
       "  Log(IntToStr(s) + \",\" + IntToStr(Fact(5)) + \",\" + Wrap(t));\r\n"
       "}"},
      {"BasicScript",
       "Function Fact(n)\r\n"
       "  If n <= 1 Then\r\n"
       "    Return 1\r\n"
       "  Else\r\n"
       "    Return n * Fact(n - 1)\r\n"
       "  End If\r\n"
       "End Function\r\n"
       "Function Wrap(s)\r\n"
       "  Return \"[\" & s & \"]\"\r\n"
       "End Function\r\n"
       "s = 0\r\n"
       "For i = 1 To 10\r\n"
       "  s = s + i\r\n"
       "Next\r\n"
       "t = \"cd\"\r\n"
       "Insert(\"x\", t, 2)\r\n"
       "Log(IntToStr(s) & \",\" & IntToStr(Fact(5)) & \",\" & Wrap(t))\r\n"},
      {"JScript",
       "function Fact(n) { if (n <= 1) return 1; else return n * Fact(n - 1); }\r\n"
       "function Wrap(s) { return \"[\" + s + \"]\"; }\r\n"
       "var s = 0;\r\n"
       "for (i = 1; i <= 10; i++) s += i;\r\n"
       "var t = \"cd\";\r\n"
       "Insert(\"x\", t, 2);\r\n"
       "Log(IntToStr(s) + \",\" + IntToStr(Fact(5)) + \",\" + Wrap(t));\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Language);
    TTestScript t(c.Language);
    EXPECT_EQ(t.Run(c.Text), "55,120,[cxd]");
  }
}
