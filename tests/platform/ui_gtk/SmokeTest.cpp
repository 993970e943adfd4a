#include <gtest/gtest.h>

TEST(GtkBackendLibrary, Links)
{
  SUCCEED();
}
