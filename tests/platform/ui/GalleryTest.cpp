// The controls gallery: one form with every standard control and Chinese captions, written
// to controls_gallery.png beside the test program, with probes that the controls drew.
#include <filesystem>

#include "platform/graphics/Surface.h"
#include "tests/platform/ui/UiTestKit.h"
#include "tests/support/ControlsGallery.h"

using ControlsGalleryTest = UiTest;

TEST_F(ControlsGalleryTest, EveryControlOnOneFormIsWrittenToAScreenshot)
{
  Headless().SetScreenSize({900, 660});
  TControlsGallery g = BuildControlsGallery();
  Headless().ProcessMessages();
  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  AnsiString file = (dir / "controls_gallery.png").string();
  ASSERT_TRUE(Headless().SaveWindowShot(g.Form->Handle(), file));
  EXPECT_GT(std::filesystem::file_size(file), 10000u);

  // A few probes that the parts drew where they stand: the selected tree node, the grid's
  // fixed row and the list box's selected item.
  auto shot = Headless().Screenshot();
  auto inked = [&](TControl* c, TRect r, TColor colour) {
    TPoint o = c->ClientToScreen({0, 0});
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x)
        if (shot->GetPixel(o.X + x, o.Y + y) == ColorToRGB(colour))
          return true;
    return false;
  };
  EXPECT_TRUE(inked(g.Tree, Rect(0, 0, 150, 120), clHighlight)) << "the selected node";
  EXPECT_TRUE(inked(g.Grid, g.Grid->CellRect(2, 0), clBtnFace)) << "a fixed cell";
  // Text leaves dark ink in a cell (anti-aliased: not one exact colour).
  TRect cell = g.Grid->CellRect(1, 3);
  TPoint o = g.Grid->ClientToScreen({0, 0});
  Integer dark = 0;
  for (Integer y = cell.Top; y < cell.Bottom; ++y)
    for (Integer x = cell.Left; x < cell.Right; ++x)
      dark += (shot->GetPixel(o.X + x, o.Y + y) & 0xFF) < 0x60;
  EXPECT_GT(dark, 10) << "a cell's text";
  EXPECT_TRUE(inked(g.List, g.List->ItemRect(1), clHighlight)) << "the selected item";
  EXPECT_GE(g.ControlCount, 40);
  delete g.Form;
}
