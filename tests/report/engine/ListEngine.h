// A small list engine for tests and benchmarks of the report document: it builds the pages
// of simple list reports through the engine contract and the prepared pages, as the real
// engine does for them: per page the report title once, then every master band once per
// record of its dataset (RowCount times without one), with a page footer at the bottom and
// a new page when a band does not fit. Each band's objects are evaluated with the
// report's expressions and scripts before the band is stored.
#pragma once

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxPreviewPages.h"

class TfrxListEngine : public TfrxCustomEngine {
public:
  explicit TfrxListEngine(TfrxReport* AReport) : TfrxCustomEngine(AReport) {}

  Integer BandsShown = 0;

  bool BuildReport() override
  {
    TfrxReport* report = Report();
    auto* pages = static_cast<TfrxPreviewPages*>(PreviewPages());
    pages->Initialize();
    SetStartDate(Date());
    SetStartTime(Time());
    SetRunning(true);
    SetFinalPass(true);
    FBuildStart = true;
    report->DataSets()->InitializeAll();
    report->RunScriptEvent(report, report->OnStartReport);
    for (Integer i = 0; i < report->PageCount(); ++i)
      if (auto* page = dynamic_cast<TfrxReportPage*>(report->Pages(i)))
        pages->AddSourcePage(page);
    for (Integer i = 0; i < report->PageCount() && !report->Terminated(); ++i)
      if (auto* page = dynamic_cast<TfrxReportPage*>(report->Pages(i)))
        RunPage(page);
    report->RunScriptEvent(report, report->OnStopReport);
    report->DataSets()->FinalizeAll();
    pages->Finish();
    SetRunning(false);
    return true;
  }

  void ShowBand(TfrxComponent* Band) override
  {
    auto* band = dynamic_cast<TfrxBand*>(Band);
    if (!band)
      return;
    if (!dynamic_cast<TfrxPageFooter*>(band) && CurY() + band->Height() > FreeSpaceTop())
      NewPage();
    Output(band, dynamic_cast<TfrxPageFooter*>(band) ? PageHeight() - band->Height() : CurY());
  }

  void NewPage() override
  {
    EndPage();
    StartPage();
  }

  void EndPage() override
  {
    if (FFooter)
      ShowBand(FFooter);
  }

  Extended FreeSpace() override { return FreeSpaceTop() - CurY(); }
  Extended FootersHeight() override { return FFooter ? FFooter->Height() : 0; }

private:
  Extended FreeSpaceTop() { return PageHeight() - FootersHeight(); }

  void StartPage()
  {
    PreviewPages()->AddPage(FPage);
    if (FBuildStart)
      PreviewPages()->SetFirstPage(PreviewPages()->CurPage());
    FBuildStart = false;
    SetCurY(0);
  }

  void Output(TfrxBand* Band, Extended Top)
  {
    TfrxReport* report = Report();
    TList* all = Band->AllObjects();
    Band->SaveState();
    for (Integer i = 0; i < all->Count(); ++i)
      static_cast<TfrxReportComponent*>(all->Items(i))->SaveState();
    report->DoBeforePrint(Band);
    for (Integer i = 0; i < all->Count(); ++i) {
      auto* obj = static_cast<TfrxReportComponent*>(all->Items(i));
      report->SetCurrentObjectName(obj->Name());
      report->DoBeforePrint(obj);
      obj->EvaluateData();
      report->DoAfterPrint(obj);
    }
    report->SetCurrentObjectName(AnsiString());
    Band->SetTop(Top);
    PreviewPages()->AddObject(Band);
    ++BandsShown;
    for (Integer i = 0; i < all->Count(); ++i)
      static_cast<TfrxReportComponent*>(all->Items(i))->RestoreState();
    Band->RestoreState();
    report->DoAfterPrint(Band);
    if (!dynamic_cast<TfrxPageFooter*>(Band))
      SetCurY(Top + Band->Height());
  }

  void RunPage(TfrxReportPage* Page)
  {
    FPage = Page;
    FFooter = dynamic_cast<TfrxPageFooter*>(Page->FindBand(ClassInfoOf<TfrxPageFooter>()));
    SetPageHeight((Page->PaperHeight() - Page->TopMargin() - Page->BottomMargin()) * 3.77953L);
    SetPageWidth((Page->PaperWidth() - Page->LeftMargin() - Page->RightMargin()) * 3.77953L);
    StartPage();
    if (TfrxBand* title = Page->FindBand(ClassInfoOf<TfrxReportTitle>()))
      ShowBand(title);
    for (Integer i = 0; i < Page->Objects()->Count() && !Report()->Terminated(); ++i) {
      auto* band =
          dynamic_cast<TfrxMasterData*>(static_cast<TfrxComponent*>(Page->Objects()->Items(i)));
      if (!band)
        continue;
      TfrxDataSet* ds = band->DataSet() ? band->DataSet() : band->VirtualDataSet();
      ds->First();
      SetCurLine(1);
      SetCurLineThrough(1);
      while (!ds->Eof() && !Report()->Terminated()) {
        ShowBand(band);
        ds->Next();
        SetCurLine(CurLine() + 1);
        SetCurLineThrough(CurLineThrough() + 1);
      }
    }
    EndPage();
  }

  TfrxReportPage* FPage = nullptr;
  TfrxPageFooter* FFooter = nullptr;
  bool FBuildStart = false;
};
