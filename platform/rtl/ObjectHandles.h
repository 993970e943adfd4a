// Object handles: a Variant (and anything else that keeps an object in an integer, such as
// Tag) holds a 32-bit handle, and this table turns it back into the object. A freed object's
// handle is invalidated by TObject's destructor, so a stale value fails cleanly instead of
// reaching freed memory.
#pragma once

#include "platform/rtl/Object.h"

// Handles start here so that they are never confused with small integers.
inline constexpr Integer ObjectHandleBase = 0x40000000;

// The object's handle, issued on first use; 0 for null.
Integer ObjectToHandle(TObject* obj);

// The live object behind a handle; null for 0, and for unknown or freed handles.
TObject* HandleToObject(Integer handle);

// True when handle is 0 or names a live object.
bool IsValidObjectHandle(Integer handle);

// Called by TObject's destructor: forgets the object's handle, if it has one.
void ReleaseObjectHandle(TObject* obj);
