// The report object tree and the abstract bases of the report's partners; see frxClass.h.
#include "report/engine/frxClass.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxDrawText.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxStyles.h"
#include "report/engine/frxVariables.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

TfrxDesignerClass ReportDesignerClass = nullptr;

namespace {

// Set by CreateForDesign for the one construction it starts.
bool GCreatingForDesign = false;
TfrxDesignerFactory GDesignerFactory = nullptr;

[[noreturn]] void RaiseAbstract()
{
  throw EAbstractError(SAbstractError);
}

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

TfrxComponent* TfrxComponent::CreateForDesign(TClass Cls, TComponent* AOwner, Word Flags)
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
  auto* result = dynamic_cast<TfrxComponent*>(obj);
  if (result)
    result->ApplyDesignFlags(Flags);
  return result;
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

TfrxReport::TfrxReport(TComponent* AOwner)
    : TfrxComponent(AOwner), FErrors(std::make_unique<TStringList>()),
      FStyles(std::make_unique<TfrxStyles>(this)), FVariables(std::make_unique<TfrxVariables>())
{
  FErrors->SetSorted(true);
  FErrors->SetDuplicates(dupIgnore);
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

Variant TfrxReport::Calc(const AnsiString& Expr)
{
  throw Exception(ReportResources()->Lookup("clExprError") + ": " + Expr);
}

TfrxReport::~TfrxReport()
{
  // The objects go while the report is still whole. Deleting the owned components last
  // first removes children before their parents and each one quietly, instead of telling
  // every remaining object about every removal.
  DestroyComponents();
}

// ---- Frame, highlight, display format ----

namespace {

void AddDiff(AnsiString& Result, const char* Name, const AnsiString& Value)
{
  Result += ' ';
  Result += Name;
  Result += "=\"";
  Result += Value;
  Result += '"';
}

AnsiString BoolText(bool Value)
{
  return Value ? "1" : "0";
}

bool FloatDiffers(Extended a, Extended b)
{
  return std::fabs(a - b) > 0.0001L;
}

// Replaces every expression between Open and Close in Text by Evaluate(expression),
// scanning on after each inserted value. Double-byte characters are stepped over whole;
// an expression without its closing delimiter raises the expression error.
AnsiString ExpandExpressions(AnsiString Text, const AnsiString& Open, const AnsiString& Close,
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

// A number, not a text, equal to 0 (what HideZeros leaves out).
bool IsZeroValue(const Variant& Value)
{
  return !VarIsNull(Value) && !VarIsStr(Value) && VarIsNumeric(Value) && Value.AsDouble() == 0;
}

} // namespace

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

namespace {

// A reference from Owner to a dataset, kept by pointer and by user name: the name stays when
// the dataset is not found, and the free notification moves with the pointer.
void LinkDataSet(TComponent* Owner, TfrxDataSet*& Ref, AnsiString& Name, TfrxDataSet* Value)
{
  if (ReplaceComponentReference(Owner, Value, Ref))
    Name = Value ? Value->UserName() : AnsiString();
}

// Stores the name and resolves it in Owner's report; nothing found keeps the reference.
void LinkDataSetByName(TfrxComponent* Owner, TfrxDataSet*& Ref, AnsiString& Name,
                       const AnsiString& Value)
{
  Name = Value;
  TfrxDataSet* found = FindDataSet(Ref, Value, Owner->Report());
  if (found != Ref) {
    LinkDataSet(Owner, Ref, Name, found);
    Name = Value;
  }
}

} // namespace

TfrxView::TfrxView(TComponent* AOwner)
    : TfrxReportComponent(AOwner), FColor(clNone), FFrame(std::make_unique<TfrxFrame>())
{
  SetStoreAllProperties(true);
}

TfrxView::~TfrxView() = default;

void TfrxView::SetDataSet(TfrxDataSet* Value)
{
  LinkDataSet(this, FDataSet, FDataSetName, Value);
}

AnsiString TfrxView::DataSetName() const
{
  return FDataSet ? FDataSet->UserName() : FDataSetName;
}

void TfrxView::SetDataSetName(const AnsiString& Value)
{
  LinkDataSetByName(this, FDataSet, FDataSetName, Value);
}

void TfrxView::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxReportComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet)
    FDataSet = nullptr;
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

// ---- Text object ----

namespace {

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
  AnsiString text;
  if (FMemo->Count() == 1) {
    text = FMemo->Strings(0);
  } else if (FMemo->Count() > 1) {
    text = FMemo->Text();
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
      text.resize(text.size() - 2);
  }
  AddDiff(result, "x", StrToXML(text));
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

// ---- Bands ----

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

TfrxDataBand::~TfrxDataBand()
{
  SetDataSet(nullptr);
}

void TfrxDataBand::SetDataSet(TfrxDataSet* Value)
{
  LinkDataSet(this, FDataSet, FDataSetName, Value);
}

AnsiString TfrxDataBand::DataSetName() const
{
  return FDataSet ? FDataSet->UserName() : FDataSetName;
}

void TfrxDataBand::SetDataSetName(const AnsiString& Value)
{
  LinkDataSetByName(this, FDataSet, FDataSetName, Value);
}

void TfrxDataBand::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxBand::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet)
    FDataSet = nullptr;
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

// ---- Pages ----

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
  SetDataSet(nullptr);
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

void TfrxReportPage::SetDataSet(TfrxDataSet* Value)
{
  LinkDataSet(this, FDataSet, FDataSetName, Value);
}

AnsiString TfrxReportPage::DataSetName() const
{
  return FDataSet ? FDataSet->UserName() : FDataSetName;
}

void TfrxReportPage::SetDataSetName(const AnsiString& Value)
{
  LinkDataSetByName(this, FDataSet, FDataSetName, Value);
}

void TfrxReportPage::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxPage::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FDataSet)
    FDataSet = nullptr;
  if (AComponent == FSubReport)
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

// ---- Dialog components ----

TfrxDialogComponent::TfrxDialogComponent(TComponent* AOwner) : TfrxReportComponent(AOwner)
{
  SetWidth(28);
  SetHeight(28);
}

TfrxDialogComponent::~TfrxDialogComponent()
{
  delete FComponent;
}

void TfrxDialogComponent::SetComponent(TComponent* Value)
{
  if (FComponent == Value)
    return;
  delete FComponent;
  FComponent = Value;
}

void TfrxDialogComponent::Draw(TCanvas* Canvas, Extended, Extended, Extended, Extended)
{
  SetWidth(28);
  SetHeight(28);
  const Integer x = static_cast<Integer>(Round(Left())), y = static_cast<Integer>(Round(Top()));
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->FillRect(TRect{x, y, x + 28, y + 28});
  // The raised edge: light along the top and left, dark along the bottom and right.
  TPen* pen = Canvas->Pen();
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
  pen->SetColor(clBtnHighlight);
  Canvas->MoveTo(x, y + 27);
  Canvas->LineTo(x, y);
  Canvas->LineTo(x + 27, y);
  pen->SetColor(clBtnShadow);
  Canvas->LineTo(x + 27, y + 27);
  Canvas->LineTo(x - 1, y + 27);
  if (!FBitmap && !dynamic_cast<TfrxUserDataSet*>(this)) {
    FBitmap = std::make_unique<TBitmap>(22, 22);
    FBitmap->Canvas()->Brush()->SetColor(clBtnFace);
    FBitmap->Canvas()->FillRect(TRect{0, 0, 22, 22});
    if (FImageIndex >= 0)
      if (TCustomImageList* images = ReportResources()->ObjectImages())
        images->Draw(FBitmap->Canvas(), 0, 0, FImageIndex);
  }
  if (FBitmap)
    Canvas->Draw(x + 3, y + 3, FBitmap.get());
  TFont* font = Canvas->Font();
  font->SetName("Tahoma");
  font->SetSize(8);
  font->SetColor(clBlack);
  font->SetStyle(TFontStyles{});
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(x + 14 - Canvas->TextWidth(Name()) / 2, y + 32, Name());
}

void TfrxDialogComponent::DefineProperties(TFiler* Filer)
{
  TfrxReportComponent::DefineProperties(Filer);
  const bool inReport = Report() != nullptr;
  Filer->DefineProperty(
      "pLeft", [this](TReader* Reader) { SetLeft(Reader->ReadInteger()); },
      [this](TWriter* Writer) { Writer->WriteInteger(Round(Left())); }, inReport);
  Filer->DefineProperty(
      "pTop", [this](TReader* Reader) { SetTop(Reader->ReadInteger()); },
      [this](TWriter* Writer) { Writer->WriteInteger(Round(Top())); }, inReport);
}

// ---- Datasets ----

namespace {

// Every dataset in the program, in creation order.
std::vector<TfrxDataSet*>& GlobalDataSets()
{
  static std::vector<TfrxDataSet*> list;
  return list;
}

} // namespace

TfrxDataSet::TfrxDataSet(TComponent* AOwner) : TfrxDialogComponent(AOwner)
{
  GlobalDataSets().push_back(this);
}

TfrxDataSet::~TfrxDataSet()
{
  auto& list = GlobalDataSets();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TfrxDataSet::SetName(const AnsiString& NewName)
{
  const bool follow = FUserName.empty() || FUserName == Name();
  TfrxDialogComponent::SetName(NewName);
  if (follow)
    FUserName = NewName;
}

void TfrxDataSet::SetUserName(const AnsiString& Value)
{
  if (Trim(Value).empty())
    throw Exception(ReportResources()->Lookup("prInvProp"));
  FUserName = Value;
}

AnsiString TfrxDataSet::DisplayText(const AnsiString&)
{
  return AnsiString();
}
Integer TfrxDataSet::DisplayWidth(const AnsiString&)
{
  return 10;
}
TfrxFieldType TfrxDataSet::FieldType(const AnsiString&)
{
  return fftNumeric;
}
Variant TfrxDataSet::Value(const AnsiString&)
{
  return Null();
}
Integer TfrxDataSet::FieldsCount()
{
  return 0;
}
bool TfrxDataSet::IsBlobField(const AnsiString&)
{
  return false;
}
void TfrxDataSet::AssignBlobTo(const AnsiString&, TObject*) {}
void TfrxDataSet::GetFieldList(TStrings* List)
{
  List->Clear();
}

void TfrxDataSet::Open()
{
  if (OnOpen)
    OnOpen(this);
}

void TfrxDataSet::Close()
{
  if (OnClose)
    OnClose(this);
}

void TfrxDataSet::First()
{
  FRecNo = 0;
  if (OnFirst)
    OnFirst(this);
}

void TfrxDataSet::Next()
{
  ++FRecNo;
  if (FRangeEnd == reCount && FRecNo >= FRangeEndCount)
    return;
  if (OnNext)
    OnNext(this);
}

void TfrxDataSet::Prior()
{
  --FRecNo;
  if (OnPrior)
    OnPrior(this);
}

bool TfrxDataSet::Eof()
{
  bool result = FRangeEnd == reCount && FRecNo >= FRangeEndCount;
  if (OnCheckEOF)
    OnCheckEOF(this, result);
  return result;
}

bool TfrxDataSet::HasField(const AnsiString& FieldName)
{
  TStringList list;
  GetFieldList(&list);
  for (Integer i = 0; i < list.Count(); ++i)
    if (SameText(list.Strings(i), FieldName))
      return true;
  return false;
}

TfrxUserDataSet::TfrxUserDataSet(TComponent* AOwner)
    : TfrxDataSet(AOwner), FFields(std::make_unique<TStringList>())
{
}

TfrxUserDataSet::~TfrxUserDataSet() = default;

Variant TfrxUserDataSet::Value(const AnsiString& Index)
{
  Variant result = Null();
  if (OnGetValue)
    OnGetValue(Variant(Index), result);
  return result;
}

AnsiString TfrxUserDataSet::DisplayText(const AnsiString& Index)
{
  if (!OnGetValue)
    return AnsiString();
  return VarToStr(Value(Index));
}

TfrxCustomDBDataSet::TfrxCustomDBDataSet(TComponent* AOwner)
    : TfrxDataSet(AOwner), FAliases(std::make_unique<TStringList>()),
      FFields(std::make_unique<TStringList>())
{
  FFields->SetSorted(true);
  FFields->SetDuplicates(dupIgnore);
}

TfrxCustomDBDataSet::~TfrxCustomDBDataSet() = default;

AnsiString TfrxCustomDBDataSet::FieldNameByAlias(const AnsiString& Alias)
{
  for (Integer i = 0; i < FAliases->Count(); ++i)
    if (SameText(FAliases->ValueFromIndex(i), Alias))
      return FAliases->Names(i);
  return Alias;
}

Integer TfrxCustomDBDataSet::FieldsCount()
{
  TStringList list;
  GetFieldList(&list);
  return list.Count();
}

TfrxDataSet* FindDataSet(TfrxDataSet* Current, const AnsiString& Name, TfrxReport* Report)
{
  if (Name.empty())
    return nullptr;
  if (!Report)
    return Current;
  for (TfrxDataSet* ds : GlobalDataSets()) {
    if (!SameText(ds->UserName(), Name))
      continue;
    auto* owner = dynamic_cast<TfrxReport*>(ds->Owner());
    if (owner && owner != Report)
      continue;
    return ds;
  }
  return Current;
}

void ListGlobalDataSets(TStrings* List)
{
  List->Clear();
  for (TfrxDataSet* ds : GlobalDataSets())
    if (!ds->UserName().empty() && ds->Enabled())
      List->AddObject(ds->UserName(), ds);
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

// ---- Registration ----

namespace {

void RegisterObjectTypes()
{
  RegisterEnumType<TfrxRestriction>("TfrxRestriction",
                                    {"rfDontModify", "rfDontSize", "rfDontMove", "rfDontDelete"});
  RegisterSetType<TfrxRestrictions>("TfrxRestrictions");
  RegisterEnumType<TfrxAlign>("TfrxAlign",
                              {"baNone", "baLeft", "baRight", "baCenter", "baWidth", "baBottom"});
  RegisterEnumType<TfrxFrameStyle>(
      "TfrxFrameStyle", {"fsSolid", "fsDash", "fsDot", "fsDashDot", "fsDashDotDot", "fsDouble"});
  RegisterEnumType<TfrxFrameType>("TfrxFrameType", {"ftLeft", "ftRight", "ftTop", "ftBottom"});
  RegisterSetType<TfrxFrameTypes>("TfrxFrameTypes");
  RegisterEnumType<TfrxFormatKind>("TfrxFormatKind",
                                   {"fkText", "fkNumeric", "fkDateTime", "fkBoolean"});
  RegisterEnumType<TfrxShiftMode>("TfrxShiftMode", {"smDontShift", "smAlways", "smWhenOverlapped"});
  RegisterEnumType<TfrxStretchMode>("TfrxStretchMode",
                                    {"smDontStretch", "smActualHeight", "smMaxHeight"});
  RegisterEnumType<TfrxHAlign>("TfrxHAlign", {"haLeft", "haRight", "haCenter", "haBlock"});
  RegisterEnumType<TfrxVAlign>("TfrxVAlign", {"vaTop", "vaBottom", "vaCenter"});
  RegisterEnumType<TfrxShapeKind>("TfrxShapeKind",
                                  {"skRectangle", "skRoundRectangle", "skEllipse", "skTriangle",
                                   "skDiamond", "skDiagonal1", "skDiagonal2"});
  RegisterEnumType<TfrxDuplexMode>("TfrxDuplexMode", {"dmNone", "dmVertical", "dmHorizontal"});
  RegisterEnumType<TPrinterOrientation>("TPrinterOrientation", {"poPortrait", "poLandscape"});
  RegisterEnumType<TfrxRangeBegin>("TfrxRangeBegin", {"rbFirst", "rbCurrent"});
  RegisterEnumType<TfrxRangeEnd>("TfrxRangeEnd", {"reLast", "reCurrent", "reCount"});
  RegisterEventType<TfrxCheckEOFEvent>("TfrxCheckEOFEvent");
  RegisterEventType<TfrxUserDSGetValueEvent>("TfrxUserDSGetValueEvent");
}

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

void RegisterSettingsClasses()
{
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

void RegisterDataSetClasses()
{
  TClassRegistration<TfrxDialogComponent, TfrxReportComponent>("TfrxDialogComponent");
  TClassRegistration<TfrxDataSet, TfrxDialogComponent>("TfrxDataSet")
      .Property("Enabled", &TfrxDataSet::Enabled, &TfrxDataSet::SetEnabled)
      .Default(true)
      .Property("RangeBegin", &TfrxDataSet::RangeBegin, &TfrxDataSet::SetRangeBegin)
      .Default(rbFirst)
      .Property("RangeEnd", &TfrxDataSet::RangeEnd, &TfrxDataSet::SetRangeEnd)
      .Default(reLast)
      .Property("RangeEndCount", &TfrxDataSet::RangeEndCount, &TfrxDataSet::SetRangeEndCount)
      .Default(0)
      .Property("UserName", &TfrxDataSet::UserName, &TfrxDataSet::SetUserName)
      .Property("OnCheckEOF", &TfrxDataSet::OnCheckEOF, &TfrxDataSet::OnCheckEOF)
      .Property("OnFirst", &TfrxDataSet::OnFirst, &TfrxDataSet::OnFirst)
      .Property("OnNext", &TfrxDataSet::OnNext, &TfrxDataSet::OnNext)
      .Property("OnPrior", &TfrxDataSet::OnPrior, &TfrxDataSet::OnPrior);
  TClassRegistration<TfrxUserDataSet, TfrxDataSet>("TfrxUserDataSet")
      .Property("Fields", &TfrxUserDataSet::Fields, &TfrxUserDataSet::SetFields)
      .Property("OnGetValue", &TfrxUserDataSet::OnGetValue, &TfrxUserDataSet::OnGetValue);
  TClassRegistration<TfrxCustomDBDataSet, TfrxDataSet>("TfrxCustomDBDataSet")
      .Property("CloseDataSource", &TfrxDataSet::CloseDataSource, &TfrxDataSet::SetCloseDataSource)
      .Default(false)
      .Property("FieldAliases", &TfrxCustomDBDataSet::FieldAliases,
                &TfrxCustomDBDataSet::SetFieldAliases)
      .Property("OpenDataSource", &TfrxDataSet::OpenDataSource, &TfrxDataSet::SetOpenDataSource)
      .Default(true)
      .Property("OnClose", &TfrxDataSet::OnClose, &TfrxDataSet::OnClose)
      .Property("OnOpen", &TfrxDataSet::OnOpen, &TfrxDataSet::OnOpen);
}

void RegisterViewClasses()
{
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
}

void RegisterPageClasses()
{
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
  TClassRegistration<TfrxSubreport, TfrxView>("TfrxSubreport")
      .Property("Page", &TfrxSubreport::Page, &TfrxSubreport::SetPage)
      .Property("PrintOnParent", &TfrxSubreport::PrintOnParent, &TfrxSubreport::SetPrintOnParent)
      .Default(false);
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

void RegisterBandClasses()
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

} // namespace

void RegisterReportClasses()
{
  TClassRegistration<TfrxComponent, TComponent>("TfrxComponent");
  TClassRegistration<TfrxReportComponent, TfrxComponent>("TfrxReportComponent");
  RegisterObjectTypes();
  RegisterSettingsClasses();
  RegisterVariableClasses();
  RegisterStyleClasses();
  RegisterDataSetClasses();
  RegisterViewClasses();
  RegisterPageClasses();
  RegisterBandClasses();
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
