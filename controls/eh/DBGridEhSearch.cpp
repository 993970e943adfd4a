// Incremental search in the current column (typed prefixes, next and previous match, the
// time-out on window timer 2) and keeping the view's position around walks through the
// dataset (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/Consts.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"

namespace {

constexpr UINT_PTR kSearchTimer = 2;

// The first characters of Text, as many as Pattern has (double-byte characters whole).
AnsiString PrefixLike(const AnsiString& Text, const AnsiString& Pattern)
{
  std::size_t chars = 0;
  for (std::size_t i = 0; i < Pattern.size(); ++chars)
    i += static_cast<unsigned char>(Pattern[i]) >= 0x81 && i + 1 < Pattern.size() ? 2 : 1;
  std::size_t end = 0;
  for (std::size_t n = 0; n < chars && end < Text.size(); ++n)
    end += static_cast<unsigned char>(Text[end]) >= 0x81 && end + 1 < Text.size() ? 2 : 1;
  return Text.substr(0, end);
}

} // namespace

void TCustomDBGridEh::SaveGridPosition()
{
  FSavedBookmark.clear();
  FSavedOffset = 0;
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds || ds->IsEmpty())
    return;
  Integer count = FDataLink->RecordCount();
  FSavedOffset = FDataLink->ActiveRecord() + ((count + 1) % 2) - count / 2;
  ds->MoveBy(-FSavedOffset);
  FSavedBookmark = ds->Bookmark();
  ds->MoveBy(FSavedOffset);
}

void TCustomDBGridEh::RestoreGridPosition()
{
  TDataSet* ds = FDataLink->DataSet();
  // A position saved on an empty dataset, or of a record gone since, is not restored.
  if (!ds || FSavedBookmark.empty() || !ds->BookmarkValid(FSavedBookmark))
    return;
  ds->SetBookmark(FSavedBookmark);
  ds->MoveBy(FSavedOffset);
}

AnsiString TCustomDBGridEh::CurrentCellPrefix(const AnsiString& Pattern)
{
  TColumnEh* c = CurrentColumn();
  return c ? PrefixLike(c->CellText(), Pattern) : AnsiString();
}

void TCustomDBGridEh::RunIncrementalSearch(const AnsiString& AddText, Integer TimeOut,
                                           Integer Direction)
{
  if (!FDataLink->Active())
    return;
  TDataSet* ds = FDataLink->DataSet();
  AnsiString found = FIncSearchText + AddText, old = FIncSearchText;
  bool matched = false;
  auto matches = [&] {
    AnsiString prefix = CurrentCellPrefix(found);
    if (UpperCaseText(prefix) != UpperCaseText(found))
      return false;
    found = prefix;
    return true;
  };
  if (!found.empty()) {
    if (Direction == 0 && matches())
      matched = true;
    else {
      ds->DisableControls();
      TScopeExit enable([&] {
        FIncSearchMoving = true;
        TScopeExit moving([&] { FIncSearchMoving = false; });
        ds->EnableControls();
      });
      SaveGridPosition();
      auto step = [&] { Direction == 2 ? ds->Prior() : ds->Next(); };
      if (Direction == 0)
        ds->First();
      else
        step();
      while (!(Direction == 2 ? ds->Bof() : ds->Eof())) {
        if (matches()) {
          matched = true;
          break;
        }
        step();
      }
      if (!matched)
        RestoreGridPosition();
    }
  }
  HideEditor();
  FIncSearchActive = true;
  FIncSearchText = matched ? found : old;
  InvalidateRow(Row());
  FIncSearchTimeOut = TimeOut;
  RestartSearchTimer();
}

void TCustomDBGridEh::StopIncrementalSearch()
{
  KillSearchTimer();
  bool wasActive = FIncSearchActive;
  FIncSearchActive = false;
  FIncSearchText.clear();
  if (wasActive && HandleAllocated())
    InvalidateRow(Row());
  if (wasActive && FOptions.Contains(dgAlwaysShowEditor) && CanEditShow())
    ShowCellEditor();
}

void TCustomDBGridEh::RestartSearchTimer()
{
  KillSearchTimer();
  if (FIncSearchTimeOut >= 0 && HandleAllocated()) {
    SetTimer(Handle(), kSearchTimer, static_cast<UINT>(FIncSearchTimeOut), nullptr);
    FIncSearchTimerRunning = true;
  }
}

void TCustomDBGridEh::KillSearchTimer()
{
  if (FIncSearchTimerRunning && HandleAllocated())
    KillTimer(Handle(), kSearchTimer);
  FIncSearchTimerRunning = false;
}

TShortCut IncSearchShortCut = ShortCut('F', {ssCtrl});
TShortCut SearchNextShortCut = ShortCut(VK_RETURN, {ssCtrl});
TShortCut SearchPriorShortCut = ShortCut(VK_RETURN, {ssCtrl, ssShift});
TShortCut CopyFromAboveShortCut = ShortCut(222, {ssCtrl});
TShortCut FindDialogShortCut = ShortCut('F', {ssCtrl});
Integer TypeToSearchTimeOut = 1500;
TExecuteDBGridEhFindDialogProc ExecuteDBGridEhFindDialogProc = nullptr;
bool FindDialogModal = true;

void OpenGridFindDialog(TCustomDBGridEh* Grid, const AnsiString& Text)
{
  if (ExecuteDBGridEhFindDialogProc && Grid->DataLink()->Active())
    ExecuteDBGridEhFindDialogProc(Grid, Text, FindDialogModal);
}
TColor SearchBackgroundColor = clYellow;
TColor SearchTextColor = clBlack;

bool TCustomDBGridEh::IsKeyOf(TShortCut ShortCut, Word Key, TShiftState Shift)
{
  TShiftState modifiers = Shift * TShiftState{ssShift, ssCtrl, ssAlt};
  return ShortCut != 0 && ::ShortCut(Key, modifiers) == ShortCut;
}

bool TCustomDBGridEh::FindShortCutDown(Word& Key, TShiftState Shift, const AnsiString& FindText)
{
  if (IsKeyOf(IncSearchShortCut, Key, Shift) && FExtOptions.Contains(dgxIncSearchEh)) {
    Key = 0;
    if (FIncSearchActive && FExtOptions.Contains(dgxFindDialogEh) &&
        FindDialogShortCut == IncSearchShortCut) {
      // A second Ctrl+F turns the search into the find dialog.
      StopIncrementalSearch();
      OpenGridFindDialog(this, FindText);
      return true;
    }
    // A search begun by typing loses its time-out.
    RunIncrementalSearch(AnsiString(), -1, 0);
    return true;
  }
  if (IsKeyOf(FindDialogShortCut, Key, Shift) && FExtOptions.Contains(dgxFindDialogEh)) {
    Key = 0;
    StopIncrementalSearch();
    OpenGridFindDialog(this, FindText);
    return true;
  }
  return false;
}

bool TCustomDBGridEh::SearchKeyDown(Word& Key, TShiftState Shift)
{
  if (FindShortCutDown(Key, Shift, AnsiString()))
    return true;
  if (!FIncSearchActive)
    return false;
  if (Shift.Empty() && (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F2)) {
    StopIncrementalSearch();
    Key = 0;
    return true;
  }
  if (Shift.Empty() && Key == VK_BACK) {
    // The last character goes, both bytes of a double-byte one.
    std::size_t cut = 0, last = 0;
    for (std::size_t i = 0; i < FIncSearchText.size();) {
      last = i;
      i += static_cast<unsigned char>(FIncSearchText[i]) >= 0x81 && i + 1 < FIncSearchText.size()
               ? 2
               : 1;
      cut = i;
    }
    if (cut > 0)
      FIncSearchText.erase(last);
    InvalidateRow(Row());
    RestartSearchTimer();
    Key = 0;
    return true;
  }
  if (IsKeyOf(SearchNextShortCut, Key, Shift) || IsKeyOf(SearchPriorShortCut, Key, Shift)) {
    bool prior = IsKeyOf(SearchPriorShortCut, Key, Shift);
    RunIncrementalSearch(AnsiString(), FIncSearchTimeOut, prior ? 2 : 1);
    Key = 0;
    return true;
  }
  return false;
}

bool TCustomDBGridEh::SearchKeyPress(char Key)
{
  if (static_cast<unsigned char>(Key) < 32 || !FDataLink->Active())
    return false;
  TDataSet* ds = FDataLink->DataSet();
  if (ds->State() == dsEdit || ds->State() == dsInsert || ds->State() == dsSetKey)
    return false;
  TColumnEh* c = CurrentColumn();
  bool editable = c && c->CanEditValue(false) && FOptions.Contains(dgEditing);
  bool typeToSearch = FExtOptions.Contains(dgxTypeToSearchEh) &&
                      !FOptions.Contains(dgAlwaysShowEditor) &&
                      !(InplaceEditor() && InplaceEditor()->Visible());
  if (!FIncSearchActive && !(FExtOptions.Contains(dgxIncSearchEh) && !editable) && !typeToSearch)
    return false;
  // A double-byte character's lead byte takes its trail byte, queued as the next character
  // message, with it.
  AnsiString text(1, Key);
  MSG next;
  if (static_cast<unsigned char>(Key) >= 0x81 && HandleAllocated() &&
      PeekMessage(next, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
    text += static_cast<char>(next.wParam);
  RunIncrementalSearch(text, FIncSearchActive ? FIncSearchTimeOut : TypeToSearchTimeOut, 0);
  return true;
}

// ---- Small operations other units use ----

bool TCustomDBGridEh::CellEditorShown() const
{
  return InplaceEditor() && InplaceEditor()->Visible();
}

void TCustomDBGridEh::InvalidateGridColumn(Integer ACol)
{
  if (!HandleAllocated())
    return;
  TRect r = BoxRect(ACol, 0, ACol, TopRow() + VisibleRowCount() + 1);
  ::InvalidateRect(Handle(), &r, false);
}

void TCustomDBGridEh::MoveToRawColumn(Integer ACol)
{
  if (ACol == Col())
    return;
  // The grid's own column move: a frozen column is made current without scrolling.
  SelectColumn(ACol, 0, false);
}

void TCustomDBGridEh::RebuildSortMarkedColumns()
{
  FSortMarkedColumns->Clear();
  for (Integer i = 0; i < FColumns->Count(); ++i) {
    TColumnEh* c = FColumns->Items(i);
    Integer index = c->Title()->SortIndex();
    if (index <= 0)
      continue;
    if (FSortMarkedColumns->Count() < index)
      FSortMarkedColumns->SetCount(index);
    FSortMarkedColumns->SetItems(index - 1, c);
  }
}
