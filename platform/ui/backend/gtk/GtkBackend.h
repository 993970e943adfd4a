// The GTK 3 backend: each visible top-level window of the window manager is a native
// window showing the window's surface; pointer, keyboard and input-method input from the
// display is fed into the window manager's input path, the message loop waits on the GLib
// main context, and the clipboard, beep and monitors are the desktop's. Backend.h is the
// interface it implements; no GTK widget ever sits inside a window.
#pragma once

#include "platform/ui/Backend.h"

typedef struct _GtkWidget GtkWidget;

// Opens the default display and installs the GTK backend as the window backend (once);
// false when no display can be opened (the window manager is left as it was).
bool InstallGtkBackend();

// The installed backend; null before InstallGtkBackend succeeded.
TWindowBackend* GtkBackend();

// The native window showing a top-level window; null while the window has none (hidden,
// a child, or never shown).
GtkWidget* GtkWindowOf(HWND hwnd);

// Runs the GLib main context without blocking, then the messages our queue holds (paints
// and due timers included), until nothing is left or maxMs milliseconds have passed.
void GtkProcessEvents(Integer maxMs = 50);
