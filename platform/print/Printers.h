// The system's printers: the list and the default, each printer's papers (by the
// platform's paper numbers), bins, resolution and unprintable margins, and print jobs. A
// print service answers all of it: TCupsPrintService talks to the CUPS server;
// TPdfFolderPrintService is one destination that writes every job's PDF into a folder
// (tests and CI). Jobs are drawn on a PDF surface (TPrintJob) and handed over whole. The
// report library's printer layer (report/engine/frxPrinter.h) stands on this unit.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Surface.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

// A failed printer call: the message carries the server's reason.
QH_DECLARE_EXCEPTION(EPrinter, Exception);

// ---- The platform's paper kinds ----

// A paper kind: its platform number and its size in tenths of a millimetre, portrait.
struct TPaperKind {
  Integer Number;
  Integer Width;
  Integer Height;
};
// The 66 standard paper kinds in number order (9 is A4; 48 and 49 do not exist).
const std::vector<TPaperKind>& PaperKinds();
// The kind of a number; null when there is none.
const TPaperKind* FindPaperKind(Integer number);
// The kind whose size matches width x height (tenths of a millimetre, either way round)
// within 1 mm; the lowest number wins. Null when none does.
const TPaperKind* MatchPaperKind(Integer width, Integer height);

// Paper and bin numbers with a meaning of their own.
constexpr Integer DMPAPER_A4 = 9;
constexpr Integer DMPAPER_USER = 256; // a custom size
constexpr Integer DMBIN_UPPER = 1;
constexpr Integer DMBIN_LOWER = 2;
constexpr Integer DMBIN_MANUAL = 4;
constexpr Integer DMBIN_AUTO = 7; // the printer chooses
constexpr Integer DMBIN_USER = 256;
// Duplex codes.
constexpr Integer DMDUP_SIMPLEX = 1;
constexpr Integer DMDUP_VERTICAL = 2;   // long edge
constexpr Integer DMDUP_HORIZONTAL = 3; // short edge
// Orientations.
constexpr Integer DMORIENT_PORTRAIT = 1;
constexpr Integer DMORIENT_LANDSCAPE = 2;

// ---- What a printer offers ----

// A paper a printer takes. Sizes and margins in hundredths of a millimetre, portrait.
struct TPrinterPaper {
  AnsiString Name; // shown to the user (GBK)
  AnsiString Key;  // the service's own name ("iso_a4_210x297mm")
  Integer Number = 0;
  Integer Width = 0;
  Integer Height = 0;
  Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// A paper source.
struct TPrinterBin {
  AnsiString Name;
  AnsiString Key; // "auto", "manual", "tray-1" ...
  Integer Number = 0;
};

struct TPrinterCaps {
  Integer DpiX = 600;
  Integer DpiY = 600;
  // The default paper's number (an entry of Papers), and whether the printer is set to
  // landscape by default.
  Integer DefaultPaper = DMPAPER_A4;
  bool DefaultLandscape = false;
  // Papers in the service's order, numbered: the standard kinds by size, the others from
  // 257 upward. At most 256 entries.
  std::vector<TPrinterPaper> Papers;
  // Bins, numbered: auto 7, manual 4, upper or tray-1 1, lower or tray-2 2, the others
  // from 257 upward. At most 256 entries.
  std::vector<TPrinterBin> Bins;

  const TPrinterPaper* FindPaper(Integer number) const;
  const TPrinterBin* FindBin(Integer number) const;
};

// Numbers the papers and bins of a printer by the rules above (Number fields are
// overwritten) and keeps at most 256 of each.
void NumberPapersAndBins(TPrinterCaps& caps);

// ---- Jobs ----

enum TPrintSides { psOneSided, psTwoSidedLongEdge, psTwoSidedShortEdge };

// The options of one submitted document.
struct TPrintJobOptions {
  AnsiString Title;
  Integer Copies = 1;
  // Copies of each page printed together (1 1 1 2 2 2) instead of whole sets; the print
  // walk repeats the pages itself when it wants collated sets.
  bool UncollatedCopies = false;
  TPrintSides Sides = psOneSided;
  AnsiString MediaSource; // a bin's key; "" for the printer's choice
};

// One print service: the system's (CUPS) or a stand-in.
class TPrintService : public TObject {
public:
  // The printers' names (GBK), in the service's order.
  virtual std::vector<AnsiString> PrinterNames() = 0;
  // The default printer's name; "" when the service names none.
  virtual AnsiString DefaultPrinter() = 0;
  // What a printer offers; raises EPrinter when it cannot be asked.
  virtual TPrinterCaps Capabilities(const AnsiString& printer) = 0;
  // Prints a PDF file; raises EPrinter when the printer refuses the job.
  virtual void PrintPdf(const AnsiString& printer, const AnsiString& pdfFile,
                        const TPrintJobOptions& options) = 0;
  // Sends bytes to the printer unchanged (printer-ready data); raises EPrinter.
  virtual void PrintRaw(const AnsiString& printer, const AnsiString& data,
                        const TPrintJobOptions& options) = 0;
};

// The service the program prints through: set by SetPrintService, else a TPdfFolderPrintService
// when $QHWBP_PRINT_DIR names a folder, else CUPS.
TPrintService* PrintService();
// Replaces the service (tests); null goes back to the default choice.
void SetPrintService(std::unique_ptr<TPrintService> service);

// Printers of a CUPS server. Server: a host name or a local socket's path; "" takes the
// user's configured server.
class TCupsPrintService final : public TPrintService {
public:
  explicit TCupsPrintService(const AnsiString& server = "");
  std::vector<AnsiString> PrinterNames() override;
  AnsiString DefaultPrinter() override;
  TPrinterCaps Capabilities(const AnsiString& printer) override;
  void PrintPdf(const AnsiString& printer, const AnsiString& pdfFile,
                const TPrintJobOptions& options) override;
  void PrintRaw(const AnsiString& printer, const AnsiString& data,
                const TPrintJobOptions& options) override;

private:
  void UseServer();
  AnsiString FServer;
};

// One printer named Name that takes every standard paper (printable to the edges, 600 dpi)
// and the bins auto, manual, tray-1 and tray-2. Job n (from 1) is written to the folder as
// job-n.pdf (or job-n.prn for raw data) with job-n.txt beside it listing its options, one
// "name=value" a line: title, copies, uncollated, sides, media-source, format.
class TPdfFolderPrintService final : public TPrintService {
public:
  TPdfFolderPrintService(const AnsiString& folder, const AnsiString& name = "PDF");
  std::vector<AnsiString> PrinterNames() override;
  AnsiString DefaultPrinter() override;
  TPrinterCaps Capabilities(const AnsiString& printer) override;
  void PrintPdf(const AnsiString& printer, const AnsiString& pdfFile,
                const TPrintJobOptions& options) override;
  void PrintRaw(const AnsiString& printer, const AnsiString& data,
                const TPrintJobOptions& options) override;

  const AnsiString& Folder() const { return FFolder; }
  // Jobs written so far.
  Integer JobCount() const { return FJobs; }

private:
  AnsiString NextJobName(const AnsiString& extension, const AnsiString& printer,
                         const TPrintJobOptions& options, const AnsiString& format);
  AnsiString FFolder;
  AnsiString FName;
  Integer FJobs = 0;
};

// A vector print job: pages are drawn on a PDF surface at the printer's resolution, each
// page with its own media, and the document goes to the printer (or to a file) at Finish.
// A change of paper source between pages starts a new document, so each part is printed
// from its own bin. A job that is neither finished nor aborted is aborted when destroyed.
class TPrintJob {
public:
  // OutputFile not empty: the PDF is written there instead of being printed.
  TPrintJob(TPrintService* service, const AnsiString& printer, const TPrintJobOptions& options,
            const AnsiString& outputFile);
  ~TPrintJob();
  TPrintJob(const TPrintJob&) = delete;
  TPrintJob& operator=(const TPrintJob&) = delete;

  // Starts a page on media at dpi, printed from the given source and with the given copy
  // count and sides; returns the surface to draw it on (valid until the next StartPage,
  // Finish or Abort).
  TSurface* StartPage(const TPageMedia& media, Integer dpi, const AnsiString& mediaSource,
                      Integer copies, TPrintSides sides);
  void EndPage();
  // Writes the document(s) and submits them; raises EPrinter (after removing what is left)
  // when a part cannot be written or is refused.
  void Finish();
  // Drops everything; Finish and Abort do nothing afterwards.
  void Abort();
  // Pages started so far.
  Integer PageCount() const { return FPages; }
  bool Active() const { return !FDone; }

private:
  struct TPart {
    AnsiString FileName;
    TPrintJobOptions Options;
  };
  void ClosePart();
  void RemoveFiles();

  TPrintService* FService;
  AnsiString FPrinter;
  TPrintJobOptions FOptions;
  AnsiString FOutputFile;
  std::vector<TPart> FParts;
  std::unique_ptr<TVectorSurface> FSurface;
  Integer FPages = 0;
  bool FInPage = false;
  bool FDone = false;
};

// The print library's units in the system's unit order.
void RegisterPrintUnits();
