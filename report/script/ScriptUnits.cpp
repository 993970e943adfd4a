// The script engine's units in the system's unit order: the tool unit with the language
// registry, the interpreter with the global script, then the four grammars (so the
// languages are listed in this order) and the built-in function library.
#include "platform/rtl/Units.h"
#include "report/script/ScriptLanguages.h"
#include "report/script/fsFunctions.h"
#include "report/script/fsILParser.h"
#include "report/script/fsScript.h"
#include "report/script/fsScriptUnits.h"

void RegisterScriptUnits()
{
  RegisterUnit("fs_tools", InitializeScriptLanguages, [] {
    ClearScriptGrammars();
    FinalizeScriptLanguages();
  });
  RegisterUnit("fs_interpreter", InitializeScriptInterpreter, FinalizeScriptInterpreter);
  RegisterUnit(
      "fs_jscript", [] { RegisterScriptLanguage("JScript", fsJScriptGrammar); }, nullptr);
  RegisterUnit(
      "fs_basic", [] { RegisterScriptLanguage("BasicScript", fsBasicScriptGrammar); }, nullptr);
  RegisterUnit(
      "fs_cpp", [] { RegisterScriptLanguage("C++Script", fsCPPScriptGrammar); }, nullptr);
  RegisterUnit(
      "fs_pascal", [] { RegisterScriptLanguage("PascalScript", fsPascalScriptGrammar); }, nullptr);
  RegisterUnit("fs_functions", InitializeScriptFunctions, FinalizeScriptFunctions);
  RegisterUnit("fs_classes", InitializeScriptClassesUnit, FinalizeScriptClassesUnit);
}
