// Prepared pages as output: drawing a page on any canvas, hit testing in the preview,
// the print walk through the printer list (frxPrinter.h) and the export walk through an
// export filter. The page store itself is frxPreviewPages.cpp.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Surface.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ShellAPI.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxPrinter.h"
#include "report/engine/frxXML.h"

namespace {

constexpr Extended MMToPixels = 3.77953L;

TfrxPrintDialogFunc GPrintDialog = nullptr;

Integer RoundInt(Extended Value)
{
  return static_cast<Integer>(std::nearbyint(Value));
}

// Swaps a page's left and right margins for as long as it lives, when the page mirrors its
// margins and is an even-numbered one (odd index).
class TMirrorScope {
public:
  TMirrorScope(TfrxReportPage* Page, Integer Index)
      : FPage(Page && Page->MirrorMargins() && Index % 2 == 1 ? Page : nullptr)
  {
    Swap();
  }
  ~TMirrorScope() { Swap(); }
  TMirrorScope(const TMirrorScope&) = delete;
  TMirrorScope& operator=(const TMirrorScope&) = delete;

private:
  void Swap()
  {
    if (!FPage)
      return;
    Extended l = FPage->LeftMargin();
    FPage->SetLeftMargin(FPage->RightMargin());
    FPage->SetRightMargin(l);
  }
  TfrxReportPage* FPage;
};

bool InPageList(TStrings* List, Integer PageNo)
{
  return List->Count() == 0 || List->IndexOf(IntToStr(PageNo)) != -1;
}

void ProcessPendingMessages()
{
  if (TApplication* app = Application())
    app->ProcessMessages();
}

} // namespace

void SetPrintDialogFunc(TfrxPrintDialogFunc Func)
{
  GPrintDialog = Func;
}

// ---- Drawing ----

void TfrxPreviewPages::DrawPage(Integer Index, TCanvas* Canvas, Extended ScaleX, Extended ScaleY,
                                Extended OffsetX, Extended OffsetY)
{
  auto* page = dynamic_cast<TfrxReportPage*>(BuildPage(Index));
  if (!page || !Canvas)
    return;
  TMirrorScope mirror(page, Index);
  page->DrawBackground(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  OffsetX += page->LeftMargin() * MMToPixels * ScaleX;
  OffsetY += page->TopMargin() * MMToPixels * ScaleY;
  TSurface* surface = Canvas->Surface();
  bool printing = surface && surface->IsPrinter() && surface->Kind() == skVector;
  bool recording = surface && surface->Kind() == skRecording;
  Integer ox = RoundInt(OffsetX), oy = RoundInt(OffsetY);
  TList* objects = page->AllObjects();
  for (Integer i = 0; i < objects->Count(); ++i) {
    auto* view = dynamic_cast<TfrxView*>(static_cast<TfrxComponent*>(objects->Items(i)));
    if (!view || (printing && !view->Printable()))
      continue;
    TRect r(RoundInt(view->AbsLeft() * ScaleX) - 20, RoundInt(view->AbsTop() * ScaleY) - 20,
            RoundInt((view->AbsLeft() + view->Width()) * ScaleX + 20),
            RoundInt((view->AbsTop() + view->Height()) * ScaleY + 20));
    OffsetRect(r, ox, oy);
    if (!recording && !Canvas->RectVisible(r))
      continue;
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(view))
      memo->SetTotalPages(PageCount());
    view->Draw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  }
}

// ---- Hit testing ----

namespace {

// The last view of the page whose rectangle at Zoom, moved by the offsets, holds (X, Y).
TfrxView* ViewAt(TfrxComponent* Page, Integer X, Integer Y, Extended Zoom, Extended OffsetX,
                 Extended OffsetY)
{
  TList* objects = Page->AllObjects();
  Integer ox = RoundInt(OffsetX), oy = RoundInt(OffsetY);
  for (Integer i = objects->Count() - 1; i >= 0; --i) {
    auto* view = dynamic_cast<TfrxView*>(static_cast<TfrxComponent*>(objects->Items(i)));
    if (!view)
      continue;
    TRect r(RoundInt(view->AbsLeft() * Zoom), RoundInt(view->AbsTop() * Zoom),
            RoundInt((view->AbsLeft() + view->Width()) * Zoom),
            RoundInt((view->AbsTop() + view->Height()) * Zoom));
    OffsetRect(r, ox, oy);
    if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom)
      return view;
  }
  return nullptr;
}

} // namespace

TfrxComponent* TfrxPreviewPages::ObjectHitTest(Integer Index, Integer X, Integer Y)
{
  if (Index < 0 || Index >= PageCount())
    return nullptr;
  auto* page = dynamic_cast<TfrxReportPage*>(BuildPage(Index));
  if (!page)
    return nullptr;
  Extended m = page->MirrorMargins() && Index % 2 == 1 ? page->RightMargin() : page->LeftMargin();
  return ViewAt(page, X, Y, 1, m * MMToPixels, page->TopMargin() * MMToPixels);
}

void TfrxPreviewPages::ObjectHitTest(Integer Index, Integer X, Integer Y, TMouseButton Button,
                                     TShiftState Shift, Extended Zoom, Extended OffsetX,
                                     Extended OffsetY, bool Click, TCursor& Cursor)
{
  TfrxReport* report = Report();
  if (Index < 0 || Index >= PageCount() ||
      (report && report->Engine() && report->Engine()->Running()))
    return;
  auto* page = dynamic_cast<TfrxReportPage*>(BuildPage(Index));
  if (!page)
    return;
  Extended m = page->MirrorMargins() && Index % 2 == 1 ? page->RightMargin() : page->LeftMargin();
  OffsetX += m * MMToPixels * Zoom;
  OffsetY += page->TopMargin() * MMToPixels * Zoom;
  if (report)
    report->SetProgressMessage("");
  TfrxView* view = ViewAt(page, X, Y, Zoom, OffsetX, OffsetY);
  if (!view)
    return;
  if (view->Cursor() != 0)
    Cursor = view->Cursor();
  const AnsiString url = view->URL();
  if (!url.empty()) {
    if (report)
      report->SetProgressMessage(url);
    if (view->Cursor() == 0)
      Cursor = crHandPoint;
  }
  if (!Click) {
    if (report && report->OnMouseOverObject)
      report->OnMouseOverObject(view);
    return;
  }
  TfrxCustomPreview* preview = report ? report->Preview() : nullptr;
  if (!url.empty()) {
    if (url[0] == '@') {
      Integer pageNo = 0;
      if (preview && TryStrToInt(Trim(url.substr(1, 255)), pageNo))
        preview->SelectPage(pageNo);
    } else if (url[0] == '#') {
      if (TfrxXMLItem* anchor = FindAnchor(url.substr(1)); anchor && preview)
        preview->ScrollToPagePosition(StrToIntDef(anchor->Prop("page"), 0) + 1,
                                      StrToIntDef(anchor->Prop("top"), 0));
    } else if (!ShellOpen(url, TShellTargetKinds{stWeb, stMail}) && report) {
      // Links come from report data: only web and mail addresses go to the desktop.
      report->SetProgressMessage("不能打开此链接：" + url);
    }
  }
  if (!report)
    return;
  bool modified = false;
  report->DoPreviewClick(view, Button, Shift, modified);
  if (modified) {
    ReplacePage(page, Index);
    if (preview)
      preview->Invalidate();
  }
}

// ---- Printing ----

bool TfrxPreviewPages::PrintPages()
{
  TfrxReport* report = Report();
  TfrxPrintOptions* options = report->PrintOptions();
  Integer copies = options->Copies();
  bool collate = options->Collate();
  AnsiString range = options->PageNumbers();
  TfrxPrintPages choice = options->PrintPages();
  bool reverse = false;
  report->SelectPrinter();

  if (options->ShowDialog() && GPrintDialog) {
    TfrxPrintDialogSettings settings;
    settings.Copies = IntToStr(copies);
    settings.Collate = collate;
    settings.PageNumbers = range;
    settings.Range =
        range.empty() ? TfrxPrintDialogSettings::prAll : TfrxPrintDialogSettings::prPages;
    settings.PrintPages = choice;
    if (!GPrintDialog(report, settings))
      return false;
    copies = StrToInt(settings.Copies);
    collate = settings.Collate;
    switch (settings.Range) {
    case TfrxPrintDialogSettings::prAll:
      range.clear();
      break;
    case TfrxPrintDialogSettings::prCurrent:
      range = IntToStr(CurPreviewPage());
      break;
    default:
      range = settings.PageNumbers;
      break;
    }
    choice = settings.PrintPages;
    reverse = settings.Reverse;
  }

  if (report->OnPrintReport)
    report->OnPrintReport(report);
  if (TfrxCustomPreview* preview = report->Preview())
    preview->Freeze();

  TStringList pages;
  ParsePageNumbers(range, &pages, PageCount());

  TfrxCustomPrinter* printer = GlobalPrinters()->CurrentPrinter();
  report->SetTerminated(false);
  report->BeginProgress(ptPrinting);
  TScopeExit endProgress([&] { report->EndProgress(ptPrinting); });
  printer->SetTitle(!report->ReportOptions()->Name().empty() ? report->ReportOptions()->Name()
                                                             : report->FileName());
  if (copies < 1)
    copies = 1;
  Integer copiesPerPage = collate ? 1 : copies;
  bool begun = false;

  // Prints page Index; false stops the run.
  auto printPage = [&](Integer Index) -> bool {
    if (Index >= PageCount() || !InPageList(&pages, Index + 1) ||
        (choice == ppOdd && (Index + 1) % 2 == 0) || (choice == ppEven && (Index + 1) % 2 == 1))
      return true;
    if (report->Terminated()) {
      printer->Abort();
      begun = false;
      return false;
    }
    auto* page = dynamic_cast<TfrxReportPage*>(BuildPage(Index));
    if (!page)
      return true;
    if (!begun) {
      printer->BeginDoc();
      begun = true;
    }
    printer->SetPrintParams(page->PaperSize(), page->Orientation() == poLandscape,
                            page->PaperWidth(), page->PaperHeight(),
                            Index == 0 ? page->Bin() : page->BinOtherPages(), copiesPerPage,
                            static_cast<Integer>(page->Duplex()) + 1);
    printer->BeginPage();
    TPoint dpi = printer->DPI();
    DrawPage(Index, printer->Canvas(), dpi.X / 96.0L, dpi.Y / 96.0L,
             -printer->LeftMargin() * dpi.X / 25.4L, -printer->TopMargin() * dpi.Y / 25.4L);
    report->StepProgress(ptPrinting, Index + 1);
    printer->EndPage();
    ProcessPendingMessages();
    ClearCache();
    return true;
  };
  auto run = [&] {
    Integer n = PageCount();
    for (Integer k = 0; k < n; ++k)
      if (!printPage(reverse ? n - 1 - k : k))
        return;
  };

  try {
    if (collate) {
      for (Integer c = 0; c < copies; ++c) {
        run();
        if (report->Terminated())
          break;
      }
    } else {
      run();
    }
  } catch (...) {
    // A failed page or printer call: the job is dropped, not half printed.
    if (printer->Printing())
      printer->Abort();
    throw;
  }
  if (begun)
    printer->EndDoc();
  return true;
}

// ---- Export ----

bool TfrxPreviewPages::ExportPages(TfrxCustomExportFilter* Filter)
{
  if (!Filter)
    return false;
  TfrxReport* report = Report();
  Filter->SetReport(report);
  if (Filter->ShowDialog() && Filter->ShowOptionsDialog() != 1)
    return false;
  TfrxCustomPreview* preview = report ? report->Preview() : nullptr;
  if (Filter->CurPage())
    Filter->SetPageNumbers(preview ? IntToStr(CurPreviewPage()) : AnsiString("1"));
  if (report)
    report->SetTerminated(false);
  TStringList pages;
  ParsePageNumbers(Filter->PageNumbers(), &pages, PageCount());
  if (!Filter->BeginExport())
    return false;
  if (preview) {
    preview->Refresh();
    preview->Freeze();
  }
  if (report)
    report->BeginProgress(ptExporting);
  TScopeExit finish([&] {
    if (preview) {
      preview->HideProgressPanel();
      preview->Refresh();
    }
    Filter->EndExport();
    if (report)
      report->EndProgress(ptExporting);
  });

  for (Integer i = 0; i < PageCount(); ++i) {
    if (!InPageList(&pages, i + 1))
      continue;
    auto* page = dynamic_cast<TfrxReportPage*>(BuildPage(i));
    if (!page)
      continue;
    if (report)
      report->StepProgress(ptExporting, i + 1);
    Filter->BeginPage(page, i);
    {
      TScopeExit endPage([&] { Filter->EndPage(page, i); });
      Extended left =
          page->MirrorMargins() && i % 2 == 1 ? page->RightMargin() : page->LeftMargin();
      page->SetLeft(left * MMToPixels);
      page->SetTop(page->TopMargin() * MMToPixels);

      TfrxPictureView background(nullptr);
      background.SetName("_pagebackground");
      background.SetColor(page->Color());
      background.SetFrame(page->Frame());
      background.SetPicture(page->BackPicture());
      background.SetStretched(true);
      background.SetKeepAspectRatio(false);
      background.SetBounds(page->Left(), page->Top(),
                           page->Width() - (page->LeftMargin() + page->RightMargin()) * MMToPixels,
                           page->Height() -
                               (page->TopMargin() + page->BottomMargin()) * MMToPixels);
      Filter->WriteObject(&background);

      TList* objects = page->AllObjects();
      for (Integer k = 0; k < objects->Count(); ++k) {
        auto* obj = static_cast<TfrxComponent*>(objects->Items(k));
        if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(obj)) {
          if (memo->Highlight()->Active())
            memo->SetFont(memo->Highlight()->Font());
          memo->SetTotalPages(PageCount());
          AnsiString text = memo->Memo()->Text();
          Integer at = AnsiPos("[TOTALPAGES#]", AnsiUpperCase(text));
          if (at > 0) {
            text.replace(at - 1, 13, IntToStr(PageCount()));
            memo->Memo()->SetText(text);
          }
        }
        Filter->WriteObject(obj);
      }
    }
    if (preview) {
      page->SetLeft(0);
      page->SetTop(0);
    } else {
      ClearCache();
    }
    if (report && report->Terminated())
      break;
    ProcessPendingMessages();
  }
  return true;
}
