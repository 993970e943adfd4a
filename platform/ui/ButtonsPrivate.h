// Each part's class registration in the Buttons<Part>.cpp files, called in order by the
// unit's start-up in Buttons.cpp. Not part of any interface.
#pragma once

namespace buttons {

void RegisterSpeedButtonClasses();
void RegisterBitBtnClasses();

} // namespace buttons
