// The preview window on a real display (the GTK backend under a virtual X server): a
// Chinese report page shown in it, the window's pixels written to preview_window.png in
// the build folder.
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/backend/gtk/GtkBackend.h"
#include "report/engine/frxPreviewPages.h"
#include "report/output/frxPreview.h"
#include "tests/report/engine/ReportFixtures.h"
#include "tests/support/GtkTestSupport.h"

namespace {

// Rows of a Chinese waybill list.
std::vector<TListRow> Rows()
{
  const char* names[] = {"张三 北京市海淀区", "李四 上海市浦东新区", "王五 广州市天河区",
                         "赵六 深圳市南山区", "钱七 杭州市西湖区"};
  std::vector<TListRow> rows;
  for (Integer i = 0; i < 60; ++i)
    rows.push_back({AnsiString("运单 SF10") + IntToStr(1000 + i) + " " + names[i % 5],
                    Variant(static_cast<double>(i) * 12.5)});
  return rows;
}

} // namespace

TEST(PreviewWindowGtkTest, AChineseReportPageOnTheDisplayIsWrittenToPreviewWindowPng)
{
  ASSERT_TRUE(InstallGtkBackend()) << "no display (run under xvfb-run)";
  TListData data(Rows());
  TfrxReport report(nullptr);
  report.EngineOptions()->SetSilentMode(true);
  report.SetShowProgress(false);
  BuildListReport(&report, &data);
  auto* title = static_cast<TfrxMemoView*>(report.FindObject("Memo1"));
  title->SetText("青禾快递 运单清单");
  title->Font()->SetSize(16);
  for (const char* name : {"Memo1", "Memo2"})
    static_cast<TfrxMemoView*>(report.FindObject(name))->Font()->SetName("宋体");
  static_cast<TfrxMemoView*>(report.FindObject("Memo2"))->SetBounds(0, 0, 400, 20);
  static_cast<TfrxMemoView*>(report.FindObject("Memo3"))->SetLeft(420);
  ASSERT_TRUE(report.GenerateReport());
  report.PreviewOptions()->SetMaximized(false);
  report.ReportOptions()->SetName("运单清单 - 预览");

  auto* form = new TfrxPreviewForm(nullptr);
  form->SetBounds(40, 30, 900, 720);
  report.SetPreview(form->PreviewControl());
  form->ApplyPreviewOptions();
  form->Show();
  form->Preview()->SetZoom(1);
  HWND h = form->Handle();
  ASSERT_TRUE(WaitUntil([h] {
    TRect r;
    GetWindowRect(h, r);
    return NativeRect(h) == r;
  }));
  Settle();
  EXPECT_EQ(form->StatusBar->Panels()->Items(0)->Text(),
            "第 1 页 共 " + IntToStr(report.PreviewPages()->PageCount()) + " 页");

  // The window's pixels as the display has them. The capture is taken again until the page
  // has reached the display (a loaded machine may still be drawing): grey around the page,
  // white on it.
  GtkWidget* native = GtkWindowOf(h);
  ASSERT_NE(native, nullptr);
  TfrxPreviewWorkspace* ws = form->Preview()->Workspace();
  const TRect page = ws->PageList()->GetPageBounds(0, ws->ClientWidth(), 1);
  const TPoint besidePage = ws->ClientToScreen({page.Left - 5, 40});
  const TPoint onPage = ws->ClientToScreen({page.Left + 5, page.Top + 5 - ws->VertPosition()});
  GdkPixbuf* shot = nullptr;
  auto pixel = [&](TPoint screen) {
    const Integer x = screen.X - form->Left(), y = screen.Y - form->Top();
    const guchar* p = gdk_pixbuf_get_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot) +
                      x * gdk_pixbuf_get_n_channels(shot);
    return static_cast<TColor>(p[0] | (p[1] << 8) | (p[2] << 16));
  };
  auto capture = [&] {
    if (shot)
      g_object_unref(shot);
    shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(native), 0, 0, form->Width(),
                                      form->Height());
    return shot && pixel(besidePage) == clGray && pixel(onPage) == clWhite;
  };
  const bool painted = WaitUntil(capture, 5000);
  ASSERT_NE(shot, nullptr);
  EXPECT_TRUE(painted) << "beside the page " << pixel(besidePage) << ", on it " << pixel(onPage);
  std::filesystem::path file =
      std::filesystem::path(ParamStr(0)).parent_path() / "preview_window.png";
  ASSERT_TRUE(gdk_pixbuf_save(shot, file.c_str(), "png", nullptr, nullptr));
  g_object_unref(shot);
  EXPECT_GT(std::filesystem::file_size(file), 5000u);
  delete form;
}
