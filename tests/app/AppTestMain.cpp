// The window-set tests run inside the program's own application object.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/TApplication.h"
#include "platform/media/testdevices/TestDevices.h"
#include "tests/support/GstLeakCheck.h"
#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  orvex::test::TempDir config;
  setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
  // The device monitor only sees providers registered before it starts; the
  // test devices are plugged in by the tests that want them.
  orvex::media::testdevices::Register();
  orvex::media::testdevices::SetDefaultDevices(false);
  ::testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  return orvex::test::FinishGstLeakCheck(RUN_ALL_TESTS());
}
