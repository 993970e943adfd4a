// TMemDataSet: a dataset whose records live only in memory, with field definitions made in
// code, a sequenced and an unsequenced mode and a master-detail range. Tests and the
// libraries use it wherever records do not come from a database (DB.h has the model).
#pragma once

#include <memory>

#include "platform/data/DB.h"

class TMemDataSet : public TDataSet {
public:
  explicit TMemDataSet(TComponent* AOwner = nullptr);
  ~TMemDataSet() override;

  // Opens an empty dataset over the field definitions (or, without definitions, over the
  // persistent fields).
  void CreateDataSet() { Open(); }
  // Removes every record.
  void EmptyDataSet();

  bool IsSequenced() const override { return FSequenced; }
  // Unsequenced: RecNo is -1 and records have no numbers (like a server cursor).
  void SetSequenced(bool Value) { FSequenced = Value; }

  // Master-detail: the detail shows the records whose DetailFields equal the master's
  // MasterFields (';'-separated; DetailFields defaults to the same names). A source whose
  // master chain leads back here raises "Circular datalinks are not allowed".
  TDataSource* MasterSource() const;
  void SetMasterSource(TDataSource* Value);
  AnsiString MasterFields() const;
  void SetMasterFields(const AnsiString& Value);
  AnsiString DetailFields() const { return FDetailFields; }
  void SetDetailFields(const AnsiString& Value);

protected:
  void InternalOpen() override;
  bool RecordInRange(const std::vector<Variant>& Data) override;
  void InternalInitRecord() override;
  TMasterDataLink* MasterLink() const override { return FMasterLink.get(); }
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  // Field-definition indexes of the detail fields (empty: no range).
  std::vector<Integer> DetailSlots() const;

  std::unique_ptr<TMasterDataLink> FMasterLink;
  AnsiString FDetailFields;
  bool FSequenced = true;
};
