// The common controls: progress bar (TProgressBar), status bar (TStatusBar with its
// panels), tool bar (TToolBar with TToolButton), tab and page controls (TTabControl,
// TPageControl with TTabSheet), up-down arrows (TUpDown), tree view (TTreeView with
// TTreeNodes and TTreeNode), list view (TListView with TListItems) and the month calendar
// (TMonthCalendar). Each lives in ComCtrls<Part>.cpp; CommCtrl.h has their messages and
// hit-test codes; StdCtrls.h the standard controls they build on.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/ImgList.h"
#include "platform/rtl/DateUtils.h"
#include "platform/ui/CommCtrl.h"
#include "platform/ui/StdCtrls.h"

class TPopupMenu;
class TMenuItem;

// ---- Progress bar ----

enum TProgressBarOrientation { pbHorizontal, pbVertical };

// Shows Position between Min and Max as a row of blocks (a solid bar with Smooth).
class TProgressBar : public TWinControl {
public:
  explicit TProgressBar(TComponent* AOwner);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value);
  Integer Max() const { return FMax; }
  void SetMax(Integer Value);
  // Kept between Min and Max.
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value);
  Integer Step() const { return FStep; }
  void SetStep(Integer Value) { FStep = Value; }
  // Advances by Step (StepBy: by Delta), wrapping to Min past Max as the platform's bar does.
  void StepIt();
  void StepBy(Integer Delta);
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool Value);
  TProgressBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;

private:
  Integer FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
  bool FSmooth = false;
  TProgressBarOrientation FOrientation = pbHorizontal;
  std::unique_ptr<TCanvas> FCanvas;
};

// ---- Status bar ----

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel : public TCollectionItem {
public:
  explicit TStatusPanel(TCollection* Collection = nullptr);
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel Value);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle Value);
  void Assign(TPersistent* Source) override;
  AnsiString DisplayName() const override;

private:
  AnsiString FText;
  Integer FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
  TStatusPanelStyle FStyle = psText;
};

class TStatusPanels : public TCollection {
public:
  explicit TStatusPanels(TStatusBar* StatusBar);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(Integer Index) const
  {
    return static_cast<TStatusPanel*>(TCollection::Items(Index));
  }

protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

private:
  TStatusBar* FStatusBar;
};

using TDrawPanelEvent = TEvent<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

// A bar along the bottom of its form, split into panels (the last one takes the rest of the
// width) or showing one simple text; the size grip in its corner sizes the form.
class TStatusBar : public TWinControl {
public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;

  TStatusPanels* Panels() const { return FPanels.get(); }
  void SetPanels(TStatusPanels* Value) { FPanels->Assign(Value); }
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value);
  const AnsiString& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const AnsiString& Value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value);
  // The canvas an owner-drawn panel is drawn on (valid in OnDrawPanel).
  TCanvas* Canvas() const { return FCanvas.get(); }
  // The rectangle of panel Index in client coordinates.
  TRect PanelRect(Integer Index) const;
  // The panel under a client point (-1: none).
  Integer PanelAt(TPoint Point) const;

  TDrawPanelEvent OnDrawPanel;

protected:
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
  bool GripShown() const;

private:
  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel = false;
  AnsiString FSimpleText;
  bool FSizeGrip = true;
  std::unique_ptr<TCanvas> FCanvas;
  friend class TStatusPanels;
};

// ---- Tool bar ----

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolBar;

// A button of a tool bar: a picture from the bar's image list and, with ShowCaptions, its
// caption below. Check buttons stay down when clicked (Grouped ones pop up their neighbours);
// drop-down buttons open their DropdownMenu from the arrow at their right; separators and
// dividers only make room.
class TToolButton : public TGraphicControl {
public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;

  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  // A grouped check button pops up the grouped check buttons beside it (up to a separator).
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool Value) { FGrouped = Value; }
  // A check button comes up again when clicked, also in a group.
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Indeterminate() const { return FIndeterminate; }
  void SetIndeterminate(bool Value);
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  // The button starts a new row of a wrapping bar.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool Value);
  // The bar the button sits on (null when none).
  TToolBar* ToolBar() const;
  // The button's position among the bar's buttons.
  Integer Index() const;
  // Opens the drop-down menu below the button, pressed while it shows.
  bool CheckMenuDropdown();
  void Click() override;
  void SetParent(TWinControl* AParent) override;

protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  bool OverArrow(Integer X) const;
  void UpdateGroup();
  TToolButtonStyle FStyle = tbsButton;
  Integer FImageIndex = -1;
  bool FDown = false;
  bool FGrouped = false;
  bool FAllowAllUp = false;
  bool FIndeterminate = false;
  bool FWrap = false;
  bool FPressed = false;  // held by the mouse
  bool FDragging = false; // the mouse went down on it
  bool FMouseIn = false;
  TPopupMenu* FDropdownMenu = nullptr;
  friend class TToolBar;
};

// A bar of buttons (and of any other control placed on it) side by side in their order,
// wrapping into rows when Wrapable. Buttons added at run time go to the end.
class TToolBar : public TWinControl {
public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;

  Integer ButtonCount() const;
  TToolButton* Buttons(Integer Index) const;
  Integer ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(Integer Value);
  Integer ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(Integer Value);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool Value);
  // Pixels left free before the first button.
  Integer Indent() const { return FIndent; }
  void SetIndent(Integer Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* Value);
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* Value);
  // The controls of the bar in their order (buttons and others).
  Integer ItemCount() const;
  TControl* Items(Integer Index) const;
  // Lays the controls out again.
  void Rearrange();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void AdjustSize() override;

private:
  // Brings the list of the bar's controls in step with its children: controls that arrived
  // go to the end, in the order they came; controls that left leave it.
  void SyncItems() const;
  void ImagesChanged(TObject* Sender);
  // The size of a button: the bar's button size, or with captions the picture and text.
  TSize ButtonSize() const;
  Integer RowsHeight();

  mutable std::vector<TToolButton*> FButtons;
  mutable std::vector<TControl*> FItems;
  Integer FButtonWidth = 23;
  Integer FButtonHeight = 22;
  bool FShowCaptions = false;
  bool FFlat = false;
  bool FWrapable = true;
  Integer FIndent = 0;
  bool FArranging = false;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FDisabledImages = nullptr;
  TCustomImageList* FHotImages = nullptr;
  std::unique_ptr<TChangeLink> FImageLink;
  std::unique_ptr<TCanvas> FCanvas;
  friend class TToolButton;
};

// ---- Tabs and pages ----

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

// A row (or rows, with MultiLine) of tabs above a client area; the selected tab stands out.
// Changing tabs asks OnChanging first, then tells OnChange.
class TCustomTabControl : public TCustomControl {
public:
  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;

  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // The tab under a client point (-1: none).
  Integer IndexOfTabAt(Integer X, Integer Y);
  // The rectangle of tab Index (empty when it has none).
  TRect TabRect(Integer Index);
  // The area below the tabs, where pages and children go (client coordinates).
  TRect DisplayRect();
  Integer TabHeight() const { return FTabHeight; }
  void SetTabHeight(Integer Value);

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void AdjustClientRect(TRect& Rect) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The tabs shown, in order, and which of them is selected (-1: none).
  virtual Integer VisibleTabCount() const = 0;
  virtual AnsiString VisibleTabCaption(Integer Index) const = 0;
  virtual Integer VisibleTabImage(Integer Index) const { return -1; }
  virtual Integer SelectedVisibleTab() const = 0;
  // Selects a shown tab as the user does: OnChanging may refuse; true when it changed.
  virtual bool SelectVisibleTab(Integer Index) = 0;
  virtual bool CanChange();
  virtual void Change();
  // The tab layout must be made again.
  void TabsChanged();

private:
  struct TTabBox {
    TRect Rect;
    Integer Row = 0;
  };
  void LayoutTabs();
  bool FMultiLine = false;
  Integer FTabHeight = 0;
  TCustomImageList* FImages = nullptr;
  std::vector<TTabBox> FTabs;
  Integer FRows = 1;
  bool FLayoutValid = false;
};

class TTabControl : public TCustomTabControl {
public:
  explicit TTabControl(TComponent* AOwner);
  ~TTabControl() override;

  TStrings* Tabs() const { return FTabs.get(); }
  void SetTabs(TStrings* Value) { FTabs->Assign(Value); }
  Integer TabIndex() const { return FTabIndex; }
  // From code: no OnChanging, no OnChange.
  void SetTabIndex(Integer Value);

protected:
  Integer VisibleTabCount() const override;
  AnsiString VisibleTabCaption(Integer Index) const override;
  Integer SelectedVisibleTab() const override { return FTabIndex; }
  bool SelectVisibleTab(Integer Index) override;

private:
  void TabsListChanged(TObject* Sender);
  std::unique_ptr<TStringList> FTabs;
  Integer FTabIndex = -1;
};

class TPageControl;

// A page of a page control: a container whose caption is its tab.
class TTabSheet : public TWinControl {
public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  // The position among the page control's pages.
  Integer PageIndex() const;
  void SetPageIndex(Integer Value);
  // Whether the page has a tab (a page without one can still be the active page).
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  // The position among the visible tabs (-1: no tab).
  Integer TabIndex() const;
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);

protected:
  void Dispatch(TMessage& Message) override;

private:
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  Integer FImageIndex = -1;
  friend class TPageControl;
};

// Pages with tabs; the active page shows in the display area.
class TPageControl : public TCustomTabControl {
public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  Integer PageCount() const { return static_cast<Integer>(FPages.size()); }
  TTabSheet* Pages(Integer Index) const;
  TTabSheet* ActivePage() const { return FActivePage; }
  // From code: neither OnChanging nor OnChange.
  void SetActivePage(TTabSheet* Value);
  Integer ActivePageIndex() const;
  void SetActivePageIndex(Integer Value);
  // The next (or previous) page with a tab, wrapping round; OnChanging may refuse.
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;

protected:
  Integer VisibleTabCount() const override;
  AnsiString VisibleTabCaption(Integer Index) const override;
  Integer VisibleTabImage(Integer Index) const override;
  Integer SelectedVisibleTab() const override;
  bool SelectVisibleTab(Integer Index) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

private:
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void ShowActive();
  TTabSheet* VisibleTab(Integer Index) const;
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  friend class TTabSheet;
};

// ---- Up-down arrows ----

enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = TEvent<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

// Two arrows that step Position between Min and Max (wrapping with Wrap); held down they
// repeat. The associated control (an edit) shows the position, sits beside the arrows and
// takes Up and Down as steps.
class TCustomUpDown : public TWinControl {
public:
  explicit TCustomUpDown(TComponent* AOwner);
  ~TCustomUpDown() override;

  TWinControl* Associate() const { return FAssociate; }
  void SetAssociate(TWinControl* Value);
  TUDAlignButton AlignButton() const { return FAlignButton; }
  void SetAlignButton(TUDAlignButton Value);
  bool ArrowKeys() const { return FArrowKeys; }
  void SetArrowKeys(bool Value) { FArrowKeys = Value; }
  Integer Min() const { return FMin; }
  void SetMin(Integer Value);
  Integer Max() const { return FMax; }
  void SetMax(Integer Value);
  Integer Increment() const { return FIncrement; }
  void SetIncrement(Integer Value) { FIncrement = Value; }
  // Reading it takes a number the user typed into the associate first.
  Integer Position();
  void SetPosition(Integer Value);
  bool Wrap() const { return FWrap; }
  void SetWrap(bool Value) { FWrap = Value; }
  bool Thousands() const { return FThousands; }
  void SetThousands(bool Value);
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation Value);
  // One step as a click of an arrow does: OnChanging may refuse; then OnClick.
  void Step(TUDBtnType Button);

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

protected:
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  virtual bool CanChange();

private:
  void UpdateAssociate();
  void PlaceBesideAssociate();
  void AssociateWndProc(TMessage& Message);
  TUDBtnType ButtonAt(Integer X, Integer Y) const;
  void WMTimer(TMessage& Message);
  TWinControl* FAssociate = nullptr;
  TWndMethod FAssociateProc;
  TUDAlignButton FAlignButton = udRight;
  bool FArrowKeys = true;
  Integer FMin = 0, FMax = 100, FIncrement = 1, FPosition = 0;
  bool FWrap = false;
  bool FThousands = true;
  TUDOrientation FOrientation = udVertical;
  Integer FHeld = -1;    // the arrow held down (btNext, btPrev), -1 none
  Integer FPressed = -1; // the arrow drawn pressed (the held one, while the pointer is on it)
  std::unique_ptr<TCanvas> FCanvas;
};

class TUpDown : public TCustomUpDown {
public:
  explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
};

void RegisterComCtrlsClasses();
