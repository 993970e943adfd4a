// Published-property reflection: type information (kinds, enumeration names, set elements,
// named types such as TColor), property records with getter, setter, default and stored
// rule, the per-class registration builder, and access to properties by kind. The report
// serializer, the script binding, the object inspector and stored layouts all go through
// this one mechanism. Object.h holds the class records themselves.
//
// A class registers itself in its own .cpp, from a unit initialization:
//
//   TClassRegistration<TFoo, TComponent>("TFoo")
//       .Property("Alignment", &TFoo::Alignment, &TFoo::SetAlignment).Default(taLeftJustify)
//       .Property("Color", &TFoo::Color, &TFoo::SetColor).Type(TColorTypeInfo())
//       .Property("Caption", &TFoo::Caption, &TFoo::SetCaption).Stored(&TFoo::IsCaptionStored);
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Sets.h"

// ---- Type information ----

enum TTypeKind {
  tkUnknown,
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkString,
  tkSet,
  tkClass,
  tkMethod,
  tkWChar,
  tkLString,
  tkWString,
  tkVariant,
  tkArray,
  tkRecord,
  tkInterface,
  tkInt64,
  tkDynArray
};
using TTypeKinds = TSet<TTypeKind>;

inline constexpr TTypeKinds tkAny{tkUnknown,   tkInteger, tkChar,    tkEnumeration, tkFloat,
                                  tkString,    tkSet,     tkClass,   tkMethod,      tkWChar,
                                  tkLString,   tkWString, tkVariant, tkArray,       tkRecord,
                                  tkInterface, tkInt64,   tkDynArray};
inline constexpr TTypeKinds tkMethods{tkMethod};
inline constexpr TTypeKinds tkProperties = tkAny - TTypeKinds{tkUnknown, tkMethod};
inline constexpr TTypeKinds tkOrdinal{tkInteger, tkChar, tkEnumeration, tkSet, tkWChar};
inline constexpr TTypeKinds tkStrings{tkString, tkLString, tkWString};

enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// The type of a property. Named types (TColor, TCursor, TDateTime ...) have records of their
// own even where the C++ type is shared, so editors and binders can tell them apart by
// identity or by Name.
struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  AnsiString Name;
  TOrdType OrdType = otSLong;                // integer, char, enumeration
  Integer MinValue = 0;                      // ordinal range; for enumerations the names'
  Integer MaxValue = 0;                      // ordinals
  std::vector<AnsiString> EnumNames;         // enumeration: names of MinValue..MaxValue
  const TTypeInfo* CompType = nullptr;       // set: its element enumeration
  TFloatType FloatType = ftDouble;           // float
  TClass ClassType = nullptr;                // class
  const std::type_info* Signature = nullptr; // method: the handler's signature
};
using PTypeInfo = const TTypeInfo*;

// The type information bound to a C++ type: built-in types, and the enumerations, sets,
// events and named types registered below. Null when none is bound.
PTypeInfo FindTypeInfo(const std::type_info& type);
// A named type by its name, ignoring case ("Integer", "TColor", "TFontStyles" ...); null
// when unknown.
PTypeInfo FindTypeInfo(const AnsiString& name);

// Binds type information to a C++ type (replacing an earlier binding) and makes it known by
// its name. The record must live until the program ends.
void BindTypeInfo(const std::type_info& type, PTypeInfo info);
void AddNamedTypeInfo(PTypeInfo info);

// Creates (once per name) a type that is a copy of base under another name: TColor is an
// Integer with a type identity of its own.
PTypeInfo DefineNamedType(const AnsiString& name, PTypeInfo base);

PTypeInfo MakeEnumTypeInfo(const AnsiString& name, std::initializer_list<const char*> names,
                           Integer minValue);
PTypeInfo MakeSetTypeInfo(const AnsiString& name, PTypeInfo elementType);
PTypeInfo MakeMethodTypeInfo(const AnsiString& name, const std::type_info& signature);

// Registers enumeration E with its value names (ordinals minValue, minValue+1 ...).
// Registering again returns the existing record.
template <class E>
PTypeInfo RegisterEnumType(const AnsiString& name, std::initializer_list<const char*> names,
                           Integer minValue = 0)
{
  static_assert(std::is_enum_v<E>);
  if (PTypeInfo existing = FindTypeInfo(typeid(E)))
    return existing;
  PTypeInfo info = MakeEnumTypeInfo(name, names, minValue);
  BindTypeInfo(typeid(E), info);
  return info;
}

// Registers set type S = TSet<E>; E must be registered.
template <class S> PTypeInfo RegisterSetType(const AnsiString& name)
{
  if (PTypeInfo existing = FindTypeInfo(typeid(S)))
    return existing;
  PTypeInfo info = MakeSetTypeInfo(name, FindTypeInfo(typeid(typename S::ElementType)));
  BindTypeInfo(typeid(S), info);
  return info;
}

// Registers event type Ev = TEvent<Signature> under its name ("TMouseEvent").
template <class Ev> PTypeInfo RegisterEventType(const AnsiString& name)
{
  if (PTypeInfo existing = FindTypeInfo(typeid(Ev)))
    return existing;
  PTypeInfo info = MakeMethodTypeInfo(name, typeid(typename Ev::Signature));
  BindTypeInfo(typeid(Ev), info);
  return info;
}

// The class type of a class reference (kind tkClass, named after the class; known to
// FindTypeInfo by that name from its first use on).
PTypeInfo ClassTypeInfo(TClass cls);

// Built-in and named types.
PTypeInfo IntegerTypeInfo();
PTypeInfo Int64TypeInfo();
PTypeInfo BooleanTypeInfo(); // enumeration False, True
PTypeInfo CharTypeInfo();
PTypeInfo WideCharTypeInfo();
PTypeInfo DoubleTypeInfo();
PTypeInfo ExtendedTypeInfo();
PTypeInfo CurrencyTypeInfo();
PTypeInfo StringTypeInfo();
PTypeInfo WideStringTypeInfo();
PTypeInfo VariantTypeInfo();
PTypeInfo TDateTimeTypeInfo();
PTypeInfo TDateTypeInfo();
PTypeInfo TTimeTypeInfo();
PTypeInfo TColorTypeInfo();
PTypeInfo TCursorTypeInfo();
PTypeInfo TModalResultTypeInfo();
PTypeInfo TShortCutTypeInfo();
PTypeInfo TComponentNameTypeInfo();
PTypeInfo TCaptionTypeInfo();
PTypeInfo TNotifyEventTypeInfo();

// Enumeration names. GetEnumName gives "" for an ordinal outside the type; GetEnumValue
// ignores case and gives -1 for an unknown name.
AnsiString GetEnumName(PTypeInfo typeInfo, Integer value);
Integer GetEnumValue(PTypeInfo typeInfo, const AnsiString& name);

// Set text: "[fsBold,fsItalic]" (elements in ordinal order; without brackets on request).
// typeInfo is the set type; only elements 0..31 take part, as in the ordinal value.
AnsiString SetToString(PTypeInfo typeInfo, Integer value, bool brackets = true);
// Accepts the text with or without brackets, blanks around names; an unknown name raises
// EPropertyConvertError "Invalid property element: <name>".
Integer StringToSet(PTypeInfo typeInfo, const AnsiString& value);

// ---- Property records ----

inline constexpr Integer NoIndex = Integer(0x80000000);

enum TStoredRule { srAlways, srNever, srPredicate };

// Type-erased access to one property of one class; made by TClassRegistration.
class TPropAccessor {
public:
  virtual ~TPropAccessor() = default;
  virtual bool CanWrite() const = 0;
  virtual NativeInt GetOrd(TObject* obj) const = 0;
  virtual void SetOrd(TObject* obj, NativeInt value) const = 0;
  virtual Int64 GetInt64(TObject* obj) const = 0;
  virtual void SetInt64(TObject* obj, Int64 value) const = 0;
  virtual Extended GetFloat(TObject* obj) const = 0;
  virtual void SetFloat(TObject* obj, Extended value) const = 0;
  virtual AnsiString GetStr(TObject* obj) const = 0;
  virtual void SetStr(TObject* obj, const AnsiString& value) const = 0;
  virtual WideString GetWideStr(TObject* obj) const = 0;
  virtual void SetWideStr(TObject* obj, const WideString& value) const = 0;
  virtual TObject* GetObject(TObject* obj) const = 0;
  virtual void SetObject(TObject* obj, TObject* value) const = 0;
  virtual TMethod GetMethod(TObject* obj) const = 0;
  virtual void SetMethod(TObject* obj, const TMethod& value) const = 0;
  // Access with the property's exact C++ type (dest/src point at a value of that type);
  // false when type is another.
  virtual bool GetValue(TObject* obj, const std::type_info& type, void* dest) const = 0;
  virtual bool SetValue(TObject* obj, const std::type_info& type, const void* src) const = 0;
};

struct TPropInfo {
  AnsiString Name;
  PTypeInfo PropType = nullptr;
  TClass DeclaringClass = nullptr;
  Integer Index = NoIndex; // the index argument of an indexed property
  bool HasDefault = false; // ordinal kinds only: "default n" versus "nodefault"
  NativeInt Default = 0;
  TStoredRule Stored = srAlways;
  std::function<bool(TObject*)> StoredProc; // srPredicate
  // Text kinds: a new object holds a non-empty value, so an empty one is written too (a
  // reader that finds nothing would keep the new object's value).
  bool StoreEmpty = false;
  std::shared_ptr<const TPropAccessor> Access;

  TTypeKind Kind() const { return PropType->Kind; }
  bool ReadOnly() const { return !Access->CanWrite(); }
};
using PPropInfo = const TPropInfo*;

// A published method: a member function that streams name as an event's handler. The
// writer writes the name of a handler that is a published method of the root component;
// the reader binds the name to that method of the root it reads into.
struct TMethodInfo {
  AnsiString Name;
  TClass DeclaringClass = nullptr;
  // The method bound to an object of its class, as a handler value.
  std::function<TMethod(TObject*)> Bind;
};
using PMethodInfo = const TMethodInfo*;

// The published properties and methods one class declares; TypInfo.cpp derives the full
// property lists.
class TClassProps {
public:
  std::vector<std::unique_ptr<TPropInfo>> Own;
  std::vector<std::unique_ptr<TMethodInfo>> Methods;
};

// The order of the sorted property list: letters compared without regard to case (folded to
// lower case), bytes unsigned, so digits come before letters and a prefix before the longer
// name ("Restrictions" < "Rotation" < "RTLReading").
Integer ComparePropNames(const AnsiString& a, const AnsiString& b);

// Every published property of a class, base class first, each class's own in declaration
// order; a property redeclared by a descendant keeps its base position.
const std::vector<PPropInfo>& GetPropInfos(TClass cls);
// The properties of the given kinds, in declaration order or sorted (ComparePropNames).
std::vector<PPropInfo> GetPropList(TClass cls, TTypeKinds kinds = tkAny, bool sorted = false);
std::vector<PPropInfo> GetPropList(const TObject* obj, TTypeKinds kinds = tkAny,
                                   bool sorted = false);
// Finds a property by name ignoring case; null when the class has none of that name.
PPropInfo GetPropInfo(TClass cls, const AnsiString& name);
PPropInfo GetPropInfo(const TObject* obj, const AnsiString& name);
PPropInfo GetPropInfo(const TObject* obj, const AnsiString& name, TTypeKinds kinds);
bool IsPublishedProp(const TObject* obj, const AnsiString& name);
// The kind of a property by name; a missing one raises EPropertyError.
TTypeKind PropType(const TObject* obj, const AnsiString& name);
bool PropIsType(const TObject* obj, const AnsiString& name, TTypeKind kind);

// Access by kind. Each raises EPropertyError "Invalid property type: <type>" when the
// property's kind does not fit the call, and "Property <name> is read-only" when writing a
// property without setter. The by-name forms raise EPropertyError
// "Property <name> does not exist" for a missing name.
//  - Ord: integer, char, wide char, enumeration (Boolean: 0/1), set (bits of elements 0..31),
//    class (the object's address); writing an enumeration outside its range raises
//    EPropertyError "Invalid property value".
//  - Int64: Int64 and the ordinal kinds.
//  - Float: float kinds (Single, Double, Extended, Currency, TDateTime).
//  - Str and WideStr: 8-bit and wide strings, converted (GBK <-> UTF-16) across forms.
//  - Object: class kind; writing an object of the wrong class raises
//    EPropertyError "Invalid property value".
//  - Method: event kind.
NativeInt GetOrdProp(TObject* obj, PPropInfo prop);
void SetOrdProp(TObject* obj, PPropInfo prop, NativeInt value);
Int64 GetInt64Prop(TObject* obj, PPropInfo prop);
void SetInt64Prop(TObject* obj, PPropInfo prop, Int64 value);
Extended GetFloatProp(TObject* obj, PPropInfo prop);
void SetFloatProp(TObject* obj, PPropInfo prop, Extended value);
AnsiString GetStrProp(TObject* obj, PPropInfo prop);
void SetStrProp(TObject* obj, PPropInfo prop, const AnsiString& value);
WideString GetWideStrProp(TObject* obj, PPropInfo prop);
void SetWideStrProp(TObject* obj, PPropInfo prop, const WideString& value);
TObject* GetObjectProp(TObject* obj, PPropInfo prop);
void SetObjectProp(TObject* obj, PPropInfo prop, TObject* value);
TMethod GetMethodProp(TObject* obj, PPropInfo prop);
void SetMethodProp(TObject* obj, PPropInfo prop, const TMethod& value);
// Enumerations by name; sets as text.
AnsiString GetEnumProp(TObject* obj, PPropInfo prop);
void SetEnumProp(TObject* obj, PPropInfo prop, const AnsiString& value);
AnsiString GetSetProp(TObject* obj, PPropInfo prop, bool brackets = true);
void SetSetProp(TObject* obj, PPropInfo prop, const AnsiString& value);

NativeInt GetOrdProp(TObject* obj, const AnsiString& name);
void SetOrdProp(TObject* obj, const AnsiString& name, NativeInt value);
Int64 GetInt64Prop(TObject* obj, const AnsiString& name);
void SetInt64Prop(TObject* obj, const AnsiString& name, Int64 value);
Extended GetFloatProp(TObject* obj, const AnsiString& name);
void SetFloatProp(TObject* obj, const AnsiString& name, Extended value);
AnsiString GetStrProp(TObject* obj, const AnsiString& name);
void SetStrProp(TObject* obj, const AnsiString& name, const AnsiString& value);
WideString GetWideStrProp(TObject* obj, const AnsiString& name);
void SetWideStrProp(TObject* obj, const AnsiString& name, const WideString& value);
TObject* GetObjectProp(TObject* obj, const AnsiString& name);
void SetObjectProp(TObject* obj, const AnsiString& name, TObject* value);
TMethod GetMethodProp(TObject* obj, const AnsiString& name);
void SetMethodProp(TObject* obj, const AnsiString& name, const TMethod& value);
AnsiString GetEnumProp(TObject* obj, const AnsiString& name);
void SetEnumProp(TObject* obj, const AnsiString& name, const AnsiString& value);
AnsiString GetSetProp(TObject* obj, const AnsiString& name, bool brackets = true);
void SetSetProp(TObject* obj, const AnsiString& name, const AnsiString& value);

// The property's value with its exact C++ type T; another type raises
// EPropertyError "Invalid property type: <type>".
[[noreturn]] void RaiseInvalidPropType(PPropInfo prop);
template <class T> T GetTypedProp(TObject* obj, PPropInfo prop)
{
  T value{};
  if (!prop->Access->GetValue(obj, typeid(T), &value))
    RaiseInvalidPropType(prop);
  return value;
}
template <class T> void SetTypedProp(TObject* obj, PPropInfo prop, const T& value)
{
  if (!prop->Access->SetValue(obj, typeid(T), &value))
    RaiseInvalidPropType(prop);
}

// Variant access (TypInfoVariant.cpp; include Variants.h to call them).
//  - Get/SetVariantProp: Variant properties.
//  - Get/SetPropValue: any kind as a Variant. Integers, chars and Int64 as numbers,
//    enumerations and sets as their names when preferStrings (else ordinals), floats,
//    strings, Variants as they are, objects as object handles (VarFromObject). Writing
//    takes the same forms back; an enumeration or set also accepts a number. Events
//    raise EPropertyError "Invalid property type: <type>".
class Variant;
Variant GetVariantProp(TObject* obj, PPropInfo prop);
void SetVariantProp(TObject* obj, PPropInfo prop, const Variant& value);
Variant GetVariantProp(TObject* obj, const AnsiString& name);
void SetVariantProp(TObject* obj, const AnsiString& name, const Variant& value);
Variant GetPropValue(TObject* obj, PPropInfo prop, bool preferStrings = true);
void SetPropValue(TObject* obj, PPropInfo prop, const Variant& value);
Variant GetPropValue(TObject* obj, const AnsiString& name, bool preferStrings = true);
void SetPropValue(TObject* obj, const AnsiString& name, const Variant& value);

// The stored rule of the property for this object.
bool IsStoredProp(TObject* obj, PPropInfo prop);
// True when the value equals the property's default: ordinal kinds with a default compare
// with it (without one they are never at their default); Int64 and floats are at their
// default when 0, strings when empty, objects when nil, events when unassigned.
bool IsDefaultPropValue(TObject* obj, PPropInfo prop);

// Published methods. MethodAddress gives the method Name (ignoring case) of obj's class or
// an ancestor, bound to obj; unassigned when there is none. MethodName gives the name of the
// published method of obj's class or an ancestor that Method is, bound to obj; "" when it is
// none of them (a lambda, another object's method, an unpublished one).
TMethod MethodAddress(TObject* obj, const AnsiString& name);
AnsiString MethodName(TObject* obj, const TMethod& method);

// ---- Registration ----

// Metadata of a C++ class; null when it never was registered.
template <class T> TClass ClassInfoOf()
{
  return ClassInfoOf(typeid(T));
}

// Records the metadata of a class with its parent (registered before it); registering a
// class again returns the existing record. isInstance answers whether an object is of the
// class or a descendant; it lets ClassType() find the nearest registered class of objects
// whose own class never registered.
TClass RegisterClassInfo(const std::type_info& type, const AnsiString& name, TClass parent,
                         TClassFactory factory, bool (*isInstance)(const TObject*) = nullptr);

namespace typinfo_detail {

template <class T> struct IsSet : std::false_type {
};
template <class E> struct IsSet<TSet<E>> : std::true_type {
};

template <class T> struct IsEvent : std::false_type {
};
template <class S> struct IsEvent<TEvent<S>> : std::true_type {
};

template <class T>
constexpr bool IsObjectPtr =
    std::is_pointer_v<T>&& std::is_base_of_v<TObject, std::remove_pointer_t<T>>;

// EPropertyError "No type information for <type>" / "Class <type> is not registered".
[[noreturn]] void RaiseMissingTypeInfo(const std::type_info& type);
[[noreturn]] void RaiseUnregisteredClass(const std::type_info& type);
[[noreturn]] void RaiseConversion(); // EPropertyError "Invalid property value"
[[noreturn]] void RaiseReadOnly();
void ClassesChanged();
TClassInfo* MutableClass(TClass cls);
// EPropertyError "Property <name> does not exist" / "Property <name> is read-only".
PPropInfo RequireProp(TObject* obj, const AnsiString& name);
void CheckWritable(PPropInfo prop);

template <class T> PTypeInfo DeduceTypeInfo()
{
  if (PTypeInfo info = FindTypeInfo(typeid(T)))
    return info;
  if constexpr (IsObjectPtr<T>) {
    if (TClass cls = ClassInfoOf<std::remove_pointer_t<T>>())
      return ClassTypeInfo(cls);
  }
  RaiseMissingTypeInfo(typeid(T));
}

template <class T> NativeInt ToOrd(const T& v)
{
  if constexpr (std::is_same_v<T, bool>)
    return v ? 1 : 0;
  else if constexpr (std::is_same_v<T, char>)
    return static_cast<unsigned char>(v);
  else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
    return static_cast<NativeInt>(v);
  else if constexpr (IsSet<T>::value)
    return static_cast<NativeInt>(v.Raw());
  else if constexpr (IsObjectPtr<T>)
    return reinterpret_cast<NativeInt>(static_cast<TObject*>(v));
  else
    RaiseConversion();
}

template <class T> T FromOrd(NativeInt v)
{
  if constexpr (std::is_same_v<T, bool>)
    return v != 0;
  else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
    return static_cast<T>(v);
  else if constexpr (IsSet<T>::value)
    return T::FromRaw(static_cast<std::uint32_t>(v));
  else
    RaiseConversion();
}

template <class C, class T, class G, class S> class TTypedAccessor final : public TPropAccessor {
public:
  TTypedAccessor(G getter, S setter) : FGetter(getter), FSetter(setter) {}

  bool CanWrite() const override { return !std::is_same_v<S, std::nullptr_t>; }

  NativeInt GetOrd(TObject* obj) const override
  {
    if constexpr (IsObjectPtr<T> || std::is_integral_v<T> || std::is_enum_v<T> || IsSet<T>::value)
      return ToOrd<T>(Get(obj));
    else
      RaiseConversion();
  }
  void SetOrd(TObject* obj, NativeInt value) const override
  {
    if constexpr (IsObjectPtr<T>)
      SetObject(obj, reinterpret_cast<TObject*>(value));
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T> || IsSet<T>::value)
      Set(obj, FromOrd<T>(value));
    else
      RaiseConversion();
  }
  Int64 GetInt64(TObject* obj) const override
  {
    if constexpr (std::is_integral_v<T> || std::is_enum_v<T> || IsSet<T>::value)
      return static_cast<Int64>(ToOrd<T>(Get(obj)));
    else
      RaiseConversion();
  }
  void SetInt64(TObject* obj, Int64 value) const override
  {
    if constexpr (std::is_integral_v<T> || std::is_enum_v<T> || IsSet<T>::value)
      Set(obj, FromOrd<T>(static_cast<NativeInt>(value)));
    else
      RaiseConversion();
  }
  Extended GetFloat(TObject* obj) const override
  {
    if constexpr (std::is_floating_point_v<T>)
      return static_cast<Extended>(Get(obj));
    else if constexpr (std::is_same_v<T, Currency>)
      return Get(obj).ToExtended();
    else
      RaiseConversion();
  }
  void SetFloat(TObject* obj, Extended value) const override
  {
    if constexpr (std::is_floating_point_v<T>)
      Set(obj, static_cast<T>(value));
    else if constexpr (std::is_same_v<T, Currency>)
      Set(obj, Currency(value));
    else
      RaiseConversion();
  }
  AnsiString GetStr(TObject* obj) const override
  {
    if constexpr (std::is_same_v<T, AnsiString>)
      return Get(obj);
    else
      RaiseConversion();
  }
  void SetStr(TObject* obj, const AnsiString& value) const override
  {
    if constexpr (std::is_same_v<T, AnsiString>)
      Set(obj, value);
    else
      RaiseConversion();
  }
  WideString GetWideStr(TObject* obj) const override
  {
    if constexpr (std::is_same_v<T, WideString>)
      return Get(obj);
    else
      RaiseConversion();
  }
  void SetWideStr(TObject* obj, const WideString& value) const override
  {
    if constexpr (std::is_same_v<T, WideString>)
      Set(obj, value);
    else
      RaiseConversion();
  }
  TObject* GetObject(TObject* obj) const override
  {
    if constexpr (IsObjectPtr<T>)
      return Get(obj);
    else
      RaiseConversion();
  }
  void SetObject(TObject* obj, TObject* value) const override
  {
    if constexpr (IsObjectPtr<T>) {
      T typed = nullptr;
      if (value) {
        typed = dynamic_cast<T>(value);
        if (!typed)
          RaiseConversion();
      }
      Set(obj, typed);
    } else {
      RaiseConversion();
    }
  }
  TMethod GetMethod(TObject* obj) const override
  {
    if constexpr (IsEvent<T>::value)
      return TMethod(Get(obj));
    else
      RaiseConversion();
  }
  void SetMethod(TObject* obj, const TMethod& value) const override
  {
    if constexpr (IsEvent<T>::value)
      Set(obj, value.template As<T>());
    else
      RaiseConversion();
  }
  bool GetValue(TObject* obj, const std::type_info& type, void* dest) const override
  {
    if (type != typeid(T))
      return false;
    *static_cast<T*>(dest) = Get(obj);
    return true;
  }
  bool SetValue(TObject* obj, const std::type_info& type, const void* src) const override
  {
    if (type != typeid(T))
      return false;
    Set(obj, *static_cast<const T*>(src));
    return true;
  }

private:
  static C* Self(TObject* obj) { return static_cast<C*>(obj); }
  T Get(TObject* obj) const { return std::invoke(FGetter, Self(obj)); }
  void Set(TObject* obj, const T& value) const
  {
    if constexpr (std::is_same_v<S, std::nullptr_t>)
      RaiseReadOnly();
    else if constexpr (std::is_member_object_pointer_v<S>)
      Self(obj)->*FSetter = value;
    else
      std::invoke(FSetter, Self(obj), value);
  }

  G FGetter;
  S FSetter;
};

} // namespace typinfo_detail

// The registration builder: creates the class record of C (parent P, which must be
// registered before) and adds its published properties in declaration order. Each call of
// Default, NoDefault, Stored, Type and ReadOnly applies to the property added last.
// Registering a class that already has a record changes nothing, so unit initializations
// may run again.
template <class C, class P = TObject> class TClassRegistration {
  static_assert(std::is_base_of_v<TObject, C> && std::is_base_of_v<P, C>);

public:
  explicit TClassRegistration(const AnsiString& name)
  {
    TClass parent = ClassInfoOf<P>();
    if (!parent)
      typinfo_detail::RaiseUnregisteredClass(typeid(P));
    FExisted = ClassInfoOf<C>() != nullptr;
    FClass = typinfo_detail::MutableClass(
        RegisterClassInfo(typeid(C), name, parent, DefaultFactory(), &IsInstance));
  }

  operator TClass() const { return FClass; }
  TClass Class() const { return FClass; }

  // The class cannot be constructed by reference.
  TClassRegistration& Abstract() { return Factory(nullptr); }
  TClassRegistration& Factory(TClassFactory factory)
  {
    if (!FExisted)
      FClass->Factory = factory;
    return *this;
  }
  // The class's class-side operations: one object, owned by the record.
  template <class Ops> TClassRegistration& ClassOps()
  {
    if (!FExisted)
      FClass->Ops = new Ops();
    return *this;
  }

  // A property read by getter and written by setter. Each may be a member function, a
  // data member (an event: .Property("OnChange", &TFoo::OnChange, &TFoo::OnChange)) or a
  // callable taking C* (and, for the setter, the getter's value type).
  template <class G, class S>
  TClassRegistration& Property(const AnsiString& name, G getter, S setter)
  {
    using T = std::decay_t<std::invoke_result_t<G, C*>>;
    return Add<T>(name, getter, setter);
  }
  // A read-only property.
  template <class G> TClassRegistration& Property(const AnsiString& name, G getter)
  {
    return Property(name, getter, nullptr);
  }
  // An indexed property: getter(C*, index) and setter(C*, index, value) share one
  // accessor pair among several properties.
  template <class G, class S>
  TClassRegistration& IndexedProperty(const AnsiString& name, Integer index, G getter, S setter)
  {
    using T = std::decay_t<std::invoke_result_t<G, C*, Integer>>;
    auto get = [getter, index](C* self) -> T { return std::invoke(getter, self, index); };
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      Add<T>(name, get, nullptr);
    } else {
      auto set = [setter, index](C* self, const T& v) { std::invoke(setter, self, index, v); };
      Add<T>(name, get, set);
    }
    if (FLast)
      FLast->Index = index;
    return *this;
  }
  // Repeats an inherited property (keeping its position) so that Default/Stored can change.
  TClassRegistration& Redeclare(const AnsiString& name)
  {
    FLast = nullptr;
    if (FExisted)
      return *this;
    PPropInfo base = GetPropInfo(FClass->Parent, name);
    if (!base)
      typinfo_detail::RequireProp(nullptr, name); // raises "Property <name> does not exist"
    auto prop = std::make_unique<TPropInfo>(*base);
    prop->DeclaringClass = FClass;
    Append(std::move(prop));
    return *this;
  }

  template <class V> TClassRegistration& Default(const V& value)
  {
    if (FLast) {
      FLast->HasDefault = true;
      FLast->Default = typinfo_detail::ToOrd<V>(value);
    }
    return *this;
  }
  TClassRegistration& NoDefault()
  {
    if (FLast)
      FLast->HasDefault = false;
    return *this;
  }
  TClassRegistration& StoreEmpty()
  {
    if (FLast)
      FLast->StoreEmpty = true;
    return *this;
  }
  TClassRegistration& Stored(bool stored)
  {
    if (FLast) {
      FLast->Stored = stored ? srAlways : srNever;
      FLast->StoredProc = nullptr;
    }
    return *this;
  }
  // A stored predicate: a member function of C or a callable taking C*.
  template <class F>
  requires std::is_invocable_r_v<bool, F, C*> TClassRegistration& Stored(F predicate)
  {
    if (FLast) {
      FLast->Stored = srPredicate;
      FLast->StoredProc = [predicate](TObject* obj) {
        return std::invoke(predicate, static_cast<C*>(obj));
      };
    }
    return *this;
  }
  // A published method, which streams may name as the handler of an event:
  // .Method("Query1BeforeOpen", &TDataModule1::Query1BeforeOpen).
  template <class R, class B, class... Args>
  TClassRegistration& Method(const AnsiString& name, R (B::*method)(Args...))
  {
    static_assert(std::is_base_of_v<B, C>, "the method must belong to the class");
    FLast = nullptr;
    if (FExisted)
      return *this;
    auto info = std::make_unique<TMethodInfo>();
    info->Name = name;
    info->DeclaringClass = FClass;
    info->Bind = [method](TObject* obj) {
      return TMethod(TEvent<R(Args...)>::Bind(static_cast<C*>(obj), method));
    };
    if (!FClass->Props)
      FClass->Props = new TClassProps();
    FClass->Props->Methods.push_back(std::move(info));
    return *this;
  }
  // Gives the property a named type (TColor, TDateTime ...) of the same kind.
  TClassRegistration& Type(PTypeInfo typeInfo)
  {
    if (FLast)
      FLast->PropType = typeInfo;
    return *this;
  }

private:
  static bool IsInstance(const TObject* obj) { return dynamic_cast<const C*>(obj) != nullptr; }

  static TClassFactory DefaultFactory()
  {
    if constexpr (std::is_abstract_v<C>)
      return nullptr;
    else if constexpr (std::is_constructible_v<C, TComponent*>)
      return [](TComponent* owner) -> TObject* { return new C(owner); };
    else if constexpr (std::is_default_constructible_v<C>)
      return [](TComponent*) -> TObject* { return new C(); };
    else
      return nullptr;
  }

  template <class T, class G, class S>
  TClassRegistration& Add(const AnsiString& name, G getter, S setter)
  {
    FLast = nullptr;
    if (FExisted)
      return *this;
    auto prop = std::make_unique<TPropInfo>();
    prop->Name = name;
    prop->PropType = typinfo_detail::DeduceTypeInfo<T>();
    prop->DeclaringClass = FClass;
    prop->Access = std::make_shared<typinfo_detail::TTypedAccessor<C, T, G, S>>(getter, setter);
    Append(std::move(prop));
    return *this;
  }

  void Append(std::unique_ptr<TPropInfo> prop)
  {
    if (!FClass->Props)
      FClass->Props = new TClassProps();
    FLast = prop.get();
    FClass->Props->Own.push_back(std::move(prop));
    typinfo_detail::ClassesChanged();
  }

  TClassInfo* FClass = nullptr;
  TPropInfo* FLast = nullptr;
  bool FExisted = false;
};

// Records the class of exception E (parent P, registered before) and makes it known by
// name (FindClass), as scripts raise and test exceptions by name.
template <class E, class P> TClass RegisterExceptionClass(const AnsiString& name)
{
  TClass cls = TClassRegistration<E, P>(name);
  RegisterClass(cls);
  return cls;
}
