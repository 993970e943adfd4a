// The waybill template designer (Tmain1Frm): the templates in a list on the left, the
// selected template's picture at true paper size with its 24 text labels in a scrolling
// area, and a tool bar to create, rename, delete, lay out, save, discard and preview
// templates. The same window class serves as the designer's four small dialogs (label
// editor, item chooser, paper size, rename); each use has its own constructor and shows
// its own panel. WaybillLayout.h is the layout as data, Objs.h the template store.
#pragma once

#include <functional>
#include <vector>

#include "app/Uis.h"
#include "app/WaybillLayout.h"
#include "app/a.h"
#include "platform/ui/ComCtrls.h"

class TButton;
class TCheckBox;
class TCheckListBox;
class TOpenPictureDialog;
class TSplitter;
class TImage;
class TImageList;
class TLabel;
class TListBox;
class TMainMenu;
class TMemo;
class TMenuItem;
class TPanel;
class TScrollBox;
class TStaticText;
class TToolBar;
class TToolButton;
class TUpDown;

// The dialogs' callbacks, methods of the designer that opened them: true accepts the
// value and lets the dialog close with OK.
using TPaperSizeCallback = std::function<bool(Integer Width, Integer Height)>;
using TRenameCallback = std::function<bool(const AnsiString& Name)>;

class Tmain1Frm : public TaFrm {
public:
  // The designer, an MDI child of the main window: lists the templates and selects the
  // first one.
  explicit Tmain1Frm(TComponent* AOwner);
  // The label editor "标签": Text and Font into the editor.
  Tmain1Frm(TComponent* AOwner, const AnsiString& Text, TFont* Font);
  // The item chooser "选择": one check mark per label, checked when it is visible.
  Tmain1Frm(TComponent* AOwner, const std::vector<TStaticText*>& Labels);
  // The paper size "纸张设置", showing Width and Height (0 shows an empty field).
  Tmain1Frm(TComponent* AOwner, TPaperSizeCallback Callback, Integer Width, Integer Height);
  // The rename dialog "重命名", showing Name.
  Tmain1Frm(TComponent* AOwner, TRenameCallback Callback, const AnsiString& Name);
  ~Tmain1Frm() override;

  // ---- The designer ----
  // The labels in the designer's control order (LabelOrder).
  const std::vector<TStaticText*>& Labels() const { return FLabels; }
  TStaticText* LabelByName(const AnsiString& Name) const;
  TTemplateNodes& Templates() { return FTemplates; }
  Integer PaperWidth() const { return FPaperWidth; }
  Integer PaperHeight() const { return FPaperHeight; }
  // The layout the window shows: labels, paper size and scroll position.
  TWaybillLayout CurrentLayout() const;

  // Selects a node of the template list (-1: none) and loads its template, as a click
  // in the list does.
  void SelectTemplate(Integer Index);
  // The node index of the template list's selection (-1: none).
  Integer SelectedNodeIndex() const;
  // Creates a template from a picture file with the layout shown now ("新建" once the
  // file is chosen).
  void NewTemplate(const AnsiString& FileName);
  // Stretches the picture to a paper of Width x Height millimetres at the screen's
  // pixels per inch. A paper of 0 x 0 is not set: the picture shows at its own size.
  void SizeImageToPaper(Integer Width, Integer Height);
  // Fits a label to its text: the width of the text and one line's height per line.
  static void FitLabelHeight(TStaticText* Label);

  // ---- Controls ----
  TPanel* pnlMain1;
  TToolBar* ToolBar1;
  TToolButton* ToolButton1;  // 新建
  TToolButton* ToolButton2;  // 修改
  TToolButton* ToolButton3;  // 删除
  TToolButton* ToolButton5;  // 项目
  TToolButton* ToolButton6;  // 纸张
  TToolButton* ToolButton8;  // 保存
  TToolButton* ToolButton9;  // 取消
  TToolButton* ToolButton11; // 预览
  TToolButton* ToolButton13; // 退出
  TImageList* ImageList1;
  TPanel* Panel2; // the strip under the tool bar
  TPanel* Panel3; // the strip at the bottom
  app::TTreeView* TreeView1;
  TSplitter* Splitter1;
  TScrollBox* ScrollBox1;
  TImage* Image1;
  TMainMenu* MainMenu1;
  TMenuItem* N1; // 打印(&P)
  TMenuItem* N2; // 设计
  TOpenPictureDialog* OpenPictureDialog1;

  TPanel* pnlDesign1;
  TLabel* Label1;
  TMemo* edtFontItem1;
  TLabel* Label2;
  app::TComboBox* cmbFonts1;
  TLabel* Label3;
  app::TEdit* edtFontSize1;
  TUpDown* UpDown1;
  TCheckBox* edtFontBold1;
  TButton* btnOk1;
  TButton* Button2;

  TPanel* pnlItemCheck1;
  TLabel* Label4;
  TCheckListBox* CheckListBox1;
  TButton* Button7;
  TButton* Button8;

  TPanel* pnlPageEdit1;
  TLabel* Label5;
  app::TEdit* edtLen1;
  TLabel* Label6;
  app::TEdit* edtHei1;
  TButton* Button13;
  TButton* Button14;

  TPanel* pnlRename1;
  TLabel* Label7;
  app::TEdit* edtTemplateName1;
  TButton* btnOk5;
  TButton* Button16;

protected:
  void DoClose(TCloseAction& Action) override;

private:
  enum TMode { mdDesigner, mdLabelEditor, mdItemChooser, mdPaperSize, mdRename };
  void BuildWindow();
  void BuildDesignerPanel();
  void BuildEditorPanel();
  void BuildChooserPanel();
  void BuildPaperPanel();
  void BuildRenamePanel();
  void ShowDialogPanel(TMode Mode, const char* Caption, Integer Width, Integer Height);
  void ApplyLayout(const TWaybillLayout& Layout);
  void LoadSelectedTemplate();

  // Designer events.
  void TreeView1Change(TObject* Sender, TTreeNode* Node);
  // Selects the node of template Index (-1: none) without loading anything.
  void SelectNode(Integer Index);
  void LabelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                      Integer Y);
  void LabelDblClick(TObject* Sender);
  void ToolButton1Click(TObject* Sender);
  void ToolButton2Click(TObject* Sender);
  void ToolButton3Click(TObject* Sender);
  void ToolButton5Click(TObject* Sender);
  void ToolButton6Click(TObject* Sender);
  void ToolButton8Click(TObject* Sender);
  void ToolButton9Click(TObject* Sender);
  void ToolButton11Click(TObject* Sender);
  void ToolButton13Click(TObject* Sender);
  void N2Click(TObject* Sender);
  bool PaperSizeChanged(Integer Width, Integer Height);
  bool TemplateRenamed(const AnsiString& Name);

  // Dialog events.
  void cmbFonts1Change(TObject* Sender);
  void edtFontBold1Click(TObject* Sender);
  void UpDown1Click(TObject* Sender, TUDBtnType Button);
  void edtFontItem1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void Button7Click(TObject* Sender);
  void Button13Click(TObject* Sender);
  void btnOk5Click(TObject* Sender);
  void edtTemplateName1KeyPress(TObject* Sender, char& Key);

  TMode FMode = mdDesigner;
  // Set while the designer itself changes the list's selection.
  bool FSelectingNode = false;
  Integer FPaperWidth = 0;
  Integer FPaperHeight = 0;
  TPaperSizeCallback FPaperSizeCallback;
  TRenameCallback FRenameCallback;
  std::vector<TStaticText*> FLabels;
  // The labels an item chooser shows (not owned).
  std::vector<TStaticText*> FChosenLabels;
  TTemplateNodes FTemplates;
};
