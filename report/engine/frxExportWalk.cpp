// The export walk; see frxExportWalk.h.
#include "report/engine/frxExportWalk.h"

#include <exception>
#include <memory>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/Forms.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxUtils.h"

namespace {

constexpr Extended frxMMToPixels = 3.77953L;

// Runs the closing step of a stage; after a failure of the stage its own failure is
// dropped and the first one goes on.
template <class F> void Finish(std::exception_ptr Failure, F Step)
{
  if (!Failure) {
    Step();
    return;
  }
  try {
    Step();
  } catch (...) {
  }
  std::rethrow_exception(Failure);
}

void WritePage(TfrxCustomPreviewPages* Pages, TfrxCustomExportFilter* Filter, TfrxReportPage* page,
               Integer Index);

// One page through the filter. The page stays in the store's cache, so its position goes
// back to 0 for the preview afterwards.
void ExportPage(TfrxCustomPreviewPages* Pages, TfrxCustomExportFilter* Filter, Integer Index)
{
  TfrxReport* report = Pages->Report();
  auto* page = dynamic_cast<TfrxReportPage*>(Pages->BuildPage(Index));
  if (!page)
    return;
  report->StepProgress(ptExporting, Index + 1);
  Filter->BeginPage(page, Index);
  std::exception_ptr failure;
  try {
    WritePage(Pages, Filter, page, Index);
  } catch (...) {
    failure = std::current_exception();
  }
  page->SetLeft(0);
  page->SetTop(0);
  Finish(failure, [&] { Filter->EndPage(page, Index); });
}

void WritePage(TfrxCustomPreviewPages* Pages, TfrxCustomExportFilter* Filter, TfrxReportPage* page,
               Integer Index)
{
  const bool mirrored = page->MirrorMargins() && Index % 2 == 1;
  page->SetLeft((mirrored ? page->RightMargin() : page->LeftMargin()) * frxMMToPixels);
  page->SetTop(page->TopMargin() * frxMMToPixels);

  auto background = std::make_unique<TfrxPictureView>(nullptr);
  background->SetName("_pagebackground");
  background->SetColor(page->Color());
  background->SetFrame(page->Frame());
  if (page->BackPicture())
    background->Picture()->Assign(page->BackPicture());
  background->SetStretched(true);
  background->SetKeepAspectRatio(false);
  background->SetBounds(page->Left(), page->Top(),
                        page->Width() - (page->LeftMargin() + page->RightMargin()) * frxMMToPixels,
                        page->Height() -
                            (page->TopMargin() + page->BottomMargin()) * frxMMToPixels);
  Filter->WriteObject(background.get());

  const Integer total = Pages->PageCount();
  TList* all = page->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* obj = static_cast<TfrxComponent*>(all->Items(i));
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(obj)) {
      if (memo->Highlight()->Active())
        memo->SetFont(memo->Highlight()->Font());
      memo->SetTotalPages(total);
      const AnsiString text = memo->Text();
      const size_t at = text.find("[TOTALPAGES#]");
      if (at != AnsiString::npos)
        memo->SetText(text.substr(0, at) + IntToStr(total) + text.substr(at + 13));
    }
    Filter->WriteObject(obj);
  }
}

} // namespace

bool frxExportPages(TfrxCustomPreviewPages* Pages, TfrxCustomExportFilter* Filter)
{
  if (!Filter || !Pages)
    return false;
  TfrxReport* report = Pages->Report();
  Filter->SetReport(report);
  if (Filter->ShowDialog() && Filter->ShowOptionsDialog() != 1)
    return false;
  if (Filter->CurPage())
    Filter->SetPageNumbers(report && report->Preview() ? IntToStr(Pages->CurPreviewPage())
                                                       : AnsiString("1"));
  if (report)
    report->SetTerminated(false);
  TStringList pageList;
  ParsePageNumbers(Filter->PageNumbers(), &pageList, Pages->PageCount());
  if (!Filter->BeginExport())
    return false;

  TfrxCustomPreview* preview = report ? report->Preview() : nullptr;
  if (preview) {
    preview->ResetFromReport();
    preview->Freeze();
  }
  if (report)
    report->BeginProgress(ptExporting);
  std::exception_ptr failure;
  try {
    for (Integer i = 0; i < Pages->PageCount(); ++i) {
      if (pageList.Count() > 0 && pageList.IndexOf(IntToStr(i + 1)) < 0)
        continue;
      ExportPage(Pages, Filter, i);
      if (report && report->Terminated())
        break;
      if (Application())
        Application()->ProcessMessages();
    }
  } catch (...) {
    failure = std::current_exception();
  }
  if (preview)
    preview->Thaw();
  std::exception_ptr endFailure;
  try {
    Filter->EndExport();
  } catch (...) {
    endFailure = std::current_exception();
  }
  if (report)
    report->EndProgress(ptExporting);
  if (failure)
    std::rethrow_exception(failure);
  if (endFailure)
    std::rethrow_exception(endFailure);
  return true;
}
