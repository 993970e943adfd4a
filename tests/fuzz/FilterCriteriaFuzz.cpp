// Fuzz target "filter-criteria": the input as a filter criteria stream (controls/cx/data,
// cxFilterStream.cpp) read into a criteria over five items. A tree read is turned into
// filter text, evaluated on a few rows, written, read again and written once more: both
// writes must be the same bytes. A refused stream must leave the criteria as it was.
#include "controls/cx/data/cxFilter.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Streams.h"
#include "tests/controls/cx/data/support/TestCriteria.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using cxtest::RowData;
using cxtest::TTestCriteria;
using cxtest::TTestRow;

void AddItems(TTestCriteria& Criteria)
{
  for (const char* name : {"Id", "Name", "Price", "Qty", "Sold"})
    Criteria.AddTestItem(name);
}

std::string Written(TcxFilterCriteria& Criteria)
{
  TMemoryStream stream;
  Criteria.WriteData(&stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Read(TcxFilterCriteria& Criteria, const std::string& Bytes)
{
  TMemoryStream stream;
  stream.WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
  stream.SetPosition(0);
  Criteria.ReadData(&stream);
}

void FuzzFilterCriteria(const std::string& Input)
{
  TTestCriteria criteria;
  AddItems(criteria);
  const std::string before = Written(criteria);
  try {
    Read(criteria, Input);
  } catch (const Exception&) {
    FuzzCheck(Written(criteria) == before, "a refused criteria stream changed the criteria");
    throw;
  }
  AnsiString text;
  criteria.BuildFilterText(false, text);
  criteria.BuildFilterText(true, text);
  criteria.GetFilterCaption(text);
  const TTestRow rows[] = {
      {Variant(1), Variant(AnsiString("abc")), Variant(2.5), Variant(3), Variant(45306.5)},
      {::Null(), ::Null(), ::Null(), ::Null(), ::Null()},
  };
  for (const TTestRow& row : rows)
    criteria.DoFilterData(RowData(row));

  const std::string written = Written(criteria);
  TTestCriteria again;
  AddItems(again);
  try {
    Read(again, written);
  } catch (const Exception& e) {
    throw EFuzzCheckFailed("a written criteria stream does not read back: " + e.Message());
  }
  FuzzCheck(Written(again) == written, "a criteria written, read and written again differs");
}

} // namespace

QH_FUZZ_TARGET("filter-criteria", FuzzFilterCriteria);
