// The grid's cell editor: the base in-place edit with room for the cell's edit button, the
// drop-downs of the cell's edit style (the pick list of pick-list and key-list columns, the
// month calendar of date columns, the calculator of number columns with a drop-down button)
// and the list of recently entered texts (DBGridEh.h describes the unit).
#include <algorithm>
#include <cmath>

#include "controls/eh/CalculatorEh.h"
#include "controls/eh/DBGridEh.h"
#include "controls/eh/DBLookupGridsEh.h"
#include "controls/eh/DropDownsEh.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Clipbrd.h"

namespace {

bool IsNumberField(TField* Field)
{
  switch (Field ? Field->DataType() : ftUnknown) {
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftFloat:
  case ftCurrency:
  case ftBCD:
  case ftLargeint:
  case ftFMTBcd:
    return true;
  default:
    return false;
  }
}

// The first of the list's first Count texts that begins with Prefix, ignoring case; -1 when
// none does.
Integer FindListEntry(TStrings* List, Integer Count, const AnsiString& Prefix)
{
  for (Integer i = 0; i < Count; ++i)
    if (AnsiSameText(List->Strings(i).substr(0, Prefix.size()), Prefix))
      return i;
  return -1;
}

// Posted by a column button whose menu closed; the next press on that button takes it away.
constexpr UINT kMenuClosedMessage = WM_USER + 102;

bool IsPartOf(HWND Window, TWinControl* Control)
{
  return Control && Control->HandleAllocated() &&
         (Window == Control->Handle() || IsChild(Control->Handle(), Window));
}

} // namespace

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {}

TDBGridInplaceEdit::~TDBGridInplaceEdit()
{
  delete FPickList;
}

TCustomDBGridEh* TDBGridInplaceEdit::DBGrid() const
{
  return dynamic_cast<TCustomDBGridEh*>(Grid());
}

void TDBGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation)
{
  TInplaceEdit::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FCalendar)
    FCalendar = nullptr;
  if (AComponent == FCalculator)
    FCalculator = nullptr;
  if (AComponent == FMruListBox)
    FMruListBox = nullptr;
  if (AComponent == FDataList) {
    FDataList = nullptr;
    FListVisible = false;
  }
  if (AComponent == FLookupSource)
    FLookupSource = nullptr;
}

void TDBGridInplaceEdit::UpdateContents()
{
  CloseDropDown(false);
  CloseMruList(false);
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  FEditStyle = c ? c->ColumnEditStyle() : cesPlain;
  FButtonWidth = FEditStyle == cesPlain || !g ? 0 : g->EditButtonWidth();
  FMRUList = c ? c->MRUList() : nullptr;
  FContentsUpdating = true;
  TScopeExit done([&] { FContentsUpdating = false; });
  TInplaceEdit::UpdateContents();
  BuildExtraButtons(c);
  LayoutExtraButtons();
}

void TDBGridInplaceEdit::UpdateLoc(const TRect& Loc)
{
  // The edit leaves the cell's right end to the button the grid draws there.
  TRect r = Loc;
  r.Right = std::max(r.Left + 1, r.Right - FButtonWidth);
  TInplaceEdit::UpdateLoc(r);
}

void TDBGridInplaceEdit::BoundsChanged()
{
  TInplaceEdit::BoundsChanged();
  LayoutExtraButtons();
}

// ---- The column's edit buttons ----

void TDBGridInplaceEdit::BuildExtraButtons(TColumnEh* Column)
{
  TCustomDBGridEh* g = DBGrid();
  std::vector<Integer> wanted;
  if (Column && g)
    for (Integer i = 0; i < Column->EditButtons()->Count(); ++i)
      if (Column->EditButtons()->Items(i)->Visible())
        wanted.push_back(i);
  while (FExtraButtons.size() > wanted.size()) {
    delete FExtraButtons.back().Control;
    FExtraButtons.pop_back();
  }
  while (FExtraButtons.size() < wanted.size()) {
    TExtraButton entry;
    entry.Control = new TEditButtonControlEh(this);
    entry.Control->SetParent(this);
    entry.Control->OnDown = TButtonDownEventEh::Bind(this, &TDBGridInplaceEdit::ExtraButtonPressed);
    entry.Control->OnClick = TNotifyEvent::Bind(this, &TDBGridInplaceEdit::ExtraButtonClicked);
    FExtraButtons.push_back(entry);
  }
  bool flat = g && g->Flat();
  Integer mainWidth = g ? g->EditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
  FExtraButtonsWidth = 0;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    TEditButtonEh* button = Column->EditButtons()->Items(wanted[i]);
    TEditButtonControlEh* control = FExtraButtons[i].Control;
    FExtraButtons[i].Index = wanted[i];
    control->SetTag(static_cast<Integer>(i));
    control->SetStyle(button->Style());
    control->Glyph()->Assign(button->Glyph());
    control->SetNumGlyphs(button->NumGlyphs());
    control->SetHint(button->Hint());
    control->SetFlat(flat);
    control->SetWidth(button->Width() > 0 ? button->Width() : mainWidth);
    control->SetVisible(true);
    control->SetEnabled(true);
    control->SetActive(true);
    FExtraButtonsWidth += control->Width() + (flat ? 1 : 0);
  }
}

void TDBGridInplaceEdit::LayoutExtraButtons()
{
  // From the right edge leftwards, the last button outermost; the text ends before them.
  TCustomDBGridEh* g = DBGrid();
  bool flat = g && g->Flat();
  Integer right = ClientWidth();
  for (std::size_t i = FExtraButtons.size(); i-- > 0;) {
    TEditButtonControlEh* control = FExtraButtons[i].Control;
    right -= control->Width();
    control->SetBounds(right, 0, control->Width(), ClientHeight());
    if (flat)
      --right;
  }
  if (HandleAllocated())
    SendMessage(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN,
                MAKELPARAM(0, static_cast<Word>(FExtraButtonsWidth)));
}

TEditButtonEh* TDBGridInplaceEdit::ButtonOfControl(TObject* Control) const
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  for (const TExtraButton& entry : FExtraButtons)
    if (entry.Control == Control && c && entry.Index < c->EditButtons()->Count())
      return c->EditButtons()->Items(entry.Index);
  return nullptr;
}

void TDBGridInplaceEdit::ExtraButtonPressed(TObject* Sender, bool TopButton, bool& AutoRepeat,
                                            bool& Handled)
{
  auto* control = static_cast<TEditButtonControlEh*>(Sender);
  TDestroyWatch watch(this);
  if (CanFocus() && !Focused())
    SetFocus();
  if (watch.Destroyed())
    return;
  Handled = false;
  if (TakeMenuClosedNotice(this, kMenuClosedMessage, control->Tag()))
    return;
  TEditButtonEh* button = ButtonOfControl(control);
  if (!button)
    return;
  if (button->OnDown)
    button->OnDown(control, TopButton, AutoRepeat, Handled);
  if (Handled || watch.Destroyed())
    return;
  if (TPopupMenu* menu = button->DropdownMenu())
    PopupButtonMenu(this, control, menu, kMenuClosedMessage);
}

void TDBGridInplaceEdit::ExtraButtonClicked(TObject* Sender)
{
  TEditButtonEh* button = ButtonOfControl(Sender);
  bool handled = false;
  if (button && button->OnClick)
    button->OnClick(Sender, handled);
}

bool TDBGridInplaceEdit::ExtraButtonShortCut(Word Key, TShiftState Shift)
{
  TShortCut shortCut = ::ShortCut(Key, Shift * TShiftState{ssShift, ssCtrl, ssAlt});
  if (shortCut == 0)
    return false;
  for (const TExtraButton& entry : FExtraButtons) {
    TEditButtonEh* button = ButtonOfControl(entry.Control);
    if (!button || button->ShortCut() != shortCut)
      continue;
    TEditButtonControlEh* control = entry.Control;
    TDestroyWatch watch(this);
    bool autoRepeat = false, handled = false;
    ExtraButtonPressed(control, false, autoRepeat, handled);
    if (watch.Destroyed())
      return true;
    // No press of the mouse closed a menu opened by the key: its notice must not eat the
    // next press on the button.
    MSG pending;
    if (HandleAllocated())
      PeekMessage(pending, Handle(), kMenuClosedMessage, kMenuClosedMessage, PM_REMOVE);
    control->Click();
    return true;
  }
  return false;
}

bool TDBGridInplaceEdit::CalculatorStyle() const
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  return FEditStyle == cesDropDown && c && IsNumberField(c->Field());
}

TWinControl* TDBGridInplaceEdit::ActiveList()
{
  switch (FEditStyle) {
  case cesPickList:
    return FPickList;
  case cesDate:
    return FCalendar;
  case cesDataList:
    return FDataList;
  case cesDropDown:
    return CalculatorStyle() ? FCalculator : nullptr;
  default: {
    // A key-list column with its button turned off still lists its texts.
    TCustomDBGridEh* g = DBGrid();
    TColumnEh* c = g ? g->CurrentColumn() : nullptr;
    return c && c->HasKeyList() ? FPickList : nullptr;
  }
  }
}

bool TDBGridInplaceEdit::HasList() const
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c)
    return false;
  return FEditStyle == cesPickList || FEditStyle == cesDate || FEditStyle == cesDataList ||
         CalculatorStyle() || c->HasKeyList();
}

TStrings* TDBGridInplaceEdit::ListItems(TColumnEh* Column, Integer& Count) const
{
  TStrings* pick = Column->PickList();
  Count = pick->Count();
  // A key list offers only the texts that have a key.
  if (Column->HasKeyList())
    Count = std::min(Count, Column->KeyList()->Count());
  return pick;
}

// A text the editor sets itself is no text the user typed: it opens no recent-text list.
void TDBGridInplaceEdit::SetEditorText(const AnsiString& Value)
{
  bool saved = FContentsUpdating;
  FContentsUpdating = true;
  TScopeExit done([&] { FContentsUpdating = saved; });
  SetText(Value);
}

// ---- Opening ----

void TDBGridInplaceEdit::ShowPopup(TWinControl* Popup, TPoint At)
{
  SetWindowPos(Popup->Handle(), HWND_TOPMOST, At.X, At.Y, Popup->Width(), Popup->Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void TDBGridInplaceEdit::OpenDropDown()
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c || FListVisible)
    return;
  if (FEditStyle == cesDataList) {
    if (!OpenDataList(c))
      return;
  } else if (FEditStyle == cesDate)
    OpenCalendar(c);
  else if (CalculatorStyle())
    OpenCalculator(c);
  else if (FEditStyle == cesPickList || c->HasKeyList())
    OpenPickList(c);
  else
    return;
  CloseMruList(false);
  FListVisible = true;
  Invalidate();
}

void TDBGridInplaceEdit::OpenPickList(TColumnEh* Column)
{
  Integer count = 0;
  TStrings* items = ListItems(Column, count);
  if (!FPickList) {
    FPickList = new TPopupListboxEh(nullptr);
    FPickList->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X,
                                  Integer Y) {
      if (Button != mbLeft)
        return;
      Integer index = FPickList->ItemAtPos({X, Y}, true);
      if (index >= 0)
        FPickList->SetItemIndex(index);
      CloseDropDown(index >= 0);
    };
  }
  FPickList->SetColor(Color());
  FPickList->Font()->Assign(Font());
  FPickList->Items()->Clear();
  for (Integer i = 0; i < count; ++i)
    FPickList->Items()->Add(items->Strings(i));
  Integer index = -1;
  for (Integer i = 0; i < count; ++i)
    if (AnsiSameText(items->Strings(i), Text()))
      index = i;
  FPickList->SetItemIndex(index);
  TRect cell = CellRect();
  Integer width = Column->DropDownWidth() > 0 ? Column->DropDownWidth() : cell.Width();
  FPickList->SetWidth(width);
  FPickList->SetRowCount(
      std::clamp<Integer>(count, 1, static_cast<Integer>(Column->DropDownRows())));
  ShowPopup(FPickList, FitDropDownToControl(this, FPickList, 0));
}

void TDBGridInplaceEdit::OpenCalendar(TColumnEh* Column)
{
  if (!FCalendar) {
    FCalendar = new TPopupMonthCalendarEh(this);
    FCalendar->FreeNotification(this);
  }
  FCalendar->SetColor(Color());
  FCalendar->Font()->Assign(Font());
  // The text's date; a text that is no date opens on the field's date, else today.
  TDateTime date = Date();
  AnsiString text = ::Trim(Text());
  TDateTime typed = 0;
  if (!text.empty() && TryStrToDate(text, typed))
    date = typed;
  else if (!text.empty() && Column->Field() && !Column->Field()->IsNull() &&
           Column->Field()->AsDateTime() != 0)
    date = Column->Field()->AsDateTime();
  FCalendar->SetDate(std::floor(date));
  FCalendar->FitSize();
  ShowPopup(FCalendar, FitDropDownToControl(this, FCalendar, 0));
}

void TDBGridInplaceEdit::OpenCalculator(TColumnEh*)
{
  if (!FCalculator) {
    FCalculator = new TPopupCalculatorEh(this);
    FCalculator->FreeNotification(this);
  }
  double value = 0;
  AnsiString text = ::Trim(Text());
  if (!text.empty() && !TryStrToFloat(text, value))
    value = 0;
  FCalculator->SetDropDownValue(Variant(value));
  TCustomDBGridEh* g = DBGrid();
  FCalculator->SetFlatLook(g && g->Flat());
  SetSelLength(0);
  ShowPopup(FCalculator, FitDropDownToControl(this, FCalculator, 0));
}

// The lookup list: the list dataset of the column's lookup field, its key on the cell's key.
bool TDBGridInplaceEdit::OpenDataList(TColumnEh* Column)
{
  TField* f = Column->Field();
  TDataSet* list = f ? f->LookupDataSet() : nullptr;
  if (!list)
    return false;
  TCustomDBGridEh* g = DBGrid();
  if (!FLookupSource) {
    FLookupSource = new TDataSource(this);
    FLookupSource->FreeNotification(this);
  }
  FLookupSource->SetDataSet(list);
  TPopupDataGridEh* grid = Column->DropDownGrid();
  if (grid != FDataList) {
    FDataList = grid;
    grid->FreeNotification(this);
  }
  grid->OnMouseCloseUp = [this](TObject*, bool Accept) { CloseDropDown(Accept); };
  grid->SetColor(Color());
  grid->Font()->Assign(Font());
  grid->SetShowTitles(Column->DropDownShowTitles());
  grid->SetListSource(FLookupSource);
  grid->SetKeyField(f->LookupKeyFields());
  AnsiString display = Column->LookupDisplayFields();
  grid->SetListField(display.empty() ? f->LookupResultField() : display);
  Integer rows = static_cast<Integer>(Column->DropDownRows());
  if (list->IsSequenced() && list->RecordCount() >= 1 && list->RecordCount() < rows)
    rows = list->RecordCount();
  grid->SetAutoFitColWidths(false);
  grid->SetListFieldIndex(0);
  grid->HandleNeeded(); // the row count sizes an existing window
  grid->SetListRowCount(rows);
  // -1: as wide as its columns; 0 or less: the editor's width; never narrower than it.
  Integer width = Column->DropDownWidth();
  if (width == -1)
    width = grid->TotalColumnsWidth() + grid->Width() - grid->ClientWidth();
  else if (width <= 0)
    width = Width();
  grid->SetWidth(std::max(width, Width()));
  grid->SetKeyValue(g->EditValue());
  grid->SetSizeGripResized(false);
  ShowPopup(grid, FitDropDownToControl(this, grid, 0));
  return true;
}

void TDBGridInplaceEdit::AcceptDataList(TColumnEh* Column)
{
  TCustomDBGridEh* g = DBGrid();
  TField* f = Column->Field();
  Variant key = FDataList->KeyValue();
  AnsiString text = FDataList->Text();
  if (!f || !Column->CanEditValue(true) || !g->PrepareCellEdit())
    return;
  g->DataLink()->DataSet()->Edit();
  if (g->DataLink()->Editing()) {
    g->DataLink()->MarkModified();
    g->SetEditValue(key);
    g->SetEditText(g->Col(), g->Row(), text);
  }
  SetEditorText(text);
  SelectAll();
}

// ---- The main button ----

void TDBGridInplaceEdit::MainButtonPressed(bool Down)
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c)
    return;
  bool closedByThisPress = FListClosedByGridPress && FListClosedAt == GetMessageTime();
  FListClosedByGridPress = false;
  TDestroyWatch watch(this);
  bool autoRepeat = false, handled = false;
  if (c->OnEditButtonDown)
    c->OnEditButtonDown(this, !Down, autoRepeat, handled);
  if (handled || watch.Destroyed())
    return;
  if (closedByThisPress && FEditStyle != cesUpDown)
    return; // the press closed the cell's list
  bool wasOpen = FListVisible;
  ButtonDropDown(Down);
  if (!watch.Destroyed() && !wasOpen && FListVisible)
    FPressOpenedList = true;
}

void TDBGridInplaceEdit::MainButtonClicked()
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c)
    return;
  TDestroyWatch watch(this);
  if (FEditStyle == cesEllipsis || (FEditStyle == cesDropDown && !CalculatorStyle()))
    g->EditButtonClick();
  if (watch.Destroyed())
    return;
  bool handled = false;
  if (c->OnEditButtonClick)
    c->OnEditButtonClick(this, handled);
  if (watch.Destroyed())
    return;
  // A click on the button of an open list closes it, but not the click of the press that
  // opened it.
  bool opened = FPressOpenedList;
  FPressOpenedList = false;
  if (!handled && FListVisible && !opened)
    CloseDropDown(false);
}

void TDBGridInplaceEdit::ButtonDropDown(bool Down)
{
  if (FEditStyle == cesUpDown)
    StepByButton(Down);
  else if (!FListVisible)
    OpenDropDown();
}

void TDBGridInplaceEdit::StepByButton(bool Down)
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c || !c->CanEditValue(true))
    return;
  TDestroyWatch watch(this);
  if (Text() != g->EditText()) {
    g->SetEditText(g->Col(), g->Row(), Text());
    g->UpdateData();
    if (watch.Destroyed())
      return;
  }
  // Text cells count up with the top button by the column's Increment; list cells move
  // back to the previous entry.
  Integer step = Down ? -1 : 1;
  TField* f = c->Field();
  if (c->Kind() == ckText && IsNumberField(f) && c->Increment() != 1) {
    try {
      Extended value = f->IsNull() ? 0 : f->AsFloat();
      f->SetAsFloat(static_cast<Double>(value + step * c->Increment()));
    } catch (const EDatabaseError&) {
      // A value the database refuses leaves the field as it was.
    }
  } else
    c->StepValue(c->Kind() == ckText ? step : -step);
  if (watch.Destroyed())
    return;
  SetEditorText(g->GetEditText(g->Col(), g->Row()));
  SelectAll();
}

// ---- Closing ----

void TDBGridInplaceEdit::CloseDropDown(bool Accept)
{
  TWinControl* list = ActiveList();
  if (list && HandleAllocated() && IsPartOf(GetFocus(), list))
    SetFocus();
  if (!FListVisible)
    return;
  if (HWND capture = GetCapture(); capture && IsPartOf(capture, list))
    SendMessage(capture, WM_CANCELMODE, 0, 0);
  FListVisible = false;
  if (list && list->HandleAllocated())
    ShowWindow(list->Handle(), SW_HIDE);
  Invalidate();
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c)
    return;
  if (list && list == FDataList) {
    // A list the user resized keeps its size for the column.
    if (FDataList->SizeGripResized()) {
      c->SetDropDownRows(static_cast<Cardinal>(std::max(FDataList->ListRowCount(), 1)));
      c->SetDropDownWidth(FDataList->Width());
    }
  }
  if (!Accept) {
    // The text goes back to the cell's text being edited.
    if (list == FPickList || (list && list == FDataList))
      SetEditorText(g->GetEditText(g->Col(), g->Row()));
  } else if (list && list == FDataList)
    AcceptDataList(c);
  if (list && list == FDataList) {
    FDataList->SetListSource(nullptr);
    if (FLookupSource)
      FLookupSource->SetDataSet(nullptr);
  }
  if (!Accept)
    return;
  if (list == FPickList)
    AcceptPickList(c, FPickList->ItemIndex());
  else if (list == FCalendar)
    AcceptCalendar(c);
  else if (list == FCalculator)
    AcceptCalculator(c);
}

void TDBGridInplaceEdit::AcceptPickList(TColumnEh* Column, Integer Index)
{
  TCustomDBGridEh* g = DBGrid();
  if (Index < 0 || Index >= FPickList->Items()->Count() || !g->PrepareCellEdit())
    return;
  AnsiString text = FPickList->Items()->Strings(Index);
  SetEditorText(text);
  SelectAll();
  if (Column->HasKeyList() && Index < Column->KeyList()->Count())
    g->SetEditValue(Variant(Column->KeyList()->Strings(Index)));
  g->SetEditText(g->Col(), g->Row(), text);
  g->DataLink()->MarkModified();
}

void TDBGridInplaceEdit::AcceptCalendar(TColumnEh* Column)
{
  TCustomDBGridEh* g = DBGrid();
  if (!Column->CanEditValue(true) || !g->PrepareCellEdit())
    return;
  TDateTime date = FCalendar->Date();
  g->DataLink()->DataSet()->Edit();
  Column->StoreCellValue(DateToStr(date), VarFromDateTime(date), false);
  SetEditorText(g->GetEditText(g->Col(), g->Row()));
  SelectAll();
}

void TDBGridInplaceEdit::AcceptCalculator(TColumnEh* Column)
{
  TCustomDBGridEh* g = DBGrid();
  if (!Column->CanEditValue(true) || !g->PrepareCellEdit())
    return;
  Variant value = FCalculator->DropDownValue();
  if (!VarIsNumeric(value))
    return;
  SetEditorText(VarToStr(value));
  g->SetEditText(g->Col(), g->Row(), Text());
  g->DataLink()->MarkModified();
  SelectAll();
}

// ---- Keys ----

bool TDBGridInplaceEdit::ListKeyDown(Word& Key, TShiftState Shift)
{
  if (!HasList())
    return false;
  bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl);
  if ((Key == VK_DOWN || Key == VK_UP) && alt) {
    FListVisible ? CloseDropDown(true) : OpenDropDown();
    Key = 0;
    return true;
  }
  if (Key == VK_F4 && Shift.Empty()) {
    FListVisible ? CloseDropDown(true) : OpenDropDown();
    Key = 0;
    return true;
  }
  if (!FListVisible) {
    if (Key == VK_RETURN && ctrl) {
      OpenDropDown();
      Key = 0;
      return true;
    }
    return false;
  }
  TWinControl* list = ActiveList();
  if (!list)
    return false;
  if (list == FCalculator) {
    // Enter and Esc are the calculator's; its characters follow as key presses.
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
      FCalculator->HandleKey(Key == VK_RETURN ? '\r' : char(27));
      Key = 0;
      return true;
    }
    return false;
  }
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && !alt) {
    CloseDropDown(Key == VK_RETURN);
    Key = 0;
    return true;
  }
  bool pass = ((Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) &&
               !Shift.Contains(ssShift)) ||
              ((Key == VK_HOME || Key == VK_END) && ctrl) ||
              ((Key == VK_LEFT || Key == VK_RIGHT) && list == FCalendar);
  if (!pass)
    return false;
  if (list == FDataList) {
    FDataList->HandleOwnerKey(Key, Shift);
    SetEditorText(FDataList->Text());
    SelectAll();
  } else if (list == FPickList) {
    Integer n = FPickList->Items()->Count();
    Integer step = Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : Key == VK_PRIOR ? -7 : 7;
    if (Key == VK_HOME)
      step = -n;
    if (Key == VK_END)
      step = n;
    FPickList->SetItemIndex(std::clamp<Integer>(FPickList->ItemIndex() + step, 0, n - 1));
    if (FPickList->ItemIndex() >= 0)
      SetEditorText(FPickList->Items()->Strings(FPickList->ItemIndex()));
  } else {
    list->Perform(WM_KEYDOWN, Key, 0);
  }
  Key = 0;
  return true;
}

bool TDBGridInplaceEdit::MruKeyDown(Word& Key, TShiftState Shift)
{
  if (!FMruOpen || !FMruListBox)
    return false;
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    CloseMruList(Key == VK_RETURN);
    Key = 0;
    return true;
  }
  bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl);
  bool pass = ((Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) && !alt) ||
              ((Key == VK_HOME || Key == VK_END) && ctrl);
  if (!pass)
    return false;
  FMruListBox->Perform(WM_KEYDOWN, Key, 0);
  Key = 0;
  return true;
}

void TDBGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  bool listCell = c && (FEditStyle == cesDataList || c->Kind() == ckKeyList);
  if (listCell && Shift.Empty() && (Key == VK_BACK || Key == VK_DELETE) && c->CanEditValue(false)) {
    // The whole text deleted clears the key; otherwise a lookup or key-list cell holds only
    // list texts, so Backspace just moves left and Delete does nothing.
    if (Key == VK_DELETE && SelStart() == 0 && SelLength() == Length(Text()) &&
        c->CanEditValue(true) && g->PrepareCellEdit()) {
      SetEditorText(AnsiString());
      g->SetEditValue(Null());
      g->SetEditText(g->Col(), g->Row(), AnsiString());
      DataListFollows(Null());
      if (FListVisible && ActiveList() == FPickList)
        FPickList->SetItemIndex(-1);
      Key = 0;
      return;
    }
    if (Key == VK_BACK)
      Key = VK_LEFT;
    else {
      Key = 0;
      return;
    }
  }
  if (Key == VK_RETURN && Shift == TShiftState{ssCtrl} &&
      (FEditStyle == cesEllipsis || (FEditStyle == cesDropDown && !CalculatorStyle()))) {
    // Ctrl+Enter clicks the button; its line-feed character is not the text's.
    Key = 0;
    MSG pending;
    if (HandleAllocated())
      PeekMessage(pending, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    MainButtonClicked();
    return;
  }
  if (ExtraButtonShortCut(Key, Shift)) {
    Key = 0;
    return;
  }
  // Ctrl+F searches from the cell as from the grid; the find dialog starts with the cell's text.
  if (g && g->FindShortCutDown(Key, Shift, Text()))
    return;
  Word key = Key;
  if (MruKeyDown(Key, Shift) || ListKeyDown(Key, Shift)) {
    // The character of an Enter or Esc a popup took is not the grid's.
    FEatChar = key == VK_RETURN || key == VK_ESCAPE;
    return;
  }
  FEatChar = false;
  TInplaceEdit::KeyDown(Key, Shift);
}

void TDBGridInplaceEdit::KeyPress(char& Key)
{
  if (FEatChar) {
    FEatChar = false;
    if (Key == '\r' || Key == '\n' || Key == 27) {
      Key = 0;
      return;
    }
  }
  if (FListVisible && ActiveList() == FCalculator && FCalculator) {
    // The calculator takes the characters typed while it is open.
    if (Key != '\r' && Key != 27)
      FCalculator->HandleKey(Key);
    Key = 0;
    return;
  }
  TDestroyWatch watch(this);
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (c && c->AutoDropDown() && !FListVisible && static_cast<unsigned char>(Key) >= 32 &&
      ActiveList() != FCalculator)
    OpenDropDown();
  if (watch.Destroyed())
    return;
  unsigned char ch = static_cast<unsigned char>(Key);
  if (FEditStyle == cesDataList && (ch >= 32 || ch == VK_BACK)) {
    // A double-byte character is typed whole: its trail byte is the next character message.
    AnsiString typed(1, Key);
    MSG next;
    if (ch >= 0x81 && HandleAllocated() && PeekMessage(next, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
      typed += static_cast<char>(next.wParam);
    if (AcceptDataListText(typed)) {
      Key = 0;
      return;
    }
  }
  if (c && (FEditStyle == cesPickList || c->Kind() == ckKeyList) && (ch >= 32 || ch == VK_BACK)) {
    AnsiString typed(1, Key);
    MSG next;
    if (ch >= 0x81 && HandleAllocated() && PeekMessage(next, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
      typed += static_cast<char>(next.wParam);
    if (AcceptPickListText(typed)) {
      Key = 0;
      return;
    }
    if (typed.size() > 1) {
      // An unmatched double-byte character goes in whole.
      SetSelText(typed);
      Key = 0;
      return;
    }
  }
  TInplaceEdit::KeyPress(Key);
}

void TDBGridInplaceEdit::DataListFollows(const Variant& Key)
{
  if (FListVisible && FDataList && ActiveList() == FDataList)
    FDataList->SetKeyValue(Key);
}

bool TDBGridInplaceEdit::LocateDataListText(const AnsiString& Prefix, AnsiString& Text,
                                            Variant& Key)
{
  TCustomDBGridEh* g = DBGrid();
  TField* f = g && g->CurrentColumn() ? g->CurrentColumn()->Field() : nullptr;
  TDataSet* list = f && f->FieldKind() == fkLookup ? f->LookupDataSet() : nullptr;
  if (!list || !list->Active())
    return false;
  try {
    if (!list->Locate(f->LookupResultField(), Variant(Prefix), {loCaseInsensitive, loPartialKey}))
      return false;
  } catch (Exception&) {
    return false; // a list that cannot search finds nothing
  }
  Text = list->FieldByName(f->LookupResultField())->AsString();
  Key = list->FieldValues(f->LookupKeyFields());
  return true;
}

void TDBGridInplaceEdit::TakeCompletion(const AnsiString& Text, Integer Caret)
{
  TCustomDBGridEh* g = DBGrid();
  SetEditorText(Text);
  Caret = std::clamp<Integer>(Caret, 0, Length(Text));
  SetSelStart(Caret);
  SetSelLength(Length(Text) - Caret);
  g->SetEditText(g->Col(), g->Row(), Text);
}

bool TDBGridInplaceEdit::AcceptDataListText(const AnsiString& Typed)
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  TField* f = c ? c->Field() : nullptr;
  TDataSet* list = f && f->FieldKind() == fkLookup ? f->LookupDataSet() : nullptr;
  if (!list || !list->Active() || !c->CanEditValue(false) || !g->PrepareCellEdit())
    return false;
  if (Typed == "\b")
    return true; // Backspace already acted as a key (see KeyDown)
  AnsiString prefix = Text().substr(0, static_cast<std::size_t>(SelStart())) + Typed;
  AnsiString text;
  Variant key;
  if (LocateDataListText(prefix, text, key)) {
    // The record's text, its untyped rest selected for the next character to replace.
    TakeCompletion(text, Length(prefix));
    g->SetEditValue(key);
    DataListFollows(key);
    return true;
  }
  if (!c->OnNotInList)
    return true; // text no record begins is not typed
  TakeCompletion(prefix, Length(prefix));
  g->SetEditValue(Null());
  DataListFollows(Null());
  return true;
}

bool TDBGridInplaceEdit::AcceptPickListText(const AnsiString& Typed)
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c || !c->CanEditValue(false) || !g->PrepareCellEdit())
    return false;
  bool keyed = c->Kind() == ckKeyList;
  if (Typed == "\b")
    return keyed; // Backspace already acted as a key in a key-list cell (see KeyDown)
  AnsiString prefix = Text().substr(0, static_cast<std::size_t>(SelStart())) + Typed;
  Integer count = 0;
  TStrings* items = ListItems(c, count);
  Integer index = FindListEntry(items, count, prefix);
  if (index >= 0) {
    TakeCompletion(items->Strings(index), Length(prefix));
    if (FListVisible && ActiveList() == FPickList)
      FPickList->SetItemIndex(index);
    return true;
  }
  if (keyed && c->OnNotInList) {
    TakeCompletion(prefix, Length(prefix));
    g->SetEditValue(Null());
    if (FListVisible && ActiveList() == FPickList)
      FPickList->SetItemIndex(-1);
  }
  // A key-list cell holds only list texts and texts its OnNotInList may take.
  return keyed;
}

bool TDBGridInplaceEdit::PasteCompleted(const AnsiString& Pasted)
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c)
    return false;
  TField* f = c->Field();
  bool dataList =
      FEditStyle == cesDataList && f && f->FieldKind() == fkLookup && f->LookupDataSet();
  if (!dataList && c->Kind() != ckKeyList)
    return false;
  // Taken by the cell whether or not it completes: a list cell holds no free pasted text.
  if (!c->CanEditValue(false) || ReadOnly())
    return true;
  AnsiString text = Text();
  std::size_t start = std::min<std::size_t>(static_cast<std::size_t>(SelStart()), text.size());
  std::size_t end =
      std::min<std::size_t>(start + static_cast<std::size_t>(SelLength()), text.size());
  AnsiString head = text.substr(0, start) + Pasted;
  AnsiString whole = head + text.substr(end);
  if (dataList) {
    AnsiString found;
    Variant key;
    bool located = LocateDataListText(whole, found, key);
    if (!located && !c->OnNotInList)
      return true;
    if (!g->PrepareCellEdit())
      return true;
    TakeCompletion(located ? found : whole, Length(head));
    Variant value = located ? key : Null();
    g->SetEditValue(value);
    DataListFollows(value);
    return true;
  }
  Integer count = 0;
  TStrings* items = ListItems(c, count);
  Integer index = FindListEntry(items, count, whole);
  if ((index < 0 && !c->OnNotInList) || !g->PrepareCellEdit())
    return true;
  TakeCompletion(index >= 0 ? items->Strings(index) : whole, Length(head));
  if (index < 0)
    g->SetEditValue(Null());
  if (FListVisible && ActiveList() == FPickList)
    FPickList->SetItemIndex(index);
  return true;
}

bool TDBGridInplaceEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  // While a list is open the wheel is the list's (and never the edit's).
  if (FListVisible) {
    if (TWinControl* list = ActiveList())
      list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<Word>(WheelDelta)),
                    MAKELPARAM(MousePos.X, MousePos.Y));
    return true;
  }
  return TInplaceEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}

// ---- Recently entered texts ----

void TDBGridInplaceEdit::Change()
{
  TDestroyWatch watch(this);
  TInplaceEdit::Change();
  if (!watch.Destroyed() && !FContentsUpdating)
    TextChangedByUser();
}

void TDBGridInplaceEdit::TextChangedByUser()
{
  if (!FMRUList)
    return;
  AnsiString blank = IsMasked() ? FormatMaskText(EditMask(), "") : AnsiString();
  AnsiString text = Text();
  if (text == blank) {
    CloseMruList(false);
    return;
  }
  if (FMRUList->Active() && Showing() && !FListVisible)
    OpenMruList();
}

void TDBGridInplaceEdit::OpenMruList()
{
  if (!FMRUList)
    return;
  if (!FMruListBox) {
    FMruListBox = new TMRUListboxEh(this);
    FMruListBox->SetCtl3D(false);
    FMruListBox->FreeNotification(this);
    FMruListBox->OnMouseUp = TMouseEvent::Bind(this, &TDBGridInplaceEdit::MruListMouseUp);
  }
  TMRUListboxEh* list = FMruListBox;
  TDestroyWatch watch(this);
  bool complete = FMRUList->CopyMatchingTo(list->Items(), Text());
  if (watch.Destroyed())
    return;
  Integer count = list->Items()->Count();
  if (!complete || count == 0) {
    CloseMruList(false);
    return;
  }
  TRect format;
  SendMessage(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  TPoint topLeft = ClientToScreen(TPoint(format.Left, 0));
  TPoint bottomRight = ClientToScreen(TPoint(format.Right, ClientHeight()));
  TRect owner(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y);
  if (!FMruOpen) {
    list->SetColor(Color());
    list->Font()->Assign(Font());
    list->SetItemHeight(0);
    list->SetItemIndex(-1);
    Integer width = FMRUList->ListWidth();
    list->SetWidth(width > 0 && width > format.Width() ? width : format.Width());
  }
  list->SetRowCount(std::min(count, std::max(FMRUList->Rows(), 1)));
  ShowPopup(list, FitDropDownToScreen(owner, list, 0));
  list->SizeGrip()->SetGripVisible(true);
  list->UpdateScrollBar();
  list->SetSizeGripResized(false);
  if (!FMruOpen)
    FMRUList->NotifyDropDown();
  FMruOpen = true;
}

void TDBGridInplaceEdit::CloseMruList(bool Accept)
{
  if (!FMruOpen)
    return;
  FMruOpen = false;
  if (FMRUList && FMRUList->IsDroppedDown())
    FMRUList->NotifyCloseUp(Accept);
  TMRUListboxEh* list = FMruListBox;
  if (!list)
    return;
  // The grip may have resized the list: the column keeps its rows and width.
  if (list->SizeGripResized() && FMRUList) {
    FMRUList->SetRows(list->RowCount());
    FMRUList->SetListWidth(list->Width());
  }
  if (HWND capture = GetCapture(); capture && IsPartOf(capture, list))
    SendMessage(capture, WM_CANCELMODE, 0, 0);
  bool listHadFocus = IsPartOf(GetFocus(), list);
  if (list->HandleAllocated())
    ShowWindow(list->Handle(), SW_HIDE);
  if (listHadFocus && CanFocus())
    SetFocus();
  TCustomDBGridEh* g = DBGrid();
  if (!Accept || ReadOnly() || !g || !g->DataLink()->Editing())
    return;
  Integer index = list->ItemIndex();
  if (index >= 0 && index < list->Items()->Count()) {
    SetEditorText(list->Items()->Strings(index));
    g->SetEditText(g->Col(), g->Row(), Text());
    g->DataLink()->MarkModified();
  }
  if (Focused())
    SelectAll();
}

void TDBGridInplaceEdit::MruListMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X,
                                        Integer Y)
{
  if (Button != mbLeft || !FMruOpen || !FMruListBox)
    return;
  CloseMruList(FMruListBox->ChooseItemAt(TPoint(X, Y)));
}

// ---- Focus and cancel mode ----

bool TDBGridInplaceEdit::ForeignWindow(HWND Window, TWinControl* Popup) const
{
  return !IsPartOf(Window, Popup);
}

void TDBGridInplaceEdit::Dispatch(TMessage& Message)
{
  // An editor going away closes nothing more (its window's end sends it focus messages).
  if (ComponentState().Contains(csDestroying)) {
    TInplaceEdit::Dispatch(Message);
    return;
  }
  switch (Message.Msg) {
  case WM_PASTE:
    if (Clipboard()->HasFormat(CF_TEXT) && PasteCompleted(Clipboard()->AsText()))
      return;
    break;
  case WM_KILLFOCUS: {
    // The focus leaving for anything but the open popup closes it without accepting.
    HWND to = reinterpret_cast<HWND>(Message.WParam);
    if (FListVisible) {
      if (ForeignWindow(to, ActiveList())) {
        FListClosedByGridPress = DBGrid() && to == DBGrid()->Handle();
        FListClosedAt = GetMessageTime();
        CloseDropDown(false);
      }
    } else if (FMruOpen && ForeignWindow(to, FMruListBox)) {
      CloseMruList(false);
    }
    break;
  }
  case CM_CANCELMODE: {
    auto* sender = reinterpret_cast<TControl*>(Message.LParam);
    auto partOf = [&](TWinControl* popup) {
      for (TControl* c = sender; c; c = c->Parent())
        if (c == popup)
          return true;
      return false;
    };
    if (sender != this) {
      if (FListVisible && !partOf(ActiveList())) {
        FListClosedByGridPress = sender == DBGrid();
        FListClosedAt = GetMessageTime();
        CloseDropDown(false);
      }
      if (FMruOpen && !partOf(FMruListBox))
        CloseMruList(false);
    }
    break;
  }
  }
  TInplaceEdit::Dispatch(Message);
}

TInplaceEdit* TCustomDBGridEh::CreateEditor()
{
  auto* editor = new TDBGridInplaceEdit(this);
  editor->SetGrid(this);
  return editor;
}

TDBGridInplaceEdit* TCustomDBGridEh::CellEditor() const
{
  return dynamic_cast<TDBGridInplaceEdit*>(InplaceEditor());
}
