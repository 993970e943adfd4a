// The images the painters share: the row indicators, the scroll-bar page patterns, the
// auto-hide pins and the 96 radio-button images (see cxLookAndFeelPainters.h). The
// indicator and pin bitmaps are our own artwork, registered as bitmap resources under the
// names they are loaded by.
#include <map>

#include "controls/cx/base/cxLookAndFeelPainters.h"
#include "controls/cx/base/cxLookAndFeels.h"
#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Streams.h"

namespace {

// Pictures as rows of characters: '#' black, '.' white (the transparent colour of the
// indicators), 'g' dark grey, 'y' yellow, 'b' navy.
using TArt = std::vector<const char*>;

const TArt ArrowArt = {
    "...........", "...#.......", "...##......", "...###.....", "...####....", "...#####...",
    "...####....", "...###.....", "...##......", "...#.......", "...........",
};
const TArt EditArt = {
    "...........", ".......##..", "......#..#.", ".....#.##..", "....#..#...", "...#..#....",
    "..#..#.....", "..###......", "..##.......", "...........", "...........",
};
const TArt InsertArt = {
    "...........", ".....#.....", ".#...#...#.", "..#..#..#..", "...#.#.#...", ".#########.",
    "...#.#.#...", "..#..#..#..", ".#...#...#.", ".....#.....", "...........",
};
const TArt MultiDotArt = {
    "...........", "...........", "...........", "...........", "....###....", "....###....",
    "....###....", "...........", "...........", "...........", "...........",
};
const TArt MultiArrowArt = {
    "...........", "..#........", "..##.......", "..###......", "..####.....", "..#####.###",
    "..####..###", "..###...###", "..##.......", "..#........", "...........",
};
const TArt AutoHideOnArt = {
    "................", "................", "................", "......#######...",
    "......#..bb.#...", "......#..bb.#...", "......#..bb.#...", "......#..bb.#...",
    "......#..bb.#...", "....#########...", "........#.......", "........#.......",
    "........#.......", "........#.......", "................", "................",
};
const TArt AutoHideOffArt = {
    "................", "................", "................", "................",
    "....#...........", "....#.....#.....", "....#######.....", "....#.bbbb######",
    "#####......#....", "....#.bbbb######", "....#######.....", "....#.....#.....",
    "....#...........", "................", "................", "................",
};

TColor ArtColor(char c)
{
  switch (c) {
  case '#':
    return clBlack;
  case 'g':
    return clGray;
  case 'y':
    return clYellow;
  case 'b':
    return clNavy;
  default:
    return clWhite;
  }
}

std::map<AnsiString, std::string>& ResourceBytes()
{
  static std::map<AnsiString, std::string> bytes;
  return bytes;
}

void RegisterArt(const AnsiString& name, const TArt& art)
{
  const Integer h = static_cast<Integer>(art.size());
  const Integer w = static_cast<Integer>(std::char_traits<char>::length(art[0]));
  TBitmap bitmap(w, h);
  bitmap.SetPixelFormat(pf24bit);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x)
      bitmap.Canvas()->SetPixels(x, y, ArtColor(art[y][x]));
  std::string& bytes = ResourceBytes()[name];
  bytes = bitmap.SaveToBytes();
  RegisterResource(name, bytes.data(), static_cast<Int64>(bytes.size()));
}

struct TPainterImages {
  std::unique_ptr<TCustomImageList> Indicators;
  std::unique_ptr<TBitmap> Patterns[2];
  std::unique_ptr<TBitmap> AutoHide[2];
  std::unique_ptr<TcxRadioButtonImageList> Radio;
  std::unique_ptr<TcxSystemPaletteChangedNotifier> Notifier;
};
TPainterImages* Images = nullptr;

// Empties the radio images when the system colours change; they are rebuilt on next use.
class TSystemPaletteChangedNotifier : public TcxSystemPaletteChangedNotifier {
public:
  TSystemPaletteChangedNotifier() : TcxSystemPaletteChangedNotifier(true) {}
  void FirePaletteChange() override
  {
    if (Images && Images->Radio)
      Images->Radio->Clear();
    TcxSystemPaletteChangedNotifier::FirePaletteChange();
  }
};

// The radio shape: a 12 x 12 circle in the 13 x 13 cell of the platform's check boxes, with
// a 4 x 4 bullet in its middle.
constexpr Integer RadioSize = 12;
const TRect RadioBullet = {4, 4, 8, 8};

} // namespace

// ---- Patterns, indicators, pins ----

void RepaintScrollBarPatterns()
{
  if (!Images)
    return;
  for (Integer pressed = 0; pressed < 2; ++pressed) {
    auto& bitmap = Images->Patterns[pressed];
    if (!bitmap)
      bitmap = std::make_unique<TBitmap>(8, 8);
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 8; ++x) {
        const bool odd = (x % 2) != (y % 2);
        TColor c = pressed ? (odd ? cl3DDkShadow : clBlack) : (odd ? clBtnHighlight : clBtnFace);
        bitmap->Canvas()->SetPixels(x, y, ColorToRGB(c));
      }
  }
}

TBitmap* cxScrollBarPattern(bool APressed)
{
  return Images ? Images->Patterns[APressed].get() : nullptr;
}

TCustomImageList* cxIndicatorImages()
{
  return Images ? Images->Indicators.get() : nullptr;
}

TBitmap* cxAutoHideBitmap(Integer AIndex)
{
  return Images && AIndex >= 0 && AIndex < 2 ? Images->AutoHide[AIndex].get() : nullptr;
}

// ---- Radio-button images ----

Integer cxRadioButtonImageIndex(TcxPainterStyle AStyle, TcxButtonState AState, bool AChecked,
                                bool AFocused, bool AHighlighted)
{
  const Integer state = (AState == cxbsDefault ? cxbsNormal : AState) - 1;
  return state + 4 * AChecked + 8 * AStyle + 24 * AFocused + 48 * AHighlighted;
}

TcxRadioButtonImageList* RadioButtonImages()
{
  if (!Images)
    return nullptr;
  if (!Images->Radio)
    Images->Radio = std::make_unique<TcxRadioButtonImageList>();
  return Images->Radio.get();
}

TcxRadioButtonImageList::TcxRadioButtonImageList() : FSize{RadioSize, RadioSize}
{
  FBullet = RadioBullet;
  FImages = std::make_unique<TImageList>(FSize.cx, FSize.cy, nullptr);
  FImages->SetMasked(true);
  FMask = std::make_unique<TBitmap>(FSize.cx, FSize.cy);
  FMask->SetMonochrome(true);
  FMask->Canvas()->Brush()->SetColor(clWhite);
  FMask->Canvas()->FillRect(Rect(0, 0, FSize.cx, FSize.cy));
  FMask->Canvas()->Pen()->SetColor(clBlack);
  FMask->Canvas()->Brush()->SetColor(clBlack);
  FMask->Canvas()->RoundRect(0, 0, FSize.cx, FSize.cy, FSize.cx - 1, FSize.cy - 1);
  BuildMap();
}

TcxRadioButtonImageList::~TcxRadioButtonImageList() = default;

void TcxRadioButtonImageList::BuildMap()
{
  const Integer W = FSize.cx;
  const Integer H = FSize.cy;
  FMap.assign(W * H, 0);
  auto code = [&](Integer x, Integer y) -> Byte& { return FMap[y * W + x]; };
  auto below = [&](Integer x, Integer y) { return (H - 1) * (W - 1 - x) < y * (W - 1); };
  auto onDiagonal = [&](Integer x, Integer y) { return (H - 1) * (W - 1 - x) == y * (W - 1); };
  // 1. The outer ring.
  TBitmap ring(W, H);
  ring.Canvas()->Pen()->SetColor(clBlack);
  ring.Canvas()->Brush()->SetStyle(bsClear);
  ring.Canvas()->RoundRect(0, 0, W, H, W - 1, H - 1);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x)
      if ((ring.Canvas()->Pixels(x, y) & 0xFFFFFF) == 0)
        code(x, y) = below(x, y) ? 2 : 1;
  // 2. The fill, row by row from the centre column outwards.
  const Integer cx = W / 2;
  const Integer cy = H / 2;
  for (Integer y = 1; y <= H - 2; ++y) {
    for (Integer x = cx; x >= 0 && code(x, y) == 0; --x)
      code(x, y) = 5;
    for (Integer x = cx + 1; x < W && code(x, y) == 0; ++x)
      code(x, y) = 5;
  }
  // 3. The inner ring: the fill pixels next to the outer ring along rows and columns, and
  // the whole first and last filled rows.
  std::vector<std::pair<Integer, Integer>> inner;
  Integer firstRow = -1;
  Integer lastRow = -1;
  for (Integer y = 1; y <= H - 2; ++y) {
    Integer l = -1;
    Integer r = -1;
    for (Integer x = 0; x < W; ++x)
      if (code(x, y) == 5) {
        if (l < 0)
          l = x;
        r = x;
      }
    if (l < 0)
      continue;
    if (firstRow < 0)
      firstRow = y;
    lastRow = y;
    inner.push_back({l, y});
    inner.push_back({r, y});
  }
  for (Integer y : {firstRow, lastRow})
    if (y >= 0)
      for (Integer x = 0; x < W; ++x)
        if (code(x, y) == 5)
          inner.push_back({x, y});
  for (Integer x = 1; x <= W - 2; ++x) {
    Integer t = -1;
    Integer b = -1;
    for (Integer y = 0; y < H; ++y)
      if (code(x, y) == 5) {
        if (t < 0)
          t = y;
        b = y;
      }
    if (t >= 0) {
      inner.push_back({x, t});
      inner.push_back({x, b});
    }
  }
  for (auto [x, y] : inner)
    code(x, y) = onDiagonal(x, y) ? (x < cx ? 3 : 4) : (below(x, y) ? 4 : 3);
  // 4. The dot.
  TBitmap dot(W, H);
  dot.Canvas()->Pen()->SetColor(clBlack);
  dot.Canvas()->Brush()->SetColor(clBlack);
  dot.Canvas()->RoundRect(FBullet.Left, FBullet.Top, FBullet.Right, FBullet.Bottom,
                          cxRectWidth(FBullet) - 1, cxRectHeight(FBullet) - 1);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x)
      if ((dot.Canvas()->Pixels(x, y) & 0xFFFFFF) == 0)
        code(x, y) = 6;
  (void)cy;
}

TColor TcxRadioButtonImageList::PixelColor(Integer ACode, Integer AStyle, bool AChecked,
                                           TcxButtonState AState, bool AFocused,
                                           bool AHighlighted) const
{
  const bool disabled = AState == cxbsDisabled;
  TColor fill;
  if (disabled)
    fill = clBtnFace;
  else if (AStyle == psUltraFlat)
    fill = AState == cxbsHot ? HighlightTintLight()
                             : (AState == cxbsPressed ? HighlightTintDark() : clWindow);
  else
    fill = AState == cxbsPressed ? clBtnFace : clWindow;
  switch (ACode) {
  case 1:
  case 2:
    if (AStyle == psUltraFlat)
      return AHighlighted || AState == cxbsHot || AState == cxbsPressed || (AFocused && !disabled)
                 ? clHighlight
                 : clBtnShadow;
    return ACode == 1 ? clBtnShadow : clBtnHighlight;
  case 3:
    return AStyle == psFlat ? cl3DLight : (AStyle == psStandard ? cl3DDkShadow : fill);
  case 4:
    return AStyle == psUltraFlat ? fill : cl3DLight;
  case 5:
    return fill;
  case 6:
    return AChecked ? (disabled ? clBtnShadow : clBtnText) : fill;
  default:
    return clBlack;
  }
}

void TcxRadioButtonImageList::EnsureImages()
{
  if (FImages->Count() > 0)
    return;
  const Integer W = FSize.cx;
  const Integer H = FSize.cy;
  for (Integer highlighted = 0; highlighted < 2; ++highlighted)
    for (Integer focused = 0; focused < 2; ++focused)
      for (Integer style = 0; style < 3; ++style)
        for (Integer checked = 0; checked < 2; ++checked)
          for (Integer state = cxbsNormal; state <= cxbsDisabled; ++state) {
            TBitmap image(W, H);
            for (Integer y = 0; y < H; ++y)
              for (Integer x = 0; x < W; ++x)
                image.Canvas()->SetPixels(x, y,
                                          ColorToRGB(PixelColor(PixelCode(x, y), style, checked,
                                                                static_cast<TcxButtonState>(state),
                                                                focused, highlighted)));
            FImages->Add(&image, FMask.get());
          }
}

void TcxRadioButtonImageList::Clear()
{
  FImages->Clear();
}

Integer TcxRadioButtonImageList::Count() const
{
  return FImages->Count();
}

void TcxRadioButtonImageList::PaintImage(TcxCanvas* C, Integer AIndex, Integer X, Integer Y,
                                         TColor ABackgroundColor)
{
  EnsureImages();
  if (AIndex < 0 || AIndex >= FImages->Count())
    return;
  if (ABackgroundColor == clDefault) {
    FImages->Draw(C->Canvas(), X, Y, AIndex, true);
    return;
  }
  TBitmap bitmap(FSize.cx, FSize.cy);
  bitmap.Canvas()->Brush()->SetColor(ABackgroundColor);
  bitmap.Canvas()->FillRect(Rect(0, 0, FSize.cx, FSize.cy));
  FImages->Draw(bitmap.Canvas(), 0, 0, AIndex, true);
  C->Canvas()->Draw(X, Y, &bitmap);
}

// ---- Unit ----

void cxLookAndFeelPaintersInitialization()
{
  RegisterArt("CX_ARROWBITMAP", ArrowArt);
  RegisterArt("CX_EDITBITMAP", EditArt);
  RegisterArt("CX_INSERTBITMAP", InsertArt);
  RegisterArt("CX_MULTIDOTBITMAP", MultiDotArt);
  RegisterArt("CX_MULTIARROWBITMAP", MultiArrowArt);
  RegisterArt("CX_AUTOHIDEON", AutoHideOnArt);
  RegisterArt("CX_AUTOHIDEOFF", AutoHideOffArt);
  Images = new TPainterImages;
  Images->Indicators = std::make_unique<TImageList>(nullptr);
  for (const char* name : {"CX_ARROWBITMAP", "CX_EDITBITMAP", "CX_INSERTBITMAP",
                           "CX_MULTIDOTBITMAP", "CX_MULTIARROWBITMAP"}) {
    TBitmap bitmap;
    bitmap.LoadFromResourceName(0, name);
    if (Images->Indicators->Count() == 0) {
      Images->Indicators->SetWidth(bitmap.Width());
      Images->Indicators->SetHeight(bitmap.Height());
    }
    Images->Indicators->AddMasked(&bitmap, clWhite);
  }
  RepaintScrollBarPatterns();
  const char* pins[2] = {"CX_AUTOHIDEON", "CX_AUTOHIDEOFF"};
  for (Integer i = 0; i < 2; ++i) {
    Images->AutoHide[i] = std::make_unique<TBitmap>();
    Images->AutoHide[i]->LoadFromResourceName(0, pins[i]);
    Images->AutoHide[i]->SetTransparent(true);
  }
  Images->Notifier = std::make_unique<TSystemPaletteChangedNotifier>();
}

void cxLookAndFeelPaintersFinalization()
{
  if (!Images)
    return;
  Images->Notifier.reset();
  delete Images;
  Images = nullptr;
}
