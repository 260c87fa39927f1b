// Runs the tests inside one QApplication on the offscreen platform, so
// windows and timers work without a display.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/GstLeakCheck.h"
#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("XDG_RUNTIME_DIR", ORVEX_TEST_RUNTIME_DIR, 0);
  // Settings of test runs never touch the user's own.
  orvex::test::TempDir config;
  setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return orvex::test::FinishGstLeakCheck(RUN_ALL_TESTS());
}
