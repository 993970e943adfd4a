// Late-bound automation: the errors automation calls raise, the registry of in-process
// automation classes by ProgID that CreateOleObject serves, and a dispatch base that calls
// its members by name (ignoring case).
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variants.h"

using HRESULT = Integer;

inline constexpr HRESULT E_FAIL_OLE = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);

class EOleError : public Exception {
public:
  using Exception::Exception;
};

// A failure with its HRESULT.
class EOleSysError : public EOleError {
public:
  EOleSysError(const AnsiString& Message, HRESULT ErrorCode)
      : EOleError(Message), FErrorCode(ErrorCode)
  {
  }
  HRESULT ErrorCode() const { return FErrorCode; }

private:
  HRESULT FErrorCode;
};

// A failure the automation object reports about its own work (a file it cannot save).
class EOleException : public EOleSysError {
public:
  EOleException(const AnsiString& Message, HRESULT ErrorCode, const AnsiString& Source)
      : EOleSysError(Message, ErrorCode), FSource(Source)
  {
  }
  const AnsiString& Source() const { return FSource; }

private:
  AnsiString FSource;
};

// Makes a new automation object (its reference count 0; the caller's Variant takes it).
using TOleClassFactory = std::function<IDispatch*()>;

// Enters ProgID (matched ignoring case); a null factory removes it. Returns the factory
// that was there, so tests can put it back.
TOleClassFactory RegisterOleClass(const AnsiString& ProgID, TOleClassFactory Factory);

// A new object of the class registered as ClassName, held in a varDispatch Variant. An
// unknown name raises EOleSysError "Invalid class string" (CO_E_CLASSSTRING).
Variant CreateOleObject(const AnsiString& ClassName);

// Late-bound calls on a varDispatch Variant (arguments in source order). A Variant without
// an object raises EOleSysError (E_FAIL).
Variant OleGet(const Variant& Obj, const AnsiString& Name, const std::vector<Variant>& Args = {});
void OlePut(const Variant& Obj, const AnsiString& Name, const Variant& Value,
            const std::vector<Variant>& Args = {});
Variant OleCall(const Variant& Obj, const AnsiString& Name, const std::vector<Variant>& Args = {});

// A dispatch object whose members are handlers looked up by name, ignoring case. A
// handler gets the call's flags and arguments (a put's value last).
class TAutoDispatch : public IDispatch {
public:
  using THandler = std::function<Variant(Integer Flags, const std::vector<Variant>& Args)>;

  Variant Invoke(const AnsiString& Name, Integer Flags, const std::vector<Variant>& Args) override;

protected:
  void Member(const AnsiString& Name, THandler Handler);
  // A property that only takes a value; gets raise DISP_E_MEMBERNOTFOUND.
  void PutOnly(const AnsiString& Name, std::function<void(const Variant& Value)> Put);
  // A member that returns Value (an object property or a method without arguments).
  void Getter(const AnsiString& Name, std::function<Variant()> Get);

  // Argument helpers: raise DISP_E_BADPARAMCOUNT or DISP_E_TYPEMISMATCH.
  static const Variant& Arg(const std::vector<Variant>& Args, size_t Index);
  static Integer IntArg(const std::vector<Variant>& Args, size_t Index);
  static AnsiString StrArg(const std::vector<Variant>& Args, size_t Index);
  static Double FloatArg(const std::vector<Variant>& Args, size_t Index);
  static bool BoolArg(const std::vector<Variant>& Args, size_t Index);
  // The put value: the last argument.
  static const Variant& PutValue(const std::vector<Variant>& Args);

private:
  std::map<AnsiString, THandler> FMembers; // lower-case names
};
