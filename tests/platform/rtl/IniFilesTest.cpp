#include "platform/rtl/IniFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/rtl/Lists.h"

namespace {

class IniFiles : public ::testing::Test {
protected:
  void SetUp() override
  {
    char templ[] = "/tmp/qh-ini-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    Dir = templ;
    Name = Dir + "/cfg.ini";
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  void Put(const std::string& bytes) const { std::ofstream(Name, std::ios::binary) << bytes; }
  std::string Get() const
  {
    std::ifstream in(Name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  AnsiString Dir;
  AnsiString Name;
};

// Lines that exercise every reading rule; the last one has no line end.
const std::string kSample = "[db]\r\n"
                            "providerIdx=1\r\n"
                            "  Spaced Key  =  value with spaces  \r\n"
                            "quoted=\"  padded  \"\r\n"
                            "single='x'\r\n"
                            "mixed=\"x'\r\n"
                            "semi=a;b # c\r\n"
                            "empty=\r\n"
                            "dup=first\r\n"
                            "dup=second\r\n"
                            ";comment=no\r\n"
                            "stray line\r\n"
                            "gbk=乗癬\r\n"
                            "bytes=\x7f\x80\xff\r\n"
                            "eqs=a=b\r\n"
                            "hex=0x1F\r\n"
                            "\r\n"
                            "  [ Other ]  \n"
                            "KEY=lf\n"
                            "\n"
                            "[\x81\x5d]\r\n"
                            "k=v";

} // namespace

TEST_F(IniFiles, ReadingRules)
{
  Put(kSample);
  TIniFile ini(Name);
  struct Case {
    const char* section;
    const char* key;
    AnsiString expected;
  };
  const Case cases[] = {
      {"DB", "PROVIDERIDX", "1"},
      {"db", "spaced key", "value with spaces"},
      {"db", "quoted", "  padded  "},
      {"db", "single", "x"},
      {"db", "mixed", "\"x'"},
      {"db", "semi", "a;b # c"},
      {"db", "empty", ""},
      {"db", "dup", "first"},
      {"db", ";comment", "<default>"},
      {"db", "stray line", "<default>"},
      {"db", "gbk", "乗癬"},
      {"db", "bytes", "\x7f\x80\xff"},
      {"db", "eqs", "a=b"},
      {"other", "key", "lf"},
      {"\x81\x5d", "K", "v"},
      {"db", "missing", "<default>"},
      {"nosection", "key", "<default>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected);
  }
  EXPECT_EQ(ini.ReadInteger("db", "providerIdx", 7), 1);
  EXPECT_EQ(ini.ReadInteger("db", "hex", 7), 31);
  EXPECT_EQ(ini.ReadInteger("db", "semi", 7), 7); // malformed: the default
  EXPECT_EQ(ini.ReadInteger("db", "empty", 7), 7);
  EXPECT_TRUE(ini.ReadBool("db", "providerIdx", false));
  EXPECT_TRUE(ini.ReadBool("db", "single", true));
  EXPECT_FALSE(ini.ReadBool("db", "single", false));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("db", "semi", 2.5), 2.5);

  TIniFile none(Dir + "/none.ini");
  EXPECT_EQ(none.ReadString("db", "providerIdx", "d"), "d");
  EXPECT_EQ(none.ReadInteger("db", "mssqlPort", 1433), 1433);
}

TEST_F(IniFiles, WritingKeepsEveryOtherLine)
{
  Put(kSample);
  TIniFile ini(Name);
  ini.WriteInteger("db", "ProviderIdx", 2); // existing key: its line only
  ini.WriteString("OTHER", "new", "v");     // new key: after the section's last line
  ini.WriteString("Fresh", "a", "b");       // new section: at the end
  ini.WriteString("db", "single", "x");     // the value it reads already: nothing written
  std::string expected = kSample;
  expected.replace(expected.find("providerIdx=1"), 13, "providerIdx=2");
  expected.replace(expected.find("KEY=lf\n"), 7, "KEY=lf\nnew=v\r\n");
  expected += "\r\n\r\n[Fresh]\r\na=b\r\n";
  EXPECT_EQ(Get(), expected);

  ini.DeleteKey("db", "DUP"); // every line of the key goes
  ini.EraseSection("other");
  std::string shorter = expected;
  shorter.erase(shorter.find("dup=first\r\n"), 11);
  shorter.erase(shorter.find("dup=second\r\n"), 12);
  shorter.erase(shorter.find("  [ Other ]"),
                std::string("  [ Other ]  \nKEY=lf\nnew=v\r\n\n").size());
  EXPECT_EQ(Get(), shorter);

  // No temporary file is left beside the ini file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 1);
}

TEST_F(IniFiles, ValuesThatNeedQuotesReadBackUnchanged)
{
  TIniFile ini(Name);
  const AnsiString values[] = {" lead",  "trail ", "\tTab",    "\"quoted\"", "'single'",
                               "\"",     "'a\"",   "",         "plain text", "a \"mid\" b",
                               "张 三 ", "x;y=z",  "\x01\x02", "\"\""};
  int n = 0;
  for (const AnsiString& v : values) {
    SCOPED_TRACE(v);
    const AnsiString key = "k" + std::to_string(n++);
    ini.WriteString("s", key, v);
    EXPECT_EQ(ini.ReadString("s", key, "<default>"), v);
  }
  EXPECT_NE(Get().find("k0=\" lead\"\r\n"), std::string::npos);
  EXPECT_NE(Get().find("k3=\"\"quoted\"\"\r\n"), std::string::npos);
  EXPECT_NE(Get().find("k8=plain text\r\n"), std::string::npos);
}

TEST_F(IniFiles, TypedValuesAndSections)
{
  TIniFile ini(Name);
  ini.WriteBool("db", "defaultCon", true);
  ini.WriteBool("db", "other", false);
  ini.WriteFloat("db", "ratio", 0.1 + 0.2);
  ini.WriteInteger("db", "mssqlPort", -1433);
  EXPECT_EQ(Get(), "[db]\r\ndefaultCon=1\r\nother=0\r\nratio=0.3\r\nmssqlPort=-1433\r\n");
  EXPECT_TRUE(ini.ReadBool("db", "defaultCon", false));
  EXPECT_FALSE(ini.ReadBool("db", "other", true));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("db", "ratio", 0), 0.3);
  EXPECT_EQ(ini.ReadInteger("db", "mssqlPort", 0), -1433);
  ini.WriteDate("d", "when", 41613); // 2013-12-05
  EXPECT_EQ(ini.ReadDate("d", "when", 0), 41613);
  EXPECT_EQ(ini.ReadDate("db", "ratio", 1.5), 1.5); // not a date: the default
  ini.EraseSection("d");

  ini.WriteString("ToolBar.x", "Visible", "1");
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "db,ToolBar.x");
  ini.ReadSection("DB", &list);
  EXPECT_EQ(list.CommaText(), "defaultCon,other,ratio,mssqlPort");
  ini.ReadSectionValues("toolbar.X", &list);
  EXPECT_EQ(list.CommaText(), "Visible=1");
  EXPECT_TRUE(ini.SectionExists("TOOLBAR.X"));
  EXPECT_FALSE(ini.SectionExists("none"));
  EXPECT_TRUE(ini.ValueExists("db", "RATIO"));
  EXPECT_FALSE(ini.ValueExists("db", "none"));
}

TEST_F(IniFiles, WriteKeepsPermissionsAndReportsFailure)
{
  Put("[a]\r\nx=1\r\n");
  ::chmod(Name.c_str(), 0640);
  TIniFile ini(Name);
  ini.WriteString("a", "x", "2");
  struct stat st;
  ASSERT_EQ(::stat(Name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  const AnsiString nowhere = Dir + "/missing/cfg.ini";
  TIniFile bad(nowhere);
  try {
    bad.WriteString("a", "b", "c");
    FAIL();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + nowhere);
  }
}

TEST_F(IniFiles, MemIniFileWorksOnLinesUntilUpdateFile)
{
  // A layout kept as one text and split into lines by the caller.
  TStringList lines;
  lines.SetText("[Form.TfrxDesigner]\nLeft=10\nTop= 20 \n[Dock.x]\nVisible=1");
  TMemIniFile ini(Name);
  ini.SetStrings(&lines);
  EXPECT_EQ(ini.ReadInteger("form.tfrxdesigner", "top", 0), 20);
  ini.WriteString("Dock.x", "Visible", "0");
  ini.WriteString("Dock.y", "Visible", "1");
  EXPECT_FALSE(std::filesystem::exists(Name)); // nothing written yet
  ini.UpdateFile();
  EXPECT_EQ(Get(), "[Form.TfrxDesigner]\r\nLeft=10\r\nTop= 20 \r\n[Dock.x]\r\nVisible=0\r\n"
                   "\r\n[Dock.y]\r\nVisible=1\r\n");
  TMemIniFile reread(Name);
  TStringList out;
  reread.GetStrings(&out);
  EXPECT_EQ(out.Count(), 8);
  EXPECT_EQ(reread.ReadString("dock.y", "visible", ""), "1");
  reread.EraseSection("Dock.x");
  reread.DeleteKey("Form.TfrxDesigner", "Left");
  reread.GetStrings(&out);
  EXPECT_EQ(out.CommaText(), "[Form.TfrxDesigner],\"Top= 20 \",[Dock.y],Visible=1");
}
