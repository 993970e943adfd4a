// Actions, action lists and action links. ActnList.h describes them.
#include "platform/ui/ActnList.h"

#include <algorithm>

#include "platform/rtl/TypInfo.h"

// ---- Registration -----------------------------------------------------------------------------

void RegisterActnListClasses()
{
  TClassRegistration<TBasicAction, TComponent>("TBasicAction")
      .Property("OnExecute", &TBasicAction::OnExecute, &TBasicAction::OnExecute)
      .Property("OnUpdate", &TBasicAction::OnUpdate, &TBasicAction::OnUpdate);
  TClassRegistration<TCustomAction, TBasicAction>("TCustomAction")
      .Property("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption)
      .Property("Category", &TCustomAction::Category, &TCustomAction::SetCategory)
      .Property("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked)
      .Default(false)
      .Property("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled)
      .Default(true)
      .Property("Hint", &TCustomAction::Hint, &TCustomAction::SetHint)
      .Property("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex)
      .Default(-1)
      .Property("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible)
      .Default(true);
  TClass action = TClassRegistration<TAction, TCustomAction>("TAction");
  TClassRegistration<TCustomActionList, TComponent>("TCustomActionList");
  TClass list = TClassRegistration<TActionList, TCustomActionList>("TActionList");
  RegisterClasses({action, list});
}

// ---- TBasicAction ----------------------------------------------------------------------------

TBasicAction::~TBasicAction()
{
  // Clients forget the action before it goes.
  std::vector<TActionLink*> clients = FClients;
  for (TActionLink* link : clients)
    link->SetAction(nullptr);
}

bool TBasicAction::Execute()
{
  if (!OnExecute)
    return false;
  TNotifyEvent handler = OnExecute;
  handler(this);
  return true;
}

bool TBasicAction::Update()
{
  if (!OnUpdate)
    return false;
  TNotifyEvent handler = OnUpdate;
  handler(this);
  return true;
}

void TBasicAction::Change()
{
  std::vector<TActionLink*> clients = FClients;
  for (TActionLink* link : clients)
    link->ActionChanged();
}

// ---- TCustomAction ---------------------------------------------------------------------------

TCustomAction::~TCustomAction()
{
  SetActionList(nullptr);
}

bool TCustomAction::Execute()
{
  TDestroyWatch watch(this);
  if (FActionList ? !FActionList->UpdateAction(this) : true)
    Update();
  if (watch.Destroyed() || !FEnabled)
    return false;
  if (FActionList && FActionList->ExecuteAction(this))
    return true;
  return TBasicAction::Execute();
}

void TCustomAction::SetCaption(const AnsiString& Value)
{
  if (Value == FCaption)
    return;
  FCaption = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value)
{
  if (Value == FChecked)
    return;
  FChecked = Value;
  Change();
}

void TCustomAction::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Change();
}

void TCustomAction::SetHint(const AnsiString& Value)
{
  if (Value == FHint)
    return;
  FHint = Value;
  Change();
}

void TCustomAction::SetImageIndex(Integer Value)
{
  if (Value == FImageIndex)
    return;
  FImageIndex = Value;
  Change();
}

void TCustomAction::SetActionList(TCustomActionList* Value)
{
  if (Value == FActionList)
    return;
  if (FActionList) {
    auto& list = FActionList->FActions;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  FActionList = Value;
  if (Value)
    Value->FActions.push_back(this);
}

// ---- TCustomActionList -----------------------------------------------------------------------

TCustomActionList::~TCustomActionList()
{
  std::vector<TCustomAction*> actions = FActions;
  for (TCustomAction* a : actions)
    a->SetActionList(nullptr);
}

TCustomAction* TCustomActionList::Actions(Integer Index) const
{
  if (Index < 0 || Index >= ActionCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FActions[static_cast<std::size_t>(Index)];
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action)
{
  bool handled = false;
  if (OnExecute)
    OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action)
{
  bool handled = false;
  if (OnUpdate)
    OnUpdate(Action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(TShortCut ShortCut)
{
  if (ShortCut == 0)
    return false;
  std::vector<TCustomAction*> actions = FActions;
  for (TCustomAction* a : actions)
    if (a->ShortCut() == ShortCut) {
      // A disabled action leaves the key to whoever comes next.
      return a->Execute();
    }
  return false;
}

// ---- TActionLink -----------------------------------------------------------------------------

TActionLink::~TActionLink()
{
  SetAction(nullptr);
}

void TActionLink::SetAction(TBasicAction* Value)
{
  if (Value == FAction)
    return;
  if (FAction) {
    auto& clients = FAction->FClients;
    clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
  }
  FAction = Value;
  if (Value) {
    Value->FClients.push_back(this);
    ActionChanged();
  }
}

bool TActionLink::Execute(TComponent* Component)
{
  if (!FAction)
    return false;
  FAction->SetActionComponent(Component);
  TDestroyWatch watch(FAction);
  bool result = FAction->Execute();
  if (!watch.Destroyed())
    FAction->SetActionComponent(nullptr);
  return result;
}

bool TActionLink::Update()
{
  return FAction && FAction->Update();
}

bool TActionLink::IsCaptionLinked() const
{
  return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsCheckedLinked() const
{
  return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsEnabledLinked() const
{
  return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsHintLinked() const
{
  return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsVisibleLinked() const
{
  return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsOnExecuteLinked() const
{
  return FAction != nullptr;
}

void TControlActionLink::ActionChanged()
{
  auto* a = dynamic_cast<TCustomAction*>(Action());
  if (!a)
    return;
  if (IsCaptionLinked())
    FControl->SetCaption(a->Caption());
  if (IsEnabledLinked())
    FControl->SetEnabled(a->Enabled());
  if (IsHintLinked())
    FControl->SetHint(a->Hint());
  if (IsVisibleLinked())
    FControl->SetVisible(a->Visible());
}
