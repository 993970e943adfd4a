// The class records of the runtime's exceptions, and the silent abort. The exception classes
// themselves are header-only.
#include "platform/rtl/Exceptions.h"

#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

// In declaration order, each after its parent; all are known by name, as scripts raise
// and test them by name.
void RegisterExceptionClasses()
{
  RegisterExceptionClass<Exception, TObject>("Exception");
  RegisterExceptionClass<EAbort, Exception>("EAbort");
  RegisterExceptionClass<EConvertError, Exception>("EConvertError");
  RegisterExceptionClass<EListError, Exception>("EListError");
  RegisterExceptionClass<EStringListError, EListError>("EStringListError");
  RegisterExceptionClass<EOutOfMemory, Exception>("EOutOfMemory");
  RegisterExceptionClass<EInvalidCast, Exception>("EInvalidCast");
  RegisterExceptionClass<EAbstractError, Exception>("EAbstractError");
  RegisterExceptionClass<EAccessViolation, Exception>("EAccessViolation");
  RegisterExceptionClass<EInvalidOperation, Exception>("EInvalidOperation");
  RegisterExceptionClass<EInvalidPointer, Exception>("EInvalidPointer");
  RegisterExceptionClass<EPropertyError, Exception>("EPropertyError");
  RegisterExceptionClass<EPropertyConvertError, Exception>("EPropertyConvertError");
  RegisterExceptionClass<EComponentError, Exception>("EComponentError");
  RegisterExceptionClass<EOSError, Exception>("EOSError");

  RegisterExceptionClass<EMathError, Exception>("EMathError");
  RegisterExceptionClass<EInvalidOp, EMathError>("EInvalidOp");
  RegisterExceptionClass<EZeroDivide, EMathError>("EZeroDivide");
  RegisterExceptionClass<EOverflow, EMathError>("EOverflow");
  RegisterExceptionClass<EUnderflow, EMathError>("EUnderflow");

  RegisterExceptionClass<EIntError, Exception>("EIntError");
  RegisterExceptionClass<EDivByZero, EIntError>("EDivByZero");
  RegisterExceptionClass<EIntOverflow, EIntError>("EIntOverflow");
  RegisterExceptionClass<ERangeError, EIntError>("ERangeError");

  RegisterExceptionClass<EVariantError, Exception>("EVariantError");
  RegisterExceptionClass<EVariantTypeCastError, EVariantError>("EVariantTypeCastError");
  RegisterExceptionClass<EVariantInvalidOpError, EVariantError>("EVariantInvalidOpError");
  RegisterExceptionClass<EVariantOverflowError, EVariantError>("EVariantOverflowError");
  RegisterExceptionClass<EVariantBadIndexError, EVariantError>("EVariantBadIndexError");
  RegisterExceptionClass<EVariantNotAnArrayError, EVariantError>("EVariantNotAnArrayError");
  RegisterExceptionClass<EVariantArrayCreateError, EVariantError>("EVariantArrayCreateError");
  RegisterExceptionClass<EVariantInvalidArgError, EVariantError>("EVariantInvalidArgError");

  RegisterExceptionClass<EStreamError, Exception>("EStreamError");
  RegisterExceptionClass<EFCreateError, EStreamError>("EFCreateError");
  RegisterExceptionClass<EFOpenError, EStreamError>("EFOpenError");
  RegisterExceptionClass<EFilerError, EStreamError>("EFilerError");
  RegisterExceptionClass<EReadError, EFilerError>("EReadError");
  RegisterExceptionClass<EWriteError, EFilerError>("EWriteError");
  RegisterExceptionClass<EClassNotFound, EFilerError>("EClassNotFound");
  RegisterExceptionClass<EMethodNotFound, EFilerError>("EMethodNotFound");
  RegisterExceptionClass<EInvalidImage, EFilerError>("EInvalidImage");

  RegisterExceptionClass<EInOutError, Exception>("EInOutError");
}

void Abort()
{
  throw EAbort(SOperationAborted);
}
