// Test support for the program's windows: the headless screen reset around each test, the
// forms a test leaves behind freed, the command line set and restored, and a sample
// waybill picture drawn on demand.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Facade.h"
#include "app/Objs.h"
#include "app/Pub.h"
#include "app/Splash.h"
#include "app/Uis.h"
#include "app/WaybillLayout.h"
#include "app/main.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/backend/headless/Headless.h"

namespace app_test {

// Sets the command line to "qhwbp" followed by Args.
inline void SetArguments(const std::vector<std::string>& Args)
{
  std::vector<std::string> all{"qhwbp"};
  all.insert(all.end(), Args.begin(), Args.end());
  std::vector<char*> argv;
  for (std::string& a : all)
    argv.push_back(a.data());
  SetCommandLine(static_cast<int>(argv.size()), argv.data());
}

// A fresh headless screen and application before, and after, each test.
inline void ResetWindows()
{
  while (Screen()->FormCount() > 0)
    delete Screen()->Forms(Screen()->FormCount() - 1);
  mainFrm = nullptr;
  Application()->Restart();
  Application()->OnException = nullptr;
  Headless().Reset();
  SetArguments({});
  SetSplashHintObserver({});
  ProgramDialogs() = TProgramDialogs();
}

// A sample scanned waybill of Width x Height pixels: a white form with red boxes and
// Chinese captions, saved as a JPEG file.
inline void WriteSampleWaybillJpeg(const AnsiString& FileName, Integer Width, Integer Height)
{
  TBitmap bitmap;
  bitmap.SetWidth(Width);
  bitmap.SetHeight(Height);
  TCanvas* c = bitmap.Canvas();
  c->Brush()->SetColor(static_cast<TColor>(0xF4FAFF));
  c->FillRect(TRect(0, 0, Width, Height));
  c->Pen()->SetColor(static_cast<TColor>(0x2020C0));
  c->Pen()->SetWidth(2);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetName("宋体");
  c->Font()->SetHeight(-Height / 24);
  c->Font()->SetColor(static_cast<TColor>(0x2020C0));
  const char* captions[] = {"寄件人姓名", "寄件人地址", "收件人姓名",
                            "收件人地址", "物品名称",   "备注"};
  const Integer rows = 6;
  for (Integer i = 0; i < rows; ++i) {
    const Integer top = Height / 12 + i * (Height * 10 / 12) / rows;
    const Integer bottom = top + (Height * 10 / 12) / rows - 6;
    c->Rectangle(Width / 20, top, Width - Width / 20, bottom);
    c->TextOut(Width / 20 + 8, top + 6, captions[i]);
  }
  TJPEGImage jpeg;
  jpeg.Assign(&bitmap);
  jpeg.SetCompressionQuality(85);
  jpeg.Compress();
  jpeg.SaveToFile(FileName);
}

// A label of the default layout placed for a test: where it sits and what it says.
struct TPlacedLabel {
  const char* Name;
  Integer Left, Top;
  const char* Text;
};

// The default layout on 230 x 127 mm paper with only Labels visible, at their places.
inline TWaybillLayout LayoutWithLabels(std::initializer_list<TPlacedLabel> Labels)
{
  TWaybillLayout layout = TWaybillLayout::Default();
  for (TWaybillLabel& label : layout.Labels)
    label.Visible = false;
  for (const TPlacedLabel& placed : Labels) {
    TWaybillLabel* label = layout.FindLabel(placed.Name);
    label->Left = placed.Left;
    label->Top = placed.Top;
    label->Text = placed.Text;
    label->Visible = true;
  }
  layout.PaperWidth = 230;
  layout.PaperHeight = 127;
  return layout;
}

// Stores the template "申通" of Layout over a sample scanned waybill written to PictureFile.
inline void StoreSampleTemplate(const TWaybillLayout& Layout, const AnsiString& PictureFile)
{
  RTemplate t;
  t.BillName = u"申通";
  t.ImgName = PictureFile;
  WriteSampleWaybillJpeg(t.ImgName, 869, 480);
  t.AddTime = Now();
  t.Billman = "sa";
  t.Temdata = Layout.BuildLayoutText();
  ASSERT_TRUE(TTemplateList::AddTemplate(t));
}

} // namespace app_test
