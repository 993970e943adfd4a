// The exception family of the runtime. Every failure in the system is an Exception
// carrying a Message; EAbort is the silent one. Message texts live in RtlConsts.h.
//
// An exception is a TObject with a class record (registered like every other class), so
// scripts and the designer can ask its ClassName or test it with InheritsFrom; it is also a
// std::exception, so `catch (const std::exception&)` catches it. Unlike other objects it
// can be copied, as throwing and rethrowing need.
#pragma once

#include <exception>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class Exception : public TObject, public std::exception {
public:
  explicit Exception(AnsiString message = AnsiString()) : FMessage(std::move(message)) {}
  Exception(AnsiString message, Integer helpContext)
      : FMessage(std::move(message)), FHelpContext(helpContext)
  {
  }
  Exception(const Exception& other)
      : TObject(), std::exception(other), FMessage(other.FMessage), FHelpContext(other.FHelpContext)
  {
  }
  Exception& operator=(const Exception& other)
  {
    FMessage = other.FMessage;
    FHelpContext = other.FHelpContext;
    return *this;
  }

  const AnsiString& Message() const { return FMessage; }
  void SetMessage(const AnsiString& value) { FMessage = value; }
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer value) { FHelpContext = value; }

  // The message's GBK bytes; convert at the edge before showing them outside the program.
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  AnsiString FMessage;
  Integer FHelpContext = 0;
};

#define QH_DECLARE_EXCEPTION(Name, Parent)                                                         \
  class Name : public Parent {                                                                     \
  public:                                                                                          \
    using Parent::Parent;                                                                          \
  }

QH_DECLARE_EXCEPTION(EAbort, Exception);
QH_DECLARE_EXCEPTION(EConvertError, Exception);
QH_DECLARE_EXCEPTION(EListError, Exception);
QH_DECLARE_EXCEPTION(EStringListError, EListError);
QH_DECLARE_EXCEPTION(EOutOfMemory, Exception);
QH_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory);
QH_DECLARE_EXCEPTION(EInvalidCast, Exception);
QH_DECLARE_EXCEPTION(EAbstractError, Exception);
QH_DECLARE_EXCEPTION(EAccessViolation, Exception);
QH_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QH_DECLARE_EXCEPTION(EInvalidPointer, Exception);
QH_DECLARE_EXCEPTION(EPropertyError, Exception);
QH_DECLARE_EXCEPTION(EPropertyConvertError, Exception);
QH_DECLARE_EXCEPTION(EComponentError, Exception);
QH_DECLARE_EXCEPTION(EOSError, Exception);

QH_DECLARE_EXCEPTION(EMathError, Exception);
QH_DECLARE_EXCEPTION(EInvalidOp, EMathError);
QH_DECLARE_EXCEPTION(EZeroDivide, EMathError);
QH_DECLARE_EXCEPTION(EOverflow, EMathError);
QH_DECLARE_EXCEPTION(EUnderflow, EMathError);

QH_DECLARE_EXCEPTION(EIntError, Exception);
QH_DECLARE_EXCEPTION(EDivByZero, EIntError);
QH_DECLARE_EXCEPTION(EIntOverflow, EIntError);
QH_DECLARE_EXCEPTION(ERangeError, EIntError);

QH_DECLARE_EXCEPTION(EVariantError, Exception);
QH_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);
QH_DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError);
QH_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError);
QH_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError);
QH_DECLARE_EXCEPTION(EVariantNotAnArrayError, EVariantError);
QH_DECLARE_EXCEPTION(EVariantArrayCreateError, EVariantError);
QH_DECLARE_EXCEPTION(EVariantInvalidArgError, EVariantError);

QH_DECLARE_EXCEPTION(EStreamError, Exception);
QH_DECLARE_EXCEPTION(EFCreateError, EStreamError);
QH_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QH_DECLARE_EXCEPTION(EFilerError, EStreamError);
QH_DECLARE_EXCEPTION(EReadError, EFilerError);
QH_DECLARE_EXCEPTION(EWriteError, EFilerError);
QH_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
QH_DECLARE_EXCEPTION(EMethodNotFound, EFilerError);
QH_DECLARE_EXCEPTION(EInvalidImage, EFilerError);

class EInOutError : public Exception {
public:
  EInOutError(AnsiString message, Integer errorCode)
      : Exception(std::move(message)), ErrorCode(errorCode)
  {
  }
  Integer ErrorCode = 0;
};

// Raises the silent exception that ends an operation after the user has been told.
[[noreturn]] void Abort();
