// Streams: memory, string, file and resource streams over the TStream contract.
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterStreamsClasses()
{
  RegisterExceptionClass<EResNotFound, Exception>("EResNotFound");
  TClassRegistration<TStream>("TStream");
  TClassRegistration<TCustomMemoryStream, TStream>("TCustomMemoryStream");
  TClassRegistration<TMemoryStream, TCustomMemoryStream>("TMemoryStream");
  TClassRegistration<TReadOnlyMemoryStream, TCustomMemoryStream>("TReadOnlyMemoryStream");
  TClassRegistration<TResourceStream, TCustomMemoryStream>("TResourceStream");
  TClassRegistration<TStringStream, TStream>("TStringStream");
  TClassRegistration<THandleStream, TStream>("THandleStream");
  TClassRegistration<TFileStream, THandleStream>("TFileStream");
}

namespace {

constexpr const char* SResNotFound = "Resource %s not found";

// The system's reason for an error number, always in English.
AnsiString OsErrorText(int err)
{
  const char* text = strerrordesc_np(err);
  return text ? AnsiString(text) : Format("Unknown error %d", {err});
}

Int64 ClampSeek(Int64 offset, Word origin, Int64 position, Int64 size)
{
  switch (origin) {
  case soFromBeginning:
    return offset;
  case soFromCurrent:
    return position + offset;
  case soFromEnd:
    return size + offset;
  default:
    return position;
  }
}

struct TResourceBlock {
  const void* Data = nullptr;
  Int64 Size = 0;
};

std::map<AnsiString, TResourceBlock>& Resources()
{
  static std::map<AnsiString, TResourceBlock> resources;
  return resources;
}

// Repeats a read or write call until Count bytes are moved, the call reports the end
// (0) or it fails with anything but an interruption; returns the bytes moved.
// transfer(done, left) moves up to left bytes at offset done and returns the system's result.
template <class Transfer> Integer TransferAll(Integer Count, Transfer transfer)
{
  Integer done = 0;
  while (done < Count) {
    const ssize_t n = transfer(done, Count - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    done += static_cast<Integer>(n);
  }
  return done;
}

} // namespace

// ---- TStream ----

void TStream::ReadBuffer(void* Buffer, Integer Count)
{
  if (Count != 0 && Read(Buffer, Count) != Count)
    throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, Integer Count)
{
  if (Count != 0 && Write(Buffer, Count) != Count)
    throw EWriteError(SWriteError);
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count)
{
  constexpr Integer MaxBufSize = 0xF000;
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  const Int64 result = Count;
  std::vector<char> buffer(static_cast<size_t>(std::min<Int64>(Count, MaxBufSize)));
  while (Count > 0) {
    const Integer n = static_cast<Integer>(std::min<Int64>(Count, MaxBufSize));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    Count -= n;
  }
  return result;
}

Int64 TStream::Position()
{
  return Seek(0, soFromCurrent);
}

void TStream::SetPosition(Int64 Pos)
{
  Seek(Pos, soFromBeginning);
}

Int64 TStream::Size()
{
  const Int64 pos = Seek(0, soFromCurrent);
  const Int64 result = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return result;
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 Size)
{
  FMemory = Ptr;
  FSize = Size;
}

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count)
{
  if (FPosition < 0 || Count <= 0 || FPosition >= FSize)
    return 0;
  const Int64 n = std::min<Int64>(Count, FSize - FPosition);
  std::memcpy(Buffer, static_cast<const char*>(FMemory) + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<Integer>(n);
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, Word Origin)
{
  FPosition = ClampSeek(Offset, Origin, FPosition, FSize);
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream)
{
  // Written in pieces so sizes beyond the 32-bit write count pass too.
  Int64 done = 0;
  while (done < FSize) {
    const Integer n = static_cast<Integer>(std::min<Int64>(FSize - done, 0x40000000));
    Stream->WriteBuffer(static_cast<const char*>(FMemory) + done, n);
    done += n;
  }
}

void TCustomMemoryStream::SaveToFile(const AnsiString& FileName)
{
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

// ---- TMemoryStream ----

TMemoryStream::~TMemoryStream() = default;

void TMemoryStream::Reserve(Int64 NewCapacity)
{
  if (NewCapacity <= FCapacity)
    return;
  // Grow geometrically so that byte-wise writers stay linear; only the bytes in use move.
  Int64 grown = std::max<Int64>(NewCapacity, FCapacity + FCapacity / 2);
  grown = (grown + 8191) & ~Int64(8191);
  if (grown < 0 || static_cast<UInt64>(grown) > PTRDIFF_MAX)
    throw EOutOfMemory(SMemoryStreamError);
  std::unique_ptr<char[]> fresh(new (std::nothrow) char[static_cast<size_t>(grown)]);
  if (!fresh)
    throw EOutOfMemory(SMemoryStreamError);
  if (Size() > 0)
    std::memcpy(fresh.get(), FBuffer.get(), static_cast<size_t>(Size()));
  FBuffer = std::move(fresh);
  FCapacity = grown;
  SetPointer(FBuffer.get(), Size());
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count)
{
  if (FPosition < 0 || Count <= 0)
    return 0;
  const Int64 end = FPosition + Count;
  const Int64 old = Size();
  if (end > old) {
    Reserve(end);
    // A write beyond the end leaves zeros in between.
    if (FPosition > old)
      std::memset(FBuffer.get() + old, 0, static_cast<size_t>(FPosition - old));
    SetPointer(FBuffer.get(), end);
  }
  std::memcpy(FBuffer.get() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::SetSize(Int64 NewSize)
{
  if (NewSize < 0)
    NewSize = 0;
  const Int64 old = Size();
  Reserve(NewSize);
  if (NewSize > old)
    std::memset(FBuffer.get() + old, 0, static_cast<size_t>(NewSize - old));
  SetPointer(FBuffer.get(), NewSize);
  if (FPosition > NewSize)
    FPosition = NewSize;
}

void TMemoryStream::Clear()
{
  FBuffer.reset();
  FCapacity = 0;
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream)
{
  Stream->SetPosition(0);
  const Int64 count = Stream->Size();
  SetSize(count);
  Int64 done = 0;
  while (done < count) {
    const Integer n = static_cast<Integer>(std::min<Int64>(count - done, 0x40000000));
    Stream->ReadBuffer(FBuffer.get() + done, n);
    done += n;
  }
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName)
{
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

// ---- TReadOnlyMemoryStream ----

TReadOnlyMemoryStream::TReadOnlyMemoryStream(const AnsiString& Data) : FData(Data)
{
  SetPointer(FData.data(), static_cast<Int64>(FData.size()));
}

TReadOnlyMemoryStream::TReadOnlyMemoryStream(const void* Data, Int64 Size)
{
  SetPointer(const_cast<void*>(Data), Data ? Size : 0);
}

// ---- TStringStream ----

Integer TStringStream::Read(void* Buffer, Integer Count)
{
  const Int64 size = Size();
  if (FPosition < 0 || Count <= 0 || FPosition >= size)
    return 0;
  const Int64 n = std::min<Int64>(Count, size - FPosition);
  std::memcpy(Buffer, FDataString.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<Integer>(n);
}

Integer TStringStream::Write(const void* Buffer, Integer Count)
{
  if (FPosition < 0 || Count <= 0)
    return 0;
  const Int64 end = FPosition + Count;
  if (end > Size())
    FDataString.resize(static_cast<size_t>(end), '\0');
  std::memcpy(FDataString.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

Int64 TStringStream::Seek(Int64 Offset, Word Origin)
{
  FPosition = ClampSeek(Offset, Origin, FPosition, Size());
  return FPosition;
}

void TStringStream::SetSize(Int64 NewSize)
{
  FDataString.resize(static_cast<size_t>(std::max<Int64>(NewSize, 0)), '\0');
  if (FPosition > NewSize)
    FPosition = std::max<Int64>(NewSize, 0);
}

AnsiString TStringStream::ReadString(Integer Count)
{
  const Int64 size = Size();
  if (FPosition < 0 || Count <= 0 || FPosition >= size)
    return AnsiString();
  const Int64 n = std::min<Int64>(Count, size - FPosition);
  AnsiString result = FDataString.substr(static_cast<size_t>(FPosition), static_cast<size_t>(n));
  FPosition += n;
  return result;
}

void TStringStream::WriteString(const AnsiString& AString)
{
  Write(AString.data(), static_cast<Integer>(AString.size()));
}

// ---- THandleStream ----

Integer THandleStream::Read(void* Buffer, Integer Count)
{
  return TransferAll(Count, [&](Integer done, Integer left) {
    return ::read(FHandle, static_cast<char*>(Buffer) + done, static_cast<size_t>(left));
  });
}

Integer THandleStream::Write(const void* Buffer, Integer Count)
{
  return TransferAll(Count, [&](Integer done, Integer left) {
    return ::write(FHandle, static_cast<const char*>(Buffer) + done, static_cast<size_t>(left));
  });
}

Int64 THandleStream::Seek(Int64 Offset, Word Origin)
{
  int whence = SEEK_SET;
  if (Origin == soFromCurrent)
    whence = SEEK_CUR;
  else if (Origin == soFromEnd)
    whence = SEEK_END;
  const off_t result = ::lseek(FHandle, static_cast<off_t>(Offset), whence);
  return result < 0 ? -1 : static_cast<Int64>(result);
}

Int64 THandleStream::Size()
{
  struct stat st;
  if (::fstat(FHandle, &st) == 0 && S_ISREG(st.st_mode))
    return static_cast<Int64>(st.st_size);
  return TStream::Size();
}

void THandleStream::SetSize(Int64 NewSize)
{
  if (::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
    throw EStreamError(OsErrorText(errno));
  if (Position() > NewSize)
    Seek(NewSize, soFromBeginning);
}

// ---- TFileStream ----

TFileStream::TFileStream(const AnsiString& FileName, Word Mode)
    : THandleStream(-1), FFileName(FileName)
{
  const std::string osName = ToOsFileName(FileName);
  if (Mode == fmCreate) {
    FHandle = ::open(osName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
      throw EFCreateError(Format(SFCreateErrorEx, {FileName, OsErrorText(errno)}));
    return;
  }
  int flags = O_RDONLY;
  if ((Mode & 3) == fmOpenWrite)
    flags = O_WRONLY;
  else if ((Mode & 3) == fmOpenReadWrite)
    flags = O_RDWR;
  FHandle = ::open(osName.c_str(), flags | O_CLOEXEC);
  int err = errno;
  if (FHandle >= 0) {
    // A folder opens on Linux but is no file to read: refuse it as the platform would.
    struct stat st;
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(FHandle);
      FHandle = -1;
      err = EISDIR;
    }
  }
  if (FHandle < 0)
    throw EFOpenError(Format(SFOpenErrorEx, {FileName, OsErrorText(err)}));
}

TFileStream::~TFileStream()
{
  if (FHandle >= 0)
    ::close(FHandle);
}

// ---- Resources ----

void RegisterResource(const AnsiString& Name, const void* Data, Int64 Size)
{
  Resources()[AnsiUpperCase(Name)] = TResourceBlock{Data, Data ? Size : 0};
}

void UnregisterResource(const AnsiString& Name)
{
  Resources().erase(AnsiUpperCase(Name));
}

bool ResourceExists(const AnsiString& Name)
{
  return Resources().count(AnsiUpperCase(Name)) != 0;
}

TResourceStream::TResourceStream(const AnsiString& ResName)
{
  Initialize(ResName);
}

TResourceStream::TResourceStream(NativeUInt Instance, const AnsiString& ResName,
                                 const char* ResType)
{
  Initialize(ResName);
}

void TResourceStream::Initialize(const AnsiString& ResName)
{
  auto it = Resources().find(AnsiUpperCase(ResName));
  if (it == Resources().end())
    throw EResNotFound(Format(SResNotFound, {ResName}));
  SetPointer(const_cast<void*>(it->second.Data), it->second.Size);
}
