// The program's string table of resource strings (ResStrings.h).
#include "platform/rtl/ResStrings.h"

#include <unordered_map>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"

namespace {

std::unordered_map<Cardinal, PResStringRec>& Table()
{
  static auto* table = new std::unordered_map<Cardinal, PResStringRec>; // lives to the end
  return *table;
}

} // namespace

void RegisterResStrings(std::initializer_list<PResStringRec> ResStrings)
{
  for (PResStringRec rec : ResStrings) {
    auto [it, added] = Table().emplace(rec->Identifier, rec);
    if (!added && it->second != rec)
      throw EListError(Format("Duplicate resource string id %u", {rec->Identifier}));
  }
}

void UnregisterResStrings(std::initializer_list<PResStringRec> ResStrings)
{
  for (PResStringRec rec : ResStrings) {
    auto it = Table().find(rec->Identifier);
    if (it != Table().end() && it->second == rec)
      Table().erase(it);
  }
}

AnsiString LoadResString(PResStringRec ResString)
{
  return ResString && ResString->Text ? AnsiString(ResString->Text) : AnsiString();
}

PResStringRec FindResString(Cardinal Identifier)
{
  auto it = Table().find(Identifier);
  return it == Table().end() ? nullptr : it->second;
}

AnsiString LoadStr(Cardinal Identifier)
{
  return LoadResString(FindResString(Identifier));
}
