// The built-in function library (fsFunctions.h). One callback serves each catalogue
// category and tells its functions apart by the upper-case name it receives; arguments
// come as a Variant array, var arguments go back by writing its elements.
#include "report/script/fsFunctions.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/ole/ComObj.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/MaskUtils.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "report/script/fsScript.h"
#include "report/script/fsTools.h"

namespace {

const char* const ctConv = "ctConv";
const char* const ctDate = "ctDate";
const char* const ctFormat = "ctFormat";
const char* const ctMath = "ctMath";
const char* const ctOther = "ctOther";
const char* const ctString = "ctString";

TfsShowMessageProc ShowMessageProc = nullptr;
std::unique_ptr<TFunctions> Functions;

// Argument access: argument 1 is index 0.
const Variant& Arg(const TfsCallArgs& params, Integer index)
{
  return params[index];
}
AnsiString ArgStr(const TfsCallArgs& params, Integer index)
{
  return VarToStr(Arg(params, index));
}
Integer ArgInt(const TfsCallArgs& params, Integer index)
{
  return Arg(params, index).AsInteger();
}
Extended ArgFloat(const TfsCallArgs& params, Integer index)
{
  return Arg(params, index).AsDouble();
}
TDateTime ArgDate(const TfsCallArgs& params, Integer index)
{
  return Arg(params, index).AsDateTime();
}
void SetArg(TfsCallArgs& params, Integer index, const Variant& value)
{
  params[index] = value;
}

// A float result as scripts hold it (Double): one beyond its range raises the platform's
// overflow error instead of reading as an infinity.
Variant FloatResult(Extended value)
{
  return Variant(static_cast<Double>(CheckFloat(static_cast<Double>(value))));
}

// A 64-bit result that fits 32 bits stays an Integer.
Variant IntResult(Int64 value)
{
  if (value >= -2147483648LL && value <= 2147483647LL)
    return Variant(static_cast<Integer>(value));
  return Variant(value);
}

AnsiString NameCase(const AnsiString& s)
{
  AnsiString result = AnsiLowerCase(s);
  bool start = true;
  for (size_t i = 0; i < result.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(result[i]);
    if (start && c > ' ') {
      if (IsDBCSLeadByte(c)) {
        ++i; // a double-byte character has no case
      } else {
        result[i] = static_cast<char>(std::toupper(c));
      }
    }
    start = c == ' ';
  }
  return result;
}

// The functions in registration order: signature and category.
struct TFunctionEntry {
  const char* Signature;
  const char* Category;
};

const TFunctionEntry FunctionTable[] = {
    {"function IntToStr(i: Integer): String", ctConv},
    {"function FloatToStr(e: Extended): String", ctConv},
    {"function DateToStr(e: Extended): String", ctConv},
    {"function TimeToStr(e: Extended): String", ctConv},
    {"function DateTimeToStr(e: Extended): String", ctConv},
    {"function VarToStr(v: Variant): String", ctConv},
    {"function StrToInt(s: String): Integer", ctConv},
    {"function StrToFloat(s: String): Extended", ctConv},
    {"function StrToDate(s: String): Extended", ctConv},
    {"function StrToTime(s: String): Extended", ctConv},
    {"function StrToDateTime(s: String): Extended", ctConv},
    {"function Format(Fmt: String; Args: array): String", ctFormat},
    {"function FormatFloat(Fmt: String; Value: Extended): String", ctFormat},
    {"function FormatDateTime(Fmt: String; DateTime: TDateTime): String", ctFormat},
    {"function FormatMaskText(EditMask: string; Value: string): string", ctFormat},
    {"function EncodeDate(Year, Month, Day: Word): TDateTime", ctDate},
    {"procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)", ctDate},
    {"function EncodeTime(Hour, Min, Sec, MSec: Word): TDateTime", ctDate},
    {"procedure DecodeTime(Time: TDateTime; var Hour, Min, Sec, MSec: Word)", ctDate},
    {"function Date: TDateTime", ctDate},
    {"function Time: TDateTime", ctDate},
    {"function Now: TDateTime", ctDate},
    {"function DayOfWeek(aDate: TDateTime): Integer", ctDate},
    {"function IsLeapYear(Year: Word): Boolean", ctDate},
    {"function DaysInMonth(nYear, nMonth: Integer): Integer", ctDate},
    {"function Length(s: Variant): Integer", ctString},
    {"function Copy(s: String; from, count: Integer): String", ctString},
    {"function Pos(substr, s: String): Integer", ctString},
    {"procedure Delete(var s: String; from, count: Integer): String", ctString},
    {"procedure Insert(s: String; var s2: String; pos: Integer): String", ctString},
    {"function Uppercase(s: String): String", ctString},
    {"function Lowercase(s: String): String", ctString},
    {"function Trim(s: String): String", ctString},
    {"function NameCase(s: String): String", ctString},
    {"function CompareText(s, s1: String): Integer", ctString},
    {"function Chr(i: Integer): Char", ctString},
    {"function Ord(ch: Char): Integer", ctString},
    {"procedure SetLength(var S: Variant; L: Integer)", ctString},
    {"function Round(e: Extended): Integer", ctMath},
    {"function Trunc(e: Extended): Integer", ctMath},
    {"function Int(e: Extended): Integer", ctMath},
    {"function Frac(X: Extended): Extended", ctMath},
    {"function Sqrt(e: Extended): Extended", ctMath},
    {"function Abs(e: Extended): Extended", ctMath},
    {"function Sin(e: Extended): Extended", ctMath},
    {"function Cos(e: Extended): Extended", ctMath},
    {"function ArcTan(X: Extended): Extended", ctMath},
    {"function Tan(X: Extended): Extended", ctMath},
    {"function Exp(X: Extended): Extended", ctMath},
    {"function Ln(X: Extended): Extended", ctMath},
    {"function Pi: Extended", ctMath},
    {"procedure Inc(var i: Integer; incr: Integer = 1)", ctOther},
    {"procedure Dec(var i: Integer; decr: Integer = 1)", ctOther},
    {"procedure RaiseException(Param: String)", ctOther},
    {"procedure ShowMessage(Msg: Variant)", ctOther},
    {"procedure Randomize", ctOther},
    {"function Random: Extended", ctOther},
    {"function ValidInt(cInt: String): Boolean", ctOther},
    {"function ValidFloat(cFlt: String): Boolean", ctOther},
    {"function ValidDate(cDate: String): Boolean", ctOther},
    {"function CreateOleObject(ClassName: String): Variant", ctOther},
    {"function VarArrayCreate(Bounds: Array; Typ: Integer): Variant", ctOther},
    {"function VarType(V: Variant): Integer", ctOther},
};

const struct {
  const char* Name;
  Integer Value;
} VariantKindConstants[] = {
    {"varEmpty", 0},     {"varNull", 1},      {"varSmallint", 2},    {"varInteger", 3},
    {"varSingle", 4},    {"varDouble", 5},    {"varCurrency", 6},    {"varDate", 7},
    {"varOleStr", 8},    {"varDispatch", 9},  {"varError", 10},      {"varBoolean", 11},
    {"varVariant", 12},  {"varUnknown", 13},  {"varShortInt", 16},   {"varByte", 17},
    {"varWord", 18},     {"varLongWord", 19}, {"varInt64", 20},      {"varStrArg", 72},
    {"varString", 256},  {"varAny", 257},     {"varTypeMask", 4095}, {"varArray", 8192},
    {"varByRef", 16384},
};

} // namespace

void SetScriptShowMessage(TfsShowMessageProc proc)
{
  ShowMessageProc = proc;
}

TFunctions::TFunctions()
{
  TfsScript* global = GlobalScriptUnit();
  global->SetAddedBy(this);
  for (const TFunctionEntry& f : FunctionTable) {
    TfsCallArgsEvent call;
    const AnsiString category = f.Category;
    if (category == ctConv)
      call = TfsCallArgsEvent::Bind(this, &TFunctions::CallConv);
    else if (category == ctDate)
      call = TfsCallArgsEvent::Bind(this, &TFunctions::CallDate);
    else if (category == ctFormat)
      call = TfsCallArgsEvent::Bind(this, &TFunctions::CallFormat);
    else if (category == ctMath)
      call = TfsCallArgsEvent::Bind(this, &TFunctions::CallMath);
    else if (category == ctString)
      call = TfsCallArgsEvent::Bind(this, &TFunctions::CallString);
    else
      call = TfsCallArgsEvent::Bind(this, &TFunctions::CallOther);
    if (AnsiString(f.Signature) == "function VarToStr(v: Variant): String")
      call = TfsCallArgsEvent::Bind(this, &TFunctions::CallOther);
    global->RegisterScriptMethod(f.Signature, f.Category, AnsiString(), call);
  }
  for (const auto& c : VariantKindConstants)
    global->RegisterScriptConst(c.Name, "Integer", Variant(c.Value));
  global->SetAddedBy(nullptr);
}

TFunctions::~TFunctions()
{
  if (TfsScript* global = GlobalScriptUnit())
    global->RemoveItemsOwnedBy(this);
}

Variant TFunctions::CallConv(TObject*, TClass, const AnsiString& name, TfsCallArgs& params)
{
  if (name == "INTTOSTR")
    return Variant(IntToStr(Arg(params, 0).AsInt64()));
  if (name == "FLOATTOSTR")
    return Variant(FloatToStr(ArgFloat(params, 0)));
  if (name == "DATETOSTR")
    return Variant(DateToStr(ArgDate(params, 0)));
  if (name == "TIMETOSTR")
    return Variant(TimeToStr(ArgDate(params, 0)));
  if (name == "DATETIMETOSTR")
    return Variant(DateTimeToStr(ArgDate(params, 0)));
  if (name == "STRTOINT")
    return Variant(StrToInt(ArgStr(params, 0)));
  if (name == "STRTOFLOAT")
    return Variant(static_cast<Double>(StrToFloat(ArgStr(params, 0))));
  if (name == "STRTODATE")
    return VarFromDateTime(StrToDate(ArgStr(params, 0)));
  if (name == "STRTOTIME")
    return VarFromDateTime(StrToTime(ArgStr(params, 0)));
  if (name == "STRTODATETIME")
    return VarFromDateTime(StrToDateTime(ArgStr(params, 0)));
  return Variant(0);
}

Variant TFunctions::CallDate(TObject*, TClass, const AnsiString& name, TfsCallArgs& params)
{
  if (name == "ENCODEDATE")
    return VarFromDateTime(EncodeDate(ArgInt(params, 0), ArgInt(params, 1), ArgInt(params, 2)));
  if (name == "DECODEDATE") {
    Word y = 0, m = 0, d = 0;
    DecodeDate(ArgDate(params, 0), y, m, d);
    SetArg(params, 1, Variant(Integer(y)));
    SetArg(params, 2, Variant(Integer(m)));
    SetArg(params, 3, Variant(Integer(d)));
    return Null();
  }
  if (name == "ENCODETIME")
    return VarFromDateTime(
        EncodeTime(ArgInt(params, 0), ArgInt(params, 1), ArgInt(params, 2), ArgInt(params, 3)));
  if (name == "DECODETIME") {
    Word h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(ArgDate(params, 0), h, n, s, ms);
    SetArg(params, 1, Variant(Integer(h)));
    SetArg(params, 2, Variant(Integer(n)));
    SetArg(params, 3, Variant(Integer(s)));
    SetArg(params, 4, Variant(Integer(ms)));
    return Null();
  }
  if (name == "DATE")
    return VarFromDateTime(Date());
  if (name == "TIME")
    return VarFromDateTime(Time());
  if (name == "NOW")
    return VarFromDateTime(Now());
  if (name == "DAYOFWEEK")
    return Variant(Integer(DayOfWeek(ArgDate(params, 0))));
  if (name == "ISLEAPYEAR")
    return Variant(IsLeapYear(static_cast<Word>(ArgInt(params, 0))));
  if (name == "DAYSINMONTH") {
    const Integer month = ArgInt(params, 1);
    if (month < 1 || month > 12)
      throw ERangeError(SRangeError);
    return Variant(Integer(DaysInMonth(ArgInt(params, 0), month)));
  }
  return Variant(0);
}

Variant TFunctions::CallFormat(TObject*, TClass, const AnsiString& name, TfsCallArgs& params)
{
  if (name == "FORMAT")
    return Variant(FormatVariantArray(ArgStr(params, 0), Arg(params, 1)));
  if (name == "FORMATFLOAT")
    return Variant(FormatFloat(ArgStr(params, 0), ArgFloat(params, 1)));
  if (name == "FORMATDATETIME")
    return Variant(FormatDateTime(ArgStr(params, 0), ArgDate(params, 1)));
  if (name == "FORMATMASKTEXT")
    return Variant(FormatMaskText(ArgStr(params, 0), ArgStr(params, 1)));
  return Variant(0);
}

Variant TFunctions::CallMath(TObject*, TClass, const AnsiString& name, TfsCallArgs& params)
{
  if (name == "PI")
    return FloatResult(Pi());
  const Extended x = ArgFloat(params, 0);
  if (name == "ROUND")
    return IntResult(Round(x));
  if (name == "TRUNC")
    return IntResult(Trunc(x));
  if (name == "INT")
    return FloatResult(Int(x));
  if (name == "FRAC")
    return FloatResult(Frac(x));
  if (name == "SQRT")
    return FloatResult(Sqrt(x));
  if (name == "ABS")
    return FloatResult(Abs(x));
  if (name == "SIN")
    return FloatResult(Sin(x));
  if (name == "COS")
    return FloatResult(Cos(x));
  if (name == "ARCTAN")
    return FloatResult(ArcTan(x));
  if (name == "TAN")
    return FloatResult(Tan(x));
  if (name == "EXP")
    return FloatResult(Exp(x));
  if (name == "LN")
    return FloatResult(Ln(x));
  return Variant(0);
}

Variant TFunctions::CallString(TObject*, TClass, const AnsiString& name, TfsCallArgs& params)
{
  if (name == "LENGTH") {
    const Variant v = Arg(params, 0);
    if (VarIsArray(v))
      return Variant(VarArrayHighBound(v, 1) - VarArrayLowBound(v, 1) + 1);
    return Variant(static_cast<Integer>(VarToStr(v).size()));
  }
  if (name == "COPY")
    return Variant(Copy(ArgStr(params, 0), ArgInt(params, 1), ArgInt(params, 2)));
  if (name == "POS")
    return Variant(Pos(ArgStr(params, 0), ArgStr(params, 1)));
  if (name == "DELETE") {
    AnsiString s = ArgStr(params, 0);
    ::Delete(s, ArgInt(params, 1), ArgInt(params, 2));
    SetArg(params, 0, Variant(s));
    return Null();
  }
  if (name == "INSERT") {
    AnsiString s = ArgStr(params, 1);
    ::Insert(ArgStr(params, 0), s, ArgInt(params, 2));
    SetArg(params, 1, Variant(s));
    return Null();
  }
  if (name == "UPPERCASE")
    return Variant(AnsiUpperCase(ArgStr(params, 0)));
  if (name == "LOWERCASE")
    return Variant(AnsiLowerCase(ArgStr(params, 0)));
  if (name == "TRIM")
    return Variant(Trim(ArgStr(params, 0)));
  if (name == "NAMECASE")
    return Variant(NameCase(ArgStr(params, 0)));
  if (name == "COMPARETEXT")
    return Variant(AnsiCompareText(ArgStr(params, 0), ArgStr(params, 1)));
  if (name == "CHR")
    return Variant(AnsiString(1, static_cast<char>(ArgInt(params, 0) & 0xFF)));
  if (name == "ORD") {
    const AnsiString s = ArgStr(params, 0);
    return Variant(s.empty() ? 0 : Integer(static_cast<unsigned char>(s[0])));
  }
  if (name == "SETLENGTH") {
    Variant v = Arg(params, 0);
    const Integer length = std::max(ArgInt(params, 1), 0);
    if (VarType(v) == varString || VarType(v) == varOleStr) {
      AnsiString s = VarToStr(v);
      s.resize(static_cast<size_t>(length), ' ');
      SetArg(params, 0, Variant(s));
    } else {
      VarArrayRedim(v, length - 1);
      SetArg(params, 0, v);
    }
    return Null();
  }
  return Variant(0);
}

Variant TFunctions::CallOther(TObject*, TClass, const AnsiString& name, TfsCallArgs& params)
{
  if (name == "VARTOSTR")
    return Variant(ArgStr(params, 0));
  if (name == "INC" || name == "DEC") {
    SetArg(params, 0, VarOp(Arg(params, 0), Arg(params, 1), name == "INC" ? opAdd : opSubtract));
    return Null();
  }
  if (name == "RAISEEXCEPTION")
    throw Exception(ArgStr(params, 0));
  if (name == "SHOWMESSAGE") {
    if (ShowMessageProc)
      ShowMessageProc(ArgStr(params, 0));
    return Null();
  }
  if (name == "RANDOMIZE") {
    Randomize();
    return Null();
  }
  if (name == "RANDOM")
    return Variant(static_cast<Double>(Random()));
  if (name == "VALIDINT") {
    Integer value = 0;
    return Variant(TryStrToInt(ArgStr(params, 0), value));
  }
  if (name == "VALIDFLOAT") {
    Extended value = 0;
    return Variant(TryStrToFloat(ArgStr(params, 0), value));
  }
  if (name == "VALIDDATE") {
    TDateTime value = 0;
    return Variant(TryStrToDate(ArgStr(params, 0), value));
  }
  if (name == "CREATEOLEOBJECT")
    return CreateOleObject(ArgStr(params, 0));
  if (name == "VARARRAYCREATE") {
    const Variant boundsValue = Arg(params, 0);
    std::vector<Integer> bounds;
    if (VarIsArray(boundsValue))
      for (Integer i = VarArrayLowBound(boundsValue, 1); i <= VarArrayHighBound(boundsValue, 1);
           ++i)
        bounds.push_back(VarArrayGet(boundsValue, {i}).AsInteger());
    return VarArrayCreate(bounds, static_cast<TVarType>(ArgInt(params, 1)));
  }
  if (name == "VARTYPE")
    return Variant(Integer(VarType(Arg(params, 0))));
  return Variant(0);
}

void InitializeScriptFunctions()
{
  Functions = std::make_unique<TFunctions>();
}

void FinalizeScriptFunctions()
{
  Functions.reset();
}
