#pragma once
// The capture engine component: a panel that shows the live picture. This is
// the engine's only door: properties, operations and events; everything behind
// them lives in the worker.

#include <QSize>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineEnums.h"
#include "engine/EngineEvents.h"
#include "engine/EngineVersion.h"
#include "engine/RecordingFailure.h"
#include "engine/TFont.h"
#include "platform/media/ElementProperties.h"

typedef struct _GstElement GstElement;
class TFramePainter;
class TVdvWorker;
enum TDevicesKind : int;

// A property whose setter only stores the value.
#define VDV_STORED_PROPERTY(Type, Name) \
  Type Name() const;                    \
  void set##Name(Type value);

// An event handler property.
#define VDV_EVENT(Type, Name) \
  Type Name() const;          \
  void set##Name(Type handler);

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
  int VideoDevice() const;
  void setVideoDevice(int index);
  int AudioDevice() const;
  void setAudioDevice(int index);
  int VideoDevicesCount() const;
  int AudioDevicesCount() const;
  std::string VideoDeviceName() const;
  std::string AudioDeviceName() const;
  // Every device's name, one per line in index order, without choosing any.
  std::string VideoDeviceNames() const;
  std::string AudioDeviceNames() const;
  std::string VideoInputs() const;
  std::string AudioInputs() const;
  // Binds the chosen audio device again, so AudioInputs lists what it has now.
  bool ReadAudioInputs();
  int VideoInput() const;
  void setVideoInput(int index);
  int AudioInput() const;
  void setAudioInput(int index);
  std::string VideoSizes() const;
  int VideoSize() const;
  void setVideoSize(int index);
  int VideoWidth() const;
  int VideoHeight() const;
  // The size of the frames that overlays, captures and recordings get: the
  // video size after half-size deinterlacing and quarter turns.
  int FrameWidth() const { return FrameSize().width(); }
  int FrameHeight() const { return FrameSize().height(); }
  std::string AudioFormats() const;
  std::string VideoCompressors() const;
  std::string AudioCompressors() const;
  int VideoCompressor() const;
  void setVideoCompressor(int index);
  int AudioCompressor() const;
  void setAudioCompressor(int index);
  bool IsDialogAvailable(int kind) const;
  bool ShowDeviceDialog(int kind);
  TAudioFormat AudioFormat() const;
  void setAudioFormat(TAudioFormat format);
  VDV_STORED_PROPERTY(bool, AudioRecording)
  bool AudioDeviceRendering() const;
  void setAudioDeviceRendering(bool on);
  VDV_STORED_PROPERTY(bool, AssociateAudioAndVideoDevices)
  VDV_STORED_PROPERTY(bool, AutoConnectRelatedPins)
  VDV_STORED_PROPERTY(bool, StoreDeviceSettingsInRegistry)
  VDV_STORED_PROPERTY(bool, CameraControlSettings)
  VDV_STORED_PROPERTY(bool, VideoControlSettings)
  VDV_STORED_PROPERTY(bool, VideoQualitySettings)

  // Recording
  TRecordingMethod RecordingMethod() const;
  void setRecordingMethod(TRecordingMethod method);
  VDV_STORED_PROPERTY(bool, AVIFormatOpenDML)
  TCompressionMode CompressionMode() const;
  void setCompressionMode(TCompressionMode mode);
  TCompressionType CompressionType() const;
  void setCompressionType(TCompressionType type);
  TAutoFileName AutoFileName() const;
  void setAutoFileName(TAutoFileName naming);
  VDV_STORED_PROPERTY(std::string, AutoFilePrefix)
  std::string RecordingFileName() const;
  void setRecordingFileName(const std::string& fileName);
  std::string StoragePath() const;
  // The folder is created and scanned for numbers before the next automatic name.
  void setStoragePath(const std::string& path);
  VDV_STORED_PROPERTY(int, VideoCompression_KeyFrameRate)
  VDV_STORED_PROPERTY(int, VideoCompression_PFramesPerKeyFrame)
  VDV_STORED_PROPERTY(double, VideoCompression_Quality)
  VDV_STORED_PROPERTY(int, VideoCompression_WindowSize)
  VDV_STORED_PROPERTY(bool, RecordingInNativeFormat)
  VDV_STORED_PROPERTY(bool, HoldRecording)
  VDV_STORED_PROPERTY(bool, PreallocCapFileEnabled)
  VDV_STORED_PROPERTY(bool, RecordingOnMotion_Enabled)
  double RecordingElapsedSeconds() const;
  // Why the latest recording did not start or ended short; nothing when it went well.
  std::optional<TRecordingFailure> RecordingFailure() const;

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
  TColor BackgroundColor() const;
  void setBackgroundColor(TColor color);

  // Frame hooks
  TFrameGrabber FrameGrabber() const;
  void setFrameGrabber(TFrameGrabber grabber);
  TFrameGrabberRGBFormat FrameGrabberRGBFormat() const;
  void setFrameGrabberRGBFormat(TFrameGrabberRGBFormat format);
  bool FrameCaptureWithoutOverlay() const;
  void setFrameCaptureWithoutOverlay(bool on);
  VDV_STORED_PROPERTY(int, FrameCaptureZoomSize)
  VDV_STORED_PROPERTY(bool, BurstMode)
  VDV_STORED_PROPERTY(int, BurstCount)
  VDV_STORED_PROPERTY(int, BurstInterval)
  int JPEGQuality() const;
  void setJPEGQuality(int quality);
  TJPEGPerformance JPEGPerformance() const;
  void setJPEGPerformance(TJPEGPerformance performance);
  VDV_STORED_PROPERTY(bool, JPEGProgressiveDisplay)
  bool ShapeOverlayEnabled() const;
  void setShapeOverlayEnabled(bool on);
  VDV_STORED_PROPERTY(bool, MotionDetector_Enabled)
  VDV_STORED_PROPERTY(bool, ColorKeyEnabled)

  // Text overlay
  bool TextOverlay_Enabled() const;
  void setTextOverlay_Enabled(bool on);
  VDV_STORED_PROPERTY(int, TextOverlay_Left)
  VDV_STORED_PROPERTY(int, TextOverlay_Top)
  VDV_STORED_PROPERTY(int, TextOverlay_Right)
  TTextOverlayAlign TextOverlay_Align() const;
  void setTextOverlay_Align(TTextOverlayAlign align);
  VDV_STORED_PROPERTY(TColor, TextOverlay_BkColor)
  VDV_STORED_PROPERTY(bool, TextOverlay_Transparent)
  // The engine's own font object; changes to it show from the next frame.
  TFont& TextOverlay_Font();
  void setTextOverlay_Font(const TFont& font);
  // The last template accepted; a new one is parsed at once.
  std::string TextOverlay_String() const;
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
  TVideoDeinterlacing VideoProcessing_Deinterlacing() const;
  void setVideoProcessing_Deinterlacing(TVideoDeinterlacing mode);
  TVideoRotation VideoProcessing_Rotation() const;
  void setVideoProcessing_Rotation(TVideoRotation rotation);

  // Event delivery
  TNotificationMethod NotificationMethod() const;
  void setNotificationMethod(TNotificationMethod method);
  int NotificationSleepTime() const;
  void setNotificationSleepTime(int ms);
  TThreadPriority NotificationPriority() const;
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
  TOnFrameOverlayUsingDC OnFrameOverlayUsingDC() const;
  // Once this returns, the previous handler is no longer running.
  void setOnFrameOverlayUsingDC(TOnFrameOverlayUsingDC handler);

  // Operations
  bool StartPreview();
  bool StartRecording();
  void StopRecording();
  // Asks for the next frame as a bitmap or a file; the result comes by OnFrameCaptureCompleted.
  bool CaptureFrame(TFrameCaptureDest dest, const std::string& fileName);

  // Run state and identity
  TEngineState EngineState() const;
  int UniqueID() const;
  std::string Caption() const;
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

  TVdvWorker& Worker();

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
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Tests look behind the door through their probe.
  friend class EngineProbe;

  bool EditElementSettings(GstElement* element, const std::string& key, const std::string& title);
  std::string DeviceName(TDevicesKind kind, int index) const;
  std::string ListText(TDevicesKind kind) const;
  QSize FrameSize() const;

  QRect PaintFrame(QPainter& painter);

  std::unique_ptr<TVdvWorker> worker_;
  std::unique_ptr<TFramePainter> painter_;
  bool loading_ = false;
  std::uint64_t framesPainted_ = 0;
  QSize shownFrameSize_;
  QRect shownPicture_;  // where the last frame was painted
  QSize frameSize_;     // as last announced
  QSize wantedSize_;    // the display size last asked for
};

#undef VDV_STORED_PROPERTY
#undef VDV_EVENT
