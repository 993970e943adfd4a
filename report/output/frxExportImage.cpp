// The image export filters; see frxExportImage.h.
#include "report/output/frxExportImage.h"

#include <algorithm>

#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxRes.h"
#include "report/output/frxExportDialogs.h"
#include "report/output/frxExportUtils.h"

void RegisterImageExportClasses()
{
  using J = TfrxJPEGExport;
  TClassRegistration<TfrxJPEGExport, TfrxCustomExportFilter>("TfrxJPEGExport")
      .Property("JPEGQuality", &J::JPEGQuality, &J::SetJPEGQuality)
      .Default(90)
      .Property("CropImages", &J::CropImages, &J::SetCropImages)
      .Default(true)
      .Property("Monochrome", &J::Monochrome, &J::SetMonochrome)
      .Default(false);
}

// ---------------------------------------------------------------------------------------
// TfrxCustomImageExport

TfrxCustomImageExport::TfrxCustomImageExport(TComponent* AOwner) : TfrxCustomExportFilter(AOwner) {}

TfrxCustomImageExport::~TfrxCustomImageExport() = default;

bool TfrxCustomImageExport::BeginExport()
{
  SetCurPage(false);
  FPageCount = 0;
  return !FFileName.empty();
}

void TfrxCustomImageExport::BeginPage(TfrxComponent* Page, Integer)
{
  ++FPageCount;
  const auto w = static_cast<Integer>(Round(Page->Width()));
  const auto h = static_cast<Integer>(Round(Page->Height()));
  FBitmap = std::make_unique<TBitmap>();
  FBitmap->Canvas()->Brush()->SetColor(clWhite);
  FBitmap->SetSize(std::max(w, 1), std::max(h, 1));
  FLeft = w;
  FTop = h;
  FRight = 0;
  FBottom = 0;
}

void TfrxCustomImageExport::WriteObject(TfrxComponent* Obj)
{
  auto* view = dynamic_cast<TfrxView*>(Obj);
  if (!view || !FBitmap)
    return;
  frxFitExportObject(view);
  const Extended l = view->AbsLeft(), t = view->AbsTop();
  const Extended r = l + view->Width(), b = t + view->Height();
  if (l < FLeft)
    FLeft = static_cast<Integer>(Round(l));
  if (t < FTop)
    FTop = static_cast<Integer>(Round(t));
  if (FRight < r)
    FRight = static_cast<Integer>(Round(r)) + 1;
  if (FBottom < b)
    FBottom = static_cast<Integer>(Round(b)) + 1;
  view->Draw(FBitmap->Canvas(), 1, 1, 0, 0);
}

void TfrxCustomImageExport::EndPage(TfrxComponent*, Integer)
{
  if (!FBitmap)
    return;
  std::unique_ptr<TBitmap> bitmap = std::move(FBitmap);
  // The crop box stays inside the page; a page with nothing on it is saved whole.
  const Integer left = std::max(FLeft, 0), top = std::max(FTop, 0);
  const Integer right = std::min(FRight, bitmap->Width());
  const Integer bottom = std::min(FBottom, bitmap->Height());
  if (FCropImages && right > left && bottom > top &&
      (left > 0 || top > 0 || right < bitmap->Width() || bottom < bitmap->Height())) {
    auto cropped = std::make_unique<TBitmap>(right - left, bottom - top);
    cropped->Canvas()->CopyRect(TRect{0, 0, right - left, bottom - top}, bitmap->Canvas(),
                                TRect{left, top, right, bottom});
    bitmap = std::move(cropped);
  }
  if (FMonochrome) {
    // Pure black and white by luminance (pixels are 0xAARRGGBB).
    TImageSurface& surface = bitmap->Surface();
    std::uint32_t* bits = surface.Bits();
    const size_t count = static_cast<size_t>(bitmap->Width()) * bitmap->Height();
    for (size_t i = 0; i < count; ++i) {
      const std::uint32_t p = bits[i];
      const std::uint32_t lum =
          (((p >> 16) & 255) * 299 + ((p >> 8) & 255) * 587 + (p & 255) * 114) / 1000;
      bits[i] = lum < 128 ? 0xFF000000u : 0xFFFFFFFFu;
    }
  }
  FBitmap = std::move(bitmap);
  try {
    SaveImage();
  } catch (...) {
    FBitmap.reset();
    throw;
  }
  FBitmap.reset();
}

// ---------------------------------------------------------------------------------------
// TfrxJPEGExport

TfrxJPEGExport::TfrxJPEGExport(TComponent* AOwner) : TfrxCustomImageExport(AOwner) {}

AnsiString TfrxJPEGExport::FilterCaption()
{
  return ReportResources()->Lookup("JPEGexport");
}

Integer TfrxJPEGExport::ShowOptionsDialog()
{
  TfrxIMGExportDialog dialog(nullptr);
  dialog.SaveDialog1->SetFilter(ReportResources()->Lookup("JPEGexportFilter"));
  dialog.SaveDialog1->SetDefaultExt(".jpg");
  dialog.Quality->SetText(IntToStr(JPEGQuality()));
  dialog.CropPage->SetChecked(CropImages());
  dialog.Mono->SetChecked(Monochrome());
  AnsiString name = FileName();
  const Integer result = dialog.Execute(this, name, [&] {
    // A quality that is no whole number raises the conversion error.
    SetJPEGQuality(StrToInt(dialog.Quality->Text()));
    SetCropImages(dialog.CropPage->Checked());
    SetMonochrome(dialog.Mono->Checked());
  });
  if (result == mrOk)
    SetFileName(name);
  return result;
}

AnsiString TfrxJPEGExport::PageFileName(Integer N) const
{
  return ChangeFileExt(FileName(), "." + IntToStr(N) + ".jpg");
}

void TfrxJPEGExport::SaveImage()
{
  TJPEGImage jpeg;
  jpeg.SetCompressionQuality(JPEGQuality());
  jpeg.Assign(FBitmap.get());
  jpeg.SetGrayscale(Monochrome());
  frxWriteFileReplacing(PageFileName(FPageCount), jpeg.Data());
}
