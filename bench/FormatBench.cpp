// Date and number formatting against the C library doing the same work in the same run:
// FormatDateTime('yyyy-mm-dd hh:nn:ss') against gmtime_r and strftime of the same fields
// into a string, and FormatFloat('#,##0.00') against snprintf("%.2f") with the thousands
// separators put in (the C library's "'" flag groups only under a locale that has grouping,
// and nothing here depends on the C locale). Each case runs as a pair (".../Rtl" and ".../C");
// at the end the program prints the runtime's time over the C library's. On a busy machine,
// run with --benchmark_repetitions=5: the ratios then use the medians.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/RatioReporter.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"

namespace {

// Instants spread over a few years so that no field stays the same from call to call.
constexpr Int64 Instants[] = {1386234423, 1700000000, 946684799,  1234567890,
                              1609459200, 1577836799, 1111111111, 1425436563};
constexpr size_t InstantCount = sizeof Instants / sizeof Instants[0];

constexpr double Amounts[] = {1234567.891, 0.5, 98765.4321, 12.345, 100000, 3.14159, 42.42, 7e8};
constexpr size_t AmountCount = sizeof Amounts / sizeof Amounts[0];

void BM_DateTime_Rtl(benchmark::State& state)
{
  TDateTime values[InstantCount];
  for (size_t i = 0; i < InstantCount; ++i)
    values[i] = UnixToDateTime(Instants[i]);
  size_t i = 0;
  for (auto _ : state) {
    AnsiString s = FormatDateTime("yyyy-mm-dd hh:nn:ss", values[i++ % InstantCount]);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_DateTime_Rtl);

void BM_DateTime_C(benchmark::State& state)
{
  size_t i = 0;
  for (auto _ : state) {
    const time_t t = static_cast<time_t>(Instants[i++ % InstantCount]);
    tm fields{};
    gmtime_r(&t, &fields);
    char buf[64];
    const size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &fields);
    std::string s(buf, n);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_DateTime_C);

void BM_Float_Rtl(benchmark::State& state)
{
  size_t i = 0;
  for (auto _ : state) {
    AnsiString s = FormatFloat("#,##0.00", Amounts[i++ % AmountCount]);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_Float_Rtl);

// "%.2f", then a ',' before every third integer digit from the right.
void BM_Float_C(benchmark::State& state)
{
  size_t i = 0;
  for (auto _ : state) {
    char plain[64];
    const int n = std::snprintf(plain, sizeof plain, "%.2f", Amounts[i++ % AmountCount]);
    const char* point = static_cast<const char*>(std::memchr(plain, '.', static_cast<size_t>(n)));
    const int digits = point ? static_cast<int>(point - plain) : n;
    const int first = plain[0] == '-' ? 1 : 0;
    std::string s;
    s.reserve(static_cast<size_t>(n) + static_cast<size_t>(digits) / 3);
    for (int k = 0; k < n; ++k) {
      s += plain[k];
      const int left = digits - 1 - k;
      if (k >= first && left > 0 && left % 3 == 0)
        s += ',';
    }
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_Float_C);

} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TRatioReporter reporter("Rtl", "C", "Runtime time over C library time (same run)",
                          {{"DateTime", "target at most 1x"}});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
