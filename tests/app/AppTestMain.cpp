// The window-set tests run inside the program's own application object.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/TApplication.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
