// Scope guards: undo-on-error and bracketed updates written once. TScopeExit runs its action
// when the scope ends (by return or by exception) unless Dismiss() was called; TUpdateScope
// brackets BeginUpdate/EndUpdate on any object that has them (lists, collections, datasets,
// controls), so an exception inside the bracket still ends the update. An error raised by
// EndUpdate itself (a change report that runs user code) reaches the caller; while another
// exception is already on its way out, that one wins and EndUpdate's error is dropped.
#pragma once

#include <exception>
#include <utility>

template <typename F> class TScopeExit {
public:
  explicit TScopeExit(F action) : FAction(std::move(action)) {}
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  ~TScopeExit()
  {
    if (FActive)
      FAction();
  }
  // Keeps the action from running: the work it would undo has succeeded.
  void Dismiss() { FActive = false; }

private:
  F FAction;
  bool FActive = true;
};

// Runs `undo` only when the scope is left by an exception, e.g.
//   TUndoOnError undo([&] { FItems.pop_back(); });
//   ... work that may throw ...
//   undo.Dismiss();
template <typename F> using TUndoOnError = TScopeExit<F>;

template <typename T> class TUpdateScope {
public:
  explicit TUpdateScope(T& target) : FTarget(target), FUncaught(std::uncaught_exceptions())
  {
    FTarget.BeginUpdate();
  }
  explicit TUpdateScope(T* target) : TUpdateScope(*target) {}
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;
  ~TUpdateScope() noexcept(false)
  {
    if (std::uncaught_exceptions() == FUncaught) {
      FTarget.EndUpdate();
      return;
    }
    try {
      FTarget.EndUpdate();
    } catch (...) {
    }
  }

private:
  T& FTarget;
  int FUncaught;
};
