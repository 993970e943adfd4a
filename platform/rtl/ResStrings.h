// Resource strings: the program's English texts that carry the numeric identity of a
// string-table entry, so that a localizer can recognise and replace them. A unit declares
// its texts as TResStringRec constants and registers them from its initialization; see
// SysUtils.h for the rest of the general runtime.
#pragma once

#include <initializer_list>

#include "platform/rtl/Types.h"

struct TResStringRec {
  Cardinal Identifier; // the string-table id, unique in the program
  const char* Text;    // the text as compiled in (GBK)
};
// The identity of a resource string: the address of its record.
using PResStringRec = const TResStringRec*;

// Adds resource strings to the program's string table. Registering a record again does
// nothing; another record under a taken id raises EListError
// "Duplicate resource string id <id>".
void RegisterResStrings(std::initializer_list<PResStringRec> ResStrings);
// Removes them again (a unit's finalization).
void UnregisterResStrings(std::initializer_list<PResStringRec> ResStrings);

// The text of a resource string; "" for null.
AnsiString LoadResString(PResStringRec ResString);
// The registered resource string of an id, null when none; its text, "" when none.
PResStringRec FindResString(Cardinal Identifier);
AnsiString LoadStr(Cardinal Identifier);
