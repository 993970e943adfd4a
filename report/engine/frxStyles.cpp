#include "report/engine/frxStyles.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

// ---- TfrxStyleItem ----

TfrxStyleItem::TfrxStyleItem(TCollection* Collection)
    : TCollectionItem(Collection), FColor(clNone), FFont(std::make_unique<TFont>()),
      FFrame(std::make_unique<TfrxFrame>())
{
  FFont->SetName("Arial");
  FFont->SetSize(10);
  FFont->SetCharset(1);
}

TfrxStyleItem::~TfrxStyleItem() = default;

void TfrxStyleItem::Assign(TPersistent* Source)
{
  if (auto* source = dynamic_cast<TfrxStyleItem*>(Source)) {
    // The name is copied as it is: a collection being replaced item by item may hold the
    // source's names for a moment.
    FName = source->FName;
    FColor = source->FColor;
    FFont->Assign(source->FFont.get());
    FFrame->Assign(source->FFrame.get());
    return;
  }
  TCollectionItem::Assign(Source);
}

void TfrxStyleItem::SetFrame(TfrxFrame* Value)
{
  FFrame->Assign(Value);
}

void TfrxStyleItem::SetName(const AnsiString& Value)
{
  if (auto* styles = dynamic_cast<TfrxStyles*>(Collection())) {
    TfrxStyleItem* other = styles->Find(Value);
    if (other && other != this)
      throw Exception("Duplicate name");
  }
  FName = Value;
}

void TfrxStyleItem::MakeUniqueName()
{
  auto* styles = dynamic_cast<TfrxStyles*>(Collection());
  Integer n = 1;
  while (styles && styles->Find("Style" + IntToStr(n)))
    ++n;
  SetName("Style" + IntToStr(n));
}

// ---- TfrxStyles ----

TfrxStyles::TfrxStyles(TfrxReport* Report)
    : TCollection(CollectionItemClass<TfrxStyleItem>()), FReport(Report)
{
}

TfrxStyleItem* TfrxStyles::Add()
{
  return static_cast<TfrxStyleItem*>(TCollection::Add());
}

TfrxStyleItem* TfrxStyles::Items(Integer Index) const
{
  return static_cast<TfrxStyleItem*>(TCollection::Items(Index));
}

TfrxStyleItem* TfrxStyles::Find(const AnsiString& Name) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), Name))
      return Items(i);
  return nullptr;
}

void TfrxStyles::ListNames(TStrings* List) const
{
  List->Clear();
  for (Integer i = 0; i < Count(); ++i)
    List->Add(Items(i)->Name());
}

void TfrxStyles::Apply()
{
  if (!FReport)
    return;
  TList* all = FReport->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i)
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(static_cast<TObject*>(all->Items(i))))
      memo->SetStyle(memo->Style());
}

void TfrxStyles::LoadFromFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(&stream);
}

void TfrxStyles::LoadFromStream(TStream* Stream)
{
  Clear();
  TfrxXMLDocument doc;
  doc.LoadFromStream(Stream);
  if (AnsiSameText(doc.Root()->Name(), "style"))
    LoadFromXmlItem(doc.Root());
}

void TfrxStyles::LoadFromXmlItem(TfrxXMLItem* Item)
{
  Clear();
  FName = Item->Prop("Name");
  TfrxXMLSerializer serializer(nullptr);
  for (Integer i = 0; i < Item->Count(); ++i) {
    TfrxXMLItem* child = Item->Items(i);
    if (AnsiSameText(child->Name(), "item"))
      serializer.XMLToObj(child->Text(), Add());
  }
  Apply();
}

void TfrxStyles::SaveToFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TfrxStyles::SaveToStream(TStream* Stream)
{
  TfrxXMLDocument doc;
  doc.SetAutoIndent(true);
  SaveToXmlItem(doc.Root());
  doc.SaveToStream(Stream);
}

void TfrxStyles::SaveToXmlItem(TfrxXMLItem* Item)
{
  Item->SetName("style");
  Item->SetProp("Name", FName);
  TfrxXMLSerializer serializer(nullptr);
  for (Integer i = 0; i < Count(); ++i) {
    TfrxXMLItem* child = Item->Add();
    child->SetName("item");
    child->SetText(serializer.ObjToXML(Items(i)));
  }
}

// ---- TfrxStyleSheet ----

TfrxStyleSheet::TfrxStyleSheet() = default;

TfrxStyleSheet::~TfrxStyleSheet() = default;

void TfrxStyleSheet::Clear()
{
  FItems.clear();
}

void TfrxStyleSheet::Delete(Integer Index)
{
  Items(Index); // checks the index
  FItems.erase(FItems.begin() + Index);
}

TfrxStyles* TfrxStyleSheet::Add()
{
  FItems.push_back(std::make_unique<TfrxStyles>());
  return FItems.back().get();
}

TfrxStyles* TfrxStyleSheet::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count()) {
    AnsiString text = SListIndexError;
    text.replace(text.find("%d"), 2, IntToStr(Index));
    throw EListError(text);
  }
  return FItems[static_cast<size_t>(Index)].get();
}

TfrxStyles* TfrxStyleSheet::Find(const AnsiString& Name) const
{
  for (const auto& styles : FItems)
    if (AnsiSameText(styles->Name(), Name))
      return styles.get();
  return nullptr;
}

void TfrxStyleSheet::ListNames(TStrings* List) const
{
  List->Clear();
  for (const auto& styles : FItems)
    List->Add(styles->Name());
}

void TfrxStyleSheet::LoadFromXmlStream(TStream* Stream)
{
  Clear();
  TfrxXMLDocument doc;
  doc.LoadFromStream(Stream);
  TfrxXMLItem* root = doc.Root();
  if (!AnsiSameText(root->Name(), "stylesheet"))
    return;
  for (Integer i = 0; i < root->Count(); ++i)
    if (AnsiSameText(root->Items(i)->Name(), "style"))
      Add()->LoadFromXmlItem(root->Items(i));
}

void RegisterStyleClasses()
{
  TClassRegistration<TfrxStyleItem, TCollectionItem>("TfrxStyleItem")
      .Property("Name", &TfrxStyleItem::Name, &TfrxStyleItem::SetName)
      .Property("Color", &TfrxStyleItem::Color, &TfrxStyleItem::SetColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("Font", &TfrxStyleItem::Font, &TfrxStyleItem::SetFont)
      .Property("Frame", &TfrxStyleItem::Frame, &TfrxStyleItem::SetFrame);
  TClassRegistration<TfrxStyles, TCollection>("TfrxStyles");
  TClassRegistration<TfrxStyleSheet>("TfrxStyleSheet");
  RegisterClasses({ClassInfoOf<TfrxStyleItem>()});
}
