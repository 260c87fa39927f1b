#include "app/CommandLine.h"

#include <cstdlib>

#include "engine/EngineVersion.h"

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine result;
  // The value after an option that takes one; empty and an error when missing.
  auto value = [&](std::size_t& i, const std::string& option) -> std::string {
    if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) return args[++i];
    result.error = "option '" + option + "' needs a value; try 'orvex --help'";
    return {};
  };
  for (std::size_t i = 0; i < args.size() && result.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--record") {
      result.recordFile = value(i, arg);
      continue;
    }
    if (arg == "--snapshot") {
      result.snapshotFile = value(i, arg);
      continue;
    }
    if (arg == "--repair") {
      result.repairFile = value(i, arg);
      continue;
    }
    if (arg == "--seconds") {
      const std::string text = value(i, arg);
      char* end = nullptr;
      result.seconds = std::strtod(text.c_str(), &end);
      if (result.error.empty() && (text.empty() || *end || !(result.seconds > 0) || result.seconds > 86400 * 7))
        result.error = "'--seconds " + text + "' is not a number of seconds between 0 and a week";
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      result.help = true;
    } else if (arg == "--version" || arg == "-v") {
      result.version = true;
    } else if (arg == "--test-devices") {
      result.testDevices = true;
    } else if (arg == "--list-devices") {
      result.listDevices = true;
    } else if (arg.rfind("--", 0) == 0) {
      result.error = "unknown option '" + arg + "'; try 'orvex --help'";
      return result;
    }
  }
  const bool otherJob = result.listDevices || !result.recordFile.empty() || !result.snapshotFile.empty();
  if (result.error.empty() && !result.repairFile.empty() && otherJob)
    result.error = "'--repair' repairs one file and does nothing else; try 'orvex --help'";
  return result;
}

std::string UsageText() {
  return "Usage: orvex [options]\n"
         "Orvex Ziru: shows, records and snapshots the picture of a webcam.\n"
         "\n"
         "Options:\n"
         "  --help            show this text and exit\n"
         "  --version         show the program's and the capture engine's versions and exit\n"
         "  --test-devices    also list the built-in test camera and test microphone\n"
         "  --list-devices    print the capture devices, compressors and formats with the\n"
         "                    indexes of the capture settings, then exit\n"
         "  --record FILE     record to FILE with the stored settings, windows hidden, then exit\n"
         "  --seconds N       how long --record records (default 5)\n"
         "  --snapshot FILE   save one snapshot as FILE (.bmp, .jpg or .gif), windows hidden\n"
         "  --repair FILE     repair a recording that was never finished (exit code 0 when\n"
         "                    the file is now complete, 1 when it cannot be repaired)\n"
         "\n"
         "Settings are kept in $ORVEX_CONFIG_DIR, else $XDG_CONFIG_HOME/orvex,\n"
         "else ~/.config/orvex.\n";
}

std::string VersionText() {
  return std::string("Orvex Ziru v1.4\nVOduduDudiviv ") + kEngineVersion + "\n";
}
