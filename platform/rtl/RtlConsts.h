// Message texts of the runtime. They stay English, as the runtime's own messages do;
// texts with %-directives are used with Format.
#pragma once

inline constexpr const char* SOperationAborted = "Operation aborted";
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* SInvalidBoolean = "'%s' is not a valid boolean value";
inline constexpr const char* SInvalidDate = "'%s' is not a valid date";
inline constexpr const char* SInvalidTime = "'%s' is not a valid time";
inline constexpr const char* SInvalidDateTime = "'%s' is not a valid date and time";
inline constexpr const char* SDateEncodeError = "Invalid argument to date encode";
inline constexpr const char* STimeEncodeError = "Invalid argument to time encode";
inline constexpr const char* SInvalidFormat = "Format '%s' invalid or incompatible with argument";
inline constexpr const char* SArgumentMissing = "No argument for format '%s'";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* SListCountError = "List count out of bounds (%d)";
inline constexpr const char* SSortedListError = "Operation not allowed on sorted list";
inline constexpr const char* SDuplicateString = "String list does not allow duplicates";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SMethodNotFound = "Method '%s' not found";
inline constexpr const char* SInvalidPropertyValue = "Invalid property value";
inline constexpr const char* SComponentNotWritten =
    "Cannot write %s: it owns %s, which it does not list among its children";
inline constexpr const char* SFOpenErrorEx = "Cannot open file \"%s\". %s";
inline constexpr const char* SFCreateErrorEx = "Cannot create file \"%s\". %s";
inline constexpr const char* SMemoryStreamError = "Out of memory while expanding memory stream";
inline constexpr const char* SZeroDivide = "Floating point division by zero";
inline constexpr const char* SDivByZero = "Division by zero";
inline constexpr const char* SIntOverflow = "Integer overflow";
inline constexpr const char* SRangeError = "Range check error";
inline constexpr const char* SInvalidOp = "Invalid floating point operation";
inline constexpr const char* SOverflow = "Floating point overflow";
inline constexpr const char* SUnderflow = "Floating point underflow";
inline constexpr const char* SInvalidCast = "Invalid class typecast";
inline constexpr const char* SAbstractError = "Abstract Error";
inline constexpr const char* SClassNotFound = "Class %s not found";
inline constexpr const char* SInvalidName = "''%s'' is not a valid component name";
inline constexpr const char* SDuplicateName = "A component named %s already exists";
inline constexpr const char* SInvalidVarOp = "Invalid variant operation";
inline constexpr const char* SVarTypeCouldNotConvert =
    "Could not convert variant of type (%s) into type (%s)";
inline constexpr const char* SVarArrayBounds = "Variant or safe array index out of bounds";
inline constexpr const char* SVarNotArray = "Variant is not an array";
inline constexpr const char* SVarArrayCreate = "Error creating variant or safe array";
inline constexpr const char* SVarOverflow = "Variant overflow";
inline constexpr const char* SInvalidObjectReference = "Invalid object reference";
