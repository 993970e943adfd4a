#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"

namespace {

// Temporary files carry the process id, so that test runs of several builds at once never
// share a file.
std::string PrivateTempDir()
{
  return testing::TempDir() + std::to_string(getpid()) + "-";
}

// The same drawing on every kind of surface.
void DrawSample(TCanvas& c)
{
  c.Pen()->SetColor(clBlack);
  c.Brush()->SetColor(clRed);
  c.Rectangle(10, 10, 90, 50);
  c.Brush()->SetColor(clBlue);
  c.Ellipse(110, 10, 190, 90);
  c.Pen()->SetWidth(3);
  c.MoveTo(10, 80);
  c.LineTo(90, 80);
  c.Brush()->SetStyle(bsClear);
  c.Font()->SetName("宋体");
  c.Font()->SetHeight(-16);
  c.Font()->SetColor(clBlack);
  c.TextOut(12, 56, "快递单 No.1");
}

std::string RunCommand(const std::string& command)
{
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p)
    return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0)
    out.append(buf, n);
  pclose(p);
  return out;
}

// A binary PPM (P6) read back: width, height and RGB bytes.
struct TPpm {
  int Width = 0, Height = 0;
  std::string Pixels;
  TColor At(int x, int y) const
  {
    const unsigned char* p =
        reinterpret_cast<const unsigned char*>(Pixels.data()) + 3 * (y * Width + x);
    return RGB(p[0], p[1], p[2]);
  }
};

TPpm ReadPpm(const std::string& file)
{
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int max = 0;
  TPpm ppm;
  in >> magic >> ppm.Width >> ppm.Height >> max;
  in.get();
  ppm.Pixels.assign(std::istreambuf_iterator<char>(in), {});
  return ppm;
}

bool Near(TColor a, TColor b)
{
  return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
         std::abs(GetBValue(a) - GetBValue(b)) < 24;
}

} // namespace

TEST(VectorSurface, PdfShowsTheSameDrawingAsTheRasterSurface)
{
  std::string dir = PrivateTempDir();
  std::string pdf = dir + "graphics-vector-test.pdf";
  {
    std::unique_ptr<TVectorSurface> surface = TVectorSurface::CreatePdf(pdf, 200, 100, 96);
    TCanvas c(surface.get());
    DrawSample(c);
    EXPECT_EQ(c.Font()->PixelsPerInch(), 96);
    surface->Finish();
  }
  TImageSurface raster(200, 100, clWhite);
  TCanvas rc(&raster);
  DrawSample(rc);

  std::string info = RunCommand("pdfinfo '" + pdf + "' 2>&1");
  EXPECT_NE(info.find("150 x 75 pts"), std::string::npos) << info;
  std::string text = RunCommand("pdftotext -enc UTF-8 '" + pdf + "' - 2>&1");
  EXPECT_NE(text.find(reinterpret_cast<const char*>(u8"快递单")), std::string::npos) << text;

  RunCommand("pdftoppm -r 96 -singlefile '" + pdf + "' '" + dir + "graphics-vector-test' 2>&1");
  TPpm page = ReadPpm(dir + "graphics-vector-test.ppm");
  ASSERT_EQ(page.Width, 200);
  ASSERT_EQ(page.Height, 100);
  struct Probe {
    int X, Y;
  } probes[] = {{50, 20},  {85, 45}, {150, 50}, {150, 20}, {100, 5},
                {195, 95}, {50, 80}, {50, 84},  {115, 20}};
  for (const Probe& p : probes)
    EXPECT_TRUE(Near(page.At(p.X, p.Y), raster.GetPixel(p.X, p.Y)))
        << p.X << "," << p.Y << ": " << std::hex << page.At(p.X, p.Y) << " vs "
        << raster.GetPixel(p.X, p.Y);
  std::remove(pdf.c_str());
  std::remove((dir + "graphics-vector-test.ppm").c_str());
}

TEST(VectorSurface, PagesTakeTheirOwnSize)
{
  std::string pdf = PrivateTempDir() + "graphics-pages-test.pdf";
  {
    std::unique_ptr<TVectorSurface> surface = TVectorSurface::CreatePdf(pdf, 600, 300, 600);
    TCanvas c(surface.get());
    c.Rectangle(0, 0, 100, 100);
    surface->NewPage(300, 600);
    c.Rectangle(0, 0, 100, 100);
  }
  std::string info = RunCommand("pdfinfo -f 1 -l 2 '" + pdf + "' 2>&1");
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    1 size:  72 x 36 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    2 size:  36 x 72 pts"), std::string::npos) << info;
  std::remove(pdf.c_str());
}

// ---------------------------------------------------------------------------------------
// Printer pages: media, text at the printer's resolution, clipping, rotation, hatches and
// pictures, read back with poppler.

namespace {

// Renders page `page` of pdf at dpi into a PPM and reads it.
TPpm RenderPage(const std::string& pdf, int dpi, int page = 1)
{
  std::string base = PrivateTempDir() + "graphics-printer-page";
  RunCommand("pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
             std::to_string(page) + " -singlefile '" + pdf + "' '" + base + "' 2>&1");
  TPpm ppm = ReadPpm(base + ".ppm");
  std::remove((base + ".ppm").c_str());
  return ppm;
}

// Pixels in [x1, x2) x [y1, y2) darker than mid grey.
int DarkPixels(const TPpm& p, int x1, int y1, int x2, int y2)
{
  int n = 0;
  for (int y = std::max(0, y1); y < std::min(p.Height, y2); ++y)
    for (int x = std::max(0, x1); x < std::min(p.Width, x2); ++x) {
      TColor c = p.At(x, y);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128)
        ++n;
    }
  return n;
}

// 2 x 1.5 inches at 144 dpi with margins of 20 (left) and 10 (top) pixels.
TPageMedia SmallMedia()
{
  return {288, 216, 20, 10, 250, 190};
}

} // namespace

TEST(PrinterPage, DeviceUnitsStartAtThePrintableAreaAndPagesChangeMedia)
{
  std::string pdf = PrivateTempDir() + "graphics-media-test.pdf";
  {
    std::unique_ptr<TVectorSurface> surface = TVectorSurface::CreatePdf(pdf, SmallMedia(), 144);
    TCanvas c(surface.get());
    EXPECT_EQ(c.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSX), 144);
    EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSY), 144);
    EXPECT_EQ(c.GetDeviceCaps(PHYSICALWIDTH), 288);
    EXPECT_EQ(c.GetDeviceCaps(PHYSICALHEIGHT), 216);
    EXPECT_EQ(c.GetDeviceCaps(PHYSICALOFFSETX), 20);
    EXPECT_EQ(c.GetDeviceCaps(PHYSICALOFFSETY), 10);
    EXPECT_EQ(c.GetDeviceCaps(HORZRES), 250);
    EXPECT_EQ(c.GetDeviceCaps(VERTRES), 190);
    c.Pen()->SetStyle(psClear);
    c.Brush()->SetColor(clBlack);
    c.FillRect(Rect(0, 0, 10, 10));
    surface->NewPage(SmallMedia().Turned());
    EXPECT_EQ(c.GetDeviceCaps(HORZRES), 190);
    EXPECT_EQ(c.GetDeviceCaps(PHYSICALOFFSETX), 10);
    c.FillRect(Rect(0, 0, 10, 10));
  }
  std::string info = RunCommand("pdfinfo -f 1 -l 2 '" + pdf + "' 2>&1");
  EXPECT_NE(info.find("Page    1 size:  144 x 108 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    2 size:  108 x 144 pts"), std::string::npos) << info;
  struct Probe {
    int Page, X, Y;
    bool Dark;
  } probes[] = {{1, 25, 15, true},  {1, 29, 19, true}, {1, 18, 15, false}, {1, 25, 8, false},
                {1, 31, 15, false}, {2, 15, 25, true}, {2, 8, 25, false},  {2, 15, 18, false}};
  for (const Probe& p : probes) {
    SCOPED_TRACE(std::to_string(p.Page) + ": " + std::to_string(p.X) + "," + std::to_string(p.Y));
    TPpm page = RenderPage(pdf, 144, p.Page);
    EXPECT_EQ(DarkPixels(page, p.X, p.Y, p.X + 1, p.Y + 1), p.Dark ? 1 : 0);
  }
  std::remove(pdf.c_str());
}

TEST(PrinterPage, InformationContextMeasuresAsThePrinterDoes)
{
  std::unique_ptr<TImageSurface> ic = TImageSurface::CreateInformationContext(SmallMedia(), 600);
  std::string pdf = PrivateTempDir() + "graphics-ic-test.pdf";
  std::unique_ptr<TVectorSurface> page = TVectorSurface::CreatePdf(pdf, SmallMedia(), 600);
  TCanvas measure(ic.get()), print(page.get());
  EXPECT_EQ(measure.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
  EXPECT_EQ(measure.GetDeviceCaps(LOGPIXELSY), 600);
  EXPECT_EQ(measure.GetDeviceCaps(PHYSICALOFFSETX), 20);
  EXPECT_EQ(measure.GetDeviceCaps(VERTRES), 190);
  for (TCanvas* c : {&measure, &print}) {
    c->Font()->SetName("宋体");
    c->Font()->SetSize(10);
    EXPECT_EQ(c->Font()->Height(), -83); // the printer's pixels: 10 pt at 600 dpi
  }
  const char* text = "运单 Waybill 123";
  EXPECT_EQ(measure.TextExtent(text), print.TextExtent(text));
  TCanvas screen;
  TImageSurface bitmap(10, 10);
  screen.SetSurface(&bitmap);
  screen.Font()->SetName("宋体");
  screen.Font()->SetSize(10);
  // The same text measures about 600/96 times wider on the printer.
  double ratio = double(measure.TextWidth(text)) / screen.TextWidth(text);
  EXPECT_NEAR(ratio, 600.0 / 96, 0.5);
  page->Finish();
  std::remove(pdf.c_str());
}

TEST(PrinterPage, TextIsClippedRotatedAndUnderlinedOnPaper)
{
  std::string pdf = PrivateTempDir() + "graphics-printer-text.pdf";
  TRect clip = Rect(20, 20, 60, 60);
  Integer width = 0, ascent = 0;
  {
    std::unique_ptr<TVectorSurface> surface = TVectorSurface::CreatePdf(pdf, 300, 200, 144);
    TCanvas c(surface.get());
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-40);
    c.Font()->SetColor(clBlack);
    c.ExtTextOut(20, 20, ETO_CLIPPED, &clip, "MMMMMM");
    c.Font()->SetStyle(TFontStyles{fsUnderline});
    c.Font()->SetOrientation(900);
    ascent = c.GetTextMetrics().tmAscent;
    width = c.TextWidth("HHHH");
    c.TextOut(200, 180, "HHHH"); // reads upward from (200, 180)
  }
  TPpm page = RenderPage(pdf, 144);
  ASSERT_EQ(page.Width, 300);
  EXPECT_GT(DarkPixels(page, 20, 20, 60, 60), 200);
  EXPECT_EQ(DarkPixels(page, 62, 15, 200, 70), 0); // the rest of the text is clipped away
  // Rotated: the glyphs lie right of x = 200 (their tops face left) and above y = 180.
  EXPECT_GT(DarkPixels(page, 200, 180 - width, 200 + ascent, 180), 200);
  EXPECT_EQ(DarkPixels(page, 150, 100, 199, 200), 0);
  EXPECT_EQ(DarkPixels(page, 200, 182, 300, 200), 0);
  // The underline is a vertical stroke below the baseline, i.e. right of the glyphs.
  int underlineRows = 0;
  for (int y = 180 - width + 2; y < 178; ++y)
    if (DarkPixels(page, 200 + ascent, y, 200 + ascent + 12, y + 1) > 0)
      ++underlineRows;
  EXPECT_GT(underlineRows, width - 8);
  std::remove(pdf.c_str());
}

TEST(PrinterPage, HatchesAndPicturesOnPaper)
{
  std::string pdf = PrivateTempDir() + "graphics-printer-pictures.pdf";
  TBitmap picture(4, 4); // red with a clFuchsia (transparent) top-left quarter
  picture.Canvas()->Brush()->SetColor(clRed);
  picture.Canvas()->FillRect(Rect(0, 0, 4, 4));
  picture.Canvas()->Brush()->SetColor(clFuchsia);
  picture.Canvas()->FillRect(Rect(0, 0, 2, 2));
  TJPEGImage jpeg;
  jpeg.Assign(&picture);
  {
    std::unique_ptr<TVectorSurface> surface = TVectorSurface::CreatePdf(pdf, 200, 100, 96);
    TCanvas c(surface.get());
    c.Pen()->SetStyle(psClear);
    c.Brush()->SetColor(clBlue);
    c.Brush()->SetStyle(bsCross);
    c.SetBkMode(OPAQUE);
    c.SetBkColor(clYellow);
    c.Rectangle(0, 0, 41, 41); // lines on rows and columns 0, 8, 16 ..., yellow between
    c.SetBkMode(TRANSPARENT);
    c.StretchDraw(Rect(50, 0, 90, 40), &jpeg); // 10 x 10 device pixels per source pixel
    picture.SetTransparent(true);              // transparent colour: the bottom-left pixel
    picture.Canvas()->SetPixels(0, 3, clFuchsia);
    c.StretchDraw(Rect(100, 0, 140, 40), &picture);
    TBitmap glyph(8, 8); // transparent bitmaps reach paper through image lists
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(Rect(0, 0, 8, 8));
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 4, 4));
    TImageList list(8, 8, nullptr);
    list.AddMasked(&glyph, clFuchsia);
    list.Draw(&c, 150, 0, 0);
  }
  // The transparent bitmap is one image with a soft mask, not a clip of its pixels.
  std::string images = RunCommand("pdfimages -list '" + pdf + "' 2>&1");
  EXPECT_NE(images.find("smask"), std::string::npos) << images;
  TPpm page = RenderPage(pdf, 96);
  ASSERT_EQ(page.Width, 200);
  struct Probe {
    int X, Y;
    TColor Color;
  } probes[] = {{8, 3, clBlue},    {16, 13, clBlue},   {3, 3, clYellow},   {12, 12, clYellow},
                {45, 5, clWhite},  {55, 5, clFuchsia}, {75, 5, clRed},     {55, 35, clRed},
                {105, 5, clWhite}, {125, 5, clRed},    {105, 35, clWhite}, {115, 35, clRed},
                {151, 1, clWhite}, {156, 6, clRed},    {156, 1, clRed},    {151, 6, clRed}};
  for (const Probe& p : probes)
    EXPECT_TRUE(Near(page.At(p.X, p.Y), p.Color))
        << p.X << "," << p.Y << ": " << std::hex << page.At(p.X, p.Y);
  std::remove(pdf.c_str());
}
