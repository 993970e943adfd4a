// Tool-bar panels and window layout persistence (frxDock.h).
#include "report/output/frxDock.h"

#include "platform/rtl/TypInfo.h"

TfrxTBPanel::TfrxTBPanel(TComponent* AOwner) : TPanel(AOwner)
{
  SetAlign(alLeft);
  SetWidth(8);
  SetHeight(8);
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  SetCaption("");
  SetColor(clBtnFace);
}

void TfrxTBPanel::SetParent(TWinControl* AParent)
{
  TPanel::SetParent(AParent);
  // A bar standing in a left or right dock runs top to bottom.
  if (AParent && AParent->Parent() &&
      (AParent->Parent()->Align() == alLeft || AParent->Parent()->Align() == alRight))
    SetAlign(alTop);
}

void TfrxTBPanel::Paint()
{
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(ClientRect());
  if (!ComponentState().Contains(csDesigning))
    return;
  c->Pen()->SetColor(clBtnShadow);
  c->Pen()->SetStyle(psDot);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(0, 0, Width(), Height());
}

void RegisterDockClasses()
{
  TClassRegistration<TfrxTBPanel, TPanel>("TfrxTBPanel");
}
