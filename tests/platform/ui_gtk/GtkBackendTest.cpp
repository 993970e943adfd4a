// The GTK backend on a virtual X display: forms shown as native windows that follow our
// geometry, caption, stacking, shape and minimized state (and the other way round), their
// pixels on the display, input the display delivers reaching our controls through the
// window manager, the application's and modal loops waiting on the GLib main context,
// popups, overlays, capture, cursors, the clipboard and the monitors.
#include "platform/ui/backend/gtk/GtkBackend.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/SampleWaybill.h"

namespace {

using TTrace = std::vector<std::string>;

// Runs the display's events and our messages until done() holds or timeoutMs passed.
bool WaitUntil(const std::function<bool()>& done, Integer timeoutMs = 2000)
{
  gint64 end = g_get_monotonic_time() + gint64(timeoutMs) * 1000;
  for (;;) {
    gdk_display_sync(gdk_display_get_default());
    GtkProcessEvents(20);
    if (done())
      return true;
    if (g_get_monotonic_time() >= end)
      return false;
    g_usleep(2000);
  }
}

void Settle(Integer ms = 150)
{
  gint64 end = g_get_monotonic_time() + gint64(ms) * 1000;
  while (g_get_monotonic_time() < end) {
    gdk_display_sync(gdk_display_get_default());
    GtkProcessEvents(10);
    g_usleep(2000);
  }
}

GdkWindow* NativeOf(HWND hwnd)
{
  GtkWidget* w = GtkWindowOf(hwnd);
  return w ? gtk_widget_get_window(w) : nullptr;
}

// The native window's place on the screen, as the X server has it.
TRect NativeRect(HWND hwnd)
{
  GdkWindow* gw = NativeOf(hwnd);
  if (!gw || !gdk_window_is_visible(gw))
    return TRect();
  gint x = 0, y = 0;
  gdk_window_get_origin(gw, &x, &y);
  return Rect(x, y, x + gdk_window_get_width(gw), y + gdk_window_get_height(gw));
}

std::string NativeTitle(HWND hwnd)
{
  GtkWidget* w = GtkWindowOf(hwnd);
  const char* t = w ? gtk_window_get_title(GTK_WINDOW(w)) : nullptr;
  return t ? t : "";
}

// A windowless control painting through OnPaint.
class TTestPaintBox : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;
  TNotifyEvent OnPaint;

protected:
  void Paint() override
  {
    if (OnPaint)
      OnPaint(this);
  }
};

// A focusable windowed control.
class TTestControl : public TCustomControl {
public:
  explicit TTestControl(TComponent* AOwner) : TCustomControl(AOwner)
  {
    SetTabStop(true);
    SetColor(clWhite);
  }
};

template <class T> T* Make(TWinControl* parent, TRect bounds)
{
  T* c = new T(parent);
  c->SetBoundsRect(bounds);
  c->SetParent(parent);
  return c;
}

TForm* MakeForm(const AnsiString& caption, TRect bounds)
{
  auto* f = new TForm(nullptr);
  f->SetCaption(caption);
  f->SetBoundsRect(bounds);
  return f;
}

// Simulated pointer and key input, sent by the X server to the control's native window.
struct TSim {
  static TPoint InNative(TControl* c, TPoint client)
  {
    TPoint screen = c->ClientToScreen(client);
    TRect top =
        NativeRect(GetAncestor(static_cast<TWinControl*>(GetParentForm(c))->Handle(), GA_ROOT));
    return {screen.X - top.Left, screen.Y - top.Top};
  }
  static void Button(TControl* c, TPoint client, guint button, GdkEventType type,
                     GdkModifierType mods = GdkModifierType(0))
  {
    HWND form = GetParentForm(c)->Handle();
    TPoint p = InNative(c, client);
    ASSERT_TRUE(gdk_test_simulate_button(NativeOf(form), p.X, p.Y, button, mods, type));
  }
  static void Click(TControl* c, TPoint client, guint button = 1)
  {
    Button(c, client, button, GDK_BUTTON_PRESS);
    Button(c, client, button, GDK_BUTTON_RELEASE);
  }
  static void KeyEvent(TCustomForm* form, guint keyval, guint mods, GdkEventType type)
  {
    ASSERT_TRUE(gdk_test_simulate_key(NativeOf(form->Handle()), -1, -1, keyval,
                                      GdkModifierType(mods), type));
  }
  static void Key(TCustomForm* form, guint keyval, guint mods = 0)
  {
    KeyEvent(form, keyval, mods, GDK_KEY_PRESS);
    KeyEvent(form, keyval, mods, GDK_KEY_RELEASE);
  }
};

class GtkBackendTest : public testing::Test {
protected:
  static void SetUpTestSuite()
  {
    // The input method every display has: compose sequences and Ctrl+Shift+U code entry.
    g_setenv("GTK_IM_MODULE", "gtk-im-context-simple", TRUE);
    // Simulated input is sent as core X events, which GDK only reads in this mode.
    g_setenv("GDK_CORE_DEVICE_EVENTS", "1", TRUE);
  }
  void SetUp() override
  {
    ASSERT_TRUE(InstallGtkBackend()) << "no display (run under xvfb-run)";
    ResetWindowManager();
    Application()->Restart();
  }
  void TearDown() override
  {
    while (Screen()->FormCount() > 0)
      delete Screen()->Forms(Screen()->FormCount() - 1);
    Application()->Restart();
    ResetWindowManager();
    Settle(30);
  }
  // Shows the form and waits until the X server maps it where our window is.
  static void ShowAndWait(TForm* form)
  {
    form->Show();
    HWND h = form->Handle();
    ASSERT_TRUE(WaitUntil([h] {
      TRect r;
      GetWindowRect(h, r);
      return NativeRect(h) == r;
    })) << "the native window never matched our window";
    Settle();
  }
};

// ---- Windows
// -------------------------------------------------------------------------------------------

TEST_F(GtkBackendTest, AFormIsANativeWindowThatFollowsOurGeometryAndCaption)
{
  TForm* form = MakeForm("运单 打印", Bounds(100, 80, 320, 200));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  HWND h = form->Handle();
  EXPECT_EQ(NativeRect(h), Rect(100, 80, 420, 280));
  EXPECT_EQ(NativeTitle(h), GbkToUtf8("运单 打印")) << "the title in UTF-8";
  GtkWidget* native = GtkWindowOf(h);
  EXPECT_EQ(gtk_window_get_window_type(GTK_WINDOW(native)), GTK_WINDOW_TOPLEVEL);
  EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(native))) << "our own frame is the decoration";

  form->SetBounds(150, 120, 400, 260);
  EXPECT_TRUE(WaitUntil([h] { return NativeRect(h) == Rect(150, 120, 550, 380); }));
  form->SetCaption("新标题");
  EXPECT_TRUE(WaitUntil([h] { return NativeTitle(h) == GbkToUtf8("新标题"); }));

  // The display moves and sizes the window: our form follows.
  Settle(600);
  gdk_window_move_resize(NativeOf(h), 60, 70, 300, 220);
  EXPECT_TRUE(WaitUntil([form] { return form->BoundsRect() == Rect(60, 70, 360, 290); }))
      << "form at " << form->Left() << "," << form->Top() << " " << form->Width() << "x"
      << form->Height();
  EXPECT_EQ(form->ClientWidth(), 300 - (form->Width() - form->ClientWidth()));

  form->Hide();
  EXPECT_TRUE(WaitUntil([h] { return !gdk_window_is_visible(NativeOf(h)); }));
  form->Show();
  EXPECT_TRUE(WaitUntil([h] { return NativeOf(h) && gdk_window_is_visible(NativeOf(h)); }));
  delete form;
  EXPECT_EQ(GtkWindowOf(h), nullptr);
}

TEST_F(GtkBackendTest, TheDesktopMinimizesRestoresAndClosesAForm)
{
  TForm* form = MakeForm("最小化", Bounds(100, 80, 320, 200));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  auto state = [form](GdkWindowState now) {
    GdkEvent* e = gdk_event_new(GDK_WINDOW_STATE);
    e->window_state.window = GDK_WINDOW(g_object_ref(NativeOf(form->Handle())));
    e->window_state.changed_mask = GDK_WINDOW_STATE_ICONIFIED;
    e->window_state.new_window_state = now;
    gdk_event_put(e);
    gdk_event_free(e);
  };
  state(GDK_WINDOW_STATE_ICONIFIED);
  EXPECT_TRUE(WaitUntil([form] { return form->WindowState() == wsMinimized; }));
  EXPECT_TRUE(IsIconic(form->Handle()));
  state(GdkWindowState(0));
  EXPECT_TRUE(WaitUntil([form] { return form->WindowState() == wsNormal; }));
  EXPECT_FALSE(IsIconic(form->Handle()));
  EXPECT_EQ(NativeRect(form->Handle()), Rect(100, 80, 420, 280));

  // The desktop's close button closes the form the way its own does.
  bool closed = false;
  form->OnClose = [&closed](TObject*, TCloseAction& action) {
    closed = true;
    action = caHide;
  };
  GdkEvent* e = gdk_event_new(GDK_DELETE);
  e->any.window = GDK_WINDOW(g_object_ref(NativeOf(form->Handle())));
  gdk_event_put(e);
  gdk_event_free(e);
  EXPECT_TRUE(WaitUntil([&closed] { return closed; }));
  EXPECT_FALSE(form->Visible());
}

TEST_F(GtkBackendTest, PixelsOnTheDisplayAreOurSurfaceAndAScreenshotIsWritten)
{
  TForm* form = MakeForm("运单打印 - 预览", Bounds(40, 30, 360, 220));
  auto* box = Make<TTestPaintBox>(form, Bounds(10, 10, 330, 140));
  box->OnPaint = [box](TObject*) { PaintSampleWaybill(box->Canvas(), box->ClientRect()); };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  HWND h = form->Handle();
  TImageSurface* surface = WindowSurface(h);
  ASSERT_NE(surface, nullptr);

  GdkPixbuf* shot = gdk_pixbuf_get_from_window(NativeOf(h), 0, 0, form->Width(), form->Height());
  ASSERT_NE(shot, nullptr);
  ASSERT_EQ(gdk_pixbuf_get_width(shot), form->Width());
  const guchar* pixels = gdk_pixbuf_get_pixels(shot);
  int stride = gdk_pixbuf_get_rowstride(shot), channels = gdk_pixbuf_get_n_channels(shot);
  auto native = [&](Integer x, Integer y) {
    const guchar* p = pixels + y * stride + x * channels;
    return static_cast<TColor>(p[0] | (p[1] << 8) | (p[2] << 16));
  };
  TPoint o = box->ClientToScreen({0, 0});
  o.X -= form->Left();
  o.Y -= form->Top();
  for (const TSampleProbe& p : SampleWaybillProbes())
    EXPECT_EQ(native(o.X + p.X, o.Y + p.Y), p.Color) << p.What;
  Integer differing = 0;
  for (Integer y = 0; y < form->Height(); ++y)
    for (Integer x = 0; x < form->Width(); ++x)
      differing += native(x, y) != surface->Pixel(x, y);
  EXPECT_EQ(differing, 0) << "the display shows exactly our surface";

  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  std::string file = (dir / "gtk_form_screenshot.png").string();
  ASSERT_TRUE(gdk_pixbuf_save(shot, file.c_str(), "png", nullptr, nullptr));
  EXPECT_GT(std::filesystem::file_size(file), 1000u);
  g_object_unref(shot);
}

// ---- Input
// ------------------------------------------------------------------------------------------------

TEST_F(GtkBackendTest, PointerInputReachesOurControls)
{
  TTrace t;
  TForm* form = MakeForm("鼠标", Bounds(200, 150, 300, 200));
  auto* a = Make<TTestControl>(form, Bounds(10, 10, 120, 80));
  a->OnMouseDown = [&t](TObject*, TMouseButton b, TShiftState s, Integer x, Integer y) {
    t.push_back("down(" + std::to_string(b) + (s.Contains(ssShift) ? ",shift" : "") + "," +
                std::to_string(x) + "," + std::to_string(y) + ")");
  };
  a->OnMouseUp = [&t](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
    t.push_back("up(" + std::to_string(x) + "," + std::to_string(y) + ")");
  };
  a->OnClick = [&t](TObject*) { t.push_back("click"); };
  a->OnDblClick = [&t](TObject*) { t.push_back("dblclick"); };
  a->OnMouseWheel = [&t](TObject*, TShiftState, Integer delta, TPoint, bool& handled) {
    t.push_back("wheel(" + std::to_string(delta) + ")");
    handled = true;
  };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));

  TSim::Click(a, {5, 6});
  EXPECT_TRUE(WaitUntil([&t] { return t.size() >= 3; }));
  EXPECT_EQ(t, (TTrace{"down(0,5,6)", "click", "up(5,6)"}));

  // A second click soon after at the same spot: our own timing makes it a double click.
  t.clear();
  TSim::Click(a, {5, 6});
  EXPECT_TRUE(WaitUntil([&t] { return t.size() >= 3; }));
  ASSERT_GE(t.size(), 3u);
  EXPECT_EQ(t[0], "dblclick");
  EXPECT_EQ(t[1], "down(0,5,6)");
  EXPECT_EQ(t.back(), "up(5,6)");

  t.clear();
  Settle(600);
  TSim::Button(a, {20, 30}, 3, GDK_BUTTON_PRESS, GDK_SHIFT_MASK);
  TSim::Button(a, {20, 30}, 3, GDK_BUTTON_RELEASE, GDK_SHIFT_MASK);
  EXPECT_TRUE(WaitUntil([&t] { return t.size() >= 2; }));
  EXPECT_EQ(t, (TTrace{"down(1,shift,20,30)", "up(20,30)"}))
      << "right button, shift from the event's state";

  // The wheel: the focused control hears a notch per step.
  a->SetFocus();
  t.clear();
  TSim::Click(a, {40, 40}, 4);
  TSim::Click(a, {40, 40}, 5);
  EXPECT_TRUE(WaitUntil([&t] { return t.size() >= 2; }));
  EXPECT_EQ(t, (TTrace{"wheel(120)", "wheel(-120)"}));
}

// Motion, crossing and smooth-scroll events as GDK hands them to the window (put into
// GDK's queue, so they take the same way as the display's).
struct TPut {
  static GdkDevice* Pointer()
  {
    return gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
  }
  static void Finish(GdkEvent* e, HWND form)
  {
    gdk_event_set_device(e, Pointer());
    gdk_event_put(e);
    gdk_event_free(e);
    // GDK holds the last motion event back until the window's next frame flushes events;
    // events from the display ask for that frame themselves.
    gdk_frame_clock_request_phase(gdk_window_get_frame_clock(NativeOf(form)),
                                  GDK_FRAME_CLOCK_PHASE_FLUSH_EVENTS);
  }
  static TRect Top(HWND form) { return NativeRect(form); }
  static void Motion(HWND form, TPoint screen, guint state = 0)
  {
    GdkEvent* e = gdk_event_new(GDK_MOTION_NOTIFY);
    e->motion.window = GDK_WINDOW(g_object_ref(NativeOf(form)));
    e->motion.time = GDK_CURRENT_TIME;
    e->motion.x_root = screen.X;
    e->motion.y_root = screen.Y;
    e->motion.x = screen.X - Top(form).Left;
    e->motion.y = screen.Y - Top(form).Top;
    e->motion.state = state;
    Finish(e, form);
  }
  static void Crossing(HWND form, GdkEventType type, TPoint screen)
  {
    GdkEvent* e = gdk_event_new(type);
    e->crossing.window = GDK_WINDOW(g_object_ref(NativeOf(form)));
    e->crossing.x_root = screen.X;
    e->crossing.y_root = screen.Y;
    e->crossing.x = screen.X - Top(form).Left;
    e->crossing.y = screen.Y - Top(form).Top;
    e->crossing.mode = GDK_CROSSING_NORMAL;
    e->crossing.detail = GDK_NOTIFY_ANCESTOR;
    Finish(e, form);
  }
  static void Scroll(HWND form, TPoint screen, gdouble dy)
  {
    GdkEvent* e = gdk_event_new(GDK_SCROLL);
    e->scroll.window = GDK_WINDOW(g_object_ref(NativeOf(form)));
    e->scroll.x_root = screen.X;
    e->scroll.y_root = screen.Y;
    e->scroll.x = screen.X - Top(form).Left;
    e->scroll.y = screen.Y - Top(form).Top;
    e->scroll.direction = GDK_SCROLL_SMOOTH;
    e->scroll.delta_y = dy;
    Finish(e, form);
  }
};

TEST_F(GtkBackendTest, MotionCrossingAndSmoothScrollReachOurControls)
{
  TTrace t;
  TForm* form = MakeForm("移动", Bounds(200, 150, 300, 200));
  auto* a = Make<TTestControl>(form, Bounds(10, 10, 100, 60));
  auto* b = Make<TTestControl>(form, Bounds(150, 10, 100, 60));
  for (auto [c, n] : {std::pair<TControl*, std::string>{a, "a"}, {b, "b"}}) {
    std::string name = n;
    c->OnMouseEnter = [&t, name](TObject*) { t.push_back(name + ".enter"); };
    c->OnMouseLeave = [&t, name](TObject*) { t.push_back(name + ".leave"); };
    c->OnMouseMove = [&t, name](TObject*, TShiftState, Integer x, Integer y) {
      t.push_back(name + ".move(" + std::to_string(x) + "," + std::to_string(y) + ")");
    };
  }
  a->OnMouseWheel = [&t](TObject*, TShiftState, Integer delta, TPoint, bool& handled) {
    t.push_back("wheel(" + std::to_string(delta) + ")");
    handled = true;
  };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  HWND h = form->Handle();

  TPut::Crossing(h, GDK_ENTER_NOTIFY, a->ClientToScreen({5, 5}));
  TPut::Motion(h, a->ClientToScreen({6, 7}));
  EXPECT_TRUE(WaitUntil([&t] { return std::find(t.begin(), t.end(), "a.move(6,7)") != t.end(); }));
  TPut::Motion(h, b->ClientToScreen({1, 2}));
  EXPECT_TRUE(WaitUntil([&t] { return std::find(t.begin(), t.end(), "b.enter") != t.end(); }));
  EXPECT_NE(std::find(t.begin(), t.end(), "a.enter"), t.end());
  EXPECT_LT(std::find(t.begin(), t.end(), "a.leave"), std::find(t.begin(), t.end(), "b.enter"));

  // Leaving the window for a place outside our windows: the control hears it.
  t.clear();
  TPut::Crossing(h, GDK_LEAVE_NOTIFY, {900, 900});
  EXPECT_TRUE(WaitUntil([&t] { return std::find(t.begin(), t.end(), "b.leave") != t.end(); }));

  // Smooth scrolling adds up to whole notches.
  a->SetFocus();
  t.clear();
  for (int i = 0; i < 4; ++i)
    TPut::Scroll(h, a->ClientToScreen({5, 5}), 0.5);
  TPut::Scroll(h, a->ClientToScreen({5, 5}), -1.0);
  Settle(100);
  TTrace wheel;
  std::copy_if(t.begin(), t.end(), std::back_inserter(wheel),
               [](const std::string& s) { return s[0] == 'w'; });
  EXPECT_EQ(wheel, (TTrace{"wheel(-120)", "wheel(-120)", "wheel(120)"}));
}

TEST_F(GtkBackendTest, KeysAndInputMethodTextReachTheFocusedControl)
{
  TTrace t;
  TForm* form = MakeForm("键盘", Bounds(200, 150, 300, 200));
  auto* a = Make<TTestControl>(form, Bounds(10, 10, 120, 80));
  a->OnKeyDown = [&t](TObject*, Word& key, TShiftState s) {
    t.push_back("key(" + std::to_string(key) + (s.Contains(ssCtrl) ? ",ctrl" : "") + ")");
  };
  auto bytes = std::make_shared<std::string>();
  a->OnKeyPress = [&t, bytes](TObject*, char& c) {
    unsigned char u = static_cast<unsigned char>(c);
    *bytes += c;
    t.push_back(u < 0x80 ? std::string("char(") + c + ")" : "byte");
  };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  a->SetFocus();
  ASSERT_EQ(GetFocus(), a->Handle());

  TSim::Key(form, GDK_KEY_a);
  TSim::Key(form, GDK_KEY_A, GDK_SHIFT_MASK);
  TSim::Key(form, GDK_KEY_Return);
  TSim::Key(form, GDK_KEY_F5);
  TSim::Key(form, GDK_KEY_c, GDK_CONTROL_MASK);
  EXPECT_TRUE(WaitUntil([&t] { return t.size() >= 11; }));
  EXPECT_EQ(t, (TTrace{"key(65)", "char(a)", "key(16)", "key(65)", "char(A)", "key(13)", "char(\r)",
                       "key(116)", "key(17,ctrl)", "key(67,ctrl)", "char(\x03)"}));
  EXPECT_NE(GetAsyncKeyState(VK_CONTROL), 0) << "Ctrl as the last event's state had it";

  // Code entry through the input method: the keys it keeps arrive as VK_PROCESSKEY, the
  // committed character as GBK bytes.
  t.clear();
  bytes->clear();
  TSim::KeyEvent(form, GDK_KEY_Control_L, 0, GDK_KEY_PRESS);
  TSim::KeyEvent(form, GDK_KEY_Shift_L, GDK_CONTROL_MASK, GDK_KEY_PRESS);
  TSim::Key(form, GDK_KEY_U, GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  TSim::KeyEvent(form, GDK_KEY_Shift_L, GDK_CONTROL_MASK | GDK_SHIFT_MASK, GDK_KEY_RELEASE);
  TSim::KeyEvent(form, GDK_KEY_Control_L, GDK_CONTROL_MASK, GDK_KEY_RELEASE);
  for (guint k : {GDK_KEY_4, GDK_KEY_e, GDK_KEY_2, GDK_KEY_d, GDK_KEY_space})
    TSim::Key(form, k);
  EXPECT_TRUE(WaitUntil([bytes] { return bytes->size() >= 2; }));
  Settle(100);
  EXPECT_EQ(*bytes, "中");
  Integer processKeys = 0;
  for (const std::string& s : t)
    processKeys += s == "key(229)";
  EXPECT_GE(processKeys, 5) << "every key the method kept";
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);

  // A character GBK cannot hold is dropped with a beep.
  bytes->clear();
  Integer beeps = BeepCount();
  TSim::KeyEvent(form, GDK_KEY_Control_L, 0, GDK_KEY_PRESS);
  TSim::KeyEvent(form, GDK_KEY_Shift_L, GDK_CONTROL_MASK, GDK_KEY_PRESS);
  TSim::Key(form, GDK_KEY_U, GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  TSim::KeyEvent(form, GDK_KEY_Shift_L, GDK_CONTROL_MASK | GDK_SHIFT_MASK, GDK_KEY_RELEASE);
  TSim::KeyEvent(form, GDK_KEY_Control_L, GDK_CONTROL_MASK, GDK_KEY_RELEASE);
  for (guint k : {GDK_KEY_1, GDK_KEY_f, GDK_KEY_6, GDK_KEY_0, GDK_KEY_0, GDK_KEY_space})
    TSim::Key(form, k);
  EXPECT_TRUE(WaitUntil([beeps] { return BeepCount() > beeps; }));
  EXPECT_EQ(*bytes, "");

  // With the input method switched off the same keys are plain keys.
  a->SetImeMode(imDisable);
  bytes->clear();
  TSim::KeyEvent(form, GDK_KEY_Control_L, 0, GDK_KEY_PRESS);
  TSim::KeyEvent(form, GDK_KEY_Shift_L, GDK_CONTROL_MASK, GDK_KEY_PRESS);
  TSim::Key(form, GDK_KEY_U, GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  TSim::KeyEvent(form, GDK_KEY_Shift_L, GDK_CONTROL_MASK | GDK_SHIFT_MASK, GDK_KEY_RELEASE);
  TSim::KeyEvent(form, GDK_KEY_Control_L, GDK_CONTROL_MASK, GDK_KEY_RELEASE);
  for (guint k : {GDK_KEY_4, GDK_KEY_e, GDK_KEY_space})
    TSim::Key(form, k);
  EXPECT_TRUE(WaitUntil([bytes] { return bytes->find(' ') != std::string::npos; }));
  EXPECT_EQ(*bytes, "\x15"
                    "4e ")
      << "Ctrl+Shift+U as a control character, then the keys as typed";
}

TEST_F(GtkBackendTest, GetMessageWaitsOnTheDisplayAndOnOurTimers)
{
  TForm* form = MakeForm("等待", Bounds(200, 150, 300, 200));
  auto* a = Make<TTestControl>(form, Bounds(10, 10, 120, 80));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  // A guard: should nothing arrive, a GLib timeout ends the loop.
  static bool guardFired = false;
  guardFired = false;
  guint guard = g_timeout_add(
      3000,
      +[](gpointer) -> gboolean {
        guardFired = true;
        PostQuitMessage(7);
        return G_SOURCE_REMOVE;
      },
      nullptr);

  auto* timer = new TTimer(form);
  Integer ticks = 0;
  timer->SetInterval(100);
  timer->SetOnTimer([&ticks, timer](TObject*) {
    if (++ticks == 2)
      timer->SetEnabled(false);
  });
  gint64 start = g_get_monotonic_time();
  MSG m;
  while (ticks < 2 && GetMessage(m, 0, 0, 0)) {
    TranslateMessage(m);
    DispatchMessage(m);
  }
  gint64 elapsedMs = (g_get_monotonic_time() - start) / 1000;
  EXPECT_EQ(ticks, 2);
  EXPECT_GE(elapsedMs, 190);
  EXPECT_LT(elapsedMs, 1500);

  // Input from the display wakes a waiting GetMessage.
  g_timeout_add(
      50,
      +[](gpointer control) -> gboolean {
        TSim::Click(static_cast<TControl*>(control), {3, 4});
        return G_SOURCE_REMOVE;
      },
      a);
  bool pressed = false;
  while (!pressed && GetMessage(m, 0, 0, 0)) {
    pressed = m.message == WM_LBUTTONDOWN && m.hwnd == a->Handle();
    TranslateMessage(m);
    DispatchMessage(m);
  }
  EXPECT_TRUE(pressed);
  if (!guardFired)
    g_source_remove(guard);
  PeekMessage(m, 0, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The application's loop and a modal dialog's nested loop, both waiting on the GLib main
// context, driven by clicks the display delivers.
struct TDialogScript {
  TForm* Main = nullptr;
  TButton* Open = nullptr;
  TForm* Dialog = nullptr;
  TButton* Ok = nullptr;
  TModalResult Result = mrNone;
  bool GuardFired = false;
};

TEST_F(GtkBackendTest, TheApplicationLoopAndAModalDialogRunOnTheDisplaysEvents)
{
  static TDialogScript s;
  s = TDialogScript();
  Application()->CreateForm(s.Main);
  s.Main->SetCaption("主窗体");
  s.Main->SetBoundsRect(Bounds(100, 100, 300, 200));
  s.Open = Make<TButton>(s.Main, Bounds(20, 20, 100, 30));
  s.Open->SetCaption("打开");
  s.Open->OnClick = [](TObject*) {
    s.Dialog = MakeForm("对话框", Bounds(200, 200, 240, 140));
    s.Ok = Make<TButton>(s.Dialog, Bounds(60, 50, 100, 30));
    s.Ok->SetCaption("确定");
    s.Ok->SetModalResult(mrOk);
    s.Result = s.Dialog->ShowModal();
    delete s.Dialog;
    s.Dialog = nullptr;
    s.Main->Close();
  };
  // The user: clicks the button once the main form is on the display, then OK once the
  // dialog is there.
  guint user = g_timeout_add(
      50,
      +[](gpointer) -> gboolean {
        if (s.Dialog && s.Ok && NativeRect(s.Dialog->Handle()).Width() > 0 &&
            IsWindowVisible(s.Ok->Handle())) {
          TSim::Click(s.Ok, {10, 10});
          s.Ok = nullptr;
          return G_SOURCE_CONTINUE;
        }
        if (!s.Dialog && s.Open && s.Main->Showing() && NativeRect(s.Main->Handle()).Width() > 0) {
          TSim::Click(s.Open, {10, 10});
          s.Open = nullptr;
        }
        return G_SOURCE_CONTINUE;
      },
      nullptr);
  guint guard = g_timeout_add(
      5000,
      +[](gpointer) -> gboolean {
        s.GuardFired = true;
        Application()->Terminate();
        if (s.Dialog)
          s.Dialog->SetModalResult(mrAbort);
        return G_SOURCE_REMOVE;
      },
      nullptr);
  Application()->Run();
  g_source_remove(user);
  if (!s.GuardFired)
    g_source_remove(guard);
  EXPECT_FALSE(s.GuardFired) << "the script did not finish";
  EXPECT_EQ(s.Result, mrOk);
  EXPECT_TRUE(Application()->Terminated());
}

// ---- Popups and capture
// --------------------------------------------------------------------------------------

TEST_F(GtkBackendTest, PopupsAreOverrideRedirectAndLeaveTheKeyboardWithTheirOwner)
{
  TForm* form = MakeForm("主窗口", Bounds(100, 100, 400, 300));
  auto* a = Make<TTestControl>(form, Bounds(10, 10, 120, 80));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  a->SetFocus();
  WNDCLASS wc;
  wc.lpszClassName = "GtkTestPopup";
  wc.lpfnWndProc = &DefWindowProc;
  wc.hbrBackground = clInfoBk + 1;
  RegisterClass(wc);
  HWND popup = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "GtkTestPopup", "提示",
                              WS_POPUP | WS_BORDER, 150, 200, 120, 30, form->Handle());
  ASSERT_NE(popup, 0u);
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(WaitUntil([popup] { return NativeRect(popup) == Rect(150, 200, 270, 230); }));
  GtkWidget* native = GtkWindowOf(popup);
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(gtk_window_get_window_type(GTK_WINDOW(native)), GTK_WINDOW_POPUP);
  EXPECT_TRUE(gdk_window_get_type_hint(NativeOf(popup)) == GDK_WINDOW_TYPE_HINT_POPUP_MENU);
  EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(native)),
            GTK_WINDOW(GtkWindowOf(form->Handle())));
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_EQ(GetFocus(), a->Handle());

  // Capture grabs the pointer for the display; releasing it ends the grab.
  GdkDisplay* display = gdk_display_get_default();
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
  SetCapture(a->Handle());
  EXPECT_TRUE(gdk_display_device_is_grabbed(display, pointer));
  ReleaseCapture();
  EXPECT_TRUE(
      WaitUntil([display, pointer] { return !gdk_display_device_is_grabbed(display, pointer); }));
  DestroyWindow(popup);
}

// The colour the display shows at a screen point (whatever window is in front there).
TColor ScreenColor(TPoint p)
{
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), p.X, p.Y, 1, 1);
  if (!shot)
    return -1;
  const guchar* px = gdk_pixbuf_get_pixels(shot);
  TColor c = px[0] | (px[1] << 8) | (px[2] << 16);
  g_object_unref(shot);
  return c;
}

TEST_F(GtkBackendTest, TheDisplayStacksOurWindowsInOurOrder)
{
  TForm* a = MakeForm("甲", Bounds(100, 100, 300, 200));
  a->SetColor(clRed);
  TForm* b = MakeForm("乙", Bounds(250, 150, 300, 200));
  b->SetColor(clBlue);
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(a));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(b));
  TPoint overlap{320, 250};
  EXPECT_TRUE(WaitUntil([&] { return ScreenColor(overlap) == clBlue; }))
      << "the form shown last is in front";
  a->SetFocus();
  EXPECT_EQ(GetActiveWindow(), a->Handle());
  EXPECT_TRUE(WaitUntil([&] { return ScreenColor(overlap) == clRed; }))
      << "the activated form comes to the front";
  b->SetFormStyle(fsStayOnTop);
  a->SetFocus();
  EXPECT_TRUE(WaitUntil([&] { return ScreenColor(overlap) == clBlue; }))
      << "a stay-on-top form stays in front";
}

TEST_F(GtkBackendTest, OverlayItemsShowAboveOurWindows)
{
  TForm* form = MakeForm("叠加", Bounds(100, 100, 300, 200));
  form->SetColor(clRed);
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  HOVERLAY copy = CreateOverlay(Bounds(150, 160, 50, 50), omCopy);
  OverlayCanvas(copy)->Brush()->SetColor(clBlue);
  OverlayCanvas(copy)->FillRect(Rect(0, 0, 50, 50));
  OverlayChanged(copy);
  HOVERLAY inverse = CreateOverlay(Bounds(220, 160, 40, 40), omXor);
  OverlayCanvas(inverse)->Brush()->SetColor(clWhite);
  OverlayCanvas(inverse)->FillRect(Rect(0, 0, 40, 40));
  OverlayChanged(inverse);
  EXPECT_TRUE(WaitUntil([] { return ScreenColor({170, 180}) == clBlue; }));
  EXPECT_TRUE(WaitUntil([] { return ScreenColor({230, 180}) == clAqua; })) << "red inverted";
  EXPECT_EQ(ScreenColor({290, 180}), clRed) << "beside the items";

  MoveOverlay(copy, {300, 160});
  EXPECT_TRUE(WaitUntil([] {
    return ScreenColor({170, 180}) == clRed && ScreenColor({320, 180}) == clBlue;
  }));
  DestroyOverlay(copy);
  DestroyOverlay(inverse);
  EXPECT_TRUE(WaitUntil([] {
    return ScreenColor({230, 180}) == clRed && ScreenColor({320, 180}) == clRed;
  }));
}

TEST_F(GtkBackendTest, AWindowRegionShapesTheNativeWindow)
{
  TForm* form = MakeForm("形状", Bounds(100, 100, 300, 200));
  form->SetColor(clRed);
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  EXPECT_TRUE(WaitUntil([] { return ScreenColor({350, 150}) == clRed; }));
  // The top right quarter cut away.
  TRegion shape = TRegion(Rect(0, 0, 150, 200)).Combine(TRegion(Rect(150, 100, 300, 200)), RGN_OR);
  SetWindowRgn(form->Handle(), &shape, true);
  EXPECT_TRUE(WaitUntil([] {
    return ScreenColor({350, 150}) != clRed;
  })) << "the cut part shows what lies below";
  EXPECT_EQ(ScreenColor({350, 250}), clRed);
  SetWindowRgn(form->Handle(), nullptr, true);
  EXPECT_TRUE(WaitUntil([] { return ScreenColor({350, 150}) == clRed; }));
}

TEST_F(GtkBackendTest, TheKeyboardFollowsOurActivation)
{
  TForm* a = MakeForm("甲", Bounds(100, 100, 300, 200));
  TForm* b = MakeForm("乙", Bounds(250, 150, 300, 200));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(a));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(b));
  GtkWindow* na = GTK_WINDOW(GtkWindowOf(a->Handle()));
  GtkWindow* nb = GTK_WINDOW(GtkWindowOf(b->Handle()));
  EXPECT_TRUE(WaitUntil([nb] { return gtk_window_is_active(nb); }));
  b->Hide();
  EXPECT_EQ(GetActiveWindow(), a->Handle());
  EXPECT_TRUE(WaitUntil([na] { return gtk_window_is_active(na); }))
      << "the display's focus came back to the form";
  b->Show();
  a->SetFocus();
  EXPECT_TRUE(WaitUntil([na] { return gtk_window_is_active(na); }));

  // A window shown without activation leaves the keyboard where it is.
  TForm* c = MakeForm("丙", Bounds(500, 150, 200, 100));
  c->HandleNeeded();
  ShowWindow(c->Handle(), SW_SHOWNOACTIVATE);
  EXPECT_TRUE(WaitUntil([c] { return NativeRect(c->Handle()).Width() > 0; }));
  Settle(200);
  EXPECT_EQ(GetActiveWindow(), a->Handle());
  EXPECT_TRUE(gtk_window_is_active(na));
  EXPECT_FALSE(gtk_window_is_active(GTK_WINDOW(GtkWindowOf(c->Handle()))));
}

TEST_F(GtkBackendTest, DraggingTheCaptionMovesTheNativeWindowUnderAPointerGrab)
{
  TForm* form = MakeForm("拖动标题", Bounds(100, 100, 300, 200));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  HWND h = form->Handle();
  static TPoint start;
  start = {form->Left() + 100, form->Top() + 10}; // on the caption
  static HWND target;
  target = h;
  static bool grabbedDuringLoop;
  grabbedDuringLoop = false;
  // The pointer moves and is released while our move loop waits for input.
  g_timeout_add(
      100,
      +[](gpointer) -> gboolean {
        GdkDisplay* d = gdk_display_get_default();
        grabbedDuringLoop =
            gdk_display_device_is_grabbed(d, gdk_seat_get_pointer(gdk_display_get_default_seat(d)));
        TPut::Motion(target, {start.X + 30, start.Y + 20}, GDK_BUTTON1_MASK);
        return G_SOURCE_REMOVE;
      },
      nullptr);
  g_timeout_add(
      250,
      +[](gpointer) -> gboolean {
        TPut::Motion(target, {start.X + 60, start.Y + 40}, GDK_BUTTON1_MASK);
        return G_SOURCE_REMOVE;
      },
      nullptr);
  g_timeout_add(
      400,
      +[](gpointer) -> gboolean {
        TRect r = NativeRect(target);
        gdk_test_simulate_button(NativeOf(target), start.X + 60 - r.Left, start.Y + 40 - r.Top, 1,
                                 GDK_BUTTON1_MASK, GDK_BUTTON_RELEASE);
        return G_SOURCE_REMOVE;
      },
      nullptr);
  ASSERT_TRUE(
      gdk_test_simulate_button(NativeOf(h), 100, 10, 1, GdkModifierType(0), GDK_BUTTON_PRESS));
  EXPECT_TRUE(WaitUntil([form] {
    return form->Left() == 160 && form->Top() == 140 && GetCapture() == 0;
  })) << "form at "
      << form->Left() << "," << form->Top();
  EXPECT_TRUE(grabbedDuringLoop);
  EXPECT_TRUE(WaitUntil([h] { return NativeRect(h) == Rect(160, 140, 460, 340); }));
}

// ---- Input the display delivers in one burst
// ---------------------------------------------------------------------

// Press and release reach the display before our loop runs: the press's control takes the
// capture, and the release, routed when it is taken, follows it.
TEST_F(GtkBackendTest, AReleaseInThePressesBurstFollowsTheCaptureThePressTook)
{
  TTrace t;
  TForm* form = MakeForm("突发", Bounds(200, 150, 300, 200));
  auto* a = Make<TTestControl>(form, Bounds(10, 10, 100, 60));
  auto* b = Make<TTestControl>(form, Bounds(150, 10, 100, 60));
  a->OnMouseDown = [&t](TObject*, TMouseButton, TShiftState, Integer, Integer) {
    t.push_back("a.down");
  };
  a->OnMouseUp = [&t](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
    t.push_back("a.up(" + std::to_string(x) + "," + std::to_string(y) + ")");
  };
  b->OnMouseUp = [&t](TObject*, TMouseButton, TShiftState, Integer, Integer) {
    t.push_back("b.up");
  };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  TSim::Button(a, {5, 6}, 1, GDK_BUTTON_PRESS);
  TSim::Button(b, {7, 8}, 1, GDK_BUTTON_RELEASE);
  EXPECT_TRUE(WaitUntil([&t] { return t.size() >= 2; }));
  Settle(50);
  EXPECT_EQ(t, (TTrace{"a.down", "a.up(147,8)"})) << "in a's coordinates";
  EXPECT_EQ(GetCapture(), 0u);
}

// F2 moves the focus; the key typed right behind it goes where the focus is by then.
TEST_F(GtkBackendTest, AKeyTypedAheadGoesToTheFocusAHandlerMovedTo)
{
  TTrace t;
  TForm* form = MakeForm("预输入", Bounds(200, 150, 300, 200));
  auto* grid = Make<TTestControl>(form, Bounds(10, 10, 100, 60));
  auto* editor = Make<TTestControl>(form, Bounds(150, 10, 100, 60));
  grid->OnKeyDown = [editor](TObject*, Word& key, TShiftState) {
    if (key == VK_F2)
      editor->SetFocus();
  };
  grid->OnKeyPress = [&t](TObject*, char& c) { t.push_back(std::string("grid.") + c); };
  editor->OnKeyPress = [&t](TObject*, char& c) { t.push_back(std::string("editor.") + c); };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  grid->SetFocus();
  ASSERT_EQ(GetFocus(), grid->Handle());
  TSim::Key(form, GDK_KEY_F2);
  TSim::Key(form, GDK_KEY_x);
  EXPECT_TRUE(WaitUntil([&t] { return !t.empty(); }));
  EXPECT_EQ(t, TTrace{"editor.x"});
}

// Press on the caption, release further on, both queued before the loop runs: the move
// loop the press starts takes the release, offered first to the message-filter hooks, and
// the window follows.
TEST_F(GtkBackendTest, ACaptionDragInOneBurstMovesTheWindow)
{
  TForm* form = MakeForm("一次拖动", Bounds(100, 100, 300, 200));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  HWND h = form->Handle();
  static std::vector<std::pair<Integer, UINT>> filtered;
  static HHOOK filter = 0;
  filtered.clear();
  filter = SetWindowsHookEx(WH_MSGFILTER, [](Integer code, WPARAM w, LPARAM l) -> LRESULT {
    filtered.push_back({code, reinterpret_cast<MSG*>(l)->message});
    return CallNextHookEx(filter, code, w, l);
  });
  struct TUnhook {
    ~TUnhook() { UnhookWindowsHookEx(filter); }
  } unhook;
  ASSERT_TRUE(
      gdk_test_simulate_button(NativeOf(h), 100, 10, 1, GdkModifierType(0), GDK_BUTTON_PRESS));
  ASSERT_TRUE(
      gdk_test_simulate_button(NativeOf(h), 160, 50, 1, GDK_BUTTON1_MASK, GDK_BUTTON_RELEASE));
  EXPECT_TRUE(WaitUntil([form] { return form->Left() == 160 && form->Top() == 140; }))
      << "form at " << form->Left() << "," << form->Top();
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_NE(std::find(filtered.begin(), filtered.end(),
                      std::pair<Integer, UINT>{MSGF_MOVE, WM_LBUTTONUP}),
            filtered.end())
      << "the move loop offered the release to the hooks";
  EXPECT_TRUE(WaitUntil([h] { return NativeRect(h) == Rect(160, 140, 460, 340); }));
}

// ---- Hooks on the display's input
// -------------------------------------------------------------------------------

// A mouse hook that drops a click on an inactive form keeps it from activating; a keyboard
// hook drops a key before it is translated.
TEST_F(GtkBackendTest, HooksSeeTheDisplaysInputBeforeItActivatesOrIsTranslated)
{
  TTrace t;
  TForm* a = MakeForm("甲", Bounds(100, 100, 250, 150));
  TForm* b = MakeForm("乙", Bounds(400, 100, 250, 150));
  auto* inB = Make<TTestControl>(b, Bounds(10, 10, 100, 60));
  inB->OnMouseDown = [&t](TObject*, TMouseButton, TShiftState, Integer, Integer) {
    t.push_back("down");
  };
  inB->OnKeyPress = [&t](TObject*, char& c) { t.push_back(std::string("key.") + c); };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(a));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(b));
  a->SetFocus();
  ASSERT_EQ(GetActiveWindow(), a->Handle());
  // Simulated clicks warp the pointer: it goes back where it was for the tests after.
  GdkDisplay* display = gdk_display_get_default();
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
  gint px = 0, py = 0;
  gdk_device_get_position(pointer, nullptr, &px, &py);
  struct TPark {
    GdkDevice* Pointer;
    gint X, Y;
    ~TPark()
    {
      gdk_device_warp(Pointer, gdk_display_get_default_screen(gdk_display_get_default()), X, Y);
    }
  } park{pointer, px, py};
  static HHOOK mouse = 0;
  mouse = SetWindowsHookEx(WH_MOUSE, [](Integer code, WPARAM w, LPARAM l) -> LRESULT {
    if (code == HC_ACTION && w == WM_LBUTTONDOWN)
      return 1;
    return CallNextHookEx(mouse, code, w, l);
  });
  TSim::Click(inB, {5, 5});
  Settle(200);
  UnhookWindowsHookEx(mouse);
  EXPECT_EQ(GetActiveWindow(), a->Handle()) << "the dropped click activated nothing";
  EXPECT_TRUE(t.empty());

  TSim::Click(inB, {5, 5});
  EXPECT_TRUE(WaitUntil([&t] { return !t.empty(); }));
  EXPECT_EQ(GetActiveWindow(), b->Handle());
  inB->SetFocus();
  t.clear();
  static HHOOK keys = 0;
  keys = SetWindowsHookEx(WH_KEYBOARD, [](Integer code, WPARAM w, LPARAM l) -> LRESULT {
    if (code == HC_ACTION && w == 'A')
      return 1;
    return CallNextHookEx(keys, code, w, l);
  });
  TSim::Key(b, GDK_KEY_a);
  TSim::Key(b, GDK_KEY_b);
  EXPECT_TRUE(WaitUntil([&t] { return !t.empty(); }));
  Settle(50);
  UnhookWindowsHookEx(keys);
  EXPECT_EQ(t, TTrace{"key.b"});
}

// The display's cursor of a name (GDK keeps one object per name).
GdkCursor* NamedCursor(const char* name)
{
  GdkCursor* c = gdk_cursor_new_from_name(gdk_display_get_default(), name);
  if (c)
    g_object_unref(c); // the display's cache keeps it
  return c;
}

TEST_F(GtkBackendTest, OurCursorShowsOverOurWindows)
{
  TForm* form = MakeForm("光标", Bounds(100, 100, 200, 100));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  GdkWindow* gw = NativeOf(form->Handle());
  SetCursor(-4); // the text beam
  ASSERT_NE(gdk_window_get_cursor(gw), nullptr);
  EXPECT_EQ(gdk_window_get_cursor(gw), NamedCursor("text"));
  SetCursor(-2);
  EXPECT_EQ(gdk_window_get_cursor(gw), NamedCursor("default"));
  // A window shown later takes the cursor in force.
  SetCursor(-11);
  TForm* later = MakeForm("后来", Bounds(400, 100, 200, 100));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(later));
  EXPECT_EQ(gdk_window_get_cursor(NativeOf(later->Handle())), NamedCursor("wait"));
  EXPECT_NE(NamedCursor("wait"), NamedCursor("default"));

  // The platform's own cursors and those a library loads show their pictures.
  ASSERT_TRUE(RegisterCursorResource("GTKTESTCURSOR", {"##.", "#..", "..."}, {1, 2}));
  std::vector<GdkCursor*> drawn;
  for (HCURSOR c : {HCURSOR(crDrag), LoadCursor(0, "GTKTESTCURSOR")}) {
    SCOPED_TRACE(c);
    SetCursor(c);
    GdkCursor* shown = gdk_window_get_cursor(gw);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(gdk_cursor_get_cursor_type(shown), GDK_CURSOR_IS_PIXMAP) << "drawn, not named";
    drawn.push_back(shown);
  }
  EXPECT_NE(drawn[0], drawn[1]);
  SetCursor(-2);
}

TEST_F(GtkBackendTest, TheApplicationHearsWhenTheDisplayTakesAndGivesBackTheKeyboard)
{
  TTrace t;
  Application()->OnActivate = [&t](TObject*) { t.push_back("activate"); };
  Application()->OnDeactivate = [&t](TObject*) { t.push_back("deactivate"); };
  TForm* form = MakeForm("激活", Bounds(100, 100, 200, 100));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  GtkWindow* native = GTK_WINDOW(GtkWindowOf(form->Handle()));
  ASSERT_TRUE(WaitUntil([native] { return gtk_window_is_active(native); }));
  t.clear();
  auto focus = [&](bool in) {
    GdkEvent* e = gdk_event_new(GDK_FOCUS_CHANGE);
    e->focus_change.window = GDK_WINDOW(g_object_ref(NativeOf(form->Handle())));
    e->focus_change.in = in;
    e->focus_change.send_event = TRUE;
    gdk_event_set_device(
        e, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gdk_event_put(e);
    gdk_event_free(e);
  };
  focus(false); // another program took the keyboard
  EXPECT_TRUE(WaitUntil([&t] { return !t.empty(); }));
  EXPECT_EQ(t, TTrace{"deactivate"});
  EXPECT_EQ(GetForegroundWindow(), 0u);
  focus(true);
  EXPECT_TRUE(WaitUntil([&t] { return t.size() >= 2; }));
  EXPECT_EQ(t, (TTrace{"deactivate", "activate"}));
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  Application()->OnActivate = nullptr;
  Application()->OnDeactivate = nullptr;
}

// ---- Clipboard, monitors
// ------------------------------------------------------------------------------------

TEST_F(GtkBackendTest, ClipboardCarriesChineseTextBothWays)
{
  TForm* form = MakeForm("剪贴板", Bounds(100, 100, 200, 100));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  GtkClipboard* desktop = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);

  Clipboard()->SetAsText("寄件人：李四\r\n电话 123");
  gchar* text = gtk_clipboard_wait_for_text(desktop);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk(text)), GbkToUtf8("寄件人：李四\n电话 123"))
      << "UTF-8 with LF for the desktop";
  g_free(text);
  EXPECT_EQ(Clipboard()->AsText(), "寄件人：李四\r\n电话 123");

  // Another program's text: GBK with CR LF; a character GBK cannot hold becomes '?'.
  gtk_clipboard_set_text(desktop, "\xE6\x94\xB6\xE4\xBB\xB6\xE4\xBA\xBA \xF0\x9F\x98\x80\nx", -1);
  EXPECT_EQ(Clipboard()->AsText(), "收件人 ?\r\nx");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));

  // Formats only the program knows stay with it while it owns the clipboard.
  UINT csv = RegisterClipboardFormat("Csv");
  Clipboard()->Open();
  Clipboard()->SetAsText("a,b");
  Clipboard()->SetBuffer(csv, "a;b");
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->GetBuffer(csv), "a;b");
  text = gtk_clipboard_wait_for_text(desktop);
  EXPECT_STREQ(text, "a,b");
  g_free(text);
}

// A small RGB pixbuf of one colour (0xRRGGBB) with another at (1,1).
GdkPixbuf* TwoColourPixbuf(Integer w, Integer h, guint32 fill, guint32 dot)
{
  GdkPixbuf* pb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, w, h);
  gdk_pixbuf_fill(pb, fill << 8 | 0xFF);
  guchar* p = gdk_pixbuf_get_pixels(pb) + gdk_pixbuf_get_rowstride(pb) + 3;
  p[0] = (dot >> 16) & 0xFF;
  p[1] = (dot >> 8) & 0xFF;
  p[2] = dot & 0xFF;
  return pb;
}

guint32 PixbufPixel(GdkPixbuf* pb, Integer x, Integer y)
{
  const guchar* p = gdk_pixbuf_get_pixels(pb) + y * gdk_pixbuf_get_rowstride(pb) +
                    x * gdk_pixbuf_get_n_channels(pb);
  return guint32(p[0]) << 16 | guint32(p[1]) << 8 | p[2];
}

TEST_F(GtkBackendTest, ClipboardCarriesPicturesAndRegisteredFormats)
{
  TForm* form = MakeForm("剪贴板图片", Bounds(100, 100, 200, 100));
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  GtkClipboard* desktop = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);

  // Our picture (a BMP file) as the desktop's image.
  GdkPixbuf* ours = TwoColourPixbuf(4, 3, 0xFF0000, 0x0000FF);
  gchar* buffer = nullptr;
  gsize size = 0;
  ASSERT_TRUE(gdk_pixbuf_save_to_buffer(ours, &buffer, &size, "bmp", nullptr, nullptr));
  Clipboard()->SetBuffer(CF_BITMAP, std::string(buffer, size));
  g_free(buffer);
  g_object_unref(ours);
  GdkPixbuf* seen = gtk_clipboard_wait_for_image(desktop);
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(seen), 4);
  EXPECT_EQ(gdk_pixbuf_get_height(seen), 3);
  EXPECT_EQ(PixbufPixel(seen, 0, 0), 0xFF0000u);
  EXPECT_EQ(PixbufPixel(seen, 1, 1), 0x0000FFu);
  g_object_unref(seen);

  // The desktop's image as our picture.
  GdkPixbuf* theirs = TwoColourPixbuf(3, 2, 0x00FF00, 0xFFFF00);
  gtk_clipboard_set_image(desktop, theirs);
  g_object_unref(theirs);
  ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  std::string bmp = Clipboard()->GetBuffer(CF_BITMAP);
  ASSERT_EQ(bmp.substr(0, 2), "BM");
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bmp.data()), bmp.size(), nullptr);
  gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* read = gdk_pixbuf_loader_get_pixbuf(loader);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(read), 3);
  EXPECT_EQ(PixbufPixel(read, 0, 0), 0x00FF00u);
  EXPECT_EQ(PixbufPixel(read, 1, 1), 0xFFFF00u);
  g_object_unref(loader);

  // Registered formats go by their names, bytes unchanged; RTF also by its MIME name.
  UINT csv = RegisterClipboardFormat("Csv");
  UINT rtf = RegisterClipboardFormat("Rich Text Format");
  Clipboard()->Open();
  Clipboard()->SetAsText("甲,乙");
  Clipboard()->SetBuffer(csv, "\xBC\xD7;1\r\n");
  Clipboard()->SetBuffer(rtf, "{\\rtf1 x}");
  Clipboard()->Close();
  auto contents = [desktop](const char* target) {
    GtkSelectionData* d = gtk_clipboard_wait_for_contents(desktop, gdk_atom_intern(target, FALSE));
    if (!d)
      return std::string("(none)");
    std::string bytes(reinterpret_cast<const char*>(gtk_selection_data_get_data(d)),
                      static_cast<std::size_t>(std::max(gtk_selection_data_get_length(d), 0)));
    gtk_selection_data_free(d);
    return bytes;
  };
  EXPECT_EQ(contents("Csv"), "\xBC\xD7;1\r\n");
  EXPECT_EQ(contents("text/rtf"), "{\\rtf1 x}");
  EXPECT_EQ(contents("Rich Text Format"), "{\\rtf1 x}");

  // Another program offering a registered format.
  static const GtkTargetEntry entries[] = {{const_cast<gchar*>("Csv"), 0, 0}};
  gtk_clipboard_set_with_data(
      desktop, entries, 1,
      +[](GtkClipboard*, GtkSelectionData* sel, guint, gpointer) {
        gtk_selection_data_set(sel, gtk_selection_data_get_target(sel), 8,
                               reinterpret_cast<const guchar*>("x;y"), 3);
      },
      nullptr, nullptr);
  EXPECT_TRUE(Clipboard()->HasFormat(csv));
  EXPECT_EQ(Clipboard()->GetBuffer(csv), "x;y");
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
}

// The desktop's caret blink, double-click time and distance are ours; a new theme or font
// setting reaches the forms' controls as WM_THEMECHANGED and CM_FONTCHANGE.
TEST_F(GtkBackendTest, DesktopSettingsAndTheirChangesReachTheWindowManager)
{
  GtkSettings* settings = gtk_settings_get_default();
  gboolean blink = TRUE;
  gint blinkTime = 0, clickTime = 0, distance = 0;
  gchar* theme = nullptr;
  gchar* font = nullptr;
  g_object_get(settings, "gtk-cursor-blink", &blink, "gtk-cursor-blink-time", &blinkTime,
               "gtk-double-click-time", &clickTime, "gtk-double-click-distance", &distance,
               "gtk-theme-name", &theme, "gtk-font-name", &font, nullptr);
  EXPECT_EQ(GetCaretBlinkTime(), blink ? UINT(blinkTime / 2) : INFINITE)
      << "GTK counts the whole on-off cycle";
  EXPECT_EQ(GetDoubleClickTime(), UINT(clickTime));
  EXPECT_EQ(GetSystemMetrics(SM_CXDOUBLECLK), 2 * distance) << "GTK's is the distance each way";

  TForm* form = MakeForm("设置", Bounds(100, 100, 200, 100));
  auto* a = Make<TTestControl>(form, Bounds(10, 10, 50, 30));
  TTrace t;
  a->WindowProc = [&t, a](TMessage& m) {
    if (m.Msg == WM_THEMECHANGED)
      t.push_back("theme");
    if (m.Msg == CM_FONTCHANGE)
      t.push_back("fonts");
    a->WndProc(m);
  };
  ASSERT_NO_FATAL_FAILURE(ShowAndWait(form));
  g_object_set(settings, "gtk-cursor-blink-time", 800, "gtk-double-click-time", 321,
               "gtk-double-click-distance", 9, nullptr);
  EXPECT_EQ(GetCaretBlinkTime(), 400u);
  EXPECT_EQ(GetDoubleClickTime(), 321u);
  EXPECT_EQ(GetSystemMetrics(SM_CXDOUBLECLK), 18);
  EXPECT_EQ(GetSystemMetrics(SM_CYDOUBLECLK), 18);
  g_object_set(settings, "gtk-cursor-blink", FALSE, nullptr);
  EXPECT_EQ(GetCaretBlinkTime(), INFINITE);
  g_object_set(settings, "gtk-theme-name", "HighContrast", nullptr);
  g_object_set(settings, "gtk-font-name", "Sans 13", nullptr);
  EXPECT_EQ(t, (TTrace{"theme", "fonts"}));

  g_object_set(settings, "gtk-cursor-blink", blink, "gtk-cursor-blink-time", blinkTime,
               "gtk-double-click-time", clickTime, "gtk-double-click-distance", distance,
               "gtk-theme-name", theme, "gtk-font-name", font, nullptr);
  g_free(theme);
  g_free(font);
  EXPECT_EQ(GetDoubleClickTime(), UINT(clickTime));
}

TEST_F(GtkBackendTest, ScreenAndWorkAreaComeFromTheDisplaysMonitors)
{
  GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_display_get_default());
  if (!monitor)
    monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
  GdkRectangle g, work;
  gdk_monitor_get_geometry(monitor, &g);
  gdk_monitor_get_workarea(monitor, &work);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), g.x + g.width);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), g.y + g.height);
  TRect area;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_EQ(area, Rect(work.x, work.y, work.x + work.width, work.y + work.height));
  EXPECT_EQ(Screen()->PixelsPerInch(), 96);
  EXPECT_EQ(gdk_monitor_get_scale_factor(monitor), 1) << "one display pixel is one of ours";
}

} // namespace
