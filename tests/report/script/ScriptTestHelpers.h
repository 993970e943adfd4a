// Shared helpers of the script engine tests: compile and run a program in a language and
// collect what it logs through the test function Log.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/rtl/Lists.h"
#include "report/script/fsScript.h"

// A script under test. Its parent holds Log(v), which appends the value's text
// (comma-separated) to Output, and has the global unit as its parent.
class TTestScript {
public:
  explicit TTestScript(const char* language = "PascalScript")
  {
    Host = std::make_unique<TfsScript>();
    Host->SetParent(GlobalScriptUnit());
    Script = std::make_unique<TfsScript>();
    Script->SetParent(Host.get());
    Script->SetSyntaxType(language);
    Host->RegisterScriptMethod(
        "procedure Log(v: Variant)", "ctOther", "",
        [this](TObject*, TClass, const AnsiString&, Variant& params) -> Variant {
          if (!Output.empty())
            Output += ",";
          Output += VarToStr(VarArrayGet(params, {0}));
          return Null();
        });
  }

  // Compiles text into the emptied script; false with the error in Error ("message at pos").
  bool Compile(const std::string& text)
  {
    Script->ClearItems();
    Script->Lines()->SetText(text);
    const bool ok = Script->CompileScript();
    Error = ok ? std::string() : Script->ErrorMsg() + " at " + Script->ErrorPos();
    return ok;
  }

  // Compiles and runs; returns the log, or "compile: <error>" / "run: <message>".
  std::string Run(const std::string& text)
  {
    if (!Compile(text))
      return "compile: " + Error;
    return RunAgain();
  }

  std::string RunAgain()
  {
    Output.clear();
    try {
      Script->RunScript();
    } catch (const Exception& e) {
      return Output + (Output.empty() ? "" : "|") + "run: " + e.Message();
    }
    return Output;
  }

  std::unique_ptr<TfsScript> Host;
  std::unique_ptr<TfsScript> Script;
  std::string Output;
  std::string Error;
};
