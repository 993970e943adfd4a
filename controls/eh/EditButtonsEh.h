// Edit buttons: the descriptions designers edit (TEditButtonEh, the main button
// TVisibleEditButtonEh, the collection TEditButtonsEh), the speed button placed on an edit
// (TEditButtonControlEh with its spin halves and auto-repeat), the painting of every button
// kind and of check boxes, the cache of painted faces and the default sizes of flat
// buttons. EditButtonsEhPaint.cpp holds the painting; the edit boxes and the grid's cell
// editor create, place and answer the buttons.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Pictures.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

enum TEditButtonStyleEh {
  ebsDropDownEh,
  ebsEllipsisEh,
  ebsGlyphEh,
  ebsUpDownEh,
  ebsPlusEh,
  ebsMinusEh
};

enum TButtonPaintKindEh { bpkDropDown, bpkEllipsis, bpkUpDown, bpkCheckBox, bpkPlus, bpkMinus };

// Alt+Down, the default shortcut of visible buttons; Alt+Del, the special row's.
constexpr TShortCut ShortCutAltDownEh = 32808;
constexpr TShortCut ShortCutAltDelEh = 32814;

using TButtonClickEventEh = TEvent<void(TObject* Sender, bool& Handled)>;
using TButtonDownEventEh =
    TEvent<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;

class TEditButtonEh;
class TEditButtonControlEh;
using TEditButtonChangeHookEh = TEvent<void(TEditButtonEh* Button)>;

// The description of one button of an edit.
class TEditButtonEh : public TCollectionItem {
public:
  // A button of a collection (constructed inside the collection's update bracket).
  explicit TEditButtonEh(TCollection* Collection);
  // A stand-alone button owned by an edit control.
  explicit TEditButtonEh(TWinControl* EditControl);
  ~TEditButtonEh() override;

  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  // 1 to 4 pictures side by side in Glyph; other values are clamped.
  Integer NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  TEditButtonStyleEh Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleEh Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // 0: the owner's default width.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TButtonClickEventEh OnClick;
  TButtonDownEventEh OnDown;

  TWinControl* EditControl() const { return FEditControl; }
  void SetEditControl(TWinControl* Value) { FEditControl = Value; }
  // Called with the button after each change; without one, a button of a collection tells
  // the collection that it changed.
  TEditButtonChangeHookEh OnChangeHook;

  // A new button control on the edit control: 10 x 17, visible, opaque.
  virtual TEditButtonControlEh* MakeButtonControl();
  void Assign(TPersistent* Source) override;

protected:
  void NotifyChange();

  TPopupMenu* FDropdownMenu = nullptr;
  std::unique_ptr<TBitmap> FGlyph;
  AnsiString FHint;
  Integer FNumGlyphs = 1;
  TShortCut FShortCut = 0;
  TEditButtonStyleEh FStyle = ebsDropDownEh;
  bool FVisible = false;
  Integer FWidth = 0;
  TWinControl* FEditControl = nullptr;

private:
  void GlyphChanged(TObject* Sender);
};

// The main button of a combo-style edit and the buttons of the edits' collections:
// visible, with Alt+Down as shortcut.
class TVisibleEditButtonEh : public TEditButtonEh {
public:
  explicit TVisibleEditButtonEh(TCollection* Collection);
  explicit TVisibleEditButtonEh(TWinControl* EditControl);
};

using TEditButtonsChangedEh = TEvent<void(TCollectionItem* Item)>;

// The further buttons of an edit or a grid column.
class TEditButtonsEh : public TCollection {
public:
  TEditButtonsEh(TPersistent* Owner, TCollectionItemClass ItemClass);
  TEditButtonEh* Items(Integer Index) const;
  TEditButtonEh* Add();
  // Called with the changed item (null: the whole collection) after the collection's own
  // update.
  TEditButtonsChangedEh OnChanged;

protected:
  TPersistent* GetOwner() override { return FOwner; }
  void Update(TCollectionItem* Item) override;

private:
  TPersistent* FOwner;
};

// The speed button an edit carries for one of its buttons. A spin pair presses its upper
// or lower half; OnDown fires at the press and, with AutoRepeat, after 400 ms and then every
// 100 ms while the half stays pressed.
class TEditButtonControlEh : public TSpeedButton {
public:
  explicit TEditButtonControlEh(TComponent* AOwner);
  ~TEditButtonControlEh() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Held down: a one-button group that stays pressed (the edit's drop-down is open).
  bool HeldDown() const { return FHeldDown; }
  void SetHeldDown(bool Value);
  // 0 none, 1 the whole button or a spin pair's upper half, 2 the lower half.
  Integer PressedPart() const { return FPressedPart; }
  bool SuppressClick() const { return FSuppressClick; }
  void SetSuppressClick(bool Value) { FSuppressClick = Value; }
  TEditButtonStyleEh Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleEh Value);
  TButtonDownEventEh OnDown;
  // The repeat timer, made on first use.
  TTimer* RepeatTimer() const { return FTimer; }

  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  bool IsDown() const { return State() == bsDown || State() == bsExclusive; }
  void UpdatePressedPart(Integer X, Integer Y);
  void FireDown(bool& AutoRepeat);
  void TimerTick(TObject* Sender);
  void StopTimer();

  bool FActive = false;
  bool FHeldDown = false;
  Integer FPressedPart = 0;
  bool FSuppressClick = false;
  TEditButtonStyleEh FStyle = ebsDropDownEh;
  TTimer* FTimer = nullptr; // owned as a component
};

// The published button class.
class TSpeedButtonEh : public TEditButtonControlEh {
public:
  using TEditButtonControlEh::TEditButtonControlEh;
};

TButtonPaintKindEh ButtonPaintKindOf(TEditButtonStyleEh Style);

// ---- Painting ----

// Paints one button of the kind into Rect: PressedPart 0 none, 1 the button or the upper
// spin half, 2 the lower half; CheckState 0 unchecked, 1 checked, 2 grayed.
void PaintButtonFace(TCanvas* Canvas, const TRect& Rect, TColor ParentColor,
                     TButtonPaintKindEh Kind, Integer PressedPart, bool Flat, bool Active,
                     bool Enabled, Integer CheckState);
// One button face of a kind drawn directly (the spin kind draws the half LowerHalf says).
void DrawButtonOfKind(TCanvas* Canvas, const TRect& Rect, TButtonPaintKindEh Kind, bool Enabled,
                      bool Flat, bool Active, bool Pressed, bool LowerHalf);
void DrawCheckBoxFace(TCanvas* Canvas, const TRect& Rect, Integer CheckState, bool Active,
                      bool Pressed, bool Flat, bool Enabled);
// The plus/minus bars of a symbol fitting an M x M area: length cx, thickness cy.
TSize PlusMinusBarSize(Integer M, bool Plus, bool Flat);
// The check box's rectangle in a cell: the system check-box size cut to the cell, placed by
// Alignment and Layout; where the cell is not larger than the box it starts at the cell's
// start.
TRect FitCheckBoxRect(const TRect& Cell, TAlignment Alignment, TTextLayout Layout);

// What a cached face looks like.
struct TButtonBitmapDescriptionEh {
  Integer Width = 0, Height = 0;
  TButtonPaintKindEh Kind = bpkDropDown;
  bool Pressed = false, Active = false, Flat = false, Enabled = true;
  bool LowerHalf = false; // the spin kind's lower half
  Integer CheckState = 0;
  friend bool operator==(const TButtonBitmapDescriptionEh&,
                         const TButtonBitmapDescriptionEh&) = default;
};

class TButtonBitmapInfoBitmapEh : public TObject {
public:
  TButtonBitmapDescriptionEh Description;
  std::unique_ptr<TBitmap> Bitmap;
};

// Painted faces, one per distinct description. The cache holds at most MaxEntries faces:
// when a new one would pass that, the cache starts over, so resizing columns and rows
// through many sizes does not grow it without end.
class TButtonsBitmapCache : public TObject {
public:
  static constexpr Integer MaxEntries = 256;
  TBitmap* BitmapFor(TButtonBitmapDescriptionEh Description);
  void Clear() { FEntries.clear(); }
  Integer Count() const { return static_cast<Integer>(FEntries.size()); }

private:
  std::vector<std::unique_ptr<TButtonBitmapInfoBitmapEh>> FEntries;
};

// A button's drop-down menu, shown under Control for a press on it. When the menu has closed,
// Owner is sent Notice (with the button's tag, posted) and the button is let go; false when
// Owner went while the menu was open.
bool PopupButtonMenu(TWinControl* Owner, TEditButtonControlEh* Control, TPopupMenu* Menu,
                     UINT Notice);
// Takes the Notice a closed menu of the button Tag left for Owner: true when it was there, so
// the press that closed the menu does nothing more.
bool TakeMenuClosedNotice(TWinControl* Owner, UINT Notice, Integer Tag);

// The one cache of the program (made at start-up, freed at the end).
TButtonsBitmapCache* SharedButtonBitmaps();
void FlushButtonBitmaps();
// Faces come from the cache; tests may switch it off to draw directly.
extern bool PaintButtonsThroughCache;

// ---- Sizes ----

// Two thirds of the system font's character height, rounded, made odd, capped at the
// vertical scroll bar's width (computed at start-up: FlatButtonWidthDefault).
Integer FlatEditButtonWidth();
Integer FlatEditButtonWidthFor(Integer CharHeight);
extern Integer FlatButtonWidthDefault;
// Flat: 1.5 times the width, halves to even (11 -> 16, 13 -> 20); otherwise the width.
Integer EditButtonHeightFor(Integer Width, bool Flat);
// The system check box's size.
extern Integer SystemCheckBoxWidth;
extern Integer SystemCheckBoxHeight;

void EditButtonsEhInitialization();
void EditButtonsEhFinalization();
