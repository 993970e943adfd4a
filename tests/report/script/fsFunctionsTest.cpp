// The built-in function library through scripts, its catalogue entries, and the tool
// helpers it is registered with (signatures, literals, type compatibility).
#include <algorithm>
#include <map>
#include <vector>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
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
      {"an automation class nobody registered",
       "var v: Variant; begin v := CreateOleObject('Word.Application') end.",
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

// Every function and constant of the library, each through a script, in its category's order.
TEST(fsFunctions, EveryFunctionAndConstant)
{
  struct {
    const char* Text; // statements; the test wraps them in begin .. end.
    const char* Log;
  } cases[] = {
      // conversions
      {"Log(IntToStr(-42)); Log(FloatToStr(1/3)); Log(FloatToStr(2.5))",
       "-42,0.333333333333333,2.5"},
      {"Log(DateToStr(EncodeDate(2013, 12, 5))); Log(TimeToStr(EncodeTime(8, 5, 3, 0))); "
       "Log(DateTimeToStr(EncodeDate(2013, 12, 5) + EncodeTime(8, 5, 3, 0)))",
       "2013-12-05,08:05:03,2013-12-05 08:05:03"},
      {"Log(VarToStr(Null) + '|' + VarToStr(True)); Log(StrToInt(' $1F')); "
       "Log(StrToFloat('2.5') * 2)",
       "|True,31,5"},
      {"Log(StrToDate('2013-12-05') = EncodeDate(2013, 12, 5)); "
       "Log(StrToTime('08:05:03') = EncodeTime(8, 5, 3, 0)); "
       "Log(StrToDateTime('2013-12-05 08:05:03') = EncodeDate(2013, 12, 5) + "
       "EncodeTime(8, 5, 3, 0))",
       "True,True,True"},
      {"Log(StrToDate('2013-13-05'))", "run: '2013-13-05' is not a valid date"},
      {"Log(StrToFloat('x'))", "run: 'x' is not a valid floating point value"},
      // formatting
      {"Log(Format('%d-%5.2f-%s-%x', [5, 3.14159, 'a', 255])); "
       "Log(FormatFloat('#,##0.00', 1234.5)); Log(FormatFloat('0.##', 2.5)); "
       "Log(FormatDateTime('yyyy-mm-dd hh:nn:ss', EncodeDate(2013, 12, 5) + "
       "EncodeTime(8, 5, 3, 0))); Log(FormatMaskText('000-0000;0;_', '1234567'))",
       "5- 3.14-a-FF,1,234.50,2.5,2013-12-05 08:05:03,123-4567"},
      {"Log(Format('%d', ['x']))", "run: Format '%d' invalid or incompatible with argument"},
      // dates
      {"DecodeDate(EncodeDate(2013, 12, 5), y, m, d); Log(y); Log(m); Log(d); "
       "DecodeTime(EncodeTime(8, 5, 3, 250), h, n, s, ms); Log(h); Log(n); Log(s); Log(ms); "
       "Log(FloatToStr(EncodeTime(12, 0, 0, 0)))",
       "2013,12,5,8,5,3,250,0.5"},
      {"Log(Frac(Date) = 0); Log((Time >= 0) and (Time < 1)); Log(Now - Date - Time < 0.001); "
       "Log(Now >= Date)",
       "True,True,True,True"},
      {"Log(DayOfWeek(EncodeDate(2013, 12, 5))); Log(IsLeapYear(2000)); Log(IsLeapYear(1900)); "
       "Log(DaysInMonth(2000, 2)); Log(DaysInMonth(1900, 2)); Log(DaysInMonth(2013, 4))",
       "5,True,False,29,28,30"},
      {"Log(EncodeDate(2013, 2, 30))", "run: Invalid argument to date encode"},
      // strings
      {"Log(Length(VarArrayCreate([1, 5], varVariant))); Log(Length('abc')); "
       "Log(Copy('abc', 2, 10)); Log(Copy('abc', 5, 1) + '|'); Log(Pos('c', 'abc'))",
       "5,3,bc,|,3"},
      {"t := 'abcd'; Delete(t, 1, 2); Log(t); t := 'cd'; Insert('x', t, 2); Log(t); "
       "Log(Uppercase('ab') + Lowercase('CD') + Trim(#9' x ') + NameCase('hELLO wORLD'))",
       "cd,cxd,ABcdxHello World"},
      {"Log(CompareText('abc', 'ABD') < 0); Log(Chr(321)); Log(Ord('A')); Log(Ord('')); "
       "v := 'abcdef'; SetLength(v, 2); Log(v); v := VarArrayCreate([0, 4], varInteger); "
       "SetLength(v, 2); Log(Length(v))",
       "True,A,65,0,ab,2"},
      // math
      {"Log(Round(2.5)); Log(Round(3.5)); Log(Round(-2.5)); Log(Trunc(-2.7)); Log(Int(2.7)); "
       "Log(VarType(Int(2.7))); Log(Frac(-2.5)); Log(Sqrt(2.25)); Log(Abs(-1.5))",
       "2,4,-2,-2,2,5,-0.5,1.5,1.5"},
      {"Log(Sin(0)); Log(Cos(0)); Log(FormatFloat('0.000000', ArcTan(1) * 4)); Log(Tan(0)); "
       "Log(FormatFloat('0.000000', Exp(1))); Log(Ln(Exp(2))); Log(FormatFloat('0.0000', Pi))",
       "0,1,3.141593,0,2.718282,2,3.1416"},
      {"Log(Exp(1000))", "run: Floating point overflow"},
      {"Log(Ln(0))", "run: Floating point division by zero"},
      {"Log(Ln(-1))", "run: Invalid floating point operation"},
      // others
      {"i := 1; Inc(i); Inc(i, 5); Dec(i); Dec(i, 2); Log(i); v := 1.5; Inc(v); Log(v)", "4,2.5"},
      {"try RaiseException('stop'); Log('not here') except Log('caught') end", "caught"},
      {"RaiseException('stop')", "run: stop"},
      {"Randomize; r := Random; Log((r >= 0) and (r < 1))", "True"},
      {"Log(ValidInt('12a')); Log(ValidInt('-12')); Log(ValidFloat('1,5')); "
       "Log(ValidFloat('1.5e3')); Log(ValidDate('2013-12-05')); Log(ValidDate('05.12.2013'))",
       "False,True,False,True,True,False"},
      {"v := VarArrayCreate([0, 2, 1, 3], varInteger); Log(VarType(v)); Log(Length(v)); "
       "Log(VarType(Null)); Log(VarType(True)); Log(VarType(1))",
       "8195,3,1,11,20"},
      {"Log(varEmpty); Log(varNull); Log(varSmallint); Log(varInteger); Log(varSingle); "
       "Log(varDouble); Log(varCurrency); Log(varDate); Log(varOleStr); Log(varDispatch); "
       "Log(varError); Log(varBoolean); Log(varVariant); Log(varUnknown); Log(varShortInt); "
       "Log(varByte); Log(varWord); Log(varLongWord); Log(varInt64); Log(varStrArg); "
       "Log(varString); Log(varAny); Log(varTypeMask); Log(varArray); Log(varByRef)",
       "0,1,2,3,4,5,6,7,8,9,10,11,12,13,16,17,18,19,20,72,256,257,4095,8192,16384"},
  };
  // The program's date format, set at its start.
  const AnsiString savedFormat = FormatSettings.ShortDateFormat;
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TTestScript t;
    EXPECT_EQ(t.Run(std::string("var i: Integer; r: Extended; t: String; v: Variant;\r\n"
                                "y, m, d, h, n, s, ms: Word;\r\n"
                                "begin ") +
                    c.Text + " end."),
              c.Log);
  }
  FormatSettings.ShortDateFormat = savedFormat;
}

// The library's part of the catalogue, as the designer lists it: categories in order, each
// with its functions (in the item table's order, so compared sorted).
TEST(fsFunctions, CatalogueAsAWhole)
{
  const std::string expected =
      "ctConv\n"
      "function IntToStr(i: Integer): String\n"
      "function FloatToStr(e: Extended): String\n"
      "function DateToStr(e: Extended): String\n"
      "function TimeToStr(e: Extended): String\n"
      "function DateTimeToStr(e: Extended): String\n"
      "function VarToStr(v: Variant): String\n"
      "function StrToInt(s: String): Integer\n"
      "function StrToFloat(s: String): Extended\n"
      "function StrToDate(s: String): Extended\n"
      "function StrToTime(s: String): Extended\n"
      "function StrToDateTime(s: String): Extended\n"
      "ctDate\n"
      "function EncodeDate(Year, Month, Day: Word): TDateTime\n"
      "procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)\n"
      "function EncodeTime(Hour, Min, Sec, MSec: Word): TDateTime\n"
      "procedure DecodeTime(Time: TDateTime; var Hour, Min, Sec, MSec: Word)\n"
      "function Date: TDateTime\n"
      "function Time: TDateTime\n"
      "function Now: TDateTime\n"
      "function DayOfWeek(aDate: TDateTime): Integer\n"
      "function IsLeapYear(Year: Word): Boolean\n"
      "function DaysInMonth(nYear, nMonth: Integer): Integer\n"
      "ctFormat\n"
      "function Format(Fmt: String; Args: array): String\n"
      "function FormatFloat(Fmt: String; Value: Extended): String\n"
      "function FormatDateTime(Fmt: String; DateTime: TDateTime): String\n"
      "function FormatMaskText(EditMask: string; Value: string): string\n"
      "ctMath\n"
      "function Round(e: Extended): Integer\n"
      "function Trunc(e: Extended): Integer\n"
      "function Int(e: Extended): Integer\n"
      "function Frac(X: Extended): Extended\n"
      "function Sqrt(e: Extended): Extended\n"
      "function Abs(e: Extended): Extended\n"
      "function Sin(e: Extended): Extended\n"
      "function Cos(e: Extended): Extended\n"
      "function ArcTan(X: Extended): Extended\n"
      "function Tan(X: Extended): Extended\n"
      "function Exp(X: Extended): Extended\n"
      "function Ln(X: Extended): Extended\n"
      "function Pi: Extended\n"
      "ctOther\n"
      "procedure Inc(var i: Integer; incr: Integer = 1)\n"
      "procedure Dec(var i: Integer; decr: Integer = 1)\n"
      "procedure RaiseException(Param: String)\n"
      "procedure ShowMessage(Msg: Variant)\n"
      "procedure Randomize\n"
      "function Random: Extended\n"
      "function ValidInt(cInt: String): Boolean\n"
      "function ValidFloat(cFlt: String): Boolean\n"
      "function ValidDate(cDate: String): Boolean\n"
      "function CreateOleObject(ClassName: String): Variant\n"
      "function VarArrayCreate(Bounds: Array; Typ: Integer): Variant\n"
      "function VarType(V: Variant): Integer\n"
      "ctString\n"
      "function Length(s: Variant): Integer\n"
      "function Copy(s: String; from, count: Integer): String\n"
      "function Pos(substr, s: String): Integer\n"
      "procedure Delete(var s: String; from, count: Integer): String\n"
      "procedure Insert(s: String; var s2: String; pos: Integer): String\n"
      "function Uppercase(s: String): String\n"
      "function Lowercase(s: String): String\n"
      "function Trim(s: String): String\n"
      "function NameCase(s: String): String\n"
      "function CompareText(s, s1: String): Integer\n"
      "function Chr(i: Integer): Char\n"
      "function Ord(ch: Char): Integer\n"
      "procedure SetLength(var S: Variant; L: Integer)\n";
  TfsXMLDocument doc;
  ListScriptCatalog(GlobalScriptUnit(), doc.Root(), false);
  TfsXMLItem* functions = doc.Root()->FindItem("Functions");
  ASSERT_NE(functions, nullptr);
  std::map<std::string, std::vector<std::string>> wanted;
  std::string category;
  for (size_t at = 0, end; (end = expected.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = expected.substr(at, end - at);
    if (line.rfind("ct", 0) == 0)
      category = line;
    else
      wanted[category].push_back(line);
  }
  ASSERT_EQ(wanted.size(), 6u);
  for (auto& [name, lines] : wanted) {
    SCOPED_TRACE(name);
    TfsXMLItem* items = functions->FindItem(name);
    ASSERT_NE(items, nullptr);
    std::vector<std::string> listed;
    for (Integer i = 0; i < items->Count(); ++i) {
      const std::string text = items->Items(i)->Prop("text");
      // Other units add their own functions to the shared categories.
      if (text.rfind("function MessageDlg(", 0) == 0 || text.rfind("function Input", 0) == 0)
        continue;
      listed.push_back(text);
      EXPECT_EQ(items->Items(i)->Prop("description"),
                text.substr(text.find(' ') + 1,
                            text.find_first_of("(:", text.find(' ')) - text.find(' ') - 1));
    }
    std::sort(lines.begin(), lines.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, lines);
  }
}
