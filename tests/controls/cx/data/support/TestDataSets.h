// Datasets for the dataset controller's tests: customers and their orders, a numbers table
// for grid mode, and a controller driven the way a grid view drives it (items bound to
// dataset fields by name).
#pragma once

#include <memory>

#include "controls/cx/data/cxDBData.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/DateUtils.h"
#include "tests/controls/cx/data/support/TestController.h"

namespace cxtest {

class TTestDBController : public TTestControllerOf<TcxDBDataController> {
public:
  using TTestControllerOf::TTestControllerOf;
  // A column bound to the dataset field AFieldName.
  Integer AddFieldColumn(const AnsiString& ACaption, const AnsiString& AFieldName)
  {
    AddColumn(ACaption, nullptr);
    Integer index = GetItemCount() - 1;
    ChangeFieldName(index, AFieldName);
    return index;
  }
};

inline std::unique_ptr<TTestDBController> NewDBController(TDataSource* ASource = nullptr)
{
  auto c = std::unique_ptr<TTestDBController>(
      TcxCustomDataController::Create<TTestDBController>(nullptr));
  if (ASource)
    c->SetDataSource(ASource);
  return c;
}

// Customers: CustId 1-10, Name, City (customer 4 has no city).
inline void FillCustomers(TMemDataSet& ADataSet)
{
  ADataSet.FieldDefs()->Add("CustId", ftInteger);
  ADataSet.FieldDefs()->Add("Name", ftString, 30);
  ADataSet.FieldDefs()->Add("City", ftString, 20);
  ADataSet.CreateDataSet();
  const char* names[] = {"Ann", "Bob", "Cid", "Dee", "Eve", "Fay", "Gus", "Hal", "Ida", "Jon"};
  const char* cities[] = {"Xian",  "Hefei", "Xian", nullptr, "Wuxi",
                          "Hefei", "Xian",  "Wuxi", "Hefei", "Xian"};
  for (Integer i = 0; i < 10; ++i)
    ADataSet.AppendRecord({i + 1, names[i], cities[i] ? Variant(cities[i]) : Null()});
  ADataSet.First();
}

// Orders 1-50 of customers 1-8 (CustId = 1 + (OrderId - 1) mod 8), Amount, Date; sorted by
// customer when ASortedByCustomer (a detail dataset positioned by Locate reads the run of
// its master's orders).
inline void FillOrders(TMemDataSet& ADataSet, bool ASortedByCustomer)
{
  ADataSet.FieldDefs()->Add("OrderId", ftInteger);
  ADataSet.FieldDefs()->Add("CustId", ftInteger);
  ADataSet.FieldDefs()->Add("Amount", ftCurrency);
  ADataSet.FieldDefs()->Add("Date", ftDateTime);
  ADataSet.CreateDataSet();
  auto add = [&](Integer id) {
    ADataSet.AppendRecord({id, 1 + (id - 1) % 8, Variant(Currency(id * 10)),
                           VarFromDateTime(EncodeDate(2024, 1, 1) + id)});
  };
  if (ASortedByCustomer) {
    for (Integer c = 1; c <= 8; ++c)
      for (Integer id = c; id <= 50; id += 8)
        add(id);
  } else {
    for (Integer id = 1; id <= 50; ++id)
      add(id);
  }
  ADataSet.First();
}

inline void FillNumbers(TMemDataSet& ADataSet, Integer ACount)
{
  ADataSet.FieldDefs()->Add("Id", ftInteger);
  ADataSet.CreateDataSet();
  ADataSet.DisableControls();
  for (Integer i = 1; i <= ACount; ++i)
    ADataSet.AppendRecord({i});
  ADataSet.First();
  ADataSet.EnableControls();
}

} // namespace cxtest
