// The grid's find dialog: searches the records of a grid's dataset for a text in one column
// or in all visible columns, up, down or from the top, matching any part, the whole value
// or its beginning, with or without case, in the shown or the stored value. The grid opens
// it through the find-dialog hook (DBGridEh.h), which this unit installs at start-up.
#pragma once

#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/DBGridEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

inline constexpr const char* SAllColumnsEh = "<All>";

class TDBGridEhFindDlg : public TForm {
public:
  explicit TDBGridEhFindDlg(TComponent* AOwner);
  ~TDBGridEhFindDlg() override;

  // Binds the dialog to Grid, starts a new search for Text and shows the dialog (modally:
  // returns when it closes).
  void Execute(TCustomDBGridEh* Grid, const AnsiString& Text, bool Modal);

  TCustomDBGridEh* Grid() const { return FGrid; }
  TColumnsEhList* SearchColumns() const { return FSearchColumns.get(); }
  Integer SearchColumnIndex() const { return FSearchColumnIndex; }
  bool FirstSearch() const { return FFirstSearch; }

  // The form's controls, named as in its description.
  TLabel* Label1;
  TDBComboBoxEh* cbText;
  TLabel* Label2;
  TDBComboBoxEh* cbFindIn;
  TLabel* cbMatchType;
  TDBComboBoxEh* cbMatchinType;
  TLabel* Label3;
  TDBComboBoxEh* cbFindDirection;
  TDBCheckBoxEh* cbCharCase;
  TDBCheckBoxEh* cbUseFormat;
  TButton* bFind;
  TButton* bCancel;

  void bFindClick(TObject* Sender);
  void bCancelClick(TObject* Sender);
  void cbFindInChange(TObject* Sender);
  void cbTextChange(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void FillFindIn();
  // Whether the cell of the search column at SearchColumnIndex holds the text.
  bool CellMatches(const AnsiString& Text);
  // One step of the search: the next (or previous) column, then the next record.
  void Step(bool Forward);

  TCustomDBGridEh* FGrid = nullptr;
  std::unique_ptr<TColumnsEhList> FSearchColumns;
  Integer FSearchColumnIndex = -1;
  bool FFirstSearch = true;
  bool FModal = false;
};

// The program's one find dialog (null before its first use).
TDBGridEhFindDlg* DBGridEhFindDlg();
// The hook's entry point: makes the dialog on first use (owned by the application).
void ExecuteDBGridEhFindDialog(TCustomDBGridEh* Grid, const AnsiString& Text, bool Modal);
void InitializeDBGridEhFindDlgUnit();
void FinalizeDBGridEhFindDlgUnit();
