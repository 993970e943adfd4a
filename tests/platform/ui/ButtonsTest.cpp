// Speed buttons and bitmap buttons: groups that stay down, flat looks, glyph placement and
// states, and the kinds of bitmap buttons in a modal form.
#include "platform/ui/Buttons.h"

#include "platform/graphics/Surface.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

template <class T> T* Make(TWinControl* parent, TRect bounds, const AnsiString& caption = "")
{
  T* c = new T(parent);
  c->SetBoundsRect(bounds);
  c->SetParent(parent);
  if (!caption.empty())
    c->SetCaption(caption);
  return c;
}

TForm* MakeForm()
{
  auto* f = new TForm(nullptr);
  f->SetCaption("按钮");
  f->SetBounds(100, 100, 400, 300);
  f->SetColor(clWhite);
  return f;
}

// A glyph strip of `count` solid 8 x 8 pictures in the given colours, on an olive corner
// pixel that makes olive the transparent colour.
std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> colors)
{
  Integer count = static_cast<Integer>(colors.size());
  auto b = std::make_unique<TBitmap>(8 * count, 8);
  Integer i = 0;
  for (TColor c : colors) {
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(Rect(i * 8, 0, i * 8 + 8, 8));
    ++i;
  }
  b->Canvas()->SetPixels(0, 7, clOlive);
  return b;
}

} // namespace

using ButtonsUnit = UiTest;

TEST_F(ButtonsUnit, SpeedButtonsOfAGroupStayDownOneAtATime)
{
  TForm* form = MakeForm();
  auto* a = Make<TSpeedButton>(form, Bounds(10, 10, 40, 22), "左");
  auto* b = Make<TSpeedButton>(form, Bounds(60, 10, 40, 22), "中");
  auto* plain = Make<TSpeedButton>(form, Bounds(110, 10, 40, 22), "刷新");
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  std::vector<AnsiString> clicks;
  for (TSpeedButton* s : {a, b, plain})
    s->OnClick = [&clicks, s](TObject*) { clicks.push_back(s->Caption()); };
  form->Show();
  Headless().ProcessMessages();

  Headless().Click(a->ClientToScreen({5, 5}));
  EXPECT_TRUE(a->Down());
  Headless().Click(b->ClientToScreen({5, 5}));
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down()) << "the group's other button came up";
  Headless().Click(b->ClientToScreen({5, 5}));
  EXPECT_TRUE(b->Down()) << "without AllowAllUp a group always has one down";
  b->SetAllowAllUp(true);
  Headless().Click(b->ClientToScreen({5, 5}));
  EXPECT_FALSE(b->Down());

  Headless().Click(plain->ClientToScreen({5, 5}));
  EXPECT_FALSE(plain->Down()) << "a plain button pops up";
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down());
  Headless().Drag(plain->ClientToScreen({5, 5}), plain->ClientToScreen({200, 100}));
  EXPECT_EQ(clicks, (std::vector<AnsiString>{"左", "中", "中", "中", "刷新"}));
  EXPECT_EQ(plain->State(), bsUp);

  // A down button of a group is drawn sunken.
  a->SetDown(true);
  EXPECT_EQ(Headless().ScreenPixel(a->ClientToScreen({0, 0})), ColorToRGB(clBtnShadow));
  delete form;
}

TEST_F(ButtonsUnit, FlatSpeedButtonShowsItsBevelUnderTheMouse)
{
  TForm* form = MakeForm();
  auto* flat = Make<TSpeedButton>(form, Bounds(10, 10, 40, 22));
  flat->SetFlat(true);
  form->Show();
  Headless().Move(form->ClientToScreen({200, 200}));
  EXPECT_EQ(Headless().ScreenPixel(flat->ClientToScreen({0, 0})), ColorToRGB(clWhite))
      << "at rest the form shows through";
  Headless().Move(flat->ClientToScreen({10, 10}));
  Headless().ProcessMessages();
  EXPECT_TRUE(flat->MouseInControl());
  EXPECT_EQ(Headless().ScreenPixel(flat->ClientToScreen({0, 0})), ColorToRGB(clBtnHighlight));
  Headless().Move(form->ClientToScreen({200, 200}));
  Headless().ProcessMessages();
  EXPECT_EQ(Headless().ScreenPixel(flat->ClientToScreen({0, 0})), ColorToRGB(clWhite));
  delete form;
}

TEST(ButtonGlyphs, GlyphAndCaptionFollowTheLayout)
{
  TImageSurface surface(100, 60, 0xFFFFFF);
  TCanvas canvas(&surface);
  auto glyph = Strip({clRed, clBlue});
  TRect client = Rect(0, 0, 100, 60);
  struct TCase {
    const char* Name;
    TButtonLayout Layout;
    Integer Margin;
    TPoint GlyphPixel; // a pixel inside the glyph
    bool TextRightOfGlyph, TextBelowGlyph;
  } cases[] = {
      {"left, margin 4", blGlyphLeft, 4, {6, 30}, true, false},
      {"top, margin 2", blGlyphTop, 2, {50, 5}, false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    canvas.Brush()->SetColor(clWhite);
    canvas.FillRect(client);
    TRect text = DrawButtonGlyphAndCaption(&canvas, client, glyph.get(), 2, bsUp, "确定", c.Layout,
                                           c.Margin, 4);
    EXPECT_EQ(canvas.Pixels(c.GlyphPixel.X, c.GlyphPixel.Y), ColorToRGB(clRed));
    if (c.TextRightOfGlyph) {
      EXPECT_EQ(text.Left, c.Margin + 8 + 4);
    }
    if (c.TextBelowGlyph) {
      EXPECT_EQ(text.Top, c.Margin + 8 + 4);
    }
  }
  // The second glyph is the disabled one; with one glyph a disabled button embosses it.
  canvas.FillRect(client);
  DrawButtonGlyphAndCaption(&canvas, client, glyph.get(), 2, bsDisabled, "", blGlyphLeft, 0, 0);
  EXPECT_EQ(canvas.Pixels(3, 30), ColorToRGB(clBlue));
  auto one = Strip({clBlack});
  canvas.FillRect(client);
  DrawButtonGlyphAndCaption(&canvas, client, one.get(), 1, bsDisabled, "", blGlyphLeft, 0, 0);
  EXPECT_EQ(canvas.Pixels(3, 30), ColorToRGB(clBtnShadow));
  EXPECT_EQ(canvas.Pixels(8, 31), ColorToRGB(clBtnHighlight)) << "the highlight, shifted";
  EXPECT_EQ(canvas.Pixels(0, 33), ColorToRGB(clWhite)) << "the transparent corner";
}

TEST_F(ButtonsUnit, BitmapButtonKindsInAModalForm)
{
  TForm* form = MakeForm();
  auto* ok = Make<TBitBtn>(form, Bounds(10, 10, 90, 28));
  ok->SetKind(bkOK);
  auto* cancel = Make<TBitBtn>(form, Bounds(110, 10, 90, 28));
  cancel->SetKind(bkCancel);
  EXPECT_EQ(ok->Caption(), "确定");
  EXPECT_TRUE(ok->Default());
  EXPECT_EQ(ok->ModalResult(), mrOk);
  EXPECT_TRUE(cancel->Cancel());
  EXPECT_EQ(cancel->Caption(), "取消");

  bool greenSeen = false;
  Headless().QueueStep([&] {
    Headless().ProcessMessages();
    for (Integer x = 2; x < 40 && !greenSeen; ++x)
      for (Integer y = 4; y < 24 && !greenSeen; ++y)
        greenSeen = Headless().ScreenPixel(ok->ClientToScreen({x, y})) == ColorToRGB(clGreen);
    Headless().Click(ok->ClientToScreen({45, 14}));
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_TRUE(greenSeen) << "the OK glyph is drawn by the button itself";
  Headless().QueueStep([&] { Headless().Key(VK_ESCAPE); });
  EXPECT_EQ(form->ShowModal(), mrCancel);

  ok->SetModalResult(mrYes);
  EXPECT_EQ(ok->Kind(), bkCustom) << "changing what the kind gave makes it a custom button";
  auto* close = Make<TBitBtn>(form, Bounds(210, 10, 90, 28));
  close->SetKind(bkClose);
  form->Show();
  Headless().ProcessMessages();
  Headless().Click(close->ClientToScreen({45, 14}));
  EXPECT_FALSE(form->Visible()) << "a Close button closes its form";
  delete form;
}
