// The previews of the program's tests. The test binary starts the report library's units,
// so the report's preview window is the real one (TfrxPreviewForm) unless a test chooses
// the stand-in: installed as the report's preview window while a TTestPreviewScope lives,
// it lets the build run inside its modal loop, hands the built report to the test (which
// looks at the prepared pages, prints or exports them as the preview's buttons would) and
// closes. Print jobs go to a folder of PDF files (TFolderPrinterScope).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/print/Printers.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Forms.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxPrinter.h"

namespace app_test {

// A prepared text object as the preview shows it.
struct TShownMemo {
  AnsiString Name;
  AnsiString Text;
  Extended Left, Top;
};

class TTestPreviewControl : public TfrxCustomPreview {
public:
  using TfrxCustomPreview::TfrxCustomPreview;
  void ResetFromReport() override {}
  void Freeze() override {}
  void Thaw() override {}
  void BeginProgress(TfrxReport*, Integer, Integer) override {}
  void StepProgress(TfrxReport*, Integer, Integer) override {}
  // The build has ended: the test sees the report, then the window closes.
  void EndProgress(TfrxReport* Report, Integer, Integer) override;
};

class TTestPreviewForm : public TForm, public TfrxPreviewWindow {
public:
  explicit TTestPreviewForm(TComponent* AOwner)
      : TForm(AOwner), Control(new TTestPreviewControl(this))
  {
    SetCaption("预览");
  }
  TfrxCustomPreview* PreviewControl() override { return Control; }
  void ApplyPreviewOptions() override {}
  void ShowStatusMessage(const AnsiString&) override {}

  TTestPreviewControl* Control;
  // Called with the built report while the preview shows.
  static inline std::function<void(TfrxReport*)> OnShown;
  static inline Integer Shown = 0;
};

inline void TTestPreviewControl::EndProgress(TfrxReport* Report, Integer, Integer)
{
  ++TTestPreviewForm::Shown;
  if (TTestPreviewForm::OnShown)
    TTestPreviewForm::OnShown(Report);
  if (auto* form = dynamic_cast<TCustomForm*>(Owner()))
    form->SetModalResult(mrOk);
}

// The text objects of a prepared page, in page order.
inline std::vector<TShownMemo> ShownMemos(TfrxReport* Report, Integer PageIndex = 0)
{
  std::vector<TShownMemo> memos;
  TfrxComponent* page = Report->PreviewPages()->BuildPage(PageIndex);
  if (!page)
    return memos;
  TList* all = page->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i)
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(static_cast<TObject*>(all->Items(i))))
      memos.push_back({memo->Name(), memo->Text(), memo->AbsLeft(), memo->AbsTop()});
  return memos;
}

// The only printer while it lives writes each job's PDF into a folder of its own
// (job-1.pdf, job-2.pdf ...).
class TFolderPrinterScope {
public:
  TFolderPrinterScope()
  {
    char pattern[] = "/tmp/qhprint-XXXXXX";
    if (!mkdtemp(pattern))
      throw std::runtime_error("mkdtemp");
    Folder = std::string(pattern) + "/";
    SetPrintService(std::make_unique<TPdfFolderPrintService>(Folder));
    ResetGlobalPrinters();
  }
  ~TFolderPrinterScope()
  {
    ResetGlobalPrinters();
    SetPrintService(nullptr);
    for (const char* f : {"job-1.pdf", "job-1.txt", "job-2.pdf", "job-2.txt"})
      DeleteFile(AnsiString(Folder) + f);
    RemoveDir(Folder);
  }
  TFolderPrinterScope(const TFolderPrinterScope&) = delete;
  TFolderPrinterScope& operator=(const TFolderPrinterScope&) = delete;

  std::string Job(int N) const { return Folder + "job-" + std::to_string(N) + ".pdf"; }

  std::string Folder;
};

// Installs the stand-in preview and the folder printer while it lives; the preview window
// installed before (the real one) comes back after.
class TTestPreviewScope : public TFolderPrinterScope {
public:
  TTestPreviewScope() : FPrevious(PreviewFormFactory())
  {
    SetPreviewFormFactory(
        [](TComponent* AOwner) -> TForm* { return new TTestPreviewForm(AOwner); });
    TTestPreviewForm::Shown = 0;
    TTestPreviewForm::OnShown = nullptr;
  }
  ~TTestPreviewScope()
  {
    TTestPreviewForm::OnShown = nullptr;
    SetPreviewFormFactory(FPrevious);
  }

  // Prints the built report as the preview's print button does, without the dialog.
  static void Print(TfrxReport* Report)
  {
    Report->PrintOptions()->SetShowDialog(false);
    Report->PreviewPages()->PrintPages();
  }

private:
  TfrxPreviewFormFactory FPrevious;
};

} // namespace app_test
