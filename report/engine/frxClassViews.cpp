// The visual objects other than text: the settings objects of views (frame, highlight,
// display format), TfrxView and TfrxStretcheable, lines, pictures, shapes and subreports.
// frxClass.h describes them; the text object is in frxClassMemo.cpp.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

using namespace frxclass;

void frxclass::RegisterSettingsClasses()
{
  RegisterEnumType<TfrxFrameStyle>(
      "TfrxFrameStyle", {"fsSolid", "fsDash", "fsDot", "fsDashDot", "fsDashDotDot", "fsDouble"});
  RegisterEnumType<TfrxFrameType>("TfrxFrameType", {"ftLeft", "ftRight", "ftTop", "ftBottom"});
  RegisterSetType<TfrxFrameTypes>("TfrxFrameTypes");
  RegisterEnumType<TfrxFormatKind>("TfrxFormatKind",
                                   {"fkText", "fkNumeric", "fkDateTime", "fkBoolean"});
  TClassRegistration<TfrxFrame, TPersistent>("TfrxFrame")
      .Property("Color", &TfrxFrame::Color, &TfrxFrame::SetColor)
      .Type(TColorTypeInfo())
      .Default(0)
      .Property("DropShadow", &TfrxFrame::DropShadow, &TfrxFrame::SetDropShadow)
      .Default(false)
      .Property("ShadowColor", &TfrxFrame::ShadowColor, &TfrxFrame::SetShadowColor)
      .Type(TColorTypeInfo())
      .Default(0)
      .Property("ShadowWidth", &TfrxFrame::ShadowWidth, &TfrxFrame::SetShadowWidth)
      .Stored(&TfrxFrame::IsShadowWidthStored)
      .Property("Style", &TfrxFrame::Style, &TfrxFrame::SetStyle)
      .Default(fsSolid)
      .Property("Typ", &TfrxFrame::Typ, &TfrxFrame::SetTyp)
      .Stored(&TfrxFrame::IsTypStored)
      .Property("Width", &TfrxFrame::Width, &TfrxFrame::SetWidth)
      .Stored(&TfrxFrame::IsWidthStored);
  TClassRegistration<TfrxHighlight, TPersistent>("TfrxHighlight")
      .Property("Active", &TfrxHighlight::Active, &TfrxHighlight::SetActive)
      .Default(false)
      .Property("Font", &TfrxHighlight::Font, &TfrxHighlight::SetFont)
      .Property("Color", &TfrxHighlight::Color, &TfrxHighlight::SetColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("Condition", &TfrxHighlight::Condition, &TfrxHighlight::SetCondition);
  TClassRegistration<TfrxFormat, TPersistent>("TfrxFormat")
      .Property("DecimalSeparator", &TfrxFormat::DecimalSeparator, &TfrxFormat::SetDecimalSeparator)
      .Property("FormatStr", &TfrxFormat::FormatStr, &TfrxFormat::SetFormatStr)
      .Property("Kind", &TfrxFormat::Kind, &TfrxFormat::SetKind)
      .Default(fkText);
}

void frxclass::RegisterViewClasses()
{
  RegisterEnumType<TfrxShiftMode>("TfrxShiftMode", {"smDontShift", "smAlways", "smWhenOverlapped"});
  RegisterEnumType<TfrxStretchMode>("TfrxStretchMode",
                                    {"smDontStretch", "smActualHeight", "smMaxHeight"});
  RegisterEnumType<TfrxShapeKind>("TfrxShapeKind",
                                  {"skRectangle", "skRoundRectangle", "skEllipse", "skTriangle",
                                   "skDiamond", "skDiagonal1", "skDiagonal2"});
  TClassRegistration<TfrxView, TfrxReportComponent>("TfrxView")
      .Property("Align", &TfrxView::Align, &TfrxView::SetAlign)
      .Default(baNone)
      .Property("Cursor", &TfrxView::Cursor, &TfrxView::SetCursor)
      .Type(TCursorTypeInfo())
      .Default(0)
      .Property("Printable", &TfrxView::Printable, &TfrxView::SetPrintable)
      .Default(true)
      .Property("ShiftMode", &TfrxView::ShiftMode, &TfrxView::SetShiftMode)
      .Default(smAlways)
      .Property("TagStr", &TfrxView::TagStr, &TfrxView::SetTagStr)
      .Property("URL", &TfrxView::URL, &TfrxView::SetURL)
      .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
      .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
      .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
      .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
      .Property("GroupIndex", &TfrxComponent::GroupIndex, &TfrxComponent::SetGroupIndex)
      .Default(0)
      .Property("Restrictions", &TfrxComponent::Restrictions, &TfrxComponent::SetRestrictions)
      .Default(TfrxRestrictions{})
      .Property("Visible", &TfrxComponent::Visible, &TfrxComponent::SetVisible)
      .Default(true)
      .Property("OnAfterData", &TfrxView::OnAfterData, &TfrxView::OnAfterData)
      .Property("OnAfterPrint", &TfrxView::OnAfterPrint, &TfrxView::OnAfterPrint)
      .Property("OnBeforePrint", &TfrxView::OnBeforePrint, &TfrxView::OnBeforePrint)
      .Property("OnPreviewClick", &TfrxView::OnPreviewClick, &TfrxView::OnPreviewClick);
  TClassRegistration<TfrxStretcheable, TfrxView>("TfrxStretcheable")
      .Property("StretchMode", &TfrxStretcheable::StretchMode, &TfrxStretcheable::SetStretchMode)
      .Default(smDontStretch);
  TClassRegistration<TfrxCustomLineView, TfrxStretcheable>("TfrxCustomLineView");
  TClassRegistration<TfrxLineView, TfrxCustomLineView>("TfrxLineView")
      .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
      .Property("Diagonal", &TfrxCustomLineView::Diagonal, &TfrxCustomLineView::SetDiagonal)
      .Default(false);
  using P = TfrxPictureView;
  TClassRegistration<TfrxPictureView, TfrxView>("TfrxPictureView")
      .Property("AutoSize", &P::AutoSize, &P::SetAutoSize)
      .Default(false)
      .Property("Center", &P::Center, &P::SetCenter)
      .Default(false)
      .Property("DataField", &TfrxView::DataField, &TfrxView::SetDataField)
      .Property("DataSet", &TfrxView::DataSet, &TfrxView::SetDataSet)
      .Property("DataSetName", &TfrxView::DataSetName, &TfrxView::SetDataSetName)
      .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
      .Property("KeepAspectRatio", &P::KeepAspectRatio, &P::SetKeepAspectRatio)
      .Default(true)
      .Property("Picture", &P::Picture, &P::SetPicture)
      .Property("Stretched", &P::Stretched, &P::SetStretched)
      .Default(true);
  TClassRegistration<TfrxShapeView, TfrxView>("TfrxShapeView")
      .Property("BrushStyle", &TfrxView::BrushStyle, &TfrxView::SetBrushStyle)
      .Default(bsSolid)
      .Property("Color", &TfrxView::Color, &TfrxView::SetColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
      .Property("Shape", &TfrxShapeView::Shape, &TfrxShapeView::SetShape)
      .Default(skRectangle);
  TClassRegistration<TfrxSubreport, TfrxView>("TfrxSubreport")
      .Property("Page", &TfrxSubreport::Page, &TfrxSubreport::SetPage)
      .Property("PrintOnParent", &TfrxSubreport::PrintOnParent, &TfrxSubreport::SetPrintOnParent)
      .Default(false);
}

// ---- Difference texts and expressions ----

void frxclass::AddDiff(AnsiString& Result, const char* Name, const AnsiString& Value)
{
  Result += ' ';
  Result += Name;
  Result += "=\"";
  Result += Value;
  Result += '"';
}

AnsiString frxclass::BoolText(bool Value)
{
  return Value ? "1" : "0";
}

bool frxclass::FloatDiffers(Extended a, Extended b)
{
  return std::fabs(a - b) > 0.0001L;
}

// Replaces every expression between Open and Close in Text by Evaluate(expression),
// scanning on after each inserted value. Double-byte characters are stepped over whole;
// an expression without its closing delimiter raises the expression error.
AnsiString frxclass::ExpandExpressions(AnsiString Text, const AnsiString& Open,
                                       const AnsiString& Close,
                                       const std::function<AnsiString(const AnsiString&)>& Evaluate)
{
  if (Open.empty() || Close.empty())
    return Text;
  size_t i = 0;
  while (i < Text.size()) {
    if (IsDBCSLeadByte(static_cast<unsigned char>(Text[i]))) {
      i += 2;
      continue;
    }
    if (Text.compare(i, Open.size(), Open) != 0) {
      ++i;
      continue;
    }
    Integer start = static_cast<Integer>(i) + 1, end = 0;
    AnsiString expr;
    ExtractBracketed(Text, Open, Close, expr, end, start);
    const size_t closeAt = static_cast<size_t>(end) >= Close.size() ? end - Close.size() : 0;
    if (end <= start || Text.compare(closeAt, Close.size(), Close) != 0)
      throw Exception(ReportResources()->Lookup("clExprError") + ": " + Text.substr(i));
    const AnsiString value = Evaluate(expr);
    Text.replace(i, static_cast<size_t>(end) - i, value);
    i += value.size();
  }
  return Text;
}

// ---- Frame, highlight, display format ----

void TfrxFrame::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxFrame*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FColor = source->FColor;
  FDropShadow = source->FDropShadow;
  FShadowColor = source->FShadowColor;
  FShadowWidth = source->FShadowWidth;
  FStyle = source->FStyle;
  FTyp = source->FTyp;
  FWidth = source->FWidth;
}

AnsiString TfrxFrame::Diff(const TfrxFrame* Source) const
{
  AnsiString result;
  if (FColor != Source->FColor)
    AddDiff(result, "Frame.Color", IntToStr(FColor));
  if (FDropShadow != Source->FDropShadow)
    AddDiff(result, "Frame.DropShadow", BoolText(FDropShadow));
  if (FShadowColor != Source->FShadowColor)
    AddDiff(result, "Frame.ShadowColor", IntToStr(FShadowColor));
  if (FloatDiffers(FShadowWidth, Source->FShadowWidth))
    AddDiff(result, "Frame.ShadowWidth", FloatToStr(FShadowWidth));
  if (FStyle != Source->FStyle)
    AddDiff(result, "Frame.Style", IntToStr(static_cast<Integer>(FStyle)));
  if (FTyp != Source->FTyp)
    AddDiff(result, "Frame.Typ", IntToStr(static_cast<Integer>(FTyp.Raw())));
  if (FloatDiffers(FWidth, Source->FWidth))
    AddDiff(result, "Frame.Width", FloatToStr(FWidth));
  return result;
}

TfrxHighlight::TfrxHighlight() : FFont(std::make_unique<TFont>()), FColor(clNone)
{
  FFont->SetPixelsPerInch(96);
  FFont->SetName("Arial");
  FFont->SetSize(10);
  FFont->SetColor(255);
  FFont->SetCharset(DEFAULT_CHARSET);
}

TfrxHighlight::~TfrxHighlight() = default;

void TfrxHighlight::SetFont(TFont* Value)
{
  FFont->Assign(Value);
}

void TfrxHighlight::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxHighlight*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FFont->Assign(source->FFont.get());
  FColor = source->FColor;
  FCondition = source->FCondition;
}

void TfrxFormat::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxFormat*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FDecimalSeparator = source->FDecimalSeparator;
  FFormatStr = source->FFormatStr;
  FKind = source->FKind;
}

// ---- TfrxView ----

TfrxView::TfrxView(TComponent* AOwner)
    : TfrxReportComponent(AOwner), FColor(clNone), FFrame(std::make_unique<TfrxFrame>())
{
  SetStoreAllProperties(true);
}

TfrxView::~TfrxView() = default;

void TfrxView::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxReportComponent::Notification(AComponent, Operation);
  FDataSetLink.Notification(AComponent, Operation);
}

void TfrxView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                    Extended OffsetY)
{
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  DrawBackground();
  DrawFrame();
}

void TfrxView::BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                         Extended OffsetY)
{
  FCanvas = Canvas;
  FScaleX = ScaleX;
  FScaleY = ScaleY;
  FOffsetX = OffsetX;
  FOffsetY = OffsetY;
  FX = static_cast<Integer>(Round(OffsetX + ScaleX * AbsLeft()));
  FY = static_cast<Integer>(Round(OffsetY + ScaleY * AbsTop()));
  FX1 = static_cast<Integer>(Round(OffsetX + ScaleX * (AbsLeft() + Width())));
  FY1 = static_cast<Integer>(Round(OffsetY + ScaleY * (AbsTop() + Height())));
  if (FFrame->DropShadow()) {
    // The shadow is drawn inside the object's bounds.
    FX1 -= static_cast<Integer>(Round(ScaleX * FFrame->ShadowWidth()));
    FY1 -= static_cast<Integer>(Round(ScaleY * FFrame->ShadowWidth()));
  }
  FDX = FX1 - FX;
  FDY = FY1 - FY;
  FFrameWidth = static_cast<Integer>(Round(ScaleX * FFrame->Width()));
}

void TfrxView::DrawBackground()
{
  TBrush* brush = FCanvas->Brush();
  if (FColor != clNone) {
    brush->SetStyle(bsSolid);
    brush->SetColor(FColor);
    FCanvas->FillRect(TRect{FX, FY, FX1, FY1});
  }
  if (FBrushStyle == bsSolid)
    return;
  brush->SetStyle(FBrushStyle);
  brush->SetColor(FFrame->Color());
  FCanvas->Pen()->SetStyle(psSolid);
  FCanvas->Pen()->SetWidth(1);
  FCanvas->Pen()->SetColor(FColor == clNone ? clWhite : FColor);
  FCanvas->Rectangle(FX, FY, FX1 + 1, FY1 + 1);
  brush->SetStyle(bsSolid);
}

void TfrxView::DrawThickLine(Integer X0, Integer Y0, Integer X2, Integer Y2, Integer Width)
{
  if (Width <= 0)
    Width = 1;
  // Parallel one-pixel lines, shifted across the line's main direction.
  const bool horizontal = std::abs(X2 - X0) > std::abs(Y2 - Y0);
  TPen* pen = FCanvas->Pen();
  const Integer oldWidth = pen->Width();
  pen->SetWidth(1);
  for (Integer i = -(Width / 2); i <= Width - 1 - Width / 2; ++i) {
    if (horizontal) {
      FCanvas->MoveTo(X0, Y0 + i);
      FCanvas->LineTo(X2, Y2 + i);
    } else {
      FCanvas->MoveTo(X0 + i, Y0);
      FCanvas->LineTo(X2 + i, Y2);
    }
  }
  pen->SetWidth(oldWidth);
}

void TfrxView::DrawFrameSide(TfrxFrameType Side)
{
  Integer x0 = 0, y0 = 0, x2 = 0, y2 = 0;
  switch (Side) {
  case ftLeft:
    x0 = FX;
    y0 = FY;
    x2 = FX;
    y2 = FY1;
    break;
  case ftRight:
    x0 = FX1;
    y0 = FY;
    x2 = FX1;
    y2 = FY1;
    break;
  case ftTop:
    x0 = FX;
    y0 = FY;
    x2 = FX1;
    y2 = FY;
    break;
  case ftBottom:
    x0 = FX;
    y0 = FY1;
    x2 = FFrameWidth == 1 ? FX1 + 1 : FX1;
    y2 = FY1;
    break;
  }
  const TfrxFrameStyle style = FFrame->Style();
  if (style == fsSolid) {
    FCanvas->MoveTo(x0, y0);
    FCanvas->LineTo(x2, y2);
    return;
  }
  if (style != fsDouble) {
    DrawThickLine(x0, y0, x2, y2, FFrameWidth);
    return;
  }
  // Two lines FrameWidth either side of the side's line; the ends reach out or in by
  // FrameWidth where a neighbouring side exists.
  const Integer w = FFrameWidth;
  const TfrxFrameTypes typ = FFrame->Typ();
  const bool vertical = Side == ftLeft || Side == ftRight;
  const bool startNeighbour = typ.Contains(vertical ? ftTop : ftLeft);
  const bool endNeighbour = typ.Contains(vertical ? ftBottom : ftRight);
  const Integer outerFirst = (Side == ftLeft || Side == ftTop) ? 1 : -1;
  for (Integer line = 0; line < 2; ++line) {
    const Integer shift = line == 0 ? -w : w;
    const Integer grow = (line == 0 ? outerFirst : -outerFirst) * w;
    const Integer s = startNeighbour ? grow : 0, e = endNeighbour ? grow : 0;
    if (vertical)
      DrawThickLine(x0 + shift, y0 - s, x2 + shift, y2 + e, w);
    else
      DrawThickLine(x0 - s, y0 + shift, x2 + e, y2 + shift, w);
  }
  if (FColor != clNone) {
    TPen* pen = FCanvas->Pen();
    pen->SetColor(FColor);
    DrawThickLine(x0, y0, x2, y2, w);
    pen->SetColor(FFrame->Color());
  }
}

void TfrxView::DrawFrame()
{
  TPen* pen = FCanvas->Pen();
  if (FFrame->DropShadow()) {
    pen->SetStyle(psSolid);
    pen->SetColor(FFrame->ShadowColor());
    const Integer sx = static_cast<Integer>(Round(FFrame->ShadowWidth() * FScaleX));
    DrawThickLine(FX1 + sx / 2, FY + sx, FX1 + sx / 2, FY1, sx);
    const Integer sy = static_cast<Integer>(Round(FFrame->ShadowWidth() * FScaleY));
    DrawThickLine(FX + sy, FY1 + sy / 2, FX1 + sy, FY1 + sy / 2, sy);
  }
  if (FFrame->Typ().Empty() || FFrame->Color() == clNone || FFrame->Width() == 0)
    return;
  pen->SetColor(FFrame->Color());
  switch (FFrame->Style()) {
  case fsDash:
    pen->SetStyle(psDash);
    pen->SetWidth(1);
    break;
  case fsDot:
    pen->SetStyle(psDot);
    pen->SetWidth(1);
    break;
  case fsDashDot:
    pen->SetStyle(psDashDot);
    pen->SetWidth(1);
    break;
  case fsDashDotDot:
    pen->SetStyle(psDashDotDot);
    pen->SetWidth(1);
    break;
  case fsSolid:
  case fsDouble:
    pen->SetStyle(psSolid);
    pen->SetWidth(FFrameWidth);
    break;
  }
  TBrush* brush = FCanvas->Brush();
  brush->SetStyle(bsSolid);
  if (FFrame->Style() != fsSolid) {
    if (FColor == clNone)
      brush->SetStyle(bsClear);
    else
      brush->SetColor(FColor);
  }
  for (TfrxFrameType side : {ftLeft, ftRight, ftTop, ftBottom})
    if (FFrame->Typ().Contains(side))
      DrawFrameSide(side);
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
}

void TfrxView::SaveState()
{
  TfrxReportComponent::SaveState();
  FSavedTagStr = FTagStr;
  FSavedURL = FURL;
}

void TfrxView::RestoreState()
{
  TfrxReportComponent::RestoreState();
  FTagStr = FSavedTagStr;
  FURL = FSavedURL;
}

void TfrxView::EvaluateData()
{
  TfrxReport* report = Report();
  if (!report)
    return;
  auto calc = [report](const AnsiString& Expr) { return VarToStr(report->Calc(Expr)); };
  if (FTagStr.find('[') != AnsiString::npos)
    FTagStr = ExpandExpressions(FTagStr, "[", "]", calc);
  if (FURL.find('[') != AnsiString::npos)
    FURL = ExpandExpressions(FURL, "[", "]", calc);
}

AnsiString TfrxView::ViewDiff(TfrxView* Source)
{
  AnsiString result;
  if (FBrushStyle != Source->FBrushStyle)
    AddDiff(result, "BrushStyle", IntToStr(static_cast<Integer>(FBrushStyle)));
  if (FAlign != Source->FAlign)
    AddDiff(result, "Align", IntToStr(static_cast<Integer>(FAlign)));
  if (FColor != Source->FColor)
    AddDiff(result, "Color", IntToStr(FColor));
  result += FFrame->Diff(Source->FFrame.get());
  if (FCursor != Source->FCursor)
    AddDiff(result, "Cursor", IntToStr(FCursor));
  if (FPrintable != Source->FPrintable)
    AddDiff(result, "Printable", BoolText(FPrintable));
  if (FTagStr != Source->FTagStr)
    AddDiff(result, "TagStr", StrToXML(FTagStr));
  if (FURL != Source->FURL)
    AddDiff(result, "URL", StrToXML(FURL));
  return result;
}

AnsiString TfrxView::Diff(TfrxComponent* Source)
{
  AnsiString result = TfrxReportComponent::Diff(Source);
  if (auto* source = dynamic_cast<TfrxView*>(Source))
    result += ViewDiff(source);
  return result;
}

// ---- Line ----

void TfrxCustomLineView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                              Extended OffsetY)
{
  if (!FDiagonal) {
    if (Width() <= Height()) {
      SetWidth(0);
      Frame()->SetTyp(TfrxFrameTypes{ftLeft});
    } else {
      SetHeight(0);
      Frame()->SetTyp(TfrxFrameTypes{ftTop});
    }
  }
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  if (!FDiagonal) {
    DrawFrame();
    return;
  }
  if (Frame()->Color() == clNone || Frame()->Width() == 0)
    return;
  TBrush* brush = Canvas->Brush();
  brush->SetStyle(Color() == clNone ? bsClear : bsSolid);
  if (Color() != clNone)
    brush->SetColor(Color());
  TPen* pen = Canvas->Pen();
  pen->SetColor(Frame()->Color());
  pen->SetWidth(1);
  switch (Frame()->Style()) {
  case fsDash:
    pen->SetStyle(psDash);
    break;
  case fsDot:
    pen->SetStyle(psDot);
    break;
  case fsDashDot:
    pen->SetStyle(psDashDot);
    break;
  case fsDashDotDot:
    pen->SetStyle(psDashDotDot);
    break;
  default:
    pen->SetStyle(psSolid);
    break;
  }
  DrawThickLine(FX, FY, FX1, FY1, FFrameWidth);
}

AnsiString TfrxCustomLineView::GetDescription()
{
  return ReportResources()->Lookup("obLine");
}

// ---- Picture ----

TfrxPictureView::TfrxPictureView(TComponent* AOwner)
    : TfrxView(AOwner), FPicture(std::make_unique<TPicture>())
{
  SetColor(clWhite);
  FPicture->OnChange = TNotifyEvent::Bind(this, &TfrxPictureView::PictureChangedHandler);
}

TfrxPictureView::~TfrxPictureView()
{
  FPicture->OnChange = nullptr;
}

void TfrxPictureView::SetPicture(TPicture* Value)
{
  FPicture->Assign(Value);
}

void TfrxPictureView::SetAutoSize(bool Value)
{
  FAutoSize = Value;
  if (FAutoSize && !FPicture->Empty()) {
    SetWidth(FPicture->Width());
    SetHeight(FPicture->Height());
  }
}

void TfrxPictureView::PictureChangedHandler(TObject*)
{
  SetAutoSize(FAutoSize);
  FPictureChanged = true;
}

void TfrxPictureView::LoadFromFile(const AnsiString& FileName)
{
  FPicture->LoadFromFile(FileName);
}

void TfrxPictureView::EvaluateData()
{
  TfrxView::EvaluateData();
  if (!HasDataBinding() || !DataSet()->IsBlobField(DataField()))
    return;
  TMemoryStream data;
  DataSet()->AssignBlobTo(DataField(), &data);
  const Int64 size = data.Size();
  if (size == 0) {
    FPicture->SetGraphic(nullptr);
    return;
  }
  // Bytes at 0-based Offset, little-endian; 0 beyond the end.
  auto bytes = static_cast<const unsigned char*>(data.Memory());
  auto word = [&](Int64 offset) -> Cardinal {
    return offset + 2 <= size ? bytes[offset] | (bytes[offset + 1] << 8) : 0;
  };
  auto dword = [&](Int64 offset) -> Cardinal {
    return offset + 4 <= size ? word(offset) | (word(offset + 2) << 16) : 0;
  };
  // A stored 8-byte header: 1, 0x0100 and the length of what follows.
  Int64 start = 0;
  if (size >= 8 && word(0) == 1 && word(2) == 0x0100 && dword(4) == size - 8)
    start = 8;
  std::unique_ptr<TGraphic> graphic;
  if (start + 2 <= size && bytes[start] == 'B' && bytes[start + 1] == 'M')
    graphic = std::make_unique<TBitmap>();
  else if (start + 2 <= size && bytes[start] == 0xFF && bytes[start + 1] == 0xD8)
    graphic = std::make_unique<TJPEGImage>();
  else if (dword(start) == 0x9AC6CDD7 ||
           (start + 44 <= size && std::memcmp(bytes + start + 40, " EMF", 4) == 0))
    graphic = std::make_unique<TMetafile>();
  if (!graphic) {
    // Icons have no graphic class here; they clear the picture like unknown bytes.
    FPicture->SetGraphic(nullptr);
    return;
  }
  data.SetPosition(start);
  graphic->LoadFromStream(&data);
  FPicture->SetGraphic(graphic.get());
}

void TfrxPictureView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                           Extended OffsetY)
{
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  DrawBackground();
  TRect r{FX, FY, FX1, FY1};
  TGraphic* graphic = FPicture->Graphic();
  if (graphic && !graphic->Empty()) {
    const Integer w = FPicture->Width(), h = FPicture->Height();
    if (FStretched && FKeepAspectRatio && w > 0 && h > 0) {
      const Extended kx = static_cast<Extended>(FDX) / w, ky = static_cast<Extended>(FDY) / h;
      if (ky > kx)
        r.Bottom = r.Top + static_cast<Integer>(Round(h * kx));
      else
        r.Right = r.Left + static_cast<Integer>(Round(w * ky));
      if (FCenter) {
        const Integer dx = (FDX - r.Width()) / 2, dy = (FDY - r.Height()) / 2;
        r = TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
      }
    } else if (!FStretched) {
      const Integer sw = static_cast<Integer>(Round(ScaleX * w));
      const Integer sh = static_cast<Integer>(Round(ScaleY * h));
      if (FCenter) {
        r.Left += (FDX - sw) / 2;
        r.Top += (FDY - sh) / 2;
      }
      r.Right = r.Left + sw;
      r.Bottom = r.Top + sh;
    }
    DrawGraphic(Canvas, r, graphic);
  } else if (IsDesigning()) {
    Canvas->Font()->SetName("Tahoma");
    Canvas->Font()->SetSize(8);
    Canvas->Font()->SetColor(clBlack);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextRect(r, FX + 20, FY + 3, ReportResources()->Lookup("obPicture"));
  }
  DrawFrame();
}

AnsiString TfrxPictureView::Diff(TfrxComponent* Source)
{
  if (!FPictureChanged)
    return TfrxComponent::Diff(Source);
  TfrxXMLSerializer serializer(nullptr);
  AnsiString data = serializer.ObjToXML(FPicture.get(), "Picture.");
  if (!data.empty() && data[0] == ' ')
    data.erase(0, 1);
  AnsiString result = data.empty() ? AnsiString() : " " + data;
  return result + TfrxComponent::Diff(Source);
}

AnsiString TfrxPictureView::GetDescription()
{
  return ReportResources()->Lookup("obPicture");
}

// ---- Shape ----

void TfrxShapeView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                         Extended OffsetY)
{
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  TPen* pen = Canvas->Pen();
  TBrush* brush = Canvas->Brush();
  pen->SetColor(Frame()->Color());
  pen->SetWidth(FFrameWidth);
  switch (Frame()->Style()) {
  case fsDash:
    pen->SetStyle(psDash);
    break;
  case fsDot:
    pen->SetStyle(psDot);
    break;
  case fsDashDot:
    pen->SetStyle(psDashDot);
    break;
  case fsDashDotDot:
    pen->SetStyle(psDashDotDot);
    break;
  default:
    pen->SetStyle(psSolid);
    break;
  }
  Canvas->SetBkMode(OPAQUE);
  auto drawShape = [&]() {
    switch (FShape) {
    case skRectangle:
      Canvas->Rectangle(FX, FY, FX1 + 1, FY1 + 1);
      break;
    case skRoundRectangle: {
      const Integer corner = std::min(FDX, FDY) / 4;
      Canvas->RoundRect(FX, FY, FX1 + 1, FY1 + 1, corner, corner);
      break;
    }
    case skEllipse:
      Canvas->Ellipse(FX, FY, FX1 + 1, FY1 + 1);
      break;
    case skTriangle: {
      const TPoint points[] = {{FX1, FY1}, {FX, FY1}, {FX + FDX / 2, FY}};
      Canvas->Polygon(points, 3);
      break;
    }
    case skDiamond: {
      const TPoint points[] = {
          {FX + FDX / 2, FY}, {FX1, FY + FDY / 2}, {FX + FDX / 2, FY1}, {FX, FY + FDY / 2}};
      Canvas->Polygon(points, 4);
      break;
    }
    case skDiagonal1:
      DrawThickLine(FX, FY1, FX1, FY, FFrameWidth);
      break;
    case skDiagonal2:
      DrawThickLine(FX, FY, FX1, FY1, FFrameWidth);
      break;
    }
  };
  if (BrushStyle() == bsSolid) {
    brush->SetStyle(Color() == clNone ? bsClear : bsSolid);
    if (Color() != clNone)
      brush->SetColor(Color());
    drawShape();
    return;
  }
  if (Color() != clNone) {
    brush->SetStyle(bsSolid);
    brush->SetColor(Color());
    drawShape();
  }
  brush->SetStyle(BrushStyle());
  brush->SetColor(Frame()->Color());
  drawShape();
}

AnsiString TfrxShapeView::Diff(TfrxComponent* Source)
{
  AnsiString result = TfrxView::Diff(Source);
  if (auto* source = dynamic_cast<TfrxShapeView*>(Source); source && FShape != source->FShape)
    AddDiff(result, "Shape", IntToStr(static_cast<Integer>(FShape)));
  return result;
}

AnsiString TfrxShapeView::GetDescription()
{
  return ReportResources()->Lookup("obShape");
}

// ---- Subreport ----

TfrxSubreport::TfrxSubreport(TComponent* AOwner) : TfrxView(AOwner)
{
  Frame()->SetTyp(TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom});
  Font()->SetName("Tahoma");
  Font()->SetSize(8);
  SetColor(clSilver);
}

TfrxSubreport::~TfrxSubreport()
{
  SetPage(nullptr);
}

void TfrxSubreport::SetPage(TfrxReportPage* Value)
{
  if (FPage == Value)
    return;
  if (FPage) {
    if (FPage->Subreport() == this)
      FPage->SetSubreport(nullptr);
    FPage->RemoveFreeNotification(this);
  }
  FPage = Value;
  if (FPage) {
    FPage->SetSubreport(this);
    FPage->FreeNotification(this);
  }
}

void TfrxSubreport::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxView::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPage)
    FPage = nullptr;
}

void TfrxSubreport::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                         Extended OffsetY)
{
  TfrxView::Draw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  Canvas->SetFont(Font());
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(FX + 2, FY + 2, Name());
}

AnsiString TfrxSubreport::GetDescription()
{
  return ReportResources()->Lookup("obSubRep");
}
