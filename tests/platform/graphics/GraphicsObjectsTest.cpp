#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/TypInfo.h"

TEST(Font, SizeAndHeightConvertAtThePixelsPerInch)
{
  TFont f;
  EXPECT_EQ(f.Name(), "宋体");
  EXPECT_EQ(f.Size(), 9);
  EXPECT_EQ(f.Height(), -12);
  struct Case {
    Integer Ppi, Size, Height;
  } cases[] = {{96, 9, -12},  {96, 10, -13}, {96, 11, -15},
               {120, 9, -15}, {600, 9, -75}, {300, 10, -42}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Ppi * 100 + c.Size);
    TFont g;
    g.SetPixelsPerInch(c.Ppi);
    g.SetSize(c.Size);
    EXPECT_EQ(g.Height(), c.Height);
    EXPECT_EQ(g.Size(), c.Size);
  }
  // Assigning between devices keeps the size in points.
  TFont printer;
  printer.SetPixelsPerInch(600);
  f.SetSize(12);
  printer.Assign(&f);
  EXPECT_EQ(printer.Size(), 12);
  EXPECT_EQ(printer.Height(), -100);
}

TEST(Font, OnChangeFiresOncePerRealChange)
{
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &f);
    ++changes;
  };
  f.SetName("黑体");
  f.SetName("黑体");
  f.SetStyle({fsBold, fsItalic});
  EXPECT_EQ(f.Style().Raw(), 3u);
  f.SetColor(clRed);
  f.SetOrientation(900);
  f.SetHeight(-20);
  f.SetHeight(-20);
  EXPECT_EQ(changes, 5);
  TFont g;
  g.Assign(&f);
  EXPECT_EQ(g.Name(), "黑体");
  EXPECT_EQ(g.Orientation(), 900);
  EXPECT_EQ(g.Color(), clRed);
  EXPECT_TRUE(g.Style().Contains(fsItalic));
}

TEST(Font, HandleDescribesTheFontAsALogicalFontAndSetsItBack)
{
  TFont f;
  f.SetName("Arial");
  f.SetHeight(-16);
  f.SetStyle({fsBold, fsUnderline});
  f.SetCharset(GB2312_CHARSET);
  f.SetPitch(fpFixed);
  TLogFont lf = f.Handle();
  EXPECT_EQ(lf.lfFaceName, "Arial");
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfStrikeOut, 0);
  EXPECT_EQ(lf.lfCharSet, 134);
  EXPECT_EQ(lf.lfPitchAndFamily, FIXED_PITCH);
  EXPECT_EQ(lf.lfEscapement, 0);

  // The usual way to turn a font: read its record, set the escapement, set it back.
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  lf.lfEscapement = lf.lfOrientation = 2700;
  lf.lfWeight = FW_SEMIBOLD; // below bold
  lf.lfItalic = 1;
  f.SetHandle(lf);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(f.Orientation(), 2700);
  EXPECT_EQ(f.Style(), (TFontStyles{fsItalic, fsUnderline}));
  EXPECT_EQ(f.Name(), "Arial");
  f.SetHandle(f.Handle());
  EXPECT_EQ(changes, 1); // the same record changes nothing
}

TEST(PenAndBrush, SystemColourBrushesFollowTheTable)
{
  ASSERT_NE(GetSysColorBrush(COLOR_BTNFACE), nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE)->Color(), clBtnFace);
  EXPECT_EQ(GetSysColorBrush(31), nullptr);
  EXPECT_EQ(GetSysColorBrush(-1), nullptr);
  SetSysColor(COLOR_INFOBK, RGB(9, 8, 7));
  TBitmap b(2, 2);
  b.Canvas()->Brush()->Assign(GetSysColorBrush(COLOR_INFOBK));
  b.Canvas()->FillRect(Rect(0, 0, 2, 2));
  ResetSysColors();
  EXPECT_EQ(b.Pixel(1, 1), RGB(9, 8, 7));
}

TEST(PenAndBrush, DefaultsAssignAndRasterCodes)
{
  TPen p;
  EXPECT_EQ(p.Color(), clBlack);
  EXPECT_EQ(p.Width(), 1);
  EXPECT_EQ(p.Mode(), pmCopy);
  TBrush b;
  EXPECT_EQ(b.Color(), clWhite);
  EXPECT_EQ(b.Style(), bsSolid);
  b.SetStyle(bsClear);
  b.SetColor(clRed); // a colour makes a clear brush solid again
  EXPECT_EQ(b.Style(), bsSolid);
  EXPECT_EQ(PenModeToRop2(pmCopy), R2_COPYPEN);
  EXPECT_EQ(PenModeToRop2(pmXor), R2_XORPEN);
  EXPECT_EQ(PenModeToRop2(pmNot), R2_NOT);
  EXPECT_EQ(PenModeToRop2(pmNotXor), R2_NOTXORPEN);
}

TEST(GraphicsReflection, PublishedPropertiesInOrder)
{
  TFont f;
  TClass font = f.ClassType();
  EXPECT_EQ(f.ClassName(), "TFont");
  std::vector<AnsiString> names;
  for (PPropInfo p : GetPropList(font))
    names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<AnsiString>{"Charset", "Color", "Height", "Name", "Pitch", "Size",
                                            "Style"}));
  f.SetStyle({fsBold, fsUnderline});
  EXPECT_EQ(GetSetProp(&f, "Style"), "[fsBold,fsUnderline]");
  EXPECT_FALSE(IsStoredProp(&f, GetPropInfo(&f, "Size")));
  SetOrdProp(&f, "Color", clBtnFace);
  EXPECT_EQ(f.Color(), clBtnFace);
  EXPECT_EQ(GetPropInfo(&f, "Color")->PropType->Name, "TColor");

  TCanvas canvas;
  EXPECT_EQ(GetObjectProp(&canvas, "Font"), canvas.Font());
  TPngImage png;
  EXPECT_EQ(png.ClassName(), "TPngImage");
  EXPECT_TRUE(png.InheritsFrom(TBitmap().ClassParent()));
}
