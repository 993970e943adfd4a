#include "platform/rtl/ResStrings.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

const TResStringRec SDateToday{64896, "today"};
const TResStringRec SDateYesterday{64897, "yesterday"};
const TResStringRec SChinese{64898, "今天"};
const TResStringRec SClash{64896, "other"};

} // namespace

TEST(ResStrings, TextsByRecordAndById)
{
  RegisterResStrings({&SDateToday, &SDateYesterday, &SChinese});
  RegisterResStrings({&SDateToday}); // again: nothing changes
  struct Case {
    Cardinal Id;
    PResStringRec Rec;
    const char* Text;
  } cases[] = {{64896, &SDateToday, "today"},
               {64897, &SDateYesterday, "yesterday"},
               {64898, &SChinese, "今天"},
               {64899, nullptr, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Id);
    EXPECT_EQ(FindResString(c.Id), c.Rec); // the record is the identity a localizer keys on
    EXPECT_EQ(LoadStr(c.Id), c.Text);
    EXPECT_EQ(LoadResString(c.Rec), c.Text);
  }
  try {
    RegisterResStrings({&SClash});
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "Duplicate resource string id 64896");
  }
  EXPECT_EQ(LoadStr(64896), "today");

  UnregisterResStrings({&SClash}); // not the registered record: nothing happens
  EXPECT_EQ(FindResString(64896), &SDateToday);
  UnregisterResStrings({&SDateToday, &SDateYesterday, &SChinese});
  EXPECT_EQ(FindResString(64896), nullptr);
  EXPECT_EQ(LoadStr(64897), "");
}
