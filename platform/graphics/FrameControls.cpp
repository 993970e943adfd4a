// DrawFrameControl: the classic look of check boxes, radio buttons, push buttons, scroll
// arrows, size grips, caption buttons and menu glyphs, at any size, with the system
// colours. Bevels come from DrawEdge (Canvas.cpp); the theme service (Themes.h) draws its
// parts with both. See Graphics.h.
#include <algorithm>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace {

void Fill(TCanvas* c, const TRect& r, TColor color)
{
  if (IsRectEmpty(r))
    return;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

// A glyph drawn from its design: rows of '#' (ink) and '.', each design pixel a scale x
// scale block, the whole centred in area (rounded towards the top left).
struct TGlyph {
  Integer Width;
  Integer Height;
  const char* const* Rows;
};

void PaintGlyph(TCanvas* c, const TRect& area, const TGlyph& g, Integer scale, TColor color)
{
  Integer left = area.Left + (area.Width() - g.Width * scale) / 2;
  Integer top = area.Top + (area.Height() - g.Height * scale) / 2;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  for (Integer y = 0; y < g.Height; ++y)
    for (Integer x = 0; x < g.Width;) {
      if (g.Rows[y][x] != '#') {
        ++x;
        continue;
      }
      Integer run = x;
      while (run < g.Width && g.Rows[y][run] == '#')
        ++run;
      c->FillRect(
          Rect(left + x * scale, top + y * scale, left + run * scale, top + (y + 1) * scale));
      x = run;
    }
}

// The largest whole scale at which the glyph fits area with margin pixels on each side.
Integer GlyphScale(const TRect& area, const TGlyph& g, Integer margin)
{
  Integer sx = (area.Width() - 2 * margin) / g.Width, sy = (area.Height() - 2 * margin) / g.Height;
  return std::max<Integer>(1, std::min(sx, sy));
}

// A glyph in its colour, or embossed (highlight one pixel down-right under shadow) when
// inactive.
void PaintStateGlyph(TCanvas* c, const TRect& area, const TGlyph& g, Integer scale, Cardinal state,
                     TColor color)
{
  if (!(state & DFCS_INACTIVE)) {
    PaintGlyph(c, area, g, scale, color);
    return;
  }
  TRect shifted = area;
  OffsetRect(shifted, 1, 1);
  PaintGlyph(c, shifted, g, scale, clBtnHighlight);
  PaintGlyph(c, area, g, scale, clBtnShadow);
}

const char* const kCheckRows[] = {
    "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
};
const TGlyph kCheck = {7, 7, kCheckRows};
const char* const kBulletRows[] = {".##.", "####", "####", ".##."};
const TGlyph kBullet = {4, 4, kBulletRows};
const char* const kMenuArrowRows[] = {"#...", "##..", "###.", "####", "###.", "##..", "#..."};
const TGlyph kMenuArrow = {4, 7, kMenuArrowRows};
const char* const kMenuArrowLeftRows[] = {"...#", "..##", ".###", "####", ".###", "..##", "...#"};
const TGlyph kMenuArrowLeft = {4, 7, kMenuArrowLeftRows};
const char* const kCloseRows[] = {
    "##....##", ".##..##.", "..####..", "...##...", "..####..", ".##..##.", "##....##",
};
const TGlyph kClose = {8, 7, kCloseRows};
const char* const kMinimizeRows[] = {
    "......", "......", "......", "......", "......", "......", "######", "######",
};
const TGlyph kMinimize = {6, 8, kMinimizeRows};
const char* const kMaximizeRows[] = {
    "#########", "#########", "#.......#", "#.......#", "#.......#",
    "#.......#", "#.......#", "#.......#", "#########",
};
const TGlyph kMaximize = {9, 9, kMaximizeRows};
const char* const kRestoreRows[] = {
    "..######", "..######", "..#....#", "######.#", "######.#", "#....###", "#....#..", "######..",
};
const TGlyph kRestore = {8, 8, kRestoreRows};
const char* const kHelpRows[] = {
    "..##..", ".#..#.", "....#.", "...#..", "..#...", "..#...", "......", "..#...", "..#...",
};
const TGlyph kHelp = {6, 9, kHelpRows};

// A solid triangle pointing in direction (0 up, 1 down, 2 left, 3 right) centred in area:
// its base is 2 * rows - 1 pixels, its tip one pixel.
void PaintArrowGlyph(TCanvas* c, const TRect& area, Integer direction, TColor color)
{
  Integer span = std::min(area.Width(), area.Height());
  Integer rows = std::clamp<Integer>((span + 1) / 4, 2, 8);
  Integer cx = area.Left + (area.Width() - 1) / 2, cy = area.Top + (area.Height() - 1) / 2;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  for (Integer i = 0; i < rows; ++i) {
    Integer half = i; // row i from the tip
    Integer along = i - rows / 2;
    switch (direction) {
    case 0:
      c->FillRect(Rect(cx - half, cy + along, cx + half + 1, cy + along + 1));
      break;
    case 1:
      c->FillRect(Rect(cx - half, cy - along, cx + half + 1, cy - along + 1));
      break;
    case 2:
      c->FillRect(Rect(cx + along, cy - half, cx + along + 1, cy + half + 1));
      break;
    default:
      c->FillRect(Rect(cx - along, cy - half, cx - along + 1, cy + half + 1));
      break;
    }
  }
}

// The square of side min(width, height) centred in r.
TRect CentredSquare(const TRect& r)
{
  Integer side = std::min(r.Width(), r.Height());
  Integer left = r.Left + (r.Width() - side) / 2, top = r.Top + (r.Height() - side) / 2;
  return Rect(left, top, left + side, top + side);
}

// The frame of a button-like control: raised; pushed: sunken (scroll arrows: a flat shadow
// frame); flat and mono looks draw one line. Fills the face unless transparent. Returns the
// inside.
TRect PaintButtonFrame(TCanvas* c, const TRect& r, Cardinal state, bool flatWhenPushed)
{
  TRect inside = r;
  if (!(state & DFCS_TRANSPARENT))
    Fill(c, r, clBtnFace);
  bool pushed = state & DFCS_PUSHED;
  if (state & DFCS_MONO) {
    DrawEdge(c, inside, BDR_RAISEDOUTER, BF_RECT | BF_MONO | BF_ADJUST);
  } else if (state & DFCS_FLAT) {
    DrawEdge(c, inside, BDR_RAISEDOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
  } else if (pushed && flatWhenPushed) {
    DrawEdge(c, inside, BDR_RAISEDOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
    InflateRect(inside, -1, -1);
  } else if (pushed || (state & DFCS_CHECKED)) {
    DrawEdge(c, inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  } else {
    DrawEdge(c, inside, EDGE_RAISED, BF_RECT | BF_ADJUST);
  }
  return inside;
}

// A square check box: sunken (or flat or mono) frame, inside in the window colour, the
// face colour when pushed, inactive or in its third state; the mark scaled to the inside.
void PaintCheckBox(TCanvas* c, const TRect& rect, Cardinal state)
{
  TRect box = CentredSquare(rect);
  TRect inside = box;
  if (state & DFCS_MONO)
    DrawEdge(c, inside, BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_ADJUST);
  else if (state & DFCS_FLAT)
    DrawEdge(c, inside, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
  else
    DrawEdge(c, inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  bool dim = state & (DFCS_PUSHED | DFCS_INACTIVE | DFCS_BUTTON3STATE);
  Fill(c, inside, dim ? clBtnFace : clWindow);
  if (!(state & DFCS_CHECKED))
    return;
  bool grey = state & (DFCS_INACTIVE | DFCS_BUTTON3STATE);
  Integer scale = std::max<Integer>(1, (inside.Width() - 2) / kCheck.Width);
  PaintGlyph(c, inside, kCheck, scale, grey ? clBtnShadow : clWindowText);
}

// A radio button on the square of rect: two rings (shadow and highlight, dark shadow and
// light), the inside in the window colour, a dot when checked. The mask is the circle in
// black on white, for making radio images transparent.
void PaintRadio(TCanvas* c, const TRect& rect, Cardinal state)
{
  TRect r = CentredSquare(rect);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  if ((state & 0xFF) == DFCS_BUTTONRADIOMASK) {
    Fill(c, rect, clWhite);
    c->Brush()->SetColor(clBlack);
    c->Pen()->SetColor(clBlack);
    c->Ellipse(r);
    return;
  }
  auto ring = [&](const TRect& b, TColor upper, TColor lower) {
    c->Brush()->SetStyle(bsClear);
    c->Pen()->SetColor(upper);
    c->Arc(b.Left, b.Top, b.Right, b.Bottom, b.Right, b.Top, b.Left, b.Bottom);
    c->Pen()->SetColor(lower);
    c->Arc(b.Left, b.Top, b.Right, b.Bottom, b.Left, b.Bottom, b.Right, b.Top);
  };
  bool dim = state & (DFCS_PUSHED | DFCS_INACTIVE);
  TColor inside = dim ? clBtnFace : clWindow;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(inside);
  c->Pen()->SetColor(inside);
  c->Ellipse(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  if (state & (DFCS_FLAT | DFCS_MONO)) {
    ring(r, (state & DFCS_MONO) ? clWindowFrame : clBtnShadow,
         (state & DFCS_MONO) ? clWindowFrame : clBtnShadow);
  } else {
    ring(r, clBtnShadow, clBtnHighlight);
    ring(Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), cl3DDkShadow, cl3DLight);
  }
  if (!(state & DFCS_CHECKED))
    return;
  // The dot: a third of the circle, at least 4 pixels, centred.
  Integer d = std::max<Integer>(4, r.Width() / 3);
  Integer left = r.Left + (r.Width() - d) / 2, top = r.Top + (r.Height() - d) / 2;
  TColor dot = (state & DFCS_INACTIVE) ? clBtnShadow : clWindowText;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(dot);
  c->Pen()->SetColor(dot);
  c->Ellipse(left, top, left + d, top + d);
}

bool PaintButton(TCanvas* c, TRect& rect, Cardinal state)
{
  switch (state & 0xFF & ~DFCS_BUTTON3STATE) {
  case DFCS_BUTTONCHECK:
    PaintCheckBox(c, rect, state);
    return true;
  case DFCS_BUTTONRADIOIMAGE:
  case DFCS_BUTTONRADIOMASK:
  case DFCS_BUTTONRADIO:
    PaintRadio(c, rect, state);
    return true;
  case DFCS_BUTTONPUSH: {
    TRect inside = PaintButtonFrame(c, rect, state, false);
    if ((state & DFCS_CHECKED) && !(state & DFCS_PUSHED)) {
      // Latched down: the face dithered with the highlight.
      TBitmap pattern(8, 8);
      for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x)
          pattern.Canvas()->SetPixels(x, y, ColorToRGB((x + y) & 1 ? clBtnHighlight : clBtnFace));
      c->Brush()->SetBitmap(&pattern);
      c->FillRect(inside);
      c->Brush()->SetBitmap(nullptr);
    }
    if (state & DFCS_ADJUSTRECT)
      rect = inside;
    return true;
  }
  default:
    return false;
  }
}

// The ridges of a size grip in a corner of r: three highlight-shadow-shadow diagonals.
void PaintSizeGrip(TCanvas* c, const TRect& r, bool leftCorner, Cardinal state)
{
  if (!(state & DFCS_TRANSPARENT))
    Fill(c, r, clBtnFace);
  auto line = [&](Integer x1, Integer y1, Integer x2, Integer y2, TColor color) {
    if (leftCorner) { // mirrored about the rectangle's middle
      x1 = r.Left + r.Right - 1 - x1;
      x2 = r.Left + r.Right - 1 - x2;
    }
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  Integer ridges = std::clamp<Integer>(std::min(r.Width(), r.Height()) / 4, 1, 3);
  for (Integer i = 0; i < ridges; ++i) {
    Integer d = 4 * i + 3;
    line(r.Right - d, r.Bottom - 1, r.Right, r.Bottom - d - 1, clBtnHighlight);
    line(r.Right - d + 1, r.Bottom - 1, r.Right, r.Bottom - d, clBtnShadow);
    line(r.Right - d + 2, r.Bottom - 1, r.Right, r.Bottom - d + 1, clBtnShadow);
  }
}

bool PaintScroll(TCanvas* c, TRect& rect, Cardinal state)
{
  Cardinal kind = state & 0xFF;
  if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
    PaintSizeGrip(c, rect, kind == DFCS_SCROLLSIZEGRIPRIGHT, state);
    return true;
  }
  Integer direction;
  switch (kind) {
  case DFCS_SCROLLUP:
    direction = 0;
    break;
  case DFCS_SCROLLDOWN:
  case DFCS_SCROLLCOMBOBOX:
    direction = 1;
    break;
  case DFCS_SCROLLLEFT:
    direction = 2;
    break;
  case DFCS_SCROLLRIGHT:
    direction = 3;
    break;
  default:
    return false;
  }
  TRect inside = PaintButtonFrame(c, rect, state, true);
  TRect area = rect;
  if (state & DFCS_PUSHED)
    OffsetRect(area, 1, 1);
  if (state & DFCS_INACTIVE) {
    TRect shifted = area;
    OffsetRect(shifted, 1, 1);
    PaintArrowGlyph(c, shifted, direction, clBtnHighlight);
    PaintArrowGlyph(c, area, direction, clBtnShadow);
  } else {
    PaintArrowGlyph(c, area, direction, clBtnText);
  }
  if (state & DFCS_ADJUSTRECT)
    rect = inside;
  return true;
}

bool PaintCaption(TCanvas* c, TRect& rect, Cardinal state)
{
  const TGlyph* glyph;
  switch (state & 0xFF) {
  case DFCS_CAPTIONCLOSE:
    glyph = &kClose;
    break;
  case DFCS_CAPTIONMIN:
    glyph = &kMinimize;
    break;
  case DFCS_CAPTIONMAX:
    glyph = &kMaximize;
    break;
  case DFCS_CAPTIONRESTORE:
    glyph = &kRestore;
    break;
  case DFCS_CAPTIONHELP:
    glyph = &kHelp;
    break;
  default:
    return false;
  }
  TRect inside = PaintButtonFrame(c, rect, state, false);
  TRect area = inside;
  if (state & DFCS_PUSHED)
    OffsetRect(area, 1, 1);
  PaintStateGlyph(c, area, *glyph, GlyphScale(inside, *glyph, 1), state, clBtnText);
  if (state & DFCS_ADJUSTRECT)
    rect = inside;
  return true;
}

// Menu glyphs are drawn black on white, as masks the menu colours in.
bool PaintMenu(TCanvas* c, const TRect& rect, Cardinal state)
{
  const TGlyph* glyph;
  switch (state & 0xFF) {
  case DFCS_MENUARROW:
    glyph = &kMenuArrow;
    break;
  case DFCS_MENUCHECK:
    glyph = &kCheck;
    break;
  case DFCS_MENUBULLET:
    glyph = &kBullet;
    break;
  case DFCS_MENUARROWRIGHT:
    glyph = &kMenuArrowLeft;
    break;
  default:
    return false;
  }
  if (!(state & DFCS_TRANSPARENT))
    Fill(c, rect, clWhite);
  PaintGlyph(c, rect, *glyph, GlyphScale(rect, *glyph, 1), clBlack);
  return true;
}

} // namespace

bool DrawFrameControl(TCanvas* canvas, TRect& rect, Cardinal type, Cardinal state)
{
  if (!canvas || IsRectEmpty(rect))
    return false;
  TCanvasSaver saver(*canvas);
  switch (type) {
  case DFC_BUTTON:
    return PaintButton(canvas, rect, state);
  case DFC_SCROLL:
    return PaintScroll(canvas, rect, state);
  case DFC_CAPTION:
    return PaintCaption(canvas, rect, state);
  case DFC_MENU:
  case DFC_POPUPMENU:
    return PaintMenu(canvas, rect, state);
  default:
    return false;
  }
}
