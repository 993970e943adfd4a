// The pango text engine: real fonts through fontconfig, with the substitution table for
// the platform's font names. Text is converted from GBK one character at a time, so every
// result maps back to GBK bytes. Advances are measured per character, unhinted and without
// kerning or ligatures, at a fixed reference size and scaled: the same text measures
// proportionally at every device resolution. Drawing shapes a string once, whole, keeps
// the result for the next time, and places each character's glyphs at the start the canvas
// measured for it, on the surface's own cairo context. See TextEngine.h.
#include <algorithm>
#include <cmath>
#include <limits>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <unistd.h>
#include <unordered_map>

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

// A face as pango is asked for it: the family after substitution, weight and slant. The
// advance of every character measured so far is kept in a table indexed by its GBK code
// (the byte, or lead << 8 | trail), at the reference em. Advances are multiples of 1/1024
// pixel below 16384 pixels, so a float holds them exactly.
struct TFace {
  std::string Family; // UTF-8
  bool Bold = false;
  bool Italic = false;
  bool Mono = false;
  bool HasMetrics = false;
  TFaceMetrics Metrics;
  std::unique_ptr<float[]> Advances; // NaN: not measured yet
};

inline bool IsLeadByte(unsigned char b)
{
  return b >= 0x81 && b != 0xFF;
}

// The GBK code of the character at i and its length in bytes.
inline unsigned CharCode(const AnsiString& text, size_t i, size_t& length)
{
  unsigned char b = static_cast<unsigned char>(text[i]);
  if (IsLeadByte(b) && i + 1 < text.size()) {
    length = 2;
    return (unsigned(b) << 8) | static_cast<unsigned char>(text[i + 1]);
  }
  length = 1;
  return b;
}

// A string shaped once by pango, whole, with one font: its glyph runs, each glyph tied to
// the GBK character it belongs to. Drawing places each character's glyphs at the start
// the canvas measured for it, so drawing and measuring agree whatever pango would have
// advanced.
struct TShapedRun {
  PangoGlyphItem* Item = nullptr;             // owned; holds a reference to its font
  std::vector<Integer> Char;                  // per glyph: the GBK byte index of its character
  std::vector<double> Dx;                     // per glyph: from its character's start
  std::vector<double> Dy;                     // per glyph: below the baseline
  std::vector<cairo_text_cluster_t> Clusters; // glyphs per character, for surfaces keeping text
  // Runs holding glyphs no font has (drawn as boxes) or right-to-left text are drawn by
  // pango itself, at the same positions.
  bool ThroughPango = false;
};

struct TShaped {
  std::string Utf8; // the whole string, control characters as blanks
  std::vector<TShapedRun> Runs;
  TShaped() = default;
  TShaped(const TShaped&) = delete;
  TShaped& operator=(const TShaped&) = delete;
  ~TShaped()
  {
    for (TShapedRun& run : Runs)
      pango_glyph_item_free(run.Item);
  }
};

// Shaped strings kept for reuse, least recently used dropped first.
constexpr size_t kShapedCacheSize = 2048;

class TPangoTextEngine final : public TTextEngine {
public:
  TPangoTextEngine()
  {
    LoadShippedConfig();
    FOptions = UnhintedOptions();
    FContext = pango_font_map_create_context(pango_cairo_font_map_get_default());
    PrepareContext(FContext, FOptions);
    FLayout = pango_layout_new(FContext);
    FShapeLayout = pango_layout_new(FContext);
    // Glyphs stand for their characters one to one: no ligatures or contextual forms.
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes,
                           pango_attr_font_features_new("liga=0,clig=0,dlig=0,calt=0,kern=0"));
    pango_layout_set_attributes(FShapeLayout, attributes);
    pango_attr_list_unref(attributes);
    ListFamilies();
  }
  ~TPangoTextEngine() override
  {
    FShaped.clear();
    g_object_unref(FShapeLayout);
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
  PangoFontDescription* Description(const TFace& face, double em)
  {
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, face.Family.c_str());
    pango_font_description_set_weight(d, face.Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, face.Italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(d, em * PANGO_SCALE);
    return d;
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
  Integer FaceOf(const TFontSpec& font);
  double MeasureAtReference(TFace& face, const std::string& utf8);
  double InkHeightAtReference(TFace& face, const char* utf8);
  const TFaceMetrics& FaceMetrics(TFace& face);
  double Advance(TFace& face, const AnsiString& text, size_t i, size_t length, unsigned code);
  TShaped& Shaped(Integer face, double em, const AnsiString& text);
  std::unique_ptr<TShaped> Shape(TFace& face, double em, const AnsiString& text);
  void DrawRun(cairo_t* cr, const TShaped& shaped, TShapedRun& run,
               const std::vector<double>& offsets, double baseline, bool keepText);

  std::mutex FLock;
  cairo_font_options_t* FOptions = nullptr;
  PangoContext* FContext = nullptr;
  PangoLayout* FLayout = nullptr;      // measures single characters
  PangoLayout* FShapeLayout = nullptr; // shapes whole strings
  std::set<std::string> FFamilies;
  std::vector<std::unique_ptr<TFace>> FFaces;
  std::map<std::string, Integer> FFaceIndex; // family + style -> FFaces
  std::map<std::string, Integer> FFontFaces; // platform name + style -> FFaces
  // Shaped strings by face, em and text; the list keeps them in order of use.
  using TShapedList = std::list<std::pair<std::string, std::unique_ptr<TShaped>>>;
  TShapedList FShaped;
  std::unordered_map<std::string, TShapedList::iterator> FShapedIndex;
  std::vector<cairo_glyph_t> FGlyphs; // scratch for drawing
};

Integer TPangoTextEngine::FaceOf(const TFontSpec& font)
{
  bool bold = font.Style.Contains(fsBold), italic = font.Style.Contains(fsItalic);
  std::string key = font.Name;
  key += static_cast<char>('0' + (bold ? 1 : 0) + (italic ? 2 : 0));
  auto it = FFontFaces.find(key);
  if (it != FFontFaces.end())
    return it->second;
  std::string family = Family(font.Name);
  std::string faceKey = family + (bold ? "|b" : "|") + (italic ? "i" : "");
  auto known = FFaceIndex.find(faceKey);
  Integer index;
  if (known != FFaceIndex.end()) {
    index = known->second;
  } else {
    auto face = std::make_unique<TFace>();
    face->Family = family;
    face->Bold = bold;
    face->Italic = italic;
    face->Mono = family.find("Mono") != std::string::npos;
    face->Advances = std::make_unique<float[]>(0x10000);
    std::fill_n(face->Advances.get(), 0x10000, std::numeric_limits<float>::quiet_NaN());
    index = static_cast<Integer>(FFaces.size());
    FFaces.push_back(std::move(face));
    FFaceIndex.emplace(faceKey, index);
  }
  FFontFaces.emplace(key, index);
  return index;
}

double TPangoTextEngine::MeasureAtReference(TFace& face, const std::string& utf8)
{
  PangoFontDescription* d = Description(face, kReferenceEm);
  pango_layout_set_font_description(FLayout, d);
  pango_font_description_free(d);
  pango_layout_set_text(FLayout, utf8.data(), static_cast<int>(utf8.size()));
  PangoRectangle logical;
  pango_layout_get_extents(FLayout, nullptr, &logical);
  return double(logical.width) / PANGO_SCALE;
}

// The advance of the character at i (code and length as CharCode gives them) at the
// reference em, measured the first time it is asked for.
double TPangoTextEngine::Advance(TFace& face, const AnsiString& text, size_t i, size_t length,
                                 unsigned code)
{
  float& cached = face.Advances[code];
  if (!std::isnan(cached))
    return cached;
  double advance = MeasureAtReference(face, GbkToUtf8(std::string_view(text).substr(i, length)));
  cached = static_cast<float>(advance);
  return advance;
}

const TFaceMetrics& TPangoTextEngine::FaceMetrics(TFace& face)
{
  if (face.HasMetrics)
    return face.Metrics;
  PangoFontDescription* d = Description(face, kReferenceEm);
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
  size_t length;
  m.MaxWidth = std::max({m.AverageWidth, Advance(face, "W", 0, 1, 'W'),
                         Advance(face, "国", 0, 2, CharCode("国", 0, length))});
  m.CapHeight = InkHeightAtReference(face, "H");
  m.XHeight = InkHeightAtReference(face, "x");
  face.Metrics = m;
  face.HasMetrics = true;
  return face.Metrics;
}

// How far the ink of the text rises above the baseline, at the reference em.
double TPangoTextEngine::InkHeightAtReference(TFace& face, const char* utf8)
{
  PangoFontDescription* d = Description(face, kReferenceEm);
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
  const TFaceMetrics& f = FaceMetrics(*FFaces[FaceOf(font)]);
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
  TFace& face = *FFaces[FaceOf(font)];
  const TFaceMetrics& f = FaceMetrics(face);
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
  if (!face.Mono)
    m.tmPitchAndFamily |= TMPF_FIXED_PITCH; // the bit means "variable pitch", as on the platform
  m.tmCharSet = static_cast<Byte>(font.Charset == DEFAULT_CHARSET ? GB2312_CHARSET : font.Charset);
  return m;
}

void TPangoTextEngine::Advances(const TFontSpec& font, const AnsiString& text,
                                std::vector<double>& perByte)
{
  std::lock_guard<std::mutex> guard(FLock);
  TFace& face = *FFaces[FaceOf(font)];
  double k = font.EmHeight / kReferenceEm;
  perByte.assign(text.size(), 0);
  for (size_t i = 0; i < text.size();) {
    size_t n;
    unsigned code = CharCode(text, i, n);
    if (text[i] != '\r' && text[i] != '\n')
      perByte[i] = Advance(face, text, i, n, code) * k;
    i += n;
  }
}

// Shapes text whole with one layout. The UTF-8 text is built a character at a time, as
// measuring converts it, with control characters as blanks so the layout keeps one line;
// each glyph is tied back to its GBK character through pango's clusters.
std::unique_ptr<TShaped> TPangoTextEngine::Shape(TFace& face, double em, const AnsiString& text)
{
  auto shaped = std::make_unique<TShaped>();
  std::vector<Integer> gbkOf; // per UTF-8 byte: the GBK byte index of its character
  for (size_t i = 0; i < text.size();) {
    size_t n;
    CharCode(text, i, n);
    std::string utf8 = static_cast<unsigned char>(text[i]) < 0x20 || text[i] == 0x7F
                           ? std::string(" ")
                           : GbkToUtf8(std::string_view(text).substr(i, n));
    shaped->Utf8 += utf8;
    gbkOf.insert(gbkOf.end(), utf8.size(), static_cast<Integer>(i));
    i += n;
  }
  gbkOf.push_back(static_cast<Integer>(text.size()));
  PangoFontDescription* d = Description(face, em);
  pango_layout_set_font_description(FShapeLayout, d);
  pango_font_description_free(d);
  pango_layout_set_text(FShapeLayout, shaped->Utf8.data(), static_cast<int>(shaped->Utf8.size()));
  PangoLayoutLine* line = pango_layout_get_line_readonly(FShapeLayout, 0);
  for (GSList* l = line ? line->runs : nullptr; l; l = l->next) {
    auto* item = static_cast<PangoGlyphItem*>(l->data);
    TShapedRun run;
    run.Item = pango_glyph_item_copy(item);
    PangoGlyphString* glyphs = run.Item->glyphs;
    run.ThroughPango = run.Item->item->analysis.level % 2 != 0;
    Integer previousCluster = -1;
    double clusterX = 0;
    for (int g = 0; g < glyphs->num_glyphs; ++g) {
      PangoGlyphInfo& info = glyphs->glyphs[g];
      Integer at = run.Item->item->offset + glyphs->log_clusters[g];
      if (info.glyph == PANGO_GLYPH_EMPTY || (info.glyph & PANGO_GLYPH_UNKNOWN_FLAG))
        run.ThroughPango = true;
      if (at != previousCluster) {
        clusterX = 0;
        run.Clusters.push_back({0, 0});
        previousCluster = at;
      }
      ++run.Clusters.back().num_glyphs;
      run.Char.push_back(gbkOf[at]);
      run.Dx.push_back(clusterX + double(info.geometry.x_offset) / PANGO_SCALE);
      run.Dy.push_back(double(info.geometry.y_offset) / PANGO_SCALE);
      clusterX += double(info.geometry.width) / PANGO_SCALE;
    }
    // Bytes per cluster: from its start to the next cluster's (or the run's end).
    std::vector<Integer> starts;
    for (int g = 0; g < glyphs->num_glyphs; ++g)
      if (g == 0 || glyphs->log_clusters[g] != glyphs->log_clusters[g - 1])
        starts.push_back(glyphs->log_clusters[g]);
    starts.push_back(run.Item->item->length);
    for (size_t c = 0; c < run.Clusters.size(); ++c)
      run.Clusters[c].num_bytes = starts[c + 1] - starts[c];
    shaped->Runs.push_back(std::move(run));
  }
  return shaped;
}

TShaped& TPangoTextEngine::Shaped(Integer face, double em, const AnsiString& text)
{
  std::string key(reinterpret_cast<const char*>(&face), sizeof face);
  key.append(reinterpret_cast<const char*>(&em), sizeof em);
  key += text;
  auto it = FShapedIndex.find(key);
  if (it != FShapedIndex.end()) {
    FShaped.splice(FShaped.begin(), FShaped, it->second);
    return *it->second->second;
  }
  std::unique_ptr<TShaped> shaped = Shape(*FFaces[face], em, text);
  if (FShaped.size() >= kShapedCacheSize) {
    FShapedIndex.erase(FShaped.back().first);
    FShaped.pop_back();
  }
  FShaped.emplace_front(key, std::move(shaped));
  FShapedIndex.emplace(std::move(key), FShaped.begin());
  return *FShaped.front().second;
}

// Draws one run with its baseline at y = baseline of the context's user space, each glyph
// at its character's offset.
void TPangoTextEngine::DrawRun(cairo_t* cr, const TShaped& shaped, TShapedRun& run,
                               const std::vector<double>& offsets, double baseline, bool keepText)
{
  PangoGlyphString* glyphs = run.Item->glyphs;
  int count = glyphs->num_glyphs;
  if (run.ThroughPango) {
    // Every glyph placed from the run's origin: zero advances, offsets to its position.
    for (int g = 0; g < count; ++g) {
      PangoGlyphGeometry& geometry = glyphs->glyphs[g].geometry;
      geometry.width = 0;
      geometry.x_offset =
          static_cast<int>(std::lround((offsets[run.Char[g]] + run.Dx[g]) * PANGO_SCALE));
    }
    cairo_move_to(cr, 0, baseline);
    pango_cairo_show_glyph_item(cr, shaped.Utf8.c_str(), run.Item);
    return;
  }
  FGlyphs.resize(count);
  for (int g = 0; g < count; ++g) {
    FGlyphs[g].index = glyphs->glyphs[g].glyph;
    FGlyphs[g].x = offsets[run.Char[g]] + run.Dx[g];
    FGlyphs[g].y = baseline + run.Dy[g];
  }
  cairo_set_scaled_font(cr, pango_cairo_font_get_scaled_font(
                                reinterpret_cast<PangoCairoFont*>(run.Item->item->analysis.font)));
  if (keepText)
    cairo_show_text_glyphs(cr, shaped.Utf8.data() + run.Item->item->offset, run.Item->item->length,
                           FGlyphs.data(), count, run.Clusters.data(),
                           static_cast<int>(run.Clusters.size()), cairo_text_cluster_flags_t(0));
  else
    cairo_show_glyphs(cr, FGlyphs.data(), count);
}

void TPangoTextEngine::Draw(TSurface& surface, const TFontSpec& font, double x, double y,
                            const AnsiString& text, const std::vector<double>& offsets, TColor rgb,
                            const TRegion* clip)
{
  if (text.empty() || (clip && clip->IsEmpty()))
    return;
  Integer ascent = Metrics(font).tmAscent;
  std::lock_guard<std::mutex> guard(FLock);
  TShaped& shaped = Shaped(FaceOf(font), font.EmHeight, text);
  cairo_t* cr = surface.BeginCairo();
  if (!cr)
    return;
  if (clip) {
    cairo_new_path(cr);
    for (const TRegion::TBand& band : clip->Bands())
      for (const TRegion::TSpan& s : band.Spans)
        cairo_rectangle(cr, s.Left, band.Top, s.Right - s.Left, band.Bottom - band.Top);
    cairo_clip(cr);
  }
  cairo_set_source_rgb(cr, GetRValue(rgb) / 255.0, GetGValue(rgb) / 255.0, GetBValue(rgb) / 255.0);
  cairo_translate(cr, x, y);
  if (font.Orientation % 3600 != 0)
    cairo_rotate(cr, -font.Orientation * M_PI / 1800.0);
  bool keepText = cairo_surface_has_show_text_glyphs(cairo_get_target(cr));
  for (TShapedRun& run : shaped.Runs)
    DrawRun(cr, shaped, run, offsets, ascent, keepText);
  surface.EndCairo();
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
  candidates.push_back(AnsiString(QH_SOURCE_DIR) + "/platform/graphics/fonts.conf");
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
