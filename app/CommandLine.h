#pragma once
// The program's command-line options. Qt's own single-dash options
// (-platform, -display, -style, ...) are left to Qt; anything else the
// program does not know is refused, never silently ignored.

#include <string>
#include <vector>

struct TCommandLine {
  bool help = false;
  bool version = false;
  bool testDevices = false;
  bool listDevices = false;
  std::string recordFile;  // --record FILE
  double seconds = 5;      // --seconds N
  bool secondsGiven = false;
  std::string snapshotFile;      // --snapshot FILE
  std::string repairFile;        // --repair FILE
  bool qtPlatformGiven = false;  // -platform NAME
  // Options that work without a window or a display.
  bool Headless() const {
    return listDevices || !recordFile.empty() || !snapshotFile.empty() || !repairFile.empty();
  }
  std::string error;  // set when the options cannot be used: one line, without "orvex: "
};

TCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();
// The line printed after a usage error.
std::string UsageHint();
std::string VersionText();

// Exit codes of the program.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
