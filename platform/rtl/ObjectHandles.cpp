// The handle table behind ObjectHandles.h. Handles are never reused, so a handle to a
// freed object stays invalid even when another object takes its address.
#include "platform/rtl/ObjectHandles.h"

#include <unordered_map>

namespace {

struct HandleTable {
  std::unordered_map<Integer, TObject*> ByHandle;
  std::unordered_map<TObject*, Integer> ByObject;
  Integer Next = ObjectHandleBase;
};

HandleTable& Table()
{
  static HandleTable* table = new HandleTable; // lives until exit; objects may die late
  return *table;
}

bool gAnyHandleIssued = false;

} // namespace

Integer ObjectToHandle(TObject* obj)
{
  if (!obj)
    return 0;
  HandleTable& t = Table();
  auto it = t.ByObject.find(obj);
  if (it != t.ByObject.end())
    return it->second;
  Integer h = t.Next++;
  t.ByObject.emplace(obj, h);
  t.ByHandle.emplace(h, obj);
  gAnyHandleIssued = true;
  return h;
}

TObject* HandleToObject(Integer handle)
{
  if (handle == 0)
    return nullptr;
  HandleTable& t = Table();
  auto it = t.ByHandle.find(handle);
  return it == t.ByHandle.end() ? nullptr : it->second;
}

bool IsValidObjectHandle(Integer handle)
{
  return handle == 0 || HandleToObject(handle);
}

void ReleaseObjectHandle(TObject* obj)
{
  if (!gAnyHandleIssued)
    return;
  HandleTable& t = Table();
  auto it = t.ByObject.find(obj);
  if (it == t.ByObject.end())
    return;
  t.ByHandle.erase(it->second);
  t.ByObject.erase(it);
}
