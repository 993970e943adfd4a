// TComponent: ownership, names, notifications and the destruction order; the destroy watch
// and TThread.Synchronize. See Classes.h for the contracts.
#include <algorithm>
#include <cassert>
#include <thread>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

// The Name property is written by the filers themselves, so it is not stored with the others.
void RegisterComponentClasses()
{
  TClassRegistration<TComponent, TPersistent>("TComponent")
      .Property("Name", &TComponent::Name, &TComponent::SetName)
      .Type(TComponentNameTypeInfo())
      .Stored(false)
      .Property("Tag", &TComponent::Tag, &TComponent::SetTag)
      .Type(IntegerTypeInfo())
      .Default(0);
  TClassRegistration<TThread>("TThread");
}

namespace {

void EraseOne(std::vector<TComponent*>& list, TComponent* item)
{
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end())
    list.erase(it);
}

// Removed front entries are dropped once they are at least this many and half the list.
constexpr size_t MinDroppedFront = 32;

} // namespace

// ---- The owned list ----

void TComponent::TOwnedList::Insert(size_t Index, TComponent* Item)
{
  FItems.insert(FItems.begin() + static_cast<std::ptrdiff_t>(FFront + Index), Item);
}

void TComponent::TOwnedList::Erase(size_t Index)
{
  if (Index + 1 == size()) {
    FItems.pop_back();
  } else if (Index == 0) {
    FItems[FFront++] = nullptr;
  } else {
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(FFront + Index));
    return;
  }
  if (FItems.size() == FFront) {
    FItems.clear();
    FFront = 0;
  } else if (FFront >= MinDroppedFront && FFront * 2 >= FItems.size()) {
    FItems.erase(FItems.begin(), FItems.begin() + static_cast<std::ptrdiff_t>(FFront));
    FFront = 0;
  }
}

Integer TComponent::TOwnedList::IndexOf(const TComponent* Item) const
{
  if (empty())
    return -1;
  if (FItems[FFront] == Item)
    return 0;
  for (size_t i = FItems.size(); i-- > FFront + 1;)
    if (FItems[i] == Item)
      return static_cast<Integer>(i - FFront);
  return -1;
}

TComponent::TComponent(TComponent* AOwner)
{
  if (AOwner)
    AOwner->InsertComponent(this);
}

void TComponent::BeforeDestruction()
{
  Destroying();
  NotifySubscribers();
}

TComponent::~TComponent()
{
  // Components that were not deleted (locals, members) reach here without BeforeDestruction.
  Destroying();
  NotifySubscribers();
  for (TComponent** ref : FDestroyWatches)
    *ref = nullptr;
  FDestroyWatches.clear();
  DestroyComponents();
  if (FOwner)
    FOwner->RemoveComponent(this);
}

void TComponent::NotifySubscribers()
{
  while (!FFreeNotifies.empty()) {
    TComponent* subscriber = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    subscriber->RemoveNotification(this);
    subscriber->Notification(this, opRemove);
  }
}

TComponent* TComponent::Components(Integer Index) const
{
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(Format(SListIndexError, {Index}));
  return FComponents[static_cast<size_t>(Index)];
}

Integer TComponent::ComponentIndex() const
{
  return FOwner ? FOwner->FComponents.IndexOf(this) : -1;
}

void TComponent::SetComponentIndex(Integer Value)
{
  if (!FOwner)
    return;
  auto& list = FOwner->FComponents;
  Integer current = ComponentIndex();
  if (current < 0)
    return;
  Value = std::clamp(Value, 0, static_cast<Integer>(list.size()) - 1);
  if (Value == current)
    return;
  list.Erase(static_cast<size_t>(current));
  list.Insert(static_cast<size_t>(Value), this);
}

void TComponent::SetName(const AnsiString& NewName)
{
  if (FName == NewName)
    return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format(SInvalidName, {NewName}));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  FName = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName)
{
  if (AComponent && !SameText(CurName, NewName) && AComponent->FOwner == this &&
      FindComponent(NewName))
    throw EComponentError(Format(SDuplicateName, {NewName}));
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const
{
  if (AName.empty())
    return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName))
      return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent)
{
  if (!AComponent || AComponent->FOwner == this)
    return;
  // The name must be free here before the component leaves its old owner, so a refused
  // insertion changes nothing.
  if (FindComponent(AComponent->FName))
    throw EComponentError(Format(SDuplicateName, {AComponent->FName}));
  if (AComponent->FOwner)
    AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning))
    AComponent->SetDesigning(true);
  if (FComponentState.Contains(csLoading))
    AComponent->SetComponentState(csLoading, true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
  if (!AComponent || AComponent->FOwner != this)
    return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent)
{
  AComponent->FOwner = nullptr;
  Integer index = FComponents.IndexOf(AComponent);
  if (index >= 0)
    FComponents.Erase(static_cast<size_t>(index));
}

void TComponent::DestroyComponents()
{
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    // A component others watch leaves with the full notification; the rest leave quietly,
    // since the owner is going away anyway.
    if (instance->FComponentState.Contains(csFreeNotification))
      RemoveComponent(instance);
    else
      Remove(instance);
    delete instance;
  }
}

void TComponent::Destroying()
{
  if (FComponentState.Contains(csDestroying))
    return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents)
    c->Destroying();
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
  if (Operation == opRemove && AComponent)
    RemoveFreeNotification(AComponent);
  // Owned components may go away while they are told; walk from the end and re-check
  // the index against the list after each call.
  Integer i = ComponentCount() - 1;
  while (i >= 0) {
    FComponents[static_cast<size_t>(i)]->Notification(AComponent, Operation);
    --i;
    if (i >= ComponentCount())
      i = ComponentCount() - 1;
  }
}

void TComponent::FreeNotification(TComponent* AComponent)
{
  if (!AComponent || AComponent == this)
    return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
      AComponent->FFreeNotifies.end())
    AComponent->FFreeNotifies.push_back(this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
  if (!AComponent)
    return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
  EraseOne(FFreeNotifies, AComponent);
}

void TComponent::AddDestroyWatch(TComponent** Ref)
{
  if (!Ref)
    return;
  *Ref = this;
  FDestroyWatches.push_back(Ref);
}

void TComponent::RemoveDestroyWatch(TComponent** Ref)
{
  auto it = std::find(FDestroyWatches.begin(), FDestroyWatches.end(), Ref);
  if (it != FDestroyWatches.end())
    FDestroyWatches.erase(it);
}

void TComponent::SetComponentState(TComponentStateElement Element, bool On)
{
  if (On)
    FComponentState.Include(Element);
  else
    FComponentState.Exclude(Element);
}

void TComponent::BeginLoading()
{
  FComponentState.Include(csLoading);
}

void TComponent::EndLoading()
{
  // Loaded may create or free components: work on a snapshot and re-check membership.
  if (FComponentState.Contains(csLoading))
    Loaded();
  std::vector<TComponent*> owned(FComponents.begin(), FComponents.end());
  for (TComponent* c : owned)
    if (FComponents.IndexOf(c) >= 0 && c->FComponentState.Contains(csLoading))
      c->EndLoading();
}

void TComponent::Loaded()
{
  FComponentState.Exclude(csLoading);
}

void TComponent::SetDesigning(bool Value, bool SetChildren)
{
  SetComponentState(csDesigning, Value);
  if (SetChildren)
    for (TComponent* c : FComponents)
      c->SetDesigning(Value, true);
}

void TComponent::Updating()
{
  FComponentState.Include(csUpdating);
}

void TComponent::Updated()
{
  FComponentState.Exclude(csUpdating);
}

AnsiString TComponent::GetNamePath()
{
  return FName.empty() ? TPersistent::GetNamePath() : FName;
}

// ---- Threads ----

namespace {

std::thread::id& MainThreadId()
{
  static std::thread::id id = std::this_thread::get_id();
  return id;
}

} // namespace

bool IsMainThread()
{
  return std::this_thread::get_id() == MainThreadId();
}

void TThread::Synchronize(TThread* AThread, const TThreadMethod& Method)
{
  assert(IsMainThread() && "Synchronize runs its method directly and needs the main thread");
  if (Method)
    Method();
}
