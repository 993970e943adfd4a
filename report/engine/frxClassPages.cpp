// The pages: TfrxPage, the printable TfrxReportPage and the TfrxDialogPage. frxClass.h
// describes them.
#include <algorithm>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxRes.h"

using namespace frxclass;

namespace {

// The window layer's form enumerations, by value name, for the dialog page's settings.
PTypeInfo FormBorderStyleType()
{
  static PTypeInfo info = MakeEnumTypeInfo(
      "TFormBorderStyle",
      {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}, 0);
  return info;
}

PTypeInfo FormPositionType()
{
  static PTypeInfo info = MakeEnumTypeInfo(
      "TPosition",
      {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
       "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"},
      0);
  return info;
}

PTypeInfo WindowStateType()
{
  static PTypeInfo info =
      MakeEnumTypeInfo("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}, 0);
  return info;
}

} // namespace

void frxclass::RegisterPageClasses()
{
  RegisterEnumType<TfrxDuplexMode>("TfrxDuplexMode", {"dmNone", "dmVertical", "dmHorizontal"});
  RegisterEnumType<TPrinterOrientation>("TPrinterOrientation", {"poPortrait", "poLandscape"});
  TClassRegistration<TfrxPage, TfrxComponent>("TfrxPage")
      .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
      .Property("Visible", &TfrxComponent::Visible, &TfrxComponent::SetVisible)
      .Default(true);
  using R = TfrxReportPage;
  TClassRegistration<TfrxReportPage, TfrxPage>("TfrxReportPage")
      .Property("Orientation", &R::Orientation, &R::SetOrientation)
      .Default(poPortrait)
      .Property("PaperWidth", &R::PaperWidth, &R::SetPaperWidth)
      .Property("PaperHeight", &R::PaperHeight, &R::SetPaperHeight)
      .Property("PaperSize", &R::PaperSize, &R::SetPaperSize)
      .NoDefault()
      .Property("LeftMargin", &R::LeftMargin, &R::SetLeftMargin)
      .Property("RightMargin", &R::RightMargin, &R::SetRightMargin)
      .Property("TopMargin", &R::TopMargin, &R::SetTopMargin)
      .Property("BottomMargin", &R::BottomMargin, &R::SetBottomMargin)
      .Property("MirrorMargins", &R::MirrorMargins, &R::SetMirrorMargins)
      .Default(false)
      .Property("Columns", &R::Columns, &R::SetColumns)
      .Default(0)
      .Property("ColumnWidth", &R::ColumnWidth, &R::SetColumnWidth)
      .Property("ColumnPositions", &R::ColumnPositions, &R::SetColumnPositions)
      .Property("Bin", &R::Bin, &R::SetBin)
      .Default(7)
      .Property("BinOtherPages", &R::BinOtherPages, &R::SetBinOtherPages)
      .Default(7)
      .Property("BackPicture", &R::BackPicture, &R::SetBackPicture)
      .Property("Color", &R::Color, &R::SetColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("Frame", &R::Frame, &R::SetFrame)
      .Property("DataSet", &R::DataSet, &R::SetDataSet)
      .Property("DataSetName", &R::DataSetName, &R::SetDataSetName)
      .Property("Duplex", &R::Duplex, &R::SetDuplex)
      .Default(dmNone)
      .Property("LargeDesignHeight", &R::LargeDesignHeight, &R::SetLargeDesignHeight)
      .Default(false)
      .Property("OutlineText", &R::OutlineText, &R::SetOutlineText)
      .Property("PrintIfEmpty", &R::PrintIfEmpty, &R::SetPrintIfEmpty)
      .Default(true)
      .Property("PrintOnPreviousPage", &R::PrintOnPreviousPage, &R::SetPrintOnPreviousPage)
      .Default(false)
      .Property("TitleBeforeHeader", &R::TitleBeforeHeader, &R::SetTitleBeforeHeader)
      .Default(true)
      .Property("HGuides", &R::HGuides, &R::SetHGuides)
      .Property("VGuides", &R::VGuides, &R::SetVGuides)
      .Property("OnAfterPrint", &R::OnAfterPrint, &R::OnAfterPrint)
      .Property("OnBeforePrint", &R::OnBeforePrint, &R::OnBeforePrint)
      .Property("OnManualBuild", &R::OnManualBuild, &R::OnManualBuild);
  using D = TfrxDialogPage;
  TClassRegistration<TfrxDialogPage, TfrxPage>("TfrxDialogPage")
      .Property("BorderStyle", &D::BorderStyle, &D::SetBorderStyle)
      .Type(FormBorderStyleType())
      .Default(2)
      .Property("Caption", &D::Caption, &D::SetCaption)
      .Property("Color", &D::Color, &D::SetColor)
      .Type(TColorTypeInfo())
      .Default(clBtnFace)
      .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
      .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
      .Property("Position", &D::Position, &D::SetPosition)
      .Type(FormPositionType())
      .Default(4)
      .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
      .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
      .Property("WindowState", &D::WindowState, &D::SetWindowState)
      .Type(WindowStateType())
      .Default(0)
      .Property("OnActivate", &D::OnActivate, &D::OnActivate)
      .Property("OnClick", &D::OnClick, &D::OnClick)
      .Property("OnCloseQuery", &D::OnCloseQuery, &D::OnCloseQuery)
      .Property("OnDeactivate", &D::OnDeactivate, &D::OnDeactivate)
      .Property("OnHide", &D::OnHide, &D::OnHide)
      .Property("OnKeyDown", &D::OnKeyDown, &D::OnKeyDown)
      .Property("OnKeyPress", &D::OnKeyPress, &D::OnKeyPress)
      .Property("OnKeyUp", &D::OnKeyUp, &D::OnKeyUp)
      .Property("OnShow", &D::OnShow, &D::OnShow)
      .Property("OnResize", &D::OnResize, &D::OnResize);
}

namespace {

constexpr Extended MMToPixels = 3.77953L;

struct TPaperInfo {
  Integer Number;
  Extended Width, Height; // millimetres, portrait
};

// The standard papers by their platform numbers.
// FIXME: take the printer layer's paper table once it exists.
const TPaperInfo Papers[] = {
    {1, 215.9L, 279.4L}, {3, 279.4L, 431.8L}, {5, 215.9L, 355.6L}, {8, 297, 420},
    {9, 210, 297},       {11, 148, 210},      {13, 182, 257},      {20, 104.8L, 241.3L},
};

const TPaperInfo* FindPaper(Integer Number)
{
  for (const TPaperInfo& paper : Papers)
    if (paper.Number == Number)
      return &paper;
  return nullptr;
}

} // namespace

TfrxPage::TfrxPage(TComponent* AOwner) : TfrxComponent(AOwner) {}

TfrxReportPage::TfrxReportPage(TComponent* AOwner)
    : TfrxPage(AOwner), FColumnPositions(std::make_unique<TStringList>()),
      FBackPicture(std::make_unique<TfrxPictureView>(nullptr)),
      FHGuides(std::make_unique<TStringList>()), FVGuides(std::make_unique<TStringList>())
{
  FBackPicture->SetColor(clNone);
  FBackPicture->SetKeepAspectRatio(false);
  SetBaseName("Page");
  SetPaperSize(9);
}

TfrxReportPage::~TfrxReportPage()
{
  if (FSubReport)
    FSubReport->SetPage(nullptr);
}

void TfrxReportPage::UpdateDimensions()
{
  SetWidth(static_cast<Extended>(Round(FPaperWidth * MMToPixels)));
  SetHeight(static_cast<Extended>(Round(FPaperHeight * MMToPixels)));
}

void TfrxReportPage::SetPaperSize(Integer Value)
{
  TakePaper(Value);
}

void TfrxReportPage::TakePaper(Integer Value)
{
  FPaperSize = Value;
  if (FPaperSize >= 256)
    return;
  if (const TPaperInfo* paper = FindPaper(FPaperSize)) {
    FPaperWidth = paper->Width;
    FPaperHeight = paper->Height;
    if (FOrientation == poLandscape)
      std::swap(FPaperWidth, FPaperHeight);
  }
  UpdateDimensions();
}

void TfrxReportPage::SetPaperWidth(Extended Value)
{
  FPaperWidth = Value;
  FPaperSize = 256;
  UpdateDimensions();
}

void TfrxReportPage::SetPaperHeight(Extended Value)
{
  FPaperHeight = Value;
  FPaperSize = 256;
  UpdateDimensions();
}

void TfrxReportPage::SetOrientation(TPrinterOrientation Value)
{
  if (FOrientation == Value)
    return;
  FOrientation = Value;
  std::swap(FPaperWidth, FPaperHeight);
  const Extended l = FLeftMargin, r = FRightMargin, t = FTopMargin, b = FBottomMargin;
  if (Value == poLandscape) {
    FLeftMargin = t;
    FRightMargin = b;
    FTopMargin = r;
    FBottomMargin = l;
  } else {
    FLeftMargin = b;
    FRightMargin = t;
    FTopMargin = l;
    FBottomMargin = r;
  }
  UpdateDimensions();
}

void TfrxReportPage::SetColumns(Integer Value)
{
  FColumns = Value;
  FColumnPositions->Clear();
  if (Value <= 0)
    return;
  FColumnWidth = (FPaperWidth - FLeftMargin - FRightMargin) / Value;
  for (Integer i = 0; i < Value; ++i)
    FColumnPositions->Add(FloatToStr(i * FColumnWidth));
}

TPicture* TfrxReportPage::BackPicture() const
{
  return FBackPicture->Picture();
}
void TfrxReportPage::SetBackPicture(TPicture* Value)
{
  FBackPicture->SetPicture(Value);
}
TColor TfrxReportPage::Color() const
{
  return FBackPicture->Color();
}
void TfrxReportPage::SetColor(TColor Value)
{
  FBackPicture->SetColor(Value);
}
TfrxFrame* TfrxReportPage::Frame() const
{
  return FBackPicture->Frame();
}
void TfrxReportPage::SetFrame(TfrxFrame* Value)
{
  FBackPicture->SetFrame(Value);
}

void TfrxReportPage::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxPage::Notification(AComponent, Operation);
  FDataSetLink.Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSubReport)
    FSubReport = nullptr;
}

void TfrxReportPage::ClearGuides()
{
  FHGuides->Clear();
  FVGuides->Clear();
}

TfrxBand* TfrxReportPage::FindBand(TClass BandClass)
{
  for (Integer i = 0; i < Objects()->Count(); ++i) {
    auto* obj = static_cast<TfrxComponent*>(Objects()->Items(i));
    if (auto* band = dynamic_cast<TfrxBand*>(obj);
        band && obj->ClassType()->InheritsFrom(BandClass))
      return band;
  }
  return nullptr;
}

void TfrxReportPage::ApplyPrinterDefaults()
{
  FLeftMargin = FRightMargin = FTopMargin = FBottomMargin = 10;
  FOrientation = poPortrait;
  TakePaper(9);
}

void TfrxReportPage::AlignChildren()
{
  SetWidth((FPaperWidth - FLeftMargin - FRightMargin) * MMToPixels);
  TfrxPage::AlignChildren();
  for (Integer i = 0; i < Objects()->Count(); ++i) {
    auto* band = dynamic_cast<TfrxBand*>(static_cast<TfrxComponent*>(Objects()->Items(i)));
    if (!band)
      continue;
    if (band->Vertical())
      band->SetHeight((FPaperHeight - FTopMargin - FBottomMargin) * MMToPixels - band->Top());
    else
      band->SetWidth(Width() - band->Left());
    band->AlignChildren();
  }
  UpdateDimensions();
}

void TfrxReportPage::DrawBackground(TCanvas* Canvas, Extended ScaleX, Extended ScaleY,
                                    Extended OffsetX, Extended OffsetY)
{
  FBackPicture->SetWidth((FPaperWidth - FLeftMargin - FRightMargin) * MMToPixels - 1);
  FBackPicture->SetHeight((FPaperHeight - FTopMargin - FBottomMargin) * MMToPixels - 1);
  FBackPicture->Draw(Canvas, ScaleX, ScaleY, OffsetX + FLeftMargin * MMToPixels * ScaleX,
                     OffsetY + FTopMargin * MMToPixels * ScaleY);
}

AnsiString TfrxReportPage::GetDescription()
{
  return ReportResources()->Lookup("obRepPage");
}

TfrxDialogPage::TfrxDialogPage(TComponent* AOwner) : TfrxPage(AOwner), FColor(clBtnFace)
{
  Font()->SetName("Tahoma");
  Font()->SetSize(8);
}

AnsiString TfrxDialogPage::GetDescription()
{
  return ReportResources()->Lookup("obDlgPage");
}
