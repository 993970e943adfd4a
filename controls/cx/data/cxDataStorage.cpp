// Value definitions, the record storage and the lookup list; the buffer layout is documented
// in cxDataStorage.h, the value types are in cxDataStorageValueTypes.cpp.
#include "controls/cx/data/cxDataStorage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

constexpr Byte RecordInUseFlag = 0x01;

[[noreturn]] void ListIndexError(Integer AIndex)
{
  throw EListError(Format(SListIndexError, {AIndex}));
}

Byte* AllocateBuffer(Integer ASize)
{
  auto* buffer = static_cast<Byte*>(std::calloc(1, static_cast<size_t>(std::max(ASize, 1))));
  if (!buffer)
    throw EOutOfMemory("Out of memory");
  return buffer;
}

Byte* ReallocateBuffer(Byte* ABuffer, Integer ASize)
{
  auto* buffer = static_cast<Byte*>(std::realloc(ABuffer, static_cast<size_t>(std::max(ASize, 1))));
  if (!buffer)
    throw EOutOfMemory("Out of memory");
  return buffer;
}

} // namespace

// ---- TcxValueDef ----

TcxValueDef::TcxValueDef(TcxValueDefs* AValueDefs, TcxValueTypeClass AValueTypeClass)
    : FValueDefs(AValueDefs), FValueTypeClass(AValueTypeClass)
{
}

TcxValueDef::~TcxValueDef()
{
  if (FValueDefs)
    FValueDefs->Remove(this);
}

bool TcxValueDef::IsStored() const
{
  return FStored || !FValueDefs->Storage()->StoredValuesOnly();
}

void TcxValueDef::Assign(TcxValueDef* ASource)
{
  FStored = ASource->FStored;
  FTextStored = ASource->FTextStored;
  FLinkObject = ASource->FLinkObject;
}

Integer TcxValueDef::CompareNullable(bool ANull1, bool ANull2, const void* AData1,
                                     const void* AData2) const
{
  if (ANull1)
    return ANull2 ? 0 : -1;
  if (ANull2)
    return 1;
  return FValueTypeClass->CompareResolved(AData1, AData2);
}

Integer TcxValueDef::CompareRecordBuffers(const Byte* ABuffer1, const Byte* ABuffer2) const
{
  bool null1 = ABuffer1[FBufferOffset] == 0, null2 = ABuffer2[FBufferOffset] == 0;
  if (null1)
    return null2 ? 0 : -1;
  if (null2)
    return 1;
  return FValueTypeClass->CompareData(ABuffer1 + FBufferOffset + 1, ABuffer2 + FBufferOffset + 1);
}

void TcxValueDef::FetchValue(const Byte* ABuffer, Variant& V) const
{
  if (ABuffer[FBufferOffset] == 0)
    V = Null();
  else
    FValueTypeClass->FetchValue(ABuffer + FBufferOffset + 1, V);
}

void TcxValueDef::PutValue(Byte* ABuffer, const Variant& V) const
{
  Byte* flag = ABuffer + FBufferOffset;
  if (VarIsNull(V)) {
    MarkNull(flag, true);
    return;
  }
  if (*flag != 0) {
    FValueTypeClass->PutValue(flag + 1, V);
    return;
  }
  // A value that does not convert leaves the record Null, with nothing allocated.
  std::memset(flag + 1, 0, static_cast<size_t>(FValueSize));
  TUndoOnError undo([&] {
    FValueTypeClass->FreeData(flag + 1);
    std::memset(flag + 1, 0, static_cast<size_t>(FValueSize));
  });
  FValueTypeClass->PutValue(flag + 1, V);
  undo.Dismiss();
  *flag = 1;
}

void TcxValueDef::GetDisplayText(const Byte* ABuffer, AnsiString& S) const
{
  if (TextStoredEffective()) {
    FValueTypeClass->GetStoredText(ABuffer + FBufferOffset + 1 + FValueSize, S);
    return;
  }
  if (ABuffer[FBufferOffset] == 0)
    S.clear();
  else
    FValueTypeClass->GetDisplayText(ABuffer + FBufferOffset + 1, S);
}

void TcxValueDef::SetDisplayText(Byte* ABuffer, const AnsiString& S) const
{
  if (TextStoredEffective())
    FValueTypeClass->SetStoredText(ABuffer + FBufferOffset + 1 + FValueSize, S);
}

void TcxValueDef::ReleaseValue(Byte* ABuffer) const
{
  if (FDataSize == 0)
    return;
  if (ABuffer[FBufferOffset] != 0)
    FValueTypeClass->FreeData(ABuffer + FBufferOffset + 1);
  if (TextStoredEffective())
    FValueTypeClass->FreeTextData(ABuffer + FBufferOffset + 1 + FValueSize);
}

void TcxValueDef::MarkNull(Byte* AFlag, bool ANull) const
{
  if (ANull) {
    if (*AFlag != 0) {
      FValueTypeClass->FreeData(AFlag + 1);
      std::memset(AFlag + 1, 0, static_cast<size_t>(FValueSize));
    }
    *AFlag = 0;
  } else {
    *AFlag = 1;
  }
}

void TcxValueDef::ChangeStoredFlag(bool AValue)
{
  if (FStored == AValue)
    return;
  FStored = AValue;
  NotifyChanged(false);
}

void TcxValueDef::ChangeTextStoredFlag(bool AValue)
{
  if (FTextStored == AValue)
    return;
  FTextStored = AValue;
  NotifyChanged(true);
}

void TcxValueDef::NotifyChanged(bool AIsText)
{
  if (FValueDefs)
    FValueDefs->Changed(this, AIsText);
}

Integer TcxValueDef::Index() const
{
  return FValueDefs ? FValueDefs->IndexOf(this) : -1;
}

TObject* TcxInternalValueDef::LinkedObject() const
{
  TcxValueDef* def = LinkedValueDef();
  return def ? def->LinkedObject() : nullptr;
}

TcxValueDef* TcxInternalValueDef::LinkedValueDef() const
{
  return static_cast<TcxValueDef*>(TcxValueDef::LinkedObject());
}

// ---- TcxValueDefs ----

TcxValueDefs::TcxValueDefs(TcxDataStorage* AStorage) : FStorage(AStorage) {}

TcxValueDefs::~TcxValueDefs()
{
  Clear();
}

TcxValueDef* TcxValueDefs::CreateItem(TcxValueTypeClass AValueTypeClass)
{
  return new TcxValueDef(this, AValueTypeClass);
}

TcxValueDef* TcxValueDefs::Add(TcxValueTypeClass AValueTypeClass, bool AStored, TObject* ALink,
                               bool AStoreText)
{
  TcxValueDef* def = CreateItem(AValueTypeClass);
  def->FLinkObject = ALink;
  def->FStored = AStored;
  def->FTextStored = AStoreText;
  // Lay the new definition out alone to learn its byte count.
  def->FValueSize = AValueTypeClass->StorageSize();
  def->FDataSize =
      def->IsStored() ? 1 + def->FValueSize + (def->TextStoredEffective() ? sizeof(void*) : 0) : 0;
  try {
    FStorage->AddValueDefSpace(this, def);
  } catch (...) {
    def->FValueDefs = nullptr;
    delete def;
    throw;
  }
  FItems.push_back(def);
  FStorage->LayOutDefinitions(this);
  return def;
}

void TcxValueDefs::Remove(TcxValueDef* ADef)
{
  auto it = std::find(FItems.begin(), FItems.end(), ADef);
  if (it == FItems.end())
    return;
  FStorage->RemoveValueDefSpace(this, ADef);
  FItems.erase(std::find(FItems.begin(), FItems.end(), ADef));
  FStorage->LayOutDefinitions(this);
}

void TcxValueDefs::Clear()
{
  while (!FItems.empty())
    delete FItems.back();
}

TcxValueDef* TcxValueDefs::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    ListIndexError(AIndex);
  return FItems[AIndex];
}

Integer TcxValueDefs::IndexOf(const TcxValueDef* ADef) const
{
  auto it = std::find(FItems.begin(), FItems.end(), ADef);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

Integer TcxValueDefs::StoredCount() const
{
  Integer n = 0;
  for (TcxValueDef* def : FItems)
    n += def->IsStored() ? 1 : 0;
  return n;
}

void TcxValueDefs::Changed(TcxValueDef* ADef, bool AIsText)
{
  FStorage->ValueDefChanged(ADef, AIsText);
}

void TcxValueDefs::Prepare(Integer AOffset)
{
  FRecordOffset = AOffset;
  Integer offset = AOffset;
  for (TcxValueDef* def : FItems) {
    def->FValueSize = def->FValueTypeClass->StorageSize();
    def->FBufferOffset = offset;
    if (def->IsStored()) {
      def->FDataSize = 1 + def->FValueSize +
                       (def->TextStoredEffective() ? static_cast<Integer>(sizeof(void*)) : 0);
      offset += def->FDataSize;
    } else {
      def->FDataSize = 0;
    }
  }
  FRecordSize = offset;
}

TcxValueDef* TcxInternalValueDefs::CreateItem(TcxValueTypeClass AValueTypeClass)
{
  return new TcxInternalValueDef(this, AValueTypeClass);
}

TcxValueDef* TcxInternalValueDefs::FindByLink(const TcxValueDef* ADef) const
{
  for (Integer i = Count() - 1; i >= 0; --i) {
    auto* def = static_cast<TcxInternalValueDef*>(Items(i));
    if (def->LinkedValueDef() == ADef)
      return def;
  }
  return nullptr;
}

void TcxInternalValueDefs::RemoveByLink(const TcxValueDef* ADef)
{
  delete FindByLink(ADef);
}

// ---- TcxDataStorage ----

TcxDataStorage::TcxDataStorage()
    : FInternalValueDefs(std::make_unique<TcxInternalValueDefs>(this)),
      FValueDefs(std::make_unique<TcxValueDefs>(this))
{
  LayOutDefinitions(FInternalValueDefs.get());
  LayOutDefinitions(FValueDefs.get());
}

TcxDataStorage::~TcxDataStorage()
{
  FDestroying = true;
  Clear(false);
  FValueDefs.reset();
  FInternalValueDefs.reset();
}

void TcxDataStorage::BeforeDestruction()
{
  FDestroying = true;
}

std::vector<Byte*>& TcxDataStorage::BuffersOf(TcxValueDefs* AValueDefs)
{
  return AValueDefs == FInternalValueDefs.get() ? FInternalRecords : FRecords;
}

Byte*& TcxDataStorage::Slot(Integer ARecordIndex)
{
  if (ARecordIndex >= 0) {
    if (ARecordIndex >= RecordCount())
      ListIndexError(ARecordIndex);
    return FRecords[ARecordIndex];
  }
  Integer i = -ARecordIndex - 1;
  if (i >= InternalRecordCount())
    ListIndexError(i);
  return FInternalRecords[i];
}

Byte* const& TcxDataStorage::Slot(Integer ARecordIndex) const
{
  return const_cast<TcxDataStorage*>(this)->Slot(ARecordIndex);
}

TcxValueDefs* TcxDataStorage::ValueDefsFor(Integer ARecordIndex) const
{
  return ARecordIndex < 0 ? static_cast<TcxValueDefs*>(FInternalValueDefs.get()) : FValueDefs.get();
}

TcxValueDef* TcxDataStorage::MapValueDef(Integer ARecordIndex, TcxValueDef* ADef) const
{
  if (!ADef)
    return nullptr;
  if (ARecordIndex < 0 && ADef->ValueDefs() != FInternalValueDefs.get())
    ADef = FInternalValueDefs->FindByLink(ADef);
  // A definition that keeps nothing in this record reads as Null.
  if (ADef && ADef->DataSize() == 0)
    return nullptr;
  return ADef;
}

void TcxDataStorage::DisposeRecordBuffer(Byte*& ABuffer, TcxValueDefs* AValueDefs)
{
  if (!ABuffer)
    return;
  for (Integer i = 0; i < AValueDefs->Count(); ++i)
    AValueDefs->Items(i)->ReleaseValue(ABuffer);
  std::free(ABuffer);
  ABuffer = nullptr;
}

Byte* TcxDataStorage::RecordBuffer(Integer ARecordIndex) const
{
  return Slot(ARecordIndex);
}

Byte* TcxDataStorage::EnsureRecordBuffer(Integer ARecordIndex)
{
  Byte*& buffer = Slot(ARecordIndex);
  if (!buffer)
    buffer = AllocateBuffer(ValueDefsFor(ARecordIndex)->RecordSize());
  return buffer;
}

bool TcxDataStorage::HasRecordFlag(Integer ARecordIndex, Byte AFlag) const
{
  Byte* buffer = Slot(ARecordIndex);
  return buffer && (buffer[0] & AFlag) != 0;
}

void TcxDataStorage::SetRecordFlag(Integer ARecordIndex, Byte AFlag, bool AValue)
{
  Byte* buffer = EnsureRecordBuffer(ARecordIndex);
  if (AValue)
    buffer[0] |= AFlag;
  else
    buffer[0] &= static_cast<Byte>(~AFlag);
}

Integer TcxDataStorage::AppendRecord()
{
  FRecords.push_back(nullptr);
  return RecordCount() - 1;
}

void TcxDataStorage::InsertRecord(Integer AIndex)
{
  if (AIndex < 0 || AIndex > RecordCount())
    ListIndexError(AIndex);
  FRecords.insert(FRecords.begin() + AIndex, nullptr);
}

void TcxDataStorage::DeleteRecord(Integer ARecordIndex)
{
  Byte*& buffer = Slot(ARecordIndex);
  DisposeRecordBuffer(buffer, ValueDefsFor(ARecordIndex));
  if (ARecordIndex >= 0)
    FRecords.erase(FRecords.begin() + ARecordIndex);
}

void TcxDataStorage::SetRecordCount(Integer ACount)
{
  if (ACount < 0)
    ACount = 0;
  while (RecordCount() > ACount) {
    DisposeRecordBuffer(FRecords.back(), FValueDefs.get());
    FRecords.pop_back();
  }
  FRecords.resize(static_cast<size_t>(ACount), nullptr);
}

Integer TcxDataStorage::AddInternalRecord()
{
  Integer slot = 0;
  while (slot < InternalRecordCount() && FInternalRecords[slot] &&
         (FInternalRecords[slot][0] & RecordInUseFlag))
    ++slot;
  if (slot == InternalRecordCount())
    FInternalRecords.push_back(nullptr);
  Integer index = -slot - 1;
  EnsureRecordBuffer(index)[0] |= RecordInUseFlag;
  return index;
}

void TcxDataStorage::ReleaseInternalRecord(Integer ARecordIndex)
{
  if (ARecordIndex < 0)
    DisposeRecordBuffer(Slot(ARecordIndex), FInternalValueDefs.get());
}

void TcxDataStorage::Clear(bool AKeepInternal)
{
  if (!AKeepInternal)
    ClearInternalRecords();
  ClearRecords(true);
}

void TcxDataStorage::ClearInternalRecords()
{
  for (Byte*& buffer : FInternalRecords)
    DisposeRecordBuffer(buffer, FInternalValueDefs.get());
  FInternalRecords.clear();
  if (OnClearInternalRecords && !FDestroying)
    OnClearInternalRecords(this);
}

void TcxDataStorage::ClearRecords(bool AClearList)
{
  for (Byte*& buffer : FRecords)
    DisposeRecordBuffer(buffer, FValueDefs.get());
  if (AClearList)
    FRecords.clear();
}

void TcxDataStorage::GetValue(Integer ARecordIndex, TcxValueDef* ADef, Variant& V)
{
  Byte* buffer = Slot(ARecordIndex);
  TcxValueDef* def = buffer ? MapValueDef(ARecordIndex, ADef) : nullptr;
  if (def)
    def->FetchValue(buffer, V);
  else
    V = Null();
}

Variant TcxDataStorage::GetValue(Integer ARecordIndex, TcxValueDef* ADef)
{
  Variant v;
  GetValue(ARecordIndex, ADef, v);
  return v;
}

void TcxDataStorage::SetValue(Integer ARecordIndex, TcxValueDef* ADef, const Variant& V)
{
  TcxValueDef* def = MapValueDef(ARecordIndex, ADef);
  if (!def) {
    Slot(ARecordIndex); // an index outside the lists still raises
    return;
  }
  def->PutValue(EnsureRecordBuffer(ARecordIndex), V);
}

void TcxDataStorage::GetDisplayText(Integer ARecordIndex, TcxValueDef* ADef, AnsiString& S)
{
  Byte* buffer = Slot(ARecordIndex);
  TcxValueDef* def = buffer ? MapValueDef(ARecordIndex, ADef) : nullptr;
  if (def)
    def->GetDisplayText(buffer, S);
  else
    S.clear();
}

void TcxDataStorage::SetDisplayText(Integer ARecordIndex, TcxValueDef* ADef, const AnsiString& S)
{
  TcxValueDef* def = MapValueDef(ARecordIndex, ADef);
  if (!def) {
    Slot(ARecordIndex);
    return;
  }
  if (def->TextStoredEffective())
    def->SetDisplayText(EnsureRecordBuffer(ARecordIndex), S);
}

bool TcxDataStorage::GetValueDataPointer(Integer ARecordIndex, TcxValueDef* ADef, const void*& P)
{
  Byte* buffer = Slot(ARecordIndex);
  TcxValueDef* def = buffer ? MapValueDef(ARecordIndex, ADef) : nullptr;
  if (!def || def->IsNull(buffer))
    return true;
  P = buffer + def->BufferOffset() + 1;
  def->ValueTypeClass()->ResolveDataPointer(P);
  return false;
}

Integer TcxDataStorage::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2,
                                       TcxValueDef* ADef)
{
  Byte* b1 = Slot(ARecordIndex1);
  Byte* b2 = Slot(ARecordIndex2);
  if (!b1)
    return b2 ? -1 : 0;
  if (!b2)
    return 1;
  TcxValueDef* d1 = MapValueDef(ARecordIndex1, ADef);
  TcxValueDef* d2 = MapValueDef(ARecordIndex2, ADef);
  if (d1 == d2) {
    if (!d1)
      return 0;
    return d1->CompareRecordBuffers(b1, b2);
  }
  // A normal record against an internal one: the definitions differ, the values do not.
  bool null1 = !d1 || d1->IsNull(b1), null2 = !d2 || d2->IsNull(b2);
  const void* p1 = null1 ? nullptr : b1 + d1->BufferOffset() + 1;
  const void* p2 = null2 ? nullptr : b2 + d2->BufferOffset() + 1;
  if (p1)
    ADef->ValueTypeClass()->ResolveDataPointer(p1);
  if (p2)
    ADef->ValueTypeClass()->ResolveDataPointer(p2);
  return ADef->CompareNullable(null1, null2, p1, p2);
}

void TcxDataStorage::ReadRecord(Integer ARecordIndex, TcxValueDefReader* AReader,
                                bool ASkipInternal)
{
  Byte* buffer = EnsureRecordBuffer(ARecordIndex);
  TcxValueDefs* defs = ValueDefsFor(ARecordIndex);
  for (Integer i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    if (def->DataSize() == 0 || (ASkipInternal && AReader->IsInternalDef(def)))
      continue;
    Variant v;
    AReader->GetValue(def, v);
    def->PutValue(buffer, v);
    if (def->TextStoredEffective()) {
      AnsiString text;
      AReader->GetDisplayText(def, text);
      def->SetDisplayText(buffer, text);
    }
  }
}

void TcxDataStorage::ForEachValueDef(Integer ARecordIndex,
                                     const std::function<void(TcxValueDef*)>& AProc)
{
  TcxValueDefs* defs = ValueDefsFor(ARecordIndex);
  for (Integer i = 0; i < defs->Count(); ++i)
    AProc(defs->Items(i));
}

void TcxDataStorage::SetStoredValuesOnly(bool AValue)
{
  if (FStoredValuesOnly == AValue)
    return;
  ClearRecords(false);
  FStoredValuesOnly = AValue;
  LayOutDefinitions(FValueDefs.get());
}

void TcxDataStorage::LayOutDefinitions(TcxValueDefs* AValueDefs)
{
  AValueDefs->Prepare(RecordHeaderSize);
}

void TcxDataStorage::AddValueDefSpace(TcxValueDefs* AValueDefs, TcxValueDef* ADef)
{
  if (AValueDefs == FValueDefs.get())
    FInternalValueDefs->Add(ADef->ValueTypeClass(), true, ADef, ADef->TextStored());
  Integer extra = ADef->DataSize();
  if (extra == 0)
    return;
  // The new definition goes last: every buffer grows at its end, and the new bytes read as
  // Null.
  Integer oldSize = AValueDefs->RecordSize();
  for (Byte*& buffer : BuffersOf(AValueDefs)) {
    if (!buffer)
      continue;
    buffer = ReallocateBuffer(buffer, oldSize + extra);
    std::memset(buffer + oldSize, 0, static_cast<size_t>(extra));
  }
}

void TcxDataStorage::RemoveValueDefSpace(TcxValueDefs* AValueDefs, TcxValueDef* ADef)
{
  if (AValueDefs == FValueDefs.get())
    FInternalValueDefs->RemoveByLink(ADef);
  if (ADef->DataSize() == 0)
    return;
  std::vector<Byte*>& buffers = BuffersOf(AValueDefs);
  if (AValueDefs->StoredCount() < 2) {
    // The only kept definition: nothing is left in the records.
    for (Byte*& buffer : buffers)
      DisposeRecordBuffer(buffer, AValueDefs);
    return;
  }
  Integer size = AValueDefs->RecordSize();
  Integer start = ADef->BufferOffset(), count = ADef->DataSize();
  for (Byte*& buffer : buffers) {
    if (!buffer)
      continue;
    ADef->ReleaseValue(buffer);
    std::memmove(buffer + start, buffer + start + count, static_cast<size_t>(size - start - count));
    buffer = ReallocateBuffer(buffer, size - count);
  }
}

// ---- TcxLookupList ----

bool TcxLookupList::FindKey(const Variant& AKey, Integer& AIndex) const
{
  Integer lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    Integer mid = (lo + hi) / 2;
    Integer c = VariantCompare(FItems[mid].Key, AKey);
    if (c == 0) {
      AIndex = mid;
      return true;
    }
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  AIndex = lo;
  return false;
}

void TcxLookupList::InsertKey(Integer AIndex, const Variant& AKey, const AnsiString& AText)
{
  if (AIndex < 0 || AIndex > Count())
    ListIndexError(AIndex);
  FItems.insert(FItems.begin() + AIndex, TcxLookupListItem{AKey, AText});
}

const TcxLookupListItem& TcxLookupList::GetItem(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    ListIndexError(AIndex);
  return FItems[AIndex];
}
