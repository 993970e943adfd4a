// Each part's class registration in the ExtCtrls<Part>.cpp files, called in order by the
// unit's start-up in ExtCtrls.cpp. Not part of any interface.
#pragma once

namespace extctrls {

void RegisterTimerClasses();
void RegisterPanelClasses();
void RegisterImageClasses();
void RegisterRadioGroupClasses();
void RegisterNotebookClasses();
void RegisterSplitterClasses();

} // namespace extctrls
