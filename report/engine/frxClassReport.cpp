// The report document, TfrxReport: what it owns, its settings and option objects, its
// dataset list, clearing, loading and saving, and the name index of the objects it owns.
// Expressions and the report script are in frxClassReportScript.cpp, building, showing and
// designing in frxClassReportBuild.cpp. frxClass.h describes the report.
#include <algorithm>
#include <unordered_map>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxDrawText.h"
#include "report/engine/frxEngine.h"
#include "report/engine/frxPasswordForm.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxPrinter.h"
#include "report/engine/frxProgress.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxStyles.h"
#include "report/engine/frxVariables.h"
#include "report/script/fsScript.h"

void frxclass::RegisterReportClass()
{
  RegisterEnumType<TfrxPreviewButton>(
      "TfrxPreviewButton", {"pbPrint", "pbLoad", "pbSave", "pbExport", "pbZoom", "pbFind",
                            "pbOutline", "pbPageSetup", "pbTools", "pbEdit", "pbNavigator"});
  RegisterSetType<TfrxPreviewButtons>("TfrxPreviewButtons");
  RegisterEnumType<TfrxZoomMode>("TfrxZoomMode",
                                 {"zmDefault", "zmWholePage", "zmPageWidth", "zmManyPages"});
  RegisterEnumType<TfrxPrintPages>("TfrxPrintPages", {"ppAll", "ppOdd", "ppEven"});
  RegisterEnumType<TfrxProgressType>("TfrxProgressType",
                                     {"ptRunning", "ptExporting", "ptPrinting"});
  RegisterEventType<TfrxBeforePrintEvent>("TfrxBeforePrintEvent");
  RegisterEventType<TfrxGetValueEvent>("TfrxGetValueEvent");
  RegisterEventType<TfrxClickObjectEvent>("TfrxClickObjectEvent");
  RegisterEventType<TfrxMouseOverObjectEvent>("TfrxMouseOverObjectEvent");
  RegisterEventType<TfrxManualBuildEvent>("TfrxManualBuildEvent");
  RegisterEventType<TfrxProgressEvent>("TfrxProgressEvent");
  RegisterEventType<TfrxUserFunctionEvent>("TfrxUserFunctionEvent");

  using E = TfrxEngineOptions;
  TClassRegistration<E, TPersistent>("TfrxEngineOptions")
      .Property("ConvertNulls", &E::ConvertNulls, &E::SetConvertNulls)
      .Default(true)
      .Property("DoublePass", &E::DoublePass, &E::SetDoublePass)
      .Default(false)
      .Property("MaxMemSize", &E::MaxMemSize, &E::SetMaxMemSize)
      .Default(10)
      .Property("PrintIfEmpty", &E::PrintIfEmpty, &E::SetPrintIfEmpty)
      .Default(true)
      .Property("SilentMode", &E::SilentMode, &E::SetSilentMode)
      .Default(false)
      .Property("TempDir", &E::TempDir, &E::SetTempDir)
      .Property("UseFileCache", &E::UseFileCache, &E::SetUseFileCache)
      .Default(false);
  using V = TfrxPreviewOptions;
  TClassRegistration<V, TPersistent>("TfrxPreviewOptions")
      .Property("AllowEdit", &V::AllowEdit, &V::SetAllowEdit)
      .Default(true)
      .Property("Buttons", &V::Buttons, &V::SetButtons)
      .Default(TfrxPreviewOptions::AllButtons())
      .Property("DoubleBuffered", &V::DoubleBuffered, &V::SetDoubleBuffered)
      .Default(true)
      .Property("Maximized", &V::Maximized, &V::SetMaximized)
      .Default(true)
      .Property("MDIChild", &V::MDIChild, &V::SetMDIChild)
      .Default(false)
      .Property("Modal", &V::Modal, &V::SetModal)
      .Default(true)
      .Property("OutlineVisible", &V::OutlineVisible, &V::SetOutlineVisible)
      .Default(false)
      .Property("OutlineWidth", &V::OutlineWidth, &V::SetOutlineWidth)
      .Default(120)
      .Property("ShowCaptions", &V::ShowCaptions, &V::SetShowCaptions)
      .Default(false)
      .Property("Zoom", &V::Zoom, &V::SetZoom)
      .Property("ZoomMode", &V::ZoomMode, &V::SetZoomMode)
      .Default(zmDefault);
  using P = TfrxPrintOptions;
  TClassRegistration<P, TPersistent>("TfrxPrintOptions")
      .Property("Copies", &P::Copies, &P::SetCopies)
      .Default(1)
      .Property("Collate", &P::Collate, &P::SetCollate)
      .Default(true)
      .Property("PageNumbers", &P::PageNumbers, &P::SetPageNumbers)
      .Property("Printer", &P::Printer, &P::SetPrinter)
      .StoreEmpty()
      .Property("PrintPages", &P::PrintPages, &P::SetPrintPages)
      .Default(ppAll)
      .Property("ShowDialog", &P::ShowDialog, &P::SetShowDialog)
      .Default(true);
  using O = TfrxReportOptions;
  TClassRegistration<O, TPersistent>("TfrxReportOptions")
      .Property("Author", &O::Author, &O::SetAuthor)
      .Property("Compressed", &O::Compressed, &O::SetCompressed)
      .Default(false)
      .Property("CreateDate", &O::CreateDate, &O::SetCreateDate)
      .Property("Description", &O::Description, &O::SetDescription)
      .Property("InitString", &O::InitString, &O::SetInitString)
      .Property("LastChange", &O::LastChange, &O::SetLastChange)
      .Property("Name", &O::Name, &O::SetName)
      .Property("Password", &O::Password, &O::SetPassword)
      .Property("Picture", &O::Picture, &O::SetPicture)
      .Property("VersionBuild", &O::VersionBuild, &O::SetVersionBuild)
      .Property("VersionMajor", &O::VersionMajor, &O::SetVersionMajor)
      .Property("VersionMinor", &O::VersionMinor, &O::SetVersionMinor)
      .Property("VersionRelease", &O::VersionRelease, &O::SetVersionRelease);
  TClassRegistration<TfrxDataSetItem, TCollectionItem>("TfrxDataSetItem")
      .Property("DataSet", &TfrxDataSetItem::DataSet, &TfrxDataSetItem::SetDataSet)
      .Property("DataSetName", &TfrxDataSetItem::DataSetName, &TfrxDataSetItem::SetDataSetName);
  TClassRegistration<TfrxReportDataSets, TCollection>("TfrxReportDataSets");

  using R = TfrxReport;
  TClassRegistration<R, TfrxComponent>("TfrxReport")
      .Property("DataSet", &R::DataSet, &R::SetDataSet)
      .Property("DataSetName", &R::DataSetName, &R::SetDataSetName)
      .Property("DotMatrixReport", &R::DotMatrixReport, &R::SetDotMatrixReport)
      .NoDefault()
      .Property("EngineOptions", &R::EngineOptions, &R::SetEngineOptions)
      .Property("IniFile", &R::IniFile, &R::SetIniFile)
      .Property("OldStyleProgress", &R::OldStyleProgress, &R::SetOldStyleProgress)
      .Default(false)
      .Property("Preview", &R::Preview, &R::SetPreview)
      .Property("PreviewOptions", &R::PreviewOptions, &R::SetPreviewOptions)
      .Property("PrintOptions", &R::PrintOptions, &R::SetPrintOptions)
      .Property("ReportOptions", &R::ReportOptions, &R::SetReportOptions)
      .Property("ScriptLanguage", &R::ScriptLanguage, &R::SetScriptLanguage)
      .StoreEmpty()
      .Property("ScriptText", &R::ScriptText, &R::SetScriptText)
      .Property("ShowProgress", &R::ShowProgress, &R::SetShowProgress)
      .Default(true)
      .Property("OnAfterPrint", &R::OnAfterPrint, &R::OnAfterPrint)
      .Property("OnBeforePrint", &R::OnBeforePrint, &R::OnBeforePrint)
      .Property("OnBeginDoc", &R::OnBeginDoc, &R::OnBeginDoc)
      .Property("OnClickObject", &R::OnClickObject, &R::OnClickObject)
      .Property("OnGetValue", &R::OnGetValue, &R::OnGetValue)
      .Property("OnManualBuild", &R::OnManualBuild, &R::OnManualBuild)
      .Property("OnMouseOverObject", &R::OnMouseOverObject, &R::OnMouseOverObject)
      .Property("OnPrintReport", &R::OnPrintReport, &R::OnPrintReport)
      .Property("OnProgressStart", &R::OnProgressStart, &R::OnProgressStart)
      .Property("OnProgress", &R::OnProgress, &R::OnProgress)
      .Property("OnProgressStop", &R::OnProgressStop, &R::OnProgressStop)
      .Property("OnStartReport", &R::OnStartReport, &R::OnStartReport)
      .Property("OnStopReport", &R::OnStopReport, &R::OnStopReport)
      .Property("OnUserFunction", &R::OnUserFunction, &R::OnUserFunction);
}

// ---- Option objects ----

void TfrxEngineOptions::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxEngineOptions*>(Source);
  if (!source)
    return;
  FConvertNulls = source->FConvertNulls;
  FDoublePass = source->FDoublePass;
  FMaxMemSize = source->FMaxMemSize;
  FPrintIfEmpty = source->FPrintIfEmpty;
  FSilentMode = source->FSilentMode;
  FTempDir = source->FTempDir;
  FUseFileCache = source->FUseFileCache;
}

void TfrxEngineOptions::Clear()
{
  FConvertNulls = true;
  FDoublePass = false;
}

TfrxPreviewButtons TfrxPreviewOptions::AllButtons()
{
  return TfrxPreviewButtons{pbPrint,   pbLoad,      pbSave,  pbExport, pbZoom,     pbFind,
                            pbOutline, pbPageSetup, pbTools, pbEdit,   pbNavigator};
}

void TfrxPreviewOptions::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxPreviewOptions*>(Source);
  if (!source)
    return;
  FAllowEdit = source->FAllowEdit;
  FButtons = source->FButtons;
  FDoubleBuffered = source->FDoubleBuffered;
  FMaximized = source->FMaximized;
  FMDIChild = source->FMDIChild;
  FModal = source->FModal;
  FOutlineVisible = source->FOutlineVisible;
  FOutlineWidth = source->FOutlineWidth;
  FShowCaptions = source->FShowCaptions;
  FZoom = source->FZoom;
  FZoomMode = source->FZoomMode;
}

void TfrxPreviewOptions::Clear()
{
  FOutlineVisible = false;
  FOutlineWidth = 120;
}

TfrxPrintOptions::TfrxPrintOptions()
{
  Clear();
}

void TfrxPrintOptions::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxPrintOptions*>(Source);
  if (!source)
    return;
  FCopies = source->FCopies;
  FCollate = source->FCollate;
  FPageNumbers = source->FPageNumbers;
  FPrinter = source->FPrinter;
  FPrintPages = source->FPrintPages;
  FShowDialog = source->FShowDialog;
}

void TfrxPrintOptions::Clear()
{
  FCopies = 1;
  FCollate = true;
  FPageNumbers.clear();
  FPrinter = ReportResources()->Lookup("prDefault");
  FPrintPages = ppAll;
  FShowDialog = true;
}

TfrxReportOptions::TfrxReportOptions()
    : FDescription(std::make_unique<TStringList>()), FPicture(std::make_unique<TPicture>())
{
  Clear();
}

TfrxReportOptions::~TfrxReportOptions() = default;

void TfrxReportOptions::SetPicture(TPicture* Value)
{
  FPicture->Assign(Value);
}

void TfrxReportOptions::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxReportOptions*>(Source);
  if (!source)
    return;
  FAuthor = source->FAuthor;
  FCompressed = source->FCompressed;
  FCreateDate = source->FCreateDate;
  FDescription->Assign(source->FDescription.get());
  FInitString = source->FInitString;
  FLastChange = source->FLastChange;
  FName = source->FName;
  FPassword = source->FPassword;
  FPicture->Assign(source->FPicture.get());
  FVersionBuild = source->FVersionBuild;
  FVersionMajor = source->FVersionMajor;
  FVersionMinor = source->FVersionMinor;
  FVersionRelease = source->FVersionRelease;
}

void TfrxReportOptions::Clear()
{
  FAuthor.clear();
  FCompressed = false;
  FCreateDate = Now();
  FDescription->Clear();
  FInitString.clear();
  FLastChange = FCreateDate;
  FName.clear();
  FPassword.clear();
  FPicture->Assign(nullptr);
  FVersionBuild.clear();
  FVersionMajor.clear();
  FVersionMinor.clear();
  FVersionRelease.clear();
}

bool TfrxReportOptions::CheckPassword()
{
  if (FPassword.empty())
    return true;
  TfrxPasswordForm form(nullptr);
  if (form.ShowModal() != mrOk)
    return false;
  return form.PasswordE->Text() == FPassword;
}

namespace {

AnsiString ShiftBytes(const AnsiString& Text, Integer By)
{
  AnsiString result = Text;
  for (char& c : result)
    c = static_cast<char>((static_cast<unsigned char>(c) + By) & 0xFF);
  return result;
}

} // namespace

AnsiString ScramblePassword(const AnsiString& Password)
{
  return ShiftBytes(Password, -10);
}

AnsiString UnscramblePassword(const AnsiString& Password)
{
  return ShiftBytes(Password, 10);
}

// ---- The dataset list ----

TfrxDataSetItem::TfrxDataSetItem(TCollection* Collection) : TCollectionItem(Collection) {}

namespace {

TfrxReport* ReportOfItem(const TCollectionItem* Item)
{
  auto* list = dynamic_cast<TfrxReportDataSets*>(Item->Collection());
  return list ? list->Report() : nullptr;
}

} // namespace

void TfrxDataSetItem::SetDataSet(TfrxDataSet* Value)
{
  FDataSet = Value;
  FDataSetName = Value ? Value->UserName() : AnsiString();
  // The report drops the entry when the dataset goes.
  if (TfrxReport* report = ReportOfItem(this); report && Value)
    Value->FreeNotification(report);
}

AnsiString TfrxDataSetItem::DataSetName() const
{
  return FDataSet ? FDataSet->UserName() : FDataSetName;
}

void TfrxDataSetItem::SetDataSetName(const AnsiString& Value)
{
  FDataSetName = Value;
  TfrxDataSet* found = FindDataSet(FDataSet, Value, ReportOfItem(this));
  if (found != FDataSet) {
    SetDataSet(found);
    FDataSetName = Value;
  }
}

TfrxReportDataSets::TfrxReportDataSets(TfrxReport* AReport)
    : TCollection(CollectionItemClass<TfrxDataSetItem>()), FReport(AReport)
{
}

TfrxDataSetItem* TfrxReportDataSets::Add(TfrxDataSet* DataSet)
{
  auto* item = static_cast<TfrxDataSetItem*>(TCollection::Add());
  item->SetDataSet(DataSet);
  return item;
}

TfrxDataSetItem* TfrxReportDataSets::Items(Integer Index) const
{
  return static_cast<TfrxDataSetItem*>(TCollection::Items(Index));
}

TfrxDataSetItem* TfrxReportDataSets::Find(TfrxDataSet* DataSet) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->DataSet() == DataSet)
      return Items(i);
  return nullptr;
}

TfrxDataSetItem* TfrxReportDataSets::FindByName(const AnsiString& Name) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (TfrxDataSet* ds = Items(i)->DataSet(); ds && SameText(ds->UserName(), Name))
      return Items(i);
  return nullptr;
}

void TfrxReportDataSets::InitializeAll()
{
  for (Integer i = 0; i < Count(); ++i)
    if (TfrxDataSet* ds = Items(i)->DataSet()) {
      ds->SetReportRef(FReport);
      ds->OpenForReport();
    }
}

void TfrxReportDataSets::FinalizeAll()
{
  for (Integer i = 0; i < Count(); ++i)
    if (TfrxDataSet* ds = Items(i)->DataSet())
      ds->CloseForReport();
}

// ---- The report ----

// The names of the components the report owns, keyed in upper case (component names are
// identifiers, so upper-casing them is the comparison ignoring case).
struct TfrxReport::TNameIndex {
  std::unordered_map<AnsiString, TComponent*> Names;

  TComponent* Find(const AnsiString& Name) const
  {
    auto it = Names.find(UpperCase(Name));
    return it == Names.end() ? nullptr : it->second;
  }
  void Add(TComponent* Component, const AnsiString& Name)
  {
    if (!Name.empty())
      Names[UpperCase(Name)] = Component;
  }
  void Remove(TComponent* Component, const AnsiString& Name)
  {
    auto it = Names.find(UpperCase(Name));
    if (it != Names.end() && it->second == Component)
      Names.erase(it);
  }
};

TfrxReport::TfrxReport(TComponent* AOwner)
    : TfrxComponent(AOwner), FNameIndex(std::make_unique<TNameIndex>()),
      FDataSets(std::make_unique<TfrxReportDataSets>(this)),
      FOfferedDataSets(std::make_unique<TfrxReportDataSets>(this)),
      FVariables(std::make_unique<TfrxVariables>()), FScript(std::make_unique<TfsScript>()),
      FBuildTimer(std::make_unique<TTimer>(nullptr)),
      FEngineOptions(std::make_unique<TfrxEngineOptions>()),
      FPreviewOptions(std::make_unique<TfrxPreviewOptions>()),
      FPrintOptions(std::make_unique<TfrxPrintOptions>()),
      FReportOptions(std::make_unique<TfrxReportOptions>()), FIniFile("\\Software\\Ridu Zirezod"),
      FScriptText(std::make_unique<TStringList>()),
      FExpressionCache(std::make_unique<TfrxExpressionCache>()),
      FErrors(std::make_unique<TStringList>()), FStyles(std::make_unique<TfrxStyles>(this)),
      FSystemVariables(std::make_unique<TStringList>())
{
  FScript->SetParent(GlobalScriptUnit());
  FBuildTimer->SetEnabled(false);
  FBuildTimer->SetInterval(50);
  FBuildTimer->SetOnTimer(TNotifyEvent::Bind(this, &TfrxReport::BuildTimerTick));
  FErrors->SetSorted(true);
  FErrors->SetDuplicates(dupIgnore);
  FEngine = std::make_unique<TfrxEngine>(this);
  FPreviewPages = std::make_unique<TfrxPreviewPages>(this);
  FEngine->SetPreviewPages(FPreviewPages.get());
  FPreviewPages->SetEngine(FEngine.get());
  FDrawText = std::make_unique<TfrxDrawText>();
  Clear();
}

TfrxReport::~TfrxReport()
{
  FBuildTimer->SetEnabled(false);
  // The objects go while the report is still whole. Deleting the owned components last
  // first removes children before their parents and each one quietly, instead of telling
  // every remaining object about every removal. Quiet removals bypass the name index, so
  // it goes first.
  FNameIndex.reset();
  DestroyComponents();
  SetPreview(nullptr);
  delete FProgressForm;
  FProgressForm = nullptr;
  // The prepared pages and the engine hold copies of objects and refer to each other.
  FPreviewPages.reset();
  FEngine.reset();
}

TfrxPage* TfrxReport::Pages(Integer Index) const
{
  return static_cast<TfrxPage*>(Objects()->Items(Index));
}

Integer TfrxReport::PageCount() const
{
  return Objects()->Count();
}

void TfrxReport::SetDataSet(TfrxDataSet* Value)
{
  FDataSetLink.SetDataSet(Value);
  // The link dropped its free notification on the old dataset; the dataset list may still
  // name it.
  for (TfrxReportDataSets* list : {FDataSets.get(), FOfferedDataSets.get()})
    for (Integer i = 0; i < list->Count(); ++i)
      if (TfrxDataSet* ds = list->Items(i)->DataSet())
        ds->FreeNotification(this);
}

void TfrxReport::SetDataSetName(const AnsiString& Value)
{
  FDataSetLink.SetDataSetName(Value);
  SetDataSet(DataSet());
}

void TfrxReport::ResetSystemVariables()
{
  FSystemVariables->Clear();
  for (const char* name :
       {"Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#", "Line", "Line#"})
    FSystemVariables->Add(name);
}

void TfrxReport::Clear()
{
  auto clear = [this] {
    TfrxComponent::Clear();
    FDataSets->Clear();
    FVariables->Clear();
    FEngineOptions->Clear();
    FPreviewOptions->Clear();
    FPrintOptions->Clear();
    FReportOptions->Clear();
    FStyles->Clear();
    SetDataSetName(AnsiString());
    FDotMatrixReport = false;
    FScriptLanguage = "PascalScript";
    FScriptText->SetText("begin\r\n\r\nend.");
    ResetSystemVariables();
  };
  if (TThread* thread = FEngineOptions->ReportThread())
    TThread::Synchronize(thread, clear);
  else
    clear();
}

AnsiString TfrxReport::GetDescription()
{
  return ReportResources()->Lookup("obReport");
}

void TfrxReport::ShowErrors()
{
  if (FErrors->Count() == 0 || FEngineOptions->SilentMode())
    return;
  ShowErrorMessage(ReportResources()->Lookup("clErrors") + "\r\n" + FErrors->Text());
}

void TfrxReport::LoadFromStream(TStream* Stream)
{
  FErrors->Clear();
  TfrxEngineOptions engineOptions;
  engineOptions.Assign(FEngineOptions.get());
  TfrxPreviewOptions previewOptions;
  previewOptions.Assign(FPreviewOptions.get());
  const AnsiString iniFile = FIniFile;
  TfrxCustomPreview* preview = FPreview;
  const bool oldStyleProgress = FOldStyleProgress;
  const bool showProgress = FShowProgress;

  std::exception_ptr failure;
  try {
    if (TThread* thread = FEngineOptions->ReportThread())
      TThread::Synchronize(thread, [this, Stream] { TfrxComponent::LoadFromStream(Stream); });
    else
      TfrxComponent::LoadFromStream(Stream);
  } catch (...) {
    failure = std::current_exception();
  }

  // Of the options, the file decides only these four.
  const bool convertNulls = FEngineOptions->ConvertNulls();
  const bool doublePass = FEngineOptions->DoublePass();
  FEngineOptions->Assign(&engineOptions);
  FEngineOptions->SetConvertNulls(convertNulls);
  FEngineOptions->SetDoublePass(doublePass);
  const bool outlineVisible = FPreviewOptions->OutlineVisible();
  const Integer outlineWidth = FPreviewOptions->OutlineWidth();
  FPreviewOptions->Assign(&previewOptions);
  FPreviewOptions->SetOutlineVisible(outlineVisible);
  FPreviewOptions->SetOutlineWidth(outlineWidth);
  FIniFile = iniFile;
  FPreview = preview;
  FOldStyleProgress = oldStyleProgress;
  FShowProgress = showProgress;
  FReportOptions->SetPassword(UnscramblePassword(FReportOptions->Password()));

  // A damaged definition asks for no password: its error is what the caller hears.
  if (!failure && !FReloading && !FReportOptions->CheckPassword()) {
    Clear();
    Abort();
  }
  ShowErrors();
  if (failure)
    std::rethrow_exception(failure);
}

void TfrxReport::SaveToStream(TStream* Stream, bool SaveChildren, bool SaveDefaults)
{
  const AnsiString password = FReportOptions->Password();
  TfrxCustomPreview* preview = FPreview;
  TScopeExit restore([&] {
    FReportOptions->SetPassword(password);
    FPreview = preview;
  });
  FReportOptions->SetPassword(ScramblePassword(password));
  FPreview = nullptr;
  TfrxComponent::SaveToStream(Stream, SaveChildren, SaveDefaults);
}

bool TfrxReport::LoadFromFile(const AnsiString& AFileName, bool RaiseIfMissing)
{
  Clear();
  FFileName.clear();
  const bool exists = FileExists(AFileName);
  if (exists || RaiseIfMissing) {
    TFileStream stream(AFileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
    FFileName = AFileName;
  }
  return exists;
}

void TfrxReport::SaveToFile(const AnsiString& AFileName)
{
  TFileStream stream(AFileName, fmCreate);
  SaveToStream(&stream, true, false);
}

TCustomIniFile* TfrxReport::OpenIniFile()
{
  if (FIniFile.compare(0, 10, "\\Software\\") == 0)
    return new TRegistryIniFile(FIniFile);
  return new TIniFile(FIniFile);
}

void TfrxReport::SelectPrinter()
{
  TfrxPrinters* printers = GlobalPrinters();
  Integer index = printers->IndexOf(FPrintOptions->Printer());
  if (index != -1)
    printers->SelectIndex(index);
}

void TfrxReport::DefineProperties(TFiler* Filer)
{
  TfrxComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Datasets", [this](TReader* Reader) { ReadDataSets(Reader); },
      [this](TWriter* Writer) { WriteDataSets(Writer); }, true);
  Filer->DefineProperty(
      "Variables", [this](TReader* Reader) { ReadVariables(Reader); },
      [this](TWriter* Writer) { WriteVariables(Writer); }, true);
  Filer->DefineProperty(
      "Style", [this](TReader* Reader) { ReadStyle(Reader); },
      [this](TWriter* Writer) { WriteStyle(Writer); }, true);
}

void TfrxReport::ReadDataSets(TReader* Reader)
{
  ReadCollectionProperty(FDataSets.get(), Reader, this);
}

void TfrxReport::WriteDataSets(TWriter* Writer)
{
  WriteCollectionProperty(FDataSets.get(), Writer, this);
}

void TfrxReport::ReadVariables(TReader* Reader)
{
  ReadCollectionProperty(FVariables.get(), Reader, this);
}

void TfrxReport::WriteVariables(TWriter* Writer)
{
  WriteCollectionProperty(FVariables.get(), Writer, this);
}

void TfrxReport::ReadStyle(TReader* Reader)
{
  ReadCollectionProperty(FStyles.get(), Reader, this);
}

void TfrxReport::WriteStyle(TWriter* Writer)
{
  WriteCollectionProperty(FStyles.get(), Writer, this);
}

void TfrxReport::ApplyStyles(TfrxStyles* Value)
{
  if (!Value) {
    FStyles->Clear();
    return;
  }
  FStyles->Assign(Value);
  FStyles->SetName(Value->Name());
  FStyles->Apply();
}

// ---- Datasets ----

TfrxDataSet* TfrxReport::GetDataset(const AnsiString& Alias) const
{
  TfrxDataSetItem* item = FDataSets->FindByName(Alias);
  return item ? item->DataSet() : nullptr;
}

AnsiString TfrxReport::DataSetDisplayName(TfrxDataSet* DataSet) const
{
  if (!DataSet)
    return AnsiString();
  if (FDataSets->Find(DataSet))
    return DataSet->UserName();
  return ReportResources()->Lookup("clDSNotIncl");
}

void TfrxReport::SplitDataSetField(const AnsiString& Text, TfrxDataSet*& DataSet,
                                   AnsiString& Field) const
{
  DataSet = nullptr;
  Field.clear();
  const size_t at = Text.find(".\"");
  if (at == AnsiString::npos)
    return;
  DataSet = GetDataset(Text.substr(0, at));
  const AnsiString quoted = Text.substr(at + 2);
  Field = quoted.empty() ? AnsiString() : quoted.substr(0, quoted.size() - 1);
}

void TfrxReport::ListDataSets(TStrings* List, bool SkipUserDataSets) const
{
  List->Clear();
  for (Integer i = 0; i < FDataSets->Count(); ++i) {
    TfrxDataSet* ds = FDataSets->Items(i)->DataSet();
    if (!ds || (SkipUserDataSets && dynamic_cast<TfrxUserDataSet*>(ds)))
      continue;
    List->AddObject(ds->UserName(), ds);
  }
}

// ---- Names and notifications ----

TComponent* TfrxReport::FindOwnedComponent(const AnsiString& AName) const
{
  return FNameIndex && !AName.empty() ? FNameIndex->Find(AName) : nullptr;
}

void TfrxReport::Notification(TComponent* AComponent, TOperation Operation)
{
  if (!AComponent)
    return;
  if (Operation == opRemove) {
    RemoveFreeNotification(AComponent);
    FDataSetLink.Notification(AComponent, Operation);
    if (AComponent == FPreview) {
      FPreview = nullptr;
      FPreviewForm = nullptr;
    }
    if (auto* ds = dynamic_cast<TfrxDataSet*>(AComponent)) {
      bool removed = false;
      for (TfrxReportDataSets* list : {FDataSets.get(), FOfferedDataSets.get()})
        for (Integer i = list->Count() - 1; i >= 0; --i)
          if (list->Items(i)->DataSet() == ds) {
            list->Delete(i);
            removed = true;
          }
      if (removed && FDesignerForm)
        FDesignerForm->UpdateDataTree();
    }
  }
  if (!FNameIndex || AComponent->Owner() != this)
    return;
  if (Operation == opInsert)
    FNameIndex->Add(AComponent, AComponent->Name());
  else
    FNameIndex->Remove(AComponent, AComponent->Name());
}

void TfrxReport::ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName)
{
  if (!AComponent || AComponent->Owner() != this || !FNameIndex)
    return;
  if (!NewName.empty() && !SameText(CurName, NewName))
    if (TComponent* other = FNameIndex->Find(NewName); other && other != AComponent)
      throw EComponentError(Format(SDuplicateName, {NewName}));
  FNameIndex->Remove(AComponent, CurName);
  FNameIndex->Add(AComponent, NewName);
}
