// The grid's Copy, Cut, Paste and Delete commands. Copy puts the selection on the clipboard
// in four formats at once (Unicode text, "Csv", "Rich Text Format", "VCLDBIF"); Paste reads
// "VCLDBIF" when it is there and text otherwise; Delete removes the selected records or
// clears the selected cells, asking first when the grid's options say so. The grid's keys
// and commands call them with All false. The formats are DBGridEhExport.h's.
#pragma once

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/Streams.h"

// The clipboard formats of the library, registered at start-up.
extern UINT VCLDBIFClipboardFormat; // "VCLDBIF"
extern UINT CsvClipboardFormat;     // "Csv"
extern UINT RtfClipboardFormat;     // "Rich Text Format"

void GridCopyAction(TCustomDBGridEh* Grid, bool All);
void GridPasteAction(TCustomDBGridEh* Grid, bool All);
void GridCutAction(TCustomDBGridEh* Grid, bool All);
void GridDeleteAction(TCustomDBGridEh* Grid, bool All);
// The question Delete asks for a selection kind ("" for none): "Delete record?" or "Delete
// all selected records?" for rows, "Clear selected cells?" for a rectangle or columns, "Delete
// all selected records?" for everything.
AnsiString GridDeleteQuestion(TCustomDBGridEh* Grid, TGridSelectionKindEh Kind);

// The stream's bytes as one clipboard format (the clipboard closed on every path); a
// format's bytes appended to a stream.
void PutClipboardBlock(UINT Format, TMemoryStream* Stream);
void GetClipboardBlock(UINT Format, TMemoryStream* Stream);
// The stream's GBK bytes (with their terminating 0 byte) as Unicode text.
void PutClipboardUnicodeText(TMemoryStream* Stream);

void GridClipboardEhInitialization();
