// The runtime's unit initializations and class registrations, each defined at the top of
// the .cpp of the classes it registers; RtlUnits.cpp calls them in the system's unit order.
// Not for use outside platform/rtl.
#pragma once

// SysUtils: the locale and platform globals (FormatSettings.cpp) and the exception classes
// (Exceptions.cpp).
void InitSysUtilsGlobals();
void RegisterExceptionClasses();

// Classes.
void RegisterPersistentClasses(); // Object.cpp
void RegisterComponentClasses();  // Component.cpp
void RegisterCollectionClasses(); // Collection.cpp
void RegisterListsClasses();      // Lists.cpp
void RegisterStreamsClasses();    // Streams.cpp
void RegisterDataModuleClasses(); // DataModule.cpp

void RegisterIniFilesClasses(); // IniFiles.cpp
void RegisterRegistryClasses(); // Registry.cpp
