// The masked edit. Mask.h describes it.
#include "platform/ui/Mask.h"

#include "platform/rtl/MaskUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrlsPrivate.h"

const char* const SMaskEditErr = "Invalid input value. Use escape key to abandon changes";

void RegisterMaskClasses()
{
  TClassRegistration<TMaskEdit, TWinControl>("TMaskEdit")
      .Property("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask)
      .Property("MaxLength", &TMaskEdit::MaxLength, &TMaskEdit::SetMaxLength)
      .Default(0)
      .Property("ReadOnly", &TMaskEdit::ReadOnly, &TMaskEdit::SetReadOnly)
      .Default(false)
      .Property("OnChange", &TMaskEdit::OnChange, &TMaskEdit::OnChange);
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const AnsiString& Value)
{
  if (Value == FEditMask)
    return;
  AnsiString value = GetText();
  FEditMask = Value;
  Integer sep = MaskGetFldSeparator(Value);
  FMaskBody = sep > 0 ? Value.substr(0, sep - 1) : Value;
  FBlank = MaskGetMaskBlank(Value);
  FSaveLiterals = MaskGetMaskSave(Value);
  SetTextInternal(value);
}

bool TCustomMaskEdit::IsEditPosition(Integer Pos) const
{
  Integer m = OffsetToMaskOffset(FEditMask, Pos);
  if (m < 0)
    return false;
  TMaskCharType t = MaskGetCharType(FEditMask, m);
  return t == mcMask || t == mcMaskOpt;
}

Integer TCustomMaskEdit::NextEditPosition(Integer Pos) const
{
  Integer n = FModel.Length();
  for (Integer i = std::max<Integer>(Pos, 0); i < n; ++i)
    if (IsEditPosition(i))
      return i;
  return -1;
}

Integer TCustomMaskEdit::PrevEditPosition(Integer Pos) const
{
  for (Integer i = std::min(Pos, FModel.Length()) - 1; i >= 0; --i)
    if (IsEditPosition(i))
      return i;
  return -1;
}

AnsiString TCustomMaskEdit::EditText() const
{
  return FModel.Text();
}

void TCustomMaskEdit::SetEditText(const AnsiString& Value)
{
  if (!IsMasked()) {
    TCustomEdit::SetTextInternal(Value);
    return;
  }
  TCustomEdit::SetTextInternal(PadInputLiterals(FEditMask, Value, FBlank));
}

AnsiString TCustomMaskEdit::GetText() const
{
  if (!IsMasked())
    return TCustomEdit::GetText();
  const AnsiString& shown = FModel.Text();
  AnsiString result;
  bool filled = false;
  for (Integer i = 0; i < static_cast<Integer>(shown.size()); ++i) {
    if (!IsEditPosition(i)) {
      if (FSaveLiterals)
        result += shown[i];
      continue;
    }
    if (shown[i] == FBlank) {
      result += ' ';
    } else {
      result += shown[i];
      filled = true;
    }
  }
  return filled ? result : AnsiString();
}

void TCustomMaskEdit::SetTextInternal(const AnsiString& Value)
{
  if (!IsMasked()) {
    TCustomEdit::SetTextInternal(Value);
    return;
  }
  // A value carries the literals exactly when the mask saves them.
  TCustomEdit::SetTextInternal(FSaveLiterals ? PadInputLiterals(FEditMask, Value, FBlank)
                                             : MaskDoFormatText(FEditMask, Value, FBlank));
}

bool TCustomMaskEdit::Validate(const AnsiString& Value, Integer& Pos) const
{
  Pos = 0;
  if (!IsMasked())
    return true;
  bool any = false, missing = false;
  Integer first = -1;
  for (Integer i = 0; i < static_cast<Integer>(Value.size()); ++i) {
    Integer m = OffsetToMaskOffset(FEditMask, i);
    if (m < 0)
      break;
    TMaskCharType t = MaskGetCharType(FEditMask, m);
    if (t != mcMask && t != mcMaskOpt)
      continue;
    bool blank = Value[i] == FBlank || Value[i] == ' ';
    if (!blank)
      any = true;
    if (blank && t == mcMask && !missing) {
      missing = true;
      first = i;
    }
  }
  if (!missing || !any)
    return true;
  Pos = first;
  return false;
}

void TCustomMaskEdit::ValidateError()
{
  MessageBeep(0);
  throw EDBEditError(SMaskEditErr);
}

void TCustomMaskEdit::ValidateEdit()
{
  Integer pos = 0;
  if (Validate(FModel.Text(), pos))
    return;
  if (HandleAllocated() && !Focused() && CanFocus())
    SetFocus();
  FModel.SetSel(pos, pos);
  SelectionChanged();
  ValidateError();
}

void TCustomMaskEdit::CMExit(TMessage& Message)
{
  if (IsMasked() && !ComponentState().Contains(csDesigning))
    ValidateEdit();
  TCustomEdit::CMExit(Message);
}

void TCustomMaskEdit::BlankRange(Integer Start, Integer End)
{
  AnsiString text = FModel.Text();
  for (Integer i = Start; i < End && i < static_cast<Integer>(text.size()); ++i)
    if (IsEditPosition(i))
      text[i] = FBlank;
  FModel.SetText(text);
  FModel.SetSel(Start, Start);
}

bool TCustomMaskEdit::TypeMaskedChar(char Ch)
{
  Integer pos = NextEditPosition(FModel.SelStart());
  if (pos < 0)
    return false;
  char c = Ch;
  if (!MaskCharIsValid(FEditMask, OffsetToMaskOffset(FEditMask, pos), c))
    return false;
  Integer selEnd = FModel.SelEnd();
  if (FModel.SelLength() > 0)
    BlankRange(FModel.SelStart(), selEnd);
  AnsiString text = FModel.Text();
  text[pos] = c;
  FModel.SetText(text);
  Integer next = NextEditPosition(pos + 1);
  Integer caret = next < 0 ? pos + 1 : next;
  FModel.SetSel(caret, caret);
  return true;
}

void TCustomMaskEdit::KeyPress(char& Key)
{
  TCustomEdit::KeyPress(Key);
  if (!IsMasked() || Key == 0)
    return;
  unsigned char ch = static_cast<unsigned char>(Key);
  // Clipboard and undo keys keep their meaning; the messages below handle them.
  if (ch == 3 || ch == 22 || ch == 24 || ch == 26 || ch == 13 || ch == 27 || ch == 9)
    return;
  Key = 0;
  if (ReadOnly() || !EditCanModify()) {
    MessageBeep(0);
    return;
  }
  if (ch == 8) {
    SaveUndo();
    if (FModel.SelLength() > 0) {
      BlankRange(FModel.SelStart(), FModel.SelEnd());
    } else {
      Integer prev = PrevEditPosition(FModel.Caret());
      if (prev < 0) {
        // Only literals before the caret: the caret steps back over them.
        FModel.SetSel(0, 0);
        SelectionChanged();
        return;
      }
      BlankRange(prev, prev + 1);
    }
    TextChanged();
    return;
  }
  if (ch < 0x20 || ch >= 0x80) {
    MessageBeep(0);
    return;
  }
  AnsiString before = FModel.Text();
  Integer anchor = FModel.Anchor(), caret = FModel.Caret();
  if (!TypeMaskedChar(static_cast<char>(ch))) {
    MessageBeep(0);
    return;
  }
  AnsiString after = FModel.Text();
  Integer a = FModel.Anchor(), c = FModel.Caret();
  // The undo step holds the text before this character.
  FModel.SetText(before);
  FModel.SetSel(anchor, caret);
  SaveUndo();
  FModel.SetText(after);
  FModel.SetSel(a, c);
  TextChanged();
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift)
{
  if (IsMasked() && Key == VK_DELETE && !Shift.Contains(ssShift)) {
    Key = 0;
    if (ReadOnly() || !EditCanModify()) {
      MessageBeep(0);
      return;
    }
    SaveUndo();
    Integer start = FModel.SelStart(), end = FModel.SelEnd();
    if (end == start) {
      Integer pos = NextEditPosition(start);
      if (pos < 0)
        return;
      BlankRange(pos, pos + 1);
      FModel.SetSel(start, start);
    } else {
      BlankRange(start, end);
    }
    TextChanged();
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

void TCustomMaskEdit::Dispatch(TMessage& Message)
{
  if (!IsMasked()) {
    TCustomEdit::Dispatch(Message);
    return;
  }
  switch (Message.Msg) {
  case WM_CUT:
  case WM_CLEAR:
    if (ReadOnly() || FModel.SelLength() == 0 || !EditCanModify())
      return;
    if (Message.Msg == WM_CUT) {
      if (PasswordChar() != 0)
        return;
      Clipboard()->SetAsText(FModel.SelText());
    }
    SaveUndo();
    BlankRange(FModel.SelStart(), FModel.SelEnd());
    TextChanged();
    return;
  case WM_PASTE: {
    if (ReadOnly() || !EditCanModify())
      return;
    // Pasted characters go in as if typed; literals in the pasted text that match the
    // text's own are stepped over.
    AnsiString text = Clipboard()->AsText();
    std::size_t cut = text.find_first_of("\r\n");
    if (cut != AnsiString::npos)
      text.resize(cut);
    if (text.empty())
      return;
    SaveUndo();
    bool changed = false;
    for (char ch : text) {
      Integer start = FModel.SelStart();
      if (start < FModel.Length() && !IsEditPosition(start) && FModel.Text()[start] == ch) {
        FModel.SetSel(start + 1, start + 1);
        continue;
      }
      if (!TypeMaskedChar(ch))
        break;
      changed = true;
    }
    if (changed)
      TextChanged();
    else
      SelectionChanged();
    return;
  }
  }
  TCustomEdit::Dispatch(Message);
}
