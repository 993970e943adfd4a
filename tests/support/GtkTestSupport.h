// Helpers of the tests that open real windows on a (virtual) X display through the GTK
// backend: waiting for the display and our messages, and where a window really is.
#pragma once

#include <functional>

#include <gtk/gtk.h>

#include "platform/ui/backend/gtk/GtkBackend.h"

// Runs the display's events and our messages until Done() holds or TimeoutMs passed.
inline bool WaitUntil(const std::function<bool()>& Done, Integer TimeoutMs = 3000)
{
  const gint64 end = g_get_monotonic_time() + gint64(TimeoutMs) * 1000;
  for (;;) {
    gdk_display_sync(gdk_display_get_default());
    GtkProcessEvents(20);
    if (Done())
      return true;
    if (g_get_monotonic_time() >= end)
      return false;
    g_usleep(2000);
  }
}

// Runs the display's events and our messages for Ms milliseconds.
inline void Settle(Integer Ms = 150)
{
  const gint64 end = g_get_monotonic_time() + gint64(Ms) * 1000;
  while (g_get_monotonic_time() < end) {
    gdk_display_sync(gdk_display_get_default());
    GtkProcessEvents(10);
    g_usleep(2000);
  }
}

// The native window's place on the screen, or an empty rectangle while it is not shown.
inline TRect NativeRect(HWND Wnd)
{
  GtkWidget* w = GtkWindowOf(Wnd);
  GdkWindow* gw = w ? gtk_widget_get_window(w) : nullptr;
  if (!gw || !gdk_window_is_visible(gw))
    return TRect();
  gint x = 0, y = 0;
  gdk_window_get_origin(gw, &x, &y);
  return Rect(x, y, x + gdk_window_get_width(gw), y + gdk_window_get_height(gw));
}
