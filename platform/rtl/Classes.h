// The object model in one header: TObject and class references (Object.h), sets, events,
// components with ownership, names and free notification, collections, and the lists and
// streams every component user needs. Reflection is in TypInfo.h and the filer in Filer.h,
// included only where they are used.
#pragma once

#include <vector>

#include "platform/rtl/Events.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"

class TCollection;
class TCollectionItem;
class TReader;
class TWriter;

enum TOperation { opInsert, opRemove };

// Horizontal alignment of text, shared by fields, controls and report objects.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TComponentStateElement {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = TSet<TComponentStateElement>;

using TGetChildProc = TEvent<void(TComponent* Child)>;
using TComponentName = AnsiString;

// A component: owned by another component (its owner deletes it), named uniquely among its
// owner's components, and told when components it cares about go away.
//
// Destruction (delete): Destroying marks the component and every component it owns with
// csDestroying; the components that asked for free notification get
// Notification(this, opRemove) while this object is still whole; then, after the derived
// destructors, the owned components are deleted last to first, and finally the component
// leaves its owner, which passes Notification(this, opRemove) to all it owns.
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent* Owner() const { return FOwner; }
  Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
  // The owned components in insertion order; a bad index raises EListError.
  TComponent* Components(Integer Index) const;
  Integer ComponentIndex() const;
  void SetComponentIndex(Integer Value);

  const AnsiString& Name() const { return FName; }
  // A name must be empty or a valid identifier ("''<name>'' is not a valid component name")
  // and unique among the owner's components ignoring case
  // ("A component named <name> already exists"); both raise EComponentError.
  virtual void SetName(const AnsiString& NewName);
  NativeInt Tag() const { return FTag; }
  void SetTag(NativeInt Value) { FTag = Value; }
  TComponentState ComponentState() const { return FComponentState; }

  // The owned component of that name, ignoring case; null when none (or for "").
  TComponent* FindComponent(const AnsiString& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Deletes every owned component, last first.
  void DestroyComponents();
  // Marks this component and all it owns as being destroyed.
  void Destroying();

  // Asks AComponent to send Notification(AComponent, opRemove) to this component when it
  // is destroyed; the link is two-way and dropped when either side dies.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Keeps *Ref pointing at this component until it is destroyed, then sets it to null:
  // for code that calls out (an event handler may delete the component) and must know
  // whether the component survived.
  void AddDestroyWatch(TComponent** Ref);
  void RemoveDestroyWatch(TComponent** Ref);

  // Construction bracket of builder code (the equivalent of reading a description):
  // BeginLoading sets csLoading here and on the components created below it until
  // EndLoading, which calls Loaded on each of them, this one first.
  void BeginLoading();
  void EndLoading();
  void SetDesigning(bool Value, bool SetChildren = true);
  virtual void Updating();
  virtual void Updated();

  virtual void GetChildren(TGetChildProc Proc, TComponent* Root) {}
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  virtual void SetParentComponent(TComponent* Value) {}
  AnsiString GetNamePath() override;

protected:
  // The end of loading: clears csLoading.
  virtual void Loaded();
  // Reads the component's properties and children from Reader (Reader->ReadData); an
  // override may prepare before and tidy up after calling it.
  virtual void ReadState(TReader* Reader);
  // AComponent was inserted or is going away. The base drops a free-notification link to
  // a removed component and passes the call on to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void SetChildOrder(TComponent* Child, Integer Order) {}
  // Raises EComponentError when NewName is taken among this component's components.
  virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                              const AnsiString& NewName);
  TPersistent* GetOwner() override { return FOwner; }
  void SetComponentState(TComponentStateElement Element, bool On);

private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void NotifySubscribers();

  // The owned components in order. Removing the first or the last one costs O(1): entries
  // removed from the front are only counted and dropped together later, so freeing n
  // components front to back or back to front is linear.
  class TOwnedList {
  public:
    using const_iterator = std::vector<TComponent*>::const_iterator;
    size_t size() const { return FItems.size() - FFront; }
    bool empty() const { return FItems.size() == FFront; }
    TComponent* operator[](size_t Index) const { return FItems[FFront + Index]; }
    TComponent* back() const { return FItems.back(); }
    const_iterator begin() const { return FItems.begin() + static_cast<std::ptrdiff_t>(FFront); }
    const_iterator end() const { return FItems.end(); }
    void push_back(TComponent* Item) { FItems.push_back(Item); }
    void Insert(size_t Index, TComponent* Item);
    void Erase(size_t Index);
    // The index of Item, looked for at the front first and then from the back (where
    // components just made or about to go are); -1 when absent.
    Integer IndexOf(const TComponent* Item) const;

  private:
    std::vector<TComponent*> FItems;
    size_t FFront = 0; // entries before this one were removed
  };

  TComponent* FOwner = nullptr;
  AnsiString FName;
  NativeInt FTag = 0;
  TComponentState FComponentState;
  TOwnedList FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::vector<TComponent**> FDestroyWatches;

  friend class TReader;
  friend class TWriter;
};

// Points VarReference at NewReference and moves This's free notification along, so This
// hears (Notification with opRemove) when the referenced component goes. False when the
// reference was already NewReference.
template <class T>
bool ReplaceComponentReference(TComponent* This, T* NewReference, T*& VarReference)
{
  if (VarReference == NewReference)
    return false;
  if (VarReference)
    VarReference->RemoveFreeNotification(This);
  VarReference = NewReference;
  if (VarReference)
    VarReference->FreeNotification(This);
  return true;
}

// A stack guard over AddDestroyWatch: Destroyed() tells whether the component was deleted
// while the guard lived.
class TDestroyWatch {
public:
  explicit TDestroyWatch(TComponent* AComponent) : FComponent(AComponent)
  {
    if (FComponent)
      FComponent->AddDestroyWatch(&FComponent);
  }
  ~TDestroyWatch()
  {
    if (FComponent)
      FComponent->RemoveDestroyWatch(&FComponent);
  }
  TDestroyWatch(const TDestroyWatch&) = delete;
  TDestroyWatch& operator=(const TDestroyWatch&) = delete;

  bool Destroyed() const { return FComponent == nullptr; }

private:
  TComponent* FComponent;
};

// ---- Collections ----

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

using TCollectionItemFactory = TCollectionItem* (*)(TCollection* Collection);

// The class of a collection's items: its class record and how to construct one for a
// collection (so the item's constructor already belongs to it).
struct TCollectionItemClass {
  TClass Class = nullptr;
  TCollectionItemFactory Factory = nullptr;
};
template <class Item> TCollectionItemClass CollectionItemClass();

class TCollectionItem : public TPersistent {
public:
  // Appends the item to Collection (when given).
  explicit TCollectionItem(TCollection* Collection = nullptr);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  // Moves the item to another collection (null: none).
  virtual void SetCollection(TCollection* Value);
  Integer ID() const { return FID; }
  // The position in the collection; -1 without collection. Setting it moves the item.
  Integer Index() const;
  virtual void SetIndex(Integer Value);
  // The text designers show for the item; the class name unless a class says otherwise.
  virtual AnsiString DisplayName() const;
  virtual void SetDisplayName(const AnsiString& Value);
  AnsiString GetNamePath() override;

protected:
  // Tells the collection that this item (AllItems: the whole collection) changed.
  void Changed(bool AllItems);
  TPersistent* GetOwner() override;

private:
  TCollection* FCollection = nullptr;
  Integer FID = 0;

  friend class TCollection;
};

class TCollection : public TPersistent {
public:
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;

  TClass ItemClass() const { return FItemClass.Class; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // Bad indexes raise EListError "List index out of bounds (<index>)".
  TCollectionItem* Items(Integer Index) const;
  void SetItems(Integer Index, TCollectionItem* Value); // assigns Value to the item

  TCollectionItem* Add();
  TCollectionItem* Insert(Integer Index);
  void Delete(Integer Index);
  void Clear();
  TCollectionItem* FindItemID(Integer ID) const;

  // Updates are reported (Update) only outside a BeginUpdate/EndUpdate bracket; EndUpdate
  // of the outermost bracket reports one change of the whole collection.
  void BeginUpdate();
  virtual void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }

  // Replaces the items with copies of Source's items (item by item Assign).
  void Assign(TPersistent* Source) override;
  AnsiString GetNamePath() override;
  TPersistent* Owner() { return GetOwner(); }

protected:
  // An item (null: the whole collection) changed; called outside update brackets only.
  virtual void Update(TCollectionItem* Item) {}
  // An item was added, or is being extracted or deleted.
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
  virtual void SetItemName(TCollectionItem* Item) {}
  // Reports a change of the whole collection unless updating.
  void Changed();
  // The name of the owner's property that holds this collection ("" when none).
  AnsiString PropName();

private:
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  Integer FUpdateCount = 0;
  Integer FNextID = 0;

  friend class TCollectionItem;
};

// A collection that knows its owner (for name paths and the designer).
class TOwnedCollection : public TCollection {
public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(ItemClass), FOwner(AOwner)
  {
  }

protected:
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner;
};

template <class Item> TCollectionItemClass CollectionItemClass()
{
  static_assert(std::is_base_of_v<TCollectionItem, Item>);
  return {ClassInfoOf(typeid(Item)),
          [](TCollection* c) -> TCollectionItem* { return new Item(c); }};
}

// ---- Threads ----

using TThreadMethod = TEvent<void()>;

// There are no worker threads in the program: Synchronize runs the method at once, on the
// main thread (calling it from any other thread is a programming error).
class TThread : public TObject {
public:
  static void Synchronize(TThread* AThread, const TThreadMethod& Method);
};

// True on the thread that initialized the units.
bool IsMainThread();

#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
