// Paper kinds, printer capabilities, the service choice, the PDF-folder destination and
// vector print jobs. The CUPS service is in PrintersCups.cpp.
#include "platform/print/Printers.h"

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Units.h"

namespace {

// Tenths of a millimetre, portrait.
const std::vector<TPaperKind> GPaperKinds = {
    {1, 2159, 2794},   {2, 2159, 2794},  {3, 2794, 4318},  {4, 4318, 2794},  {5, 2159, 3556},
    {6, 1397, 2159},   {7, 1842, 2667},  {8, 2970, 4200},  {9, 2100, 2970},  {10, 2100, 2970},
    {11, 1480, 2100},  {12, 2500, 3540}, {13, 1820, 2570}, {14, 2159, 3302}, {15, 2150, 2750},
    {16, 2540, 3556},  {17, 2794, 4318}, {18, 2159, 2794}, {19, 984, 2254},  {20, 1048, 2413},
    {21, 1143, 2635},  {22, 1207, 2794}, {23, 1270, 2921}, {24, 4318, 5588}, {25, 5588, 8636},
    {26, 8636, 11176}, {27, 1100, 2200}, {28, 1620, 2290}, {29, 3240, 4580}, {30, 2290, 3240},
    {31, 1140, 1620},  {32, 1140, 2290}, {33, 2500, 3530}, {34, 1760, 2500}, {35, 1760, 1250},
    {36, 1100, 2300},  {37, 984, 1905},  {38, 920, 1651},  {39, 3778, 2794}, {40, 2159, 3048},
    {41, 2159, 3302},  {42, 2500, 3530}, {43, 1000, 1480}, {44, 2286, 2794}, {45, 2540, 2794},
    {46, 3810, 2794},  {47, 2200, 2200}, {50, 2355, 3048}, {51, 2355, 3810}, {52, 2969, 4572},
    {53, 2354, 3223},  {54, 2101, 2794}, {55, 2100, 2970}, {56, 2355, 3048}, {57, 2270, 3560},
    {58, 3050, 4870},  {59, 2159, 3223}, {60, 2100, 3300}, {61, 1480, 2100}, {62, 1820, 2570},
    {63, 3220, 4450},  {64, 1740, 2350}, {65, 2010, 2760}, {66, 4200, 5940}, {67, 2970, 4200},
    {68, 3220, 4450}};

constexpr size_t MaxEntries = 256;

std::unique_ptr<TPrintService> GService;

bool Near(Integer a, Integer b)
{
  return std::abs(a - b) <= 10;
}

// The platform number of a bin key; 0 when it has none of its own.
Integer KnownBinNumber(const AnsiString& key)
{
  static const struct {
    const char* Key;
    Integer Number;
  } known[] = {{"auto", DMBIN_AUTO},   {"manual", DMBIN_MANUAL}, {"top", DMBIN_UPPER},
               {"upper", DMBIN_UPPER}, {"tray-1", DMBIN_UPPER},  {"bottom", DMBIN_LOWER},
               {"lower", DMBIN_LOWER}, {"tray-2", DMBIN_LOWER}};
  for (const auto& k : known)
    if (key == k.Key)
      return k.Number;
  return 0;
}

AnsiString SidesText(TPrintSides sides)
{
  switch (sides) {
  case psTwoSidedLongEdge:
    return "two-sided-long-edge";
  case psTwoSidedShortEdge:
    return "two-sided-short-edge";
  default:
    return "one-sided";
  }
}

void WriteText(const AnsiString& fileName, const AnsiString& text)
{
  TFileStream f(fileName, fmCreate);
  if (!text.empty())
    f.WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

} // namespace

const std::vector<TPaperKind>& PaperKinds()
{
  return GPaperKinds;
}

const TPaperKind* FindPaperKind(Integer number)
{
  for (const TPaperKind& k : GPaperKinds)
    if (k.Number == number)
      return &k;
  return nullptr;
}

const TPaperKind* MatchPaperKind(Integer width, Integer height)
{
  if (width > height)
    std::swap(width, height);
  for (const TPaperKind& k : GPaperKinds) {
    Integer w = std::min(k.Width, k.Height), h = std::max(k.Width, k.Height);
    if (Near(w, width) && Near(h, height))
      return &k;
  }
  return nullptr;
}

const TPrinterPaper* TPrinterCaps::FindPaper(Integer number) const
{
  for (const TPrinterPaper& p : Papers)
    if (p.Number == number)
      return &p;
  return nullptr;
}

const TPrinterBin* TPrinterCaps::FindBin(Integer number) const
{
  for (const TPrinterBin& b : Bins)
    if (b.Number == number)
      return &b;
  return nullptr;
}

void NumberPapersAndBins(TPrinterCaps& caps)
{
  if (caps.Papers.size() > MaxEntries)
    caps.Papers.resize(MaxEntries);
  if (caps.Bins.size() > MaxEntries)
    caps.Bins.resize(MaxEntries);
  Integer next = DMPAPER_USER + 1;
  for (TPrinterPaper& p : caps.Papers) {
    // Sizes in hundredths of a millimetre; the table holds tenths.
    const TPaperKind* kind = MatchPaperKind((p.Width + 5) / 10, (p.Height + 5) / 10);
    // Two sizes the table lists twice (A4 is 9 and 10) keep the first number once taken.
    bool taken = kind && std::any_of(caps.Papers.data(), &p, [&](const TPrinterPaper& q) {
                   return q.Number == kind->Number;
                 });
    p.Number = kind && !taken ? kind->Number : next++;
  }
  next = DMBIN_USER + 1;
  for (TPrinterBin& b : caps.Bins) {
    Integer n = KnownBinNumber(b.Key);
    bool taken =
        n && std::any_of(caps.Bins.data(), &b, [&](const TPrinterBin& q) { return q.Number == n; });
    b.Number = n && !taken ? n : next++;
  }
}

TPrintService* PrintService()
{
  if (!GService) {
    AnsiString folder = GetEnvironmentVariable("QHWBP_PRINT_DIR");
    if (!folder.empty())
      GService = std::make_unique<TPdfFolderPrintService>(folder);
    else
      GService = std::make_unique<TCupsPrintService>();
  }
  return GService.get();
}

void SetPrintService(std::unique_ptr<TPrintService> service)
{
  GService = std::move(service);
}

// ---- The PDF folder ----

TPdfFolderPrintService::TPdfFolderPrintService(const AnsiString& folder, const AnsiString& name)
    : FFolder(IncludeTrailingPathDelimiter(folder)), FName(name)
{
}

std::vector<AnsiString> TPdfFolderPrintService::PrinterNames()
{
  return {FName};
}

AnsiString TPdfFolderPrintService::DefaultPrinter()
{
  return FName;
}

TPrinterCaps TPdfFolderPrintService::Capabilities(const AnsiString& printer)
{
  if (printer != FName)
    throw EPrinter("Printer '" + printer + "' does not exist");
  TPrinterCaps caps;
  for (const TPaperKind& k : GPaperKinds) {
    TPrinterPaper p;
    p.Name = "Paper " + IntToStr(k.Number);
    p.Key = "paper-" + IntToStr(k.Number);
    p.Width = k.Width * 10;
    p.Height = k.Height * 10;
    caps.Papers.push_back(p);
  }
  for (const char* key : {"auto", "manual", "tray-1", "tray-2"})
    caps.Bins.push_back({key, key, 0});
  NumberPapersAndBins(caps);
  return caps;
}

AnsiString TPdfFolderPrintService::NextJobName(const AnsiString& extension,
                                               const AnsiString& printer,
                                               const TPrintJobOptions& options,
                                               const AnsiString& format)
{
  if (printer != FName)
    throw EPrinter("Printer '" + printer + "' does not exist");
  if (!DirectoryExists(FFolder) && !ForceDirectories(FFolder))
    throw EPrinter("Cannot create the print folder " + FFolder);
  AnsiString base = FFolder + "job-" + IntToStr(FJobs + 1);
  AnsiString record = "title=" + options.Title + "\ncopies=" + IntToStr(options.Copies) +
                      "\nuncollated=" + (options.UncollatedCopies ? "1" : "0") +
                      "\nsides=" + SidesText(options.Sides) +
                      "\nmedia-source=" + options.MediaSource + "\nformat=" + format + "\n";
  WriteText(base + ".txt", record);
  ++FJobs;
  return base + extension;
}

void TPdfFolderPrintService::PrintPdf(const AnsiString& printer, const AnsiString& pdfFile,
                                      const TPrintJobOptions& options)
{
  AnsiString target = NextJobName(".pdf", printer, options, "application/pdf");
  if (!CopyFile(pdfFile, target, false))
    throw EPrinter("Cannot write " + target);
}

void TPdfFolderPrintService::PrintRaw(const AnsiString& printer, const AnsiString& data,
                                      const TPrintJobOptions& options)
{
  WriteText(NextJobName(".prn", printer, options, "application/vnd.cups-raw"), data);
}

// ---- Jobs ----

TPrintJob::TPrintJob(TPrintService* service, const AnsiString& printer,
                     const TPrintJobOptions& options, const AnsiString& outputFile)
    : FService(service), FPrinter(printer), FOptions(options), FOutputFile(outputFile)
{
}

TPrintJob::~TPrintJob()
{
  Abort();
}

TSurface* TPrintJob::StartPage(const TPageMedia& media, Integer dpi, const AnsiString& mediaSource,
                               Integer copies, TPrintSides sides)
{
  if (FDone)
    throw EPrinter("The print job has ended");
  if (FInPage)
    EndPage();
  TPrintJobOptions options = FOptions;
  options.Copies = std::max(1, copies);
  options.Sides = sides;
  options.MediaSource = mediaSource;
  // Printing to a file keeps one document whatever the sources.
  bool split = !FParts.empty() && FOutputFile.empty() &&
               (options.MediaSource != FParts.back().Options.MediaSource ||
                options.Copies != FParts.back().Options.Copies ||
                options.Sides != FParts.back().Options.Sides);
  if (FSurface && split)
    ClosePart();
  if (!FSurface) {
    AnsiString file = GetTempFileName("", "qhprint");
    if (file.empty())
      throw EPrinter("Cannot create a temporary file for printing");
    FParts.push_back({file, options});
    FSurface = TVectorSurface::CreatePdf(ToOsFileName(file).c_str(), media, dpi);
  } else {
    FSurface->NewPage(media);
  }
  FInPage = true;
  ++FPages;
  return FSurface.get();
}

void TPrintJob::EndPage()
{
  FInPage = false;
}

void TPrintJob::ClosePart()
{
  if (FSurface) {
    FSurface->Finish();
    FSurface.reset();
  }
}

void TPrintJob::RemoveFiles()
{
  for (const TPart& part : FParts)
    DeleteFile(part.FileName);
  FParts.clear();
}

void TPrintJob::Finish()
{
  if (FDone)
    return;
  FDone = true;
  FInPage = false;
  ClosePart();
  struct TCleanup {
    TPrintJob* Job;
    ~TCleanup() { Job->RemoveFiles(); }
  } cleanup{this};
  for (const TPart& part : FParts) {
    TSearchRec sr;
    bool written = FindFirst(part.FileName, faAnyFile, sr) == 0 && sr.Size > 0;
    FindClose(sr);
    if (!written)
      throw EPrinter("The print job could not be written");
  }
  if (!FOutputFile.empty()) {
    if (!FParts.empty() && !CopyFile(FParts.front().FileName, FOutputFile, false))
      throw EPrinter("Cannot write " + FOutputFile);
    return;
  }
  for (const TPart& part : FParts)
    FService->PrintPdf(FPrinter, part.FileName, part.Options);
}

void TPrintJob::Abort()
{
  if (FDone)
    return;
  FDone = true;
  FInPage = false;
  ClosePart();
  RemoveFiles();
}

void RegisterPrintUnits()
{
  RegisterUnit("Printers", nullptr, [] { GService.reset(); });
}
