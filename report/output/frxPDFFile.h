// The PDF document writer: prepared pages become one PDF 1.3 file. While the export walks
// the pages, each page collects the content operators of its objects in memory and every
// distinct font is registered; at the end the whole file is written in one pass. Text
// objects become text operators in their own font, backgrounds, frames, lines and
// rectangles path operators, everything else an inline JPEG. The PDF export filter
// (frxExportPDF.h) drives it.
//
// Object numbers (f fonts, font position i from 0, page k from 1, PageBase = 4 + 5f):
//   1               catalog
//   2               information dictionary
//   3               page tree
//   4               not used
//   5 + 5i          font dictionary of font i, resource name /F<5i>
//   6 + 5i          descendant CID font of font i (Chinese charsets 134 and 136 only)
//   7 + 5i          font descriptor of font i
//   8 + 5i          the glyphs' text (ToUnicode) of an embedded Chinese font, else not used
//   9 + 5i          embedded font file of font i (EmbeddedFonts only; a font whose face
//                   file another font embedded already refers to that one instead)
//   PageBase+2k-1   page object of page k
//   PageBase+2k     content stream of page k
// Chinese fonts (charsets 134 and 136) are Type0 fonts with a CIDFontType2 descendant.
// Without embedding, text keeps its GBK (Big5) bytes, which the predefined CMap
// GBKp-EUC-H (ETenms-B5-H) turns into the Adobe collection's character ids, and the viewer
// supplies a face. An embedded face has its own glyph order, which that collection does
// not describe: its text is written as glyph ids (Identity-H) with a ToUnicode map, so the
// embedded glyphs are drawn and the text still extracts.
// Objects are written in ascending number; every line ends with CR LF. Positions of report
// objects are report pixels (96 per inch), the file's are points (x 0.75); numbers are
// written with "." whatever the locale.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Streams.h"

class TfrxPDFFile;
class TfrxView;
class TfrxComponent;

// The root of the writer's objects.
class TfrxPDFElement {
public:
  virtual ~TfrxPDFElement() = default;
  virtual void SaveToStream(TStream* Stream) = 0;

protected:
  static void Write(TStream* Stream, std::string_view Text);
  // Text followed by CR LF.
  static void WriteLn(TStream* Stream, std::string_view Text);
};

// Formatting helpers of the writer and the line height of the text object being written.
class TfrxPDFToolkit {
public:
  TfrxPDFToolkit();

  // "r g b" of a colour, each part over 255 with two significant digits (system colours
  // resolved, none reads as white): (255, 128, 0) is "1 0.5 0".
  AnsiString ColorText(TColor Color) const;
  // "%.4f" in the C locale, without a minus sign on a value that rounds to zero.
  static AnsiString FloatText(Extended Value);
  // "\" "(" ")" escaped, byte 1 dropped, one CR LF at the end removed.
  static AnsiString EscapeText(const AnsiString& Text);
  // True when a byte is part of a double-byte character, above "z" or below a blank.
  static bool NeedsUnicode(const AnsiString& Text);
  // A text string's inside: the Unicode form with the language prefix when it needs one,
  // else the text with "\" "(" ")" escaped.
  AnsiString PrepareString(const AnsiString& Text) const;
  static AnsiString UnicodeOctal(const AnsiString& Text);
  static AnsiString ByteToOctal(Byte Value);
  static AnsiString StringToOctal(const AnsiString& Text);
  // Widths and positions in report pixels, measured by the shared text layout.
  Extended TextWidth(const AnsiString& Line) const;
  void SetLineHeight(TFont* Font, Extended LineSpacing);
  Extended HorzTextPos(const AnsiString& Line, Integer HAlign, Extended Width, Extended Left) const;
  Extended VertTextPos(Integer VAlign, Integer Count, Integer Index, Extended Height,
                       Extended Top) const;

  // The language of the Unicode prefix; "zh" unless set (SetDefaultPDFLanguage).
  AnsiString LangCode;
  // FE FF 00 1B, LangCode, 00 1B.
  AnsiString UnicodePrefix() const;
  Extended LineHeight = 0;
};

// "#XX" for every byte a PDF name cannot hold as it is: below "!", above "~", the
// delimiters ( ) < > [ ] { } / % and "#".
AnsiString PdfNameEscape(const AnsiString& Text);

// One font resource: the face, style and charset of a report font (size and colour are
// chosen per text by the operators).
class TFontData;

class TfrxPDFFont : public TfrxPDFElement {
public:
  TfrxPDFFont(TfrxPDFFile* APDF, TFont* AFont, Integer AIndex);
  ~TfrxPDFFont() override;
  void SaveToStream(TStream* Stream) override;

  Integer Index() const { return FIndex; }
  TFont* Font() const { return FFont.get(); }
  // True when text in this font is written as glyph ids (an embedded Chinese face).
  bool GlyphMode() const { return FGlyphs != nullptr; }
  // True when the face holds Chinese characters (written with the GBK or Big5 CMap).
  bool Chinese() const;
  // A content string operand for Text: "(escaped bytes)", or "<glyph ids>" in glyph mode.
  AnsiString TextOperand(const AnsiString& Text);

private:
  struct TGlyphs;
  void WriteToUnicode(TStream* Stream, Integer Number);

  TfrxPDFFile* FPDF;
  std::unique_ptr<TFont> FFont;
  Integer FIndex; // 5 x position + 1
  std::unique_ptr<TFontData> FData;
  std::unique_ptr<TGlyphs> FGlyphs;
};

class TfrxPDFPage : public TfrxPDFElement {
public:
  TfrxPDFPage(TfrxPDFFile* APDF, Integer AIndex, Extended AWidth, Extended AHeight);
  ~TfrxPDFPage() override;
  void SaveToStream(TStream* Stream) override;

  // Appends the operators of one report object to the content.
  void AddObject(TfrxView* Obj);
  // Report pixels (absolute, margins included) to points from the page's bottom left.
  Extended PdfX(Extended X) const { return X * 0.75L + MarginLeft; }
  Extended PdfY(Extended Y) const { return Height - (Y * 0.75L + MarginTop); }

  Integer Index() const { return FIndex; }
  TMemoryStream* Content() const { return FContent.get(); }
  Extended Width = 0, Height = 0; // points
  // The objects' absolute positions already contain the page margins, so no further
  // offset applies.
  Extended MarginLeft = 0, MarginTop = 0;

private:
  friend class TfrxPDFFile;
  void Out(std::string_view Line);
  void AddText(class TfrxCustomMemoView* Memo);
  // One line of text starting at (X, Y) points in the font at FontPos (Font's entry).
  void AddTextLine(const AnsiString& Line, TFont* Font, Integer FontPos, Extended X, Extended Y);
  void AddPicture(TfrxView* Obj);

  TfrxPDFFile* FPDF;
  Integer FIndex;
  std::unique_ptr<TMemoryStream> FContent;
  // The content deflated ahead by the document's packer (TfrxPDFFile::TPacker), guarded by
  // its lock: the state, zlib's result, a failure other than zlib's, the bytes, and the
  // content size they were made from.
  enum TPackState { psNone, psQueued, psDone };
  TPackState FPackState = psNone;
  int FPackResult = 0;
  std::exception_ptr FPackFailure;
  std::string FPacked;
  Int64 FPackedFrom = -1;
};

class TfrxPDFFile : public TfrxPDFElement {
public:
  TfrxPDFFile();
  ~TfrxPDFFile() override;

  // A page of the report page's size (report pixels x 0.75).
  TfrxPDFPage* AddPage(TfrxComponent* Page);
  // The position of an equal font (same name, style set and charset), else of a new one.
  Integer AddFont(TFont* Font);
  // The position of the face that writes Font's double-byte characters when Font's own face
  // has none: 黑体 in Font's style, the face the screen falls back to for them.
  Integer AddFallbackFont(TFont* Font);
  // Writes the whole document; offsets are taken from the stream's position on entry.
  void SaveToStream(TStream* Stream) override;
  // Writes the whole document straight into Stream, piece by piece, with the stream's own
  // positions as the offsets (a new file's stream at its start); what a failure leaves in
  // Stream is the caller's to drop.
  void WriteTo(TStream* Stream);
  void Clear();

  Integer PageCount() const { return static_cast<Integer>(FPages.size()); }
  TfrxPDFPage* Pages(Integer Index) const { return FPages[Index].get(); }
  Integer FontCount() const { return static_cast<Integer>(FFonts.size()); }
  TfrxPDFFont* Fonts(Integer Index) const { return FFonts[Index].get(); }
  TfrxPDFToolkit* Toolkit() const { return FToolkit.get(); }
  Integer FontBase() const { return FFontBase; }
  Integer PageBase() const { return FPageBase; }

  AnsiString Title;
  AnsiString Creator;
  bool Compressed = true;
  bool EmbeddedFonts = false;
  Integer FirstFontBase = 4;

  // Records the position of the object about to be written.
  void AddXRef(TStream* Stream, Integer Number);
  // The object number that holds the face file (file name and face index), or 0 when no
  // font embedded it yet; RecordFontFile notes the one written.
  Integer FontFileObject(const AnsiString& Key) const;
  void RecordFontFile(const AnsiString& Key, Integer Number);
  // The JPEG bytes (quality 100) of a picture drawn for a page. A picture whose pixels equal
  // one encoded shortly before (a logo or a barcode repeated on every page) is not encoded
  // again: the bytes are the same.
  const std::string& JpegOf(TBitmap* Bitmap);

private:
  friend class TfrxPDFPage;
  // Deflates finished pages' contents on a worker thread while later pages are drawn.
  struct TPacker;
  void Pack(TfrxPDFPage* Page);
  // The deflated content of Page (waiting for the packer when it has it), or null when it
  // was not packed ahead or has changed since; raises what packing it raised.
  const std::string* Packed(TfrxPDFPage* Page);
  void StopPacker();
  // The whole file into Out, offsets counted from FBase.
  void WriteDocument(TStream* Out);

  struct TJpegCache;
  std::unique_ptr<TJpegCache> FJpegs;
  std::vector<std::pair<AnsiString, Integer>> FFontFiles;
  std::vector<std::unique_ptr<TfrxPDFPage>> FPages;
  std::vector<std::unique_ptr<TfrxPDFFont>> FFonts;
  std::vector<Int64> FXRef; // by object number; -1: unused
  Int64 FBase = 0;
  Integer FFontBase = 4;
  Integer FPageBase = 4;
  std::unique_ptr<TfrxPDFToolkit> FToolkit;
  std::unique_ptr<TPacker> FPacker;
};

// The language code of new documents' Unicode strings ("zh" by default); tests and other
// locales set it.
void SetDefaultPDFLanguage(const AnsiString& Code);
// The web address named in /Producer and in the RTF export's author entry.
extern const char* const frxVendorAddress;
