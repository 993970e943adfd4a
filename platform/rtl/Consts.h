// Identifier tables that do not depend on graphics: modal results, cursors, virtual-key
// names and shortcuts (text <-> 16-bit code; the key codes are in VirtualKeys.h). Colours
// and character sets live in the graphics library; see Classes.h for the object model
// these tables serve.
#pragma once

#include <vector>

#include "platform/rtl/Events.h"
#include "platform/rtl/Types.h"

// One entry of an identifier table: a value and its identifier.
struct TIdentMapEntry {
  Integer Value;
  const char* Name;
};

// Table lookups; identifiers compare ignoring case. False when not found.
bool IdentToInt(const AnsiString& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count);
bool IntToIdent(Integer Int, AnsiString& Ident, const TIdentMapEntry* Map, size_t Count);

// ---- Modal results ----

using TModalResult = Integer;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

bool ModalResultToIdent(Integer ModalResult, AnsiString& Ident);
bool IdentToModalResult(const AnsiString& Ident, Integer& ModalResult);
// Calls Proc with "mrNone" .. "mrYesToAll" in value order.
void GetModalResultValues(const TGetStrProc& Proc);

// ---- Cursors ----

using TCursor = Integer;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = -22; // the same cursor as crSizeAll

// crSizeAll names -22; "crSize" is accepted when reading.
bool CursorToIdent(Integer Cursor, AnsiString& Ident);
bool IdentToCursor(const AnsiString& Ident, Integer& Cursor);
// The identifier, or the number as decimal text.
AnsiString CursorToString(TCursor Cursor);
// An identifier or a decimal number; anything else raises EConvertError.
TCursor StringToCursor(const AnsiString& S);
// Calls Proc with every cursor identifier, crDefault first.
void GetCursorValues(const TGetStrProc& Proc);

// ---- Virtual keys ----

// The names of the key codes of VirtualKeys.h that scripts know ("VK_RETURN" 13 ...);
// VK_LBUTTON and the keys without a script name have none.
bool VirtualKeyToIdent(Integer Key, AnsiString& Ident);
bool IdentToVirtualKey(const AnsiString& Ident, Integer& Key);
// Calls Proc with every name, "VK_RBUTTON" first and "VK_SCROLL" last.
void GetVirtualKeyValues(const TGetStrProc& Proc);

// ---- Shortcuts ----

// A shortcut: the virtual key in the low byte, plus scShift, scCtrl and scAlt.
using TShortCut = Word;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Shift+Ctrl+Alt+" prefixes in that order, then the key's name: "Ctrl+A", "Shift+Ctrl+F1",
// "Ins", "Del", "Alt+BkSp", "Ctrl+Enter". "" for 0 and for keys without a name.
AnsiString ShortCutToText(TShortCut ShortCut);
// The inverse, ignoring case and accepting the modifiers in any order; 0 for text that
// names no key.
TShortCut TextToShortCut(const AnsiString& Text);
// The shortcuts designers offer, in order: Ctrl+A..Z, Ctrl+Alt+A..Z, F1..F12, Ctrl+F1..F12,
// Shift+F1..F12, Shift+Ctrl+F1..F12, Ins, Shift+Ins, Ctrl+Ins, Del, Shift+Del, Ctrl+Del,
// Alt+BkSp, Shift+Alt+BkSp (108 entries).
const std::vector<TShortCut>& StandardShortCuts();
