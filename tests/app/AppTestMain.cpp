// The window-set tests run inside the program's own application object.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/TApplication.h"
#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  orvex::test::TempDir config;
  setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
  // The media layer registers the built-in test devices once, when it starts.
  setenv("ORVEX_TEST_DEVICES", "1", 1);
  ::testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
