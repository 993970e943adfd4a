#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Exceptions.h"

TEST(Colors, ValuesAndComponents)
{
  EXPECT_EQ(clBtnFace, -16777201);
  EXPECT_EQ(clNone, 536870911);
  EXPECT_EQ(clDefault, 536870912);
  EXPECT_EQ(clOlive, 32896);
  EXPECT_EQ(clFuchsia, 16711935);
  EXPECT_EQ(RGB(1, 2, 3), 0x030201);
  EXPECT_EQ(GetRValue(0x030201), 1);
  EXPECT_EQ(GetGValue(0x030201), 2);
  EXPECT_EQ(GetBValue(0x030201), 3);
}

TEST(Colors, TableOrderAndNames)
{
  ASSERT_EQ(ColorIdentCount(), 52);
  EXPECT_STREQ(ColorIdent(0).Name, "clBlack");
  EXPECT_STREQ(ColorIdent(19).Name, "clMedGray");
  EXPECT_STREQ(ColorIdent(28).Name, "clCaptionText");
  EXPECT_STREQ(ColorIdent(29).Name, "clDefault");
  EXPECT_STREQ(ColorIdent(44).Name, "clMenuText");
  EXPECT_STREQ(ColorIdent(45).Name, "clNone");
  EXPECT_STREQ(ColorIdent(51).Name, "clWindowText");

  TColor c = 0;
  EXPECT_TRUE(IdentToColor("clred", c));
  EXPECT_EQ(c, clRed);
  EXPECT_FALSE(IdentToColor("Red", c));
  AnsiString name;
  EXPECT_TRUE(ColorToIdent(clCream, name));
  EXPECT_EQ(name, "clCream");
  EXPECT_FALSE(ColorToIdent(0x123456, name));
}

TEST(Colors, StringConversions)
{
  struct Case {
    const char* Text;
    TColor Color;
  } cases[] = {
      {"clBtnFace", clBtnFace}, {"$00123456", 0x123456},  {"255", 255},
      {"-16777201", clBtnFace}, {"$FF00000F", clBtnFace}, {"clNone", clNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(StringToColor(c.Text), c.Color);
  }
  EXPECT_EQ(ColorToString(0x123456), "$00123456");
  EXPECT_EQ(ColorToString(clWindow), "clWindow");
  try {
    StringToColor("clPink");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'clPink' is not a valid integer value");
  }
}

TEST(Colors, SystemColoursResolveThroughTheCurrentTable)
{
  std::vector<TSystemChange> seen;
  Integer cookie = AddSystemChangeHandler([&](TSystemChange change) { seen.push_back(change); });
  SetSysColor(COLOR_BTNFACE, 0x010203);
  EXPECT_EQ(ColorToRGB(clBtnFace), 0x010203);
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  SetSystemMetrics(SM_CXVSCROLL, 20);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 20);
  ResetSysColors();
  ResetSystemMetrics();
  RemoveSystemChangeHandler(cookie);
  SetSysColor(COLOR_BTNFACE, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(seen, (std::vector<TSystemChange>{scColors, scMetrics, scColors, scMetrics}));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_NE(ColorToRGB(clBtnFace), 0x010203);
}

// On an 8-bit screen, screen and bitmap canvases report the palette and map colours to the
// nearest of its 20 static colours; printers and true-colour screens keep every colour.
TEST(Colors, NearestColourFollowsTheScreenDepth)
{
  TImageSurface screen(4, 4);
  TCanvas canvas(&screen);
  std::unique_ptr<TImageSurface> printer =
      TImageSurface::CreateInformationContext(TPageMedia::Sheet(4960, 7016), 600);
  TCanvas printerCanvas(printer.get());
  std::vector<TSystemChange> seen;
  Integer cookie = AddSystemChangeHandler([&](TSystemChange change) { seen.push_back(change); });
  struct Case {
    const char* Name;
    TColor Color;
    TColor Nearest;
  } cases[] = {
      {"almost red", RGB(250, 5, 5), clRed},
      {"a grey near 128", RGB(130, 130, 130), clGray},
      {"a grey near 164", RGB(165, 160, 160), clMedGray},
      {"money green", RGB(0xC0, 0xDC, 0xC1), clMoneyGreen},
      {"orange", RGB(255, 160, 0), clYellow},
      {"button face (212, 208, 200), resolved", clBtnFace, clMoneyGreen},
  };
  EXPECT_EQ(canvas.GetDeviceCaps(BITSPIXEL), 32);
  EXPECT_EQ(canvas.GetDeviceCaps(NUMCOLORS), -1);
  for (const Case& c : cases)
    EXPECT_EQ(GetNearestColor(&canvas, c.Color), ColorToRGB(c.Color)) << c.Name;

  SetScreenColorDepth(8);
  EXPECT_EQ(ScreenColorDepth(), 8);
  EXPECT_EQ(canvas.GetDeviceCaps(BITSPIXEL), 8);
  EXPECT_EQ(canvas.GetDeviceCaps(NUMCOLORS), 20);
  EXPECT_EQ(printerCanvas.GetDeviceCaps(NUMCOLORS), -1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(GetNearestColor(&canvas, c.Color), c.Nearest);
    EXPECT_EQ(GetNearestColor(&printerCanvas, c.Color), ColorToRGB(c.Color));
  }
  SetScreenColorDepth(8); // no change, no notification
  EXPECT_THROW(SetScreenColorDepth(16), EInvalidOperation);
  SetScreenColorDepth(32);
  RemoveSystemChangeHandler(cookie);
  EXPECT_EQ(seen, (std::vector<TSystemChange>{scColors, scColors}));
  TCanvas detached;
  EXPECT_EQ(GetNearestColor(&detached, clRed), CLR_INVALID);
}
