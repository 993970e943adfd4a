// The menu classes: TMenuItem (the item tree, captions and hot keys, shortcuts, images),
// TMenu, TMainMenu (merging) and TPopupMenu. Menus.h describes the unit; MenusTracking.cpp
// shows menus and tracks an open one.
#include <algorithm>
#include <cctype>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MenusPrivate.h"

// ---- Registration -----------------------------------------------------------------------------

void RegisterMenusClasses()
{
  RegisterEnumType<TPopupAlignment>("TPopupAlignment", {"paLeft", "paRight", "paCenter"});
  RegisterEnumType<TMenuAutoFlag>("TMenuAutoFlag", {"maAutomatic", "maManual", "maParent"});
  RegisterEventType<TMenuMeasureItemEvent>("TMenuMeasureItemEvent");
  RegisterEventType<TMenuDrawItemEvent>("TMenuDrawItemEvent");
  TClass item =
      TClassRegistration<TMenuItem, TComponent>("TMenuItem")
          .Property("Bitmap", &TMenuItem::Bitmap, &TMenuItem::SetBitmap)
          .Stored([](TMenuItem* i) { return i->HasBitmap(); })
          .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
          .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
          .Default(false)
          .Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault)
          .Default(false)
          .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
          .Default(true)
          .Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex)
          .Default(0)
          .Property("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext)
          .Default(0)
          .Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex)
          .Default(-1)
          .Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem)
          .Default(false)
          .Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
          .Type(TShortCutTypeInfo())
          .Default(0)
          .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
          .Default(true)
          .Property("OnClick", &TMenuItem::OnClick, &TMenuItem::OnClick)
          .Property("OnDrawItem", &TMenuItem::OnDrawItem, &TMenuItem::OnDrawItem)
          .Property("OnMeasureItem", &TMenuItem::OnMeasureItem, &TMenuItem::OnMeasureItem);
  TClassRegistration<TMenu, TComponent>("TMenu")
      .Property("AutoHotkeys", &TMenu::AutoHotkeys, &TMenu::SetAutoHotkeys)
      .Default(maAutomatic)
      .Property("Images", &TMenu::Images, &TMenu::SetImages)
      .Property("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw)
      .Default(false);
  TClass mainMenu = TClassRegistration<TMainMenu, TMenu>("TMainMenu");
  TClass popupMenu =
      TClassRegistration<TPopupMenu, TMenu>("TPopupMenu")
          .Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment)
          .Default(paLeft)
          .Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup)
          .Default(true)
          .Property("HelpContext", &TPopupMenu::HelpContext, &TPopupMenu::SetHelpContext)
          .Default(0)
          .Property("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::OnPopup);
  RegisterClasses({item, mainMenu, popupMenu});
}

// ---- Texts ------------------------------------------------------------------------------------

AnsiString StripHotkey(const AnsiString& Text)
{
  AnsiString out;
  for (size_t i = 0; i < Text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Text[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < Text.size()) {
      out += Text.substr(i, 2);
      ++i;
      continue;
    }
    if (c == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&')
        out += '&', ++i;
      continue;
    }
    out += Text[i];
  }
  return out;
}

char GetHotkey(const AnsiString& Text)
{
  for (size_t i = 0; i < Text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Text[i]);
    if (c >= 0x81 && c <= 0xFE) {
      ++i;
      continue;
    }
    if (c != '&' || i + 1 >= Text.size())
      continue;
    unsigned char next = static_cast<unsigned char>(Text[i + 1]);
    if (next == '&') {
      ++i;
      continue;
    }
    if (next < 0x80)
      return static_cast<char>(std::toupper(next));
    return 0;
  }
  return 0;
}

std::vector<TMenuItem*> VisibleChildren(const TMenuItem* parent)
{
  std::vector<TMenuItem*> out;
  for (Integer i = 0; i < parent->Count(); ++i)
    if (parent->Items(i)->Visible())
      out.push_back(parent->Items(i));
  return out;
}

namespace {

TMenuItem* FindShortCut(TMenuItem* item, TShortCut shortCut)
{
  for (Integer i = 0; i < item->Count(); ++i) {
    TMenuItem* child = item->Items(i);
    if (child->ShortCut() == shortCut)
      return child;
    if (TMenuItem* found = FindShortCut(child, shortCut))
      return found;
  }
  return nullptr;
}

} // namespace

// ---- TMenuItem --------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
  if (FParent)
    FParent->Remove(this);
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    delete child;
  }
}

TMenuItem* TMenuItem::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError("Menu index out of bounds");
  return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item)
{
  Insert(Count(), Item);
}

void TMenuItem::Insert(Integer Index, TMenuItem* Item)
{
  if (!Item)
    return;
  if (Item->FParent)
    throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count())
    throw EListError("Menu index out of bounds");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  Changed();
}

void TMenuItem::Delete(Integer Index)
{
  TMenuItem* item = Items(Index);
  Remove(item);
  delete item;
}

void TMenuItem::Remove(TMenuItem* Item)
{
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end())
    throw EMenuError("Sub-menu is not in menu");
  FItems.erase(it);
  Item->FParent = nullptr;
  Changed();
}

Integer TMenuItem::IndexOf(TMenuItem* Item) const
{
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TMenuItem::Clear()
{
  while (Count() > 0)
    Delete(Count() - 1);
}

TMenu* TMenuItem::GetParentMenu() const
{
  const TMenuItem* item = this;
  while (item->FParent)
    item = item->FParent;
  return item->FMenu;
}

void TMenuItem::Changed()
{
  if (TMenu* menu = GetParentMenu())
    menu->MenuChanged();
}

void TMenuItem::SetCaption(const AnsiString& Value)
{
  if (Value == FCaption)
    return;
  FCaption = Value;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value)
{
  FShortCut = Value;
}

void TMenuItem::SetChecked(bool Value)
{
  if (Value == FChecked)
    return;
  FChecked = Value;
  if (Value && FRadioItem && FParent)
    for (TMenuItem* sibling : FParent->FItems)
      if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex)
        sibling->FChecked = false;
  Changed();
}

void TMenuItem::SetRadioItem(bool Value)
{
  if (Value == FRadioItem)
    return;
  FRadioItem = Value;
  Changed();
}

void TMenuItem::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed();
}

void TMenuItem::SetDefault(bool Value)
{
  if (Value == FDefault)
    return;
  // One default item per submenu.
  if (Value && FParent)
    for (TMenuItem* sibling : FParent->FItems)
      sibling->FDefault = false;
  FDefault = Value;
  Changed();
}

void TMenuItem::SetGroupIndex(Byte Value)
{
  if (Value == FGroupIndex)
    return;
  FGroupIndex = Value;
  Changed();
}

void TMenuItem::SetImageIndex(Integer Value)
{
  if (Value == FImageIndex)
    return;
  FImageIndex = Value;
  Changed();
}

TBitmap* TMenuItem::Bitmap()
{
  if (!FBitmap)
    FBitmap = std::make_unique<TBitmap>();
  return FBitmap.get();
}

void TMenuItem::SetBitmap(TBitmap* Value)
{
  if (!Value) {
    FBitmap.reset();
  } else {
    Bitmap()->Assign(Value);
  }
  Changed();
}

TCustomImageList* TMenuItem::GetImageList() const
{
  TMenu* menu = GetParentMenu();
  return menu ? menu->Images() : nullptr;
}

void TMenuItem::Click()
{
  if (FEnabled && OnClick)
    OnClick(this);
}

bool TMenuItem::IsShortCutItem(TShortCut ShortCut)
{
  if (ShortCut == 0)
    return false;
  TMenuItem* found = FindShortCut(this, ShortCut);
  if (!found)
    return false;
  // The submenus on the way open, as far as their handlers go, so they can update the
  // item's state before it is asked.
  std::vector<TMenuItem*> path;
  for (TMenuItem* p = found->FParent; p && p != this; p = p->FParent)
    path.insert(path.begin(), p);
  for (TMenuItem* p : path)
    p->Click();
  if (!found->FEnabled)
    return false;
  found->Click();
  return true;
}

// ---- TMenu ------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner)
{
  FItems = new TMenuItem(nullptr);
  FItems->FMenu = this;
}

TMenu::~TMenu()
{
  FItems->FMenu = nullptr;
  delete FItems;
}

void TMenu::SetImages(TCustomImageList* Value)
{
  if (ReplaceComponentReference(this, Value, FImages))
    MenuChanged();
}

void TMenu::SetOwnerDraw(bool Value)
{
  if (Value == FOwnerDraw)
    return;
  FOwnerDraw = Value;
  MenuChanged();
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages)
    FImages = nullptr;
}

bool TMenu::IsShortCut(Word Key, TShiftState Shift)
{
  return FItems->IsShortCutItem(::ShortCut(Key, Shift));
}

// ---- TMainMenu --------------------------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu()
{
  if (FForm)
    FForm->SetMenu(nullptr);
}

void TMainMenu::Merge(TMainMenu* Menu)
{
  if (Menu == FMerged)
    return;
  if (FMerged)
    FMerged->RemoveFreeNotification(this);
  FMerged = Menu == this ? nullptr : Menu;
  if (FMerged)
    FMerged->FreeNotification(this);
  MenuChanged();
}

void TMainMenu::Unmerge(TMainMenu* Menu)
{
  if (Menu && Menu == FMerged)
    Merge(nullptr);
}

std::vector<TMenuItem*> TMainMenu::BarItems() const
{
  std::vector<TMenuItem*> own = VisibleChildren(Items());
  if (!FMerged)
    return own;
  std::vector<TMenuItem*> theirs = VisibleChildren(FMerged->Items());
  std::vector<TMenuItem*> out;
  for (TMenuItem* item : own)
    if (std::none_of(theirs.begin(), theirs.end(),
                     [item](TMenuItem* t) { return t->GroupIndex() == item->GroupIndex(); }))
      out.push_back(item);
  out.insert(out.end(), theirs.begin(), theirs.end());
  std::stable_sort(out.begin(), out.end(),
                   [](TMenuItem* a, TMenuItem* b) { return a->GroupIndex() < b->GroupIndex(); });
  return out;
}

bool TMainMenu::IsShortCut(Word Key, TShiftState Shift)
{
  TShortCut shortCut = ::ShortCut(Key, Shift);
  if (shortCut == 0)
    return false;
  for (TMenuItem* item : BarItems()) {
    if (item->ShortCut() == shortCut) {
      if (!item->Enabled())
        return false;
      item->Click();
      return true;
    }
    if (FindShortCut(item, shortCut))
      return item->IsShortCutItem(shortCut);
  }
  return false;
}

void TMainMenu::Notification(TComponent* AComponent, TOperation Operation)
{
  TMenu::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FMerged) {
    FMerged = nullptr;
    MenuChanged();
  }
}

void TMainMenu::MenuChanged()
{
  if (FForm && FForm->HandleAllocated() && IsWindowVisible(FForm->Handle()))
    PaintMenuBar(FForm);
  // A frame shows its children's menus.
  if (FForm && FForm->FormStyle() == fsMDIChild && Application() && Application()->MainForm()) {
    TMainMenu* frameMenu = Application()->MainForm()->Menu();
    if (frameMenu && frameMenu->FMerged == this)
      frameMenu->MenuChanged();
  }
}

// ---- TPopupMenu -------------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TPopupMenu::SetPopupComponent(TComponent* Value)
{
  ReplaceComponentReference(this, Value, FPopupComponent);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent)
    FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender)
{
  if (OnPopup)
    OnPopup(Sender);
}

void ShowPopupMenuAt(TPopupMenu* Menu, TControl* Control, TPoint ClientPos)
{
  if (!Menu || !Control)
    return;
  TPoint p = Control->ClientToScreen(ClientPos);
  Menu->SetPopupComponent(Control);
  Menu->Popup(p.X, p.Y);
}
