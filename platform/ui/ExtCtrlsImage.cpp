// Windowless drawing controls: shapes (TShape), paint boxes (TPaintBox) and images
// (TImage). ExtCtrls.h describes them.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ExtCtrlsPrivate.h"

void extctrls::RegisterImageClasses()
{
  RegisterEnumType<TShapeType>("TShapeType", {"stRectangle", "stSquare", "stRoundRect",
                                              "stRoundSquare", "stEllipse", "stCircle"});
  TClassRegistration<TShape, TGraphicControl>("TShape")
      .Property("Brush", &TShape::Brush, &TShape::SetBrush)
      .Property("Pen", &TShape::Pen, &TShape::SetPen)
      .Property("Shape", &TShape::Shape, &TShape::SetShape)
      .Default(stRectangle);
  TClassRegistration<TPaintBox, TGraphicControl>("TPaintBox")
      .Property("OnPaint", &TPaintBox::OnPaint, &TPaintBox::OnPaint);
  TClassRegistration<TImage, TGraphicControl>("TImage")
      .Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize)
      .Default(false)
      .Property("Center", &TImage::Center, &TImage::SetCenter)
      .Default(false)
      .Property("IncrementalDisplay", &TImage::IncrementalDisplay, &TImage::SetIncrementalDisplay)
      .Default(false)
      .Property("Picture", &TImage::Picture, &TImage::SetPicture)
      .Property("Proportional", &TImage::Proportional, &TImage::SetProportional)
      .Default(false)
      .Property("Stretch", &TImage::Stretch, &TImage::SetStretch)
      .Default(false)
      .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent)
      .Default(false);
}

// ---- TShape ----

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
  FControlStyle.Include(csReplicatable);
  FWidth = 65;
  FHeight = 65;
  FPen->OnChange = TNotifyEvent::Bind(this, &TShape::StyleChanged);
  FBrush->OnChange = TNotifyEvent::Bind(this, &TShape::StyleChanged);
}

TShape::~TShape() = default;

void TShape::StyleChanged(TObject*)
{
  Invalidate();
}

void TShape::SetShape(TShapeType Value)
{
  if (Value == FShape)
    return;
  FShape = Value;
  Invalidate();
}

// The pen's middle runs along the edge; squares and circles take the shorter side and stand
// in the middle.
void TShape::Paint()
{
  TCanvas* c = TGraphicControl::Canvas();
  c->SetPen(FPen.get());
  c->SetBrush(FBrush.get());
  Integer penWidth = FPen->Width();
  Integer x = penWidth / 2, y = x;
  Integer w = FWidth - penWidth + 1, h = FHeight - penWidth + 1;
  if (penWidth == 0) {
    --w;
    --h;
  }
  Integer s = std::min(w, h);
  if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  switch (FShape) {
  case stRectangle:
  case stSquare:
    c->Rectangle(x, y, x + w, y + h);
    break;
  case stRoundRect:
  case stRoundSquare:
    c->RoundRect(x, y, x + w, y + h, s / 4, s / 4);
    break;
  case stEllipse:
  case stCircle:
    c->Ellipse(x, y, x + w, y + h);
    break;
  }
}

// ---- TPaintBox ----

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FControlStyle.Include(csReplicatable);
  FWidth = 105;
  FHeight = 105;
}

void TPaintBox::Paint()
{
  TCanvas* c = Canvas();
  c->SetFont(FFont.get());
  c->Brush()->SetColor(FColor);
  if (ComponentState().Contains(csDesigning)) {
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, FWidth, FHeight);
  }
  OnPaint(this);
}

// ---- TImage ----

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>())
{
  FControlStyle.Include(csReplicatable);
  FWidth = 105;
  FHeight = 105;
  FPicture->OnChange = TNotifyEvent::Bind(this, &TImage::PictureChanged);
}

TImage::~TImage()
{
  FPicture->OnChange = nullptr;
}

TCanvas* TImage::Canvas()
{
  if (!FPicture->Graphic()) {
    auto bitmap = std::make_unique<TBitmap>(std::max(FWidth, 1), std::max(FHeight, 1));
    FPicture->SetGraphic(bitmap.get());
  }
  auto* bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
  if (!bitmap)
    throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  return bitmap->Canvas();
}

void TImage::SetCenter(bool Value)
{
  if (Value == FCenter)
    return;
  FCenter = Value;
  Invalidate();
}

void TImage::SetStretch(bool Value)
{
  if (Value == FStretch)
    return;
  FStretch = Value;
  Invalidate();
}

void TImage::SetProportional(bool Value)
{
  if (Value == FProportional)
    return;
  FProportional = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value)
{
  if (Value == FTransparent)
    return;
  FTransparent = Value;
  PictureChanged(this);
}

TRect TImage::DestRect() const
{
  Integer w = FPicture->Width(), h = FPicture->Height();
  Integer cw = FWidth, ch = FHeight;
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<Integer>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<Integer>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<Integer>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<Integer>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r = Rect(0, 0, w, h);
  if (FCenter)
    OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint()
{
  TCanvas* c = TGraphicControl::Canvas();
  if (ComponentState().Contains(csDesigning)) {
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, FWidth, FHeight);
  }
  if (TGraphic* graphic = FPicture->Graphic(); graphic && !graphic->Empty())
    c->StretchDraw(DestRect(), graphic);
}

void TImage::AdjustSize()
{
  if (FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
}

void TImage::PictureChanged(TObject*)
{
  if (TGraphic* graphic = FPicture->Graphic())
    if (graphic->Transparent() != FTransparent)
      graphic->SetTransparent(FTransparent);
  if (FAutoSize)
    AdjustSize();
  Invalidate();
}
