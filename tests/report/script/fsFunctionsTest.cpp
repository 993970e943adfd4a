// The built-in function library through scripts, its catalogue entries, and the tool
// helpers it is registered with (signatures, literals, type compatibility).
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TypInfo.h"
#include "report/script/fsTools.h"
#include "report/script/fsXMLDocument.h"
#include "tests/report/script/ScriptTestHelpers.h"

TEST(fsFunctions, Library)
{
  struct {
    const char* Name;
    const char* Text;
    const char* Log;
  } cases[] = {
      {"strings",
       "var s: String; begin Log(NameCase('hELLO wORLD')); Log(NameCase('a  b')); "
       "Log(Copy('abc', 2, 10)); Log(Pos('z', 'abc')); Log(Pos('c', 'abc')); s := 'abcd'; "
       "Delete(s, 1, 2); Log(s); Log(Uppercase('ab') + Lowercase('CD')); Log(Trim('  x  ')); "
       "Log(CompareText('abc', 'ABC')); Log(Ord('')); Log(Ord('A')); Log(Chr(65)) end.",
       "Hello World,A  B,bc,0,3,cd,ABcd,x,0,0,65,A"},
      {"lengths", "var a: array[1..5] of Integer; begin Log(Length(a)); Log(Length(12345)) end.",
       "5,5"},
      {"inc and dec",
       "var i: Integer; begin i := 1; Inc(i); Inc(i, 5); Dec(i); Dec(i, 2); Log(i) end.", "4"},
      {"set length",
       "var s: Variant; begin s := 'abcdef'; SetLength(s, 3); Log(s); "
       "s := VarArrayCreate([0, 4], varVariant); SetLength(s, 2); Log(Length(s)) end.",
       "abc,2"},
      {"conversions",
       "begin Log(IntToStr(42) + FloatToStr(1.5)); Log(StrToInt('12') + 1); "
       "Log(StrToFloat('2.5') * 2); Log(ValidInt('12a')); Log(ValidInt('12')); "
       "Log(ValidFloat('1.5')); Log(ValidDate('2024-1-31')); Log(VarToStr(Null) + '-') end.",
       "421.5,13,5,False,True,True,True,-"},
      {"dates",
       "var y, m, d: Word; begin DecodeDate(EncodeDate(2024, 2, 29), y, m, d); "
       "Log(IntToStr(y) + '/' + IntToStr(m) + '/' + IntToStr(d)); "
       "Log(DayOfWeek(EncodeDate(2024, 6, 2))); Log(IsLeapYear(1900)); "
       "Log(FormatDateTime('yyyy-mm-dd', EncodeDate(2024, 1, 5))) end.",
       "2024/2/29,1,False,2024-01-05"},
      {"math",
       "begin Log(Int(2.7)); Log(Frac(2.5)); Log(Sqrt(16)); Log(Abs(-3)); Log(Round(Pi * 100)); "
       "Log(FormatFloat('0.00', 1.005)) end.",
       "2,0.5,4,3,314,1.01"},
      {"math errors", "begin Log(Sqrt(-1)) end.", "run: Invalid floating point operation"},
      {"conversion errors", "begin Log(StrToInt('x')) end.",
       "run: 'x' is not a valid integer value"},
      {"variant kinds", "begin Log(VarType('a')); Log(VarType(1.5)); Log(varString) end.",
       "256,5,256"},
      {"raise exception", "begin RaiseException('my error') end.", "run: my error"},
      {"late-bound automation is not available",
       "var v: Variant; begin v := CreateOleObject('Excel.Application') end.",
       "run: Invalid class string"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestScript t;
    EXPECT_EQ(t.Run(c.Text), c.Log);
  }
}

TEST(fsFunctions, Catalogue)
{
  TfsXMLDocument doc;
  ListScriptCatalog(GlobalScriptUnit(), doc.Root(), false);
  TfsXMLItem* functions = doc.Root()->Items(doc.Root()->Find("Functions"));
  ASSERT_GE(functions->Find("ctString"), 0);
  TfsXMLItem* strings = functions->Items(functions->Find("ctString"));
  bool found = false;
  for (Integer i = 0; i < strings->Count(); ++i)
    found = found || strings->Items(i)->Prop("text") ==
                         "function Copy(s: String; from, count: Integer): String";
  EXPECT_TRUE(found);
  TfsXMLItem* constants = doc.Root()->Items(doc.Root()->Find("Constants"));
  found = false;
  for (Integer i = 0; i < constants->Count(); ++i)
    found = found || constants->Items(i)->Prop("text") == "varArray: Integer = 8192";
  EXPECT_TRUE(found);
}

TEST(fsTools, MethodSignatures)
{
  std::unique_ptr<TfsCustomVariable> inc(
      ParseMethodSignature("procedure Inc(var i: Integer; incr: Integer = 1)", GlobalScriptUnit()));
  ASSERT_EQ(inc->Count(), 2);
  EXPECT_EQ(inc->Name(), "Inc");
  EXPECT_TRUE(inc->Params(0)->IsVarParam());
  EXPECT_FALSE(inc->Params(0)->IsOptional());
  EXPECT_TRUE(inc->Params(1)->IsOptional());
  EXPECT_EQ(VarToStr(inc->Params(1)->DefValue()), "1");

  std::unique_ptr<TfsCustomVariable> copy(ParseMethodSignature(
      "function Copy(s: String; from, count: Integer): String", GlobalScriptUnit()));
  EXPECT_EQ(copy->Count(), 3);
  EXPECT_EQ(RequiredParamCount(copy.get()), 3);
  EXPECT_EQ(copy->TypeName(), "String");
  EXPECT_EQ(copy->Typ(), fvtString);

  std::unique_ptr<TfsCustomVariable> iif(ParseMethodSignature(
      "macrofunction IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant",
      GlobalScriptUnit()));
  EXPECT_TRUE(iif->IsMacro());
  EXPECT_EQ(iif->Count(), 3);

  std::unique_ptr<TfsCustomVariable> def(ParseMethodSignature(
      "function F(a: Boolean = True; s: String = 'x'; n: Integer = -2): Integer",
      GlobalScriptUnit()));
  EXPECT_EQ(VarToStr(def->Params(0)->DefValue()), "True");
  EXPECT_EQ(VarToStr(def->Params(1)->DefValue()), "x");
  EXPECT_EQ(VarToStr(def->Params(2)->DefValue()), "-2");
}

TEST(fsTools, LiteralsPositionsAndCompatibility)
{
  EXPECT_EQ(VarToStr(ParseLiteral("'''abc'''")), "''abc''");
  EXPECT_EQ(VarType(ParseLiteral("12")), varInt64);
  EXPECT_EQ(VarToStr(ParseLiteral("$FF")), "255");
  EXPECT_EQ(VarToStr(ParseLiteral("1.5")), "1.5");
  EXPECT_TRUE(VarIsNull(ParseLiteral("")));
  EXPECT_THROW(ParseLiteral("1x"), EConvertError);

  EXPECT_EQ(PositionTextToPoint("12:5"), (TPoint{5, 12}));
  EXPECT_EQ(PositionTextToPoint(""), (TPoint{0, 0}));

  TfsScript* g = GlobalScriptUnit();
  struct {
    TfsVarType Target, Source;
    bool Ok;
  } cases[] = {
      {fvtInt, fvtFloat, false}, {fvtFloat, fvtInt, true},     {fvtString, fvtChar, true},
      {fvtBool, fvtInt, false},  {fvtVariant, fvtClass, true}, {fvtArray, fvtInt, false},
  };
  for (const auto& c : cases) {
    TfsVariable target("", c.Target, "");
    TfsVariable source("", c.Source, "");
    EXPECT_EQ(IsAssignCompatible(&target, &source, g), c.Ok) << c.Target << " := " << c.Source;
  }
  TfsVariable alignA("", fvtEnum, "TfrxAlign");
  TfsVariable alignB("", fvtEnum, "TfrxHAlign");
  EXPECT_FALSE(IsAssignCompatible(&alignA, &alignB, g));
  TfsVariable alignC("", fvtEnum, "tfrxalign");
  EXPECT_TRUE(IsAssignCompatible(&alignA, &alignC, g));
}

TEST(fsScript, GlobalUnitLookup)
{
  TfsScript* g = GlobalScriptUnit();
  EXPECT_EQ(g->LookupItem("INTEGER"), g->LookupItem("integer"));
  EXPECT_NE(g->LookupItem("Integer"), nullptr);
  // A script's own name hides a global one for that script only.
  TTestScript t;
  EXPECT_EQ(t.Run("var Copy: Integer; begin Copy := 3; Log(Copy) end."), "3");
  TTestScript other;
  EXPECT_EQ(other.Run("begin Log(Copy('abc', 1, 1)) end."), "a");
  // Items of one owner are removed, the others stay.
  TObject owner;
  t.Script->SetAddedBy(&owner);
  t.Script->RegisterScriptVariable("Owned", "Integer", Variant(1));
  t.Script->SetAddedBy(nullptr);
  t.Script->RegisterScriptVariable("Free1", "Integer", Variant(2));
  t.Script->ClearItemsOwnedBy(&owner);
  EXPECT_EQ(t.Script->LookupOwnItem("Owned"), nullptr);
  EXPECT_NE(t.Script->LookupOwnItem("Free1"), nullptr);
  EXPECT_EQ(TypeNameText(t.Script->LookupOwnItem("Free1")), "Integer");
}

// The script component's published interface, as the object serializer sees it.
TEST(fsScript, PublishedProperties)
{
  TfsScript script;
  EXPECT_EQ(script.ClassName(), "TfsScript");
  EXPECT_EQ(GetStrProp(&script, GetPropInfo(&script, "SyntaxType")), "PascalScript");
  SetStrProp(&script, GetPropInfo(&script, "SyntaxType"), "JScript");
  EXPECT_EQ(script.SyntaxType(), "JScript");
  EXPECT_NE(GetPropInfo(&script, "Lines"), nullptr);
  EXPECT_NE(GetPropInfo(&script, "OnRunLine"), nullptr);
}
