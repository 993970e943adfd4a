// The sample waybill the window layer's screenshot tests paint (on the headless screen and
// on the display): two lines of Chinese text, a red rectangle, a blue ellipse and a thick
// green line on white; with the points where each shape shows and the cells each character
// of the text takes.
#pragma once

#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/ui/Windows.h"

struct TSampleProbe {
  Integer X, Y;
  TColor Color;
  const char* What;
};

// A character of the text and the cell it takes (client coordinates of the painted area).
struct TGlyphCell {
  TRect Cell;
  bool Blank;
};

inline void SampleWaybillFont(TCanvas* c)
{
  c->Font()->SetName("宋体");
  c->Font()->SetHeight(-14);
  c->Font()->SetColor(clBlack);
}

inline const std::vector<std::pair<TPoint, AnsiString>>& SampleWaybillLines()
{
  static const std::vector<std::pair<TPoint, AnsiString>> lines = {
      {{8, 8}, "收件人：张三  电话：13800138000"}, {{8, 30}, "地址：北京市海淀区中关村大街1号"}};
  return lines;
}

inline void PaintSampleWaybill(TCanvas* c, const TRect& client)
{
  c->Brush()->SetColor(clWhite);
  c->FillRect(client);
  SampleWaybillFont(c);
  c->Brush()->SetStyle(bsClear);
  for (const auto& [at, text] : SampleWaybillLines())
    c->TextOut(at.X, at.Y, text);
  c->Pen()->SetColor(clRed);
  c->Rectangle(8, 60, 120, 130);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBlue);
  c->Ellipse(140, 60, 220, 130);
  c->Pen()->SetColor(clGreen);
  c->Pen()->SetWidth(3);
  c->MoveTo(240, 60);
  c->LineTo(320, 130);
}

inline const std::vector<TSampleProbe>& SampleWaybillProbes()
{
  static const std::vector<TSampleProbe> probes = {{180, 95, clBlue, "inside the ellipse"},
                                                   {8, 95, clRed, "the rectangle's left edge"},
                                                   {60, 95, clWhite, "inside the rectangle"},
                                                   {280, 95, clGreen, "on the line"}};
  return probes;
}

// The cell of each character of the text lines, measured as the text engine lays them out.
inline std::vector<TGlyphCell> SampleWaybillGlyphCells()
{
  std::vector<TGlyphCell> cells;
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  SampleWaybillFont(c);
  for (const auto& [at, text] : SampleWaybillLines()) {
    Integer height = c->TextHeight(text);
    for (std::size_t i = 0; i < text.size();) {
      std::size_t n = static_cast<unsigned char>(text[i]) >= 0x81 ? 2 : 1;
      Integer left = c->TextWidth(text.substr(0, i));
      Integer right = c->TextWidth(text.substr(0, i + n));
      cells.push_back(
          {Rect(at.X + left, at.Y, at.X + right, at.Y + height), text.compare(i, n, " ") == 0});
      i += n;
    }
  }
  ReleaseDC(0, dc);
  return cells;
}
