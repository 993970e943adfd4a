// The report library's printers: the program-wide list of the system's printers with the
// current one, each printer's papers, bins, resolution and margins, its canvas and the print
// job, all over the print service of platform/print. With no printer at all one virtual
// printer stands in (a paper table, 600 dpi, 5 mm margins; it prints nothing). The print
// walk that uses it is TfrxPreviewPages::PrintPages (frxPreviewPages.h).
#pragma once

#include <memory>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Classes.h"

class TfrxCustomPrinter;
class TSurface;
class TPrintJob;
struct TPrinterCaps;

// The paper size of a standard paper kind in millimetres (portrait); Width and Height are
// left as they are for a number that is not in the table.
void PaperSizeOf(Integer PaperSize, Extended& Width, Extended& Height);

// A printer's canvas: the fonts it draws with are sized for the printer's vertical
// resolution.
class TfrxPrinterCanvas : public TCanvas {
public:
  explicit TfrxPrinterCanvas(TfrxCustomPrinter* APrinter) : FPrinter(APrinter) {}
  // Sets the font's pixels per inch to the printer's vertical resolution, keeping its size.
  void UpdateFont();
  TfrxCustomPrinter* Printer() const { return FPrinter; }

private:
  TfrxCustomPrinter* FPrinter;
};

class TfrxCustomPrinter : public TObject {
public:
  TfrxCustomPrinter(const AnsiString& AName, const AnsiString& APort);
  ~TfrxCustomPrinter() override;

  virtual void Init() = 0;
  virtual void Abort() = 0;
  virtual void BeginDoc() = 0;
  virtual void BeginPage() = 0;
  virtual void BeginRAWDoc() = 0;
  virtual void EndDoc() = 0;
  virtual void EndPage() = 0;
  virtual void EndRAWDoc() = 0;
  virtual void WriteRAWDoc(const AnsiString& Buf) = 0;
  // Paper and margins for layout. Width and Height (mm) count only for the custom paper 256.
  virtual void SetViewParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                             Extended APaperHeight) = 0;
  // The set-up of the next printed page: bin, the copies the printer makes of it, and the
  // duplex code (1 simplex, 2 long edge, 3 short edge).
  virtual void SetPrintParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                              Extended APaperHeight, Integer ABin, Integer ACopies,
                              Integer ADuplex) = 0;
  virtual void PropertiesDlg() = 0;

  // Positions in Bins / Papers; -1 when absent.
  Integer BinIndex(Integer ABin) const;
  Integer PaperIndex(Integer APaper) const;
  // The number stored for a name; the first entry's number for an unknown name.
  Integer BinNameToNumber(const AnsiString& ABin) const;
  Integer PaperNameToNumber(const AnsiString& APaper) const;

  Integer Bin() const { return FBin; }
  void SetBin(Integer Value) { FBin = Value; }
  TStrings* Bins() const { return FBins.get(); }
  TfrxPrinterCanvas* Canvas() const { return FCanvas.get(); }
  bool DefaultOrientation() const { return FDefOrientation; }
  Integer DefaultPaper() const { return FDefPaper; }
  Extended DefaultPaperHeight() const { return FDefPaperHeight; }
  Extended DefaultPaperWidth() const { return FDefPaperWidth; }
  TPoint DPI() const { return FDPI; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  bool Initialized() const { return FInitialized; }
  const AnsiString& Name() const { return FName; }
  Integer Paper() const { return FPaper; }
  TStrings* Papers() const { return FPapers.get(); }
  Extended PaperHeight() const { return FPaperHeight; }
  Extended PaperWidth() const { return FPaperWidth; }
  Extended LeftMargin() const { return FLeftMargin; }
  Extended TopMargin() const { return FTopMargin; }
  Extended RightMargin() const { return FRightMargin; }
  Extended BottomMargin() const { return FBottomMargin; }
  bool Orientation() const { return FOrientation; }
  const AnsiString& Port() const { return FPort; }
  bool Printing() const { return FPrinting; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value) { FTitle = Value; }

protected:
  Integer FBin = -1;
  std::unique_ptr<TStringList> FBins;
  std::unique_ptr<TfrxPrinterCanvas> FCanvas;
  bool FDefOrientation = false;
  Integer FDefPaper = 9;
  Extended FDefPaperHeight = 297;
  Extended FDefPaperWidth = 210;
  TPoint FDPI{600, 600};
  AnsiString FFileName;
  bool FInitialized = false;
  AnsiString FName;
  Integer FPaper = 9;
  std::unique_ptr<TStringList> FPapers;
  Extended FPaperHeight = 297;
  Extended FPaperWidth = 210;
  Extended FLeftMargin = 0;
  Extended FTopMargin = 0;
  Extended FRightMargin = 0;
  Extended FBottomMargin = 0;
  bool FOrientation = false;
  AnsiString FPort;
  bool FPrinting = false;
  AnsiString FTitle;
};

// A printer of the system's print service. Jobs are drawn as PDF at the printer's
// resolution and handed to the service at EndDoc (or written to FileName). Every job call
// that fails aborts the job and raises EPrinter with the service's reason.
class TfrxPrinter : public TfrxCustomPrinter {
public:
  TfrxPrinter(const AnsiString& AName, const AnsiString& APort);
  ~TfrxPrinter() override;

  void Init() override;
  void Abort() override;
  void BeginDoc() override;
  void BeginPage() override;
  void BeginRAWDoc() override;
  void EndDoc() override;
  void EndPage() override;
  void EndRAWDoc() override;
  void WriteRAWDoc(const AnsiString& Buf) override;
  void SetViewParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                     Extended APaperHeight) override;
  void SetPrintParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                      Extended APaperHeight, Integer ABin, Integer ACopies,
                      Integer ADuplex) override;
  // There is no driver dialog on this platform; the bin is chosen in the print dialog.
  void PropertiesDlg() override {}

  // The page geometry of a paper without touching the printer's own settings (for the page
  // settings dialog): width, height and margins in millimetres, orientation applied.
  void QueryGeometry(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                     Extended APaperHeight, Extended& Width, Extended& Height, Extended& Left,
                     Extended& Top, Extended& Right, Extended& Bottom);

private:
  struct TGeometry;
  TGeometry Geometry(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                     Extended APaperHeight) const;
  void Apply(const TGeometry& G, Integer APaperSize, bool AOrientation);
  void RecreateContext();

  std::unique_ptr<TPrinterCaps> FCaps;
  std::unique_ptr<TSurface> FInfoContext;
  std::unique_ptr<TPrintJob> FJob;
  AnsiString FRawData;
  bool FRawOpen = false;
  // The set-up of the next printed page.
  AnsiString FPageSource;
  Integer FPageCopies = 1;
  Integer FPageDuplex = 1;
};

class TfrxVirtualPrinter : public TfrxCustomPrinter {
public:
  TfrxVirtualPrinter(const AnsiString& AName, const AnsiString& APort);
  ~TfrxVirtualPrinter() override;
  void Init() override;
  void Abort() override {}
  void BeginDoc() override {}
  void BeginPage() override {}
  void BeginRAWDoc() override {}
  void EndDoc() override {}
  void EndPage() override {}
  void EndRAWDoc() override {}
  void WriteRAWDoc(const AnsiString&) override {}
  void SetViewParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                     Extended APaperHeight) override;
  void SetPrintParams(Integer APaperSize, bool AOrientation, Extended APaperWidth,
                      Extended APaperHeight, Integer ABin, Integer ACopies,
                      Integer ADuplex) override;
  void PropertiesDlg() override {}

private:
  std::unique_ptr<TSurface> FInfoContext;
};

class TfrxPrinters : public TObject {
public:
  // Fills the list from the print service. The service's default printer becomes current;
  // when it names none or one that is not in the list, the first printer does. Without
  // printers a virtual printer stands in.
  TfrxPrinters();
  ~TfrxPrinters() override;

  TfrxCustomPrinter* Items(Integer Index) const;
  Integer Count() const;
  // The first printer of that name, ignoring case; -1 when none.
  Integer IndexOf(const AnsiString& AName) const;
  // Makes a printer current and reads it (Init); -1 leaves none current.
  void SelectIndex(Integer Value);
  // The current printer; raises EListError when none is current.
  TfrxCustomPrinter* CurrentPrinter() const;
  Integer CurrentIndex() const { return FCurrentIndex; }
  bool PhysicalPrintersFound() const { return FPhysicalPrintersFound; }
  TStrings* PrinterNames() const { return FPrinterNames.get(); }

private:
  bool FPhysicalPrintersFound = false;
  std::unique_ptr<TStringList> FPrinterNames;
  Integer FCurrentIndex = -1;
  std::vector<std::unique_ptr<TfrxCustomPrinter>> FPrinters;
};

// The program-wide printer list, made on first use.
TfrxPrinters* GlobalPrinters();
// Frees the list; the next use reads the print service again (after the service changed).
void ResetGlobalPrinters();

// The frxPrinter unit's start-up and shut-down (EngineUnits.cpp).
void PrinterFinalization();
