// Forms, the application object, the screen object and the message box. Forms.h describes
// them; Controls.h is the control base they build on.
#include "platform/ui/Forms.h"

#include <algorithm>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace {

TApplication* gApplication = nullptr;
TScreen* gScreen = nullptr;

// The message box: the text above a row of buttons, centred on the screen.
class TMessageForm final : public TCustomForm {
public:
  TMessageForm(const AnsiString& Text, const AnsiString& ACaption,
               const std::vector<TMessageBoxButton>& buttons, Integer defaultIndex)
      : TCustomForm(nullptr), FMessage(Text)
  {
    BeginLoading();
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetCaption(ACaption);
    defaultIndex = std::clamp<Integer>(defaultIndex, 0, static_cast<Integer>(buttons.size()) - 1);
    bool hasCancel = std::any_of(buttons.begin(), buttons.end(),
                                 [](const TMessageBoxButton& b) { return b.Result == mrCancel; });

    HDC dc = GetDC(0);
    TCanvas* measure = CanvasFromDC(dc);
    measure->SetFont(Font());
    TRect textRect = Rect(0, 0, 360, 0);
    measure->DrawText(FMessage, textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ReleaseDC(0, dc);
    constexpr Integer buttonWidth = 75, buttonHeight = 25, gap = 8, margin = 16;
    Integer rowWidth = static_cast<Integer>(buttons.size()) * (buttonWidth + gap) - gap;
    Integer clientWidth = std::max(textRect.Width(), rowWidth) + 2 * margin;
    Integer clientHeight = margin + textRect.Height() + margin + buttonHeight + margin;
    FTextRect = Bounds(margin, margin, textRect.Width(), textRect.Height());
    SetBounds(0, 0, clientWidth + 6, clientHeight + 6 + GetSystemMetrics(SM_CYCAPTION));
    Integer x = (clientWidth - rowWidth) / 2;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      bool isCancel = buttons[i].Result == mrCancel || (!hasCancel && buttons.size() == 1);
      auto* b = new TButton(this);
      b->SetCaption(buttons[i].Caption);
      b->SetModalResult(buttons[i].Result);
      b->SetDefault(static_cast<Integer>(i) == defaultIndex);
      b->SetCancel(isCancel);
      b->SetBounds(x, clientHeight - margin - buttonHeight, buttonWidth, buttonHeight);
      b->SetParent(this);
      if (static_cast<Integer>(i) == defaultIndex)
        SetActiveControl(b);
      x += buttonWidth + gap;
    }
    EndLoading();
  }

protected:
  void Paint() override
  {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsClear);
    TRect r = FTextRect;
    c->DrawText(FMessage, r, DT_WORDBREAK | DT_NOPREFIX);
  }

private:
  AnsiString FMessage;
  TRect FTextRect;
};

} // namespace

// ---- TControlScrollBar -----------------------------------------------------------------------

Integer TControlScrollBar::ClientSize() const
{
  return FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
}

Integer TControlScrollBar::MaxPosition() const
{
  return std::max(FRange - ClientSize(), 0);
}

bool TControlScrollBar::IsScrollBarVisible() const
{
  return FVisible && FRange > ClientSize();
}

void TControlScrollBar::SetPosition(Integer Value)
{
  Value = std::clamp(Value, 0, MaxPosition());
  if (Value == FPosition)
    return;
  Integer delta = FPosition - Value;
  FPosition = Value;
  if (FKind == sbHorizontal)
    FControl->ScrollBy(delta, 0);
  else
    FControl->ScrollBy(0, delta);
  Update();
}

void TControlScrollBar::SetRange(Integer Value)
{
  FAutoRange = false;
  Value = std::max(Value, 0);
  if (Value == FRange)
    return;
  FRange = Value;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetMargin(Integer Value)
{
  FMargin = std::max(Value, 0);
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::Assign(TPersistent* Source)
{
  auto* other = dynamic_cast<TControlScrollBar*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  FIncrement = other->FIncrement;
  FTracking = other->FTracking;
  FMargin = other->FMargin;
  FVisible = other->FVisible;
  SetRange(other->FRange);
  SetPosition(other->FPosition);
}

// Puts range, page and position into the window's scroll bar.
void TControlScrollBar::Update()
{
  if (!FControl->HandleAllocated())
    return;
  Integer bar = FKind == sbHorizontal ? SB_HORZ : SB_VERT;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = FVisible ? std::max(FRange - 1, 0) : 0;
  si.nPage = FVisible ? static_cast<UINT>(ClientSize() + 1) : 0;
  si.nPos = FPosition;
  if (FVisible && FRange > ClientSize())
    si.nPage = static_cast<UINT>(ClientSize());
  SetScrollInfo(FControl->Handle(), bar, si, true);
}

void TControlScrollBar::ScrollMessage(TMessage& Message)
{
  Integer page = std::max(ClientSize() * 9 / 10, 1);
  Integer pos = FPosition;
  switch (LOWORD(static_cast<NativeInt>(Message.WParam))) {
  case SB_LINEUP:
    pos -= FIncrement;
    break;
  case SB_LINEDOWN:
    pos += FIncrement;
    break;
  case SB_PAGEUP:
    pos -= page;
    break;
  case SB_PAGEDOWN:
    pos += page;
    break;
  case SB_THUMBPOSITION:
    pos = HIWORD(static_cast<NativeInt>(Message.WParam));
    break;
  case SB_THUMBTRACK:
    if (FTracking)
      pos = HIWORD(static_cast<NativeInt>(Message.WParam));
    break;
  case SB_TOP:
    pos = 0;
    break;
  case SB_BOTTOM:
    pos = MaxPosition();
    break;
  default:
    return;
  }
  SetPosition(pos);
}

// ---- TScrollingWinControl ----------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FHorzScrollBar = new TControlScrollBar(this, sbHorizontal);
  FVertScrollBar = new TControlScrollBar(this, sbVertical);
  FControlStyle.Include(csAcceptsControls);
}

TScrollingWinControl::~TScrollingWinControl()
{
  delete FHorzScrollBar;
  delete FVertScrollBar;
}

void TScrollingWinControl::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TScrollingWinControl::CreateWnd()
{
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollingWinControl::SetAutoScroll(bool Value)
{
  if (Value == FAutoScroll)
    return;
  FAutoScroll = Value;
  if (!Value) {
    FHorzScrollBar->SetRange(0);
    FVertScrollBar->SetRange(0);
  }
  UpdateScrollBars();
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY)
{
  if (DeltaX == 0 && DeltaY == 0)
    return;
  DisableAlign();
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->FAnchoring = true; // scrolling moves the view, not the anchored layout
    c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    c->FAnchoring = false;
  }
  --FAlignLevel;
  Invalidate();
}

void TScrollingWinControl::UpdateScrollBars()
{
  if (FUpdatingBars)
    return;
  FUpdatingBars = true;
  if (FAutoScroll) {
    // The extent of the children in unscrolled coordinates.
    Integer right = 0, bottom = 0;
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (!c->Visible() || c->Align() != alNone)
        continue;
      right = std::max(right, c->Left() + c->Width() + FHorzScrollBar->FPosition);
      bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar->FPosition);
    }
    FHorzScrollBar->FRange = right > 0 ? right + FHorzScrollBar->FMargin : 0;
    FVertScrollBar->FRange = bottom > 0 ? bottom + FVertScrollBar->FMargin : 0;
    FHorzScrollBar->FAutoRange = FVertScrollBar->FAutoRange = true;
  }
  // Showing one bar shrinks the client area, which may call for the other: two rounds.
  for (int round = 0; round < 2; ++round) {
    FHorzScrollBar->Update();
    FVertScrollBar->Update();
  }
  for (TControlScrollBar* bar : {FHorzScrollBar, FVertScrollBar})
    if (bar->FPosition > bar->MaxPosition())
      bar->SetPosition(bar->MaxPosition());
  FUpdatingBars = false;
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
  TWinControl::AlignControls(AControl, Rect);
  UpdateScrollBars();
}

void TScrollingWinControl::ScrollInView(TControl* AControl)
{
  if (!AControl || !ContainsControl(AControl))
    return;
  TPoint origin = ScreenToClient(AControl->ClientToScreen({0, 0}));
  TRect r = Bounds(origin.X, origin.Y, AControl->Width(), AControl->Height());
  if (r.Left < 0)
    FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + r.Left);
  else if (r.Right > ClientWidth())
    FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition +
                                std::min(r.Right - ClientWidth(), r.Left));
  if (r.Top < 0)
    FVertScrollBar->SetPosition(FVertScrollBar->FPosition + r.Top);
  else if (r.Bottom > ClientHeight())
    FVertScrollBar->SetPosition(FVertScrollBar->FPosition +
                                std::min(r.Bottom - ClientHeight(), r.Top));
}

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  TControlScrollBar* bar = FVertScrollBar->IsScrollBarVisible() ? FVertScrollBar : FHorzScrollBar;
  if (!bar->IsScrollBarVisible())
    return false;
  Integer lines = Mouse()->WheelScrollLines() * WheelDelta / WHEEL_DELTA;
  bar->SetPosition(bar->Position() - lines * bar->Increment());
  return true;
}

void TScrollingWinControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_HSCROLL:
    WMHScroll(Message);
    break;
  case WM_VSCROLL:
    WMVScroll(Message);
    break;
  default:
    TWinControl::Dispatch(Message);
    break;
  }
}

void TScrollingWinControl::WMHScroll(TMessage& Message)
{
  if (Message.LParam == 0)
    FHorzScrollBar->ScrollMessage(Message);
  else
    WMScroll(Message);
}

void TScrollingWinControl::WMVScroll(TMessage& Message)
{
  if (Message.LParam == 0)
    FVertScrollBar->ScrollMessage(Message);
  else
    WMScroll(Message);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
  SetBounds(0, 0, 185, 41);
  SetTabStop(false);
}

void TScrollBox::CreateParams(TCreateParams& Params)
{
  TScrollingWinControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
    return;
  }
  TScrollingWinControl::Dispatch(Message);
}

TCustomForm* GetParentForm(TControl* Control)
{
  while (Control && Control->Parent())
    Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

TApplication* Application()
{
  return gApplication;
}
TScreen* Screen()
{
  return gScreen;
}

TComponent* FindGlobalComponent(const AnsiString& Name)
{
  if (!gScreen || Name.empty())
    return nullptr;
  for (Integer i = 0; i < gScreen->FormCount(); ++i)
    if (AnsiCompareText(gScreen->Forms(i)->Name(), Name) == 0)
      return gScreen->Forms(i);
  for (Integer i = 0; i < gScreen->DataModuleCount(); ++i)
    if (AnsiCompareText(gScreen->DataModules(i)->Name(), Name) == 0)
      return gScreen->DataModules(i);
  return nullptr;
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
  FCanvas = new TCanvas();
  if (gScreen)
    gScreen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
  if (gScreen) {
    for (TCustomForm* f : gScreen->FForms)
      if (f->FActiveMDIChild == this) {
        f->FActiveMDIChild = nullptr;
        if (f->FMenu && FMenu)
          f->FMenu->Unmerge(FMenu);
      }
    gScreen->RemoveForm(this);
  }
  if (FMenu)
    FMenu->FForm = nullptr;
  if (gApplication && gApplication->FMainForm == this)
    gApplication->FMainForm = nullptr;
  delete FCanvas;
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
    TCustomForm* frame = gApplication ? gApplication->MainForm() : nullptr;
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
  if (!Params.WndParent && gApplication && gApplication->MainForm() &&
      gApplication->MainForm() != this && gApplication->MainForm()->HandleAllocated())
    Params.WndParent = gApplication->MainForm()->Handle();
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
  FCanvas->SetFont(FFont);
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
  if (FHandle && Showing())
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
  TCustomForm* frame = gApplication ? gApplication->MainForm() : nullptr;
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
  if ((pos == poMainFormCenter || (pos == poOwnerFormCenter && !reference)) && gApplication)
    reference = gApplication->MainForm();
  if (pos == poMainFormCenter || pos == poOwnerFormCenter) {
    if (reference && reference != this && reference->HandleAllocated())
      GetWindowRect(reference->Handle(), over);
    pos = poScreenCenter;
  }
  if (pos == poDefault || pos == poDefaultPosOnly) {
    // Default places cascade down and right, starting again when they leave the screen.
    static Integer cascade = 0;
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
  if (gApplication && gApplication->MainForm() == this) {
    gApplication->Terminate();
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
  if (gApplication)
    ++gApplication->FModalLevel;
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
      if (gApplication)
        --gApplication->FModalLevel;
      if (!Watch.Destroyed()) {
        Form->FFormState.Exclude(fsModal);
        Form->Hide();
      }
      if (IsWindow(Previous))
        SetActiveWindow(Previous);
    }
  } restore{this, watch, disabled, previousActive};
  Show();
  FModalResult = 0;
  // After each message: a result ends the loop unless the form refuses to close.
  TTrackLoop loop;
  loop.FilterCode = MSGF_DIALOGBOX;
  loop.Name = "the modal loop of " + ClassName() + " \"" + Caption() + "\"";
  loop.Running = [this, &watch] {
    if (watch.Destroyed())
      return false;
    if (gApplication->Terminated())
      FModalResult = mrCancel;
    else if (FModalResult != 0)
      CloseModal();
    return !watch.Destroyed() && FModalResult == 0;
  };
  loop.OnIdle = [] { return gApplication->Idle(); };
  loop.OnError = [] { gApplication->HandleException(gApplication); };
  if (TrackModal(loop) == teQuit) {
    // The application is ending: the quit stays queued for its own loop.
    gApplication->FTerminated = true;
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
  if (gScreen) {
    gScreen->FActiveControl = Control;
    gScreen->FActiveForm = this;
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
  if (gScreen && gScreen->FActiveControl && Control->ContainsControl(gScreen->FActiveControl))
    gScreen->FActiveControl = nullptr;
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
  if (FFormStyle == fsMDIChild && gApplication && gApplication->MainForm() &&
      gApplication->MainForm()->FMenu)
    menu = gApplication->MainForm()->FMenu;
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
    if (gScreen) {
      gScreen->FActiveForm = this;
      gScreen->FActiveControl = FActiveControl;
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
  if (FFormStyle == fsMDIChild && gApplication && gApplication->MainForm() &&
      gApplication->MainForm()->FActiveMDIChild == this)
    gApplication->MainForm()->MergeChildMenu();
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

// ---- TApplication -------------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
  SetMessageFilter(&TApplication::FilterMessage);
  SetIdleHook(&UpdateMouseControl);
  FAppWindow = AllocateHWnd(TWndMethod::Bind(this, &TApplication::AppWndProc));
  // Changes of the system tables reach every top-level window, hidden ones included.
  FSystemChangeCookie = AddSystemChangeHandler([](TSystemChange change) {
    if (change == scColors)
      BroadcastMessage(WM_SYSCOLORCHANGE, 0, 0);
    else
      BroadcastMessage(WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
  });
}

TApplication::~TApplication()
{
  if (IsWindow(FAppWindow))
    DeallocateHWnd(FAppWindow);
  if (FHintTimerWnd)
    DeallocateHWnd(FHintTimerWnd);
  SetMessageFilter(nullptr);
  SetIdleHook(nullptr);
  RemoveSystemChangeHandler(FSystemChangeCookie);
  FMainForm = nullptr;
}

AnsiString TApplication::ExeName() const
{
  return ParamStr(0);
}

void TApplication::SetMainForm(TCustomForm* Form)
{
  FMainForm = Form;
  if (Form)
    Form->FreeNotification(this);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FMainForm)
    FMainForm = nullptr;
  if (AComponent == FHintControl) {
    FHintControl = nullptr;
    CancelHint();
  }
  if (AComponent == FHintWindow)
    FHintWindow = nullptr;
}

// ---- Hints
// ---------------------------------------------------------------------------------------

// The application's hidden window: WM_ACTIVATEAPP becomes OnActivate/OnDeactivate.
void TApplication::AppWndProc(TMessage& Message)
{
  if (Message.Msg == WM_FONTCHANGE && gScreen)
    gScreen->ResetFonts(); // listed afresh when next asked
  if (Message.Msg == WM_ACTIVATEAPP) {
    if (Message.WParam) {
      if (OnActivate)
        OnActivate(this);
    } else {
      CancelHint();
      if (OnDeactivate)
        OnDeactivate(this);
    }
    return;
  }
  Message.Result = DefWindowProc(FAppWindow, Message.Msg, Message.WParam, Message.LParam);
}

void TApplication::SetHintWindowClass(THintWindowClass Value)
{
  if (Value == FHintWindowClass)
    return;
  FHintWindowClass = Value;
  // The next hint makes a window of the new class.
  CancelHint();
  delete FHintWindow;
  FHintWindow = nullptr;
}

void TApplication::SetShowHint(bool Value)
{
  if (Value == FShowHint)
    return;
  FShowHint = Value;
  if (!Value)
    CancelHint();
}

void TApplication::StartHintTimer(Integer Delay, bool Show)
{
  if (!IsWindow(FHintTimerWnd))
    FHintTimerWnd = AllocateHWnd(TWndMethod::Bind(this, &TApplication::HintTimerProc));
  FHintTimerShows = Show;
  SetTimer(FHintTimerWnd, 1, static_cast<UINT>(std::max(Delay, 1)));
}

void TApplication::HintTimerProc(TMessage& Message)
{
  if (Message.Msg != WM_TIMER) {
    Message.Result = DefWindowProc(FHintTimerWnd, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  KillTimer(FHintTimerWnd, 1);
  if (FHintTimerShows) {
    TPoint p;
    GetCursorPos(p);
    ActivateHint(p);
  } else {
    CancelHint();
  }
}

// The pointer moved over Control: a new control starts the pause before its hint (a
// short one when a hint was just showing); leaving the hint's area ends it.
void TApplication::HintMouseMessage(TControl* Control, TPoint CursorPos)
{
  if (!FShowHint)
    return;
  if (Control && Control == FHintControl) {
    // Leaving the hint's area (a cell of a grid, say) shows the next hint after the short
    // pause.
    if (FHintActive && !PtInRect(FHintCursorRect, CursorPos)) {
      CancelHint();
      Integer pause = FHintShortPause;
      Control->Perform(CM_HINTSHOWPAUSE, 1, reinterpret_cast<LPARAM>(&pause));
      StartHintTimer(pause, true);
    }
    return;
  }
  bool wasActive = FHintActive;
  CancelHint();
  if (FHintControl)
    FHintControl->RemoveFreeNotification(this);
  FHintControl = Control;
  if (!Control)
    return;
  Control->FreeNotification(this);
  if (!Control->ShowHint() || GetShortHint(Control->Hint()).empty())
    return;
  Integer pause = wasActive ? FHintShortPause : FHintPause;
  Control->Perform(CM_HINTSHOWPAUSE, wasActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  if (FHintControl == Control)
    StartHintTimer(pause, true);
}

void TApplication::ActivateHint(TPoint CursorPos)
{
  TControl* c = FHintControl;
  if (!c || !FShowHint)
    return;
  constexpr Integer cursorDepth = 20; // the arrow's height below its hot spot
  THintInfo info;
  info.HintControl = c;
  info.HintStr = GetShortHint(c->Hint());
  info.CursorPos = c->ScreenToClient(CursorPos);
  info.CursorRect = c->ClientRect();
  info.HintMaxWidth = gScreen ? gScreen->Width() : 1024;
  info.HintColor = FHintColor;
  info.HintPos = {CursorPos.X, CursorPos.Y + cursorDepth};
  info.HideTimeout = FHintHidePause;
  TDestroyWatch watch(c);
  if (c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || watch.Destroyed() ||
      info.HintStr.empty())
    return;
  if (!FHintWindow) {
    FHintWindow = FHintWindowClass ? FHintWindowClass(this) : new THintWindow(this);
    FHintWindow->FreeNotification(this);
  }
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  FHintWindow->ActivateHint(r, info.HintStr);
  FHintActive = true;
  TPoint origin = c->ClientToScreen({0, 0});
  FHintCursorRect = info.CursorRect;
  OffsetRect(FHintCursorRect, origin.X, origin.Y);
  if (info.HideTimeout > 0)
    StartHintTimer(info.HideTimeout, false);
}

void TApplication::CancelHint()
{
  if (FHintTimerWnd)
    KillTimer(FHintTimerWnd, 1);
  FHintActive = false;
  if (FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->Handle()))
    ShowWindow(FHintWindow->Handle(), SW_HIDE);
}

void TApplication::Restart()
{
  if (!IsWindow(FAppWindow))
    FAppWindow = AllocateHWnd(TWndMethod::Bind(this, &TApplication::AppWndProc));
  OnActivate = nullptr;
  OnDeactivate = nullptr;
  OnMinimize = nullptr;
  OnRestore = nullptr;
  FMinimized = false;
  FMinimizedWindows.clear();
  FTerminated = false;
  FMainForm = nullptr;
  FModalLevel = 0;
}

void TApplication::Minimize()
{
  if (FMinimized)
    return;
  FMinimized = true;
  CancelHint();
  FMinimizedWindows.clear();
  for (Integer i = 0; gScreen && i < gScreen->FormCount(); ++i) {
    TCustomForm* f = gScreen->Forms(i);
    if (f->HandleAllocated() && !f->Parent() && f->FormStyle() != fsMDIChild &&
        IsWindowVisible(f->Handle()) && !IsIconic(f->Handle()))
      FMinimizedWindows.push_back(f->Handle());
  }
  for (HWND h : FMinimizedWindows)
    ShowWindow(h, SW_MINIMIZE);
  InputActivateApp(false);
  if (OnMinimize)
    OnMinimize(this);
}

void TApplication::Restore()
{
  if (!FMinimized)
    return;
  FMinimized = false;
  for (HWND h : FMinimizedWindows)
    if (IsWindow(h))
      ShowWindow(h, SW_RESTORE);
  FMinimizedWindows.clear();
  InputActivateApp(true);
  if (OnRestore)
    OnRestore(this);
}

void TApplication::Run()
{
  if (FMainForm)
    FMainForm->Show();
  TTrackLoop loop;
  loop.FilterCode = -1;
  loop.TakesQuit = true;
  loop.Name = "the application's loop";
  loop.Running = [this] { return !FTerminated; };
  loop.OnIdle = [this] { return Idle(); };
  loop.OnError = [this] { HandleException(this); };
  if (TrackModal(loop) == teQuit)
    FTerminated = true;
}

void TApplication::Terminate()
{
  PostQuitMessage(0);
}

// Keys go to the focused control as CN_* first; a non-zero answer eats them.
bool TApplication::IsKeyMsg(MSG& Msg)
{
  switch (Msg.message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_KEYUP:
  case WM_CHAR:
  case WM_SYSCHAR:
    break;
  default:
    return false;
  }
  HWND h = Msg.hwnd;
  while (h && !FindControl(h))
    h = GetParent(h);
  if (!h)
    return false;
  return SendMessage(h, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::FilterMessage(MSG& Msg)
{
  if (!gApplication)
    return false;
  switch (Msg.message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_NCLBUTTONDOWN:
  case WM_NCRBUTTONDOWN:
  case WM_MOUSEWHEEL:
    gApplication->CancelHint();
    break;
  }
  if (gApplication->IsKeyMsg(Msg))
    return true;
  if (Msg.message == WM_MOUSEMOVE || Msg.message == WM_NCMOUSEMOVE) {
    DispatchMessage(Msg);
    if (!gApplication)
      return true;
    UpdateMouseControl();
    gApplication->HintMouseMessage(MouseControl(), Msg.pt);
    return true;
  }
  return false;
}

bool TApplication::ProcessMessage(MSG& Msg)
{
  if (!PeekMessage(Msg, 0, 0, 0, PM_REMOVE))
    return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  try {
    if (!FilterMessage(Msg)) {
      TranslateMessage(Msg);
      DispatchMessage(Msg);
    }
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages()
{
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage()
{
  MSG msg;
  if (!ProcessMessage(msg) && Idle())
    WaitMessage();
}

bool TApplication::Idle()
{
  UpdateMouseControl();
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  return done;
}

void TApplication::HandleException(TObject* Sender)
{
  try {
    throw;
  } catch (EInputBlocked&) {
    throw; // a test waiting for input nobody scripted ends here, not in a message box
  } catch (EAbort&) {
  } catch (Exception& e) {
    if (OnException)
      OnException(Sender, &e);
    else
      ShowException(&e);
  } catch (std::exception& e) {
    Exception wrapped(e.what());
    if (OnException)
      OnException(Sender, &wrapped);
    else
      ShowException(&wrapped);
  }
}

void TApplication::ShowException(Exception* E)
{
  AnsiString text = E->Message();
  if (!text.empty() && text.back() != '.')
    text += '.';
  MessageBox(text, FTitle, MB_OK | MB_ICONERROR);
}

void TApplication::NormalizeTopMosts()
{
  if (FTopMostLevel++ > 0)
    return;
  FTopMostList.clear();
  std::vector<HWND> windows;
  EnumTopLevelWindows(windows);
  for (HWND h : windows) {
    if (!IsWindowVisible(h) || !(GetWindowLong(h, GWL_EXSTYLE) & WS_EX_TOPMOST))
      continue;
    if (FHintWindow && FHintWindow->HandleAllocated() && FHintWindow->Handle() == h)
      continue;
    FTopMostList.push_back(h);
  }
  // Bottom first, so they keep their order in the normal band.
  for (auto it = FTopMostList.rbegin(); it != FTopMostList.rend(); ++it)
    SetWindowPos(*it, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TApplication::RestoreTopMosts()
{
  if (FTopMostLevel == 0 || --FTopMostLevel > 0)
    return;
  for (auto it = FTopMostList.rbegin(); it != FTopMostList.rend(); ++it)
    if (IsWindow(*it))
      SetWindowPos(*it, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  FTopMostList.clear();
}

Integer TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags)
{
  std::vector<TMessageBoxButton> buttons;
  switch (Flags & 0x0F) {
  case MB_OKCANCEL:
    buttons = {{"确定", mrOk}, {"取消", mrCancel}};
    break;
  case MB_ABORTRETRYIGNORE:
    buttons = {{"中止", mrAbort}, {"重试", mrRetry}, {"忽略", mrIgnore}};
    break;
  case MB_YESNOCANCEL:
    buttons = {{"是(&Y)", mrYes}, {"否(&N)", mrNo}, {"取消", mrCancel}};
    break;
  case MB_YESNO:
    buttons = {{"是(&Y)", mrYes}, {"否(&N)", mrNo}};
    break;
  case MB_RETRYCANCEL:
    buttons = {{"重试", mrRetry}, {"取消", mrCancel}};
    break;
  default:
    buttons = {{"确定", mrOk}};
    break;
  }
  Integer defaultIndex = (Flags & MB_DEFBUTTON3) ? 2 : (Flags & MB_DEFBUTTON2) ? 1 : 0;
  return ShowMessageBox(Text, Caption, buttons, defaultIndex);
}

TModalResult ShowMessageBox(const AnsiString& Text, const AnsiString& Caption,
                            const std::vector<TMessageBoxButton>& Buttons, Integer DefaultIndex)
{
  if (Buttons.empty())
    return ShowMessageBox(Text, Caption, {{"确定", mrOk}}, 0);
  auto* box = new TMessageForm(Text, Caption, Buttons, DefaultIndex);
  TDestroyWatch watch(box);
  TModalResult result = mrCancel;
  TApplication* app = Application();
  if (app)
    app->NormalizeTopMosts();
  try {
    result = box->ShowModal();
  } catch (...) {
    if (app)
      app->RestoreTopMosts();
    if (!watch.Destroyed())
      delete box;
    throw;
  }
  if (app)
    app->RestoreTopMosts();
  if (!watch.Destroyed())
    delete box;
  return result;
}

// ---- TDataModule
// ----------------------------------------------------------------------------------

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner)
{
  if (gScreen)
    gScreen->FDataModules.push_back(this);
}

TDataModule::~TDataModule()
{
  if (gScreen) {
    auto& list = gScreen->FDataModules;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TDataModule::AfterConstruction()
{
  TComponent::AfterConstruction();
  if (OnCreate)
    OnCreate(this);
}

void TDataModule::BeforeDestruction()
{
  if (OnDestroy)
    OnDestroy(this);
  TComponent::BeforeDestruction();
}

// ---- TScreen
// ----------------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen()
{
  delete FFonts;
}

void TScreen::ResetFonts()
{
  delete FFonts;
  FFonts = nullptr;
}

TStrings* TScreen::Fonts()
{
  if (!FFonts) {
    FFonts = new TStringList();
    for (const AnsiString& name : ScreenFonts())
      FFonts->Add(name);
  }
  return FFonts;
}

Integer TScreen::Width() const
{
  return GetSystemMetrics(SM_CXSCREEN);
}
Integer TScreen::Height() const
{
  return GetSystemMetrics(SM_CYSCREEN);
}
TRect TScreen::DesktopRect() const
{
  return Rect(0, 0, Width(), Height());
}

TRect TScreen::WorkAreaRect() const
{
  TRect r;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void TScreen::SetCursor(TCursor Value)
{
  if (Value == FCursor)
    return;
  FCursor = Value;
  // The pointer shows the new cursor at once, not only when it next moves.
  TPoint p;
  GetCursorPos(p);
  if (HWND h = WindowFromPoint(p))
    SendMessage(h, WM_SETCURSOR, h, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

HCURSOR TScreen::Cursors(TCursor Index) const
{
  if (Index <= 0 && Index >= -22)
    return Index == crDefault ? crArrow : Index;
  for (const auto& c : FCursors)
    if (c.first == Index)
      return c.second;
  return crArrow;
}

void TScreen::SetCursors(TCursor Index, HCURSOR Value)
{
  if (Index <= 0 && Index >= -22)
    return;
  for (auto& c : FCursors)
    if (c.first == Index) {
      c.second = Value;
      return;
    }
  FCursors.emplace_back(Index, Value);
}

TCustomForm* TScreen::Forms(Integer Index) const
{
  if (Index < 0 || Index >= FormCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FForms[static_cast<std::size_t>(Index)];
}

TDataModule* TScreen::DataModules(Integer Index) const
{
  if (Index < 0 || Index >= DataModuleCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FDataModules[static_cast<std::size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form)
{
  FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form)
{
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FActiveForm == Form) {
    FActiveForm = nullptr;
    FActiveControl = nullptr;
  }
}

// ---- Unit
// ---------------------------------------------------------------------------------------------

void RegisterFormsClasses()
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

  RegisterEnumType<TScrollBarKind>("TScrollBarKind", {"sbHorizontal", "sbVertical"});
  TClassRegistration<TControlScrollBar, TPersistent>("TControlScrollBar")
      .Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement)
      .Default(8)
      .Property("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin)
      .Default(0)
      .Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition)
      .Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange)
      .Default(0)
      .Property("Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking)
      .Default(false)
      .Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible)
      .Default(true);
  TClassRegistration<TScrollingWinControl, TWinControl>("TScrollingWinControl")
      .Property("AutoScroll", &TScrollingWinControl::AutoScroll,
                &TScrollingWinControl::SetAutoScroll)
      .Default(true)
      .Property("HorzScrollBar", &TScrollingWinControl::HorzScrollBar)
      .Property("VertScrollBar", &TScrollingWinControl::VertScrollBar);
  TClass scrollBox = TClassRegistration<TScrollBox, TScrollingWinControl>("TScrollBox");
  RegisterClass(scrollBox);
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
  TClassRegistration<TDataModule, TComponent>("TDataModule")
      .Property("OnCreate", &TDataModule::OnCreate, &TDataModule::OnCreate)
      .Property("OnDestroy", &TDataModule::OnDestroy, &TDataModule::OnDestroy);
  TClassRegistration<TApplication, TComponent>("TApplication");
  TClassRegistration<TScreen, TComponent>("TScreen");
}

void InitializeForms()
{
  RegisterFormsClasses();
  if (!gScreen)
    gScreen = new TScreen(nullptr);
  if (!gApplication)
    gApplication = new TApplication(nullptr);
}

void FinalizeForms()
{
  delete gApplication;
  gApplication = nullptr;
  while (gScreen && gScreen->FormCount() > 0)
    delete gScreen->Forms(gScreen->FormCount() - 1);
  delete gScreen;
  gScreen = nullptr;
}
