#include <memory>
#include <typeinfo>

#include <gtest/gtest.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"

// The runtime's own classes have class records (scripts, the designer and ClassName rely
// on them): the right name and parent, and a virtual constructor only where an object can
// be made without further arguments.
TEST(RtlUnits, RuntimeClassesHaveTheirRecords)
{
  struct Case {
    const std::type_info& Type;
    const char* Name;
    const char* Parent;
    bool Constructible;
  } cases[] = {
      {typeid(TPersistent), "TPersistent", "TObject", true},
      {typeid(TComponent), "TComponent", "TPersistent", true},
      {typeid(TList), "TList", "TObject", true},
      {typeid(TObjectList), "TObjectList", "TList", true},
      {typeid(TStrings), "TStrings", "TPersistent", false},
      {typeid(TStringList), "TStringList", "TStrings", true},
      {typeid(TStream), "TStream", "TObject", false},
      {typeid(TCustomMemoryStream), "TCustomMemoryStream", "TStream", false},
      {typeid(TMemoryStream), "TMemoryStream", "TCustomMemoryStream", true},
      {typeid(TReadOnlyMemoryStream), "TReadOnlyMemoryStream", "TCustomMemoryStream", false},
      {typeid(TResourceStream), "TResourceStream", "TCustomMemoryStream", false},
      {typeid(TStringStream), "TStringStream", "TStream", true},
      {typeid(THandleStream), "THandleStream", "TStream", false},
      {typeid(TFileStream), "TFileStream", "THandleStream", false},
      {typeid(TCustomIniFile), "TCustomIniFile", "TObject", false},
      {typeid(TIniFile), "TIniFile", "TCustomIniFile", false},
      {typeid(TMemIniFile), "TMemIniFile", "TCustomIniFile", false},
      {typeid(TRegistry), "TRegistry", "TObject", true},
      {typeid(TRegistryIniFile), "TRegistryIniFile", "TCustomIniFile", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TClass cls = ClassInfoOf(c.Type);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->Name, c.Name);
    ASSERT_NE(cls->ClassParent(), nullptr);
    EXPECT_EQ(cls->ClassParent()->Name, c.Parent);
    EXPECT_EQ(cls->Factory != nullptr, c.Constructible);
    if (!c.Constructible)
      continue;
    std::unique_ptr<TObject> made(cls->Create(nullptr));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->ClassType(), cls);
  }
}

TEST(RtlUnits, ObjectListMadeByReferenceOwnsItsObjects)
{
  // The owner argument of a class reference's constructor (here none) must not become
  // the list's OwnsObjects flag.
  std::unique_ptr<TObject> made(ClassInfoOf(typeid(TObjectList))->Create(nullptr));
  EXPECT_TRUE(As<TObjectList>(made.get())->OwnsObjects());
}

TEST(RtlUnits, LocaleQueriesAnswerFromTheOneProfile)
{
  struct Case {
    Integer Locale;
    Integer Type;
    const char* Expected;
  } cases[] = {
      {LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, "0"}, // Monday
      {LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME, "zh"},
      {0x0804, LOCALE_SISO639LANGNAME, "zh"}, // any locale id: there is one profile
      {LOCALE_USER_DEFAULT, 0x7777, "fallback"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type);
    EXPECT_EQ(GetLocaleStr(c.Locale, c.Type, "fallback"), c.Expected);
  }
  SysLocale.FirstDayOfWeek = 6;
  EXPECT_EQ(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, "0"), "6");
  SysLocale = TSysLocale();
}

TEST(RtlUnits, RestartingTheUnitsRestoresProgramWideSettings)
{
  EXPECT_EQ(Win32Platform, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(Win32MajorVersion, 5);
  EXPECT_EQ(Win32MinorVersion, 1);
  Win32MajorVersion = 6; // a test that pretends a newer platform
  Win32MinorVersion = 0;
  FormatSettings.DateSeparator = '/';
  SysLocale.FarEast = false;
  TrueBoolStrs = {"Yes"};
  ReinitializeUnits();
  EXPECT_EQ(Win32MajorVersion, 5);
  EXPECT_EQ(Win32MinorVersion, 1);
  EXPECT_EQ(FormatSettings.DateSeparator, '-');
  EXPECT_TRUE(SysLocale.FarEast);
  EXPECT_EQ(BoolToStr(true, true), "True");
}
