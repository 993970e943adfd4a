// A report dataset over a platform database dataset (platform/data: SQLite or PostgreSQL
// queries and tables), reached directly or through a data source: it opens the dataset for a
// build, walks its records within the range limits and answers values, display texts,
// widths, types and blobs by field alias. frxClass.h holds the dataset contract.
#pragma once

#include "report/engine/frxClass.h"

class TDataSet;
class TDataSource;
class TField;

class TfrxDBDataset : public TfrxCustomDBDataSet {
public:
  explicit TfrxDBDataset(TComponent* AOwner);
  ~TfrxDBDataset() override;

  TDataSet* DataSet() const { return FDataSet; }
  // Also clears DataSource (when not nil).
  void SetDataSet(TDataSet* Value);
  TDataSource* DataSource() const { return FDataSource; }
  // Also clears DataSet (when not nil).
  void SetDataSource(TDataSource* Value);
  // The dataset the component works on: DataSet, else the data source's.
  TDataSet* BoundDataSet() const;

  // A missing dataset raises the "dbNotConn" text.
  void OpenForReport() override;
  void CloseForReport() override;
  void Open() override;
  void Close() override;
  void First() override;
  void Next() override;
  void Prior() override;
  bool Eof() override;
  void GetFieldList(TStrings* List) override;
  Variant Value(const AnsiString& Index) override;
  AnsiString DisplayText(const AnsiString& Index) override;
  Integer DisplayWidth(const AnsiString& Index) override;
  TfrxFieldType FieldType(const AnsiString& Index) override;
  bool IsBlobField(const AnsiString& Field) override;
  void AssignBlobTo(const AnsiString& Field, TObject* Target) override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void OpenIfNeeded();
  // Fills the field list: every alias with the platform field of its name (or none).
  void FillFields(bool RaiseForMissing);
  // The field of an alias in the field list; adds the error line when the alias is not in it.
  bool FindAlias(const AnsiString& Alias, TField*& Field);
  AnsiString MissingText(const AnsiString& Alias) const;
  void AfterOpenHandler(TDataSet* Sender);

  TDataSet* FDataSet = nullptr;
  TDataSource* FDataSource = nullptr;
  TDataSet* FBound = nullptr;
  bool FOpened = false, FEof = false;
  bool FHasBookmark = false;
  AnsiString FBookmark;
  bool FHookInstalled = false;
  TEvent<void(TDataSet*)> FSavedAfterOpen;
};

// The class record of TfrxDBDataset (the frxClass unit's start-up).
void RegisterDBDatasetClass();
