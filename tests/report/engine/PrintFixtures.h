// Print services for the printer and print-walk tests: a configurable fake that records
// the jobs it is handed (and can refuse them), and a scope that installs a service and
// makes the printer list read it again.
#pragma once

#include <memory>
#include <vector>

#include "platform/print/Printers.h"
#include "report/engine/frxPrinter.h"

class TFakePrintService : public TPrintService {
public:
  struct TJob {
    AnsiString Printer;
    AnsiString Pdf; // the file's bytes
    TPrintJobOptions Options;
  };

  std::vector<AnsiString> Names = {"Office", "Labels"};
  AnsiString Default = "Labels";
  TPrinterCaps Caps;
  bool RefuseJobs = false;
  std::vector<TJob> Jobs;
  std::vector<AnsiString> RawJobs;

  TFakePrintService()
  {
    // A4 and a 100 x 150 label with 4 mm margins (6 mm at the bottom); two trays.
    Caps.DpiX = Caps.DpiY = 300;
    Caps.Papers = {{"A4", "iso_a4_210x297mm", 0, 21000, 29700, 400, 400, 400, 600},
                   {"Label", "oe_label_100x150mm", 0, 10000, 15000, 200, 200, 200, 200}};
    Caps.Bins = {{"Automatic", "auto"}, {"Tray 1", "tray-1"}, {"Manual", "manual"}};
    NumberPapersAndBins(Caps);
  }
  std::vector<AnsiString> PrinterNames() override { return Names; }
  AnsiString DefaultPrinter() override { return Default; }
  TPrinterCaps Capabilities(const AnsiString& printer) override { return Caps; }
  void PrintPdf(const AnsiString& printer, const AnsiString& pdfFile,
                const TPrintJobOptions& options) override
  {
    if (RefuseJobs)
      throw EPrinter("Printing on '" + printer + "' failed: the queue is stopped");
    TFileStream f(pdfFile, fmOpenRead);
    AnsiString bytes(static_cast<size_t>(f.Size()), '\0');
    f.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    Jobs.push_back({printer, bytes, options});
  }
  void PrintRaw(const AnsiString& printer, const AnsiString& data,
                const TPrintJobOptions& options) override
  {
    if (RefuseJobs)
      throw EPrinter("refused");
    RawJobs.push_back(data);
  }
};

// Installs a service for the printer list while it lives.
class TPrintServiceScope {
public:
  explicit TPrintServiceScope(std::unique_ptr<TPrintService> service) : FService(service.get())
  {
    SetPrintService(std::move(service));
    ResetGlobalPrinters();
  }
  ~TPrintServiceScope()
  {
    ResetGlobalPrinters();
    SetPrintService(nullptr);
  }
  TPrintServiceScope(const TPrintServiceScope&) = delete;
  TPrintServiceScope& operator=(const TPrintServiceScope&) = delete;
  TPrintService* Service() const { return FService; }

private:
  TPrintService* FService;
};

// No printers at all.
class TNoPrintService : public TPrintService {
public:
  std::vector<AnsiString> PrinterNames() override { return {}; }
  AnsiString DefaultPrinter() override { return ""; }
  TPrinterCaps Capabilities(const AnsiString& printer) override { throw EPrinter("no printer"); }
  void PrintPdf(const AnsiString&, const AnsiString&, const TPrintJobOptions&) override
  {
    throw EPrinter("no printer");
  }
  void PrintRaw(const AnsiString&, const AnsiString&, const TPrintJobOptions&) override
  {
    throw EPrinter("no printer");
  }
};
