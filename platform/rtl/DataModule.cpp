// TDataModule (DataModule.h) and the list of live data modules.
#include "platform/rtl/DataModule.h"

#include <algorithm>
#include <vector>

#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterDataModuleClasses()
{
  RegisterClass(TClassRegistration<TDataModule, TComponent>("TDataModule")
                    .Property("OnCreate", &TDataModule::OnCreate, &TDataModule::OnCreate)
                    .Property("OnDestroy", &TDataModule::OnDestroy, &TDataModule::OnDestroy));
}

namespace {

std::vector<TDataModule*>& LiveModules()
{
  static std::vector<TDataModule*> modules;
  return modules;
}

} // namespace

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner)
{
  LiveModules().push_back(this);
}

TDataModule::~TDataModule()
{
  auto& list = LiveModules();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TDataModule::AfterConstruction()
{
  TComponent::AfterConstruction();
  if (OnCreate)
    OnCreate(this);
}

void TDataModule::BeforeDestruction()
{
  if (OnDestroy)
    OnDestroy(this);
  TComponent::BeforeDestruction();
}

void TDataModule::GetChildren(TGetChildProc Proc, TComponent* Root)
{
  for (Integer i = 0; i < ComponentCount(); ++i) {
    TComponent* child = Components(i);
    if (!child->HasParent())
      Proc(child);
  }
}

Integer DataModuleCount()
{
  return static_cast<Integer>(LiveModules().size());
}

TDataModule* DataModules(Integer Index)
{
  if (Index < 0 || Index >= DataModuleCount()) {
    AnsiString text = SListIndexError;
    text.replace(text.find("%d"), 2, std::to_string(Index));
    throw EListError(text);
  }
  return LiveModules()[static_cast<size_t>(Index)];
}
