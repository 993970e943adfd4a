// The barcode encoder: a text becomes a linear barcode of one of 23 symbologies, first as a
// string of module codes, then drawn into a metafile at one pixel per narrow module and
// stretched into a rectangle. The barcode report object (frxBarcode.h) owns one.
//
// Module codes, one character per element:
//   "0" "1" "2" "3"  space      of width w0 w1 w2 w3
//   "5" "6" "7" "8"  bar        of width w0 w1 w2 w3
//   "A" "B" "C" "D"  short bar  (2/5 of the height, hanging from the top) w0 .. w3
// with w0 = Modul, w1 = Round(Modul x Ratio), w2 = w1 x 3 div 2, w3 = 2 x w1.
#pragma once

#include <functional>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Classes.h"

// ORDER: the symbologies as report files and scripts number them.
enum TfrxBarcodeType {
  bcCode_2_5_interleaved,
  bcCode_2_5_industrial,
  bcCode_2_5_matrix,
  bcCode39,
  bcCode39Extended,
  bcCode128A,
  bcCode128B,
  bcCode128C,
  bcCode93,
  bcCode93Extended,
  bcCodeMSI,
  bcCodePostNet,
  bcCodeCodabar,
  bcCodeEAN8,
  bcCodeEAN13,
  bcCodeUPC_A,
  bcCodeUPC_E0,
  bcCodeUPC_E1,
  bcCodeUPC_Supp2,
  bcCodeUPC_Supp5,
  bcCodeEAN128A,
  bcCodeEAN128B,
  bcCodeEAN128C
};
constexpr Integer frxBarcodeTypeCount = bcCodeEAN128C + 1;

enum TfrxCheckSumMethod { csmNone, csmModulo10 };

// What the editor and the type tables show of a symbology.
struct TfrxBarcodeTypeInfo {
  const char* Name;        // the enumeration name ("bcCode39")
  const char* DisplayName; // the editor's list ("Code39")
  bool NumericOnly;
};
const TfrxBarcodeTypeInfo& BarcodeTypeInfo(TfrxBarcodeType Typ);
// The 23 enumeration names in order, comma-separated (the script enumeration).
AnsiString BarcodeTypeNames();

class TfrxBarcode : public TComponent {
public:
  explicit TfrxBarcode(TComponent* AOwner);

  // The module codes of Text for Typ. May rewrite Text (padding, check digit) and bounds
  // Ratio; raises the encoder's errors, keeping the changes made before.
  AnsiString MakeData();
  // Draws the code (with the human-readable text when ShowText) into Rect.
  void DrawBarcode(TCanvas* Canvas, const TRect& Rect, bool ShowText);
  // Copies every setting of another TfrxBarcode; other sources are ignored.
  void Assign(TPersistent* Source) override;

  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value) { FText = Value; }
  Integer Modul() const { return FModul; }
  void SetModul(Integer Value) { FModul = Value; }
  double Ratio() const { return FRatio; }
  void SetRatio(double Value) { FRatio = Value; }
  TfrxBarcodeType Typ() const { return FTyp; }
  void SetTyp(TfrxBarcodeType Value) { FTyp = Value; }
  bool Checksum() const { return FCheckSum; }
  void SetChecksum(bool Value) { FCheckSum = Value; }
  TfrxCheckSumMethod CheckSumMethod() const { return FCheckSumMethod; }
  void SetCheckSumMethod(TfrxCheckSumMethod Value) { FCheckSumMethod = Value; }
  double Angle() const { return FAngle; }
  void SetAngle(double Value) { FAngle = Value; }
  // The total width of the encoded code in pixels (encodes first).
  Integer Width();
  // The bar height in pixels; DrawBarcode sets it from the rectangle.
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value) { FHeight = Value; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  TColor ColorBar() const { return FColorBar; }
  void SetColorBar(TColor Value) { FColorBar = Value; }
  // The drawing offset in pixels.
  Integer Left() const { return FLeft; }
  void SetLeft(Integer Value) { FLeft = Value; }
  Integer Top() const { return FTop; }
  void SetTop(Integer Value) { FTop = Value; }

  // The element widths of the last encoding.
  Integer ModuleWidth(Integer Index) const { return FModules[Index & 3]; }

private:
  void BoundRatio();
  void CheckNumeric();
  AnsiString DoCheckSumming(const AnsiString& Data);
  AnsiString Pad(Integer Count) const;
  // The width and kind of one module code; raises "internal Error" for other codes.
  enum TLineKind { lkWhite, lkBlack, lkBlackHalf };
  void OneBarProps(char Code, Integer& Width, TLineKind& Kind) const;
  Integer CodeWidth(const AnsiString& Data) const;
  // Calls Bar with the colour and the four turned corners of each element.
  void ForEachBar(const AnsiString& Data, Integer W,
                  const std::function<void(TColor Color, const TPoint (&Corners)[4])>& Bar);
  void DrawLines(TCanvas* Canvas, const AnsiString& Data, Integer W);
  // The bars of a code turned by a multiple of 90 degrees, drawn straight onto Canvas as
  // rectangles where playing DrawLines' recording into Rect would put them.
  void DrawSquareLines(TCanvas* Canvas, const TRect& Rect, const AnsiString& Data, Integer W,
                       Integer MetaW, Integer MetaH);
  void DrawText(TCanvas* Canvas, const AnsiString& Data, Integer W, Integer MetaW, Integer MetaH);

  AnsiString Code_2_5_interleaved();
  AnsiString Code_2_5_industrial();
  AnsiString Code_2_5_matrix();
  AnsiString Code_39();
  AnsiString Code_39Extended();
  AnsiString Code_128();
  AnsiString Code_93();
  AnsiString Code_93Extended();
  AnsiString Code_MSI();
  AnsiString Code_PostNet();
  AnsiString Code_Codabar();
  AnsiString Code_EAN8();
  AnsiString Code_EAN13();
  AnsiString Code_UPC_A();
  AnsiString Code_UPC_E(bool System1);
  AnsiString Code_Supp2();
  AnsiString Code_Supp5();

  AnsiString FText;
  Integer FModul = 1;
  double FRatio = 2.0;
  TfrxBarcodeType FTyp = bcCodeEAN13;
  bool FCheckSum = false;
  TfrxCheckSumMethod FCheckSumMethod = csmModulo10;
  double FAngle = 0;
  Integer FHeight = 0;
  TColor FColor = clWhite;
  TColor FColorBar = clBlack;
  Integer FLeft = 0, FTop = 0;
  Integer FModules[4] = {1, 2, 3, 4};
};

// Messages of the encoder ("%s" is the class name, then the text).
extern const char* const SBarcodeNotNumeric;     // "Barcode must be numeric"
extern const char* const SBarcodeWrongType;      // "%s: wrong BarcodeType"
extern const char* const SBarcodeWrongType128;   // "%s: wrong BarcodeType in Code_128"
extern const char* const SBarcodeCode93BadData;  // "%s:Code93 bad Data <%s>"
extern const char* const SBarcodeCodabarBadData; // "%s:Codabar bad Data <%s>"
extern const char* const SBarcodeInternalError;  // "%s: internal Error"
extern const char* const SBarcodeEAN8Len;        // "Invalid Text len (EAN8)"
extern const char* const SBarcodeEAN13Len;       // "Invalid Text len (EAN13)"

// The class records of the encoder and its enumerations (the frxBarcod unit's start-up).
void RegisterBarcodeEncoderClasses();
