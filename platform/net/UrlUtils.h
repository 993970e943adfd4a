// URL helpers: percent-encoding of bytes for query values, form fields and mail subjects.
#pragma once

#include "platform/rtl/Types.h"

class TStrings;

// Every byte except the unreserved ASCII characters (letters, digits, '-', '.', '_', '~')
// becomes '%' and two upper-case hexadecimal digits; so a plain name is unchanged and a
// GBK name is sent as its bytes.
AnsiString UrlEncode(const AnsiString& Bytes);

// The name=value lines of Fields as one form body: name=value pairs joined by '&', names
// and values percent-encoded. A line without '=' is a name with an empty value.
AnsiString UrlEncodeForm(const TStrings* Fields);
