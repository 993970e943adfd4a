// TFieldDef and TFieldDefs: the column descriptions of a dataset (DB.h), from which Open
// creates the default fields; an in-memory dataset streams them with its other properties.
#include "platform/data/DB.h"
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterFieldDefsClasses()
{
  RegisterEnumType<TFieldType>(
      "TFieldType",
      {"ftUnknown",    "ftString",     "ftSmallint", "ftInteger",     "ftWord",      "ftBoolean",
       "ftFloat",      "ftCurrency",   "ftBCD",      "ftDate",        "ftTime",      "ftDateTime",
       "ftBytes",      "ftVarBytes",   "ftAutoInc",  "ftBlob",        "ftMemo",      "ftGraphic",
       "ftFmtMemo",    "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",    "ftFixedChar",
       "ftWideString", "ftLargeint",   "ftADT",      "ftArray",       "ftReference", "ftDataSet",
       "ftOraBlob",    "ftOraClob",    "ftVariant",  "ftInterface",   "ftIDispatch", "ftGuid",
       "ftTimeStamp",  "ftFMTBcd",     "ftWideMemo"});
  TClassRegistration<TFieldDefs, TPersistent>("TFieldDefs");
}

TFieldDef::TFieldDef(TFieldDefs* Owner, const AnsiString& Name, TFieldType DataType, Integer Size,
                     bool Required)
    : FOwner(Owner), FName(Name), FDataType(DataType), FSize(Size), FRequired(Required)
{
}

Integer TFieldDef::Index() const
{
  for (Integer i = 0; i < FOwner->Count(); ++i)
    if (FOwner->Items(i) == this)
      return i;
  return -1;
}

Integer TFieldDef::FieldNo() const
{
  return Index() + 1;
}

TFieldDefs::~TFieldDefs() = default;

TFieldDef* TFieldDefs::AddFieldDef(const AnsiString& Name, TFieldType DataType, Integer Size,
                                   bool Required)
{
  if (IndexOf(Name) >= 0)
    DatabaseErrorFmt(SDuplicateFieldName, Name, FDataSet);
  FItems.push_back(std::make_unique<TFieldDef>(this, Name, DataType, Size, Required));
  return FItems.back().get();
}

void TFieldDefs::Clear()
{
  FItems.clear();
}

TFieldDef* TFieldDefs::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    DatabaseError(SFieldIndexError, FDataSet);
  return FItems[Index].get();
}

Integer TFieldDefs::IndexOf(const AnsiString& Name) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(FItems[i]->Name(), Name))
      return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const AnsiString& Name) const
{
  Integer i = IndexOf(Name);
  if (i < 0)
    DatabaseErrorFmt(SFieldNotFound, Name, FDataSet);
  return FItems[i].get();
}

void TFieldDefs::Update()
{
  if (FDataSet && !FDataSet->Active())
    FDataSet->InternalInitFieldDefs();
  FUpdated = true;
}

void TFieldDefs::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TFieldDefs*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  Clear();
  for (Integer i = 0; i < src->Count(); ++i) {
    TFieldDef* d = src->Items(i);
    AddFieldDef(d->Name(), d->DataType(), d->Size(), d->Required())->SetPrecision(d->Precision());
  }
}

// ---- Streaming ----
//
// "Items": a list holding one list per definition: Name (string), DataType (identifier),
// Size (integer), Required (Boolean), Precision (integer). The whole list is read before
// the definitions change, so a damaged stream leaves them as they were.

void TFieldDefs::DefineProperties(TFiler* Filer)
{
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty("Items", TReaderProc::Bind(this, &TFieldDefs::ReadItems),
                        TWriterProc::Bind(this, &TFieldDefs::WriteItems), Count() > 0);
}

void TFieldDefs::WriteItems(TWriter* Writer)
{
  PTypeInfo types = FindTypeInfo(typeid(TFieldType));
  Writer->WriteListBegin();
  for (const auto& def : FItems) {
    Writer->WriteListBegin();
    Writer->WriteString(def->Name());
    Writer->WriteIdent(GetEnumName(types, def->DataType()));
    Writer->WriteInteger(def->Size());
    Writer->WriteBoolean(def->Required());
    Writer->WriteInteger(def->Precision());
    Writer->WriteListEnd();
  }
  Writer->WriteListEnd();
}

void TFieldDefs::ReadItems(TReader* Reader)
{
  struct TRead {
    AnsiString Name;
    TFieldType DataType;
    Integer Size;
    bool Required;
    Integer Precision;
  };
  PTypeInfo types = FindTypeInfo(typeid(TFieldType));
  std::vector<TRead> read;
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) {
    Reader->ReadListBegin();
    TRead r;
    r.Name = Reader->ReadString();
    Integer type = GetEnumValue(types, Reader->ReadIdent());
    if (type < 0 || r.Name.empty())
      throw EReadError(SInvalidPropertyValue);
    r.DataType = static_cast<TFieldType>(type);
    r.Size = Reader->ReadInteger();
    r.Required = Reader->ReadBoolean();
    r.Precision = Reader->ReadInteger();
    Reader->ReadListEnd();
    read.push_back(r);
  }
  Reader->ReadListEnd();
  TFieldDefs defs(FDataSet); // duplicates are refused before anything changes
  for (const TRead& r : read)
    defs.AddFieldDef(r.Name, r.DataType, r.Size, r.Required)->SetPrecision(r.Precision);
  Assign(&defs);
}
