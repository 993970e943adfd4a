// Deflate compression for the PDF writer (frxPDFFile.h): a write-only stream that deflates
// everything written to it into another stream in the zlib format (2-byte header, deflate
// data, Adler-32), as a PDF FlateDecode filter reads it, and a one-call helper.
#pragma once

#include <memory>
#include <string>

#include "platform/rtl/Events.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

QH_DECLARE_EXCEPTION(EZLibError, Exception);
QH_DECLARE_EXCEPTION(EZCompressionError, EZLibError);

// zlib levels 0, 1, -1 (zlib's default) and 9.
enum TZCompressionLevel { zcNone, zcFastest, zcDefault, zcMax };

// The base of the zlib streams: the destination (not owned), its position at creation and
// after each buffer flush, and the progress notification called after each flush.
class TCustomZStream : public TStream {
public:
  ~TCustomZStream() override;
  TCustomZStream(const TCustomZStream&) = delete;
  TCustomZStream& operator=(const TCustomZStream&) = delete;

  TNotifyEvent OnProgress;

protected:
  explicit TCustomZStream(TStream* Strm);
  virtual void Progress(TObject* Sender);

  struct TZState;
  TStream* FStrm;
  Int64 FStrmPos;
  std::unique_ptr<TZState> FZ;
};

// Deflates what is written into the destination, starting at the destination's position at
// creation. Finish completes the zlib stream and reports zlib's errors; a stream freed
// without Finish completes it quietly (errors are lost then, as no destructor may throw).
class TZCompressionStream : public TCustomZStream {
public:
  // Raises EZCompressionError when zlib cannot start.
  TZCompressionStream(TStream* Dest, TZCompressionLevel CompressionLevel = zcDefault);
  ~TZCompressionStream() override;

  // Always raises EZCompressionError "Invalid ZStream operation!".
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  // Only (0, soFromCurrent): the number of bytes taken in so far.
  Int64 Seek(Int64 Offset, Word Origin) override;

  // Writes the rest of the compressed data and the trailer; later calls do nothing.
  void Finish();
  // The uncompressed bytes taken in so far.
  Int64 TotalIn() const;

private:
  void Flush();
  bool FFinished = false;
};

// Deflates the whole of Source (from its start) into Dest at Dest's position.
void CompressStreamTo(TStream* Source, TStream* Dest, TZCompressionLevel Level);
// The same for bytes in memory; the result is a complete zlib stream.
std::string CompressBytes(const void* Data, size_t Size, TZCompressionLevel Level);
// The same without raising: zlib's result (0, or its negative error code, whose text zError
// gives) and the bytes in Out. It makes the calls the compression stream makes, so the bytes
// are the same, and it touches no runtime object, so a worker thread may run it.
int DeflateBytes(const void* Data, size_t Size, TZCompressionLevel Level, std::string& Out);
// Raises EZCompressionError with zlib's text for a negative result of DeflateBytes.
void CheckDeflateResult(int Result);

// DeflateBytes for one piece of data after another at one level, keeping zlib's state (some
// 300 KB at level 9) from one to the next: zlib resets it to what a new stream starts with,
// so the bytes are the same. Not a runtime object; for one thread at a time.
class TDeflater {
public:
  explicit TDeflater(TZCompressionLevel Level);
  ~TDeflater();
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;
  int Deflate(const void* Data, size_t Size, std::string& Out);

private:
  struct TState;
  std::unique_ptr<TState> FState;
};
