// The pango text engine: real fonts through fontconfig, with the substitution table for
// the platform's font names. Text is converted from GBK one character at a time, so every
// result maps back to GBK bytes. Advances are measured per character, unhinted and without
// kerning or ligatures, at a fixed reference size and scaled: the same text measures
// proportionally at every device resolution. See TextEngine.h.
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <set>
#include <unistd.h>

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"

namespace {

struct TSubstitute {
  const char* From; // GBK
  const char* To;
};

// ORDER: the platform names of the fonts the program's documents use.
const TSubstitute kSubstitutes[] = {
    {"宋体", "WenQuanYi Zen Hei Mono"},   {"SimSun", "WenQuanYi Zen Hei Mono"},
    {"新宋体", "WenQuanYi Zen Hei Mono"}, {"NSimSun", "WenQuanYi Zen Hei Mono"},
    {"黑体", "WenQuanYi Zen Hei"},        {"SimHei", "WenQuanYi Zen Hei"},
    {"Arial", "Liberation Sans"},         {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},   {"Tahoma", "DejaVu Sans"},
    {"MS Sans Serif", "DejaVu Sans"},
};

// Unknown faces and "Default" become a sans serif face that has CJK glyphs.
constexpr const char* kDefaultFace = "WenQuanYi Zen Hei";

// Advances and metrics are measured at this em size (pixels) and scaled.
constexpr double kReferenceEm = 1000.0;

bool FileExists(const AnsiString& path)
{
  return !path.empty() && access(path.c_str(), R_OK) == 0;
}

AnsiString DirectoryOf(const AnsiString& path)
{
  size_t slash = path.rfind('/');
  return slash == AnsiString::npos ? AnsiString(".") : path.substr(0, slash);
}

// Loads the shipped fontconfig file into the configuration pango will use.
void LoadShippedConfig()
{
  AnsiString file = ShippedFontConfigFile();
  if (file.empty())
    return;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config)
    return;
  if (FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(file.c_str()), FcFalse))
    FcConfigSetCurrent(config);
  FcConfigDestroy(config);
}

cairo_font_options_t* UnhintedOptions()
{
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  return options;
}

void PrepareContext(PangoContext* context, cairo_font_options_t* options)
{
  pango_cairo_context_set_font_options(context, options);
  pango_context_set_round_glyph_positions(context, FALSE);
  pango_context_set_language(context, pango_language_from_string("zh-cn"));
}

// A face's metrics at the reference em; line positions count upward from the baseline.
struct TFaceMetrics {
  double Ascent = 0;
  double Descent = 0;
  double AverageWidth = 0;
  double MaxWidth = 0;
  double UnderlinePosition = 0; // top of the underline
  double UnderlineThickness = 0;
  double StrikePosition = 0; // top of the strike-out line
  double StrikeThickness = 0;
  double CapHeight = 0;
  double XHeight = 0;
};

class TPangoTextEngine final : public TTextEngine {
public:
  TPangoTextEngine()
  {
    LoadShippedConfig();
    FOptions = UnhintedOptions();
    FContext = pango_font_map_create_context(pango_cairo_font_map_get_default());
    PrepareContext(FContext, FOptions);
    FLayout = pango_layout_new(FContext);
    ListFamilies();
  }
  ~TPangoTextEngine() override
  {
    g_object_unref(FLayout);
    g_object_unref(FContext);
    cairo_font_options_destroy(FOptions);
  }

  TTextMetric Metrics(const TFontSpec& font) override;
  void Advances(const TFontSpec& font, const AnsiString& text,
                std::vector<double>& perByte) override;
  void Draw(TSurface& surface, const TFontSpec& font, double x, double y, const AnsiString& text,
            const std::vector<double>& offsets, TColor rgb, const TRegion* clip) override;
  TOutlineTextMetric OutlineMetrics(const TFontSpec& font) override;

private:
  // The face pango is asked for (UTF-8), after substitution.
  std::string Family(const AnsiString& name)
  {
    AnsiString face = SubstituteFontName(name);
    std::string utf8 = GbkToUtf8(face);
    std::string lower;
    for (char c : utf8)
      lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return FFamilies.count(lower) ? utf8 : std::string(kDefaultFace);
  }
  PangoFontDescription* Description(const TFontSpec& font, double em)
  {
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, Family(font.Name).c_str());
    pango_font_description_set_weight(d, font.Style.Contains(fsBold) ? PANGO_WEIGHT_BOLD
                                                                     : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, font.Style.Contains(fsItalic) ? PANGO_STYLE_ITALIC
                                                                      : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(d, em * PANGO_SCALE);
    return d;
  }
  std::string Key(const TFontSpec& font)
  {
    return Family(font.Name) + (font.Style.Contains(fsBold) ? "|b" : "|") +
           (font.Style.Contains(fsItalic) ? "i" : "");
  }
  void ListFamilies()
  {
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(pango_cairo_font_map_get_default(), &families, &count);
    for (int i = 0; i < count; ++i) {
      std::string name = pango_font_family_get_name(families[i]);
      for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      FFamilies.insert(name);
    }
    g_free(families);
  }
  double MeasureAtReference(const std::string& key, const TFontSpec& font, const std::string& utf8);
  double InkHeightAtReference(const TFontSpec& font, const char* utf8);
  const TFaceMetrics& FaceMetrics(const TFontSpec& font);

  std::mutex FLock;
  cairo_font_options_t* FOptions = nullptr;
  PangoContext* FContext = nullptr;
  PangoLayout* FLayout = nullptr;
  std::set<std::string> FFamilies;
  std::map<std::string, double> FAdvances; // key + '\0' + character -> advance at reference
  std::map<std::string, TFaceMetrics> FMetrics;
};

double TPangoTextEngine::MeasureAtReference(const std::string& key, const TFontSpec& font,
                                            const std::string& utf8)
{
  std::string cacheKey = key + '\0' + utf8;
  auto it = FAdvances.find(cacheKey);
  if (it != FAdvances.end())
    return it->second;
  PangoFontDescription* d = Description(font, kReferenceEm);
  pango_layout_set_font_description(FLayout, d);
  pango_font_description_free(d);
  pango_layout_set_text(FLayout, utf8.data(), static_cast<int>(utf8.size()));
  PangoRectangle logical;
  pango_layout_get_extents(FLayout, nullptr, &logical);
  double advance = double(logical.width) / PANGO_SCALE;
  FAdvances.emplace(cacheKey, advance);
  return advance;
}

const TFaceMetrics& TPangoTextEngine::FaceMetrics(const TFontSpec& font)
{
  std::string key = Key(font);
  auto it = FMetrics.find(key);
  if (it != FMetrics.end())
    return it->second;
  PangoFontDescription* d = Description(font, kReferenceEm);
  PangoFontMetrics* pm =
      pango_context_get_metrics(FContext, d, pango_language_from_string("zh-cn"));
  pango_font_description_free(d);
  TFaceMetrics m;
  m.Ascent = double(pango_font_metrics_get_ascent(pm)) / PANGO_SCALE;
  m.Descent = double(pango_font_metrics_get_descent(pm)) / PANGO_SCALE;
  m.AverageWidth = double(pango_font_metrics_get_approximate_char_width(pm)) / PANGO_SCALE;
  m.UnderlinePosition = double(pango_font_metrics_get_underline_position(pm)) / PANGO_SCALE;
  m.UnderlineThickness = double(pango_font_metrics_get_underline_thickness(pm)) / PANGO_SCALE;
  m.StrikePosition = double(pango_font_metrics_get_strikethrough_position(pm)) / PANGO_SCALE;
  m.StrikeThickness = double(pango_font_metrics_get_strikethrough_thickness(pm)) / PANGO_SCALE;
  pango_font_metrics_unref(pm);
  m.MaxWidth = std::max({m.AverageWidth, MeasureAtReference(key, font, "W"),
                         MeasureAtReference(key, font, reinterpret_cast<const char*>(u8"国"))});
  m.CapHeight = InkHeightAtReference(font, "H");
  m.XHeight = InkHeightAtReference(font, "x");
  return FMetrics.emplace(key, m).first->second;
}

// How far the ink of the text rises above the baseline, at the reference em.
double TPangoTextEngine::InkHeightAtReference(const TFontSpec& font, const char* utf8)
{
  PangoFontDescription* d = Description(font, kReferenceEm);
  pango_layout_set_font_description(FLayout, d);
  pango_font_description_free(d);
  pango_layout_set_text(FLayout, utf8, -1);
  PangoRectangle ink;
  pango_layout_get_extents(FLayout, &ink, nullptr);
  return double(pango_layout_get_baseline(FLayout) - ink.y) / PANGO_SCALE;
}

TOutlineTextMetric TPangoTextEngine::OutlineMetrics(const TFontSpec& font)
{
  TOutlineTextMetric o = TTextEngine::OutlineMetrics(font);
  std::lock_guard<std::mutex> guard(FLock);
  const TFaceMetrics& f = FaceMetrics(font);
  double k = font.EmHeight / kReferenceEm;
  auto px = [k](double v) { return static_cast<Integer>(std::lround(v * k)); };
  o.otmsCapEmHeight = px(f.CapHeight);
  o.otmsXHeight = px(f.XHeight);
  if (f.UnderlineThickness > 0) {
    o.otmsUnderscoreSize = std::max<Integer>(1, px(f.UnderlineThickness));
    o.otmsUnderscorePosition = std::min<Integer>(-1, px(f.UnderlinePosition));
  }
  if (f.StrikeThickness > 0) {
    o.otmsStrikeoutSize = std::max<Integer>(1, px(f.StrikeThickness));
    o.otmsStrikeoutPosition = px(f.StrikePosition);
  }
  return o;
}

TTextMetric TPangoTextEngine::Metrics(const TFontSpec& font)
{
  std::lock_guard<std::mutex> guard(FLock);
  const TFaceMetrics& f = FaceMetrics(font);
  double k = font.EmHeight / kReferenceEm;
  TTextMetric m;
  m.tmAscent = static_cast<Integer>(std::ceil(f.Ascent * k - 1e-6));
  m.tmDescent = static_cast<Integer>(std::ceil(f.Descent * k - 1e-6));
  m.tmHeight = m.tmAscent + m.tmDescent;
  m.tmInternalLeading =
      std::max<Integer>(0, m.tmHeight - static_cast<Integer>(std::lround(font.EmHeight)));
  m.tmAveCharWidth = static_cast<Integer>(std::lround(f.AverageWidth * k));
  m.tmMaxCharWidth = static_cast<Integer>(std::lround(f.MaxWidth * k));
  m.tmWeight = font.Style.Contains(fsBold) ? 700 : 400;
  m.tmItalic = font.Style.Contains(fsItalic);
  m.tmUnderlined = font.Style.Contains(fsUnderline);
  m.tmStruckOut = font.Style.Contains(fsStrikeOut);
  m.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE;
  if (Family(font.Name).find("Mono") == std::string::npos)
    m.tmPitchAndFamily |= TMPF_FIXED_PITCH; // the bit means "variable pitch", as on the platform
  m.tmCharSet = static_cast<Byte>(font.Charset == DEFAULT_CHARSET ? GB2312_CHARSET : font.Charset);
  return m;
}

void TPangoTextEngine::Advances(const TFontSpec& font, const AnsiString& text,
                                std::vector<double>& perByte)
{
  std::lock_guard<std::mutex> guard(FLock);
  std::string key = Key(font);
  double k = font.EmHeight / kReferenceEm;
  perByte.assign(text.size(), 0);
  for (size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    size_t n = (b >= 0x81 && b != 0xFF && i + 1 < text.size()) ? 2 : 1;
    if (text[i] != '\r' && text[i] != '\n')
      perByte[i] =
          MeasureAtReference(key, font, GbkToUtf8(std::string_view(text).substr(i, n))) * k;
    i += n;
  }
}

void TPangoTextEngine::Draw(TSurface& surface, const TFontSpec& font, double x, double y,
                            const AnsiString& text, const std::vector<double>& offsets, TColor rgb,
                            const TRegion* clip)
{
  if (clip && clip->IsEmpty())
    return;
  Integer ascent = Metrics(font).tmAscent;
  cairo_t* cr = surface.CreateCairo();
  if (!cr)
    return;
  std::lock_guard<std::mutex> guard(FLock);
  if (clip) {
    for (const TRegion::TBand& band : clip->Bands())
      for (const TRegion::TSpan& s : band.Spans)
        cairo_rectangle(cr, s.Left, band.Top, s.Right - s.Left, band.Bottom - band.Top);
    cairo_clip(cr);
  }
  cairo_set_source_rgb(cr, GetRValue(rgb) / 255.0, GetGValue(rgb) / 255.0, GetBValue(rgb) / 255.0);
  cairo_translate(cr, x, y);
  if (font.Orientation % 3600 != 0)
    cairo_rotate(cr, -font.Orientation * M_PI / 1800.0);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PrepareContext(pango_layout_get_context(layout), FOptions);
  pango_layout_context_changed(layout);
  PangoFontDescription* d = Description(font, font.EmHeight);
  pango_layout_set_font_description(layout, d);
  pango_font_description_free(d);
  for (size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    size_t n = (b >= 0x81 && b != 0xFF && i + 1 < text.size()) ? 2 : 1;
    if (b > ' ') {
      std::string utf8 = GbkToUtf8(std::string_view(text).substr(i, n));
      pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
      double baseline = double(pango_layout_get_baseline(layout)) / PANGO_SCALE;
      cairo_move_to(cr, offsets[i], ascent - baseline);
      pango_cairo_show_layout(cr, layout);
    }
    i += n;
  }
  g_object_unref(layout);
  cairo_destroy(cr);
  surface.CairoDone();
}

TTextEngine* gDefaultOverride = nullptr;

} // namespace

AnsiString SubstituteFontName(const AnsiString& name)
{
  if (name.empty() || SameText(name, "Default"))
    return kDefaultFace;
  for (const TSubstitute& s : kSubstitutes)
    if (name == s.From || SameText(name, s.From))
      return s.To;
  return name;
}

AnsiString ShippedFontConfigFile()
{
  std::vector<AnsiString> candidates;
  if (const char* home = getenv("QHWBP_HOME"))
    candidates.push_back(AnsiString(home) + "/fonts.conf");
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    exe[n] = 0;
    candidates.push_back(DirectoryOf(exe) + "/fonts.conf");
  }
  // Builds and tests run from the source tree.
  candidates.push_back(DirectoryOf(__FILE__) + "/fonts.conf");
  for (const AnsiString& c : candidates)
    if (FileExists(c))
      return c;
  return AnsiString();
}

std::vector<AnsiString> ScreenFonts()
{
  DefaultTextEngine(); // loads the shipped configuration
  std::vector<AnsiString> names;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  for (int i = 0; fonts && i < fonts->nfont; ++i) {
    FcChar8* family = nullptr;
    // A font may list several family names (localised ones); each is offered.
    for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &family) == FcResultMatch;
         ++k) {
      Integer lost = 0;
      AnsiString name = Utf8ToGbk(reinterpret_cast<const char*>(family), cfDrop, &lost);
      if (lost == 0 && !name.empty())
        names.push_back(name);
    }
  }
  if (fonts)
    FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  for (const TSubstitute& sub : kSubstitutes)
    names.push_back(sub.From);
  std::sort(names.begin(), names.end(),
            [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const AnsiString& a, const AnsiString& b) {
                            return AnsiCompareText(a, b) == 0;
                          }),
              names.end());
  return names;
}

std::vector<TFontFamilyInfo> EnumFontFamilies()
{
  std::vector<TFontFamilyInfo> families;
  for (const AnsiString& name : ScreenFonts())
    families.push_back({name, TRUETYPE_FONTTYPE});
  return families;
}

std::unique_ptr<TTextEngine> CreatePangoTextEngine()
{
  return std::make_unique<TPangoTextEngine>();
}

TTextEngine& DefaultTextEngine()
{
  if (gDefaultOverride)
    return *gDefaultOverride;
  static std::unique_ptr<TTextEngine> engine = CreatePangoTextEngine();
  return *engine;
}

void SetDefaultTextEngine(TTextEngine* engine)
{
  gDefaultOverride = engine;
}
