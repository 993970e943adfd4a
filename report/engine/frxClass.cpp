// The report object tree and the abstract bases of the report's partners; see frxClass.h.
#include "report/engine/frxClass.h"

#include <cmath>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

TfrxDesignerClass ReportDesignerClass = nullptr;

namespace {

// Set by CreateForDesign for the one construction it starts.
bool GCreatingForDesign = false;
TfrxDesignerFactory GDesignerFactory = nullptr;

[[noreturn]] void RaiseAbstract() { throw EAbstractError(SAbstractError); }

void SetDefaultFont(TFont* Font)
{
  Font->SetPixelsPerInch(96);
  Font->SetName("Arial");
  Font->SetSize(10);
  Font->SetColor(0);
  Font->SetCharset(DEFAULT_CHARSET);
}

// Restores a component's name when a load or save is left, also by an exception.
class TNameKeeper {
public:
  explicit TNameKeeper(TfrxComponent* Component) : FComponent(Component), FName(Component->Name())
  {
    FComponent->TComponent::SetName(AnsiString());
  }
  ~TNameKeeper()
  {
    try {
      FComponent->TComponent::SetName(FName);
    } catch (...) {
      // The name was valid before; a clash created meanwhile leaves the object unnamed.
    }
  }
  TNameKeeper(const TNameKeeper&) = delete;
  TNameKeeper& operator=(const TNameKeeper&) = delete;

private:
  TfrxComponent* FComponent;
  AnsiString FName;
};

void CollectDescendants(TfrxComponent* Root, TList* List)
{
  // Depth first, each object before its children, without recursion.
  std::vector<std::pair<TfrxComponent*, Integer>> stack{{Root, 0}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (next >= node->Objects()->Count()) {
      stack.pop_back();
      continue;
    }
    auto* child = static_cast<TfrxComponent*>(node->Objects()->Items(next++));
    List->Add(child);
    stack.push_back({child, 0});
  }
}

} // namespace

// ---- TfrxComponent ----

TComponent* TfrxComponent::PlatformOwner(TComponent* AOwner)
{
  if (auto* owner = dynamic_cast<TfrxComponent*>(AOwner))
    return owner->Report();
  return AOwner;
}

TfrxComponent::TfrxComponent(TComponent* AOwner)
    : TComponent(PlatformOwner(AOwner)), FObjects(std::make_unique<TList>()),
      FAllObjects(std::make_unique<TList>()), FFont(std::make_unique<TFont>())
{
  FIsDesigning = GCreatingForDesign;
  GCreatingForDesign = false;
  SetDefaultFont(FFont.get());
  FFont->OnChange = TNotifyEvent::Bind(this, &TfrxComponent::FontChangedHandler);
  if (auto* parent = dynamic_cast<TfrxComponent*>(AOwner))
    SetParent(parent);
}

TfrxComponent::~TfrxComponent()
{
  SetParent(nullptr);
  Clear();
  FFont->OnChange = nullptr;
}

TfrxComponent* TfrxComponent::CreateForDesign(TClass Cls, TComponent* AOwner)
{
  if (!Cls || !Cls->InheritsFrom(ClassInfoOf<TfrxComponent>()))
    return nullptr;
  GCreatingForDesign = true;
  TObject* obj;
  try {
    obj = Cls->Create(AOwner);
  } catch (...) {
    GCreatingForDesign = false;
    throw;
  }
  GCreatingForDesign = false;
  return dynamic_cast<TfrxComponent*>(obj);
}

void TfrxComponent::SetParent(TfrxComponent* AParent)
{
  if (FParent)
    FParent->FObjects->Remove(this);
  FParent = AParent;
  if (!FParent)
    return;
  FParent->FObjects->Add(this);
  SetParentFont(FParentFont);
}

TList* TfrxComponent::AllObjects()
{
  FAllObjects->Clear();
  CollectDescendants(this, FAllObjects.get());
  return FAllObjects.get();
}

TfrxComponent* TfrxComponent::FindObject(const AnsiString& AName)
{
  // The same walk as AllObjects, without building the list.
  std::vector<std::pair<TfrxComponent*, Integer>> stack{{this, 0}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (next >= node->FObjects->Count()) {
      stack.pop_back();
      continue;
    }
    auto* child = static_cast<TfrxComponent*>(node->FObjects->Items(next++));
    if (SameText(child->Name(), AName))
      return child;
    stack.push_back({child, 0});
  }
  return nullptr;
}

void TfrxComponent::Clear()
{
  while (FObjects->Count() > 0)
    delete static_cast<TfrxComponent*>(FObjects->Last());
}

namespace {

// Two objects share a line unless one starts at or below the other's bottom.
bool OverlapVertically(const TfrxComponent* a, const TfrxComponent* b)
{
  const Extended aTop = a->AbsTop(), bTop = b->AbsTop();
  return !(aTop >= bTop + b->Height() || bTop >= aTop + a->Height());
}

// The nearest earlier entry on the object's line that starts left of it.
TfrxComponent* LeftNeighbour(TStrings* List, Integer Index)
{
  auto* obj = static_cast<TfrxComponent*>(List->Objects(Index));
  for (Integer j = Index - 1; j >= 0; --j) {
    auto* other = static_cast<TfrxComponent*>(List->Objects(j));
    if (OverlapVertically(obj, other) && other->AbsLeft() < obj->AbsLeft())
      return other;
  }
  return nullptr;
}

// The first later entry on the object's line whose right edge lies beyond the object's.
TfrxComponent* RightNeighbour(TStrings* List, Integer Index)
{
  auto* obj = static_cast<TfrxComponent*>(List->Objects(Index));
  for (Integer j = Index + 1; j < List->Count(); ++j) {
    auto* other = static_cast<TfrxComponent*>(List->Objects(j));
    if (OverlapVertically(obj, other) &&
        other->AbsLeft() + other->Width() > obj->AbsLeft() + obj->Width())
      return other;
  }
  return nullptr;
}

} // namespace

void TfrxComponent::AlignChildren()
{
  // The order is fixed once, by a text key of Left, before anything moves.
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  for (Integer i = 0; i < FObjects->Count(); ++i) {
    auto* child = static_cast<TfrxComponent*>(FObjects->Items(i));
    if (child->IsBand())
      continue;
    const Extended left = child->Left();
    const AnsiString key = left > 0 ? "1" + Format("%9.2f", {left}) : "0" + Format("%9.2f", {-left});
    list.AddObject(key, child);
  }
  for (Integer i = 0; i < list.Count(); ++i) {
    auto* obj = static_cast<TfrxComponent*>(list.Objects(i));
    switch (obj->Align()) {
    case baLeft:
    case baWidth: {
      TfrxComponent* left = LeftNeighbour(&list, i);
      obj->SetLeft(left ? left->Left() + left->Width() : 0);
      if (obj->Align() == baLeft)
        break;
      TfrxComponent* right = RightNeighbour(&list, i);
      obj->SetWidth((right ? right->Left() : FWidth) - obj->Left());
      break;
    }
    case baRight: {
      TfrxComponent* right = RightNeighbour(&list, i);
      obj->SetLeft((right ? right->Left() : FWidth) - obj->Width());
      break;
    }
    case baCenter:
      obj->SetLeft((FWidth - obj->Width()) / 2);
      break;
    case baBottom:
      obj->SetTop(FHeight - obj->Height());
      break;
    case baNone:
      break;
    }
  }
}

TfrxPage* TfrxComponent::Page()
{
  for (TfrxComponent* c = this; c; c = c->FParent)
    if (auto* page = dynamic_cast<TfrxPage*>(c))
      return page;
  return nullptr;
}

TfrxReport* TfrxComponent::Report()
{
  for (TfrxComponent* c = this; c; c = c->FParent)
    if (auto* report = dynamic_cast<TfrxReport*>(c))
      return report;
  return nullptr;
}

void TfrxComponent::SetLeft(Extended Value)
{
  if (!FIsDesigning || !FRestrictions.Contains(rfDontMove))
    FLeft = Value;
}

void TfrxComponent::SetTop(Extended Value)
{
  if (!FIsDesigning || !FRestrictions.Contains(rfDontMove))
    FTop = Value;
}

void TfrxComponent::SetWidth(Extended Value)
{
  if (!FIsDesigning || !FRestrictions.Contains(rfDontSize))
    FWidth = Value;
}

void TfrxComponent::SetHeight(Extended Value)
{
  if (!FIsDesigning || !FRestrictions.Contains(rfDontSize))
    FHeight = Value;
}

void TfrxComponent::SetBounds(Extended ALeft, Extended ATop, Extended AWidth, Extended AHeight)
{
  SetLeft(ALeft);
  SetTop(ATop);
  SetWidth(AWidth);
  SetHeight(AHeight);
}

Extended TfrxComponent::AbsLeft() const
{
  Extended result = FLeft;
  for (const TfrxComponent* c = this; c->FParent && !dynamic_cast<TfrxDialogPage*>(c->FParent);
       c = c->FParent)
    result += c->FParent->FLeft;
  return result;
}

Extended TfrxComponent::AbsTop() const
{
  Extended result = FTop;
  for (const TfrxComponent* c = this; c->FParent && !dynamic_cast<TfrxDialogPage*>(c->FParent);
       c = c->FParent)
    result += c->FParent->FTop;
  return result;
}

void TfrxComponent::SetFont(TFont* Value)
{
  FFont->Assign(Value);
  FParentFont = false;
}

void TfrxComponent::SetParentFont(bool Value)
{
  if (Value && FParent)
    SetFont(FParent->FFont.get());
  FParentFont = Value;
}

void TfrxComponent::FontChangedHandler(TObject*) { FontChanged(); }

void TfrxComponent::FontChanged()
{
  FParentFont = false;
  for (Integer i = 0; i < FObjects->Count(); ++i) {
    auto* child = static_cast<TfrxComponent*>(FObjects->Items(i));
    if (child->FParentFont)
      child->SetParentFont(true);
  }
}

void TfrxComponent::SetVisible(bool Value) { FVisible = Value; }

AnsiString TfrxComponent::BaseName() const
{
  if (!FBaseName.empty())
    return FBaseName;
  AnsiString name = ClassName();
  size_t tfrx = name.find("Tfrx");
  if (tfrx != AnsiString::npos)
    name.erase(tfrx, 4);
  size_t view = name.find("View");
  if (view != AnsiString::npos)
    name.erase(view, 4);
  return name;
}

void TfrxComponent::SetName(const AnsiString& NewName)
{
  if (!NewName.empty() && !SameText(NewName, Name()))
    if (TfrxReport* report = Report(); report && report != this) {
      TfrxComponent* other = report->FindObject(NewName);
      if (other && other != this)
        throw Exception(ReportResources()->Lookup("prDupl"));
    }
  TComponent::SetName(NewName);
}

void TfrxComponent::MakeUniqueName()
{
  TfrxComponent* root = Report();
  if (!root)
    root = FParent;
  TStringList names;
  names.SetSorted(true);
  if (root) {
    TList* all = root->AllObjects();
    for (Integer i = 0; i < all->Count(); ++i)
      names.Add(static_cast<TfrxComponent*>(all->Items(i))->Name());
  }
  const AnsiString base = BaseName();
  Integer index;
  for (Integer n = 1;; ++n) {
    AnsiString candidate = base + IntToStr(n);
    if (!names.Find(candidate, index)) {
      SetName(candidate);
      return;
    }
  }
}

AnsiString TfrxComponent::GetDescription() { return ClassName(); }

void TfrxComponent::LoadFromStream(TStream* Stream)
{
  TNameKeeper keeper(this);
  Clear();
  TfrxReport* report = Report();
  TfrxXMLSerializer serializer(Stream);
  serializer.SetOwner(report);
  if (report)
    report->SetXMLSerializer(&serializer);
  struct TCleanUp {
    TfrxReport* Report;
    TfrxXMLSerializer* Serializer;
    ~TCleanUp()
    {
      if (!Report)
        return;
      Report->Errors()->AddStrings(Serializer->Errors());
      Report->SetXMLSerializer(nullptr);
    }
  } cleanUp{report, &serializer};
  serializer.Read(this);
}

void TfrxComponent::SaveToStream(TStream* Stream, bool SaveChildren, bool SaveDefaults)
{
  TNameKeeper keeper(this);
  TfrxXMLSerializer serializer(Stream);
  serializer.SetOwner(Report());
  serializer.SetSerializeDefaultValues(SaveDefaults);
  serializer.Write(this, SaveChildren);
}

void TfrxComponent::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TfrxComponent*>(Source);
  if (!source) {
    TComponent::Assign(Source);
    return;
  }
  TMemoryStream stream;
  source->SaveToStream(&stream, false, true);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TfrxComponent::CloneFrom(TfrxComponent* Source)
{
  TMemoryStream stream;
  Source->SaveToStream(&stream, true, true);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

AnsiString TfrxComponent::Diff(TfrxComponent* Source)
{
  TfrxDiffParts parts{dpWidth};
  if (Align() == baNone)
    parts.Include(dpLeft);
  if (IsBand())
    parts.Include(dpAlwaysTop);
  return DiffOf(Source, parts);
}

AnsiString TfrxComponent::DiffOf(TfrxComponent* Source, TfrxDiffParts Parts)
{
  if (!Source)
    return AnsiString();
  AnsiString result;
  auto add = [&result](const char* name, const AnsiString& value) {
    result += ' ';
    result += name;
    result += "=\"";
    result += value;
    result += '"';
  };
  auto differs = [](Extended a, Extended b) { return std::fabs(a - b) > 0.0001L; };
  if (Parts.Contains(dpLeft) && differs(FLeft, Source->FLeft))
    add("l", FloatToStr(FLeft));
  if (Parts.Contains(dpAlwaysTop) || differs(FTop, Source->FTop))
    add("t", FloatToStr(FTop));
  if (Parts.Contains(dpWidth) && differs(FWidth, Source->FWidth))
    add("w", FloatToStr(FWidth));
  if (differs(FHeight, Source->FHeight))
    add("h", FloatToStr(FHeight));
  if (FVisible != Source->FVisible)
    add("Visible", FVisible ? "1" : "0");
  if (!FParentFont) {
    const TFont* f = FFont.get();
    const TFont* g = Source->FFont.get();
    if (f->Name() != g->Name())
      add("Font.Name", StrToXML(f->Name()));
    if (f->Size() != g->Size())
      add("Font.Size", IntToStr(f->Size()));
    if (f->Color() != g->Color())
      add("Font.Color", IntToStr(f->Color()));
    if (f->Style() != g->Style())
      add("Font.Style", IntToStr(static_cast<Int64>(f->Style().Raw())));
    if (f->Charset() != g->Charset())
      add("Font.Charset", IntToStr(f->Charset()));
  }
  if (FParentFont != Source->FParentFont)
    add("ParentFont", FParentFont ? "1" : "0");
  if (Tag() != Source->Tag())
    add("Tag", IntToStr(static_cast<Int64>(Tag())));
  return result;
}

AnsiString TfrxComponent::AllDiff(TfrxComponent* Source)
{
  TfrxXMLSerializer serializer(nullptr);
  serializer.SetOwner(Report());
  AnsiString result = serializer.ObjToXML(this);
  if (Source)
    result += " " + Diff(Source);
  return result;
}

void TfrxComponent::GetChildren(TGetChildProc Proc, TComponent*)
{
  for (Integer i = 0; i < FObjects->Count(); ++i)
    Proc(static_cast<TfrxComponent*>(FObjects->Items(i)));
}

// ---- TfrxReportComponent ----

void TfrxReportComponent::SaveState()
{
  FOriginalRect[0] = Left();
  FOriginalRect[1] = Top();
  FOriginalRect[2] = Width();
  FOriginalRect[3] = Height();
}

void TfrxReportComponent::RestoreState()
{
  SetBounds(FOriginalRect[0], FOriginalRect[1], FOriginalRect[2], FOriginalRect[3]);
}

// ---- Pages and report ----

TfrxPage::TfrxPage(TComponent* AOwner) : TfrxComponent(AOwner) {}

TfrxDialogPage::TfrxDialogPage(TComponent* AOwner) : TfrxPage(AOwner) {}

TfrxReport::TfrxReport(TComponent* AOwner)
    : TfrxComponent(AOwner), FErrors(std::make_unique<TStringList>())
{
  FErrors->SetSorted(true);
  FErrors->SetDuplicates(dupIgnore);
}

TfrxReport::~TfrxReport()
{
  // The objects go while the report is still whole. Deleting the owned components last
  // first removes children before their parents and each one quietly, instead of telling
  // every remaining object about every removal.
  DestroyComponents();
}

// ---- Export filter ----

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

void TfrxCustomExportFilter::WriteObject(TfrxComponent*) { RaiseAbstract(); }

// ---- Wizard ----

TfrxCustomWizard::TfrxCustomWizard(TComponent* AOwner)
    : TComponent(AOwner), FDesigner(dynamic_cast<TfrxCustomDesigner*>(AOwner))
{
  if (FDesigner)
    FReport = FDesigner->Report();
}

bool TfrxCustomWizard::RunWizard() { RaiseAbstract(); }

// ---- Engine ----

TfrxCustomEngine::TfrxCustomEngine(TfrxReport* AReport)
    : FReport(AReport), FNotifyList(std::make_unique<TList>())
{
}

TfrxCustomEngine::~TfrxCustomEngine() = default;

void TfrxCustomEngine::EndPage() { RaiseAbstract(); }
void TfrxCustomEngine::NewColumn() { RaiseAbstract(); }
void TfrxCustomEngine::NewPage() { RaiseAbstract(); }
void TfrxCustomEngine::ShowBand(TfrxComponent*) { RaiseAbstract(); }
void TfrxCustomEngine::ShowBandByClass(TClass) { RaiseAbstract(); }
Extended TfrxCustomEngine::FootersHeight() { RaiseAbstract(); }
Extended TfrxCustomEngine::FreeSpace() { RaiseAbstract(); }
Variant TfrxCustomEngine::AggregateValue(const AnsiString&, const AnsiString&, Variant&, Integer,
                                         TfrxComponent*)
{
  RaiseAbstract();
}
bool TfrxCustomEngine::BuildReport() { RaiseAbstract(); }

void TfrxCustomEngine::StopReport()
{
  if (FReport)
    FReport->SetTerminated(true);
}

// ---- Outline ----

Integer TfrxCustomOutline::Count() { RaiseAbstract(); }
void TfrxCustomOutline::AddItem(const AnsiString&, Integer) { RaiseAbstract(); }
void TfrxCustomOutline::LevelDown(Integer) { RaiseAbstract(); }
void TfrxCustomOutline::LevelRoot() { RaiseAbstract(); }
void TfrxCustomOutline::LevelUp() { RaiseAbstract(); }
void TfrxCustomOutline::GetItem(Integer, AnsiString&, Integer&, Integer&) { RaiseAbstract(); }
void TfrxCustomOutline::ShiftItems(TObject*, Integer) { RaiseAbstract(); }
TObject* TfrxCustomOutline::LastItem() { RaiseAbstract(); }

TfrxCustomEngine* TfrxCustomOutline::Engine() const
{
  return FPreviewPages ? FPreviewPages->Engine() : nullptr;
}

// ---- Prepared pages ----

TfrxCustomPreviewPages::~TfrxCustomPreviewPages() = default;

Integer TfrxCustomPreviewPages::PageCount() { RaiseAbstract(); }
TfrxComponent* TfrxCustomPreviewPages::BuildPage(Integer) { RaiseAbstract(); }
TfrxPoint TfrxCustomPreviewPages::PageSize(Integer) { RaiseAbstract(); }
void TfrxCustomPreviewPages::ClearPages() { RaiseAbstract(); }
void TfrxCustomPreviewPages::Initialize() { RaiseAbstract(); }
void TfrxCustomPreviewPages::AddObject(TfrxComponent*) { RaiseAbstract(); }
void TfrxCustomPreviewPages::AddPage(TfrxComponent*) { RaiseAbstract(); }
void TfrxCustomPreviewPages::AddSourcePage(TfrxComponent*) { RaiseAbstract(); }
void TfrxCustomPreviewPages::AddToSourcePage(TfrxComponent*) { RaiseAbstract(); }
void TfrxCustomPreviewPages::BeginPass() { RaiseAbstract(); }
void TfrxCustomPreviewPages::ClearFirstPassPages() { RaiseAbstract(); }
void TfrxCustomPreviewPages::CutObjects(Integer) { RaiseAbstract(); }
void TfrxCustomPreviewPages::Finish() { RaiseAbstract(); }
void TfrxCustomPreviewPages::PasteObjects(Extended, Extended) { RaiseAbstract(); }
bool TfrxCustomPreviewPages::BandExists(TfrxComponent*) { RaiseAbstract(); }
Integer TfrxCustomPreviewPages::GetCurPosition() { RaiseAbstract(); }
Extended TfrxCustomPreviewPages::GetLastY() { RaiseAbstract(); }
void TfrxCustomPreviewPages::AddEmptyPage(Integer) { RaiseAbstract(); }
void TfrxCustomPreviewPages::DeletePage(Integer) { RaiseAbstract(); }
void TfrxCustomPreviewPages::ReplacePage(TfrxComponent*, Integer) { RaiseAbstract(); }
void TfrxCustomPreviewPages::DrawPage(Integer, TCanvas*, Extended, Extended, Extended, Extended)
{
  RaiseAbstract();
}
TfrxComponent* TfrxCustomPreviewPages::ObjectHitTest(Integer, Integer, Integer) { RaiseAbstract(); }
void TfrxCustomPreviewPages::LoadFromStream(TStream*) { RaiseAbstract(); }
void TfrxCustomPreviewPages::SaveToStream(TStream*) { RaiseAbstract(); }
bool TfrxCustomPreviewPages::LoadFromFile(const AnsiString&) { RaiseAbstract(); }
void TfrxCustomPreviewPages::SaveToFile(const AnsiString&) { RaiseAbstract(); }
bool TfrxCustomPreviewPages::PrintPages() { RaiseAbstract(); }
bool TfrxCustomPreviewPages::ExportPages(TfrxCustomExportFilter*) { RaiseAbstract(); }

// ---- Preview ----

void TfrxCustomPreview::ResetFromReport() { RaiseAbstract(); }
void TfrxCustomPreview::Freeze() { RaiseAbstract(); }
void TfrxCustomPreview::Thaw() { RaiseAbstract(); }
void TfrxCustomPreview::BeginProgress(TfrxReport*, Integer, Integer) { RaiseAbstract(); }
void TfrxCustomPreview::StepProgress(TfrxReport*, Integer, Integer) { RaiseAbstract(); }
void TfrxCustomPreview::EndProgress(TfrxReport*, Integer, Integer) { RaiseAbstract(); }

// ---- Designer ----

TfrxCustomDesigner::TfrxCustomDesigner(TComponent* AOwner, bool APreviewDesigner,
                                       TfrxReport* AReport)
    : TComponent(AOwner), FReport(AReport), FIsPreviewDesigner(APreviewDesigner),
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

TStrings* TfrxCustomDesigner::ScriptLines() { RaiseAbstract(); }
AnsiString TfrxCustomDesigner::EditExpression(const AnsiString&) { RaiseAbstract(); }
void TfrxCustomDesigner::ClearSelection() { RaiseAbstract(); }
void TfrxCustomDesigner::ReloadPageTabs(Integer) { RaiseAbstract(); }
void TfrxCustomDesigner::ReloadReport() { RaiseAbstract(); }
void TfrxCustomDesigner::UpdateDataTree() { RaiseAbstract(); }
void TfrxCustomDesigner::RepaintWorkspace() { RaiseAbstract(); }

void SetReportDesignerFactory(TfrxDesignerFactory Factory) { GDesignerFactory = Factory; }

TfrxCustomDesigner* CreateReportDesigner(TComponent* AOwner, bool APreviewDesigner,
                                         TfrxReport* AReport)
{
  if (!ReportDesignerClass || !GDesignerFactory)
    return nullptr;
  return GDesignerFactory(AOwner, APreviewDesigner, AReport);
}

// ---- Registration ----

void RegisterReportClasses()
{
  TClassRegistration<TfrxComponent, TComponent>("TfrxComponent");
  TClassRegistration<TfrxReportComponent, TfrxComponent>("TfrxReportComponent");
  TClassRegistration<TfrxPage, TfrxComponent>("TfrxPage");
  TClassRegistration<TfrxDialogPage, TfrxPage>("TfrxDialogPage");
  TClassRegistration<TfrxReport, TfrxComponent>("TfrxReport");
  TClassRegistration<TfrxCustomExportFilter, TComponent>("TfrxCustomExportFilter")
      .Abstract()
      .Property("ShowDialog", &TfrxCustomExportFilter::ShowDialog,
                &TfrxCustomExportFilter::SetShowDialog)
      .Default(true);
  TClassRegistration<TfrxCustomWizard, TComponent>("TfrxCustomWizard").Abstract();
  TClassRegistration<TfrxCustomEngine, TPersistent>("TfrxCustomEngine").Abstract();
  TClassRegistration<TfrxCustomOutline, TPersistent>("TfrxCustomOutline").Abstract();
  TClassRegistration<TfrxCustomPreviewPages>("TfrxCustomPreviewPages").Abstract();
  TClassRegistration<TfrxCustomPreview, TComponent>("TfrxCustomPreview").Abstract();
  TClassRegistration<TfrxCustomDesigner, TComponent>("TfrxCustomDesigner").Abstract();
  RegisterClasses({ClassInfoOf<TfrxReport>(), ClassInfoOf<TfrxDialogPage>()});
}
