#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

const std::string RecordError = "EcxInvalidDataControllerOperation: RecordIndex out of range";
const std::string ItemError = "EcxInvalidDataControllerOperation: ItemIndex out of range";

TEST(cxDataControllerTest, RecordsAndValues)
{
  auto c = NewController();
  c->AddColumn("A", TcxIntegerValueType::Class());
  c->AddColumn("B", TcxStringValueType::Class());
  EXPECT_EQ(c->RecordCount(), 0);
  EXPECT_EQ(c->AppendRecord(), 0);
  EXPECT_EQ(c->AppendRecord(), 1);
  c->SetValue(0, 0, 10);
  c->SetValue(1, 1, "x");
  EXPECT_EQ(c->GetValue(0, 0).AsInteger(), 10);
  EXPECT_TRUE(VarIsNull(c->GetValue(0, 1)));
  EXPECT_EQ(c->DisplayText(1, 1), "x");
  EXPECT_EQ(c->InsertRecord(c->RecordCount()), 2); // at the end is allowed
  EXPECT_EQ(ErrorOf([&] { c->InsertRecord(c->RecordCount() + 1); }), RecordError);
  EXPECT_EQ(ErrorOf([&] { c->InsertRecord(-1); }), RecordError);
  EXPECT_EQ(ErrorOf([&] { c->GetValue(3, 0); }), RecordError);
  EXPECT_EQ(ErrorOf([&] { c->GetValue(0, 2); }), ItemError);
  EXPECT_EQ(ErrorOf([&] { c->SetValue(0, -1, 1); }), ItemError);
  c->InsertRecord(0);
  EXPECT_EQ(c->GetValue(1, 0).AsInteger(), 10);
  c->DeleteRecord(0);
  EXPECT_EQ(c->GetValue(0, 0).AsInteger(), 10);
  EXPECT_EQ(c->RowCount(), 3);
}

TEST(cxDataControllerTest, ItemsAndFields)
{
  auto c = NewController();
  TTestColumn a(0, "A");
  c->AddItem(&a);
  EXPECT_EQ(ErrorOf([&] { c->AddItem(&a); }),
            "EcxInvalidDataControllerOperation: Item already exists");
  c->AddItem(nullptr); // a field without an item
  EXPECT_EQ(c->GetItemCount(), 2);
  // A field without a value type holds nothing: writes are ignored, reads are Null.
  c->SetRecordCount(1);
  c->SetValue(0, 0, 5);
  EXPECT_TRUE(VarIsNull(c->GetValue(0, 0)));
  c->ChangeValueTypeClass(0, TcxIntegerValueType::Class());
  EXPECT_EQ(c->GetItemValueTypeClass(0), TcxIntegerValueType::Class());
  c->SetValue(0, 0, 5);
  EXPECT_EQ(c->GetValue(0, 0).AsInteger(), 5);
  c->RemoveItem(&a);
  EXPECT_EQ(c->GetItemCount(), 1);
  EXPECT_EQ(c->FindItemByID(0), nullptr);
}

TEST(cxDataControllerTest, SetRecordCount)
{
  auto c = NewController();
  c->AddColumn("A", TcxIntegerValueType::Class());
  EXPECT_EQ(c->TakeLog(), "Layout"); // the new column
  c->SetRecordCount(3);
  EXPECT_EQ(c->TakeLog(), "Data k=2 i=-1 r=-1");
  c->SetRecordCount(3);
  EXPECT_EQ(c->TakeLog(), "");
  c->SetRecordCount(-5);
  EXPECT_EQ(c->RecordCount(), 0);
  EXPECT_EQ(c->TakeLog(), "Data k=3 i=-1 r=-1");
}

// The data-change merge: two values of one record unlocked, then locked, then on two records.
TEST(cxDataControllerTest, DataChangeNotifications)
{
  auto c = NewController();
  c->AddColumn("A", TcxIntegerValueType::Class());
  c->AddColumn("B", TcxIntegerValueType::Class());
  c->SetRecordCount(3);
  c->Log.clear();
  c->SetValue(1, 0, 1);
  c->SetValue(1, 1, 2);
  EXPECT_EQ(c->TakeLog(), "Data k=0 i=0 r=1 | Data k=0 i=1 r=1");
  c->BeginUpdate();
  c->SetValue(1, 0, 3);
  c->SetValue(1, 1, 4);
  EXPECT_EQ(c->TakeLog(), "");
  c->EndUpdate();
  EXPECT_EQ(c->TakeLog(), "Data k=1 i=-1 r=1");
  c->BeginUpdate();
  c->SetValue(1, 0, 5);
  c->SetValue(2, 0, 6);
  c->EndUpdate();
  EXPECT_EQ(c->TakeLog(), "Data k=4 i=0 r=2");
  c->BeginUpdate();
  c->SetValue(2, 0, 7);
  c->SetValue(2, 0, 8);
  c->EndUpdate();
  EXPECT_EQ(c->TakeLog(), "Data k=0 i=0 r=2");
}

TEST(cxDataControllerTest, EventsAndListeners)
{
  auto c = NewController();
  c->AddColumn("A", TcxIntegerValueType::Class());
  c->SetRecordCount(2);
  std::vector<std::string> events;
  c->OnRecordChanged = [&](TcxCustomDataController*, Integer r, Integer i) {
    events.push_back("record " + std::to_string(r) + "/" + std::to_string(i));
  };
  c->OnDataChanged = [&](TObject*) { events.push_back("data"); };
  struct TListener : TObject {
    void Changed(TObject*) { ++Calls; }
    int Calls = 0;
  } listener, other;
  c->AddDataChangedListener(TNotifyEvent::Bind(&listener, &TListener::Changed));
  c->AddDataChangedListener(TNotifyEvent::Bind(&other, &TListener::Changed));
  c->SetValue(0, 0, 1);
  EXPECT_EQ(events, (std::vector<std::string>{"record 0/0", "data"}));
  EXPECT_EQ(listener.Calls, 1);
  c->RemoveDataChangedListener(TNotifyEvent::Bind(&listener, &TListener::Changed));
  TListener never;
  c->RemoveDataChangedListener(TNotifyEvent::Bind(&never, &TListener::Changed)); // never added
  c->AppendRecord();
  EXPECT_EQ(listener.Calls, 1);
  EXPECT_EQ(other.Calls, 2);
  EXPECT_EQ(events.back(), "data"); // kind 2 names no record
}

TEST(cxDataControllerTest, DataChangesWaitForTheOwnerToLoad)
{
  TTestOwner owner;
  auto c = NewController(&owner);
  c->AddColumn("A", TcxIntegerValueType::Class());
  c->SetRecordCount(1);
  int changes = 0;
  c->OnDataChanged = [&](TObject*) { ++changes; };
  owner.SetState(csLoading, true);
  c->SetValue(0, 0, 1);
  EXPECT_EQ(changes, 0);
  owner.SetState(csLoading, false);
  c->Loaded();
  EXPECT_EQ(changes, 1);
}

TEST(cxDataControllerTest, AssignCopiesTheNineEvents)
{
  auto source = NewController(), target = NewController();
  int calls = 0;
  source->OnDataChanged = [&](TObject*) { ++calls; };
  source->OnSortingChanged = [&](TObject*) { ++calls; };
  source->OnCompare = [&](TcxCustomDataController*, Integer, Integer, Integer, const Variant&,
                          const Variant&, Integer&) {};
  source->OnBeforePost = [&](TcxCustomDataController*) { ++calls; };
  target->Assign(source.get());
  EXPECT_TRUE(target->OnDataChanged == source->OnDataChanged);
  EXPECT_TRUE(target->OnSortingChanged == source->OnSortingChanged);
  EXPECT_TRUE(target->OnCompare == source->OnCompare);
  EXPECT_FALSE(target->OnBeforePost.Assigned());
}

TEST(cxDataControllerTest, ListenerLinkSeesTheControllerGo)
{
  auto* c = TcxCustomDataController::Create<TTestDataController>(nullptr);
  TcxDataListenerLink* link = c->AddListenerLink();
  EXPECT_EQ(link->DataController(), c);
  delete c;
  EXPECT_EQ(link->DataController(), nullptr);
  TcxCustomDataController::RemoveListenerLink(link);
  EXPECT_EQ(link, nullptr);
}

} // namespace
