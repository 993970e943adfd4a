// Helpers shared by the StdCtrls<Part>.cpp files (not part of any interface): GBK byte
// tests, ASCII case changes, and each part's class registration, called in order by the
// unit's start-up in StdCtrls.cpp.
#pragma once

#include "platform/ui/Controls.h"

// The standard controls' own messages, beyond the framework's CM_ list.
constexpr UINT CM_DROPDOWNLOOP = CM_BASE + 0x300; // a combo box's list runs its loop

namespace stdctrls {

inline bool IsLead(unsigned char c)
{
  return c >= 0x81 && c <= 0xFE;
}
inline bool IsLead(char c)
{
  return IsLead(static_cast<unsigned char>(c));
}
inline char UpperAscii(char c)
{
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char LowerAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Sends a notification code to the control's parent as WM_COMMAND, which the parent
// reflects back as CN_COMMAND; a control without a parent window gets CN_COMMAND directly.
void NotifyParent(TWinControl* Control, Word Code);
// Makes the control's window again for a style change; the focus stays with it.
void RecreateKeepingFocus(TWinControl* Control);

void RegisterLabelClasses();
void RegisterButtonClasses();
void RegisterCheckBoxClasses();
void RegisterGroupBoxClasses();
void RegisterEditClasses();
void RegisterMemoClasses();
void RegisterListBoxClasses();
void RegisterComboBoxClasses();
void RegisterScrollBarClasses();

} // namespace stdctrls
