// SIGTERM while the windows run and record: the run ends as the close box
// ends it, so the recording is finished with its header and index, the
// choices made in the windows are saved, and the exit code names the signal.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <csignal>

#include "app/Forms.h"
#include "app/ProgramRuns.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "dialogs/TfrmConfiguration.h"
#include "dialogs/TfrmOverlay.h"
#include "dialogs/TfrmSnapShot.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "engine/VOduduDudiviv.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/media/testdevices/TestDevices.h"
#include "preview/TfrmPreview.h"
#include "settings/OverlaySettings.h"
#include "settings/SnapShotSettings.h"
#include "settings/VideoProcessingSettings.h"
#include "tests/app/SettingsFolder.h"
#include "tests/support/MediaProbe.h"
#include "widgets/TPictureButton.h"

namespace {

TApplication& App() { return *static_cast<TApplication*>(QCoreApplication::instance()); }

class SignalWithWindows : public ::testing::Test {
 protected:
  void SetUp() override { orvex::media::testdevices::SetDefaultDevices(true); }
  void TearDown() override {
    App().DestroyForms();
    orvex::media::testdevices::SetDefaultDevices(false);
  }

  // Runs the windows; `step` is called every 20 ms on the event loop until
  // it answers true. The run is closed after a deadline, failing the test.
  int RunWindows(const std::function<bool()>& step) {
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
      if (step()) driver.stop();
    });
    driver.start(20);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] {
      ADD_FAILURE() << "the run did not end";
      if (frmMain) frmMain->close();
    });
    deadline.start(90000);
    return RunWithWindows(App(), caught);
  }

  SettingsFolder settings;
  orvex::dialogs::ScriptedDialogs script;
  orvex::test::TempDir output;
  orvex::kernel::TerminationSignals caught;
};

TEST_F(SignalWithWindows, FinishesTheRecordingAndSavesTheWindowsChoices) {
  const std::string file = (output / "clip.avi").string();
  enum { kChooseCamera, kRecord, kSignal, kDone } phase = kChooseCamera;
  const int exitCode = RunWindows([&] {
    VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
    switch (phase) {
      case kChooseCamera: {
        TfrmConfiguration& c = *frmConfiguration;
        const int camera = c.cbSVVideoSource->findText("Test Pattern Camera", Qt::MatchStartsWith);
        if (camera <= 0) return false;
        c.cbSVVideoSource->setCurrentIndex(camera);
        c.cbSVVideoSourceChange();
        c.cbSVVideoSize->setCurrentIndex(c.cbSVVideoSize->findText("160x120"));
        frmMain->ApplyCaptureSettings();
        phase = kRecord;
        return false;
      }
      case kRecord:
        if (engine.EngineState() != es_Previewing) return false;
        script.QueueSaveFile(QString::fromStdString(file));
        frmMain->btnStart->click();
        phase = kSignal;
        return false;
      case kSignal:
        if (engine.EngineState() != es_Recording || engine.RecordingElapsedSeconds() < 1.5) return false;
        // Choices of this run that no timer stored yet.
        frmVideoProcessing->slHue->setValue(-77);
        frmSnapShot->rbGIF->click();
        frmOverlay->Edit1->setText("signalled");
        std::raise(SIGTERM);
        phase = kDone;
        return true;
      case kDone: return true;
    }
    return true;
  });

  EXPECT_EQ(exitCode, 143);
  EXPECT_EQ(phase, kDone);
  EXPECT_EQ(orvex::settings::TVideoProcessingSettings::Read().Hue, -77);
  EXPECT_EQ(orvex::settings::TSnapShotSettings::Read().SnapShotFormat, 2);
  EXPECT_EQ(orvex::settings::TOverlaySettings::Read().OverlayText, "signalled");

  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_TRUE(probe.error.empty()) << probe.error;
  const auto* video = probe.First("video");
  ASSERT_NE(video, nullptr);
  EXPECT_GE(video->frames, 10);
  EXPECT_EQ(video->declaredFrames, video->frames) << "the header counts every frame";
  EXPECT_NEAR(probe.duration, video->frames / 30.0, 0.1);
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

}  // namespace
