// The extra controls of the window layer: the timer (TTimer), panels and bevels (TPanel,
// TBevel), shapes, paint boxes and images (TShape, TPaintBox, TImage), the radio group
// (TRadioGroup), the notebook of pages (TNotebook) and the splitter (TSplitter). Each
// lives in ExtCtrls<Part>.cpp; StdCtrls.h holds the standard controls they build on.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Pictures.h"
#include "platform/ui/StdCtrls.h"

// Fires OnTimer every Interval milliseconds while Enabled, as WM_TIMER messages of a
// hidden window (so it runs in every message loop, nested ones included). A handler may
// disable or delete the timer it is called from.
class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  // Assigning a handler (re)starts the timer, as the platform's timer does.
  void SetOnTimer(const TNotifyEvent& Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindow = 0;
};

// ---- Panels and bevels ----

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;

// A container with bevels and a caption in its middle.
class TCustomPanel : public TCustomControl {
public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  Integer BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(Integer Value);
  // bsSingle gives the panel a sunken client edge.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Whether a resize repaints the whole panel (the bevels move); kept, as it always does.
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool Value) { FFullRepaint = Value; }
  // Whether the panel takes docked controls; kept for the forms that set it.
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool Value) { FDockSite = Value; }

protected:
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  // The width of the bevels and border inside the panel's edge.
  Integer BevelExtent() const;

private:
  TAlignment FAlignment = taCenter;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  Integer FBevelWidth = 1;
  TBorderStyle FBorderStyle = bsNone;
  bool FFullRepaint = true;
  bool FDockSite = false;
};

class TPanel : public TCustomPanel {
public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

enum TBevelStyle { bsLowered, bsRaised };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

// A windowless bevelled box, frame or line.
class TBevel : public TGraphicControl {
public:
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);

protected:
  void Paint() override;

private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

// ---- Shapes, paint boxes and images ----

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType Value);
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

protected:
  void Paint() override;

private:
  void StyleChanged(TObject* Sender);
  TShapeType FShape = stRectangle;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
};

// A windowless area whose OnPaint draws on its canvas.
class TPaintBox : public TGraphicControl {
public:
  explicit TPaintBox(TComponent* AOwner);
  TNotifyEvent OnPaint;

protected:
  void Paint() override;
};

// Shows a picture: at its own size (AutoSize fits the control to it), centred, or stretched
// (keeping its proportions with Proportional). Drawing on Canvas draws on a bitmap picture.
class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  // The bitmap's canvas (an empty picture becomes a bitmap of the control's size).
  TCanvas* Canvas();
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool IncrementalDisplay() const { return FIncrementalDisplay; }
  void SetIncrementalDisplay(bool Value) { FIncrementalDisplay = Value; }
  // Where the picture is drawn, in client coordinates.
  TRect DestRect() const;
  void LoadFromFile(const AnsiString& FileName) { FPicture->LoadFromFile(FileName); }

protected:
  void Paint() override;
  void AdjustSize() override;

private:
  void PictureChanged(TObject* Sender);
  std::unique_ptr<TPicture> FPicture;
  bool FCenter = false;
  bool FStretch = false;
  bool FProportional = false;
  bool FTransparent = false;
  bool FIncrementalDisplay = false;
};

// ---- Radio groups ----

class TCustomRadioGroup;

// A group box of radio buttons, one per item, in Columns columns; ItemIndex is the checked
// one (-1: none). Checking one, by the user or by code, is a click of the group.
class TCustomRadioGroup : public TCustomGroupBox {
public:
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer Value);
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  // The radio button of item Index.
  TRadioButton* Buttons(Integer Index) const;

protected:
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  virtual bool CanModify() { return true; }

private:
  void ItemsChanged(TObject* Sender);
  void UpdateButtons();
  void ArrangeButtons();
  void ButtonClicked(TRadioButton* Button);
  std::unique_ptr<TStringList> FItems;
  std::vector<TRadioButton*> FButtons;
  Integer FItemIndex = -1;
  Integer FColumns = 1;
  bool FUpdating = false;
  friend class TGroupButton;
};

class TRadioGroup : public TCustomRadioGroup {
public:
  explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

// ---- Notebook ----

// One page of a notebook: a plain container filling it.
class TPage : public TCustomControl {
public:
  explicit TPage(TComponent* AOwner);

protected:
  void Paint() override;
};

// A stack of named pages of which one shows.
class TNotebook : public TCustomControl {
public:
  explicit TNotebook(TComponent* AOwner);
  ~TNotebook() override;

  // The page names; adding a name adds a page, deleting one deletes its page.
  TStrings* Pages() const { return FPages.get(); }
  void SetPages(TStrings* Value) { FPages->Assign(Value); }
  Integer PageIndex() const { return FPageIndex; }
  void SetPageIndex(Integer Value);
  // The name of the page showing; setting a name that no page has changes nothing.
  AnsiString ActivePage() const;
  void SetActivePage(const AnsiString& Value);
  // The page control of a name (case ignored); null when none.
  TPage* PageByName(const AnsiString& Name) const;
  TPage* PageControl(Integer Index) const;

  TNotifyEvent OnPageChanged;

private:
  void PagesChanged(TObject* Sender);
  std::unique_ptr<TStringList> FPages;
  std::vector<TPage*> FPageControls;
  Integer FPageIndex = -1;
  bool FSyncing = false;
};

// ---- Splitter ----

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
using TCanResizeSplitterEvent = TEvent<void(TObject* Sender, Integer& NewSize, bool& Accept)>;

// A bar between a control aligned to one side and the rest: dragging it sizes that control
// (not below MinSize, and leaving MinSize for the rest). While dragging, a line (rsLine,
// rsPattern) shows where it goes, or the control follows at once (rsUpdate). AutoSnap closes
// the control when dragged below its minimum.
class TSplitter : public TGraphicControl {
public:
  explicit TSplitter(TComponent* AOwner);
  ~TSplitter() override;

  Integer MinSize() const { return FMinSize; }
  void SetMinSize(Integer Value) { FMinSize = std::max(Value, 1); }
  bool AutoSnap() const { return FAutoSnap; }
  void SetAutoSnap(bool Value) { FAutoSnap = Value; }
  bool Beveled() const { return FBeveled; }
  void SetBeveled(bool Value);
  TResizeStyle ResizeStyle() const { return FResizeStyle; }
  void SetResizeStyle(TResizeStyle Value) { FResizeStyle = Value; }
  // The control the splitter sizes (found when a drag starts).
  TControl* Control() const { return FControl; }
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TCanResizeSplitterEvent OnCanResize;
  TNotifyEvent OnMoved;
  TNotifyEvent OnPaint;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanResize(Integer& NewSize);
  virtual void StopSizing();

private:
  TControl* FindControl() const;
  bool Horizontal() const { return FAlign == alTop || FAlign == alBottom; }
  // The size the control gets with the pointer at Offset pixels from where the drag began.
  Integer NewSizeFor(Integer Offset) const;
  void ShowLine(Integer Size);
  void HideLine();
  void ApplySize(Integer Size);

  Integer FMinSize = 30;
  bool FAutoSnap = true;
  bool FBeveled = false;
  TResizeStyle FResizeStyle = rsPattern;
  TControl* FControl = nullptr;
  Integer FStartSize = 0; // the control's size when the drag began
  Integer FMaxSize = 0;   // the most the control may take
  TPoint FDownPos;        // where the drag began (parent client coordinates)
  Integer FNewSize = 0;
  bool FSizing = false;
  HOVERLAY FLine = 0;
};

void RegisterExtCtrlsClasses();
