#pragma once
// Every property value of an engine instance, with the engine's own defaults.
// Values that the streaming thread reads on every frame are atomic.

#include <atomic>
#include <string>

#include "engine/EngineEnums.h"
#include "engine/TFont.h"

// The text the overlay holds until the application sets its own.
inline constexpr const char* kDefaultTextOverlayTemplate =
    "Note: the date/time formats \r\ncan be easily modified.\r\n\r\n"
    "system date/time: %sys_time[dd/mm/yy hh:nn:ss]%\r\n"
    "DV time code: %time_code%\r\n"
    "DV date/time: %dv_time[dd/mm/yy hh:nn:ss]%\r\n"
    "frame count: %frame_count%\r\n"
    "time (full): %time_full%\r\n"
    "time (sec): %time_sec%\r\n"
    "time (ns): %time_100ns%";

struct TVdvProperties {
  // Start-up
  bool AutoStartPreview = false;
  bool AutoRefreshPreview = true;

  // Source
  TVideoSource VideoSource = vs_VideoCaptureDevice;
  int VideoDevice = 0;
  int AudioDevice = 0;
  int VideoCompressor = -1;  // -1 = none
  int AudioCompressor = -1;
  TAudioFormat AudioFormat = af_default;
  bool AudioRecording = false;
  bool AudioDeviceRendering = false;
  bool AssociateAudioAndVideoDevices = false;
  bool AutoConnectRelatedPins = true;
  bool StoreDeviceSettingsInRegistry = true;
  bool CameraControlSettings = true;
  bool VideoControlSettings = true;
  bool VideoQualitySettings = true;

  // Recording
  TRecordingMethod RecordingMethod = rm_AVI;
  bool AVIFormatOpenDML = true;
  TCompressionMode CompressionMode = cm_NoCompression;
  TCompressionType CompressionType = ct_Video;
  TAutoFileName AutoFileName = fn_Sequential;
  std::string AutoFilePrefix = "vg";
  std::string RecordingFileName;
  std::string StoragePath;  // the current folder when the component is created
  int VideoCompression_KeyFrameRate = 15;
  int VideoCompression_PFramesPerKeyFrame = 0;
  double VideoCompression_Quality = 1.0;
  int VideoCompression_WindowSize = -1;
  bool RecordingInNativeFormat = false;
  bool HoldRecording = false;
  bool PreallocCapFileEnabled = false;
  bool PreallocCapFileCopiedAfterRecording = false;
  bool RecordingOnMotion_Enabled = false;

  // Display
  bool Display_Active = true;
  bool Display_Embedded = true;
  bool Display_AutoSize = false;
  bool Display_KeepAspectRatio = true;
  bool Display_FullScreen = false;
  bool Display_StayOnTop = false;
  int Display_Left = 10;
  int Display_Top = 10;
  int Display_Width = 320;
  int Display_Height = 240;
  int Display_Monitor = 0;
  bool Display_MouseMovesWindow = true;
  bool Display_VideoPortEnabled = true;
  bool DualDisplay_Active = false;
  TVideoRenderer VideoRenderer = vr_AutoSelect;
  int PreviewZoomSize = 100;
  TColor BackgroundColor = clBlack;

  // Frame hooks
  TFrameGrabber FrameGrabber = fg_PreviewStream;
  TFrameGrabberRGBFormat FrameGrabberRGBFormat = fgf_Default;
  std::atomic<bool> FrameCaptureWithoutOverlay{false};
  int FrameCaptureZoomSize = 100;
  bool BurstMode = false;
  int BurstCount = 0;
  int BurstInterval = 0;
  int JPEGQuality = 100;
  TJPEGPerformance JPEGPerformance = jpBestQuality;
  bool JPEGProgressiveDisplay = false;
  std::atomic<bool> ShapeOverlayEnabled{false};
  std::atomic<bool> MotionDetector_Enabled{false};
  bool ColorKeyEnabled = false;

  // Text overlay
  std::atomic<bool> TextOverlay_Enabled{false};
  std::atomic<int> TextOverlay_Left{0};
  std::atomic<int> TextOverlay_Top{0};
  std::atomic<int> TextOverlay_Right{320};
  std::atomic<TTextOverlayAlign> TextOverlay_Align{tf_Left};
  std::atomic<TColor> TextOverlay_BkColor{clWhite};
  std::atomic<bool> TextOverlay_Transparent{true};
  TFont TextOverlay_Font{"MS Sans Serif", -11, clAqua};
  std::string TextOverlay_String = kDefaultTextOverlayTemplate;

  // Picture adjustment, read by the frame path on every frame
  std::atomic<int> VideoProcessing_Brightness{0};
  std::atomic<int> VideoProcessing_Contrast{0};
  std::atomic<int> VideoProcessing_Hue{0};
  std::atomic<int> VideoProcessing_Saturation{0};
  std::atomic<bool> VideoProcessing_GrayScale{false};
  std::atomic<bool> VideoProcessing_InvertColors{false};
  std::atomic<bool> VideoProcessing_FlipHorizontal{false};
  std::atomic<bool> VideoProcessing_FlipVertical{false};
  std::atomic<TVideoDeinterlacing> VideoProcessing_Deinterlacing{di_Disabled};
  TVideoRotation VideoProcessing_Rotation = rt_0_deg;

  // Event delivery
  TNotificationMethod NotificationMethod = nm_Timer;
  int NotificationSleepTime = -1;  // -1 means 15 ms
  TThreadPriority NotificationPriority = tpNormal;
  bool EventNotificationSynchrone = false;
  bool Synchronized = false;
  TCursor BusyCursor = crHourGlass;
  TCursor NormalCursor = crDefault;

  // Features the application does not use
  TMultiplexedRole MultiplexedRole = mr_NotMultiplexed;
  TNetworkStreaming NetworkStreaming = ns_Disabled;
};
