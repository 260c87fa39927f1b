#include <cstdio>
#include <cstdlib>

#include "app/CommandLine.h"
#include "app/ProgramRuns.h"
#include "app/RecordingRepair.h"
#include "app/TApplication.h"
#include "platform/kernel/TerminationSignals.h"

namespace {

bool IsSet(const char* name) { return std::getenv(name) && *std::getenv(name); }

}  // namespace

int main(int argc, char** argv) {
  const TCommandLine options = ParseCommandLine({argv + 1, argv + argc});
  if (!options.error.empty()) {
    std::fprintf(stderr, "orvex: %s\n%s", options.error.c_str(), UsageHint().c_str());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitDone;
  }
  if (options.version) {
    std::fputs(VersionText().c_str(), stdout);
    return kExitDone;
  }
  const bool display =
      IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM") || options.qtPlatformGiven;
  if (!options.Headless() && !display) {
    // Qt would abort; say what is missing and what works without it.
    std::fputs(
        "orvex: there is no display to show the windows on (DISPLAY is not set); "
        "--list-devices, --record and --snapshot work without one\n",
        stderr);
    return kExitFailed;
  }
  if (!options.repairFile.empty()) return RepairFromCommandLine(options.repairFile);
  if (options.testDevices) setenv("ORVEX_TEST_DEVICES", "1", 1);
  // Headless work needs no display: Qt draws nothing on its offscreen platform.
  if (options.Headless() && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

  if (options.listDevices) {
    // Nothing to finish: a signal ends the listing at once, as usual.
    TApplication application(argc, argv);
    RepairUnfinishedAtStart(true);
    return RunListDevices();
  }
  // Caught from before the windows exist, so no signal can cut a run short
  // of its end; the event loop reacts once it runs.
  const orvex::kernel::TerminationSignals caught;
  TApplication application(argc, argv);
  RepairUnfinishedAtStart(options.Headless());
  if (options.Headless()) return RunHeadlessJob(application, options);
  return RunWithWindows(application, caught);
}
