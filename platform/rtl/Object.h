// TObject, class references and TPersistent: the root of every class in the system.
// A class reference (TClass) points at the class's metadata record, which the class
// registers in its own .cpp (see TypInfo.h for the registration API and published
// properties). ClassType() finds the record from the object's dynamic type.
#pragma once

#include "platform/rtl/Types.h"

class TObject;
class TPersistent;
class TComponent;
class TFiler;
struct TClassInfo;
using TClass = const TClassInfo*;

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  // The metadata record of the object's class: its own when registered, otherwise that
  // of the nearest registered ancestor known for the dynamic type (TObject at worst).
  TClass ClassType() const;
  AnsiString ClassName() const;
  TClass ClassParent() const;
  bool InheritsFrom(TClass aClass) const;
  bool ClassNameIs(const AnsiString& name) const;

  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
};

// Frees an object; null is accepted.
inline void Free(TObject* obj) { delete obj; }

template <class T>
void FreeAndNil(T*& obj)
{
  T* tmp = obj;
  obj = nullptr;
  delete tmp;
}

class TPersistent : public TObject {
public:
  // Copies Source into this object; an unrelated source raises EConvertError
  // "Cannot assign a <source class> to a <this class>".
  virtual void Assign(TPersistent* Source);
  virtual AnsiString GetNamePath();

protected:
  virtual void AssignTo(TPersistent* Dest);
  virtual void DefineProperties(TFiler* Filer) {}
  virtual TPersistent* GetOwner() { return nullptr; }

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
};
