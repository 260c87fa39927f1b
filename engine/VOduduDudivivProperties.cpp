// The component's properties and operations, each handed to the worker.

#include "engine/TDevices.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"

#undef VDV_STORED_PROPERTY
#undef VDV_EVENT

#define VDV_STORED_PROPERTY(Type, Name)                        \
  Type VOduduDudiviv::Name() const { return worker_->P.Name; } \
  void VOduduDudiviv::set##Name(Type value) { worker_->P.Name = value; }

#define VDV_EVENT(Type, Name)                                                 \
  Type VOduduDudiviv::Name() const { return worker_->Events.Name.Handler(); } \
  void VOduduDudiviv::set##Name(Type handler) { worker_->Events.Name.Set(std::move(handler)); }

VDV_STORED_PROPERTY(bool, AutoStartPreview)
VDV_STORED_PROPERTY(bool, AutoRefreshPreview)
VDV_STORED_PROPERTY(TVideoSource, VideoSource)
VDV_STORED_PROPERTY(bool, AudioRecording)
VDV_STORED_PROPERTY(bool, AssociateAudioAndVideoDevices)
VDV_STORED_PROPERTY(bool, AutoConnectRelatedPins)
VDV_STORED_PROPERTY(bool, StoreDeviceSettingsInRegistry)
VDV_STORED_PROPERTY(bool, CameraControlSettings)
VDV_STORED_PROPERTY(bool, VideoControlSettings)
VDV_STORED_PROPERTY(bool, VideoQualitySettings)
VDV_STORED_PROPERTY(bool, AVIFormatOpenDML)
VDV_STORED_PROPERTY(std::string, AutoFilePrefix)
VDV_STORED_PROPERTY(int, VideoCompression_KeyFrameRate)
VDV_STORED_PROPERTY(int, VideoCompression_PFramesPerKeyFrame)
VDV_STORED_PROPERTY(double, VideoCompression_Quality)
VDV_STORED_PROPERTY(int, VideoCompression_WindowSize)
VDV_STORED_PROPERTY(bool, RecordingInNativeFormat)
VDV_STORED_PROPERTY(bool, HoldRecording)
VDV_STORED_PROPERTY(bool, PreallocCapFileEnabled)
VDV_STORED_PROPERTY(bool, RecordingOnMotion_Enabled)
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
VDV_STORED_PROPERTY(int, FrameCaptureZoomSize)
VDV_STORED_PROPERTY(bool, BurstMode)
VDV_STORED_PROPERTY(int, BurstCount)
VDV_STORED_PROPERTY(int, BurstInterval)
VDV_STORED_PROPERTY(bool, JPEGProgressiveDisplay)
VDV_STORED_PROPERTY(bool, MotionDetector_Enabled)
VDV_STORED_PROPERTY(bool, ColorKeyEnabled)
VDV_STORED_PROPERTY(int, TextOverlay_Left)
VDV_STORED_PROPERTY(int, TextOverlay_Top)
VDV_STORED_PROPERTY(int, TextOverlay_Right)
VDV_STORED_PROPERTY(TColor, TextOverlay_BkColor)
VDV_STORED_PROPERTY(bool, TextOverlay_Transparent)
VDV_STORED_PROPERTY(int, VideoProcessing_Brightness)
VDV_STORED_PROPERTY(int, VideoProcessing_Contrast)
VDV_STORED_PROPERTY(int, VideoProcessing_Hue)
VDV_STORED_PROPERTY(int, VideoProcessing_Saturation)
VDV_STORED_PROPERTY(bool, VideoProcessing_GrayScale)
VDV_STORED_PROPERTY(bool, VideoProcessing_InvertColors)
VDV_STORED_PROPERTY(bool, VideoProcessing_FlipHorizontal)
VDV_STORED_PROPERTY(bool, VideoProcessing_FlipVertical)
VDV_STORED_PROPERTY(bool, EventNotificationSynchrone)
VDV_STORED_PROPERTY(bool, Synchronized)
VDV_STORED_PROPERTY(TCursor, BusyCursor)
VDV_STORED_PROPERTY(TCursor, NormalCursor)
VDV_STORED_PROPERTY(TMultiplexedRole, MultiplexedRole)
VDV_STORED_PROPERTY(TNetworkStreaming, NetworkStreaming)

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

int VOduduDudiviv::VideoDevice() const { return worker_->P.VideoDevice; }

void VOduduDudiviv::setVideoDevice(int index) { worker_->SetVideoDevice(index); }

int VOduduDudiviv::AudioDevice() const { return worker_->P.AudioDevice; }

void VOduduDudiviv::setAudioDevice(int index) { worker_->SetAudioDevice(index); }

int VOduduDudiviv::VideoDevicesCount() const { return worker_->VideoDevicesCount(); }

int VOduduDudiviv::AudioDevicesCount() const { return worker_->AudioDevicesCount(); }

std::string VOduduDudiviv::VideoInputs() const { return worker_->Bound().VideoInputsText; }

std::string VOduduDudiviv::AudioInputs() const { return worker_->Bound().AudioInputsText; }

bool VOduduDudiviv::ReadAudioInputs() { return worker_->BindAudioDevice(); }

int VOduduDudiviv::VideoInput() const { return worker_->Bound().VideoValues.Int(vv_VideoInput); }

void VOduduDudiviv::setVideoInput(int index) { worker_->SetVideoInput(index); }

int VOduduDudiviv::AudioInput() const { return worker_->Bound().AudioValues.Int(av_AudioInput); }

void VOduduDudiviv::setAudioInput(int index) { worker_->SetAudioInput(index); }

std::string VOduduDudiviv::VideoSizes() const { return worker_->VideoSizesText(); }

int VOduduDudiviv::VideoSize() const { return worker_->Bound().VideoValues.Int(vv_VideoSize); }

void VOduduDudiviv::setVideoSize(int index) { worker_->SetVideoSize(index); }

int VOduduDudiviv::VideoWidth() const { return worker_->Bound().VideoWidth; }

int VOduduDudiviv::VideoHeight() const { return worker_->Bound().VideoHeight; }

int VOduduDudiviv::VideoCompressor() const { return worker_->P.VideoCompressor; }

void VOduduDudiviv::setVideoCompressor(int index) { worker_->SetCompressor(true, index); }

int VOduduDudiviv::AudioCompressor() const { return worker_->P.AudioCompressor; }

void VOduduDudiviv::setAudioCompressor(int index) { worker_->SetCompressor(false, index); }

TAudioFormat VOduduDudiviv::AudioFormat() const { return worker_->P.AudioFormat; }

bool VOduduDudiviv::AudioDeviceRendering() const { return worker_->P.AudioDeviceRendering; }

TRecordingMethod VOduduDudiviv::RecordingMethod() const { return worker_->P.RecordingMethod; }

TCompressionMode VOduduDudiviv::CompressionMode() const { return worker_->P.CompressionMode; }

TCompressionType VOduduDudiviv::CompressionType() const { return worker_->P.CompressionType; }

TAutoFileName VOduduDudiviv::AutoFileName() const { return worker_->P.AutoFileName; }

std::string VOduduDudiviv::RecordingFileName() const { return worker_->P.RecordingFileName; }

std::string VOduduDudiviv::StoragePath() const { return worker_->P.StoragePath; }

void VOduduDudiviv::setStoragePath(const std::string& path) {
  worker_->P.StoragePath = path;
  worker_->MarkStoragePathChanged();
}

double VOduduDudiviv::RecordingElapsedSeconds() const { return worker_->RecordingElapsed100ns / 10000000.0; }

std::optional<TRecordingFailure> VOduduDudiviv::RecordingFailure() const {
  return worker_->LatestRecordingFailure();
}

TColor VOduduDudiviv::BackgroundColor() const { return worker_->P.BackgroundColor; }

TFrameGrabber VOduduDudiviv::FrameGrabber() const { return worker_->P.FrameGrabber; }

TFrameGrabberRGBFormat VOduduDudiviv::FrameGrabberRGBFormat() const {
  return worker_->P.FrameGrabberRGBFormat;
}

bool VOduduDudiviv::FrameCaptureWithoutOverlay() const { return worker_->P.FrameCaptureWithoutOverlay; }

int VOduduDudiviv::JPEGQuality() const { return worker_->P.JPEGQuality; }

TJPEGPerformance VOduduDudiviv::JPEGPerformance() const { return worker_->P.JPEGPerformance; }

bool VOduduDudiviv::ShapeOverlayEnabled() const { return worker_->P.ShapeOverlayEnabled; }

bool VOduduDudiviv::TextOverlay_Enabled() const { return worker_->P.TextOverlay_Enabled; }

TTextOverlayAlign VOduduDudiviv::TextOverlay_Align() const { return worker_->P.TextOverlay_Align; }

TFont& VOduduDudiviv::TextOverlay_Font() { return worker_->P.TextOverlay_Font; }

std::string VOduduDudiviv::TextOverlay_String() const { return worker_->P.TextOverlay_String; }

TVideoDeinterlacing VOduduDudiviv::VideoProcessing_Deinterlacing() const {
  return worker_->P.VideoProcessing_Deinterlacing;
}

TVideoRotation VOduduDudiviv::VideoProcessing_Rotation() const { return worker_->P.VideoProcessing_Rotation; }

TNotificationMethod VOduduDudiviv::NotificationMethod() const { return worker_->P.NotificationMethod; }

int VOduduDudiviv::NotificationSleepTime() const { return worker_->P.NotificationSleepTime; }

TThreadPriority VOduduDudiviv::NotificationPriority() const { return worker_->P.NotificationPriority; }

TOnFrameOverlayUsingDC VOduduDudiviv::OnFrameOverlayUsingDC() const {
  return worker_->Events.OnFrameOverlayUsingDC.Handler();
}

bool VOduduDudiviv::StartPreview() { return worker_->StartPreview(); }

bool VOduduDudiviv::StartRecording() { return worker_->StartRecording(); }

void VOduduDudiviv::StopRecording() { worker_->StopRecording(); }

bool VOduduDudiviv::CaptureFrame(TFrameCaptureDest dest, const std::string& fileName) {
  return worker_->CaptureFrame(dest, fileName);
}

TEngineState VOduduDudiviv::EngineState() const { return worker_->State; }

int VOduduDudiviv::UniqueID() const { return worker_->UniqueID; }

std::string VOduduDudiviv::Caption() const { return worker_->Caption; }

std::string VOduduDudiviv::VideoDeviceName() const { return DeviceName(lk_VideoDevices, VideoDevice()); }

std::string VOduduDudiviv::AudioDeviceName() const { return DeviceName(lk_AudioDevices, AudioDevice()); }

std::string VOduduDudiviv::VideoDeviceNames() const { return ListText(lk_VideoDevices); }

std::string VOduduDudiviv::AudioDeviceNames() const { return ListText(lk_AudioDevices); }

std::string VOduduDudiviv::VideoCompressors() const { return ListText(lk_VideoCompressors); }

std::string VOduduDudiviv::AudioCompressors() const { return ListText(lk_AudioCompressors); }
