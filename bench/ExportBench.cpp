// Exporting 1,000 prepared waybill pages (Chinese texts in framed cells, a picture, a
// filled shape, a line and a Code 128 barcode per page) to a compressed PDF file through
// the export walk and the PDF filter: pages per second, and the ratio of the whole export
// time to the time zlib alone takes to deflate the same page content streams (the
// uncompressed document's streams, at level 9 as the writer uses it).
//
// The writer deflates finished pages on a worker thread while later pages are drawn, so the
// export is timed twice: by the clock on the wall (the manual time, pages_per_s and
// export_to_deflate) and by the processor time of the whole process, the worker included
// (cpu_export_ms and cpu_export_to_deflate), and by that of the exporting thread alone
// (thread_export_ms). The deflate runs on this thread alone and is timed both ways as well.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/output/frxExportPDF.h"
#include "report/output/frxPDFFile.h"
#include "tests/report/output/ExportFixtures.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterOleUnits();
void RegisterReportOutputUnits();

namespace {

constexpr Integer Pages = 1000;

struct TTimes {
  double Wall = 0, Cpu = 0, Thread = 0;
};

double Clock(clockid_t Id)
{
  timespec t{};
  clock_gettime(Id, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The wall clock, the processor time of the process (every thread of it) and that of this
// thread.
TTimes Now()
{
  return {Clock(CLOCK_MONOTONIC), Clock(CLOCK_PROCESS_CPUTIME_ID), Clock(CLOCK_THREAD_CPUTIME_ID)};
}

TTimes Since(const TTimes& Start)
{
  const TTimes now = Now();
  return {now.Wall - Start.Wall, now.Cpu - Start.Cpu, now.Thread - Start.Thread};
}

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterScriptUnits();
    RegisterReportEngineUnits();
    RegisterOleUnits();
    RegisterReportOutputUnits();
    InitializeUnits();
    Headless();
    return true;
  }();
  (void)started;
}

// The two-page sample waybill repeated to 1,000 pages.
TExportReport& Report()
{
  static TExportReport* report = [] {
    auto* r = new TExportReport;
    for (Integer i = 0; i < Pages / 2; ++i)
      BuildWaybillReport(*r);
    r->Prepare();
    return r;
  }();
  return *report;
}

TTimes ExportSeconds(bool Compressed, const std::string& File)
{
  TfrxPDFExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetCompressed(Compressed);
  filter.SetFileName(File);
  const TTimes start = Now();
  Report().Export(&filter);
  return Since(start);
}

// The content streams of an uncompressed document.
std::vector<std::string> ContentStreams(const std::string& Pdf)
{
  std::vector<std::string> streams;
  for (size_t at = Pdf.find("stream\r\n"); at != std::string::npos;
       at = Pdf.find("stream\r\n", at + 1)) {
    if (at >= 3 && Pdf.compare(at - 3, 3, "end") == 0)
      continue;
    const size_t begin = at + 8, end = Pdf.find("endstream", begin);
    if (end == std::string::npos)
      break;
    // Only page contents: the font files are not part of what the pages cost.
    const size_t dict = Pdf.rfind("obj\r\n", at);
    if (Pdf.substr(dict, at - dict).find("/Length1") == std::string::npos)
      streams.push_back(Pdf.substr(begin, end - begin));
    at = end;
  }
  return streams;
}

TTimes DeflateSeconds(const std::vector<std::string>& Streams, size_t& Bytes)
{
  std::string out;
  Bytes = 0;
  const TTimes start = Now();
  for (const std::string& s : Streams) {
    uLongf size = compressBound(s.size());
    out.resize(size);
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(s.data()),
              s.size(), 9);
    Bytes += s.size();
  }
  return Since(start);
}

void BM_ExportPDF1000Pages(benchmark::State& State)
{
  StartUnits();
  Report();
  const std::string file = "/tmp/qh_bench_export.pdf";
  ExportSeconds(false, file); // untimed: first touches, and the streams to deflate
  std::string pdf;
  {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    char buf[65536];
    size_t n;
    while (f && (n = std::fread(buf, 1, sizeof buf, f)) > 0)
      pdf.append(buf, n);
    if (f)
      std::fclose(f);
  }
  const std::vector<std::string> streams = ContentStreams(pdf);
  TTimes exportTotal, deflateTotal;
  size_t bytes = 0;
  for (auto _ : State) {
    const TTimes e = ExportSeconds(true, file);
    State.SetIterationTime(e.Wall);
    exportTotal.Wall += e.Wall;
    exportTotal.Cpu += e.Cpu;
    exportTotal.Thread += e.Thread;
    const TTimes d = DeflateSeconds(streams, bytes);
    deflateTotal.Wall += d.Wall;
    deflateTotal.Cpu += d.Cpu;
  }
  const double n = static_cast<double>(State.iterations());
  State.counters["pages_per_s"] = benchmark::Counter(Pages * n / exportTotal.Wall);
  State.counters["stream_MB"] = static_cast<double>(bytes) / 1e6;
  State.counters["deflate_ms"] = deflateTotal.Wall * 1000 / n;
  State.counters["export_to_deflate"] = exportTotal.Wall / deflateTotal.Wall;
  State.counters["cpu_export_ms"] = exportTotal.Cpu * 1000 / n;
  State.counters["cpu_export_to_deflate"] = exportTotal.Cpu / deflateTotal.Cpu;
  // The exporting thread alone: what the drawing costs beside the worker.
  State.counters["thread_export_ms"] = exportTotal.Thread * 1000 / n;
  // EXPORT_BENCH_KEEP names a file to keep the last compressed export in, to compare the bytes
  // one build writes with another's.
  if (const char* keep = std::getenv("EXPORT_BENCH_KEEP"))
    std::rename(file.c_str(), keep);
  std::remove(file.c_str());
}
BENCHMARK(BM_ExportPDF1000Pages)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
