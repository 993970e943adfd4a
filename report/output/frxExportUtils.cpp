// Shared helpers of the export filters; see frxExportUtils.h.
#include "report/output/frxExportUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/ShellAPI.h"
#include "report/output/frxBarcode.h"

namespace {

[[noreturn]] void RaiseCreateError(const AnsiString& FileName, int Error)
{
  throw EFCreateError(Format(SFCreateErrorEx, {FileName, AnsiString(std::strerror(Error))}));
}

} // namespace

void frxOpenExportedFile(const AnsiString& FileName)
{
  ShellOpen(FileName, {stFile});
}

namespace {

// A new file beside the target, with the usual permissions (mkstemp makes it private).
struct TTempFile {
  AnsiString FileName;
  std::string Path;
  int Fd = -1;

  explicit TTempFile(const AnsiString& Target) : FileName(Target)
  {
    if (Target.empty())
      RaiseCreateError(Target, ENOENT);
    Path = ToOsFileName(Target) + ".XXXXXX";
    Fd = mkstemp(Path.data());
    if (Fd < 0)
      RaiseCreateError(Target, errno);
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(Fd, 0666 & ~mask);
  }
  ~TTempFile()
  {
    if (Fd >= 0) {
      close(Fd);
      unlink(Path.c_str());
    }
  }
  void WriteAll(const char* p, size_t left)
  {
    while (left > 0) {
      const ssize_t n = write(Fd, p, left);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        RaiseCreateError(FileName, n < 0 ? errno : ENOSPC);
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  // Closes the file and puts it in the target's place.
  void Replace()
  {
    const int fd = Fd;
    Fd = -1;
    if (close(fd) != 0) {
      const int error = errno;
      unlink(Path.c_str());
      RaiseCreateError(FileName, error);
    }
    if (rename(Path.c_str(), ToOsFileName(FileName).c_str()) != 0) {
      const int error = errno;
      unlink(Path.c_str());
      RaiseCreateError(FileName, error);
    }
  }
};

// The stream a piece-by-piece writer gets: bytes gathered into 1 MB writes.
class TTempFileStream : public TStream {
public:
  explicit TTempFileStream(TTempFile& File) : FFile(File) { FBuffer.reserve(BufferSize); }
  Integer Read(void*, Integer) override { throw EReadError(SReadError); }
  Integer Write(const void* Buffer, Integer Count) override
  {
    if (Count <= 0)
      return 0;
    if (FBuffer.size() + static_cast<size_t>(Count) > BufferSize)
      Flush();
    if (static_cast<size_t>(Count) >= BufferSize)
      FFile.WriteAll(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
    else
      FBuffer.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
    FWritten += Count;
    return Count;
  }
  Int64 Seek(Int64 Offset, Word Origin) override
  {
    if ((Origin == soFromCurrent && Offset == 0) ||
        (Origin == soFromBeginning && Offset == FWritten))
      return FWritten;
    throw EWriteError(SWriteError);
  }
  Int64 Size() override { return FWritten; }
  void Flush()
  {
    FFile.WriteAll(FBuffer.data(), FBuffer.size());
    FBuffer.clear();
  }

private:
  static constexpr size_t BufferSize = 1 << 20;
  TTempFile& FFile;
  std::string FBuffer;
  Int64 FWritten = 0;
};

} // namespace

void frxWriteFileReplacing(const AnsiString& FileName, std::string_view Bytes)
{
  TTempFile file(FileName);
  file.WriteAll(Bytes.data(), Bytes.size());
  file.Replace();
}

void frxWriteFileReplacing(const AnsiString& FileName, const std::function<void(TStream*)>& Write)
{
  TTempFile file(FileName);
  {
    TTempFileStream stream(file);
    Write(&stream);
    stream.Flush();
  }
  file.Replace();
}

void frxFitExportObject(TfrxView* Obj)
{
  if (auto* barcode = dynamic_cast<TfrxBarCodeView*>(Obj))
    barcode->FitSize();
}
