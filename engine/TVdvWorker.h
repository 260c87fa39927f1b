#pragma once
// The worker behind a VOduduDudiviv component: property values, run state,
// the report step and checks, the request and event queues and the task
// worker that drains them.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/BoundDevices.h"
#include "engine/DeviceBinding.h"
#include "engine/EngineEvents.h"
#include "engine/EngineProperties.h"
#include "engine/FilterModule.h"
#include "engine/GraphBuilder.h"
#include "engine/GraphParts.h"
#include "engine/GraphSettings.h"
#include "engine/RecordingFailure.h"
#include "engine/TaskQueue.h"
#include "engine/frames/FramePath.h"
#include "engine/frames/TextOverlay.h"
#include "platform/kernel/ExclusiveFileLock.h"

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
class VOduduDudiviv;
class TDiskSpaceGuard;
class TDualThread;
class TVdvGraph;
class TVideoFrameSlot;
class TRecordingGuard;
namespace orvex::gdi {
class Bitmap;
}

// The capture file name with the destination's extension (snap -> snap.jpg,
// snap.png -> snap.jpg, snap.JPG kept).
std::string NormaliseCaptureFileName(const std::string& name, const std::string& extension);

// Requests the application reaches; 0 to 4 are queued, the others run at once.
enum TRequest : int {
  rq_DeviceLost = 0,
  rq_GraphEvent = 4,
  rq_Stop = 8,
  rq_StartPreview = 9,
  rq_StartRecording = 11
};
inline constexpr int kLastQueuedRequest = rq_GraphEvent;
// Requests from here on build a graph, which needs a window to show video in.
inline constexpr int kFirstGraphRequest = rq_StartPreview;

// What a graph is built for; each is the engine state it then runs in.
enum class TGraphMode : int { Preview = es_Previewing, Recording = es_Recording };

struct TVdvEvents {
  TEventSlot<TOnFileNotification> OnRecordingStarted;
  TEventSlot<TOnRecordingCompleted> OnRecordingCompleted;
  TEventSlot<TOnFrameCaptureCompleted> OnFrameCaptureCompleted;
  TEventSlot<TOnFrameProgress> OnFrameProgress;
  TEventSlot<TOnLog> OnLog;
  TEventSlot<TEventNotification> OnReinitializing;
  TEventSlot<TEventNotification> OnVideoDeviceSelected;
  TEventSlot<TEventNotification> OnAudioDeviceSelected;
  TEventSlot<TEventNotification> OnDiskFull;
  TEventSlot<TOnDeviceArrivalOrRemoval> OnDeviceArrivalOrRemoval;
  TEventSlot<TEventNotification> OnPreviewStarted;
  TEventSlot<TEventNotification> OnInactive;
  TEventSlot<TEventNotification> OnDeviceLost;
  TEventSlot<TEventNotification> OnNoVideoDevices;
  TFrameHookSlot<TOnFrameOverlayUsingDC> OnFrameOverlayUsingDC;

  void ClearAll();
};

class TVdvWorker final : private TGraphBuildHost, private TDeviceBindingHost {
 public:
  explicit TVdvWorker(VOduduDudiviv& owner);
  ~TVdvWorker();
  TVdvWorker(const TVdvWorker&) = delete;
  TVdvWorker& operator=(const TVdvWorker&) = delete;

  VOduduDudiviv& Owner;
  TVdvProperties P;
  TVdvEvents Events;

  // Run state
  std::atomic<TEngineState> State{es_Stopped};
  std::atomic<bool> Initialized{false};
  std::atomic<bool> Destroying{false};
  int UniqueID = -1;
  bool GraphActive = false;

  // The newest frame the renderer handed over, for the window to paint.
  std::shared_ptr<TVideoFrameSlot> FrameSlot;
  // Main thread, from the device registry: a device with moniker `id` went
  // away; the running graph that holds it is lost.
  void DeviceUnplugged(const std::string& id);
  // Main thread, from the device registry: entry `index` of a device list
  // came or went; a device that came is bound when it is the chosen one.
  void DevicePresenceChanged(bool present, bool video, const std::string& name, int index);

  std::string Caption;

  // The bound devices, as the door and the device registry read them.
  const TBoundDevices& Bound() const { return Binding.Bound(); }

  std::atomic<std::int64_t> RecordingElapsed100ns{0};  // written by the streaming thread
  // What went wrong with the latest recording, if anything.
  std::optional<TRecordingFailure> LatestRecordingFailure() const { return RecordingFailure; }

  // False when the renderer holds the template and it could not change.
  bool SetTextOverlayTemplate(const std::string& text) { return TextOverlay.SetTemplate(text); }
  // Main thread: makes a changed TextOverlay_Font for the renderer.
  void SyncTextOverlayFont();

  // Starts the task worker and marks the worker initialised (construction's tail).
  void StartTaskWorker();

  // --- reports and checks (WorkerChecks.cpp) ---
  // Answers whether `condition` held; reports it when it did.
  bool Report(bool condition, int severity, const std::string& message, TLogType code) override;
  // Answers whether `index` may be used with a list of `count` entries.
  bool IndexCheck(int index, int count, const std::string& noun) override;
  // Answers whether a graph may be built now.
  bool StateCheck(bool deviceCheck, bool allowPreview, bool allowPlayer, int severity = sv_Error);

  // --- the task worker's notification settings (WorkerTasks.cpp) ---
  void ApplyNotificationSettings();

  // --- public operations and the graph (WorkerOperations.cpp) ---
  bool StartPreview();
  bool StartRecording();
  void StopRecording();
  void AutoRefresh(const std::string& tag);
  void FirstIdle();
  // Each later idle moment: starts the preview that the first idle moment
  // could not, once a device has been chosen.
  void LaterIdle();
  void StopGraph();
  // The next automatic file name looks at the folder afresh.
  void MarkStoragePathChanged() { StoragePathChanged = true; }

  // --- the frame path (FramePath.cpp) ---
  void FrameArrived(vdv_filters::TGrabberParams& block, const vdv_filters::TFrameDescription& frame);
  void NotifyArrived();

  // --- frame capture (FrameCapture.cpp) ---
  bool CaptureFrame(TFrameCaptureDest dest, const std::string& fileName);
  void RecomputeOverlayNeeded();
  // Main thread: stops a preview's frames at the device while the display
  // is hidden and no capture or frame-progress handler waits for one; lets
  // them through again otherwise.
  void UpdatePreviewValve();
  bool EnumerationDone() const;

  // --- device lists, binding and inputs (WorkerDevices.cpp) ---
  int VideoDevicesCount() const;
  int AudioDevicesCount() const;
  // An audio device is chosen and bound.
  bool AudioDeviceBound() const { return P.AudioDevice >= 0 && Bound().AudioIndex >= 0; }
  TDevices* DeviceList(TDevicesKind kind) const;
  bool BindVideoDevice();
  bool BindAudioDevice();
  void ReleaseDevices();
  void SetVideoDevice(int index);
  void SetAudioDevice(int index);
  void SetVideoInput(int index);
  void SetAudioInput(int index);
  void SetVideoSize(int index);
  void SetCompressor(bool video, int index);
  // The size of the frames the processing hands on: the video size after
  // half-size deinterlacing and quarter turns, as the running graph was
  // built, else as the next build will be.
  void FrameSize(int& width, int& height) const;
  std::string VideoSizesText() const;
  void ApplyVideoSizeToWindow() { Binding.ApplyBoundVideoSize(); }
  void CallVideoDeviceSelected() { CallDeviceSelected(true); }
  void LoadGlobals();
  void SaveGlobals();

 private:
  // Tests look inside through their probe.
  friend class EngineProbe;

  void LogLine(const std::string& text) override;
  // Ends the recording before the data going into `mux` fills the disk.
  void WatchDiskSpace(GstElement* mux, const std::string& fileName) override;
  // Reports `message` as an ERROR and keeps it as the recording's failure, unless one is kept already.
  void NoteRecordingFailure(TLogType code, int error, const std::string& message,
                            const std::string& fileName = {}, const std::string& name = {});
  // Streaming thread, once per frame when OverlayNeeded: draws the text
  // overlay into the frame, then raises OnFrameOverlayUsingDC with a DC
  // that holds the frame. The frame must not be selected into another DC.
  void DrawOverlays(orvex::gdi::Bitmap& frame, const TFrameInfo& info);
  // Requests, events and the task worker (WorkerTasks.cpp).
  void Request(int request);
  void QueueEvent(TQueuedEvent event);
  void TaskStep(bool threadMode);
  std::size_t PendingEvents() const { return tasks_.PendingEvents(); }
  int NotificationIntervalMs() const;

  bool PreviewWanted = false;
  std::atomic<bool> OverlayNeeded{false};
  bool RecordingStarted = false;
  // Set by the graph event reader, acted on by rq_GraphEvent.
  std::atomic<bool> DeviceLostFlag{false};
  // Main thread: the device whose loss is being handled.
  std::string LostDeviceName;
  // The current graph (WorkerGraph.cpp).
  std::unique_ptr<TVdvGraph> Graph;
  std::atomic<bool> Stopping{false};
  TFramePath Frames;
  // Recording results, read when the queued events are delivered.
  std::string CurrentFileName;
  // What went wrong with the latest recording (WorkerRecordingFile.cpp).
  std::optional<TRecordingFailure> RecordingFailure;
  bool StoragePathChanged = true;
  // The text overlay's template and font (TextOverlay.h).
  TTextOverlay TextOverlay;
  // The file being recorded, held against other writers and its disk watched (WorkerRecordingFile.cpp).
  orvex::kernel::ExclusiveFileLock RecordingLock;
  // Whether the current graph holds the device with registry key `key`.
  bool HoldsDevice(const std::string& key) const;
  // The run's clock in 100-ns units (FramePath.cpp).
  std::int64_t ClockNow();

  // The devices bound and their values (DeviceBinding.cpp).
  TDeviceBinding Binding{P, *this};
  // The binding's news (WorkerDevices.cpp).
  void NoVideoDevices() override;
  void DeviceSelected(bool video) override;
  void VideoSizeChanged() override;

  // What the current graph is made of (GraphBuilder.cpp fills it).
  TGraphParts Built;
  // The graph builder's questions (WorkerGraph.cpp).
  TGraphChoices GraphChoices() const;
  void RecordingFailed(TLogType code, const std::string& message, const std::string& fileName,
                       const std::string& name) override;
  void CheckVideoSizeChoice() override;
  bool ChosenVideoSize(int& width, int& height) override;
  void VideoSizeRuns(int width, int height) override;
  void ConnectGrabber(vdv_filters::TGrabberParams& params, int rgbFormat) override;

  // Set by the graph event reader with DeviceLostFlag.
  std::atomic<bool> DiskFullFlag{false};
  std::atomic<bool> GraphErrorFlag{false};
  std::string GraphErrorText;
  int GraphErrorCause = 0;
  std::uint64_t GraphSerial = 0;
  TGraphSettings Settings;
  bool SettingsTaken = false;
  std::atomic<bool> GraphRunning{false};
  // The recording file of the current build (RecordingFile.cpp).
  std::string WrittenFile;
  // Its journal and sync while it is written, and whether the writer finished it (WorkerRecordingGuard.cpp).
  std::unique_ptr<TRecordingGuard> Guard;
  bool RecordingFinished = false;
  void GuardRecording();
  void RecordingFileOpened();
  void EndRecordingGuard();
  bool FileNamedAutomatically = false;
  std::string ReservedKey;
  int ReservedNumber = -1;
  bool RecordingSuccess = false;
  std::shared_ptr<TDiskSpaceGuard> SpaceGuard;
  TLogType LastErrorCode = e_failed;  // the latest ERROR report
  std::string LastErrorText;
  // Opens and locks the file before the writer may truncate it; false (and reported) when it cannot.
  bool OpenRecordingFile(const std::string& fileName);
  // Once the writer is closed: a file this recording made and left empty goes when it `failed`.
  void CloseRecordingFile(bool failed);

  void StopTaskWorker();
  bool RestartGraph(TGraphMode mode);
  void Clear(bool resetState);
  void Activate(TGraphMode mode);
  void SetGraphRunning(const std::string& tag);
  void TakeSettingsSnapshot();
  bool DetermineRecordingFile(std::string& fileName);
  std::string AutomaticFolder() const;
  std::string AutomaticFileName(const std::string& extension);
  void GiveBackReservedNumber();
  void OnGraphMessage(GstMessage* message, std::uint64_t serial);
  // `cause`: the system error number the graph's error stands for, or 0.
  void HandleGraphEvent(std::uint64_t serial, int kind, const std::string& text, int cause = 0);
  void OverlayStep(orvex::gdi::Bitmap& frame, const TFrameInfo& info);
  void PollFrames();
  void MarkFramePending();
  void ServeStep();
  void ServeCapture(TFrameCaptureDest dest, const std::string& fileName);
  std::string CaptureFileName(const std::string& given, const std::string& extension);
  bool HandleAllocated() const;

  std::uint64_t SerialOf(TQueuedEvent event) const;
  void Deliver(const TEventRecord& record);
  void RunRequestNow(int request);
  void HandleDeviceLost();
  void HandleGraphEventFlags();
  bool BuildGraph(TGraphMode mode);
  bool FinishGraph(TGraphMode mode);
  void FailRestart(TGraphMode mode);

  TTaskQueue tasks_;
  void CallDeviceSelected(bool video);

  std::atomic<bool> repaintQueued_{false};
  bool restartRunning_ = false;
  bool stopRunning_ = false;
  bool firstIdleDone_ = false;
  // The automatic start found no device; choosing one makes the start due.
  bool autoStartPending_ = false;
  bool autoStartDue_ = false;
};
