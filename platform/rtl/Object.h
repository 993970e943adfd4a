// TObject, class references and TPersistent: the root of every class in the system.
// A class reference (TClass) points at the class's metadata record (TClassInfo), which the
// class registers in its own .cpp through TClassRegistration (TypInfo.h, which also holds
// the published properties). ClassType() finds the record from the object's dynamic type,
// so class declarations carry no macro. Classes.h gathers the whole object model.
#pragma once

#include <initializer_list>
#include <new>
#include <typeinfo>

#include "platform/rtl/Types.h"

class TObject;
class TPersistent;
class TComponent;
class TFiler;
class TClassProps;
struct TClassInfo;
using TClass = const TClassInfo*;

// The virtual constructor of a class: creates an instance with the given owner (classes
// that take no owner ignore it).
using TClassFactory = TObject* (*)(TComponent* owner);

// Base of a class's class-side operations: one singleton object per class that overrides
// them, reached from the class reference without an instance (see ClassOps below).
class TClassOps {
public:
  virtual ~TClassOps() = default;
};

// The metadata record behind a class reference. Records are created once, by registration,
// and live until the program ends; a class reference is therefore always safe to keep.
struct TClassInfo {
  AnsiString Name;
  TClass Parent = nullptr;
  TClassFactory Factory = nullptr; // null: abstract, cannot be constructed by reference
  const std::type_info* Type = nullptr;
  TClassOps* Ops = nullptr;                     // this class's own class-side operations, or null
  TClassProps* Props = nullptr;                 // published properties (TypInfo.h), or null
  bool (*IsInstance)(const TObject*) = nullptr; // obj is of this class or a descendant

  AnsiString ClassName() const { return Name; }
  TClass ClassParent() const { return Parent; }
  bool InheritsFrom(TClass other) const;
  // True when the names are equal ignoring case.
  bool ClassNameIs(const AnsiString& name) const;
  // Constructs an instance through the virtual constructor; an abstract class raises
  // EAbstractError.
  TObject* Create(TComponent* owner = nullptr) const;
};

// The class-side operations of type Ops that apply to a class: its own, or the nearest
// ancestor's; null when no class up the chain registered any of that type.
template <class Ops> const Ops* ClassOps(TClass cls)
{
  for (TClass c = cls; c; c = c->Parent)
    if (c->Ops)
      if (auto* ops = dynamic_cast<const Ops*>(c->Ops))
        return ops;
  return nullptr;
}

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  // The metadata record of the object's class: its own when registered, otherwise that of
  // its nearest registered ancestor (TObject at worst).
  TClass ClassType() const;
  AnsiString ClassName() const;
  TClass ClassParent() const;
  bool InheritsFrom(TClass aClass) const;
  bool ClassNameIs(const AnsiString& name) const;

  virtual void AfterConstruction() {}
  // Called by delete while the object is still whole (every override still in place),
  // before the destructors run. Objects that are not deleted (locals, members) skip it.
  virtual void BeforeDestruction() {}

  // delete runs BeforeDestruction, then the destructors, then frees the memory. The usual
  // form frees the memory of an object whose constructor threw.
  static void* operator new(std::size_t size);
  void operator delete(TObject* obj, std::destroying_delete_t);
  void operator delete(void* memory);
  // Construction in place stays available (the class-level forms hide the global ones).
  static void* operator new(std::size_t, void* place) noexcept { return place; }
  static void operator delete(void*, void*) noexcept {}
};

// Frees an object; null is accepted.
inline void Free(TObject* obj)
{
  delete obj;
}

template <class T> void FreeAndNil(T*& obj)
{
  T* tmp = obj;
  obj = nullptr;
  delete tmp;
}

// Raises EInvalidCast "Invalid class typecast".
[[noreturn]] void RaiseInvalidCast();

// "obj is T": false for null.
template <class T, class U> bool Is(const U* obj)
{
  return dynamic_cast<const T*>(obj) != nullptr;
}

// "obj as T": null stays null; an object of another class raises EInvalidCast.
template <class T, class U> T* As(U* obj)
{
  if (!obj)
    return nullptr;
  T* result = dynamic_cast<T*>(obj);
  if (!result)
    RaiseInvalidCast();
  return result;
}

// Interface queries: interfaces are abstract base classes, so support is a dynamic_cast.
template <class I, class U> bool Supports(U* obj, I*& intf)
{
  intf = obj ? dynamic_cast<I*>(obj) : nullptr;
  return intf != nullptr;
}
template <class I, class U> bool Supports(U* obj)
{
  return obj && dynamic_cast<I*>(obj) != nullptr;
}

// Metadata of a C++ class; null when it never was registered. TypInfo.h registers.
TClass ClassInfoOf(const std::type_info& type);
// Metadata of TObject itself.
TClass TObjectClass();

// The program-wide registry of classes constructed by name (streaming, the designer's
// palette, scripts). Names are compared ignoring case.
void RegisterClass(TClass aClass);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass aClass);
// Null when no class of that name is registered.
TClass GetClass(const AnsiString& name);
// Raises EClassNotFound "Class <name> not found" when no class of that name is registered.
TClass FindClass(const AnsiString& name);
// Class groups do not exist here: every registered class is visible to every lookup.
inline void StartClassGroup(TClass) {}
inline void GroupDescendentsWith(TClass, TClass) {}

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
  friend class TCollection;
};
