// TfsILParser, the script compiler. Its first pass runs a language's grammar over the source
// text with the scanner (fsParser.h) and builds the intermediate syntax tree; it has no code
// of its own for any language. Its second pass, the program builder (fsProgramBuilder.cpp),
// turns that tree into the program objects of fsScript.h.
//
// Grammar format (one script XML document per language, registered in ScriptLanguages.h):
//   <language text="name">
//     <parser> settings (identchars, commentline1/2, commentblock1/2 "open,close",
//              stringquotes, hexsequence, skipchar, skipeol "0", declarevars "0"),
//              <keywords> one empty element per reserved word, <errors> err1.. text="message"
//     </parser>
//     <types> language type name -> engine type (attribute type) </types>
//     every other child is a rule; "program" is the start rule, "empty" matches nothing.
//   Items of a rule, by element name: char, keyword, ident, number, string, frstring, eol,
//   sequence, switch, optionalswitch, loop, optionalloop, optional; any other name refers to
//   the rule of that name. Attributes: text (expected token; a loop's separator), node (an
//   element wrapping what the item produced), add (an empty element holding the token, or
//   addtext), err (message when the item fails), term="1" / loop skip="1" (a failure ending
//   a repeated loop leaves no message), char skip="0" (no blanks before the character).
//   On the start rule, err names the message for text that no statement can begin.
//
// Intermediate syntax tree: root element "program" holding the produced elements in source
// order and a copy of the grammar's "types" element. Node elements carry pos="line:column"
// of their first token ("expr" also pos1, the position just after it); add elements carry
// text="value" and pos. Attribute values are escaped so that Prop returns them exactly. A used
// unit becomes <uses unit="name"> holding the unit's own program element.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Events.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Variants.h"
#include "report/script/fsParser.h"
#include "report/script/fsXMLDocument.h"

class TfsScript;
class TStringList;
class TfsCustomVariable;
class TfsDesignator;
class TfsExpression;
class TfsSetExpression;
class TfsStatement;
class TfsProcVariable;
class TfsWithStmt;
class TfsClassVariable;
enum TfsVarType : int;

// Supplies a unit's text (source text for OnGetUnit) for a unit name; the text is empty on
// entry and an empty result means the unit is empty.
using TfsGetUnitEvent =
    TEvent<void(TfsScript* Sender, const AnsiString& UnitName, AnsiString& UnitText)>;

// Frees the compiled grammars every parser shares (the script tool unit's finalization).
void ClearScriptGrammars();

// The deepest nesting of grammar items (and so of statements and expressions) accepted.
constexpr Integer fsMaxParseDepth = 2500;

class TfsILParser : public TObject {
public:
  // The program is the script being compiled; it is passed to OnGetUnit and not owned.
  explicit TfsILParser(TfsScript* program);
  ~TfsILParser() override;

  // Loads the grammar of a language: lexer settings, keywords, rules. Raises the registry's
  // "Language '%s' not found" for an unknown name.
  void SelectLanguage(const AnsiString& name);
  // Turns a whole source text into the intermediate syntax tree (SyntaxXml). On failure the
  // error message, position text, unit and the text near the error are set. A grammar that
  // refers to a missing rule raises "Invalid language definition"; a unit file that cannot
  // be read raises the file error.
  bool SourceToSyntaxXml(const AnsiString& text);
  // Compiles a used unit and appends its <uses> element to the output (once per name).
  void IncludeUnit(const AnsiString& name);

  // ---- results ----
  TfsXMLDocument* SyntaxXml() const { return FSyntax.get(); }
  // The selected grammar (shared, read-only); null before a language is selected.
  const TfsXMLDocument* Grammar() const;
  const AnsiString& ErrorMsg() const { return FErrorMsg; }
  const AnsiString& ErrorPos() const { return FErrorPos; }
  // The unit whose text holds the error; empty for the main text.
  const AnsiString& ErrorUnit() const { return FErrorUnit; }
  // A short piece of the text at the error position ("near '...'").
  const AnsiString& ErrorNear() const { return FErrorNear; }

  // ---- state ----
  const AnsiString& LanguageName() const { return FLanguageName; }
  // True when the language requires variables to be declared.
  bool NeedDeclareVars() const { return FNeedDeclareVars; }
  const AnsiString& UnitName() const { return FUnitName; }
  void SetUnitName(const AnsiString& value) { FUnitName = value; }
  // Names of the units included so far (compared case-insensitively).
  TStringList* UsesList() const { return FUsesList.get(); }
  TfsParser* Lexer() const { return FLexer.get(); }
  TfsScript* Program() const { return FProgram; }

  TfsGetUnitEvent OnGetUnit;

  // ---- second pass: the program builder (fsProgramBuilder.cpp) ----
  // Turns the intermediate syntax tree into the program's items and statements. The first
  // failure ends the pass: the program's error message, position and unit describe it.
  void SyntaxXmlToProgram();
  // Builds a designator that was left pending while compiling (names resolved through a
  // value only known at run time); failures raise.
  std::unique_ptr<TfsDesignator> BuildLateDesignator(TfsXMLItem* element, TfsScript* script);

  struct TGrammarItem;
  struct TGrammar;

private:
  using TOutput = std::vector<std::unique_ptr<TfsXMLItem>>;

  Integer ApplyLanguageDirective(const AnsiString& text);
  bool RunStartRule(Integer start);
  bool MatchGrammarItem(const TGrammarItem* item);
  bool MatchLoop(const TGrammarItem* item, Integer entryPos, size_t entryCount);
  bool AcceptToken(const TGrammarItem* item, const AnsiString& token) const;
  void WrapNodeOutput(const TGrammarItem* item, bool matched, Integer entryPos, size_t entryCount);
  void IncludeUsedUnits(size_t entryCount);
  void IncludeUnitAt(const AnsiString& name, size_t& insertAt);
  void AppendAdd(const AnsiString& name, const AnsiString& value);
  void AppendGetCall(const AnsiString& expression);
  void Truncate(size_t count) { FOutput.resize(count); }
  void RecordSyntaxError(const TGrammarItem* item, Integer entryPos);
  void RecordError(const AnsiString& message, Integer pos, bool term);
  Integer FirstUnconsumed(Integer from);
  AnsiString PositionAfterBlanks(Integer pos);

  AnsiString FErrorPos;
  std::shared_ptr<const TGrammar> FGrammar;
  std::unique_ptr<TfsXMLDocument> FSyntax;
  AnsiString FLanguageName;
  bool FNeedDeclareVars = true;
  std::unique_ptr<TfsParser> FLexer;
  TfsScript* FProgram = nullptr;
  AnsiString FUnitName;
  std::unique_ptr<TStringList> FUsesList;

  // ---- the program builder ----
  enum TDesignatorMode { dmPlain, dmNew, dmFree };
  struct TWithEntry {
    AnsiString Name;
    TfsCustomVariable* Variable;
  };
  void BuildProgram(TfsXMLItem* element, TfsScript* script);
  void DeclareRoutines(TfsXMLItem* element, TfsScript* script);
  void DeclareRoutine(TfsXMLItem* element, TfsScript* script, bool isFunction);
  void DeclareParameters(TfsXMLItem* element, TfsProcVariable* proc);
  std::unique_ptr<TfsCustomVariable> DeclareVariable(TfsXMLItem* element, TfsScript* script,
                                                     bool isVarParam, bool isParameter,
                                                     TfsStatement* list, const AnsiString& name);
  Variant BuildArray(TfsXMLItem* element, TfsScript* script, TfsVarType typ,
                     const AnsiString& typeName, TfsCustomVariable*& helper);
  void BuildStatementList(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildStatement(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildAssignment(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildCall(TfsXMLItem* element, TfsScript* script, TfsStatement* list, bool isDelete);
  void BuildIf(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildCase(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildFor(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildVbFor(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildCppFor(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildWhile(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildRepeat(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildTry(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildReturn(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildWith(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildUses(TfsXMLItem* element, TfsScript* script);
  void BuildVar(TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void BuildConst(TfsXMLItem* element, TfsScript* script);
  std::unique_ptr<TfsDesignator> BuildDesignator(TfsXMLItem* element, TfsScript* script,
                                                 TDesignatorMode mode);
  bool AddFirstElement(TfsDesignator* designator, TfsXMLItem* element, TfsScript* script,
                       Integer index, TDesignatorMode mode);
  bool ResolveThroughWith(TfsDesignator* designator, TfsXMLItem* element, TfsScript* script,
                          const AnsiString& name);
  void AddLaterElement(TfsDesignator* designator, TfsScript* script, const AnsiString& name);
  TfsCustomVariable* ArrayIndexer(TfsCustomVariable* ref, TfsScript* script,
                                  const AnsiString& name);
  void CheckArguments(TfsDesignator* designator);
  std::unique_ptr<TfsExpression> BuildExpression(TfsXMLItem* element, TfsScript* script);
  void AddExpressionItems(TfsExpression* expression, TfsXMLItem* element, TfsScript* script);
  std::unique_ptr<TfsSetExpression> BuildSet(TfsXMLItem* element, TfsScript* script);
  // The value of an expression the compiler needs now (a constant, an array bound, an
  // initial value): a failure of the script's own computation is a compile error there.
  Variant EvaluateNow(TfsExpression* expression);
  void RememberPosition(const TfsXMLItem* element);
  void CheckRedeclared(TfsScript* script, const AnsiString& name);
  TfsClassVariable* FindClass(const AnsiString& name);
  void CheckTypes(TfsCustomVariable* target, TfsCustomVariable* expression);
  TfsCustomVariable* FindVariable(TfsScript* script, const AnsiString& name);
  TfsVarType TypeCode(const AnsiString& typeName);
  // Appends a statement to a list; an executable one marks its line in the script.
  template <class S>
  S* AddStatement(TfsStatement* list, std::unique_ptr<S> statement, bool executable = true)
  {
    S* raw = statement.get();
    AppendStatement(list, std::unique_ptr<TfsStatement>(std::move(statement)), executable);
    return raw;
  }
  void AppendStatement(TfsStatement* list, std::unique_ptr<TfsStatement> statement,
                       bool executable);

  TfsXMLItem* FProgRoot = nullptr;
  std::vector<TWithEntry> FWithList;
  bool FLateBinding = false;

  // State of one run of SourceToSyntaxXml.
  TOutput FOutput;
  AnsiString FErrorMsg;
  AnsiString FErrorUnit;
  AnsiString FErrorNear;
  bool FTermFlag = false;
  Integer FDepth = 0;
};
