// Late-bound automation; see ComObj.h.
#include "platform/ole/ComObj.h"

#include <algorithm>
#include <cctype>

namespace {

AnsiString Lower(AnsiString s)
{
  std::transform(s.begin(), s.end(), s.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return s;
}

std::map<AnsiString, TOleClassFactory>& Factories()
{
  static std::map<AnsiString, TOleClassFactory> factories;
  return factories;
}

} // namespace

TOleClassFactory RegisterOleClass(const AnsiString& ProgID, TOleClassFactory Factory)
{
  auto& map = Factories();
  const AnsiString key = Lower(ProgID);
  TOleClassFactory old;
  if (auto it = map.find(key); it != map.end()) {
    old = std::move(it->second);
    map.erase(it);
  }
  if (Factory)
    map.emplace(key, std::move(Factory));
  return old;
}

Variant CreateOleObject(const AnsiString& ClassName)
{
  auto& map = Factories();
  auto it = map.find(Lower(ClassName));
  if (it == map.end())
    throw EOleSysError("Invalid class string", CO_E_CLASSSTRING);
  return VarFromDispatch(it->second());
}

namespace {

IDispatch* Target(const Variant& Obj, const AnsiString& Name)
{
  IDispatch* disp = Obj.Type() == varDispatch ? VarToDispatch(Obj) : nullptr;
  if (!disp)
    throw EOleSysError("No automation object for " + Name, E_FAIL_OLE);
  return disp;
}

} // namespace

Variant OleGet(const Variant& Obj, const AnsiString& Name, const std::vector<Variant>& Args)
{
  return Target(Obj, Name)->Invoke(Name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, Args);
}

void OlePut(const Variant& Obj, const AnsiString& Name, const Variant& Value,
            const std::vector<Variant>& Args)
{
  std::vector<Variant> all = Args;
  all.push_back(Value);
  Target(Obj, Name)->Invoke(Name, DISPATCH_PROPERTYPUT, all);
}

Variant OleCall(const Variant& Obj, const AnsiString& Name, const std::vector<Variant>& Args)
{
  return Target(Obj, Name)->Invoke(Name, DISPATCH_METHOD, Args);
}

// ---------------------------------------------------------------------------------------
// TAutoDispatch

Variant TAutoDispatch::Invoke(const AnsiString& Name, Integer Flags,
                              const std::vector<Variant>& Args)
{
  auto it = FMembers.find(Lower(Name));
  if (it == FMembers.end())
    throw EOleSysError("Unknown name: " + Name, DISP_E_UNKNOWNNAME);
  return it->second(Flags, Args);
}

void TAutoDispatch::Member(const AnsiString& Name, THandler Handler)
{
  FMembers[Lower(Name)] = std::move(Handler);
}

void TAutoDispatch::PutOnly(const AnsiString& Name, std::function<void(const Variant& Value)> Put)
{
  Member(Name, [Name, Put = std::move(Put)](Integer Flags, const std::vector<Variant>& Args) {
    if (!(Flags & DISPATCH_PROPERTYPUT))
      throw EOleSysError("Member not found: " + Name, DISP_E_MEMBERNOTFOUND);
    Put(PutValue(Args));
    return Variant();
  });
}

void TAutoDispatch::Getter(const AnsiString& Name, std::function<Variant()> Get)
{
  Member(Name, [Name, Get = std::move(Get)](Integer Flags, const std::vector<Variant>&) {
    if (Flags & DISPATCH_PROPERTYPUT)
      throw EOleSysError("Member not found: " + Name, DISP_E_MEMBERNOTFOUND);
    return Get();
  });
}

const Variant& TAutoDispatch::Arg(const std::vector<Variant>& Args, size_t Index)
{
  if (Index >= Args.size())
    throw EOleSysError("Invalid number of parameters", DISP_E_BADPARAMCOUNT);
  return Args[Index];
}

Integer TAutoDispatch::IntArg(const std::vector<Variant>& Args, size_t Index)
{
  try {
    return Arg(Args, Index).AsInteger();
  } catch (const EOleError&) {
    throw;
  } catch (const Exception&) {
    throw EOleSysError("Type mismatch", DISP_E_TYPEMISMATCH);
  }
}

AnsiString TAutoDispatch::StrArg(const std::vector<Variant>& Args, size_t Index)
{
  try {
    return Arg(Args, Index).AsString();
  } catch (const EOleError&) {
    throw;
  } catch (const Exception&) {
    throw EOleSysError("Type mismatch", DISP_E_TYPEMISMATCH);
  }
}

Double TAutoDispatch::FloatArg(const std::vector<Variant>& Args, size_t Index)
{
  try {
    return Arg(Args, Index).AsDouble();
  } catch (const EOleError&) {
    throw;
  } catch (const Exception&) {
    throw EOleSysError("Type mismatch", DISP_E_TYPEMISMATCH);
  }
}

bool TAutoDispatch::BoolArg(const std::vector<Variant>& Args, size_t Index)
{
  try {
    return Arg(Args, Index).AsBoolean();
  } catch (const EOleError&) {
    throw;
  } catch (const Exception&) {
    throw EOleSysError("Type mismatch", DISP_E_TYPEMISMATCH);
  }
}

const Variant& TAutoDispatch::PutValue(const std::vector<Variant>& Args)
{
  if (Args.empty())
    throw EOleSysError("Invalid number of parameters", DISP_E_BADPARAMCOUNT);
  return Args.back();
}
