// The workbook automation object served as "Excel.Application": the members a spreadsheet
// export drives (workbooks, worksheets, ranges, named styles, borders, merges, column
// widths, row heights, page breaks, page set-up, pasted pictures, a text array) build an
// in-memory workbook that SaveAs writes as an .xlsx file through libxlsxwriter.
//
// Member semantics follow the spreadsheet program's automation model: colours are
// 0x00BBGGRR values (system colours resolved, clNone meaning no fill), column widths are
// characters, row heights and page margins points, Rows(n).PageBreak := -4135 puts a
// manual break above row n, alignments take the -41xx constants. Named styles become cell
// formats (the file format has no named styles of its own). SaveAs writes a temporary
// file beside the target and renames it over the target; any failure raises
// EOleException and leaves an existing file as it was.
#pragma once

#include "platform/rtl/Types.h"

// Enters "Excel.Application" in the automation class registry.
void RegisterExcelApplication();

// Column letters of a 1-based column number (1 A, 27 AA, 702 ZZ, 703 AAA) and the reverse
// reading of a cell name such as "C7" (zero-based column and row; false when malformed).
AnsiString XlsColumnLetters(Integer Column);
bool XlsParseCellName(const AnsiString& Name, Integer& Column, Integer& Row);
