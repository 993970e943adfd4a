// The virtual X display for the program-run tests; see XScreen.h.
#include "tests/app_run/XScreen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

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

void XScreenSize(int& Width, int& Height)
{
  Width = TheDisplay ? DisplayWidth(TheDisplay, DefaultScreen(TheDisplay)) : 0;
  Height = TheDisplay ? DisplayHeight(TheDisplay, DefaultScreen(TheDisplay)) : 0;
}

namespace {

XErrorHandler OtherErrors = nullptr;

int IgnoreGoneWindows(Display* D, XErrorEvent* E)
{
  return E->error_code == BadWindow || !OtherErrors ? 0 : OtherErrors(D, E);
}

// The program's windows come and go while a test looks at the display: a window that went
// between being listed and being asked about is no error of the test (Xlib's default
// handler would end the test binary).
class TGoneWindowsIgnored {
public:
  TGoneWindowsIgnored()
  {
    XSync(TheDisplay, False);
    OtherErrors = XSetErrorHandler(&IgnoreGoneWindows);
  }
  ~TGoneWindowsIgnored()
  {
    XSync(TheDisplay, False);
    XSetErrorHandler(OtherErrors);
  }
};

// Every window of the display with its title (UTF-8), depth first from the root.
std::vector<std::pair<Window, std::string>> TitledWindows()
{
  std::vector<std::pair<Window, std::string>> titled;
  if (!TheDisplay)
    return titled;
  TGoneWindowsIgnored ignored;
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
      titled.emplace_back(w, std::string(reinterpret_cast<char*>(data), count));
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
  return titled;
}

} // namespace

std::vector<std::string> XWindowTitles()
{
  std::vector<std::string> titles;
  for (const auto& [window, title] : TitledWindows())
    titles.push_back(title);
  return titles;
}

bool XWindowOrigin(const std::string& Title, int& X, int& Y)
{
  for (const auto& [window, title] : TitledWindows()) {
    if (title != Title)
      continue;
    TGoneWindowsIgnored ignored;
    Window child;
    return XTranslateCoordinates(TheDisplay, window, DefaultRootWindow(TheDisplay), 0, 0, &X, &Y,
                                 &child) != 0;
  }
  return false;
}

bool XClick(int X, int Y)
{
  int event, error, major, minor;
  if (!TheDisplay || !XTestQueryExtension(TheDisplay, &event, &error, &major, &minor))
    return false;
  XTestFakeMotionEvent(TheDisplay, -1, X, Y, CurrentTime);
  XTestFakeButtonEvent(TheDisplay, 1, True, CurrentTime);
  XTestFakeButtonEvent(TheDisplay, 1, False, 10);
  XFlush(TheDisplay);
  return true;
}

long XScreenPixel(int X, int Y)
{
  if (!TheDisplay)
    return -1;
  XImage* image =
      XGetImage(TheDisplay, DefaultRootWindow(TheDisplay), X, Y, 1, 1, AllPlanes, ZPixmap);
  if (!image)
    return -1;
  const long pixel = static_cast<long>(XGetPixel(image, 0, 0) & 0xFFFFFF);
  XDestroyImage(image);
  return pixel;
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
