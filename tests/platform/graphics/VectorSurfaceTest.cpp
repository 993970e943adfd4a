#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/graphics/Surface.h"

namespace {

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
    const unsigned char* p = reinterpret_cast<const unsigned char*>(Pixels.data()) + 3 * (y * Width + x);
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
  std::string dir = testing::TempDir();
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
  } probes[] = {{50, 20}, {85, 45}, {150, 50}, {150, 20}, {100, 5}, {195, 95}, {50, 80}, {50, 84}, {115, 20}};
  for (const Probe& p : probes)
    EXPECT_TRUE(Near(page.At(p.X, p.Y), raster.GetPixel(p.X, p.Y)))
        << p.X << "," << p.Y << ": " << std::hex << page.At(p.X, p.Y) << " vs " << raster.GetPixel(p.X, p.Y);
  std::remove(pdf.c_str());
  std::remove((dir + "graphics-vector-test.ppm").c_str());
}

TEST(VectorSurface, PagesTakeTheirOwnSize)
{
  std::string pdf = testing::TempDir() + "graphics-pages-test.pdf";
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
