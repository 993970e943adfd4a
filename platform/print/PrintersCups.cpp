// The CUPS print service: destinations, their media, sources and resolution through the
// destination-information calls, PDF jobs through cupsPrintFile2 and raw jobs as a
// document of type application/vnd.cups-raw. Every call's result is checked; a failure
// raises EPrinter with the server's reason (cupsLastErrorString).
#include <cstring>

#include <cups/cups.h>

#include "platform/print/Printers.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

namespace {

AnsiString FromUtf8(const char* text)
{
  return text ? Utf8ToGbk(text) : AnsiString();
}

[[noreturn]] void RaiseCups(const AnsiString& what)
{
  const char* reason = cupsLastErrorString();
  throw EPrinter(what + ": " + FromUtf8(reason && *reason ? reason : "unknown error"));
}

// The destinations of the server, freed on scope exit.
class TDests {
public:
  TDests() { FCount = cupsGetDests2(CUPS_HTTP_DEFAULT, &FDests); }
  ~TDests() { cupsFreeDests(FCount, FDests); }
  TDests(const TDests&) = delete;
  TDests& operator=(const TDests&) = delete;

  int Count() const { return FCount; }
  cups_dest_t* At(int i) const { return &FDests[i]; }
  cups_dest_t* Find(const AnsiString& name) const
  {
    UTF8String u = GbkToUtf8(name);
    return cupsGetDest(u.c_str(), nullptr, FCount, FDests);
  }

private:
  int FCount = 0;
  cups_dest_t* FDests = nullptr;
};

class TDestInfo {
public:
  explicit TDestInfo(cups_dest_t* dest) : FDest(dest)
  {
    FInfo = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
  }
  ~TDestInfo() { cupsFreeDestInfo(FInfo); }
  TDestInfo(const TDestInfo&) = delete;
  TDestInfo& operator=(const TDestInfo&) = delete;
  cups_dinfo_t* Info() const { return FInfo; }

private:
  cups_dest_t* FDest;
  cups_dinfo_t* FInfo = nullptr;
};

// The options of a job as CUPS takes them, freed on scope exit.
class TCupsOptions {
public:
  explicit TCupsOptions(const TPrintJobOptions& options)
  {
    Add("copies", std::to_string(std::max(1, options.Copies)));
    if (options.Copies > 1)
      Add("multiple-document-handling", options.UncollatedCopies
                                            ? "separate-documents-uncollated-copies"
                                            : "separate-documents-collated-copies");
    switch (options.Sides) {
    case psTwoSidedLongEdge:
      Add("sides", "two-sided-long-edge");
      break;
    case psTwoSidedShortEdge:
      Add("sides", "two-sided-short-edge");
      break;
    default:
      Add("sides", "one-sided");
      break;
    }
    if (!options.MediaSource.empty())
      Add("media-source", options.MediaSource);
  }
  ~TCupsOptions() { cupsFreeOptions(FCount, FOptions); }
  TCupsOptions(const TCupsOptions&) = delete;
  TCupsOptions& operator=(const TCupsOptions&) = delete;

  int Count() const { return FCount; }
  cups_option_t* Options() const { return FOptions; }

private:
  void Add(const char* name, const std::string& value)
  {
    FCount = cupsAddOption(name, value.c_str(), FCount, &FOptions);
  }
  int FCount = 0;
  cups_option_t* FOptions = nullptr;
};

void ReadMedia(cups_dest_t* dest, cups_dinfo_t* info, TPrinterCaps& caps)
{
  int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
  for (int i = 0; i < count; ++i) {
    cups_size_t size;
    if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size))
      continue;
    if (size.width <= 0 || size.length <= 0)
      continue;
    TPrinterPaper p;
    p.Key = size.media;
    const char* local =
        cupsLocalizeDestMedia(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size);
    p.Name = FromUtf8(local && *local ? local : size.media).substr(0, 64);
    p.Width = size.width;
    p.Height = size.length;
    p.Left = size.left;
    p.Top = size.top;
    p.Right = size.right;
    p.Bottom = size.bottom;
    caps.Papers.push_back(p);
  }
  // A queue that describes no media (a raw queue) takes the standard papers to the edges.
  if (caps.Papers.empty())
    for (const TPaperKind& k : PaperKinds()) {
      TPrinterPaper p;
      p.Name = "Paper " + IntToStr(k.Number);
      p.Width = k.Width * 10;
      p.Height = k.Height * 10;
      caps.Papers.push_back(p);
    }
}

void ReadBins(cups_dest_t* dest, cups_dinfo_t* info, TPrinterCaps& caps)
{
  ipp_attribute_t* sources = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "media-source");
  if (!sources)
    return;
  for (int i = 0; i < ippGetCount(sources); ++i) {
    const char* key = ippGetString(sources, i, nullptr);
    if (!key || !*key)
      continue;
    TPrinterBin bin;
    bin.Key = key;
    const char* local = cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, dest, info, "media-source", key);
    bin.Name = FromUtf8(local && *local ? local : key).substr(0, 24);
    caps.Bins.push_back(bin);
  }
}

void ReadDefaults(cups_dest_t* dest, cups_dinfo_t* info, TPrinterCaps& caps)
{
  if (ipp_attribute_t* res =
          cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
    int yres = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    int xres = ippGetResolution(res, 0, &yres, &units);
    if (units == IPP_RES_PER_CM) {
      xres = static_cast<int>(xres * 2.54 + 0.5);
      yres = static_cast<int>(yres * 2.54 + 0.5);
    }
    if (xres > 0 && yres > 0) {
      caps.DpiX = xres;
      caps.DpiY = yres;
    }
  }
  if (ipp_attribute_t* o =
          cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "orientation-requested"))
    caps.DefaultLandscape = ippGetInteger(o, 0) == IPP_ORIENT_LANDSCAPE ||
                            ippGetInteger(o, 0) == IPP_ORIENT_REVERSE_LANDSCAPE;
  cups_size_t size;
  if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size))
    for (const TPrinterPaper& p : caps.Papers)
      if (p.Key == size.media) {
        caps.DefaultPaper = p.Number;
        return;
      }
  if (!caps.Papers.empty() && !caps.FindPaper(caps.DefaultPaper))
    caps.DefaultPaper = caps.Papers.front().Number;
}

} // namespace

TCupsPrintService::TCupsPrintService(const AnsiString& server) : FServer(server) {}

void TCupsPrintService::UseServer()
{
  // CUPS keeps the server per thread; naming it before each use keeps a chosen server
  // (tests start their own) whatever other code set meanwhile.
  if (!FServer.empty())
    cupsSetServer(ToOsFileName(FServer).c_str());
}

std::vector<AnsiString> TCupsPrintService::PrinterNames()
{
  UseServer();
  TDests dests;
  std::vector<AnsiString> names;
  for (int i = 0; i < dests.Count(); ++i)
    if (!dests.At(i)->instance)
      names.push_back(FromUtf8(dests.At(i)->name));
  return names;
}

AnsiString TCupsPrintService::DefaultPrinter()
{
  UseServer();
  TDests dests;
  for (int i = 0; i < dests.Count(); ++i)
    if (dests.At(i)->is_default && !dests.At(i)->instance)
      return FromUtf8(dests.At(i)->name);
  return "";
}

TPrinterCaps TCupsPrintService::Capabilities(const AnsiString& printer)
{
  UseServer();
  TDests dests;
  cups_dest_t* dest = dests.Find(printer);
  if (!dest)
    throw EPrinter("Printer '" + printer + "' does not exist");
  TDestInfo info(dest);
  if (!info.Info())
    RaiseCups("Cannot read the printer '" + printer + "'");
  TPrinterCaps caps;
  ReadMedia(dest, info.Info(), caps);
  ReadBins(dest, info.Info(), caps);
  NumberPapersAndBins(caps);
  ReadDefaults(dest, info.Info(), caps);
  return caps;
}

void TCupsPrintService::PrintPdf(const AnsiString& printer, const AnsiString& pdfFile,
                                 const TPrintJobOptions& options)
{
  UseServer();
  TCupsOptions cupsOptions(options);
  UTF8String name = GbkToUtf8(printer), title = GbkToUtf8(options.Title);
  UTF8String file = ToOsFileName(pdfFile);
  int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.c_str(), file.c_str(), title.c_str(),
                           cupsOptions.Count(), cupsOptions.Options());
  if (job <= 0)
    RaiseCups("Printing on '" + printer + "' failed");
}

void TCupsPrintService::PrintRaw(const AnsiString& printer, const AnsiString& data,
                                 const TPrintJobOptions& options)
{
  UseServer();
  TCupsOptions cupsOptions(options);
  UTF8String name = GbkToUtf8(printer), title = GbkToUtf8(options.Title);
  int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.c_str(), title.c_str(), cupsOptions.Count(),
                          cupsOptions.Options());
  if (job <= 0)
    RaiseCups("Printing on '" + printer + "' failed");
  bool ok = cupsStartDocument(CUPS_HTTP_DEFAULT, name.c_str(), job, title.c_str(), CUPS_FORMAT_RAW,
                              1) == HTTP_STATUS_CONTINUE;
  if (ok && !data.empty())
    ok = cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.data(), data.size()) == HTTP_STATUS_CONTINUE;
  ipp_status_t status = ok ? cupsFinishDocument(CUPS_HTTP_DEFAULT, name.c_str()) : IPP_STATUS_OK;
  if (!ok || status > IPP_STATUS_OK_CONFLICTING) {
    AnsiString reason = FromUtf8(cupsLastErrorString());
    cupsCancelJob2(CUPS_HTTP_DEFAULT, name.c_str(), job, 0);
    throw EPrinter("Printing on '" + printer + "' failed: " + reason);
  }
}
