// The group box (TCustomGroupBox/TGroupBox): an etched frame with a caption around other
// controls. StdCtrls.h describes it.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void stdctrls::RegisterGroupBoxClasses()
{
  TClassRegistration<TCustomGroupBox, TCustomControl>("TCustomGroupBox");
  TClassRegistration<TGroupBox, TCustomGroupBox>("TGroupBox");
}

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,
                                csSetCaption,      csDoubleClicks, csReplicatable};
  FWidth = 185;
  FHeight = 105;
}

// The children stand inside the frame, below the caption.
void TCustomGroupBox::AdjustClientRect(TRect& Rect)
{
  HDC dc = GetDC(0);
  TCanvas* measure = CanvasFromDC(dc);
  measure->SetFont(FFont.get());
  Rect.Top += measure->TextHeight("0");
  ReleaseDC(0, dc);
  InflateRect(Rect, -2, -2);
}

void TCustomGroupBox::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  c->SetFont(FFont.get());
  PaintGroupFrame(c, r, Caption(), FEnabled);
}

void TCustomGroupBox::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGCHAR:
    // The caption's accelerator focuses the first control of the group.
    if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      SelectFirst();
      Message.Result = 1;
      return;
    }
    break;
  case CM_TEXTCHANGED:
  case CM_ENABLEDCHANGED:
    Invalidate();
    break;
  case CM_FONTCHANGED:
    TCustomControl::Dispatch(Message);
    Realign();
    Invalidate();
    return;
  }
  TCustomControl::Dispatch(Message);
}
