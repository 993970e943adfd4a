// cxDB: the dataset side's adapter registry (behaviour attached to dataset classes, the most
// derived registered class winning) and helpers over TFields and ';'-separated field-name
// lists.
#pragma once

#include <memory>
#include <vector>

#include "platform/data/DB.h"
#include "platform/rtl/Classes.h"

class TStrings;

// ---- Adapters ----

// Behaviour for one dataset class. Adapter classes are registered platform classes whose
// class-side operations are their factory:
//   TClassRegistration<TMyAdapter, TcxDBAdapterItem>("TMyAdapter")
//       .Abstract().ClassOps<TcxDBAdapterItemOps<TMyAdapter>>();
class TcxDBAdapterItem : public TObject {
public:
  explicit TcxDBAdapterItem(TClass ADataSetClass) : FTargetDataSetClass(ADataSetClass) {}
  TClass TargetDataSetClass() const { return FTargetDataSetClass; }

private:
  TClass FTargetDataSetClass;
};

using TcxDBAdapterItemClass = TClass;

class TcxDBAdapterItemClassOps : public TClassOps {
public:
  virtual TcxDBAdapterItem* Create(TClass ADataSetClass) const = 0;
};

template <class T> class TcxDBAdapterItemOps : public TcxDBAdapterItemClassOps {
public:
  TcxDBAdapterItem* Create(TClass ADataSetClass) const override { return new T(ADataSetClass); }
};

// Adapter items kept so that the entry for a class comes after the entries of its
// registered ancestors.
class TcxDBAdapterList : public TObject {
public:
  ~TcxDBAdapterList() override { Clear(); }

  // From the last entry to the first: the first entry for ADataSetClass or an ancestor
  // gives AIndex and True. Otherwise AIndex ends as the lowest index of an entry for a
  // descendant of ADataSetClass (unchanged when there is none) and the result is False.
  virtual bool FindAdapterIndex(TClass ADataSetClass, Integer& AIndex);
  virtual void RegisterAdapter(TClass ADataSetClass, TcxDBAdapterItemClass AAdapterClass);
  virtual void UnregisterAdapter(TClass ADataSetClass, TcxDBAdapterItemClass AAdapterClass);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxDBAdapterItem* Items(Integer AIndex) const;

private:
  std::vector<std::unique_ptr<TcxDBAdapterItem>> FItems;
};

// ---- Field helpers ----

// Encloses AName in brackets unless it is a valid identifier.
void BracketFieldName(AnsiString& AName);
// A field's name in filter texts: its Origin (unless ignored or empty), else its bracketed
// field name; empty for no field.
void FieldFilterName(TField* AField, bool AIgnoreOrigin, AnsiString& AName);
bool AnsiTextsEqualNoCase(const AnsiString& A, const AnsiString& B);
// Whether the field's value can be changed; binary and BLOB-like types only through an
// OnSetText handler unless assigned as a value (AAsValue).
bool CanModifyFieldValue(TField* AField, bool AAsValue);
// Whether the field formats its values for display (a handler, a mask or a format);
// ASpecialTypesResult answers for binary, BLOB-like and Boolean fields.
bool FieldHasDisplayFormatting(TField* AField, bool ASpecialTypesResult);
// Whether the key fields of a lookup field can all be modified.
bool CanModifyLookupField(TField* AField);
// No field: Null; one: its value; several: a 0-based Variant array of their values.
void FieldValuesToVariant(TDataSet* ADataSet, const std::vector<TField*>& AFields, Variant& AValue);
void VariantToFieldValues(TDataSet* ADataSet, const std::vector<TField*>& AFields,
                          const Variant& AValue);
bool IsMultiFieldNameList(const AnsiString& ANames);
Integer FieldNameListCount(const AnsiString& ANames);
void SplitFieldNameList(const AnsiString& ANames, TStrings* AList);
