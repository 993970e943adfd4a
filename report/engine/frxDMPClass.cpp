// Dot-matrix report objects; see frxDMPClass.h.
#include "report/engine/frxDMPClass.h"

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxRes.h"

namespace {

constexpr Extended CharWidth = 9.6L;
constexpr Extended CharHeight = 17;
constexpr Extended MMToPixels = 3.77953L;

// The screen font of dot-matrix objects: Courier New 12 with the styles the set names.
void SetDMPFont(TFont* Font, TfrxDMPFontStyles Styles)
{
  TNotifyEvent onChange = Font->OnChange;
  Font->OnChange = nullptr;
  Font->SetName("Courier New");
  Font->SetSize(12);
  TFontStyles style;
  if (Styles.Contains(fsxBold))
    style.Include(fsBold);
  if (Styles.Contains(fsxItalic))
    style.Include(fsItalic);
  if (Styles.Contains(fsxUnderline))
    style.Include(fsUnderline);
  Font->SetStyle(style);
  Font->OnChange = onChange;
}

Extended RoundTo(Extended Value, Extended Step)
{
  return static_cast<Extended>(Round(Value / Step)) * Step;
}

AnsiString FontStyleDiff(TfrxDMPFontStyles Own, TfrxDMPFontStyles Source)
{
  if (Own == Source)
    return AnsiString();
  return " FontStyle=\"" + IntToStr(static_cast<Integer>(Own.Raw() & 0x1FF)) + "\"";
}

} // namespace

// ---- Text object ----

TfrxDMPMemoView::TfrxDMPMemoView(TComponent* AOwner) : TfrxCustomMemoView(AOwner)
{
  SetDMPFont(Font(), FFontStyle);
  SetCharSpacing(0);
  SetLineSpacing(1);
  SetGapX(0);
  SetGapY(0);
  // Created on a dot-matrix page, the object takes the page's styles.
  if (ParentFont())
    SetParentFont(true);
}

void TfrxDMPMemoView::SetFontStyle(TfrxDMPFontStyles Value)
{
  FFontStyle = Value;
  TfrxCustomMemoView::SetParentFont(false);
  SetDMPFont(Font(), FFontStyle);
}

void TfrxDMPMemoView::SetParentFont(bool Value)
{
  TfrxCustomMemoView::SetParentFont(Value);
  if (!Value)
    return;
  if (auto* page = dynamic_cast<TfrxDMPPage*>(Page())) {
    FFontStyle = page->FontStyle();
    SetDMPFont(Font(), FFontStyle);
  }
}

void TfrxDMPMemoView::SetLeft(Extended Value)
{
  // Right-aligned objects keep their right edge inside the column they end in.
  const Extended cells = Align() == baRight ? static_cast<Extended>(Trunc(Value / CharWidth))
                                            : static_cast<Extended>(Round(Value / CharWidth));
  TfrxCustomMemoView::SetLeft(cells * CharWidth);
}

void TfrxDMPMemoView::SetTop(Extended Value)
{
  TfrxCustomMemoView::SetTop(RoundTo(Value, CharHeight));
}

void TfrxDMPMemoView::SetWidth(Extended Value)
{
  TfrxCustomMemoView::SetWidth(RoundTo(Value, CharWidth));
}

void TfrxDMPMemoView::SetHeight(Extended Value)
{
  TfrxCustomMemoView::SetHeight(RoundTo(Value, CharHeight));
}

Extended TfrxDMPMemoView::CalcHeight()
{
  return RoundTo(TfrxCustomMemoView::CalcHeight(), CharHeight);
}

Extended TfrxDMPMemoView::CalcWidth()
{
  return RoundTo(TfrxCustomMemoView::CalcWidth(), CharWidth);
}

void TfrxDMPMemoView::DrawFrame()
{
  FX = static_cast<Integer>(Round((AbsLeft() - CharWidth / 2) * FScaleX + FOffsetX));
  FY = static_cast<Integer>(Round((AbsTop() - CharHeight / 2) * FScaleY + FOffsetY));
  FX1 = static_cast<Integer>(Round((AbsLeft() + Width() + CharWidth / 2) * FScaleX + FOffsetX));
  FY1 = static_cast<Integer>(Round((AbsTop() + Height() + CharHeight / 2) * FScaleY + FOffsetY));
  FDX = FX1 - FX;
  FDY = FY1 - FY;
  TfrxCustomMemoView::DrawFrame();
}

AnsiString TfrxDMPMemoView::Diff(TfrxComponent* Source)
{
  AnsiString result = TfrxCustomMemoView::Diff(Source);
  if (auto* source = dynamic_cast<TfrxDMPMemoView*>(Source))
    result += FontStyleDiff(FFontStyle, source->FFontStyle);
  return result;
}

AnsiString TfrxDMPMemoView::GetDescription()
{
  return ReportResources()->Lookup("obDMPText");
}

// ---- Line ----

TfrxDMPLineView::TfrxDMPLineView(TComponent* AOwner) : TfrxCustomLineView(AOwner)
{
  if (ParentFont())
    SetParentFont(true);
}

void TfrxDMPLineView::SetFontStyle(TfrxDMPFontStyles Value)
{
  FFontStyle = Value;
  TfrxCustomLineView::SetParentFont(false);
}

void TfrxDMPLineView::SetParentFont(bool Value)
{
  TfrxCustomLineView::SetParentFont(Value);
  if (!Value)
    return;
  if (auto* page = dynamic_cast<TfrxDMPPage*>(Page()))
    FFontStyle = page->FontStyle();
}

void TfrxDMPLineView::SetLeft(Extended Value)
{
  TfrxCustomLineView::SetLeft(static_cast<Extended>(Trunc(Value / CharWidth)) * CharWidth +
                              CharWidth / 2);
}

void TfrxDMPLineView::SetTop(Extended Value)
{
  TfrxCustomLineView::SetTop(static_cast<Extended>(Trunc(Value / CharHeight)) * CharHeight +
                             CharHeight / 2);
}

AnsiString TfrxDMPLineView::Diff(TfrxComponent* Source)
{
  AnsiString result = TfrxCustomLineView::Diff(Source);
  if (auto* source = dynamic_cast<TfrxDMPLineView*>(Source))
    result += FontStyleDiff(FFontStyle, source->FFontStyle);
  return result;
}

AnsiString TfrxDMPLineView::GetDescription()
{
  return ReportResources()->Lookup("obDMPLine");
}

// ---- Page ----

namespace {

Extended WholeColumns(Extended Millimetres)
{
  return RoundTo(Millimetres * MMToPixels, CharWidth) / MMToPixels;
}

Extended WholeLines(Extended Millimetres)
{
  return RoundTo(Millimetres * MMToPixels, CharHeight) / MMToPixels;
}

} // namespace

TfrxDMPPage::TfrxDMPPage(TComponent* AOwner) : TfrxReportPage(AOwner)
{
  SetDMPFont(Font(), FFontStyle);
  SetPaperSize(PaperSize());
}

void TfrxDMPPage::SetFontStyle(TfrxDMPFontStyles Value)
{
  FFontStyle = Value;
  SetDMPFont(Font(), FFontStyle);
  TList* all = AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* obj = static_cast<TfrxComponent*>(all->Items(i));
    if (obj->ParentFont())
      obj->SetParentFont(true);
  }
}

void TfrxDMPPage::SetPaperSize(Integer Value)
{
  TfrxReportPage::SetPaperSize(Value);
  TfrxReportPage::SetPaperWidth(WholeColumns(PaperWidth()));
  TfrxReportPage::SetPaperHeight(WholeLines(PaperHeight()));
  // The rounding goes through the custom-size writers; the paper keeps its number.
  TfrxReportPage::SetPaperSizeNumber(Value);
}

void TfrxDMPPage::SetPaperWidth(Extended Value)
{
  TfrxReportPage::SetPaperWidth(WholeColumns(Value));
}

void TfrxDMPPage::SetPaperHeight(Extended Value)
{
  TfrxReportPage::SetPaperHeight(WholeLines(Value));
}

void TfrxDMPPage::ApplyPrinterDefaults()
{
  TfrxReportPage::ApplyPrinterDefaults();
  SetLeftMargin(CharWidth / MMToPixels);
  SetRightMargin(CharWidth / MMToPixels);
  SetTopMargin(CharHeight / MMToPixels);
  SetBottomMargin(CharHeight / MMToPixels);
  const Integer size = PaperSize();
  const Extended width =
      static_cast<Extended>(Trunc(PaperWidth() * MMToPixels / CharWidth)) * CharWidth / MMToPixels;
  const Extended height = static_cast<Extended>(Trunc(PaperHeight() * MMToPixels / CharHeight)) *
                          CharHeight / MMToPixels;
  TfrxReportPage::SetPaperWidth(width);
  TfrxReportPage::SetPaperHeight(height);
  TfrxReportPage::SetPaperSizeNumber(size);
}

// ---- Registration ----

void RegisterDMPClasses()
{
  RegisterEnumType<TfrxDMPFontStyle>(
      "TfrxDMPFontStyle", {"fsxBold", "fsxItalic", "fsxUnderline", "fsxSuperScript", "fsxSubScript",
                           "fsxCondensed", "fsxWide", "fsx12cpi", "fsx15cpi"});
  RegisterSetType<TfrxDMPFontStyles>("TfrxDMPFontStyles");
  using M = TfrxCustomMemoView;
  using D = TfrxDMPMemoView;
  TClassRegistration<TfrxDMPMemoView, TfrxCustomMemoView>("TfrxDMPMemoView")
      .Property("AutoWidth", &M::AutoWidth, &M::SetAutoWidth)
      .Default(false)
      .Property("AllowExpressions", &M::AllowExpressions, &M::SetAllowExpressions)
      .Default(true)
      .Property("DataField", &TfrxView::DataField, &TfrxView::SetDataField)
      .Property("DataSet", &TfrxView::DataSet, &TfrxView::SetDataSet)
      .Property("DataSetName", &TfrxView::DataSetName, &TfrxView::SetDataSetName)
      .Property("DisplayFormat", &M::DisplayFormat, &M::SetDisplayFormat)
      .Property("ExpressionDelimiters", &M::ExpressionDelimiters, &M::SetExpressionDelimiters)
      .StoreEmpty()
      .Stored(&M::IsExpressionDelimitersStored)
      .Property("FontStyle", &D::FontStyle, &D::SetFontStyle)
      .Stored(&D::IsFontStyleStored)
      .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
      .Property("HAlign", &M::HAlign, &M::SetHAlign)
      .Default(haLeft)
      .Property("HideZeros", &M::HideZeros, &M::SetHideZeros)
      .Default(false)
      .Property("Memo", &M::Memo, &M::SetMemo)
      .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
      .Default(true)
      .Property("RTLReading", &M::RTLReading, &M::SetRTLReading)
      .Default(false)
      .Property("SuppressRepeated", &M::SuppressRepeated, &M::SetSuppressRepeated)
      .Default(false)
      .Property("WordWrap", &M::WordWrap, &M::SetWordWrap)
      .Default(true)
      .Property("VAlign", &M::VAlign, &M::SetVAlign)
      .Default(vaTop);
  TClassRegistration<TfrxDMPLineView, TfrxCustomLineView>("TfrxDMPLineView")
      .Property("FontStyle", &TfrxDMPLineView::FontStyle, &TfrxDMPLineView::SetFontStyle)
      .Stored(&TfrxDMPLineView::IsFontStyleStored)
      .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
      .Default(true);
  TClassRegistration<TfrxDMPPage, TfrxReportPage>("TfrxDMPPage")
      .Property("FontStyle", &TfrxDMPPage::FontStyle, &TfrxDMPPage::SetFontStyle)
      .NoDefault();
  RegisterClass(ClassInfoOf<TfrxDMPPage>());
  if (TfrxObjectCollection* objects = RegisteredObjects()) {
    objects->RegisterObject(ClassInfoOf<TfrxDMPMemoView>(), nullptr, "", "", 0, 2);
    objects->RegisterObject(ClassInfoOf<TfrxDMPLineView>(), nullptr, "", "", 0, 5);
  }
}
