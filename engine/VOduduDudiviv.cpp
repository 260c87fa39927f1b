#include "engine/VOduduDudiviv.h"

#include <QCoreApplication>
#include <QPainter>

#include "engine/TLog.h"
#include "engine/TSyncManager.h"

namespace {

QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// The hidden window that parentless components are placed on.
QWidget* HiddenHost() {
  static QWidget* host = nullptr;
  if (!host) {
    host = new QWidget;
    host->setObjectName("TSyncGlobalMessages");
    qAddPostRoutine([] {
      delete host;
      host = nullptr;
    });
  }
  return host;
}

}  // namespace

VOduduDudiviv::VOduduDudiviv(QWidget* parent)
    : QWidget(parent), worker_(std::make_unique<TVdvWorker>(*this)) {
  setAutoFillBackground(false);
  TSyncManager& manager = TSyncManager::Acquire();
  TLog::Instance().Banner("component initialized", '+');
  worker_->UniqueID = manager.Add(worker_.get());
  worker_->LoadGlobals();
  worker_->StartTaskWorker();
  worker_->Initialized = true;
}

VOduduDudiviv::~VOduduDudiviv() {
  if (TSyncManager* manager = TSyncManager::Instance()) manager->Remove(worker_.get());
  worker_->Destroying = true;
  worker_->Events.ClearAll();
  worker_->StopGraph();
  worker_->SaveGlobals();
  worker_->ReleaseDevices();
  worker_.reset();
}

std::string VOduduDudiviv::DeviceName(TDevicesKind kind, int index) const {
  const TDevices* list = worker_->DeviceList(kind);
  return list ? list->DisplayName(index) : "";
}

std::string VOduduDudiviv::ListText(TDevicesKind kind) const {
  const TDevices* list = worker_->DeviceList(kind);
  return list ? list->Text() : "";
}

std::string VOduduDudiviv::AudioFormats() const {
  TSyncManager* manager = TSyncManager::Instance();
  return manager && manager->EnumerationDone() ? manager->Lists().AudioFormats : "";
}

bool VOduduDudiviv::IsDialogAvailable(int kind) const {
  switch (kind) {
    case dk_VideoDevice:
    case dk_VideoCompressor:
    case dk_AudioCompressor: return true;
    case dk_AudioDevice: return worker_->EnumerationDone() && worker_->AudioDevicesCount() > 0;
    default: return false;
  }
}

void VOduduDudiviv::VideoSizeChanged() {
  if (worker_->P.Display_AutoSize) update();
}

void VOduduDudiviv::setAudioFormat(TAudioFormat format) {
  if (format < af_default || format >= kAudioFormatCount) return;
  worker_->P.AudioFormat = format;
}

void VOduduDudiviv::setAudioDeviceRendering(bool on) { worker_->P.AudioDeviceRendering = on; }

void VOduduDudiviv::setRecordingMethod(TRecordingMethod method) {
  const bool changed = method != worker_->P.RecordingMethod;
  worker_->P.RecordingMethod = method;
  if (changed && worker_->State == es_Recording)
    worker_->Report(true, sv_Warning, "Recording needs to be restarted", e_graph_must_be_restarted);
}

void VOduduDudiviv::setCompressionMode(TCompressionMode mode) {
  if (mode >= cm_NoCompression && mode <= cm_CompressAfterRecording) worker_->P.CompressionMode = mode;
}

void VOduduDudiviv::setCompressionType(TCompressionType type) {
  if (type >= ct_Video && type <= ct_AudioVideo) worker_->P.CompressionType = type;
}

void VOduduDudiviv::setAutoFileName(TAutoFileName naming) {
  if (naming == fn_Sequential || naming == fn_DateTime) worker_->P.AutoFileName = naming;
}

void VOduduDudiviv::setRecordingFileName(const std::string& fileName) {
  if (fileName != worker_->P.RecordingFileName) worker_->P.RecordingFileName = fileName;
}

void VOduduDudiviv::setBackgroundColor(TColor color) {
  worker_->P.BackgroundColor = color;
  update();
}

void VOduduDudiviv::setFrameGrabber(TFrameGrabber grabber) {
  if (grabber < fg_BothStreams || grabber > fg_Disabled) return;
  const bool changed = grabber != worker_->P.FrameGrabber;
  worker_->P.FrameGrabber = grabber;
  if (changed) worker_->AutoRefresh("dsfg");
}

void VOduduDudiviv::setFrameGrabberRGBFormat(TFrameGrabberRGBFormat format) {
  if (format < fgf_Default || format > fgf_RGB8) return;
  const bool changed = format != worker_->P.FrameGrabberRGBFormat;
  worker_->P.FrameGrabberRGBFormat = format;
  if (changed && worker_->P.FrameGrabber != fg_Disabled) worker_->AutoRefresh("dsfgf");
}

void VOduduDudiviv::setFrameCaptureWithoutOverlay(bool on) {
  const bool changed = on != worker_->P.FrameCaptureWithoutOverlay;
  worker_->P.FrameCaptureWithoutOverlay = on;
  if (changed) worker_->AutoRefresh("sfwo");
}

void VOduduDudiviv::setJPEGQuality(int quality) {
  if (quality >= 1 && quality <= 100) worker_->P.JPEGQuality = quality;
}

void VOduduDudiviv::setJPEGPerformance(TJPEGPerformance performance) {
  if (performance == jpBestQuality || performance == jpBestSpeed) worker_->P.JPEGPerformance = performance;
}

void VOduduDudiviv::setShapeOverlayEnabled(bool on) {
  worker_->P.ShapeOverlayEnabled = on;
  worker_->RecomputeOverlayNeeded();
}

void VOduduDudiviv::setTextOverlay_Enabled(bool on) {
  worker_->P.TextOverlay_Enabled = on;
  worker_->RecomputeOverlayNeeded();
}

void VOduduDudiviv::setTextOverlay_Align(TTextOverlayAlign align) {
  if (align >= tf_Left && align <= tf_Right) worker_->P.TextOverlay_Align = align;
}

void VOduduDudiviv::setVideoProcessing_Deinterlacing(TVideoDeinterlacing mode) {
  if (mode < di_Disabled || mode > di_FullSize) return;
  const TVideoDeinterlacing previous = worker_->P.VideoProcessing_Deinterlacing;
  worker_->P.VideoProcessing_Deinterlacing = mode;
  // Half size changes the frame size, so only that switch needs a new graph.
  if (previous != mode && (previous == di_HalfSize || mode == di_HalfSize)) worker_->AutoRefresh("spdi");
}

void VOduduDudiviv::setVideoProcessing_Rotation(TVideoRotation rotation) {
  if (rotation < rt_0_deg || rotation > rt_270_deg_mirror) return;
  const bool changed = rotation != worker_->P.VideoProcessing_Rotation;
  worker_->P.VideoProcessing_Rotation = rotation;
  if (changed) worker_->AutoRefresh("spr");
}

void VOduduDudiviv::setNotificationMethod(TNotificationMethod method) {
  if (method != nm_Timer && method != nm_Thread) return;
  worker_->P.NotificationMethod = method;
  worker_->ApplyNotificationSettings();
}

void VOduduDudiviv::setNotificationSleepTime(int ms) {
  if (ms != -1 && (ms < 1 || ms > 10000)) return;
  worker_->P.NotificationSleepTime = ms;
  worker_->ApplyNotificationSettings();
}

void VOduduDudiviv::setNotificationPriority(TThreadPriority priority) {
  if (priority < tpIdle || priority > tpTimeCritical) return;
  worker_->P.NotificationPriority = priority;
  worker_->ApplyNotificationSettings();
}

void VOduduDudiviv::setOnFrameOverlayUsingDC(TOnFrameOverlayUsingDC handler) {
  worker_->Events.OnFrameOverlayUsingDC.Set(std::move(handler));
  worker_->RecomputeOverlayNeeded();
}

void VOduduDudiviv::setCaption(const std::string& caption) {
  worker_->Caption = caption;
  update();
}

void VOduduDudiviv::HandleNeeded() {
  if (!HandleAllocated()) create();
}

void VOduduDudiviv::EnsureParentWindow() {
  if (!parentWidget()) setParent(HiddenHost());
  HandleNeeded();
}

void VOduduDudiviv::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(worker_->P.BackgroundColor));
  if (!worker_->Caption.empty()) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(worker_->Caption));
  }
}
