// The program's input controls; see qhCtrls.h.
#include "app/qhCtrls.h"

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"

namespace {

[[noreturn]] void RaiseNotA(const char* What, const AnsiString& Text)
{
  throw EConvertError(Format("\"%s\" 不是有效的%s.", {Text, AnsiString(What)}));
}

} // namespace

bool PostNextControl(TControl* Control)
{
  auto* owner = dynamic_cast<TWinControl*>(Control->Owner());
  if (!owner)
    return false;
  const bool backwards = GetKeyState(VK_SHIFT) < 0;
  PostMessage(owner->Handle(), WM_NEXTDLGCTL, backwards ? 1 : 0, 0);
  return true;
}

bool EditTypeAccepts(TEditType Type, const AnsiString& Text, char Key)
{
  if (Type == etFree || Key == VK_BACK || Key == VK_RETURN)
    return true;
  const bool digit = Key >= '0' && Key <= '9';
  if (Type == etInteger)
    return digit;
  const bool hasPoint = Text.find('.') != AnsiString::npos;
  if (Key == '.')
    return !hasPoint && !Text.empty();
  if (Key == '0')
    return hasPoint || Text.empty() || Text[0] != '0';
  return digit;
}

TqhEdit::TqhEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TqhEdit::KeyPress(char& Key)
{
  TCustomEdit::KeyPress(Key);
  if (FTabOnEnter && Key == VK_RETURN && PostNextControl(this))
    Key = 0;
  if (Key != 0 && !EditTypeAccepts(FEditType, Text(), Key))
    Key = 0;
}

void TqhEdit::DoEnter()
{
  FColorBeforeEnter = Color();
  if (!ParentColor())
    SetColor(ReadOnly() ? FColorOnReadOnly : FColorOnEnter);
  TCustomEdit::DoEnter();
}

void TqhEdit::DoExit()
{
  if (!ParentColor())
    SetColor(FColorBeforeEnter);
  TCustomEdit::DoExit();
}

Double TqhEdit::AsDouble() const
{
  const AnsiString text = Text();
  if (text.empty())
    return 0;
  Extended value;
  if (!TryStrToFloat(text, value))
    RaiseNotA("数字", text);
  return static_cast<Double>(value);
}

void TqhEdit::SetAsDouble(Double Value)
{
  SetText(Value == 0 ? AnsiString() : FloatToStr(Value));
}

Integer TqhEdit::AsInteger() const
{
  const AnsiString text = Text();
  if (text.empty())
    return 0;
  Integer value;
  if (!TryStrToInt(text, value))
    RaiseNotA("整数", text);
  return value;
}

void TqhEdit::SetAsInteger(Integer Value)
{
  SetText(Value == 0 ? AnsiString() : IntToStr(Value));
}

Variant TqhEdit::AsDate() const
{
  const AnsiString text = Text();
  if (text.empty())
    return Null();
  TDateTime value;
  if (!TryStrToDate(text, value))
    RaiseNotA("日期", text);
  return VarFromDateTime(value);
}

Variant TqhEdit::AsDateTime() const
{
  const AnsiString text = Text();
  if (text.empty())
    return Null();
  TDateTime value;
  if (!TryStrToDateTime(text, value))
    RaiseNotA("日期", text);
  return VarFromDateTime(value);
}

namespace {

// The date a value stands for, or the "not a date" error naming the value.
TDateTime DateOfValue(const Variant& Value)
{
  try {
    return VarToDateTime(Value);
  } catch (const Exception&) {
    RaiseNotA("日期", VarToStr(Value));
  }
}

} // namespace

void TqhEdit::SetAsDate(const Variant& Value)
{
  SetText(VarIsNull(Value) ? AnsiString() : DateToStr(DateOfValue(Value)));
}

void TqhEdit::SetAsDateTime(const Variant& Value)
{
  SetText(VarIsNull(Value) ? AnsiString() : DateTimeToStr(DateOfValue(Value)));
}

Variant TqhEdit::AsVariant() const
{
  const AnsiString text = Text();
  if (text.empty())
    return Null();
  switch (FEditType) {
  case etNumber:
    return Variant(static_cast<Double>(StrToFloat(text)));
  case etInteger:
    return Variant(StrToInt(text));
  default:
    return Variant(text);
  }
}

void TqhEdit::SetAsVariant(const Variant& Value)
{
  if (VarIsNull(Value)) {
    SetText("");
    return;
  }
  switch (FEditType) {
  case etNumber:
    SetText(FloatToStr(Value.AsDouble()));
    break;
  case etInteger:
    SetText(IntToStr(Value.AsInteger()));
    break;
  default:
    SetText(VarToStr(Value));
    break;
  }
}

// ---- TqhComboBox ----

TqhComboBox::TqhComboBox(TComponent* AOwner) : TCustomComboBox(AOwner)
{
  SetAutoComplete(false);
}

void TqhComboBox::KeyDown(Word& Key, TShiftState Shift)
{
  TCustomComboBox::KeyDown(Key, Shift);
  if (Key == VK_DELETE && Style() == csDropDownList) {
    SetItemIndex(-1);
    Change();
  }
}

void TqhComboBox::KeyPress(char& Key)
{
  TCustomComboBox::KeyPress(Key);
  if (FTabOnEnter && Key == VK_RETURN && PostNextControl(this))
    Key = 0;
}

void TqhComboBox::DoEnter()
{
  SetColor(static_cast<TColor>(0xFFFF00));
  TCustomComboBox::DoEnter();
}

void TqhComboBox::DoExit()
{
  SetColor(clWhite);
  TCustomComboBox::DoExit();
}
