// Late-bound members of automation objects (TfsOLEHelper in fsScript.h).
#include <cstdio>

#include "platform/ole/ComObj.h"
#include "platform/rtl/RtlConsts.h"
#include "report/script/fsScript.h"

namespace {

// "OLE error 80020006: Name".
[[noreturn]] void RaiseOleError(HRESULT code, const AnsiString& name)
{
  char text[24];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(code));
  throw EOleError("OLE error " + AnsiString(text) + ": " + name);
}

} // namespace

TfsOLEHelper::TfsOLEHelper(const AnsiString& name) : TfsCustomHelper(name, fvtVariant, "") {}

void TfsOLEHelper::AddArgument()
{
  Add(std::make_unique<TfsParamItem>("", fvtVariant, "", false, false));
}

Variant TfsOLEHelper::GetValue()
{
  std::vector<Variant> args;
  args.reserve(static_cast<size_t>(Count()));
  for (Integer i = 0; i < Count(); ++i)
    args.push_back(Params(i)->GetValue());
  // A wanted result lets a property without arguments read like a method.
  const bool wanted = NeedResult();
  Variant result = Invoke(wanted ? DISPATCH_METHOD | DISPATCH_PROPERTYGET : DISPATCH_METHOD, args);
  return wanted ? result : Null();
}

void TfsOLEHelper::SetValue(const Variant& value)
{
  std::vector<Variant> args;
  args.reserve(static_cast<size_t>(Count()) + 1);
  for (Integer i = 0; i < Count(); ++i)
    args.push_back(Params(i)->GetValue());
  args.push_back(value);
  Invoke(DISPATCH_PROPERTYPUT, args);
}

Variant TfsOLEHelper::Invoke(Integer flags, const std::vector<Variant>& args)
{
  // The object stays alive for the call even when the call replaces the value it came from.
  // A value that is no automation object raises the Variant conversion error.
  const Variant target = FParentValue;
  IDispatch* object = VarToDispatch(target);
  if (!object)
    throw EVariantInvalidArgError(SInvalidObjectReference);
  // The dispatch interface carries at most this many arguments, a put's value included.
  const size_t maxArguments = 64;
  if (args.size() > maxArguments)
    RaiseOleError(DISP_E_BADPARAMCOUNT, FName);
  try {
    return object->Invoke(FName, flags, args);
  } catch (const EOleSysError& e) {
    RaiseOleError(e.ErrorCode(), FName);
  }
}
