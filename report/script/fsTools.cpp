// Type codes and compatibility, source literals, method signatures, position texts, Format
// over Variant arrays and the function catalogue (fsTools.h).
#include "report/script/fsTools.h"

#include <cctype>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "report/script/fsXMLDocument.h"

TfsVarType TypeNameToCode(const AnsiString& name, TfsScript* script)
{
  TfsCustomVariable* item = script ? script->LookupItem(name) : nullptr;
  return item ? item->Typ() : fvtClass;
}

bool IsClassCompatible(const AnsiString& targetClass, const AnsiString& sourceClass,
                       TfsScript* script)
{
  TfsClassVariable* target = script->FindScriptClass(targetClass);
  TfsClassVariable* source = script->FindScriptClass(sourceClass);
  if (!target || !source)
    return false;
  return source->ClassRef()->InheritsFrom(target->ClassRef());
}

bool IsTypeCompatible(const TfsTypeRec& target, const TfsTypeRec& source, TfsScript* script)
{
  const TfsVarType s = source.Typ;
  switch (target.Typ) {
  case fvtInt:
    return s == fvtInt || s == fvtFloat || s == fvtVariant || s == fvtEnum;
  case fvtBool:
    return s == fvtBool || s == fvtVariant;
  case fvtFloat:
    return s == fvtInt || s == fvtFloat || s == fvtVariant;
  case fvtChar:
  case fvtString:
    return s == fvtChar || s == fvtString || s == fvtVariant;
  case fvtClass:
    return s == fvtVariant ||
           (s == fvtClass && IsClassCompatible(target.TypeName, source.TypeName, script));
  case fvtArray:
    return s == fvtArray || s == fvtVariant;
  case fvtVariant:
    return true;
  case fvtEnum:
    return s == fvtInt || s == fvtVariant ||
           (s == fvtEnum && SameText(target.TypeName.substr(0, 32), source.TypeName.substr(0, 32)));
  default:
    return false;
  }
}

bool IsAssignCompatible(TfsCustomVariable* target, TfsCustomVariable* source, TfsScript* script)
{
  if (target->Typ() == fvtInt && source->Typ() == fvtFloat)
    return false;
  return IsTypeCompatible({target->Typ(), target->TypeName()}, {source->Typ(), source->TypeName()},
                          script);
}

Variant ParseLiteral(const AnsiString& text)
{
  if (text.empty())
    return Null();
  if (text[0] == '\'')
    return Variant(text.size() >= 2 ? text.substr(1, text.size() - 2) : AnsiString());
  Int64 value = 0;
  if (TryStrToInt64(text, value))
    return Variant(value);
  // A literal beyond the range of a Double (1e999) is no number either.
  TFormatSettings settings = FormatSettings;
  settings.DecimalSeparator = '.';
  Double number = 0;
  if (!TryStrToFloat(text, number, settings))
    throw EConvertError(Format(SInvalidFloat, {text}));
  return Variant(number);
}

namespace {

// A small scanner over a registered signature: words, numbers, string literals and single
// characters, with blanks skipped.
class TSignatureScanner {
public:
  explicit TSignatureScanner(const AnsiString& text) : FText(text) {}

  void SkipBlanks()
  {
    while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ')
      ++FPos;
  }
  char Peek()
  {
    SkipBlanks();
    return FPos < FText.size() ? FText[FPos] : '\0';
  }
  char Next()
  {
    const char c = Peek();
    if (c)
      ++FPos;
    return c;
  }
  static bool IsWordChar(char c)
  {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
  }
  AnsiString Word()
  {
    SkipBlanks();
    const size_t start = FPos;
    while (FPos < FText.size() && IsWordChar(FText[FPos]))
      ++FPos;
    return FText.substr(start, FPos - start);
  }
  // A number (with '.', exponent or '$' hex), a quoted literal, or a word.
  AnsiString Token()
  {
    SkipBlanks();
    if (FPos >= FText.size())
      return AnsiString();
    const size_t start = FPos;
    if (FText[FPos] == '\'') {
      ++FPos;
      while (FPos < FText.size()) {
        if (FText[FPos] == '\'' && (FPos + 1 >= FText.size() || FText[FPos + 1] != '\''))
          break;
        FPos += FText[FPos] == '\'' ? 2 : 1;
      }
      ++FPos;
      return FText.substr(start, std::min(FPos, FText.size()) - start);
    }
    while (FPos < FText.size() &&
           (IsWordChar(FText[FPos]) || FText[FPos] == '.' || FText[FPos] == '$'))
      ++FPos;
    return FText.substr(start, FPos - start);
  }

private:
  AnsiString FText;
  size_t FPos = 0;
};

// The default value of a parameter as written in a signature.
Variant SignatureDefault(TSignatureScanner& scanner, TfsScript* script)
{
  bool negative = false;
  if (scanner.Peek() == '-') {
    scanner.Next();
    negative = true;
  }
  const AnsiString token = scanner.Token();
  if (token.empty())
    return Null();
  const char c = token[0];
  if (c == '\'') {
    AnsiString text = token.substr(1, token.size() >= 2 ? token.size() - 2 : 0);
    return Variant(StringReplace(text, "''", "'", {rfReplaceAll}));
  }
  if (std::isdigit(static_cast<unsigned char>(c)) || c == '$') {
    Variant value = ParseLiteral(token);
    return negative ? VarNeg(value) : value;
  }
  TfsCustomVariable* item = script ? script->LookupItem(token) : nullptr;
  return item ? item->GetValue() : Null();
}

} // namespace

std::unique_ptr<TfsCustomVariable> ParseMethodSignature(const AnsiString& signature,
                                                        TfsScript* script)
{
  TSignatureScanner scanner(signature);
  AnsiString kind = scanner.Word();
  bool isMacro = false;
  if (kind.size() >= 5 && SameText(kind.substr(0, 5), "macro")) {
    isMacro = true;
    kind = kind.substr(5);
  }
  const bool isFunction = SameText(kind, "function");
  const AnsiString name = scanner.Word();
  AnsiString resultType;
  if (isFunction) {
    const size_t colon = signature.rfind(':');
    if (colon != AnsiString::npos) {
      TSignatureScanner rest(signature.substr(colon + 1));
      resultType = rest.Word();
    }
  }
  auto result =
      std::make_unique<TfsCustomVariable>(name, TypeNameToCode(resultType, script), resultType);
  result->SetIsMacro(isMacro);
  if (scanner.Peek() != '(')
    return result;
  scanner.Next();

  std::vector<AnsiString> names;
  bool varGroup = false;
  for (;;) {
    const char c = scanner.Peek();
    if (c == '\0' || c == ')')
      break;
    if (c == ',' || c == ';') {
      scanner.Next();
      continue;
    }
    if (c == ':') {
      scanner.Next();
      const AnsiString typeName = scanner.Word();
      Variant def = Null();
      if (scanner.Peek() == '=') {
        scanner.Next();
        def = SignatureDefault(scanner, script);
      }
      for (size_t i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        auto* param = result->Add(
            std::make_unique<TfsParamItem>(names[i], TypeNameToCode(typeName, script), typeName,
                                           last && !VarIsNull(def), varGroup));
        if (last)
          param->SetDefValue(def);
      }
      names.clear();
      varGroup = false;
      continue;
    }
    const AnsiString word = scanner.Word();
    if (word.empty()) {
      scanner.Next(); // a character no signature uses
      continue;
    }
    if (SameText(word, "var"))
      varGroup = true;
    else if (!SameText(word, "const"))
      names.push_back(word);
  }
  return result;
}

TPoint PositionTextToPoint(const AnsiString& text)
{
  if (text.empty())
    return TPoint{0, 0};
  const size_t colon = text.find(':');
  const Integer line = StrToInt(text.substr(0, colon));
  const Integer column = colon == AnsiString::npos ? 0 : StrToInt(text.substr(colon + 1));
  return TPoint{column, line};
}

AnsiString FormatVariantArray(const AnsiString& fmt, const Variant& args)
{
  std::vector<Variant> values;
  if (VarIsArray(args)) {
    const Integer low = VarArrayLowBound(args, 1);
    const Integer high = VarArrayHighBound(args, 1);
    for (Integer i = low; i <= high; ++i)
      values.push_back(VarArrayGet(args, {i}));
  }
  std::vector<TVarRec> recs;
  recs.reserve(values.size());
  for (const Variant& v : values)
    recs.push_back(VarToVarRec(v));
  return Format(fmt, recs.data(), recs.size(), FormatSettings);
}

// ---- the function catalogue ----

namespace {

TfsXMLItem* CatalogSection(TfsXMLItem* root, const char* name)
{
  const Integer i = root->Find(name);
  if (i >= 0)
    return root->Items(i);
  TfsXMLItem* section = root->Add();
  section->SetName(name);
  return section;
}

void AddCatalogItem(TfsXMLItem* parent, const AnsiString& text, const AnsiString& description,
                    bool withDescription)
{
  TfsXMLItem* item = parent->Add();
  item->SetName("item");
  AnsiString attributes = "text=\"" + text + "\"";
  if (withDescription)
    attributes += " description=\"" + description + "\"";
  item->SetText(attributes);
}

} // namespace

void ListScriptCatalog(TfsScript* script, TfsXMLItem* root, bool functionsOnly)
{
  TfsXMLItem* functions = CatalogSection(root, "Functions");
  TfsXMLItem* classes = CatalogSection(root, "Classes");
  TfsXMLItem* types = CatalogSection(root, "Types");
  TfsXMLItem* variables = CatalogSection(root, "Variables");
  TfsXMLItem* constants = CatalogSection(root, "Constants");

  for (Integer i = 0; i < script->ItemCount(); ++i) {
    TfsCustomVariable* item = script->ItemAt(i);
    if (auto* method = dynamic_cast<TfsMethodHelper*>(item)) {
      const Integer c = functions->Find(method->Category());
      TfsXMLItem* category = c >= 0 ? functions->Items(c) : nullptr;
      if (!category) {
        category = functions->Add();
        category->SetName(method->Category());
        category->SetText("text=\"" + method->Category() + "\"");
      }
      AddCatalogItem(category, method->Syntax(), method->Description(), true);
      continue;
    }
    if (functionsOnly)
      continue;
    if (auto* cls = dynamic_cast<TfsClassVariable*>(item)) {
      TfsXMLItem* entry = classes->Add();
      entry->SetName("item");
      entry->SetText("text=\"" + cls->Name() + " = class(" + cls->Ancestor() + ")\"");
      for (Integer m = 0; m < cls->MemberCount(); ++m) {
        TfsCustomHelper* member = cls->MemberAt(m);
        if (auto* mh = dynamic_cast<TfsMethodHelper*>(member)) {
          AnsiString text = mh->Syntax();
          if (mh->IndexMethod()) {
            const size_t blank = text.find(' ');
            text = "index property" +
                   (blank == AnsiString::npos ? AnsiString() : text.substr(blank, 255));
          }
          AddCatalogItem(entry, text, AnsiString(), false);
        } else if (dynamic_cast<TfsEventHelper*>(member)) {
          AddCatalogItem(entry, "event " + member->Name(), AnsiString(), false);
        } else {
          AddCatalogItem(entry, "property " + member->Name() + ": " + TypeNameText(member),
                         AnsiString(), false);
        }
      }
      continue;
    }
    if (!dynamic_cast<TfsVariable*>(item))
      continue;
    if (item->Typ() == fvtEnum) {
      TfsXMLItem* type = CatalogSection(types, item->TypeName().c_str());
      if (!SameText(item->Name(), item->TypeName())) {
        const AnsiString values = type->Text();
        type->SetText(values.empty() ? item->Name() : values + "," + item->Name());
      }
      continue;
    }
    if (item->IsReadOnly())
      AddCatalogItem(constants,
                     item->Name() + ": " + TypeNameText(item) + " = " + VarToStr(item->GetValue()),
                     AnsiString(), false);
    else
      AddCatalogItem(variables, item->Name() + ": " + TypeNameText(item), AnsiString(), false);
  }

  for (Integer i = 0; i < types->Count(); ++i) {
    TfsXMLItem* type = types->Items(i);
    if (SameText(type->Name(), "item"))
      continue;
    const AnsiString text = type->Name() + ": (" + type->Text() + ")";
    type->SetName("item");
    type->SetText("text=\"" + text + "\"");
  }
}
