// Test support for the program's windows: the headless screen reset around each test, the
// forms a test leaves behind freed, the command line set and restored, and a sample
// waybill picture drawn on demand.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Facade.h"
#include "app/Pub.h"
#include "app/Splash.h"
#include "app/main.h"
#include "platform/graphics/Pictures.h"
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

} // namespace app_test
