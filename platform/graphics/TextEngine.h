// The text engine: measures and draws GBK text for the canvas (Graphics.h). Two backends:
// pango/cairo with real fonts (PangoTextEngine.cpp) and a fixed-metric engine whose
// numbers are exact, for tests (FixedTextEngine.cpp). Every position and extent is in GBK
// bytes; a double-byte character is one unit and is never split.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"

class TSurface;
class TRegion;

// A font as a device sees it. EmHeight is the em size in device pixels.
struct TFontSpec {
  AnsiString Name;
  double EmHeight = 12;
  TFontStyles Style;
  TFontPitch Pitch = fpDefault;
  Integer Charset = 1;
  Integer Orientation = 0; // tenths of a degree, counter-clockwise
};

// Font metrics in device pixels, named as the platform names them.
struct TTextMetric {
  Integer tmHeight = 0; // ascent + descent
  Integer tmAscent = 0;
  Integer tmDescent = 0;
  Integer tmInternalLeading = 0; // tmHeight - em height
  Integer tmExternalLeading = 0;
  Integer tmAveCharWidth = 0;
  Integer tmMaxCharWidth = 0;
  Integer tmWeight = 400;
  Integer tmOverhang = 0;
  Byte tmItalic = 0;
  Byte tmUnderlined = 0;
  Byte tmStruckOut = 0;
  Byte tmFirstChar = 0x20;
  Byte tmLastChar = 0xFF;
  Byte tmDefaultChar = '?';
  Byte tmBreakChar = 0x20;
  Byte tmPitchAndFamily = 0;
  Byte tmCharSet = 134;
};

// Outline metrics in device pixels, named as the platform names them. Vertical positions
// count upward from the baseline: descents and the underline position are negative.
struct TOutlineTextMetric {
  TTextMetric otmTextMetrics;
  Integer otmEMSquare = 0;    // the em
  Integer otmItalicAngle = 0; // tenths of a degree; negative leans to the right
  Integer otmsCharSlopeRise = 1;
  Integer otmsCharSlopeRun = 0;
  Integer otmAscent = 0;
  Integer otmDescent = 0;
  Integer otmLineGap = 0;
  Integer otmsCapEmHeight = 0;
  Integer otmsXHeight = 0;
  TRect otmrcFontBox; // left, top (ascent), right, bottom (descent)
  Integer otmsStrikeoutSize = 1;
  Integer otmsStrikeoutPosition = 0; // top of the strike-out line
  Integer otmsUnderscoreSize = 1;
  Integer otmsUnderscorePosition = 0; // top of the underline
};

// tmPitchAndFamily bits.
enum : Byte { TMPF_FIXED_PITCH = 1, TMPF_VECTOR = 2, TMPF_TRUETYPE = 4, TMPF_DEVICE = 8 };

class TTextEngine {
public:
  virtual ~TTextEngine() = default;

  virtual TTextMetric Metrics(const TFontSpec& font) = 0;
  // The advance of every character in device pixels, one entry per byte: a double-byte
  // character's advance sits on its lead byte, its trail byte gets 0. Advances are
  // context-free: the width of a text is the sum of its characters' advances.
  virtual void Advances(const TFontSpec& font, const AnsiString& text,
                        std::vector<double>& perByte) = 0;
  // Draws text with the top of its character cell at (x, y) in device pixels; character i
  // starts at x + offsets[i] (offsets per byte, trail bytes ignored), rotated by the font's
  // orientation about (x, y). Pixels outside clip (null: the whole surface) stay untouched.
  virtual void Draw(TSurface& surface, const TFontSpec& font, double x, double y,
                    const AnsiString& text, const std::vector<double>& offsets, TColor rgb,
                    const TRegion* clip) = 0;
  // Outline metrics; engines without outlines derive them from Metrics (underline a third
  // of the descent below the baseline, strike-out at 0.3 of the ascent, lines an
  // sixteenth of the em thick, italics slanted 1 in 5).
  virtual TOutlineTextMetric OutlineMetrics(const TFontSpec& font);
};

// Report layout measures at a fixed 600 pixels per inch, whatever the device, so that the
// same text measures the same on screen and printer: the em is Round(Size * 600 / 72)
// pixels (the font's height in points when it is given as a pixel height).
constexpr Integer LayoutPixelsPerInch = 600;
TFontSpec LayoutFontSpec(const TFont& font);

// The engine canvases use unless given their own. Tests may install another one
// (the caller keeps ownership; null restores the pango engine).
TTextEngine& DefaultTextEngine();
void SetDefaultTextEngine(TTextEngine* engine);

// Real fonts through pango, cairo and fontconfig.
std::unique_ptr<TTextEngine> CreatePangoTextEngine();

// Exact metrics: every single-byte character advances SingleAdvance pixels, every
// double-byte character DoubleAdvance; ascent and descent are fixed. With a
// ReferenceEmHeight, all numbers scale with the font's em height relative to it.
// Glyphs are drawn as solid boxes: columns [x, x + advance - 1), rows [y, y + ascent).
struct TFixedMetrics {
  double SingleAdvance = 7;
  double DoubleAdvance = 14;
  double Ascent = 11;
  double Descent = 2;
  double ExternalLeading = 0;
  double ReferenceEmHeight = 0;
};
std::unique_ptr<TTextEngine> CreateFixedTextEngine(const TFixedMetrics& metrics);

// Font substitution: the face our fonts stand in for a given name ("宋体" ->
// "WenQuanYi Zen Hei Mono"); unknown names come back unchanged, "Default" and "" give the
// default face.
AnsiString SubstituteFontName(const AnsiString& name);
// The font names offered to users (the screen's and the printers' list): the installed
// families whose names GBK can hold, and the substituted platform names, sorted without
// regard to case, each once.
std::vector<AnsiString> ScreenFonts();
// Font type flags of the font enumeration.
enum : Integer { RASTER_FONTTYPE = 1, DEVICE_FONTTYPE = 2, TRUETYPE_FONTTYPE = 4 };
struct TFontFamilyInfo {
  AnsiString Name;
  Integer FontType = TRUETYPE_FONTTYPE;
};
// The font enumeration of screens and printers (one list): the names of ScreenFonts, each
// scalable and so flagged TrueType.
std::vector<TFontFamilyInfo> EnumFontFamilies();
// The fontconfig file shipped with the program (platform/graphics/fonts.conf or beside the
// executable); empty when not found.
AnsiString ShippedFontConfigFile();
