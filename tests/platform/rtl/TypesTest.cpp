#include "platform/rtl/Types.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/TypInfo.h"

TEST(Rect, IntersectAndUnion)
{
  TRect r;
  EXPECT_TRUE(IntersectRect(r, Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)));
  EXPECT_EQ(r, Rect(5, 5, 10, 10));
  EXPECT_FALSE(IntersectRect(r, Rect(0, 0, 10, 10), Rect(10, 0, 20, 10)));
  EXPECT_EQ(r, TRect{});
  EXPECT_TRUE(UnionRect(r, Rect(0, 0, 0, 0), Rect(1, 2, 3, 4)));
  EXPECT_EQ(r, Rect(1, 2, 3, 4));
  EXPECT_TRUE(PtInRect(Rect(0, 0, 2, 2), Point(1, 1)));
  EXPECT_FALSE(PtInRect(Rect(0, 0, 2, 2), Point(2, 1))); // right edge is outside
}

TEST(Persistent, AssignBetweenUnrelatedClassesRaises)
{
  TPersistent a, b;
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TPersistent");
  }
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(Abort, IsSilentException)
{
  EXPECT_THROW(Abort(), EAbort);
}
