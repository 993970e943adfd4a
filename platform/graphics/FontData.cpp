// Font data for vector export (FontData.h): fontconfig finds the face file after the text
// engine's substitution (TextEngine.h), FreeType reads its tables, and font collections
// are cut into standalone font files here.
#include "platform/graphics/FontData.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <mutex>
#include <sstream>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"

namespace {

// The fontconfig configuration of the shipped fonts.conf, built once and kept for the
// life of the program (the same file the pango engine loads).
FcConfig* SharedConfig()
{
  static FcConfig* config = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    config = FcInitLoadConfigAndFonts();
    AnsiString file = ShippedFontConfigFile();
    if (config && !file.empty())
      FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(file.c_str()), FcFalse);
  });
  return config;
}

struct TMatch {
  AnsiString File;
  Integer Index = 0;
  AnsiString Family; // GBK
  bool IsFamily = false;
  bool CoversSimplifiedChinese = false;
};

std::string AsciiLower(std::string s)
{
  for (char& c : s)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The face fontconfig finds for a family (UTF-8); IsFamily tells whether the face found
// carries that family name or is only a stand-in.
TMatch MatchFamily(const UTF8String& family, TFontStyles style, const AnsiString& name)
{
  FcConfig* config = SharedConfig();
  if (!config)
    throw Exception("Font configuration cannot be loaded");
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT,
                      style.Contains(fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT,
                      style.Contains(fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!font)
    throw Exception("No font found for \"" + name + "\"");

  TMatch match;
  FcChar8* text = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &text) == FcResultMatch)
    match.File = reinterpret_cast<const char*>(text);
  int index = 0;
  if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch)
    match.Index = index & 0xFFFF; // the high bits name a variation instance
  if (FcPatternGetString(font, FC_FAMILY, 0, &text) == FcResultMatch)
    match.Family = Utf8ToGbk(reinterpret_cast<const char*>(text));
  for (int k = 0; FcPatternGetString(font, FC_FAMILY, k, &text) == FcResultMatch; ++k)
    if (AsciiLower(reinterpret_cast<const char*>(text)) == AsciiLower(family))
      match.IsFamily = true;
  FcLangSet* langs = nullptr;
  if (FcPatternGetLangSet(font, FC_LANG, 0, &langs) == FcResultMatch)
    match.CoversSimplifiedChinese =
        FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("zh-cn")) == FcLangEqual;
  FcPatternDestroy(font);
  if (match.File.empty())
    throw Exception("No font file found for \"" + name + "\"");
  return match;
}

// The face after substitution. A family that is not installed gets the default face, as
// in the text engine, so that exported widths match the measured ones.
TMatch MatchFace(const AnsiString& name, TFontStyles style)
{
  TMatch match = MatchFamily(GbkToUtf8(SubstituteFontName(name)), style, name);
  if (match.IsFamily)
    return match;
  return MatchFamily(GbkToUtf8(SubstituteFontName("Default")), style, name);
}

bool IsDoubleByteCharset(Integer charset)
{
  return charset == GB2312_CHARSET || charset == CHINESEBIG5_CHARSET;
}

// Windows-1252 codes 0x80..0x9F; 0 marks the five unassigned codes. The rest of the code
// page is Latin-1.
const char32_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t DecodeBig5(const char* bytes, size_t n)
{
  iconv_t cd = iconv_open("UTF-32LE", "CP950");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return 0;
  char32_t out = 0;
  char* in = const_cast<char*>(bytes);
  char* dst = reinterpret_cast<char*>(&out);
  size_t inLeft = n, outLeft = sizeof out;
  size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  return rc == static_cast<size_t>(-1) || inLeft != 0 ? 0 : out;
}

// The character of one code (one or two bytes) of a charset's code page; 0 when the code
// page has none.
char32_t DecodeChar(Integer charset, const char* bytes, size_t n)
{
  if (charset == GB2312_CHARSET) {
    Integer lost = 0;
    WideString wide = GbkToWide(std::string_view(bytes, n), cfDrop, &lost);
    return lost == 0 && wide.size() == 1 ? wide[0] : 0;
  }
  if (charset == CHINESEBIG5_CHARSET)
    return DecodeBig5(bytes, n);
  if (n != 1)
    return 0;
  Byte b = static_cast<Byte>(bytes[0]);
  return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
}

// Big-endian readers over a byte string whose bounds the caller has checked.
uint32_t U32(const std::string& s, size_t at)
{
  return uint32_t(Byte(s[at])) << 24 | uint32_t(Byte(s[at + 1])) << 16 |
         uint32_t(Byte(s[at + 2])) << 8 | uint32_t(Byte(s[at + 3]));
}
uint16_t U16(const std::string& s, size_t at)
{
  return uint16_t(Byte(s[at]) << 8 | Byte(s[at + 1]));
}
void PutU32(std::string& s, size_t at, uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    s[at + i] = char(v >> (24 - 8 * i));
}

[[noreturn]] void Damaged(const char* what)
{
  throw Exception(AnsiString("Damaged font collection: ") + what);
}

} // namespace

struct TFontData::TImpl {
  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
  ~TImpl()
  {
    if (Face)
      FT_Done_Face(Face);
    if (Library)
      FT_Done_FreeType(Library);
  }
  // Advance of a glyph in font units, unhinted and unscaled.
  long Advance(FT_UInt glyph) const
  {
    FT_Fixed advance = 0;
    return FT_Get_Advance(Face, glyph, FT_LOAD_NO_SCALE, &advance) == 0 ? long(advance) : 0;
  }
  Integer Em(long units) const { return Integer(std::lround(units * 1000.0 / Face->units_per_EM)); }
};

TFontData::TFontData(const AnsiString& name, TFontStyles style, Integer charset)
    : FImpl(std::make_unique<TImpl>()), FFaceName(name)
{
  TMatch match = MatchFace(name, style);
  FFileName = match.File;
  FFaceIndex = match.Index;
  FFamilyName = match.Family;
  if (FT_Init_FreeType(&FImpl->Library) != 0)
    throw Exception("FreeType cannot be initialised");
  if (FT_New_Face(FImpl->Library, FFileName.c_str(), FFaceIndex, &FImpl->Face) != 0)
    throw Exception("Font file \"" + FFileName + "\" cannot be read");
  FT_Face face = FImpl->Face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
    throw Exception("Font file \"" + FFileName + "\" has no outlines");

  if (const char* ps = FT_Get_Postscript_Name(face))
    FPostScriptName = ps;
  FCharset = charset != DEFAULT_CHARSET      ? charset
             : match.CoversSimplifiedChinese ? GB2312_CHARSET
                                             : ANSI_CHARSET;
  FWeight = style.Contains(fsBold) ? 700 : 400;
  ReadMetrics(style);
  ReadWidths();
}

void TFontData::ReadMetrics(TFontStyles style)
{
  FT_Face face = FImpl->Face;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  bool hasOs2 = os2 && os2->version != 0xFFFF;
  if (hasOs2 && (os2->sTypoAscender != 0 || os2->sTypoDescender != 0)) {
    FAscent = FImpl->Em(os2->sTypoAscender);
    FDescent = FImpl->Em(os2->sTypoDescender);
  } else if (hhea) {
    FAscent = FImpl->Em(hhea->Ascender);
    FDescent = FImpl->Em(hhea->Descender);
  } else {
    FAscent = FImpl->Em(face->ascender);
    FDescent = FImpl->Em(face->descender);
  }
  FCellHeight = hasOs2 ? FImpl->Em(long(os2->usWinAscent) + os2->usWinDescent) : FAscent - FDescent;
  FCapHeight =
      hasOs2 && os2->version >= 2 && os2->sCapHeight > 0 ? FImpl->Em(os2->sCapHeight) : FAscent;
  FItalicAngle = post ? Integer(std::lround(post->italicAngle / 65536.0 * 10)) : 0;
  FFontBox = {FImpl->Em(face->bbox.xMin), FImpl->Em(face->bbox.yMax), FImpl->Em(face->bbox.xMax),
              FImpl->Em(face->bbox.yMin)};

  FFlags = FCharset == SYMBOL_CHARSET ? FONTFLAG_SYMBOLIC : FONTFLAG_NONSYMBOLIC;
  if (FT_IS_FIXED_WIDTH(face))
    FFlags |= FONTFLAG_FIXED_PITCH;
  if (style.Contains(fsItalic) || (face->style_flags & FT_STYLE_FLAG_ITALIC))
    FFlags |= FONTFLAG_ITALIC;

  FT_ULong cffLength = 0;
  bool cff = FT_Load_Sfnt_Table(face, TTAG_CFF, 0, nullptr, &cffLength) == 0 ||
             FT_Load_Sfnt_Table(face, FT_MAKE_TAG('C', 'F', 'F', '2'), 0, nullptr, &cffLength) == 0;
  FEmbeddable = FT_IS_SFNT(face) && !cff;
}

void TFontData::ReadWidths()
{
  FT_Face face = FImpl->Face;
  // Widths of the 8-bit codes. A lead byte stands for half of a full-width character.
  Integer missing = FImpl->Em(FImpl->Advance(0));
  Integer halfIdeograph = FImpl->Em(FImpl->Advance(FT_Get_Char_Index(face, 0x4E00))) / 2;
  bool doubleByte = IsDoubleByteCharset(FCharset);
  Integer first = -1, last = -1;
  for (Integer code = 0; code < 256; ++code) {
    FWidths[code] = missing;
    bool covered = false;
    if (doubleByte && code >= 0x81 && code <= 0xFE) {
      FWidths[code] = halfIdeograph;
      covered = true;
    } else {
      char byte = char(code);
      char32_t ch = DecodeChar(FCharset, &byte, 1);
      FT_UInt glyph = ch ? FT_Get_Char_Index(face, ch) : 0;
      if (glyph) {
        FWidths[code] = FImpl->Em(FImpl->Advance(glyph));
        covered = true;
      }
    }
    if (covered && code >= 0x20) {
      if (first < 0)
        first = code;
      last = code;
    }
  }
  if (first >= 0) {
    FFirstChar = first;
    FLastChar = last;
  }
}

TFontData::~TFontData() = default;

Integer TFontData::DoubleByteWidth(Byte lead, Byte trail) const
{
  const char bytes[2] = {char(lead), char(trail)};
  char32_t ch = IsDoubleByteCharset(FCharset) ? DecodeChar(FCharset, bytes, 2) : 0;
  FT_UInt glyph = ch ? FT_Get_Char_Index(FImpl->Face, ch) : 0;
  return FImpl->Em(FImpl->Advance(glyph));
}

std::string TFontData::FontFile() const
{
  if (!FEmbeddable)
    throw EInvalidOperation("Font \"" + FFaceName +
                            "\" has PostScript outlines and cannot be embedded");
  std::ifstream in(FFileName, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  if (!in)
    throw Exception("Font file \"" + FFileName + "\" cannot be read");
  return ExtractCollectionFace(data.str(), FFaceIndex);
}

// A font collection and the font file made from one of its faces:
//
//   collection header          offset size
//     tag "ttcf"                    0    4
//     version                       4    4
//     number of faces               8    4
//     offset of each face's table  12    4 x faces
//     directory (from file start)
//
//   table directory (one face)
//     sfnt version                  0    4
//     number of tables              4    2
//     search range, entry selector,
//     range shift                   6    6
//     table records                12   16 x tables: tag, checksum, offset, length
//
// The font file is the face's directory with new offsets, followed by its tables, each
// padded to four bytes; the head table's checksum adjustment (head offset 8) is then set
// so that the whole file sums to 0xB1B0AFBA.
std::string ExtractCollectionFace(const std::string& file, Integer index)
{
  if (file.size() < 12 || file.compare(0, 4, "ttcf") != 0)
    return file;
  uint32_t faces = U32(file, 8);
  if (faces > (file.size() - 12) / 4)
    Damaged("face count exceeds the file");
  if (index < 0 || uint32_t(index) >= faces)
    Damaged("no such face");
  uint64_t dir = U32(file, 12 + 4 * size_t(index));
  if (dir + 12 > file.size())
    Damaged("table directory outside the file");
  uint16_t tables = U16(file, dir + 4);
  if (dir + 12 + 16ull * tables > file.size())
    Damaged("table records exceed the file");

  std::string out = file.substr(dir, 12 + 16 * size_t(tables));
  size_t headAt = std::string::npos;
  for (uint16_t t = 0; t < tables; ++t) {
    size_t record = dir + 12 + 16 * size_t(t);
    uint64_t offset = U32(file, record + 8), length = U32(file, record + 12);
    if (offset + length > file.size())
      Damaged("table outside the file");
    size_t at = out.size();
    if (file.compare(record, 4, "head") == 0 && length >= 12)
      headAt = at;
    PutU32(out, 12 + 16 * size_t(t) + 8, uint32_t(at));
    out.append(file, offset, length);
    out.append((4 - out.size() % 4) % 4, '\0');
  }
  if (headAt != std::string::npos) {
    PutU32(out, headAt + 8, 0);
    uint32_t sum = 0;
    for (size_t i = 0; i + 4 <= out.size(); i += 4)
      sum += U32(out, i);
    PutU32(out, headAt + 8, 0xB1B0AFBAu - sum);
  }
  return out;
}
