// The GTK dialog service: the desktop's native choosers for files, folders, colours and
// fonts behind the common dialogs (Dialogs.h). Names and texts are UTF-8 on the desktop's
// side and GBK on ours. The chooser runs in the window manager's tracking loop, which
// waits on the GLib main context, so our windows keep painting while it is open.
#pragma once

#include "platform/ui/Dialogs.h"

// Installs the GTK service as the dialog service (the GTK backend does this when it is
// installed).
void InstallGtkDialogService();
TDialogService* GtkDialogService();
