#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "tests/controls/cx/data/support/FakeRecordSource.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

std::unique_ptr<TTestDataController> NewSourced(TFakeRecordSource& ASource)
{
  auto c = NewController();
  c->AddColumn("Name", TcxStringValueType::Class());
  c->AddColumn("Qty", TcxIntegerValueType::Class());
  ASource.Add({"x", 3});
  ASource.Add({"y", 1});
  ASource.Add({"z", 2});
  c->SetRecordSource(&ASource);
  return c;
}

TEST(cxDataProviderTest, ReloadsInsideALockLoadOnce)
{
  TFakeRecordSource source;
  auto c = NewSourced(source);
  ASSERT_EQ(source.Loads, 1);
  c->Log.clear();
  c->BeginUpdate();
  c->ReloadData();
  c->ReloadData();
  source.Add({"w", 0});
  c->ReloadData();
  EXPECT_EQ(source.Loads, 1);
  EXPECT_EQ(c->TakeLog(), "");
  c->EndUpdate();
  EXPECT_EQ(source.Loads, 2);
  EXPECT_EQ(c->RecordCount(), 4);
  EXPECT_EQ(c->TakeLog(), "Data k=4 i=-1 r=-1");
  c->ReloadData();
  EXPECT_EQ(source.Loads, 3);
  c->SetRecordSource(nullptr);
}

TEST(cxDataProviderTest, GoldenLogOfSortingAndFocus)
{
  TFakeRecordSource source;
  auto c = NewSourced(source);
  c->ChangeFocusedRowIndex(0);
  c->Log.clear();
  c->ChangeSortOrder(1, soAscending); // y, z, x: the focused record x moves to row 2
  EXPECT_EQ(c->RowTexts(0), "y,z,x");
  EXPECT_EQ(c->TakeLog(), "Layout | FocusedRow 2<-0 | FocusedRecord r 0<-0 row 2<-0 chg=0");
  c->ChangeFocusedRowIndex(1);
  EXPECT_EQ(c->TakeLog(), "FocusedRow 1<-2 | FocusedRecord r 2<-0 row 1<-2 chg=0");
  c->SetRecordSource(nullptr);
}

TEST(cxDataProviderTest, ValuesGoThroughTheSource)
{
  TFakeRecordSource source;
  auto c = NewSourced(source);
  EXPECT_EQ(c->DisplayText(2, 0), "z");
  source.Rows[2].Values[0] = "q"; // read on demand, not copied
  EXPECT_EQ(c->DisplayText(2, 0), "q");
  c->SetValue(1, 1, 9);
  EXPECT_EQ(source.Rows[1].Values[1].AsInteger(), 9);
  c->SetRecordCount(1);
  EXPECT_EQ(source.Rows.size(), 1u);
  EXPECT_EQ(c->RecordCount(), 1);
  c->SetRecordSource(nullptr);
}

} // namespace
