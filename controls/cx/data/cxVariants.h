// cxVariants: the one ordering and equality of Variant values of the data layer (sorting,
// grouping, lookups, filters, summaries), the small variant arrays of BETWEEN and IN
// conditions, typed little-endian stream helpers and the variant stream encoding used by
// the value types (cxDataStorage.h) and the filter criteria stream (cxFilter.h).
#pragma once

#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

// ---- Comparison and tests ----

// Three-way comparison: equal values give 0; Null sorts before everything; a variant
// conversion error (a text that is no number compared with a number) gives -1 in both
// orders. Arrays compare by VariantArrayCompare.
Integer VariantCompare(const Variant& A, const Variant& B);
// Two arrays: the difference of their high bounds when it is not 0, else the first
// element comparison that is not 0. An array sorts after a scalar.
Integer VariantArrayCompare(const Variant& A, const Variant& B);
bool VariantCompareEqual(const Variant& A, const Variant& B);
// Equality in which a Boolean equals only its own text ("True"/"False"), never a number;
// a conversion error gives False.
bool VariantEquals(const Variant& A, const Variant& B);
bool IsDateVarType(TVarType AVarType);
bool IsDateVariant(const Variant& V);
bool IsNumericVariant(const Variant& V);
// Null, or an 8-bit or wide text equal to "".
bool IsSoftNullVariant(const Variant& V);

// ---- Variant arrays (one dimension, low bound 0, varVariant elements) ----

Variant CreateVariantPair(const Variant& A, const Variant& B);
Variant CreateSingleVariantArray(const Variant& A);
void AppendVariantArrayElement(Variant& AArray, const Variant& AValue);

// ---- Typed stream helpers ----
//
// Little-endian; short reads raise EReadError "Stream read error", short writes EWriteError.
//   String      Int32 byte count n, n bytes (GBK)
//   WideString  Int32 character count n, 2n bytes UTF-16LE
//   Boolean     1 byte, 0 or 1 (read back as True for any non-zero byte)
//   Byte 1, Smallint 2, Word 2, Integer 4, LargeInt 8 bytes
//   Currency    8 bytes, the value times 10000
//   DateTime    8-byte double
//   Float       10-byte 80-bit extended (written only)
//   Variant     the variant stream encoding, below

void ReadStreamString(TStream* AStream, AnsiString& S);
AnsiString ReadStreamStringValue(TStream* AStream);
void WriteStreamString(TStream* AStream, const AnsiString& S);
void ReadStreamWideString(TStream* AStream, WideString& S);
WideString ReadStreamWideStringValue(TStream* AStream);
void WriteStreamWideString(TStream* AStream, const WideString& S);
void ReadStreamBoolean(TStream* AStream, Boolean& AValue);
Boolean ReadStreamBooleanValue(TStream* AStream);
void WriteStreamBoolean(TStream* AStream, Boolean AValue);
void ReadStreamByte(TStream* AStream, Byte& AValue);
Byte ReadStreamByteValue(TStream* AStream);
void WriteStreamByte(TStream* AStream, Byte AValue);
void ReadStreamSmallint(TStream* AStream, SmallInt& AValue);
SmallInt ReadStreamSmallintValue(TStream* AStream);
void WriteStreamSmallint(TStream* AStream, SmallInt AValue);
void ReadStreamWord(TStream* AStream, Word& AValue);
Word ReadStreamWordValue(TStream* AStream);
void WriteStreamWord(TStream* AStream, Word AValue);
void ReadStreamInteger(TStream* AStream, Integer& AValue);
Integer ReadStreamIntegerValue(TStream* AStream);
void WriteStreamInteger(TStream* AStream, Integer AValue);
void ReadStreamLargeInt(TStream* AStream, Int64& AValue);
Int64 ReadStreamLargeIntValue(TStream* AStream);
void WriteStreamLargeInt(TStream* AStream, Int64 AValue);
void ReadStreamCurrency(TStream* AStream, Currency& AValue);
Currency ReadStreamCurrencyValue(TStream* AStream);
void WriteStreamCurrency(TStream* AStream, Currency AValue);
void ReadStreamDateTime(TStream* AStream, TDateTime& AValue);
TDateTime ReadStreamDateTimeValue(TStream* AStream);
void WriteStreamDateTime(TStream* AStream, TDateTime AValue);
void WriteStreamFloat(TStream* AStream, Double AValue);

// ---- The variant stream encoding ----
//
// One code byte, then the payload (the codes are those of the component filer's value
// tags, so a filer reads this format):
//   code  value                           payload
//    0    Null                            -
//    1    array (one dimension)           element count as an integer value (code 2/3/4),
//                                         then every element encoded, low to high bound
//    2    ShortInt/Byte/Smallint/Integer  1 byte   (value in -128..127)
//    3      "                             2 bytes  (value in -32768..32767)
//    4      "                             4 bytes
//    5    Double                          10-byte 80-bit extended
//    6    8-bit text up to 255 bytes      1-byte length, the bytes
//    8    False                           -
//    9    True                            -
//   12    8-bit text over 255 bytes       Int32 length, the bytes
//   13    Empty                           -
//   15    Single                          4-byte IEEE single
//   16    Currency                        8 bytes, value times 10000
//   17    Date                            8-byte double
//   18    wide text                       Int32 character count, UTF-16LE
// Every other kind (Word, LongWord, Int64, BCD, time stamp ...) is written as its text
// (code 6/12), so it reads back as a varString. Reading gives varShortInt for 2,
// varSmallint for 3, varInteger for 4. Codes 7, 10, 11, 14 and 19-255 raise EReadError
// "Stream read error"; arrays of more than one dimension and values whose text cannot be
// made raise EWriteError "Stream write error".
//
// The reader trusts nothing: an element count is checked against the bytes left before
// anything is read, and arrays nest at most 256 deep.
void ReadStreamVariant(TStream* AStream, Variant& V);
Variant ReadStreamVariantValue(TStream* AStream);
void WriteStreamVariant(TStream* AStream, const Variant& V);
