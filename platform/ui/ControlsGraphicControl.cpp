// TGraphicControl, a control without a window: painted on its parent's window through a
// canvas bound to the parent's device context, fed by the parent. Controls.h describes it.
#include "platform/graphics/Region.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ControlsPrivate.h"

// ---- Registration ------------------------------------------------------------------------------

void RegisterGraphicControlClass()
{
  TClassRegistration<TGraphicControl, TControl>("TGraphicControl");
}

// ---- TGraphicControl and TCustomControl --------------------------------------------------------

void BindCanvasToDC(TCanvas& Canvas, HDC DC)
{
  TCanvas* source = CanvasFromDC(DC);
  if (!source) {
    Canvas.SetSurface(nullptr);
    Canvas.SelectClipRegion(nullptr);
    Canvas.SetWindowOrg({0, 0});
    return;
  }
  Canvas.SetSurface(source->Surface());
  Canvas.SetWindowOrg(source->WindowOrg());
  TRegion clip;
  if (source->GetClipRegion(clip))
    Canvas.SelectClipRegion(&clip);
  else
    Canvas.SelectClipRegion(nullptr);
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner)
{
  FCanvas = std::make_unique<TCanvas>();
}

TGraphicControl::~TGraphicControl()
{
  if (FOwnDC)
    ReleaseDC(0, FOwnDC);
}

TCanvas* TGraphicControl::Canvas()
{
  if (!FCanvas->Surface() && FParent && FParent->HandleAllocated()) {
    if (FOwnDC)
      ReleaseDC(0, FOwnDC);
    FOwnDC = GetDC(FParent->Handle());
    if (TCanvas* c = CanvasFromDC(FOwnDC)) {
      c->SetWindowOrg({c->WindowOrg().X - FLeft, c->WindowOrg().Y - FTop});
      c->IntersectClipRect(Rect(0, 0, FWidth, FHeight));
    }
    BindCanvasToDC(*FCanvas, FOwnDC);
  }
  return FCanvas.get();
}

void TGraphicControl::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_PAINT) {
    WMPaint(Message);
    return;
  }
  TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message)
{
  if (!Message.WParam)
    return;
  if (FOwnDC) {
    ReleaseDC(0, FOwnDC);
    FOwnDC = 0;
  }
  BindCanvasToDC(*FCanvas, static_cast<HDC>(Message.WParam));
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetColor(FColor);
  TDestroyWatch watch(this);
  Paint();
  if (!watch.Destroyed())
    BindCanvasToDC(*FCanvas, 0);
}
