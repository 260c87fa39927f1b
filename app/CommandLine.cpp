#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>

#include "engine/EngineVersion.h"
#include "preview/SnapshotSaver.h"

namespace {

constexpr double kWeekSeconds = 7 * 24 * 3600;

const std::set<std::string> kOurOptions = {"--help",   "--version", "--test-devices", "--list-devices",
                                           "--record", "--seconds", "--snapshot",     "--repair"};

// Qt reads these itself (QGuiApplication, QApplication, the xcb platform).
const std::set<std::string> kQtOptionsWithValue = {"-platform",
                                                   "-platformpluginpath",
                                                   "-platformtheme",
                                                   "-plugin",
                                                   "-display",
                                                   "-geometry",
                                                   "-qwindowgeometry",
                                                   "-qwindowicon",
                                                   "-qwindowtitle",
                                                   "-title",
                                                   "-name",
                                                   "-style",
                                                   "-stylesheet",
                                                   "-session",
                                                   "-visual"};
const std::set<std::string> kQtFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

// Digits with an optional fraction ("10", "2.5", ".5"): no sign, exponent,
// hexadecimal or spaces, which strtod would take without a word.
std::optional<double> PlainDecimal(const std::string& text) {
  static const std::regex decimal(R"(\d{1,12}(\.\d{1,12})?|\.\d{1,12})");
  double value = 0;
  if (!std::regex_match(text, decimal)) return std::nullopt;
  std::from_chars(text.data(), text.data() + text.size(), value);  // whatever the locale says
  return value;
}

std::string Extension(const std::string& file) {
  std::string ext = std::filesystem::path(file).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

std::string CheckSeconds(const std::string& text, double& seconds) {
  const auto value = PlainDecimal(text);
  if (!value)
    return "'--seconds " + text + "': give the time in seconds as a plain number, such as 10 or 2.5";
  if (!(*value > 0) || *value > kWeekSeconds)
    return "'--seconds " + text +
           "': the time must be more than 0 seconds and at most a week (604800 seconds)";
  seconds = *value;
  return {};
}

// Jobs exclude each other; an option that belongs to a job needs it.
std::string CheckCombinations(const TCommandLine& r) {
  std::vector<std::string> jobs;
  if (r.listDevices) jobs.push_back("--list-devices");
  if (!r.recordFile.empty()) jobs.push_back("--record");
  if (!r.snapshotFile.empty()) jobs.push_back("--snapshot");
  if (!r.repairFile.empty()) jobs.push_back("--repair");
  if (jobs.size() > 1)
    return "'" + jobs[0] + "' and '" + jobs[1] + "' cannot be used together; give one of them";
  if (r.secondsGiven && r.recordFile.empty()) return "'--seconds' only goes with '--record'";
  if (!r.recordFile.empty() && Extension(r.recordFile) != ".avi")
    return "'--record " + r.recordFile + "': recordings are AVI files; give a name that ends in .avi";
  if (!r.snapshotFile.empty() && !SnapshotFormatOfPath(r.snapshotFile))
    return "'--snapshot " + r.snapshotFile + "': give a name that ends in .bmp, .jpg or .gif";
  return {};
}

std::string UnknownArgument(const std::string& arg) {
  if (kOurOptions.count("-" + arg)) return "unknown option '" + arg + "' (did you mean '-" + arg + "'?)";
  if (arg.rfind('-', 0) == 0) return "unknown option '" + arg + "'";
  return "unexpected argument '" + arg + "'; the options start with --";
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine result;
  std::set<std::string> given;
  for (std::size_t i = 0; i < args.size() && result.error.empty(); ++i) {
    std::string arg = args[i];
    // "--seconds=10" as well as "--seconds 10".
    std::optional<std::string> attached;
    if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      attached = arg.substr(eq + 1);
      arg.resize(eq);
    }
    // The value of an option that takes one; a second use would override
    // the first without a word, so it is refused.
    auto value = [&](const std::string& what) -> std::string {
      if (!given.insert(arg).second) {
        result.error = "'" + arg + "' is given twice";
        return {};
      }
      std::string text;
      if (attached) {
        text = *attached;
      } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
        text = args[++i];
      }
      if (text.empty()) result.error = "'" + arg + "' needs " + what;
      return text;
    };
    if (arg == "--record") {
      result.recordFile = value("a file name");
      continue;
    }
    if (arg == "--snapshot") {
      result.snapshotFile = value("a file name");
      continue;
    }
    if (arg == "--repair") {
      result.repairFile = value("a file name");
      continue;
    }
    if (arg == "--seconds") {
      const std::string text = value("a number of seconds");
      result.secondsGiven = true;
      if (result.error.empty()) result.error = CheckSeconds(text, result.seconds);
      continue;
    }
    if (attached) {
      result.error = "'" + arg + "' takes no value";
    } else if (arg == "--help" || arg == "-h") {
      result.help = true;
    } else if (arg == "--version" || arg == "-v") {
      result.version = true;
    } else if (arg == "--test-devices") {
      result.testDevices = true;
    } else if (arg == "--list-devices") {
      result.listDevices = true;
    } else if (kQtOptionsWithValue.count(arg) || kQtFlags.count(arg)) {
      // Qt takes these from the arguments itself; only skip the value.
      if (arg == "-platform") result.qtPlatformGiven = true;
      if (kQtOptionsWithValue.count(arg) && ++i >= args.size()) result.error = "'" + arg + "' needs a value";
    } else {
      result.error = UnknownArgument(arg);
    }
  }
  if (result.error.empty() && !result.help && !result.version) result.error = CheckCombinations(result);
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
         "  --record FILE     record to FILE (.avi) with the stored settings, windows hidden,\n"
         "                    then exit\n"
         "  --seconds N       how long --record records, more than 0 and at most 604800\n"
         "                    (default 5)\n"
         "  --snapshot FILE   save one snapshot as FILE (.bmp, .jpg or .gif), windows hidden\n"
         "  --repair FILE     repair a recording that was never finished (exit code 0 when\n"
         "                    the file is now complete, 1 when it cannot be repaired)\n"
         "\n"
         "--list-devices, --record, --snapshot and --repair need no display and exit with\n"
         "0 when the job was done, 1 when it failed and 2 when the options were wrong.\n"
         "Ctrl-C (SIGINT), SIGTERM and SIGHUP finish a recording and save the settings\n"
         "before the program ends (exit codes 130, 143 and 129).\n"
         "\n"
         "Settings are kept in $ORVEX_CONFIG_DIR, else $XDG_CONFIG_HOME/orvex,\n"
         "else ~/.config/orvex.\n";
}

std::string UsageHint() { return "Try 'orvex --help' for the options.\n"; }

std::string VersionText() { return std::string("Orvex Ziru v1.4\nVOduduDudiviv ") + kEngineVersion + "\n"; }
