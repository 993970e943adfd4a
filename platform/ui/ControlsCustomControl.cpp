// TCustomControl, a windowed control painting itself on a canvas, and THintWindow, the
// topmost window that shows a hint. Controls.h describes them.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ControlsPrivate.h"

// ---- Registration ------------------------------------------------------------------------------

void RegisterCustomControlClasses()
{
  TClassRegistration<TCustomControl, TWinControl>("TCustomControl");
  TClassRegistration<THintWindow, TCustomControl>("THintWindow");
}

// ---- TCustomControl ----------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FCanvas = std::make_unique<TCanvas>();
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetColor(FColor);
  TDestroyWatch watch(this);
  Paint();
  if (!watch.Destroyed())
    BindCanvasToDC(*FCanvas, 0);
}

// ---- THintWindow ----------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
  FVisible = false;
  FParentColor = false;
  FColor = clInfoBk;
  FBrush->SetColor(clInfoBk);
  FParentFont = false;
  FFont->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = 0;
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const AnsiString& Hint)
{
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont.get());
  TRect r = Rect(0, 0, MaxWidth, 0);
  c->DrawText(Hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  ReleaseDC(0, dc);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const AnsiString& Hint)
{
  SetCaption(Hint);
  // Keep it on the screen.
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (Rect.Right > sw)
    OffsetRect(Rect, sw - Rect.Right, 0);
  if (Rect.Bottom > sh)
    OffsetRect(Rect, 0, sh - Rect.Bottom);
  if (Rect.Left < 0)
    OffsetRect(Rect, -Rect.Left, 0);
  if (Rect.Top < 0)
    OffsetRect(Rect, 0, -Rect.Top);
  HWND h = Handle();
  SetWindowPos(h, HWND_TOPMOST, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  Invalidate();
}

void THintWindow::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  InflateRect(r, -1, -1);
  r.Left += 1;
  c->Brush()->SetStyle(bsClear);
  c->DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
