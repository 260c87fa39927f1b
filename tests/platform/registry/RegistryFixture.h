#pragma once
// Every registry test gets its own settings folder and sees the notices the
// store raises instead of having them printed.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/registry/RegKey.h"
#include "tests/support/TempDir.h"

namespace orvex::test {

class RegistryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ORVEX_CONFIG_DIR", dir_.str().c_str(), 1);
    reg::SetNoticeHandler([this](const std::string& text) { notices_.push_back(text); });
  }
  void TearDown() override {
    reg::SetNoticeHandler(nullptr);
    reg::SetBeforeReplaceHookForTesting(nullptr);
    unsetenv("ORVEX_CONFIG_DIR");
  }

  std::filesystem::path MachineFile() const { return dir_ / "HKEY_LOCAL_MACHINE.reg"; }
  std::filesystem::path UserFile() const { return dir_ / "HKEY_CURRENT_USER.reg"; }

  TempDir dir_;
  std::vector<std::string> notices_;
};

}  // namespace orvex::test
