// The PDF export filter: writes prepared pages to a PDF file through the document writer
// (frxPDFFile.h). Creating one enters it in the export filter registry.
#pragma once

#include <memory>

#include "report/engine/frxClass.h"

class TfrxPDFFile;
class TfrxPDFPage;

class TfrxPDFExport : public TfrxCustomExportFilter {
public:
  explicit TfrxPDFExport(TComponent* AOwner);
  ~TfrxPDFExport() override;

  AnsiString FilterCaption() override;
  Integer ShowOptionsDialog() override;
  // False without a file name.
  bool BeginExport() override;
  void BeginPage(TfrxComponent* Page, Integer Index) override;
  // Views other than the page background go to the current page.
  void WriteObject(TfrxComponent* Obj) override;
  // Writes the file (replacing one that exists) and opens it when asked.
  void EndExport() override;

  bool Compressed() const { return FCompressed; }
  void SetCompressed(bool Value) { FCompressed = Value; }
  bool EmbeddedFonts() const { return FEmbeddedFonts; }
  void SetEmbeddedFonts(bool Value) { FEmbeddedFonts = Value; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  bool OpenAfterExport() const { return FOpenAfterExport; }
  void SetOpenAfterExport(bool Value) { FOpenAfterExport = Value; }

private:
  bool FCompressed = true;
  bool FEmbeddedFonts = false;
  AnsiString FFileName;
  bool FOpenAfterExport = false;
  std::unique_ptr<TfrxPDFFile> FPDF;
  TfrxPDFPage* FPage = nullptr;
};

void RegisterPDFExportClasses();
