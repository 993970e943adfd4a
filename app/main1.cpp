// The waybill template designer and its dialogs: building the window; see main1.h.
// main1Commands.cpp holds what the designer does.
#include "app/main1.h"

#include "app/AppImages.h"
#include "app/WaybillLayout.h"
#include "app/aPrivate.h"
#include "app/qhLib.h"
#include "platform/graphics/ImgList.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"

namespace {

TPanel* ModePanel(Tmain1Frm* Form, const char* Name)
{
  TPanel* panel = new TPanel(Form);
  panel->SetName(Name);
  panel->SetAlign(alClient);
  panel->SetBevelOuter(bvNone);
  panel->SetCaption("");
  panel->SetParent(Form);
  return panel;
}

TLabel* PanelLabel(Tmain1Frm* Form, TWinControl* Parent, const char* Name, Integer Left,
                   Integer Top, const char* Caption)
{
  TLabel* label = new TLabel(Form);
  label->SetName(Name);
  label->SetBounds(Left, Top, 80, 12);
  label->SetCaption(Caption);
  label->SetParent(Parent);
  return label;
}

TButton* PanelButton(Tmain1Frm* Form, TWinControl* Parent, const char* Name, Integer Left,
                     Integer Top, const char* Caption, TModalResult Result)
{
  TButton* button = new TButton(Form);
  button->SetName(Name);
  button->SetBounds(Left, Top, 75, 25);
  button->SetCaption(Caption);
  button->SetModalResult(Result);
  button->SetCancel(Result == mrCancel);
  button->SetParent(Parent);
  return button;
}

} // namespace

// ---- Construction ----

void Tmain1Frm::BuildWindow()
{
  SetName("main1Frm");
  BuildDesignerPanel();
  BuildEditorPanel();
  BuildChooserPanel();
  BuildPaperPanel();
  BuildRenamePanel();
}

void Tmain1Frm::BuildDesignerPanel()
{
  pnlMain1 = ModePanel(this, "pnlMain1");
  ImageList1 = new TImageList(32, 32, this);
  ImageList1->SetName("ImageList1");
  AddDesignerToolImages(ImageList1);

  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetAlign(alTop);
  ToolBar1->SetHeight(55);
  ToolBar1->SetButtonWidth(55);
  ToolBar1->SetButtonHeight(51);
  ToolBar1->SetShowCaptions(true);
  ToolBar1->SetFlat(true);
  ToolBar1->SetImages(ImageList1);
  ToolBar1->SetParent(pnlMain1);
  ToolButton1 =
      AddToolButton(this, ToolBar1, "ToolButton1", "新建", 0, &Tmain1Frm::ToolButton1Click);
  ToolButton2 =
      AddToolButton(this, ToolBar1, "ToolButton2", "修改", 1, &Tmain1Frm::ToolButton2Click);
  ToolButton3 =
      AddToolButton(this, ToolBar1, "ToolButton3", "删除", 2, &Tmain1Frm::ToolButton3Click);
  AddToolButton(this, ToolBar1, "ToolButton4", "", -1, nullptr);
  ToolButton5 =
      AddToolButton(this, ToolBar1, "ToolButton5", "项目", 3, &Tmain1Frm::ToolButton5Click);
  ToolButton6 =
      AddToolButton(this, ToolBar1, "ToolButton6", "纸张", 4, &Tmain1Frm::ToolButton6Click);
  AddToolButton(this, ToolBar1, "ToolButton7", "", -1, nullptr);
  ToolButton8 =
      AddToolButton(this, ToolBar1, "ToolButton8", "保存", 5, &Tmain1Frm::ToolButton8Click);
  ToolButton9 =
      AddToolButton(this, ToolBar1, "ToolButton9", "取消", 6, &Tmain1Frm::ToolButton9Click);
  AddToolButton(this, ToolBar1, "ToolButton10", "", -1, nullptr);
  ToolButton11 =
      AddToolButton(this, ToolBar1, "ToolButton11", "预览", 7, &Tmain1Frm::ToolButton11Click);
  AddToolButton(this, ToolBar1, "ToolButton12", "", -1, nullptr);
  ToolButton13 =
      AddToolButton(this, ToolBar1, "ToolButton13", "  退出  ", 8, &Tmain1Frm::ToolButton13Click);

  Panel2 = new TPanel(this);
  Panel2->SetName("Panel2");
  Panel2->SetBounds(0, 60, 100, 3);
  Panel2->SetAlign(alTop);
  Panel2->SetBevelOuter(bvNone);
  Panel2->SetCaption("");
  Panel2->SetParent(pnlMain1);
  Panel3 = new TPanel(this);
  Panel3->SetName("Panel3");
  Panel3->SetBounds(0, 400, 100, 41);
  Panel3->SetAlign(alBottom);
  Panel3->SetBevelOuter(bvNone);
  Panel3->SetCaption("");
  Panel3->SetParent(pnlMain1);

  TreeView1 = new app::TTreeView(this);
  TreeView1->SetName("TreeView1");
  TreeView1->SetBounds(0, 63, 141, 300);
  TreeView1->SetAlign(alLeft);
  TreeView1->SetShowRoot(false);
  TreeView1->SetShowLines(false);
  TreeView1->SetShowButtons(false);
  TreeView1->SetReadOnly(true);
  TreeView1->SetRowSelect(true);
  TreeView1->SetHideSelection(false);
  TreeView1->OnChange = TTVChangedEvent::Bind(this, &Tmain1Frm::TreeView1Change);
  TreeView1->SetParent(pnlMain1);
  Splitter1 = new TSplitter(this);
  Splitter1->SetName("Splitter1");
  Splitter1->SetBounds(141, 63, 3, 300);
  Splitter1->SetAlign(alLeft);
  Splitter1->SetParent(pnlMain1);

  ScrollBox1 = new TScrollBox(this);
  ScrollBox1->SetName("ScrollBox1");
  ScrollBox1->SetBounds(144, 63, 400, 300);
  ScrollBox1->SetAlign(alClient);
  ScrollBox1->HorzScrollBar()->SetTracking(true);
  ScrollBox1->VertScrollBar()->SetTracking(true);
  ScrollBox1->SetParent(pnlMain1);
  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetBounds(0, 0, 105, 105);
  Image1->SetAutoSize(true);
  Image1->SetParent(ScrollBox1);

  const TWaybillLayout design = TWaybillLayout::Default();
  for (const TWaybillLabel& d : design.Labels) {
    TStaticText* label = new TStaticText(this);
    label->SetName(d.Name);
    label->SetShowAccelChar(false);
    label->SetAutoSize(true);
    label->SetBounds(d.Left, d.Top, 20, 16);
    label->Font()->SetName(d.FontName);
    label->Font()->SetSize(d.FontSize);
    label->SetCaption(d.Text);
    label->SetParent(ScrollBox1);
    FLabels.push_back(label);
  }

  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  N1 = new TMenuItem(this);
  N1->SetName("N1");
  N1->SetCaption("打印(&P)");
  N1->SetGroupIndex(1);
  MainMenu1->Items()->Add(N1);
  N2 = new TMenuItem(this);
  N2->SetName("N2");
  N2->SetCaption("设计");
  N2->OnClick = TNotifyEvent::Bind(this, &Tmain1Frm::N2Click);
  N1->Add(N2);

  OpenPictureDialog1 = new TOpenPictureDialog(this);
  OpenPictureDialog1->SetName("OpenPictureDialog1");
}

void Tmain1Frm::BuildEditorPanel()
{
  pnlDesign1 = ModePanel(this, "pnlDesign1");
  Label1 = PanelLabel(this, pnlDesign1, "Label1", 12, 10, "文字或代码:");
  edtFontItem1 = new TMemo(this);
  edtFontItem1->SetName("edtFontItem1");
  edtFontItem1->SetBounds(12, 28, 450, 170);
  edtFontItem1->SetScrollBars(ssBoth);
  edtFontItem1->SetWordWrap(false);
  edtFontItem1->OnKeyDown = TKeyEvent::Bind(this, &Tmain1Frm::edtFontItem1KeyDown);
  edtFontItem1->SetParent(pnlDesign1);
  Label2 = PanelLabel(this, pnlDesign1, "Label2", 12, 216, "字体");
  cmbFonts1 = new app::TComboBox(this);
  cmbFonts1->SetName("cmbFonts1");
  cmbFonts1->SetBounds(44, 212, 200, 20);
  cmbFonts1->SetDropDownCount(16);
  cmbFonts1->OnChange = TNotifyEvent::Bind(this, &Tmain1Frm::cmbFonts1Change);
  cmbFonts1->SetParent(pnlDesign1);
  Label3 = PanelLabel(this, pnlDesign1, "Label3", 262, 216, "大小");
  edtFontSize1 = new app::TEdit(this);
  edtFontSize1->SetName("edtFontSize1");
  edtFontSize1->SetBounds(294, 212, 44, 21);
  edtFontSize1->SetEditType(etInteger);
  edtFontSize1->SetParent(pnlDesign1);
  UpDown1 = new TUpDown(this);
  UpDown1->SetName("UpDown1");
  UpDown1->SetMin(1);
  UpDown1->SetMax(200);
  UpDown1->SetParent(pnlDesign1);
  UpDown1->SetAssociate(edtFontSize1);
  UpDown1->OnClick = TUDClickEvent::Bind(this, &Tmain1Frm::UpDown1Click);
  edtFontBold1 = new TCheckBox(this);
  edtFontBold1->SetName("edtFontBold1");
  edtFontBold1->SetBounds(372, 214, 80, 17);
  edtFontBold1->SetCaption("加粗");
  edtFontBold1->OnClick = TNotifyEvent::Bind(this, &Tmain1Frm::edtFontBold1Click);
  edtFontBold1->SetParent(pnlDesign1);
  btnOk1 = PanelButton(this, pnlDesign1, "btnOk1", 300, 264, "确定", mrOk);
  Button2 = PanelButton(this, pnlDesign1, "Button2", 386, 264, "取消", mrCancel);
}

void Tmain1Frm::BuildChooserPanel()
{
  pnlItemCheck1 = ModePanel(this, "pnlItemCheck1");
  Label4 = PanelLabel(this, pnlItemCheck1, "Label4", 12, 10, "请打钩需要显示的项目");
  Label4->SetWidth(200);
  CheckListBox1 = new TCheckListBox(this);
  CheckListBox1->SetName("CheckListBox1");
  CheckListBox1->SetBounds(12, 28, 450, 284);
  CheckListBox1->SetColumns(2);
  CheckListBox1->SetParent(pnlItemCheck1);
  Button7 = PanelButton(this, pnlItemCheck1, "Button7", 300, 324, "确定", mrNone);
  Button7->OnClick = TNotifyEvent::Bind(this, &Tmain1Frm::Button7Click);
  Button8 = PanelButton(this, pnlItemCheck1, "Button8", 386, 324, "取消", mrCancel);
}

void Tmain1Frm::BuildPaperPanel()
{
  pnlPageEdit1 = ModePanel(this, "pnlPageEdit1");
  Label5 = PanelLabel(this, pnlPageEdit1, "Label5", 60, 64, "纸张宽度");
  edtLen1 = new app::TEdit(this);
  edtLen1->SetName("edtLen1");
  edtLen1->SetBounds(130, 60, 120, 21);
  edtLen1->SetEditType(etInteger);
  edtLen1->SetParent(pnlPageEdit1);
  Label6 = PanelLabel(this, pnlPageEdit1, "Label6", 60, 104, "纸张高度");
  edtHei1 = new app::TEdit(this);
  edtHei1->SetName("edtHei1");
  edtHei1->SetBounds(130, 100, 120, 21);
  edtHei1->SetEditType(etInteger);
  edtHei1->SetParent(pnlPageEdit1);
  PanelLabel(this, pnlPageEdit1, "Label8", 258, 64, "毫米");
  PanelLabel(this, pnlPageEdit1, "Label9", 258, 104, "毫米");
  Button13 = PanelButton(this, pnlPageEdit1, "Button13", 260, 200, "确定", mrNone);
  Button13->OnClick = TNotifyEvent::Bind(this, &Tmain1Frm::Button13Click);
  Button14 = PanelButton(this, pnlPageEdit1, "Button14", 346, 200, "取消", mrCancel);
}

void Tmain1Frm::BuildRenamePanel()
{
  pnlRename1 = ModePanel(this, "pnlRename1");
  Label7 = PanelLabel(this, pnlRename1, "Label7", 40, 84, "模版名称");
  edtTemplateName1 = new app::TEdit(this);
  edtTemplateName1->SetName("edtTemplateName1");
  edtTemplateName1->SetBounds(110, 80, 260, 21);
  edtTemplateName1->SetTabOnEnter(false);
  edtTemplateName1->OnKeyPress = TKeyPressEvent::Bind(this, &Tmain1Frm::edtTemplateName1KeyPress);
  edtTemplateName1->SetParent(pnlRename1);
  btnOk5 = PanelButton(this, pnlRename1, "btnOk5", 252, 184, "确定", mrNone);
  btnOk5->OnClick = TNotifyEvent::Bind(this, &Tmain1Frm::btnOk5Click);
  Button16 = PanelButton(this, pnlRename1, "Button16", 338, 184, "取消", mrCancel);
}

// A dialog use shows its own panel only, in a fixed dialog window of the given size.
void Tmain1Frm::ShowDialogPanel(TMode Mode, const char* Caption, Integer Width, Integer Height)
{
  FMode = Mode;
  TPanel* panels[] = {pnlMain1, pnlDesign1, pnlItemCheck1, pnlPageEdit1, pnlRename1};
  for (Integer i = 0; i < 5; ++i)
    panels[i]->SetVisible(i == Mode);
  panels[Mode]->BringToFront();
  SetCaption(Caption);
  SetBorderStyle(bsDialog);
  SetBounds(Left(), Top(), Width, Height);
}

Tmain1Frm::Tmain1Frm(TComponent* AOwner) : TaFrm(AOwner, fbInherited)
{
  BuildWindow();
  FMode = mdDesigner;
  for (TPanel* panel : {pnlDesign1, pnlItemCheck1, pnlPageEdit1, pnlRename1})
    panel->SetVisible(false);
  pnlMain1->BringToFront();
  SetCaption("桌面");
  SetFormStyle(fsMDIChild);
  SetWindowState(wsMaximized);
  SetMenu(MainMenu1);
  for (TStaticText* label : FLabels) {
    label->SetHint("双击进行修改, 拖动调整位置...");
    label->SetShowHint(true);
    label->SetColor(clWhite);
    label->SetParentColor(false);
    label->Font()->SetColor(clRed);
    label->OnMouseDown = TMouseEvent::Bind(this, &Tmain1Frm::LabelMouseDown);
    label->OnDblClick = TNotifyEvent::Bind(this, &Tmain1Frm::LabelDblClick);
  }
  EndLoading();

  FTemplates.LoadTemplates();
  for (Integer i = 0; i < FTemplates.Count(); ++i)
    TreeView1->Items()->Add(nullptr, FTemplates.Text(i));
  // A template that cannot be loaded is reported; the designer opens all the same.
  if (FTemplates.Count() > 0) {
    try {
      SelectTemplate(0);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
      ShowAppException(e);
    }
  }
}

Tmain1Frm::Tmain1Frm(TComponent* AOwner, const AnsiString& Text, TFont* Font)
    : TaFrm(AOwner, fbInherited)
{
  BuildWindow();
  ShowDialogPanel(mdLabelEditor, "标签", 484, 350);
  SetActiveControl(edtFontItem1);
  EndLoading();
  cmbFonts1->Items()->Assign(Screen()->Fonts());
  cmbFonts1->SetText(Font->Name());
  UpDown1->SetPosition(Font->Size());
  edtFontBold1->SetChecked(Font->Style().Contains(fsBold));
  edtFontItem1->Font()->Assign(Font);
  edtFontItem1->SetText(Text);
  edtFontItem1->SelectAll();
}

Tmain1Frm::Tmain1Frm(TComponent* AOwner, const std::vector<TStaticText*>& Labels)
    : TaFrm(AOwner, fbInherited)
{
  BuildWindow();
  ShowDialogPanel(mdItemChooser, "选择", 484, 406);
  SetActiveControl(CheckListBox1);
  EndLoading();
  FChosenLabels = Labels;
  for (TStaticText* label : Labels) {
    CheckListBox1->Items()->Add(label->Caption());
    CheckListBox1->SetChecked(CheckListBox1->Items()->Count() - 1, label->Visible());
  }
}

Tmain1Frm::Tmain1Frm(TComponent* AOwner, TPaperSizeCallback Callback, Integer Width, Integer Height)
    : TaFrm(AOwner, fbInherited)
{
  BuildWindow();
  ShowDialogPanel(mdPaperSize, "纸张设置", 444, 278);
  SetActiveControl(edtLen1);
  EndLoading();
  FPaperSizeCallback = std::move(Callback);
  edtLen1->SetAsInteger(Width);
  edtHei1->SetAsInteger(Height);
}

Tmain1Frm::Tmain1Frm(TComponent* AOwner, TRenameCallback Callback, const AnsiString& Name)
    : TaFrm(AOwner, fbInherited)
{
  BuildWindow();
  ShowDialogPanel(mdRename, "重命名", 436, 262);
  SetActiveControl(edtTemplateName1);
  EndLoading();
  FRenameCallback = std::move(Callback);
  edtTemplateName1->SetText(Name);
}

Tmain1Frm::~Tmain1Frm()
{
  FTemplates.ClearTemplateNodes();
}

// Whatever the use, a closed window is freed. Its name goes with it, so that a new
// designer may take it while this one waits to be freed.
void Tmain1Frm::DoClose(TCloseAction& Action)
{
  Action = caFree;
  TaFrm::DoClose(Action);
  if (Action == caFree) {
    SetName("");
    // Gone from the screen (and from the frame's menu) at once, not only when freed.
    if (FMode == mdDesigner)
      Hide();
  }
}

TStaticText* Tmain1Frm::LabelByName(const AnsiString& Name) const
{
  for (TStaticText* label : FLabels)
    if (SameText(label->Name(), Name))
      return label;
  return nullptr;
}
