// Scope guards: undo-on-error and bracketed updates written once. TScopeExit runs its action
// when the scope ends (by return or by exception) unless Dismiss() was called; TUndoOnError
// runs its action only when the scope is left by an exception; TUpdateScope brackets
// BeginUpdate/EndUpdate on any object that has them (lists, collections, datasets,
// controls), so an exception inside the bracket still ends the update.
//
// The actions may raise (EndUpdate fires change events). Raised on a normal exit, the
// exception propagates; raised while another exception unwinds the scope, it is dropped so
// that the first one, which says what went wrong, reaches the caller.
#pragma once

#include <exception>
#include <utility>

namespace scopeguard_detail {

// Runs Action from a destructor: propagates its exception on a normal exit and swallows it
// while another exception unwinds (two at once would terminate the program).
template <typename F> void RunFromDestructor(F& Action, int UncaughtAtEntry)
{
  if (std::uncaught_exceptions() <= UncaughtAtEntry) {
    Action();
    return;
  }
  try {
    Action();
  } catch (...) {
  }
}

} // namespace scopeguard_detail

template <typename F> class TScopeExit {
public:
  explicit TScopeExit(F action) : FAction(std::move(action)) {}
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  ~TScopeExit() noexcept(false)
  {
    if (FActive)
      scopeguard_detail::RunFromDestructor(FAction, FUncaught);
  }
  // Keeps the action from running: the work it would undo has succeeded.
  void Dismiss() { FActive = false; }

private:
  F FAction;
  int FUncaught = std::uncaught_exceptions();
  bool FActive = true;
};

// Runs `undo` only when the scope is left by an exception, e.g.
//   TUndoOnError undo([&] { FItems.pop_back(); });
//   ... work that may throw ...
// Dismiss() keeps it from running even then.
template <typename F> class TUndoOnError {
public:
  explicit TUndoOnError(F undo) : FUndo(std::move(undo)) {}
  TUndoOnError(const TUndoOnError&) = delete;
  TUndoOnError& operator=(const TUndoOnError&) = delete;
  ~TUndoOnError()
  {
    if (!FActive || std::uncaught_exceptions() <= FUncaught)
      return;
    try {
      FUndo();
    } catch (...) {
    }
  }
  void Dismiss() { FActive = false; }

private:
  F FUndo;
  int FUncaught = std::uncaught_exceptions();
  bool FActive = true;
};

template <typename T> class TUpdateScope {
public:
  explicit TUpdateScope(T& target) : FTarget(target) { FTarget.BeginUpdate(); }
  explicit TUpdateScope(T* target) : TUpdateScope(*target) {}
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;
  ~TUpdateScope() noexcept(false)
  {
    auto end = [this] { FTarget.EndUpdate(); };
    scopeguard_detail::RunFromDestructor(end, FUncaught);
  }

private:
  T& FTarget;
  int FUncaught = std::uncaught_exceptions();
};
