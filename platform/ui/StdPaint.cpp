// The classic look of control parts. StdPaint.h describes each piece.
#include "platform/ui/StdPaint.h"

#include <algorithm>

#include "platform/graphics/Pictures.h"

namespace {

void Fill(TCanvas* c, const TRect& r, TColor color)
{
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

void Line(TCanvas* c, Integer x1, Integer y1, Integer x2, Integer y2, TColor color)
{
  c->Pen()->SetColor(color);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

} // namespace

void PaintDither(TCanvas* Canvas, const TRect& Rect, TColor Light, TColor Dark)
{
  TBitmap pattern(8, 8);
  TColor light = ColorToRGB(Light), dark = ColorToRGB(Dark);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      pattern.Canvas()->SetPixels(x, y, ((x + y) & 1) ? dark : light);
  TCanvasSaver saver(*Canvas);
  Canvas->Brush()->SetBitmap(&pattern);
  Canvas->FillRect(Rect);
  Canvas->Brush()->SetBitmap(nullptr);
}

TRect PaintButtonFace(TCanvas* Canvas, const TRect& Bounds, TPaintState State)
{
  TRect r = Bounds;
  bool pushed = State.Contains(psPushed);
  bool latched = State.Contains(psChecked);
  if (State.Contains(psFlat)) {
    Fill(Canvas, r, clBtnFace);
    if (latched && !pushed)
      PaintDither(Canvas, Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), clBtnFace,
                  clBtnHighlight);
    if (pushed || latched)
      DrawEdge(Canvas, r, BDR_SUNKENOUTER, BF_RECT);
    else if (State.Contains(psHot) && !State.Contains(psDisabled))
      DrawEdge(Canvas, r, BDR_RAISEDINNER, BF_RECT);
  } else {
    Fill(Canvas, r, clBtnFace);
    if (State.Contains(psDefault)) {
      Canvas->Brush()->SetColor(clWindowFrame);
      Canvas->FrameRect(r);
      InflateRect(r, -1, -1);
    }
    if (pushed && !latched) {
      Canvas->Brush()->SetColor(clBtnShadow);
      Canvas->FrameRect(r);
    } else if (latched) {
      PaintDither(Canvas, Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2), clBtnFace,
                  clBtnHighlight);
      DrawEdge(Canvas, r, EDGE_SUNKEN, BF_RECT);
    } else {
      DrawEdge(Canvas, r, EDGE_RAISED, BF_RECT);
    }
  }
  TRect content = Bounds;
  InflateRect(content, -2, -2);
  if (pushed || latched)
    OffsetRect(content, 1, 1);
  return content;
}

void PaintCheckBox(TCanvas* Canvas, const TRect& Box, TPaintState State)
{
  TRect r = Box;
  bool dim = State.Contains(psPushed) || State.Contains(psDisabled);
  Fill(Canvas, r, dim || State.Contains(psGrayed) ? clBtnFace : clWindow);
  TRect edge = r;
  DrawEdge(Canvas, edge, EDGE_SUNKEN, BF_RECT);
  if (!State.Contains(psChecked) && !State.Contains(psGrayed))
    return;
  TColor mark = State.Contains(psDisabled) || State.Contains(psGrayed) ? clBtnShadow : clWindowText;
  // A check of three-pixel-thick strokes: down from (3,5) to (5,7), then up to (9,3).
  Integer x = r.Left + 3, y = r.Top + 5;
  for (Integer i = 0; i < 3; ++i) {
    Line(Canvas, x, y + i, x + 2, y + 2 + i, mark);
    Line(Canvas, x + 2, y + 2 + i, x + 7, y - 3 + i, mark);
  }
}

void PaintRadioButton(TCanvas* Canvas, const TRect& Box, TPaintState State)
{
  TRect r = Rect(Box.Left, Box.Top, Box.Left + 12, Box.Top + 12);
  bool dim = State.Contains(psPushed) || State.Contains(psDisabled);
  TCanvasSaver saver(*Canvas);
  // Outer ring: shadow above left, highlight below right; inner ring: dark shadow and light.
  Canvas->Pen()->SetWidth(1);
  Canvas->Brush()->SetStyle(bsClear);
  auto arcs = [&](TRect b, TColor upper, TColor lower) {
    Canvas->Pen()->SetColor(upper);
    Canvas->Arc(b.Left, b.Top, b.Right, b.Bottom, b.Right, b.Top, b.Left, b.Bottom);
    Canvas->Pen()->SetColor(lower);
    Canvas->Arc(b.Left, b.Top, b.Right, b.Bottom, b.Left, b.Bottom, b.Right, b.Top);
  };
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(dim ? clBtnFace : clWindow);
  Canvas->Pen()->SetColor(dim ? clBtnFace : clWindow);
  Canvas->Ellipse(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  Canvas->Brush()->SetStyle(bsClear);
  arcs(r, clBtnShadow, clBtnHighlight);
  arcs(Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), cl3DDkShadow, cl3DLight);
  if (!State.Contains(psChecked))
    return;
  TColor dot = State.Contains(psDisabled) ? clBtnShadow : clWindowText;
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(dot);
  Canvas->Pen()->SetColor(dot);
  Canvas->FillRect(Rect(r.Left + 4, r.Top + 5, r.Left + 8, r.Top + 7));
  Canvas->FillRect(Rect(r.Left + 5, r.Top + 4, r.Left + 7, r.Top + 8));
}

void PaintArrow(TCanvas* Canvas, const TRect& Area, TArrowDirection Direction, TColor Color)
{
  Integer span = std::min(Area.Width(), Area.Height());
  Integer rows = std::clamp(span / 3, 3, 6);
  Integer cx = Area.Left + Area.Width() / 2, cy = Area.Top + Area.Height() / 2;
  Canvas->Pen()->SetColor(Color);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  // Row 0 is the widest (2 * rows - 1 pixels), the tip is one pixel.
  for (Integer i = 0; i < rows; ++i) {
    Integer half = rows - 1 - i;
    switch (Direction) {
    case adDown: {
      Integer y = cy - rows / 2 + i;
      Canvas->MoveTo(cx - half, y);
      Canvas->LineTo(cx + half + 1, y);
      break;
    }
    case adUp: {
      Integer y = cy + rows / 2 - i;
      Canvas->MoveTo(cx - half, y);
      Canvas->LineTo(cx + half + 1, y);
      break;
    }
    case adRight: {
      Integer x = cx - rows / 2 + i;
      Canvas->MoveTo(x, cy - half);
      Canvas->LineTo(x, cy + half + 1);
      break;
    }
    case adLeft: {
      Integer x = cx + rows / 2 - i;
      Canvas->MoveTo(x, cy - half);
      Canvas->LineTo(x, cy + half + 1);
      break;
    }
    }
  }
}

void PaintArrowButton(TCanvas* Canvas, const TRect& Bounds, TArrowDirection Direction,
                      TPaintState State)
{
  TRect content = PaintButtonFace(Canvas, Bounds, State);
  if (State.Contains(psDisabled)) {
    TRect shifted = content;
    OffsetRect(shifted, 1, 1);
    PaintArrow(Canvas, shifted, Direction, clBtnHighlight);
    PaintArrow(Canvas, content, Direction, clBtnShadow);
    return;
  }
  PaintArrow(Canvas, content, Direction, clBtnText);
}

void PaintSizeGrip(TCanvas* Canvas, const TRect& Area)
{
  // Three ridges of highlight-shadow-shadow pairs, 4 pixels apart.
  Integer right = Area.Right, bottom = Area.Bottom;
  for (Integer i = 0; i < 3; ++i) {
    Integer d = 4 * i + 3;
    Line(Canvas, right - d, bottom - 1, right - 1, bottom - d - 1, clBtnHighlight);
    Line(Canvas, right - d + 1, bottom - 1, right - 1, bottom - d, clBtnShadow);
    Line(Canvas, right - d + 2, bottom - 1, right - 1, bottom - d + 1, clBtnShadow);
  }
}

void PaintExpandButton(TCanvas* Canvas, TPoint Center, bool Expanded)
{
  TRect box = Rect(Center.X - 4, Center.Y - 4, Center.X + 5, Center.Y + 5);
  Fill(Canvas, box, clWindow);
  Canvas->Brush()->SetColor(clBtnShadow);
  Canvas->FrameRect(box);
  Line(Canvas, Center.X - 2, Center.Y, Center.X + 3, Center.Y, clWindowText);
  if (!Expanded)
    Line(Canvas, Center.X, Center.Y - 2, Center.X, Center.Y + 3, clWindowText);
}

TRect PaintGroupFrame(TCanvas* Canvas, const TRect& Bounds, const AnsiString& Caption, bool Enabled)
{
  Integer textHeight = Canvas->TextHeight("0");
  TRect frame = Bounds;
  frame.Top += textHeight / 2;
  TRect edge = frame;
  DrawEdge(Canvas, edge, EDGE_ETCHED, BF_RECT);
  if (Caption.empty())
    return frame;
  TRect text = Rect(Bounds.Left + 8, Bounds.Top, Bounds.Left + 8, Bounds.Top + textHeight);
  Canvas->DrawText(Caption, text, DT_CALCRECT | DT_SINGLELINE);
  text.Right = std::min(text.Right, Bounds.Right - 8);
  TRect gap = text;
  InflateRect(gap, 2, 0);
  Fill(Canvas, gap, Canvas->Brush()->Color() == clNone ? clBtnFace : clBtnFace);
  PaintText(Canvas, Caption, text, DT_SINGLELINE, Enabled);
  return frame;
}

void PaintText(TCanvas* Canvas, const AnsiString& Text, TRect Rect, Cardinal Format, bool Enabled)
{
  TCanvasSaver saver(*Canvas);
  Canvas->Brush()->SetStyle(bsClear);
  if (Enabled) {
    Canvas->DrawText(Text, Rect, Format);
    return;
  }
  TRect shifted = Rect;
  OffsetRect(shifted, 1, 1);
  Canvas->Font()->SetColor(clBtnHighlight);
  Canvas->DrawText(Text, shifted, Format);
  Canvas->Font()->SetColor(clBtnShadow);
  Canvas->DrawText(Text, Rect, Format);
}
