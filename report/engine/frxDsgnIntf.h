// The five program-wide registries through which the report library's parts meet the
// designer and the preview without knowing each other: palette objects (registering one
// also makes its class readable from report files), component editors, property editors,
// export filters and wizards. They live with the report engine because the engine reads
// report files through them; the designer only fills and reads them. Items keep
// registration order, and every lookup depends on it. frxClass.h holds the classes
// registered here.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

class TBitmap;
class TfrxComponent;
class TfrxCustomDesigner;
class TfrxCustomExportFilter;

// ---- Palette objects ----

class TfrxObjectItem : public TCollectionItem {
public:
  explicit TfrxObjectItem(TCollection* Collection) : TCollectionItem(Collection) {}

  TClass ClassRef = nullptr;       // null: a category entry
  TBitmap* ButtonBitmap = nullptr; // not owned
  Integer ButtonImageIndex = -1;
  AnsiString ButtonHint; // a text identifier; '' shows the class description
  AnsiString CategoryName;
  Word Flags = 0; // handed to the object's design-time constructor
};

class TfrxObjectCollection : public TCollection {
public:
  TfrxObjectCollection();
  TfrxObjectItem* Items(Integer Index) const;

  // Adds a palette entry unless one with the same class and Flags exists (category
  // entries are never duplicates). A class is also registered for reading report files.
  void RegisterObject(TClass ClassRef, TBitmap* ButtonBitmap, const AnsiString& ButtonHint = "",
                      const AnsiString& CategoryName = "", Word Flags = 0,
                      Integer ButtonImageIndex = -1);
  void RegisterCategory(const AnsiString& CategoryName, TBitmap* ButtonBitmap,
                        const AnsiString& ButtonHint, Integer ButtonImageIndex = -1);
};

// ---- Component editors ----

// Base of component editors: one is created per use with the edited object, the designer
// window and the context menu to fill (a menu of the window library, or null).
class TfrxComponentEditor : public TObject {
public:
  TfrxComponentEditor(TfrxComponent* Component, TfrxCustomDesigner* Designer, TComponent* Menu)
      : FComponent(Component), FDesigner(Designer), FMenu(Menu)
  {
  }

  // Shows the edit dialog; true when the object changed.
  virtual bool EditComponent() { return false; }
  // Whether there is an edit dialog.
  virtual bool CanEdit() { return false; }
  virtual void FillMenu() {}
  // Carries out the menu command Tag; true when the object changed.
  virtual bool ExecuteMenuItem(Integer Tag, bool Checked) { return false; }

  TfrxComponent* Component() const { return FComponent; }
  TfrxCustomDesigner* Designer() const { return FDesigner; }
  TComponent* Menu() const { return FMenu; }

private:
  TfrxComponent* FComponent;
  TfrxCustomDesigner* FDesigner;
  TComponent* FMenu;
};

// A component editor class: its record and how to construct one.
using TfrxComponentEditorFactory = TfrxComponentEditor* (*)(TfrxComponent*, TfrxCustomDesigner*,
                                                            TComponent*);
struct TfrxComponentEditorClass {
  TClass Class = nullptr;
  TfrxComponentEditorFactory Factory = nullptr;
};
template <class Editor> TfrxComponentEditorClass ComponentEditorClass()
{
  return {ClassInfoOf<Editor>(),
          [](TfrxComponent* c, TfrxCustomDesigner* d, TComponent* m) -> TfrxComponentEditor* {
            return new Editor(c, d, m);
          }};
}

class TfrxComponentEditorItem : public TCollectionItem {
public:
  explicit TfrxComponentEditorItem(TCollection* Collection) : TCollectionItem(Collection) {}

  TClass ComponentClass = nullptr;
  TfrxComponentEditorClass EditorClass;
};

class TfrxComponentEditorCollection : public TCollection {
public:
  TfrxComponentEditorCollection();
  TfrxComponentEditorItem* Items(Integer Index) const;

  // Appends an entry; no duplicate check.
  void RegisterEditor(TClass ComponentClass, TfrxComponentEditorClass EditorClass);
  // The editor for Component: the entry for exactly its class, else the last registered
  // entry for one of its ancestors; null when none serves. The caller frees it.
  TfrxComponentEditor* CreateComponentEditor(TfrxComponent* Component, TfrxCustomDesigner* Designer,
                                             TComponent* Menu);
};

// ---- Property editors ----

class TfrxPropertyEditorItem : public TCollectionItem {
public:
  explicit TfrxPropertyEditorItem(TCollection* Collection) : TCollectionItem(Collection) {}

  PTypeInfo PropertyType = nullptr; // compared only for entries without a class
  TClass ComponentClass = nullptr;  // null: the entry matches by type
  AnsiString PropertyName;          // '': every property of the type
  TClass EditorClass = nullptr;     // null: the property is hidden
};

class TfrxPropertyEditorCollection : public TCollection {
public:
  TfrxPropertyEditorCollection();
  TfrxPropertyEditorItem* Items(Integer Index) const;

  Integer EventEditorIndex() const { return FEventEditorIndex; }
  // Appends an entry; no duplicate check.
  void RegisterEditor(PTypeInfo PropertyType, TClass ComponentClass, const AnsiString& PropertyName,
                      TClass EditorClass);
  // Appends the entry every event property uses.
  void RegisterEventEditor(TClass EditorClass);
  // The index of the entry serving property PropertyName of type PropertyType on
  // Component, or -1. Event types (named Tfrx...Event) take the event entry; otherwise
  // the latest entry naming the property wins, else the earliest entry for its type.
  Integer FindEditorIndex(PTypeInfo PropertyType, TObject* Component,
                          const AnsiString& PropertyName) const;

private:
  Integer FEventEditorIndex = -1;
};

// Hides the ';'-separated properties of ComponentClass from the object inspector.
void HideInspectorProperties(TClass ComponentClass, const AnsiString& Names);

// ---- Export filters ----

class TfrxExportFilterItem : public TCollectionItem {
public:
  explicit TfrxExportFilterItem(TCollection* Collection) : TCollectionItem(Collection) {}

  TfrxCustomExportFilter* Filter = nullptr; // not owned
};

class TfrxExportFilterCollection : public TCollection {
public:
  TfrxExportFilterCollection();
  TfrxExportFilterItem* Items(Integer Index) const;

  // Adds the filter unless it is null or already present.
  void RegisterFilter(TfrxCustomExportFilter* Filter);
  // Removes every entry of the filter.
  void UnregisterFilter(TfrxCustomExportFilter* Filter);
};

// ---- Wizards ----

class TfrxWizardItem : public TCollectionItem {
public:
  explicit TfrxWizardItem(TCollection* Collection) : TCollectionItem(Collection) {}

  TClass ClassRef = nullptr;
  TBitmap* ButtonBitmap = nullptr; // not owned
  Integer ButtonImageIndex = -1;
  bool IsToolbarWizard = false;
};

class TfrxWizardCollection : public TCollection {
public:
  TfrxWizardCollection();
  TfrxWizardItem* Items(Integer Index) const;

  // Adds the wizard unless its class is already there.
  void RegisterWizard(TClass ClassRef, TBitmap* ButtonBitmap, bool IsToolbarWizard);
  // Removes every entry of the class.
  void UnregisterWizard(TClass ClassRef);
};

// The registries; they exist from the frxDsgnIntf unit's start-up to its shut-down and are
// null outside that time.
TfrxObjectCollection* RegisteredObjects();
TfrxComponentEditorCollection* RegisteredComponentEditors();
TfrxPropertyEditorCollection* RegisteredPropertyEditors();
TfrxExportFilterCollection* RegisteredExportFilters();
TfrxWizardCollection* RegisteredWizards();

// Unit start-up and shut-down of the registries.
void CreateDesignerRegistries();
void FreeDesignerRegistries();
