// The list of fuzz targets linked into a driver or a test binary (FuzzTarget.h).
#include "tests/fuzz/FuzzTarget.h"

namespace {

std::vector<TFuzzTarget>& Targets()
{
  static std::vector<TFuzzTarget> targets;
  return targets;
}

} // namespace

void FuzzCheck(bool Condition, const std::string& What)
{
  if (!Condition)
    throw EFuzzCheckFailed(What);
}

const std::vector<TFuzzTarget>& FuzzTargets()
{
  return Targets();
}

const TFuzzTarget* FindFuzzTarget(const std::string& Name)
{
  for (const TFuzzTarget& target : Targets())
    if (Name == target.Name)
      return &target;
  return nullptr;
}

TFuzzRegistration::TFuzzRegistration(const char* Name, TFuzzEntry Run, const char* Kept)
{
  Targets().push_back({Name, Run, Kept});
}
