// The Buttons unit: its start-up and the glyph-and-caption layout its buttons share.
// Buttons<Part>.cpp hold the speed button and the bitmap button; Buttons.h describes them.
#include "platform/ui/Buttons.h"

#include <algorithm>

#include "platform/ui/ButtonsPrivate.h"
#include "platform/ui/StdPaint.h"

namespace {

// A dark pixel of a glyph (it shows in the embossed, disabled picture).
bool IsDark(TColor rgb)
{
  Integer r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return (r * 30 + g * 59 + b * 11) / 100 < 0xC0;
}

void DrawGlyph(TCanvas* Canvas, TBitmap* Glyph, Integer NumGlyphs, TButtonState State, TPoint At)
{
  Integer count = std::max(NumGlyphs, 1);
  Integer w = Glyph->Width() / count, h = Glyph->Height();
  TColor transparent = Glyph->TransparentColor();
  if (State == bsDisabled && count < 2) {
    // Embossed: the dark pixels in highlight, one pixel down and right, under shadow.
    for (TColor color : {ColorToRGB(clBtnHighlight), ColorToRGB(clBtnShadow)}) {
      Integer shift = color == ColorToRGB(clBtnHighlight) ? 1 : 0;
      for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x) {
          TColor p = Glyph->Pixel(x, y);
          if (p != transparent && IsDark(p))
            Canvas->SetPixels(At.X + x + shift, At.Y + y + shift, color);
        }
    }
    return;
  }
  Integer index = static_cast<Integer>(State);
  if (index >= count)
    index = 0;
  Canvas->CopyImage(Bounds(At.X, At.Y, w, h), Glyph->Surface(), Bounds(index * w, 0, w, h),
                    cmSrcCopy, transparent);
}

} // namespace

TRect DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph,
                                Integer NumGlyphs, TButtonState State, const AnsiString& Caption,
                                TButtonLayout Layout, Integer Margin, Integer Spacing,
                                bool ShowAccelChar)
{
  Cardinal format = DT_SINGLELINE | (ShowAccelChar ? 0u : Cardinal(DT_NOPREFIX));
  bool hasGlyph = Glyph && !Glyph->Empty();
  TSize glyph{hasGlyph ? Glyph->Width() / std::max(NumGlyphs, 1) : 0,
              hasGlyph ? Glyph->Height() : 0};
  TSize text{0, 0};
  if (!Caption.empty()) {
    TRect r = Rect(0, 0, Client.Width(), 0);
    Canvas->DrawText(Caption, r, format | DT_CALCRECT);
    text = {r.Width(), r.Height()};
  }
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  Integer cw = Client.Width(), ch = Client.Height();
  TPoint glyphPos, textPos;
  if (horizontal) {
    glyphPos.Y = (ch - glyph.cy + 1) / 2;
    textPos.Y = (ch - text.cy + 1) / 2;
  } else {
    glyphPos.X = (cw - glyph.cx + 1) / 2;
    textPos.X = (cw - text.cx + 1) / 2;
  }
  Integer space = horizontal ? cw : ch;
  Integer glyphSize = horizontal ? glyph.cx : glyph.cy;
  Integer textSize = horizontal ? text.cx : text.cy;
  if (textSize == 0 || glyphSize == 0)
    Spacing = 0;
  if (Margin == -1) {
    if (Spacing == -1) {
      Integer total = glyphSize + textSize;
      Margin = (space - total) / 3;
      Spacing = Margin;
    } else {
      Integer total = glyphSize + Spacing + textSize;
      Margin = (space - total + 1) / 2;
    }
  } else if (Spacing == -1) {
    Integer total = space - (Margin + glyphSize);
    Spacing = textSize == 0 ? total / 2 : (total - textSize) / 2;
  }
  switch (Layout) {
  case blGlyphLeft:
    glyphPos.X = Margin;
    textPos.X = glyphPos.X + glyph.cx + Spacing;
    break;
  case blGlyphRight:
    glyphPos.X = cw - Margin - glyph.cx;
    textPos.X = glyphPos.X - Spacing - text.cx;
    break;
  case blGlyphTop:
    glyphPos.Y = Margin;
    textPos.Y = glyphPos.Y + glyph.cy + Spacing;
    break;
  case blGlyphBottom:
    glyphPos.Y = ch - Margin - glyph.cy;
    textPos.Y = glyphPos.Y - Spacing - text.cy;
    break;
  }
  if (hasGlyph)
    DrawGlyph(Canvas, Glyph, NumGlyphs, State, {Client.Left + glyphPos.X, Client.Top + glyphPos.Y});
  TRect textRect = Bounds(Client.Left + textPos.X, Client.Top + textPos.Y, text.cx, text.cy);
  if (!Caption.empty())
    PaintText(Canvas, Caption, textRect, format | DT_CENTER | DT_VCENTER, State != bsDisabled);
  return textRect;
}

void RegisterButtonsClasses()
{
  buttons::RegisterSpeedButtonClasses();
  buttons::RegisterBitBtnClasses();
}
