// The language registry: one program-wide list of (name, grammar text) in registration
// order, created by the script engine's tool unit and freed at its finalization.
#include "report/script/ScriptLanguages.h"

#include <memory>
#include <utility>

#include "platform/rtl/Exceptions.h"

namespace {

using TLanguageList = std::vector<std::pair<AnsiString, AnsiString>>;
std::unique_ptr<TLanguageList> Languages;

TLanguageList& Registry()
{
  if (!Languages)
    Languages = std::make_unique<TLanguageList>();
  return *Languages;
}

bool SameText(const AnsiString& a, const AnsiString& b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z')
      x -= 32;
    if (y >= 'a' && y <= 'z')
      y -= 32;
    if (x != y)
      return false;
  }
  return true;
}

const AnsiString* FindLanguage(const AnsiString& name)
{
  for (const auto& entry : Registry())
    if (SameText(entry.first, name))
      return &entry.second;
  return nullptr;
}

} // namespace

void RegisterScriptLanguage(const AnsiString& name, const AnsiString& grammarText)
{
  if (FindLanguage(name))
    return;
  Registry().emplace_back(name, grammarText);
}

AnsiString LanguageGrammarText(const AnsiString& name)
{
  if (const AnsiString* text = FindLanguage(name))
    return *text;
  const AnsiString pattern = SLangNotFound;
  const size_t at = pattern.find("%s");
  throw Exception(pattern.substr(0, at) + name + pattern.substr(at + 2));
}

void ListScriptLanguages(std::vector<AnsiString>& list)
{
  list.clear();
  for (const auto& entry : Registry())
    list.push_back(entry.first);
}

void InitializeScriptLanguages() { Registry(); }

void FinalizeScriptLanguages() { Languages.reset(); }
