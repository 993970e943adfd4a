// Forms, the application and the screen: TCustomForm/TForm (top-level windows with
// caption and border, show and hide, modal loops with modal results, closing with close
// queries and actions, placement, the active control and key preview), TApplication (the
// message loop, idle processing, exception handling, message boxes) and TScreen (forms,
// the active form and control, cursors, screen size). Controls.h holds the control base.
#pragma once

#include <algorithm>

#include "platform/rtl/DataModule.h"
#include "platform/ui/Controls.h"

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateElement {
  fsCreating,
  fsVisible,
  fsShowing,
  fsModal,
  fsCreatedMDIChild,
  fsActivated
};
using TFormState = TSet<TFormStateElement>;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

// ---- Scrolling containers ----

enum TScrollBarKind { sbHorizontal, sbVertical };
class TMainMenu;
class TScrollingWinControl;

// One scroll bar of a scrolling container: the range its children cover and how far the
// view has moved into it. Changing Position moves the children.
class TControlScrollBar : public TPersistent {
public:
  TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind)
      : FControl(Control), FKind(Kind)
  {
  }

  TScrollBarKind Kind() const { return FKind; }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value);
  Integer Range() const { return FRange; }
  void SetRange(Integer Value);
  Integer Increment() const { return FIncrement; }
  void SetIncrement(Integer Value) { FIncrement = std::max(Value, 1); }
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // True when the bar shows: visible and the range exceeds the client size.
  bool IsScrollBarVisible() const;
  void Assign(TPersistent* Source) override;

private:
  Integer ClientSize() const;
  Integer MaxPosition() const;
  void Update();
  void ScrollMessage(TMessage& Message);

  TScrollingWinControl* FControl;
  TScrollBarKind FKind;
  Integer FPosition = 0;
  Integer FRange = 0;
  Integer FIncrement = 8;
  Integer FMargin = 0;
  bool FTracking = false;
  bool FVisible = true;
  bool FAutoRange = false; // the range was computed by AutoScroll

  friend class TScrollingWinControl;
};

class TScrollingWinControl : public TWinControl {
public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;

  TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  // With AutoScroll the ranges follow the children's extent.
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool Value);
  // Scrolls so that the control (a descendant) is fully in view.
  void ScrollInView(TControl* AControl);
  // Moves every child by (DeltaX, DeltaY).
  void ScrollBy(Integer DeltaX, Integer DeltaY);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Dispatch(TMessage& Message) override;
  virtual void WMHScroll(TMessage& Message);
  virtual void WMVScroll(TMessage& Message);
  // Computes the ranges from the children (AutoScroll) and updates both bars.
  void UpdateScrollBars();

private:
  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;
  bool FAutoScroll = true;
  bool FUpdatingBars = false;

  friend class TControlScrollBar;
};

// A scrolling container with a sunken border; Tab and arrows stay with it (WM_GETDLGCODE).
class TScrollBox : public TScrollingWinControl {
public:
  explicit TScrollBox(TComponent* AOwner);
  void Dispatch(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
};

class TCustomForm : public TWinControl {
public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  void AfterConstruction() override; // fires OnCreate
  void BeforeDestruction() override; // fires OnDestroy

  // ---- Showing and closing ----
  void Show();
  void Hide();
  // Closes as the user would: a modal form ends its loop with mrCancel; otherwise
  // CloseQuery, then OnClose picks the action (the main form ends the application).
  void Close();
  // Deletes the form once the current message is done.
  void Release();
  // Runs a modal loop until ModalResult is set (and the close query agrees); the
  // application's other windows are disabled meanwhile. The result starts at 0 before the
  // form shows, so OnShow and OnActivate may already set it.
  TModalResult ShowModal();
  virtual bool CloseQuery();
  TModalResult ModalResult() const { return FModalResult; }
  // Setting a result while the form's modal loop runs wakes the loop, wherever it is set
  // from (a handler, a timer, a script step), so a loop waiting for input sees it.
  void SetModalResult(TModalResult Value);
  TFormState FormState() const { return FFormState; }

  // ---- Look and placement ----
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  // The canvas of the form's client area (valid while painting).
  TCanvas* Canvas() const { return FCanvas.get(); }
  bool Active() const { return FActive; }
  Integer PixelsPerInch() const { return ScreenPixelsPerInch; }
  // Kept for the forms that set them; windows are drawn opaque.
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  Byte AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(Byte Value) { FAlphaBlendValue = Value; }
  bool TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(bool Value) { FTransparentColor = Value; }
  TColor TransparentColorValue() const { return FTransparentColorValue; }
  void SetTransparentColorValue(TColor Value) { FTransparentColorValue = Value; }

  // ---- Focus ----
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  // Records Control as the focused control (CM_EXIT to the old one, CM_ENTER to the new);
  // false refuses the focus.
  virtual bool SetFocusedControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  void SetFocus() override;

  // ---- Keys ----
  // A key that may be a shortcut: OnShortCut, then the action lists the form owns. True
  // when something took it.
  virtual bool IsShortCut(Word Key, TShiftState Shift);
  TKeyEvent OnShortCut;

  // ---- Menu ----
  // The menu bar shown in the non-client area above the client area (an MDI child's menu
  // is merged into its frame's bar instead).
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);

  // ---- MDI ----
  Integer MDIChildCount() const;
  TCustomForm* MDIChildren(Integer Index) const;
  TCustomForm* ActiveMDIChild() const;
  // The frame's client area that hosts the children (a window of its own).
  TWinControl* ClientWindow() const { return FClientWindow; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnPaint;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Paint();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  void CloseModal();
  void ApplyPosition();
  // An MDI child comes to the front of its frame and becomes the active child.
  void MDIActivate();

  void Dispatch(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  virtual void WMActivate(TMessage& Message);
  virtual void WMClose(TMessage& Message);
  virtual void WMSysCommand(TMessage& Message);
  virtual void WMSysColorChange(TMessage& Message);
  virtual void WMSettingChange(TMessage& Message);
  virtual void WMThemeChanged(TMessage& Message);
  virtual void WMFontChange(TMessage& Message);
  virtual void CMRelease(TMessage& Message);
  virtual void WMMouseActivate(TMessage& Message);
  virtual void WMNextDlgCtl(TMessage& Message);
  void WMNCCalcSize(TMessage& Message) override;
  void WMNCPaint(TMessage& Message) override;
  virtual void WMNCHitTest(TMessage& Message);
  virtual void WMNCLButtonDown(TMessage& Message);
  // The frame's bar shows the active MDI child's menu merged into its own.
  void MergeChildMenu();

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  TFormState FFormState;
  TModalResult FModalResult = 0;
  bool FKeyPreview = false;
  bool FActive = false;
  bool FShownOnce = false;
  bool FAlphaBlend = false;
  Byte FAlphaBlendValue = 255;
  bool FTransparentColor = false;
  TColor FTransparentColorValue = 0;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TWinControl* FClientWindow = nullptr;
  TCustomForm* FActiveMDIChild = nullptr;
  std::unique_ptr<TCanvas> FCanvas;
  TMainMenu* FMenu = nullptr;

private:
  void SetWindowFocus();
  friend class TApplication;
};

class TForm : public TCustomForm {
public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  // CreateNew: a form without a form description, which with forms built in code is the
  // plain constructor.
  TForm(TComponent* AOwner, Integer Dummy) : TCustomForm(AOwner) { (void)Dummy; }
};

// The form a control sits on (null when none).
TCustomForm* GetParentForm(TControl* Control);

using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TEvent<void(TObject* Sender, Exception* E)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize() {}
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value) { FTitle = Value; }
  // Whether a changed locale setting reloads the format settings; our one locale profile
  // never changes, so the flag is kept for the program that sets it.
  bool UpdateFormatSettings() const { return FUpdateFormatSettings; }
  void SetUpdateFormatSettings(bool Value) { FUpdateFormatSettings = Value; }
  const AnsiString& HelpFile() const { return FHelpFile; }
  void SetHelpFile(const AnsiString& Value) { FHelpFile = Value; }
  AnsiString ExeName() const;
  TCustomForm* MainForm() const { return FMainForm; }

  // Creates a form (or data module) owned by the application; the first form becomes the
  // main form.
  template <class T> void CreateForm(T*& Reference)
  {
    T* form = new T(this);
    Reference = form;
    if constexpr (std::is_base_of_v<TCustomForm, T>)
      if (!FMainForm)
        SetMainForm(form);
    form->AfterConstruction();
  }

  // Shows the main form and processes messages until the application terminates.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Processes every message that is waiting, then returns.
  void ProcessMessages();
  // Processes one message, or idles (waits) when there is none.
  void HandleMessage();
  // Handles the exception being caught: EAbort is silent, OnException when assigned,
  // otherwise a message box. Call it from a catch block.
  void HandleException(TObject* Sender);
  void ShowException(Exception* E);
  // Stay-on-top windows step back into the normal band (so a message box can come in
  // front of them) and return; calls nest.
  void NormalizeTopMosts();
  void RestoreTopMosts();
  // A message box with the application's look: returns IDOK, IDCANCEL, IDYES, ...
  Integer MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags);
  Integer ModalLevel() const { return FModalLevel; }
  // Minimizes every shown form of the program (Restore brings them back as they were).
  void Minimize();
  void Restore();
  bool Minimized() const { return FMinimized; }
  bool Active() const { return GetForegroundWindow() != 0; }
  // ---- Hints ----
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  Integer HintPause() const { return FHintPause; }
  void SetHintPause(Integer Value) { FHintPause = Value; }
  Integer HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(Integer Value) { FHintShortPause = Value; }
  Integer HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(Integer Value) { FHintHidePause = Value; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  THintWindowClass HintWindowClass() const { return FHintWindowClass; }
  void SetHintWindowClass(THintWindowClass Value);
  // Shows the hint of the control under the pointer now; CancelHint takes it away.
  void ActivateHint(TPoint CursorPos);
  void CancelHint();
  // The hint window in use (null before the first hint).
  THintWindow* HintWindow() const { return FHintWindow; }

  // A program terminates once; tests run many loops: forgets the terminated state and the
  // main form, and starts the forms' default placement and the controls' state afresh.
  void Restart();

  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  // The application as a whole gained or lost the activation (another program came forward).
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void SetMainForm(TCustomForm* Form);
  bool ProcessMessage(MSG& Msg);
  // Idle work (the mouse control, OnIdle); true when done and the loop may wait.
  bool Idle();
  static bool FilterMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  void HintMouseMessage(TControl* Control, TPoint CursorPos);
  void StartHintTimer(Integer Delay, bool Show);
  void HintTimerProc(TMessage& Message);
  void AppWndProc(TMessage& Message);

  AnsiString FTitle;
  AnsiString FHelpFile;
  bool FUpdateFormatSettings = true;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FShowHint = true;
  Integer FModalLevel = 0;
  Integer FSystemChangeCookie = 0;
  Integer FHintPause = 500;
  Integer FHintShortPause = 50;
  Integer FHintHidePause = 2500;
  TColor FHintColor = clInfoBk;
  THintWindow* FHintWindow = nullptr;
  THintWindowClass FHintWindowClass = nullptr;
  THintWindowClass FHintWindowMadeBy = nullptr; // the class the hint window was made by
  TControl* FHintControl = nullptr;
  bool FHintActive = false;
  bool FHintTimerShows = false;
  TRect FHintCursorRect; // screen coordinates
  HWND FHintTimerWnd = 0;
  Integer FTopMostLevel = 0;
  HWND FAppWindow = 0; // hears WM_ACTIVATEAPP
  bool FMinimized = false;
  std::vector<HWND> FMinimizedWindows;
  std::vector<HWND> FTopMostList;

  friend class TCustomForm;
};

class TScreen : public TComponent {
public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  Integer Width() const;
  Integer Height() const;
  Integer PixelsPerInch() const { return ScreenPixelsPerInch; }
  TRect DesktopRect() const;
  TRect WorkAreaRect() const;
  Integer FormCount() const { return static_cast<Integer>(FForms.size()); }
  TCustomForm* Forms(Integer Index) const;
  // The live data modules (DataModule.h).
  Integer DataModuleCount() const { return ::DataModuleCount(); }
  TDataModule* DataModules(Integer Index) const { return ::DataModules(Index); }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TCustomForm* ActiveCustomForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  // The font names users can pick, sorted (read once, on first use).
  TStrings* Fonts();
  // Forgets the font list (fonts came or went); Fonts lists them again.
  void ResetFonts();
  // The cursor shown everywhere while not crDefault (an hourglass during long work).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The cursor handle of an id; ids nobody registered give the arrow. Registering 0 or
  // a standard id is refused.
  HCURSOR Cursors(TCursor Index) const;
  void SetCursors(TCursor Index, HCURSOR Value);

private:
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);

  std::vector<TCustomForm*> FForms;
  std::unique_ptr<TStringList> FFonts;
  std::vector<std::pair<TCursor, HCURSOR>> FCursors; // our own cursors by id
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCursor FCursor = 0;

  friend class TCustomForm;
};

TApplication* Application();
TScreen* Screen();
// A form or data module by name (case ignored); null when none has it.
TComponent* FindGlobalComponent(const AnsiString& Name);

// One button of a message box: its text and the modal result it closes the box with.
struct TMessageBoxButton {
  AnsiString Caption;
  TModalResult Result;
};
// Shows a modal message box with the text above a row of buttons, centred on the screen,
// in front of stay-on-top forms. The button at DefaultIndex has the focus and answers
// Enter; the mrCancel button (or a lone button) answers Esc and the close box. Returns the
// modal result of the button pressed.
TModalResult ShowMessageBox(const AnsiString& Text, const AnsiString& Caption,
                            const std::vector<TMessageBoxButton>& Buttons, Integer DefaultIndex);

// The class records of this unit, and the unit's start-up (Application, Screen).
void RegisterFormsClasses();
void InitializeForms();
void FinalizeForms();
