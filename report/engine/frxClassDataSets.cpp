// The dialog components and the dataset base classes: TfrxDialogComponent, TfrxDataSet,
// TfrxUserDataSet, TfrxCustomDBDataSet and the program-wide dataset list. frxClass.h
// describes them.
#include <algorithm>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxRes.h"

void frxclass::RegisterDataSetClasses()
{
  RegisterEnumType<TfrxRangeBegin>("TfrxRangeBegin", {"rbFirst", "rbCurrent"});
  RegisterEnumType<TfrxRangeEnd>("TfrxRangeEnd", {"reLast", "reCurrent", "reCount"});
  RegisterEventType<TfrxCheckEOFEvent>("TfrxCheckEOFEvent");
  RegisterEventType<TfrxUserDSGetValueEvent>("TfrxUserDSGetValueEvent");
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

// ---- Dataset links ----

TfrxDataSetLink::~TfrxDataSetLink()
{
  if (FDataSet)
    FDataSet->RemoveFreeNotification(FOwner);
}

void TfrxDataSetLink::SetDataSet(TfrxDataSet* Value)
{
  if (ReplaceComponentReference(FOwner, Value, FDataSet))
    FDataSetName = Value ? Value->UserName() : AnsiString();
}

AnsiString TfrxDataSetLink::DataSetName() const
{
  return FDataSet ? FDataSet->UserName() : FDataSetName;
}

void TfrxDataSetLink::SetDataSetName(const AnsiString& Value)
{
  FDataSetName = Value;
  TfrxDataSet* found = FindDataSet(FDataSet, Value, FOwner->Report());
  if (found != FDataSet) {
    SetDataSet(found);
    FDataSetName = Value;
  }
}

void TfrxDataSetLink::Notification(TComponent* AComponent, TOperation Operation)
{
  if (Operation == opRemove && AComponent == FDataSet)
    FDataSet = nullptr;
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
