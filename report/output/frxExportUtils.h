// What the export filters share: opening an exported file with the desktop's program for
// it, and writing a file through a temporary one so that a failed export leaves an
// existing file as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

class TfrxView;
class TStream;

// Opens an exported file with the desktop's program for its type (the shell service of
// ShellAPI.h); the result is ignored, as a failure to open is not a failure of the export.
void frxOpenExportedFile(const AnsiString& FileName);

// Writes Bytes to FileName through a temporary file beside it, renamed over the target
// when complete. Raises EFCreateError 'Cannot create file "%s". %s' when the file cannot
// be written; an existing file then stays unchanged.
void frxWriteFileReplacing(const AnsiString& FileName, std::string_view Bytes);
// The same for a file written piece by piece: Write gets a stream at the start of the new
// file that takes bytes and tells its position (it cannot seek or read). The file replaces
// FileName once Write has returned and every byte is written; when Write raises, or the disk
// fails, FileName stays as it was and the error goes on.
void frxWriteFileReplacing(const AnsiString& FileName, const std::function<void(TStream*)>& Write);

// Objects whose size follows their content (barcodes) take that size before an exporter
// reads their bounds, as drawing them would; their content errors raise here.
void frxFitExportObject(TfrxView* Obj);
