// The data controller on 100,000 records of six fields: filling inside one update lock,
// sorting by an integer and by a case-insensitive string, two grouping levels with three
// footer and three group summaries, a two-condition filter, the filter value list of one
// column, and the LIKE matcher on the pattern that backtracks without memoisation.
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxLike.h"
#include "platform/rtl/Units.h"

void RegisterDataUnits();
void RegisterCxDataUnits();

namespace {

constexpr Integer RecordCount = 100000;

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterDataUnits();
    RegisterCxDataUnits();
    InitializeUnits();
    return true;
  }();
  (void)started;
}

struct TColumn : TObject {
  TColumn(Integer AID, const char* ACaption) : ID(AID), Caption(ACaption) {}
  Integer ID;
  AnsiString Caption;
};

// The controller as a view drives it: one column object per item.
class TBenchController : public TcxDataController {
public:
  using TcxDataController::TcxDataController;
  TObject* GetItem(Integer AIndex) override { return GetField(AIndex)->Item(); }
  Integer GetItemID(TObject* AItem) override
  {
    return AItem ? static_cast<TColumn*>(AItem)->ID : -1;
  }
  void GetItemDisplayName(TObject* AItem, AnsiString& AName) override
  {
    AName = AItem ? static_cast<TColumn*>(AItem)->Caption : AnsiString();
  }
  std::vector<std::unique_ptr<TColumn>> Columns;
};

enum { cId, cCat, cName, cValue, cQty, cDay };

std::unique_ptr<TBenchController> NewController()
{
  auto c =
      std::unique_ptr<TBenchController>(TcxCustomDataController::Create<TBenchController>(nullptr));
  const std::pair<const char*, TcxValueTypeClass> columns[] = {
      {"Id", TcxIntegerValueType::Class()},  {"Cat", TcxStringValueType::Class()},
      {"Name", TcxStringValueType::Class()}, {"Value", TcxFloatValueType::Class()},
      {"Qty", TcxIntegerValueType::Class()}, {"Day", TcxDateTimeValueType::Class()},
  };
  for (const auto& [caption, type] : columns) {
    c->Columns.push_back(
        std::make_unique<TColumn>(static_cast<Integer>(c->Columns.size()), caption));
    c->AddItem(c->Columns.back().get());
    c->ChangeValueTypeClass(c->GetItemCount() - 1, type);
  }
  return c;
}

// The generated records, made once: record i has Id i + 1, Cat "C" + two digits of
// (i * 7) mod 37, Name eight pseudo-random letters (every third capitalised), Value
// ((i * 7919) mod 10007) / 100, Qty i mod 97 (Null every 50th) and Day 45000 + i mod 365.
const std::vector<std::vector<Variant>>& Rows()
{
  static const std::vector<std::vector<Variant>> rows = [] {
    std::vector<std::vector<Variant>> out;
    out.reserve(RecordCount);
    uint64_t x = 42;
    for (Integer i = 0; i < RecordCount; ++i) {
      char cat[4] = {'C', char('0' + (i * 7 % 37) / 10), char('0' + (i * 7 % 37) % 10), 0};
      std::string name(8, ' ');
      for (char& ch : name) {
        x = (x * 1103515245 + 12345) % 2147483648ULL;
        ch = static_cast<char>('a' + ((x >> 16) % 26));
      }
      if (i % 3 == 0)
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
      Variant qty = i % 50 == 0 ? Null() : Variant(i % 97);
      out.push_back({Variant(i + 1), Variant(AnsiString(cat)), Variant(AnsiString(name)),
                     Variant(static_cast<double>(int64_t(i) * 7919 % 10007) / 100.0), qty,
                     VarFromDateTime(45000.0 + i % 365)});
    }
    return out;
  }();
  return rows;
}

void Fill(TcxCustomDataController& C)
{
  const auto& rows = Rows();
  C.BeginUpdate();
  C.SetRecordCount(RecordCount);
  for (Integer r = 0; r < RecordCount; ++r)
    for (Integer i = 0; i < 6; ++i)
      C.SetValue(r, i, rows[r][i]);
  C.EndUpdate();
}

std::unique_ptr<TBenchController> FilledController()
{
  auto c = NewController();
  Fill(*c);
  return c;
}

void BM_Fill100k(benchmark::State& state)
{
  StartUnits();
  Rows();
  for (auto _ : state) {
    state.PauseTiming();
    auto c = NewController();
    state.ResumeTiming();
    Fill(*c);
    state.PauseTiming();
    c.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Fill100k)->Unit(benchmark::kMillisecond);

// Each iteration sorts the whole list once: ascending and descending in turn.
void SortBench(benchmark::State& state, Integer AItem, TcxDataControllerOptions AOptions)
{
  StartUnits();
  auto c = FilledController();
  c->SetOptions(AOptions);
  bool ascending = true;
  for (auto _ : state) {
    c->ChangeSortOrder(AItem, ascending ? soAscending : soDescending);
    ascending = !ascending;
  }
  benchmark::DoNotOptimize(c->RowCount());
}

void BM_SortInteger(benchmark::State& state)
{
  SortBench(state, cQty, cxDataControllerDefaultOptions);
}
BENCHMARK(BM_SortInteger)->Unit(benchmark::kMillisecond);

void BM_SortStringCaseInsensitive(benchmark::State& state)
{
  SortBench(state, cName,
            cxDataControllerDefaultOptions +
                TcxDataControllerOptions{dcoAnsiSort, dcoCaseInsensitive});
}
BENCHMARK(BM_SortStringCaseInsensitive)->Unit(benchmark::kMillisecond);

void AddSummary(TcxDataSummaryItems* AItems, TObject* AItem, TcxSummaryKind AKind)
{
  TcxDataSummaryItem* item = AItems->Add();
  item->SetItemLink(AItem);
  item->SetKind(AKind);
}

// Grouping by Cat and by Qty, with three footer and three group summaries: each iteration
// builds the two levels (with their summaries); ungrouping is not measured.
void BM_GroupingWithSummaries(benchmark::State& state)
{
  StartUnits();
  auto c = FilledController();
  TcxDataSummary* summary = c->Summary();
  summary->BeginUpdate();
  AddSummary(summary->FooterSummaryItems(), c->Columns[cValue].get(), skSum);
  AddSummary(summary->FooterSummaryItems(), c->Columns[cQty].get(), skAverage);
  AddSummary(summary->FooterSummaryItems(), c->Columns[cDay].get(), skMax);
  AddSummary(summary->DefaultGroupSummaryItems(), c->Columns[cValue].get(), skSum);
  AddSummary(summary->DefaultGroupSummaryItems(), c->Columns[cQty].get(), skCount);
  AddSummary(summary->DefaultGroupSummaryItems(), c->Columns[cDay].get(), skMin);
  summary->EndUpdate();
  for (auto _ : state) {
    c->BeginUpdate();
    c->Groups()->ChangeGrouping(cCat, 0);
    c->Groups()->ChangeGrouping(cQty, 1);
    c->EndUpdate();
    benchmark::DoNotOptimize(c->RowCount());
    state.PauseTiming();
    c->Groups()->ClearGrouping();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_GroupingWithSummaries)->Unit(benchmark::kMillisecond);

// Value > 20 and Name LIKE '%ab%': each iteration filters all records once.
void BM_FilterTwoConditions(benchmark::State& state)
{
  StartUnits();
  auto c = FilledController();
  TcxDataFilterCriteria* filter = c->Filter();
  filter->Root()->AddCondition(c->Columns[cValue].get(), foGreater, 20.0, "20");
  filter->Root()->AddCondition(c->Columns[cName].get(), foLike, "%ab%", "%ab%");
  for (auto _ : state) {
    filter->SetActive(true);
    benchmark::DoNotOptimize(c->RowCount());
    state.PauseTiming();
    filter->SetActive(false);
    state.ResumeTiming();
  }
  state.counters["rows"] = [&] {
    filter->SetActive(true);
    return static_cast<double>(c->RowCount());
  }();
}
BENCHMARK(BM_FilterTwoConditions)->Unit(benchmark::kMillisecond);

// The value list of a column of (nearly) distinct texts and of one with 37 values.
void ValueListBench(benchmark::State& state, Integer AItem)
{
  StartUnits();
  auto c = FilledController();
  Integer count = 0;
  for (auto _ : state) {
    std::unique_ptr<TcxFilterValueList> list(c->Filter()->CreateValueList());
    static_cast<TcxDataFilterValueList*>(list.get())->Load(AItem);
    count = list->Count();
  }
  state.counters["entries"] = count;
}

void BM_ValueListDistinctNames(benchmark::State& state)
{
  ValueListBench(state, cName);
}
BENCHMARK(BM_ValueListDistinctNames)->Unit(benchmark::kMillisecond);

void BM_ValueListCategories(benchmark::State& state)
{
  ValueListBench(state, cCat);
}
BENCHMARK(BM_ValueListCategories)->Unit(benchmark::kMillisecond);

void BM_LikePathological(benchmark::State& state)
{
  const AnsiString value(40, 'a');
  for (auto _ : state)
    benchmark::DoNotOptimize(LikeMatch(value, "%a%a%a%a%a%a%a%b", '%', '_'));
}
BENCHMARK(BM_LikePathological)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
