// The runtime's own units, first in the system's unit order.
#include "platform/rtl/Classes.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"

namespace {

void SysUtilsInitialization()
{
  GetFormatSettings();
  SysLocale = TSysLocale();
  Win32Platform = VER_PLATFORM_WIN32_NT;
  Win32MajorVersion = 5;
  Win32MinorVersion = 1;
  TrueBoolStrs = {"True"};
  FalseBoolStrs = {"False"};
}

// The class records of the object model's own classes. The Name property is written by
// the filers themselves, so it is not stored with the others.
void ClassesInitialization()
{
  IsMainThread(); // the thread that initializes the units is the main thread
  TClassRegistration<TPersistent>("TPersistent");
  TClassRegistration<TComponent, TPersistent>("TComponent")
      .Property("Name", &TComponent::Name, &TComponent::SetName)
      .Type(TComponentNameTypeInfo())
      .Stored(false)
      .Property("Tag", &TComponent::Tag, &TComponent::SetTag)
      .Type(IntegerTypeInfo())
      .Default(0);
  TClassRegistration<TCollectionItem, TPersistent>("TCollectionItem");
  TClassRegistration<TCollection, TPersistent>("TCollection");
  TClassRegistration<TOwnedCollection, TCollection>("TOwnedCollection");
  TClassRegistration<TStrings, TPersistent>("TStrings");
  TClassRegistration<TStringList, TStrings>("TStringList");
  TClassRegistration<TList>("TList");
  // The owner argument of a class reference's constructor is not an OwnsObjects flag.
  TClassRegistration<TObjectList, TList>("TObjectList").Factory([](TComponent*) -> TObject* {
    return new TObjectList();
  });
  TClassRegistration<TThread>("TThread");
  TClassRegistration<TStream>("TStream");
  TClassRegistration<TCustomMemoryStream, TStream>("TCustomMemoryStream");
  TClassRegistration<TMemoryStream, TCustomMemoryStream>("TMemoryStream");
  TClassRegistration<TReadOnlyMemoryStream, TCustomMemoryStream>("TReadOnlyMemoryStream");
  TClassRegistration<TResourceStream, TCustomMemoryStream>("TResourceStream");
  TClassRegistration<TStringStream, TStream>("TStringStream");
  TClassRegistration<THandleStream, TStream>("THandleStream");
  TClassRegistration<TFileStream, THandleStream>("TFileStream");
}

void IniFilesInitialization()
{
  TClassRegistration<TCustomIniFile>("TCustomIniFile");
  TClassRegistration<TIniFile, TCustomIniFile>("TIniFile");
  TClassRegistration<TMemIniFile, TCustomIniFile>("TMemIniFile");
}

void RegistryInitialization()
{
  TClassRegistration<TRegistry>("TRegistry");
  TClassRegistration<TRegistryIniFile, TCustomIniFile>("TRegistryIniFile");
}

} // namespace

void RegisterRtlUnits()
{
  RegisterUnit("SysUtils", SysUtilsInitialization, nullptr);
  RegisterUnit("Classes", ClassesInitialization, nullptr);
  RegisterUnit("IniFiles", IniFilesInitialization, nullptr);
  RegisterUnit("Registry", RegistryInitialization, nullptr);
}
