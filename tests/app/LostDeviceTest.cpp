// A microphone unplugged while recording: the recording ends with its file
// finished, the user is told which device went, and a headless recording
// says it did not get the time it was asked for.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <set>

#include "app/Forms.h"
#include "app/HeadlessRecording.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "dialogs/TfrmConfiguration.h"
#include "engine/TSyncManager.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/media/DeviceSource.h"
#include "platform/media/testdevices/TestDevices.h"
#include "preview/TfrmPreview.h"
#include "settings/CaptureSettings.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "widgets/TCaptionLabel.h"
#include "widgets/TPictureButton.h"

using orvex::dialogs::ScriptedDialogs;
using orvex::test::WaitUntil;
namespace testdevices = orvex::media::testdevices;

namespace {

TApplication& App() { return *static_cast<TApplication*>(QCoreApplication::instance()); }

constexpr const char* kCameraId = "orvex-test/camera-1";
constexpr const char* kMicrophoneId = "orvex-test/microphone-1";

class LostDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv("ORVEX_CONFIG_DIR");
    previousConfig_ = previous ? previous : "";
    setenv("ORVEX_CONFIG_DIR", folder.str().c_str(), 1);
    TSyncManager::Free();
    testdevices::SetDefaultDevices(true);
    App().CreateForms();
    // The test camera and microphone, as the settings dialog would store them.
    TfrmConfiguration& c = *frmConfiguration;
    c.cbSVVideoSource->setCurrentIndex(
        c.cbSVVideoSource->findText(testdevices::kCameraName, Qt::MatchStartsWith));
    c.cbSVVideoSourceChange();
    c.cbSVAudioSource->setCurrentIndex(
        c.cbSVAudioSource->findText(testdevices::kMicrophoneName, Qt::MatchStartsWith));
    c.cbSVAudioSourceChange();
    ASSERT_GT(c.cbSVVideoSource->currentIndex(), 0);
    ASSERT_GT(c.cbSVAudioSource->currentIndex(), 0);
    c.SaveSettings();
  }
  void TearDown() override {
    App().DestroyForms();
    TSyncManager::Free();
    UnplugAndWait();
    setenv("ORVEX_CONFIG_DIR", previousConfig_.c_str(), 1);
  }
  bool UnplugMicrophone() { return microphoneUnplugged_ = testdevices::Remove(kMicrophoneId); }

  std::vector<ScriptedDialogs::Call> Boxes() const {
    return script.CallsOf(ScriptedDialogs::Kind::MessageBox);
  }

  orvex::test::TempDir folder;
  ScriptedDialogs script;

 private:
  // The device monitor reports unplugged devices later, on the main loop;
  // the next test of this process must not take that for its own devices going.
  void UnplugAndWait() {
    std::set<std::string> gone;
    if (microphoneUnplugged_) gone.insert(kMicrophoneId);
    auto& source = orvex::media::DeviceSource();
    source.SetChangeCallback([&gone](bool arrived, const std::string& id) {
      if (!arrived) gone.insert(id);
    });
    testdevices::SetDefaultDevices(false);
    WaitUntil([&] { return gone.count(kCameraId) && gone.count(kMicrophoneId); });
    source.SetChangeCallback(nullptr);
  }

  std::string previousConfig_;
  bool microphoneUnplugged_ = false;
};

TEST_F(LostDevice, AMicrophoneUnpluggedWhileRecordingEndsItAndSaysSo) {
  frmMain->show();
  const std::string file = (folder / "cut.avi").string();
  script.QueueSaveFile(QString::fromStdString(file));
  frmMain->btnStart->click();
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  ASSERT_TRUE(WaitUntil([&] { return engine.RecordingElapsedSeconds() >= 1.0; }, 20000));
  ASSERT_TRUE(UnplugMicrophone());

  ASSERT_TRUE(WaitUntil([&] { return !Boxes().empty(); }, 20000)) << "nobody was told";
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Orvex Ziru");
  EXPECT_EQ(boxes[0].text.toStdString(),
            "The recording stopped because Test Tone Microphone is no longer there; " + file +
                " keeps what was recorded until then");
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready");
  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_TRUE(probe.error.empty()) << probe.error;
  EXPECT_NE(probe.First("audio"), nullptr);
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

TEST_F(LostDevice, AHeadlessRecordingCutShortFails) {
  const std::string file = (folder / "cut.avi").string();
  bool unplugged = false;
  QTimer unplug;
  unplug.callOnTimeout([&] {
    if (!unplugged && frmPreview && frmPreview->VOduduDudiviv1->RecordingElapsedSeconds() >= 1.0)
      unplugged = UnplugMicrophone();
  });
  unplug.start(20);
  App().DestroyForms();  // the headless run brings up its own hidden windows
  EXPECT_EQ(RecordHeadless(App(), file, 30), 1) << "it did not record the 30 s asked for";
  EXPECT_TRUE(unplugged);
  EXPECT_LT(frmPreview->VOduduDudiviv1->RecordingElapsedSeconds(), 30);
  EXPECT_TRUE(orvex::test::ProbeFile(file).error.empty()) << "the file holds what was recorded";
}

}  // namespace
