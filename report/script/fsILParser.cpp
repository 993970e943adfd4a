// The grammar-driven first pass of the script compiler. A grammar text is compiled once
// into item records shared by every parser that selects it; MatchGrammarItem runs one item at the
// scanner's position, backtracking freely, and collects the produced elements in a flat output list
// that node items wrap. fsILParser.h describes the grammar format and the output tree.
#include "report/script/fsILParser.h"

#include <algorithm>
#include <map>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "report/script/ScriptLanguages.h"

namespace {

const char* const SNestingTooDeep = "Nesting too deep";
const char* const SSyntaxError = "Syntax error";

enum TItemKind {
  ikRule,
  ikChar,
  ikKeyword,
  ikIdent,
  ikNumber,
  ikString,
  ikFRString,
  ikEol,
  ikSequence,
  ikSwitch,
  ikOptionalSwitch,
  ikLoop,
  ikOptionalLoop,
  ikOptional,
  ikReference
};

struct TKindName {
  const char* Name;
  TItemKind Kind;
};

const TKindName KindNames[] = {
    {"char", ikChar},         {"keyword", ikKeyword},
    {"ident", ikIdent},       {"number", ikNumber},
    {"string", ikString},     {"frstring", ikFRString},
    {"eol", ikEol},           {"sequence", ikSequence},
    {"switch", ikSwitch},     {"optionalswitch", ikOptionalSwitch},
    {"loop", ikLoop},         {"optionalloop", ikOptionalLoop},
    {"optional", ikOptional},
};
// Every kind except rules and references has its element name in the table.
static_assert(std::size(KindNames) == ikReference - ikChar, "KindNames and TItemKind out of step");

std::unique_ptr<TfsXMLItem> NewElement(const AnsiString& name, const AnsiString& text)
{
  auto e = std::make_unique<TfsXMLItem>();
  e->SetName(name);
  e->SetText(text);
  return e;
}

} // namespace

// One compiled grammar item. Texts are lower case where the matching ignores case.
struct TfsILParser::TGrammarItem {
  TItemKind Kind = ikRule;
  AnsiString Name; // element name, lower case (a reference: the rule's name)
  AnsiString Text; // expected token or loop separator, lower case
  bool HasText = false;
  AnsiString Node; // wrapping element, lower case
  AnsiString Add;  // appended element
  bool HasAdd = false;
  AnsiString AddText;
  bool HasAddText = false;
  AnsiString Message;    // the err message; empty when none
  bool Term = false;     // term="1"
  bool NoSkip = false;   // char skip="0"
  bool SkipLoop = false; // loop skip="1"
  std::vector<const TGrammarItem*> Children;
  const TGrammarItem* Rule = nullptr; // a reference: its rule, null when there is none
};

// A language's grammar, compiled once and shared by every parser that selects it.
struct TfsILParser::TGrammar {
  TfsXMLDocument Document;
  std::vector<std::unique_ptr<TGrammarItem>> Items;
  std::vector<const TGrammarItem*> Rules;
  const TGrammarItem* StartRule = nullptr;
  AnsiString StartMessage; // the start rule's err: text no statement can begin
};

namespace {

using TGrammarCache = std::map<AnsiString, std::shared_ptr<const TfsILParser::TGrammar>>;
std::unique_ptr<TGrammarCache> GrammarCache;

// The message an item's err attribute names under parser/errors; empty when none.
AnsiString ErrorMessage(const TfsXMLItem* errors, const AnsiString& err)
{
  if (err.empty() || !errors)
    return AnsiString();
  Integer i = errors->Find(err);
  return i >= 0 ? errors->Items(i)->Prop("text") : AnsiString();
}

// Builds the record of one item element and, recursively, of its children. Grammar
// elements nest no deeper than the XML reader allows, so the recursion is bounded.
const TfsILParser::TGrammarItem* CompileItem(TfsILParser::TGrammar& grammar,
                                             const TfsXMLItem* errors, const TfsXMLItem* element,
                                             bool isRule)
{
  auto item = std::make_unique<TfsILParser::TGrammarItem>();
  item->Name = LowerCase(element->Name());
  item->Kind = isRule ? ikRule : ikReference;
  if (!isRule)
    for (const TKindName& k : KindNames)
      if (item->Name == k.Name)
        item->Kind = k.Kind;
  item->HasText = element->HasProp("text");
  item->Text = LowerCase(element->Prop("text"));
  item->Node = LowerCase(element->Prop("node"));
  item->HasAdd = element->HasProp("add");
  item->Add = element->Prop("add");
  item->HasAddText = element->HasProp("addtext");
  item->AddText = element->Prop("addtext");
  item->Message = ErrorMessage(errors, element->Prop("err"));
  item->Term = element->Prop("term") == "1";
  const AnsiString skip = element->Prop("skip");
  item->NoSkip = skip == "0";
  item->SkipLoop = skip == "1";
  for (Integer i = 0; i < element->Count(); ++i)
    item->Children.push_back(CompileItem(grammar, errors, element->Items(i), false));
  grammar.Items.push_back(std::move(item));
  return grammar.Items.back().get();
}

// Compiles a grammar text: every child of the root but parser and types is a rule. A
// reference to a missing rule stays unresolved; running it raises, so a broken grammar
// works up to the point where that rule is needed.
std::shared_ptr<const TfsILParser::TGrammar> CompileGrammar(const AnsiString& text)
{
  auto grammar = std::make_shared<TfsILParser::TGrammar>();
  grammar->Document.LoadFromText(text);
  const TfsXMLItem* root = grammar->Document.Root();
  const TfsXMLItem* errors = nullptr;
  if (Integer p = root->Find("parser"); p >= 0)
    if (Integer e = root->Items(p)->Find("errors"); e >= 0)
      errors = root->Items(p)->Items(e);
  for (Integer i = 0; i < root->Count(); ++i) {
    const TfsXMLItem* element = root->Items(i);
    const AnsiString name = LowerCase(element->Name());
    if (name == "parser" || name == "types")
      continue;
    const TfsILParser::TGrammarItem* rule = CompileItem(*grammar, errors, element, true);
    grammar->Rules.push_back(rule);
    if (name == "program" && !grammar->StartRule) {
      grammar->StartRule = rule;
      grammar->StartMessage = rule->Message;
    }
  }
  for (auto& item : grammar->Items) {
    if (item->Kind != ikReference)
      continue;
    for (const TfsILParser::TGrammarItem* rule : grammar->Rules) {
      if (rule->Name == item->Name) {
        item->Rule = rule;
        break;
      }
    }
  }
  return grammar;
}

// The compiled grammar of a text, compiled on first use. Registered grammar texts never
// change (the first registration of a name wins), so the text is the key.
std::shared_ptr<const TfsILParser::TGrammar> FindGrammar(const AnsiString& text)
{
  if (!GrammarCache)
    GrammarCache = std::make_unique<TGrammarCache>();
  auto it = GrammarCache->find(text);
  if (it != GrammarCache->end())
    return it->second;
  auto grammar = CompileGrammar(text);
  GrammarCache->emplace(text, grammar);
  return grammar;
}

} // namespace

void ClearScriptGrammars()
{
  GrammarCache.reset();
}

TfsILParser::TfsILParser(TfsScript* program)
    : FSyntax(std::make_unique<TfsXMLDocument>()), FLexer(std::make_unique<TfsParser>()),
      FProgram(program), FUsesList(std::make_unique<TStringList>())
{
}

TfsILParser::~TfsILParser() = default;

const TfsXMLDocument* TfsILParser::Grammar() const
{
  return FGrammar ? &FGrammar->Document : nullptr;
}

// Loads a language: its compiled grammar, the lexer settings and keywords of its parser
// element, and the declaration flag.
void TfsILParser::SelectLanguage(const AnsiString& name)
{
  FLexer->Clear();
  FLanguageName = name;
  FGrammar = FindGrammar(LanguageGrammarText(name));
  FNeedDeclareVars = true;
  const TfsXMLItem* root = FGrammar->Document.Root();
  const Integer parserIndex = root->Find("parser");
  if (parserIndex < 0)
    return;
  const TfsXMLItem* parser = root->Items(parserIndex);
  for (Integer i = 0; i < parser->Count(); ++i) {
    const TfsXMLItem* setting = parser->Items(i);
    const AnsiString kind = LowerCase(setting->Name());
    const AnsiString value = setting->Prop("text");
    if (kind == "keywords") {
      for (Integer k = 0; k < setting->Count(); ++k)
        FLexer->AddKeyword(setting->Items(k)->Name());
    } else if (kind == "identchars") {
      FLexer->SetIdentChars(value);
    } else if (kind == "commentline1") {
      FLexer->SetCommentLine1(value);
    } else if (kind == "commentline2") {
      FLexer->SetCommentLine2(value);
    } else if (kind == "commentblock1") {
      FLexer->SetCommentBlock1(value);
    } else if (kind == "commentblock2") {
      FLexer->SetCommentBlock2(value);
    } else if (kind == "stringquotes") {
      FLexer->SetStringQuotes(value);
    } else if (kind == "hexsequence") {
      FLexer->SetHexSequence(value);
    } else if (kind == "skipchar") {
      FLexer->SetSkipChar(value);
    } else if (kind == "skipeol") {
      FLexer->SetSkipEOL(value != "0");
    } else if (kind == "declarevars") {
      FNeedDeclareVars = value != "0";
    }
  }
}

bool TfsILParser::AcceptToken(const TGrammarItem* item, const AnsiString& token) const
{
  return !token.empty() && (!item->HasText || SameText(token, item->Text));
}

// Runs one grammar item at the scanner's position. On failure the scanner is back at the
// entry position and nothing of what the item produced stays in the output.
bool TfsILParser::MatchGrammarItem(const TGrammarItem* item)
{
  if (FDepth >= fsMaxParseDepth) {
    Integer pos = FLexer->Position();
    RaiseCompileError(SNestingTooDeep, FLexer->PositionTextAt(pos), FLexer->TokenNear(pos));
  }
  struct TDepthGuard {
    Integer& Depth;
    explicit TDepthGuard(Integer& d) : Depth(d) { ++Depth; }
    ~TDepthGuard() { --Depth; }
  } guard(FDepth);

  const Integer entryPos = FLexer->Position();
  const size_t entryCount = FOutput.size();
  bool matched = true;
  AnsiString token;
  switch (item->Kind) {
  case ikRule:
  case ikSequence:
    break;
  case ikChar:
    if (!item->NoSkip)
      FLexer->SkipBlanksAndComments();
    token = FLexer->ReadChar();
    matched = AcceptToken(item, token);
    break;
  case ikKeyword:
    token = FLexer->ReadWord();
    matched = AcceptToken(item, token);
    break;
  case ikIdent:
    token = FLexer->ReadIdent();
    matched = AcceptToken(item, token);
    break;
  case ikNumber:
    token = FLexer->ReadNumber();
    matched = AcceptToken(item, token);
    break;
  case ikString:
    token = FLexer->ReadStringLiteral();
    matched = AcceptToken(item, token);
    break;
  case ikFRString:
    token = FLexer->ReadFRString();
    matched = AcceptToken(item, token);
    if (matched)
      AppendGetCall(token);
    break;
  case ikEol:
    matched = FLexer->SkipLineEnd();
    break;
  case ikSwitch:
  case ikOptionalSwitch:
    for (const TGrammarItem* child : item->Children)
      if (MatchGrammarItem(child))
        return true;
    if (item->Kind == ikOptionalSwitch)
      return true;
    RecordSyntaxError(item, entryPos);
    return false;
  case ikLoop:
  case ikOptionalLoop:
    return MatchLoop(item, entryPos, entryCount);
  case ikOptional:
    for (const TGrammarItem* child : item->Children) {
      if (!MatchGrammarItem(child)) {
        FLexer->SetPosition(entryPos);
        Truncate(entryCount);
        return true;
      }
    }
    return true;
  case ikReference:
    if (!item->Rule)
      throw Exception(SInvalidLanguage);
    matched = MatchGrammarItem(item->Rule);
    break;
  }

  bool result = matched;
  if (!matched) {
    RecordSyntaxError(item, entryPos);
  } else {
    if (item->Kind != ikRule)
      WrapNodeOutput(item, true, entryPos, entryCount);
    if (item->HasAdd)
      AppendAdd(item->Add, item->HasAddText ? item->AddText : token);
    for (const TGrammarItem* child : item->Children) {
      if (!MatchGrammarItem(child)) {
        result = false;
        break;
      }
    }
  }
  if (!result) {
    FLexer->SetPosition(entryPos);
    Truncate(entryCount);
  }
  if (item->Kind == ikRule)
    WrapNodeOutput(item, result, entryPos, entryCount);
  return result;
}

// loop / optionalloop: rounds of the children, separated by the item's text when it has
// one. More than one round is a success ending after the last round's children, even when
// that round failed part-way (what it matched stays consumed).
bool TfsILParser::MatchLoop(const TGrammarItem* item, Integer entryPos, size_t entryCount)
{
  const AnsiString& separator = item->Text;
  Integer rounds = 0;
  Integer endPos = entryPos;
  bool ok = true;
  bool messageBeforeRound = false;
  for (;;) {
    ++rounds;
    const Integer roundStart = FLexer->Position();
    messageBeforeRound = !FErrorMsg.empty();
    ok = true;
    for (const TGrammarItem* child : item->Children) {
      if (!MatchGrammarItem(child)) {
        ok = false;
        break;
      }
    }
    endPos = FLexer->Position();
    if (!ok)
      break;
    if (!separator.empty()) {
      FLexer->SkipBlanksAndComments();
      if (FLexer->ReadChar() != separator) {
        FLexer->SetPosition(endPos);
        break;
      }
    }
    if (FLexer->Position() == roundStart)
      break;
  }
  bool result = ok;
  if (rounds > 1) {
    // A message left by the failed last round of a repeated loop is forgotten when the
    // failure was in a term item or the loop skips failures.
    if (!ok && !messageBeforeRound && (item->SkipLoop || FTermFlag)) {
      FErrorMsg.clear();
      FErrorPos.clear();
      FErrorNear.clear();
      FTermFlag = false;
    }
    FLexer->SetPosition(endPos);
    result = true;
  }
  if (!result) {
    FLexer->SetPosition(entryPos);
    Truncate(entryCount);
    return item->Kind == ikOptionalLoop;
  }
  return true;
}

AnsiString TfsILParser::PositionAfterBlanks(Integer pos)
{
  Integer saved = FLexer->Position();
  FLexer->SetPosition(pos);
  FLexer->SkipBlanksAndComments();
  AnsiString text = FLexer->PositionText();
  FLexer->SetPosition(saved);
  return text;
}

void TfsILParser::WrapNodeOutput(const TGrammarItem* item, bool matched, Integer entryPos,
                                 size_t entryCount)
{
  const AnsiString& node = item->Node;
  if (node.empty())
    return;
  if (!matched) {
    Truncate(entryCount);
    return;
  }
  if (node == "uses") {
    IncludeUsedUnits(entryCount);
    return;
  }
  AnsiString attributes = "pos=\"" + PositionAfterBlanks(entryPos) + "\"";
  if (node == "expr")
    attributes += " pos1=\"" + FLexer->PositionText() + "\"";
  auto element = NewElement(node, attributes);
  for (size_t i = entryCount; i < FOutput.size(); ++i)
    element->AddItem(FOutput[i].release());
  Truncate(entryCount);
  FOutput.push_back(std::move(element));
}

// The output from entryCount on holds the "file" elements of a uses clause. Each is replaced
// by the unit it names, the last name first.
void TfsILParser::IncludeUsedUnits(size_t entryCount)
{
  size_t insertAt = entryCount;
  while (FOutput.size() > insertAt) {
    AnsiString value = FOutput.back()->Prop("text");
    FOutput.pop_back();
    if (value.size() >= 2)
      value = value.substr(1, value.size() - 2);
    IncludeUnitAt(value, insertAt);
  }
}

void TfsILParser::IncludeUnit(const AnsiString& name)
{
  size_t insertAt = FOutput.size();
  IncludeUnitAt(name, insertAt);
}

void TfsILParser::IncludeUnitAt(const AnsiString& name, size_t& insertAt)
{
  if (FUsesList->IndexOf(name) >= 0)
    return;
  FUsesList->Add(name);

  // The unit's lines, each followed by CR LF, as a script's lines reach the compiler.
  TStringList lines;
  if (OnGetUnit) {
    AnsiString text;
    OnGetUnit(FProgram, name, text);
    lines.SetText(text);
  } else {
    lines.LoadFromFile(name);
  }

  auto uses = NewElement("uses", "unit=\"" + ScriptStrToXMLStrict(name) + "\"");
  if (lines.Count() > 0) {
    TfsILParser unit(FProgram);
    unit.FUnitName = name;
    unit.OnGetUnit = OnGetUnit;
    unit.SelectLanguage(FLanguageName);
    unit.FUsesList->Assign(FUsesList.get());
    unit.FDepth = FDepth; // the nesting limit counts across units
    if (!unit.SourceToSyntaxXml(lines.Text()))
      RaiseCompileError(unit.FErrorMsg, unit.FErrorPos, unit.FErrorNear,
                        unit.FErrorUnit.empty() ? name : unit.FErrorUnit);
    FUsesList->Assign(unit.FUsesList.get());
    uses->Add()->Assign(unit.FSyntax->Root());
  }
  FOutput.insert(FOutput.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(uses));
  ++insertAt;
}

void TfsILParser::AppendAdd(const AnsiString& name, const AnsiString& value)
{
  FOutput.push_back(NewElement(name, "text=\"" + ScriptStrToXMLStrict(value) + "\" pos=\"" +
                                         FLexer->PositionText() + "\""));
}

// A bracketed report expression <x> becomes the call Get('x'), placed at the closing '>'.
void TfsILParser::AppendGetCall(const AnsiString& expression)
{
  const AnsiString pos = "pos=\"" + FLexer->PositionText() + "\"";
  auto dsgn = NewElement("dsgn", pos);
  dsgn->AddItem(NewElement("node", "text=\"Get\" " + pos).release());
  TfsXMLItem* expr = NewElement("expr", pos + " pos1" + pos.substr(3)).release();
  dsgn->AddItem(expr);
  expr->AddItem(
      NewElement("string", "text=\"" + ScriptStrToXMLStrict("'" + expression + "'") + "\" " + pos)
          .release());
  FOutput.push_back(std::move(dsgn));
}

void TfsILParser::RecordSyntaxError(const TGrammarItem* item, Integer entryPos)
{
  if (item->Message.empty() || !FErrorMsg.empty())
    return;
  RecordError(item->Message, entryPos, item->Term);
}

// Records a message at the first character after blanks and comments from pos; the first
// recorded message wins.
void TfsILParser::RecordError(const AnsiString& message, Integer pos, bool term)
{
  Integer saved = FLexer->Position();
  FLexer->SetPosition(pos);
  FLexer->SkipBlanksAndComments();
  FErrorMsg = message;
  FErrorPos = FLexer->PositionText();
  FErrorNear = FLexer->TokenNear(FLexer->Position());
  FTermFlag = term;
  FLexer->SetPosition(saved);
}

// The first position from pos on that is not a blank, a comment or a line end.
Integer TfsILParser::FirstUnconsumed(Integer from)
{
  Integer saved = FLexer->Position();
  FLexer->SetPosition(from);
  while (FLexer->SkipLineEnd()) {
  }
  Integer pos = FLexer->Position();
  FLexer->SetPosition(saved);
  return pos;
}

// "#language Name" as the very first characters of the text selects the language of the
// rest, which starts after the line end. Returns the position where parsing starts.
Integer TfsILParser::ApplyLanguageDirective(const AnsiString& text)
{
  if (FLexer->ReadChar() != "#" || !SameText(FLexer->ReadIdent(), "language"))
    return 1;
  const size_t from = static_cast<size_t>(FLexer->Position() - 1);
  const size_t cr = text.find('\r', from);
  SelectLanguage(Trim(text.substr(from, cr == AnsiString::npos ? AnsiString::npos : cr - from)));
  if (cr == AnsiString::npos)
    return FLexer->Size() + 1;
  return std::min<Integer>(static_cast<Integer>(cr) + 3, FLexer->Size() + 1); // after CR LF
}

// Runs the start rule from start; true when it matched and no message was recorded.
bool TfsILParser::RunStartRule(Integer start)
{
  if (!FGrammar || !FGrammar->StartRule)
    throw Exception(SInvalidLanguage);
  const AnsiString& startMessage = FGrammar->StartMessage;
  FLexer->SetPosition(start);
  bool matched = MatchGrammarItem(FGrammar->StartRule);
  if (matched && FErrorMsg.empty() && !startMessage.empty()) {
    // Text that no statement could begin is an error where the start rule says so.
    Integer rest = FirstUnconsumed(FLexer->Position());
    if (rest <= FLexer->Size())
      RecordError(startMessage, rest, false);
  }
  if (!matched && FErrorMsg.empty()) {
    // The start rule failed without a message: an empty text is an empty program,
    // anything else is refused at its first character.
    Integer rest = FirstUnconsumed(start);
    if (rest > FLexer->Size())
      return true;
    RecordError(startMessage.empty() ? AnsiString(SSyntaxError) : startMessage, rest, false);
  }
  return matched && FErrorMsg.empty();
}

bool TfsILParser::SourceToSyntaxXml(const AnsiString& text)
{
  FOutput.clear();
  FErrorMsg.clear();
  FErrorPos.clear();
  FErrorUnit.clear();
  FErrorNear.clear();
  FTermFlag = false;
  TfsXMLItem* root = FSyntax->Root();
  root->Clear();
  root->SetName("program");
  root->SetText(AnsiString());
  bool ok = false;
  try {
    FLexer->SetText(text);
    ok = RunStartRule(ApplyLanguageDirective(text));
  } catch (const EfsCompileError& e) {
    // A lexical limit, the nesting limit or a failing unit ends the run at once; no
    // alternative can recover from it.
    FErrorMsg = e.Message();
    FErrorPos = e.Position;
    FErrorNear = e.Near;
    FErrorUnit = e.UnitName;
  }
  if (ok) {
    for (auto& element : FOutput)
      root->AddItem(element.release());
    const TfsXMLItem* grammarRoot = FGrammar->Document.Root();
    if (Integer types = grammarRoot->Find("types"); types >= 0)
      root->Add()->Assign(grammarRoot->Items(types));
  }
  FOutput.clear();
  return ok;
}
