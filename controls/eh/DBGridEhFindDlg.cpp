// The grid's find dialog (DBGridEhFindDlg.h).
#include "controls/eh/DBGridEhFindDlg.h"

#include "controls/eh/EhTexts.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/VirtualKeys.h"

namespace {

TDBGridEhFindDlg* Instance = nullptr;

const char* const kMatchTypes[] = {"From any part of field", "Whole field", "From beging of field"};
const char* const kDirections[] = {"Up", "Down", "All"};
enum TMatchType { mtAnyPart, mtWhole, mtBeginning };
enum TDirection { drUp, drDown, drAll };

template <class T>
T* Put(TWinControl* Parent, TComponent* Owner, const char* Name, Integer Left, Integer Top,
       Integer Width, Integer Height)
{
  auto* c = new T(Owner);
  c->SetName(Name);
  c->SetBounds(Left, Top, Width, Height);
  c->SetParent(Parent);
  return c;
}

TDBComboBoxEh* PutList(TWinControl* Parent, const char* Name, Integer Left, Integer Top,
                       Integer Width, std::initializer_list<const char*> Items)
{
  auto* c = Put<TDBComboBoxEh>(Parent, Parent, Name, Left, Top, Width, 21);
  c->DropDownBox()->SetRows(17);
  c->DropDownBox()->SetSizable(true);
  for (const char* item : Items) {
    c->Items()->Add(item);
    c->KeyItems()->Add(item);
  }
  return c;
}

Integer IndexOfText(TStrings* Items, const AnsiString& Text)
{
  for (Integer i = 0; i < Items->Count(); ++i)
    if (Items->Strings(i) == Text)
      return i;
  return -1;
}

} // namespace

TDBGridEhFindDlg::TDBGridEhFindDlg(TComponent* AOwner)
    : TForm(AOwner), FSearchColumns(std::make_unique<TColumnsEhList>())
{
  BeginLoading();
  SetName("DBGridEhFindDlg");
  SetCaption("Find text");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-10);
  HandleNeeded();
  SetClientWidth(505);
  SetClientHeight(124);
  Label1 = Put<TLabel>(this, this, "Label1", 8, 11, 70, 13);
  Label1->SetCaption("Fi&nd What:");
  cbText = PutList(this, "cbText", 80, 8, 320, {});
  Label2 = Put<TLabel>(this, this, "Label2", 8, 38, 70, 13);
  Label2->SetCaption("Find &in:");
  cbFindIn = PutList(this, "cbFindIn", 80, 35, 320, {});
  cbMatchType = Put<TLabel>(this, this, "cbMatchType", 8, 65, 70, 13);
  cbMatchType->SetCaption("Matc&h:");
  cbMatchinType = PutList(this, "cbMatchinType", 80, 62, 160, {});
  for (const char* t : kMatchTypes) {
    cbMatchinType->Items()->Add(t);
    cbMatchinType->KeyItems()->Add(t);
  }
  cbMatchinType->SetText(kMatchTypes[mtAnyPart]);
  Label3 = Put<TLabel>(this, this, "Label3", 250, 65, 50, 13);
  Label3->SetCaption("Sea&rch:");
  cbFindDirection = PutList(this, "cbFindDirection", 300, 62, 100, {});
  for (const char* t : kDirections) {
    cbFindDirection->Items()->Add(t);
    cbFindDirection->KeyItems()->Add(t);
  }
  cbFindDirection->SetText(kDirections[drAll]);
  cbCharCase = Put<TDBCheckBoxEh>(this, this, "cbCharCase", 80, 94, 120, 17);
  cbCharCase->SetCaption("Match &Case");
  cbUseFormat = Put<TDBCheckBoxEh>(this, this, "cbUseFormat", 210, 94, 120, 17);
  cbUseFormat->SetCaption("Match F&ormat");
  cbUseFormat->SetChecked(true);
  bFind = Put<TButton>(this, this, "bFind", 414, 8, 83, 25);
  bFind->SetCaption("&Find next");
  bFind->OnClick = TNotifyEvent::Bind(this, &TDBGridEhFindDlg::bFindClick);
  bCancel = Put<TButton>(this, this, "bCancel", 414, 40, 83, 25);
  bCancel->SetCaption("Close");
  bCancel->SetCancel(true);
  bCancel->SetModalResult(mrCancel);
  bCancel->OnClick = TNotifyEvent::Bind(this, &TDBGridEhFindDlg::bCancelClick);
  cbText->OnChange = TNotifyEvent::Bind(this, &TDBGridEhFindDlg::cbTextChange);
  cbFindDirection->OnChange = TNotifyEvent::Bind(this, &TDBGridEhFindDlg::cbTextChange);
  OnKeyDown = TKeyEvent::Bind(this, &TDBGridEhFindDlg::FormKeyDown);
  EndLoading();
}

TDBGridEhFindDlg::~TDBGridEhFindDlg()
{
  if (Instance == this)
    Instance = nullptr;
  if (FGrid)
    FGrid->RemoveFreeNotification(this);
}

void TDBGridEhFindDlg::Notification(TComponent* AComponent, TOperation Operation)
{
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FGrid) {
    // A grid gone while the tool window stays open: nothing is left to search.
    FGrid = nullptr;
    FSearchColumns->Clear();
  }
}

void TDBGridEhFindDlg::Execute(TCustomDBGridEh* Grid, const AnsiString& Text, bool Modal)
{
  FSearchColumnIndex = -1;
  cbText->SetText(Text);
  if (FGrid != Grid) {
    if (FGrid)
      FGrid->RemoveFreeNotification(this);
    FGrid = Grid;
    if (FGrid)
      FGrid->FreeNotification(this);
  }
  FillFindIn();
  TColumnEh* current = Grid ? Grid->CurrentColumn() : nullptr;
  Integer index = current ? IndexOfText(cbFindIn->Items(), current->Title()->Caption()) : -1;
  cbFindIn->SetItemIndex(index >= 0 ? index : cbFindIn->Items()->Count() - 1);
  FFirstSearch = true;
  if (Visible())
    Close();
  // The text box, first in the tab order, takes the focus when the form shows.
  cbFindInChange(cbFindIn);
  FModal = Modal;
  if (Modal) {
    SetFormStyle(fsNormal);
    ShowModal();
    return;
  }
  SetFormStyle(fsStayOnTop);
  Show();
  if (cbText->CanFocus())
    cbText->SetFocus();
}

void TDBGridEhFindDlg::FillFindIn()
{
  cbFindIn->OnChange = nullptr;
  cbFindIn->Items()->Clear();
  cbFindIn->KeyItems()->Clear();
  if (FGrid)
    for (Integer i = 0; i < FGrid->VisibleColumns()->Count(); ++i) {
      TColumnEh* c = FGrid->VisibleColumns()->Items(i);
      cbFindIn->Items()->AddObject(c->Title()->Caption(), c);
      cbFindIn->KeyItems()->Add(c->Title()->Caption());
    }
  cbFindIn->Items()->Add(SAllColumnsEh);
  cbFindIn->KeyItems()->Add(SAllColumnsEh);
  cbFindIn->OnChange = TNotifyEvent::Bind(this, &TDBGridEhFindDlg::cbFindInChange);
}

void TDBGridEhFindDlg::cbFindInChange(TObject*)
{
  FSearchColumns->Clear();
  Integer index = cbFindIn->ItemIndex();
  Integer all = cbFindIn->Items()->Count() - 1;
  if (index < 0) {
    index = all;
    cbFindIn->OnChange = nullptr;
    cbFindIn->SetItemIndex(all);
    cbFindIn->OnChange = TNotifyEvent::Bind(this, &TDBGridEhFindDlg::cbFindInChange);
  }
  if (index == all) {
    for (Integer i = 0; i < all; ++i)
      FSearchColumns->Add(static_cast<TColumnEh*>(cbFindIn->Items()->Objects(i)));
  } else {
    FSearchColumns->Add(static_cast<TColumnEh*>(cbFindIn->Items()->Objects(index)));
  }
  cbTextChange(cbFindIn);
}

void TDBGridEhFindDlg::cbTextChange(TObject*)
{
  FFirstSearch = true;
  bool up = cbFindDirection->Text() == kDirections[drUp];
  FSearchColumnIndex = up ? FSearchColumns->Count() - 1 : 0;
}

bool TDBGridEhFindDlg::CellMatches(const AnsiString& Text)
{
  TColumnEh* column = FSearchColumns->Items(FSearchColumnIndex);
  AnsiString cell;
  if (cbUseFormat->Checked())
    cell = column->CellText();
  else if (column->Field())
    cell = column->Field()->AsString();
  AnsiString s = Text;
  if (!cbCharCase->Checked()) {
    cell = UpperCaseText(cell);
    s = UpperCaseText(s);
  }
  switch (IndexOfText(cbMatchinType->Items(), cbMatchinType->Text())) {
  case mtWhole:
    return cell == s;
  case mtBeginning:
    return cell.size() >= s.size() && cell.compare(0, s.size(), s) == 0;
  default:
    return cell.find(s) != AnsiString::npos;
  }
}

void TDBGridEhFindDlg::Step(bool Forward)
{
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (Forward) {
    if (FSearchColumnIndex >= FSearchColumns->Count() - 1) {
      ds->Next();
      FSearchColumnIndex = 0;
    } else
      ++FSearchColumnIndex;
    return;
  }
  if (FSearchColumnIndex <= 0) {
    ds->Prior();
    FSearchColumnIndex = FSearchColumns->Count() - 1;
  } else
    --FSearchColumnIndex;
}

void TDBGridEhFindDlg::bFindClick(TObject*)
{
  Integer direction = IndexOfText(cbFindDirection->Items(), cbFindDirection->Text());
  bool forward = direction != drUp;
  if (GetKeyState(VK_CONTROL) < 0)
    forward = !forward;
  AnsiString text = cbText->Text();
  if (IndexOfText(cbText->Items(), text) < 0)
    cbText->Items()->Add(text);
  // Nothing to search: no grid, a closed dataset (the tool window may outlive both) or no
  // column.
  if (!FGrid || !FGrid->DataLink()->Active() || FSearchColumns->Count() == 0)
    return;
  TDataSet* ds = FGrid->DataLink()->DataSet();
  FSearchColumnIndex = std::clamp<Integer>(FSearchColumnIndex, 0, FSearchColumns->Count() - 1);
  bool found = false;
  {
    ds->DisableControls();
    TScopeExit enable([&] { ds->EnableControls(); });
    FGrid->SaveGridPosition();
    if (direction == drAll && FFirstSearch) {
      ds->First();
      FSearchColumnIndex = forward ? 0 : FSearchColumns->Count() - 1;
    } else if (!FFirstSearch)
      Step(forward);
    while (forward ? !ds->Eof() : !ds->Bof()) {
      if (CellMatches(text)) {
        found = true;
        break;
      }
      Step(forward);
    }
    if (found) {
      FFirstSearch = false;
    } else
      FGrid->RestoreGridPosition();
  }
  if (found) {
    TColumnEh* column = FSearchColumns->Items(FSearchColumnIndex);
    FGrid->SelectDataColumn(column->Index());
    return;
  }
  Application()->MessageBox(Format(LoadResString(&STextNotFoundEh), {text}), Application()->Title(),
                            MB_OK | MB_ICONINFORMATION);
}

void TDBGridEhFindDlg::bCancelClick(TObject*)
{
  Close();
}

void TDBGridEhFindDlg::FormKeyDown(TObject*, Word& Key, TShiftState)
{
  if (Key != VK_RETURN && Key != VK_ESCAPE)
    return;
  if (ActiveControl() && ActiveControl()->Perform(CM_WANTSPECIALKEY, Key, 0) != 0)
    return;
  if (Key == VK_ESCAPE) {
    if (!FModal)
      Close();
  } else {
    Key = 0;
    bFindClick(bFind);
  }
  cbText->SetModified(false);
}

TDBGridEhFindDlg* DBGridEhFindDlg()
{
  return Instance;
}

void ExecuteDBGridEhFindDialog(TCustomDBGridEh* Grid, const AnsiString& Text, bool Modal)
{
  if (!Instance)
    Instance = new TDBGridEhFindDlg(Application());
  Instance->Execute(Grid, Text, Modal);
}

void InitializeDBGridEhFindDlgUnit()
{
  TClassRegistration<TDBGridEhFindDlg, TForm>("TDBGridEhFindDlg");
  ExecuteDBGridEhFindDialogProc = &ExecuteDBGridEhFindDialog;
}

void FinalizeDBGridEhFindDlgUnit()
{
  ExecuteDBGridEhFindDialogProc = nullptr;
  delete Instance;
  Instance = nullptr;
}
