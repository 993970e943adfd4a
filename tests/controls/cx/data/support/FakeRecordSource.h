// A custom record source over rows of Variants: each row has an id, its handle is the id,
// and the source can compare, insert, give record ids and raw values as configured.
#pragma once

#include <vector>

#include "controls/cx/data/cxCustomData.h"

namespace cxtest {

class TFakeRecordSource : public TcxRecordSource {
public:
  struct TRow {
    Integer Id;
    std::vector<Variant> Values;
  };

  NativeInt AppendRecord() override
  {
    Rows.push_back({NextId++, {}});
    if (RegisterAppends)
      DataController()->AddRecordFromHandle(Rows.back().Id);
    return Rows.back().Id;
  }
  void DeleteRecord(NativeInt AHandle) override
  {
    std::erase_if(Rows, [&](const TRow& r) { return r.Id == AHandle; });
  }
  void GetDisplayText(NativeInt AHandle, NativeInt AItemHandle, AnsiString& AText) override
  {
    Variant v;
    GetValue(AHandle, AItemHandle, v);
    AText = VarToStr(v);
  }
  bool IsInsertSupported() override { return false; }
  void GetRecordId(NativeInt AHandle, Variant& AValue) override
  {
    AValue = static_cast<Integer>(AHandle);
  }
  void GetValue(NativeInt AHandle, NativeInt AItemHandle, Variant& AValue) override
  {
    const TRow* row = Find(AHandle);
    AValue = row && AItemHandle < static_cast<NativeInt>(row->Values.size())
                 ? row->Values[AItemHandle]
                 : Null();
  }
  bool IsRecordIdSupported() override { return RecordIds; }
  void LoadRecords() override
  {
    ++Loads;
    for (const TRow& row : Rows)
      DataController()->AddRecordFromHandle(row.Id);
  }
  void SetRecordCount(Integer ACount) override
  {
    while (static_cast<Integer>(Rows.size()) > ACount)
      Rows.pop_back();
    while (static_cast<Integer>(Rows.size()) < ACount)
      Rows.push_back({NextId++, {}});
    DataController()->ReloadData(); // a source tells its controller that its records changed
  }
  void SetValue(NativeInt AHandle, NativeInt AItemHandle, const Variant& AValue) override
  {
    if (TRow* row = Find(AHandle)) {
      if (row->Values.size() <= static_cast<size_t>(AItemHandle))
        row->Values.resize(static_cast<size_t>(AItemHandle) + 1, Null());
      row->Values[AItemHandle] = AValue;
    }
  }

  Integer Add(std::vector<Variant> AValues)
  {
    Rows.push_back({NextId++, std::move(AValues)});
    return Rows.back().Id;
  }
  TRow* Find(NativeInt AHandle)
  {
    for (TRow& row : Rows)
      if (row.Id == AHandle)
        return &row;
    return nullptr;
  }

  std::vector<TRow> Rows;
  Integer NextId = 1;
  bool RecordIds = true;
  bool RegisterAppends = true;
  Integer Loads = 0;
};

} // namespace cxtest
