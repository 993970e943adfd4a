// Menus: menu items in a tree (TMenuItem), the form's menu bar (TMainMenu, drawn in the
// form's non-client area) and context menus (TPopupMenu). Open menus are non-activating
// popup windows run by one modal tracking loop on the application's queue; Forms.h shows
// the bar, Controls.h opens a control's popup menu on WM_CONTEXTMENU.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Controls.h"

class TMenu;
class TMainMenu;
class TCustomImageList;

QH_DECLARE_EXCEPTION(EMenuError, Exception);

enum TPopupAlignment { paLeft, paRight, paCenter };
enum TMenuAutoFlag { maAutomatic, maManual, maParent };

using TMenuMeasureItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, Integer& Width, Integer& Height)>;
using TMenuDrawItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;

// The caption of a separator item.
inline constexpr const char* cLineCaption = "-";

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // ---- Children ----
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TMenuItem* Items(Integer Index) const;
  void Add(TMenuItem* Item);
  void Insert(Integer Index, TMenuItem* Item);
  // Deletes (frees) the child at Index.
  void Delete(Integer Index);
  // Takes Item out of the children without freeing it.
  void Remove(TMenuItem* Item);
  Integer IndexOf(TMenuItem* Item) const;
  // Frees every child.
  void Clear();
  TMenuItem* Parent() const { return FParent; }
  Integer MenuIndex() const
  {
    return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1;
  }
  // The menu the item belongs to (through its top-level ancestor).
  TMenu* GetParentMenu() const;

  // ---- Look and state ----
  AnsiString Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  bool IsLine() const { return FCaption == cLineCaption; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Checked() const { return FChecked; }
  // Checking a radio item unchecks the other radio items of its group among its siblings.
  void SetChecked(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  Byte GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Byte Value);
  NativeInt HelpContext() const { return FHelpContext; }
  void SetHelpContext(NativeInt Value) { FHelpContext = Value; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  // A picture drawn beside the caption when no image list entry applies (owned copy).
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  bool HasBitmap() const { return FBitmap != nullptr; }
  // The image list the item's ImageIndex refers to: its menu's Images.
  TCustomImageList* GetImageList() const;

  // Runs OnClick when the item is enabled. An item with children runs it just before its
  // submenu opens, so a handler can prepare the children.
  virtual void Click();
  // Runs this item's shortcut if it or a child has it; parents get their Click first.
  // False when no enabled item has it.
  bool IsShortCutItem(TShortCut ShortCut);

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;

protected:
  void Changed();

private:
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr; // set on the root item of a menu
  std::vector<TMenuItem*> FItems;
  AnsiString FCaption;
  TShortCut FShortCut = 0;
  bool FChecked = false;
  bool FRadioItem = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  Byte FGroupIndex = 0;
  NativeInt FHelpContext = 0;
  Integer FImageIndex = -1;
  std::unique_ptr<TBitmap> FBitmap;
  friend class TMenu;
};

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The invisible root whose children are the menu's top items.
  TMenuItem* Items() const { return FItems; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // Owner-drawn items are measured and drawn by their OnMeasureItem and OnDrawItem.
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  // maAutomatic gives items without a '&' the first free letter of their caption as hot key.
  TMenuAutoFlag AutoHotkeys() const { return FAutoHotkeys; }
  void SetAutoHotkeys(TMenuAutoFlag Value) { FAutoHotkeys = Value; }
  // Runs the enabled item with this key's shortcut; true when one ran.
  virtual bool IsShortCut(Word Key, TShiftState Shift);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Something shown changed: a visible menu bar redraws.
  virtual void MenuChanged() {}

private:
  TMenuItem* FItems = nullptr;
  TCustomImageList* FImages = nullptr;
  bool FOwnerDraw = false;
  TMenuAutoFlag FAutoHotkeys = maAutomatic;
  friend class TMenuItem;
};

// The menu bar of a form (TCustomForm::SetMenu). An MDI frame's bar shows the active
// child's menu merged into its own by GroupIndex: a child group replaces the frame's items
// of the same group, other child groups go between the frame's groups in order.
class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  void Merge(TMainMenu* Menu);
  void Unmerge(TMainMenu* Menu);
  TMainMenu* MergedMenu() const { return FMerged; }
  // The items the bar shows now, in order: the visible top items after merging.
  std::vector<TMenuItem*> BarItems() const;
  bool IsShortCut(Word Key, TShiftState Shift) override;
  // The form whose bar this is (null while on none).
  TCustomForm* Form() const { return FForm; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MenuChanged() override;

private:
  TMainMenu* FMerged = nullptr;
  TCustomForm* FForm = nullptr;
  friend class TCustomForm;
};

class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* AOwner);
  // Shows the menu at a screen point and returns once it closed; a chosen item's Click has
  // run by then. OnPopup runs first.
  virtual void Popup(Integer X, Integer Y);
  // The control the menu was last opened for (by right click or by the caller).
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value);
  // paLeft puts the menu's left edge at the point, paRight its right edge, paCenter its middle.
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  // Opens on a right click (WM_CONTEXTMENU) of the controls that name it.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  NativeInt HelpContext() const { return FHelpContext; }
  void SetHelpContext(NativeInt Value) { FHelpContext = Value; }

  TNotifyEvent OnPopup;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoPopup(TObject* Sender);

private:
  TComponent* FPopupComponent = nullptr;
  TPopupAlignment FAlignment = paLeft;
  bool FAutoPopup = true;
  NativeInt FHelpContext = 0;
};

// Opens Menu for Control at a point of Control's client area (a context menu opened by code).
void ShowPopupMenuAt(TPopupMenu* Menu, TControl* Control, TPoint ClientPos);

// The caption with its '&' marks removed ("&&" stays as one '&').
AnsiString StripHotkey(const AnsiString& Text);
// The hot key character of a caption, upper case (0 when it has none).
char GetHotkey(const AnsiString& Text);

// ---- Used by forms and controls ----
// The height of a form's menu bar (0 when it shows no items).
Integer MenuBarHeight(TCustomForm* Form);
// Draws the form's menu bar into its non-client band.
void PaintMenuBar(TCustomForm* Form);
// Runs the menu bar's tracking loop: from a mouse press on the bar (screen point), or from
// the keyboard (Alt, F10, or Alt+letter with Key the character; 0 selects the first item).
void TrackMenuBarMouse(TCustomForm* Form, TPoint Screen);
void TrackMenuBarKey(TCustomForm* Form, char Key);
// The screen rectangle of an item shown now on a bar or an open menu (empty when not shown).
TRect MenuItemScreenRect(TMenuItem* Item);
// True while a menu is open.
bool MenuTracking();

void RegisterMenusClasses();
