// Variant: the one dynamically typed value shared by the script engine, the report engine
// and the data-aware control libraries, with the runtime's kinds, conversions, operators,
// comparison, Null and arrays. Object references travel as handles (ObjectHandles.h).
#pragma once

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

using TVarType = Word;

// Kind codes, as scripts see them.
inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varDispatch = 0x0009;
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varUnknown = 0x000D;
inline constexpr TVarType varShortInt = 0x0010;
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varStrArg = 0x0048;
inline constexpr TVarType varString = 0x0100; // 8-bit (GBK) text
inline constexpr TVarType varAny = 0x0101;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;
inline constexpr TVarType varByRef = 0x4000; // never set: values are not held by reference

// Kinds of the database records: the SQL time stamp (SqlTimSt.h) and the binary-coded
// decimal (FMTBcd.h), at the first codes the runtime gives to kinds it does not know itself.
inline constexpr TVarType varSQLTimeStamp = 0x010F;
inline constexpr TVarType varFMTBcd = 0x0110;

// The internal kind of a class value (a TClass). A script may only construct from it;
// every conversion, operator and comparison raises. Its type name is "Class".
inline constexpr TVarType varClassRef = 0x0FF0;

// The error code of EmptyParam ("parameter not found").
inline constexpr Integer VAR_PARAMNOTFOUND = Integer(0x80020004);

class Variant;
class IDispatch;
class TVarRec; // NumFormat.h

// Payloads of the reference-counted kinds; defined in VariantsPrivate.h.
struct TVarStrData;
struct TVarWideData;
struct TVarArrayData;
struct TVarCustomData;

// Operators of VarOp, in the order of the runtime's operator codes.
enum TVarOp {
  opAdd,
  opSubtract,
  opMultiply,
  opDivide,
  opIntDivide,
  opModulus,
  opShiftLeft,
  opShiftRight,
  opAnd,
  opOr,
  opXor
};

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan };

// When true (the default), reading Null as a number, text, Boolean or date raises
// EVariantTypeCastError; when false, Null reads as 0, '', False and date 0. The program
// sets it to false at start-up. VarToStr always gives '' for Null.
extern bool NullStrictConvert;

class Variant {
public:
  // Empty.
  constexpr Variant() noexcept { FData.VInt64 = 0; }

  Variant(bool value) noexcept : FType(varBoolean) { FData.VInt64 = 0, FData.VBoolean = value; }
  Variant(ShortInt value) noexcept : FType(varShortInt) { FData.VInt64 = value; }
  Variant(Byte value) noexcept : FType(varByte) { FData.VInt64 = value; }
  Variant(SmallInt value) noexcept : FType(varSmallint) { FData.VInt64 = value; }
  Variant(Word value) noexcept : FType(varWord) { FData.VInt64 = value; }
  Variant(Integer value) noexcept : FType(varInteger) { FData.VInt64 = value; }
  Variant(LongWord value) noexcept : FType(varLongWord) { FData.VInt64 = value; }
  Variant(Int64 value) noexcept : FType(varInt64) { FData.VInt64 = value; }
  Variant(Single value) noexcept : FType(varSingle) { FData.VInt64 = 0, FData.VSingle = value; }
  Variant(Double value) noexcept : FType(varDouble) { FData.VDouble = value; }
  Variant(Currency value) noexcept : FType(varCurrency) { FData.VInt64 = value.Raw(); }
  Variant(const char* value);
  Variant(const AnsiString& value);
  Variant(AnsiString&& value);
  Variant(const char16_t* value);
  Variant(const WideString& value);
  Variant(WideString&& value);

  // No silent conversion of pointers (they would become Booleans) or of single characters.
  template <class T> Variant(T*) = delete;
  Variant(std::nullptr_t) = delete;
  Variant(char) = delete;

  Variant(const Variant& other) noexcept
      : FType(other.FType), FShared(other.FShared), FData(other.FData)
  {
    if (FShared)
      AddRefPayload();
  }
  Variant(Variant&& other) noexcept : FType(other.FType), FShared(other.FShared), FData(other.FData)
  {
    other.FType = varEmpty;
    other.FShared = false;
  }
  ~Variant()
  {
    if (FShared)
      ReleasePayload();
  }
  // Assignments between values without payloads (numbers, Booleans, Null ...) are plain
  // copies; the rest count references.
  Variant& operator=(const Variant& other) noexcept
  {
    if (!FShared && !other.FShared) {
      FType = other.FType;
      FData = other.FData;
    } else if (this != &other) {
      Variant tmp(other);
      Swap(tmp);
    }
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept
  {
    if (FShared) {
      Swap(other); // other's destructor releases the old payload
    } else if (this != &other) {
      FType = other.FType;
      FShared = other.FShared;
      FData = other.FData;
      other.FType = varEmpty;
      other.FShared = false;
    }
    return *this;
  }
  void Swap(Variant& other) noexcept
  {
    std::swap(FType, other.FType);
    std::swap(FShared, other.FShared);
    std::swap(FData, other.FData);
  }

  // Makes the value Empty.
  void Clear() noexcept
  {
    if (FShared)
      ReleasePayload();
    FType = varEmpty;
  }

  TVarType Type() const { return FType; }

  // Conversions with the runtime's rules. Failures raise EVariantTypeCastError
  // "Could not convert variant of type (%s) into type (%s)"; out-of-range numbers raise
  // EVariantOverflowError "Variant overflow". Floats round to the even neighbour.
  Integer AsInteger() const;
  Int64 AsInt64() const;
  Double AsDouble() const;
  Currency AsCurrency() const;
  Boolean AsBoolean() const;
  TDateTime AsDateTime() const;
  AnsiString AsString() const;
  WideString AsWideString() const;

  // The text of a varString value without copying it; any other kind raises the cast error.
  const AnsiString& StringRef() const;

  // Raw reads for hot paths: the value of an Integer or Int64, of a Double, of a Boolean
  // Variant, without any conversion; false (and value untouched) for every other kind.
  bool GetInteger(Int64& value) const noexcept
  {
    if (FType != varInteger && FType != varInt64)
      return false;
    value = FData.VInt64; // an Integer is kept sign-extended
    return true;
  }
  bool GetDouble(Double& value) const noexcept
  {
    if (FType != varDouble)
      return false;
    value = FData.VDouble;
    return true;
  }
  bool GetBoolean(bool& value) const noexcept
  {
    if (FType != varBoolean)
      return false;
    value = FData.VBoolean;
    return true;
  }

  Variant& operator+=(const Variant& other);
  Variant& operator-=(const Variant& other);
  Variant& operator*=(const Variant& other);
  Variant& operator/=(const Variant& other);

  // Arithmetic, as VarOp; % is mod, << and >> are shl and shr, & | ^ are and, or, xor.
  friend Variant operator+(const Variant& a, const Variant& b);
  friend Variant operator-(const Variant& a, const Variant& b);
  friend Variant operator*(const Variant& a, const Variant& b);
  friend Variant operator/(const Variant& a, const Variant& b);
  friend Variant operator%(const Variant& a, const Variant& b);
  friend Variant operator<<(const Variant& a, const Variant& b);
  friend Variant operator>>(const Variant& a, const Variant& b);
  friend Variant operator&(const Variant& a, const Variant& b);
  friend Variant operator|(const Variant& a, const Variant& b);
  friend Variant operator^(const Variant& a, const Variant& b);
  friend Variant operator-(const Variant& a);
  friend Variant operator~(const Variant& a);

  // Comparisons, as VarCompareValue.
  friend bool operator==(const Variant& a, const Variant& b);
  friend bool operator!=(const Variant& a, const Variant& b);
  friend bool operator<(const Variant& a, const Variant& b);
  friend bool operator<=(const Variant& a, const Variant& b);
  friend bool operator>(const Variant& a, const Variant& b);
  friend bool operator>=(const Variant& a, const Variant& b);

private:
  union TVarData {
    Boolean VBoolean;
    ShortInt VShortInt;
    Byte VByte;
    SmallInt VSmallInt;
    Word VWord;
    Integer VInteger;
    LongWord VLongWord;
    Int64 VInt64; // also varCurrency (value x 10000)
    Single VSingle;
    Double VDouble; // also varDate
    TClass VClass;
    TVarStrData* VString;
    TVarWideData* VOleStr;
    TVarArrayData* VArray;
    TVarCustomData* VCustom;
    IDispatch* VDispatch;
  };

  void AddRefPayload() const noexcept;
  void ReleasePayload() noexcept;

  TVarType FType = varEmpty;
  bool FShared = false; // FData holds a reference-counted payload
  TVarData FData;

  friend struct TVariantAccess;
};

static_assert(sizeof(Variant) == 16, "a Variant is 16 bytes");

// Late-bound automation objects. A varDispatch Variant holds one reference; the object is
// deleted with its last reference. Implementations live with the automation servers.
inline constexpr Integer DISPATCH_METHOD = 1;
inline constexpr Integer DISPATCH_PROPERTYGET = 2;
inline constexpr Integer DISPATCH_PROPERTYPUT = 4;

class IDispatch {
public:
  IDispatch() = default;
  IDispatch(const IDispatch&) = delete;
  IDispatch& operator=(const IDispatch&) = delete;
  virtual ~IDispatch() = default;

  // Calls member name. flags is DISPATCH_METHOD, DISPATCH_PROPERTYGET (both together for a
  // call that may be either) or DISPATCH_PROPERTYPUT. args are in source order; for a
  // property put the value written is the last one. Failures raise an Exception.
  virtual Variant Invoke(const AnsiString& name, Integer flags,
                         const std::vector<Variant>& args) = 0;

  void AddRef() noexcept { ++FRefCount; }
  void Release() noexcept
  {
    if (--FRefCount == 0)
      delete this;
  }
  Integer RefCount() const { return FRefCount; }

private:
  Integer FRefCount = 0; // the system is single-threaded (UI thread only)
};

// Special values.
Variant Null();
Variant Unassigned();
Variant EmptyParam();
Variant VarAsError(Integer code);
Variant VarFromDateTime(TDateTime value);

// Kind queries.
inline TVarType VarType(const Variant& v)
{
  return v.Type();
}
inline bool VarIsNull(const Variant& v)
{
  return v.Type() == varNull;
}
inline bool VarIsEmpty(const Variant& v)
{
  return v.Type() == varEmpty;
}
inline bool VarIsArray(const Variant& v)
{
  return (v.Type() & varArray) != 0;
}
bool VarIsClear(const Variant& v); // Empty, or a dispatch value without an object
bool VarIsStr(const Variant& v);
bool VarIsOrdinal(const Variant& v); // integer kinds and Boolean
bool VarIsFloat(const Variant& v);   // Single, Double, Currency
bool VarIsNumeric(const Variant& v); // ordinal or float
bool VarIsClass(const Variant& v);

// "Integer", "String", "Array Variant", "$0F00" for codes without a name.
AnsiString VarTypeAsText(TVarType type);

// Conversions.
Variant VarAsType(const Variant& v, TVarType type);
AnsiString VarToStr(const Variant& v); // Null and arrays give ''
WideString VarToWideStr(const Variant& v);
TDateTime VarToDateTime(const Variant& v);

// The Format argument for a Variant (include NumFormat.h to use it). Integer kinds give
// integer records, floats, dates and Currency float records, texts text records that
// borrow the Variant's text (so v must outlive the record), Empty and Null the empty text;
// other kinds raise EVariantTypeCastError (into type String).
TVarRec VarToVarRec(const Variant& v);
TVarRec VarToVarRec(const Variant&& v) = delete;

// Operators by code (the script engine's entry), negation and not. The operand kinds
// decide the arithmetic:
//   - Null: "and" with False gives False, "or" with True gives True, all else gives Null.
//   - Empty acts as the other operand's zero (Empty with Empty stays Empty, but "/" raises
//     EZeroDivide and div/mod raise EDivByZero).
//   - integers and Booleans (True = -1): 32-bit; + - * that overflow give the exact Double;
//     "/" always gives a Double; shl/shr take the count mod 32, shr fills with zeros.
//   - text + text concatenates; any other operator with text, or with a real, works in
//     Double (+ - * /) or on 32-bit integers (div mod shl shr and or xor).
//   - Boolean with Boolean or text: and, or, xor are logical.
//   - Currency with integers stays Currency, with reals or text gives Double; date +/-
//     number gives a date, date - date a Double; 64-bit kinds (Word, LongWord, Int64) work
//     in 64 bits and overflow to Double.
// Arrays, dispatch, error and class values raise EVariantInvalidOpError.
Variant VarOp(const Variant& left, const Variant& right, TVarOp op);
// v := v + tail for an 8-bit text v (any other kind raises the cast error). The text grows in
// place when no other Variant shares it, so a text appended to in a loop costs linear time.
void VarStrAppend(Variant& v, const AnsiString& tail);
AnsiString& VarStrUnique(Variant& v);
Variant VarNeg(const Variant& v);
Variant VarNot(const Variant& v);

// Three-way comparison with the rules of = and <. Null equals Null and is less than any
// other value; Empty compares as the other operand's zero; texts compare byte by byte
// (case-sensitive); text against a number compares numerically, against a date as a date;
// False < True, and against numbers True is -1. Conversion failures raise (an
// EVariantError) for the caller to map.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);

// Objects travel as 32-bit handles: VarType reports varInteger and AsInteger gives the
// handle. VarToObject: Empty, Null and 0 give nil; a handle of no live object raises
// EVariantInvalidArgError "Invalid object reference", as does any non-integer value.
Variant VarFromObject(TObject* obj);
TObject* VarToObject(const Variant& v);

// Class values; VarToClass of anything else raises EVariantTypeCastError.
Variant VarFromClass(TClass cls);
TClass VarToClass(const Variant& v);

// Dispatch values: the Variant takes a reference. VarToDispatch of any other kind raises
// EVariantTypeCastError (into type Dispatch); a Variant without an object gives null.
Variant VarFromDispatch(IDispatch* disp);
IDispatch* VarToDispatch(const Variant& v);

// Arrays. Bounds are pairs (low, high) per dimension; high = low - 1 makes an empty
// dimension. Element kinds: the numeric kinds, Boolean, Date, both texts, varVariant,
// varDispatch; others raise EVariantArrayCreateError. Elements start as the kind's zero
// (Empty for varVariant). Indexes given to Get/Put name every dimension.
Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elementType);
Variant VarArrayOf(const std::vector<Variant>& values);  // bounds 0..n-1 of varVariant
Integer VarArrayDimCount(const Variant& a);              // 0 for a non-array
Integer VarArrayLowBound(const Variant& a, Integer dim); // dim counts from 1
Integer VarArrayHighBound(const Variant& a, Integer dim);
TVarType VarArrayElementType(const Variant& a);
Variant VarArrayGet(const Variant& a, std::initializer_list<Integer> indices);
Variant VarArrayGet(const Variant& a, const std::vector<Integer>& indices);
// Stores value, converted to the element kind; a shared array is copied first.
void VarArrayPut(Variant& a, const Variant& value, std::initializer_list<Integer> indices);
void VarArrayPut(Variant& a, const Variant& value, const std::vector<Integer>& indices);
// Resizes the last dimension to end at highBound; new elements are the kind's zero.
void VarArrayRedim(Variant& a, Integer highBound);
