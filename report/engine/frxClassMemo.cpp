// The text object: TfrxCustomMemoView with TfrxMemoView and TfrxSysMemoView. frxClass.h
// describes it; its layout and drawing go through frxDrawText.h.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxDrawText.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxStyles.h"
#include "report/engine/frxUtils.h"
#include "report/engine/frxXML.h"

using namespace frxclass;

void frxclass::RegisterMemoClasses()
{
  RegisterEnumType<TfrxHAlign>("TfrxHAlign", {"haLeft", "haRight", "haCenter", "haBlock"});
  RegisterEnumType<TfrxVAlign>("TfrxVAlign", {"vaTop", "vaBottom", "vaCenter"});
  TClassRegistration<TfrxCustomMemoView, TfrxStretcheable>("TfrxCustomMemoView");

  using M = TfrxCustomMemoView;
  TClassRegistration<TfrxMemoView, TfrxCustomMemoView>("TfrxMemoView")
      .Property("AutoWidth", &M::AutoWidth, &M::SetAutoWidth)
      .Default(false)
      .Property("AllowExpressions", &M::AllowExpressions, &M::SetAllowExpressions)
      .Default(true)
      .Property("AllowHTMLTags", &M::AllowHTMLTags, &M::SetAllowHTMLTags)
      .Default(false)
      .Property("BrushStyle", &TfrxView::BrushStyle, &TfrxView::SetBrushStyle)
      .Default(bsSolid)
      .Property("CharSpacing", &M::CharSpacing, &M::SetCharSpacing)
      .Stored(&M::IsCharSpacingStored)
      .Property("Color", &TfrxView::Color, &TfrxView::SetColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("DataField", &TfrxView::DataField, &TfrxView::SetDataField)
      .Property("DataSet", &TfrxView::DataSet, &TfrxView::SetDataSet)
      .Property("DataSetName", &TfrxView::DataSetName, &TfrxView::SetDataSetName)
      .Property("DisplayFormat", &M::DisplayFormat, &M::SetDisplayFormat)
      .Property("ExpressionDelimiters", &M::ExpressionDelimiters, &M::SetExpressionDelimiters)
      .StoreEmpty()
      .Stored(&M::IsExpressionDelimitersStored)
      .Property("FlowTo", &M::FlowTo, &M::SetFlowTo)
      .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
      .Stored(&TfrxComponent::IsFontStored)
      .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
      .Property("GapX", &M::GapX, &M::SetGapX)
      .Stored(&M::IsGapXStored)
      .Property("GapY", &M::GapY, &M::SetGapY)
      .Stored(&M::IsGapYStored)
      .Property("HAlign", &M::HAlign, &M::SetHAlign)
      .Default(haLeft)
      .Property("HideZeros", &M::HideZeros, &M::SetHideZeros)
      .Default(false)
      .Property("Highlight", &M::Highlight, &M::SetHighlight)
      .Stored(&M::IsHighlightStored)
      .Property("LineSpacing", &M::LineSpacing, &M::SetLineSpacing)
      .Stored(&M::IsLineSpacingStored)
      .Property("Memo", &M::Memo, &M::SetMemo)
      .Property("ParagraphGap", &M::ParagraphGap, &M::SetParagraphGap)
      .Stored(&M::IsParagraphGapStored)
      .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
      .Default(true)
      .Property("Rotation", &M::Rotation, &M::SetRotation)
      .Default(0)
      .Property("RTLReading", &M::RTLReading, &M::SetRTLReading)
      .Default(false)
      .Property("Style", &M::Style, &M::SetStyle)
      .Property("SuppressRepeated", &M::SuppressRepeated, &M::SetSuppressRepeated)
      .Default(false)
      .Property("Underlines", &M::Underlines, &M::SetUnderlines)
      .Default(false)
      .Property("WordBreak", &M::WordBreak, &M::SetWordBreak)
      .Default(false)
      .Property("WordWrap", &M::WordWrap, &M::SetWordWrap)
      .Default(true)
      .Property("VAlign", &M::VAlign, &M::SetVAlign)
      .Default(vaTop);
  TClassRegistration<TfrxSysMemoView, TfrxCustomMemoView>("TfrxSysMemoView")
      .Property("AutoWidth", &M::AutoWidth, &M::SetAutoWidth)
      .Default(false)
      .Property("BrushStyle", &TfrxView::BrushStyle, &TfrxView::SetBrushStyle)
      .Default(bsSolid)
      .Property("CharSpacing", &M::CharSpacing, &M::SetCharSpacing)
      .Stored(&M::IsCharSpacingStored)
      .Property("Color", &TfrxView::Color, &TfrxView::SetColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("DisplayFormat", &M::DisplayFormat, &M::SetDisplayFormat)
      .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
      .Stored(&TfrxComponent::IsFontStored)
      .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
      .Property("GapX", &M::GapX, &M::SetGapX)
      .Stored(&M::IsGapXStored)
      .Property("GapY", &M::GapY, &M::SetGapY)
      .Stored(&M::IsGapYStored)
      .Property("HAlign", &M::HAlign, &M::SetHAlign)
      .Default(haLeft)
      .Property("HideZeros", &M::HideZeros, &M::SetHideZeros)
      .Default(false)
      .Property("Highlight", &M::Highlight, &M::SetHighlight)
      .Stored(&M::IsHighlightStored)
      .Property("Memo", &M::Memo, &M::SetMemo)
      .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
      .Default(true)
      .Property("Rotation", &M::Rotation, &M::SetRotation)
      .Default(0)
      .Property("RTLReading", &M::RTLReading, &M::SetRTLReading)
      .Default(false)
      .Property("Style", &M::Style, &M::SetStyle)
      .Property("SuppressRepeated", &M::SuppressRepeated, &M::SetSuppressRepeated)
      .Default(false)
      .Property("VAlign", &M::VAlign, &M::SetVAlign)
      .Default(vaTop);
}

namespace {

// A number, not a text, equal to 0 (what HideZeros leaves out).
bool IsZeroValue(const Variant& Value)
{
  return !VarIsNull(Value) && !VarIsStr(Value) && VarIsNumeric(Value) && Value.AsDouble() == 0;
}

// Holds a text layout for the duration of one use.
class TLayoutGuard {
public:
  explicit TLayoutGuard(TfrxDrawText* Layout) : FLayout(Layout) { FLayout->Acquire(); }
  ~TLayoutGuard() { FLayout->Release(); }
  TLayoutGuard(const TLayoutGuard&) = delete;
  TLayoutGuard& operator=(const TLayoutGuard&) = delete;

private:
  TfrxDrawText* FLayout;
};

const TRect MeasureRect{0, 0, 10000, 10000};

} // namespace

TfrxCustomMemoView::TfrxCustomMemoView(TComponent* AOwner)
    : TfrxStretcheable(AOwner), FMemo(std::make_unique<TStringList>()),
      FDisplayFormat(std::make_unique<TfrxFormat>()), FHighlight(std::make_unique<TfrxHighlight>()),
      FLastValue(Null())
{
  SetStoreAllProperties(false);
  SetParentFont(true);
}

TfrxCustomMemoView::~TfrxCustomMemoView()
{
  SetFlowTo(nullptr);
}

AnsiString TfrxCustomMemoView::Text() const
{
  return FMemo->Text();
}

void TfrxCustomMemoView::SetStyle(const AnsiString& Value)
{
  FStyle = Value;
  if (TfrxReport* report = Report())
    ApplyStyle(report->Styles()->Find(Value));
}

void TfrxCustomMemoView::ApplyStyle(TfrxStyleItem* Style)
{
  if (!Style)
    return;
  SetColor(Style->Color());
  SetFont(Style->Font());
  SetFrame(Style->Frame());
}

void TfrxCustomMemoView::SetText(const AnsiString& Value)
{
  FMemo->SetText(Value);
}

void TfrxCustomMemoView::SetFlowTo(TfrxCustomMemoView* Value)
{
  ReplaceComponentReference(this, Value, FFlowTo);
}

void TfrxCustomMemoView::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxStretcheable::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFlowTo)
    FFlowTo = nullptr;
}

bool TfrxCustomMemoView::IsHighlightStored() const
{
  return !Trim(FHighlight->Condition()).empty();
}

AnsiString TfrxCustomMemoView::FormatData(const Variant& Value, TfrxFormat* Format)
{
  if (!Format)
    Format = FDisplayFormat.get();
  if (VarIsNull(Value))
    return AnsiString();
  if (Format->Kind() == fkText)
    return VarToStr(Value);
  try {
    switch (Format->Kind()) {
    case fkNumeric: {
      TFormatSettings settings = FormatSettings;
      if (Format->DecimalSeparator().size() == 1)
        settings.DecimalSeparator = Format->DecimalSeparator()[0];
      const Extended number = static_cast<Extended>(Value.AsDouble());
      if (!Format->FormatStr().empty() && Format->FormatStr()[0] == '#')
        return FormatFloat(Format->FormatStr(), number, settings);
      return ::Format(Format->FormatStr(), {number}, settings);
    }
    case fkDateTime:
      return FormatDateTime(Format->FormatStr(), VarToDateTime(Value));
    case fkBoolean: {
      const AnsiString& s = Format->FormatStr();
      const size_t comma = s.find(',');
      const AnsiString yes = s.substr(0, comma);
      const AnsiString no = comma == AnsiString::npos ? AnsiString() : s.substr(comma + 1);
      return Value.AsBoolean() ? yes : no;
    }
    default:
      return VarToStr(Value);
    }
  } catch (const Exception&) {
    // A value the format does not fit is printed as it is.
    return VarToStr(Value);
  }
}

AnsiString TfrxCustomMemoView::CalcExpression(const AnsiString& Expr)
{
  AnsiString expr = Expr;
  std::unique_ptr<TfrxFormat> format;
  const size_t hash = expr.find(" #");
  if (hash != AnsiString::npos) {
    AnsiString code = expr.substr(hash + 2);
    expr.resize(hash);
    format = std::make_unique<TfrxFormat>();
    const char kind = code.empty() ? ' ' : code[0];
    if (kind == 'N' || kind == 'n') {
      format->SetKind(fkNumeric);
      for (char& c : code)
        if (c == ',' || c == '-' || c == '.') {
          format->SetDecimalSeparator(AnsiString(1, c));
          c = '.';
        }
    } else if (kind == 'D' || kind == 'd' || kind == 'T' || kind == 't') {
      format->SetKind(fkDateTime);
    } else if (kind == 'B' || kind == 'b') {
      format->SetKind(fkBoolean);
    }
    format->SetFormatStr(code.size() > 1 ? code.substr(1) : AnsiString());
  }
  if (SameText(expr, "TOTALPAGES#"))
    FValue = Variant(AnsiString("[TotalPages#]"));
  else if (TfrxReport* report = Report())
    FValue = report->Calc(expr);
  else
    FValue = Null();
  if (FHideZeros && IsZeroValue(FValue))
    return AnsiString();
  return FormatData(FValue, format.get());
}

void TfrxCustomMemoView::EvaluateData()
{
  TfrxStretcheable::EvaluateData();
  TfrxReport* report = Report();
  if (HasDataBinding()) {
    TfrxDataSet* ds = DataSet();
    if (ds->IsBlobField(DataField())) {
      ds->AssignBlobTo(DataField(), FMemo.get());
    } else {
      FValue = ds->Value(DataField());
      AnsiString text =
          FDisplayFormat->Kind() != fkText ? FormatData(FValue) : ds->DisplayText(DataField());
      if (FHideZeros && IsZeroValue(FValue))
        text.clear();
      SetText(text);
    }
  } else if (FAllowExpressions) {
    const size_t comma = FExpressionDelimiters.find(',');
    const AnsiString open = FExpressionDelimiters.substr(0, comma);
    const AnsiString close =
        comma == AnsiString::npos ? AnsiString() : FExpressionDelimiters.substr(comma + 1);
    const AnsiString text = Text();
    if (!open.empty() && text.find(open) != AnsiString::npos)
      SetText(ExpandExpressions(text, open, close,
                                [this](const AnsiString& Expr) { return CalcExpression(Expr); }));
  }
  if (report)
    report->SetScriptValue(FValue);
  FHighlight->SetActive(false);
  if (report && !FHighlight->Condition().empty())
    FHighlight->SetActive(report->Calc(FHighlight->Condition()).AsBoolean());
  if (FSuppressRepeated) {
    const AnsiString text = Text();
    if (!VarIsNull(FLastValue) && VarToStr(FLastValue) == text)
      SetText(AnsiString());
    else
      FLastValue = Variant(text);
  }
  if (FFlowTo) {
    BeginSplit();
    FitPart();
    FFlowTo->SetText(FPartMemo);
    FFlowTo->SetAllowExpressions(false);
  }
}

Extended TfrxCustomMemoView::HorizontalGaps() const
{
  const TfrxFrame* frame = Frame();
  Extended gaps = 2 * FGapX;
  if (frame->Typ().Contains(ftLeft))
    gaps += (frame->Width() - 1) / 2;
  if (frame->Typ().Contains(ftRight))
    gaps += frame->Width() / 2;
  if (frame->DropShadow())
    gaps += frame->ShadowWidth();
  return gaps;
}

Extended TfrxCustomMemoView::VerticalGaps() const
{
  const TfrxFrame* frame = Frame();
  Extended gaps = 2 * FGapY;
  if (frame->Typ().Contains(ftTop))
    gaps += (frame->Width() - 1) / 2;
  if (frame->Typ().Contains(ftBottom))
    gaps += frame->Width() / 2;
  if (frame->DropShadow())
    gaps += frame->ShadowWidth();
  return gaps;
}

void TfrxCustomMemoView::BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY,
                                   Extended OffsetX, Extended OffsetY)
{
  TfrxStretcheable::BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  const TfrxFrame* frame = Frame();
  const TfrxFrameTypes typ = frame->Typ();
  const Extended w = frame->Width();
  auto r = [](Extended v) { return static_cast<Integer>(Round(v)); };
  const Integer gx = r(ScaleX * FGapX), gy = r(ScaleY * FGapY);
  FTextRect.Left = FX + gx + (typ.Contains(ftLeft) ? r((ScaleX * w - 1) / 2) : 0);
  FTextRect.Top = FY + gy + (typ.Contains(ftTop) ? r((ScaleY * w - 1) / 2) : 0);
  FTextRect.Right = FX1 - gx + 1 - (typ.Contains(ftRight) ? r(ScaleX * w / 2) : 0);
  FTextRect.Bottom = FY1 - gy + 1 - (typ.Contains(ftBottom) ? r(ScaleY * w / 2) : 0);
}

TfrxDrawText* TfrxCustomMemoView::Layout() const
{
  if (TfrxReport* report = const_cast<TfrxCustomMemoView*>(this)->Report())
    return report->DrawText();
  return frxDrawText();
}

void TfrxCustomMemoView::PrepareLayout(TfrxDrawText* Layout, TStrings* Lines, TCanvas* Canvas,
                                       Extended ScaleX, Extended ScaleY, Extended OffsetX,
                                       Extended OffsetY, TLayoutArea Area)
{
  if (FHighlight->Active()) {
    Layout->SelectFont(FHighlight->Font());
    SetColor(FHighlight->Color());
  } else {
    Layout->SelectFont(Font());
  }
  Layout->SetOptions(FWordWrap, FAllowHTMLTags, FRotation, FWordBreak, FRTLReading);
  Layout->SetSpacing(FLineSpacing, FCharSpacing, FParagraphGap);
  if (FAutoWidth && !IsDesigning()) {
    Layout->SetDimensions(MeasureRect, MeasureRect, 1, 1);
    Layout->WrapText(Lines);
    const Extended oldLeft = Left(), oldWidth = Width();
    SetWidth(Layout->TextWidth() + HorizontalGaps());
    if (FHAlign == haRight)
      SetLeft(oldLeft + oldWidth - Width());
    else if (FHAlign == haCenter)
      SetLeft(oldLeft + (oldWidth - Width()) / 2);
    if (Parent())
      Parent()->AlignChildren();
  }
  if (Area == laMeasure) {
    Layout->SetDimensions(MeasureRect, MeasureRect, 1, 1);
  } else {
    BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
    const TRect device = FTextRect;
    BeginDraw(Canvas, 1, 1, 0, 0);
    const TRect report = FTextRect;
    BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
    Layout->SetDimensions(report, device, ScaleX, ScaleY);
  }
  Layout->WrapText(Lines);
}

void TfrxCustomMemoView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                              Extended OffsetY)
{
  TStringList shown;
  shown.Assign(FMemo.get());
  if (!IsDesigning()) {
    AnsiString text = shown.Text();
    const size_t at = UpperCase(text).find("[TOTALPAGES#]");
    if (at != AnsiString::npos) {
      text.replace(at, 13, IntToStr(FTotalPages));
      shown.SetText(text);
    }
  } else if (HasDataBinding()) {
    shown.SetText("[" + DataSet()->UserName() + ".\"" + DataField() + "\"]");
  }
  const TColor oldColor = Color();
  TfrxDrawText* layout = Layout();
  {
    TLayoutGuard guard(layout);
    PrepareLayout(layout, &shown, Canvas, ScaleX, ScaleY, OffsetX, OffsetY, laObject);
    DrawBackground();
    DrawFrame();
    if (FUnderlines && FRotation == 0) {
      const Extended step = layout->LineHeight() * ScaleY;
      TPen* pen = Canvas->Pen();
      pen->SetColor(Frame()->Color());
      pen->SetStyle(psSolid);
      for (Extended y = FY + step; step > 0 && y < FY1; y += step)
        DrawThickLine(FX, static_cast<Integer>(Round(y)), FX1, static_cast<Integer>(Round(y)),
                      FFrameWidth);
    }
    layout->DrawText(Canvas, FHAlign, FVAlign);
  }
  // The highlight colour never stays on the object.
  SetColor(oldColor);
}

Extended TfrxCustomMemoView::CalcHeight()
{
  TfrxDrawText* layout = Layout();
  TLayoutGuard guard(layout);
  const TColor oldColor = Color();
  PrepareLayout(layout, FMemo.get(), nullptr, 1, 1, 0, 0, FAutoWidth ? laMeasure : laObject);
  SetColor(oldColor);
  return static_cast<Extended>(Round(layout->TextHeight() + VerticalGaps()));
}

Extended TfrxCustomMemoView::CalcWidth()
{
  TfrxDrawText* layout = Layout();
  TLayoutGuard guard(layout);
  const TColor oldColor = Color();
  PrepareLayout(layout, FMemo.get(), nullptr, 1, 1, 0, 0, laMeasure);
  SetColor(oldColor);
  return static_cast<Extended>(Round(layout->TextWidth() + HorizontalGaps()));
}

void TfrxCustomMemoView::BeginSplit()
{
  FPartMemo = Text();
}

Extended TfrxCustomMemoView::FitPart()
{
  SetText(FPartMemo);
  TfrxDrawText* layout = Layout();
  TLayoutGuard guard(layout);
  const TColor oldColor = Color();
  PrepareLayout(layout, FMemo.get(), nullptr, 1, 1, 0, 0, laObject);
  SetColor(oldColor);
  if (layout->FittingLineCount() == 0)
    return Height();
  const Extended unused = layout->UnusedHeight();
  FPartMemo = layout->SplitAtHeight();
  SetText(layout->GetText());
  return unused;
}

AnsiString TfrxCustomMemoView::MemoLayoutText(bool Wrapped)
{
  TfrxDrawText* layout = Layout();
  TLayoutGuard guard(layout);
  const TColor oldColor = Color();
  PrepareLayout(layout, FMemo.get(), nullptr, 1, 1, 0, 0, laObject);
  SetColor(oldColor);
  if (!Wrapped)
    return FAllowHTMLTags ? layout->StripTags(Text()) : Text();
  AnsiString result;
  for (Integer i = 0; i < layout->LineCount(); ++i)
    result += layout->Lines(i) + "\r\n";
  return result;
}

void TfrxCustomMemoView::SaveState()
{
  TfrxStretcheable::SaveState();
  if (!HasDataBinding())
    FSavedText = Text();
}

void TfrxCustomMemoView::RestoreState()
{
  TfrxStretcheable::RestoreState();
  if (!HasDataBinding())
    SetText(FSavedText);
}

AnsiString TfrxCustomMemoView::PlainText()
{
  AnsiString text = Text();
  if (!FAllowExpressions)
    return text;
  const size_t at = UpperCase(text).find("[TOTALPAGES]");
  if (at != AnsiString::npos)
    text.replace(at, 12, IntToStr(FTotalPages));
  return text;
}

AnsiString TfrxCustomMemoView::Diff(TfrxComponent* Source)
{
  AnsiString result = TfrxStretcheable::Diff(Source);
  auto* source = dynamic_cast<TfrxCustomMemoView*>(Source);
  if (!source)
    return result;
  if (FAutoWidth != source->FAutoWidth)
    AddDiff(result, "AutoWidth", BoolText(FAutoWidth));
  if (FloatDiffers(FCharSpacing, source->FCharSpacing))
    AddDiff(result, "CharSpacing", FloatToStr(FCharSpacing));
  if (FloatDiffers(FGapX, source->FGapX))
    AddDiff(result, "GapX", FloatToStr(FGapX));
  if (FloatDiffers(FGapY, source->FGapY))
    AddDiff(result, "GapY", FloatToStr(FGapY));
  if (FHAlign != source->FHAlign)
    AddDiff(result, "HAlign", IntToStr(static_cast<Integer>(FHAlign)));
  if (FHighlight->Active() != source->FHighlight->Active())
    AddDiff(result, "Highlight.Active", BoolText(FHighlight->Active()));
  if (FloatDiffers(FLineSpacing, source->FLineSpacing))
    AddDiff(result, "LineSpacing", FloatToStr(FLineSpacing));
  AddDiff(result, "x", StrToXML(StringsToAttributeText(FMemo.get())));
  if (FloatDiffers(FParagraphGap, source->FParagraphGap))
    AddDiff(result, "ParagraphGap", FloatToStr(FParagraphGap));
  if (FRotation != source->FRotation)
    AddDiff(result, "Rotation", IntToStr(FRotation));
  if (FRTLReading != source->FRTLReading)
    AddDiff(result, "RTLReading", BoolText(FRTLReading));
  if (FUnderlines != source->FUnderlines)
    AddDiff(result, "Underlines", BoolText(FUnderlines));
  if (FVAlign != source->FVAlign)
    AddDiff(result, "VAlign", IntToStr(static_cast<Integer>(FVAlign)));
  if (FWordWrap != source->FWordWrap)
    AddDiff(result, "WordWrap", BoolText(FWordWrap));
  return result;
}

AnsiString TfrxCustomMemoView::GetDescription()
{
  return ReportResources()->Lookup("obText");
}

AnsiString TfrxSysMemoView::GetDescription()
{
  return ReportResources()->Lookup("obSysText");
}
