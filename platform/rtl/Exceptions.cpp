// The silent abort. The exception classes themselves are header-only.
#include "platform/rtl/Exceptions.h"

#include "platform/rtl/RtlConsts.h"

void Abort()
{
  throw EAbort(SOperationAborted);
}
