// Streams: the abstract byte stream and its memory, string, file and resource forms.
// Readers of formats (filer, pictures, criteria) stand on TStream; see Classes.h for the
// bigger picture of the runtime's object units.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

// Seek origins; both spellings are accepted by TStream::Seek.
enum TSeekOrigin { soBeginning, soCurrent, soEnd };
constexpr Word soFromBeginning = 0;
constexpr Word soFromCurrent = 1;
constexpr Word soFromEnd = 2;

// File open modes: one access mode, optionally or-ed with a share mode (accepted and
// ignored: Linux has no share locks of that kind). fmCreate creates or truncates.
constexpr Word fmCreate = 0xFFFF;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

QH_DECLARE_EXCEPTION(EResNotFound, Exception);

class TStream : public TObject {
public:
  // Reads up to Count bytes at the position; returns how many were read (0 at the end).
  virtual Integer Read(void* Buffer, Integer Count) = 0;
  // Writes up to Count bytes at the position; returns how many were written.
  virtual Integer Write(const void* Buffer, Integer Count) = 0;
  // Moves the position (Origin: soFromBeginning, soFromCurrent, soFromEnd) and returns it.
  virtual Int64 Seek(Int64 Offset, Word Origin) = 0;

  // Exactly Count bytes, else EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, Integer Count);
  void WriteBuffer(const void* Buffer, Integer Count);

  // Copies Count bytes from Source's position; Count 0 copies the whole source from its
  // start. Returns the number of bytes copied; a short source raises EReadError.
  Int64 CopyFrom(TStream* Source, Int64 Count);

  Int64 Position();
  void SetPosition(Int64 Pos);
  virtual Int64 Size();
  // Streams that cannot change their size ignore this.
  virtual void SetSize(Int64 NewSize) {}
};

// A stream over one block of memory that it does not grow: reading and seeking.
class TCustomMemoryStream : public TStream {
public:
  Integer Read(void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, Word Origin) override;
  Int64 Size() override { return FSize; }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName);
  void* Memory() const { return FMemory; }

protected:
  void SetPointer(void* Ptr, Int64 Size);
  Int64 FPosition = 0;

private:
  void* FMemory = nullptr;
  Int64 FSize = 0;
};

// A growing memory stream; new bytes (after SetSize or a write past the end) are zero.
class TMemoryStream : public TCustomMemoryStream {
public:
  ~TMemoryStream() override;
  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  void Clear();
  // Replaces the contents with the whole of Stream (from its start) / the file's bytes.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);
  Int64 Capacity() const { return FCapacity; }
  // Room for Value bytes without growing again; never shrinks, and the size stays.
  void SetCapacity(Int64 Value) { Reserve(Value); }

private:
  void Reserve(Int64 NewCapacity);
  // Bytes past the size are not initialised: what becomes part of the stream is written or
  // zeroed first.
  std::unique_ptr<char[]> FBuffer;
  Int64 FCapacity = 0;
};

// A read-only stream over bytes: its own copy of a string, or memory the caller keeps
// alive. Writing writes nothing (WriteBuffer raises "Stream write error").
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
  explicit TReadOnlyMemoryStream(const AnsiString& Data);
  TReadOnlyMemoryStream(const void* Data, Int64 Size);
  Integer Write(const void* Buffer, Integer Count) override { return 0; }

private:
  AnsiString FData;
};

// A stream over a string; writing overwrites at the position and extends the string.
class TStringStream : public TStream {
public:
  explicit TStringStream(const AnsiString& AString = AnsiString()) : FDataString(AString) {}
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, Word Origin) override;
  Int64 Size() override { return static_cast<Int64>(FDataString.size()); }
  void SetSize(Int64 NewSize) override;
  // Up to Count bytes from the position.
  AnsiString ReadString(Integer Count);
  void WriteString(const AnsiString& AString);
  const AnsiString& DataString() const { return FDataString; }

private:
  AnsiString FDataString;
  Int64 FPosition = 0;
};

// A stream over an open file descriptor, which it does not close.
class THandleStream : public TStream {
public:
  explicit THandleStream(Integer AHandle) : FHandle(AHandle) {}
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, Word Origin) override;
  Int64 Size() override;
  // Raises EStreamError when the file cannot be resized.
  void SetSize(Int64 NewSize) override;
  Integer Handle() const { return FHandle; }

protected:
  Integer FHandle = -1;
};

// A file opened by name (GBK) with one of the fm... modes. Failure raises EFOpenError
// 'Cannot open file "%s". %s' or EFCreateError 'Cannot create file "%s". %s', the second
// text being the system's reason.
class TFileStream : public THandleStream {
public:
  TFileStream(const AnsiString& FileName, Word Mode);
  ~TFileStream() override;
  const AnsiString& FileName() const { return FFileName; }

private:
  AnsiString FFileName;
};

// Compiled-in resources: named byte blocks registered at start-up. The data is not copied
// and must live as long as the program (static arrays). Names compare ignoring case; a
// second registration under the same name replaces the first.
void RegisterResource(const AnsiString& Name, const void* Data, Int64 Size);
void UnregisterResource(const AnsiString& Name);
bool ResourceExists(const AnsiString& Name);

// A read-only stream over a registered resource; an unknown name raises EResNotFound
// "Resource %s not found".
class TResourceStream : public TCustomMemoryStream {
public:
  explicit TResourceStream(const AnsiString& ResName);
  // The runtime's form; instance and resource type play no part in the lookup.
  TResourceStream(NativeUInt Instance, const AnsiString& ResName, const char* ResType);
  Integer Write(const void* Buffer, Integer Count) override { return 0; }

private:
  void Initialize(const AnsiString& ResName);
};
