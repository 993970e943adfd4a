// The identifier tables of Consts.h.
#include "platform/rtl/Consts.h"

#include <cstdlib>
#include <iterator>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/VirtualKeys.h"

namespace {

bool SameIdent(const AnsiString& a, const char* b)
{
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z')
      x -= 32;
    if (y >= 'a' && y <= 'z')
      y -= 32;
    if (x != y)
      return false;
  }
  return i == a.size() && b[i] == 0;
}

const TIdentMapEntry ModalResults[] = {
    {mrNone, "mrNone"},         {mrOk, "mrOk"},
    {mrCancel, "mrCancel"},     {mrAbort, "mrAbort"},
    {mrRetry, "mrRetry"},       {mrIgnore, "mrIgnore"},
    {mrYes, "mrYes"},           {mrNo, "mrNo"},
    {mrAll, "mrAll"},           {mrNoToAll, "mrNoToAll"},
    {mrYesToAll, "mrYesToAll"},
};

// crSize is missing on purpose: it is the same value as crSizeAll, which names it.
const TIdentMapEntry Cursors[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

// The virtual keys scripts know by name, in the order they are offered.
const TIdentMapEntry VirtualKeys[] = {
    {VK_RBUTTON, "VK_RBUTTON"},
    {VK_CANCEL, "VK_CANCEL"},
    {VK_MBUTTON, "VK_MBUTTON"},
    {VK_BACK, "VK_BACK"},
    {VK_TAB, "VK_TAB"},
    {VK_RETURN, "VK_RETURN"},
    {VK_SHIFT, "VK_SHIFT"},
    {VK_CONTROL, "VK_CONTROL"},
    {VK_MENU, "VK_MENU"},
    {VK_PAUSE, "VK_PAUSE"},
    {VK_CAPITAL, "VK_CAPITAL"},
    {VK_ESCAPE, "VK_ESCAPE"},
    {VK_SPACE, "VK_SPACE"},
    {VK_PRIOR, "VK_PRIOR"},
    {VK_NEXT, "VK_NEXT"},
    {VK_END, "VK_END"},
    {VK_HOME, "VK_HOME"},
    {VK_LEFT, "VK_LEFT"},
    {VK_UP, "VK_UP"},
    {VK_RIGHT, "VK_RIGHT"},
    {VK_DOWN, "VK_DOWN"},
    {VK_INSERT, "VK_INSERT"},
    {VK_DELETE, "VK_DELETE"},
    {VK_HELP, "VK_HELP"},
    {VK_LWIN, "VK_LWIN"},
    {VK_RWIN, "VK_RWIN"},
    {VK_APPS, "VK_APPS"},
    {VK_NUMPAD0, "VK_NUMPAD0"},
    {VK_NUMPAD1, "VK_NUMPAD1"},
    {VK_NUMPAD2, "VK_NUMPAD2"},
    {VK_NUMPAD3, "VK_NUMPAD3"},
    {VK_NUMPAD4, "VK_NUMPAD4"},
    {VK_NUMPAD5, "VK_NUMPAD5"},
    {VK_NUMPAD6, "VK_NUMPAD6"},
    {VK_NUMPAD7, "VK_NUMPAD7"},
    {VK_NUMPAD8, "VK_NUMPAD8"},
    {VK_NUMPAD9, "VK_NUMPAD9"},
    {VK_MULTIPLY, "VK_MULTIPLY"},
    {VK_ADD, "VK_ADD"},
    {VK_SEPARATOR, "VK_SEPARATOR"},
    {VK_SUBTRACT, "VK_SUBTRACT"},
    {VK_DECIMAL, "VK_DECIMAL"},
    {VK_DIVIDE, "VK_DIVIDE"},
    {VK_F1, "VK_F1"},
    {VK_F2, "VK_F2"},
    {VK_F3, "VK_F3"},
    {VK_F4, "VK_F4"},
    {VK_F5, "VK_F5"},
    {VK_F6, "VK_F6"},
    {VK_F7, "VK_F7"},
    {VK_F8, "VK_F8"},
    {VK_F9, "VK_F9"},
    {VK_F10, "VK_F10"},
    {VK_F11, "VK_F11"},
    {VK_F12, "VK_F12"},
    {VK_NUMLOCK, "VK_NUMLOCK"},
    {VK_SCROLL, "VK_SCROLL"},
};

// Names of keys that are not letters, digits or function keys.
const TIdentMapEntry KeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

AnsiString KeyName(Word key)
{
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return AnsiString(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F1 + 23)
    return "F" + std::to_string(key - VK_F1 + 1);
  AnsiString name;
  IntToIdent(key, name, KeyNames, std::size(KeyNames));
  return name;
}

// Removes a modifier prefix from the front of text, ignoring case.
bool TakePrefix(AnsiString& text, const char* prefix)
{
  AnsiString head = text.substr(0, std::char_traits<char>::length(prefix));
  if (!SameIdent(head, prefix))
    return false;
  text.erase(0, head.size());
  return true;
}

} // namespace

bool IdentToInt(const AnsiString& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count)
{
  for (size_t i = 0; i < Count; ++i)
    if (SameIdent(Ident, Map[i].Name)) {
      Int = Map[i].Value;
      return true;
    }
  return false;
}

bool IntToIdent(Integer Int, AnsiString& Ident, const TIdentMapEntry* Map, size_t Count)
{
  for (size_t i = 0; i < Count; ++i)
    if (Map[i].Value == Int) {
      Ident = Map[i].Name;
      return true;
    }
  return false;
}

// ---- Modal results ----

bool ModalResultToIdent(Integer ModalResult, AnsiString& Ident)
{
  return IntToIdent(ModalResult, Ident, ModalResults, std::size(ModalResults));
}

bool IdentToModalResult(const AnsiString& Ident, Integer& ModalResult)
{
  return IdentToInt(Ident, ModalResult, ModalResults, std::size(ModalResults));
}

void GetModalResultValues(const TGetStrProc& Proc)
{
  for (const TIdentMapEntry& e : ModalResults)
    Proc(e.Name);
}

// ---- Virtual keys ----

bool VirtualKeyToIdent(Integer Key, AnsiString& Ident)
{
  return IntToIdent(Key, Ident, VirtualKeys, std::size(VirtualKeys));
}

bool IdentToVirtualKey(const AnsiString& Ident, Integer& Key)
{
  return IdentToInt(Ident, Key, VirtualKeys, std::size(VirtualKeys));
}

void GetVirtualKeyValues(const TGetStrProc& Proc)
{
  for (const TIdentMapEntry& e : VirtualKeys)
    Proc(e.Name);
}

// ---- Cursors ----

bool CursorToIdent(Integer Cursor, AnsiString& Ident)
{
  return IntToIdent(Cursor, Ident, Cursors, std::size(Cursors));
}

bool IdentToCursor(const AnsiString& Ident, Integer& Cursor)
{
  if (SameIdent(Ident, "crSize")) {
    Cursor = crSize;
    return true;
  }
  return IdentToInt(Ident, Cursor, Cursors, std::size(Cursors));
}

AnsiString CursorToString(TCursor Cursor)
{
  AnsiString ident;
  return CursorToIdent(Cursor, ident) ? ident : std::to_string(Cursor);
}

TCursor StringToCursor(const AnsiString& S)
{
  Integer cursor = 0;
  if (IdentToCursor(S, cursor))
    return cursor;
  char* end = nullptr;
  long value = std::strtol(S.c_str(), &end, 10);
  if (S.empty() || *end != 0 || value < -2147483647L - 1 || value > 2147483647L) {
    AnsiString text = SInvalidInteger;
    text.replace(text.find("%s"), 2, S);
    throw EConvertError(text);
  }
  return static_cast<TCursor>(value);
}

void GetCursorValues(const TGetStrProc& Proc)
{
  for (const TIdentMapEntry& e : Cursors)
    Proc(e.Name);
}

// ---- Shortcuts ----

TShortCut ShortCut(Word Key, TShiftState Shift)
{
  if (Key & 0xFF00)
    return scNone;
  TShortCut result = Key;
  if (Shift.Contains(ssShift))
    result |= scShift;
  if (Shift.Contains(ssCtrl))
    result |= scCtrl;
  if (Shift.Contains(ssAlt))
    result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift)
{
  Key = ShortCut & 0xFF;
  Shift = TShiftState();
  if (ShortCut & scShift)
    Shift.Include(ssShift);
  if (ShortCut & scCtrl)
    Shift.Include(ssCtrl);
  if (ShortCut & scAlt)
    Shift.Include(ssAlt);
}

AnsiString ShortCutToText(TShortCut ShortCut)
{
  AnsiString name = KeyName(ShortCut & 0xFF);
  if (name.empty())
    return AnsiString();
  AnsiString result;
  if (ShortCut & scShift)
    result += "Shift+";
  if (ShortCut & scCtrl)
    result += "Ctrl+";
  if (ShortCut & scAlt)
    result += "Alt+";
  return result + name;
}

TShortCut TextToShortCut(const AnsiString& Text)
{
  AnsiString rest = Text;
  TShortCut shift = 0;
  for (;;) {
    if (TakePrefix(rest, "Shift+"))
      shift |= scShift;
    else if (TakePrefix(rest, "Ctrl+"))
      shift |= scCtrl;
    else if (TakePrefix(rest, "Alt+"))
      shift |= scAlt;
    else
      break;
  }
  if (rest.empty())
    return scNone;
  for (Word key = VK_BACK; key <= 0xFF; ++key)
    if (SameIdent(rest, KeyName(key).c_str()) && !KeyName(key).empty())
      return static_cast<TShortCut>(key | shift);
  return scNone;
}

const std::vector<TShortCut>& StandardShortCuts()
{
  static const std::vector<TShortCut> list = [] {
    std::vector<TShortCut> l;
    for (Word k = 'A'; k <= 'Z'; ++k)
      l.push_back(scCtrl | k);
    for (Word k = 'A'; k <= 'Z'; ++k)
      l.push_back(scCtrl | scAlt | k);
    for (TShortCut mods : {TShortCut(0), scCtrl, scShift, TShortCut(scShift | scCtrl)})
      for (Word k = VK_F1; k <= VK_F12; ++k)
        l.push_back(mods | k);
    for (Word k : {VK_INSERT, VK_DELETE})
      for (TShortCut mods : {TShortCut(0), scShift, scCtrl})
        l.push_back(mods | k);
    l.push_back(scAlt | VK_BACK);
    l.push_back(scShift | scAlt | VK_BACK);
    return l;
  }();
  return list;
}
