// TObject and TPersistent, and the metadata records behind class references.
#include "platform/rtl/Object.h"

#include <memory>
#include <unordered_map>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ObjectHandles.h"
#include "platform/rtl/TypInfo.h"

namespace {

std::unordered_map<std::type_index, TClassInfo*>& ClassInfoMap()
{
  static std::unordered_map<std::type_index, TClassInfo*> map;
  return map;
}

} // namespace

bool TClassInfo::InheritsFrom(TClass other) const
{
  for (TClass c = this; c; c = c->Parent)
    if (c == other)
      return true;
  return false;
}

TClass TObjectClass()
{
  static TClassInfo info{"TObject", nullptr, nullptr, &typeid(TObject)};
  return &info;
}

TClass ClassInfoOf(const std::type_info& type)
{
  if (type == typeid(TObject))
    return TObjectClass();
  auto& map = ClassInfoMap();
  auto it = map.find(std::type_index(type));
  return it == map.end() ? nullptr : it->second;
}

TClass RegisterClassInfo(const std::type_info& type, const AnsiString& name, TClass parent,
                         TClassFactory factory)
{
  auto& map = ClassInfoMap();
  auto it = map.find(std::type_index(type));
  if (it != map.end())
    return it->second;
  auto* info = new TClassInfo{name, parent ? parent : TObjectClass(), factory, &type};
  map.emplace(std::type_index(type), info);
  return info;
}

TObject::~TObject() { ReleaseObjectHandle(this); }

TClass TObject::ClassType() const
{
  TClass c = ClassInfoOf(typeid(*this));
  return c ? c : TObjectClass();
}

AnsiString TObject::ClassName() const { return ClassType()->Name; }

TClass TObject::ClassParent() const { return ClassType()->Parent; }

bool TObject::InheritsFrom(TClass aClass) const { return ClassType()->InheritsFrom(aClass); }

bool TObject::ClassNameIs(const AnsiString& name) const
{
  const AnsiString& own = ClassType()->Name;
  if (own.size() != name.size())
    return false;
  for (size_t i = 0; i < own.size(); ++i) {
    unsigned char a = own[i], b = name[i];
    if (a >= 'a' && a <= 'z')
      a -= 32;
    if (b >= 'a' && b <= 'z')
      b -= 32;
    if (a != b)
      return false;
  }
  return true;
}

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

AnsiString TPersistent::GetNamePath() { return ClassName(); }
