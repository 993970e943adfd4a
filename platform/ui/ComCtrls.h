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

// ---- Tree view ----

class TTreeNodes;
class TCustomTreeView;

// One node of a tree view: its text, a pointer-sized Data, images, and its children.
class TTreeNode : public TPersistent {
public:
  ~TTreeNode() override;

  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Integer SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(Integer Value);
  Integer StateIndex() const { return FStateIndex; }
  void SetStateIndex(Integer Value);
  // Drawn in a bold face (the tree's custom drawing of marked nodes).
  bool Bold() const { return FBold; }
  void SetBold(bool Value);

  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool Value);
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  // Shows a button even before children are added (they may be added on expanding).
  bool HasChildren() const { return FHasChildren || !FChildren.empty(); }
  void SetHasChildren(bool Value);

  Integer Count() const { return static_cast<Integer>(FChildren.size()); }
  TTreeNode* Item(Integer Index) const;
  TTreeNode* Parent() const { return FParent; }
  Integer Level() const;
  // The position among its siblings.
  Integer Index() const;
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
  TTreeNode* GetLastChild() const { return FChildren.empty() ? nullptr : FChildren.back(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next and previous node in the whole tree (depth first).
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  // The next and previous node a user sees (inside expanded parents).
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  bool IsVisible() const;
  bool HasAsParent(const TTreeNode* Value) const;

  bool Selected() const;
  void SetSelected(bool Value);
  // Expands the parents and scrolls the node into view.
  void MakeVisible();
  // Starts editing the text in place; false when the tree refuses.
  bool EditText();
  void EndEdit(bool Cancel);
  void Delete();
  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  explicit TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}
  TTreeNodes* FOwner;
  TTreeNode* FParent = nullptr;
  std::vector<TTreeNode*> FChildren; // owned
  AnsiString FText;
  void* FData = nullptr;
  Integer FImageIndex = -1, FSelectedIndex = -1, FStateIndex = -1;
  bool FExpanded = false;
  bool FHasChildren = false;
  bool FBold = false;
};

// The nodes of a tree view, top-level nodes first; Item and Count walk the whole tree in
// depth-first order.
class TTreeNodes : public TPersistent {
public:
  explicit TTreeNodes(TCustomTreeView* AOwner) : FOwner(AOwner) {}
  ~TTreeNodes() override;

  // A node after the last sibling of Sibling (at the top level without one).
  TTreeNode* Add(TTreeNode* Sibling, const AnsiString& S);
  TTreeNode* AddObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr);
  // A node before Sibling.
  TTreeNode* Insert(TTreeNode* Sibling, const AnsiString& S);
  // The last child of Parent (at the top level without one).
  TTreeNode* AddChild(TTreeNode* Parent, const AnsiString& S);
  TTreeNode* AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Ptr);
  TTreeNode* AddChildFirst(TTreeNode* Parent, const AnsiString& S);
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  Integer Count() const;
  TTreeNode* Item(Integer Index) const;
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
  const std::vector<TTreeNode*>& Roots() const { return FRoots; }
  TCustomTreeView* Owner() const { return FOwner; }

private:
  friend class TTreeNode;
  TTreeNode* InsertAt(TTreeNode* Parent, Integer Index, const AnsiString& S, void* Ptr);
  std::vector<TTreeNode*>& SiblingsOf(TTreeNode* Parent)
  {
    return Parent ? Parent->FChildren : FRoots;
  }
  void Changed();
  TCustomTreeView* FOwner;
  std::vector<TTreeNode*> FRoots; // owned
  Integer FUpdateCount = 0;
};

using TTVChangedEvent = TEvent<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVEditedEvent = TEvent<void(TObject* Sender, TTreeNode* Node, AnsiString& S)>;
using TTVEditingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVExpandingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVExpandedEvent = TEvent<void(TObject* Sender, TTreeNode* Node)>;

// A tree of nodes drawn as indented rows with expand buttons, lines and images; one node
// is selected; a node's text can be edited in place (F2, or EditText).
class TCustomTreeView : public TCustomControl {
public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() const { return FItems.get(); }
  TTreeNode* Selected() const { return FSelected; }
  // Asks OnChanging, then selects, shows and tells OnChange.
  void SetSelected(TTreeNode* Value);
  TTreeNode* TopItem() const;
  void SetTopItem(TTreeNode* Value);
  TTreeNode* GetNodeAt(Integer X, Integer Y);
  void FullExpand();
  void FullCollapse();
  bool IsEditing() const { return FEditNode != nullptr; }
  TEdit* EditControl() const { return FEditNode ? FEditor : nullptr; }

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool Value);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool Value);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  Integer Indent() const { return FIndent; }
  void SetIndent(Integer Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Height of one row: the text's height plus a margin.
  Integer ItemHeight();

  TTVChangedEvent OnChange;
  TTVChangingEvent OnChanging;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandingEvent OnExpanding;
  TTVExpandingEvent OnCollapsing;
  TTVExpandedEvent OnExpanded;
  TTVExpandedEvent OnCollapsed;
  TTVExpandedEvent OnDeletion;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DblClick() override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanChange(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual bool CanExpand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Edit(TTreeNode* Node, AnsiString& S);

private:
  friend class TTreeNode;
  friend class TTreeNodes;
  void NodesChanged();
  void NodeDeleting(TTreeNode* Node);
  void StartEdit(TTreeNode* Node);
  void FinishEdit(bool Cancel);
  std::vector<TTreeNode*> VisibleNodes() const;
  Integer RowOf(const TTreeNode* Node) const;
  Integer VisibleRows();
  void UpdateScrollBars();
  void ScrollTo(Integer Row);
  TRect TextRect(TTreeNode* Node, Integer Row);
  Integer TextLeft(const TTreeNode* Node) const;

  std::unique_ptr<TTreeNodes> FItems;
  TTreeNode* FSelected = nullptr;
  Integer FTopRow = 0;
  bool FReadOnly = false;
  bool FShowRoot = true;
  bool FShowLines = true;
  bool FShowButtons = true;
  bool FRowSelect = false;
  bool FHideSelection = true;
  Integer FIndent = 19;
  TCustomImageList* FImages = nullptr;
  TBorderStyle FBorderStyle = bsSingle;
  TEdit* FEditor = nullptr; // made on the first edit, hidden between edits
  TTreeNode* FEditNode = nullptr;
  bool FEnding = false;
};

class TTreeView : public TCustomTreeView {
public:
  explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};

// ---- List view ----

class TListItems;
class TCustomListView;

// One item of a list view: caption, image and a pointer-sized Data.
class TListItem : public TPersistent {
public:
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  Integer Index() const;
  bool Selected() const;
  void SetSelected(bool Value);
  void Delete();
  TListItems* Owner() const { return FOwner; }

private:
  friend class TListItems;
  explicit TListItem(TListItems* AOwner) : FOwner(AOwner) {}
  TListItems* FOwner;
  AnsiString FCaption;
  Integer FImageIndex = -1;
  void* FData = nullptr;
};

class TListItems : public TPersistent {
public:
  explicit TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListItems() override;
  TListItem* Add();
  void Delete(Integer Index);
  void Clear();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TListItem* Item(Integer Index) const;
  TCustomListView* Owner() const { return FOwner; }

private:
  friend class TListItem;
  void Changed();
  TCustomListView* FOwner;
  std::vector<TListItem*> FItems; // owned
  Integer FUpdateCount = 0;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
using TLVSelectItemEvent = TEvent<void(TObject* Sender, TListItem* Item, bool Selected)>;

// Items shown as large icons with their captions beneath, in rows that wrap at the
// client's width (vsIcon), or as a list of small icons and captions (the other styles).
// One item is selected at a time.
class TCustomListView : public TCustomControl {
public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;
  TListItems* Items() const { return FItems.get(); }
  TListItem* Selected() const { return FSelected; }
  void SetSelected(TListItem* Value);
  Integer ItemIndex() const { return FSelected ? FSelected->Index() : -1; }
  void SetItemIndex(Integer Value);
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TListItem* GetItemAt(Integer X, Integer Y);
  // The item's cell (client coordinates, scrolled).
  TRect ItemRect(Integer Index);

  TLVSelectItemEvent OnSelectItem;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TListItems;
  friend class TListItem;
  void ItemsChanged();
  void ItemDeleting(TListItem* Item);
  TSize CellSize();
  Integer Columns();
  void ScrollTo(Integer Y);
  void UpdateScrollBars();
  Integer ContentHeight();

  std::unique_ptr<TListItems> FItems;
  TListItem* FSelected = nullptr;
  TViewStyle FViewStyle = vsIcon;
  TCustomImageList* FLargeImages = nullptr;
  TCustomImageList* FSmallImages = nullptr;
  TBorderStyle FBorderStyle = bsSingle;
  Integer FScrollY = 0;
};

class TListView : public TCustomListView {
public:
  explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}
};

// ---- Month calendar ----

// One month as a grid of days: a title with the month, the year and buttons to the previous
// and next month, a row of day names, six weeks (the days of the neighbouring months grey),
// optional week numbers and a link to today. A click on a day or the arrow keys choose the
// date; Page Up and Page Down change the month. MCM_HITTEST and HitTest name the part under a
// point with the MCHT_ codes of CommCtrl.h.
class TMonthCalendar : public TCustomControl {
public:
  explicit TMonthCalendar(TComponent* AOwner);

  TDateTime Date() const { return FDate; }
  void SetDate(TDateTime Value);
  // 0 Sunday ... 6 Saturday.
  Integer FirstDayOfWeek() const { return FFirstDayOfWeek; }
  void SetFirstDayOfWeek(Integer Value);
  bool WeekNumbers() const { return FWeekNumbers; }
  void SetWeekNumbers(bool Value);
  bool ShowToday() const { return FShowToday; }
  void SetShowToday(bool Value);
  // The date the today link names (the clock's date unless set).
  TDateTime Today() const;
  void SetToday(TDateTime Value) { FToday = Value; }
  // The smallest size showing a whole month (client coordinates from 0, 0).
  TRect MinimalRect();
  // The part under a client point; Date receives the day under it, when there is one.
  UINT HitTest(TPoint Point, TDateTime* Date = nullptr);
  TNotifyEvent OnChange;

protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  struct TLayout {
    Integer CellW = 0, RowH = 0, Margin = 4, TitleH = 0, HeaderH = 0, TodayH = 0, WeekW = 0;
    TRect Title, Prev, Next, MonthText, YearText, Header, Days, TodayLink;
  };
  TLayout Layout();
  TDateTime FirstShownDay() const;
  void ChangeDate(TDateTime Value);
  void ShowMonth(Integer Delta);

  TDateTime FDate;
  TDateTime FToday = 0;
  Integer FFirstDayOfWeek = 0;
  bool FWeekNumbers = false;
  bool FShowToday = true;
};

void RegisterComCtrlsClasses();
