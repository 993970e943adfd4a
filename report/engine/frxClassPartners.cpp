// The abstract bases through which the report reaches its partners: export filters,
// wizards, the engine, the outline, the prepared pages, the preview and the designer.
// frxClass.h describes their contracts.
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxDsgnIntf.h"

TfrxDesignerClass ReportDesignerClass = nullptr;

void frxclass::RegisterPartnerClasses()
{
  TClassRegistration<TfrxCustomExportFilter, TComponent>("TfrxCustomExportFilter")
      .Abstract()
      .Property("ShowDialog", &TfrxCustomExportFilter::ShowDialog,
                &TfrxCustomExportFilter::SetShowDialog)
      .Default(true);
  TClassRegistration<TfrxCustomWizard, TComponent>("TfrxCustomWizard").Abstract();
  using E = TfrxCustomEngine;
  TClassRegistration<E, TPersistent>("TfrxCustomEngine")
      .Abstract()
      .Property("CurColumn", &E::CurColumn, &E::SetCurColumn)
      .Property("CurVColumn", &E::CurVColumn, &E::SetCurVColumn)
      .Property("CurX", &E::CurX, &E::SetCurX)
      .Property("CurY", &E::CurY, &E::SetCurY)
      .Property("DoublePass", &E::DoublePass)
      .Property("FinalPass", &E::FinalPass, &E::SetFinalPass)
      .Property("PageHeight", &E::PageHeight, &E::SetPageHeight)
      .Property("PageWidth", &E::PageWidth, &E::SetPageWidth)
      .Property("StartDate", &E::StartDate, &E::SetStartDate)
      .Type(TDateTimeTypeInfo())
      .Property("StartTime", &E::StartTime, &E::SetStartTime)
      .Type(TDateTimeTypeInfo())
      .Property("TotalPages", &E::TotalPages, &E::SetTotalPages);
  TClassRegistration<TfrxCustomOutline, TPersistent>("TfrxCustomOutline").Abstract();
  TClassRegistration<TfrxCustomPreviewPages>("TfrxCustomPreviewPages").Abstract();
  TClassRegistration<TfrxCustomPreview, TCustomControl>("TfrxCustomPreview").Abstract();
  TClassRegistration<TfrxCustomDesigner, TForm>("TfrxCustomDesigner").Abstract();
}

namespace {

TfrxDesignerFactory GDesignerFactory = nullptr;

[[noreturn]] void RaiseAbstract()
{
  throw EAbstractError(SAbstractError);
}

} // namespace

TfrxCustomExportFilter::TfrxCustomExportFilter(TComponent* AOwner) : TComponent(AOwner)
{
  RegisteredExportFilters()->RegisterFilter(this);
  FRegistered = true;
}

TfrxCustomExportFilter::TfrxCustomExportFilter(TComponent* AOwner, TNoRegistration)
    : TComponent(AOwner)
{
}

TfrxCustomExportFilter::~TfrxCustomExportFilter()
{
  if (FRegistered)
    if (TfrxExportFilterCollection* filters = RegisteredExportFilters())
      filters->UnregisterFilter(this);
}

void TfrxCustomExportFilter::WriteObject(TfrxComponent*)
{
  RaiseAbstract();
}

// ---- Wizard ----

TfrxCustomWizard::TfrxCustomWizard(TComponent* AOwner)
    : TComponent(AOwner), FDesigner(dynamic_cast<TfrxCustomDesigner*>(AOwner))
{
  if (FDesigner)
    FReport = FDesigner->Report();
}

bool TfrxCustomWizard::RunWizard()
{
  RaiseAbstract();
}

// ---- Engine ----

TfrxCustomEngine::TfrxCustomEngine(TfrxReport* AReport)
    : FReport(AReport), FNotifyList(std::make_unique<TList>())
{
}

bool TfrxCustomEngine::DoublePass() const
{
  return FReport && FReport->EngineOptions()->DoublePass();
}

TfrxCustomEngine::~TfrxCustomEngine() = default;

void TfrxCustomEngine::EndPage()
{
  RaiseAbstract();
}
void TfrxCustomEngine::NewColumn()
{
  RaiseAbstract();
}
void TfrxCustomEngine::NewPage()
{
  RaiseAbstract();
}
void TfrxCustomEngine::ShowBand(TfrxComponent*)
{
  RaiseAbstract();
}
void TfrxCustomEngine::ShowBandByClass(TClass)
{
  RaiseAbstract();
}
Extended TfrxCustomEngine::FootersHeight()
{
  RaiseAbstract();
}
Extended TfrxCustomEngine::FreeSpace()
{
  RaiseAbstract();
}
Variant TfrxCustomEngine::AggregateValue(const AnsiString&, const AnsiString&, Variant&, Integer,
                                         TfrxComponent*)
{
  RaiseAbstract();
}
bool TfrxCustomEngine::BuildReport()
{
  RaiseAbstract();
}

void TfrxCustomEngine::StopReport()
{
  if (FReport)
    FReport->SetTerminated(true);
}

// ---- Outline ----

Integer TfrxCustomOutline::Count()
{
  RaiseAbstract();
}
void TfrxCustomOutline::AddItem(const AnsiString&, Integer)
{
  RaiseAbstract();
}
void TfrxCustomOutline::LevelDown(Integer)
{
  RaiseAbstract();
}
void TfrxCustomOutline::LevelRoot()
{
  RaiseAbstract();
}
void TfrxCustomOutline::LevelUp()
{
  RaiseAbstract();
}
void TfrxCustomOutline::GetItem(Integer, AnsiString&, Integer&, Integer&)
{
  RaiseAbstract();
}
void TfrxCustomOutline::ShiftItems(TObject*, Integer)
{
  RaiseAbstract();
}
TObject* TfrxCustomOutline::LastItem()
{
  RaiseAbstract();
}

TfrxCustomEngine* TfrxCustomOutline::Engine() const
{
  return FPreviewPages ? FPreviewPages->Engine() : nullptr;
}

// ---- Prepared pages ----

TfrxCustomPreviewPages::~TfrxCustomPreviewPages() = default;

Integer TfrxCustomPreviewPages::PageCount()
{
  RaiseAbstract();
}
TfrxComponent* TfrxCustomPreviewPages::BuildPage(Integer)
{
  RaiseAbstract();
}
TfrxPoint TfrxCustomPreviewPages::PageSize(Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::ClearPages()
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::Initialize()
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::AddObject(TfrxComponent*)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::AddPage(TfrxComponent*)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::AddSourcePage(TfrxComponent*)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::AddToSourcePage(TfrxComponent*)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::BeginPass()
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::ClearFirstPassPages()
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::CutObjects(Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::Finish()
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::PasteObjects(Extended, Extended)
{
  RaiseAbstract();
}
bool TfrxCustomPreviewPages::BandExists(TfrxComponent*)
{
  RaiseAbstract();
}
Integer TfrxCustomPreviewPages::GetCurPosition()
{
  RaiseAbstract();
}
Extended TfrxCustomPreviewPages::GetLastY()
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::AddEmptyPage(Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::DeletePage(Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::ReplacePage(TfrxComponent*, Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::DrawPage(Integer, TCanvas*, Extended, Extended, Extended, Extended)
{
  RaiseAbstract();
}
TfrxComponent* TfrxCustomPreviewPages::ObjectHitTest(Integer, Integer, Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::LoadFromStream(TStream*)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::SaveToStream(TStream*)
{
  RaiseAbstract();
}
bool TfrxCustomPreviewPages::LoadFromFile(const AnsiString&)
{
  RaiseAbstract();
}
void TfrxCustomPreviewPages::SaveToFile(const AnsiString&)
{
  RaiseAbstract();
}
bool TfrxCustomPreviewPages::PrintPages()
{
  RaiseAbstract();
}
bool TfrxCustomPreviewPages::ExportPages(TfrxCustomExportFilter*)
{
  RaiseAbstract();
}

// ---- Preview ----

void TfrxCustomPreview::ResetFromReport()
{
  RaiseAbstract();
}
void TfrxCustomPreview::Freeze()
{
  RaiseAbstract();
}
void TfrxCustomPreview::Thaw()
{
  RaiseAbstract();
}
void TfrxCustomPreview::BeginProgress(TfrxReport*, Integer, Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreview::StepProgress(TfrxReport*, Integer, Integer)
{
  RaiseAbstract();
}
void TfrxCustomPreview::EndProgress(TfrxReport*, Integer, Integer)
{
  RaiseAbstract();
}

// ---- Designer ----

TfrxCustomDesigner::TfrxCustomDesigner(TComponent* AOwner, bool APreviewDesigner,
                                       TfrxReport* AReport)
    : TForm(AOwner), FReport(AReport), FIsPreviewDesigner(APreviewDesigner),
      FSelectedObjects(std::make_unique<TList>()), FObjects(std::make_unique<TList>())
{
}

TfrxCustomDesigner::~TfrxCustomDesigner() = default;

void TfrxCustomDesigner::MarkModified(bool Value)
{
  FModified = Value;
  if (Value && FReport)
    FReport->SetModified(true);
}

TStrings* TfrxCustomDesigner::ScriptLines()
{
  RaiseAbstract();
}
AnsiString TfrxCustomDesigner::EditExpression(const AnsiString&)
{
  RaiseAbstract();
}
void TfrxCustomDesigner::ClearSelection()
{
  RaiseAbstract();
}
void TfrxCustomDesigner::ReloadPageTabs(Integer)
{
  RaiseAbstract();
}
void TfrxCustomDesigner::ReloadReport()
{
  RaiseAbstract();
}
void TfrxCustomDesigner::UpdateDataTree()
{
  RaiseAbstract();
}
void TfrxCustomDesigner::RepaintWorkspace()
{
  RaiseAbstract();
}

void SetReportDesignerFactory(TfrxDesignerFactory Factory)
{
  GDesignerFactory = Factory;
}

TfrxCustomDesigner* CreateReportDesigner(TComponent* AOwner, bool APreviewDesigner,
                                         TfrxReport* AReport)
{
  if (!ReportDesignerClass || !GDesignerFactory)
    return nullptr;
  return GDesignerFactory(AOwner, APreviewDesigner, AReport);
}
