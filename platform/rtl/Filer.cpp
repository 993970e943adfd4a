// TByteCursor, TWriter and TReader over the binary property format of Filer.h.
#include "platform/rtl/Filer.h"

#include <cstring>
#include <limits>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/RtlConsts.h"

namespace {

const char* const SInvalidPropertyValue = "Invalid property value";

// Lists and collections nest at most this deep; deeper data is treated as corrupt.
constexpr int MaxNesting = 256;

[[noreturn]] void RaiseReadError() { throw EReadError(SReadError); }
[[noreturn]] void RaiseValueError() { throw EReadError(SInvalidPropertyValue); }

template <class T>
T LoadLE(const Byte* p)
{
  T value{};
  std::memcpy(&value, p, sizeof(T)); // the formats are little-endian, as is the host
  return value;
}

} // namespace

// ---- TByteCursor ----

void TByteCursor::Require(size_t Count, size_t ElementSize) const
{
  if (ElementSize != 0 && Count > std::numeric_limits<size_t>::max() / ElementSize)
    RaiseReadError();
  if (Count * ElementSize > Left())
    RaiseReadError();
}

void TByteCursor::Read(void* Dest, size_t Count)
{
  Require(Count);
  if (Count)
    std::memcpy(Dest, FData + FPos, Count);
  FPos += Count;
}

void TByteCursor::Skip(size_t Count)
{
  Require(Count);
  FPos += Count;
}

Byte TByteCursor::ReadByte()
{
  Require(1);
  return FData[FPos++];
}

Word TByteCursor::ReadWord()
{
  Require(2);
  FPos += 2;
  return LoadLE<Word>(FData + FPos - 2);
}

Integer TByteCursor::ReadInt32()
{
  Require(4);
  FPos += 4;
  return LoadLE<Integer>(FData + FPos - 4);
}

Cardinal TByteCursor::ReadCardinal()
{
  Require(4);
  FPos += 4;
  return LoadLE<Cardinal>(FData + FPos - 4);
}

Int64 TByteCursor::ReadInt64()
{
  Require(8);
  FPos += 8;
  return LoadLE<Int64>(FData + FPos - 8);
}

AnsiString TByteCursor::ReadString(size_t Count)
{
  Require(Count);
  AnsiString s(reinterpret_cast<const char*>(FData + FPos), Count);
  FPos += Count;
  return s;
}

// ---- TWriter ----

void TWriter::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                             const TWriterProc& WriteData, bool HasData)
{
  if (!HasData || !WriteData)
    return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                   const TStreamProc& WriteData, bool HasData)
{
  if (!HasData || !WriteData)
    return;
  TMemoryStream block;
  WriteData(&block);
  Int64 size = block.Size();
  if (size > MaxInt)
    throw EWriteError(SWriteError);
  WritePropName(Name);
  WriteValue(vaBinary);
  Integer length = static_cast<Integer>(size);
  Write(&length, 4);
  Write(block.Memory(), length);
}

void TWriter::WriteDefinedProperties(TPersistent* Instance) { CallDefineProperties(Instance, this); }

void TWriter::Write(const void* Buffer, Integer Count) { Stream()->WriteBuffer(Buffer, Count); }

void TWriter::WriteValue(TValueType Value)
{
  Byte tag = static_cast<Byte>(Value);
  Write(&tag, 1);
}

void TWriter::WriteInteger(Int64 Value)
{
  if (Value >= -128 && Value <= 127) {
    WriteValue(vaInt8);
    auto v = static_cast<std::int8_t>(Value);
    Write(&v, 1);
  } else if (Value >= -32768 && Value <= 32767) {
    WriteValue(vaInt16);
    auto v = static_cast<std::int16_t>(Value);
    Write(&v, 2);
  } else if (Value >= -2147483647LL - 1 && Value <= 2147483647LL) {
    WriteValue(vaInt32);
    auto v = static_cast<std::int32_t>(Value);
    Write(&v, 4);
  } else {
    WriteValue(vaInt64);
    Write(&Value, 8);
  }
}

void TWriter::WriteString(const AnsiString& Value)
{
  if (Value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(Value);
    return;
  }
  if (Value.size() > static_cast<size_t>(MaxInt))
    throw EWriteError(SWriteError);
  WriteValue(vaLString);
  Integer length = static_cast<Integer>(Value.size());
  Write(&length, 4);
  Write(Value.data(), length);
}

void TWriter::WriteWideString(const WideString& Value)
{
  if (Value.size() > static_cast<size_t>(MaxInt / 2))
    throw EWriteError(SWriteError);
  WriteValue(vaWString);
  Integer length = static_cast<Integer>(Value.size());
  Write(&length, 4);
  Write(Value.data(), length * 2);
}

void TWriter::WriteFloat(Extended Value)
{
  Byte bytes[10];
  DoubleToExtendedBytes(static_cast<double>(Value), bytes);
  WriteValue(vaExtended);
  Write(bytes, 10);
}

void TWriter::WriteSingle(Single Value)
{
  WriteValue(vaSingle);
  Write(&Value, 4);
}

void TWriter::WriteCurrency(Currency Value)
{
  WriteValue(vaCurrency);
  Int64 raw = Value.Raw();
  Write(&raw, 8);
}

void TWriter::WriteDate(TDateTime Value)
{
  WriteValue(vaDate);
  Write(&Value, 8);
}

void TWriter::WriteIdent(const AnsiString& Ident)
{
  auto same = [&](const char* word) {
    if (Ident.size() != std::strlen(word))
      return false;
    for (size_t i = 0; i < Ident.size(); ++i)
      if ((Ident[i] | 0x20) != (word[i] | 0x20))
        return false;
    return true;
  };
  if (same("False")) {
    WriteValue(vaFalse);
  } else if (same("True")) {
    WriteValue(vaTrue);
  } else if (same("nil")) {
    WriteValue(vaNil);
  } else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WritePropName(const AnsiString& Name) { WriteStr(Name); }

void TWriter::WriteStr(const AnsiString& Value)
{
  if (Value.size() > 255)
    throw EWriteError(SWriteError);
  Byte length = static_cast<Byte>(Value.size());
  Write(&length, 1);
  Write(Value.data(), length);
}

// ---- TReader ----

void TReader::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                             const TWriterProc& WriteData, bool HasData)
{
  if (FPropHandled || !ReadData || !SameText(Name, FPropName))
    return;
  ReadData(this);
  FPropHandled = true;
}

void TReader::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                   const TStreamProc& WriteData, bool HasData)
{
  if (FPropHandled || !ReadData || !SameText(Name, FPropName))
    return;
  CheckValue(vaBinary);
  Integer length = ReadLength();
  TMemoryStream block;
  block.SetSize(length);
  Read(block.Memory(), length);
  block.SetPosition(0);
  ReadData(&block);
  FPropHandled = true;
}

void TReader::ReadProperty(TPersistent* Instance)
{
  FPropName = ReadStr();
  FPropHandled = false;
  CallDefineProperties(Instance, this);
  if (FPropHandled)
    return;
  SkipValue();
  throw EReadError("Property " + FPropName + " does not exist");
}

void TReader::ReadDefinedProperties(TPersistent* Instance)
{
  while (!EndOfData()) {
    if (NextValue() == vaNull) {
      ReadValue();
      return;
    }
    ReadProperty(Instance);
  }
}

void TReader::Require(Int64 Count)
{
  if (Count < 0 || Count > Stream()->Size() - Stream()->Position())
    RaiseReadError();
}

void TReader::Read(void* Buffer, Integer Count)
{
  Require(Count);
  Stream()->ReadBuffer(Buffer, Count);
}

bool TReader::EndOfData() { return Stream()->Position() >= Stream()->Size(); }

TValueType TReader::ReadValue()
{
  Byte tag = 0;
  Read(&tag, 1);
  if (tag > vaInt64)
    RaiseReadError();
  return static_cast<TValueType>(tag);
}

TValueType TReader::NextValue()
{
  TValueType value = ReadValue();
  Stream()->Seek(-1, soFromCurrent);
  return value;
}

void TReader::CheckValue(TValueType Value)
{
  if (ReadValue() != Value) {
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

Integer TReader::ReadLength()
{
  Integer length = 0;
  Read(&length, 4);
  Require(length); // a negative or oversized length is corrupt data
  return length;
}

Integer TReader::ReadInteger()
{
  switch (ReadValue()) {
  case vaInt8: {
    std::int8_t v;
    Read(&v, 1);
    return v;
  }
  case vaInt16: {
    std::int16_t v;
    Read(&v, 2);
    return v;
  }
  case vaInt32: {
    std::int32_t v;
    Read(&v, 4);
    return v;
  }
  default:
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

Int64 TReader::ReadInt64()
{
  if (NextValue() != vaInt64)
    return ReadInteger();
  ReadValue();
  Int64 v;
  Read(&v, 8);
  return v;
}

bool TReader::ReadBoolean()
{
  TValueType value = ReadValue();
  if (value == vaTrue)
    return true;
  if (value == vaFalse)
    return false;
  Stream()->Seek(-1, soFromCurrent);
  RaiseValueError();
}

AnsiString TReader::ReadString()
{
  switch (ReadValue()) {
  case vaString:
    return ReadStr();
  case vaLString: {
    Integer length = ReadLength();
    AnsiString s(static_cast<size_t>(length), '\0');
    Read(s.data(), length);
    return s;
  }
  case vaWString:
    Stream()->Seek(-1, soFromCurrent);
    return WideToGbk(ReadWideString());
  default:
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

WideString TReader::ReadWideString()
{
  if (NextValue() != vaWString)
    return GbkToWide(ReadString());
  ReadValue();
  Integer length = 0;
  Read(&length, 4);
  if (length < 0 || length > MaxInt / 2)
    RaiseReadError();
  Require(Int64(length) * 2);
  WideString s(static_cast<size_t>(length), u'\0');
  Read(s.data(), length * 2);
  return s;
}

Extended TReader::ReadFloat()
{
  switch (NextValue()) {
  case vaExtended: {
    ReadValue();
    Byte bytes[10];
    Read(bytes, 10);
    return ExtendedBytesToDouble(bytes);
  }
  case vaSingle:
    return ReadSingle();
  case vaCurrency:
    return ReadCurrency().ToExtended();
  case vaDate:
    return ReadDate();
  default:
    return ReadInt64();
  }
}

Single TReader::ReadSingle()
{
  if (NextValue() != vaSingle)
    return static_cast<Single>(ReadInt64());
  ReadValue();
  Single v;
  Read(&v, 4);
  return v;
}

Currency TReader::ReadCurrency()
{
  if (NextValue() != vaCurrency)
    return Currency(ReadInt64());
  ReadValue();
  Int64 raw;
  Read(&raw, 8);
  return Currency::FromRaw(raw);
}

TDateTime TReader::ReadDate()
{
  if (NextValue() != vaDate)
    return static_cast<TDateTime>(ReadInt64());
  ReadValue();
  double v;
  Read(&v, 8);
  return v;
}

AnsiString TReader::ReadIdent()
{
  switch (ReadValue()) {
  case vaIdent:
    return ReadStr();
  case vaFalse:
    return "False";
  case vaTrue:
    return "True";
  case vaNil:
    return "nil";
  case vaNull:
    return "Null";
  default:
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

AnsiString TReader::ReadStr()
{
  Byte length = 0;
  Read(&length, 1);
  AnsiString s(length, '\0');
  Read(s.data(), length);
  return s;
}

void TReader::SkipValue() { SkipValue(0); }

void TReader::SkipValue(int Depth)
{
  if (Depth > MaxNesting)
    RaiseReadError();
  auto skip = [this](Int64 count) {
    Require(count);
    Stream()->Seek(count, soFromCurrent);
  };
  switch (ReadValue()) {
  case vaNull:
  case vaFalse:
  case vaTrue:
  case vaNil:
    return;
  case vaList:
    while (NextValue() != vaNull)
      SkipValue(Depth + 1);
    ReadValue();
    return;
  case vaInt8:
    return skip(1);
  case vaInt16:
    return skip(2);
  case vaInt32:
  case vaSingle:
    return skip(4);
  case vaInt64:
  case vaCurrency:
  case vaDate:
    return skip(8);
  case vaExtended:
    return skip(10);
  case vaString:
  case vaIdent:
    ReadStr();
    return;
  case vaBinary:
  case vaLString:
    skip(ReadLength());
    return;
  case vaWString: {
    Integer length = 0;
    Read(&length, 4);
    if (length < 0)
      RaiseReadError();
    return skip(Int64(length) * 2);
  }
  case vaSet:
    while (!ReadStr().empty()) {
    }
    return;
  case vaCollection:
    // Items: an optional order value, then a list of properties.
    while (NextValue() != vaNull) {
      if (NextValue() != vaList)
        SkipValue(Depth + 1);
      CheckValue(vaList);
      while (NextValue() != vaNull) {
        ReadStr();
        SkipValue(Depth + 1);
      }
      ReadValue();
    }
    ReadValue();
    return;
  }
}
