// The operator list "操作员及权限": the operators (never "sa") by login id, with add,
// properties and delete through the operator property dialog; every change is written at
// once, and a write that fails is shown with the dialog coming back with the values typed.
#pragma once

#include <memory>

#include "app/aInfoDlg.h"

class TButton;
class TLabel;
class TListItem;
class TListView;
class TOperatorEditorFrm;
class TOperatorSet;

class TOperatorsFrm : public TAInfoDlgFrm {
public:
  explicit TOperatorsFrm(TComponent* AOwner);
  ~TOperatorsFrm() override;

  TLabel* Label1; // "用户列表"
  TListView* ListView1;
  TButton* Button2;    // "添加"
  TButton* btnProp1;   // "属性"
  TButton* btnDelete1; // "删除"

  TOperatorEditorFrm* EditorFrm() const { return FEditorFrm; }
  TOperatorSet* Operators() const { return FOperators.get(); }

  // Appends the program's rights to the editor's list (after any the caller added) and
  // shows the window modally.
  TModalResult Execute();

  void Button2Click(TObject* Sender);
  void btnProp1Click(TObject* Sender);
  void btnDelete1Click(TObject* Sender);

private:
  void ListView1SelectItem(TObject* Sender, TListItem* Item, bool Selected);
  // Shows the editor until it is cancelled or Write succeeds; a failure is shown and the
  // editor comes back. True when written.
  bool EditLoop(const std::function<void()>& Write);

  TOperatorEditorFrm* FEditorFrm; // owned by the window
  std::unique_ptr<TOperatorSet> FOperators;
};

// The operator list as the main menu opens it, with the right "清除数据" (100) first.
void ShowOperators();
