// Replays the kept fuzz inputs through the targets linked into this test binary: the files
// of tests/fixtures/fuzz that the target's patterns name (inputs that once crashed, hung or
// blew up; by default tests/fixtures/fuzz/<target>/) and of tests/fuzz/corpus/<target>/
// (the fuzzers' seeds). Each input must be read, or refused
// with an Exception; when <input>.error exists beside it, the input must be refused with
// exactly the message that file holds (one final line feed is not part of it).
#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& Path)
{
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool IsInput(const fs::path& Path)
{
  const std::string name = Path.filename().string();
  return fs::is_regular_file(Path) && Path.extension() != ".error" && name.rfind("README", 0) != 0;
}

// The input files of one folder whose names match Pattern (fnmatch).
void AddMatching(const fs::path& Folder, const std::string& Pattern, std::vector<fs::path>& Inputs)
{
  if (!fs::is_directory(Folder))
    return;
  for (const fs::directory_entry& entry : fs::directory_iterator(Folder))
    if (IsInput(entry.path()) && fnmatch(Pattern.c_str(), entry.path().filename().c_str(), 0) == 0)
      Inputs.push_back(entry.path());
}

std::vector<fs::path> KeptInputs(const TFuzzTarget& Target)
{
  std::vector<fs::path> inputs;
  const fs::path fixtures = fs::path(QH_FIXTURES) / "fuzz";
  std::string patterns = Target.Kept ? Target.Kept : std::string(Target.Name) + "/*";
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos)
      end = patterns.size();
    const fs::path pattern = patterns.substr(start, end - start);
    if (!pattern.empty())
      AddMatching(fixtures / pattern.parent_path(), pattern.filename().string(), inputs);
    start = end + 1;
  }
  AddMatching(fs::path(QH_FIXTURES) / ".." / "fuzz" / "corpus" / Target.Name, "*", inputs);
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

// The outcome of one input as text: "accepted", or "refused: <message>".
std::string Replay(const TFuzzTarget& Target, const std::string& Input)
{
  try {
    Target.Run(Input);
    return "accepted";
  } catch (const Exception& e) {
    return "refused: " + e.Message();
  }
}

std::vector<std::string> TargetNames()
{
  std::vector<std::string> names;
  for (const TFuzzTarget& target : FuzzTargets())
    names.push_back(target.Name);
  return names;
}

class FuzzReplay : public testing::TestWithParam<std::string> {};

} // namespace

TEST_P(FuzzReplay, KeptInputsAreReadOrRefusedCleanly)
{
  const TFuzzTarget* target = FindFuzzTarget(GetParam());
  ASSERT_NE(target, nullptr);
  const std::vector<fs::path> inputs = KeptInputs(*target);
  // Every target keeps seeds; none found means the folders and the target's name disagree.
  ASSERT_FALSE(inputs.empty()) << "no kept inputs for " << GetParam();
  for (const fs::path& path : inputs) {
    SCOPED_TRACE(path.string());
    std::string outcome;
    try {
      outcome = Replay(*target, ReadFile(path));
    } catch (const EFuzzCheckFailed& e) {
      ADD_FAILURE() << "check failed: " << e.what();
      continue;
    }
    fs::path expected = path;
    expected += ".error";
    if (!fs::exists(expected))
      continue;
    std::string message = ReadFile(expected);
    if (!message.empty() && message.back() == '\n')
      message.pop_back();
    EXPECT_EQ(outcome, "refused: " + message);
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, testing::ValuesIn(TargetNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });
