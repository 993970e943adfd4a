// The PDF document writer; see frxPDFFile.h for the object plan.
#include "report/output/frxPDFFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/graphics/FontData.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Math.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxDrawText.h"
#include "report/output/frxExportUtils.h"
#include "report/output/frxZLib.h"

const char* const frxVendorAddress = "www.zuzudorova.example";

namespace {

AnsiString GDefaultLanguage = "zh";

AnsiString F4(Extended Value)
{
  return TfrxPDFToolkit::FloatText(Value);
}

// "%.2g" in the C locale.
AnsiString G2(double Value)
{
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::general, 2);
  return AnsiString(buf, r.ptr);
}

AnsiString Num(Int64 Value)
{
  return AnsiString(std::to_string(Value));
}

// The Cyrillic and Central European encodings' differences, written piece by piece.
const char* const CyrillicDifferences[] = {
    "/Differences [129 /afii10052",
    "/quotesinglbase/afii10100/quotedblbase/ellipsis/dagger/daggerdbl/Euro/perthousand/afii10058/"
    "guilsinglleft/afii10059/afii10061/afii10060/afii10145/afii10099/quoteleft",
    "/quoteright/quotedblleft/quotedblright/bullet/endash/emdash/space/trademark/afii10106/"
    "guilsinglright/afii10107/afii10109/afii10108/afii10193/space/afii10062",
    "/afii10110/afii10057/currency/afii10050/brokenbar/section/afii10023/copyright/afii10053/"
    "guillemotleft/logicalnot/hyphen/registered/afii10056/degree/plusminus",
    "/afii10055/afii10103/afii10098/mu/paragraph/periodcentered/afii10071/afii61352/afii10101/"
    "guillemotright/afii10105/afii10054/afii10102/afii10104/afii10017/afii10018",
    "/afii10019/afii10020/afii10021/afii10022/afii10024/afii10025/afii10026/afii10027/afii10028/"
    "afii10029/afii10030/afii10031/afii10032/afii10033/afii10034/afii10035",
    "/afii10036/afii10037/afii10038/afii10039/afii10040/afii10041/afii10042/afii10043/afii10044/"
    "afii10045/afii10046/afii10047/afii10048/afii10049/afii10065/afii10066",
    "/afii10067/afii10068/afii10069/afii10070/afii10072/afii10073/afii10074/afii10075/afii10076/"
    "afii10077/afii10078/afii10079/afii10080/afii10081/afii10082/afii10083",
    "/afii10084/afii10085/afii10086/afii10087/afii10088/afii10089/afii10090/afii10091/afii10092/"
    "afii10093/afii10094/afii10095/afii10096/afii10097/space]"};
const char* const CentralEuropeanDifferences[] = {
    "/Differences [128 /Euro 140 /Sacute /Tcaron /Zcaron /Zacute",
    " 156 /sacute /tcaron /zcaron /zacute 161 /caron /breve /Lslash",
    " 165 /Aogonek 170 /Scedilla 175 /Zdotaccent 178 /ogonek /lslash",
    " 185 /aogonek /scedilla 188 /Lcaron /hungarumlaut /lcaron /zdotaccent /Racute",
    " 195 /Abreve 197 /Lacute /Cacute 200 /Ccaron 202 /Eogonek 204 /Ecaron 207 /Dcaron /Dslash",
    " 209 /Nacute /Ncaron /Oacute 213 /Ohungarumlaut 216 /Rcaron /Uring 219 /Uhungarumlaut",
    " 222 /Tcedilla 224 /racute 227 /abreve 229 /lacute /cacute /ccedilla /ccaron",
    " 234 /eogonek 236 /ecaron 239 /dcaron /dmacron /nacute /ncaron 245 /ohungarumlaut",
    " 248 /rcaron /uring 251 /uhungarumlaut 254 /tcedilla /dotaccent]"};

bool IsChineseCharset(Integer Charset)
{
  return Charset == GB2312_CHARSET || Charset == CHINESEBIG5_CHARSET;
}

} // namespace

void SetDefaultPDFLanguage(const AnsiString& Code)
{
  GDefaultLanguage = Code;
}

// ---------------------------------------------------------------------------------------
// TfrxPDFElement

void TfrxPDFElement::Write(TStream* Stream, std::string_view Text)
{
  if (!Text.empty())
    Stream->WriteBuffer(Text.data(), static_cast<Integer>(Text.size()));
}

void TfrxPDFElement::WriteLn(TStream* Stream, std::string_view Text)
{
  Write(Stream, Text);
  Stream->WriteBuffer("\r\n", 2);
}

// ---------------------------------------------------------------------------------------
// TfrxPDFToolkit

TfrxPDFToolkit::TfrxPDFToolkit() : LangCode(GDefaultLanguage) {}

AnsiString TfrxPDFToolkit::FloatText(Extended Value)
{
  double v = static_cast<double>(Value);
  if (std::fabs(v) < 0.00005)
    v = 0;
  // Coordinates are written by the thousand per page. The nearest number of ten-thousandths
  // is the one printf gives unless the value lies (almost) halfway between two, which the
  // exact remainder shows; those, and values too large for the shortcut, are printed.
  if (std::fabs(v) < 1e9) {
    const double k = std::nearbyint(v * 10000);
    if (std::fabs(std::fma(v, 10000, -k)) < 0.49) {
      char buf[32];
      char* end = buf + sizeof buf;
      char* at = end;
      auto n = static_cast<std::uint64_t>(std::fabs(k));
      for (Integer i = 0; i < 4; ++i, n /= 10)
        *--at = static_cast<char>('0' + n % 10);
      *--at = '.';
      do {
        *--at = static_cast<char>('0' + n % 10);
        n /= 10;
      } while (n > 0);
      if (k < 0)
        *--at = '-';
      return AnsiString(at, end);
    }
  }
  // The largest double has 309 digits before the point.
  char buf[330];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4);
  return AnsiString(buf, r.ptr);
}

AnsiString TfrxPDFToolkit::ColorText(TColor Color) const
{
  const TColor rgb = Color == clNone ? clWhite : ColorToRGB(Color);
  return G2(GetRValue(rgb) / 255.0) + " " + G2(GetGValue(rgb) / 255.0) + " " +
         G2(GetBValue(rgb) / 255.0);
}

AnsiString TfrxPDFToolkit::EscapeText(const AnsiString& Text)
{
  AnsiString r;
  r.reserve(Text.size() + 8);
  for (char c : Text) {
    if (c == '\\' || c == '(' || c == ')')
      r += '\\';
    if (c != '\x01')
      r += c;
  }
  if (r.size() >= 2 && r.compare(r.size() - 2, 2, "\r\n") == 0)
    r.resize(r.size() - 2);
  return r;
}

bool TfrxPDFToolkit::NeedsUnicode(const AnsiString& Text)
{
  for (char ch : Text) {
    const Byte b = static_cast<Byte>(ch);
    if (b > 122 || b < 32)
      return true; // lead and trail bytes of double-byte characters are all above "z"
  }
  return false;
}

AnsiString TfrxPDFToolkit::UnicodePrefix() const
{
  return AnsiString("\xFE\xFF\x00\x1B", 4) + LangCode + AnsiString("\x00\x1B", 2);
}

// Plain text is escaped like content strings, so a name with an unbalanced "(" or a
// trailing "\" cannot end the string early.
AnsiString TfrxPDFToolkit::PrepareString(const AnsiString& Text) const
{
  if (NeedsUnicode(Text))
    return StringToOctal(UnicodePrefix()) + UnicodeOctal(Text);
  AnsiString r;
  for (char c : Text) {
    if (c == '\\' || c == '(' || c == ')')
      r += '\\';
    r += c;
  }
  return r;
}

AnsiString TfrxPDFToolkit::ByteToOctal(Byte Value)
{
  char buf[4] = {static_cast<char>('0' + (Value >> 6)), static_cast<char>('0' + ((Value >> 3) & 7)),
                 static_cast<char>('0' + (Value & 7)), 0};
  return AnsiString(buf, 3);
}

AnsiString TfrxPDFToolkit::StringToOctal(const AnsiString& Text)
{
  AnsiString r;
  for (char c : Text)
    r += "\\" + ByteToOctal(static_cast<Byte>(c));
  return r;
}

AnsiString TfrxPDFToolkit::UnicodeOctal(const AnsiString& Text)
{
  AnsiString r;
  for (char16_t u : GbkToWide(Text))
    r += "\\" + ByteToOctal(static_cast<Byte>(u >> 8)) + "\\" + ByteToOctal(static_cast<Byte>(u));
  return r;
}

Extended TfrxPDFToolkit::TextWidth(const AnsiString& Line) const
{
  TfrxDrawText* layout = frxDrawText();
  layout->Acquire();
  const Integer w = layout->LayoutCanvas()->TextWidth(Line);
  layout->Release();
  return w / (600.0L / 96.0L);
}

void TfrxPDFToolkit::SetLineHeight(TFont* Font, Extended LineSpacing)
{
  TfrxDrawText* layout = frxDrawText();
  layout->Acquire();
  layout->SelectFont(Font);
  layout->SetSpacing(LineSpacing, 0, 0);
  LineHeight = layout->LineHeight();
  layout->Release();
}

Extended TfrxPDFToolkit::HorzTextPos(const AnsiString& Line, Integer HAlign, Extended Width,
                                     Extended Left) const
{
  switch (HAlign) {
  case haCenter:
    return Left + Width / 2 - TextWidth(Line) / 2;
  case haRight:
    return Left + Width - TextWidth(Line);
  default:
    return Left;
  }
}

Extended TfrxPDFToolkit::VertTextPos(Integer VAlign, Integer Count, Integer Index, Extended Height,
                                     Extended Top) const
{
  switch (VAlign) {
  case vaBottom:
    return Top + Height - (Count - Index - 1) * LineHeight;
  case vaCenter:
    return Top + Height / 2 - Count * LineHeight / 2 + (Index + 1) * LineHeight;
  default:
    return Top + (Index + 1) * LineHeight;
  }
}

AnsiString PdfNameEscape(const AnsiString& Text)
{
  static const char* hex = "0123456789ABCDEF";
  AnsiString r;
  for (char ch : Text) {
    const Byte b = static_cast<Byte>(ch);
    const bool special =
        b < 33 || b > 126 || std::string_view("()<>[]{}/%#").find(ch) != std::string_view::npos;
    if (special) {
      r += '#';
      r += hex[b >> 4];
      r += hex[b & 15];
    } else {
      r += ch;
    }
  }
  return r;
}

// ---------------------------------------------------------------------------------------
// TfrxPDFFont

namespace {

// The face of a report font; a name no face file answers for falls back to the default
// sans face.
std::unique_ptr<TFontData> RealiseFont(TFont* Font)
{
  try {
    return std::make_unique<TFontData>(Font->Name(), Font->Style(), Font->Charset());
  } catch (const Exception&) {
    return std::make_unique<TFontData>("Arial", Font->Style(), Font->Charset());
  }
}

FT_Library FreeTypeLibrary()
{
  static FT_Library library = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0)
      throw Exception("FreeType cannot start");
    return l;
  }();
  return library;
}

const char HexDigits[] = "0123456789ABCDEF";

AnsiString Hex4(Integer Value)
{
  return {HexDigits[(Value >> 12) & 15], HexDigits[(Value >> 8) & 15], HexDigits[(Value >> 4) & 15],
          HexDigits[Value & 15]};
}

} // namespace

// The embedded face of a Chinese font and the glyphs its texts used, with their text.
struct TfrxPDFFont::TGlyphs {
  std::string File; // the standalone face, also what is embedded
  FT_Face Face = nullptr;
  std::map<Integer, std::u16string> Used;

  ~TGlyphs()
  {
    if (Face)
      FT_Done_Face(Face);
  }
  // The advance of a glyph in thousandths of the em.
  Integer Advance(Integer Gid) const
  {
    if (FT_Load_Glyph(Face, static_cast<FT_UInt>(Gid), FT_LOAD_NO_SCALE) != 0)
      return 1000;
    return static_cast<Integer>(
        std::lround(Face->glyph->advance.x * 1000.0 / std::max<FT_UShort>(1, Face->units_per_EM)));
  }
};

TfrxPDFFont::TfrxPDFFont(TfrxPDFFile* APDF, TFont* AFont, Integer AIndex)
    : FPDF(APDF), FFont(std::make_unique<TFont>()), FIndex(AIndex)
{
  FFont->Assign(AFont);
  FData = RealiseFont(FFont.get());
  if (!FPDF->EmbeddedFonts || !IsChineseCharset(FData->Charset()) || !FData->Embeddable())
    return;
  auto glyphs = std::make_unique<TGlyphs>();
  glyphs->File = FData->FontFile();
  if (FT_New_Memory_Face(FreeTypeLibrary(), reinterpret_cast<const FT_Byte*>(glyphs->File.data()),
                         static_cast<FT_Long>(glyphs->File.size()), 0, &glyphs->Face) != 0)
    return; // not readable: the text keeps its bytes and the face is not embedded
  FT_Select_Charmap(glyphs->Face, FT_ENCODING_UNICODE);
  FGlyphs = std::move(glyphs);
}

TfrxPDFFont::~TfrxPDFFont() = default;

bool TfrxPDFFont::Chinese() const
{
  return IsChineseCharset(FData->Charset());
}

AnsiString TfrxPDFFont::TextOperand(const AnsiString& Text)
{
  if (!FGlyphs)
    return "(" + TfrxPDFToolkit::EscapeText(Text) + ")";
  AnsiString bytes;
  for (char c : Text)
    if (c != '\x01')
      bytes += c;
  if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0)
    bytes.resize(bytes.size() - 2);
  const WideString wide = GbkToWide(bytes);
  AnsiString hex = "<";
  for (size_t i = 0; i < wide.size(); ++i) {
    std::u16string unit(1, wide[i]);
    char32_t cp = wide[i];
    if (wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size()) {
      unit += wide[i + 1];
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    }
    const Integer gid = static_cast<Integer>(FT_Get_Char_Index(FGlyphs->Face, cp));
    FGlyphs->Used.emplace(gid, unit);
    hex += Hex4(gid);
  }
  return hex + ">";
}

// The ToUnicode map of the glyphs used: glyph id to its text, 100 entries a block.
void TfrxPDFFont::WriteToUnicode(TStream* Stream, Integer Number)
{
  AnsiString cmap = "/CIDInit /ProcSet findresource begin\r\n12 dict begin\r\nbegincmap\r\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\r\n"
                    "/CMapName /Adobe-Identity-UCS def\r\n/CMapType 2 def\r\n"
                    "1 begincodespacerange\r\n<0000> <FFFF>\r\nendcodespacerange\r\n";
  std::vector<std::pair<Integer, std::u16string>> used(FGlyphs->Used.begin(), FGlyphs->Used.end());
  for (size_t i = 0; i < used.size(); i += 100) {
    const size_t count = std::min<size_t>(100, used.size() - i);
    cmap += Num(static_cast<Int64>(count)) + " beginbfchar\r\n";
    for (size_t j = i; j < i + count; ++j) {
      AnsiString text;
      for (char16_t u : used[j].second)
        text += Hex4(u);
      cmap += "<" + Hex4(used[j].first) + "> <" + text + ">\r\n";
    }
    cmap += "endbfchar\r\n";
  }
  cmap += "endcmap\r\nCMapName currentdict /CMap defineresource pop\r\nend\r\nend\r\n";
  FPDF->AddXRef(Stream, Number);
  WriteLn(Stream, Num(Number) + " 0 obj");
  if (FPDF->Compressed) {
    const std::string packed = CompressBytes(cmap.data(), cmap.size(), zcMax);
    WriteLn(Stream,
            "<< /Length " + Num(static_cast<Int64>(packed.size())) + " /Filter /FlateDecode >>");
    WriteLn(Stream, "stream");
    Write(Stream, packed);
    WriteLn(Stream, "");
  } else {
    WriteLn(Stream, "<< /Length " + Num(static_cast<Int64>(cmap.size())) + " >>");
    WriteLn(Stream, "stream");
    Write(Stream, cmap);
  }
  WriteLn(Stream, "endstream");
  WriteLn(Stream, "endobj");
}

void TfrxPDFFont::SaveToStream(TStream* Stream)
{
  TFontData* data = FData.get();
  const Integer charset = data->Charset();
  const Integer n = FPDF->FontBase() + FIndex;
  const bool cjk = IsChineseCharset(charset);
  const bool embed = FPDF->EmbeddedFonts && data->Embeddable() && (!cjk || FGlyphs);
  const AnsiString fileKey = data->FileName() + "#" + Num(data->FaceIndex());
  const Integer sharedFile = embed ? FPDF->FontFileObject(fileKey) : 0;
  const Integer fileObject = sharedFile ? sharedFile : n + 4;

  AnsiString face = FFont->Name();
  const bool bold = FFont->Style().Contains(fsBold), italic = FFont->Style().Contains(fsItalic);
  if (bold || italic)
    face += AnsiString(",") + (bold ? "Bold" : "") + (italic ? "Italic" : "");
  // Blanks and other bytes a name cannot hold are escaped once, for every charset (a
  // Chinese face name keeps its GBK bytes as #XX).
  const AnsiString name = PdfNameEscape(face);

  const TRect& box = data->FontBox();
  const AnsiString bbox = "/FontBBox [" + Num(box.Left) + " " + Num(box.Bottom) + " " +
                          Num(box.Right) + " " + Num(box.Top) + " ]";
  const double w = data->Weight() / 65.0;
  const AnsiString stem = Num(50 + Round(w * w));

  FPDF->AddXRef(Stream, n);
  WriteLn(Stream, Num(n) + " 0 obj");
  WriteLn(Stream, "<<");
  WriteLn(Stream, "/Type /Font");
  WriteLn(Stream, "/Name /F" + Num(FIndex - 1));
  WriteLn(Stream, "/BaseFont /" + name);
  WriteLn(Stream, cjk ? "/Subtype /Type0" : "/Subtype /TrueType");
  switch (charset) {
  case 0:
  case 2:
    WriteLn(Stream, "/Encoding /WinAnsiEncoding");
    break;
  case 161:
  case 162:
  case 163:
  case 177:
  case 178:
    WriteLn(Stream, "/Encoding <</Type/Encoding /BaseEncoding /WinAnsiEncoding");
    WriteLn(Stream, "/Differences [128 /Euro 142 /Zcaron 158 /zcaron]");
    WriteLn(Stream, ">>");
    break;
  case 204:
    WriteLn(Stream, "/Encoding <</Type/Encoding /BaseEncoding /WinAnsiEncoding");
    for (const char* piece : CyrillicDifferences)
      Write(Stream, piece);
    WriteLn(Stream, "");
    WriteLn(Stream, ">>");
    break;
  case 238:
    WriteLn(Stream, "/Encoding <</Type/Encoding /BaseEncoding /WinAnsiEncoding");
    for (const char* piece : CentralEuropeanDifferences)
      Write(Stream, piece);
    WriteLn(Stream, ">>");
    break;
  case GB2312_CHARSET:
  case CHINESEBIG5_CHARSET:
    WriteLn(Stream, "/DescendantFonts [" + Num(n + 1) + " 0 R]");
    if (FGlyphs) {
      WriteLn(Stream, "/Encoding /Identity-H");
      WriteLn(Stream, "/ToUnicode " + Num(n + 3) + " 0 R");
    } else {
      WriteLn(Stream,
              charset == GB2312_CHARSET ? "/Encoding /GBKp-EUC-H" : "/Encoding /ETenms-B5-H");
    }
    break;
  default:
    break;
  }

  if (cjk) {
    // The content keeps the GBK (Big5) bytes; the CMap turns them into the Adobe
    // collection's character ids.
    WriteLn(Stream, ">>");
    WriteLn(Stream, "endobj");
    FPDF->AddXRef(Stream, n + 1);
    WriteLn(Stream, Num(n + 1) + " 0 obj");
    WriteLn(Stream, "<<");
    WriteLn(Stream, "/Type /Font");
    WriteLn(Stream, "/Subtype");
    WriteLn(Stream, "/CIDFontType2");
    WriteLn(Stream, "/BaseFont /" + name);
    WriteLn(Stream, "/WinCharSet " + Num(charset));
    WriteLn(Stream, "/FontDescriptor " + Num(n + 2) + " 0 R");
    WriteLn(Stream, "/CIDSystemInfo");
    WriteLn(Stream, "<<");
    WriteLn(Stream, "/Registry(Adobe)");
    if (FGlyphs)
      WriteLn(Stream, "/Ordering(Identity)");
    else
      WriteLn(Stream, charset == GB2312_CHARSET ? "/Ordering(GB1)" : "/Ordering(CNS1)");
    WriteLn(Stream, charset == GB2312_CHARSET && !FGlyphs ? "/Supplement 2" : "/Supplement 0");
    WriteLn(Stream, ">>");
    WriteLn(Stream, "/DW 1000");
    if (FGlyphs) {
      AnsiString widths = "/W [";
      for (const auto& [gid, text] : FGlyphs->Used)
        widths += Num(gid) + " [" + Num(FGlyphs->Advance(gid)) + "] ";
      WriteLn(Stream, widths + "]");
      WriteLn(Stream, "/CIDToGIDMap /Identity");
    } else {
      WriteLn(Stream, "/W [1 95 500]");
    }
    WriteLn(Stream, ">>");
    WriteLn(Stream, "endobj");
    FPDF->AddXRef(Stream, n + 2);
    WriteLn(Stream, Num(n + 2) + " 0 obj");
    WriteLn(Stream, "<<");
    WriteLn(Stream, "/Type /FontDescriptor");
    if (embed)
      WriteLn(Stream, "/FontFile2 " + Num(fileObject) + " 0 R");
    WriteLn(Stream, "/FontName /" + name);
    WriteLn(Stream, "/Flags 7");
    WriteLn(Stream, bbox);
    WriteLn(Stream, "/Style << /Panose <010502020300000000000000> >>");
    WriteLn(Stream, "/Ascent " + Num(data->Ascent()));
    WriteLn(Stream, "/Descent " + Num(data->Descent()));
    WriteLn(Stream, "/CapHeight " + Num(data->CellHeight()));
    WriteLn(Stream, "/StemV " + stem);
    WriteLn(Stream, "/ItalicAngle " + Num(data->ItalicAngle()));
    WriteLn(Stream, ">>");
    WriteLn(Stream, "endobj");
  } else {
    WriteLn(Stream, "/FontDescriptor " + Num(n + 2) + " 0 R");
    WriteLn(Stream, "/FirstChar " + Num(data->FirstChar()));
    WriteLn(Stream, "/LastChar " + Num(data->LastChar()));
    AnsiString widths = "/Widths [";
    for (Integer c = data->FirstChar(); c <= data->LastChar(); ++c)
      widths += Num(data->Width(static_cast<Byte>(c))) + " ";
    WriteLn(Stream, widths + "]");
    WriteLn(Stream, ">>");
    WriteLn(Stream, "endobj");
    FPDF->AddXRef(Stream, n + 2);
    WriteLn(Stream, Num(n + 2) + " 0 obj");
    WriteLn(Stream, "<<");
    WriteLn(Stream, "/Type /FontDescriptor");
    if (embed)
      WriteLn(Stream, "/FontFile2 " + Num(fileObject) + " 0 R");
    WriteLn(Stream, bbox);
    WriteLn(Stream, "/FontName /" + name);
    WriteLn(Stream, "/Flags 32");
    WriteLn(Stream, "/StemV " + stem);
    WriteLn(Stream, "/CapHeight " + Num(data->CellHeight()));
    WriteLn(Stream, "/Ascent " + Num(data->Ascent()));
    WriteLn(Stream, "/Descent " + Num(data->Descent()));
    WriteLn(Stream, "/ItalicAngle " + Num(data->ItalicAngle()));
    WriteLn(Stream, ">>");
    WriteLn(Stream, "endobj");
  }

  if (FGlyphs)
    WriteToUnicode(Stream, n + 3);
  if (embed && !sharedFile) {
    FPDF->RecordFontFile(fileKey, n + 4);
    const std::string file = FGlyphs ? FGlyphs->File : data->FontFile();
    const std::string packed = CompressBytes(file.data(), file.size(), zcMax);
    FPDF->AddXRef(Stream, n + 4);
    WriteLn(Stream, Num(n + 4) + " 0 obj");
    WriteLn(Stream, "<< /Length " + Num(static_cast<Int64>(packed.size())) +
                        " /Filter /FlateDecode /Length1 " + Num(static_cast<Int64>(file.size())) +
                        " >>");
    WriteLn(Stream, "stream");
    Write(Stream, packed);
    WriteLn(Stream, "");
    WriteLn(Stream, "endstream");
    WriteLn(Stream, "endobj");
  }
}

// ---------------------------------------------------------------------------------------
// TfrxPDFPage

TfrxPDFPage::TfrxPDFPage(TfrxPDFFile* APDF, Integer AIndex, Extended AWidth, Extended AHeight)
    : Width(AWidth), Height(AHeight), FPDF(APDF), FIndex(AIndex),
      FContent(std::make_unique<TMemoryStream>())
{
}

TfrxPDFPage::~TfrxPDFPage() = default;

void TfrxPDFPage::Out(std::string_view Line)
{
  WriteLn(FContent.get(), Line);
}

void TfrxPDFPage::AddObject(TfrxView* Obj)
{
  frxFitExportObject(Obj);
  const Extended X = Obj->AbsLeft(), Y = Obj->AbsTop(), W = Obj->Width(), H = Obj->Height();
  TfrxPDFToolkit* kit = FPDF->Toolkit();
  if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(Obj);
      memo && memo->Rotation() == 0 &&
      (memo->BrushStyle() == bsSolid || memo->BrushStyle() == bsClear)) {
    AddText(memo);
    return;
  }
  if (dynamic_cast<TfrxCustomLineView*>(Obj)) {
    Out(kit->ColorText(Obj->Frame()->Color()) + " RG");
    Out(F4(Obj->Frame()->Width() * 0.75L) + " w");
    Out(F4(PdfX(X)) + " " + F4(PdfY(Y)) + " m");
    Out(F4(PdfX(X + W)) + " " + F4(PdfY(Y + H)) + " l");
    Out("S");
    return;
  }
  if (auto* shape = dynamic_cast<TfrxShapeView*>(Obj); shape && shape->Shape() == skRectangle) {
    Out(kit->ColorText(Obj->Frame()->Color()) + " RG");
    Out(F4(Obj->Frame()->Width() * 0.75L) + " w");
    // A rectangle without a fill is only stroked, as preview and print draw it, so what
    // lies under it stays visible.
    const bool filled = Obj->Color() != clNone;
    if (filled)
      Out(kit->ColorText(Obj->Color()) + " rg");
    Write(FContent.get(), F4(PdfX(X)) + " " + F4(PdfY(Y + H)) + " ");
    Out(F4(W * 0.75L) + " " + F4(H * 0.75L) + " re");
    Out(filled ? "B" : "S");
    return;
  }
  AddPicture(Obj);
}

namespace {

// The lines of a text, split at CR LF, without the empty piece after a final line end.
std::vector<AnsiString> SplitLines(const AnsiString& Text)
{
  std::vector<AnsiString> lines;
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = Text.find("\r\n", start);
    if (end == AnsiString::npos) {
      lines.push_back(Text.substr(start));
      break;
    }
    lines.push_back(Text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A run of a line's characters that are all single-byte or all double-byte (GBK).
struct TCharRun {
  size_t Start = 0, Length = 0;
  bool DoubleByte = false;
};

std::vector<TCharRun> SplitRuns(const AnsiString& Line)
{
  std::vector<TCharRun> runs;
  size_t i = 0;
  while (i < Line.size()) {
    const bool wide = IsDBCSLeadByte(static_cast<unsigned char>(Line[i])) && i + 1 < Line.size();
    const size_t step = wide ? 2 : 1;
    if (runs.empty() || runs.back().DoubleByte != wide)
      runs.push_back({i, 0, wide});
    runs.back().Length += step;
    i += step;
  }
  return runs;
}

} // namespace

void TfrxPDFPage::AddText(TfrxCustomMemoView* Memo)
{
  const Extended X = Memo->AbsLeft(), Y = Memo->AbsTop(), W = Memo->Width(), H = Memo->Height();
  TfrxPDFToolkit* kit = FPDF->Toolkit();
  const bool highlight = Memo->Highlight()->Active();
  TFont* font = highlight ? Memo->Highlight()->Font() : Memo->Font();
  const TColor color = highlight ? Memo->Highlight()->Color() : Memo->Color();
  if (color != clNone) {
    Out(kit->ColorText(color) + " rg");
    Write(FContent.get(), F4(PdfX(X)) + " " + F4(PdfY(Y + H)) + " ");
    Out(F4(W * 0.75L) + " " + F4(H * 0.75L) + " re");
    Out("f");
  }
  TfrxFrame* frame = Memo->Frame();
  if (!frame->Typ().Empty() && frame->Color() != clNone) {
    Out(kit->ColorText(frame->Color()) + " RG");
    Out(F4(frame->Width() * 0.75L) + " w");
    auto segment = [&](Extended x1, Extended y1, Extended x2, Extended y2) {
      Out(F4(PdfX(x1)) + " " + F4(PdfY(y1)) + " m");
      Out(F4(PdfX(x2)) + " " + F4(PdfY(y2)) + " l");
      Out("S");
    };
    if (frame->Typ().Contains(ftTop))
      segment(X, Y, X + W, Y);
    if (frame->Typ().Contains(ftLeft))
      segment(X, Y, X, Y + H);
    if (frame->Typ().Contains(ftBottom))
      segment(X, Y + H, X + W, Y + H);
    if (frame->Typ().Contains(ftRight))
      segment(X + W, Y, X + W, Y + H);
  }
  const std::vector<AnsiString> lines = SplitLines(Memo->MemoLayoutText(true));
  if (lines.empty())
    return;
  const Integer p = FPDF->AddFont(font);
  Out("/F" + Num(5 * p) + " " + Num(font->Size()) + " Tf");
  Out(kit->ColorText(font->Color()) + " rg");
  kit->SetLineHeight(font, Memo->LineSpacing());
  const Integer n = static_cast<Integer>(lines.size());
  for (Integer i = 0; i < n; ++i) {
    const AnsiString s = TfrxPDFToolkit::EscapeText(lines[i]);
    bool blank = true;
    for (char c : s)
      if (static_cast<Byte>(c) > ' ') {
        blank = false;
        break;
      }
    if (blank)
      continue;
    const Extended tx =
        PdfX(kit->HorzTextPos(lines[i], Memo->HAlign(), W - 2 * Memo->GapX(), X + Memo->GapX()));
    const Extended ty =
        PdfY(kit->VertTextPos(Memo->VAlign(), n, i, H - 2 * Memo->GapY(), Y + Memo->GapY() - 1));
    AddTextLine(lines[i], font, p, tx, ty);
    if (font->Style().Contains(fsUnderline)) {
      const Extended uy = ty - font->Size() * 0.12L;
      Out(kit->ColorText(font->Color()) + " RG");
      Out(F4(font->Size() * 0.08L) + " w");
      Out(F4(tx) + " " + F4(uy) + " m");
      Out(F4(tx + kit->TextWidth(lines[i]) * 0.75L) + " " + F4(uy) + " l");
      Out("S");
    }
  }
}

void TfrxPDFPage::AddTextLine(const AnsiString& Line, TFont* Font, Integer FontPos, Extended X,
                              Extended Y)
{
  TfrxPDFFont* own = FPDF->Fonts(FontPos);
  Out("BT");
  Out(F4(X) + " " + F4(Y) + " Td");
  const std::vector<TCharRun> runs = own->Chinese() ? std::vector<TCharRun>() : SplitRuns(Line);
  if (runs.size() <= 1 && (runs.empty() || !runs[0].DoubleByte)) {
    Out(own->TextOperand(Line) + " Tj");
    Out("ET");
    return;
  }
  // A face without Chinese characters (a simple font would show their GBK bytes as Latin
  // letters): each run of them is written in the fallback face, and every run starts where
  // the layout of the whole line puts it.
  const Integer fallback = FPDF->AddFallbackFont(Font);
  TfrxPDFToolkit* kit = FPDF->Toolkit();
  Extended moved = 0; // points from the line's start to the current run
  for (const TCharRun& run : runs) {
    if (run.Start > 0) {
      const Extended at = kit->TextWidth(Line.substr(0, run.Start)) * 0.75L;
      Out(F4(at - moved) + " 0 Td");
      moved = at;
    }
    const Integer pos = run.DoubleByte ? fallback : FontPos;
    Out("/F" + Num(5 * pos) + " " + Num(Font->Size()) + " Tf");
    Out(FPDF->Fonts(pos)->TextOperand(Line.substr(run.Start, run.Length)) + " Tj");
  }
  Out("ET");
  if (runs.back().DoubleByte)
    Out("/F" + Num(5 * FontPos) + " " + Num(Font->Size()) + " Tf");
}

// Any other object is drawn into a bitmap and embedded as an inline JPEG. A single blank
// separates "ID" from the image data, as inline images require.
void TfrxPDFPage::AddPicture(TfrxView* Obj)
{
  const Extended X = Obj->AbsLeft(), Y = Obj->AbsTop(), W = Obj->Width(), H = Obj->Height();
  const Integer bw = static_cast<Integer>(Round(W)) + 1, bh = static_cast<Integer>(Round(H)) + 1;
  if (bw <= 0 || bh <= 0)
    return;
  TBitmap bmp(bw, bh);
  bmp.SetPixelFormat(pf24bit);
  Obj->Draw(bmp.Canvas(), 1, 1, -X, -Y);
  const std::string& bytes = FPDF->JpegOf(&bmp);
  Out("q");
  Out(F4(W * 0.75L) + " 0 0 " + F4(H * 0.75L) + " " + F4(PdfX(X)) + " " + F4(PdfY(Y + H)) + " cm");
  Out("BI");
  Out("/W " + Num(bw));
  Out("/H " + Num(bh));
  Out("/CS /RGB");
  Out("/BPC 8");
  Out("/I true");
  Out("/F [/DCT]");
  Write(FContent.get(), "ID ");
  Write(FContent.get(), bytes);
  Out("");
  Out("EI");
  Out("Q");
}

void TfrxPDFPage::SaveToStream(TStream* Stream)
{
  const Integer n = FPDF->PageBase() + 2 * FIndex - 1;
  FPDF->AddXRef(Stream, n);
  WriteLn(Stream, Num(n) + " 0 obj");
  WriteLn(Stream, "<<");
  WriteLn(Stream, "/Type /Page");
  WriteLn(Stream, "/Parent 3 0 R");
  WriteLn(Stream, "/MediaBox [0 0 " + F4(Width) + " " + F4(Height) + " ]");
  WriteLn(Stream, "/Resources <<");
  WriteLn(Stream, "/Font <<");
  for (Integer j = 0; j < FPDF->FontCount(); ++j)
    WriteLn(Stream, "/F" + Num(5 * j) + " " + Num(FPDF->FontBase() + 5 * j + 1) + " 0 R");
  WriteLn(Stream, ">>");
  WriteLn(Stream, "/XObject <<");
  WriteLn(Stream, ">>");
  WriteLn(Stream, "/ProcSet [/PDF /Text /ImageC ]");
  WriteLn(Stream, ">>");
  WriteLn(Stream, "/Contents " + Num(n + 1) + " 0 R");
  WriteLn(Stream, ">>");
  WriteLn(Stream, "endobj");

  FPDF->AddXRef(Stream, n + 1);
  WriteLn(Stream, Num(n + 1) + " 0 obj");
  WriteLn(Stream, "<<");
  const char* data = static_cast<const char*>(FContent->Memory());
  const size_t size = static_cast<size_t>(FContent->Size());
  if (FPDF->Compressed) {
    const std::string* ahead = FPDF->Packed(this);
    const std::string packed = ahead ? std::string() : CompressBytes(data, size, zcMax);
    const std::string& bytes = ahead ? *ahead : packed;
    WriteLn(Stream, "/Length " + Num(static_cast<Int64>(bytes.size())));
    WriteLn(Stream, "/Filter [/FlateDecode ]");
    WriteLn(Stream, ">>");
    WriteLn(Stream, "stream");
    Write(Stream, bytes);
    WriteLn(Stream, "");
  } else {
    WriteLn(Stream, "/Length " + Num(static_cast<Int64>(size)));
    WriteLn(Stream, "/Filter [ ]");
    WriteLn(Stream, ">>");
    WriteLn(Stream, "stream");
    Write(Stream, std::string_view(data, size));
  }
  WriteLn(Stream, "endstream");
  WriteLn(Stream, "endobj");
}

// ---------------------------------------------------------------------------------------
// TfrxPDFFile

// The pictures encoded last, most recently used first. An entry keeps the pixels it was
// encoded from, and a match is checked pixel for pixel (a comparison stops at the first
// difference, so it costs less than hashing the pixels would).
struct TfrxPDFFile::TJpegCache {
  struct TEntry {
    Integer Width = 0, Height = 0;
    std::vector<std::uint32_t> Pixels;
    std::string Jpeg;
  };
  static constexpr size_t MaxEntries = 16;
  static constexpr size_t MaxPixels = 1 << 20; // larger pictures are encoded every time
  std::vector<std::unique_ptr<TEntry>> Entries;
  std::string Uncached;
};

namespace {

std::string EncodeJpeg(TBitmap* Bitmap)
{
  TJPEGImage jpeg;
  jpeg.Assign(Bitmap);
  jpeg.SetCompressionQuality(100);
  return jpeg.Data();
}

} // namespace

const std::string& TfrxPDFFile::JpegOf(TBitmap* Bitmap)
{
  if (!FJpegs)
    FJpegs = std::make_unique<TJpegCache>();
  TJpegCache& cache = *FJpegs;
  const TImageSurface& surface = Bitmap->Surface();
  const Integer w = surface.Width(), h = surface.Height();
  const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
  if (count > TJpegCache::MaxPixels) {
    cache.Uncached = EncodeJpeg(Bitmap);
    return cache.Uncached;
  }
  const std::uint32_t* pixels = surface.Bits();
  auto& entries = cache.Entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TJpegCache::TEntry& e = *entries[i];
    if (e.Width != w || e.Height != h ||
        std::memcmp(pixels, e.Pixels.data(), count * sizeof(std::uint32_t)) != 0)
      continue;
    std::rotate(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(i),
                entries.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    return entries.front()->Jpeg;
  }
  auto entry = std::make_unique<TJpegCache::TEntry>();
  entry->Jpeg = EncodeJpeg(Bitmap);
  entry->Width = w;
  entry->Height = h;
  entry->Pixels.assign(pixels, pixels + count);
  if (entries.size() == TJpegCache::MaxEntries)
    entries.pop_back();
  entries.insert(entries.begin(), std::move(entry));
  return entries.front()->Jpeg;
}

// The packer: one worker thread deflating the contents of finished pages in the order they
// were handed over. At most MaxQueued pages wait (pages the document keeps until it is
// written in any case), enough to ride out the worker's turns off the processor; a worker
// slower than the drawing holds the drawing back. The bytes equal what deflating the page at
// the end gives; a failure is kept with the page and raised when the page is written, where
// deflating it then would have raised it. Each side wakes the other only when it sleeps.
struct TfrxPDFFile::TPacker {
  static constexpr size_t MaxQueued = 8;
  std::mutex Lock;
  std::condition_variable Work, Done;
  std::deque<TfrxPDFPage*> Queue;
  bool Stopping = false;
  bool WorkerWaits = false;
  Integer Waiters = 0;       // the document's side waiting for room or for a page
  TDeflater Deflater{zcMax}; // the worker's alone
  std::thread Worker;

  void Run()
  {
    std::unique_lock<std::mutex> hold(Lock);
    for (;;) {
      while (!Stopping && Queue.empty()) {
        WorkerWaits = true;
        Work.wait(hold);
        WorkerWaits = false;
      }
      if (Stopping)
        return;
      TfrxPDFPage* page = Queue.front();
      hold.unlock();
      // The page is no longer drawn on: its content stays as it is while it is read here.
      const char* data = static_cast<const char*>(page->FContent->Memory());
      const Int64 size = page->FContent->Size();
      std::string packed;
      int result = 0;
      std::exception_ptr failure;
      try {
        result = Deflater.Deflate(data, static_cast<size_t>(size), packed);
      } catch (...) {
        failure = std::current_exception();
      }
      hold.lock();
      page->FPacked = std::move(packed);
      page->FPackResult = result;
      page->FPackFailure = failure;
      page->FPackedFrom = size;
      page->FPackState = TfrxPDFPage::psDone;
      Queue.pop_front();
      if (Waiters > 0)
        Done.notify_all();
    }
  }

  // Waits, holding the lock, until Ready() holds.
  template <class F> void WaitFor(std::unique_lock<std::mutex>& Hold, F Ready)
  {
    while (!Ready()) {
      ++Waiters;
      Done.wait(Hold);
      --Waiters;
    }
  }
};

void TfrxPDFFile::Pack(TfrxPDFPage* Page)
{
  if (!Compressed || Page->FPackState != TfrxPDFPage::psNone)
    return;
  if (!FPacker) {
    auto packer = std::make_unique<TPacker>();
    try {
      packer->Worker = std::thread([p = packer.get()] { p->Run(); });
    } catch (const std::system_error&) {
      return; // no thread to be had: the page is deflated when it is written
    }
    FPacker = std::move(packer);
  }
  TPacker& packer = *FPacker;
  std::unique_lock<std::mutex> hold(packer.Lock);
  packer.WaitFor(hold, [&] { return packer.Queue.size() < TPacker::MaxQueued; });
  Page->FPackState = TfrxPDFPage::psQueued;
  packer.Queue.push_back(Page);
  if (packer.WorkerWaits)
    packer.Work.notify_one();
}

const std::string* TfrxPDFFile::Packed(TfrxPDFPage* Page)
{
  if (!FPacker || Page->FPackState == TfrxPDFPage::psNone)
    return nullptr;
  {
    TPacker& packer = *FPacker;
    std::unique_lock<std::mutex> hold(packer.Lock);
    packer.WaitFor(hold, [&] { return Page->FPackState == TfrxPDFPage::psDone; });
  }
  if (Page->FPackedFrom != Page->FContent->Size())
    return nullptr; // written to after it was handed over: deflated again
  if (Page->FPackFailure)
    std::rethrow_exception(Page->FPackFailure);
  CheckDeflateResult(Page->FPackResult);
  return &Page->FPacked;
}

void TfrxPDFFile::StopPacker()
{
  if (!FPacker)
    return;
  {
    std::lock_guard<std::mutex> hold(FPacker->Lock);
    FPacker->Stopping = true;
  }
  FPacker->Work.notify_one();
  FPacker->Worker.join();
  // Pages the worker did not finish are deflated when written.
  for (TfrxPDFPage* page : FPacker->Queue)
    page->FPackState = TfrxPDFPage::psNone;
  FPacker.reset();
}

TfrxPDFFile::TfrxPDFFile() : FToolkit(std::make_unique<TfrxPDFToolkit>()) {}

TfrxPDFFile::~TfrxPDFFile()
{
  Clear();
}

void TfrxPDFFile::Clear()
{
  StopPacker();
  FPages.clear();
  FFonts.clear();
  FXRef.clear();
  FFontFiles.clear();
  FJpegs.reset();
}

TfrxPDFPage* TfrxPDFFile::AddPage(TfrxComponent* Page)
{
  auto page = std::make_unique<TfrxPDFPage>(this, PageCount() + 1, Page->Width() * 0.75L,
                                            Page->Height() * 0.75L);
  // The page before is finished: its content is deflated while this one is drawn. Pages of
  // a report are much alike, so the new content starts with room for as much as it held.
  if (!FPages.empty()) {
    page->FContent->SetCapacity(FPages.back()->FContent->Size());
    Pack(FPages.back().get());
  }
  FPages.push_back(std::move(page));
  return FPages.back().get();
}

Integer TfrxPDFFile::AddFont(TFont* Font)
{
  for (Integer i = 0; i < FontCount(); ++i) {
    TFont* f = FFonts[i]->Font();
    if (f->Name() == Font->Name() && f->Style() == Font->Style() && f->Charset() == Font->Charset())
      return i;
  }
  FFonts.push_back(std::make_unique<TfrxPDFFont>(this, Font, 5 * FontCount() + 1));
  return FontCount() - 1;
}

Integer TfrxPDFFile::AddFallbackFont(TFont* Font)
{
  TFont fallback;
  fallback.Assign(Font);
  fallback.SetName("黑体");
  fallback.SetCharset(GB2312_CHARSET);
  return AddFont(&fallback);
}

Integer TfrxPDFFile::FontFileObject(const AnsiString& Key) const
{
  for (const auto& [key, number] : FFontFiles)
    if (key == Key)
      return number;
  return 0;
}

void TfrxPDFFile::RecordFontFile(const AnsiString& Key, Integer Number)
{
  FFontFiles.emplace_back(Key, Number);
}

void TfrxPDFFile::AddXRef(TStream* Stream, Integer Number)
{
  if (Number >= static_cast<Integer>(FXRef.size()))
    FXRef.resize(static_cast<size_t>(Number) + 1, -1);
  FXRef[static_cast<size_t>(Number)] = FBase + Stream->Position();
}

// The document is assembled in memory, then written to Stream in one piece; the offsets
// count from Stream's position on entry, so they are file offsets for a new file. A memory
// stream written at its end takes the document directly (assembling it apart would copy the
// whole file once more), and a failure cuts it back to where it was.
void TfrxPDFFile::SaveToStream(TStream* Stream)
{
  // The page contents are most of the file (compressed, no more than they are now).
  Int64 expected = 65536;
  for (const auto& page : FPages)
    expected += page->Content()->Size() + 512;
  if (auto* direct = dynamic_cast<TMemoryStream*>(Stream);
      direct && direct->Position() == direct->Size()) {
    const Int64 start = direct->Position();
    direct->SetCapacity(start + expected);
    FBase = 0; // the stream's own positions are the offsets
    try {
      WriteDocument(direct);
    } catch (...) {
      direct->SetSize(start);
      direct->SetPosition(start);
      throw;
    }
    return;
  }
  TMemoryStream mem;
  mem.SetCapacity(expected);
  FBase = Stream->Position();
  WriteDocument(&mem);
  Stream->WriteBuffer(mem.Memory(), static_cast<Integer>(mem.Size()));
}

void TfrxPDFFile::WriteTo(TStream* Stream)
{
  FBase = 0;
  WriteDocument(Stream);
}

void TfrxPDFFile::WriteDocument(TStream* Out)
{
  TStream& mem = *Out;
  FXRef.clear();
  FFontFiles.clear();
  const AnsiString stamp = FormatDateTime("yyyymmddhhnnss", Now());
  WriteLn(&mem, "%PDF-1.3");
  WriteLn(&mem, "\x25\xE2\xE3\xCF\xD3");

  AddXRef(&mem, 1);
  for (const char* line : {"1 0 obj", "<<", "/Type /Catalog", "/Pages 3 0 R", "/PageMode /UseNone",
                           "/PageLayout /SinglePage", ">>", "endobj"})
    WriteLn(&mem, line);

  AddXRef(&mem, 2);
  WriteLn(&mem, "2 0 obj");
  WriteLn(&mem, "<<");
  WriteLn(&mem, AnsiString("/Producer (ZuzuDorova ") + frxVendorAddress + ")");
  WriteLn(&mem, "/Author (ZuzuDorova)");
  WriteLn(&mem, "/Subject (ZuzuDorova PDF export)");
  WriteLn(&mem, "/Creator (" + FToolkit->PrepareString(Creator) + ")");
  WriteLn(&mem, "/Title (" + FToolkit->PrepareString(Title) + ")");
  WriteLn(&mem, "/CreationDate (D:" + stamp + ")");
  WriteLn(&mem, "/ModDate (D:" + stamp + ")");
  WriteLn(&mem, ">>");
  WriteLn(&mem, "endobj");

  FFontBase = FirstFontBase;
  FPageBase = FFontBase + 5 * FontCount();
  AddXRef(&mem, 3);
  WriteLn(&mem, "3 0 obj");
  WriteLn(&mem, "<<");
  WriteLn(&mem, "/Type /Pages");
  AnsiString kids = "/Kids [";
  for (Integer k = 1; k <= PageCount(); ++k)
    kids += Num(FPageBase + 2 * k - 1) + " 0 R ";
  WriteLn(&mem, kids + "]");
  WriteLn(&mem, "/Count " + Num(PageCount()));
  WriteLn(&mem, ">>");
  WriteLn(&mem, "endobj");

  for (auto& font : FFonts)
    font->SaveToStream(&mem);
  for (auto& page : FPages)
    page->SaveToStream(&mem);

  const Int64 xrefOffset = FBase + mem.Position();
  const size_t n = FXRef.size();
  WriteLn(&mem, "xref");
  WriteLn(&mem, "0 " + Num(static_cast<Int64>(n)));
  WriteLn(&mem, "0000000000 65535 f");
  for (size_t i = 1; i < n; ++i) {
    if (FXRef[i] < 0) {
      WriteLn(&mem, "0000000000 65535 f");
      continue;
    }
    AnsiString offset = Num(FXRef[i]);
    WriteLn(&mem,
            StringOfChar('0', 10 - static_cast<Integer>(offset.size())) + offset + " 00000 n");
  }
  WriteLn(&mem, "trailer");
  WriteLn(&mem, "<<");
  WriteLn(&mem, "/Size " + Num(static_cast<Int64>(n)));
  WriteLn(&mem, "/Root 1 0 R");
  WriteLn(&mem, "/Info 2 0 R");
  WriteLn(&mem, ">>");
  WriteLn(&mem, "startxref");
  WriteLn(&mem, Num(xrefOffset));
  WriteLn(&mem, "%%EOF");
}
