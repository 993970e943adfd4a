#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/controls/cx/data/support/FakeRecordSource.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

class TMasterController;

// The view's detail link for one master record: it owns the detail clone.
struct TDetailLink : TObject {
  std::unique_ptr<TMasterController> Controller;
  ~TDetailLink() override;
};

// A controller that opens detail links the way a grid view does: one clone of the
// relation's pattern per master record, linked to the master record.
class TMasterController : public TTestControllerOf<TcxDataController> {
public:
  using TTestControllerOf::TTestControllerOf;

  TObject* CreateDetailLinkObject(TcxCustomDataRelation* ARelation, Integer ARecordIndex) override
  {
    ++LinksCreated;
    auto link = std::make_unique<TDetailLink>();
    link->Controller.reset(TcxCustomDataController::Create<TMasterController>(nullptr));
    link->Controller->AddColumn("Detail", TcxIntegerValueType::Class());
    link->Controller->LinkToMaster(ARelation, ARecordIndex);
    return link.release();
  }
  TcxCustomDataController* GetDetailDataController(TObject* ALinkObject) override
  {
    return ALinkObject ? static_cast<TDetailLink*>(ALinkObject)->Controller.get() : nullptr;
  }

  // Loads keep the expanded details and the selection by record key, as a keyed view's
  // controller does.
  void LoadStorage() override
  {
    SaveKeys();
    TScopeExit restore([&] { RestoreKeys(); });
    TTestControllerOf::LoadStorage();
  }

  Integer LinksCreated = 0;
};

TDetailLink::~TDetailLink() = default;

struct TMasterDetail {
  TMasterDetail()
  {
    Master.reset(TcxCustomDataController::Create<TMasterController>(nullptr));
    Master->AddColumn("Id", TcxIntegerValueType::Class());
    Master->Fill({{1}, {2}, {3}, {4}, {5}, {6}, {7}});
    Relation = Master->Relations()->Add(&Level);
  }
  void LinkPattern()
  {
    Pattern.reset(TcxCustomDataController::Create<TMasterController>(nullptr));
    Pattern->AddColumn("Detail", TcxIntegerValueType::Class());
    Pattern->SetMasterRelation(Relation, true);
  }
  TObject Level;
  std::unique_ptr<TMasterController> Master;
  std::unique_ptr<TMasterController> Pattern;
  TcxCustomDataRelation* Relation = nullptr;
};

TEST(cxDataRelationsTest, WithoutDetailControllersThereAreNoDetails)
{
  TMasterDetail md;
  EXPECT_EQ(md.Master->Relations()->GetDetailObject(2), nullptr);
  EXPECT_EQ(md.Master->GetActiveRelationIndex(2), -1);
  EXPECT_FALSE(md.Master->ChangeDetailExpanding(2, true));
  EXPECT_FALSE(md.Master->GetDetailExpanded(2));
  EXPECT_EQ(md.Master->GetDetailLinkObject(2, 0), nullptr);
  EXPECT_FALSE(md.Master->HasDetailChildren(2, 0)); // in memory: no provider to ask
  EXPECT_THROW(md.Master->Relations()->GetDetailObject(70), EcxInvalidDataControllerOperation);
}

TEST(cxDataRelationsTest, PatternModesAndExpansion)
{
  TMasterDetail md;
  md.LinkPattern();
  EXPECT_TRUE(md.Pattern->IsPattern());
  EXPECT_EQ(md.Pattern->GetDetailMode(), dcdmPattern);
  EXPECT_EQ(md.Relation->DetailDataController(), md.Pattern.get());
  EXPECT_EQ(md.Master->GetDetailMode(), dcdmNone);

  EXPECT_EQ(md.Master->GetActiveRelationIndex(2), 0);
  std::vector<std::string> events;
  md.Master->OnDetailExpanding = [&](TcxCustomDataController*, Integer r, bool& allow) {
    events.push_back("expanding " + std::to_string(r));
    allow = r != 4;
  };
  md.Master->OnDetailExpanded = [&](TcxCustomDataController*, Integer r) {
    events.push_back("expanded " + std::to_string(r));
  };
  EXPECT_TRUE(md.Master->ChangeDetailExpanding(2, true));
  EXPECT_TRUE(md.Master->GetDetailExpanded(2));
  EXPECT_FALSE(md.Master->ChangeDetailExpanding(2, true)); // already expanded: no events
  EXPECT_FALSE(md.Master->ChangeDetailExpanding(4, true)); // refused
  EXPECT_FALSE(md.Master->GetDetailExpanded(4));
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0], "expanding 2");
  EXPECT_EQ(events[1], "expanded 2");
  EXPECT_EQ(events[2], "expanding 4");

  // The detail clone of a record, created once and kept.
  auto* detail = md.Master->GetDetailDataControllerOf(2, 0);
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->GetDetailMode(), dcdmClone);
  EXPECT_EQ(detail->GetMasterRecordIndex(), 2);
  EXPECT_EQ(detail->GetMasterDataController(), md.Master.get());
  EXPECT_EQ(detail->GetPatternDataController(), md.Pattern.get());
  EXPECT_EQ(md.Master->GetDetailDataControllerOf(2, 0), detail);
  EXPECT_EQ(md.Master->LinksCreated, 1);
  EXPECT_TRUE(md.Master->IsDetailDataControllerExist(2, -1));
  EXPECT_FALSE(md.Master->IsDetailDataControllerExist(3, 0));

  md.Master->CollapseDetails();
  EXPECT_FALSE(md.Master->GetDetailExpanded(2));
  EXPECT_FALSE(md.Master->IsDetailDataControllerExist(2, 0));

  // Unlinking the pattern dismantles the detail objects again.
  md.Pattern->SetMasterRelation(nullptr, false);
  EXPECT_EQ(md.Master->Relations()->GetDetailObject(2), nullptr);
  EXPECT_EQ(md.Master->GetActiveRelationIndex(2), -1);
}

TEST(cxDataRelationsTest, ClonesFollowTheirMasterRecords)
{
  TMasterDetail md;
  md.LinkPattern();
  auto* at5 = md.Master->GetDetailDataControllerOf(5, 0);
  auto* at1 = md.Master->GetDetailDataControllerOf(1, 0);
  ASSERT_NE(at5, nullptr);
  md.Master->DeleteRecord(3);
  EXPECT_EQ(at5->GetMasterRecordIndex(), 4);
  EXPECT_EQ(at1->GetMasterRecordIndex(), 1);
  EXPECT_EQ(md.Master->GetDetailDataControllerOf(4, 0), at5);
  md.Master->InsertRecord(0);
  EXPECT_EQ(at5->GetMasterRecordIndex(), 5);
  EXPECT_EQ(at1->GetMasterRecordIndex(), 2);
}

TEST(cxDataRelationsTest, ReentrantLinkCreationGivesNil)
{
  struct TGreedy : TMasterController {
    using TMasterController::TMasterController;
    TObject* CreateDetailLinkObject(TcxCustomDataRelation* ARelation, Integer ARecordIndex) override
    {
      Inner = GetDetailLinkObject(ARecordIndex, 0); // asks again from inside
      return TMasterController::CreateDetailLinkObject(ARelation, ARecordIndex);
    }
    TObject* Inner = reinterpret_cast<TObject*>(1);
  };
  TObject level;
  std::unique_ptr<TGreedy> master(TcxCustomDataController::Create<TGreedy>(nullptr));
  master->AddColumn("Id", TcxIntegerValueType::Class());
  master->Fill({{1}, {2}});
  TcxCustomDataRelation* relation = master->Relations()->Add(&level);
  std::unique_ptr<TMasterController> pattern(
      TcxCustomDataController::Create<TMasterController>(nullptr));
  pattern->SetMasterRelation(relation, true);
  EXPECT_NE(master->GetDetailLinkObject(1, 0), nullptr);
  EXPECT_EQ(master->Inner, nullptr);
}

// A record source that counts the questions about detail children.
class TKeyedSource : public TFakeRecordSource {
public:
  bool HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex) override
  {
    ++Asked;
    return ARecordIndex % 2 == 0;
  }
  Integer Asked = 0;
};

TEST(cxDataRelationsTest, HasDetailChildrenIsCachedUntilCleared)
{
  TMasterDetail md;
  TKeyedSource source;
  source.Add({10});
  source.Add({20});
  source.Add({30});
  md.Master->SetRecordSource(&source);
  md.LinkPattern();
  EXPECT_TRUE(md.Master->HasDetailChildren(0, 0));
  EXPECT_FALSE(md.Master->HasDetailChildren(1, 0));
  EXPECT_TRUE(md.Master->HasDetailChildren(0, 0));
  EXPECT_EQ(source.Asked, 2);
  md.Master->ClearHasChildrenCache();
  EXPECT_FALSE(md.Master->HasDetailChildren(1, 0));
  EXPECT_EQ(source.Asked, 3);
  // An existing detail controller answers by its records.
  auto* detail = md.Master->GetDetailDataControllerOf(0, 0);
  ASSERT_NE(detail, nullptr);
  EXPECT_FALSE(md.Master->HasDetailChildren(0, 0));
  md.Master->SetRecordSource(nullptr);
}

TEST(cxDataRelationsTest, KeyedSaveAndRestoreAroundAReload)
{
  TMasterDetail md;
  TKeyedSource source;
  for (Integer i = 1; i <= 6; ++i)
    source.Add({i * 10});
  md.Master->SetRecordSource(&source);
  TObject secondLevel;
  md.Master->Relations()->Add(&secondLevel);
  md.LinkPattern();
  std::unique_ptr<TMasterController> secondPattern(
      TcxCustomDataController::Create<TMasterController>(nullptr));
  secondPattern->SetMasterRelation(md.Master->Relations()->Items(1), true);

  ASSERT_TRUE(md.Master->HasRecordKeys());
  ASSERT_TRUE(md.Master->ChangeDetailExpanding(1, true));
  ASSERT_TRUE(md.Master->ChangeDetailExpanding(4, true));
  md.Master->SetActiveRelationIndex(4, 1);
  md.Master->ChangeMultiSelect(true);
  md.Master->ChangeRowSelection(3, true);

  // The reload: a new record in front and one expanded record gone.
  source.Rows.insert(source.Rows.begin(), {100, {5}});
  std::erase_if(source.Rows, [](const TFakeRecordSource::TRow& r) { return r.Id == 2; });
  md.Master->ReloadData();

  // Records now: ids 100, 1, 3, 4, 5, 6.
  ASSERT_EQ(md.Master->RecordCount(), 6);
  std::string expanded;
  for (Integer r = 0; r < md.Master->RecordCount(); ++r)
    if (md.Master->GetDetailExpanded(r))
      expanded +=
          std::to_string(r) + ":" + std::to_string(md.Master->GetActiveRelationIndex(r)) + " ";
  EXPECT_EQ(expanded, "4:1 ");
  EXPECT_EQ(md.Master->GetSelectedCount(), 1);
  EXPECT_EQ(md.Master->GetSelectedRowIndex(0), 3);
  md.Master->SetRecordSource(nullptr);
}

} // namespace
