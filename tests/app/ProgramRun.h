#pragma once
// The real program binary run by a test: its own settings folder, the test
// devices, no display, and a deadline past which it is killed (a hang fails
// the test instead of hanging the suite).

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace orvex::test {

// Long enough for a loaded machine and the sanitizers, short next to a hang.
inline constexpr int kProgramDeadlineMs = 90000;

class ProgramRun {
 public:
  ProgramRun();

  // The settings folder the program uses.
  const std::filesystem::path& Config() const { return config_.path(); }
  // A folder for the program's output files.
  const TempDir& Output() const { return output_; }

  // Runs `orvex <args>` to its end or the deadline.
  ChildResult Run(const std::vector<std::string>& args) const;
  // Starts `orvex <args>` without waiting.
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args) const;

  // Environment changes on top of the ones every run gets.
  std::map<std::string, std::optional<std::string>> environment;

 private:
  std::vector<std::string> Argv(const std::vector<std::string>& args) const;
  std::map<std::string, std::optional<std::string>> Environment() const;

  TempDir config_;
  TempDir runtime_;
  TempDir output_;
};

// The lines of `text` that are not the sanitizers' report of suppressed
// allocations.
std::vector<std::string> MessageLines(const std::string& text);

}  // namespace orvex::test
