#include "app/CommandLine.h"

#include "engine/EngineVersion.h"

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine result;
  for (const std::string& arg : args) {
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
         "\n"
         "Settings are kept in $ORVEX_CONFIG_DIR, else $XDG_CONFIG_HOME/orvex,\n"
         "else ~/.config/orvex.\n";
}

std::string VersionText() {
  return std::string("Orvex Ziru v1.4\nVOduduDudiviv ") + kEngineVersion + "\n";
}
