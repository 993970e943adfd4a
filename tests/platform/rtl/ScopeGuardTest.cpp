// Scope guards: undo actions run only on errors and never when dismissed; update brackets close
// on exceptions.
#include "platform/rtl/ScopeGuard.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

struct Counter {
  int Depth = 0;
  int Ends = 0;
  bool FailOnEnd = false;
  void BeginUpdate() { ++Depth; }
  void EndUpdate()
  {
    --Depth;
    ++Ends;
    if (FailOnEnd)
      throw std::logic_error("end");
  }
};

} // namespace

TEST(ScopeGuard, UndoRunsOnExceptionOnlyUnlessDismissed)
{
  int undone = 0;
  try {
    TUndoOnError undo([&] { ++undone; });
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(undone, 1);
  {
    TUndoOnError undo([&] { ++undone; });
    undo.Dismiss();
  }
  EXPECT_EQ(undone, 1);
}

TEST(ScopeGuard, UpdateScopeEndsTheBracketWhenTheBodyThrows)
{
  Counter c;
  try {
    TUpdateScope scope(c);
    EXPECT_EQ(c.Depth, 1);
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(c.Depth, 0);
  EXPECT_EQ(c.Ends, 1);
}

// The change report at the end of a bracket may fail; its error reaches the caller unless
// the body's own error is already leaving.
TEST(ScopeGuard, UpdateScopeLetsTheEndsErrorThrough)
{
  Counter c;
  c.FailOnEnd = true;
  EXPECT_THROW({ TUpdateScope scope(c); }, std::logic_error);
  EXPECT_EQ(c.Depth, 0);
  try {
    TUpdateScope scope(c);
    throw std::runtime_error("body");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "body");
  }
  EXPECT_EQ(c.Depth, 0);
  EXPECT_EQ(c.Ends, 2);
}

// EndUpdate fires change events, which may raise: on a normal exit their error reaches the
// caller; while another error unwinds the scope, that first error wins.
TEST(ScopeGuard, AnActionThatRaisesNeverHidesTheFirstError)
{
  struct Raising {
    int Ends = 0;
    void BeginUpdate() {}
    void EndUpdate()
    {
      ++Ends;
      throw std::logic_error("from EndUpdate");
    }
  } target;
  try {
    TUpdateScope scope(target);
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "from EndUpdate");
  }
  try {
    TUpdateScope scope(target);
    throw std::runtime_error("first");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "first");
  } catch (const std::logic_error&) {
    ADD_FAILURE() << "the error of EndUpdate replaced the first one";
  }
  EXPECT_EQ(target.Ends, 2);

  int undone = 0;
  {
    TUndoOnError undo([&] { ++undone; }); // left normally: nothing to undo
  }
  EXPECT_EQ(undone, 0);
  int exits = 0;
  {
    TScopeExit always([&] { ++exits; });
  }
  EXPECT_EQ(exits, 1);
}
