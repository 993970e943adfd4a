#include "platform/graphics/Themes.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"

namespace {

constexpr TColor kBackground = 0x123456;

WideString W(const char* ascii)
{
  return WideString(ascii, ascii + std::char_traits<char>::length(ascii));
}

// An open theme class, closed at the end.
struct TTheme {
  HTHEME Handle;
  explicit TTheme(const char* classes) : Handle(OpenThemeData(0, W(classes))) {}
  ~TTheme()
  {
    if (Handle)
      CloseThemeData(Handle);
  }
};

struct TPair {
  TImageSurface Themed{40, 30, kBackground};
  TImageSurface Direct{40, 30, kBackground};
  TCanvas ThemedCanvas{&Themed};
  TCanvas DirectCanvas{&Direct};
  Integer Differing() const
  {
    Integer n = 0;
    for (Integer y = 0; y < 30; ++y)
      for (Integer x = 0; x < 40; ++x)
        n += Themed.GetPixel(x, y) != Direct.GetPixel(x, y);
    return n;
  }
};

AnsiString BuildDir()
{
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0)
    return ".";
  exe[n] = 0;
  AnsiString path = exe;
  return path.substr(0, path.rfind('/'));
}

} // namespace

TEST(Themes, ClassesOpenByNameAndHandlesCloseOnce)
{
  EXPECT_TRUE(IsThemeActive());
  TTheme button("Button"), lower("button"), listed("Clock; Edit"), unknown("Clock;Menu");
  EXPECT_NE(button.Handle, 0u);
  EXPECT_NE(lower.Handle, 0u);
  EXPECT_NE(lower.Handle, button.Handle); // every opening gets its own handle
  EXPECT_NE(listed.Handle, 0u);
  EXPECT_EQ(unknown.Handle, 0u);
  TColor color;
  // "Clock; Edit" is the edit class: its text field is window-coloured.
  ASSERT_EQ(GetThemeColor(listed.Handle, EP_EDITTEXT, ETS_NORMAL, TMT_FILLCOLOR, color), S_OK);
  EXPECT_EQ(color, ColorToRGB(clWindow));

  HTHEME h = OpenThemeData(0, W("ScrollBar"));
  EXPECT_EQ(CloseThemeData(h), S_OK);
  EXPECT_EQ(CloseThemeData(h), E_HANDLE);
  TImageSurface surface(10, 10);
  TCanvas canvas(&surface);
  EXPECT_EQ(
      DrawThemeBackground(h, &canvas, SBP_ARROWBTN, ABS_UPNORMAL, Rect(0, 0, 10, 10), nullptr),
      E_HANDLE);
  EXPECT_EQ(DrawThemeBackground(0, &canvas, 1, 1, Rect(0, 0, 10, 10), nullptr), E_HANDLE);
  TCanvas detached;
  EXPECT_EQ(DrawThemeBackground(button.Handle, &detached, 1, 1, Rect(0, 0, 10, 10), nullptr),
            E_INVALIDARG);
  EXPECT_EQ(DrawThemeBackground(button.Handle, &canvas, 17, 1, Rect(0, 0, 10, 10), nullptr),
            E_INVALIDARG);
}

// Each themed part in each state draws what the classic controls draw.
TEST(Themes, PartsAndStatesDrawTheClassicLook)
{
  struct Case {
    const char* Class;
    Integer Part, State;
    Cardinal Kind, Flags; // the DrawFrameControl equivalent
  } cases[] = {
      {"Button", BP_PUSHBUTTON, PBS_NORMAL, DFC_BUTTON, DFCS_BUTTONPUSH},
      {"Button", BP_PUSHBUTTON, PBS_HOT, DFC_BUTTON, DFCS_BUTTONPUSH},
      {"Button", BP_PUSHBUTTON, PBS_PRESSED, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED},
      {"Button", BP_PUSHBUTTON, PBS_DISABLED, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_INACTIVE},
      {"Button", BP_CHECKBOX, CBS_UNCHECKEDNORMAL, DFC_BUTTON, DFCS_BUTTONCHECK},
      {"Button", BP_CHECKBOX, CBS_UNCHECKEDPRESSED, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_PUSHED},
      {"Button", BP_CHECKBOX, CBS_CHECKEDHOT, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED},
      {"Button", BP_CHECKBOX, CBS_CHECKEDDISABLED, DFC_BUTTON,
       DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE},
      {"Button", BP_CHECKBOX, CBS_MIXEDNORMAL, DFC_BUTTON,
       DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_BUTTON3STATE},
      {"Button", BP_RADIOBUTTON, RBS_UNCHECKEDNORMAL, DFC_BUTTON, DFCS_BUTTONRADIO},
      {"Button", BP_RADIOBUTTON, RBS_CHECKEDPRESSED, DFC_BUTTON,
       DFCS_BUTTONRADIO | DFCS_CHECKED | DFCS_PUSHED},
      {"Button", BP_RADIOBUTTON, RBS_CHECKEDDISABLED, DFC_BUTTON,
       DFCS_BUTTONRADIO | DFCS_CHECKED | DFCS_INACTIVE},
      {"ScrollBar", SBP_ARROWBTN, ABS_UPNORMAL, DFC_SCROLL, DFCS_SCROLLUP},
      {"ScrollBar", SBP_ARROWBTN, ABS_DOWNHOT, DFC_SCROLL, DFCS_SCROLLDOWN},
      {"ScrollBar", SBP_ARROWBTN, ABS_LEFTPRESSED, DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_PUSHED},
      {"ScrollBar", SBP_ARROWBTN, ABS_RIGHTDISABLED, DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_INACTIVE},
      {"ScrollBar", SBP_THUMBBTNVERT, SCRBS_PRESSED, DFC_BUTTON, DFCS_BUTTONPUSH},
      {"ScrollBar", SBP_SIZEBOX, SZB_RIGHTALIGN, DFC_SCROLL, DFCS_SCROLLSIZEGRIP},
      {"ScrollBar", SBP_SIZEBOX, SZB_LEFTALIGN, DFC_SCROLL, DFCS_SCROLLSIZEGRIPRIGHT},
      {"ComboBox", CP_DROPDOWNBUTTON, CBXS_PRESSED, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_PUSHED},
      {"Spin", SPNP_UPHORZ, 2, DFC_SCROLL, DFCS_SCROLLRIGHT},
      {"Spin", SPNP_DOWN, 4, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_INACTIVE},
      {"Window", WP_SMALLCLOSEBUTTON, CBS_PUSHED, DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_PUSHED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Class << " " << c.Part << "/" << c.State);
    TTheme theme(c.Class);
    ASSERT_NE(theme.Handle, 0u);
    TPair p;
    TRect r = Rect(3, 4, 20, 21);
    ASSERT_EQ(DrawThemeBackground(theme.Handle, &p.ThemedCanvas, c.Part, c.State, r, nullptr),
              S_OK);
    DrawFrameControl(&p.DirectCanvas, r, c.Kind, c.Flags);
    EXPECT_EQ(p.Differing(), 0);
  }
}

TEST(Themes, TracksHeadersTabsEditsAndTheClip)
{
  TImageSurface s(60, 40, kBackground);
  TCanvas canvas(&s);
  auto at = [&](Integer x, Integer y) { return s.GetPixel(x, y); };
  TTheme bar("ScrollBar"), header("Header"), tab("Tab"), edit("Edit"), tree("TreeView"),
      button("Button");

  // A track is a checkerboard of highlight and face, of black and dark shadow when pressed.
  DrawThemeBackground(bar.Handle, &canvas, SBP_UPPERTRACKVERT, SCRBS_NORMAL, Rect(0, 0, 4, 4),
                      nullptr);
  EXPECT_EQ(at(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(at(1, 0), ColorToRGB(clBtnFace));
  DrawThemeBackground(bar.Handle, &canvas, SBP_UPPERTRACKVERT, SCRBS_PRESSED, Rect(0, 0, 4, 4),
                      nullptr);
  EXPECT_EQ(at(0, 0), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(at(1, 0), clBlack);

  // Header items: raised, a flat shadow frame when pressed.
  DrawThemeBackground(header.Handle, &canvas, HP_HEADERITEM, HIS_NORMAL, Rect(10, 0, 30, 10),
                      nullptr);
  EXPECT_EQ(at(10, 0), ColorToRGB(cl3DLight));
  EXPECT_EQ(at(29, 9), ColorToRGB(cl3DDkShadow));
  DrawThemeBackground(header.Handle, &canvas, HP_HEADERITEM, HIS_PRESSED, Rect(10, 0, 30, 10),
                      nullptr);
  EXPECT_EQ(at(10, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(at(29, 9), ColorToRGB(clBtnShadow));
  EXPECT_EQ(at(11, 1), ColorToRGB(clBtnFace));

  // A tab: highlight left and top with cut corners, shadows right, open at the bottom.
  DrawThemeBackground(tab.Handle, &canvas, TABP_TABITEM, TIS_SELECTED, Rect(32, 0, 50, 12),
                      nullptr);
  EXPECT_EQ(at(32, 0), kBackground);
  EXPECT_EQ(at(33, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(at(34, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(at(32, 11), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(at(49, 11), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(at(40, 11), ColorToRGB(clBtnFace));

  // An edit: sunken, window-coloured inside, face-coloured when read-only or disabled.
  DrawThemeBackground(edit.Handle, &canvas, EP_EDITTEXT, ETS_NORMAL, Rect(0, 20, 20, 30), nullptr);
  EXPECT_EQ(at(0, 20), ColorToRGB(clBtnShadow));
  EXPECT_EQ(at(5, 25), ColorToRGB(clWindow));
  DrawThemeBackground(edit.Handle, &canvas, EP_EDITTEXT, ETS_READONLY, Rect(0, 20, 20, 30),
                      nullptr);
  EXPECT_EQ(at(5, 25), ColorToRGB(clBtnFace));

  // The tree's expand glyph: a plus while closed, a minus when open.
  DrawThemeBackground(tree.Handle, &canvas, TVP_GLYPH, GLPS_CLOSED, Rect(30, 20, 39, 29), nullptr);
  EXPECT_EQ(at(34, 22), ColorToRGB(clWindowText));
  EXPECT_EQ(at(30, 20), ColorToRGB(clBtnShadow));
  DrawThemeBackground(tree.Handle, &canvas, TVP_GLYPH, GLPS_OPENED, Rect(30, 20, 39, 29), nullptr);
  EXPECT_EQ(at(34, 22), ColorToRGB(clWindow));
  EXPECT_EQ(at(32, 24), ColorToRGB(clWindowText));

  // Nothing outside the clip rectangle, and the canvas's own clip comes back.
  TRect clip = Rect(45, 20, 50, 40);
  DrawThemeBackground(button.Handle, &canvas, BP_PUSHBUTTON, PBS_NORMAL, Rect(40, 20, 60, 40),
                      &clip);
  EXPECT_EQ(at(40, 20), kBackground);
  EXPECT_EQ(at(47, 30), ColorToRGB(clBtnFace));
  EXPECT_EQ(at(55, 30), kBackground);
  TRegion none;
  EXPECT_FALSE(canvas.GetClipRegion(none));
}

TEST(Themes, MeasuresColoursAndTransparency)
{
  TTheme button("Button"), bar("ScrollBar"), tab("Tab"), window("Window"), tree("TreeView");
  TRect content;
  ASSERT_EQ(GetThemeBackgroundContentRect(button.Handle, nullptr, BP_PUSHBUTTON, PBS_NORMAL,
                                          Rect(0, 0, 100, 100), content),
            S_OK);
  EXPECT_EQ(content, Rect(2, 2, 98, 98));
  GetThemeBackgroundContentRect(tab.Handle, nullptr, TABP_TABITEM, TIS_NORMAL, Rect(0, 0, 50, 20),
                                content);
  EXPECT_EQ(content, Rect(2, 2, 48, 20)); // open at the bottom
  GetThemeBackgroundContentRect(tab.Handle, nullptr, TABP_PANE, 0, Rect(0, 0, 50, 20), content);
  EXPECT_EQ(content, Rect(2, 2, 48, 18));

  struct SizeCase {
    HTHEME Theme;
    Integer Part, State;
    TSize Size;
  } sizes[] = {
      {button.Handle, BP_CHECKBOX, CBS_CHECKEDNORMAL, {13, 13}},
      {button.Handle, BP_RADIOBUTTON, RBS_CHECKEDNORMAL, {13, 13}},
      {bar.Handle,
       SBP_ARROWBTN,
       ABS_UPNORMAL,
       {GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL)}},
      {bar.Handle,
       SBP_ARROWBTN,
       ABS_LEFTNORMAL,
       {GetSystemMetrics(SM_CXHSCROLL), GetSystemMetrics(SM_CYHSCROLL)}},
      {window.Handle, WP_SMALLCLOSEBUTTON, CBS_NORMAL, {14, 14}},
      {tree.Handle, TVP_GLYPH, GLPS_OPENED, {9, 9}},
      {button.Handle, BP_PUSHBUTTON, PBS_NORMAL, {4, 4}}, // stretches; its borders at least
  };
  for (const SizeCase& c : sizes) {
    SCOPED_TRACE(testing::Message() << c.Part << "/" << c.State);
    TSize size;
    ASSERT_EQ(GetThemePartSize(c.Theme, nullptr, c.Part, c.State, nullptr, TS_TRUE, size), S_OK);
    EXPECT_EQ(size, c.Size);
  }
  TSize drawn;
  TRect small = Rect(0, 0, 10, 30);
  GetThemePartSize(button.Handle, nullptr, BP_CHECKBOX, 1, &small, TS_DRAW, drawn);
  EXPECT_EQ(drawn, (TSize{10, 13}));

  struct ColourCase {
    HTHEME Theme;
    Integer Part, State, Property;
    TColor Color;
  } colours[] = {
      {button.Handle, BP_PUSHBUTTON, PBS_NORMAL, TMT_FILLCOLOR, clBtnFace},
      {button.Handle, BP_PUSHBUTTON, PBS_NORMAL, TMT_TEXTCOLOR, clBtnText},
      {button.Handle, BP_PUSHBUTTON, PBS_DISABLED, TMT_TEXTCOLOR, clGrayText},
      {button.Handle, BP_CHECKBOX, CBS_CHECKEDNORMAL, TMT_FILLCOLOR, clWindow},
      {button.Handle, BP_CHECKBOX, CBS_CHECKEDPRESSED, TMT_FILLCOLOR, clBtnFace},
      {bar.Handle, SBP_LOWERTRACKHORZ, SCRBS_NORMAL, TMT_FILLCOLOR, clScrollBar},
      {bar.Handle, SBP_ARROWBTN, ABS_UPNORMAL, TMT_BORDERCOLOR, cl3DDkShadow},
  };
  for (const ColourCase& c : colours) {
    SCOPED_TRACE(testing::Message() << c.Part << "/" << c.State << "/" << c.Property);
    TColor color = -1;
    ASSERT_EQ(GetThemeColor(c.Theme, c.Part, c.State, c.Property, color), S_OK);
    EXPECT_EQ(color, ColorToRGB(c.Color));
  }
  TColor unused;
  EXPECT_EQ(GetThemeColor(button.Handle, BP_PUSHBUTTON, PBS_NORMAL, 204, unused), E_FAIL);

  EXPECT_TRUE(IsThemeBackgroundPartiallyTransparent(button.Handle, BP_RADIOBUTTON, 1));
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(button.Handle, BP_PUSHBUTTON, 1));
  EXPECT_TRUE(IsThemeBackgroundPartiallyTransparent(tab.Handle, TABP_TABITEM, 1));
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(tab.Handle, TABP_PANE, 1));
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(0, BP_RADIOBUTTON, 1));

  // The region of a radio button is its circle; of a push button, its rectangle.
  TRegion region;
  GetThemeBackgroundRegion(button.Handle, nullptr, BP_RADIOBUTTON, 1, Rect(0, 0, 13, 13), region);
  EXPECT_FALSE(region.Contains(0, 0));
  EXPECT_TRUE(region.Contains(6, 6));
  GetThemeBackgroundRegion(button.Handle, nullptr, BP_PUSHBUTTON, 1, Rect(0, 0, 13, 13), region);
  EXPECT_EQ(region, TRegion(Rect(0, 0, 13, 13)));
}

TEST(Themes, TextInThePartsColoursAndDisabledTextEmbossed)
{
  std::unique_ptr<TTextEngine> engine = CreateFixedTextEngine(TFixedMetrics{});
  TImageSurface s(60, 20, kBackground);
  TCanvas canvas(&s);
  canvas.SetTextEngine(engine.get());
  canvas.Font()->SetColor(clLime);
  TTheme button("Button");
  // "ab" left-aligned in (0, 0, 60, 20), vertically centred: glyph boxes from (0, 3).
  const Cardinal flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  ASSERT_EQ(DrawThemeText(button.Handle, &canvas, BP_PUSHBUTTON, PBS_NORMAL, W("ab"), -1, flags, 0,
                          Rect(0, 0, 60, 20)),
            S_OK);
  EXPECT_EQ(s.GetPixel(1, 5), ColorToRGB(clBtnText));
  EXPECT_EQ(s.GetPixel(8, 5), ColorToRGB(clBtnText));
  EXPECT_EQ(canvas.Font()->Color(), clLime); // the caller's font colour comes back
  // A count of 1 draws only "a"; disabled text is embossed: shadow over highlight.
  TImageSurface d(60, 20, kBackground);
  TCanvas disabled(&d);
  disabled.SetTextEngine(engine.get());
  DrawThemeText(button.Handle, &disabled, BP_PUSHBUTTON, PBS_DISABLED, W("ab"), 1, flags, 0,
                Rect(0, 0, 60, 20));
  EXPECT_EQ(d.GetPixel(1, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(d.GetPixel(6, 14), ColorToRGB(clBtnHighlight)); // the lower right of the box, moved
  EXPECT_EQ(d.GetPixel(9, 5), kBackground);                 // no "b"
}

// Tests install their own services; the theme functions follow whichever is installed.
TEST(Themes, AnotherServiceTakesOver)
{
  struct TInactive : TThemeService {
    Integer Opened = 0;
    bool IsThemeActive() override { return false; }
    HTHEME OpenThemeData(const WideString&) override { return ++Opened, 0; }
    HRESULT CloseThemeData(HTHEME) override { return E_HANDLE; }
    HRESULT DrawThemeBackground(HTHEME, TCanvas&, Integer, Integer, const TRect&,
                                const TRect*) override
    {
      return E_FAIL;
    }
    HRESULT DrawThemeText(HTHEME, TCanvas&, Integer, Integer, const WideString&, Cardinal, Cardinal,
                          const TRect&) override
    {
      return E_FAIL;
    }
    HRESULT DrawThemeEdge(HTHEME, TCanvas&, Integer, Integer, const TRect&, Cardinal, Cardinal,
                          TRect*) override
    {
      return E_FAIL;
    }
    HRESULT GetThemeBackgroundContentRect(HTHEME, TCanvas*, Integer, Integer, const TRect&,
                                          TRect&) override
    {
      return E_FAIL;
    }
    HRESULT GetThemeBackgroundRegion(HTHEME, TCanvas*, Integer, Integer, const TRect&,
                                     TRegion&) override
    {
      return E_FAIL;
    }
    HRESULT GetThemePartSize(HTHEME, TCanvas*, Integer, Integer, const TRect*, THEMESIZE,
                             TSize&) override
    {
      return E_FAIL;
    }
    HRESULT GetThemeColor(HTHEME, Integer, Integer, Integer, TColor&) override { return E_FAIL; }
    bool IsThemeBackgroundPartiallyTransparent(HTHEME, Integer, Integer) override { return false; }
  } inactive;
  SetThemeServices(&inactive);
  EXPECT_FALSE(IsThemeActive());
  EXPECT_EQ(OpenThemeData(0, W("Button")), 0u);
  EXPECT_EQ(inactive.Opened, 1);
  SetThemeServices(nullptr);
  EXPECT_TRUE(IsThemeActive());
  TTheme back("Button");
  EXPECT_NE(back.Handle, 0u);
}

// Every part the classic service draws, in each state, side by side: written to
// graphics-theme-parts.png in the build folder for a look.
TEST(Themes, ScreenshotOfEveryPartInEachState)
{
  TImageSurface s(420, 200, ColorToRGB(clBtnFace));
  TCanvas c(&s);
  struct Row {
    const char* Class;
    Integer Part;
    Integer States;
    TSize Size;
  } rows[] = {
      {"Button", BP_PUSHBUTTON, 5, {40, 22}},       {"Button", BP_CHECKBOX, 12, {13, 13}},
      {"Button", BP_RADIOBUTTON, 8, {13, 13}},      {"ScrollBar", SBP_ARROWBTN, 16, {17, 17}},
      {"ScrollBar", SBP_THUMBBTNVERT, 4, {17, 30}}, {"ScrollBar", SBP_UPPERTRACKVERT, 4, {17, 30}},
      {"Header", HP_HEADERITEM, 3, {50, 18}},       {"Tab", TABP_TABITEM, 5, {40, 18}},
      {"Edit", EP_EDITTEXT, 6, {30, 18}},           {"ComboBox", CP_DROPDOWNBUTTON, 4, {17, 18}},
      {"Window", WP_SMALLCLOSEBUTTON, 4, {14, 14}},
  };
  Integer x = 4, y = 4, rowHeight = 0;
  Integer drawn = 0;
  for (const Row& row : rows) {
    TTheme theme(row.Class);
    for (Integer state = 1; state <= row.States; ++state) {
      if (x + row.Size.cx > s.Width() - 4) {
        x = 4;
        y += rowHeight + 6;
        rowHeight = 0;
      }
      TRect r = Bounds(x, y, row.Size.cx, row.Size.cy);
      drawn += DrawThemeBackground(theme.Handle, &c, row.Part, state, r, nullptr) == S_OK;
      x += row.Size.cx + 4;
      rowHeight = std::max(rowHeight, row.Size.cy);
    }
  }
  EXPECT_EQ(drawn, 5 + 12 + 8 + 16 + 4 + 4 + 3 + 5 + 6 + 4 + 4);
  EXPECT_LT(y + rowHeight, s.Height());
  EXPECT_TRUE(s.WritePng(BuildDir() + "/graphics-theme-parts.png"));
}
