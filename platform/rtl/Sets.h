// TSet<Enum>: the set type over an unscoped enumeration (a bit per element, element n at
// bit n, up to 256 elements). Reflection reads and writes the first 32 bits as one ordinal
// (Raw/FromRaw), which is how set properties travel through GetOrdProp/SetOrdProp.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <class Enum> class TSet {
  static_assert(std::is_enum_v<Enum>, "TSet is a set over an enumeration");

public:
  using ElementType = Enum;
  static constexpr int MaxElements = 256;

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<Enum> elements)
  {
    for (Enum e : elements)
      Include(e);
  }

  // The set whose first 32 elements are the bits of mask.
  static constexpr TSet FromRaw(std::uint32_t mask)
  {
    TSet s;
    s.FWords[0] = mask;
    return s;
  }
  // The bits of the first 32 elements; later elements are not part of the mask.
  constexpr std::uint32_t Raw() const { return static_cast<std::uint32_t>(FWords[0]); }

  // Membership by element. Values outside 0..255 are never members and cannot be added.
  constexpr bool Contains(Enum e) const { return ContainsOrd(static_cast<int>(e)); }
  constexpr TSet& Include(Enum e) { return IncludeOrd(static_cast<int>(e)); }
  constexpr TSet& Exclude(Enum e) { return ExcludeOrd(static_cast<int>(e)); }

  // Membership by ordinal, for reflection code that works on any set type.
  constexpr bool ContainsOrd(int n) const
  {
    return InRange(n) && (FWords[n >> 6] >> (n & 63)) & 1u;
  }
  constexpr TSet& IncludeOrd(int n)
  {
    if (InRange(n))
      FWords[n >> 6] |= std::uint64_t(1) << (n & 63);
    return *this;
  }
  constexpr TSet& ExcludeOrd(int n)
  {
    if (InRange(n))
      FWords[n >> 6] &= ~(std::uint64_t(1) << (n & 63));
    return *this;
  }

  constexpr bool Empty() const { return FWords == Words{}; }
  constexpr int Count() const
  {
    int n = 0;
    for (std::uint64_t w : FWords)
      n += std::popcount(w);
    return n;
  }
  constexpr void Clear() { FWords = Words{}; }

  // Union, difference and intersection.
  friend constexpr TSet operator+(TSet a, const TSet& b) { return a += b; }
  friend constexpr TSet operator-(TSet a, const TSet& b) { return a -= b; }
  friend constexpr TSet operator*(TSet a, const TSet& b) { return a *= b; }
  constexpr TSet& operator+=(const TSet& b)
  {
    for (int i = 0; i < WordCount; ++i)
      FWords[i] |= b.FWords[i];
    return *this;
  }
  constexpr TSet& operator-=(const TSet& b)
  {
    for (int i = 0; i < WordCount; ++i)
      FWords[i] &= ~b.FWords[i];
    return *this;
  }
  constexpr TSet& operator*=(const TSet& b)
  {
    for (int i = 0; i < WordCount; ++i)
      FWords[i] &= b.FWords[i];
    return *this;
  }

  friend constexpr bool operator==(const TSet&, const TSet&) = default;
  // Subset and superset.
  friend constexpr bool operator<=(const TSet& a, const TSet& b) { return (a - b).Empty(); }
  friend constexpr bool operator>=(const TSet& a, const TSet& b) { return b <= a; }

private:
  static constexpr int WordCount = MaxElements / 64;
  using Words = std::array<std::uint64_t, WordCount>;
  static constexpr bool InRange(int n) { return n >= 0 && n < MaxElements; }

  Words FWords{};
};
