// Script engine core: a compiled report expression evaluated over and over, with its
// variables looked up by name, and a loop-heavy PascalScript program.
#include <map>

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

// The report's variables, found by name as the report engine's Get does.
std::map<AnsiString, Variant>& Variables()
{
  static std::map<AnsiString, Variant> values = {{"a", Variant(21)}, {"b", Variant("hello")}};
  return values;
}

// <a> * 2 + Length(<b>) compiled once as a function, as the report's expression cache does,
// then read once per iteration.
void BM_CompiledExpression(benchmark::State& state)
{
  StartUnits();
  TfsScript host;
  host.SetParent(GlobalScriptUnit());
  host.RegisterScriptMethod("function Get(Name: String): Variant", "ctOther", "",
                            [](TObject*, TClass, const AnsiString&, Variant& params) -> Variant {
                              auto& vars = Variables();
                              auto it = vars.find(VarToStr(VarArrayGet(params, {0})));
                              return it == vars.end() ? Null() : it->second;
                            });
  TfsScript script;
  script.SetParent(&host);
  script.Lines()->SetText(
      "function F: Variant; begin Result := <a> * 2 + Length(<b>) end; begin end.");
  if (!script.CompileScript()) {
    state.SkipWithError(script.ErrorMsg().c_str());
    return;
  }
  TfsCustomVariable* f = script.LookupOwnItem("F");
  for (auto _ : state) {
    Variant v = f->GetValue();
    benchmark::DoNotOptimize(v);
  }
  if (VarToStr(f->GetValue()) != "47")
    state.SkipWithError("wrong value");
  state.counters["evaluations/s"] =
      benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CompiledExpression);

// An expression text compiled and run from scratch each time (no cache).
void BM_EvaluateExpressionText(benchmark::State& state)
{
  StartUnits();
  TfsScript script;
  script.SetParent(GlobalScriptUnit());
  for (auto _ : state) {
    Variant v = script.EvaluateExpressionText("21 * 2 + Length('hello')");
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_EvaluateExpressionText)->Unit(benchmark::kMicrosecond);

// Ten million rounds of integer arithmetic in a counted loop.
void BM_IntegerLoop(benchmark::State& state)
{
  StartUnits();
  TfsScript script;
  script.SetParent(GlobalScriptUnit());
  script.Lines()->SetText("var i, s: Integer;\r\n"
                          "begin\r\n"
                          "  s := 0;\r\n"
                          "  for i := 1 to 10000000 do\r\n"
                          "    s := s + i mod 7 * 3;\r\n"
                          "end.");
  if (!script.CompileScript()) {
    state.SkipWithError(script.ErrorMsg().c_str());
    return;
  }
  for (auto _ : state)
    script.RunScript();
  state.counters["rounds/s"] =
      benchmark::Counter(1e7, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_IntegerLoop)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
