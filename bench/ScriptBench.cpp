// Script front end: the first pass over a 5,000-line PascalScript program.
#include <algorithm>

#include <benchmark/benchmark.h>

#include "platform/rtl/Units.h"
#include "report/script/fsILParser.h"

void RegisterScriptUnits();

namespace {

// 103 procedures of 48 lines each, then the main block: a little over 5,000 lines.
AnsiString PascalProgram()
{
  AnsiString text = "var Total: Integer;\r\n    Names: array[0..9] of String;\r\n";
  for (int p = 0; p < 103; ++p) {
    text += "procedure Step" + std::to_string(p) + "(var A: Integer; B: String);\r\n";
    text += "var I, J: Integer;\r\n    S: String;\r\nbegin\r\n";
    for (int k = 0; k < 10; ++k) {
      text += "  for I := 0 to 9 do\r\n";
      text += "    if (A mod 3 = 1) and (B <> 'x''y') then\r\n";
      text += "      A := A + I * 2 - Length(B) { note }\r\n";
      text += "    else S := Names[I] + IntToStr(J);\r\n";
    }
    text += "  case A of 1..3: A := 0; else A := -A end;\r\n";
    text += "  repeat J := J + 1 until J >= 10;\r\n";
    text += "  try Total := Total + A finally B := '' end;\r\n";
    text += "  while J > 0 do begin J := J - 1; Total := Total div 2 end;\r\n";
    text += "end;\r\n";
  }
  text += "begin\r\n  Total := 0;\r\n  Step0(Total, 'a');\r\nend.\r\n";
  return text;
}

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

void BM_PascalFirstPass(benchmark::State& state)
{
  StartUnits();
  const AnsiString text = PascalProgram();
  const auto lines = std::count(text.begin(), text.end(), '\n');
  for (auto _ : state) {
    TfsILParser parser(nullptr);
    parser.SelectLanguage("PascalScript");
    if (!parser.SourceToSyntaxXml(text))
      state.SkipWithError(parser.ErrorMsg().c_str());
    benchmark::DoNotOptimize(parser.SyntaxXml());
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PascalFirstPass)->Unit(benchmark::kMillisecond);

// A report expression is compiled once per distinct text, each time with a fresh parser.
void BM_ExpressionFirstPass(benchmark::State& state)
{
  StartUnits();
  for (auto _ : state) {
    TfsILParser parser(nullptr);
    parser.SelectLanguage("PascalScript");
    benchmark::DoNotOptimize(parser.SourceToSyntaxXml("begin Result := <Page> + 1 end."));
  }
}
BENCHMARK(BM_ExpressionFirstPass)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
