// The program's database access layer: the one connection (Db), the shared record set for
// one-off reads, statements with named parameters, and the connection-string helpers.
#pragma once

#include "platform/rtl/Types.h"

// Connection strings are "Key=Value" items separated by ';'. A value holding ';' or
// beginning with a quote is written inside double quotes with inner double quotes doubled;
// other values are written as they are.
AnsiString QuoteConnectionValue(const AnsiString& Value);

// The value of the first item whose key is Key (exact, case-sensitive), with its quotes
// removed. The value ends at the next ';' outside quotes; an item not followed by ';' (the
// last one, usually) has no value, as the program has always read it.
AnsiString ConnectionStringValue(const AnsiString& ConnectionString, const AnsiString& Key);
