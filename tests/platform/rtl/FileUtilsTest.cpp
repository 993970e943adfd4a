// Path text, files and folders with GBK names in a temporary folder (checking the UTF-8
// names the OS really sees), listings, the program directory, command line, processes.
#include "platform/rtl/FileUtils.h"

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"

namespace {

std::string U8(const char8_t* s)
{
  return std::string(reinterpret_cast<const char*>(s));
}

TEST(FileUtilsPaths, SplittingNames)
{
  struct Case {
    const char* name;
    const char* path;
    const char* dir;
    const char* file;
    const char* ext;
    const char* changed; // ChangeFileExt(name, ".bak")
  } cases[] = {
      {"/a/b.txt", "/a/", "/a", "b.txt", ".txt", "/a/b.bak"},
      {"dir\\乗.txt", "dir\\", "dir", "乗.txt", ".txt", "dir\\乗.bak"},
      {"D:\\运单\\模板.fr3", "D:\\运单\\", "D:\\运单", "模板.fr3", ".fr3", "D:\\运单\\模板.bak"},
      {"dir/乗", "dir/", "dir", "乗", "", "dir/乗.bak"}, // 乗 ends in 5C, which is no '\'
      {"乗", "", "", "乗", "", "乗.bak"},
      {"/b.txt", "/", "/", "b.txt", ".txt", "/b.bak"},
      {"/a.d/b", "/a.d/", "/a.d", "b", "", "/a.d/b.bak"},
      {"a.b.c", "", "", "a.b.c", ".c", "a.b.bak"},
      {"x/.cfg", "x/", "x", ".cfg", ".cfg", "x/.bak"},
      {"x/", "x/", "x", "", "", "x/.bak"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExtractFilePath(c.name), c.path);
    EXPECT_EQ(ExtractFileDir(c.name), c.dir);
    EXPECT_EQ(ExtractFileName(c.name), c.file);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext);
    EXPECT_EQ(ChangeFileExt(c.name, ".bak"), c.changed);
  }
  EXPECT_EQ(IncludeTrailingPathDelimiter("a"), "a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a\\"), "a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("乗"), "乗/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("a/"), "a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("乗"), "乗");
  EXPECT_TRUE(IsPathDelimiter("a\\", 2));
  EXPECT_FALSE(IsPathDelimiter("乗", 2));
}

TEST(FileUtilsPaths, OsNamesAndExpansion)
{
  EXPECT_EQ(ToOsFileName("dir\\乗\\x"), U8(u8"dir/乗/x"));
  EXPECT_EQ(FromOsFileName(U8(u8"运单/乗")), "运单/乗");
  EXPECT_EQ(FromOsFileName(U8(u8"a\U0001F600")), "a?");

  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"/a/./b/../c", "/a/c"},
      {"/a/b/", "/a/b/"},
      {"\\a\\乗\\..\\b", "/a/b"},
      {"/..", "/"},
      {"/", "/"},
      {"//a//b", "/a/b"},
      {"/a/\xFF", "/a/\xFF"}, // bytes GBK cannot decode stay as they are
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ExpandFileName(c.in), c.out);
  }
  EXPECT_EQ(ExpandFileName(""), "");
  EXPECT_EQ(ExpandFileName("x/y"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "x/y");
}

TEST(FileUtilsPaths, Masks)
{
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  } cases[] = {
      {"a.fr3", "*.fr3", true},
      {"A.FR3", "*.fr3", true},
      {"a.fr3x", "*.fr3", false},
      {"readme", "*.*", true},
      {"readme", "readme.*", true},
      {"运单.fr3", "运?.fr3", true},
      {"乤.txt", "?A.txt", false},
      {"乤.txt", "乤.TXT", true},
      {"abc", "a*c", true},
      {"abd", "a*c", false},
      {"", "*", true},
      {"ab", "a?", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " ~ " << c.mask);
    EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.matches);
  }
}

class FileUtilsDisk : public testing::Test {
protected:
  void SetUp() override
  {
    std::string templ = std::filesystem::temp_directory_path().string() + "/qh-fileutils-XXXXXX";
    ASSERT_NE(::mkdtemp(templ.data()), nullptr);
    FOsRoot = templ;
    FRoot = FromOsFileName(templ) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(FOsRoot); }

  // Writes a file through the OS name, as another program would.
  void WriteOs(const std::string& osName, const std::string& contents)
  {
    std::ofstream(FOsRoot + "/" + osName, std::ios::binary) << contents;
  }
  std::string ReadOs(const std::string& osName)
  {
    std::ifstream in(FOsRoot + "/" + osName, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  bool ExistsOs(const std::string& osName)
  {
    return std::filesystem::exists(FOsRoot + "/" + osName);
  }

  std::string FOsRoot; // UTF-8
  AnsiString FRoot;    // GBK, with a trailing '/'
};

TEST_F(FileUtilsDisk, GbkNamesAreUtf8OnDisk)
{
  const AnsiString dir = FRoot + "运单\\乗\\模板";
  EXPECT_TRUE(ForceDirectories(dir));
  EXPECT_TRUE(ForceDirectories(dir)); // already there
  EXPECT_TRUE(std::filesystem::is_directory(FOsRoot + U8(u8"/运单/乗/模板")));
  EXPECT_TRUE(DirectoryExists(dir));
  EXPECT_FALSE(FileExists(dir));

  WriteOs(U8(u8"运单/乗/模板/单.fr3"), "data");
  const AnsiString file = dir + "\\单.fr3";
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_THROW(ForceDirectories(""), EInOutError);
  EXPECT_FALSE(ForceDirectories(file + "/sub")); // a file stands in the way

  EXPECT_TRUE(CreateDir(FRoot + "甲"));
  EXPECT_FALSE(CreateDir(FRoot + "甲"));
  EXPECT_TRUE(ExistsOs(U8(u8"甲")));
  EXPECT_TRUE(RemoveDir(FRoot + "甲"));
  EXPECT_FALSE(ExistsOs(U8(u8"甲")));

  EXPECT_TRUE(DeleteFile(file));
  EXPECT_FALSE(ExistsOs(U8(u8"运单/乗/模板/单.fr3")));
  EXPECT_FALSE(DeleteFile(file));
}

TEST_F(FileUtilsDisk, CopyAndRename)
{
  WriteOs(U8(u8"源.txt"), "source");
  WriteOs(U8(u8"目标.txt"), "old target");
  const AnsiString src = FRoot + "源.txt";
  const AnsiString dst = FRoot + "目标.txt";

  EXPECT_FALSE(CopyFile(src, dst, true)); // the target exists
  EXPECT_EQ(ReadOs(U8(u8"目标.txt")), "old target");
  EXPECT_TRUE(CopyFile(src, dst, false));
  EXPECT_EQ(ReadOs(U8(u8"目标.txt")), "source");
  EXPECT_TRUE(CopyFile(src, FRoot + "新.txt", true));
  EXPECT_EQ(ReadOs(U8(u8"新.txt")), "source");
  EXPECT_TRUE(CopyFile(src, src, false)); // onto itself: contents survive
  EXPECT_EQ(ReadOs(U8(u8"源.txt")), "source");
  EXPECT_FALSE(CopyFile(FRoot + "missing", dst, false));

  WriteOs(U8(u8"旧.txt"), "renamed");
  EXPECT_TRUE(RenameFile(FRoot + "旧.txt", dst)); // replaces the existing target
  EXPECT_EQ(ReadOs(U8(u8"目标.txt")), "renamed");
  EXPECT_FALSE(ExistsOs(U8(u8"旧.txt")));
  EXPECT_FALSE(RenameFile(FRoot + "旧.txt", dst));

  // No temporary file is left behind.
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(FOsRoot))
    names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{U8(u8"源.txt"), U8(u8"目标.txt"), U8(u8"新.txt")}));
}

TEST_F(FileUtilsDisk, CurrentFolder)
{
  const AnsiString saved = GetCurrentDir();
  ASSERT_TRUE(ForceDirectories(FRoot + "当前"));
  ASSERT_TRUE(SetCurrentDir(FRoot + "当前"));
  EXPECT_EQ(GetCurrentDir(), FRoot + "当前");
  WriteOs(U8(u8"当前/乗.txt"), "x");
  EXPECT_TRUE(FileExists("乗.txt")); // relative to the current folder
  EXPECT_EQ(ExpandFileName("..\\当前\\乗.txt"), FRoot + "当前/乗.txt");
  EXPECT_FALSE(SetCurrentDir(FRoot + "missing"));
  EXPECT_EQ(GetCurrentDir(), FRoot + "当前");
  ASSERT_TRUE(SetCurrentDir(saved));
}

TEST_F(FileUtilsDisk, ProcessStartedWithoutWaitingRuns)
{
  const std::string marker = FOsRoot + U8(u8"/标记");
  ASSERT_EQ(
      ExecuteProcess("sh", {"-c", "echo done > \"$1\"", "sh", FromOsFileName(marker)}, pwNoWait),
      0);
  // Bounded wait for the child: at most about ten seconds.
  for (int i = 0; i < 1000 && ReadOs(U8(u8"标记")) != "done\n"; ++i)
    ::usleep(10000);
  EXPECT_EQ(ReadOs(U8(u8"标记")), "done\n");
}

TEST_F(FileUtilsDisk, FileDates)
{
  WriteOs("f", "x");
  const TDateTime when = 45356 + (10 * 3600 + 20 * 60 + 30) / 86400.0; // 2024-03-05 10:20:30
  ASSERT_TRUE(FileSetDate(FRoot + "f", when));
  TDateTime got = 0;
  ASSERT_TRUE(FileAge(FRoot + "f", got));
  EXPECT_NEAR(got, when, 0.5 / 86400);
  EXPECT_FALSE(FileAge(FRoot + "missing", got));

  TSearchRec sr;
  ASSERT_EQ(FindFirst(FRoot + "f", faAnyFile, sr), 0);
  EXPECT_NEAR(sr.TimeStamp, when, 0.5 / 86400);
  // Packed: year-1980 in bits 25.., month 21.., day 16.., hour 11.., minute 5.., second/2.
  EXPECT_EQ(sr.Time, (44 << 25) | (3 << 21) | (5 << 16) | (10 << 11) | (20 << 5) | 15);
  FindClose(sr);
}

TEST_F(FileUtilsDisk, FindFirstListsInNameOrderWithAttributes)
{
  WriteOs("b.FR3", "12345");
  WriteOs("a.fr3", "1");
  WriteOs(U8(u8"运单.fr3"), "");
  WriteOs(".hidden.fr3", "");
  WriteOs("notes.txt", "");
  std::filesystem::create_directory(FOsRoot + "/sub.fr3");

  auto list = [&](const AnsiString& mask, Integer attr) {
    std::vector<AnsiString> names;
    TSearchRec sr;
    for (Integer rc = FindFirst(FRoot + mask, attr, sr); rc == 0; rc = FindNext(sr))
      names.push_back(sr.Name);
    FindClose(sr);
    return names;
  };
  using Names = std::vector<AnsiString>;
  EXPECT_EQ(list("*.fr3", 0), (Names{"a.fr3", "b.FR3", "运单.fr3"}));
  EXPECT_EQ(list("*.FR3", faDirectory), (Names{"a.fr3", "b.FR3", "sub.fr3", "运单.fr3"}));
  EXPECT_EQ(list("*.*", faAnyFile), (Names{".", "..", ".hidden.fr3", "a.fr3", "b.FR3", "notes.txt",
                                           "sub.fr3", "运单.fr3"}));
  EXPECT_EQ(list("*.doc", faAnyFile), Names{});

  TSearchRec sr;
  ASSERT_EQ(FindFirst(FRoot + "b.fr3", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Name, "b.FR3");
  EXPECT_EQ(sr.Size, 5);
  EXPECT_EQ(sr.Attr & faDirectory, 0);
  EXPECT_NE(FindNext(sr), 0);
  ASSERT_EQ(FindFirst(FRoot + "sub.fr3", faDirectory, sr), 0);
  EXPECT_NE(sr.Attr & faDirectory, 0);
  ASSERT_EQ(FindFirst(FRoot + ".hidden.fr3", faHidden, sr), 0);
  EXPECT_NE(sr.Attr & faHidden, 0);
  FindClose(sr);
  EXPECT_NE(FindFirst(FRoot + "nowhere/*", faAnyFile, sr), 0);
}

class EnvGuard {
public:
  explicit EnvGuard(const char* name) : FName(name)
  {
    const char* v = ::getenv(name);
    FHad = v != nullptr;
    if (v)
      FValue = v;
  }
  ~EnvGuard()
  {
    if (FHad)
      ::setenv(FName, FValue.c_str(), 1);
    else
      ::unsetenv(FName);
  }

private:
  const char* FName;
  bool FHad = false;
  std::string FValue;
};

TEST(FileUtilsProgram, ProgramDirAndCommandLine)
{
  EnvGuard home("QHWBP_HOME");
  ::unsetenv("QHWBP_HOME");
  const AnsiString exe = ParamStr(0);
  EXPECT_EQ(ExtractFileName(exe), "rtl_tests");
  EXPECT_TRUE(FileExists(exe));
  EXPECT_EQ(ProgramDir(), ExtractFilePath(exe));
  EXPECT_EQ(AnsiLastChar(ProgramDir()), "/");

  ::setenv("QHWBP_HOME", U8(u8"/opt/运单").c_str(), 1);
  EXPECT_EQ(ProgramDir(), "/opt/运单/");
  ::setenv("QHWBP_HOME", "/opt/x/", 1);
  EXPECT_EQ(ProgramDir(), "/opt/x/");

  std::string a0 = "prog", a1 = U8(u8"运单.fr3"), a2 = "-p";
  char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
  SetCommandLine(3, argv);
  EXPECT_EQ(ParamCount(), 2);
  EXPECT_EQ(ParamStr(1), "运单.fr3");
  EXPECT_EQ(ParamStr(2), "-p");
  EXPECT_EQ(ParamStr(3), "");
  EXPECT_EQ(ParamStr(-1), "");
  EXPECT_EQ(ParamStr(0), exe);
}

TEST(FileUtilsProgram, TempFilesAndEnvironment)
{
  EnvGuard tmp("TMPDIR");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(GetTempPath(), "/tmp/");
  const std::string dir = std::filesystem::temp_directory_path().string() + "/qh-tmp-XXXXXX";
  std::string made = dir;
  ASSERT_NE(::mkdtemp(made.data()), nullptr);
  ::setenv("TMPDIR", made.c_str(), 1);
  EXPECT_EQ(GetTempPath(), made + "/");
  EXPECT_EQ(GetEnvironmentVariable("TMPDIR"), made);
  EXPECT_EQ(GetEnvironmentVariable("QH_SURELY_UNSET_VARIABLE"), "");

  const AnsiString a = GetTempFileName("", "fr");
  const AnsiString b = GetTempFileName("", "fr");
  EXPECT_NE(a, b);
  EXPECT_EQ(ExtractFilePath(a), made + "/");
  EXPECT_EQ(Copy(ExtractFileName(a), 1, 2), "fr");
  EXPECT_EQ(ExtractFileExt(a), ".tmp");
  EXPECT_TRUE(FileExists(a));
  EXPECT_TRUE(FileExists(b));
  EXPECT_EQ(GetTempFileName(made + "/missing", "fr"), "");
  std::filesystem::remove_all(made);
}

TEST(FileUtilsProgram, ExecuteProcessPassesArgumentsVerbatim)
{
  EXPECT_EQ(ExecuteProcess("sh", {"-c", "exit 3"}), 3);
  // Arguments reach the program as they are: no shell splits or expands them.
  EXPECT_EQ(ExecuteProcess("sh", {"-c", "test \"$1\" = 'a b;$HOME*'", "sh", "a b;$HOME*"}), 0);
  EXPECT_EQ(
      ExecuteProcess("sh", {"-c", "test \"$1\" = \"$(printf '\\350\\277\\220')\"", "sh", "运"}), 0);
  EXPECT_EQ(ExecuteProcess("sh", {"-c", "kill -9 $$"}), 128 + 9);
  EXPECT_EQ(ExecuteProcess("/nonexistent/program", {}), -1);
  EXPECT_EQ(ExecuteProcess("true", {}, pwNoWait), 0);
}

TEST(FileUtilsProgram, ExecuteProcessWithEnvironmentAndCapturedOutput)
{
  ::setenv("QH_TEST_INHERITED", "kept", 1);
  ::setenv("QH_TEST_REMOVED", "parent", 1);
  TProcessOptions options;
  options.Environment = {{"QH_TEST_SECRET", "s3cret"}, {"QH_TEST_REMOVED", ""}};
  std::string errors;
  options.ErrorOutput = &errors;
  EXPECT_EQ(
      ExecuteProcess(
          "sh",
          {"-c",
           "echo \"$QH_TEST_SECRET/$QH_TEST_INHERITED/${QH_TEST_REMOVED-unset}\" >&2; exit 4"},
          options),
      4);
  EXPECT_EQ(errors, "s3cret/kept/unset\n");
  // The variables reach the child only.
  EXPECT_EQ(getenv("QH_TEST_SECRET"), nullptr);
  EXPECT_STREQ(getenv("QH_TEST_REMOVED"), "parent");

  const AnsiString log = GetTempFileName("", "qhlog");
  TProcessOptions toFile;
  toFile.OutputFile = log;
  EXPECT_EQ(ExecuteProcess("sh", {"-c", "echo out; echo err >&2"}, toFile), 0);
  EXPECT_EQ(ExecuteProcess("sh", {"-c", "echo again"}, toFile), 0);
  std::ifstream in(ToOsFileName(log));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "out\nerr\nagain\n");
  DeleteFile(log);
  EXPECT_EQ(ExecuteProcess("/nonexistent/program", {}, TProcessOptions{}), -1);
  ::unsetenv("QH_TEST_INHERITED");
  ::unsetenv("QH_TEST_REMOVED");
}

} // namespace
