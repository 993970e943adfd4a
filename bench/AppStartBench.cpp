// The program's start up to the login dialog on the embedded database, on the headless
// screen: identity texts, facade, splash, connection with cfg.ini, company record, main
// window, then the login dialog; the time stops when the dialog shows (the dialog is then
// cancelled and the program ends through its shutdown, outside the measured time).
#include <cstdlib>
#include <string>
#include <time.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "app/main.h"
#include "app/qhwbp.h"
#include "platform/data/Schema.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Units.h"
#include "platform/ui/Forms.h"
#include "platform/ui/backend/headless/Headless.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterDataUnits();
void RegisterNetUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterAppUnits();

namespace {

double Seconds()
{
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A program directory with the default database and a cfg.ini choosing it.
std::string ProgramHome()
{
  static std::string home = [] {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterDataUnits();
    RegisterNetUnits();
    RegisterScriptUnits();
    RegisterReportEngineUnits();
    RegisterAppUnits();
    InitializeUnits();
    char pattern[] = "/tmp/qhwbp-bench-XXXXXX";
    std::string dir = mkdtemp(pattern);
    setenv("QHWBP_HOME", dir.c_str(), 1);
    CreateDatabaseFile(dir + "/qhwbp.mdb");
    FILE* f = std::fopen((dir + "/cfg.ini").c_str(), "wb");
    std::fputs("[db]\r\nproviderIdx=1\r\ndefaultCon=1\r\n", f);
    std::fclose(f);
    char arg0[] = "qhwbp";
    char* argv[] = {arg0};
    SetCommandLine(1, argv);
    return dir;
  }();
  return home;
}

void BM_StartToLoginDialog(benchmark::State& state)
{
  ProgramHome();
  for (auto _ : state) {
    Headless().Reset();
    Application()->Restart();
    double shown = 0;
    Headless().OnWindow("登陆", [&](HWND h) {
      shown = Seconds();
      Headless().Click(THeadlessBackend::ScreenPoint(THeadlessBackend::FindChildByText(h, "取消"),
                                                     TPoint(5, 5)));
    });
    const double start = Seconds();
    ProgramEntry();
    state.SetIterationTime(shown - start);
    while (Screen()->FormCount() > 0)
      delete Screen()->Forms(Screen()->FormCount() - 1);
  }
}
BENCHMARK(BM_StartToLoginDialog)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
