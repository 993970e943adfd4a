// cxDataStorage: the in-memory records of a data controller. A value type knows how one
// value of one kind lies in a record buffer, converts, compares, shows and streams; a value
// definition places one column in the buffer; TcxDataStorage owns one heap buffer per
// record (normal records 0, 1, 2 ... and internal records -1, -2 ... for editing and
// locating). The controller (cxCustomData.h) owns one storage; each data field one value
// definition. Also here: TcxLookupList and the registry of value types.
//
// Record buffer (one zero-filled heap block per record):
//   offset 0                 record flags (RecordHeaderSize = 1); bit 0: internal record in use
//   then, for every kept value definition in list order, at its BufferOffset:
//     +0                     null flag (0 = Null, 1 = a value is present)
//     +1                     the value's ValueSize data bytes (the value type's layout)
//     +1 + ValueSize         display-text reference (a pointer to a heap AnsiString, or
//                            null), only while the definition keeps its display text
// A definition that is not kept has DataSize 0 and the offset where the next kept one
// begins. References are pointer-sized.
//
// Value layouts (ValueSize bytes, unaligned, little-endian as the machine is):
//   String, WideString, Variant   pointer to a heap Variant (varString / varOleStr / any)
//   Smallint 2, Word 2, Integer 4, Boolean 1 (0/1), Float 8 (double), Currency 8 (raw),
//   DateTime 8 (double), LargeInt 8, FMTBcd 34 (TBcd), SQLTimeStamp 16 (TSQLTimeStamp),
//   Object pointer-sized (the object, owned by the record)
// A resolved pointer (ResolveDataPointer, GetValueDataPointer) addresses the value itself:
// for the three reference types the heap Variant, for the others the data bytes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

class TcxValueType;
class TcxValueDef;
class TcxValueDefs;
class TcxInternalValueDefs;
class TcxDataStorage;

// A value type class: value types are never instantiated; each class is one constant
// object whose virtual operations are the class's operations, and its address is the
// class reference (TcxIntegerValueType::Class()).
using TcxValueTypeClass = const TcxValueType*;

class TcxValueType {
public:
  virtual ~TcxValueType() = default;
  TcxValueType(const TcxValueType&) = delete;
  TcxValueType& operator=(const TcxValueType&) = delete;

  // AData addresses the value's data bytes in a buffer, ATextRef a display-text reference.
  virtual Integer CompareData(const void* AData1, const void* AData2) const;
  virtual void FreeData(void* AData) const {}
  virtual void FreeTextData(void* ATextRef) const;
  virtual Integer StorageSize() const { return 0; }
  virtual void FetchValue(const void* AData, Variant& V) const;
  virtual void GetDisplayText(const void* AData, AnsiString& S) const;
  virtual void GetStoredText(const void* ATextRef, AnsiString& S) const;
  virtual void ReadValueFromStream(void* AData, TStream* AStream) const;
  virtual void ReadDisplayText(void* ATextRef, TStream* AStream) const;
  virtual void PutValue(void* AData, const Variant& V) const {}
  virtual void SetStoredText(void* ATextRef, const AnsiString& S) const;
  virtual void WriteValueToStream(const void* AData, TStream* AStream) const;
  virtual void WriteDisplayText(const void* ATextRef, TStream* AStream) const;
  // The class name without "Tcx" and "ValueType": "Integer", "SQLTimeStamp", "Object".
  void ValueTypeName(AnsiString& S) const;
  AnsiString ValueTypeName() const;
  // Resolved pointers (see the file comment).
  virtual Integer CompareResolved(const void* P1, const void* P2) const;
  virtual void GetResolvedValue(const void* AResolved, Variant& V) const;
  virtual TVarType NativeVarType() const { return varVariant; }
  // True when V is Null or the type takes any Variant; otherwise V is cast to the native
  // kind in place (False when that fails).
  virtual bool ConvertValue(Variant& V) const;
  virtual bool IsString() const { return false; }
  bool IsTextType() const { return IsString(); }
  virtual void ResolveDataPointer(const void*& P) const {}
  // True for Null and texts, else whether V converts to the type.
  virtual bool AcceptsValue(const Variant& V) const;

  virtual const char* ClassName() const = 0;
  // Whether this class is T or derives from it.
  template <class T> bool InheritsFrom() const { return dynamic_cast<const T*>(this) != nullptr; }

protected:
  TcxValueType() = default;
};

// The fourteen value types, in the order they register at start-up.

class TcxStringValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxStringValueType"; }
  Integer CompareData(const void* AData1, const void* AData2) const override;
  void FreeData(void* AData) const override;
  Integer StorageSize() const override;
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  void GetResolvedValue(const void* AResolved, Variant& V) const override;
  TVarType NativeVarType() const override { return varString; }
  bool IsString() const override { return true; }
  void ResolveDataPointer(const void*& P) const override;
};

class TcxWideStringValueType : public TcxStringValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxWideStringValueType"; }
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varOleStr; }
};

class TcxSmallintValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxSmallintValueType"; }
  Integer StorageSize() const override { return 2; }
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varSmallint; }
};

class TcxIntegerValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxIntegerValueType"; }
  Integer StorageSize() const override { return 4; }
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varInteger; }
};

class TcxWordValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxWordValueType"; }
  Integer StorageSize() const override { return 2; }
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varWord; }
};

class TcxBooleanValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxBooleanValueType"; }
  Integer StorageSize() const override { return 1; }
  void FetchValue(const void* AData, Variant& V) const override;
  void GetDisplayText(const void* AData, AnsiString& S) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varBoolean; }
};

class TcxFloatValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxFloatValueType"; }
  Integer StorageSize() const override { return 8; }
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  // Written and read as a 10-byte 80-bit extended.
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varDouble; }
};

class TcxCurrencyValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxCurrencyValueType"; }
  Integer StorageSize() const override { return 8; }
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varCurrency; }
};

class TcxDateTimeValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxDateTimeValueType"; }
  Integer StorageSize() const override { return 8; }
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varDate; }
};

class TcxLargeIntValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxLargeIntValueType"; }
  Integer StorageSize() const override { return 8; }
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override;
  void WriteValueToStream(const void* AData, TStream* AStream) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varInt64; }
};

class TcxFMTBcdValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxFMTBcdValueType"; }
  Integer StorageSize() const override { return 34; }
  // The value as a Double.
  void FetchValue(const void* AData, Variant& V) const override;
  // The exact digits in the general form.
  void GetDisplayText(const void* AData, AnsiString& S) const override;
  void PutValue(void* AData, const Variant& V) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override;
};

class TcxSQLTimeStampValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxSQLTimeStampValueType"; }
  Integer StorageSize() const override { return 16; }
  // The value as a varDate.
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override;
};

class TcxVariantValueType : public TcxValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxVariantValueType"; }
  Integer CompareData(const void* AData1, const void* AData2) const override;
  void FreeData(void* AData) const override;
  Integer StorageSize() const override;
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  Integer CompareResolved(const void* P1, const void* P2) const override;
  void GetResolvedValue(const void* AResolved, Variant& V) const override;
  void ResolveDataPointer(const void*& P) const override;
};

// An object reference (pointer-sized), owned by the record: FreeData frees it; writing a
// new value over it does not. FetchValue gives the pointer as an Int64.
class TcxObjectValueType : public TcxIntegerValueType {
public:
  static TcxValueTypeClass Class();
  const char* ClassName() const override { return "TcxObjectValueType"; }
  void FreeData(void* AData) const override;
  Integer StorageSize() const override;
  void FetchValue(const void* AData, Variant& V) const override;
  void PutValue(void* AData, const Variant& V) const override;
  void ReadValueFromStream(void* AData, TStream* AStream) const override {}
  void WriteValueToStream(const void* AData, TStream* AStream) const override {}
  Integer CompareResolved(const void* P1, const void* P2) const override;
  TVarType NativeVarType() const override { return varInt64; }
  // The object held in a value's data bytes.
  static TObject* GetObject(const void* AData);
};

// ---- Value definitions ----

inline constexpr Integer RecordHeaderSize = 1;

class TcxValueDef : public TObject {
public:
  TcxValueDef(TcxValueDefs* AValueDefs, TcxValueTypeClass AValueTypeClass);
  // Leaves its list (the storage drops the column from every record).
  ~TcxValueDef() override;

  virtual TObject* LinkedObject() const { return FLinkObject; }
  virtual bool IsStored() const;
  virtual void SetLinkedObject(TObject* AValue) { FLinkObject = AValue; }
  virtual void Assign(TcxValueDef* ASource);

  // Both Null: 0; the first Null: -1; the second Null: 1; else CompareResolved.
  Integer CompareNullable(bool ANull1, bool ANull2, const void* AData1, const void* AData2) const;
  Integer CompareRecordBuffers(const Byte* ABuffer1, const Byte* ABuffer2) const;
  void FetchValue(const Byte* ABuffer, Variant& V) const;
  void PutValue(Byte* ABuffer, const Variant& V) const;
  // The stored text when texts are kept (also for a Null value); else '' for Null and the
  // type's text of the value.
  void GetDisplayText(const Byte* ABuffer, AnsiString& S) const;
  void SetDisplayText(Byte* ABuffer, const AnsiString& S) const;
  void ReleaseValue(Byte* ABuffer) const;
  // AFlag addresses the null flag; ANull releases a present value and zeroes its bytes.
  void MarkNull(Byte* AFlag, bool ANull) const;
  bool IsNull(const Byte* ABuffer) const { return ABuffer[FBufferOffset] == 0; }
  bool IsStringType() const { return FValueTypeClass->IsString(); }
  bool TextStoredEffective() const { return IsStored() && FTextStored; }
  void ChangeStoredFlag(bool AValue);
  void ChangeTextStoredFlag(bool AValue);

  // Bytes taken in each record buffer (0 when not kept).
  Integer DataSize() const { return FDataSize; }
  Integer ValueSize() const { return FValueSize; }
  Integer BufferOffset() const { return FBufferOffset; }
  bool Stored() const { return FStored; }
  bool TextStored() const { return FTextStored; }
  TcxValueDefs* ValueDefs() const { return FValueDefs; }
  TcxValueTypeClass ValueTypeClass() const { return FValueTypeClass; }
  Integer Index() const;

protected:
  void NotifyChanged(bool AIsText);

private:
  friend class TcxValueDefs;
  friend class TcxDataStorage;

  Integer FDataSize = 0;
  Integer FValueSize = 0;
  bool FStored = true;
  TObject* FLinkObject = nullptr;
  Integer FBufferOffset = 0;
  bool FTextStored = false;
  TcxValueDefs* FValueDefs;
  TcxValueTypeClass FValueTypeClass;
};

// The definition of an internal record, linked to one normal definition (its link object);
// always kept.
class TcxInternalValueDef : public TcxValueDef {
public:
  using TcxValueDef::TcxValueDef;
  TObject* LinkedObject() const override;
  bool IsStored() const override { return true; }
  TcxValueDef* LinkedValueDef() const;
};

class TcxValueDefs : public TObject {
public:
  explicit TcxValueDefs(TcxDataStorage* AStorage);
  ~TcxValueDefs() override;

  TcxValueDef* Add(TcxValueTypeClass AValueTypeClass, bool AStored, TObject* ALink,
                   bool AStoreText);
  // Called by the definition's destructor.
  void Remove(TcxValueDef* ADef);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxValueDef* Items(Integer AIndex) const;
  Integer IndexOf(const TcxValueDef* ADef) const;
  Integer StoredCount() const;
  Integer RecordSize() const { return FRecordSize; }
  Integer RecordOffset() const { return FRecordOffset; }
  TcxDataStorage* Storage() const { return FStorage; }

  virtual void Changed(TcxValueDef* ADef, bool AIsText);
  virtual void Prepare(Integer AOffset);

protected:
  virtual TcxValueDef* CreateItem(TcxValueTypeClass AValueTypeClass);

private:
  TcxDataStorage* FStorage;
  std::vector<TcxValueDef*> FItems;
  Integer FRecordOffset = 0;
  Integer FRecordSize = 0;
};

class TcxInternalValueDefs : public TcxValueDefs {
public:
  using TcxValueDefs::TcxValueDefs;
  // The internal definition linked to ADef (searching from the last); null when none.
  TcxValueDef* FindByLink(const TcxValueDef* ADef) const;
  void RemoveByLink(const TcxValueDef* ADef);

protected:
  TcxValueDef* CreateItem(TcxValueTypeClass AValueTypeClass) override;
};

// ---- Readers ----

// Feeds values of one record into the storage (TcxDataStorage::ReadRecord). The readers
// that know data fields and controllers are in cxCustomData.h, the dataset reader in
// cxDBData.h.
class TcxValueDefReader : public TObject {
public:
  virtual void GetDisplayText(TcxValueDef* ADef, AnsiString& S) { S.clear(); }
  virtual void GetValue(TcxValueDef* ADef, Variant& V) { V = Null(); }
  virtual bool IsInternalDef(TcxValueDef* ADef) { return false; }
};

// ---- Storage ----

class TcxDataStorage : public TObject {
public:
  TcxDataStorage();
  ~TcxDataStorage() override;
  void BeforeDestruction() override;

  Integer AppendRecord();
  void InsertRecord(Integer AIndex);
  // Frees the buffer; a normal record leaves the list, an internal record's slot becomes
  // free.
  void DeleteRecord(Integer ARecordIndex);
  Integer RecordCount() const { return static_cast<Integer>(FRecords.size()); }
  void SetRecordCount(Integer ACount);
  Integer InternalRecordCount() const { return static_cast<Integer>(FInternalRecords.size()); }

  // The first free internal slot (-1, -2 ...), marked in use.
  Integer AddInternalRecord();
  void ReleaseInternalRecord(Integer ARecordIndex);
  void Clear(bool AKeepInternal);
  void ClearInternalRecords();
  // Frees every normal buffer; empties the list only with AClearList.
  void ClearRecords(bool AClearList);

  void GetValue(Integer ARecordIndex, TcxValueDef* ADef, Variant& V);
  Variant GetValue(Integer ARecordIndex, TcxValueDef* ADef);
  void SetValue(Integer ARecordIndex, TcxValueDef* ADef, const Variant& V);
  void GetDisplayText(Integer ARecordIndex, TcxValueDef* ADef, AnsiString& S);
  void SetDisplayText(Integer ARecordIndex, TcxValueDef* ADef, const AnsiString& S);
  // True when the value is Null (or cannot be reached); else P addresses the resolved value.
  bool GetValueDataPointer(Integer ARecordIndex, TcxValueDef* ADef, const void*& P);
  // A record without a buffer sorts first (both without: 0).
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TcxValueDef* ADef);
  void ReadRecord(Integer ARecordIndex, TcxValueDefReader* AReader, bool ASkipInternal);
  void ForEachValueDef(Integer ARecordIndex, const std::function<void(TcxValueDef*)>& AProc);
  void BeginLoad() {}
  void EndLoad() {}

  bool StoredValuesOnly() const { return FStoredValuesOnly; }
  void SetStoredValuesOnly(bool AValue);
  TcxValueDefs* ValueDefs() const { return FValueDefs.get(); }
  TcxInternalValueDefs* InternalValueDefs() const { return FInternalValueDefs.get(); }
  TcxValueDefs* ValueDefsFor(Integer ARecordIndex) const;

  Byte* RecordBuffer(Integer ARecordIndex) const;
  Byte* EnsureRecordBuffer(Integer ARecordIndex);
  bool HasRecordFlag(Integer ARecordIndex, Byte AFlag) const;
  void SetRecordFlag(Integer ARecordIndex, Byte AFlag, bool AValue);

  TNotifyEvent OnClearInternalRecords;

  // For the definition lists.
  void LayOutDefinitions(TcxValueDefs* AValueDefs);
  virtual void ValueDefChanged(TcxValueDef* ADef, bool AIsText) {}
  void AddValueDefSpace(TcxValueDefs* AValueDefs, TcxValueDef* ADef);
  void RemoveValueDefSpace(TcxValueDefs* AValueDefs, TcxValueDef* ADef);

private:
  std::vector<Byte*>& BuffersOf(TcxValueDefs* AValueDefs);
  Byte*& Slot(Integer ARecordIndex);
  Byte* const& Slot(Integer ARecordIndex) const;
  // ADef as the definition of the record's list, or null.
  TcxValueDef* MapValueDef(Integer ARecordIndex, TcxValueDef* ADef) const;
  void DisposeRecordBuffer(Byte*& ABuffer, TcxValueDefs* AValueDefs);

  bool FDestroying = false;
  std::vector<Byte*> FInternalRecords;
  std::unique_ptr<TcxInternalValueDefs> FInternalValueDefs;
  bool FStoredValuesOnly = false;
  std::vector<Byte*> FRecords;
  std::unique_ptr<TcxValueDefs> FValueDefs;
};

// ---- Lookup list ----

struct TcxLookupListItem {
  Variant Key;
  AnsiString DisplayText;
};

// Key-sorted (VariantCompare) cache of key and display text for the lookup editors.
class TcxLookupList : public TObject {
public:
  ~TcxLookupList() override { ClearItems(); }
  void ClearItems() { FItems.clear(); }
  // Halving search; False gives the insertion index.
  bool FindKey(const Variant& AKey, Integer& AIndex) const;
  void InsertKey(Integer AIndex, const Variant& AKey, const AnsiString& AText);
  const TcxLookupListItem& GetItem(Integer AIndex) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }

private:
  std::vector<TcxLookupListItem> FItems;
};

// ---- Value type registry ----

class TcxValueTypeClassList : public TObject {
public:
  void Register(TcxValueTypeClass AClass);
  void Unregister(TcxValueTypeClass AClass);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxValueTypeClass Items(Integer AIndex) const;
  // The registered class of that class name (ignoring case); null when none.
  TcxValueTypeClass ItemByClassName(const AnsiString& AName) const;

private:
  std::vector<TcxValueTypeClass> FItems;
};

// The registry, created on first use and freed by the unit's finalization.
TcxValueTypeClassList* cxValueTypeClassList();
void cxDataStorageInitialization();
void cxDataStorageFinalization();
