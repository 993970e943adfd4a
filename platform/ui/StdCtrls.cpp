// The StdCtrls unit: its start-up and what its parts share. The controls live in
// StdCtrls<Part>.cpp (Label, Button, Text, Edit, Memo ...); StdCtrls.h describes them.
#include "platform/ui/StdCtrls.h"

#include "platform/ui/StdCtrlsPrivate.h"

using stdctrls::IsLead;
using stdctrls::UpperAscii;

bool IsAccel(Word VK, const AnsiString& Str)
{
  for (std::size_t i = 0; i < Str.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Str[i]);
    if (IsLead(c)) {
      ++i;
      continue;
    }
    if (c != '&' || i + 1 >= Str.size())
      continue;
    ++i;
    if (Str[i] == '&')
      continue;
    return UpperAscii(Str[i]) == UpperAscii(static_cast<char>(VK));
  }
  return false;
}

void RegisterStdCtrlsClasses()
{
  stdctrls::RegisterLabelClasses();
  stdctrls::RegisterButtonClasses();
  stdctrls::RegisterCheckBoxClasses();
  stdctrls::RegisterGroupBoxClasses();
  stdctrls::RegisterEditClasses();
  stdctrls::RegisterMemoClasses();
  stdctrls::RegisterListBoxClasses();
  stdctrls::RegisterComboBoxClasses();
  stdctrls::RegisterScrollBarClasses();
}
