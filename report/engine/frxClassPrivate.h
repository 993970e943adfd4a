// Helpers shared by the files of the report object unit (frxClassComponent.cpp,
// frxClassViews.cpp, frxClassMemo.cpp ...): pieces of difference texts, the expansion of
// bracketed expressions and the class registration of each part. Not part of the library's
// interface: only those files include it. frxClass.h is the public side.
#pragma once

#include <functional>

#include "platform/rtl/Classes.h"
#include "report/engine/frxClass.h"

namespace frxclass {

// Appends ' Name="Value"' to a difference text.
void AddDiff(AnsiString& Result, const char* Name, const AnsiString& Value);
// A flag as difference texts write it: "1" or "0".
AnsiString BoolText(bool Value);
// Whether two positions or sizes differ by more than the difference texts' tolerance.
bool FloatDiffers(Extended a, Extended b);

// Replaces every expression between Open and Close in Text by Evaluate(expression),
// scanning on after each inserted value. Double-byte characters are stepped over whole;
// an expression without its closing delimiter raises the expression error.
AnsiString ExpandExpressions(AnsiString Text, const AnsiString& Open, const AnsiString& Close,
                             const std::function<AnsiString(const AnsiString&)>& Evaluate);

// The class records of each part, registered by RegisterReportClasses in this order (a
// class's parent and the classes its properties refer to come first).
void RegisterComponentClasses();
void RegisterSettingsClasses();
void RegisterDataSetClasses();
void RegisterPageClasses();
void RegisterViewClasses();
void RegisterMemoClasses();
void RegisterBandClasses();
void RegisterPartnerClasses();
void RegisterReportClass();

} // namespace frxclass

// What a report's script binding keeps between builds.
class TfrxReport::TScriptBinding {
public:
  // The stamp on what a compile of the report script declared, so that the next
  // preparation can take exactly that away.
  TObject Compiled;
};
