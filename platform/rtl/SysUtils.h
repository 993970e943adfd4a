// The runtime's general-purpose unit in one header: basic types, exceptions and their
// message texts, format settings, GBK string functions and text conversion, number and
// date formatting and parsing, the arithmetic the runtime offers, resource strings, and
// files, paths and the program's directory. Each topic has its own header, which code may
// include alone; Classes.h gathers the object model the same way.
#pragma once

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ResStrings.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Types.h"
