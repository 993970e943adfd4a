// The bands: TfrxBand, the band kinds and the data bands. frxClass.h describes them.
#include "platform/rtl/Math.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxRes.h"

using namespace frxclass;

namespace {

// The options bands publish, each as its own property of the class that lists it.
template <class C> class TBandOptions {
public:
  explicit TBandOptions(TClassRegistration<C, TfrxBand>& Reg) : FReg(Reg) {}
  TBandOptions& AllowSplit()
  {
    FReg.Property("AllowSplit", &TfrxBand::AllowSplit, &TfrxBand::SetAllowSplit).Default(false);
    return *this;
  }
  TBandOptions& Child()
  {
    FReg.Property("Child", &TfrxBand::Child, &TfrxBand::SetChild);
    return *this;
  }
  TBandOptions& KeepChild()
  {
    FReg.Property("KeepChild", &TfrxBand::KeepChild, &TfrxBand::SetKeepChild).Default(false);
    return *this;
  }
  TBandOptions& OutlineText()
  {
    FReg.Property("OutlineText", &TfrxBand::OutlineText, &TfrxBand::SetOutlineText);
    return *this;
  }
  TBandOptions& PrintChildIfInvisible()
  {
    FReg.Property("PrintChildIfInvisible", &TfrxBand::PrintChildIfInvisible,
                  &TfrxBand::SetPrintChildIfInvisible)
        .Default(false);
    return *this;
  }
  TBandOptions& StartNewPage()
  {
    FReg.Property("StartNewPage", &TfrxBand::StartNewPage, &TfrxBand::SetStartNewPage)
        .Default(false);
    return *this;
  }
  TBandOptions& Stretched()
  {
    FReg.Property("Stretched", &TfrxBand::Stretched, &TfrxBand::SetStretched).Default(false);
    return *this;
  }
  TClassRegistration<C, TfrxBand>& Reg() { return FReg; }

private:
  TClassRegistration<C, TfrxBand>& FReg;
};

template <class C> void RegisterPlainBand(const char* Name, bool AllowSplit, bool StartNewPage)
{
  TClassRegistration<C, TfrxBand> reg(Name);
  TBandOptions<C> options(reg);
  if (AllowSplit)
    options.AllowSplit();
  options.Child().KeepChild().PrintChildIfInvisible();
  if (StartNewPage)
    options.StartNewPage();
  options.Stretched();
}

template <class C> void RegisterDataBand(const char* Name)
{
  TClassRegistration<C, TfrxDataBand>(static_cast<AnsiString>(Name));
}

} // namespace

void frxclass::RegisterBandClasses()
{
  TClassRegistration<TfrxBand, TfrxReportComponent>("TfrxBand")
      .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
      .Stored(&TfrxComponent::IsFontStored)
      .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
      .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
      .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
      .Default(true)
      .Property("Restrictions", &TfrxComponent::Restrictions, &TfrxComponent::SetRestrictions)
      .Default(TfrxRestrictions{})
      .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
      .Property("Vertical", &TfrxBand::Vertical, &TfrxBand::SetVertical)
      .Default(false)
      .Property("Visible", &TfrxComponent::Visible, &TfrxComponent::SetVisible)
      .Default(true)
      .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
      .Property("OnAfterCalcHeight", &TfrxBand::OnAfterCalcHeight, &TfrxBand::OnAfterCalcHeight)
      .Property("OnAfterPrint", &TfrxBand::OnAfterPrint, &TfrxBand::OnAfterPrint)
      .Property("OnBeforePrint", &TfrxBand::OnBeforePrint, &TfrxBand::OnBeforePrint);
  // TfrxChild first: the other bands' Child property refers to its class.
  RegisterPlainBand<TfrxChild>("TfrxChild", true, true);
  RegisterPlainBand<TfrxReportTitle>("TfrxReportTitle", false, true);
  RegisterPlainBand<TfrxReportSummary>("TfrxReportSummary", true, true);
  {
    TClassRegistration<TfrxPageHeader, TfrxBand> reg("TfrxPageHeader");
    TBandOptions<TfrxPageHeader>(reg).Child().PrintChildIfInvisible();
    reg.Property("PrintOnFirstPage", &TfrxPageHeader::PrintOnFirstPage,
                 &TfrxPageHeader::SetPrintOnFirstPage)
        .Default(true);
    TBandOptions<TfrxPageHeader>(reg).Stretched();
  }
  TClassRegistration<TfrxPageFooter, TfrxBand>("TfrxPageFooter")
      .Property("PrintOnFirstPage", &TfrxPageFooter::PrintOnFirstPage,
                &TfrxPageFooter::SetPrintOnFirstPage)
      .Default(true)
      .Property("PrintOnLastPage", &TfrxPageFooter::PrintOnLastPage,
                &TfrxPageFooter::SetPrintOnLastPage)
      .Default(true);
  {
    TClassRegistration<TfrxHeader, TfrxBand> reg("TfrxHeader");
    TBandOptions<TfrxHeader>(reg).AllowSplit().Child().KeepChild().PrintChildIfInvisible();
    reg.Property("ReprintOnNewPage", &TfrxHeader::ReprintOnNewPage,
                 &TfrxHeader::SetReprintOnNewPage)
        .Default(false);
    TBandOptions<TfrxHeader>(reg).StartNewPage().Stretched();
  }
  RegisterPlainBand<TfrxFooter>("TfrxFooter", true, false);
  {
    using G = TfrxGroupHeader;
    TClassRegistration<G, TfrxBand> reg("TfrxGroupHeader");
    TBandOptions<G>(reg).AllowSplit().Child();
    reg.Property("Condition", &G::Condition, &G::SetCondition);
    TBandOptions<G>(reg).KeepChild();
    reg.Property("KeepTogether", &G::KeepTogether, &G::SetKeepTogether).Default(false);
    reg.Property("ReprintOnNewPage", &G::ReprintOnNewPage, &G::SetReprintOnNewPage).Default(false);
    TBandOptions<G>(reg).OutlineText().PrintChildIfInvisible().StartNewPage().Stretched();
  }
  RegisterPlainBand<TfrxGroupFooter>("TfrxGroupFooter", true, false);
  {
    TClassRegistration<TfrxColumnHeader, TfrxBand> reg("TfrxColumnHeader");
    TBandOptions<TfrxColumnHeader>(reg).Stretched();
  }
  TClassRegistration<TfrxColumnFooter, TfrxBand>("TfrxColumnFooter");
  TClassRegistration<TfrxOverlay, TfrxBand>("TfrxOverlay");
  TClassRegistration<TfrxNullBand, TfrxBand>("TfrxNullBand");

  using B = TfrxDataBand;
  TClassRegistration<TfrxDataBand, TfrxBand> reg("TfrxDataBand");
  TBandOptions<B>(reg).AllowSplit().Child();
  reg.Property("Columns", &B::Columns, &B::SetColumns)
      .Default(0)
      .Property("ColumnWidth", &B::ColumnWidth, &B::SetColumnWidth)
      .Property("ColumnGap", &B::ColumnGap, &B::SetColumnGap)
      .Property("DataSet", &B::DataSet, &B::SetDataSet)
      .Property("DataSetName", &B::DataSetName, &B::SetDataSetName)
      .Property("FooterAfterEach", &B::FooterAfterEach, &B::SetFooterAfterEach)
      .Default(false);
  TBandOptions<B>(reg).KeepChild();
  reg.Property("KeepFooter", &B::KeepFooter, &B::SetKeepFooter)
      .Default(false)
      .Property("KeepHeader", &B::KeepHeader, &B::SetKeepHeader)
      .Default(false)
      .Property("KeepTogether", &B::KeepTogether, &B::SetKeepTogether)
      .Default(false);
  TBandOptions<B>(reg).OutlineText().PrintChildIfInvisible();
  reg.Property("PrintIfDetailEmpty", &B::PrintIfDetailEmpty, &B::SetPrintIfDetailEmpty)
      .Default(false)
      .Property("RowCount", &B::RowCount, &B::SetRowCount)
      .NoDefault();
  TBandOptions<B>(reg).StartNewPage().Stretched();
  reg.Property("OnMasterDetail", &B::OnMasterDetail, &B::OnMasterDetail);
  RegisterDataBand<TfrxMasterData>("TfrxMasterData");
  RegisterDataBand<TfrxDetailData>("TfrxDetailData");
  RegisterDataBand<TfrxSubdetailData>("TfrxSubdetailData");
  RegisterDataBand<TfrxDataBand4>("TfrxDataBand4");
  RegisterDataBand<TfrxDataBand5>("TfrxDataBand5");
  RegisterDataBand<TfrxDataBand6>("TfrxDataBand6");
}

namespace {

// A dot-matrix page lays its bands on the character grid.
bool OnDotMatrixPage(TfrxComponent* Obj)
{
  return dynamic_cast<TfrxDMPPage*>(Obj->Page()) != nullptr;
}

constexpr Extended DMPColumn = 9.6L;
constexpr Extended DMPLine = 17;

Extended Snap(Extended Value, Extended Step)
{
  return static_cast<Extended>(Round(Value / Step)) * Step;
}

} // namespace

void TfrxBand::SetChild(TfrxChild* Value)
{
  ReplaceComponentReference(this, Value, FChild);
}

void TfrxBand::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxReportComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FChild)
    FChild = nullptr;
}

void TfrxBand::SetLeft(Extended Value)
{
  TfrxReportComponent::SetLeft(OnDotMatrixPage(this) ? Snap(Value, DMPColumn) : Value);
}

void TfrxBand::SetTop(Extended Value)
{
  TfrxReportComponent::SetTop(OnDotMatrixPage(this) ? Snap(Value, DMPLine) : Value);
}

void TfrxBand::SetHeight(Extended Value)
{
  TfrxReportComponent::SetHeight(OnDotMatrixPage(this) ? Snap(Value, DMPLine) : Value);
}

Integer TfrxBand::KindIndex() const
{
  // The band kinds in their fixed order; the last class the band belongs to wins.
  const TClass kinds[] = {ClassInfoOf<TfrxReportTitle>(),   ClassInfoOf<TfrxReportSummary>(),
                          ClassInfoOf<TfrxPageHeader>(),    ClassInfoOf<TfrxPageFooter>(),
                          ClassInfoOf<TfrxHeader>(),        ClassInfoOf<TfrxFooter>(),
                          ClassInfoOf<TfrxMasterData>(),    ClassInfoOf<TfrxDetailData>(),
                          ClassInfoOf<TfrxSubdetailData>(), ClassInfoOf<TfrxDataBand4>(),
                          ClassInfoOf<TfrxDataBand5>(),     ClassInfoOf<TfrxDataBand6>(),
                          ClassInfoOf<TfrxGroupHeader>(),   ClassInfoOf<TfrxGroupFooter>(),
                          ClassInfoOf<TfrxChild>(),         ClassInfoOf<TfrxColumnHeader>(),
                          ClassInfoOf<TfrxColumnFooter>(),  ClassInfoOf<TfrxOverlay>()};
  Integer result = 0;
  for (Integer i = 0; i < static_cast<Integer>(std::size(kinds)); ++i)
    if (kinds[i] && ClassType()->InheritsFrom(kinds[i]))
      result = i;
  return result;
}

AnsiString TfrxBand::ShortClassName() const
{
  AnsiString result = ClassName();
  if (size_t at = result.find("Tfrx"); at != AnsiString::npos)
    result.erase(at, 4);
  if (size_t at = result.find("Band"); at != AnsiString::npos)
    result.erase(at, 4);
  return result;
}

AnsiString TfrxBand::GetDescription()
{
  return ReportResources()->Lookup("obBand");
}

TfrxDataBand::TfrxDataBand(TComponent* AOwner)
    : TfrxBand(AOwner), FVirtualDataSet(std::make_unique<TfrxUserDataSet>(nullptr))
{
  FVirtualDataSet->SetRangeEnd(reCount);
}

TfrxDataBand::~TfrxDataBand() = default;

void TfrxDataBand::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxBand::Notification(AComponent, Operation);
  FDataSetLink.Notification(AComponent, Operation);
}

void TfrxDataBand::SetRowCount(Integer Value)
{
  FRowCount = Value;
  FVirtualDataSet->SetRangeEndCount(Value);
}

void TfrxDataBand::SetCurColumn(Integer Value)
{
  if (Value > FColumns)
    Value = 1;
  FCurColumn = Value;
  if (FCurColumn == 1)
    BandList()->Clear();
  SetLeft((FCurColumn - 1) * (FColumnWidth + FColumnGap));
}

AnsiString TfrxDataBand::GetDescription()
{
  return ReportResources()->Lookup("obDataBand");
}
