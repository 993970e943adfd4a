#include "report/engine/frxVariables.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

bool IsVariableCategory(const AnsiString& Name)
{
  return !Name.empty() && Name[0] == ' ';
}

// ---- TfrxVariable ----

TfrxVariable::TfrxVariable(TCollection* Collection) : TCollectionItem(Collection), FValue(Null()) {}

void TfrxVariable::Assign(TPersistent* Source)
{
  if (auto* source = dynamic_cast<TfrxVariable*>(Source)) {
    FName = source->FName;
    FValue = source->FValue;
    return;
  }
  TCollectionItem::Assign(Source);
}

// ---- TfrxVariables ----

TfrxVariables::TfrxVariables() : TCollection(CollectionItemClass<TfrxVariable>()) {}

TfrxVariable* TfrxVariables::Add()
{
  return static_cast<TfrxVariable*>(TCollection::Add());
}

TfrxVariable* TfrxVariables::Insert(Integer Index)
{
  return static_cast<TfrxVariable*>(TCollection::Insert(Index));
}

TfrxVariable* TfrxVariables::Items(Integer Index) const
{
  return static_cast<TfrxVariable*>(TCollection::Items(Index));
}

Integer TfrxVariables::IndexOf(const AnsiString& Name) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), Name))
      return i;
  return -1;
}

Variant TfrxVariables::Variables(const AnsiString& Index) const
{
  const Integer i = IndexOf(Index);
  return i >= 0 ? Items(i)->Value() : Null();
}

void TfrxVariables::SetVariables(const AnsiString& Index, const Variant& Value)
{
  const Integer i = IndexOf(Index);
  TfrxVariable* item = i >= 0 ? Items(i) : nullptr;
  if (!item) {
    item = Add();
    item->SetName(Index);
  }
  item->SetValue(Value);
}

Integer TfrxVariables::IndexOfCategory(const AnsiString& Category) const
{
  for (Integer i = 0; i < Count(); ++i) {
    const AnsiString& name = Items(i)->Name();
    if (IsVariableCategory(name) && AnsiSameText(name.substr(1), Category))
      return i;
  }
  return -1;
}

void TfrxVariables::ListCategories(TStrings* List, bool ClearList) const
{
  if (ClearList)
    List->Clear();
  for (Integer i = 0; i < Count(); ++i) {
    const AnsiString& name = Items(i)->Name();
    if (IsVariableCategory(name))
      List->Add(Copy(name, 2, 255));
  }
}

void TfrxVariables::ListCategoryVariables(const AnsiString& Category, TStrings* List) const
{
  List->Clear();
  Integer i = 0;
  if (!Category.empty()) {
    i = IndexOfCategory(Category);
    if (i < 0)
      return;
    ++i;
  }
  for (; i < Count(); ++i) {
    const AnsiString& name = Items(i)->Name();
    if (name.empty() || IsVariableCategory(name))
      break;
    List->Add(name);
  }
}

void TfrxVariables::DeleteCategory(const AnsiString& Category)
{
  const Integer start = IndexOfCategory(Category);
  if (start < 0)
    return;
  // The category's variables go with it, unnamed items included: everything up to the
  // next category item belongs to it.
  BeginUpdate();
  Delete(start);
  while (start < Count() && !IsVariableCategory(Items(start)->Name()))
    Delete(start);
  EndUpdate();
}

void TfrxVariables::DeleteVariable(const AnsiString& Name)
{
  const Integer i = IndexOf(Name);
  if (i >= 0)
    Delete(i);
}

void TfrxVariables::AddVariable(const AnsiString& Category, const AnsiString& Name,
                                const Variant& Value)
{
  Integer i = IndexOfCategory(Category);
  if (i < 0)
    return;
  ++i;
  while (i < Count() && !IsVariableCategory(Items(i)->Name()))
    ++i;
  TfrxVariable* item = Insert(i);
  item->SetName(Name);
  item->SetValue(Value);
}

void TfrxVariables::LoadFromFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(&stream);
}

void TfrxVariables::LoadFromStream(TStream* Stream)
{
  Clear();
  TfrxXMLDocument doc;
  doc.LoadFromStream(Stream);
  if (AnsiSameText(doc.Root()->Name(), "variables"))
    LoadFromXmlItem(doc.Root());
}

void TfrxVariables::LoadFromXmlItem(TfrxXMLItem* Item)
{
  Clear();
  TfrxXMLSerializer serializer(nullptr);
  for (Integer i = 0; i < Item->Count(); ++i) {
    TfrxXMLItem* child = Item->Items(i);
    if (AnsiSameText(child->Name(), "item"))
      serializer.XMLToObj(child->Text(), Add());
  }
}

void TfrxVariables::SaveToFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TfrxVariables::SaveToStream(TStream* Stream)
{
  TfrxXMLDocument doc;
  doc.SetAutoIndent(true);
  doc.Root()->SetName("variables");
  SaveToXmlItem(doc.Root());
  doc.SaveToStream(Stream);
}

void TfrxVariables::SaveToXmlItem(TfrxXMLItem* Item)
{
  TfrxXMLSerializer serializer(nullptr);
  for (Integer i = 0; i < Count(); ++i) {
    TfrxXMLItem* child = Item->Add();
    child->SetName("item");
    child->SetText(serializer.ObjToXML(Items(i)));
  }
}

void RegisterVariableClasses()
{
  TClassRegistration<TfrxVariable, TCollectionItem>("TfrxVariable")
      .Property("Name", &TfrxVariable::Name, &TfrxVariable::SetName)
      .Property("Value", &TfrxVariable::Value, &TfrxVariable::SetValue);
  TClassRegistration<TfrxVariables, TCollection>("TfrxVariables");
}
