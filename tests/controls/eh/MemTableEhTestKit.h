// In-memory tables that offer IMemTableEh to the grid, for the grid's tests and benchmark:
// a flat table (optionally loading lazily, recording every fetch request) and a tree whose
// nodes name their parent. Both are memory datasets with instant reads of any record.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "controls/eh/EhHelpers.h"
#include "controls/eh/IMemTableEh.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/SysUtils.h"

namespace ehtest {

class TTestMemTableEh : public TMemDataSet, public IMemTableEh {
public:
  // Fields ID (integer), Name (string 20) and Parent (integer; 0 for top-level nodes).
  TTestMemTableEh()
  {
    FieldDefs()->Add("ID", ftInteger);
    FieldDefs()->Add("Name", ftString, 20);
    FieldDefs()->Add("Parent", ftInteger);
    OnFilterRecord = [this](TDataSet*, bool& Accept) { Accept = Shown(); };
  }

  // A flat table of Count records "R001", "R002" ... of which Loaded are available at
  // first (all when Loaded is negative); FetchRecords loads exactly the count asked for.
  void MakeFlat(Integer Count, Integer Loaded = -1)
  {
    CreateDataSet();
    DisableControls();
    for (Integer i = 1; i <= Count; ++i) {
      AnsiString digits = IntToStr(i);
      if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
      AppendRecord({Variant(i), Variant("R" + digits), Variant(0)});
    }
    EnableControls();
    FLoaded = Loaded < 0 ? Count : Loaded;
    SetFiltered(Loaded >= 0);
    First();
  }

  // A tree from (ID, Name, Parent) rows in view order; every node starts expanded.
  struct TNode {
    Integer Id;
    const char* Name;
    Integer Parent;
  };
  void MakeTree(const std::vector<TNode>& Nodes)
  {
    FTree = true;
    CreateDataSet();
    for (const TNode& n : Nodes) {
      FParent[n.Id] = n.Parent;
      FOrder.push_back(n.Id);
      AppendRecord({Variant(n.Id), Variant(n.Name), Variant(n.Parent)});
    }
    SetFiltered(true);
    First();
  }
  void SetExpanded(Integer Id, bool Value)
  {
    if (Value)
      FCollapsed.erase(Id);
    else
      FCollapsed.insert(Id);
  }

  std::vector<Integer> Requests; // every FetchRecords count, in order
  Integer InstantReads = 0;      // BeginInstantRead calls
  std::set<Integer> ReadIndexes; // the records instant reads asked for

  // ---- IMemTableEh ----
  void FetchRecords(Integer ACount) override
  {
    Requests.push_back(ACount);
    if (!Filtered() || ACount <= 0)
      return;
    FLoaded += ACount;
    Refresh();
  }
  Integer CurrentIndex() override { return CurrentRecordIndex(); }
  bool NodeExpanded() override { return FCollapsed.count(NodeId()) == 0; }
  bool NodeHasChildren() override
  {
    Integer id = NodeId();
    return std::any_of(FParent.begin(), FParent.end(), [&](auto& p) { return p.second == id; });
  }
  Integer NodeLevel() override
  {
    Integer level = 0;
    for (Integer id = NodeId(); id != 0 && level < 100; id = ParentOf(id))
      ++level;
    return level;
  }
  Integer IndexOfBookmark(const TBookmarkStr& ABookmark) override
  {
    return RecordIndexOfBookmark(ABookmark);
  }
  Integer MemRecordCount() override { return OrderedRecordCount(); }
  bool IsTreeView() override { return FTree; }
  bool NodeHasNextSibling(Integer ALevel) override
  {
    Integer id = NodeId();
    for (Integer l = NodeLevel(); l > ALevel && id != 0; --l)
      id = ParentOf(id);
    auto at = std::find(FOrder.begin(), FOrder.end(), id);
    return at != FOrder.end() && std::any_of(at + 1, FOrder.end(), [&](Integer other) {
             return ParentOf(other) == ParentOf(id);
           });
  }
  Integer SetNodeExpanded(Integer AIndex, bool AExpanded) override
  {
    TDataSet::BeginInstantRead(AIndex);
    Integer id = FieldByName("ID")->AsInteger();
    TDataSet::EndInstantRead();
    Integer current = FieldByName("ID")->AsInteger();
    SetExpanded(id, AExpanded);
    Refresh();
    // A collapsed node that hid the current record becomes current itself.
    if (!AExpanded && IsBelow(current, id)) {
      Integer recNo = 1;
      for (Integer other : FOrder) {
        if (other == id)
          return recNo;
        if (Visible(other))
          ++recNo;
      }
    }
    return 0;
  }
  std::shared_ptr<IMemTableDataFieldValueListEh> FieldValueList(const AnsiString&) override
  {
    return nullptr;
  }
  void BeginInstantRead(Integer AIndex) override
  {
    ++InstantReads;
    ReadIndexes.insert(AIndex);
    TDataSet::BeginInstantRead(AIndex);
  }
  void EndInstantRead() override { TDataSet::EndInstantRead(); }
  using TDataSet::InstantReading;

private:
  Integer NodeId() { return FieldByName("ID")->AsInteger(); }
  Integer ParentOf(Integer Id)
  {
    auto it = FParent.find(Id);
    return it == FParent.end() ? 0 : it->second;
  }
  bool IsBelow(Integer Id, Integer Ancestor)
  {
    for (Integer p = ParentOf(Id); p != 0; p = ParentOf(p))
      if (p == Ancestor)
        return true;
    return false;
  }
  bool Visible(Integer Id)
  {
    for (Integer p = ParentOf(Id); p != 0; p = ParentOf(p))
      if (FCollapsed.count(p))
        return false;
    return true;
  }
  // The filter: a lazy table shows what it loaded, a tree the nodes under expanded ones.
  bool Shown()
  {
    Integer id = FieldByName("ID")->AsInteger();
    return FTree ? Visible(id) : id <= FLoaded;
  }

  bool FTree = false;
  Integer FLoaded = 0;
  std::map<Integer, Integer> FParent;
  std::vector<Integer> FOrder;
  std::set<Integer> FCollapsed;
};

} // namespace ehtest
