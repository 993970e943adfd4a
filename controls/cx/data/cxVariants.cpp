// Variant comparison, variant arrays, typed stream helpers and the variant stream encoding;
// the format is documented in cxVariants.h.
#include "controls/cx/data/cxVariants.h"

#include <cstring>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/RtlConsts.h"

namespace {

// Value codes of the variant stream encoding.
enum : Byte {
  vcNull = 0,
  vcList = 1,
  vcInt8 = 2,
  vcInt16 = 3,
  vcInt32 = 4,
  vcExtended = 5,
  vcString = 6,
  vcFalse = 8,
  vcTrue = 9,
  vcLString = 12,
  vcNil = 13,
  vcSingle = 15,
  vcCurrency = 16,
  vcDate = 17,
  vcWString = 18,
};

// Arrays inside arrays deeper than this are refused when read.
constexpr Integer MaxVariantNesting = 256;

[[noreturn]] void ReadError()
{
  throw EReadError(SReadError);
}

[[noreturn]] void WriteError()
{
  throw EWriteError(SWriteError);
}

// Bytes between the position and the end; a count read from a stream is checked against
// it before anything is allocated.
Int64 BytesLeft(TStream* AStream)
{
  Int64 left = AStream->Size() - AStream->Position();
  return left < 0 ? 0 : left;
}

template <class T> T ReadLE(TStream* AStream)
{
  Byte bytes[sizeof(T)];
  AStream->ReadBuffer(bytes, sizeof(T));
  std::make_unsigned_t<T> raw = 0;
  for (size_t i = 0; i < sizeof(T); ++i)
    raw |= static_cast<std::make_unsigned_t<T>>(bytes[i]) << (8 * i);
  return static_cast<T>(raw);
}

template <class T> void WriteLE(TStream* AStream, T value)
{
  Byte bytes[sizeof(T)];
  auto raw = static_cast<std::make_unsigned_t<T>>(value);
  for (size_t i = 0; i < sizeof(T); ++i)
    bytes[i] = static_cast<Byte>(raw >> (8 * i));
  AStream->WriteBuffer(bytes, sizeof(T));
}

Double ReadDouble(TStream* AStream)
{
  UInt64 raw = ReadLE<UInt64>(AStream);
  Double value;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

void WriteDouble(TStream* AStream, Double value)
{
  UInt64 raw;
  std::memcpy(&raw, &value, sizeof raw);
  WriteLE(AStream, raw);
}

bool IsIntegerKind(TVarType type)
{
  return type == varSmallint || type == varInteger || type == varShortInt || type == varByte;
}

void WriteIntegerValue(TStream* AStream, Integer value)
{
  if (value >= -128 && value <= 127) {
    WriteStreamByte(AStream, vcInt8);
    WriteLE(AStream, static_cast<ShortInt>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteStreamByte(AStream, vcInt16);
    WriteLE(AStream, static_cast<SmallInt>(value));
  } else {
    WriteStreamByte(AStream, vcInt32);
    WriteLE(AStream, value);
  }
}

void WriteAnsiValue(TStream* AStream, const AnsiString& text)
{
  if (text.size() <= 255) {
    WriteStreamByte(AStream, vcString);
    WriteStreamByte(AStream, static_cast<Byte>(text.size()));
  } else {
    WriteStreamByte(AStream, vcLString);
    WriteLE(AStream, static_cast<Integer>(text.size()));
  }
  AStream->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

AnsiString ReadBytes(TStream* AStream, Int64 count)
{
  if (count < 0 || count > BytesLeft(AStream))
    ReadError();
  AnsiString text(static_cast<size_t>(count), '\0');
  AStream->ReadBuffer(text.data(), static_cast<Integer>(count));
  return text;
}

void WriteValue(TStream* AStream, const Variant& V)
{
  TVarType type = VarType(V);
  if (VarIsArray(V)) {
    if (VarArrayDimCount(V) != 1)
      WriteError();
    Integer low = VarArrayLowBound(V, 1), high = VarArrayHighBound(V, 1);
    WriteStreamByte(AStream, vcList);
    WriteIntegerValue(AStream, high - low + 1);
    for (Integer i = low; i <= high; ++i)
      WriteValue(AStream, VarArrayGet(V, {i}));
    return;
  }
  switch (type) {
  case varEmpty:
    WriteStreamByte(AStream, vcNil);
    return;
  case varNull:
    WriteStreamByte(AStream, vcNull);
    return;
  case varSingle:
    WriteStreamByte(AStream, vcSingle);
    {
      Single f = static_cast<Single>(V.AsDouble());
      LongWord raw;
      std::memcpy(&raw, &f, sizeof raw);
      WriteLE(AStream, raw);
    }
    return;
  case varDouble:
    WriteStreamByte(AStream, vcExtended);
    WriteStreamFloat(AStream, V.AsDouble());
    return;
  case varCurrency:
    WriteStreamByte(AStream, vcCurrency);
    WriteStreamCurrency(AStream, V.AsCurrency());
    return;
  case varDate:
    WriteStreamByte(AStream, vcDate);
    WriteStreamDateTime(AStream, V.AsDateTime());
    return;
  case varOleStr: {
    WriteStreamByte(AStream, vcWString);
    WriteStreamWideString(AStream, V.AsWideString());
    return;
  }
  case varBoolean:
    WriteStreamByte(AStream, V.AsBoolean() ? vcTrue : vcFalse);
    return;
  case varString:
    WriteAnsiValue(AStream, V.StringRef());
    return;
  default:
    break;
  }
  if (IsIntegerKind(type)) {
    WriteIntegerValue(AStream, V.AsInteger());
    return;
  }
  // Every other kind travels as its text.
  AnsiString text;
  try {
    text = VarToStr(V);
  } catch (const Exception&) {
    WriteError();
  }
  WriteAnsiValue(AStream, text);
}

Variant ReadValue(TStream* AStream, Integer depth)
{
  Byte code = ReadStreamByteValue(AStream);
  switch (code) {
  case vcNull:
    return Null();
  case vcList: {
    if (depth >= MaxVariantNesting)
      ReadError();
    Byte countCode = ReadStreamByteValue(AStream);
    Integer count = countCode == vcInt8    ? ReadLE<ShortInt>(AStream)
                    : countCode == vcInt16 ? ReadLE<SmallInt>(AStream)
                                           : ReadLE<Integer>(AStream);
    // Every element takes at least its code byte.
    if (count < 0 || count > BytesLeft(AStream))
      ReadError();
    Variant result = VarArrayCreate({0, count - 1}, varVariant);
    for (Integer i = 0; i < count; ++i)
      VarArrayPut(result, ReadValue(AStream, depth + 1), {i});
    return result;
  }
  case vcInt8:
    return Variant(ReadLE<ShortInt>(AStream));
  case vcInt16:
    return Variant(ReadLE<SmallInt>(AStream));
  case vcInt32:
    return Variant(ReadLE<Integer>(AStream));
  case vcExtended: {
    Byte bytes[10];
    AStream->ReadBuffer(bytes, 10);
    return Variant(ExtendedBytesToDouble(bytes));
  }
  case vcString:
    return Variant(ReadBytes(AStream, ReadStreamByteValue(AStream)));
  case vcFalse:
    return Variant(false);
  case vcTrue:
    return Variant(true);
  case vcLString:
    return Variant(ReadBytes(AStream, ReadLE<Integer>(AStream)));
  case vcNil:
    return Variant();
  case vcSingle: {
    LongWord raw = ReadLE<LongWord>(AStream);
    Single f;
    std::memcpy(&f, &raw, sizeof f);
    return Variant(f);
  }
  case vcCurrency:
    return Variant(ReadStreamCurrencyValue(AStream));
  case vcDate:
    return VarFromDateTime(ReadStreamDateTimeValue(AStream));
  case vcWString:
    return Variant(ReadStreamWideStringValue(AStream));
  default:
    ReadError();
  }
}

} // namespace

// ---- Comparison ----

Integer VariantCompare(const Variant& A, const Variant& B)
{
  if (VarIsArray(A) || VarIsArray(B))
    return VariantArrayCompare(A, B);
  try {
    switch (VarCompareValue(A, B)) {
    case vrEqual:
      return 0;
    case vrLessThan:
      return -1;
    default:
      return 1;
    }
  } catch (const EVariantError&) {
    return -1;
  }
}

Integer VariantArrayCompare(const Variant& A, const Variant& B)
{
  bool aArray = VarIsArray(A), bArray = VarIsArray(B);
  if (aArray && bArray) {
    Integer aHigh = VarArrayHighBound(A, 1), bHigh = VarArrayHighBound(B, 1);
    Integer d = aHigh - bHigh;
    if (d != 0)
      return d;
    Integer aLow = VarArrayLowBound(A, 1), bLow = VarArrayLowBound(B, 1);
    // Elements are paired from index 0 whatever the low bounds are.
    for (Integer i = 0; i <= aHigh; ++i) {
      Integer c = VariantCompare(VarArrayGet(A, {aLow + i}), VarArrayGet(B, {bLow + i}));
      if (c != 0)
        return c;
    }
    return 0;
  }
  if (aArray)
    return 1;
  if (bArray)
    return -1;
  return VariantCompare(A, B);
}

bool VariantCompareEqual(const Variant& A, const Variant& B)
{
  return VariantCompare(A, B) == 0;
}

bool VariantEquals(const Variant& A, const Variant& B)
{
  if (VarIsNull(A) || VarIsNull(B) || (VarType(A) != varBoolean && VarType(B) != varBoolean))
    return VariantCompareEqual(A, B);
  try {
    return VarAsType(A, varString).StringRef() == VarAsType(B, varString).StringRef();
  } catch (const EVariantError&) {
    return false;
  }
}

bool IsDateVarType(TVarType AVarType)
{
  TVarType base = AVarType & varTypeMask;
  return base == varDate || base == varSQLTimeStamp;
}

bool IsDateVariant(const Variant& V)
{
  return !VarIsArray(V) && IsDateVarType(VarType(V));
}

bool IsNumericVariant(const Variant& V)
{
  return VarIsNumeric(V) || VarIsFMTBcd(V);
}

bool IsSoftNullVariant(const Variant& V)
{
  switch (VarType(V)) {
  case varNull:
    return true;
  case varString:
    return V.StringRef().empty();
  case varOleStr:
    return V.AsWideString().empty();
  default:
    return false;
  }
}

// ---- Variant arrays ----

Variant CreateVariantPair(const Variant& A, const Variant& B)
{
  Variant result = VarArrayCreate({0, 1}, varVariant);
  VarArrayPut(result, A, {0});
  VarArrayPut(result, B, {1});
  return result;
}

Variant CreateSingleVariantArray(const Variant& A)
{
  Variant result = VarArrayCreate({0, 0}, varVariant);
  VarArrayPut(result, A, {0});
  return result;
}

void AppendVariantArrayElement(Variant& AArray, const Variant& AValue)
{
  Integer low = VarArrayLowBound(AArray, 1), high = VarArrayHighBound(AArray, 1);
  Variant result = VarArrayCreate({0, high - low + 1}, varVariant);
  for (Integer i = low; i <= high; ++i)
    VarArrayPut(result, VarArrayGet(AArray, {i}), {i - low});
  VarArrayPut(result, AValue, {high - low + 1});
  AArray = result;
}

// ---- Typed stream helpers ----

void ReadStreamString(TStream* AStream, AnsiString& S)
{
  S = ReadBytes(AStream, ReadLE<Integer>(AStream));
}

AnsiString ReadStreamStringValue(TStream* AStream)
{
  AnsiString s;
  ReadStreamString(AStream, s);
  return s;
}

void WriteStreamString(TStream* AStream, const AnsiString& S)
{
  WriteLE(AStream, static_cast<Integer>(S.size()));
  AStream->WriteBuffer(S.data(), static_cast<Integer>(S.size()));
}

void ReadStreamWideString(TStream* AStream, WideString& S)
{
  Integer count = ReadLE<Integer>(AStream);
  if (count < 0 || Int64(count) * 2 > BytesLeft(AStream))
    ReadError();
  WideString result(static_cast<size_t>(count), u'\0');
  for (Integer i = 0; i < count; ++i)
    result[i] = static_cast<WideChar>(ReadLE<Word>(AStream));
  S = std::move(result);
}

WideString ReadStreamWideStringValue(TStream* AStream)
{
  WideString s;
  ReadStreamWideString(AStream, s);
  return s;
}

void WriteStreamWideString(TStream* AStream, const WideString& S)
{
  WriteLE(AStream, static_cast<Integer>(S.size()));
  for (WideChar c : S)
    WriteLE(AStream, static_cast<Word>(c));
}

void ReadStreamBoolean(TStream* AStream, Boolean& AValue)
{
  AValue = ReadStreamByteValue(AStream) != 0;
}

Boolean ReadStreamBooleanValue(TStream* AStream)
{
  return ReadStreamByteValue(AStream) != 0;
}

void WriteStreamBoolean(TStream* AStream, Boolean AValue)
{
  WriteStreamByte(AStream, AValue ? 1 : 0);
}

void ReadStreamByte(TStream* AStream, Byte& AValue)
{
  AStream->ReadBuffer(&AValue, 1);
}

Byte ReadStreamByteValue(TStream* AStream)
{
  Byte b = 0;
  AStream->ReadBuffer(&b, 1);
  return b;
}

void WriteStreamByte(TStream* AStream, Byte AValue)
{
  AStream->WriteBuffer(&AValue, 1);
}

void ReadStreamSmallint(TStream* AStream, SmallInt& AValue)
{
  AValue = ReadLE<SmallInt>(AStream);
}

SmallInt ReadStreamSmallintValue(TStream* AStream)
{
  return ReadLE<SmallInt>(AStream);
}

void WriteStreamSmallint(TStream* AStream, SmallInt AValue)
{
  WriteLE(AStream, AValue);
}

void ReadStreamWord(TStream* AStream, Word& AValue)
{
  AValue = ReadLE<Word>(AStream);
}

Word ReadStreamWordValue(TStream* AStream)
{
  return ReadLE<Word>(AStream);
}

void WriteStreamWord(TStream* AStream, Word AValue)
{
  WriteLE(AStream, AValue);
}

void ReadStreamInteger(TStream* AStream, Integer& AValue)
{
  AValue = ReadLE<Integer>(AStream);
}

Integer ReadStreamIntegerValue(TStream* AStream)
{
  return ReadLE<Integer>(AStream);
}

void WriteStreamInteger(TStream* AStream, Integer AValue)
{
  WriteLE(AStream, AValue);
}

void ReadStreamLargeInt(TStream* AStream, Int64& AValue)
{
  AValue = ReadLE<Int64>(AStream);
}

Int64 ReadStreamLargeIntValue(TStream* AStream)
{
  return ReadLE<Int64>(AStream);
}

void WriteStreamLargeInt(TStream* AStream, Int64 AValue)
{
  WriteLE(AStream, AValue);
}

void ReadStreamCurrency(TStream* AStream, Currency& AValue)
{
  AValue = Currency::FromRaw(ReadLE<Int64>(AStream));
}

Currency ReadStreamCurrencyValue(TStream* AStream)
{
  return Currency::FromRaw(ReadLE<Int64>(AStream));
}

void WriteStreamCurrency(TStream* AStream, Currency AValue)
{
  WriteLE(AStream, AValue.Raw());
}

void ReadStreamDateTime(TStream* AStream, TDateTime& AValue)
{
  AValue = ReadDouble(AStream);
}

TDateTime ReadStreamDateTimeValue(TStream* AStream)
{
  return ReadDouble(AStream);
}

void WriteStreamDateTime(TStream* AStream, TDateTime AValue)
{
  WriteDouble(AStream, AValue);
}

void WriteStreamFloat(TStream* AStream, Double AValue)
{
  Byte bytes[10];
  DoubleToExtendedBytes(AValue, bytes);
  AStream->WriteBuffer(bytes, 10);
}

// ---- Variants ----

void ReadStreamVariant(TStream* AStream, Variant& V)
{
  V = ReadValue(AStream, 0);
}

Variant ReadStreamVariantValue(TStream* AStream)
{
  return ReadValue(AStream, 0);
}

void WriteStreamVariant(TStream* AStream, const Variant& V)
{
  WriteValue(AStream, V);
}
