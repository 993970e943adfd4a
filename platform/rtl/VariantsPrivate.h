// Internals shared by the Variant units (Variants.cpp, VariantConvert.cpp, VariantOps.cpp,
// VariantArrays.cpp): the payload records and the one throwing helper per error kind.
// Not for use outside those files.
#pragma once

#include <vector>

#include "platform/rtl/Variants.h"

// Texts are immutable once shared: a copy of a text Variant only counts a reference.
struct TVarStrData {
  Integer RefCount = 1;
  AnsiString Value;
};

struct TVarWideData {
  Integer RefCount = 1;
  WideString Value;
};

struct TVarArrayBound {
  Integer LowBound = 0;
  Integer ElementCount = 0;
};

// An array's elements are Variants already converted to the element kind. They are stored
// with the first index varying fastest, so resizing the last dimension only appends or
// drops whole slices at the end.
struct TVarArrayData {
  Integer RefCount = 1;
  TVarType ElementType = varVariant;
  std::vector<TVarArrayBound> Bounds;
  std::vector<Variant> Items;
};

// The record of a database kind (varFMTBcd, varSQLTimeStamp): immutable once shared.
struct TVarCustomData {
  Integer RefCount = 1;
  std::vector<Byte> Bytes;
};

inline bool IsCustomKind(TVarType type)
{
  return type == varFMTBcd || type == varSQLTimeStamp;
}

struct TVariantAccess {
  using Data = Variant::TVarData;

  static const Data& Get(const Variant& v) { return v.FData; }

  static Variant Scalar(TVarType type, Int64 raw)
  {
    Variant v;
    v.FType = type;
    v.FData.VInt64 = raw;
    return v;
  }
  static Variant DoubleOf(TVarType type, Double value)
  {
    Variant v;
    v.FType = type;
    v.FData.VDouble = value;
    return v;
  }
  static Variant ClassOf(TClass cls)
  {
    Variant v;
    v.FType = varClassRef;
    v.FData.VClass = cls;
    return v;
  }
  // Takes over one reference of the payload.
  static Variant DispatchOf(IDispatch* disp)
  {
    Variant v;
    v.FType = varDispatch;
    v.FShared = disp != nullptr;
    v.FData.VDispatch = disp;
    return v;
  }
  static Variant ArrayOf(TVarArrayData* array)
  {
    Variant v;
    v.FType = varArray | array->ElementType;
    v.FShared = true;
    v.FData.VArray = array;
    return v;
  }
  static Variant CustomOf(TVarType type, const void* bytes, std::size_t size)
  {
    auto* data = new TVarCustomData;
    data->Bytes.assign(static_cast<const Byte*>(bytes), static_cast<const Byte*>(bytes) + size);
    Variant v;
    v.FType = type;
    v.FShared = true;
    v.FData.VCustom = data;
    return v;
  }
  // The array payload of a, made unshared first so that it may be changed.
  static TVarArrayData* MutableArray(Variant& a);
};

// Database kinds (VariantCustom.cpp): the standard value a custom value converts like (a
// Double for a BCD, a Date for a time stamp), its text, and a cast into a custom kind.
Variant CustomToStandard(const Variant& v);
AnsiString CustomToText(const Variant& v);
Variant CustomFromVariant(const Variant& v, TVarType kind);

// Throwing helpers: one per error kind, so there is one place to break on.
[[noreturn]] void VarCastError(TVarType from, TVarType to);
[[noreturn]] void VarInvalidOp();
[[noreturn]] void VarOverflowError();
[[noreturn]] void VarBadIndexError();
[[noreturn]] void VarNotArrayError();
[[noreturn]] void VarArrayCreateError();
