#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

namespace {

class TColumn : public TCollectionItem {
public:
  explicit TColumn(TCollection* Collection = nullptr) : TCollectionItem(Collection) {}
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& value)
  {
    if (FCaption == value)
      return;
    FCaption = value;
    Changed(false);
  }
  AnsiString DisplayName() const override
  {
    return FCaption.empty() ? TCollectionItem::DisplayName() : FCaption;
  }
  void Assign(TPersistent* Source) override
  {
    if (auto* other = dynamic_cast<TColumn*>(Source)) {
      SetCaption(other->Caption());
      return;
    }
    TCollectionItem::Assign(Source);
  }

private:
  AnsiString FCaption;
};

// A collection that records what it is told.
class TColumns : public TOwnedCollection {
public:
  explicit TColumns(TPersistent* owner) : TOwnedCollection(owner, CollectionItemClass<TColumn>()) {}
  TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
  TColumn* Items(Integer i) const { return static_cast<TColumn*>(TCollection::Items(i)); }
  std::vector<std::string> Log;

protected:
  void Update(TCollectionItem* Item) override
  {
    Log.push_back(Item ? "update " + static_cast<TColumn*>(Item)->Caption() : "update all");
  }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override
  {
    static const char* const names[] = {"added", "extracting", "deleting"};
    Log.push_back(std::string(names[Action]) + " " + std::to_string(Item->ID()));
  }
};

class TGrid : public TComponent {
public:
  explicit TGrid(TComponent* owner) : TComponent(owner), FColumns(this) {}
  TColumns* Columns() { return &FColumns; }

private:
  TColumns FColumns;
};

class CollectionTest : public testing::Test {
protected:
  void SetUp() override
  {
    TClassRegistration<TColumn, TCollectionItem>("TColumn").Property("Caption", &TColumn::Caption,
                                                                     &TColumn::SetCaption);
    TClassRegistration<TColumns, TOwnedCollection>("TColumns");
    TClassRegistration<TGrid, TComponent>("TGrid").Property("Columns", &TGrid::Columns);
  }
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(CollectionTest, AddInsertDeleteReportEachChange)
{
  TColumns cols(nullptr);
  TColumn* a = cols.Add();
  a->SetCaption("A");
  EXPECT_EQ(cols.Log, (Lines{"added 0", "update all", "update A"}));
  cols.Log.clear();
  TCollectionItem* b = cols.Insert(0);
  EXPECT_EQ(cols.Log, (Lines{"added 1", "update all", "update all"})); // add, then the move
  EXPECT_EQ(b->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(cols.FindItemID(0), a);
  EXPECT_EQ(cols.FindItemID(5), nullptr);
  cols.Log.clear();
  cols.Delete(1);
  EXPECT_EQ(cols.Log, (Lines{"deleting 0", "extracting 0", "update all"}));
  EXPECT_EQ(cols.Count(), 1);
  try {
    cols.Items(1);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (1)");
  }
}

TEST_F(CollectionTest, UpdatesInsideABracketAreReportedOnceAtTheEnd)
{
  TColumns cols(nullptr);
  cols.BeginUpdate();
  cols.BeginUpdate();
  cols.Add()->SetCaption("A");
  cols.Add()->SetCaption("B");
  cols.Items(1)->SetIndex(0);
  cols.EndUpdate();
  EXPECT_EQ(cols.UpdateCount(), 1);
  EXPECT_EQ(cols.Log, (Lines{"added 0", "added 1"}));
  cols.EndUpdate();
  EXPECT_EQ(cols.Log, (Lines{"added 0", "added 1", "update all"}));
  EXPECT_EQ(cols.Items(0)->Caption(), "B");
  cols.Log.clear();
  cols.Clear();
  // last first: A (ID 0) was moved behind B
  EXPECT_EQ(cols.Log, (Lines{"extracting 0", "extracting 1", "update all"}));
  EXPECT_EQ(cols.Count(), 0);
}

TEST_F(CollectionTest, ItemsMoveBetweenCollectionsAndDieWithTheirCollection)
{
  auto* first = new TColumns(nullptr);
  TColumns second(nullptr);
  TColumn* a = first->Add();
  a->SetCollection(&second);
  EXPECT_EQ(first->Count(), 0);
  EXPECT_EQ(a->Collection(), &second);
  first->Add();
  delete first; // frees its one item
  EXPECT_EQ(second.Count(), 1);
  delete a; // an item freed on its own leaves its collection
  EXPECT_EQ(second.Count(), 0);
}

TEST_F(CollectionTest, AssignCopiesItemByItem)
{
  TColumns source(nullptr), dest(nullptr);
  source.Add()->SetCaption("A");
  source.Add()->SetCaption("B");
  dest.Add()->SetCaption("old");
  dest.Log.clear();
  dest.Assign(&source);
  ASSERT_EQ(dest.Count(), 2);
  EXPECT_EQ(dest.Items(0)->Caption(), "A");
  EXPECT_EQ(dest.Items(1)->Caption(), "B");
  EXPECT_EQ(dest.Log.back(), "update all");
  EXPECT_EQ(std::count(dest.Log.begin(), dest.Log.end(), "update all"), 1);
  TPersistent unrelated;
  EXPECT_THROW(dest.Assign(&unrelated), EConvertError);
}

TEST_F(CollectionTest, ItemsOfAClassKnownOnlyByItsRecord)
{
  TCollection cols(TCollectionItemClass{ClassInfoOf<TColumn>(), nullptr});
  TCollectionItem* item = cols.Add(); // the record's constructor, then joined
  EXPECT_EQ(item->ClassType(), ClassInfoOf<TColumn>());
  EXPECT_EQ(item->Collection(), &cols);
  EXPECT_EQ(cols.Count(), 1);
}

TEST_F(CollectionTest, NamesAndOwner)
{
  TGrid grid(nullptr);
  grid.SetName("Grid1");
  TColumn* col = grid.Columns()->Add();
  EXPECT_EQ(grid.Columns()->Owner(), &grid);
  EXPECT_EQ(grid.Columns()->GetNamePath(), "Grid1.Columns");
  EXPECT_EQ(col->GetNamePath(), "Grid1.Columns[0]");
  EXPECT_EQ(col->DisplayName(), "TColumn");
  col->SetCaption("Weight");
  EXPECT_EQ(col->DisplayName(), "Weight");
  EXPECT_EQ(grid.Columns()->ItemClass(), ClassInfoOf<TColumn>());
  // Items are reachable through reflection as well.
  SetStrProp(col, "Caption", "Volume");
  EXPECT_EQ(col->Caption(), "Volume");
}
