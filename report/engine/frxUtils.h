// Free-standing helpers the report library shares: page ranges, the bracket scanner for
// expressions in texts, component lookup by dotted names, lenient number reading, hex
// streams and the error message box. frxClass.h holds the component tree that uses them.
#pragma once

#include <vector>

#include "platform/rtl/Classes.h"

class TCanvas;
class TCustomImageList;
class TBitmap;
class TGraphic;
class TReader;
class TWriter;
class TfrxReport;

// A rectangle and a point in report units.
struct TfrxRect {
  Extended Left = 0, Top = 0, Right = 0, Bottom = 0;
};
struct TfrxPoint {
  Extended X = 0, Y = 0;
};
TfrxRect ExtendedRect(Extended ALeft, Extended ATop, Extended ARight, Extended ABottom);
TfrxPoint ExtendedPoint(Extended X, Extended Y);

// ---- Page ranges ----

// Fills List (cleared first) with the page numbers of a range text such as "1,3,5-12" as
// decimal texts. Blanks are ignored; an empty text gives an empty list ("all pages"); a
// text ending in "-" runs to PageCount. Single numbers and duplicates are kept as written,
// but a range never runs past PageCount, since callers skip such numbers anyway. A number
// that is not an integer raises EConvertError.
void ParsePageNumbers(const AnsiString& PageNumbers, TStrings* List, Integer PageCount);

// ---- Delimited expressions ----

// Finds the expression that starts with Open at or after StartPos and ends with its
// matching Close, with nesting; Open and Close inside single or double quotes do not
// count, and double-byte characters are stepped over whole (a trail byte never closes).
// Positions are 1-based. On return StartPos is the position of the opening delimiter,
// EndPos the last character of the closing one and Result the text between them. Without
// an opening delimiter at StartPos, Result is empty and EndPos equals StartPos; an
// unclosed expression runs to the last character, which is left out.
void ExtractBracketed(const AnsiString& Text, const AnsiString& Open, const AnsiString& Close,
                      AnsiString& Result, Integer& EndPos, Integer& StartPos);

// ---- Component lookup ----

// The program's open forms, then its data modules, for references such as
// "Form1.Table1". The window library installs the list; without one there are none.
using TfrxGlobalModulesFunc = std::vector<TComponent*> (*)();
void SetGlobalModules(TfrxGlobalModulesFunc Func);
std::vector<TComponent*> GlobalModules();
// The global module of that name (ignoring case); null when none.
TComponent* FindGlobalModule(const AnsiString& Name);

// Finds a component by name: Form.Component or Form.Module.Component through the global
// modules, else among Owner's components and, for a report, among its own owner's. Null
// when not found; a lookup that raises becomes EClassNotFound "Missing <name>".
TComponent* LocateComponent(TComponent* Owner, const AnsiString& Name);

// The name a report file uses for a reference to Component: its Name when it has no owner
// or is owned by the report or the report's owner; Module.Name when its owner is a global
// module; '' otherwise and for nil.
AnsiString ComponentReferenceName(TfrxReport* Report, TComponent* Component);

// Clears List and adds (reference name, component) for every component of class Cls
// except Exclude: first those the report owns, then those of each global module.
void ListComponentsOfClass(TfrxReport* Report, TClass Cls, TStrings* List, TComponent* Exclude);

// ---- Text and numbers ----

// Clears List and adds the pieces of Text between delimiters; empty pieces stay, a
// delimiter at the very end adds none. A trail byte equal to the delimiter is part of its
// double-byte character.
void SplitTextByChar(const AnsiString& Text, TStrings* List, char Delimiter);

// The lines of a string list as one attribute text: joined by CR LF, with a final line break
// only after an empty last line, so that SetText on the text gives the same lines again.
AnsiString StringsToAttributeText(TStrings* Strings);

// Reads a number whatever decimal separator it was written with: "," and "." both count as
// the decimal separator and blanks are dropped. Bad text raises EConvertError.
Extended ParseFloatLenient(const AnsiString& Text);

// "2.50" for a value with a fraction, the plain float text otherwise.
AnsiString FloatToDisplayText(Extended Value);

// ---- Streams ----

// The whole stream as two upper-case hexadecimal digits per byte.
AnsiString StreamToHex(TMemoryStream* Stream);
// Decodes pairs of hexadecimal digits (an odd last digit is ignored) into Stream, which is
// emptied first, so bytes of an earlier, longer content never survive. The position ends
// after the decoded bytes. A pair that is not hexadecimal raises EConvertError.
void HexToStream(const AnsiString& Text, TStream* Stream);

// A new, empty temporary file "fr..." in Directory (the system's temporary folder when
// empty); '' when it cannot be created.
AnsiString TempFileNameIn(const AnsiString& Directory);

// ---- Collections inside report files ----
//
// A collection among the defined properties of a report (its datasets, variables, styles)
// is a list of items, each a list holding one long string (tag 0x0C) with the item's
// attribute text:  01 [ 01 0C <length:4> <attributes> 00 ]... 00

// Writes Collection in the list form; the attribute texts are written by a serializer
// owned by Report.
void WriteCollectionProperty(TCollection* Collection, TWriter* Writer, TfrxReport* Report);
// Replaces the items of Collection by those of the list form, applying each attribute
// text through the serializer reading Report at the time, or a serializer of its own that
// also resolves references. A value in the platform's binary collection form (tag 0x0E)
// is skipped: report files never hold one, and nothing here reads that form.
void ReadCollectionProperty(TCollection* Collection, TReader* Reader, TfrxReport* Report);

// ---- Drawing and messages ----

// Draws Graphic stretched into Rect; an empty graphic draws nothing.
void DrawGraphic(TCanvas* Canvas, const TRect& Rect, TGraphic* Graphic);
// Draws Bitmap stretched into Rect, on screen and printer canvases alike.
void DrawBitmapStretched(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap);
// Draws Bitmap at (X, Y) with its transparent colour left out.
void DrawTransparentBitmap(TCanvas* Canvas, Integer X, Integer Y, TBitmap* Bitmap);
// Cuts Strip into TileWidth x TileHeight tiles, left to right and row by row while a row's
// top lies inside the strip, and adds each to List masked with the tile's transparent
// colour. With Second, the strip holds pairs: the tile after each tile goes to Second
// instead, its pure white pixels turned light grey (0xE0E0E0).
void SplitBitmapToImageList(TBitmap* Strip, Integer TileWidth, Integer TileHeight,
                            TCustomImageList* Second, TCustomImageList* List);

// The message box of the program: text, caption and whether it is an error. The window
// library installs it; without one, messages go nowhere.
using TfrxMessageBoxFunc = void (*)(const AnsiString& Text, const AnsiString& Caption);
void SetErrorMessageBox(TfrxMessageBoxFunc Func);
// Shows Text in the error message box captioned by the localized "mbError".
void ShowErrorMessage(const AnsiString& Text);
