#include "engine/frames/FramePath.h"

#include "engine/TVdvGraph.h"
#include "engine/TVdvWorker.h"
#include "platform/gdi/Bitmap.h"
#include "platform/kernel/Clock.h"

namespace {

// Notify calls closer together than this keep no clock.
constexpr std::uint32_t kNotifyIntervalMs = 66;

}  // namespace

void SplitFrameTime(TFrameInfo& info) {
  info.TotalHundredths = info.FrameTime / 100000;
  info.WholeSeconds = info.TotalHundredths / 100;
  info.Hundredths = static_cast<std::int32_t>(info.TotalHundredths % 100);
  info.TotalMinutes = static_cast<std::int32_t>(info.WholeSeconds / 60);
  info.Seconds = static_cast<std::int32_t>(info.WholeSeconds % 60);
  info.Hours = info.TotalMinutes / 60;
  info.Minutes = info.TotalMinutes % 60;
}

void TFramePath::Reset() {
  std::lock_guard lock(frameLock_);
  startTime_ = -1;
  startCount_ = 0;
  current_ = pending_ = served_ = TFrameRecord{};
  pendingMark_ = false;
  requestWaiting_ = false;
  requestDest_ = fc_TBitmap;
  requestFileName_.clear();
}

void TFramePath::AdvanceClock(TFrameRecord& record, std::int64_t now) {
  if (startTime_ < 0) {
    startTime_ = now;
    startCount_ = record.RunningCounter;
  }
  ++record.RunningCounter;
  record.SampleTime = now;
  record.Info.FrameNumber = record.RunningCounter - startCount_;
  record.Info.FrameTime = record.SampleTime - startTime_;
  SplitFrameTime(record.Info);
}

std::int64_t TFramePath::ClockAt(std::int64_t ns) {
  if (ns >= 0) lastClock_ = ns / 100;
  return lastClock_;
}

const TFrameInfo& TFramePath::AdvanceCurrent(std::int64_t now) {
  AdvanceClock(current_, now);
  return current_.Info;
}

TFrameInfo TFramePath::AdvancePending(std::int64_t now) {
  std::lock_guard lock(frameLock_);
  AdvanceClock(pending_, now);
  return pending_.Info;
}

bool TFramePath::NotifyDue(std::uint32_t now) {
  if (now - lastNotifyTick_.load() <= kNotifyIntervalMs || pendingMark_) return false;
  lastNotifyTick_ = now;
  return true;
}

void TFramePath::HandOver(const orvex::gdi::Bitmap* captured) {
  // The copy is made only for a capture: other frames hand over their record alone.
  if (captured) {
    auto copy = std::make_shared<orvex::gdi::Bitmap>();
    if (copy->Assign(*captured)) current_.Bitmap = std::move(copy);
  }
  std::lock_guard lock(frameLock_);
  pending_ = current_;
  current_.Bitmap.reset();
}

bool TFramePath::TakePending() {
  if (!pendingMark_) return false;
  std::lock_guard lock(frameLock_);
  served_ = pending_;
  pending_.Bitmap.reset();
  return true;
}

void TFramePath::AskCapture(TFrameCaptureDest dest, const std::string& fileName, bool wait) {
  requestDest_ = dest;
  requestFileName_ = fileName;
  if (wait) requestWaiting_ = true;
}

bool TFramePath::TakeCaptureRequest(TFrameCaptureDest& dest, std::string& fileName) {
  if (!requestWaiting_.exchange(false)) return false;
  dest = requestDest_;
  fileName = requestFileName_;
  return true;
}

namespace {

void CopyProcessingBlock(TVdvWorker& w, vdv_filters::TProcessingBlock& block) {
  const TVdvProperties& p = w.P;
  block.Brightness = p.VideoProcessing_Brightness;
  block.Contrast = p.VideoProcessing_Contrast;
  block.Saturation = p.VideoProcessing_Saturation;
  block.Hue = p.VideoProcessing_Hue;
  block.GrayScale = p.VideoProcessing_GrayScale;
  block.InvertColors = p.VideoProcessing_InvertColors;
  block.FullSizeDeinterlace = p.VideoProcessing_Deinterlacing == di_FullSize;
  block.FlipHorizontal = p.VideoProcessing_FlipHorizontal;
  block.FlipVertical = p.VideoProcessing_FlipVertical;
  block.ProcessingActive = 1;
}

void OnFrame(vdv_filters::TGrabberParams* block, std::int64_t, std::uint32_t, std::uint32_t, void*,
             std::int32_t, void* bitmap, void*, const vdv_filters::TFrameDescription* frame) {
  auto* w = static_cast<TVdvWorker*>(block->Context);
  // A frame without a bitmap came without pixels: it still counts.
  if (!w || !frame || (bitmap && !frame->Pixels)) return;
  w->FrameArrived(*block, *frame);
}

void OnNotify(vdv_filters::TGrabberParams* block, std::uint32_t, void*, std::int64_t, std::uint32_t,
              std::uint32_t) {
  if (auto* w = static_cast<TVdvWorker*>(block->Context)) w->NotifyArrived();
}

}  // namespace

namespace frame_path {

void ConnectGrabber(TVdvWorker& worker, vdv_filters::TGrabberParams& params, int rgbFormat) {
  params.Context = &worker;
  params.FrameCallback = &OnFrame;
  params.NotifyCallback = &OnNotify;
  params.FixedValue = vdv_filters::kGrabberFixedValue;
  params.RGBFormat = rgbFormat;
  params.Reserved = 0;
  for (auto& b : params.PauseFlags) b = 0;
  CopyProcessingBlock(worker, params.Processing);
}

}  // namespace frame_path

// Clock time of the run in 100-ns units; the last value when there is no clock.
std::int64_t TVdvWorker::ClockNow() {
  const TVdvGraph* graph = Graph.get();
  return Frames.ClockAt(graph ? graph->RunningTime() : -1);
}

// Streaming thread, once per frame, in a fixed order: settings for the next
// frame, clock, overlays, hand-over.
void TVdvWorker::FrameArrived(vdv_filters::TGrabberParams& block,
                              const vdv_filters::TFrameDescription& frame) {
  if (Destroying || Stopping || !GraphRunning) return;
  CopyProcessingBlock(*this, block.Processing);
  const TFrameInfo& info = Frames.AdvanceCurrent(ClockNow());
  if (State == es_Recording) RecordingElapsed100ns = info.FrameTime;
  const bool eligible = Frames.Free() && block.CaptureSource == vdv_filters::kIsCaptureSource;
  // What the grabber of YUV frames must convert for the next one: a capture
  // asked for now is served from the frame after this.
  std::atomic_ref<std::uint8_t>(block.PixelUse)
      .store(OverlayNeeded             ? vdv_filters::pu_ReadWrite
             : Frames.CaptureWaiting() ? vdv_filters::pu_Read
                                       : vdv_filters::pu_None,
             std::memory_order_relaxed);
  if (!frame.Pixels) {
    if (eligible) Frames.HandOver(nullptr);
    if (GraphRunning && eligible) MarkFramePending();
    return;
  }
  const bool capture = eligible && Frames.CaptureWaiting();

  orvex::gdi::Bitmap bitmap;
  bitmap.Wrap(
      frame.Pixels, frame.Dib.dsBm.bmWidth, frame.Dib.dsBm.bmHeight,
      frame.Dib.dsBmih.biBitCount == 24 ? orvex::gdi::PixelFormat::Rgb24 : orvex::gdi::PixelFormat::Rgb32,
      frame.Dib.dsBm.bmWidthBytes, orvex::gdi::Orientation::TopDown);
  const bool overlayFirst = !Settings.FrameCaptureWithoutOverlay && !P.MotionDetector_Enabled;
  if (overlayFirst) OverlayStep(bitmap, info);
  if (eligible) Frames.HandOver(capture ? &bitmap : nullptr);
  if (!overlayFirst) OverlayStep(bitmap, info);
  if (GraphRunning && eligible) MarkFramePending();
}

// The notify grabber keeps the clock going when no frame grabber runs.
void TVdvWorker::NotifyArrived() {
  if (Destroying || Stopping || !GraphRunning) return;
  if (!Frames.NotifyDue(orvex::kernel::TickCount())) return;
  const TFrameInfo info = Frames.AdvancePending(ClockNow());
  if (State == es_Recording) RecordingElapsed100ns = info.FrameTime;
  MarkFramePending();
}

void TVdvWorker::OverlayStep(orvex::gdi::Bitmap& frame, const TFrameInfo& info) {
  if (OverlayNeeded) DrawOverlays(frame, info);
}

// Task worker: serves the frame record handed over by the streaming thread.
void TVdvWorker::PollFrames() {
  if (!Frames.TakePending()) return;
  if (auto handler = Events.OnFrameProgress.Get(); handler && !Destroying && !Stopping)
    (*handler)(&Owner, Frames.Served().Info);
  ServeStep();
  Frames.PollDone();
}
