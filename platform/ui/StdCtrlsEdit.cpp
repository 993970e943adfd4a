// The edit window (TCustomEdit): single- and multi-line editing over the text model of
// StdCtrlsText.cpp, with its messages, keys, mouse, clipboard, undo, scrolling and painting.
// StdCtrls.h describes the class; StdCtrlsMemo.cpp adds the memo's properties.
#include <algorithm>
#include <climits>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"

using stdctrls::IsLead;
using stdctrls::LowerAscii;
using stdctrls::UpperAscii;

void stdctrls::RegisterEditClasses()
{
  RegisterEnumType<TEditCharCase>("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
  RegisterEnumType<TScrollStyle>("TScrollStyle",
                                 {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  TClassRegistration<TCustomEdit, TWinControl>("TCustomEdit");
  TClassRegistration<TEdit, TCustomEdit>("TEdit")
      .Property("Alignment", &TEdit::Alignment, &TEdit::SetAlignment)
      .Default(taLeftJustify)
      .Property("AutoSelect", &TEdit::AutoSelect, &TEdit::SetAutoSelect)
      .Default(true)
      .Property("BorderStyle", &TEdit::BorderStyle, &TEdit::SetBorderStyle)
      .Default(bsSingle)
      .Property("CharCase", &TEdit::CharCase, &TEdit::SetCharCase)
      .Default(ecNormal)
      .Property("HideSelection", &TEdit::HideSelection, &TEdit::SetHideSelection)
      .Default(true)
      .Property("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength)
      .Default(0)
      .Property("PasswordChar", &TEdit::PasswordChar, &TEdit::SetPasswordChar)
      .Default(0)
      .Property("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly)
      .Default(false)
      .Property("Text", &TEdit::Text, &TEdit::SetText)
      .Property("OnChange", &TEdit::OnChange, &TEdit::OnChange);
}

namespace {

constexpr UINT_PTR kDragScrollTimer = 1;
constexpr UINT kDragScrollInterval = 100;

} // namespace

void stdctrls::NotifyParent(TWinControl* Control, Word Code)
{
  HWND h = Control->HandleAllocated() ? Control->Handle() : 0;
  HWND parent = h && (GetWindowLong(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : 0;
  if (parent)
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetWindowLong(h, GWL_ID), Code),
                static_cast<LPARAM>(h));
  else
    Control->Perform(CN_COMMAND, MAKEWPARAM(0, Code), static_cast<LPARAM>(h));
}

void stdctrls::RecreateKeepingFocus(TWinControl* Control)
{
  if (!Control->HandleAllocated())
    return;
  bool focused = Control->Focused();
  Control->RecreateWnd();
  // The form still names the control as its active one: only the window focus is new.
  if (focused && Control->CanFocus())
    ::SetFocus(Control->Handle());
}

TCustomEdit::TCustomEdit(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csCaptureMouse};
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FCursor = crIBeam;
}

TCustomEdit::~TCustomEdit()
{
  if (FMeasureDC)
    ReleaseDC(0, FMeasureDC);
}

void TCustomEdit::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  Params.Style |= alignments[FAlignment];
  if (FMultiLine) {
    Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (!FWordWrap)
      Params.Style |= ES_AUTOHSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
      Params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
      Params.Style |= WS_HSCROLL;
  } else {
    Params.Style |= ES_AUTOHSCROLL;
  }
  if (FReadOnly)
    Params.Style |= ES_READONLY;
  if (!FHideSelection)
    Params.Style |= ES_NOHIDESEL;
  if (FCharCase == ecUpperCase)
    Params.Style |= ES_UPPERCASE;
  else if (FCharCase == ecLowerCase)
    Params.Style |= ES_LOWERCASE;
  if (FBorderStyle == bsSingle)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd()
{
  TWinControl::CreateWnd();
  LayoutChanged();
  UpdateScrollBars();
}

// ---- Properties ----

void TCustomEdit::SetMaxLength(Integer Value)
{
  FModel.SetMaxLength(Value);
}

void TCustomEdit::SetReadOnly(bool Value)
{
  if (Value == FReadOnly)
    return;
  FReadOnly = Value;
  Invalidate();
}

void TCustomEdit::SetPasswordChar(char Value)
{
  if (Value == FPasswordChar)
    return;
  FPasswordChar = Value;
  LayoutChanged();
  SelectionChanged();
}

void TCustomEdit::SetCharCase(TEditCharCase Value)
{
  if (Value == FCharCase)
    return;
  FCharCase = Value;
  AnsiString converted = ApplyCharCase(FModel.Text());
  if (converted != FModel.Text())
    SetText(converted);
}

void TCustomEdit::SetHideSelection(bool Value)
{
  if (Value == FHideSelection)
    return;
  FHideSelection = Value;
  Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  stdctrls::RecreateKeepingFocus(this);
}

void TCustomEdit::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  stdctrls::RecreateKeepingFocus(this);
}

AnsiString TCustomEdit::ApplyCharCase(const AnsiString& Value) const
{
  if (FCharCase == ecNormal)
    return Value;
  AnsiString out = Value;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsLead(out[i])) {
      ++i;
      continue;
    }
    out[i] = FCharCase == ecUpperCase ? UpperAscii(out[i]) : LowerAscii(out[i]);
  }
  return out;
}

// Setting the text: no length limit, caret at the start, the undo emptied.
void TCustomEdit::SetTextInternal(const AnsiString& Value)
{
  FModel.SetText(ApplyCharCase(Value));
  FCanUndo = false;
  FTypingRun = false;
  FPendingLead = -1;
  FScrollX = 0;
  FTopLine = 0;
  FGoalX = -1;
  TextChanged(TChangeKind::ckSetText);
}

void TCustomEdit::SetSelStart(Integer Value)
{
  FModel.SetSel(Value, Value);
  BreakTypingRun();
  SelectionChanged();
}

void TCustomEdit::SetSelLength(Integer Value)
{
  Integer start = FModel.SelStart();
  FModel.SetSel(start, std::max(start + Value, 0));
  BreakTypingRun();
  SelectionChanged();
}

void TCustomEdit::SetSelText(const AnsiString& Value)
{
  SaveUndo();
  if (InsertText(Value, false))
    TextChanged();
}

void TCustomEdit::SelectAll()
{
  FModel.SetSel(0, -1);
  BreakTypingRun();
  SelectionChanged();
}

void TCustomEdit::ClearSelection()
{
  Perform(WM_CLEAR, 0, 0);
}
void TCustomEdit::CutToClipboard()
{
  Perform(WM_CUT, 0, 0);
}
void TCustomEdit::CopyToClipboard()
{
  Perform(WM_COPY, 0, 0);
}
void TCustomEdit::PasteFromClipboard()
{
  Perform(WM_PASTE, 0, 0);
}
void TCustomEdit::Undo()
{
  Perform(WM_UNDO, 0, 0);
}

Integer TCustomEdit::LineCount()
{
  EnsureLayout();
  return static_cast<Integer>(FLines.size());
}

const std::vector<TEditLine>& TCustomEdit::DisplayLines()
{
  EnsureLayout();
  return FLines;
}

void TCustomEdit::Change()
{
  OnChange(this);
}

// ---- Editing steps ----

void TCustomEdit::TextChanged(TChangeKind Kind)
{
  FCaretAtLineEnd = false;
  FModified = Kind == TChangeKind::ckEdit;
  LayoutChanged();
  SelectionChanged();
  // A multi-line edit tells of text set as a whole through CM_TEXTCHANGED instead.
  if (Kind == TChangeKind::ckEdit || !FMultiLine)
    stdctrls::NotifyParent(this, EN_CHANGE);
}

void TCustomEdit::SaveUndo()
{
  FUndoText = FModel.Text();
  FUndoAnchor = FModel.Anchor();
  FUndoCaret = FModel.Caret();
  FCanUndo = true;
  FTypingRun = false;
}

bool TCustomEdit::InsertText(const AnsiString& Value, bool Limited)
{
  AnsiString text = ApplyCharCase(Value);
  if (!Limited) {
    Integer limit = FModel.MaxLength();
    FModel.SetMaxLength(0);
    FModel.ReplaceSel(text);
    FModel.SetMaxLength(limit);
    return true;
  }
  return FModel.ReplaceSel(text);
}

bool TCustomEdit::DeleteSelection()
{
  if (FModel.SelLength() == 0)
    return false;
  FModel.ReplaceSel("");
  return true;
}

void TCustomEdit::TypeChar(unsigned char Ch)
{
  AnsiString text;
  if (FPendingLead >= 0) {
    text = {static_cast<char>(FPendingLead), static_cast<char>(Ch)};
    FPendingLead = -1;
  } else if (IsLead(Ch)) {
    FPendingLead = Ch; // the trail byte follows as the next WM_CHAR
    return;
  } else if (Ch == '\r') {
    text = "\r\n";
  } else {
    text = AnsiString(1, static_cast<char>(Ch));
  }
  if (FReadOnly || !EditCanModify()) {
    MessageBeep(0);
    return;
  }
  AnsiString before = FModel.Text();
  Integer anchor = FModel.Anchor(), caret = FModel.Caret();
  if (!FModel.ReplaceSel(ApplyCharCase(text))) {
    MessageBeep(0);
    return;
  }
  // A run of typed characters is undone as one step.
  if (!FTypingRun || !FCanUndo) {
    FUndoText = before;
    FUndoAnchor = anchor;
    FUndoCaret = caret;
    FCanUndo = true;
  }
  FTypingRun = true;
  TextChanged();
}

void TCustomEdit::Backspace()
{
  if (FReadOnly || !EditCanModify()) {
    MessageBeep(0);
    return;
  }
  if (FModel.SelLength() == 0) {
    if (FModel.Caret() == 0)
      return;
    FModel.SetSel(FModel.PrevChar(FModel.Caret()), FModel.Caret());
  }
  SaveUndo();
  DeleteSelection();
  TextChanged();
}

void TCustomEdit::DeleteForward()
{
  if (FReadOnly || !EditCanModify()) {
    MessageBeep(0);
    return;
  }
  if (FModel.SelLength() == 0) {
    if (FModel.Caret() >= FModel.Length())
      return;
    FModel.SetSel(FModel.Caret(), FModel.NextChar(FModel.Caret()));
  }
  SaveUndo();
  DeleteSelection();
  TextChanged();
}

// ---- Keys ----

void TCustomEdit::WMChar(TMessage& Message)
{
  if (DoKeyPress(Message))
    return;
  unsigned char ch = static_cast<unsigned char>(Message.WParam);
  if (FPendingLead >= 0 && ch >= 0x40) {
    TypeChar(ch);
    return;
  }
  FPendingLead = -1;
  switch (ch) {
  case 3:
    Perform(WM_COPY, 0, 0);
    return;
  case 22:
    Perform(WM_PASTE, 0, 0);
    return;
  case 24:
    Perform(WM_CUT, 0, 0);
    return;
  case 26:
    Perform(WM_UNDO, 0, 0);
    return;
  case 8:
    Backspace();
    return;
  case 13:
  case 10:
    if (FMultiLine)
      TypeChar('\r');
    else
      MessageBeep(0);
    return;
  case 9:
    if (FMultiLine)
      TypeChar('\t');
    return;
  }
  if (ch < 0x20 || ch == 127)
    return;
  TypeChar(ch);
}

// Moves the caret for a navigation key; false for keys that do not move it.
bool TCustomEdit::NavigationKey(Word Key, bool Shift, bool Ctrl)
{
  Integer caret = FModel.Caret();
  Integer pos = caret;
  bool vertical = false;
  bool endOfLine = false;
  EnsureLayout();
  switch (Key) {
  case VK_LEFT:
    if (!Shift && !Ctrl && FModel.SelLength() > 0)
      pos = FModel.SelStart();
    else
      pos = Ctrl ? FModel.PrevWord(caret) : FModel.PrevChar(caret);
    break;
  case VK_RIGHT:
    if (!Shift && !Ctrl && FModel.SelLength() > 0)
      pos = FModel.SelEnd();
    else
      pos = Ctrl ? FModel.NextWord(caret) : FModel.NextChar(caret);
    break;
  case VK_HOME:
    pos = (Ctrl || !FMultiLine) ? 0 : FLines[CaretLine()].Start;
    break;
  case VK_END:
    if (Ctrl || !FMultiLine) {
      pos = FModel.Length();
    } else {
      Integer line = CaretLine();
      pos = FLines[line].End;
      endOfLine = IsWrapEnd(line);
    }
    break;
  case VK_UP:
  case VK_DOWN:
  case VK_PRIOR:
  case VK_NEXT: {
    if (!FMultiLine)
      return false;
    vertical = true;
    Integer line = CaretLine();
    Integer step = (Key == VK_UP || Key == VK_DOWN) ? 1 : std::max(VisibleLines() - 1, 1);
    Integer target = line + ((Key == VK_UP || Key == VK_PRIOR) ? -step : step);
    target = std::clamp(target, 0, static_cast<Integer>(FLines.size()) - 1);
    if (FGoalX < 0)
      FGoalX = CaretPoint().X + FScrollX;
    if (Key == VK_PRIOR || Key == VK_NEXT)
      FTopLine = std::clamp(FTopLine + (target - line), 0, MaxTopLine());
    pos = PointToPos({FGoalX - FScrollX, LineTop(target)}, &endOfLine);
    break;
  }
  default:
    return false;
  }
  if (!vertical)
    FGoalX = -1;
  FModel.MoveCaret(pos, Shift);
  BreakTypingRun();
  FCaretAtLineEnd = endOfLine;
  SelectionChanged();
  return true;
}

// Keys that move the caret or edit; keys it does not know change nothing.
void TCustomEdit::KeyDown(Word& Key, TShiftState Shift)
{
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0)
    return;
  bool shift = Shift.Contains(ssShift);
  bool ctrl = Shift.Contains(ssCtrl);
  if (NavigationKey(Key, shift, ctrl)) {
    Key = 0;
    return;
  }
  switch (Key) {
  case VK_DELETE:
    if (shift)
      Perform(WM_CUT, 0, 0);
    else
      DeleteForward();
    Key = 0;
    return;
  case VK_INSERT:
    if (ctrl)
      Perform(WM_COPY, 0, 0);
    else if (shift)
      Perform(WM_PASTE, 0, 0);
    Key = 0;
    return;
  case 'A':
    if (!ctrl)
      return;
    SelectAll();
    Key = 0;
    return;
  }
}

// A multi-line edit wants Enter, but Esc still goes to the form (its cancel button).
void TCustomEdit::CNKeyDown(TMessage& Message)
{
  TDestroyWatch watch(this);
  TWinControl::CNKeyDown(Message);

  if (Message.Result != 0 || watch.Destroyed() || !FMultiLine || Message.WParam != VK_ESCAPE)
    return;
  if (TCustomForm* form = GetParentForm(this))
    if (form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0)
      Message.Result = 1;
}

// ---- Mouse ----

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (Button == mbLeft && !Shift.Contains(ssDouble)) {
    if (!Focused() && CanFocus())
      SetFocus();
    if (watch.Destroyed())
      return;
    bool endOfLine = false;
    FModel.MoveCaret(PointToPos({X, Y}, &endOfLine), Shift.Contains(ssShift));
    FGoalX = -1;
    BreakTypingRun();
    FCaretAtLineEnd = endOfLine;
    FSelecting = true;
    FDragPoint = {X, Y};
    SelectionChanged();
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (FSelecting && Shift.Contains(ssLeft) && FControlState.Contains(csLButtonDown)) {
    FDragPoint = {X, Y};
    bool endOfLine = false;
    FModel.MoveCaret(PointToPos({X, Y}, &endOfLine), true);
    FCaretAtLineEnd = endOfLine;
    SelectionChanged();
    // Outside the text, a timer keeps scrolling while the pointer stays there.
    bool outside = !PtInRect(FormatRect(), FDragPoint);
    if (outside && !FDragTimer && HandleAllocated()) {
      SetTimer(FHandle, kDragScrollTimer, kDragScrollInterval);
      FDragTimer = true;
    }
  } else if (!Shift.Contains(ssLeft)) {
    FSelecting = false;
  }
  TWinControl::MouseMove(Shift, X, Y);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft) {
    FSelecting = false;
    if (FDragTimer && HandleAllocated())
      KillTimer(FHandle, kDragScrollTimer);
    FDragTimer = false;
  }
  TWinControl::MouseUp(Button, Shift, X, Y);
}

void TCustomEdit::WMTimer(TMessage& Message)
{
  if (Message.WParam != kDragScrollTimer)
    return;
  TRect fr = FormatRect();
  if (!FSelecting || GetCapture() != FHandle || PtInRect(fr, FDragPoint)) {
    KillTimer(FHandle, kDragScrollTimer);
    FDragTimer = false;
    return;
  }
  Integer lines = 0, pixels = 0;
  if (FMultiLine) {
    if (FDragPoint.Y < fr.Top)
      lines = -1;
    else if (FDragPoint.Y >= fr.Bottom)
      lines = 1;
  }
  Integer step = std::max(MeasureCanvas()->TextWidth("0"), 4);
  if (FDragPoint.X < fr.Left)
    pixels = -step;
  else if (FDragPoint.X >= fr.Right)
    pixels = step;
  ScrollView(lines, pixels);
  FModel.MoveCaret(PointToPos(FDragPoint), true);
  SelectionChanged();
}

bool TCustomEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  if (!FMultiLine)
    return false;
  Integer lines = -WheelDelta * Mouse()->WheelScrollLines() / WHEEL_DELTA;
  if (lines == 0)
    return true;
  if (ScrollView(lines, 0))
    NotifyParent(EN_VSCROLL);
  return true;
}

// A double click selects the word under the caret.
void TCustomEdit::DblClick()
{
  Integer start = 0, end = 0;
  FModel.WordAt(FModel.Caret(), start, end);
  FModel.SetSel(start, end);
  FSelecting = false;
  SelectionChanged();
  TWinControl::DblClick();
}

void TCustomEdit::DoEnter()
{
  // A single-line edit entered by the keyboard (not by a click) selects its whole text.
  if (FAutoSelect && !FMultiLine && !(GetKeyState(VK_LBUTTON) < 0))
    SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::WMSetFocus(TMessage& Message)
{
  TWinControl::WMSetFocus(Message);
  CreateCaret(FHandle, 1, LineHeight());
  SelectionChanged();
  ShowCaret(FHandle);
}

void TCustomEdit::WMKillFocus(TMessage& Message)
{
  TWinControl::WMKillFocus(Message);
  DestroyCaret();
  FSelecting = false;
  FPendingLead = -1;
  Invalidate();
}

// The standard edit menu, when the control has no popup menu of its own.
void TCustomEdit::ShowContextMenu(TPoint ScreenPos)
{
  if (!Focused() && CanFocus())
    SetFocus();
  if (ScreenPos.X == -1 && ScreenPos.Y == -1)
    ScreenPos = ClientToScreen(CaretPoint());
  TDestroyWatch watch(this);
  auto menu = std::make_unique<TPopupMenu>(nullptr);
  struct TEntry {
    const char* Caption;
    UINT Msg;
    bool Enabled;
  };
  bool hasSel = FModel.SelLength() > 0;
  bool editable = !FReadOnly;
  bool secret = FPasswordChar != 0;
  const TEntry entries[] = {
      {"撤消(&U)", WM_UNDO, FCanUndo && editable},
      {"-", 0, true},
      {"剪切(&T)", WM_CUT, hasSel && editable && !secret},
      {"复制(&C)", WM_COPY, hasSel && !secret},
      {"粘贴(&P)", WM_PASTE, editable && Clipboard()->HasFormat(CF_TEXT)},
      {"删除(&D)", WM_CLEAR, hasSel && editable},
      {"-", 0, true},
      {"全选(&A)", EM_SETSEL, FModel.Length() > 0 && FModel.SelLength() < FModel.Length()},
  };
  UINT chosen = 0;
  for (const TEntry& e : entries) {
    auto* item = new TMenuItem(menu.get());
    item->SetCaption(e.Caption);
    item->SetEnabled(e.Enabled);
    UINT msg = e.Msg;
    if (msg)
      item->OnClick = [&chosen, msg](TObject*) { chosen = msg; };
    menu->Items()->Add(item);
  }
  menu->Popup(ScreenPos.X, ScreenPos.Y);
  if (watch.Destroyed() || chosen == 0)
    return;
  if (chosen == EM_SETSEL)
    SelectAll();
  else
    Perform(chosen, 0, 0);
}

// ---- Messages ----

void TCustomEdit::WMGetText(TMessage& Message)
{
  auto* buffer = reinterpret_cast<char*>(Message.LParam);
  std::size_t size = static_cast<std::size_t>(Message.WParam);
  if (!buffer || size == 0) {
    Message.Result = 0;
    return;
  }
  std::size_t n = std::min(size - 1, FModel.Text().size());
  std::copy_n(FModel.Text().data(), n, buffer);
  buffer[n] = '\0';
  Message.Result = static_cast<LRESULT>(n);
}

void TCustomEdit::WMSetText(TMessage& Message)
{
  const char* text = reinterpret_cast<const char*>(Message.LParam);
  SetTextInternal(text ? AnsiString(text) : AnsiString());
  Message.Result = 1;
}

void TCustomEdit::WMUndo(TMessage& Message)
{
  if (!FCanUndo || FReadOnly) {
    Message.Result = 0;
    return;
  }
  // Undoing swaps the saved state with the current one, so a second undo redoes.
  AnsiString text = FModel.Text();
  Integer anchor = FModel.Anchor(), caret = FModel.Caret();
  FModel.SetText(FUndoText);
  FModel.SetSel(FUndoAnchor, FUndoCaret);
  FUndoText = text;
  FUndoAnchor = anchor;
  FUndoCaret = caret;
  FTypingRun = false;
  Message.Result = 1;
  TextChanged();
}

void TCustomEdit::WMPaste(TMessage& Message)
{
  if (FReadOnly || !EditCanModify())
    return;
  AnsiString text = Clipboard()->AsText();
  // One line: the paste stops at the first line break.
  if (!FMultiLine) {
    std::size_t cut = text.find_first_of("\r\n");
    if (cut != AnsiString::npos)
      text.resize(cut);
  }
  if (text.empty())
    return;
  SaveUndo();
  if (InsertText(text, true))
    TextChanged();
  else
    MessageBeep(0);
}

void TCustomEdit::WMScrollBar(TMessage& Message)
{
  bool vertical = Message.Msg == WM_VSCROLL;
  Integer code = LOWORD(Message.WParam);
  Integer page = vertical ? std::max(VisibleLines(), 1) : std::max(FormatRect().Width(), 1);
  Integer line = vertical ? 1 : std::max(MeasureCanvas()->TextWidth("0"), 1);
  Integer current = vertical ? FTopLine : FScrollX;
  Integer target = current;
  switch (code) {
  case SB_LINEUP:
    target -= line;
    break;
  case SB_LINEDOWN:
    target += line;
    break;
  case SB_PAGEUP:
    target -= page;
    break;
  case SB_PAGEDOWN:
    target += page;
    break;
  case SB_TOP:
    target = 0;
    break;
  case SB_BOTTOM:
    target = INT_MAX / 2;
    break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION: {
    SCROLLINFO si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(FHandle, vertical ? SB_VERT : SB_HORZ, si);
    target = si.nTrackPos;
    break;
  }
  default:
    return;
  }
  bool moved = vertical ? ScrollView(target - current, 0) : ScrollView(0, target - current);
  if (moved)
    NotifyParent(vertical ? EN_VSCROLL : EN_HSCROLL);
  Message.Result = 0;
}

void TCustomEdit::EMGetLine(TMessage& Message)
{
  // The buffer's first word holds its size; the line is copied without a terminator.
  auto* buffer = reinterpret_cast<char*>(Message.LParam);
  EnsureLayout();
  Integer line = static_cast<Integer>(Message.WParam);
  if (!buffer || line < 0 || line >= static_cast<Integer>(FLines.size())) {
    Message.Result = 0;
    return;
  }
  Word size = *reinterpret_cast<Word*>(buffer);
  const TEditLine& l = FLines[line];
  std::size_t n = std::min<std::size_t>(size, static_cast<std::size_t>(l.End - l.Start));
  std::copy_n(FModel.Text().data() + l.Start, n, buffer);
  Message.Result = static_cast<LRESULT>(n);
}

// The line messages: counts, indexes and lengths of the lines as shown.
void TCustomEdit::EMLineMessages(TMessage& Message)
{
  EnsureLayout();
  Integer count = static_cast<Integer>(FLines.size());
  auto arg = [&]() { return static_cast<Integer>(static_cast<NativeInt>(Message.WParam)); };
  switch (Message.Msg) {
  case EM_GETLINECOUNT:
    Message.Result = count;
    return;
  case EM_LINEINDEX: {
    Integer line = arg() < 0 ? LineOfPos(FModel.Caret()) : arg();
    Message.Result = line < count ? FLines[line].Start : -1;
    return;
  }
  case EM_LINELENGTH: {
    Integer pos = arg() < 0 ? FModel.Caret() : std::min(arg(), FModel.Length());
    const TEditLine& l = FLines[LineOfPos(pos)];
    Message.Result = l.End - l.Start;
    return;
  }
  case EM_LINEFROMCHAR: {
    Integer pos = arg() < 0 ? FModel.SelStart() : std::min(arg(), FModel.Length());
    Message.Result = LineOfPos(pos);
    return;
  }
  case EM_GETFIRSTVISIBLELINE:
    Message.Result = FMultiLine ? FTopLine : 0;
    return;
  }
}

void TCustomEdit::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETTEXT:
    WMGetText(Message);
    return;
  case WM_GETTEXTLENGTH:
    Message.Result = FModel.Length();
    return;
  case WM_SETTEXT:
    WMSetText(Message);
    Perform(CM_TEXTCHANGED, 0, 0);
    return;
  case CM_TEXTCHANGED:
    if (FMultiLine)
      Change();
    break;
  case WM_GETDLGCODE: {
    UINT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    if (FMultiLine) {
      if (FWantReturns)
        code |= DLGC_WANTALLKEYS;
      if (FWantTabs)
        code |= DLGC_WANTTAB;
    }
    Message.Result = code;
    return;
  }
  case EM_GETSEL:
    if (Message.WParam)
      *reinterpret_cast<DWORD*>(Message.WParam) = static_cast<DWORD>(FModel.SelStart());
    if (Message.LParam)
      *reinterpret_cast<DWORD*>(Message.LParam) = static_cast<DWORD>(FModel.SelEnd());
    Message.Result = MAKELPARAM(FModel.SelStart(), FModel.SelEnd());
    return;
  case EM_SETSEL:
    FModel.SetSel(static_cast<Integer>(static_cast<NativeInt>(Message.WParam)),
                  static_cast<Integer>(Message.LParam));
    FGoalX = -1;
    BreakTypingRun();
    SelectionChanged();
    return;
  case EM_REPLACESEL: {
    const char* text = reinterpret_cast<const char*>(Message.LParam);
    if (Message.WParam)
      SaveUndo();
    if (InsertText(text ? text : "", true))
      TextChanged();
    return;
  }
  case EM_LIMITTEXT:
    SetMaxLength(static_cast<Integer>(Message.WParam));
    return;
  case EM_GETLIMITTEXT:
    Message.Result = FModel.MaxLength() ? FModel.MaxLength() : 0x7FFFFFFE;
    return;
  case EM_SETREADONLY:
    SetReadOnly(Message.WParam != 0);
    Message.Result = 1;
    return;
  case EM_SETPASSWORDCHAR:
    SetPasswordChar(static_cast<char>(Message.WParam));
    return;
  case EM_GETPASSWORDCHAR:
    Message.Result = static_cast<unsigned char>(FPasswordChar);
    return;
  case EM_GETMODIFY:
    Message.Result = FModified;
    return;
  case EM_SETMODIFY:
    FModified = Message.WParam != 0;
    return;
  case EM_CANUNDO:
    Message.Result = FCanUndo;
    return;
  case EM_EMPTYUNDOBUFFER:
    FCanUndo = false;
    FTypingRun = false;
    return;
  case EM_GETLINECOUNT:
  case EM_LINEINDEX:
  case EM_LINELENGTH:
  case EM_LINEFROMCHAR:
  case EM_GETFIRSTVISIBLELINE:
    EMLineMessages(Message);
    return;
  case EM_GETLINE:
    EMGetLine(Message);
    return;
  case EM_SETMARGINS:
    if (Message.WParam & EC_LEFTMARGIN)
      FLeftMargin = LOWORD(Message.LParam);
    if (Message.WParam & EC_RIGHTMARGIN)
      FRightMargin = HIWORD(Message.LParam);
    LayoutChanged();
    SelectionChanged();
    return;
  case EM_GETMARGINS:
    Message.Result = MAKELPARAM(FLeftMargin, FRightMargin);
    return;
  case EM_GETRECT:
    if (Message.LParam)
      *reinterpret_cast<TRect*>(Message.LParam) = FormatRect();
    return;
  case EM_SETRECT:
  case EM_SETRECTNP:
    FHasRect = Message.LParam != 0;
    if (FHasRect)
      FRect = *reinterpret_cast<const TRect*>(Message.LParam);
    LayoutChanged();
    ScrollCaretIntoView();
    if (Message.Msg == EM_SETRECT)
      Invalidate();
    return;
  case EM_SETTABSTOPS: {
    const Integer* stops = reinterpret_cast<const Integer*>(Message.LParam);
    FTabSpacing = (Message.WParam >= 1 && stops) ? std::max(stops[0], 1) : 32;
    LayoutChanged();
    Invalidate();
    Message.Result = 1;
    return;
  }
  case EM_SCROLLCARET:
    SelectionChanged();
    return;
  case EM_LINESCROLL:
    if (FMultiLine)
      ScrollView(static_cast<Integer>(Message.LParam),
                 static_cast<Integer>(static_cast<NativeInt>(Message.WParam)) *
                     MeasureCanvas()->TextWidth("0"));
    Message.Result = FMultiLine;
    return;
  case EM_SCROLL: {
    Integer before = FTopLine;
    if (FMultiLine && Message.WParam <= SB_PAGEDOWN) {
      TMessage bar{WM_VSCROLL, Message.WParam, 0, 0};
      WMScrollBar(bar);
    }
    Message.Result = MAKELPARAM(FTopLine - before, FMultiLine ? 1 : 0);
    return;
  }
  case EM_POSFROMCHAR: {
    Integer pos = static_cast<Integer>(static_cast<NativeInt>(Message.WParam));
    if (pos < 0 || pos >= FModel.Length()) {
      Message.Result = -1;
      return;
    }
    TPoint p = PosToPoint(FModel.CharStart(pos));
    Message.Result = MAKELPARAM(p.X, p.Y);
    return;
  }
  case EM_CHARFROMPOS: {
    TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    Integer pos = PointToPos(p);
    Message.Result = MAKELPARAM(pos, FMultiLine ? LineOfPos(pos) : 0);
    return;
  }
  case EM_UNDO:
  case WM_UNDO:
    WMUndo(Message);
    return;
  case WM_COPY:
    if (FPasswordChar == 0 && FModel.SelLength() > 0)
      Clipboard()->SetAsText(FModel.SelText());
    return;
  case WM_CUT:
    if (FPasswordChar != 0 || FReadOnly || FModel.SelLength() == 0 || !EditCanModify())
      return;
    Clipboard()->SetAsText(FModel.SelText());
    SaveUndo();
    DeleteSelection();
    TextChanged();
    return;
  case WM_CLEAR:
    if (FReadOnly || FModel.SelLength() == 0 || !EditCanModify())
      return;
    SaveUndo();
    DeleteSelection();
    TextChanged();
    return;
  case WM_PASTE:
    WMPaste(Message);
    return;
  case WM_HSCROLL:
  case WM_VSCROLL:
    if (Message.LParam == 0) {
      WMScrollBar(Message);
      return;
    }
    break;
  case WM_TIMER:
    WMTimer(Message);
    return;
  case WM_SIZE:
    TWinControl::Dispatch(Message);
    LayoutChanged();
    ScrollCaretIntoView();
    return;
  case CN_COMMAND:
    if (HIWORD(Message.WParam) == EN_CHANGE)
      Change();
    return;
  case CM_FONTCHANGED:
    TWinControl::Dispatch(Message);
    if (FMeasureDC) {
      ReleaseDC(0, FMeasureDC);
      FMeasureDC = 0;
    }
    LayoutChanged();
    if (HandleAllocated() && Focused()) {
      CreateCaret(FHandle, 1, LineHeight());
      ShowCaret(FHandle);
    }
    SelectionChanged();
    return;
  case CM_ENABLEDCHANGED:
  case CM_COLORCHANGED:
    Invalidate();
    break;
  case WM_CAPTURECHANGED:
    FSelecting = false;
    if (FDragTimer && HandleAllocated())
      KillTimer(FHandle, kDragScrollTimer);
    FDragTimer = false;
    break;
  }
  TWinControl::Dispatch(Message);
}

// What the edit window does by itself with a message nobody handled: the standard menu on
// a right click.
void TCustomEdit::DefaultHandler(TMessage& Message)
{
  if (Message.Msg == WM_CONTEXTMENU && HandleAllocated()) {
    ShowContextMenu(MessagePoint(Message));
    Message.Result = 1;
    return;
  }
  TWinControl::DefaultHandler(Message);
}

// ---- Layout ----

AnsiString TCustomEdit::DisplayText() const
{
  if (FPasswordChar == 0 || FMultiLine)
    return FModel.Text();
  return AnsiString(FModel.Text().size(), FPasswordChar);
}

TCanvas* TCustomEdit::MeasureCanvas()
{
  if (!FMeasureDC)
    FMeasureDC = GetDC(0);
  TCanvas* c = CanvasFromDC(FMeasureDC);
  c->SetFont(FFont.get());
  return c;
}

Integer TCustomEdit::LineHeight()
{
  return std::max(MeasureCanvas()->TextHeight("Wg"), 1);
}

// Tab stops are set in dialog units, four to an average character width.
Integer TCustomEdit::TabInterval()
{
  TTextMetric tm = MeasureCanvas()->GetTextMetrics();
  return std::max(FTabSpacing * std::max<Integer>(tm.tmAveCharWidth, 1) / 4, 1);
}

void TCustomEdit::MeasureRun(const char* Text, Integer Length, Integer StartX,
                             std::vector<Integer>& Extents)
{
  Extents.assign(static_cast<std::size_t>(Length), 0);
  TCanvas* c = MeasureCanvas();
  Integer tab = 0;
  Integer x = StartX;
  Integer segment = 0;
  std::vector<Integer> ext;
  auto flush = [&](Integer end) {
    if (end <= segment)
      return;
    c->GetTextExtentExPoint(AnsiString(Text + segment, static_cast<std::size_t>(end - segment)),
                            INT_MAX, nullptr, &ext);
    for (Integer i = segment; i < end; ++i)
      Extents[i] = x + ext[i - segment];
    x = Extents[end - 1];
  };
  for (Integer i = 0; i < Length; ++i) {
    if (Text[i] != '\t')
      continue;
    flush(i);
    if (tab == 0)
      tab = TabInterval();
    x = (x / tab + 1) * tab;
    Extents[i] = x;
    segment = i + 1;
  }
  flush(Length);
}

TRect TCustomEdit::FormatRect() const
{
  if (FHasRect)
    return FRect;
  TRect c = ClientRect();
  return Rect(1 + FLeftMargin, 1, std::max(c.Right - 1 - FRightMargin, 2 + FLeftMargin),
              std::max(c.Bottom - 1, 2));
}

void TCustomEdit::LayoutChanged()
{
  FLayoutValid = false;
  UpdateScrollBars();
}

void TCustomEdit::EnsureLayout()
{
  Integer width = FMultiLine && FWordWrap ? std::max(FormatRect().Width(), 1) : 0;
  if (FLayoutValid && width == FLayoutWidth)
    return;
  FLayoutWidth = width;
  FLayoutValid = true;
  if (!FMultiLine) {
    FLines.assign(1, TEditLine{0, FModel.Length(), FModel.Length()});
    return;
  }
  LayoutEditLines(
      FModel.Text(), width,
      [this](const char* t, Integer n, Integer x, std::vector<Integer>& e) {
        MeasureRun(t, n, x, e);
      },
      FLines);
  FTopLine = std::clamp(FTopLine, 0, MaxTopLine());
}

Integer TCustomEdit::VisibleLines()
{
  return std::max(FormatRect().Height() / LineHeight(), 1);
}

Integer TCustomEdit::LineOfPos(Integer Pos)
{
  EnsureLayout();
  auto it = std::upper_bound(FLines.begin(), FLines.end(), Pos,
                             [](Integer p, const TEditLine& l) { return p < l.Start; });
  Integer line = static_cast<Integer>(it - FLines.begin()) - 1;
  return std::clamp(line, 0, static_cast<Integer>(FLines.size()) - 1);
}

void TCustomEdit::LineX(Integer Line, std::vector<Integer>& X)
{
  EnsureLayout();
  const TEditLine& l = FLines[Line];
  AnsiString shown = DisplayText();
  std::vector<Integer> ext;
  MeasureRun(shown.data() + l.Start, l.End - l.Start, 0, ext);
  X.assign(1, 0);
  X.insert(X.end(), ext.begin(), ext.end());
}

Integer TCustomEdit::LineWidth(Integer Line)
{
  std::vector<Integer> x;
  LineX(Line, x);
  return x.back();
}

Integer TCustomEdit::LineLeft(Integer Line)
{
  TRect fr = FormatRect();
  Integer offset = 0;
  if (FAlignment != taLeftJustify) {
    Integer free = fr.Width() - LineWidth(Line) - 1;
    if (free > 0)
      offset = FAlignment == taCenter ? free / 2 : free;
  }
  return fr.Left - FScrollX + offset;
}

Integer TCustomEdit::LineTop(Integer Line)
{
  return FormatRect().Top + (Line - (FMultiLine ? FTopLine : 0)) * LineHeight();
}

TPoint TCustomEdit::PosToPoint(Integer Pos)
{
  Integer line = LineOfPos(Pos);
  std::vector<Integer> x;
  LineX(line, x);
  const TEditLine& l = FLines[line];
  Integer i = std::clamp(Pos, l.Start, l.End) - l.Start;
  return {LineLeft(line) + x[i], LineTop(line)};
}

// The character boundary nearest to P. Past the end of a wrapped line, the position is that
// line's end, which is also the next line's start: EndOfLine tells the caret to stay on the
// line clicked.
Integer TCustomEdit::PointToPos(TPoint P, bool* EndOfLine)
{
  EnsureLayout();
  if (EndOfLine)
    *EndOfLine = false;
  Integer line = 0;
  if (FMultiLine) {
    Integer rel = P.Y - FormatRect().Top;
    Integer row = rel < 0 ? -((-rel + LineHeight() - 1) / LineHeight()) : rel / LineHeight();
    line = std::clamp(FTopLine + row, 0, static_cast<Integer>(FLines.size()) - 1);
  }
  const TEditLine& l = FLines[line];
  std::vector<Integer> x;
  LineX(line, x);
  Integer left = LineLeft(line);
  Integer pos = l.Start;
  while (pos < l.End) {
    Integer next = std::min(FModel.NextChar(pos), l.End);
    if (P.X < left + (x[pos - l.Start] + x[next - l.Start] + 1) / 2)
      return pos;
    pos = next;
  }
  if (EndOfLine)
    *EndOfLine = IsWrapEnd(line);
  return pos;
}

bool TCustomEdit::IsWrapEnd(Integer Line)
{
  const TEditLine& l = FLines[Line];
  return l.End == l.Next && l.End > l.Start && Line + 1 < static_cast<Integer>(FLines.size());
}

Integer TCustomEdit::CaretLine()
{
  Integer caret = FModel.Caret();
  Integer line = LineOfPos(caret);
  if (FCaretAtLineEnd && line > 0 && FLines[line].Start == caret && IsWrapEnd(line - 1))
    return line - 1;
  return line;
}

TPoint TCustomEdit::CaretPoint()
{
  Integer line = CaretLine();
  std::vector<Integer> x;
  LineX(line, x);
  const TEditLine& l = FLines[line];
  Integer i = std::clamp(FModel.Caret(), l.Start, l.End) - l.Start;
  return {LineLeft(line) + x[i], LineTop(line)};
}

Integer TCustomEdit::MaxTopLine()
{
  if (!FMultiLine)
    return 0;
  return std::max(static_cast<Integer>(FLines.size()) - VisibleLines(), 0);
}

Integer TCustomEdit::MaxLineWidth()
{
  EnsureLayout();
  Integer widest = 0;
  for (Integer i = 0; i < static_cast<Integer>(FLines.size()); ++i)
    widest = std::max(widest, LineWidth(i));
  return widest;
}

bool TCustomEdit::ScrollView(Integer Lines, Integer Pixels)
{
  EnsureLayout();
  Integer top = std::clamp(FTopLine + Lines, 0, MaxTopLine());
  Integer maxX = std::max(MaxLineWidth() + 1 - FormatRect().Width(), 0);
  Integer scrollX = FMultiLine && FWordWrap ? 0 : std::clamp(FScrollX + Pixels, 0, maxX);
  if (top == FTopLine && scrollX == FScrollX)
    return false;
  FTopLine = top;
  FScrollX = scrollX;
  UpdateScrollBars();
  if (HandleAllocated() && GetFocus() == FHandle) {
    TPoint p = CaretPoint();
    SetCaretPos(p.X, p.Y);
  }
  Invalidate();
  return true;
}

void TCustomEdit::NotifyParent(Word Code)
{
  stdctrls::NotifyParent(this, Code);
}

void TCustomEdit::ScrollCaretIntoView()
{
  EnsureLayout();
  Integer caret = FModel.Caret();
  Integer line = CaretLine();
  if (FMultiLine) {
    Integer visible = VisibleLines();
    if (line < FTopLine)
      FTopLine = line;
    else if (line >= FTopLine + visible)
      FTopLine = line - visible + 1;
    FTopLine = std::clamp(FTopLine, 0, MaxTopLine());
  }
  if (FMultiLine && FWordWrap) {
    FScrollX = 0;
    return;
  }
  // Horizontally the view jumps by a third of its width, as the caret leaves it.
  Integer width = std::max(FormatRect().Width(), 1);
  std::vector<Integer> x;
  LineX(line, x);
  const TEditLine& l = FLines[line];
  Integer caretX = x[std::clamp(caret, l.Start, l.End) - l.Start];
  if (caretX - FScrollX > width - 1)
    FScrollX = caretX - width + width / 3;
  if (caretX < FScrollX)
    FScrollX = std::max(caretX - width / 3, 0);
  if (x.back() < width)
    FScrollX = 0;
}

// Keeps the caret inside the visible part, moves the system caret there and repaints.
void TCustomEdit::SelectionChanged()
{
  ScrollCaretIntoView();
  UpdateScrollBars();
  if (FHandle && GetFocus() == FHandle) {
    TPoint p = CaretPoint();
    SetCaretPos(p.X, p.Y);
  }
  Invalidate();
}

void TCustomEdit::UpdateScrollBars()
{
  if (!FMultiLine || !HandleAllocated())
    return;
  DWORD style = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  if (!(style & (WS_VSCROLL | WS_HSCROLL)))
    return;
  EnsureLayout();
  if (style & WS_VSCROLL) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = static_cast<Integer>(FLines.size()) - 1;
    si.nPage = static_cast<UINT>(VisibleLines());
    si.nPos = FTopLine;
    SetScrollInfo(FHandle, SB_VERT, si, true);
  }
  if (style & WS_HSCROLL) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = FWordWrap ? 0 : MaxLineWidth();
    si.nPage = static_cast<UINT>(std::max(FormatRect().Width(), 1));
    si.nPos = FScrollX;
    SetScrollInfo(FHandle, SB_HORZ, si, true);
  }
}

// ---- Painting ----

void TCustomEdit::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  EnsureLayout();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FEnabled ? FColor : clBtnFace);
  c->FillRect(client);
  c->SetFont(FFont.get());
  PaintText(c);
  BindCanvasToDC(*FCanvas, 0);
}

void TCustomEdit::PaintText(TCanvas* c)
{
  TRect client = ClientRect();
  TColor textColor = FEnabled ? FFont->Color() : clGrayText;
  TRect fr = FormatRect();
  TCanvasSaver saver(*c);
  c->IntersectClipRect(Rect(fr.Left, fr.Top, fr.Right, client.Bottom));
  AnsiString shown = DisplayText();
  bool showSel = FModel.SelLength() > 0 && FEnabled && (!FHideSelection || Focused());
  Integer selStart = FModel.SelStart(), selEnd = FModel.SelEnd();
  Integer lh = LineHeight();
  Integer first = FMultiLine ? FTopLine : 0;
  Integer last = std::min(static_cast<Integer>(FLines.size()), first + VisibleLines() + 1);
  std::vector<Integer> x;
  for (Integer line = first; line < last; ++line) {
    const TEditLine& l = FLines[line];
    LineX(line, x);
    Integer left = LineLeft(line), top = LineTop(line);
    // Draws bytes [a, b) of the line, a piece between tabs at a time.
    auto run = [&](Integer a, Integer b) {
      Integer p = a;
      while (p < b) {
        Integer q = p;
        while (q < b && shown[q] != '\t')
          ++q;
        if (q > p)
          c->TextOut(left + x[p - l.Start], top, shown.substr(p, q - p));
        p = q + 1;
      }
    };
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(textColor);
    Integer a = showSel ? std::clamp(selStart, l.Start, l.End) : l.End;
    Integer b = showSel ? std::clamp(selEnd, l.Start, l.End) : l.End;
    run(l.Start, a);
    run(b, l.End);
    if (b > a) {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clHighlight);
      c->FillRect(Rect(left + x[a - l.Start], top, left + x[b - l.Start], top + lh));
      c->Brush()->SetStyle(bsClear);
      c->Font()->SetColor(clHighlightText);
      run(a, b);
    }
  }
}
