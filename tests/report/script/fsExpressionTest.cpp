// Expressions: the Variant operator rules as scripts see them, the integer fast path,
// precedence and grouping, short-circuit evaluation, sets and type checks.
#include <cmath>

#include "platform/rtl/Exceptions.h"
#include "report/script/fsScript.h"
#include "tests/report/script/ScriptTestHelpers.h"

namespace {

// Calls F(a, b) of a script whose F returns "a <op> b" over two Variant parameters.
class TBinaryOp {
public:
  explicit TBinaryOp(const std::string& op)
  {
    const bool ok = Script.Compile("function F(a, b: Variant): Variant; begin Result := a " + op +
                                   " b end; begin end.");
    EXPECT_TRUE(ok) << Script.Error;
  }
  Variant Call(const Variant& a, const Variant& b)
  {
    return Script.Script->CallScriptFunction("F", VarArrayOf({a, b}));
  }
  TTestScript Script;
};

std::string Describe(const Variant& v)
{
  return VarToStr(v) + ":" + VarTypeAsText(VarType(v));
}

} // namespace

TEST(fsExpression, VariantOperatorTable)
{
  struct {
    const char* Name;
    const char* Op;
    Variant Left;
    Variant Right;
    const char* Result;
  } cases[] = {
      {"Null = Null", "=", Null(), Null(), "True:Boolean"},
      {"Null = 0", "=", Null(), Variant(0), "False:Boolean"},
      {"Null < 0", "<", Null(), Variant(0), "True:Boolean"},
      {"Null + 1", "+", Null(), Variant(1), ":Null"},
      {"'1' + 2", "+", Variant("1"), Variant(2), "3:Double"},
      {"'a' + 'b'", "+", Variant("a"), Variant("b"), "ab:String"},
      {"overflow to float", "+", Variant(2147483647), Variant(1), "2147483648:Double"},
      {"7 / 2", "/", Variant(7), Variant(2), "3.5:Double"},
      {"-7 div 2", "div", Variant(-7), Variant(2), "-3:Integer"},
      {"-7 mod 2", "mod", Variant(-7), Variant(2), "-1:Integer"},
      {"shl", "shl", Variant(1), Variant(33), "2:Integer"},
      {"text comparison is case-sensitive", "<", Variant("B"), Variant("a"), "True:Boolean"},
      {"text against number compares numerically", ">", Variant("10"), Variant(9), "True:Boolean"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TBinaryOp op(c.Op);
    EXPECT_EQ(Describe(op.Call(c.Left, c.Right)), c.Result);
  }
}

TEST(fsExpression, VariantOperatorErrors)
{
  struct {
    const char* Op;
    Variant Left;
    Variant Right;
    const char* Message;
  } cases[] = {
      {"/", Variant(), Variant(), "Floating point division by zero"},
      {"div", Variant(), Variant(), "Division by zero"},
      {"/", Variant(1), Variant(0), "Floating point division by zero"},
      {"mod", Variant(1), Variant(0), "Division by zero"},
      {"+", Variant("a"), Variant(1),
       "Could not convert variant of type (String) into type (Double)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Op);
    TBinaryOp op(c.Op);
    try {
      op.Call(c.Left, c.Right);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
}

// Integer-typed operands take the 32-bit path, which wraps instead of widening, and still
// traps division by zero.
TEST(fsExpression, IntegerFastPath)
{
  TTestScript t;
  EXPECT_EQ(t.Run("var a, b: Integer; begin a := 2147483647; b := 1; Log(a + b); "
                  "a := -2147483647 - 1; Log(a - b); a := 65536; Log(a * a); Log(-7 div 2); "
                  "Log(-7 mod 2) end."),
            "-2147483648,2147483647,0,-3,-1");
  EXPECT_EQ(t.Run("var a, b: Integer; begin a := 1; b := 0; Log(a div b) end."),
            "run: Division by zero");
  EXPECT_EQ(t.Run("var a, b: Integer; begin a := 1; b := 0; Log(a mod b) end."),
            "run: Division by zero");
  EXPECT_EQ(t.Run("var a, b: Integer; begin a := 1; b := 0; Log(a / b) end."),
            "run: Floating point division by zero");
  EXPECT_EQ(t.Run("var a, b: Integer; begin a := -2147483647 - 1; b := -1; Log(a div b) end."),
            "run: Integer overflow");
}

TEST(fsExpression, PrecedenceAndGrouping)
{
  struct {
    const char* Text;
    const char* Result;
  } cases[] = {
      {"1 + 2 * 3", "7"},
      {"(1 + 2) * 3", "9"},
      {"10 - 4 - 3", "3"},
      {"-2 * 3", "-6"},
      {"2 * (3 + 4) - 1", "13"},
      {"not True and False", "False"},
      {"not (True and False)", "True"},
      {"1 < 2", "True"},
      {"2 + 3 = 5", "True"},
      {"100 div 7 mod 4", "2"},
      {"((((1))))", "1"},
      {"-(2 + 3)", "-5"},
      {"1 shl 2 + 1", "5"},
      {"'a' + 'b' + 'c'", "abc"},
      {"7 / 2", "3.5"},
  };
  TfsScript script;
  script.SetParent(GlobalScriptUnit());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(VarToStr(script.EvaluateExpressionText(c.Text)), c.Result);
  }
}

// With Boolean operands "or" and "and" skip the right side when the left decides; with a
// Variant operand both sides run.
TEST(fsExpression, ShortCircuitEvaluation)
{
  TTestScript t;
  EXPECT_EQ(t.Run("var calls: Integer; b: Boolean; v: Variant;\r\n"
                  "function F: Boolean; begin calls := calls + 1; Result := True end;\r\n"
                  "begin\r\n"
                  "  b := True; if b or F then Log(calls);\r\n"
                  "  b := False; if b and F then Log('no'); Log(calls);\r\n"
                  "  b := False; if b or F then Log(calls);\r\n"
                  "  v := True; if v or F then Log(calls);\r\n"
                  "end."),
            "0,0,1,2");
}

TEST(fsExpression, SetMembershipEvaluatesUpperBoundOnlyWhenNeeded)
{
  TTestScript t;
  EXPECT_EQ(t.Run("var calls: Integer;\r\n"
                  "function Five: Integer; begin calls := calls + 1; Result := 5 end;\r\n"
                  "begin Log(2 in [1, 3..Five]); Log(calls); Log(4 in [1, 3..Five]); Log(calls);"
                  " Log(6 in [1, 3..Five]) end."),
            "False,0,True,1,False");
}

// strcat (BasicScript &) concatenates when the left side holds text and adds otherwise.
TEST(fsExpression, StrCat)
{
  TTestScript t("BasicScript");
  EXPECT_EQ(t.Run("a = 1\r\nb = \"2\"\r\nLog(a & b)\r\nLog(b & a)\r\n"), "3,21");
}

TEST(fsExpression, TypeChecks)
{
  struct {
    const char* Text;
    const char* Error;
  } cases[] = {
      {"begin Log('a' + 1) end.", "compile: Incompatible types at 1:16"},
      {"var i: Integer; begin i := 1.5 end.",
       "compile: Incompatible types: 'Integer', 'Extended' at 1:28"},
      {"var b: Boolean; begin b := b + 1 end.", "compile: Incompatible types at 1:31"},
      {"var s: String; i: Integer; begin s := i end.",
       "compile: Incompatible types: 'String', 'Integer' at 1:39"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TTestScript t;
    EXPECT_EQ(t.Run(c.Text), c.Error);
  }
}

// A long flat chain and deep brackets are bounded: the compile fails with a message instead
// of exhausting the stack.
TEST(fsExpression, DeepExpressionsFailCleanly)
{
  TfsScript script;
  script.SetParent(GlobalScriptUnit());
  std::string chain = "1";
  for (int i = 0; i < 5000; ++i)
    chain += "+1";
  EXPECT_EQ(VarToStr(script.EvaluateExpressionText(chain)), "Stack overflow");
  std::string chain1000 = "1";
  for (int i = 0; i < 999; ++i)
    chain1000 += "+1";
  EXPECT_EQ(VarToStr(script.EvaluateExpressionText(chain1000)), "1000");
  const std::string brackets = std::string(20000, '(') + "1" + std::string(20000, ')');
  EXPECT_EQ(VarToStr(script.EvaluateExpressionText(brackets)), "Nesting too deep");
}
