// The dataset model on the in-memory dataset: the buffer window as links see it, editing
// and its events, bookmarks, Locate/Lookup, calculated and lookup fields, master-detail.
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/data/DB.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"

namespace {

// A dataset ID (integer), Name (string 20) with Count records: ID 1..Count, Name "r<ID>".
std::unique_ptr<TMemDataSet> MakeSet(Integer Count, const char* Name = "Set")
{
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName(Name);
  ds->FieldDefs()->Add("ID", ftInteger);
  ds->FieldDefs()->Add("Name", ftString, 20);
  ds->CreateDataSet();
  for (Integer i = 1; i <= Count; ++i)
    ds->AppendRecord({Variant(i), Variant("r" + IntToStr(i))});
  ds->First();
  return ds;
}

struct TLinkEvent {
  AnsiString Kind;
  Integer Distance = 0;
  friend bool operator==(const TLinkEvent&, const TLinkEvent&) = default;
};

std::ostream& operator<<(std::ostream& os, const TLinkEvent& e)
{
  return os << e.Kind << "(" << e.Distance << ")";
}

// A link that records what it is told.
class TRecordingLink : public TDataLink {
public:
  std::vector<TLinkEvent> Events;
  std::vector<TField*> ChangedFields;
  Integer UpdateDataCalls = 0;

protected:
  void ActiveChanged() override { Events.push_back({"active", Active() ? 1 : 0}); }
  void DataSetChanged() override { Events.push_back({"changed", 0}); }
  void DataSetScrolled(Integer Distance) override { Events.push_back({"scrolled", Distance}); }
  void LayoutChanged() override { Events.push_back({"layout", 0}); }
  void RecordChanged(TField* Field) override
  {
    Events.push_back({"record", 0});
    ChangedFields.push_back(Field);
  }
  void EditingChanged() override { Events.push_back({"editing", Editing() ? 1 : 0}); }
  void UpdateData() override { ++UpdateDataCalls; }
  void DisabledStateChanged(bool Disabled) override
  {
    Events.push_back({"disabled", Disabled ? 1 : 0});
  }
};

struct TLinked {
  std::unique_ptr<TMemDataSet> Set;
  std::unique_ptr<TDataSource> Source = std::make_unique<TDataSource>();
  TRecordingLink Link;

  TLinked(Integer Count, Integer BufferCount) : Set(MakeSet(Count))
  {
    Source->SetDataSet(Set.get());
    Link.SetBufferCount(BufferCount);
    Link.SetDataSource(Source.get());
    Link.Events.clear();
  }
  ~TLinked() { Link.SetDataSource(nullptr); }
  Integer CurrentID() { return Set->FieldByName("ID")->AsInteger(); }
};

} // namespace

// ---- Buffer window ----

TEST(DataLinkWindow, ScriptedMovesGiveExactNotifications)
{
  TLinked t(20, 5);
  ASSERT_EQ(t.Link.RecordCount(), 5);
  struct Step {
    const char* Name;
    std::function<void(TDataSet*)> Move;
    Integer ActiveRecord, RecordCount, ID;
    TLinkEvent Event;
  };
  const Step steps[] = {
      {"next inside", [](TDataSet* d) { d->Next(); }, 1, 5, 2, {"scrolled", 0}},
      {"by 3 to the edge", [](TDataSet* d) { d->MoveBy(3); }, 4, 5, 5, {"scrolled", 0}},
      {"past the edge", [](TDataSet* d) { d->Next(); }, 4, 5, 6, {"scrolled", 1}},
      {"3 past the edge", [](TDataSet* d) { d->MoveBy(3); }, 4, 5, 9, {"scrolled", 3}},
      {"back inside", [](TDataSet* d) { d->MoveBy(-4); }, 0, 5, 5, {"scrolled", 0}},
      {"back past the top", [](TDataSet* d) { d->MoveBy(-2); }, 0, 5, 3, {"scrolled", -2}},
      {"last", [](TDataSet* d) { d->Last(); }, 4, 5, 20, {"changed", 0}},
      {"prior from the last", [](TDataSet* d) { d->Prior(); }, 3, 5, 19, {"scrolled", 0}},
      {"next to the last", [](TDataSet* d) { d->Next(); }, 4, 5, 20, {"scrolled", 0}},
      {"next at the end", [](TDataSet* d) { d->Next(); }, 4, 5, 20, {"scrolled", 0}},
      {"first", [](TDataSet* d) { d->First(); }, 0, 5, 1, {"changed", 0}},
      {"locate centres",
       [](TDataSet* d) { d->Locate("ID", Variant(12), {}); },
       2,
       5,
       12,
       {"changed", 0}},
      {"locate near the end",
       [](TDataSet* d) { d->Locate("ID", Variant(19), {}); },
       3,
       5,
       19,
       {"changed", 0}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Name);
    t.Link.Events.clear();
    s.Move(t.Set.get());
    EXPECT_EQ(t.Link.ActiveRecord(), s.ActiveRecord);
    EXPECT_EQ(t.Link.RecordCount(), s.RecordCount);
    EXPECT_EQ(t.CurrentID(), s.ID);
    ASSERT_EQ(t.Link.Events.size(), 1u);
    EXPECT_EQ(t.Link.Events[0], s.Event);
  }
  // Next at EOF moves nothing and says nothing.
  t.Set->Last();
  t.Set->Next();
  t.Link.Events.clear();
  EXPECT_EQ(t.Set->MoveBy(1), 0);
  EXPECT_TRUE(t.Link.Events.empty());
  EXPECT_EQ(t.Set->MoveBy(-25), -19);
  EXPECT_TRUE(t.Set->Bof());
}

TEST(DataLinkWindow, ActiveRecordSwitchesRowsWithoutMovingOrNotifying)
{
  TLinked t(20, 5);
  t.Set->MoveBy(2); // ID 3 on row 2
  t.Link.Events.clear();
  TField* id = t.Set->FieldByName("ID");
  std::vector<Integer> seen;
  Integer saved = t.Link.ActiveRecord();
  for (Integer row = 0; row < t.Link.RecordCount(); ++row) {
    t.Link.SetActiveRecord(row);
    seen.push_back(id->AsInteger());
  }
  t.Link.SetActiveRecord(saved);
  EXPECT_EQ(seen, (std::vector<Integer>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(t.Link.Events.empty());
  EXPECT_EQ(t.Set->RecNo(), 3);
  EXPECT_EQ(id->AsInteger(), 3);
}

TEST(DataLinkWindow, BufferCountChangesFetchAtOnceAndShortSetsFillPartly)
{
  TLinked t(3, 5);
  EXPECT_EQ(t.Link.RecordCount(), 3);
  t.Link.SetBufferCount(2);
  EXPECT_EQ(t.Link.RecordCount(), 2);
  t.Set->Last();
  t.Link.SetBufferCount(10);
  EXPECT_EQ(t.Link.RecordCount(), 3);
  EXPECT_EQ(t.Link.ActiveRecord(), 2);
}

TEST(DataLinkWindow, InsertAppendDeleteAndCancelRebuildTheWindow)
{
  TLinked t(20, 5);
  t.Set->MoveBy(2); // row 2, ID 3
  t.Link.Events.clear();
  t.Set->Insert();
  EXPECT_EQ(t.Link.ActiveRecord(), 2); // the new record takes the cursor's row
  EXPECT_EQ(t.Link.RecordCount(), 5);
  EXPECT_TRUE(t.Set->FieldByName("ID")->IsNull());
  t.Link.SetActiveRecord(3);
  EXPECT_EQ(t.Set->FieldByName("ID")->AsInteger(), 3); // pushed down one row
  t.Link.SetActiveRecord(2);
  t.Set->Cancel();
  EXPECT_EQ(t.CurrentID(), 3);
  EXPECT_EQ(t.Link.ActiveRecord(), 2);

  t.Set->Append();
  EXPECT_EQ(t.Link.ActiveRecord(), 4); // at the window's end
  t.Set->FieldByName("ID")->SetAsInteger(21);
  t.Set->Post();
  EXPECT_EQ(t.Set->RecordCount(), 21);
  EXPECT_EQ(t.Set->RecNo(), 21);

  t.Link.Events.clear();
  t.Set->Delete();
  EXPECT_EQ(t.CurrentID(), 20);
  EXPECT_EQ(t.Link.Events.back(), (TLinkEvent{"changed", 0}));
}

TEST(DataLinkWindow, DisableControlsHoldsEventsUntilEnabled)
{
  TLinked t(20, 5);
  t.Set->DisableControls();
  t.Set->DisableControls();
  EXPECT_TRUE(t.Set->ControlsDisabled());
  t.Set->MoveBy(7);
  t.Set->Prior();
  t.Set->EnableControls();
  EXPECT_EQ(t.Link.Events, (std::vector<TLinkEvent>{{"disabled", 1}}));
  t.Set->EnableControls();
  EXPECT_EQ(t.Link.Events,
            (std::vector<TLinkEvent>{{"disabled", 1}, {"disabled", 0}, {"changed", 0}}));
  EXPECT_EQ(t.Link.ActiveRecord(), 3);
  EXPECT_EQ(t.CurrentID(), 7);
  // Nothing happened in between: no dataset change.
  t.Link.Events.clear();
  t.Set->DisableControls();
  t.Set->EnableControls();
  EXPECT_EQ(t.Link.Events, (std::vector<TLinkEvent>{{"disabled", 1}, {"disabled", 0}}));
}

TEST(DataLinkWindow, EditingNotifiesStateRecordAndUpdateData)
{
  TLinked t(3, 1);
  TField* name = t.Set->FieldByName("Name");
  EXPECT_TRUE(t.Link.Edit());
  EXPECT_EQ(t.Set->State(), dsEdit);
  name->SetAsString("x");
  t.Set->Post();
  EXPECT_EQ(t.Link.Events,
            (std::vector<TLinkEvent>{
                {"editing", 1}, {"record", 0}, {"record", 0}, {"editing", 0}, {"changed", 0}}));
  EXPECT_EQ(t.Link.ChangedFields[1], name);
  EXPECT_EQ(t.Link.UpdateDataCalls, 1);
  t.Link.SetReadOnly(true);
  EXPECT_FALSE(t.Link.Edit());
  t.Source->SetAutoEdit(false);
  t.Link.SetReadOnly(false);
  EXPECT_FALSE(t.Link.Edit());
}

TEST(DataLinkWindow, ClosingAndFreeingTheDataSetDeactivatesLinks)
{
  TLinked t(3, 2);
  t.Set->Close();
  EXPECT_FALSE(t.Link.Active());
  EXPECT_EQ(t.Link.Events, (std::vector<TLinkEvent>{{"active", 0}}));
  t.Set->Open();
  EXPECT_TRUE(t.Link.Active());
  t.Set.reset();
  EXPECT_FALSE(t.Link.Active());
  EXPECT_EQ(t.Source->DataSet(), nullptr);
}

// ---- States, editing and events ----

TEST(DataSetEditing, ClosedDataSetRaises)
{
  TMemDataSet ds;
  ds.SetName("Orders");
  try {
    ds.RecordCount();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Orders: Cannot perform this operation on a closed dataset");
  }
  EXPECT_THROW(ds.Next(), EDatabaseError);
  EXPECT_THROW(ds.Edit(), EDatabaseError);
}

TEST(DataSetEditing, EventsFireInOrder)
{
  auto ds = MakeSet(2);
  std::vector<AnsiString> log;
  auto note = [&](const char* what) { return [&log, what](TDataSet*) { log.push_back(what); }; };
  ds->BeforeInsert = note("BeforeInsert");
  ds->OnNewRecord = [&](TDataSet* d) {
    log.push_back("OnNewRecord");
    d->FieldByName("Name")->SetAsString("new");
  };
  ds->AfterInsert = [&](TDataSet* d) {
    log.push_back("AfterInsert:" + d->FieldByName("Name")->AsString());
  };
  ds->BeforePost = note("BeforePost");
  ds->AfterPost = note("AfterPost");
  ds->BeforeScroll = note("BeforeScroll");
  ds->AfterScroll = note("AfterScroll");
  ds->BeforeCancel = note("BeforeCancel");
  ds->AfterCancel = note("AfterCancel");
  ds->Insert();
  EXPECT_FALSE(ds->Modified()); // defaults do not count as a change
  ds->FieldByName("ID")->SetAsInteger(9);
  EXPECT_TRUE(ds->Modified());
  ds->Next(); // navigating posts a modified record
  EXPECT_EQ(log, (std::vector<AnsiString>{"BeforeInsert", "BeforeScroll", "OnNewRecord",
                                          "AfterInsert:new", "AfterScroll", "BeforePost",
                                          "AfterPost", "BeforeScroll", "AfterScroll"}));
  EXPECT_EQ(ds->RecordCount(), 3);
  log.clear();
  ds->Edit();
  ds->Prior(); // an unmodified edit is cancelled
  EXPECT_EQ(
      log, (std::vector<AnsiString>{"BeforeCancel", "AfterCancel", "BeforeScroll", "AfterScroll"}));
}

TEST(DataSetEditing, InsertGoesBeforeTheCursorAndAppendAtTheEnd)
{
  auto ds = MakeSet(3);
  ds->Next();
  ds->InsertRecord({Variant(10), Variant("ten")});
  ds->AppendRecord({Variant(11), Variant("eleven")});
  std::vector<Integer> ids;
  for (ds->First(); !ds->Eof(); ds->Next())
    ids.push_back(ds->FieldByName("ID")->AsInteger());
  EXPECT_EQ(ids, (std::vector<Integer>{1, 10, 2, 3, 11}));
}

TEST(DataSetEditing, ErrorsOfEditing)
{
  auto ds = MakeSet(2);
  TField* id = ds->FieldByName("ID");
  try {
    id->SetAsInteger(5);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Set: Dataset not in edit or insert mode");
  }
  id->SetRequired(true);
  ds->Append();
  try {
    ds->Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'ID' must have a value");
  }
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Cancel();
  ds->SetReadOnly(true);
  try {
    ds->Edit();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Set: Cannot modify a read-only dataset");
  }
  ds->SetReadOnly(false);
  ds->Edit();
  EXPECT_EQ(id->AsInteger(), 2); // cancelling the append left the cursor on the last record
  EXPECT_THROW(id->SetAsString("abc"), EDatabaseError);
  EXPECT_EQ(id->AsInteger(), 2);
  try {
    ds->FieldByName("Missing");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Set: Field 'Missing' not found");
  }
  EXPECT_EQ(ds->FindField("name"), ds->FieldByName("NAME")); // names ignore case
}

TEST(DataSetEditing, DeleteInEditSeesTheEditBufferAndDeleteInInsertCancels)
{
  auto ds = MakeSet(3);
  AnsiString seen;
  ds->BeforeDelete = [&](TDataSet* d) { seen = d->FieldByName("Name")->AsString(); };
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("edited");
  ds->Delete();
  EXPECT_EQ(seen, "edited");
  EXPECT_EQ(ds->RecordCount(), 2);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
  seen.clear();
  ds->Insert();
  ds->Delete();
  EXPECT_EQ(seen, "");
  EXPECT_EQ(ds->RecordCount(), 2);
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST(DataSetEditing, EmptySetAndNullConversions)
{
  auto ds = MakeSet(0);
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->Bof());
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->RecNo(), -1);
  EXPECT_THROW(ds->Delete(), EDatabaseError);
  TField* id = ds->FieldByName("ID");
  EXPECT_TRUE(id->IsNull());
  EXPECT_EQ(id->AsInteger(), 0);
  EXPECT_EQ(id->AsString(), "");
  EXPECT_FALSE(id->AsBoolean());
  ds->Edit(); // an empty set appends
  EXPECT_EQ(ds->State(), dsInsert);
}

TEST(DataSetFields, KindsConvertAndFormat)
{
  TMemDataSet ds;
  ds.FieldDefs()->Add("S", ftString, 4);
  ds.FieldDefs()->Add("F", ftFloat);
  ds.FieldDefs()->Add("B", ftBoolean);
  ds.FieldDefs()->Add("D", ftDateTime);
  ds.FieldDefs()->Add("M", ftBlob);
  ds.FieldDefs()->Add("C", ftBCD);
  ds.CreateDataSet();
  ds.Append();
  ds.FieldByName("S")->SetAsString("中文字ab"); // Size counts characters, not GBK bytes
  EXPECT_EQ(ds.FieldByName("S")->AsString(), "中文字a");
  ds.FieldByName("S")->SetAsString("1234");
  ds.FieldByName("S")->SetEditMask("00-00;0;_");
  EXPECT_EQ(ds.FieldByName("S")->DisplayText(), "12-34");
  EXPECT_EQ(ds.FieldByName("S")->Text(), "1234");
  auto* f = dynamic_cast<TFloatField*>(ds.FieldByName("F"));
  ASSERT_NE(f, nullptr);
  f->SetAsString("1234.5");
  f->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(f->DisplayText(), "1,234.50");
  EXPECT_EQ(f->Text(), "1234.5");
  auto* b = dynamic_cast<TBooleanField*>(ds.FieldByName("B"));
  b->SetText("t");
  EXPECT_TRUE(b->AsBoolean());
  b->SetDisplayValues("是;否");
  EXPECT_EQ(b->DisplayText(), "是");
  ds.FieldByName("D")->SetAsString("2026-1-2 3:04:05");
  auto* d = dynamic_cast<TDateTimeField*>(ds.FieldByName("D"));
  d->SetDisplayFormat("yyyy/mm/dd");
  EXPECT_EQ(d->DisplayText(), "2026-01-02"); // '/' is the date separator
  d->SetDisplayFormat("yyyy.mm.dd hh:nn");
  EXPECT_EQ(d->DisplayText(), "2026.01.02 03:04");
  AnsiString bytes("a\0\xFF", 3);
  ds.FieldByName("M")->SetAsString(bytes);
  EXPECT_EQ(ds.FieldByName("M")->AsString(), bytes);
  EXPECT_EQ(ds.FieldByName("M")->DisplayText(), "(BLOB)");
  EXPECT_TRUE(ds.FieldByName("M")->IsBlob());
  ds.FieldByName("C")->SetAsString("12.3456");
  EXPECT_EQ(ds.FieldByName("C")->AsCurrency(), StrToCurr("12.3456"));
  TMemoryStream stream;
  static_cast<TBlobField*>(ds.FieldByName("M"))->SaveToStream(&stream);
  EXPECT_EQ(stream.Size(), 3);
  ds.Post();
}

// ---- Bookmarks ----

TEST(DataSetBookmarks, IdentifyRecordsNotPositions)
{
  auto ds = MakeSet(5);
  ds->MoveBy(3); // ID 4
  TBookmark b4 = ds->Bookmark();
  ds->First();
  TBookmark b1 = ds->Bookmark();
  ds->InsertRecord({Variant(0), Variant("zero")}); // before ID 1
  ds->GotoBookmark(b4);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
  EXPECT_LT(ds->CompareBookmarks(b1, b4), 0);
  EXPECT_GT(ds->CompareBookmarks(b4, b1), 0);
  EXPECT_EQ(ds->CompareBookmarks(b4, b4), 0);
  EXPECT_LT(ds->CompareBookmarks("", b1), 0);
  EXPECT_TRUE(ds->BookmarkValid(b1));
  EXPECT_FALSE(ds->BookmarkValid(""));
  // Deleting front to back by bookmark stays correct.
  std::vector<TBookmark> marks;
  for (ds->First(); !ds->Eof(); ds->Next())
    if (ds->FieldByName("ID")->AsInteger() % 2 == 0)
      marks.push_back(ds->Bookmark());
  for (const TBookmark& b : marks) {
    ds->GotoBookmark(b);
    ds->Delete();
  }
  std::vector<Integer> ids;
  for (ds->First(); !ds->Eof(); ds->Next())
    ids.push_back(ds->FieldByName("ID")->AsInteger());
  EXPECT_EQ(ids, (std::vector<Integer>{1, 3, 5}));
  EXPECT_FALSE(ds->BookmarkValid(b4)); // deleted: stale
  EXPECT_THROW(ds->GotoBookmark(b4), EDatabaseError);
}

// ---- Locate and Lookup ----

TEST(DataSetLocate, OptionsTable)
{
  TMemDataSet ds;
  ds.FieldDefs()->Add("Code", ftString, 10);
  ds.FieldDefs()->Add("Name", ftString, 20);
  ds.FieldDefs()->Add("N", ftInteger);
  ds.CreateDataSet();
  ds.AppendRecord({Variant("AB1"), Variant("Apple"), Variant(1)});
  ds.AppendRecord({Variant("ab2"), Variant("北京市"), Variant(2)});
  ds.AppendRecord({Variant("CD3"), Variant("apple pie"), Variant(3)});
  ds.AppendRecord({Variant("XY"), ::Null(), Variant(4)});
  struct Case {
    const char* Name;
    const char* Fields;
    Variant Key;
    TLocateOptions Options;
    Integer Expected; // N, 0 = not found
  };
  const Case cases[] = {
      {"exact", "Name", Variant("apple pie"), {}, 3},
      {"case differs", "Name", Variant("APPLE"), {}, 0},
      {"case-insensitive", "Name", Variant("APPLE"), {loCaseInsensitive}, 1},
      {"partial", "Name", Variant("apple"), {loPartialKey}, 3},
      {"partial case-insensitive", "Name", Variant("APP"), {loCaseInsensitive, loPartialKey}, 1},
      {"chinese partial", "Name", Variant("北京"), {loPartialKey}, 2},
      {"two fields", "Code;N", VarArrayOf({Variant("ab2"), Variant(2)}), {}, 2},
      {"two fields one wrong", "Code;N", VarArrayOf({Variant("ab2"), Variant(3)}), {}, 0},
      {"number as text", "N", Variant("4"), {}, 4},
      {"null key", "Name", ::Null(), {}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ds.First();
    bool found = ds.Locate(c.Fields, c.Key, c.Options);
    EXPECT_EQ(found, c.Expected != 0);
    EXPECT_EQ(ds.FieldByName("N")->AsInteger(), c.Expected ? c.Expected : 1);
  }
  ds.Last();
  EXPECT_EQ(ds.Lookup("Code", Variant("CD3"), "Name").AsString(), "apple pie");
  Variant both = ds.Lookup("N", Variant(1), "Code;Name");
  EXPECT_EQ(VarArrayGet(both, {1}).AsString(), "Apple");
  EXPECT_TRUE(VarIsNull(ds.Lookup("N", Variant(99), "Name")));
  EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 4); // Lookup does not move
}

// ---- Calculated and lookup fields ----

TEST(DataSetCalcFields, CalculatedAndLookupFieldsFollowTheRecord)
{
  auto cities = MakeSet(3, "Cities"); // ID, Name r1..r3
  TMemDataSet orders;
  auto* id = new TIntegerField(&orders);
  id->SetFieldName("ID");
  id->SetDataSet(&orders);
  auto* city = new TIntegerField(&orders);
  city->SetFieldName("CityID");
  city->SetDataSet(&orders);
  auto* twice = new TIntegerField(&orders);
  twice->SetFieldName("Twice");
  twice->SetFieldKind(fkCalculated);
  twice->SetDataSet(&orders);
  auto* cityName = new TStringField(&orders);
  cityName->SetFieldName("CityName");
  cityName->SetFieldKind(fkLookup);
  cityName->SetLookupDataSet(cities.get());
  cityName->SetLookupKeyFields("ID");
  cityName->SetLookupResultField("Name");
  cityName->SetKeyFields("CityID");
  cityName->SetDataSet(&orders);
  Integer calcCalls = 0;
  orders.OnCalcFields = [&](TDataSet* d) {
    ++calcCalls;
    EXPECT_EQ(d->State(), dsCalcFields);
    d->FieldByName("Twice")->SetAsInteger(d->FieldByName("ID")->AsInteger() * 2);
  };
  orders.CreateDataSet();
  EXPECT_FALSE(orders.DefaultFields());
  orders.AppendRecord({Variant(5), Variant(2)});
  orders.AppendRecord({Variant(7), Variant(3)});
  orders.First();
  EXPECT_EQ(twice->AsInteger(), 10);
  EXPECT_EQ(cityName->AsString(), "r2");
  orders.Next();
  EXPECT_EQ(twice->AsInteger(), 14);
  EXPECT_EQ(cityName->AsString(), "r3");
  EXPECT_GT(calcCalls, 0);
  // Writing a lookup value writes the key.
  orders.Edit();
  cityName->SetAsString("r1");
  EXPECT_EQ(city->AsInteger(), 1);
  id->SetAsInteger(8);
  EXPECT_EQ(twice->AsInteger(), 16); // recalculated in edit
  orders.Post();
  EXPECT_THROW(twice->SetAsInteger(1), EDatabaseError);
}

TEST(DataSetCalcFields, PersistentFieldsBindByNameAndType)
{
  TMemDataSet ds;
  ds.SetName("Ds");
  ds.FieldDefs()->Add("A", ftInteger);
  auto* f = new TStringField(&ds);
  f->SetFieldName("B");
  f->SetDataSet(&ds);
  try {
    ds.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Ds: Field 'B' not found");
  }
  EXPECT_FALSE(ds.Active());
  f->SetFieldName("A");
  try {
    ds.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Ds: Type mismatch for field 'A', expecting: String actual: Integer");
  }
}

// ---- Master-detail ----

TEST(DataSetMasterDetail, DetailFollowsTheMasterAndCyclesAreRefused)
{
  auto master = MakeSet(3, "Master");
  TDataSource masterSource;
  masterSource.SetDataSet(master.get());
  TMemDataSet detail;
  detail.SetName("Detail");
  detail.FieldDefs()->Add("MasterID", ftInteger);
  detail.FieldDefs()->Add("Line", ftInteger);
  detail.CreateDataSet();
  for (Integer m = 1; m <= 3; ++m)
    for (Integer l = 1; l <= m; ++l)
      detail.AppendRecord({Variant(m), Variant(l)});
  detail.SetMasterFields("ID");
  detail.SetDetailFields("MasterID");
  detail.SetMasterSource(&masterSource);
  EXPECT_EQ(detail.RecordCount(), 1);
  master->Next();
  EXPECT_EQ(detail.RecordCount(), 2);
  master->Last();
  EXPECT_EQ(detail.RecordCount(), 3);
  detail.Append(); // a new detail belongs to the current master
  EXPECT_EQ(detail.FieldByName("MasterID")->AsInteger(), 3);
  detail.Cancel();

  TDataSource detailSource;
  detailSource.SetDataSet(&detail);
  try {
    master->SetMasterSource(&detailSource);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Master: Circular datalinks are not allowed");
  }
  EXPECT_EQ(master->MasterSource(), nullptr);
  EXPECT_TRUE(detailSource.IsLinkedTo(&detail) == false);
  EXPECT_TRUE(masterSource.IsLinkedTo(&detail));
}

TEST(DataSetUnsequenced, HasNoRecordNumbers)
{
  auto ds = MakeSet(3);
  ds->Close();
  ds->SetSequenced(false);
  ds->Open();
  ds->AppendRecord({Variant(1), Variant("a")});
  EXPECT_FALSE(ds->IsSequenced());
  EXPECT_EQ(ds->RecNo(), -1);
  EXPECT_EQ(ds->RecordCount(), 1);
}

// ---- Field events, layout and values ----

TEST(DataSetFields, EventsOfAField)
{
  TLinked t(2, 1);
  TField* name = t.Set->FieldByName("Name");
  name->OnGetText = [](TField* f, AnsiString& text, bool display) {
    text = (display ? "[" : "(") + VarToStr(f->AsVariant()) + (display ? "]" : ")");
  };
  EXPECT_EQ(name->DisplayText(), "[r1]");
  EXPECT_EQ(name->Text(), "(r1)");
  name->OnSetText = [](TField* f, const AnsiString& text) { f->SetAsString(text + "!"); };
  std::vector<AnsiString> log;
  name->OnValidate = [&](TField* f) {
    log.push_back("validate " + f->AsString()); // sees the new value
    if (f->AsString() == "bad!")
      throw EDatabaseError("refused");
  };
  name->OnChange = [&](TField* f) { log.push_back("change " + f->AsString()); };
  t.Set->Edit();
  name->SetText("ok");
  EXPECT_THROW(name->SetText("bad"), EDatabaseError);
  EXPECT_EQ(name->AsString(), "ok!"); // the refused value is not kept
  EXPECT_EQ(log, (std::vector<AnsiString>{"validate ok!", "change ok!", "validate bad!"}));
  t.Set->Cancel();
  t.Link.Events.clear();
  name->SetDisplayLabel("名称");
  name->SetVisible(false);
  EXPECT_EQ(name->DisplayName(), "名称");
  EXPECT_EQ(t.Link.Events, (std::vector<TLinkEvent>{{"layout", 0}, {"layout", 0}}));
  name->SetIndex(0);
  EXPECT_EQ(t.Set->Fields()->Fields(0), name);
}

TEST(DataSetFields, MultiFieldValuesAndBlobStreams)
{
  TMemDataSet ds;
  ds.FieldDefs()->Add("A", ftInteger);
  ds.FieldDefs()->Add("B", ftString, 10);
  ds.FieldDefs()->Add("Pic", ftGraphic);
  ds.CreateDataSet();
  ds.Append();
  ds.SetFieldValues("a;b", VarArrayOf({Variant(3), Variant("x")}));
  Variant both = ds.FieldValues("A;B");
  EXPECT_EQ(VarArrayGet(both, {0}).AsInteger(), 3);
  EXPECT_EQ(VarArrayGet(both, {1}).AsString(), "x");
  {
    std::unique_ptr<TBlobFieldStream> out(ds.CreateBlobStream(ds.FieldByName("Pic"), bmWrite));
    out->WriteBuffer("\x89PNG", 4);
  }
  ds.Post();
  std::unique_ptr<TBlobFieldStream> in(ds.CreateBlobStream(ds.FieldByName("Pic"), bmRead));
  char buf[8] = {};
  EXPECT_EQ(in->Read(buf, 8), 4);
  EXPECT_EQ(AnsiString(buf, 4), "\x89PNG");
  EXPECT_TRUE(Is<TGraphicField>(ds.FieldByName("Pic")));
  EXPECT_TRUE(Is<TBlobField>(ds.FieldByName("Pic")));
  TParams params;
  params.AddParam("x");
  params.AddParam("Y");
  params.SetParamValues("X;y", VarArrayOf({Variant(1), Variant("two")}));
  EXPECT_EQ(params.ParamByName("y")->AsString(), "two");
  EXPECT_EQ(VarArrayGet(params.ParamValues("x;Y"), {0}).AsInteger(), 1);
}

TEST(DataLinkWindow, FixedSourceAndFieldLookupErrors)
{
  TLinked t(2, 1);
  TDataSource other;
  TMemDataSet control;
  control.SetName("Grid1");
  t.Link.SetControl(&control);
  t.Link.SetDataSourceFixed(true);
  EXPECT_THROW(t.Link.SetDataSource(&other), EDatabaseError);
  EXPECT_EQ(t.Link.DataSource(), t.Source.get());
  t.Link.SetDataSourceFixed(false);
  try {
    t.Link.GetFieldByName("Nope");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Grid1: Field 'Nope' not found");
  }
  t.Link.SetControl(nullptr);
}

TEST(DataLinkWindow, RecordReturnsToItsBufferRowAfterAWalk)
{
  // The control library saves (bookmark, buffer row), walks the dataset, then goes back
  // to the bookmark and moves so that the record lands on its old row.
  TLinked t(20, 5);
  t.Set->MoveBy(9); // ID 10 on the last row
  ASSERT_EQ(t.Set->ActiveRecord(), 4);
  TBookmark saved = t.Set->Bookmark();
  Integer row = t.Set->ActiveRecord();
  for (t.Set->First(); !t.Set->Eof(); t.Set->Next()) {
  }
  t.Set->GotoBookmark(saved);
  EXPECT_EQ(t.Set->ActiveRecord(), 2); // centred by the jump
  Integer buffers = t.Set->BufferCount();
  if (t.Set->ActiveRecord() > row) {
    t.Set->MoveBy(buffers - 1 - row);
    t.Set->MoveBy(row - buffers + 1);
  } else if (t.Set->ActiveRecord() < row) {
    t.Set->MoveBy(-row);
    t.Set->MoveBy(row);
  }
  EXPECT_EQ(t.Set->ActiveRecord(), row);
  EXPECT_EQ(t.CurrentID(), 10);
  std::vector<Integer> window;
  for (Integer r = 0; r < t.Link.RecordCount(); ++r) {
    t.Link.SetActiveRecord(r);
    window.push_back(t.CurrentID());
  }
  EXPECT_EQ(window, (std::vector<Integer>{6, 7, 8, 9, 10}));
}

TEST(DataSetFields, AggregatesSummariseVisibleRecords)
{
  auto ds = MakeSet(0);
  ds->Close();
  auto* total = new TAggregateField(ds.get());
  total->SetFieldName("Total");
  total->SetExpression("SUM(ID)");
  total->SetDataSet(ds.get());
  auto* count = new TAggregateField(ds.get());
  count->SetFieldName("Count");
  count->SetExpression("count(Name)");
  count->SetActive(true);
  count->SetDataSet(ds.get());
  ds->Open();
  EXPECT_EQ(ds->AggFields()->Count(), 2);
  EXPECT_EQ(ds->FindField("Total"), nullptr); // not among the ordinary fields
  for (Integer i = 1; i <= 4; ++i)
    ds->AppendRecord({Variant(i), i == 2 ? ::Null() : Variant("n")});
  EXPECT_TRUE(total->IsNull()); // inactive
  total->SetActive(true);
  total->SetDisplayFormat("0.00");
  EXPECT_EQ(total->AsInteger(), 10);
  EXPECT_EQ(total->DisplayText(), "10.00");
  EXPECT_EQ(count->AsInteger(), 3);
  ds->SetFilter("ID > 2");
  ds->SetFiltered(true);
  EXPECT_EQ(total->AsInteger(), 7);
  total->SetExpression("MAX(ID)");
  EXPECT_EQ(total->AsInteger(), 4);
  ds->Edit();
  EXPECT_THROW(total->SetAsInteger(1), EDatabaseError);
  ds->Cancel();
}

TEST(DataSetClasses, PublishedPropertiesLibrariesLookUpByName)
{
  TMemDataSet detail;
  TDataSource source;
  detail.SetMasterSource(&source);
  EXPECT_EQ(GetObjectProp(&detail, "MasterSource"), &source);
  detail.SetMasterSource(nullptr);
  TFloatField money(nullptr);
  money.SetCurrency(true);
  EXPECT_TRUE(GetPropValue(&money, "CURRENCY").AsBoolean());
  EXPECT_EQ(detail.ClassName(), "TMemDataSet");
  EXPECT_EQ(detail.ClassParent()->ClassName(), "TDataSet");
  // Field classes are constructed by name (stored layouts, the report designer).
  std::unique_ptr<TObject> made(FindClass("TStringField")->Create(nullptr));
  EXPECT_TRUE(Is<TStringField>(made.get()));
  EXPECT_EQ(money.ClassName(), "TFloatField");
}

namespace {

// Numbers typed as text: blanks around them are ignored, blank text makes the field Null,
// and text that is no number of the field's kind is refused with the field's message.
TEST(NumericFields, TextIsReadAsTheFieldsKindOfNumber)
{
  struct TCase {
    TFieldType Type;
    const char* Text;
    const char* Stored; // "" = Null; "!" = refused
  };
  const TCase cases[] = {
      {ftInteger, " 42 ", "42"},
      {ftInteger, "", ""},
      {ftInteger, "4.5", "!"},
      {ftInteger, "x", "!"},
      {ftLargeint, "9000000000", "9000000000"},
      {ftLargeint, "  ", ""},
      {ftLargeint, "1e3", "!"},
      {ftFloat, " 2.5", "2.5"},
      {ftFloat, "", ""},
      {ftFloat, "2,5", "!"},
      {ftBCD, "12.3456", "12.3456"},
      {ftBCD, "", ""},
      {ftBCD, "abc", "!"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TMemDataSet ds;
    ds.FieldDefs()->Add("N", c.Type);
    ds.CreateDataSet();
    ds.Append();
    TField* field = ds.FieldByName("N");
    if (AnsiString(c.Stored) == "!") {
      try {
        field->SetAsString(c.Text);
        ADD_FAILURE() << "accepted";
      } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(),
                  Format(SInvalidFieldValue, {Trim(AnsiString(c.Text)), AnsiString("N")}));
      }
      continue;
    }
    field->SetAsString(c.Text);
    if (AnsiString(c.Stored).empty())
      EXPECT_TRUE(field->IsNull());
    else
      EXPECT_EQ(field->AsString(), c.Stored);
  }
}

TEST(NumericFields, IntegerFieldKeepsToItsRange)
{
  TMemDataSet ds;
  ds.FieldDefs()->Add("N", ftInteger);
  ds.CreateDataSet();
  ds.Append();
  auto* field = static_cast<TIntegerField*>(ds.FieldByName("N"));
  field->SetMinValue(1);
  field->SetMaxValue(10);
  field->SetAsString("10");
  EXPECT_EQ(field->AsInteger(), 10);
  EXPECT_THROW(field->SetAsInteger(11), EDatabaseError);
  EXPECT_EQ(field->AsInteger(), 10);
}

} // namespace

// A dataset that exposes its instant reads, as memory tables do.
class TInstantSet : public TMemDataSet {
public:
  using TDataSet::BeginInstantRead;
  using TDataSet::CurrentRecordIndex;
  using TDataSet::EndInstantRead;
  using TDataSet::OrderedRecordCount;
  using TDataSet::RecordIndexOfBookmark;
};

TEST(DataSetInstantRead, FieldsReadAnyRecordWithoutMovingOrTellingLinks)
{
  TInstantSet ds;
  ds.FieldDefs()->Add("ID", ftInteger);
  ds.FieldDefs()->Add("Name", ftString, 20);
  ds.CreateDataSet();
  for (Integer i = 1; i <= 5; ++i)
    ds.AppendRecord({Variant(i), Variant("r" + IntToStr(i))});
  ds.SetRecNo(2);
  TDataSource source;
  source.SetDataSet(&ds);
  TRecordingLink link;
  link.SetDataSource(&source);
  link.Events.clear();
  auto idAt = [&](Integer index) {
    ds.BeginInstantRead(index);
    Integer id = ds.FieldByName("ID")->IsNull() ? -1 : ds.FieldByName("ID")->AsInteger();
    ds.EndInstantRead();
    return id;
  };
  EXPECT_EQ(ds.OrderedRecordCount(), 5);
  EXPECT_EQ(ds.CurrentRecordIndex(), 1);
  EXPECT_EQ(idAt(4), 5);
  EXPECT_EQ(idAt(0), 1);
  EXPECT_EQ(idAt(7), -1) << "outside the records: Null";
  ds.BeginInstantRead(3);
  EXPECT_EQ(ds.RecordIndexOfBookmark(ds.Bookmark()), 3) << "the bookmark is the read record's";
  ds.EndInstantRead();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 2);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_TRUE(link.Events.empty());

  // The current record reads its edit buffer; a record inserted before the third counts at
  // its place and moves the ones after it.
  ds.Edit();
  ds.FieldByName("Name")->SetAsString("edited");
  ds.BeginInstantRead(1);
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "edited");
  EXPECT_EQ(ds.RecordIndexOfBookmark(ds.Bookmark()), 1);
  ds.EndInstantRead();
  ds.Post();
  ds.SetRecNo(3);
  ds.Insert();
  ds.FieldByName("ID")->SetAsInteger(99);
  EXPECT_EQ(ds.OrderedRecordCount(), 6);
  EXPECT_EQ(ds.CurrentRecordIndex(), 2);
  EXPECT_EQ(idAt(2), 99);
  EXPECT_EQ(idAt(3), 3);
  EXPECT_EQ(idAt(5), 5);
  ds.BeginInstantRead(2);
  EXPECT_EQ(ds.Bookmark(), "") << "the new record has no bookmark yet";
  ds.EndInstantRead();
  ds.Cancel();
  EXPECT_EQ(ds.OrderedRecordCount(), 5);
}
