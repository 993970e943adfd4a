// Building list reports through the report document's entry points (GenerateReport:
// dataset check, script preparation, the build, the definition read back), the prepared
// pages stored as differences:
// - 10,000 records: one data band with a field, a formatted number and a compiled
//   expression per record, a title and a page footer; with and without the file cache;
// - 100,000 records: one data band with four text objects (a field, a formatted number, a
//   date, a fixed text), grouped by a field with a group footer holding a SUM, read from an
//   in-memory dataset and from an SQLite query.
// Also: the prepared report saved as a file and read back. Peak memory is the process's
// maximum resident size after the runs.
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "platform/data/ADODB.h"
#include "platform/data/DB.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxDBDataset.h"
#include "report/engine/frxPreviewPages.h"
#include "tests/report/engine/ReportFixtures.h"

void RegisterDataUnits();
void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();

namespace {

constexpr Integer Records = 10000;

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterDataUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterScriptUnits();
    RegisterReportEngineUnits();
    InitializeUnits();
    Headless();
    return true;
  }();
  (void)started;
}

double PeakMegabytes()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The list report with a fourth text object that runs a compiled expression per record.
std::unique_ptr<TfrxReport> MakeReport(TfrxDataSet* Data)
{
  auto report = std::make_unique<TfrxReport>(nullptr);
  report->EngineOptions()->SetSilentMode(true);
  BuildListReport(report.get(), Data);
  auto* total = new TfrxMemoView(report->FindObject("MasterData1"));
  total->SetName("Memo6");
  total->SetBounds(300, 0, 200, 20);
  total->SetText("[<Data.\"Amount\"> * 2 + 1]");
  return report;
}

void BM_ReportBuild10000(benchmark::State& state)
{
  StartUnits();
  TListData data(NumberedRows(Records));
  auto report = MakeReport(&data);
  report->EngineOptions()->SetUseFileCache(state.range(0) != 0);
  report->EngineOptions()->SetMaxMemSize(1);
  for (auto _ : state) {
    if (!report->GenerateReport())
      state.SkipWithError(report->Errors()->Text().c_str());
    benchmark::DoNotOptimize(report->PreviewPages()->PageCount());
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(Records) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["pages"] = report->PreviewPages()->PageCount();
  state.counters["peak MB"] = PeakMegabytes();
}
BENCHMARK(BM_ReportBuild10000)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("file cache")
    ->Unit(benchmark::kMillisecond);

void BM_PreparedReportSaveAndLoad(benchmark::State& state)
{
  StartUnits();
  TListData data(NumberedRows(Records));
  auto report = MakeReport(&data);
  report->GenerateReport();
  TfrxReport other(nullptr);
  Int64 bytes = 0;
  for (auto _ : state) {
    TMemoryStream stream;
    report->PreviewPages()->SaveToStream(&stream);
    bytes = stream.Size();
    stream.SetPosition(0);
    other.PreviewPages()->LoadFromStream(&stream);
    benchmark::DoNotOptimize(other.PreviewPages()->BuildPage(100));
  }
  state.counters["file MB"] = static_cast<double>(bytes) / 1048576.0;
  state.counters["pages"] = other.PreviewPages()->PageCount();
}
BENCHMARK(BM_PreparedReportSaveAndLoad)->Unit(benchmark::kMillisecond);

constexpr Integer LargeRecords = 100000;

// Rows of the large list: Name "Name<i>", Amount i x 0.01, City i div 1000, Day a date.
class TLargeData : public TfrxUserDataSet {
public:
  TLargeData() : TfrxUserDataSet(nullptr)
  {
    SetUserName("Data");
    Fields()->SetText("Name\r\nAmount\r\nCity\r\nDay");
    SetRangeEnd(reCount);
    SetRangeEndCount(LargeRecords);
    OnGetValue = [this](const Variant& Field, Variant& Value) {
      const Integer i = RecNo();
      const AnsiString f = VarToStr(Field);
      if (f == "Name")
        Value = Variant("Name" + IntToStr(i));
      else if (f == "Amount")
        Value = Variant(i * 0.01);
      else if (f == "City")
        Value = Variant(i / 1000);
      else
        Value = VarFromDateTime(45000 + i % 365);
    };
  }
};

std::unique_ptr<TfrxReport> MakeLargeReport(TfrxDataSet* Data)
{
  auto report = std::make_unique<TfrxReport>(nullptr);
  report->EngineOptions()->SetSilentMode(true);
  report->DataSets()->Add(Data);
  auto* page = new TfrxReportPage(report.get());
  page->SetName("Page1");
  page->SetPaperSize(9);
  auto* group = new TfrxGroupHeader(page);
  group->SetName("GroupHeader1");
  group->SetBounds(0, 20, 700, 0);
  group->SetCondition("Data.\"City\"");
  auto* master = new TfrxMasterData(page);
  master->SetName("MasterData1");
  master->SetBounds(0, 40, 700, 18);
  master->SetDataSet(Data);
  const char* texts[] = {"[Data.\"Name\"]", "[Data.\"Amount\"]", "[Data.\"Day\"]", "Paid"};
  for (Integer i = 0; i < 4; ++i) {
    auto* memo = new TfrxMemoView(master);
    memo->SetName("Memo" + IntToStr(i + 1));
    memo->SetBounds(i * 170, 0, 160, 18);
    memo->SetText(texts[i]);
  }
  auto* amount = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo2"));
  amount->DisplayFormat()->SetKind(fkNumeric);
  amount->DisplayFormat()->SetFormatStr("%2.2f");
  auto* day = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo3"));
  day->DisplayFormat()->SetKind(fkDateTime);
  day->DisplayFormat()->SetFormatStr("yyyy-mm-dd");
  auto* footer = new TfrxGroupFooter(page);
  footer->SetName("GroupFooter1");
  footer->SetBounds(0, 80, 700, 18);
  auto* sum = new TfrxMemoView(footer);
  sum->SetName("Sum");
  sum->SetBounds(0, 0, 200, 18);
  sum->SetText("[SUM(<Data.\"Amount\">)]");
  return report;
}

void RunLarge(benchmark::State& state, TfrxDataSet* Data)
{
  auto report = MakeLargeReport(Data);
  for (auto _ : state) {
    if (!report->GenerateReport())
      state.SkipWithError(report->Errors()->Text().c_str());
    benchmark::DoNotOptimize(report->PreviewPages()->PageCount());
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(LargeRecords) *
                                                       static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
  state.counters["pages"] = report->PreviewPages()->PageCount();
  state.counters["peak MB"] = PeakMegabytes();
}

void BM_ReportBuild100000InMemory(benchmark::State& state)
{
  StartUnits();
  TLargeData data;
  RunLarge(state, &data);
}
BENCHMARK(BM_ReportBuild100000InMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReportBuild100000SQLite(benchmark::State& state)
{
  StartUnits();
  const AnsiString file = "/tmp/qhwbp-bench-" + IntToStr(getpid()) + ".db";
  TADOConnection conn;
  conn.SetLoginPrompt(false);
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
  {
    // The database is made through SQLite itself: a connection never creates one.
    const AnsiString sql =
        "create table t (id integer primary key, Name varchar(20), Amount real, City integer, "
        "Day datetime);"
        "with recursive n(i) as (select 0 union all select i + 1 from n where i < " +
        IntToStr(LargeRecords - 1) +
        ") insert into t select i, 'Name' || i, i * 0.01, i / 1000, "
        "date('2023-03-15', '+' || (i % 365) || ' days') from n;";
    const std::string command = "sqlite3 " + file + " \"" + sql + "\"";
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("sqlite3 could not make the database");
      return;
    }
  }
  conn.Open();
  TADOQuery query;
  query.SetConnection(&conn);
  query.SQL()->SetText("select * from t order by id");
  TfrxDBDataset data(nullptr);
  data.SetUserName("Data");
  data.SetDataSet(&query);
  RunLarge(state, &data);
  query.Close();
  conn.Close();
  DeleteFile(file);
}
BENCHMARK(BM_ReportBuild100000SQLite)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
