// The report catalogue (TReporterFrm, "打印"): the user reports of one group, listed by
// title, from which the operator previews a report or, with the design right, adds,
// renames, deletes and designs reports. ShowReports (qhProj.h) opens it.
#pragma once

#include "app/a.h"

class TButton;
class TLabel;
class TListBox;
class TRep;
class TToolBar;
class TToolButton;

class TReporterFrm : public TaFrm {
public:
  explicit TReporterFrm(TComponent* AOwner);

  TLabel* Label1; // "请选择一种打印样式"
  TToolBar* ToolBar1;
  TToolButton* tbNew1;    // "新建"
  TToolButton* tbDelete1; // "删除"
  TToolButton* tbRename1; // "重命名"
  TToolButton* tbDesign1; // "设计"
  TListBox* ListBox1;     // the reports: title, with the row's Id attached
  TButton* Button4;       // "预览"
  TButton* Button1;       // "打印" (hidden)

  // The wrapper the dialog works with; owned by the caller.
  TRep* Reper() const { return FReper; }
  void SetReper(TRep* Value) { FReper = Value; }
  Integer GroupId() const { return FGroupId; }
  // Stores the group and lists its reports.
  void SetGroupId(Integer Value);
  // Enables or disables the four tool buttons together.
  void SetCanDesign(bool Value);

  // Lists the group's reports ordered by title and selects the first.
  void ReloadList();

  void tbNew1Click(TObject* Sender);
  void tbDelete1Click(TObject* Sender);
  void tbRename1Click(TObject* Sender);
  void tbDesign1Click(TObject* Sender);
  void Button4Click(TObject* Sender);

protected:
  // After the base's placement the catalogue places itself near the pointer.
  void DoShow() override;

private:
  // The selected report's title and Id; false (after telling the user) when none is.
  bool GetSelection(AnsiString& Title, Integer& Id);

  TRep* FReper = nullptr;
  Integer FGroupId = 0;
};

// Where the catalogue of size Window goes with the pointer at Pointer on a screen of size
// Screen: a quarter of its height above the pointer and centred on it, or centred on the
// screen when it would run over the right or bottom edge; kept on the screen.
TPoint ReporterPlacement(TPoint Pointer, TSize Window, TSize Screen);
