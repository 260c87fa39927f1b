// The public start and stop operations, the automatic start and refresh of
// the preview, and the outer steps of building and stopping a graph.

#include <gst/gst.h>

#include "engine/BusyCursor.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "engine/frames/VideoRenderer.h"

bool TVdvWorker::EnumerationDone() const {
  const TSyncManager* manager = TSyncManager::Instance();
  return manager && manager->EnumerationDone();
}

// Binds the chosen devices when a start finds them not bound yet.
static void BindForStart(TVdvWorker& w) {
  if (w.P.VideoSource != vs_VideoCaptureDevice) return;
  if (!w.IndexCheck(w.P.VideoDevice, w.VideoDevicesCount(), "video capture device")) return;
  if (w.Bound().VideoIndex < 0) w.BindVideoDevice();
  if (w.P.AudioDevice >= 0 && w.Bound().AudioIndex != w.P.AudioDevice) w.BindAudioDevice();
}

bool TVdvWorker::StartPreview() {
  BindForStart(*this);
  if (StateCheck(/*deviceCheck=*/true, /*allowPreview=*/true, /*allowPlayer=*/true)) Request(rq_StartPreview);
  return State == es_Previewing;
}

bool TVdvWorker::StartRecording() {
  // Refused while recording: that recording keeps its own account.
  if (!StateCheck(/*deviceCheck=*/false, /*allowPreview=*/true, /*allowPlayer=*/true)) return false;
  RecordingFailure.reset();
  LastErrorCode = e_failed_to_start_recording;
  LastErrorText.clear();
  BindForStart(*this);
  Request(rq_StartRecording);
  const bool started = State == es_Recording;
  // A start that failed without a cause of its own names its last error.
  if (!started && !RecordingFailure) {
    RecordingFailure = TRecordingFailure{};
    RecordingFailure->Code = LastErrorCode;
    RecordingFailure->Detail = LastErrorText;
    RecordingFailure->FileName = P.RecordingFileName;
    RecordingFailure->Name = Bound().Video.DisplayName;
  }
  return started;
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
  if (Bound().VideoIndex != P.VideoDevice) {
    BindAudioDevice();
    BindVideoDevice();
  }
  if (P.AutoStartPreview && P.VideoSource == vs_VideoCaptureDevice &&
      P.MultiplexedRole != mr_MultiplexedSlave && State == es_Stopped) {
    StartPreview();
    // On a first run no camera is chosen yet: the first one chosen starts.
    autoStartPending_ = State == es_Stopped && (P.VideoDevice == -1 || VideoDevicesCount() == 0);
  }
}

// The start waits while a modal dialog is open: a camera chosen there
// counts once the dialog is confirmed (Cancel takes the choice back).
void TVdvWorker::LaterIdle() {
  if (!autoStartDue_ || Destroying || Owner.ModalDialogOpen()) return;
  autoStartDue_ = false;
  if (!P.AutoStartPreview || State != es_Stopped || P.VideoDevice == -1) return;
  autoStartPending_ = false;
  LogLine("STARTING PREVIEW OF THE CHOSEN DEVICE");
  StartPreview();
}

void TVdvWorker::UpdatePreviewValve() {
  GstElement* valve = Built.PreviewValve;
  if (!valve || !GraphActive) return;
  const bool idle = !FrameSlot->Watched() && !Frames.CaptureWaiting() && !Events.OnFrameProgress.Assigned();
  g_object_set(valve, "drop", idle ? TRUE : FALSE, nullptr);
}

void TVdvWorker::RecomputeOverlayNeeded() {
  OverlayNeeded = P.ShapeOverlayEnabled || P.TextOverlay_Enabled || Events.OnFrameOverlayUsingDC.Assigned();
}
