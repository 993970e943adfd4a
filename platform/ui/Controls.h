// The component framework's control classes: TControl (bounds, alignment, visibility,
// colour and font, mouse handling, the message dispatch), TWinControl (a window of the
// window manager behind it, children, focus, keys, painting), TGraphicControl (windowless,
// painted and fed by its parent) and TCustomControl (a window with a canvas). Windows.h is
// the window manager underneath; Forms.h builds forms and the application on top.
//
// Dispatch: a message reaches a control through WindowProc (assignable; by default
// WndProc). WndProc does the framework's duties (capture, clicks, focus on click, routing
// mouse input to windowless children) and then calls Dispatch, one switch from message
// number to a handler named after the message (WMLButtonDown, CMMouseEnter, ...).
// Handlers are virtual; an override calls the inherited handler for the default
// behaviour, which ends at DefaultHandler (the window's default procedure).
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Consts.h"
#include "platform/ui/Windows.h"

class TControl;
class TWinControl;
class TCustomForm;
class TBasicAction;
class TControlActionLink;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TDragKind { dkDrag, dkDock };
enum TImeMode {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};

enum TControlStyleElement {
  csAcceptsControls,
  csCaptureMouse,
  csDesignInteractive,
  csClickEvents,
  csFramed,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents
};
using TControlStyle = TSet<TControlStyleElement>;

enum TControlStateElement {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking
};
using TControlState = TSet<TControlStateElement>;

using TWndMethod = TEvent<void(TMessage& Message)>;
using TMouseEvent =
    TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent = TEvent<void(TObject* Sender, TShiftState Shift, Integer WheelDelta,
                                     TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TCanResizeEvent =
    TEvent<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;

// ---- Dragging ----
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// What is being dragged. The drag loop fills in where it is and over what.
class TDragObject : public TObject {
public:
  // The cursor while dragging: crDrag over a target that accepts, crNoDrop elsewhere.
  virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y);
  TControl* DragTarget() const { return FDragTarget; }
  TPoint DragPos() const { return FDragPos; }
  // True once the drag ended (dropped or cancelled).
  bool Finished() const { return FFinished; }
  // True for an object that a control's OnStartDrag or DoStartDrag made for the drag alone:
  // the drag frees it when it is over (after OnEndDrag). Others stay their maker's.
  virtual bool FreedAfterDrag() const { return false; }

private:
  TControl* FDragTarget = nullptr;
  TPoint FDragPos;
  bool FFinished = false;
  friend class TControl;
  friend struct TDragLoop;
};

// The default drag object: a control dragging itself.
class TDragControlObject : public TDragObject {
public:
  explicit TDragControlObject(TControl* AControl) : FControl(AControl) {}
  TControl* Control() const { return FControl; }

private:
  TControl* FControl;
};

using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TDragOverEvent = TEvent<void(TObject* Sender, TObject* Source, Integer X, Integer Y,
                                   TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;

// The shift state of a key message's key data, or of mouse key flags.
TShiftState KeyDataToShiftState(LPARAM KeyData);
TShiftState KeysToShiftState(Word Keys);
// The point of a mouse message (client coordinates, signed 16-bit).
inline TPoint MessagePoint(const TMessage& Message)
{
  return PointFromLParam(Message.LParam);
}

// Size limits of a control; 0 = no limit.
struct TSizeConstraints {
  Integer MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
};

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  void BeforeDestruction() override;

  // ---- Tree ----
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }

  // ---- Geometry (parent client coordinates) ----
  Integer Left() const { return FLeft; }
  Integer Top() const { return FTop; }
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  virtual TRect ClientRect() const;
  Integer ClientWidth() const { return ClientRect().Width(); }
  Integer ClientHeight() const { return ClientRect().Height(); }
  // The size is set so that the client area gets the size given (a windowed control
  // without its window yet: see TWinControl).
  virtual void SetClientWidth(Integer Value);
  virtual void SetClientHeight(Integer Value);
  // Screen position of the client area's top-left.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint Point) const;
  TPoint ScreenToClient(TPoint Point) const;
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints& Constraints() { return FConstraints; }
  // The control fits its size to its content (a windowed control: to its children) when
  // the content changes.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);

  // ---- State ----
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show();
  void Hide();
  // Visible with every parent up to the top.
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  AnsiString Caption() const { return GetText(); }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  AnsiString Text() const { return GetText(); }
  void SetText(const AnsiString& Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);
  NativeInt HelpContext() const { return FHelpContext; }
  void SetHelpContext(NativeInt Value) { FHelpContext = Value; }
  // The menu a right click (WM_CONTEXTMENU) opens when the popup handler left it; its
  // shortcuts work while the control or a child of it has the focus.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  // Kept for the forms and libraries that set them: every control is drawn with the same
  // bevels whatever Ctl3D says, and text always runs left to right.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value) { FParentCtl3D = Value; }
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }

  // ---- Messages ----
  // Sends a message straight to WindowProc; returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  // Where messages go first; assign a method to see (and pass on) every message.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  // One switch from message number to handler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // ---- Painting and order ----
  virtual void Invalidate();
  void Repaint();
  void Refresh() { Repaint(); }
  virtual void Update();
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }

  // A click executes the linked action (with it as the sender) unless OnClick was set to
  // something else.
  virtual void Click();
  virtual void DblClick();
  // The action the control follows (caption, enabled, hint, visible) and runs when clicked.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);

  // ---- Dragging ----
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  // Whether dragging moves the control as a drag (dkDrag) or docks it (dkDock).
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind Value) { FDragKind = Value; }
  // Starts dragging this control: at once, or once the pointer has moved Threshold pixels
  // with the button down (-1: the mouse's drag threshold). Returns when the drag is over.
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  bool Dragging() const;
  // Asked while something is dragged over the control (client coordinates); Accept starts
  // as "has an OnDragOver handler".
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);

  // ---- Events ----
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TContextPopupEvent OnContextPopup;
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
  virtual AnsiString GetText() const { return FText; }
  virtual void SetTextInternal(const AnsiString& Value) { FText = Value; }
  virtual void SetZOrder(bool TopMost);
  virtual bool CanResize(Integer& NewWidth, Integer& NewHeight);
  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  // Tells the focused control that another control of the application was pressed.
  void SendCancelMode(TControl* Sender);
  // The colour and font of the parent, when this control follows them.
  void ParentColorChanged();
  void ParentFontChanged();
  // Fits the size to the content; called while AutoSize is on (the base does nothing).
  virtual void AdjustSize() {}
  // The end of loading: a control with AutoSize on fits itself now, since fitting is
  // skipped while it loads.
  void Loaded() override;
  // Checks the size against Constraints.
  void ConstrainSize(Integer& W, Integer& H) const;
  // Called when bounds changed (the windowed control after its window moved).
  void UpdateAnchorRules();

  // ---- Message handlers ----
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMLButtonDblClk(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMRButtonUp(TMessage& Message);
  virtual void WMRButtonDblClk(TMessage& Message);
  virtual void WMMButtonDown(TMessage& Message);
  virtual void WMMButtonUp(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMMouseWheel(TMessage& Message);
  virtual void WMContextMenu(TMessage& Message);
  virtual void WMCancelMode(TMessage& Message);
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMCursorChanged(TMessage& Message);
  virtual void CMHitTest(TMessage& Message);
  virtual void CMMouseWheel(TMessage& Message);

  TWinControl* FParent = nullptr;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  TRect FAnchorBounds;     // the bounds the anchors keep their distances from
  TSize FAnchorClient;     // the parent's client size when those bounds were set
  bool FAnchoring = false; // bounds being set by the anchors themselves
  TSizeConstraints FConstraints;
  bool FAutoSize = false;
  bool FVisible = true;
  bool FEnabled = true;
  AnsiString FText;
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = 0;
  NativeInt FHelpContext = 0;
  TDragMode FDragMode = dmManual;
  TDragKind FDragKind = dkDrag;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  std::unique_ptr<TControlActionLink> FActionLink;
  TPopupMenu* FPopupMenu = nullptr;
  TCursor FDragCursor = -12; // crDrag
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;

private:
  void FontChanged(TObject* Sender);
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);

  friend class TWinControl;
  friend class TScrollingWinControl;
  friend struct TDragLoop;
};

// Window creation parameters a control fills in before its window is made.
struct TCreateParams {
  AnsiString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = 0;
  void* Param = nullptr;
  WNDCLASS WindowClass;
  AnsiString WinClassName;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // ---- The window ----
  // The window, created on first use (with the parent's, when there is a parent).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != 0; }
  void HandleNeeded() { Handle(); }
  // The window a parent-less control's window is owned by (or made a child of).
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value) { FParentWindow = Value; }
  // Destroys the window and makes a new one (keeping the text).
  void RecreateWnd();
  void DestroyHandle();

  // ---- Children ----
  Integer ControlCount() const { return static_cast<Integer>(FControls.size()); }
  // Children in painting order: the last one is in front.
  TControl* Controls(Integer Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(const TControl* Control) const;
  // The child under a client point (the front-most one); windowed children only when asked.
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false) const;
  void Realign();
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  // Renders the control and its children into a canvas with the control's top-left at
  // (X, Y): background, painting, then windowless and windowed children.
  void PaintTo(TCanvas* Canvas, Integer X, Integer Y);

  // ---- Focus and tab order ----
  bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  Integer TabOrder() const;
  void SetTabOrder(Integer Value);
  // Windowed children in tab order, recursively.
  void GetTabOrderList(std::vector<TWinControl*>& List) const;
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                               bool CheckParent) const;
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  void SelectFirst();

  TBrush* Brush() const { return FBrush.get(); }
  // A frame of the control's colour inside its window, around the client area.
  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer Value);
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
  // Whether a themed parent's background shows through; kept, as every control paints its
  // own background.
  bool ParentBackground() const { return FParentBackground; }
  void SetParentBackground(bool Value) { FParentBackground = Value; }
  // The input method the control asks for while it has the focus, for the backend's input
  // method bridge (imDisable and imClose mean off). ImeName is kept for the forms that set it.
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  const AnsiString& ImeName() const { return FImeName; }
  void SetImeName(const AnsiString& Value) { FImeName = Value; }

  void SetParent(TWinControl* AParent) override;
  void Invalidate() override;
  void Update() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  bool Showing() const override;
  TPoint ClientOrigin() const override;
  TRect ClientRect() const override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Before the window exists its frame is not known: the client size is kept and set
  // again once the window is made, unless the control's size changed in between.
  void SetClientWidth(Integer Value) override;
  void SetClientHeight(Integer Value) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

protected:
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  void CreateHandle();
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // The client area grows or shrinks to end at the right and bottom edges of the visible
  // children that are not aligned to the client area.
  void AdjustSize() override;
  virtual void AdjustClientRect(TRect& Rect) {}
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);
  void PaintHandler(TMessage& Message);
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  // The form's key preview, then the control's key event; true when the key was eaten.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  template <class TKey, class THandler>
  bool DeliverKey(TMessage& Message, TKey key, THandler handler);
  virtual void DoEnter();
  virtual void DoExit();
  void SetZOrder(bool TopMost) override;
  AnsiString GetText() const override;
  void SetTextInternal(const AnsiString& Value) override;
  // Sends a message to every child.
  void Broadcast(TMessage& Message);
  // Updates the window's visibility and enabled state from the control's.
  void UpdateShowing();

  // ---- Message handlers ----
  virtual void WMPaint(TMessage& Message);
  virtual void WMEraseBkgnd(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMWindowPosChanged(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMSysKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMSysKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  virtual void WMCommand(TMessage& Message);
  virtual void WMScroll(TMessage& Message);
  // Owner-draw requests of a child window go back to that child as CN_DRAWITEM and
  // CN_MEASUREITEM.
  virtual void WMDrawItem(TMessage& Message);
  virtual void WMMeasureItem(TMessage& Message);
  virtual void WMSetCursor(TMessage& Message);
  virtual void WMNCDestroy(TMessage& Message);
  virtual void WMCaptureChanged(TMessage& Message);
  virtual void WMNCCalcSize(TMessage& Message);
  virtual void WMNCPaint(TMessage& Message);
  virtual void CNKeyDown(TMessage& Message);
  virtual void CNKeyUp(TMessage& Message);
  virtual void CNChar(TMessage& Message);
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  virtual void CMChildKey(TMessage& Message);
  virtual void CMFocusChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  virtual void CMShowingChanged(TMessage& Message);

  HWND FHandle = 0;
  HWND FParentWindow = 0;
  std::vector<TControl*> FControls;   // painting order, front last
  std::vector<TWinControl*> FTabList; // tab order
  bool FTabStop = false;
  std::unique_ptr<TBrush> FBrush;
  bool FDoubleBuffered = false;
  bool FParentBackground = true;
  TImeMode FImeMode = imDontCare;
  AnsiString FImeName;
  Integer FBorderWidth = 0;
  Integer FAlignLevel = 0;
  bool FShowing = false;

private:
  // A client size set before the window existed (-1: none), with the size it gave then.
  struct TPendingClientSize {
    Integer Client = -1;
    Integer SizeThen = -1;
  };
  void ApplyPendingClientSize();
  TPendingClientSize FPendingClientWidth, FPendingClientHeight;

  void DoAlign(TAlign AAlign, TRect& Rect);
  void ApplyAnchors();
  bool IsControlMouseMsg(TMessage& Message);
  void BrushChanged(TObject* Sender);

  friend class TControl;
  friend LRESULT ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
};

// A control without a window of its own: painted by its parent, fed through it.
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  // A canvas on the parent's window, clipped to this control (outside painting: drawing
  // goes straight to the screen).
  TCanvas* Canvas();
  void Dispatch(TMessage& Message) override;

protected:
  virtual void Paint() {}
  virtual void WMPaint(TMessage& Message);

private:
  std::unique_ptr<TCanvas> FCanvas;
  HDC FOwnDC = 0;
};

// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas.get(); }

protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

private:
  std::unique_ptr<TCanvas> FCanvas;
};

class THintWindow;
// Makes a hint window (a THintWindow or a descendant).
using THintWindowClass = THintWindow* (*)(TComponent* Owner);

// What the hint manager is about to show; controls may change it when asked with
// CM_HINTSHOW (LParam points at it; a non-zero answer shows nothing). An empty HintStr
// shows nothing until the pointer leaves CursorRect, when the control is asked again.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos; // screen position of the hint window's top-left
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect; // client coordinates of HintControl; leaving it ends the hint
  TPoint CursorPos; // client coordinates of HintControl
  Integer ReshowTimeout = 0;
  Integer HideTimeout = -1;
  AnsiString HintStr;
  // The window class of this hint (the application's unless the control names another)
  // and data the window reads (a font, say), handed to CalcHintRect and ActivateHintData.
  THintWindowClass HintWindowClass = nullptr;
  void* HintData = nullptr;
};

// The small topmost window that shows a hint: never activated, never focused.
class THintWindow : public TCustomControl {
public:
  explicit THintWindow(TComponent* AOwner);
  // Shows Hint in Rect (screen coordinates), in front of everything, without activation.
  virtual void ActivateHint(TRect Rect, const AnsiString& Hint);
  // ActivateHint with data a descendant's own hint window reads (the default ignores it).
  virtual void ActivateHintData(TRect Rect, const AnsiString& Hint, void* Data)
  {
    ActivateHint(Rect, Hint);
  }
  // The size the text needs within MaxWidth: the measured text plus 6 wide and 2 high.
  virtual TRect CalcHintRect(Integer MaxWidth, const AnsiString& Hint);
  // CalcHintRect with the hint's data (the default ignores it).
  virtual TRect CalcHintRectData(Integer MaxWidth, const AnsiString& Hint, void* Data)
  {
    return CalcHintRect(MaxWidth, Hint);
  }
  void ReleaseHandle() { DestroyHandle(); }

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

// The control behind a window of ours; null for 0 and for windows of no control.
TWinControl* FindControl(HWND Handle);
// The control (windowed or not) under a screen point.
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
// Where a popup of Size goes for an anchor (screen coordinates): below the anchor, left
// edges aligned, or above it when there is no room below; kept inside the work area.
TPoint PopupPosition(const TRect& Anchor, TSize Size);

// Ends the drag in progress without a drop.
void CancelDrag();
// The object being dragged (null when nothing is).
TDragObject* DragObject();

// The control that has the mouse captured (a windowless control through its parent).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// Points a canvas at what a device context draws on (surface, origin, clip); null detaches.
void BindCanvasToDC(TCanvas& Canvas, HDC DC);

// Hidden message-only windows that still receive broadcasts: messages go to Method.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

// The platform's mouse settings.
class TMouse {
public:
  TPoint CursorPos() const;
  void SetCursorPos(TPoint Value);
  HWND Capture() const { return GetCapture(); }
  void SetCapture(HWND Value);
  Integer DragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(Integer Value) { FDragThreshold = Value; }
  Integer WheelScrollLines() const { return FWheelScrollLines; }
  void SetWheelScrollLines(Integer Value) { FWheelScrollLines = Value; }
  bool MousePresent() const { return true; }
  bool WheelPresent() const { return true; }

private:
  Integer FDragThreshold = 5;
  Integer FWheelScrollLines = 3;
};

TMouse* Mouse();

// Sends CM_MOUSELEAVE / CM_MOUSEENTER when the control under the mouse changed (the
// application calls it when idle and after mouse moves).
void UpdateMouseControl();
// The control under the mouse as of the last UpdateMouseControl.
TControl* MouseControl();

// Registers the class records of this unit.
void RegisterControlsClasses();
