#include <cstdlib>
#include <cxxabi.h>
#include <functional>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ObjectHandles.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

namespace {

// "Kind:text"; dates show their serial number so that the tables do not depend on the
// date format.
AnsiString Show(const Variant& v)
{
  AnsiString text;
  if (v.Type() == varDate)
    text = FloatToStr(v.AsDouble());
  else if (!VarIsArray(v))
    text = VarToStr(v);
  return VarTypeAsText(v.Type()) + ":" + text;
}

// "ExceptionClass: message", or "no error".
std::string ErrorOf(const std::function<void()>& f)
{
  try {
    f();
  } catch (const Exception& e) {
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    std::string result = std::string(name ? name : "?") + ": " + e.Message();
    std::free(name);
    return result;
  }
  return "no error";
}

struct NullStrictGuard {
  explicit NullStrictGuard(bool strict) { NullStrictConvert = strict; }
  ~NullStrictGuard() { NullStrictConvert = Saved; }
  bool Saved = NullStrictConvert;
};

Variant DateV(double serial)
{
  return VarFromDateTime(serial);
}
Variant Curr(double value)
{
  return Variant(Currency(value));
}

std::string CastError(const char* from, const char* to)
{
  return std::string("EVariantTypeCastError: Could not convert variant of type (") + from +
         ") into type (" + to + ")";
}

class TestDispatch : public IDispatch {
public:
  explicit TestDispatch(int* destroyed) : FDestroyed(destroyed) {}
  ~TestDispatch() override { ++*FDestroyed; }
  Variant Invoke(const AnsiString& name, Integer flags, const std::vector<Variant>& args) override
  {
    return Variant(name + ":" + IntToStr(flags) + ":" + IntToStr(Integer(args.size())));
  }

private:
  int* FDestroyed;
};

class VariantTest : public testing::Test {
protected:
  void SetUp() override { GetFormatSettings(); }
};

} // namespace

// ---- Representation -------------------------------------------------------------------------

TEST_F(VariantTest, CopyOfTextSharesThePayloadAndWritesDoNotLeak)
{
  Variant a("waybill");
  Variant b = a;
  EXPECT_EQ(&a.StringRef(), &b.StringRef()); // one payload, no copy of the text
  b += "-2";
  EXPECT_EQ(a.StringRef(), "waybill");
  EXPECT_EQ(b.StringRef(), "waybill-2");

  Variant moved = std::move(b);
  EXPECT_TRUE(VarIsEmpty(b));
  EXPECT_EQ(moved.StringRef(), "waybill-2");
  EXPECT_EQ(ErrorOf([] { Variant(5).StringRef(); }), CastError("Integer", "String"));
}

// Appending grows an unshared text where it is; a shared one is copied first, so the other
// holder keeps its text.
TEST_F(VariantTest, TextAppendGrowsInPlaceOnlyWhenUnshared)
{
  Variant a("way");
  VarStrAppend(a, "bill");
  const AnsiString* payload = &a.StringRef();
  VarStrAppend(a, "-1");
  EXPECT_EQ(&a.StringRef(), payload);
  EXPECT_EQ(a.StringRef(), "waybill-1");
  Variant b = a;
  VarStrAppend(b, "x");
  EXPECT_EQ(a.StringRef(), "waybill-1");
  EXPECT_EQ(b.StringRef(), "waybill-1x");
  EXPECT_EQ(&a.StringRef(), payload);
  // A text changed in place is unshared first.
  Variant c = a;
  VarStrUnique(c)[0] = 'W';
  EXPECT_EQ(a.StringRef(), "waybill-1");
  EXPECT_EQ(c.StringRef(), "Waybill-1");
  VarStrUnique(a)[1] = 'A';
  EXPECT_EQ(&a.StringRef(), payload);
  EXPECT_EQ(a.StringRef(), "wAybill-1");
  Variant n(5);
  EXPECT_EQ(ErrorOf([&n] { VarStrAppend(n, "x"); }), CastError("Integer", "String"));
  EXPECT_EQ(ErrorOf([&n] { VarStrUnique(n); }), CastError("Integer", "String"));
}

// The raw reads answer for their own kinds only, and never convert.
TEST_F(VariantTest, RawReadsTakeTheirKindsOnly)
{
  Int64 i = 7;
  Double d = 7;
  bool b = false;
  EXPECT_TRUE(Variant(Integer(-5)).GetInteger(i));
  EXPECT_EQ(i, -5);
  EXPECT_TRUE(Variant(Int64(-5000000000)).GetInteger(i));
  EXPECT_EQ(i, -5000000000);
  EXPECT_FALSE(Variant(SmallInt(3)).GetInteger(i));
  EXPECT_FALSE(Variant(2.5).GetInteger(i));
  EXPECT_FALSE(Variant("1").GetInteger(i));
  EXPECT_EQ(i, -5000000000);
  EXPECT_TRUE(Variant(2.5).GetDouble(d));
  EXPECT_EQ(d, 2.5);
  EXPECT_FALSE(VarFromDateTime(1.5).GetDouble(d));
  EXPECT_FALSE(Variant(Integer(1)).GetDouble(d));
  EXPECT_TRUE(Variant(true).GetBoolean(b));
  EXPECT_TRUE(b);
  EXPECT_FALSE(Variant(Integer(1)).GetBoolean(b));
}

TEST_F(VariantTest, ConstructorsGiveTheirKinds)
{
  struct Case {
    Variant v;
    TVarType type;
  } cases[] = {
      {Variant(), varEmpty},
      {Null(), varNull},
      {Variant(true), varBoolean},
      {Variant(ShortInt(-1)), varShortInt},
      {Variant(Byte(1)), varByte},
      {Variant(SmallInt(1)), varSmallint},
      {Variant(Word(1)), varWord},
      {Variant(1), varInteger},
      {Variant(LongWord(1)), varLongWord},
      {Variant(Int64(1)), varInt64},
      {Variant(1.5f), varSingle},
      {Variant(1.5), varDouble},
      {Curr(1.5), varCurrency},
      {DateV(1.5), varDate},
      {Variant("a"), varString},
      {Variant(u"a"), varOleStr},
      {EmptyParam(), varError},
      {VarFromClass(TObjectClass()), varClassRef},
      {VarFromDispatch(nullptr), varDispatch},
      {VarArrayOf({1, 2}), varArray | varVariant},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(VarTypeAsText(c.type));
    EXPECT_EQ(VarType(c.v), c.type);
  }
  EXPECT_EQ(VarTypeAsText(varArray | varInteger), "Array Integer");
  EXPECT_EQ(VarTypeAsText(0x0F00), "$0F00");
}

TEST_F(VariantTest, KindQueries)
{
  EXPECT_TRUE(VarIsClear(Variant()));
  EXPECT_TRUE(VarIsClear(VarFromDispatch(nullptr)));
  EXPECT_FALSE(VarIsClear(Null()));
  EXPECT_TRUE(VarIsStr(Variant(u"x")));
  EXPECT_TRUE(VarIsOrdinal(Variant(true)));
  EXPECT_FALSE(VarIsOrdinal(Variant(1.0)));
  EXPECT_TRUE(VarIsFloat(Curr(1)));
  EXPECT_FALSE(VarIsFloat(DateV(1)));
  EXPECT_TRUE(VarIsNumeric(Variant(Int64(1))));
  EXPECT_FALSE(VarIsNumeric(Variant("1")));
  EXPECT_TRUE(VarIsArray(VarArrayOf({})));
}

// ---- Conversions ----------------------------------------------------------------------------

TEST_F(VariantTest, VarAsTypeTable)
{
  struct Case {
    const char* name;
    Variant v;
    TVarType type;
    std::string expected; // Show() of the result, or the error
  } cases[] = {
      {"text blanks", Variant("  12 "), varInteger, "Integer:12"},
      {"text hex", Variant("$FF"), varInteger, "Integer:255"},
      {"text float rounds even", Variant("2.5"), varInteger, "Integer:2"},
      {"text float rounds even up", Variant("3.5"), varInteger, "Integer:4"},
      {"double rounds even", Variant(-2.5), varInteger, "Integer:-2"},
      {"True is -1", Variant(true), varInteger, "Integer:-1"},
      {"currency", Curr(2.5), varInteger, "Integer:2"},
      {"date", DateV(1.75), varInteger, "Integer:2"},
      {"Int64 too big", Variant(Int64(1) << 40), varInteger,
       "EVariantOverflowError: Variant overflow"},
      {"double too big", Variant(3e10), varInteger, "EVariantOverflowError: Variant overflow"},
      {"text junk", Variant("12a"), varInteger, CastError("String", "Integer")},
      {"smallint overflow", Variant(70000), varSmallint, "EVariantOverflowError: Variant overflow"},
      {"smallint too small", Variant(-32769), varSmallint,
       "EVariantOverflowError: Variant overflow"},
      {"smallint edge", Variant(-32768), varSmallint, "Smallint:-32768"},
      {"word overflow", Variant(70000), varWord, "EVariantOverflowError: Variant overflow"},
      {"word of -1", Variant(-1), varWord, "EVariantOverflowError: Variant overflow"},
      {"word edge", Variant("65535"), varWord, "Word:65535"},
      {"byte overflow", Variant(300), varByte, "EVariantOverflowError: Variant overflow"},
      {"shortint of double", Variant(127.4), varShortInt, "ShortInt:127"},
      {"shortint overflow", Variant(128), varShortInt, "EVariantOverflowError: Variant overflow"},
      {"longword edge", Variant(Int64(4294967295LL)), varLongWord, "LongWord:4294967295"},
      {"longword overflow", Variant(Int64(4294967296LL)), varLongWord,
       "EVariantOverflowError: Variant overflow"},
      {"Int64 text", Variant("9223372036854775807"), varInt64, "Int64:9223372036854775807"},
      {"double text", Variant("1.5"), varDouble, "Double:1.5"},
      {"double hex", Variant("$10"), varDouble, "Double:16"},
      {"double of True", Variant(true), varDouble, "Double:-1"},
      {"double of currency", Curr(1.2345), varDouble, "Double:1.2345"},
      {"double of wide", Variant(u"2.5"), varDouble, "Double:2.5"},
      {"double junk", Variant("x"), varDouble, CastError("String", "Double")},
      {"double wide junk", Variant(u"x"), varDouble, CastError("OleStr", "Double")},
      {"single overflow", Variant(1e300), varSingle, "EVariantOverflowError: Variant overflow"},
      {"currency text rounds even", Variant("1.23445"), varCurrency, "Currency:1.2344"},
      {"currency double", Variant(0.1), varCurrency, "Currency:0.1"},
      {"currency overflow", Variant(1e20), varCurrency, "EVariantOverflowError: Variant overflow"},
      {"bool text", Variant("true"), varBoolean, "Boolean:True"},
      {"bool text upper", Variant(" FALSE "), varBoolean, "Boolean:False"},
      {"bool number text", Variant("2"), varBoolean, "Boolean:True"},
      {"bool zero", Variant(0.0), varBoolean, "Boolean:False"},
      {"bool junk", Variant("yes"), varBoolean, CastError("String", "Boolean")},
      {"date text", Variant("2023-3-15"), varDate, "Date:45000"},
      {"date number text", Variant("45000.5"), varDate, "Date:45000.5"},
      {"date junk", Variant("soon"), varDate, CastError("String", "Date")},
      {"string of double", Variant(0.1 + 0.2), varString, "String:0.3"},
      {"string of single", Variant(0.1f), varString, "String:0.1"},
      {"string of currency", Curr(1.5), varString, "String:1.5"},
      {"string of boolean", Variant(false), varString, "String:False"},
      {"string of longword", Variant(LongWord(4294967295u)), varString, "String:4294967295"},
      {"string of date", DateV(45000), varString, "String:2023-3-15"},
      {"string of time", DateV(0.5), varString, "String:12:00:00"},
      {"string of date-time", DateV(45000.5), varString, "String:2023-3-15 12:00:00"},
      {"string of date out of range", DateV(1e10), varString, CastError("Date", "String")},
      {"string of wide", Variant(u"中文"), varString, "String:中文"},
      {"wide of text", Variant("中"), varOleStr, "OleStr:中"},
      {"empty reads as zero", Variant(), varInteger, "Integer:0"},
      {"empty reads as text", Variant(), varString, "String:"},
      {"to empty", Variant(5), varEmpty, "Empty:"},
      {"to null", Variant(5), varNull, "Null:"},
      {"array", VarArrayOf({1}), varInteger, CastError("Array Variant", "Integer")},
      {"class", VarFromClass(TObjectClass()), varInteger, CastError("Class", "Integer")},
      {"dispatch", VarFromDispatch(nullptr), varString, CastError("Dispatch", "String")},
      {"error", EmptyParam(), varInteger, CastError("Error", "Integer")},
      {"to dispatch", Variant(1), varDispatch, CastError("Integer", "Dispatch")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string got;
    std::string error = ErrorOf([&] { got = Show(VarAsType(c.v, c.type)); });
    EXPECT_EQ(error == "no error" ? got : error, c.expected);
  }
}

// Every kind read as every common target (Null with strict conversion off).
TEST_F(VariantTest, ConversionGrid)
{
  NullStrictGuard lenient(false);
  const TVarType targets[] = {varInteger, varInt64, varDouble, varCurrency,
                              varBoolean, varDate,  varString, varOleStr};
  const std::string overflow = "EVariantOverflowError: Variant overflow";
  struct Row {
    const char* name;
    Variant v;
    std::string expected[8];
  } rows[] = {
      {"Empty", Variant(), {"0", "0", "0", "0", "False", "0", "", ""}},
      {"Null", Null(), {"0", "0", "0", "0", "False", "0", "", ""}},
      {"Smallint", Variant(SmallInt(-3)), {"-3", "-3", "-3", "-3", "True", "-3", "-3", "-3"}},
      {"Integer", Variant(7), {"7", "7", "7", "7", "True", "7", "7", "7"}},
      {"Single", Variant(2.5f), {"2", "2", "2.5", "2.5", "True", "2.5", "2.5", "2.5"}},
      {"Double", Variant(3.5), {"4", "4", "3.5", "3.5", "True", "3.5", "3.5", "3.5"}},
      {"Currency", Curr(1.25), {"1", "1", "1.25", "1.25", "True", "1.25", "1.25", "1.25"}},
      {"Date",
       DateV(1.5),
       {"2", "2", "1.5", "1.5", "True", "1.5", "1899-12-31 12:00:00", "1899-12-31 12:00:00"}},
      {"Boolean", Variant(true), {"-1", "-1", "-1", "-1", "True", "-1", "True", "True"}},
      {"ShortInt", Variant(ShortInt(-8)), {"-8", "-8", "-8", "-8", "True", "-8", "-8", "-8"}},
      {"Byte", Variant(Byte(200)), {"200", "200", "200", "200", "True", "200", "200", "200"}},
      {"Word",
       Variant(Word(65535)),
       {"65535", "65535", "65535", "65535", "True", "65535", "65535", "65535"}},
      {"LongWord",
       Variant(LongWord(4294967295u)),
       {overflow, "4294967295", "4294967295", "4294967295", "True", "4294967295", "4294967295",
        "4294967295"}},
      {"Int64", Variant(Int64(-5)), {"-5", "-5", "-5", "-5", "True", "-5", "-5", "-5"}},
      {"String",
       Variant(" 12.5 "),
       {"12", "12", "12.5", "12.5", "True", "12.5", " 12.5 ", " 12.5 "}},
      {"OleStr", Variant(u"0"), {"0", "0", "0", "0", "False", "0", "0", "0"}},
  };
  for (const Row& row : rows) {
    for (int t = 0; t < 8; ++t) {
      SCOPED_TRACE(std::string(row.name) + " as " + VarTypeAsText(targets[t]));
      std::string got;
      std::string error = ErrorOf([&] {
        Variant r = VarAsType(row.v, targets[t]);
        EXPECT_EQ(VarType(r), targets[t]);
        got = Show(r);
        got = got.substr(got.find(':') + 1);
      });
      EXPECT_EQ(error == "no error" ? got : error, row.expected[t]);
    }
  }
}

TEST_F(VariantTest, NullReadsAsZeroOnlyWhenStrictConversionIsOff)
{
  {
    NullStrictGuard strict(true);
    EXPECT_EQ(ErrorOf([] { Null().AsInteger(); }), CastError("Null", "Integer"));
    EXPECT_EQ(ErrorOf([] { Null().AsString(); }), CastError("Null", "String"));
    EXPECT_EQ(ErrorOf([] { Null().AsBoolean(); }), CastError("Null", "Boolean"));
    EXPECT_EQ(ErrorOf([] { VarToDateTime(Null()); }), CastError("Null", "Date"));
    EXPECT_EQ(VarToStr(Null()), "");
  }
  {
    NullStrictGuard lenient(false);
    EXPECT_EQ(Null().AsInteger(), 0);
    EXPECT_EQ(Null().AsDouble(), 0.0);
    EXPECT_EQ(Null().AsCurrency(), Currency());
    EXPECT_EQ(Null().AsString(), "");
    EXPECT_FALSE(Null().AsBoolean());
    EXPECT_EQ(VarToDateTime(Null()), 0.0);
    EXPECT_EQ(VarToStr(Null()), "");
  }
}

TEST_F(VariantTest, VarToStrOfArraysIsEmptyButAsStringRaises)
{
  Variant a = VarArrayOf({1, 2});
  EXPECT_EQ(VarToStr(a), "");
  EXPECT_EQ(VarToWideStr(a), u"");
  EXPECT_EQ(ErrorOf([&] { a.AsString(); }), CastError("Array Variant", "String"));
}

// ---- Operators ------------------------------------------------------------------------------

struct OpCase {
  const char* name;
  Variant a;
  Variant b;
  TVarOp op;
  std::string expected; // Show() of the result, or the error
};

static void RunOpCases(const std::vector<OpCase>& cases)
{
  for (const OpCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string got;
    std::string error = ErrorOf([&] { got = Show(VarOp(c.a, c.b, c.op)); });
    EXPECT_EQ(error == "no error" ? got : error, c.expected);
  }
}

TEST_F(VariantTest, IntegerAndBooleanOperators)
{
  RunOpCases({
      {"sum overflows to float", 2147483647, 1, opAdd, "Double:2147483648"},
      {"difference overflows", -2147483647 - 1, 1, opSubtract, "Double:-2147483649"},
      {"product overflows", 65536, 65536, opMultiply, "Double:4294967296"},
      {"small kinds widen", Variant(ShortInt(100)), Variant(Byte(200)), opAdd, "Integer:300"},
      {"slash is float", 7, 2, opDivide, "Double:3.5"},
      {"div truncates", -7, 2, opIntDivide, "Integer:-3"},
      {"mod keeps sign", -7, 2, opModulus, "Integer:-1"},
      {"shl count mod 32", 1, 33, opShiftLeft, "Integer:2"},
      {"shr fills zeros", -8, 1, opShiftRight, "Integer:2147483644"},
      {"and bitwise", 12, 10, opAnd, "Integer:8"},
      {"or bitwise", 12, 10, opOr, "Integer:14"},
      {"xor bitwise", 12, 10, opXor, "Integer:6"},
      {"True counts -1", true, 1, opAdd, "Integer:0"},
      {"Boolean and integer bitwise", true, 3, opAnd, "Integer:3"},
      {"Boolean and logical", true, false, opAnd, "Boolean:False"},
      {"Boolean or logical", false, true, opOr, "Boolean:True"},
      {"Boolean xor logical", true, true, opXor, "Boolean:False"},
      {"Boolean with text logical", true, "False", opAnd, "Boolean:False"},
      {"Boolean plus Boolean numeric", true, true, opAdd, "Integer:-2"},
      {"div by zero", 1, 0, opIntDivide, "EDivByZero: Division by zero"},
      {"mod by zero", 1, 0, opModulus, "EDivByZero: Division by zero"},
      {"min div -1", -2147483647 - 1, -1, opIntDivide, "EIntOverflow: Integer overflow"},
      {"slash by zero", 1, 0, opDivide, "EZeroDivide: Floating point division by zero"},
      {"zero by zero", 0, 0, opDivide, "EInvalidOp: Invalid floating point operation"},
  });
  // The overflowed sum is exact.
  EXPECT_EQ((Variant(2147483647) + Variant(1)).AsDouble(), 2147483648.0);
}

TEST_F(VariantTest, TextAndRealOperators)
{
  RunOpCases({
      {"text concatenates", "a", "b", opAdd, "String:ab"},
      {"wide concatenates", Variant(u"a"), "b", opAdd, "OleStr:ab"},
      {"text plus number", "1", 2, opAdd, "Double:3"},
      {"number plus text", 1, "2", opAdd, "Double:3"},
      {"text minus text numeric", "6", "3", opSubtract, "Double:3"},
      {"text slash text", "6", "4", opDivide, "Double:1.5"},
      {"text div", "7", 2, opIntDivide, "Integer:3"},
      {"text not numeric", "abc", 1, opAdd, CastError("String", "Double")},
      {"texts not numeric", "abc", "d", opMultiply, CastError("String", "Double")},
      {"real plus integer", 1.5, 2, opAdd, "Double:3.5"},
      {"real sum", 0.1, 0.2, opAdd, "Double:0.3"},
      {"real div rounds operands", 2.5, 2, opIntDivide, "Integer:1"},
      {"real and", 3.5, 1, opAnd, "Integer:0"},
      {"real div too big", 3e10, 1, opIntDivide, "EVariantOverflowError: Variant overflow"},
      {"real overflow", 1e308, 1e308, opMultiply, "EOverflow: Floating point overflow"},
      {"single with single", Variant(1.5f), Variant(2.0f), opMultiply, "Double:3"},
  });
}

TEST_F(VariantTest, NullAndEmptyOperators)
{
  RunOpCases({
      {"Null plus", Null(), 1, opAdd, "Null:"},
      {"Null div", 1, Null(), opIntDivide, "Null:"},
      {"Null concatenation", Null(), "x", opAdd, "Null:"},
      {"Null with Empty", Null(), Variant(), opAdd, "Null:"},
      {"Null and False", Null(), false, opAnd, "Boolean:False"},
      {"False and Null", false, Null(), opAnd, "Boolean:False"},
      {"Null and True", Null(), true, opAnd, "Null:"},
      {"Null or True", true, Null(), opOr, "Boolean:True"},
      {"Null or False", Null(), false, opOr, "Null:"},
      {"Null xor True", Null(), true, opXor, "Null:"},
      {"Null and Null", Null(), Null(), opAnd, "Null:"},
      {"Empty plus Empty", Variant(), Variant(), opAdd, "Empty:"},
      {"Empty times Empty", Variant(), Variant(), opMultiply, "Empty:"},
      {"Empty shl Empty", Variant(), Variant(), opShiftLeft, "Empty:"},
      {"Empty slash Empty", Variant(), Variant(), opDivide,
       "EZeroDivide: Floating point division by zero"},
      {"Empty div Empty", Variant(), Variant(), opIntDivide, "EDivByZero: Division by zero"},
      {"Empty mod Empty", Variant(), Variant(), opModulus, "EDivByZero: Division by zero"},
      {"Empty plus integer", Variant(), 5, opAdd, "Integer:5"},
      {"Empty minus integer", Variant(), 5, opSubtract, "Integer:-5"},
      {"integer div Empty", 10, Variant(), opIntDivide, "EDivByZero: Division by zero"},
      {"Empty plus text", Variant(), "ab", opAdd, "String:ab"},
      {"Empty times text", Variant(), "4", opMultiply, "Double:0"},
      {"Empty plus real", Variant(), 2.5, opAdd, "Double:2.5"},
      {"Empty plus currency", Variant(), Curr(1.5), opAdd, "Currency:1.5"},
      {"Empty plus date", Variant(), DateV(3), opAdd, "Date:3"},
      {"Empty or True", Variant(), true, opOr, "Boolean:True"},
      {"Empty plus Int64", Variant(), Variant(Int64(7)), opAdd, "Int64:7"},
  });
}

TEST_F(VariantTest, CurrencyDateAndInt64KeepTheirPrecision)
{
  const Int64 max64 = std::numeric_limits<Int64>::max();
  RunOpCases({
      {"currency times integer", Curr(1.5), 2, opMultiply, "Currency:3"},
      {"currency over integer", Curr(10), 4, opDivide, "Currency:2.5"},
      {"currency over currency", Curr(1), Curr(3), opDivide, "Currency:0.3333"},
      {"currency plus double", Curr(1.5), 0.25, opAdd, "Double:1.75"},
      {"currency plus text", Curr(1.5), "1", opAdd, "Double:2.5"},
      {"currency by zero", Curr(1), 0, opDivide, "EZeroDivide: Floating point division by zero"},
      {"date plus number", DateV(45000), 1, opAdd, "Date:45001"},
      {"number plus date", 0.5, DateV(45000), opAdd, "Date:45000.5"},
      {"date minus date", DateV(45000), DateV(44999.5), opSubtract, "Double:0.5"},
      {"date minus number", DateV(45000), 1, opSubtract, "Date:44999"},
      {"date plus date", DateV(1), DateV(2), opAdd, "Date:3"},
      {"date times number", DateV(2), 2, opMultiply, "Double:4"},
      {"date plus date text", DateV(1), "1899-12-31", opAdd, "Date:2"},
      {"Int64 difference", Variant(Int64(5)), 3, opSubtract, "Int64:2"},
      {"Int64 overflow to float", Variant(max64), 1, opAdd, "Double:9.22337203685478E18"},
      {"Int64 over integer", Variant(Int64(10)), 4, opDivide, "Double:2.5"},
      {"Int64 shl", Variant(Int64(1)), 40, opShiftLeft, "Int64:1099511627776"},
      {"Int64 div", Variant(Int64(1) << 40), 2, opIntDivide, "Int64:549755813888"},
      {"words are 64-bit", Variant(Word(65535)), Variant(Word(1)), opAdd, "Int64:65536"},
  });
}

TEST_F(VariantTest, UnaryOperatorsAndInvalidKinds)
{
  struct Case {
    const char* name;
    std::function<Variant()> f;
    const char* expected;
  } cases[] = {
      {"negate min integer", [] { return -Variant(-2147483647 - 1); }, "Double:2147483648"},
      {"negate text", [] { return -Variant("3"); }, "Double:-3"},
      {"negate True", [] { return -Variant(true); }, "Integer:1"},
      {"negate currency", [] { return -Curr(1.5); }, "Currency:-1.5"},
      {"negate Null", [] { return -Null(); }, "Null:"},
      {"negate Empty", [] { return -Variant(); }, "Empty:"},
      {"not integer", [] { return ~Variant(0); }, "Integer:-1"},
      {"not Boolean", [] { return ~Variant(true); }, "Boolean:False"},
      {"not Null", [] { return ~Null(); }, "Null:"},
      {"not Empty", [] { return ~Variant(); }, "Integer:-1"},
      {"not Boolean text", [] { return ~Variant("false"); }, "Boolean:True"},
      {"not number text", [] { return ~Variant("5"); }, "Integer:-6"},
      {"not Int64", [] { return ~Variant(Int64(0)); }, "Int64:-1"},
      {"array operand", [] { return VarArrayOf({1}) + Variant(1); },
       "EVariantInvalidOpError: Invalid variant operation"},
      {"class operand", [] { return VarFromClass(TObjectClass()) + Variant(1); },
       "EVariantInvalidOpError: Invalid variant operation"},
      {"dispatch operand", [] { return Variant(1) * VarFromDispatch(nullptr); },
       "EVariantInvalidOpError: Invalid variant operation"},
      {"error operand", [] { return Null() + EmptyParam(); },
       "EVariantInvalidOpError: Invalid variant operation"},
      {"negate class", [] { return -VarFromClass(TObjectClass()); },
       "EVariantInvalidOpError: Invalid variant operation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string got;
    std::string error = ErrorOf([&] { got = Show(c.f()); });
    EXPECT_EQ(error == "no error" ? got : error, c.expected);
  }
}

TEST_F(VariantTest, CppOperatorsMapToTheVariantOperators)
{
  Variant v = 10;
  EXPECT_EQ(Show(v % Variant(3)), "Integer:1");
  EXPECT_EQ(Show(v << Variant(2)), "Integer:40");
  EXPECT_EQ(Show(v >> Variant(1)), "Integer:5");
  EXPECT_EQ(Show(v & Variant(6)), "Integer:2");
  EXPECT_EQ(Show(v | Variant(5)), "Integer:15");
  EXPECT_EQ(Show(v ^ Variant(3)), "Integer:9");
  v -= 4;
  v *= 2;
  v /= 3;
  EXPECT_EQ(Show(v), "Double:4");
}

// ---- Comparison -----------------------------------------------------------------------------

TEST_F(VariantTest, CompareTable)
{
  const Int64 max64 = std::numeric_limits<Int64>::max();
  struct Case {
    const char* name;
    Variant a;
    Variant b;
    TVariantRelationship expected;
  } cases[] = {
      {"Null = Null", Null(), Null(), vrEqual},
      {"Null < 0", Null(), 0, vrLessThan},
      {"0 > Null", 0, Null(), vrGreaterThan},
      {"Null < Empty", Null(), Variant(), vrLessThan},
      {"Null < empty text", Null(), "", vrLessThan},
      // Empty acts as the other operand's zero.
      {"Empty = Empty", Variant(), Variant(), vrEqual},
      {"Empty = 0", Variant(), 0, vrEqual},
      {"Empty = 0.0", Variant(), 0.0, vrEqual},
      {"Empty = ''", Variant(), "", vrEqual},
      {"Empty = False", Variant(), false, vrEqual},
      {"Empty = date 0", Variant(), DateV(0), vrEqual},
      {"Empty < 1", Variant(), 1, vrLessThan},
      {"Empty > -1", Variant(), -1, vrGreaterThan},
      {"Empty < 'a'", Variant(), "a", vrLessThan},
      {"-1 < Empty", -1, Variant(), vrLessThan},
      // Texts compare byte-wise and case-sensitively.
      {"a < b", "a", "b", vrLessThan},
      {"B < a", "B", "a", vrLessThan},
      {"abc < abd", "abc", "abd", vrLessThan},
      {"high bytes above ASCII", "啊", "z", vrGreaterThan},
      {"wide = text", Variant(u"ab"), "ab", vrEqual},
      {"wide < wide", Variant(u"a"), Variant(u"b"), vrLessThan},
      {"text 10 < text 9", "10", "9", vrLessThan},
      // Text against a number is numeric, against a date a date.
      {"text 10 > 9", "10", 9, vrGreaterThan},
      {"9 < text 10", 9, "10", vrLessThan},
      {"text = double", " 1.5 ", 1.5, vrEqual},
      {"date = date text", DateV(45000), "2023-3-15", vrEqual},
      {"date text < date", "2023-3-14", DateV(45000), vrLessThan},
      // Booleans: False < True; against numbers True is -1.
      {"False < True", false, true, vrLessThan},
      {"True = -1", true, -1, vrEqual},
      {"True < 1", true, 1, vrLessThan},
      {"True = 'true'", true, "true", vrEqual},
      // Numbers numerically, exact where both sides are exact.
      {"integer < double", 1, 1.5, vrLessThan},
      {"currency = double", Curr(1.5), 1.5, vrEqual},
      {"currency = Int64", Curr(2), Variant(Int64(2)), vrEqual},
      {"currency > integer", Curr(1.0001), 1, vrGreaterThan},
      {"integer < currency", 1, Curr(1.0001), vrLessThan},
      {"Int64 exact", Variant(max64), Variant(max64 - 1), vrGreaterThan},
      {"date = number", DateV(45000), 45000, vrEqual},
      {"longword > integer", Variant(LongWord(4294967295u)), -1, vrGreaterThan},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VarCompareValue(c.a, c.b), c.expected);
  }
}

TEST_F(VariantTest, CompareOperatorsAndErrors)
{
  EXPECT_TRUE(Null() == Null());
  EXPECT_FALSE(Null() == Variant(0));
  EXPECT_TRUE(Null() != Variant(0));
  EXPECT_FALSE(Null() < Null());
  EXPECT_TRUE(Null() <= Null());
  EXPECT_TRUE(Null() >= Null());
  EXPECT_TRUE(Null() < Variant(-1000));
  EXPECT_TRUE(Variant("b") > Variant("a"));
  EXPECT_EQ(ErrorOf([] { (void)(Variant("abc") == Variant(1)); }), CastError("String", "Double"));
  EXPECT_EQ(ErrorOf([] { (void)(Variant(1) < Variant("abc")); }), CastError("String", "Double"));
  EXPECT_EQ(ErrorOf([] { VarCompareValue(VarArrayOf({1}), VarArrayOf({1})); }),
            "EVariantInvalidOpError: Invalid variant operation");
  Variant cls = VarFromClass(TObjectClass());
  EXPECT_EQ(ErrorOf([&] { (void)(cls == cls); }),
            "EVariantInvalidOpError: Invalid variant operation");
}

// ---- Arrays ---------------------------------------------------------------------------------

TEST_F(VariantTest, OneDimensionalArrayCoercesOnPut)
{
  Variant a = VarArrayCreate({1, 5}, varInteger);
  EXPECT_EQ(VarType(a), varArray | varInteger);
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayLowBound(a, 1), 1);
  EXPECT_EQ(VarArrayHighBound(a, 1), 5);
  EXPECT_EQ(Show(VarArrayGet(a, {3})), "Integer:0");
  VarArrayPut(a, "7", {3});
  VarArrayPut(a, 2.5, {5});
  EXPECT_EQ(Show(VarArrayGet(a, {3})), "Integer:7");
  EXPECT_EQ(Show(VarArrayGet(a, {5})), "Integer:2");
  EXPECT_EQ(ErrorOf([&] { VarArrayPut(a, "x", {1}); }), CastError("String", "Integer"));

  Variant s = VarArrayCreate({0, 2}, varString);
  EXPECT_EQ(Show(VarArrayGet(s, {2})), "String:");
  VarArrayPut(s, 12, {0});
  EXPECT_EQ(Show(VarArrayGet(s, {0})), "String:12");
}

TEST_F(VariantTest, MultiDimensionalArraysKeepEveryElementApart)
{
  Variant m = VarArrayCreate({0, 2, 0, 3}, varVariant); // rows 0..2, columns 0..3
  EXPECT_EQ(VarArrayDimCount(m), 2);
  EXPECT_EQ(VarArrayHighBound(m, 2), 3);
  for (int r = 0; r <= 2; ++r)
    for (int c = 0; c <= 3; ++c)
      VarArrayPut(m, r * 10 + c, {r, c});
  for (int r = 0; r <= 2; ++r)
    for (int c = 0; c <= 3; ++c)
      EXPECT_EQ(VarArrayGet(m, {r, c}).AsInteger(), r * 10 + c);

  Variant cube = VarArrayCreate({1, 2, -1, 1, 5, 6}, varDouble);
  for (int i = 1; i <= 2; ++i)
    for (int j = -1; j <= 1; ++j)
      for (int k = 5; k <= 6; ++k)
        VarArrayPut(cube, i * 100 + j * 10 + k, std::vector<Integer>{i, j, k});
  for (int i = 1; i <= 2; ++i)
    for (int j = -1; j <= 1; ++j)
      for (int k = 5; k <= 6; ++k)
        EXPECT_EQ(VarArrayGet(cube, std::vector<Integer>{i, j, k}).AsDouble(),
                  i * 100 + j * 10 + k);
  EXPECT_EQ(Show(VarArrayGet(cube, {1, 0, 5})), "Double:105");
}

TEST_F(VariantTest, ArrayCopiesAreIndependent)
{
  Variant a = VarArrayOf({1, "two", 3.0});
  Variant b = a;
  VarArrayPut(b, 99, {1});
  EXPECT_EQ(Show(VarArrayGet(a, {1})), "String:two");
  EXPECT_EQ(Show(VarArrayGet(b, {1})), "Integer:99");

  // An array stored in its own element keeps the old value, not a cycle.
  VarArrayPut(a, a, {0});
  Variant inner = VarArrayGet(a, {0});
  EXPECT_EQ(Show(VarArrayGet(inner, {0})), "Integer:1");

  Variant nested = VarArrayOf({1, VarArrayOf({2, 3})});
  EXPECT_EQ(VarArrayGet(VarArrayGet(nested, {1}), {1}).AsInteger(), 3);
}

TEST_F(VariantTest, RedimResizesTheLastDimension)
{
  Variant a = VarArrayOf({1, 2, 3});
  Variant keep = a;
  VarArrayRedim(a, 4);
  EXPECT_EQ(VarArrayHighBound(a, 1), 4);
  EXPECT_EQ(VarArrayGet(a, {2}).AsInteger(), 3);
  EXPECT_TRUE(VarIsEmpty(VarArrayGet(a, {4})));
  EXPECT_EQ(VarArrayHighBound(keep, 1), 2);
  VarArrayRedim(a, -1);
  EXPECT_EQ(VarArrayHighBound(a, 1), -1);

  Variant m = VarArrayCreate({0, 1, 0, 1}, varInteger);
  VarArrayPut(m, 11, {1, 1});
  VarArrayRedim(m, 2);
  EXPECT_EQ(VarArrayGet(m, {1, 1}).AsInteger(), 11);
  EXPECT_EQ(VarArrayGet(m, {1, 2}).AsInteger(), 0);
  EXPECT_EQ(VarArrayHighBound(m, 1), 1);
}

TEST_F(VariantTest, EmptyArraysAndArrayErrors)
{
  Variant e = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(VarArrayLowBound(e, 1), 0);
  EXPECT_EQ(VarArrayHighBound(e, 1), -1);
  EXPECT_EQ(VarArrayHighBound(VarArrayOf({}), 1), -1);
  EXPECT_EQ(VarArrayDimCount(Variant(5)), 0);

  const std::string notArray = "EVariantNotAnArrayError: Variant is not an array";
  const std::string bounds = "EVariantBadIndexError: Variant or safe array index out of bounds";
  const std::string create = "EVariantArrayCreateError: Error creating variant or safe array";
  Variant five = 5, a = VarArrayCreate({0, 2, 0, 2}, varVariant);
  EXPECT_EQ(ErrorOf([&] { VarArrayRedim(five, 3); }), notArray);
  EXPECT_EQ(ErrorOf([&] { VarArrayGet(five, {0}); }), notArray);
  EXPECT_EQ(ErrorOf([&] { VarArrayPut(five, 1, {0}); }), notArray);
  EXPECT_EQ(ErrorOf([&] { VarArrayLowBound(five, 1); }), notArray);
  EXPECT_EQ(ErrorOf([&] { VarArrayGet(e, {0}); }), bounds);
  EXPECT_EQ(ErrorOf([&] { VarArrayGet(a, {3, 0}); }), bounds);
  EXPECT_EQ(ErrorOf([&] { VarArrayGet(a, {0, -1}); }), bounds);
  EXPECT_EQ(ErrorOf([&] { VarArrayGet(a, {0}); }), bounds);
  EXPECT_EQ(ErrorOf([&] { VarArrayHighBound(a, 3); }), bounds);
  EXPECT_EQ(ErrorOf([&] { VarArrayRedim(a, -2); }), bounds);
  EXPECT_EQ(ErrorOf([] { VarArrayCreate({1}, varInteger); }), create);
  EXPECT_EQ(ErrorOf([] { VarArrayCreate({0, 1}, varNull); }), create);
  EXPECT_EQ(ErrorOf([] { VarArrayCreate({5, 3}, varInteger); }), create);
  EXPECT_EQ(ErrorOf([] { VarArrayCreate({0, 1000000, 0, 1000000}, varByte); }), create);
}

// ---- Objects, classes, dispatch -------------------------------------------------------------

TEST_F(VariantTest, ObjectsTravelAsHandles)
{
  auto* obj = new TObject;
  Variant v = VarFromObject(obj);
  EXPECT_EQ(VarType(v), varInteger);
  EXPECT_EQ(v.AsInteger(), ObjectToHandle(obj));
  EXPECT_EQ(VarToObject(v), obj);
  delete obj;
  const std::string invalid = "EVariantInvalidArgError: Invalid object reference";
  EXPECT_EQ(ErrorOf([&] { VarToObject(v); }), invalid);

  Variant nil = VarFromObject(nullptr);
  EXPECT_EQ(Show(nil), "Integer:0");
  EXPECT_TRUE(nil == Variant(0));
  EXPECT_EQ(VarToObject(Variant(0)), nullptr);
  EXPECT_EQ(VarToObject(Variant()), nullptr);
  EXPECT_EQ(ErrorOf([] { VarToObject(Variant(5)); }), invalid);
  EXPECT_EQ(ErrorOf([] { VarToObject(Variant("x")); }), invalid);
}

TEST_F(VariantTest, ClassValuesOnlyGiveTheirClass)
{
  Variant cls = VarFromClass(TObjectClass());
  Variant copy = cls;
  EXPECT_EQ(VarToClass(copy), TObjectClass());
  EXPECT_TRUE(VarIsClass(copy));
  EXPECT_EQ(ErrorOf([&] { VarToStr(cls); }), CastError("Class", "String"));
  EXPECT_EQ(ErrorOf([&] { cls.AsBoolean(); }), CastError("Class", "Boolean"));
  EXPECT_EQ(ErrorOf([] { VarToClass(Variant(1)); }), CastError("Integer", "Class"));
}

TEST_F(VariantTest, DispatchValuesCountReferences)
{
  int destroyed = 0;
  auto* disp = new TestDispatch(&destroyed);
  {
    Variant v = VarFromDispatch(disp);
    EXPECT_EQ(disp->RefCount(), 1);
    {
      Variant copy = v;
      EXPECT_EQ(disp->RefCount(), 2);
      EXPECT_EQ(VarToDispatch(copy), disp);
    }
    EXPECT_EQ(disp->RefCount(), 1);
    Variant result = VarToDispatch(v)->Invoke("Cells", DISPATCH_PROPERTYPUT, {1, 2, 5});
    EXPECT_EQ(Show(result), "String:Cells:4:3");
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(ErrorOf([] { VarToDispatch(Variant(5)); }), CastError("Integer", "Dispatch"));
  EXPECT_EQ(VarToDispatch(VarFromDispatch(nullptr)), nullptr);
}

// ---- Format arguments -----------------------------------------------------------------------

TEST_F(VariantTest, VarToVarRecFeedsFormat)
{
  Variant i = 5, big = Int64(1) << 40, s = "运单", d = 1.5, c = Curr(2.25), n = Null(), b = true,
          w = WideString(u"w");
  EXPECT_EQ(Format("%d|%d|%s|%.2f|%.1f|%s", {VarToVarRec(i), VarToVarRec(big), VarToVarRec(s),
                                             VarToVarRec(d), VarToVarRec(c), VarToVarRec(w)}),
            "5|1099511627776|运单|1.50|2.3|w");
  EXPECT_TRUE(VarToVarRec(n).IsText());
  EXPECT_EQ(VarToVarRec(n).AsText(), "");
  EXPECT_EQ(VarToVarRec(s).AsText().data(), s.StringRef().data()); // borrowed, not copied
  EXPECT_EQ(VarToVarRec(b).VType(), TVarRec::vtBoolean);
  EXPECT_EQ(ErrorOf([] {
              Variant a = VarArrayOf({1});
              VarToVarRec(a);
            }),
            CastError("Array Variant", "String"));
}
