// cxFilterConsts: the words of filter texts, value lists and operator descriptions, as
// resource strings (so a localizer can replace them). Read them through
// GetFilterResourceString (cxFilter.h), which honours the installed FilterResourceStringHook.
#pragma once

#include "platform/rtl/ResStrings.h"

// Operator descriptions, kinds 0-23.
extern const TResStringRec cxSFilterOperatorEqual;
extern const TResStringRec cxSFilterOperatorNotEqual;
extern const TResStringRec cxSFilterOperatorLess;
extern const TResStringRec cxSFilterOperatorLessEqual;
extern const TResStringRec cxSFilterOperatorGreater;
extern const TResStringRec cxSFilterOperatorGreaterEqual;
extern const TResStringRec cxSFilterOperatorLike;
extern const TResStringRec cxSFilterOperatorNotLike;
extern const TResStringRec cxSFilterOperatorBetween;
extern const TResStringRec cxSFilterOperatorNotBetween;
extern const TResStringRec cxSFilterOperatorInList;
extern const TResStringRec cxSFilterOperatorNotInList;
extern const TResStringRec cxSFilterOperatorYesterday;
extern const TResStringRec cxSFilterOperatorToday;
extern const TResStringRec cxSFilterOperatorTomorrow;
extern const TResStringRec cxSFilterOperatorLastWeek;
extern const TResStringRec cxSFilterOperatorLastMonth;
extern const TResStringRec cxSFilterOperatorLastYear;
extern const TResStringRec cxSFilterOperatorThisWeek;
extern const TResStringRec cxSFilterOperatorThisMonth;
extern const TResStringRec cxSFilterOperatorThisYear;
extern const TResStringRec cxSFilterOperatorNextWeek;
extern const TResStringRec cxSFilterOperatorNextMonth;
extern const TResStringRec cxSFilterOperatorNextYear;
// Group words of display texts.
extern const TResStringRec cxSFilterAndCaption;
extern const TResStringRec cxSFilterOrCaption;
extern const TResStringRec cxSFilterNotCaption;
// Null values and the null operators.
extern const TResStringRec cxSFilterBlankCaption;
extern const TResStringRec cxSFilterOperatorIsNull;
extern const TResStringRec cxSFilterOperatorIsNotNull;
// LIKE descriptions.
extern const TResStringRec cxSFilterOperatorBeginsWith;
extern const TResStringRec cxSFilterOperatorDoesNotBeginWith;
extern const TResStringRec cxSFilterOperatorEndsWith;
extern const TResStringRec cxSFilterOperatorDoesNotEndWith;
extern const TResStringRec cxSFilterOperatorContains;
extern const TResStringRec cxSFilterOperatorDoesNotContain;
// Value-list entries.
extern const TResStringRec cxSFilterBoxAllCaption;
extern const TResStringRec cxSFilterBoxCustomCaption;
extern const TResStringRec cxSFilterBoxBlanksCaption;
extern const TResStringRec cxSFilterBoxNonBlanksCaption;

void cxFilterConstsInitialization();
void cxFilterConstsFinalization();
