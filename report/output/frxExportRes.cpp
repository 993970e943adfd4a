// The export texts; see frxExportRes.h. The spreadsheet export writes .xlsx workbooks, so
// its dialog offers that type.
#include "report/output/frxExportRes.h"

#include "report/engine/frxRes.h"

namespace {

// A form block: every line ends with CR LF, the last included.
AnsiString Block(std::initializer_list<const char*> Lines)
{
  AnsiString s;
  for (const char* line : Lines) {
    s += line;
    s += "\r\n";
  }
  return s;
}

} // namespace

void AddExportResources(TfrxResources* Resources)
{
  Resources->Add(
      "TfrxXLSExportDialog",
      Block({"Caption=导出到 Excel", "OkB.Caption=确定", "CancelB.Caption=取消",
             "GroupPageRange.Caption= 页数范围 ", "AllRB.Caption=全部", "CurPageRB.Caption=当前页",
             "PageNumbersRB.Caption=页:",
             "DescrL.Caption=输入页数/文件范围，并以逗号分隔(例如:1,3,5-12)",
             "GroupQuality.Caption= 导出设置 ", "StylesCB.Caption=样式", "PicturesCB.Caption=图像",
             "MergeCB.Caption=合并单元格", "WCB.Caption=所见即所得",
             "OpenExcelCB.Caption=在导出后打开 Excel",
             "SaveDialog1.Filter=Excel 文件 (*.xlsx)|*.xlsx", "SaveDialog1.DefaultExt=.xlsx"}));
  Resources->Add(
      "TfrxRTFExportDialog",
      Block({"Caption=导出为RTF", "OkB.Caption=确定", "CancelB.Caption=取消",
             "GroupPageRange.Caption= 页数范围 ", "AllRB.Caption=全部", "CurPageRB.Caption=当前页",
             "PageNumbersRB.Caption=页码:",
             "DescrL.Caption=请输入页码和/或以逗号分开的页码范围。 例如： 1,3,5-12",
             "GroupQuality.Caption= 导出设置 ", "PicturesCB.Caption=图像",
             "PageBreaksCB.Caption=分页", "WCB.Caption=所见即所得", "OpenCB.Caption=在导出后打开",
             "SaveDialog1.Filter=RTF 文件 (*.rtf)|*.rtf", "SaveDialog1.DefaultExt=.rtf"}));
  Resources->Add("TfrxIMGExportDialog",
                 Block({"Caption=导出设置", "OK.Caption=确定", "Cancel.Caption=取消",
                        "GroupPageRange.Caption= 页数范围  ", "AllRB.Caption=全部",
                        "CurPageRB.Caption=当前页", "PageNumbersRB.Caption=页码:",
                        "DescrL.Caption=请输入页码和/或以逗号分开的页码范围。 例如： 1,3,5-12",
                        "GroupBox1.Caption= 图像设置 ", "Label2.Caption=JPEG 质量",
                        "CropPage.Caption=剪去页面空白部份", "Mono.Caption=黑白"}));
  Resources->Add(
      "TfrxPDFExportDialog",
      Block({"Caption=导出为PDF文件", "OkB.Caption=确定", "CancelB.Caption=取消",
             "GroupPageRange.Caption= 页数范围 ", "AllRB.Caption=全部", "CurPageRB.Caption=当前页",
             "PageNumbersRB.Caption=页码:",
             "DescrL.Caption=请输入页码和/或以逗号分开的页码范围。 例如： 1,3,5-12",
             "GroupQuality.Caption= 导出设置 ", "CompressedCB.Caption=压缩",
             "EmbeddedCB.Caption=内置字体", "OpenCB.Caption=在导出后打开",
             "SaveDialog1.Filter=Adobe PDF 文件 (*.pdf)|*.pdf", "SaveDialog1.DefaultExt=.pdf"}));
  Resources->Add("RTFexport", "RTF 文件");
  Resources->Add("JPEGexport", "JPEG 图");
  Resources->Add("XlsOLEexport", "Excel 表格 (OLE)");
  Resources->Add("PDFexport", "PDF 文件");
  Resources->Add("ProgressWait", "请稍候");
  Resources->Add("ProgressRows", "正在建立列");
  Resources->Add("ProgressColumns", "正在建立栏");
  Resources->Add("ProgressStyles", "正在建立样式");
  Resources->Add("ProgressObjects", "正在导出对象中");
  Resources->Add("JPEGexportFilter", "Jpeg 图 (*.jpg)|*.jpg");
}
