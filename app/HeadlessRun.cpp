#include "app/HeadlessRun.h"

#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "app/Forms.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "engine/VOduduDudiviv.h"
#include "platform/dialogs/HeadlessDialogs.h"
#include "platform/kernel/TerminationSignals.h"
#include "preview/TfrmPreview.h"

namespace {

// A property page nobody could see answers Cancel.
bool RefusePropertyPages(QWidget*, const std::string&, std::vector<orvex::media::ElementProperty>&,
                         const std::function<void(const std::string&, const std::string&)>&) {
  return false;
}

}  // namespace

THeadlessMode::THeadlessMode() : dialogs_(std::make_unique<orvex::dialogs::HeadlessDialogs>()) {
  VOduduDudiviv::SetPropertyDialogRunner(RefusePropertyPages);
}

THeadlessMode::~THeadlessMode() { VOduduDudiviv::SetPropertyDialogRunner(nullptr); }

VOduduDudiviv& PrepareHeadlessEngine(TApplication& application, std::vector<std::string>& errors) {
  application.CreateForms();
  frmMain->ApplyCaptureSettings();
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  if (engine.VideoDevice() < 0 && engine.VideoDevicesCount() > 0) {
    // Nothing chosen in the settings yet: take the first camera rather than fail.
    engine.setVideoDevice(0);
    std::fprintf(stderr, "orvex: no camera is chosen in the settings; using %s\n",
                 engine.VideoDeviceName().c_str());
  }
  engine.setOnLog(
      [&errors](VOduduDudiviv*, TLogType, const std::string& severity, const std::string& message) {
        if (severity == "ERROR") errors.push_back(message);
      });
  engine.HandleNeeded();
  return engine;
}

int HeadlessFailure(const std::string& message) {
  std::fprintf(stderr, "orvex: %s\n", message.c_str());
  return 1;
}

bool StopRequested() { return orvex::kernel::TerminationSignal() != 0; }

void SayStopped(const std::string& what) {
  std::fprintf(stderr, "orvex: stopped by %s: %s\n",
               orvex::kernel::SignalName(orvex::kernel::TerminationSignal()), what.c_str());
}

bool RunLoopUntil(const std::function<bool()>& done, int timeoutMs) {
  bool result = done();
  if (result) return true;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if ((result = done())) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  poll.start();
  loop.exec();
  return result;
}
