// Running sums over a dataset: TDBSumListProducer keeps sums, averages and counts of
// dataset fields up to date while records are edited, inserted and deleted, hooking the
// dataset's events (and its master's AfterScroll) and chaining to the handlers that were
// there. A full recalculation walks the dataset on open, on a filter or master change and
// when the sums change. For datasets without record numbers it can keep their bookmarks in
// dataset order. The grid's footer sums derive from it.
#pragma once

#include <memory>

#include "platform/data/DB.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Lists.h"

enum TGroupOperation { goSum, goAvg, goCount };

class TDBSumListProducer;

// One sum: of a field (goSum, goAvg, a named goCount) or of the records (goCount without a
// field).
class TDBSum : public TCollectionItem {
public:
  explicit TDBSum(TCollection* Collection);

  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& Value);
  TGroupOperation GroupOperation() const { return FGroupOperation; }
  void SetGroupOperation(TGroupOperation Value);
  // The sum, the average or the count.
  Currency Total() const { return FTotal; }
  void SetTotal(Currency Value) { FTotal = Value; }
  // The field's value when the current record entered edit or insert (goCount: 1 or 0).
  Currency EditStartValue() const { return FEditStartValue; }
  const Variant& EditStartVariant() const { return FEditStartVariant; }
  Integer NonNullCount() const { return FNonNullCount; }
  Currency AverageBase() const { return FAverageBase; }
  void Assign(TPersistent* Source) override;

private:
  friend class TDBSumListProducer;
  AnsiString FFieldName;
  TGroupOperation FGroupOperation = goSum;
  Currency FEditStartValue;
  Integer FNonNullCount = 0;
  Currency FAverageBase;
  Variant FEditStartVariant;
  Currency FTotal;
};

class TDBSumCollection : public TCollection {
public:
  explicit TDBSumCollection(TDBSumListProducer* Owner);
  TDBSum* Items(Integer Index) const { return static_cast<TDBSum*>(TCollection::Items(Index)); }
  TDBSum* Add() { return static_cast<TDBSum*>(TCollection::Add()); }
  // The first sum of the operation over that field (case ignored); null when none.
  TDBSum* FindSum(TGroupOperation Operation, const AnsiString& FieldName) const;

protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

private:
  TDBSumListProducer* FOwner;
};

class TDBSumListProducer : public TPersistent {
public:
  explicit TDBSumListProducer(TComponent* Owner);
  ~TDBSumListProducer() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  bool ExternalRecalc() const { return FExternalRecalc; }
  void SetExternalRecalc(bool Value);
  bool VirtualRecords() const { return FVirtualRecords; }
  void SetVirtualRecords(bool Value);
  bool DesignTimeWork() const { return FDesignTimeWork; }
  void SetDesignTimeWork(bool Value) { FDesignTimeWork = Value; }
  TDBSumCollection* SumCollection() const { return FSumCollection.get(); }
  TStringList* BookmarkList() const { return FBookmarkList.get(); }
  bool Walking() const { return FWalking; }

  TNotifyEvent OnAfterRecalcAll;
  TNotifyEvent OnRecalcAll;
  TNotifyEvent SumListChanged;

  // Record numbers from the bookmark list when the dataset has none of its own.
  virtual Integer VirtualRecNo();
  virtual Integer FindBookmarkIndex(const TBookmarkStr& Bookmark);
  virtual void SetVirtualRecNo(Integer Value);
  virtual bool SequencedView();
  virtual Integer ViewRecordCount();
  virtual void ZeroSums();
  virtual void RecalculateAll();
  void Loaded();
  void Assign(TPersistent* Source) override;
  // The dataset is going away (its owner's free notification).
  void DataSetFreed(TDataSet* DataSet);

protected:
  virtual void HandleAfterCancel(TDataSet* DataSet);
  virtual void HandleAfterClose(TDataSet* DataSet);
  virtual void HandleAfterEdit(TDataSet* DataSet);
  virtual void HandleAfterInsert(TDataSet* DataSet);
  virtual void HandleAfterOpen(TDataSet* DataSet);
  virtual void HandleAfterPost(TDataSet* DataSet);
  virtual void HandleAfterScroll(TDataSet* DataSet);
  virtual void HandleBeforeDelete(TDataSet* DataSet);
  virtual void HandleMasterAfterScroll(TDataSet* DataSet);
  virtual void RestoreDataSetEvents();
  virtual void InstallDataSetEvents();
  void NotifySumListChanged();
  TComponent* Owner() const { return FOwner; }
  TPersistent* GetOwner() override { return FOwner; }

private:
  friend class TDBSumCollection;
  void Update();
  bool Suspended() const; // the owner is loading, or designed without design-time work
  void SwitchOn(bool Recalculate);
  void SwitchOff(bool Zero);
  bool VirtualMode() const;
  bool Relevant(const TDBSum* Sum) const;
  TField* FieldOf(const TDBSum* Sum) const;
  void RecomputeAverage(TDBSum* Sum);
  void InsertPendingBookmark();

  bool FVirtualRecords = false;
  bool FWalking = false;
  bool FActive = true;
  TDataSet* FDataSet = nullptr;
  bool FDesignTimeWork = false;
  bool FEventsInstalled = false;
  bool FExternalRecalc = false;
  AnsiString FOldFilter;
  bool FOldFiltered = false;
  TDataSet* FMasterDataSet = nullptr;
  Integer FLastFindIndex = -1;
  TComponent* FOwner;
  std::unique_ptr<TDBSumCollection> FSumCollection;
  bool FPendingInsert = false;
  std::unique_ptr<TStringList> FBookmarkList;
  TDataSetNotifyEvent FAfterCancel, FAfterClose, FAfterEdit, FAfterInsert, FAfterOpen, FAfterPost,
      FAfterScroll, FBeforeDelete, FMasterAfterScroll;
};

void DBSumListProducerInitialization();
