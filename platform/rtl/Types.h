// Basic types of the runtime: integer sizes, text types, date-time, geometry records.
// Every other runtime unit includes this one; see Classes.h for the bigger picture.
#pragma once

#include <cstdint>
#include <string>

using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using LongInt = std::int32_t;
using LongWord = std::uint32_t;
using SmallInt = std::int16_t;
using ShortInt = std::int8_t;
using Byte = std::uint8_t;
using Word = std::uint16_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using NativeInt = std::intptr_t;
using NativeUInt = std::uintptr_t;
using Extended = long double;
using Single = float;
using Double = double;
using Boolean = bool;
using TDateTime = double; // days since 1899-12-30, time of day as the fraction
using TDate = TDateTime;
using TTime = TDateTime;

// 8-bit text holds GBK bytes; wide text is UTF-16.
using AnsiString = std::string;
using WideString = std::u16string;
using String = AnsiString;
using AnsiChar = char;
using WideChar = char16_t;

constexpr Integer MaxInt = 0x7FFFFFFF;
constexpr Int64 MaxInt64 = 0x7FFFFFFFFFFFFFFFLL;

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;

  Integer Width() const { return Right - Left; }
  Integer Height() const { return Bottom - Top; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(Integer x, Integer y)
{
  return {x, y};
}
inline TRect Rect(Integer l, Integer t, Integer r, Integer b)
{
  return {l, t, r, b};
}
inline TRect Bounds(Integer l, Integer t, Integer w, Integer h)
{
  return {l, t, l + w, t + h};
}

bool IsRectEmpty(const TRect& r);
bool EqualRect(const TRect& a, const TRect& b);
bool PtInRect(const TRect& r, const TPoint& p);
void InflateRect(TRect& r, Integer dx, Integer dy);
void OffsetRect(TRect& r, Integer dx, Integer dy);
// Both return false and an empty rectangle (all zero) when the result is empty.
bool IntersectRect(TRect& dst, const TRect& a, const TRect& b);
bool UnionRect(TRect& dst, const TRect& a, const TRect& b);
