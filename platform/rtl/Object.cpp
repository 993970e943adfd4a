// TObject and TPersistent, the metadata records behind class references, and the registry
// of classes constructed by name.
#include "platform/rtl/Object.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ObjectHandles.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterPersistentClasses()
{
  TClassRegistration<TPersistent>("TPersistent");
}

namespace {

struct ClassTables {
  // Registered records by their C++ type.
  std::unordered_map<std::type_index, TClassInfo*> ByType;
  // Every record, in registration order.
  std::vector<TClassInfo*> All;
  // Dynamic types that never registered, mapped to their nearest registered class.
  std::unordered_map<std::type_index, TClass> Nearest;
  // Classes constructed by name: upper-cased name -> class.
  std::unordered_map<AnsiString, TClass> ByName;
};

ClassTables& Tables()
{
  static ClassTables* tables = new ClassTables; // records live until the program ends
  return *tables;
}

int Depth(TClass cls)
{
  int depth = 0;
  for (TClass c = cls; c; c = c->Parent)
    ++depth;
  return depth;
}

// The deepest registered class the object belongs to, for objects whose own class never
// registered (a test's or a form's private subclass).
TClass NearestRegisteredClass(const TObject* obj)
{
  TClass best = TObjectClass();
  int bestDepth = 1;
  for (TClassInfo* info : Tables().All) {
    if (!info->IsInstance || !info->IsInstance(obj))
      continue;
    int depth = Depth(info);
    if (depth > bestDepth) {
      best = info;
      bestDepth = depth;
    }
  }
  return best;
}

bool IsObject(const TObject*)
{
  return true;
}

} // namespace

// ---- Class records ----

bool TClassInfo::InheritsFrom(TClass other) const
{
  for (TClass c = this; c; c = c->Parent)
    if (c == other)
      return true;
  return false;
}

bool TClassInfo::ClassNameIs(const AnsiString& name) const
{
  return SameText(Name, name);
}

TObject* TClassInfo::Create(TComponent* owner) const
{
  if (!Factory)
    throw EAbstractError(SAbstractError);
  return Factory(owner);
}

TClass TObjectClass()
{
  static TClassInfo info{"TObject", nullptr, nullptr,  &typeid(TObject),
                         nullptr,   nullptr, &IsObject};
  return &info;
}

TClass ClassInfoOf(const std::type_info& type)
{
  if (type == typeid(TObject))
    return TObjectClass();
  auto& map = Tables().ByType;
  auto it = map.find(std::type_index(type));
  return it == map.end() ? nullptr : it->second;
}

TClass RegisterClassInfo(const std::type_info& type, const AnsiString& name, TClass parent,
                         TClassFactory factory, bool (*isInstance)(const TObject*))
{
  if (TClass existing = ClassInfoOf(type))
    return existing;
  auto* info = new TClassInfo{name, parent ? parent : TObjectClass(), factory, &type};
  info->IsInstance = isInstance;
  ClassTables& t = Tables();
  t.ByType.emplace(std::type_index(type), info);
  t.All.push_back(info);
  t.Nearest.clear(); // a new class may be nearer for types seen before
  return info;
}

namespace typinfo_detail {

TClassInfo* MutableClass(TClass cls)
{
  return const_cast<TClassInfo*>(cls);
}

} // namespace typinfo_detail

// ---- Classes constructed by name ----

void RegisterClass(TClass aClass)
{
  if (!aClass)
    return;
  Tables().ByName[UpperCase(aClass->Name)] = aClass;
}

void RegisterClasses(std::initializer_list<TClass> classes)
{
  for (TClass c : classes)
    RegisterClass(c);
}

void UnRegisterClass(TClass aClass)
{
  if (!aClass)
    return;
  auto& byName = Tables().ByName;
  auto it = byName.find(UpperCase(aClass->Name));
  if (it != byName.end() && it->second == aClass)
    byName.erase(it);
}

TClass GetClass(const AnsiString& name)
{
  auto& byName = Tables().ByName;
  auto it = byName.find(UpperCase(name));
  return it == byName.end() ? nullptr : it->second;
}

TClass FindClass(const AnsiString& name)
{
  TClass cls = GetClass(name);
  if (!cls)
    throw EClassNotFound(Format(SClassNotFound, {name}));
  return cls;
}

void RaiseInvalidCast()
{
  throw EInvalidCast(SInvalidCast);
}

// ---- TObject ----

TObject::~TObject()
{
  ReleaseObjectHandle(this);
}

void* TObject::operator new(std::size_t size)
{
  return ::operator new(size);
}

void TObject::operator delete(void* memory)
{
  ::operator delete(memory);
}

void TObject::operator delete(TObject* obj, std::destroying_delete_t)
{
  if (!obj) // whether delete of null reaches here is left to the compiler
    return;
  obj->BeforeDestruction();
  void* whole = dynamic_cast<void*>(obj); // the start of the allocation
  obj->~TObject();
  ::operator delete(whole);
}

TClass TObject::ClassType() const
{
  const std::type_info& type = typeid(*this);
  if (TClass c = ClassInfoOf(type))
    return c;
  auto& nearest = Tables().Nearest;
  auto it = nearest.find(std::type_index(type));
  if (it != nearest.end())
    return it->second;
  TClass c = NearestRegisteredClass(this);
  nearest.emplace(std::type_index(type), c);
  return c;
}

AnsiString TObject::ClassName() const
{
  return ClassType()->Name;
}

TClass TObject::ClassParent() const
{
  return ClassType()->Parent;
}

bool TObject::InheritsFrom(TClass aClass) const
{
  return ClassType()->InheritsFrom(aClass);
}

bool TObject::ClassNameIs(const AnsiString& name) const
{
  return ClassType()->ClassNameIs(name);
}

// ---- TPersistent ----

void TPersistent::Assign(TPersistent* Source)
{
  if (!Source)
    throw EConvertError("Cannot assign a nil to a " + ClassName());
  Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest)
{
  // Reached when neither side knows the other: the message names source and destination.
  throw EConvertError("Cannot assign a " + ClassName() + " to a " +
                      (Dest ? Dest->ClassName() : AnsiString("nil")));
}

AnsiString TPersistent::GetNamePath()
{
  return ClassName();
}
