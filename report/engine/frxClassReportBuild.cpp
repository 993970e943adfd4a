// How a report is built, shown and designed: GenerateReport, ShowReport with its build
// timer, the preview link, the designer's nested loop, stopping, and the progress the
// build, export and print walks report. frxClass.h describes the report.
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/ExtCtrls.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxProgress.h"
#include "report/engine/frxRes.h"
#include "report/script/fsScript.h"
#include "report/script/fsStatement.h"

namespace {

TfrxPreviewFormFactory GPreviewFormFactory = nullptr;

} // namespace

void SetPreviewFormFactory(TfrxPreviewFormFactory Factory)
{
  GPreviewFormFactory = Factory;
}

TfrxPreviewFormFactory PreviewFormFactory()
{
  return GPreviewFormFactory;
}

// ---- Building ----

bool TfrxReport::CheckDataSets()
{
  for (Integer i = 0; i < FDataSets->Count(); ++i)
    if (!FDataSets->Items(i)->DataSet())
      FErrors->Add(
          Format(ReportResources()->Lookup("clDSNotExist"), {FDataSets->Items(i)->DataSetName()}));
  return FErrors->Count() == 0;
}

bool TfrxReport::GenerateReport(bool ClearLastReport)
{
  if (ClearLastReport)
    FPreviewPages->ClearPages();
  FErrors->Clear();
  FTerminated = false;
  bool result = false;
  if (CheckDataSets()) {
    // The build may change objects (scripts do); the saved definition puts them back.
    std::unique_ptr<TMemoryStream> saved;
    if (FEngineOptions->ReloadAfterBuild()) {
      saved = std::make_unique<TMemoryStream>();
      SaveToStream(saved.get(), true, false);
    }
    try {
      if (OnBeginDoc)
        OnBeginDoc(this);
      if (BindReportScript()) {
        if (FScript->Statement()->Count() > 0)
          FScript->RunScript();
        if (FEngine->BuildReport())
          result = true;
        else if (FPreviewForm)
          FPreviewForm->Close();
      }
    } catch (const Exception& e) {
      FErrors->Add(e.Message());
    }
    if (saved && !FEngineOptions->ReportThread()) {
      const AnsiString errors = FErrors->Text();
      saved->SetPosition(0);
      FReloading = true;
      TScopeExit reloaded([this] { FReloading = false; });
      LoadFromStream(saved.get());
      FErrors->SetText(errors);
    }
  }
  if (FErrors->Count() > 0) {
    result = false;
    ShowErrors();
  }
  return result;
}

void TfrxReport::SetTerminated(bool Value)
{
  FTerminated = Value;
  if (Value)
    FScript->StopScript();
}

// ---- Showing ----

void TfrxReport::ShowReport(bool ClearLastReport)
{
  if (ClearLastReport)
    FPreviewPages->ClearPages();
  if (!FOldStyleProgress)
    FBuildTimer->SetEnabled(true);
  else if (!GenerateReport(false))
    return;
  OpenPreview();
}

void TfrxReport::BuildTimerTick(TObject*)
{
  FBuildTimer->SetEnabled(false);
  GenerateReport(false);
}

void TfrxReport::SetPreview(TfrxCustomPreview* Value)
{
  if (FPreview && FPreview != Value) {
    FPreview->SetReport(nullptr);
    FPreview->SetPreviewPages(nullptr);
    FPreview->RemoveFreeNotification(this);
  }
  FPreview = Value;
  if (!Value) {
    FPreviewForm = nullptr;
    return;
  }
  Value->FreeNotification(this);
  Value->SetReport(this);
  Value->SetPreviewPages(FPreviewPages.get());
  Value->ResetFromReport();
}

void TfrxReport::OpenPreview()
{
  FPreviewForm = nullptr;
  if (FPreview) {
    SetPreview(FPreview);
    return;
  }
  if (!GPreviewFormFactory)
    return;
  TForm* form = GPreviewFormFactory(Application());
  auto* window = dynamic_cast<TfrxPreviewWindow*>(form);
  if (!window) {
    delete form;
    return;
  }
  SetPreview(window->PreviewControl());
  FPreviewForm = form;
  window->ApplyPreviewOptions();
  if (FPreviewOptions->Modal()) {
    TDestroyWatch watch(form);
    form->ShowModal();
    // The preview control goes with its window and unlinks itself.
    if (!watch.Destroyed())
      delete form;
    return;
  }
  form->OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
  form->Show();
}

// ---- Designing ----

bool TfrxReport::RunDesigner(bool PreparedPage)
{
  TCustomForm* active = Screen() ? Screen()->ActiveForm() : nullptr;
  TDestroyWatch activeWatch(active);
  if (active)
    active->SetEnabled(false);
  TScopeExit restore([&] {
    delete FDesignerForm;
    FDesignerForm = nullptr;
    if (activeWatch.Destroyed() || !active)
      return;
    active->SetEnabled(true);
    if (!ComponentState().Contains(csDesigning) && active->Visible())
      active->SetFocus();
  });
  if (!PreparedPage)
    FModified = false;
  FDesignerForm = CreateReportDesigner(nullptr, PreparedPage, this);
  if (!FDesignerForm)
    return false;
  FDesignerForm->Show();
  while (!FDesignerForm->Closed())
    Application()->HandleMessage();
  return FDesignerForm->Modified();
}

void TfrxReport::OpenDesigner()
{
  if (FDesignerForm || !ReportDesignerClass)
    return;
  if (PageCount() == 0) {
    TfrxReportPage* page = FDotMatrixReport ? new TfrxDMPPage(this) : new TfrxReportPage(this);
    page->ApplyPrinterDefaults();
    page->SetName("Page1");
  }
  FScript->ClearItemsOwnedBy(this);
  RunDesigner(false);
}

bool TfrxReport::OpenDesignerOnPreparedPage()
{
  if (FDesignerForm || !ReportDesignerClass)
    return false;
  return RunDesigner(true);
}

// ---- Progress ----

void TfrxReport::BeginProgress(TfrxProgressType ProgressType)
{
  if (FEngineOptions->ReportThread())
    return;
  if (OnProgressStart)
    OnProgressStart(this, ProgressType, 0);
  if (!FOldStyleProgress && ProgressType == ptRunning) {
    if (FPreview)
      FPreview->BeginProgress(this, ProgressType, 0);
  } else if (FShowProgress) {
    delete FProgressForm;
    FProgressForm = new TfrxProgress(nullptr);
    FProgressForm->Start(0, AnsiString(), false, true);
  }
  Application()->ProcessMessages();
}

void TfrxReport::StepProgress(TfrxProgressType ProgressType, Integer Progress)
{
  if (FEngineOptions->ReportThread())
    return;
  if (OnProgress)
    OnProgress(this, ProgressType, Progress);
  if (!FOldStyleProgress && ProgressType == ptRunning) {
    if (FPreview)
      FPreview->StepProgress(this, ProgressType, Progress - 1);
  } else if (FShowProgress && FProgressForm) {
    const char* text = "prRunning";
    if (ProgressType == ptExporting)
      text = "prExporting";
    else if (ProgressType == ptPrinting)
      text = "prPrinting";
    else if (!FEngine->FinalPass())
      text = "prRunningFirst";
    FProgressForm->SetMessage(Format(ReportResources()->Lookup(text), {Progress}));
    if (FProgressForm->Terminated())
      SetTerminated(true);
  }
  Application()->ProcessMessages();
}

void TfrxReport::EndProgress(TfrxProgressType ProgressType)
{
  if (FEngineOptions->ReportThread())
    return;
  if (OnProgressStop)
    OnProgressStop(this, ProgressType, 0);
  if (FOldStyleProgress || ProgressType != ptRunning) {
    if (FShowProgress) {
      delete FProgressForm;
      FProgressForm = nullptr;
    }
  } else if (FPreview) {
    FPreview->EndProgress(this, ProgressType, 0);
  }
  Application()->ProcessMessages();
}

void TfrxReport::SetProgressMessage(const AnsiString& Text)
{
  if (!FOldStyleProgress || !FEngine->Running()) {
    if (auto* window = dynamic_cast<TfrxPreviewWindow*>(FPreviewForm))
      window->ShowStatusMessage(Text);
    return;
  }
  if (FShowProgress && FProgressForm)
    FProgressForm->SetMessage(Text);
}
