// The preview: TfrxPreview, the control that shows a report's prepared pages and carries
// every preview command (paging, zoom, tools, links, outline, find, print, export, save and
// load, page settings, editing, adding and deleting pages, build progress); its page area
// TfrxPreviewWorkspace, which lays the pages out in one column or two (TfrxPageList at zoom
// 1), paints, scrolls and searches them; and TfrxPreviewForm, the window with a tool bar and
// a status bar around one preview that a report opens (installed through
// SetPreviewFormFactory at unit start). The unit is split into frxPreview.cpp (the control),
// frxPreviewWorkspace.cpp (the page area) and frxPreviewForm.cpp (the window).
#pragma once

#include <vector>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "report/engine/frxClass.h"
#include "report/output/frxCtrls.h"
#include "report/output/frxDock.h"

class TMetafile;
class TfrxPreview;
class TfrxPreviewForm;
class TSpeedButton;

// One page of the layout at zoom 1, in pixels.
struct TfrxPageItem {
  Word Column = 0; // 0 for the first page of a row
  Word Height = 0;
  Word Width = 0;
  Integer Top = 0; // the row's top
};

// The on-screen layout of the pages: rows of Columns pages, 10 pixels apart, each row's top
// below the tallest page of the row before it.
class TfrxPageList {
public:
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TfrxPageItem& Items(Integer Index) const { return FItems[static_cast<size_t>(Index)]; }
  Integer Columns() const { return FColumns; }
  // Pages per row; clears the list.
  void SetColumns(Integer Value);
  void AddPage(Integer Width, Integer Height);
  // The widest row: the sum over its pages of width + 10.
  Integer MaxWidth() const { return FMaxWidth; }
  // The highest index whose row top (at Zoom) lies at or above Y, or within a fifth of the
  // page's height below it unless Exact; -1 when none.
  Integer FindPage(Integer Y, bool Exact, Extended Zoom) const;
  // The page's rectangle at Zoom in a client ClientWidth wide: rows are centred, or 10
  // pixels from the left edge when wider. Outside the list: an A4 page.
  TRect GetPageBounds(Integer Index, Integer ClientWidth, Extended Zoom) const;
  // (widest row, bottom of the last page) at Zoom; (0, 0) when empty.
  TPoint GetMaxBounds(Integer ClientWidth, Extended Zoom) const;

private:
  std::vector<TfrxPageItem> FItems;
  Integer FColumns = 1;
  Integer FMaxWidth = 0;
};

// What the find commands share (one for the whole program): the text, the case flag, where
// the last match stands.
struct TfrxFindState {
  AnsiString Text;
  bool CaseSensitive = false;
  bool Found = false;
  TRect Bounds;            // of the found text, page pixels at zoom 1
  Integer LastRecord = -1; // the matching record on the search page; -1 before any
  Integer RecordCounter = 0;
};
TfrxFindState& PreviewFindState();

class TfrxPreviewWorkspace : public TfrxScrollWin {
public:
  explicit TfrxPreviewWorkspace(TfrxPreview* APreview);
  ~TfrxPreviewWorkspace() override;

  TfrxPageList* PageList() { return &FPageList; }
  // Keys the preview hands on: paging, scrolling, first and last page.
  void DoKey(Word& Key, TShiftState Shift);
  // Scrolls so that page PageN's top stands 10 pixels below the upper edge.
  void ScrollToPage(Integer PageN);
  // The ranges from the layout at the preview's zoom.
  void UpdateScrollBars();
  // Searches from the search page on for the next text run holding the find text; scrolls
  // it into view and marks it. False when nothing further matches (the view stays).
  bool FindText();
  Integer SearchPage() const { return FSearchPage; }
  void SetSearchPage(Integer Value) { FSearchPage = Value; }
  // Forgets the page drawing kept for repeated finds.
  void ClearFindCache();
  // The page under a client point (in two-page rows the one whose sides hold X); -1 when
  // none.
  Integer PageAt(Integer X, Integer Y) const;
  void SetToolCursor(TCursor Value);

protected:
  void Paint() override;
  void HorzPositionChanged() override;
  void VertPositionChanged() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Resize() override;
  void Dispatch(TMessage& Message) override;

private:
  void HitTest(Integer X, Integer Y, TMouseButton Button, TShiftState Shift, bool Click);

  TfrxPreview* FPreview;
  TfrxPageList FPageList;
  TCursor FToolCursor = 0;
  TCursor FCursor = 0; // what the last hit test chose
  bool FDragging = false;
  Integer FLastX = 0, FLastY = 0;
  Integer FOffsetX = 0, FOffsetY = 0; // the last known scroll positions
  bool FDisableScroll = false;
  std::unique_ptr<TMetafile> FFindPage;
  Integer FFindPageIndex = -1;
  Integer FSearchPage = 0;
  friend class TfrxPreview;
};

using TfrxPageChangedEvent = TEvent<void(TfrxPreview* Sender, Integer PageNo)>;

class TfrxPreview : public TfrxCustomPreview {
public:
  explicit TfrxPreview(TComponent* AOwner);
  ~TfrxPreview() override;

  // ---- The report's calls ----
  void ResetFromReport() override;
  void Freeze() override;
  // Paints again; the page number stays (bounded by the page count).
  void Thaw() override;
  void BeginProgress(TfrxReport* Sender, Integer Kind, Integer Value) override;
  void StepProgress(TfrxReport* Sender, Integer Kind, Integer Value) override;
  void EndProgress(TfrxReport* Sender, Integer Kind, Integer Value) override;
  void SelectPage(Integer PageN) override;
  void ScrollToPagePosition(Integer PageN, Integer Offset) override;
  void HideProgressPanel() override;

  // ---- Paging and zoom ----
  void First() { SelectPage(1); }
  void Prior() { SelectPage(FPageNo - 1); }
  void Next() { SelectPage(FPageNo + 1); }
  void Last() { SelectPage(PageCount()); }
  Integer PageCount();
  Integer PageNo() const { return FPageNo; }
  Extended Zoom() const { return FZoom; }
  // At least 0.25; leaves the two-page mode.
  void SetZoom(Extended Value);
  TfrxZoomMode ZoomMode() const { return FZoomMode; }
  void SetZoomMode(TfrxZoomMode Value);
  // 0 hand (drag to scroll), 1 zoom.
  Integer Tool() const { return FTool; }
  void SetTool(Integer Value);
  void UpdatePages();
  // Recomputes the zoom of the fit modes from the current page; a client too small for a
  // positive zoom keeps the zoom it had.
  void UpdateZoom();
  void UpdateOutline();
  void MouseWheelScroll(Integer Delta);
  void DoPageChanged();

  // ---- Commands (those marked so do nothing while a build runs) ----
  void Print();                                  // refused while building
  void SaveToFile();                             // refused while building; asks for a name
  void SaveToFile(const AnsiString& FileName);   // refused while building
  void LoadFromFile();                           // refused while building; asks for a name
  void LoadFromFile(const AnsiString& FileName); // refused while building
  void Export(TfrxCustomExportFilter* Filter);   // refused while building
  void PageSetupDialog();                        // refused while building; no pages: nothing
  void Find();
  void FindNext();
  void Edit(); // no pages: nothing
  void EditTemplate();
  void Clear();      // refused while building
  void AddPage();    // refused while building
  void DeletePage(); // refused while building
  void Cancel();
  void CancelIfRunning();
  void ShowMessage(const AnsiString& Text);
  // Runs a key as the control does (the page area first, then F3 and Ctrl+P/S/F).
  void HandleKey(Word& Key, TShiftState Shift);

  bool OutlineVisible() const;
  void SetOutlineVisible(bool Value);
  bool Locked() const { return FLocked; }
  bool Running() const { return FRunning; }
  bool FindNextArmed() const { return FFindNextArmed; }
  TfrxPreviewWorkspace* Workspace() const { return FWorkspace; }
  TTreeView* OutlineTree() const { return FOutline; }
  TPanel* MessagePanel() const { return FMessagePanel; }
  TLabel* MessageLabel() const { return FMessageLabel; }

  TNotifyEvent OnClick;
  TfrxPageChangedEvent OnPageChanged;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Dispatch(TMessage& Message) override;
  void Resize() override;

private:
  TfrxPreviewForm* Window() const;
  void OutlineClick(TObject* Sender);
  void AddOutlineNodes(TTreeNode* Parent);
  // Runs a command between Freeze and Thaw; Thaw runs however it ends.
  template <class F> void Frozen(F&& Command);

  TTreeView* FOutline;
  TSplitter* FSplitter;
  TfrxPreviewWorkspace* FWorkspace;
  TPanel* FMessagePanel;
  TLabel* FMessageLabel;
  Integer FPageNo = 1;
  Extended FZoom = 1;
  TfrxZoomMode FZoomMode = zmDefault;
  Integer FTool = 0;
  bool FLocked = false;
  bool FRunning = false;
  bool FFindNextArmed = false;
  Integer FRefreshInterval = 50;
  Cardinal FTickStart = 0;
  friend class TfrxPreviewWorkspace;
};

// The preview window: a tool bar of commands over one preview control and a status bar.
class TfrxPreviewForm : public TForm, public TfrxPreviewWindow {
public:
  explicit TfrxPreviewForm(TComponent* AOwner);
  ~TfrxPreviewForm() override;

  // ---- TfrxPreviewWindow ----
  TfrxCustomPreview* PreviewControl() override { return FPreview; }
  void ApplyPreviewOptions() override;
  void ShowStatusMessage(const AnsiString& Text) override;

  void UpdatePageDisplay(TfrxPreview* Sender, Integer PageNo);
  void UpdateZoomText();
  void UpdateControls();
  TfrxPreview* Preview() const { return FPreview; }
  bool FreeOnClose() const { return FFreeOnClose; }
  void SetFreeOnClose(bool Value) { FFreeOnClose = Value; }

  TToolBar* ToolBar;
  TStatusBar* StatusBar;
  TCustomImageList* MainImages;
  TPopupMenu* ExportPopup;
  TPopupMenu* HiddenMenu;
  TMenuItem* Showtemplate1;
  TToolButton* PrintB;
  TToolButton* OpenB;
  TToolButton* SaveB;
  TToolButton* ExportB;
  TToolButton* FindB;
  TToolButton* Sep1;
  TToolButton* ZoomWholePageB;
  TToolButton* ZoomPageWidthB;
  TToolButton* Zoom100B;
  TToolButton* Zoom50B;
  TfrxTBPanel* Sep3;
  TfrxComboBox* ZoomCB;
  TToolButton* Sep2;
  TToolButton* PageSettingsB;
  TToolButton* OutlineB;
  TToolButton* Sep5;
  TToolButton* HandToolB;
  TToolButton* ZoomToolB;
  TToolButton* Sep7;
  TToolButton* NewPageB;
  TToolButton* DelPageB;
  TToolButton* DesignerB;
  TToolButton* Sep6;
  TToolButton* FirstB;
  TToolButton* PriorB;
  TfrxTBPanel* Sep4;
  TEdit* PageE;
  TToolButton* NextB;
  TToolButton* LastB;
  TfrxTBPanel* frTBPanel1;
  TSpeedButton* CancelB;

protected:
  void Dispatch(TMessage& Message) override;
  void DoClose(TCloseAction& Action) override;
  bool CloseQuery() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

private:
  void PrintBClick(TObject* Sender);
  void OpenBClick(TObject* Sender);
  void SaveBClick(TObject* Sender);
  void FindBClick(TObject* Sender);
  void ZoomWholePageBClick(TObject* Sender);
  void ZoomPageWidthBClick(TObject* Sender);
  void Zoom100BClick(TObject* Sender);
  void Zoom50BClick(TObject* Sender);
  void ZoomCBClick(TObject* Sender);
  void PageSettingsBClick(TObject* Sender);
  void OutlineBClick(TObject* Sender);
  void ToolBClick(TObject* Sender);
  void NewPageBClick(TObject* Sender);
  void DelPageBClick(TObject* Sender);
  void DesignerBClick(TObject* Sender);
  void DesignerBMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                        Integer Y);
  void Showtemplate1Click(TObject* Sender);
  void FirstBClick(TObject* Sender);
  void PriorBClick(TObject* Sender);
  void NextBClick(TObject* Sender);
  void LastBClick(TObject* Sender);
  void CancelBClick(TObject* Sender);
  void ExportItemClick(TObject* Sender);
  void PageEKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void ZoomCBKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void RemoveButton(TControl* Button);

  TfrxPreview* FPreview;
  bool FFreeOnClose = false;
  std::unique_ptr<TCustomImageList> FImages;
};

// The unit's start-up: class records, texts, cursors, and the report's preview window.
void RegisterPreviewUnit();
void UnregisterPreviewUnit();
