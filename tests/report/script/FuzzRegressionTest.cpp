// Inputs that once crashed, hung or blew up the compiler, kept under tests/fixtures/fuzz/script
// and replayed here: each must end in a compile error with a position or in a run that
// stops, never in a crash.
#include <fstream>
#include <sstream>

#include "platform/rtl/FileUtils.h"
#include "report/script/fsScript.h"
#include "tests/report/script/ScriptTestHelpers.h"

namespace {

const std::string FuzzDir = std::string(QH_FIXTURES) + "/fuzz/script/";

std::string ReadFile(const std::string& name)
{
  std::ifstream file(FuzzDir + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The language of a fixture, from its extension.
const char* LanguageOf(const std::string& name)
{
  const std::string ext = name.substr(name.rfind('.') + 1);
  if (ext == "pas")
    return "PascalScript";
  if (ext == "cpp")
    return "C++Script";
  if (ext == "bas")
    return "BasicScript";
  if (ext == "js")
    return "JScript";
  return nullptr;
}

std::vector<std::string> FixtureNames()
{
  std::vector<std::string> names;
  TSearchRec sr;
  if (FindFirst(FuzzDir + "*", faAnyFile, sr) == 0) {
    do {
      if ((sr.Attr & faDirectory) == 0 && LanguageOf(sr.Name))
        names.push_back(sr.Name);
    } while (FindNext(sr) == 0);
    FindClose(sr);
  }
  return names;
}

} // namespace

// The crashes found so far, with the error each must give now.
TEST(FuzzRegression, KnownInputs)
{
  const struct {
    const char* File;
    const char* Error;
  } cases[] = {
      {"jscript-array-member.js", "Variable required at 1:8"},
      {"jscript-array-index.js", "Variable required at 1:7"},
      {"basic-array-member.bas", "Variable required at 1:8"},
      {"basic-array-index.bas", "Variable required at 1:7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    TTestScript t(LanguageOf(c.File));
    EXPECT_FALSE(t.Compile(ReadFile(c.File)));
    EXPECT_EQ(t.Error, c.Error);
  }
}

// Every kept input, including those added without an entry above: a compile error names a
// position; a program that compiles runs until it ends, fails or uses up its line budget.
TEST(FuzzRegression, EveryInputEndsCleanly)
{
  const std::vector<std::string> names = FixtureNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    TTestScript t(LanguageOf(name));
    if (!t.Compile(ReadFile(name))) {
      EXPECT_FALSE(t.Script->ErrorMsg().empty());
      EXPECT_FALSE(t.Script->ErrorPos().empty());
      continue;
    }
    Integer lines = 0;
    t.Script->OnRunLine = [&lines](TfsScript* sender, const AnsiString&, const AnsiString&) {
      if (++lines > 100000)
        sender->StopScript();
    };
    t.RunAgain();
  }
}
