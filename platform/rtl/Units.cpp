// The ordered unit list behind InitializeUnits/FinalizeUnits.
#include "platform/rtl/Units.h"

#include <cstring>
#include <vector>

namespace {

struct UnitEntry {
  const char* Name;
  TUnitProc Initialization;
  TUnitProc Finalization;
};

std::vector<UnitEntry>& UnitList()
{
  static std::vector<UnitEntry> list;
  return list;
}

size_t gInitializedCount = 0;
bool gInitialized = false;
bool gFinalized = false;

} // namespace

void RegisterUnit(const char* name, TUnitProc initialization, TUnitProc finalization)
{
  for (const UnitEntry& e : UnitList())
    if (std::strcmp(e.Name, name) == 0)
      return;
  UnitList().push_back({name, initialization, finalization});
  // A unit registered after start-up (a library loaded late) starts at once.
  if (gInitialized && !gFinalized) {
    if (initialization)
      initialization();
    gInitializedCount = UnitList().size();
  }
}

void InitializeUnits()
{
  if (gInitialized)
    return;
  gInitialized = true;
  gFinalized = false;
  std::vector<UnitEntry>& list = UnitList();
  for (gInitializedCount = 0; gInitializedCount < list.size(); ++gInitializedCount) {
    if (list[gInitializedCount].Initialization)
      list[gInitializedCount].Initialization();
  }
}

void FinalizeUnits()
{
  if (!gInitialized || gFinalized)
    return;
  std::vector<UnitEntry>& list = UnitList();
  while (gInitializedCount > 0) {
    --gInitializedCount;
    if (list[gInitializedCount].Finalization)
      list[gInitializedCount].Finalization();
  }
  gFinalized = true;
}

bool UnitsFinalized()
{
  return gFinalized;
}

void ReinitializeUnits()
{
  FinalizeUnits();
  gInitialized = false;
  gFinalized = false;
  InitializeUnits();
}
