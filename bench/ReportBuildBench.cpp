// Building a 10,000-record list report through the report document's entry points
// (GenerateReport: dataset check, script preparation, the build, the definition read back):
// one data band with a field, a formatted number and a compiled expression per record, a
// title and a page footer, the prepared pages stored as differences. The list engine of the
// document tests stands in for the engine. Also: the prepared report saved as a file and
// read back, and the same build with the file cache. Peak memory is the process's maximum
// resident size after the runs.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include "platform/rtl/Streams.h"
#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "tests/report/engine/ReportFixtures.h"

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

} // namespace

BENCHMARK_MAIN();
