// The main window inside the whole window set: what it hands to the engine,
// its buttons in every recording state, help and web link, and the notices
// of the settings store.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include "app/Forms.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "dialogs/TfrmConfiguration.h"
#include "dialogs/TfrmOverlay.h"
#include "dialogs/TfrmSnapShot.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "engine/TSyncManager.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/media/testdevices/TestDevices.h"
#include "preview/TfrmPreview.h"
#include "settings/CaptureSettings.h"
#include "tests/support/FakeDeviceSource.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "widgets/TAboutBox.h"
#include "widgets/TBalloonHints.h"
#include "widgets/TBalloonTip.h"
#include "widgets/TCaptionLabel.h"
#include "widgets/TLinkLabel.h"
#include "widgets/TPictureButton.h"

using orvex::dialogs::MsgIcon;
using orvex::dialogs::ScriptedDialogs;
using orvex::media::DeviceCategory;
using orvex::settings::TCaptureSettings;

namespace {

TApplication& App() { return *static_cast<TApplication*>(QCoreApplication::instance()); }

// Each test gets its own settings folder and engine manager; the folder of
// the other app tests comes back afterwards.
class SettingsFolder {
 public:
  SettingsFolder() : previous_(std::getenv("ORVEX_CONFIG_DIR")) {
    setenv("ORVEX_CONFIG_DIR", folder.str().c_str(), 1);
    TSyncManager::Free();
  }
  ~SettingsFolder() {
    TSyncManager::Free();
    setenv("ORVEX_CONFIG_DIR", previous_.c_str(), 1);
  }
  orvex::test::TempDir folder;

 private:
  std::string previous_;
};

// The main window's buttons, in the order of its state table.
std::string Buttons() {
  auto on = [](const QPushButton* b) { return b->isEnabled() ? "1" : "0"; };
  const QPushButton* video[] = {frmMain->btnPreview, frmMain->btnVideoProcessing, frmMain->btnOverlay,
                                frmMain->btnSnapShot};
  std::string videoState;
  for (const QPushButton* b : video) videoState += on(b);
  return std::string("start ") + on(frmMain->btnStart) + " stop " + on(frmMain->btnStop) + " windows " +
         videoState + " settings " + on(frmMain->btnConfiguration) + " help " + on(frmMain->btnHelp);
}
constexpr const char* kIdleNoDevice = "start 0 stop 0 windows 0000 settings 1 help 1";
constexpr const char* kIdle = "start 1 stop 0 windows 1111 settings 1 help 1";
constexpr const char* kRequested = "start 0 stop 1 windows 1111 settings 1 help 1";
constexpr const char* kRecording = "start 0 stop 1 windows 1111 settings 0 help 1";
constexpr const char* kStopped = "start 1 stop 0 windows 1111 settings 0 help 1";

void Click(QWidget* widget) {
  const QPointF at(2, 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  QCoreApplication::sendEvent(widget, &release);
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    source
        .AddCamera(
            "Cam",
            "video/x-raw,format=YUY2,width=640,height=480;video/x-raw,format=YUY2,width=160,height=120;"
            "video/x-raw,format=YUY2,width=352,height=288")
        .inputs = {{"in1", 2}, {"in2", 3}};
    source.Add(DeviceCategory::AudioInput, "Mic").inputs = {{"Microphone"}, {"Line In"}};
    source.Add(DeviceCategory::VideoCompressor, "JPEG encoder");
    source.Add(DeviceCategory::VideoCompressor, "MPEG-4 encoder");
    source.Add(DeviceCategory::AudioCompressor, "MP3 encoder");
  }
  void TearDown() override { App().DestroyForms(); }

  // Creates the windows over the stored choices and shows the main window.
  void Start(const TCaptureSettings& stored, bool show = true) {
    stored.Write();
    App().CreateForms();
    Engine().setOnLog([this](VOduduDudiviv*, TLogType, const std::string&, const std::string& message) {
      reports.push_back(message);
    });
    if (show) frmMain->show();
  }
  static TCaptureSettings WithCamera() {
    TCaptureSettings s;
    s.SecondVideoSource = 1;
    return s;
  }
  VOduduDudiviv& Engine() { return *frmPreview->VOduduDudiviv1; }

  // Answers the capture settings dialog the next time it is shown.
  void AnswerSettingsDialog(std::function<void(TfrmConfiguration&)> choose, bool ok) {
    QTimer::singleShot(0, [choose, ok] {
      choose(*frmConfiguration);
      (ok ? frmConfiguration->JvXPButton1 : frmConfiguration->JvXPButton2)->click();
    });
  }

  orvex::test::FakeDeviceSource source;
  SettingsFolder settings;  // frees the engine manager while the fake source is still in place
  ScriptedDialogs script;
  std::vector<std::string> reports;
};

}  // namespace

TEST_F(MainWindow, BeforeItsFirstShowOnlySettingsAndHelpAreEnabled) {
  Start(WithCamera(), /*show=*/false);
  EXPECT_EQ(Buttons(), kIdleNoDevice);
  EXPECT_EQ(frmMain->windowTitle(), "Orvex Ziru");
  const std::pair<QPushButton*, const char*> hints[] = {{frmMain->btnConfiguration, "Program Settings"},
                                                        {frmMain->btnStart, "Start Recording"},
                                                        {frmMain->btnStop, "Stop Recording"},
                                                        {frmMain->btnPreview, "Show Preview"},
                                                        {frmMain->btnVideoProcessing, "Video Processing"},
                                                        {frmMain->btnOverlay, "Video Overlay"},
                                                        {frmMain->btnSnapShot, "SnapShot"},
                                                        {frmMain->btnHelp, "Online Help"}};
  for (const auto& [button, hint] : hints) {
    EXPECT_EQ(button->toolTip(), hint);
    EXPECT_FALSE(button->icon().isNull()) << hint << ": its picture is built in";
  }
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready");
  EXPECT_EQ(frmMain->MMLabel1->text(), "Orvex Ziru Edition");
  EXPECT_EQ(frmMain->MMLabel3->text(), "v1.4");
  EXPECT_EQ(frmMain->MMLabel4->text(), TfrmMain::kWebAddress);
  ASSERT_FALSE(frmMain->Image1->pixmap().isNull());
  EXPECT_EQ(frmMain->size(), frmMain->Image1->pixmap().deviceIndependentSize().toSize())
      << "sized by the background picture";

  EXPECT_EQ(frmMain->SaveDialog1.title, "Select Video File Name");
  EXPECT_EQ(frmMain->SaveDialog1.defaultExt, ".avi");
  EXPECT_EQ(frmMain->SaveDialog1.filter, "AVI Files (*.AVI)|*.avi|All Files (*.*)|*.*");
  EXPECT_FALSE(frmMain->SaveDialog1.overwritePrompt);
}

TEST_F(MainWindow, TheFirstShowHandsTheStoredChoicesToTheEngine) {
  TCaptureSettings stored;
  stored.SecondVideoSource = 1;
  stored.SecondVideoInput = 1;
  stored.SecondVideoSize = 2;
  stored.SecondVideoCompression = 2;
  stored.SecondAudioSource = 1;
  stored.SecondAudioInput = 1;
  stored.SecondAudioFormat = 5;
  Start(stored, /*show=*/false);
  Engine().setAudioDeviceRendering(true);
  Engine().setAudioRecording(false);
  EXPECT_NE(Engine().AudioFormat(), 5) << "the format reaches the engine only when applied";

  frmMain->show();
  EXPECT_EQ(Buttons(), kIdle);
  VOduduDudiviv& e = Engine();
  EXPECT_EQ(e.VideoDevice(), 0);
  EXPECT_EQ(e.VideoInput(), 1);
  EXPECT_EQ(e.VideoSize(), 2);
  EXPECT_EQ(e.AudioDevice(), 0);
  EXPECT_EQ(e.AudioInput(), 1);
  EXPECT_EQ(e.AudioFormat(), 5);
  EXPECT_TRUE(e.AudioRecording());
  EXPECT_FALSE(e.AudioDeviceRendering());
  EXPECT_EQ(e.VideoCompressor(), 1);
  EXPECT_EQ(e.AudioCompressor(), -1);
  EXPECT_EQ(e.CompressionMode(), cm_CompressOnTheFly);
  EXPECT_EQ(e.CompressionType(), ct_Video);
}

TEST_F(MainWindow, NoneAsVideoDeviceDisablesTheVideoButtonsAndHidesThePreview) {
  Start(WithCamera());
  frmMain->btnPreview->click();
  ASSERT_TRUE(frmPreview->isVisible());
  AnswerSettingsDialog(
      [](TfrmConfiguration& c) {
        c.cbSVVideoSource->setCurrentIndex(0);
        c.cbSVVideoSourceChange();
      },
      /*ok=*/true);
  frmMain->btnConfiguration->click();
  EXPECT_EQ(Buttons(), kIdleNoDevice);
  EXPECT_FALSE(frmPreview->isVisible());
  EXPECT_EQ(Engine().VideoDevice(), -1);
  EXPECT_EQ(TCaptureSettings::Read({2, 3, 2, 2}).SecondVideoSource, 0);
}

TEST_F(MainWindow, CompressionModeAndTypeFollowTheCompressorLists) {
  Start(WithCamera());
  struct Case {
    int video, audio, audioDevice;
    TCompressionMode mode;
    TCompressionType type;
  };
  // The type is left alone without compression; ct_Audio is what it held before.
  const Case cases[] = {
      {1, 1, 1, cm_CompressOnTheFly, ct_AudioVideo}, {2, 0, 1, cm_CompressOnTheFly, ct_Video},
      {0, 1, 1, cm_CompressOnTheFly, ct_Audio},      {0, 0, 1, cm_NoCompression, ct_Audio},
      {0, 1, 0, cm_CompressOnTheFly, ct_Audio},      {1, 1, 0, cm_CompressOnTheFly, ct_AudioVideo}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "video " << c.video << " audio " << c.audio << " device "
                                    << c.audioDevice);
    Engine().setCompressionMode(cm_CompressOnTheFly);
    Engine().setCompressionType(ct_Audio);
    frmConfiguration->cbSVVideoCompression->setCurrentIndex(c.video);
    frmConfiguration->cbSVAudioCompression->setCurrentIndex(c.audio);
    frmConfiguration->cbSVAudioSource->setCurrentIndex(c.audioDevice);
    frmConfiguration->cbSVAudioSourceChange();
    frmMain->ApplyCaptureSettings();
    EXPECT_EQ(Engine().CompressionMode(), c.mode);
    EXPECT_EQ(Engine().CompressionType(), c.type);
    EXPECT_EQ(Engine().VideoCompressor(), c.video - 1);
    EXPECT_EQ(Engine().AudioCompressor(), c.audio - 1);
    // Without an audio device nothing is recorded from it, compressor or not.
    EXPECT_EQ(Engine().AudioRecording(), c.audioDevice == 1);
    EXPECT_EQ(Engine().AudioDevice(), c.audioDevice - 1);
  }
}

TEST_F(MainWindow, RecordingGoesThroughTheButtonStatesOfTheTable) {
  Start(WithCamera());
  ASSERT_EQ(Buttons(), kIdle);

  // Cancelling the file dialog changes nothing.
  frmMain->btnStart->click();
  ASSERT_EQ(script.CallsOf(ScriptedDialogs::Kind::SaveFile).size(), 1u);
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(Engine().RecordingFileName(), "");

  frmMain->SaveDialog1.fileName = "earlier.avi";
  script.QueueSaveFile(QString("/videos/clip.avi"));
  frmMain->btnStart->click();
  const auto asked = script.CallsOf(ScriptedDialogs::Kind::SaveFile).back().file;
  EXPECT_EQ(asked.fileName, "") << "the dialog starts without a name";
  EXPECT_EQ(asked.title, "Select Video File Name");
  EXPECT_FALSE(asked.overwritePrompt);
  EXPECT_EQ(Engine().RecordingFileName(), "/videos/clip.avi");
  EXPECT_EQ(Buttons(), kRequested);
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready") << "unchanged until the engine reports the start";

  frmPreview->VOduduDudiviv1RecordingStarted(&Engine(), "/videos/clip.avi");
  EXPECT_EQ(Buttons(), kRecording);
  EXPECT_EQ(frmMain->lblStatus->text(), "Recording [00:00:00]");

  frmMain->btnStop->click();
  EXPECT_EQ(Buttons(), kStopped);
  EXPECT_EQ(Engine().RecordingFileName(), "");

  frmPreview->VOduduDudiviv1RecordingCompleted(&Engine(), "/videos/clip.avi", true);
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(frmMain->lblStatus->text(), "Ready");
  EXPECT_TRUE(script.CallsOf(ScriptedDialogs::Kind::MessageBox).empty());
}

TEST_F(MainWindow, StopWhenTheEngineNeverRecordedSaysNothingAndGoesBackToIdle) {
  Start(WithCamera());
  script.QueueSaveFile(QString("/videos/clip.avi"));
  frmMain->btnStart->click();
  ASSERT_NE(Engine().EngineState(), es_Recording);
  ASSERT_EQ(Buttons(), kRequested) << "the window waits for a start that never comes";

  reports.clear();
  frmMain->btnStop->click();
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(Engine().RecordingFileName(), "");
  EXPECT_NE(std::find(reports.begin(), reports.end(), "not recording"), reports.end())
      << "only the engine's log hears of it";
  EXPECT_TRUE(script.CallsOf(ScriptedDialogs::Kind::MessageBox).empty());
}

TEST_F(MainWindow, OkInTheSettingsDialogReappliesEverythingAndDisablesStop) {
  Start(WithCamera());
  script.QueueSaveFile(QString("/videos/clip.avi"));
  frmMain->btnStart->click();
  ASSERT_EQ(Buttons(), kRequested);

  // Cancel leaves the main window and the engine's size alone.
  const int size = Engine().VideoSize();
  AnswerSettingsDialog([](TfrmConfiguration& c) { c.cbSVVideoSize->setCurrentIndex(2); }, /*ok=*/false);
  frmMain->btnConfiguration->click();
  EXPECT_EQ(Buttons(), kRequested);
  EXPECT_EQ(Engine().VideoSize(), size);

  AnswerSettingsDialog([](TfrmConfiguration& c) { c.cbSVVideoSize->setCurrentIndex(2); }, /*ok=*/true);
  frmMain->btnConfiguration->click();
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(Engine().VideoSize(), 2);
}

TEST_F(MainWindow, HelpAndTheWebLinkGoToTheDesktopOpenerWithoutAWord) {
  Start(WithCamera());
  script.SetShellOpenResult(false);  // nothing to open them with
  frmMain->btnHelp->click();
  Click(frmMain->MMLabel4);
  const auto opened = script.CallsOf(ScriptedDialogs::Kind::ShellOpen);
  ASSERT_EQ(opened.size(), 2u);
  const QString folder = QCoreApplication::applicationDirPath();
  EXPECT_EQ(opened[0].text, QDir(folder).filePath("Orvex.chm"))
      << "beside the program, not the current folder";
  EXPECT_EQ(opened[0].workingDir, folder);
  EXPECT_EQ(opened[1].text, TfrmMain::kWebAddress);
  EXPECT_TRUE(script.CallsOf(ScriptedDialogs::Kind::MessageBox).empty());
}

TEST_F(MainWindow, ABrokenSettingsFileIsSetAsideWithANotice) {
  orvex::test::WriteFile(
      settings.folder / "HKEY_LOCAL_MACHINE.reg",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n"
      "\"SecondVideoSource\"=dword:00000001\n\x7f\x01 broken\n");
  App().CreateForms();
  const auto boxes = script.CallsOf(ScriptedDialogs::Kind::MessageBox);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].caption, "Orvex Ziru");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
  EXPECT_TRUE(boxes[0].text.contains("1 line of the settings file")) << boxes[0].text.toStdString();
  EXPECT_EQ(frmConfiguration->cbSVVideoSource->currentIndex(), 1) << "the lines that read are used";
}

// The program's own test devices, through the real device monitor; plugged
// in for this test only.
class MainWindowWithTestDevices : public ::testing::Test {
 protected:
  void SetUp() override { orvex::media::testdevices::SetDefaultDevices(true); }
  void TearDown() override {
    VOduduDudiviv::SetPropertyDialogRunner(nullptr);
    App().DestroyForms();
    orvex::media::testdevices::SetDefaultDevices(false);
  }
  SettingsFolder settings;
  ScriptedDialogs script;
};

std::string gShownPropertyPages;

bool RecordPropertyPages(QWidget*, const std::string& title, std::vector<orvex::media::ElementProperty>&,
                         const std::function<void(const std::string&, const std::string&)>&) {
  gShownPropertyPages = title;
  return false;
}

TEST_F(MainWindowWithTestDevices, ListsThemAndTheChoicesSurviveARestart) {
  App().CreateForms();
  const int camera = frmConfiguration->cbSVVideoSource->findText("Test Pattern Camera", Qt::MatchStartsWith);
  const int microphone =
      frmConfiguration->cbSVAudioSource->findText("Test Tone Microphone", Qt::MatchStartsWith);
  ASSERT_GT(camera, 0);
  ASSERT_GT(microphone, 0);
  frmMain->show();
  EXPECT_EQ(Buttons(), kIdleNoDevice);

  QTimer::singleShot(0, [&] {
    TfrmConfiguration& c = *frmConfiguration;
    c.cbSVVideoSource->setCurrentIndex(camera);
    c.cbSVVideoSourceChange();
    EXPECT_EQ(c.cbSVVideoInput->itemText(1), "SVideo");
    c.cbSVVideoInput->setCurrentIndex(1);
    c.cbSVVideoInputChange();
    c.cbSVVideoSize->setCurrentIndex(c.cbSVVideoSize->findText("320x240"));
    c.cbSVAudioSource->setCurrentIndex(microphone);
    c.cbSVAudioSourceChange();
    c.JvXPButton1->click();
  });
  frmMain->btnConfiguration->click();
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(frmPreview->VOduduDudiviv1->VideoWidth(), 320);

  App().DestroyForms();
  TSyncManager::Free();
  App().CreateForms();
  frmMain->show();
  EXPECT_EQ(frmConfiguration->cbSVVideoSource->currentIndex(), camera);
  EXPECT_EQ(frmConfiguration->cbSVVideoInput->currentIndex(), 1);
  EXPECT_EQ(frmConfiguration->cbSVVideoSize->currentText(), "320x240");
  EXPECT_EQ(frmConfiguration->cbSVAudioSource->currentIndex(), microphone);
  EXPECT_EQ(Buttons(), kIdle);

  // The device's property pages open through the engine.
  VOduduDudiviv::SetPropertyDialogRunner(RecordPropertyPages);
  ASSERT_TRUE(frmConfiguration->btnVideoDialog->isEnabled());
  frmConfiguration->btnVideoDialog->click();
  EXPECT_EQ(gShownPropertyPages.rfind("Test Pattern Camera", 0), 0u) << gShownPropertyPages;
}

TEST_F(MainWindowWithTestDevices, OverlaysFollowANewFrameSize) {
  App().CreateForms();
  const int camera = frmConfiguration->cbSVVideoSource->findText("Test Pattern Camera", Qt::MatchStartsWith);
  ASSERT_GT(camera, 0);
  frmMain->show();
  frmOverlay->RadioButton6->setChecked(true);  // "Bottom"
  frmOverlay->RadioButton1Click();
  QTimer::singleShot(0, [&] {
    TfrmConfiguration& c = *frmConfiguration;
    c.cbSVVideoSource->setCurrentIndex(camera);
    c.cbSVVideoSourceChange();
    c.cbSVVideoSize->setCurrentIndex(c.cbSVVideoSize->findText("640x480"));
    c.JvXPButton1->click();
  });
  frmMain->btnConfiguration->click();
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  EXPECT_EQ(engine.VideoHeight(), 480);
  EXPECT_EQ(engine.TextOverlay_Top(), 480 - 30) << "the bottom band moves with the frame";
  EXPECT_EQ(engine.TextOverlay_Right(), 640);
}

// Every hint of every window shows through the application's balloon, with
// the header "Info"; Qt's plain tooltip never does.
TEST_F(MainWindow, EveryHintOfEveryWindowShowsAsABalloon) {
  Start(WithCamera());
  TBalloonHints& hints = App().BalloonHints();
  int shown = 0;
  for (QWidget* form :
       QList<QWidget*>{frmMain, frmPreview, frmConfiguration, frmVideoProcessing, frmSnapShot, frmOverlay}) {
    for (QWidget* control : form->findChildren<QWidget*>()) {
      if (control->toolTip().isEmpty()) continue;
      SCOPED_TRACE(control->objectName().toStdString() + " " + control->toolTip().toStdString());
      hints.HideHint();
      QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
      QCoreApplication::sendEvent(control, &help);
      ASSERT_TRUE(hints.IsShown());
      EXPECT_EQ(hints.Balloon()->Header(), "Info");
      EXPECT_EQ(hints.Balloon()->Text(), control->toolTip());
      EXPECT_FALSE(QToolTip::isVisible());
      ++shown;
    }
  }
  hints.HideHint();
  // Main: 8 buttons. Settings: 8 lists, 4 property buttons, OK, Cancel.
  // Processing: 4 sliders and their icons, 2 boxes and their icons, 2
  // resets, 4 rotations, the rotation icon, the mirror and its icon.
  // Snapshot: 6 radios, 2 edits, the button. Overlay: edit, font, colour
  // button and swatch, transparent, 6 radios, visible; per image row the
  // thumbnail, 6 radios, load, clear and 2 boxes.
  EXPECT_EQ(shown, 8 + 14 + 21 + 9 + 12 + 3 * 11);
}

TEST_F(MainWindow, TheVersionLabelAndTheContextMenuOpenTheAboutBox) {
  Start(WithCamera());
  ASSERT_EQ(frmMain->AboutBox(), nullptr);
  Click(frmMain->MMLabel3);
  TAboutBox* box = frmMain->AboutBox();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->Title->text(), "Orvex Ziru");
  EXPECT_EQ(box->Version->text(), "Version 1.4");
  EXPECT_EQ(box->Engine->text().toStdString(), "Capture engine VOduduDudiviv " + VOduduDudiviv::Version());
  EXPECT_EQ(box->WebLink->text(), TfrmMain::kWebAddress);
  Click(box->WebLink);
  const auto opened = script.CallsOf(ScriptedDialogs::Kind::ShellOpen);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].text, TfrmMain::kWebAddress);
  Click(frmMain->MMLabel3);
  EXPECT_EQ(frmMain->AboutBox(), box) << "one about box at a time";
  box->OkButton->click();
  ASSERT_TRUE(orvex::test::WaitUntil([] { return frmMain->AboutBox() == nullptr; })) << "it goes when closed";

  // The window's context menu offers it too.
  QTimer::singleShot(0, [] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "About Orvex Ziru...");
    menu->actions()[0]->trigger();
    menu->close();
  });
  QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(300, 200),
                            frmMain->mapToGlobal(QPoint(300, 200)));
  QCoreApplication::sendEvent(frmMain, &context);
  EXPECT_NE(frmMain->AboutBox(), nullptr);
}
