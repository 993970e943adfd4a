// The script engine against Lua 5.4, the same work in the same run: a counted loop, a
// recursive function, string appends, a report expression that looks its names up through a
// host function, and the compile of one new expression text. Each case runs as a pair
// (".../Script" and ".../Lua"); at the end the program prints the script's time over Lua's.
// Built with Lua when pkg-config finds lua5.4; without it only the script halves run. On a
// busy machine, run with --benchmark_repetitions=5: the ratios then use the medians.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/RatioReporter.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Units.h"
#include "report/script/fsScript.h"

#ifdef QH_HAVE_LUA
#include <lua.hpp>
#endif

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

// A compiled PascalScript program under the global unit.
class TProgram {
public:
  explicit TProgram(const char* text, TfsScript* parent = nullptr)
  {
    StartUnits();
    FScript.SetParent(parent ? parent : GlobalScriptUnit());
    FScript.Lines()->SetText(text);
    FOk = FScript.CompileScript();
  }
  bool Ok(benchmark::State& state)
  {
    if (!FOk)
      state.SkipWithError(FScript.ErrorMsg().c_str());
    return FOk;
  }
  TfsScript& Script() { return FScript; }

private:
  TfsScript FScript;
  bool FOk = false;
};

// The report's variables as the two Get functions see them.
std::map<std::string, Variant>& Variables()
{
  static std::map<std::string, Variant> values = {{"a", Variant(21)}, {"b", Variant("hello")}};
  return values;
}

const Integer LoopRounds = 10000000;
const Integer AppendRounds = 100000;

void BM_Loop_Script(benchmark::State& state)
{
  TProgram p("var i, s: Integer;\r\n"
             "begin\r\n"
             "  s := 0;\r\n"
             "  for i := 1 to 10000000 do\r\n"
             "    s := s + i;\r\n"
             "end.");
  if (!p.Ok(state))
    return;
  for (auto _ : state)
    p.Script().RunScript();
  state.counters["rounds/s"] =
      benchmark::Counter(LoopRounds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Loop_Script)->Unit(benchmark::kMillisecond);

void BM_Fib_Script(benchmark::State& state)
{
  TProgram p("var r: Integer;\r\n"
             "function Fib(n: Integer): Integer;\r\n"
             "begin\r\n"
             "  if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2)\r\n"
             "end;\r\n"
             "begin r := Fib(27) end.");
  if (!p.Ok(state))
    return;
  for (auto _ : state)
    p.Script().RunScript();
  if (p.Script().LookupOwnItem("r")->GetValue().AsInteger() != 196418)
    state.SkipWithError("wrong value");
}
BENCHMARK(BM_Fib_Script)->Unit(benchmark::kMillisecond);

void BM_Append_Script(benchmark::State& state)
{
  TProgram p("var s, x: String; i: Integer;\r\n"
             "begin\r\n"
             "  s := ''; x := 'ab';\r\n"
             "  for i := 1 to 100000 do\r\n"
             "    s := s + x;\r\n"
             "end.");
  if (!p.Ok(state))
    return;
  for (auto _ : state)
    p.Script().RunScript();
  if (VarToStr(p.Script().LookupOwnItem("s")->GetValue()).size() != 2 * AppendRounds)
    state.SkipWithError("wrong length");
}
BENCHMARK(BM_Append_Script)->Unit(benchmark::kMillisecond);

// <a> * 2 + Length(<b>), compiled once as the report's expression cache does, run each time.
void BM_GetExpression_Script(benchmark::State& state)
{
  StartUnits();
  TfsScript host;
  host.SetParent(GlobalScriptUnit());
  // The host function reads its argument in place (no argument array per call).
  host.RegisterScriptMethod("function Get(Name: String): Variant", "ctOther", "",
                            [](TObject*, TClass, const AnsiString&, TfsCallArgs& args) -> Variant {
                              auto& vars = Variables();
                              const Variant& name = args[0];
                              auto it = VarType(name) == varString ? vars.find(name.StringRef())
                                                                   : vars.find(VarToStr(name));
                              return it == vars.end() ? Null() : it->second;
                            });
  TProgram p("function F: Variant; begin Result := <a> * 2 + Length(<b>) end; begin end.", &host);
  if (!p.Ok(state))
    return;
  TfsCustomVariable* f = p.Script().LookupOwnItem("F");
  for (auto _ : state) {
    Variant v = f->GetValue();
    benchmark::DoNotOptimize(v);
  }
  if (f->GetValue().AsInteger() != 47)
    state.SkipWithError("wrong value");
}
BENCHMARK(BM_GetExpression_Script);

// A new expression text each time: compiled and run once.
void BM_NewExpression_Script(benchmark::State& state)
{
  StartUnits();
  TfsScript script;
  script.SetParent(GlobalScriptUnit());
  for (auto _ : state) {
    Variant v = script.EvaluateExpressionText("21 * 2 + Length('hello')");
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_NewExpression_Script)->Unit(benchmark::kMicrosecond);

#ifdef QH_HAVE_LUA

// A Lua state with the standard libraries and Get.
class TLua {
public:
  TLua()
  {
    L = luaL_newstate();
    luaL_openlibs(L);
    lua_register(L, "Get", &Get);
  }
  ~TLua() { lua_close(L); }
  // Compiles text and leaves the function on the stack.
  bool Load(const char* text) { return luaL_loadstring(L, text) == LUA_OK; }
  bool Run(const char* text)
  {
    if (luaL_loadstring(L, text) != LUA_OK)
      return false;
    return lua_pcall(L, 0, 0, 0) == LUA_OK;
  }
  lua_State* L;

private:
  static int Get(lua_State* L)
  {
    auto& vars = Variables();
    auto it = vars.find(luaL_checkstring(L, 1));
    if (it == vars.end()) {
      lua_pushnil(L);
    } else if (VarType(it->second) == varString) {
      const AnsiString& text = it->second.StringRef();
      lua_pushlstring(L, text.data(), text.size());
    } else {
      lua_pushinteger(L, it->second.AsInt64());
    }
    return 1;
  }
};

void RunLuaChunk(benchmark::State& state, const char* text)
{
  TLua lua;
  if (!lua.Load(text)) {
    state.SkipWithError(lua_tostring(lua.L, -1));
    return;
  }
  for (auto _ : state) {
    lua_pushvalue(lua.L, -1);
    if (lua_pcall(lua.L, 0, 0, 0) != LUA_OK) {
      state.SkipWithError(lua_tostring(lua.L, -1));
      return;
    }
  }
}

void BM_Loop_Lua(benchmark::State& state)
{
  RunLuaChunk(state, "local s = 0 for i = 1, 10000000 do s = s + i end");
  state.counters["rounds/s"] =
      benchmark::Counter(LoopRounds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Loop_Lua)->Unit(benchmark::kMillisecond);

void BM_Fib_Lua(benchmark::State& state)
{
  RunLuaChunk(state, "local function fib(n) if n < 2 then return n end "
                     "return fib(n - 1) + fib(n - 2) end local r = fib(27)");
}
BENCHMARK(BM_Fib_Lua)->Unit(benchmark::kMillisecond);

void BM_Append_Lua(benchmark::State& state)
{
  RunLuaChunk(state, "local s, x = '', 'ab' for i = 1, 100000 do s = s .. x end");
}
BENCHMARK(BM_Append_Lua)->Unit(benchmark::kMillisecond);

void BM_GetExpression_Lua(benchmark::State& state)
{
  TLua lua;
  if (!lua.Load("return Get('a') * 2 + string.len(Get('b'))")) {
    state.SkipWithError(lua_tostring(lua.L, -1));
    return;
  }
  for (auto _ : state) {
    lua_pushvalue(lua.L, -1);
    lua_pcall(lua.L, 0, 1, 0);
    benchmark::DoNotOptimize(lua_tointeger(lua.L, -1));
    lua_pop(lua.L, 1);
  }
}
BENCHMARK(BM_GetExpression_Lua);

void BM_NewExpression_Lua(benchmark::State& state)
{
  TLua lua;
  for (auto _ : state) {
    luaL_loadstring(lua.L, "return 21 * 2 + string.len('hello')");
    lua_pcall(lua.L, 0, 1, 0);
    benchmark::DoNotOptimize(lua_tointeger(lua.L, -1));
    lua_pop(lua.L, 1);
  }
}
BENCHMARK(BM_NewExpression_Lua)->Unit(benchmark::kMicrosecond);

#endif

} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TRatioReporter reporter("Script", "Lua", "Script time over Lua time (same run)");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
