// Fuzz targets "script-pascal", "script-cpp", "script-js" and "script-basic": the input as a
// script in one language (report/script), compiled and, when it compiles, run with a limit
// on the statements executed. A compile that fails must say why and where.
#include <memory>

#include "report/script/fsScript.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// Statements a fuzzed script may run before it is stopped.
constexpr Integer StepLimit = 20000;

// Ends a run that reached the step limit. Not an Exception, so that no try/except of the
// script can catch it and go on.
struct TStepLimitReached {};

void CompileAndRun(const std::string& Input, const char* Language)
{
  auto host = std::make_unique<TfsScript>();
  host->SetParent(GlobalScriptUnit());
  auto script = std::make_unique<TfsScript>();
  script->SetParent(host.get());
  script->SetSyntaxType(Language);
  Integer steps = 0;
  host->OnRunLine = [&steps](TfsScript*, const AnsiString&, const AnsiString&) {
    if (++steps > StepLimit)
      throw TStepLimitReached();
  };
  script->Lines()->SetText(Input);
  if (!script->CompileScript()) {
    FuzzCheck(!script->ErrorMsg().empty(), "a failed compile has no error message");
    FuzzCheck(!script->ErrorPos().empty(), "a failed compile has no error position");
    return;
  }
  try {
    script->RunScript();
  } catch (const TStepLimitReached&) {
  }
}

void FuzzPascal(const std::string& Input)
{
  CompileAndRun(Input, "PascalScript");
}

void FuzzCpp(const std::string& Input)
{
  CompileAndRun(Input, "C++Script");
}

void FuzzJs(const std::string& Input)
{
  CompileAndRun(Input, "JScript");
}

void FuzzBasic(const std::string& Input)
{
  CompileAndRun(Input, "BasicScript");
}

} // namespace

QH_FUZZ_TARGET("script-pascal", FuzzPascal, "script-pascal/*;script/*.pas");
QH_FUZZ_TARGET("script-cpp", FuzzCpp, "script-cpp/*;script/*.cpps");
QH_FUZZ_TARGET("script-js", FuzzJs, "script-js/*;script/*.js");
QH_FUZZ_TARGET("script-basic", FuzzBasic, "script-basic/*;script/*.bas");
