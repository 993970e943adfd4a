#include "platform/rtl/Registry.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "platform/rtl/Lists.h"

namespace {

class Registry : public ::testing::Test {
protected:
  void SetUp() override
  {
    char templ[] = "/tmp/qh-registry-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    Dir = templ;
    UserFile = Dir + "/config/qhwbp/registry.ini"; // its folders do not exist yet
    MachineFile = Dir + "/registry-HKLM.ini";
    SetRegistryRoots(UserFile, MachineFile);
  }
  void TearDown() override
  {
    SetRegistryRoots("", "");
    std::filesystem::remove_all(Dir);
  }
  static std::string Contents(const AnsiString& name)
  {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static AnsiString Names(void (TRegistry::*get)(TStrings*), TRegistry& reg)
  {
    TStringList list;
    (reg.*get)(&list);
    return list.CommaText();
  }

  AnsiString Dir, UserFile, MachineFile;
};

template <class E, class F> AnsiString MessageOf(F&& f)
{
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

} // namespace

TEST_F(Registry, ValueKindsAreKeptAndConvertOnRead)
{
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  ASSERT_TRUE(reg.OpenKey("\\Software\\ZuzuDorova\\MRUFont", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\ZuzuDorova\\MRUFont");
  reg.WriteString("Font0", "宋体");
  reg.WriteInteger("FontType0", 4);
  reg.WriteString("Font1", "");
  reg.WriteInteger("FontType1", 0);
  reg.WriteInteger("neg", -1);
  reg.WriteString("looks", "dword:5");
  reg.WriteString("num", " 42");
  reg.WriteBool("flag", true);
  reg.WriteString("", "default");
  EXPECT_EQ(Contents(UserFile), "[Software\\ZuzuDorova\\MRUFont]\r\n"
                                "Font0=宋体\r\n"
                                "FontType0=dword:00000004\r\n"
                                "Font1=\r\n"
                                "FontType1=dword:00000000\r\n"
                                "neg=dword:ffffffff\r\n"
                                "looks=\"dword:5\"\r\n"
                                "num=\" 42\"\r\n"
                                "flag=dword:00000001\r\n"
                                "@=default\r\n");

  // A second object reads what the first wrote.
  TRegistry other;
  ASSERT_TRUE(other.OpenKey("software\\zuzudorova\\mrufont", false));
  struct Case {
    const char* name;
    TRegDataType type;
    AnsiString text;
  };
  const Case cases[] = {
      {"Font0", rdString, "宋体"}, {"FONTTYPE0", rdInteger, "4"},  {"Font1", rdString, ""},
      {"neg", rdInteger, "-1"},    {"looks", rdString, "dword:5"}, {"num", rdString, " 42"},
      {"", rdString, "default"},   {"missing", rdUnknown, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(other.GetDataType(c.name), c.type);
    EXPECT_EQ(other.ReadString(c.name), c.text);
    EXPECT_EQ(other.ValueExists(c.name), c.type != rdUnknown);
  }
  EXPECT_EQ(other.ReadInteger("neg"), -1);
  EXPECT_EQ(other.ReadInteger("num"), 42); // a string holding an integer converts
  EXPECT_TRUE(other.ReadBool("flag"));
  EXPECT_EQ(MessageOf<ERegistryException>([&] { other.ReadInteger("Font0"); }),
            "Invalid data type for 'Font0'");
  EXPECT_EQ(MessageOf<ERegistryException>([&] { other.ReadInteger("missing"); }),
            "Failed to get data for 'missing'");
  EXPECT_EQ(Names(&TRegistry::GetValueNames, other),
            "Font0,FontType0,Font1,FontType1,neg,looks,num,flag,"); // the default value last
  EXPECT_EQ(MessageOf<ERegistryException>([&] { other.WriteString("a=b", "x"); }),
            "Failed to set data for 'a=b'");

  EXPECT_TRUE(other.DeleteValue("FontType0"));
  EXPECT_FALSE(other.DeleteValue("FontType0"));
  EXPECT_FALSE(reg.ValueExists("FontType0"));
}

TEST_F(Registry, KeyPathsAndTree)
{
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Ridu Zirezod", true)); // leading '\' optional
  ASSERT_TRUE(reg.OpenKey("Form.TMainForm", true));         // relative to the open key
  EXPECT_EQ(reg.CurrentPath(), "Software\\Ridu Zirezod\\Form.TMainForm");
  reg.WriteInteger("Left", 10);
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\RIDU ZIREZOD\\ToolBar.x", true)); // absolute, any case
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\RIDU ZIREZOD\\ToolBar.x");
  ASSERT_TRUE(reg.OpenKey("\\Software\\Ridu Zirezod\\Dock.y", true));
  // 乗 ends in the byte of '\': it is one character, not a separator.
  ASSERT_TRUE(reg.OpenKey("\\乗\\子", true));
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), 0u);

  EXPECT_TRUE(reg.KeyExists("\\software\\ridu zirezod\\form.tmainform"));
  EXPECT_TRUE(reg.KeyExists("Software")); // a key above keys exists
  EXPECT_TRUE(reg.KeyExists("乗"));
  EXPECT_FALSE(reg.KeyExists("\\Software\\Ridu"));
  EXPECT_FALSE(reg.KeyExists("\x81"));
  EXPECT_NE(Contents(UserFile).find("[乗\\子]\r\n"), std::string::npos);

  ASSERT_TRUE(reg.OpenKey("\\Software\\Ridu Zirezod", false));
  EXPECT_TRUE(reg.HasSubKeys());
  EXPECT_EQ(Names(&TRegistry::GetKeyNames, reg), "Dock.y,Form.TMainForm,ToolBar.x");
  EXPECT_FALSE(reg.OpenKey("\\Software\\Missing", false));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Ridu Zirezod"); // a failed open keeps the key
  reg.CloseKey();

  EXPECT_TRUE(reg.DeleteKey("\\Software\\Ridu Zirezod"));
  EXPECT_FALSE(reg.KeyExists("\\Software\\Ridu Zirezod\\Form.TMainForm"));
  EXPECT_FALSE(reg.DeleteKey("\\Software\\Ridu Zirezod"));
  EXPECT_TRUE(reg.KeyExists("乗\\子"));

  EXPECT_TRUE(reg.OpenKeyReadOnly("\\乗"));
  EXPECT_EQ(MessageOf<ERegistryException>([&] { reg.WriteString("x", "1"); }),
            "Failed to set data for 'x'");
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\Nowhere"));
}

TEST_F(Registry, MachineRootHasItsOwnFile)
{
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo", true));
  reg.WriteString("dbhost", "DBMSSOCN,dbhost,1433");
  EXPECT_EQ(Contents(MachineFile), "[SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo]\r\n"
                                   "dbhost=DBMSSOCN,dbhost,1433\r\n");
  EXPECT_FALSE(std::filesystem::exists(UserFile));
  reg.SetRootKey(HKEY_CURRENT_USER); // closes the key
  EXPECT_EQ(reg.CurrentKey(), 0u);
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Microsoft"));
  reg.SetRootKey(HKEY_CLASSES_ROOT); // not kept by the store
  EXPECT_FALSE(reg.OpenKey("\\x", true));
}

TEST_F(Registry, StoreThatCannotBeWrittenOpensNothingForWriting)
{
  // The machine file would have to live below a plain file: it can never be written.
  std::ofstream(Dir + "/plain") << "x";
  SetRegistryRoots(UserFile, Dir + "/plain/registry-HKLM.ini");
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo", true));
  EXPECT_FALSE(reg.OpenKey("", false)); // the root exists, but not for writing
  EXPECT_EQ(MessageOf<ERegistryException>([&] { reg.CreateKey("\\SOFTWARE\\X"); }),
            "Failed to create key \\SOFTWARE\\X");
  TRegistry reader(KEY_READ);
  reader.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(reader.OpenKey("", false));
  EXPECT_FALSE(reader.ValueExists("x"));
}

TEST_F(Registry, RegistryIniFile)
{
  std::unique_ptr<TCustomIniFile> ini =
      std::make_unique<TRegistryIniFile>("\\Software\\Ridu Zirezod");
  ini->WriteInteger("Form.TMainForm", "Left", 10);
  ini->WriteString("ToolBar.x", "Visible", "1");
  ini->WriteInteger("ToolBar.x", "Visible", 0); // an existing string stays a string
  ini->WriteBool("Dock.y", "Floating", true);
  EXPECT_EQ(ini->ReadInteger("form.tmainform", "left", -1), 10);
  EXPECT_EQ(ini->ReadString("Form.TMainForm", "Left", ""), "10");
  EXPECT_EQ(ini->ReadInteger("ToolBar.x", "Visible", -1), 0);
  EXPECT_TRUE(ini->ReadBool("Dock.y", "Floating", false));
  EXPECT_EQ(ini->ReadInteger("Nowhere", "Left", -1), -1);
  EXPECT_EQ(ini->ReadString("Form.TMainForm", "Top", "d"), "d");

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Ridu Zirezod\\ToolBar.x", false));
  EXPECT_EQ(reg.GetDataType("Visible"), rdString);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Ridu Zirezod\\Form.TMainForm", false));
  EXPECT_EQ(reg.GetDataType("Left"), rdInteger);

  TStringList list;
  ini->ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "Dock.y,Form.TMainForm,ToolBar.x");
  ini->ReadSectionValues("Form.TMainForm", &list);
  EXPECT_EQ(list.CommaText(), "Left=10");
  EXPECT_TRUE(ini->SectionExists("toolbar.X"));
  EXPECT_TRUE(ini->ValueExists("Dock.y", "floating"));
  ini->DeleteKey("Dock.y", "Floating");
  EXPECT_FALSE(ini->ValueExists("Dock.y", "Floating"));
  ini->EraseSection("ToolBar.x");
  EXPECT_FALSE(ini->SectionExists("ToolBar.x"));
  ini->ReadSection("ToolBar.x", &list);
  EXPECT_EQ(list.Count(), 0);
}

TEST(RegistryDefaults, FilesFollowTheEnvironment)
{
  SetRegistryRoots("", "");
  const char* old = getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", "/x/conf", 1);
  EXPECT_EQ(RegistryFileName(HKEY_CURRENT_USER), "/x/conf/qhwbp/registry.ini");
  setenv("XDG_CONFIG_HOME", "relative", 1); // ignored
  setenv("HOME", getenv("HOME") ? getenv("HOME") : "/root", 1);
  EXPECT_EQ(RegistryFileName(HKEY_CURRENT_USER),
            AnsiString(getenv("HOME")) + "/.config/qhwbp/registry.ini");
  if (old)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  const AnsiString machine = RegistryFileName(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(machine.substr(machine.size() - 18), "/registry-HKLM.ini");
  EXPECT_EQ(RegistryFileName(HKEY_USERS), "");
}
