#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Surface.h"

namespace {

// A canvas over a surface filled with a colour no part uses.
constexpr TColor kBackground = 0x123456;

struct TScratch {
  TImageSurface Surface{60, 40, kBackground};
  TCanvas Canvas{&Surface};
  TColor At(Integer x, Integer y) const { return Surface.GetPixel(x, y); }
  TColor Sys(TColor c) const { return ColorToRGB(c); }
  // Rows (or columns) of the rectangle holding the colour, counted per row (column).
  std::vector<Integer> InkPerRow(const TRect& r, TColor c, bool columns = false) const
  {
    std::vector<Integer> counts;
    Integer outer = columns ? r.Width() : r.Height(), inner = columns ? r.Height() : r.Width();
    for (Integer i = 0; i < outer; ++i) {
      Integer n = 0;
      for (Integer j = 0; j < inner; ++j)
        n += (columns ? At(r.Left + i, r.Top + j) : At(r.Left + j, r.Top + i)) == c;
      counts.push_back(n);
    }
    return counts;
  }
};

// The non-zero entries of counts, in order.
std::vector<Integer> NonZero(const std::vector<Integer>& counts)
{
  std::vector<Integer> out;
  for (Integer n : counts)
    if (n)
      out.push_back(n);
  return out;
}

} // namespace

TEST(DrawFrameControl, CheckBoxesInEachState)
{
  // A 13 x 13 box at (10, 10): a sunken two-pixel edge around a 9 x 9 inside; the 7 x 7 mark
  // centred in it starts at (13, 13).
  struct Case {
    const char* Name;
    Cardinal State;
    TColor Inside; // at (13, 13), a blank pixel of the mark's design
    TColor Mark;   // at (19, 13), its top-right pixel; the inside colour when unchecked
  } cases[] = {
      {"unchecked", 0, clWindow, clWindow},
      {"checked", DFCS_CHECKED, clWindow, clWindowText},
      {"pushed", DFCS_CHECKED | DFCS_PUSHED, clBtnFace, clWindowText},
      {"inactive", DFCS_CHECKED | DFCS_INACTIVE, clBtnFace, clBtnShadow},
      {"third state", DFCS_CHECKED | DFCS_BUTTON3STATE, clBtnFace, clBtnShadow},
      {"third state, unchecked", DFCS_BUTTON3STATE, clBtnFace, clBtnFace},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TScratch s;
    s.Canvas.Brush()->SetColor(clLime);
    TRect r = Rect(10, 10, 23, 23);
    ASSERT_TRUE(DrawFrameControl(&s.Canvas, r, DFC_BUTTON, DFCS_BUTTONCHECK | c.State));
    EXPECT_EQ(s.At(10, 10), s.Sys(clBtnShadow));
    EXPECT_EQ(s.At(11, 11), s.Sys(cl3DDkShadow));
    EXPECT_EQ(s.At(22, 22), s.Sys(clBtnHighlight));
    EXPECT_EQ(s.At(21, 21), s.Sys(cl3DLight));
    EXPECT_EQ(s.At(9, 9), kBackground);
    EXPECT_EQ(s.At(13, 13), s.Sys(c.Inside));
    EXPECT_EQ(s.At(19, 13), s.Sys(c.Mark));
    EXPECT_EQ(s.Canvas.Brush()->Color(), clLime); // the caller's brush is kept
  }
  // Flat: one line of the shadow colour; the box is the square centred in a wider rect.
  TScratch flat;
  TRect wide = Rect(0, 0, 33, 13);
  DrawFrameControl(&flat.Canvas, wide, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT);
  EXPECT_EQ(flat.At(10, 0), flat.Sys(clBtnShadow));
  EXPECT_EQ(flat.At(11, 1), flat.Sys(clWindow));
  EXPECT_EQ(flat.At(9, 5), kBackground);
  EXPECT_EQ(flat.At(23, 5), kBackground);
}

TEST(DrawFrameControl, RadioMaskAndImage)
{
  // The mask: the circle black on white. Measured as a painter measures it, by the columns
  // and rows holding black, it spans the whole square.
  TScratch s;
  s.Canvas.Brush()->SetColor(clBlack);
  s.Canvas.FillRect(Rect(0, 0, 13, 13));
  TRect r = Rect(0, 0, 13, 13);
  DrawFrameControl(&s.Canvas, r, DFC_BUTTON, DFCS_BUTTONRADIOMASK | DFCS_FLAT | DFCS_CHECKED);
  EXPECT_EQ(NonZero(s.InkPerRow(r, clBlack, true)).size(), 13u);
  EXPECT_EQ(NonZero(s.InkPerRow(r, clBlack)).size(), 13u);
  EXPECT_EQ(s.At(0, 0), clWhite);
  EXPECT_EQ(s.At(6, 6), clBlack);

  // The image: rings and a dot; the corners keep what was there.
  TScratch image;
  TRect box = Rect(20, 10, 33, 23);
  DrawFrameControl(&image.Canvas, box, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  EXPECT_EQ(image.At(20, 10), kBackground);
  EXPECT_EQ(image.At(26, 16), image.Sys(clWindowText)); // the dot
  EXPECT_EQ(image.At(26, 10), image.Sys(clBtnShadow));  // the top of the outer ring
  EXPECT_EQ(image.At(26, 22), image.Sys(clBtnHighlight));
  EXPECT_EQ(image.At(23, 13), image.Sys(clWindow)); // inside, off the dot
  DrawFrameControl(&image.Canvas, box, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_INACTIVE | DFCS_CHECKED);
  EXPECT_EQ(image.At(26, 16), image.Sys(clBtnShadow));
  EXPECT_EQ(image.At(23, 13), image.Sys(clBtnFace));
}

TEST(DrawFrameControl, ScrollArrowsPointTheirWayInEachState)
{
  struct Case {
    const char* Name;
    Cardinal Kind;
    bool Columns;  // the arrow's rows run across columns (left, right)
    bool Widening; // rows grow from the first to the last (up, left)
  } cases[] = {
      {"up", DFCS_SCROLLUP, false, true},
      {"down", DFCS_SCROLLDOWN, false, false},
      {"left", DFCS_SCROLLLEFT, true, true},
      {"right", DFCS_SCROLLRIGHT, true, false},
      {"combo box", DFCS_SCROLLCOMBOBOX, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TScratch s;
    TRect r = Rect(0, 0, 17, 17);
    ASSERT_TRUE(DrawFrameControl(&s.Canvas, r, DFC_SCROLL, c.Kind));
    EXPECT_EQ(s.At(0, 0), s.Sys(cl3DLight)); // raised
    EXPECT_EQ(s.At(16, 16), s.Sys(cl3DDkShadow));
    std::vector<Integer> rows = NonZero(s.InkPerRow(r, s.Sys(clBtnText), c.Columns));
    ASSERT_EQ(rows.size(), 4u); // (17 + 1) / 4 rows: 1, 3, 5, 7 pixels
    std::vector<Integer> expected = {1, 3, 5, 7};
    if (!c.Widening)
      std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(rows, expected);

    // Pushed: a flat shadow frame and the arrow one pixel down and right.
    TScratch pushed;
    TRect p = Rect(0, 0, 17, 17);
    DrawFrameControl(&pushed.Canvas, p, DFC_SCROLL, c.Kind | DFCS_PUSHED);
    EXPECT_EQ(pushed.At(0, 0), pushed.Sys(clBtnShadow));
    EXPECT_EQ(pushed.At(16, 16), pushed.Sys(clBtnShadow));
    for (Integer y = 0; y < 16; ++y)
      for (Integer x = 0; x < 16; ++x)
        if (s.At(x, y) == s.Sys(clBtnText)) {
          ASSERT_EQ(pushed.At(x + 1, y + 1), s.Sys(clBtnText)) << x << "," << y;
        }

    // Inactive: the arrow embossed, no text colour left.
    TScratch inactive;
    TRect q = Rect(0, 0, 17, 17);
    DrawFrameControl(&inactive.Canvas, q, DFC_SCROLL, c.Kind | DFCS_INACTIVE);
    EXPECT_TRUE(NonZero(inactive.InkPerRow(q, s.Sys(clBtnText))).empty());
    // Inside the bevel, the shadow-coloured arrow has its four rows.
    EXPECT_EQ(NonZero(inactive.InkPerRow(Rect(2, 2, 15, 15), s.Sys(clBtnShadow), c.Columns)).size(),
              4u);
  }
}

TEST(DrawFrameControl, PushButtonsSizeGripsCaptionsAndMenus)
{
  TScratch s;
  TRect r = Rect(0, 0, 40, 20);
  DrawFrameControl(&s.Canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
  EXPECT_EQ(r, Rect(2, 2, 38, 18));
  EXPECT_EQ(s.At(0, 0), s.Sys(cl3DLight));
  EXPECT_EQ(s.At(1, 1), s.Sys(clBtnHighlight));
  EXPECT_EQ(s.At(39, 19), s.Sys(cl3DDkShadow));
  EXPECT_EQ(s.At(20, 10), s.Sys(clBtnFace));
  r = Rect(0, 0, 40, 20);
  DrawFrameControl(&s.Canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
  EXPECT_EQ(s.At(0, 0), s.Sys(clBtnShadow));
  EXPECT_EQ(s.At(39, 19), s.Sys(clBtnHighlight));
  // Latched: the inside dithered with the highlight, anchored at the device origin.
  DrawFrameControl(&s.Canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_CHECKED);
  EXPECT_EQ(s.At(10, 10), s.Sys(clBtnFace));
  EXPECT_EQ(s.At(11, 10), s.Sys(clBtnHighlight));

  // Size grips: ridges from the lower-right corner, or mirrored from the lower-left one.
  TScratch grip;
  TRect g = Rect(0, 0, 16, 16);
  DrawFrameControl(&grip.Canvas, g, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  EXPECT_EQ(grip.At(13, 15), grip.Sys(clBtnHighlight));
  EXPECT_EQ(grip.At(15, 13), grip.Sys(clBtnHighlight));
  EXPECT_EQ(grip.At(14, 15), grip.Sys(clBtnShadow));
  EXPECT_EQ(grip.At(0, 0), grip.Sys(clBtnFace));
  TRect h = Rect(20, 0, 36, 16);
  DrawFrameControl(&grip.Canvas, h, DFC_SCROLL, DFCS_SCROLLSIZEGRIPRIGHT);
  EXPECT_EQ(grip.At(22, 15), grip.Sys(clBtnHighlight));
  EXPECT_EQ(grip.At(20, 13), grip.Sys(clBtnHighlight));

  // A close button's cross meets in the middle; menu glyphs are black on white.
  TScratch caption;
  TRect c = Rect(0, 0, 16, 14);
  DrawFrameControl(&caption.Canvas, c, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  EXPECT_EQ(caption.At(7, 6), caption.Sys(clBtnText));
  EXPECT_EQ(caption.At(4, 3), caption.Sys(clBtnText));
  EXPECT_EQ(caption.At(7, 3), caption.Sys(clBtnFace));
  TRect m = Rect(20, 0, 33, 13);
  DrawFrameControl(&caption.Canvas, m, DFC_MENU, DFCS_MENUCHECK);
  EXPECT_EQ(caption.At(20, 0), clWhite);
  EXPECT_EQ(caption.At(29, 3), clBlack); // the check's top-right pixel: (6, 0) of 7 x 7 at (23, 3)

  // Nothing for unknown kinds and empty rectangles.
  TRect any = Rect(0, 0, 10, 10), none = Rect(5, 5, 5, 9);
  EXPECT_FALSE(DrawFrameControl(&caption.Canvas, any, 9, 0));
  EXPECT_FALSE(DrawFrameControl(&caption.Canvas, any, DFC_SCROLL, 7));
  EXPECT_FALSE(DrawFrameControl(&caption.Canvas, none, DFC_BUTTON, DFCS_BUTTONPUSH));
}
