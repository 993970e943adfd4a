// The JPEG export: crop bounds, one file per page named after the chosen file, monochrome
// pages, a failing page file, and the sample waybill decoded back at the page size.
#include "report/output/frxExportImage.h"

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/report/output/ExportFixtures.h"
#include "tests/report/output/OutputTestSupport.h"

namespace {

class frxImageExportTest : public ::testing::Test {
protected:
  void SetUp() override { Headless().Reset(); }
  void TearDown() override { Headless().Reset(); }
};

std::unique_ptr<TJPEGImage> LoadJpeg(const AnsiString& FileName)
{
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->LoadFromFile(FileName);
  return jpeg;
}

void RemoveFiles(const std::string& Prefix)
{
  for (const char* tail : {".jpg", ".1.jpg", ".2.jpg", ".3.jpg", ".4.jpg"})
    DeleteFile(Prefix + tail);
}

} // namespace

// The filter called directly with two texts: the image is cropped to them, the right and
// bottom edges rounded and one pixel added.
TEST_F(frxImageExportTest, CropToObjects)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(0);
  r.Memo(band, 40, 50, 300, 100, "one");
  r.Memo(band, 400, 200, 300, 100, "two");
  r.Prepare();
  const std::string prefix = OutputPath("jpeg_crop");
  RemoveFiles(prefix);
  TfrxJPEGExport filter(nullptr);
  filter.SetFileName(prefix + ".jpg");
  ASSERT_TRUE(filter.BeginExport());
  TfrxComponent* page = r.Pages()->BuildPage(0);
  filter.BeginPage(page, 0);
  TList* all = page->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i)
    if (auto* memo = dynamic_cast<TfrxMemoView*>(static_cast<TObject*>(all->Items(i))))
      filter.WriteObject(memo);
  filter.EndPage(page, 0);
  filter.EndExport();
  auto jpeg = LoadJpeg(prefix + ".1.jpg");
  EXPECT_EQ(jpeg->Width(), 661);
  EXPECT_EQ(jpeg->Height(), 251);
  EXPECT_FALSE(FileExists(prefix + ".jpg"));
}

// Through the export walk: the page background covers the printable area, so pages without
// margins are saved whole; every page has its numbered file and the chosen name itself
// is not written. Without cropping, margins do not shrink the image.
TEST_F(frxImageExportTest, OneFilePerPage)
{
  TExportReport r;
  for (Integer p = 0; p < 3; ++p)
    r.Memo(r.AddPage(0), 40, 50, 300, 100, "page " + IntToStr(p + 1));
  r.Prepare();
  const std::string prefix = OutputPath("jpeg_out");
  RemoveFiles(prefix);
  TfrxJPEGExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetFileName(prefix + ".jpg");
  ASSERT_TRUE(r.Export(&filter));
  for (Integer n = 1; n <= 3; ++n) {
    auto jpeg = LoadJpeg(prefix + "." + IntToStr(n) + ".jpg");
    EXPECT_EQ(jpeg->Width(), 794) << n;
    EXPECT_EQ(jpeg->Height(), 1123) << n;
  }
  EXPECT_FALSE(FileExists(prefix + ".jpg"));
  EXPECT_FALSE(FileExists(prefix + ".4.jpg"));

  // A name without extension gets the number appended; 10 mm margins with cropping give
  // the printable area, without cropping the whole page.
  TExportReport m;
  m.Memo(m.AddPage(10), 0, 0, 100, 20, "x");
  m.Prepare();
  const std::string bare = OutputPath("jpeg_bare");
  DeleteFile(bare + ".1.jpg");
  TfrxJPEGExport crop(nullptr);
  crop.SetShowDialog(false);
  crop.SetFileName(bare);
  ASSERT_TRUE(m.Export(&crop));
  auto cropped = LoadJpeg(bare + ".1.jpg");
  EXPECT_EQ(cropped->Width(), 794 - 76 + 1);
  EXPECT_EQ(cropped->Height(), 1123 - 76 + 1);
  TfrxJPEGExport whole(nullptr);
  whole.SetShowDialog(false);
  whole.SetCropImages(false);
  whole.SetFileName(bare);
  ASSERT_TRUE(m.Export(&whole));
  EXPECT_EQ(LoadJpeg(bare + ".1.jpg")->Width(), 794);

  // Without a file name nothing is exported.
  TfrxJPEGExport unnamed(nullptr);
  unnamed.SetShowDialog(false);
  EXPECT_FALSE(m.Export(&unnamed));
}

// Monochrome pages hold only black and white (within what JPEG keeps): a dark fill turns
// black, a light one white.
TEST_F(frxImageExportTest, Monochrome)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(0);
  r.Memo(band, 0, 0, 200, 100, "")->SetColor(0x802000);   // dark blue
  r.Memo(band, 0, 100, 200, 100, "")->SetColor(0x80FFFF); // light yellow
  r.Prepare();
  const std::string prefix = OutputPath("jpeg_mono");
  RemoveFiles(prefix);
  TfrxJPEGExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetMonochrome(true);
  filter.SetCropImages(false);
  filter.SetFileName(prefix + ".jpg");
  ASSERT_TRUE(r.Export(&filter));
  auto jpeg = LoadJpeg(prefix + ".1.jpg");
  TBitmap* bmp = jpeg->Bitmap();
  Integer grey = 0;
  for (Integer y = 0; y < bmp->Height(); y += 7)
    for (Integer x = 0; x < bmp->Width(); x += 7) {
      const Integer v = GetRValue(bmp->Pixel(x, y));
      EXPECT_EQ(v, GetGValue(bmp->Pixel(x, y)));
      if (v > 40 && v < 215)
        ++grey;
    }
  EXPECT_LT(grey, 40); // only along edges
  EXPECT_LT(GetRValue(bmp->Pixel(100, 50)), 20);
  EXPECT_GT(GetRValue(bmp->Pixel(100, 150)), 235);
}

// A page file that cannot be created raises; files of the pages before it stay.
TEST_F(frxImageExportTest, UnwritablePageFile)
{
  TExportReport r;
  for (Integer p = 0; p < 2; ++p)
    r.Memo(r.AddPage(0), 40, 50, 300, 100, "page");
  r.Prepare();
  const std::string prefix = OutputPath("jpeg_fail");
  RemoveFiles(prefix);
  // The second page's name is taken by a folder.
  ASSERT_TRUE(CreateDir(prefix + ".2.jpg"));
  TfrxJPEGExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetFileName(prefix + ".jpg");
  EXPECT_THROW(r.Export(&filter), EFCreateError);
  EXPECT_TRUE(FileExists(prefix + ".1.jpg"));
  RemoveDir(prefix + ".2.jpg");
}

// The sample waybill: one JPEG per page at the page size, its barcode readable.
TEST_F(frxImageExportTest, WaybillSample)
{
  TExportReport r;
  BuildWaybillReport(r);
  r.Prepare();
  const std::string prefix = OutputPath("export_waybill");
  RemoveFiles(prefix);
  TfrxJPEGExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetCropImages(false);
  filter.SetFileName(prefix + ".jpg");
  ASSERT_TRUE(r.Export(&filter));
  for (Integer n = 1; n <= 2; ++n) {
    auto jpeg = LoadJpeg(prefix + "." + IntToStr(n) + ".jpg");
    EXPECT_EQ(jpeg->Width(), 794);
    EXPECT_EQ(jpeg->Height(), 1123);
  }
  // The first page is also kept under the sample's name.
  ASSERT_TRUE(CopyFile(prefix + ".1.jpg", OutputPath("export_waybill_1.jpg"), false));
  if (ProgramAvailable("zbarimg")) {
    EXPECT_EQ(Chomp(RunProgram("zbarimg -q --raw '" + prefix + ".2.jpg' 2>/dev/null")),
              "SF1234567891");
  }
}
