#pragma once
// A settings folder and engine manager of a test's own; the folder of the
// other app tests comes back afterwards.

#include <cstdlib>
#include <string>

#include "engine/TSyncManager.h"
#include "tests/support/TempDir.h"

class SettingsFolder {
 public:
  SettingsFolder() : previous_(std::getenv("ORVEX_CONFIG_DIR")) {
    setenv("ORVEX_CONFIG_DIR", folder.str().c_str(), 1);
    TSyncManager::Free();
  }
  ~SettingsFolder() {
    TSyncManager::Free();
    setenv("ORVEX_CONFIG_DIR", previous_.c_str(), 1);
  }
  orvex::test::TempDir folder;

 private:
  std::string previous_;
};
