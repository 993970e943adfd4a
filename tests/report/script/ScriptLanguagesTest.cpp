// The language registry and the four grammars as the system registers them.
#include "report/script/ScriptLanguages.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "report/script/fsXMLDocument.h"

TEST(ScriptLanguages, RegisteredInUnitOrder)
{
  TStringList names;
  names.Add("stale");
  ListScriptLanguages(&names);
  // Tests may register languages of their own after these.
  ASSERT_GE(names.Count(), 4);
  const char* expected[] = {"JScript", "BasicScript", "C++Script", "PascalScript"};
  for (Integer i = 0; i < 4; ++i)
    EXPECT_EQ(names.Strings(i), expected[i]);
}

TEST(ScriptLanguages, LookupAndFirstRegistrationWins)
{
  EXPECT_EQ(LanguageGrammarText("pascalscript"), fsPascalScriptGrammar);
  RegisterScriptLanguage("PASCALSCRIPT", "<?xml version=\"1.0\"?><language/>");
  EXPECT_EQ(LanguageGrammarText("PascalScript"), fsPascalScriptGrammar);
  try {
    LanguageGrammarText("Lua");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Language 'Lua' not found");
  }
}

namespace {

struct TGrammarCounts {
  const char* Language;
  Integer Rules;
  Integer Keywords;
  Integer Messages;
  Integer Types;
  const char* FirstRule;
  const char* LastRule;
};

} // namespace

// Each grammar holds exactly the rules, reserved words, messages and type names of its
// language, rules in their order.
TEST(ScriptLanguages, GrammarContents)
{
  const TGrammarCounts cases[] = {
      {"PascalScript", 48, 40, 20, 0, "empty", "formalparam"},
      {"C++Script", 47, 19, 18, 5, "empty", "formalparam"},
      {"BasicScript", 47, 40, 28, 1, "empty", "formalparam"},
      {"JScript", 42, 22, 17, 0, "empty", "withstmt"},
  };
  for (const TGrammarCounts& c : cases) {
    SCOPED_TRACE(c.Language);
    TfsXMLDocument doc;
    doc.LoadFromText(LanguageGrammarText(c.Language));
    TfsXMLItem* root = doc.Root();
    EXPECT_EQ(root->Name(), "language");
    EXPECT_EQ(root->Prop("text"), c.Language);
    ASSERT_EQ(root->Find("parser"), 0);
    ASSERT_EQ(root->Find("types"), 1);
    TfsXMLItem* parser = root->Items(0);
    EXPECT_EQ(parser->FindItem("keywords")->Count(), c.Keywords);
    EXPECT_EQ(parser->FindItem("errors")->Count(), c.Messages);
    EXPECT_EQ(root->Items(1)->Count(), c.Types);
    EXPECT_EQ(root->Count() - 2, c.Rules);
    EXPECT_EQ(root->Items(2)->Name(), c.FirstRule);
    EXPECT_EQ(root->Items(root->Count() - 1)->Name(), c.LastRule);
    EXPECT_GE(root->Find("program"), 2);
  }
}

TEST(ScriptLanguages, GrammarDetails)
{
  TfsXMLDocument doc;
  doc.LoadFromText(LanguageGrammarText("BasicScript"));
  TfsXMLItem* parser = doc.Root()->FindItem("parser");
  EXPECT_EQ(parser->FindItem("stringquotes")->Prop("text"), "\"");
  EXPECT_EQ(parser->FindItem("commentblock1")->Prop("text"), "/\\,/\\");
  EXPECT_EQ(parser->FindItem("errors")->FindItem("err3")->Prop("text"), "End of line expected");
  EXPECT_EQ(doc.Root()->FindItem("types")->FindItem("decimal")->Prop("type"), "extended");

  doc.LoadFromText(LanguageGrammarText("C++Script"));
  EXPECT_EQ(doc.Root()->FindItem("types")->FindItem("float")->Prop("type"), "extended");
  // Messages numbered with gaps keep their numbers.
  TfsXMLItem* errors = doc.Root()->FindItem("parser")->FindItem("errors");
  EXPECT_EQ(errors->Find("err15"), -1);
  EXPECT_EQ(errors->FindItem("err20")->Prop("text"), "'>' expected");
}
