// The adapter registry and the field helpers of the dataset side (cxDB.h).
#include "controls/cx/data/cxDB.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"

// ---- TcxDBAdapterList ----

bool TcxDBAdapterList::FindAdapterIndex(TClass ADataSetClass, Integer& AIndex)
{
  for (Integer i = Count() - 1; i >= 0; --i) {
    TClass target = FItems[i]->TargetDataSetClass();
    if (ADataSetClass && ADataSetClass->InheritsFrom(target)) {
      AIndex = i;
      return true;
    }
    if (target && target->InheritsFrom(ADataSetClass))
      AIndex = i;
  }
  return false;
}

void TcxDBAdapterList::RegisterAdapter(TClass ADataSetClass, TcxDBAdapterItemClass AAdapterClass)
{
  const auto* ops = ClassOps<TcxDBAdapterItemClassOps>(AAdapterClass);
  if (!ops)
    throw EAbstractError(SAbstractError);
  std::unique_ptr<TcxDBAdapterItem> item(ops->Create(ADataSetClass));
  Integer index = -1;
  if (FindAdapterIndex(ADataSetClass, index))
    ++index;
  else if (index == -1)
    index = Count();
  FItems.insert(FItems.begin() + index, std::move(item));
}

void TcxDBAdapterList::UnregisterAdapter(TClass ADataSetClass, TcxDBAdapterItemClass AAdapterClass)
{
  std::erase_if(FItems, [&](const std::unique_ptr<TcxDBAdapterItem>& AItem) {
    return AItem->TargetDataSetClass() == ADataSetClass && AItem->ClassType() == AAdapterClass;
  });
}

void TcxDBAdapterList::Clear()
{
  while (!FItems.empty())
    FItems.pop_back();
}

TcxDBAdapterItem* TcxDBAdapterList::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FItems[AIndex].get();
}

// ---- Field helpers ----

void BracketFieldName(AnsiString& AName)
{
  if (!IsValidIdent(AName))
    AName = "[" + AName + "]";
}

void FieldFilterName(TField* AField, bool AIgnoreOrigin, AnsiString& AName)
{
  AName.clear();
  if (!AField)
    return;
  if (!AIgnoreOrigin && !AField->Origin().empty()) {
    AName = AField->Origin();
    return;
  }
  AName = AField->FieldName();
  BracketFieldName(AName);
}

bool AnsiTextsEqualNoCase(const AnsiString& A, const AnsiString& B)
{
  return AnsiUpperCase(A) == AnsiUpperCase(B);
}

namespace {

// Binary and BLOB-like types: bytes, the BLOB range and the object range.
bool IsSpecialFieldType(TFieldType AType)
{
  return AType == ftBytes || AType == ftVarBytes || (AType >= ftBlob && AType <= ftCursor) ||
         (AType >= ftADT && AType <= ftDataSet);
}

} // namespace

bool CanModifyFieldValue(TField* AField, bool AAsValue)
{
  if (!AField->CanModify())
    return false;
  if (AAsValue)
    return true;
  if (IsSpecialFieldType(AField->DataType()))
    return static_cast<bool>(AField->OnSetText);
  return true;
}

bool FieldHasDisplayFormatting(TField* AField, bool ASpecialTypesResult)
{
  if (AField->OnGetText || !AField->EditMask().empty())
    return true;
  if (IsSpecialFieldType(AField->DataType()) || dynamic_cast<TBooleanField*>(AField))
    return ASpecialTypesResult;
  if (auto* numeric = dynamic_cast<TNumericField*>(AField)) {
    if (!numeric->DisplayFormat().empty() || !numeric->EditFormat().empty())
      return true;
    if (auto* f = dynamic_cast<TFloatField*>(AField))
      return f->Currency();
    if (auto* f = dynamic_cast<TBCDField*>(AField))
      return f->Currency();
    return false;
  }
  if (auto* date = dynamic_cast<TDateTimeField*>(AField))
    return !date->DisplayFormat().empty();
  if (auto* aggregate = dynamic_cast<TAggregateField*>(AField))
    return !aggregate->DisplayFormat().empty() || aggregate->Currency();
  return false;
}

bool CanModifyLookupField(TField* AField)
{
  TDataSet* dataSet = AField->DataSet();
  if (!dataSet)
    return false;
  std::vector<TField*> keys;
  dataSet->GetFieldList(keys, AField->KeyFields());
  if (keys.empty())
    return false;
  for (TField* key : keys)
    if (!key->CanModify())
      return false;
  return true;
}

void FieldValuesToVariant(TDataSet* ADataSet, const std::vector<TField*>& AFields, Variant& AValue)
{
  if (AFields.empty()) {
    AValue = Null();
  } else if (AFields.size() == 1) {
    AValue = AFields[0]->Value();
  } else {
    AValue = VarArrayCreate({0, static_cast<Integer>(AFields.size()) - 1}, varVariant);
    for (size_t i = 0; i < AFields.size(); ++i)
      VarArrayPut(AValue, AFields[i]->Value(), {static_cast<Integer>(i)});
  }
}

void VariantToFieldValues(TDataSet* ADataSet, const std::vector<TField*>& AFields,
                          const Variant& AValue)
{
  if (AFields.size() == 1) {
    AFields[0]->SetValue(AValue);
    return;
  }
  for (size_t i = 0; i < AFields.size(); ++i)
    AFields[i]->SetValue(VarArrayGet(AValue, {static_cast<Integer>(i)}));
}

bool IsMultiFieldNameList(const AnsiString& ANames)
{
  Integer pos = 1;
  ExtractFieldName(ANames, pos);
  return pos <= Length(ANames);
}

Integer FieldNameListCount(const AnsiString& ANames)
{
  Integer count = 0;
  Integer pos = 1;
  while (pos <= Length(ANames)) {
    ExtractFieldName(ANames, pos);
    ++count;
  }
  return count;
}

void SplitFieldNameList(const AnsiString& ANames, TStrings* AList)
{
  AList->Clear();
  Integer pos = 1;
  while (pos <= Length(ANames))
    AList->Add(ExtractFieldName(ANames, pos));
}
