// Takes the manual's pictures of the program's own windows: the whole window
// set is created with the built-in test devices on Qt's offscreen platform,
// and each window is grabbed to a PNG file.
//
//   orvex_manual_screenshots FOLDER FILTER-MODULE
//
// The settings live in a temporary folder, so the user's stay untouched.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Forms.h"
#include "app/HeadlessRun.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "dialogs/TfrmConfiguration.h"
#include "dialogs/TfrmOverlay.h"
#include "dialogs/TfrmSnapShot.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "engine/FilterModule.h"
#include "engine/VOduduDudiviv.h"
#include "platform/media/testdevices/TestDevices.h"
#include "preview/TfrmPreview.h"
#include "widgets/TAboutBox.h"
#include "widgets/TBalloonHints.h"
#include "widgets/TBalloonTip.h"

namespace {

namespace testdevices = orvex::media::testdevices;

constexpr int kFramesTimeoutMs = 60000;
constexpr const char* kOverlayText = "Orvex Ziru %sys_time[dd/mm/yyyy hh:nn:ss]%  frame %frame_count%";

bool Fail(const std::string& message) {
  std::fprintf(stderr, "orvex_manual_screenshots: %s\n", message.c_str());
  return false;
}

// Selects the entry of `list` whose text starts with `text`.
bool Choose(QComboBox* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->itemText(i).startsWith(text)) {
      list->setCurrentIndex(i);
      return true;
    }
  return Fail("no \"" + text.toStdString() + "\" in the list " + list->objectName().toStdString());
}

bool Save(QWidget* window, const QDir& folder, const char* name) {
  window->show();
  QCoreApplication::processEvents();
  const QString file = folder.filePath(QString(name) + ".png");
  if (!window->grab().save(file, "PNG")) return Fail("cannot write " + file.toStdString());
  return true;
}

bool WaitForFrames(std::uint64_t count) {
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  const std::uint64_t target = engine.FramesPainted() + count;
  return RunLoopUntil([&] { return engine.FramesPainted() >= target; }, kFramesTimeoutMs) ||
         Fail("the preview showed no picture of the test camera");
}

// The test camera's still colour bars and the test tone, as a user would
// choose them in the settings, and a text overlay at the bottom once the
// frame size is known.
bool SetUpWindows() {
  TfrmConfiguration& c = *frmConfiguration;
  if (!Choose(c.cbSVVideoSource, testdevices::kCameraName)) return false;
  c.cbSVVideoSourceChange();
  if (!Choose(c.cbSVVideoInput, "SVideo")) return false;
  c.cbSVVideoInputChange();
  if (!Choose(c.cbSVVideoSize, "320x240") || !Choose(c.cbSVAudioSource, testdevices::kMicrophoneName))
    return false;
  c.cbSVAudioSourceChange();
  frmMain->show();  // hands the choices to the engine
  frmPreview->ShowAndRaise();
  if (!WaitForFrames(1)) return false;

  frmOverlay->Edit1->setText(kOverlayText);
  frmOverlay->RadioButton6->setChecked(true);  // "Bottom"
  frmOverlay->cbNegative->click();             // on a white band
  frmOverlay->JvXPCheckbox1->click();          // "Visible"
  frmOverlay->Edit1->setCursorPosition(0);
  return WaitForFrames(10);
}

bool TakeAll(const QDir& folder) {
  if (!SetUpWindows()) return false;

  bool ok = Save(frmMain, folder, "main-window") && Save(frmPreview, folder, "preview-window") &&
            Save(frmConfiguration, folder, "program-settings") &&
            Save(frmVideoProcessing, folder, "video-processing") &&
            Save(frmOverlay, folder, "video-overlay") && Save(frmSnapShot, folder, "snapshot");
  frmConfiguration->hide();
  if (ok) {
    // The text box's hint, as the pointer resting on it shows it.
    TBalloonHints& hints = static_cast<TApplication*>(qApp)->BalloonHints();
    QLineEdit* text = frmOverlay->Edit1;
    ok = hints.ShowHint(text, text->mapToGlobal(QPoint(20, text->height() / 2))) &&
         Save(hints.Balloon(), folder, "overlay-text-hint");
    hints.HideHint();
  }
  if (ok) {
    frmMain->ShowAboutBox();
    ok = Save(frmMain->AboutBox(), folder, "about-box");
    frmMain->AboutBox()->close();
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: orvex_manual_screenshots FOLDER FILTER-MODULE\n");
    return 2;
  }
  const QString target = QString::fromLocal8Bit(argv[1]);
  filter_module::SetModulePathForTesting(argv[2]);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("ORVEX_TEST_DEVICES", "1", 1);
  QTemporaryDir settings;
  if (!settings.isValid()) return Fail("cannot make a temporary settings folder"), 1;
  setenv("ORVEX_CONFIG_DIR", settings.path().toLocal8Bit().constData(), 1);
  setenv("XDG_RUNTIME_DIR", settings.path().toLocal8Bit().constData(), 0);

  int qtArgc = 1;
  TApplication application(qtArgc, argv);
  QDir folder;
  if (!folder.mkpath(target) || !folder.cd(target)) return Fail("cannot make " + target.toStdString()), 1;
  application.CreateForms();
  const bool ok = TakeAll(folder);
  application.DestroyForms();
  return ok ? 0 : 1;
}
