// The filter-operator adapter of datasets and the SQL null operators (cxDBFilter.h).
#include "controls/cx/data/cxDBFilter.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/TypInfo.h"

namespace {

std::unique_ptr<TcxDBAdapterList>& AdapterList()
{
  static std::unique_ptr<TcxDBAdapterList> list;
  return list;
}

} // namespace

void TcxDBFilterOperatorAdapter::PrepareOperatorClass(TObject* AItem, TDataSet* ADataSet,
                                                      TcxFilterOperatorClass& AOperatorClass)
{
  if (!AOperatorClass || !ADataSet)
    return;
  TClass nullClass = ClassInfoOf<TcxFilterNullOperator>();
  TClass notNullClass = ClassInfoOf<TcxFilterNotNullOperator>();
  if (!AOperatorClass->InheritsFrom(nullClass))
    return;
  if (AnsiUpperCase(ADataSet->ClassName()).find("QUERY") == AnsiString::npos)
    return;
  AOperatorClass = AOperatorClass->InheritsFrom(notNullClass)
                       ? ClassInfoOf<TcxFilterSQLNotNullOperator>()
                       : ClassInfoOf<TcxFilterSQLNullOperator>();
}

TcxDBAdapterList* FilterOperatorAdapters()
{
  return AdapterList().get();
}

TcxDBFilterOperatorAdapter* GetFilterOperatorAdapter(TDataSet* ADataSet)
{
  TcxDBAdapterList* list = FilterOperatorAdapters();
  if (!ADataSet || !list)
    return nullptr;
  Integer index = -1;
  if (!list->FindAdapterIndex(ADataSet->ClassType(), index))
    return nullptr;
  auto* adapter = dynamic_cast<TcxDBFilterOperatorAdapter*>(list->Items(index));
  if (!adapter)
    RaiseInvalidCast();
  return adapter;
}

void cxDBFilterInitialization()
{
  TClassRegistration<TcxFilterSQLNullOperator, TcxFilterNullOperator>("TcxFilterSQLNullOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterSQLNullOperator>>();
  TClassRegistration<TcxFilterSQLNotNullOperator, TcxFilterNotNullOperator>(
      "TcxFilterSQLNotNullOperator")
      .Abstract()
      .ClassOps<TcxFilterOperatorOps<TcxFilterSQLNotNullOperator>>();
  TClassRegistration<TcxDBAdapterItem, TObject>("TcxDBAdapterItem").Abstract();
  TClassRegistration<TcxDBFilterOperatorAdapter, TcxDBAdapterItem>("TcxDBFilterOperatorAdapter")
      .Abstract()
      .ClassOps<TcxDBAdapterItemOps<TcxDBFilterOperatorAdapter>>();
  AdapterList() = std::make_unique<TcxDBAdapterList>();
  AdapterList()->RegisterAdapter(ClassInfoOf<TDataSet>(),
                                 ClassInfoOf<TcxDBFilterOperatorAdapter>());
}

void cxDBFilterFinalization()
{
  AdapterList().reset();
}
