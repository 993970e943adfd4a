// Fixtures shared by the foundation's tests: a small raster canvas with the fixed-metric
// text engine, and the diagnostic system palette in which every system colour is distinct.
#pragma once

#include <memory>

#include "controls/cx/base/cxGraphics.h"
#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"

namespace cxtest {

// System colour i becomes RGB(0x40 + i, 0x80 + i, 0xC0 + i): never black or white, and
// every colour tells which system colour painted it.
inline TColor DiagColor(Integer index)
{
  return RGB(static_cast<Byte>(0x40 + index), static_cast<Byte>(0x80 + index),
             static_cast<Byte>(0xC0 + index));
}

// Installs the diagnostic palette for the life of the object.
struct TDiagnosticPalette {
  TDiagnosticPalette()
  {
    for (Integer i = 0; i <= COLOR_ENDCOLORS; ++i)
      SetSysColor(i, DiagColor(i));
  }
  ~TDiagnosticPalette() { ResetSysColors(); }
};

// The resolved colour of c under the current palette.
inline TColor Rgb(TColor c)
{
  return ColorToRGB(c) & 0xFFFFFF;
}

// A surface with a canvas (fixed text metrics: 6 px a byte, ascent 10, descent 3) and the
// suite's canvas over it.
struct TPaintFixture {
  std::unique_ptr<TTextEngine> Engine = CreateFixedTextEngine(TFixedMetrics{6, 12, 10, 3, 0, 0});
  TImageSurface Surface;
  TCanvas Canvas;
  TcxCanvas Cx;
  explicit TPaintFixture(Integer w = 40, Integer h = 40, TColor fill = clWhite)
      : Surface(w, h, fill), Canvas(&Surface), Cx(&Canvas)
  {
    Canvas.SetTextEngine(Engine.get());
  }
  TColor At(Integer x, Integer y) const { return Surface.GetPixel(x, y) & 0xFFFFFF; }
  // The colour of every pixel of r, or -1 when they differ.
  TColor Uniform(const TRect& r) const
  {
    TColor c = At(r.Left, r.Top);
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x)
        if (At(x, y) != c)
          return -1;
    return c;
  }
  Integer Count(TColor c) const
  {
    Integer n = 0;
    for (Integer y = 0; y < Surface.Height(); ++y)
      for (Integer x = 0; x < Surface.Width(); ++x)
        n += At(x, y) == (ColorToRGB(c) & 0xFFFFFF);
    return n;
  }
};

} // namespace cxtest
