#pragma once
// The program's command-line options. Single-dash options other than ours
// are left to Qt (-platform, -display, ...).

#include <string>
#include <vector>

struct TCommandLine {
  bool help = false;
  bool version = false;
  bool testDevices = false;
  bool listDevices = false;
  std::string recordFile;  // --record FILE
  double seconds = 5;      // --seconds N
  std::string snapshotFile;  // --snapshot FILE
  std::string repairFile;    // --repair FILE
  // Options that work without a window or a display.
  bool Headless() const {
    return listDevices || !recordFile.empty() || !snapshotFile.empty() || !repairFile.empty();
  }
  std::string error;  // set when the options cannot be used
};

TCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();
std::string VersionText();
