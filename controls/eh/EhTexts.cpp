// The grid library's message texts (see EhTexts.h).
#include "controls/eh/EhTexts.h"

const TResStringRec SClearSelectedCellsEh{58100, "Clear selected cells?"};
const TResStringRec SInvalidTextFormatEh{58101, "Invalid text format"};
const TResStringRec SInvalidVCLDBIFFormatEh{58102, "Invalid VCLDBIF format"};
const TResStringRec SErrorDuringInsertValueEh{58103, "Error during insert value:"};
const TResStringRec SIgnoreErrorEh{58104, "Ignore error?"};
const TResStringRec STextNotFoundEh{58105, "String \"%s\" not found."};
const TResStringRec SFilterEmptyEh{58106, "(Empty)"};
const TResStringRec SFilterNotEmptyEh{58107, "(Not empty)"};
const TResStringRec SFilterAllEh{58108, "(All)"};
const TResStringRec SFilterClearEh{58109, "(Clear filter)"};
const TResStringRec SFilterSortAscendingEh{58110, "(Order by ascending)"};
const TResStringRec SFilterSortDescendingEh{58111, "(Order by descending)"};
const TResStringRec SDeleteRecordQuestionEh{58112, "Delete record?"};
const TResStringRec SDeleteAllRecordsQuestionEh{58113, "Delete all selected records?"};

#define EH_TEXTS                                                                                   \
  {                                                                                                \
    &SClearSelectedCellsEh, &SInvalidTextFormatEh, &SInvalidVCLDBIFFormatEh,                       \
        &SErrorDuringInsertValueEh, &SIgnoreErrorEh, &STextNotFoundEh, &SFilterEmptyEh,            \
        &SFilterNotEmptyEh, &SFilterAllEh, &SFilterClearEh, &SFilterSortAscendingEh,               \
        &SFilterSortDescendingEh, &SDeleteRecordQuestionEh, &SDeleteAllRecordsQuestionEh           \
  }

void EhTextsInitialization()
{
  RegisterResStrings(EH_TEXTS);
}

void EhTextsFinalization()
{
  UnregisterResStrings(EH_TEXTS);
}
