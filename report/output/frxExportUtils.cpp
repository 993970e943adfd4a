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

void frxWriteFileReplacing(const AnsiString& FileName, std::string_view Bytes)
{
  if (FileName.empty())
    RaiseCreateError(FileName, ENOENT);
  std::string temp = ToOsFileName(FileName) + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0)
    RaiseCreateError(FileName, errno);
  // A new file gets the usual permissions (mkstemp makes it private).
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  const char* p = Bytes.data();
  size_t left = Bytes.size();
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      close(fd);
      unlink(temp.c_str());
      RaiseCreateError(FileName, error);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (close(fd) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    RaiseCreateError(FileName, error);
  }
  if (rename(temp.c_str(), ToOsFileName(FileName).c_str()) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    RaiseCreateError(FileName, error);
  }
}

void frxFitExportObject(TfrxView* Obj)
{
  if (auto* barcode = dynamic_cast<TfrxBarCodeView*>(Obj))
    barcode->FitSize();
}
