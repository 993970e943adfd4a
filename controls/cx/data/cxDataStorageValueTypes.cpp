// The value types of cxDataStorage.h: layout, conversion, comparison, text and streaming of
// one value of each kind, and the registry of the types.
#include <algorithm>
#include <cstring>

#include "controls/cx/data/cxDataStorage.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/SqlTimSt.h"

namespace {

template <class T> T Load(const void* AData)
{
  T value;
  std::memcpy(&value, AData, sizeof(T));
  return value;
}

template <class T> void Store(void* AData, const T& value)
{
  std::memcpy(AData, &value, sizeof(T));
}

template <class T> Integer Sign(T a, T b)
{
  return a < b ? -1 : (b < a ? 1 : 0);
}

// The heap Variant a reference slot points at (null when none was allocated).
Variant* RefOf(const void* AData)
{
  return Load<Variant*>(AData);
}

// Allocates the slot's heap Variant on first use.
Variant& EnsureRef(void* AData)
{
  Variant* ref = RefOf(AData);
  if (!ref) {
    ref = new Variant();
    Store(AData, ref);
  }
  return *ref;
}

void FreeRef(void* AData)
{
  delete RefOf(AData);
  Store<Variant*>(AData, nullptr);
}

AnsiString* TextRefOf(const void* ATextRef)
{
  return Load<AnsiString*>(ATextRef);
}

// Nil references sort first; two nils are equal.
bool CompareNils(const void* P1, const void* P2, Integer& AResult)
{
  if (P1 && P2)
    return false;
  AResult = (P1 == P2) ? 0 : (P1 ? 1 : -1);
  return true;
}

std::unique_ptr<TcxValueTypeClassList>& Registry()
{
  static std::unique_ptr<TcxValueTypeClassList> registry;
  return registry;
}

} // namespace

// ---- TcxValueType ----

Integer TcxValueType::CompareData(const void* AData1, const void* AData2) const
{
  return CompareResolved(AData1, AData2);
}

void TcxValueType::FreeTextData(void* ATextRef) const
{
  delete TextRefOf(ATextRef);
  Store<AnsiString*>(ATextRef, nullptr);
}

void TcxValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Null();
}

void TcxValueType::GetDisplayText(const void* AData, AnsiString& S) const
{
  Variant v;
  FetchValue(AData, v);
  try {
    S = VarToStr(v);
  } catch (const EVariantError&) {
    S.clear();
  }
}

void TcxValueType::GetStoredText(const void* ATextRef, AnsiString& S) const
{
  AnsiString* text = TextRefOf(ATextRef);
  if (text)
    S = *text;
  else
    S.clear();
}

void TcxValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  PutValue(AData, ReadStreamVariantValue(AStream));
}

void TcxValueType::ReadDisplayText(void* ATextRef, TStream* AStream) const
{
  SetStoredText(ATextRef, ReadStreamStringValue(AStream));
}

void TcxValueType::SetStoredText(void* ATextRef, const AnsiString& S) const
{
  AnsiString* text = TextRefOf(ATextRef);
  if (!text) {
    text = new AnsiString();
    Store(ATextRef, text);
  }
  *text = S;
}

void TcxValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  Variant v;
  FetchValue(AData, v);
  WriteStreamVariant(AStream, v);
}

void TcxValueType::WriteDisplayText(const void* ATextRef, TStream* AStream) const
{
  AnsiString s;
  GetStoredText(ATextRef, s);
  WriteStreamString(AStream, s);
}

void TcxValueType::ValueTypeName(AnsiString& S) const
{
  S = ClassName();
  if (S.compare(0, 3, "Tcx") == 0)
    S.erase(0, 3);
  size_t at = S.find("ValueType");
  if (at != AnsiString::npos)
    S.erase(at, 9);
}

AnsiString TcxValueType::ValueTypeName() const
{
  AnsiString s;
  ValueTypeName(s);
  return s;
}

Integer TcxValueType::CompareResolved(const void* P1, const void* P2) const
{
  Variant v1, v2;
  GetResolvedValue(P1, v1);
  GetResolvedValue(P2, v2);
  return VariantCompare(v1, v2);
}

void TcxValueType::GetResolvedValue(const void* AResolved, Variant& V) const
{
  FetchValue(AResolved, V);
}

bool TcxValueType::ConvertValue(Variant& V) const
{
  if (VarIsNull(V) || NativeVarType() == varVariant)
    return true;
  try {
    V = VarAsType(V, NativeVarType());
    return true;
  } catch (const EVariantError&) {
    return false;
  }
}

bool TcxValueType::AcceptsValue(const Variant& V) const
{
  if (VarIsNull(V) || VarIsStr(V))
    return true;
  Variant copy = V;
  return ConvertValue(copy);
}

// ---- String and WideString: a heap Variant holding the text ----

TcxValueTypeClass TcxStringValueType::Class()
{
  static const TcxStringValueType instance;
  return &instance;
}

Integer TcxStringValueType::CompareData(const void* AData1, const void* AData2) const
{
  return CompareResolved(RefOf(AData1), RefOf(AData2));
}

void TcxStringValueType::FreeData(void* AData) const
{
  FreeRef(AData);
}

Integer TcxStringValueType::StorageSize() const
{
  return sizeof(void*);
}

void TcxStringValueType::FetchValue(const void* AData, Variant& V) const
{
  Variant* ref = RefOf(AData);
  if (ref)
    V = *ref;
  else
    V = Null();
}

void TcxStringValueType::PutValue(void* AData, const Variant& V) const
{
  EnsureRef(AData) = VarAsType(V, varString);
}

void TcxStringValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  PutValue(AData, Variant(ReadStreamStringValue(AStream)));
}

void TcxStringValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  Variant* ref = RefOf(AData);
  WriteStreamString(AStream, ref ? ref->AsString() : AnsiString());
}

Integer TcxStringValueType::CompareResolved(const void* P1, const void* P2) const
{
  Integer result;
  if (CompareNils(P1, P2, result))
    return result;
  const AnsiString& a = static_cast<const Variant*>(P1)->StringRef();
  const AnsiString& b = static_cast<const Variant*>(P2)->StringRef();
  Integer c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void TcxStringValueType::GetResolvedValue(const void* AResolved, Variant& V) const
{
  if (AResolved)
    V = *static_cast<const Variant*>(AResolved);
  else
    V = Null();
}

void TcxStringValueType::ResolveDataPointer(const void*& P) const
{
  P = RefOf(P);
}

TcxValueTypeClass TcxWideStringValueType::Class()
{
  static const TcxWideStringValueType instance;
  return &instance;
}

void TcxWideStringValueType::PutValue(void* AData, const Variant& V) const
{
  EnsureRef(AData) = VarAsType(V, varOleStr);
}

void TcxWideStringValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  PutValue(AData, Variant(ReadStreamWideStringValue(AStream)));
}

void TcxWideStringValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  // The value travels through its 8-bit text, then widened.
  Variant* ref = RefOf(AData);
  WriteStreamWideString(AStream, Variant(ref ? ref->AsString() : AnsiString()).AsWideString());
}

Integer TcxWideStringValueType::CompareResolved(const void* P1, const void* P2) const
{
  Integer result;
  if (CompareNils(P1, P2, result))
    return result;
  WideString a = static_cast<const Variant*>(P1)->AsWideString();
  WideString b = static_cast<const Variant*>(P2)->AsWideString();
  Integer c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---- Fixed-size numbers ----

TcxValueTypeClass TcxSmallintValueType::Class()
{
  static const TcxSmallintValueType instance;
  return &instance;
}

void TcxSmallintValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(Load<SmallInt>(AData));
}

void TcxSmallintValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, static_cast<SmallInt>(V.AsInteger()));
}

void TcxSmallintValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Store(AData, ReadStreamSmallintValue(AStream));
}

void TcxSmallintValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamSmallint(AStream, Load<SmallInt>(AData));
}

Integer TcxSmallintValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Integer(Load<SmallInt>(P1)) - Integer(Load<SmallInt>(P2));
}

TcxValueTypeClass TcxIntegerValueType::Class()
{
  static const TcxIntegerValueType instance;
  return &instance;
}

void TcxIntegerValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(Load<Integer>(AData));
}

void TcxIntegerValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, V.AsInteger());
}

void TcxIntegerValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Store(AData, ReadStreamIntegerValue(AStream));
}

void TcxIntegerValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamInteger(AStream, Load<Integer>(AData));
}

Integer TcxIntegerValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Sign(Load<Integer>(P1), Load<Integer>(P2));
}

TcxValueTypeClass TcxWordValueType::Class()
{
  static const TcxWordValueType instance;
  return &instance;
}

void TcxWordValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(Load<Word>(AData));
}

void TcxWordValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, static_cast<Word>(V.AsInteger()));
}

void TcxWordValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Store(AData, ReadStreamWordValue(AStream));
}

void TcxWordValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamWord(AStream, Load<Word>(AData));
}

Integer TcxWordValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Integer(Load<Word>(P1)) - Integer(Load<Word>(P2));
}

TcxValueTypeClass TcxBooleanValueType::Class()
{
  static const TcxBooleanValueType instance;
  return &instance;
}

void TcxBooleanValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(Load<Byte>(AData) != 0);
}

void TcxBooleanValueType::GetDisplayText(const void* AData, AnsiString& S) const
{
  S = BoolToStr(Load<Byte>(AData) != 0, true);
}

void TcxBooleanValueType::PutValue(void* AData, const Variant& V) const
{
  Store<Byte>(AData, V.AsBoolean() ? 1 : 0);
}

void TcxBooleanValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Store<Byte>(AData, ReadStreamBooleanValue(AStream) ? 1 : 0);
}

void TcxBooleanValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamBoolean(AStream, Load<Byte>(AData) != 0);
}

Integer TcxBooleanValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Integer(Load<Byte>(P1)) - Integer(Load<Byte>(P2));
}

TcxValueTypeClass TcxFloatValueType::Class()
{
  static const TcxFloatValueType instance;
  return &instance;
}

void TcxFloatValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(Load<Double>(AData));
}

void TcxFloatValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, V.AsDouble());
}

void TcxFloatValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Byte bytes[10];
  AStream->ReadBuffer(bytes, 10);
  Store(AData, ExtendedBytesToDouble(bytes));
}

void TcxFloatValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamFloat(AStream, Load<Double>(AData));
}

Integer TcxFloatValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Sign(Load<Double>(P1), Load<Double>(P2));
}

TcxValueTypeClass TcxCurrencyValueType::Class()
{
  static const TcxCurrencyValueType instance;
  return &instance;
}

void TcxCurrencyValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(Currency::FromRaw(Load<Int64>(AData)));
}

void TcxCurrencyValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, V.AsCurrency().Raw());
}

void TcxCurrencyValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Store(AData, ReadStreamCurrencyValue(AStream).Raw());
}

void TcxCurrencyValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamCurrency(AStream, Currency::FromRaw(Load<Int64>(AData)));
}

Integer TcxCurrencyValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Sign(Load<Int64>(P1), Load<Int64>(P2));
}

TcxValueTypeClass TcxDateTimeValueType::Class()
{
  static const TcxDateTimeValueType instance;
  return &instance;
}

void TcxDateTimeValueType::FetchValue(const void* AData, Variant& V) const
{
  V = VarFromDateTime(Load<Double>(AData));
}

void TcxDateTimeValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, V.AsDateTime());
}

void TcxDateTimeValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Store(AData, ReadStreamDateTimeValue(AStream));
}

void TcxDateTimeValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamDateTime(AStream, Load<Double>(AData));
}

Integer TcxDateTimeValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Sign(Load<Double>(P1), Load<Double>(P2));
}

TcxValueTypeClass TcxLargeIntValueType::Class()
{
  static const TcxLargeIntValueType instance;
  return &instance;
}

void TcxLargeIntValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(Load<Int64>(AData));
}

void TcxLargeIntValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, V.AsInt64());
}

void TcxLargeIntValueType::ReadValueFromStream(void* AData, TStream* AStream) const
{
  Store(AData, ReadStreamLargeIntValue(AStream));
}

void TcxLargeIntValueType::WriteValueToStream(const void* AData, TStream* AStream) const
{
  WriteStreamLargeInt(AStream, Load<Int64>(AData));
}

Integer TcxLargeIntValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Sign(Load<Int64>(P1), Load<Int64>(P2));
}

// ---- Database records ----

TcxValueTypeClass TcxFMTBcdValueType::Class()
{
  static const TcxFMTBcdValueType instance;
  return &instance;
}

void TcxFMTBcdValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(BcdToDouble(Load<TBcd>(AData)));
}

void TcxFMTBcdValueType::GetDisplayText(const void* AData, AnsiString& S) const
{
  S = BcdToStr(Load<TBcd>(AData));
}

void TcxFMTBcdValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, VarToBcd(V));
}

Integer TcxFMTBcdValueType::CompareResolved(const void* P1, const void* P2) const
{
  return BcdCompare(Load<TBcd>(P1), Load<TBcd>(P2));
}

TVarType TcxFMTBcdValueType::NativeVarType() const
{
  return VarFMTBcd();
}

TcxValueTypeClass TcxSQLTimeStampValueType::Class()
{
  static const TcxSQLTimeStampValueType instance;
  return &instance;
}

void TcxSQLTimeStampValueType::FetchValue(const void* AData, Variant& V) const
{
  V = VarFromDateTime(SQLTimeStampToDateTime(Load<TSQLTimeStamp>(AData)));
}

void TcxSQLTimeStampValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, VarToSQLTimeStamp(V));
}

Integer TcxSQLTimeStampValueType::CompareResolved(const void* P1, const void* P2) const
{
  return SQLTimeStampCompare(Load<TSQLTimeStamp>(P1), Load<TSQLTimeStamp>(P2));
}

TVarType TcxSQLTimeStampValueType::NativeVarType() const
{
  return VarSQLTimeStamp();
}

// ---- Variant and Object ----

TcxValueTypeClass TcxVariantValueType::Class()
{
  static const TcxVariantValueType instance;
  return &instance;
}

Integer TcxVariantValueType::CompareData(const void* AData1, const void* AData2) const
{
  return CompareResolved(RefOf(AData1), RefOf(AData2));
}

void TcxVariantValueType::FreeData(void* AData) const
{
  FreeRef(AData);
}

Integer TcxVariantValueType::StorageSize() const
{
  return sizeof(void*);
}

void TcxVariantValueType::FetchValue(const void* AData, Variant& V) const
{
  Variant* ref = RefOf(AData);
  if (ref)
    V = *ref;
  else
    V = Null();
}

void TcxVariantValueType::PutValue(void* AData, const Variant& V) const
{
  EnsureRef(AData) = V;
}

Integer TcxVariantValueType::CompareResolved(const void* P1, const void* P2) const
{
  Integer result;
  if (CompareNils(P1, P2, result))
    return result;
  return VariantCompare(*static_cast<const Variant*>(P1), *static_cast<const Variant*>(P2));
}

void TcxVariantValueType::GetResolvedValue(const void* AResolved, Variant& V) const
{
  if (AResolved)
    V = *static_cast<const Variant*>(AResolved);
  else
    V = Null();
}

void TcxVariantValueType::ResolveDataPointer(const void*& P) const
{
  P = RefOf(P);
}

TcxValueTypeClass TcxObjectValueType::Class()
{
  static const TcxObjectValueType instance;
  return &instance;
}

void TcxObjectValueType::FreeData(void* AData) const
{
  delete Load<TObject*>(AData);
  Store<TObject*>(AData, nullptr);
}

Integer TcxObjectValueType::StorageSize() const
{
  return sizeof(void*);
}

void TcxObjectValueType::FetchValue(const void* AData, Variant& V) const
{
  V = Variant(static_cast<Int64>(Load<NativeInt>(AData)));
}

void TcxObjectValueType::PutValue(void* AData, const Variant& V) const
{
  Store(AData, static_cast<NativeInt>(V.AsInt64()));
}

Integer TcxObjectValueType::CompareResolved(const void* P1, const void* P2) const
{
  return Sign(Load<NativeInt>(P1), Load<NativeInt>(P2));
}

TObject* TcxObjectValueType::GetObject(const void* AData)
{
  return Load<TObject*>(AData);
}

// ---- Registry ----

void TcxValueTypeClassList::Register(TcxValueTypeClass AClass)
{
  if (AClass && std::find(FItems.begin(), FItems.end(), AClass) == FItems.end())
    FItems.push_back(AClass);
}

void TcxValueTypeClassList::Unregister(TcxValueTypeClass AClass)
{
  std::erase(FItems, AClass);
}

TcxValueTypeClass TcxValueTypeClassList::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FItems[AIndex];
}

TcxValueTypeClass TcxValueTypeClassList::ItemByClassName(const AnsiString& AName) const
{
  for (TcxValueTypeClass c : FItems)
    if (SameText(c->ClassName(), AName))
      return c;
  return nullptr;
}

TcxValueTypeClassList* cxValueTypeClassList()
{
  auto& registry = Registry();
  if (!registry)
    registry = std::make_unique<TcxValueTypeClassList>();
  return registry.get();
}

namespace {

// The value types in the order they register.
const std::vector<TcxValueTypeClass>& RegisteredValueTypes()
{
  static const std::vector<TcxValueTypeClass> types = {
      TcxStringValueType::Class(),   TcxWideStringValueType::Class(),
      TcxSmallintValueType::Class(), TcxIntegerValueType::Class(),
      TcxWordValueType::Class(),     TcxBooleanValueType::Class(),
      TcxFloatValueType::Class(),    TcxCurrencyValueType::Class(),
      TcxDateTimeValueType::Class(), TcxLargeIntValueType::Class(),
      TcxFMTBcdValueType::Class(),   TcxSQLTimeStampValueType::Class(),
      TcxVariantValueType::Class(),  TcxObjectValueType::Class()};
  return types;
}

} // namespace

void cxDataStorageInitialization()
{
  for (TcxValueTypeClass c : RegisteredValueTypes())
    cxValueTypeClassList()->Register(c);
}

void cxDataStorageFinalization()
{
  auto& registry = Registry();
  if (!registry)
    return;
  const auto& types = RegisteredValueTypes();
  for (auto it = types.rbegin(); it != types.rend(); ++it)
    registry->Unregister(*it);
  registry.reset();
}
