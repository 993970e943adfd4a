// The fixed-metric text engine: exact, font-independent numbers for tests. Glyphs are
// solid boxes so that tests can probe where each character landed. See TextEngine.h.
#include <cmath>

#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"

namespace {

class TFixedTextEngine final : public TTextEngine {
public:
  explicit TFixedTextEngine(const TFixedMetrics& metrics) : FMetrics(metrics) {}

  TTextMetric Metrics(const TFontSpec& font) override
  {
    double k = Scale(font);
    TTextMetric m;
    m.tmAscent = Px(FMetrics.Ascent * k);
    m.tmDescent = Px(FMetrics.Descent * k);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = std::max(0, m.tmHeight - Px(font.EmHeight));
    m.tmExternalLeading = Px(FMetrics.ExternalLeading * k);
    m.tmAveCharWidth = Px(FMetrics.SingleAdvance * k);
    m.tmMaxCharWidth = Px(FMetrics.DoubleAdvance * k);
    m.tmWeight = font.Style.Contains(fsBold) ? 700 : 400;
    m.tmItalic = font.Style.Contains(fsItalic);
    m.tmUnderlined = font.Style.Contains(fsUnderline);
    m.tmStruckOut = font.Style.Contains(fsStrikeOut);
    m.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE;
    m.tmCharSet = font.Charset == 1 ? 134 : static_cast<Byte>(font.Charset);
    return m;
  }

  void Advances(const TFontSpec& font, const AnsiString& text,
                std::vector<double>& perByte) override
  {
    double k = Scale(font);
    perByte.assign(text.size(), 0);
    for (size_t i = 0; i < text.size();) {
      unsigned char b = static_cast<unsigned char>(text[i]);
      bool dbcs = b >= 0x81 && b != 0xFF && i + 1 < text.size();
      perByte[i] = (dbcs ? FMetrics.DoubleAdvance : FMetrics.SingleAdvance) * k;
      i += dbcs ? 2 : 1;
    }
  }

  void Draw(TSurface& surface, const TFontSpec& font, double x, double y, const AnsiString& text,
            const std::vector<double>& offsets, TColor rgb, const TRegion* clip) override
  {
    std::vector<double> adv;
    Advances(font, text, adv);
    Integer ascent = Metrics(font).tmAscent;
    TGc gc;
    gc.Clip = clip;
    for (size_t i = 0; i < text.size();) {
      unsigned char b = static_cast<unsigned char>(text[i]);
      size_t n = (b >= 0x81 && b != 0xFF && i + 1 < text.size()) ? 2 : 1;
      if (text[i] != ' ') {
        Integer left = Px(x + offsets[i]);
        Integer right = left + Px(adv[i]) - 1;
        Integer top = Px(y);
        surface.FillArea(TRegion(Rect(left, top, right, top + ascent)), TFill::Solid(rgb), gc);
      }
      i += n;
    }
  }

private:
  static Integer Px(double v) { return static_cast<Integer>(std::floor(v + 0.5)); }
  double Scale(const TFontSpec& font) const
  {
    return FMetrics.ReferenceEmHeight > 0 ? font.EmHeight / FMetrics.ReferenceEmHeight : 1.0;
  }

  TFixedMetrics FMetrics;
};

} // namespace

std::unique_ptr<TTextEngine> CreateFixedTextEngine(const TFixedMetrics& metrics)
{
  return std::make_unique<TFixedTextEngine>(metrics);
}
