// Type information records, the derived property lists and access to properties by kind.
#include "platform/rtl/TypInfo.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <map>
#include <unordered_map>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"

namespace typinfo_detail {
// The C++ type of Variant, from TypInfoVariant.cpp (this unit does not see Variants.h).
const std::type_info& VariantTypeId();
} // namespace typinfo_detail

namespace {

const char* const SUnknownProperty = "Property %s does not exist";
const char* const SInvalidPropertyType = "Invalid property type: %s";
const char* const SInvalidPropertyElement = "Invalid property element: %s";
const char* const SPropertyReadOnly = "Property %s is read-only";
const char* const SNoTypeInfo = "No type information for %s";

// The C++ name of a type, for messages about registration mistakes.
AnsiString TypeName(const std::type_info& type)
{
  int status = 0;
  char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  AnsiString name = status == 0 && readable ? readable : type.name();
  std::free(readable);
  return name;
}

unsigned char FoldLower(unsigned char ch)
{
  return ch >= 'A' && ch <= 'Z' ? ch + 32 : ch;
}

struct TypeTables {
  std::unordered_map<std::type_index, PTypeInfo> ByType;
  std::unordered_map<AnsiString, PTypeInfo> ByName; // upper-cased name
  std::map<TClass, std::unique_ptr<TTypeInfo>> ClassTypes;
  std::vector<std::unique_ptr<TTypeInfo>> Owned;
};

TTypeInfo* NewType(TypeTables& t, TTypeKind kind, const AnsiString& name)
{
  auto info = std::make_unique<TTypeInfo>();
  info->Kind = kind;
  info->Name = name;
  TTypeInfo* raw = info.get();
  t.Owned.push_back(std::move(info));
  t.ByName.emplace(UpperCase(name), raw);
  return raw;
}

TTypeInfo* NewOrdinal(TypeTables& t, TTypeKind kind, const AnsiString& name, TOrdType ord,
                      Integer minValue, Integer maxValue)
{
  TTypeInfo* info = NewType(t, kind, name);
  info->OrdType = ord;
  info->MinValue = minValue;
  info->MaxValue = maxValue;
  return info;
}

TTypeInfo* NewFloat(TypeTables& t, const AnsiString& name, TFloatType floatType)
{
  TTypeInfo* info = NewType(t, tkFloat, name);
  info->FloatType = floatType;
  return info;
}

void Bind(TypeTables& t, const std::type_info& type, PTypeInfo info)
{
  t.ByType[std::type_index(type)] = info;
}

// The built-in types, bound to their C++ types on first use.
void AddBuiltins(TypeTables& t)
{
  Bind(t, typeid(Integer),
       NewOrdinal(t, tkInteger, "Integer", otSLong, -2147483647 - 1, 2147483647));
  Bind(t, typeid(Cardinal), NewOrdinal(t, tkInteger, "Cardinal", otULong, 0, -1));
  Bind(t, typeid(SmallInt), NewOrdinal(t, tkInteger, "SmallInt", otSWord, -32768, 32767));
  Bind(t, typeid(Word), NewOrdinal(t, tkInteger, "Word", otUWord, 0, 65535));
  Bind(t, typeid(ShortInt), NewOrdinal(t, tkInteger, "ShortInt", otSByte, -128, 127));
  Bind(t, typeid(Byte), NewOrdinal(t, tkInteger, "Byte", otUByte, 0, 255));
  Bind(t, typeid(Int64), NewType(t, tkInt64, "Int64"));
  Bind(t, typeid(char), NewOrdinal(t, tkChar, "Char", otUByte, 0, 255));
  Bind(t, typeid(WideChar), NewOrdinal(t, tkWChar, "WideChar", otUWord, 0, 65535));
  TTypeInfo* boolean = NewOrdinal(t, tkEnumeration, "Boolean", otUByte, 0, 1);
  boolean->EnumNames = {"False", "True"};
  Bind(t, typeid(bool), boolean);
  Bind(t, typeid(float), NewFloat(t, "Single", ftSingle));
  Bind(t, typeid(double), NewFloat(t, "Double", ftDouble));
  Bind(t, typeid(long double), NewFloat(t, "Extended", ftExtended));
  Bind(t, typeid(Currency), NewFloat(t, "Currency", ftCurr));
  Bind(t, typeid(AnsiString), NewType(t, tkLString, "String"));
  Bind(t, typeid(WideString), NewType(t, tkWString, "WideString"));
  Bind(t, typinfo_detail::VariantTypeId(), NewType(t, tkVariant, "Variant"));
  NewFloat(t, "TDateTime", ftDouble);
  NewFloat(t, "TDate", ftDouble);
  NewFloat(t, "TTime", ftDouble);
  NewOrdinal(t, tkInteger, "TColor", otSLong, -2147483647 - 1, 2147483647);
  NewOrdinal(t, tkInteger, "TCursor", otSWord, -32768, 32767);
  NewOrdinal(t, tkInteger, "TModalResult", otSLong, -2147483647 - 1, 2147483647);
  NewOrdinal(t, tkInteger, "TShortCut", otUWord, 0, 65535);
  NewType(t, tkLString, "TComponentName");
  NewType(t, tkLString, "TCaption");
  auto method = [&](const std::type_info& event, const AnsiString& name,
                    const std::type_info& signature) {
    TTypeInfo* info = NewType(t, tkMethod, name);
    info->Signature = &signature;
    Bind(t, event, info);
  };
  method(typeid(TNotifyEvent), "TNotifyEvent", typeid(TNotifyEvent::Signature));
  method(typeid(TGetStrProc), "TGetStrProc", typeid(TGetStrProc::Signature));
  method(typeid(TKeyEvent), "TKeyEvent", typeid(TKeyEvent::Signature));
  method(typeid(TKeyPressEvent), "TKeyPressEvent", typeid(TKeyPressEvent::Signature));
}

TypeTables& Types()
{
  static TypeTables* tables = [] {
    auto* t = new TypeTables; // records live until the program ends
    AddBuiltins(*t);
    return t;
  }();
  return *tables;
}

PTypeInfo Named(const char* name)
{
  return FindTypeInfo(AnsiString(name));
}

unsigned gGeneration = 1;

// Builds the declaration-ordered list of a class: the parent's list, then each own property
// appended, or put in the place of the inherited property of the same name.
void BuildAll(TClass cls, std::vector<PPropInfo>& out)
{
  out.clear();
  if (cls->Parent)
    out = GetPropInfos(cls->Parent);
  if (!cls->Props)
    return;
  for (const auto& own : cls->Props->Own) {
    auto same = std::find_if(out.begin(), out.end(),
                             [&](PPropInfo p) { return SameText(p->Name, own->Name); });
    if (same != out.end())
      *same = own.get();
    else
      out.push_back(own.get());
  }
}

// The lists derived for a class: declaration order, sorted order and a name index. They
// are rebuilt when any class registered properties since they were made.
struct PropLists {
  std::vector<PPropInfo> All;
  std::vector<PPropInfo> Sorted;
  std::unordered_map<AnsiString, PPropInfo> ByName; // upper-cased name
  unsigned Generation = 0;
};

const PropLists& EnsureLists(TClass cls)
{
  static auto* cache = new std::unordered_map<TClass, PropLists>;
  PropLists& lists = (*cache)[cls];
  if (lists.Generation == gGeneration)
    return lists;
  BuildAll(cls, lists.All);
  lists.Sorted = lists.All;
  std::stable_sort(lists.Sorted.begin(), lists.Sorted.end(),
                   [](PPropInfo a, PPropInfo b) { return ComparePropNames(a->Name, b->Name) < 0; });
  lists.ByName.clear();
  for (PPropInfo p : lists.All)
    lists.ByName.emplace(UpperCase(p->Name), p);
  lists.Generation = gGeneration;
  return lists;
}

PPropInfo Require(TObject* obj, const AnsiString& name)
{
  return typinfo_detail::RequireProp(obj, name);
}

void CheckKind(PPropInfo prop, TTypeKinds kinds)
{
  if (!kinds.Contains(prop->Kind()))
    RaiseInvalidPropType(prop);
}

void CheckWritable(PPropInfo prop)
{
  typinfo_detail::CheckWritable(prop);
}

constexpr TTypeKinds kOrdKinds{tkInteger, tkChar, tkWChar, tkEnumeration, tkSet, tkClass};
constexpr TTypeKinds kInt64Kinds{tkInteger, tkChar, tkWChar, tkEnumeration, tkSet, tkInt64};

AnsiString TrimBlanks(const AnsiString& s)
{
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return s.substr(b, e - b);
}

} // namespace

// ---- Type information ----

PTypeInfo FindTypeInfo(const std::type_info& type)
{
  auto& byType = Types().ByType;
  auto it = byType.find(std::type_index(type));
  return it == byType.end() ? nullptr : it->second;
}

PTypeInfo FindTypeInfo(const AnsiString& name)
{
  auto& byName = Types().ByName;
  auto it = byName.find(UpperCase(name));
  return it == byName.end() ? nullptr : it->second;
}

void BindTypeInfo(const std::type_info& type, PTypeInfo info)
{
  Bind(Types(), type, info);
  AddNamedTypeInfo(info);
}

void AddNamedTypeInfo(PTypeInfo info)
{
  if (info && !info->Name.empty())
    Types().ByName.emplace(UpperCase(info->Name), info);
}

PTypeInfo DefineNamedType(const AnsiString& name, PTypeInfo base)
{
  if (PTypeInfo existing = FindTypeInfo(name))
    return existing;
  TypeTables& t = Types();
  TTypeInfo* info = NewType(t, base->Kind, name);
  AnsiString keep = info->Name;
  *info = *base;
  info->Name = keep;
  return info;
}

PTypeInfo MakeEnumTypeInfo(const AnsiString& name, std::initializer_list<const char*> names,
                           Integer minValue)
{
  TTypeInfo* info = NewType(Types(), tkEnumeration, name);
  for (const char* n : names)
    info->EnumNames.emplace_back(n);
  info->MinValue = minValue;
  info->MaxValue = minValue + static_cast<Integer>(names.size()) - 1;
  info->OrdType = info->MaxValue < 256 && minValue >= 0 ? otUByte : otSLong;
  return info;
}

PTypeInfo MakeSetTypeInfo(const AnsiString& name, PTypeInfo elementType)
{
  if (!elementType || elementType->Kind != tkEnumeration)
    throw EPropertyError(Format(SNoTypeInfo, {"the elements of " + name}));
  TTypeInfo* info = NewType(Types(), tkSet, name);
  info->CompType = elementType;
  info->OrdType = otULong;
  return info;
}

PTypeInfo MakeMethodTypeInfo(const AnsiString& name, const std::type_info& signature)
{
  TTypeInfo* info = NewType(Types(), tkMethod, name);
  info->Signature = &signature;
  return info;
}

PTypeInfo ClassTypeInfo(TClass cls)
{
  auto& classTypes = Types().ClassTypes;
  auto it = classTypes.find(cls);
  if (it != classTypes.end())
    return it->second.get();
  auto info = std::make_unique<TTypeInfo>();
  info->Kind = tkClass;
  info->Name = cls->Name;
  info->ClassType = cls;
  PTypeInfo raw = info.get();
  classTypes.emplace(cls, std::move(info));
  AddNamedTypeInfo(raw); // "TFont" finds the class type once a property has used it
  return raw;
}

PTypeInfo IntegerTypeInfo()
{
  return FindTypeInfo(typeid(Integer));
}
PTypeInfo Int64TypeInfo()
{
  return FindTypeInfo(typeid(Int64));
}
PTypeInfo BooleanTypeInfo()
{
  return FindTypeInfo(typeid(bool));
}
PTypeInfo CharTypeInfo()
{
  return FindTypeInfo(typeid(char));
}
PTypeInfo WideCharTypeInfo()
{
  return FindTypeInfo(typeid(WideChar));
}
PTypeInfo DoubleTypeInfo()
{
  return FindTypeInfo(typeid(double));
}
PTypeInfo ExtendedTypeInfo()
{
  return FindTypeInfo(typeid(long double));
}
PTypeInfo CurrencyTypeInfo()
{
  return FindTypeInfo(typeid(Currency));
}
PTypeInfo StringTypeInfo()
{
  return FindTypeInfo(typeid(AnsiString));
}
PTypeInfo WideStringTypeInfo()
{
  return FindTypeInfo(typeid(WideString));
}
PTypeInfo VariantTypeInfo()
{
  return Named("Variant");
}
PTypeInfo TDateTimeTypeInfo()
{
  return Named("TDateTime");
}
PTypeInfo TDateTypeInfo()
{
  return Named("TDate");
}
PTypeInfo TTimeTypeInfo()
{
  return Named("TTime");
}
PTypeInfo TColorTypeInfo()
{
  return Named("TColor");
}
PTypeInfo TCursorTypeInfo()
{
  return Named("TCursor");
}
PTypeInfo TModalResultTypeInfo()
{
  return Named("TModalResult");
}
PTypeInfo TShortCutTypeInfo()
{
  return Named("TShortCut");
}
PTypeInfo TComponentNameTypeInfo()
{
  return Named("TComponentName");
}
PTypeInfo TCaptionTypeInfo()
{
  return Named("TCaption");
}
PTypeInfo TNotifyEventTypeInfo()
{
  return FindTypeInfo(typeid(TNotifyEvent));
}

AnsiString GetEnumName(PTypeInfo typeInfo, Integer value)
{
  if (!typeInfo || typeInfo->Kind != tkEnumeration || value < typeInfo->MinValue ||
      value > typeInfo->MaxValue)
    return AnsiString();
  return typeInfo->EnumNames[static_cast<size_t>(value - typeInfo->MinValue)];
}

Integer GetEnumValue(PTypeInfo typeInfo, const AnsiString& name)
{
  if (!typeInfo || typeInfo->Kind != tkEnumeration)
    return -1;
  for (size_t i = 0; i < typeInfo->EnumNames.size(); ++i)
    if (SameText(typeInfo->EnumNames[i], name))
      return typeInfo->MinValue + static_cast<Integer>(i);
  return -1;
}

AnsiString SetToString(PTypeInfo typeInfo, Integer value, bool brackets)
{
  PTypeInfo element = typeInfo ? typeInfo->CompType : nullptr;
  AnsiString text;
  for (int bit = 0; bit < 32; ++bit) {
    if (!(static_cast<std::uint32_t>(value) >> bit & 1u))
      continue;
    AnsiString name = GetEnumName(element, bit);
    if (name.empty())
      name = std::to_string(bit); // a bit beyond the element type's names
    if (!text.empty())
      text += ',';
    text += name;
  }
  return brackets ? "[" + text + "]" : text;
}

Integer StringToSet(PTypeInfo typeInfo, const AnsiString& value)
{
  PTypeInfo element = typeInfo ? typeInfo->CompType : nullptr;
  AnsiString text = TrimBlanks(value);
  if (!text.empty() && text.front() == '[')
    text.erase(0, 1);
  if (!text.empty() && text.back() == ']')
    text.pop_back();
  std::uint32_t result = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == AnsiString::npos)
      comma = text.size();
    AnsiString name = TrimBlanks(text.substr(start, comma - start));
    if (!name.empty()) {
      Integer ord = GetEnumValue(element, name);
      if (ord < 0 || ord > 31)
        throw EPropertyConvertError(Format(SInvalidPropertyElement, {name}));
      result |= 1u << ord;
    }
    start = comma + 1;
  }
  return static_cast<Integer>(result);
}

// ---- Property lists ----

Integer ComparePropNames(const AnsiString& a, const AnsiString& b)
{
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = FoldLower(a[i]), y = FoldLower(b[i]);
    if (x != y)
      return x < y ? -1 : 1;
  }
  if (a.size() == b.size())
    return 0;
  return a.size() < b.size() ? -1 : 1;
}

const std::vector<PPropInfo>& GetPropInfos(TClass cls)
{
  static const std::vector<PPropInfo> none;
  if (!cls)
    return none;
  return EnsureLists(cls).All;
}

std::vector<PPropInfo> GetPropList(TClass cls, TTypeKinds kinds, bool sorted)
{
  std::vector<PPropInfo> result;
  if (!cls)
    return result;
  const PropLists& lists = EnsureLists(cls);
  for (PPropInfo p : sorted ? lists.Sorted : lists.All)
    if (kinds.Contains(p->Kind()))
      result.push_back(p);
  return result;
}

std::vector<PPropInfo> GetPropList(const TObject* obj, TTypeKinds kinds, bool sorted)
{
  return obj ? GetPropList(obj->ClassType(), kinds, sorted) : std::vector<PPropInfo>();
}

PPropInfo GetPropInfo(TClass cls, const AnsiString& name)
{
  if (!cls)
    return nullptr;
  const PropLists& lists = EnsureLists(cls);
  auto it = lists.ByName.find(UpperCase(name));
  return it == lists.ByName.end() ? nullptr : it->second;
}

namespace {

// Calls Visit with each published method of cls and its ancestors, the class's own first,
// until it returns true; the method found then, or null.
template <class F> PMethodInfo FindMethod(TClass cls, F Visit)
{
  for (TClass c = cls; c; c = c->Parent)
    if (c->Props)
      for (const auto& m : c->Props->Methods)
        if (Visit(*m))
          return m.get();
  return nullptr;
}

} // namespace

TMethod MethodAddress(TObject* obj, const AnsiString& name)
{
  if (!obj || name.empty())
    return TMethod();
  PMethodInfo m = FindMethod(obj->ClassType(),
                             [&](const TMethodInfo& info) { return SameText(info.Name, name); });
  return m ? m->Bind(obj) : TMethod();
}

AnsiString MethodName(TObject* obj, const TMethod& method)
{
  if (!obj || !method || method.Object() != obj)
    return AnsiString();
  PMethodInfo m = FindMethod(obj->ClassType(), [&](const TMethodInfo& info) {
    return info.Bind(obj).Identity() == method.Identity();
  });
  return m ? m->Name : AnsiString();
}

PPropInfo GetPropInfo(const TObject* obj, const AnsiString& name)
{
  return obj ? GetPropInfo(obj->ClassType(), name) : nullptr;
}

PPropInfo GetPropInfo(const TObject* obj, const AnsiString& name, TTypeKinds kinds)
{
  PPropInfo p = GetPropInfo(obj, name);
  return p && kinds.Contains(p->Kind()) ? p : nullptr;
}

bool IsPublishedProp(const TObject* obj, const AnsiString& name)
{
  return GetPropInfo(obj, name) != nullptr;
}

TTypeKind PropType(const TObject* obj, const AnsiString& name)
{
  PPropInfo prop = GetPropInfo(obj, name);
  if (!prop)
    throw EPropertyError(Format(SUnknownProperty, {name}));
  return prop->Kind();
}

bool PropIsType(const TObject* obj, const AnsiString& name, TTypeKind kind)
{
  return PropType(obj, name) == kind;
}

namespace typinfo_detail {

void RaiseMissingTypeInfo(const std::type_info& type)
{
  throw EPropertyError(Format(SNoTypeInfo, {TypeName(type)}));
}

void RaiseUnregisteredClass(const std::type_info& type)
{
  throw EPropertyError("Class " + TypeName(type) + " is not registered");
}

void RaiseConversion()
{
  throw EPropertyError(SInvalidPropertyValue);
}

void RaiseReadOnly()
{
  throw EPropertyError(Format(SPropertyReadOnly, {""}));
}

void ClassesChanged()
{
  ++gGeneration;
}

PPropInfo RequireProp(TObject* obj, const AnsiString& name)
{
  PPropInfo prop = obj ? GetPropInfo(obj, name) : nullptr;
  if (!prop)
    throw EPropertyError(Format(SUnknownProperty, {name}));
  return prop;
}

void CheckWritable(PPropInfo prop)
{
  if (prop->ReadOnly())
    throw EPropertyError(Format(SPropertyReadOnly, {prop->Name}));
}

} // namespace typinfo_detail

void TMethod::RaiseSignatureMismatch()
{
  throw EPropertyError(SInvalidPropertyValue);
}

// ---- Access by kind ----

void RaiseInvalidPropType(PPropInfo prop)
{
  throw EPropertyError(Format(SInvalidPropertyType, {prop->PropType->Name}));
}

NativeInt GetOrdProp(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, kOrdKinds);
  return prop->Access->GetOrd(obj);
}

void SetOrdProp(TObject* obj, PPropInfo prop, NativeInt value)
{
  CheckKind(prop, kOrdKinds);
  CheckWritable(prop);
  PTypeInfo type = prop->PropType;
  if (type->Kind == tkEnumeration && (value < type->MinValue || value > type->MaxValue))
    throw EPropertyError(SInvalidPropertyValue);
  prop->Access->SetOrd(obj, value);
}

Int64 GetInt64Prop(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, kInt64Kinds);
  return prop->Access->GetInt64(obj);
}

void SetInt64Prop(TObject* obj, PPropInfo prop, Int64 value)
{
  CheckKind(prop, kInt64Kinds);
  if (prop->Kind() != tkInt64) {
    SetOrdProp(obj, prop, static_cast<NativeInt>(value));
    return;
  }
  CheckWritable(prop);
  prop->Access->SetInt64(obj, value);
}

Extended GetFloatProp(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, TTypeKinds{tkFloat});
  return prop->Access->GetFloat(obj);
}

void SetFloatProp(TObject* obj, PPropInfo prop, Extended value)
{
  CheckKind(prop, TTypeKinds{tkFloat});
  CheckWritable(prop);
  prop->Access->SetFloat(obj, value);
}

AnsiString GetStrProp(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, tkStrings);
  if (prop->Kind() == tkWString)
    return WideToGbk(prop->Access->GetWideStr(obj));
  return prop->Access->GetStr(obj);
}

void SetStrProp(TObject* obj, PPropInfo prop, const AnsiString& value)
{
  CheckKind(prop, tkStrings);
  CheckWritable(prop);
  if (prop->Kind() == tkWString)
    prop->Access->SetWideStr(obj, GbkToWide(value));
  else
    prop->Access->SetStr(obj, value);
}

WideString GetWideStrProp(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, tkStrings);
  if (prop->Kind() != tkWString)
    return GbkToWide(prop->Access->GetStr(obj));
  return prop->Access->GetWideStr(obj);
}

void SetWideStrProp(TObject* obj, PPropInfo prop, const WideString& value)
{
  CheckKind(prop, tkStrings);
  CheckWritable(prop);
  if (prop->Kind() != tkWString)
    prop->Access->SetStr(obj, WideToGbk(value));
  else
    prop->Access->SetWideStr(obj, value);
}

TObject* GetObjectProp(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, TTypeKinds{tkClass});
  return prop->Access->GetObject(obj);
}

void SetObjectProp(TObject* obj, PPropInfo prop, TObject* value)
{
  CheckKind(prop, TTypeKinds{tkClass});
  CheckWritable(prop);
  prop->Access->SetObject(obj, value);
}

TMethod GetMethodProp(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, TTypeKinds{tkMethod});
  return prop->Access->GetMethod(obj);
}

void SetMethodProp(TObject* obj, PPropInfo prop, const TMethod& value)
{
  CheckKind(prop, TTypeKinds{tkMethod});
  CheckWritable(prop);
  prop->Access->SetMethod(obj, value);
}

AnsiString GetEnumProp(TObject* obj, PPropInfo prop)
{
  CheckKind(prop, TTypeKinds{tkEnumeration});
  return GetEnumName(prop->PropType, static_cast<Integer>(prop->Access->GetOrd(obj)));
}

void SetEnumProp(TObject* obj, PPropInfo prop, const AnsiString& value)
{
  CheckKind(prop, TTypeKinds{tkEnumeration});
  Integer ord = GetEnumValue(prop->PropType, TrimBlanks(value));
  if (ord < 0)
    throw EPropertyConvertError(Format(SInvalidPropertyElement, {value}));
  SetOrdProp(obj, prop, ord);
}

AnsiString GetSetProp(TObject* obj, PPropInfo prop, bool brackets)
{
  CheckKind(prop, TTypeKinds{tkSet});
  return SetToString(prop->PropType, static_cast<Integer>(prop->Access->GetOrd(obj)), brackets);
}

void SetSetProp(TObject* obj, PPropInfo prop, const AnsiString& value)
{
  CheckKind(prop, TTypeKinds{tkSet});
  SetOrdProp(obj, prop, static_cast<std::uint32_t>(StringToSet(prop->PropType, value)));
}

NativeInt GetOrdProp(TObject* obj, const AnsiString& name)
{
  return GetOrdProp(obj, Require(obj, name));
}
void SetOrdProp(TObject* obj, const AnsiString& name, NativeInt value)
{
  SetOrdProp(obj, Require(obj, name), value);
}
Int64 GetInt64Prop(TObject* obj, const AnsiString& name)
{
  return GetInt64Prop(obj, Require(obj, name));
}
void SetInt64Prop(TObject* obj, const AnsiString& name, Int64 value)
{
  SetInt64Prop(obj, Require(obj, name), value);
}
Extended GetFloatProp(TObject* obj, const AnsiString& name)
{
  return GetFloatProp(obj, Require(obj, name));
}
void SetFloatProp(TObject* obj, const AnsiString& name, Extended value)
{
  SetFloatProp(obj, Require(obj, name), value);
}
AnsiString GetStrProp(TObject* obj, const AnsiString& name)
{
  return GetStrProp(obj, Require(obj, name));
}
void SetStrProp(TObject* obj, const AnsiString& name, const AnsiString& value)
{
  SetStrProp(obj, Require(obj, name), value);
}
WideString GetWideStrProp(TObject* obj, const AnsiString& name)
{
  return GetWideStrProp(obj, Require(obj, name));
}
void SetWideStrProp(TObject* obj, const AnsiString& name, const WideString& value)
{
  SetWideStrProp(obj, Require(obj, name), value);
}
TObject* GetObjectProp(TObject* obj, const AnsiString& name)
{
  return GetObjectProp(obj, Require(obj, name));
}
void SetObjectProp(TObject* obj, const AnsiString& name, TObject* value)
{
  SetObjectProp(obj, Require(obj, name), value);
}
TMethod GetMethodProp(TObject* obj, const AnsiString& name)
{
  return GetMethodProp(obj, Require(obj, name));
}
void SetMethodProp(TObject* obj, const AnsiString& name, const TMethod& value)
{
  SetMethodProp(obj, Require(obj, name), value);
}
AnsiString GetEnumProp(TObject* obj, const AnsiString& name)
{
  return GetEnumProp(obj, Require(obj, name));
}
void SetEnumProp(TObject* obj, const AnsiString& name, const AnsiString& value)
{
  SetEnumProp(obj, Require(obj, name), value);
}
AnsiString GetSetProp(TObject* obj, const AnsiString& name, bool brackets)
{
  return GetSetProp(obj, Require(obj, name), brackets);
}
void SetSetProp(TObject* obj, const AnsiString& name, const AnsiString& value)
{
  SetSetProp(obj, Require(obj, name), value);
}

// ---- Stored rules and defaults ----

bool IsStoredProp(TObject* obj, PPropInfo prop)
{
  switch (prop->Stored) {
  case srAlways:
    return true;
  case srNever:
    return false;
  case srPredicate:
    return prop->StoredProc ? prop->StoredProc(obj) : true;
  }
  return true;
}

bool IsDefaultPropValue(TObject* obj, PPropInfo prop)
{
  const TPropAccessor& access = *prop->Access;
  switch (prop->Kind()) {
  case tkInteger:
  case tkChar:
  case tkWChar:
  case tkEnumeration:
  case tkSet:
    return prop->HasDefault && access.GetOrd(obj) == prop->Default;
  case tkInt64:
    return access.GetInt64(obj) == 0;
  case tkFloat:
    return access.GetFloat(obj) == 0;
  case tkString:
  case tkLString:
    return access.GetStr(obj).empty();
  case tkWString:
    return access.GetWideStr(obj).empty();
  case tkClass:
    return access.GetObject(obj) == nullptr;
  case tkMethod:
    return !access.GetMethod(obj).Assigned();
  default:
    return false;
  }
}
