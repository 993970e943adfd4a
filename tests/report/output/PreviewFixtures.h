// What the preview tests share: a built Chinese list report of many pages with an outline,
// a preview window opened on it the way the report opens it, and a folder printer.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/print/Printers.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "report/output/frxPreview.h"
#include "tests/report/engine/PrintFixtures.h"
#include "tests/report/engine/ReportFixtures.h"

// Rows "运单SF<i>" with Amount i / 4.
inline std::vector<TListRow> WaybillRows(Integer Count)
{
  std::vector<TListRow> rows;
  for (Integer i = 1; i <= Count; ++i)
    rows.push_back({"运单SF" + IntToStr(i), Variant(static_cast<double>(i) / 4)});
  return rows;
}

// The list report with a Chinese title and rows; every row enters the outline.
class TPreviewReport {
public:
  explicit TPreviewReport(Integer Rows) : Data(WaybillRows(Rows)), Report(nullptr)
  {
    Report.EngineOptions()->SetSilentMode(true);
    Report.SetShowProgress(false);
    BuildListReport(&Report, &Data);
    static_cast<TfrxMemoView*>(Report.FindObject("Memo1"))->SetText("青禾快递 运单清单");
    for (const char* name : {"Memo1", "Memo2"})
      static_cast<TfrxMemoView*>(Report.FindObject(name))->Font()->SetName("宋体");
    static_cast<TfrxBand*>(Report.FindObject("MasterData1"))->SetOutlineText("Data.\"Name\"");
    Report.PrintOptions()->SetShowDialog(false);
  }
  bool Build() { return Report.GenerateReport(); }
  TfrxPreviewPages* Pages() { return Report.PreviewPages(); }
  // The 1-based page with an object whose text is Text; 0 when none.
  Integer PageOf(const AnsiString& Text)
  {
    const AnsiString suffix = " " + Text;
    for (Integer i = 0; i < Pages()->PageCount(); ++i)
      for (AnsiString line : PageLines(Pages()->BuildPage(i))) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
          line.pop_back();
        if (line.size() >= suffix.size() &&
            line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
          return i + 1;
      }
    return 0;
  }

  TListData Data;
  TfrxReport Report;
};

// A folder printer "PDF" as the only printer while it lives.
class TFolderPrinterScope {
public:
  TFolderPrinterScope()
  {
    FFolder = testing::TempDir() + "qhpreview-" + std::to_string(getpid()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(FFolder);
    auto service = std::make_unique<TPdfFolderPrintService>(FFolder.c_str());
    FService = service.get();
    FScope = std::make_unique<TPrintServiceScope>(std::move(service));
  }
  ~TFolderPrinterScope() { std::filesystem::remove_all(FFolder); }
  TPdfFolderPrintService* Service() const { return FService; }
  std::string Job(int n) const { return FFolder + "/job-" + std::to_string(n) + ".pdf"; }
  const std::string& Folder() const { return FFolder; }

private:
  std::string FFolder;
  TPdfFolderPrintService* FService = nullptr;
  std::unique_ptr<TPrintServiceScope> FScope;
};

// A preview window linked to a report as TfrxReport::OpenPreview links it, shown (modeless)
// at a known size.
class TPreviewWindow {
public:
  explicit TPreviewWindow(TfrxReport* Report, Integer Width = 900, Integer Height = 700)
  {
    Report->PreviewOptions()->SetMaximized(false);
    Form = new TfrxPreviewForm(nullptr);
    Form->SetBounds(10, 10, Width, Height);
    Report->SetPreview(Form->PreviewControl());
    Form->ApplyPreviewOptions();
    Form->Show();
    Headless().ProcessMessages();
  }
  ~TPreviewWindow() { delete Form; }
  TfrxPreview* Preview() const { return Form->Preview(); }
  TfrxPreviewWorkspace* Workspace() const { return Form->Preview()->Workspace(); }
  // Screen point of a control's client point.
  static TPoint At(TControl* Control, Integer X, Integer Y)
  {
    return Control->ClientToScreen({X, Y});
  }
  static TPoint Centre(TControl* Control)
  {
    return At(Control, Control->Width() / 2, Control->Height() / 2);
  }
  AnsiString PageStatus() const { return Form->StatusBar->Panels()->Items(0)->Text(); }

  TfrxPreviewForm* Form;
};
