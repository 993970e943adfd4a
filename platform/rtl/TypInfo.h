// Class metadata records and the class registry. (Published properties are added to the
// record by the reflection API.)
#pragma once

#include <typeindex>
#include <typeinfo>

#include "platform/rtl/Object.h"

using TClassFactory = TObject* (*)(TComponent* owner);

struct TClassInfo {
  AnsiString Name;
  TClass Parent = nullptr;
  TClassFactory Factory = nullptr; // null: abstract, cannot be constructed by reference
  const std::type_info* Type = nullptr;

  bool InheritsFrom(TClass other) const;
};

// Metadata of a C++ class, registered in its own .cpp; null when it never was.
TClass ClassInfoOf(const std::type_info& type);

// Records the metadata of class T with its parent (registered before it).
TClass RegisterClassInfo(const std::type_info& type, const AnsiString& name, TClass parent,
                         TClassFactory factory);

template <class T>
TClass ClassInfoOf()
{
  return ClassInfoOf(typeid(T));
}

// Metadata of TObject itself.
TClass TObjectClass();
