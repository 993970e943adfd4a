// The LIKE matcher (see cxLike.h): a table over (pattern position, value position), filled
// from the ends, instead of a backtracking walk that a pattern such as "%a%a%a%b" could
// keep busy for minutes.
#include "controls/cx/data/cxLike.h"

#include <vector>

#include "platform/rtl/AnsiStrings.h"

namespace {

enum TUnitKind : Byte { ukChar, ukAnyString, ukAnyChar };

struct TUnit {
  TUnitKind Kind;
  unsigned char First;
  unsigned char Second; // trail byte, 0 for a single-byte character
};

std::vector<TUnit> SplitCharacters(const AnsiString& AText)
{
  std::vector<TUnit> units;
  units.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    auto b = static_cast<unsigned char>(AText[i]);
    if (IsDBCSLeadByte(b) && i + 1 < AText.size()) {
      units.push_back({ukChar, b, static_cast<unsigned char>(AText[i + 1])});
      ++i;
    } else {
      units.push_back({ukChar, b, 0});
    }
  }
  return units;
}

bool SameCharacter(const TUnit& a, const TUnit& b)
{
  return a.First == b.First && a.Second == b.Second;
}

} // namespace

bool LikeMatch(const AnsiString& AValue, const AnsiString& APattern, char AAnyChar,
               char ASingleChar)
{
  std::vector<TUnit> pattern = SplitCharacters(APattern);
  for (TUnit& u : pattern) {
    if (u.Second != 0)
      continue;
    if (u.First == static_cast<unsigned char>(AAnyChar))
      u.Kind = ukAnyString;
    else if (u.First == static_cast<unsigned char>(ASingleChar))
      u.Kind = ukAnyChar;
  }
  std::vector<TUnit> value = SplitCharacters(AValue);
  const size_t n = value.size();

  // next[v]: the rest of the pattern after position p + 1 matches value[v..]; current[v]
  // the same from position p. Position P (the pattern's end) matches only the value's end.
  std::vector<char> next(n + 1, 0), current(n + 1, 0);
  next[n] = 1;
  for (size_t p = pattern.size(); p-- > 0;) {
    const TUnit& u = pattern[p];
    if (u.Kind == ukAnyString) {
      if (p + 1 == pattern.size()) {
        std::fill(current.begin(), current.end(), 1);
      } else {
        // Any later value position that leaves at least one character.
        char any = 0;
        current[n] = 0;
        for (size_t v = n; v-- > 0;) {
          any = any || next[v];
          current[v] = any;
        }
      }
    } else {
      current[n] = 0;
      for (size_t v = 0; v < n; ++v)
        current[v] = next[v + 1] && (u.Kind == ukAnyChar || SameCharacter(u, value[v]));
    }
    std::swap(current, next);
  }
  return next[0] != 0;
}
