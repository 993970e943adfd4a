// The filter criteria stream: how a criteria writes and reads its tree, and the component
// form of its published settings (TFilterWrapper).
//
// Current form (little-endian):
//   Int32   -1                    marker
//   UInt8   root kind             0 AND, 1 OR, 2 NOT AND, 3 NOT OR
//   Int32   count                 children of the root
//   node x count
// Node:
//   UInt8   is group              1 group, 0 condition
//   group:      UInt8 kind (0-3), Int32 count, node x count
//   condition:  UInt8 operator kind (0-23), String display value (Int32 length + bytes),
//               Int32 item id (ItemLinkToID), Variant value (cxVariants.h encoding)
// Older form, still read: the stream starts with the Int32 count of root children (any
// value but -1); the root stays AND.
//
// A stream is untrusted: a kind out of range, a negative count, a count larger than the
// bytes left and groups nested deeper than 256 raise EReadError "Stream read error". The
// tree is read into a scratch root first, so a damaged stream leaves the criteria as it was.
#include "controls/cx/data/cxFilter.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

constexpr Integer MaxGroupNesting = 256;

[[noreturn]] void ReadError()
{
  throw EReadError(SReadError);
}

// Every node takes at least one byte.
Integer ReadNodeCount(TStream* AStream, Integer ACount)
{
  if (ACount < 0 || ACount > AStream->Size() - AStream->Position())
    ReadError();
  return ACount;
}

TcxFilterBoolOperatorKind ReadBoolKind(TStream* AStream)
{
  Byte kind = ReadStreamByteValue(AStream);
  if (kind >= cxFilterBoolOperatorKindCount)
    ReadError();
  return static_cast<TcxFilterBoolOperatorKind>(kind);
}

} // namespace

void TcxCustomFilterCriteriaItem::WriteData(TStream* AStream)
{
  WriteStreamBoolean(AStream, IsItemList());
}

void TcxFilterCriteriaItemList::WriteData(TStream* AStream)
{
  TcxCustomFilterCriteriaItem::WriteData(AStream);
  WriteStreamByte(AStream, FBoolOperatorKind);
  WriteStreamInteger(AStream, Count());
  for (TcxCustomFilterCriteriaItem* item : FItems)
    item->WriteData(AStream);
}

void TcxFilterCriteriaItem::WriteData(TStream* AStream)
{
  TcxCustomFilterCriteriaItem::WriteData(AStream);
  WriteStreamByte(AStream, FOperatorKind);
  WriteStreamString(AStream, FDisplayValue);
  WriteStreamInteger(AStream, Criteria()->ItemLinkToID(ItemLink()));
  WriteStreamVariant(AStream, FValue);
}

void TcxFilterCriteria::WriteData(TStream* AStream)
{
  WriteStreamInteger(AStream, -1);
  WriteStreamByte(AStream, FRoot->BoolOperatorKind());
  WriteStreamInteger(AStream, FRoot->Count());
  for (Integer i = 0; i < FRoot->Count(); ++i)
    FRoot->Items(i)->WriteData(AStream);
}

void TcxFilterCriteria::ReadData(TStream* AStream)
{
  BeginUpdate();
  bool changedBefore = FChanged;
  auto scratch = std::make_unique<TcxFilterCriteriaItemList>(nullptr, fboAnd);
  scratch->FCriteria = this;
  bool done = false;
  TScopeExit end([&] {
    if (done) {
      EndUpdate();
    } else {
      // The nodes read so far go without a trace: no change is reported.
      scratch.reset();
      FChanged = changedBefore;
      CancelUpdate();
    }
  });

  Integer count = ReadStreamIntegerValue(AStream);
  if (count == -1) {
    scratch->FBoolOperatorKind = ReadBoolKind(AStream);
    count = ReadStreamIntegerValue(AStream);
  }
  ReadNodeCount(AStream, count);
  for (Integer i = 0; i < count; ++i)
    ReadItem(AStream, scratch.get(), 0);

  // The whole tree was read: it replaces the old one.
  std::swap(FRoot, scratch);
  scratch->FCriteria = nullptr;
  scratch.reset();
  FChanged = true;
  done = true;
}

void TcxFilterCriteria::ReadItem(TStream* AStream, TcxFilterCriteriaItemList* AParent,
                                 Integer ADepth)
{
  if (ReadStreamBooleanValue(AStream)) {
    if (ADepth >= MaxGroupNesting)
      ReadError();
    TcxFilterCriteriaItemList* group = AParent->AddGroup(ReadBoolKind(AStream));
    Integer count = ReadNodeCount(AStream, ReadStreamIntegerValue(AStream));
    for (Integer i = 0; i < count; ++i)
      ReadItem(AStream, group, ADepth + 1);
    group->ReadData(AStream);
    return;
  }
  Byte kind = ReadStreamByteValue(AStream);
  if (kind >= cxFilterOperatorKindCount)
    ReadError();
  AnsiString displayValue = ReadStreamStringValue(AStream);
  Integer id = ReadStreamIntegerValue(AStream);
  Variant value = ReadStreamVariantValue(AStream);
  TcxFilterCriteriaItem* item = AParent->AddCondition(
      IDToItemLink(id), static_cast<TcxFilterOperatorKind>(kind), value, displayValue);
  item->ReadData(AStream);
}

// ---- Component form ----

void TcxFilterCriteria::SaveToStream(TStream* AStream)
{
  TFilterWrapper wrapper;
  wrapper.SetFilter(this);
  TWriter writer(AStream);
  writer.WriteComponent(&wrapper);
}

void TcxFilterCriteria::LoadFromStream(TStream* AStream)
{
  TUpdateScope<TcxFilterCriteria> update(*this);
  TFilterWrapper wrapper;
  wrapper.SetFilter(this);
  TReader reader(AStream);
  reader.ReadRootComponent(&wrapper);
}
