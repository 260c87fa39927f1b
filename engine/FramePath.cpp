#include "engine/FramePath.h"

#include "engine/TVdvGraph.h"
#include "engine/TVdvWorker.h"
#include "platform/gdi/Bitmap.h"
#include "platform/kernel/Clock.h"

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
  std::lock_guard lock(FrameLock);
  startTime_ = -1;
  startCount_ = 0;
  Current = Pending = Served = TFrameRecord{};
  PendingMark = false;
  RequestWaiting = false;
  RequestDest = fc_TBitmap;
  RequestFileName.clear();
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

namespace {

// Clock time of the run in 100-ns units; the last value when there is no clock.
std::int64_t ClockNow(TVdvWorker& w) {
  if (const TVdvGraph* graph = w.Graph.get()) {
    const std::int64_t ns = graph->RunningTime();
    if (ns >= 0) w.Frames.LastClock = ns / 100;
  }
  return w.Frames.LastClock;
}

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
  if (!w || !frame || !bitmap) return;
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

// Streaming thread, once per frame, in a fixed order: settings for the next
// frame, clock, overlays, hand-over.
void TVdvWorker::FrameArrived(vdv_filters::TGrabberParams& block,
                              const vdv_filters::TFrameDescription& frame) {
  if (Destroying || Stopping || !GraphRunning) return;
  TFramePath& path = Frames;
  path.InsideCallback = true;
  CopyProcessingBlock(*this, block.Processing);
  path.AdvanceClock(path.Current, ClockNow(*this));
  if (State == es_Recording) RecordingElapsed100ns = path.Current.Info.FrameTime;
  const bool eligible = !path.PendingMark && block.CaptureSource == vdv_filters::kIsCaptureSource;
  const bool capture = eligible && path.RequestWaiting;

  orvex::gdi::Bitmap bitmap;
  bitmap.Wrap(
      frame.Pixels, frame.Dib.dsBm.bmWidth, frame.Dib.dsBm.bmHeight,
      frame.Dib.dsBmih.biBitCount == 24 ? orvex::gdi::PixelFormat::Rgb24 : orvex::gdi::PixelFormat::Rgb32,
      frame.Dib.dsBm.bmWidthBytes, orvex::gdi::Orientation::TopDown);
  const bool overlayFirst = !Settings.FrameCaptureWithoutOverlay && !P.MotionDetector_Enabled;
  if (overlayFirst) OverlayStep(bitmap, path.Current.Info);
  if (eligible) {
    // The copy is made only for a capture: other frames hand over their record alone.
    if (capture) {
      auto copy = std::make_shared<orvex::gdi::Bitmap>();
      if (copy->Assign(bitmap)) path.Current.Bitmap = std::move(copy);
    }
    std::lock_guard lock(path.FrameLock);
    path.Pending = path.Current;
    path.Current.Bitmap.reset();
  }
  if (!overlayFirst) OverlayStep(bitmap, path.Current.Info);
  if (GraphRunning && eligible) path.PendingMark = true;
  path.InsideCallback = false;
}

// The notify grabber keeps the clock going when no frame grabber runs.
void TVdvWorker::NotifyArrived() {
  if (Destroying || Stopping || !GraphRunning) return;
  const std::uint32_t now = orvex::kernel::TickCount();
  if (now - Frames.LastNotifyTick.load() <= 66 || Frames.PendingMark) return;
  Frames.LastNotifyTick = now;
  {
    std::lock_guard lock(Frames.FrameLock);
    Frames.AdvanceClock(Frames.Pending, ClockNow(*this));
    if (State == es_Recording) RecordingElapsed100ns = Frames.Pending.Info.FrameTime;
  }
  Frames.PendingMark = true;
}

void TVdvWorker::OverlayStep(orvex::gdi::Bitmap& frame, const TFrameInfo& info) {
  if (OverlayNeeded) DrawOverlays(frame, info);
}

// Task worker: serves the frame record handed over by the streaming thread.
void TVdvWorker::PollFrames() {
  if (!Frames.PendingMark) return;
  {
    std::lock_guard lock(Frames.FrameLock);
    Frames.Served = Frames.Pending;
    Frames.Pending.Bitmap.reset();
  }
  if (auto handler = Events.OnFrameProgress.Get(); handler && !Destroying && !Stopping)
    (*handler)(&Owner, Frames.Served.Info);
  ServeStep();
  Frames.PendingMark = false;
}
