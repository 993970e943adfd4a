// The barcode encoder: symbology tables, check digits, module strings and drawing.
// See frxBarcod.h for the module codes.
#include "report/output/frxBarcod.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/graphics/Metafile.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"

const char* const SBarcodeNotNumeric = "Barcode must be numeric";
const char* const SBarcodeWrongType = "%s: wrong BarcodeType";
const char* const SBarcodeWrongType128 = "%s: wrong BarcodeType in Code_128";
const char* const SBarcodeCode93BadData = "%s:Code93 bad Data <%s>";
const char* const SBarcodeCodabarBadData = "%s:Codabar bad Data <%s>";
const char* const SBarcodeInternalError = "%s: internal Error";
const char* const SBarcodeEAN8Len = "Invalid Text len (EAN8)";
const char* const SBarcodeEAN13Len = "Invalid Text len (EAN13)";

namespace {

// ORDER TfrxBarcodeType.
const TfrxBarcodeTypeInfo BarcodeTypes[frxBarcodeTypeCount] = {
    {"bcCode_2_5_interleaved", "2_5_interleaved", true},
    {"bcCode_2_5_industrial", "2_5_industrial", true},
    {"bcCode_2_5_matrix", "2_5_matrix", true},
    {"bcCode39", "Code39", false},
    {"bcCode39Extended", "Code39 Extended", false},
    {"bcCode128A", "Code128A", false},
    {"bcCode128B", "Code128B", false},
    {"bcCode128C", "Code128C", false},
    {"bcCode93", "Code93", false},
    {"bcCode93Extended", "Code93 Extended", false},
    {"bcCodeMSI", "MSI", true},
    {"bcCodePostNet", "PostNet", true},
    {"bcCodeCodabar", "Codebar", false},
    {"bcCodeEAN8", "EAN8", true},
    {"bcCodeEAN13", "EAN13", true},
    {"bcCodeUPC_A", "UPC_A", true},
    {"bcCodeUPC_E0", "UPC_E0", true},
    {"bcCodeUPC_E1", "UPC_E1", true},
    {"bcCodeUPC_Supp2", "UPC Supp2", true},
    {"bcCodeUPC_Supp5", "UPC Supp5", true},
    {"bcCodeEAN128A", "EAN128A", false},
    {"bcCodeEAN128B", "EAN128B", false},
    {"bcCodeEAN128C", "EAN128C", true},
};

const char* const ClassNameText = "TfrxBarcode";

// ---- Symbology tables ----

// 2 of 5: the five elements of each digit, '1' wide, '0' narrow.
const char* const Table2of5[10] = {"00110", "10001", "01001", "11000", "00101",
                                   "10100", "01100", "00011", "10010", "01010"};

// Code 39: 43 characters in value order, their nine elements (bar, space, ... bar), '1'
// wide. Each group of ten shares the position of its wide space; the bars follow the 2 of
// 5 patterns of 1..9, 0 within the group.
const char Code39Chars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
AnsiString Code39Elements(Integer Index)
{
  static const char* const extra[4] = {"000001110", "000001101", "000001011", "000000111"};
  // value -> (bar pattern digit, wide space position)
  if (Index >= 39 && Index <= 42) {
    // $ / + %: no wide bar, three wide spaces; bars 00000 with spaces 1110, 1101 ...
    const char* spaces = extra[Index - 39] + 5;
    AnsiString e;
    for (Integer i = 0; i < 4; ++i) {
      e += '0';
      e += spaces[i];
    }
    return e + '0';
  }
  Integer group, inGroup;
  if (Index <= 9) { // digits: '0' is the tenth of its group
    group = 1;
    inGroup = Index == 0 ? 9 : Index - 1;
  } else if (Index <= 19) {
    group = 2;
    inGroup = Index - 10;
  } else if (Index <= 29) {
    group = 3;
    inGroup = Index - 20;
  } else { // U..Z - . space, and '*' (index 43)
    group = 0;
    inGroup = Index == 43 ? 9 : Index - 30;
  }
  const char* bars = Table2of5[(inGroup + 1) % 10];
  AnsiString e;
  for (Integer i = 0; i < 5; ++i) {
    e += bars[i];
    if (i < 4)
      e += i == group ? '1' : '0';
  }
  return e;
}

// Full ASCII for Code 39 and Code 93: the sequence of each code 0..127. Code 93 writes
// its four shift characters ($) (%) (/) (+) as "[", "]", "{", "}".
AnsiString FullAscii(Byte Code, bool Code93)
{
  const char dollar = Code93 ? '[' : '$', percent = Code93 ? ']' : '%', slash = Code93 ? '{' : '/',
             plus = Code93 ? '}' : '+';
  auto two = [](char shift, char c) { return AnsiString(1, shift) + c; };
  if (Code == 0)
    return two(percent, 'U');
  if (Code <= 26)
    return two(dollar, static_cast<char>('A' + Code - 1));
  if (Code <= 31)
    return two(percent, static_cast<char>('A' + Code - 27));
  if (Code == ' ' || Code == '-' || Code == '.' || (Code >= '0' && Code <= '9') ||
      (Code >= 'A' && Code <= 'Z'))
    return AnsiString(1, static_cast<char>(Code));
  if (Code >= 33 && Code <= 44)
    return two(slash, static_cast<char>('A' + Code - 33));
  if (Code == '/')
    return two(slash, 'O');
  if (Code == ':')
    return two(slash, 'Z');
  if (Code >= 59 && Code <= 63)
    return two(percent, static_cast<char>('F' + Code - 59));
  if (Code == '@')
    return two(percent, 'V');
  if (Code >= 91 && Code <= 95)
    return two(percent, static_cast<char>('K' + Code - 91));
  if (Code == '`')
    return two(percent, 'W');
  if (Code >= 'a' && Code <= 'z')
    return two(plus, static_cast<char>(Code - 'a' + 'A'));
  return two(percent, static_cast<char>('P' + Code - 123)); // { | } ~ DEL
}

// Code 128: the six element widths of values 0..105 (bar first).
const char* const Code128Table[106] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232"};
const char* const Code128Stop = "2331112";

// Code 93: 47 characters in value order and their six element widths.
const char Code93Chars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%[]{}";
const char* const Code93Table[47] = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114",
    "131211", "141111", "211113", "211212", "211311", "221112", "221211", "231111",
    "112113", "112212", "112311", "122112", "132111", "111123", "111222", "111321",
    "121122", "131121", "212112", "212211", "211122", "211221", "221121", "222111",
    "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",
    "112131", "113121", "211131", "121221", "312111", "311121", "122211"};

// POSTNET: the five bars of each digit, '1' tall.
const char* const PostNetTable[10] = {"11000", "00011", "00101", "00110", "01001",
                                      "01010", "01100", "10001", "10010", "10100"};

// Codabar: 20 characters and their seven elements (bar, space, ... bar), '1' wide.
const char CodabarChars[] = "0123456789-$:/.+ABCD";
const char* const CodabarTable[20] = {"0000011", "0000110", "0001001", "1100000", "0010010",
                                      "1000010", "0100001", "0100100", "0110000", "1001000",
                                      "0001100", "0011000", "1000101", "1010001", "1010100",
                                      "0010101", "0011010", "0101001", "0001011", "0001110"};

// EAN and UPC: the left-hand odd set's widths (space, bar, space, bar); the right-hand set
// has the same widths starting with a bar, the even set is the right-hand set reversed.
const char* const EANWidths[10] = {"3211", "2221", "2122", "1411", "1132",
                                   "1231", "1114", "1312", "1213", "3112"};
// EAN-13: the parity of digits 2-7 by the first digit ('0' odd set L, '1' even set G).
const char* const EAN13Parity[10] = {"000000", "001011", "001101", "001110", "010011",
                                     "011001", "011100", "010101", "010110", "011010"};
// UPC-E (number system 0): the parity of the six digits by the check digit ('1' even).
const char* const UPCEParity[10] = {"111000", "110100", "110010", "110001", "101100",
                                    "100110", "100011", "101010", "101001", "100101"};

enum TEANSet { esLeftOdd, esLeftEven, esRight };

// A space or a bar of width d (1..4) as a module code.
char SpaceCode(char d)
{
  return static_cast<char>('0' + (d - '1'));
}
char BarCode(char d)
{
  return static_cast<char>('5' + (d - '1'));
}

AnsiString EANDigit(char Digit, TEANSet Set)
{
  const char* w = EANWidths[Digit - '0'];
  AnsiString r;
  switch (Set) {
  case esLeftOdd:
    return {SpaceCode(w[0]), BarCode(w[1]), SpaceCode(w[2]), BarCode(w[3])};
  case esLeftEven:
    return {SpaceCode(w[3]), BarCode(w[2]), SpaceCode(w[1]), BarCode(w[0])};
  case esRight:
    return {BarCode(w[0]), SpaceCode(w[1]), BarCode(w[2]), SpaceCode(w[3])};
  }
  return r;
}

// Width strings of Code 128 and Code 93 alternate bar, space ... from a bar.
AnsiString ConvertWidths(const AnsiString& Widths)
{
  AnsiString r = Widths;
  for (size_t i = 0; i < r.size(); ++i)
    r[i] = i % 2 == 0 ? BarCode(r[i]) : SpaceCode(r[i]);
  return r;
}

bool IsDigit(char c)
{
  return c >= '0' && c <= '9';
}

// The mod-10 digit with weights 3 and 1 from the rightmost digit (rightmost x 3); a
// non-digit raises the runtime's integer conversion error.
char Modulo10Digit(const AnsiString& Data)
{
  Integer sum = 0;
  bool three = true;
  for (size_t i = Data.size(); i-- > 0;) {
    const Integer d = StrToInt(AnsiString(1, Data[i]));
    sum += three ? d * 3 : d;
    three = !three;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// The add-on check digit: weights 3 and 9 from the rightmost digit.
char AddOnDigit(const AnsiString& Data)
{
  Integer sum = 0;
  bool three = true;
  for (size_t i = Data.size(); i-- > 0;) {
    sum += (Data[i] - '0') * (three ? 3 : 9);
    three = !three;
  }
  return static_cast<char>('0' + sum % 10);
}

bool EANLike(TfrxBarcodeType Typ)
{
  return Typ == bcCodeEAN8 || Typ == bcCodeEAN13 || Typ == bcCodeUPC_A || Typ == bcCodeUPC_E0 ||
         Typ == bcCodeUPC_E1;
}

} // namespace

const TfrxBarcodeTypeInfo& BarcodeTypeInfo(TfrxBarcodeType Typ)
{
  return BarcodeTypes[static_cast<Integer>(Typ) % frxBarcodeTypeCount];
}

AnsiString BarcodeTypeNames()
{
  AnsiString names;
  for (const TfrxBarcodeTypeInfo& t : BarcodeTypes) {
    if (!names.empty())
      names += ',';
    names += t.Name;
  }
  return names;
}

// ---------------------------------------------------------------------------------------
// TfrxBarcode

TfrxBarcode::TfrxBarcode(TComponent* AOwner) : TComponent(AOwner) {}

void TfrxBarcode::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TfrxBarcode*>(Source);
  if (!src)
    return;
  FHeight = src->FHeight;
  FText = src->FText;
  FLeft = src->FLeft;
  FTop = src->FTop;
  FModul = src->FModul;
  FRatio = src->FRatio;
  FTyp = src->FTyp;
  FCheckSum = src->FCheckSum;
  FAngle = src->FAngle;
  FColor = src->FColor;
  FColorBar = src->FColorBar;
  FCheckSumMethod = src->FCheckSumMethod;
}

void TfrxBarcode::BoundRatio()
{
  switch (FTyp) {
  case bcCode_2_5_matrix:
    FRatio = std::min(3.0, std::max(2.25, FRatio));
    break;
  case bcCode128A:
  case bcCode128B:
  case bcCode128C:
  case bcCode93:
  case bcCode93Extended:
  case bcCodeMSI:
  case bcCodePostNet:
  case bcCodeEAN128A:
  case bcCodeEAN128B:
  case bcCodeEAN128C:
    break;
  default:
    FRatio = std::min(3.0, std::max(2.0, FRatio));
  }
  FModules[0] = FModul;
  FModules[1] = static_cast<Integer>(Round(FModul * FRatio));
  FModules[2] = FModules[1] * 3 / 2;
  FModules[3] = 2 * FModules[1];
}

void TfrxBarcode::CheckNumeric()
{
  FText = Trim(FText);
  for (char c : FText)
    if (!IsDigit(c))
      throw Exception(SBarcodeNotNumeric);
}

AnsiString TfrxBarcode::DoCheckSumming(const AnsiString& Data)
{
  if (FCheckSumMethod == csmNone)
    return Data;
  return Data + Modulo10Digit(Data);
}

AnsiString TfrxBarcode::Pad(Integer Count) const
{
  const Integer len = static_cast<Integer>(FText.size());
  return len >= Count ? FText : StringOfChar('0', Count - len) + FText;
}

AnsiString TfrxBarcode::MakeData()
{
  BoundRatio();
  if (static_cast<Integer>(FTyp) >= 0 && static_cast<Integer>(FTyp) < frxBarcodeTypeCount &&
      BarcodeTypes[FTyp].NumericOnly)
    CheckNumeric();
  switch (FTyp) {
  case bcCode_2_5_interleaved:
    return Code_2_5_interleaved();
  case bcCode_2_5_industrial:
    return Code_2_5_industrial();
  case bcCode_2_5_matrix:
    return Code_2_5_matrix();
  case bcCode39:
    return Code_39();
  case bcCode39Extended:
    return Code_39Extended();
  case bcCode128A:
  case bcCode128B:
  case bcCode128C:
  case bcCodeEAN128A:
  case bcCodeEAN128B:
  case bcCodeEAN128C:
    return Code_128();
  case bcCode93:
    return Code_93();
  case bcCode93Extended:
    return Code_93Extended();
  case bcCodeMSI:
    return Code_MSI();
  case bcCodePostNet:
    return Code_PostNet();
  case bcCodeCodabar:
    return Code_Codabar();
  case bcCodeEAN8:
    return Code_EAN8();
  case bcCodeEAN13:
    return Code_EAN13();
  case bcCodeUPC_A:
    return Code_UPC_A();
  case bcCodeUPC_E0:
    return Code_UPC_E(false);
  case bcCodeUPC_E1:
    return Code_UPC_E(true);
  case bcCodeUPC_Supp2:
    return Code_Supp2();
  case bcCodeUPC_Supp5:
    return Code_Supp5();
  }
  throw Exception(Format(SBarcodeWrongType, {ClassNameText}));
}

// An odd number of digits gets a leading "0", which the text shows as well, so that the
// bars carry every digit (pairs are interleaved, a lone last digit has no partner).
AnsiString TfrxBarcode::Code_2_5_interleaved()
{
  if (FText.size() % 2 != 0)
    FText = "0" + FText;
  AnsiString r = "5050";
  for (size_t i = 0; i + 1 < FText.size(); i += 2) {
    const char* a = Table2of5[FText[i] - '0'];
    const char* b = Table2of5[FText[i + 1] - '0'];
    for (Integer j = 0; j < 5; ++j) {
      r += a[j] == '1' ? '6' : '5';
      r += b[j] == '1' ? '1' : '0';
    }
  }
  return r + "605";
}

AnsiString TfrxBarcode::Code_2_5_industrial()
{
  AnsiString r = "606050";
  for (char c : FText)
    for (const char* e = Table2of5[c - '0']; *e; ++e)
      r += *e == '1' ? "60" : "50";
  return r + "605060";
}

AnsiString TfrxBarcode::Code_2_5_matrix()
{
  AnsiString r = "705050";
  for (char c : FText) {
    const char* e = Table2of5[c - '0'];
    for (Integer j = 0; j < 5; ++j)
      r += j % 2 == 0 ? (e[j] == '1' ? '6' : '5') : (e[j] == '1' ? '1' : '0');
    r += '0';
  }
  return r + "70505";
}

namespace {

AnsiString Code39Pattern(Integer Index)
{
  const AnsiString e = Code39Elements(Index);
  AnsiString r;
  for (size_t i = 0; i < e.size(); ++i)
    r += i % 2 == 0 ? (e[i] == '1' ? '6' : '5') : (e[i] == '1' ? '1' : '0');
  return r;
}

} // namespace

AnsiString TfrxBarcode::Code_39()
{
  const Integer star = 43;
  AnsiString r = Code39Pattern(star) + "0";
  Integer sum = 0;
  for (char c : FText) {
    const char* p = c ? std::strchr(Code39Chars, c) : nullptr;
    if (!p || p - Code39Chars >= star)
      continue; // characters outside the set are skipped
    const Integer value = static_cast<Integer>(p - Code39Chars);
    sum += value;
    r += Code39Pattern(value) + "0";
  }
  if (FCheckSum)
    r += Code39Pattern(sum % 43) + "0";
  return r + Code39Pattern(star);
}

AnsiString TfrxBarcode::Code_39Extended()
{
  const AnsiString saved = FText;
  AnsiString ext;
  for (char c : saved)
    if (static_cast<Byte>(c) < 128)
      ext += FullAscii(static_cast<Byte>(c), false);
  FText = ext;
  AnsiString r;
  try {
    r = Code_39();
  } catch (...) {
    FText = saved;
    throw;
  }
  FText = saved;
  return r;
}

AnsiString TfrxBarcode::Code_128()
{
  Integer start;
  switch (FTyp) {
  case bcCode128A:
  case bcCodeEAN128A:
    start = 103;
    break;
  case bcCode128B:
  case bcCodeEAN128B:
    start = 104;
    break;
  case bcCode128C:
  case bcCodeEAN128C:
    start = 105;
    break;
  default:
    throw Exception(Format(SBarcodeWrongType128, {ClassNameText}));
  }
  Integer sum = start, weight = 1;
  AnsiString w = Code128Table[start];
  AnsiString data = FText;
  if (FTyp == bcCodeEAN128A || FTyp == bcCodeEAN128B || FTyp == bcCodeEAN128C) {
    w += Code128Table[102]; // FNC1
    sum += weight * 102;
    ++weight;
    // The check digit is part of the encoded data only, so encoding twice (measuring, then
    // drawing) never appends it twice.
    if (FCheckSum)
      data = DoCheckSumming(data);
  }
  auto add = [&](Integer value) {
    w += Code128Table[value];
    sum += value * weight;
    ++weight;
  };
  if (start == 105) {
    if (data.size() % 2 != 0)
      data = "0" + data;
    for (size_t i = 0; i < data.size(); i += 2)
      add(IsDigit(data[i]) && IsDigit(data[i + 1]) ? (data[i] - '0') * 10 + (data[i + 1] - '0')
                                                   : 0);
  } else {
    const Integer last = start == 103 ? '_' : '~';
    for (char c : data) {
      const Integer code = static_cast<Byte>(c);
      add(code >= ' ' && code <= last ? code - ' ' : 0);
    }
  }
  w += Code128Table[sum % 103];
  w += Code128Stop;
  return ConvertWidths(w);
}

AnsiString TfrxBarcode::Code_93()
{
  std::vector<Integer> values;
  AnsiString w = "111141";
  for (char c : FText) {
    const char* p = c ? std::strchr(Code93Chars, c) : nullptr;
    if (!p)
      throw Exception(Format(SBarcodeCode93BadData, {ClassNameText, FText}));
    values.push_back(static_cast<Integer>(p - Code93Chars));
    w += Code93Table[values.back()];
  }
  Integer sumC = 0, sumK = 0, weightC = 1, weightK = 2;
  for (size_t i = values.size(); i-- > 0;) {
    sumC += values[i] * weightC;
    sumK += values[i] * weightK;
    weightC = weightC == 20 ? 1 : weightC + 1;
    weightK = weightK == 15 ? 1 : weightK + 1;
  }
  const Integer c = sumC % 47;
  const Integer k = (sumK + sumC) % 47;
  w += Code93Table[c];
  w += Code93Table[k];
  w += "1111411";
  return ConvertWidths(w);
}

AnsiString TfrxBarcode::Code_93Extended()
{
  const AnsiString saved = FText;
  AnsiString ext;
  for (char c : saved)
    if (static_cast<Byte>(c) < 128)
      ext += FullAscii(static_cast<Byte>(c), true);
  FText = ext;
  AnsiString r;
  try {
    r = Code_93();
  } catch (...) {
    FText = saved;
    throw;
  }
  FText = saved;
  return r;
}

namespace {

// The MSI check digit: the digits at odd positions from the right (the rightmost is 1),
// side by side as a number, doubled; the digit sum of that plus the digits at even
// positions; check = (10 - total mod 10) mod 10.
char MSICheckDigit(const AnsiString& Text)
{
  AnsiString odd;
  Integer total = 0;
  const size_t n = Text.size();
  for (size_t i = 0; i < n; ++i) {
    const size_t fromRight = n - i; // 1 for the rightmost
    if (fromRight % 2 == 1)
      odd += Text[i];
    else
      total += Text[i] - '0';
  }
  // Doubling digit by digit from the right, carrying, so any length works.
  Integer carry = 0;
  for (size_t i = odd.size(); i-- > 0;) {
    const Integer d = (odd[i] - '0') * 2 + carry;
    total += d % 10;
    carry = d / 10;
  }
  total += carry;
  return static_cast<char>('0' + (10 - total % 10) % 10);
}

} // namespace

AnsiString TfrxBarcode::Code_MSI()
{
  auto digit = [](char c) {
    AnsiString r;
    const Integer d = c - '0';
    for (Integer bit = 3; bit >= 0; --bit)
      r += (d >> bit) & 1 ? "60" : "51";
    return r;
  };
  AnsiString r = "60";
  for (char c : FText)
    r += digit(c);
  r += digit(MSICheckDigit(FText));
  return r + "515";
}

AnsiString TfrxBarcode::Code_PostNet()
{
  AnsiString r = "51";
  for (char c : FText)
    for (const char* e = PostNetTable[c - '0']; *e; ++e)
      r += *e == '1' ? "51" : "A1";
  return r + "5";
}

namespace {

AnsiString CodabarPattern(Integer Index)
{
  const char* e = CodabarTable[Index];
  AnsiString r;
  for (Integer i = 0; i < 7; ++i)
    r += i % 2 == 0 ? (e[i] == '1' ? '6' : '5') : (e[i] == '1' ? '1' : '0');
  return r;
}

} // namespace

// A character outside the set is refused like Code 93's, instead of leaving a pattern
// that measuring and drawing cannot read.
AnsiString TfrxBarcode::Code_Codabar()
{
  AnsiString r = CodabarPattern(16) + "0"; // start "A"
  for (char c : FText) {
    const char* p = c ? std::strchr(CodabarChars, c) : nullptr;
    if (!p)
      throw Exception(Format(SBarcodeCodabarBadData, {ClassNameText, FText}));
    r += CodabarPattern(static_cast<Integer>(p - CodabarChars)) + "0";
  }
  return r + CodabarPattern(17); // stop "B"
}

// With Checksum the check digit is computed over the data digits padded to 7; only an
// 8-digit text has its last digit replaced. Text itself is not changed.
AnsiString TfrxBarcode::Code_EAN8()
{
  AnsiString tmp;
  if (FCheckSum) {
    tmp = Pad(7);
    if (tmp.size() == 8)
      tmp.resize(7);
    if (tmp.size() == 7)
      tmp = DoCheckSumming(tmp);
  } else {
    tmp = Pad(8);
  }
  if (tmp.size() != 8)
    throw Exception(SBarcodeEAN8Len);
  AnsiString r = "505";
  for (Integer i = 0; i < 4; ++i)
    r += EANDigit(tmp[i], esLeftOdd);
  r += "05050";
  for (Integer i = 4; i < 8; ++i)
    r += EANDigit(tmp[i], esRight);
  return r + "505";
}

AnsiString TfrxBarcode::Code_EAN13()
{
  if (FText.size() != 13) {
    FText = Pad(13);
    if (FCheckSum)
      FText = DoCheckSumming(FText.substr(1, 12));
  }
  if (FText.size() != 13)
    throw Exception(SBarcodeEAN13Len);
  const char* parity = EAN13Parity[FText[0] - '0'];
  AnsiString r = "505";
  for (Integer i = 1; i <= 6; ++i)
    r += EANDigit(FText[i], parity[i - 1] == '1' ? esLeftEven : esLeftOdd);
  r += "05050";
  for (Integer i = 7; i <= 12; ++i)
    r += EANDigit(FText[i], esRight);
  return r + "505";
}

// With Checksum the check digit is computed over the data digits padded to 11; a text of
// 12 digits or more keeps its first 11 and gets the check digit as the twelfth.
AnsiString TfrxBarcode::Code_UPC_A()
{
  if (FCheckSum) {
    AnsiString data = Pad(11);
    if (data.size() > 11)
      data.resize(11);
    FText = DoCheckSumming(data);
  } else {
    FText = Pad(12);
  }
  AnsiString r = "505";
  for (Integer i = 0; i < 6; ++i)
    r += EANDigit(FText[i], esLeftOdd);
  r += "05050";
  for (Integer i = 6; i < 12 && i < static_cast<Integer>(FText.size()); ++i)
    r += EANDigit(FText[i], esRight);
  return r + "505";
}

namespace {

// The UPC-A number a UPC-E code stands for (number system, then ten digits), whose check
// digit a scanner expects in the parity of the six UPC-E digits.
AnsiString ExpandUPCE(const AnsiString& Six, char System)
{
  const char d1 = Six[0], d2 = Six[1], d3 = Six[2], d4 = Six[3], d5 = Six[4], d6 = Six[5];
  AnsiString r(1, System);
  switch (d6) {
  case '0':
  case '1':
  case '2':
    return r + d1 + d2 + d6 + "0000" + d3 + d4 + d5;
  case '3':
    return r + d1 + d2 + d3 + "00000" + d4 + d5;
  case '4':
    return r + d1 + d2 + d3 + d4 + "00000" + d5;
  default:
    return r + d1 + d2 + d3 + d4 + d5 + "0000" + d6;
  }
}

} // namespace

// The check digit is that of the UPC-A number the code expands to (number system 0 for
// UPC-E0, 1 for UPC-E1), which is the one scanners verify; it selects the parities
// whatever Checksum and CheckSumMethod say, and replaces the seventh digit with Checksum.
AnsiString TfrxBarcode::Code_UPC_E(bool System1)
{
  FText = Pad(7);
  const AnsiString six = FText.substr(0, 6);
  const char check = Modulo10Digit(ExpandUPCE(six, System1 ? '1' : '0'));
  if (FCheckSum)
    FText = six + check;
  const char* parity = UPCEParity[check - '0'];
  AnsiString r = "505";
  for (Integer i = 0; i < 6; ++i) {
    const bool even = (parity[i] == '1') != System1;
    r += EANDigit(six[i], even ? esLeftEven : esLeftOdd);
  }
  return r + "050505";
}

AnsiString TfrxBarcode::Code_Supp2()
{
  FText = Pad(2);
  const AnsiString digits = FText.substr(0, 2);
  if (FCheckSum)
    FText = digits + AddOnDigit(digits);
  const Integer value = StrToInt(digits) % 4;
  static const char* const parity[4] = {"00", "01", "10", "11"};
  return "506" + EANDigit(digits[0], parity[value][0] == '1' ? esLeftEven : esLeftOdd) + "05" +
         EANDigit(digits[1], parity[value][1] == '1' ? esLeftEven : esLeftOdd);
}

AnsiString TfrxBarcode::Code_Supp5()
{
  FText = Pad(5);
  const AnsiString digits = FText.substr(0, 5);
  const char check = AddOnDigit(digits);
  if (FCheckSum)
    FText = digits + check;
  const char* parity = UPCEParity[check - '0'] + 1;
  AnsiString r = "506";
  for (Integer i = 0; i < 5; ++i) {
    if (i > 0)
      r += "05";
    r += EANDigit(digits[i], parity[i] == '1' ? esLeftEven : esLeftOdd);
  }
  return r;
}

// ---- Measuring and drawing ----

void TfrxBarcode::OneBarProps(char Code, Integer& Width, TLineKind& Kind) const
{
  if (Code >= '0' && Code <= '3') {
    Width = FModules[Code - '0'];
    Kind = lkWhite;
  } else if (Code >= '5' && Code <= '8') {
    Width = FModules[Code - '5'];
    Kind = lkBlack;
  } else if (Code >= 'A' && Code <= 'D') {
    Width = FModules[Code - 'A'];
    Kind = lkBlackHalf;
  } else {
    throw Exception(Format(SBarcodeInternalError, {ClassNameText}));
  }
}

Integer TfrxBarcode::CodeWidth(const AnsiString& Data) const
{
  Integer w = 0;
  for (char c : Data) {
    Integer width;
    TLineKind kind;
    OneBarProps(c, width, kind);
    w += width;
  }
  return w;
}

Integer TfrxBarcode::Width()
{
  return CodeWidth(MakeData());
}

// Each element is a filled polygon over the pixels it covers, turned by Angle and moved
// so that the turned code starts at non-negative coordinates. Its edges lie on pixel
// boundaries (x to x + width, 0 to height + 1), not on pixel centres with a one-pixel pen:
// a stretched playback maps edges exactly, so bars and spaces keep their proportions at
// any scale, and at scale 1 the pixels are those of the pen-drawn outline.
void TfrxBarcode::ForEachBar(const AnsiString& Data, Integer W,
                             const std::function<void(TColor, const TPoint (&)[4])>& Bar)
{
  const double a = FAngle * Pi() / 180.0;
  const double s = std::sin(a), c = std::cos(a);
  const double boxW = W, boxH = FHeight + 1;
  Integer shiftX, shiftY;
  auto r = [](double v) { return static_cast<Integer>(Round(v)); };
  if (s >= -1e-9 && c >= -1e-9) {
    shiftX = 0;
    shiftY = r(s * boxW);
  } else if (s >= -1e-9) {
    shiftX = -r(c * boxW);
    shiftY = r(s * boxW - c * boxH);
  } else if (c >= -1e-9) {
    shiftX = -r(s * boxH);
    shiftY = 0;
  } else {
    shiftX = -r(c * boxW) - r(s * boxH);
    shiftY = -r(c * boxH);
  }
  auto turn = [&](double x, double y) {
    return TPoint{r(x * c + y * s) + shiftX + FLeft, r(-x * s + y * c) + shiftY + FTop};
  };
  Integer x = 0;
  for (char code : Data) {
    Integer width;
    TLineKind kind;
    OneBarProps(code, width, kind);
    const Integer h = kind == lkBlackHalf ? FHeight * 2 / 5 : FHeight;
    const TPoint pts[4] = {turn(x, 0), turn(x, h + 1), turn(x + width, h + 1), turn(x + width, 0)};
    Bar(kind == lkWhite ? FColor : FColorBar, pts);
    x += width;
  }
}

namespace {

// A bar along the axes is the rectangle of its corners, which fills the same pixels as the
// polygon at a fraction of its cost.
TRect CornersRect(const TPoint (&Pts)[4])
{
  const auto [l, r] = std::minmax({Pts[0].X, Pts[1].X, Pts[2].X, Pts[3].X});
  const auto [t, b] = std::minmax({Pts[0].Y, Pts[1].Y, Pts[2].Y, Pts[3].Y});
  return TRect{l, t, r, b};
}

} // namespace

void TfrxBarcode::DrawLines(TCanvas* Canvas, const AnsiString& Data, Integer W)
{
  Canvas->Pen()->SetStyle(psClear);
  const bool square = std::fmod(FAngle, 90.0) == 0;
  ForEachBar(Data, W, [&](TColor Color, const TPoint(&Pts)[4]) {
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    if (square)
      Canvas->FillRect(CornersRect(Pts));
    else
      Canvas->Polygon(Pts, 4);
  });
  Canvas->Pen()->SetStyle(psSolid);
}

// Each rectangle is filled on the device as a metafile played into Rect fills a recorded
// one: its edges scaled by Rect's size over the recording's and rounded, inside the
// canvas's clip. Recording and playing the bars cost far more than filling them.
void TfrxBarcode::DrawSquareLines(TCanvas* Canvas, const TRect& Rect, const AnsiString& Data,
                                  Integer W, Integer MetaW, Integer MetaH)
{
  TSurface* surface = Canvas->Surface();
  if (!surface)
    throw EInvalidOperation("Canvas does not allow drawing");
  const TPoint origin = Canvas->ToDevice(Rect.TopLeft());
  const double sx = double(Rect.Width()) / MetaW, sy = double(Rect.Height()) / MetaH;
  auto mapX = [&](Integer x) { return origin.X + static_cast<Integer>(std::floor(x * sx + 0.5)); };
  auto mapY = [&](Integer y) { return origin.Y + static_cast<Integer>(std::floor(y * sy + 0.5)); };
  TRegion clip;
  TGc gc;
  if (Canvas->GetClipRegion(clip))
    gc.Clip = &clip;
  // The bars are handed over together: a raster fills the rows they cover alike once.
  std::vector<TColoredRect> bars;
  bars.reserve(Data.size());
  ForEachBar(Data, W, [&](TColor Color, const TPoint(&Pts)[4]) {
    const TRect r = CornersRect(Pts);
    if (IsRectEmpty(r))
      return;
    bars.push_back(
        {TRect{mapX(r.Left), mapY(r.Top), mapX(r.Right), mapY(r.Bottom)}, ColorToRGB(Color)});
  });
  surface->FillRects(bars, gc);
}

void TfrxBarcode::DrawText(TCanvas* Canvas, const AnsiString& Data, Integer W, Integer MetaW,
                           Integer MetaH)
{
  Canvas->Font()->SetName("Arial");
  Canvas->Font()->SetSize(9);
  Canvas->Font()->SetOrientation(static_cast<Integer>(Round(FAngle * 10)));
  Canvas->Font()->SetColor(clBlack);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(FColor);
  const Integer angle = static_cast<Integer>(Round(FAngle));
  auto piece = [&](const AnsiString& text, Integer a, Integer b, Integer c) {
    TRect bg;
    TPoint at;
    switch (angle) {
    case 90:
      bg = Rect(MetaW - 14, MetaH - c - 1, MetaW, MetaH - b);
      at = {MetaW - 14, MetaH - a};
      break;
    case 180:
      bg = Rect(MetaW - c - 1, 0, MetaW - b, 16);
      at = {MetaW - a, 14};
      break;
    case 270:
      bg = Rect(0, b, 14, c + 1);
      at = {14, a};
      break;
    default:
      bg = Rect(b, MetaH - 16, c + 1, MetaH);
      at = {a, MetaH - 14};
    }
    Canvas->FillRect(bg);
    Canvas->SetBkMode(TRANSPARENT);
    Canvas->TextOut(at.X, at.Y, text);
  };
  auto sub = [&](size_t from, size_t count) {
    return from < FText.size() ? FText.substr(from, count) : AnsiString();
  };
  switch (FTyp) {
  case bcCodeEAN8:
    piece(sub(0, 4), 3, 3, 30);
    piece(sub(4, 4), 35, 35, W - 4);
    break;
  case bcCodeEAN13:
    if (sub(0, 1) != "0")
      piece(sub(0, 1), -8, -8, -2);
    piece(sub(1, 6), 3, 3, 44);
    piece(sub(7, 6), 49, 49, W - 4);
    break;
  case bcCodeUPC_A:
    piece(sub(0, 1), -8, -8, -2);
    piece(sub(1, 5), 10, 10, 44);
    piece(sub(6, 5), 49, 49, 83);
    piece(sub(11, 1), W + 1, W + 1, W + 8);
    break;
  case bcCodeUPC_E0:
  case bcCodeUPC_E1:
    piece(sub(0, 6), 3, 3, 44);
    piece(sub(6, 1), W + 1, W + 1, W + 8);
    break;
  default:
    piece(FText, (W - Canvas->TextWidth(FText)) / 2, 0, W);
  }
  (void)Data;
}

void TfrxBarcode::DrawBarcode(TCanvas* Canvas, const TRect& Rect, bool ShowText)
{
  const AnsiString data = MakeData();
  const Integer w = CodeWidth(data);
  FLeft = 0;
  FTop = 0;
  if (w <= 0 || Rect.Width() <= 0 || Rect.Height() <= 0)
    return;
  const bool across = FAngle != 0 && FAngle != 180;
  Integer metaW, metaH, thickness;
  if (across) {
    const double scale = double(Rect.Height()) / w;
    metaW = static_cast<Integer>(Round(Rect.Width() / scale));
    metaH = w;
    thickness = metaW;
  } else {
    const double scale = double(Rect.Width()) / w;
    metaW = w;
    metaH = static_cast<Integer>(Round(Rect.Height() / scale));
    thickness = metaH;
  }
  const Integer textRoom = EANLike(FTyp) ? 7 : 16;
  FHeight = std::max<Integer>(0, thickness - textRoom);
  const Integer offset = EANLike(FTyp) ? 8 : 16;
  if (FAngle == 270)
    FLeft = offset;
  else if (FAngle == 180)
    FTop = offset;

  const Integer recordW = std::max<Integer>(1, metaW), recordH = std::max<Integer>(1, metaH);
  // Turned by a multiple of 90 degrees, the bars go straight onto the canvas; turned by
  // any other angle they are polygons, recorded and stretched with the text.
  const bool square = std::fmod(FAngle, 90.0) == 0;
  if (square)
    DrawSquareLines(Canvas, Rect, data, w, recordW, recordH);
  if (square && !ShowText)
    return;
  TMetafile meta;
  meta.SetWidth(recordW);
  meta.SetHeight(recordH);
  {
    TMetafileCanvas mc(&meta, 0);
    if (!square)
      DrawLines(&mc, data, w);
    if (ShowText)
      DrawText(&mc, data, w, metaW, metaH);
  }
  Canvas->StretchDraw(Rect, &meta);
}

// ---------------------------------------------------------------------------------------
// Registration

void RegisterBarcodeEncoderClasses()
{
  RegisterEnumType<TfrxBarcodeType>(
      "TfrxBarcodeType",
      {BarcodeTypes[0].Name,  BarcodeTypes[1].Name,  BarcodeTypes[2].Name,  BarcodeTypes[3].Name,
       BarcodeTypes[4].Name,  BarcodeTypes[5].Name,  BarcodeTypes[6].Name,  BarcodeTypes[7].Name,
       BarcodeTypes[8].Name,  BarcodeTypes[9].Name,  BarcodeTypes[10].Name, BarcodeTypes[11].Name,
       BarcodeTypes[12].Name, BarcodeTypes[13].Name, BarcodeTypes[14].Name, BarcodeTypes[15].Name,
       BarcodeTypes[16].Name, BarcodeTypes[17].Name, BarcodeTypes[18].Name, BarcodeTypes[19].Name,
       BarcodeTypes[20].Name, BarcodeTypes[21].Name, BarcodeTypes[22].Name});
  RegisterEnumType<TfrxCheckSumMethod>("TfrxCheckSumMethod", {"csmNone", "csmModulo10"});
  using B = TfrxBarcode;
  TClassRegistration<TfrxBarcode, TComponent>("TfrxBarcode")
      .Property("Angle", &B::Angle, &B::SetAngle)
      .Property("Checksum", &B::Checksum, &B::SetChecksum)
      .Default(false)
      .Property("CheckSumMethod", &B::CheckSumMethod, &B::SetCheckSumMethod)
      .Default(csmModulo10)
      .Property("Color", &B::Color, &B::SetColor)
      .Type(TColorTypeInfo())
      .Default(clWhite)
      .Property("ColorBar", &B::ColorBar, &B::SetColorBar)
      .Type(TColorTypeInfo())
      .Default(clBlack)
      .Property("Height", &B::Height, &B::SetHeight)
      .Property("Modul", &B::Modul, &B::SetModul)
      .Default(1)
      .Property("Ratio", &B::Ratio, &B::SetRatio)
      .Property("Text", &B::Text, &B::SetText)
      .Property("Typ", &B::Typ, &B::SetTyp)
      .Default(bcCodeEAN13)
      .Property("Width", [](B* b) { return b->Width(); });
}
