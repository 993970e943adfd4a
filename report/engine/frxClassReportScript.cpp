// How a report evaluates its expressions and prepares its script: Calc, the name look-ups
// that bypass the compiler, the expression cache, the script binding of a build, script
// events and user functions. frxClass.h describes the report; the script engine is
// report/script.
#include <unordered_map>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxVariables.h"
#include "report/script/fsScript.h"

// ---- The expression cache ----

// The compiled expressions by their exact text; each keeps the stamp its compile put on
// the items it declared.
struct TfrxExpressionCache::TEntries {
  struct TEntry {
    TfsCustomVariable* Function;
    std::unique_ptr<TObject> Stamp;
  };
  std::unordered_map<AnsiString, TEntry> Map;
};

TfrxExpressionCache::TfrxExpressionCache()
    : FScript(std::make_unique<TfsScript>()), FEntries(std::make_unique<TEntries>())
{
}

TfrxExpressionCache::~TfrxExpressionCache()
{
  // The compiled items go before the stamps they carry.
  FScript.reset();
}

void TfrxExpressionCache::Clear()
{
  FScript->ClearItems();
  FEntries->Map.clear();
}

Integer TfrxExpressionCache::Count() const
{
  return static_cast<Integer>(FEntries->Map.size());
}

Variant TfrxExpressionCache::Calc(const AnsiString& Expression, AnsiString& ErrorText,
                                  TfsScript* Script)
{
  ErrorText.clear();
  FScript->SetParent(Script);
  if (auto it = FEntries->Map.find(Expression); it != FEntries->Map.end())
    return it->second.Function ? it->second.Function->GetValue() : Null();

  const AnsiString name = "_f" + IntToStr(FNextIndex++);
  auto lines = std::make_unique<TStringList>();
  lines->SetText("function " + name + ": Variant; begin Result := " + Expression +
                 " end; begin end.");
  FScript->SetLines(lines.get());
  FScript->SetSyntaxType("PascalScript");
  auto stamp = std::make_unique<TObject>();
  FScript->SetAddedBy(stamp.get());
  const bool compiled = FScript->CompileScript();
  FScript->SetAddedBy(nullptr);
  if (!compiled) {
    ErrorText =
        ReportResources()->Lookup("clExprError") + " '" + Expression + "': " + FScript->ErrorMsg();
    FScript->RemoveItemsOwnedBy(stamp.get());
    return Null();
  }
  TfsCustomVariable* function = FScript->LookupOwnItem(name);
  FEntries->Map[Expression] = {function, std::move(stamp)};
  return function ? function->GetValue() : Null();
}

namespace {

bool IsAggregateCall(const AnsiString& Text)
{
  const size_t open = Text.find('(');
  if (open == AnsiString::npos)
    return false;
  const AnsiString name = UpperCase(Trim(Text.substr(0, open)));
  return name == "SUM" || name == "MIN" || name == "MAX" || name == "AVG" || name == "COUNT";
}

// The argument Index of a call's argument array; Empty when the call has fewer.
Variant Argument(const Variant& Params, Integer Index)
{
  if (!VarIsArray(Params) || Index > VarArrayHighBound(Params, 1))
    return Unassigned();
  return VarArrayGet(Params, {Index});
}

} // namespace

// ---- Calc and the name look-ups ----

Variant TfrxReport::Calc(const AnsiString& Expr, TfsScript* AScript)
{
  Variant value;
  if (LookupReportValue(Expr, value))
    return value;
  AnsiString error;
  value = FExpressionCache->Calc(Expr, error, AScript ? AScript : FScript.get());
  if (error.empty())
    return value;
  if (!FCurrentObjectName.empty())
    error = FCurrentObjectName + ": " + error;
  FErrors->Add(error);
  throw Exception(error);
}

bool TfrxReport::EnterVariable(const AnsiString& Name)
{
  for (const AnsiString& name : FVariablesInUse)
    if (SameText(name, Name))
      return false;
  FVariablesInUse.push_back(Name);
  return true;
}

void TfrxReport::LeaveVariable(const AnsiString& Name)
{
  for (auto it = FVariablesInUse.rbegin(); it != FVariablesInUse.rend(); ++it)
    if (SameText(*it, Name)) {
      FVariablesInUse.erase(std::next(it).base());
      return;
    }
}

bool TfrxReport::LookupReportValue(const AnsiString& Name, Variant& Value)
{
  Value = Null();

  TfrxDataSet* ds;
  AnsiString field;
  SplitDataSetField(Name, ds, field);
  if (ds && !field.empty()) {
    Value = ds->Value(field);
    if (FEngineOptions->ConvertNulls() && VarIsNull(Value)) {
      switch (ds->FieldType(field)) {
      case fftNumeric:
        Value = Variant(0);
        break;
      case fftString:
        Value = Variant(AnsiString());
        break;
      case fftBoolean:
        Value = Variant(false);
        break;
      }
    }
    return true;
  }

  switch (FSystemVariables->IndexOf(Name)) {
  case 0:
    Value = VarFromDateTime(FEngine->StartDate());
    return true;
  case 1:
    Value = VarFromDateTime(FEngine->StartTime());
    return true;
  case 2:
    Value = Variant(FPreviewPages->CurPage() - FPreviewPages->FirstPage() + 1);
    return true;
  case 3:
    Value = Variant(FPreviewPages->CurPage() + 1);
    return true;
  case 4:
    Value = Variant(FEngine->TotalPages() - FPreviewPages->FirstPage());
    return true;
  case 5:
    Value = Variant(FEngine->TotalPages());
    return true;
  case 6:
    Value = Variant(FEngine->CurLine());
    return true;
  case 7:
    Value = Variant(FEngine->CurLineThrough());
    return true;
  default:
    break;
  }

  if (OnGetValue) {
    Variant supplied = Unassigned();
    OnGetValue(Name, supplied);
    if (!VarIsEmpty(supplied)) {
      Value = supplied;
      return true;
    }
  }

  if (const Integer index = FVariables->IndexOf(Name); index >= 0) {
    const Variant stored = FVariables->Items(index)->Value();
    if (!VarIsStr(stored)) {
      Value = stored;
      return true;
    }
    // A text is itself an expression; one that comes back to a variable being evaluated
    // would never end.
    if (!EnterVariable(Name)) {
      AnsiString error = ReportResources()->Lookup("clExprError") + " '" + Name + "'";
      if (!FCurrentObjectName.empty())
        error = FCurrentObjectName + ": " + error;
      FErrors->Add(error);
      throw Exception(error);
    }
    TScopeExit leave([this, &Name] { LeaveVariable(Name); });
    Value = Calc(VarToStr(stored), FScript.get());
    return true;
  }

  if (TfsCustomVariable* item = FScript->LookupOwnItem(Name)) {
    Value = item->GetValue();
    return true;
  }
  return false;
}

// ---- The report script ----

bool TfrxReport::BindReportScript()
{
  if (!FBinding)
    FBinding = std::make_unique<TScriptBinding>();
  FExpressionCache->Clear();
  FEngine->NotifyList()->Clear();
  FValueVariable = nullptr;
  FScript->ClearItemsOwnedBy(this);
  // What the last compile declared goes too, or a second build would declare it again.
  FScript->ClearItemsOwnedBy(&FBinding->Compiled);

  {
    FScript->SetAddedBy(this);
    TScopeExit noOwner([this] { FScript->SetAddedBy(nullptr); });
    TList* all = AllObjects();
    for (Integer i = 0; i < all->Count(); ++i) {
      auto* obj = static_cast<TfrxComponent*>(all->Items(i));
      obj->ResetBuildState();
      if (!obj->Name().empty())
        FScript->RegisterScriptObject(obj->Name(), obj);
    }
    FScript->RegisterScriptObject("Report", this);
    FScript->RegisterScriptObject("Engine", FEngine.get());
    FScript->RegisterScriptObject("Outline", FPreviewPages->Outline());
    FScript->RegisterScriptVariable("Value", "Variant", Null());

    auto get = [this](TObject*, TClass, const AnsiString&, Variant& Params) -> Variant {
      const AnsiString name = VarToStr(Argument(Params, 0));
      Variant value;
      if (LookupReportValue(name, value))
        return value;
      if (IsAggregateCall(name))
        return Calc(name);
      FErrors->Add(ReportResources()->Lookup("clUnknownVar") + " " + name);
      return Null();
    };
    auto set = [this](TObject*, TClass, const AnsiString&, Variant& Params) -> Variant {
      FVariables->SetVariables(VarToStr(Argument(Params, 0)), Argument(Params, 1));
      return Null();
    };
    auto macro = [this](TObject*, TClass, const AnsiString& Name, Variant& Params) -> Variant {
      TfsScript* running = FScript->ProgRunning ? FScript->ProgRunning : FScript.get();
      auto text = [&Params](Integer Index) { return Trim(VarToStr(Argument(Params, Index))); };
      if (Name == "IIF")
        return Calc(text(1 + (Calc(text(0), running).AsBoolean() ? 0 : 1)), running);
      // The band and the flags: an empty text is 0, anything else is evaluated.
      auto integerOf = [&](const AnsiString& Text) -> Variant {
        return Text.empty() ? Variant(0) : Calc(Text, running);
      };
      const bool count = Name == "COUNT";
      const AnsiString expression = count ? AnsiString() : text(0);
      const Variant band = integerOf(text(count ? 0 : 1));
      const Variant flags = integerOf(text(count ? 1 : 2));
      auto* bandObj = dynamic_cast<TfrxComponent*>(
          VarIsNumeric(band) && band.AsInteger() != 0 ? VarToObject(band) : nullptr);
      Variant value = Null();
      FEngine->AggregateValue(Name, expression, value, flags.AsInteger(), bandObj);
      return value;
    };
    FScript->RegisterScriptMethod("function Get(Name: String): Variant", "", "", get);
    FScript->RegisterScriptMethod("procedure Set(Name: String; Value: Variant)", "", "", set);
    for (const char* signature :
         {"macrofunction IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant",
          "macrofunction SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
          "macrofunction AVG(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
          "macrofunction MIN(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
          "macrofunction MAX(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
          "macrofunction COUNT(Band: Variant = 0; Flags: Integer = 0): Variant"})
      FScript->RegisterScriptMethod(signature, "", "", macro);
  }
  FValueVariable = FScript->LookupOwnItem("Value");

  FScript->SetLines(FScriptText.get());
  FScript->SetSyntaxType(FScriptLanguage);
  FScript->SetAddedBy(&FBinding->Compiled);
  const bool compiled = FScript->CompileScript();
  FScript->SetAddedBy(nullptr);
  if (!compiled)
    FErrors->Add(Format(ReportResources()->Lookup("clScrError"),
                        {FScript->ErrorPos(), FScript->ErrorMsg()}));
  return compiled;
}

void TfrxReport::RunScriptEvent(TObject* Sender, const AnsiString& Handler, bool Force)
{
  if (Handler.empty() || (!Force && !FEngine->Running()))
    return;
  FScript->CallScriptFunction(Handler, VarArrayOf({VarFromObject(Sender)}));
}

void TfrxReport::CallScriptEvent(const AnsiString& Handler, Variant& Params, bool Force)
{
  if (Handler.empty() || (!Force && !FEngine->Running()))
    return;
  FScript->CallScriptFunctionVar(Handler, Params);
}

void TfrxReport::DoBeforePrint(TfrxReportComponent* Obj)
{
  if (OnBeforePrint)
    OnBeforePrint(Obj);
  if (auto* view = dynamic_cast<TfrxView*>(Obj))
    RunScriptEvent(Obj, view->OnBeforePrint);
  else if (auto* band = dynamic_cast<TfrxBand*>(Obj))
    RunScriptEvent(Obj, band->OnBeforePrint);
}

void TfrxReport::DoAfterPrint(TfrxReportComponent* Obj)
{
  if (OnAfterPrint)
    OnAfterPrint(Obj);
  if (auto* view = dynamic_cast<TfrxView*>(Obj))
    RunScriptEvent(Obj, view->OnAfterPrint);
  else if (auto* band = dynamic_cast<TfrxBand*>(Obj))
    RunScriptEvent(Obj, band->OnAfterPrint);
}

void TfrxReport::DoPreviewClick(TfrxView* View, TMouseButton Button, TShiftState Shift,
                                bool& Modified)
{
  Variant params = VarArrayOf({VarFromObject(View), Variant(static_cast<Integer>(Button)),
                               Variant(static_cast<Integer>(Shift.Raw())), Variant(Modified)});
  CallScriptEvent(View->OnPreviewClick, params, true);
  Modified = VarArrayGet(params, {3}).AsBoolean();
  if (OnClickObject)
    OnClickObject(View, Button, Shift, Modified);
}

void TfrxReport::RegisterUserFunction(const AnsiString& Signature, const AnsiString& Category,
                                      const AnsiString& Description)
{
  TObject* owner = FScript->AddedBy();
  FScript->SetAddedBy(nullptr);
  TScopeExit restore([this, owner] { FScript->SetAddedBy(owner); });
  FScript->RegisterScriptMethod(
      Signature, Category, Description,
      [this](TObject*, TClass, const AnsiString& Name, Variant& Params) -> Variant {
        return OnUserFunction ? OnUserFunction(Name, Params) : Null();
      });
}

void TfrxReport::SetScriptValue(const Variant& Value)
{
  if (FValueVariable)
    FValueVariable->SetValue(Value);
}
