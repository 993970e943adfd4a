// TApplication, the program's application object (its loop, the keyboard interface, hints,
// exceptions, minimizing), the message box, and the unit's start and end. Forms.h
// describes them.
#include <algorithm>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/ControlsPrivate.h"
#include "platform/ui/FormsPrivate.h"
#include "platform/ui/MenusPrivate.h"
#include "platform/ui/StdCtrls.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterApplicationClass()
{
  TClassRegistration<TApplication, TComponent>("TApplication");
}

// ---- Unit -----------------------------------------------------------------------------------

void InitializeForms()
{
  RegisterFormsClasses();
  TFormsState& s = FormsState();
  if (!s.Screen)
    s.Screen = new TScreen(nullptr);
  if (!s.Application)
    s.Application = new TApplication(nullptr);
}

void FinalizeForms()
{
  TFormsState& s = FormsState();
  delete s.Application;
  s.Application = nullptr;
  while (s.Screen && s.Screen->FormCount() > 0)
    delete s.Screen->Forms(s.Screen->FormCount() - 1);
  delete s.Screen;
  s.Screen = nullptr;
}

TFormsState& FormsState()
{
  static TFormsState state;
  return state;
}

TApplication* Application()
{
  return FormsState().Application;
}

namespace {

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

// ---- Hints ----------------------------------------------------------------------------------

// The application's hidden window: WM_ACTIVATEAPP becomes OnActivate/OnDeactivate.
void TApplication::AppWndProc(TMessage& Message)
{
  if (Message.Msg == WM_FONTCHANGE && FormsState().Screen)
    FormsState().Screen->ResetFonts(); // listed afresh when next asked
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
    return;
  }
  // The hint timed out: the next move over the control starts its hint afresh.
  CancelHint();
  if (FHintControl)
    FHintControl->RemoveFreeNotification(this);
  FHintControl = nullptr;
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
  // A control without a hint text may still give one when asked (CM_HINTSHOW).
  if (!Control->ShowHint())
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
  info.HintMaxWidth = FormsState().Screen ? FormsState().Screen->Width() : 1024;
  info.HintColor = FHintColor;
  info.HintPos = {CursorPos.X, CursorPos.Y + cursorDepth};
  info.HideTimeout = FHintHidePause;
  info.HintWindowClass = FHintWindowClass;
  TDestroyWatch watch(c);
  if (c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || watch.Destroyed())
    return;
  // Shown or not, the hint now covers CursorRect: leaving it asks the control again after
  // the short pause (a grid's cells each have a hint of their own, or none).
  FHintActive = true;
  TPoint origin = c->ClientToScreen({0, 0});
  FHintCursorRect = info.CursorRect;
  OffsetRect(FHintCursorRect, origin.X, origin.Y);
  if (info.HintStr.empty())
    return;
  if (FHintWindow && FHintWindowMadeBy != info.HintWindowClass) {
    delete FHintWindow;
    FHintWindow = nullptr;
  }
  if (!FHintWindow) {
    FHintWindowMadeBy = info.HintWindowClass;
    FHintWindow = info.HintWindowClass ? info.HintWindowClass(this) : new THintWindow(this);
    FHintWindow->FreeNotification(this);
  }
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRectData(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
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
  // What the forms and controls keep between messages starts afresh too.
  FormsState().Cascade = 0;
  ResetControlsState();
  ResetMenusState();
}

void TApplication::Minimize()
{
  if (FMinimized)
    return;
  FMinimized = true;
  CancelHint();
  FMinimizedWindows.clear();
  for (Integer i = 0; FormsState().Screen && i < FormsState().Screen->FormCount(); ++i) {
    TCustomForm* f = FormsState().Screen->Forms(i);
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
  if (!FormsState().Application)
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
    FormsState().Application->CancelHint();
    break;
  }
  if (FormsState().Application->IsKeyMsg(Msg))
    return true;
  if (Msg.message == WM_MOUSEMOVE || Msg.message == WM_NCMOUSEMOVE) {
    DispatchMessage(Msg);
    if (!FormsState().Application)
      return true;
    UpdateMouseControl();
    FormsState().Application->HintMouseMessage(MouseControl(), Msg.pt);
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
  TApplication* app = Application();
  if (app)
    app->NormalizeTopMosts();
  // Whichever way the box ends, the stay-on-top forms come back and the box goes; on the
  // way out by an exception a second one from there has nowhere to go.
  auto finish = [&] {
    if (app)
      app->RestoreTopMosts();
    if (!watch.Destroyed())
      delete box;
  };
  TScopeExit unwinding([&] {
    try {
      finish();
    } catch (...) {
    }
  });
  TModalResult result = box->ShowModal();
  unwinding.Dismiss();
  finish();
  return result;
}
