// TDataModule: a container of non-visual components the screen lists beside the forms.
// Forms.h describes it.
#include <algorithm>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/FormsPrivate.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterDataModuleClass()
{
  TClassRegistration<TDataModule, TComponent>("TDataModule")
      .Property("OnCreate", &TDataModule::OnCreate, &TDataModule::OnCreate)
      .Property("OnDestroy", &TDataModule::OnDestroy, &TDataModule::OnDestroy);
}

// ---- TDataModule ----------------------------------------------------------------------------

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner)
{
  if (FormsState().Screen)
    FormsState().Screen->FDataModules.push_back(this);
}

TDataModule::~TDataModule()
{
  if (FormsState().Screen) {
    auto& list = FormsState().Screen->FDataModules;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
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
