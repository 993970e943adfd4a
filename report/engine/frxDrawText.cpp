#include "report/engine/frxDrawText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"

namespace {

constexpr Extended LayoutDpi = 600;
constexpr Extended ReportDpi = 96;
constexpr Extended LayoutPerReport = LayoutDpi / ReportDpi; // 6.25

Integer RoundInt(Extended x)
{
  return static_cast<Integer>(Round(x));
}

unsigned char ByteAt(const AnsiString& s, Integer i)
{
  return static_cast<unsigned char>(s[i - 1]);
}

// Whether byte i (1-based) of s is the trail byte of a double-byte character.
std::vector<bool> TrailBytes(const AnsiString& s)
{
  std::vector<bool> trail(s.size(), false);
  for (size_t i = 0; i < s.size();) {
    if (IsDBCSLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      trail[i + 1] = true;
      i += 2;
    } else
      ++i;
  }
  return trail;
}

// Whether name (upper case, ASCII) stands at 1-based position i of s, letters compared
// without regard to case. Only single-byte characters can match, so a trail byte that
// happens to be a letter never does.
bool NameAt(const AnsiString& s, Integer i, const char* name)
{
  Integer n = static_cast<Integer>(std::strlen(name));
  if (i < 1 || i + n - 1 > static_cast<Integer>(s.size()))
    return false;
  if (ByteType(s, i) == mbTrailByte)
    return false;
  for (Integer k = 0; k < n; ++k) {
    unsigned char c = ByteAt(s, i + k);
    if (c >= 'a' && c <= 'z')
      c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c != static_cast<unsigned char>(name[k]))
      return false;
  }
  return true;
}

char LowerAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

TFontStyle StyleOfLetter(char c)
{
  switch (LowerAscii(c)) {
  case 'b':
    return fsBold;
  case 'i':
    return fsItalic;
  default:
    return fsUnderline;
  }
}

bool IsStyleLetter(char c)
{
  char l = LowerAscii(c);
  return l == 'b' || l == 'i' || l == 'u';
}

// Exact cosine and sine of whole degrees, so the four right angles carry no residue.
void CosSin(Integer degrees, Extended& c, Extended& s)
{
  switch (degrees) {
  case 0:
    c = 1, s = 0;
    return;
  case 90:
    c = 0, s = 1;
    return;
  case 180:
    c = -1, s = 0;
    return;
  case 270:
    c = 0, s = -1;
    return;
  default:
    c = std::cos(degrees * M_PI / 180);
    s = std::sin(degrees * M_PI / 180);
  }
}

Integer SignOf(Integer v)
{
  return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

void (*GMessageProcessor)() = nullptr;
TfrxDrawText* GDrawText = nullptr;

} // namespace

// ---------------------------------------------------------------------------------------
// Tags

TfrxHTMLTagsList::TfrxHTMLTagsList() = default;
TfrxHTMLTagsList::~TfrxHTMLTagsList() = default;

void TfrxHTMLTagsList::Clear()
{
  FLines.clear();
}

void TfrxHTMLTagsList::Reset(TColor defColor, Integer defSize, TFontStyles defStyle)
{
  FDefColor = defColor;
  FDefSize = defSize;
  FDefStyle = defStyle;
  FColor = defColor;
  FSize = defSize;
  FStyle = defStyle;
  FAddY = 0;
  FPosition = 1;
  Clear();
}

void TfrxHTMLTagsList::NewLine()
{
  if (!FLines.empty())
    FLines.push_back(std::make_unique<TfrxHTMLTags>());
}

void TfrxHTMLTagsList::SplitLine(Integer count, bool addHyphen)
{
  if (FLines.empty())
    return;
  TfrxHTMLTags& last = *FLines.back();
  if (count >= last.Count())
    return;
  // The tail moves to the new line whole; only the first count records are copied back.
  auto rest = std::make_unique<TfrxHTMLTags>();
  rest->FItems.swap(last.FItems);
  for (Integer k = 0; k < count; ++k) {
    last.FItems.push_back(rest->FItems.front());
    rest->FItems.pop_front();
  }
  if (addHyphen && count > 0)
    last.Add(last.Items(count - 1));
  FLines.push_back(std::move(rest));
}

const TfrxHTMLTag* TfrxHTMLTagsList::PreviousTag() const
{
  for (auto it = FLines.rbegin(); it != FLines.rend(); ++it)
    if ((*it)->Count() > 0)
      return &(*it)->Items((*it)->Count() - 1);
  return nullptr;
}

void TfrxHTMLTagsList::AddTag()
{
  if (FLines.empty())
    FLines.push_back(std::make_unique<TfrxHTMLTags>());
  TfrxHTMLTag tag;
  tag.Position = FPosition;
  tag.Size = FSize;
  tag.AddY = FAddY;
  tag.Style = FStyle;
  tag.Color = FColor;
  tag.Small = FSize != FDefSize;
  if (!FTagsEnabled)
    tag.Default = true;
  else if (const TfrxHTMLTag* prev = PreviousTag())
    tag.Default = prev->Style == FStyle && prev->Color == FColor && prev->Size == FSize;
  else
    tag.Default = FDefStyle == FStyle && FDefColor == FColor && FDefSize == FSize;
  FLines.back()->Add(tag);
}

void TfrxHTMLTagsList::ParseTags(AnsiString& s)
{
  Integer i = 1;
  while (i <= static_cast<Integer>(s.size())) {
    Integer length = FTagsEnabled && s[i - 1] == '<' ? ApplyTag(s, i) : 0;
    if (length > 0) {
      // A removed tag still counts for the positions; the cursor stays.
      s.erase(i - 1, length);
      FPosition += length;
      continue;
    }
    // A double-byte character is one visible unit with a record per byte.
    Integer n = (IsDBCSLeadByte(ByteAt(s, i)) && i < static_cast<Integer>(s.size())) ? 2 : 1;
    for (Integer k = 0; k < n; ++k) {
      AddTag();
      ++FPosition;
    }
    i += n;
  }
}

Integer TfrxHTMLTagsList::ApplyTag(const AnsiString& s, Integer i)
{
  // s[i] (0-based) is the character after the '<' at position i.
  Integer rest = static_cast<Integer>(s.size()) - i + 1;
  if (rest >= 3 && s[i + 1] == '>') { // <b> <i> <u>
    if (!IsStyleLetter(s[i]))
      return 0;
    FStyle.Include(StyleOfLetter(s[i]));
    return 3;
  }
  if (rest >= 5 && s[i + 3] == '>') {
    // Every five-character tag goes; only <sub> and <sup> mean something.
    if (NameAt(s, i + 1, "SUB>")) {
      FSize = RoundInt(FDefSize / 1.5);
      FAddY = 1;
    } else if (NameAt(s, i + 1, "SUP>")) {
      FSize = RoundInt(FDefSize / 1.5);
      FAddY = 0;
    }
    return 5;
  }
  if (rest >= 2 && LowerAscii(s[i]) == 's') {
    if (!NameAt(s, i + 1, "STRIKE>"))
      return 0;
    FStyle.Include(fsStrikeOut);
    return 8;
  }
  if (rest >= 4 && s[i] == '/' && s[i + 2] == '>') { // </b> </i> </u>
    if (!IsStyleLetter(s[i + 1]))
      return 0;
    FStyle.Exclude(StyleOfLetter(s[i + 1]));
    return 4;
  }
  if (rest >= 2 && s[i] == '/') {
    if (NameAt(s, i + 2, "STRIKE>")) {
      FStyle.Exclude(fsStrikeOut);
      return 9;
    }
    if (NameAt(s, i + 2, "FONT>")) {
      FColor = FDefColor;
      return 7;
    }
    if (NameAt(s, i + 2, "SUB>") || NameAt(s, i + 2, "SUP>")) {
      FSize = FDefSize;
      FAddY = 0;
      return 6;
    }
    return 0;
  }
  if (NameAt(s, i + 1, "FONT COLOR"))
    return ApplyFontColor(s, i);
  return 0;
}

Integer TfrxHTMLTagsList::ApplyFontColor(const AnsiString& s, Integer i)
{
  // The value runs from the first non-blank after the '=' that follows "font color" to
  // the next '>'. Neither character can be a trail byte.
  size_t eq = s.find('=', i + 10);
  size_t close = eq == AnsiString::npos ? AnsiString::npos : s.find('>', eq);
  if (close == AnsiString::npos)
    return 0;
  size_t v = eq + 1;
  while (v < close && s[v] == ' ')
    ++v;
  AnsiString value = s.substr(v, close - v);
  TColor color = clNone;
  if (value.size() > 3 && value[0] == '"' && value[1] == '#' && value.back() == '"') {
    // "#RRGGBB": red first, as on the web; the platform keeps red in the low byte. Digits
    // that are not hexadecimal make the tag an ordinary text, like an unknown colour name.
    Integer rgb;
    if (!TryStrToInt("$" + value.substr(2, value.size() - 3), rgb))
      return 0;
    color = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  } else if (!IdentToColor("cl" + value, color))
    return 0;
  FColor = color;
  return static_cast<Integer>(close) - i + 2;
}

// ---------------------------------------------------------------------------------------
// Layout

TfrxDrawText::TfrxDrawText()
    : FSurface(std::make_unique<TImageSurface>(1, 1)),
      FCanvas(std::make_unique<TCanvas>(FSurface.get()))
{
  FTextRect = Rect(0, 0, 10000, 10000);
  FClipRect = FTextRect;
}

TfrxDrawText::~TfrxDrawText() = default;

void TfrxDrawText::Acquire()
{
  while (FBusy && GMessageProcessor)
    GMessageProcessor();
  FBusy = true;
}

void TfrxDrawText::SelectFont(TFont* font)
{
  FFontSize = font->Size();
  TFont* f = FCanvas->Font();
  if (f->Name() != font->Name())
    f->SetName(font->Name());
  Integer h = -RoundInt(FFontSize * LayoutDpi / 72);
  if (f->Height() != h)
    f->SetHeight(h);
  if (f->Style() != font->Style())
    f->SetStyle(font->Style());
  if (f->Charset() != font->Charset())
    f->SetCharset(font->Charset());
  if (f->Color() != font->Color())
    f->SetColor(font->Color());
}

void TfrxDrawText::SetOptions(bool wordWrap, bool htmlTags, Integer rotation, bool wordBreak,
                              bool rtlReading)
{
  FWordWrap = wordWrap;
  FTags.SetTagsEnabled(htmlTags);
  FRotation = ((rotation % 360) + 360) % 360;
  FWordBreak = wordBreak;
  FRTLReading = rtlReading;
  FOptions = ETO_CLIPPED | (rtlReading ? Cardinal(ETO_RTLREADING) : 0u);
}

void TfrxDrawText::SetSpacing(Extended lineSpacing, Extended charSpacing, Extended paragraphGap)
{
  FLineSpacing = lineSpacing;
  FCharSpacing = charSpacing;
  FParagraphGap = paragraphGap;
}

void TfrxDrawText::SetDimensions(const TRect& textRect, const TRect& clipRect, Extended scaleX,
                                 Extended scaleY)
{
  FTextRect = textRect;
  FClipRect = clipRect;
  FScaleX = scaleX;
  FScaleY = scaleY;
}

Integer TfrxDrawText::LayoutFontHeight() const
{
  return std::abs(FCanvas->Font()->Height());
}

bool TfrxDrawText::IsPrinter(TCanvas* canvas)
{
  return canvas && canvas->Surface() && canvas->Surface()->IsPrinter();
}

Integer TfrxDrawText::CharWidths(const AnsiString& text, std::vector<Integer>& widths,
                                 Integer charSpacing, Integer lineIndex, TCanvas* canvas,
                                 bool cumulative)
{
  Integer n = static_cast<Integer>(text.size());
  widths.assign(n, 0);
  if (n == 0)
    return 0;
  const TfrxHTMLTags* tags =
      lineIndex >= 0 && lineIndex < FTags.Count() ? &FTags.Items(lineIndex) : nullptr;
  Integer tagCount = tags ? tags->Count() : 0;
  if (tagCount > 0 && !tags->Items(0).Default)
    canvas->Font()->SetStyle(tags->Items(0).Style);
  // The extents are cumulative per byte; a trail byte repeats its lead byte's extent, so
  // a double-byte character's width sits on its lead byte.
  std::vector<Integer> extents;
  canvas->GetTextExtentExPoint(text, 0, nullptr, &extents);
  std::vector<bool> trail = TrailBytes(text);
  Integer total = 0;
  for (Integer i = 0; i < n; ++i) {
    if (i > 0 && i < tagCount && !tags->Items(i).Default) {
      canvas->Font()->SetStyle(tags->Items(i).Style);
      canvas->GetTextExtentExPoint(text, 0, nullptr, &extents);
    }
    Integer w = extents[i] - (i > 0 ? extents[i - 1] : 0);
    if (!trail[i])
      w += charSpacing; // spacing once per character
    if (i < tagCount && tags->Items(i).Small)
      w = RoundInt(w / 1.5);
    total += w;
    widths[i] = cumulative ? total : w;
  }
  return total;
}

void TfrxDrawText::WrapText(TStrings* lines)
{
  FText.clear();
  FLines.clear();
  if (!lines || lines->Count() == 0)
    return;
  TFont* font = FCanvas->Font();
  FTags.Reset(font->Color(), FFontSize, font->Style());
  TFontStyles savedStyle = font->Style();
  Integer w = FTextRect.Right - FTextRect.Left;
  if ((FRotation >= 90 && FRotation <= 179) || (FRotation >= 270 && FRotation <= 359))
    w = FTextRect.Bottom - FTextRect.Top;
  for (Integer k = 0; k < lines->Count(); ++k) {
    AnsiString line = lines->Strings(k);
    if (line.empty())
      line = " ";
    FText += line + "\r\n";
    size_t before = FLines.size();
    WrapLine(line, RoundInt(LayoutDpi * w / ReportDpi),
             RoundInt(LayoutDpi * FCharSpacing / ReportDpi),
             RoundInt((w - FParagraphGap) * LayoutDpi / ReportDpi));
    if (FLines.size() > before) {
      FLines[before].Flags =
          FLines.size() - before == 1 ? Integer(lfFirst | lfLast) : Integer(lfFirst);
      if (FLines.size() - before > 1)
        FLines.back().Flags = lfLast;
    }
  }
  font->SetStyle(savedStyle);
}

void TfrxDrawText::WrapLine(AnsiString text, Integer width, Integer charSpacing, Integer firstWidth)
{
  FTags.NewLine();
  FTags.ParseTags(text);
  FTags.SetPosition(FTags.Position() + 2); // the line end
  Integer n = static_cast<Integer>(text.size());
  if (!FWordWrap || n <= 1) {
    FLines.push_back({text, 0});
    return;
  }
  std::vector<Integer> cum;
  Integer total = CharWidths(text, cum, charSpacing, FTags.Count() - 1, FCanvas.get(), true);
  if (total < firstWidth) {
    FLines.push_back({text, 0});
    return;
  }
  std::vector<bool> trail = TrailBytes(text);
  auto cumAt = [&](Integer i) { return i >= 1 ? cum[i - 1] : 0; }; // 1-based
  auto isDouble = [&](Integer i) {
    return i >= 1 && i <= n && (trail[i - 1] || (i < n && trail[i]));
  };

  TBreak b{1, 1, 0};
  Integer base = 0, limit = firstWidth; // only an input line's first line is shortened by the gap
  for (Integer i = 1; i <= n; ++i) {
    if (trail[i - 1])
      continue; // a double-byte character is measured and broken as one unit
    if (text[i - 1] == ' ')
      b.LastBlank = i;
    if (i > b.Start && (isDouble(i) || isDouble(i - 1)))
      b.CjkBreak = i;
    // A lead byte's cumulative width already holds its whole character.
    if (cumAt(i) - base <= limit)
      continue;
    Integer next = BreakLine(text, b, i);
    i = next - 1;
    base = cumAt(i);
    b = {next, next, 0};
    limit = width;
  }
  if (b.Start <= n)
    FLines.push_back({text.substr(b.Start - 1), 0});
}

Integer TfrxDrawText::BreakLine(const AnsiString& text, const TBreak& b, Integer i)
{
  auto sub = [&](Integer from, Integer to) {
    return to >= from ? text.substr(from - 1, to - from + 1) : AnsiString();
  };
  auto add = [&](const AnsiString& line, Integer records, bool hyphen) {
    FLines.push_back({line, 0});
    FTags.SplitLine(records, hyphen);
  };
  Integer start = b.Start, lastBlank = b.LastBlank;
  bool blankSince = lastBlank != start;
  // Before a double-byte character (or after one), unless a blank right before it gives
  // the same break with the blank dropped.
  if (b.CjkBreak > start && (!blankSince || b.CjkBreak > lastBlank + 1)) {
    add(sub(start, b.CjkBreak - 1), b.CjkBreak - start, false);
    return b.CjkBreak;
  }
  if (blankSince) {
    Integer part = FWordBreak ? FindWordBreak(text, lastBlank + 1, i) : 0;
    if (part > 0) {
      add(sub(start, lastBlank + part) + "-", part + lastBlank - start + 1, true);
      return lastBlank + part + 1;
    }
    // The blank ends the line; its record stays with it.
    add(sub(start, lastBlank - 1), lastBlank - start + 1, false);
    return lastBlank + 1;
  }
  if (i == start) { // not even one character fits: it gets a line of its own
    Integer len = CharLength(text, start);
    add(sub(start, start + len - 1), len, false);
    return start + len;
  }
  Integer part = FWordBreak ? FindWordBreak(text, start, i) : 0;
  if (part > 0) {
    add(sub(start, start + part - 1) + "-", part, true);
    return start + part;
  }
  add(sub(start, i - 1), i - start, false); // cut where the word stops fitting
  return i;
}

std::vector<Integer> TfrxDrawText::WordBreakPositions(const AnsiString& word)
{
  static const unsigned char classA[] = {0xC0, 0xC5, 0xA8, 0xC8, 0xCE,
                                         0xD3, 0xDB, 0xDD, 0xDE, 0xDF};
  static const unsigned char classB[] = {0xC1, 0xC2, 0xC3, 0xC4, 0xC6, 0xC7, 0xC9, 0xCA,
                                         0xCB, 0xCC, 0xCD, 0xCF, 0xD0, 0xD1, 0xD2, 0xD4,
                                         0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDC, 0xDA};
  auto inA = [](unsigned char c) {
    return std::find(std::begin(classA), std::end(classA), c) != std::end(classA);
  };
  auto inB = [](unsigned char c) {
    return std::find(std::begin(classB), std::end(classB), c) != std::end(classB);
  };
  auto qualifies = [&](const AnsiString& s) {
    if (s.size() <= 1)
      return false;
    for (char c : s)
      if (inA(static_cast<unsigned char>(c)))
        return true;
    return false;
  };
  std::vector<Integer> result;
  Integer len = static_cast<Integer>(word.size());
  if (len <= 3)
    return result;
  std::vector<bool> trail = TrailBytes(word);
  for (Integer p = 1; p <= len; ++p) {
    unsigned char c = ByteAt(word, p);
    bool hasNext = p < len;
    unsigned char nx = hasNext ? ByteAt(word, p + 1) : 0;
    bool candidate = false;
    if (inB(c))
      candidate = !(hasNext && (inA(nx) || nx == 0xDA || nx == 0xDC));
    else if (inA(c))
      candidate =
          !(hasNext && (nx == 0xC9 || (p < len - 2 && inB(nx) && ByteAt(word, p + 2) == nx &&
                                       inA(ByteAt(word, p + 3)))));
    if (!candidate)
      continue;
    // Never inside a double-byte character.
    if (p < len && trail[p])
      continue;
    if (qualifies(word.substr(0, p)) && qualifies(word.substr(p, 255)))
      result.push_back(p);
  }
  return result;
}

Integer TfrxDrawText::FindWordBreak(const AnsiString& text, Integer start, Integer i) const
{
  Integer end = static_cast<Integer>(text.size());
  for (Integer k = i; k <= end; ++k) {
    char c = text[k - 1];
    if ((c == ' ' || c == '.' || c == ',' || c == '-' || c == ';') &&
        ByteType(text, k) != mbTrailByte) {
      end = k - 1;
      break;
    }
  }
  if (end < start)
    return 0;
  std::vector<Integer> positions =
      WordBreakPositions(AnsiUpperCase(text.substr(start - 1, end - start + 1)));
  Integer fit = i - start;
  Integer best = 0;
  for (Integer b : positions)
    if (b < fit && b > best)
      best = b;
  return best == fit ? 0 : best;
}

// ---------------------------------------------------------------------------------------
// Measures

Extended TfrxDrawText::LineHeight() const
{
  return LayoutFontHeight() / LayoutPerReport + FLineSpacing;
}

Extended TfrxDrawText::TextHeight() const
{
  if (FLines.empty())
    return 0;
  return FLines.size() * LineHeight();
}

Extended TfrxDrawText::TextWidth()
{
  if (FLines.empty())
    return 0;
  Integer best = 0;
  for (const TOutLine& line : FLines) {
    Integer w = FCanvas->TextWidth(line.Text) +
                RoundInt(CharCount(line.Text) * FCharSpacing * LayoutPerReport);
    if (line.Flags & lfFirst)
      w += RoundInt(FParagraphGap * LayoutPerReport);
    best = std::max(best, w);
  }
  return best / LayoutPerReport;
}

Extended TfrxDrawText::UnusedHeight() const
{
  Extended h = LayoutFontHeight() / LayoutPerReport;
  Extended height = FTextRect.Bottom - FTextRect.Top + 1;
  Integer n = static_cast<Integer>(Trunc(height / (h + FLineSpacing)));
  if (n == 0)
    return 0;
  Extended r = height - (h + FLineSpacing) * n;
  return r == 0 ? 0.0001 : r;
}

Integer TfrxDrawText::FittingLineCount() const
{
  Integer n = static_cast<Integer>(Trunc((FTextRect.Bottom - FTextRect.Top + 1) / LineHeight()));
  return std::min(std::max(n, 0), LineCount());
}

AnsiString TfrxDrawText::SplitAtHeight()
{
  if (FLines.empty())
    return "";
  Integer n = FittingLineCount();
  if (n >= FTags.Count())
    return "";
  // The first record of the first line that does not fit (lines holding only a split
  // hyphen have none of their own).
  const TfrxHTMLTag* first = nullptr;
  for (Integer k = n; k < FTags.Count() && !first; ++k)
    if (FTags.Items(k).Count() > 0)
      first = &FTags.Items(k).Items(0);
  if (!first)
    return "";
  FLines.resize(n);
  Integer p = first->Position;
  AnsiString result =
      p - 1 < static_cast<Integer>(FText.size()) ? FText.substr(p - 1) : AnsiString();
  FText.erase(std::min<size_t>(p - 1, FText.size()));
  if (FTags.TagsEnabled()) {
    if (first->Style.Contains(fsBold))
      result = "<b>" + result;
    if (first->Style.Contains(fsItalic))
      result = "<i>" + result;
    if (first->Style.Contains(fsUnderline))
      result = "<u>" + result;
    TColor rgb = ColorToRGB(first->Color);
    result = "<font color=\"#" + IntToHex(Integer(GetRValue(rgb)), 2) +
             IntToHex(Integer(GetGValue(rgb)), 2) + IntToHex(Integer(GetBValue(rgb)), 2) + "\">" +
             result;
  }
  return result;
}

AnsiString TfrxDrawText::StripTags(const AnsiString& text)
{
  // Parsed by a list of its own, so the layout's records stay as they are.
  TfrxHTMLTagsList tags;
  AnsiString s = text;
  tags.ParseTags(s);
  return s;
}

// ---------------------------------------------------------------------------------------
// Drawing

void TfrxDrawText::SpreadUnits(std::vector<Integer>& values, Integer first, Integer last,
                               Integer unit, Integer count)
{
  if (count <= 0 || last < first)
    return;
  Integer n = last - first + 1;
  if (n == 1) {
    values.at(first - 1) += unit * count;
    return;
  }
  Integer half = std::max(n / 2, 1);
  if (count == 1) {
    values.at(first + half - 2) += unit;
    return;
  }
  SpreadUnits(values, first, first + half - 1, unit, count / 2);
  SpreadUnits(values, first + half, last, unit, count - count / 2);
}

Integer TfrxDrawText::DeviceFontHeight(TCanvas* canvas, Integer size) const
{
  // Printers size every run from their vertical resolution, like the lines.
  if (FPrinter)
    return -RoundInt(canvas->GetDeviceCaps(LOGPIXELSY) * size / 72.0);
  return -RoundInt(size * FScaleY * 96 / 72);
}

void TfrxDrawText::SelectRotatedFont(TCanvas* canvas)
{
  canvas->Font()->SetOrientation(FRotation * 10);
}

void TfrxDrawText::DrawText(TCanvas* canvas, TfrxHAlign hAlign, TfrxVAlign vAlign)
{
  if (FLines.empty() || FTags.Count() == 0)
    return;
  FPrinter = IsPrinter(canvas);
  Integer n = LineCount();
  TFont* font = canvas->Font();
  font->Assign(FCanvas->Font());
  font->SetHeight(DeviceFontHeight(canvas, FFontSize));
  font->SetOrientation(0);
  const TfrxHTMLTags& firstTags = FTags.Items(0);
  if (firstTags.Count() > 0 && !firstTags.Items(0).Default) {
    const TfrxHTMLTag& t = firstTags.Items(0);
    font->SetStyle(t.Style);
    font->SetColor(t.Color);
    font->SetHeight(DeviceFontHeight(canvas, t.Size));
  }
  if (FRotation != 0)
    SelectRotatedFont(canvas);

  // The block's height on the device, from the layout, and how much the device's own
  // line heights miss it.
  Integer dh = std::abs(font->Height());
  Integer lh = LayoutFontHeight();
  Integer total;
  if (FPrinter) {
    Extended f = LayoutDpi / canvas->GetDeviceCaps(LOGPIXELSY);
    total = RoundInt((FLineSpacing * FScaleY * f * n + lh * n) / f);
  } else
    total = RoundInt((FLineSpacing * LayoutPerReport * n + lh * n) / LayoutPerReport * FScaleY);
  Integer correction = total - n * (dh + RoundInt(FLineSpacing * FScaleY));

  TOrigin o = LayoutOrigin(total, vAlign);
  std::vector<Integer> advances(std::max(n - 1, 0), RoundInt(FLineSpacing * FScaleY) + dh);
  Spread(advances, correction);

  canvas->SetBkMode(TRANSPARENT);
  Integer x = o.X, y = o.Y;
  for (Integer j = 0; j < n; ++j) {
    Integer indent = 0;
    TfrxHAlign align = hAlign;
    if ((FLines[j].Flags & lfFirst) && (hAlign == haLeft || hAlign == haBlock))
      indent = RoundInt(FParagraphGap * FScaleX);
    // The last line of a justified paragraph is not stretched.
    if ((FLines[j].Flags & lfLast) && hAlign == haBlock)
      align = FRTLReading ? haRight : haLeft;
    DrawLine(canvas, FLines[j].Text, align, j, o.Width - indent, y, x + indent);
    if (j < n - 1) {
      y += RoundInt(advances[j] * o.Cos);
      x += RoundInt(advances[j] * o.Sin);
    }
  }
  font->SetOrientation(0);
}

TfrxDrawText::TOrigin TfrxDrawText::LayoutOrigin(Integer total, TfrxVAlign vAlign) const
{
  TOrigin o;
  CosSin(FRotation, o.Cos, o.Sin);
  Extended a = std::abs(o.Sin), c = std::abs(o.Cos);
  Integer left = FClipRect.Left, top = FClipRect.Top, right = FClipRect.Right,
          bottom = FClipRect.Bottom;
  // Oblique lines are as long as the width allows beside the block's own extent.
  auto obliqueWidth = [&] { return RoundInt((right - left - a * total) / c); };
  Integer r = FRotation, room = 0; // room: the extent the block may move in
  if (r == 0) {
    o.X = left, o.Y = top, o.Width = right - left, room = bottom - top;
  } else if (r < 90) {
    o.Width = obliqueWidth();
    o.X = left;
    o.Y = top + RoundInt(a * o.Width);
    room = total + bottom - o.Y - RoundInt(c * total);
  } else if (r == 90) {
    o.X = left, o.Y = bottom, o.Width = bottom - top, room = right - left;
  } else if (r < 180) {
    o.Width = obliqueWidth();
    o.X = left + RoundInt(c * o.Width);
    o.Y = bottom;
    room = total + bottom - top - RoundInt(c * total + a * o.Width);
  } else if (r == 180) {
    o.X = right, o.Y = bottom, o.Width = right - left, room = bottom - top;
  } else if (r < 270) {
    o.Width = obliqueWidth();
    o.X = right;
    o.Y = bottom - RoundInt(a * o.Width);
    room = total + o.Y - top - RoundInt(c * total);
  } else if (r == 270) {
    o.X = right, o.Y = top, o.Width = bottom - top, room = right - left;
  } else {
    o.Width = obliqueWidth();
    o.X = left + RoundInt(a * total);
    o.Y = top;
    room = total + bottom - top - RoundInt(a * o.Width + c * total);
  }
  // Oblique blocks move straight down (or up, when upside down) for the alignment.
  Extended dc = o.Cos, ds = o.Sin;
  if (r % 90 != 0) {
    dc = (r > 90 && r < 270) ? -1 : 1;
    ds = 0;
  }
  Extended free = room - total;
  if (vAlign == vaBottom) {
    o.X += RoundInt(free * ds);
    o.Y += RoundInt(free * dc);
  } else if (vAlign == vaCenter) {
    o.X += RoundInt(free * ds / 2);
    o.Y += RoundInt(free * dc / 2);
  }
  return o;
}

void TfrxDrawText::Spread(std::vector<Integer>& values, Integer difference)
{
  Integer count = static_cast<Integer>(values.size());
  if (count == 0 || difference == 0)
    return;
  Integer s = SignOf(difference), mag = std::abs(difference);
  if (mag >= count) {
    Integer each = mag / count;
    for (Integer& v : values)
      v += s * each;
    mag -= each * count;
  }
  SpreadUnits(values, 1, count, s, mag);
}

void TfrxDrawText::DrawLine(TCanvas* canvas, const AnsiString& line, TfrxHAlign align,
                            Integer index, Integer width, Integer y, Integer x)
{
  if (line.empty())
    return;
  Extended cs, sn;
  CosSin(FRotation, cs, sn);
  TFont* font = canvas->Font();
  FTags.SetDefaultStyle(font->Style());
  FCanvas->Font()->SetStyle(font->Style());
  TFontStyles saved = font->Style();
  // Measured at the line's base size (small characters are measured at it and scaled),
  // whatever size the previous run left on the canvas.
  Integer savedHeight = font->Height();
  font->SetHeight(DeviceFontHeight(canvas, FFontSize));
  std::vector<Integer> layoutWidths, widths;
  Integer lw = CharWidths(line, layoutWidths, RoundInt(LayoutDpi * FCharSpacing / ReportDpi), index,
                          FCanvas.get(), false);
  Integer dw = CharWidths(line, widths, RoundInt(FCharSpacing * FScaleX), index, canvas, false);
  font->SetStyle(saved);
  font->SetHeight(savedHeight);
  if (FTags.TagsEnabled() && FRotation != 0)
    SelectRotatedFont(canvas);

  // The line's width on the device, from the layout.
  Integer m = FPrinter ? RoundInt(lw / (LayoutDpi / canvas->GetDeviceCaps(LOGPIXELSX)))
                       : RoundInt(lw / LayoutPerReport * FScaleX);
  Extended u = 0;
  if (align == haRight)
    u = width - m + 1;
  else if (align == haCenter)
    u = (width - m) / 2.0;
  if (u != 0) {
    y -= RoundInt(sn * u);
    x += RoundInt(cs * u);
  }
  if (!(align == haBlock && Justify(line, widths, std::abs(width) - dw)))
    Spread(widths, m - dw);
  // A double-byte character advances by the sum of its two entries; keep it on the lead.
  std::vector<bool> trail = TrailBytes(line);
  for (size_t i = 1; i < line.size(); ++i)
    if (trail[i]) {
      widths[i - 1] += widths[i];
      widths[i] = 0;
    }
  DrawRuns(canvas, line, index, widths, x, y);
}

bool TfrxDrawText::Justify(const AnsiString& line, std::vector<Integer>& widths, Integer free)
{
  std::vector<bool> trail = TrailBytes(line);
  std::vector<Integer> blanks;
  Integer count = static_cast<Integer>(line.size());
  for (Integer i = 0; i < count; ++i) {
    unsigned char ch = static_cast<unsigned char>(line[i]);
    // 0xA0 is a blank only as a character of its own, not as the lead byte of one
    if (ch == 32 || (ch == 160 && (i + 1 >= count || !trail[i + 1])))
      blanks.push_back(i);
  }
  if (blanks.empty())
    return false;
  Integer k = static_cast<Integer>(blanks.size());
  Integer s = SignOf(free), mag = std::abs(free);
  for (Integer b : blanks)
    widths[b] += s * (mag / k);
  // The remainder plus one, as far as there are blanks: a justified line ends one pixel
  // beyond its width, as a right-aligned one does.
  Integer extra = std::min(mag % k + 1, k);
  for (Integer b = 0; b < extra; ++b)
    widths[blanks[b]] += s;
  return true;
}

void TfrxDrawText::DrawRuns(TCanvas* canvas, const AnsiString& line, Integer index,
                            const std::vector<Integer>& widths, Integer x, Integer y)
{
  Extended cs, sn;
  CosSin(FRotation, cs, sn);
  TFont* font = canvas->Font();
  Integer count = static_cast<Integer>(line.size());
  const TfrxHTMLTags* tags = index < FTags.Count() ? &FTags.Items(index) : nullptr;
  Integer tagCount = tags ? tags->Count() : 0;
  auto applyFormat = [&](const TfrxHTMLTag& t) {
    font->SetHeight(DeviceFontHeight(canvas, t.Size));
    font->SetStyle(t.Style);
    font->SetColor(t.Color);
    if (FRotation != 0)
      SelectRotatedFont(canvas);
  };
  // A line that starts with a change of format starts with that format.
  if (tagCount > 0 && !tags->Items(0).Default)
    applyFormat(tags->Items(0));
  Integer shift = tagCount > 0 ? RoundInt(tags->Items(0).AddY * tags->Items(0).Size * FScaleY) : 0;
  // Each run goes out in one call with its advances; a run ends where the format changes.
  for (Integer w = 0; w < count;) {
    Integer i = w + 1;
    while (i < count && !(i < tagCount && !tags->Items(i).Default))
      ++i;
    canvas->ExtTextOut(x + RoundInt(sn * shift), y + RoundInt(cs * shift), FOptions, &FClipRect,
                       line.substr(w, i - w), &widths[w]);
    if (i >= count)
      break;
    const TfrxHTMLTag& t = tags->Items(i);
    applyFormat(t);
    Integer h = 0;
    for (Integer k = w; k < i; ++k)
      h += widths[k];
    y -= RoundInt(sn * h);
    x += RoundInt(cs * h);
    shift = RoundInt(t.AddY * t.Size * FScaleY);
    w = i;
  }
}

// ---------------------------------------------------------------------------------------

TfrxDrawText* frxDrawText()
{
  if (!GDrawText)
    GDrawText = new TfrxDrawText;
  return GDrawText;
}

void FreeGlobalDrawText()
{
  delete GDrawText;
  GDrawText = nullptr;
}

void SetDrawTextMessageProcessor(void (*processor)())
{
  GMessageProcessor = processor;
}
