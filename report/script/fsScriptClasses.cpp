// Bound classes and functions of the script program model (fsScript.h): class entries with
// their members, and the method, property and event helpers that call into native objects.
// Published properties are read and written through the platform's reflection; everything
// else goes to the callbacks a binding registered. fsEvents.h holds the event adapters.
#include <memory>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"
#include "report/script/ScriptLanguages.h"
#include "report/script/fsEvents.h"
#include "report/script/fsScript.h"
#include "report/script/fsTools.h"

namespace {

// The static type of a published property as scripts see it.
TfsTypeRec PublishedType(PPropInfo prop)
{
  PTypeInfo type = prop->PropType;
  switch (type->Kind) {
  case tkChar:
  case tkWChar:
    return {fvtChar, AnsiString()};
  case tkEnumeration:
    if (SameText(type->Name, "Boolean"))
      return {fvtBool, AnsiString()};
    return {fvtEnum, type->Name};
  case tkFloat:
    return {fvtFloat, AnsiString()};
  case tkString:
  case tkLString:
  case tkWString:
    return {fvtString, AnsiString()};
  case tkSet:
    return {fvtEnum, type->Name};
  case tkClass:
    return {fvtClass, type->ClassType ? type->ClassType->Name : type->Name};
  case tkVariant:
    return {fvtVariant, AnsiString()};
  default:
    return {fvtInt, AnsiString()};
  }
}

// A published property's value: characters as one-character texts, floats, texts, Variants,
// ordinals (enumerations by ordinal, sets as bit masks), objects as handles, 64-bit integers.
Variant ReadPublished(TObject* instance, PPropInfo prop)
{
  switch (prop->Kind()) {
  case tkChar:
    return Variant(AnsiString(1, static_cast<char>(GetOrdProp(instance, prop))));
  case tkWChar:
    return Variant(WideString(1, static_cast<char16_t>(GetOrdProp(instance, prop))));
  case tkFloat:
    return Variant(static_cast<Double>(GetFloatProp(instance, prop)));
  case tkString:
  case tkLString:
    return Variant(GetStrProp(instance, prop));
  case tkWString:
    return Variant(GetWideStrProp(instance, prop));
  case tkVariant:
    return GetVariantProp(instance, prop);
  case tkInteger:
  case tkEnumeration:
  case tkSet:
    return Variant(static_cast<Integer>(GetOrdProp(instance, prop)));
  case tkClass:
    return VarFromObject(GetObjectProp(instance, prop));
  case tkInt64:
    return Variant(GetInt64Prop(instance, prop));
  default:
    return Null();
  }
}

void WritePublished(TObject* instance, PPropInfo prop, const Variant& value, bool boolean)
{
  switch (prop->Kind()) {
  case tkChar:
  case tkWChar: {
    const AnsiString text = VarToStr(value);
    SetOrdProp(instance, prop, text.empty() ? 0 : static_cast<unsigned char>(text[0]));
    return;
  }
  case tkFloat:
    SetFloatProp(instance, prop, value.AsDouble());
    return;
  case tkString:
  case tkLString:
    SetStrProp(instance, prop, VarToStr(value));
    return;
  case tkWString:
    SetWideStrProp(instance, prop, VarToWideStr(value));
    return;
  case tkVariant:
    SetVariantProp(instance, prop, value);
    return;
  case tkInteger:
  case tkEnumeration:
    SetOrdProp(instance, prop, boolean ? (value.AsBoolean() ? 1 : 0) : value.AsInteger());
    return;
  case tkSet:
    SetOrdProp(instance, prop, static_cast<Cardinal>(value.AsInteger()));
    return;
  case tkClass:
    SetObjectProp(instance, prop, VarToObject(value));
    return;
  case tkInt64:
    SetInt64Prop(instance, prop, value.AsInt64());
    return;
  default:
    return;
  }
}

// The arguments of a call as a 0-based Variant array, with room for extra values after them.
Variant ArgumentArray(const TfsCustomVariable* item, Integer extra)
{
  const Integer count = item->Count();
  Variant args = VarArrayCreate({0, count + extra - 1}, varVariant);
  for (Integer i = 0; i < count; ++i)
    VarArrayPut(args, item->Params(i)->GetValue(), {i});
  return args;
}

} // namespace

// ---- helpers of bound members ----

TObject* TfsCustomHelper::ParentObject(TClass memberClass, bool allowNil) const
{
  TObject* obj = VarToObject(FParentValue);
  if (!obj) {
    if (allowNil)
      return nullptr;
    RaiseScriptError(SInvalidObjectReference);
  }
  if (memberClass && !obj->InheritsFrom(memberClass))
    RaiseInvalidCast();
  return obj;
}

TfsCallArgs::TfsCallArgs(TfsCustomVariable* item, Variant* extra)
    : FItem(item), FExtra(extra), FCount(item->Count() + (extra ? 1 : 0))
{
}

Variant& TfsCallArgs::operator[](Integer index) const
{
  if (index < 0 || index >= FCount)
    throw EListError(Format(SListIndexError, {index}));
  if (FExtra && index == FCount - 1)
    return *FExtra;
  return FItem->Params(index)->StoredValue();
}

TfsMethodHelper::TfsMethodHelper(const AnsiString& signature, TfsScript* script)
    : TfsCustomHelper("", fvtInt, ""), FSyntax(signature)
{
  std::unique_ptr<TfsCustomVariable> parsed = ParseMethodSignature(signature, script);
  FName = parsed->Name();
  FUpperName = UpperCase(FName);
  FGetName = FUpperName;
  FSetName = FUpperName;
  FTyp = parsed->Typ();
  FTypeName = parsed->TypeName();
  FIsMacro = parsed->IsMacro();
  FIsReadOnly = true;
  while (parsed->Count() > 0)
    Add(parsed->Remove(parsed->Items(0)));
}

void TfsMethodHelper::SetIndexMethod(bool value)
{
  FIndexMethod = value;
  FGetName = value ? FUpperName + ".GET" : FUpperName;
  FSetName = value ? FUpperName + ".SET" : FUpperName;
}

// None for a global function; for a constructor named on a class value, no instance and the
// class to construct; otherwise the checked parent object and the class the member was
// registered on.
void TfsMethodHelper::Target(TObject*& instance, TClass& cls) const
{
  instance = nullptr;
  cls = FClassRef;
  if (!FClassRef)
    return;
  if (IsConstructor() && VarIsClass(FParentValue)) {
    cls = VarToClass(FParentValue);
    if (!cls->InheritsFrom(FClassRef))
      RaiseInvalidCast();
    return;
  }
  instance = ParentObject(FClassRef, FAcceptsNil);
}

// The array form: the arguments (and a written value) copied into an array, var arguments
// copied back from it.
Variant TfsMethodHelper::CallWithArray(const AnsiString& name, Variant* extra)
{
  TObject* instance = nullptr;
  TClass cls = nullptr;
  Target(instance, cls);
  Variant args = ArgumentArray(this, extra ? 1 : 0);
  if (extra)
    VarArrayPut(args, *extra, {Count()});
  Variant result = OnCall(instance, cls, name, args);
  const Integer count = Count();
  for (Integer i = 0; i < count; ++i)
    if (Params(i)->IsVarParam())
      Params(i)->SetValue(VarArrayGet(args, {i}));
  return result;
}

Variant TfsMethodHelper::GetValue()
{
  if (OnCallArgs) {
    TObject* instance = nullptr;
    TClass cls = nullptr;
    Target(instance, cls);
    TfsCallArgs args(this, nullptr);
    return OnCallArgs(instance, cls, FGetName, args);
  }
  if (!OnCall)
    return Variant(0);
  return CallWithArray(FGetName, nullptr);
}

void TfsMethodHelper::SetValue(const Variant& value)
{
  if (!FIndexMethod)
    return;
  Variant written = value;
  if (OnCallArgs) {
    TObject* instance = nullptr;
    TClass cls = nullptr;
    Target(instance, cls);
    TfsCallArgs args(this, &written);
    OnCallArgs(instance, cls, FSetName, args);
  } else if (OnCall) {
    CallWithArray(FSetName, &written);
  }
}

TfsPropertyHelper::TfsPropertyHelper(const AnsiString& name, TfsVarType typ,
                                     const AnsiString& typeName, TClass classRef, bool published)
    : TfsCustomHelper(name, typ, typeName), FClassRef(classRef), FPublished(published),
      FUpperName(UpperCase(name))
{
}

const TPropInfo* TfsPropertyHelper::PublishedProp(TObject* instance)
{
  TClass cls = instance->ClassType();
  if (cls != FCachedClass) {
    FCachedProp = GetPropInfo(cls, FName);
    FCachedClass = cls;
  }
  return FCachedProp;
}

Variant TfsPropertyHelper::GetValue()
{
  TObject* instance = ParentObject(FClassRef);
  Variant result = Null();
  if (FPublished) {
    if (PPropInfo prop = PublishedProp(instance))
      result = ReadPublished(instance, prop);
  } else if (OnGetValue) {
    result = OnGetValue(instance, FClassRef, FUpperName);
  }
  if (FTyp == fvtBool && !VarIsNull(result))
    result = Variant(result.AsBoolean());
  return result;
}

void TfsPropertyHelper::SetValue(const Variant& value)
{
  if (FIsReadOnly)
    return;
  TObject* instance = ParentObject(FClassRef);
  if (FPublished) {
    if (PPropInfo prop = PublishedProp(instance))
      WritePublished(instance, prop, value, FTyp == fvtBool);
  } else if (OnSetValue) {
    OnSetValue(instance, FClassRef, FUpperName, value);
  }
}

TfsEventHelper::TfsEventHelper(const AnsiString& name, TClass classRef,
                               const TfsEventAdapter& adapter)
    : TfsCustomHelper(name, fvtString, ""), FClassRef(classRef), FAdapter(adapter)
{
}

Variant TfsEventHelper::GetValue()
{
  return Variant(AnsiString());
}

// nil clears the native event; a routine's name binds it through a new sink.
void TfsEventHelper::SetValue(const Variant& value)
{
  TObject* instance = ParentObject(FClassRef);
  PPropInfo prop = typinfo_detail::RequireProp(instance, FName);
  const AnsiString text = VarToStr(value);
  if (text.empty() || text == "0") {
    SetMethodProp(instance, prop, TMethod());
    return;
  }
  auto* handler = dynamic_cast<TfsProcVariable*>(FProgram ? FProgram->LookupItem(text) : nullptr);
  if (!handler)
    RaiseScriptError(SEventError);
  auto sink = std::make_shared<TfsCustomEvent>(instance, handler);
  SetMethodProp(instance, prop, FAdapter.MakeMethod(sink));
  AddToEventList(std::move(sink));
}

// ---- class entries ----

TfsClassVariable::TfsClassVariable(TClass classRef, const AnsiString& ancestor, TfsScript* script)
    : TfsCustomVariable(classRef->Name, fvtClass, classRef->Name), FAncestor(ancestor),
      FClassRef(classRef), FProgram(script)
{
  for (PPropInfo prop : GetPropList(classRef, tkProperties, true)) {
    const TfsTypeRec type = PublishedType(prop);
    AddMember(
        std::make_unique<TfsPropertyHelper>(prop->Name, type.Typ, type.TypeName, classRef, true))
        ->SetIsReadOnly(prop->ReadOnly());
  }
  Add(std::make_unique<TfsParamItem>("", fvtVariant, "", true, false));
}

namespace {

// "constructor Create(...)" as the function it is: the result type is Constructor.
AnsiString ConstructorSignature(const AnsiString& signature)
{
  const size_t blank = signature.find(' ');
  const AnsiString rest = blank == AnsiString::npos ? AnsiString() : signature.substr(blank);
  return "function" + rest + ": Constructor";
}

// The signature of an index property: "function Name(p0: T0; p1: T1): Type".
AnsiString IndexSignature(const AnsiString& name, const AnsiString& params,
                          const AnsiString& typeName)
{
  AnsiString signature = "function " + name + "(";
  Integer index = 0;
  size_t from = 0;
  while (from <= params.size()) {
    size_t comma = params.find(',', from);
    if (comma == AnsiString::npos)
      comma = params.size();
    const AnsiString type = Trim(params.substr(from, comma - from));
    if (!type.empty()) {
      if (index > 0)
        signature += "; ";
      signature += "p" + IntToStr(index++) + ": " + type;
    }
    from = comma + 1;
  }
  return signature + "): " + typeName;
}

} // namespace

TfsMethodHelper* TfsClassVariable::NewMethod(const AnsiString& signature)
{
  auto method = std::make_unique<TfsMethodHelper>(signature, FProgram);
  method->SetClassRef(FClassRef);
  return static_cast<TfsMethodHelper*>(AddMember(std::move(method)));
}

TfsMethodHelper* TfsClassVariable::AddMethod(const AnsiString& signature,
                                             const TfsCallMethodEvent& callback)
{
  TfsMethodHelper* method = NewMethod(signature);
  method->OnCall = callback;
  return method;
}

TfsMethodHelper* TfsClassVariable::AddMethod(const AnsiString& signature,
                                             const TfsCallArgsEvent& callback)
{
  TfsMethodHelper* method = NewMethod(signature);
  method->OnCallArgs = callback;
  return method;
}

TfsMethodHelper* TfsClassVariable::AddConstructor(const AnsiString& signature,
                                                  const TfsCallMethodEvent& callback)
{
  return AddMethod(ConstructorSignature(signature), callback);
}

TfsMethodHelper* TfsClassVariable::AddConstructor(const AnsiString& signature,
                                                  const TfsCallArgsEvent& callback)
{
  return AddMethod(ConstructorSignature(signature), callback);
}

TfsEventHelper* TfsClassVariable::AddEvent(const AnsiString& name, const TfsEventAdapter& adapter)
{
  return static_cast<TfsEventHelper*>(
      AddMember(std::make_unique<TfsEventHelper>(name, FClassRef, adapter)));
}

TfsPropertyHelper* TfsClassVariable::AddProperty(const AnsiString& name, const AnsiString& typeName,
                                                 const TfsGetValueEvent& getter,
                                                 const TfsSetValueEvent& setter)
{
  auto prop = std::make_unique<TfsPropertyHelper>(name, TypeNameToCode(typeName, FProgram),
                                                  typeName, FClassRef, false);
  prop->OnGetValue = getter;
  prop->OnSetValue = setter;
  prop->SetIsReadOnly(!setter);
  return static_cast<TfsPropertyHelper*>(AddMember(std::move(prop)));
}

TfsMethodHelper* TfsClassVariable::AddIndexProperty(const AnsiString& name,
                                                    const AnsiString& params,
                                                    const AnsiString& typeName,
                                                    const TfsCallMethodEvent& callback,
                                                    bool readOnly)
{
  TfsMethodHelper* method = AddMethod(IndexSignature(name, params, typeName), callback);
  method->SetIndexMethod(true);
  method->SetIsReadOnly(readOnly);
  return method;
}

TfsMethodHelper* TfsClassVariable::AddIndexProperty(const AnsiString& name,
                                                    const AnsiString& params,
                                                    const AnsiString& typeName,
                                                    const TfsCallArgsEvent& callback, bool readOnly)
{
  TfsMethodHelper* method = AddMethod(IndexSignature(name, params, typeName), callback);
  method->SetIndexMethod(true);
  method->SetIsReadOnly(readOnly);
  return method;
}

TfsMethodHelper* TfsClassVariable::AddDefaultProperty(const AnsiString& name,
                                                      const AnsiString& params,
                                                      const AnsiString& typeName,
                                                      const TfsCallMethodEvent& callback,
                                                      bool readOnly)
{
  FDefProperty = AddIndexProperty(name, params, typeName, callback, readOnly);
  return static_cast<TfsMethodHelper*>(FDefProperty);
}

TfsMethodHelper* TfsClassVariable::AddDefaultProperty(const AnsiString& name,
                                                      const AnsiString& params,
                                                      const AnsiString& typeName,
                                                      const TfsCallArgsEvent& callback,
                                                      bool readOnly)
{
  FDefProperty = AddIndexProperty(name, params, typeName, callback, readOnly);
  return static_cast<TfsMethodHelper*>(FDefProperty);
}

TfsCustomHelper* TfsClassVariable::AddMember(std::unique_ptr<TfsCustomHelper> member)
{
  return FMembers.emplace_back(std::move(member)).get();
}

// The entries are walked by name, so an ancestor entry registered by another unit is found
// as long as it is visible; a cycle of names ends at the guard.
TfsCustomHelper* TfsClassVariable::FindMember(const AnsiString& name) const
{
  const TfsClassVariable* entry = this;
  for (Integer guard = 0; entry && guard < 256; ++guard) {
    for (const auto& member : entry->FMembers)
      if (SameText(member->Name(), name))
        return member.get();
    entry = entry->FAncestor.empty() ? nullptr : FProgram->FindScriptClass(entry->FAncestor);
  }
  return nullptr;
}

TfsCustomHelper* TfsClassVariable::DefProperty() const
{
  const TfsClassVariable* entry = this;
  for (Integer guard = 0; entry && guard < 256; ++guard) {
    if (entry->FDefProperty)
      return entry->FDefProperty;
    entry = entry->FAncestor.empty() ? nullptr : FProgram->FindScriptClass(entry->FAncestor);
  }
  return nullptr;
}

// Without an argument the value is the class itself, which only a constructor accepts; with
// one it is a typecast, which checks the object behind the handle against the class.
Variant TfsClassVariable::GetValue()
{
  TfsParamItem* param = Params(0);
  Variant value = param->StoredValue();
  param->StoredValue() = Null();
  if (VarIsNull(value))
    return VarFromClass(FClassRef);
  TObject* obj = VarToObject(value);
  if (obj && !obj->InheritsFrom(FClassRef))
    RaiseInvalidCast();
  return value;
}

// ---- registration ----

namespace {

std::unique_ptr<TfsMethodHelper> NewFunction(const AnsiString& signature,
                                             const AnsiString& category,
                                             const AnsiString& description, TfsScript* script)
{
  auto helper = std::make_unique<TfsMethodHelper>(signature, script);
  helper->SetCategory(category);
  helper->SetDescription(description.empty() ? helper->Name() : description);
  return helper;
}

} // namespace

TfsMethodHelper* TfsScript::RegisterScriptMethod(const AnsiString& signature,
                                                 const AnsiString& category,
                                                 const AnsiString& description,
                                                 const TfsCallMethodEvent& callback)
{
  auto helper = NewFunction(signature, category, description, this);
  helper->OnCall = callback;
  const AnsiString name = helper->Name();
  return AddItem(name, std::move(helper));
}

TfsMethodHelper* TfsScript::RegisterScriptMethod(const AnsiString& signature,
                                                 const AnsiString& category,
                                                 const AnsiString& description,
                                                 const TfsCallArgsEvent& callback)
{
  auto helper = NewFunction(signature, category, description, this);
  helper->OnCallArgs = callback;
  const AnsiString name = helper->Name();
  return AddItem(name, std::move(helper));
}

TfsClassVariable* TfsScript::RegisterScriptClass(TClass classRef, const AnsiString& ancestor)
{
  if (!classRef || LookupOwnItem(classRef->Name))
    return nullptr;
  return AddItem(classRef->Name, std::make_unique<TfsClassVariable>(classRef, ancestor, this));
}
