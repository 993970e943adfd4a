// The spreadsheet export filter; see frxExportXLS.h.
#include "report/output/frxExportXLS.h"

#include <algorithm>

#include "platform/graphics/Pictures.h"
#include "platform/ole/ComObj.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxProgress.h"
#include "report/engine/frxRes.h"
#include "report/output/frxExportDialogs.h"
#include "report/output/frxExportMatrix.h"

// ---------------------------------------------------------------------------------------
// TfrxExcel

void TfrxExcel::OpenExcel()
{
  try {
    Excel = CreateOleObject("Excel.Application");
    const Variant app = OleGet(Excel, "Application");
    for (const char* flag : {"EnableEvents", "EnableAutoComplete", "EnableAnimations",
                             "ScreenUpdating", "Interactive", "DisplayAlerts"})
      OlePut(app, flag, Variant(false));
    WorkBook = OleCall(OleGet(Excel, "WorkBooks"), "Add");
    WorkSheet = OleCall(WorkBook, "WorkSheets", {Variant(1)});
    Opened = true;
  } catch (const Exception&) {
    Opened = false;
  }
}

void TfrxExcel::SetVisible(bool On)
{
  if (!Opened)
    return;
  if (On) {
    const Variant app = OleGet(Excel, "Application");
    OlePut(app, "Interactive", Variant(true));
    OlePut(app, "ScreenUpdating", Variant(true));
    OlePut(app, "DisplayAlerts", Variant(true));
  }
  OlePut(Excel, "Visible", Variant(On));
}

AnsiString TfrxExcel::ColumnLetters(Integer N)
{
  if (N <= 26)
    return AnsiString(1, static_cast<char>(64 + N));
  const Integer first = N % 26 == 0 ? N / 26 - 1 : N / 26;
  const char second = N % 26 == 0 ? 'Z' : static_cast<char>(64 + N % 26);
  return ColumnLetters(first) + second;
}

AnsiString TfrxExcel::CellName(Integer Column, Integer Row)
{
  return ColumnLetters(Column) + IntToStr(Row);
}

void TfrxExcel::SetRange(Integer Column, Integer Row, Integer Rows, Integer Columns)
{
  if (Rows > 0 && Columns > 0)
    Range = OleCall(
        WorkSheet, "Range",
        {Variant(CellName(Column, Row)), Variant(CellName(Column + Columns - 1, Row + Rows - 1))});
}

void TfrxExcel::SetColumnWidth(Integer N, Extended Width)
{
  OlePut(OleCall(OleGet(WorkSheet, "Columns"), "Columns", {Variant(N)}), "ColumnWidth",
         Variant(static_cast<Double>(Width)));
}

void TfrxExcel::SetRowHeight(Integer N, Extended Height)
{
  OlePut(OleCall(OleGet(WorkSheet, "Rows"), "Rows", {Variant(N)}), "RowHeight",
         Variant(static_cast<Double>(std::min<Extended>(Height, 409))));
}

void TfrxExcel::MergeRange()
{
  OlePut(Range, "MergeCells", Variant(true));
}

void TfrxExcel::SetBorders(TfrxFrameTypes Sides)
{
  auto border = [&](const Variant& Of, Integer Item) {
    OlePut(OleCall(OleGet(Of, "Borders"), "Item", {Variant(Item)}), "LineStyle", Variant(1));
  };
  if (Sides.Contains(ftLeft))
    border(OleGet(Range, "Cells"), 7);
  if (Sides.Contains(ftRight))
    border(OleGet(Range, "Cells"), 10);
  if (Sides.Contains(ftTop))
    border(Range, 8);
  if (Sides.Contains(ftBottom))
    border(Range, 9);
}

void TfrxExcel::SetPageSetup(Integer Orientation, Extended Left, Extended Top, Extended Right,
                             Extended Bottom)
{
  // The sheet takes margins in points; the report keeps them in millimetres.
  const Extended points = 72 / 25.4;
  try {
    const Variant setup = OleGet(OleGet(Excel, "ActiveSheet"), "PageSetup");
    OlePut(setup, "LeftMargin", Variant(static_cast<Double>(Left * points)));
    OlePut(setup, "RightMargin", Variant(static_cast<Double>(Right * points)));
    OlePut(setup, "TopMargin", Variant(static_cast<Double>(Top * points)));
    OlePut(setup, "BottomMargin", Variant(static_cast<Double>(Bottom * points)));
    OlePut(OleGet(WorkSheet, "PageSetup"), "Orientation", Variant(Orientation == 1 ? 2 : 1));
  } catch (const Exception&) {
  }
}

// ---------------------------------------------------------------------------------------
// TfrxXLSExport

void RegisterXLSExportClasses()
{
  using X = TfrxXLSExport;
  TClassRegistration<TfrxXLSExport, TfrxCustomExportFilter>("TfrxXLSExport")
      .Property("ExportStyles", &X::ExportStyles, &X::SetExportStyles)
      .Default(true)
      .Property("ExportPictures", &X::ExportPictures, &X::SetExportPictures)
      .Default(true)
      .Property("FileName", &X::FileName, &X::SetFileName)
      .Property("MergeCells", &X::MergeCells, &X::SetMergeCells)
      .Default(true)
      .Property("OpenExcelAfterExport", &X::OpenExcelAfterExport, &X::SetOpenExcelAfterExport)
      .Default(false)
      .Property("ShowProgress", &X::ShowProgress, &X::SetShowProgress)
      .Property("Wysiwyg", &X::Wysiwyg, &X::SetWysiwyg)
      .Default(true);
}

TfrxXLSExport::TfrxXLSExport(TComponent* AOwner) : TfrxCustomExportFilter(AOwner) {}

TfrxXLSExport::~TfrxXLSExport() = default;

AnsiString TfrxXLSExport::FilterCaption()
{
  return ReportResources()->Lookup("XlsOLEexport");
}

Integer TfrxXLSExport::ShowOptionsDialog()
{
  TfrxXLSExportDialog dialog(nullptr);
  dialog.StylesCB->SetChecked(FExportStyles);
  dialog.PicturesCB->SetChecked(FExportPictures);
  dialog.MergeCB->SetChecked(FMergeCells);
  dialog.WCB->SetChecked(FWysiwyg);
  dialog.OpenExcelCB->SetChecked(FOpenExcelAfterExport);
  return dialog.Execute(this, FFileName, [&] {
    FExportStyles = dialog.StylesCB->Checked();
    FExportPictures = dialog.PicturesCB->Checked();
    FMergeCells = dialog.MergeCB->Checked();
    FWysiwyg = dialog.WCB->Checked();
    FOpenExcelAfterExport = dialog.OpenExcelCB->Checked();
  });
}

bool TfrxXLSExport::BeginExport()
{
  if (FFileName.empty())
    return false;
  FFirstPage = true;
  FMatrix = std::make_unique<TfrxIEMatrix>();
  FMatrix->ShowProgress = FShowProgress;
  FMatrix->MaxRowHeight = 535.79;
  FMatrix->Tolerance = FWysiwyg ? 0.5 : 10;
  FMatrix->RotatedAsPicture = true;
  FMatrix->ApplyTags = true;
  FExcel = std::make_unique<TfrxExcel>();
  FExcel->OpenExcel();
  return true;
}

void TfrxXLSExport::BeginPage(TfrxComponent* Page, Integer)
{
  auto* page = dynamic_cast<TfrxReportPage*>(Page);
  if (!FFirstPage || !page)
    return;
  FLeftMargin = page->LeftMargin();
  FTopMargin = page->TopMargin();
  FRightMargin = page->RightMargin();
  FBottomMargin = page->BottomMargin();
  FOrientation = static_cast<Integer>(page->Orientation());
  FFirstPage = false;
}

void TfrxXLSExport::WriteObject(TfrxComponent* Obj)
{
  if (FMatrix)
    FMatrix->AddReportObject(Obj, FExportPictures);
}

void TfrxXLSExport::EndPage(TfrxComponent* Page, Integer)
{
  if (FMatrix)
    FMatrix->AddReportPage(Page);
}

void TfrxXLSExport::EndExport()
{
  if (!FMatrix)
    return;
  std::unique_ptr<TfrxIEMatrix> matrix;
  std::unique_ptr<TfrxExcel> excel;
  std::unique_ptr<TfrxProgress> progress;
  if (FShowProgress)
    progress = std::make_unique<TfrxProgress>(nullptr);
  try {
    ExportWorkbook(progress.get());
  } catch (...) {
    FMatrix.reset();
    FExcel.reset();
    throw;
  }
  FMatrix.reset();
  FExcel.reset();
}

void TfrxXLSExport::ExportWorkbook(TfrxProgress* Progress)
{
  TfrxIEMatrix& m = *FMatrix;
  TfrxExcel& x = *FExcel;
  m.Prepare();
  x.SetPageSetup(FOrientation, FLeftMargin, FTopMargin, FRightMargin, FBottomMargin);
  bool cancelled = false;
  // One phase of the progress window; false once Cancel was pressed.
  auto phase = [&](Integer Steps, const char* Text) {
    if (Progress && !cancelled)
      Progress->Start(Steps, ReportResources()->Lookup(Text), true, true);
    return !cancelled;
  };
  auto step = [&] {
    if (!Progress)
      return true;
    Progress->Advance();
    if (Progress->Terminated())
      cancelled = true;
    return !cancelled;
  };

  if (phase(m.RowCount() - 1, "ProgressRows")) {
    Integer p = 0;
    for (Integer r = 1; r <= m.RowCount() - 1 && step(); ++r) {
      x.SetRowHeight(r, (m.RowPosition(r) - m.RowPosition(r - 1)) / 1.31);
      // A break between pages; none after the last.
      if (p < m.PageCount() - 1 && m.PageBottom(p) <= m.RowPosition(r)) {
        OlePut(OleCall(x.WorkSheet, "Rows", {Variant(r + 2)}), "PageBreak", Variant(-4135));
        ++p;
      }
    }
  }
  if (phase(m.ColumnCount() - 1, "ProgressColumns"))
    for (Integer c = 1; c <= m.ColumnCount() - 1 && step(); ++c)
      x.SetColumnWidth(c, (m.ColumnPosition(c) - m.ColumnPosition(c - 1)) / 8);
  if (phase(m.StyleCount() - 1, "ProgressStyles"))
    for (Integer n = 0; n < m.StyleCount() && step(); ++n) {
      const TfrxIEMStyle* st = m.StyleByIndex(n);
      const Variant s = OleCall(OleGet(OleGet(x.Excel, "ActiveWorkbook"), "Styles"), "Add",
                                {Variant("S" + IntToStr(n))});
      const Variant font = OleGet(s, "Font");
      OlePut(font, "Bold", Variant(st->Font->Style().Contains(fsBold)));
      OlePut(font, "Italic", Variant(st->Font->Style().Contains(fsItalic)));
      OlePut(font, "Underline", Variant(st->Font->Style().Contains(fsUnderline)));
      OlePut(font, "Name", Variant(st->Font->Name()));
      OlePut(font, "Size", Variant(st->Font->Size()));
      // Colours resolved (system colours to RGB); a transparent object has no fill.
      OlePut(font, "Color", Variant(static_cast<Integer>(ColorToRGB(st->Font->Color()))));
      if (st->Color != clNone)
        OlePut(OleGet(s, "Interior"), "Color",
               Variant(static_cast<Integer>(ColorToRGB(st->Color))));
      OlePut(s, "VerticalAlignment",
             Variant(st->VAlign == vaBottom   ? -4107
                     : st->VAlign == vaCenter ? -4108
                                              : -4160));
      OlePut(s, "HorizontalAlignment",
             Variant(st->HAlign == haRight    ? -4152
                     : st->HAlign == haCenter ? -4108
                     : st->HAlign == haBlock  ? -4130
                                              : -4131));
      Application()->ProcessMessages();
    }

  Variant values = VarArrayCreate(
      {0, std::max(m.RowCount() - 1, 0), 0, std::max(m.ColumnCount() - 1, 0)}, varVariant);
  if (phase(m.RowCount(), "ProgressObjects")) {
    Integer pictures = 0;
    for (Integer r = 1; r <= m.RowCount() && step(); ++r)
      for (Integer c = 1; c <= m.ColumnCount(); ++c) {
        const Integer index = m.Cell(c - 1, r - 1);
        TfrxIEMObject* obj = m.ObjectByIndex(index);
        if (!obj || obj->Mark != 0)
          continue;
        obj->Mark = 1;
        Integer col, row, colSpan, rowSpan;
        m.ObjectBounds(index, col, row, colSpan, rowSpan);
        x.SetRange(c, r, rowSpan, colSpan);
        if (obj->HoldsText) {
          if (FExportStyles)
            OlePut(x.Range, "Style", Variant("S" + IntToStr(obj->StyleNo)));
          if (FMergeCells && (rowSpan > 1 || colSpan > 1)) {
            x.SetRange(c, r, rowSpan, colSpan);
            x.MergeRange();
          }
          if (FExportStyles)
            x.SetBorders(obj->Style->FrameTyp);
          AnsiString text = obj->Lines->Text();
          text.erase(std::remove_if(text.begin(), text.end(),
                                    [](char ch) { return ch == '\r' || ch == '\x01'; }),
                     text.end());
          while (!text.empty() && text.back() == '\n')
            text.pop_back();
          VarArrayPut(values, Variant(text), {r - 1, c - 1});
        } else if (obj->Bitmap && !obj->Bitmap->Empty()) {
          ++pictures;
          Clipboard()->Assign(obj->Bitmap.get());
          OleCall(x.Range, "PasteSpecial",
                  {EmptyParam(), EmptyParam(), EmptyParam(), EmptyParam()});
          const Variant picture = OleCall(x.WorkSheet, "Pictures", {Variant(pictures)});
          OlePut(picture, "Width", Variant(static_cast<Double>(obj->Bitmap->Width() / 1.43)));
          OlePut(picture, "Height", Variant(static_cast<Double>(obj->Bitmap->Height() / 1.34)));
        }
      }
  }
  if (m.RowCount() > 1 && m.ColumnCount() > 1) {
    x.SetRange(1, 1, m.RowCount() - 1, m.ColumnCount() - 1);
    OlePut(x.Range, "Value", values);
  }
  OlePut(OleGet(x.WorkSheet, "Cells"), "WrapText", Variant(true));
  x.SetRange(1, 1, 1, 1);
  OleCall(x.Range, "Select");
  if (FOpenExcelAfterExport)
    x.SetVisible(true);
  // A failed save is reported; the server replaces an existing file only with a complete
  // one. The server is closed either way unless the user is to see it.
  try {
    OleCall(x.WorkBook, "SaveAs",
            {Variant(FFileName), Variant(-4143), EmptyParam(), EmptyParam(), EmptyParam(),
             EmptyParam(), Variant(1), EmptyParam(), EmptyParam(), EmptyParam()});
  } catch (...) {
    if (!FOpenExcelAfterExport) {
      try {
        OleCall(x.Excel, "Quit");
      } catch (const Exception&) {
      }
    }
    throw;
  }
  if (!FOpenExcelAfterExport) {
    try {
      OleCall(x.Excel, "Quit");
    } catch (const Exception&) {
    }
    x.Excel = Variant();
  }
}
