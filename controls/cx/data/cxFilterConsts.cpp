// The filter words (see cxFilterConsts.h). Their string-table ids are 57000-57039.
#include "controls/cx/data/cxFilterConsts.h"

const TResStringRec cxSFilterOperatorEqual{57000, "equals"};
const TResStringRec cxSFilterOperatorNotEqual{57001, "does not equal"};
const TResStringRec cxSFilterOperatorLess{57002, "is less than"};
const TResStringRec cxSFilterOperatorLessEqual{57003, "is less than or equal to"};
const TResStringRec cxSFilterOperatorGreater{57004, "is greater than"};
const TResStringRec cxSFilterOperatorGreaterEqual{57005, "is greater than or equal to"};
const TResStringRec cxSFilterOperatorLike{57006, "like"};
const TResStringRec cxSFilterOperatorNotLike{57007, "not like"};
const TResStringRec cxSFilterOperatorBetween{57008, "between"};
const TResStringRec cxSFilterOperatorNotBetween{57009, "not between"};
const TResStringRec cxSFilterOperatorInList{57010, "in"};
const TResStringRec cxSFilterOperatorNotInList{57011, "not in"};
const TResStringRec cxSFilterOperatorYesterday{57012, "is yesterday"};
const TResStringRec cxSFilterOperatorToday{57013, "is today"};
const TResStringRec cxSFilterOperatorTomorrow{57014, "is tomorrow"};
const TResStringRec cxSFilterOperatorLastWeek{57015, "is last week"};
const TResStringRec cxSFilterOperatorLastMonth{57016, "is last month"};
const TResStringRec cxSFilterOperatorLastYear{57017, "is last year"};
const TResStringRec cxSFilterOperatorThisWeek{57018, "is this week"};
const TResStringRec cxSFilterOperatorThisMonth{57019, "is this month"};
const TResStringRec cxSFilterOperatorThisYear{57020, "is this year"};
const TResStringRec cxSFilterOperatorNextWeek{57021, "is next week"};
const TResStringRec cxSFilterOperatorNextMonth{57022, "is next month"};
const TResStringRec cxSFilterOperatorNextYear{57023, "is next year"};
const TResStringRec cxSFilterAndCaption{57024, "and"};
const TResStringRec cxSFilterOrCaption{57025, "or"};
const TResStringRec cxSFilterNotCaption{57026, "not"};
const TResStringRec cxSFilterBlankCaption{57027, "blank"};
const TResStringRec cxSFilterOperatorIsNull{57028, "is blank"};
const TResStringRec cxSFilterOperatorIsNotNull{57029, "is not blank"};
const TResStringRec cxSFilterOperatorBeginsWith{57030, "begins with"};
const TResStringRec cxSFilterOperatorDoesNotBeginWith{57031, "does not begin with"};
const TResStringRec cxSFilterOperatorEndsWith{57032, "ends with"};
const TResStringRec cxSFilterOperatorDoesNotEndWith{57033, "does not end with"};
const TResStringRec cxSFilterOperatorContains{57034, "contains"};
const TResStringRec cxSFilterOperatorDoesNotContain{57035, "does not contain"};
const TResStringRec cxSFilterBoxAllCaption{57036, "(All)"};
const TResStringRec cxSFilterBoxCustomCaption{57037, "(Custom...)"};
const TResStringRec cxSFilterBoxBlanksCaption{57038, "(Blanks)"};
const TResStringRec cxSFilterBoxNonBlanksCaption{57039, "(NonBlanks)"};

namespace {

#define CX_FILTER_STRINGS                                                                          \
  {                                                                                                \
    &cxSFilterOperatorEqual, &cxSFilterOperatorNotEqual, &cxSFilterOperatorLess,                   \
        &cxSFilterOperatorLessEqual, &cxSFilterOperatorGreater, &cxSFilterOperatorGreaterEqual,    \
        &cxSFilterOperatorLike, &cxSFilterOperatorNotLike, &cxSFilterOperatorBetween,              \
        &cxSFilterOperatorNotBetween, &cxSFilterOperatorInList, &cxSFilterOperatorNotInList,       \
        &cxSFilterOperatorYesterday, &cxSFilterOperatorToday, &cxSFilterOperatorTomorrow,          \
        &cxSFilterOperatorLastWeek, &cxSFilterOperatorLastMonth, &cxSFilterOperatorLastYear,       \
        &cxSFilterOperatorThisWeek, &cxSFilterOperatorThisMonth, &cxSFilterOperatorThisYear,       \
        &cxSFilterOperatorNextWeek, &cxSFilterOperatorNextMonth, &cxSFilterOperatorNextYear,       \
        &cxSFilterAndCaption, &cxSFilterOrCaption, &cxSFilterNotCaption, &cxSFilterBlankCaption,   \
        &cxSFilterOperatorIsNull, &cxSFilterOperatorIsNotNull, &cxSFilterOperatorBeginsWith,       \
        &cxSFilterOperatorDoesNotBeginWith, &cxSFilterOperatorEndsWith,                            \
        &cxSFilterOperatorDoesNotEndWith, &cxSFilterOperatorContains,                              \
        &cxSFilterOperatorDoesNotContain, &cxSFilterBoxAllCaption, &cxSFilterBoxCustomCaption,     \
        &cxSFilterBoxBlanksCaption, &cxSFilterBoxNonBlanksCaption                                  \
  }

} // namespace

void cxFilterConstsInitialization()
{
  RegisterResStrings(CX_FILTER_STRINGS);
}

void cxFilterConstsFinalization()
{
  UnregisterResStrings(CX_FILTER_STRINGS);
}
