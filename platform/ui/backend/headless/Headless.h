// The headless backend: top-level windows live as surfaces on a virtual screen, input is
// scripted by tests and goes through the window manager's real input path, and time is a
// virtual clock (the runtime's clock, so timers, GetTickCount and Now move together). A loop
// that would wait for input nobody scripted raises EHeadlessBlocked instead of hanging.
// Backend.h is the interface it implements.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Backend.h"

class TImageSurface;

using EHeadlessBlocked = EInputBlocked;

enum THeadlessButton { hbLeft, hbRight, hbMiddle };

class THeadlessBackend final : public TWindowBackend {
public:
  THeadlessBackend();
  ~THeadlessBackend() override;

  // Back to a fresh state for the next test: every window destroyed, queue, timers and
  // hooks gone, scripts and responders dropped, the clock at its start, the default screen.
  void Reset();

  TSize ScreenSize() const override { return FScreen; }
  void SetScreenSize(TSize size);
  void WaitForInput(Integer timeoutMs, const char* waiter) override;
  void Beep() override { ++FBeeps; }
  Integer Beeps() const { return FBeeps; }

  // ---- The virtual clock ----
  // Milliseconds since the clock's start (2026-01-05 09:00:00).
  Int64 ElapsedMs() const { return FNowMs; }
  // Moves the clock; nothing runs until messages are processed.
  void Advance(Int64 ms);
  // Moves the clock in steps to each timer due on the way, processing messages after each,
  // so timers fire as often as they would in that time.
  void AdvanceAndProcess(Int64 ms);
  // The budget of virtual time a waiting loop may skip to reach its next timer (per test).
  void SetTimeBudget(Int64 ms) { FBudgetMs = ms; }

  // ---- Messages ----
  // Dispatches everything that is queued now, paints included (a WM_QUIT stays queued).
  void ProcessMessages();

  // ---- Scripted input (screen coordinates). Each call feeds the input, then processes
  // the messages it caused, unless it runs inside a waiting loop (a script step or a modal
  // responder), where the loop itself dispatches them. ----
  void Move(TPoint screen);
  void Press(THeadlessButton button, TPoint screen);
  void Release(THeadlessButton button, TPoint screen);
  // Press and release queued together (a tracking loop started by the press sees the
  // release), then processed.
  void Click(TPoint screen, THeadlessButton button = hbLeft);
  void DoubleClick(TPoint screen, THeadlessButton button = hbLeft);
  // Press at from, move there to in steps, release: works whether the press starts a
  // tracking loop (the moves then feed the loop) or only captures the mouse.
  void Drag(TPoint from, TPoint to, Integer steps = 4, THeadlessButton button = hbLeft);
  // Notches of 120; positive turns the wheel away from the user.
  void Wheel(Integer notches, TPoint screen);
  void KeyDown(Word vk);
  void KeyUp(Word vk);
  // Down and up, with Shift/Ctrl/Alt held around it as asked.
  void Key(Word vk, bool shift = false, bool ctrl = false, bool alt = false);
  // Types GBK text: ASCII through key strokes, double-byte characters through the input
  // method (VK_PROCESSKEY, then WM_IME_CHAR).
  void Type(const AnsiString& text);
  // A point of a window's client area on the screen.
  static TPoint ScreenPoint(HWND hwnd, TPoint client);
  // The other application takes (false) or gives back (true) the activation.
  void ActivateOtherApplication(bool back = false);

  // ---- Scripts and modal responders ----
  // A step that runs the next time a loop waits for input.
  void QueueStep(std::function<void()> step);
  // When a visible top-level window with this caption exists at a loop's wait, run
  // handler once with its handle.
  void OnWindow(const AnsiString& caption, std::function<void(HWND)> handler);
  // When a window with this caption appears, click its child whose text is buttonText
  // ('&' ignored).
  void AnswerModal(const AnsiString& caption, const AnsiString& buttonText);
  // A child window of hwnd (any depth) whose text is text, '&' ignored; 0 when none.
  static HWND FindChildByText(HWND hwnd, const AnsiString& text);
  Integer PendingResponders() const { return static_cast<Integer>(FResponders.size()); }

  // ---- Invalidation ----
  void Invalidated(HWND hwnd, const TRegion& area) override;
  // True when some of rect (client coordinates) was invalidated since the last
  // ForgetInvalidations (or Reset).
  bool WasInvalidated(HWND hwnd, const TRect& rect) const;
  void ForgetInvalidations();

  // ---- Screenshots ----
  std::unique_ptr<TImageSurface> Screenshot();
  // 0x00BBGGRR of a screen pixel (after processing pending paints).
  TColor ScreenPixel(TPoint screen);
  bool SaveScreenshot(const AnsiString& fileName);
  // The window's pixels (a child window's part of its top-level surface).
  bool SaveWindowShot(HWND hwnd, const AnsiString& fileName);

private:
  struct TResponder {
    AnsiString Caption;
    std::function<void(HWND)> Handler;
  };
  void Feed(const std::function<void()>& input);
  bool RunResponder();

  TSize FScreen{1024, 768};
  Int64 FNowMs = 0;
  Int64 FBudgetMs = 10000;
  Int64 FSkippedMs = 0;
  Integer FBeeps = 0;
  Integer FWaitDepth = 0;
  std::vector<std::function<void()>> FSteps;
  std::vector<TResponder> FResponders;
  std::vector<std::pair<HWND, TRect>> FInvalidated;
};

// The headless backend, installed as the window backend (and its clock as the runtime's
// clock) on first use.
THeadlessBackend& Headless();
