// The Variant core: construction, reference counting of the shared payloads, kind queries,
// kind names, the error helpers, and objects, classes and dispatch values inside Variants.
// Conversions are in VariantConvert.cpp, operators in VariantOps.cpp, arrays in
// VariantArrays.cpp.
#include "platform/rtl/Variants.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ObjectHandles.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/VariantsPrivate.h"

bool NullStrictConvert = true;

namespace {

TVarStrData* NewString(AnsiString&& value)
{
  auto* data = new TVarStrData;
  data->Value = std::move(value);
  return data;
}

TVarWideData* NewWide(WideString&& value)
{
  auto* data = new TVarWideData;
  data->Value = std::move(value);
  return data;
}

const char* BaseTypeName(TVarType type)
{
  switch (type) {
  case varEmpty:
    return "Empty";
  case varNull:
    return "Null";
  case varSmallint:
    return "Smallint";
  case varInteger:
    return "Integer";
  case varSingle:
    return "Single";
  case varDouble:
    return "Double";
  case varCurrency:
    return "Currency";
  case varDate:
    return "Date";
  case varOleStr:
    return "OleStr";
  case varDispatch:
    return "Dispatch";
  case varError:
    return "Error";
  case varBoolean:
    return "Boolean";
  case varVariant:
    return "Variant";
  case varUnknown:
    return "Unknown";
  case varShortInt:
    return "ShortInt";
  case varByte:
    return "Byte";
  case varWord:
    return "Word";
  case varLongWord:
    return "LongWord";
  case varInt64:
    return "Int64";
  case varStrArg:
    return "StrArg";
  case varString:
    return "String";
  case varAny:
    return "Any";
  case varClassRef:
    return "Class";
  case varSQLTimeStamp:
    return "SQLTimeStamp";
  case varFMTBcd:
    return "FMTBcd";
  default:
    return nullptr;
  }
}

// Replaces the two %s of the conversion message.
AnsiString CastMessage(const AnsiString& from, const AnsiString& to)
{
  AnsiString msg = SVarTypeCouldNotConvert;
  auto at = msg.find("%s");
  msg.replace(at, 2, from);
  at = msg.find("%s", at + from.size());
  msg.replace(at, 2, to);
  return msg;
}

} // namespace

// ---- Construction and payloads ---------------------------------------------------------

Variant::Variant(const char* value) : Variant(AnsiString(value ? value : "")) {}

Variant::Variant(const AnsiString& value) : Variant(AnsiString(value)) {}

Variant::Variant(AnsiString&& value) : FType(varString), FShared(true)
{
  FData.VString = NewString(std::move(value));
}

Variant::Variant(const char16_t* value) : Variant(WideString(value ? value : u"")) {}

Variant::Variant(const WideString& value) : Variant(WideString(value)) {}

Variant::Variant(WideString&& value) : FType(varOleStr), FShared(true)
{
  FData.VOleStr = NewWide(std::move(value));
}

void Variant::AddRefPayload() const noexcept
{
  if (FType & varArray) {
    ++FData.VArray->RefCount;
    return;
  }
  switch (FType) {
  case varString:
    ++FData.VString->RefCount;
    break;
  case varOleStr:
    ++FData.VOleStr->RefCount;
    break;
  case varDispatch:
    FData.VDispatch->AddRef();
    break;
  case varSQLTimeStamp:
  case varFMTBcd:
    ++FData.VCustom->RefCount;
    break;
  default:
    break;
  }
}

void Variant::ReleasePayload() noexcept
{
  FShared = false;
  if (FType & varArray) {
    if (--FData.VArray->RefCount == 0)
      delete FData.VArray;
    return;
  }
  switch (FType) {
  case varString:
    if (--FData.VString->RefCount == 0)
      delete FData.VString;
    break;
  case varOleStr:
    if (--FData.VOleStr->RefCount == 0)
      delete FData.VOleStr;
    break;
  case varDispatch:
    FData.VDispatch->Release();
    break;
  case varSQLTimeStamp:
  case varFMTBcd:
    if (--FData.VCustom->RefCount == 0)
      delete FData.VCustom;
    break;
  default:
    break;
  }
}

TVarArrayData* TVariantAccess::MutableArray(Variant& a)
{
  TVarArrayData* data = a.FData.VArray;
  if (data->RefCount == 1)
    return data;
  auto* copy = new TVarArrayData(*data);
  copy->RefCount = 1;
  --data->RefCount; // another holder remains, so it never reaches zero here
  a.FData.VArray = copy;
  return copy;
}

AnsiString& VarStrUnique(Variant& v)
{
  if (v.Type() != varString)
    VarCastError(v.Type(), varString);
  TVarStrData* data = TVariantAccess::Get(v).VString;
  if (data->RefCount != 1) {
    v = Variant(data->Value);
    data = TVariantAccess::Get(v).VString;
  }
  return data->Value;
}

void VarStrAppend(Variant& v, const AnsiString& tail)
{
  if (v.Type() != varString)
    VarCastError(v.Type(), varString);
  TVarStrData* data = TVariantAccess::Get(v).VString;
  if (data->RefCount != 1) {
    v = Variant(data->Value + tail);
    return;
  }
  data->Value += tail;
}

const AnsiString& Variant::StringRef() const
{
  if (FType != varString)
    VarCastError(FType, varString);
  return FData.VString->Value;
}

Variant& Variant::operator+=(const Variant& other)
{
  return *this = VarOp(*this, other, opAdd);
}
Variant& Variant::operator-=(const Variant& other)
{
  return *this = VarOp(*this, other, opSubtract);
}
Variant& Variant::operator*=(const Variant& other)
{
  return *this = VarOp(*this, other, opMultiply);
}
Variant& Variant::operator/=(const Variant& other)
{
  return *this = VarOp(*this, other, opDivide);
}

// ---- Special values and queries -----------------------------------------------------------

Variant Null()
{
  return TVariantAccess::Scalar(varNull, 0);
}

Variant Unassigned()
{
  return Variant();
}

Variant EmptyParam()
{
  return VarAsError(VAR_PARAMNOTFOUND);
}

Variant VarAsError(Integer code)
{
  return TVariantAccess::Scalar(varError, code);
}

Variant VarFromDateTime(TDateTime value)
{
  return TVariantAccess::DoubleOf(varDate, value);
}

bool VarIsClear(const Variant& v)
{
  return v.Type() == varEmpty ||
         (v.Type() == varDispatch && TVariantAccess::Get(v).VDispatch == nullptr);
}

bool VarIsStr(const Variant& v)
{
  return v.Type() == varString || v.Type() == varOleStr;
}

bool VarIsOrdinal(const Variant& v)
{
  switch (v.Type()) {
  case varSmallint:
  case varInteger:
  case varBoolean:
  case varShortInt:
  case varByte:
  case varWord:
  case varLongWord:
  case varInt64:
    return true;
  default:
    return false;
  }
}

bool VarIsFloat(const Variant& v)
{
  return v.Type() == varSingle || v.Type() == varDouble || v.Type() == varCurrency;
}

bool VarIsNumeric(const Variant& v)
{
  return VarIsOrdinal(v) || VarIsFloat(v);
}

bool VarIsClass(const Variant& v)
{
  return v.Type() == varClassRef;
}

AnsiString VarTypeAsText(TVarType type)
{
  AnsiString prefix;
  if (type & varArray)
    prefix += "Array ";
  if (type & varByRef)
    prefix += "ByRef ";
  TVarType base = type & varTypeMask;
  if (const char* name = BaseTypeName(base))
    return prefix + name;
  static const char digits[] = "0123456789ABCDEF";
  AnsiString hex = "$0000";
  for (int i = 4; i >= 1; --i, base >>= 4)
    hex[i] = digits[base & 0xF];
  return prefix + hex;
}

// ---- Errors --------------------------------------------------------------------------------

void VarCastError(TVarType from, TVarType to)
{
  throw EVariantTypeCastError(CastMessage(VarTypeAsText(from), VarTypeAsText(to)));
}

void VarInvalidOp()
{
  throw EVariantInvalidOpError(SInvalidVarOp);
}

void VarOverflowError()
{
  throw EVariantOverflowError(SVarOverflow);
}

void VarBadIndexError()
{
  throw EVariantBadIndexError(SVarArrayBounds);
}

void VarNotArrayError()
{
  throw EVariantNotAnArrayError(SVarNotArray);
}

void VarArrayCreateError()
{
  throw EVariantArrayCreateError(SVarArrayCreate);
}

// ---- Objects, classes, dispatch -------------------------------------------------------------

Variant VarFromObject(TObject* obj)
{
  return Variant(ObjectToHandle(obj));
}

TObject* VarToObject(const Variant& v)
{
  Int64 handle = 0;
  switch (v.Type()) {
  case varEmpty:
  case varNull:
    return nullptr;
  case varSmallint:
  case varInteger:
  case varShortInt:
  case varByte:
  case varWord:
  case varLongWord:
  case varInt64:
    handle = v.AsInt64();
    break;
  default:
    throw EVariantInvalidArgError(SInvalidObjectReference);
  }
  if (handle == 0)
    return nullptr;
  TObject* obj = handle == static_cast<Integer>(handle)
                     ? HandleToObject(static_cast<Integer>(handle))
                     : nullptr;
  if (!obj)
    throw EVariantInvalidArgError(SInvalidObjectReference);
  return obj;
}

Variant VarFromClass(TClass cls)
{
  return TVariantAccess::ClassOf(cls);
}

TClass VarToClass(const Variant& v)
{
  if (v.Type() != varClassRef)
    VarCastError(v.Type(), varClassRef);
  return TVariantAccess::Get(v).VClass;
}

Variant VarFromDispatch(IDispatch* disp)
{
  if (disp)
    disp->AddRef();
  return TVariantAccess::DispatchOf(disp);
}

IDispatch* VarToDispatch(const Variant& v)
{
  if (v.Type() != varDispatch)
    VarCastError(v.Type(), varDispatch);
  return TVariantAccess::Get(v).VDispatch;
}
