// Fuzz target "filter": the input as the filter expression of a dataset (TDataSet::Filter,
// platform/data/Filter.cpp) over a small in-memory table with a field of each common type,
// null values and GBK text, evaluated on every record with and without case folding.
#include "platform/data/DB.h"
#include "platform/data/MemDataSet.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

void Fill(TMemDataSet& Set)
{
  Set.FieldDefs()->Add("N", ftInteger);
  Set.FieldDefs()->Add("Name", ftString, 30);
  Set.FieldDefs()->Add("Order Date", ftDate);
  Set.FieldDefs()->Add("Paid", ftBoolean);
  Set.FieldDefs()->Add("Price", ftFloat);
  Set.CreateDataSet();
  Set.AppendRecord(
      {Variant(1), Variant(AnsiString("O'Brien")), Variant(46027.0), Variant(true), Variant(2.5)});
  Set.AppendRecord({Variant(2), Variant(AnsiString("北京市海淀")), Variant(46054.0), Variant(false),
                    Variant(-1e300)});
  Set.AppendRecord({Variant(-3), Variant(AnsiString("ab%_")), ::Null(), Variant(false), ::Null()});
  Set.AppendRecord({::Null(), ::Null(), ::Null(), ::Null(), Variant(0.0)});
}

Integer CountVisible(TMemDataSet& Set)
{
  Integer count = 0;
  for (Set.First(); !Set.Eof(); Set.Next())
    ++count;
  return count;
}

void FuzzFilter(const std::string& Input)
{
  TMemDataSet set;
  Fill(set);
  set.SetFilter(Input);
  set.SetFiltered(true);
  const Integer plain = CountVisible(set);
  set.SetFilterOptions({foCaseInsensitive, foNoPartialCompare});
  CountVisible(set);
  set.SetFiltered(false);
  FuzzCheck(CountVisible(set) == 4, "switching the filter off does not show every record");
  FuzzCheck(plain <= 4, "the filter shows more records than the table has");
}

} // namespace

QH_FUZZ_TARGET("filter", FuzzFilter);
