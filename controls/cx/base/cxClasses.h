// The small base classes of the layered control suite: a persistent object that knows its
// owner, the component base with its design-time links, an owning object list, the two
// class registries, the automatic-width distributor and the localized-string getter.
// Nothing here draws or touches a window; cxGraphics.h and cxControls.h build on it.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/ResStrings.h"

// A persistent object with a fixed owner (may be null), answered by GetOwner. Objects of
// this class are freed by whoever made them.
class TcxInterfacedPersistent : public TPersistent {
public:
  explicit TcxInterfacedPersistent(TPersistent* AOwner) : FOwner(AOwner) {}
  TPersistent* Owner() const { return FOwner; }

protected:
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner;
};

// The component base of the suite: three link properties that a form designer shows beside
// the component (never stored).
class TcxComponent : public TComponent {
public:
  explicit TcxComponent(TComponent* AOwner) : TComponent(AOwner) {}

  static constexpr Integer FakeComponentLinkCount = 3;
  TComponent* FakeComponentLink1() const { return FFakeComponentLinks[0]; }
  TComponent* FakeComponentLink2() const { return FFakeComponentLinks[1]; }
  TComponent* FakeComponentLink3() const { return FFakeComponentLinks[2]; }
  void SetFakeComponentLink1(TComponent* Value) { FFakeComponentLinks[0] = Value; }
  void SetFakeComponentLink2(TComponent* Value) { FFakeComponentLinks[1] = Value; }
  void SetFakeComponentLink3(TComponent* Value) { FFakeComponentLinks[2] = Value; }

  // Refreshes the three links from CollectFakeLinkedComponents; only in design mode, for a
  // component with an owner that is not being destroyed.
  void UpdateFakeComponentLinks();

protected:
  virtual void CollectFakeLinkedComponents(TList* AList) {}
  void Loaded() override;
  virtual void AfterLoaded();
  void SetFakeComponentLink(Integer Index, TComponent* Value);

private:
  TComponent* FFakeComponentLinks[FakeComponentLinkCount] = {};
};

// A list that owns its items: Clear (and so destruction) frees them from index 0 up.
class TcxObjectList : public TList {
public:
  ~TcxObjectList() override { Clear(); }
  void Clear() override;
  TObject* ItemAt(Integer Index) const { return static_cast<TObject*>(Items(Index)); }
};

// Maps key classes to value classes; a lookup finds the entry of the nearest registered
// ancestor of the class asked for. Entries of ancestors stand before their descendants'.
struct TcxRegisteredClassListItemData {
  TClass ItemClass;
  TClass RegisteredClass;
};

class TcxRegisteredClassList : public TObject {
public:
  ~TcxRegisteredClassList() override { Clear(); }

  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // A bad index raises EListError.
  const TcxRegisteredClassListItemData& EntryAt(Integer Index) const;

  // True when AClass or an ancestor of it is registered: AIndex is the entry of the most
  // derived such key. Otherwise AIndex is the first entry whose key descends from AClass,
  // or stays as it was when no entry is related to AClass.
  virtual bool FindEntry(TClass AClass, Integer& AIndex) const;
  TClass FindValueClass(TClass AKeyClass) const;
  // Registering the same pair twice gives two entries.
  virtual void Register(TClass AKeyClass, TClass AValueClass);
  // Removes every entry of exactly this pair.
  virtual void Unregister(TClass AKeyClass, TClass AValueClass);

private:
  std::vector<TcxRegisteredClassListItemData> FItems;
};

// Classes with descriptions ("ShortName|Sentence", kept unparsed), in registration order.
class TcxRegisteredClasses : public TObject {
public:
  explicit TcxRegisteredClasses(bool ARegisterClasses = false);

  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TClass Items(Integer Index) const;
  const AnsiString& Descriptions(Integer Index) const;
  Integer IndexOfClass(TClass AClass) const;
  // The first class whose name equals AClassName byte for byte (case matters); null when
  // none does.
  TClass FindByClassName(const AnsiString& AClassName) const;
  // A class is listed once: registering it again keeps its first description.
  void Register(TClass AClass, const AnsiString& ADescription);
  void Unregister(TClass AClass);

private:
  struct TItem {
    AnsiString Description;
    TClass Class;
  };
  const TItem& Item(Integer Index) const;
  bool FRegisterClasses;
  std::vector<TItem> FItems;
};

// One part sized by the width distributor.
class TcxAutoWidthItem : public TObject {
public:
  Integer MinWidth = 0;
  Integer Width = 0;
  bool Fixed = false;
  Integer AutoWidth = -1; // -1: not yet computed
};

// Shares AvailableWidth over its items in proportion to their widths: fixed items keep
// their width, an item whose share falls to its minimum gets the minimum and leaves the
// sharing, and the shares of one pass add up exactly to what the pass had to share.
class TcxAutoWidthObject : public TObject {
public:
  explicit TcxAutoWidthObject(Integer ACapacity);
  ~TcxAutoWidthObject() override;

  Integer AvailableWidth = 0;

  void Calculate();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxAutoWidthItem* ItemAt(Integer Index) const;
  // A new item: AutoWidth -1, the rest 0 or false. (Other units call it AddItem.)
  TcxAutoWidthItem* NewItem();
  Integer TotalWidth() const;

private:
  std::vector<TcxAutoWidthItem*> FItems;
};

// Vertical alignment shared by headers and editors.
enum TcxAlignmentVert { vaTop, vaBottom, vaCenter };

// Stores the size and returns AWidth.
Integer MakeSize(Integer AWidth, Integer AHeight, TSize& ASize);
inline TSize MakeSize(Integer AWidth, Integer AHeight)
{
  return TSize{AWidth, AHeight};
}

// The text of a resource string: the localizer's replacement when one is installed and
// knows the string, otherwise the string-table text. Every caption and message of the
// suite is read through it.
void LoadLocalizedString(PResStringRec AResString, AnsiString& AText);
AnsiString cxGetResourceString(PResStringRec AResString);
// The program-wide localizer: replacement texts by resource-string identity. Nothing in
// the program installs one; a localizing unit (and tests) set texts here.
void cxSetLocalizedString(PResStringRec AResString, const AnsiString& AText);
// Drops every replacement (the localizer is gone).
void cxClearLocalizer();

void cxClassesInitialization();
void cxClassesFinalization();
