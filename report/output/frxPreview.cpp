// The preview control (frxPreview.h): paging, zoom, tools, the outline, find, the commands
// on the prepared pages and the progress of a build.
#include "report/output/frxPreview.h"

#include <cmath>

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxRes.h"
#include "report/output/frxPreviewPageSettings.h"
#include "report/output/frxSearchDialog.h"

namespace {

constexpr TCursor kHandCursor = 50;
constexpr TCursor kZoomCursor = 51;

// The outline's node data: the page number in the low 20 bits, half the top above them.
NativeInt EncodeOutlineNode(Integer PageIndex, Integer Top)
{
  return static_cast<Integer>((PageIndex + 1) + ((Top / 2) << 20));
}

void DecodeOutlineNode(NativeInt Data, Integer& PageNo, Integer& Offset)
{
  const Integer value = static_cast<Integer>(Data);
  PageNo = value % (1 << 20);
  Offset = (value / (1 << 20)) * 2;
}

AnsiString PreparedReportFilter()
{
  return ReportResources()->Lookup("clFP3files") + " (*.fp3)|*.fp3";
}

} // namespace

TfrxPreview::TfrxPreview(TComponent* AOwner) : TfrxCustomPreview(AOwner)
{
  SetBounds(0, 0, 100, 100);
  FOutline = new TTreeView(this);
  FOutline->SetParent(this);
  FOutline->SetAlign(alLeft);
  FOutline->SetWidth(120);
  FOutline->SetReadOnly(true);
  FOutline->SetVisible(false);
  FOutline->OnClick = TNotifyEvent::Bind(this, &TfrxPreview::OutlineClick);
  FSplitter = new TSplitter(this);
  FSplitter->SetParent(this);
  FSplitter->SetLeft(1000);
  FSplitter->SetAlign(alLeft);
  FSplitter->SetWidth(2);
  FSplitter->SetMinSize(1);
  FSplitter->SetVisible(false);
  FWorkspace = new TfrxPreviewWorkspace(this);
  FWorkspace->SetParent(this);
  FWorkspace->SetAlign(alClient);
  FMessagePanel = new TPanel(this);
  FMessagePanel->SetParent(this);
  FMessagePanel->SetVisible(false);
  FMessagePanel->SetBounds(0, 0, 260, 75);
  FMessagePanel->SetCaption("");
  FMessageLabel = new TLabel(this);
  FMessageLabel->SetParent(FMessagePanel);
  FMessageLabel->SetAutoSize(false);
  FMessageLabel->SetBounds(4, 20, 255, 20);
  FMessageLabel->SetAlignment(taCenter);
  SetTool(0);
}

TfrxPreview::~TfrxPreview()
{
  if (Report() && Report()->Preview() == this)
    Report()->SetPreview(nullptr);
}

TfrxPreviewForm* TfrxPreview::Window() const
{
  return dynamic_cast<TfrxPreviewForm*>(Owner());
}

void TfrxPreview::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxCustomPreview::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == Report()) {
    SetReport(nullptr);
    SetPreviewPages(nullptr);
    FWorkspace->PageList()->Clear();
    FPageNo = 0;
    FWorkspace->Invalidate();
  }
}

Integer TfrxPreview::PageCount()
{
  return PreviewPages() ? PreviewPages()->PageCount() : 0;
}

bool TfrxPreview::OutlineVisible() const
{
  return FOutline->Visible();
}

void TfrxPreview::SetOutlineVisible(bool Value)
{
  FOutline->SetVisible(Value);
  FSplitter->SetVisible(Value);
  if (Value)
    FSplitter->SetLeft(FOutline->Left() + FOutline->Width() + 1);
}

// ---- The report's calls ----

void TfrxPreview::ResetFromReport()
{
  TfrxFindState& find = PreviewFindState();
  find.Found = false;
  find.LastRecord = -1;
  FWorkspace->SetSearchPage(0);
  FFindNextArmed = false;
  if (Report()) {
    Report()->FreeNotification(this);
    FWorkspace->SetDoubleBuffered(Report()->PreviewOptions()->DoubleBuffered());
  }
  UpdatePages();
  UpdateZoom();
  UpdateOutline();
  First();
}

void TfrxPreview::Freeze()
{
  FLocked = true;
}

// The page number stays as it was (bounded by the page count): the page on screen is the one
// Next and Prior step from, also after printing, exporting or saving.
void TfrxPreview::Thaw()
{
  HideProgressPanel();
  FLocked = false;
  const Integer count = PageCount();
  if (FPageNo > count)
    FPageNo = count;
  if (FPageNo < 1 && count > 0)
    FPageNo = 1;
  UpdateZoom();
  FWorkspace->Invalidate();
}

template <class F> void TfrxPreview::Frozen(F&& Command)
{
  Freeze();
  TScopeExit thaw([this] { Thaw(); });
  Command();
}

void TfrxPreview::BeginProgress(TfrxReport*, Integer, Integer)
{
  Clear();
  FRunning = true;
  if (TfrxPreviewForm* window = Window())
    window->UpdateControls();
}

void TfrxPreview::StepProgress(TfrxReport* Sender, Integer, Integer Value)
{
  TfrxReport* report = Sender ? Sender : Report();
  if (report && report->Engine() && report->Engine()->FinalPass() && PreviewPages())
    FWorkspace->PageList()->AddPage(static_cast<Integer>(PreviewPages()->PageSize(Value).X),
                                    static_cast<Integer>(PreviewPages()->PageSize(Value).Y));
  if (Value == 0) {
    FOutline->Items()->Clear();
    SelectPage(1);
    UpdateZoom();
    if (TfrxPreviewForm* window = Window())
      window->CancelB->SetCaption(ReportResources()->Lookup("clCancel"));
    FTickStart = GetTickCount();
  } else if (Value == 1) {
    // Fast builds refresh the display every 50 pages, slow ones every 5.
    const Cardinal ms = GetTickCount() - FTickStart;
    FRefreshInterval = ms <= 4 ? 50 : ms > 9 ? 5 : 20;
    SelectPage(1);
    UpdateZoom();
  } else if (FRefreshInterval > 0 && Value % FRefreshInterval == 0) {
    DoPageChanged();
    FWorkspace->UpdateScrollBars();
  }
  Application()->ProcessMessages();
}

void TfrxPreview::EndProgress(TfrxReport*, Integer, Integer)
{
  FRunning = false;
  DoPageChanged();
  FWorkspace->UpdateScrollBars();
  UpdateZoom();
  UpdateOutline();
  if (TfrxPreviewForm* window = Window()) {
    window->CancelB->SetCaption(ReportResources()->Lookup("clClose"));
    window->StatusBar->Panels()->Items(1)->SetText("");
    window->UpdateControls();
  }
}

// ---- Paging ----

void TfrxPreview::SelectPage(Integer PageN)
{
  if (PageN <= 0)
    PageN = 1;
  const Integer count = PageCount();
  if (PageN > count)
    PageN = count;
  FPageNo = PageN;
  if (!FWorkspace->FDisableScroll) {
    // The scroll moves the current page by the position; the page chosen here stays.
    FWorkspace->FDisableScroll = true;
    TScopeExit enable([this] { FWorkspace->FDisableScroll = false; });
    FWorkspace->SetVertPosition(
        FWorkspace->PageList()->GetPageBounds(PageN - 1, FWorkspace->ClientWidth(), FZoom).Top -
        10);
  }
  DoPageChanged();
}

void TfrxPreview::DoPageChanged()
{
  if (OnPageChanged)
    OnPageChanged(this, FPageNo);
}

void TfrxPreview::ScrollToPagePosition(Integer PageN, Integer Offset)
{
  PageN = std::min(PageN, PageCount());
  const Integer index = PageN <= 0 ? 0 : PageN - 1;
  Integer d = 0;
  if (Offset != 0 && PreviewPages()) {
    Extended top = 0;
    if (auto* page = dynamic_cast<TfrxReportPage*>(PreviewPages()->BuildPage(index)))
      top = page->TopMargin();
    d = static_cast<Integer>(std::nearbyint((Offset + top * 3.77953) * FZoom));
  }
  FWorkspace->SetVertPosition(
      FWorkspace->PageList()->GetPageBounds(index, FWorkspace->ClientWidth(), FZoom).Top + d - 10);
}

void TfrxPreview::HideProgressPanel()
{
  FMessagePanel->SetVisible(false);
}

void TfrxPreview::ShowMessage(const AnsiString& Text)
{
  FMessagePanel->SetBounds((Width() - 260) / 2, (Height() - 75) / 3, 260, 75);
  FMessageLabel->SetCaption(Text);
  FMessagePanel->SetVisible(true);
  FMessagePanel->BringToFront();
  FMessagePanel->Repaint();
}

void TfrxPreview::MouseWheelScroll(Integer Delta)
{
  const Integer sign = Delta > 0 ? 1 : Delta < 0 ? -1 : 0;
  FWorkspace->SetVertPosition(FWorkspace->VertPosition() - sign * 20);
}

// ---- Zoom and layout ----

void TfrxPreview::SetZoom(Extended Value)
{
  FZoom = Value;
  if (!(Value >= 0.25))
    FZoom = 0.25;
  if (FZoomMode == zmManyPages)
    SetZoomMode(zmDefault);
  FZoomMode = zmDefault;
  UpdateZoom();
}

void TfrxPreview::SetZoomMode(TfrxZoomMode Value)
{
  FZoomMode = Value;
  UpdatePages();
  UpdateZoom();
}

void TfrxPreview::SetTool(Integer Value)
{
  FTool = Value;
  FWorkspace->SetToolCursor(Value == 0 ? kHandCursor : Value == 1 ? kZoomCursor : crDefault);
}

void TfrxPreview::UpdatePages()
{
  FFindNextArmed = false;
  FWorkspace->ClearFindCache();
  TfrxPageList* list = FWorkspace->PageList();
  list->Clear();
  if (!PreviewPages())
    return;
  list->SetColumns(FZoomMode == zmManyPages ? 2 : 1);
  const Integer count = PageCount();
  for (Integer i = 0; i < count; ++i) {
    TfrxPoint size = PreviewPages()->PageSize(i);
    list->AddPage(static_cast<Integer>(size.X), static_cast<Integer>(size.Y));
  }
}

void TfrxPreview::UpdateZoom()
{
  if (FLocked || PageCount() == 0)
    return;
  TfrxPoint size = PreviewPages()->PageSize(std::max(FPageNo - 1, 0));
  Extended zoom = FZoom;
  switch (FZoomMode) {
  case zmWholePage:
    zoom = size.Y > 0 ? (FWorkspace->ClientHeight() - 20) / size.Y : 0;
    break;
  case zmPageWidth:
    zoom = size.X > 0 ? (FWorkspace->ClientWidth() - 20) / size.X : 0;
    break;
  case zmManyPages:
    zoom = size.X > 0 ? (FWorkspace->ClientWidth() - 32) / (2 * size.X) : 0;
    break;
  default:
    break;
  }
  // A client too small for any page (a minimized or tiny window) keeps the last zoom.
  if (zoom > 0 && std::isfinite(static_cast<double>(zoom)))
    FZoom = zoom;
  FWorkspace->UpdateScrollBars();
  FWorkspace->Invalidate();
  if (TfrxPreviewForm* window = Window())
    window->UpdateZoomText();
}

void TfrxPreview::Resize()
{
  TfrxCustomPreview::Resize();
  if (PreviewPages())
    UpdateZoom();
}

// ---- Outline ----

void TfrxPreview::AddOutlineNodes(TTreeNode* Parent)
{
  TfrxCustomOutline* outline = PreviewPages()->Outline();
  const Integer count = outline->Count();
  for (Integer i = 0; i < count; ++i) {
    AnsiString text;
    Integer page = 0, top = 0;
    outline->GetItem(i, text, page, top);
    TTreeNode* node = FOutline->Items()->AddChildObject(
        Parent, text, reinterpret_cast<void*>(EncodeOutlineNode(page, top)));
    outline->LevelDown(i);
    AddOutlineNodes(node);
    outline->LevelUp();
  }
}

void TfrxPreview::UpdateOutline()
{
  TTreeNodes* items = FOutline->Items();
  items->BeginUpdate();
  TScopeExit end([items] { items->EndUpdate(); });
  items->Clear();
  if (!PreviewPages() || !PreviewPages()->Outline())
    return;
  PreviewPages()->Outline()->LevelRoot();
  AddOutlineNodes(nullptr);
  FOutline->FullExpand();
  if (TTreeNode* first = items->GetFirstNode())
    FOutline->SetTopItem(first);
}

void TfrxPreview::OutlineClick(TObject*)
{
  TTreeNode* node = FOutline->Selected();
  if (!node)
    return;
  Integer pageNo = 0, offset = 0;
  DecodeOutlineNode(reinterpret_cast<NativeInt>(node->Data()), pageNo, offset);
  ScrollToPagePosition(pageNo, offset);
}

// ---- Keys ----

void TfrxPreview::HandleKey(Word& Key, TShiftState Shift)
{
  FWorkspace->DoKey(Key, Shift);
  TfrxPreviewButtons buttons =
      Report() ? Report()->PreviewOptions()->Buttons() : TfrxPreviewOptions::AllButtons();
  if (Key == VK_F3 && buttons.Contains(pbFind)) {
    FindNext();
  } else if (Shift.Contains(ssCtrl)) {
    if (Key == 'P' && buttons.Contains(pbPrint))
      Print();
    else if (Key == 'S' && buttons.Contains(pbSave))
      SaveToFile();
    else if (Key == 'F' && buttons.Contains(pbFind))
      Find();
  }
}

void TfrxPreview::KeyDown(Word& Key, TShiftState Shift)
{
  TfrxCustomPreview::KeyDown(Key, Shift);
  if (Key != 0)
    HandleKey(Key, Shift);
}

void TfrxPreview::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS;
    return;
  case WM_ERASEBKGND:
    Message.Result = 1;
    return;
  }
  TfrxCustomPreview::Dispatch(Message);
}

// ---- Commands ----

void TfrxPreview::Print()
{
  if (FRunning || !PreviewPages())
    return;
  PreviewPages()->SetCurPreviewPage(FPageNo);
  TScopeExit thaw([this] { Thaw(); });
  PreviewPages()->PrintPages();
}

void TfrxPreview::SaveToFile()
{
  if (FRunning || !PreviewPages())
    return;
  TSaveDialog dialog(nullptr);
  dialog.SetFilter(PreparedReportFilter());
  dialog.SetDefaultExt("fp3");
  if (!dialog.Execute())
    return;
  FWorkspace->Repaint();
  SaveToFile(ChangeFileExt(dialog.FileName(), ".fp3"));
}

void TfrxPreview::SaveToFile(const AnsiString& FileName)
{
  if (FRunning || !PreviewPages())
    return;
  Frozen([&] {
    ShowMessage(ReportResources()->Lookup("clSaving"));
    PreviewPages()->SaveToFile(FileName);
  });
}

void TfrxPreview::LoadFromFile()
{
  if (FRunning || !PreviewPages())
    return;
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(PreparedReportFilter());
  TOpenOptions options = dialog.Options();
  options.Include(ofHideReadOnly);
  dialog.SetOptions(options);
  if (!dialog.Execute())
    return;
  FWorkspace->Repaint();
  LoadFromFile(dialog.FileName());
}

void TfrxPreview::LoadFromFile(const AnsiString& FileName)
{
  if (FRunning || !PreviewPages())
    return;
  Freeze();
  TScopeExit after([this] {
    UpdateOutline();
    UpdatePages();
    Thaw();
    SelectPage(1);
  });
  ShowMessage(ReportResources()->Lookup("clLoading"));
  auto* pages = dynamic_cast<TfrxPreviewPages*>(PreviewPages());
  if (pages)
    pages->LoadFromFile(FileName, false);
  else
    PreviewPages()->LoadFromFile(FileName);
  if (Report())
    SetOutlineVisible(Report()->PreviewOptions()->OutlineVisible());
}

void TfrxPreview::Export(TfrxCustomExportFilter* Filter)
{
  if (FRunning || !PreviewPages())
    return;
  PreviewPages()->SetCurPreviewPage(FPageNo);
  TScopeExit thaw([this] { Thaw(); });
  PreviewPages()->ExportPages(Filter);
}

void TfrxPreview::PageSetupDialog()
{
  if (FRunning || PageCount() == 0 || !Report())
    return;
  auto* page = dynamic_cast<TfrxReportPage*>(PreviewPages()->BuildPage(FPageNo - 1));
  if (!page)
    return;
  TfrxPageSettingsForm dialog(Application());
  dialog.SetPage(page);
  if (dialog.ShowModal() != mrOk)
    return;
  if (dialog.ApplyToAll()) {
    for (Integer i = 0; i < Report()->PageCount(); ++i) {
      auto* target = dynamic_cast<TfrxReportPage*>(Report()->Pages(i));
      if (!target)
        continue;
      target->SetOrientation(page->Orientation());
      target->SetPaperWidth(page->PaperWidth());
      target->SetPaperHeight(page->PaperHeight());
      target->SetPaperSize(page->PaperSize());
      target->SetLeftMargin(page->LeftMargin());
      target->SetRightMargin(page->RightMargin());
      target->SetTopMargin(page->TopMargin());
      target->SetBottomMargin(page->BottomMargin());
    }
    Report()->GenerateReport(true);
    return;
  }
  Frozen([&] {
    PreviewPages()->ReplacePage(page, FPageNo - 1);
    UpdatePages();
  });
}

void TfrxPreview::Find()
{
  TfrxSearchDialog dialog(Application());
  TScopeExit arm([this] { FFindNextArmed = true; });
  if (dialog.ShowModal() != mrOk)
    return;
  TfrxFindState& find = PreviewFindState();
  find.Text = dialog.TextE->Text();
  find.CaseSensitive = dialog.CaseCB->Checked();
  FWorkspace->SetSearchPage(dialog.TopCB->Checked() ? 0 : std::max(FPageNo - 1, 0));
  find.LastRecord = -1;
  FWorkspace->FindText();
}

void TfrxPreview::FindNext()
{
  if (FFindNextArmed)
    FWorkspace->FindText();
}

void TfrxPreview::Edit()
{
  if (PageCount() == 0 || !PreviewPages())
    return;
  auto* source = dynamic_cast<TfrxReportPage*>(PreviewPages()->BuildPage(FPageNo - 1));
  if (!source)
    return;
  auto report = std::make_unique<TfrxReport>(nullptr);
  TfrxReportPage* page =
      dynamic_cast<TfrxDMPPage*>(source) ? new TfrxDMPPage(nullptr) : new TfrxReportPage(nullptr);
  page->CloneFrom(source);
  // Only free-standing objects stay: everything moves onto the page, the bands go.
  std::vector<TfrxComponent*> all;
  TList* objects = page->AllObjects();
  for (Integer i = 0; i < objects->Count(); ++i)
    all.push_back(static_cast<TfrxComponent*>(objects->Items(i)));
  for (TfrxComponent* obj : all) {
    if (auto* view = dynamic_cast<TfrxView*>(obj)) {
      view->SetDataField("");
      view->SetDataSet(nullptr);
    }
    if (obj->Parent() != page && !obj->IsBand()) {
      const Extended left = obj->AbsLeft(), top = obj->AbsTop();
      obj->SetParentFont(false);
      obj->SetParent(page);
      obj->SetLeft(left);
      obj->SetTop(top);
    }
  }
  for (TfrxComponent* obj : all)
    if (obj->IsBand())
      delete obj;
  page->SetParent(report.get());
  if (!report->OpenDesignerOnPreparedPage())
    return;
  Frozen([&] {
    PreviewPages()->ReplacePage(report->Pages(0), FPageNo - 1);
    UpdatePages();
  });
}

void TfrxPreview::EditTemplate()
{
  auto* pages = dynamic_cast<TfrxPreviewPages*>(PreviewPages());
  if (!pages)
    return;
  TfrxReport report(nullptr);
  // The source pages join the temporary report without changing hands.
  for (Integer i = 0; i < pages->SourcePageCount(); ++i)
    report.Objects()->Add(pages->SourcePages(i));
  TScopeExit release([&report] { report.Objects()->Clear(); });
  report.OpenDesigner();
}

void TfrxPreview::Clear()
{
  if (FRunning || !PreviewPages())
    return;
  Frozen([&] {
    PreviewPages()->ClearPages();
    UpdatePages();
  });
  UpdateOutline();
  SelectPage(0);
  FWorkspace->SetHorzRange(0);
  FWorkspace->SetVertRange(0);
}

void TfrxPreview::AddPage()
{
  if (FRunning || !PreviewPages())
    return;
  PreviewPages()->AddEmptyPage(FPageNo - 1);
  UpdatePages();
  UpdateZoom();
  SelectPage(FPageNo);
}

void TfrxPreview::DeletePage()
{
  if (FRunning || PageCount() == 0)
    return;
  PreviewPages()->DeletePage(FPageNo - 1);
  if (FPageNo >= PageCount())
    SelectPage(FPageNo - 1);
  UpdatePages();
  DoPageChanged();
  UpdateZoom();
}

void TfrxPreview::Cancel()
{
  if (Report())
    Report()->SetTerminated(true);
}

void TfrxPreview::CancelIfRunning()
{
  if (FRunning)
    Cancel();
}
