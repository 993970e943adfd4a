#include <gtest/gtest.h>

TEST(AppLibrary, Links)
{
  SUCCEED();
}
