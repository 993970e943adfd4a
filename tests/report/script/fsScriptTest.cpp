// Whole programs through the compiler and the interpreter: the same program in the four
// languages, statements, routines, recursion, control flow and the faults that once broke
// them.
#include "report/script/fsScript.h"

#include "report/script/fsXMLDocument.h"
#include "tests/report/script/ScriptTestHelpers.h"

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
      {"PascalScript", "var i, s: Integer; t: String;\r\n"
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
      {"C++Script", "int i, s; String t;\r\n"
                    "int Fact(int n) { if (n <= 1) return 1; else return n * Fact(n - 1); }\r\n"
                    "String Wrap(String s) { return \"[\" + s + \"]\"; }\r\n"
                    "{\r\n"
                    "  s = 0;\r\n"
                    "  for (i = 1; i <= 10; i++) s = s + i;\r\n"
                    "  t = \"cd\";\r\n"
                    "  Insert(\"x\", t, 2);\r\n"
                    "  Log(IntToStr(s) + \",\" + IntToStr(Fact(5)) + \",\" + Wrap(t));\r\n"
                    "}"},
      {"BasicScript", "Function Fact(n)\r\n"
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
      {"JScript", "function Fact(n) { if (n <= 1) return 1; else return n * Fact(n - 1); }\r\n"
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

namespace {

struct TRunCase {
  const char* Name;
  const char* Text;
  const char* Log;
};

void CheckRuns(const char* language, const TRunCase* cases, size_t count)
{
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(cases[i].Name);
    TTestScript t(language);
    EXPECT_EQ(t.Run(cases[i].Text), cases[i].Log);
  }
}

} // namespace

TEST(fsScript, PascalStatements)
{
  const TRunCase cases[] = {
      {"if else", "begin if 1 > 2 then Log('a') else Log('b'); if True then Log('c') end.", "b,c"},
      {"case with ranges and else",
       "var i: Integer; begin for i := 1 to 7 do case i of 1, 2: Log('a'); 4..5: Log('b'); "
       "else Log('-') end end.",
       "a,a,-,b,b,-,-"},
      {"empty case branch does nothing",
       "begin case 2 of 1: Log('one'); 2: ; else Log('else') end; Log('end') end.", "end"},
      {"while", "var i: Integer; begin i := 0; while i < 3 do i := i + 1; Log(i) end.", "3"},
      {"repeat runs once",
       "var i: Integer; begin i := 0; repeat i := i + 1 until True; Log(i) end.", "1"},
      {"for up and down",
       "var i: Integer; begin for i := 1 to 3 do Log(i); for i := 3 downto 1 do Log(i); Log(i) "
       "end.",
       "1,2,3,3,2,1,1"},
      {"for without rounds leaves the variable",
       "var i: Integer; begin i := 7; for i := 1 to 0 do Log('x'); Log(i) end.", "7"},
      {"for rounds fixed before the first",
       "var i, n: Integer; begin n := 0; for i := 1 to 3 do begin i := 10; n := n + 1 end; Log(n) "
       "end.",
       "3"},
      {"break and continue",
       "var i: Integer; begin for i := 1 to 10 do begin if i = 2 then continue; if i = 4 then "
       "break; "
       "Log(i) end; Log('after') end.",
       "1,3,after"},
      {"break inside case leaves the loop",
       "var i: Integer; begin for i := 1 to 5 do case i of 3: break; else Log(i) end; Log('x') "
       "end.",
       "1,2,x"},
      {"exit leaves the routine",
       "procedure P; begin Log('a'); exit; Log('b') end; begin P; Log('c') end.", "a,c"},
      {"try except continues after the statement",
       "begin try Log('a'); RaiseException('boom'); Log('b') except Log('handled') end; Log('c') "
       "end.",
       "a,handled,c"},
      {"platform errors are caught too",
       "var i: Integer; begin i := 0; try i := 1 div i except Log('div') end end.", "div"},
      {"finally runs and the error goes on",
       "begin try RaiseException('boom') finally Log('f') end; Log('not reached') end.",
       "f|run: boom"},
      {"exit inside finally's protected part runs the whole handler",
       "procedure P; begin try exit finally Log('f1'); Log('f2') end; Log('x') end; "
       "begin P; Log('after') end.",
       "f1,f2,after"},
      {"break inside the protected part runs the whole handler",
       "var i: Integer; begin for i := 1 to 3 do try break finally Log('f1'); Log('f2') end; "
       "Log(i) end.",
       "f1,f2,1"},
      {"continue inside the protected part runs the whole handler",
       "var i: Integer; begin for i := 1 to 2 do try continue finally Log('f'); Log(i) end end.",
       "f,1,f,2"},
      {"a jump inside the finally handler stays in force",
       "var i: Integer; begin for i := 1 to 3 do try Log(i) finally break end; Log('x') end.",
       "1,x"},
      {"compound assignments",
       "var i: Integer; e: Extended; begin i := 5; i := i + 2; i := 3 * i; i := i - 1; e := 10; "
       "e := e / 4; Log(i); Log(e) end.",
       "20,2.5"},
      {"locals keep their values between calls",
       "procedure P; var n: Integer; begin n := n + 1; Log(n) end; begin P; P end.", "1,2"},
      {"initialised local assigned at each call",
       "procedure P; var x: Integer = 5; begin Log(x); x := 9 end; begin P; P end.", "5,5"},
      {"var parameter",
       "var x: Integer; procedure Inc2(var a: Integer); begin a := a + 2 end; "
       "begin x := 1; Inc2(x); Log(x); Inc2(x + 1); Log(x) end.",
       "3,3"},
      {"call before the routine's text",
       "procedure A; begin B end; procedure B; begin Log('b') end; begin A end.", "b"},
      {"arrays",
       "var a: array[1..3] of Integer; m: array[0..1, 0..1] of Integer; i: Integer; "
       "begin for i := 1 to 3 do a[i] := i * i; m[1, 0] := 7; Log(a[2] + a[3]); Log(m[1, 0]); "
       "Log(Length(a)) end.",
       "13,7,3"},
      {"default parameter values",
       "procedure P(a: Integer; b: String = 'd'); begin Log(b + IntToStr(a)) end; "
       "begin P(1); P(2, 'x') end.",
       "d1,x2"},
      {"array index out of bounds", "var a: array[1..3] of Integer; begin a[4] := 1 end.",
       "run: Variant or safe array index out of bounds"},
      {"arrays of more than three dimensions read as Null",
       "var a: array[0..1, 0..1, 0..1, 0..1] of Integer; begin Log(VarType(a[1, 1, 1, 1])) end.",
       "1"},
      {"string characters", "var s: String; begin s := 'abc'; s[1] := 'X'; Log(s); Log(s[2]) end.",
       "Xbc,b"},
      {"in with a set",
       "var x: Integer; begin for x := 1 to 6 do if x in [1, 3..5] then Log(x) end.", "1,3,4,5"},
      {"strcat-free text and numbers", "begin Log('a' + 'b'); Log(7 / 2); Log(7 div 2) end.",
       "ab,3.5,3"},
      {"uses of constants", "const N = 3; S = 'x'; begin Log(N * 2); Log(S + S) end.", "6,xx"},
      {"x := x op e reads x before e runs",
       "var s: String; i: Integer; v: Variant;\r\n"
       "function F: String; begin s := 'z'; Result := 'y' end;\r\n"
       "function G: Integer; begin i := 100; v := 'q'; Result := 1 end;\r\n"
       "begin s := 'a'; s := s + F; Log(s); i := 5; i := i + G; Log(i);\r\n"
       "v := 'p'; v := v + IntToStr(G); Log(v) end.",
       "ay,6,p1"},
      {"appending leaves a copy alone",
       "var s, t: String; v, w: Variant; begin s := 'ab'; t := s; s := s + 'c'; v := 'x'; "
       "w := v; v := v + 'y'; Log(s); Log(t); Log(v); Log(w) end.",
       "abc,ab,xy,x"},
      {"compound arithmetic keeps the Variant rules",
       "var i: Integer; e: Extended; begin i := 2147483647; i := i + 1; Log(i); Log(VarType(i)); "
       "e := 1e308; try e := e * 10 except Log('overflow') end; i := 7; i := i / 2; Log(i) end.",
       "2147483648,20,overflow,3.5"},
      {"variables are not coerced on assignment",
       "var i: Integer; v: Variant; begin v := 'abc'; i := v; Log(i) end.", "abc"},
  };
  CheckRuns("PascalScript", cases, std::size(cases));
}

// The same statements through the other grammars' forms.
TEST(fsScript, OtherLanguagesStatements)
{
  const TRunCase cpp[] = {
      {"do-while runs once", "{ int i = 0; do i++; while (i > 5); Log(i); }", "1"},
      {"continue still runs the increment",
       "{ int i; for (i = 0; i < 4; i++) { if (i == 1) continue; Log(i); } }", "0,2,3"},
      {"C-style array", "int a[3]; { a[2] = 5; Log(a[2]); Log(Length(a)); }", "5,3"},
      {"switch", "{ switch (2) { case 1: Log(1); case 2: Log(2); default: Log(0); } }", "2"},
      {"try", "{ try { RaiseException(\"x\"); } except { Log(\"c\"); } }", "c"},
  };
  CheckRuns("C++Script", cpp, std::size(cpp));
  const TRunCase basic[] = {
      {"for with negative step", "For i = 3 To 1 Step -1\r\n  Log(i)\r\nNext\r\n", "3,2,1"},
      {"do loop while runs once", "i = 0\r\nDo\r\n  i = i + 1\r\nLoop While i > 5\r\nLog(i)\r\n",
       "1"},
      {"select case",
       "Select Case 2\r\nCase 1:\r\nLog(1)\r\nCase 2, 3:\r\nLog(23)\r\nCase Else:\r\nLog(0)\r\n"
       "End Select\r\n",
       "23"},
      {"sub and function without As",
       "Sub P(a)\r\n  Log(a)\r\nEnd Sub\r\nFunction F(x)\r\n  Return x & \"!\"\r\nEnd Function\r\n"
       "P(F(\"hi\"))\r\n",
       "hi!"},
  };
  CheckRuns("BasicScript", basic, std::size(basic));
  const TRunCase js[] = {
      {"function returning text and float",
       "function T() { return \"t\"; } function F() { return 1.5; } Log(T()); Log(F());", "t,1.5"},
      {"while and break", "var i = 0; while (true) { i++; if (i == 3) break; } Log(i);", "3"},
  };
  CheckRuns("JScript", js, std::size(js));
}

// Faults that once crashed or misbehaved, each with the sound behaviour.
TEST(fsScript, RuntimeFaults)
{
  const TRunCase cases[] = {
      {"deep recursion ends in a script error",
       "function F(n: Integer): Integer; begin Result := F(n + 1) end; begin F(0) end.",
       "run: Stack overflow"},
      {"recursion runs as deep as the stack allows",
       "function F(n: Integer): Integer; begin if n = 0 then Result := 0 else "
       "Result := F(n - 1) + 1 end; begin Log(F(1500)) end.",
       "1500"},
      {"a var argument passed on by a recursive call keeps the inner change",
       "var n: Integer;\r\n"
       "procedure P(var c: Integer); begin c := c + 1; if c < 3 then P(c) end;\r\n"
       "begin n := 0; P(n); Log(n) end.",
       "3"},
      {"a local passed as var argument to a recursive call",
       "function G(d: Integer): Integer; var k: Integer;\r\n"
       "procedure Bump(var x: Integer); begin x := x + 10 end;\r\n"
       "begin k := d; if d > 0 then begin G(d - 1); Bump(k) end; Result := k end;\r\n"
       "begin Log(G(2)) end.",
       "12"},
      {"the stack overflow can be caught",
       "function F(n: Integer): Integer; begin Result := F(n + 1) end; "
       "begin try F(0) except Log('caught') end; Log('on') end.",
       "caught,on"},
      {"a recursive call's locals are restored when it fails",
       "function F(n: Integer): Integer; var k: Integer;\r\n"
       "begin k := n * 10; if n = 3 then RaiseException('deep');\r\n"
       "  try F(n + 1) except end; Result := k end;\r\n"
       "begin Log(F(1)) end.",
       "10"},
      {"string index below the text", "var s: String; begin s := 'abc'; Log(s[0]) end.",
       "run: Range check error"},
      {"string index beyond the text", "var s: String; begin s := 'abc'; s[4] := 'x' end.",
       "run: Range check error"},
      {"empty text into a character", "var s: String; begin s := 'abc'; s[1] := '' end.",
       "run: Range check error"},
      {"index through a Variant holding text",
       "var v: Variant; begin v := 'abc'; Log(v[2]); Log(v[9]) end.", "b|run: Range check error"},
      {"Format of integer literals and long texts",
       "var s: String; i: Integer; begin for i := 1 to 300 do s := s + 'x';\r\n"
       "Log(Format('%d|%s|%d', [5, 'ab', 5000000000])); Log(Length(Format('%s', [s]))) end.",
       "5|ab|5000000000,300"},
      {"DaysInMonth in and out of range",
       "begin Log(DaysInMonth(2000, 2)); Log(DaysInMonth(1900, 2)); Log(DaysInMonth(2000, 13)) "
       "end.",
       "29,28|run: Range check error"},
      {"Round and Trunc beyond 32 bits",
       "begin Log(Round(2.5)); Log(Round(3.5)); Log(Round(-2.5)); Log(Trunc(-2.7)); "
       "Log(Round(5000000000.4)); Log(Trunc(-6000000000.9)) end.",
       "2,4,-2,-2,5000000000,-6000000000"},
  };
  CheckRuns("PascalScript", cases, std::size(cases));
}

// A break or continue outside any loop must not leave a flag that cuts later runs and
// calls short.
TEST(fsScript, StrayJumpFlagsAreCleared)
{
  TTestScript t;
  ASSERT_TRUE(t.Compile("procedure P; begin break; Log('p-after') end;\r\n"
                        "procedure Q; begin Log('q1'); Log('q2') end;\r\n"
                        "begin Log('a'); continue; Log('b') end."));
  EXPECT_EQ(t.RunAgain(), "a");
  EXPECT_EQ(t.RunAgain(), "a");
  t.Output.clear();
  t.Script->CallScriptFunction("P", Variant());
  t.Script->CallScriptFunction("Q", Variant());
  t.Script->CallScriptFunction("Q", Variant());
  EXPECT_EQ(t.Output, "q1,q2,q1,q2");
}

TEST(fsScript, CompileErrorsWithPositions)
{
  struct {
    const char* Language;
    const char* Text;
    const char* Error;
  } cases[] = {
      {"PascalScript", "begin x := 1 end.", "Undeclared identifier: 'x' at 1:8"},
      {"PascalScript", "var a: Integer;\r\nvar a: String;\r\nbegin end.",
       "Identifier redeclared: 'a' at 2:6"},
      {"PascalScript", "const N = 3;\r\nbegin\r\n  N := 4\r\nend.",
       "Left side cannot be assigned to at 3:3"},
      {"PascalScript", "var s: String; begin for s := 1 to 3 do end.",
       "For loop variable must be numeric variable at 1:27"},
      {"PascalScript", "begin Log(Copy('a')) end.", "Not enough actual parameters at 1:15"},
      {"PascalScript", "var i: Integer; begin i(1) end.", "Too many actual parameters at 1:24"},
      {"PascalScript", "var s: String; begin s.Length end.",
       "Strings doesn't have properties or methods at 1:30"},
      {"PascalScript", "var i: Integer; begin i[1] := 2 end.", "Array type required at 1:25"},
      {"PascalScript", "var x: TNoSuchType; begin end.", "Unknown type: 'TNoSuchType' at 1:19"},
      {"PascalScript", "begin @Log.x end.", "Variable required at 1:8"},
      {"BasicScript", "x = 1\r\ny = x +\r\n", "End of line expected at 2:7"},
      // The grammar lets an operator end an argument; such a tree is refused, never run.
      {"BasicScript", "Log(1 & 2 & ,)\r\n", "Expression expected at 1:12"},
      {"JScript", "function f() { return \"a\"; }\r\nLog(f(), 2);",
       "Too many actual parameters at 2:4"},
      // What the compiler computes itself (constants, bounds) fails where it is written.
      {"PascalScript", "const N = 1 div 0;\r\nbegin end.", "Division by zero at 1:11"},
      {"PascalScript", "var a: array[1..'x'] of Integer;\r\nbegin end.",
       "Could not convert variant of type (String) into type (Integer) at 1:17"},
      {"PascalScript", "var a: array[0..99999999] of Integer;\r\nbegin end.",
       "Error creating variant or safe array at 1:14"},
      {"PascalScript", "const N = 1e999;\r\nbegin end.",
       "'1e999' is not a valid floating point value at 1:16"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TTestScript t(c.Language);
    EXPECT_FALSE(t.Compile(c.Text));
    EXPECT_EQ(t.Error, c.Error);
  }
  // Languages without declarations create Variant variables for new names.
  TTestScript basic("BasicScript");
  EXPECT_EQ(basic.Run("x = 1\r\nLog(x)\r\n"), "1");
  // A variable of array type without bounds indexes the array it holds; a member of it is
  // refused.
  TTestScript pascal;
  pascal.Host->RegisterScriptVariable("A", "Array", VarArrayCreate({0, 2}, varVariant));
  EXPECT_EQ(pascal.Run("begin A[1] := 5; Log(A[1]) end."), "5");
  EXPECT_EQ(pascal.Run("begin A.x := 5 end."), "compile: Index required at 1:10");
}

// Only compile errors become the script's error at a script position: a fault of the host
// (or of the engine) leaves the compile as the exception it is.
TEST(fsScript, InternalFaultsAreNotScriptErrors)
{
  TTestScript t;
  t.Host->RegisterScriptMethod("function HostFault(Kind: Integer): Integer", "ctOther", "",
                               [](TObject*, TClass, const AnsiString&, Variant& params) -> Variant {
                                 if (VarArrayGet(params, {0}).AsInteger() == 1)
                                   throw EConvertError("bad host value");
                                 throw std::logic_error("engine fault");
                               });
  EXPECT_FALSE(t.Compile("const N = HostFault(1);\r\nbegin end."));
  EXPECT_EQ(t.Error, "bad host value at 1:11");
  EXPECT_THROW(t.Compile("const N = HostFault(2);\r\nbegin end."), std::logic_error);
}

TEST(fsScript, EvaluateExpressionText)
{
  TTestScript t;
  ASSERT_TRUE(t.Compile("var g: Integer;\r\n"
                        "procedure P(n: Integer);\r\n"
                        "var k: Integer;\r\n"
                        "begin\r\n"
                        "  k := n * 2;\r\n"
                        "  Log(k)\r\n"
                        "end;\r\n"
                        "begin g := 7; P(5) end."));
  TfsScript* script = t.Script.get();
  EXPECT_EQ(VarToStr(script->EvaluateExpressionText("1 + 2 * 3")), "7");
  // An incomplete text gives the compiler's message as the value.
  EXPECT_EQ(VarToStr(script->EvaluateExpressionText("1 +")), "';' expected");

  // From the line hook, the running routine's locals are visible; the hook is suspended
  // while evaluating.
  std::string seen;
  Integer hooks = 0;
  script->OnRunLine = [&](TfsScript*, const AnsiString&, const AnsiString& pos) {
    ++hooks;
    if (pos.substr(0, 2) == "6:")
      seen = VarToStr(script->EvaluateExpressionText("k + n + g"));
  };
  EXPECT_EQ(t.RunAgain(), "10");
  EXPECT_EQ(seen, "22");
  EXPECT_EQ(hooks, 4);
  EXPECT_TRUE(script->OnRunLine.Assigned());
}

TEST(fsScript, CallScriptFunction)
{
  TTestScript t;
  ASSERT_TRUE(t.Compile("function Add(a, b: Integer): Integer; begin Result := a + b end;\r\n"
                        "procedure Twice(var x: Integer); begin x := x * 2 end;\r\n"
                        "begin end."));
  TfsScript* script = t.Script.get();
  EXPECT_EQ(VarToStr(script->CallScriptFunction("add", VarArrayOf({Variant(2), Variant(3)}))), "5");
  Variant args = VarArrayOf({Variant(21)});
  EXPECT_TRUE(VarIsNull(script->CallScriptFunctionVar("Twice", args)));
  EXPECT_EQ(VarToStr(VarArrayGet(args, {0})), "42");
  // Only the script's own routines are called; a name of the parent chain gives Null.
  EXPECT_TRUE(VarIsNull(script->CallScriptFunction("Log", VarArrayOf({Variant(1)}))));
  try {
    script->CallScriptFunction("Twice", VarArrayOf({Variant(1), Variant(2)}));
    ADD_FAILURE() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (1)");
  }
}

// StopScript from the line hook stops the routine and every caller up to the main program.
TEST(fsScript, StopFromTheLineHook)
{
  TTestScript t;
  ASSERT_TRUE(t.Compile("procedure Inner; begin Log('i1'); Log('i2') end;\r\n"
                        "procedure Outer; begin Inner; Log('o') end;\r\n"
                        "begin Outer; Log('main') end."));
  TfsScript* script = t.Script.get();
  script->OnRunLine = [&](TfsScript*, const AnsiString&, const AnsiString&) {
    if (t.Output == "i1")
      script->StopScript();
  };
  EXPECT_EQ(t.RunAgain(), "i1");
  script->OnRunLine = nullptr;
  EXPECT_EQ(t.RunAgain(), "i1,i2,o,main");
}

TEST(fsScript, ExecutableLinesAndUnits)
{
  TTestScript t;
  t.Script->OnGetUnit = [](TfsScript*, const AnsiString& name, AnsiString& text) {
    if (name == "a.pas")
      text =
          "var fromA: Integer;\r\nprocedure HelloA; begin Log('A') end;\r\nbegin fromA := 1 end.";
  };
  ASSERT_TRUE(t.Compile("uses 'a.pas';\r\nbegin\r\n  HelloA;\r\n\r\n  Log(fromA)\r\nend."));
  EXPECT_EQ(t.RunAgain(), "A,1");
  EXPECT_TRUE(t.Script->IsExecutableLine(3));
  EXPECT_FALSE(t.Script->IsExecutableLine(4));
  EXPECT_TRUE(t.Script->IsExecutableLine(5));
  EXPECT_TRUE(t.Script->IsExecutableLine(3, "a.pas"));

  // A unit can also come already compiled to the intermediate syntax.
  TfsILParser unitParser(nullptr);
  unitParser.SelectLanguage("PascalScript");
  ASSERT_TRUE(unitParser.SourceToSyntaxXml("procedure FromIL; begin Log('il') end; begin end."));
  const AnsiString il = unitParser.SyntaxXml()->SaveToText();
  TTestScript pre;
  pre.Script->OnGetUnit = [](TfsScript*, const AnsiString&, AnsiString& text) { text.clear(); };
  pre.Script->OnGetILUnit = [&](TfsScript*, const AnsiString& name, AnsiString& text) {
    if (name == "c.pas")
      text = il;
  };
  EXPECT_EQ(pre.Run("uses 'c.pas'; begin FromIL end."), "il");

  // An error inside a unit names the unit.
  TTestScript bad;
  bad.Script->OnGetUnit = [](TfsScript*, const AnsiString&, AnsiString& text) {
    text = "begin\r\n  y := 1\r\nend.";
  };
  EXPECT_FALSE(bad.Compile("uses 'b.pas'; begin end."));
  EXPECT_EQ(bad.Error, "Undeclared identifier: 'y' at 2:4");
  EXPECT_EQ(bad.Script->ErrorUnit(), "b.pas");
}

// A macro routine receives its arguments as written; @Name gives a routine's name as text.
TEST(fsScript, MacroArgumentsAndAddresses)
{
  TTestScript t;
  t.Host->RegisterScriptMethod("macrofunction Text(x: Variant): String", "ctOther", "",
                               [](TObject*, TClass, const AnsiString&, Variant& params) -> Variant {
                                 return VarArrayGet(params, {0});
                               });
  EXPECT_EQ(t.Run("var a, b: Integer;\r\nprocedure OnIt; begin end;\r\n"
                  "begin a := 1; b := 2; Log(Text(a + b)); Log(Text( a*(b) )); Log(@OnIt) end."),
            "a + b,a*(b),OnIt");
}

// The same programs in the four languages give the same log.
TEST(fsScript, SameProgramsInEveryLanguage)
{
  struct {
    const char* Name;
    const char* Texts[4]; // PascalScript, C++Script, BasicScript, JScript
    const char* Log;
  } cases[] = {
      {"break and continue",
       {"var i: Integer; begin for i := 1 to 10 do begin if i = 2 then continue; "
        "if i = 4 then break; Log(i) end end.",
        "{ int i; for (i = 1; i <= 10; i++) { if (i == 2) continue; if (i == 4) break; Log(i); } }",
        "For i = 1 To 10\r\n  If i = 2 Then Continue\r\n  If i = 4 Then Break\r\n  "
        "Log(i)\r\nNext\r\n",
        "for (i = 1; i <= 10; i++) { if (i == 2) continue; if (i == 4) break; Log(i); }"},
       "1,3"},
      {"errors caught and finally handlers run",
       {"begin try try RaiseException('e') finally Log('f') end except Log('c') end end.",
        "{ try { try { RaiseException(\"e\"); } finally { Log(\"f\"); } } except { Log(\"c\"); } }",
        "Try\r\n  Try\r\n    RaiseException(\"e\")\r\n  Finally\r\n    Log(\"f\")\r\n  End Try\r\n"
        "Catch\r\n  Log(\"c\")\r\nEnd Try\r\n",
        "try { try { RaiseException(\"e\"); } finally { Log(\"f\"); } } except { Log(\"c\"); }"},
       "f,c"},
      {"an empty handler consumes the error",
       {"begin try RaiseException('e') except end; Log('on') end.",
        "{ try { RaiseException(\"e\"); } except { } Log(\"on\"); }",
        "Try\r\n  RaiseException(\"e\")\r\nCatch\r\nEnd Try\r\nLog(\"on\")\r\n",
        "try { RaiseException(\"e\"); } except { } Log(\"on\");"},
       "on"},
      {"var parameters",
       {"var x: Integer; procedure Twice(var a: Integer); begin a := a * 2 end; "
        "begin x := 4; Twice(x); Log(x) end.",
        "int x; void Twice(int &a) { a = a * 2; } { x = 4; Twice(x); Log(x); }",
        "Sub Twice(ByRef a)\r\n  a = a * 2\r\nEnd Sub\r\nx = 4\r\nTwice(x)\r\nLog(x)\r\n",
        "function Twice(&a) { a = a * 2; } var x = 4; Twice(x); Log(x);"},
       "8"},
      {"recursion keeps the outer call's values",
       {"function Sum(n: Integer): Integer; var k: Integer; begin k := n; if n = 0 then Result := "
        "0 "
        "else Result := Sum(n - 1) + k end; begin Log(Sum(4)) end.",
        "int Sum(int n) { int k; k = n; if (n == 0) return 0; return Sum(n - 1) + k; } "
        "{ Log(Sum(4)); }",
        "Function Sum(n)\r\n  Dim k\r\n  k = n\r\n  If n = 0 Then\r\n    Return 0\r\n  End If\r\n"
        "  Return Sum(n - 1) + k\r\nEnd Function\r\nLog(Sum(4))\r\n",
        "function Sum(n) { var k; k = n; if (n == 0) return 0; return Sum(n - 1) + k; } "
        "Log(Sum(4));"},
       "10"},
  };
  const char* languages[] = {"PascalScript", "C++Script", "BasicScript", "JScript"};
  for (const auto& c : cases)
    for (int l = 0; l < 4; ++l) {
      SCOPED_TRACE(std::string(c.Name) + " / " + languages[l]);
      TTestScript t(languages[l]);
      EXPECT_EQ(t.Run(c.Texts[l]), c.Log);
    }
}
