// The suite's base classes and registries (see cxClasses.h).
#include "controls/cx/base/cxClasses.h"

#include <map>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"

namespace {

std::map<PResStringRec, AnsiString>* Localizer = nullptr;

} // namespace

// ---- TcxComponent ----

void TcxComponent::Loaded()
{
  TComponent::Loaded();
  AfterLoaded();
}

void TcxComponent::AfterLoaded()
{
  UpdateFakeComponentLinks();
}

void TcxComponent::UpdateFakeComponentLinks()
{
  if (!ComponentState().Contains(csDesigning) || ComponentState().Contains(csDestroying) ||
      !Owner())
    return;
  TList list;
  CollectFakeLinkedComponents(&list);
  for (Integer i = 0; i < FakeComponentLinkCount; ++i)
    SetFakeComponentLink(i, i < list.Count() ? static_cast<TComponent*>(list.Items(i)) : nullptr);
}

void TcxComponent::SetFakeComponentLink(Integer Index, TComponent* Value)
{
  if (Index >= 0 && Index < FakeComponentLinkCount)
    FFakeComponentLinks[Index] = Value;
}

// ---- TcxObjectList ----

void TcxObjectList::Clear()
{
  for (Integer i = 0; i < Count(); ++i)
    delete static_cast<TObject*>(Items(i));
  TList::Clear();
}

// ---- TcxRegisteredClassList ----

void TcxRegisteredClassList::Clear()
{
  FItems.clear();
}

const TcxRegisteredClassListItemData& TcxRegisteredClassList::EntryAt(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FItems[Index];
}

bool TcxRegisteredClassList::FindEntry(TClass AClass, Integer& AIndex) const
{
  for (Integer i = Count() - 1; i >= 0; --i) {
    TClass key = FItems[i].ItemClass;
    if (AClass == key || (AClass && AClass->InheritsFrom(key))) {
      AIndex = i;
      return true;
    }
    if (key && key->InheritsFrom(AClass))
      AIndex = i;
  }
  return false;
}

TClass TcxRegisteredClassList::FindValueClass(TClass AKeyClass) const
{
  Integer index = -1;
  return FindEntry(AKeyClass, index) ? FItems[index].RegisteredClass : nullptr;
}

void TcxRegisteredClassList::Register(TClass AKeyClass, TClass AValueClass)
{
  TcxRegisteredClassListItemData item{AKeyClass, AValueClass};
  Integer index = -1;
  if (FindEntry(AKeyClass, index))
    FItems.insert(FItems.begin() + index + 1, item);
  else if (index == -1)
    FItems.push_back(item);
  else
    FItems.insert(FItems.begin() + index, item);
}

void TcxRegisteredClassList::Unregister(TClass AKeyClass, TClass AValueClass)
{
  for (Integer i = Count() - 1; i >= 0; --i)
    if (FItems[i].ItemClass == AKeyClass && FItems[i].RegisteredClass == AValueClass)
      FItems.erase(FItems.begin() + i);
}

// ---- TcxRegisteredClasses ----

TcxRegisteredClasses::TcxRegisteredClasses(bool ARegisterClasses)
    : FRegisterClasses(ARegisterClasses)
{
}

const TcxRegisteredClasses::TItem& TcxRegisteredClasses::Item(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FItems[Index];
}

TClass TcxRegisteredClasses::Items(Integer Index) const
{
  return Item(Index).Class;
}

const AnsiString& TcxRegisteredClasses::Descriptions(Integer Index) const
{
  return Item(Index).Description;
}

Integer TcxRegisteredClasses::IndexOfClass(TClass AClass) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[i].Class == AClass)
      return i;
  return -1;
}

TClass TcxRegisteredClasses::FindByClassName(const AnsiString& AClassName) const
{
  for (const TItem& item : FItems)
    if (item.Class && item.Class->ClassName() == AClassName)
      return item.Class;
  return nullptr;
}

void TcxRegisteredClasses::Register(TClass AClass, const AnsiString& ADescription)
{
  if (IndexOfClass(AClass) >= 0)
    return;
  FItems.push_back({ADescription, AClass});
  if (FRegisterClasses)
    RegisterClass(AClass);
}

void TcxRegisteredClasses::Unregister(TClass AClass)
{
  Integer index = IndexOfClass(AClass);
  if (index >= 0)
    FItems.erase(FItems.begin() + index);
}

// ---- TcxAutoWidthObject ----

TcxAutoWidthObject::TcxAutoWidthObject(Integer ACapacity)
{
  FItems.reserve(ACapacity > 0 ? ACapacity : 0);
}

TcxAutoWidthObject::~TcxAutoWidthObject()
{
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
    delete *it;
}

TcxAutoWidthItem* TcxAutoWidthObject::ItemAt(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FItems[Index];
}

TcxAutoWidthItem* TcxAutoWidthObject::NewItem()
{
  FItems.push_back(new TcxAutoWidthItem);
  return FItems.back();
}

Integer TcxAutoWidthObject::TotalWidth() const
{
  Integer result = 0;
  for (const TcxAutoWidthItem* item : FItems)
    result += item->Width;
  return result;
}

void TcxAutoWidthObject::Calculate()
{
  Integer remainingAvailable = AvailableWidth;
  Integer remainingWidth = TotalWidth();
  for (TcxAutoWidthItem* item : FItems)
    if (item->Fixed) {
      item->AutoWidth = item->Width;
      remainingAvailable -= item->AutoWidth;
      remainingWidth -= item->Width;
    }
  // Passes repeat while some item is raised to its minimum; the first pass without such a
  // change is followed by one last pass that hands out the shares.
  bool lastPass = false;
  bool changed;
  do {
    const Integer passAvailable = remainingAvailable;
    const Integer passWidth = remainingWidth;
    Integer running = 0;
    changed = false;
    for (TcxAutoWidthItem* item : FItems) {
      if (item->AutoWidth != -1)
        continue;
      const Integer share = MulDiv(running + item->Width, passAvailable, passWidth) -
                            MulDiv(running, passAvailable, passWidth);
      if (lastPass)
        item->AutoWidth = share;
      else if (share <= item->MinWidth) {
        item->AutoWidth = item->MinWidth;
        remainingAvailable -= item->MinWidth;
        remainingWidth -= item->Width;
        changed = true;
      }
      running += item->Width;
    }
    if (!changed)
      lastPass = !lastPass;
  } while (remainingWidth != 0 && (changed || lastPass));
}

// ---- Free functions ----

Integer MakeSize(Integer AWidth, Integer AHeight, TSize& ASize)
{
  ASize = TSize{AWidth, AHeight};
  return AWidth;
}

void LoadLocalizedString(PResStringRec AResString, AnsiString& AText)
{
  if (Localizer) {
    auto it = Localizer->find(AResString);
    if (it != Localizer->end()) {
      AText = it->second;
      return;
    }
  }
  AText = LoadResString(AResString);
}

AnsiString cxGetResourceString(PResStringRec AResString)
{
  AnsiString text;
  LoadLocalizedString(AResString, text);
  return text;
}

void cxSetLocalizedString(PResStringRec AResString, const AnsiString& AText)
{
  if (!Localizer)
    Localizer = new std::map<PResStringRec, AnsiString>;
  (*Localizer)[AResString] = AText;
}

void cxClearLocalizer()
{
  delete Localizer;
  Localizer = nullptr;
}

void cxClassesInitialization()
{
  TClassRegistration<TcxComponent, TComponent>("TcxComponent")
      .Property("FakeComponentLink1", &TcxComponent::FakeComponentLink1,
                &TcxComponent::SetFakeComponentLink1)
      .Stored(false)
      .Property("FakeComponentLink2", &TcxComponent::FakeComponentLink2,
                &TcxComponent::SetFakeComponentLink2)
      .Stored(false)
      .Property("FakeComponentLink3", &TcxComponent::FakeComponentLink3,
                &TcxComponent::SetFakeComponentLink3)
      .Stored(false)
      .Abstract();
}

void cxClassesFinalization()
{
  cxClearLocalizer();
}
