// SQL time stamps: conversion to and from TDateTime, comparison and the varSQLTimeStamp
// Variant kind.
#include "platform/rtl/SqlTimSt.h"

#include <algorithm>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/VariantsPrivate.h"

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& value)
{
  if (value.Year == 0 && value.Month == 0 && value.Day == 0 && value.Hour == 0 &&
      value.Minute == 0 && value.Second == 0 && value.Fractions == 0)
    return 0;
  return EncodeDateTime(value.Year, value.Month, value.Day, value.Hour, value.Minute, value.Second,
                        static_cast<Integer>(std::min<LongWord>(value.Fractions, 1000)));
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime value)
{
  Word year, month, day, hour, minute, second, msec;
  DecodeDateTime(value, year, month, day, hour, minute, second, msec);
  TSQLTimeStamp result;
  result.Year = static_cast<SmallInt>(year);
  result.Month = month;
  result.Day = day;
  result.Hour = hour;
  result.Minute = minute;
  result.Second = second;
  result.Fractions = msec;
  return result;
}

Integer SQLTimeStampCompare(const TSQLTimeStamp& a, const TSQLTimeStamp& b)
{
  auto sign = [](Int64 d) -> Integer { return d < 0 ? -1 : d > 0 ? 1 : 0; };
  if (a.Year != b.Year)
    return sign(Int64(a.Year) - b.Year);
  if (a.Month != b.Month)
    return sign(Int64(a.Month) - b.Month);
  if (a.Day != b.Day)
    return sign(Int64(a.Day) - b.Day);
  if (a.Hour != b.Hour)
    return sign(Int64(a.Hour) - b.Hour);
  if (a.Minute != b.Minute)
    return sign(Int64(a.Minute) - b.Minute);
  if (a.Second != b.Second)
    return sign(Int64(a.Second) - b.Second);
  return sign(Int64(a.Fractions) - Int64(b.Fractions));
}

TVarType VarSQLTimeStamp()
{
  return varSQLTimeStamp;
}

Variant VarSQLTimeStampCreate(const TSQLTimeStamp& value)
{
  return TVariantAccess::CustomOf(varSQLTimeStamp, &value, sizeof value);
}

Variant VarSQLTimeStampCreate(TDateTime value)
{
  return VarSQLTimeStampCreate(DateTimeToSQLTimeStamp(value));
}

bool VarIsSQLTimeStamp(const Variant& v)
{
  return v.Type() == varSQLTimeStamp;
}

TSQLTimeStamp VarToSQLTimeStamp(const Variant& v)
{
  if (v.Type() == varSQLTimeStamp) {
    TSQLTimeStamp value;
    const auto& bytes = TVariantAccess::Get(v).VCustom->Bytes;
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<Byte*>(&value));
    return value;
  }
  if (v.Type() == varNull)
    VarCastError(varNull, varSQLTimeStamp);
  TDateTime dt = v.AsDateTime();
  try {
    return DateTimeToSQLTimeStamp(dt);
  } catch (const EConvertError&) {
    VarCastError(v.Type(), varSQLTimeStamp);
  }
}
