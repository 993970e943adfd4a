// What the export filters share: opening an exported file with the desktop's program for
// it, and writing a file through a temporary one so that a failed export leaves an
// existing file as it was.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

class TfrxView;

// Opens an exported file with the desktop's program for its type (the shell service of
// ShellAPI.h); the result is ignored, as a failure to open is not a failure of the export.
void frxOpenExportedFile(const AnsiString& FileName);

// Writes Bytes to FileName through a temporary file beside it, renamed over the target
// when complete. Raises EFCreateError 'Cannot create file "%s". %s' when the file cannot
// be written; an existing file then stays unchanged.
void frxWriteFileReplacing(const AnsiString& FileName, std::string_view Bytes);

// Objects whose size follows their content (barcodes) take that size before an exporter
// reads their bounds, as drawing them would; their content errors raise here.
void frxFitExportObject(TfrxView* Obj);
