// Fuzz target "dock-tree": the input as a dock site's saved tree (TfrxDockSite,
// report/output/frxDock.h), which comes from a user-editable settings store. A tree that
// loads is saved, loaded into a second site and saved again: both saves must be the same.
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"
#include "report/output/frxDock.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

std::string Save(TfrxDockSite* Site)
{
  TMemoryStream out;
  Site->SaveDockTree(&out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

void FuzzDockTree(const std::string& Input)
{
  TForm host(nullptr);
  host.SetName("FuzzHost");
  for (const char* name : {"A", "Inspector"}) {
    auto* f = new TForm(&host);
    f->SetName(name);
  }
  std::string saved;
  {
    auto* site = new TfrxDockSite(&host);
    site->SetParent(&host);
    TStringStream in(Input);
    site->LoadDockTree(&in);
    saved = Save(site);
    for (Integer i = site->DockClientCount() - 1; i >= 0; --i)
      site->UndockForm(site->DockClients(i));
    delete site;
  }
  auto* again = new TfrxDockSite(&host);
  again->SetParent(&host);
  TStringStream in(saved);
  try {
    again->LoadDockTree(&in);
  } catch (const Exception& e) {
    throw EFuzzCheckFailed("a saved dock tree does not load again: " + e.Message());
  }
  FuzzCheck(Save(again) == saved, "a dock tree saved, loaded and saved again differs");
  for (Integer i = again->DockClientCount() - 1; i >= 0; --i)
    again->UndockForm(again->DockClients(i));
}

} // namespace

QH_FUZZ_TARGET("dock-tree", FuzzDockTree);
