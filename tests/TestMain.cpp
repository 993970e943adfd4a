// Shared main of every test binary: runs the unit list its binary registers
// (RegisterTestUnits, defined once per binary), then the tests, then the finalizations.
#include <gtest/gtest.h>

#include "platform/rtl/Units.h"

void RegisterTestUnits();

int main(int argc, char** argv)
{
  testing::InitGoogleTest(&argc, argv);
  RegisterTestUnits();
  InitializeUnits();
  int result = RUN_ALL_TESTS();
  FinalizeUnits();
  return result;
}
