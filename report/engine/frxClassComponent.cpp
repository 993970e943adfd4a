// The base of the report object tree, TfrxComponent, and TfrxReportComponent; the unit's
// class registration starts here. frxClass.h describes the tree; the other parts of the unit
// are in frxClass<Part>.cpp.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxStyles.h"
#include "report/engine/frxVariables.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

using namespace frxclass;

void frxclass::RegisterComponentClasses()
{
  TClassRegistration<TfrxComponent, TComponent>("TfrxComponent");
  TClassRegistration<TfrxReportComponent, TfrxComponent>("TfrxReportComponent");
  RegisterEnumType<TfrxRestriction>("TfrxRestriction",
                                    {"rfDontModify", "rfDontSize", "rfDontMove", "rfDontDelete"});
  RegisterSetType<TfrxRestrictions>("TfrxRestrictions");
  RegisterEnumType<TfrxAlign>("TfrxAlign",
                              {"baNone", "baLeft", "baRight", "baCenter", "baWidth", "baBottom"});
}

void RegisterReportClasses()
{
  RegisterComponentClasses();
  RegisterSettingsClasses();
  RegisterVariableClasses();
  RegisterStyleClasses();
  RegisterDataSetClasses();
  RegisterPageClasses();
  RegisterViewClasses();
  RegisterMemoClasses();
  RegisterBandClasses();
  RegisterPartnerClasses();
  RegisterReportClass();
  // The classes report files name.
  RegisterClasses({ClassInfoOf<TfrxChild>(),         ClassInfoOf<TfrxColumnFooter>(),
                   ClassInfoOf<TfrxColumnHeader>(),  ClassInfoOf<TfrxCustomMemoView>(),
                   ClassInfoOf<TfrxMasterData>(),    ClassInfoOf<TfrxDetailData>(),
                   ClassInfoOf<TfrxSubdetailData>(), ClassInfoOf<TfrxDataBand4>(),
                   ClassInfoOf<TfrxDataBand5>(),     ClassInfoOf<TfrxDataBand6>(),
                   ClassInfoOf<TfrxDialogPage>(),    ClassInfoOf<TfrxFooter>(),
                   ClassInfoOf<TfrxFrame>(),         ClassInfoOf<TfrxGroupFooter>(),
                   ClassInfoOf<TfrxGroupHeader>(),   ClassInfoOf<TfrxHeader>(),
                   ClassInfoOf<TfrxHighlight>(),     ClassInfoOf<TfrxLineView>(),
                   ClassInfoOf<TfrxMemoView>(),      ClassInfoOf<TfrxOverlay>(),
                   ClassInfoOf<TfrxPageFooter>(),    ClassInfoOf<TfrxPageHeader>(),
                   ClassInfoOf<TfrxPictureView>(),   ClassInfoOf<TfrxReport>(),
                   ClassInfoOf<TfrxReportPage>(),    ClassInfoOf<TfrxReportSummary>(),
                   ClassInfoOf<TfrxReportTitle>(),   ClassInfoOf<TfrxShapeView>(),
                   ClassInfoOf<TfrxSubreport>(),     ClassInfoOf<TfrxSysMemoView>(),
                   ClassInfoOf<TfrxNullBand>(),      ClassInfoOf<TfrxCustomLineView>()});
}

namespace {

// Set by CreateForDesign for the one construction it starts.
bool GCreatingForDesign = false;

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

TfrxComponent* TfrxComponent::CreateForDesign(TClass Cls, TComponent* AOwner, Word Flags)
{
  if (!Cls || !Cls->InheritsFrom(ClassInfoOf<TfrxComponent>()))
    return nullptr;
  GCreatingForDesign = true;
  TScopeExit reset([] { GCreatingForDesign = false; });
  TObject* obj = Cls->Create(AOwner);
  auto* result = dynamic_cast<TfrxComponent*>(obj);
  if (result)
    result->ApplyDesignFlags(Flags);
  return result;
}

void TfrxComponent::SetParent(TfrxComponent* AParent)
{
  if (FParent) {
    // Children mostly leave last first (Clear), so the end of the list is tried first.
    TList* siblings = FParent->FObjects.get();
    if (siblings->Count() > 0 && siblings->Last() == this)
      siblings->Delete(siblings->Count() - 1);
    else
      siblings->Remove(this);
  }
  FParent = AParent;
  if (!FParent)
    return;
  FParent->FObjects->Add(this);
  SetParentFont(FParentFont);
  NoteForeignObjects();
}

void TfrxComponent::NoteForeignObjects()
{
  TfrxReport* report = Report();
  if (!report || report->FForeignObjects)
    return;
  std::vector<TfrxComponent*> pending{this};
  while (!pending.empty()) {
    TfrxComponent* obj = pending.back();
    pending.pop_back();
    if (obj->Owner() != report) {
      report->FForeignObjects = true;
      return;
    }
    for (Integer i = 0; i < obj->FObjects->Count(); ++i)
      pending.push_back(static_cast<TfrxComponent*>(obj->FObjects->Items(i)));
  }
}

TList* TfrxComponent::AllObjects()
{
  FAllObjects->Clear();
  CollectDescendants(this, FAllObjects.get());
  return FAllObjects.get();
}

TfrxComponent* TfrxComponent::FindObject(const AnsiString& AName)
{
  // A report finds the objects it owns through its name index; the tree is walked only
  // when objects it does not own have joined it.
  if (auto* report = dynamic_cast<TfrxReport*>(this); report && !AName.empty()) {
    auto* found = dynamic_cast<TfrxComponent*>(report->FindOwnedComponent(AName));
    if (found && found != this && found->Report() == report)
      return found;
    if (!report->FForeignObjects)
      return nullptr;
  }
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
    const AnsiString key =
        left > 0 ? "1" + Format("%9.2f", {left}) : "0" + Format("%9.2f", {-left});
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
  for (const TfrxComponent* c = this; c->FParent && !c->FParent->IsDialogPage(); c = c->FParent)
    result += c->FParent->FLeft;
  return result;
}

Extended TfrxComponent::AbsTop() const
{
  Extended result = FTop;
  for (const TfrxComponent* c = this; c->FParent && !c->FParent->IsDialogPage(); c = c->FParent)
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

void TfrxComponent::FontChangedHandler(TObject*)
{
  FontChanged();
}

void TfrxComponent::FontChanged()
{
  FParentFont = false;
  for (Integer i = 0; i < FObjects->Count(); ++i) {
    auto* child = static_cast<TfrxComponent*>(FObjects->Items(i));
    if (child->FParentFont)
      child->SetParentFont(true);
  }
}

void TfrxComponent::SetVisible(bool Value)
{
  FVisible = Value;
}

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

AnsiString TfrxComponent::GetDescription()
{
  return ClassName();
}

AnsiString TfrxComponent::ObjectCaption(TClass Cls)
{
  if (!Cls || !Cls->InheritsFrom(ClassInfoOf<TfrxComponent>()))
    return AnsiString();
  std::unique_ptr<TObject> obj(Cls->Create(nullptr));
  auto* component = dynamic_cast<TfrxComponent*>(obj.get());
  return component ? component->GetDescription() : AnsiString();
}

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
  SavedBounds() = {Left(), Top(), Width(), Height()};
}

void TfrxReportComponent::RestoreState()
{
  const TfrxBounds saved = SavedBounds();
  SetBounds(saved.Left, saved.Top, saved.Width, saved.Height);
}
