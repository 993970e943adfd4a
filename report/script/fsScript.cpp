// The program model: items, the name table with its parent chain, routine calls, the
// indexing helpers, bound functions, and the script's compile/run/stop/evaluate entry
// points. fsScript.h describes the model.
#include "report/script/fsScript.h"

#include <algorithm>
#include <pthread.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"
#include "report/script/ScriptLanguages.h"
#include "report/script/fsEvents.h"
#include "report/script/fsStatement.h"
#include "report/script/fsTools.h"

namespace {

// Stack left below the current frame before the engine refuses to go deeper.
constexpr size_t StackSafetyMargin = 512 * 1024;

// Owned by the interpreter unit: created on first use, freed by its finalization. It is no
// static object with a destructor, so a program that ends without finalizing its units
// cannot free it before other units' statics that still reach it.
TfsScript* GlobalUnit = nullptr;
bool InterpreterFinalized = false;

} // namespace

// ---- TfsStackGuard ----

thread_local Integer TfsStackGuard::FDepth = 0;
thread_local const char* TfsStackGuard::FStackFloor = nullptr;
thread_local bool TfsStackGuard::FStackFloorKnown = false;

const char* TfsStackGuard::FindStackFloor()
{
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* addr = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &addr, &size) == 0 && size > StackSafetyMargin)
      FStackFloor = static_cast<const char*>(addr) + StackSafetyMargin;
    pthread_attr_destroy(&attr);
  }
  FStackFloorKnown = true;
  return FStackFloor;
}

void TfsStackGuard::RaiseStackOverflow()
{
  RaiseScriptError(SStackOverflow);
}

void RaiseScriptError(const AnsiString& message)
{
  throw Exception(message);
}

// ---- TfsItemList ----

TfsItemList::~TfsItemList()
{
  TfsItemList::Clear();
}

void TfsItemList::Clear()
{
  // A child's destructor may look at the list (a parameter leaving its routine), so the
  // list is emptied before the children die.
  std::vector<std::unique_ptr<TObject>> items;
  items.swap(FItems);
}

std::unique_ptr<TObject> TfsItemList::Remove(TObject* item)
{
  auto it = std::find_if(FItems.begin(), FItems.end(),
                         [item](const std::unique_ptr<TObject>& p) { return p.get() == item; });
  if (it == FItems.end())
    return nullptr;
  std::unique_ptr<TObject> result = std::move(*it);
  FItems.erase(it);
  return result;
}

// ---- TfsCustomVariable and the plain items ----

TfsCustomVariable::TfsCustomVariable(const AnsiString& name, TfsVarType typ,
                                     const AnsiString& typeName)
    : FName(name), FTyp(typ), FTypeName(typeName), FValue(Null())
{
}

void TfsCustomVariable::SetValue(const Variant& value)
{
  if (!FIsReadOnly)
    FValue = value;
}

Variant TfsCustomVariable::GetValue()
{
  return FValue;
}

TfsParamItem* TfsCustomVariable::Params(Integer index) const
{
  return static_cast<TfsParamItem*>(Items(index));
}

Variant* TfsCustomVariable::PlainStorage()
{
  const std::type_info& type = typeid(*this);
  if (type == typeid(TfsVariable) || type == typeid(TfsParamItem) ||
      type == typeid(TfsStringVariable))
    return &FValue;
  return nullptr;
}

TfsStringVariable::TfsStringVariable(const AnsiString& name, TfsVarType typ,
                                     const AnsiString& typeName)
    : TfsVariable(name, typ, typeName)
{
  FValue = Variant(AnsiString());
}

void TfsStringVariable::SetValue(const Variant& value)
{
  if (FIsReadOnly)
    return;
  if (value.Type() == varString)
    FValue = value;
  else
    FValue = Variant(VarToStr(value));
}

TfsParamItem::TfsParamItem(const AnsiString& name, TfsVarType typ, const AnsiString& typeName,
                           bool isOptional, bool isVarParam)
    : TfsCustomVariable(name, typ, typeName), FDefValue(Null()), FIsOptional(isOptional),
      FIsVarParam(isVarParam)
{
}

// ---- routines ----

TfsProcVariable::TfsProcVariable(const AnsiString& name, TfsVarType typ, const AnsiString& typeName,
                                 TfsScript* parentScript, bool isFunc)
    : TfsCustomVariable(name, typ, typeName), FIsFunc(isFunc),
      FProgram(std::make_unique<TfsScript>())
{
  FIsReadOnly = true;
  FProgram->SetParent(parentScript);
  if (FIsFunc)
    FRefItem = FProgram->AddItem("Result", std::make_unique<TfsVariable>("Result", typ, typeName));
}

// The parameters are children of the routine; the local script's table only refers to them.
TfsProcVariable::~TfsProcVariable()
{
  TfsCustomEvent::HandlerDestroyed(this);
  for (const auto& param : FItems)
    FProgram->RemoveItem(static_cast<TfsCustomVariable*>(param.get()));
  FProgram.reset();
}

const std::vector<TfsProcVariable::TFrameItem>& TfsProcVariable::RebuildFrame()
{
  FFrameItems.clear();
  for (Integer i = 0; i < FProgram->ItemCount(); ++i) {
    TfsCustomVariable* item = FProgram->ItemAt(i);
    if (!item->IsReadOnly() &&
        (dynamic_cast<TfsVariable*>(item) || dynamic_cast<TfsParamItem*>(item)))
      FFrameItems.push_back({item, item->PlainStorage()});
  }
  FFrameVersion = FProgram->TableVersion();
  return FFrameItems;
}

TfsParamItem* TfsProcVariable::AddParam(std::unique_ptr<TfsParamItem> param)
{
  TfsParamItem* raw = Add(std::move(param));
  FProgram->AddItemReference(raw->Name(), raw);
  return raw;
}

// Runs the body in the local script. The control flags are cleared on entry and on the
// way out, so a stray break or continue can never leak into a later call; the main
// program's running local script and the executing flag are restored also on failure.
Variant TfsProcVariable::GetValue()
{
  TfsStackGuard depth;
  TfsScript* prog = FProgram.get();
  TfsScript* mainProg = nullptr;
  for (TfsScript* s = prog; s; s = s->Parent())
    if (s->MainProg) {
      mainProg = s;
      break;
    }

  struct TCallScope {
    TfsProcVariable* Proc;
    TfsScript* Prog;
    TfsScript* Main;
    TfsScript* SavedRunning;
    bool SavedExecuting;
    ~TCallScope()
    {
      Prog->ExitCalled = Prog->Terminated = Prog->BreakCalled = Prog->ContinueCalled = false;
      Prog->IsRunning = false;
      if (Main)
        Main->ProgRunning = SavedRunning;
      Proc->FExecuting = SavedExecuting;
    }
  } scope{this, prog, mainProg, mainProg ? mainProg->ProgRunning : nullptr, FExecuting};

  FExecuting = true;
  if (mainProg)
    mainProg->ProgRunning = prog;
  prog->ExitCalled = prog->Terminated = prog->BreakCalled = prog->ContinueCalled = false;
  prog->IsRunning = true;
  prog->Statement()->Execute();
  return FIsFunc ? FRefItem->GetValue() : Null();
}

// ---- indexing helpers ----

TfsArrayHelper::TfsArrayHelper(const AnsiString& name, Integer paramCount, TfsVarType typ,
                               const AnsiString& typeName)
    : TfsCustomHelper(name, typ, typeName)
{
  if (paramCount < 0) {
    Add(std::make_unique<TfsParamItem>("", fvtInt, "", false, false));
    for (Integer i = 0; i < 2; ++i)
      Add(std::make_unique<TfsParamItem>("", fvtInt, "", true, false))->SetDefValue(Variant(0));
    return;
  }
  for (Integer i = 0; i < paramCount; ++i)
    Add(std::make_unique<TfsParamItem>("", fvtInt, "", false, false));
}

namespace {

// The indices of an array helper call for an array of dims dimensions (1 to 3).
std::vector<Integer> ArrayIndices(TfsCustomVariable* helper, Integer dims)
{
  std::vector<Integer> indices;
  for (Integer i = 0; i < dims; ++i)
    indices.push_back(helper->Params(i)->GetValue().AsInteger());
  return indices;
}

} // namespace

Variant TfsArrayHelper::GetValue()
{
  Variant& array = FParentRef->StoredValue();
  const Integer dims = VarArrayDimCount(array);
  if (dims < 1 || dims > 3 || dims > Count())
    return Null();
  return VarArrayGet(array, ArrayIndices(this, dims));
}

void TfsArrayHelper::SetValue(const Variant& value)
{
  Variant& array = FParentRef->StoredValue();
  const Integer dims = VarArrayDimCount(array);
  if (dims < 1 || dims > 3 || dims > Count())
    return;
  VarArrayPut(array, value, ArrayIndices(this, dims));
}

TfsStringHelper::TfsStringHelper() : TfsCustomHelper("__StringHelper", fvtChar, "Char")
{
  Add(std::make_unique<TfsParamItem>("", fvtInt, "", false, false));
}

namespace {

// The 0-based offset of the 1-based character index into text; outside the text raises.
size_t CheckedCharIndex(const AnsiString& text, const Variant& index)
{
  const Integer i = index.AsInteger();
  if (i < 1 || static_cast<size_t>(i) > text.size())
    throw ERangeError(SRangeError);
  return static_cast<size_t>(i - 1);
}

} // namespace

Variant TfsStringHelper::GetValue()
{
  const AnsiString text = VarToStr(FParentValue);
  return Variant(AnsiString(1, text[CheckedCharIndex(text, Params(0)->GetValue())]));
}

void TfsStringHelper::SetValue(const Variant& value)
{
  AnsiString text = VarToStr(FParentValue);
  const size_t at = CheckedCharIndex(text, Params(0)->GetValue());
  const AnsiString ch = VarToStr(value);
  if (ch.empty())
    throw ERangeError(SRangeError);
  text[at] = ch[0];
  FParentRef->SetValue(Variant(text));
}

// ---- TfsScript ----

// The items a script owns, in the order they were added, and the sorted, case-insensitive
// name table over those that can be looked up. An item without a name, or one that lost to
// an earlier item of its name, is owned but never found.
struct TfsScript::TItemTable {
  struct TEntry {
    AnsiString Name;
    TfsCustomVariable* Item;
  };
  std::vector<TEntry> Names;
  std::vector<std::unique_ptr<TfsCustomVariable>> Owned;

  // The first entry whose name is not less than name; found tells whether it is equal.
  size_t LowerBound(const AnsiString& name, bool& found) const
  {
    size_t low = 0;
    size_t high = Names.size();
    while (low < high) {
      const size_t mid = (low + high) / 2;
      if (AnsiCompareText(Names[mid].Name, name) < 0)
        low = mid + 1;
      else
        high = mid;
    }
    found = low < Names.size() && AnsiCompareText(Names[low].Name, name) == 0;
    return low;
  }
  void Unname(const TfsCustomVariable* item)
  {
    for (auto it = Names.begin(); it != Names.end(); ++it)
      if (it->Item == item) {
        Names.erase(it);
        return;
      }
  }
};

TfsScript::TfsScript(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TItemTable>()),
      FLines(std::make_unique<TStringList>()), FSyntaxType("PascalScript"),
      FUnitLines(std::make_unique<TStringList>())
{
  FStatement = std::make_unique<TfsStatement>(this, AnsiString(), AnsiString());
  AddIndexingItems();
}

TfsScript::~TfsScript()
{
  ClearTable();
  FStatement.reset();
}

void TfsScript::AddOwnedItem(const AnsiString& name, std::unique_ptr<TfsCustomVariable> item)
{
  TfsCustomVariable* raw = FItems->Owned.emplace_back(std::move(item)).get();
  AddItemReference(name, raw);
}

void TfsScript::AddItemReference(const AnsiString& name, TfsCustomVariable* item)
{
  ++FTableVersion;
  item->SetAddedBy(FAddedBy);
  if (name.empty())
    return;
  bool found = false;
  const size_t at = FItems->LowerBound(name, found);
  if (!found)
    FItems->Names.insert(FItems->Names.begin() + static_cast<std::ptrdiff_t>(at), {name, item});
}

std::unique_ptr<TfsCustomVariable> TfsScript::RemoveItem(TfsCustomVariable* item)
{
  ++FTableVersion;
  FItems->Unname(item);
  auto& owned = FItems->Owned;
  auto it =
      std::find_if(owned.begin(), owned.end(), [item](const auto& p) { return p.get() == item; });
  if (it == owned.end())
    return nullptr;
  std::unique_ptr<TfsCustomVariable> result = std::move(*it);
  owned.erase(it);
  return result;
}

Integer TfsScript::ItemCount() const
{
  return static_cast<Integer>(FItems->Names.size());
}

TfsCustomVariable* TfsScript::ItemAt(Integer index) const
{
  return FItems->Names[static_cast<size_t>(index)].Item;
}

TfsCustomVariable* TfsScript::LookupOwnItem(const AnsiString& name) const
{
  bool found = false;
  const size_t at = FItems->LowerBound(name, found);
  return found ? FItems->Names[at].Item : nullptr;
}

TfsCustomVariable* TfsScript::LookupItem(const AnsiString& name) const
{
  for (const TfsScript* s = this; s; s = s->FParent)
    if (TfsCustomVariable* item = s->LookupOwnItem(name))
      return item;
  return nullptr;
}

TfsClassVariable* TfsScript::FindScriptClass(const AnsiString& name) const
{
  return dynamic_cast<TfsClassVariable*>(LookupItem(name));
}

void TfsScript::RemoveItemsOwnedBy(TObject* owner)
{
  ++FTableVersion;
  auto& names = FItems->Names;
  names.erase(std::remove_if(names.begin(), names.end(),
                             [owner](const auto& e) { return e.Item->AddedBy() == owner; }),
              names.end());
  // Taken out of the table first, then freed, the last added first.
  std::vector<std::unique_ptr<TfsCustomVariable>> dead;
  auto& owned = FItems->Owned;
  for (auto& item : owned)
    if (item->AddedBy() == owner)
      dead.push_back(std::move(item));
  owned.erase(std::remove(owned.begin(), owned.end(), nullptr), owned.end());
  while (!dead.empty())
    dead.pop_back();
}

void TfsScript::ClearTable()
{
  ++FTableVersion;
  // Statements refer to items, so they go first.
  FStatement->Clear();
  FUnitLines->Clear();
  std::vector<std::unique_ptr<TfsCustomVariable>> items;
  items.swap(FItems->Owned);
  FItems->Names.clear();
  while (!items.empty())
    items.pop_back();
}

void TfsScript::ClearItems()
{
  ClearTable();
  AddIndexingItems();
}

// Every script has the two items the compiler places in s[i] and a[i, j, k].
void TfsScript::AddIndexingItems()
{
  AddItem("__StringHelper", std::make_unique<TfsStringHelper>());
  AddItem("__ArrayHelper",
          std::make_unique<TfsArrayHelper>("__ArrayHelper", -1, fvtVariant, "Variant"));
}

void TfsScript::ClearItemsOwnedBy(TObject* owner)
{
  FStatement->Clear();
  RemoveItemsOwnedBy(owner);
  FUnitLines->Clear();
}

TStrings* TfsScript::Lines() const
{
  return FLines.get();
}

void TfsScript::SetLines(TStrings* value)
{
  FLines->Assign(value);
}

void TfsScript::SetError(const AnsiString& msg, const AnsiString& pos, const AnsiString& unit)
{
  FErrorMsg = msg;
  FErrorPos = pos;
  FErrorUnit = unit;
}

// ---- registration ----

void TfsScript::RegisterScriptType(const AnsiString& name, TfsVarType typ)
{
  if (LookupItem(name))
    return;
  AddItem(name, std::make_unique<TfsTypeVariable>(name, typ, ""));
}

void TfsScript::RegisterScriptConst(const AnsiString& name, const AnsiString& typeName,
                                    const Variant& value)
{
  if (LookupItem(name))
    return;
  auto item = std::make_unique<TfsVariable>(name, TypeNameToCode(typeName, this), typeName);
  item->SetValue(value);
  item->SetIsReadOnly(true);
  AddItem(name, std::move(item));
}

void TfsScript::RegisterScriptVariable(const AnsiString& name, const AnsiString& typeName,
                                       const Variant& value)
{
  if (LookupItem(name))
    return;
  auto item = std::make_unique<TfsVariable>(name, TypeNameToCode(typeName, this), typeName);
  item->SetValue(value);
  AddItem(name, std::move(item));
}

void TfsScript::RegisterScriptObject(const AnsiString& name, TObject* obj)
{
  RegisterScriptVariable(name, obj ? obj->ClassName() : AnsiString("TObject"), VarFromObject(obj));
}

namespace {

void RegisterEnumValues(TfsScript* script, const AnsiString& typeName, const AnsiString& names,
                        bool bitSet)
{
  script->AddItem(typeName, std::make_unique<TfsVariable>(typeName, fvtEnum, typeName));
  Integer value = 0;
  size_t i = 0;
  while (i < names.size()) {
    size_t end = names.find_first_of(", ", i);
    if (end == AnsiString::npos)
      end = names.size();
    const AnsiString name = Trim(names.substr(i, end - i));
    i = end + 1;
    if (name.empty())
      continue;
    auto item = std::make_unique<TfsVariable>(name, fvtEnum, typeName);
    item->SetValue(Variant(bitSet ? Integer(1) << (value & 31) : value));
    item->SetIsReadOnly(true);
    script->AddItem(name, std::move(item));
    ++value;
  }
}

} // namespace

void TfsScript::RegisterScriptEnum(const AnsiString& typeName, const AnsiString& names)
{
  RegisterEnumValues(this, typeName, names, false);
}

void TfsScript::RegisterScriptEnumSet(const AnsiString& typeName, const AnsiString& names)
{
  RegisterEnumValues(this, typeName, names, true);
}

// ---- compiling and running ----

bool TfsScript::CompileScript()
{
  FErrorMsg.clear();
  TfsILParser parser(this);
  parser.OnGetUnit = OnGetUnit;
  parser.SelectLanguage(FSyntaxType);
  if (parser.SourceToSyntaxXml(FLines->Text()))
    parser.SyntaxXmlToProgram();
  else
    SetError(parser.ErrorMsg(), parser.ErrorPos(), parser.ErrorUnit());
  if (!FErrorMsg.empty())
    return false;
  FErrorPos.clear();
  return true;
}

void TfsScript::RunScript()
{
  struct TRunScope {
    TfsScript* Script;
    ~TRunScope()
    {
      Script->ExitCalled = Script->Terminated = false;
      Script->BreakCalled = Script->ContinueCalled = false;
      Script->IsRunning = false;
    }
  } scope{this};
  ExitCalled = Terminated = BreakCalled = ContinueCalled = false;
  IsRunning = true;
  MainProg = true;
  FStatement->Execute();
}

void TfsScript::StopScript()
{
  ExitCalled = true;
  Terminated = true;
  for (Integer i = 0; i < ItemCount(); ++i)
    if (auto* proc = dynamic_cast<TfsProcVariable*>(ItemAt(i)))
      proc->Prog()->StopScript();
}

void TfsScript::RunLine(const AnsiString& unitName, const AnsiString& sourcePos)
{
  for (TfsScript* s = this; s; s = s->FParent)
    if (s->OnRunLine) {
      s->OnRunLine(this, unitName, sourcePos);
      return;
    }
}

namespace {

// The index of the executable-line entry of a unit ("unit=12,15,"), -1 when none.
Integer FindUnitLines(const TStringList* lines, const AnsiString& unitName)
{
  for (Integer i = 0; i < lines->Count(); ++i) {
    const AnsiString& entry = lines->Strings(i);
    const size_t eq = entry.find('=');
    if (eq != AnsiString::npos && SameText(entry.substr(0, eq), unitName))
      return i;
  }
  return -1;
}

} // namespace

void TfsScript::AddCodeLine(const AnsiString& unitName, const AnsiString& sourcePos)
{
  Integer index = FindUnitLines(FUnitLines.get(), unitName);
  if (index < 0)
    index = FUnitLines->Add(unitName + "=");
  const AnsiString line = sourcePos.substr(0, sourcePos.find(':')) + ",";
  AnsiString entry = FUnitLines->Strings(index);
  const AnsiString list = "," + entry.substr(entry.find('=') + 1);
  if (list.find("," + line) != AnsiString::npos)
    return;
  FUnitLines->SetStrings(index, entry + line);
}

bool TfsScript::IsExecutableLine(Integer line, const AnsiString& unitName) const
{
  const Integer index = FindUnitLines(FUnitLines.get(), unitName);
  if (index < 0)
    return false;
  const AnsiString& entry = FUnitLines->Strings(index);
  const AnsiString list = "," + entry.substr(entry.find('=') + 1);
  return list.find("," + IntToStr(line) + ",") != AnsiString::npos;
}

Variant TfsScript::EvaluateExpressionText(const AnsiString& text)
{
  TfsScript* parent = ProgRunning ? ProgRunning : this;
  struct TRunLineScope {
    TfsScript* Script;
    TfsRunLineEvent Saved;
    ~TRunLineScope() { Script->OnRunLine = Saved; }
  } scope{this, OnRunLine};
  OnRunLine = nullptr;

  TfsScript temp;
  temp.SetParent(parent);
  temp.Lines()->SetText("function __f__: Variant; begin Result := " + text + " end; begin end.");
  if (!temp.CompileScript())
    return Variant(temp.ErrorMsg());
  TfsCustomVariable* f = temp.LookupOwnItem("__f__");
  return f ? f->GetValue() : Null();
}

namespace {

TfsProcVariable* SetCallArguments(TfsScript* script, const AnsiString& name, const Variant& params)
{
  auto* proc = dynamic_cast<TfsProcVariable*>(script->LookupOwnItem(name));
  if (!proc || !VarIsArray(params))
    return proc;
  const Integer high = VarArrayHighBound(params, 1);
  for (Integer i = 0; i <= high; ++i) {
    if (i >= proc->Count())
      throw EListError(Format(SListIndexError, {i}));
    proc->Params(i)->SetValue(VarArrayGet(params, {i}));
  }
  return proc;
}

} // namespace

Variant TfsScript::CallScriptFunction(const AnsiString& name, const Variant& params)
{
  TfsProcVariable* proc = SetCallArguments(this, name, params);
  return proc ? proc->GetValue() : Null();
}

Variant TfsScript::CallScriptFunctionVar(const AnsiString& name, Variant& params)
{
  TfsProcVariable* proc = SetCallArguments(this, name, params);
  if (!proc)
    return Null();
  Variant result = proc->GetValue();
  if (VarIsArray(params)) {
    const Integer high = std::min(VarArrayHighBound(params, 1), proc->Count() - 1);
    for (Integer i = 0; i <= high; ++i)
      VarArrayPut(params, proc->Params(i)->GetValue(), {i});
  }
  return result;
}

// ---- the global unit ----

TfsScript* GlobalScriptUnit()
{
  if (!GlobalUnit && !InterpreterFinalized) {
    GlobalUnit = new TfsScript();
    const struct {
      const char* Name;
      TfsVarType Typ;
    } types[] = {{"Byte", fvtInt},        {"Word", fvtInt},       {"Integer", fvtInt},
                 {"Longint", fvtInt},     {"Cardinal", fvtInt},   {"TColor", fvtInt},
                 {"Boolean", fvtBool},    {"Real", fvtFloat},     {"Single", fvtFloat},
                 {"Double", fvtFloat},    {"Extended", fvtFloat}, {"Currency", fvtFloat},
                 {"TDate", fvtFloat},     {"TTime", fvtFloat},    {"TDateTime", fvtFloat},
                 {"Char", fvtChar},       {"String", fvtString},  {"Variant", fvtVariant},
                 {"Pointer", fvtVariant}, {"Array", fvtArray},    {"Constructor", fvtConstructor}};
    for (const auto& t : types)
      GlobalUnit->RegisterScriptType(t.Name, t.Typ);
    GlobalUnit->RegisterScriptConst("True", "Boolean", Variant(true));
    GlobalUnit->RegisterScriptConst("False", "Boolean", Variant(false));
    GlobalUnit->RegisterScriptConst("nil", "Variant", Variant(0));
    GlobalUnit->RegisterScriptConst("Null", "Variant", Null());
  }
  return GlobalUnit;
}

void InitializeScriptInterpreter()
{
  // The component's streamed interface.
  RegisterEventType<TfsGetUnitEvent>("TfsGetUnitEvent");
  RegisterEventType<TfsRunLineEvent>("TfsRunLineEvent");
  TClassRegistration<TfsScript, TComponent>("TfsScript")
      .Property("Lines", &TfsScript::Lines, &TfsScript::SetLines)
      .Property("SyntaxType", &TfsScript::SyntaxType, &TfsScript::SetSyntaxType)
      .Property("OnGetILUnit", &TfsScript::OnGetILUnit, &TfsScript::OnGetILUnit)
      .Property("OnGetUnit", &TfsScript::OnGetUnit, &TfsScript::OnGetUnit)
      .Property("OnRunLine", &TfsScript::OnRunLine, &TfsScript::OnRunLine);
  InterpreterFinalized = false;
  GlobalScriptUnit();
}

void FinalizeScriptInterpreter()
{
  ClearEventList();
  delete GlobalUnit;
  GlobalUnit = nullptr;
  InterpreterFinalized = true;
}

AnsiString TypeNameText(const TfsCustomVariable* item)
{
  switch (item->Typ()) {
  case fvtInt:
    return "Integer";
  case fvtBool:
    return "Boolean";
  case fvtFloat:
    return "Extended";
  case fvtChar:
    return "Char";
  case fvtString:
    return "String";
  case fvtClass:
    return "Class " + item->TypeName();
  case fvtArray:
    return "Array";
  case fvtEnum:
    return item->TypeName();
  case fvtVariant:
  case fvtConstructor:
    break;
  }
  return "Variant";
}

Integer RequiredParamCount(const TfsCustomVariable* item)
{
  Integer result = 0;
  for (Integer i = 0; i < item->Count(); ++i)
    if (!item->Params(i)->IsOptional())
      ++result;
  return result;
}
