// Text layout and drawing of the report library. A text is measured once, on a layout
// canvas at 600 dots per inch, whatever device it will be drawn on; drawing then forces the
// device's character advances and line advances to add up to the layout's, so a text
// wraps and fills the same on screen at any zoom, in metafiles and on paper.
//
// A layout is built in steps, bracketed by Acquire and Release:
//   Acquire; SelectFont; SetOptions; SetSpacing; SetDimensions; WrapText;
//   then TextHeight / TextWidth / UnusedHeight / SplitAtHeight / DrawText; Release.
//
// Texts are GBK. A double-byte character is one unit: it is measured, wrapped, spaced and
// drawn whole, never split between lines. Each byte of the visible text has one tag
// record (a double-byte character has two equal records), so positions count bytes.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"
#include "report/engine/frxClass.h" // TfrxHAlign, TfrxVAlign

class TImageSurface;

// The formatting of one visible byte of a tagged text.
struct TfrxHTMLTag {
  Integer Position = 0; // 1-based index into the joined text, counting removed tags and line ends
  Integer Size = 0;     // points
  Integer AddY = 0;     // baseline shift: 1 for subscript, else 0
  TFontStyles Style;
  TColor Color = clBlack;
  bool Default = false; // same style, colour and size as the record before
  bool Small = false;   // the size differs from the default size
};

// The tag records of one output line, in order.
class TfrxHTMLTags {
public:
  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TfrxHTMLTag& Items(Integer index) { return FItems.at(index); }
  const TfrxHTMLTag& Items(Integer index) const { return FItems.at(index); }
  void Add(const TfrxHTMLTag& tag) { FItems.push_back(tag); }

private:
  friend class TfrxHTMLTagsList;
  // A deque, so that splitting a long line costs only the records that stay behind.
  std::deque<TfrxHTMLTag> FItems;
};

// Tag parsing and the tag lines of a layout. Understood tags: <b> <i> <u> <strike>, their
// closing forms, <sub> <sup> (two thirds of the default size, subscript shifted down),
// <font color=Name> or <font color="#RRGGBB"> and </font>. Tag names ignore case.
class TfrxHTMLTagsList {
public:
  TfrxHTMLTagsList();
  ~TfrxHTMLTagsList();

  bool TagsEnabled() const { return FTagsEnabled; }
  void SetTagsEnabled(bool value) { FTagsEnabled = value; }
  TFontStyles DefaultStyle() const { return FDefStyle; }
  void SetDefaultStyle(TFontStyles value) { FDefStyle = value; }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer value) { FPosition = value; }

  void Clear();
  // Current values := defaults, baseline shift 0, position 1, no lines.
  void Reset(TColor defColor, Integer defSize, TFontStyles defStyle);
  // Starts a new tag line (the first line is created by the first record).
  void NewLine();
  // Moves the records of the last line from count on to a new line; with addHyphen the
  // old line gets a copy of its last record for the hyphen.
  void SplitLine(Integer count, bool addHyphen);
  Integer Count() const { return static_cast<Integer>(FLines.size()); }
  TfrxHTMLTags& Items(Integer index) { return *FLines.at(index); }
  const TfrxHTMLTags& Items(Integer index) const { return *FLines.at(index); }
  // Appends a record with the current formatting to the last line.
  void AddTag();
  // The record before the one to be added next (null for the very first).
  const TfrxHTMLTag* PreviousTag() const;
  // Removes the tags from text (in place), adding one record per visible byte. A font
  // colour "#xxxxxx" that is not hexadecimal raises EConvertError.
  void ParseTags(AnsiString& text);

private:
  // Applies the tag whose '<' is at position i; returns its length, or 0 when the '<' is
  // visible text.
  Integer ApplyTag(const AnsiString& s, Integer i);
  Integer ApplyFontColor(const AnsiString& s, Integer i);

  bool FTagsEnabled = true;
  Integer FAddY = 0;
  TColor FColor = clBlack;
  TColor FDefColor = clBlack;
  Integer FDefSize = 10;
  TFontStyles FDefStyle;
  Integer FPosition = 1;
  Integer FSize = 10;
  TFontStyles FStyle;
  std::vector<std::unique_ptr<TfrxHTMLTags>> FLines;
};

// Paragraph flags of output lines.
enum : Integer { lfFirst = 1, lfLast = 2 };

class TfrxDrawText {
public:
  TfrxDrawText();
  ~TfrxDrawText();
  TfrxDrawText(const TfrxDrawText&) = delete;
  TfrxDrawText& operator=(const TfrxDrawText&) = delete;

  // Guards a layout against re-entry from message handling on the UI thread (not a thread
  // lock): while busy, pending messages are processed through the installed handler.
  void Acquire();
  void Release() { FBusy = false; }
  bool Busy() const { return FBusy; }

  void SelectFont(TFont* font);
  void SetOptions(bool wordWrap, bool htmlTags, Integer rotation, bool wordBreak, bool rtlReading);
  // Report units (96 per inch).
  void SetSpacing(Extended lineSpacing, Extended charSpacing, Extended paragraphGap);
  // textRect: the text area in report units at scale 1; clipRect: the area on the output
  // device. For measuring only, pass (0, 0, 10000, 10000) for both and scales of 1.
  void SetDimensions(const TRect& textRect, const TRect& clipRect, Extended scaleX,
                     Extended scaleY);
  void WrapText(TStrings* lines);

  // Measures of the wrapped text, in report units.
  Extended TextHeight() const;
  Extended TextWidth();
  Extended LineHeight() const;
  Extended UnusedHeight() const;
  // The number of output lines that fit the text rectangle's height.
  Integer FittingLineCount() const;
  // Keeps the lines that fit the text rectangle's height and returns the rest of the
  // joined text, its formatting re-opened with tags when tags are on.
  AnsiString SplitAtHeight();
  // The joined text: every input line followed by CR LF (after SplitAtHeight, the part that fits).
  const AnsiString& GetText() const { return FText; }
  AnsiString StripTags(const AnsiString& text);

  void DrawText(TCanvas* canvas, TfrxHAlign hAlign, TfrxVAlign vAlign);
  static bool IsPrinter(TCanvas* canvas);

  // The output lines (tags removed) and their paragraph flags (lfFirst, lfLast).
  Integer LineCount() const { return static_cast<Integer>(FLines.size()); }
  const AnsiString& Lines(Integer index) const { return FLines.at(index).Text; }
  Integer LineFlags(Integer index) const { return FLines.at(index).Flags; }
  TfrxHTMLTagsList& Tags() { return FTags; }
  // The layout font's height (em) in layout units.
  Integer LayoutFontHeight() const;
  // The layout canvas: only its font and measuring are used.
  TCanvas* LayoutCanvas() const { return FCanvas.get(); }
  Integer FontSize() const { return FFontSize; }

  // Adds count units to elements first..last (1-based) of values, spread evenly by halving.
  static void SpreadUnits(std::vector<Integer>& values, Integer first, Integer last, Integer unit,
                          Integer count);
  // The permitted hyphenation points of an upper-cased word: break after byte p.
  static std::vector<Integer> WordBreakPositions(const AnsiString& word);

private:
  struct TOutLine {
    AnsiString Text;
    Integer Flags = 0;
  };
  // Where the line being wrapped stands: its first byte, its last blank (its first byte
  // when it has none) and the latest break before a double-byte character (0: none).
  struct TBreak {
    Integer Start;
    Integer LastBlank;
    Integer CjkBreak;
  };
  void WrapLine(AnsiString text, Integer width, Integer charSpacing, Integer firstWidth);
  // Ends a line because the character at i does not fit; returns the next line's start.
  Integer BreakLine(const AnsiString& text, const TBreak& b, Integer i);
  Integer FindWordBreak(const AnsiString& text, Integer start, Integer i) const;
  Integer CharWidths(const AnsiString& text, std::vector<Integer>& widths, Integer charSpacing,
                     Integer lineIndex, TCanvas* canvas, bool cumulative);
  // Start point, line width and direction of a block of the given device height.
  struct TOrigin {
    Integer X = 0;
    Integer Y = 0;
    Integer Width = 0;
    Extended Cos = 1;
    Extended Sin = 0;
  };
  TOrigin LayoutOrigin(Integer total, TfrxVAlign vAlign) const;
  // Adds difference units (either sign) to values: whole rounds to all, the rest by halving.
  static void Spread(std::vector<Integer>& values, Integer difference);
  void DrawLine(TCanvas* canvas, const AnsiString& line, TfrxHAlign align, Integer index,
                Integer width, Integer y, Integer x);
  // Spreads the free width over the line's blanks; false when it has none.
  static bool Justify(const AnsiString& line, std::vector<Integer>& widths, Integer free);
  void DrawRuns(TCanvas* canvas, const AnsiString& line, Integer index,
                const std::vector<Integer>& widths, Integer x, Integer y);
  Integer DeviceFontHeight(TCanvas* canvas, Integer size) const;
  void SelectRotatedFont(TCanvas* canvas);

  std::unique_ptr<TImageSurface> FSurface;
  std::unique_ptr<TCanvas> FCanvas;
  bool FBusy = false;
  Integer FFontSize = 10;
  TfrxHTMLTagsList FTags;
  Extended FCharSpacing = 0;
  Extended FLineSpacing = 0;
  Extended FParagraphGap = 0;
  Cardinal FOptions = ETO_CLIPPED;
  TRect FTextRect;
  Integer FRotation = 0;
  bool FRTLReading = false;
  TRect FClipRect;
  Extended FScaleX = 1;
  Extended FScaleY = 1;
  AnsiString FText;
  std::vector<TOutLine> FLines;
  bool FWordBreak = false;
  bool FWordWrap = true;
  bool FPrinter = false;
};

// The program-wide layout for objects that belong to no report; created on first use.
TfrxDrawText* frxDrawText();
void FreeGlobalDrawText();
// What Acquire calls while the layout is busy (the window layer installs message
// processing; without a handler a busy layout is taken over at once).
void SetDrawTextMessageProcessor(void (*processor)());
