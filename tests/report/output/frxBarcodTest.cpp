// The barcode encoder: check digits and text rewriting, errors, module strings of the
// symbologies no decoder here reads, codes drawn at any scale and angle and read back by
// zbarimg, and the pixels of bars, guards and text.
#include "report/output/frxBarcod.h"

#include <gtest/gtest.h>

#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Region.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Math.h"
#include "tests/report/output/OutputTestSupport.h"

namespace {

struct TEncodeCase {
  const char* Name;
  TfrxBarcodeType Typ;
  const char* Text;
  bool Checksum;
  const char* Expected; // the Text after encoding, or the error message
  bool Fails = false;
};

// The encoder's result for one case: the rewritten text, or the error's message.
std::string Encode(TfrxBarcodeType Typ, const AnsiString& Text, bool Checksum,
                   AnsiString* Data = nullptr)
{
  TfrxBarcode b(nullptr);
  b.SetTyp(Typ);
  b.SetText(Text);
  b.SetChecksum(Checksum);
  try {
    AnsiString d = b.MakeData();
    if (Data)
      *Data = d;
    return b.Text();
  } catch (const Exception& e) {
    return "error: " + e.Message();
  }
}

AnsiString Data(TfrxBarcodeType Typ, const AnsiString& Text, bool Checksum = false)
{
  AnsiString d;
  const std::string r = Encode(Typ, Text, Checksum, &d);
  EXPECT_EQ(r.rfind("error", 0), std::string::npos) << r;
  return d;
}

// Widths of module codes at Modul 1 and Ratio 2 (w0..w3 = 1, 2, 3, 4) as a run of 0 and 1
// per module: spaces 0, bars and short bars 1.
std::string Modules(const AnsiString& Data)
{
  std::string bits;
  for (char c : Data) {
    if (c >= '0' && c <= '3')
      bits.append(static_cast<size_t>(c - '0' + 1), '0');
    else if (c >= '5' && c <= '8')
      bits.append(static_cast<size_t>(c - '5' + 1), '1');
    else
      bits.append(static_cast<size_t>(c - 'A' + 1), '1');
  }
  return bits;
}

// The EAN/UPC left-hand digits as the standard writes them (odd set L; G is the right-hand
// set reversed, the right-hand set the complement of L), read back from seven modules.
const char* const LCodes[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                "0110001", "0101111", "0111011", "0110111", "0001011"};
// Digit and set ('L' or 'G') of seven modules of a left half; '?' when none fits.
std::pair<char, char> ReadLeftDigit(const std::string& m)
{
  for (int d = 0; d < 10; ++d) {
    std::string l = LCodes[d], r = l, g;
    for (char& c : r)
      c = c == '0' ? '1' : '0';
    g.assign(r.rbegin(), r.rend());
    if (m == l)
      return {static_cast<char>('0' + d), 'L'};
    if (m == g)
      return {static_cast<char>('0' + d), 'G'};
  }
  return {'?', '?'};
}

} // namespace

// Check digits, padding and the text each symbology leaves, and every error message.
TEST(frxBarcodTest, CheckDigitsTextRewritingAndErrors)
{
  const TEncodeCase cases[] = {
      {"EAN-13 computes its check digit", bcCodeEAN13, "590123412345", true, "5901234123457"},
      {"EAN-13 keeps 13 digits", bcCodeEAN13, "5901234123457", true, "5901234123457"},
      {"EAN-13 without checksum pads", bcCodeEAN13, "590123412345", false, "0590123412345"},
      {"EAN-13 trims blanks", bcCodeEAN13, " 123 ", false, "0000000000123"},
      {"EAN-13 refuses letters", bcCodeEAN13, "12A", false, "error: Barcode must be numeric"},
      {"EAN-13 refuses 14 digits", bcCodeEAN13, "12345678901234", false,
       "error: Invalid Text len (EAN13)"},
      {"UPC-A replaces the twelfth digit", bcCodeUPC_A, "036000291450", true, "036000291452"},
      {"UPC-A keeps all eleven data digits", bcCodeUPC_A, "03600029145", true, "036000291452"},
      {"UPC-A pads without checksum", bcCodeUPC_A, "123", false, "000000000123"},
      {"EAN-8 leaves its text", bcCodeEAN8, "1234567", true, "1234567"},
      {"EAN-8 refuses 9 digits", bcCodeEAN8, "123456789", false, "error: Invalid Text len (EAN8)"},
      {"EAN-8 with checksum refuses 9 digits", bcCodeEAN8, "123456789", true,
       "error: Invalid Text len (EAN8)"},
      {"I25 pads an odd count", bcCode_2_5_interleaved, "12345", false, "012345"},
      {"UPC-E0 check from the expanded UPC-A", bcCodeUPC_E0, "1234560", true, "1234565"},
      {"UPC-E1 check in number system 1", bcCodeUPC_E1, "1234560", true, "1234562"},
      {"Add-on 2 shows its check digit", bcCodeUPC_Supp2, "12", true, "125"},
      {"Add-on 5 shows its check digit", bcCodeUPC_Supp5, "52495", true, "524951"},
      {"Code 93 refuses lower case", bcCode93, "abc", false,
       "error: TfrxBarcode:Code93 bad Data <abc>"},
      {"Codabar refuses letters outside its set", bcCodeCodabar, "12X", false,
       "error: TfrxBarcode:Codabar bad Data <12X>"},
      {"EAN-128 check digit over letters", bcCodeEAN128A, "AB", true,
       "error: 'B' is not a valid integer value"},
      {"Unknown type", static_cast<TfrxBarcodeType>(23), "1", false,
       "error: TfrxBarcode: wrong BarcodeType"},
  };
  for (const TEncodeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Encode(c.Typ, c.Text, c.Checksum), c.Expected);
  }
}

// Check characters that the symbologies append without showing them.
TEST(frxBarcodTest, HiddenCheckCharacters)
{
  // Code 39: A-1 sums to 47, 47 mod 43 = 4: the same bars as "A-14" without the check.
  EXPECT_EQ(Data(bcCode39, "A-1", true), Data(bcCode39, "A-14"));
  // Code 128 B "AB": 104 + 33 + 2 x 34 = 205, 205 mod 103 = 102 (widths 411131).
  EXPECT_EQ(Data(bcCode128B, "AB").substr(18, 6), "805070");
  // Code 128 C pads "123" to the pairs 01 and 23.
  EXPECT_EQ(Data(bcCode128C, "123"), Data(bcCode128C, "0123"));
  // Code 93 "TEST93": the checks are the values 41 ("+") and 6, so its first eight
  // characters are those of "TEST93+6".
  EXPECT_EQ(Data(bcCode93, "TEST93").substr(0, 54), Data(bcCode93, "TEST93+6").substr(0, 54));
  // MSI "1234": check digit 4.
  EXPECT_EQ(Data(bcCodeMSI, "1234"), "60"
                                     "51515160"
                                     "51516051"
                                     "51516060"
                                     "51605151"
                                     "51605151"
                                     "515");
  // EAN-8 with checksum: 1234567 gets 0; a given eighth digit is replaced.
  EXPECT_EQ(Data(bcCodeEAN8, "1234567", true), Data(bcCodeEAN8, "12345670"));
  EXPECT_EQ(Data(bcCodeEAN8, "12345679", true), Data(bcCodeEAN8, "12345670"));
  EXPECT_EQ(Data(bcCodeEAN8, "123", true), Data(bcCodeEAN8, "00001236"));
}

// Symbologies no decoder here reads, written down from their standard tables.
TEST(frxBarcodTest, ModuleStringsOfUndecodedSymbologies)
{
  EXPECT_EQ(Data(bcCodePostNet, "0"), "51"
                                      "5151A1A1A1"
                                      "5");
  EXPECT_EQ(Data(bcCode_2_5_industrial, "1"), "606050"
                                              "6050505060"
                                              "605060");
  EXPECT_EQ(Data(bcCode_2_5_matrix, "1"), "705050"
                                          "60506"
                                          "0"
                                          "70505");
  // UPC-E1: the parities of UPC-E0 turned round, chosen by the number-system-1 check digit.
  const std::string m = Modules(Data(bcCodeUPC_E1, "1234560", true));
  ASSERT_EQ(m.size(), 3u + 42u + 6u);
  EXPECT_EQ(m.substr(0, 3), "101");
  EXPECT_EQ(m.substr(45), "010101");
  std::string digits, sets;
  for (int i = 0; i < 6; ++i) {
    auto [d, s] = ReadLeftDigit(m.substr(3 + 7 * i, 7));
    digits += d;
    sets += s;
  }
  EXPECT_EQ(digits, "123456");
  // Check digit 2 of 1 12345 00006 (UPC-A of 123456 in system 1); the UPC-E row of 2 is
  // EEOOEO, so system 1 reads OOEEOE.
  EXPECT_EQ(sets, "LLGGLG");
}

// Element widths follow Modul and Ratio; Ratio is bounded per symbology.
TEST(frxBarcodTest, ModuleWidthsAndRatioBounds)
{
  TfrxBarcode b(nullptr);
  b.SetTyp(bcCode39);
  b.SetText("1");
  b.SetModul(2);
  b.SetRatio(2.5);
  b.MakeData();
  EXPECT_EQ(b.ModuleWidth(0), 2);
  EXPECT_EQ(b.ModuleWidth(1), 5);
  EXPECT_EQ(b.ModuleWidth(2), 7);
  EXPECT_EQ(b.ModuleWidth(3), 10);

  struct TRatioCase {
    TfrxBarcodeType Typ;
    double Given, Bounded;
  };
  const TRatioCase cases[] = {
      {bcCode_2_5_matrix, 1, 2.25}, {bcCode_2_5_matrix, 4, 3}, {bcCode39, 1, 2},
      {bcCodeEAN13, 3.5, 3},        {bcCode128B, 1, 1},        {bcCodeMSI, 5, 5}};
  for (const TRatioCase& c : cases) {
    SCOPED_TRACE(BarcodeTypeInfo(c.Typ).Name);
    TfrxBarcode r(nullptr);
    r.SetTyp(c.Typ);
    r.SetText("1");
    r.SetRatio(c.Given);
    r.MakeData();
    EXPECT_EQ(r.Ratio(), c.Bounded);
  }
  // The width is the sum of the element widths: EAN-13 has 95 modules.
  TfrxBarcode e(nullptr);
  e.SetText("5901234123457");
  EXPECT_EQ(e.Width(), 95);
}

namespace {

struct TDecodeCase {
  TfrxBarcodeType Typ;
  const char* Text;
  bool Checksum;
  const char* Decoded; // as zbarimg prints it
};

// Draws the code 3 pixels per module, with its text, on a white bitmap with a quiet zone.
std::unique_ptr<TBitmap> Render(TfrxBarcode& B, Integer Angle, Integer Scale = 3)
{
  B.SetAngle(Angle);
  const Integer w = B.Width() * Scale, h = 70 * Scale;
  const bool across = Angle == 90 || Angle == 270;
  const Integer bw = (across ? h : w) + 40 * Scale, bh = (across ? w : h) + 40 * Scale;
  auto bmp = std::make_unique<TBitmap>(bw, bh);
  bmp->Canvas()->Brush()->SetColor(clWhite);
  bmp->Canvas()->FillRect(TRect{0, 0, bw, bh});
  const Integer q = 20 * Scale;
  B.DrawBarcode(bmp->Canvas(), TRect{q, q, bw - q, bh - q}, true);
  return bmp;
}

std::string ZbarRead(const std::string& File)
{
  return Chomp(RunProgram("zbarimg -q --raw -Sean2.enable -Sean5.enable -Scodabar.enable "
                          "-Si25.enable -Supca.enable '" +
                          File + "' 2>/dev/null"));
}

std::string FileTypeName(TfrxBarcodeType Typ)
{
  std::string s = BarcodeTypeInfo(Typ).DisplayName;
  for (char& c : s)
    if (c == ' ')
      c = '_';
  return s;
}

} // namespace

// Every symbology zbarimg knows, drawn into a PNG (barcode_<type>.png in the build folder)
// and read back to its text; the checks and padding are the encoder's.
TEST(frxBarcodTest, DrawnCodesDecode)
{
  ASSERT_TRUE(ProgramAvailable("zbarimg")) << "zbar-tools is part of the set-up";
  const TDecodeCase cases[] = {
      {bcCode_2_5_interleaved, "12345", false, "012345"},
      {bcCode39, "ABC-123", true, "ABC-123W"},
      {bcCode39Extended, "Abc!", false, "A+B+C/A"},
      {bcCode128A, "ABC123", false, "ABC123"},
      {bcCode128B, "Hello, world", false, "Hello, world"},
      {bcCode128C, "12345", false, "012345"},
      {bcCode93, "TEST93", false, "TEST93"},
      {bcCode93Extended, "Test 93!", false, "Test 93!"},
      {bcCodeCodabar, "12-34$5", false, "A12-34$5B"},
      {bcCodeEAN8, "1234567", true, "12345670"},
      {bcCodeEAN13, "590123412345", true, "5901234123457"},
      {bcCodeUPC_A, "03600029145", true, "036000291452"},
      {bcCodeUPC_E0, "1234560", true, "012345000065"},
      {bcCodeUPC_Supp2, "12", false, "12"},
      {bcCodeUPC_Supp5, "52495", false, "52495"},
      {bcCodeEAN128A, "ABC", false, "ABC"},
      {bcCodeEAN128B, "abc", false, "abc"},
      {bcCodeEAN128C, "1234", true, "012348"},
  };
  for (const TDecodeCase& c : cases) {
    SCOPED_TRACE(BarcodeTypeInfo(c.Typ).Name);
    TfrxBarcode b(nullptr);
    b.SetTyp(c.Typ);
    b.SetText(c.Text);
    b.SetChecksum(c.Checksum);
    auto bmp = Render(b, 0);
    const std::string file = OutputPath("barcode_" + FileTypeName(c.Typ) + ".png");
    TPngImage png;
    png.Assign(bmp.get());
    png.SaveToFile(file);
    EXPECT_EQ(ZbarRead(file), c.Decoded);
  }
}

// Turned codes still read; the code keeps its proportions at every angle.
TEST(frxBarcodTest, TurnedCodesDecode)
{
  ASSERT_TRUE(ProgramAvailable("zbarimg"));
  for (Integer angle : {0, 90, 180, 270}) {
    for (TfrxBarcodeType typ : {bcCodeEAN13, bcCode128B}) {
      SCOPED_TRACE(std::to_string(angle) + " " + BarcodeTypeInfo(typ).Name);
      TfrxBarcode b(nullptr);
      b.SetTyp(typ);
      b.SetText(typ == bcCodeEAN13 ? "5901234123457" : "Turn");
      auto bmp = Render(b, angle);
      const std::string file = OutputPath("barcode_turned.png");
      TPngImage png;
      png.Assign(bmp.get());
      png.SaveToFile(file);
      EXPECT_EQ(ZbarRead(file), typ == bcCodeEAN13 ? "5901234123457" : "Turn");
    }
  }
}

namespace {

// The runs of dark and light pixels along a row (or a column) between two positions.
std::vector<Integer> Runs(TBitmap& Bmp, Integer Fixed, Integer From, Integer To, bool Row)
{
  std::vector<Integer> runs;
  bool dark = false;
  Integer len = 0;
  for (Integer i = From; i < To; ++i) {
    const TColor c = Row ? Bmp.Pixel(i, Fixed) : Bmp.Pixel(Fixed, i);
    const bool d = GetRValue(c) < 128;
    if (i == From)
      dark = d;
    if (d != dark) {
      runs.push_back(len);
      len = 0;
      dark = d;
    }
    ++len;
  }
  runs.push_back(len);
  return runs;
}

} // namespace

// Stretched by 3, every element is exactly three times its width, across the bars of a
// plain code and of one turned by 90 degrees.
TEST(frxBarcodTest, StretchedElementsKeepTheirWidths)
{
  TfrxBarcode b(nullptr);
  b.SetTyp(bcCode128B);
  b.SetText("Ab1");
  const AnsiString data = b.MakeData();
  std::vector<Integer> expected;
  for (char c : data)
    expected.push_back(3 * (c >= '5' ? c - '5' + 1 : c - '0' + 1));

  TBitmap flat(b.Width() * 3, 60);
  flat.Canvas()->FillRect(TRect{0, 0, flat.Width(), 60});
  b.DrawBarcode(flat.Canvas(), TRect{0, 0, flat.Width(), 60}, false);
  EXPECT_EQ(Runs(flat, 10, 0, flat.Width(), true), expected);

  b.SetAngle(90);
  TBitmap turned(60, b.Width() * 3);
  turned.Canvas()->FillRect(TRect{0, 0, 60, turned.Height()});
  b.DrawBarcode(turned.Canvas(), TRect{0, 0, 60, turned.Height()}, false);
  std::vector<Integer> reversed(expected.rbegin(), expected.rend());
  EXPECT_EQ(Runs(turned, 10, 0, turned.Height(), false), reversed);
}

// A code turned by a multiple of 90 degrees is drawn straight onto the canvas, with the
// pixels that its recording at scale 1 played into the same rectangle gives: at scales
// that are not whole numbers, away from the canvas origin, and inside a clip region.
TEST(frxBarcodTest, DrawnStraightAsItsRecordingPlays)
{
  const TRegion clip =
      TRegion(TRect{0, 0, 200, 200}).Combine(TRegion(TRect{40, 30, 70, 200}), RGN_DIFF);
  for (Integer angle : {0, 90, 180, 270})
    for (TfrxBarcodeType typ : {bcCodeEAN13, bcCode128B})
      for (bool clipped : {false, true}) {
        SCOPED_TRACE(std::to_string(angle) + " " + BarcodeTypeInfo(typ).Name +
                     (clipped ? " clipped" : ""));
        TfrxBarcode b(nullptr);
        b.SetTyp(typ);
        b.SetText(typ == bcCodeEAN13 ? "5901234123457" : "SF1234567890");
        b.SetAngle(angle);
        const bool across = angle == 90 || angle == 270;
        const TRect dest = across ? TRect{7, 5, 7 + 61, 5 + 173} : TRect{7, 5, 7 + 173, 5 + 61};
        const Integer w = b.Width();
        const double scale = double(across ? dest.Height() : dest.Width()) / w;
        const Integer metaW = across ? static_cast<Integer>(Round(dest.Width() / scale)) : w;
        const Integer metaH = across ? w : static_cast<Integer>(Round(dest.Height() / scale));

        TMetafile recording;
        recording.SetWidth(metaW);
        recording.SetHeight(metaH);
        {
          TMetafileCanvas mc(&recording, 0);
          b.DrawBarcode(&mc, TRect{0, 0, metaW, metaH}, true);
        }
        TBitmap expected(200, 200), drawn(200, 200);
        for (TBitmap* bmp : {&expected, &drawn}) {
          bmp->Canvas()->FillRect(TRect{0, 0, 200, 200});
          if (clipped)
            bmp->Canvas()->SelectClipRegion(&clip);
        }
        recording.Play(expected.Canvas(), dest);
        b.DrawBarcode(drawn.Canvas(), dest, true);
        Integer differ = 0, dark = 0;
        for (Integer y = 0; y < 200; ++y)
          for (Integer x = 0; x < 200; ++x) {
            differ += drawn.Pixel(x, y) != expected.Pixel(x, y);
            dark += drawn.Pixel(x, y) == clBlack;
          }
        EXPECT_EQ(differ, 0);
        EXPECT_GT(dark, 1000);
      }
}

// Bars take ColorBar and spaces Color; EAN guard bars reach below the digit bars, whose
// lower part the text's background covers; the text of other codes sits under the bars.
TEST(frxBarcodTest, BarsGuardsAndText)
{
  TfrxBarcode b(nullptr);
  b.SetText("5901234123457");
  b.SetColorBar(clBlue);
  b.SetColor(clYellow);
  TBitmap bmp(95, 60);
  bmp.Canvas()->FillRect(TRect{0, 0, 95, 60});
  b.DrawBarcode(bmp.Canvas(), TRect{0, 0, 95, 60}, true);
  // Scale 1: the bars are Height = 60 - 7 high; the text band starts 16 rows from the end.
  EXPECT_EQ(b.Height(), 53);
  EXPECT_EQ(bmp.Pixel(0, 50), clBlue);   // left guard, below the text band's top
  EXPECT_EQ(bmp.Pixel(1, 50), clYellow); // the guard's space
  EXPECT_EQ(bmp.Pixel(0, 53), clBlue);   // the guard's last row
  EXPECT_EQ(bmp.Pixel(0, 54), clWhite);  // nothing below it
  // Modules 3-9 are the second digit, 9 in L ("0001011"): module 6 is a bar above the text
  // band (rows 44 on) and takes the band's colour inside it.
  EXPECT_EQ(bmp.Pixel(6, 43), clBlue);
  EXPECT_EQ(bmp.Pixel(6, 44), clYellow);

  TfrxBarcode c(nullptr);
  c.SetTyp(bcCode39);
  c.SetText("1");
  TBitmap code39(c.Width(), 60);
  code39.Canvas()->FillRect(TRect{0, 0, code39.Width(), 60});
  c.DrawBarcode(code39.Canvas(), TRect{0, 0, code39.Width(), 60}, true);
  // Bars are 44 rows high; the text band (Color) starts at row 44 under the whole code.
  EXPECT_EQ(c.Height(), 44);
  EXPECT_EQ(code39.Pixel(0, 43), clBlack);
  EXPECT_EQ(code39.Pixel(0, 44), clWhite);
  // Some dark text pixels in the band under the bars.
  Integer dark = 0;
  for (Integer y = 46; y < 60; ++y)
    for (Integer x = 0; x < code39.Width(); ++x)
      dark += GetRValue(code39.Pixel(x, y)) < 128;
  EXPECT_GT(dark, 10);
}

// Assign copies every setting of another encoder and ignores other sources.
TEST(frxBarcodTest, AssignCopiesSettings)
{
  TfrxBarcode a(nullptr), b(nullptr);
  a.SetText("X");
  a.SetModul(3);
  a.SetRatio(2.5);
  a.SetTyp(bcCode93);
  a.SetChecksum(true);
  a.SetAngle(90);
  a.SetColor(clRed);
  a.SetColorBar(clGreen);
  a.SetCheckSumMethod(csmNone);
  a.SetHeight(7);
  a.SetLeft(4);
  b.Assign(&a);
  EXPECT_EQ(b.Text(), "X");
  EXPECT_EQ(b.Modul(), 3);
  EXPECT_EQ(b.Ratio(), 2.5);
  EXPECT_EQ(b.Typ(), bcCode93);
  EXPECT_TRUE(b.Checksum());
  EXPECT_EQ(b.Angle(), 90);
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.ColorBar(), clGreen);
  EXPECT_EQ(b.CheckSumMethod(), csmNone);
  EXPECT_EQ(b.Height(), 7);
  EXPECT_EQ(b.Left(), 4);
  TFont font;
  b.Assign(&font);
  EXPECT_EQ(b.Text(), "X");
}
