// Building, starting, stopping and tearing down the graph, and what the
// graph's messages mean for the engine.

#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <algorithm>

#include "engine/BusyCursor.h"
#include "engine/GraphBuilder.h"
#include "engine/GraphDump.h"
#include "engine/TLog.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvGraph.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "engine/frames/VideoRenderer.h"
#include "platform/kernel/DiskSpace.h"
#include "platform/media/GstPtr.h"

namespace {

constexpr auto kEndOfStreamDeadline = std::chrono::milliseconds(5000);
constexpr std::uint64_t kDiskFullFloor = 25000000;

enum TGraphEventKind : int { ge_DeviceLost, ge_AudioDeviceLost, ge_WriteFailed, ge_GraphError };

bool FromElement(GstMessage* message, GstElement* element) {
  return element && (GST_MESSAGE_SRC(message) == GST_OBJECT(element) ||
                     gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(element)));
}

int DisplayDepth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? DisplayBitsPerPixel(screen->depth()) : 32;
}

std::string YesNo(bool on) { return on ? ": YES" : ": no"; }

// A warning changes nothing in the run, but says why a picture or sound may be wrong.
void LogWarning(GstMessage* message) {
  TLog& log = TLog::Instance();
  if (!log.Enabled()) return;
  GError* raw = nullptr;
  gst_message_parse_warning(message, &raw, nullptr);
  const orvex::media::GErrorPtr warning(raw);
  const char* source = GST_MESSAGE_SRC_NAME(message);
  log.Line(
      std::string("graph warning from ") + (source ? source : "?") + ": " + (warning ? warning->message : ""),
      TLog::lcPurple);
}

}  // namespace

TGraphChoices TVdvWorker::GraphChoices() const {
  TGraphChoices c;
  c.VideoDevice = P.VideoDevice;
  c.AudioDevice = P.AudioDevice;
  c.VideoCompressor = P.VideoCompressor;
  c.AudioCompressor = P.AudioCompressor;
  c.AudioFormat = P.AudioFormat;
  c.StoreDeviceSettings = P.StoreDeviceSettingsInRegistry;
  c.OpenDML = P.AVIFormatOpenDML;
  return c;
}

void TVdvWorker::RecordingFailed(TLogType code, const std::string& message, const std::string& fileName,
                                 const std::string& name) {
  NoteRecordingFailure(code, 0, message, fileName, name);
}

void TVdvWorker::CheckVideoSizeChoice() { Binding.CheckVideoSizeChoice(); }

bool TVdvWorker::ChosenVideoSize(int& width, int& height) {
  return Binding.ResolveVideoSize(-1, width, height);
}

void TVdvWorker::VideoSizeRuns(int width, int height) { Binding.UseRunningSize(width, height); }

void TVdvWorker::ConnectGrabber(vdv_filters::TGrabberParams& params, int rgbFormat) {
  frame_path::ConnectGrabber(*this, params, rgbFormat);
}

bool TVdvWorker::HoldsDevice(const std::string& key) const {
  return std::find(Built.DevicesInUse.begin(), Built.DevicesInUse.end(), key) != Built.DevicesInUse.end();
}

void TVdvWorker::TakeSettingsSnapshot() {
  TGraphSettings& s = Settings;
  s.FrameGrabber = P.FrameGrabber;
  s.FrameGrabberRGBFormat = P.FrameGrabberRGBFormat;
  s.CompressionMode = P.CompressionMode;
  s.CompressionType = P.CompressionType;
  s.RecordingInNativeFormat = P.RecordingInNativeFormat;
  s.RenderAudio = P.AudioDeviceRendering;
  s.CaptureAudio = P.AudioRecording;
  s.VideoSource = P.VideoSource;
  s.VideoRenderer = P.VideoRenderer;
  s.RecordingMethod = P.RecordingMethod;
  s.NetworkStreaming = P.NetworkStreaming;
  s.HoldRecording = P.HoldRecording;
  s.PreallocCapFileEnabled = P.PreallocCapFileEnabled;
  s.FrameCaptureWithoutOverlay = P.FrameCaptureWithoutOverlay;
  s.Rotation = P.VideoProcessing_Rotation;
  s.Deinterlacing = P.VideoProcessing_Deinterlacing;
  const auto& subtypes = Bound().Subtypes;
  s.DeviceSubtype = Binding.SelectedSubtype();
  if (s.UsesGrabber())
    ChooseGrabberFormat(DisplayDepth(), s.FrameGrabberRGBFormat, subtypes, s.DeviceSubtype, s.DeviceSubtype,
                        s.GrabberRGBFormat);
  SettingsTaken = true;
}

bool TVdvWorker::RestartGraph(TGraphMode mode) {
  if (!TSyncManager::Instance() || !Initialized || !EnumerationDone()) return false;
  if (P.VideoSource == vs_VideoCaptureDevice) {
    const int count = VideoDevicesCount();
    if (Report(count == 0, sv_Error, "no video capture device", e_no_video_input_device)) return false;
    if (P.VideoDevice >= count) return false;
  }
  if (restartRunning_) return false;
  restartRunning_ = true;
  TLog::Instance().Banner("BEGIN RestartGraph " + std::to_string(static_cast<int>(mode)), '#');
  StopGraph();

  bool ok = true;
  if (Bound().VideoIndex != P.VideoDevice) ok = BindVideoDevice();
  if (ok && P.AudioDevice >= 0 && Bound().AudioIndex != P.AudioDevice) BindAudioDevice();
  ok = ok && Bound().VideoReady;
  bool ready = false;
  {
    busy_cursor::Scope busy(P.BusyCursor, P.NormalCursor);
    if (ok) {
      if (auto handler = Events.OnReinitializing.Get(); handler && !Destroying) (*handler)(&Owner);
      State = static_cast<TEngineState>(mode);
      ApplyNotificationSettings();
      if (mode != TGraphMode::Preview) PreviewWanted = false;
      TakeSettingsSnapshot();
      ok = BuildGraph(mode);
      ready = ok;
    }
    LogLine("END RestartGraph");
    if (!ok) {
      if (Graph) DumpGraphBesideLog(Graph->Pipeline(), "build-failed");
      FailRestart(mode);
    }
  }
  restartRunning_ = false;
  if (ready) Activate(mode);
  return ok;
}

// Builds the whole graph for `mode`; false when any step failed.
bool TVdvWorker::BuildGraph(TGraphMode mode) {
  if (TLog::Instance().Enabled()) {
    const TBoundDevices& d = Bound();
    LogLine(d.VideoIndex >= 0 ? "current video device: " + d.Video.DisplayName
                              : std::string("no video device available."));
    LogLine(d.AudioIndex >= 0 ? "current audio device: " + d.Audio.DisplayName
                              : std::string("no audio device available."));
    LogLine("capture audio" + YesNo(Settings.CaptureAudio));
    LogLine("render audio" + YesNo(Settings.RenderAudio));
    LogLine("transparency: no");
    LogLine("DV reduce frame rate: no");
    LogLine("Compress on the fly" + YesNo(Settings.CompressionMode == cm_CompressOnTheFly));
    LogLine("Compress after recording" + YesNo(Settings.CompressionMode == cm_CompressAfterRecording));
  }
  LogLine("creating filter graph");
  Graph = std::make_unique<TVdvGraph>("VOduduDudiviv");
  const std::uint64_t serial = ++GraphSerial;
  Graph->SetMessageHandler([this, serial](GstMessage* message) { OnGraphMessage(message, serial); });
  LogLine("filter graph created");
  Frames.Reset();
  Built.AudioConnected = false;
  const TGraphChoices choices = GraphChoices();
  TSyncManager* manager = TSyncManager::Instance();
  const TDeviceLists* lists = manager && manager->EnumerationDone() ? &manager->Lists() : nullptr;
  const TGraphInputs inputs{choices, Bound(), lists, FrameSlot, this};
  TGraphBuilder builder(inputs, *this, *Graph, Settings, Built);
  bool ok = builder.BuildBase(mode == TGraphMode::Recording);
  if (ok) {
    State = static_cast<TEngineState>(mode);
    if (mode == TGraphMode::Preview) {
      if (Settings.VideoRenderer != vr_None || Settings.UsesGrabber()) ok = builder.BuildPreview();
    } else {
      std::string fileName;
      RecordingStarted = false;
      ok = DetermineRecordingFile(fileName) && OpenRecordingFile(fileName) &&
           builder.BuildCaptureAndPreview(fileName);
    }
  }
  if (!ok) {
    Report(true, sv_Trace, "build graph failed", e_failed);
    return false;
  }
  ok = builder.FinishAudio(mode == TGraphMode::Recording) && FinishGraph(mode);
  if (ok) {
    LogLine("Preview BUILDOWN END");
    Frames.Reset();
  }
  return ok;
}

// The messages and reports of a finished graph.
bool TVdvWorker::FinishGraph(TGraphMode mode) {
  LogLine("find dropped frames interface");
  LogLine("get control interface");
  LogLine("get Event ex interface");
  if (mode != TGraphMode::Recording) return true;
  LogLine("query config avi F_AVIFileMux");
  LogLine("set output Compatibility Index");
  LogLine(Built.AudioConnected ? "set master stream" : "no master stream");
  if (Settings.CaptureAudio) LogLine("set interleaving mode");
  if (Settings.GrabberOnCapture()) {
    Report(
        true, sv_Warning,
        "The frame grabber requires CPU and can cause dropped frames or jerky preview. If you do not need "
        "graphics overlays or video processing in the video clip, disable it or set it on the preview stream "
        "only.",
        w_frame_grabber_requires_CPU);
    Report(true, sv_Info, "selected subtype: " + Binding.SelectedSubtype(), i_recording_videosubtype);
    Report(true, sv_Info,
           std::string("recording subtype: ") +
               (Settings.GrabberRGBFormat == vdv_filters::gf_RGB24 ? "RGB24" : "RGB32"),
           i_recording_videosubtype);
    Report(true, sv_Info,
           "(the subtype has been overridden because frame grabber is used on the recording stream, it must "
           "be set "
           "to \"fg_Disabled\" or \"fg_PreviewStream\" to record in the desired video subtype)",
           i_recording_videosubtype);
  }
  return true;
}

void TVdvWorker::FailRestart(TGraphMode mode) {
  Clear(true);
  State = es_Stopped;
  if (mode == TGraphMode::Preview) {
    PreviewWanted = true;
    Report(true, sv_Error, "failed to start preview", e_failed_to_start_preview);
  } else {
    RecordingStarted = false;
    Report(true, sv_Error, "failed to start Recording", e_failed_to_start_recording);
    if (SettingsTaken && Settings.CompressionMode == cm_CompressOnTheFly)
      Report(true, sv_Warning, "compressor possibly not suited", e_compressor_possibly_not_suited);
  }
  std::string subtype = Settings.DeviceSubtype;
  for (auto& c : subtype) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (subtype == "divx")
    Report(true, sv_Warning, "perhaps the DIVX codec is required but not installed on this platform.",
           w_divx_codec_not_installed);
}

void TVdvWorker::Activate(TGraphMode mode) {
  LogLine("begin activate graph");
  RecomputeOverlayNeeded();
  GraphActive = true;
  if (mode == TGraphMode::Recording) {
    LogLine("BEGIN recording started post processing");
    RecordingStarted = true;
    RecordingElapsed100ns = 0;
    ReservedKey.clear();  // the number is used now
    Frames.Reset();
    QueueEvent(qe_RecordingStarted);
    LogLine("END recording started post processing");
    GuardRecording();
  }
  SetGraphRunning(mode == TGraphMode::Recording ? "bldcapnor" : "bprev");
  if (mode == TGraphMode::Recording) RecordingFileOpened();
  // Once running: the sinks need a first frame to get there.
  UpdatePreviewValve();
  LogLine("end activate graph");
}

void TVdvWorker::SetGraphRunning(const std::string& tag) {
  LogLine("ch graph state running " + tag);
  Stopping = false;
  GraphRunning = true;
  if (Graph->SetState(GST_STATE_PLAYING)) return;
  Graph->SetState(GST_STATE_NULL);
  if (Graph->SetState(GST_STATE_PLAYING)) {
    LogLine("successfully restarted " + tag);
    return;
  }
  LogLine("ERROR: failed to run" + tag);
  DumpGraphBesideLog(Graph->Pipeline(), "run-failed");
  Graph->SetState(GST_STATE_NULL);
}

void TVdvWorker::StopGraph() {
  if (!GraphActive || stopRunning_) return;
  stopRunning_ = true;
  GraphActive = false;
  busy_cursor::Scope busy(P.BusyCursor, P.NormalCursor);
  const TEngineState state = State;
  if (state == es_Recording) {
    RecordingSuccess = RecordingStarted && !RecordingFailure;
    // The AVI writer completes header and index only when the streams end.
    RecordingFinished = Graph && RecordingStarted && Graph->SendEndOfStreamAndWait(kEndOfStreamDeadline);
    if (Graph && RecordingStarted && !RecordingFinished) LogLine("ERROR: the recording did not end in time");
  }
  Clear(true);
  if (state == es_Recording) {
    if (RecordingSuccess) Binding.SetLastRecordingFileName(CurrentFileName);
    QueueEvent(qe_RecordingCompleted);
  }
  if (state != es_Stopped) QueueEvent(qe_Inactive);
  stopRunning_ = false;
  // A rotation chosen while recording applies from now on.
  Owner.VideoSizeChanged();
}

void TVdvWorker::Clear(bool resetState) {
  LogLine("begin clear");
  Stopping = true;
  GraphRunning = false;
  if (Graph) Graph->SetState(GST_STATE_NULL);
  LogLine("stopped");
  if (!RecordingStarted) GiveBackReservedNumber();
  CloseRecordingFile(!RecordingStarted || RecordingFailure.has_value());
  if (resetState) State = es_Stopped;
  RecordingStarted = false;
  LogLine("cleared");
  Built.ForgetElements();
  Graph.reset();
  EndRecordingGuard();
  if (FrameSlot) FrameSlot->Clear();
  Frames.Reset();  // the served picture goes with the graph
  LogLine("interfaces cl");
  Owner.update();
  LogLine("all cleared");
  LogLine("end clear");
  if (TSyncManager* manager = TSyncManager::Instance())
    for (const auto& key : Built.DevicesInUse) manager->ReleaseDeviceInUse(key, this);
  Built.DevicesInUse.clear();
  Stopping = false;
}

// Streaming thread: sorts out what a message means and leaves the acting to
// the main thread.
void TVdvWorker::OnGraphMessage(GstMessage* message, std::uint64_t serial) {
  const auto type = GST_MESSAGE_TYPE(message);
  if (type == GST_MESSAGE_WARNING) LogWarning(message);
  if (type != GST_MESSAGE_ERROR && type != GST_MESSAGE_EOS) return;
  if (Stopping || !GraphRunning) return;
  int kind = ge_GraphError;
  std::string text;
  int cause = 0;
  if (type == GST_MESSAGE_ERROR) {
    GError* raw = nullptr;
    gst_message_parse_error(message, &raw, nullptr);
    const orvex::media::GErrorPtr error(raw);
    text = error ? error->message : "";
    cause = TVdvGraph::ErrorNumberOf(error.get());
    const bool fromWriter = Built.FileWriter && GST_MESSAGE_SRC(message) == GST_OBJECT(Built.FileWriter);
    // A microphone whose sound server took it away fails like an unplugged
    // camera; its source has ended its stream, so the file can still be finished.
    if (fromWriter) {
      kind = ge_WriteFailed;
    } else if (FromElement(message, Built.DeviceElement)) {
      kind = ge_DeviceLost;
    } else if (FromElement(message, Built.AudioDeviceElement)) {
      kind = ge_AudioDeviceLost;
    }
  } else {
    kind = ge_DeviceLost;  // a live source that ends has gone away
  }
  QMetaObject::invokeMethod(
      &Owner, [this, serial, kind, text, cause] { HandleGraphEvent(serial, kind, text, cause); },
      Qt::QueuedConnection);
}

void TVdvWorker::HandleGraphEvent(std::uint64_t serial, int kind, const std::string& text, int cause) {
  if (serial != GraphSerial || !GraphActive || Destroying) return;
  GraphErrorCause = kind == ge_WriteFailed ? cause : 0;  // what the file suffered, nothing else
  if (kind == ge_DeviceLost || kind == ge_AudioDeviceLost) {
    LostDeviceName = kind == ge_AudioDeviceLost ? Bound().Audio.DisplayName : Bound().Video.DisplayName;
    DeviceLostFlag = true;
  } else if (kind == ge_WriteFailed && State == es_Recording) {
    const auto drive = orvex::kernel::QueryDrive(WrittenFile);
    if (drive.freeBytes && *drive.freeBytes < kDiskFullFloor) {
      DiskFullFlag = true;
    } else {
      GraphErrorText = "cannot write " + WrittenFile + ": " + text;
      GraphErrorFlag = true;
    }
  } else {
    GraphErrorText = text;
    GraphErrorFlag = true;
  }
  Request(rq_GraphEvent);
}
