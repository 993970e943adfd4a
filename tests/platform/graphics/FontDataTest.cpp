#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/graphics/FontData.h"
#include "platform/rtl/Exceptions.h"

namespace {

bool EndsWith(const AnsiString& s, const char* tail)
{
  size_t n = strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// A FreeType face opened by the test itself, to check the provider's numbers against.
struct TTestFace {
  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
  TTestFace(const AnsiString& file, Integer index)
  {
    EXPECT_EQ(FT_Init_FreeType(&Library), 0);
    EXPECT_EQ(FT_New_Face(Library, file.c_str(), index, &Face), 0);
  }
  TTestFace(const std::string& bytes) // from memory; bytes must outlive the face
  {
    EXPECT_EQ(FT_Init_FreeType(&Library), 0);
    EXPECT_EQ(FT_New_Memory_Face(Library, reinterpret_cast<const FT_Byte*>(bytes.data()),
                                 FT_Long(bytes.size()), 0, &Face),
              0);
  }
  ~TTestFace()
  {
    if (Face)
      FT_Done_Face(Face);
    FT_Done_FreeType(Library);
  }
  Integer Em(long units) const { return Integer(std::lround(units * 1000.0 / Face->units_per_EM)); }
  Integer Width(unsigned long ch) const
  {
    EXPECT_EQ(FT_Load_Char(Face, ch, FT_LOAD_NO_SCALE), 0);
    return Em(Face->glyph->metrics.horiAdvance);
  }
};

TEST(FontData, LiberationSansWidthsInThousandthsOfTheEm)
{
  TFontData data("Arial", TFontStyles(), ANSI_CHARSET);
  EXPECT_EQ(data.FamilyName(), "Liberation Sans");
  EXPECT_TRUE(EndsWith(data.FileName(), "LiberationSans-Regular.ttf")) << data.FileName();
  EXPECT_EQ(data.FaceName(), "Arial");
  EXPECT_EQ(data.PostScriptName(), "LiberationSans");
  TTestFace face(data.FileName(), data.FaceIndex());
  ASSERT_NE(face.Face, nullptr);
  ASSERT_NE(face.Face->units_per_EM, 1000); // widths are really scaled

  struct TCase {
    Byte Code;
    unsigned long Char;
    Integer Known; // metric-compatible widths of this face
  };
  const TCase cases[] = {
      {' ', ' ', 278},   {'A', 'A', 667}, {'W', 'W', 944},
      {'i', 'i', 222},   {'0', '0', 556}, {0x80, 0x20AC, 556}, // code page 1252: euro sign
      {0xE9, 0xE9, 556},                                       // e acute, Latin-1 half
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Code);
    EXPECT_EQ(data.Width(c.Code), face.Width(c.Char));
    EXPECT_EQ(data.Width(c.Code), c.Known);
  }
  EXPECT_EQ(data.FirstChar(), 0x20);
  EXPECT_EQ(data.LastChar(), 0xFF);
  EXPECT_EQ(data.Weight(), 400);
  EXPECT_EQ(data.ItalicAngle(), 0);
  EXPECT_EQ(data.Flags(), FONTFLAG_NONSYMBOLIC);
  EXPECT_TRUE(data.Embeddable());

  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face.Face, FT_SFNT_OS2));
  ASSERT_NE(os2, nullptr);
  EXPECT_EQ(data.CellHeight(), face.Em(long(os2->usWinAscent) + os2->usWinDescent));
  EXPECT_EQ(data.Ascent(), face.Em(os2->sTypoAscender));
  EXPECT_EQ(data.Descent(), face.Em(os2->sTypoDescender));
  EXPECT_LT(data.Descent(), 0);
  EXPECT_EQ(data.FontBox().Left, face.Em(face.Face->bbox.xMin));
  EXPECT_EQ(data.FontBox().Top, face.Em(face.Face->bbox.yMax));
  EXPECT_EQ(data.FontBox().Bottom, face.Em(face.Face->bbox.yMin));
  EXPECT_GT(data.CapHeight(), 600);
  EXPECT_LT(data.CapHeight(), data.Ascent());
}

TEST(FontData, StyleSelectsTheFaceAndWeight)
{
  TFontData bold("Arial", TFontStyles{fsBold}, ANSI_CHARSET);
  EXPECT_TRUE(EndsWith(bold.FileName(), "LiberationSans-Bold.ttf")) << bold.FileName();
  EXPECT_EQ(bold.Weight(), 700);
  EXPECT_EQ(bold.Width('A'), 722);

  TFontData italic("Times New Roman", TFontStyles{fsItalic}, ANSI_CHARSET);
  EXPECT_EQ(italic.FamilyName(), "Liberation Serif");
  EXPECT_EQ(italic.Weight(), 400);
  TTestFace face(italic.FileName(), italic.FaceIndex());
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face.Face, FT_SFNT_POST));
  ASSERT_NE(post, nullptr);
  EXPECT_LT(italic.ItalicAngle(), 0);
  EXPECT_EQ(italic.ItalicAngle(), std::lround(post->italicAngle / 65536.0 * 10));
  EXPECT_EQ(italic.Flags() & FONTFLAG_ITALIC, FONTFLAG_ITALIC);

  TFontData mono("Courier New", TFontStyles(), ANSI_CHARSET);
  EXPECT_EQ(mono.Flags() & FONTFLAG_FIXED_PITCH, FONTFLAG_FIXED_PITCH);
}

TEST(FontData, SongTiResolvesToTheMonoFaceOfTheCollection)
{
  TFontData data("宋体", TFontStyles(), DEFAULT_CHARSET);
  EXPECT_EQ(data.FamilyName(), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(data.FaceName(), "宋体");
  EXPECT_TRUE(EndsWith(data.FileName(), "wqy-zenhei.ttc")) << data.FileName();
  TTestFace face(data.FileName(), data.FaceIndex());
  ASSERT_NE(face.Face, nullptr);
  EXPECT_STREQ(face.Face->family_name, "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(data.PostScriptName(), FT_Get_Postscript_Name(face.Face));

  // Names nobody substitutes fall back to a sans serif face with Chinese glyphs.
  EXPECT_EQ(TFontData("No Such Face 42", TFontStyles(), DEFAULT_CHARSET).FamilyName(),
            "WenQuanYi Zen Hei");
  EXPECT_EQ(TFontData("Default", TFontStyles(), DEFAULT_CHARSET).FamilyName(), "WenQuanYi Zen Hei");
}

TEST(FontData, RealisedCharset)
{
  struct TCase {
    const char* Name;
    Integer Requested;
    Integer Realised;
  };
  const TCase cases[] = {
      {"Arial", DEFAULT_CHARSET, ANSI_CHARSET},  // no Chinese in the face
      {"宋体", DEFAULT_CHARSET, GB2312_CHARSET}, // covers zh-cn
      {"黑体", DEFAULT_CHARSET, GB2312_CHARSET},
      {"Arial", GB2312_CHARSET, GB2312_CHARSET}, // a request stands as it is
      {"宋体", ANSI_CHARSET, ANSI_CHARSET},
      {"宋体", CHINESEBIG5_CHARSET, CHINESEBIG5_CHARSET},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(c.Requested));
    EXPECT_EQ(TFontData(c.Name, TFontStyles(), c.Requested).Charset(), c.Realised);
  }
}

TEST(FontData, GbkWidthsGoThroughTheCodePage)
{
  TFontData data("宋体", TFontStyles(), GB2312_CHARSET);
  TTestFace face(data.FileName(), data.FaceIndex());
  EXPECT_EQ(data.Width('A'), face.Width('A'));
  EXPECT_EQ(data.DoubleByteWidth(0xD6, 0xD0), face.Width(0x4E2D)); // 中
  EXPECT_EQ(data.DoubleByteWidth(0xA3, 0xA1), face.Width(0xFF01)); // full-width !
  // Both bytes of a double-byte character add up to a full-width character.
  EXPECT_EQ(2 * data.Width(0xD6), face.Width(0x4E00));
  EXPECT_EQ(data.Width(0xD6), data.Width(0xB0));
  EXPECT_EQ(data.FirstChar(), 0x20);
  EXPECT_EQ(data.LastChar(), 0xFE);

  // Big5 codes go through their own code page.
  TFontData big5("宋体", TFontStyles(), CHINESEBIG5_CHARSET);
  EXPECT_EQ(big5.DoubleByteWidth(0xA4, 0xA4), face.Width(0x4E2D)); // 中
  EXPECT_EQ(big5.Width('A'), face.Width('A'));

  // The same face read as code page 1252 gives e acute its Latin width instead.
  TFontData latin("宋体", TFontStyles(), ANSI_CHARSET);
  EXPECT_EQ(latin.Width(0xE9), face.Width(0xE9));
}

TEST(FontData, CollectionFaceParsesAsAStandaloneFont)
{
  TFontData data("宋体", TFontStyles(), DEFAULT_CHARSET);
  ASSERT_TRUE(data.Embeddable());
  std::string file = data.FontFile();
  ASSERT_GT(file.size(), 12u);
  EXPECT_NE(file.compare(0, 4, "ttcf"), 0);
  EXPECT_EQ(file.size() % 4, 0u);
  uint32_t sum = 0;
  for (size_t i = 0; i < file.size(); i += 4)
    sum += uint32_t(Byte(file[i])) << 24 | uint32_t(Byte(file[i + 1])) << 16 |
           uint32_t(Byte(file[i + 2])) << 8 | Byte(file[i + 3]);
  EXPECT_EQ(sum, 0xB1B0AFBAu);

  TTestFace original(data.FileName(), data.FaceIndex());
  TTestFace cut(file);
  ASSERT_NE(cut.Face, nullptr);
  EXPECT_EQ(cut.Face->num_faces, 1);
  EXPECT_EQ(cut.Face->num_glyphs, original.Face->num_glyphs);
  EXPECT_STREQ(cut.Face->family_name, "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(cut.Width(0x4E2D), original.Width(0x4E2D));
}

TEST(FontData, PlainFontFileIsReturnedWhole)
{
  TFontData data("Arial", TFontStyles(), ANSI_CHARSET);
  std::string file = data.FontFile();
  TTestFace face(file);
  ASSERT_NE(face.Face, nullptr);
  EXPECT_STREQ(face.Face->family_name, "Liberation Sans");
  EXPECT_EQ(ExtractCollectionFace(file, 0), file);
}

TEST(FontData, DamagedCollectionsAreRejected)
{
  TFontData data("宋体", TFontStyles(), DEFAULT_CHARSET);
  std::ifstream in(data.FileName(), std::ios::binary);
  std::string ttc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(ttc.compare(0, 4, "ttcf"), 0);

  struct TCase {
    const char* Name;
    std::string File;
    Integer Index;
  };
  std::string hugeCount = ttc.substr(0, 64);
  hugeCount[8] = char(0x7F);
  const TCase cases[] = {
      {"face index past the end", ttc.substr(0, 4096), 99},
      {"negative face index", ttc.substr(0, 4096), -1},
      {"face count past the file", hugeCount, 0},
      {"tables cut off", ttc.substr(0, 4096), 0},
      {"directory cut off", ttc.substr(0, 24), 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_THROW(ExtractCollectionFace(c.File, c.Index), Exception);
  }
}

} // namespace
