// Selection colours, the cell text writers and helpers, and the grid's painting: line
// colours per region, highlighted cells and frames, probed on the headless screen.
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/SysUtils.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

struct TProbe {
  std::unique_ptr<TTextEngine> Engine = CreateFixedTextEngine(TFixedMetrics{7, 13, 11, 2, 0, 0});
  TImageSurface Surface{120, 40, clWhite};
  TCanvas Canvas{&Surface};
  TProbe() { Canvas.SetTextEngine(Engine.get()); }
  // The first and one past the last inked column of row y (-1, -1 when none).
  std::pair<Integer, Integer> Ink(Integer y) const
  {
    Integer first = -1, last = -1;
    for (Integer x = 0; x < Surface.Width(); ++x)
      if (Surface.GetPixel(x, y) != clWhite) {
        if (first < 0)
          first = x;
        last = x + 1;
      }
    return {first, last};
  }
};

} // namespace

TEST(GridEhStyle, MixLightColorBlendsAndLightens)
{
  EXPECT_EQ(MixLightColor(clWhite, RGB(0, 0, 128), true), RGB(202, 202, 234));
  EXPECT_EQ(MixLightColor(clWhite, RGB(0, 0, 128), false), RGB(186, 186, 212));
  EXPECT_EQ(MixLightColor(clBlack, clBlack, false), RGB(135, 135, 135));
  EXPECT_EQ(MixLightColor(clBlack, clBlack, true), RGB(138, 138, 138));
  // No input leaves the channel range.
  for (TColor a : {clBlack, clWhite, RGB(255, 0, 0)})
    for (TColor g : {clBlack, clWhite, RGB(0, 255, 255)})
      for (bool u : {false, true}) {
        TColor m = MixLightColor(a, g, u);
        EXPECT_LE(GetRValue(m), 255);
        EXPECT_GE(GetBValue(m), 0);
      }
}

TEST(GridEhText, ShortenWithEllipsisDropsCharactersUntilItFits)
{
  TProbe p;
  struct {
    Integer Max;
    const char* Result;
  } cases[] = {{56, "abcdefgh"}, {55, "abcd..."}, {30, "a..."}, {21, "..."}, {5, "..."}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Max);
    EXPECT_EQ(ShortenWithEllipsis("abcdefgh", &p.Canvas, c.Max), c.Result);
  }
  // Four characters that do not fit: two, one, then none before the dots.
  EXPECT_EQ(ShortenWithEllipsis("abcd", &p.Canvas, 27), "...");
  // A double-byte character is never cut in half.
  EXPECT_EQ(ShortenWithEllipsis("中文字", &p.Canvas, 13 + 21), "中...");
}

TEST(GridEhText, SingleLineTextIsPlacedByAlignment)
{
  TProbe p;
  p.Canvas.Font()->SetColor(clBlack);
  p.Canvas.Brush()->SetColor(clWhite);
  TRect r(10, 5, 110, 30);
  DrawCellText(&p.Canvas, r, true, 2, 2, "ab", taRightJustify, tlTop, false, false, 0, 0, false);
  // Glyph boxes are advance - 1 wide: the text's ink ends one pixel before its extent.
  EXPECT_EQ(p.Ink(8).second, 110 - 3 - 1) << "right-aligned text ends 3 pixels before the edge";
  p.Canvas.FillRect(TRect(0, 0, 120, 40));
  DrawCellText(&p.Canvas, r, true, 2, 2, "ab", taLeftJustify, tlTop, false, false, 0, 0, false);
  EXPECT_EQ(p.Ink(8).first, 12);
  p.Canvas.FillRect(TRect(0, 0, 120, 40));
  DrawCellText(&p.Canvas, r, true, 2, 2, "ab", taCenter, tlTop, false, false, 0, 0, false);
  EXPECT_EQ(p.Ink(8).first, 10 + 50 - 7);
  // Vertical layout: centred puts the 13-pixel text at (5 + 30 - 13) div 2 = 11.
  p.Canvas.FillRect(TRect(0, 0, 120, 40));
  DrawCellText(&p.Canvas, r, true, 2, 2, "ab", taLeftJustify, tlCenter, false, false, 0, 0, false);
  EXPECT_EQ(p.Ink(10).first, -1);
  EXPECT_EQ(p.Ink(11).first, 12);
  // With an end ellipsis the cut text fits.
  p.Canvas.FillRect(TRect(0, 0, 120, 40));
  DrawCellText(&p.Canvas, TRect(0, 0, 40, 20), true, 2, 2, "abcdefgh", taLeftJustify, tlTop, false,
               true, 0, 0, false);
  EXPECT_LE(p.Ink(3).second, 40);
}

TEST(GridEhText, AClippedImageLeavesTheClipAsItWas)
{
  TProbe p;
  TCustomImageList images(30, 30, nullptr);
  TBitmap bmp(30, 30);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(TRect(0, 0, 30, 30));
  images.Add(&bmp, nullptr);
  TRect cell(10, 10, 30, 25);
  DrawImageClipped(&images, nullptr, &p.Canvas, taCenter, 0, 0, cell);
  EXPECT_EQ(p.Surface.GetPixel(20, 17), clRed);
  EXPECT_EQ(p.Surface.GetPixel(9, 17), clWhite) << "clipped to the cell";
  EXPECT_EQ(p.Surface.GetPixel(20, 26), clWhite);
  TRegion region;
  EXPECT_FALSE(p.Canvas.GetClipRegion(region)) << "no clip before, none after";
}

TEST(GridEhText, TheSharedBitmapLivesWhileAGridUsesIt)
{
  // The unit's grids may hold references already; count from here.
  TBitmap* first = AcquireDrawBitmap();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(AcquireDrawBitmap(), first);
  ReleaseDrawBitmap();
  EXPECT_EQ(SharedDrawBitmap(), first);
  ReleaseDrawBitmap();
  EXPECT_EQ(SharedDrawBitmap(), nullptr);
  TBitmap* again = AcquireDrawBitmap();
  EXPECT_NE(again, nullptr);
  ReleaseDrawBitmap();
}

using GridEhPaint = GridEhTest;

TEST_F(GridEhPaint, SelectedCellsTakeTheStyleColours)
{
  MakeGrid();
  Grid->SetFocus();
  Headless().ProcessMessages();
  TDBGridEhStyle* style = Grid->Style();
  ASSERT_EQ(style, DefaultGridStyle());
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Orders->First();
  Grid->SelectedRows()->SetCurrentSelected(true);
  TFont font;
  auto colour = [&](Integer dataCol, TGridDrawState state) {
    TColor bg = clWindow;
    font.SetColor(clWindowText);
    bool lit = style->HighlightDataCell(Grid, Grid->DataToRawColumn(dataCol), Grid->Row(), dataCol,
                                        0, state, bg, &font);
    return lit ? bg : clNone;
  };
  // Focused: selected cells other than the current one are lightened.
  Integer current = Grid->SelectedIndex();
  Integer other = current == 2 ? 3 : 2;
  EXPECT_EQ(colour(other, {}), MixLightColor(clWindow, clHighlight, true));
  EXPECT_EQ(colour(current, {}), clHighlight);
  EXPECT_EQ(font.Color(), clHighlightText);
  // Without lightening every highlighted cell is the highlight colour.
  style->SetLightenSelection(false);
  EXPECT_EQ(colour(other, {}), clHighlight);
  style->SetLightenSelection(true);
  // A 256-colour display gets no blends.
  SetScreenColorCountForTests(256);
  EXPECT_EQ(colour(other, {}), clHighlight);
  SetScreenColorCountForTests(-1);
  // Unfocused: the current cell in the shadow colour with dgKeepSelectionVisible.
  Form->SetActiveControl(nullptr);
  ::SetFocus(0);
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgKeepSelectionVisible});
  EXPECT_FALSE(Grid->SelectionActive());
  EXPECT_EQ(colour(current, {}), clBtnShadow);
  EXPECT_EQ(font.Color(), clHighlightText);
  EXPECT_EQ(colour(other, {}), MixLightColor(clWindow, clBtnShadow, false));
  SetScreenColorCountForTests(256);
  EXPECT_EQ(colour(other, {}), clBtnFace);
}

TEST_F(GridEhPaint, AStyleGoingAwaySendsItsGridsBackToTheSharedOne)
{
  MakeGrid();
  auto* own = new TDBGridEhStyle();
  Grid->SetStyle(own);
  EXPECT_TRUE(own->HasGrid(Grid));
  EXPECT_FALSE(DefaultGridStyle()->HasGrid(Grid));
  delete own;
  EXPECT_EQ(Grid->Style(), DefaultGridStyle());
  EXPECT_TRUE(DefaultGridStyle()->HasGrid(Grid));
  Grid->SetStyle(nullptr);
  EXPECT_EQ(Grid->Style(), DefaultGridStyle());
}

TEST_F(GridEhPaint, LinesTakeTheirRegionsColours)
{
  MakeGrid();
  Headless().ProcessMessages();
  TRect title = Grid->CellRect(2, 0);
  TRect data = Grid->CellRect(2, 2);
  TRect indicator = Grid->CellRect(0, 2);
  auto at = [&](Integer x, Integer y) {
    return Headless().ScreenPixel(Grid->ClientToScreen({x, y}));
  };
  EXPECT_EQ(at(data.Right, data.Top + 3), ColorToRGB(clSilver)) << "data lines";
  EXPECT_EQ(at(data.Left + 3, data.Bottom), ColorToRGB(clSilver));
  EXPECT_EQ(at(title.Right, title.Top + 8), ColorToRGB(clBlack)) << "fixed lines";
  EXPECT_EQ(at(indicator.Left + 3, indicator.Bottom), ColorToRGB(clBlack));
  // A flat grid draws its fixed lines in the shadow colour; a silver grid its data lines grey.
  Grid->SetFlat(true);
  Grid->SetColor(clSilver);
  Headless().ProcessMessages();
  title = Grid->CellRect(2, 0);
  data = Grid->CellRect(2, 2);
  EXPECT_EQ(at(title.Right, title.Top + 8), ColorToRGB(clBtnShadow));
  EXPECT_EQ(at(data.Right, data.Top + 3), ColorToRGB(clGray));
}

TEST_F(GridEhPaint, TitlesHaveRaisedFramesAndTheCurrentCellIsHighlighted)
{
  MakeGrid();
  Grid->SetFocus();
  Headless().ProcessMessages();
  auto at = [&](Integer x, Integer y) {
    return Headless().ScreenPixel(Grid->ClientToScreen({x, y}));
  };
  TRect title = Grid->CellRect(2, 0);
  EXPECT_EQ(at(title.Left, title.Top + 5), ColorToRGB(clBtnHighlight)) << "raised edge";
  EXPECT_EQ(at(title.Right - 1, title.Top + 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(at(title.Left + 1, title.Bottom - 2), RGB(240, 240, 240)) << "the face";
  TRect cur = Grid->CellRect(Grid->Col(), Grid->Row());
  EXPECT_EQ(at(cur.Right - 2, cur.Bottom - 2), ColorToRGB(clHighlight));
  // A right-aligned number ends three pixels before the cell edge.
  TRect qty = Grid->CellRect(Grid->DataToRawColumn(Col("ID")->Index()), 2);
  Integer ink = -1;
  for (Integer x = qty.Left; x < qty.Right; ++x)
    if (at(x, qty.Top + 6) == ColorToRGB(clBlack))
      ink = x + 1;
  EXPECT_EQ(ink, qty.Right - 3 - 1);
}

namespace {

// A theme whose header items are solid: teal normal, fuchsia hot; the rest is the classic one.
class TSolidHeaderTheme : public TThemeService {
public:
  std::unique_ptr<TThemeService> Classic = CreateClassicThemeService();
  Integer HeaderItems = 0;
  bool IsThemeActive() override { return true; }
  HTHEME OpenThemeData(const WideString& c) override { return Classic->OpenThemeData(c); }
  HRESULT CloseThemeData(HTHEME t) override { return Classic->CloseThemeData(t); }
  HRESULT DrawThemeBackground(HTHEME t, TCanvas& canvas, Integer part, Integer state,
                              const TRect& rect, const TRect* clip) override
  {
    if (part != HP_HEADERITEM)
      return Classic->DrawThemeBackground(t, canvas, part, state, rect, clip);
    ++HeaderItems;
    TRect r = rect;
    if (clip)
      IntersectRect(r, r, *clip);
    canvas.Brush()->SetColor(state == HIS_HOT ? clFuchsia : clTeal);
    canvas.FillRect(r);
    return S_OK;
  }
  HRESULT DrawThemeText(HTHEME t, TCanvas& c, Integer p, Integer s, const WideString& x, Cardinal f,
                        Cardinal f2, const TRect& r) override
  {
    return Classic->DrawThemeText(t, c, p, s, x, f, f2, r);
  }
  HRESULT DrawThemeEdge(HTHEME t, TCanvas& c, Integer p, Integer s, const TRect& d, Cardinal e,
                        Cardinal f, TRect* content) override
  {
    return Classic->DrawThemeEdge(t, c, p, s, d, e, f, content);
  }
  HRESULT GetThemeBackgroundContentRect(HTHEME t, TCanvas* c, Integer p, Integer s, const TRect& b,
                                        TRect& content) override
  {
    return Classic->GetThemeBackgroundContentRect(t, c, p, s, b, content);
  }
  HRESULT GetThemeBackgroundRegion(HTHEME t, TCanvas* c, Integer p, Integer s, const TRect& r,
                                   TRegion& region) override
  {
    return Classic->GetThemeBackgroundRegion(t, c, p, s, r, region);
  }
  HRESULT GetThemePartSize(HTHEME t, TCanvas* c, Integer p, Integer s, const TRect* r, THEMESIZE k,
                           TSize& size) override
  {
    return Classic->GetThemePartSize(t, c, p, s, r, k, size);
  }
  HRESULT GetThemeColor(HTHEME t, Integer p, Integer s, Integer prop, TColor& c) override
  {
    return Classic->GetThemeColor(t, p, s, prop, c);
  }
  bool IsThemeBackgroundPartiallyTransparent(HTHEME t, Integer p, Integer s) override
  {
    return Classic->IsThemeBackgroundPartiallyTransparent(t, p, s);
  }
};

} // namespace

TEST_F(GridEhPaint, TitleImagesTakeTheCaptionsPlace)
{
  MakeGrid();
  auto* images = new TImageList(Form);
  images->SetWidth(8);
  images->SetHeight(8);
  TBitmap b(8, 8);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(0, 0, 8, 8));
  images->Add(&b, nullptr);
  Grid->SetTitleImages(images);
  TColumnTitleEh* title = Col("City")->Title();
  title->SetImageIndex(0);
  title->SetAlignment(taCenter);
  Headless().ProcessMessages();
  auto at = [&](Integer x, Integer y) {
    return Headless().ScreenPixel(Grid->ClientToScreen({x, y}));
  };
  TRect r = Grid->CellRect(Grid->DataToRawColumn(Col("City")->Index()), 0);
  Integer mid = (r.Left + r.Right) / 2;
  Integer red = 0, black = 0;
  for (Integer y = r.Top + 1; y < r.Bottom - 1; ++y)
    for (Integer x = r.Left + 1; x < r.Right - 1; ++x) {
      red += at(x, y) == ColorToRGB(clRed);
      black += at(x, y) == ColorToRGB(clBlack);
    }
  EXPECT_EQ(red, 64) << "the whole image";
  EXPECT_EQ(black, 0) << "no caption";
  EXPECT_EQ(at(mid, r.Top + 8), ColorToRGB(clRed)) << "centred as the title's alignment";
  // Fitting the column to its title gives the image's width and the margin.
  Integer w = 0;
  Grid->TitleFitWidth(Col("City"), w);
  EXPECT_EQ(w, 4 + 8);
  // Without the image list the caption is back.
  Grid->SetTitleImages(nullptr);
  Headless().ProcessMessages();
  black = 0;
  for (Integer y = r.Top + 1; y < r.Bottom - 1; ++y)
    for (Integer x = r.Left + 1; x < r.Right - 1; ++x)
      black += at(x, y) == ColorToRGB(clBlack);
  EXPECT_GT(black, 0);
}

TEST_F(GridEhPaint, ThemedFixedCellsAreHeaderItemsWithoutFrames)
{
  TSolidHeaderTheme theme;
  SetThemeServices(&theme);
  SetGridThemesEnabled(true);
  struct TReset {
    ~TReset()
    {
      SetGridThemesEnabled(false);
      SetThemeServices(nullptr);
    }
  } reset;
  MakeGrid();
  Grid->SetFocus();
  Headless().ProcessMessages();
  ASSERT_TRUE(Grid->ThemedFixedCells());
  auto at = [&](Integer x, Integer y) {
    return Headless().ScreenPixel(Grid->ClientToScreen({x, y}));
  };
  TRect title = Grid->CellRect(2, 0);
  EXPECT_EQ(at(title.Left, title.Top + 5), ColorToRGB(clTeal)) << "no raised edge";
  EXPECT_EQ(at(title.Right - 1, title.Top + 5), ColorToRGB(clTeal));
  TRect indicator = Grid->CellRect(0, 3);
  EXPECT_EQ(at(indicator.Left + 1, indicator.Top + 1), ColorToRGB(clTeal));
  // Selected columns show the hot item.
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Grid->Selection()->Columns()->SelectColumn(Grid->Columns()->Items(1), false);
  Grid->Invalidate();
  Headless().ProcessMessages();
  title = Grid->CellRect(Grid->DataToRawColumn(1), 0);
  EXPECT_EQ(at(title.Right - 3, title.Bottom - 3), ColorToRGB(clFuchsia));
  // A flat grid keeps its own look.
  Grid->SetFlat(true);
  EXPECT_FALSE(Grid->ThemedFixedCells());
  theme.HeaderItems = 0;
  Grid->Invalidate();
  Headless().ProcessMessages();
  EXPECT_EQ(theme.HeaderItems, 0);
}
