// The GTK 3 backend: native windows for top-level windows, display input fed into the
// window manager's input path, the GLib main context as the message loop's wait, and the
// desktop's clipboard, beep and monitors. GtkBackend.h describes it; Backend.h is the
// interface between window manager and backends.
#include "platform/ui/backend/gtk/GtkBackend.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include <gtk/gtk.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowsPrivate.h"
#include "platform/ui/backend/gtk/GtkDialogs.h"

namespace {

gpointer ToPointer(HWND hwnd)
{
  return reinterpret_cast<gpointer>(static_cast<std::uintptr_t>(hwnd));
}
HWND ToHwnd(gpointer data)
{
  return static_cast<HWND>(reinterpret_cast<std::uintptr_t>(data));
}

TPoint RootPoint(gdouble x, gdouble y)
{
  return {static_cast<Integer>(std::floor(x)), static_cast<Integer>(std::floor(y))};
}

// ---- Key values ------------------------------------------------------------------------------

// The virtual-key code of a GDK key value; 0 for keys the platform has no code for.
Word KeyvalToVk(guint keyval)
{
  if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
    return static_cast<Word>('A' + (keyval - GDK_KEY_a));
  if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z)
    return static_cast<Word>(keyval);
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)
    return static_cast<Word>(keyval);
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12)
    return static_cast<Word>(VK_F1 + (keyval - GDK_KEY_F1));
  if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
    return static_cast<Word>(VK_NUMPAD0 + (keyval - GDK_KEY_KP_0));
  struct TMap {
    guint Keyval;
    Word Vk;
  };
  static const TMap map[] = {
      {GDK_KEY_BackSpace, VK_BACK},
      {GDK_KEY_Tab, VK_TAB},
      {GDK_KEY_ISO_Left_Tab, VK_TAB},
      {GDK_KEY_Return, VK_RETURN},
      {GDK_KEY_KP_Enter, VK_RETURN},
      {GDK_KEY_Escape, VK_ESCAPE},
      {GDK_KEY_space, VK_SPACE},
      {GDK_KEY_KP_Space, VK_SPACE},
      {GDK_KEY_Shift_L, VK_SHIFT},
      {GDK_KEY_Shift_R, VK_SHIFT},
      {GDK_KEY_Control_L, VK_CONTROL},
      {GDK_KEY_Control_R, VK_CONTROL},
      {GDK_KEY_Alt_L, VK_MENU},
      {GDK_KEY_Alt_R, VK_MENU},
      {GDK_KEY_Meta_L, VK_MENU},
      {GDK_KEY_Super_L, VK_LWIN},
      {GDK_KEY_Super_R, VK_RWIN},
      {GDK_KEY_Menu, VK_APPS},
      {GDK_KEY_Pause, VK_PAUSE},
      {GDK_KEY_Print, VK_SNAPSHOT},
      {GDK_KEY_Caps_Lock, VK_CAPITAL},
      {GDK_KEY_Num_Lock, VK_NUMLOCK},
      {GDK_KEY_Scroll_Lock, VK_SCROLL},
      {GDK_KEY_Insert, VK_INSERT},
      {GDK_KEY_KP_Insert, VK_INSERT},
      {GDK_KEY_Delete, VK_DELETE},
      {GDK_KEY_KP_Delete, VK_DELETE},
      {GDK_KEY_Home, VK_HOME},
      {GDK_KEY_KP_Home, VK_HOME},
      {GDK_KEY_End, VK_END},
      {GDK_KEY_KP_End, VK_END},
      {GDK_KEY_Page_Up, VK_PRIOR},
      {GDK_KEY_KP_Page_Up, VK_PRIOR},
      {GDK_KEY_Page_Down, VK_NEXT},
      {GDK_KEY_KP_Page_Down, VK_NEXT},
      {GDK_KEY_Left, VK_LEFT},
      {GDK_KEY_KP_Left, VK_LEFT},
      {GDK_KEY_Right, VK_RIGHT},
      {GDK_KEY_KP_Right, VK_RIGHT},
      {GDK_KEY_Up, VK_UP},
      {GDK_KEY_KP_Up, VK_UP},
      {GDK_KEY_Down, VK_DOWN},
      {GDK_KEY_KP_Down, VK_DOWN},
      {GDK_KEY_KP_Multiply, VK_MULTIPLY},
      {GDK_KEY_KP_Add, VK_ADD},
      {GDK_KEY_KP_Separator, VK_SEPARATOR},
      {GDK_KEY_KP_Subtract, VK_SUBTRACT},
      {GDK_KEY_KP_Decimal, VK_DECIMAL},
      {GDK_KEY_KP_Divide, VK_DIVIDE},
      {GDK_KEY_Help, VK_HELP},
      {GDK_KEY_Clear, VK_CLEAR},
      {GDK_KEY_semicolon, VK_OEM_1},
      {GDK_KEY_colon, VK_OEM_1},
      {GDK_KEY_equal, VK_OEM_PLUS},
      {GDK_KEY_plus, VK_OEM_PLUS},
      {GDK_KEY_comma, VK_OEM_COMMA},
      {GDK_KEY_less, VK_OEM_COMMA},
      {GDK_KEY_minus, VK_OEM_MINUS},
      {GDK_KEY_underscore, VK_OEM_MINUS},
      {GDK_KEY_period, VK_OEM_PERIOD},
      {GDK_KEY_greater, VK_OEM_PERIOD},
      {GDK_KEY_slash, VK_OEM_2},
      {GDK_KEY_question, VK_OEM_2},
      {GDK_KEY_grave, VK_OEM_3},
      {GDK_KEY_asciitilde, VK_OEM_3},
      {GDK_KEY_bracketleft, VK_OEM_4},
      {GDK_KEY_braceleft, VK_OEM_4},
      {GDK_KEY_backslash, VK_OEM_5},
      {GDK_KEY_bar, VK_OEM_5},
      {GDK_KEY_bracketright, VK_OEM_6},
      {GDK_KEY_braceright, VK_OEM_6},
      {GDK_KEY_apostrophe, VK_OEM_7},
      {GDK_KEY_quotedbl, VK_OEM_7},
      {GDK_KEY_exclam, '1'},
      {GDK_KEY_at, '2'},
      {GDK_KEY_numbersign, '3'},
      {GDK_KEY_dollar, '4'},
      {GDK_KEY_percent, '5'},
      {GDK_KEY_asciicircum, '6'},
      {GDK_KEY_ampersand, '7'},
      {GDK_KEY_asterisk, '8'},
      {GDK_KEY_parenleft, '9'},
      {GDK_KEY_parenright, '0'},
  };
  for (const TMap& m : map)
    if (m.Keyval == keyval)
      return m.Vk;
  return 0;
}

// The cursor name of a standard cursor id the desktop's cursor theme draws (the platform
// draws crDrag, crNoDrop, the splitters, crMultiDrag and crSQLWait itself).
const char* CursorName(HCURSOR cursor)
{
  switch (cursor) {
  case -1:
    return "none";
  case -3:
    return "crosshair";
  case -4:
    return "text";
  case -6:
    return "nesw-resize";
  case -7:
    return "ns-resize";
  case -8:
    return "nwse-resize";
  case -9:
    return "ew-resize";
  case -10:
    return "n-resize";
  case -11:
    return "wait";
  case -18:
    return "not-allowed";
  case -19:
    return "progress";
  case -20:
    return "help";
  case -21:
    return "pointer";
  case -22:
    return "move";
  default:
    return "default";
  }
}

// ---- The backend
// ---------------------------------------------------------------------------------

// One native window showing a top-level window.
struct TNative {
  HWND Handle = 0;
  GtkWidget* Window = nullptr;
  bool Popup = false;
  bool KeepAbove = false;
  TRect Requested;        // the geometry last asked of the display, screen coordinates
  gint64 RequestedAt = 0; // when (monotonic microseconds); 0 once the display confirmed it
  AnsiString Title;
  HWND TransientFor = 0;
  bool Iconified = false; // minimized on the display
  bool Shaped = false;
  TRegion Shape; // the window region last given to the display (window coordinates)
};

class TGtkBackend final : public TWindowBackend {
public:
  TGtkBackend();
  ~TGtkBackend() override;

  TSize ScreenSize() const override { return FScreen; }
  void WindowShown(HWND hwnd) override;
  void WindowHidden(HWND hwnd) override;
  void WindowMoved(HWND hwnd) override;
  void WindowDestroyed(HWND hwnd) override;
  void SurfaceChanged(HWND hwnd, const TRect& area) override;
  void OverlayChanged(const TRect& screenArea) override;
  void CaptureChanged(HWND hwnd) override;
  void CursorChanged(HCURSOR cursor) override;
  void CaretChanged(HWND owner, const TRect& screenRect, bool visible) override;
  void Beep() override { gdk_display_beep(gdk_display_get_default()); }
  void SetClipboardContent(const TClipboardContent& content) override;
  TClipboardContent ClipboardContent() const override;
  void WaitForInput(Integer timeoutMs, const char* waiter) override;

  GtkWidget* WindowOf(HWND hwnd) const;
  void UpdateMonitors();
  // Brings what has no notification of its own (captions, owners, stacking, activation) to the
  // display; runs whenever a loop runs out of messages.
  void SyncIdle()
  {
    SyncWindows();
    SyncStacking();
    SyncActive();
  }

private:
  TNative* Find(HWND hwnd);
  TNative& Ensure(HWND hwnd);
  void Sync(TNative& n);
  void SyncGeometry(TNative& n);
  void SyncWindows();
  void SyncStacking();
  void SyncActive();
  void SyncShape(TNative& n);
  void ApplyCursor(TNative& n);
  GdkCursor* PictureCursor(HCURSOR cursor);
  void SyncModifiers(guint state, Word eventVk);
  void CommitText(const char* utf8);
  void CheckAppActive();
  void FocusIm(GtkWidget* widget, HWND hwnd);

  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
  static gboolean OnDrawOverlay(GtkWidget* widget, cairo_t* cr, gpointer data);
  static gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer data);
  static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer data);
  static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer data);
  static gboolean OnCrossing(GtkWidget* widget, GdkEventCrossing* event, gpointer data);
  static gboolean OnScroll(GtkWidget* widget, GdkEventScroll* event, gpointer data);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer data);
  static gboolean OnFocus(GtkWidget* widget, GdkEventFocus* event, gpointer data);
  static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer data);
  static gboolean OnWindowState(GtkWidget* widget, GdkEventWindowState* event, gpointer data);
  static void OnCommit(GtkIMContext* im, const gchar* text, gpointer data);
  static void OnPreeditChanged(GtkIMContext* im, gpointer data);
  static void OnClipboardGet(GtkClipboard* clipboard, GtkSelectionData* selection, guint info,
                             gpointer data);
  static void OnClipboardClear(GtkClipboard* clipboard, gpointer data);

  TSize FScreen{1024, 768};
  std::map<HWND, TNative> FNatives;
  GtkIMContext* FIm = nullptr;
  HWND FImClient = 0;
  bool FComposing = false;
  bool FInKey = false;    // a key event is being filtered by the input method
  std::string FKeyCommit; // what the input method committed while filtering it
  bool FGrabbed = false;
  HCURSOR FCursor = -2;                          // the cursor shown over our windows
  std::map<HCURSOR, GdkCursor*> FPictureCursors; // the display's cursors of our pictures
  UTF8String FClipText;                          // our clipboard text as the desktop reads it
  bool FClipOwned = false;                       // the desktop's clipboard holds what we set
  guint FActiveCheck = 0;
  std::vector<GdkWindow*> FStack; // shown native windows as last stacked, front first
  // Overlay items: one input-transparent popup each, showing the composed screen there.
  std::map<HOVERLAY, GtkWidget*> FOverlays;
  std::unique_ptr<TImageSurface> FComposed;
  bool FComposedStale = true;
  HWND FPresented = 0;
};

TGtkBackend* gBackend = nullptr;

TGtkBackend::TGtkBackend()
{
  FIm = gtk_im_multicontext_new();
  // The input method shows its composition itself, at the caret we report.
  gtk_im_context_set_use_preedit(FIm, FALSE);
  g_signal_connect(FIm, "commit", G_CALLBACK(OnCommit), this);
  g_signal_connect(FIm, "preedit-start", G_CALLBACK(OnPreeditChanged), this);
  g_signal_connect(FIm, "preedit-changed", G_CALLBACK(OnPreeditChanged), this);
  g_signal_connect(FIm, "preedit-end", G_CALLBACK(OnPreeditChanged), this);
  GdkDisplay* display = gdk_display_get_default();
  auto monitorsChanged = +[](GdkDisplay*, GdkMonitor*, gpointer self) {
    static_cast<TGtkBackend*>(self)->UpdateMonitors();
  };
  g_signal_connect(display, "monitor-added", G_CALLBACK(monitorsChanged), this);
  g_signal_connect(display, "monitor-removed", G_CALLBACK(monitorsChanged), this);
}

TGtkBackend::~TGtkBackend()
{
  for (auto& [o, widget] : FOverlays)
    gtk_widget_destroy(widget);
  for (auto& [h, n] : FNatives)
    gtk_widget_destroy(n.Window);
  for (auto& [h, c] : FPictureCursors)
    if (c)
      g_object_unref(c);
  g_object_unref(FIm);
}

// The desktop's settings the window manager follows: the caret's blink (GTK counts a whole
// on-off cycle, we count each half), the double-click time and distance.
void ApplyDesktopSettings()
{
  GtkSettings* settings = gtk_settings_get_default();
  gboolean blink = TRUE;
  gint blinkTime = 0, clickTime = 0, distance = 0;
  g_object_get(settings, "gtk-cursor-blink", &blink, "gtk-cursor-blink-time", &blinkTime,
               "gtk-double-click-time", &clickTime, "gtk-double-click-distance", &distance,
               nullptr);
  SetCaretBlinkTime(blink && blinkTime > 0 ? static_cast<UINT>(std::max(blinkTime / 2, 1))
                                           : INFINITE);
  if (clickTime > 0)
    SetDoubleClickTime(static_cast<UINT>(clickTime));
  if (distance > 0) {
    SetSystemMetrics(SM_CXDOUBLECLK, distance * 2);
    SetSystemMetrics(SM_CYDOUBLECLK, distance * 2);
  }
}

// A desktop setting changed: the window manager follows, and the windows hear of a new
// theme (WM_THEMECHANGED) or new fonts (WM_FONTCHANGE).
void OnSettingChanged(GObject*, GParamSpec* spec, gpointer)
{
  std::string_view name = g_param_spec_get_name(spec);
  if (name == "gtk-theme-name" || name == "gtk-icon-theme-name")
    BroadcastMessage(WM_THEMECHANGED, 0, 0);
  else if (name == "gtk-font-name" || name == "gtk-fontconfig-timestamp")
    BroadcastMessage(WM_FONTCHANGE, 0, 0);
  else
    ApplyDesktopSettings();
}

void WatchDesktopSettings()
{
  GtkSettings* settings = gtk_settings_get_default();
  for (const char* name : {"gtk-cursor-blink", "gtk-cursor-blink-time", "gtk-double-click-time",
                           "gtk-double-click-distance", "gtk-theme-name", "gtk-icon-theme-name",
                           "gtk-font-name", "gtk-fontconfig-timestamp"})
    g_signal_connect(settings, (std::string("notify::") + name).c_str(),
                     G_CALLBACK(OnSettingChanged), nullptr);
}

void TGtkBackend::UpdateMonitors()
{
  GdkDisplay* display = gdk_display_get_default();
  Integer count = gdk_display_get_n_monitors(display);
  if (count <= 0)
    return;
  GdkRectangle all{0, 0, 0, 0};
  for (Integer i = 0; i < count; ++i) {
    GdkRectangle g;
    gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &g);
    gdk_rectangle_union(&all, &g, &all);
  }
  FScreen = {all.x + all.width, all.y + all.height};
  SetSystemMetrics(SM_CXSCREEN, FScreen.cx);
  SetSystemMetrics(SM_CYSCREEN, FScreen.cy);
  GdkMonitor* primary = gdk_display_get_primary_monitor(display);
  if (!primary)
    primary = gdk_display_get_monitor(display, 0);
  GdkRectangle work;
  gdk_monitor_get_workarea(primary, &work);
  SetWorkArea(Rect(work.x, work.y, work.x + work.width, work.y + work.height));
}

TNative* TGtkBackend::Find(HWND hwnd)
{
  auto it = FNatives.find(hwnd);
  return it == FNatives.end() ? nullptr : &it->second;
}

GtkWidget* TGtkBackend::WindowOf(HWND hwnd) const
{
  auto it = FNatives.find(hwnd);
  return it == FNatives.end() ? nullptr : it->second.Window;
}

// Popups, hints and drop-downs (non-activating captionless popups) become override-redirect
// windows the desktop's window manager leaves alone; every other top-level window is a
// normal toplevel without the desktop's decoration (we draw our own frame).
TNative& TGtkBackend::Ensure(HWND hwnd)
{
  if (TNative* n = Find(hwnd))
    return *n;
  DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLong(hwnd, GWL_EXSTYLE));
  TNative& n = FNatives[hwnd];
  n.Handle = hwnd;
  n.Popup = (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION &&
            (exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE));
  n.Window = gtk_window_new(n.Popup ? GTK_WINDOW_POPUP : GTK_WINDOW_TOPLEVEL);
  GtkWindow* win = GTK_WINDOW(n.Window);
  gtk_window_set_decorated(win, FALSE);
  gtk_widget_set_app_paintable(n.Window, TRUE);
  gtk_widget_set_can_focus(n.Window, TRUE);
  if (n.Popup) {
    gtk_window_set_accept_focus(win, FALSE);
    gtk_window_set_type_hint(win, GDK_WINDOW_TYPE_HINT_POPUP_MENU);
  }
  gtk_widget_add_events(n.Window,
                        GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                            GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK | GDK_ENTER_NOTIFY_MASK |
                            GDK_LEAVE_NOTIFY_MASK | GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK |
                            GDK_FOCUS_CHANGE_MASK | GDK_STRUCTURE_MASK);
  gpointer data = ToPointer(hwnd);
  g_signal_connect(n.Window, "draw", G_CALLBACK(OnDraw), data);
  g_signal_connect(n.Window, "configure-event", G_CALLBACK(OnConfigure), data);
  g_signal_connect(n.Window, "button-press-event", G_CALLBACK(OnButton), data);
  g_signal_connect(n.Window, "button-release-event", G_CALLBACK(OnButton), data);
  g_signal_connect(n.Window, "motion-notify-event", G_CALLBACK(OnMotion), data);
  g_signal_connect(n.Window, "enter-notify-event", G_CALLBACK(OnCrossing), data);
  g_signal_connect(n.Window, "leave-notify-event", G_CALLBACK(OnCrossing), data);
  g_signal_connect(n.Window, "scroll-event", G_CALLBACK(OnScroll), data);
  g_signal_connect(n.Window, "key-press-event", G_CALLBACK(OnKey), data);
  g_signal_connect(n.Window, "key-release-event", G_CALLBACK(OnKey), data);
  g_signal_connect(n.Window, "focus-in-event", G_CALLBACK(OnFocus), data);
  g_signal_connect(n.Window, "focus-out-event", G_CALLBACK(OnFocus), data);
  g_signal_connect(n.Window, "delete-event", G_CALLBACK(OnDelete), data);
  g_signal_connect(n.Window, "window-state-event", G_CALLBACK(OnWindowState), data);
  gtk_widget_realize(n.Window);
  ApplyCursor(n);
  return n;
}

void TGtkBackend::SyncGeometry(TNative& n)
{
  TRect r;
  if (!GetWindowRect(n.Handle, r) || r == n.Requested)
    return;
  n.Requested = r;
  n.RequestedAt = g_get_monotonic_time();
  GtkWindow* win = GTK_WINDOW(n.Window);
  gtk_window_move(win, r.Left, r.Top);
  gtk_window_resize(win, std::max<Integer>(r.Width(), 1), std::max<Integer>(r.Height(), 1));
}

// Geometry, title, stay-on-top, shape and owner follow the window manager's state.
void TGtkBackend::Sync(TNative& n)
{
  SyncGeometry(n);
  GtkWindow* win = GTK_WINDOW(n.Window);
  AnsiString title = GetWindowText(n.Handle);
  if (title != n.Title) {
    n.Title = title;
    gtk_window_set_title(win, GbkToUtf8(title).c_str());
  }
  bool above = (GetWindowLong(n.Handle, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (above != n.KeepAbove) {
    n.KeepAbove = above;
    gtk_window_set_keep_above(win, above);
  }
  bool minimized = (GetWindowLong(n.Handle, GWL_STYLE) & WS_MINIMIZE) != 0;
  if (minimized != n.Iconified) {
    n.Iconified = minimized;
    if (minimized)
      gtk_window_iconify(win);
    else
      gtk_window_deiconify(win);
  }
  SyncShape(n);
  // An owner without a native window yet is taken up once it has one.
  HWND owner = GetWindow(n.Handle, GW_OWNER);
  TNative* o = Find(owner);
  if (owner != n.TransientFor && (o || !owner)) {
    n.TransientFor = owner;
    gtk_window_set_transient_for(win, o ? GTK_WINDOW(o->Window) : nullptr);
  }
}

// A window region cuts the native window to its shape, for drawing and for the pointer.
void TGtkBackend::SyncShape(TNative& n)
{
  wm::TWnd* w = wm::FromHandle(n.Handle);
  bool shaped = w && w->WindowRgn;
  if (shaped == n.Shaped && (!shaped || *w->WindowRgn == n.Shape))
    return;
  GdkWindow* gw = gtk_widget_get_window(n.Window);
  if (!gw)
    return;
  n.Shaped = shaped;
  n.Shape = shaped ? *w->WindowRgn : TRegion();
  if (!shaped) {
    gdk_window_shape_combine_region(gw, nullptr, 0, 0);
    gdk_window_input_shape_combine_region(gw, nullptr, 0, 0);
    return;
  }
  cairo_region_t* region = cairo_region_create();
  for (const TRegion::TBand& band : n.Shape.Bands())
    for (const TRegion::TSpan& span : band.Spans) {
      cairo_rectangle_int_t r{span.Left, band.Top, span.Right - span.Left, band.Bottom - band.Top};
      cairo_region_union_rectangle(region, &r);
    }
  gdk_window_shape_combine_region(gw, region, 0, 0);
  gdk_window_input_shape_combine_region(gw, region, 0, 0);
  cairo_region_destroy(region);
}

// The keyboard goes to the window our window manager activated, while the program is the
// one the user works with.
void TGtkBackend::SyncActive()
{
  HWND active = GetActiveWindow();
  if (active == FPresented || !GetForegroundWindow())
    return;
  FPresented = active;
  TNative* n = Find(active);
  if (n && !n->Popup && gtk_widget_get_visible(n->Window))
    gtk_window_present(GTK_WINDOW(n->Window));
}

void TGtkBackend::SyncWindows()
{
  for (auto& [h, n] : FNatives)
    if (gtk_widget_get_visible(n.Window))
      Sync(n);
}

// The display stacks our windows as the window manager does (the topmost band, owned
// windows above their owners, the active window in front).
void TGtkBackend::SyncStacking()
{
  std::vector<HWND> order;
  EnumTopLevelWindows(order);
  std::vector<GdkWindow*> shown;
  for (HWND h : order)
    if (TNative* n = Find(h); n && gtk_widget_get_visible(n->Window))
      if (GdkWindow* gw = gtk_widget_get_window(n->Window))
        shown.push_back(gw);
  if (shown == FStack)
    return;
  FStack = shown;
  for (auto it = shown.rbegin(); it != shown.rend(); ++it)
    gdk_window_raise(*it);
  for (auto& [o, widget] : FOverlays)
    gdk_window_raise(gtk_widget_get_window(widget));
}

void TGtkBackend::WindowShown(HWND hwnd)
{
  TNative& n = Ensure(hwnd);
  Sync(n);
  // The window takes the keyboard only when our window manager activates it (SyncActive).
  gtk_window_set_focus_on_map(GTK_WINDOW(n.Window), FALSE);
  gtk_widget_show(n.Window);
  if (FPresented == hwnd)
    FPresented = 0;
}

void TGtkBackend::WindowHidden(HWND hwnd)
{
  if (TNative* n = Find(hwnd))
    gtk_widget_hide(n->Window);
  if (FPresented == hwnd)
    FPresented = 0;
}

void TGtkBackend::WindowMoved(HWND hwnd)
{
  if (TNative* n = Find(hwnd))
    Sync(*n);
}

void TGtkBackend::WindowDestroyed(HWND hwnd)
{
  TNative* n = Find(hwnd);
  if (!n)
    return;
  if (FImClient == hwnd) {
    gtk_im_context_set_client_window(FIm, nullptr);
    FImClient = 0;
  }
  GtkWidget* window = n->Window;
  FStack.clear();
  if (FPresented == hwnd)
    FPresented = 0;
  FNatives.erase(hwnd);
  gtk_widget_destroy(window);
}

void TGtkBackend::SurfaceChanged(HWND hwnd, const TRect& area)
{
  if (!FOverlays.empty()) {
    FComposedStale = true;
    for (auto& [o, widget] : FOverlays)
      gtk_widget_queue_draw(widget);
  }
  TNative* n = Find(hwnd);
  if (!n)
    return;
  // The caption may have been redrawn for a new text.
  Sync(*n);
  gtk_widget_queue_draw_area(n->Window, area.Left, area.Top, area.Width(), area.Height());
}

// Feedback drawn across windows (drag images, sizing frames): each overlay item is a small
// popup above everything that lets the pointer through. It shows the screen as the window
// manager composes it there, so XOR and transparent items look right over our windows.
void TGtkBackend::OverlayChanged(const TRect&)
{
  FComposedStale = true;
  std::map<HOVERLAY, GtkWidget*> keep;
  for (const wm::TOverlayItem& item : wm::State().Overlays) {
    GtkWidget* widget = nullptr;
    auto it = FOverlays.find(item.Handle);
    if (it != FOverlays.end()) {
      widget = it->second;
      FOverlays.erase(it);
    } else {
      widget = gtk_window_new(GTK_WINDOW_POPUP);
      gtk_widget_set_app_paintable(widget, TRUE);
      gtk_window_set_accept_focus(GTK_WINDOW(widget), FALSE);
      g_signal_connect(widget, "draw", G_CALLBACK(OnDrawOverlay), this);
      gtk_widget_realize(widget);
      cairo_region_t* none = cairo_region_create();
      gdk_window_input_shape_combine_region(gtk_widget_get_window(widget), none, 0, 0);
      cairo_region_destroy(none);
    }
    keep[item.Handle] = widget;
    gtk_window_move(GTK_WINDOW(widget), item.Rect.Left, item.Rect.Top);
    gtk_window_resize(GTK_WINDOW(widget), std::max<Integer>(item.Rect.Width(), 1),
                      std::max<Integer>(item.Rect.Height(), 1));
    gtk_widget_show(widget);
    gdk_window_raise(gtk_widget_get_window(widget));
    gtk_widget_queue_draw(widget);
  }
  for (auto& [o, widget] : FOverlays)
    gtk_widget_destroy(widget);
  FOverlays = std::move(keep);
  if (FOverlays.empty())
    FComposed.reset();
}

gboolean TGtkBackend::OnDrawOverlay(GtkWidget* widget, cairo_t* cr, gpointer data)
{
  auto* self = static_cast<TGtkBackend*>(data);
  if (!self->FComposed || self->FComposed->Width() != self->FScreen.cx ||
      self->FComposed->Height() != self->FScreen.cy)
    self->FComposed = std::make_unique<TImageSurface>(self->FScreen.cx, self->FScreen.cy, 0);
  if (self->FComposedStale) {
    ComposeScreen(*self->FComposed);
    self->FComposedStale = false;
  }
  gint x = 0, y = 0;
  gdk_window_get_origin(gtk_widget_get_window(widget), &x, &y);
  TImageSurface& screen = *self->FComposed;
  cairo_surface_t* image = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(screen.Bits()), CAIRO_FORMAT_RGB24, screen.Width(),
      screen.Height(), screen.Width() * 4);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, image, -x, -y);
  cairo_paint(cr);
  cairo_surface_destroy(image);
  return TRUE;
}

// Capture holds the pointer: every pointer event comes to us until it is released, also
// outside our windows (owner events keep reporting our own windows' events to them).
void TGtkBackend::CaptureChanged(HWND hwnd)
{
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  if (FGrabbed) {
    gdk_seat_ungrab(seat);
    FGrabbed = false;
  }
  wm::TWnd* w = wm::TopLevelOf(wm::FromHandle(hwnd));
  TNative* n = w ? Find(w->Handle) : nullptr;
  if (!n || !gtk_widget_get_realized(n->Window) || !gtk_widget_get_visible(n->Window))
    return;
  GdkGrabStatus status =
      gdk_seat_grab(seat, gtk_widget_get_window(n->Window), GDK_SEAT_CAPABILITY_ALL_POINTING, TRUE,
                    nullptr, nullptr, nullptr, nullptr);
  FGrabbed = status == GDK_GRAB_SUCCESS;
}

void TGtkBackend::CursorChanged(HCURSOR cursor)
{
  FCursor = cursor;
  for (auto& [h, n] : FNatives)
    ApplyCursor(n);
}

// A cursor the platform draws, made once for the display (the inverting pixels, which the
// display's cursors cannot show, in black).
GdkCursor* TGtkBackend::PictureCursor(HCURSOR cursor)
{
  const TCursorPicture* picture = CursorPicture(cursor);
  if (!picture)
    return nullptr;
  auto cached = FPictureCursors.find(cursor);
  if (cached != FPictureCursors.end())
    return cached->second;
  cairo_surface_t* image =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture->Width, picture->Height);
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (Integer y = 0; y < picture->Height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (Integer x = 0; x < picture->Width; ++x) {
      TCursorPixel p = picture->Pixels[std::size_t(y * picture->Width + x)];
      row[x] = p == cpTransparent ? 0u : p == cpWhite ? 0xFFFFFFFFu : 0xFF000000u;
    }
  }
  cairo_surface_mark_dirty(image);
  GdkCursor* c = gdk_cursor_new_from_surface(gdk_display_get_default(), image, picture->HotSpot.X,
                                             picture->HotSpot.Y);
  cairo_surface_destroy(image);
  FPictureCursors[cursor] = c;
  return c;
}

// Standard cursors come from the desktop's cursor theme (the arrow where it lacks one);
// the platform's own and those made from pictures are drawn from their pictures.
void TGtkBackend::ApplyCursor(TNative& n)
{
  GdkWindow* gw = gtk_widget_get_window(n.Window);
  if (!gw)
    return;
  if (GdkCursor* drawn = PictureCursor(FCursor)) {
    gdk_window_set_cursor(gw, drawn);
    return;
  }
  GdkDisplay* display = gdk_display_get_default();
  GdkCursor* c = gdk_cursor_new_from_name(display, CursorName(FCursor));
  if (!c)
    c = gdk_cursor_new_from_name(display, "default");
  gdk_window_set_cursor(gw, c);
  if (c)
    g_object_unref(c);
}

// The input method puts its composition window at the caret.
void TGtkBackend::CaretChanged(HWND owner, const TRect& screenRect, bool visible)
{
  if (!visible || !FImClient)
    return;
  TRect client;
  if (!GetWindowRect(FImClient, client))
    return;
  GdkRectangle r{screenRect.Left - client.Left, screenRect.Top - client.Top, screenRect.Width(),
                 screenRect.Height()};
  gtk_im_context_set_cursor_location(FIm, &r);
}

// ---- Waiting
// ---------------------------------------------------------------------------------------

// Our queue is empty: run the GLib main context until an event arrives or our next timer
// is due. Events already waiting are handled without blocking.
void TGtkBackend::WaitForInput(Integer timeoutMs, const char*)
{
  SyncIdle();
  GMainContext* context = g_main_context_default();
  if (g_main_context_pending(context) || timeoutMs == 0) {
    for (int i = 0; i < 1000 && g_main_context_iteration(context, FALSE); ++i) {
    }
    return;
  }
  bool fired = false;
  guint source = 0;
  if (timeoutMs > 0)
    source = g_timeout_add_full(
        G_PRIORITY_HIGH, static_cast<guint>(timeoutMs),
        +[](gpointer p) -> gboolean {
          *static_cast<bool*>(p) = true;
          return G_SOURCE_REMOVE;
        },
        &fired, nullptr);
  g_main_context_iteration(context, TRUE);
  if (source && !fired)
    g_source_remove(source);
}

// ---- Native events
// -------------------------------------------------------------------------------

gboolean TGtkBackend::OnDraw(GtkWidget*, cairo_t* cr, gpointer data)
{
  TImageSurface* surface = WindowSurface(ToHwnd(data));
  if (!surface || surface->Width() <= 0 || surface->Height() <= 0)
    return TRUE;
  // Our pixels are 0x00RRGGBB words, which is cairo's RGB24 layout.
  cairo_surface_t* image = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(surface->Bits()), CAIRO_FORMAT_RGB24, surface->Width(),
      surface->Height(), surface->Width() * 4);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_paint(cr);
  cairo_surface_destroy(image);
  return TRUE;
}

// The desktop moved or sized the window: our window follows. Configurations that answer
// our own recent request are not news.
gboolean TGtkBackend::OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer data)
{
  HWND hwnd = ToHwnd(data);
  TNative* n = gBackend->Find(hwnd);
  GdkWindow* gw = gtk_widget_get_window(widget);
  if (!n || !gw)
    return FALSE;
  gint x = 0, y = 0;
  gdk_window_get_origin(gw, &x, &y);
  TRect r = Rect(x, y, x + event->width, y + event->height);
  if (r == n->Requested) {
    n->RequestedAt = 0;
    return FALSE;
  }
  if (n->RequestedAt && g_get_monotonic_time() - n->RequestedAt < 500000)
    return FALSE;
  TRect ours;
  if (!GetWindowRect(hwnd, ours) || ours == r)
    return FALSE;
  n->Requested = r;
  n->RequestedAt = 0;
  SetWindowPos(hwnd, 0, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  return FALSE;
}

void TGtkBackend::SyncModifiers(guint state, Word eventVk)
{
  struct TMod {
    guint Mask;
    Word Vk;
  };
  static const TMod mods[] = {
      {GDK_SHIFT_MASK, VK_SHIFT}, {GDK_CONTROL_MASK, VK_CONTROL}, {GDK_MOD1_MASK, VK_MENU}};
  for (const TMod& m : mods) {
    if (m.Vk == eventVk)
      continue;
    bool want = (state & m.Mask) != 0;
    bool have = (GetAsyncKeyState(m.Vk) & 0x8000) != 0;
    if (want != have)
      InputKey(m.Vk, want);
  }
}

gboolean TGtkBackend::OnButton(GtkWidget*, GdkEventButton* event, gpointer)
{
  // The window manager counts double clicks by its own timing.
  if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE)
    return TRUE;
  TMouseButtonKind kind;
  switch (event->button) {
  case 1:
    kind = mbkLeft;
    break;
  case 2:
    kind = mbkMiddle;
    break;
  case 3:
    kind = mbkRight;
    break;
  default:
    return TRUE;
  }
  gBackend->SyncModifiers(event->state, 0);
  TPoint p = RootPoint(event->x_root, event->y_root);
  TPoint cursor;
  GetCursorPos(cursor);
  if (p != cursor)
    InputMouseMove(p);
  InputMouseButton(kind, event->type == GDK_BUTTON_PRESS, p);
  return TRUE;
}

gboolean TGtkBackend::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer)
{
  InputMouseMove(RootPoint(event->x_root, event->y_root));
  gdk_event_request_motions(event);
  return TRUE;
}

gboolean TGtkBackend::OnCrossing(GtkWidget*, GdkEventCrossing* event, gpointer)
{
  if (event->detail == GDK_NOTIFY_INFERIOR || event->mode != GDK_CROSSING_NORMAL)
    return TRUE;
  // Leaving to a place outside our windows moves our pointer there too, so the control it
  // was over hears that the mouse left.
  InputMouseMove(RootPoint(event->x_root, event->y_root));
  return TRUE;
}

gboolean TGtkBackend::OnScroll(GtkWidget*, GdkEventScroll* event, gpointer)
{
  Integer delta = 0;
  switch (event->direction) {
  case GDK_SCROLL_UP:
    delta = WHEEL_DELTA;
    break;
  case GDK_SCROLL_DOWN:
    delta = -WHEEL_DELTA;
    break;
  case GDK_SCROLL_SMOOTH:
    delta = static_cast<Integer>(std::lround(-event->delta_y * WHEEL_DELTA));
    break;
  default:
    return TRUE;
  }
  gBackend->SyncModifiers(event->state, 0);
  if (delta)
    InputMouseWheel(delta, RootPoint(event->x_root, event->y_root));
  return TRUE;
}

// Password edits and controls that switch the input method off take keys directly.
bool InputMethodOff()
{
  HWND focus = GetFocus();
  if (!focus)
    return false;
  if (GetWindowLong(focus, GWL_STYLE) & ES_PASSWORD)
    return true;
  TWinControl* control = FindControl(focus);
  return control && (control->ImeMode() == imDisable || control->ImeMode() == imClose);
}

// Keys go through the input method first. A plain key whose character the method passed
// straight through takes the platform's path (key down, translated into WM_CHAR); keys the
// method keeps while composing arrive as VK_PROCESSKEY, and text it commits as characters.
gboolean TGtkBackend::OnKey(GtkWidget* widget, GdkEventKey* event, gpointer data)
{
  TGtkBackend* self = gBackend;
  // Keys come to the toplevel with the keyboard; the input method works for it.
  if (self->FImClient != ToHwnd(data))
    self->FocusIm(widget, ToHwnd(data));
  bool down = event->type == GDK_KEY_PRESS;
  Word vk = KeyvalToVk(event->keyval);
  self->SyncModifiers(event->state, vk);
  bool wasComposing = self->FComposing;
  if (InputMethodOff()) {
    if (wasComposing)
      gtk_im_context_reset(self->FIm);
    if (vk)
      InputKey(vk, down);
    return TRUE;
  }
  self->FInKey = true;
  self->FKeyCommit.clear();
  bool filtered = gtk_im_context_filter_keypress(self->FIm, event);
  self->FInKey = false;
  std::string commit = std::move(self->FKeyCommit);
  self->FKeyCommit.clear();
  if (filtered) {
    gunichar plain = gdk_keyval_to_unicode(event->keyval);
    bool passedThrough = !wasComposing && !self->FComposing && vk && plain > 0 && plain < 0x80 &&
                         commit.size() == 1 && static_cast<gunichar>(commit[0]) == plain;
    if (passedThrough) {
      InputKey(vk, down);
      return TRUE;
    }
    if (!commit.empty() || down)
      InputKey(VK_PROCESSKEY, true);
    if (!commit.empty() || !down)
      InputKey(VK_PROCESSKEY, false);
    if (!commit.empty())
      self->CommitText(commit.c_str());
    return TRUE;
  }
  if (vk)
    InputKey(vk, down);
  return TRUE;
}

// Committed text reaches the focus window one character at a time as its GBK code; a
// character GBK cannot hold is dropped with a beep.
void TGtkBackend::CommitText(const char* utf8)
{
  for (const char* p = utf8; *p; p = g_utf8_next_char(p)) {
    std::string_view one(p, static_cast<std::size_t>(g_utf8_next_char(p) - p));
    Integer lost = 0;
    AnsiString gbk = Utf8ToGbk(one, cfDrop, &lost);
    if (lost || gbk.empty()) {
      MessageBeep(0);
      continue;
    }
    if (gbk.size() == 2)
      InputImeChar(static_cast<Word>((static_cast<unsigned char>(gbk[0]) << 8) |
                                     static_cast<unsigned char>(gbk[1])));
    else
      InputImeChar(static_cast<unsigned char>(gbk[0]));
  }
}

void TGtkBackend::OnCommit(GtkIMContext*, const gchar* text, gpointer data)
{
  auto* self = static_cast<TGtkBackend*>(data);
  if (self->FInKey) {
    self->FKeyCommit += text;
    return;
  }
  self->CommitText(text);
}

void TGtkBackend::OnPreeditChanged(GtkIMContext* im, gpointer data)
{
  gchar* text = nullptr;
  gtk_im_context_get_preedit_string(im, &text, nullptr, nullptr);
  static_cast<TGtkBackend*>(data)->FComposing = text && *text;
  g_free(text);
}

gboolean TGtkBackend::OnFocus(GtkWidget* widget, GdkEventFocus* event, gpointer data)
{
  TGtkBackend* self = gBackend;
  if (event->in) {
    self->FocusIm(widget, ToHwnd(data));
    InputActivateApp(true);
    return FALSE;
  }
  gtk_im_context_focus_out(self->FIm);
  // Focus may only be moving between our own windows: look once the display settled.
  if (!self->FActiveCheck)
    self->FActiveCheck = g_idle_add(
        +[](gpointer) -> gboolean {
          gBackend->FActiveCheck = 0;
          gBackend->CheckAppActive();
          return G_SOURCE_REMOVE;
        },
        nullptr);
  return FALSE;
}

void TGtkBackend::FocusIm(GtkWidget* widget, HWND hwnd)
{
  if (FImClient != hwnd) {
    FImClient = hwnd;
    gtk_im_context_set_client_window(FIm, gtk_widget_get_window(widget));
  }
  gtk_im_context_focus_in(FIm);
}

void TGtkBackend::CheckAppActive()
{
  for (auto& [h, n] : FNatives)
    if (gtk_window_is_active(GTK_WINDOW(n.Window)))
      return;
  InputActivateApp(false);
}

gboolean TGtkBackend::OnDelete(GtkWidget*, GdkEvent*, gpointer data)
{
  PostMessage(ToHwnd(data), WM_SYSCOMMAND, SC_CLOSE, 0);
  return TRUE;
}

// The desktop minimized or restored the window (its task bar, its keys): the form does
// what its own minimize and restore commands do.
gboolean TGtkBackend::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data)
{
  TNative* n = gBackend->Find(ToHwnd(data));
  if (!n || !(event->changed_mask & GDK_WINDOW_STATE_ICONIFIED))
    return FALSE;
  bool iconified = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
  if (iconified == n->Iconified)
    return FALSE;
  n->Iconified = iconified;
  PostMessage(n->Handle, WM_SYSCOMMAND, iconified ? SC_MINIMIZE : SC_RESTORE, 0);
  return FALSE;
}

// ---- Clipboard
// --------------------------------------------------------------------------------------

// What a target of ours carries: text, the picture, or a registered format's bytes (its id).
constexpr guint TextTarget = 0;

const std::string* FindFormat(const TClipboardContent& content, UINT format)
{
  for (const auto& entry : content)
    if (entry.first == format)
      return &entry.second;
  return nullptr;
}

// A BMP file (or any image file GDK reads) as a pixbuf; null when it cannot be read.
GdkPixbuf* PixbufFromBytes(const std::string& bytes)
{
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  GdkPixbuf* result = nullptr;
  bool written = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data()),
                                         bytes.size(), nullptr);
  if (gdk_pixbuf_loader_close(loader, nullptr) && written)
    if (GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader))
      result = GDK_PIXBUF(g_object_ref(pixbuf));
  g_object_unref(loader);
  return result;
}

// The desktop's name of a registered format; RTF also goes by its MIME name.
std::vector<GdkAtom> FormatAtoms(UINT format)
{
  AnsiString name = GetClipboardFormatName(format);
  if (name.empty())
    return {};
  std::vector<GdkAtom> atoms{gdk_atom_intern(name.c_str(), FALSE)};
  if (name == "Rich Text Format")
    atoms.push_back(gdk_atom_intern_static_string("text/rtf"));
  return atoms;
}

// Text leaves as UTF-8 with LF line breaks and comes back as GBK with CR LF ("?" for
// characters GBK cannot hold); the picture (a BMP file) goes out as every image type GDK
// writes; registered formats go by their names, bytes unchanged.
void TGtkBackend::SetClipboardContent(const TClipboardContent& content)
{
  TWindowBackend::SetClipboardContent(content);
  UTF8String text;
  bool hasText = false;
  GtkTargetList* list = gtk_target_list_new(nullptr, 0);
  for (const auto& [format, data] : content) {
    if (format == CF_TEXT) {
      text = GbkToUtf8(data);
      hasText = true;
    } else if (format == CF_UNICODETEXT && !hasText) {
      std::u16string w(data.size() / 2, u'\0');
      for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                     (static_cast<unsigned char>(data[2 * i + 1]) << 8));
      text = WideToUtf8(w);
      hasText = true;
    } else if (format == CF_BITMAP) {
      gtk_target_list_add_image_targets(list, CF_BITMAP, TRUE);
    } else {
      for (GdkAtom atom : FormatAtoms(format))
        gtk_target_list_add(list, atom, 0, format);
    }
  }
  // An empty clipboard is still ours: it offers empty text.
  if (hasText || content.empty())
    gtk_target_list_add_text_targets(list, TextTarget);
  while (!text.empty() && text.back() == '\0')
    text.pop_back();
  FClipText.clear();
  for (char c : text)
    if (c != '\r')
      FClipText += c;
  gint count = 0;
  GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  FClipOwned = false;
  if (count > 0 && gtk_clipboard_set_with_data(clipboard, targets, static_cast<guint>(count),
                                               OnClipboardGet, OnClipboardClear, this))
    FClipOwned = true;
  gtk_target_table_free(targets, count);
  gtk_target_list_unref(list);
}

void TGtkBackend::OnClipboardGet(GtkClipboard*, GtkSelectionData* selection, guint info,
                                 gpointer data)
{
  auto* self = static_cast<TGtkBackend*>(data);
  if (info == TextTarget) {
    gtk_selection_data_set_text(selection, self->FClipText.c_str(),
                                static_cast<gint>(self->FClipText.size()));
    return;
  }
  TClipboardContent content = self->TWindowBackend::ClipboardContent();
  const std::string* bytes = FindFormat(content, info);
  if (!bytes)
    return;
  if (info == CF_BITMAP) {
    if (GdkPixbuf* pixbuf = PixbufFromBytes(*bytes)) {
      gtk_selection_data_set_pixbuf(selection, pixbuf);
      g_object_unref(pixbuf);
    }
    return;
  }
  gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                         reinterpret_cast<const guchar*>(bytes->data()),
                         static_cast<gint>(bytes->size()));
}

void TGtkBackend::OnClipboardClear(GtkClipboard*, gpointer data)
{
  static_cast<TGtkBackend*>(data)->FClipOwned = false;
}

// While we own the desktop's clipboard our own content answers (every format, as set).
TClipboardContent TGtkBackend::ClipboardContent() const
{
  if (FClipOwned)
    return TWindowBackend::ClipboardContent();
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  GdkAtom* targets = nullptr;
  gint count = 0;
  if (!gtk_clipboard_wait_for_targets(clipboard, &targets, &count))
    return {};
  TClipboardContent result;
  if (gtk_targets_include_text(targets, count))
    if (gchar* utf8 = gtk_clipboard_wait_for_text(clipboard)) {
      std::string crlf;
      for (const char* p = utf8; *p; ++p) {
        if (*p == '\r')
          continue;
        if (*p == '\n')
          crlf += '\r';
        crlf += *p;
      }
      g_free(utf8);
      std::string unicode;
      for (char16_t c : Utf8ToWide(crlf)) {
        unicode += static_cast<char>(c & 0xFF);
        unicode += static_cast<char>(c >> 8);
      }
      result.emplace_back(CF_TEXT, Utf8ToGbk(crlf, cfQuestionMark));
      result.emplace_back(CF_UNICODETEXT, unicode);
    }
  if (gtk_targets_include_image(targets, count, FALSE))
    if (GdkPixbuf* pixbuf = gtk_clipboard_wait_for_image(clipboard)) {
      gchar* buffer = nullptr;
      gsize size = 0;
      if (gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "bmp", nullptr, nullptr))
        result.emplace_back(CF_BITMAP, std::string(buffer, size));
      g_free(buffer);
      g_object_unref(pixbuf);
    }
  for (UINT format = 0xC000; !GetClipboardFormatName(format).empty(); ++format)
    for (GdkAtom atom : FormatAtoms(format)) {
      if (std::find(targets, targets + count, atom) == targets + count)
        continue;
      if (GtkSelectionData* selection = gtk_clipboard_wait_for_contents(clipboard, atom)) {
        gint length = gtk_selection_data_get_length(selection);
        if (length >= 0)
          result.emplace_back(format, std::string(reinterpret_cast<const char*>(
                                                      gtk_selection_data_get_data(selection)),
                                                  static_cast<std::size_t>(length)));
        gtk_selection_data_free(selection);
      }
      break;
    }
  g_free(targets);
  return result;
}

} // namespace

// ---- Public functions
// ---------------------------------------------------------------------------------

bool InstallGtkBackend()
{
  if (!gBackend) {
    // One screen pixel is one of our pixels: 96 pixels per inch, no scaling.
    g_setenv("GDK_SCALE", "1", TRUE);
    g_setenv("GDK_DPI_SCALE", "1", TRUE);
    if (!gtk_init_check(nullptr, nullptr))
      return false;
    gBackend = new TGtkBackend();
    gBackend->UpdateMonitors();
    ApplyDesktopSettings();
    WatchDesktopSettings();
  }
  SetWindowBackend(gBackend);
  InstallGtkDialogService();
  return true;
}

TWindowBackend* GtkBackend()
{
  return gBackend;
}

GtkWidget* GtkWindowOf(HWND hwnd)
{
  return gBackend ? gBackend->WindowOf(hwnd) : nullptr;
}

void GtkProcessEvents(Integer maxMs)
{
  gint64 end = g_get_monotonic_time() + static_cast<gint64>(std::max<Integer>(maxMs, 0)) * 1000;
  GMainContext* context = g_main_context_default();
  for (;;) {
    bool any = false;
    while (g_get_monotonic_time() < end && g_main_context_iteration(context, FALSE))
      any = true;
    while (g_get_monotonic_time() < end && ProcessQueuedMessage())
      any = true;
    RunIdleHook();
    if (gBackend)
      gBackend->SyncIdle();
    if (!any || g_get_monotonic_time() >= end)
      return;
  }
}
