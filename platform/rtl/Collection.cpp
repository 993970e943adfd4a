// TCollection and TCollectionItem: owned items with IDs, moves, update brackets and change
// notifications. See Classes.h for the contracts.
#include <algorithm>

#include "platform/rtl/Classes.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterCollectionClasses()
{
  TClassRegistration<TCollectionItem, TPersistent>("TCollectionItem");
  TClassRegistration<TCollection, TPersistent>("TCollection");
  TClassRegistration<TOwnedCollection, TCollection>("TOwnedCollection");
}

namespace {

[[noreturn]] void RaiseIndex(Integer index)
{
  AnsiString text = SListIndexError;
  text.replace(text.find("%d"), 2, std::to_string(index));
  throw EListError(text);
}

} // namespace

// ---- TCollectionItem ----

TCollectionItem::TCollectionItem(TCollection* Collection)
{
  SetCollection(Collection);
}

TCollectionItem::~TCollectionItem()
{
  SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* Value)
{
  if (FCollection == Value)
    return;
  if (FCollection)
    FCollection->RemoveItem(this);
  if (Value)
    Value->InsertItem(this);
}

Integer TCollectionItem::Index() const
{
  if (!FCollection)
    return -1;
  auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<Integer>(it - items.begin());
}

void TCollectionItem::SetIndex(Integer Value)
{
  Integer current = Index();
  if (current < 0 || current == Value)
    return;
  auto& items = FCollection->FItems;
  Value = std::clamp(Value, 0, static_cast<Integer>(items.size()) - 1);
  if (Value == current)
    return;
  items.erase(items.begin() + current);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

AnsiString TCollectionItem::DisplayName() const
{
  return ClassName();
}

void TCollectionItem::SetDisplayName(const AnsiString& Value)
{
  Changed(false);
}

AnsiString TCollectionItem::GetNamePath()
{
  if (!FCollection)
    return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool AllItems)
{
  if (FCollection && FCollection->FUpdateCount == 0)
    FCollection->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner()
{
  return FCollection;
}

// ---- TCollection ----

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection()
{
  // Items leave one by one, last first, without reporting changes to a dying collection.
  FUpdateCount = 1;
  while (!FItems.empty())
    delete FItems.back();
}

TCollectionItem* TCollection::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    RaiseIndex(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::SetItems(Integer Index, TCollectionItem* Value)
{
  Items(Index)->Assign(Value);
}

TCollectionItem* TCollection::Add()
{
  if (FItemClass.Factory)
    return FItemClass.Factory(this);
  // Items of a class known only by its record: constructed, then joined.
  if (!FItemClass.Class)
    throw EListError("Collection has no item class");
  auto* item = As<TCollectionItem>(FItemClass.Class->Create(nullptr));
  item->SetCollection(this);
  return item;
}

TCollectionItem* TCollection::Insert(Integer Index)
{
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(Integer Index)
{
  TCollectionItem* item = Items(Index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear()
{
  if (FItems.empty())
    return;
  TUpdateScope update(*this);
  while (!FItems.empty())
    delete FItems.back();
}

TCollectionItem* TCollection::FindItemID(Integer ID) const
{
  for (TCollectionItem* item : FItems)
    if (item->FID == ID)
      return item;
  return nullptr;
}

void TCollection::BeginUpdate()
{
  ++FUpdateCount;
}

void TCollection::EndUpdate()
{
  if (FUpdateCount > 0)
    --FUpdateCount;
  Changed();
}

void TCollection::Changed()
{
  if (FUpdateCount == 0)
    Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  SetItemName(Item);
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
  Notify(Item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end())
    FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TCollection*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  TUpdateScope update(*this);
  Clear();
  for (TCollectionItem* item : source->FItems)
    Add()->Assign(item);
}

AnsiString TCollection::PropName()
{
  TPersistent* owner = GetOwner();
  if (!owner)
    return AnsiString();
  for (PPropInfo prop : GetPropList(owner, TTypeKinds{tkClass}))
    if (prop->Access->GetObject(owner) == this)
      return prop->Name;
  return AnsiString();
}

AnsiString TCollection::GetNamePath()
{
  AnsiString result = ClassName();
  TPersistent* owner = GetOwner();
  if (!owner)
    return result;
  AnsiString ownerPath = owner->GetNamePath();
  if (ownerPath.empty())
    return result;
  AnsiString prop = PropName();
  if (prop.empty())
    return result;
  return ownerPath + "." + prop;
}
