// The built-in function library every script can call: conversions, dates, formatting,
// math, strings and a few others, with the Variant kind constants, registered in
// GlobalScriptUnit under their catalogue categories.
#pragma once

#include "platform/rtl/Object.h"
#include "platform/rtl/Variants.h"

class TfsCallArgs;

// Registers the library on GlobalScriptUnit (owner: itself); destroying it removes what it
// registered, when the global unit still exists.
class TFunctions : public TObject {
public:
  TFunctions();
  ~TFunctions() override;

private:
  Variant CallConv(TObject* instance, TClass classType, const AnsiString& name,
                   TfsCallArgs& params);
  Variant CallDate(TObject* instance, TClass classType, const AnsiString& name,
                   TfsCallArgs& params);
  Variant CallFormat(TObject* instance, TClass classType, const AnsiString& name,
                     TfsCallArgs& params);
  Variant CallMath(TObject* instance, TClass classType, const AnsiString& name,
                   TfsCallArgs& params);
  Variant CallOther(TObject* instance, TClass classType, const AnsiString& name,
                    TfsCallArgs& params);
  Variant CallString(TObject* instance, TClass classType, const AnsiString& name,
                     TfsCallArgs& params);
};

// ShowMessage shows its text through this procedure, which the program's user interface
// installs; without one the call does nothing.
using TfsShowMessageProc = void (*)(const AnsiString& text);
void SetScriptShowMessage(TfsShowMessageProc proc);

void InitializeScriptFunctions();
void FinalizeScriptFunctions();
