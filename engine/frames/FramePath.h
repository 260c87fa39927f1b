#pragma once
// The engine's side of every frame: the frame records, the frame clock, the
// capture request and the hand-over of a frame record from the streaming
// thread to the task worker's frame poll. The worker's frame callbacks drive it.

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

// Per engine: the three frame records (current on the streaming thread,
// pending between the threads, served on the task worker), the frame clock
// and the one capture request that may wait.
class TFramePath {
 public:
  // A new run: start time unset, nothing pending, no request waiting.
  void Reset();

  // --- streaming thread ---
  // The run's clock in 100-ns units from the graph's running time in
  // nanoseconds; the last value when there is no clock (`ns` < 0).
  std::int64_t ClockAt(std::int64_t ns);
  // Advances the current record's clock; its frame information.
  const TFrameInfo& AdvanceCurrent(std::int64_t now);
  // Under the lock, advances the pending record's clock; its frame information.
  TFrameInfo AdvancePending(std::int64_t now);
  // A notify call is served after 66 ms since the last one served, and only
  // when the poll took the last record; `now` is the tick count.
  bool NotifyDue(std::uint32_t now);
  // Hands the current record over to the poll, with a copy of `captured`
  // when it is given (a capture waits). The copy is the only allocation.
  void HandOver(const orvex::gdi::Bitmap* captured);
  // Whether the poll took the last record handed over.
  bool Free() const { return !pendingMark_; }
  // Marks the pending record ready for the poll.
  void MarkPending() { pendingMark_ = true; }

  // --- task worker ---
  // Takes the pending record as the served one; false when none is ready.
  bool TakePending();
  // The poll is done with the record taken: the next one may come.
  void PollDone() { pendingMark_ = false; }
  const TFrameRecord& Served() const { return served_; }

  // --- the capture request (main thread asks, task worker serves) ---
  bool CaptureWaiting() const { return requestWaiting_; }
  void AskCapture(TFrameCaptureDest dest, const std::string& fileName, bool wait);
  // Takes a waiting request; false when none waits.
  bool TakeCaptureRequest(TFrameCaptureDest& dest, std::string& fileName);

 private:
  void AdvanceClock(TFrameRecord& record, std::int64_t now);

  std::mutex frameLock_;  // guards pending_ between the threads
  TFrameRecord current_;
  TFrameRecord pending_;
  TFrameRecord served_;
  std::atomic<bool> pendingMark_{false};
  std::atomic<std::uint32_t> lastNotifyTick_{0};
  std::atomic<std::int64_t> lastClock_{0};
  std::int64_t startTime_ = -1;
  std::int32_t startCount_ = 0;

  std::atomic<bool> requestWaiting_{false};
  TFrameCaptureDest requestDest_ = fc_TBitmap;
  std::string requestFileName_;
};

// Fills the derived fields of `info` from its FrameTime.
void SplitFrameTime(TFrameInfo& info);

namespace frame_path {
// Fills in a grabber's parameter block: the engine's callbacks and the run's settings.
void ConnectGrabber(TVdvWorker& worker, vdv_filters::TGrabberParams& params, int rgbFormat);
}  // namespace frame_path
