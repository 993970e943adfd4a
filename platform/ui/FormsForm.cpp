// TCustomForm and TForm: a top-level (or MDI child) window with its border, caption, menu,
// active control, modal loop, position and state. Forms.h describes the unit;
// FormsApplication.cpp holds the application object.
#include <algorithm>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/FormsPrivate.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

// ---- Registration ---------------------------------------------------------------------------

// The unit's types and classes, base first.
void RegisterFormsClasses()
{
  RegisterScrollingClasses();
  RegisterFormClasses();
  RegisterApplicationClass();
  RegisterScreenClass();
}

void RegisterFormClasses()
{
  RegisterEnumType<TFormStyle>("TFormStyle",
                               {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
  RegisterEnumType<TFormBorderStyle>(
      "TFormBorderStyle",
      {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
  RegisterEnumType<TBorderIcon>("TBorderIcon",
                                {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
  RegisterSetType<TBorderIcons>("TBorderIcons");
  RegisterEnumType<TPosition>(
      "TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
  RegisterEnumType<TWindowState>("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
  RegisterEnumType<TCloseAction>("TCloseAction", {"caNone", "caHide", "caFree", "caMinimize"});
  RegisterEventType<TCloseEvent>("TCloseEvent");
  RegisterEventType<TCloseQueryEvent>("TCloseQueryEvent");
  TClassRegistration<TCustomForm, TWinControl>("TCustomForm")
      .Property("AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend)
      .Default(false)
      .Property("AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue)
      .Default(255)
      .Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
      .Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
      .Default(bsSizeable)
      .Property("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
      .Property("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
      .Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle)
      .Default(fsNormal)
      .Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
      .Default(false)
      .Property("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
      .Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition)
      .Default(poDesigned)
      .Property("TransparentColor", &TCustomForm::TransparentColor,
                &TCustomForm::SetTransparentColor)
      .Default(false)
      .Property("TransparentColorValue", &TCustomForm::TransparentColorValue,
                &TCustomForm::SetTransparentColorValue)
      .Type(TColorTypeInfo())
      .Default(0)
      .Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState)
      .Default(wsNormal)
      .Property("OnActivate", &TCustomForm::OnActivate, &TCustomForm::OnActivate)
      .Property("OnClose", &TCustomForm::OnClose, &TCustomForm::OnClose)
      .Property("OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::OnCloseQuery)
      .Property("OnCreate", &TCustomForm::OnCreate, &TCustomForm::OnCreate)
      .Property("OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::OnDeactivate)
      .Property("OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::OnDestroy)
      .Property("OnHide", &TCustomForm::OnHide, &TCustomForm::OnHide)
      .Property("OnPaint", &TCustomForm::OnPaint, &TCustomForm::OnPaint)
      .Property("OnShow", &TCustomForm::OnShow, &TCustomForm::OnShow);
  TClass form = TClassRegistration<TForm, TCustomForm>("TForm");
  RegisterClass(form); // forms are created by name (scripts, the designer)
}

TCustomForm* GetParentForm(TControl* Control)
{
  while (Control && Control->Parent())
    Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

// ---- TCustomForm ---------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner)
{
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = clBtnFace;
  FBrush->SetColor(clBtnFace);
  FFont->SetName("宋体");
  FFont->SetHeight(-12);
  FFont->SetCharset(GB2312_CHARSET);
  FParentFont = false;
  FWidth = 320;
  FHeight = 240;
  FCanvas = std::make_unique<TCanvas>();
  if (FormsState().Screen)
    FormsState().Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
  if (FormsState().Screen) {
    for (TCustomForm* f : FormsState().Screen->FForms)
      if (f->FActiveMDIChild == this) {
        f->FActiveMDIChild = nullptr;
        if (f->FMenu && FMenu)
          f->FMenu->Unmerge(FMenu);
      }
    FormsState().Screen->RemoveForm(this);
  }
  if (FMenu)
    FMenu->FForm = nullptr;
  if (FormsState().Application && FormsState().Application->FMainForm == this)
    FormsState().Application->FMainForm = nullptr;
}

void TCustomForm::AfterConstruction()
{
  TWinControl::AfterConstruction();
  TDestroyWatch watch(this);
  if (OnCreate)
    OnCreate(this);
  // MDI children appear as soon as they exist.
  if (!watch.Destroyed() && FFormStyle == fsMDIChild && !FVisible)
    Show();
}

void TCustomForm::BeforeDestruction()
{
  if (OnDestroy)
    OnDestroy(this);
  TWinControl::BeforeDestruction();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation)
{
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FActiveControl)
    FActiveControl = nullptr;
  if (AComponent == FFocusedControl)
    FFocusedControl = nullptr;
  if (AComponent == FMenu) {
    FMenu->FForm = nullptr;
    FMenu = nullptr;
    if (FHandle)
      SetWindowPos(FHandle, 0, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TCustomForm::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.Style &= ~(WS_VISIBLE | WS_TABSTOP);
  if (FFormStyle == fsMDIChild) {
    TCustomForm* frame = FormsState().Application ? FormsState().Application->MainForm() : nullptr;
    if (!frame || frame->FFormStyle != fsMDIForm || frame == this)
      throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    frame->HandleNeeded();
    Params.Style =
        WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;
    Params.ExStyle |= WS_EX_MDICHILD;
    Params.WndParent = frame->FClientWindow->Handle();
    return;
  }
  if (FParent) {
    Params.Style |= WS_CLIPCHILDREN;
    return;
  }
  Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP | WS_CLIPCHILDREN;
  switch (FBorderStyle) {
  case bsNone:
    break;
  case bsSingle:
    Params.Style |= WS_CAPTION;
    break;
  case bsSizeable:
    Params.Style |= WS_CAPTION | WS_THICKFRAME;
    break;
  case bsDialog:
    Params.Style |= WS_CAPTION;
    Params.ExStyle |= WS_EX_DLGMODALFRAME;
    break;
  case bsToolWindow:
    Params.Style |= WS_CAPTION;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    break;
  case bsSizeToolWin:
    Params.Style |= WS_CAPTION | WS_THICKFRAME;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    break;
  }
  if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
    Params.Style |= WS_SYSMENU;
    if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
      if (FBorderIcons.Contains(biMinimize))
        Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(biMaximize))
        Params.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (FFormStyle == fsStayOnTop)
    Params.ExStyle |= WS_EX_TOPMOST;
  if (!Params.WndParent && FormsState().Application && FormsState().Application->MainForm() &&
      FormsState().Application->MainForm() != this &&
      FormsState().Application->MainForm()->HandleAllocated())
    Params.WndParent = FormsState().Application->MainForm()->Handle();
}

void TCustomForm::CreateWnd()
{
  TWinControl::CreateWnd();
  if (FFormStyle == fsMDIForm && !FClientWindow) {
    FClientWindow = new TWinControl(this);
    FClientWindow->SetColor(clAppWorkSpace);
    FClientWindow->SetAlign(alClient);
    FClientWindow->SetParent(this);
  }
}

void TCustomForm::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetColor(FColor);
  TDestroyWatch watch(this);
  Paint();
  if (!watch.Destroyed())
    BindCanvasToDC(*FCanvas, 0);
}

void TCustomForm::Paint()
{
  if (OnPaint)
    OnPaint(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value)
{
  if (Value == FBorderIcons)
    return;
  FBorderIcons = Value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
  if (Value == FFormStyle)
    return;
  FFormStyle = Value;
  if (FHandle && !FParent)
    SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState Value)
{
  if (Value == FWindowState)
    return;
  FWindowState = Value;
  // The window's own visibility counts: an MDI child of a frame not shown yet takes its
  // state now and keeps it when the frame appears.
  if (FHandle && (GetWindowLong(FHandle, GWL_STYLE) & WS_VISIBLE))
    ShowWindow(FHandle, Value == wsMaximized   ? SW_SHOWMAXIMIZED
                        : Value == wsMinimized ? SW_MINIMIZE
                                               : SW_RESTORE);
}

// ---- Showing and closing --------------------------------------------------------------------

void TCustomForm::Show()
{
  SetVisible(true);
  BringToFront();
  if (FFormStyle == fsMDIChild)
    MDIActivate();
}

void TCustomForm::MDIActivate()
{
  TCustomForm* frame = FormsState().Application ? FormsState().Application->MainForm() : nullptr;
  if (FFormStyle != fsMDIChild || !frame || frame->FActiveMDIChild == this)
    return;
  TCustomForm* previous = frame->FActiveMDIChild;
  frame->FActiveMDIChild = this;
  BringToFront();
  TDestroyWatch watch(this);
  if (previous) {
    previous->FActive = false;
    previous->Deactivate();
  }
  if (watch.Destroyed())
    return;
  FActive = true;
  frame->MergeChildMenu();
  if (watch.Destroyed())
    return;
  Activate();
}

void TCustomForm::WMMouseActivate(TMessage& Message)
{
  if (FFormStyle == fsMDIChild)
    MDIActivate();
  DefaultHandler(Message);
}

void TCustomForm::Hide()
{
  SetVisible(false);
}

void TCustomForm::DoShow()
{
  if (OnShow)
    OnShow(this);
}

void TCustomForm::DoHide()
{
  if (OnHide)
    OnHide(this);
}

void TCustomForm::ApplyPosition()
{
  TSize screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  TRect over = Rect(0, 0, screen.cx, screen.cy);
  TPosition pos = FPosition;
  TCustomForm* reference = nullptr;
  if (pos == poOwnerFormCenter)
    reference = dynamic_cast<TCustomForm*>(Owner());
  if ((pos == poMainFormCenter || (pos == poOwnerFormCenter && !reference)) &&
      FormsState().Application)
    reference = FormsState().Application->MainForm();
  if (pos == poMainFormCenter || pos == poOwnerFormCenter) {
    if (reference && reference != this && reference->HandleAllocated())
      GetWindowRect(reference->Handle(), over);
    pos = poScreenCenter;
  }
  if (pos == poDefault || pos == poDefaultPosOnly) {
    // Default places cascade down and right, starting again when they leave the screen.
    Integer& cascade = FormsState().Cascade;
    Integer step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    Integer at = 8 + cascade * step;
    if (at + FWidth > over.Right || at + FHeight > over.Bottom) {
      cascade = 0;
      at = 8;
    }
    ++cascade;
    SetBounds(at, at, FWidth, FHeight);
    return;
  }
  if (pos != poScreenCenter && pos != poDesktopCenter)
    return;
  SetBounds(over.Left + (over.Width() - FWidth) / 2, over.Top + (over.Height() - FHeight) / 2,
            FWidth, FHeight);
}

void TCustomForm::CMVisibleChanged(TMessage&)
{
  if (FParent) {
    UpdateShowing();
    return;
  }
  TDestroyWatch watch(this);
  if (FVisible) {
    HandleNeeded();
    TRect before = BoundsRect();
    DoShow();
    if (watch.Destroyed())
      return;
    // A placement made by the show handler wins over Position.
    if (!FShownOnce && BoundsRect() == before)
      ApplyPosition();
    FShownOnce = true;
    ShowWindow(FHandle, FWindowState == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOW);
  } else {
    DoHide();
    if (!watch.Destroyed() && FHandle)
      ShowWindow(FHandle, SW_HIDE);
  }
}

bool TCustomForm::CloseQuery()
{
  bool canClose = true;
  if (FFormStyle == fsMDIForm)
    for (Integer i = 0; i < MDIChildCount() && canClose; ++i)
      canClose = MDIChildren(i)->CloseQuery();
  if (canClose && OnCloseQuery)
    OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action)
{
  if (OnClose)
    OnClose(this, Action);
}

void TCustomForm::Close()
{
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  TDestroyWatch watch(this);
  if (!CloseQuery() || watch.Destroyed())
    return;
  TCloseAction action = FFormStyle == fsMDIChild ? caMinimize : caHide;
  DoClose(action);
  if (watch.Destroyed() || action == caNone)
    return;
  if (FormsState().Application && FormsState().Application->MainForm() == this) {
    FormsState().Application->Terminate();
    if (action == caFree)
      Release();
    return;
  }
  switch (action) {
  case caHide:
    Hide();
    break;
  case caMinimize:
    SetWindowState(wsMinimized);
    break;
  case caFree:
    Release();
    break;
  default:
    break;
  }
}

void TCustomForm::Release()
{
  if (FHandle)
    PostMessage(FHandle, CM_RELEASE, 0, 0);
  else
    delete this;
}

void TCustomForm::CMRelease(TMessage&)
{
  delete this;
}

void TCustomForm::CloseModal()
{
  TDestroyWatch watch(this);
  TCloseAction action = caNone;
  if (CloseQuery() && !watch.Destroyed()) {
    action = caHide;
    DoClose(action);
  }
  if (watch.Destroyed())
    return;
  if (action == caNone)
    FModalResult = 0;
}

void TCustomForm::SetModalResult(TModalResult Value)
{
  FModalResult = Value;
  // A loop waiting for input would not look at the result before the next message.
  if (Value != 0 && FFormState.Contains(fsModal) && FHandle)
    PostMessage(FHandle, WM_NULL, 0, 0);
}

TModalResult TCustomForm::ShowModal()
{
  if (FVisible || !FEnabled || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND capture = GetCapture()) {
    SendMessage(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  HWND previousActive = GetActiveWindow();
  HWND self = Handle();
  std::vector<HWND> disabled;
  std::vector<HWND> windows;
  EnumTopLevelWindows(windows);
  for (HWND h : windows)
    if (h != self && IsWindowVisible(h) && IsWindowEnabled(h)) {
      EnableWindow(h, false);
      disabled.push_back(h);
    }
  FFormState.Include(fsModal);
  if (FormsState().Application)
    ++FormsState().Application->FModalLevel;
  TDestroyWatch watch(this);
  // Whatever ends the loop, the other windows come back.
  struct TRestore {
    TCustomForm* Form;
    TDestroyWatch& Watch;
    std::vector<HWND>& Disabled;
    HWND Previous;
    bool Done = false;
    ~TRestore() { Run(); }
    void Run()
    {
      if (Done)
        return;
      Done = true;
      for (HWND h : Disabled)
        if (IsWindow(h))
          EnableWindow(h, true);
      if (FormsState().Application)
        --FormsState().Application->FModalLevel;
      if (!Watch.Destroyed()) {
        Form->FFormState.Exclude(fsModal);
        Form->Hide();
      }
      if (IsWindow(Previous))
        SetActiveWindow(Previous);
    }
  } restore{this, watch, disabled, previousActive};
  FModalResult = 0;
  Show();
  // After each message: a result ends the loop unless the form refuses to close.
  TTrackLoop loop;
  loop.FilterCode = MSGF_DIALOGBOX;
  loop.Name = "the modal loop of " + ClassName() + " \"" + Caption() + "\"";
  loop.Running = [this, &watch] {
    if (watch.Destroyed())
      return false;
    if (FormsState().Application->Terminated())
      FModalResult = mrCancel;
    else if (FModalResult != 0)
      CloseModal();
    return !watch.Destroyed() && FModalResult == 0;
  };
  loop.OnIdle = [] { return FormsState().Application->Idle(); };
  loop.OnError = [] { FormsState().Application->HandleException(FormsState().Application); };
  if (TrackModal(loop) == teQuit) {
    // The application is ending: the quit stays queued for its own loop.
    FormsState().Application->FTerminated = true;
    if (!watch.Destroyed())
      FModalResult = mrCancel;
  }
  // The form hides before the result is read: an OnHide handler may still change it.
  restore.Run();
  return watch.Destroyed() ? mrCancel : FModalResult;
}

// ---- Focus -----------------------------------------------------------------------------------

void TCustomForm::SetActiveControl(TWinControl* Control)
{
  if (Control == FActiveControl)
    return;
  if (Control && (Control == this || GetParentForm(Control) != this ||
                  (!ComponentState().Contains(csLoading) && !Control->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = Control;
  if (Control)
    Control->FreeNotification(this);
  if (FActive && !ComponentState().Contains(csLoading))
    SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* Control)
{
  if (Control == this)
    Control = nullptr;
  if (FormsState().Screen) {
    FormsState().Screen->FActiveControl = Control;
    FormsState().Screen->FActiveForm = this;
  }
  if (Control)
    FActiveControl = Control;
  if (Control == FFocusedControl)
    return true;
  TWinControl* old = FFocusedControl;
  FFocusedControl = Control;
  if (Control)
    Control->FreeNotification(this);
  // CM_EXIT goes to the old control and each of its containers that does not hold the new
  // one, innermost first; CM_ENTER then to each container of the new control below the
  // common one, outermost first, and to the control itself.
  TDestroyWatch self(this);
  std::vector<TWinControl*> exits;
  for (TWinControl* c = old; c && c != this && !(Control && c->ContainsControl(Control));
       c = c->Parent())
    exits.push_back(c);
  std::vector<TWinControl*> enters;
  for (TWinControl* c = Control; c && c != this && !(old && c->ContainsControl(old));
       c = c->Parent())
    enters.insert(enters.begin(), c);
  for (TWinControl* c : exits) {
    TDestroyWatch watch(c);
    c->Perform(CM_EXIT, 0, 0);
    if (self.Destroyed())
      return false;
    if (watch.Destroyed())
      break;
  }
  for (TWinControl* c : enters) {
    if (FFocusedControl != Control)
      break; // an exit handler moved the focus elsewhere
    TDestroyWatch watch(c);
    c->Perform(CM_ENTER, 0, 0);
    if (self.Destroyed())
      return false;
    if (watch.Destroyed())
      break;
  }
  // Every control of the form hears of the new focus (buttons redraw their default look).
  if (FFocusedControl == Control)
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  return !self.Destroyed();
}

void TCustomForm::FocusControl(TWinControl* Control)
{
  bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive && FVisible)
    SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing)
{
  if (Removing && FActiveControl && Control->ContainsControl(FActiveControl))
    FActiveControl = Control->Parent() && Control->Parent() != this ? Control->Parent() : nullptr;
  if (FFocusedControl && Control->ContainsControl(FFocusedControl))
    FFocusedControl = nullptr;
  if (FormsState().Screen && FormsState().Screen->FActiveControl &&
      Control->ContainsControl(FormsState().Screen->FActiveControl))
    FormsState().Screen->FActiveControl = nullptr;
}

void TCustomForm::SetFocus()
{
  if (!FVisible || !FEnabled)
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (FParent) {
    TWinControl::SetFocus();
    return;
  }
  if (!FActive)
    SetActiveWindow(Handle());
  else
    SetWindowFocus();
}

// Activation focuses the active control; a form without one takes its first tab stop.
void TCustomForm::SetWindowFocus()
{
  if (!FActiveControl && FFormStyle != fsMDIForm) {
    TWinControl* first = FindNextControl(nullptr, true, true, false);
    if (first && first->CanFocus())
      SetActiveControl(first);
  }
  if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus())
    ::SetFocus(FActiveControl->Handle());
  else if (FHandle)
    ::SetFocus(FHandle);
}

void TCustomForm::Activate()
{
  if (OnActivate)
    OnActivate(this);
}

void TCustomForm::Deactivate()
{
  if (OnDeactivate)
    OnDeactivate(this);
}

bool TCustomForm::IsShortCut(Word Key, TShiftState Shift)
{
  TDestroyWatch watch(this);
  if (OnShortCut) {
    Word key = Key;
    OnShortCut(this, key, Shift);
    if (key == 0 || watch.Destroyed())
      return true;
  }
  // An MDI child's menu items are on its frame's bar, merged.
  TMainMenu* menu = FMenu;
  if (FFormStyle == fsMDIChild && FormsState().Application &&
      FormsState().Application->MainForm() && FormsState().Application->MainForm()->FMenu)
    menu = FormsState().Application->MainForm()->FMenu;
  if (menu && menu->IsShortCut(Key, Shift))
    return true;
  if (watch.Destroyed())
    return true;
  TShortCut shortCut = ::ShortCut(Key, Shift);
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)))
      if (list->IsShortCut(shortCut))
        return true;
  return false;
}

// ---- MDI --------------------------------------------------------------------------------------

// MDI children are the client window's children, front first.
Integer TCustomForm::MDIChildCount() const
{
  Integer n = 0;
  while (MDIChildren(n))
    ++n;
  return n;
}

TCustomForm* TCustomForm::MDIChildren(Integer Index) const
{
  if (FFormStyle != fsMDIForm || !FClientWindow || !FClientWindow->HandleAllocated() || Index < 0)
    return nullptr;
  HWND client = const_cast<TWinControl*>(FClientWindow)->Handle();
  for (HWND h = GetWindow(client, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (auto* f = dynamic_cast<TCustomForm*>(FindControl(h));
        f && f->FFormStyle == fsMDIChild && Index-- == 0)
      return f;
  return nullptr;
}

TCustomForm* TCustomForm::ActiveMDIChild() const
{
  return FFormStyle == fsMDIForm ? FActiveMDIChild : nullptr;
}

// ---- Messages ---------------------------------------------------------------------------------

void TCustomForm::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_ACTIVATE:
    WMActivate(Message);
    break;
  case WM_CLOSE:
    WMClose(Message);
    break;
  case WM_SYSCOMMAND:
    WMSysCommand(Message);
    break;
  case WM_SYSCOLORCHANGE:
    WMSysColorChange(Message);
    break;
  case WM_SETTINGCHANGE:
    WMSettingChange(Message);
    break;
  case WM_THEMECHANGED:
    WMThemeChanged(Message);
    break;
  case WM_FONTCHANGE:
    WMFontChange(Message);
    break;
  case CM_RELEASE:
    CMRelease(Message);
    break;
  case WM_MOUSEACTIVATE:
    WMMouseActivate(Message);
    break;
  case WM_NEXTDLGCTL:
    WMNextDlgCtl(Message);
    break;
  case WM_NCHITTEST:
    WMNCHitTest(Message);
    break;
  case WM_NCLBUTTONDOWN:
    WMNCLButtonDown(Message);
    break;
  default:
    TWinControl::Dispatch(Message);
    break;
  }
}

void TCustomForm::WMActivate(TMessage& Message)
{
  bool active = LOWORD(static_cast<NativeInt>(Message.WParam)) != WA_INACTIVE;
  FActive = active;
  TDestroyWatch watch(this);
  if (active) {
    if (FormsState().Screen) {
      FormsState().Screen->FActiveForm = this;
      FormsState().Screen->FActiveControl = FActiveControl;
    }
    FFormState.Include(fsActivated);
    Activate();
    if (!watch.Destroyed() && FActive)
      SetWindowFocus();
  } else {
    Deactivate();
  }
}

void TCustomForm::WMClose(TMessage&)
{
  Close();
}

// WParam is a window to focus when LParam is non-zero; otherwise 0 moves forward and any
// other value back (posted by controls, so it runs after the key that asked for it).
void TCustomForm::WMNextDlgCtl(TMessage& Message)
{
  if (Message.LParam) {
    if (TWinControl* c = FindControl(static_cast<HWND>(Message.WParam)); c && c->CanFocus())
      c->SetFocus();
    return;
  }
  SelectNext(FActiveControl, Message.WParam == 0, true);
}

// Maximize, minimize and restore go through WindowState, so the form knows its state.
void TCustomForm::WMSysCommand(TMessage& Message)
{
  switch (static_cast<UINT>(Message.WParam & 0xFFF0)) {
  case SC_MAXIMIZE:
    SetWindowState(wsMaximized);
    break;
  case SC_MINIMIZE:
    SetWindowState(wsMinimized);
    break;
  case SC_RESTORE:
    SetWindowState(wsNormal);
    break;
  case SC_KEYMENU:
    if (MenuBarHeight(this) > 0)
      TrackMenuBarKey(this, static_cast<char>(Message.LParam & 0xFF));
    break;
  default:
    DefaultHandler(Message);
    break;
  }
}

// ---- Menu bar ---------------------------------------------------------------------------------

void TCustomForm::SetMenu(TMainMenu* Value)
{
  if (Value == FMenu)
    return;
  if (FMenu) {
    FMenu->FForm = nullptr;
    FMenu->RemoveFreeNotification(this);
  }
  if (Value && Value->FForm && Value->FForm != this)
    Value->FForm->SetMenu(nullptr);
  FMenu = Value;
  if (FMenu) {
    FMenu->FForm = this;
    FMenu->FreeNotification(this);
  }
  if (FFormStyle == fsMDIChild && FormsState().Application &&
      FormsState().Application->MainForm() &&
      FormsState().Application->MainForm()->FActiveMDIChild == this)
    FormsState().Application->MainForm()->MergeChildMenu();
  if (FHandle)
    SetWindowPos(FHandle, 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TCustomForm::MergeChildMenu()
{
  if (!FMenu)
    return;
  TCustomForm* child = ActiveMDIChild();
  FMenu->Merge(child ? child->FMenu : nullptr);
}

// The bar takes a band of the menu's height at the top of what would be the client area.
void TCustomForm::WMNCCalcSize(TMessage& Message)
{
  TWinControl::WMNCCalcSize(Message);
  Integer h = MenuBarHeight(this);
  if (h > 0 && Message.LParam) {
    TRect& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0];
    r.Top = std::min(r.Top + h, r.Bottom);
  }
}

void TCustomForm::WMNCPaint(TMessage& Message)
{
  TWinControl::WMNCPaint(Message);
  if (MenuBarHeight(this) > 0)
    PaintMenuBar(this);
}

void TCustomForm::WMNCHitTest(TMessage& Message)
{
  Integer h = MenuBarHeight(this);
  if (h > 0 && FHandle) {
    TPoint p = PointFromLParam(Message.LParam);
    TPoint origin{0, 0};
    ::ClientToScreen(FHandle, origin);
    TRect band = Rect(origin.X, origin.Y - h, origin.X + ClientWidth(), origin.Y);
    if (PtInRect(band, p)) {
      Message.Result = HTMENU;
      return;
    }
  }
  DefaultHandler(Message);
}

void TCustomForm::WMNCLButtonDown(TMessage& Message)
{
  if (Message.WParam == HTMENU && MenuBarHeight(this) > 0) {
    TrackMenuBarMouse(this, PointFromLParam(Message.LParam));
    return;
  }
  DefaultHandler(Message);
}

namespace {

// Sends a message to every control below Parent, depth first.
void NotifyTree(TWinControl* Parent, TMessage& Message)
{
  for (Integer i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    TMessage m = Message;
    c->WindowProc(m);
    if (auto* w = dynamic_cast<TWinControl*>(c))
      NotifyTree(w, Message);
  }
}

} // namespace

// The system's colours or settings changed: the form's controls hear of it as CM_* messages.
void TCustomForm::WMSysColorChange(TMessage& Message)
{
  TMessage m{CM_SYSCOLORCHANGE, 0, 0, 0};
  NotifyTree(this, m);
  DefaultHandler(Message);
}

void TCustomForm::WMSettingChange(TMessage& Message)
{
  TMessage m{CM_WININICHANGE, Message.WParam, Message.LParam, 0};
  NotifyTree(this, m);
  DefaultHandler(Message);
}

// A new desktop theme: every control of the form hears it, as every window would.
void TCustomForm::WMThemeChanged(TMessage& Message)
{
  TMessage m{WM_THEMECHANGED, Message.WParam, Message.LParam, 0};
  NotifyTree(this, m);
  DefaultHandler(Message);
}

// Fonts came or went: the controls hear of it as CM_FONTCHANGE.
void TCustomForm::WMFontChange(TMessage& Message)
{
  TMessage m{CM_FONTCHANGE, 0, 0, 0};
  NotifyTree(this, m);
  DefaultHandler(Message);
}

void TCustomForm::CMDialogKey(TMessage& Message)
{
  if (GetKeyState(VK_MENU) >= 0) {
    switch (static_cast<Word>(Message.WParam)) {
    case VK_TAB:
      SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
      Message.Result = 1;
      return;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      if (FActiveControl && FActiveControl->Parent()) {
        bool forward = Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN;
        FActiveControl->Parent()->SelectNext(FActiveControl, forward, false);
        Message.Result = 1;
      }
      return;
    }
  }
  TWinControl::CMDialogKey(Message);
}
