// TParam and TParams: the named parameters of a statement (DB.h). A query parses them from
// the ":Name" markers of its text; their values stream with the query.
#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"

using data_detail::SplitFieldNames;

// ---- Class registration ----

void RegisterParamsClasses()
{
  RegisterEnumType<TParamType>("TParamType",
                               {"ptUnknown", "ptInput", "ptOutput", "ptInputOutput", "ptResult"});
  TClassRegistration<TParam, TPersistent>("TParam");
  TClassRegistration<TParams, TPersistent>("TParams");
}

TParam::TParam(TParams* Owner, const AnsiString& Name) : FOwner(Owner), FName(Name) {}

void TParam::SetValue(const Variant& V)
{
  FValue = V;
  if (FDataType != ftUnknown && FDataType != ftBlob)
    return;
  switch (V.Type()) {
  case varString:
    if (FDataType != ftBlob)
      FDataType = ftString;
    break;
  case varOleStr:
    FDataType = ftWideString;
    break;
  case varSmallint:
  case varInteger:
  case varShortInt:
  case varByte:
  case varWord:
    FDataType = ftInteger;
    break;
  case varLongWord:
  case varInt64:
    FDataType = ftLargeint;
    break;
  case varSingle:
  case varDouble:
    FDataType = ftFloat;
    break;
  case varCurrency:
    FDataType = ftBCD;
    break;
  case varBoolean:
    FDataType = ftBoolean;
    break;
  case varDate:
    FDataType = ftDateTime;
    break;
  default:
    break;
  }
}

void TParam::SetBlobData(const AnsiString& Bytes)
{
  FDataType = ftBlob;
  FValue = Variant(Bytes);
}

void TParam::LoadFromStream(TStream* Stream, TFieldType BlobType)
{
  AnsiString bytes;
  Stream->SetPosition(0);
  Int64 size = Stream->Size();
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    Stream->ReadBuffer(bytes.data(), static_cast<Integer>(size));
  }
  FDataType = BlobType;
  FValue = Variant(std::move(bytes));
}

void TParam::Assign(TPersistent* Source)
{
  auto* p = dynamic_cast<TParam*>(Source);
  if (!p) {
    TPersistent::Assign(Source);
    return;
  }
  FName = p->FName;
  FValue = p->FValue;
  FDataType = p->FDataType;
  FParamType = p->FParamType;
}

TParams::~TParams() = default;

TParam* TParams::CreateParam(TFieldType DataType, const AnsiString& Name, TParamType ParamType)
{
  FItems.push_back(std::make_unique<TParam>(this, Name));
  TParam* p = FItems.back().get();
  p->SetDataType(DataType);
  p->SetParamType(ParamType);
  return p;
}

TParam* TParams::AddParam(const AnsiString& Name)
{
  if (TParam* p = FindParam(Name))
    return p;
  return CreateParam(ftUnknown, Name, ptInput);
}

void TParams::Clear()
{
  FItems.clear();
}

TParam* TParams::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(Format(SListIndexError, {Index}));
  return FItems[Index].get();
}

TParam* TParams::FindParam(const AnsiString& Name) const
{
  for (const auto& p : FItems)
    if (AnsiSameText(p->Name(), Name))
      return p.get();
  return nullptr;
}

TParam* TParams::ParamByName(const AnsiString& Name) const
{
  TParam* p = FindParam(Name);
  if (!p)
    DatabaseErrorFmt(SParameterNotFound, Name, dynamic_cast<TComponent*>(FOwner));
  return p;
}

Variant TParams::ParamValues(const AnsiString& ParamName) const
{
  std::vector<AnsiString> names = SplitFieldNames(ParamName);
  if (names.size() == 1)
    return ParamByName(names[0])->Value();
  std::vector<Variant> values;
  for (const AnsiString& n : names)
    values.push_back(ParamByName(n)->Value());
  return VarArrayOf(values);
}

void TParams::SetParamValues(const AnsiString& ParamName, const Variant& Value)
{
  std::vector<AnsiString> names = SplitFieldNames(ParamName);
  if (names.size() == 1) {
    ParamByName(names[0])->SetValue(Value);
    return;
  }
  for (size_t i = 0; i < names.size(); ++i)
    ParamByName(names[i])->SetValue(VarArrayGet(Value, {static_cast<Integer>(i)}));
}

void TParams::AssignValues(TParams* Source)
{
  for (const auto& p : Source->FItems)
    if (TParam* mine = FindParam(p->Name()))
      mine->Assign(p.get());
}

void TParams::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TParams*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  Clear();
  for (const auto& p : src->FItems)
    CreateParam(p->DataType(), p->Name(), p->ParamType())->Assign(p.get());
}

// ---- Streaming ----
//
// "Data": a list holding one list per parameter: Name (string), DataType and ParamType
// (identifiers), Value (TWriter::WriteVariant). Parameters of the names read take the
// types and values read; others are added. The whole list is read before anything changes.

void TParams::DefineProperties(TFiler* Filer)
{
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty("Data", TReaderProc::Bind(this, &TParams::ReadData),
                        TWriterProc::Bind(this, &TParams::WriteData), Count() > 0);
}

void TParams::WriteData(TWriter* Writer)
{
  PTypeInfo fieldTypes = FindTypeInfo(typeid(TFieldType));
  PTypeInfo paramTypes = FindTypeInfo(typeid(TParamType));
  Writer->WriteListBegin();
  for (const auto& p : FItems) {
    Writer->WriteListBegin();
    Writer->WriteString(p->Name());
    Writer->WriteIdent(GetEnumName(fieldTypes, p->DataType()));
    Writer->WriteIdent(GetEnumName(paramTypes, p->ParamType()));
    Writer->WriteVariant(p->Value());
    Writer->WriteListEnd();
  }
  Writer->WriteListEnd();
}

void TParams::ReadData(TReader* Reader)
{
  PTypeInfo fieldTypes = FindTypeInfo(typeid(TFieldType));
  PTypeInfo paramTypes = FindTypeInfo(typeid(TParamType));
  TParams read;
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) {
    Reader->ReadListBegin();
    AnsiString name = Reader->ReadString();
    Integer dataType = GetEnumValue(fieldTypes, Reader->ReadIdent());
    Integer paramType = GetEnumValue(paramTypes, Reader->ReadIdent());
    if (name.empty() || dataType < 0 || paramType < 0 || read.FindParam(name))
      throw EReadError(SInvalidPropertyValue);
    TParam* p = read.CreateParam(static_cast<TFieldType>(dataType), name,
                                 static_cast<TParamType>(paramType));
    p->SetValue(Reader->ReadVariant());
    p->SetDataType(static_cast<TFieldType>(dataType)); // a value does not change the type read
    Reader->ReadListEnd();
  }
  Reader->ReadListEnd();
  for (const auto& p : read.FItems) {
    TParam* mine = FindParam(p->Name());
    if (!mine)
      mine = AddParam(p->Name());
    mine->Assign(p.get());
  }
}
