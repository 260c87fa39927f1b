// Recording from the main window with the built-in test camera: the buttons
// through a whole recording, the question before a file is replaced, and
// failures said in the error box, with the window idle again and the
// preview running.

#include <gtest/gtest.h>

#include <QComboBox>

#include "dialogs/TfrmConfiguration.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/media/testdevices/TestDevices.h"
#include "preview/TfrmPreview.h"
#include "tests/app/MainWindowSupport.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/Wait.h"
#include "widgets/TCaptionLabel.h"

namespace fs = std::filesystem;
using orvex::dialogs::MsgIcon;
using orvex::dialogs::MsgResult;
using orvex::dialogs::ScriptedDialogs;
using orvex::test::WaitUntil;

namespace {

class RecordingWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    orvex::media::testdevices::SetDefaultDevices(true);
    App().CreateForms();
    const int camera =
        frmConfiguration->cbSVVideoSource->findText("Test Pattern Camera", Qt::MatchStartsWith);
    ASSERT_GT(camera, 0);
    frmConfiguration->cbSVVideoSource->setCurrentIndex(camera);
    frmConfiguration->cbSVVideoSourceChange();
    frmMain->show();  // hands the choice to the engine
    ASSERT_EQ(Buttons(), kIdle);
    // The preview starts once the program is idle, after the device news
    // still on its way from earlier tests.
    ASSERT_TRUE(Previewing());
  }
  void TearDown() override {
    App().DestroyForms();
    orvex::media::testdevices::SetDefaultDevices(false);
  }

  VOduduDudiviv& Engine() { return *frmPreview->VOduduDudiviv1; }
  std::vector<ScriptedDialogs::Call> Boxes() const {
    return script.CallsOf(ScriptedDialogs::Kind::MessageBox);
  }
  std::vector<ScriptedDialogs::Call> Saves() const { return script.CallsOf(ScriptedDialogs::Kind::SaveFile); }
  void ClickStart(const fs::path& file) {
    script.QueueSaveFile(QString::fromStdString(file.string()));
    frmMain->btnStart->click();
  }
  bool Previewing() {
    return WaitUntil([&] { return Engine().EngineState() == es_Previewing; });
  }

  SettingsFolder settings;
  ScriptedDialogs script;
  orvex::test::TempDir videos;
};

}  // namespace

TEST_F(RecordingWindow, ARecordingGoesThroughTheButtonStatesOfTheTable) {
  // Cancelling the file dialog changes nothing.
  frmMain->btnStart->click();
  ASSERT_EQ(Saves().size(), 1u);
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(Engine().RecordingFileName(), "");

  frmMain->SaveDialog1.fileName = "earlier.avi";
  const fs::path file = videos / "clip.avi";
  ClickStart(file);
  EXPECT_EQ(Saves().back().file.fileName, "") << "the dialog starts without a name";
  EXPECT_EQ(Saves().back().file.title, "Select Video File Name");
  EXPECT_EQ(Engine().RecordingFileName(), file.string());
  EXPECT_EQ(Buttons(), kRequested);
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready") << "unchanged until the engine reports the start";
  ASSERT_TRUE(WaitUntil([] { return Buttons() == kRecording; }));
  EXPECT_TRUE(frmMain->lblStatus->text().startsWith("Recording ["))
      << frmMain->lblStatus->text().toStdString();
  ASSERT_TRUE(WaitUntil([&] { return Engine().RecordingElapsedSeconds() > 0.5; }));

  frmMain->btnStop->click();
  EXPECT_EQ(Buttons(), kStopped);
  EXPECT_EQ(Engine().RecordingFileName(), "");
  ASSERT_TRUE(WaitUntil([] { return Buttons() == kIdle; }));
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Previewing());
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

TEST_F(RecordingWindow, AnExistingFileIsReplacedOnlyWhenTheUserSaysYes) {
  const fs::path file = videos / "old.avi";
  orvex::test::WriteFile(file, "an earlier recording");
  const QString name = QString::fromStdString(file.string());

  // No: the dialog comes back with the name; cancelling it records nothing.
  script.QueueSaveFile(name);
  script.QueueMessageResult(MsgResult::No);
  script.QueueSaveFile(std::nullopt);
  frmMain->btnStart->click();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text.toStdString(), file.string() + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(Boxes()[0].caption, "Orvex Ziru");
  EXPECT_EQ(Boxes()[0].icon, MsgIcon::Warning);
  ASSERT_EQ(Saves().size(), 2u);
  EXPECT_EQ(Saves()[1].file.fileName.toStdString(), file.string());
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(orvex::test::ReadFile(file), "an earlier recording");

  // Yes: the recording goes into it.
  script.QueueSaveFile(name);
  script.QueueMessageResult(MsgResult::Yes);
  frmMain->btnStart->click();
  EXPECT_EQ(Engine().EngineState(), es_Recording);
  ASSERT_TRUE(WaitUntil([&] { return Engine().RecordingElapsedSeconds() > 0.3; }));
  frmMain->btnStop->click();
  ASSERT_TRUE(WaitUntil([] { return Buttons() == kIdle; }));
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(RecordingWindow, AReadOnlyFolderIsSaidInTheErrorBoxAndThePreviewComesBack) {
  fs::permissions(videos.path(), fs::perms::owner_read | fs::perms::owner_exec);
  orvex::test::WithoutPermissionOverride asAnyUser;
  const fs::path file = videos / "clip.avi";
  ClickStart(file);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text.toStdString(), "Cannot write to " + file.string() + ": permission denied");
  EXPECT_EQ(Boxes()[0].caption, "Orvex Ziru");
  EXPECT_EQ(Boxes()[0].icon, MsgIcon::Stop);
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready");
  EXPECT_TRUE(Previewing());
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(RecordingWindow, AFullDiskIsSaidAndTheFileIsFinishedUpToItsLastFrame) {
  orvex::test::SmallDisk disk(videos / "small", "40m");
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
  const fs::path file = disk.path() / "full.avi";
  ClickStart(file);
  ASSERT_TRUE(WaitUntil([&] { return !Boxes().empty(); }, 30000));
  const std::string text = Boxes()[0].text.toStdString();
  EXPECT_EQ(text.rfind("The disk is full: the recording was stopped at 00:0", 0), 0u) << text;
  EXPECT_NE(text.find(" and saved up to there"), std::string::npos) << text;
  EXPECT_EQ(Boxes()[0].icon, MsgIcon::Stop);
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_TRUE(Previewing());
  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_NE(probe.First("video"), nullptr) << probe.error;
  EXPECT_GT(probe.First("video")->frames, 10);
  EXPECT_GT(orvex::test::ContainerDuration(file), 0.3) << "the header and index were written";
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}
