// The language registry: one program-wide list of (name, grammar text) in registration
// order, created by the script engine's tool unit and freed at its finalization.
#include "report/script/ScriptLanguages.h"

#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"

namespace {

using TLanguageList = std::vector<std::pair<AnsiString, AnsiString>>;
std::unique_ptr<TLanguageList> Languages;

TLanguageList& Registry()
{
  if (!Languages)
    Languages = std::make_unique<TLanguageList>();
  return *Languages;
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
  throw Exception(Format(SLangNotFound, {name}));
}

void ListScriptLanguages(TStrings* list)
{
  list->BeginUpdate();
  list->Clear();
  for (const auto& entry : Registry())
    list->Add(entry.first);
  list->EndUpdate();
}

void InitializeScriptLanguages()
{
  Registry();
}

void FinalizeScriptLanguages()
{
  Languages.reset();
}
