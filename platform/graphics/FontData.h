// Font data for vector export: a font's face resolved through the same substitution and
// fontconfig file as the text engine (TextEngine.h), read with FreeType, and reported as a
// document writer needs it: metrics in thousandths of the em, widths per 8-bit code and
// the font file to embed.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"

// Font descriptor flags of a document writer.
enum : Integer {
  FONTFLAG_FIXED_PITCH = 1,
  FONTFLAG_SYMBOLIC = 4,
  FONTFLAG_NONSYMBOLIC = 32,
  FONTFLAG_ITALIC = 64
};

class TFontData {
public:
  // Resolves the face for a font name as documents give it ("宋体", "Arial", ...), its
  // bold and italic style and its charset; raises Exception when no face file can be read.
  TFontData(const AnsiString& name, TFontStyles style, Integer charset);
  ~TFontData();
  TFontData(const TFontData&) = delete;
  TFontData& operator=(const TFontData&) = delete;

  // The name as requested, byte for byte.
  const AnsiString& FaceName() const { return FFaceName; }
  // The family of the face found (e.g. "WenQuanYi Zen Hei Mono"), its file and the index
  // of the face inside the file.
  const AnsiString& FamilyName() const { return FFamilyName; }
  const AnsiString& FileName() const { return FFileName; }
  Integer FaceIndex() const { return FFaceIndex; }
  const AnsiString& PostScriptName() const { return FPostScriptName; }

  // The requested charset, or for DEFAULT_CHARSET: GB2312_CHARSET when the face covers
  // simplified Chinese, else ANSI_CHARSET. Widths follow this charset's code page.
  Integer Charset() const { return FCharset; }
  // 700 when bold was requested, else 400.
  Integer Weight() const { return FWeight; }

  // Metrics in thousandths of the em. Descent is negative (below the baseline); the
  // italic angle is in tenths of a degree, negative when the face leans to the right.
  Integer CellHeight() const { return FCellHeight; }
  Integer Ascent() const { return FAscent; }
  Integer Descent() const { return FDescent; }
  Integer CapHeight() const { return FCapHeight; }
  Integer ItalicAngle() const { return FItalicAngle; }
  // Left, top (highest point), right, bottom (lowest point, negative) of all glyphs.
  const TRect& FontBox() const { return FFontBox; }
  Integer Flags() const { return FFlags; }

  // The first and last 8-bit code the face has a character for (last - first < 256).
  Integer FirstChar() const { return FFirstChar; }
  Integer LastChar() const { return FLastChar; }
  // The unhinted advance of an 8-bit code in thousandths of the em. Codes without a
  // character get the missing glyph's advance; a lead byte of a double-byte code page gets
  // half the advance of a full-width ideograph, so that both bytes add up to it.
  Integer Width(Byte code) const { return FWidths[code]; }
  // The advance of a double-byte character of the charset's code page (lead, trail).
  Integer DoubleByteWidth(Byte lead, Byte trail) const;

  // False for faces with PostScript (CFF) outlines, which cannot be embedded as TrueType.
  bool Embeddable() const { return FEmbeddable; }
  // The whole font file; a face of a font collection comes out as a standalone font file.
  // Raises EInvalidOperation when the face is not embeddable, Exception when the file
  // cannot be read or is damaged.
  std::string FontFile() const;

private:
  void ReadMetrics(TFontStyles style);
  void ReadWidths();

  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
  AnsiString FFaceName, FFamilyName, FFileName, FPostScriptName;
  Integer FFaceIndex = 0;
  Integer FCharset = ANSI_CHARSET;
  Integer FWeight = 400;
  Integer FCellHeight = 0, FAscent = 0, FDescent = 0, FCapHeight = 0, FItalicAngle = 0;
  TRect FFontBox;
  Integer FFlags = 0;
  Integer FFirstChar = 0x20, FLastChar = 0x20;
  Integer FWidths[256] = {};
  bool FEmbeddable = true;
};

// Cuts face `index` out of a TrueType collection ("ttcf") into a standalone font file;
// other font files come back unchanged. Raises Exception on a damaged collection.
std::string ExtractCollectionFace(const std::string& file, Integer index);
