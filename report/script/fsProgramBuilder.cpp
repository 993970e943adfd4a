// The second pass of the script compiler: walks the intermediate syntax tree that the
// first pass (fsILParser.cpp) produced and builds the program's variables, routines,
// statements, designators and expressions, checking what the grammar cannot (declared
// names, types, assignability). The first failure ends the pass with a positioned message.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ObjectHandles.h"
#include "report/script/ScriptLanguages.h"
#include "report/script/fsDesignator.h"
#include "report/script/fsExpression.h"
#include "report/script/fsILParser.h"
#include "report/script/fsScript.h"
#include "report/script/fsStatement.h"
#include "report/script/fsTools.h"

namespace {

bool IsNamed(const TfsXMLItem* element, const char* name)
{
  return SameText(element->Name(), name);
}

// The first child of that name, or null.
TfsXMLItem* ChildNamed(const TfsXMLItem* element, const char* name)
{
  const Integer i = element->Find(name);
  return i >= 0 ? element->Items(i) : nullptr;
}

[[noreturn]] void RaiseNamed(const char* message, const AnsiString& name)
{
  RaiseCompileError(AnsiString(message) + "'" + name + "'");
}

std::unique_ptr<TfsDesignatorItem> NewElement(TfsCustomVariable* ref, const AnsiString& pos)
{
  auto element = std::make_unique<TfsDesignatorItem>();
  element->SetRef(ref);
  element->SetSourcePos(pos);
  return element;
}

// The builder recurses with the tree; deep nesting ends in a compile error, not a crash.
void CheckBuildDepth()
{
  if (TfsStackGuard::StackLow())
    RaiseCompileError(SStackOverflow);
}

// A number or string literal of the source; a number the runtime cannot read is a compile
// error at the literal.
Variant LiteralValue(const AnsiString& text)
{
  try {
    return ParseLiteral(text);
  } catch (const EConvertError& e) {
    RaiseCompileError(e.Message());
  }
}

// An array bound as the compiler reads it.
Integer ArrayBound(const Variant& value)
{
  try {
    return value.AsInteger();
  } catch (const EVariantError& e) {
    RaiseCompileError(e.Message());
  }
}

} // namespace

// ---- entry points ----

void TfsILParser::SyntaxXmlToProgram()
{
  FWithList.clear();
  FProgram->SetErrorUnit(AnsiString());
  FUnitName.clear();
  try {
    BuildProgram(FSyntax->Root(), FProgram);
    FProgram->SetErrorPos(AnsiString());
  } catch (const EfsCompileError& e) {
    FProgram->SetError(e.Message(), e.Position.empty() ? FErrorPos : e.Position, FUnitName);
  }
}

std::unique_ptr<TfsDesignator> TfsILParser::BuildLateDesignator(TfsXMLItem* element,
                                                                TfsScript* script)
{
  FNeedDeclareVars = false;
  FLateBinding = true;
  return BuildDesignator(element, script, dmPlain);
}

void TfsILParser::BuildProgram(TfsXMLItem* element, TfsScript* script)
{
  TfsXMLItem* saved = FProgRoot;
  FProgRoot = element;
  DeclareRoutines(element, script);
  for (Integer i = 0; i < element->Count(); ++i)
    BuildStatement(element->Items(i), script, script->Statement());
  FProgRoot = saved;
}

// ---- helpers ----

void TfsILParser::RememberPosition(const TfsXMLItem* element)
{
  if (element->HasProp("pos"))
    FErrorPos = element->Prop("pos");
}

void TfsILParser::CheckRedeclared(TfsScript* script, const AnsiString& name)
{
  if (script->LookupOwnItem(name))
    RaiseNamed(SIdentRedeclared, name);
}

TfsClassVariable* TfsILParser::FindClass(const AnsiString& name)
{
  TfsClassVariable* cls = FProgram->FindScriptClass(name);
  if (!cls)
    RaiseNamed(SUnknownType, name);
  return cls;
}

void TfsILParser::CheckTypes(TfsCustomVariable* target, TfsCustomVariable* expression)
{
  if (!IsAssignCompatible(target, expression, FProgram))
    RaiseCompileError(AnsiString(SIncompatibleTypes) + ": '" + TypeNameText(target) + "', '" +
                      TypeNameText(expression) + "'");
}

TfsCustomVariable* TfsILParser::FindVariable(TfsScript* script, const AnsiString& name)
{
  if (TfsCustomVariable* item = script->LookupItem(name))
    return item;
  if (FNeedDeclareVars)
    RaiseNamed(SUndeclaredIdent, name);
  return script->AddItem(name, std::make_unique<TfsVariable>(name, fvtVariant, ""));
}

// The language's own type names (C++ "int") map to the engine's through the types element
// of the program or unit being built; a routine body uses that of its program.
TfsVarType TfsILParser::TypeCode(const AnsiString& typeName)
{
  AnsiString name = typeName;
  for (const TfsXMLItem* e = FProgRoot; e; e = e->Parent()) {
    if (const TfsXMLItem* types = ChildNamed(e, "types")) {
      if (const TfsXMLItem* mapped = ChildNamed(types, name.c_str()))
        name = mapped->Prop("type");
      break;
    }
  }
  const TfsVarType code = TypeNameToCode(name, FProgram);
  if (code == fvtClass)
    FindClass(name);
  return code;
}

void TfsILParser::AppendStatement(TfsStatement* list, std::unique_ptr<TfsStatement> statement,
                                  bool executable)
{
  TfsStatement* raw = list->Add(std::move(statement));
  if (executable)
    FProgram->AddCodeLine(FUnitName, raw->SourcePos());
}

Variant TfsILParser::EvaluateNow(TfsExpression* expression)
{
  try {
    return expression->GetValue();
  } catch (const EfsCompileError&) {
    throw;
  } catch (const Exception& e) {
    if (!expression->SourcePos().empty())
      FErrorPos = expression->SourcePos();
    RaiseCompileError(e.Message());
  }
}

// ---- declarations ----

void TfsILParser::DeclareRoutines(TfsXMLItem* element, TfsScript* script)
{
  for (Integer i = 0; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    if (IsNamed(child, "compoundstmt"))
      DeclareRoutines(child, script);
    else if (IsNamed(child, "procedure"))
      DeclareRoutine(child, script, false);
    else if (IsNamed(child, "function"))
      DeclareRoutine(child, script, true);
  }
}

// A function without a result type (every JScript function, a BasicScript Function
// without As) returns a Variant, so it may return any value.
void TfsILParser::DeclareRoutine(TfsXMLItem* element, TfsScript* script, bool isFunction)
{
  RememberPosition(element);
  AnsiString name;
  AnsiString typeName;
  TfsVarType typ = fvtInt;
  bool isFunc = false;
  if (isFunction) {
    const TfsXMLItem* nameElement = ChildNamed(element, "name");
    name = nameElement ? nameElement->Prop("text") : AnsiString();
    isFunc = true;
    typ = fvtVariant;
    typeName = "Variant";
    if (const TfsXMLItem* type = ChildNamed(element, "type")) {
      RememberPosition(type);
      typeName = type->Prop("text");
      typ = TypeCode(typeName);
      isFunc = !SameText(typeName, "void");
    }
  } else if (element->Count() > 0) {
    name = element->Items(0)->Prop("text");
  }
  RememberPosition(element);
  CheckRedeclared(script, name);
  auto* proc =
      script->AddItem(name, std::make_unique<TfsProcVariable>(name, typ, typeName, script, isFunc));
  proc->SetSourcePos(FErrorPos);
  if (TfsXMLItem* params = ChildNamed(element, "parameters"))
    DeclareParameters(params, proc);
}

void TfsILParser::DeclareParameters(TfsXMLItem* element, TfsProcVariable* proc)
{
  bool varGroup = false;
  for (Integer i = 0; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    if (IsNamed(child, "varparams")) {
      varGroup = true;
      continue;
    }
    if (!IsNamed(child, "var"))
      continue;
    bool varParam = varGroup;
    varGroup = false;
    for (Integer j = 0; j < child->Count(); ++j) {
      TfsXMLItem* item = child->Items(j);
      if (IsNamed(item, "varparam")) {
        varParam = true;
        continue;
      }
      if (!IsNamed(item, "ident"))
        continue;
      RememberPosition(item);
      const AnsiString name = item->Prop("text");
      CheckRedeclared(proc->Prog(), name);
      std::unique_ptr<TfsParamItem> param(static_cast<TfsParamItem*>(
          DeclareVariable(child, proc->Prog(), varParam, true, nullptr, name).release()));
      param->SetDefValue(param->GetValue());
      proc->AddParam(std::move(param));
    }
  }
}

std::unique_ptr<TfsCustomVariable>
TfsILParser::DeclareVariable(TfsXMLItem* element, TfsScript* script, bool isVarParam,
                             bool isParameter, TfsStatement* list, const AnsiString& name)
{
  const Integer typeIndex = element->Find("type");
  const TfsXMLItem* typeElement = typeIndex >= 0 ? element->Items(typeIndex) : nullptr;
  const AnsiString typeName = typeElement ? typeElement->Prop("text") : AnsiString("Variant");
  const bool typeFirst = typeIndex == 0;
  if (typeElement)
    RememberPosition(typeElement);
  TfsVarType typ = TypeCode(typeName);

  Variant value;
  switch (typ) {
  case fvtBool:
    value = Variant(false);
    break;
  case fvtChar:
  case fvtString:
    value = Variant(AnsiString());
    break;
  case fvtInt:
  case fvtFloat:
  case fvtClass:
    value = Variant(0);
    break;
  default:
    value = Null();
  }

  Integer nameIndex = 0;
  while (nameIndex < element->Count() && !SameText(element->Items(nameIndex)->Prop("text"), name))
    ++nameIndex;
  TfsXMLItem* init = nullptr;
  TfsCustomVariable* arrayHelper = nullptr;
  for (Integer i = nameIndex + 1; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    if ((typeFirst || !typeElement) && IsNamed(child, "ident"))
      break;
    if (IsNamed(child, "array")) {
      value = BuildArray(child, script, typ, typeName, arrayHelper);
      typ = fvtArray;
    } else if (IsNamed(child, "init")) {
      init = child;
      if (!list && child->Count() > 0) {
        std::unique_ptr<TfsExpression> expr = BuildExpression(child->Items(0), script);
        TfsVariable temp("", typ, typeName);
        CheckTypes(&temp, expr.get());
        value = EvaluateNow(expr.get());
      }
    }
  }

  std::unique_ptr<TfsCustomVariable> item;
  const TfsVarType itemType = typ;
  if (isParameter)
    item = std::make_unique<TfsParamItem>(name, itemType, typeName, init != nullptr, isVarParam);
  else if (itemType == fvtChar || itemType == fvtString)
    item = std::make_unique<TfsStringVariable>(name, itemType, typeName);
  else
    item = std::make_unique<TfsVariable>(name, itemType, typeName);
  item->SetValue(value);
  if (arrayHelper)
    item->SetRefItem(arrayHelper);

  // A local with an initial value is assigned where it is declared, each time it runs.
  if (init && list && init->Count() > 0) {
    auto stmt = std::make_unique<TfsAssignmentStmt>(script, FUnitName, element->Prop("pos"));
    auto target = std::make_unique<TfsVariableDesignator>(script);
    target->Add(std::make_unique<TfsDesignatorItem>())->SetRef(item.get());
    target->FinishDesignator();
    stmt->SetDesignator(std::move(target));
    stmt->SetExpression(BuildExpression(init->Items(0), script));
    CheckTypes(item.get(), stmt->Expression());
    stmt->PrepareAssignment();
    list->Add(std::move(stmt));
  }
  return item;
}

// array[1..3, 0..1] (bounds), C-style [n] (0..n-1) or 'array of X' (0..0): a Variant array
// of Variants and an unnamed indexing helper with one parameter per dimension.
Variant TfsILParser::BuildArray(TfsXMLItem* element, TfsScript* script, TfsVarType typ,
                                const AnsiString& typeName, TfsCustomVariable*& helper)
{
  std::vector<Integer> bounds;
  for (Integer i = 0; i < element->Count(); ++i) {
    TfsXMLItem* dim = element->Items(i);
    if (!IsNamed(dim, "dim"))
      continue;
    RememberPosition(dim);
    std::vector<Integer> values;
    for (Integer j = 0; j < dim->Count(); ++j) {
      if (!IsNamed(dim->Items(j), "expr"))
        continue;
      std::unique_ptr<TfsExpression> expr = BuildExpression(dim->Items(j), script);
      const Variant bound = EvaluateNow(expr.get());
      FErrorPos = expr->SourcePos();
      values.push_back(ArrayBound(bound));
      RememberPosition(dim);
    }
    if (values.size() >= 2) {
      bounds.push_back(values[0]);
      bounds.push_back(values[1]);
    } else if (values.size() == 1) {
      bounds.push_back(0);
      bounds.push_back(values[0] - 1);
    }
  }
  if (bounds.empty())
    bounds = {0, 0};
  const Integer dims = static_cast<Integer>(bounds.size() / 2);
  Variant value;
  try {
    value = VarArrayCreate(bounds, varVariant);
  } catch (const EVariantError& e) {
    RaiseCompileError(e.Message()); // bounds the array cannot have
  }
  helper = script->AddItem(AnsiString(), std::make_unique<TfsArrayHelper>("", dims, typ, typeName));
  return value;
}

void TfsILParser::BuildVar(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  for (Integer i = 0; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    if (!IsNamed(child, "ident"))
      continue;
    RememberPosition(child);
    const AnsiString name = child->Prop("text");
    CheckRedeclared(script, name);
    script->AddItem(name, DeclareVariable(element, script, false, false, list, name));
  }
}

void TfsILParser::BuildConst(TfsXMLItem* element, TfsScript* script)
{
  if (element->Count() < 2)
    return;
  const AnsiString name = element->Items(0)->Prop("text");
  RememberPosition(element->Items(0));
  CheckRedeclared(script, name);
  std::unique_ptr<TfsExpression> expr = BuildExpression(element->Items(1), script);
  auto item = std::make_unique<TfsVariable>(name, expr->Typ(), expr->TypeName());
  item->SetValue(EvaluateNow(expr.get()));
  item->SetIsReadOnly(true);
  script->AddItem(name, std::move(item));
}

// ---- statements ----

void TfsILParser::BuildStatementList(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  for (Integer i = 0; i < element->Count(); ++i)
    BuildStatement(element->Items(i), script, list);
}

void TfsILParser::BuildStatement(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  CheckBuildDepth();
  RememberPosition(element);
  const AnsiString name = LowerCase(element->Name());
  const AnsiString pos = element->Prop("pos");
  if (name == "assignstmt") {
    BuildAssignment(element, script, list);
  } else if (name == "callstmt") {
    BuildCall(element, script, list, false);
  } else if (name == "delete") {
    BuildCall(element, script, list, true);
  } else if (name == "ifstmt") {
    BuildIf(element, script, list);
  } else if (name == "casestmt") {
    BuildCase(element, script, list);
  } else if (name == "forstmt") {
    BuildFor(element, script, list);
  } else if (name == "vbforstmt") {
    BuildVbFor(element, script, list);
  } else if (name == "cppforstmt") {
    BuildCppFor(element, script, list);
  } else if (name == "whilestmt") {
    BuildWhile(element, script, list);
  } else if (name == "repeatstmt") {
    BuildRepeat(element, script, list);
  } else if (name == "trystmt") {
    BuildTry(element, script, list);
  } else if (name == "break") {
    AddStatement(list, std::make_unique<TfsBreakStmt>(script, FUnitName, pos));
  } else if (name == "continue") {
    AddStatement(list, std::make_unique<TfsContinueStmt>(script, FUnitName, pos));
  } else if (name == "exit") {
    AddStatement(list, std::make_unique<TfsExitStmt>(script, FUnitName, pos));
  } else if (name == "return") {
    BuildReturn(element, script, list);
  } else if (name == "with") {
    BuildWith(element, script, list);
  } else if (name == "compoundstmt") {
    BuildStatementList(element, script, list);
  } else if (name == "uses") {
    BuildUses(element, script);
  } else if (name == "var") {
    BuildVar(element, script, list);
  } else if (name == "const") {
    BuildConst(element, script);
  } else if (name == "procedure" || name == "function") {
    const TfsXMLItem* nameElement = name == "function"
                                        ? ChildNamed(element, "name")
                                        : (element->Count() ? element->Items(0) : nullptr);
    if (!nameElement)
      return;
    auto* proc = dynamic_cast<TfsProcVariable*>(FindVariable(script, nameElement->Prop("text")));
    if (proc)
      BuildProgram(element, proc->Prog());
  }
}

void TfsILParser::BuildAssignment(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  if (element->Count() < 2)
    return;
  TfsXMLItem* target = element->Items(0);
  TfsXMLItem* source = element->Items(element->Count() - 1);
  const TfsXMLItem* modificator = ChildNamed(element, "modificator");

  std::unique_ptr<TfsDesignator> designator(BuildDesignator(target, script, dmPlain));
  RememberPosition(target);
  if (designator->IsReadOnly())
    RaiseCompileError(SLeftCantAssigned);
  std::unique_ptr<TfsExpression> expression(BuildExpression(source, script));
  RememberPosition(source);
  CheckTypes(designator.get(), expression.get());

  AnsiString modifier = modificator ? modificator->Prop("text") : AnsiString(" ");
  if (!modificator && designator->Kind() == dkVariable)
    modifier = expression->FoldSelfAssignment(designator.get());
  const AnsiString pos = element->Prop("pos");
  std::unique_ptr<TfsAssignmentStmt> stmt;
  switch (modifier.empty() ? ' ' : modifier[0]) {
  case '*':
    stmt = std::make_unique<TfsAssignMulStmt>(script, FUnitName, pos);
    break;
  case '+':
    stmt = std::make_unique<TfsAssignPlusStmt>(script, FUnitName, pos);
    break;
  case '-':
    stmt = std::make_unique<TfsAssignMinusStmt>(script, FUnitName, pos);
    break;
  case '/':
    stmt = std::make_unique<TfsAssignDivStmt>(script, FUnitName, pos);
    break;
  default:
    stmt = std::make_unique<TfsAssignmentStmt>(script, FUnitName, pos);
  }
  stmt->SetDesignator(std::move(designator));
  stmt->SetExpression(std::move(expression));
  stmt->PrepareAssignment();
  AddStatement(list, std::move(stmt));
}

void TfsILParser::BuildCall(TfsXMLItem* element, TfsScript* script, TfsStatement* list,
                            bool isDelete)
{
  if (element->Count() < 1)
    return;
  std::unique_ptr<TfsDesignator> designator(
      BuildDesignator(element->Items(0), script, isDelete ? dmFree : dmPlain));
  auto stmt = std::make_unique<TfsCallStmt>(script, FUnitName, element->Prop("pos"));
  if (!isDelete && element->Count() > 1) {
    RememberPosition(element->Items(0));
    if (designator->IsReadOnly())
      RaiseCompileError(SLeftCantAssigned);
    stmt->SetModificator(element->Items(1)->Prop("text"));
  }
  stmt->SetDesignator(std::move(designator));
  AddStatement(list, std::move(stmt));
}

void TfsILParser::BuildIf(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsIfStmt>(script, FUnitName, element->Prop("pos"));
  stmt->SetCondition(BuildExpression(element->Items(0), script));
  for (Integer i = 1; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    if (IsNamed(child, "thenstmt"))
      BuildStatementList(child, script, stmt.get());
    else if (IsNamed(child, "elsestmt"))
      BuildStatementList(child, script, stmt->ElseStmt());
  }
  AddStatement(list, std::move(stmt));
}

// A selector whose branch is empty ('1: ;') stays a selector that does nothing, so its
// values do not fall into the else branch.
void TfsILParser::BuildCase(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsCaseStmt>(script, FUnitName, element->Prop("pos"));
  stmt->SetCondition(BuildExpression(element->Items(0), script));
  const Integer count = element->Count();
  for (Integer i = 1; i < count; ++i) {
    TfsXMLItem* child = element->Items(i);
    RememberPosition(child);
    if (IsNamed(child, "caseselector")) {
      if (child->Count() < 1 || child->Count() > 2)
        continue;
      auto selector = std::make_unique<TfsCaseSelector>(script, FUnitName, child->Prop("pos"));
      selector->SetSetExpression(BuildSet(child->Items(0), script));
      if (child->Count() == 2)
        BuildStatement(child->Items(1), script, selector.get());
      stmt->Add(std::move(selector));
    } else if (i == count - 1) {
      BuildStatement(child, script, stmt->ElseStmt());
    }
  }
  AddStatement(list, std::move(stmt));
}

namespace {

bool IsLoopVariable(TfsCustomVariable* item)
{
  if (!dynamic_cast<TfsVariable*>(item))
    return false;
  const TfsVarType t = item->Typ();
  return t == fvtInt || t == fvtFloat || t == fvtVariant;
}

} // namespace

void TfsILParser::BuildFor(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsForStmt>(script, FUnitName, element->Prop("pos"));
  RememberPosition(element->Items(0));
  TfsCustomVariable* var = FindVariable(script, element->Items(0)->Prop("text"));
  if (!IsLoopVariable(var))
    RaiseCompileError(SForError);
  stmt->SetVariable(var);
  Integer i = 1;
  stmt->SetBeginValue(BuildExpression(element->Items(i), script));
  CheckTypes(var, stmt->BeginValue());
  ++i;
  if (i < element->Count() && IsNamed(element->Items(i), "downto")) {
    stmt->SetDown(true);
    ++i;
  } else if (i < element->Count() && IsNamed(element->Items(i), "to")) {
    ++i;
  }
  stmt->SetEndValue(BuildExpression(element->Items(i), script));
  CheckTypes(var, stmt->EndValue());
  ++i;
  if (i < element->Count())
    BuildStatement(element->Items(i), script, stmt.get());
  AddStatement(list, std::move(stmt));
}

void TfsILParser::BuildVbFor(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsVbForStmt>(script, FUnitName, element->Prop("pos"));
  RememberPosition(element->Items(0));
  TfsCustomVariable* var = FindVariable(script, element->Items(0)->Prop("text"));
  if (!IsLoopVariable(var))
    RaiseCompileError(SForError);
  stmt->SetVariable(var);
  stmt->SetBeginValue(BuildExpression(element->Items(1), script));
  CheckTypes(var, stmt->BeginValue());
  stmt->SetEndValue(BuildExpression(element->Items(2), script));
  CheckTypes(var, stmt->EndValue());
  Integer i = 3;
  if (i < element->Count() && IsNamed(element->Items(i), "expr")) {
    stmt->SetStep(BuildExpression(element->Items(i), script));
    CheckTypes(var, stmt->Step());
    ++i;
  }
  if (i < element->Count())
    BuildStatement(element->Items(i), script, stmt.get());
  AddStatement(list, std::move(stmt));
}

void TfsILParser::BuildCppFor(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsCppForStmt>(script, FUnitName, element->Prop("pos"));
  if (element->Count() > 0)
    BuildStatement(element->Items(0), script, stmt->FirstStmt());
  if (element->Count() > 1 && IsNamed(element->Items(1), "expr"))
    stmt->SetCondition(BuildExpression(element->Items(1), script));
  if (element->Count() > 2)
    BuildStatement(element->Items(2), script, stmt->SecondStmt());
  if (element->Count() > 3)
    BuildStatement(element->Items(3), script, stmt.get());
  AddStatement(list, std::move(stmt));
}

void TfsILParser::BuildWhile(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsWhileStmt>(script, FUnitName, element->Prop("pos"));
  stmt->SetCondition(BuildExpression(element->Items(0), script));
  if (element->Count() > 1)
    BuildStatement(element->Items(1), script, stmt.get());
  AddStatement(list, std::move(stmt));
}

void TfsILParser::BuildRepeat(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsRepeatStmt>(script, FUnitName, element->Prop("pos"));
  Integer condition = element->Count() - 1;
  if (condition >= 0 && IsNamed(element->Items(condition), "inverse")) {
    stmt->SetInverseCondition(true);
    --condition;
  }
  for (Integer i = 0; i < condition; ++i)
    BuildStatement(element->Items(i), script, stmt.get());
  stmt->SetCondition(BuildExpression(element->Items(condition), script));
  AddStatement(list, std::move(stmt));
}

void TfsILParser::BuildTry(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  auto stmt = std::make_unique<TfsTryStmt>(script, FUnitName, element->Prop("pos"));
  for (Integer i = 0; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    if (IsNamed(child, "exceptstmt")) {
      stmt->SetIsExcept(true);
      BuildStatementList(child, script, stmt->ExceptStmt());
    } else if (IsNamed(child, "finallystmt")) {
      BuildStatementList(child, script, stmt->ExceptStmt());
    } else {
      BuildStatement(child, script, stmt.get());
    }
  }
  AddStatement(list, std::move(stmt));
}

// return e: an assignment to Result, then an exit.
void TfsILParser::BuildReturn(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  if (element->Count() > 0) {
    TfsXMLItem* value = element->Items(0);
    const AnsiString pos = value->Prop("pos");
    TfsXMLItem assign;
    assign.SetName("assignstmt");
    assign.SetText("pos=\"" + pos + "\"");
    TfsXMLItem* dsgn = assign.Add();
    dsgn->SetName("dsgn");
    dsgn->SetText("pos=\"" + pos + "\"");
    TfsXMLItem* node = dsgn->Add();
    node->SetName("node");
    node->SetText("text=\"Result\" pos=\"" + pos + "\"");
    TfsXMLItem* copy = assign.Add();
    copy->Assign(value);
    BuildAssignment(&assign, script, list);
  }
  AddStatement(list, std::make_unique<TfsExitStmt>(script, FUnitName, element->Prop("pos")));
}

void TfsILParser::BuildWith(TfsXMLItem* element, TfsScript* script, TfsStatement* list)
{
  size_t opened = 0;
  const Integer count = element->Count();
  for (Integer i = 0; i < count; ++i) {
    TfsXMLItem* child = element->Items(i);
    if (!IsNamed(child, "dsgn")) {
      BuildStatement(child, script, list);
      continue;
    }
    std::unique_ptr<TfsDesignator> designator(BuildDesignator(child, script, dmPlain));
    RememberPosition(child);
    if (designator->Typ() != fvtClass && designator->Typ() != fvtVariant)
      RaiseCompileError(SClassRequired);
    AnsiString name;
    for (Integer n = 0;; ++n) {
      name = IntToStr(n);
      bool open = false;
      for (const TWithEntry& entry : FWithList)
        open = open || entry.Name == name;
      if (!open && !script->LookupOwnItem(name))
        break;
    }
    auto* var = script->AddItem(
        name, std::make_unique<TfsVariable>(name, designator->Typ(), designator->TypeName()));
    auto stmt = std::make_unique<TfsWithStmt>(script, FUnitName, child->Prop("pos"));
    stmt->SetDesignator(std::move(designator));
    stmt->SetVariable(var);
    AddStatement(list, std::move(stmt));
    FWithList.push_back({name, var});
    ++opened;
  }
  FWithList.resize(FWithList.size() - std::min(opened, FWithList.size()));
}

// A used unit's declarations and statements join the script at the place of the uses
// element. A failure inside it is reported with the unit's name.
void TfsILParser::BuildUses(TfsXMLItem* element, TfsScript* script)
{
  const AnsiString saved = FUnitName;
  FUnitName = element->Prop("unit");
  bool built = false;
  if (FProgram->OnGetILUnit) {
    AnsiString text;
    FProgram->OnGetILUnit(FProgram, FUnitName, text);
    if (!text.empty()) {
      if (text.compare(0, 5, "<?xml") != 0)
        RaiseCompileError("Invalid file format");
      TfsXMLDocument unit;
      unit.LoadFromText(text);
      BuildProgram(unit.Root(), script);
      built = true;
    }
  }
  if (!built)
    for (Integer i = 0; i < element->Count(); ++i)
      BuildProgram(element->Items(i), script);
  FUnitName = saved;
}

// ---- designators ----

// Resolves the first name of a designator through the open WITH statements, innermost
// first. Returns true when the designator is complete (a pending path through a Variant
// WITH object) or the name was resolved as a member of a WITH object.
bool TfsILParser::ResolveThroughWith(TfsDesignator* designator, TfsXMLItem* element,
                                     TfsScript* script, const AnsiString& name)
{
  for (auto it = FWithList.rbegin(); it != FWithList.rend(); ++it) {
    TfsCustomVariable* var = script->LookupOwnItem(it->Name);
    if (!var)
      continue;
    if (var->Typ() == fvtVariant) {
      if (script->LookupItem(name))
        return false;
      designator->Add(NewElement(var, FErrorPos));
      auto pending = std::make_unique<TfsXMLItem>();
      pending->Assign(element);
      auto first = std::make_unique<TfsXMLItem>();
      first->SetName("node");
      first->SetText("text=\"" + ScriptStrToXMLStrict(it->Name) + "\" pos=\"" + FErrorPos + "\"");
      pending->InsertItem(0, first.release());
      designator->SetLateBindingXML(std::move(pending));
      designator->FinishDesignator();
      return true;
    }
    TfsCustomHelper* member = FindClass(var->TypeName())->FindMember(name);
    if (!member)
      continue;
    designator->Add(NewElement(var, FErrorPos));
    designator->Add(NewElement(member, FErrorPos));
    return false;
  }
  return false;
}

// A later step a.T of a designator, decided by the type of the item before it.
void TfsILParser::AddLaterElement(TfsDesignator* designator, TfsScript* script,
                                  const AnsiString& name)
{
  TfsDesignatorItem* previous = designator->ElementAt(designator->Count() - 1);
  TfsCustomVariable* ref = previous->Ref();
  auto* method = dynamic_cast<TfsMethodHelper*>(ref);
  if (method && method->IndexMethod() && !previous->Flag()) {
    previous->SetFlag(true);
    FErrorPos = previous->SourcePos();
    if (name != "[")
      RaiseCompileError(SIndexRequired);
    return;
  }
  TfsVarType typ = ref->Typ();
  auto element = std::make_unique<TfsDesignatorItem>();
  element->SetSourcePos(FErrorPos);
  if (typ == fvtVariant) {
    // The value the item holds while compiling decides what the path means.
    const bool hasValue = dynamic_cast<TfsVariable*>(ref) || dynamic_cast<TfsParamItem*>(ref);
    const Variant value = hasValue ? ref->StoredValue() : Null();
    // A member of an automation object, or of what a member of one gave: looked up by name
    // each time it runs.
    if (name != "[" && (dynamic_cast<TfsOLEHelper*>(ref) || VarType(value) == varDispatch)) {
      element->SetRef(script->AddItem(AnsiString(), std::make_unique<TfsOLEHelper>(name)));
      designator->Add(std::move(element));
      return;
    }
    if (VarIsArray(value)) {
      if (name != "[")
        RaiseCompileError(SIndexRequired);
      element->SetRef(script->LookupItem("__ArrayHelper"));
      designator->Add(std::move(element));
      return;
    }
    if (VarType(value) == varString) {
      typ = fvtString;
    } else if (VarType(value) == varInteger && value.AsInteger() != 0 &&
               HandleToObject(value.AsInteger())) {
      ref->SetTypeName(HandleToObject(value.AsInteger())->ClassName());
      typ = fvtClass;
    } else {
      // Empty, 0, another number, a freed object: nothing a member can be read from.
      RaiseCompileError(SClassRequired);
    }
  }
  switch (typ) {
  case fvtString:
    if (name != "[")
      RaiseCompileError(SStringError);
    element->SetRef(script->LookupItem("__StringHelper"));
    break;
  case fvtClass: {
    TfsClassVariable* cls = FindClass(ref->TypeName());
    if (name != "[") {
      TfsCustomHelper* member = cls->FindMember(name);
      if (!member)
        RaiseNamed(SUndeclaredIdent, name);
      element->SetRef(member);
    } else {
      element->SetFlag(true);
      if (!cls->DefProperty())
        RaiseCompileError(Format(SClassError, {cls->Name()}));
      element->SetRef(cls->DefProperty());
    }
    break;
  }
  case fvtArray:
    element->SetRef(ArrayIndexer(ref, script, name));
    break;
  default:
    RaiseCompileError(SArrayRequired);
  }
  designator->Add(std::move(element));
}

// What indexes an item of array type: the variable's own indexing helper; for a variable
// declared without bounds ("var a: Array"), the script-wide one over its value. A type name
// ("Array" itself) or a routine's result cannot be indexed.
TfsCustomVariable* TfsILParser::ArrayIndexer(TfsCustomVariable* ref, TfsScript* script,
                                             const AnsiString& name)
{
  if (dynamic_cast<TfsArrayHelper*>(ref->RefItem()))
    return ref->RefItem();
  const bool holdsValue = dynamic_cast<TfsVariable*>(ref) || dynamic_cast<TfsParamItem*>(ref);
  if (!holdsValue)
    RaiseCompileError(SVarRequired);
  if (name != "[")
    RaiseCompileError(SIndexRequired);
  return script->LookupItem("__ArrayHelper");
}

namespace {

// The designator replaced by the fast class of its kind, when it has one.
std::unique_ptr<TfsDesignator> AsFastKind(std::unique_ptr<TfsDesignator> designator,
                                          TfsScript* script)
{
  std::unique_ptr<TfsDesignator> result;
  switch (designator->Kind()) {
  case dkVariable:
    result = std::make_unique<TfsVariableDesignator>(script);
    break;
  case dkStringArray:
    result = std::make_unique<TfsStringDesignator>(script);
    break;
  case dkArray:
    result = std::make_unique<TfsArrayDesignator>(script);
    break;
  case dkCall:
    result = std::make_unique<TfsCallDesignator>(script);
    break;
  default:
    return designator;
  }
  result->AdoptFrom(designator.get());
  return result;
}

} // namespace

// The first name of a path: through the open WITH statements, else a visible item (or a
// new Variant where declarations are not required). Returns true when the designator is
// complete: a member path on a Variant that holds Null while compiling is built at first use.
bool TfsILParser::AddFirstElement(TfsDesignator* designator, TfsXMLItem* element, TfsScript* script,
                                  Integer index, TDesignatorMode mode)
{
  const AnsiString name = element->Items(index)->Prop("text");
  if (ResolveThroughWith(designator, element, script, name))
    return true;
  if (designator->Count() == 0) {
    TfsCustomVariable* item = FindVariable(script, name);
    designator->Add(NewElement(item, FErrorPos));
    const bool followed =
        index + 1 < element->Count() && IsNamed(element->Items(index + 1), "node");
    const bool holdsValue = dynamic_cast<TfsVariable*>(item) || dynamic_cast<TfsParamItem*>(item);
    if (!FLateBinding && followed && holdsValue && item->Typ() == fvtVariant &&
        VarIsNull(item->StoredValue())) {
      auto pending = std::make_unique<TfsXMLItem>();
      pending->Assign(element);
      designator->SetLateBindingXML(std::move(pending));
      designator->FinishDesignator();
      return true;
    }
  }
  if (mode == dmNew) {
    auto* cls = dynamic_cast<TfsClassVariable*>(designator->ElementAt(0)->Ref());
    if (!cls)
      RaiseCompileError(SClassRequired);
    TfsCustomHelper* ctor = cls->FindMember("Create");
    if (!ctor)
      RaiseNamed(SUndeclaredIdent, "Create");
    designator->Add(NewElement(ctor, FErrorPos));
  }
  return false;
}

std::unique_ptr<TfsDesignator> TfsILParser::BuildDesignator(TfsXMLItem* element, TfsScript* script,
                                                            TDesignatorMode mode)
{
  CheckBuildDepth();
  auto designator = std::make_unique<TfsDesignator>(script);
  const Integer count = element->Count();
  for (Integer i = 0; i < count; ++i) {
    TfsXMLItem* child = element->Items(i);
    RememberPosition(child);
    if (IsNamed(child, "node")) {
      if (designator->Count() > 0)
        AddLaterElement(designator.get(), script, child->Prop("text"));
      else if (AddFirstElement(designator.get(), element, script, i, mode))
        return designator;
    } else if (IsNamed(child, "expr")) {
      if (designator->Count() > 0) {
        TfsDesignatorItem* last = designator->ElementAt(designator->Count() - 1);
        last->Add(BuildExpression(child, script));
        if (auto* member = dynamic_cast<TfsOLEHelper*>(last->Ref()))
          member->AddArgument();
      }
    } else if (IsNamed(child, "addr")) {
      // @Name: the name as text (how scripts name event handlers).
      if (count != 2)
        RaiseCompileError(SVarRequired);
      auto text = std::make_unique<TfsStringVariable>("", fvtString, "String");
      text->SetValue(Variant(element->Items(i == 0 ? 1 : 0)->Prop("text")));
      designator->Add(NewElement(script->AddItem(AnsiString(), std::move(text)), FErrorPos));
      break;
    }
  }
  if (designator->Count() == 0)
    RaiseCompileError(SVarRequired);

  if (mode == dmFree) {
    TfsCustomVariable* last = designator->ElementAt(designator->Count() - 1)->Ref();
    if (last->Typ() != fvtClass && last->Typ() != fvtVariant)
      RaiseCompileError(SClassRequired);
    TfsCustomHelper* freeMember = FindClass("TObject")->FindMember("Free");
    if (!freeMember)
      RaiseNamed(SUndeclaredIdent, "Free");
    designator->Add(NewElement(freeMember, FErrorPos));
  }

  designator->FinishDesignator();
  std::unique_ptr<TfsDesignator> result = AsFastKind(std::move(designator), script);
  CheckArguments(result.get());
  return result;
}

// Argument counts and types of every element; missing optional arguments get their
// parameter's default value.
void TfsILParser::CheckArguments(TfsDesignator* designator)
{
  for (Integer i = 0; i < designator->Count(); ++i) {
    TfsDesignatorItem* element = designator->ElementAt(i);
    TfsCustomVariable* item = element->Ref();
    if (dynamic_cast<TfsDesignator*>(item))
      continue;
    FErrorPos = element->SourcePos();
    if (element->Count() < RequiredParamCount(item))
      RaiseCompileError(SNotEnoughParams);
    if (element->Count() > item->Count())
      RaiseCompileError(STooManyParams);
    for (Integer p = element->Count(); p < item->Count(); ++p) {
      auto def = std::make_unique<TfsExpression>(FProgram);
      def->AddOperand(item->Params(p)->DefValue());
      def->FinishExpression();
      element->Add(std::move(def));
    }
    for (Integer p = 0; p < element->Count(); ++p) {
      TfsExpression* arg = element->Args(p);
      if (!arg->SourcePos().empty())
        FErrorPos = arg->SourcePos();
      CheckTypes(item->Params(p), arg);
    }
  }
}

// ---- expressions ----

std::unique_ptr<TfsExpression> TfsILParser::BuildExpression(TfsXMLItem* element, TfsScript* script)
{
  CheckBuildDepth();
  auto expr = std::make_unique<TfsExpression>(FProgram);
  AddExpressionItems(expr.get(), element, script);

  if (FUnitName.empty() && element->HasProp("pos") && element->HasProp("pos1")) {
    const TPoint from = PositionTextToPoint(element->Prop("pos"));
    const TPoint to = PositionTextToPoint(element->Prop("pos1"));
    const Integer a = FLexer->PointToPosition(from.X, from.Y);
    const Integer b = FLexer->PointToPosition(to.X, to.Y);
    const AnsiString& text = FLexer->Text();
    if (a >= 1 && b >= a && static_cast<size_t>(b - 1) <= text.size())
      expr->SetSource(Trim(text.substr(static_cast<size_t>(a - 1), static_cast<size_t>(b - a))));
  }

  const AnsiString errorPos = expr->FinishExpression();
  if (!errorPos.empty()) {
    FErrorPos = errorPos;
    RaiseCompileError(SIncompatibleTypes);
  }
  if (element->HasProp("pos"))
    expr->SetSourcePos(element->Prop("pos"));
  return expr;
}

void TfsILParser::AddExpressionItems(TfsExpression* expr, TfsXMLItem* element, TfsScript* script)
{
  for (Integer i = 0; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    RememberPosition(child);
    expr->SetSourcePos(FErrorPos);
    const AnsiString name = LowerCase(child->Name());
    if (name == "op") {
      expr->AddOperator(LowerCase(child->Prop("text")));
    } else if (name == "number" || name == "string") {
      expr->AddOperand(LiteralValue(child->Prop("text")));
    } else if (name == "dsgn") {
      expr->AddDesignator(BuildDesignator(child, script, dmPlain));
    } else if (name == "set") {
      expr->AddSet(BuildSet(child, script));
    } else if (name == "new") {
      if (child->Count() > 0)
        expr->AddDesignator(BuildDesignator(child->Items(0), script, dmNew));
    } else if (name == "expr") {
      AddExpressionItems(expr, child, script);
    }
  }
}

std::unique_ptr<TfsSetExpression> TfsILParser::BuildSet(TfsXMLItem* element, TfsScript* script)
{
  auto set = std::make_unique<TfsSetExpression>();
  for (Integer i = 0; i < element->Count(); ++i) {
    TfsXMLItem* child = element->Items(i);
    if (IsNamed(child, "expr"))
      set->Add(BuildExpression(child, script));
    else if (IsNamed(child, "range"))
      set->Add(std::unique_ptr<TfsExpression>());
  }
  return set;
}
