#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/TypInfo.h"

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
