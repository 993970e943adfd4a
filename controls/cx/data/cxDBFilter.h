// cxDBFilter: the filter-operator adapter of datasets. Datasets whose class name contains
// "QUERY" write null conditions in their SQL form, "IS NULL" and "IS NOT NULL".
#pragma once

#include "controls/cx/data/cxDB.h"
#include "controls/cx/data/cxFilter.h"

class TcxFilterSQLNullOperator : public TcxFilterNullOperator {
public:
  using TcxFilterNullOperator::TcxFilterNullOperator;
  void GetExpressionOperator(AnsiString& AText) override { AText = "IS"; }
};

class TcxFilterSQLNotNullOperator : public TcxFilterNotNullOperator {
public:
  using TcxFilterNotNullOperator::TcxFilterNotNullOperator;
  void GetExpressionOperator(AnsiString& AText) override { AText = "IS NOT"; }
};

class TcxDBFilterOperatorAdapter : public TcxDBAdapterItem {
public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
  // Null operator classes become their SQL forms for a dataset whose class name contains
  // "QUERY" (upper-cased); every other class stays.
  virtual void PrepareOperatorClass(TObject* AItem, TDataSet* ADataSet,
                                    TcxFilterOperatorClass& AOperatorClass);
};

// The adapter list of the filter operators (TDataSet: TcxDBFilterOperatorAdapter).
TcxDBAdapterList* FilterOperatorAdapters();
// The adapter for ADataSet's class; null for no dataset or no matching entry. An entry that
// is no filter-operator adapter raises EInvalidCast.
TcxDBFilterOperatorAdapter* GetFilterOperatorAdapter(TDataSet* ADataSet);

void cxDBFilterInitialization();
void cxDBFilterFinalization();
