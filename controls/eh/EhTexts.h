// The grid library's message texts: resource strings with the ids 58100-58199. The units
// that show them (the importers, the delete command, the find dialog, the filter row) load
// them when used; EhWrappers.h holds the rest of the library's platform layer.
#pragma once

#include "platform/rtl/ResStrings.h"

extern const TResStringRec SClearSelectedCellsEh;       // "Clear selected cells?"
extern const TResStringRec SInvalidTextFormatEh;        // "Invalid text format"
extern const TResStringRec SInvalidVCLDBIFFormatEh;     // "Invalid VCLDBIF format"
extern const TResStringRec SErrorDuringInsertValueEh;   // "Error during insert value:"
extern const TResStringRec SIgnoreErrorEh;              // "Ignore error?"
extern const TResStringRec STextNotFoundEh;             // "String \"%s\" not found."
extern const TResStringRec SFilterEmptyEh;              // "(Empty)"
extern const TResStringRec SFilterNotEmptyEh;           // "(Not empty)"
extern const TResStringRec SFilterAllEh;                // "(All)"
extern const TResStringRec SFilterClearEh;              // "(Clear filter)"
extern const TResStringRec SFilterSortAscendingEh;      // "(Order by ascending)"
extern const TResStringRec SFilterSortDescendingEh;     // "(Order by descending)"
extern const TResStringRec SDeleteRecordQuestionEh;     // "Delete record?"
extern const TResStringRec SDeleteAllRecordsQuestionEh; // "Delete all selected records?"

// The unit's start-up and shut-down: registers and removes the texts.
void EhTextsInitialization();
void EhTextsFinalization();
