// Requests, queued events and the task worker step that drains them.

#include <cerrno>

#include "engine/GraphDump.h"
#include "engine/TVdvGraph.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "platform/kernel/UnhandledException.h"

void TVdvWorker::Request(int request) {
  if (request >= 0 && request <= kLastQueuedRequest) {
    tasks_.AddRequest(request);
    return;
  }
  if (request >= kFirstGraphRequest) Owner.EnsureParentWindow();
  RunRequestNow(request);
}

void TVdvWorker::RunRequestNow(int request) {
  switch (request) {
    case rq_DeviceLost: HandleDeviceLost(); break;
    case rq_GraphEvent: HandleGraphEventFlags(); break;
    case rq_Stop: StopGraph(); break;
    case rq_StartPreview:
      if (RestartGraph(TGraphMode::Preview)) QueueEvent(qe_PreviewStarted);
      break;
    case rq_StartRecording: RestartGraph(TGraphMode::Recording); break;
    default: break;  // player, tuner and re-encoding requests are not used
  }
}

// A recording the loss ends is finished (its file keeps what came before)
// and named in plain words, so nobody takes it for a normal stop.
void TVdvWorker::HandleDeviceLost() {
  // The failing source and the device monitor each report the same loss;
  // the later report finds the graph stopped already.
  if (!GraphActive) return;
  const std::string device = LostDeviceName.empty() ? Bound().Video.DisplayName : LostDeviceName;
  if (State == es_Recording)
    NoteRecordingFailure(e_graph_error, ENODEV,
                         device + " is no longer there: the recording to " + WrittenFile +
                             " ended and keeps what was recorded until then",
                         WrittenFile, device);
  LostDeviceName.clear();
  StopGraph();
  PreviewWanted = true;
  QueueEvent(qe_DeviceLost);
}

void TVdvWorker::HandleGraphEventFlags() {
  if (DeviceLostFlag.exchange(false)) Request(rq_DeviceLost);
  if (DiskFullFlag.exchange(false) && GraphActive) {
    // Ended as at any stop, so the file gets its index (unless a write already failed).
    NoteRecordingFailure(e_disk_full, ENOSPC, "the disk of " + WrittenFile + " is full", WrittenFile);
    StopGraph();
    if (auto handler = Events.OnDiskFull.Get(); handler && !Destroying) (*handler)(&Owner);
  }
  // Any other failure ends the graph too: nothing flows through it any more.
  if (GraphErrorFlag.exchange(false)) {
    if (Graph) DumpGraphBesideLog(Graph->Pipeline(), "graph-error");
    if (State == es_Recording)
      NoteRecordingFailure(e_graph_error, GraphErrorCause, "graph error: " + GraphErrorText, WrittenFile);
    else
      Report(true, sv_Error, "graph error: " + GraphErrorText, e_graph_error);
    RecordingStarted = false;
    StopGraph();
    PreviewWanted = true;
  }
}

std::uint64_t TVdvWorker::SerialOf(TQueuedEvent event) const {
  switch (event) {
    case qe_RecordingStarted: return Events.OnRecordingStarted.Serial();
    case qe_RecordingCompleted: return Events.OnRecordingCompleted.Serial();
    case qe_PreviewStarted: return Events.OnPreviewStarted.Serial();
    case qe_Inactive: return Events.OnInactive.Serial();
    case qe_DeviceLost: return Events.OnDeviceLost.Serial();
    case qe_NoVideoDevices: return Events.OnNoVideoDevices.Serial();
    case qe_DiskFull: return Events.OnDiskFull.Serial();
  }
  return 0;
}

void TVdvWorker::QueueEvent(TQueuedEvent event) {
  const TEventRecord record{event, SerialOf(event)};
  if (!P.EventNotificationSynchrone) {
    tasks_.AddEvent(record);
    return;
  }
  try {
    Deliver(record);
  } catch (...) {
    orvex::kernel::HandleUnhandledException(std::current_exception());
  }
}

// Calls the handler only when it is the one that was assigned when the event
// was raised; the arguments are the worker's values of this moment.
void TVdvWorker::Deliver(const TEventRecord& record) {
  if (Destroying) return;
  const bool needsWindow = record.event != qe_DeviceLost;
  if (needsWindow && !HandleAllocated()) return;
  VOduduDudiviv* sender = &Owner;
  switch (record.event) {
    case qe_RecordingStarted:
      if (auto fn = Events.OnRecordingStarted.IfSerial(record.serial)) (*fn)(sender, CurrentFileName);
      break;
    case qe_RecordingCompleted:
      if (auto fn = Events.OnRecordingCompleted.IfSerial(record.serial))
        (*fn)(sender, CurrentFileName, RecordingSuccess);
      break;
    case qe_PreviewStarted:
      if (auto fn = Events.OnPreviewStarted.IfSerial(record.serial)) (*fn)(sender);
      break;
    case qe_Inactive:
      if (auto fn = Events.OnInactive.IfSerial(record.serial)) (*fn)(sender);
      break;
    case qe_DeviceLost:
      if (auto fn = Events.OnDeviceLost.IfSerial(record.serial)) (*fn)(sender);
      break;
    case qe_NoVideoDevices:
      if (auto fn = Events.OnNoVideoDevices.IfSerial(record.serial)) (*fn)(sender);
      break;
    case qe_DiskFull:
      if (auto fn = Events.OnDiskFull.IfSerial(record.serial)) (*fn)(sender);
      break;
  }
}

void TVdvWorker::TaskStep(bool threadMode) { tasks_.Pass(threadMode); }

// Streaming thread: a frame record goes to the task worker only when someone
// waits for it; other frames leave the hand-over free and wake nobody.
void TVdvWorker::MarkFramePending() {
  if (!Events.OnFrameProgress.Assigned() && !Frames.CaptureWaiting()) return;
  Frames.MarkPending();
  tasks_.Wake();
}

int TVdvWorker::NotificationIntervalMs() const {
  return P.NotificationSleepTime == -1 ? 15 : P.NotificationSleepTime;
}

void TVdvWorker::ApplyNotificationSettings() {
  tasks_.Apply(NotificationIntervalMs(), P.NotificationMethod, P.NotificationPriority);
}

void TVdvWorker::StartTaskWorker() {
  tasks_.Start(NotificationIntervalMs(), P.NotificationMethod, P.NotificationPriority);
}

void TVdvWorker::StopTaskWorker() { tasks_.Stop(); }
