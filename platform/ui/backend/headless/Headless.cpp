// The headless backend: virtual screen, virtual clock, scripted input and the guard
// against loops waiting for input nobody scripted. Headless.h describes it.
#include "platform/ui/backend/headless/Headless.h"

#include <algorithm>
#include <memory>

#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"

namespace {

TDateTime ClockStart()
{
  return EncodeDate(2026, 1, 5) + EncodeTime(9, 0, 0, 0);
}

// The key stroke that types an ASCII character on a US keyboard.
bool CharToKey(char c, Word& vk, bool& shift)
{
  shift = false;
  if (c >= 'a' && c <= 'z') {
    vk = static_cast<Word>(c - 32);
    return true;
  }
  if (c >= 'A' && c <= 'Z') {
    vk = static_cast<Word>(c);
    shift = true;
    return true;
  }
  if (c >= '0' && c <= '9') {
    vk = static_cast<Word>(c);
    return true;
  }
  static const char shiftedDigits[] = ")!@#$%^&*(";
  for (int i = 0; i < 10; ++i)
    if (shiftedDigits[i] == c) {
      vk = static_cast<Word>('0' + i);
      shift = true;
      return true;
    }
  struct TOem {
    Word Vk;
    char Plain, Shifted;
  };
  static const TOem oem[] = {
      {VK_SPACE, ' ', 0},       {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},
      {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'},
      {VK_OEM_2, '/', '?'},     {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
      {VK_OEM_5, '\\', '|'},    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
      {VK_RETURN, '\r', 0},     {VK_TAB, '\t', 0},        {VK_BACK, '\b', 0},
      {VK_ESCAPE, 27, 0},
  };
  for (const TOem& o : oem) {
    if (o.Plain == c) {
      vk = o.Vk;
      return true;
    }
    if (o.Shifted && o.Shifted == c) {
      vk = o.Vk;
      shift = true;
      return true;
    }
  }
  return false;
}

AnsiString WithoutAccelerators(const AnsiString& text)
{
  AnsiString result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < text.size()) {
      result += text[i];
      result += text[++i];
      continue;
    }
    if (c == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&')
        result += text[++i];
      continue;
    }
    result += text[i];
  }
  return result;
}

HWND FindChildIn(HWND parent, const AnsiString& text)
{
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsWindowVisible(c) && WithoutAccelerators(GetWindowText(c)) == text)
      return c;
    if (HWND inner = FindChildIn(c, text))
      return inner;
  }
  return 0;
}

} // namespace

THeadlessBackend::THeadlessBackend()
{
  SetClock([this] { return ClockStart() + static_cast<double>(FNowMs) / MSecsPerDay; });
}

THeadlessBackend::~THeadlessBackend()
{
  if (WindowBackend() == this)
    SetWindowBackend(nullptr);
  SetClock(nullptr);
}

void THeadlessBackend::Reset()
{
  // A test that replaced the runtime's clock (or put the machine's back) leaves the next
  // test on the virtual clock again.
  SetClock([this] { return ClockStart() + static_cast<double>(FNowMs) / MSecsPerDay; });
  FInvalidated.clear();
  FSteps.clear();
  FResponders.clear();
  ResetWindowManager();
  FNowMs = 0;
  FSkippedMs = 0;
  FBudgetMs = 10000;
  // A test may have installed a clock of its own since: the virtual clock comes back, or
  // timers would wait on a clock the waiting loop never moves.
  SetClock([this] { return ClockStart() + static_cast<double>(FNowMs) / MSecsPerDay; });
  FBeeps = 0;
  FWaitDepth = 0;
  SetScreenSize({1024, 768});
  SetWorkArea(TRect());
  SetCaretBlinkTime(530);
  SetDoubleClickTime(500);
  SetClipboardContent({});
}

void THeadlessBackend::SetScreenSize(TSize size)
{
  FScreen = size;
  SetSystemMetrics(SM_CXSCREEN, size.cx);
  SetSystemMetrics(SM_CYSCREEN, size.cy);
}

// ---- Waiting -------------------------------------------------------------------------------

bool THeadlessBackend::RunResponder()
{
  std::vector<HWND> windows;
  EnumTopLevelWindows(windows);
  for (std::size_t i = 0; i < FResponders.size(); ++i)
    for (HWND h : windows)
      if (IsWindowVisible(h) && GetWindowText(h) == FResponders[i].Caption) {
        std::function<void(HWND)> handler = std::move(FResponders[i].Handler);
        FResponders.erase(FResponders.begin() + static_cast<std::ptrdiff_t>(i));
        handler(h);
        return true;
      }
  return false;
}

void THeadlessBackend::WaitForInput(Integer timeoutMs, const char* waiter)
{
  ++FWaitDepth;
  struct TDepth {
    Integer& D;
    ~TDepth() { --D; }
  } depth{FWaitDepth};
  if (RunResponder())
    return;
  if (!FSteps.empty()) {
    std::function<void()> step = std::move(FSteps.front());
    FSteps.erase(FSteps.begin());
    step();
    return;
  }
  if (timeoutMs >= 0 && FSkippedMs + timeoutMs <= FBudgetMs) {
    FSkippedMs += timeoutMs;
    FNowMs += std::max(timeoutMs, 1);
    return;
  }
  throw EHeadlessBlocked(
      AnsiString("Headless: ") + waiter +
      " would block forever: no scripted input is left and no timer is due within the "
      "test's time budget");
}

// ---- Clock and messages -------------------------------------------------------------------------

void THeadlessBackend::Advance(Int64 ms)
{
  if (ms > 0)
    FNowMs += ms;
}

void THeadlessBackend::AdvanceAndProcess(Int64 ms)
{
  Int64 end = FNowMs + std::max<Int64>(ms, 0);
  ProcessMessages();
  for (;;) {
    Integer due = NextTimerDue();
    if (due < 0 || FNowMs + due > end)
      break;
    FNowMs += due;
    ProcessMessages();
  }
  FNowMs = end;
  ProcessMessages();
}

void THeadlessBackend::ProcessMessages()
{
  // A bounded number of rounds: a window that keeps invalidating itself cannot hang a test.
  for (int i = 0; i < 100000 && ProcessQueuedMessage(); ++i) {
  }
  RunIdleHook();
  for (int i = 0; i < 100000 && ProcessQueuedMessage(); ++i) {
  }
}

// ---- Input -------------------------------------------------------------------------------------

void THeadlessBackend::Feed(const std::function<void()>& input)
{
  input();
  if (FWaitDepth == 0)
    ProcessMessages();
}

void THeadlessBackend::Move(TPoint screen)
{
  Feed([&] { InputMouseMove(screen); });
}

void THeadlessBackend::Press(THeadlessButton button, TPoint screen)
{
  Feed([&] {
    InputMouseMove(screen);
    InputMouseButton(static_cast<TMouseButtonKind>(button), true, screen);
  });
}

void THeadlessBackend::Release(THeadlessButton button, TPoint screen)
{
  Feed([&] {
    InputMouseMove(screen);
    InputMouseButton(static_cast<TMouseButtonKind>(button), false, screen);
  });
}

// Both halves are queued before anything runs, as a quick click arrives: a tracking loop
// the press starts finds the release already waiting.
void THeadlessBackend::Click(TPoint screen, THeadlessButton button)
{
  Feed([&] {
    InputMouseMove(screen);
    InputMouseButton(static_cast<TMouseButtonKind>(button), true, screen);
    InputMouseButton(static_cast<TMouseButtonKind>(button), false, screen);
  });
}

void THeadlessBackend::DoubleClick(TPoint screen, THeadlessButton button)
{
  Click(screen, button);
  FNowMs += 50;
  Click(screen, button);
}

void THeadlessBackend::Drag(TPoint from, TPoint to, Integer steps, THeadlessButton button)
{
  steps = std::max<Integer>(steps, 1);
  // The moves and the release go first in the script: a loop the press starts runs them
  // as it waits; otherwise they run here, one by one, after the press.
  auto remaining = std::make_shared<Integer>(steps + 1);
  std::vector<std::function<void()>> mine;
  for (Integer i = 1; i <= steps; ++i) {
    TPoint p{from.X + (to.X - from.X) * i / steps, from.Y + (to.Y - from.Y) * i / steps};
    mine.push_back([this, p, remaining] {
      --*remaining;
      Move(p);
    });
  }
  mine.push_back([this, to, button, remaining] {
    --*remaining;
    Release(button, to);
  });
  FSteps.insert(FSteps.begin(), mine.begin(), mine.end());
  Press(button, from);
  while (*remaining > 0 && !FSteps.empty()) {
    std::function<void()> step = std::move(FSteps.front());
    FSteps.erase(FSteps.begin());
    step();
  }
}

void THeadlessBackend::Wheel(Integer notches, TPoint screen)
{
  Feed([&] {
    InputMouseMove(screen);
    InputMouseWheel(notches * WHEEL_DELTA, screen);
  });
}

void THeadlessBackend::KeyDown(Word vk)
{
  Feed([&] { InputKey(vk, true); });
}

void THeadlessBackend::KeyUp(Word vk)
{
  Feed([&] { InputKey(vk, false); });
}

void THeadlessBackend::Key(Word vk, bool shift, bool ctrl, bool alt)
{
  Feed([&] {
    if (shift)
      InputKey(VK_SHIFT, true);
    if (ctrl)
      InputKey(VK_CONTROL, true);
    if (alt)
      InputKey(VK_MENU, true);
    InputKey(vk, true);
    InputKey(vk, false);
    if (alt)
      InputKey(VK_MENU, false);
    if (ctrl)
      InputKey(VK_CONTROL, false);
    if (shift)
      InputKey(VK_SHIFT, false);
  });
}

void THeadlessBackend::Type(const AnsiString& text)
{
  Feed([&] {
    for (std::size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c >= 0x81 && c <= 0xFE && i + 1 < text.size()) {
        unsigned char trail = static_cast<unsigned char>(text[++i]);
        InputKey(VK_PROCESSKEY, true);
        InputKey(VK_PROCESSKEY, false);
        InputImeChar(static_cast<Word>((c << 8) | trail));
        continue;
      }
      Word vk = 0;
      bool shift = false;
      if (!CharToKey(static_cast<char>(c), vk, shift)) {
        InputImeChar(c);
        continue;
      }
      if (shift)
        InputKey(VK_SHIFT, true);
      InputKey(vk, true);
      InputKey(vk, false);
      if (shift)
        InputKey(VK_SHIFT, false);
    }
  });
}

TPoint THeadlessBackend::ScreenPoint(HWND hwnd, TPoint client)
{
  ClientToScreen(hwnd, client);
  return client;
}

void THeadlessBackend::ActivateOtherApplication(bool back)
{
  Feed([&] { InputActivateApp(back); });
}

// ---- Scripts ---------------------------------------------------------------------------------

void THeadlessBackend::QueueStep(std::function<void()> step)
{
  FSteps.push_back(std::move(step));
}

void THeadlessBackend::OnWindow(const AnsiString& caption, std::function<void(HWND)> handler)
{
  FResponders.push_back({caption, std::move(handler)});
}

void THeadlessBackend::AnswerModal(const AnsiString& caption, const AnsiString& buttonText)
{
  OnWindow(caption, [this, caption, buttonText](HWND dialog) {
    HWND button = FindChildByText(dialog, WithoutAccelerators(buttonText));
    if (!button)
      throw EHeadlessBlocked("Headless: window \"" + caption + "\" has no button \"" + buttonText +
                             "\"");
    TRect r;
    GetClientRect(button, r);
    Click(ScreenPoint(button, {r.Width() / 2, r.Height() / 2}));
  });
}

HWND THeadlessBackend::FindChildByText(HWND hwnd, const AnsiString& text)
{
  return FindChildIn(hwnd, text);
}

// ---- Invalidation ----------------------------------------------------------------------------

void THeadlessBackend::Invalidated(HWND hwnd, const TRegion& area)
{
  for (const TRegion::TBand& band : area.Bands())
    for (const TRegion::TSpan& span : band.Spans)
      FInvalidated.push_back({hwnd, Rect(span.Left, band.Top, span.Right, band.Bottom)});
}

bool THeadlessBackend::WasInvalidated(HWND hwnd, const TRect& rect) const
{
  for (const auto& entry : FInvalidated) {
    TRect common;
    if (entry.first == hwnd && IntersectRect(common, entry.second, rect))
      return true;
  }
  return false;
}

void THeadlessBackend::ForgetInvalidations()
{
  FInvalidated.clear();
}

// ---- Screenshots --------------------------------------------------------------------------------

std::unique_ptr<TImageSurface> THeadlessBackend::Screenshot()
{
  if (FWaitDepth == 0)
    ProcessMessages();
  auto screen = std::make_unique<TImageSurface>(FScreen.cx, FScreen.cy, 0);
  ComposeScreen(*screen);
  return screen;
}

TColor THeadlessBackend::ScreenPixel(TPoint screen)
{
  return Screenshot()->GetPixel(screen.X, screen.Y);
}

bool THeadlessBackend::SaveScreenshot(const AnsiString& fileName)
{
  return Screenshot()->WritePng(fileName);
}

bool THeadlessBackend::SaveWindowShot(HWND hwnd, const AnsiString& fileName)
{
  auto screen = Screenshot();
  TRect r;
  if (!GetWindowRect(hwnd, r) || r.Width() <= 0 || r.Height() <= 0)
    return false;
  TImageSurface shot(r.Width(), r.Height(), 0);
  TGc gc;
  shot.CopyBits(Rect(0, 0, r.Width(), r.Height()), screen.get(), r, TFill(), cmSrcCopy, gc);
  return shot.WritePng(fileName);
}

THeadlessBackend& Headless()
{
  static THeadlessBackend* backend = nullptr;
  if (!backend)
    backend = new THeadlessBackend();
  if (WindowBackend() != backend)
    SetWindowBackend(backend);
  return *backend;
}
