// The script program model: TfsScript (one compiled program with its symbol table and the
// parent chain names are looked up through), the items a table holds, the shared root script
// GlobalScriptUnit, and the entry points to compile, run, stop and evaluate. Expressions are
// in fsExpression.h, statements in fsStatement.h, designators in fsDesignator.h.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Variants.h"
#include "report/script/fsILParser.h"

class TfsScript;
class TfsStatement;
class TfsParamItem;
class TfsClassVariable;
class TStringList;
class TStrings;
struct TPropInfo;

// Static type codes of items and expressions (the catalogue prints them by TypeNameText).
enum TfsVarType : int {
  fvtInt,        // "Integer"
  fvtBool,       // "Boolean"
  fvtFloat,      // "Extended"
  fvtChar,       // "Char"
  fvtString,     // "String"
  fvtClass,      // "Class " + type name
  fvtArray,      // "Array"
  fvtVariant,    // "Variant"
  fvtEnum,       // the type name itself (enumerations and sets)
  fvtConstructor // "Variant"; the result of a class's constructor
};

// ---- limits ----

// Nested script routine calls allowed before a run fails with "Stack overflow".
constexpr Integer fsMaxCallDepth = 10000;
// Nesting of one expression tree (operators and brackets) before compiling fails with
// "Stack overflow".
constexpr Integer fsMaxExpressionDepth = 2000;

// Guards every recursion of the engine that a script controls (routine calls, expression
// and designator evaluation, the program builder). It counts the depth and also watches
// the thread's remaining stack, so that deep recursion ends in the script error
// "Stack overflow" rather than in a crash. Calls nest as the C++ frames do.
class TfsStackGuard {
public:
  explicit TfsStackGuard(Integer limit = fsMaxCallDepth)
  {
    if (FDepth >= limit || StackLow())
      RaiseStackOverflow();
    ++FDepth;
  }
  ~TfsStackGuard() { --FDepth; }
  TfsStackGuard(const TfsStackGuard&) = delete;
  TfsStackGuard& operator=(const TfsStackGuard&) = delete;
  // Raises "Stack overflow" when less than a safety margin of the thread's stack is left.
  static void CheckStack()
  {
    if (StackLow())
      RaiseStackOverflow();
  }
  // True when less than that margin is left.
  static bool StackLow()
  {
    char here = 0;
    const char* floor = FStackFloorKnown ? FStackFloor : FindStackFloor();
    return &here < floor;
  }

private:
  [[noreturn]] static void RaiseStackOverflow();
  // The lowest address a frame may use: the thread's stack limit plus the safety margin
  // (null when the limit is unknown), found once per thread.
  static const char* FindStackFloor();

  static thread_local Integer FDepth;
  static thread_local const char* FStackFloor;
  static thread_local bool FStackFloorKnown;
};

// Raises the run-time script error of the engine (an Exception with the message).
[[noreturn]] void RaiseScriptError(const AnsiString& message);

// ---- items ----

// Base of items and statements: owns a list of child objects (parameters, arguments,
// statements, set elements; a null child is allowed and marks a set range).
class TfsItemList : public TObject {
public:
  TfsItemList() = default;
  ~TfsItemList() override;
  // Frees every child.
  virtual void Clear();
  // Appends a child and returns it; the list owns it from now on.
  template <class T> T* Add(std::unique_ptr<T> item)
  {
    T* raw = item.get();
    FItems.emplace_back(std::move(item));
    return raw;
  }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TObject* Items(Integer index) const { return FItems[static_cast<size_t>(index)].get(); }
  // Takes a child out of the list and hands it to the caller; null when it is not a child.
  std::unique_ptr<TObject> Remove(TObject* item);

protected:
  std::vector<std::unique_ptr<TObject>> FItems;
};

// Base of every named item. Values are Variants; the children of a routine are its
// parameters (TfsParamItem).
class TfsCustomVariable : public TfsItemList {
public:
  TfsCustomVariable(const AnsiString& name, TfsVarType typ, const AnsiString& typeName);

  virtual void SetValue(const Variant& value);
  virtual Variant GetValue();

  TfsParamItem* Params(Integer index) const;

  TObject* AddedBy() const { return FAddedBy; }
  void SetAddedBy(TObject* value) { FAddedBy = value; }
  bool IsMacro() const { return FIsMacro; }
  void SetIsMacro(bool value) { FIsMacro = value; }
  bool IsReadOnly() const { return FIsReadOnly; }
  void SetIsReadOnly(bool value) { FIsReadOnly = value; }
  const AnsiString& Name() const { return FName; }
  bool NeedResult() const { return FNeedResult; }
  void SetNeedResult(bool value) { FNeedResult = value; }
  TfsCustomVariable* RefItem() const { return FRefItem; }
  void SetRefItem(TfsCustomVariable* value) { FRefItem = value; }
  const AnsiString& SourcePos() const { return FSourcePos; }
  void SetSourcePos(const AnsiString& value) { FSourcePos = value; }
  TfsVarType Typ() const { return FTyp; }
  void SetTyp(TfsVarType value) { FTyp = value; }
  const AnsiString& TypeName() const { return FTypeName; }
  void SetTypeName(const AnsiString& value) { FTypeName = value; }
  // The stored value itself, without the item's own GetValue logic.
  Variant& StoredValue() { return FValue; }
  // The stored value of a plain variable or parameter (TfsVariable, TfsParamItem or
  // TfsStringVariable themselves, not a subclass that may add logic), which the hot paths
  // read and write directly; null for every other item.
  Variant* PlainStorage();

protected:
  TObject* FAddedBy = nullptr;
  bool FIsMacro = false;
  bool FIsReadOnly = false;
  AnsiString FName;
  bool FNeedResult = true;
  TfsCustomVariable* FRefItem = nullptr;
  AnsiString FSourcePos;
  TfsVarType FTyp;
  AnsiString FTypeName;
  Variant FValue;
};

// A variable or, with the read-only flag, a constant.
class TfsVariable : public TfsCustomVariable {
public:
  using TfsCustomVariable::TfsCustomVariable;
};

// A type name; its type code is the type's code.
class TfsTypeVariable : public TfsCustomVariable {
public:
  using TfsCustomVariable::TfsCustomVariable;
};

// A Char or String variable: its stored value is always an 8-bit text (s[i] works on it in
// place); whatever is assigned is converted.
class TfsStringVariable : public TfsVariable {
public:
  TfsStringVariable(const AnsiString& name, TfsVarType typ, const AnsiString& typeName);
  void SetValue(const Variant& value) override;
  const AnsiString& Text() const { return FValue.StringRef(); }
  // The text, unshared, for changing in place.
  AnsiString& MutableText() { return VarStrUnique(FValue); }
};

// A formal parameter of a routine or bound method.
class TfsParamItem : public TfsCustomVariable {
public:
  TfsParamItem(const AnsiString& name, TfsVarType typ, const AnsiString& typeName, bool isOptional,
               bool isVarParam);
  const Variant& DefValue() const { return FDefValue; }
  void SetDefValue(const Variant& value) { FDefValue = value; }
  bool IsOptional() const { return FIsOptional; }
  void SetIsOptional(bool value) { FIsOptional = value; }
  bool IsVarParam() const { return FIsVarParam; }

private:
  Variant FDefValue;
  bool FIsOptional;
  bool FIsVarParam;
};

// A procedure or function of a script. Its parameters are its children and are also
// entered in its local script, whose parent is the declaring script; a function's local
// script holds "Result" (the item's RefItem). Reading the item calls the routine.
class TfsProcVariable : public TfsCustomVariable {
public:
  TfsProcVariable(const AnsiString& name, TfsVarType typ, const AnsiString& typeName,
                  TfsScript* parentScript, bool isFunc);
  ~TfsProcVariable() override;
  Variant GetValue() override;
  bool Executing() const { return FExecuting; }
  bool IsFunc() const { return FIsFunc; }
  TfsScript* Prog() const { return FProgram.get(); }
  // Appends a parameter and enters it in the local script under its name.
  TfsParamItem* AddParam(std::unique_ptr<TfsParamItem> param);
  // What a recursive call saves and restores: the writable variables and parameters of the
  // local script's table, found once per state of the table; each with its stored value
  // when it is a plain item (read and written directly), else null.
  struct TFrameItem {
    TfsCustomVariable* Item;
    Variant* Storage;
  };
  inline const std::vector<TFrameItem>& FrameItems();

private:
  const std::vector<TFrameItem>& RebuildFrame();

  bool FExecuting = false;
  bool FIsFunc;
  std::unique_ptr<TfsScript> FProgram;
  std::vector<TFrameItem> FFrameItems;
  Integer FFrameVersion = -1;
};

// Base of expressions (fsExpression.h).
class TfsCustomExpression : public TfsCustomVariable {
public:
  using TfsCustomVariable::TfsCustomVariable;
};

// Base of members reached through a parent value (indexing helpers, class members).
class TfsCustomHelper : public TfsCustomVariable {
public:
  using TfsCustomVariable::TfsCustomVariable;
  TfsCustomVariable* ParentRef() const { return FParentRef; }
  void SetParentRef(TfsCustomVariable* value) { FParentRef = value; }
  const Variant& ParentValue() const { return FParentValue; }
  void SetParentValue(const Variant& value) { FParentValue = value; }
  TfsScript* Prog() const { return FProgram; }
  void SetProg(TfsScript* value) { FProgram = value; }

protected:
  // The object a member of class memberClass acts on: the parent value as an object. nil
  // (unless allowed), a freed object or a value that is no object raise "Invalid object
  // reference"; an object of another class raises "Invalid class typecast", so a binding
  // never sees an instance its class does not have.
  TObject* ParentObject(TClass memberClass, bool allowNil = false) const;

  TfsCustomVariable* FParentRef = nullptr;
  Variant FParentValue;
  TfsScript* FProgram = nullptr;
};

// A member of an automation object (a dispatch Variant), looked up by name on the live object
// each time: reading calls it with the argument values (a method call, or a property read
// when a result is wanted), writing puts the value with the arguments before it. Its
// parameters are one Variant per argument written at the call site. A failed call raises
// "OLE error XXXXXXXX: Name" with the automation result code.
class TfsOLEHelper : public TfsCustomHelper {
public:
  explicit TfsOLEHelper(const AnsiString& name);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
  // One more argument; more than the dispatch interface carries raise a compile error.
  void AddArgument();

private:
  Variant Invoke(Integer flags, const std::vector<Variant>& args);
};

// a[i, j, k] on the parent item's stored Variant array of one to three dimensions.
class TfsArrayHelper : public TfsCustomHelper {
public:
  // paramCount -1 gives the script-wide form: three parameters, the last two optional.
  TfsArrayHelper(const AnsiString& name, Integer paramCount, TfsVarType typ,
                 const AnsiString& typeName);
  void SetValue(const Variant& value) override;
  Variant GetValue() override;
};

// s[i] on the parent value as text, written back through the parent item.
class TfsStringHelper : public TfsCustomHelper {
public:
  TfsStringHelper();
  void SetValue(const Variant& value) override;
  Variant GetValue() override;
};

// ---- bound classes and functions ----
//
// The callbacks of bound members. Each receives the instance (nil for global functions), the
// class the member was registered on (nil for global functions) and the member's name in
// upper case; an index property's name is followed by ".GET" or ".SET". A constructor is
// called on a class value, not on an object: its instance is nil and its class is the class
// to construct (the class the script named, which may descend from the class the constructor
// was registered on); it returns the new object. The engine checks every instance against
// the member's class before calling, so a callback may cast it without testing.
//
// Call: the arguments as a Variant array (0-based), whose elements it may write to return
// var arguments; the result is the function's value.
using TfsCallMethodEvent = TEvent<Variant(TObject* Instance, TClass ClassType,
                                          const AnsiString& MethodName, Variant& Params)>;
// The arguments of a call read where they are, without building an array: Args[i] is
// argument i (0-based) as the parameter holds it, and writing it returns a var argument. An
// index property's ".SET" call has the value as its last argument.
class TfsCallArgs {
public:
  TfsCallArgs(TfsCustomVariable* item, Variant* extra);
  Integer Count() const { return FCount; }
  Variant& operator[](Integer index) const;

private:
  TfsCustomVariable* FItem;
  Variant* FExtra;
  Integer FCount;
};

// The same callback with the arguments in place: no array per call, so host functions that
// run for every record (Get) and the built-in library take this form.
using TfsCallArgsEvent = TEvent<Variant(TObject* Instance, TClass ClassType,
                                        const AnsiString& MethodName, TfsCallArgs& Args)>;
// Getter and setter of a bound property that is not published.
using TfsGetValueEvent =
    TEvent<Variant(TObject* Instance, TClass ClassType, const AnsiString& PropName)>;
using TfsSetValueEvent = TEvent<void(TObject* Instance, TClass ClassType,
                                     const AnsiString& PropName, const Variant& Value)>;

class TfsEventAdapter;

// A bound function or method, parsed from its signature; its children are the parameters.
class TfsMethodHelper : public TfsCustomHelper {
public:
  // Takes the name, result type, macro flag and parameters of the parsed signature.
  TfsMethodHelper(const AnsiString& signature, TfsScript* script);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  // A constructor's type code is fvtConstructor.
  bool IsConstructor() const { return FTyp == fvtConstructor; }
  // A method that may be called on nil (Free does nothing then).
  bool AcceptsNil() const { return FAcceptsNil; }
  void SetAcceptsNil(bool value) { FAcceptsNil = value; }

  const AnsiString& Category() const { return FCategory; }
  void SetCategory(const AnsiString& value) { FCategory = value; }
  TClass ClassRef() const { return FClassRef; }
  void SetClassRef(TClass value) { FClassRef = value; }
  const AnsiString& Description() const { return FDescription; }
  void SetDescription(const AnsiString& value) { FDescription = value; }
  bool IndexMethod() const { return FIndexMethod; }
  void SetIndexMethod(bool value);
  const AnsiString& Syntax() const { return FSyntax; }
  // The callback: OnCallArgs when it is set, else OnCall.
  TfsCallMethodEvent OnCall;
  TfsCallArgsEvent OnCallArgs;

private:
  // The instance and class the callback receives.
  void Target(TObject*& instance, TClass& cls) const;
  Variant CallWithArray(const AnsiString& name, Variant* extra);

  bool FAcceptsNil = false;
  AnsiString FCategory;
  TClass FClassRef = nullptr;
  AnsiString FDescription;
  bool FIndexMethod = false;
  AnsiString FSyntax;
  AnsiString FUpperName;
  AnsiString FGetName; // the name a read passes: upper case, ".GET" for index properties
  AnsiString FSetName;
};

// A property of a bound class. A published one is read and written through the platform's
// reflection by the instance's own property of that name; any other through its getter and
// setter (without a setter it is read-only).
class TfsPropertyHelper : public TfsCustomHelper {
public:
  TfsPropertyHelper(const AnsiString& name, TfsVarType typ, const AnsiString& typeName,
                    TClass classRef, bool published);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  TClass ClassRef() const { return FClassRef; }
  bool IsPublished() const { return FPublished; }
  TfsGetValueEvent OnGetValue;
  TfsSetValueEvent OnSetValue;

private:
  const TPropInfo* PublishedProp(TObject* instance);

  TClass FClassRef;
  bool FPublished;
  AnsiString FUpperName;
  // The property record of the last instance class met: one lookup per class, not per call.
  TClass FCachedClass = nullptr;
  const TPropInfo* FCachedProp = nullptr;
};

// An event of a bound class (type code 4; reading it gives an empty text). Assigning the
// name of a script procedure (@Proc) binds it through the adapter; assigning nil (or 0)
// clears the native event.
class TfsEventHelper : public TfsCustomHelper {
public:
  TfsEventHelper(const AnsiString& name, TClass classRef, const TfsEventAdapter& adapter);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  TClass ClassRef() const { return FClassRef; }
  const TfsEventAdapter& Adapter() const { return FAdapter; }

private:
  TClass FClassRef;
  const TfsEventAdapter& FAdapter;
};

// A bound class: its members are helpers found by name up the ancestor chain. Reading it
// without an argument gives the class value, which only a constructor takes; with its one
// optional argument set it is a typecast of that argument to the class.
class TfsClassVariable : public TfsCustomVariable {
public:
  // Creates the entry with a property member for every published property of the class
  // that is not an event, in alphabetical order.
  TfsClassVariable(TClass classRef, const AnsiString& ancestor, TfsScript* script);
  Variant GetValue() override;

  // "constructor Create(AOwner: TComponent)": a function of type Constructor.
  TfsMethodHelper* AddConstructor(const AnsiString& signature, const TfsCallMethodEvent& callback);
  TfsMethodHelper* AddConstructor(const AnsiString& signature, const TfsCallArgsEvent& callback);
  TfsMethodHelper* AddMethod(const AnsiString& signature, const TfsCallMethodEvent& callback);
  TfsMethodHelper* AddMethod(const AnsiString& signature, const TfsCallArgsEvent& callback);
  TfsEventHelper* AddEvent(const AnsiString& name, const TfsEventAdapter& adapter);
  // A property that is not published; without a setter it is read-only.
  TfsPropertyHelper* AddProperty(const AnsiString& name, const AnsiString& typeName,
                                 const TfsGetValueEvent& getter,
                                 const TfsSetValueEvent& setter = nullptr);
  // Items[i]: params is the comma list of index types ("Integer", "Integer, Integer"); the
  // member is the function "Items(p0: Integer; ...): typeName" called with ".GET" and ".SET".
  TfsMethodHelper* AddIndexProperty(const AnsiString& name, const AnsiString& params,
                                    const AnsiString& typeName, const TfsCallMethodEvent& callback,
                                    bool readOnly = false);
  TfsMethodHelper* AddIndexProperty(const AnsiString& name, const AnsiString& params,
                                    const AnsiString& typeName, const TfsCallArgsEvent& callback,
                                    bool readOnly = false);
  // An index property that is also the class's default property (obj[i]).
  TfsMethodHelper* AddDefaultProperty(const AnsiString& name, const AnsiString& params,
                                      const AnsiString& typeName,
                                      const TfsCallMethodEvent& callback, bool readOnly = false);
  TfsMethodHelper* AddDefaultProperty(const AnsiString& name, const AnsiString& params,
                                      const AnsiString& typeName, const TfsCallArgsEvent& callback,
                                      bool readOnly = false);

  // Appends a member; the class entry owns it.
  TfsCustomHelper* AddMember(std::unique_ptr<TfsCustomHelper> member);
  Integer MemberCount() const { return static_cast<Integer>(FMembers.size()); }
  TfsCustomHelper* MemberAt(Integer index) const
  {
    return FMembers[static_cast<size_t>(index)].get();
  }
  // The member of that name here or in an ancestor entry; nil when none.
  TfsCustomHelper* FindMember(const AnsiString& name) const;

  const AnsiString& Ancestor() const { return FAncestor; }
  TClass ClassRef() const { return FClassRef; }
  // The member used for obj[i]: this entry's, else the nearest ancestor entry's; nil when
  // none.
  TfsCustomHelper* DefProperty() const;
  void SetDefProperty(TfsCustomHelper* value) { FDefProperty = value; }
  TfsScript* Prog() const { return FProgram; }

private:
  TfsMethodHelper* NewMethod(const AnsiString& signature);

  AnsiString FAncestor;
  TClass FClassRef;
  TfsCustomHelper* FDefProperty = nullptr;
  std::vector<std::unique_ptr<TfsCustomHelper>> FMembers;
  TfsScript* FProgram;
};

// ---- the script ----

using TfsRunLineEvent =
    TEvent<void(TfsScript* Sender, const AnsiString& UnitName, const AnsiString& SourcePos)>;

class TfsScript : public TComponent {
public:
  explicit TfsScript(TComponent* AOwner = nullptr);
  ~TfsScript() override;

  // ---- the item table ----
  // Takes ownership of the item, stamps it with the registering owner and returns it. An
  // item without a name, or whose name is already in the table, is kept (and freed with the
  // script) but cannot be looked up: the earlier item of a name stays.
  template <class T> T* AddItem(const AnsiString& name, std::unique_ptr<T> item)
  {
    T* raw = item.get();
    AddOwnedItem(name, std::unique_ptr<TfsCustomVariable>(std::move(item)));
    return raw;
  }
  // Enters an item that another object owns (a routine's parameter in its local script).
  void AddItemReference(const AnsiString& name, TfsCustomVariable* item);
  // Takes the item out of the table and hands it to the caller when the script owns it.
  std::unique_ptr<TfsCustomVariable> RemoveItem(TfsCustomVariable* item);
  Integer ItemCount() const;
  TfsCustomVariable* ItemAt(Integer index) const;
  TfsCustomVariable* LookupOwnItem(const AnsiString& name) const;
  // This script's item of the name, else the parent chain's; nil when nobody has it.
  TfsCustomVariable* LookupItem(const AnsiString& name) const;
  TfsClassVariable* FindScriptClass(const AnsiString& name) const;
  void RemoveItemsOwnedBy(TObject* owner);
  void ClearItems();
  void ClearItemsOwnedBy(TObject* owner);

  // ---- registration ----
  void RegisterScriptType(const AnsiString& name, TfsVarType typ);
  void RegisterScriptConst(const AnsiString& name, const AnsiString& typeName,
                           const Variant& value);
  void RegisterScriptVariable(const AnsiString& name, const AnsiString& typeName,
                              const Variant& value);
  // The object's handle under its class name; a freed object reads as an invalid reference.
  void RegisterScriptObject(const AnsiString& name, TObject* obj);
  void RegisterScriptEnum(const AnsiString& typeName, const AnsiString& names);
  void RegisterScriptEnumSet(const AnsiString& typeName, const AnsiString& names);
  // A global function; the description defaults to its name.
  TfsMethodHelper* RegisterScriptMethod(const AnsiString& signature, const AnsiString& category,
                                        const AnsiString& description,
                                        const TfsCallMethodEvent& callback);
  TfsMethodHelper* RegisterScriptMethod(const AnsiString& signature, const AnsiString& category,
                                        const AnsiString& description,
                                        const TfsCallArgsEvent& callback);
  // A bound class with its ancestor's entry name ("" for the root); nil when this script has
  // an item of that name already (a child script may bind a class again for itself). The entry
  // inherits the ancestor entry's default property.
  TfsClassVariable* RegisterScriptClass(TClass classRef, const AnsiString& ancestor);

  // ---- compiling and running ----
  bool CompileScript();
  void RunScript();
  void StopScript();
  void RunLine(const AnsiString& unitName, const AnsiString& sourcePos);
  void AddCodeLine(const AnsiString& unitName, const AnsiString& sourcePos);
  bool IsExecutableLine(Integer line, const AnsiString& unitName = AnsiString()) const;
  // The value of a PascalScript expression seen from the running routine (or the script);
  // a text that does not compile gives its error message as the value.
  Variant EvaluateExpressionText(const AnsiString& text);
  Variant CallScriptFunction(const AnsiString& name, const Variant& params);
  Variant CallScriptFunctionVar(const AnsiString& name, Variant& params);

  // ---- properties ----
  TStrings* Lines() const;
  void SetLines(TStrings* value);
  const AnsiString& SyntaxType() const { return FSyntaxType; }
  void SetSyntaxType(const AnsiString& value) { FSyntaxType = value; }
  TfsScript* Parent() const { return FParent; }
  void SetParent(TfsScript* value) { FParent = value; }
  TfsStatement* Statement() const { return FStatement.get(); }
  // Changes whenever an item enters or leaves the table.
  Integer TableVersion() const { return FTableVersion; }
  TObject* AddedBy() const { return FAddedBy; }
  void SetAddedBy(TObject* value) { FAddedBy = value; }

  const AnsiString& ErrorMsg() const { return FErrorMsg; }
  const AnsiString& ErrorPos() const { return FErrorPos; }
  const AnsiString& ErrorUnit() const { return FErrorUnit; }
  void SetError(const AnsiString& msg, const AnsiString& pos, const AnsiString& unit);
  void SetErrorPos(const AnsiString& value) { FErrorPos = value; }
  void SetErrorUnit(const AnsiString& value) { FErrorUnit = value; }

  // ---- control flags ----
  bool BreakCalled = false;
  bool ContinueCalled = false;
  bool ExitCalled = false;
  bool Terminated = false;
  bool IsRunning = false;
  bool MainProg = false;
  // The local script of the routine running under this main program, or nil.
  TfsScript* ProgRunning = nullptr;

  TfsGetUnitEvent OnGetILUnit;
  TfsGetUnitEvent OnGetUnit;
  TfsRunLineEvent OnRunLine;

private:
  struct TItemTable;
  void AddOwnedItem(const AnsiString& name, std::unique_ptr<TfsCustomVariable> item);
  void ClearTable();
  void AddIndexingItems();

  TObject* FAddedBy = nullptr;
  AnsiString FErrorMsg;
  AnsiString FErrorPos;
  AnsiString FErrorUnit;
  std::unique_ptr<TItemTable> FItems;
  std::unique_ptr<TStringList> FLines;
  TfsScript* FParent = nullptr;
  std::unique_ptr<TfsStatement> FStatement;
  AnsiString FSyntaxType;
  std::unique_ptr<TStringList> FUnitLines;
  Integer FTableVersion = 0;
};

inline const std::vector<TfsProcVariable::TFrameItem>& TfsProcVariable::FrameItems()
{
  return FFrameVersion == FProgram->TableVersion() ? FFrameItems : RebuildFrame();
}

// The root of every lookup chain: base types and constants and what the library units
// register. Created by the interpreter unit's start-up; nil after its shutdown.
TfsScript* GlobalScriptUnit();
void InitializeScriptInterpreter();
void FinalizeScriptInterpreter();

// "Integer", "Class TStringList", the enumeration's name ... of an item's static type.
AnsiString TypeNameText(const TfsCustomVariable* item);
// The parameters of a routine that are not optional.
Integer RequiredParamCount(const TfsCustomVariable* item);
