// The main window inside the whole window set: what it hands to the engine,
// its buttons in every recording state, help and web link, and the notices
// of the settings store.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <cstring>
#include <filesystem>

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
#include "tests/app/MainWindowSupport.h"
#include "tests/support/FakeDeviceSource.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "widgets/TAboutBox.h"
#include "widgets/TBalloonHints.h"
#include "widgets/TBalloonTip.h"
#include "widgets/TCaptionLabel.h"
#include "widgets/TForm.h"
#include "widgets/TLinkLabel.h"
#include "widgets/TPictureButton.h"

using orvex::dialogs::MsgIcon;
using orvex::dialogs::ScriptedDialogs;
using orvex::media::DeviceCategory;
using orvex::settings::TCaptureSettings;

namespace {

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
  EXPECT_TRUE(frmMain->SaveDialog1.overwritePrompt);
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

// A start that fails is said at once, and the window is idle again; Stop
// while nothing records says nothing.
TEST_F(MainWindow, AStartThatFailsIsSaidAndTheWindowIsIdleAgain) {
  Start(WithCamera());
  script.QueueSaveFile(QString("/videos/clip.avi"));
  frmMain->btnStart->click();
  ASSERT_NE(Engine().EngineState(), es_Recording) << "the fake camera cannot be opened";
  const auto boxes = script.CallsOf(ScriptedDialogs::Kind::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Orvex Ziru");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Stop);
  EXPECT_EQ(boxes[0].text.toStdString(), "The camera \"Cam (WDM)\" could not be opened");
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_EQ(Engine().RecordingFileName(), "");

  reports.clear();
  frmMain->btnStopClick();
  EXPECT_EQ(Buttons(), kIdle);
  EXPECT_NE(std::find(reports.begin(), reports.end(), "not recording"), reports.end())
      << "only the engine's log hears of it";
  EXPECT_EQ(script.CallsOf(ScriptedDialogs::Kind::MessageBox).size(), 1u);
}

TEST_F(MainWindow, OkInTheSettingsDialogReappliesEverythingAndDisablesStop) {
  Start(WithCamera());
  // As between a start and the engine's report of it.
  frmMain->btnStart->setEnabled(false);
  frmMain->btnStop->setEnabled(true);
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

// Runs in the build tree and, copied there by scripts/check-install.sh, in an
// installed tree: either way the manual that came with the program opens.
TEST_F(MainWindow, HelpOpensTheManualThatCameWithTheProgram) {
  Start(WithCamera());
  frmMain->btnHelp->click();
  const auto opened = script.CallsOf(ScriptedDialogs::Kind::ShellOpen);
  ASSERT_EQ(opened.size(), 1u);
  const QFileInfo manual(opened[0].text);
  EXPECT_TRUE(manual.isAbsolute());
  EXPECT_TRUE(manual.isFile()) << opened[0].text.toStdString() << " is not there";
  EXPECT_TRUE(opened[0].text.endsWith("/manual/index.html")) << opened[0].text.toStdString();
  EXPECT_EQ(opened[0].workingDir, manual.absolutePath());
  const QString program = QDir(QCoreApplication::applicationDirPath()).canonicalPath();
  const QString prefix = QFileInfo(program).path();
  EXPECT_TRUE(manual.canonicalFilePath().startsWith(prefix + "/"))
      << "the program's own manual, not one from the current folder";
  EXPECT_TRUE(script.CallsOf(ScriptedDialogs::Kind::MessageBox).empty());
}

TEST_F(MainWindow, TheWindowButtonsBringAMinimisedWindowBack) {
  Start(WithCamera());
  const std::pair<QPushButton*, TForm*> rows[] = {{frmMain->btnPreview, frmPreview},
                                                  {frmMain->btnVideoProcessing, frmVideoProcessing},
                                                  {frmMain->btnOverlay, frmOverlay},
                                                  {frmMain->btnSnapShot, frmSnapShot}};
  for (const auto& [button, window] : rows) {
    SCOPED_TRACE(window->objectName().toStdString());
    window->showMinimized();
    ASSERT_TRUE(window->isMinimized());
    QApplication::setActiveWindow(frmMain);
    button->click();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(orvex::test::WaitUntil([&] { return QApplication::activeWindow() == window; }, 2000))
        << "raised and focused";
  }
}

TEST_F(MainWindow, WithoutAnOpenerHelpSaysWhereTheManualIsAndTheWebLinkStaysQuiet) {
  Start(WithCamera());
  script.SetShellOpenResult(false);  // nothing to open them with
  frmMain->btnHelp->click();
  const auto opened = script.CallsOf(ScriptedDialogs::Kind::ShellOpen);
  ASSERT_EQ(opened.size(), 1u);
  const auto boxes = script.CallsOf(ScriptedDialogs::Kind::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Orvex Ziru");
  EXPECT_TRUE(boxes[0].text.contains(opened[0].text)) << boxes[0].text.toStdString();

  script.ClearCalls();
  Click(frmMain->MMLabel4);
  const auto web = script.CallsOf(ScriptedDialogs::Kind::ShellOpen);
  ASSERT_EQ(web.size(), 1u);
  EXPECT_EQ(web[0].text, TfrmMain::kWebAddress);
  EXPECT_TRUE(script.CallsOf(ScriptedDialogs::Kind::MessageBox).empty()) << "a web page is no manual";
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
  void SetUp() override {
    orvex::media::testdevices::SetDefaultDevices(true);
    // The unplug of the test before reaches the device monitor late; an
    // engine that heard it would take the camera for lost.
    orvex::test::PumpEvents(100);
  }
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

// A first run: nothing chosen, so the first idle moment starts nothing. The
// camera chosen in the settings starts once the dialog is confirmed; a
// choice cancelled starts nothing.
TEST_F(MainWindowWithTestDevices, TheFirstCameraChosenStartsThePreview) {
  App().CreateForms();
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  engine.HandleNeeded();  // reports reach OnLog only with a window
  std::vector<std::string> reports;
  engine.setOnLog([&](VOduduDudiviv*, TLogType, const std::string&, const std::string& message) {
    reports.push_back(message);
  });
  frmMain->show();
  ASSERT_TRUE(orvex::test::WaitUntil([&] {
    return std::find(reports.begin(), reports.end(), "no video device selected") != reports.end();
  })) << "the automatic start at the first idle moment";
  const int camera = frmConfiguration->cbSVVideoSource->findText("Test Pattern Camera", Qt::MatchStartsWith);
  ASSERT_GT(camera, 0);

  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    QTimer::singleShot(0, [&] {
      frmConfiguration->cbSVVideoSource->setCurrentIndex(camera);
      frmConfiguration->cbSVVideoSourceChange();
      orvex::test::PumpEvents(50);  // idle moments while the dialog is open
      EXPECT_EQ(engine.EngineState(), es_Stopped) << "nothing starts behind the dialog";
      (ok ? frmConfiguration->JvXPButton1 : frmConfiguration->JvXPButton2)->click();
    });
    frmMain->btnConfiguration->click();
    if (ok) break;
    orvex::test::PumpEvents(300);
    EXPECT_EQ(engine.EngineState(), es_Stopped);
    EXPECT_EQ(engine.VideoDevice(), -1);
  }
  frmMain->btnPreview->click();
  EXPECT_TRUE(orvex::test::WaitUntil([&] { return engine.FramesPainted() >= 2; }, 15000))
      << "frames reach the preview window";
  EXPECT_EQ(engine.EngineState(), es_Previewing);
}

// Chooses the test camera with the given input and size in the settings
// dialog and confirms; answers the engine, previewing.
VOduduDudiviv& PreviewTestCamera(int input, const QString& size) {
  const int camera = frmConfiguration->cbSVVideoSource->findText("Test Pattern Camera", Qt::MatchStartsWith);
  EXPECT_GT(camera, 0);
  QTimer::singleShot(0, [&] {
    TfrmConfiguration& c = *frmConfiguration;
    c.cbSVVideoSource->setCurrentIndex(camera);
    c.cbSVVideoSourceChange();
    c.cbSVVideoInput->setCurrentIndex(input);
    c.cbSVVideoInputChange();
    c.cbSVVideoSize->setCurrentIndex(c.cbSVVideoSize->findText(size));
    c.JvXPButton1->click();
  });
  frmMain->btnConfiguration->click();
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  if (engine.EngineState() != es_Previewing) {
    EXPECT_TRUE(engine.StartPreview());
  }
  return engine;
}

// The engine's own BMP of the next frame.
orvex::test::DecodedPicture EngineCapture(VOduduDudiviv& engine, const std::filesystem::path& file) {
  bool written = false;
  engine.setOnFrameCaptureCompleted([&](VOduduDudiviv*, const TFrameData&, TFrameCaptureDest,
                                        const std::string&, bool ok) { written = ok; });
  EXPECT_TRUE(orvex::test::WaitUntil([&] { return engine.CaptureFrame(fc_BmpFile, file.string()); }));
  EXPECT_TRUE(orvex::test::WaitUntil([&] { return written; }));
  engine.setOnFrameCaptureCompleted(nullptr);
  return orvex::test::DecodeWithFfmpeg(file);
}

// A quarter turn makes 640x480 frames 480x640: the bottom text goes to the
// new bottom edge and a snapshot at the video size is the frame itself.
TEST_F(MainWindowWithTestDevices, AQuarterTurnPlacesTextAndSnapshotsForTheTurnedFrame) {
  App().CreateForms();
  frmMain->show();
  frmOverlay->Edit1->setText("Bottom line");
  frmOverlay->RadioButton6->setChecked(true);  // "Bottom"
  if (!frmOverlay->JvXPCheckbox1->isChecked()) frmOverlay->JvXPCheckbox1->click();
  if (frmOverlay->cbNegative->isChecked()) frmOverlay->cbNegative->click();  // on a white band
  VOduduDudiviv& engine = PreviewTestCamera(orvex::media::testdevices::kInputSVideo, "640x480");
  frmVideoProcessing->rb90->click();
  ASSERT_EQ(engine.VideoProcessing_Rotation(), rt_90_deg);
  frmMain->btnPreview->click();
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return engine.FramesPainted() >= 2; }, 15000));
  EXPECT_EQ(engine.VideoWidth(), 640) << "the camera's size stays what it is";

  orvex::test::TempDir out;
  const std::filesystem::path snapshot = out / "snap.bmp";
  script.QueueSaveFile(QString::fromStdString(snapshot.string()));
  ASSERT_TRUE(frmSnapShot->rbVideo->isChecked());
  frmSnapShot->btnSnapShot->click();
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return std::filesystem::exists(snapshot); }));
  const auto withText = EngineCapture(engine, out / "text.bmp");
  frmOverlay->JvXPCheckbox1->click();  // text off
  const auto bare = EngineCapture(engine, out / "bare.bmp");
  const auto ours = orvex::test::DecodeWithFfmpeg(snapshot);
  ASSERT_TRUE(ours.ok() && withText.ok() && bare.ok()) << ours.error << withText.error << bare.error;

  EXPECT_EQ(ours.width, 480);
  EXPECT_EQ(ours.height, 640);
  EXPECT_TRUE(ours.rgb == withText.rgb) << "the frame's pixels, not squeezed";
  ASSERT_EQ(bare.rgb.size(), withText.rgb.size());
  int textRowsFrom = bare.height, textRowsTo = -1;
  for (int y = 0; y < bare.height; ++y)
    for (int x = 0; x < bare.width; ++x)
      if (std::memcmp(bare.At(x, y), withText.At(x, y), 3) != 0) {
        textRowsFrom = std::min(textRowsFrom, y);
        textRowsTo = std::max(textRowsTo, y);
      }
  EXPECT_GE(textRowsFrom, 640 - 30) << "the text lies in the last rows";
  EXPECT_GE(textRowsTo, textRowsFrom) << "and is drawn";
}

// A video larger than the screen is shown whole in a window that fits; sized
// by the user, the window scales the picture and keeps its shape: a 4:3
// picture in a square window has bands of the background above and below.
TEST_F(MainWindowWithTestDevices, ThePreviewWindowScalesThePictureKeepingItsShape) {
  App().CreateForms();
  frmMain->show();
  VOduduDudiviv& engine = PreviewTestCamera(orvex::media::testdevices::kInputSVideo, "1920x1080");
  frmMain->btnPreview->click();
  auto framesShown = [&] {
    const auto painted = engine.FramesPainted();
    return orvex::test::WaitUntil([&] { return engine.FramesPainted() >= painted + 2; }, 15000);
  };
  ASSERT_TRUE(framesShown());
  const QRect screen = frmPreview->screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(frmPreview->frameGeometry()));
  EXPECT_EQ(engine.geometry(), frmPreview->rect());
  QImage shot = frmPreview->grab().toImage();
  const int blue = shot.width() * 13 / 16;  // the seventh of eight bars: all of the picture is there
  EXPECT_EQ(qBlue(shot.pixel(blue, shot.height() / 3)), 191);
  EXPECT_EQ(qRed(shot.pixel(blue, shot.height() / 3)), 0);

  engine.setVideoSize(engine.VideoSize() - 2);  // 640x480
  frmPreview->resize(400, 400);
  ASSERT_TRUE(framesShown());
  shot = frmPreview->grab().toImage();
  ASSERT_EQ(shot.size(), QSize(400, 400));
  for (const int y : {10, 45, 355, 390}) EXPECT_EQ(shot.pixel(200, y), qRgb(0, 0, 0)) << "band at " << y;
  // The first bar (75% white) down the picture's left edge, rows 50 to 349.
  for (const int y : {60, 200, 240}) EXPECT_NEAR(qGray(shot.pixel(10, y)), 191, 8) << "picture at " << y;
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
