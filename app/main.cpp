#include <cstdio>
#include <cstdlib>

#include "app/CommandLine.h"
#include "app/HeadlessRecording.h"
#include "app/HeadlessSnapshot.h"
#include "app/ListDevices.h"
#include "app/RecordingRepair.h"
#include "app/TApplication.h"
#include "engine/VOduduDudiviv.h"

int main(int argc, char** argv) {
  const TCommandLine options = ParseCommandLine({argv + 1, argv + argc});
  if (!options.error.empty()) {
    std::fprintf(stderr, "orvex: %s\n", options.error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs(VersionText().c_str(), stdout);
    return 0;
  }
  if (!options.repairFile.empty()) return RepairFromCommandLine(options.repairFile);
  if (options.testDevices) setenv("ORVEX_TEST_DEVICES", "1", 1);
  // Headless work needs no display: Qt draws nothing on its offscreen platform.
  auto set = [](const char* name) { return std::getenv(name) && *std::getenv(name); };
  if (options.Headless() && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);

  TApplication application(argc, argv);
  RepairUnfinishedAtStart(options.Headless());
  if (options.listDevices) {
    VOduduDudiviv engine;
    return ListDevices(engine, stdout);
  }
  if (!options.recordFile.empty()) {
    const int exitCode = RecordHeadless(application, options.recordFile, options.seconds);
    application.DestroyForms();
    return exitCode;
  }
  if (!options.snapshotFile.empty()) {
    const int exitCode = SnapshotHeadless(application, options.snapshotFile);
    application.DestroyForms();
    return exitCode;
  }
  application.CreateForms();
  const int exitCode = application.Run();
  application.DestroyForms();
  return exitCode;
}
