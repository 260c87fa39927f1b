// The public start and stop operations, the automatic start and refresh of
// the preview, and the outer steps of building and stopping a graph.

#include "engine/BusyCursor.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"

bool TVdvWorker::EnumerationDone() const {
  const TSyncManager* manager = TSyncManager::Instance();
  return manager && manager->EnumerationDone();
}


// Binds the chosen devices when a start finds them not bound yet.
static void BindForStart(TVdvWorker& w) {
  if (w.P.VideoSource != vs_VideoCaptureDevice) return;
  if (!w.IndexCheck(w.P.VideoDevice, w.VideoDevicesCount(), "video capture device")) return;
  if (w.Devices.VideoIndex < 0) w.BindVideoDevice();
  if (w.P.AudioDevice >= 0 && w.Devices.AudioIndex != w.P.AudioDevice) w.BindAudioDevice();
}

bool TVdvWorker::StartPreview() {
  BindForStart(*this);
  if (StateCheck(/*deviceCheck=*/true, /*allowPreview=*/true, /*allowPlayer=*/true))
    Request(rq_StartPreview);
  return State == es_Previewing;
}

bool TVdvWorker::StartRecording() {
  if (!StateCheck(/*deviceCheck=*/false, /*allowPreview=*/true, /*allowPlayer=*/true)) return false;
  BindForStart(*this);
  Request(rq_StartRecording);
  return State == es_Recording;
}

void TVdvWorker::StopRecording() {
  if (Report(State != es_Recording, sv_Error, "not recording", e_not_recording)) return;
  if (State != es_Stopped) Request(rq_Stop);
}

// A setting that shapes the graph changed: rebuild a running (or wanted) preview.
void TVdvWorker::AutoRefresh(const std::string& tag) {
  if (!Initialized || !P.AutoRefreshPreview || P.VideoDevice == -1) return;
  StateCheck(/*deviceCheck=*/true, /*allowPreview=*/true, /*allowPlayer=*/false);
  const TEngineState state = State;
  if (state == es_Previewing || (state == es_Stopped && PreviewWanted)) {
    LogLine("REFRESHING PREVIEW FROM " + tag);
    StartPreview();
  }
}

void TVdvWorker::FirstIdle() {
  if (firstIdleDone_ || Destroying) return;
  firstIdleDone_ = true;
  Caption.clear();
  Owner.update();
  if (Devices.VideoIndex != P.VideoDevice) {
    BindAudioDevice();
    BindVideoDevice();
  }
  if (P.AutoStartPreview && P.VideoSource == vs_VideoCaptureDevice &&
      P.MultiplexedRole != mr_MultiplexedSlave && State == es_Stopped)
    StartPreview();
}

bool TVdvWorker::RestartGraph(int mode) {
  if (!TSyncManager::Instance() || (mode != 1 && mode != 2) || !Initialized || !EnumerationDone())
    return false;
  if (P.VideoSource == vs_VideoCaptureDevice) {
    const int count = VideoDevicesCount();
    if (Report(count == 0, sv_Error, "no video capture device", e_no_video_input_device)) return false;
    if (P.VideoDevice >= count) return false;
  }
  if (restartRunning_) return false;
  // Graphs are built by the media layer, which this engine does not have yet.
  return false;
}

void TVdvWorker::StopGraph() {
  if (!GraphActive || stopRunning_) return;
  stopRunning_ = true;
  GraphActive = false;
  busy_cursor::Scope busy(P.BusyCursor, P.NormalCursor);
  const TEngineState state = State;
  if (state == es_Recording) RecordingSuccess = RecordingStarted;
  RecordingStarted = false;
  State = es_Stopped;
  if (state == es_Recording) QueueEvent(qe_RecordingCompleted);
  if (state != es_Stopped) QueueEvent(qe_Inactive);
  stopRunning_ = false;
}

void TVdvWorker::RecomputeOverlayNeeded() {
  OverlayNeeded = P.ShapeOverlayEnabled || P.TextOverlay_Enabled || Events.OnFrameOverlayUsingDC.Assigned();
}
