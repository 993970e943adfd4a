// Building the output library's dialog forms in code.
#pragma once

#include "platform/ui/Controls.h"

namespace frxforms {

// A control of class T named Name, owned by Owner, placed on Parent at the given bounds.
template <class T>
T* Place(TWinControl* Parent, TComponent* Owner, const char* Name, Integer L, Integer T_, Integer W,
         Integer H, const char* Caption = nullptr)
{
  auto* c = new T(Owner);
  c->SetName(Name);
  c->SetBounds(L, T_, W, H);
  if (Caption)
    c->SetCaption(Caption);
  c->SetParent(Parent);
  return c;
}

} // namespace frxforms
