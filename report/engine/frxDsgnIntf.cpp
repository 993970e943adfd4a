// The designer and preview registries; see frxDsgnIntf.h.
#include "report/engine/frxDsgnIntf.h"

#include "platform/rtl/AnsiStrings.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxUtils.h"

namespace {

TfrxObjectCollection* GObjects = nullptr;
TfrxComponentEditorCollection* GComponentEditors = nullptr;
TfrxPropertyEditorCollection* GPropertyEditors = nullptr;
TfrxExportFilterCollection* GExportFilters = nullptr;
TfrxWizardCollection* GWizards = nullptr;

// A type name of the form Tfrx...Event (any letter case) marks an event property.
bool IsEventTypeName(const AnsiString& TypeName)
{
  const AnsiString name = LowerCase(TypeName);
  if (name.compare(0, 4, "tfrx") != 0)
    return false;
  size_t pos = name.find("event");
  return pos != AnsiString::npos && pos + 5 == name.size();
}

bool ClassInherits(TClass Cls, TClass Ancestor)
{
  return Cls && Ancestor && Cls->InheritsFrom(Ancestor);
}

} // namespace

// ---- Palette objects ----

TfrxObjectCollection::TfrxObjectCollection() : TCollection(CollectionItemClass<TfrxObjectItem>()) {}

TfrxObjectItem* TfrxObjectCollection::Items(Integer Index) const
{
  return static_cast<TfrxObjectItem*>(TCollection::Items(Index));
}

void TfrxObjectCollection::RegisterObject(TClass ClassRef, TBitmap* ButtonBitmap,
                                          const AnsiString& ButtonHint,
                                          const AnsiString& CategoryName, Word Flags,
                                          Integer ButtonImageIndex)
{
  if (ClassRef) {
    for (Integer i = 0; i < Count(); ++i)
      if (Items(i)->ClassRef == ClassRef && Items(i)->Flags == Flags)
        return;
    RegisterClass(ClassRef);
  }
  auto* item = static_cast<TfrxObjectItem*>(Add());
  item->ClassRef = ClassRef;
  item->ButtonBitmap = ButtonBitmap;
  item->ButtonImageIndex = ButtonImageIndex;
  item->ButtonHint = ButtonHint;
  item->CategoryName = CategoryName;
  item->Flags = Flags;
}

void TfrxObjectCollection::RegisterCategory(const AnsiString& CategoryName, TBitmap* ButtonBitmap,
                                            const AnsiString& ButtonHint, Integer ButtonImageIndex)
{
  RegisterObject(nullptr, ButtonBitmap, ButtonHint, CategoryName, 0, ButtonImageIndex);
}

// ---- Component editors ----

TfrxComponentEditorCollection::TfrxComponentEditorCollection()
    : TCollection(CollectionItemClass<TfrxComponentEditorItem>())
{
}

TfrxComponentEditorItem* TfrxComponentEditorCollection::Items(Integer Index) const
{
  return static_cast<TfrxComponentEditorItem*>(TCollection::Items(Index));
}

void TfrxComponentEditorCollection::RegisterEditor(TClass ComponentClass,
                                                   TfrxComponentEditorClass EditorClass)
{
  auto* item = static_cast<TfrxComponentEditorItem*>(Add());
  item->ComponentClass = ComponentClass;
  item->EditorClass = EditorClass;
}

TfrxComponentEditor*
TfrxComponentEditorCollection::CreateComponentEditor(TfrxComponent* Component,
                                                     TfrxCustomDesigner* Designer, TComponent* Menu)
{
  if (!Component)
    return nullptr;
  const TClass cls = Component->ClassType();
  TfrxComponentEditorItem* chosen = nullptr;
  for (Integer i = 0; i < Count(); ++i) {
    TfrxComponentEditorItem* item = Items(i);
    if (item->ComponentClass == cls) {
      chosen = item;
      break;
    }
    if (ClassInherits(cls, item->ComponentClass))
      chosen = item;
  }
  if (!chosen || !chosen->EditorClass.Factory)
    return nullptr;
  return chosen->EditorClass.Factory(Component, Designer, Menu);
}

// ---- Property editors ----

TfrxPropertyEditorCollection::TfrxPropertyEditorCollection()
    : TCollection(CollectionItemClass<TfrxPropertyEditorItem>())
{
}

TfrxPropertyEditorItem* TfrxPropertyEditorCollection::Items(Integer Index) const
{
  return static_cast<TfrxPropertyEditorItem*>(TCollection::Items(Index));
}

void TfrxPropertyEditorCollection::RegisterEditor(PTypeInfo PropertyType, TClass ComponentClass,
                                                  const AnsiString& PropertyName,
                                                  TClass EditorClass)
{
  auto* item = static_cast<TfrxPropertyEditorItem*>(Add());
  item->PropertyType = PropertyType;
  item->ComponentClass = ComponentClass;
  item->PropertyName = PropertyName;
  item->EditorClass = EditorClass;
}

void TfrxPropertyEditorCollection::RegisterEventEditor(TClass EditorClass)
{
  RegisterEditor(nullptr, nullptr, AnsiString(), EditorClass);
  FEventEditorIndex = Count() - 1;
}

Integer TfrxPropertyEditorCollection::FindEditorIndex(PTypeInfo PropertyType, TObject* Component,
                                                      const AnsiString& PropertyName) const
{
  if (PropertyType && IsEventTypeName(PropertyType->Name))
    return FEventEditorIndex;
  const TClass cls = Component ? Component->ClassType() : nullptr;
  Integer result = -1;
  for (Integer i = Count() - 1; i >= 0; --i) {
    const TfrxPropertyEditorItem* item = Items(i);
    if (!item->ComponentClass) {
      if (item->PropertyType != PropertyType)
        continue;
      if (item->PropertyName.empty()) {
        result = i; // a type match; an earlier one replaces it
        continue;
      }
      if (SameText(item->PropertyName, PropertyName))
        return i;
      continue;
    }
    if (!item->PropertyName.empty() && ClassInherits(cls, item->ComponentClass) &&
        SameText(item->PropertyName, PropertyName))
      return i;
  }
  return result;
}

void HideInspectorProperties(TClass ComponentClass, const AnsiString& Names)
{
  TStringList names;
  SplitTextByChar(Names, &names, ';');
  for (Integer i = 0; i < names.Count(); ++i)
    RegisteredPropertyEditors()->RegisterEditor(nullptr, ComponentClass, names.Strings(i), nullptr);
}

// ---- Export filters ----

TfrxExportFilterCollection::TfrxExportFilterCollection()
    : TCollection(CollectionItemClass<TfrxExportFilterItem>())
{
}

TfrxExportFilterItem* TfrxExportFilterCollection::Items(Integer Index) const
{
  return static_cast<TfrxExportFilterItem*>(TCollection::Items(Index));
}

void TfrxExportFilterCollection::RegisterFilter(TfrxCustomExportFilter* Filter)
{
  if (!Filter)
    return;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Filter == Filter)
      return;
  static_cast<TfrxExportFilterItem*>(Add())->Filter = Filter;
}

void TfrxExportFilterCollection::UnregisterFilter(TfrxCustomExportFilter* Filter)
{
  for (Integer i = Count() - 1; i >= 0; --i)
    if (Items(i)->Filter == Filter)
      Delete(i);
}

// ---- Wizards ----

TfrxWizardCollection::TfrxWizardCollection() : TCollection(CollectionItemClass<TfrxWizardItem>()) {}

TfrxWizardItem* TfrxWizardCollection::Items(Integer Index) const
{
  return static_cast<TfrxWizardItem*>(TCollection::Items(Index));
}

void TfrxWizardCollection::RegisterWizard(TClass ClassRef, TBitmap* ButtonBitmap,
                                          bool IsToolbarWizard)
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ClassRef == ClassRef)
      return;
  auto* item = static_cast<TfrxWizardItem*>(Add());
  item->ClassRef = ClassRef;
  item->ButtonBitmap = ButtonBitmap;
  item->ButtonImageIndex = -1;
  item->IsToolbarWizard = IsToolbarWizard;
}

void TfrxWizardCollection::UnregisterWizard(TClass ClassRef)
{
  for (Integer i = Count() - 1; i >= 0; --i)
    if (Items(i)->ClassRef == ClassRef)
      Delete(i);
}

// ---- The registries ----

TfrxObjectCollection* RegisteredObjects()
{
  return GObjects;
}
TfrxComponentEditorCollection* RegisteredComponentEditors()
{
  return GComponentEditors;
}
TfrxPropertyEditorCollection* RegisteredPropertyEditors()
{
  return GPropertyEditors;
}
TfrxExportFilterCollection* RegisteredExportFilters()
{
  return GExportFilters;
}
TfrxWizardCollection* RegisteredWizards()
{
  return GWizards;
}

void CreateDesignerRegistries()
{
  TClassRegistration<TfrxObjectItem, TCollectionItem>("TfrxObjectItem");
  TClassRegistration<TfrxObjectCollection, TCollection>("TfrxObjectCollection");
  TClassRegistration<TfrxComponentEditor>("TfrxComponentEditor");
  TClassRegistration<TfrxComponentEditorItem, TCollectionItem>("TfrxComponentEditorItem");
  TClassRegistration<TfrxComponentEditorCollection, TCollection>("TfrxComponentEditorCollection");
  TClassRegistration<TfrxPropertyEditorItem, TCollectionItem>("TfrxPropertyEditorItem");
  TClassRegistration<TfrxPropertyEditorCollection, TCollection>("TfrxPropertyEditorCollection");
  TClassRegistration<TfrxExportFilterItem, TCollectionItem>("TfrxExportFilterItem");
  TClassRegistration<TfrxExportFilterCollection, TCollection>("TfrxExportFilterCollection");
  TClassRegistration<TfrxWizardItem, TCollectionItem>("TfrxWizardItem");
  TClassRegistration<TfrxWizardCollection, TCollection>("TfrxWizardCollection");
  if (GObjects)
    return;
  GObjects = new TfrxObjectCollection();
  GComponentEditors = new TfrxComponentEditorCollection();
  GPropertyEditors = new TfrxPropertyEditorCollection();
  GExportFilters = new TfrxExportFilterCollection();
  GWizards = new TfrxWizardCollection();
}

void FreeDesignerRegistries()
{
  FreeAndNil(GObjects);
  FreeAndNil(GComponentEditors);
  FreeAndNil(GPropertyEditors);
  FreeAndNil(GExportFilters);
  FreeAndNil(GWizards);
}
