// The value list of filter drop-downs (see cxFilter.h): special entries, leading entries
// with their separator, and the sorted, distinct values of one item.
#include <algorithm>

#include "controls/cx/data/cxFilter.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"

TcxFilterValueList::~TcxFilterValueList()
{
  Clear();
}

Integer TcxFilterValueList::CompareItem(const TcxFilterValueItem& AItem, const Variant& AValue,
                                        const AnsiString& ADisplayText)
{
  if (FSortByDisplayText) {
    if (FCriteria->Options().Contains(fcoCaseInsensitive))
      return AnsiCompareStr(AnsiUpperCase(AItem.DisplayText), AnsiUpperCase(ADisplayText));
    return AnsiCompareStr(AItem.DisplayText, ADisplayText);
  }
  Variant a, b;
  FCriteria->PrepareValue(AItem.Value, a);
  FCriteria->PrepareValue(AValue, b);
  return VariantCompare(a, b);
}

Integer TcxFilterValueList::Compare(Integer AIndex, const Variant& AValue,
                                    const AnsiString& ADisplayText)
{
  return CompareItem(Items(AIndex), AValue, ADisplayText);
}

void TcxFilterValueList::InsertItem(Integer AIndex, TcxFilterValueItemKind AKind,
                                    const Variant& AValue, const AnsiString& ADisplayText)
{
  FItems.insert(FItems.begin() + AIndex, TcxFilterValueItem{AKind, AValue, ADisplayText});
}

void TcxFilterValueList::Add(TcxFilterValueItemKind AKind, const Variant& AValue,
                             const AnsiString& ADisplayText, bool AAddAtEnd)
{
  switch (AKind) {
  case fviUserEx: {
    Integer pos = LeadingSeparatorIndex();
    if (pos < 0) {
      InsertItem(0, fviSpecial, Null(), "");
      pos = 0;
    }
    InsertItem(pos, AKind, AValue, ADisplayText);
    return;
  }
  case fviValue: {
    if (AAddAtEnd) {
      InsertItem(Count(), AKind, AValue, ADisplayText);
      return;
    }
    if (MaxCount() != 0 && Count() >= MaxCount())
      return;
    Integer index;
    if (!Find(AValue, ADisplayText, index))
      InsertItem(index, AKind, AValue, ADisplayText);
    return;
  }
  default:
    InsertItem(FirstValueIndex(), AKind, AValue, ADisplayText);
    return;
  }
}

void TcxFilterValueList::Clear()
{
  FItems.clear();
}

bool TcxFilterValueList::Find(const Variant& AValue, const AnsiString& ADisplayText,
                              Integer& AIndex)
{
  Integer separator = LeadingSeparatorIndex();
  for (Integer i = 0; i < separator; ++i)
    if (Compare(i, AValue, ADisplayText) == 0) {
      AIndex = i;
      return true;
    }
  bool found = false;
  Integer low = FirstValueIndex(), high = Count() - 1;
  while (low <= high) {
    Integer middle = (low + high) / 2;
    Integer c = Compare(middle, AValue, ADisplayText);
    if (c < 0) {
      low = middle + 1;
    } else {
      if (c == 0) {
        found = true;
        low = middle;
      }
      high = middle - 1;
    }
  }
  AIndex = low;
  return found;
}

Integer TcxFilterValueList::GetIndexByCriteriaItem(TcxFilterCriteriaItem* AItem)
{
  if (!AItem)
    return -1;
  if (AItem->IsValueNull(AItem->Value())) {
    if (AItem->OperatorKind() == foEqual)
      return IndexOfKind(fviBlanks);
    if (AItem->OperatorKind() == foNotEqual)
      return IndexOfKind(fviNonBlanks);
  }
  if (AItem->Parent() != FCriteria->Root() || AItem->OperatorKind() != foEqual)
    return IndexOfKind(fviCustom);
  Integer index;
  if (Find(AItem->Value(), AItem->DisplayValue(), index))
    return index;
  return IndexOfKind(fviAll);
}

const TcxFilterValueItem& TcxFilterValueList::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FItems[AIndex];
}

Integer TcxFilterValueList::IndexOfKind(TcxFilterValueItemKind AKind) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[i].Kind == AKind)
      return i;
  return -1;
}

Integer TcxFilterValueList::LeadingSeparatorIndex() const
{
  for (Integer i = 0; i < Count(); ++i) {
    if (FItems[i].Kind == fviSpecial)
      return i;
    if (FItems[i].Kind != fviUserEx)
      return -1;
  }
  return -1;
}

Integer TcxFilterValueList::FirstValueIndex() const
{
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[i].Kind == fviValue)
      return i;
  return Count();
}

Integer TcxFilterValueList::MaxCount() const
{
  return FCriteria->MaxValueListCount();
}

// The values go into a two-level structure (sorted blocks of bounded size), so each one
// costs a search and a short block insertion instead of a move of the whole list. For an
// ordering without contradictions the entries and their order are those that adding them
// one by one gives: the first of equal values stays, and the limit counts arrivals.
void TcxFilterValueList::AddValues(const std::vector<TcxFilterValueItem>& AValues)
{
  constexpr size_t MaxBlock = 512;
  std::vector<std::vector<TcxFilterValueItem>> blocks;
  // The values already in the list form the first block.
  Integer first = FirstValueIndex();
  blocks.emplace_back(FItems.begin() + first, FItems.end());
  FItems.erase(FItems.begin() + first, FItems.end());
  size_t valueCount = blocks[0].size();
  const Integer limit = MaxCount();

  for (const TcxFilterValueItem& item : AValues) {
    if (limit != 0 && static_cast<Integer>(Count() + valueCount) >= limit)
      break;
    // The first block whose last entry is not below the value.
    size_t b = 0;
    {
      size_t lo = 0, hi = blocks.size();
      while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (blocks[mid].empty() ||
            CompareItem(blocks[mid].back(), item.Value, item.DisplayText) >= 0)
          hi = mid;
        else
          lo = mid + 1;
      }
      b = std::min(lo, blocks.size() - 1);
    }
    std::vector<TcxFilterValueItem>& block = blocks[b];
    size_t lo = 0, hi = block.size();
    bool found = false;
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      Integer c = CompareItem(block[mid], item.Value, item.DisplayText);
      if (c < 0) {
        lo = mid + 1;
      } else {
        found = found || c == 0;
        hi = mid;
      }
    }
    if (found || (lo < block.size() && CompareItem(block[lo], item.Value, item.DisplayText) == 0))
      continue;
    block.insert(block.begin() + lo, TcxFilterValueItem{fviValue, item.Value, item.DisplayText});
    ++valueCount;
    if (block.size() > MaxBlock) {
      std::vector<TcxFilterValueItem> upper(block.begin() + block.size() / 2, block.end());
      block.erase(block.begin() + block.size() / 2, block.end());
      blocks.insert(blocks.begin() + b + 1, std::move(upper));
    }
  }
  FItems.reserve(FItems.size() + valueCount);
  for (auto& block : blocks)
    for (auto& entry : block)
      FItems.push_back(std::move(entry));
}
