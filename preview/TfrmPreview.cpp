#include "preview/TfrmPreview.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <exception>

#include "platform/dialogs/ChooseFileToSave.h"
#include "platform/dialogs/FileFilter.h"
#include "platform/kernel/UnhandledException.h"
#include "preview/FrameOverlayPainter.h"
#include "preview/PreviewPlacement.h"
#include "preview/RecordingClock.h"
#include "preview/RecordingFailureText.h"
#include "preview/RecordingStatusView.h"
#include "preview/SnapshotSaver.h"
#include "settings/PreviewWindowSettings.h"

namespace {
constexpr int kEngineWidth = 369;
constexpr int kEngineHeight = 305;
}  // namespace

TfrmPreview::TfrmPreview(IRecordingStatusView& mainWindow)
    : TForm("Video Preview", TBorderStyle::Sizeable, /*minimizeBox=*/false), mainWindow_(mainWindow) {
  setObjectName("frmPreview");
  setMinimumSize(kSmallestPreview);
  VOduduDudiviv1 = new VOduduDudiviv(this);
  VOduduDudiviv1->setObjectName("VOduduDudiviv1");
  VOduduDudiviv1->setGeometry(0, 0, kEngineWidth, kEngineHeight);
  ApplyStoredEngineValues();
  requestedSize_ = VOduduDudiviv1->size();
  SetClientSize(requestedSize_.width(), requestedSize_.height());
  RestorePlace();
  connect(VOduduDudiviv1, &VOduduDudiviv::DisplaySizeChanged, this, &TfrmPreview::FollowVideoSize);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(300);
  connect(Timer1, &QTimer::timeout, this, &TfrmPreview::Timer1Timer);

  SaveDialog1.title = "Save SnapShot Image";
  // Replacing a picture without a word lost many.
  SaveDialog1.overwritePrompt = true;
}

// The engine (a child window) outlives the members: no frame may reach the
// image slots once they go.
TfrmPreview::~TfrmPreview() {
  DetachImageOverlay();
  overlayPainter_ = nullptr;
  StorePlace();
}

// The engine configuration this program runs with, applied the way a form
// loads its stored values: setters only store while loading.
void TfrmPreview::ApplyStoredEngineValues() {
  VOduduDudiviv& e = *VOduduDudiviv1;
  e.BeginLoading();
  e.setAutoStartPreview(true);
  e.setAutoRefreshPreview(true);
  e.setVideoSource(vs_VideoCaptureDevice);
  e.setVideoDevice(0);
  e.setAudioDevice(0);
  e.setAudioFormat(af_default);
  e.setAudioRecording(true);
  e.setAudioDeviceRendering(false);
  e.setAutoConnectRelatedPins(true);
  e.setStoreDeviceSettingsInRegistry(true);
  e.setCameraControlSettings(true);
  e.setVideoControlSettings(true);
  e.setVideoQualitySettings(true);

  e.setRecordingMethod(rm_AVI);
  e.setAVIFormatOpenDML(true);
  e.setCompressionMode(cm_NoCompression);
  e.setCompressionType(ct_Video);
  e.setAutoFileName(fn_Sequential);
  e.setAutoFilePrefix("vg");
  e.setVideoCompression_KeyFrameRate(15);
  e.setVideoCompression_PFramesPerKeyFrame(0);
  e.setVideoCompression_Quality(1.0);
  e.setVideoCompression_WindowSize(-1);
  e.setRecordingInNativeFormat(false);
  e.setHoldRecording(false);
  e.setPreallocCapFileEnabled(false);
  e.setRecordingOnMotion_Enabled(false);

  e.setDisplay_Active(true);
  e.setDisplay_Embedded(true);
  e.setDisplay_AutoSize(true);
  e.setDisplay_KeepAspectRatio(true);
  e.setDisplay_FullScreen(false);
  e.setDisplay_StayOnTop(false);
  e.setDisplay_Left(10);
  e.setDisplay_Top(10);
  e.setDisplay_Width(320);
  e.setDisplay_Height(240);
  e.setDisplay_Monitor(0);
  e.setDisplay_MouseMovesWindow(true);
  e.setDisplay_VideoPortEnabled(true);
  e.setDualDisplay_Active(false);
  e.setVideoRenderer(vr_AutoSelect);
  e.setPreviewZoomSize(100);
  e.setBackgroundColor(clBlack);

  e.setFrameGrabber(fg_BothStreams);
  e.setFrameGrabberRGBFormat(fgf_Default);
  e.setFrameCaptureWithoutOverlay(false);
  e.setFrameCaptureZoomSize(100);
  e.setBurstMode(false);
  e.setJPEGQuality(100);
  e.setJPEGPerformance(jpBestQuality);
  e.setJPEGProgressiveDisplay(false);
  e.setShapeOverlayEnabled(false);
  e.setMotionDetector_Enabled(false);
  e.setColorKeyEnabled(false);

  e.setTextOverlay_Enabled(false);
  e.setTextOverlay_Left(0);
  e.setTextOverlay_Top(0);
  e.setTextOverlay_Right(320);
  e.setTextOverlay_Align(tf_Center);
  e.setTextOverlay_BkColor(clWhite);
  e.setTextOverlay_Transparent(true);
  TFont font;
  font.Name = "MS Sans Serif";
  font.Bold = true;
  font.Color = clAqua;
  font.Height = -20;
  e.setTextOverlay_Font(font);

  e.setVideoProcessing_Brightness(0);
  e.setVideoProcessing_Contrast(0);
  e.setVideoProcessing_Hue(0);
  e.setVideoProcessing_Saturation(0);
  e.setVideoProcessing_GrayScale(false);
  e.setVideoProcessing_InvertColors(false);
  e.setVideoProcessing_FlipHorizontal(false);
  e.setVideoProcessing_FlipVertical(false);
  e.setVideoProcessing_Rotation(rt_0_deg);
  e.setVideoProcessing_Deinterlacing(di_Disabled);

  e.setNotificationMethod(nm_Timer);
  e.setNotificationSleepTime(-1);
  e.setNotificationPriority(tpNormal);
  e.setEventNotificationSynchrone(false);
  e.setSynchronized(false);
  e.setBusyCursor(crHourGlass);
  e.setNormalCursor(crDefault);

  e.setOnRecordingStarted(
      [this](VOduduDudiviv* s, const std::string& f) { VOduduDudiviv1RecordingStarted(s, f); });
  e.setOnRecordingCompleted([this](VOduduDudiviv* s, const std::string& f, bool ok) {
    VOduduDudiviv1RecordingCompleted(s, f, ok);
  });
  imageSlots_.SetVisibilityObserver([this] { FollowImageVisibility(); });
  FollowImageVisibility();
  e.setOnFrameCaptureCompleted(
      [this](VOduduDudiviv* s, const TFrameData& frame, TFrameCaptureDest dest, const std::string& name,
             bool ok) { VOduduDudiviv1FrameCaptureCompleted(s, frame, dest, name, ok); });
  e.EndLoading();
}

void TfrmPreview::VOduduDudiviv1RecordingStarted(VOduduDudiviv*, const std::string&) {
  mainWindow_.SetConfigurationEnabled(false);
  mainWindow_.SetStatusText("Recording [00:00:00]");
  Timer1->start();
}

void TfrmPreview::VOduduDudiviv1RecordingCompleted(VOduduDudiviv*, const std::string& fileName,
                                                   bool success) {
  Timer1->stop();
  mainWindow_.SetConfigurationEnabled(true);
  mainWindow_.SetStatusText("Ready");
  // A recording that ended by itself, short of what was asked, is said aloud.
  if (!success)
    mainWindow_.RecordingFailed(RecordingFailureText(VOduduDudiviv1->RecordingFailure(), fileName));
}

void TfrmPreview::Timer1Timer() {
  mainWindow_.SetStatusText(RecordingStatusText(VOduduDudiviv1->RecordingElapsedSeconds()));
}

// The hook is there only while an image shows: without it, and without a
// text, a compressed recording's frames reach the encoder without ever
// being turned into RGB and back.
void TfrmPreview::FollowImageVisibility() {
  if (!imageSlots_.AnyVisible()) return VOduduDudiviv1->setOnFrameOverlayUsingDC(nullptr);
  VOduduDudiviv1->setOnFrameOverlayUsingDC([this](VOduduDudiviv* s, const TFrameInfo& info, HDC dc) {
    VOduduDudiviv1FrameOverlayUsingDC(s, info, dc);
  });
}

void TfrmPreview::DetachImageOverlay() {
  imageSlots_.SetVisibilityObserver(nullptr);
  VOduduDudiviv1->setOnFrameOverlayUsingDC(nullptr);
}

// Frames that arrive before the overlay painter exists go out without images.
void TfrmPreview::VOduduDudiviv1FrameOverlayUsingDC(VOduduDudiviv*, const TFrameInfo& frameInfo, HDC dc) {
  if (IFrameOverlayPainter* painter = overlayPainter_.load()) painter->PaintFrameOverlay(frameInfo, dc);
}

// Scales the captured frame to the chosen size and saves it where the user
// says. The frame stays the engine's; nothing of it is kept.
void TfrmPreview::VOduduDudiviv1FrameCaptureCompleted(VOduduDudiviv*, const TFrameData& frameData,
                                                      TFrameCaptureDest, const std::string&, bool) {
  if (!frameData.Bitmap) return;
  const ISnapshotChoices* choices = snapshotChoices_;
  const TSnapshotSizeMode mode = choices ? choices->SnapshotSizeMode() : ss_Video;
  const TSnapshotFormat format = choices ? choices->SnapshotFormat() : sf_BMP;

  TSnapshotSize custom;
  if (mode == ss_Custom) {
    const std::string width = choices->CustomWidthText();
    const std::string height = choices->CustomHeightText();
    const std::optional<int> w = ParseWholeNumber(width);
    const std::optional<int> h = ParseWholeNumber(height);
    if (!w || !h) return ShowSnapshotError(QString::fromStdString(NotAnIntegerMessage(!w ? width : height)));
    custom = {*w, *h};
  }
  const TSnapshotSize size = SnapshotTargetSize(
      mode, {VOduduDudiviv1->FrameWidth(), VOduduDudiviv1->FrameHeight()}, PrimaryScreenPixelSize(), custom);

  orvex::gdi::Bitmap working;
  if (const TSnapshotResult made = MakeSnapshotBitmap(*frameData.Bitmap, size, working); !made)
    return ShowSnapshotError(QString::fromStdString(made.Error));

  SaveDialog1.defaultExt = SnapshotDefaultExtension(format);
  SaveDialog1.filter = SnapshotFilter(format);
  // The previous path comes back with the extension of the format now chosen.
  SaveDialog1.fileName = QFile::decodeName(
      ProposedSnapshotName(QFile::encodeName(SaveDialog1.fileName).toStdString(), format).c_str());
  QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : this;
  const std::optional<QString> chosen =
      orvex::dialogs::ChooseFileToSave(owner, "Orvex Ziru", SaveDialog1, [format](const QString& name) {
        return QFile::decodeName(SnapshotFileName(QFile::encodeName(name).toStdString(), format).c_str());
      });
  if (!chosen) return;
  SaveDialog1.fileName = *chosen;
  // A picture extension typed by the user decides what the file holds.
  const std::string path = QFile::encodeName(*chosen).toStdString();
  const TSnapshotResult written =
      WriteSnapshotFile(working, SnapshotFormatOfPath(path).value_or(format), path);
  if (!written) ShowSnapshotError(QString::fromStdString(written.Error));
}

void TfrmPreview::ShowSnapshotError(const QString& text) {
  QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : this;
  orvex::dialogs::CommonDialogs().MessageBox(owner, "Orvex Ziru", text, orvex::dialogs::MsgIcon::Stop,
                                             orvex::dialogs::MsgButtons::Ok);
}

// The video's size while it fits the screen, scaled down when it does not;
// a window the user has sized keeps that size and the picture scales in it.
void TfrmPreview::FollowVideoSize(QSize video) {
  video_ = video;
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!userSized_ && !isFullScreen() && !isMaximized() && screen) {
    fittedFrame_ = FrameSize();
    const QRect area = screen->availableGeometry();
    requestedSize_ = FitVideoSize(video, area.size() - fittedFrame_).expandedTo(kSmallestPreview);
    SetClientSize(requestedSize_.width(), requestedSize_.height());
    if (isVisible()) {
      const QRect inside = KeptInside(frameGeometry(), area);
      if (inside.topLeft() != frameGeometry().topLeft()) move(inside.topLeft());
    }
  }
  // The display sized itself to the video; in this window it fills the window.
  VOduduDudiviv1->setGeometry(rect());
}

void TfrmPreview::resizeEvent(QResizeEvent* event) {
  TForm::resizeEvent(event);
  VOduduDudiviv1->setGeometry(rect());
  if (isVisible() && !isFullScreen() && !isMaximized() && size() != requestedSize_) userSized_ = true;
}

// What the window manager adds around the window. Until this window has its
// frame, another shown window's frame tells.
QSize TfrmPreview::FrameSize() const {
  const QSize own = frameGeometry().size() - geometry().size();
  if (!own.isEmpty()) return own;
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    const QSize frame = other->frameGeometry().size() - other->geometry().size();
    if (other != this && other->isVisible() && !other->isFullScreen() && !frame.isEmpty()) return frame;
  }
  return own;
}

// The frame may come after the window was fitted: it is fitted again then.
// (A frame that seems to shrink is a passing state, as when full screen ends.)
void TfrmPreview::FitToKnownFrame() {
  const QSize frame = FrameSize();
  const bool grown = frame.width() > fittedFrame_.width() || frame.height() > fittedFrame_.height();
  if (!userSized_ && !isFullScreen() && video_.isValid() && grown) FollowVideoSize(video_);
}

void TfrmPreview::moveEvent(QMoveEvent* event) {
  TForm::moveEvent(event);
  FitToKnownFrame();
}

void TfrmPreview::ToggleFullScreen() {
  if (isFullScreen())
    showNormal();
  else
    showFullScreen();
}

void TfrmPreview::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return TForm::mouseDoubleClickEvent(event);
  ToggleFullScreen();
  event->accept();
}

void TfrmPreview::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Escape || !isFullScreen()) return TForm::keyPressEvent(event);
  showNormal();
  event->accept();
}

void TfrmPreview::showEvent(QShowEvent* event) {
  TForm::showEvent(event);
  shown_ = true;
}

// Hidden by its close box: the place is kept at once, not only at the end.
void TfrmPreview::FormClose() { StorePlace(); }

// A stored place off every screen, or of a size no screen has, is passed
// over: the window then opens centred at the video's size.
void TfrmPreview::RestorePlace() {
  const auto stored = orvex::settings::TPreviewWindowSettings::Read();
  if (!stored.Stored()) return;
  const QRect rect(stored.PreviewLeft, stored.PreviewTop, stored.PreviewWidth, stored.PreviewHeight);
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
  if (!UsableStoredRect(rect, screens)) return;
  requestedSize_ = rect.size();
  setGeometry(rect);
  userSized_ = true;
}

void TfrmPreview::StorePlace() {
  if (!shown_) return;
  const QRect rect = isFullScreen() || isMaximized() ? normalGeometry() : geometry();
  orvex::settings::TPreviewWindowSettings s;
  s.PreviewLeft = rect.left();
  s.PreviewTop = rect.top();
  s.PreviewWidth = rect.width();
  s.PreviewHeight = rect.height();
  try {
    s.Write();
  } catch (...) {
    orvex::kernel::HandleUnhandledException(std::current_exception());
  }
}
