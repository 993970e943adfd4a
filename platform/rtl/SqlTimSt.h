// SqlTimSt: the SQL time-stamp record of database drivers and its Variant kind
// (varSQLTimeStamp). FMTBcd.h holds the other database record kind.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

// The record (16 bytes): Year at offset 0 (Int16), Month, Day, Hour, Minute, Second at
// offsets 2 to 10 (UInt16 each), Fractions at offset 12 (UInt32, milliseconds).
struct TSQLTimeStamp {
  SmallInt Year = 0;
  Word Month = 0;
  Word Day = 0;
  Word Hour = 0;
  Word Minute = 0;
  Word Second = 0;
  LongWord Fractions = 0;
};
static_assert(sizeof(TSQLTimeStamp) == 16, "a TSQLTimeStamp is 16 bytes");

inline constexpr TSQLTimeStamp NullSQLTimeStamp{};

// The all-zero record is the date-time 0; any other record must hold a valid date and
// time, else EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& value);
TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime value);
// -1, 0 or 1: the first difference of Year, Month, Day, Hour, Minute, Second, Fractions.
Integer SQLTimeStampCompare(const TSQLTimeStamp& a, const TSQLTimeStamp& b);

// The Variant kind. A varSQLTimeStamp value converts like a varDate everywhere (its text
// is the date-time text).
TVarType VarSQLTimeStamp();
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& value);
Variant VarSQLTimeStampCreate(TDateTime value);
bool VarIsSQLTimeStamp(const Variant& v);
// Dates, numbers and date texts as a time stamp; Null and values that do not convert
// raise EVariantTypeCastError.
TSQLTimeStamp VarToSQLTimeStamp(const Variant& v);
