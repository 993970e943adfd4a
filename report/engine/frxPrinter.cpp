// The report library's printers over platform/print (frxPrinter.h describes them).
#include "report/engine/frxPrinter.h"

#include <cmath>

#include "platform/graphics/Surface.h"
#include "platform/print/Printers.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/SysUtils.h"
#include "report/engine/frxRes.h"

namespace {

std::unique_ptr<TfrxPrinters> GPrinters;

Integer Dots(Extended mm, Integer dpi)
{
  return static_cast<Integer>(std::nearbyint(mm * dpi / 25.4L));
}

// A page of W x H mm with the given margins as the device sees it at dpi.
TPageMedia MediaOf(Extended W, Extended H, Extended L, Extended T, Extended R, Extended B,
                   Integer dpi)
{
  TPageMedia m;
  m.PhysicalWidth = std::max(1, Dots(W, dpi));
  m.PhysicalHeight = std::max(1, Dots(H, dpi));
  m.OffsetX = Dots(L, dpi);
  m.OffsetY = Dots(T, dpi);
  m.PrintableWidth = std::max(1, m.PhysicalWidth - m.OffsetX - Dots(R, dpi));
  m.PrintableHeight = std::max(1, m.PhysicalHeight - m.OffsetY - Dots(B, dpi));
  return m;
}

TPrintSides SidesOf(Integer duplex)
{
  switch (duplex) {
  case DMDUP_VERTICAL:
    return psTwoSidedLongEdge;
  case DMDUP_HORIZONTAL:
    return psTwoSidedShortEdge;
  default:
    return psOneSided;
  }
}

} // namespace

void PaperSizeOf(Integer PaperSize, Extended& Width, Extended& Height)
{
  if (const TPaperKind* k = FindPaperKind(PaperSize)) {
    Width = k->Width / 10.0L;
    Height = k->Height / 10.0L;
  }
}

// ---- Canvas ----

void TfrxPrinterCanvas::UpdateFont()
{
  Integer dpi = FPrinter->DPI().Y;
  if (dpi <= 0 || Font()->PixelsPerInch() == dpi)
    return;
  Integer size = Font()->Size();
  Font()->SetPixelsPerInch(dpi);
  Font()->SetSize(size);
}

// ---- Base ----

TfrxCustomPrinter::TfrxCustomPrinter(const AnsiString& AName, const AnsiString& APort)
    : FBins(std::make_unique<TStringList>()), FCanvas(std::make_unique<TfrxPrinterCanvas>(this)),
      FName(AName), FPapers(std::make_unique<TStringList>()), FPort(APort)
{
  FBins->AddObject(ReportResources()->Lookup("prDefault"),
                   reinterpret_cast<TObject*>(static_cast<intptr_t>(DMBIN_AUTO)));
  FPapers->AddObject(ReportResources()->Lookup("prCustom"),
                     reinterpret_cast<TObject*>(static_cast<intptr_t>(DMPAPER_USER)));
}

TfrxCustomPrinter::~TfrxCustomPrinter() = default;

namespace {

Integer NumberAt(TStrings* list, Integer i)
{
  return static_cast<Integer>(reinterpret_cast<intptr_t>(list->Objects(i)));
}

Integer IndexOfNumber(TStrings* list, Integer number)
{
  for (Integer i = 0; i < list->Count(); ++i)
    if (NumberAt(list, i) == number)
      return i;
  return -1;
}

Integer NumberOfName(TStrings* list, const AnsiString& name)
{
  Integer i = list->IndexOf(name);
  return NumberAt(list, i < 0 ? 0 : i);
}

void AddNumbered(TStrings* list, const AnsiString& name, Integer number)
{
  list->AddObject(name, reinterpret_cast<TObject*>(static_cast<intptr_t>(number)));
}

} // namespace

Integer TfrxCustomPrinter::BinIndex(Integer ABin) const
{
  return IndexOfNumber(FBins.get(), ABin);
}

Integer TfrxCustomPrinter::PaperIndex(Integer APaper) const
{
  return IndexOfNumber(FPapers.get(), APaper);
}

Integer TfrxCustomPrinter::BinNameToNumber(const AnsiString& ABin) const
{
  return NumberOfName(FBins.get(), ABin);
}

Integer TfrxCustomPrinter::PaperNameToNumber(const AnsiString& APaper) const
{
  return NumberOfName(FPapers.get(), APaper);
}

// ---- System printer ----

struct TfrxPrinter::TGeometry {
  Extended Width = 210, Height = 297;
  Extended Left = 0, Top = 0, Right = 0, Bottom = 0;
};

TfrxPrinter::TfrxPrinter(const AnsiString& AName, const AnsiString& APort)
    : TfrxCustomPrinter(AName, APort)
{
}

TfrxPrinter::~TfrxPrinter()
{
  FCanvas->SetSurface(nullptr);
}

void TfrxPrinter::Init()
{
  if (FInitialized)
    return;
  TPrinterCaps caps;
  try {
    caps = PrintService()->Capabilities(FName);
  } catch (const EPrinter&) {
    // A printer that cannot be asked stays uninitialised; the next Init tries again.
    return;
  }
  FCaps = std::make_unique<TPrinterCaps>(std::move(caps));
  // The job is drawn as vectors: one resolution serves both directions.
  FDPI = TPoint(FCaps->DpiY, FCaps->DpiY);
  FDefPaper = FCaps->DefaultPaper;
  FDefOrientation = FCaps->DefaultLandscape;
  if (const TPrinterPaper* p = FCaps->FindPaper(FDefPaper)) {
    FDefPaperWidth = p->Width / 100.0L;
    FDefPaperHeight = p->Height / 100.0L;
    if (FDefOrientation)
      std::swap(FDefPaperWidth, FDefPaperHeight);
  }
  for (const TPrinterPaper& p : FCaps->Papers)
    if (p.Number != DMPAPER_USER)
      AddNumbered(FPapers.get(), p.Name, p.Number);
  for (const TPrinterBin& b : FCaps->Bins)
    if (b.Number != DMBIN_AUTO)
      AddNumbered(FBins.get(), b.Name, b.Number);
  FInitialized = true;
  SetViewParams(FDefPaper, FDefOrientation, FDefPaperWidth, FDefPaperHeight);
}

TfrxPrinter::TGeometry TfrxPrinter::Geometry(Integer APaperSize, bool AOrientation,
                                             Extended APaperWidth, Extended APaperHeight) const
{
  TGeometry g;
  const TPrinterPaper* paper = FCaps ? FCaps->FindPaper(APaperSize) : nullptr;
  const TPrinterPaper* a4 = FCaps ? FCaps->FindPaper(DMPAPER_A4) : nullptr;
  if (!a4 && FCaps)
    a4 = FCaps->FindPaper(FCaps->DefaultPaper);
  const TPrinterPaper* margins = paper ? paper : a4;
  if (margins) {
    g.Left = margins->Left / 100.0L;
    g.Top = margins->Top / 100.0L;
    g.Right = margins->Right / 100.0L;
    g.Bottom = margins->Bottom / 100.0L;
  }
  if (APaperSize == DMPAPER_USER) {
    // A custom size keeps A4's margins and is given in the chosen orientation already.
    g.Width = APaperWidth;
    g.Height = APaperHeight;
    if (AOrientation) {
      std::swap(g.Left, g.Top);
      std::swap(g.Right, g.Bottom);
    }
    return g;
  }
  if (paper) {
    g.Width = paper->Width / 100.0L;
    g.Height = paper->Height / 100.0L;
  } else if (const TPaperKind* k = FindPaperKind(APaperSize)) {
    // A standard paper the printer does not list: its size with the printer's margins.
    g.Width = k->Width / 10.0L;
    g.Height = k->Height / 10.0L;
  } else if (a4) {
    g.Width = a4->Width / 100.0L;
    g.Height = a4->Height / 100.0L;
  }
  if (AOrientation) {
    std::swap(g.Width, g.Height);
    std::swap(g.Left, g.Top);
    std::swap(g.Right, g.Bottom);
  }
  return g;
}

void TfrxPrinter::Apply(const TGeometry& G, Integer APaperSize, bool AOrientation)
{
  FPaperWidth = G.Width;
  FPaperHeight = G.Height;
  FLeftMargin = G.Left;
  FTopMargin = G.Top;
  FRightMargin = G.Right;
  FBottomMargin = G.Bottom;
  FPaper = APaperSize;
  FOrientation = AOrientation;
  RecreateContext();
}

void TfrxPrinter::RecreateContext()
{
  if (FPrinting)
    return;
  FCanvas->SetSurface(nullptr);
  FInfoContext = TImageSurface::CreateInformationContext(
      MediaOf(FPaperWidth, FPaperHeight, FLeftMargin, FTopMargin, FRightMargin, FBottomMargin,
              FDPI.Y),
      FDPI.Y);
  FCanvas->SetSurface(FInfoContext.get());
  FCanvas->UpdateFont();
}

void TfrxPrinter::SetViewParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                                Extended APaperHeight)
{
  Apply(Geometry(APaperSize, AOrientation, APaperWidth, APaperHeight), APaperSize, AOrientation);
}

void TfrxPrinter::QueryGeometry(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                                Extended APaperHeight, Extended& Width, Extended& Height,
                                Extended& Left, Extended& Top, Extended& Right, Extended& Bottom)
{
  Init();
  TGeometry g = Geometry(APaperSize, AOrientation, APaperWidth, APaperHeight);
  Width = g.Width;
  Height = g.Height;
  Left = g.Left;
  Top = g.Top;
  Right = g.Right;
  Bottom = g.Bottom;
}

void TfrxPrinter::SetPrintParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                                 Extended APaperHeight, Integer ABin, Integer ACopies,
                                 Integer ADuplex)
{
  Integer bin = FBin != -1 ? FBin : ABin;
  const TPrinterBin* source = FCaps && bin != DMBIN_AUTO ? FCaps->FindBin(bin) : nullptr;
  FPageSource = source ? source->Key : AnsiString();
  FPageCopies = ACopies;
  FPageDuplex = ADuplex;
  Apply(Geometry(APaperSize, AOrientation, APaperWidth, APaperHeight), APaperSize, AOrientation);
}

void TfrxPrinter::BeginDoc()
{
  Init();
  if (!FInitialized)
    throw EPrinter("Printer '" + FName + "' cannot be used");
  TPrintJobOptions options;
  options.Title = FTitle;
  // The print walk repeats the pages for collated sets; copies it hands over are of each
  // page.
  options.UncollatedCopies = true;
  FJob = std::make_unique<TPrintJob>(PrintService(), FName, options, FFileName);
  FPrinting = true;
}

void TfrxPrinter::BeginPage()
{
  if (!FJob || !FJob->Active())
    throw EPrinter("No print job is open");
  TSurface* page = nullptr;
  try {
    page = FJob->StartPage(MediaOf(FPaperWidth, FPaperHeight, FLeftMargin, FTopMargin, FRightMargin,
                                   FBottomMargin, FDPI.Y),
                           FDPI.Y, FPageSource, FPageCopies, SidesOf(FPageDuplex));
  } catch (...) {
    Abort();
    throw;
  }
  FCanvas->SetSurface(page);
  FCanvas->UpdateFont();
}

void TfrxPrinter::EndPage()
{
  if (FJob && FJob->Active())
    FJob->EndPage();
}

void TfrxPrinter::EndDoc()
{
  std::unique_ptr<TPrintJob> job = std::move(FJob);
  FPrinting = false;
  FBin = -1;
  FCanvas->SetSurface(nullptr);
  RecreateContext();
  // An aborted job is not active: nothing more to do.
  if (job)
    job->Finish();
}

void TfrxPrinter::Abort()
{
  if (FJob)
    FJob->Abort();
  EndDoc();
}

void TfrxPrinter::BeginRAWDoc()
{
  FRawData.clear();
  FRawOpen = true;
}

void TfrxPrinter::WriteRAWDoc(const AnsiString& Buf)
{
  if (FRawOpen)
    FRawData += Buf;
}

void TfrxPrinter::EndRAWDoc()
{
  if (!FRawOpen)
    return;
  FRawOpen = false;
  AnsiString data = std::move(FRawData);
  FRawData.clear();
  TPrintJobOptions options;
  options.Title = FTitle;
  PrintService()->PrintRaw(FName, data, options);
}

// ---- Virtual printer ----

TfrxVirtualPrinter::TfrxVirtualPrinter(const AnsiString& AName, const AnsiString& APort)
    : TfrxCustomPrinter(AName, APort)
{
}

TfrxVirtualPrinter::~TfrxVirtualPrinter()
{
  FCanvas->SetSurface(nullptr);
}

void TfrxVirtualPrinter::Init()
{
  if (FInitialized)
    return;
  FDPI = TPoint(600, 600);
  FDefPaper = DMPAPER_A4;
  FDefOrientation = false;
  FDefPaperWidth = 210;
  FDefPaperHeight = 297;
  for (const TPaperKind& k : PaperKinds())
    AddNumbered(FPapers.get(), "", k.Number);
  FBin = -1;
  FInitialized = true;
  FInfoContext = TImageSurface::CreateInformationContext(MediaOf(210, 297, 5, 5, 5, 5, 600), 600);
  FCanvas->SetSurface(FInfoContext.get());
  FCanvas->UpdateFont();
}

void TfrxVirtualPrinter::SetViewParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                                       Extended APaperHeight)
{
  if (const TPaperKind* k = FindPaperKind(APaperSize)) {
    FPaperWidth = k->Width / 10.0L;
    FPaperHeight = k->Height / 10.0L;
    if (AOrientation)
      std::swap(FPaperWidth, FPaperHeight);
    FPaper = APaperSize;
  } else {
    FPaperWidth = APaperWidth;
    FPaperHeight = APaperHeight;
    FPaper = DMPAPER_USER;
  }
  FOrientation = AOrientation;
  FLeftMargin = FTopMargin = FRightMargin = FBottomMargin = 5;
}

void TfrxVirtualPrinter::SetPrintParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                                        Extended APaperHeight, Integer ABin, Integer, Integer)
{
  SetViewParams(APaperSize, AOrientation, APaperWidth, APaperHeight);
  FBin = ABin;
}

// ---- The list ----

TfrxPrinters::TfrxPrinters() : FPrinterNames(std::make_unique<TStringList>())
{
  std::vector<AnsiString> names;
  AnsiString def;
  try {
    names = PrintService()->PrinterNames();
    def = PrintService()->DefaultPrinter();
  } catch (const Exception&) {
    // No print service: the virtual printer below.
    names.clear();
  }
  for (const AnsiString& name : names) {
    FPrinters.push_back(std::make_unique<TfrxPrinter>(name, ""));
    FPrinterNames->Add(name);
  }
  if (!FPrinters.empty()) {
    FPhysicalPrintersFound = true;
    Integer index = def.empty() ? -1 : IndexOf(def);
    SelectIndex(index < 0 ? 0 : index);
    return;
  }
  FPrinters.push_back(
      std::make_unique<TfrxVirtualPrinter>(ReportResources()->Lookup("prVirtual"), ""));
  FPhysicalPrintersFound = false;
  SelectIndex(0);
}

TfrxPrinters::~TfrxPrinters() = default;

TfrxCustomPrinter* TfrxPrinters::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(Format(SListIndexError, {Index}));
  return FPrinters[Index].get();
}

Integer TfrxPrinters::Count() const
{
  return static_cast<Integer>(FPrinters.size());
}

Integer TfrxPrinters::IndexOf(const AnsiString& AName) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiCompareText(FPrinters[i]->Name(), AName) == 0)
      return i;
  return -1;
}

void TfrxPrinters::SelectIndex(Integer Value)
{
  FCurrentIndex = Value;
  if (Value != -1)
    Items(Value)->Init();
}

TfrxCustomPrinter* TfrxPrinters::CurrentPrinter() const
{
  return Items(FCurrentIndex);
}

TfrxPrinters* GlobalPrinters()
{
  if (!GPrinters)
    GPrinters = std::make_unique<TfrxPrinters>();
  return GPrinters.get();
}

void ResetGlobalPrinters()
{
  GPrinters.reset();
}

void PrinterFinalization()
{
  GPrinters.reset();
}
