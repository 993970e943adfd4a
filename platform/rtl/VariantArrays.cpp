// Variant arrays: creation with bounds per dimension, element access with one index per
// dimension, resizing of the last dimension. An array is a shared payload; a Variant that
// changes it while another holds it gets its own copy first (copy on write).
#include <memory>

#include "platform/rtl/VariantsPrivate.h"

namespace {

// More elements than this is a creation error rather than an attempt to allocate them.
constexpr Int64 MaxArrayElements = Int64(1) << 24;

bool IsValidElementType(TVarType type)
{
  switch (type) {
  case varSmallint:
  case varInteger:
  case varSingle:
  case varDouble:
  case varCurrency:
  case varDate:
  case varOleStr:
  case varDispatch:
  case varBoolean:
  case varVariant:
  case varShortInt:
  case varByte:
  case varWord:
  case varLongWord:
  case varInt64:
  case varString:
    return true;
  default:
    return false;
  }
}

// The value new elements of the kind start with.
Variant ZeroElement(TVarType type)
{
  switch (type) {
  case varVariant:
    return Variant();
  case varString:
    return Variant(AnsiString());
  case varOleStr:
    return Variant(WideString());
  case varDispatch:
    return VarFromDispatch(nullptr);
  default:
    return TVariantAccess::Scalar(type, 0); // all-zero bits: 0, 0.0, False
  }
}

const TVarArrayData& ArrayOf(const Variant& a)
{
  if (!VarIsArray(a))
    VarNotArrayError();
  return *TVariantAccess::Get(a).VArray;
}

// Position of the element in Items; every dimension must be named and in range.
size_t ElementOffset(const TVarArrayData& data, const Integer* indices, size_t count)
{
  if (count != data.Bounds.size())
    VarBadIndexError();
  size_t offset = 0, stride = 1;
  for (size_t k = 0; k < count; ++k) {
    const TVarArrayBound& b = data.Bounds[k];
    Int64 i = Int64(indices[k]) - b.LowBound;
    if (i < 0 || i >= b.ElementCount)
      VarBadIndexError();
    offset += static_cast<size_t>(i) * stride;
    stride *= static_cast<size_t>(b.ElementCount);
  }
  return offset;
}

void Put(Variant& a, const Variant& value, const Integer* indices, size_t count)
{
  const TVarArrayData& data = ArrayOf(a);
  size_t offset = ElementOffset(data, indices, count);
  Variant element = data.ElementType == varVariant ? value : VarAsType(value, data.ElementType);
  TVariantAccess::MutableArray(a)->Items[offset] = std::move(element);
}

} // namespace

Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elementType)
{
  if (bounds.empty() || bounds.size() % 2 != 0 || !IsValidElementType(elementType))
    VarArrayCreateError();
  auto data = std::make_unique<TVarArrayData>();
  data->ElementType = elementType;
  Int64 total = 1;
  for (size_t k = 0; k < bounds.size(); k += 2) {
    Int64 count = Int64(bounds[k + 1]) - bounds[k] + 1;
    if (count < 0 || count > MaxArrayElements)
      VarArrayCreateError();
    total *= count;
    if (total > MaxArrayElements)
      VarArrayCreateError();
    data->Bounds.push_back({bounds[k], static_cast<Integer>(count)});
  }
  data->Items.assign(static_cast<size_t>(total), ZeroElement(elementType));
  return TVariantAccess::ArrayOf(data.release());
}

Variant VarArrayOf(const std::vector<Variant>& values)
{
  auto data = std::make_unique<TVarArrayData>();
  data->ElementType = varVariant;
  data->Bounds.push_back({0, static_cast<Integer>(values.size())});
  data->Items = values;
  return TVariantAccess::ArrayOf(data.release());
}

Integer VarArrayDimCount(const Variant& a)
{
  return VarIsArray(a) ? static_cast<Integer>(TVariantAccess::Get(a).VArray->Bounds.size()) : 0;
}

Integer VarArrayLowBound(const Variant& a, Integer dim)
{
  const TVarArrayData& data = ArrayOf(a);
  if (dim < 1 || dim > static_cast<Integer>(data.Bounds.size()))
    VarBadIndexError();
  return data.Bounds[dim - 1].LowBound;
}

Integer VarArrayHighBound(const Variant& a, Integer dim)
{
  const TVarArrayData& data = ArrayOf(a);
  if (dim < 1 || dim > static_cast<Integer>(data.Bounds.size()))
    VarBadIndexError();
  const TVarArrayBound& b = data.Bounds[dim - 1];
  return b.LowBound + b.ElementCount - 1;
}

TVarType VarArrayElementType(const Variant& a)
{
  return ArrayOf(a).ElementType;
}

Variant VarArrayGet(const Variant& a, std::initializer_list<Integer> indices)
{
  const TVarArrayData& data = ArrayOf(a);
  return data.Items[ElementOffset(data, indices.begin(), indices.size())];
}

Variant VarArrayGet(const Variant& a, const std::vector<Integer>& indices)
{
  const TVarArrayData& data = ArrayOf(a);
  return data.Items[ElementOffset(data, indices.data(), indices.size())];
}

void VarArrayPut(Variant& a, const Variant& value, std::initializer_list<Integer> indices)
{
  Put(a, value, indices.begin(), indices.size());
}

void VarArrayPut(Variant& a, const Variant& value, const std::vector<Integer>& indices)
{
  Put(a, value, indices.data(), indices.size());
}

void VarArrayRedim(Variant& a, Integer highBound)
{
  const TVarArrayData& current = ArrayOf(a);
  Int64 count = Int64(highBound) - current.Bounds.back().LowBound + 1;
  if (count < 0)
    VarBadIndexError();
  Int64 slice = 1;
  for (size_t k = 0; k + 1 < current.Bounds.size(); ++k)
    slice *= current.Bounds[k].ElementCount;
  if (count > MaxArrayElements || slice * count > MaxArrayElements)
    VarArrayCreateError();
  TVarArrayData* data = TVariantAccess::MutableArray(a);
  data->Items.resize(static_cast<size_t>(slice * count), ZeroElement(data->ElementType));
  data->Bounds.back().ElementCount = static_cast<Integer>(count);
}
