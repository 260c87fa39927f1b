#pragma once
// The engine's side of every frame: the callbacks the frame grabbers make,
// the frame clock, the overlay step and the hand-over of frame records to the
// task worker's frame poll.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/EngineEnums.h"
#include "engine/FrameTypes.h"
#include "engine/filters/FilterInterfaces.h"

class TVdvWorker;

struct TFrameRecord {
  std::shared_ptr<orvex::gdi::Bitmap> Bitmap;  // the captured picture, when this frame was captured
  TFrameInfo Info;
  std::int32_t RunningCounter = 0;
  std::int64_t SampleTime = 0;  // 100-ns units
};

// Per engine: the three frame records and the frame clock.
class TFramePath {
 public:
  // A new run: start time unset, nothing pending.
  void Reset();
  // Streaming thread: advances the clock of `record` to `now` (100-ns units).
  void AdvanceClock(TFrameRecord& record, std::int64_t now);

  std::mutex FrameLock;
  TFrameRecord Current;
  TFrameRecord Pending;
  TFrameRecord Served;
  std::atomic<bool> PendingMark{false};
  std::atomic<bool> InsideCallback{false};
  std::atomic<std::uint32_t> LastNotifyTick{0};
  std::atomic<std::int64_t> LastClock{0};

  // A capture asked for by CaptureFrame, waiting for the next eligible frame.
  std::atomic<bool> RequestWaiting{false};
  TFrameCaptureDest RequestDest = fc_TBitmap;
  std::string RequestFileName;
  std::string LastRequestFile;

 private:
  std::int64_t startTime_ = -1;
  std::int32_t startCount_ = 0;
};

// Fills the derived fields of `info` from its FrameTime.
void SplitFrameTime(TFrameInfo& info);

namespace frame_path {
// Fills in a grabber's parameter block: the engine's callbacks and the run's settings.
void ConnectGrabber(TVdvWorker& worker, vdv_filters::TGrabberParams& params, int rgbFormat);
}  // namespace frame_path
