// Helpers for the units that bind native classes for scripts: argument readers and adapters
// from plain functions to the engine's member callbacks. Each binding unit brings them into
// its anonymous namespace with `using namespace fsbinding;`.
#pragma once

#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Variants.h"
#include "report/script/fsScript.h"

namespace fsbinding {

template <class T> T* Self(TObject* instance)
{
  return static_cast<T*>(instance);
}

// An object argument: nil stays nil, an object of another class raises "Invalid class
// typecast", a freed one "Invalid object reference".
template <class T> T* ObjArg(const TfsCallArgs& args, Integer index)
{
  return As<T>(VarToObject(args[index]));
}

// An object argument that must be there: nil raises "Invalid object reference" as well.
template <class T> T* NeedObj(const TfsCallArgs& args, Integer index)
{
  T* obj = ObjArg<T>(args, index);
  if (!obj)
    throw EVariantInvalidArgError(SInvalidObjectReference);
  return obj;
}

inline AnsiString StrArg(const TfsCallArgs& args, Integer index)
{
  return VarToStr(args[index]);
}

inline Integer IntArg(const TfsCallArgs& args, Integer index)
{
  return args[index].AsInteger();
}

// A member callback that ignores the class and the name.
using TCall = Variant (*)(TObject* self, TfsCallArgs& args);
inline TfsCallArgsEvent Call(TCall call)
{
  return TfsCallArgsEvent([call](TObject* instance, TClass, const AnsiString&, TfsCallArgs& args) {
    return call(instance, args);
  });
}

using TGet = Variant (*)(TObject* self);
inline TfsGetValueEvent Get(TGet get)
{
  return TfsGetValueEvent(
      [get](TObject* instance, TClass, const AnsiString&) { return get(instance); });
}

using TSet = void (*)(TObject* self, const Variant& value);
inline TfsSetValueEvent Set(TSet set)
{
  return TfsSetValueEvent([set](TObject* instance, TClass, const AnsiString&,
                                const Variant& value) { set(instance, value); });
}

} // namespace fsbinding
