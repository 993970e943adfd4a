// The printer list and the printers: the virtual stand-in, the choice of the current
// printer, papers, bins and margins, and jobs that fail.
#include "report/engine/frxPrinter.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/rtl/Streams.h"
#include "report/engine/frxRes.h"
#include "tests/report/engine/PrintFixtures.h"

namespace {

TFakePrintService* InstallFake(std::unique_ptr<TPrintServiceScope>& scope)
{
  auto fake = std::make_unique<TFakePrintService>();
  TFakePrintService* raw = fake.get();
  scope = std::make_unique<TPrintServiceScope>(std::move(fake));
  return raw;
}

} // namespace

TEST(frxPrinter, WithoutPrintersTheVirtualPrinterStandsIn)
{
  TPrintServiceScope scope(std::make_unique<TNoPrintService>());
  TfrxPrinters* printers = GlobalPrinters();
  EXPECT_FALSE(printers->PhysicalPrintersFound());
  EXPECT_EQ(printers->PrinterNames()->Count(), 0);
  ASSERT_EQ(printers->Count(), 1);
  TfrxCustomPrinter* p = printers->CurrentPrinter();
  EXPECT_EQ(p->Name(), ReportResources()->Lookup("prVirtual"));
  EXPECT_TRUE(p->Initialized());
  EXPECT_EQ(p->DPI(), (TPoint{600, 600}));
  EXPECT_EQ(p->Papers()->Count(), 67); // "prCustom" and the table

  struct {
    const char* Name;
    Integer Paper;
    bool Landscape;
    Extended W, H; // given
    Extended PaperWidth, PaperHeight;
    Integer PaperAfter;
  } cases[] = {
      {"A4 landscape", 9, true, 0, 0, 297, 210, 9},
      {"A3 portrait", 8, false, 0, 0, 297, 420, 8},
      {"custom", 256, false, 100, 50, 100, 50, 256},
      {"unknown number", 49, false, 80, 60, 80, 60, 256},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    p->SetViewParams(c.Paper, c.Landscape, c.W, c.H);
    EXPECT_DOUBLE_EQ(static_cast<double>(p->PaperWidth()), c.PaperWidth);
    EXPECT_DOUBLE_EQ(static_cast<double>(p->PaperHeight()), c.PaperHeight);
    EXPECT_EQ(p->Paper(), c.PaperAfter);
    EXPECT_EQ(p->LeftMargin(), 5);
    EXPECT_EQ(p->BottomMargin(), 5);
  }
  EXPECT_EQ(p->PaperNameToNumber("no such paper"), 256);
  EXPECT_EQ(p->BinNameToNumber("no such bin"), 7);
  // Jobs on the virtual printer print nothing and do not fail.
  p->BeginDoc();
  p->BeginPage();
  p->EndPage();
  p->EndDoc();
}

TEST(frxPrinter, TheDefaultPrinterIsCurrentElseTheFirst)
{
  std::unique_ptr<TPrintServiceScope> scope;
  TFakePrintService* fake = InstallFake(scope);
  EXPECT_TRUE(GlobalPrinters()->PhysicalPrintersFound());
  EXPECT_EQ(GlobalPrinters()->CurrentPrinter()->Name(), "Labels");
  EXPECT_EQ(GlobalPrinters()->IndexOf("OFFICE"), 0);
  EXPECT_EQ(GlobalPrinters()->IndexOf("Nobody"), -1);

  // A default that is not in the list (or none) makes the first printer current instead of
  // leaving none.
  for (const char* def : {"Gone", ""}) {
    SCOPED_TRACE(def);
    fake->Default = def;
    ResetGlobalPrinters();
    EXPECT_EQ(GlobalPrinters()->CurrentIndex(), 0);
    EXPECT_EQ(GlobalPrinters()->CurrentPrinter()->Name(), "Office");
    EXPECT_TRUE(GlobalPrinters()->CurrentPrinter()->Initialized());
  }
  GlobalPrinters()->SelectIndex(-1);
  EXPECT_THROW(GlobalPrinters()->CurrentPrinter(), EListError);
}

TEST(frxPrinter, SystemPrinterPapersBinsAndMargins)
{
  std::unique_ptr<TPrintServiceScope> scope;
  InstallFake(scope);
  TfrxCustomPrinter* p = GlobalPrinters()->CurrentPrinter();
  ASSERT_TRUE(p->Initialized());
  EXPECT_EQ(p->DPI(), (TPoint{300, 300}));
  // "prCustom" first, then the printer's papers by number; "prDefault" then the bins but 7.
  ASSERT_EQ(p->Papers()->Count(), 3);
  EXPECT_EQ(p->PaperNameToNumber("A4"), 9);
  EXPECT_EQ(p->PaperNameToNumber("Label"), 257);
  ASSERT_EQ(p->Bins()->Count(), 3);
  EXPECT_EQ(p->BinNameToNumber("Tray 1"), 1);
  EXPECT_EQ(p->BinNameToNumber("Manual"), 4);
  EXPECT_EQ(p->BinIndex(4), 2);

  struct {
    const char* Name;
    Integer Paper;
    bool Landscape;
    Extended W, H;
    Extended PaperWidth, PaperHeight, Left, Top, Right, Bottom;
  } cases[] = {
      {"A4", 9, false, 0, 0, 210, 297, 4, 4, 4, 6},
      {"A4 landscape", 9, true, 0, 0, 297, 210, 4, 4, 6, 4},
      {"label", 257, false, 0, 0, 100, 150, 2, 2, 2, 2},
      // A custom size takes A4's margins.
      {"custom", 256, false, 230, 127, 230, 127, 4, 4, 4, 6},
      // A standard paper the printer does not list: its size, A4's margins.
      {"A5", 11, false, 0, 0, 148, 210, 4, 4, 4, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    p->SetViewParams(c.Paper, c.Landscape, c.W, c.H);
    EXPECT_NEAR(static_cast<double>(p->PaperWidth()), c.PaperWidth, 1e-9);
    EXPECT_NEAR(static_cast<double>(p->PaperHeight()), c.PaperHeight, 1e-9);
    EXPECT_NEAR(static_cast<double>(p->LeftMargin()), c.Left, 1e-9);
    EXPECT_NEAR(static_cast<double>(p->TopMargin()), c.Top, 1e-9);
    EXPECT_NEAR(static_cast<double>(p->RightMargin()), c.Right, 1e-9);
    EXPECT_NEAR(static_cast<double>(p->BottomMargin()), c.Bottom, 1e-9);
    EXPECT_EQ(p->Paper(), c.Paper);
    EXPECT_EQ(p->Orientation(), c.Landscape);
    // The canvas measures at the printer's resolution on that page.
    EXPECT_EQ(p->Canvas()->GetDeviceCaps(LOGPIXELSY), 300);
    EXPECT_EQ(p->Canvas()->GetDeviceCaps(PHYSICALWIDTH),
              static_cast<Integer>(std::nearbyint(c.PaperWidth * 300 / 25.4)));
  }

  // The page dialog asks without changing what the printer is set to.
  auto* system = dynamic_cast<TfrxPrinter*>(p);
  ASSERT_NE(system, nullptr);
  p->SetViewParams(257, false, 0, 0);
  Extended w, h, l, t, r, b;
  system->QueryGeometry(9, true, 0, 0, w, h, l, t, r, b);
  EXPECT_EQ(w, 297);
  EXPECT_EQ(b, 4);
  EXPECT_EQ(p->Paper(), 257);
  EXPECT_EQ(p->PaperWidth(), 100);
}

TEST(frxPrinter, JobsGoToTheServiceAndFailuresRaise)
{
  std::unique_ptr<TPrintServiceScope> scope;
  TFakePrintService* fake = InstallFake(scope);
  TfrxCustomPrinter* p = GlobalPrinters()->CurrentPrinter();
  p->SetTitle("运单");
  p->BeginDoc();
  EXPECT_TRUE(p->Printing());
  p->SetPrintParams(9, false, 0, 0, 1, 3, 2);
  p->BeginPage();
  EXPECT_EQ(p->Canvas()->Font()->PixelsPerInch(), 300);
  p->Canvas()->TextOut(10, 10, "x");
  p->EndPage();
  p->EndDoc();
  EXPECT_FALSE(p->Printing());
  ASSERT_EQ(fake->Jobs.size(), 1u);
  EXPECT_EQ(fake->Jobs[0].Printer, "Labels");
  EXPECT_EQ(fake->Jobs[0].Options.Title, "运单");
  EXPECT_EQ(fake->Jobs[0].Options.Copies, 3);
  EXPECT_TRUE(fake->Jobs[0].Options.UncollatedCopies);
  EXPECT_EQ(fake->Jobs[0].Options.Sides, psTwoSidedLongEdge);
  EXPECT_EQ(fake->Jobs[0].Options.MediaSource, "tray-1");
  EXPECT_EQ(fake->Jobs[0].Pdf.substr(0, 5), "%PDF-");

  // A bin the user chose wins over the page's until the job ends.
  p->SetBin(4);
  p->BeginDoc();
  p->SetPrintParams(9, false, 0, 0, 1, 1, 1);
  p->BeginPage();
  p->EndPage();
  p->EndDoc();
  ASSERT_EQ(fake->Jobs.size(), 2u);
  EXPECT_EQ(fake->Jobs[1].Options.MediaSource, "manual");
  EXPECT_EQ(p->Bin(), -1);

  // A refused job is an error, not a success; the printer is ready for the next job.
  fake->RefuseJobs = true;
  p->BeginDoc();
  p->SetPrintParams(9, false, 0, 0, 7, 1, 1);
  p->BeginPage();
  p->EndPage();
  EXPECT_THROW(p->EndDoc(), EPrinter);
  EXPECT_FALSE(p->Printing());
  EXPECT_EQ(p->Canvas()->GetDeviceCaps(LOGPIXELSX), 300);
  // An aborted job is not submitted, and EndDoc after Abort does nothing.
  fake->RefuseJobs = false;
  p->BeginDoc();
  p->SetPrintParams(9, false, 0, 0, 7, 1, 1);
  p->BeginPage();
  p->Abort();
  p->EndDoc();
  EXPECT_EQ(fake->Jobs.size(), 2u);

  p->BeginRAWDoc();
  p->WriteRAWDoc("\x1b@");
  p->WriteRAWDoc(AnsiString("A\0B", 3));
  p->EndRAWDoc();
  ASSERT_EQ(fake->RawJobs.size(), 1u);
  EXPECT_EQ(fake->RawJobs[0], AnsiString("\x1b@A\0B", 5));
}
