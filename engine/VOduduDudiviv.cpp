#include "engine/VOduduDudiviv.h"

#include <gst/video/video.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include "engine/TLog.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvWorker.h"
#include "engine/frames/FramePainter.h"
#include "engine/frames/VideoRenderer.h"

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
    : QWidget(parent),
      worker_(std::make_unique<TVdvWorker>(*this)),
      painter_(std::make_unique<TFramePainter>()) {
  setAutoFillBackground(false);
  // Every pixel is painted by paintEvent, so Qt fills nothing beneath it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  TSyncManager& manager = TSyncManager::Acquire();
  TLog::Instance().Banner("component initialized", '+');
  worker_->UniqueID = manager.Add(worker_.get());
  worker_->LoadGlobals();
  worker_->StartTaskWorker();
  worker_->Initialized = true;
  frameSize_ = FrameSize();
  // The application changes the text font through the TFont& it gets, with no
  // setter to tell us; each pass of the main loop hands a changed one on.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
      if (worker_ && !worker_->Destroying) worker_->SyncTextOverlayFont();
    });
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

QSize VOduduDudiviv::FrameSize() const {
  int width = 0, height = 0;
  worker_->FrameSize(width, height);
  return {width, height};
}

void VOduduDudiviv::VideoSizeChanged() {
  if (worker_->Destroying) return;
  const QSize size = FrameSize();
  if (size != frameSize_) {
    frameSize_ = size;
    emit FrameSizeChanged(size);
  }
  // Asked once per new size: a host that lays the display out its own way
  // (the user sized the window) is not fought on every call.
  if (worker_->P.Display_AutoSize && size.isValid() && size != wantedSize_) {
    wantedSize_ = size;
    resize(size);
    emit DisplaySizeChanged(size);
  }
}

// Only the picture changes with a frame; the borders stay as they were painted.
void VOduduDudiviv::FrameShown() { update(shownPicture_.isEmpty() ? rect() : shownPicture_); }

// A preview with sound is rebuilt for a new format or rendering switch.
void VOduduDudiviv::setAudioFormat(TAudioFormat format) {
  if (format < af_default || format >= kAudioFormatCount) return;
  const bool changed = format != worker_->P.AudioFormat;
  worker_->P.AudioFormat = format;
  if (changed && worker_->AudioDeviceBound()) worker_->AutoRefresh("saf");
}

void VOduduDudiviv::setAudioDeviceRendering(bool on) {
  const bool changed = on != worker_->P.AudioDeviceRendering;
  worker_->P.AudioDeviceRendering = on;
  if (changed && worker_->AudioDeviceBound()) worker_->AutoRefresh("dsar");
}

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
  if (on) worker_->SyncTextOverlayFont();
  worker_->RecomputeOverlayNeeded();
}

void VOduduDudiviv::setTextOverlay_Align(TTextOverlayAlign align) {
  if (align >= tf_Left && align <= tf_Right) worker_->P.TextOverlay_Align = align;
}

void VOduduDudiviv::setTextOverlay_Font(const TFont& font) {
  worker_->P.TextOverlay_Font = font;
  worker_->SyncTextOverlayFont();
}

void VOduduDudiviv::setTextOverlay_String(const std::string& text) {
  if (worker_->SetTextOverlayTemplate(text))
    worker_->P.TextOverlay_String = text;
  else
    worker_->Report(true, sv_Warning, "text overlay busy, the template was not changed", e_failed);
}

void VOduduDudiviv::setVideoProcessing_Deinterlacing(TVideoDeinterlacing mode) {
  if (mode < di_Disabled || mode > di_FullSize) return;
  const TVideoDeinterlacing previous = worker_->P.VideoProcessing_Deinterlacing;
  worker_->P.VideoProcessing_Deinterlacing = mode;
  // Half size changes the frame size, so only that switch needs a new graph.
  if (previous != mode && (previous == di_HalfSize || mode == di_HalfSize)) {
    worker_->AutoRefresh("spdi");
    VideoSizeChanged();
  }
}

void VOduduDudiviv::setVideoProcessing_Rotation(TVideoRotation rotation) {
  if (rotation < rt_0_deg || rotation > rt_270_deg_mirror) return;
  const bool changed = rotation != worker_->P.VideoProcessing_Rotation;
  worker_->P.VideoProcessing_Rotation = rotation;
  if (!changed) return;
  worker_->AutoRefresh("spr");
  VideoSizeChanged();
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

bool VOduduDudiviv::ModalDialogOpen() const { return QApplication::activeModalWidget() != nullptr; }

void VOduduDudiviv::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  worker_->FrameSlot->SetWatched(true);
  worker_->UpdatePreviewValve();
  update();
}

void VOduduDudiviv::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  worker_->FrameSlot->SetWatched(false);
  worker_->UpdatePreviewValve();
}

void VOduduDudiviv::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect picture = worker_->GraphActive ? PaintFrame(painter) : QRect();
  // The picture covers its part: only the borders around it are filled.
  const QColor background = ToQColor(worker_->P.BackgroundColor);
  for (const QRect& border : event->region().subtracted(picture)) painter.fillRect(border, background);
  if (picture != shownPicture_) {
    shownPicture_ = picture;
    // The borders moved: paint them where this event did not reach.
    if (!QRegion(rect()).subtracted(event->region()).isEmpty()) update();
  }
  if (!worker_->Caption.empty()) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(worker_->Caption));
  }
}

// Draws the newest frame into the control (keeping its shape when asked);
// where it went, or an empty rectangle without a frame.
QRect VOduduDudiviv::PaintFrame(QPainter& painter) {
  const orvex::media::SamplePtr newest = worker_->FrameSlot->Newest();
  GstSample* sample = newest.get();
  if (!sample) return {};
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstVideoInfo info;
  GstVideoFrame frame;
  if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
      !gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
    return {};
  const QSize frameSize(info.width, info.height);
  const QRect target = PictureRect(frameSize, size(), worker_->P.Display_KeepAspectRatio);
  const bool painted = painter_->Paint(painter, frame, target);
  gst_video_frame_unmap(&frame);
  if (!painted) return {};
  ++framesPainted_;
  if (worker_->P.Display_AutoSize && frameSize != shownFrameSize_) {
    shownFrameSize_ = frameSize;
    if (shownFrameSize_ != size()) {
      resize(shownFrameSize_);
      emit DisplaySizeChanged(shownFrameSize_);
    }
  }
  return target;
}
