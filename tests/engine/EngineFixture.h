#pragma once
// An engine on its own, with its reports collected through OnLog.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/VOduduDudiviv.h"
#include "platform/kernel/UnhandledException.h"
#include "tests/support/EngineProbe.h"
#include "tests/support/Wait.h"

struct LoggedReport {
  TLogType code;
  std::string severity;
  std::string message;
  bool operator==(const LoggedReport&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const LoggedReport& r) {
  return os << r.code << " " << r.severity << ": " << r.message;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = std::make_unique<VOduduDudiviv>();
    engine->HandleNeeded();
    engine->setOnLog(
        [this](VOduduDudiviv*, TLogType code, const std::string& severity, const std::string& message) {
          reports.push_back({code, severity, message});
        });
  }
  void TearDown() override { engine.reset(); }

  EngineProbe probe() { return EngineProbe(*engine); }

  std::unique_ptr<VOduduDudiviv> engine;
  std::vector<LoggedReport> reports;
};
