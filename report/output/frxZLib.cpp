// Deflate compression through zlib's own API. See frxZLib.h.
#include "report/output/frxZLib.h"

#include <algorithm>
#include <exception>

#include <zlib.h>

namespace {

constexpr Integer ZBufferSize = 65536;
const char* const SInvalidZStreamOperation = "Invalid ZStream operation!";

Integer MappedLevel(TZCompressionLevel Level)
{
  switch (Level) {
  case zcNone:
    return Z_NO_COMPRESSION;
  case zcFastest:
    return Z_BEST_SPEED;
  case zcDefault:
    return Z_DEFAULT_COMPRESSION;
  case zcMax:
    return Z_BEST_COMPRESSION;
  }
  return Z_DEFAULT_COMPRESSION;
}

// Every zlib result goes through here: negative codes raise with zlib's own text
// ("stream error", "insufficient memory" ...), the others pass.
Integer CCheck(Integer Code)
{
  if (Code < 0)
    throw EZCompressionError(zError(Code));
  return Code;
}

} // namespace

struct TCustomZStream::TZState {
  z_stream Strm{};
  Byte Buffer[ZBufferSize];
  bool Initialized = false;
};

TCustomZStream::TCustomZStream(TStream* Strm)
    : FStrm(Strm), FStrmPos(Strm->Position()), FZ(std::make_unique<TZState>())
{
}

TCustomZStream::~TCustomZStream()
{
  if (FZ->Initialized)
    deflateEnd(&FZ->Strm);
}

void TCustomZStream::Progress(TObject* Sender)
{
  OnProgress(Sender);
}

TZCompressionStream::TZCompressionStream(TStream* Dest, TZCompressionLevel CompressionLevel)
    : TCustomZStream(Dest)
{
  FZ->Strm.next_out = FZ->Buffer;
  FZ->Strm.avail_out = ZBufferSize;
  CCheck(deflateInit(&FZ->Strm, MappedLevel(CompressionLevel)));
  FZ->Initialized = true;
}

TZCompressionStream::~TZCompressionStream()
{
  // A stream dropped while an exception unwinds is abandoned; otherwise the data is
  // completed, and errors, which a destructor cannot report, are lost.
  if (FFinished || std::uncaught_exceptions() > 0)
    return;
  try {
    Finish();
  } catch (const Exception&) {
  }
}

Integer TZCompressionStream::Read(void*, Integer)
{
  throw EZCompressionError(SInvalidZStreamOperation);
}

// Writes the full output buffer to the destination at the remembered position.
void TZCompressionStream::Flush()
{
  if (FStrm->Position() != FStrmPos)
    FStrm->SetPosition(FStrmPos);
  const Integer filled = ZBufferSize - static_cast<Integer>(FZ->Strm.avail_out);
  if (filled > 0)
    FStrm->WriteBuffer(FZ->Buffer, filled);
  FZ->Strm.next_out = FZ->Buffer;
  FZ->Strm.avail_out = ZBufferSize;
  FStrmPos = FStrm->Position();
}

Integer TZCompressionStream::Write(const void* Buffer, Integer Count)
{
  if (FFinished)
    throw EZCompressionError(SInvalidZStreamOperation);
  if (Count <= 0)
    return 0;
  FZ->Strm.next_in = static_cast<Bytef*>(const_cast<void*>(Buffer));
  FZ->Strm.avail_in = static_cast<uInt>(Count);
  if (FStrm->Position() != FStrmPos)
    FStrm->SetPosition(FStrmPos);
  while (FZ->Strm.avail_in > 0) {
    CCheck(deflate(&FZ->Strm, Z_NO_FLUSH));
    if (FZ->Strm.avail_out == 0) {
      Flush();
      Progress(this);
    }
  }
  return Count;
}

Int64 TZCompressionStream::Seek(Int64 Offset, Word Origin)
{
  if (Offset == 0 && Origin == soFromCurrent)
    return TotalIn();
  throw EZCompressionError(SInvalidZStreamOperation);
}

Int64 TZCompressionStream::TotalIn() const
{
  return static_cast<Int64>(FZ->Strm.total_in);
}

void TZCompressionStream::Finish()
{
  if (FFinished)
    return;
  FFinished = true;
  FZ->Strm.next_in = nullptr;
  FZ->Strm.avail_in = 0;
  if (FStrm->Position() != FStrmPos)
    FStrm->SetPosition(FStrmPos);
  while (CCheck(deflate(&FZ->Strm, Z_FINISH)) != Z_STREAM_END)
    Flush();
  Flush();
}

void CompressStreamTo(TStream* Source, TStream* Dest, TZCompressionLevel Level)
{
  TZCompressionStream z(Dest, Level);
  z.CopyFrom(Source, 0);
  z.Finish();
}

struct TDeflater::TState {
  z_stream Strm{};
  int Level = Z_DEFAULT_COMPRESSION;
  bool Started = false;
  Byte Buffer[ZBufferSize];
};

TDeflater::TDeflater(TZCompressionLevel Level) : FState(std::make_unique<TState>())
{
  FState->Level = MappedLevel(Level);
}

TDeflater::~TDeflater()
{
  if (FState->Started)
    deflateEnd(&FState->Strm);
}

int TDeflater::Deflate(const void* Data, size_t Size, std::string& Out)
{
  Out.clear();
  z_stream& strm = FState->Strm;
  int code = FState->Started ? deflateReset(&strm) : deflateInit(&strm, FState->Level);
  if (code < 0) {
    if (FState->Started)
      deflateEnd(&strm);
    FState->Started = false;
    return code;
  }
  FState->Started = true;
  // The compression stream's steps: its output buffer emptied whenever full, input given in
  // pieces of at most 1 GB, then Z_FINISH until the stream ends.
  Byte* buffer = FState->Buffer;
  auto drain = [&] {
    Out.append(reinterpret_cast<const char*>(buffer), ZBufferSize - strm.avail_out);
    strm.next_out = buffer;
    strm.avail_out = ZBufferSize;
  };
  strm.next_out = buffer;
  strm.avail_out = ZBufferSize;
  const Byte* p = static_cast<const Byte*>(Data);
  while (Size > 0 && code >= 0) {
    const size_t chunk = std::min<size_t>(Size, 1 << 30);
    strm.next_in = const_cast<Bytef*>(p);
    strm.avail_in = static_cast<uInt>(chunk);
    while (strm.avail_in > 0) {
      code = deflate(&strm, Z_NO_FLUSH);
      if (code < 0)
        break;
      if (strm.avail_out == 0)
        drain();
    }
    p += chunk;
    Size -= chunk;
  }
  if (code >= 0) {
    strm.next_in = nullptr;
    strm.avail_in = 0;
    while ((code = deflate(&strm, Z_FINISH)) != Z_STREAM_END && code >= 0)
      drain();
    if (code >= 0) {
      drain();
      code = Z_OK;
    }
  }
  return code;
}

int DeflateBytes(const void* Data, size_t Size, TZCompressionLevel Level, std::string& Out)
{
  return TDeflater(Level).Deflate(Data, Size, Out);
}

std::string CompressBytes(const void* Data, size_t Size, TZCompressionLevel Level)
{
  std::string out;
  CheckDeflateResult(DeflateBytes(Data, Size, Level, out));
  return out;
}

void CheckDeflateResult(int Result)
{
  CCheck(Result);
}
