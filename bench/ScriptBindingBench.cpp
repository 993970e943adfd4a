// Bound classes from scripts: a script loop that calls a bound method, reads a bound
// property (a callback) and reads a published property (through reflection) of a string
// list by name, one million times each. The counters give calls per second.
#include <benchmark/benchmark.h>

#include "platform/rtl/Lists.h"
#include "platform/rtl/Units.h"
#include "report/script/fsScript.h"

void RegisterScriptUnits();

namespace {

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterScriptUnits();
    InitializeUnits();
    return true;
  }();
  (void)started;
}

const Integer Rounds = 1000000;

// Compiles "var l: TStringList; c: TComponent; i, n: Integer; begin <setup> for i := 1 to
// 1000000 do <body>; end." once and runs it per iteration.
void RunLoop(benchmark::State& state, const char* body)
{
  StartUnits();
  TfsScript script;
  script.SetParent(GlobalScriptUnit());
  script.Lines()->SetText(AnsiString("var l: TStringList; c: TComponent; i, n: Integer;\r\n"
                                     "begin\r\n"
                                     "  l := TStringList.Create; l.Add('a'); l.Add('b');\r\n"
                                     "  c := TComponent.Create(nil); c.Tag := 7;\r\n"
                                     "  for i := 1 to 1000000 do ") +
                          body +
                          ";\r\n"
                          "  l.Free; c.Free\r\n"
                          "end.");
  if (!script.CompileScript()) {
    state.SkipWithError((script.ErrorMsg() + " at " + script.ErrorPos()).c_str());
    return;
  }
  for (auto _ : state)
    script.RunScript();
  state.counters["calls/s"] =
      benchmark::Counter(Rounds, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BoundMethodCall(benchmark::State& state)
{
  RunLoop(state, "n := l.IndexOf('b')");
}
BENCHMARK(BM_BoundMethodCall)->Unit(benchmark::kMillisecond);

void BM_BoundPropertyRead(benchmark::State& state)
{
  RunLoop(state, "n := l.Count");
}
BENCHMARK(BM_BoundPropertyRead)->Unit(benchmark::kMillisecond);

void BM_PublishedPropertyRead(benchmark::State& state)
{
  RunLoop(state, "n := c.Tag");
}
BENCHMARK(BM_PublishedPropertyRead)->Unit(benchmark::kMillisecond);

// The loop alone, to take from the figures above.
void BM_EmptyLoop(benchmark::State& state)
{
  RunLoop(state, "n := i");
}
BENCHMARK(BM_EmptyLoop)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
