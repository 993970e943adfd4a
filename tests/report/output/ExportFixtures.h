// Reports the export tests share. Their prepared pages are stored the way the engine stores
// them (a source page per design page, then per page the page and one band holding the
// objects), so the filters see pages rebuilt by the prepared-pages store, exactly as the
// export walk (frxExportWalk.h) hands them on.
#pragma once

#include <memory>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/NumFormat.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxExportWalk.h"
#include "report/engine/frxPreviewPages.h"
#include "report/output/frxBarcode.h"

class TExportReport {
public:
  TExportReport() : FReport(std::make_unique<TfrxReport>(nullptr))
  {
    FReport->EngineOptions()->SetSilentMode(true);
    FReport->SetShowProgress(false);
  }

  TfrxReport* Report() const { return FReport.get(); }
  TfrxPreviewPages* Pages() const { return FReport->PreviewPages(); }

  // A design page (A4 portrait unless changed) whose objects go on its one band.
  TfrxReportTitle* AddPage(Extended Margin)
  {
    auto* page = new TfrxReportPage(FReport.get());
    page->SetName("Page" + IntToStr(static_cast<Integer>(FBands.size()) + 1));
    page->SetLeftMargin(Margin);
    page->SetRightMargin(Margin);
    page->SetTopMargin(Margin);
    page->SetBottomMargin(Margin);
    auto* band = new TfrxReportTitle(page);
    band->SetName("Band" + IntToStr(static_cast<Integer>(FBands.size()) + 1));
    band->SetBounds(0, 0, 700, 900);
    FBands.push_back(band);
    return band;
  }

  template <class T> T* Add(TfrxComponent* Band, Extended L, Extended T_, Extended W, Extended H)
  {
    auto* obj = new T(Band);
    obj->SetName("Obj" + IntToStr(++FObjects));
    obj->SetBounds(L, T_, W, H);
    return obj;
  }

  TfrxMemoView* Memo(TfrxComponent* Band, Extended L, Extended T_, Extended W, Extended H,
                     const AnsiString& Text, const AnsiString& FontName = "Arial",
                     Integer Size = 10)
  {
    auto* memo = Add<TfrxMemoView>(Band, L, T_, W, H);
    memo->SetText(Text);
    memo->Font()->SetName(FontName);
    memo->Font()->SetSize(Size);
    memo->Font()->SetColor(clBlack);
    return memo;
  }

  // Stores every design page once as a prepared page.
  void Prepare()
  {
    TfrxPreviewPages* pages = Pages();
    // Stored as a final pass stores them: every attribute of the objects.
    if (TfrxCustomEngine* engine = pages->Engine())
      engine->SetFinalPass(true);
    pages->Initialize();
    for (TfrxBand* band : FBands)
      pages->AddSourcePage(static_cast<TfrxReportPage*>(band->Parent()));
    for (TfrxBand* band : FBands) {
      pages->AddPage(static_cast<TfrxReportPage*>(band->Parent()));
      pages->AddObject(band);
    }
    pages->Finish();
  }

  bool Export(TfrxCustomExportFilter* Filter) { return frxExportPages(Pages(), Filter); }

private:
  std::unique_ptr<TfrxReport> FReport;
  std::vector<TfrxBand*> FBands;
  Integer FObjects = 0;
};

inline std::unique_ptr<TBitmap> SolidBitmap(Integer W, Integer H, TColor Color)
{
  auto bmp = std::make_unique<TBitmap>(W, H);
  bmp->Canvas()->Brush()->SetColor(Color);
  bmp->Canvas()->FillRect(TRect{0, 0, W, H});
  return bmp;
}

// The export fixture: one A4 page, margins 10 mm, with a bold italic Latin text holding the
// characters strings must escape, a framed, filled Chinese text over several rows, a line,
// a transparent and a filled rectangle, a small red picture and an EAN-13 barcode.
inline void BuildExportFixture(TExportReport& R)
{
  TfrxReportTitle* band = R.AddPage(10);
  TfrxMemoView* m1 = R.Memo(band, 0, 0, 200, 20, "AB(c)\\");
  m1->Font()->SetStyle({fsBold, fsItalic});
  m1->Font()->SetCharset(ANSI_CHARSET);
  TfrxMemoView* m2 = R.Memo(band, 0, 30, 300, 60, "快递单", "宋体", 12);
  m2->SetColor(0x0080FF);
  m2->Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
  auto* l1 = R.Add<TfrxLineView>(band, 0, 100, 300, 0);
  l1->Frame()->SetColor(clBlack);
  auto* r1 = R.Add<TfrxShapeView>(band, 0, 120, 100, 40);
  r1->SetColor(clNone);
  auto* r2 = R.Add<TfrxShapeView>(band, 150, 120, 100, 40);
  r2->SetColor(0xC0C0C0);
  auto* p1 = R.Add<TfrxPictureView>(band, 0, 180, 10, 10);
  p1->Picture()->SetGraphic(SolidBitmap(10, 10, clRed).get());
  auto* b1 = R.Add<TfrxBarCodeView>(band, 0, 200, 100, 60);
  b1->SetBarType(bcCodeEAN13);
  b1->SetText("590123412345");
  b1->SetCalcCheckSum(true);
}

// The sample waybill: two A4 pages in Chinese, each a framed table of labels and values,
// a photo-like picture, a filled shape, a line and a Code 128 barcode of the waybill
// number.
inline void BuildWaybillReport(TExportReport& R)
{
  const char* const labels[] = {"寄件人", "收件人", "电话", "地址", "物品", "重量"};
  const char* const values[2][6] = {
      {"张三", "李四", "13800138000", "北京市海淀区中关村大街1号", "文件", "0.5 公斤"},
      {"王五", "赵六", "13900139000", "上海市浦东新区世纪大道100号", "衣物", "2 公斤"}};
  const char* const numbers[2] = {"SF1234567890", "SF1234567891"};
  for (Integer p = 0; p < 2; ++p) {
    TfrxReportTitle* band = R.AddPage(10);
    TfrxMemoView* title = R.Memo(band, 0, 0, 700, 40, "青禾快递单", "宋体", 20);
    title->SetHAlign(haCenter);
    title->Font()->SetStyle({fsBold});
    for (Integer i = 0; i < 6; ++i) {
      TfrxMemoView* label = R.Memo(band, 0, 60 + i * 30, 120, 30, labels[i], "宋体", 12);
      label->SetColor(0xF0F0F0);
      label->Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
      TfrxMemoView* value = R.Memo(band, 120, 60 + i * 30, 380, 30, values[p][i], "宋体", 12);
      value->Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
    }
    auto* picture = R.Add<TfrxPictureView>(band, 520, 60, 150, 120);
    auto bmp = SolidBitmap(150, 120, 0x40A0E0);
    bmp->Canvas()->Brush()->SetColor(0x2060C0);
    bmp->Canvas()->Ellipse(30, 20, 120, 100);
    picture->Picture()->SetGraphic(bmp.get());
    auto* shape = R.Add<TfrxShapeView>(band, 520, 200, 150, 40);
    shape->SetColor(0x00C0FF);
    auto* line = R.Add<TfrxLineView>(band, 0, 260, 700, 0);
    line->Frame()->SetWidth(2);
    TfrxMemoView* note = R.Memo(band, 0, 270, 500, 20, "运单号码", "宋体", 10);
    note->SetHAlign(haLeft);
    auto* barcode = R.Add<TfrxBarCodeView>(band, 0, 300, 200, 80);
    barcode->SetBarType(bcCode128B);
    barcode->SetText(numbers[p]);
    barcode->SetZoom(2);
  }
}
