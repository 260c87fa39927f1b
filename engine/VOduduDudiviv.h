#pragma once
// The capture engine component: a panel that shows the live picture and
// forwards every property, operation and event to its worker.

#include <QSize>
#include <QWidget>
#include <memory>
#include <string>

#include "engine/EngineEvents.h"
#include "engine/EngineVersion.h"
#include "engine/TVdvWorker.h"
#include "platform/media/ElementProperties.h"

typedef struct _GstElement GstElement;

// A property whose setter only stores the value.
#define VDV_STORED_PROPERTY(Type, Name)         \
  Type Name() const { return worker_->P.Name; } \
  void set##Name(Type value) { worker_->P.Name = value; }

// An event handler property.
#define VDV_EVENT(Type, Name)                                  \
  Type Name() const { return worker_->Events.Name.Handler(); } \
  void set##Name(Type handler) { worker_->Events.Name.Set(std::move(handler)); }

class QPainter;

class VOduduDudiviv : public QWidget {
  Q_OBJECT

 public:
  explicit VOduduDudiviv(QWidget* parent = nullptr);
  ~VOduduDudiviv() override;

  static std::string Version() { return kEngineVersion; }

  // Start-up
  VDV_STORED_PROPERTY(bool, AutoStartPreview)
  VDV_STORED_PROPERTY(bool, AutoRefreshPreview)

  // Source
  VDV_STORED_PROPERTY(TVideoSource, VideoSource)
  int VideoDevice() const { return worker_->P.VideoDevice; }
  void setVideoDevice(int index) { worker_->SetVideoDevice(index); }
  int AudioDevice() const { return worker_->P.AudioDevice; }
  void setAudioDevice(int index) { worker_->SetAudioDevice(index); }
  int VideoDevicesCount() const { return worker_->VideoDevicesCount(); }
  int AudioDevicesCount() const { return worker_->AudioDevicesCount(); }
  std::string VideoDeviceName() const { return DeviceName(lk_VideoDevices, VideoDevice()); }
  std::string AudioDeviceName() const { return DeviceName(lk_AudioDevices, AudioDevice()); }
  // Every device's name, one per line in index order, without choosing any.
  std::string VideoDeviceNames() const { return ListText(lk_VideoDevices); }
  std::string AudioDeviceNames() const { return ListText(lk_AudioDevices); }
  std::string VideoInputs() const { return worker_->Devices.VideoInputsText; }
  std::string AudioInputs() const { return worker_->Devices.AudioInputsText; }
  int VideoInput() const { return worker_->Devices.VideoValues.Int(vv_VideoInput); }
  void setVideoInput(int index) { worker_->SetVideoInput(index); }
  int AudioInput() const { return worker_->Devices.AudioValues.Int(av_AudioInput); }
  void setAudioInput(int index) { worker_->SetAudioInput(index); }
  std::string VideoSizes() const { return worker_->VideoSizesText(); }
  int VideoSize() const { return worker_->Devices.VideoValues.Int(vv_VideoSize); }
  void setVideoSize(int index) { worker_->SetVideoSize(index); }
  int VideoWidth() const { return worker_->Devices.VideoWidth; }
  int VideoHeight() const { return worker_->Devices.VideoHeight; }
  // The size of the frames that overlays, captures and recordings get: the
  // video size after half-size deinterlacing and quarter turns.
  int FrameWidth() const { return FrameSize().width(); }
  int FrameHeight() const { return FrameSize().height(); }
  std::string AudioFormats() const;
  std::string VideoCompressors() const { return ListText(lk_VideoCompressors); }
  std::string AudioCompressors() const { return ListText(lk_AudioCompressors); }
  int VideoCompressor() const { return worker_->P.VideoCompressor; }
  void setVideoCompressor(int index) { worker_->SetCompressor(true, index); }
  int AudioCompressor() const { return worker_->P.AudioCompressor; }
  void setAudioCompressor(int index) { worker_->SetCompressor(false, index); }
  bool IsDialogAvailable(int kind) const;
  bool ShowDeviceDialog(int kind);
  TAudioFormat AudioFormat() const { return worker_->P.AudioFormat; }
  void setAudioFormat(TAudioFormat format);
  VDV_STORED_PROPERTY(bool, AudioRecording)
  bool AudioDeviceRendering() const { return worker_->P.AudioDeviceRendering; }
  void setAudioDeviceRendering(bool on);
  VDV_STORED_PROPERTY(bool, AssociateAudioAndVideoDevices)
  VDV_STORED_PROPERTY(bool, AutoConnectRelatedPins)
  VDV_STORED_PROPERTY(bool, StoreDeviceSettingsInRegistry)
  VDV_STORED_PROPERTY(bool, CameraControlSettings)
  VDV_STORED_PROPERTY(bool, VideoControlSettings)
  VDV_STORED_PROPERTY(bool, VideoQualitySettings)

  // Recording
  TRecordingMethod RecordingMethod() const { return worker_->P.RecordingMethod; }
  void setRecordingMethod(TRecordingMethod method);
  VDV_STORED_PROPERTY(bool, AVIFormatOpenDML)
  TCompressionMode CompressionMode() const { return worker_->P.CompressionMode; }
  void setCompressionMode(TCompressionMode mode);
  TCompressionType CompressionType() const { return worker_->P.CompressionType; }
  void setCompressionType(TCompressionType type);
  TAutoFileName AutoFileName() const { return worker_->P.AutoFileName; }
  void setAutoFileName(TAutoFileName naming);
  VDV_STORED_PROPERTY(std::string, AutoFilePrefix)
  std::string RecordingFileName() const { return worker_->P.RecordingFileName; }
  void setRecordingFileName(const std::string& fileName);
  std::string StoragePath() const { return worker_->P.StoragePath; }
  // The folder is created and scanned for numbers before the next automatic name.
  void setStoragePath(const std::string& path) {
    worker_->P.StoragePath = path;
    worker_->StoragePathChanged = true;
  }
  VDV_STORED_PROPERTY(int, VideoCompression_KeyFrameRate)
  VDV_STORED_PROPERTY(int, VideoCompression_PFramesPerKeyFrame)
  VDV_STORED_PROPERTY(double, VideoCompression_Quality)
  VDV_STORED_PROPERTY(int, VideoCompression_WindowSize)
  VDV_STORED_PROPERTY(bool, RecordingInNativeFormat)
  VDV_STORED_PROPERTY(bool, HoldRecording)
  VDV_STORED_PROPERTY(bool, PreallocCapFileEnabled)
  VDV_STORED_PROPERTY(bool, RecordingOnMotion_Enabled)
  double RecordingElapsedSeconds() const { return worker_->RecordingElapsed100ns / 10000000.0; }
  // Why the latest recording did not start or ended short; nothing when it went well.
  std::optional<TRecordingFailure> RecordingFailure() const { return worker_->RecordingFailure; }

  // Display
  VDV_STORED_PROPERTY(bool, Display_Active)
  VDV_STORED_PROPERTY(bool, Display_Embedded)
  VDV_STORED_PROPERTY(bool, Display_AutoSize)
  VDV_STORED_PROPERTY(bool, Display_KeepAspectRatio)
  VDV_STORED_PROPERTY(bool, Display_FullScreen)
  VDV_STORED_PROPERTY(bool, Display_StayOnTop)
  VDV_STORED_PROPERTY(int, Display_Left)
  VDV_STORED_PROPERTY(int, Display_Top)
  VDV_STORED_PROPERTY(int, Display_Width)
  VDV_STORED_PROPERTY(int, Display_Height)
  VDV_STORED_PROPERTY(int, Display_Monitor)
  VDV_STORED_PROPERTY(bool, Display_MouseMovesWindow)
  VDV_STORED_PROPERTY(bool, Display_VideoPortEnabled)
  VDV_STORED_PROPERTY(bool, DualDisplay_Active)
  VDV_STORED_PROPERTY(TVideoRenderer, VideoRenderer)
  VDV_STORED_PROPERTY(int, PreviewZoomSize)
  TColor BackgroundColor() const { return worker_->P.BackgroundColor; }
  void setBackgroundColor(TColor color);

  // Frame hooks
  TFrameGrabber FrameGrabber() const { return worker_->P.FrameGrabber; }
  void setFrameGrabber(TFrameGrabber grabber);
  TFrameGrabberRGBFormat FrameGrabberRGBFormat() const { return worker_->P.FrameGrabberRGBFormat; }
  void setFrameGrabberRGBFormat(TFrameGrabberRGBFormat format);
  bool FrameCaptureWithoutOverlay() const { return worker_->P.FrameCaptureWithoutOverlay; }
  void setFrameCaptureWithoutOverlay(bool on);
  VDV_STORED_PROPERTY(int, FrameCaptureZoomSize)
  VDV_STORED_PROPERTY(bool, BurstMode)
  VDV_STORED_PROPERTY(int, BurstCount)
  VDV_STORED_PROPERTY(int, BurstInterval)
  int JPEGQuality() const { return worker_->P.JPEGQuality; }
  void setJPEGQuality(int quality);
  TJPEGPerformance JPEGPerformance() const { return worker_->P.JPEGPerformance; }
  void setJPEGPerformance(TJPEGPerformance performance);
  VDV_STORED_PROPERTY(bool, JPEGProgressiveDisplay)
  bool ShapeOverlayEnabled() const { return worker_->P.ShapeOverlayEnabled; }
  void setShapeOverlayEnabled(bool on);
  VDV_STORED_PROPERTY(bool, MotionDetector_Enabled)
  VDV_STORED_PROPERTY(bool, ColorKeyEnabled)

  // Text overlay
  bool TextOverlay_Enabled() const { return worker_->P.TextOverlay_Enabled; }
  void setTextOverlay_Enabled(bool on);
  VDV_STORED_PROPERTY(int, TextOverlay_Left)
  VDV_STORED_PROPERTY(int, TextOverlay_Top)
  VDV_STORED_PROPERTY(int, TextOverlay_Right)
  TTextOverlayAlign TextOverlay_Align() const { return worker_->P.TextOverlay_Align; }
  void setTextOverlay_Align(TTextOverlayAlign align);
  VDV_STORED_PROPERTY(TColor, TextOverlay_BkColor)
  VDV_STORED_PROPERTY(bool, TextOverlay_Transparent)
  // The engine's own font object; changes to it show from the next frame.
  TFont& TextOverlay_Font() { return worker_->P.TextOverlay_Font; }
  void setTextOverlay_Font(const TFont& font);
  // The last template accepted; a new one is parsed at once.
  std::string TextOverlay_String() const { return worker_->P.TextOverlay_String; }
  void setTextOverlay_String(const std::string& text);

  // Picture adjustment
  VDV_STORED_PROPERTY(int, VideoProcessing_Brightness)
  VDV_STORED_PROPERTY(int, VideoProcessing_Contrast)
  VDV_STORED_PROPERTY(int, VideoProcessing_Hue)
  VDV_STORED_PROPERTY(int, VideoProcessing_Saturation)
  VDV_STORED_PROPERTY(bool, VideoProcessing_GrayScale)
  VDV_STORED_PROPERTY(bool, VideoProcessing_InvertColors)
  VDV_STORED_PROPERTY(bool, VideoProcessing_FlipHorizontal)
  VDV_STORED_PROPERTY(bool, VideoProcessing_FlipVertical)
  TVideoDeinterlacing VideoProcessing_Deinterlacing() const {
    return worker_->P.VideoProcessing_Deinterlacing;
  }
  void setVideoProcessing_Deinterlacing(TVideoDeinterlacing mode);
  TVideoRotation VideoProcessing_Rotation() const { return worker_->P.VideoProcessing_Rotation; }
  void setVideoProcessing_Rotation(TVideoRotation rotation);

  // Event delivery
  TNotificationMethod NotificationMethod() const { return worker_->P.NotificationMethod; }
  void setNotificationMethod(TNotificationMethod method);
  int NotificationSleepTime() const { return worker_->P.NotificationSleepTime; }
  void setNotificationSleepTime(int ms);
  TThreadPriority NotificationPriority() const { return worker_->P.NotificationPriority; }
  void setNotificationPriority(TThreadPriority priority);
  VDV_STORED_PROPERTY(bool, EventNotificationSynchrone)
  VDV_STORED_PROPERTY(bool, Synchronized)
  VDV_STORED_PROPERTY(TCursor, BusyCursor)
  VDV_STORED_PROPERTY(TCursor, NormalCursor)
  VDV_STORED_PROPERTY(TMultiplexedRole, MultiplexedRole)
  VDV_STORED_PROPERTY(TNetworkStreaming, NetworkStreaming)

  // Events
  VDV_EVENT(TOnFileNotification, OnRecordingStarted)
  VDV_EVENT(TOnRecordingCompleted, OnRecordingCompleted)
  VDV_EVENT(TOnFrameCaptureCompleted, OnFrameCaptureCompleted)
  VDV_EVENT(TOnFrameProgress, OnFrameProgress)
  VDV_EVENT(TOnLog, OnLog)
  VDV_EVENT(TEventNotification, OnReinitializing)
  VDV_EVENT(TEventNotification, OnVideoDeviceSelected)
  VDV_EVENT(TEventNotification, OnAudioDeviceSelected)
  VDV_EVENT(TEventNotification, OnDiskFull)
  VDV_EVENT(TOnDeviceArrivalOrRemoval, OnDeviceArrivalOrRemoval)
  VDV_EVENT(TEventNotification, OnPreviewStarted)
  VDV_EVENT(TEventNotification, OnInactive)
  VDV_EVENT(TEventNotification, OnDeviceLost)
  VDV_EVENT(TEventNotification, OnNoVideoDevices)
  TOnFrameOverlayUsingDC OnFrameOverlayUsingDC() const {
    return worker_->Events.OnFrameOverlayUsingDC.Handler();
  }
  // Once this returns, the previous handler is no longer running.
  void setOnFrameOverlayUsingDC(TOnFrameOverlayUsingDC handler);

  // Operations
  bool StartPreview() { return worker_->StartPreview(); }
  bool StartRecording() { return worker_->StartRecording(); }
  void StopRecording() { worker_->StopRecording(); }
  // Asks for the next frame as a bitmap or a file; the result comes by OnFrameCaptureCompleted.
  bool CaptureFrame(TFrameCaptureDest dest, const std::string& fileName) {
    return worker_->CaptureFrame(dest, fileName);
  }

  // Run state and identity
  TEngineState EngineState() const { return worker_->State; }
  int UniqueID() const { return worker_->UniqueID; }
  std::string Caption() const { return worker_->Caption; }
  void setCaption(const std::string& caption);

  // Form loading: setters only store while the owning form reads its values.
  void BeginLoading() { loading_ = true; }
  void EndLoading() { loading_ = false; }
  bool Loading() const { return loading_; }

  // Whether the component's window exists, and creating it.
  bool HandleAllocated() const { return testAttribute(Qt::WA_WState_Created); }
  void HandleNeeded();
  // A component without a parent gets a hidden one, so video has a window.
  void EnsureParentWindow();
  // Whether the application runs a modal dialog at the moment.
  bool ModalDialogOpen() const;

  TVdvWorker& Worker() { return *worker_; }

  // The video or frame size may have changed: an automatically sized display
  // follows it, and FrameSizeChanged tells when the frame size did.
  void VideoSizeChanged();
  // A new frame waits to be painted.
  void FrameShown();
  // Frames painted since the component was created.
  std::uint64_t FramesPainted() const { return framesPainted_; }

 signals:
  // The display wants another size (automatic sizing follows the video).
  void DisplaySizeChanged(QSize size);
  // FrameWidth x FrameHeight changed: what is placed on frames must move.
  void FrameSizeChanged(QSize size);

 public:
  // How property pages are shown; tests answer them from a script.
  using PropertyDialogRunner = bool (*)(
      QWidget* owner, const std::string& title, std::vector<orvex::media::ElementProperty>& properties,
      const std::function<void(const std::string&, const std::string&)>& onChange);
  static void SetPropertyDialogRunner(PropertyDialogRunner runner);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool EditElementSettings(GstElement* element, const std::string& key, const std::string& title);
  std::string DeviceName(TDevicesKind kind, int index) const;
  std::string ListText(TDevicesKind kind) const;
  QSize FrameSize() const;

  void PaintFrame(QPainter& painter);

  std::unique_ptr<TVdvWorker> worker_;
  bool loading_ = false;
  std::uint64_t framesPainted_ = 0;
  QSize shownFrameSize_;
  QSize frameSize_;   // as last announced
  QSize wantedSize_;  // the display size last asked for
};

#undef VDV_STORED_PROPERTY
#undef VDV_EVENT
