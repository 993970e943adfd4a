// A filter criteria over rows of Variants for the filter model's tests: items are small
// objects with an id, a field name and a caption; the data handed to DoFilterData is the
// address of a row.
#pragma once

#include <memory>
#include <vector>

#include "controls/cx/data/cxFilter.h"

namespace cxtest {

struct TTestItem : TObject {
  TTestItem(Integer AId, const AnsiString& AName, const AnsiString& ACaption, Integer AColumn)
      : Id(AId), Name(AName), Caption(ACaption), Column(AColumn)
  {
  }
  Integer Id;
  AnsiString Name;
  AnsiString Caption;
  Integer Column;
};

using TTestRow = std::vector<Variant>;

inline NativeInt RowData(const TTestRow& ARow)
{
  return reinterpret_cast<NativeInt>(&ARow);
}

class TTestCriteriaItem : public TcxFilterCriteriaItem {
public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  void GetDataValue(NativeInt AData, Variant& AValue) override
  {
    auto* row = reinterpret_cast<const TTestRow*>(AData);
    auto* item = static_cast<TTestItem*>(ItemLink());
    AValue =
        item && item->Column < static_cast<Integer>(row->size()) ? (*row)[item->Column] : Null();
  }
  void GetFieldCaption(AnsiString& AText) override
  {
    AText = ItemLink() ? static_cast<TTestItem*>(ItemLink())->Caption : AnsiString();
  }
  void GetFieldName(AnsiString& AText) override
  {
    AText = ItemLink() ? static_cast<TTestItem*>(ItemLink())->Name : AnsiString();
  }
};

class TTestCriteria : public TcxFilterCriteria {
public:
  TTestCriteria() = default;
  // Items with ids 0, 1, 2 ... named and captioned as given (caption = name when empty).
  explicit TTestCriteria(std::initializer_list<const char*> names)
  {
    for (const char* name : names)
      AddTestItem(name);
  }
  TTestItem* AddTestItem(const AnsiString& AName, Integer AId = -1, const AnsiString& ACaption = "")
  {
    Integer id = AId >= 0 ? AId : static_cast<Integer>(FItems.size());
    FItems.push_back(std::make_unique<TTestItem>(id, AName, ACaption.empty() ? AName : ACaption,
                                                 static_cast<Integer>(FItems.size())));
    return FItems.back().get();
  }
  TTestItem* Item(const AnsiString& AName) const
  {
    for (const auto& item : FItems)
      if (item->Name == AName)
        return item.get();
    return nullptr;
  }
  Integer ItemLinkToID(TObject* AItemLink) override
  {
    return AItemLink ? static_cast<TTestItem*>(AItemLink)->Id : -1;
  }
  TObject* IDToItemLink(Integer AID) override
  {
    for (const auto& item : FItems)
      if (item->Id == AID)
        return item.get();
    return nullptr;
  }
  TcxFilterCriteriaItem* CreateItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                    TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                    const AnsiString& ADisplayValue) override
  {
    return new TTestCriteriaItem(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue);
  }
  // Adds a root condition on the named item.
  TcxFilterCriteriaItem* Add(const AnsiString& AName, TcxFilterOperatorKind AKind,
                             const Variant& AValue, const AnsiString& ADisplay = "")
  {
    return AddItem(nullptr, Item(AName), AKind, AValue, ADisplay);
  }
  void DoChanged() override
  {
    ++ChangeCount;
    TcxFilterCriteria::DoChanged();
  }
  Integer ChangeCount = 0;

private:
  std::vector<std::unique_ptr<TTestItem>> FItems;
};

} // namespace cxtest
