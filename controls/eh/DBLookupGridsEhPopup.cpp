// The popup data grid: the lookup grid as a drop-down window (see DBLookupGridsEh.h).
#include "controls/eh/DBLookupGridsEh.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Windows.h"

namespace {

// The raised outer edge a popup with the 3-D look draws in its non-client area.
void PaintRaisedOuterFrame(HWND Wnd)
{
  HDC dc = GetWindowDC(Wnd);
  if (TCanvas* c = CanvasFromDC(dc)) {
    TRect window;
    GetWindowRect(Wnd, window);
    TRect r(0, 0, window.Width(), window.Height());
    DrawEdge(c, r, BDR_RAISEDOUTER, BF_RECT);
  }
  ReleaseDC(Wnd, dc);
}

constexpr Integer FrameWidth = 1;

} // namespace

TPopupDataGridEh::TPopupDataGridEh(TComponent* AOwner) : TDBLookupGridEh(AOwner)
{
  SetPopupMode(true);
  SetVisible(false);
  SetShowHint(true);
  FSizeGrip = new TSizeGripEh(this);
  FSizeGrip->SetParent(this);
}

TPopupDataGridEh::~TPopupDataGridEh() = default;

void TPopupDataGridEh::CreateParams(TCreateParams& Params)
{
  TDBLookupGridEh::CreateParams(Params);
  Params.Style &= ~DWORD(WS_CHILD | WS_VISIBLE | WS_BORDER);
  Params.Style |= WS_POPUP | WS_CLIPSIBLINGS;
  if (!Ctl3D())
    Params.Style |= WS_BORDER;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WindowClass.style |= CS_SAVEBITS | CS_HREDRAW;
  Params.WndParent = 0;
}

void TPopupDataGridEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_MOUSEACTIVATE:
    Message.Result = MA_NOACTIVATE;
    return;
  case WM_ERASEBKGND:
    Message.Result = 1;
    return;
  case WM_NCCALCSIZE:
    TDBLookupGridEh::Dispatch(Message);
    if (Ctl3D() && Message.LParam) {
      TRect& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0];
      InflateRect(r, -FrameWidth, -FrameWidth);
    }
    return;
  case WM_NCPAINT:
    TDBLookupGridEh::Dispatch(Message);
    if (Ctl3D() && HandleAllocated())
      PaintRaisedOuterFrame(Handle());
    return;
  case CM_GRIPMOVEEH:
    FSizeGrip->MoveTo(static_cast<TGripMoveEh>(Message.WParam & 0xFF));
    return;
  case CM_CTL3DCHANGED:
    TDBLookupGridEh::Dispatch(Message);
    if (HandleAllocated())
      RecreateWnd();
    return;
  }
  TDBLookupGridEh::Dispatch(Message);
}

void TPopupDataGridEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  bool sizeChanges = AWidth != Width() || AHeight != Height();
  TComponentState state = ComponentState();
  if (sizeChanges && !state.Contains(csReading) && !state.Contains(csDestroying)) {
    AWidth = std::max<Integer>(AWidth, GetSystemMetrics(SM_CXVSCROLL));
    AHeight = std::max<Integer>(AHeight, GetSystemMetrics(SM_CYHSCROLL));
  }
  TDBLookupGridEh::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!sizeChanges)
    return;
  if (FSizeGrip && FSizeGrip->HandleAllocated())
    FSizeGrip->SnapToCorner();
  FSizeGripResized = true;
}

void TPopupDataGridEh::KeyValueChanged()
{
  TDBLookupGridEh::KeyValueChanged();
  if (FUserAction && OnUserKeyValueChanged)
    OnUserKeyValueChanged(this);
}

void TPopupDataGridEh::KeyDown(Word& Key, TShiftState Shift)
{
  bool saved = FUserAction;
  FUserAction = true;
  TScopeExit done([this, saved] { FUserAction = saved; });
  TDBLookupGridEh::KeyDown(Key, Shift);
}

void TPopupDataGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  bool tree = MemTreeMouseDown(X, Y, true);
  {
    bool saved = FUserAction;
    FUserAction = true;
    TScopeExit done([this, saved] { FUserAction = saved; });
    TDBLookupGridEh::MouseDown(Button, Shift, X, Y);
  }
  FClickStartedInside = !tree;
}

void TPopupDataGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  bool saved = FUserAction;
  FUserAction = true;
  TScopeExit done([this, saved] { FUserAction = saved; });
  TDBLookupGridEh::MouseMove(Shift, X, Y);
  // Hovering chooses: the row under the pointer while no button is held.
  bool button = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
  if (button || ReadOnly() || Tracking() || GridState() != gsNormal || !CanChangeKey())
    return;
  if (InSpecRow(Y) || InDataCells(X, Y))
    SelectAtPoint(Y);
}

void TPopupDataGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  bool normal = GridState() == gsNormal;
  bool startedInside = FClickStartedInside;
  FClickStartedInside = false;
  TDestroyWatch watch(this);
  TDBLookupGridEh::MouseUp(Button, Shift, X, Y);
  if (watch.Destroyed() || !normal || !startedInside || !OnMouseCloseUp)
    return;
  TRect client = ClientRect();
  bool inside = X >= client.Left && X < client.Right && Y >= client.Top && Y < client.Bottom;
  if (!inside)
    OnMouseCloseUp(this, false);
  else if (InSpecRow(Y) || InDataCells(X, Y))
    OnMouseCloseUp(this, true);
}
