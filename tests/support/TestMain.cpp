// The main of the tests that need no Qt application.

#include <gtest/gtest.h>

#include "tests/support/GstLeakCheck.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return orvex::test::FinishGstLeakCheck(RUN_ALL_TESTS());
}
