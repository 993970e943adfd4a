// The edit's text model (TEditText) and its line layout (LayoutEditLines): bytes,
// characters, words and lines, with no window. StdCtrls.h describes them; the edit window
// in StdCtrlsEdit.cpp draws and edits through them.
#include <algorithm>
#include <cstring>

#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"

using stdctrls::IsLead;

namespace {

bool IsBlank(char c)
{
  return c == ' ' || c == '\t';
}
bool IsBreak(char c)
{
  return c == '\r' || c == '\n';
}

} // namespace

// ---- TEditText ----

void TEditText::SetText(const AnsiString& Value)
{
  FText = Value;
  FAnchor = FCaret = 0;
}

// A byte below 0x40 is never the trail byte of a double-byte character, so it starts a
// character: the walk forward starts at the nearest such byte before Pos instead of at the
// start of the text.
Integer TEditText::CharStart(Integer Pos) const
{
  Pos = std::clamp(Pos, 0, Length());
  Integer i = Pos;
  while (i > 0 && static_cast<unsigned char>(FText[i - 1]) >= 0x40)
    --i;
  if (i > 0 && FText[i - 1] == '\r')
    --i; // the CR of a pair ending at i-1 .. i
  while (i < Pos) {
    Integer next = NextChar(i);
    if (next > Pos)
      return i;
    i = next;
  }
  return Pos;
}

Integer TEditText::NextChar(Integer Pos) const
{
  Integer n = Length();
  if (Pos >= n)
    return n;
  unsigned char c = static_cast<unsigned char>(FText[Pos]);
  Integer step = 1;
  if (IsLead(c) || (c == '\r' && Pos + 1 < n && FText[Pos + 1] == '\n'))
    step = 2;
  return std::min(Pos + step, n);
}

Integer TEditText::PrevChar(Integer Pos) const
{
  if (Pos <= 0)
    return 0;
  return CharStart(Pos - 1);
}

// A word is a run of non-blank single-byte characters, or one double-byte character; the
// blanks after a word belong to it, as the caret jumps over them to the next word. A line
// break is a stop of its own.
Integer TEditText::NextWord(Integer Pos) const
{
  Integer n = Length();
  if (Pos >= n)
    return n;
  if (IsBreak(FText[Pos]))
    return NextChar(Pos);
  if (IsLead(FText[Pos])) {
    Pos = NextChar(Pos);
  } else {
    while (Pos < n && !IsBlank(FText[Pos]) && !IsBreak(FText[Pos]) && !IsLead(FText[Pos]))
      ++Pos;
  }
  while (Pos < n && IsBlank(FText[Pos]))
    ++Pos;
  return Pos;
}

Integer TEditText::PrevWord(Integer Pos) const
{
  while (Pos > 0 && IsBlank(FText[Pos - 1]))
    --Pos;
  if (Pos == 0)
    return 0;
  Integer start = PrevChar(Pos);
  if (Pos - start == 2 || IsBreak(FText[start]))
    return start;
  while (Pos > 0) {
    Integer prev = PrevChar(Pos);
    if (Pos - prev == 2 || IsBlank(FText[prev]) || IsBreak(FText[prev]))
      break;
    Pos = prev;
  }
  return Pos;
}

void TEditText::WordAt(Integer Pos, Integer& Start, Integer& End) const
{
  Pos = CharStart(Pos);
  Integer n = Length();
  Start = End = Pos;
  if (Pos < n && (IsLead(FText[Pos]) || IsBreak(FText[Pos]))) {
    End = NextChar(Pos);
    return;
  }
  auto wordByte = [this](Integer i) {
    return !IsBlank(FText[i]) && !IsBreak(FText[i]) && !IsLead(FText[i]);
  };
  if (Pos < n && IsBlank(FText[Pos])) {
    while (End < n && IsBlank(FText[End]))
      ++End;
    while (Start > 0 && IsBlank(FText[Start - 1]))
      --Start;
    return;
  }
  while (Start > 0 && PrevChar(Start) == Start - 1 && wordByte(Start - 1))
    --Start;
  while (End < n && wordByte(End))
    ++End;
  // The blanks after a word are selected with it.
  while (End < n && FText[End] == ' ')
    ++End;
}

void TEditText::SetSel(Integer Anchor, Integer Caret)
{
  auto fix = [this](Integer p) { return p < 0 ? Length() : CharStart(std::min(p, Length())); };
  FAnchor = fix(Anchor);
  FCaret = fix(Caret);
}

void TEditText::MoveCaret(Integer Pos, bool Extend)
{
  SetSel(Extend ? FAnchor : Pos, Pos);
}

bool TEditText::ReplaceSel(const AnsiString& Value)
{
  AnsiString insert = Value;
  if (FMaxLength > 0) {
    Integer room = FMaxLength - (Length() - SelLength());
    if (room < static_cast<Integer>(insert.size())) {
      // Cut at a character boundary that fits.
      Integer keep = 0;
      Integer size = static_cast<Integer>(insert.size());
      while (keep < size) {
        Integer step = IsLead(insert[keep]) ||
                               (insert[keep] == '\r' && keep + 1 < size && insert[keep + 1] == '\n')
                           ? 2
                           : 1;
        if (keep + step > room)
          break;
        keep += step;
      }
      insert.resize(static_cast<std::size_t>(std::max(keep, 0)));
    }
  }
  if (insert.empty() && !Value.empty())
    return false;
  Integer start = SelStart();
  FText.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(SelLength()), insert);
  FAnchor = FCaret = start + static_cast<Integer>(insert.size());
  return true;
}

// ---- Line layout ----

namespace {

// Wraps the paragraph [Start, End) of Text (no line breaks inside) into lines no wider
// than Width, appending all but its last line, and returns where the last line starts.
Integer WrapParagraph(const AnsiString& Text, Integer Start, Integer End, Integer Width,
                      const TEditMeasure& Measure, std::vector<TEditLine>& Lines)
{
  const char* t = Text.data();
  bool tabs = std::memchr(t + Start, '\t', static_cast<std::size_t>(End - Start)) != nullptr;
  std::vector<Integer> ext;
  Integer origin = Start; // ext[i] is the x after byte origin + i
  Measure(t + origin, End - origin, 0, ext);
  auto xAt = [&](Integer pos) { return pos == origin ? 0 : ext[pos - origin - 1]; };
  auto next = [&](Integer pos) { return std::min(pos + (IsLead(t[pos]) ? 2 : 1), End); };

  Integer s = Start;
  while (s < End) {
    Integer startX = xAt(s);
    if (xAt(End) - startX <= Width)
      break;
    // The furthest character boundary that fits; a line holds at least one character.
    Integer fit = s;
    Integer lastOpportunity = -1;
    Integer prev = -1; // start of the character before fit
    while (fit < End) {
      Integer n = next(fit);
      if (xAt(n) - startX > Width)
        break;
      prev = fit;
      fit = n;
      if (fit < End) {
        bool afterBlank = IsBlank(t[fit - 1]);
        bool aroundDouble = fit - prev == 2 || IsLead(t[fit]);
        if ((afterBlank || aroundDouble) && !IsBlank(t[fit]))
          lastOpportunity = fit;
      }
    }
    Integer lineEnd;
    if (fit == s) {
      lineEnd = next(s);
      if (lineEnd >= End)
        break;
    } else if (fit < End && IsBlank(t[fit])) {
      // The blanks at the break hang at the end of the line.
      lineEnd = fit;
      while (lineEnd < End && IsBlank(t[lineEnd]))
        ++lineEnd;
      if (lineEnd >= End)
        break;
    } else if (lastOpportunity > s) {
      lineEnd = lastOpportunity;
    } else {
      lineEnd = fit;
    }
    Lines.push_back({s, lineEnd, lineEnd});
    s = lineEnd;
    if (tabs && s < End) {
      // Tab stops count from the start of each line: measure the rest again.
      origin = s;
      Measure(t + origin, End - origin, 0, ext);
    }
  }
  return s;
}

} // namespace

void LayoutEditLines(const AnsiString& Text, Integer Width, const TEditMeasure& Measure,
                     std::vector<TEditLine>& Lines)
{
  Lines.clear();
  Integer n = static_cast<Integer>(Text.size());
  Integer p = 0;
  for (;;) {
    Integer e = p;
    while (e < n && !IsBreak(Text[e]))
      ++e;
    Integer next = e;
    if (e < n)
      next = e + ((Text[e] == '\r' && e + 1 < n && Text[e + 1] == '\n') ? 2 : 1);
    Integer last = p;
    if (Width > 0 && e > p)
      last = WrapParagraph(Text, p, e, Width, Measure, Lines);
    Lines.push_back({last, e, next});
    if (e >= n)
      break;
    p = next;
  }
}
