// Running sums: full recalculation, incremental edits, inserts and deletes (with default
// values and unposted edits), hook chaining and restoring, filter and master changes,
// external recalculation and the bookmark list of datasets without record numbers.
#include "controls/eh/DBSumListProducer.h"

#include <gtest/gtest.h>

#include "platform/data/MemDataSet.h"

namespace {

// amounts: ID, Val (float), Cat (string); a new record gets Cat "x".
std::unique_ptr<TMemDataSet> MakeAmounts(bool sequenced = true)
{
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName("amounts");
  ds->SetSequenced(sequenced);
  ds->FieldDefs()->Add("ID", ftInteger);
  ds->FieldDefs()->Add("Val", ftFloat);
  ds->FieldDefs()->Add("Cat", ftString, 5);
  ds->CreateDataSet();
  ds->AppendRecord({Variant(1), Variant(10.0), Variant("a")});
  ds->AppendRecord({Variant(2), Null(), Null()});
  ds->AppendRecord({Variant(3), Variant(20.0), Variant("b")});
  ds->OnNewRecord = [](TDataSet* d) { d->FieldByName("Cat")->SetAsString("x"); };
  return ds;
}

struct TSums {
  TDBSumListProducer Producer{nullptr};
  TDBSum *Sum, *Avg, *Count, *CatCount;
  explicit TSums(TDataSet* ds)
  {
    auto add = [&](TGroupOperation op, const char* field) {
      TDBSum* s = Producer.SumCollection()->Add();
      s->SetGroupOperation(op);
      s->SetFieldName(field);
      return s;
    };
    Sum = add(goSum, "Val");
    Avg = add(goAvg, "Val");
    Count = add(goCount, "");
    CatCount = add(goCount, "Cat");
    Producer.SetDataSet(ds);
  }
};

double D(Currency c)
{
  return c.ToDouble();
}

void Locate(TDataSet* ds, Integer id)
{
  ASSERT_TRUE(ds->Locate("ID", Variant(id), {}));
}

} // namespace

TEST(DBSumListProducer, SumsFollowEditsInsertsAndDeletes)
{
  auto ds = MakeAmounts();
  TSums s(ds.get());
  EXPECT_EQ(D(s.Sum->Total()), 30);
  EXPECT_EQ(D(s.Avg->Total()), 15);
  EXPECT_EQ(s.Avg->NonNullCount(), 2);
  EXPECT_EQ(D(s.Count->Total()), 3);
  EXPECT_EQ(D(s.CatCount->Total()), 2);

  Locate(ds.get(), 2);
  ds->Edit();
  ds->FieldByName("Val")->SetAsFloat(30);
  ds->Post();
  EXPECT_EQ(D(s.Sum->Total()), 60);
  EXPECT_EQ(D(s.Avg->Total()), 20);
  EXPECT_EQ(s.Avg->NonNullCount(), 3);
  EXPECT_EQ(D(s.Count->Total()), 3) << "an edit counts no record";

  Locate(ds.get(), 1);
  ds->Edit();
  ds->FieldByName("Val")->Clear();
  ds->Post();
  EXPECT_EQ(D(s.Sum->Total()), 50);
  EXPECT_EQ(D(s.Avg->Total()), 25);
  EXPECT_EQ(s.Avg->NonNullCount(), 2);

  // The new record's Cat is filled by OnNewRecord before AfterInsert: it is counted all
  // the same.
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(4);
  ds->FieldByName("Val")->SetAsFloat(5);
  ds->Post();
  EXPECT_EQ(D(s.Sum->Total()), 55);
  EXPECT_EQ(D(s.Count->Total()), 4);
  EXPECT_EQ(D(s.CatCount->Total()), 3);

  // A record deleted in the middle of an edit leaves with the values it was stored with.
  Locate(ds.get(), 3);
  ds->Edit();
  ds->FieldByName("Val")->SetAsFloat(25);
  ds->FieldByName("Cat")->Clear();
  ds->Delete();
  EXPECT_EQ(D(s.Sum->Total()), 35);
  EXPECT_EQ(s.Avg->NonNullCount(), 2);
  EXPECT_EQ(D(s.Avg->Total()), 17.5);
  EXPECT_EQ(D(s.Count->Total()), 3);
  EXPECT_EQ(D(s.CatCount->Total()), 2) << "the stored Cat was filled";

  // Deleting a record whose named field is null leaves that count.
  Locate(ds.get(), 2);
  ds->Edit();
  ds->FieldByName("Cat")->Clear();
  ds->Post();
  Currency catCount = s.CatCount->Total();
  ds->Delete();
  EXPECT_EQ(s.CatCount->Total(), catCount);
  EXPECT_EQ(D(s.Count->Total()), 2);
  ds->Close();
  EXPECT_EQ(D(s.Sum->Total()), 0) << "closing zeroes the sums";
  EXPECT_EQ(D(s.Count->Total()), 0);
}

TEST(DBSumListProducer, HooksChainInOrderAndComeBackWhenSwitchedOff)
{
  auto ds = MakeAmounts();
  std::vector<AnsiString> log;
  ds->AfterPost = [&](TDataSet*) { log.push_back("user post"); };
  ds->BeforeDelete = [&](TDataSet*) { log.push_back("user delete"); };
  TDataSetNotifyEvent userPost = ds->AfterPost;
  TSums s(ds.get());
  s.Producer.SumListChanged = [&](TObject*) { log.push_back("sums"); };
  ds->Edit();
  ds->FieldByName("Val")->SetAsFloat(11);
  log.clear();
  ds->Post();
  EXPECT_EQ(log, (std::vector<AnsiString>{"sums", "user post"})) << "the producer first";
  log.clear();
  ds->Delete();
  EXPECT_EQ(log, (std::vector<AnsiString>{"user delete", "sums"})) << "the saved handler first";

  s.Producer.SetActive(false);
  EXPECT_TRUE(ds->AfterPost == userPost);
  EXPECT_FALSE(ds->AfterEdit);
  EXPECT_EQ(D(s.Sum->Total()), 0);
  s.Producer.SetActive(true);
  EXPECT_EQ(D(s.Sum->Total()), 20);
}

TEST(DBSumListProducer, AnUnknownFieldFailsTheWalkButCleansUp)
{
  auto ds = MakeAmounts();
  TSums s(ds.get());
  bool after = false;
  s.Producer.OnAfterRecalcAll = [&](TObject*) { after = true; };
  TDBSum* bad = s.Producer.SumCollection()->Add();
  after = false;
  EXPECT_THROW(bad->SetFieldName("Nope"), EDatabaseError);
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_FALSE(after);
  EXPECT_FALSE(s.Producer.Walking());
}

TEST(DBSumListProducer, FilterChangeRecalculatesAtTheNextScrollFromTheFirstRecord)
{
  auto ds = MakeAmounts();
  TSums s(ds.get());
  ds->Last();
  ds->SetFilter("ID > 1");
  ds->SetFiltered(true);
  // The filter's own repositioning is a scroll: the sums follow at once.
  ds->Last();
  EXPECT_EQ(D(s.Sum->Total()), 20);
  EXPECT_EQ(D(s.Count->Total()), 2);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2) << "a recalculation leaves the first record";
  ds->SetFilter("ID < 3");
  ds->Last();
  EXPECT_EQ(D(s.Sum->Total()), 10);
  ds->Last();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2) << "no recalculation without a change";
}

TEST(DBSumListProducer, MasterScrollRecalculatesTheDetail)
{
  TMemDataSet master;
  master.FieldDefs()->Add("ID", ftInteger);
  master.CreateDataSet();
  master.AppendRecord({Variant(1)});
  master.AppendRecord({Variant(2)});
  master.First();
  TDataSource source(nullptr);
  source.SetDataSet(&master);
  TMemDataSet detail;
  detail.FieldDefs()->Add("MID", ftInteger);
  detail.FieldDefs()->Add("Val", ftFloat);
  detail.CreateDataSet();
  for (auto [m, v] : {std::pair{1, 1.5}, {1, 2.0}, {1, 3.0}, {2, 10.0}, {2, 20.0}})
    detail.AppendRecord({Variant(m), Variant(v)});
  detail.SetDetailFields("MID");
  detail.SetMasterFields("ID");
  detail.SetMasterSource(&source);
  Integer masterScrolls = 0;
  master.AfterScroll = [&](TDataSet*) { ++masterScrolls; };
  TDBSumListProducer producer(nullptr);
  TDBSum* sum = producer.SumCollection()->Add();
  sum->SetFieldName("Val");
  producer.SetDataSet(&detail);
  EXPECT_EQ(D(sum->Total()), 6.5);
  master.Next();
  EXPECT_EQ(D(sum->Total()), 30);
  EXPECT_EQ(masterScrolls, 1) << "the master's own handler still runs";
  producer.SetDataSet(nullptr);
  master.Prior();
  EXPECT_EQ(masterScrolls, 2);
}

TEST(DBSumListProducer, ExternalRecalcLeavesTotalsToTheApplicationButKeepsIncrements)
{
  auto ds = MakeAmounts();
  TSums s(ds.get());
  Integer asked = 0;
  s.Producer.OnRecalcAll = [&](TObject*) { ++asked; };
  s.Producer.SetExternalRecalc(true);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(D(s.Sum->Total()), 0);
  ds->First();
  ds->Edit();
  ds->FieldByName("Val")->SetAsFloat(15);
  ds->Post();
  EXPECT_EQ(D(s.Sum->Total()), 5) << "15 - 10 on top of what the application computed";
}

TEST(DBSumListProducer, BookmarkListNumbersRecordsOfAnUnsequencedDataSet)
{
  auto ds = MakeAmounts(false);
  TSums s(ds.get());
  EXPECT_FALSE(s.Producer.SequencedView());
  s.Producer.SetVirtualRecords(true);
  EXPECT_TRUE(s.Producer.SequencedView());
  EXPECT_EQ(s.Producer.ViewRecordCount(), 3);
  ds->First();
  EXPECT_EQ(s.Producer.VirtualRecNo(), 1);
  ds->Last();
  EXPECT_EQ(s.Producer.VirtualRecNo(), 3);
  s.Producer.SetVirtualRecNo(2);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);

  // An inserted record takes its place in dataset order once posted.
  ds->First();
  ds->Next();
  ds->Insert();
  ds->FieldByName("ID")->SetAsInteger(9);
  ds->Post();
  EXPECT_EQ(s.Producer.ViewRecordCount(), 4);
  for (Integer n = 1; n <= 4; ++n) {
    s.Producer.SetVirtualRecNo(n);
    EXPECT_EQ(s.Producer.VirtualRecNo(), n);
  }
  ds->First();
  TBookmarkStr first = ds->Bookmark();
  ds->Delete();
  EXPECT_EQ(s.Producer.ViewRecordCount(), 3);
  EXPECT_EQ(s.Producer.FindBookmarkIndex(first), -1) << "a record it does not hold";
  ds->First();
  EXPECT_EQ(s.Producer.VirtualRecNo(), 1);
}
