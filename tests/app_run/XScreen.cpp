// The virtual X display for the program-run tests; see XScreen.h.
#include "tests/app_run/XScreen.h"

#include <X11/Xlib.h>

#include <gdk/gdk.h>

namespace {

Display* TheDisplay = nullptr;

} // namespace

bool OpenXScreen()
{
  if (!TheDisplay)
    TheDisplay = XOpenDisplay(nullptr);
  return TheDisplay != nullptr;
}

void CloseXScreen()
{
  if (TheDisplay)
    XCloseDisplay(TheDisplay);
  TheDisplay = nullptr;
}

std::vector<std::string> XWindowTitles()
{
  std::vector<std::string> titles;
  if (!TheDisplay)
    return titles;
  const Atom netName = XInternAtom(TheDisplay, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(TheDisplay, "UTF8_STRING", False);
  std::vector<Window> pending{DefaultRootWindow(TheDisplay)};
  while (!pending.empty()) {
    const Window w = pending.back();
    pending.pop_back();
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(TheDisplay, w, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
      titles.emplace_back(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(TheDisplay, w, &root, &parent, &children, &n)) {
      for (unsigned int i = 0; i < n; ++i)
        pending.push_back(children[i]);
      if (children)
        XFree(children);
    }
  }
  return titles;
}

bool SaveXScreen(const std::string& FileName)
{
  static bool started = gdk_init_check(nullptr, nullptr);
  if (!started)
    return false;
  GdkWindow* root = gdk_get_default_root_window();
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root),
                                               gdk_window_get_height(root));
  if (!shot)
    return false;
  const bool saved = gdk_pixbuf_save(shot, FileName.c_str(), "png", nullptr, nullptr);
  g_object_unref(shot);
  return saved;
}
