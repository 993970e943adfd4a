// The image export filters: every exported page rendered at one pixel per report pixel,
// optionally cropped to the area its objects cover, and saved as a file of its own. The
// JPEG filter names the files after the chosen one: report.jpg gives report.1.jpg,
// report.2.jpg and so on. Creating one enters it in the export filter registry.
#pragma once

#include <memory>

#include "report/engine/frxClass.h"

class TBitmap;

class TfrxCustomImageExport : public TfrxCustomExportFilter {
public:
  explicit TfrxCustomImageExport(TComponent* AOwner);
  ~TfrxCustomImageExport() override;

  // False without a file name.
  bool BeginExport() override;
  // A white page of the page's size.
  void BeginPage(TfrxComponent* Page, Integer Index) override;
  // Every view, the page background included, drawn where it lies on the paper.
  void WriteObject(TfrxComponent* Obj) override;
  // Crops when asked and saves the page.
  void EndPage(TfrxComponent* Page, Integer Index) override;

  bool CropImages() const { return FCropImages; }
  void SetCropImages(bool Value) { FCropImages = Value; }
  Integer JPEGQuality() const { return FJPEGQuality; }
  void SetJPEGQuality(Integer Value) { FJPEGQuality = Value; }
  bool Monochrome() const { return FMonochrome; }
  void SetMonochrome(bool Value) { FMonochrome = Value; }
  // Set by the options dialog (there is no published file name).
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }

protected:
  // Writes the current page's bitmap.
  virtual void SaveImage() = 0;

  Integer FPageCount = 0;
  std::unique_ptr<TBitmap> FBitmap;

private:
  bool FCropImages = true;
  Integer FJPEGQuality = 90;
  bool FMonochrome = false;
  AnsiString FFileName;
  Integer FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
};

class TfrxJPEGExport : public TfrxCustomImageExport {
public:
  explicit TfrxJPEGExport(TComponent* AOwner);

  AnsiString FilterCaption() override;
  Integer ShowOptionsDialog() override;

  // The file of page N (from 1): the file name with its extension replaced by ".N.jpg".
  AnsiString PageFileName(Integer N) const;

protected:
  void SaveImage() override;
};

void RegisterImageExportClasses();
