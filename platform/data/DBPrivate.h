// Internals of the dataset model shared by its .cpp files (DB.h holds the public side):
// the stored record, the filter-expression tree and the GBK-aware LIKE matcher.
// Not for use outside platform/data.
#pragma once

#include <memory>
#include <vector>

#include "platform/data/DB.h"

namespace data_detail {

// One record: the values of the data fields (one per field definition), then those of
// the calculated and lookup fields.
struct TRecord {
  Int64 Serial = 0;            // stable identity: the bookmark
  std::vector<Variant> Values; // data slots, then calculated slots
  Integer CalcStamp = 0;       // calculated values are current when equal to the dataset's
};

// Matches Text against a LIKE pattern ('%' any run, '_' one character) by whole GBK
// characters, so '_' never takes half of a double-byte character and a pattern never
// matches from the middle of one. Runs in O(len(Text) * len(Pattern)).
bool LikeMatch(const AnsiString& Text, const AnsiString& Pattern, bool CaseInsensitive);

// A parsed filter expression, evaluated against the record the dataset's fields read.
class TFilterExpr {
public:
  // Raises EDatabaseError "Invalid filter expression: ..." for text it cannot read and
  // "Field '%s' not found" for a name that is no field of the dataset.
  TFilterExpr(TDataSet* DataSet, const AnsiString& Text, TFilterOptions Options);
  ~TFilterExpr();
  bool Evaluate() const;

  struct Node;

private:
  std::unique_ptr<Node> FRoot;
  TFilterOptions FOptions;
};

// Splits "a;b;c" into names (blanks around each trimmed, empty ones dropped).
std::vector<AnsiString> SplitFieldNames(const AnsiString& Names);

} // namespace data_detail
