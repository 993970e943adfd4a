// Properties read and written as Variants: Variant properties themselves, and any property
// by its kind (the form the script binding and generic tools use).
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

namespace typinfo_detail {

const std::type_info& VariantTypeId()
{
  return typeid(Variant);
}

} // namespace typinfo_detail

Variant GetVariantProp(TObject* obj, PPropInfo prop)
{
  if (prop->Kind() != tkVariant)
    RaiseInvalidPropType(prop);
  return GetTypedProp<Variant>(obj, prop);
}

void SetVariantProp(TObject* obj, PPropInfo prop, const Variant& value)
{
  if (prop->Kind() != tkVariant)
    RaiseInvalidPropType(prop);
  typinfo_detail::CheckWritable(prop);
  SetTypedProp<Variant>(obj, prop, value);
}

Variant GetVariantProp(TObject* obj, const AnsiString& name)
{
  return GetVariantProp(obj, typinfo_detail::RequireProp(obj, name));
}

void SetVariantProp(TObject* obj, const AnsiString& name, const Variant& value)
{
  SetVariantProp(obj, typinfo_detail::RequireProp(obj, name), value);
}

Variant GetPropValue(TObject* obj, PPropInfo prop, bool preferStrings)
{
  switch (prop->Kind()) {
  case tkInteger:
  case tkChar:
  case tkWChar:
    return Variant(static_cast<Integer>(GetOrdProp(obj, prop)));
  case tkEnumeration:
    if (preferStrings)
      return Variant(GetEnumProp(obj, prop));
    return Variant(static_cast<Integer>(GetOrdProp(obj, prop)));
  case tkSet:
    if (preferStrings)
      return Variant(GetSetProp(obj, prop, false));
    return Variant(static_cast<Integer>(GetOrdProp(obj, prop)));
  case tkInt64:
    return Variant(GetInt64Prop(obj, prop));
  case tkFloat:
    return Variant(static_cast<Double>(GetFloatProp(obj, prop)));
  case tkString:
  case tkLString:
    return Variant(GetStrProp(obj, prop));
  case tkWString:
    return Variant(GetWideStrProp(obj, prop));
  case tkVariant:
    return GetVariantProp(obj, prop);
  case tkClass:
    return VarFromObject(GetObjectProp(obj, prop));
  default:
    RaiseInvalidPropType(prop);
  }
}

void SetPropValue(TObject* obj, PPropInfo prop, const Variant& value)
{
  switch (prop->Kind()) {
  case tkInteger:
  case tkChar:
  case tkWChar:
    SetOrdProp(obj, prop, value.AsInteger());
    return;
  case tkEnumeration:
    if (VarIsStr(value))
      SetEnumProp(obj, prop, value.AsString());
    else
      SetOrdProp(obj, prop, value.AsInteger());
    return;
  case tkSet:
    if (VarIsStr(value))
      SetSetProp(obj, prop, value.AsString());
    else
      SetOrdProp(obj, prop, static_cast<Cardinal>(value.AsInteger()));
    return;
  case tkInt64:
    SetInt64Prop(obj, prop, value.AsInt64());
    return;
  case tkFloat:
    SetFloatProp(obj, prop, value.AsDouble());
    return;
  case tkString:
  case tkLString:
    SetStrProp(obj, prop, value.AsString());
    return;
  case tkWString:
    SetWideStrProp(obj, prop, value.AsWideString());
    return;
  case tkVariant:
    SetVariantProp(obj, prop, value);
    return;
  case tkClass:
    SetObjectProp(obj, prop, VarToObject(value));
    return;
  default:
    RaiseInvalidPropType(prop);
  }
}

Variant GetPropValue(TObject* obj, const AnsiString& name, bool preferStrings)
{
  return GetPropValue(obj, typinfo_detail::RequireProp(obj, name), preferStrings);
}

void SetPropValue(TObject* obj, const AnsiString& name, const Variant& value)
{
  SetPropValue(obj, typinfo_detail::RequireProp(obj, name), value);
}
