// The "SnapShot" window: its choices restored and stored, the edits that only
// the custom size enables, its layout and button glyphs, and a snapshot of the
// test camera taken with its button and saved by the preview window.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "dialogs/TfrmSnapShot.h"
#include "engine/TSyncManager.h"
#include "engine/VOduduDudiviv.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/media/testdevices/TestDevices.h"
#include "platform/registry/Registry.h"
#include "preview/RecordingStatusView.h"
#include "preview/TfrmPreview.h"
#include "settings/SettingsStore.h"
#include "settings/SnapShotSettings.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "widgets/TPictureButton.h"

namespace fs = std::filesystem;
using orvex::dialogs::ScriptedDialogs;
using orvex::settings::TSnapShotSettings;

namespace {

// The camera test lists the built-in devices, which must be asked for before GStreamer starts.
const int kTestDevices = setenv("ORVEX_TEST_DEVICES", "1", 1);

struct FakeMainWindow : IRecordingStatusView {
  void SetStatusText(const QString&) override {}
  void SetConfigurationEnabled(bool) override {}
};

TSnapShotSettings Settings(int format, int size, int w, int h) {
  TSnapShotSettings s;
  s.SnapShotFormat = format;
  s.SnapShotSize = size;
  s.SnapShotCustomW = w;
  s.SnapShotCustomH = h;
  return s;
}

class SnapShotDialog : public ::testing::Test {
 protected:
  SnapShotDialog() {
    const char* previous = std::getenv("ORVEX_CONFIG_DIR");
    previousConfig_ = previous ? previous : "";
    setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
    TSyncManager::Free();
  }
  ~SnapShotDialog() override {
    dialog.reset();
    preview.reset();
    TSyncManager::Free();
    setenv("ORVEX_CONFIG_DIR", previousConfig_.c_str(), 1);
  }

  TfrmSnapShot& Open() {
    if (!preview) preview = std::make_unique<TfrmPreview>(mainWindow);
    dialog.reset();  // a window still open would store its choices over the new one's
    dialog = std::make_unique<TfrmSnapShot>(*preview->VOduduDudiviv1);
    return *dialog;
  }
  // Destroys the window, which stores its choices, and answers what the
  // store holds, uncorrected.
  TSnapShotSettings Close() {
    dialog.reset();
    orvex::reg::TRegistry reg;
    reg.setRootKey(orvex::settings::kSettingsRoot);
    reg.OpenKeyReadOnly(orvex::settings::kSettingsKey);
    return Settings(
        reg.ReadInteger("SnapShotFormat").value_or(-1), reg.ReadInteger("SnapShotSize").value_or(-1),
        reg.ReadInteger("SnapShotCustomW").value_or(-1), reg.ReadInteger("SnapShotCustomH").value_or(-1));
  }
  bool EditsEnabled() const { return dialog->edWidth->isEnabled() && dialog->edHeight->isEnabled(); }
  bool EditsDisabled() const { return !dialog->edWidth->isEnabled() && !dialog->edHeight->isEnabled(); }

  orvex::test::TempDir config;
  FakeMainWindow mainWindow;
  std::unique_ptr<TfrmPreview> preview;
  std::unique_ptr<TfrmSnapShot> dialog;

 private:
  std::string previousConfig_;
};

}  // namespace

TEST_F(SnapShotDialog, FirstStartOffersBmpAtTheVideoSizeWithTheEditsOff) {
  TfrmSnapShot& d = Open();
  EXPECT_EQ(d.windowTitle(), "SnapShot");
  EXPECT_EQ(d.size(), QSize(218, 205));
  EXPECT_TRUE(d.rbBMP->isChecked());
  EXPECT_TRUE(d.rbVideo->isChecked());
  EXPECT_EQ(d.edWidth->text(), "640");
  EXPECT_EQ(d.edHeight->text(), "480");
  EXPECT_TRUE(EditsDisabled());
  EXPECT_EQ(d.btnSnapShot->toolTip(), "Take SnapShot");
  EXPECT_EQ(d.rbGIF->toolTip(), "Gif Format");
  EXPECT_EQ(d.rbScreen->toolTip(), "Current Screen Size");
  EXPECT_EQ(d.edHeight->toolTip(), "Custom Height");
  // The write-back at start leaves the whole group in the store.
  EXPECT_EQ(TSnapShotSettings::Read(), Settings(0, 0, 640, 480));
  EXPECT_FALSE(d.isVisible()) << "shown only by the main window";
}

TEST_F(SnapShotDialog, StoredChoicesComeBackCorrected) {
  Settings(2, 2, 800, 600).Write();
  TfrmSnapShot* d = &Open();
  EXPECT_TRUE(d->rbGIF->isChecked());
  EXPECT_TRUE(d->rbCustom->isChecked());
  EXPECT_EQ(d->edWidth->text(), "800");
  EXPECT_EQ(d->edHeight->text(), "600");
  EXPECT_TRUE(EditsEnabled());

  dialog.reset();
  Settings(1, 1, 65535, 1).Write();
  d = &Open();
  EXPECT_TRUE(d->rbJPG->isChecked());
  EXPECT_TRUE(d->rbScreen->isChecked());
  EXPECT_EQ(d->edWidth->text(), "65535");
  EXPECT_TRUE(EditsDisabled());

  dialog.reset();
  Settings(3, -1, 0, 70000).Write();
  d = &Open();
  EXPECT_TRUE(d->rbBMP->isChecked());
  EXPECT_TRUE(d->rbVideo->isChecked());
  EXPECT_EQ(d->edWidth->text(), "640");
  EXPECT_EQ(d->edHeight->text(), "480");
  EXPECT_EQ(TSnapShotSettings::Read(), Settings(0, 0, 640, 480)) << "corrected values written back";
}

TEST_F(SnapShotDialog, OnlyTheCustomSizeEnablesTheEdits) {
  TfrmSnapShot& d = Open();
  d.rbCustom->click();
  EXPECT_TRUE(EditsEnabled());
  d.rbScreen->click();
  EXPECT_TRUE(EditsDisabled());
  d.rbCustom->click();
  d.rbVideo->click();
  EXPECT_TRUE(EditsDisabled());
  // The format group is a group of its own.
  d.rbCustom->click();
  d.rbJPG->click();
  EXPECT_TRUE(d.rbCustom->isChecked());
  EXPECT_TRUE(EditsEnabled());
}

// Text that is no number is stored as the default; a number is stored as
// typed and corrected only by the next start.
TEST_F(SnapShotDialog, WhatIsTypedIsStoredWhenTheWindowGoes) {
  TfrmSnapShot& d = Open();
  d.rbGIF->click();
  d.rbCustom->click();
  d.edWidth->setText("abc");
  d.edHeight->setText("-5");
  EXPECT_EQ(Close(), Settings(2, 2, 640, -5));

  TfrmSnapShot& again = Open();
  EXPECT_EQ(again.edWidth->text(), "640");
  EXPECT_EQ(again.edHeight->text(), "480");
  again.edWidth->setText("0");
  again.edHeight->setText("100000");
  EXPECT_EQ(Close(), Settings(2, 2, 0, 100000));
}

// The preview window reads the controls as they stand, not the store.
TEST_F(SnapShotDialog, TheChoicesFollowTheControlsAtOnce) {
  TfrmSnapShot& d = Open();
  const ISnapshotChoices& choices = d;
  EXPECT_EQ(choices.SnapshotFormat(), sf_BMP);
  EXPECT_EQ(choices.SnapshotSizeMode(), ss_Video);
  d.rbJPG->click();
  d.rbScreen->click();
  EXPECT_EQ(choices.SnapshotFormat(), sf_JPG);
  EXPECT_EQ(choices.SnapshotSizeMode(), ss_Screen);
  d.rbGIF->click();
  d.rbCustom->click();
  d.edWidth->setText("12x");
  EXPECT_EQ(choices.SnapshotFormat(), sf_GIF);
  EXPECT_EQ(choices.SnapshotSizeMode(), ss_Custom);
  EXPECT_EQ(choices.CustomWidthText(), "12x");
  EXPECT_EQ(choices.CustomHeightText(), "480");
  EXPECT_EQ(TSnapShotSettings::Read().SnapShotFormat, 0)
      << "the controls are read, the store takes the change only a moment later";
}

// Everything fits the fixed client area at its wanted size, nothing overlaps.
TEST_F(SnapShotDialog, TheControlsFitTheWindowWithoutOverlapping) {
  TfrmSnapShot& d = Open();
  d.show();
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return d.isVisible(); }));
  QList<QWidget*> controls;
  for (QWidget* w : d.findChildren<QWidget*>())
    if (w->isVisible() && w->findChildren<QWidget*>().isEmpty()) controls << w;
  ASSERT_EQ(controls.size(), 13);
  const QRect client = d.rect();
  for (QWidget* w : controls) {
    const QRect r(w->mapTo(&d, QPoint(0, 0)), w->size());
    const std::string name = w->objectName().isEmpty() ? w->property("text").toString().toStdString()
                                                       : w->objectName().toStdString();
    EXPECT_TRUE(client.contains(r)) << name;
    // Edits have a fixed width; labels, radios and the button want their whole text.
    const QSize wanted = qobject_cast<QLineEdit*>(w) ? w->minimumSizeHint() : w->sizeHint();
    EXPECT_GE(w->width(), wanted.width()) << name;
    EXPECT_GE(w->height(), wanted.height()) << name;
    for (QWidget* other : controls) {
      if (other != w) {
        EXPECT_FALSE(r.intersects(QRect(other->mapTo(&d, QPoint(0, 0)), other->size()))) << name;
      }
    }
  }
}

// Two glyphs: one up, one while the button is held down.
TEST_F(SnapShotDialog, TheSnapShotButtonShowsItsTwoGlyphStates) {
  TfrmSnapShot& d = Open();
  ASSERT_FALSE(d.GlyphUp().isNull()) << "the pictures are in the program's resources";
  ASSERT_FALSE(d.GlyphDown().isNull());
  EXPECT_NE(d.GlyphUp().cacheKey(), d.GlyphDown().cacheKey());
  EXPECT_TRUE(d.btnSnapShot->text().isEmpty());
  EXPECT_TRUE(d.btnSnapShot->isFlat());
  EXPECT_EQ(d.btnSnapShot->icon().cacheKey(), d.GlyphUp().cacheKey());
  emit d.btnSnapShot->pressed();
  EXPECT_EQ(d.btnSnapShot->icon().cacheKey(), d.GlyphDown().cacheKey());
  emit d.btnSnapShot->released();
  EXPECT_EQ(d.btnSnapShot->icon().cacheKey(), d.GlyphUp().cacheKey());
}

// With the still colour bars of the test camera: the button asks for one
// capture (a second press while it waits is the engine's to refuse), the
// preview window saves it at the video size, and the pixels are the frame's
// as the engine itself writes it.
TEST_F(SnapShotDialog, TakeSnapShotSavesTheCurrentPictureOfTheCamera) {
  ASSERT_EQ(kTestDevices, 0);
  orvex::media::testdevices::Register();
  orvex::test::TempDir out;
  ScriptedDialogs dialogs;
  TfrmSnapShot& d = Open();
  preview->SetSnapshotChoices(&d);
  VOduduDudiviv& engine = *preview->VOduduDudiviv1;
  int camera = -1;
  for (int i = 0; i < engine.VideoDevicesCount() && camera < 0; ++i) {
    engine.setVideoDevice(i);
    if (engine.VideoDeviceName() == "Test Pattern Camera (WDM)") camera = i;
  }
  ASSERT_GE(camera, 0) << "the test camera is not listed";
  engine.setVideoInput(orvex::media::testdevices::kInputSVideo);
  engine.setAudioDevice(-1);
  preview->show();
  ASSERT_TRUE(engine.StartPreview());
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return engine.FramesPainted() >= 2; }));

  const fs::path saved = out / "snap.bmp";
  dialogs.QueueSaveFile(QString::fromStdString(saved.string()));
  d.btnSnapShot->click();
  EXPECT_FALSE(engine.CaptureFrame(fc_TBitmap, "")) << "the first request still waits";
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return fs::exists(saved); }));
  ASSERT_EQ(dialogs.CallsOf(ScriptedDialogs::Kind::SaveFile).size(), 1u);
  EXPECT_TRUE(dialogs.CallsOf(ScriptedDialogs::Kind::MessageBox).empty());

  // The engine's own BMP of the same still picture.
  bool written = false;
  engine.setOnFrameCaptureCompleted([&](VOduduDudiviv*, const TFrameData&, TFrameCaptureDest,
                                        const std::string&, bool ok) { written = ok; });
  ASSERT_TRUE(
      orvex::test::WaitUntil([&] { return engine.CaptureFrame(fc_BmpFile, (out / "engine.bmp").string()); }));
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return written; }));

  const auto ours = orvex::test::DecodeWithFfmpeg(saved);
  const auto reference = orvex::test::DecodeWithFfmpeg(out / "engine.bmp");
  ASSERT_TRUE(ours.ok()) << ours.error;
  ASSERT_TRUE(reference.ok()) << reference.error;
  EXPECT_EQ(ours.width, engine.VideoWidth());
  EXPECT_EQ(ours.height, engine.VideoHeight());
  EXPECT_EQ(ours.width, reference.width);
  EXPECT_EQ(ours.height, reference.height);
  EXPECT_TRUE(ours.rgb == reference.rgb) << "the frame's pixels, unchanged";
  const std::string header = orvex::test::ReadFile(saved).substr(0, 30);
  EXPECT_EQ(header[28], 32) << "32 bits per pixel";
}
