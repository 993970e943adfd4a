// The database kinds inside Variants: how a varFMTBcd or varSQLTimeStamp value converts,
// and casts into them. The records and their own conversions are in FMTBcd.cpp and
// SqlTimSt.cpp.
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/VariantsPrivate.h"

Variant CustomToStandard(const Variant& v)
{
  if (v.Type() == varFMTBcd)
    return Variant(BcdToDouble(VarToBcd(v)));
  try {
    return VarFromDateTime(SQLTimeStampToDateTime(VarToSQLTimeStamp(v)));
  } catch (const EConvertError&) {
    VarCastError(varSQLTimeStamp, varDate);
  }
}

AnsiString CustomToText(const Variant& v)
{
  if (v.Type() == varFMTBcd)
    return BcdToStr(VarToBcd(v));
  return CustomToStandard(v).AsString();
}

Variant CustomFromVariant(const Variant& v, TVarType kind)
{
  if (kind == varFMTBcd)
    return VarFMTBcdCreate(VarToBcd(v));
  return VarSQLTimeStampCreate(VarToSQLTimeStamp(v));
}
