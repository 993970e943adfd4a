// Labels, push buttons and single-line edits. StdCtrls.h describes them; Controls.cpp holds
// the dispatch they plug into.
#include "platform/ui/StdCtrls.h"

#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/Clipbrd.h"

namespace {

bool IsLead(unsigned char c)
{
  return c >= 0x81 && c <= 0xFE;
}

char UpperAscii(char c)
{
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char LowerAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool IsAccel(Word VK, const AnsiString& Str)
{
  for (std::size_t i = 0; i < Str.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Str[i]);
    if (IsLead(c)) {
      ++i;
      continue;
    }
    if (c != '&' || i + 1 >= Str.size())
      continue;
    ++i;
    if (Str[i] == '&')
      continue;
    return UpperAscii(Str[i]) == UpperAscii(static_cast<char>(VK));
  }
  return false;
}

// ---- TEditText
// ------------------------------------------------------------------------------------

void TEditText::SetText(const AnsiString& Value)
{
  FText = Value;
  FAnchor = FCaret = 0;
}

Integer TEditText::CharStart(Integer Pos) const
{
  Pos = std::clamp(Pos, 0, Length());
  Integer i = 0;
  while (i < Pos) {
    Integer next = NextChar(i);
    if (next > Pos)
      return i;
    i = next;
  }
  return Pos;
}

Integer TEditText::NextChar(Integer Pos) const
{
  if (Pos >= Length())
    return Length();
  Integer step = IsLead(static_cast<unsigned char>(FText[Pos])) ? 2 : 1;
  return std::min(Pos + step, Length());
}

Integer TEditText::PrevChar(Integer Pos) const
{
  if (Pos <= 0)
    return 0;
  return CharStart(Pos - 1);
}

// A word is a run of non-blank single-byte characters, or one double-byte character; the
// blanks after a word belong to it, as the caret jumps over them to the next word.
Integer TEditText::NextWord(Integer Pos) const
{
  Integer n = Length();
  if (Pos >= n)
    return n;
  if (IsLead(static_cast<unsigned char>(FText[Pos]))) {
    Pos = NextChar(Pos);
  } else {
    while (Pos < n && FText[Pos] != ' ' && !IsLead(static_cast<unsigned char>(FText[Pos])))
      ++Pos;
  }
  while (Pos < n && FText[Pos] == ' ')
    ++Pos;
  return Pos;
}

Integer TEditText::PrevWord(Integer Pos) const
{
  while (Pos > 0 && FText[Pos - 1] == ' ')
    --Pos;
  if (Pos == 0)
    return 0;
  Integer start = PrevChar(Pos);
  if (Pos - start == 2)
    return start;
  while (Pos > 0) {
    Integer prev = PrevChar(Pos);
    if (Pos - prev == 2 || FText[prev] == ' ')
      break;
    Pos = prev;
  }
  return Pos;
}

void TEditText::SetSel(Integer Anchor, Integer Caret)
{
  auto fix = [this](Integer p) { return p < 0 ? Length() : CharStart(std::min(p, Length())); };
  FAnchor = fix(Anchor);
  FCaret = fix(Caret);
}

void TEditText::MoveCaret(Integer Pos, bool Extend)
{
  SetSel(Extend ? FAnchor : Pos, Pos);
}

bool TEditText::ReplaceSel(const AnsiString& Value)
{
  AnsiString insert = Value;
  if (FMaxLength > 0) {
    Integer room = FMaxLength - (Length() - SelLength());
    if (room < static_cast<Integer>(insert.size())) {
      // Cut at a character boundary that fits.
      Integer keep = 0;
      while (keep < static_cast<Integer>(insert.size())) {
        Integer step = IsLead(static_cast<unsigned char>(insert[keep])) ? 2 : 1;
        if (keep + step > room)
          break;
        keep += step;
      }
      insert.resize(static_cast<std::size_t>(std::max(keep, 0)));
    }
  }
  if (insert.empty() && !Value.empty())
    return false;
  Integer start = SelStart();
  FText.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(SelLength()), insert);
  FAnchor = FCaret = start + static_cast<Integer>(insert.size());
  return true;
}

// ---- TCustomLabel
// ---------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FControlStyle = FControlStyle + TControlStyle{csOpaque, csReplicatable};
  FWidth = 65;
  FHeight = 17;
  FAutoSize = true;
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl)
    FFocusControl = nullptr;
}

void TCustomLabel::SetFocusControl(TWinControl* Value)
{
  ReplaceComponentReference(this, Value, FFocusControl);
}

void TCustomLabel::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value)
{
  if (Value == Transparent())
    return;
  if (Value)
    FControlStyle = FControlStyle - TControlStyle{csOpaque};
  else
    FControlStyle = FControlStyle + TControlStyle{csOpaque};
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
  if (Value == FWordWrap)
    return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
  if (Value == FShowAccelChar)
    return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

Cardinal TCustomLabel::DrawTextFlags() const
{
  Cardinal flags = FAlignment == taCenter         ? DT_CENTER
                   : FAlignment == taRightJustify ? DT_RIGHT
                                                  : DT_LEFT;
  flags |= DT_EXPANDTABS;
  if (FWordWrap)
    flags |= DT_WORDBREAK;
  if (!FShowAccelChar)
    flags |= DT_NOPREFIX;
  return flags;
}

void TCustomLabel::AdjustBounds()
{
  if (!FAutoSize || ComponentState().Contains(csLoading))
    return;
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont);
  AnsiString text = Caption();
  if (text.empty() || (FShowAccelChar && text == "&"))
    text = " ";
  TRect r = Rect(0, 0, FWordWrap ? FWidth : 0, 0);
  c->DrawText(text, r, DrawTextFlags() | DT_CALCRECT);
  ReleaseDC(0, dc);
  Integer left = FLeft;
  if (FAlignment == taRightJustify)
    left += FWidth - r.Width();
  else if (FAlignment == taCenter)
    left += (FWidth - r.Width()) / 2;
  SetBounds(FWordWrap ? FLeft : left, FTop, FWordWrap ? FWidth : r.Width(), r.Height());
}

void TCustomLabel::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!Transparent()) {
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  c->SetFont(FFont);
  Cardinal flags = DrawTextFlags();
  if (FLayout != tlTop) {
    TRect calc = r;
    c->DrawText(Caption(), calc, flags | DT_CALCRECT);
    Integer offset = r.Height() - calc.Height();
    r.Top += FLayout == tlBottom ? offset : offset / 2;
  }
  if (!FEnabled) {
    c->Font()->SetColor(clGrayText);
  }
  c->DrawText(Caption(), r, flags);
}

void TCustomLabel::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGCHAR:
    // Alt+letter or the letter alone (outside edits) moves the focus to FocusControl.
    if (FFocusControl && FEnabled && FShowAccelChar &&
        IsAccel(static_cast<Word>(Message.WParam), Caption()) && FFocusControl->CanFocus()) {
      FFocusControl->SetFocus();
      Message.Result = 1;
    }
    return;
  case CM_TEXTCHANGED:
    AdjustBounds();
    Invalidate();
    return;
  case CM_FONTCHANGED:
    TGraphicControl::Dispatch(Message);
    AdjustBounds();
    return;
  }
  TGraphicControl::Dispatch(Message);
}

// ---- TButtonControl / TButton
// -----------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FTabStop = true;
}

void TButtonControl::Dispatch(TMessage& Message)
{
  if (Message.Msg == CN_COMMAND) {
    CNCommand(Message);
    return;
  }
  TWinControl::Dispatch(Message);
}

void TButtonControl::CNCommand(TMessage& Message)
{
  if (HIWORD(Message.WParam) == BN_CLICKED && !FClicksDisabled)
    Click();
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
  // Clicks come as BN_CLICKED from the button's own mouse and key handling.
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csCaptureMouse};
  FWidth = 75;
  FHeight = 25;
  FColor = clBtnFace;
  FParentColor = false;
  FCanvas = new TCanvas();
}

void TButton::SetDefault(bool Value)
{
  if (Value == FDefault)
    return;
  FDefault = Value;
  Invalidate();
}

void TButton::CreateParams(TCreateParams& Params)
{
  TButtonControl::CreateParams(Params);
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click()
{
  if (TCustomForm* form = GetParentForm(this))
    form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

bool TButton::IsActive() const
{
  if (Focused())
    return true;
  if (!FDefault)
    return false;
  // The default button answers Enter unless the focus is on another button.
  TWinControl* focus = FindControl(GetFocus());
  return !dynamic_cast<TButton*>(focus);
}

void TButton::NotifyClicked()
{
  if (FParent && FParent->HandleAllocated() && HandleAllocated())
    SendMessage(FParent->Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                static_cast<LPARAM>(Handle()));
  else
    Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
}

void TButton::SetPushed(bool Value)
{
  if (Value == FPushed)
    return;
  FPushed = Value;
  Invalidate();
}

void TButton::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGKEY: {
    Word key = static_cast<Word>(Message.WParam);
    bool plain = KeyDataToShiftState(Message.LParam).Empty();
    if (((key == VK_RETURN && IsActive()) || (key == VK_ESCAPE && FCancel)) && plain &&
        CanFocus()) {
      Message.Result = 1;
      Click();
      return;
    }
    TButtonControl::Dispatch(Message);
    return;
  }
  case CM_DIALOGCHAR:
    if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      Message.Result = 1;
      Click();
    }
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_BUTTON | (IsActive() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    return;
  case CM_FOCUSCHANGED:
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    // The default look follows the focus: it moves to a focused button and back.
    Invalidate();
    if (Message.Msg == WM_KILLFOCUS) {
      FSpaceDown = false;
      SetPushed(false);
    }
    break;
  case CM_TEXTCHANGED:
  case CM_ENABLEDCHANGED:
    Invalidate();
    break;
  }
  TButtonControl::Dispatch(Message);
}

void TButton::KeyDown(Word& Key, TShiftState Shift)
{
  TButtonControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    FSpaceDown = true;
    SetPushed(true);
    Key = 0;
  }
}

void TButton::KeyUp(Word& Key, TShiftState Shift)
{
  TButtonControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    SetPushed(false);
    Key = 0;
    NotifyClicked();
  }
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft)
    SetPushed(true);
  TButtonControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (Shift.Contains(ssLeft) && GetCapture() == FHandle)
    SetPushed(PtInRect(ClientRect(), Point(X, Y)));
  TButtonControl::MouseMove(Shift, X, Y);
}

// A release over the pressed button clicks it, through BN_CLICKED as a native button would.
void TButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  bool clicked = Button == mbLeft && FPushed;
  if (Button == mbLeft)
    SetPushed(false);
  TDestroyWatch watch(this);
  TButtonControl::MouseUp(Button, Shift, X, Y);
  if (clicked && !watch.Destroyed())
    NotifyClicked();
}

void TButton::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas;
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  TRect edge = r;
  if (IsActive()) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(edge);
    InflateRect(edge, -1, -1);
  }
  if (FPushed) {
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(edge);
  } else {
    DrawEdge(c, edge, EDGE_RAISED, BF_RECT);
  }
  c->SetFont(FFont);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(FEnabled ? clBtnText : clGrayText);
  TRect text = r;
  if (FPushed)
    OffsetRect(text, 1, 1);
  c->DrawText(Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect focus = r;
    InflateRect(focus, -4, -4);
    c->DrawFocusRect(focus);
  }
  BindCanvasToDC(*FCanvas, 0);
}

// ---- TCustomEdit
// ----------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csCaptureMouse};
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FCursor = crIBeam;
  FCanvas = new TCanvas();
}

TCustomEdit::~TCustomEdit()
{
  if (FMeasureDC)
    ReleaseDC(0, FMeasureDC);
  delete FCanvas;
}

void TCustomEdit::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.Style |= ES_AUTOHSCROLL;
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
  if (HandleAllocated())
    RecreateWnd();
}

AnsiString TCustomEdit::ApplyCharCase(const AnsiString& Value) const
{
  if (FCharCase == ecNormal)
    return Value;
  AnsiString out = Value;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsLead(static_cast<unsigned char>(out[i]))) {
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
  FPendingLead = -1;
  FScrollX = 0;
  TextChanged(TChangeKind::ckSetText);
}

void TCustomEdit::SetSelStart(Integer Value)
{
  FModel.SetSel(Value, Value);
  SelectionChanged();
}

void TCustomEdit::SetSelLength(Integer Value)
{
  Integer start = FModel.SelStart();
  FModel.SetSel(start, std::max(start + Value, 0));
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

void TCustomEdit::Change()
{
  OnChange(this);
}

void TCustomEdit::TextChanged(TChangeKind Kind)
{
  FModified = Kind == TChangeKind::ckEdit;
  SelectionChanged();
  // EN_CHANGE travels through the parent, which reflects it back as CN_COMMAND.
  if (FParent && FParent->HandleAllocated() && HandleAllocated())
    SendMessage(FParent->Handle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE),
                static_cast<LPARAM>(FHandle));
  else
    Perform(CN_COMMAND, MAKEWPARAM(0, EN_CHANGE), 0);
}

void TCustomEdit::SaveUndo()
{
  FUndoText = FModel.Text();
  FUndoAnchor = FModel.Anchor();
  FUndoCaret = FModel.Caret();
  FCanUndo = true;
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
  } else {
    text = AnsiString(1, static_cast<char>(Ch));
  }
  if (FReadOnly) {
    MessageBeep(0);
    return;
  }
  AnsiString before = FModel.Text();
  Integer anchor = FModel.Anchor(), caret = FModel.Caret();
  if (!FModel.ReplaceSel(ApplyCharCase(text))) {
    MessageBeep(0);
    return;
  }
  FUndoText = before;
  FUndoAnchor = anchor;
  FUndoCaret = caret;
  FCanUndo = true;
  TextChanged();
}

void TCustomEdit::Backspace()
{
  if (FReadOnly) {
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
  if (FReadOnly) {
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

void TCustomEdit::WMChar(TMessage& Message)
{
  if (DoKeyPress(Message))
    return;
  unsigned char ch = static_cast<unsigned char>(Message.WParam);
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
    MessageBeep(0);
    return; // one line only
  }
  if (ch < 0x20 || ch == 127)
    return;
  TypeChar(ch);
}

// Keys that move the caret or edit; keys it does not know change nothing.
void TCustomEdit::KeyDown(Word& Key, TShiftState Shift)
{
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0)
    return;
  bool shift = Shift.Contains(ssShift);
  bool ctrl = Shift.Contains(ssCtrl);
  Integer caret = FModel.Caret();
  switch (Key) {
  case VK_LEFT:
    if (!shift && FModel.SelLength() > 0 && !ctrl)
      FModel.MoveCaret(FModel.SelStart(), false);
    else
      FModel.MoveCaret(ctrl ? FModel.PrevWord(caret) : FModel.PrevChar(caret), shift);
    break;
  case VK_RIGHT:
    if (!shift && FModel.SelLength() > 0 && !ctrl)
      FModel.MoveCaret(FModel.SelEnd(), false);
    else
      FModel.MoveCaret(ctrl ? FModel.NextWord(caret) : FModel.NextChar(caret), shift);
    break;
  case VK_HOME:
    FModel.MoveCaret(0, shift);
    break;
  case VK_END:
    FModel.MoveCaret(FModel.Length(), shift);
    break;
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
    FModel.SetSel(0, -1);
    break;
  default:
    return;
  }
  Key = 0;
  SelectionChanged();
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (Button == mbLeft && !Shift.Contains(ssDouble)) {
    if (!Focused() && CanFocus())
      SetFocus();
    if (watch.Destroyed())
      return;
    FModel.MoveCaret(XToPos(X), Shift.Contains(ssShift));
    FSelecting = true;
    SelectionChanged();
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (FSelecting && Shift.Contains(ssLeft) && FControlState.Contains(csLButtonDown)) {
    FModel.MoveCaret(XToPos(X), true);
    SelectionChanged();
  } else if (!Shift.Contains(ssLeft)) {
    FSelecting = false;
  }
  TWinControl::MouseMove(Shift, X, Y);
}

// A double click selects the word under the caret.
void TCustomEdit::DblClick()
{
  Integer pos = FModel.Caret();
  Integer start = pos, end = pos;
  const AnsiString& t = FModel.Text();
  if (pos < FModel.Length() && IsLead(static_cast<unsigned char>(t[pos]))) {
    end = FModel.NextChar(pos);
  } else {
    while (start > 0 && t[start - 1] != ' ' && FModel.PrevChar(start) == start - 1)
      --start;
    while (end < FModel.Length() && t[end] != ' ' && !IsLead(static_cast<unsigned char>(t[end])))
      ++end;
  }
  FModel.SetSel(start, end);
  FSelecting = false;
  SelectionChanged();
  TWinControl::DblClick();
}

void TCustomEdit::DoEnter()
{
  // Entered by the keyboard (not by a click): the whole text is selected.
  if (FAutoSelect && !(GetKeyState(VK_LBUTTON) < 0)) {
    FModel.SetSel(0, -1);
    SelectionChanged();
  }
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
  Invalidate();
}

void TCustomEdit::EMSetSel(TMessage& Message)
{
  FModel.SetSel(static_cast<Integer>(Message.WParam), static_cast<Integer>(Message.LParam));
  SelectionChanged();
}

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
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    return;
  case EM_GETSEL: {
    if (Message.WParam)
      *reinterpret_cast<DWORD*>(Message.WParam) = static_cast<DWORD>(FModel.SelStart());
    if (Message.LParam)
      *reinterpret_cast<DWORD*>(Message.LParam) = static_cast<DWORD>(FModel.SelEnd());
    Message.Result = MAKELPARAM(FModel.SelStart(), FModel.SelEnd());
    return;
  }
  case EM_SETSEL:
    EMSetSel(Message);
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
    return;
  case EM_GETLINECOUNT:
    Message.Result = 1;
    return;
  case EM_GETLINE: {
    // The buffer's first word holds its size; the line is copied without a terminator.
    auto* buffer = reinterpret_cast<char*>(Message.LParam);
    if (!buffer || Message.WParam != 0) {
      Message.Result = 0;
      return;
    }
    Word size = *reinterpret_cast<Word*>(buffer);
    std::size_t n = std::min<std::size_t>(size, FModel.Text().size());
    std::copy_n(FModel.Text().data(), n, buffer);
    Message.Result = static_cast<LRESULT>(n);
    return;
  }
  case EM_SETMARGINS:
    if (Message.WParam & EC_LEFTMARGIN)
      FLeftMargin = LOWORD(Message.LParam);
    if (Message.WParam & EC_RIGHTMARGIN)
      FRightMargin = HIWORD(Message.LParam);
    SelectionChanged();
    return;
  case EM_GETMARGINS:
    Message.Result = MAKELPARAM(FLeftMargin, FRightMargin);
    return;
  case EM_GETRECT:
    if (Message.LParam) {
      TRect r = ClientRect();
      *reinterpret_cast<TRect*>(Message.LParam) =
          Rect(1 + FLeftMargin, 1, r.Right - 1 - FRightMargin, r.Bottom - 1);
    }
    return;
  case EM_LINEINDEX:
    Message.Result = (Message.WParam == 0 || Message.WParam == WPARAM(-1)) ? 0 : -1;
    return;
  case EM_LINELENGTH:
    Message.Result = FModel.Length();
    return;
  case EM_LINEFROMCHAR:
    Message.Result = 0;
    return;
  case EM_GETFIRSTVISIBLELINE:
    Message.Result = 0;
    return;
  case EM_SCROLLCARET:
    SelectionChanged();
    return;
  case EM_POSFROMCHAR: {
    Integer pos = static_cast<Integer>(Message.WParam);
    Message.Result = (pos < 0 || pos >= FModel.Length()) ? -1 : MAKELPARAM(PosToX(pos), 1);
    return;
  }
  case EM_CHARFROMPOS:
    Message.Result = XToPos(static_cast<Integer>(static_cast<short>(LOWORD(Message.LParam))));
    return;
  case EM_UNDO:
  case WM_UNDO: {
    if (!FCanUndo) {
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
    Message.Result = 1;
    TextChanged();
    return;
  }
  case WM_COPY:
    if (FPasswordChar == 0 && FModel.SelLength() > 0)
      Clipboard()->SetAsText(FModel.SelText());
    return;
  case WM_CUT:
    if (FPasswordChar != 0 || FReadOnly || FModel.SelLength() == 0)
      return;
    Clipboard()->SetAsText(FModel.SelText());
    SaveUndo();
    DeleteSelection();
    TextChanged();
    return;
  case WM_CLEAR:
    if (FReadOnly || FModel.SelLength() == 0)
      return;
    SaveUndo();
    DeleteSelection();
    TextChanged();
    return;
  case WM_PASTE: {
    if (FReadOnly)
      return;
    AnsiString text = Clipboard()->AsText();
    // One line: the paste stops at the first line break.
    std::size_t cut = text.find_first_of("\r\n");
    if (cut != AnsiString::npos)
      text.resize(cut);
    if (text.empty())
      return;
    SaveUndo();
    if (InsertText(text, true))
      TextChanged();
    else
      MessageBeep(0);
    return;
  }
  case CN_COMMAND:
    if (HIWORD(Message.WParam) == EN_CHANGE)
      Change();
    return;
  case CM_FONTCHANGED:
  case CM_ENABLEDCHANGED:
  case CM_COLORCHANGED:
    Invalidate();
    break;
  }
  TWinControl::Dispatch(Message);
}

// ---- Edit display ----

AnsiString TCustomEdit::DisplayText() const
{
  if (FPasswordChar == 0)
    return FModel.Text();
  return AnsiString(FModel.Text().size(), FPasswordChar);
}

TCanvas* TCustomEdit::MeasureCanvas()
{
  if (!FMeasureDC)
    FMeasureDC = GetDC(0);
  TCanvas* c = CanvasFromDC(FMeasureDC);
  c->SetFont(FFont);
  return c;
}

Integer TCustomEdit::LineHeight()
{
  return MeasureCanvas()->TextHeight("Wg");
}

Integer TCustomEdit::TextLeft() const
{
  return 1 + FLeftMargin - FScrollX;
}

Integer TCustomEdit::PosToX(Integer Pos)
{
  return TextLeft() +
         MeasureCanvas()->TextWidth(DisplayText().substr(0, static_cast<std::size_t>(Pos)));
}

// The character boundary nearest to X.
Integer TCustomEdit::XToPos(Integer X)
{
  TCanvas* c = MeasureCanvas();
  AnsiString shown = DisplayText();
  Integer pos = 0, left = TextLeft();
  while (pos < FModel.Length()) {
    Integer next = FModel.NextChar(pos);
    Integer right = TextLeft() + c->TextWidth(shown.substr(0, static_cast<std::size_t>(next)));
    if (X < (left + right + 1) / 2)
      return pos;
    pos = next;
    left = right;
  }
  return pos;
}

// Keeps the caret inside the visible part, moves the system caret there and repaints.
void TCustomEdit::SelectionChanged()
{
  Integer width = std::max(ClientWidth() - 2 - FLeftMargin - FRightMargin, 1);
  Integer caretX =
      MeasureCanvas()->TextWidth(DisplayText().substr(0, static_cast<std::size_t>(FModel.Caret())));
  if (caretX - FScrollX > width)
    FScrollX = caretX - width + width / 3;
  if (caretX < FScrollX)
    FScrollX = std::max(caretX - width / 3, 0);
  if (FHandle && GetFocus() == FHandle)
    SetCaretPos(TextLeft() + caretX, 1);
  Invalidate();
}

void TCustomEdit::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas;
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FEnabled ? FColor : clBtnFace);
  c->FillRect(r);
  c->SetFont(FFont);
  c->Font()->SetColor(FEnabled ? FFont->Color() : clGrayText);
  AnsiString shown = DisplayText();
  Integer x = TextLeft(), y = 1;
  bool showSel = FModel.SelLength() > 0 && FEnabled && (!FHideSelection || Focused());
  if (!showSel) {
    c->Brush()->SetStyle(bsClear);
    c->TextOut(x, y, shown);
  } else {
    std::size_t s = static_cast<std::size_t>(FModel.SelStart()),
                e = static_cast<std::size_t>(FModel.SelEnd());
    AnsiString before = shown.substr(0, s), sel = shown.substr(s, e - s), after = shown.substr(e);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(x, y, before);
    Integer selX = x + c->TextWidth(before);
    Integer selW = c->TextWidth(sel);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clHighlight);
    c->FillRect(Rect(selX, y, selX + selW, y + c->TextHeight("Wg")));
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clHighlightText);
    c->TextOut(selX, y, sel);
    c->Font()->SetColor(FFont->Color());
    c->TextOut(selX + selW, y, after);
  }
  BindCanvasToDC(*FCanvas, 0);
}

// ---- Registration
// ------------------------------------------------------------------------------------

void RegisterStdCtrlsClasses()
{
  RegisterEnumType<TAlignment>("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  RegisterEnumType<TTextLayout>("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
  RegisterEnumType<TEditCharCase>("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});

  TClassRegistration<TCustomLabel, TGraphicControl>("TCustomLabel");
  TClassRegistration<TLabel, TCustomLabel>("TLabel")
      .Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
      .Default(taLeftJustify)
      .Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize)
      .Default(true)
      .Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
      .Property("Layout", &TLabel::Layout, &TLabel::SetLayout)
      .Default(tlTop)
      .Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar)
      .Default(true)
      .Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
      .Default(false)
      .Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
      .Default(false);

  TClassRegistration<TButtonControl, TWinControl>("TButtonControl");
  TClassRegistration<TButton, TButtonControl>("TButton")
      .Property("Cancel", &TButton::Cancel, &TButton::SetCancel)
      .Default(false)
      .Property("Default", &TButton::Default, &TButton::SetDefault)
      .Default(false)
      .Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
      .Default(0);

  TClassRegistration<TCustomEdit, TWinControl>("TCustomEdit");
  TClassRegistration<TEdit, TCustomEdit>("TEdit")
      .Property("AutoSelect", &TEdit::AutoSelect, &TEdit::SetAutoSelect)
      .Default(true)
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
