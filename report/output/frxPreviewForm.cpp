// The preview window (frxPreview.h): the tool bar by the report's button bits, the zoom and
// page boxes, the status bar, the export menu of the registered filters, close or cancel;
// and the unit's start-up that installs it as the report's preview window.
#include <cmath>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Buttons.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxPrinter.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxUtils.h"
#include "report/output/frxPreview.h"
#include "report/output/frxPreviewPageSettings.h"
#include "report/output/frxSearchDialog.h"

namespace {

constexpr UINT WM_UPDATEZOOM = WM_USER + 1;
constexpr Integer kGlyphCount = 22;

void Line(TCanvas* c, Integer x1, Integer y1, Integer x2, Integer y2)
{
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

void Sheet(TCanvas* c, Integer x, Integer l, Integer t, Integer r, Integer b)
{
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clWhite);
  c->Rectangle(x + l, t, x + r, b);
}

void Arrow(TCanvas* c, Integer x, bool Left, bool Bar)
{
  c->Pen()->SetColor(clNavy);
  for (Integer i = 0; i < 5; ++i) {
    const Integer cx = Left ? x + 6 + i : x + 10 - i;
    Line(c, cx, 8 - i, cx, 9 + i);
  }
  if (Bar) {
    c->Brush()->SetColor(clNavy);
    c->FillRect(Left ? Rect(x + 3, 3, x + 5, 14) : Rect(x + 12, 3, x + 14, 14));
  }
}

// The glyphs of the tool bar, 16 x 16 each, on the strip's transparent colour.
void DrawGlyph(TCanvas* c, Integer i)
{
  const Integer x = 16 * i;
  c->Pen()->SetWidth(1);
  c->Brush()->SetStyle(bsSolid);
  switch (i) {
  case 0: // open: a folder
    c->Pen()->SetColor(clOlive);
    c->Brush()->SetColor(clYellow);
    c->Rectangle(x + 1, 5, x + 14, 14);
    c->Rectangle(x + 1, 3, x + 7, 6);
    break;
  case 1: // save: a disk
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clNavy);
    c->Rectangle(x + 2, 2, x + 14, 14);
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(x + 4, 3, x + 12, 8));
    c->Brush()->SetColor(clSilver);
    c->FillRect(Rect(x + 5, 10, x + 11, 14));
    break;
  case 2: // print: a printer with a sheet
    Sheet(c, x, 4, 1, 12, 7);
    c->Brush()->SetColor(clGray);
    c->Rectangle(x + 1, 6, x + 15, 13);
    c->Brush()->SetColor(clLime);
    c->FillRect(Rect(x + 11, 8, x + 13, 10));
    break;
  case 3: // export: a sheet with an arrow leaving it
    Sheet(c, x, 2, 1, 11, 15);
    c->Pen()->SetColor(clGreen);
    Line(c, x + 6, 8, x + 15, 8);
    Line(c, x + 12, 5, x + 15, 8);
    Line(c, x + 12, 11, x + 15, 8);
    break;
  case 4:  // find: a magnifier
  case 17: // zoom tool: a magnifier with a plus
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clAqua);
    c->Ellipse(x + 1, 1, x + 11, 11);
    c->Pen()->SetWidth(2);
    Line(c, x + 10, 10, x + 14, 14);
    c->Pen()->SetWidth(1);
    if (i == 17) {
      Line(c, x + 3, 6, x + 9, 6);
      Line(c, x + 6, 3, x + 6, 9);
    }
    break;
  case 5: // outline: a small tree
    c->Pen()->SetColor(clBlack);
    Line(c, x + 3, 2, x + 3, 13);
    for (Integer y : {4, 8, 12}) {
      Line(c, x + 3, y, x + 7, y);
      c->Brush()->SetColor(clNavy);
      c->FillRect(Rect(x + 8, y - 1, x + 14, y + 1));
    }
    break;
  case 7: // page settings: a sheet with its margins
    Sheet(c, x, 2, 1, 14, 15);
    c->Pen()->SetColor(clRed);
    c->Pen()->SetStyle(psDot);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(x + 4, 3, x + 12, 13);
    c->Pen()->SetStyle(psSolid);
    break;
  case 8:
    Arrow(c, x, true, true);
    break;
  case 9:
    Arrow(c, x, true, false);
    break;
  case 10:
    Arrow(c, x, false, false);
    break;
  case 11:
    Arrow(c, x, false, true);
    break;
  case 12: // whole page
    Sheet(c, x, 3, 1, 13, 15);
    break;
  case 13: // page width: a sheet with arrows to its sides
    Sheet(c, x, 3, 1, 13, 15);
    c->Pen()->SetColor(clNavy);
    Line(c, x + 4, 8, x + 12, 8);
    Line(c, x + 4, 8, x + 6, 6);
    Line(c, x + 4, 8, x + 6, 10);
    Line(c, x + 11, 8, x + 9, 6);
    Line(c, x + 11, 8, x + 9, 10);
    break;
  case 14: // 100%
    Sheet(c, x, 2, 2, 14, 14);
    c->Pen()->SetColor(clBlack);
    Line(c, x + 5, 5, x + 5, 12);
    Line(c, x + 10, 5, x + 10, 12);
    c->SetPixels(x + 7, 6, clBlack);
    c->SetPixels(x + 7, 10, clBlack);
    break;
  case 15: // two pages
    Sheet(c, x, 0, 2, 8, 14);
    Sheet(c, x, 8, 2, 16, 14);
    break;
  case 16: // hand tool: an open hand
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clWhite);
    c->Rectangle(x + 4, 7, x + 13, 15);
    for (Integer f = 0; f < 4; ++f)
      c->Rectangle(x + 4 + 2 * f, 2 + (f == 0 || f == 3 ? 2 : 0), x + 6 + 2 * f, 9);
    break;
  case 19: // add page
    Sheet(c, x, 2, 1, 12, 15);
    c->Pen()->SetColor(clGreen);
    c->Pen()->SetWidth(2);
    Line(c, x + 11, 6, x + 11, 14);
    Line(c, x + 7, 10, x + 15, 10);
    break;
  case 20: // delete page
    Sheet(c, x, 2, 1, 12, 15);
    c->Pen()->SetColor(clRed);
    c->Pen()->SetWidth(2);
    Line(c, x + 7, 6, x + 14, 13);
    Line(c, x + 14, 6, x + 7, 13);
    break;
  case 21: // edit page: a sheet and a pencil
    Sheet(c, x, 1, 1, 11, 15);
    c->Pen()->SetColor(clMaroon);
    c->Pen()->SetWidth(2);
    Line(c, x + 6, 12, x + 14, 4);
    break;
  default:
    break;
  }
  c->Pen()->SetWidth(1);
}

TBitmap* MakeGlyphStrip()
{
  auto* strip = new TBitmap(16 * kGlyphCount, 16);
  TCanvas* c = strip->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(Rect(0, 0, strip->Width(), 16));
  for (Integer i = 0; i < kGlyphCount; ++i)
    DrawGlyph(c, i);
  return strip;
}

TForm* CreatePreviewForm(TComponent* AOwner)
{
  return new TfrxPreviewForm(AOwner);
}

// The report library's error box (ShowErrorMessage).
void ErrorMessageBox(const AnsiString& Text, const AnsiString& Caption)
{
  ShowMessageBox(Text, Caption, {{"确定", mrOk}}, 0);
}

const char* const kPreviewTexts = "Caption=预览\r\n"
                                  "PrintB.Caption=打印\r\n"
                                  "PrintB.Hint=打印\r\n"
                                  "OpenB.Caption=打开报表\r\n"
                                  "OpenB.Hint=打开报表\r\n"
                                  "SaveB.Caption=保存报表\r\n"
                                  "SaveB.Hint=保存报表\r\n"
                                  "ExportB.Caption=导出报表\r\n"
                                  "ExportB.Hint=导出报表\r\n"
                                  "FindB.Caption=查找文本\r\n"
                                  "FindB.Hint=查找文本\r\n"
                                  "ZoomWholePageB.Caption=整页\r\n"
                                  "ZoomWholePageB.Hint=整页\r\n"
                                  "ZoomPageWidthB.Caption=页宽\r\n"
                                  "ZoomPageWidthB.Hint=页宽\r\n"
                                  "Zoom100B.Caption=100%\r\n"
                                  "Zoom100B.Hint=100%\r\n"
                                  "Zoom50B.Caption=双页\r\n"
                                  "Zoom50B.Hint=双页\r\n"
                                  "ZoomCB.Hint=缩放\r\n"
                                  "PageSettingsB.Caption=页面设置\r\n"
                                  "PageSettingsB.Hint=页面设置\r\n"
                                  "OutlineB.Caption=大纲\r\n"
                                  "OutlineB.Hint=大纲\r\n"
                                  "HandToolB.Caption=拖放\r\n"
                                  "HandToolB.Hint=拖放\r\n"
                                  "ZoomToolB.Caption=缩放工具\r\n"
                                  "ZoomToolB.Hint=缩放工具\r\n"
                                  "NewPageB.Caption=增加页\r\n"
                                  "NewPageB.Hint=增加页\r\n"
                                  "DelPageB.Caption=删除页\r\n"
                                  "DelPageB.Hint=删除页\r\n"
                                  "DesignerB.Caption=编辑页\r\n"
                                  "DesignerB.Hint=编辑页\r\n"
                                  "FirstB.Caption=第一页\r\n"
                                  "FirstB.Hint=第一页\r\n"
                                  "PriorB.Caption=上一页\r\n"
                                  "PriorB.Hint=上一页\r\n"
                                  "PageE.Hint=页数\r\n"
                                  "NextB.Caption=下一页\r\n"
                                  "NextB.Hint=下一页\r\n"
                                  "LastB.Caption=最后一页\r\n"
                                  "LastB.Hint=最后一页\r\n"
                                  "CancelB.Caption=关闭预览\r\n";

// The cursors of the hand and zoom tools.
const std::vector<AnsiString> kHandCursorArt = {
    "      ##        ", "   ## #..###    ", "  #..##..#..#   ", "  #..##..#..# # ",
    "   #..#..#..##.#", "   #..#..#..#..#", " ## #.......#..#", "#..##..........#",
    "#...#.........# ", " #............# ", "  #...........# ", "  #..........#  ",
    "   #.........#  ", "    #.......#   ", "     #......#   ", "     #......#   "};
const std::vector<AnsiString> kZoomCursorArt = {
    "    ####        ", "  ##....##      ", " #........#     ", " #...##...#     ",
    "#....##....#    ", "#..######..#    ", "#..######..#    ", "#....##....#    ",
    " #...##...#     ", " #........#     ", "  ##....####    ", "    ####  ###   ",
    "           ###  ", "            ### ", "             ###", "              ##"};

template <class T> T* AddItem(TToolBar* Bar, TComponent* Owner, const char* Name)
{
  auto* item = new T(Owner);
  item->SetName(Name);
  item->SetParent(Bar);
  return item;
}

} // namespace

TfrxPreviewForm::TfrxPreviewForm(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("frxPreviewForm");
  SetCaption("Preview");
  Font()->SetName("Tahoma");
  Font()->SetHeight(-11);
  SetKeyPreview(true);
  SetShowHint(true);
  SetPosition(poScreenCenter);
  HandleNeeded();
  SetClientWidth(741);
  SetClientHeight(584);

  FImages = std::make_unique<TCustomImageList>(16, 16, nullptr);
  MainImages = FImages.get();
  {
    std::unique_ptr<TBitmap> image1(MakeGlyphStrip());
    SplitBitmapToImageList(image1.get(), 16, 16, nullptr, MainImages);
  }

  ToolBar = new TToolBar(this);
  ToolBar->SetName("ToolBar");
  ToolBar->SetParent(this);
  ToolBar->SetFlat(true);
  ToolBar->SetBorderWidth(2);
  ToolBar->SetButtonHeight(23);
  ToolBar->SetWrapable(false);
  ToolBar->SetImages(MainImages);
  ToolBar->SetAutoSize(true);

  auto button = [this](const char* Name, Integer Image, const char* Caption,
                       void (TfrxPreviewForm::*Handler)(TObject*)) {
    auto* b = AddItem<TToolButton>(ToolBar, this, Name);
    b->SetImageIndex(Image);
    b->SetCaption(Caption);
    if (Handler)
      b->OnClick = TNotifyEvent::Bind(this, Handler);
    return b;
  };
  auto separator = [this](const char* Name) {
    auto* s = AddItem<TToolButton>(ToolBar, this, Name);
    s->SetStyle(tbsSeparator);
    s->SetWidth(8);
    return s;
  };
  PrintB = button("PrintB", 2, "Print", &TfrxPreviewForm::PrintBClick);
  OpenB = button("OpenB", 0, "Open", &TfrxPreviewForm::OpenBClick);
  SaveB = button("SaveB", 1, "Save", &TfrxPreviewForm::SaveBClick);
  ExportB = button("ExportB", 3, "Export", nullptr);
  FindB = button("FindB", 4, "Find", &TfrxPreviewForm::FindBClick);
  Sep1 = separator("Sep1");
  ZoomWholePageB =
      button("ZoomWholePageB", 12, "Whole Page", &TfrxPreviewForm::ZoomWholePageBClick);
  ZoomPageWidthB =
      button("ZoomPageWidthB", 13, "Page Width", &TfrxPreviewForm::ZoomPageWidthBClick);
  Zoom100B = button("Zoom100B", 14, "100%", &TfrxPreviewForm::Zoom100BClick);
  Zoom50B = button("Zoom50B", 15, "Two Pages", &TfrxPreviewForm::Zoom50BClick);
  Sep3 = AddItem<TfrxTBPanel>(ToolBar, this, "Sep3");
  Sep3->SetBounds(0, 0, 68, 23);
  ZoomCB = new TfrxComboBox(this);
  ZoomCB->SetName("ZoomCB");
  ZoomCB->SetStyle(csDropDown);
  ZoomCB->SetParent(Sep3);
  ZoomCB->SetBounds(2, 1, 64, 21);
  ZoomCB->SetListWidth(100);
  ZoomCB->SetHint("Zoom");
  ZoomCB->OnClick = TNotifyEvent::Bind(this, &TfrxPreviewForm::ZoomCBClick);
  ZoomCB->OnKeyDown = TKeyEvent::Bind(this, &TfrxPreviewForm::ZoomCBKeyDown);
  Sep2 = separator("Sep2");
  PageSettingsB = button("PageSettingsB", 7, "Margins", &TfrxPreviewForm::PageSettingsBClick);
  OutlineB = button("OutlineB", 5, "Outline", &TfrxPreviewForm::OutlineBClick);
  OutlineB->SetStyle(tbsCheck);
  Sep5 = separator("Sep5");
  HandToolB = button("HandToolB", 16, "Drag", &TfrxPreviewForm::ToolBClick);
  HandToolB->SetStyle(tbsCheck);
  HandToolB->SetGrouped(true);
  HandToolB->SetDown(true);
  ZoomToolB = button("ZoomToolB", 17, "Zoom", &TfrxPreviewForm::ToolBClick);
  ZoomToolB->SetStyle(tbsCheck);
  ZoomToolB->SetGrouped(true);
  Sep7 = separator("Sep7");
  NewPageB = button("NewPageB", 19, "Add Page", &TfrxPreviewForm::NewPageBClick);
  DelPageB = button("DelPageB", 20, "Delete", &TfrxPreviewForm::DelPageBClick);
  DesignerB = button("DesignerB", 21, "Edit", &TfrxPreviewForm::DesignerBClick);
  DesignerB->OnMouseUp = TMouseEvent::Bind(this, &TfrxPreviewForm::DesignerBMouseUp);
  Sep6 = separator("Sep6");
  FirstB = button("FirstB", 8, "First", &TfrxPreviewForm::FirstBClick);
  PriorB = button("PriorB", 9, "Prior", &TfrxPreviewForm::PriorBClick);
  Sep4 = AddItem<TfrxTBPanel>(ToolBar, this, "Sep4");
  Sep4->SetBounds(0, 0, 40, 23);
  PageE = new TEdit(this);
  PageE->SetName("PageE");
  PageE->SetParent(Sep4);
  PageE->SetBorderStyle(bsNone);
  PageE->SetBounds(2, 4, 36, 16);
  PageE->SetText("1");
  PageE->SetHint("Page number");
  PageE->OnKeyDown = TKeyEvent::Bind(this, &TfrxPreviewForm::PageEKeyDown);
  NextB = button("NextB", 10, "Next", &TfrxPreviewForm::NextBClick);
  LastB = button("LastB", 11, "Last", &TfrxPreviewForm::LastBClick);
  frTBPanel1 = AddItem<TfrxTBPanel>(ToolBar, this, "frTBPanel1");
  frTBPanel1->SetBounds(0, 0, 50, 23);
  CancelB = new TSpeedButton(this);
  CancelB->SetName("CancelB");
  CancelB->SetParent(ToolBar);
  CancelB->SetBounds(0, 0, 68, 23);
  CancelB->SetFlat(true);
  CancelB->SetCaption("Close");
  CancelB->OnClick = TNotifyEvent::Bind(this, &TfrxPreviewForm::CancelBClick);

  StatusBar = new TStatusBar(this);
  StatusBar->SetName("StatusBar");
  StatusBar->SetParent(this);
  StatusBar->Panels()->Add()->SetWidth(150);
  StatusBar->Panels()->Add()->SetWidth(50);

  ExportPopup = new TPopupMenu(this);
  ExportPopup->SetName("ExportPopup");
  ExportB->SetStyle(tbsDropDown);
  ExportB->SetDropdownMenu(ExportPopup);
  ExportB->OnClick = [this](TObject*) { ExportB->CheckMenuDropdown(); };
  HiddenMenu = new TPopupMenu(this);
  HiddenMenu->SetName("HiddenMenu");
  Showtemplate1 = new TMenuItem(this);
  Showtemplate1->SetName("Showtemplate1");
  Showtemplate1->SetCaption("Show template");
  Showtemplate1->OnClick = TNotifyEvent::Bind(this, &TfrxPreviewForm::Showtemplate1Click);
  HiddenMenu->Items()->Add(Showtemplate1);

  // Creation: the texts, the zoom list, the preview control.
  ReportResources()->LocalizeForm(this);
  for (const char* zoom : {"25%", "50%", "75%", "100%", "150%", "200%"})
    ZoomCB->Items()->Add(zoom);
  ZoomCB->Items()->Add(ReportResources()->Lookup("zmPageWidth"));
  ZoomCB->Items()->Add(ReportResources()->Lookup("zmWholePage"));
  FPreview = new TfrxPreview(this);
  FPreview->SetName("Preview");
  FPreview->SetParent(this);
  FPreview->SetAlign(alClient);
  FPreview->OnPageChanged = TfrxPageChangedEvent::Bind(this, &TfrxPreviewForm::UpdatePageDisplay);
  SetActiveControl(FPreview->Workspace());
  EndLoading();
}

TfrxPreviewForm::~TfrxPreviewForm() = default;

void TfrxPreviewForm::RemoveButton(TControl* Button)
{
  Button->SetParent(nullptr);
}

void TfrxPreviewForm::ApplyPreviewOptions()
{
  TfrxReport* report = FPreview->Report();
  if (!report)
    return;
  TfrxPreviewOptions* options = report->PreviewOptions();
  if (options->Maximized())
    SetWindowState(wsMaximized);
  if (options->MDIChild() && Application()->MainForm() &&
      Application()->MainForm()->FormStyle() == fsMDIForm)
    SetFormStyle(fsMDIChild);
  FPreview->SetOutlineVisible(options->OutlineVisible());
  FPreview->OutlineTree()->SetWidth(options->OutlineWidth());
  FPreview->SetZoom(options->Zoom());
  FPreview->SetZoomMode(options->ZoomMode());
  NewPageB->SetEnabled(options->AllowEdit());
  DelPageB->SetEnabled(options->AllowEdit());
  DesignerB->SetEnabled(options->AllowEdit());

  const TfrxPreviewButtons buttons = options->Buttons();
  PrintB->SetVisible(buttons.Contains(pbPrint));
  OpenB->SetVisible(buttons.Contains(pbLoad));
  SaveB->SetVisible(buttons.Contains(pbSave));
  ExportB->SetVisible(buttons.Contains(pbExport));
  FindB->SetVisible(buttons.Contains(pbFind));
  const bool zoom = buttons.Contains(pbZoom);
  for (TControl* c :
       std::initializer_list<TControl*>{ZoomWholePageB, ZoomPageWidthB, Zoom100B, Zoom50B, Sep3})
    c->SetVisible(zoom);
  if (!zoom)
    RemoveButton(Sep1);
  OutlineB->SetVisible(buttons.Contains(pbOutline));
  OutlineB->SetDown(options->OutlineVisible());
  PageSettingsB->SetVisible(buttons.Contains(pbPageSetup));
  if (!OutlineB->Visible() && !PageSettingsB->Visible())
    RemoveButton(Sep2);
  const bool tools = buttons.Contains(pbTools);
  HandToolB->SetVisible(tools);
  ZoomToolB->SetVisible(tools);
  if (!tools)
    RemoveButton(Sep5);
  const bool edit = buttons.Contains(pbEdit);
  for (TControl* c : std::initializer_list<TControl*>{NewPageB, DelPageB, DesignerB})
    c->SetVisible(edit);
  if (!edit)
    RemoveButton(Sep7);
  const bool navigator = buttons.Contains(pbNavigator);
  for (TControl* c : std::initializer_list<TControl*>{FirstB, PriorB, NextB, LastB, Sep4})
    c->SetVisible(navigator);
  if (!navigator)
    RemoveButton(Sep6);
  ToolBar->SetShowCaptions(options->ShowCaptions());

  ExportPopup->Items()->Clear();
  if (TfrxExportFilterCollection* filters = RegisteredExportFilters())
    for (Integer i = 0; i < filters->Count(); ++i) {
      TfrxCustomExportFilter* filter = filters->Items(i)->Filter;
      if (!filter)
        continue;
      auto* item = new TMenuItem(ExportPopup);
      item->SetCaption(filter->FilterCaption() + "...");
      item->SetTag(i);
      item->OnClick = TNotifyEvent::Bind(this, &TfrxPreviewForm::ExportItemClick);
      ExportPopup->Items()->Add(item);
    }
  if (!report->ReportOptions()->Name().empty())
    SetCaption(report->ReportOptions()->Name());
  FPreview->ResetFromReport();
}

void TfrxPreviewForm::ShowStatusMessage(const AnsiString& Text)
{
  StatusBar->Panels()->Items(1)->SetText(Text);
  Application()->ProcessMessages();
}

void TfrxPreviewForm::UpdatePageDisplay(TfrxPreview* Sender, Integer PageNo)
{
  TfrxCustomPreviewPages* pages = FPreview->PreviewPages();
  if (!pages)
    return;
  TfrxCustomEngine* engine = pages->Engine();
  if (engine && engine->Running() && !engine->FinalPass())
    StatusBar->Panels()->Items(0)->SetText(ReportResources()->Lookup("clFirstPass") +
                                           IntToStr(pages->PageCount()));
  else
    StatusBar->Panels()->Items(0)->SetText(
        Format(ReportResources()->Lookup("clPageOf"), {PageNo, pages->PageCount()}));
  PageE->SetText(IntToStr(PageNo));
}

void TfrxPreviewForm::UpdateZoomText()
{
  ZoomCB->SetText(IntToStr(static_cast<Integer>(std::nearbyint(FPreview->Zoom() * 100))) + "%");
}

void TfrxPreviewForm::UpdateControls()
{
  const bool idle = !FPreview->Running();
  const bool edit = idle && FPreview->Report() && FPreview->Report()->PreviewOptions()->AllowEdit();
  auto enable = [](TToolButton* b, bool on) {
    if (!on)
      b->SetDown(false);
    b->SetEnabled(on);
  };
  for (TToolButton* b : {PrintB, OpenB, SaveB, ExportB, FindB, PageSettingsB})
    enable(b, idle);
  for (TToolButton* b : {NewPageB, DelPageB, DesignerB})
    enable(b, edit);
}

// ---- Commands ----

void TfrxPreviewForm::PrintBClick(TObject*)
{
  if (!GlobalPrinters()->PhysicalPrintersFound()) {
    ShowErrorMessage(ReportResources()->Lookup("clNoPrinters"));
    return;
  }
  FPreview->Print();
}

void TfrxPreviewForm::OpenBClick(TObject*)
{
  FPreview->LoadFromFile();
}

void TfrxPreviewForm::SaveBClick(TObject*)
{
  FPreview->SaveToFile();
}

void TfrxPreviewForm::FindBClick(TObject*)
{
  FPreview->Find();
}

void TfrxPreviewForm::ZoomWholePageBClick(TObject*)
{
  FPreview->SetZoomMode(zmWholePage);
  UpdateZoomText();
}

void TfrxPreviewForm::ZoomPageWidthBClick(TObject*)
{
  FPreview->SetZoomMode(zmPageWidth);
  UpdateZoomText();
}

void TfrxPreviewForm::Zoom100BClick(TObject*)
{
  FPreview->SetZoom(1);
  UpdateZoomText();
}

void TfrxPreviewForm::Zoom50BClick(TObject*)
{
  FPreview->SetZoomMode(zmManyPages);
  UpdateZoomText();
}

// The zoom box: the two fit entries switch modes, anything else is read as a percentage
// ("75 %" and "75" alike); the box then shows the zoom that resulted.
void TfrxPreviewForm::ZoomCBClick(TObject*)
{
  if (FPreview->Workspace()->CanFocus())
    FPreview->Workspace()->SetFocus();
  const Integer index = ZoomCB->ItemIndex();
  if (index == 6 && ZoomCB->Text() == ZoomCB->Items()->Strings(6)) {
    ZoomPageWidthBClick(nullptr);
  } else if (index == 7 && ZoomCB->Text() == ZoomCB->Items()->Strings(7)) {
    ZoomWholePageBClick(nullptr);
  } else {
    AnsiString text = ZoomCB->Text();
    const size_t percent = text.find('%');
    if (percent != AnsiString::npos)
      text[percent] = ' ';
    text = StringReplace(text, " ", "", {rfReplaceAll});
    if (!text.empty())
      FPreview->SetZoom(ParseFloatLenient(text) / 100);
  }
  if (HandleAllocated())
    PostMessage(FHandle, WM_UPDATEZOOM, 0, 0);
}

void TfrxPreviewForm::ZoomCBKeyDown(TObject*, Word& Key, TShiftState)
{
  if (Key != VK_RETURN)
    return;
  Key = 0;
  ZoomCBClick(nullptr);
}

void TfrxPreviewForm::PageEKeyDown(TObject*, Word& Key, TShiftState)
{
  if (Key != VK_RETURN)
    return;
  Key = 0;
  FPreview->SelectPage(StrToInt(PageE->Text()));
  if (FPreview->Workspace()->CanFocus())
    FPreview->Workspace()->SetFocus();
}

void TfrxPreviewForm::PageSettingsBClick(TObject*)
{
  FPreview->PageSetupDialog();
}

void TfrxPreviewForm::OutlineBClick(TObject*)
{
  FPreview->SetOutlineVisible(OutlineB->Down());
  FPreview->UpdateZoom();
}

void TfrxPreviewForm::ToolBClick(TObject*)
{
  if (HandToolB->Down())
    FPreview->SetTool(0);
  else if (ZoomToolB->Down())
    FPreview->SetTool(1);
}

void TfrxPreviewForm::NewPageBClick(TObject*)
{
  FPreview->AddPage();
}

void TfrxPreviewForm::DelPageBClick(TObject*)
{
  FPreview->DeletePage();
}

void TfrxPreviewForm::DesignerBClick(TObject*)
{
  FPreview->Edit();
}

void TfrxPreviewForm::DesignerBMouseUp(TObject*, TMouseButton Button, TShiftState, Integer, Integer)
{
  if (Button != mbRight)
    return;
  TPoint p = DesignerB->ClientToScreen({0, 0});
  HiddenMenu->Popup(p.X, p.Y);
}

void TfrxPreviewForm::Showtemplate1Click(TObject*)
{
  FPreview->EditTemplate();
}

void TfrxPreviewForm::FirstBClick(TObject*)
{
  FPreview->First();
}

void TfrxPreviewForm::PriorBClick(TObject*)
{
  FPreview->Prior();
}

void TfrxPreviewForm::NextBClick(TObject*)
{
  FPreview->Next();
}

void TfrxPreviewForm::LastBClick(TObject*)
{
  FPreview->Last();
}

void TfrxPreviewForm::CancelBClick(TObject*)
{
  if (FPreview->Running())
    FPreview->CancelIfRunning();
  else
    Close();
}

void TfrxPreviewForm::ExportItemClick(TObject* Sender)
{
  auto* item = static_cast<TMenuItem*>(Sender);
  TfrxExportFilterCollection* filters = RegisteredExportFilters();
  const Integer index = static_cast<Integer>(item->Tag());
  if (!filters || index < 0 || index >= filters->Count())
    return;
  FPreview->Export(filters->Items(index)->Filter);
}

// ---- The window ----

void TfrxPreviewForm::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_UPDATEZOOM) {
    UpdateZoomText();
    return;
  }
  // While a build runs the window stays: a close request is dropped, not kept for later.
  if (Message.Msg == WM_CLOSE && FPreview->Running())
    return;
  TForm::Dispatch(Message);
}

void TfrxPreviewForm::KeyDown(Word& Key, TShiftState Shift)
{
  TForm::KeyDown(Key, Shift);
  if (Key == VK_ESCAPE) {
    Key = 0;
    CancelBClick(nullptr);
  }
}

bool TfrxPreviewForm::DoMouseWheel(TShiftState, Integer WheelDelta, TPoint)
{
  FPreview->MouseWheelScroll(WheelDelta);
  return true;
}

bool TfrxPreviewForm::CloseQuery()
{
  return !FPreview->Running() && TForm::CloseQuery();
}

void TfrxPreviewForm::DoClose(TCloseAction& Action)
{
  TForm::DoClose(Action);
  if (FFreeOnClose)
    Action = caFree;
}

// ---- Unit start-up ----

void RegisterPreviewUnit()
{
  RegisterCtrlsClasses();
  RegisterDockClasses();
  TClassRegistration<TfrxPreview, TfrxCustomPreview>("TfrxPreview");
  TClassRegistration<TfrxPreviewWorkspace, TfrxScrollWin>("TfrxPreviewWorkspace");
  TClassRegistration<TfrxPreviewForm, TForm>("TfrxPreviewForm");
  RegisterSearchDialog();
  RegisterPageSettingsForm();
  ReportResources()->Add("TfrxPreviewForm", kPreviewTexts);
  RegisterCursorResource("frxHAND", kHandCursorArt, {7, 7});
  RegisterCursorResource("frxZOOM", kZoomCursorArt, {5, 5});
  if (Screen()) {
    Screen()->SetCursors(50, LoadCursor(0, "frxHAND"));
    Screen()->SetCursors(51, LoadCursor(0, "frxZOOM"));
  }
  SetPreviewFormFactory(CreatePreviewForm);
  SetErrorMessageBox(ErrorMessageBox);
}

void UnregisterPreviewUnit()
{
  SetErrorMessageBox(nullptr);
  SetPreviewFormFactory(nullptr);
}
