#include <gtest/gtest.h>

TEST(ScriptLibrary, Links) { SUCCEED(); }
