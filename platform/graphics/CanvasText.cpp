// TCanvas text: output with explicit advances, measuring in GBK bytes, and DrawText's own
// line breaking, so that measuring (DT_CALCRECT) and drawing lay out the same lines. The
// text engines behind it are in TextEngine.h.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Math.h"

namespace {

inline bool IsLead(char c)
{
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x81 && b != 0xFF;
}

inline size_t CharLen(const AnsiString& s, size_t i)
{
  return IsLead(s[i]) && i + 1 < s.size() ? 2 : 1;
}

inline Integer RoundPx(double v)
{
  return static_cast<Integer>(std::floor(v + 0.5));
}

// Start offsets of every byte's character from the run's origin (trail bytes repeat
// their lead's) and the total advance.
double Offsets(const AnsiString& text, const std::vector<double>& advances,
               std::vector<double>& offsets)
{
  offsets.assign(text.size(), 0);
  double x = 0;
  for (size_t i = 0; i < text.size();) {
    size_t n = CharLen(text, i);
    for (size_t k = 0; k < n; ++k)
      offsets[i + k] = x;
    x += advances[i];
    i += n;
  }
  return x;
}

struct TLine {
  AnsiString Text;
  Integer Underline = -1; // byte index of the prefixed character, or -1
};

} // namespace

bool CanBreakLineBefore(const AnsiString& text, size_t p, size_t prevStart)
{
  if (p == 0 || p >= text.size() || prevStart >= p)
    return false;
  return text[p] == ' ' || text[p - 1] == ' ' || IsLead(text[p]) || IsLead(text[prevStart]);
}

TFontSpec TCanvas::DeviceFont() const
{
  TFontSpec f;
  f.Name = FFont->Name();
  f.Style = FFont->Style();
  f.Pitch = FFont->Pitch();
  f.Charset = FFont->Charset();
  f.Orientation = FFont->Orientation();
  Integer h = FFont->Height();
  if (h == 0)
    h = -MulDiv(9, FSurface ? FSurface->PixelsPerInch() : ScreenPixelsPerInch, 72);
  if (h < 0) {
    f.EmHeight = -h;
    return f;
  }
  // A positive height is the cell height: the em is what remains without the leading.
  f.EmHeight = h;
  TTextMetric m = TextEngine().Metrics(f);
  if (m.tmHeight > 0)
    f.EmHeight = double(h) * h / m.tmHeight;
  return f;
}

TOutlineTextMetric TTextEngine::OutlineMetrics(const TFontSpec& font)
{
  TTextMetric m = Metrics(font);
  TOutlineTextMetric o;
  o.otmTextMetrics = m;
  o.otmEMSquare = RoundPx(font.EmHeight);
  if (font.Style.Contains(fsItalic)) {
    o.otmsCharSlopeRise = 5;
    o.otmsCharSlopeRun = 1;
    o.otmItalicAngle = -113;
  }
  o.otmAscent = m.tmAscent;
  o.otmDescent = -m.tmDescent;
  o.otmLineGap = m.tmExternalLeading;
  o.otmsCapEmHeight = RoundPx(m.tmAscent * 0.7);
  o.otmsXHeight = RoundPx(m.tmAscent * 0.5);
  o.otmrcFontBox = Rect(0, m.tmAscent, m.tmMaxCharWidth, -m.tmDescent);
  o.otmsUnderscoreSize = o.otmsStrikeoutSize = std::max<Integer>(1, RoundPx(font.EmHeight / 16));
  o.otmsUnderscorePosition = -std::max<Integer>(1, m.tmDescent / 3);
  o.otmsStrikeoutPosition = RoundPx(m.tmAscent * 0.3);
  return o;
}

TFontSpec LayoutFontSpec(const TFont& font)
{
  TFontSpec f;
  f.Name = font.Name();
  f.Style = font.Style();
  f.Pitch = font.Pitch();
  f.Charset = font.Charset();
  f.Orientation = font.Orientation();
  f.EmHeight = std::floor(std::abs(font.Size()) * double(LayoutPixelsPerInch) / 72 + 0.5);
  return f;
}

TTextMetric TCanvas::GetTextMetrics()
{
  return TextEngine().Metrics(DeviceFont());
}

TOutlineTextMetric TCanvas::GetOutlineTextMetrics()
{
  return TextEngine().OutlineMetrics(DeviceFont());
}

TSize TCanvas::TextExtent(const AnsiString& text)
{
  TFontSpec font = DeviceFont();
  std::vector<double> adv, offsets;
  TextEngine().Advances(font, text, adv);
  double total = Offsets(text, adv, offsets);
  return {RoundPx(total), TextEngine().Metrics(font).tmHeight};
}

TSize TCanvas::GetTextExtentExPoint(const AnsiString& text, Integer maxExtent, Integer* fit,
                                    std::vector<Integer>* extents)
{
  TFontSpec font = DeviceFont();
  std::vector<double> adv;
  TextEngine().Advances(font, text, adv);
  if (extents)
    extents->assign(text.size(), 0);
  double x = 0;
  Integer fitting = 0;
  for (size_t i = 0; i < text.size();) {
    size_t n = CharLen(text, i);
    x += adv[i];
    Integer e = RoundPx(x);
    for (size_t k = 0; k < n; ++k)
      if (extents)
        (*extents)[i + k] = e;
    if (e <= maxExtent && fitting == static_cast<Integer>(i))
      fitting = static_cast<Integer>(i + n);
    i += n;
  }
  if (fit)
    *fit = fitting;
  return {RoundPx(x), TextEngine().Metrics(font).tmHeight};
}

namespace {

// Fills the band u0 <= u < u1, v0 <= v < v1 of a text frame whose origin is the device
// point origin and whose u axis runs along the text, turned by orientation (tenths of a
// degree, counter-clockwise): frame point (u, v) lands at
// (x + u cos a + v sin a, y - u sin a + v cos a).
void FillTextBand(TSurface& surface, TPoint origin, Integer orientation, double u0, double u1,
                  double v0, double v1, TColor rgb, const TGc& gc)
{
  if (orientation % 3600 == 0) {
    TRect r = Rect(origin.X + RoundPx(u0), origin.Y + RoundPx(v0), origin.X + RoundPx(u1),
                   origin.Y + RoundPx(v1));
    surface.FillArea(TRegion(r), TFill::Solid(rgb), gc);
    return;
  }
  double a = orientation * M_PI / 1800.0, c = std::cos(a), sn = std::sin(a);
  TSurfaceShape band;
  band.Kind = TSurfaceShape::skPolygon;
  for (auto [u, v] : {std::pair<double, double>{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}})
    band.Points.push_back(
        Point(RoundPx(origin.X + u * c + v * sn), RoundPx(origin.Y - u * sn + v * c)));
  band.Box = TRegion::Polygon(band.Points.data(), 4).Bounds();
  surface.FillShape(band, TFill::Solid(rgb), gc);
}

} // namespace

void TCanvas::DrawTextRun(Integer x, Integer y, const AnsiString& text,
                          const std::vector<double>& offsets, double width, const TRect* opaque,
                          const TRect* clip, TTextBackground background)
{
  TSurface& surface = RequireSurface();
  TRegion clipArea;
  const TRegion* clipPtr = FClip.get();
  if (clip) {
    TRegion r(ToDevice(*clip));
    clipArea = FClip ? FClip->Combine(r, RGN_AND) : r;
    clipPtr = &clipArea;
  }
  TGc gc = MakeGc(R2_COPYPEN);
  gc.Clip = clipPtr;
  TFontSpec font = DeviceFont();
  TPoint d = ToDevice(Point(x, y));
  if (opaque && !IsRectEmpty(*opaque)) {
    TColor back = ColorToRGB(FBkColorOverride != clNone ? FBkColorOverride : FBrush->Color());
    if (background == tbTextCell) // the cell turns with the text
      FillTextBand(surface, d, font.Orientation, 0, opaque->Width(), 0, opaque->Height(), back, gc);
    else
      surface.FillArea(TRegion(ToDevice(*opaque)), TFill::Solid(back), gc);
  }
  if (text.empty())
    return;
  TColor color = ColorToRGB(FFont->Color());
  TTextRun run;
  run.Font = font;
  run.X = d.X;
  run.Y = d.Y;
  run.Text = text;
  run.Offsets = offsets;
  run.Width = width;
  run.Height = TextEngine().Metrics(font).tmHeight;
  run.Color = color;
  if (!surface.ShowText(run, clipPtr))
    TextEngine().Draw(surface, font, d.X, d.Y, text, offsets, color, clipPtr);
  if (!(font.Style.Contains(fsUnderline) || font.Style.Contains(fsStrikeOut)))
    return;
  // Underline and strike-out lines from the font's outline metrics, turned with the text
  // about its start point.
  TOutlineTextMetric m = TextEngine().OutlineMetrics(font);
  Integer ascent = m.otmTextMetrics.tmAscent;
  double length = RoundPx(width);
  auto line = [&](Integer top, Integer thickness) {
    FillTextBand(surface, d, font.Orientation, 0, length, top, top + thickness, color, gc);
  };
  if (font.Style.Contains(fsUnderline))
    line(ascent - m.otmsUnderscorePosition, std::max<Integer>(1, m.otmsUnderscoreSize));
  if (font.Style.Contains(fsStrikeOut))
    line(ascent - m.otmsStrikeoutPosition, std::max<Integer>(1, m.otmsStrikeoutSize));
}

void TCanvas::ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect,
                         const AnsiString& text, const Integer* dx)
{
  RequireSurface();
  TFontSpec font = DeviceFont();
  std::vector<double> adv, offsets;
  if (dx) {
    adv.assign(text.size(), 0);
    for (size_t i = 0; i < text.size();) {
      size_t n = CharLen(text, i);
      adv[i] = dx[i] + (n == 2 ? dx[i + 1] : 0);
      i += n;
    }
  } else {
    TextEngine().Advances(font, text, adv);
    if (FJustifyBreaks > 0) {
      Integer blank = 0;
      for (size_t i = 0; i < text.size(); i += CharLen(text, i))
        if (text[i] == ' ') {
          adv[i] +=
              FJustifyExtra / FJustifyBreaks + (blank < FJustifyExtra % FJustifyBreaks ? 1 : 0);
          ++blank;
        }
    }
  }
  double total = Offsets(text, adv, offsets);
  TRect cell;
  const TRect* opaque = nullptr;
  TTextBackground background = tbRect;
  if ((options & ETO_OPAQUE) && rect) {
    opaque = rect;
  } else if (BkMode() == OPAQUE) {
    cell = Rect(x, y, x + RoundPx(total), y + TextEngine().Metrics(font).tmHeight);
    opaque = &cell;
    background = tbTextCell;
  }
  DrawTextRun(x, y, text, offsets, total, opaque, (options & ETO_CLIPPED) && rect ? rect : nullptr,
              background);
}

void TCanvas::SetTextJustification(Integer extra, Integer breaks)
{
  FJustifyExtra = breaks > 0 ? std::max<Integer>(0, extra) : 0;
  FJustifyBreaks = std::max<Integer>(0, breaks);
}

double TCanvas::TabbedAdvances(const AnsiString& text, const std::vector<Integer>& tabStops,
                               Integer startX, std::vector<double>& adv)
{
  TFontSpec font = DeviceFont();
  TextEngine().Advances(font, text, adv);
  Integer interval = 8 * std::max<Integer>(1, TextEngine().Metrics(font).tmAveCharWidth);
  double x = startX;
  for (size_t i = 0; i < text.size(); i += CharLen(text, i)) {
    if (text[i] != '\t') {
      x += adv[i];
      continue;
    }
    double next = -1;
    if (tabStops.size() == 1 && tabStops[0] > 0) {
      next = (std::floor(x / tabStops[0]) + 1) * tabStops[0];
    } else {
      for (Integer stop : tabStops)
        if (stop > x + 1e-9) {
          next = stop;
          break;
        }
    }
    if (next < 0)
      next = (std::floor(x / interval) + 1) * interval;
    adv[i] = next - x;
    x = next;
  }
  return x - startX;
}

TSize TCanvas::GetTabbedTextExtent(const AnsiString& text, const std::vector<Integer>& tabStops)
{
  std::vector<double> adv;
  double width = TabbedAdvances(text, tabStops, 0, adv);
  return {RoundPx(width), GetTextMetrics().tmHeight};
}

TSize TCanvas::TabbedTextOut(Integer x, Integer y, const AnsiString& text,
                             const std::vector<Integer>& tabStops, Integer tabOrigin)
{
  RequireSurface();
  std::vector<double> adv, offsets;
  double width = TabbedAdvances(text, tabStops, x - tabOrigin, adv);
  Offsets(text, adv, offsets);
  AnsiString shown = text;
  for (char& c : shown)
    if (c == '\t')
      c = ' ';
  Integer height = GetTextMetrics().tmHeight;
  TRect cell = Rect(x, y, x + RoundPx(width), y + height);
  DrawTextRun(x, y, shown, offsets, width, BkMode() == OPAQUE ? &cell : nullptr, nullptr,
              tbTextCell);
  return {RoundPx(width), height};
}

void TCanvas::TextOut(Integer x, Integer y, const AnsiString& text)
{
  ExtTextOut(x, y, 0, nullptr, text, nullptr);
  FPenPos = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& rect, Integer x, Integer y, const AnsiString& text)
{
  Cardinal options = ETO_CLIPPED;
  if (FBrush->Style() != bsClear)
    options |= ETO_OPAQUE;
  ExtTextOut(x, y, options, &rect, text, nullptr);
}

// ---------------------------------------------------------------------------------------
// DrawText

namespace {

class TLayout {
public:
  TLayout(TTextEngine& engine, const TFontSpec& font) : FEngine(engine), FFont(font) {}

  double Width(const AnsiString& s)
  {
    std::vector<double> adv, offsets;
    FEngine.Advances(FFont, s, adv);
    return Offsets(s, adv, offsets);
  }
  void Advances(const AnsiString& s, std::vector<double>& adv) { FEngine.Advances(FFont, s, adv); }

private:
  TTextEngine& FEngine;
  TFontSpec FFont;
};

// Removes '&' prefixes ("&&" stays one '&') and expands tabs to every tabColumns-th column.
AnsiString Prepare(const AnsiString& text, Cardinal format, Integer tabColumns, Integer& underline)
{
  AnsiString out;
  underline = -1;
  Integer column = 0;
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == '&' && !(format & DT_NOPREFIX)) {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++column;
        i += 2;
        continue;
      }
      if (i + 1 < text.size())
        underline = static_cast<Integer>(out.size());
      ++i;
      continue;
    }
    if (c == '\t' && (format & DT_EXPANDTABS)) {
      do {
        out += ' ';
        ++column;
      } while (column % tabColumns != 0);
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n')
      column = 0;
    else
      ++column;
    size_t n = CharLen(text, i);
    out.append(text, i, n);
    i += n;
  }
  return out;
}

// Splits one paragraph into lines no wider than limit.
void BreakParagraph(TLayout& layout, const AnsiString& s, size_t from, size_t to, double limit,
                    bool charBreak, std::vector<std::pair<size_t, size_t>>& lines)
{
  std::vector<double> adv;
  AnsiString para = s.substr(from, to - from);
  layout.Advances(para, adv);
  size_t pos = 0, n = para.size();
  while (true) {
    double x = 0;
    size_t i = pos;
    std::vector<size_t> starts;
    while (i < n) {
      size_t cl = CharLen(para, i);
      if (x + adv[i] > limit + 1e-9 && i > pos)
        break;
      x += adv[i];
      starts.push_back(i);
      i += cl;
    }
    if (i >= n) {
      lines.push_back({from + pos, from + n});
      return;
    }
    // Last break opportunity at or before i.
    size_t cut = 0;
    for (size_t k = starts.size(); k-- > 1;)
      if (CanBreakLineBefore(para, starts[k], starts[k - 1])) {
        cut = starts[k];
        break;
      }
    if (CanBreakLineBefore(para, i, starts.back()))
      cut = i;
    if (cut == 0) {
      if (charBreak) {
        cut = i;
      } else {
        // A word longer than the line stays whole and runs over, up to its next break
        // opportunity (a blank or a double-byte character).
        size_t prev = starts.back();
        for (size_t k = i; k < n; k += CharLen(para, k)) {
          if (CanBreakLineBefore(para, k, prev)) {
            cut = k;
            break;
          }
          prev = k;
        }
        if (cut == 0) {
          lines.push_back({from + pos, from + n});
          return;
        }
      }
    }
    size_t end = cut;
    while (end > pos && para[end - 1] == ' ')
      --end;
    lines.push_back({from + pos, from + end});
    pos = cut;
    while (pos < n && para[pos] == ' ')
      ++pos;
    if (pos >= n)
      return;
  }
}

// Cuts a line to fit limit with "..." at its end, or in the middle of a path (keeping the
// part after the last backslash).
AnsiString Ellipsis(TLayout& layout, const AnsiString& line, double limit, bool path)
{
  if (layout.Width(line) <= limit + 1e-9)
    return line;
  AnsiString tail;
  AnsiString head = line;
  if (path) {
    size_t slash = line.rfind('\\');
    if (slash != AnsiString::npos && slash > 0) {
      tail = line.substr(slash);
      head = line.substr(0, slash);
    }
  }
  std::vector<size_t> starts;
  for (size_t i = 0; i < head.size(); i += CharLen(head, i))
    starts.push_back(i);
  for (size_t k = starts.size(); k-- > 0;) {
    AnsiString candidate = head.substr(0, starts[k]) + "..." + tail;
    if (layout.Width(candidate) <= limit + 1e-9 || k == 0)
      return candidate;
  }
  return "..." + tail;
}

} // namespace

Integer TCanvas::DrawText(const AnsiString& text, TRect& rect, Cardinal format)
{
  return LayoutText(text, rect, format, 8);
}

Integer TCanvas::DrawTextEx(const AnsiString& text, TRect& rect, Cardinal format,
                            TDrawTextParams* params)
{
  if (!params)
    return LayoutText(text, rect, format, 8);
  TRect inner = rect;
  inner.Left += params->iLeftMargin;
  inner.Right -= params->iRightMargin;
  Integer height = LayoutText(text, inner, format, params->iTabLength > 0 ? params->iTabLength : 8);
  if (format & DT_CALCRECT) {
    rect.Right = inner.Right + params->iRightMargin;
    rect.Bottom = inner.Bottom;
  }
  params->uiLengthDrawn = static_cast<Integer>(text.size());
  return height;
}

Integer TCanvas::LayoutText(const AnsiString& text, TRect& rect, Cardinal format,
                            Integer tabColumns)
{
  TFontSpec font = DeviceFont();
  TLayout layout(TextEngine(), font);
  TTextMetric m = TextEngine().Metrics(font);
  Integer lineHeight = m.tmHeight;
  Integer underline;
  AnsiString s = Prepare(text, format, tabColumns, underline);

  // Lines as byte ranges of s.
  std::vector<std::pair<size_t, size_t>> ranges;
  bool single = format & DT_SINGLELINE;
  double limit = rect.Width();
  size_t start = 0;
  for (size_t i = 0; i <= s.size();) {
    bool end = i == s.size();
    bool hard = !end && !single && (s[i] == '\r' || s[i] == '\n');
    if (!end && !hard) {
      i += CharLen(s, i);
      continue;
    }
    if ((format & DT_WORDBREAK) && !single)
      BreakParagraph(layout, s, start, i, limit, format & DT_EDITCONTROL, ranges);
    else
      ranges.push_back({start, i});
    if (end)
      break;
    i += (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
    start = i;
  }

  std::vector<TLine> lines;
  for (auto [a, b] : ranges) {
    TLine line;
    line.Text = s.substr(a, b - a);
    if (underline >= static_cast<Integer>(a) && underline < static_cast<Integer>(b))
      line.Underline = underline - static_cast<Integer>(a);
    if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) {
      AnsiString cut = Ellipsis(layout, line.Text, limit, format & DT_PATH_ELLIPSIS);
      if (cut != line.Text) {
        line.Text = cut;
        line.Underline = -1;
      }
    }
    lines.push_back(line);
  }

  Integer height = lineHeight * static_cast<Integer>(lines.size());
  if (format & DT_CALCRECT) {
    double widest = 0;
    for (const TLine& line : lines)
      widest = std::max(widest, layout.Width(line.Text));
    rect.Right = rect.Left + RoundPx(widest);
    rect.Bottom = rect.Top + height;
    return height;
  }

  RequireSurface();
  Integer y = rect.Top;
  if (single && (format & DT_VCENTER))
    y = rect.Top + (rect.Height() - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM))
    y = rect.Bottom - lineHeight;
  const TRect* clip = (format & DT_NOCLIP) ? nullptr : &rect;
  for (const TLine& line : lines) {
    std::vector<double> adv, offsets;
    layout.Advances(line.Text, adv);
    double width = Offsets(line.Text, adv, offsets);
    Integer w = RoundPx(width);
    Integer x = rect.Left;
    if (format & DT_CENTER)
      x = rect.Left + (rect.Width() - w) / 2;
    else if (format & DT_RIGHT)
      x = rect.Right - w;
    TRect cell = Rect(x, y, x + w, y + lineHeight);
    DrawTextRun(x, y, line.Text, offsets, width, BkMode() == OPAQUE ? &cell : nullptr, clip,
                tbTextCell);
    if (line.Underline >= 0) {
      Integer ux = x + RoundPx(offsets[line.Underline]);
      Integer uw = std::max<Integer>(1, RoundPx(adv[line.Underline]));
      TGc gc = MakeGc(R2_COPYPEN);
      TRegion area(ToDevice(Rect(ux, y + m.tmAscent + 1, ux + uw, y + m.tmAscent + 2)));
      if (clip)
        area = area.Intersect(ToDevice(*clip));
      FSurface->FillArea(area, TFill::Solid(ColorToRGB(FFont->Color())), gc);
    }
    y += lineHeight;
  }
  return height;
}
