#include "app/ProgramRuns.h"

#include <cstdio>

#include "app/CommandLine.h"
#include "app/Forms.h"
#include "app/HeadlessRecording.h"
#include "app/HeadlessRun.h"
#include "app/HeadlessSnapshot.h"
#include "app/ListDevices.h"
#include "app/TApplication.h"
#include "app/TerminationWatch.h"
#include "app/TfrmMain.h"
#include "engine/VOduduDudiviv.h"

namespace {

// A run that a signal ended says so in its exit code, whatever it got done.
int WithSignal(int exitCode) {
  const int signo = orvex::kernel::TerminationSignal();
  return signo ? orvex::kernel::ExitCodeForSignal(signo) : exitCode;
}

}  // namespace

int RunWithWindows(TApplication& application, const orvex::kernel::TerminationSignals& caught) {
  // Ends the run as the close box of the main window does: the loop ends,
  // then the windows go, which finishes a recording and saves the settings.
  TTerminationWatch watch(caught, [](int) {
    if (frmMain) frmMain->close();
  });
  application.CreateForms();
  int exitCode = kExitDone;
  if (!orvex::kernel::TerminationSignal()) exitCode = application.Run();
  application.DestroyForms();
  return WithSignal(exitCode);
}

int RunHeadlessJob(TApplication& application, const TCommandLine& options) {
  const THeadlessMode headless;
  const int exitCode = !options.recordFile.empty()
                           ? RecordHeadless(application, options.recordFile, options.seconds)
                           : SnapshotHeadless(application, options.snapshotFile);
  application.DestroyForms();
  return WithSignal(exitCode);
}

int RunListDevices() {
  const THeadlessMode headless;
  VOduduDudiviv engine;
  return ListDevices(engine, stdout);
}
