#include "app/TfrmMain.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QShowEvent>

#include "app/Forms.h"
#include "app/HelpManual.h"
#include "dialogs/TfrmConfiguration.h"
#include "dialogs/TfrmOverlay.h"
#include "dialogs/TfrmSnapShot.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "platform/dialogs/ChooseFileToSave.h"
#include "preview/RecordingFailureText.h"
#include "preview/TfrmPreview.h"
#include "widgets/Pictures.h"
#include "widgets/TAboutBox.h"
#include "widgets/TCaptionLabel.h"
#include "widgets/TLinkLabel.h"
#include "widgets/TPictureButton.h"

namespace {

constexpr int kButtonSize = 50;
constexpr int kButtonStep = 56;
constexpr int kButtonTop = 78;
constexpr int kGlyphSize = 40;

}  // namespace

TfrmMain::TfrmMain(const QString& title) : TForm(title, TBorderStyle::Single, /*minimizeBox=*/true) {
  setObjectName("frmMain");

  // The window takes its size from its background picture.
  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  const QPixmap background = orvex::widgets::Picture("background", qApp->devicePixelRatio());
  Image1->setPixmap(background);
  // Without the picture the window keeps the size it was drawn for.
  const QSize client = background.isNull()
                           ? QSize(orvex::widgets::kBackgroundWidth, orvex::widgets::kBackgroundHeight)
                           : background.deviceIndependentSize().toSize();
  Image1->setGeometry(QRect(QPoint(0, 0), client));
  SetClientSize(client.width(), client.height());

  btnConfiguration = AddButton("btnConfiguration", "Program Settings", 0, true);
  btnStart = AddButton("btnStart", "Start Recording", 1, false);
  btnStop = AddButton("btnStop", "Stop Recording", 2, false);
  btnPreview = AddButton("btnPreview", "Show Preview", 3, false);
  btnVideoProcessing = AddButton("btnVideoProcessing", "Video Processing", 4, false);
  btnOverlay = AddButton("btnOverlay", "Video Overlay", 5, false);
  btnSnapShot = AddButton("btnSnapShot", "SnapShot", 6, false);
  btnHelp = AddButton("btnHelp", "Online Help", 7, true);
  connect(btnConfiguration, &QPushButton::clicked, this, &TfrmMain::btnConfigurationClick);
  connect(btnStart, &QPushButton::clicked, this, &TfrmMain::btnStartClick);
  connect(btnStop, &QPushButton::clicked, this, &TfrmMain::btnStopClick);
  connect(btnPreview, &QPushButton::clicked, this, &TfrmMain::btnPreviewClick);
  connect(btnVideoProcessing, &QPushButton::clicked, this, &TfrmMain::btnVideoProcessingClick);
  connect(btnOverlay, &QPushButton::clicked, this, &TfrmMain::btnOverlayClick);
  connect(btnSnapShot, &QPushButton::clicked, this, &TfrmMain::btnSnapShotClick);
  connect(btnHelp, &QPushButton::clicked, this, &TfrmMain::btnHelpClick);

  MMLabel1 = new TCaptionLabel("Orvex Ziru Edition", this);
  MMLabel1->setObjectName("MMLabel1");
  QFont heading = MMLabel1->font();
  heading.setPixelSize(20);
  heading.setBold(true);
  MMLabel1->setFont(heading);
  MMLabel1->setGeometry(16, 16, 320, 32);

  MMLabel3 = new TCaptionLabel(QString(), this);
  MMLabel3->setObjectName("MMLabel3");
  MMLabel3->SetTextColor(QColor(0xc8, 0xd8, 0xee));
  MMLabel3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  MMLabel3->setGeometry(client.width() - 72, 22, 56, 24);
  MMLabel3->installEventFilter(this);  // a click opens the about box

  MMLabel4 = new TLinkLabel(kWebAddress, this);
  MMLabel4->setObjectName("MMLabel4");
  MMLabel4->setGeometry(16, 148, client.width() - 32, 22);
  connect(MMLabel4, &TLinkLabel::clicked, this, &TfrmMain::MMLabel4Click);

  lblStatus = new TCaptionLabel("Ready", this);
  lblStatus->setObjectName("lblStatus");
  lblStatus->setGeometry(12, client.height() - 28, client.width() - 24, 24);

  SaveDialog1.title = "Select Video File Name";
  SaveDialog1.defaultExt = ".avi";
  SaveDialog1.filter = "AVI Files (*.AVI)|*.avi|All Files (*.*)|*.*";
  // Choosing a recording's file asks before it replaces one.
  SaveDialog1.overwritePrompt = true;

  // Creation: the caption is the application title, then the version.
  setWindowTitle(title);
  MMLabel3->setText(kVersion);
}

TfrmMain::~TfrmMain() = default;

TPictureButton* TfrmMain::AddButton(const char* name, const QString& hint, int slot, bool enabled) {
  auto* button = new TPictureButton(name, this);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setIconSize(QSize(kGlyphSize, kGlyphSize));
  button->setGeometry(11 + slot * kButtonStep, kButtonTop, kButtonSize, kButtonSize);
  button->setEnabled(enabled);
  return button;
}

void TfrmMain::SetVideoButtonsEnabled(bool enabled) {
  for (TPictureButton* b : {btnStart, btnPreview, btnVideoProcessing, btnOverlay, btnSnapShot})
    b->setEnabled(enabled);
}

void TfrmMain::ApplyCaptureSettings() {
  if (!frmPreview || !frmConfiguration) return;
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  const TfrmConfiguration& c = *frmConfiguration;

  btnStop->setEnabled(false);
  engine.setAudioDeviceRendering(false);
  engine.setCompressionMode(cm_NoCompression);

  const int videoSource = c.cbSVVideoSource->currentIndex();
  if (videoSource <= 0) {
    SetVideoButtonsEnabled(false);
    frmPreview->hide();
    engine.setVideoDevice(-1);
  } else {
    SetVideoButtonsEnabled(true);
    engine.setVideoDevice(videoSource - 1);
    engine.setVideoInput(c.cbSVVideoInput->currentIndex());
    engine.setVideoSize(c.cbSVVideoSize->currentIndex());
  }

  const int audioSource = c.cbSVAudioSource->currentIndex();
  if (audioSource <= 0) {
    engine.setAudioDevice(-1);
    engine.setAudioRecording(false);
  } else {
    engine.setAudioDevice(audioSource - 1);
    engine.setAudioInput(c.cbSVAudioInput->currentIndex());
    // The format list follows the engine's audio format codes.
    engine.setAudioFormat(static_cast<TAudioFormat>(c.cbSVAudioFormat->currentIndex()));
    engine.setAudioRecording(true);
  }

  const int v = c.cbSVVideoCompression->currentIndex();
  const int a = c.cbSVAudioCompression->currentIndex();
  engine.setVideoCompressor(v > 0 ? v - 1 : -1);
  engine.setAudioCompressor(a > 0 ? a - 1 : -1);
  if (v > 0 || a > 0) {
    engine.setCompressionMode(cm_CompressOnTheFly);
    engine.setCompressionType(v > 0 && a > 0 ? ct_AudioVideo : v > 0 ? ct_Video : ct_Audio);
  }
}

void TfrmMain::btnConfigurationClick() {
  if (frmConfiguration && frmConfiguration->ShowModal() == mrOk) ApplyCaptureSettings();
}

// The status line and the settings button change only when the engine
// reports the start. A start that fails is said at once.
void TfrmMain::btnStartClick() {
  SaveDialog1.fileName.clear();
  const auto chosen = orvex::dialogs::ChooseFileToSave(this, windowTitle(), SaveDialog1);
  if (!chosen) return;
  SaveDialog1.fileName = *chosen;
  btnStart->setEnabled(false);
  btnStop->setEnabled(true);
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  const std::string file = QFile::encodeName(*chosen).toStdString();
  engine.setRecordingFileName(file);
  if (!engine.StartRecording()) RecordingFailed(RecordingFailureText(engine.RecordingFailure(), file));
}

// Stop always gets back to a previewing engine, whatever the recording did.
void TfrmMain::btnStopClick() {
  btnStart->setEnabled(true);
  btnStop->setEnabled(false);
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  try {
    engine.StopRecording();
  } catch (...) {
  }
  engine.setRecordingFileName("");
  engine.StartPreview();
}

void TfrmMain::btnPreviewClick() { frmPreview->ShowAndRaise(); }
void TfrmMain::btnVideoProcessingClick() { frmVideoProcessing->ShowAndRaise(); }
void TfrmMain::btnOverlayClick() { frmOverlay->ShowAndRaise(); }
void TfrmMain::btnSnapShotClick() { frmSnapShot->ShowAndRaise(); }

// The manual came with the program; it is never taken from the current
// folder. Without it, or without a program to show it, the user hears where
// it is.
void TfrmMain::btnHelpClick() {
  using orvex::dialogs::MsgButtons;
  using orvex::dialogs::MsgIcon;
  const QString folder = QCoreApplication::applicationDirPath();
  auto& dialogs = orvex::dialogs::CommonDialogs();
  const std::optional<QString> manual = help_manual::FindManual(folder);
  if (!manual) {
    dialogs.MessageBox(
        this, windowTitle(),
        QString("The manual was not found; it belongs in %1.").arg(help_manual::InstalledManualPage(folder)),
        MsgIcon::Warning, MsgButtons::Ok);
    return;
  }
  if (!dialogs.ShellOpen(*manual, QFileInfo(*manual).absolutePath()))
    dialogs.MessageBox(
        this, windowTitle(),
        QString("No program was found to show the manual. Open %1 in a web browser.").arg(*manual),
        MsgIcon::Information, MsgButtons::Ok);
}

void TfrmMain::MMLabel4Click() { orvex::dialogs::CommonDialogs().ShellOpen(kWebAddress, QString()); }

void TfrmMain::SetStatusText(const QString& text) { lblStatus->setText(text); }

void TfrmMain::SetConfigurationEnabled(bool enabled) { btnConfiguration->setEnabled(enabled); }

// The engine has stopped by itself: back to idle with a live picture, then say why.
void TfrmMain::RecordingFailed(const QString& text) {
  btnStart->setEnabled(true);
  btnStop->setEnabled(false);
  VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
  engine.setRecordingFileName("");
  engine.StartPreview();
  orvex::dialogs::CommonDialogs().MessageBox(this, windowTitle(), text, orvex::dialogs::MsgIcon::Stop,
                                             orvex::dialogs::MsgButtons::Ok);
}

// The engine learns the stored capture choices when the window first
// appears; it starts the preview by itself once the program is idle.
void TfrmMain::showEvent(QShowEvent* event) {
  TForm::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  ApplyCaptureSettings();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MMLabel3 && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && MMLabel3->rect().contains(mouse->position().toPoint())) {
      ShowAboutBox();
      return true;
    }
  }
  return TForm::eventFilter(watched, event);
}

void TfrmMain::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(QString("About %1...").arg(windowTitle()), this, &TfrmMain::ShowAboutBox);
  menu.exec(event->globalPos());
}

void TfrmMain::ShowAboutBox() {
  if (!aboutBox_) {
    aboutBox_ =
        new TAboutBox(windowTitle(), QString("Version %1").arg(QString(kVersion).mid(1)),
                      QString::fromStdString("Capture engine VOduduDudiviv " + VOduduDudiviv::Version()),
                      kWebAddress, this);
    aboutBox_->setAttribute(Qt::WA_DeleteOnClose);
    connect(aboutBox_, &TAboutBox::WebLinkClicked, this, &TfrmMain::MMLabel4Click);
  }
  aboutBox_->show();
  aboutBox_->raise();
  aboutBox_->activateWindow();
}

TAboutBox* TfrmMain::AboutBox() const { return aboutBox_; }

// Closing the main window ends the program; the image overlay must not be
// drawn any more once the windows start going away.
void TfrmMain::FormClose() {
  if (frmPreview) frmPreview->DetachImageOverlay();
  QCoreApplication::quit();
}
