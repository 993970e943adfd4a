// First pass of the compiler: intermediate syntax trees of small programs in the four
// languages, positioned errors, units, and the grammar engine's own rules.
#include "report/script/fsILParser.h"

#include <cctype>

#include <gtest/gtest.h>

#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "report/script/ScriptLanguages.h"

namespace {

// name[text]@pos(children...) of an element and its descendants.
std::string Dump(const TfsXMLItem* e)
{
  std::string s = e->Name();
  if (e->HasProp("text"))
    s += "[" + e->Prop("text") + "]";
  if (e->HasProp("pos"))
    s += "@" + e->Prop("pos");
  if (e->Count() > 0) {
    s += "(";
    for (Integer i = 0; i < e->Count(); ++i)
      s += (i ? " " : "") + Dump(e->Items(i));
    s += ")";
  }
  return s;
}

// The program's elements without the trailing types element.
std::string DumpProgram(const TfsILParser& parser)
{
  const TfsXMLItem* root = parser.SyntaxXml()->Root();
  std::string s;
  for (Integer i = 0; i + 1 < root->Count(); ++i)
    s += (i ? " " : "") + Dump(root->Items(i));
  return s;
}

struct TParseResult {
  bool Ok;
  std::string Tree;
  std::string Message;
  std::string Position;
};

TParseResult Parse(const char* language, const AnsiString& text)
{
  TfsILParser parser(nullptr);
  parser.SelectLanguage(language);
  bool ok = parser.SourceToSyntaxXml(text);
  return {ok, ok ? DumpProgram(parser) : std::string(), parser.ErrorMsg(), parser.ErrorPos()};
}

} // namespace

namespace {

struct TTreeCase {
  const char* Name;
  const char* Language;
  const char* Text;
  const char* Tree;
};

void CheckTrees(const TTreeCase* cases, size_t count)
{
  for (size_t i = 0; i < count; ++i) {
    const TTreeCase& c = cases[i];
    SCOPED_TRACE(c.Name);
    TParseResult r = Parse(c.Language, c.Text);
    EXPECT_TRUE(r.Ok) << r.Message << " at " << r.Position;
    EXPECT_EQ(r.Tree, c.Tree);
  }
}

} // namespace

TEST(fsILParser, PascalTrees)
{
  const TTreeCase cases[] = {
      {"empty block", "PascalScript", "begin end.", "compoundstmt@1:1"},
      {"assignment", "PascalScript", "begin a := b + 1 end.",
       "compoundstmt@1:1(assignstmt@1:7(dsgn@1:7(node[a]@1:8) "
       "expr@1:12(dsgn@1:12(node[b]@1:13) op[+]@1:15 number[1]@1:17)))"},
      {"variables", "PascalScript", "var a, b, c: Integer; begin end.",
       "var@1:5(ident[a]@1:6 ident[b]@1:9 ident[c]@1:12 type[Integer]@1:21) compoundstmt@1:23"},
      {"array", "PascalScript", "var s: array[0..9] of Integer; begin end.",
       "var@1:5(ident[s]@1:6 array@1:8(dim@1:14(expr@1:14(number[0]@1:15) "
       "expr@1:17(number[9]@1:18))) type[Integer]@1:30) compoundstmt@1:32"},
      {"case with range and else", "PascalScript",
       "begin case x of 1..3, 5: y := 1; else y := 2 end end.",
       "compoundstmt@1:1(casestmt@1:7(expr@1:12(dsgn@1:12(node[x]@1:13)) "
       "caseselector@1:17(set@1:17(expr@1:17(number[1]@1:18) range[.]@1:19 "
       "expr@1:20(number[3]@1:21) expr@1:23(number[5]@1:24)) "
       "assignstmt@1:26(dsgn@1:26(node[y]@1:27) expr@1:31(number[1]@1:32))) "
       "assignstmt@1:39(dsgn@1:39(node[y]@1:40) expr@1:44(number[2]@1:45))))"},
      {"for downto", "PascalScript", "begin for i := 10 downto 1 do x := i end.",
       "compoundstmt@1:1(forstmt@1:7(ident[i]@1:12 expr@1:16(number[10]@1:18) "
       "downto[downto]@1:25 expr@1:26(number[1]@1:27) assignstmt@1:31(dsgn@1:31(node[x]@1:32) "
       "expr@1:36(dsgn@1:36(node[i]@1:37)))))"},
      {"reserved word after a dot", "PascalScript", "begin x.End end.",
       "compoundstmt@1:1(callstmt@1:7(dsgn@1:7(node[x]@1:8 node[End]@1:12)))"},
      {"string literals", "PascalScript", "begin s := 'It''s' + #65'B' end.",
       "compoundstmt@1:1(assignstmt@1:7(dsgn@1:7(node[s]@1:8) "
       "expr@1:12(string['It's']@1:19 op[+]@1:21 string['AB']@1:28)))"},
      {"routines", "PascalScript",
       "procedure P(var a: Integer; b: String); begin end;\r\n"
       "function F: Integer; begin Result := 1 end;\r\nbegin P(1, 'x') end.",
       "procedure@1:1(name[P]@1:12 parameters@1:12(varparams@1:13 var@1:17(ident[a]@1:18 "
       "type[Integer]@1:27) var@1:29(ident[b]@1:30 type[String]@1:38)) compoundstmt@1:41) "
       "function@2:1(name[F]@2:11 type[Integer]@2:20 compoundstmt@2:22(assignstmt@2:28("
       "dsgn@2:28(node[Result]@2:34) expr@2:38(number[1]@2:39)))) "
       "compoundstmt@3:1(callstmt@3:7(dsgn@3:7(node[P]@3:8 expr@3:9(number[1]@3:10) "
       "expr@3:12(string['x']@3:15))))"},
      {"try, while, repeat, with", "PascalScript",
       "begin try a finally b end; while a < 1 do a := -a; repeat until x >= 1; "
       "with a, b do c end.",
       "compoundstmt@1:1(trystmt@1:7(callstmt@1:11(dsgn@1:11(node[a]@1:12)) "
       "finallystmt@1:21(callstmt@1:21(dsgn@1:21(node[b]@1:22)))) "
       "whilestmt@1:28(expr@1:34(dsgn@1:34(node[a]@1:35) op[<]@1:37 number[1]@1:39) "
       "assignstmt@1:43(dsgn@1:43(node[a]@1:44) expr@1:48(op[unminus]@1:49 "
       "dsgn@1:49(node[a]@1:50)))) repeatstmt@1:52(expr@1:65(dsgn@1:65(node[x]@1:66) "
       "op[>=]@1:69 number[1]@1:71)) with@1:73(dsgn@1:78(node[a]@1:79) "
       "dsgn@1:81(node[b]@1:82) callstmt@1:86(dsgn@1:86(node[c]@1:87))))"},
      {"text after the final dot is ignored", "PascalScript", "begin end. )(*", "compoundstmt@1:1"},
  };
  CheckTrees(cases, std::size(cases));
}

TEST(fsILParser, CppTrees)
{
  const TTreeCase cases[] = {
      {"declaration and block", "C++Script", "int x = 5; { x++; }",
       "var@1:1(type[int]@1:4 ident[x]@1:6 init@1:7(expr@1:9(number[5]@1:10))) "
       "compoundstmt@1:12(callstmt@1:14(dsgn@1:14(node[x]@1:15) modificator[+]@1:17))"},
      {"compound assignment and operators", "C++Script",
       "{ x += 2; a = b != c && d || e % f << g; }",
       "compoundstmt@1:1(assignstmt@1:3(dsgn@1:3(node[x]@1:4) modificator[+]@1:6 "
       "expr@1:8(number[2]@1:9)) assignstmt@1:11(dsgn@1:11(node[a]@1:12) "
       "expr@1:15(dsgn@1:15(node[b]@1:16) op[<>]@1:19 dsgn@1:20(node[c]@1:21) op[and]@1:24 "
       "dsgn@1:25(node[d]@1:26) op[or]@1:29 dsgn@1:30(node[e]@1:31) op[mod]@1:33 "
       "dsgn@1:34(node[f]@1:35) op[shl]@1:38 dsgn@1:39(node[g]@1:40))))"},
      {"for and do-while", "C++Script",
       "{ for (i = 0; i < 10; i++) s += i; do x--; while (x > 0); }",
       "compoundstmt@1:1(cppforstmt@1:3(compoundstmt@1:8(assignstmt@1:8(dsgn@1:8(node[i]@1:9) "
       "expr@1:12(number[0]@1:13))) expr@1:15(dsgn@1:15(node[i]@1:16) op[<]@1:18 "
       "number[10]@1:21) compoundstmt@1:23(callstmt@1:23(dsgn@1:23(node[i]@1:24) "
       "modificator[+]@1:26)) assignstmt@1:28(dsgn@1:28(node[s]@1:29) modificator[+]@1:31 "
       "expr@1:33(dsgn@1:33(node[i]@1:34)))) repeatstmt@1:36(callstmt@1:39("
       "dsgn@1:39(node[x]@1:40) modificator[-]@1:42) expr@1:51(dsgn@1:51(node[x]@1:52) "
       "op[>]@1:54 number[0]@1:56) inverse[]@1:56))"},
      {"empty for parts keep their places", "C++Script", "{ for (; x; ) y; }",
       "compoundstmt@1:1(cppforstmt@1:3(compoundstmt@1:8(empty@1:8) expr@1:10(dsgn@1:10("
       "node[x]@1:11)) compoundstmt@1:13(empty@1:13) callstmt@1:15(dsgn@1:15(node[y]@1:16))))"},
      {"define and function", "C++Script", "#define MAX 0x10\r\nvoid f(int a, int &b) { }\r\n{ }",
       "const@1:9(ident[MAX]@1:12 expr@1:13(number[$10]@1:17)) function@2:1(type[void]@2:5 "
       "name[f]@2:7 parameters@2:7(var@2:8(type[int]@2:11 ident[a]@2:13) "
       "var@2:15(type[int]@2:18 varparam[&]@2:20 ident[b]@2:21)) compoundstmt@2:23) "
       "compoundstmt@3:1"},
  };
  CheckTrees(cases, std::size(cases));
}

TEST(fsILParser, BasicTrees)
{
  const TTreeCase cases[] = {
      {"dim with type and value", "BasicScript", "Dim x As Integer = 5\r\n",
       "compoundstmt@1:1(var@1:5(ident[x]@1:6 type[Integer]@1:17 "
       "init@1:18(expr@1:20(number[5]@1:21))))"},
      {"dim of two names", "BasicScript", "Dim a, b As Integer\r\n",
       "compoundstmt@1:1(var@1:5(ident[a]@1:6) var@1:8(ident[b]@1:9 type[Integer]@1:20))"},
      {"one-line if", "BasicScript", "If a > 1 Then b = 2\r\n",
       "compoundstmt@1:1(ifstmt@1:1(expr@1:4(dsgn@1:4(node[a]@1:5) op[>]@1:7 number[1]@1:9) "
       "thenstmt@1:15(assignstmt@1:15(dsgn@1:15(node[b]@1:16) expr@1:19(number[2]@1:20)))))"},
      {"two statements on a line", "BasicScript", "x = 1 : y = 2\r\n",
       "compoundstmt@1:1(assignstmt@1:1(dsgn@1:1(node[x]@1:2) expr@1:5(number[1]@1:6)) "
       "assignstmt@1:9(dsgn@1:9(node[y]@1:10) expr@1:13(number[2]@1:14)))"},
      {"for with step", "BasicScript", "For i = 1 To 10 Step 2\r\n  s = s + i\r\nNext\r\n",
       "compoundstmt@1:1(vbforstmt@1:1(ident[i]@1:6 expr@1:9(number[1]@1:10) "
       "expr@1:14(number[10]@1:16) expr@1:22(number[2]@1:23) compoundstmt@2:3("
       "assignstmt@2:3(dsgn@2:3(node[s]@2:4) expr@2:7(dsgn@2:7(node[s]@2:8) op[+]@2:10 "
       "dsgn@2:11(node[i]@2:12))))))"},
      {"strcat and div", "BasicScript", "a = b & \"x\" \\ c\r\n",
       "compoundstmt@1:1(assignstmt@1:1(dsgn@1:1(node[a]@1:2) expr@1:5(dsgn@1:5(node[b]@1:6) "
       "op[strcat]@1:8 string['x']@1:12 op[div]@1:14 dsgn@1:15(node[c]@1:16))))"},
      {"loop while", "BasicScript", "Do\r\nx = x - 1\r\nLoop While x > 0\r\n",
       "compoundstmt@1:1(repeatstmt@1:1(compoundstmt@1:3(assignstmt@2:1(dsgn@2:1(node[x]@2:2) "
       "expr@2:5(dsgn@2:5(node[x]@2:6) op[-]@2:8 number[1]@2:10))) expr@3:12("
       "dsgn@3:12(node[x]@3:13) op[>]@3:15 number[0]@3:17) inverse[]@3:17))"},
      {"set", "BasicScript", "Set o = CreateOleObject(\"Excel.Application\")\r\n",
       "compoundstmt@1:1(assignstmt@1:5(dsgn@1:5(node[o]@1:6) expr@1:9(dsgn@1:9("
       "node[CreateOleObject]@1:24 expr@1:25(string['Excel.Application']@1:44)))))"},
      {"select case", "BasicScript",
       "Select Case x\r\nCase 1, 2:\r\ny = 1\r\nCase Else:\r\ny = 2\r\nEnd Select\r\n",
       "compoundstmt@1:1(casestmt@1:1(expr@1:13(dsgn@1:13(node[x]@1:14)) "
       "caseselector@2:1(set@2:6(expr@2:6(number[1]@2:7) expr@2:9(number[2]@2:10)) "
       "compoundstmt@2:11(assignstmt@3:1(dsgn@3:1(node[y]@3:2) expr@3:5(number[1]@3:6)))) "
       "compoundstmt@4:11(assignstmt@5:1(dsgn@5:1(node[y]@5:2) expr@5:5(number[2]@5:6)))))"},
      {"empty then part", "BasicScript", "If c Then\r\nElse\r\nx = 1\r\nEnd If\r\n",
       "compoundstmt@1:1(ifstmt@1:1(expr@1:4(dsgn@1:4(node[c]@1:5)) elsestmt@2:1("
       "compoundstmt@3:1(assignstmt@3:1(dsgn@3:1(node[x]@3:2) expr@3:5(number[1]@3:6))))))"},
  };
  CheckTrees(cases, std::size(cases));
}

TEST(fsILParser, JScriptTrees)
{
  const TTreeCase cases[] = {
      {"var list", "JScript", "var x = 5, y;",
       "compoundstmt@1:1(var@1:5(ident[x]@1:6 init@1:7(expr@1:9(number[5]@1:10))) "
       "var@1:12(ident[y]@1:13))"},
      {"function", "JScript", "function f(a, &b) { return a; }",
       "compoundstmt@1:1(function@1:1(name[f]@1:11 parameters@1:11(var@1:12(ident[a]@1:13) "
       "var@1:15(varparam[&]@1:16 ident[b]@1:17)) compoundstmt@1:21(return@1:21("
       "expr@1:28(dsgn@1:28(node[a]@1:29))))))"},
      {"semicolons are optional", "JScript", "x = 1 y = 2",
       "compoundstmt@1:1(assignstmt@1:1(dsgn@1:1(node[x]@1:2) expr@1:5(number[1]@1:6)) "
       "assignstmt@1:7(dsgn@1:7(node[y]@1:8) expr@1:11(number[2]@1:12)))"},
      {"if else", "JScript", "if (x == 1) y = 2; else y = 3;",
       "compoundstmt@1:1(ifstmt@1:1(expr@1:5(dsgn@1:5(node[x]@1:6) op[=]@1:9 number[1]@1:11) "
       "thenstmt@1:13(assignstmt@1:13(dsgn@1:13(node[y]@1:14) expr@1:17(number[2]@1:18))) "
       "elsestmt@1:25(assignstmt@1:25(dsgn@1:25(node[y]@1:26) expr@1:29(number[3]@1:30)))))"},
      {"for", "JScript", "for (i = 0; i < 5; i++) s += i;",
       "compoundstmt@1:1(cppforstmt@1:1(assignstmt@1:6(dsgn@1:6(node[i]@1:7) "
       "expr@1:10(number[0]@1:11)) expr@1:13(dsgn@1:13(node[i]@1:14) op[<]@1:16 "
       "number[5]@1:18) callstmt@1:20(dsgn@1:20(node[i]@1:21) modificator[+]@1:23) "
       "assignstmt@1:25(dsgn@1:25(node[s]@1:26) modificator[+]@1:28 "
       "expr@1:30(dsgn@1:30(node[i]@1:31)))))"},
      {"empty for parts keep their places", "JScript", "for (; x; ) y;",
       "compoundstmt@1:1(cppforstmt@1:1(empty@1:6 expr@1:8(dsgn@1:8(node[x]@1:9)) empty@1:11 "
       "callstmt@1:13(dsgn@1:13(node[y]@1:14))))"},
      {"empty text", "JScript", "", "compoundstmt@1:1"},
  };
  CheckTrees(cases, std::size(cases));
}

TEST(fsILParser, SyntaxErrors)
{
  struct {
    const char* Language;
    const char* Text;
    const char* Message;
    const char* Position;
  } cases[] = {
      {"PascalScript", "begin x := ; end.", "Expression expected", "1:12"},
      {"PascalScript", "begin end", "'.' expected", "1:10"},
      {"PascalScript", "begin a := 1", "';' expected", "1:13"},
      {"PascalScript", "begin\r\n  if a b := 1\r\nend.", "'THEN' expected", "2:8"},
      {"PascalScript", "begin for i = 1 to 2 do end.", "':' expected", "1:13"},
      {"PascalScript", "begin for i := 1 do end.", "'TO' or 'DOWNTO' expected", "1:18"},
      {"PascalScript", "var x Integer; begin end.", "':' expected", "1:7"},
      {"PascalScript", "program; begin end.", "Identifier expected", "1:8"},
      {"PascalScript", "begin try a end.", "'FINALLY' or 'EXCEPT' expected", "1:13"},
      {"PascalScript", "x", "'BEGIN' expected", "1:1"},
      {"C++Script", "{ x = ; }", "Expression expected", "1:7"},
      {"C++Script", "{ x = 1 }", "';' expected", "1:9"},
      {"BasicScript", "x = 1 y\r\n", "End of line expected", "1:7"},
      {"BasicScript", "x = 1", "End of line expected", "1:6"},
      {"BasicScript", "If a Then\r\nb = 1\r\n", "'END' expected", "3:1"},
      {"JScript", "if (x) { y = 1;", "'}' expected", "1:16"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TParseResult r = Parse(c.Language, c.Text);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Message, c.Message);
    EXPECT_EQ(r.Position, c.Position);
  }
}

// Text that no statement can begin is refused in the languages whose statement loop would
// otherwise stop there silently; an empty text is still an empty program.
TEST(fsILParser, UnconsumedTextIsAnError)
{
  struct {
    const char* Language;
    const char* Text;
    bool Ok;
    const char* Message;
    const char* Position;
  } cases[] = {
      {"JScript", "x = 1; )", false, "Statement expected", "1:8"},
      {"JScript", ")", false, "Statement expected", "1:1"},
      {"JScript", "x = 1;\r\n  // done\r\n", true, "", ""},
      {"JScript", "  /* only a comment */  ", true, "", ""},
      {"BasicScript", "x = 1\r\n)\r\n", false, "End of line expected", "2:1"},
      {"BasicScript", ")\r\n", false, "End of line expected", "1:1"},
      {"BasicScript", "", true, "", ""},
      {"BasicScript", "\r\n' comment\r\n\r\n", true, "", ""},
      {"PascalScript", "begin end. ) junk", true, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TParseResult r = Parse(c.Language, c.Text);
    EXPECT_EQ(r.Ok, c.Ok);
    EXPECT_EQ(r.Message, c.Message);
    EXPECT_EQ(r.Position, c.Position);
  }
}

// BasicScript comments and line continuations through the whole grammar.
TEST(fsILParser, BasicCommentsAndContinuations)
{
  const TTreeCase cases[] = {
      {"comment after a statement", "BasicScript", "x = 1 ' note\r\ny = 2\r\n",
       "compoundstmt@1:1(assignstmt@1:1(dsgn@1:1(node[x]@1:2) expr@1:5(number[1]@1:6)) "
       "assignstmt@2:1(dsgn@2:1(node[y]@2:2) expr@2:5(number[2]@2:6)))"},
      {"rem lines in any case", "BasicScript", "REM a\r\nRem b\r\nx = 1 rem c\r\n",
       "compoundstmt@1:6(assignstmt@3:1(dsgn@3:1(node[x]@3:2) expr@3:5(number[1]@3:6)))"},
      {"rem as the start of a name", "BasicScript", "remain = 5\r\n",
       "compoundstmt@1:1(assignstmt@1:1(dsgn@1:1(node[remain]@1:7) expr@1:10(number[5]@1:11)))"},
      {"continuation", "BasicScript", "a = _ ' more\r\n  b\r\n",
       "compoundstmt@1:1(assignstmt@1:1(dsgn@1:1(node[a]@1:2) expr@2:3(dsgn@2:3(node[b]@2:4))))"},
      {"underscore names", "BasicScript", "_a = b_\r\n",
       "compoundstmt@1:1(assignstmt@1:1(dsgn@1:1(node[_a]@1:3) expr@1:6(dsgn@1:6(node[b_]@1:8))))"},
  };
  CheckTrees(cases, std::size(cases));
}

// The intermediate syntax keeps literal text exactly, including text that looks like a
// character reference, also after a round trip through XML text.
TEST(fsILParser, LiteralsSurviveTheSyntaxTree)
{
  TfsILParser parser(nullptr);
  parser.SelectLanguage("PascalScript");
  ASSERT_TRUE(parser.SourceToSyntaxXml("begin s := '&#60;<&>\"' end."));
  TfsXMLItem* literal = parser.SyntaxXml()->Root()->Items(0)->Items(0)->Items(1)->Items(0);
  EXPECT_EQ(literal->Name(), "string");
  EXPECT_EQ(literal->Prop("text"), "'&#60;<&>\"'");

  TfsXMLDocument copy;
  copy.LoadFromText(parser.SyntaxXml()->SaveToText());
  EXPECT_EQ(copy.Root()->Items(0)->Items(0)->Items(1)->Items(0)->Prop("text"), "'&#60;<&>\"'");
  // The types element of the grammar closes the program.
  EXPECT_EQ(copy.Root()->Items(copy.Root()->Count() - 1)->Name(), "types");
}

TEST(fsILParser, ReportExpressionBecomesGetCall)
{
  auto withoutPositions = [](std::string s) {
    size_t at;
    while ((at = s.find('@')) != std::string::npos) {
      size_t end = s.find_first_of(" ()", at);
      s.erase(at, end - at);
    }
    return s;
  };
  TParseResult a = Parse("PascalScript", "begin x := <Date>; end.");
  TParseResult b = Parse("PascalScript", "begin x := Get('Date'); end.");
  ASSERT_TRUE(a.Ok && b.Ok);
  EXPECT_EQ(withoutPositions(a.Tree), withoutPositions(b.Tree));
  // Brackets nest, and '>' inside quotes does not close them; all four elements stand at
  // the closing '>'.
  TParseResult c = Parse("PascalScript", "begin x := <a<b>'>'>; end.");
  EXPECT_EQ(c.Tree, "compoundstmt@1:1(assignstmt@1:7(dsgn@1:7(node[x]@1:8) expr@1:12("
                    "dsgn@1:20(node[Get]@1:20 expr@1:20(string['a<b>'>'']@1:20)))))");
}

TEST(fsILParser, LanguageDirective)
{
  TfsILParser parser(nullptr);
  parser.SelectLanguage("PascalScript");
  ASSERT_TRUE(parser.SourceToSyntaxXml("#language JScript\r\nx = 1;"));
  EXPECT_EQ(parser.LanguageName(), "JScript");
  EXPECT_EQ(DumpProgram(parser),
            "compoundstmt@2:1(assignstmt@2:1(dsgn@2:1(node[x]@2:2) expr@2:5(number[1]@2:6)))");

  // Only as the very first characters.
  TfsILParser other(nullptr);
  other.SelectLanguage("PascalScript");
  EXPECT_FALSE(other.SourceToSyntaxXml("  #language JScript\r\nx = 1;"));
  EXPECT_EQ(other.LanguageName(), "PascalScript");

  TfsILParser unknown(nullptr);
  unknown.SelectLanguage("PascalScript");
  EXPECT_THROW(unknown.SourceToSyntaxXml("#language Lua\r\n"), Exception);
}

TEST(fsILParser, DeclarationFlagFollowsTheLanguage)
{
  TfsILParser parser(nullptr);
  parser.SelectLanguage("JScript");
  EXPECT_FALSE(parser.NeedDeclareVars());
  parser.SelectLanguage("PascalScript");
  EXPECT_TRUE(parser.NeedDeclareVars());
}

namespace {

std::string Lower(std::string s)
{
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Units served by OnGetUnit from a table (names in any case); records the requests.
struct TUnitTable {
  std::vector<std::pair<AnsiString, AnsiString>> Units;
  std::vector<AnsiString> Requested;

  void Install(TfsILParser& parser)
  {
    parser.OnGetUnit = [this](TfsScript*, const AnsiString& name, AnsiString& text) {
      Requested.push_back(name);
      for (const auto& u : Units)
        if (Lower(u.first) == Lower(name))
          text = u.second;
    };
  }
};

} // namespace

TEST(fsILParser, UnitsThroughOnGetUnit)
{
  TUnitTable table;
  table.Units = {{"a.pas", "uses 'b.pas';\nprocedure A; begin end;\nbegin end."},
                 {"b.pas", "procedure B; begin end;\nbegin end."}};
  TfsILParser parser(nullptr);
  table.Install(parser);
  parser.SelectLanguage("PascalScript");
  ASSERT_TRUE(parser.SourceToSyntaxXml("uses 'b.pas', 'a.pas', 'B.PAS';\r\nbegin end."))
      << parser.ErrorMsg();
  // The last name of the clause first; a name used again, also by an included unit, once.
  EXPECT_EQ(table.Requested, (std::vector<AnsiString>{"B.PAS", "a.pas"}));
  TfsXMLItem* root = parser.SyntaxXml()->Root();
  ASSERT_EQ(root->Count(), 4); // uses, uses, compoundstmt, types
  EXPECT_EQ(root->Items(0)->Name(), "uses");
  EXPECT_EQ(root->Items(0)->Prop("unit"), "B.PAS");
  EXPECT_EQ(root->Items(1)->Prop("unit"), "a.pas");
  TfsXMLItem* unitProgram = root->Items(0)->Items(0);
  EXPECT_EQ(unitProgram->Name(), "program");
  EXPECT_EQ(Dump(unitProgram->Items(0)), "procedure@1:1(name[B]@1:12 compoundstmt@1:14)");
  EXPECT_EQ(unitProgram->Items(unitProgram->Count() - 1)->Name(), "types");
  EXPECT_EQ(root->Items(1)->Items(0)->Count(), 3); // a.pas: procedure, block, types
  ASSERT_EQ(parser.UsesList()->Count(), 2);
  EXPECT_EQ(parser.UsesList()->Strings(0), "B.PAS");
  EXPECT_EQ(parser.UsesList()->Strings(1), "a.pas");
}

TEST(fsILParser, ErrorInsideAUnit)
{
  const char* good = "procedure G; begin end;\r\nbegin end.";
  const char* bad = "procedure B;\r\nbegin\r\n  x := ;\r\nend;\r\nbegin end.";
  struct {
    const char* Name;
    const char* Main;
    const char* A;
    const char* B;
    const char* Unit;
  } cases[] = {
      // Units are included from the last name of the clause to the first: a.pas is second.
      {"second of two units", "uses 'a.pas', 'b.pas';\r\nbegin end.", bad, good, "a.pas"},
      // The position lies in b.pas, which a.pas uses: that is the unit reported.
      {"unit used by a unit", "uses 'a.pas';\r\nbegin end.", "uses 'b.pas';\r\nbegin end.", bad,
       "b.pas"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TUnitTable table;
    table.Units = {{"a.pas", c.A}, {"b.pas", c.B}};
    TfsILParser parser(nullptr);
    table.Install(parser);
    parser.SelectLanguage("PascalScript");
    EXPECT_FALSE(parser.SourceToSyntaxXml(c.Main));
    EXPECT_EQ(parser.ErrorMsg(), "Expression expected");
    EXPECT_EQ(parser.ErrorPos(), "3:8");
    EXPECT_EQ(parser.ErrorUnit(), c.Unit);
    EXPECT_EQ(parser.ErrorNear(), ";");
  }
}

TEST(fsILParser, MissingUnitFileRaises)
{
  TfsILParser parser(nullptr);
  parser.SelectLanguage("PascalScript");
  EXPECT_THROW(parser.SourceToSyntaxXml("uses '/nonexistent/unit.pas'; begin end."), EFOpenError);
}

TEST(fsILParser, BrokenGrammarRaisesOnUse)
{
  RegisterScriptLanguage("TestBroken", "<?xml version=\"1.0\"?><language><parser/><types/>"
                                       "<program><keyword text=\"go\"/><missing/></program>"
                                       "</language>");
  TfsILParser parser(nullptr);
  parser.SelectLanguage("TestBroken");
  try {
    parser.SourceToSyntaxXml("go");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid language definition");
  }
  // Up to the broken reference the grammar works.
  EXPECT_FALSE(parser.SourceToSyntaxXml("stop"));
}

TEST(fsILParser, Limits)
{
  auto nested = [](int depth) {
    return "begin x := " + std::string(depth, '(') + "1" + std::string(depth, ')') + " end.";
  };
  EXPECT_TRUE(Parse("PascalScript", nested(50)).Ok);
  TParseResult deep = Parse("PascalScript", nested(1000));
  EXPECT_FALSE(deep.Ok);
  EXPECT_EQ(deep.Message, "Nesting too deep");
  EXPECT_EQ(deep.Position.substr(0, 2), "1:");

  TParseResult longName =
      Parse("PascalScript", "begin\r\n  " + std::string(2000, 'n') + " := 1 end.");
  EXPECT_FALSE(longName.Ok);
  EXPECT_EQ(longName.Message, "Token too long");
  EXPECT_EQ(longName.Position, "2:3");
}

TEST(fsILParser, DoubleByteTextInLiteralsAndComments)
{
  TParseResult r = Parse("PascalScript", "begin s := '\xD6\xD0\x81\x7D'; { \x81\x7D } end.");
  EXPECT_TRUE(r.Ok) << r.Message << " " << r.Position;
  EXPECT_NE(r.Tree.find("string['\xD6\xD0\x81\x7D']"), std::string::npos);
}
